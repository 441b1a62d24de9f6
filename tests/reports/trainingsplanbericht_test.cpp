#include "data/schema.h"
#include "reports/frmtrainingsplanbericht.h"
#include "reports/reportexport.h"
#include "support/testenv.h"
#include "ui/format.h"
#include "ui/statuspanels.h"
#include "ui/textlimit.h"
#include "xlsxreader.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

using namespace orv;
using namespace orv::test;

namespace {

// A line of `length` blanks with texts at the given character positions.
QString place(int length, std::initializer_list<std::pair<int, QString>> items)
{
    QString s(length, QLatin1Char(' '));
    for (const auto &[pos, text] : items)
        s.replace(pos, text.size(), text);
    return s;
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
    void SetUp() override
    {
        DbTest::SetUp();
        addKurs(u"K1"_s, u"IT"_s, u"Excel Grundlagen"_s, u"I"_s, u"Huber, Anna"_s, 100, 8);
        addKurs(u"K20"_s, u"Sprachen"_s, longText, u"E"_s, QString(), 250.5, 24.5);
        addKurs(u"K3"_s, u"IT"_s, u"Statistik"_s, u"A"_s, u"Weißenberger-Müller, Ottokar"_s, 0, 4);
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
    void type(const char *name, const QString &text)
    {
        auto *e = w<QLineEdit>(name);
        e->clear();
        QTest::keyClicks(e, text);
    }
    void typeCombo(const char *name, const QString &text)
    {
        auto *c = w<QComboBox>(name);
        c->clearEditText();
        QTest::keyClicks(c->lineEdit(), text);
    }
    // A click on the box itself, where a person clicks.
    void clickBox(QCheckBox *box) { QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2)); }
    void setPeriod(const QString &von, const QString &bis)
    {
        type("txtVon", von);
        type("txtBis", bis);
    }
    // Builds through "&Ablage" and returns the model the outputs saw.
    const reports::ReportModel &build()
    {
        QTest::mouseClick(w<QPushButton>("cmdAblage"), Qt::LeftButton);
        return dlg->model();
    }
    QStringList bodyLines() { return build().body.split(u"\r\n"_s); }
    // The body up to the sums: entries as "KursNr/Name", group lines as they stand.
    static QStringList keys(const reports::ReportModel &m)
    {
        QStringList out;
        for (const QString &l : m.body.split(u"\r\n"_s)) {
            if (l.startsWith(u"Summe:"_s))
                break;
            out << (l.size() > 200 ? l.left(6).trimmed() + QLatin1Char('/') + l.mid(105, 30).trimmed() : l);
        }
        if (!out.isEmpty())
            out.removeLast(); // the empty line before the sums
        return out;
    }
    void expectNothing()
    {
        prompter.expectMessage(u"Keine Vorgaben vorhanden!"_s, u"Error"_s, ui::Icon::Exclamation);
        EXPECT_TRUE(build().body.isEmpty());
    }
    std::unique_ptr<reports::FrmTrainingsplanBericht> dlg;
};

// The standard line of K1 for Meier, Hans with the Bereich column.
QString k1Meier(int status = 1, const QString &datum = u"01.03.27-05.03.27"_s, bool r = false, bool s = false)
{
    return place(210, {{0, u"K1"_s},
                       {9, u"Excel Grundlagen"_s},
                       {61, u"I"_s},
                       {66, u"Huber, Anna"_s},
                       {89, u"100,00"_s},
                       {100, u"8,0"_s},
                       {105, u"Meier, Hans"_s},
                       {137, u"O"_s},
                       {142, u"Controlling"_s},
                       {173, datum},
                       {191, u"1"_s},
                       {197, r ? u"R"_s : QString()},
                       {199, s ? u"S"_s : QString()},
                       {202 + 2 * status, QString(QLatin1Char("BGEK"[status]))}});
}

TEST_P(TrainingsplanBerichtTest, OpensOnTheCurrentYearWithEveryStatus)
{
    reports::FrmTrainingsplanBericht fresh;
    const int year = QDate::currentDate().year();
    EXPECT_EQ(fresh.findChild<QLineEdit *>("txtVon")->text(), u"01.01.%1"_s.arg(year));
    EXPECT_EQ(fresh.findChild<QLineEdit *>("txtBis")->text(), u"31.12.%1"_s.arg(year));
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(fresh.findChild<QCheckBox *>(u"chkStatus(%1)"_s.arg(i))->isChecked());
    EXPECT_EQ(fresh.findChild<QComboBox *>("cmbSortierung")->currentText(), u"Kurs-Nr."_s);
    EXPECT_EQ(fresh.findChild<QCheckBox *>("chkRechnung")->checkState(), Qt::PartiallyChecked);
}

TEST_P(TrainingsplanBerichtTest, ListLayoutHeaderTotalsAndLegend)
{
    addPlan(u"K1"_s, u"Meier, Hans"_s, u"1"_s, QDate(2027, 3, 1), QDate(2027, 3, 5), u"1"_s, u"AAI"_s, true, false);
    addPlan(u"K20"_s, u"Ärger, Udo"_s, u"3"_s, QDate(2027, 2, 10), QDate(2027, 2, 12), u" "_s, u" "_s, false, true);
    addPlan(u"K3"_s, u"Meier, Hans"_s, u"0"_s, QDate(2027, 12, 31), QDate(2028, 1, 2), u"3"_s);
    // The progress bar runs to the number of entries and goes back to 0.
    auto *bar = w<QProgressBar>("prgStatistik");
    int top = 0;
    QObject::connect(bar, &QProgressBar::valueChanged, bar, [&](int v) { top = std::max(top, v); });
    const reports::ReportModel &m = build();
    EXPECT_EQ(bar->maximum(), 4);
    EXPECT_EQ(top, 3);
    EXPECT_EQ(bar->value(), 0);
    EXPECT_EQ(m.title, u"Liste Trainingsplan"_s);
    EXPECT_EQ(m.orientation, reports::Orientation::Landscape);
    const QString heading = place(208, {{0, u"Kurs-Nr."_s},
                                        {9, u"Beschreibung"_s},
                                        {61, u"Art"_s},
                                        {66, u"Referent"_s},
                                        {89, u"Kosten"_s},
                                        {98, u"Dauer"_s},
                                        {105, u"Name"_s},
                                        {137, u"Kat."_s},
                                        {142, u"Bereich"_s},
                                        {173, u"Datum"_s},
                                        {191, u"Prio."_s},
                                        {197, u"R"_s},
                                        {199, u"S"_s},
                                        {202, u"Status"_s}});
    EXPECT_EQ(m.header.split(u"\r\n"_s), QStringList({u"Zeitraum:    01.01.2027 bis 31.12.2027"_s,
                                                      u"Sortierung:  Kurs-Nr."_s, QString(), heading}));
    const QStringList lines = m.body.split(u"\r\n"_s);
    const QStringList want = {
        k1Meier(1, u"01.03.27-05.03.27"_s, true, false),
        // The description is cut at 50, the missing trainer keeps its 20 places.
        place(210, {{0, u"K20"_s},
                    {9, longText.left(50)},
                    {61, u"E"_s},
                    {89, u"250,50"_s},
                    {99, u"24,5"_s},
                    {105, u"Ärger, Udo"_s},
                    {137, u"Ets"_s},
                    {142, u"Einkauf"_s},
                    {173, u"10.02.27-12.02.27"_s},
                    {199, u"S"_s},
                    {208, u"K"_s}}),
        // The trainer is cut at 20.
        place(210, {{0, u"K3"_s},
                    {9, u"Statistik"_s},
                    {61, u"A"_s},
                    {66, u"Weißenberger-Müller,"_s},
                    {91, u"0,00"_s},
                    {100, u"4,0"_s},
                    {105, u"Meier, Hans"_s},
                    {137, u"O"_s},
                    {142, u"Controlling"_s},
                    {173, u"31.12.27-02.01.28"_s},
                    {191, u"3"_s},
                    {202, u"B"_s}}),
        QString(),
        // Sums end under the Kosten and Dauer columns.
        place(118, {{0, u"Summe:"_s}, {89, u"350,50"_s}, {99, u"36,5"_s}, {105, u"Anzahl:     3"_s}}),
        QString(),
    };
    ASSERT_EQ(lines.size(), want.size() + 5);
    for (int i = 0; i < want.size(); ++i)
        EXPECT_EQ(lines[i], want[i]) << "line " << i;
    EXPECT_TRUE(m.body.endsWith(legend));
    EXPECT_FALSE(m.body.endsWith(u"\r\n"_s));
}

TEST_P(TrainingsplanBerichtTest, PeriodSelectsOnTheStartDate)
{
    addPlan(u"K1"_s, u"Meier, Hans"_s, u"1"_s, QDate(2027, 3, 1), QDate(2027, 3, 5), u"1"_s);
    addPlan(u"K20"_s, u"Meier, Hans"_s, u"1"_s, QDate(2027, 2, 28), QDate(2027, 3, 2));
    addPlan(u"K3"_s, u"Meier, Hans"_s, u"1"_s, QDate(2027, 3, 2), QDate(2027, 3, 2));
    struct Case {
        const char *von, *bis;
        QStringList kurse;
    } cases[] = {
        {"01.03.2027", "01.03.2027", {u"K1/Meier, Hans"_s}},                  // equal dates; ends after the period
        {"1.3.27", "02.03.2027", {u"K1/Meier, Hans"_s, u"K3/Meier, Hans"_s}}, // a two-digit year; K20 starts before
        {"03.03.2027", "31.12.2027", {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.von);
        setPeriod(QString::fromLatin1(c.von), QString::fromLatin1(c.bis));
        if (c.kurse.isEmpty()) {
            expectNothing();
            continue;
        }
        EXPECT_EQ(keys(build()), c.kurse);
        EXPECT_TRUE(dlg->model().header.startsWith(
            u"Zeitraum:    %1 bis %2\r\n"_s.arg(QString::fromLatin1(c.von), QString::fromLatin1(c.bis))));
    }
}

TEST_P(TrainingsplanBerichtTest, EntryChecksInOrder)
{
    struct Case {
        const char *name;
        bool anyStatus;
        const char *von, *bis;
        QString status;
        const char *focus;
    } cases[] = {
        {"no status, before the dates", false, "kein Datum", "31.12.2027",
         u"Es muß mindestens 1 Status gesetzt werden!"_s, "chkStatus(0)"},
        {"start date", true, "32.01.2027", "kein Datum", u"Das Startdatum ist ungültig!"_s, "txtVon"},
        {"end date", true, "01.01.2027", "", u"Das Endedatum ist ungültig!"_s, "txtBis"},
        {"end before start", true, "02.01.2027", "01.01.2027",
         u"Das Startdatum darf nicht größer als das Endedatum sein!"_s, "txtVon"},
    };
    addPlan(u"K1"_s, u"Meier, Hans"_s);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        for (int i = 0; i < 4; ++i) {
            auto *box = w<QCheckBox>(u"chkStatus(%1)"_s.arg(i).toLatin1().constData());
            if (box->isChecked() != c.anyStatus)
                clickBox(box);
        }
        setPeriod(QString::fromLatin1(c.von), QString::fromLatin1(c.bis));
        prompter.expectMessage(u"Es wurden fehlerhafte Eingaben festgestellt!"_s, u"Datenprüfung"_s,
                               ui::Icon::Exclamation);
        expectNothing();
        EXPECT_EQ(ui::StatusPanels::instance().panelText(u"Status"_s), c.status);
        EXPECT_EQ(dlg->focusWidget()->objectName(), QString::fromLatin1(c.focus));
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
    const QStringList lines = bodyLines();
    EXPECT_TRUE(lines[2].isEmpty());
    EXPECT_EQ(lines[0].left(2) + lines[0].mid(202, 8), u"K1  G     "_s);
    EXPECT_EQ(lines[1].left(2) + lines[1].mid(202, 8), u"K3      K "_s);
    // All four in their cells.
    clickBox(w<QCheckBox>("chkStatus(0)"));
    clickBox(w<QCheckBox>("chkStatus(2)"));
    QStringList cells;
    for (const QString &l : bodyLines().mid(0, 4))
        cells << l.mid(202, 8);
    EXPECT_EQ(cells, QStringList({u"B       "_s, u"  G     "_s, u"    E   "_s, u"      K "_s}));
}

TEST_P(TrainingsplanBerichtTest, BereichFilterDropsTheBereichColumn)
{
    addPlan(u"K1"_s, u"Meier, Hans"_s, u"1"_s, QDate(2027, 3, 1), QDate(2027, 3, 5), u"1"_s);
    addPlan(u"K1"_s, u"Ärger, Udo"_s, u"1"_s);
    auto *bereich = w<QComboBox>("cmbBereich");
    bereich->setCurrentIndex(bereich->findText(u"Controlling"_s));
    const reports::ReportModel &m = build();
    const QStringList header = m.header.split(u"\r\n"_s);
    ASSERT_EQ(header.size(), 5);
    EXPECT_EQ(header[1], u"Bereich:     Controlling"_s);
    EXPECT_EQ(header[4], place(177, {{0, u"Kurs-Nr."_s},
                                     {9, u"Beschreibung"_s},
                                     {61, u"Art"_s},
                                     {66, u"Referent"_s},
                                     {89, u"Kosten"_s},
                                     {98, u"Dauer"_s},
                                     {105, u"Name"_s},
                                     {137, u"Kat."_s},
                                     {142, u"Datum"_s},
                                     {160, u"Prio."_s},
                                     {166, u"R"_s},
                                     {168, u"S"_s},
                                     {171, u"Status"_s}}));
    const QStringList lines = m.body.split(u"\r\n"_s);
    QString want = k1Meier();
    want.remove(142, 31);
    EXPECT_EQ(lines[0], want);
    EXPECT_TRUE(lines[1].isEmpty());
}

TEST_P(TrainingsplanBerichtTest, FiltersAreBoundAndWriteTheirSelectionLines)
{
    addMitarbeiter(u"O'Neill, Sean"_s, u"1"_s, u"X"_s, u"I/C"_s, u"Logistik"_s);
    addMitarbeiter(u"100% Müller"_s, u"1"_s, u"X"_s, u"I/C"_s, u"Logistik"_s);
    addMitarbeiter(u"1000 Müller"_s, u"1"_s, u"X"_s, u"I/C"_s, u"Logistik"_s);
    addKurs(u"XK1"_s, u"IT"_s, u"Andere"_s, u"I"_s);
    addPlan(u"K1"_s, u"O'Neill, Sean"_s, u"1"_s, QDate(2027, 1, 1), QDate(2027, 1, 1), u"2"_s);
    addPlan(u"K1"_s, u"100% Müller"_s);
    addPlan(u"K1"_s, u"1000 Müller"_s);
    addPlan(u"XK1"_s, u"O'Neill, Sean"_s);
    addPlan(u"K3"_s, u"Meier, Hans"_s);
    addPlan(u"K1"_s, u"Meier, Hans"_s);
    addMitarbeiter(u"ΚΩΣΤΑΣ, ΝΙΚΟΣ"_s, u"1"_s, u"X"_s, u"Ets"_s, u"Logistik"_s);
    addPlan(u"K20"_s, u"ΚΩΣΤΑΣ, ΝΙΚΟΣ"_s);

    struct Case {
        const char *name;
        std::function<void()> set;
        QString selectionLine;
        QStringList keys; // KursNr/Name of the listed entries
    } cases[] = {
        {"name with apostrophe, any case",
         [&] { type("txtName", u"o'NEILL"_s); },
         u"Name:        o'NEILL"_s,
         {u"K1/O'Neill, Sean"_s, u"XK1/O'Neill, Sean"_s}},
        {"percent sign is a plain character",
         [&] { type("txtName", u"0% m"_s); },
         u"Name:        0% m"_s,
         {u"K1/100% Müller"_s}},
        {"underscore is a plain character", [&] { type("txtName", u"100_"_s); }, u"Name:        100_"_s, {}},
        {"underscore in the course number", [&] { type("txtKursNr", u"K_"_s); }, u"Kurs-Nr.:    K_"_s, {}},
        {"umlaut in any case", [&] { type("txtName", u"ÄRGER"_s); }, u"Name:        ÄRGER"_s, {}},
        {"course number starts with",
         [&] { type("txtKursNr", u"k"_s); },
         u"Kurs-Nr.:    k"_s,
         {u"K1/100% Müller"_s, u"K1/1000 Müller"_s, u"K1/Meier, Hans"_s, u"K1/O'Neill, Sean"_s, u"K20/ΚΩΣΤΑΣ, ΝΙΚΟΣ"_s,
          u"K3/Meier, Hans"_s}},
        // The same text finds the same entries on both engines: a trailing blank
        // is part of it (the names are filled with blanks), a final sigma is a sigma.
        {"trailing blank",
         [&] { type("txtName", u"hans "_s); },
         u"Name:        hans "_s,
         {u"K1/Meier, Hans"_s, u"K3/Meier, Hans"_s}},
        {"final sigma",
         [&] { w<QLineEdit>("txtName")->setText(u"σ, ν"_s); },
         u"Name:        σ, ν"_s,
         {u"K20/ΚΩΣΤΑΣ, ΝΙΚΟΣ"_s}},
        {"trainer contains",
         [&] { type("txtReferent", u"MÜLLER"_s); },
         u"Referent:    MÜLLER"_s,
         {u"K3/Meier, Hans"_s}},
        {"category",
         [&] { w<QComboBox>("cmbKategorie")->setCurrentIndex(2); },
         u"Kategorie:   I/C"_s,
         {u"K1/100% Müller"_s, u"K1/1000 Müller"_s, u"K1/O'Neill, Sean"_s, u"XK1/O'Neill, Sean"_s}},
        {"priority", [&] { typeCombo("cmbPrioritaet", u"2"_s); }, u"Priorität:   2"_s, {u"K1/O'Neill, Sean"_s}},
        {"kind", [&] { typeCombo("cmbArt", u"A"_s); }, u"Art:         A"_s, {u"K3/Meier, Hans"_s}},
        {"typed beginning of a list value stays as typed",
         [&] { typeCombo("cmbRubrik", u"IT"_s); },
         u"Rubrik:      IT"_s,
         {u"K1/100% Müller"_s, u"K1/1000 Müller"_s, u"K1/Meier, Hans"_s, u"K1/O'Neill, Sean"_s, u"K3/Meier, Hans"_s,
          u"XK1/O'Neill, Sean"_s}},
        {"category list item with blanks",
         [&] { w<QComboBox>("cmbRubrik")->setCurrentIndex(4); },
         u"Rubrik:      "_s + u"IT"_s.leftJustified(40),
         {u"K1/100% Müller"_s, u"K1/1000 Müller"_s, u"K1/Meier, Hans"_s, u"K1/O'Neill, Sean"_s, u"K3/Meier, Hans"_s,
          u"XK1/O'Neill, Sean"_s}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        fresh();
        c.set();
        if (c.keys.isEmpty()) {
            expectNothing();
            continue;
        }
        const reports::ReportModel &m = build();
        const QStringList header = m.header.split(u"\r\n"_s);
        EXPECT_EQ(header[1], c.selectionLine);
        EXPECT_EQ(header[2], u"Sortierung:  Kurs-Nr."_s);
        EXPECT_EQ(keys(m), c.keys);
    }
}

TEST_P(TrainingsplanBerichtTest, YesNoBoxesCycleThroughThreeStates)
{
    addPlan(u"K1"_s, u"Meier, Hans"_s, u"1"_s, QDate(2027, 3, 1), QDate(2027, 3, 5), u"1"_s, u" "_s, true, false);
    addPlan(u"K3"_s, u"Meier, Hans"_s, u"1"_s, QDate(2027, 3, 1), QDate(2027, 3, 5), u"1"_s, u" "_s, false, true);
    struct Step {
        Qt::CheckState state;
        QString line;
        QStringList kurse;
    } steps[] = {
        {Qt::Unchecked, u"Rechnung:    nicht vorhanden"_s, {u"K3/Meier, Hans"_s}},
        {Qt::Checked, u"Rechnung:    vorhanden"_s, {u"K1/Meier, Hans"_s}},
        {Qt::PartiallyChecked, u"Sortierung:  Kurs-Nr."_s, {u"K1/Meier, Hans"_s, u"K3/Meier, Hans"_s}},
        {Qt::Unchecked, u"Rechnung:    nicht vorhanden"_s, {u"K3/Meier, Hans"_s}},
    };
    auto *box = w<QCheckBox>("chkRechnung");
    int n = 0;
    for (const Step &s : steps) {
        SCOPED_TRACE(++n);
        clickBox(box);
        EXPECT_EQ(box->checkState(), s.state);
        const reports::ReportModel &m = build();
        EXPECT_EQ(m.header.split(u"\r\n"_s)[1], s.line);
        EXPECT_EQ(keys(m), s.kurse);
    }
    // The other box has its own cycle.
    auto *other = w<QCheckBox>("chkBeurteilung");
    clickBox(other);
    clickBox(other);
    EXPECT_EQ(other->checkState(), Qt::Checked);
    const QStringList header = build().header.split(u"\r\n"_s);
    EXPECT_EQ(header[1], u"Rechnung:    nicht vorhanden"_s);
    EXPECT_EQ(header[2], u"Beurteilung: vorhanden"_s);
}

// Every sort order, each with its own result; a course without trainer first.
TEST_P(TrainingsplanBerichtTest, SortOrdersAndGroups)
{
    addMitarbeiter(u"Zorn, Eva"_s, u"1"_s, u"X"_s, u"I/C"_s, u"Controlling"_s);
    addPlan(u"K20"_s, u"Meier, Hans"_s, u"2"_s, QDate(2027, 3, 1), QDate(2027, 12, 31), u"1"_s);
    addPlan(u"K3"_s, u"Ärger, Udo"_s, u"0"_s, QDate(2027, 2, 1), QDate(2027, 12, 31), u"3"_s);
    addPlan(u"K1"_s, u"Zorn, Eva"_s, u"1"_s, QDate(2027, 1, 15), QDate(2027, 12, 31), u"2"_s);
    addPlan(u"K1"_s, u"Meier, Hans"_s, u"3"_s, QDate(2027, 4, 1), QDate(2027, 12, 31), u" "_s);
    const QString k1m = u"K1/Meier, Hans"_s, k1z = u"K1/Zorn, Eva"_s, k20 = u"K20/Meier, Hans"_s,
                  k3 = u"K3/Ärger, Udo"_s;
    const struct {
        QString sort;
        QStringList lines; // group lines as they stand, entries as KursNr/Name
    } cases[] = {
        {u"Bereich"_s, {QString(), u"Controlling:"_s, k1m, k1z, k20, QString(), u"Einkauf:"_s, k3}},
        {u"Rubrik"_s, {QString(), u"IT:"_s, k1m, k1z, k3, QString(), u"Sprachen:"_s, k20}},
        {u"Name"_s, {k3, k1m, k20, k1z}}, // German order: Ärger beside A
        {u"Kurs-Nr."_s, {k1m, k1z, k20, k3}},
        {u"Irgendwas"_s, {k1m, k1z, k20, k3}},
        {u"Art"_s, {k3, k20, k1m, k1z}},
        {u"Kategorie"_s, {k3, k1z, k1m, k20}},
        {u"Referent"_s, {k20, k1m, k1z, k3}},
        {u"Priorität"_s, {k1m, k20, k1z, k3}},
        {u"Startdatum"_s, {k1z, k3, k20, k1m}},
        {u"Status"_s, {k3, k1z, k20, k1m}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.sort.toStdString());
        w<QComboBox>("cmbSortierung")->setEditText(c.sort); // "Priorität" is no key of QTest's
        const reports::ReportModel &m = build();
        EXPECT_EQ(m.header.split(u"\r\n"_s)[1], u"Sortierung:  "_s + c.sort);
        EXPECT_EQ(keys(m), c.lines);
    }
}

// "E&xport…" with a name and type picked in the file dialog.
// `then` expects what follows the file dialog.
void exportVia(ScriptedPrompter &prompter, QDialog &dlg, const QString &file, const QString &filter,
               QStringList *offered = nullptr, const std::function<void()> &then = {})
{
    prompter.expectModal([=](QDialog &d) {
        auto &fd = dynamic_cast<QFileDialog &>(d);
        if (offered)
            *offered = QStringList{fd.windowTitle(), QFileInfo(fd.selectedFiles().value(0)).fileName(),
                                   fd.selectedNameFilter()}
                       + fd.nameFilters();
        fd.selectNameFilter(filter);
        fd.findChild<QLineEdit *>("fileNameEdit")->setText(file); // typed as a person would
        static_cast<QDialog &>(fd).done(QDialog::Accepted);
    });
    if (then)
        then();
    QTest::mouseClick(dlg.findChild<QPushButton *>("cmdExport"), Qt::LeftButton);
}
const QString xlsxType = u"Excel-Arbeitsmappe (*.xlsx)"_s;
const QString csvType = u"CSV (Semikolon-getrennt) (*.csv)"_s;

TEST_P(TrainingsplanBerichtTest, ExportWritesThePrintedRowsAsWorkbookAndCsv)
{
    addKurs(u"K4"_s, u"IT"_s, u"Zahlen; \"Fakten\" & Mehr"_s, u"A"_s, u"O'Neill, Jürgen"_s, 0, 2);
    db().exec(u"UPDATE Kurs SET Kosten = NULL WHERE KursNr = ?"_s, {data::schema::padded("K4", 6)});
    addPlan(u"K1"_s, u"Meier, Hans"_s, u"1"_s, QDate(2027, 3, 1), QDate(2027, 3, 5), u"1"_s, u" "_s, true, false);
    addPlan(u"K20"_s, u"Meier, Hans"_s, u"2"_s, QDate(2027, 2, 1), QDate(2027, 2, 2), u"3"_s);
    addPlan(u"K4"_s, u"Ärger, Udo"_s, u"0"_s, QDate(2027, 6, 1), QDate(2027, 6, 1), u" "_s, u" "_s, false, true);
    addPlan(u"K3"_s, u"Ärger, Udo"_s, u"0"_s, QDate(2026, 6, 1)); // before the period
    db().exec(u"UPDATE Trainingsplan SET Datum_bis = NULL WHERE KursNr = ?"_s, {data::schema::padded("K4", 6)});
    typeCombo("cmbSortierung", u"Bereich"_s);

    const QString xlsx = tempPath() + u"/liste.xlsx"_s;
    QStringList offered;
    exportVia(prompter, *dlg, xlsx, xlsxType, &offered);
    EXPECT_EQ(offered,
              (QStringList{u"Exportieren"_s,
                           u"Liste Trainingsplan %1.xlsx"_s.arg(QDate::currentDate().toString(u"yyyy-MM-dd"_s)),
                           xlsxType, xlsxType, csvType}));
    const XlsxReader book(xlsx);
    EXPECT_TRUE(book.workbookXml.contains("<sheet name=\"Liste Trainingsplan\""));
    EXPECT_EQ(book.text("A1"), u"Liste Trainingsplan"_s);
    EXPECT_TRUE(book.at("A1").bold);
    EXPECT_EQ(book.text("A2"), reports::dateLine());
    EXPECT_EQ(book.text("A3"), u"Zeitraum:    01.01.2027 bis 31.12.2027"_s);
    EXPECT_EQ(book.text("A4"), u"Sortierung:  Bereich"_s);
    const QStringList headings = {"Kurs-Nr.",  "Beschreibung", "Art",  "Referent", "Kosten",
                                  "Dauer",     "Name",         "Kat.", "Bereich",  "Datum von",
                                  "Datum bis", "Prio.",        "R",    "S",        "Status"};
    for (int c = 0; c < headings.size(); ++c) {
        const XlsxCell &h = book.at(QChar('A' + c) + u"6"_s);
        EXPECT_EQ(h.value, headings[c]);
        EXPECT_TRUE(h.bold) << c;
    }
    EXPECT_TRUE(book.sheetXml.contains("ySplit=\"6\"") && book.sheetXml.contains("state=\"frozen\""));
    EXPECT_TRUE(book.sheetXml.contains("<autoFilter ref=\"A6:O11\"/>"));
    // Widths that fit the longest value: the description, 62 characters.
    EXPECT_TRUE(book.sheetXml.contains("<col min=\"2\" max=\"2\" width=\"63.7"));

    // Every cell of the rows: text without padding, typed numbers and dates, nothing for null values.
    const qint64 day0 = QDate(1899, 12, 30).toJulianDay();
    auto serial = [&](int y, int m, int d) { return QString::number(QDate(y, m, d).toJulianDay() - day0); };
    const std::vector<std::pair<const char *, QStringList>> rows = {
        {"7", {"Controlling"}},
        {"8",
         {"K1", "Excel Grundlagen", "I", "Huber, Anna", "100", "8", "Meier, Hans", "O", "Controlling",
          serial(2027, 3, 1), serial(2027, 3, 5), "1", "R", "", "G"}},
        {"9",
         {"K20", longText, "E", "", "250.5", "24.5", "Meier, Hans", "O", "Controlling", serial(2027, 2, 1),
          serial(2027, 2, 2), "3", "", "", "E"}},
        {"10", {"Einkauf"}},
        {"11",
         {"K4", "Zahlen; \"Fakten\" & Mehr", "A", "O'Neill, Jürgen", "", "2", "Ärger, Udo", "Ets", "Einkauf",
          serial(2027, 6, 1), "", "", "", "S", "B"}},
    };
    for (const auto &[row, values] : rows) {
        for (int c = 0; c < 15; ++c) {
            const QString ref = QChar('A' + c) + QString::fromLatin1(row);
            const XlsxCell &cell = book.at(ref);
            EXPECT_EQ(cell.value, values.value(c)) << ref.toStdString();
            if (cell.value.isEmpty())
                continue;
            const bool number = c == 4 || c == 5 || c == 9 || c == 10;
            EXPECT_EQ(cell.type, number ? QString() : u"inlineStr"_s) << ref.toStdString();
            EXPECT_EQ(cell.format, c == 4              ? "0.00"
                                   : c == 5            ? "0.0"
                                   : c >= 9 && c <= 10 ? "dd.mm.yyyy"
                                                       : "")
                << ref.toStdString();
            EXPECT_EQ(cell.bold, values.size() == 1) << ref.toStdString();
        }
    }
    // Totals as formulas over the rows, with the count; the legend in blocks below.
    EXPECT_EQ(book.text("A13"), u"Summe:"_s);
    EXPECT_EQ(book.at("E13").formula, u"SUM(E7:E11)"_s);
    EXPECT_EQ(book.at("E13").format, u"0.00"_s);
    EXPECT_DOUBLE_EQ(book.text("E13").toDouble(), 350.5);
    EXPECT_EQ(book.at("F13").formula, u"SUM(F7:F11)"_s);
    EXPECT_DOUBLE_EQ(book.text("F13").toDouble(), 34.5);
    EXPECT_EQ(book.text("G13"), u"Anzahl:"_s);
    EXPECT_EQ(book.text("H13"), u"3"_s);
    EXPECT_EQ(book.text("A15"), u"Legende:"_s);
    EXPECT_EQ(book.text("B16"), u"A = Intern mit externem Referent"_s);
    EXPECT_EQ(book.text("D17"), u"I/C = Ingenieur/Cadre"_s);
    EXPECT_EQ(book.text("G17"), u"S = Seminarbeurteilung vorhanden"_s);
    EXPECT_EQ(book.text("I19"), u"K = Keine Teilnahme"_s);
    EXPECT_EQ(book.lastRow, 19);

    // CSV: byte-order mark, ";", decimal comma, four-digit years, CR LF, quoting; no title, groups or totals.
    const QString csv = tempPath() + u"/liste"_s;
    exportVia(prompter, *dlg, csv, csvType);
    QFile f(csv + u".csv"_s);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray want =
        "\xEF\xBB\xBF"
        "Kurs-Nr.;Beschreibung;Art;Referent;Kosten;Dauer;Name;Kat.;Bereich;Datum von;Datum bis;"
        "Prio.;R;S;Status\r\n"
        "K1;Excel Grundlagen;I;Huber, Anna;100,00;8,0;Meier, Hans;O;Controlling;01.03.2027;"
        "05.03.2027;1;R;;G\r\n"
        "K20;"
        + longText.toUtf8()
        + ";E;;250,50;24,5;Meier, Hans;O;Controlling;01.02.2027;02.02.2027;3;;;E\r\n"
          "K4;\"Zahlen; \"\"Fakten\"\" & Mehr\";A;O'Neill, J\xC3\xBCrgen;;2,0;\xC3\x84rger, Udo;Ets;"
          "Einkauf;01.06.2027;;;;S;B\r\n";
    EXPECT_EQ(f.readAll(), want);
    // Nothing but the two files is left in the folder.
    EXPECT_EQ(QDir(tempPath()).entryList({u"liste*"_s}, QDir::Files), (QStringList{u"liste.csv"_s, u"liste.xlsx"_s}));
}

TEST_P(TrainingsplanBerichtTest, ExportThatCannotWriteOrFindsNothingLeavesNoFile)
{
    addPlan(u"K1"_s, u"Meier, Hans"_s, u"1"_s, QDate(2027, 3, 1));
    const struct {
        const char *name;
        QString file;
        QString reason;
    } cases[] = {
        {"missing folder", tempPath() + u"/fehlt/liste.xlsx"_s, u"Der Ordner ist nicht vorhanden."_s},
        {"a folder of that name", tempPath() + u"/ordner.xlsx"_s,
         u"Unter diesem Namen gibt es bereits einen Ordner."_s},
        {"csv into a missing folder", tempPath() + u"/fehlt/liste.csv"_s, u"Der Ordner ist nicht vorhanden."_s},
    };
    QDir().mkpath(tempPath() + u"/ordner.xlsx"_s);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        exportVia(prompter, *dlg, c.file, c.file.endsWith(QLatin1String(".csv")) ? csvType : xlsxType, nullptr, [&] {
            prompter.expectMessage(u"Die Datei kann nicht geschrieben werden:\r\n"_s + c.file + u"\r\n\r\n"_s
                                       + c.reason,
                                   u"Error"_s, ui::Icon::Exclamation);
        });
    }
    // Nothing in the period: the usual message, and no file.
    setPeriod(u"01.01.2030"_s, u"31.12.2030"_s);
    for (const QString &type : {xlsxType, csvType}) {
        exportVia(prompter, *dlg, tempPath() + u"/leer"_s, type, nullptr,
                  [&] { prompter.expectMessage(u"Keine Vorgaben vorhanden!"_s, u"Error"_s, ui::Icon::Exclamation); });
    }
    // Invalid entries stop before the file dialog, as for the other outputs.
    setPeriod(u"31.12.2030"_s, u"01.01.2030"_s);
    prompter.expectMessage(u"Es wurden fehlerhafte Eingaben festgestellt!"_s, u"Datenprüfung"_s, ui::Icon::Exclamation);
    QTest::mouseClick(w<QPushButton>("cmdExport"), Qt::LeftButton);
    EXPECT_EQ(QDir(tempPath()).entryList({u"*.xlsx*"_s, u"*.csv*"_s, u"leer*"_s}, QDir::Files), QStringList());
    EXPECT_FALSE(QFileInfo::exists(tempPath() + u"/fehlt"_s));
}

ORV_DB_TEST_SUITE(TrainingsplanBerichtTest);

class ExportWriterTest : public OrvTest {};

// A cancelled export of either type leaves an earlier file of that name as it was, and nothing else.
TEST_F(ExportWriterTest, CancelledExportKeepsTheOldFile)
{
    reports::ExportLayout layout;
    layout.title = u"Liste"_s;
    layout.columns = {{u"Text"_s}, {u"Zahl"_s, reports::CellType::Number, 2, true}};
    layout.totals = true;
    for (const auto format : {reports::ExportFormat::Xlsx, reports::ExportFormat::Csv}) {
        const QString target = tempPath() + u"/liste"_s;
        {
            QFile old(target);
            ASSERT_TRUE(old.open(QIODevice::WriteOnly));
            old.write("alt");
        }
        int calls = 0;
        {
            auto writer = reports::makeExportWriter(format, layout, target);
            writer->setProgress([&](qint64 done) {
                ++calls;
                if (done >= 2048)
                    throw reports::ExportCancelled();
            });
            EXPECT_THROW(
                for (int i = 0; i < 5000; ++i) {
                    writer->text("Zeile");
                    writer->number(i);
                    writer->endRow();
                },
                reports::ExportCancelled);
        }
        EXPECT_EQ(calls, 2);
        QFile old(target);
        ASSERT_TRUE(old.open(QIODevice::ReadOnly));
        EXPECT_EQ(old.readAll(), QByteArray("alt"));
        EXPECT_EQ(QDir(tempPath()).entryList(QDir::Files), QStringList{u"liste"_s});
    }
}

} // namespace

namespace {

class TrainingsplanDatePickerTest : public OrvTest {};

TEST_F(TrainingsplanDatePickerTest, CalendarOpensOnTheTypedDateAndWritesTheChosenOne)
{
    reports::FrmTrainingsplanBericht dlg;
    dlg.show();
    auto *von = dlg.findChild<QLineEdit *>("txtVon");
    auto *cal = dlg.findChild<QCalendarWidget *>("MonthViewVon");
    ASSERT_NE(cal, nullptr);
    EXPECT_FALSE(cal->isVisible());
    von->setText(u"15.06.2027"_s);
    QTest::mouseClick(dlg.findChild<QToolButton *>("cmdMonthViewVon"), Qt::LeftButton);
    EXPECT_TRUE(cal->isVisible());
    EXPECT_EQ(cal->selectedDate(), QDate(2027, 6, 15));
    emit cal->clicked(QDate(2027, 6, 3));
    EXPECT_EQ(von->text(), u"03.06.2027"_s);
    EXPECT_FALSE(cal->isVisible());
    // A text that is no date opens the calendar on today; the end date has its own.
    auto *bis = dlg.findChild<QLineEdit *>("txtBis");
    bis->setText(u"irgendwann"_s);
    QTest::mouseClick(dlg.findChild<QToolButton *>("cmdMonthViewBis"), Qt::LeftButton);
    auto *calBis = dlg.findChild<QCalendarWidget *>("MonthViewBis");
    EXPECT_TRUE(calBis->isVisible());
    EXPECT_EQ(calBis->selectedDate(), QDate::currentDate());
    calBis->hide();
    EXPECT_EQ(bis->text(), u"irgendwann"_s);
    EXPECT_EQ(von->text(), u"03.06.2027"_s);
}

} // namespace
