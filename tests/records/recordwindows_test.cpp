#include "records/recorddriver.h"

using namespace orv;
using orv::ui::Answer;
using orv::ui::Icon;

namespace {

class RecordWindowsTest : public test::RecordWindowTest {};

struct Window {
    const char *name;
    const char *second; // the key of the second row in the first sort order
};
const Window kWindows[] = {{"frmKurs", "K2"}, {"frmMitarbeiter", "Ärger, Udo"}, {"frmTrainingsplan", "K2/Ärger, Udo"}};

} // namespace

TEST_P(RecordWindowsTest, SortCycleKeepsTheShownRowAndReordersTheRest)
{
    seed();
    const struct {
        QStringList cycle;
        int sorts;      // sorts from the start before "go"
        const char *go; // a move in that order and the row it reaches
        const char *reached;
    } cases[] = {
        {{"Rubrik", "Beschreibung", "Art", "Referent", "Kosten", "Dauer", "KursNr"}, 2, "Gotop", "K3"},
        {{"Kostenstelle", "Abteilung", "Kategorie", "Bereich", "Name"}, 2, "Gotop", "Zorn, Zeno"},
        {{"Name,KursNr", "Prioritaet,KursNr,Name", "Quelle,KursNr,Name", "Status,KursNr,Name", "KursNr,Name"},
         4,
         "Gobot",
         "K2/Ärger, Udo"},
    };
    for (int w = 0; w < 3; ++w) {
        SCOPED_TRACE(kWindows[w].name);
        open(QString::fromUtf8(kWindows[w].name));
        drv.trigger("Gonext");
        for (const QString &col : cases[w].cycle) {
            drv.trigger("Sort");
            EXPECT_EQ(drv.sort(), "Sortierung: " + col);
            EXPECT_EQ(shown(), QString::fromUtf8(kWindows[w].second)) << col.toStdString();
        }
        for (int i = 0; i < cases[w].sorts; ++i)
            drv.trigger("mnuSort");
        drv.trigger(QString::fromUtf8(cases[w].go));
        EXPECT_EQ(shown(), QString::fromUtf8(cases[w].reached));
        drv.dispose();
    }
}

TEST_P(RecordWindowsTest, NewWithCopyIsRefusedAsDuplicateUntilTheKeyChanges)
{
    seed();
    const struct {
        int field;
        const char *message, *key, *saved, *sql, *copied;
    } cases[] = {
        {0, "Die eingegebene Kurs-Nr. ist bereits vorhanden!", "K1b", "K1b",
         "SELECT Beschreibung FROM Kurs WHERE KursNr = 'K1b'", "Excel"},
        {0, "Der eingegebene Name ist bereits vorhanden!", "Abel, Berta", "Abel, Berta",
         "SELECT Bereich FROM Mitarbeiter WHERE Name = 'Abel, Berta'", "Einkauf"},
        {5, "Der eingegebene Kurs mit Name ist bereits vorhanden!", "Zorn, Zeno", "K1/Zorn, Zeno",
         "SELECT Bemerkung FROM Trainingsplan WHERE KursNr = 'K1' AND Name = 'Zorn, Zeno'", "erst"},
    };
    for (int w = 0; w < 3; ++w) {
        SCOPED_TRACE(kWindows[w].name);
        const auto &c = cases[w];
        open(QString::fromUtf8(kWindows[w].name));
        const QString first = shown();
        drv.trigger("NewCopy");
        EXPECT_EQ(drv.status(), "Datensatz hinzufügen");
        EXPECT_EQ(shown(), first);
        expectInvalid();
        drv.click("cmdSave");
        EXPECT_EQ(drv.status(), QString::fromUtf8(c.message));
        drv.type(c.field, QString::fromUtf8(c.key));
        drv.click("cmdSave");
        EXPECT_EQ(shown(), QString::fromUtf8(c.saved));
        EXPECT_EQ(test::firstText(db(), QString::fromUtf8(c.sql)).trimmed(), QString::fromUtf8(c.copied));
        drv.dispose();
    }
}

// A course or employee goes with its entries; an entry goes alone, whatever
// other entry shares its course.
TEST_P(RecordWindowsTest, DeleteTakesTheEntriesOfTheRowAndNothingElse)
{
    seed();
    const struct {
        const char *question, *table, *next;
        QStringList left; // the entries that stay, KursNr/Name
    } cases[] = {
        {"Datensatz mit zugeordneten Kursen wirklich löschen?", "Kurs", "K3", {"K1/Abel, Anna"}},
        {"Datensatz mit zugeordneten Kursen wirklich löschen?",
         "Mitarbeiter",
         "Zorn, Zeno",
         {"K1/Abel, Anna", "K2/Zorn, Zeno"}},
        {"Datensatz wirklich löschen?", "Trainingsplan", "K2/Zorn, Zeno", {"K1/Abel, Anna", "K2/Zorn, Zeno"}},
    };
    for (int w = 0; w < 3; ++w) {
        SCOPED_TRACE(kWindows[w].name);
        const auto &c = cases[w];
        db().exec(u"DELETE FROM Trainingsplan"_s);
        db().exec(u"DELETE FROM Mitarbeiter"_s);
        db().exec(u"DELETE FROM Kurs"_s);
        seed();
        const qint64 before = count(QString::fromUtf8(c.table));
        open(QString::fromUtf8(kWindows[w].name));
        drv.trigger("Gonext");
        prompter.expectMessage(QString::fromUtf8(c.question), u"Löschen"_s, Icon::Question, Answer::No);
        drv.trigger("Delete");
        EXPECT_EQ(prompter.last().defaultButton, Answer::No);
        EXPECT_EQ(count(QString::fromUtf8(c.table)), before);
        prompter.expectMessage(QString::fromUtf8(c.question), u"Löschen"_s, Icon::Question, Answer::Yes);
        drv.trigger("mnuDelete");
        EXPECT_EQ(count(QString::fromUtf8(c.table)), before - 1);
        EXPECT_EQ(rows(u"SELECT KursNr, Name FROM Trainingsplan ORDER BY KursNr, Name"_s), c.left);
        EXPECT_EQ(shown(), QString::fromUtf8(c.next));
        EXPECT_EQ(prompter.beeps(), 0);
        drv.dispose();
    }
}

TEST_P(RecordWindowsTest, EmptyTableOpensInAddModeAndUndoClosesTheWindow)
{
    for (const Window &w : kWindows) {
        SCOPED_TRACE(w.name);
        open(QString::fromUtf8(w.name));
        EXPECT_EQ(drv.status(), "Datensatz hinzufügen");
        EXPECT_TRUE(drv.field(0)->isEnabled());
        drv.click("cmdUndo");
        EXPECT_FALSE(drv.isOpen());
        EXPECT_EQ(drv.sort(), "");
    }
}

TEST_P(RecordWindowsTest, EmployeeChecksInTheirOrder)
{
    seed();
    open(u"frmMitarbeiter"_s);
    const auto typeNew = [this](const char *name, const char *kategorie, const char *bereich) {
        drv.trigger(u"New"_s);
        drv.type(0, QString::fromUtf8(name));
        drv.type(1, u"1.2"_s);
        drv.type(u"cmbKategorie"_s, QString::fromUtf8(kategorie));
        drv.type(u"cmbBereich"_s, QString::fromUtf8(bereich));
    };
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
        typeNew(c.name, c.kategorie, c.bereich);
        expectInvalid();
        drv.click("cmdSave");
        EXPECT_EQ(drv.status(), QString::fromUtf8(c.message));
        ASSERT_NE(focused(), nullptr);
        EXPECT_EQ(focused()->objectName(), c.focus);
        drv.click("cmdUndo");
    }
    // Kategorie "O" typed without its blanks passes; no key filter turns the full stop into a comma.
    typeNew("Berg, Bert", "O", " Einkauf");
    EXPECT_EQ(drv.text(1), "1.2");
    drv.click("cmdSave");
    EXPECT_EQ(shown(), "Berg, Bert");
    EXPECT_EQ(test::firstText(db(), "SELECT Kategorie FROM Mitarbeiter WHERE Name = ?", {"Berg, Bert"}), "O  ");
    EXPECT_EQ(test::firstText(db(), "SELECT Bereich FROM Mitarbeiter WHERE Name = ?", {"Berg, Bert"}),
              u" Einkauf"_s.leftJustified(30));
}

ORV_DB_TEST_SUITE(RecordWindowsTest);
