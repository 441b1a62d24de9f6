#include "data/tables.h"

#include "data/dberror.h"
#include "data/schema.h"

namespace orv::data::tables {

namespace {

const schema::TableDef &knownTable(const QString &name)
{
    if (const schema::TableDef *t = schema::findTable(name))
        return *t;
    throw DbError(ErrUnknownColumn, QStringLiteral("Die Tabelle %1 ist nicht vorhanden.").arg(name));
}

QString knownColumn(const schema::TableDef &table, const QString &name)
{
    if (const schema::ColumnDef *c = schema::findColumn(table, name))
        return QString::fromLatin1(c->name);
    throw DbError(ErrUnknownColumn, QStringLiteral("Das Feld %1 ist in der Tabelle %2 nicht vorhanden.")
                                        .arg(name, QString::fromLatin1(table.name)));
}

} // namespace

bool rowExists(Connection &conn, const QString &table, const QStringList &columns, const QVariantList &values,
               Hold hold)
{
    const schema::TableDef &t = knownTable(table);
    if (columns.isEmpty() || columns.size() != values.size())
        throw DbError(ErrGeneric, QStringLiteral("Falsche Anzahl von Parametern in der Anweisung."));
    QString sql = QStringLiteral("SELECT ") + knownColumn(t, columns.first()) + QStringLiteral(" FROM ")
                  + QString::fromLatin1(t.name);
    for (int i = 0; i < columns.size(); ++i)
        sql += (i == 0 ? QStringLiteral(" WHERE ") : QStringLiteral(" AND ")) + knownColumn(t, columns.at(i))
               + QStringLiteral(" = ?");
    if (hold == Hold::ForWrite && conn.backend().kind() == BackendKind::Postgres)
        sql += QStringLiteral(" FOR KEY SHARE");
    return conn.exists(sql, values);
}

void openRows(RecordSet &rows, Connection &conn, const QString &table, const QString &column, const QVariant &value)
{
    const schema::TableDef &t = knownTable(table);
    QString sql = QStringLiteral("SELECT * FROM ") + QString::fromLatin1(t.name);
    if (column.isEmpty()) {
        rows.openQuery(conn, sql);
        return;
    }
    sql += QStringLiteral(" WHERE ") + knownColumn(t, column) + QStringLiteral(" = ?");
    rows.openQuery(conn, sql, {value});
}

qint64 countEntries(Connection &conn, const QString &column, const QVariant &value)
{
    const QString c = knownColumn(schema::trainingsplan(), column);
    auto cur =
        conn.query(QStringLiteral("SELECT COUNT(*) FROM Trainingsplan WHERE ") + c + QStringLiteral(" = ?"), {value});
    return cur->next() ? cur->integer(0) : 0;
}

qint64 deleteEntries(Connection &conn, const QString &column, const QVariant &value)
{
    const QString c = knownColumn(schema::trainingsplan(), column);
    return conn.exec(QStringLiteral("DELETE FROM Trainingsplan WHERE ") + c + QStringLiteral(" = ?"), {value});
}

void renameEmployee(Connection &conn, const QVariant &present, const QVariant &wanted)
{
    const QVariantList names{wanted, present};
    conn.exec(QStringLiteral("UPDATE Mitarbeiter SET Name = ? WHERE Name = ?"), names);
    conn.exec(QStringLiteral("UPDATE Trainingsplan SET Name = ? WHERE Name = ?"), names);
}

} // namespace orv::data::tables
