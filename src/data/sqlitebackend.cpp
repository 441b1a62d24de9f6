#include "data/sqlitebackend.h"

#include "data/collation.h"
#include "data/dates.h"
#include "data/dberror.h"
#include "data/dbtext.h"
#include "data/lockwait.h"
#include "data/sqlitemessage.h"

#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <algorithm>
#include <sqlite3.h>
#include <unistd.h>
#include <vector>

namespace orv::data {
namespace {

// Two workstations on one file wait for each other instead of failing. A
// workstation that writes step after step holds the file most of the time, so
// the other one may need many tries: 8 s were seen to run out under load.
constexpr int kBusyTimeoutMs = 20000;

// SQLite's busy handler: tries again after a short sleep, at most for the
// time above, and lets the window say meanwhile what it waits for.
int waitForLock(void *, int tries)
{
    if (tries == 0)
        lockwait::over(); // a wait of an earlier statement that ended without a step
    if (lockwait::waitedMs() >= kBusyTimeoutMs)
        return 0;
    QThread::msleep(tries < 5 ? 2 : 20);
    lockwait::waiting();
    return 1;
}

[[noreturn]] void fail(sqlite3 *db, int code)
{
    const int ext = db ? sqlite3_extended_errcode(db) : code;
    const char *msg = db ? sqlite3_errmsg(db) : sqlite3_errstr(code);
    switch (ext) {
    case SQLITE_CONSTRAINT_PRIMARYKEY:
    case SQLITE_CONSTRAINT_UNIQUE:
        throw DbError(ErrDuplicateKey, QStringLiteral("Ein Datensatz mit diesem Schlüssel ist bereits vorhanden."));
    case SQLITE_CONSTRAINT_CHECK:
    case SQLITE_CONSTRAINT_NOTNULL:
        throw DbError(
            ErrBadValue,
            QStringLiteral("Der Wert wird von der Datenbank nicht angenommen (%1).").arg(QString::fromUtf8(msg)));
    default: break;
    }
    throw DbError(ext, sqliteMessage(ext, msg));
}

// PostgreSQL cannot hold U+0000; SQLite refuses it as well, so both engines store the same.
QString nulRefused()
{
    return QStringLiteral("Der Text enthält ein Nullzeichen (U+0000), das die Datenbank nicht speichern kann.");
}

ColumnInfo columnFromDecl(const char *name, const char *decl)
{
    ColumnInfo ci;
    ci.name = QString::fromUtf8(name);
    const QByteArray d = QByteArray(decl ? decl : "").toUpper();
    if (d.startsWith("CHAR") || d.startsWith("VARCHAR") || d.startsWith("TEXT")) {
        ci.type = ColType::Text;
        const int open = d.indexOf('('), close = d.indexOf(')');
        if (open > 0 && close > open)
            ci.definedSize = d.mid(open + 1, close - open - 1).trimmed().toInt();
    } else if (d == "REAL" || d == "SINGLE" || d == "FLOAT") {
        ci.type = ColType::Single;
        ci.definedSize = 4;
    } else if (d == "DOUBLE") {
        ci.type = ColType::Double;
        ci.definedSize = 8;
    } else if (d.startsWith("INT")) {
        ci.type = ColType::Integer;
        ci.definedSize = 4;
    } else if (d == "DATE") {
        ci.type = ColType::Date;
        ci.definedSize = 8;
    } else if (d == "BOOLEAN") {
        ci.type = ColType::Bool;
        ci.definedSize = 2;
    } else {
        ci.type = ColType::Text; // expressions: read as text, numbers on request
    }
    return ci;
}

class SqliteStatement {
public:
    SqliteStatement(sqlite3 *db, const QString &sql, const QVariantList &params) : m_db(db)
    {
        const QByteArray utf8 = sql.toUtf8();
        const int rc = sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &m_stmt, nullptr);
        if (rc != SQLITE_OK)
            fail(db, rc);
        if (sqlite3_bind_parameter_count(m_stmt) != params.size()) {
            sqlite3_finalize(m_stmt);
            throw DbError(ErrGeneric, QStringLiteral("Falsche Anzahl von Parametern in der Anweisung."));
        }
        for (int i = 0; i < params.size(); ++i)
            bind(i + 1, params.at(i));
    }
    ~SqliteStatement() { sqlite3_finalize(m_stmt); }
    SqliteStatement(const SqliteStatement &) = delete;
    SqliteStatement &operator=(const SqliteStatement &) = delete;

    bool step()
    {
        const int rc = sqlite3_step(m_stmt);
        lockwait::over();
        if (rc == SQLITE_ROW)
            return true;
        if (rc == SQLITE_DONE)
            return false;
        fail(m_db, rc);
    }
    sqlite3_stmt *handle() const { return m_stmt; }

private:
    void bind(int i, const QVariant &v)
    {
        int rc = SQLITE_OK;
        if (v.isNull() && v.typeId() != QMetaType::QString) {
            rc = sqlite3_bind_null(m_stmt, i);
        } else {
            switch (v.typeId()) {
            case QMetaType::Bool: rc = sqlite3_bind_int(m_stmt, i, v.toBool() ? 1 : 0); break;
            case QMetaType::Int:
            case QMetaType::LongLong:
            case QMetaType::UInt:
            case QMetaType::ULongLong:
            case QMetaType::Long: rc = sqlite3_bind_int64(m_stmt, i, v.toLongLong()); break;
            case QMetaType::Double:
            case QMetaType::Float: rc = sqlite3_bind_double(m_stmt, i, v.toDouble()); break;
            case QMetaType::QDate: {
                const QDate d = v.toDate();
                if (!d.isValid()) {
                    rc = sqlite3_bind_null(m_stmt, i);
                } else {
                    const QByteArray iso = d.toString(Qt::ISODate).toLatin1();
                    rc = sqlite3_bind_text(m_stmt, i, iso.constData(), int(iso.size()), SQLITE_TRANSIENT);
                }
                break;
            }
            default: {
                const QString s = v.toString();
                if (s.contains(QChar(0)))
                    throw DbError(ErrBadValue, nulRefused());
                const QByteArray t = s.toUtf8();
                rc = sqlite3_bind_text(m_stmt, i, t.constData(), int(t.size()), SQLITE_TRANSIENT);
                break;
            }
            }
        }
        if (rc != SQLITE_OK)
            fail(m_db, rc);
    }

    sqlite3 *m_db;
    sqlite3_stmt *m_stmt = nullptr;
};

class SqliteCursor final : public Cursor {
public:
    SqliteCursor(sqlite3 *db, const QString &sql, const QVariantList &params) : m_stmt(db, sql, params)
    {
        sqlite3_stmt *s = m_stmt.handle();
        const int n = sqlite3_column_count(s);
        m_cols.reserve(size_t(n));
        for (int c = 0; c < n; ++c)
            m_cols.push_back(columnFromDecl(sqlite3_column_name(s, c), sqlite3_column_decltype(s, c)));
    }
    bool next() override { return m_stmt.step(); }
    int columnCount() const override { return int(m_cols.size()); }
    const ColumnInfo &column(int c) const override { return m_cols.at(size_t(c)); }
    bool isNull(int c) const override { return sqlite3_column_type(m_stmt.handle(), c) == SQLITE_NULL; }
    std::string_view textBytes(int c) const override
    {
        const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt.handle(), c));
        const int n = sqlite3_column_bytes(m_stmt.handle(), c);
        return p ? std::string_view(p, size_t(n)) : std::string_view();
    }
    bool text(int c, std::string_view &out) const override
    {
        // sqlite3_column_text gives a null pointer exactly for a null value.
        const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt.handle(), c));
        if (!p)
            return false;
        out = std::string_view(p, size_t(sqlite3_column_bytes(m_stmt.handle(), c)));
        return true;
    }
    qint64 integer(int c) const override { return sqlite3_column_int64(m_stmt.handle(), c); }
    double real(int c) const override { return sqlite3_column_double(m_stmt.handle(), c); }
    qint64 julianDay(int c) const override
    {
        sqlite3_stmt *s = m_stmt.handle();
        const auto *t = reinterpret_cast<const char *>(sqlite3_column_text(s, c));
        return t ? julianDayFromIso(std::string_view(t, size_t(sqlite3_column_bytes(s, c)))) : 0;
    }
    bool boolean(int c) const override
    {
        sqlite3_stmt *s = m_stmt.handle();
        if (sqlite3_column_type(s, c) == SQLITE_TEXT) {
            const auto t = textBytes(c);
            return t == "1" || t == "true" || t == "TRUE" || t == "-1";
        }
        return sqlite3_column_int64(s, c) != 0;
    }

private:
    SqliteStatement m_stmt;
    std::vector<ColumnInfo> m_cols;
};

int collateGerman(void *, int n1, const void *p1, int n2, const void *p2)
{
    return germanCompare(std::string_view(static_cast<const char *>(p1), size_t(n1)),
                         std::string_view(static_cast<const char *>(p2), size_t(n2)));
}

void lowerFunction(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const auto *p = reinterpret_cast<const char *>(sqlite3_value_text(argv[0]));
    const int n = sqlite3_value_bytes(argv[0]);
    const QByteArray out = foldCase(fromDbText(std::string_view(p ? p : "", size_t(n)))).toUtf8();
    sqlite3_result_text(ctx, out.constData(), int(out.size()), SQLITE_TRANSIENT);
}

// True when this user may change the file and make new files beside it.
bool fileWritable(const QString &path)
{
    const QFileInfo file(path);
    return ::access(QFile::encodeName(file.absoluteFilePath()).constData(), W_OK) == 0
           && ::access(QFile::encodeName(file.absolutePath()).constData(), W_OK) == 0;
}

class SqliteBackend final : public Backend {
public:
    SqliteBackend(const QString &path, bool create) : m_path(QFileInfo(path).absoluteFilePath())
    {
        const QByteArray p = m_path.toUtf8();
        // A file the user may not write is opened for reading (see readOnly()).
        const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0) | SQLITE_OPEN_NOMUTEX;
        int rc = sqlite3_open_v2(p.constData(), &m_db, flags, nullptr);
        try {
            if (rc != SQLITE_OK)
                fail(m_db, rc);
            sqlite3_extended_result_codes(m_db, 1);
            sqlite3_busy_handler(m_db, waitForLock, nullptr);
            sqlite3_create_collation(m_db, "orv_de", SQLITE_UTF8, nullptr, collateGerman);
            sqlite3_create_function(m_db, "orv_lower", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, lowerFunction,
                                    nullptr, nullptr);
            // The rollback journal, not WAL: the file may sit on a network share.
            exec(QStringLiteral("PRAGMA journal_mode=DELETE"), {});
            exec(QStringLiteral("PRAGMA synchronous=FULL"), {});
            // Room for the employees' and courses' pages while a report runs
            // through the plan entries and looks each one up: with SQLite's
            // 2 MB they are read from the file again and again.
            exec(QStringLiteral("PRAGMA cache_size=-16384"), {});
            // Reading the schema makes a file that is not a database fail here, not later.
            query(QStringLiteral("SELECT count(*) FROM sqlite_master"), {})->next();
        } catch (...) {
            sqlite3_close_v2(m_db);
            m_db = nullptr;
            throw;
        }
    }
    ~SqliteBackend() override
    {
        if (m_db)
            sqlite3_close_v2(m_db);
    }

    BackendKind kind() const override { return BackendKind::Sqlite; }

    std::unique_ptr<Cursor> query(const QString &sql, const QVariantList &params) override
    {
        return std::make_unique<SqliteCursor>(m_db, sql, params);
    }

    qint64 exec(const QString &sql, const QVariantList &params) override
    {
        SqliteStatement st(m_db, sql, params);
        while (st.step()) {
        }
        return sqlite3_changes64(m_db);
    }

    void begin() override
    {
        // Take the write lock at once, so that two workstations never both
        // read, then collide when they write.
        exec(QStringLiteral("BEGIN IMMEDIATE"), {});
        m_inTx = true;
    }
    void commit() override
    {
        exec(QStringLiteral("COMMIT"), {});
        m_inTx = false;
    }
    void rollback() override
    {
        m_inTx = false;
        if (!sqlite3_get_autocommit(m_db))
            exec(QStringLiteral("ROLLBACK"), {});
    }
    bool inTransaction() const override { return m_inTx; }
    bool readOnly() override
    {
        // The journal is made beside the file: its folder must take new files too.
        return sqlite3_db_readonly(m_db, "main") == 1 || !fileWritable(m_path);
    }
    qint64 dataVersion() override
    {
        auto cur = query(QStringLiteral("PRAGMA data_version"), {});
        return cur->next() ? cur->integer(0) : -1;
    }
    qint64 rowEstimate(const QString &table) override
    {
        // The highest row id is read off the end of the table's tree; rows
        // deleted in between make it an overestimate. A table without row
        // ids (made by another program) has no such estimate.
        try {
            auto cur = query(QStringLiteral("SELECT max(rowid) FROM ") + table, {});
            return cur->next() ? std::max<qint64>(0, cur->integer(0)) : 0;
        } catch (const DbError &) {
            return 0;
        }
    }

    QString germanOrder(const QString &expr) const override { return expr + QStringLiteral(" COLLATE orv_de"); }
    QString lowerCase(const QString &expr) const override
    {
        return QStringLiteral("orv_lower(") + expr + QLatin1Char(')');
    }

private:
    QString m_path;
    sqlite3 *m_db = nullptr;
    bool m_inTx = false;
};

} // namespace

std::unique_ptr<Backend> openSqliteBackend(const QString &path)
{
    if (!QFileInfo::exists(path))
        throw DbError(SQLITE_CANTOPEN, QStringLiteral("Die Datenbankdatei %1 ist nicht vorhanden.").arg(path));
    return std::make_unique<SqliteBackend>(path, false);
}

std::unique_ptr<Backend> createSqliteBackend(const QString &path)
{
    if (QFileInfo::exists(path))
        throw DbError(SQLITE_CANTOPEN, QStringLiteral("Die Datei %1 ist bereits vorhanden.").arg(path));
    // SQLite makes a new file 0644 whatever the umask allows. Made here first,
    // a database shared through the umask (002: the department's group) can be
    // written by the group, and one made under 077 stays the user's alone.
    QFile file(path);
    const bool made = file.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                                QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                                    | QFileDevice::WriteGroup | QFileDevice::ReadOther | QFileDevice::WriteOther);
    file.close();
    try {
        return std::make_unique<SqliteBackend>(path, true);
    } catch (const DbError &) {
        if (made)
            QFile::remove(path);
        throw;
    }
}

} // namespace orv::data
