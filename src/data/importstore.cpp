#include "data/importstore.h"

#include "data/batchinsert.h"
#include "data/dbtext.h"
#include "data/storedvalue.h"

#include <QDate>
#include <optional>

namespace orv::data::importstore {

namespace {

constexpr int kRowsPerInsert = 50; // 500 parameters at most: within every SQLite's limit
const QString kChanges = QStringLiteral("orv_import_changes");

QString rtrimmed(std::string_view bytes)
{
    while (!bytes.empty() && bytes.back() == ' ')
        bytes.remove_suffix(1);
    return fromDbText(bytes);
}

QVariant valueOf(const Cursor &cur, int c, ColType type)
{
    switch (type) {
    case ColType::Text: return cur.isNull(c) ? QString() : rtrimmed(cur.textBytes(c));
    case ColType::Date: {
        const qint64 jd = cur.julianDay(c);
        return jd ? QDate::fromJulianDay(jd) : QDate();
    }
    case ColType::Bool: return cur.boolean(c);
    default: return cur.isNull(c) ? 0.0 : cur.real(c);
    }
}

QStringList columnNames(const schema::TableDef &t)
{
    QStringList names;
    for (const schema::ColumnDef &c : t.columns)
        names << QLatin1String(c.name);
    return names;
}

} // namespace

void holdTables(Connection &conn, const schema::TableDef &table)
{
    if (conn.backend().kind() != BackendKind::Postgres)
        return;
    const QString name = QLatin1String(table.name);
    conn.exec(QStringLiteral("LOCK TABLE %1 IN SHARE ROW EXCLUSIVE MODE").arg(name));
    if (name == QLatin1String("Trainingsplan"))
        conn.exec(QStringLiteral("LOCK TABLE Kurs, Mitarbeiter IN SHARE MODE"));
}

void readRows(Connection &conn, const schema::TableDef &table, bool wholeRows,
              const std::function<void(const QVariantList &)> &each)
{
    std::vector<const schema::ColumnDef *> columns;
    QStringList names;
    for (const schema::ColumnDef &c : table.columns)
        if (wholeRows || table.keyColumns.contains(QLatin1String(c.name))) {
            columns.push_back(&c);
            names << QLatin1String(c.name);
        }
    auto cur = conn.queryMany(
        QStringLiteral("SELECT %1 FROM %2").arg(names.join(QStringLiteral(", ")), QLatin1String(table.name)));
    QVariantList values;
    while (cur->next()) {
        values.clear();
        for (size_t c = 0; c < columns.size(); ++c)
            values << valueOf(*cur, int(c), columns[c]->type);
        each(values);
    }
}

void readColumn(Connection &conn, const QString &table, const QString &column,
                const std::function<void(const QString &)> &each)
{
    auto cur = conn.queryMany(QStringLiteral("SELECT %1 FROM %2").arg(column, table));
    while (cur->next())
        each(cur->isNull(0) ? QString() : rtrimmed(cur->textBytes(0)));
}

struct RowWriter::Impl {
    Connection &conn;
    const schema::TableDef &table;
    QStringList names;
    std::vector<ColumnInfo> columns;
    BatchInsert insert;
    std::optional<BatchInsert> changes;
    std::vector<bool> anyChanged;
};

RowWriter::RowWriter(Connection &conn, const schema::TableDef &table)
    : d(new Impl{conn,
                 table,
                 columnNames(table),
                 {},
                 BatchInsert(conn, QLatin1String(table.name), columnNames(table), kRowsPerInsert),
                 std::nullopt,
                 std::vector<bool>(table.columns.size(), false)})
{
    for (const schema::ColumnDef &c : table.columns)
        d->columns.push_back({QLatin1String(c.name), c.type, c.width});
}

RowWriter::~RowWriter() = default;

QVariantList RowWriter::stored(const QVariantList &values) const
{
    QVariantList out;
    for (size_t f = 0; f < d->columns.size(); ++f)
        out << storedValue(d->columns[f], values.value(qsizetype(f))).param;
    return out;
}

void RowWriter::add(const QVariantList &values) { d->insert.add(stored(values)); }

void RowWriter::change(const QVariantList &values, const std::vector<bool> &changed)
{
    if (!d->changes) {
        d->conn.exec(QStringLiteral("CREATE TEMP TABLE %1 AS SELECT *, '' AS orv_changed FROM %2 WHERE 1 = 0")
                         .arg(kChanges, QLatin1String(d->table.name)));
        d->changes.emplace(d->conn, kChanges, d->names + QStringList{QStringLiteral("orv_changed")}, kRowsPerInsert);
    }
    QVariantList row = stored(values);
    QString marks; // '1' for each column this row changes
    for (size_t f = 0; f < d->anyChanged.size(); ++f) {
        const bool c = f < changed.size() && changed[f];
        marks += QLatin1Char(c ? '1' : '0');
        d->anyChanged[f] = d->anyChanged[f] || c;
    }
    row << marks;
    d->changes->add(row);
}

void RowWriter::finish()
{
    d->insert.flush();
    if (!d->changes)
        return;
    d->changes->flush();
    const QString table = QLatin1String(d->table.name);
    // Only the columns a row changes are written, as a save does; the others keep what is stored.
    QStringList sets, where;
    for (size_t f = 0; f < d->anyChanged.size(); ++f)
        if (d->anyChanged[f])
            sets << QStringLiteral("%1 = CASE WHEN substr(u.orv_changed, %2, 1) = '1' THEN u.%1 ELSE %3.%1 END")
                        .arg(d->names[qsizetype(f)])
                        .arg(f + 1)
                        .arg(table);
    for (const QString &k : d->table.keyColumns)
        where << QStringLiteral("%1.%2 = u.%2").arg(table, k);
    if (!sets.isEmpty())
        d->conn.exec(QStringLiteral("UPDATE %1 SET %2 FROM %3 AS u WHERE %4")
                         .arg(table, sets.join(QStringLiteral(", ")), kChanges, where.join(QStringLiteral(" AND "))));
    d->conn.exec(QStringLiteral("DROP TABLE ") + kChanges);
    d->changes.reset();
}

} // namespace orv::data::importstore
