#include "records/recordwindows.h"
#include "records/recorddriver.h"

using namespace orv;
using orv::ui::Answer;
using orv::ui::Icon;

namespace {

const QString kInvalid = QStringLiteral("Es wurden fehlerhafte Eingaben festgestellt!");
const QString kCheckTitle = QStringLiteral("Datenprüfung");

class MitarbeiterWindowTest : public test::DbTest {
protected:
    void TearDown() override
    {
        drv.dispose();
        test::DbTest::TearDown();
    }
    void open()
    {
        auto *form = records::openRecordWindow(QStringLiteral("frmMitarbeiter"));
        ASSERT_NE(form, nullptr);
        QApplication::setActiveWindow(form);
        drv = test::RecordDriver(form);
    }
    void twoEmployees()
    {
        addMitarbeiter(QStringLiteral("Abel, Anna"), QStringLiteral("100"), QStringLiteral("EK"),
                       QStringLiteral("Ets"), QStringLiteral("Einkauf"));
        addMitarbeiter(QStringLiteral("Zorn, Zeno"), QStringLiteral("200"), QStringLiteral("AB"),
                       QStringLiteral("I/C"), QStringLiteral("Logistik"));
    }
    void typeNew(const QString &name, const QString &kategorie, const QString &bereich)
    {
        drv.trigger(QStringLiteral("New"));
        drv.type(0, name);
        drv.type(1, QStringLiteral("1.2"));
        drv.type(QStringLiteral("cmbKategorie"), kategorie);
        drv.type(QStringLiteral("cmbBereich"), bereich);
    }
    QString shown() const { return drv.text(0).trimmed(); }

    test::RecordDriver drv{nullptr};
};

} // namespace

TEST_P(MitarbeiterWindowTest, OpensOnTheFirstEmployeeWithTheNameLocked)
{
    twoEmployees();
    open();
    EXPECT_EQ(drv.form()->windowTitle(), "Mitarbeiter");
    EXPECT_EQ(shown(), "Abel, Anna");
    EXPECT_EQ(drv.comboText("cmbKategorie"), "Ets");
    EXPECT_EQ(drv.comboText("cmbBereich").trimmed(), "Einkauf");
    EXPECT_EQ(drv.form()->size(), QSize(413, 327));
    EXPECT_FALSE(drv.action("mnuMitarbeiter")->isEnabled());
    EXPECT_TRUE(drv.action("mnuKurs")->isEnabled());
    drv.type(2, QStringLiteral("Neu"));
    EXPECT_EQ(drv.status(), "Datensatz bearbeiten");
    EXPECT_FALSE(drv.field(0)->isEnabled());
    drv.click("cmdSave");
    EXPECT_EQ(test::firstText(db(), "SELECT Abteilung FROM Mitarbeiter WHERE Name = ?", {"Abel, Anna"}).trimmed(),
              "Neu");
}

TEST_P(MitarbeiterWindowTest, ChecksInTheirOrder)
{
    twoEmployees();
    open();
    struct Case {
        const char *name, *kategorie, *bereich, *message, *focus;
    };
    const Case cases[] = {
        {"   ", "Ets", "Einkauf", "Die Eingabe eines Namens ist zwingend erforderlich!", "txtFields(0)"},
        {"Berg,Bert", "Ets", "Einkauf", "Der Name muß in der Form 'Nachname, Vorname' eingegeben werden!",
         "txtFields(0)"},
        {"Abel, Anna", "Ets", "Einkauf", "Der eingegebene Name ist bereits vorhanden!", "txtFields(0)"},
        {"Berg, Bert", "", "Einkauf", "Die Eingabe einer Kategorie ist zwingend erforderlich!", "cmbKategorie"},
        {"Berg, Bert", "ets", "Einkauf", "Die eingegebene Kategorie ist nicht vorhanden!", "cmbKategorie"},
        {"Berg, Bert", "O", " ", "Die Eingabe eines Bereiches ist zwingend erforderlich!", "cmbBereich"},
        {"Berg, Bert", "O", "einkauf", "Der eingegebene Bereich ist nicht vorhanden!", "cmbBereich"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.message);
        typeNew(QString::fromUtf8(c.name), QString::fromUtf8(c.kategorie), QString::fromUtf8(c.bereich));
        prompter.expectMessage(kInvalid, kCheckTitle, Icon::Exclamation);
        drv.click("cmdSave");
        EXPECT_EQ(drv.status(), QString::fromUtf8(c.message));
        ASSERT_NE(drv.form()->focusWidget(), nullptr);
        EXPECT_EQ(drv.form()->focusWidget()->objectName(), c.focus);
        drv.click("cmdUndo");
    }
    // Kategorie "O" typed without its blanks passes; no key filter turns the full stop into a comma.
    typeNew(QStringLiteral("Berg, Bert"), QStringLiteral("O"), QStringLiteral(" Einkauf"));
    EXPECT_EQ(drv.text(1), "1.2");
    drv.click("cmdSave");
    EXPECT_EQ(shown(), "Berg, Bert");
    EXPECT_EQ(test::firstText(db(), "SELECT Kategorie FROM Mitarbeiter WHERE Name = ?", {"Berg, Bert"}), "O  ");
    EXPECT_EQ(test::firstText(db(), "SELECT Bereich FROM Mitarbeiter WHERE Name = ?", {"Berg, Bert"}),
              QStringLiteral(" Einkauf").leftJustified(30));
    EXPECT_EQ(count("Mitarbeiter"), 3);
}

TEST_P(MitarbeiterWindowTest, SortCycleGoesThroughFiveColumnsAndKeepsTheEmployee)
{
    twoEmployees();
    open();
    drv.trigger("Gobot");
    for (const char *col : {"Kostenstelle", "Abteilung", "Kategorie", "Bereich", "Name"}) {
        drv.trigger("Sort");
        EXPECT_EQ(drv.sort(), QStringLiteral("Sortierung: ") + QLatin1String(col));
        EXPECT_EQ(shown(), "Zorn, Zeno");
    }
    drv.trigger("Sort");
    drv.trigger("Sort"); // Abteilung: AB (Zorn) before EK (Abel)
    drv.trigger("Gotop");
    EXPECT_EQ(shown(), "Zorn, Zeno");
}

TEST_P(MitarbeiterWindowTest, DeletingAnEmployeeRemovesTheEmployeesEntriesOnly)
{
    twoEmployees();
    addMitarbeiter(QStringLiteral("O'Neill, Pat"), QStringLiteral("300"), QStringLiteral("IT"), QStringLiteral("O  "),
                   QStringLiteral("Werkleitung"));
    addKurs(QStringLiteral("K1"), QStringLiteral("IT"), QStringLiteral("Excel"), QStringLiteral("I"));
    addKurs(QStringLiteral("K2"), QStringLiteral("IT"), QStringLiteral("Word"), QStringLiteral("I"));
    addPlan(QStringLiteral("K1"), QStringLiteral("O'Neill, Pat"));
    addPlan(QStringLiteral("K2"), QStringLiteral("O'Neill, Pat"));
    addPlan(QStringLiteral("K1"), QStringLiteral("Zorn, Zeno"));
    open();
    drv.trigger("Gonext");
    ASSERT_EQ(shown(), "O'Neill, Pat");
    prompter.expectMessage(QStringLiteral("Datensatz mit zugeordneten Kursen wirklich löschen?"),
                           QStringLiteral("Löschen"), Icon::Question, Answer::Yes);
    drv.trigger("Delete");
    EXPECT_EQ(count("Mitarbeiter"), 2);
    EXPECT_EQ(count("Trainingsplan", "Name = ?", {"O'Neill, Pat"}), 0);
    EXPECT_EQ(count("Trainingsplan"), 1);
    EXPECT_EQ(shown(), "Zorn, Zeno");
}

TEST_P(MitarbeiterWindowTest, NewWithCopyRefusesTheSameName)
{
    twoEmployees();
    open();
    drv.trigger("NewCopy");
    EXPECT_EQ(shown(), "Abel, Anna");
    prompter.expectMessage(kInvalid, kCheckTitle, Icon::Exclamation);
    drv.click("cmdSave");
    EXPECT_EQ(drv.status(), "Der eingegebene Name ist bereits vorhanden!");
    drv.type(0, QStringLiteral("Abel, Berta"));
    drv.click("cmdSave");
    EXPECT_EQ(shown(), "Abel, Berta");
    EXPECT_EQ(test::firstText(db(), "SELECT Bereich FROM Mitarbeiter WHERE Name = ?", {"Abel, Berta"}).trimmed(),
              "Einkauf");
}

ORV_DB_TEST_SUITE(MitarbeiterWindowTest);
