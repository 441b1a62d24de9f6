#include "data/dberror.h"
#include "data/dbtext.h"
#include "data/schema.h"
#include "search/frmnameedit.h"
#include "services/connectionrecipe.h"
#include "services/settings.h"
#include "support/testenv.h"
#include "ui/statuspanels.h"

#include <QLineEdit>
#include <QPointer>
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

// Types text key by key; letters outside ASCII (é, ä) come as the keyboard sends them, with their text.
// A character outside the BMP comes as one key with both halves of its surrogate pair.
void type(QLineEdit *box, const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text.at(i);
        if (ch.unicode() < 128)
            QTest::keyClick(box, char(ch.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, text.mid(i, ch.isHighSurrogate() ? 2 : 1),
                                Qt::NoModifier);
        if (ch.isHighSurrogate())
            ++i;
    }
}

QString status() { return ui::StatusPanels::instance().panelText(u"Status"_s); }

class FrmNameEditTest : public DbTest {
protected:
    void SetUp() override
    {
        DbTest::SetUp();
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
            type(box, text);
        }
        clickOk();
    }
    void clickOk() { QTest::mouseClick(dlg.findChild<QPushButton *>("cmdOK"), Qt::LeftButton); }
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
    // The table rows as they stand, for "nothing changed".
    std::vector<qint64> counts()
    {
        return {employees("Meier, Hans"), employees("Schulz, Eva"), entries("Meier, Hans"), entries("Schulz, Eva"),
                entries("Krause, Otto"),  count("Mitarbeiter"),     count("Trainingsplan")};
    }

    search::FrmNameEdit dlg;
};

TEST_P(FrmNameEditTest, InputChecksStopBeforeTheDatabaseWithStatusAndFocus)
{
    const struct {
        const char *present, *wanted, *status, *focus;
    } cases[] = {
        {"", "", "Die Eingabe beider Namen ist zwingend erforderlich!", "txtNameAlt"},
        {"Meier, Hans", "", "Die Eingabe beider Namen ist zwingend erforderlich!", "txtNameAlt"},
        {"", "Meier, Johann", "Die Eingabe beider Namen ist zwingend erforderlich!", "txtNameAlt"},
        // Only the new name must have the form "Nachname, Vorname".
        {"Meier, Hans", "Meier,Johann", "Der Name muß in der Form 'Nachname, Vorname' eingegeben werden!",
         "txtNameNeu"},
        {"Meier, Hans", "Meier Johann", "Der Name muß in der Form 'Nachname, Vorname' eingegeben werden!",
         "txtNameNeu"},
    };
    const auto before = counts();
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
    EXPECT_EQ(prompter.shown().size(), std::size(cases)) << "one box per click, nothing else";
    EXPECT_EQ(counts(), before);
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
    const auto before = counts();
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
    EXPECT_EQ(counts(), before);
}

TEST_P(FrmNameEditTest, RenamesTheEmployeeAndAllItsEntriesThenReportsTheOldNameMissing)
{
    expectConfirmation("Meier, Hans", "Meier, Johann", Answer::Yes);
    expectDone("Meier, Hans", "Meier, Johann");
    renameTo("Meier, Hans", "Meier, Johann");

    EXPECT_EQ(employees("Meier, Hans"), 0);
    EXPECT_EQ(employees("Meier, Johann"), 1);
    EXPECT_EQ(entries("Meier, Hans"), 0);
    EXPECT_EQ(entries("Meier, Johann"), 2);
    EXPECT_EQ(entries("Schulz, Eva"), 1);
    EXPECT_EQ(count("Mitarbeiter", "Name = ? AND Kostenstelle = ?", {"Meier, Johann", "4711"}), 1);
    EXPECT_EQ(status(), QString());
    EXPECT_EQ(field("txtNameAlt")->text(), u"Meier, Hans"_s);
    EXPECT_EQ(field("txtNameNeu")->text(), u"Meier, Johann"_s);
    EXPECT_TRUE(dlg.isVisible());

    prompter.expectMessage("Der Name 'Meier, Hans' ist nicht vorhanden!", check, Icon::Exclamation);
    clickOk();
}

TEST_P(FrmNameEditTest, NamesOnlyInThePlanAndNamesWithApostrophesAreRenamed)
{
    addMitarbeiter("O'Neill, Sean", "4713", "EK", "Ets", "Einkauf");
    addPlan("K1", "O'Neill, Sean");
    const struct {
        const char *present, *wanted;
        qint64 employeeRows, entryRows;
    } cases[] = {
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
        EXPECT_EQ(field("txtNameNeu")->text(), wanted) << c.present;
        EXPECT_EQ(employees(present) + entries(present), 0) << c.present;
        EXPECT_EQ(employees(wanted), c.employeeRows) << c.present;
        EXPECT_EQ(entries(wanted), c.entryRows) << c.present;
    }
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
    QString failure;
    try {
        db().exec("UPDATE Trainingsplan SET Name = ? WHERE Name = ?", {"Meier, Johann", "Meier, Hans"});
    } catch (const data::DbError &e) {
        failure = e.message("UpdateError: ");
    }
    ASSERT_FALSE(failure.isEmpty());

    expectConfirmation("Meier, Hans", "Meier, Johann", Answer::Yes);
    prompter.expectMessage(failure, "ORV", Icon::None);
    renameTo("Meier, Hans", "Meier, Johann");

    EXPECT_EQ(employees("Meier, Hans"), 1);
    EXPECT_EQ(employees("Meier, Johann"), 0);
    EXPECT_EQ(entries("Meier, Hans"), 2);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(field("txtNameAlt")->text(), u"Meier, Hans"_s);
    EXPECT_EQ(field("txtNameNeu")->text(), u"Meier, Johann"_s);
}

TEST_P(FrmNameEditTest, AnUnreachableDatabaseIsReportedBeforeAnyCheck)
{
    app::settings::write("Service", "Datenbank", "");
    app::setDataPath(tempPath() + "/fehlt/");
    QString failure;
    try {
        data::Connection c;
        c.open(app::connectionTarget());
    } catch (const data::DbError &e) {
        failure = e.message("OpenConnectionError: ");
    }
    ASSERT_FALSE(failure.isEmpty());
    prompter.expectMessage(failure, "ORV", Icon::None);
    ui::setStatus("vorher");
    renameTo("", "");
    EXPECT_EQ(status(), u"vorher"_s);
}

TEST_P(FrmNameEditTest, ActivationPutsTheFocusInTheOldNameExceptOnReturnFromItsOwnBox)
{
    search::FrmNameEdit *shown = &dlg;
    shown->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(shown));
    auto *alt = shown->findChild<QLineEdit *>("txtNameAlt");
    auto *neu = shown->findChild<QLineEdit *>("txtNameNeu");
    EXPECT_EQ(shown->focusWidget(), alt);

    QWidget other;
    auto comeBackFromOtherWindow = [&] {
        other.show();
        other.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
        shown->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(shown));
    };
    neu->setFocus();
    comeBackFromOtherWindow();
    EXPECT_EQ(shown->focusWidget(), alt);

    // The form check puts the focus in the new name. When its box closes, the
    // window system gives the dialog back its activation: the focus stays.
    type(alt, "Meier, Hans");
    type(neu, "Meier,Johann");
    auto clickOkOnFormError = [&] {
        prompter.expectMessage(formError, check, Icon::Exclamation);
        QTest::mouseClick(shown->findChild<QPushButton *>("cmdOK"), Qt::LeftButton);
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

    QTest::mouseClick(shown->findChild<QPushButton *>("cmdCancel"), Qt::LeftButton);
    EXPECT_FALSE(shown->isVisible()) << "\"A&bbrechen\" closes the dialog";
}

ORV_DB_TEST_SUITE(FrmNameEditTest);

} // namespace
} // namespace orv::test
