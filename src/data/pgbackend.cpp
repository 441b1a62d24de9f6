#include "data/pgbackend.h"

#include "data/dates.h"
#include "data/dberror.h"
#include "data/lockwait.h"

#include <QDate>
#include <QRegularExpression>
#include <algorithm>
#include <cerrno>
#include <deque>
#include <libpq-fe.h>
#include <optional>
#include <poll.h>
#include <vector>

namespace orv::data {
namespace {

// Type numbers of pg_type that the record sets read.
constexpr Oid kBoolOid = 16;
constexpr Oid kInt8Oid = 20;
constexpr Oid kInt2Oid = 21;
constexpr Oid kInt4Oid = 23;
constexpr Oid kFloat4Oid = 700;
constexpr Oid kFloat8Oid = 701;
constexpr Oid kBpcharOid = 1042;
constexpr Oid kVarcharOid = 1043;
constexpr Oid kDateOid = 1082;
constexpr Oid kNumericOid = 1700;

// A server that does not answer should not freeze the window for minutes;
// a connect_timeout in the URI still wins.
constexpr const char *kConnectTimeoutSeconds = "15";

struct ResultDeleter {
    void operator()(PGresult *r) const { PQclear(r); }
};
using Result = std::unique_ptr<PGresult, ResultDeleter>;

QString serverText(const char *s) { return QString::fromUtf8(s ? s : "").trimmed(); }

QString connectionMessage(PGconn *conn)
{
    // libpq breaks its messages over lines with tabs; a message box wants one sentence.
    const QString msg = conn ? serverText(PQerrorMessage(conn)).simplified() : QString();
    return msg.isEmpty() ? QStringLiteral("unbekannter Fehler") : msg;
}

// Why a connection could not be made, in German, from libpq's message.
// libpq gives no code for it; a message it words otherwise (or in another
// language) gets the general sentence. The message itself follows as detail.
QString connectFailure(const QString &message)
{
    static const struct {
        QRegularExpression said;
        const char *meaning;
    } known[] = {
        {QRegularExpression(QStringLiteral("could not translate host name")),
         "Der Name des Datenbankservers ist unbekannt."},
        {QRegularExpression(QStringLiteral("timeout expired")), "Der Datenbankserver antwortet nicht."},
        {QRegularExpression(QStringLiteral("the database system is (starting up|not yet accepting)")),
         "Der Datenbankserver startet gerade; bitte versuchen Sie es gleich noch einmal."},
        {QRegularExpression(QStringLiteral("the database system is (shutting down|in recovery mode)")),
         "Der Datenbankserver ist gerade nicht bereit; bitte versuchen Sie es gleich noch einmal."},
        {QRegularExpression(QStringLiteral("no password supplied")),
         "Der Datenbankserver verlangt ein Passwort, für diesen Benutzer ist aber keines hinterlegt (~/.pgpass)."},
        {QRegularExpression(QStringLiteral("authentication failed")),
         "Die Anmeldung am Datenbankserver wurde abgelehnt (Benutzer oder Passwort)."},
        {QRegularExpression(QStringLiteral("no pg_hba\\.conf entry")),
         "Der Datenbankserver lässt diesen Arbeitsplatz oder Benutzer nicht zu."},
        {QRegularExpression(QStringLiteral("role \".*\" does not exist")),
         "Der Datenbankbenutzer ist auf dem Server nicht vorhanden."},
        {QRegularExpression(QStringLiteral("database \".*\" does not exist")),
         "Die Datenbank ist auf dem Server nicht vorhanden."},
        {QRegularExpression(QStringLiteral("permission denied for database")),
         "Der Datenbankbenutzer darf sich mit dieser Datenbank nicht verbinden."},
        {QRegularExpression(QStringLiteral("too many clients|remaining connection slots")),
         "Der Datenbankserver nimmt keine weiteren Verbindungen an."},
        {QRegularExpression(QStringLiteral("Connection refused|No such file or directory|No route to host|"
                                           "Network is unreachable|could not connect")),
         "Der Datenbankserver ist nicht erreichbar (er läuft nicht oder nimmt keine Verbindungen an)."},
    };
    for (const auto &k : known)
        if (k.said.match(message).hasMatch())
            return QString::fromUtf8(k.meaning);
    return QStringLiteral("Die Verbindung zum Datenbankserver ist fehlgeschlagen.");
}

// The error a failed statement means to the windows: a key that exists
// already, a value the column does not take, or anything else with the
// server's code and text.
[[noreturn]] void throwResultError(PGconn *conn, const PGresult *res)
{
    if (conn && PQstatus(conn) == CONNECTION_BAD)
        throw DbError(ErrGeneric, QStringLiteral("Die Verbindung zum Datenbankserver ist unterbrochen; ORV verbindet "
                                                 "sich bei der nächsten Aktion neu. (%1)")
                                      .arg(connectionMessage(conn)));
    const QByteArray state = res ? QByteArray(PQresultErrorField(res, PG_DIAG_SQLSTATE)) : QByteArray();
    const QString primary =
        res ? serverText(PQresultErrorField(res, PG_DIAG_MESSAGE_PRIMARY)) : connectionMessage(conn);
    auto badValue = [&](const char *lead) {
        throw DbError(ErrBadValue, QString::fromUtf8(lead) + QStringLiteral(" (") + primary + QLatin1Char(')'));
    };
    if (state == "23505")
        throw DbError(ErrDuplicateKey, QStringLiteral("Ein Datensatz mit diesem Schlüssel ist bereits vorhanden."));
    if (state == "22001")
        badValue("Der Text ist zu lang für das Feld.");
    if (state == "22007" || state == "22008")
        badValue("Der Wert ist kein gültiges Datum.");
    if (state == "22P02")
        badValue("Der Wert hat nicht das Format, das das Feld verlangt.");
    if (state == "23502")
        badValue("Das Feld darf nicht leer sein.");
    if (state == "23514")
        badValue("Der Wert wird von der Datenbank nicht angenommen.");
    // The server's words name the table or schema: support needs them.
    const QString detail = state.isEmpty()
                               ? (primary.isEmpty() ? connectionMessage(conn) : primary)
                               : QLatin1Char('[') + QString::fromLatin1(state) + QStringLiteral("] ") + primary;
    if (state == "42501")
        throw DbError(ErrGeneric, QStringLiteral("Keine Berechtigung: Ihr Datenbankbenutzer darf diese Aktion nicht "
                                                 "ausführen. (%1)")
                                      .arg(detail));
    throw DbError(ErrGeneric, QStringLiteral("Die Datenbank meldet einen Fehler. (%1)").arg(detail));
}

// True when the socket has something to read (or its end) right now.
bool readable(int socket)
{
    if (socket < 0)
        return false;
    pollfd p{socket, POLLIN, 0};
    return ::poll(&p, 1, 0) > 0 && (p.revents & (POLLIN | POLLHUP | POLLERR));
}

// Waits for the server's answer to what was sent. An answer that is long in
// coming waits for another workstation's lock: the window is told meanwhile.
void awaitAnswer(PGconn *conn)
{
    const int socket = PQsocket(conn);
    while (socket >= 0 && PQisBusy(conn)) {
        pollfd p{socket, POLLIN, 0};
        const int ready = ::poll(&p, 1, 100);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready == 0) {
            lockwait::waiting();
            continue;
        }
        if (!PQconsumeInput(conn))
            break; // the connection is gone: the result says so
    }
    lockwait::over();
}

bool isIdentChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'
           || (static_cast<unsigned char>(c) >= 0x80);
}

// The end of a quoted string or name that starts at i.
qsizetype quotedEnd(const QByteArray &sql, qsizetype i)
{
    const qsizetype n = sql.size();
    const char quote = sql[i];
    // E'..' strings treat a backslash as an escape; others double the quote.
    const bool backslashEscapes =
        quote == '\'' && i > 0 && (sql[i - 1] == 'E' || sql[i - 1] == 'e') && (i < 2 || !isIdentChar(sql[i - 2]));
    qsizetype j = i + 1;
    while (j < n) {
        if (backslashEscapes && sql[j] == '\\') {
            j += 2;
            continue;
        }
        if (sql[j] == quote) {
            if (j + 1 < n && sql[j + 1] == quote) {
                j += 2;
                continue;
            }
            break;
        }
        ++j;
    }
    return std::min(j + 1, n);
}

// The end of a /* */ comment that starts at i; such comments nest.
qsizetype blockCommentEnd(const QByteArray &sql, qsizetype i)
{
    const qsizetype n = sql.size();
    int depth = 0;
    qsizetype j = i;
    while (j < n) {
        if (sql[j] == '/' && j + 1 < n && sql[j + 1] == '*') {
            ++depth;
            j += 2;
        } else if (sql[j] == '*' && j + 1 < n && sql[j + 1] == '/') {
            j += 2;
            if (--depth == 0)
                break;
        } else {
            ++j;
        }
    }
    return j;
}

// The end of a $tag$ ... $tag$ string that starts at i; i when none starts
// there (a $1 positional parameter has no closing '$' after its digits).
qsizetype dollarQuotedEnd(const QByteArray &sql, qsizetype i)
{
    const qsizetype n = sql.size();
    if (i > 0 && isIdentChar(sql[i - 1]))
        return i;
    qsizetype t = i + 1;
    while (t < n && isIdentChar(sql[t]) && !(t == i + 1 && sql[t] >= '0' && sql[t] <= '9'))
        ++t;
    if (t >= n || sql[t] != '$')
        return i;
    const QByteArray tag = sql.mid(i, t - i + 1);
    const qsizetype end = sql.indexOf(tag, t + 1);
    return end < 0 ? n : end + tag.size();
}

// The end of a literal or comment that starts at i, in which a '?' is no
// placeholder; i when none starts there.
qsizetype literalEnd(const QByteArray &sql, qsizetype i)
{
    const qsizetype n = sql.size();
    const char c = sql[i];
    const char next = i + 1 < n ? sql[i + 1] : '\0';
    if (c == '\'' || c == '"')
        return quotedEnd(sql, i);
    if (c == '-' && next == '-') {
        const qsizetype j = sql.indexOf('\n', i);
        return j < 0 ? n : j;
    }
    if (c == '/' && next == '*')
        return blockCommentEnd(sql, i);
    if (c == '$')
        return dollarQuotedEnd(sql, i);
    return i;
}

// '?' placeholders become $1..$n; quoted literals, quoted names, dollar
// quoting and comments are copied untouched.
QByteArray translatePlaceholders(const QByteArray &sql, int &count)
{
    QByteArray out;
    out.reserve(sql.size() + 16);
    count = 0;
    qsizetype i = 0;
    while (i < sql.size()) {
        const qsizetype j = literalEnd(sql, i);
        if (j > i) {
            out.append(sql.constData() + i, j - i);
            i = j;
        } else if (sql[i] == '?') {
            out.append('$');
            out.append(QByteArray::number(++count));
            ++i;
        } else {
            out.append(sql[i]);
            ++i;
        }
    }
    return out;
}

// A null QString is still text (empty); a null date or an empty QVariant is NULL.
bool isSqlNull(const QVariant &v) { return v.isNull() && v.typeId() != QMetaType::QString; }

// A value as the server reads it from text.
QByteArray valueText(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Bool: return v.toBool() ? QByteArrayLiteral("true") : QByteArrayLiteral("false");
    case QMetaType::QDate: return v.toDate().toString(Qt::ISODate).toLatin1();
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::Long:
    case QMetaType::LongLong: return QByteArray::number(v.toLongLong());
    case QMetaType::UInt:
    case QMetaType::UShort:
    case QMetaType::ULong:
    case QMetaType::ULongLong: return QByteArray::number(v.toULongLong());
    case QMetaType::Float: return QByteArray::number(double(v.toFloat()), 'g', 9);
    case QMetaType::Double: return QByteArray::number(v.toDouble(), 'g', 17);
    case QMetaType::QByteArray: return v.toByteArray();
    case QMetaType::QString: {
        // Values travel as C strings or lines of text: the server would end the
        // text at U+0000 without a word, or refuse the whole stream.
        const QString s = v.toString();
        if (s.contains(QChar(0)))
            throw DbError(ErrBadValue, QStringLiteral("Der Text enthält ein Nullzeichen (U+0000), das die "
                                                      "Datenbank nicht speichern kann."));
        return s.toUtf8();
    }
    default: return v.toString().toUtf8();
    }
}

// Parameters travel as text and untyped, so the server reads each one as
// the type its place in the statement calls for (char(n), date, boolean).
class Parameters {
public:
    explicit Parameters(const QVariantList &params)
    {
        // The text is kept first and pointed to afterwards: the vector may move it while growing.
        m_text.reserve(std::size_t(params.size()));
        for (const QVariant &v : params)
            m_text.push_back(isSqlNull(v) ? QByteArray() : valueText(v));
        for (qsizetype i = 0; i < params.size(); ++i)
            m_values.push_back(isSqlNull(params.at(i)) ? nullptr : m_text[std::size_t(i)].constData());
    }
    int count() const { return int(m_values.size()); }
    const char *const *values() const { return m_values.empty() ? nullptr : m_values.data(); }

private:
    std::vector<QByteArray> m_text;
    std::vector<const char *> m_values;
};

// Rows in COPY's text format: values separated by tabs, one row a line, NULL
// as \N; a backslash, tab, line feed or carriage return inside a value is
// escaped with a backslash, so that no text can end a value or a row.
QByteArray copyText(const QVariantList &values, qsizetype width)
{
    const auto plain = [](char c) { return c != '\\' && c != '\t' && c != '\n' && c != '\r'; };
    QByteArray out;
    out.reserve(values.size() * 16);
    for (qsizetype i = 0; i < values.size(); ++i) {
        const QVariant &v = values.at(i);
        const QByteArray text = isSqlNull(v) ? QByteArray() : valueText(v);
        if (isSqlNull(v)) {
            out += "\\N";
        } else if (std::all_of(text.begin(), text.end(), plain)) {
            out += text;
        } else {
            for (const char c : text) {
                switch (c) {
                case '\\': out += "\\\\"; break;
                case '\t': out += "\\t"; break;
                case '\n': out += "\\n"; break;
                case '\r': out += "\\r"; break;
                default: out += c;
                }
            }
        }
        out += (i + 1) % width == 0 ? '\n' : '\t';
    }
    return out;
}

ColumnInfo columnOf(const PGresult *res, int c)
{
    ColumnInfo ci;
    ci.name = QString::fromUtf8(PQfname(res, c));
    const int mod = PQfmod(res, c);
    const Oid type = PQftype(res, c);
    if (type == kBpcharOid || type == kVarcharOid) {
        ci.type = ColType::Text;
        ci.definedSize = mod >= 4 ? mod - 4 : 0; // the type modifier counts a 4-byte header
        return ci;
    }
    struct Known {
        Oid oid;
        ColType type;
        int size;
    };
    static constexpr Known known[] = {
        {kInt2Oid, ColType::Integer, 4},  {kInt4Oid, ColType::Integer, 4},  {kInt8Oid, ColType::Integer, 4},
        {kFloat4Oid, ColType::Single, 4}, {kFloat8Oid, ColType::Double, 8}, {kNumericOid, ColType::Double, 8},
        {kDateOid, ColType::Date, 8},     {kBoolOid, ColType::Bool, 2},
    };
    // Anything else (text, names, expressions) is read as text, numbers on request.
    ci.type = ColType::Text;
    for (const Known &k : known) {
        if (k.oid == type) {
            ci.type = k.type;
            ci.definedSize = k.size;
        }
    }
    return ci;
}

class PgBackend;

// A large read goes through a server-side cursor in batches: libpq then
// makes one result per batch instead of one per row, which takes a third off
// the client's work for a table read, and the next batch is on its way while
// one is being read. The batches grow from the first, which a small table
// fills alone, so that a large one over a slow link takes few round trips;
// the largest stays a few ten megabytes in libpq's hands.
constexpr int kFirstBatchRows = 20000;
constexpr int kLargestBatchRows = 160000;

// Rows arrive one at a time in single-row mode, or a batch at a time from a
// server-side cursor, so a large table is never held twice (once by libpq,
// once by the record set).
class PgCursor final : public Cursor {
public:
    enum class Reading { SingleRows, Batches };
    PgCursor(PgBackend &owner, PGconn *conn, bool cancelable, Reading reading);
    ~PgCursor() override;
    PgCursor(const PgCursor &) = delete;
    PgCursor &operator=(const PgCursor &) = delete;

    void start(); // reads the first result: column layout or the statement's error
    // Asks for the next batch, after the statements `before` when given (one
    // round trip for them all); false when it could not be sent.
    bool sendFetch(const QByteArray &before = {});

    bool next() override;
    int columnCount() const override { return int(m_columns.size()); }
    const ColumnInfo &column(int c) const override { return m_columns.at(std::size_t(c)); }
    bool isNull(int c) const override { return !m_row || PQgetisnull(m_row.get(), m_at, c); }
    std::string_view textBytes(int c) const override
    {
        if (isNull(c))
            return {};
        return {value(c), std::size_t(PQgetlength(m_row.get(), m_at, c))};
    }
    bool text(int c, std::string_view &out) const override
    {
        const PGresult *r = m_row.get();
        if (!r)
            return false;
        // A null reads as empty text: only an empty value needs asking which it is.
        const int length = PQgetlength(r, m_at, c);
        if (length == 0 && PQgetisnull(r, m_at, c))
            return false;
        out = {PQgetvalue(r, m_at, c), std::size_t(length)};
        return true;
    }
    qint64 integer(int c) const override;
    double real(int c) const override;
    qint64 julianDay(int c) const override;
    bool boolean(int c) const override;

    // Another statement needs the connection: keep the remaining rows here.
    void bufferRest();
    // The connection goes away: stop the statement and read nothing more.
    void abandon();

private:
    const char *value(int c) const { return PQgetvalue(m_row.get(), m_at, c); }
    std::optional<bool> boolValue(int c) const;
    QByteArray trimmedValue(int c) const;
    Result fetch();        // next result from the connection or the buffer
    Result takeBatch();    // the answer to the FETCH sent last
    void finish();         // the result is complete; the connection is free again
    void stopEarly();      // cancel (when harmless) and read what is left
    void endTransaction(); // batches: the cursor's transaction is over

    PgBackend *m_owner;
    PGconn *m_conn;
    bool m_cancelable;
    Reading m_reading;
    bool m_attached = true; // still reading from the connection
    bool m_done = false;
    bool m_fetchSent = false; // batches: a FETCH whose answer is still to be read
    bool m_sendFailed = false;
    int m_asked = 0; // the rows the FETCH under way asked for
    int m_nextAsk = kFirstBatchRows;
    Result m_first; // the first row or batch, read by start()
    Result m_row;   // the current row, or the batch that holds it
    int m_at = 0;   // the current row's place in m_row
    std::deque<Result> m_buffer;
    std::vector<ColumnInfo> m_columns;
};

class PgBackend final : public Backend {
public:
    explicit PgBackend(PGconn *conn) : m_conn(conn) {}
    ~PgBackend() override
    {
        if (m_active)
            m_active->abandon();
        PQfinish(m_conn);
    }

    BackendKind kind() const override { return BackendKind::Postgres; }

    std::unique_ptr<Cursor> query(const QString &sql, const QVariantList &params) override
    {
        freeConnection();
        int count = 0;
        const QByteArray text = translatePlaceholders(sql.toUtf8(), count);
        checkCount(count, params);
        const Parameters p(params);
        if (!PQsendQueryParams(m_conn, text.constData(), p.count(), nullptr, p.values(), nullptr, nullptr, 0))
            throwResultError(m_conn, nullptr);
        PQsetSingleRowMode(m_conn);
        // Stopping a read early by cancelling is harmless only for a plain
        // read outside a transaction: a cancel would abort the transaction.
        const bool cancelable =
            !m_inTransaction && sql.trimmed().startsWith(QLatin1String("SELECT"), Qt::CaseInsensitive);
        auto cursor = std::make_unique<PgCursor>(*this, m_conn, cancelable, PgCursor::Reading::SingleRows);
        m_active = cursor.get();
        cursor->start();
        return cursor;
    }

    std::unique_ptr<Cursor> queryMany(const QString &sql, const QVariantList &params) override
    {
        if (!sql.trimmed().startsWith(QLatin1String("SELECT"), Qt::CaseInsensitive))
            return query(sql, params);
        freeConnection();
        // A server-side cursor lives in a transaction: a read of its own gets
        // one of its own, which nobody else's statements share. Inside the
        // caller's transaction the rows come one at a time as before.
        if (m_inTransaction || PQtransactionStatus(m_conn) != PQTRANS_IDLE)
            return query(sql, params);
        int count = 0;
        const QByteArray text = "DECLARE orv_rows NO SCROLL CURSOR FOR " + translatePlaceholders(sql.toUtf8(), count);
        checkCount(count, params);
        const Parameters p(params);
        auto cursor = std::make_unique<PgCursor>(*this, m_conn, false, PgCursor::Reading::Batches);
        if (params.isEmpty()) {
            // One round trip for the three: the simple protocol takes them
            // together, and answers each in turn.
            if (!cursor->sendFetch("BEGIN; " + text + "; "))
                throwResultError(m_conn, nullptr);
            for (int i = 0; i < 2; ++i) {
                Result res(PQgetResult(m_conn));
                // The server skips the rest of the script after a failure; the
                // cursor, let go, reads what remains and ends the transaction.
                if (!res || PQresultStatus(res.get()) != PGRES_COMMAND_OK)
                    throwResultError(m_conn, res.get());
            }
        } else {
            Result res(PQexec(m_conn, "BEGIN"));
            if (!res || PQresultStatus(res.get()) != PGRES_COMMAND_OK)
                throwResultError(m_conn, res.get());
            res.reset(PQexecParams(m_conn, text.constData(), p.count(), nullptr, p.values(), nullptr, nullptr, 0));
            if (!res || PQresultStatus(res.get()) != PGRES_COMMAND_OK) {
                Result(PQexec(m_conn, "ROLLBACK"));
                throwResultError(m_conn, res.get());
            }
            cursor->sendFetch();
        }
        m_active = cursor.get();
        cursor->start();
        return cursor;
    }

    qint64 exec(const QString &sql, const QVariantList &params) override
    {
        freeConnection();
        int count = 0;
        const QByteArray text = translatePlaceholders(sql.toUtf8(), count);
        checkCount(count, params);
        // Sent, then waited for, so that a wait for a lock can be shown.
        int sent = 0;
        if (params.isEmpty()) {
            // The simple protocol also takes a script of several statements.
            sent = PQsendQuery(m_conn, text.constData());
        } else {
            const Parameters p(params);
            sent = PQsendQueryParams(m_conn, text.constData(), p.count(), nullptr, p.values(), nullptr, nullptr, 0);
        }
        if (!sent)
            throwResultError(m_conn, nullptr);
        // As PQexec: the last statement's result, or the first failure.
        Result res;
        for (;;) {
            awaitAnswer(m_conn);
            Result next(PQgetResult(m_conn));
            if (!next)
                break;
            if (!res || PQresultStatus(res.get()) != PGRES_FATAL_ERROR)
                res = std::move(next);
        }
        const ExecStatusType st = res ? PQresultStatus(res.get()) : PGRES_FATAL_ERROR;
        if (st != PGRES_COMMAND_OK && st != PGRES_TUPLES_OK && st != PGRES_EMPTY_QUERY)
            throwResultError(m_conn, res.get());
        const char *rows = PQcmdTuples(res.get());
        return rows && *rows ? QByteArray(rows).toLongLong() : 0;
    }

    bool canCopyRows() const override { return true; }

    void copyRows(const QString &table, const QStringList &columns, const QVariantList &values) override
    {
        if (columns.isEmpty() || values.size() % columns.size() != 0)
            throw DbError(ErrGeneric, QStringLiteral("Falsche Anzahl von Werten für die Spalten."));
        if (values.isEmpty())
            return;
        // Every value is made text before the stream opens: a value the
        // server cannot take leaves the connection as it was.
        const QByteArray data = copyText(values, columns.size());
        freeConnection();
        const QByteArray sql = QStringLiteral("COPY %1 (%2) FROM STDIN").arg(table, columns.join(u", ")).toUtf8();
        Result res(PQexec(m_conn, sql.constData()));
        if (!res || PQresultStatus(res.get()) != PGRES_COPY_IN)
            throwResultError(m_conn, res.get());
        res.reset();
        // libpq takes the data in pieces of at most 2 GB; smaller ones keep its buffer small.
        constexpr qsizetype kPiece = 1 << 20;
        bool sent = true;
        for (qsizetype at = 0; sent && at < data.size(); at += kPiece)
            sent = PQputCopyData(m_conn, data.constData() + at, int(std::min(kPiece, data.size() - at))) == 1;
        // A stream that could not be sent whole is ended with an error, so that nothing of it is stored.
        sent = PQputCopyEnd(m_conn, sent ? nullptr : "abgebrochen") == 1 && sent;
        Result end(PQgetResult(m_conn));
        while (Result more = Result(PQgetResult(m_conn))) {
        }
        if (!sent || !end || PQresultStatus(end.get()) != PGRES_COMMAND_OK)
            throwResultError(m_conn, end.get());
    }

    void begin() override
    {
        if (m_inTransaction)
            throw DbError(ErrGeneric, QStringLiteral("Es ist bereits eine Transaktion offen."));
        exec(QStringLiteral("BEGIN"), {});
        m_inTransaction = true;
    }

    void commit() override
    {
        freeConnection();
        m_inTransaction = false;
        Result res(PQexec(m_conn, "COMMIT"));
        if (!res || PQresultStatus(res.get()) != PGRES_COMMAND_OK)
            throwResultError(m_conn, res.get());
        // A transaction that failed earlier ends in ROLLBACK without an error:
        // nothing was stored, and the caller must hear of it.
        if (qstrcmp(PQcmdStatus(res.get()), "ROLLBACK") == 0)
            throw DbError(ErrGeneric, QStringLiteral("Die Transaktion wurde nach einem Fehler zurückgesetzt; "
                                                     "es wurde nichts gespeichert."));
    }

    void rollback() override
    {
        m_inTransaction = false;
        exec(QStringLiteral("ROLLBACK"), {});
    }

    bool inTransaction() const override { return m_inTransaction; }

    // A role that may only read the tables works as on a write-protected
    // file: the windows browse and say why they do not change anything,
    // instead of each change failing at the server. Asked once per session;
    // Connection::writable() opens a new one to ask again.
    bool readOnly() override
    {
        if (!m_readOnly) {
            try {
                auto cur =
                    query(QStringLiteral(
                              "SELECT bool_and(has_table_privilege(t, p)) FROM unnest(ARRAY['kurs', 'mitarbeiter', "
                              "'trainingsplan']) AS t, unnest(ARRAY['INSERT', 'UPDATE', 'DELETE']) AS p"),
                          {});
                m_readOnly = cur->next() && !cur->isNull(0) && !cur->boolean(0);
            } catch (const DbError &) {
                m_readOnly = false; // the tables are not there yet: the statements say so themselves
            }
        }
        return *m_readOnly;
    }

    // Asked once per session, like readOnly(): the log comes with the
    // database's schema version, which the first connection of a run sets.
    bool keepsChangeLog() override
    {
        if (!m_changeLog) {
            try {
                auto cur = query(
                    QStringLiteral("SELECT bool_and(has_table_privilege(c.oid, 'SELECT')) AND count(*) = 2 FROM "
                                   "pg_catalog.pg_class c WHERE c.relname IN ('aenderung', 'aenderungsstand') AND "
                                   "c.relkind = 'r' AND pg_catalog.pg_table_is_visible(c.oid)"),
                    {});
                m_changeLog = cur->next() && !cur->isNull(0) && cur->boolean(0);
            } catch (const DbError &) {
                m_changeLog = false;
            }
        }
        return *m_changeLog;
    }

    bool lost() override
    {
        // A cursor still reading meets a broken connection itself and says so.
        if (m_active)
            return false;
        // A server that restarts or ends the session says so and closes it:
        // what has arrived is read, without waiting, up to that end.
        for (int reads = 0; reads < 16 && PQstatus(m_conn) == CONNECTION_OK && readable(PQsocket(m_conn)); ++reads)
            if (!PQconsumeInput(m_conn))
                break;
        return PQstatus(m_conn) == CONNECTION_BAD;
    }

    qint64 rowEstimate(const QString &table) override
    {
        // The planner's count from the last ANALYZE: -1 before the first one.
        auto cur = query(QStringLiteral("SELECT reltuples::bigint FROM pg_class WHERE oid = to_regclass(?)"), {table});
        return cur->next() && !cur->isNull(0) ? std::max<qint64>(0, cur->integer(0)) : 0;
    }

    QString germanOrder(const QString &expr) const override
    {
        // PostgreSQL puts nulls last unless told.
        return expr + QStringLiteral(" COLLATE \"de-x-icu\" NULLS FIRST");
    }
    // lower() folds by the expression's collation; under C it knows ASCII only.
    // concat() keeps the blanks that fill a char(n) value (a cast to text drops
    // them), and a final sigma is folded like any other, as the in-memory and
    // SQLite folding does: the same filter finds the same rows on both engines.
    QString lowerCase(const QString &expr) const override
    {
        // (The cast to bpchar keeps the blanks and gives a parameter its type;
        // concat() makes a null empty, nullif() gives it back, so that a null
        // matches no filter, as on SQLite: a char(n) value is never empty text.)
        return QStringLiteral("translate(lower(nullif(concat((") + expr
               + QStringLiteral(")::bpchar), '') COLLATE \"de-x-icu\"), '\u03C2', '\u03C3')");
    }

    void released(PgCursor *c)
    {
        if (m_active == c)
            m_active = nullptr;
    }

private:
    // libpq runs one statement at a time: a cursor still reading keeps its
    // remaining rows in memory so that both can go on.
    void freeConnection()
    {
        if (m_active) {
            PgCursor *c = m_active;
            m_active = nullptr;
            c->bufferRest();
        }
    }

    static void checkCount(int placeholders, const QVariantList &params)
    {
        if (placeholders != params.size())
            throw DbError(ErrGeneric, QStringLiteral("Falsche Anzahl von Parametern in der Anweisung."));
    }

    std::optional<bool> m_readOnly;
    std::optional<bool> m_changeLog;
    PGconn *m_conn;
    PgCursor *m_active = nullptr;
    bool m_inTransaction = false;
};

PgCursor::PgCursor(PgBackend &owner, PGconn *conn, bool cancelable, Reading reading)
    : m_owner(&owner), m_conn(conn), m_cancelable(cancelable), m_reading(reading)
{
}

PgCursor::~PgCursor()
{
    if (m_attached && !m_done)
        stopEarly();
    if (m_owner)
        m_owner->released(this);
}

void PgCursor::start()
{
    Result res = fetch();
    const ExecStatusType st = res ? PQresultStatus(res.get()) : PGRES_FATAL_ERROR;
    switch (st) {
    case PGRES_SINGLE_TUPLE:
    case PGRES_TUPLES_OK:
        for (int c = 0; c < PQnfields(res.get()); ++c)
            m_columns.push_back(columnOf(res.get(), c));
        if (PQntuples(res.get()) > 0)
            m_first = std::move(res);
        else
            finish();
        return;
    case PGRES_COMMAND_OK:
    case PGRES_EMPTY_QUERY: finish(); return;
    default: finish(); throwResultError(m_conn, res.get());
    }
}

Result PgCursor::fetch()
{
    if (!m_attached) {
        if (m_buffer.empty())
            return nullptr;
        Result r = std::move(m_buffer.front());
        m_buffer.pop_front();
        return r;
    }
    if (m_reading == Reading::SingleRows) {
        awaitAnswer(m_conn);
        return Result(PQgetResult(m_conn));
    }
    const int asked = m_asked;
    Result batch = takeBatch();
    // A full batch may have more behind it: the next one is asked for now,
    // so that the server sends it while this one is read.
    if (batch && PQresultStatus(batch.get()) == PGRES_TUPLES_OK && PQntuples(batch.get()) == asked)
        sendFetch();
    return batch;
}

bool PgCursor::sendFetch(const QByteArray &before)
{
    m_asked = m_nextAsk;
    m_nextAsk = std::min(m_nextAsk * 2, kLargestBatchRows);
    const QByteArray fetch = before + "FETCH FORWARD " + QByteArray::number(m_asked) + " FROM orv_rows";
    m_fetchSent = PQsendQuery(m_conn, fetch.constData()) == 1;
    m_sendFailed = !m_fetchSent;
    return m_fetchSent;
}

Result PgCursor::takeBatch()
{
    if (!m_fetchSent) {
        // A FETCH that could not be sent (the connection broke) is an
        // error, not the end of the rows.
        return m_sendFailed ? Result(PQmakeEmptyPGresult(m_conn, PGRES_FATAL_ERROR)) : nullptr;
    }
    m_fetchSent = false;
    Result batch(PQgetResult(m_conn));
    while (Result more = Result(PQgetResult(m_conn))) {
    }
    return batch;
}

void PgCursor::endTransaction()
{
    // After an error the transaction ends in a rollback: nothing was written in it.
    Result(PQexec(m_conn, "COMMIT"));
}

void PgCursor::finish()
{
    m_done = true;
    if (m_attached) {
        // Read to the end (null result) so that the next statement may start.
        if (m_reading == Reading::Batches) {
            if (m_fetchSent)
                takeBatch();
            endTransaction();
        } else {
            while (Result r = fetch()) {
            }
        }
        m_attached = false;
        if (m_owner)
            m_owner->released(this);
        m_owner = nullptr;
    }
    m_buffer.clear();
}

bool PgCursor::next()
{
    if (m_first) {
        m_row = std::move(m_first);
        m_at = 0;
        return true;
    }
    if (m_row && ++m_at < PQntuples(m_row.get()))
        return true;
    m_row.reset();
    m_at = 0;
    if (m_done)
        return false;
    Result res = fetch();
    const ExecStatusType st = res ? PQresultStatus(res.get()) : PGRES_TUPLES_OK;
    if ((st == PGRES_SINGLE_TUPLE || st == PGRES_TUPLES_OK) && PQntuples(res.get()) > 0) {
        m_row = std::move(res);
        return true;
    }
    finish();
    if (st == PGRES_TUPLES_OK || st == PGRES_COMMAND_OK)
        return false;
    throwResultError(m_conn, res.get());
}

void PgCursor::bufferRest()
{
    if (!m_attached)
        return;
    if (m_reading == Reading::Batches) {
        const bool more = m_fetchSent;
        const int asked = m_asked;
        Result batch = takeBatch();
        const bool full = batch && PQresultStatus(batch.get()) == PGRES_TUPLES_OK && PQntuples(batch.get()) == asked;
        if (batch)
            m_buffer.push_back(std::move(batch));
        if (more && full)
            m_buffer.emplace_back(PQexec(m_conn, "FETCH ALL FROM orv_rows"));
        endTransaction();
    } else {
        while (Result r = Result(PQgetResult(m_conn)))
            m_buffer.push_back(std::move(r));
    }
    // From now on the cursor lives on its own and may outlast the connection.
    m_attached = false;
    m_owner = nullptr;
    m_conn = nullptr;
}

void PgCursor::abandon()
{
    if (m_attached && !m_done)
        stopEarly();
    m_first.reset();
    m_row.reset(); // the rest of a batch goes with the connection
    m_done = true;
    m_attached = false;
    m_owner = nullptr;
    m_conn = nullptr;
}

void PgCursor::stopEarly()
{
    if (m_reading == Reading::Batches) {
        // Nothing to cancel: the batch on its way is small.
        if (m_fetchSent)
            takeBatch();
        endTransaction();
    } else if (m_cancelable) {
        if (PGcancel *cancel = PQgetCancel(m_conn)) {
            char err[256];
            PQcancel(cancel, err, sizeof err);
            PQfreeCancel(cancel);
        }
    }
    // The cancelled statement ends with an error result, which nobody is
    // waiting for any more; drop it with the remaining rows.
    while (Result r = Result(PQgetResult(m_conn))) {
    }
    m_attached = false;
    m_done = true;
}

qint64 PgCursor::integer(int c) const
{
    if (isNull(c))
        return 0;
    if (const std::optional<bool> b = boolValue(c))
        return *b ? 1 : 0;
    bool ok = false;
    const qint64 i = trimmedValue(c).toLongLong(&ok);
    return ok ? i : qint64(real(c));
}

double PgCursor::real(int c) const
{
    if (isNull(c))
        return 0;
    if (const std::optional<bool> b = boolValue(c))
        return *b ? 1 : 0;
    bool ok = false;
    const double d = trimmedValue(c).toDouble(&ok);
    return ok ? d : 0;
}

// A boolean column as its value; nullopt for any other type.
std::optional<bool> PgCursor::boolValue(int c) const
{
    if (column(c).type != ColType::Bool)
        return std::nullopt;
    return value(c)[0] == 't';
}

// The value's text without blanks around it, not copied.
QByteArray PgCursor::trimmedValue(int c) const
{
    return QByteArray::fromRawData(value(c), PQgetlength(m_row.get(), m_at, c)).trimmed();
}

qint64 PgCursor::julianDay(int c) const
{
    if (isNull(c))
        return 0;
    return julianDayFromIso(textBytes(c));
}

bool PgCursor::boolean(int c) const
{
    if (isNull(c))
        return false;
    if (column(c).type == ColType::Bool)
        return value(c)[0] == 't';
    return integer(c) != 0;
}

} // namespace

std::unique_ptr<Backend> openPostgresBackend(const QString &uri)
{
    const QByteArray conninfo = uri.toUtf8();
    // Array entries before the expanded URI are defaults the URI may
    // override; entries after it always hold.
    const char *keywords[] = {"connect_timeout", "application_name", "dbname", "client_encoding", nullptr};
    const char *values[] = {kConnectTimeoutSeconds, "ORV", conninfo.constData(), "UTF8", nullptr};
    PGconn *conn = PQconnectdbParams(keywords, values, 1);
    const QString where = ConnectionTarget::postgres(uri).displayName();
    if (!conn)
        throw DbError(ErrGeneric,
                      QStringLiteral("Keine Verbindung zur PostgreSQL-Datenbank %1: zu wenig Speicher.").arg(where));
    if (PQstatus(conn) != CONNECTION_OK) {
        const QString msg = connectionMessage(conn);
        PQfinish(conn);
        throw DbError(ErrGeneric, QStringLiteral("Keine Verbindung zur PostgreSQL-Datenbank %1: %2 (%3)")
                                      .arg(where, connectFailure(msg), msg));
    }
    // From here the backend owns the connection and closes it if the
    // session settings fail.
    auto backend = std::make_unique<PgBackend>(conn);
    // A cursor is planned for its whole result, as the same SELECT would be:
    // every large read takes all of its rows.
    backend->exec(QStringLiteral("SET DateStyle = ISO; SET cursor_tuple_fraction = 1"), {});
    return backend;
}

} // namespace orv::data
