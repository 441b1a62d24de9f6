#pragma once
#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <memory>
#include <string_view>

namespace orv::data {

enum class ColType { Text, Integer, Single, Double, Date, Bool };

struct ColumnInfo {
    QString name;
    ColType type = ColType::Text;
    int definedSize = 0; // characters for text; a nominal width for the others
};

// A forward-only, read-only result of one statement.
// Text is handed out as UTF-8 bytes as the database holds them; dates as
// Julian day numbers. The cursor is valid until the next call of next().
// One thread at a time steps it, and no other statement runs on its
// connection until it is done: the row reader's thread may step it while the
// thread that opened it files the rows already read.
class Cursor {
public:
    virtual ~Cursor() = default;
    virtual bool next() = 0;
    virtual int columnCount() const = 0;
    virtual const ColumnInfo &column(int c) const = 0;
    virtual bool isNull(int c) const = 0;
    virtual std::string_view textBytes(int c) const = 0; // raw text, not trimmed
    // The text, or false for null, in one step (reading snapshots row by row).
    virtual bool text(int c, std::string_view &out) const
    {
        if (isNull(c))
            return false;
        out = textBytes(c);
        return true;
    }
    virtual qint64 integer(int c) const = 0;
    virtual double real(int c) const = 0;
    virtual qint64 julianDay(int c) const = 0; // 0 when null or not a date
    virtual bool boolean(int c) const = 0;
};

enum class BackendKind { Sqlite, Postgres };

// One open connection to one database. Statements use '?' placeholders;
// parameters are QString, int/qint64, double, bool, QDate, or a null QVariant.
// Dates travel as ISO text "YYYY-MM-DD", yes/no values as booleans.
class Backend {
public:
    virtual ~Backend() = default;
    virtual BackendKind kind() const = 0;
    virtual std::unique_ptr<Cursor> query(const QString &sql, const QVariantList &params = {}) = 0;
    // The same for a read of many rows (thousands and more): a server sends
    // them in batches, which costs a few round trips more before the first.
    virtual std::unique_ptr<Cursor> queryMany(const QString &sql, const QVariantList &params = {})
    {
        return query(sql, params);
    }
    virtual qint64 exec(const QString &sql, const QVariantList &params = {}) = 0; // rows affected
    // Rows written as one stream (PostgreSQL's COPY), far faster than INSERT
    // statements: `values` holds the rows one after the other, each with a
    // value per column, as parameters. Only where canCopyRows() says so.
    virtual bool canCopyRows() const { return false; }
    virtual void copyRows(const QString &table, const QStringList &columns, const QVariantList &values);
    virtual void begin() = 0;
    virtual void commit() = 0;
    virtual void rollback() = 0;
    virtual bool inTransaction() const = 0;
    // True when the server has closed this connection (restarted, or ended
    // the session): only a new connection can go on. Asked between statements.
    virtual bool lost() { return false; }
    // True when nothing can be written through this connection: the file or
    // its folder is write-protected, or it was when the connection was made.
    virtual bool readOnly() { return false; }
    // A number that changes whenever another connection has committed a
    // change to the database; -1 when the engine cannot tell cheaply.
    virtual qint64 dataVersion() { return -1; }
    // True when the server keeps a log of the keys each transaction changed
    // (see changelog.h) and this user may read it.
    virtual bool keepsChangeLog() { return false; }
    // About how many rows `table` holds, cheaply, to size a copy of it
    // beforehand; 0 when the engine cannot tell. Never exact, never a limit.
    virtual qint64 rowEstimate(const QString &table)
    {
        Q_UNUSED(table);
        return 0;
    }

    // SQL fragments that differ between the engines. Callers compose
    // statements from fixed text and these; values stay parameters.
    // `expr` in German order (umlauts beside their base letters), for ORDER BY;
    // empty (null) values first on every engine, as the file database sorts them.
    virtual QString germanOrder(const QString &expr) const = 0;
    // `expr` folded to lower case, umlauts included, for containment filters.
    virtual QString lowerCase(const QString &expr) const = 0;
};

// Where a connection goes: a SQLite file or a PostgreSQL URI.
struct ConnectionTarget {
    BackendKind kind = BackendKind::Sqlite;
    QString location; // file path, postgresql:// URI or libpq's key=value text

    static ConnectionTarget sqliteFile(const QString &path) { return {BackendKind::Sqlite, path}; }
    static ConnectionTarget postgres(const QString &uri) { return {BackendKind::Postgres, uri}; }
    // A postgresql:// or postgres:// URI selects PostgreSQL, anything else is a file.
    static ConnectionTarget fromString(const QString &s);
    // For display: the address without any password, whether a URI or
    // libpq's "host=… dbname=… password=…" form.
    QString displayName() const;
};

// Opens a backend; throws DbError on failure (nothing stays half open).
std::unique_ptr<Backend> openBackend(const ConnectionTarget &target);

} // namespace orv::data
