#include "data/importstore.h"

#include "data/batchinsert.h"
#include "data/dbtext.h"
#include "data/series.h"
#include "data/storedvalue.h"

#include <QDate>
#include <algorithm>
#include <optional>

namespace orv::data::importstore {

namespace {

constexpr int kRowsPerInsert = 50; // 500 parameters at most: within every SQLite's limit
const QString kChanges = QStringLiteral("orv_import_changes");
const QString kSeries = QStringLiteral("orv_import_series");

const schema::TableDef &courseFields()
{
    static const schema::TableDef fields = [] {
        schema::TableDef f = schema::kurs();
        f.columns.push_back({"Reihe", ColType::Text, series::kCodeWidth});
        f.columns.push_back({"Gueltigkeit", ColType::Integer, 0});
        return f;
    }();
    return fields;
}

// How many of the fields are the table's own columns; the rest are the series entry's.
size_t ownColumns(const schema::TableDef &fields)
{
    return schema::findTable(QLatin1String(fields.name))->columns.size();
}

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
    case ColType::Integer: return cur.isNull(c) ? QVariant() : QVariant(int(cur.integer(c)));
    default: return cur.isNull(c) ? 0.0 : cur.real(c);
    }
}

QStringList columnNames(const schema::TableDef &t)
{
    QStringList names;
    for (size_t c = 0; c < ownColumns(t); ++c)
        names << QLatin1String(t.columns[c].name);
    return names;
}

} // namespace

const schema::TableDef &importFields(const schema::TableDef &table)
{
    return qstrcmp(table.name, schema::kurs().name) == 0 ? courseFields() : table;
}

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
    const QString name = QLatin1String(table.name);
    const size_t own = ownColumns(table);
    for (size_t f = 0; f < table.columns.size(); ++f) {
        const schema::ColumnDef &c = table.columns[f];
        if (wholeRows || table.keyColumns.contains(QLatin1String(c.name))) {
            columns.push_back(&c);
            names << (f < own ? name : QStringLiteral("Kursreihe")) + QLatin1Char('.') + QLatin1String(c.name);
        }
    }
    const QString from = wholeRows && own < table.columns.size()
                             ? QStringLiteral("Kurs LEFT JOIN Kursreihe ON Kursreihe.KursNr = Kurs.KursNr")
                             : name;
    auto cur = conn.queryMany(QStringLiteral("SELECT %1 FROM %2").arg(names.join(QStringLiteral(", ")), from));
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
    size_t own; // the table's own columns; a course's series entry after them
    std::optional<BatchInsert> series;

    void addSeries(const QVariantList &values);
    void writeSeries();
};

// The series entries to write go into a table of their own first: a course
// the import adds is not in the table before its batch is written.
void RowWriter::Impl::addSeries(const QVariantList &values)
{
    if (!series) {
        conn.exec(QStringLiteral("CREATE TEMP TABLE %1 (KursNr char(6), Reihe char(%2), Gueltigkeit integer, "
                                 "orv_keep integer)")
                      .arg(kSeries)
                      .arg(series::kCodeWidth));
        series.emplace(conn, kSeries,
                       QStringList{QStringLiteral("KursNr"), QStringLiteral("Reihe"), QStringLiteral("Gueltigkeit"),
                                   QStringLiteral("orv_keep")},
                       kRowsPerInsert);
    }
    const QString reihe = values.value(qsizetype(own)).toString().trimmed();
    const QVariant months = values.value(qsizetype(own) + 1);
    const bool keep = !reihe.isEmpty() || !months.isNull();
    series->add({storedValue(columns[0], values.value(0)).param, schema::padded(reihe, series::kCodeWidth),
                 months.isNull() ? QVariant() : QVariant(months.toInt()), keep ? 1 : 0});
}

void RowWriter::Impl::writeSeries()
{
    if (!series)
        return;
    series->flush();
    conn.exec(QStringLiteral("DELETE FROM Kursreihe WHERE KursNr IN (SELECT KursNr FROM %1)").arg(kSeries));
    conn.exec(QStringLiteral("INSERT INTO Kursreihe (KursNr, Reihe, Gueltigkeit) SELECT KursNr, Reihe, Gueltigkeit "
                             "FROM %1 WHERE orv_keep = 1")
                  .arg(kSeries));
    conn.exec(QStringLiteral("DROP TABLE ") + kSeries);
    series.reset();
}

RowWriter::RowWriter(Connection &conn, const schema::TableDef &table)
    : d(new Impl{conn,
                 table,
                 columnNames(table),
                 {},
                 BatchInsert(conn, QLatin1String(table.name), columnNames(table), kRowsPerInsert),
                 std::nullopt,
                 std::vector<bool>(ownColumns(table), false),
                 ownColumns(table),
                 std::nullopt})
{
    for (size_t c = 0; c < d->own; ++c)
        d->columns.push_back({QLatin1String(table.columns[c].name), table.columns[c].type, table.columns[c].width});
}

RowWriter::~RowWriter() = default;

QVariantList RowWriter::stored(const QVariantList &values) const
{
    QVariantList out;
    for (size_t f = 0; f < d->columns.size(); ++f)
        out << storedValue(d->columns[f], values.value(qsizetype(f))).param;
    return out;
}

void RowWriter::add(const QVariantList &values)
{
    d->insert.add(stored(values));
    if (d->own < d->table.columns.size()
        && (!values.value(qsizetype(d->own)).toString().trimmed().isEmpty()
            || !values.value(qsizetype(d->own) + 1).isNull()))
        d->addSeries(values);
}

void RowWriter::change(const QVariantList &values, const std::vector<bool> &changed)
{
    bool seriesChanged = false;
    for (size_t f = d->own; f < changed.size(); ++f)
        seriesChanged = seriesChanged || changed[f];
    if (seriesChanged)
        d->addSeries(values);
    const auto ownEnd = changed.begin() + qsizetype(qMin(d->own, changed.size()));
    if (std::none_of(changed.begin(), ownEnd, [](bool c) { return c; }))
        return;
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
    if (!d->changes) {
        d->writeSeries();
        return;
    }
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
    d->writeSeries();
}

} // namespace orv::data::importstore
