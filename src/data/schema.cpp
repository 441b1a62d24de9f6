#include "data/schema.h"

#include "data/dberror.h"
#include "data/dbtext.h"
#include "data/schemaversion.h"

namespace orv::data::schema {

const TableDef &kurs()
{
    static const TableDef t{"Kurs",
                            {{"KursNr", ColType::Text, 6},
                             {"Rubrik", ColType::Text, 40},
                             {"Beschreibung", ColType::Text, 80},
                             {"Art", ColType::Text, 1},
                             {"Referent", ColType::Text, 30},
                             {"Kosten", ColType::Single, 0},
                             {"Dauer", ColType::Single, 0}},
                            {QStringLiteral("KursNr")}};
    return t;
}

const TableDef &mitarbeiter()
{
    static const TableDef t{"Mitarbeiter",
                            {{"Name", ColType::Text, 30},
                             {"Kostenstelle", ColType::Text, 6},
                             {"Abteilung", ColType::Text, 10},
                             {"Kategorie", ColType::Text, 3},
                             {"Bereich", ColType::Text, 30}},
                            {QStringLiteral("Name")}};
    return t;
}

const TableDef &trainingsplan()
{
    static const TableDef t{"Trainingsplan",
                            {{"KursNr", ColType::Text, 6},
                             {"Name", ColType::Text, 30},
                             {"Prioritaet", ColType::Text, 1},
                             {"Quelle", ColType::Text, 3},
                             {"Datum_von", ColType::Date, 0},
                             {"Datum_bis", ColType::Date, 0},
                             {"Rechnung", ColType::Bool, 0},
                             {"Beurteilung", ColType::Bool, 0},
                             {"Bemerkung", ColType::Text, 80},
                             {"Status", ColType::Text, 1}},
                            {QStringLiteral("KursNr"), QStringLiteral("Name")}};
    return t;
}

const std::vector<const TableDef *> &tables()
{
    static const std::vector<const TableDef *> all{&kurs(), &mitarbeiter(), &trainingsplan()};
    return all;
}

const TableDef *findTable(const QString &name)
{
    for (const TableDef *t : tables())
        if (name.compare(QLatin1String(t->name), Qt::CaseInsensitive) == 0)
            return t;
    return nullptr;
}

const ColumnDef *findColumn(const TableDef &t, const QString &name)
{
    for (const ColumnDef &c : t.columns)
        if (name.compare(QLatin1String(c.name), Qt::CaseInsensitive) == 0)
            return &c;
    return nullptr;
}

QString padded(const QString &text, int width)
{
    // Widths count characters as the database does: an emoji is one, not two.
    qsizetype chars = characterCount(text);
    if (chars > width) {
        // Trailing blanks beyond the width carry nothing, as in a fixed-width column.
        QString t = text;
        while (chars > width && t.endsWith(QLatin1Char(' '))) {
            t.chop(1);
            --chars;
        }
        if (chars > width)
            throw DbError(ErrBadValue,
                          QStringLiteral("Der Text \"%1\" ist länger als %2 Zeichen.").arg(text).arg(width));
        return t;
    }
    return text + QString(width - chars, QLatin1Char(' '));
}

namespace {

QString sqliteColumn(const ColumnDef &c, bool key)
{
    const QString n = QLatin1String(c.name);
    switch (c.type) {
    case ColType::Text:
        // RTRIM: "=" and ORDER BY ignore the blanks that fill the column.
        return QStringLiteral("%1 CHAR(%2) COLLATE RTRIM%3 CHECK (length(%1) <= %2)")
            .arg(n)
            .arg(c.width)
            .arg(key ? QStringLiteral(" NOT NULL") : QString());
    case ColType::Single:
        return n + QStringLiteral(" REAL CHECK (%1 IS NULL OR typeof(%1) IN ('real', 'integer'))").arg(n);
    case ColType::Double: return n + QStringLiteral(" DOUBLE");
    case ColType::Integer: return n + QStringLiteral(" INTEGER");
    case ColType::Date:
        return n + QStringLiteral(" DATE CHECK (%1 IS NULL OR (typeof(%1) = 'text' AND date(%1) = %1))").arg(n);
    case ColType::Bool: return n + QStringLiteral(" BOOLEAN CHECK (%1 IS NULL OR %1 IN (0, 1))").arg(n);
    }
    return n;
}

QString pgColumn(const ColumnDef &c, bool key)
{
    const QString n = QLatin1String(c.name);
    QString type;
    switch (c.type) {
    case ColType::Text: type = QStringLiteral("char(%1)").arg(c.width); break;
    case ColType::Single: type = QStringLiteral("real"); break;
    case ColType::Double: type = QStringLiteral("double precision"); break;
    case ColType::Integer: type = QStringLiteral("integer"); break;
    case ColType::Date: type = QStringLiteral("date"); break;
    case ColType::Bool: type = QStringLiteral("boolean"); break;
    }
    return n + QLatin1Char(' ') + type + (key ? QStringLiteral(" NOT NULL") : QString());
}

} // namespace

void create(Connection &conn)
{
    const bool pg = conn.backend().kind() == BackendKind::Postgres;
    Transaction tx(conn);
    for (const TableDef *t : tables()) {
        QStringList cols;
        for (const ColumnDef &c : t->columns) {
            const bool key = t->keyColumns.contains(QLatin1String(c.name));
            cols << (pg ? pgColumn(c, key) : sqliteColumn(c, key));
        }
        cols << QStringLiteral("PRIMARY KEY (%1)").arg(t->keyColumns.join(QStringLiteral(", ")));
        conn.exec(QStringLiteral("CREATE TABLE %1 (%2)").arg(QLatin1String(t->name), cols.join(QStringLiteral(", "))));
    }
    // The cascade delete and the rename look entries up by employee.
    conn.exec(QStringLiteral("CREATE INDEX Trainingsplan_Name ON Trainingsplan (Name)"));
    versions::createLaterTables(conn);
    tx.commit();
}

bool exists(Connection &conn)
{
    // One statement for the three tables, asked at every window's opening:
    // it fails at once when one is missing and reads no row.
    QStringList names;
    for (const TableDef *t : tables())
        names << QLatin1String(t->name);
    try {
        conn.query(QStringLiteral("SELECT 1 FROM %1 LIMIT 0").arg(names.join(QStringLiteral(", "))))->next();
    } catch (const DbError &) {
        if (conn.backend().inTransaction())
            conn.backend().rollback();
        return false;
    }
    return true;
}

} // namespace orv::data::schema
