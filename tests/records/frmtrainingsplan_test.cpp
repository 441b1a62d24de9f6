#include "data/dberror.h"
#include "records/frmtrainingsplan.h"
#include "records/recorddriver.h"
#include "records/recordwindows.h"
#include "ui/format.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QListView>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTableView>
#include <QToolButton>
#include <atomic>
#include <thread>

using namespace orv;
using orv::ui::Answer;
using orv::ui::Icon;

namespace {

const QString kAai = u"Bei Quelle AAI sollte Priorität 1 gewählt werden!"_s;
const QString kPeriod = u"Bitte ggf. Datum anpassen!"_s;

// The texts of the fields a picker may touch: course side, employee side.
struct Shown {
    QStringList course, employee;
};

class TrainingsplanWindowTest : public test::RecordWindowTest {
protected:
    void open() { RecordWindowTest::open(u"frmTrainingsplan"_s); }
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
    Shown fields() const
    {
        Shown s;
        for (int i : {0, 1, 2, 3, 4})
            s.course << drv.text(i).trimmed();
        s.course << drv.comboText("cmbRubrik").trimmed() << drv.comboText("cmbArt").trimmed();
        for (int i : {5, 6, 7})
            s.employee << drv.text(i).trimmed();
        s.employee << drv.comboText("cmbKategorie").trimmed() << drv.comboText("cmbBereich").trimmed();
        return s;
    }
    // Runs the search dialog as the user: "*", then the given line (0-based)
    // with OK, or Abbrechen when line is negative.
    void expectPick(int line, int expectedLines)
    {
        prompter.expectModal([=](QDialog &d) {
            auto *expr = d.findChild<QLineEdit *>("txtExpression");
            auto *list = d.findChild<QListView *>("lstResult");
            ASSERT_TRUE(expr && list);
            QTest::keyClicks(expr, "*");
            QTest::keyClick(expr, Qt::Key_Return);
            EXPECT_EQ(list->model()->rowCount(), expectedLines);
            if (line < 0) {
                QTest::mouseClick(d.findChild<QPushButton *>("cmdCancel"), Qt::LeftButton);
                return;
            }
            const QRect r = list->visualRect(list->model()->index(line, 0));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
            QTest::mouseClick(d.findChild<QPushButton *>("cmdOK"), Qt::LeftButton);
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

} // namespace

TEST_P(TrainingsplanWindowTest, ShowsTheEntryWithTheMasterDataOfCourseAndEmployee)
{
    seed();
    open();
    EXPECT_EQ(shown(), "K1/Abel, Anna");
    EXPECT_EQ(drv.text(1).trimmed(), "Excel");
    EXPECT_EQ(drv.text(2).trimmed(), "Meier");
    EXPECT_EQ(drv.text(3), "100,00");
    EXPECT_EQ(drv.text(4), "8,0");
    EXPECT_EQ(drv.comboText("cmbRubrik").trimmed(), "IT");
    EXPECT_EQ(drv.text(6).trimmed(), "100");
    EXPECT_EQ(drv.text(7).trimmed(), "EK");
    EXPECT_EQ(drv.comboText("cmbKategorie"), "Ets");
    EXPECT_EQ(drv.comboText("cmbBereich").trimmed(), "Einkauf");
    EXPECT_EQ(drv.comboText("cmbPrioritaet"), "2");
    EXPECT_EQ(drv.comboText("cmbQuelle"), "ORV");
    EXPECT_EQ(drv.text(8), "01.02.2027");
    EXPECT_EQ(drv.text(9), "28.02.2027");
    EXPECT_EQ(drv.text(10).trimmed(), "erst");
    EXPECT_TRUE(checked("chkRechnung"));
    EXPECT_FALSE(checked("chkBeurteilung"));
    EXPECT_EQ(status(), 0);
    EXPECT_EQ(drv.sort(), "Sortierung: KursNr,Name");
    for (const char *name : {"txtFields(0)", "txtFields(5)", "cmdKursNrSuchen", "cmdNameSuchen", "txtFields(1)",
                             "cmbRubrik", "cmbBereich"})
        EXPECT_FALSE(drv.widget(QLatin1String(name))->isEnabled()) << name;
    for (const char *name : {"cmdMonthViewVon", "cmdMonthViewBis", "txtFields(8)", "cmbPrioritaet", "optStatus(3)"})
        EXPECT_TRUE(drv.widget(QLatin1String(name))->isEnabled()) << name;

    drv.trigger("Gobot");
    EXPECT_EQ(shown(), "K2/Zorn, Zeno");
    EXPECT_EQ(drv.text(1).trimmed(), "Englisch");
    EXPECT_EQ(drv.comboText("cmbKategorie"), "I/C");
    EXPECT_EQ(status(), 1);
    EXPECT_TRUE(drv.looksLikeBrowseMode());
}

TEST_P(TrainingsplanWindowTest, NewEntryStartsWithNextYearAndLooksUpAsTheKeysAreTyped)
{
    seed();
    open();
    drv.trigger("New");
    EXPECT_EQ(drv.status(), "Datensatz hinzufügen");
    EXPECT_EQ(shown(), "/");
    EXPECT_EQ(drv.text(1), "");
    EXPECT_EQ(drv.text(6), "");
    EXPECT_EQ(drv.comboText("cmbPrioritaet"), "");
    EXPECT_EQ(drv.comboText("cmbQuelle"), "");
    EXPECT_EQ(drv.text(10), "");
    EXPECT_FALSE(checked("chkRechnung"));
    EXPECT_FALSE(checked("chkBeurteilung"));
    EXPECT_EQ(status(), 0);
    EXPECT_EQ(drv.text(8), nextYear("01.01."));
    EXPECT_EQ(drv.text(9), nextYear("31.12."));
    for (const char *name : {"txtFields(0)", "txtFields(5)", "cmdKursNrSuchen", "cmdNameSuchen"})
        EXPECT_TRUE(drv.widget(QLatin1String(name))->isEnabled()) << name;

    drv.type(0, u"K2"_s);
    EXPECT_EQ(drv.text(1).trimmed(), "Englisch");
    EXPECT_EQ(drv.text(3), "250,50");
    EXPECT_EQ(drv.comboText("cmbRubrik").trimmed(), "Sprachen");
    drv.key(drv.field(0), Qt::Key_Backspace);
    EXPECT_EQ(drv.text(1), "");
    EXPECT_EQ(drv.text(3), "");
    EXPECT_EQ(drv.comboText("cmbArt"), "");
    drv.type(5, u"Zorn, Zeno"_s);
    EXPECT_EQ(drv.comboText("cmbBereich").trimmed(), "Logistik");

    expectInvalid();
    drv.click("cmdSave");
    EXPECT_EQ(drv.status(), "Die eingegebene Kurs-Nr. ist nicht vorhanden!");

    drv.click("cmdUndo");
    EXPECT_EQ(shown(), "K1/Abel, Anna");
    EXPECT_EQ(drv.text(1).trimmed(), "Excel");
    EXPECT_FALSE(drv.field(0)->isEnabled());
    EXPECT_FALSE(drv.widget("cmdNameSuchen")->isEnabled());
}

TEST_P(TrainingsplanWindowTest, ChecksInTheirOrderWithFocus)
{
    seed();
    open();
    struct Case {
        const char *kurs, *name, *prio, *quelle, *von, *bis, *message, *focus;
    };
    const Case cases[] = {
        {"", "", "9", "x", "x", "x", "Die Eingabe einer Kurs-Nr. und eines Namens ist zwingend erforderlich!",
         "txtFields(0)"},
        {"K1", " ", "", "", "01.01.2027", "02.01.2027",
         "Die Eingabe einer Kurs-Nr. und eines Namens ist zwingend erforderlich!", "txtFields(0)"},
        {"K1", "Abel, Anna", "", "", "01.01.2027", "02.01.2027", "Der eingegebene Kurs mit Name ist bereits vorhanden!",
         "txtFields(0)"},
        {"K7", "Abel, Anna", "", "", "01.01.2027", "02.01.2027", "Die eingegebene Kurs-Nr. ist nicht vorhanden!",
         "txtFields(0)"},
        {"K2", "Abel,Anna", "", "", "01.01.2027", "02.01.2027", "Der eingegebene Name ist nicht vorhanden!",
         "txtFields(5)"},
        {"K2", "Abel, Anna", "4", "", "01.01.2027", "02.01.2027", "Die eingegebene Priorität ist nicht vorhanden!",
         "cmbPrioritaet"},
        {"K2", "Abel, Anna", "1", "aai", "01.01.2027", "02.01.2027", "Die eingegebene Quelle ist nicht vorhanden!",
         "cmbQuelle"},
        {"K2", "Abel, Anna", "", "", "31.02.2027", "x", "Das Startdatum ist ungültig!", "txtFields(8)"},
        {"K2", "Abel, Anna", "", "", "01.03.2027", "", "Das Endedatum ist ungültig!", "txtFields(9)"},
        {"K2", "Abel, Anna", "", "", "02.03.2027", "01.03.2027", "Das Endedatum ist vor dem Startdatum!",
         "txtFields(9)"},
        // Two-digit years: 00 to 29 in this century, 30 to 99 in the last.
        {"K2", "Abel, Anna", "", "", "1.1.29", "31.12.30", "Das Endedatum ist vor dem Startdatum!", "txtFields(9)"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.message);
        drv.trigger("New");
        drv.type(0, QString::fromUtf8(c.kurs));
        drv.type(5, QString::fromUtf8(c.name));
        drv.type(u"cmbPrioritaet"_s, QString::fromUtf8(c.prio));
        drv.type(u"cmbQuelle"_s, QString::fromUtf8(c.quelle));
        drv.type(8, QString::fromUtf8(c.von));
        drv.type(9, QString::fromUtf8(c.bis));
        expectInvalid();
        drv.click("cmdSave");
        EXPECT_EQ(drv.status(), QString::fromUtf8(c.message));
        ASSERT_NE(drv.form()->focusWidget(), nullptr);
        EXPECT_EQ(drv.form()->focusWidget()->objectName(), c.focus);
        drv.click("cmdUndo");
    }
    EXPECT_EQ(count("Trainingsplan"), 3);

    // Equal dates, a blank priority and a blank source pass.
    drv.trigger("New");
    drv.type(0, u"K2"_s);
    drv.type(5, u"Abel, Anna"_s);
    drv.type(8, u"01.03.2027"_s);
    drv.type(9, u"01.03.2027"_s);
    drv.pick(u"cmbPrioritaet"_s, 0);
    drv.pick(u"cmbQuelle"_s, 0);
    drv.click("cmdSave");
    EXPECT_EQ(shown(), "K2/Abel, Anna");
    EXPECT_EQ(drv.status(), "");
    EXPECT_EQ(count("Trainingsplan"), 4);
    EXPECT_EQ(
        test::firstText(db(), "SELECT Quelle FROM Trainingsplan WHERE KursNr = ? AND Name = ?", {"K2", "Abel, Anna"}),
        "   ");
}

TEST_P(TrainingsplanWindowTest, WarningsAfterTheChecksDoNotStopTheSave)
{
    masterDataOnly();
    open(); // empty table: add mode at once
    struct Case {
        const char *kurs, *name, *prio, *quelle;
        int status;
        bool aai, period;
    };
    const Case cases[] = {
        {"K1", "Abel, Anna", "2", "AAI", 0, true, false},
        {"K1", "Zorn, Zeno", " ", "AAI", 0, true, false},
        {"K2", "Abel, Anna", "1", "AAI", 0, false, false},
        {"K2", "Zorn, Zeno", "1", "ORV", 1, false, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.kurs) + c.name);
        if (drv.form()->mode() != records::RecordForm::Mode::Add)
            drv.trigger("New");
        drv.type(0, QString::fromUtf8(c.kurs));
        drv.type(5, QString::fromUtf8(c.name));
        drv.type(u"cmbPrioritaet"_s, QString::fromUtf8(c.prio));
        drv.type(u"cmbQuelle"_s, QString::fromUtf8(c.quelle));
        drv.click(u"optStatus(%1)"_s.arg(c.status));
        if (c.aai)
            prompter.expectMessage(kAai, test::kCheckTitle, Icon::Exclamation);
        if (c.period)
            prompter.expectMessage(kPeriod, test::kCheckTitle, Icon::Exclamation);
        drv.click("cmdSave");
        EXPECT_TRUE(drv.looksLikeBrowseMode());
        EXPECT_EQ(shown(), QString::fromUtf8(c.kurs) + QLatin1Char('/') + QString::fromUtf8(c.name));
    }
    EXPECT_EQ(count("Trainingsplan"), 4);
    EXPECT_EQ(
        test::firstText(db(), "SELECT Status FROM Trainingsplan WHERE KursNr = ? AND Name = ?", {"K2", "Zorn, Zeno"}),
        "1");

    // Both warnings, in their order.
    drv.trigger("NewCopy");
    drv.type(5, u"O'Neill, Pat"_s);
    expectInvalid();
    drv.click("cmdSave");
    EXPECT_EQ(drv.status(), "Der eingegebene Name ist nicht vorhanden!");
    addMitarbeiter(u"O'Neill, Pat"_s, u"1"_s, u"1"_s, u"Ets"_s, u"Logistik"_s);
    drv.type(u"cmbQuelle"_s, u"AAI"_s);
    drv.type(u"cmbPrioritaet"_s, u"3"_s);
    prompter.expectMessage(kAai, test::kCheckTitle, Icon::Exclamation);
    prompter.expectMessage(kPeriod, test::kCheckTitle, Icon::Exclamation);
    drv.click("cmdSave");
    EXPECT_EQ(shown(), "K2/O'Neill, Pat");
    EXPECT_EQ(drv.text(7).trimmed(), "1");
}

// The key is the pair: a save changes the shown entry, not the other entry of its course.
TEST_P(TrainingsplanWindowTest, EditingAStoredEntryChangesThatEntryOnly)
{
    seed();
    open();
    drv.trigger("Gonext");
    ASSERT_EQ(shown(), "K2/Ärger, Udo");
    drv.click("chkBeurteilung");
    EXPECT_EQ(drv.status(), "Datensatz bearbeiten");
    EXPECT_FALSE(drv.field(0)->isEnabled());
    EXPECT_FALSE(drv.field(5)->isEnabled());
    EXPECT_FALSE(drv.widget("cmdKursNrSuchen")->isEnabled());
    drv.click("optStatus(2)");
    drv.type(8, u"5.2.27"_s); // a two-digit year
    drv.click("cmdSave");
    EXPECT_EQ(drv.status(), "");
    EXPECT_EQ(shown(), "K2/Ärger, Udo");
    EXPECT_EQ(drv.text(8), "05.02.2027");
    EXPECT_EQ(status(), 2);
    EXPECT_TRUE(checked("chkBeurteilung"));
    EXPECT_EQ(count("Trainingsplan", "Status = ? AND Beurteilung = ?", {"2", true}), 1);
    EXPECT_EQ(
        count("Trainingsplan", "Name = ? AND Status = ? AND Datum_von = ?", {"Zorn, Zeno", "1", QDate(2027, 5, 1)}), 1);
}

TEST_P(TrainingsplanWindowTest, EntryDeletedElsewhereOnSaveJumpsToTheFirst)
{
    seed();
    open();
    drv.trigger("Gobot");
    drv.type(10, u"anders"_s);
    connect().exec(u"DELETE FROM Trainingsplan WHERE KursNr = ? AND Name = ?"_s, {u"K2"_s, u"Zorn, Zeno"_s});
    prompter.expectMessage(test::kGone, u"Warnung"_s, Icon::Exclamation);
    drv.click("cmdSave");
    EXPECT_EQ(shown(), "K1/Abel, Anna");
    EXPECT_TRUE(drv.looksLikeBrowseMode());
    EXPECT_EQ(count("Trainingsplan"), 2);
}

// Another workstation deletes the course or renames the employee, in a
// transaction that commits while this window saves a new entry for them: the
// save waits for it and refuses the entry; no entry is left without its course
// or employee.
TEST_P(TrainingsplanWindowTest, ParentGoneWhileSavingIsRefusedAndLeavesNoOrphan)
{
    const struct {
        QStringList statements;
        const char *message;
    } cases[] = {
        {{"DELETE FROM Kurs WHERE KursNr = 'K2'", "DELETE FROM Trainingsplan WHERE KursNr = 'K2'"},
         "Die eingegebene Kurs-Nr. ist nicht vorhanden!"},
        {{"UPDATE Mitarbeiter SET Name = 'Zorn, Zora' WHERE Name = 'Zorn, Zeno'",
          "UPDATE Trainingsplan SET Name = 'Zorn, Zora' WHERE Name = 'Zorn, Zeno'"},
         "Der eingegebene Name ist nicht vorhanden!"},
    };
    masterDataOnly();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.message);
        open(); // no entries: the window starts in add mode
        drv.type(0, u"K2"_s);
        drv.type(5, u"Zorn, Zeno"_s);
        std::atomic<bool> holding{false};
        std::thread other([&] {
            data::Connection conn = connect();
            data::Transaction tx(conn);
            for (const QString &sql : c.statements)
                conn.exec(sql);
            holding = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            tx.commit();
        });
        while (!holding)
            std::this_thread::yield();
        expectInvalid();
        drv.click("cmdSave");
        other.join();
        EXPECT_EQ(drv.status(), QString::fromUtf8(c.message));
        EXPECT_EQ(count("Trainingsplan"), 0);
        drv.dispose();
        // Put the course and employee back for the next case.
        db().exec(u"DELETE FROM Kurs WHERE KursNr = 'K2'"_s);
        db().exec(u"DELETE FROM Mitarbeiter WHERE Name IN ('Zorn, Zeno', 'Zorn, Zora')"_s);
        addKurs(u"K2"_s, u"Sprachen"_s, u"Englisch"_s, u"E"_s);
        addMitarbeiter(u"Zorn, Zeno"_s, u"200"_s, u"AB"_s, u"I/C"_s, u"Logistik"_s);
    }
}

TEST_P(TrainingsplanWindowTest, EntriesWrittenElsewhereWithoutValuesOrStatusShowEmpty)
{
    masterDataOnly();
    db().exec(u"INSERT INTO Trainingsplan (KursNr, Name, Status) VALUES (?, ?, ?)"_s,
              {u"K1"_s, u"Zorn, Zeno"_s, u"7"_s});
    open();
    EXPECT_EQ(shown(), "K1/Zorn, Zeno");
    EXPECT_EQ(status(), -1);
    EXPECT_EQ(drv.text(8), "");
    EXPECT_EQ(drv.text(10), "");
    EXPECT_TRUE(drv.looksLikeBrowseMode());
    drv.type(8, u"01.06.2027"_s);
    drv.type(9, u"02.06.2027"_s);
    expectInvalid();
    drv.click("cmdSave");
    EXPECT_EQ(drv.status(), "Der eingegebene Status ist nicht vorhanden!");
    drv.click("optStatus(3)");
    drv.click("cmdSave");
    EXPECT_EQ(status(), 3);
    EXPECT_EQ(test::firstText(db(), "SELECT Status FROM Trainingsplan WHERE Name = ?", {"Zorn, Zeno"}), "3");
}

TEST_P(TrainingsplanWindowTest, LookupThatFailsOnTheDatabaseShowsAnErrorAndTheWindowStaysUsable)
{
    seed();
    open();
    drv.trigger("New");
    QString expected;
    {
        data::Connection other = connect();
        other.exec(u"DROP TABLE Kurs"_s);
        try {
            other.query(u"select * from Kurs where KursNr = ?"_s, {u"K"_s});
        } catch (const data::DbError &e) {
            expected = e.message(u"DatenLesenError: "_s);
        }
    }
    ASSERT_FALSE(expected.isEmpty());
    prompter.expectMessage(expected, u"ORV"_s, Icon::None);
    drv.type(0, u"K"_s);
    EXPECT_EQ(drv.text(0), "K");
    // Back on the stored entry its course cannot be read either.
    prompter.expectMessage(expected, u"ORV"_s, Icon::None);
    drv.click("cmdUndo");
    EXPECT_TRUE(drv.looksLikeBrowseMode());
}

TEST_P(TrainingsplanWindowTest, PickerButtonsAskForThePickersAndTakeTheirChoice)
{
    seed();
    open();
    auto *form = static_cast<records::FrmTrainingsplan *>(drv.form());
    QSignalSpy course(form, &records::FrmTrainingsplan::pickCourseRequested);
    QSignalSpy date(form, &records::FrmTrainingsplan::pickDateRequested);
    drv.click("cmdMonthViewBis");
    ASSERT_EQ(date.count(), 1);
    EXPECT_EQ(date.at(0).at(0).toInt(), 9);
    form->takeDate(9, QDate(2027, 3, 31));
    EXPECT_EQ(drv.text(9), "31.03.2027");
    EXPECT_EQ(drv.status(), "Datensatz bearbeiten");
    drv.click("cmdUndo");
    EXPECT_EQ(drv.text(9), "28.02.2027");

    drv.trigger("New");
    prompter.expectModal([](QDialog &d) { d.reject(); }); // the picker, cancelled
    drv.click("cmdKursNrSuchen");
    EXPECT_EQ(course.count(), 1);
    EXPECT_EQ(drv.text(0), "");
    form->takeCourse(u"K2"_s);
    form->takeEmployee(u"Abel, Anna"_s);
    EXPECT_EQ(drv.text(1).trimmed(), "Englisch");
    EXPECT_EQ(drv.comboText("cmbKategorie"), "Ets");
    drv.click("cmdSave");
    EXPECT_EQ(shown(), "K2/Abel, Anna");
}

TEST_P(TrainingsplanWindowTest, PickersFillTheirSideOnlyAndCancellingKeepsWhatWasTyped)
{
    seed();
    open();
    drv.trigger("New");
    drv.type(5, u"Zorn, Zeno"_s);
    const Shown typed = fields();
    expectPick(-1, 3);
    drv.click("cmdKursNrSuchen");
    EXPECT_EQ(fields().course, typed.course);
    expectPick(1, 3);
    drv.click("cmdKursNrSuchen");
    EXPECT_EQ(fields().course, (QStringList{"K2", "Englisch", "Smith", "250,50", "16,0", "Sprachen", "E"}));
    EXPECT_EQ(fields().employee, typed.employee);

    const Shown picked = fields();
    expectPick(-1, 3);
    drv.click("cmdNameSuchen");
    EXPECT_EQ(fields().employee, picked.employee);
    expectPick(0, 3);
    drv.click("cmdNameSuchen");
    EXPECT_EQ(fields().employee, (QStringList{"Abel, Anna", "100", "EK", "Ets", "Einkauf"}));
    EXPECT_EQ(fields().course, picked.course);
}

TEST_P(TrainingsplanWindowTest, CalendarTakesADayAndUndoRestoresTheStoredDate)
{
    seed();
    open();
    auto *von = drv.widget<QCalendarWidget>("MonthViewVon");
    EXPECT_FALSE(von->isVisible());
    drv.click("cmdMonthViewVon"); // usable in browse mode
    ASSERT_TRUE(von->isVisible());
    EXPECT_EQ(von->selectedDate(), QDate(2027, 2, 1));
    clickDay(von, 15);
    EXPECT_FALSE(von->isVisible());
    EXPECT_EQ(drv.text(8), "15.02.2027");
    EXPECT_TRUE(drv.looksLikeEditMode());
    EXPECT_EQ(drv.text(9), "28.02.2027");
    drv.trigger("Undo");
    EXPECT_EQ(drv.text(8), "01.02.2027");
    EXPECT_TRUE(drv.looksLikeBrowseMode());
}

// The calendar opens on the field's date, two-digit years as the field reads
// them, or on today; Return takes the day, Esc and leaving keep the text.
TEST_P(TrainingsplanWindowTest, CalendarOpensOnTheFieldsDateOrToday)
{
    seed();
    open();
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
        drv.type(9, QString::fromUtf8(c.text));
        drv.click("cmdMonthViewBis");
        ASSERT_TRUE(bis->isVisible());
        EXPECT_EQ(bis->selectedDate(), c.shown);
        EXPECT_EQ(bis->monthShown(), c.shown.month());
        drv.field(10)->setFocus();
        EXPECT_FALSE(bis->isVisible());
        EXPECT_EQ(drv.text(9), QString::fromUtf8(c.text));
    }
    for (const auto &[key, text] : {std::pair{Qt::Key_Escape, "15.03.2027"}, std::pair{Qt::Key_Return, "16.03.2027"}}) {
        drv.type(9, u"15.03.2027"_s);
        drv.click("cmdMonthViewBis");
        QWidget *focus = QApplication::focusWidget();
        ASSERT_TRUE(focus && (focus == bis || bis->isAncestorOf(focus)));
        QTest::keyClick(focus, Qt::Key_Right);
        QTest::keyClick(focus, key);
        EXPECT_FALSE(bis->isVisible()) << key;
        EXPECT_EQ(drv.text(9), QLatin1String(text)) << key;
    }
}

ORV_DB_TEST_SUITE(TrainingsplanWindowTest);
