#include "data/recordset.h"

#include "data/changelog.h"
#include "data/collation.h"
#include "data/columnvalues.h"
#include "data/dates.h"
#include "data/dberror.h"
#include "data/dbtext.h"
#include "data/rowsort.h"
#include "data/schema.h"
#include "data/snapshot.h"
#include "data/storedvalue.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace orv::data {

namespace {

DbError noCurrentRow()
{
    return DbError(ErrNoCurrentRow, QStringLiteral("Es ist kein aktueller Datensatz vorhanden."));
}

QString canonicalName(const QString &name, const schema::TableDef *preferred)
{
    if (preferred)
        if (const schema::ColumnDef *c = schema::findColumn(*preferred, name))
            return QLatin1String(c->name);
    for (const schema::TableDef *t : schema::tables())
        if (const schema::ColumnDef *c = schema::findColumn(*t, name))
            return QLatin1String(c->name);
    return name;
}

// Lower case of UTF-8 text as foldCase() gives it, for text within Latin-1
// (À..Þ become à..þ, ASCII A..Z a..z); false for any other character.
bool foldLatin1(std::string_view s, std::string &out)
{
    out.assign(s);
    for (size_t i = 0; i < out.size(); ++i) {
        const uint8_t b = uint8_t(out[i]);
        if (b < 0x80) {
            if (b >= 'A' && b <= 'Z')
                out[i] = char(b + ('a' - 'A'));
        } else if ((b == 0xC2 || b == 0xC3) && i + 1 < out.size()) {
            const uint8_t n = uint8_t(out[i + 1]);
            if (n < 0x80 || n > 0xBF)
                return false;
            if (b == 0xC3 && n <= 0x9E && n != 0x97) // × stays
                out[i + 1] = char(n + 0x20);
            ++i;
        } else {
            return false;
        }
    }
    return true;
}

} // namespace

struct RecordSet::Impl {
    Connection *conn = nullptr;
    const schema::TableDef *table = nullptr; // writes go here; nullptr: read-only
    QString sql;
    QVariantList params;
    qint64 expectedRows = 0;                       // the caller's estimate for the first read
    std::function<std::unique_ptr<Cursor>()> read; // when set, the rows come from it instead of sql
    std::shared_ptr<Snapshot> snap;
    std::vector<uint32_t> order; // row numbers in the current order
    qint64 pos = 0;              // index into order; -1 before the first, size() after the last
    bool onGap = false;          // the current row was just deleted
    QStringList sortCols;
    // Pending edit
    bool adding = false;
    bool editing = false;
    std::vector<std::optional<QVariant>> pending;
    qint64 posBeforeAdd = 0;
    bool gapBeforeAdd = false;
    // What the rows were read against: the database's change number (-1:
    // unknown) and the connection's statement count once this set's own
    // writes are counted in. While both hold, a re-read would bring the
    // same rows the snapshot has.
    qint64 readVersion = -1;
    quint64 execsSeen = 0;
    bool stale = false;
    // On a server: the mark of the change log the rows were read against
    // (changelog.h); empty when there is none to ask.
    QString logMark;
    // Containment matches per dictionary entry of the last find, kept for the next one.
    QString matchKey;
    std::vector<uint8_t> matchByDict;
    // Lives as long as this set: a connection may hold undo steps for it.
    std::shared_ptr<char> alive;

    bool isOpen() const { return snap != nullptr; }
    qint64 size() const { return qint64(order.size()); }
    bool onRow() const { return isOpen() && !onGap && pos >= 0 && pos < size(); }
    uint32_t row() const { return order[size_t(pos)]; }
    ColumnStore &col(int c) { return snap->cols[size_t(c)]; }
    const ColumnStore &col(int c) const { return snap->cols[size_t(c)]; }
    const std::optional<QVariant> *pendingFor(int c) const
    {
        if ((adding || editing) && size_t(c) < pending.size() && pending[size_t(c)])
            return &pending[size_t(c)];
        return nullptr;
    }
    void clearPending()
    {
        adding = editing = false;
        pending.clear();
    }

    void load()
    {
        // A full re-read brings about as many rows as the last one.
        qint64 expected = snap ? qint64(snap->rows) : expectedRows;
        if (!snap && table)
            expected = conn->backend().rowEstimate(QString::fromLatin1(table->name));
        // Asked before the read: a write in between makes the next re-read a full one.
        readVersion = conn->backend().dataVersion();
        execsSeen = conn->execCount();
        stale = false;
        logMark = table && !conn->inTransaction() ? changelog::mark(*conn) : QString();
        // Below a few thousand rows the extra round trips of a batched read cost more than they save.
        auto cur = read ? read() : expected >= 5000 ? conn->queryMany(sql, params) : conn->query(sql, params);
        auto s = std::make_shared<Snapshot>();
        s->read(*cur, uint32_t(std::clamp<qint64>(expected, 0, 1 << 26)));
        if (table)
            conn->countTableRows(s->rows);
        for (ColumnStore &c : s->cols) {
            c.info.name = canonicalName(c.info.name, table);
            if (table && c.info.definedSize == 0 && c.info.type == ColType::Text)
                if (const schema::ColumnDef *d = schema::findColumn(*table, c.info.name))
                    c.info.definedSize = d->width;
        }
        snap = std::move(s);
        startOver(true);
    }

    // True when the rows are what a fresh read would bring: nobody (another
    // connection, or this one outside this set) has written since they were
    // read, or, on a server, the rows others changed were read again.
    bool current()
    {
        if (stale || conn->execCount() != execsSeen)
            return false;
        if (readVersion >= 0)
            return conn->backend().dataVersion() == readVersion;
        return catchUp();
    }

    // Beyond this many changed rows a whole read costs less than reading each.
    static constexpr int kMaxChangedRows = 5000;

    bool catchUp()
    {
        if (logMark.isEmpty() || conn->inTransaction())
            return false;
        const changelog::Since since =
            changelog::since(*conn, QString::fromLatin1(table->name), logMark, kMaxChangedRows);
        // A new session (the old one was lost on the way) may have the number
        // of one that wrote meanwhile, whose entries would pass for its own.
        if (conn->execCount() != execsSeen)
            return false;
        if (since.lost || (!since.keys.empty() && !readAgain(since.keys)))
            return false;
        logMark = since.mark;
        execsSeen = conn->execCount();
        return true;
    }

    // The key of row `r` of `s` in the key columns `keyCols`, as the log writes it.
    static std::string keyOf(const Snapshot &s, const std::vector<int> &keyCols, uint32_t r)
    {
        std::string key;
        for (const int c : keyCols) {
            const ColumnStore &cs = s.cols[size_t(c)];
            key += cs.dict.at(cs.ids[r]);
            key += '\x1f';
        }
        return key;
    }

    // Reads the rows of `keys` and puts them in place of the ones held: a
    // changed row keeps its place, a new one comes last, a row gone is
    // dropped at the re-read. False when the rows cannot be matched (then
    // the table is read whole).
    bool readAgain(const std::vector<changelog::Key> &keys)
    {
        std::vector<int> keyCols;
        for (const QString &k : table->keyColumns) {
            keyCols.push_back(indexOf(k));
            if (keyCols.back() < 0 || col(keyCols.back()).info.type != ColType::Text)
                return false;
        }
        std::unordered_map<std::string, size_t> wanted;
        std::vector<std::unordered_set<std::string>> texts(keyCols.size());
        for (size_t i = 0; i < keys.size(); ++i) {
            const QByteArray parts[2] = {keys[i].first.toUtf8(), keys[i].second.toUtf8()};
            std::string key;
            for (size_t j = 0; j < keyCols.size() && j < 2; ++j) {
                texts[j].insert(parts[j].toStdString());
                key += parts[j].toStdString();
                key += '\x1f';
            }
            wanted.emplace(std::move(key), i);
        }

        // The rows as they are now, a few hundred keys a statement.
        constexpr size_t kBatch = 500;
        Snapshot fresh;
        std::vector<uint32_t> freshOf(keys.size(), UINT32_MAX);
        for (size_t from = 0; from < keys.size(); from += kBatch) {
            QStringList marks;
            QVariantList params;
            const QString one = keyCols.size() == 1 ? QStringLiteral("?") : QStringLiteral("(?, ?)");
            for (size_t i = from; i < std::min(keys.size(), from + kBatch); ++i) {
                marks << one;
                params << keys[i].first;
                if (keyCols.size() > 1)
                    params << keys[i].second;
            }
            const QString cols = table->keyColumns.join(QStringLiteral(", "));
            auto cur = conn->query(
                QStringLiteral("%1 WHERE (%2) IN (%3)").arg(sql, cols, marks.join(QStringLiteral(", "))), params);
            Snapshot part;
            part.read(*cur, uint32_t(marks.size()));
            conn->countTableRows(part.rows);
            if (part.cols.size() != snap->cols.size())
                return false;
            if (fresh.cols.empty())
                fresh = std::move(part);
            else
                for (uint32_t r = 0; r < part.rows; ++r)
                    copyRow(part, r, fresh, appendTo(fresh));
        }
        for (uint32_t r = 0; r < fresh.rows; ++r)
            if (const auto it = wanted.find(keyOf(fresh, keyCols, r)); it != wanted.end())
                freshOf[it->second] = r;

        // Other views of these rows keep theirs.
        if (snap.use_count() > 1)
            snap = std::make_shared<Snapshot>(*snap);
        // The rows held under those keys: only rows whose every key text is
        // among the changed ones are looked at closer.
        std::vector<std::vector<uint8_t>> idWanted(keyCols.size());
        for (size_t j = 0; j < keyCols.size(); ++j) {
            const TextDictionary &dict = col(keyCols[j]).dict;
            idWanted[j].assign(dict.size(), 0);
            for (uint32_t id = 1; id < dict.size(); ++id)
                idWanted[j][id] = texts[j].count(std::string(dict.at(id))) ? 1 : 0;
        }
        std::vector<uint32_t> heldOf(keys.size(), UINT32_MAX);
        for (uint32_t r = 0; r < snap->rows; ++r) {
            if (snap->deleted[r])
                continue;
            bool candidate = true;
            for (size_t j = 0; j < keyCols.size() && candidate; ++j)
                candidate = idWanted[j][col(keyCols[j]).ids[r]] != 0;
            if (candidate)
                if (const auto it = wanted.find(keyOf(*snap, keyCols, r)); it != wanted.end())
                    heldOf[it->second] = r;
        }
        for (size_t i = 0; i < keys.size(); ++i) {
            if (freshOf[i] != UINT32_MAX)
                copyRow(fresh, freshOf[i], *snap, heldOf[i] != UINT32_MAX ? heldOf[i] : appendTo(*snap));
            else if (heldOf[i] != UINT32_MAX)
                snap->deleted[heldOf[i]] = 1;
        }
        return true;
    }

    static uint32_t appendTo(Snapshot &s)
    {
        s.appendEmptyRow();
        return s.rows - 1;
    }

    // Row `from` of `src` into row `to` of `dst`, which has the same columns.
    static void copyRow(const Snapshot &src, uint32_t from, Snapshot &dst, uint32_t to)
    {
        for (size_t c = 0; c < dst.cols.size(); ++c) {
            const ColumnStore &in = src.cols[c];
            ColumnStore &out = dst.cols[c];
            if (out.info.type == ColType::Text) {
                const uint32_t id = in.ids[from];
                out.ids[to] = id == TextDictionary::Null ? TextDictionary::Null : out.dict.intern(in.dict.at(id));
                continue;
            }
            if (out.info.type == ColType::Single || out.info.type == ColType::Double)
                out.reals[to] = in.reals[from];
            else
                out.ints[to] = in.ints[from];
            const bool null = in.isNull(from);
            if (null && out.nulls.empty())
                out.nulls.resize(dst.rows, 0);
            if (!out.nulls.empty())
                out.nulls[to] = null ? 1 : 0;
        }
    }
    void beforeOwnWrite()
    {
        if (conn->execCount() != execsSeen)
            stale = true;
    }
    void afterOwnWrite() { execsSeen = conn->execCount(); }

    // The re-read from memory: rows this set deleted leave, new ones stay at
    // the end where the table scan finds them, the sort is applied afresh.
    void reload()
    {
        bool anyDeleted = false;
        if (std::find(snap->deleted.begin(), snap->deleted.end(), uint8_t(1)) != snap->deleted.end()) {
            if (snap.use_count() > 1) { // other views share the rows: they keep theirs
                load();
                return;
            }
            snap->dropDeleted();
            anyDeleted = true;
        }
        // Without deletions the present order still holds every row, mostly
        // sorted already; the sort below ends in the same order from any start.
        startOver(anyDeleted || sortCols.isEmpty() || order.size() != snap->rows);
    }

    // The same statement and rows as `other`, without copying the rows.
    void shareRowsOf(const Impl &other)
    {
        conn = other.conn;
        sql = other.sql;
        params = other.params;
        read = other.read;
        snap = other.snap;
    }

    // The rows as read, on the first one, sorted again; `freshOrder` starts
    // from the table's own order instead of the present one.
    void startOver(bool freshOrder)
    {
        if (freshOrder) {
            order.resize(snap->rows);
            for (uint32_t i = 0; i < snap->rows; ++i)
                order[i] = i;
        }
        pos = 0;
        onGap = false;
        clearPending();
        matchKey.clear();
        if (!sortCols.isEmpty())
            applySort();
    }

    void applySort()
    {
        std::vector<int> columns;
        for (const QString &name : sortCols)
            columns.push_back(indexOf(name));
        sortRows(*snap, order, columns);
        pos = 0;
        onGap = false;
    }

    int indexOf(const QString &name) const
    {
        for (size_t c = 0; c < snap->cols.size(); ++c)
            if (snap->cols[c].info.name.compare(name, Qt::CaseInsensitive) == 0)
                return int(c);
        return -1;
    }

    bool matches(uint32_t r, int c, const Criterion &cr, uint32_t equalId, const QString &needle)
    {
        const ColumnStore &cs = col(c);
        switch (cr.op) {
        case Criterion::Op::Equals:
            if (cs.info.type == ColType::Text) {
                if (!cs.dict.hashed())
                    return matchByDict[cs.ids[r]] != 0;
                return equalId != TextDictionary::Null && cs.ids[r] == equalId;
            }
            return !cs.isNull(r) && textOf(c, r).trimmed() == cr.value.toString().trimmed();
        case Criterion::Op::Contains:
            if (cs.info.type == ColType::Text)
                return matchByDict[cs.ids[r]] != 0;
            return !cs.isNull(r) && foldCase(textOf(c, r)).contains(needle);
        case Criterion::Op::DateEquals:
            return cs.info.type == ColType::Date && !cs.isNull(r) && cs.ints[r] == cr.value.toDate().toJulianDay();
        }
        return false;
    }

    // Prepares what matches() needs for one criterion: the dictionary id
    // for equality, the per-entry matches for containment.
    void prepare(int c, const Criterion &cr, uint32_t &equalId, QString &needle)
    {
        const ColumnStore &cs = col(c);
        equalId = TextDictionary::Null;
        if (cr.op == Criterion::Op::Equals && cs.info.type == ColType::Text) {
            const QByteArray v = cr.value.toString().toUtf8();
            const std::string_view want = rtrimmed(std::string_view(v.constData(), size_t(v.size())));
            if (cs.dict.hashed()) {
                equalId = cs.dict.lookup(want);
            } else {
                const QString key = QString::number(c) + QLatin1String("\x1f=") + cr.value.toString();
                if (key != matchKey || matchByDict.size() != cs.dict.size()) {
                    matchByDict.assign(cs.dict.size(), 0);
                    for (uint32_t id = 1; id < cs.dict.size(); ++id)
                        matchByDict[id] = cs.dict.at(id) == want;
                    matchKey = key;
                }
            }
        }
        if (cr.op == Criterion::Op::Contains) {
            needle = foldCase(cr.value.toString());
            if (cs.info.type == ColType::Text) {
                const QString key = QString::number(c) + QLatin1String("\x1f~") + needle;
                if (key != matchKey || matchByDict.size() != cs.dict.size()) {
                    matchByDict.assign(cs.dict.size(), 0);
                    // Most texts stay within Latin-1: those are folded and searched as
                    // UTF-8 bytes, without a QString each; others go the full Unicode way.
                    const QByteArray folded = needle.toUtf8();
                    const std::string_view want(folded.constData(), size_t(folded.size()));
                    std::string lower;
                    for (uint32_t id = 1; id < cs.dict.size(); ++id) {
                        const std::string_view s = cs.dict.at(id);
                        if (foldLatin1(s, lower))
                            matchByDict[id] = std::string_view(lower).find(want) != std::string_view::npos;
                        else
                            matchByDict[id] = foldCase(fromDbText(s)).contains(needle);
                    }
                    matchKey = key;
                }
            }
        }
    }

    QString textOf(int c, uint32_t r) const { return textOfValue(col(c), r); }

    void store(uint32_t r, int c, const StoredValue &v)
    {
        storeValue(col(c), r, v, snap->rows, conn->backend().kind() == BackendKind::Postgres);
    }

    // Where the set stands and what it is editing, to go back to it.
    struct EditState {
        qint64 pos = 0;
        bool onGap = false;
        bool adding = false;
        bool editing = false;
        std::vector<std::optional<QVariant>> pending;
        qint64 posBeforeAdd = 0;
        bool gapBeforeAdd = false;
    };
    EditState editState() const { return {pos, onGap, adding, editing, pending, posBeforeAdd, gapBeforeAdd}; }
    void restore(const EditState &e)
    {
        pos = e.pos;
        onGap = e.onGap;
        adding = e.adding;
        editing = e.editing;
        pending = e.pending;
        posBeforeAdd = e.posBeforeAdd;
        gapBeforeAdd = e.gapBeforeAdd;
    }

    HeldValue cellOf(int c, uint32_t r) const { return heldValue(col(c), c, r); }
    void putBack(uint32_t r, const HeldValue &cell) { putBackValue(col(cell.c), r, cell); }

    // A write inside a transaction is in the rows at once, but holds only once
    // the transaction commits: should it be rolled back, the rows and the edit
    // go back to `before`, and `undoRows` takes the write out of the rows.
    void keepForRollback(const EditState &before, std::function<void(Impl &)> undoRows)
    {
        if (!conn->inTransaction())
            return;
        if (!alive)
            alive = std::make_shared<char>();
        conn->onRollback(
            [self = this, token = std::weak_ptr<char>(alive), rows = snap, before, undoRows = std::move(undoRows)] {
                if (token.expired() || self->snap != rows)
                    return;
                undoRows(*self);
                self->restore(before);
            });
    }

    // True when the converted value is what the current row held when it was read.
    bool sameAsRead(int c, const StoredValue &v) const { return sameValue(col(c), row(), v); }

    QVariantList keyParams(QString &where) const
    {
        QVariantList keys;
        QStringList parts;
        for (const QString &k : table->keyColumns) {
            const int c = indexOf(k);
            if (c < 0)
                throw DbError(ErrUnknownColumn, QStringLiteral("Das Schlüsselfeld %1 fehlt in der Abfrage.").arg(k));
            parts << k + QStringLiteral(" = ?");
            keys << textOf(c, row());
        }
        where = parts.join(QStringLiteral(" AND "));
        return keys;
    }
};

RecordSet::RecordSet() : d(std::make_unique<Impl>()) {}
RecordSet::~RecordSet() = default;
RecordSet::RecordSet(RecordSet &&) noexcept = default;
RecordSet &RecordSet::operator=(RecordSet &&) noexcept = default;

void RecordSet::openTable(Connection &conn, const QString &table)
{
    const schema::TableDef *def = schema::findTable(table);
    const QString name = def ? QString::fromLatin1(def->name) : table;
    auto fresh = std::make_unique<Impl>();
    fresh->conn = &conn;
    fresh->table = def;
    fresh->sql = QStringLiteral("SELECT * FROM ") + name;
    if (def && conn.backend().kind() == BackendKind::Postgres) {
        // A server pads fixed-width text with blanks, and would send them: it
        // sends the text without, and the set pads it again by the column's
        // width, as it keeps every text.
        QStringList cols;
        for (const schema::ColumnDef &c : def->columns)
            cols << (c.type == ColType::Text ? QStringLiteral("rtrim(%1) AS %1").arg(QLatin1String(c.name))
                                             : QString::fromLatin1(c.name));
        fresh->sql = QStringLiteral("SELECT %1 FROM %2").arg(cols.join(QStringLiteral(", ")), name);
    }
    fresh->load();
    d = std::move(fresh);
}

void RecordSet::openQuery(Connection &conn, const QString &sql, const QVariantList &params, qint64 expectedRows)
{
    auto fresh = std::make_unique<Impl>();
    fresh->conn = &conn;
    fresh->sql = sql;
    fresh->params = params;
    fresh->expectedRows = expectedRows;
    fresh->load();
    d = std::move(fresh);
}

void RecordSet::openRows(Connection &conn, std::function<std::unique_ptr<Cursor>()> read, qint64 expectedRows)
{
    auto fresh = std::make_unique<Impl>();
    fresh->conn = &conn;
    fresh->read = std::move(read);
    fresh->expectedRows = expectedRows;
    fresh->load();
    d = std::move(fresh);
}

void RecordSet::close() { d = std::make_unique<Impl>(); }
bool RecordSet::isOpen() const { return d->isOpen(); }

int RecordSet::columnCount() const { return d->isOpen() ? int(d->snap->cols.size()) : 0; }
int RecordSet::columnIndex(const QString &name) const { return d->isOpen() ? d->indexOf(name) : -1; }
const ColumnInfo &RecordSet::column(int c) const { return d->snap->cols.at(size_t(c)).info; }

int RecordSet::need(const QString &col) const
{
    const int c = columnIndex(col);
    if (c < 0)
        throw DbError(ErrUnknownColumn,
                      QStringLiteral("Das Feld %1 ist in der Datensatzgruppe nicht vorhanden.").arg(col));
    return c;
}

int RecordSet::recordCount() const { return int(d->size()); }

bool RecordSet::bof() const
{
    if (!d->isOpen())
        return true;
    if (d->adding || d->onGap)
        return false;
    return d->order.empty() || d->pos < 0;
}

bool RecordSet::eof() const
{
    if (!d->isOpen())
        return true;
    if (d->adding || d->onGap)
        return false;
    return d->order.empty() || d->pos >= d->size();
}

void RecordSet::moveFirst()
{
    d->clearPending();
    d->onGap = false;
    d->pos = 0;
}

void RecordSet::moveLast()
{
    d->clearPending();
    d->onGap = false;
    d->pos = d->size() - 1;
    if (d->pos < 0)
        d->pos = 0;
}

void RecordSet::moveNext()
{
    d->clearPending();
    if (d->onGap) {
        d->onGap = false; // the row after the deleted one has moved up into its place
        return;
    }
    d->pos = std::min(d->pos + 1, d->size());
}

void RecordSet::movePrevious()
{
    d->clearPending();
    if (d->onGap) {
        d->onGap = false;
        d->pos = std::max<qint64>(d->pos - 1, -1);
        return;
    }
    d->pos = std::max<qint64>(d->pos - 1, -1);
}

int RecordSet::bookmark() const { return d->onRow() && !d->adding ? int(d->row()) + 1 : 0; }

bool RecordSet::gotoBookmark(int bookmark)
{
    if (!d->isOpen() || bookmark < 1 || uint32_t(bookmark) > d->snap->rows)
        return false;
    const uint32_t r = uint32_t(bookmark - 1);
    const auto it = std::find(d->order.begin(), d->order.end(), r);
    if (it == d->order.end())
        return false;
    d->clearPending();
    d->onGap = false;
    d->pos = it - d->order.begin();
    return true;
}

int RecordSet::absolutePosition() const { return d->onRow() ? int(d->pos) + 1 : 0; }

bool RecordSet::isNull(int c) const
{
    if (const auto *p = d->pendingFor(c))
        return (*p)->isNull() && (*p)->typeId() != QMetaType::QString;
    return !d->onRow() || d->col(c).isNull(d->row());
}

QString RecordSet::text(int c) const
{
    if (const auto *p = d->pendingFor(c)) {
        QString t = (*p)->toString();
        const int w = column(c).definedSize;
        if (column(c).type == ColType::Text && w > 0)
            t += QString(std::max<qsizetype>(0, w - characterCount(t)), QLatin1Char(' '));
        return t;
    }
    if (!d->onRow())
        return QString();
    return d->textOf(c, d->row());
}

double RecordSet::number(int c) const
{
    if (const auto *p = d->pendingFor(c))
        return numberFromText((*p)->toString()).value_or(0);
    if (!d->onRow())
        return 0;
    const ColumnStore &cs = d->col(c);
    const uint32_t r = d->row();
    if (cs.isNull(r))
        return 0;
    switch (cs.info.type) {
    case ColType::Single:
    case ColType::Double: return cs.reals[r];
    case ColType::Integer:
    case ColType::Bool: return double(cs.ints[r]);
    case ColType::Text: return numberFromText(d->textOf(c, r)).value_or(0);
    case ColType::Date: return 0;
    }
    return 0;
}

QDate RecordSet::date(int c) const
{
    if (const auto *p = d->pendingFor(c)) {
        if ((*p)->typeId() == QMetaType::QDate)
            return (*p)->toDate();
        return dateFromText((*p)->toString()).value_or(QDate());
    }
    if (!d->onRow())
        return QDate();
    const ColumnStore &cs = d->col(c);
    const uint32_t r = d->row();
    if (cs.isNull(r) || cs.info.type != ColType::Date)
        return QDate();
    return QDate::fromJulianDay(cs.ints[r]);
}

bool RecordSet::boolean(int c) const
{
    if (const auto *p = d->pendingFor(c))
        return (*p)->toBool();
    if (!d->onRow())
        return false;
    const ColumnStore &cs = d->col(c);
    const uint32_t r = d->row();
    return !cs.isNull(r) && cs.info.type == ColType::Bool && cs.ints[r] != 0;
}

QVariant RecordSet::value(int c) const
{
    if (isNull(c))
        return QVariant();
    switch (column(c).type) {
    case ColType::Text: return text(c);
    case ColType::Single:
    case ColType::Double: return number(c);
    case ColType::Integer: return qint64(number(c));
    case ColType::Date: return date(c);
    case ColType::Bool: return boolean(c);
    }
    return QVariant();
}

std::string_view RecordSet::textBytes(int c) const
{
    if (!d->onRow())
        return {};
    const ColumnStore &cs = d->col(c);
    const uint32_t r = d->row();
    if (cs.info.type != ColType::Text || cs.isNull(r))
        return {};
    return cs.dict.at(cs.ids[r]);
}

qint64 RecordSet::textKey(int c) const
{
    if (!d->onRow() || d->pendingFor(c))
        return -1;
    const ColumnStore &cs = d->col(c);
    if (cs.info.type != ColType::Text || !cs.dict.hashed())
        return -1;
    return cs.ids[d->row()];
}

void RecordSet::sort(const QString &columns)
{
    QStringList cols;
    for (const QString &part : columns.split(QLatin1Char(','), Qt::SkipEmptyParts))
        cols << part.trimmed();
    for (const QString &c : cols)
        need(c);
    d->sortCols = cols;
    if (d->isOpen()) {
        d->clearPending();
        d->applySort();
    }
}

QString RecordSet::sortColumns() const { return d->sortCols.join(QLatin1Char(',')); }

bool RecordSet::find(const Criterion &criterion)
{
    const int c = need(criterion.column);
    d->clearPending();
    qint64 i = d->onGap ? d->pos : std::max<qint64>(d->pos, 0);
    d->onGap = false;
    uint32_t equalId = 0;
    QString needle;
    d->prepare(c, criterion, equalId, needle);
    for (; i < d->size(); ++i) {
        if (d->matches(d->order[size_t(i)], c, criterion, equalId, needle)) {
            d->pos = i;
            return true;
        }
    }
    d->pos = d->size();
    return false;
}

RecordSet RecordSet::clone() const
{
    RecordSet copy;
    copy.d->shareRowsOf(*d);
    copy.d->table = d->table;
    copy.d->order = d->order;
    copy.d->pos = d->onGap ? 0 : d->pos;
    copy.d->sortCols = d->sortCols;
    return copy;
}

void RecordSet::filter(const std::vector<Criterion> &criteria)
{
    d->clearPending();
    std::vector<int> cols;
    std::vector<uint32_t> ids(criteria.size());
    std::vector<QString> needles(criteria.size());
    for (size_t j = 0; j < criteria.size(); ++j) {
        cols.push_back(need(criteria[j].column));
    }
    std::vector<uint32_t> kept;
    // Containment caches one criterion at a time: evaluate criteria one after another.
    std::vector<uint32_t> current = d->order;
    for (size_t j = 0; j < criteria.size(); ++j) {
        d->prepare(cols[j], criteria[j], ids[j], needles[j]);
        kept.clear();
        for (uint32_t r : current)
            if (d->matches(r, cols[j], criteria[j], ids[j], needles[j]))
                kept.push_back(r);
        current.swap(kept);
    }
    d->order.swap(current);
    d->pos = 0;
    d->onGap = false;
}

void RecordSet::addNew()
{
    if (!d->isOpen())
        throw noCurrentRow();
    d->posBeforeAdd = d->pos;
    d->gapBeforeAdd = d->onGap;
    d->clearPending();
    d->adding = true;
    d->pending.assign(d->snap->cols.size(), std::nullopt);
}

bool RecordSet::isAdding() const { return d->adding; }
bool RecordSet::isEditing() const { return d->editing; }

void RecordSet::setField(int c, const QVariant &value)
{
    if (!d->adding) {
        if (!d->onRow())
            throw noCurrentRow();
        if (!d->editing) {
            d->editing = true;
            d->pending.assign(d->snap->cols.size(), std::nullopt);
        }
    }
    d->pending.at(size_t(c)) = value;
}

void RecordSet::update()
{
    if (!d->adding && !d->editing)
        return;
    if (!d->table)
        throw DbError(ErrGeneric, QStringLiteral("Diese Datensatzgruppe kann nicht geändert werden."));
    // Check every value before anything is written.
    std::vector<std::pair<int, StoredValue>> values;
    for (size_t c = 0; c < d->pending.size(); ++c)
        if (d->pending[c])
            values.emplace_back(int(c), storedValue(d->col(int(c)).info, *d->pending[c]));

    const Impl::EditState before = d->editState();
    d->beforeOwnWrite();
    if (d->adding) {
        QStringList names, marks;
        QVariantList params;
        for (const auto &[c, v] : values) {
            names << d->col(c).info.name;
            marks << QStringLiteral("?");
            params << v.param;
        }
        d->conn->exec(
            QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                .arg(QLatin1String(d->table->name), names.join(QStringLiteral(", ")), marks.join(QStringLiteral(", "))),
            params);
        d->snap->appendEmptyRow();
        const uint32_t r = d->snap->rows - 1;
        for (const auto &[c, v] : values)
            d->store(r, c, v);
        d->order.push_back(r);
        d->pos = d->size() - 1;
        d->onGap = false;
        d->afterOwnWrite();
        d->keepForRollback(before, [r](Impl &i) {
            i.snap->deleted[r] = 1;
            std::erase(i.order, r);
        });
    } else {
        // Only what the user changed goes back: another workstation's change
        // of another column of this row stays.
        std::erase_if(values, [&](const auto &cv) { return d->sameAsRead(cv.first, cv.second); });
        QString where;
        const QVariantList keys = d->keyParams(where);
        if (values.empty()) {
            // Nothing to write; the row must still be there, as for any save.
            if (!d->conn->exists(QStringLiteral("SELECT 1 FROM %1 WHERE %2").arg(QLatin1String(d->table->name), where),
                                 keys))
                throw DbError(ErrRowGone,
                              QStringLiteral("Der Datensatz wurde nicht gefunden; er wurde inzwischen gelöscht."));
            d->keepForRollback(before, [](Impl &) {});
        } else {
            QStringList sets;
            QVariantList params;
            for (const auto &[c, v] : values) {
                sets << d->col(c).info.name + QStringLiteral(" = ?");
                params << v.param;
            }
            params << keys;
            const qint64 n =
                d->conn->exec(QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                                  .arg(QLatin1String(d->table->name), sets.join(QStringLiteral(", ")), where),
                              params);
            if (n == 0)
                throw DbError(
                    ErrRowGone,
                    QStringLiteral("Der Datensatz wurde nicht gefunden; er wurde inzwischen geändert oder gelöscht."));
            const uint32_t r = d->row();
            std::vector<HeldValue> old;
            for (const auto &[c, v] : values) {
                old.push_back(d->cellOf(c, r));
                d->store(r, c, v);
            }
            d->afterOwnWrite();
            d->keepForRollback(before, [r, old = std::move(old)](Impl &i) {
                for (const HeldValue &cell : old)
                    i.putBack(r, cell);
            });
        }
    }
    d->clearPending();
}

void RecordSet::cancelUpdate()
{
    if (d->adding) {
        d->pos = d->posBeforeAdd;
        d->onGap = d->gapBeforeAdd;
    }
    d->clearPending();
}

void RecordSet::deleteCurrent()
{
    if (!d->table)
        throw DbError(ErrGeneric, QStringLiteral("Diese Datensatzgruppe kann nicht geändert werden."));
    d->clearPending();
    if (!d->onRow())
        throw noCurrentRow();
    QString where;
    const QVariantList keys = d->keyParams(where);
    const Impl::EditState before = d->editState();
    d->beforeOwnWrite();
    const qint64 n =
        d->conn->exec(QStringLiteral("DELETE FROM %1 WHERE %2").arg(QLatin1String(d->table->name), where), keys);
    if (n == 0)
        throw DbError(ErrRowGone, QStringLiteral("Der Datensatz wurde nicht gefunden; er wurde inzwischen gelöscht."));
    const uint32_t r = d->row();
    d->snap->deleted[r] = 1;
    d->order.erase(d->order.begin() + d->pos);
    d->onGap = true;
    d->afterOwnWrite();
    d->keepForRollback(before, [r, at = d->pos](Impl &i) {
        i.snap->deleted[r] = 0;
        i.order.insert(i.order.begin() + at, r);
    });
}

void RecordSet::requery()
{
    if (!d->conn)
        throw noCurrentRow();
    if (d->isOpen() && d->current())
        d->reload();
    else
        d->load();
}

RecordSet RecordSet::reread() const
{
    if (!d->conn)
        throw noCurrentRow();
    RecordSet fresh;
    const bool anyDeleted =
        d->isOpen()
        && std::find(d->snap->deleted.begin(), d->snap->deleted.end(), uint8_t(1)) != d->snap->deleted.end();
    if (!d->isOpen() || d->adding || anyDeleted || !d->current()) {
        // About as many rows as were read last time.
        const qint64 expected = d->isOpen() ? qint64(d->snap->rows) : 0;
        d->read ? fresh.openRows(*d->conn, d->read, expected) : fresh.openQuery(*d->conn, d->sql, d->params, expected);
        return fresh;
    }
    fresh.d->shareRowsOf(*d);
    fresh.d->readVersion = d->readVersion;
    fresh.d->execsSeen = d->execsSeen;
    fresh.d->logMark = d->logMark;
    fresh.d->reload();
    return fresh;
}

} // namespace orv::data
