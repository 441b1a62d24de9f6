#include "records/recorddriver.h"

#include <QAccessible>

using namespace orv;
using orv::ui::Answer;
using K = orv::records::FrmKurs;
using M = orv::records::FrmMitarbeiter;
using T = orv::records::FrmTrainingsplan;

namespace {

class RecordWindowsTest : public test::RecordWindowTest {};

const ui::WindowId kWindows[] = {ui::WindowId::Kurs, ui::WindowId::Mitarbeiter, ui::WindowId::Trainingsplan};
// The key of the second row in the first sort order.
const QString kSecond[] = {u"K2"_s, u"Ärger, Udo"_s, u"K2/Ärger, Udo"_s};

} // namespace

TEST_P(RecordWindowsTest, SortCycleKeepsTheShownRowAndReordersTheRest)
{
    seed();
    const struct {
        QStringList cycle;
        int sorts;  // sorts from the start before "go"
        QString go; // a move in that order and the row it reaches
        QString reached;
    } cases[] = {
        {{"Rubrik", "Beschreibung", "Art", "Referent", "Kosten", "Dauer", "KursNr"}, 2, "Gotop", "K3"},
        {{"Kostenstelle", "Abteilung", "Kategorie", "Bereich", "Name"}, 2, "Gotop", "Zorn, Zeno"},
        {{"Name,KursNr", "Prioritaet,KursNr,Name", "Quelle,KursNr,Name", "Status,KursNr,Name", "KursNr,Name"},
         4,
         "Gobot",
         "K2/Ärger, Udo"},
    };
    for (int w = 0; w < 3; ++w) {
        SCOPED_TRACE(ui::windowName(kWindows[w]).objectName);
        open(kWindows[w]);
        drv.trigger("Gonext");
        for (const QString &col : cases[w].cycle) {
            drv.trigger("Sort");
            EXPECT_EQ(drv.sort(), "Sortierung: " + col);
            EXPECT_EQ(shown(), kSecond[w]) << col.toStdString();
        }
        for (int i = 0; i < cases[w].sorts; ++i)
            drv.trigger("mnuSort");
        drv.trigger(cases[w].go);
        EXPECT_EQ(shown(), cases[w].reached);
        drv.dispose();
    }
}

TEST_P(RecordWindowsTest, NewWithCopyIsRefusedAsDuplicateUntilTheKeyChanges)
{
    seed();
    const struct {
        QString field, message, key, saved, sql, copied;
    } cases[] = {
        {test::fieldName(K::KursNr), "Die eingegebene Kurs-Nr. ist bereits vorhanden!", "K1b", "K1b",
         "SELECT Beschreibung FROM Kurs WHERE KursNr = 'K1b'", "Excel"},
        {test::fieldName(M::Name), "Der eingegebene Name ist bereits vorhanden!", "Abel, Berta", "Abel, Berta",
         "SELECT Bereich FROM Mitarbeiter WHERE Name = 'Abel, Berta'", "Einkauf"},
        {test::fieldName(T::Name), "Der eingegebene Kurs mit Name ist bereits vorhanden!", "Zorn, Zeno",
         "K1/Zorn, Zeno", "SELECT Bemerkung FROM Trainingsplan WHERE KursNr = 'K1' AND Name = 'Zorn, Zeno'", "erst"},
    };
    for (int w = 0; w < 3; ++w) {
        SCOPED_TRACE(ui::windowName(kWindows[w]).objectName);
        const auto &c = cases[w];
        open(kWindows[w]);
        const QString first = shown();
        drv.trigger("NewCopy");
        EXPECT_EQ(drv.status(), "Datensatz hinzufügen");
        EXPECT_EQ(shown(), first);
        expectInvalid();
        drv.click("cmdSave");
        EXPECT_EQ(drv.status(), c.message);
        drv.type(drv.widget<QLineEdit>(c.field), c.key);
        drv.click("cmdSave");
        EXPECT_EQ(shown(), c.saved);
        EXPECT_EQ(value(c.sql), c.copied);
        drv.dispose();
    }
}

// A course or employee goes with its entries; an entry goes alone, whatever
// other entry shares its course.
TEST_P(RecordWindowsTest, DeleteTakesTheEntriesOfTheRowAndNothingElse)
{
    const struct {
        QString question, table, next;
        QStringList left; // the entries that stay, KursNr/Name
    } cases[] = {
        {test::deleteWithEntries(u"Kurs"_s, 2), "Kurs", "K3", {"K1/Abel, Anna"}},
        {test::deleteWithEntries(u"Mitarbeiter"_s, 1), "Mitarbeiter", "Zorn, Zeno", {"K1/Abel, Anna", "K2/Zorn, Zeno"}},
        {"Datensatz wirklich löschen?", "Trainingsplan", "K2/Zorn, Zeno", {"K1/Abel, Anna", "K2/Zorn, Zeno"}},
    };
    for (int w = 0; w < 3; ++w) {
        SCOPED_TRACE(ui::windowName(kWindows[w]).objectName);
        const auto &c = cases[w];
        for (const char *table : {"Trainingsplan", "Mitarbeiter", "Kurs"})
            db().exec(u"DELETE FROM "_s + QLatin1String(table));
        seed();
        const qint64 before = count(c.table);
        open(kWindows[w]);
        drv.trigger("Gonext");
        expectDelete(Answer::No, c.question);
        drv.trigger("Delete");
        EXPECT_EQ(prompter.last().defaultButton, Answer::No);
        EXPECT_EQ(count(c.table), before);
        expectDelete(Answer::Yes, c.question);
        drv.trigger("mnuDelete");
        EXPECT_EQ(count(c.table), before - 1);
        EXPECT_EQ(rows(u"SELECT KursNr, Name FROM Trainingsplan ORDER BY KursNr, Name"_s), c.left);
        EXPECT_EQ(shown(), c.next);
        EXPECT_EQ(prompter.beeps(), 0);
        drv.dispose();
    }
}

TEST_P(RecordWindowsTest, EmptyTableOpensInAddModeAndUndoClosesTheWindow)
{
    for (ui::WindowId w : kWindows) {
        SCOPED_TRACE(ui::windowName(w).objectName);
        open(w);
        EXPECT_EQ(drv.status(), "Datensatz hinzufügen");
        EXPECT_TRUE(keyField()->isEnabled());
        drv.click("cmdUndo");
        EXPECT_FALSE(drv.isOpen());
        EXPECT_EQ(drv.sort(), "");
    }
}

TEST_P(RecordWindowsTest, EmployeeChecksInTheirOrder)
{
    seed();
    open(ui::WindowId::Mitarbeiter);
    const auto typeNew = [this](const QString &name, const QString &kategorie, const QString &bereich) {
        drv.trigger(u"New"_s);
        drv.type(M::Name, name);
        drv.type(M::Kostenstelle, u"1.2"_s);
        drv.type(u"cmbKategorie"_s, kategorie);
        drv.type(u"cmbBereich"_s, bereich);
    };
    const struct {
        QString name, kategorie, bereich, message, focus;
    } cases[] = {
        {"   ", "Ets", "Einkauf", "Die Eingabe eines Namens ist zwingend erforderlich!", test::fieldName(M::Name)},
        {"Berg,Bert", "Ets", "Einkauf", "Der Name muß in der Form 'Nachname, Vorname' eingegeben werden!",
         test::fieldName(M::Name)},
        {"Abel, Anna", "Ets", "Einkauf", "Der eingegebene Name ist bereits vorhanden!", test::fieldName(M::Name)},
        {"Berg, Bert", "", "Einkauf", "Die Eingabe einer Kategorie ist zwingend erforderlich!", "cmbKategorie"},
        {"Berg, Bert", "ets", "Einkauf", "Die eingegebene Kategorie ist nicht vorhanden!", "cmbKategorie"},
        {"Berg, Bert", "O", " ", "Die Eingabe eines Bereiches ist zwingend erforderlich!", "cmbBereich"},
        {"Berg, Bert", "O", "einkauf", "Der eingegebene Bereich ist nicht vorhanden!", "cmbBereich"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        typeNew(c.name, c.kategorie, c.bereich);
        expectRefused(c.message, c.focus);
    }
    // Kategorie "O" typed without its blanks passes; no key filter turns the full stop into a comma.
    typeNew(u"Berg, Bert"_s, u"O"_s, u" Einkauf"_s);
    drv.type(M::Abteilung, u"EK"_s);
    EXPECT_EQ(drv.text(M::Kostenstelle), "1.2");
    drv.click("cmdSave");
    EXPECT_EQ(shown(), "Berg, Bert");
    EXPECT_EQ(rows(u"SELECT Kostenstelle, Abteilung FROM Mitarbeiter WHERE Name = 'Berg, Bert'"_s),
              QStringList{u"1.2/EK"_s});
    EXPECT_EQ(test::firstText(db(), "SELECT Kategorie FROM Mitarbeiter WHERE Name = ?", {"Berg, Bert"}), "O  ");
    EXPECT_EQ(test::firstText(db(), "SELECT Bereich FROM Mitarbeiter WHERE Name = ?", {"Berg, Bert"}),
              u" Einkauf"_s.leftJustified(30));
}

ORV_DB_TEST_SUITE(RecordWindowsTest);

TEST_P(RecordWindowsTest, ScreenReadersNameEveryFieldByItsLabel)
{
    seed();
    // A field a screen reader announces without a name is a field a blind
    // user cannot fill in. An editable list box is read through its text box
    // (the box itself carries its value as its name on Linux).
    const QList<std::pair<QString, QString>> spot[] = {
        {{test::fieldName(K::KursNr), u"Kurs-Nr."_s},
         {test::fieldName(K::Kosten), u"Kosten je Person"_s},
         {u"cmbRubrik"_s, u"Rubrik"_s}},
        {{test::fieldName(M::Name), u"Nachname, Vorname"_s}, {u"cmbKategorie"_s, u"Kategorie"_s}},
        {{test::fieldName(T::Datum_von), u"Startdatum"_s},
         {test::fieldName(T::Datum_bis), u"Endedatum"_s},
         {u"cmbQuelle"_s, u"Quelle"_s}},
    };
    const auto nameOf = [](QWidget *w) {
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w);
        return iface ? iface->text(QAccessible::Name) : QString();
    };
    for (int w = 0; w < 3; ++w) {
        SCOPED_TRACE(ui::windowName(kWindows[w]).objectName);
        open(kWindows[w]);
        for (QWidget *field : drv.form()->findChildren<QWidget *>()) {
            if (qobject_cast<QLineEdit *>(field) && field->isVisibleTo(drv.form())) {
                EXPECT_NE(nameOf(field), QString()) << field->objectName().toStdString();
            }
        }
        for (const auto &[object, name] : spot[w]) {
            QWidget *field = drv.form()->findChild<QWidget *>(object);
            ASSERT_NE(field, nullptr) << object.toStdString();
            auto *combo = qobject_cast<QComboBox *>(field);
            EXPECT_EQ(nameOf(combo ? combo->lineEdit() : field), name);
        }
        drv.dispose();
    }
}
