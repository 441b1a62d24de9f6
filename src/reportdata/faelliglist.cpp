#include "reportdata/faelliglist.h"

#include "data/dates.h"

#include <QStringList>

namespace orv::reportdata {
namespace {

// The columns of a line: heading, width, gap; the days stand right-aligned.
struct Column {
    const char *heading;
    int width;
    int gap;
    bool right = false;
};
constexpr Column kColumns[] = {{"Reihe", 10, 2},    {"Name", 30, 2},       {"Bereich", 20, 2},   {"Kurs-Nr.", 8, 2},
                               {"erledigt", 10, 2}, {"gültig bis", 10, 2}, {"Tage", 6, 3, true}, {"geplant", 18, 0}};
constexpr int kColumnCount = int(std::size(kColumns));

QString day(const QDate &d) { return d.isValid() ? data::shortDateText(d) : QString(); }

QStringList cells(const data::series::DueRow &r)
{
    return {r.reihe,
            r.name,
            r.bereich,
            r.kursNr,
            r.never() ? QStringLiteral("nie") : day(r.done),
            day(r.validUntil),
            r.never() ? QString() : QString::number(r.days),
            r.nextKursNr.isEmpty() ? QString() : r.nextKursNr + QLatin1Char(' ') + day(r.nextFrom)};
}

QString line(const QStringList &texts)
{
    QString s;
    for (int c = 0; c < kColumnCount; ++c) {
        const Column &col = kColumns[c];
        const QString t = texts.value(c).left(col.width);
        s += (col.right ? t.rightJustified(col.width) : t.leftJustified(col.width)) + QString(col.gap, u' ');
    }
    while (s.endsWith(u' '))
        s.chop(1);
    return s;
}

QString headingLine()
{
    QStringList h;
    for (const Column &c : kColumns)
        h << QString::fromUtf8(c.heading);
    return line(h);
}

QString titleOf(const data::series::DueSelection &sel)
{
    return QStringLiteral("Fällige Schulungen bis ") + data::shortDateText(sel.until);
}

// One line per filter used, as the training plan list names its filters.
QString selectionLines(const data::series::DueSelection &sel)
{
    QString s = QStringLiteral("Reihe:       ") + (sel.reihe.isEmpty() ? QStringLiteral("alle") : sel.reihe) + crlf;
    const auto add = [&s](const char *label, const QString &value) {
        if (!value.trimmed().isEmpty())
            s += QString::fromUtf8(label) + value.trimmed() + crlf;
    };
    add("Bereich:     ", sel.bereich);
    add("Abteilung:   ", sel.abteilung);
    add("Kategorie:   ", sel.kategorie);
    add("Rubrik:      ", sel.rubrik);
    if (sel.withNever)
        s += QStringLiteral("Mit den Mitarbeitern, die die Schulung nie erledigt haben") + crlf;
    return s;
}

QString legend()
{
    return QStringLiteral("Legende:  gültig bis = Datum bis der letzten erledigten Schulung der Reihe plus die "
                          "Gültigkeit ihres Kurses")
           + crlf
           + QStringLiteral("          Tage = bis zum Ablauf, ab dem %1 gezählt; negativ: seit dem Ablauf "
                            "(überfällig)")
           + crlf + QStringLiteral("          geplant = ein Eintrag der Reihe mit Status Bedarf oder geplant");
}

} // namespace

ReportModel buildFaelligList(data::Connection &conn, const data::series::DueSelection &sel)
{
    ReportModel m;
    m.title = titleOf(sel);
    m.header = selectionLines(sel) + crlf + headingLine();
    m.orientation = Orientation::Landscape;
    const std::vector<data::series::DueRow> rows = data::series::due(conn, sel);
    if (rows.empty())
        return m;
    QString body;
    for (const data::series::DueRow &r : rows)
        body += line(cells(r)) + crlf;
    body += crlf + QStringLiteral("Anzahl:      %1").arg(rows.size()) + crlf + crlf
            + legend().arg(data::shortDateText(sel.today)) + crlf;
    m.body = body;
    return m;
}

ExportJob faelligExport(data::Connection &, const data::series::DueSelection &sel)
{
    ExportJob job;
    ExportLayout &l = job.layout;
    l.title = titleOf(sel);
    l.dateLine = dateLine();
    l.selection = selectionLines(sel).split(crlf, Qt::SkipEmptyParts);
    l.columns = {{QStringLiteral("Reihe")},
                 {QStringLiteral("Name")},
                 {QStringLiteral("Bereich")},
                 {QStringLiteral("Abteilung")},
                 {QStringLiteral("Kategorie")},
                 {QStringLiteral("Kurs-Nr.")},
                 {QStringLiteral("erledigt"), CellType::Date},
                 {QStringLiteral("gültig bis"), CellType::Date},
                 {QStringLiteral("Tage"), CellType::Number},
                 {QStringLiteral("geplant (Kurs-Nr.)")},
                 {QStringLiteral("geplant ab"), CellType::Date}};
    job.rows = [sel](data::Connection &c, ExportWriter &w) {
        const std::vector<data::series::DueRow> rows = data::series::due(c, sel);
        w.expect(qint64(rows.size()));
        const auto text = [&w](const QString &s) {
            const QByteArray utf8 = s.toUtf8();
            utf8.isEmpty() ? w.empty() : w.text(std::string_view(utf8.constData(), size_t(utf8.size())));
        };
        const auto date = [&w](const QDate &d) { d.isValid() ? w.date(d.toJulianDay()) : w.empty(); };
        for (const data::series::DueRow &r : rows) {
            for (const QString &s : {r.reihe, r.name, r.bereich, r.abteilung, r.kategorie, r.kursNr})
                text(s);
            date(r.done);
            date(r.validUntil);
            r.never() ? w.empty() : w.number(double(r.days));
            text(r.nextKursNr);
            date(r.nextFrom);
            w.endRow();
        }
    };
    return job;
}

} // namespace orv::reportdata
