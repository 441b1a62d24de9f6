#include "data/listquery.h"

#include "data/collation.h"

#include <QStringList>

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

} // namespace

ListQuery::ListQuery(Rows rows, const Backend &backend) : m_backend(backend)
{
    switch (rows) {
    case Rows::Courses:
        m_select = QStringLiteral("SELECT KursNr,Rubrik,Beschreibung,Art,Referent,Kosten,Dauer");
        m_from = QStringLiteral(" FROM Kurs");
        break;
    case Rows::Employees:
        m_select = QStringLiteral("SELECT Name,Kostenstelle,Abteilung,Kategorie,Bereich");
        m_from = QStringLiteral(" FROM Mitarbeiter");
        break;
    case Rows::TrainingPlan:
        m_select = QStringLiteral("SELECT Trainingsplan.KursNr,Rubrik,Beschreibung,Art,Referent,Kosten,Dauer,"
                                  "Trainingsplan.Name,Kategorie,Bereich,"
                                  "Prioritaet,Datum_von,Datum_bis,Rechnung,Beurteilung,Status");
        m_from = QStringLiteral(" FROM (Trainingsplan INNER JOIN Mitarbeiter ON Trainingsplan.Name = Mitarbeiter.Name)"
                                " INNER JOIN Kurs ON Trainingsplan.KursNr = Kurs.KursNr");
        break;
    }
}

void ListQuery::add(const QString &condition)
{
    m_where += (m_where.isEmpty() ? QStringLiteral(" WHERE ") : QStringLiteral(" AND ")) + condition;
}

void ListQuery::equals(const char *column, const QVariant &value)
{
    add(QString::fromLatin1(column) + QStringLiteral(" = ?"));
    m_params << value;
}

void ListQuery::like(const char *column, const QString &pattern)
{
    add(m_backend.lowerCase(QString::fromLatin1(column)) + QStringLiteral(" LIKE ? ESCAPE '!'"));
    m_params << pattern;
}

void ListQuery::contains(const char *column, const QString &text)
{
    like(column, QLatin1Char('%') + literal(text) + QLatin1Char('%'));
}

void ListQuery::startsWith(const char *column, const QString &text) { like(column, literal(text) + QLatin1Char('%')); }

void ListQuery::between(const char *column, const QVariant &from, const QVariant &to)
{
    const QString c = QString::fromLatin1(column);
    add(c + QStringLiteral(" >= ? AND ") + c + QStringLiteral(" <= ?"));
    m_params << from << to;
}

void ListQuery::oneOf(const char *column, const QVariantList &values)
{
    QStringList alternatives;
    for (const QVariant &v : values) {
        alternatives << QString::fromLatin1(column) + QStringLiteral(" = ?");
        m_params << v;
    }
    add(QLatin1Char('(')
        + (alternatives.isEmpty() ? QStringLiteral("1 = 0") : alternatives.join(QStringLiteral(" OR ")))
        + QLatin1Char(')'));
}

QString ListQuery::sql() const { return m_select + m_from + m_where; }

} // namespace orv::data
