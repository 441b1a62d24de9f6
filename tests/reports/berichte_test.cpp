#include "data/schema.h"
#include "data/series.h"
#include "reportdata/reportexport.h"
#include "reports/frmfaelligbericht.h"
#include "reports/frmkursbericht.h"
#include "reports/frmmitarbeiterbericht.h"
#include "reports/frmtrainingsplanbericht.h"
#include "reports/qtreportprinter.h"
#include "support/ordinaryuser.h"
#include "support/testenv.h"
#include "ui/statuspanels.h"
#include "xlsxreader.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QScreen>
#include <QTest>
#include <algorithm>
#include <sys/stat.h>
#include <tuple>

using namespace orv;
using namespace orv::test;

namespace {

const QString crlf = u"\r\n"_s;

// A fixed-width line of `length` characters: the "|"-separated texts stand
// at their stops, a text starting at a stop of 0 or more and ending at the
// negated stop otherwise.
struct Columns {
    int length;
    std::vector<int> stops;
    QString operator()(const QString &texts) const
    {
        QString s(length, u' ');
        const QStringList t = texts.split(u'|');
        for (qsizetype i = 0; i < t.size(); ++i)
            s.replace(stops.at(i) >= 0 ? stops.at(i) : -stops.at(i) - t[i].size(), t[i].size(), t[i]);
        return s;
    }
};
// The training plan list, with and without the Bereich column.
const std::vector<int> planStops = {0, 9, 61, 66, -95, -103, 105, 137, 142, 173, 191, 197, 199, 202};
const std::vector<int> planStopsOhneBereich = {0, 9, 61, 66, -95, -103, 105, 137, 142, 160, 166, 168, 171};
const Columns planEntry{210, planStops}, planHeading{208, planStops};
const QString headings = u"Kurs-Nr.|Beschreibung|Art|Referent|Kosten|Dauer|Name|Kat.|Bereich|Datum|Prio.|R|S|Status"_s;

// Builds through "&Ablage" and returns the model the outputs saw.
const reportdata::ReportModel &build(reports::ReportDialog &dlg)
{
    clickButton(dlg, u"cmdAblage"_s);
    return dlg.model();
}

const QString xlsxType = u"Excel-Arbeitsmappe (*.xlsx)"_s;
const QString csvType = u"CSV (Semikolon-getrennt) (*.csv)"_s;

// "E&xport…" with a name and type picked in the file dialog; `offered` gets
// the dialog's title, proposed name, chosen type and types on offer, `then`
// expects what follows the file dialog (without it, the message that tells
// how many rows went into which file).
void exportVia(ScriptedPrompter &prompter, QDialog &dlg, const QString &file, const QString &type,
               QStringList *offered = nullptr, const std::function<void()> &then = {})
{
    prompter.expectModal([=](QDialog &d) {
        auto &fd = dynamic_cast<QFileDialog &>(d);
        // Large enough for the list of files, as far as the screen allows.
        EXPECT_GE(fd.width(), std::min(960, int(fd.screen()->availableSize().width() * 0.9)));
        EXPECT_GE(fd.height(), std::min(640, int(fd.screen()->availableSize().height() * 0.9)));
        if (offered)
            *offered = QStringList{fd.windowTitle(), QFileInfo(fd.selectedFiles().value(0)).fileName(),
                                   fd.selectedNameFilter()}
                       + fd.nameFilters();
        fd.selectNameFilter(type);
        fd.findChild<QLineEdit *>("fileNameEdit")->setText(file); // typed as a person would
        static_cast<QDialog &>(fd).done(QDialog::Accepted);
    });
    if (then)
        then();
    else
        prompter.expectMessageMatching(u"^[1-9][0-9.]* Zeilen? exportiert nach\r\n"_s + QRegularExpression::escape(file)
                                           + u"(\\.csv|\\.xlsx)?$"_s,
                                       u"Export"_s, ui::Icon::Information);
    clickButton(dlg, u"cmdExport"_s);
}

void expectNothing(ScriptedPrompter &prompter, reports::ReportDialog &dlg)
{
    prompter.expectMessage(u"Keine Vorgaben vorhanden!"_s, u"Error"_s, ui::Icon::Exclamation);
    EXPECT_TRUE(build(dlg).body.isEmpty());
}

const QString legend = QStringLiteral(
    "Legende:      Art:                                  Kategorie:                 R/S:                                  Status:\r\n"
    "              A = Intern mit externem Referent      Ets = Redur                R = Rechnung vorhanden                B = Bedarf\r\n"
    "              I = Intern                            I/C = Ingenieur/Cadre      S = Seminarbeurteilung vorhanden      G = Geplant\r\n"
    "              E = Extern                            0   = Gewerblich                                                 E = Erledigt\r\n"
    "                                                                                                                     K = Keine Teilnahme");

const QString longText = u"Englisch für Fortgeschrittene im Beruf, Teil zwei: Verhandeln"_s;

class TrainingsplanBerichtTest : public DbTest {
protected:
    void setUpOnDatabase() override
    {
        addKurs(u"K1"_s, u"IT"_s, u"Excel Grundlagen"_s, u"I"_s, u"Huber, Anna"_s, 100, 8);
        addKurs(u"K20"_s, u"Sprachen"_s, longText, u"E"_s, QString(), 250.5, 24.5);
        // The same whole amount as K20's: a line must not take another's amount.
        addKurs(u"K3"_s, u"IT"_s, u"Statistik"_s, u"A"_s, u"Weißenberger-Müller, Ottokar"_s, 250, 4);
        addMitarbeiter(u"Meier, Hans"_s, u"4711"_s, u"Fertigung"_s, u"O"_s, u"Controlling"_s);
        addMitarbeiter(u"Ärger, Udo"_s, u"4712"_s, u"Einkauf"_s, u"Ets"_s, u"Einkauf"_s);
        fresh();
    }
    // A newly opened dialog on the year 2027.
    void fresh()
    {
        dlg.reset();
        dlg = std::make_unique<reports::FrmTrainingsplanBericht>();
        dlg->show();
        setPeriod(u"01.01.2027"_s, u"31.12.2027"_s);
    }
    void TearDown() override
    {
        dlg.reset();
        DbTest::TearDown();
    }
    template <class T> T *w(const char *name) { return dlg->findChild<T *>(QString::fromLatin1(name)); }
    // Types into a line or the text of a list.
    void type(const char *name, const QString &text)
    {
        auto *c = w<QComboBox>(name);
        QLineEdit *e = c ? c->lineEdit() : w<QLineEdit>(name);
        e->clear();
        typeText(e, text);
    }
    void setPeriod(const QString &von, const QString &bis)
    {
        type("txtVon", von);
        type("txtBis", bis);
    }
    const reportdata::ReportModel &build() { return ::build(*dlg); }
    // The body up to the sums: entries as "KursNr/Name", group lines as they stand.
    static QStringList keys(const reportdata::ReportModel &m)
    {
        QStringList out;
        for (const QString &l : m.body.split(crlf)) {
            if (l.startsWith(u"Summe:"_s))
                break;
            out << (l.size() > 200 ? l.left(6).trimmed() + QLatin1Char('/') + l.mid(105, 30).trimmed() : l);
        }
        if (!out.isEmpty())
            out.removeLast(); // the empty line before the sums
        return out;
    }
    void expectNothing() { ::expectNothing(prompter, *dlg); }
    std::unique_ptr<reports::FrmTrainingsplanBericht> dlg;
};

TEST_P(TrainingsplanBerichtTest, ListLayoutHeaderTotalsAndLegend)
{
    addPlan(u"K1"_s, u"Meier, Hans"_s, u"1"_s, QDate(2027, 3, 1), QDate(2027, 3, 5), u"1"_s, u"AAI"_s, true, false);
    addPlan(u"K20"_s, u"Ärger, Udo"_s, u"3"_s, QDate(2027, 2, 10), QDate(2027, 2, 12), u" "_s, u" "_s, false, true);
    addPlan(u"K3"_s, u"Meier, Hans"_s, u"0"_s, QDate(2027, 12, 31), QDate(2028, 1, 2), u"3"_s);
    // The progress bar runs to the number of entries and goes back to 0.
    auto *bar = w<QProgressBar>("prgStatistik");
    int top = 0;
    QObject::connect(bar, &QProgressBar::valueChanged, bar, [&](int v) { top = std::max(top, v); });
    const reportdata::ReportModel &m = build();
    EXPECT_EQ(QList<int>({bar->maximum(), top, bar->value()}), QList<int>({4, 3, 0}));
    EXPECT_EQ(m.title, u"Liste Trainingsplan"_s);
    EXPECT_EQ(m.orientation, reportdata::Orientation::Landscape);
    EXPECT_EQ(m.header,
              u"Zeitraum:    01.01.2027 bis 31.12.2027\r\nSortierung:  Kurs-Nr.\r\n\r\n"_s + planHeading(headings));
    // The status letter stands in its own column: B, G, E or K.
    const QStringList want = {
        planEntry(
            u"K1|Excel Grundlagen|I|Huber, Anna|100,00|8,0|Meier, Hans|O|Controlling|01.03.27-05.03.27|1|R||  G"_s),
        // The description is cut at 50, the missing trainer keeps its 20 places.
        planEntry(u"K20|"_s + longText.left(50)
                  + u"|E||250,50|24,5|Ärger, Udo|Ets|Einkauf|10.02.27-12.02.27|||S|      K"_s),
        // The trainer is cut at 20.
        planEntry(
            u"K3|Statistik|A|Weißenberger-Müller,|250,00|4,0|Meier, Hans|O|Controlling|31.12.27-02.01.28|3|||B"_s),
        QString(),
        // Sums end under the Kosten and Dauer columns.
        Columns{118, {0, -95, -103, 105}}(u"Summe:|600,50|36,5|Anzahl:     3"_s),
        QString(),
    };
    EXPECT_EQ(m.body.split(crlf), want + legend.split(crlf));
}

// The totals are those of the printed amounts to the cent, at any length of
// the list: 100,000 lines of amounts such as x,10, x,30 and x,50, which have
// no exact binary form. Their total of millions is wider than its column and
// takes the room on its left, still ending under the column.
TEST_P(TrainingsplanBerichtTest, TotalsAreExactAtAHundredThousandLines)
{
    // 250 courses, the fixture's three among them; courses "A…" for 399
    // employees, courses "B…" for 401, so that the cents do not cancel out.
    data::Transaction rows(db());
    qint64 cents = 399 * (10000 + 25050 + 25000), tenths = 399 * (80 + 245 + 40);
    const int endings[] = {10, 30, 50};
    for (int k = 0; k < 247; ++k) {
        const bool b = k >= 122;
        const qint64 c = 100000 + 1234 * k + endings[k % 3], t = 1 + 2 * (k % 3);
        addKurs((b ? u"B%1"_s : u"A%1"_s).arg(k, 3, 10, QLatin1Char('0')), u"IT"_s, u"Kurs %1"_s.arg(k), u"I"_s,
                QString(), double(c) / 100, double(t) / 10);
        cents += (b ? 401 : 399) * c;
        tenths += (b ? 401 : 399) * t;
    }
    for (int m = 0; m < 399; ++m)
        addMitarbeiter(u"Person %1"_s.arg(m, 3, 10, QLatin1Char('0')), u"1"_s, u"X"_s, u"O"_s, u"Logistik"_s);
    // One entry, then the same for the other pairs.
    addPlan(u"B122"_s, u"Meier, Hans"_s, u"1"_s, QDate(2027, 3, 1), QDate(2027, 3, 5));
    db().exec(u"INSERT INTO Trainingsplan (KursNr, Name, Prioritaet, Quelle, Datum_von, Datum_bis, Rechnung, "
              "Beurteilung, Bemerkung, Status) SELECT Kurs.KursNr, Mitarbeiter.Name, t.Prioritaet, t.Quelle, "
              "t.Datum_von, t.Datum_bis, t.Rechnung, t.Beurteilung, t.Bemerkung, t.Status "
              "FROM Kurs CROSS JOIN Mitarbeiter CROSS JOIN Trainingsplan t "
              "WHERE (Kurs.KursNr <> t.KursNr OR Mitarbeiter.Name <> t.Name) "
              "AND (Kurs.KursNr LIKE 'B%' OR Mitarbeiter.Name LIKE 'Person%')"_s);
    rows.commit();
    // The statistics autovacuum gives a server soon after such a load.
    if (isPostgres())
        db().exec(u"ANALYZE Kurs, Mitarbeiter, Trainingsplan"_s);
    ASSERT_EQ(count(u"Trainingsplan"_s), 100000);
    auto exact = [](qint64 units, int scale) {
        return u"%1,%2"_s.arg(units / scale).arg(units % scale, scale == 100 ? 2 : 1, 10, QLatin1Char('0'));
    };
    const QStringList body = build().body.split(crlf);
    ASSERT_GT(body.size(), 7);
    const Columns totals{118, {0, -95, -103, 105}};
    EXPECT_EQ(body[body.size() - 7],
              totals(u"Summe:|%1|%2|Anzahl: 100000"_s.arg(exact(cents, 100), exact(tenths, 10))));
}

TEST_P(TrainingsplanBerichtTest, PeriodSelectsOnTheStartDate)
{
    addPlan(u"K1"_s, u"Meier, Hans"_s, u"1"_s, QDate(2027, 3, 1), QDate(2027, 3, 5), u"1"_s);
    addPlan(u"K20"_s, u"Meier, Hans"_s, u"1"_s, QDate(2027, 2, 28), QDate(2027, 3, 2));
    addPlan(u"K3"_s, u"Meier, Hans"_s, u"1"_s, QDate(2027, 3, 2), QDate(2027, 3, 2));
    // Von, bis, the entries listed: equal dates, with an entry that ends after
    // the period; a two-digit year, with K20 starting before.
    const std::tuple<QString, QString, QString> cases[] = {
        {u"01.03.2027"_s, u"01.03.2027"_s, u"K1/Meier, Hans"_s},
        {u"1.3.27"_s, u"02.03.2027"_s, u"K1/Meier, Hans|K3/Meier, Hans"_s},
        {u"03.03.2027"_s, u"31.12.2027"_s, {}},
    };
    for (const auto &[von, bis, kurse] : cases) {
        SCOPED_TRACE(von.toStdString());
        setPeriod(von, bis);
        if (kurse.isEmpty()) {
            expectNothing();
            continue;
        }
        EXPECT_EQ(keys(build()).join(u'|'), kurse);
        EXPECT_EQ(dlg->model().header.split(crlf)[0], u"Zeitraum:    %1 bis %2"_s.arg(von, bis));
    }
}

TEST_P(TrainingsplanBerichtTest, EntryChecksInOrder)
{
    // Any status box set, von, bis, the message in the status panel, the field that gets the focus.
    const std::tuple<bool, QString, QString, QString, const char *> cases[] = {
        {false, u"kein Datum"_s, u"31.12.2027"_s, u"Es muß mindestens 1 Status gesetzt werden!"_s, "chkStatus(0)"},
        {true, u"32.01.2027"_s, u"kein Datum"_s, u"Das Startdatum ist ungültig!"_s, "txtVon"},
        {true, u"01.01.2027"_s, {}, u"Das Endedatum ist ungültig!"_s, "txtBis"},
        {true, u"02.01.2027"_s, u"01.01.2027"_s, u"Das Startdatum darf nicht größer als das Endedatum sein!"_s,
         "txtVon"},
    };
    addPlan(u"K1"_s, u"Meier, Hans"_s);
    for (const auto &[anyStatus, von, bis, status, focus] : cases) {
        SCOPED_TRACE(status.toStdString());
        for (int i = 0; i < 4; ++i)
            if (auto *box = dlg->findChild<QCheckBox *>(u"chkStatus(%1)"_s.arg(i)); box->isChecked() != anyStatus)
                clickBox(box);
        setPeriod(von, bis);
        prompter.expectMessage(u"Es wurden fehlerhafte Eingaben festgestellt!"_s, u"Datenprüfung"_s,
                               ui::Icon::Exclamation);
        expectNothing();
        EXPECT_EQ(ui::StatusPanels::instance().panelText(u"Status"_s), status);
        EXPECT_EQ(dlg->focusWidget()->objectName(), QString::fromLatin1(focus));
    }
    // A valid selection clears the panel.
    setPeriod(u"01.01.2027"_s, u"31.12.2027"_s);
    EXPECT_FALSE(build().body.isEmpty());
    EXPECT_EQ(ui::StatusPanels::instance().panelText(u"Status"_s), QString());
}

TEST_P(TrainingsplanBerichtTest, StatusBoxesSelectTheirEntries)
{
    addPlan(u"K1"_s, u"Ärger, Udo"_s, u"0"_s);
    addPlan(u"K1"_s, u"Meier, Hans"_s, u"1"_s);
    addPlan(u"K20"_s, u"Ärger, Udo"_s, u"2"_s);
    addPlan(u"K3"_s, u"Meier, Hans"_s, u"3"_s);
    clickBox(w<QCheckBox>("chkStatus(0)"));
    clickBox(w<QCheckBox>("chkStatus(2)"));
    EXPECT_EQ(keys(build()), QStringList({u"K1/Meier, Hans"_s, u"K3/Meier, Hans"_s}));
    clickBox(w<QCheckBox>("chkStatus(0)"));
    clickBox(w<QCheckBox>("chkStatus(2)"));
    QStringList cells;
    for (const QString &l : build().body.split(crlf).mid(0, 4))
        cells << l.mid(202, 8);
    EXPECT_EQ(cells, QStringList({u"B       "_s, u"  G     "_s, u"    E   "_s, u"      K "_s}));
}

TEST_P(TrainingsplanBerichtTest, BereichFilterDropsTheBereichColumn)
{
    addPlan(u"K1"_s, u"Meier, Hans"_s, u"1"_s, QDate(2027, 3, 1), QDate(2027, 3, 5), u"1"_s);
    addPlan(u"K1"_s, u"Ärger, Udo"_s, u"1"_s);
    auto *bereich = w<QComboBox>("cmbBereich");
    bereich->setCurrentIndex(bereich->findText(u"Controlling"_s));
    const reportdata::ReportModel &m = build();
    EXPECT_EQ(m.header.split(crlf).mid(1),
              QStringList({u"Bereich:     Controlling"_s, u"Sortierung:  Kurs-Nr."_s, QString(),
                           Columns{177, planStopsOhneBereich}(QString(headings).remove(u"Bereich|"_s))}));
    const QString k1 = u"K1|Excel Grundlagen|I|Huber, Anna|100,00|8,0|Meier, Hans|O|01.03.27-05.03.27|1|||  G"_s;
    EXPECT_EQ(m.body.split(crlf).mid(0, 2), QStringList({Columns{179, planStopsOhneBereich}(k1), QString()}));
}

TEST_P(TrainingsplanBerichtTest, FiltersAreBoundAndWriteTheirSelectionLines)
{
    for (const char *name : {"O'Neill, Sean", "100% Müller", "1000 Müller"})
        addMitarbeiter(QString::fromUtf8(name), u"1"_s, u"X"_s, u"I/C"_s, u"Logistik"_s);
    addMitarbeiter(u"ΚΩΣΤΑΣ, ΝΙΚΟΣ"_s, u"1"_s, u"X"_s, u"Ets"_s, u"Logistik"_s);
    addKurs(u"XK1"_s, u"IT"_s, u"Andere"_s, u"I"_s);
    addPlan(u"K1"_s, u"O'Neill, Sean"_s, u"1"_s, QDate(2027, 1, 1), QDate(2027, 1, 1), u"2"_s);
    for (const char *kursName : {"K1/100% Müller", "K1/1000 Müller", "XK1/O'Neill, Sean", "K3/Meier, Hans",
                                 "K1/Meier, Hans", "K20/ΚΩΣΤΑΣ, ΝΙΚΟΣ"}) {
        const QStringList k = QString::fromUtf8(kursName).split(u'/');
        addPlan(k[0], k[1]);
    }
    const QString k1 = u"K1/100% Müller|K1/1000 Müller|K1/Meier, Hans|K1/O'Neill, Sean"_s;
    const QString it = k1 + u"|K3/Meier, Hans|XK1/O'Neill, Sean"_s;
    const QString ic = u"K1/100% Müller|K1/1000 Müller|K1/O'Neill, Sean|XK1/O'Neill, Sean"_s;
    // The field, the text typed or the index of the item chosen, the selection
    // line, the entries listed as KursNr/Name with "|" between them.
    const std::tuple<const char *, QString, int, QString, QString> cases[] = {
        {"txtName", u"o'NEILL"_s, -1, u"Name:        o'NEILL"_s, u"K1/O'Neill, Sean|XK1/O'Neill, Sean"_s},
        // % and _ are plain characters.
        {"txtName", u"0% m"_s, -1, u"Name:        0% m"_s, u"K1/100% Müller"_s},
        {"txtName", u"100_"_s, -1, {}, {}},
        {"txtKursNr", u"K_"_s, -1, {}, {}},
        // The course number starts with the text.
        {"txtKursNr", u"k"_s, -1, u"Kurs-Nr.:    k"_s, k1 + u"|K20/ΚΩΣΤΑΣ, ΝΙΚΟΣ|K3/Meier, Hans"_s},
        // The same text finds the same entries on both engines: a trailing blank
        // is part of it (the names are filled with blanks), a final sigma is a sigma.
        {"txtName", u"hans "_s, -1, u"Name:        hans "_s, u"K1/Meier, Hans|K3/Meier, Hans"_s},
        {"txtName", u"σ, ν"_s, -1, u"Name:        σ, ν"_s, u"K20/ΚΩΣΤΑΣ, ΝΙΚΟΣ"_s},
        {"txtReferent", u"MÜLLER"_s, -1, u"Referent:    MÜLLER"_s, u"K3/Meier, Hans"_s},
        {"cmbKategorie", {}, 2, u"Kategorie:   I/C"_s, ic},
        {"cmbPrioritaet", u"2"_s, -1, u"Priorität:   2"_s, u"K1/O'Neill, Sean"_s},
        {"cmbArt", u"A"_s, -1, u"Art:         A"_s, u"K3/Meier, Hans"_s},
        // A typed beginning of a list value stays as typed; a list item keeps its blanks.
        {"cmbRubrik", u"IT"_s, -1, u"Rubrik:      IT"_s, it},
        {"cmbRubrik", {}, 4, u"Rubrik:      "_s + u"IT"_s.leftJustified(40), it},
    };
    for (const auto &[field, text, index, line, kurse] : cases) {
        SCOPED_TRACE(text.isEmpty() ? line.toStdString() : text.toStdString());
        fresh();
        if (index >= 0)
            w<QComboBox>(field)->setCurrentIndex(index);
        else
            type(field, text);
        if (kurse.isEmpty()) {
            expectNothing();
            continue;
        }
        const reportdata::ReportModel &m = build();
        EXPECT_EQ(m.header.split(crlf).mid(1, 2), QStringList({line, u"Sortierung:  Kurs-Nr."_s}));
        EXPECT_EQ(keys(m).join(u'|'), kurse);
    }
}

TEST_P(TrainingsplanBerichtTest, YesNoBoxesCycleThroughThreeStates)
{
    addPlan(u"K1"_s, u"Meier, Hans"_s, u"1"_s, QDate(2027, 3, 1), QDate(2027, 3, 5), u"1"_s, u" "_s, true, false);
    addPlan(u"K3"_s, u"Meier, Hans"_s, u"1"_s, QDate(2027, 3, 1), QDate(2027, 3, 5), u"1"_s, u" "_s, false, true);
    // Each click: the box's state, the selection line, the entries listed.
    const std::tuple<Qt::CheckState, QString, QString> steps[] = {
        {Qt::Unchecked, u"Rechnung:    nicht vorhanden"_s, u"K3/Meier, Hans"_s},
        {Qt::Checked, u"Rechnung:    vorhanden"_s, u"K1/Meier, Hans"_s},
        {Qt::PartiallyChecked, u"Sortierung:  Kurs-Nr."_s, u"K1/Meier, Hans|K3/Meier, Hans"_s},
        {Qt::Unchecked, u"Rechnung:    nicht vorhanden"_s, u"K3/Meier, Hans"_s},
    };
    auto *box = w<QCheckBox>("chkRechnung");
    EXPECT_EQ(box->checkState(), Qt::PartiallyChecked);
    for (const auto &[state, line, kurse] : steps) {
        SCOPED_TRACE(line.toStdString());
        clickBox(box);
        EXPECT_EQ(box->checkState(), state);
        const reportdata::ReportModel &m = build();
        EXPECT_EQ(m.header.split(crlf)[1], line);
        EXPECT_EQ(keys(m).join(u'|'), kurse);
    }
    // The other box has its own cycle.
    auto *other = w<QCheckBox>("chkBeurteilung");
    clickBox(other);
    clickBox(other);
    EXPECT_EQ(other->checkState(), Qt::Checked);
    EXPECT_EQ(build().header.split(crlf).mid(1, 2),
              QStringList({u"Rechnung:    nicht vorhanden"_s, u"Beurteilung: vorhanden"_s}));
}

// Every sort order, each with its own result; a course without trainer first.
// Entries that share a first key have their course numbers and names in
// opposite order, so that each secondary key shows.
TEST_P(TrainingsplanBerichtTest, SortOrdersAndGroups)
{
    addMitarbeiter(u"Zorn, Eva"_s, u"1"_s, u"X"_s, u"O"_s, u"Controlling"_s);
    addKurs(u"K10"_s, u"IT"_s, u"Pivot"_s, u"I"_s, u"Huber, Anna"_s, 0, 1);
    addPlan(u"K20"_s, u"Meier, Hans"_s, u"2"_s, QDate(2027, 3, 1), QDate(2027, 12, 31), u"1"_s);
    addPlan(u"K3"_s, u"Ärger, Udo"_s, u"0"_s, QDate(2027, 2, 1), QDate(2027, 12, 31), u"3"_s);
    addPlan(u"K1"_s, u"Zorn, Eva"_s, u"1"_s, QDate(2027, 1, 15), QDate(2027, 12, 31), u"1"_s);
    addPlan(u"K1"_s, u"Meier, Hans"_s, u"3"_s, QDate(2027, 4, 1), QDate(2027, 12, 31), u" "_s);
    addPlan(u"K10"_s, u"Ärger, Udo"_s, u"1"_s, QDate(2027, 1, 15), QDate(2027, 12, 31), u"3"_s);
    const QString k1m = u"K1/Meier, Hans"_s, k1z = u"K1/Zorn, Eva"_s, k20 = u"K20/Meier, Hans"_s,
                  k3 = u"K3/Ärger, Udo"_s, k10 = u"K10/Ärger, Udo"_s;
    // The sort order typed; group lines as they stand, entries as KursNr/Name.
    const std::pair<QString, QStringList> cases[] = {
        {u"Bereich"_s, {QString(), u"Controlling:"_s, k1m, k1z, k20, QString(), u"Einkauf:"_s, k10, k3}},
        {u"Rubrik"_s, {QString(), u"IT:"_s, k1m, k1z, k10, k3, QString(), u"Sprachen:"_s, k20}},
        {u"Name"_s, {k10, k3, k1m, k20, k1z}}, // German order: Ärger beside A
        {u"Kurs-Nr."_s, {k1m, k1z, k10, k20, k3}},
        {u"Irgendwas"_s, {k1m, k1z, k10, k20, k3}},
        {u"Art"_s, {k3, k20, k1m, k1z, k10}},
        {u"Kategorie"_s, {k10, k3, k1m, k1z, k20}},
        {u"Referent"_s, {k20, k1m, k1z, k10, k3}},
        {u"Priorität"_s, {k1m, k1z, k20, k10, k3}},
        {u"Startdatum"_s, {k1z, k10, k3, k20, k1m}},
        {u"Status"_s, {k3, k1z, k10, k20, k1m}},
    };
    for (const auto &[sort, lines] : cases) {
        SCOPED_TRACE(sort.toStdString());
        w<QComboBox>("cmbSortierung")->setEditText(sort); // "Priorität" is no key of QTest's
        const reportdata::ReportModel &m = build();
        EXPECT_EQ(m.header.split(crlf)[1], u"Sortierung:  "_s + sort);
        EXPECT_EQ(keys(m), lines);
    }
}

TEST_P(TrainingsplanBerichtTest, ExportWritesThePrintedRowsAsWorkbookAndCsv)
{
    addKurs(u"K4"_s, u"IT"_s, u"Zahlen; \"Fakten\" & Mehr"_s, u"A"_s, u"O'Neill, Jürgen"_s, 0, 2);
    db().exec(u"UPDATE Kurs SET Kosten = NULL WHERE KursNr = ?"_s, {data::schema::padded("K4", 6)});
    addPlan(u"K1"_s, u"Meier, Hans"_s, u"1"_s, QDate(2027, 3, 1), QDate(2027, 3, 5), u"1"_s, u" "_s, true, false);
    addPlan(u"K20"_s, u"Meier, Hans"_s, u"2"_s, QDate(2027, 2, 1), QDate(2027, 2, 2), u"3"_s);
    addPlan(u"K4"_s, u"Ärger, Udo"_s, u"0"_s, QDate(2027, 6, 1), QDate(2027, 6, 1), u" "_s, u" "_s, false, true);
    addPlan(u"K3"_s, u"Ärger, Udo"_s, u"0"_s, QDate(2026, 6, 1)); // before the period
    db().exec(u"UPDATE Trainingsplan SET Datum_bis = NULL WHERE KursNr = ?"_s, {data::schema::padded("K4", 6)});
    type("cmbSortierung", u"Bereich"_s);

    const QString xlsx = tempPath() + u"/liste.xlsx"_s;
    QStringList offered;
    exportVia(prompter, *dlg, xlsx, xlsxType, &offered, [&] {
        prompter.expectMessage(u"3 Zeilen exportiert nach\r\n"_s + xlsx, u"Export"_s, ui::Icon::Information);
    });
    EXPECT_EQ(offered,
              (QStringList{u"Exportieren"_s,
                           u"Liste Trainingsplan %1.xlsx"_s.arg(QDate::currentDate().toString(u"yyyy-MM-dd"_s)),
                           xlsxType, xlsxType, csvType}));
    const XlsxReader book(xlsx);
    EXPECT_TRUE(book.workbookXml.contains("<sheet name=\"Liste Trainingsplan\""));
    EXPECT_EQ(QStringList({book.text("A1"), book.text("A2"), book.text("A3"), book.text("A4")}),
              QStringList({u"Liste Trainingsplan"_s, reportdata::dateLine(),
                           u"Zeitraum:    01.01.2027 bis 31.12.2027"_s, u"Sortierung:  Bereich"_s}));
    EXPECT_TRUE(book.at("A1").bold);
    EXPECT_TRUE(book.sheetXml.contains("ySplit=\"6\"") && book.sheetXml.contains("state=\"frozen\""));
    // The filter takes the headings and the rows, and nothing but them: the group stands in each row.
    EXPECT_TRUE(book.sheetXml.contains("<autoFilter ref=\"A6:Q9\"/>"));
    // Widths that fit the longest value: the description, 62 characters.
    EXPECT_TRUE(book.sheetXml.contains("<col min=\"3\" max=\"3\" width=\"63.7"));

    // Every cell of the headings and rows: bold headings, the group first, text without padding,
    // typed numbers (the priority too) and dates, nothing for null values.
    const qint64 day0 = QDate(1899, 12, 30).toJulianDay();
    auto serial = [&](int y, int m, int d) { return QString::number(QDate(y, m, d).toJulianDay() - day0); };
    const QList<QStringList> rows = {
        {"Bereich", "Kurs-Nr.", "Beschreibung", "Art", "Referent", "Kosten", "Dauer", "Name", "Kat.", "Datum von",
         "Datum bis", "Prio.", "R", "S", "Status", "Quelle", "Bemerkung"},
        {"Controlling", "K1", "Excel Grundlagen", "I", "Huber, Anna", "100", "8", "Meier, Hans", "O",
         serial(2027, 3, 1), serial(2027, 3, 5), "1", "R", "", "G"},
        {"Controlling", "K20", longText, "E", "", "250.5", "24.5", "Meier, Hans", "O", serial(2027, 2, 1),
         serial(2027, 2, 2), "3", "", "", "E"},
        {"Einkauf", "K4", "Zahlen; \"Fakten\" & Mehr", "A", "O'Neill, Jürgen", "", "2", "Ärger, Udo", "Ets",
         serial(2027, 6, 1), "", "", "", "S", "B"},
    };
    for (int r = 0; r < rows.size(); ++r) {
        const bool heading = r == 0;
        for (int c = 0; c < 17; ++c) {
            const QString ref = QChar('A' + c) + QString::number(r + 6);
            SCOPED_TRACE(ref.toStdString());
            const XlsxCell &cell = book.at(ref);
            EXPECT_EQ(cell.value, rows[r].value(c));
            if (cell.value.isEmpty())
                continue;
            const bool number = !heading && (c == 5 || c == 6 || c == 9 || c == 10 || c == 11);
            EXPECT_EQ(cell.type, number ? QString() : u"inlineStr"_s);
            if (c != 11) {
                EXPECT_EQ(cell.format, !number ? "" : c == 5 ? "0.00" : c == 6 ? "0.0" : "dd.mm.yyyy");
            }
            EXPECT_EQ(cell.bold, heading);
        }
    }
    // Totals as formulas over the rows, with the count; the legend in blocks below.
    EXPECT_EQ(QStringList({book.text("A11"), book.at("F11").formula, book.at("F11").format, book.at("G11").formula,
                           book.text("H11"), book.text("I11")}),
              QStringList({u"Summe:"_s, u"SUM(F7:F9)"_s, u"0.00"_s, u"SUM(G7:G9)"_s, u"Anzahl:"_s, u"3"_s}));
    EXPECT_DOUBLE_EQ(book.text("F11").toDouble(), 350.5);
    EXPECT_DOUBLE_EQ(book.text("G11").toDouble(), 34.5);
    EXPECT_EQ(QStringList({book.text("A13"), book.text("B14"), book.text("D15"), book.text("G15"), book.text("I17")}),
              QStringList({u"Legende:"_s, u"A = Intern mit externem Referent"_s, u"I/C = Ingenieur/Cadre"_s,
                           u"S = Seminarbeurteilung vorhanden"_s, u"K = Keine Teilnahme"_s}));
    EXPECT_EQ(book.lastRow, 17);

    // A name typed without its extension: the file of the full name is replaced only when the user agrees.
    const QString csv = tempPath() + u"/liste.csv"_s;
    ASSERT_TRUE(writeFile(csv, "alt"));
    auto replace = [&](ui::Answer answer) {
        exportVia(prompter, *dlg, tempPath() + u"/liste"_s, csvType, nullptr, [&] {
            prompter.expectMessage(u"Die Datei \"liste.csv\" ist bereits vorhanden. Möchten Sie sie ersetzen?"_s,
                                   u"Exportieren"_s, ui::Icon::Question, answer);
            if (answer == ui::Answer::Yes)
                prompter.expectMessage(u"3 Zeilen exportiert nach\r\n"_s + csv, u"Export"_s, ui::Icon::Information);
        });
    };
    replace(ui::Answer::No);
    EXPECT_EQ(readFile(csv), "alt");
    replace(ui::Answer::Yes);
    // CSV: byte-order mark, ";", decimal comma, four-digit years, CR LF, quoting; the group first; no title
    // or totals.
    EXPECT_EQ(readFile(csv),
              "\xEF\xBB\xBF"
              "Bereich;Kurs-Nr.;Beschreibung;Art;Referent;Kosten;Dauer;Name;Kat.;Datum von;Datum bis;"
              "Prio.;R;S;Status;Quelle;Bemerkung\r\n"
              "Controlling;K1;Excel Grundlagen;I;Huber, Anna;100,00;8,0;Meier, Hans;O;01.03.2027;"
              "05.03.2027;1;R;;G;;\r\n"
              "Controlling;K20;"
                  + longText.toUtf8()
                  + ";E;;250,50;24,5;Meier, Hans;O;01.02.2027;02.02.2027;3;;;E;;\r\n"
                    "Einkauf;K4;\"Zahlen; \"\"Fakten\"\" & Mehr\";A;O'Neill, J\xC3\xBCrgen;;2,0;\xC3\x84rger, Udo;"
                    "Ets;01.06.2027;;;;S;B;;\r\n");
    // Nothing but the two files is left in the folder.
    EXPECT_EQ(QDir(tempPath()).entryList({u"liste*"_s}, QDir::Files), (QStringList{u"liste.csv"_s, u"liste.xlsx"_s}));
}

// A text that starts like a formula stays text in a spreadsheet: an apostrophe
// before it, inside the quotes. Numbers and dates are left alone, a negative
// amount stays a number.
TEST_P(TrainingsplanBerichtTest, CsvWritesTextsThatStartLikeFormulasAsText)
{
    const std::pair<const char *, const char *> cells[] = {
        // KursNr, Beschreibung, as the file holds them.
        {"F1;\"'=1+2\"", "=1+2"},
        {"F2;\"'+49 711 4711\"", "+49 711 4711"},
        {"F3;\"'-Rabatt\"", "-Rabatt"},
        {"F4;\"'@SUMME(A1:A9)\"", "@SUMME(A1:A9)"},
        {"F5;\"'\tEingerückt\"", "\tEingerückt"},
        {"F6;\"'\rZeile\"", "\rZeile"},
        {"F7;\"'=HYPERLINK(\"\"http://x\"\";\"\"Klick\"\")\"", "=HYPERLINK(\"http://x\";\"Klick\")"},
        {"F8;Kosten = 1+2", "Kosten = 1+2"},
        {"FZ;\"Zeile eins\nZeile zwei\"", "Zeile eins\nZeile zwei"}, // a line break stays inside the cell
        {"\"'-F9\";Kurs", "Kurs"},
    };
    QList<QByteArray> want;
    for (const auto &[csv, beschreibung] : cells) {
        const QString nr = QString::fromUtf8(csv).startsWith(u'"') ? u"-F9"_s : QString::fromUtf8(csv).left(2);
        addKurs(nr, u"IT"_s, QString::fromUtf8(beschreibung), u"I"_s, QString(), -12.5, 1);
        addPlan(nr, u"Meier, Hans"_s);
        want << QByteArray(csv) + ";I;;-12,50;1,0;Meier, Hans;O;Controlling;01.01.2027;31.12.2027;;;;B;;";
    }
    reportdata::TrainingsplanSelection sel;
    sel.von = QDate(2027, 1, 1);
    sel.bis = QDate(2027, 12, 31);
    const QString file = tempPath() + u"/formeln.csv"_s;
    // The progress dialog learns the number of rows from the rows read, not from a count of its own.
    qint64 total = -1;
    ASSERT_EQ(reportdata::runExport(db(), reportdata::trainingsplanExport(db(), sel), reportdata::ExportFormat::Csv,
                                    file, {}, [&](qint64 rows) { total = rows; }),
              qint64(std::size(cells)));
    EXPECT_EQ(total, qint64(std::size(cells)));
    const QByteArray all = readFile(file);
    EXPECT_TRUE(all.startsWith("\xEF\xBB\xBFKurs-Nr.;Beschreibung;"));
    QList<QByteArray> lines;
    for (const QString &l : QString::fromUtf8(all.mid(3)).split(crlf))
        lines << l.toUtf8();
    ASSERT_EQ(lines.size(), qsizetype(std::size(cells)) + 2);
    lines.removeFirst();
    EXPECT_EQ(lines.takeLast(), QByteArray());
    std::sort(lines.begin(), lines.end());
    std::sort(want.begin(), want.end());
    EXPECT_EQ(lines, want);
}

TEST_P(TrainingsplanBerichtTest, ExportThatCannotWriteOrFindsNothingLeavesNoFile)
{
    addPlan(u"K1"_s, u"Meier, Hans"_s, u"1"_s, QDate(2027, 3, 1));
    const QString missing = u"Der Ordner ist nicht vorhanden."_s;
    const std::tuple<QString, QString, QString> cases[] = {
        {tempPath() + u"/fehlt/liste.xlsx"_s, xlsxType, missing},
        {tempPath() + u"/ordner.xlsx"_s, xlsxType, u"Unter diesem Namen gibt es bereits einen Ordner."_s},
        {tempPath() + u"/fehlt/liste.csv"_s, csvType, missing},
    };
    QDir().mkpath(tempPath() + u"/ordner.xlsx"_s);
    for (const auto &[file, type, reason] : cases) {
        SCOPED_TRACE(file.toStdString());
        exportVia(prompter, *dlg, file, type, nullptr, [&] {
            prompter.expectMessage(u"Die Datei kann nicht geschrieben werden:\r\n%1\r\n\r\n%2"_s.arg(file, reason),
                                   u"Error"_s, ui::Icon::Exclamation);
        });
    }
    // Nothing in the period: the usual message, and no file.
    setPeriod(u"01.01.2030"_s, u"31.12.2030"_s);
    for (const QString &type : {xlsxType, csvType})
        exportVia(prompter, *dlg, tempPath() + u"/leer"_s, type, nullptr,
                  [&] { prompter.expectMessage(u"Keine Vorgaben vorhanden!"_s, u"Error"_s, ui::Icon::Exclamation); });
    // Invalid entries stop before the file dialog, as for the other outputs.
    setPeriod(u"31.12.2030"_s, u"01.01.2030"_s);
    prompter.expectMessage(u"Es wurden fehlerhafte Eingaben festgestellt!"_s, u"Datenprüfung"_s, ui::Icon::Exclamation);
    clickButton(*dlg, u"cmdExport"_s);
    EXPECT_EQ(QDir(tempPath()).entryList({u"*.xlsx*"_s, u"*.csv*"_s, u"leer*"_s}, QDir::Files), QStringList());
    EXPECT_FALSE(QFileInfo::exists(tempPath() + u"/fehlt"_s));
}

// As an ordinary user: the list's files are made with the modes the user's
// umask gives (the user chose where they go). A folder the user may not
// write, or a file the user write-protected, is said in German and left as
// it was; a PDF that cannot be made is not reported as saved.
TEST_P(TrainingsplanBerichtTest, ExportAndPdfTakeTheUmaskAndAProtectedPlaceIsSaidAsOrdinaryUser)
{
    ORV_AS_ORDINARY_USER();
    addPlan(u"K1"_s, u"Meier, Hans"_s, u"1"_s, QDate(2027, 3, 1));
    const ScopedUmask mask(027);
    QString pdf;
    reports::ReportPrinter::setFactory([&pdf] { return std::make_unique<reports::QtReportPrinter>(pdf); });
    const QString open = tempPath() + u"/offen"_s, closed = tempPath() + u"/geschuetzt"_s;
    ASSERT_TRUE(QDir().mkpath(open) && QDir().mkpath(closed) && writeFile(open + u"/alt.csv"_s, "alt"));
    ASSERT_TRUE(writeFile(open + u"/alt.pdf"_s, "alt"));
    for (const QString &f : {closed, open + u"/alt.csv"_s, open + u"/alt.pdf"_s})
        ASSERT_EQ(chmod(QFile::encodeName(f).constData(), f == closed ? 0500 : 0400), 0);
    const auto restore = qScopeGuard([&] { chmod(QFile::encodeName(closed).constData(), 0700); });
    const QString folderText = u"Keine Berechtigung zum Schreiben in diesem Ordner."_s,
                  fileText = u"Keine Berechtigung zum Schreiben."_s;
    const std::tuple<QString, QString, QString> exports[] = {
        {open + u"/liste.xlsx"_s, xlsxType, QString()},    {open + u"/liste.csv"_s, csvType, QString()},
        {closed + u"/liste.xlsx"_s, xlsxType, folderText}, {closed + u"/liste.csv"_s, csvType, folderText},
        {open + u"/alt.csv"_s, csvType, fileText},
    };
    for (const auto &[file, type, reason] : exports) {
        SCOPED_TRACE(file.toStdString());
        if (reason.isEmpty()) {
            exportVia(prompter, *dlg, file, type);
            EXPECT_EQ(fileMode(file), 0640);
            continue;
        }
        exportVia(prompter, *dlg, file, type, nullptr, [&] {
            prompter.expectMessage(u"Die Datei kann nicht geschrieben werden:\r\n%1\r\n\r\n%2"_s.arg(file, reason),
                                   u"Error"_s, ui::Icon::Exclamation);
        });
    }
    EXPECT_EQ(QDir(closed).entryList(QDir::Files), QStringList());
    EXPECT_EQ(readFile(open + u"/alt.csv"_s), "alt");

    pdf = open + u"/liste.pdf"_s;
    prompter.expectMessage(u"„Liste Trainingsplan“ wurde als PDF-Datei gespeichert:\r\n"_s + pdf, u"Drucken"_s,
                           ui::Icon::Information);
    clickButton(*dlg, u"cmdDrucken"_s);
    EXPECT_EQ(fileMode(pdf), 0640);
    for (const auto &[file, reason] :
         {std::pair{closed + u"/liste.pdf"_s, folderText}, {open + u"/alt.pdf"_s, fileText}}) {
        SCOPED_TRACE(file.toStdString());
        pdf = file;
        // "Nein" goes on past the failure, as for a printer; still nothing was saved.
        for (const ui::Answer answer : {ui::Answer::Yes, ui::Answer::No})
            prompter.expectMessage(u"Druckerfehler: 482 Die PDF-Datei %1 kann nicht angelegt werden. %2\r\nMöchten "
                                   "Sie den Druck abbrechen?"_s.arg(file, reason),
                                   u"Druckerfehler"_s, ui::Icon::Question, answer);
        clickButton(*dlg, u"cmdDrucken"_s);
        clickButton(*dlg, u"cmdDrucken"_s);
        EXPECT_FALSE(prompter.pending());
        EXPECT_EQ(QDir(closed).entryList(QDir::Files), QStringList());
        EXPECT_EQ(readFile(open + u"/alt.pdf"_s), "alt");
    }
}

// A real print through QPrinter into a PDF file: a list long enough for
// several pages.
TEST_P(TrainingsplanBerichtTest, ListPrintsFramedPagesToPdfAndPreview)
{
    const QStringList bereiche = {u"Controlling"_s, u"Einkauf"_s, u"Logistik"_s, u"Qualitätssicherung"_s};
    auto kurs = [](int k) { return u"K%1"_s.arg(k + 1, 3, 10, QLatin1Char('0')); };
    auto name = [](int m) { return u"Mitarbeiter%1, Jörg"_s.arg(m, 2, 10, QLatin1Char('0')); };
    for (int k = 0; k < 6; ++k)
        addKurs(kurs(k), u"IT"_s, u"Kurs Nummer %1 über Tabellenkalkulation und Auswertungen"_s.arg(k + 1),
                u"AIE"_s.mid(k % 3, 1), k % 2 ? u"Schulz, Bärbel"_s : QString(), 120.5 * k, 7.5 * (k + 1));
    for (int m = 0; m < 20; ++m)
        addMitarbeiter(name(m), u"47%1"_s.arg(m), u"Abt. %1"_s.arg(m % 4), m % 3 ? u"Ets"_s : u"O"_s, bereiche[m % 4]);
    for (int k = 0; k < 6; ++k)
        for (int m = 0; m < 20; ++m)
            addPlan(kurs(k), name(m), QString::number((k + m) % 4), QDate(2027, 1 + (k + m) % 12, 1 + m),
                    QDate(2027, 1 + (k + m) % 12, 2 + m), QString::number(1 + m % 3), u" "_s, m % 2, m % 5 == 0);

    const QString path = tempPath() + u"/liste.pdf"_s;
    reports::ReportPrinter::setFactory([path] { return std::make_unique<reports::QtReportPrinter>(path); });
    type("cmbSortierung", u"Bereich"_s);
    auto pages = [&] {
        QFile::remove(path);
        prompter.expectMessage(u"„Liste Trainingsplan“ wurde als PDF-Datei gespeichert:\r\n"_s + path, u"Drucken"_s,
                               ui::Icon::Information);
        clickButton(*dlg, u"cmdDrucken"_s);
        const QString pdf = QString::fromLatin1(readFile(path));
        EXPECT_TRUE(pdf.startsWith(u"%PDF"_s));
        return int(pdf.count(QRegularExpression(u"/Type\\s*/Page\\b"_s)));
    };
    // 120 entries with group lines, sums and legend at size 6 in landscape take three pages.
    EXPECT_EQ(pages(), 3);

    // The page preview of the display window, opened where a page can be read:
    // as tall as the screen allows.
    auto preview = [&](int pageCount, QPageLayout::Orientation orientation) {
        prompter.expectModal([](QDialog &anzeige) {
            anzeige.findChild<QAction *>("mnuSeitenansicht")->trigger();
            anzeige.reject();
        });
        prompter.expectModal([=](QDialog &d) {
            auto *view = d.findChild<QPrintPreviewWidget *>();
            ASSERT_NE(view, nullptr);
            EXPECT_GE(d.height(), std::min(1000, int(d.screen()->availableSize().height() * 0.9)));
            view->updatePreview();
            EXPECT_EQ(view->pageCount(), pageCount);
            EXPECT_EQ(view->orientation(), orientation);
            d.reject();
        });
        clickButton(*dlg, u"cmdAnzeige"_s);
    };
    // It shows the same three pages, landscape.
    preview(3, QPageLayout::Landscape);

    // The pages the user asks for in the print dialog, and only those.
    setSetting(u"PrinterWindow"_s, u"ON"_s);
    for (const auto &[from, to, printed] : {std::tuple{2, 3, 2}, std::tuple{3, 3, 1}, std::tuple{1, 9, 3}}) {
        SCOPED_TRACE(from * 10 + to);
        prompter.expectModal([from, to](QDialog &d) {
            QPrinter *p = static_cast<QPrintDialog &>(d).printer();
            p->setPrintRange(QPrinter::PageRange);
            p->setFromTo(from, to);
            d.done(QDialog::Accepted);
        });
        EXPECT_EQ(pages(), printed);
    }

    // Turned to portrait in the print dialog, the list prints so, and the page
    // preview shows it as it was printed.
    prompter.expectModal([](QDialog &d) {
        static_cast<QPrintDialog &>(d).printer()->setPageOrientation(QPageLayout::Portrait);
        d.done(QDialog::Accepted);
    });
    const int portraitPages = pages();
    preview(portraitPages, QPageLayout::Portrait);
    reports::ReportPrinter::setFactory({});
}

ORV_DB_TEST_SUITE(TrainingsplanBerichtTest);

class TrainingsplanBerichtStartTest : public OrvTest {};

// The dialog opens on the current year with every status; each date has its
// own calendar, which opens on the typed date and writes the chosen day.
TEST_F(TrainingsplanBerichtStartTest, CurrentYearEveryStatusAndACalendarPerDate)
{
    reports::FrmTrainingsplanBericht dlg;
    dlg.show();
    auto *von = dlg.findChild<QLineEdit *>("txtVon");
    auto *bis = dlg.findChild<QLineEdit *>("txtBis");
    const QString year = QString::number(QDate::currentDate().year());
    EXPECT_EQ(von->text() + u" bis "_s + bis->text(), u"01.01."_s + year + u" bis 31.12."_s + year);
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(dlg.findChild<QCheckBox *>(u"chkStatus(%1)"_s.arg(i))->isChecked());
    EXPECT_EQ(dlg.findChild<QComboBox *>("cmbSortierung")->currentText(), u"Kurs-Nr."_s);

    // Each date its own calendar, opened on its field's date; the day chosen goes to that field
    // alone. (The calendar's ways with other texts and keys: TrainingsplanFormTest's calendar test.)
    von->setText(u"15.06.2027"_s);
    bis->setText(u"20.07.2027"_s);
    for (const auto &[name, opens, day] : {std::tuple{"Von", QDate(2027, 6, 15), QDate(2027, 6, 3)},
                                           std::tuple{"Bis", QDate(2027, 7, 20), QDate(2027, 7, 21)}}) {
        SCOPED_TRACE(name);
        auto *cal = dlg.findChild<QCalendarWidget *>(u"MonthView"_s + QLatin1String(name));
        clickButton(dlg, u"cmdMonthView"_s + QLatin1String(name));
        ASSERT_TRUE(cal->isVisible());
        EXPECT_EQ(cal->selectedDate(), opens);
        emit cal->clicked(day);
        EXPECT_FALSE(cal->isVisible());
    }
    EXPECT_EQ(von->text() + u" bis "_s + bis->text(), u"03.06.2027 bis 21.07.2027"_s);
}

class ExportWriterTest : public OrvTest {};

// A cancelled export of either type leaves an earlier file of that name as it was, and nothing else.
TEST_F(ExportWriterTest, CancelledExportKeepsTheOldFile)
{
    reportdata::ExportLayout layout;
    layout.title = u"Liste"_s;
    layout.columns = {{u"Text"_s}, {u"Zahl"_s, reportdata::CellType::Number, 2, true}};
    layout.totals = true;
    const QString target = tempPath() + u"/liste"_s;
    for (const auto format : {reportdata::ExportFormat::Xlsx, reportdata::ExportFormat::Csv}) {
        ASSERT_TRUE(writeFile(target, "alt"));
        int calls = 0;
        auto writer = reportdata::makeExportWriter(format, layout, target);
        writer->setProgress([&](qint64 done) {
            ++calls;
            if (done >= 2048)
                throw reportdata::ExportCancelled();
        });
        EXPECT_THROW(
            for (int i = 0; i < 5000; ++i) {
                writer->text("Zeile");
                writer->number(i);
                writer->endRow();
            },
            reportdata::ExportCancelled);
        writer.reset();
        EXPECT_EQ(calls, 2);
        EXPECT_EQ(readFile(target), QByteArray("alt"));
        EXPECT_EQ(QDir(tempPath()).entryList(QDir::Files), QStringList{u"liste"_s});
    }
}

// The master-data reports: courses and employees.
class StammdatenBerichtTest : public DbTest {
protected:
    void setUpOnDatabase() override
    {
        addKurs(u"K2"_s, u"Sprachen"_s, u"Englisch"_s, u"E"_s, u"O'Brien, Mary"_s, 1250.5, 16);
        addKurs(u"K1"_s, u"IT"_s, u"Excel"_s, u"I"_s, QString(), 0, 4.5);
        addKurs(u"K3"_s, u"IT"_s, QString(80, u'x'), u"A"_s, u"Müller-Lüdenscheidt, Bärbel"_s, 9999.99, 999.9);
        // A series with a validity, and one without.
        db().exec(
            u"INSERT INTO Kursreihe (KursNr, Reihe, Gueltigkeit) VALUES ('K2', 'EN', 24), ('K3', 'AUDIT-2027', NULL)"_s);
        dlg = std::make_unique<reports::FrmKursBericht>();
        dlg->show();
    }
    void TearDown() override
    {
        dlg.reset();
        DbTest::TearDown();
    }
    QRadioButton *opt(int i) { return dlg->findChild<QRadioButton *>(u"optBericht(%1)"_s.arg(i)); }
    // The course numbers of the list built, "|" between them.
    QString kurse(const QString &title)
    {
        EXPECT_EQ(build(*dlg).title, title);
        QStringList out;
        for (const QString &l : dlg->model().body.split(crlf, Qt::SkipEmptyParts))
            out << l.left(6).trimmed();
        return out.join(u'|');
    }
    std::unique_ptr<reports::FrmKursBericht> dlg;
};

TEST_P(StammdatenBerichtTest, CompleteListsWithColumnsUnderTheHeading)
{
    const reportdata::ReportModel &m = build(*dlg);
    EXPECT_EQ(m.title, u"Komplettliste Kurse"_s);
    EXPECT_EQ(m.orientation, reportdata::Orientation::Landscape);
    const Columns kurs{203, {0, 9, 51, 133, 138, -177, -184, 186, -203}};
    EXPECT_EQ(m.header, kurs(u"Kurs-Nr.|Rubrik|Beschreibung|Art|Referent|Kosten|Dauer|Reihe|Monate"_s));
    EXPECT_EQ(m.body.split(crlf), QStringList({kurs(u"K1|IT|Excel|I||0,00|4,5"_s),
                                               kurs(u"K2|Sprachen|Englisch|E|O'Brien, Mary|1250,50|16,0|EN|24"_s),
                                               kurs(u"K3|IT|"_s + QString(80, u'x')
                                                    + u"|A|Müller-Lüdenscheidt, Bärbel|9999,99|999,9|AUDIT-2027"_s),
                                               QString()}));

    // Employees in German name order; an empty table has nothing to report.
    reports::FrmMitarbeiterBericht ma;
    expectNothing(prompter, ma);
    addMitarbeiter(u"Zorn, Eva"_s, u"4711"_s, u"Einkauf"_s, u"I/C"_s, u"Einkauf"_s);
    addMitarbeiter(u"Bauer, Jan"_s, QString(), QString(), u"O"_s, u"Logistik"_s);
    addMitarbeiter(u"Ärger, Udo"_s, u"12"_s, u"Fertigung"_s, u"Ets"_s, u"DUV Motoren"_s);
    const reportdata::ReportModel &e = build(ma);
    EXPECT_EQ(e.title, u"Komplettliste Mitarbeiter"_s);
    EXPECT_EQ(e.orientation, reportdata::Orientation::Portrait);
    const std::vector<int> maStops = {0, 32, 46, 58, 69};
    const Columns entry{99, maStops}, heading{76, maStops};
    EXPECT_EQ(e.header, heading(u"Name|Kostenstelle|Abteilung|Kategorie|Bereich"_s));
    EXPECT_EQ(e.body.split(crlf), QStringList({entry(u"Ärger, Udo|12|Fertigung|Ets|DUV Motoren"_s),
                                               // Missing cost centre and department keep their places.
                                               entry(u"Bauer, Jan|||O|Logistik"_s),
                                               entry(u"Zorn, Eva|4711|Einkauf|I/C|Einkauf"_s), QString()}));
}

TEST_P(StammdatenBerichtTest, SelectionsTitlesAndOptionFollowingTheInput)
{
    auto *rubrik = dlg->findChild<QComboBox *>("cmbRubrik");
    auto *referent = dlg->findChild<QLineEdit *>("txtReferent");
    EXPECT_EQ(rubrik->currentText(), QString());

    // Choosing a Rubrik selects its list; the title keeps the item's trailing blanks.
    rubrik->setCurrentIndex(3);
    emit rubrik->activated(3);
    EXPECT_TRUE(opt(1)->isChecked());
    EXPECT_EQ(rubrik->lineEdit()->cursorPosition(), 0); // the value shows from its start
    EXPECT_EQ(kurse(u"Liste Kurse mit Rubrik = "_s + u"IT"_s.leftJustified(40)), u"K1|K3"_s);

    // A typed Rubrik stays exactly as typed, also where it begins a list value.
    rubrik->clearEditText();
    QTest::keyClicks(rubrik->lineEdit(), u"IT"_s);
    EXPECT_EQ(rubrik->currentText(), u"IT"_s);
    EXPECT_EQ(kurse(u"Liste Kurse mit Rubrik = IT"_s), u"K1|K3"_s);

    // Typing a trainer selects that list; the title is trimmed, the filter is not, case is ignored.
    QTest::keyClicks(referent, u" o'b"_s);
    EXPECT_TRUE(opt(2)->isChecked());
    prompter.expectMessage(u"Keine Vorgaben vorhanden!"_s, u"Error"_s, ui::Icon::Exclamation);
    EXPECT_EQ(kurse(u"Liste Kurse mit Referent = o'b"_s), QString());
    referent->clear();
    QTest::keyClicks(referent, u"O'B"_s);
    EXPECT_EQ(kurse(u"Liste Kurse mit Referent = O'B"_s), u"K2"_s);
    referent->setText(u"LÜDEN"_s);
    EXPECT_EQ(kurse(u"Liste Kurse mit Referent = LÜDEN"_s), u"K3"_s);

    // An empty trainer text: every course with a trainer, under the complete list's title.
    referent->clear();
    EXPECT_TRUE(opt(2)->isChecked());
    EXPECT_EQ(kurse(u"Komplettliste Kurse"_s), u"K2|K3"_s);

    // The options can still be changed by hand.
    clickBox(opt(0));
    EXPECT_TRUE(opt(0)->isChecked());
    EXPECT_EQ(kurse(u"Komplettliste Kurse"_s), u"K1|K2|K3"_s);

    // "&Liste Rubrik" with an empty text: nothing to report.
    rubrik->setEditText(u"x"_s);
    rubrik->setEditText(QString());
    EXPECT_TRUE(opt(1)->isChecked());
    expectNothing(prompter, *dlg);
}

TEST_P(StammdatenBerichtTest, ExportOfTheChosenListsAndTheButtonInEveryDialog)
{
    auto *rubrik = dlg->findChild<QComboBox *>("cmbRubrik");
    rubrik->setCurrentIndex(3);
    emit rubrik->activated(3);
    QStringList offered;
    exportVia(prompter, *dlg, tempPath() + u"/kurse.csv"_s, csvType, &offered);
    EXPECT_EQ(offered.value(1),
              u"Liste Kurse mit Rubrik = IT %1.xlsx"_s.arg(QDate::currentDate().toString(u"yyyy-MM-dd"_s)));
    EXPECT_EQ(readFile(tempPath() + u"/kurse.csv"_s),
              QByteArray("\xEF\xBB\xBFKurs-Nr.;Rubrik;Beschreibung;Art;Referent;Kosten;Dauer;Reihe;G\xC3\xBCltigkeit "
                         "(Monate)\r\n"
                         "K1;IT;Excel;I;;0,00;4,5;;\r\n"
                         "K3;IT;")
                  + QByteArray(80, 'x')
                  + ";A;M\xC3\xBCller-L\xC3\xBC"
                    "denscheidt, B\xC3\xA4rbel;9999,99;999,9;AUDIT-2027;\r\n");

    addMitarbeiter(u"O'Hara, Ümit"_s, QString(), u"Lager; Hof"_s, u"O"_s, u"Logistik"_s);
    reports::FrmMitarbeiterBericht ma;
    exportVia(prompter, ma, tempPath() + u"/ma.csv"_s, csvType);
    EXPECT_EQ(readFile(tempPath() + u"/ma.csv"_s),
              QByteArray("\xEF\xBB\xBFName;Kostenstelle;Abteilung;Kategorie;Bereich\r\n"
                         "O'Hara, \xC3\x9Cmit;;\"Lager; Hof\";O;Logistik\r\n"));
}

ORV_DB_TEST_SUITE(StammdatenBerichtTest);

// "Fällige Schulungen" through its dialog: the series chosen, the day, a
// filter; the lines, the legend and the export of the same rows.
class FaelligBerichtTest : public DbTest {
protected:
    void setUpOnDatabase() override
    {
        seed();
        db().exec(u"DELETE FROM Trainingsplan"_s);
        data::series::setForCourse(db(), u"K1"_s, {u"UW"_s, 12});
        data::series::setForCourse(db(), u"K2"_s, {u"EN"_s, 24});
        const QDate today = QDate::currentDate();
        addPlan(u"K1"_s, u"Abel, Anna"_s, u"2"_s, today.addMonths(-13), today.addMonths(-13));
        addPlan(u"K1"_s, u"Zorn, Zeno"_s, u"2"_s, today.addDays(-360), today.addDays(-360));
        addPlan(u"K2"_s, u"Zorn, Zeno"_s, u"2"_s, today.addMonths(-25), today.addMonths(-25));
        addPlan(u"K1"_s, u"Ärger, Udo"_s, u"1"_s, today.addDays(20), today.addDays(21));
        dlg = std::make_unique<reports::FrmFaelligBericht>();
        dlg->show();
    }
    void TearDown() override
    {
        dlg.reset();
        DbTest::TearDown();
    }
    std::unique_ptr<reports::FrmFaelligBericht> dlg;
};

TEST_P(FaelligBerichtTest, ListsWhoIsDueByTheChosenDayWithTheDaysLeftAndExportsTheSameRows)
{
    const QDate today = QDate::currentDate();
    const auto day = [](const QDate &d) { return d.toString(u"dd.MM.yyyy"_s); };
    dlg->findChild<QLineEdit *>(u"txtStichtag"_s)->setText(day(today.addDays(30)));
    const reportdata::ReportModel &m = build(*dlg);
    EXPECT_EQ(m.title, u"Fällige Schulungen bis "_s + day(today.addDays(30)));
    EXPECT_EQ(m.orientation, reportdata::Orientation::Landscape);
    const Columns due{127, {0, 12, 44, 66, 76, 88, -106, 109}};
    EXPECT_EQ(m.header, u"Reihe:       alle\r\n\r\n"_s
                            + due(u"Reihe|Name|Bereich|Kurs-Nr.|erledigt|gültig bis|Tage|geplant"_s).trimmed());
    QStringList lines = m.body.split(crlf);
    ASSERT_GE(lines.size(), 5);
    const QDate zornDone = today.addMonths(-25), abelDone = today.addMonths(-13), zornUw = today.addDays(-360);
    EXPECT_EQ(lines.mid(0, 4),
              (QStringList{due(u"EN|Zorn, Zeno|Logistik|K2|%1|%2|%3|"_s.arg(day(zornDone), day(zornDone.addMonths(24)))
                                   .arg(today.daysTo(zornDone.addMonths(24))))
                               .trimmed(),
                           due(u"UW|Abel, Anna|Einkauf|K1|%1|%2|%3|"_s.arg(day(abelDone), day(abelDone.addMonths(12)))
                                   .arg(today.daysTo(abelDone.addMonths(12))))
                               .trimmed(),
                           due(u"UW|Zorn, Zeno|Logistik|K1|%1|%2|%3|"_s.arg(day(zornUw), day(zornUw.addMonths(12)))
                                   .arg(today.daysTo(zornUw.addMonths(12))))
                               .trimmed(),
                           QString()}));
    EXPECT_EQ(lines.value(4), u"Anzahl:      3"_s);

    // One series, and who never completed it, planned already or not.
    auto *reihe = dlg->findChild<QComboBox *>(u"cmbReihe"_s);
    reihe->setCurrentIndex(reihe->findText(u"UW"_s));
    clickBox(dlg->findChild<QCheckBox *>(u"chkNie"_s));
    lines = build(*dlg).body.split(crlf);
    EXPECT_EQ(lines.value(0), due(u"UW|Ärger, Udo|Werkleitung||nie|||K1 "_s + day(today.addDays(20))).trimmed());
    EXPECT_EQ(lines.value(2).left(24), u"UW          Zorn, Zeno  "_s);
    EXPECT_EQ(lines.value(4), u"Anzahl:      3"_s);
    EXPECT_TRUE(build(*dlg).header.startsWith(
        u"Reihe:       UW\r\nMit den Mitarbeitern, die die Schulung nie erledigt haben\r\n"_s));

    exportVia(prompter, *dlg, tempPath() + u"/faellig.csv"_s, csvType);
    const QStringList csv = QString::fromUtf8(readFile(tempPath() + u"/faellig.csv"_s)).split(u"\r\n"_s);
    // (The byte-order mark is read as none.)
    EXPECT_EQ(csv.value(0), u"Reihe;Name;Bereich;Abteilung;Kategorie;Kurs-Nr.;erledigt;gültig bis;Tage;geplant "
                            "(Kurs-Nr.);geplant ab"_s);
    EXPECT_EQ(csv.value(1), u"UW;Ärger, Udo;Werkleitung;VK;O;;;;;K1;"_s + day(today.addDays(20)));
    EXPECT_EQ(csv.value(2),
              u"UW;Abel, Anna;Einkauf;EK;Ets;K1;%1;%2;%3;;"_s.arg(day(abelDone), day(abelDone.addMonths(12)))
                  .arg(today.daysTo(abelDone.addMonths(12))));
    EXPECT_EQ(csv.size(), 5); // three rows and the end of the last
}

// A day that is no date is refused before anything is read.
TEST_P(FaelligBerichtTest, ADayThatIsNoDateIsRefused)
{
    dlg->findChild<QLineEdit *>(u"txtStichtag"_s)->setText(u"31.02.2027"_s);
    prompter.expectMessage(u"Das Datum ist ungültig!"_s, u"Datenprüfung"_s, ui::Icon::Exclamation);
    clickButton(*dlg, u"cmdAblage"_s);
    EXPECT_EQ(dlg->model().body, QString());
}

ORV_DB_TEST_SUITE(FaelligBerichtTest);

} // namespace
