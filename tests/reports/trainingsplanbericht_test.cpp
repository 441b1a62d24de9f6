#include "reports/frmtrainingsplanbericht.h"
#include "data/schema.h"
#include "reports/reportexport.h"
#include "support/testenv.h"
#include "xlsxreader.h"
#include "ui/format.h"
#include "ui/statuspanels.h"
#include "ui/textlimit.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QToolButton>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

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

const QString longText = QStringLiteral("Englisch für Fortgeschrittene im Beruf, Teil zwei: Verhandeln");

class TrainingsplanBerichtTest : public DbTest {
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        addKurs(QStringLiteral("K1"), QStringLiteral("IT"), QStringLiteral("Excel Grundlagen"), QStringLiteral("I"),
                QStringLiteral("Huber, Anna"), 100, 8);
        addKurs(QStringLiteral("K20"), QStringLiteral("Sprachen"), longText, QStringLiteral("E"), QString(), 250.5, 24.5);
        addKurs(QStringLiteral("K3"), QStringLiteral("IT"), QStringLiteral("Statistik"), QStringLiteral("A"),
                QStringLiteral("Weißenberger-Müller, Ottokar"), 0, 4);
        addMitarbeiter(QStringLiteral("Meier, Hans"), QStringLiteral("4711"), QStringLiteral("Fertigung"),
                       QStringLiteral("O"), QStringLiteral("Controlling"));
        addMitarbeiter(QStringLiteral("Ärger, Udo"), QStringLiteral("4712"), QStringLiteral("Einkauf"),
                       QStringLiteral("Ets"), QStringLiteral("Einkauf"));
        dlg = std::make_unique<reports::FrmTrainingsplanBericht>();
        dlg->show();
        setPeriod(QStringLiteral("01.01.2027"), QStringLiteral("31.12.2027"));
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
    QStringList bodyLines() { return build().body.split(QStringLiteral("\r\n")); }
    void expectNothing()
    {
        prompter.expectMessage(QStringLiteral("Keine Vorgaben vorhanden!"), QStringLiteral("Error"), ui::Icon::Exclamation);
        EXPECT_TRUE(build().body.isEmpty());
    }
    std::unique_ptr<reports::FrmTrainingsplanBericht> dlg;
};

// The standard line of K1 for Meier, Hans with the Bereich column.
QString k1Meier(int status = 1, const QString &datum = QStringLiteral("01.03.27-05.03.27"), bool r = false, bool s = false)
{
    return place(210, {{0, QStringLiteral("K1")},
                       {9, QStringLiteral("Excel Grundlagen")},
                       {61, QStringLiteral("I")},
                       {66, QStringLiteral("Huber, Anna")},
                       {89, QStringLiteral("100,00")},
                       {100, QStringLiteral("8,0")},
                       {105, QStringLiteral("Meier, Hans")},
                       {137, QStringLiteral("O")},
                       {142, QStringLiteral("Controlling")},
                       {173, datum},
                       {191, QStringLiteral("1")},
                       {197, r ? QStringLiteral("R") : QString()},
                       {199, s ? QStringLiteral("S") : QString()},
                       {202 + 2 * status, QString(QLatin1Char("BGEK"[status]))}});
}

TEST_P(TrainingsplanBerichtTest, StartStateOfTheControls)
{
    EXPECT_EQ(dlg->objectName(), QStringLiteral("frmTrainingsplanBericht"));
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Bericht"));
    reports::FrmTrainingsplanBericht fresh;
    const int year = QDate::currentDate().year();
    EXPECT_EQ(fresh.findChild<QLineEdit *>("txtVon")->text(), QStringLiteral("01.01.%1").arg(year));
    EXPECT_EQ(fresh.findChild<QLineEdit *>("txtBis")->text(), QStringLiteral("31.12.%1").arg(year));
    EXPECT_EQ(ui::lengthLimit(fresh.findChild<QLineEdit *>("txtVon")), 20);
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(fresh.findChild<QCheckBox *>(QStringLiteral("chkStatus(%1)").arg(i))->isChecked());
    EXPECT_EQ(fresh.findChild<QCheckBox *>("chkStatus(3)")->text(), QStringLiteral("keine Teilnahme"));
    EXPECT_EQ(fresh.findChild<QComboBox *>("cmbSortierung")->currentText(), QStringLiteral("Kurs-Nr."));
    EXPECT_EQ(fresh.findChild<QComboBox *>("cmbSortierung")->count(), 10);
    auto *bereich = fresh.findChild<QComboBox *>("cmbBereich");
    ASSERT_EQ(bereich->count(), 18);
    EXPECT_EQ(bereich->itemText(0), QString());
    EXPECT_EQ(bereich->itemText(1), QStringLiteral("Controlling"));
    EXPECT_EQ(bereich->itemText(17), QStringLiteral("Werksinstandhaltung"));
    EXPECT_EQ(bereich->currentText(), QString());
    auto *kat = fresh.findChild<QComboBox *>("cmbKategorie");
    ASSERT_EQ(kat->count(), 4);
    EXPECT_EQ(kat->itemText(3), QStringLiteral("O  "));
    auto *rubrik = fresh.findChild<QComboBox *>("cmbRubrik");
    ASSERT_EQ(rubrik->count(), 11);
    EXPECT_EQ(rubrik->itemText(6), QStringLiteral("Spezielles Fachtraining").leftJustified(40));
    EXPECT_EQ(fresh.findChild<QComboBox *>("cmbPrioritaet")->count(), 4);
    EXPECT_EQ(fresh.findChild<QComboBox *>("cmbArt")->itemText(3), QStringLiteral("E"));
    EXPECT_EQ(fresh.findChild<QCheckBox *>("chkRechnung")->checkState(), Qt::PartiallyChecked);
    EXPECT_EQ(fresh.findChild<QCheckBox *>("chkBeurteilung")->checkState(), Qt::PartiallyChecked);
    EXPECT_EQ(ui::lengthLimit(fresh.findChild<QLineEdit *>("txtKursNr")), 6);
    EXPECT_EQ(fresh.findChild<QProgressBar *>("prgStatistik")->value(), 0);
}

TEST_P(TrainingsplanBerichtTest, ListLayoutHeaderTotalsAndLegend)
{
    addPlan(QStringLiteral("K1"), QStringLiteral("Meier, Hans"), QStringLiteral("1"), QDate(2027, 3, 1),
            QDate(2027, 3, 5), QStringLiteral("1"), QStringLiteral("AAI"), true, false);
    addPlan(QStringLiteral("K20"), QStringLiteral("Ärger, Udo"), QStringLiteral("3"), QDate(2027, 2, 10),
            QDate(2027, 2, 12), QStringLiteral(" "), QStringLiteral(" "), false, true);
    addPlan(QStringLiteral("K3"), QStringLiteral("Meier, Hans"), QStringLiteral("0"), QDate(2027, 12, 31),
            QDate(2028, 1, 2), QStringLiteral("3"));
    // The progress bar runs to the number of entries and goes back to 0.
    auto *bar = w<QProgressBar>("prgStatistik");
    int top = 0;
    QObject::connect(bar, &QProgressBar::valueChanged, bar, [&](int v) { top = std::max(top, v); });
    const reports::ReportModel &m = build();
    EXPECT_EQ(bar->maximum(), 4);
    EXPECT_EQ(top, 3);
    EXPECT_EQ(bar->value(), 0);
    EXPECT_EQ(m.title, QStringLiteral("Liste Trainingsplan"));
    EXPECT_EQ(m.orientation, reports::Orientation::Landscape);
    const QString heading =
        place(208, {{0, QStringLiteral("Kurs-Nr.")}, {9, QStringLiteral("Beschreibung")}, {61, QStringLiteral("Art")},
                    {66, QStringLiteral("Referent")}, {89, QStringLiteral("Kosten")}, {98, QStringLiteral("Dauer")},
                    {105, QStringLiteral("Name")}, {137, QStringLiteral("Kat.")}, {142, QStringLiteral("Bereich")},
                    {173, QStringLiteral("Datum")}, {191, QStringLiteral("Prio.")}, {197, QStringLiteral("R")},
                    {199, QStringLiteral("S")}, {202, QStringLiteral("Status")}});
    EXPECT_EQ(m.header.split(QStringLiteral("\r\n")),
              QStringList({QStringLiteral("Zeitraum:    01.01.2027 bis 31.12.2027"), QStringLiteral("Sortierung:  Kurs-Nr."),
                           QString(), heading}));
    const QStringList lines = m.body.split(QStringLiteral("\r\n"));
    const QStringList want = {
        k1Meier(1, QStringLiteral("01.03.27-05.03.27"), true, false),
        // The description is cut at 50, the missing trainer keeps its 20 places.
        place(210, {{0, QStringLiteral("K20")},
                    {9, longText.left(50)},
                    {61, QStringLiteral("E")},
                    {89, QStringLiteral("250,50")},
                    {99, QStringLiteral("24,5")},
                    {105, QStringLiteral("Ärger, Udo")},
                    {137, QStringLiteral("Ets")},
                    {142, QStringLiteral("Einkauf")},
                    {173, QStringLiteral("10.02.27-12.02.27")},
                    {199, QStringLiteral("S")},
                    {208, QStringLiteral("K")}}),
        // The trainer is cut at 20.
        place(210, {{0, QStringLiteral("K3")},
                    {9, QStringLiteral("Statistik")},
                    {61, QStringLiteral("A")},
                    {66, QStringLiteral("Weißenberger-Müller,")},
                    {91, QStringLiteral("0,00")},
                    {100, QStringLiteral("4,0")},
                    {105, QStringLiteral("Meier, Hans")},
                    {137, QStringLiteral("O")},
                    {142, QStringLiteral("Controlling")},
                    {173, QStringLiteral("31.12.27-02.01.28")},
                    {191, QStringLiteral("3")},
                    {202, QStringLiteral("B")}}),
        QString(),
        // Sums end under the Kosten and Dauer columns.
        place(118, {{0, QStringLiteral("Summe:")}, {89, QStringLiteral("350,50")}, {99, QStringLiteral("36,5")},
                    {105, QStringLiteral("Anzahl:     3")}}),
        QString(),
    };
    ASSERT_EQ(lines.size(), want.size() + 5);
    for (int i = 0; i < want.size(); ++i)
        EXPECT_EQ(lines[i], want[i]) << "line " << i;
    EXPECT_TRUE(m.body.endsWith(legend));
    EXPECT_FALSE(m.body.endsWith(QStringLiteral("\r\n")));
}

TEST_P(TrainingsplanBerichtTest, PeriodSelectsOnTheStartDate)
{
    addPlan(QStringLiteral("K1"), QStringLiteral("Meier, Hans"), QStringLiteral("1"), QDate(2027, 3, 1), QDate(2027, 3, 5),
            QStringLiteral("1"));
    addPlan(QStringLiteral("K20"), QStringLiteral("Meier, Hans"), QStringLiteral("1"), QDate(2027, 2, 28),
            QDate(2027, 3, 2));
    addPlan(QStringLiteral("K3"), QStringLiteral("Meier, Hans"), QStringLiteral("1"), QDate(2027, 3, 2), QDate(2027, 3, 2));
    struct Case {
        const char *von, *bis;
        QStringList kurse;
    } cases[] = {
        {"01.03.2027", "01.03.2027", {QStringLiteral("K1")}},             // equal dates; ends after the period
        {"1.3.27", "02.03.2027", {QStringLiteral("K1"), QStringLiteral("K3")}}, // K20 starts before
        {"03.03.2027", "31.12.2027", {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.von);
        setPeriod(QString::fromLatin1(c.von), QString::fromLatin1(c.bis));
        if (c.kurse.isEmpty()) {
            expectNothing();
            continue;
        }
        const QStringList lines = bodyLines();
        QStringList kurse;
        for (const QString &l : lines.mid(0, c.kurse.size()))
            kurse << l.left(6).trimmed();
        EXPECT_EQ(kurse, c.kurse);
        EXPECT_TRUE(lines[c.kurse.size()].isEmpty());
        EXPECT_TRUE(lines[c.kurse.size() + 1].startsWith(QStringLiteral("Summe:")));
        EXPECT_TRUE(dlg->model().header.startsWith(QStringLiteral("Zeitraum:    %1 bis %2\r\n").arg(
            QString::fromLatin1(c.von), QString::fromLatin1(c.bis))));
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
         QStringLiteral("Es muß mindestens 1 Status gesetzt werden!"), "chkStatus(0)"},
        {"start date", true, "32.01.2027", "kein Datum", QStringLiteral("Das Startdatum ist ungültig!"), "txtVon"},
        {"end date", true, "01.01.2027", "", QStringLiteral("Das Endedatum ist ungültig!"), "txtBis"},
        {"end before start", true, "02.01.2027", "01.01.2027",
         QStringLiteral("Das Startdatum darf nicht größer als das Endedatum sein!"), "txtVon"},
    };
    addPlan(QStringLiteral("K1"), QStringLiteral("Meier, Hans"));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        for (int i = 0; i < 4; ++i) {
            auto *box = w<QCheckBox>(QStringLiteral("chkStatus(%1)").arg(i).toLatin1().constData());
            if (box->isChecked() != c.anyStatus)
                clickBox(box);
        }
        setPeriod(QString::fromLatin1(c.von), QString::fromLatin1(c.bis));
        prompter.expectMessage(QStringLiteral("Es wurden fehlerhafte Eingaben festgestellt!"),
                               QStringLiteral("Datenprüfung"), ui::Icon::Exclamation);
        expectNothing();
        EXPECT_EQ(ui::StatusPanels::instance().panelText(QStringLiteral("Status")), c.status);
        EXPECT_EQ(dlg->focusWidget()->objectName(), QString::fromLatin1(c.focus));
    }
    // A valid selection clears the panel.
    setPeriod(QStringLiteral("01.01.2027"), QStringLiteral("31.12.2027"));
    EXPECT_FALSE(build().body.isEmpty());
    EXPECT_EQ(ui::StatusPanels::instance().panelText(QStringLiteral("Status")), QString());
}

TEST_P(TrainingsplanBerichtTest, StatusBoxesSelectTheirEntries)
{
    addPlan(QStringLiteral("K1"), QStringLiteral("Ärger, Udo"), QStringLiteral("0"));
    addPlan(QStringLiteral("K1"), QStringLiteral("Meier, Hans"), QStringLiteral("1"));
    addPlan(QStringLiteral("K20"), QStringLiteral("Ärger, Udo"), QStringLiteral("2"));
    addPlan(QStringLiteral("K3"), QStringLiteral("Meier, Hans"), QStringLiteral("3"));
    clickBox(w<QCheckBox>("chkStatus(0)"));
    clickBox(w<QCheckBox>("chkStatus(2)"));
    const QStringList lines = bodyLines();
    EXPECT_TRUE(lines[2].isEmpty());
    EXPECT_EQ(lines[0].left(2) + lines[0].mid(202, 8), QStringLiteral("K1  G     "));
    EXPECT_EQ(lines[1].left(2) + lines[1].mid(202, 8), QStringLiteral("K3      K "));
    // All four in their cells.
    clickBox(w<QCheckBox>("chkStatus(0)"));
    clickBox(w<QCheckBox>("chkStatus(2)"));
    QStringList cells;
    for (const QString &l : bodyLines().mid(0, 4))
        cells << l.mid(202, 8);
    EXPECT_EQ(cells, QStringList({QStringLiteral("B       "), QStringLiteral("  G     "), QStringLiteral("    E   "),
                                  QStringLiteral("      K ")}));
}

TEST_P(TrainingsplanBerichtTest, BereichFilterDropsTheBereichColumn)
{
    addPlan(QStringLiteral("K1"), QStringLiteral("Meier, Hans"), QStringLiteral("1"), QDate(2027, 3, 1), QDate(2027, 3, 5),
            QStringLiteral("1"));
    addPlan(QStringLiteral("K1"), QStringLiteral("Ärger, Udo"), QStringLiteral("1"));
    auto *bereich = w<QComboBox>("cmbBereich");
    bereich->setCurrentIndex(bereich->findText(QStringLiteral("Controlling")));
    const reports::ReportModel &m = build();
    const QStringList header = m.header.split(QStringLiteral("\r\n"));
    ASSERT_EQ(header.size(), 5);
    EXPECT_EQ(header[1], QStringLiteral("Bereich:     Controlling"));
    EXPECT_EQ(header[4], place(177, {{0, QStringLiteral("Kurs-Nr.")}, {9, QStringLiteral("Beschreibung")},
                                     {61, QStringLiteral("Art")}, {66, QStringLiteral("Referent")},
                                     {89, QStringLiteral("Kosten")}, {98, QStringLiteral("Dauer")},
                                     {105, QStringLiteral("Name")}, {137, QStringLiteral("Kat.")},
                                     {142, QStringLiteral("Datum")}, {160, QStringLiteral("Prio.")},
                                     {166, QStringLiteral("R")}, {168, QStringLiteral("S")},
                                     {171, QStringLiteral("Status")}}));
    const QStringList lines = m.body.split(QStringLiteral("\r\n"));
    QString want = k1Meier();
    want.remove(142, 31);
    EXPECT_EQ(lines[0], want);
    EXPECT_TRUE(lines[1].isEmpty());
}

TEST_P(TrainingsplanBerichtTest, FiltersAreBoundAndWriteTheirSelectionLines)
{
    addMitarbeiter(QStringLiteral("O'Neill, Sean"), QStringLiteral("1"), QStringLiteral("X"), QStringLiteral("I/C"),
                   QStringLiteral("Logistik"));
    addMitarbeiter(QStringLiteral("100% Müller"), QStringLiteral("1"), QStringLiteral("X"), QStringLiteral("I/C"),
                   QStringLiteral("Logistik"));
    addMitarbeiter(QStringLiteral("1000 Müller"), QStringLiteral("1"), QStringLiteral("X"), QStringLiteral("I/C"),
                   QStringLiteral("Logistik"));
    addKurs(QStringLiteral("XK1"), QStringLiteral("IT"), QStringLiteral("Andere"), QStringLiteral("I"));
    addPlan(QStringLiteral("K1"), QStringLiteral("O'Neill, Sean"), QStringLiteral("1"), QDate(2027, 1, 1),
            QDate(2027, 1, 1), QStringLiteral("2"));
    addPlan(QStringLiteral("K1"), QStringLiteral("100% Müller"));
    addPlan(QStringLiteral("K1"), QStringLiteral("1000 Müller"));
    addPlan(QStringLiteral("XK1"), QStringLiteral("O'Neill, Sean"));
    addPlan(QStringLiteral("K3"), QStringLiteral("Meier, Hans"));
    addPlan(QStringLiteral("K1"), QStringLiteral("Meier, Hans"));
    addMitarbeiter(QStringLiteral("ΚΩΣΤΑΣ, ΝΙΚΟΣ"), QStringLiteral("1"), QStringLiteral("X"), QStringLiteral("Ets"),
                   QStringLiteral("Logistik"));
    addPlan(QStringLiteral("K20"), QStringLiteral("ΚΩΣΤΑΣ, ΝΙΚΟΣ"));

    struct Case {
        const char *name;
        std::function<void()> set;
        QString selectionLine;
        QStringList keys; // KursNr/Name of the listed entries
    } cases[] = {
        {"name with apostrophe, any case", [&] { type("txtName", QStringLiteral("o'NEILL")); },
         QStringLiteral("Name:        o'NEILL"), {QStringLiteral("K1/O'Neill, Sean"), QStringLiteral("XK1/O'Neill, Sean")}},
        {"percent sign is a plain character", [&] { type("txtName", QStringLiteral("0% m")); },
         QStringLiteral("Name:        0% m"), {QStringLiteral("K1/100% Müller")}},
        {"umlaut in any case", [&] { type("txtName", QStringLiteral("ÄRGER")); },
         QStringLiteral("Name:        ÄRGER"), {}},
        {"course number starts with", [&] { type("txtKursNr", QStringLiteral("k")); },
         QStringLiteral("Kurs-Nr.:    k"),
         {QStringLiteral("K1/100% Müller"), QStringLiteral("K1/1000 Müller"), QStringLiteral("K1/Meier, Hans"),
          QStringLiteral("K1/O'Neill, Sean"), QStringLiteral("K20/ΚΩΣΤΑΣ, ΝΙΚΟΣ"), QStringLiteral("K3/Meier, Hans")}},
        // The same text finds the same entries on both engines: a trailing blank
        // is part of it (the names are filled with blanks), a final sigma is a sigma.
        {"trailing blank", [&] { type("txtName", QStringLiteral("hans ")); }, QStringLiteral("Name:        hans "),
         {QStringLiteral("K1/Meier, Hans"), QStringLiteral("K3/Meier, Hans")}},
        {"final sigma", [&] { w<QLineEdit>("txtName")->setText(QStringLiteral("σ, ν")); }, QStringLiteral("Name:        σ, ν"),
         {QStringLiteral("K20/ΚΩΣΤΑΣ, ΝΙΚΟΣ")}},
        {"trainer contains", [&] { type("txtReferent", QStringLiteral("MÜLLER")); },
         QStringLiteral("Referent:    MÜLLER"), {QStringLiteral("K3/Meier, Hans")}},
        {"category", [&] { w<QComboBox>("cmbKategorie")->setCurrentIndex(2); }, QStringLiteral("Kategorie:   I/C"),
         {QStringLiteral("K1/100% Müller"), QStringLiteral("K1/1000 Müller"), QStringLiteral("K1/O'Neill, Sean"),
          QStringLiteral("XK1/O'Neill, Sean")}},
        {"priority", [&] { typeCombo("cmbPrioritaet", QStringLiteral("2")); }, QStringLiteral("Priorität:   2"),
         {QStringLiteral("K1/O'Neill, Sean")}},
        {"kind", [&] { typeCombo("cmbArt", QStringLiteral("A")); }, QStringLiteral("Art:         A"),
         {QStringLiteral("K3/Meier, Hans")}},
        {"typed beginning of a list value stays as typed", [&] { typeCombo("cmbRubrik", QStringLiteral("IT")); },
         QStringLiteral("Rubrik:      IT"),
         {QStringLiteral("K1/100% Müller"), QStringLiteral("K1/1000 Müller"), QStringLiteral("K1/Meier, Hans"),
          QStringLiteral("K1/O'Neill, Sean"), QStringLiteral("K3/Meier, Hans"), QStringLiteral("XK1/O'Neill, Sean")}},
        {"category list item with blanks", [&] { w<QComboBox>("cmbRubrik")->setCurrentIndex(4); },
         QStringLiteral("Rubrik:      ") + QStringLiteral("IT").leftJustified(40),
         {QStringLiteral("K1/100% Müller"), QStringLiteral("K1/1000 Müller"), QStringLiteral("K1/Meier, Hans"),
          QStringLiteral("K1/O'Neill, Sean"), QStringLiteral("K3/Meier, Hans"), QStringLiteral("XK1/O'Neill, Sean")}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        reports::FrmTrainingsplanBericht fresh;
        dlg.reset();
        dlg = std::make_unique<reports::FrmTrainingsplanBericht>();
        dlg->show();
        setPeriod(QStringLiteral("01.01.2027"), QStringLiteral("31.12.2027"));
        c.set();
        if (c.keys.isEmpty()) {
            expectNothing();
            continue;
        }
        const reports::ReportModel &m = build();
        const QStringList header = m.header.split(QStringLiteral("\r\n"));
        EXPECT_EQ(header[1], c.selectionLine);
        EXPECT_EQ(header[2], QStringLiteral("Sortierung:  Kurs-Nr."));
        QStringList keys;
        for (const QString &l : m.body.split(QStringLiteral("\r\n"))) {
            if (l.isEmpty())
                break;
            keys << l.left(6).trimmed() + QLatin1Char('/') + l.mid(105, 30).trimmed();
        }
        EXPECT_EQ(keys, c.keys);
    }
}

TEST_P(TrainingsplanBerichtTest, YesNoBoxesCycleThroughThreeStates)
{
    addPlan(QStringLiteral("K1"), QStringLiteral("Meier, Hans"), QStringLiteral("1"), QDate(2027, 3, 1), QDate(2027, 3, 5),
            QStringLiteral("1"), QStringLiteral(" "), true, false);
    addPlan(QStringLiteral("K3"), QStringLiteral("Meier, Hans"), QStringLiteral("1"), QDate(2027, 3, 1), QDate(2027, 3, 5),
            QStringLiteral("1"), QStringLiteral(" "), false, true);
    struct Step {
        Qt::CheckState state;
        QString line;
        QStringList kurse;
    } steps[] = {
        {Qt::Unchecked, QStringLiteral("Rechnung:    nicht vorhanden"), {QStringLiteral("K3")}},
        {Qt::Checked, QStringLiteral("Rechnung:    vorhanden"), {QStringLiteral("K1")}},
        {Qt::PartiallyChecked, QStringLiteral("Sortierung:  Kurs-Nr."), {QStringLiteral("K1"), QStringLiteral("K3")}},
        {Qt::Unchecked, QStringLiteral("Rechnung:    nicht vorhanden"), {QStringLiteral("K3")}},
    };
    auto *box = w<QCheckBox>("chkRechnung");
    int n = 0;
    for (const Step &s : steps) {
        SCOPED_TRACE(++n);
        clickBox(box);
        EXPECT_EQ(box->checkState(), s.state);
        const reports::ReportModel &m = build();
        EXPECT_EQ(m.header.split(QStringLiteral("\r\n"))[1], s.line);
        QStringList kurse;
        for (const QString &l : m.body.split(QStringLiteral("\r\n"))) {
            if (l.isEmpty())
                break;
            kurse << l.left(6).trimmed();
        }
        EXPECT_EQ(kurse, s.kurse);
    }
    // The other box has its own cycle.
    auto *other = w<QCheckBox>("chkBeurteilung");
    clickBox(other);
    clickBox(other);
    EXPECT_EQ(other->checkState(), Qt::Checked);
    const QStringList header = build().header.split(QStringLiteral("\r\n"));
    EXPECT_EQ(header[1], QStringLiteral("Rechnung:    nicht vorhanden"));
    EXPECT_EQ(header[2], QStringLiteral("Beurteilung: vorhanden"));
}

TEST_P(TrainingsplanBerichtTest, SortOrdersAndGroups)
{
    addMitarbeiter(QStringLiteral("Zorn, Eva"), QStringLiteral("1"), QStringLiteral("X"), QStringLiteral("I/C"),
                   QStringLiteral("Controlling"));
    addPlan(QStringLiteral("K20"), QStringLiteral("Meier, Hans"));
    addPlan(QStringLiteral("K3"), QStringLiteral("Ärger, Udo"));
    addPlan(QStringLiteral("K1"), QStringLiteral("Zorn, Eva"));
    addPlan(QStringLiteral("K1"), QStringLiteral("Meier, Hans"));
    struct Case {
        QString sort;
        QStringList lines; // group lines as they stand, entries as KursNr/Name
    } cases[] = {
        {QStringLiteral("Bereich"),
         {QString(), QStringLiteral("Controlling:"), QStringLiteral("K1/Meier, Hans"), QStringLiteral("K1/Zorn, Eva"),
          QStringLiteral("K20/Meier, Hans"), QString(), QStringLiteral("Einkauf:"), QStringLiteral("K3/Ärger, Udo")}},
        {QStringLiteral("Rubrik"),
         {QString(), QStringLiteral("IT:"), QStringLiteral("K1/Meier, Hans"), QStringLiteral("K1/Zorn, Eva"),
          QStringLiteral("K3/Ärger, Udo"), QString(), QStringLiteral("Sprachen:"), QStringLiteral("K20/Meier, Hans")}},
        // German order: Ärger beside A, before Meier.
        {QStringLiteral("Name"),
         {QStringLiteral("K3/Ärger, Udo"), QStringLiteral("K1/Meier, Hans"), QStringLiteral("K20/Meier, Hans"),
          QStringLiteral("K1/Zorn, Eva")}},
        {QStringLiteral("Irgendwas"),
         {QStringLiteral("K1/Meier, Hans"), QStringLiteral("K1/Zorn, Eva"), QStringLiteral("K20/Meier, Hans"),
          QStringLiteral("K3/Ärger, Udo")}},
        {QStringLiteral("Art"),
         {QStringLiteral("K3/Ärger, Udo"), QStringLiteral("K20/Meier, Hans"), QStringLiteral("K1/Meier, Hans"),
          QStringLiteral("K1/Zorn, Eva")}},
        // Ets, I/C, O; then no trainer before any.
        {QStringLiteral("Kategorie"),
         {QStringLiteral("K3/Ärger, Udo"), QStringLiteral("K1/Zorn, Eva"), QStringLiteral("K1/Meier, Hans"),
          QStringLiteral("K20/Meier, Hans")}},
        {QStringLiteral("Referent"),
         {QStringLiteral("K20/Meier, Hans"), QStringLiteral("K1/Meier, Hans"), QStringLiteral("K1/Zorn, Eva"),
          QStringLiteral("K3/Ärger, Udo")}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.sort.toStdString());
        typeCombo("cmbSortierung", c.sort);
        const reports::ReportModel &m = build();
        EXPECT_EQ(m.header.split(QStringLiteral("\r\n"))[1], QStringLiteral("Sortierung:  ") + c.sort);
        QStringList got;
        for (const QString &l : m.body.split(QStringLiteral("\r\n"))) {
            if (l.startsWith(QStringLiteral("Summe:")))
                break;
            got << (l.size() > 200 ? l.left(6).trimmed() + QLatin1Char('/') + l.mid(105, 30).trimmed() : l);
        }
        got.removeLast(); // the empty line before the sums
        EXPECT_EQ(got, c.lines);
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
                                   fd.selectedNameFilter()} + fd.nameFilters();
        fd.selectNameFilter(filter);
        fd.findChild<QLineEdit *>("fileNameEdit")->setText(file); // typed as a person would
        static_cast<QDialog &>(fd).done(QDialog::Accepted);
    });
    if (then)
        then();
    QTest::mouseClick(dlg.findChild<QPushButton *>("cmdExport"), Qt::LeftButton);
}
const QString xlsxType = QStringLiteral("Excel-Arbeitsmappe (*.xlsx)");
const QString csvType = QStringLiteral("CSV (Semikolon-getrennt) (*.csv)");

TEST_P(TrainingsplanBerichtTest, ExportWritesThePrintedRowsAsWorkbookAndCsv)
{
    addKurs(QStringLiteral("K4"), QStringLiteral("IT"), QStringLiteral("Zahlen; \"Fakten\" & Mehr"), QStringLiteral("A"),
            QStringLiteral("O'Neill, Jürgen"), 0, 2);
    db().exec(QStringLiteral("UPDATE Kurs SET Kosten = NULL WHERE KursNr = ?"), {data::schema::padded("K4", 6)});
    addPlan(QStringLiteral("K1"), QStringLiteral("Meier, Hans"), QStringLiteral("1"), QDate(2027, 3, 1),
            QDate(2027, 3, 5), QStringLiteral("1"), QStringLiteral(" "), true, false);
    addPlan(QStringLiteral("K20"), QStringLiteral("Meier, Hans"), QStringLiteral("2"), QDate(2027, 2, 1),
            QDate(2027, 2, 2), QStringLiteral("3"));
    addPlan(QStringLiteral("K4"), QStringLiteral("Ärger, Udo"), QStringLiteral("0"), QDate(2027, 6, 1), QDate(2027, 6, 1),
            QStringLiteral(" "), QStringLiteral(" "), false, true);
    addPlan(QStringLiteral("K3"), QStringLiteral("Ärger, Udo"), QStringLiteral("0"), QDate(2026, 6, 1)); // before the period
    db().exec(QStringLiteral("UPDATE Trainingsplan SET Datum_bis = NULL WHERE KursNr = ?"),
              {data::schema::padded("K4", 6)});
    typeCombo("cmbSortierung", QStringLiteral("Bereich"));

    const QString xlsx = tempPath() + QStringLiteral("/liste.xlsx");
    QStringList offered;
    exportVia(prompter, *dlg, xlsx, xlsxType, &offered);
    EXPECT_EQ(offered, (QStringList{QStringLiteral("Exportieren"),
                                    QStringLiteral("Liste Trainingsplan %1.xlsx")
                                        .arg(QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"))),
                                    xlsxType, xlsxType, csvType}));
    const XlsxReader book(xlsx);
    EXPECT_TRUE(book.workbookXml.contains("<sheet name=\"Liste Trainingsplan\""));
    EXPECT_EQ(book.text("A1"), QStringLiteral("Liste Trainingsplan"));
    EXPECT_TRUE(book.at("A1").bold);
    EXPECT_EQ(book.text("A2"), reports::dateLine());
    EXPECT_EQ(book.text("A3"), QStringLiteral("Zeitraum:    01.01.2027 bis 31.12.2027"));
    EXPECT_EQ(book.text("A4"), QStringLiteral("Sortierung:  Bereich"));
    const QStringList headings = {"Kurs-Nr.", "Beschreibung", "Art", "Referent", "Kosten", "Dauer", "Name", "Kat.",
                                  "Bereich", "Datum von", "Datum bis", "Prio.", "R", "S", "Status"};
    for (int c = 0; c < headings.size(); ++c) {
        const XlsxCell &h = book.at(QChar('A' + c) + QStringLiteral("6"));
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
        {"8", {"K1", "Excel Grundlagen", "I", "Huber, Anna", "100", "8", "Meier, Hans", "O", "Controlling",
               serial(2027, 3, 1), serial(2027, 3, 5), "1", "R", "", "G"}},
        {"9", {"K20", longText, "E", "", "250.5", "24.5", "Meier, Hans", "O", "Controlling", serial(2027, 2, 1),
               serial(2027, 2, 2), "3", "", "", "E"}},
        {"10", {"Einkauf"}},
        {"11", {"K4", "Zahlen; \"Fakten\" & Mehr", "A", "O'Neill, Jürgen", "", "2", "Ärger, Udo", "Ets", "Einkauf",
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
            EXPECT_EQ(cell.type, number ? QString() : QStringLiteral("inlineStr")) << ref.toStdString();
            EXPECT_EQ(cell.format, c == 4 ? "0.00" : c == 5 ? "0.0" : c >= 9 && c <= 10 ? "dd.mm.yyyy" : "")
                << ref.toStdString();
            EXPECT_EQ(cell.bold, values.size() == 1) << ref.toStdString();
        }
    }
    // Totals as formulas over the rows, with the count; the legend in blocks below.
    EXPECT_EQ(book.text("A13"), QStringLiteral("Summe:"));
    EXPECT_EQ(book.at("E13").formula, QStringLiteral("SUM(E7:E11)"));
    EXPECT_EQ(book.at("E13").format, QStringLiteral("0.00"));
    EXPECT_DOUBLE_EQ(book.text("E13").toDouble(), 350.5);
    EXPECT_EQ(book.at("F13").formula, QStringLiteral("SUM(F7:F11)"));
    EXPECT_DOUBLE_EQ(book.text("F13").toDouble(), 34.5);
    EXPECT_EQ(book.text("G13"), QStringLiteral("Anzahl:"));
    EXPECT_EQ(book.text("H13"), QStringLiteral("3"));
    EXPECT_EQ(book.text("A15"), QStringLiteral("Legende:"));
    EXPECT_EQ(book.text("B16"), QStringLiteral("A = Intern mit externem Referent"));
    EXPECT_EQ(book.text("D17"), QStringLiteral("I/C = Ingenieur/Cadre"));
    EXPECT_EQ(book.text("G17"), QStringLiteral("S = Seminarbeurteilung vorhanden"));
    EXPECT_EQ(book.text("I19"), QStringLiteral("K = Keine Teilnahme"));
    EXPECT_EQ(book.lastRow, 19);

    // The workbook's rows are the printed list's rows, groups included.
    QStringList printed, exported;
    for (const QString &l : bodyLines()) {
        if (l.endsWith(QLatin1Char(':')) && !l.contains(QLatin1String("  ")))
            printed << l.chopped(1);
        else if (l.size() > 200)
            printed << l.mid(0, 6).trimmed() + QLatin1Char('/') + l.mid(105, 30).trimmed();
    }
    for (const auto &[row, values] : rows)
        exported << (values.size() == 1 ? values[0] : values[0] + QLatin1Char('/') + values[6]);
    EXPECT_EQ(exported, printed);

    // CSV: byte-order mark, ";", decimal comma, four-digit years, CR LF, quoting; no title, groups or totals.
    const QString csv = tempPath() + QStringLiteral("/liste");
    exportVia(prompter, *dlg, csv, csvType);
    QFile f(csv + QStringLiteral(".csv"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray want = "\xEF\xBB\xBF"
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
    EXPECT_EQ(QDir(tempPath()).entryList({QStringLiteral("liste*")}, QDir::Files),
              (QStringList{QStringLiteral("liste.csv"), QStringLiteral("liste.xlsx")}));
}

TEST_P(TrainingsplanBerichtTest, ExportThatCannotWriteOrFindsNothingLeavesNoFile)
{
    addPlan(QStringLiteral("K1"), QStringLiteral("Meier, Hans"), QStringLiteral("1"), QDate(2027, 3, 1));
    const struct {
        const char *name;
        QString file;
        QString reason;
    } cases[] = {
        {"missing folder", tempPath() + QStringLiteral("/fehlt/liste.xlsx"), QStringLiteral("Der Ordner ist nicht vorhanden.")},
        {"a folder of that name", tempPath() + QStringLiteral("/ordner.xlsx"),
         QStringLiteral("Unter diesem Namen gibt es bereits einen Ordner.")},
        {"csv into a missing folder", tempPath() + QStringLiteral("/fehlt/liste.csv"),
         QStringLiteral("Der Ordner ist nicht vorhanden.")},
    };
    QDir().mkpath(tempPath() + QStringLiteral("/ordner.xlsx"));
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        exportVia(prompter, *dlg, c.file, c.file.endsWith(QLatin1String(".csv")) ? csvType : xlsxType, nullptr, [&] {
            prompter.expectMessage(QStringLiteral("Die Datei kann nicht geschrieben werden:\r\n") + c.file
                                       + QStringLiteral("\r\n\r\n") + c.reason,
                                   QStringLiteral("Error"), ui::Icon::Exclamation);
        });
    }
    // Nothing in the period: the usual message, and no file.
    setPeriod(QStringLiteral("01.01.2030"), QStringLiteral("31.12.2030"));
    for (const QString &type : {xlsxType, csvType}) {
        exportVia(prompter, *dlg, tempPath() + QStringLiteral("/leer"), type, nullptr, [&] {
            prompter.expectMessage(QStringLiteral("Keine Vorgaben vorhanden!"), QStringLiteral("Error"),
                                   ui::Icon::Exclamation);
        });
    }
    // Invalid entries stop before the file dialog, as for the other outputs.
    setPeriod(QStringLiteral("31.12.2030"), QStringLiteral("01.01.2030"));
    prompter.expectMessage(QStringLiteral("Es wurden fehlerhafte Eingaben festgestellt!"), QStringLiteral("Datenprüfung"),
                           ui::Icon::Exclamation);
    QTest::mouseClick(w<QPushButton>("cmdExport"), Qt::LeftButton);
    EXPECT_EQ(QDir(tempPath()).entryList({QStringLiteral("*.xlsx*"), QStringLiteral("*.csv*"), QStringLiteral("leer*")},
                                         QDir::Files),
              QStringList());
    EXPECT_FALSE(QFileInfo::exists(tempPath() + QStringLiteral("/fehlt")));
}

ORV_DB_TEST_SUITE(TrainingsplanBerichtTest);

class ExportWriterTest : public OrvTest {};

// A cancelled export of either type leaves an earlier file of that name as it was, and nothing else.
TEST_F(ExportWriterTest, CancelledExportKeepsTheOldFile)
{
    reports::ExportLayout layout;
    layout.title = QStringLiteral("Liste");
    layout.columns = {{QStringLiteral("Text")}, {QStringLiteral("Zahl"), reports::CellType::Number, 2, true}};
    layout.totals = true;
    for (const auto format : {reports::ExportFormat::Xlsx, reports::ExportFormat::Csv}) {
        const QString target = tempPath() + QStringLiteral("/liste");
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
        EXPECT_EQ(QDir(tempPath()).entryList(QDir::Files), QStringList{QStringLiteral("liste")});
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
    von->setText(QStringLiteral("15.06.2027"));
    QTest::mouseClick(dlg.findChild<QToolButton *>("cmdMonthViewVon"), Qt::LeftButton);
    EXPECT_TRUE(cal->isVisible());
    EXPECT_EQ(cal->selectedDate(), QDate(2027, 6, 15));
    emit cal->clicked(QDate(2027, 6, 3));
    EXPECT_EQ(von->text(), QStringLiteral("03.06.2027"));
    EXPECT_FALSE(cal->isVisible());
    EXPECT_FALSE(dlg.findChild<QToolButton *>("cmdMonthViewVon")->icon().isNull());

    // Keys as in any date popup: Return takes the selected day, Esc closes without a change.
    for (const auto &[key, text] : {std::pair{Qt::Key_Escape, "03.06.2027"}, std::pair{Qt::Key_Return, "10.06.2027"}}) {
        QTest::mouseClick(dlg.findChild<QToolButton *>("cmdMonthViewVon"), Qt::LeftButton);
        ASSERT_TRUE(cal->isVisible());
        QWidget *focus = QApplication::focusWidget() ? QApplication::focusWidget() : cal;
        QTest::keyClick(focus, Qt::Key_Down);
        QTest::keyClick(focus, key);
        EXPECT_FALSE(cal->isVisible()) << key;
        EXPECT_EQ(von->text(), QLatin1String(text)) << key;
    }

    // A text that is no date opens the calendar on today; the end date has its own.
    auto *bis = dlg.findChild<QLineEdit *>("txtBis");
    bis->setText(QStringLiteral("irgendwann"));
    QTest::mouseClick(dlg.findChild<QToolButton *>("cmdMonthViewBis"), Qt::LeftButton);
    auto *calBis = dlg.findChild<QCalendarWidget *>("MonthViewBis");
    EXPECT_TRUE(calBis->isVisible());
    EXPECT_EQ(calBis->selectedDate(), QDate::currentDate());
    calBis->hide();
    EXPECT_EQ(bis->text(), QStringLiteral("irgendwann"));
    EXPECT_EQ(von->text(), QStringLiteral("10.06.2027"));
}

} // namespace
