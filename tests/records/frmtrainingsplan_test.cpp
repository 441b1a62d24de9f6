#include "records/frmtrainingsplan.h"
#include "records/recorddriver.h"
#include "records/recordwindows.h"
#include "services/lockwaitnotice.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QListView>
#include <QTableView>
#include <QTimer>

using namespace orv;
using orv::ui::Answer;
using orv::ui::Icon;
using T = orv::records::FrmTrainingsplan;

namespace {

const QString kAai = u"Bei Quelle AAI sollte Priorität 1 gewählt werden!"_s;
const QString kPeriod = u"Bitte ggf. Datum anpassen!"_s;

class TrainingsplanWindowTest : public test::WindowTestOf<ui::WindowId::Trainingsplan> {
protected:
    // The courses and employees of the standard rows, no entries.
    void masterDataOnly()
    {
        seed();
        db().exec(u"DELETE FROM Trainingsplan"_s);
    }
    bool checked(const QString &name) const { return drv.widget<QAbstractButton>(name)->isChecked(); }
    int status() const
    {
        for (int i = 0; i < 4; ++i)
            if (checked(u"optStatus(%1)"_s.arg(i)))
                return i;
        return -1;
    }
    static QString nextYear(const char *dayMonth)
    {
        return QLatin1String(dayMonth) + QString::number(QDate::currentDate().year() + 1);
    }
    // The fields a picker may touch: course side, employee side.
    QStringList course() const
    {
        return drv.texts({T::KursNr, T::Beschreibung, T::Referent, T::Kosten, T::Dauer}, {"cmbRubrik", "cmbArt"});
    }
    QStringList employee() const
    {
        return drv.texts({T::Name, T::Kostenstelle, T::Abteilung}, {"cmbKategorie", "cmbBereich"});
    }
    // The entry's own fields: priority, source, period, remark, the two boxes (R, B) and status.
    QStringList entry() const
    {
        return {drv.comboText("cmbPrioritaet").trimmed(),
                drv.comboText("cmbQuelle").trimmed(),
                drv.text(T::Datum_von),
                drv.text(T::Datum_bis),
                drv.text(T::Bemerkung).trimmed(),
                checked("chkRechnung") ? u"R"_s : QString(),
                checked("chkBeurteilung") ? u"B"_s : QString(),
                QString::number(status())};
    }
    void typeEntry(const QString &kurs, const QString &name, const QString &prio, const QString &quelle)
    {
        drv.type(T::KursNr, kurs);
        drv.type(T::Name, name);
        drv.type(u"cmbPrioritaet"_s, prio);
        drv.type(u"cmbQuelle"_s, quelle);
    }
    void expectEnabled(std::initializer_list<QString> names, bool enabled)
    {
        for (const QString &name : names)
            EXPECT_EQ(drv.widget(name)->isEnabled(), enabled) << name.toStdString();
    }
    // Runs the search dialog as the user: "*", then the given line (0-based)
    // with OK, or Abbrechen when line is negative.
    void expectPick(int line)
    {
        prompter.expectModal([=](QDialog &d) {
            auto *expr = d.findChild<QLineEdit *>("txtExpression");
            auto *list = d.findChild<QListView *>("lstResult");
            ASSERT_TRUE(expr && list);
            QTest::keyClicks(expr, "*");
            QTest::keyClick(expr, Qt::Key_Return);
            EXPECT_EQ(list->model()->rowCount(), 3);
            if (line >= 0) {
                const QRect r = list->visualRect(list->model()->index(line, 0));
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
            }
            test::clickButton(d, line < 0 ? u"cmdCancel"_s : u"cmdOK"_s);
        });
    }
    static void clickDay(QCalendarWidget *cal, int day)
    {
        auto *view = cal->findChild<QTableView *>();
        ASSERT_NE(view, nullptr);
        for (int r = 1; r < view->model()->rowCount(); ++r)
            for (int c = 0; c < view->model()->columnCount(); ++c) {
                const QModelIndex i = view->model()->index(r, c);
                if (i.data().toInt() == day) { // days 8 to 22 stand once on a page
                    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(i).center());
                    return;
                }
            }
        ADD_FAILURE() << "day not shown";
    }
};
// The connection a record window reads through.
struct WindowConnection : records::RecordForm {
    static data::Connection &of(records::RecordForm &form) { return (form.*(&WindowConnection::connection))(); }
};
// The window's own mechanics, which never reach what differs between the engines.
class TrainingsplanFormTest : public TrainingsplanWindowTest {};

} // namespace

TEST_P(TrainingsplanWindowTest, ShowsTheEntryWithTheMasterDataOfCourseAndEmployee)
{
    openOnStandardRows();
    EXPECT_EQ(course(), (QStringList{"K1", "Excel", "Meier", "100,00", "8,0", "IT", "I"}));
    EXPECT_EQ(employee(), (QStringList{"Abel, Anna", "100", "EK", "Ets", "Einkauf"}));
    EXPECT_EQ(entry(), (QStringList{"2", "ORV", "01.02.2027", "28.02.2027", "erst", "R", "", "0"}));
    EXPECT_EQ(drv.sort(), "Sortierung: KursNr,Name");
    expectEnabled({test::fieldName(T::KursNr), test::fieldName(T::Name), "cmdKursNrSuchen", "cmdNameSuchen",
                   test::fieldName(T::Beschreibung), "cmbRubrik", "cmbBereich"},
                  false);
    expectEnabled(
        {"cmdMonthViewVon", "cmdMonthViewBis", test::fieldName(T::Datum_von), "cmbPrioritaet", "optStatus(3)"}, true);

    drv.trigger("Gobot");
    EXPECT_EQ(shown(), "K2/Zorn, Zeno");
    EXPECT_EQ(drv.text(T::Beschreibung).trimmed(), "Englisch");
    EXPECT_EQ(drv.comboText("cmbKategorie"), "I/C");
    EXPECT_EQ(status(), 1);
    EXPECT_TRUE(drv.looksLikeBrowseMode());
}

TEST_P(TrainingsplanWindowTest, NewEntryStartsWithNextYearAndLooksUpAsTheKeysAreTyped)
{
    openOnStandardRows();
    drv.trigger("New");
    EXPECT_EQ(drv.status(), "Datensatz hinzufügen");
    EXPECT_EQ(shown(), "/");
    EXPECT_EQ(course() + employee(), QStringList(12, QString()));
    EXPECT_EQ(entry(), (QStringList{"", "", nextYear("01.01."), nextYear("31.12."), "", "", "", "0"}));
    expectEnabled({test::fieldName(T::KursNr), test::fieldName(T::Name), "cmdKursNrSuchen", "cmdNameSuchen"}, true);

    drv.type(T::KursNr, u"K2"_s);
    EXPECT_EQ(course(), (QStringList{"K2", "Englisch", "Smith", "250,50", "16,0", "Sprachen", "E"}));
    drv.key(drv.field(T::KursNr), Qt::Key_Backspace);
    EXPECT_EQ(course(), (QStringList{"K", "", "", "", "", "", ""}));
    drv.type(T::Name, u"Zorn, Zeno"_s);
    EXPECT_EQ(drv.comboText("cmbBereich").trimmed(), "Logistik");
    expectRefused(u"Die eingegebene Kurs-Nr. ist nicht vorhanden!"_s, test::fieldName(T::KursNr));

    EXPECT_EQ(course().mid(0, 2), (QStringList{"K1", "Excel"}));
    EXPECT_EQ(shown(), "K1/Abel, Anna");
    expectEnabled({test::fieldName(T::KursNr), "cmdNameSuchen"}, false);
}

TEST_P(TrainingsplanWindowTest, ChecksInTheirOrderWithFocus)
{
    openOnStandardRows();
    const struct {
        QString kurs, name, prio, quelle, von, bis, message, focus;
    } cases[] = {
        {"", "", "9", "x", "x", "x", "Die Eingabe einer Kurs-Nr. und eines Namens ist zwingend erforderlich!",
         test::fieldName(T::KursNr)},
        {"K1", " ", "", "", "01.01.2027", "02.01.2027",
         "Die Eingabe einer Kurs-Nr. und eines Namens ist zwingend erforderlich!", test::fieldName(T::KursNr)},
        {"K1", "Abel, Anna", "", "", "01.01.2027", "02.01.2027", "Der eingegebene Kurs mit Name ist bereits vorhanden!",
         test::fieldName(T::KursNr)},
        {"K7", "Abel, Anna", "", "", "01.01.2027", "02.01.2027", "Die eingegebene Kurs-Nr. ist nicht vorhanden!",
         test::fieldName(T::KursNr)},
        {"K2", "Abel,Anna", "", "", "01.01.2027", "02.01.2027", "Der eingegebene Name ist nicht vorhanden!",
         test::fieldName(T::Name)},
        {"K2", "Abel, Anna", "4", "", "01.01.2027", "02.01.2027", "Die eingegebene Priorität ist nicht vorhanden!",
         "cmbPrioritaet"},
        {"K2", "Abel, Anna", "1", "aai", "01.01.2027", "02.01.2027", "Die eingegebene Quelle ist nicht vorhanden!",
         "cmbQuelle"},
        {"K2", "Abel, Anna", "", "", "31.02.2027", "x", "Das Startdatum ist ungültig!", test::fieldName(T::Datum_von)},
        {"K2", "Abel, Anna", "", "", "01.03.2027", "", "Das Endedatum ist ungültig!", test::fieldName(T::Datum_bis)},
        {"K2", "Abel, Anna", "", "", "02.03.2027", "01.03.2027", "Das Endedatum ist vor dem Startdatum!",
         test::fieldName(T::Datum_bis)},
        // Two-digit years: 00 to 29 in this century, 30 to 99 in the last.
        {"K2", "Abel, Anna", "", "", "1.1.29", "31.12.30", "Das Endedatum ist vor dem Startdatum!",
         test::fieldName(T::Datum_bis)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        drv.trigger("New");
        typeEntry(c.kurs, c.name, c.prio, c.quelle);
        drv.type(T::Datum_von, c.von);
        drv.type(T::Datum_bis, c.bis);
        expectRefused(c.message, c.focus);
    }
    EXPECT_EQ(count("Trainingsplan"), 3);

    // Equal dates, a blank priority and a blank source pass.
    drv.trigger("New");
    typeEntry(u"K2"_s, u"Abel, Anna"_s, QString(), QString());
    drv.type(T::Datum_von, u"01.03.2027"_s);
    drv.type(T::Datum_bis, u"01.03.2027"_s);
    drv.pick(u"cmbPrioritaet"_s, 0);
    drv.pick(u"cmbQuelle"_s, 0);
    drv.click("cmdSave");
    EXPECT_EQ(shown(), "K2/Abel, Anna");
    EXPECT_EQ(drv.status(), "");
    EXPECT_EQ(
        test::firstText(db(), "SELECT Quelle FROM Trainingsplan WHERE KursNr = ? AND Name = ?", {"K2", "Abel, Anna"}),
        "   ");
}

TEST_P(TrainingsplanWindowTest, WarningsAfterTheChecksDoNotStopTheSave)
{
    masterDataOnly();
    open(); // empty table: add mode at once
    const struct {
        QString kurs, name, prio, quelle;
        int status;
        bool aai, period;
    } cases[] = {
        {"K1", "Abel, Anna", "2", "AAI", 0, true, false},  {"K1", "Zorn, Zeno", " ", "AAI", 0, true, false},
        {"K2", "Abel, Anna", "1", "AAI", 0, false, false}, {"K2", "Zorn, Zeno", "1", "ORV", 1, false, true},
        {"K1", "Ärger, Udo", "3", "AAI", 1, true, true}, // both warnings, in their order
    };
    for (const auto &c : cases) {
        SCOPED_TRACE((c.kurs + c.name).toStdString());
        if (drv.form()->mode() != records::RecordForm::Mode::Add)
            drv.trigger("New");
        typeEntry(c.kurs, c.name, c.prio, c.quelle);
        drv.click(u"optStatus(%1)"_s.arg(c.status));
        if (c.aai)
            prompter.expectMessage(kAai, test::kCheckTitle, Icon::Exclamation);
        if (c.period)
            prompter.expectMessage(kPeriod, test::kCheckTitle, Icon::Exclamation);
        drv.click("cmdSave");
        EXPECT_TRUE(drv.looksLikeBrowseMode());
        EXPECT_EQ(shown(), c.kurs + u"/"_s + c.name);
    }
    QStringList saved = rows(u"SELECT KursNr, Name, Status FROM Trainingsplan"_s);
    saved.sort();
    EXPECT_EQ(saved, (QStringList{"K1/Abel, Anna/0", "K1/Zorn, Zeno/0", "K1/Ärger, Udo/1", "K2/Abel, Anna/0",
                                  "K2/Zorn, Zeno/1"}));
}

// The key is the pair: a save changes the shown entry, not the other entry of its course.
TEST_P(TrainingsplanWindowTest, EditingAStoredEntryChangesThatEntryOnly)
{
    openOnStandardRows();
    drv.trigger("Gonext");
    ASSERT_EQ(shown(), "K2/Ärger, Udo");
    drv.click("chkBeurteilung");
    EXPECT_EQ(drv.status(), "Datensatz bearbeiten");
    expectEnabled({test::fieldName(T::KursNr), test::fieldName(T::Name), "cmdKursNrSuchen"}, false);
    drv.click("optStatus(2)");
    drv.type(T::Datum_von, u"5.2.27"_s); // a two-digit year
    drv.click("cmdSave");
    EXPECT_EQ(drv.status(), "");
    EXPECT_EQ(shown(), "K2/Ärger, Udo");
    EXPECT_EQ(entry(), (QStringList{"3", "ZM", "05.02.2027", "02.04.2027", "", "", "B", "2"}));
    EXPECT_EQ(count("Trainingsplan", "Status = ? AND Beurteilung = ?", {"2", true}), 1);
    EXPECT_EQ(
        count("Trainingsplan", "Name = ? AND Status = ? AND Datum_von = ?", {"Zorn, Zeno", "1", QDate(2027, 5, 1)}), 1);
}

TEST_P(TrainingsplanWindowTest, EntryDeletedElsewhereOnSaveJumpsToTheFirst)
{
    openOnStandardRows();
    drv.trigger("Gobot");
    drv.type(T::Bemerkung, u"anders"_s);
    connect().exec(u"DELETE FROM Trainingsplan WHERE KursNr = ? AND Name = ?"_s, {u"K2"_s, u"Zorn, Zeno"_s});
    expectWarning(test::kGone);
    drv.click("cmdSave");
    EXPECT_EQ(shown(), "K1/Abel, Anna");
    EXPECT_TRUE(drv.looksLikeBrowseMode());
    EXPECT_EQ(count("Trainingsplan"), 2);
}

// After a save the window shows what other workstations inserted, changed
// and deleted meanwhile, and its own change. On a server it reads again only
// the entries others changed, whichever program wrote them.
TEST_P(TrainingsplanWindowTest, AfterASaveTheWindowShowsEveryonesChangesReadingOnlyThose)
{
    seed();
    for (int i = 0; i < 40; ++i)
        addPlan(u"K3"_s, u"Kandidat %1"_s.arg(i, 2, 10, QLatin1Char('0')));
    open();
    drv.type(T::Bemerkung, u"eigene"_s);
    data::Connection other = connect();
    other.exec(u"INSERT INTO Trainingsplan (KursNr, Name, Status) VALUES ('K1', 'Zorn, Zeno', '0')"_s);
    other.exec(u"UPDATE Trainingsplan SET Bemerkung = 'anderswo' WHERE KursNr = 'K2' AND Name = 'Ärger, Udo'"_s);
    other.exec(u"DELETE FROM Trainingsplan WHERE KursNr = 'K2' AND Name = 'Zorn, Zeno'"_s);
    data::Connection &window = WindowConnection::of(*drv.form());
    const quint64 before = window.tableRowsRead();
    drv.click("cmdSave");
    if (isPostgres()) {
        EXPECT_EQ(window.tableRowsRead() - before, 2u);
    }
    EXPECT_EQ(shown(), "K1/Abel, Anna");
    EXPECT_EQ(drv.text(T::Bemerkung).trimmed(), "eigene");
    QStringList seen;
    for (drv.trigger("Gotop"); seen.size() < 5; drv.trigger("Gonext"))
        seen << shown() + u' ' + drv.text(T::Bemerkung).trimmed();
    EXPECT_EQ(seen, (QStringList{u"K1/Abel, Anna eigene"_s, u"K1/Zorn, Zeno "_s, u"K2/Ärger, Udo anderswo"_s,
                                 u"K3/Kandidat 00 "_s, u"K3/Kandidat 01 "_s}));

    // With nobody else writing, a save reads no entry again, and the saved
    // entry's course and employee once: a link between sites pays for each
    // statement with a round trip.
    drv.trigger("Gotop");
    drv.type(T::Bemerkung, u"wieder"_s);
    const quint64 rowsBefore = window.tableRowsRead(), statementsBefore = window.statementCount();
    drv.click("cmdSave");
    EXPECT_EQ(window.tableRowsRead() - rowsBefore, 0u);
    if (isPostgres()) {
        // The checks, and again under the lock in the write's transaction; the
        // change log; the course and the employee shown.
        EXPECT_LE(window.statementCount() - statementsBefore, 8u);
    }
    EXPECT_EQ(drv.text(T::Bemerkung).trimmed(), "wieder");
}

// Another workstation deletes the course or renames the employee, in a
// transaction that commits while this window saves a new entry for them: the
// save waits for it and refuses the entry; no entry is left without its course
// or employee.
TEST_P(TrainingsplanWindowTest, ParentGoneWhileSavingIsRefusedAndLeavesNoOrphan)
{
    const struct {
        QStringList statements;
        QString message;
    } cases[] = {
        {{"DELETE FROM Kurs WHERE KursNr = 'K2'", "DELETE FROM Trainingsplan WHERE KursNr = 'K2'"},
         "Die eingegebene Kurs-Nr. ist nicht vorhanden!"},
        {{"UPDATE Mitarbeiter SET Name = 'Zorn, Zora' WHERE Name = 'Zorn, Zeno'",
          "UPDATE Trainingsplan SET Name = 'Zorn, Zora' WHERE Name = 'Zorn, Zeno'"},
         "Der eingegebene Name ist nicht vorhanden!"},
    };
    masterDataOnly();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        open(); // no entries: the window starts in add mode
        drv.type(T::KursNr, u"K2"_s);
        drv.type(T::Name, u"Zorn, Zeno"_s);
        expectInvalid();
        whileAnotherWorkstationWrites(c.statements, [&] { drv.click("cmdSave"); });
        EXPECT_EQ(drv.status(), c.message);
        EXPECT_EQ(count("Trainingsplan"), 0);
        drv.dispose();
        // Put the course and employee back for the next case.
        db().exec(u"DELETE FROM Mitarbeiter WHERE Name = 'Zorn, Zora'"_s);
        if (count("Kurs", "KursNr = 'K2'") == 0)
            addKurs(u"K2"_s, u"Sprachen"_s, u"Englisch"_s, u"E"_s);
    }
}

// A save that waits for another workstation says so, with the wait cursor, and
// the window is painted meanwhile; afterwards the status and pointer are back.
TEST_P(TrainingsplanWindowTest, ASaveThatWaitsForAnotherWorkstationSaysSo)
{
    services::showLockWaits();
    seed();
    open();
    drv.type(T::Bemerkung, u"Wartet mit"_s);
    QStringList seen;
    const auto look = [&] { seen << drv.status() << (QApplication::overrideCursor() ? u"Sanduhr"_s : u"Zeiger"_s); };
    QTimer::singleShot(900, look);
    // Holds the write lock of the file, or of the entry on the server, for a while.
    const QString lock = isPostgres() ? u"SELECT 1 FROM Trainingsplan FOR UPDATE"_s
                                      : u"UPDATE Mitarbeiter SET Name = Name WHERE 1 = 0"_s;
    const auto save = [&] { drv.click("cmdSave"); };
    whileAnotherWorkstationWrites({lock}, save, 1500);
    EXPECT_EQ(seen, (QStringList{u"Wartet auf einen anderen Arbeitsplatz …"_s, u"Sanduhr"_s}));
    EXPECT_EQ(drv.status(), QString());
    EXPECT_FALSE(QApplication::overrideCursor());
    EXPECT_EQ(count("Trainingsplan", "Bemerkung = 'Wartet mit'"), 1);
}

TEST_P(TrainingsplanWindowTest, EntriesWrittenElsewhereWithoutValuesOrStatusShowEmpty)
{
    masterDataOnly();
    db().exec(u"INSERT INTO Trainingsplan (KursNr, Name, Status) VALUES (?, ?, ?)"_s,
              {u"K1"_s, u"Zorn, Zeno"_s, u"7"_s});
    open();
    EXPECT_EQ(shown(), "K1/Zorn, Zeno");
    EXPECT_EQ(entry(), (QStringList{"", "", "", "", "", "", "", "-1"}));
    EXPECT_TRUE(drv.looksLikeBrowseMode());
    drv.type(T::Datum_von, u"01.06.2027"_s);
    drv.type(T::Datum_bis, u"02.06.2027"_s);
    expectInvalid();
    drv.click("cmdSave");
    EXPECT_EQ(drv.status(), "Der eingegebene Status ist nicht vorhanden!");
    drv.click("optStatus(3)");
    drv.click("cmdSave");
    EXPECT_EQ(status(), 3);
    EXPECT_EQ(value(u"SELECT Status FROM Trainingsplan WHERE Name = ?"_s, {u"Zorn, Zeno"_s}), "3");
}

TEST_P(TrainingsplanWindowTest, LookupThatFailsOnTheDatabaseShowsAnErrorAndTheWindowStaysUsable)
{
    openOnStandardRows();
    drv.trigger("New");
    connect().exec(isPostgres() ? u"DROP TABLE Kurs CASCADE"_s : u"DROP TABLE Kurs"_s);
    expectError(u"DatenLesenError"_s);
    drv.type(T::KursNr, u"K"_s);
    EXPECT_EQ(drv.text(T::KursNr), "K");
    // Back on the stored entry its course cannot be read either.
    expectError(u"DatenLesenError"_s);
    drv.click("cmdUndo");
    EXPECT_TRUE(drv.looksLikeBrowseMode());
}

// The search buttons fill their own side only; cancelling keeps what was typed.
TEST_P(TrainingsplanWindowTest, PickersFillTheirSideOnlyAndCancellingKeepsWhatWasTyped)
{
    openOnStandardRows();
    drv.trigger("New");
    drv.type(T::Name, u"Zorn, Zeno"_s);
    const QStringList typedCourse = course(), typedEmployee = employee();
    expectPick(-1);
    drv.click("cmdKursNrSuchen");
    EXPECT_EQ(course(), typedCourse);
    expectPick(1);
    drv.click("cmdKursNrSuchen");
    EXPECT_EQ(course(), (QStringList{"K2", "Englisch", "Smith", "250,50", "16,0", "Sprachen", "E"}));
    EXPECT_EQ(employee(), typedEmployee);

    const QStringList pickedEmployee = employee();
    expectPick(-1);
    drv.click("cmdNameSuchen");
    EXPECT_EQ(employee(), pickedEmployee);
    expectPick(0);
    drv.click("cmdNameSuchen");
    EXPECT_EQ(employee(), (QStringList{"Abel, Anna", "100", "EK", "Ets", "Einkauf"}));
    EXPECT_EQ(course().value(0), "K2");
    drv.click("cmdSave");
    EXPECT_EQ(shown(), "K2/Abel, Anna");
}

// The calendar opens on the field's date, two-digit years as the field reads
// them, or on today; a clicked day or Return takes the day, Esc and leaving
// keep the text, and undo restores the stored date.
TEST_P(TrainingsplanFormTest, CalendarOpensOnTheFieldsDateOrTodayAndTakesADay)
{
    openOnStandardRows();
    auto *von = drv.widget<QCalendarWidget>("MonthViewVon");
    drv.click("cmdMonthViewVon"); // usable in browse mode
    ASSERT_TRUE(von->isVisible());
    EXPECT_EQ(von->selectedDate(), QDate(2027, 2, 1));
    clickDay(von, 15);
    EXPECT_FALSE(von->isVisible());
    EXPECT_EQ(drv.text(T::Datum_von), "15.02.2027");
    EXPECT_TRUE(drv.looksLikeEditMode());
    drv.trigger("Undo");
    EXPECT_EQ(drv.text(T::Datum_von), "01.02.2027");
    EXPECT_TRUE(drv.looksLikeBrowseMode());

    auto *bis = drv.widget<QCalendarWidget>("MonthViewBis");
    const struct {
        const char *text;
        QDate shown;
    } cases[] = {{"15.03.2027", QDate(2027, 3, 15)},
                 {"31.02.2027", QDate::currentDate()},
                 {"", QDate::currentDate()},
                 {"morgen", QDate::currentDate()},
                 {"1.12.26", QDate(2026, 12, 1)}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        drv.type(T::Datum_bis, QString::fromUtf8(c.text));
        drv.click("cmdMonthViewBis");
        ASSERT_TRUE(bis->isVisible());
        EXPECT_EQ(bis->selectedDate(), c.shown);
        EXPECT_EQ(bis->monthShown(), c.shown.month());
        drv.field(T::Bemerkung)->setFocus();
        EXPECT_FALSE(bis->isVisible());
        EXPECT_EQ(drv.text(T::Datum_bis), QString::fromUtf8(c.text));
    }
    for (const auto &[key, text] : {std::pair{Qt::Key_Escape, "15.03.2027"}, std::pair{Qt::Key_Return, "16.03.2027"}}) {
        drv.type(T::Datum_bis, u"15.03.2027"_s);
        drv.click("cmdMonthViewBis");
        QWidget *focus = QApplication::focusWidget();
        ASSERT_TRUE(focus && (focus == bis || bis->isAncestorOf(focus)));
        QTest::keyClick(focus, Qt::Key_Right);
        QTest::keyClick(focus, key);
        EXPECT_FALSE(bis->isVisible()) << key;
        EXPECT_EQ(drv.text(T::Datum_bis), QLatin1String(text)) << key;
    }
}

ORV_DB_TEST_SUITE(TrainingsplanWindowTest);
ORV_SQLITE_TEST_SUITE(TrainingsplanFormTest);
