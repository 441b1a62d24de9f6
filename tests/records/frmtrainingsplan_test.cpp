#include "data/dberror.h"
#include "records/frmtrainingsplan.h"
#include "records/recordwindows.h"
#include "records/recorddriver.h"
#include "ui/format.h"

#include <QCheckBox>
#include <QRadioButton>
#include <QSignalSpy>
#include <QToolButton>
#include <atomic>
#include <thread>

using namespace orv;
using orv::ui::Answer;
using orv::ui::Icon;

namespace {

const QString kInvalid = QStringLiteral("Es wurden fehlerhafte Eingaben festgestellt!");
const QString kCheckTitle = QStringLiteral("Datenprüfung");
const QString kAai = QStringLiteral("Bei Quelle AAI sollte Priorität 1 gewählt werden!");
const QString kPeriod = QStringLiteral("Bitte ggf. Datum anpassen!");

class TrainingsplanWindowTest : public test::DbTest {
protected:
    void SetUp() override
    {
        test::DbTest::SetUp();
        addKurs(QStringLiteral("K1"), QStringLiteral("IT"), QStringLiteral("Excel"), QStringLiteral("I"),
                QStringLiteral("Meier"), 100, 8);
        addKurs(QStringLiteral("K2"), QStringLiteral("Sprachen"), QStringLiteral("Englisch"), QStringLiteral("E"),
                QStringLiteral("Smith"), 250.5, 16);
        addMitarbeiter(QStringLiteral("Abel, Anna"), QStringLiteral("100"), QStringLiteral("EK"),
                       QStringLiteral("Ets"), QStringLiteral("Einkauf"));
        addMitarbeiter(QStringLiteral("Zorn, Zeno"), QStringLiteral("200"), QStringLiteral("AB"),
                       QStringLiteral("I/C"), QStringLiteral("Logistik"));
    }
    void TearDown() override
    {
        drv.dispose();
        test::DbTest::TearDown();
    }
    void twoEntries()
    {
        addPlan(QStringLiteral("K1"), QStringLiteral("Abel, Anna"), QStringLiteral("0"), QDate(2027, 2, 1),
                QDate(2027, 2, 28), QStringLiteral("2"), QStringLiteral("ORV"), true, false, QStringLiteral("erst"));
        addPlan(QStringLiteral("K2"), QStringLiteral("Zorn, Zeno"), QStringLiteral("1"), QDate(2027, 5, 1),
                QDate(2027, 5, 3), QStringLiteral("1"), QStringLiteral("AAI"), false, true);
    }
    void open()
    {
        auto *form = records::openRecordWindow(QStringLiteral("frmTrainingsplan"));
        ASSERT_NE(form, nullptr);
        QApplication::setActiveWindow(form);
        drv = test::RecordDriver(form);
    }
    QString pair() const { return drv.text(0).trimmed() + QLatin1Char('/') + drv.text(5).trimmed(); }
    bool checked(const QString &name) const { return drv.widget<QAbstractButton>(name)->isChecked(); }
    int status() const
    {
        for (int i = 0; i < 4; ++i)
            if (checked(QStringLiteral("optStatus(%1)").arg(i)))
                return i;
        return -1;
    }
    static QString nextYear(const char *dayMonth)
    {
        return QLatin1String(dayMonth) + QString::number(QDate::currentDate().year() + 1);
    }

    test::RecordDriver drv{nullptr};
};

} // namespace

TEST_P(TrainingsplanWindowTest, ShowsTheEntryWithTheMasterDataOfCourseAndEmployee)
{
    twoEntries();
    open();
    EXPECT_EQ(drv.form()->windowTitle(), "Trainingsplan");
    EXPECT_EQ(drv.form()->size(), QSize(720, 580));
    EXPECT_EQ(pair(), "K1/Abel, Anna");
    EXPECT_EQ(drv.text(1).trimmed(), "Excel");
    EXPECT_EQ(drv.text(2).trimmed(), "Meier");
    EXPECT_EQ(drv.text(3), "100,00");
    EXPECT_EQ(drv.text(4), "8,0");
    EXPECT_EQ(drv.comboText("cmbRubrik").trimmed(), "IT");
    EXPECT_EQ(drv.comboText("cmbArt"), "I");
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

    drv.trigger("Gonext");
    EXPECT_EQ(pair(), "K2/Zorn, Zeno");
    EXPECT_EQ(drv.text(1).trimmed(), "Englisch");
    EXPECT_EQ(drv.comboText("cmbKategorie"), "I/C");
    EXPECT_EQ(status(), 1);
    EXPECT_TRUE(drv.looksLikeBrowseMode());
}

TEST_P(TrainingsplanWindowTest, NewEntryStartsWithNextYearAndLooksUpAsTheKeysAreTyped)
{
    twoEntries();
    open();
    drv.trigger("New");
    EXPECT_EQ(drv.status(), "Datensatz hinzufügen");
    EXPECT_EQ(pair(), "/");
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

    drv.type(0, QStringLiteral("K2"));
    EXPECT_EQ(drv.text(1).trimmed(), "Englisch");
    EXPECT_EQ(drv.text(3), "250,50");
    EXPECT_EQ(drv.comboText("cmbRubrik").trimmed(), "Sprachen");
    drv.key(drv.field(0), Qt::Key_Backspace);
    EXPECT_EQ(drv.text(1), "");
    EXPECT_EQ(drv.text(3), "");
    EXPECT_EQ(drv.comboText("cmbArt"), "");
    drv.type(5, QStringLiteral("Zorn, Zeno"));
    EXPECT_EQ(drv.comboText("cmbBereich").trimmed(), "Logistik");

    prompter.expectMessage(kInvalid, kCheckTitle, Icon::Exclamation);
    drv.click("cmdSave");
    EXPECT_EQ(drv.status(), "Die eingegebene Kurs-Nr. ist nicht vorhanden!");

    drv.click("cmdUndo");
    EXPECT_EQ(pair(), "K1/Abel, Anna");
    EXPECT_EQ(drv.text(1).trimmed(), "Excel");
    EXPECT_FALSE(drv.field(0)->isEnabled());
    EXPECT_FALSE(drv.widget("cmdNameSuchen")->isEnabled());
}

TEST_P(TrainingsplanWindowTest, ChecksInTheirOrderWithFocus)
{
    twoEntries();
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
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.message);
        drv.trigger("New");
        drv.type(0, QString::fromUtf8(c.kurs));
        drv.type(5, QString::fromUtf8(c.name));
        drv.type(QStringLiteral("cmbPrioritaet"), QString::fromUtf8(c.prio));
        drv.type(QStringLiteral("cmbQuelle"), QString::fromUtf8(c.quelle));
        drv.type(8, QString::fromUtf8(c.von));
        drv.type(9, QString::fromUtf8(c.bis));
        prompter.expectMessage(kInvalid, kCheckTitle, Icon::Exclamation);
        drv.click("cmdSave");
        EXPECT_EQ(drv.status(), QString::fromUtf8(c.message));
        ASSERT_NE(drv.form()->focusWidget(), nullptr);
        EXPECT_EQ(drv.form()->focusWidget()->objectName(), c.focus);
        drv.click("cmdUndo");
    }
    EXPECT_EQ(count("Trainingsplan"), 2);

    // Equal dates, a blank priority and a blank source pass.
    drv.trigger("New");
    drv.type(0, QStringLiteral("K2"));
    drv.type(5, QStringLiteral("Abel, Anna"));
    drv.type(8, QStringLiteral("01.03.2027"));
    drv.type(9, QStringLiteral("01.03.2027"));
    drv.pick(QStringLiteral("cmbPrioritaet"), 0);
    drv.pick(QStringLiteral("cmbQuelle"), 0);
    drv.click("cmdSave");
    EXPECT_EQ(pair(), "K2/Abel, Anna");
    EXPECT_EQ(drv.status(), "");
    EXPECT_EQ(count("Trainingsplan"), 3);
    EXPECT_EQ(test::firstText(db(), "SELECT Quelle FROM Trainingsplan WHERE KursNr = ? AND Name = ?",
                              {"K2", "Abel, Anna"}),
              "   ");
}

TEST_P(TrainingsplanWindowTest, WarningsAfterTheChecksDoNotStopTheSave)
{
    open(); // empty table: add mode at once
    struct Case {
        const char *kurs, *name, *prio, *quelle;
        int status;
        bool aai, period;
    };
    const Case cases[] = {
        {"K1", "Abel, Anna", "2", "AAI", 0, true, false},  {"K1", "Zorn, Zeno", " ", "AAI", 0, true, false},
        {"K2", "Abel, Anna", "1", "AAI", 0, false, false}, {"K2", "Zorn, Zeno", "1", "ORV", 1, false, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.kurs) + c.name);
        if (drv.form()->mode() != records::RecordForm::Mode::Add)
            drv.trigger("New");
        drv.type(0, QString::fromUtf8(c.kurs));
        drv.type(5, QString::fromUtf8(c.name));
        drv.type(QStringLiteral("cmbPrioritaet"), QString::fromUtf8(c.prio));
        drv.type(QStringLiteral("cmbQuelle"), QString::fromUtf8(c.quelle));
        drv.click(QStringLiteral("optStatus(%1)").arg(c.status));
        if (c.aai)
            prompter.expectMessage(kAai, kCheckTitle, Icon::Exclamation);
        if (c.period)
            prompter.expectMessage(kPeriod, kCheckTitle, Icon::Exclamation);
        drv.click("cmdSave");
        EXPECT_TRUE(drv.looksLikeBrowseMode());
        EXPECT_EQ(pair(), QString::fromUtf8(c.kurs) + QLatin1Char('/') + QString::fromUtf8(c.name));
    }
    EXPECT_EQ(count("Trainingsplan"), 4);
    EXPECT_EQ(test::firstText(db(), "SELECT Status FROM Trainingsplan WHERE KursNr = ? AND Name = ?",
                              {"K2", "Zorn, Zeno"}),
              "1");

    // Both warnings, in their order.
    drv.trigger("NewCopy");
    drv.type(5, QStringLiteral("O'Neill, Pat"));
    prompter.expectMessage(kInvalid, kCheckTitle, Icon::Exclamation);
    drv.click("cmdSave");
    EXPECT_EQ(drv.status(), "Der eingegebene Name ist nicht vorhanden!");
    addMitarbeiter(QStringLiteral("O'Neill, Pat"), QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("Ets"),
                   QStringLiteral("Logistik"));
    drv.type(QStringLiteral("cmbQuelle"), QStringLiteral("AAI"));
    drv.type(QStringLiteral("cmbPrioritaet"), QStringLiteral("3"));
    prompter.expectMessage(kAai, kCheckTitle, Icon::Exclamation);
    prompter.expectMessage(kPeriod, kCheckTitle, Icon::Exclamation);
    drv.click("cmdSave");
    EXPECT_EQ(pair(), "K2/O'Neill, Pat");
    EXPECT_EQ(drv.text(7).trimmed(), "1");
}

TEST_P(TrainingsplanWindowTest, NewWithCopyIsADuplicateUntilTheEmployeeChanges)
{
    twoEntries();
    open();
    drv.trigger("NewCopy");
    EXPECT_EQ(pair(), "K1/Abel, Anna");
    EXPECT_EQ(drv.text(1).trimmed(), "Excel");
    EXPECT_TRUE(checked("chkRechnung"));
    prompter.expectMessage(kInvalid, kCheckTitle, Icon::Exclamation);
    drv.click("cmdSave");
    EXPECT_EQ(drv.status(), "Der eingegebene Kurs mit Name ist bereits vorhanden!");
    drv.type(5, QStringLiteral("Zorn, Zeno"));
    drv.click("cmdSave");
    EXPECT_EQ(pair(), "K1/Zorn, Zeno");
    EXPECT_EQ(count("Trainingsplan"), 3);
    EXPECT_EQ(test::firstText(db(), "SELECT Bemerkung FROM Trainingsplan WHERE KursNr = ? AND Name = ?",
                              {"K1", "Zorn, Zeno"})
                  .trimmed(),
              "erst");
    // Saved in the middle of the order and shown there.
    drv.trigger("Gonext");
    EXPECT_EQ(pair(), "K2/Zorn, Zeno");
}

TEST_P(TrainingsplanWindowTest, EditingAStoredEntryKeepsItsPair)
{
    twoEntries();
    open();
    drv.click("chkBeurteilung");
    EXPECT_EQ(drv.status(), "Datensatz bearbeiten");
    EXPECT_FALSE(drv.field(0)->isEnabled());
    EXPECT_FALSE(drv.field(5)->isEnabled());
    EXPECT_FALSE(drv.widget("cmdKursNrSuchen")->isEnabled());
    drv.click("optStatus(2)");
    drv.type(8, QStringLiteral("5.2.2027"));
    drv.click("cmdSave");
    EXPECT_EQ(drv.status(), "");
    EXPECT_EQ(pair(), "K1/Abel, Anna");
    EXPECT_EQ(drv.text(8), "05.02.2027");
    EXPECT_EQ(status(), 2);
    EXPECT_TRUE(checked("chkBeurteilung"));
    EXPECT_EQ(count("Trainingsplan", "Status = ? AND Beurteilung = ?", {"2", true}), 1);
}

TEST_P(TrainingsplanWindowTest, SortCycleOverColumnListsKeepsTheEntry)
{
    twoEntries();
    addPlan(QStringLiteral("K2"), QStringLiteral("Abel, Anna"), QStringLiteral("3"));
    open();
    drv.trigger("Gonext");
    ASSERT_EQ(pair(), "K2/Abel, Anna");
    for (const char *sort : {"Name,KursNr", "Prioritaet,KursNr,Name", "Quelle,KursNr,Name", "Status,KursNr,Name",
                             "KursNr,Name"}) {
        drv.trigger("Sort");
        EXPECT_EQ(drv.sort(), QStringLiteral("Sortierung: ") + QLatin1String(sort));
        EXPECT_EQ(pair(), "K2/Abel, Anna") << sort;
    }
    drv.trigger("Sort"); // Name,KursNr: Abel K1, Abel K2, Zorn K2
    drv.trigger("Gobot");
    EXPECT_EQ(pair(), "K2/Zorn, Zeno");
    drv.trigger("Goprev");
    EXPECT_EQ(pair(), "K2/Abel, Anna");
}

TEST_P(TrainingsplanWindowTest, EntryDeletedElsewhereOnSaveJumpsToTheFirst)
{
    twoEntries();
    open();
    drv.trigger("Gobot");
    drv.type(10, QStringLiteral("anders"));
    {
        data::Connection other = connect();
        other.exec(QStringLiteral("DELETE FROM Trainingsplan WHERE KursNr = ? AND Name = ?"),
                   {QStringLiteral("K2"), QStringLiteral("Zorn, Zeno")});
    }
    prompter.expectMessage(
        QStringLiteral("Der Datensatz wurde von einem anderem User gelöscht, es wird an den Anfang gesprungen!"),
        QStringLiteral("Warnung"), Icon::Exclamation);
    drv.click("cmdSave");
    EXPECT_EQ(pair(), "K1/Abel, Anna");
    EXPECT_TRUE(drv.looksLikeBrowseMode());
    EXPECT_EQ(count("Trainingsplan"), 1);

    prompter.expectMessage(QStringLiteral("Datensatz wirklich löschen?"), QStringLiteral("Löschen"), Icon::Question,
                           Answer::Yes);
    prompter.expectMessage(QStringLiteral("Der letzte Datensatz wurde gelöscht!"), QStringLiteral("Warnung"),
                           Icon::Exclamation);
    drv.trigger("Delete");
    EXPECT_FALSE(drv.isOpen());
    EXPECT_EQ(count("Trainingsplan"), 0);
    EXPECT_EQ(count("Kurs"), 2);
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
    for (const auto &c : cases) {
        SCOPED_TRACE(c.message);
        open(); // no entries: the window starts in add mode
        drv.type(0, QStringLiteral("K2"));
        drv.type(5, QStringLiteral("Zorn, Zeno"));
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
        prompter.expectMessage(kInvalid, kCheckTitle, Icon::Exclamation);
        drv.click("cmdSave");
        other.join();
        EXPECT_EQ(drv.status(), QString::fromUtf8(c.message));
        EXPECT_EQ(count("Trainingsplan"), 0);
        drv.dispose();
        // Put the course and employee back for the next case.
        db().exec(QStringLiteral("DELETE FROM Kurs WHERE KursNr = 'K2'"));
        db().exec(QStringLiteral("DELETE FROM Mitarbeiter WHERE Name IN ('Zorn, Zeno', 'Zorn, Zora')"));
        addKurs(QStringLiteral("K2"), QStringLiteral("Sprachen"), QStringLiteral("Englisch"), QStringLiteral("E"));
        addMitarbeiter(QStringLiteral("Zorn, Zeno"), QStringLiteral("200"), QStringLiteral("AB"),
                       QStringLiteral("I/C"), QStringLiteral("Logistik"));
    }
}

TEST_P(TrainingsplanWindowTest, EntriesWrittenElsewhereWithoutValuesOrStatusShowEmpty)
{
    db().exec(QStringLiteral("INSERT INTO Trainingsplan (KursNr, Name, Status) VALUES (?, ?, ?)"),
              {QStringLiteral("K1"), QStringLiteral("Zorn, Zeno"), QStringLiteral("7")});
    open();
    EXPECT_EQ(pair(), "K1/Zorn, Zeno");
    EXPECT_EQ(status(), -1);
    EXPECT_EQ(drv.text(8), "");
    EXPECT_EQ(drv.text(10), "");
    EXPECT_TRUE(drv.looksLikeBrowseMode());
    drv.type(8, QStringLiteral("01.06.2027"));
    drv.type(9, QStringLiteral("02.06.2027"));
    prompter.expectMessage(kInvalid, kCheckTitle, Icon::Exclamation);
    drv.click("cmdSave");
    EXPECT_EQ(drv.status(), "Der eingegebene Status ist nicht vorhanden!");
    drv.click("optStatus(3)");
    drv.click("cmdSave");
    EXPECT_EQ(status(), 3);
    EXPECT_EQ(test::firstText(db(), "SELECT Status FROM Trainingsplan WHERE Name = ?", {"Zorn, Zeno"}), "3");
}

TEST_P(TrainingsplanWindowTest, LookupThatFailsOnTheDatabaseShowsAnErrorAndTheWindowStaysUsable)
{
    twoEntries();
    open();
    drv.trigger("New");
    QString expected;
    {
        data::Connection other = connect();
        other.exec(QStringLiteral("DROP TABLE Kurs"));
        try {
            other.query(QStringLiteral("select * from Kurs where KursNr = ?"), {QStringLiteral("K")});
        } catch (const data::DbError &e) {
            expected = e.message(QStringLiteral("DatenLesenError: "));
        }
    }
    ASSERT_FALSE(expected.isEmpty());
    prompter.expectMessage(expected, QStringLiteral("ORV"), Icon::None);
    drv.type(0, QStringLiteral("K"));
    EXPECT_EQ(drv.text(0), "K");
    // Back on the stored entry its course cannot be read either.
    prompter.expectMessage(expected, QStringLiteral("ORV"), Icon::None);
    drv.click("cmdUndo");
    EXPECT_TRUE(drv.looksLikeBrowseMode());
}

TEST_P(TrainingsplanWindowTest, PickerButtonsAskForThePickersAndTakeTheirChoice)
{
    twoEntries();
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
    form->takeCourse(QStringLiteral("K2"));
    form->takeEmployee(QStringLiteral("Abel, Anna"));
    EXPECT_EQ(drv.text(1).trimmed(), "Englisch");
    EXPECT_EQ(drv.comboText("cmbKategorie"), "Ets");
    drv.click("cmdSave");
    EXPECT_EQ(pair(), "K2/Abel, Anna");
}

ORV_DB_TEST_SUITE(TrainingsplanWindowTest);
