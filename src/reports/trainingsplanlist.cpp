#include "reports/trainingsplanlist.h"

#include "data/connection.h"
#include "data/dbtext.h"
#include "data/valuelists.h"
#include "reports/likepattern.h"
#include "reports/linewriter.h"
#include "ui/format.h"

#include <string_view>

namespace orv::reports {

namespace {

QString blanks(int n) { return QString(n, QLatin1Char(' ')); }

struct SortOrder {
    const char *text;
    const char *columns[3]; // text columns are ordered the German way; Datum_von is a date
};

const SortOrder sortOrders[] = {
    {"Bereich", {"Bereich", "Trainingsplan.KursNr", "Trainingsplan.Name"}},
    {"Name", {"Trainingsplan.Name", "Trainingsplan.KursNr", nullptr}},
    {"Kategorie", {"Kategorie", "Trainingsplan.KursNr", "Trainingsplan.Name"}},
    {"Kurs-Nr.", {"Trainingsplan.KursNr", "Trainingsplan.Name", nullptr}},
    {"Rubrik", {"Rubrik", "Trainingsplan.KursNr", "Trainingsplan.Name"}},
    {"Art", {"Art", "Trainingsplan.KursNr", "Trainingsplan.Name"}},
    {"Referent", {"Referent", "Trainingsplan.KursNr", "Trainingsplan.Name"}},
    {"Priorität", {"Prioritaet", "Trainingsplan.KursNr", "Trainingsplan.Name"}},
    {"Startdatum", {"Datum_von", "Trainingsplan.KursNr", "Trainingsplan.Name"}},
    {"Status", {"Status", "Trainingsplan.KursNr", "Trainingsplan.Name"}},
};

QString orderClause(const QString &sortText, const data::Backend &backend)
{
    const SortOrder *order = &sortOrders[3]; // any other text: course number and name
    for (const SortOrder &o : sortOrders)
        if (sortText == QString::fromUtf8(o.text))
            order = &o;
    QStringList parts;
    for (const char *c : order->columns) {
        if (!c)
            break;
        const QString col = QString::fromLatin1(c);
        parts << (col == QLatin1String("Datum_von") ? col : backend.germanOrder(col));
    }
    return QStringLiteral(" ORDER BY ") + parts.join(QLatin1Char(','));
}

// Column positions of the query below.
enum Col { KursNr, Rubrik, Beschreibung, Art, Referent, Kosten, Dauer, Name, Kategorie, Bereich, Prioritaet,
           DatumVon, DatumBis, Rechnung, Beurteilung, Status };

const char *const selectColumns =
    "SELECT Trainingsplan.KursNr,Rubrik,Beschreibung,Art,Referent,Kosten,Dauer,"
    "Trainingsplan.Name,Kategorie,Bereich,"
    "Prioritaet,Datum_von,Datum_bis,Rechnung,Beurteilung,Status";
const char *const fromJoin =
    " FROM (Trainingsplan INNER JOIN Mitarbeiter ON Trainingsplan.Name = Mitarbeiter.Name)"
    " INNER JOIN Kurs ON Trainingsplan.KursNr = Kurs.KursNr";

} // namespace

TrainingsplanQuery trainingsplanQuery(const TrainingsplanSelection &sel, const data::Backend &backend)
{
    TrainingsplanQuery q;
    q.sql = QString::fromLatin1(fromJoin) + QStringLiteral(" WHERE Datum_von >= ? AND Datum_von <= ? AND (");
    q.params << sel.von << sel.bis;
    QStringList statuses;
    for (int i = 0; i < 4; ++i) {
        if (sel.status[i]) {
            statuses << QStringLiteral("Status = ?");
            q.params << QString::number(i);
        }
    }
    q.sql += statuses.isEmpty() ? QStringLiteral("1 = 0") : statuses.join(QStringLiteral(" OR "));
    q.sql += QLatin1Char(')');

    auto equals = [&](const QString &value, const char *column, const char *label) {
        if (value.isEmpty())
            return;
        q.sql += QStringLiteral(" AND %1 = ?").arg(QString::fromLatin1(column));
        q.params << value;
        q.selectionLines += QString::fromUtf8(label) + value + crlf;
    };
    // Contains (or starts with) the typed text, ignoring case; % and _ are plain characters.
    auto like = [&](const QString &value, const char *column, const char *label, bool anywhere) {
        if (value.isEmpty())
            return;
        q.sql += QStringLiteral(" AND %1 LIKE ? ESCAPE '!'").arg(backend.lowerCase(QString::fromLatin1(column)));
        q.params << (anywhere ? likeContains(value) : likeStartsWith(value));
        q.selectionLines += QString::fromUtf8(label) + value + crlf;
    };
    auto yesNo = [&](const std::optional<bool> &value, const char *column, const char *label) {
        if (!value)
            return;
        q.sql += QStringLiteral(" AND %1 = ?").arg(QString::fromLatin1(column));
        q.params << *value;
        q.selectionLines += QString::fromUtf8(label)
                            + (*value ? QStringLiteral("vorhanden") : QStringLiteral("nicht vorhanden")) + crlf;
    };
    equals(sel.bereich, "Bereich", "Bereich:     ");
    like(sel.name, "Trainingsplan.Name", "Name:        ", true);
    equals(sel.kategorie, "Kategorie", "Kategorie:   ");
    like(sel.kursNr, "Trainingsplan.KursNr", "Kurs-Nr.:    ", false);
    equals(sel.rubrik, "Rubrik", "Rubrik:      ");
    equals(sel.art, "Art", "Art:         ");
    like(sel.referent, "Referent", "Referent:    ", true);
    equals(sel.prioritaet, "Prioritaet", "Priorität:   ");
    yesNo(sel.rechnung, "Rechnung", "Rechnung:    ");
    yesNo(sel.beurteilung, "Beurteilung", "Beurteilung: ");
    q.sql = QString::fromLatin1(selectColumns) + q.sql + orderClause(sel.sortierung, backend);
    return q;
}

QString trainingsplanHeading(bool withBereich)
{
    QString h = QStringLiteral("Kurs-Nr. Beschreibung").leftJustified(61)
                + QStringLiteral("Art  Referent               Kosten   Dauer  Name                            Kat. ");
    if (withBereich)
        h += QStringLiteral("Bereich").leftJustified(31);
    h += QStringLiteral("Datum             Prio. R S  Status");
    return h;
}

QString trainingsplanLegend()
{
    namespace lists = data::lists;
    // The four blocks start at 14, 52, 79 and 117.
    auto row = [](const QString &lead, const QString &art, const QString &kat, const QString &rs, const QString &status) {
        return lead.leftJustified(14) + art.leftJustified(38) + kat.leftJustified(27) + rs.leftJustified(38) + status;
    };
    const QStringList arts = lists::art();
    const QStringList kats = lists::kategorie();
    QStringList lines;
    lines << row(QStringLiteral("Legende:"), QStringLiteral("Art:"), QStringLiteral("Kategorie:"),
                 QStringLiteral("R/S:"), QStringLiteral("Status:"));
    const QString rs[3] = {QStringLiteral("R = Rechnung vorhanden"), QStringLiteral("S = Seminarbeurteilung vorhanden"),
                           QString()};
    for (int i = 0; i < 3; ++i)
        lines << row(QString(), lists::artLegend(arts.value(i)), lists::kategorieLegend(kats.value(i)), rs[i],
                     lists::statusLegend(i));
    lines << blanks(117) + lists::statusLegend(3);
    return lines.join(crlf);
}

ReportModel buildTrainingsplanList(data::Connection &conn, const TrainingsplanSelection &sel,
                                   const BuildProgress &progress)
{
    ReportModel m;
    m.title = QStringLiteral("Liste Trainingsplan");
    const bool withBereich = sel.bereich.isEmpty();
    const TrainingsplanQuery q = trainingsplanQuery(sel, conn.backend());
    m.header = QStringLiteral("Zeitraum:    ") + sel.vonText + QStringLiteral(" bis ") + sel.bisText + crlf
               + q.selectionLines + QStringLiteral("Sortierung:  ") + sel.sortierung + crlf + crlf
               + trainingsplanHeading(withBereich);
    m.orientation = Orientation::Landscape;

    qint64 expected = 0;
    if (progress.start) {
        const qsizetype from = q.sql.indexOf(QLatin1String(" FROM "));
        const qsizetype order = q.sql.lastIndexOf(QLatin1String(" ORDER BY "));
        auto cnt = conn.query(QStringLiteral("SELECT COUNT(*)") + q.sql.mid(from, order - from), q.params);
        expected = cnt->next() ? cnt->integer(0) : 0;
        progress.start(int(expected + 1));
    }

    enum class Group { None, Bereich, Rubrik };
    const Group group = sel.sortierung == QLatin1String("Bereich") ? Group::Bereich
                        : sel.sortierung == QLatin1String("Rubrik") ? Group::Rubrik
                                                                      : Group::None;
    QString &body = m.body;
    body.reserve(qsizetype(expected + 1) * 212);
    QString groupValue;
    float sumKosten = 0, sumDauer = 0;
    int count = 0;
    auto cur = conn.query(q.sql, q.params);
    LineWriter w(body, *cur);
    while (cur->next()) {
        if (group != Group::None) {
            const std::string_view v = cur->textBytes(group == Group::Bereich ? Bereich : Rubrik);
            const QString value = data::fromDbText(v);
            if (value != groupValue) {
                groupValue = value;
                body += crlf;
                body += value.trimmed();
                body += QLatin1Char(':');
                body += crlf;
            }
        }
        w.text(KursNr, 6);
        w.literal(u"   ");
        w.text(Beschreibung, 80, 50);
        w.literal(u"  ");
        w.text(Art, 1);
        w.literal(u"    ");
        w.text(Referent, 30, 20);
        w.literal(u"  ");
        w.number(Kosten, 2, 7);
        w.number(Dauer, 1, 8);
        w.literal(u"  ");
        w.text(Name, 30);
        w.literal(u"  ");
        w.text(Kategorie, 3);
        w.literal(u"  ");
        if (withBereich) {
            w.text(Bereich, 30);
            w.literal(u" ");
        }
        w.date(DatumVon);
        w.literal(u"-");
        w.date(DatumBis);
        w.literal(u" ");
        w.text(Prioritaet, 1);
        w.literal(u"     ");
        w.literal(cur->boolean(Rechnung) ? QStringView(u"R ") : QStringView(u"  "));
        w.literal(cur->boolean(Beurteilung) ? QStringView(u"S  ") : QStringView(u"   "));
        const std::string_view st = cur->textBytes(Status);
        const char s = st.empty() ? ' ' : st.front();
        w.literal(s == '0' ? QStringView(u"B ") : QStringView(u"  "));
        w.literal(s == '1' ? QStringView(u"G ") : QStringView(u"  "));
        w.literal(s == '2' ? QStringView(u"E ") : QStringView(u"  "));
        w.literal(s == '3' ? QStringView(u"K ") : QStringView(u"  "));
        body += crlf;
        sumKosten += float(cur->real(Kosten));
        sumDauer += float(cur->real(Dauer));
        ++count;
        if (progress.advance)
            progress.advance(count);
    }
    if (!body.isEmpty()) {
        body += crlf;
        body += QStringLiteral("Summe:") + blanks(80) + rightAligned(ui::formatNumber(sumKosten, 2), 9)
                + rightAligned(ui::formatNumber(sumDauer, 1), 8) + QStringLiteral("  Anzahl: ")
                + rightAligned(QString::number(count), 5);
        body += crlf;
        body += crlf;
        body += trainingsplanLegend();
    }
    return m;
}

} // namespace orv::reports
