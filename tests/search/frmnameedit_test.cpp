#include "data/dberror.h"
#include "data/dbtext.h"
#include "data/schema.h"
#include "search/frmnameedit.h"
#include "services/connectionrecipe.h"
#include "services/settings.h"
#include "support/testenv.h"
#include "ui/statuspanels.h"

#include <QAccessible>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <random>

namespace orv::test {
namespace {

using ui::Answer;
using ui::Icon;

const QString check = u"Datenprüfung"_s;
const QString rename = u"Name ändern"_s;
const QString formError = u"Es wurden fehlerhafte Eingaben festgestellt!"_s;

QString status() { return ui::StatusPanels::instance().panelText(u"Status"_s); }

class FrmNameEditTest : public DbTest {
protected:
    void setUpOnDatabase() override
    {
        addKurs("K1", "Technik", "Schweißen", "A");
        addKurs("K2", "Technik", "Löten", "I");
        addMitarbeiter("Meier, Hans", "4711", "EK", "Ets", "Einkauf");
        addMitarbeiter("Schulz, Eva", "4712", "VK", "I/C", "Verkauf");
        addPlan("K1", "Meier, Hans");
        addPlan("K2", "Meier, Hans");
        addPlan("K1", "Schulz, Eva");
        addPlan("K2", "Krause, Otto"); // an entry whose employee row is missing
        dlg.show();
    }
    void TearDown() override
    {
        dlg.close();
        DbTest::TearDown();
    }

    QLineEdit *field(const char *name) { return dlg.findChild<QLineEdit *>(QString::fromLatin1(name)); }
    // Types both names as a user does and clicks "&Ok".
    void renameTo(const QString &present, const QString &wanted)
    {
        for (auto [name, text] : {std::pair{"txtNameAlt", present}, std::pair{"txtNameNeu", wanted}}) {
            QLineEdit *box = field(name);
            box->clear();
            typeText(box, text);
        }
        clickOk();
    }
    void clickOk() { clickButton(dlg, u"cmdOK"_s); }
    void expectConfirmation(const QString &present, const QString &wanted, Answer answer)
    {
        prompter.expectMessage("Soll '" + present + "' wirklich auf '" + wanted + "' geändert werden?", rename,
                               Icon::Question, answer);
    }
    void expectDone(const QString &present, const QString &wanted)
    {
        prompter.expectMessage("Der Name '" + present + "' wurde auf '" + wanted + "' geändert!", rename,
                               Icon::Information);
    }
    qint64 employees(const QString &name) { return count("Mitarbeiter", "Name = ?", {name}); }
    qint64 entries(const QString &name) { return count("Trainingsplan", "Name = ?", {name}); }
    // The names as they stand, for "nothing changed".
    QStringList names()
    {
        return rows("SELECT Name FROM Mitarbeiter") + rows("SELECT KursNr, Name FROM Trainingsplan");
    }

    search::FrmNameEdit dlg;
};
// The checks before any query and the focus: one engine is enough.
class FrmNameEditFormTest : public FrmNameEditTest {};
ORV_SQLITE_TEST_SUITE(FrmNameEditFormTest);
ORV_DB_TEST_SUITE(FrmNameEditTest);

TEST_P(FrmNameEditFormTest, InputChecksStopBeforeTheDatabaseWithStatusAndFocus)
{
    const char *both = "Die Eingabe beider Namen ist zwingend erforderlich!",
               *form = "Der Name muß in der Form 'Nachname, Vorname' eingegeben werden!";
    const struct {
        const char *present, *wanted, *status, *focus;
    } cases[] = {
        {"", "", both, "txtNameAlt"},
        {"Meier, Hans", "", both, "txtNameAlt"},
        {"", "Meier, Johann", both, "txtNameAlt"},
        // Only the new name must have the form "Nachname, Vorname".
        {"Meier, Hans", "Meier,Johann", form, "txtNameNeu"},
        {"Meier, Hans", "Meier Johann", form, "txtNameNeu"},
    };
    const auto before = names();
    for (const auto &c : cases) {
        prompter.expectMessage(formError, check, Icon::Exclamation);
        // Start from the other box: the check moves the focus to the fault.
        field(c.focus == std::string("txtNameAlt") ? "txtNameNeu" : "txtNameAlt")->setFocus();
        renameTo(c.present, c.wanted);
        EXPECT_EQ(status(), QString::fromUtf8(c.status)) << c.present << " / " << c.wanted;
        EXPECT_EQ(dlg.focusWidget(), field(c.focus)) << c.present << " / " << c.wanted;
        EXPECT_EQ(field("txtNameAlt")->text(), QString::fromUtf8(c.present));
        EXPECT_EQ(field("txtNameNeu")->text(), QString::fromUtf8(c.wanted));
    }
    EXPECT_EQ(names(), before);
}

TEST_P(FrmNameEditTest, NamesThatCannotBeRenamedAreRefusedAndNothingChanges)
{
    const struct {
        const char *present, *wanted, *message;
    } cases[] = {
        // The present name may have any form; it must exist in one of the tables.
        {"Niemand", "Neu, Name", "Der Name 'Niemand' ist nicht vorhanden!"},
        {"meier, hans", "Meier, Johann", "Der Name 'meier, hans' ist nicht vorhanden!"},
        {"Meier, Hans", "Schulz, Eva", "Der Name 'Schulz, Eva' ist bereits vorhanden!"},
        {"Meier, Hans", "Krause, Otto", "Der Name 'Krause, Otto' ist im Trainingsplan bereits vorhanden!"},
    };
    const auto before = names();
    for (const auto &c : cases) {
        ui::setStatus("Die Eingabe beider Namen ist zwingend erforderlich!");
        prompter.expectMessage(QString::fromUtf8(c.message), check, Icon::Exclamation);
        renameTo(c.present, c.wanted);
        EXPECT_EQ(status(), QString()) << c.message;
    }
    // Answering "Nein" to the question changes nothing either.
    expectConfirmation("Meier, Hans", "Meier, Johann", Answer::No);
    renameTo("Meier, Hans", "Meier, Johann");
    EXPECT_EQ(prompter.last().defaultButton, Answer::No);
    EXPECT_EQ(names(), before);
}

// The employee and all its entries, names only in the plan, apostrophes, and
// characters outside the BMP; then the old name is reported missing.
TEST_P(FrmNameEditTest, RenamesTheEmployeeAndAllItsEntries)
{
    addMitarbeiter("O'Neill, Sean", "4713", "EK", "Ets", "Einkauf");
    addPlan("K1", "O'Neill, Sean");
    const struct {
        const char *present, *wanted;
        qint64 employeeRows, entryRows;
    } cases[] = {
        {"Meier, Hans", "Meier, Johann", 1, 2},
        {"Krause, Otto", "Krause-Lehmann, Otto", 0, 1},
        {"O'Neill, Sean", "O'Neill-D'Arcy, Seán", 1, 1},
        // 30 characters, the last one outside the BMP: the limit counts it as one and never halves it.
        {"Schulz, Eva", "Schulz-Lüdenscheidt, Evelyn \U0001F600\U0001F600", 1, 1},
    };
    for (const auto &c : cases) {
        const QString present = QString::fromUtf8(c.present), wanted = QString::fromUtf8(c.wanted);
        expectConfirmation(present, wanted, Answer::Yes);
        expectDone(present, wanted);
        renameTo(present, wanted);
        EXPECT_EQ(field("txtNameAlt")->text(), present);
        EXPECT_EQ(field("txtNameNeu")->text(), wanted);
        EXPECT_EQ(employees(present) + entries(present), 0) << c.present;
        EXPECT_EQ(employees(wanted), c.employeeRows) << c.present;
        EXPECT_EQ(entries(wanted), c.entryRows) << c.present;
    }
    EXPECT_EQ(count("Mitarbeiter", "Name = ? AND Kostenstelle = ?", {"Meier, Johann", "4711"}), 1);
    EXPECT_EQ(status(), QString());
    EXPECT_TRUE(dlg.isVisible());
    prompter.expectMessage("Der Name 'Schulz, Eva' ist nicht vorhanden!", check, Icon::Exclamation);
    clickOk();

    // A pasted name longer than the box keeps as many whole characters as fit.
    QLineEdit *neu = field("txtNameNeu");
    neu->clear();
    neu->insert(QString(29, QLatin1Char('a')) + u"\U0001F600\U0001F600"_s);
    EXPECT_EQ(neu->text(), QString(29, QLatin1Char('a')) + u"\U0001F600"_s);
}

TEST_P(FrmNameEditTest, AFailingPlanUpdateRollsBackTheEmployeeRename)
{
    // Another program guards the plan: every change of a plan entry fails.
    if (isPostgres()) {
        db().exec("CREATE FUNCTION plan_gesperrt() RETURNS trigger LANGUAGE plpgsql AS "
                  "$$BEGIN RAISE EXCEPTION 'Trainingsplan gesperrt'; END$$");
        db().exec("CREATE TRIGGER plan_gesperrt BEFORE UPDATE ON Trainingsplan "
                  "FOR EACH ROW EXECUTE FUNCTION plan_gesperrt()");
    } else {
        db().exec("CREATE TRIGGER plan_gesperrt BEFORE UPDATE ON Trainingsplan "
                  "BEGIN SELECT RAISE(ABORT, 'Trainingsplan gesperrt'); END");
    }
    const QStringList before = names();
    expectConfirmation("Meier, Hans", "Meier, Johann", Answer::Yes);
    prompter.expectMessageMatching(u"^UpdateError: -?\\d+ .*Trainingsplan gesperrt"_s, "ORV", Icon::None);
    renameTo("Meier, Hans", "Meier, Johann");
    EXPECT_EQ(names(), before);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(field("txtNameAlt")->text(), u"Meier, Hans"_s);
    EXPECT_EQ(field("txtNameNeu")->text(), u"Meier, Johann"_s);
}

TEST_P(FrmNameEditFormTest, AnUnreachableDatabaseIsReportedBeforeAnyCheck)
{
    services::settings::write("Service", "Datenbank", "");
    services::setDataPath(tempPath() + "/fehlt/");
    prompter.expectMessageMatching(u"^OpenConnectionError: -?\\d+ .+"_s, "ORV", Icon::None);
    ui::setStatus("vorher");
    renameTo("", "");
    EXPECT_EQ(status(), u"vorher"_s);
}

TEST_P(FrmNameEditFormTest, ActivationPutsTheFocusInTheOldNameExceptOnReturnFromItsOwnBox)
{
    search::FrmNameEdit *shown = &dlg;
    ASSERT_TRUE(activate(shown));
    QLineEdit *alt = field("txtNameAlt"), *neu = field("txtNameNeu");
    EXPECT_EQ(shown->focusWidget(), alt);

    QWidget other;
    auto comeBackFromOtherWindow = [&] {
        ASSERT_TRUE(activate(&other));
        ASSERT_TRUE(activate(shown));
    };
    neu->setFocus();
    comeBackFromOtherWindow();
    EXPECT_EQ(shown->focusWidget(), alt);

    // The form check puts the focus in the new name. When its box closes, the
    // window system gives the dialog back its activation: the focus stays.
    typeText(alt, "Meier, Hans");
    typeText(neu, "Meier,Johann");
    auto clickOkOnFormError = [&] {
        prompter.expectMessage(formError, check, Icon::Exclamation);
        clickOk();
        EXPECT_EQ(shown->focusWidget(), neu);
    };
    clickOkOnFormError();
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(shown, &activate);
    EXPECT_EQ(shown->focusWidget(), neu);

    // A return from another window after the click brings it to the old name again.
    clickOkOnFormError();
    comeBackFromOtherWindow();
    EXPECT_EQ(shown->focusWidget(), alt);

    clickButton(*shown, u"cmdCancel"_s);
    EXPECT_FALSE(shown->isVisible()) << "\"A&bbrechen\" closes the dialog";
}

TEST_P(FrmNameEditFormTest, ScreenReadersNameBothBoxesByTheirLabels)
{
    for (auto [box, name] :
         {std::pair{"txtNameAlt", u"Nachname, Vorname alt"_s}, std::pair{"txtNameNeu", u"Nachname, Vorname neu"_s}}) {
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(field(box));
        ASSERT_NE(iface, nullptr);
        EXPECT_EQ(iface->text(QAccessible::Name), name) << box;
    }
}

} // namespace
} // namespace orv::test
