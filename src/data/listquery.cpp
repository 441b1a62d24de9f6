#include "data/listquery.h"

#include "data/collation.h"
#include "data/connection.h"
#include "data/schema.h"
#include "data/snapshot.h"

#include <QStringList>
#include <string>
#include <unordered_map>

namespace orv::data {

namespace {

// The typed text folded to lower case (the column is folded the same way in
// SQL) with %, _ and the escape character itself taken literally.
QString literal(const QString &typed)
{
    const QString folded = foldCase(typed);
    QString out;
    out.reserve(folded.size() * 2);
    for (const QChar c : folded) {
        if (c == QLatin1Char('!') || c == QLatin1Char('%') || c == QLatin1Char('_'))
            out += QLatin1Char('!');
        out += c;
    }
    return out;
}

QString where(const QStringList &conditions)
{
    return conditions.isEmpty() ? QString() : QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" AND "));
}

// One value of a joined table's row, as its statement gave it.
struct Cell {
    std::string text;   // text and dates
    qint64 integer = 0; // whole numbers, yes/no, a date's Julian day
    double real = 0;
    bool null = true;
};

struct TextHash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const { return std::hash<std::string_view>()(s); }
};

// The rows of a joined table, found by key: its key as the file database
// compares it (trailing blanks do not count), its row's values.
class KeyedRows {
public:
    void read(Cursor &cur)
    {
        const int n = cur.columnCount();
        for (int c = 1; c < n; ++c)
            m_info.push_back(cur.column(c));
        m_width = size_t(n - 1);
        while (cur.next()) {
            std::string_view key;
            if (!cur.text(0, key))
                continue; // null matches nothing
            // A key is there once; of values equal but for blanks, the first is kept.
            if (!m_rows.try_emplace(std::string(rtrimmed(key)), uint32_t(m_cells.size() / std::max<size_t>(m_width, 1)))
                     .second)
                continue;
            for (int c = 1; c < n; ++c)
                m_cells.push_back(cellOf(cur, c));
            if (m_width == 0)
                m_cells.emplace_back(); // keeps the row numbers apart
        }
    }
    // The row with this key, or false.
    bool find(std::string_view key)
    {
        const auto it = m_rows.find(rtrimmed(key));
        if (it == m_rows.end())
            return false;
        m_at = it->second;
        return true;
    }
    const Cell &cell(int c) const { return m_cells[m_at * std::max<size_t>(m_width, 1) + size_t(c)]; }
    const ColumnInfo &info(int c) const { return m_info[size_t(c)]; }

private:
    static Cell cellOf(Cursor &cur, int c)
    {
        Cell cell;
        if (cur.isNull(c))
            return cell;
        cell.null = false;
        switch (cur.column(c).type) {
        case ColType::Text: cell.text.assign(cur.textBytes(c)); break;
        case ColType::Date:
            cell.text.assign(cur.textBytes(c));
            cell.integer = cur.julianDay(c);
            break;
        case ColType::Single:
        case ColType::Double: cell.real = cur.real(c); break;
        case ColType::Integer: cell.integer = cur.integer(c); break;
        case ColType::Bool: cell.integer = cur.boolean(c) ? 1 : 0; break;
        }
        return cell;
    }

    std::vector<ColumnInfo> m_info;
    size_t m_width = 0;
    std::vector<Cell> m_cells; // row after row
    std::unordered_map<std::string, uint32_t, TextHash, std::equal_to<>> m_rows;
    uint32_t m_at = 0;
};

// The list's own rows, each with its joined tables' values; rows without a
// match in every joined table are passed over, as the inner join leaves them out.
class JoinedRows final : public Cursor {
public:
    struct Place {
        int table; // 0: the own rows; 1 + n: the n-th joined table's
        int column;
    };
    JoinedRows(std::unique_ptr<Cursor> own, std::vector<KeyedRows> joined, std::vector<int> keyAt,
               std::vector<Place> places)
        : m_own(std::move(own)), m_joined(std::move(joined)), m_keyAt(std::move(keyAt)), m_places(std::move(places))
    {
        for (const Place &p : m_places)
            m_info.push_back(p.table == 0 ? m_own->column(p.column) : m_joined[size_t(p.table - 1)].info(p.column));
    }

    bool next() override
    {
        while (m_own->next()) {
            bool matched = true;
            for (size_t j = 0; j < m_joined.size() && matched; ++j) {
                std::string_view key;
                matched = m_own->text(m_keyAt[j], key) && m_joined[j].find(key);
            }
            if (matched)
                return true;
        }
        return false;
    }
    int columnCount() const override { return int(m_places.size()); }
    const ColumnInfo &column(int c) const override { return m_info[size_t(c)]; }
    bool isNull(int c) const override
    {
        const Place p = m_places[size_t(c)];
        return p.table == 0 ? m_own->isNull(p.column) : cell(p).null;
    }
    std::string_view textBytes(int c) const override
    {
        const Place p = m_places[size_t(c)];
        return p.table == 0 ? m_own->textBytes(p.column) : std::string_view(cell(p).text);
    }
    bool text(int c, std::string_view &out) const override
    {
        const Place p = m_places[size_t(c)];
        if (p.table == 0)
            return m_own->text(p.column, out);
        const Cell &v = cell(p);
        out = v.text;
        return !v.null;
    }
    qint64 integer(int c) const override
    {
        const Place p = m_places[size_t(c)];
        if (p.table == 0)
            return m_own->integer(p.column);
        const Cell &v = cell(p);
        return isReal(p) ? qint64(v.real) : v.integer;
    }
    double real(int c) const override
    {
        const Place p = m_places[size_t(c)];
        if (p.table == 0)
            return m_own->real(p.column);
        const Cell &v = cell(p);
        return isReal(p) ? v.real : double(v.integer);
    }
    qint64 julianDay(int c) const override
    {
        const Place p = m_places[size_t(c)];
        return p.table == 0 ? m_own->julianDay(p.column) : cell(p).integer;
    }
    bool boolean(int c) const override
    {
        const Place p = m_places[size_t(c)];
        return p.table == 0 ? m_own->boolean(p.column) : cell(p).integer != 0;
    }

private:
    const Cell &cell(Place p) const { return m_joined[size_t(p.table - 1)].cell(p.column); }
    bool isReal(Place p) const
    {
        const ColType t = m_joined[size_t(p.table - 1)].info(p.column).type;
        return t == ColType::Single || t == ColType::Double;
    }

    std::unique_ptr<Cursor> m_own;
    std::vector<KeyedRows> m_joined;
    std::vector<int> m_keyAt; // per joined table: its key's column in the own rows
    std::vector<Place> m_places;
    std::vector<ColumnInfo> m_info;
};

} // namespace

ListQuery::ListQuery(const ListTable &list, const Backend &backend) : m_list(list), m_backend(backend)
{
    // The printed list does not read what only the spreadsheet shows.
    for (const ListColumn &c : list.columns) {
        if (c.shown == Shown::Exported)
            break;
        m_columns.push_back(&c);
    }
}

void ListQuery::withExportedColumns()
{
    for (const ListColumn &c : m_list.columns) {
        if (c.shown == Shown::Exported)
            m_columns.push_back(&c);
    }
}

int ListQuery::tableOf(const char *column) const
{
    const QString name = QString::fromLatin1(column);
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    QStringList tables{QString::fromLatin1(m_list.from)};
    for (const ListJoin &j : m_list.joins)
        tables << QString::fromLatin1(j.table);
    for (int t = 0; t < tables.size(); ++t) {
        if (dot >= 0) {
            if (name.left(dot).compare(tables.at(t), Qt::CaseInsensitive) == 0)
                return t;
            continue;
        }
        const schema::TableDef *def = schema::findTable(tables.at(t));
        if (!def)
            return -1;
        if (schema::findColumn(*def, name))
            return t;
    }
    return -1;
}

void ListQuery::add(const char *column, const QString &condition, QVariantList params)
{
    m_params += params;
    m_conditions.push_back({m_list.joins.empty() ? 0 : tableOf(column), condition, std::move(params)});
}

void ListQuery::equals(const char *column, const QVariant &value)
{
    add(column, QString::fromLatin1(column) + QStringLiteral(" = ?"), {value});
}

void ListQuery::like(const char *column, const QString &pattern)
{
    add(column, m_backend.lowerCase(QString::fromLatin1(column)) + QStringLiteral(" LIKE ? ESCAPE '!'"), {pattern});
}

void ListQuery::contains(const char *column, const QString &text)
{
    like(column, QLatin1Char('%') + literal(text) + QLatin1Char('%'));
}

void ListQuery::startsWith(const char *column, const QString &text) { like(column, literal(text) + QLatin1Char('%')); }

void ListQuery::between(const char *column, const QVariant &from, const QVariant &to)
{
    const QString c = QString::fromLatin1(column);
    add(column, c + QStringLiteral(" >= ? AND ") + c + QStringLiteral(" <= ?"), {from, to});
}

void ListQuery::oneOf(const char *column, const QVariantList &values)
{
    QStringList alternatives;
    for (qsizetype i = 0; i < values.size(); ++i)
        alternatives << QString::fromLatin1(column) + QStringLiteral(" = ?");
    add(column,
        QLatin1Char('(')
            + (alternatives.isEmpty() ? QStringLiteral("1 = 0") : alternatives.join(QStringLiteral(" OR ")))
            + QLatin1Char(')'),
        values);
}

QString ListQuery::sql() const
{
    QStringList columns;
    for (const ListColumn *c : m_columns)
        columns << QLatin1String(c->source);
    const QString own = QString::fromLatin1(m_list.from);
    QString from = own;
    for (const ListJoin &j : m_list.joins) {
        if (&j != m_list.joins.data())
            from = QLatin1Char('(') + from + QLatin1Char(')');
        const QString table = QString::fromLatin1(j.table), key = QString::fromLatin1(j.key);
        from += QStringLiteral(" INNER JOIN %1 ON %2.%3 = %1.%3").arg(table, own, key);
    }
    QStringList conditions;
    for (const Condition &c : m_conditions)
        conditions << c.sql;
    return QStringLiteral("SELECT ") + columns.join(QLatin1Char(',')) + QStringLiteral(" FROM ") + from
           + where(conditions);
}

bool ListQuery::readsTablesApart() const
{
    if (m_list.joins.empty())
        return false;
    for (const ListColumn *c : m_columns)
        if (tableOf(c->source) < 0)
            return false;
    for (const Condition &c : m_conditions)
        if (c.table < 0)
            return false;
    return true;
}

std::vector<ListQuery::TableRead> ListQuery::tableReads() const
{
    const size_t tables = 1 + m_list.joins.size();
    std::vector<QStringList> columns(tables), conditions(tables);
    std::vector<TableRead> reads(tables);
    for (size_t j = 0; j < m_list.joins.size(); ++j)
        columns[j + 1] << QString::fromLatin1(m_list.joins[j].key);
    for (const ListColumn *c : m_columns)
        columns[size_t(tableOf(c->source))] << QString::fromLatin1(c->source);
    for (const ListJoin &j : m_list.joins)
        columns[0] << QString::fromLatin1(j.key);
    for (const Condition &c : m_conditions) {
        conditions[size_t(c.table)] << c.sql;
        reads[size_t(c.table)].params += c.params;
    }
    for (size_t t = 0; t < tables; ++t) {
        const QString table = QString::fromLatin1(t == 0 ? m_list.from : m_list.joins[t - 1].table);
        reads[t].sql = QStringLiteral("SELECT ") + columns[t].join(QLatin1Char(',')) + QStringLiteral(" FROM ") + table
                       + where(conditions[t]);
    }
    return reads;
}

std::unique_ptr<Cursor> ListQuery::readApart(Connection &conn) const
{
    const std::vector<TableRead> reads = tableReads();
    // The places of the columns in the reads, as tableReads() lists them; a
    // joined table's rows keep their values without the key.
    std::vector<int> next(reads.size(), 0);
    std::vector<JoinedRows::Place> places;
    for (const ListColumn *c : m_columns) {
        const int t = tableOf(c->source);
        places.push_back({t, next[size_t(t)]++});
    }
    std::vector<int> keyAt;
    for (size_t j = 0; j < m_list.joins.size(); ++j)
        keyAt.push_back(next[0]++);
    // The joined tables first: the own rows, the many, then stream past them.
    std::vector<KeyedRows> joined(m_list.joins.size());
    for (size_t j = 0; j < joined.size(); ++j)
        joined[j].read(*conn.queryMany(reads[j + 1].sql, reads[j + 1].params));
    return std::make_unique<JoinedRows>(conn.queryMany(reads[0].sql, reads[0].params), std::move(joined),
                                        std::move(keyAt), std::move(places));
}

} // namespace orv::data
