#include "data/dberror.h"
#include "data/valuelists.h"
#include "records/frmkurs.h"
#include "records/recorddriver.h"
#include "records/recordwindows.h"
#include "search/frmseek.h"
#include "services/settings.h"

#include <QClipboard>
#include <QListWidget>
#include <QMenu>
#include <QToolBar>

using namespace orv;
using orv::ui::Answer;
using orv::ui::Icon;

namespace {

const QString kInvalid = QStringLiteral("Es wurden fehlerhafte Eingaben festgestellt!");
const QString kCheckTitle = QStringLiteral("Datenprüfung");
const QString kDeleteQuestion = QStringLiteral("Datensatz mit zugeordneten Kursen wirklich löschen?");
const QString kGone = QStringLiteral("Der Datensatz wurde von einem anderem User gelöscht, es wird an den Anfang gesprungen!");
const QString kChanged = QStringLiteral("Der Datensatz wurde von einem anderem User geändert, er wird neu eingelesen!");

class KursWindowTest : public test::DbTest {
protected:
    void TearDown() override
    {
        drv.dispose();
        test::DbTest::TearDown();
    }
    void open()
    {
        auto *form = records::openRecordWindow(QStringLiteral("frmKurs"));
        ASSERT_NE(form, nullptr);
        QApplication::setActiveWindow(form);
        drv = test::RecordDriver(form);
    }
    void threeCourses()
    {
        addKurs(QStringLiteral("K1"), QStringLiteral("IT"), QStringLiteral("Excel"), QStringLiteral("I"),
                QStringLiteral("Meier"), 100, 8);
        addKurs(QStringLiteral("K2"), QStringLiteral("Sprachen"), QStringLiteral("Englisch"), QStringLiteral("E"),
                QStringLiteral("Smith"), 250.5, 16);
        addKurs(QStringLiteral("K3"), QStringLiteral("Qualität"), QStringLiteral("Audit"), QStringLiteral("A"),
                QStringLiteral("Huber"), 50, 4);
    }
    QString shown() const { return drv.text(0).trimmed(); }
    QWidget *focused() const { return drv.form()->focusWidget(); }
    // A new course through the window, every field typed.
    void typeNewCourse(const QString &nr, const QString &rubrik, const QString &text, const QString &art,
                       const QString &kosten = QStringLiteral("0"), const QString &dauer = QStringLiteral("0"))
    {
        drv.trigger(QStringLiteral("New"));
        drv.type(0, nr);
        drv.type(QStringLiteral("cmbRubrik"), rubrik);
        drv.type(1, text);
        drv.type(QStringLiteral("cmbArt"), art);
        drv.type(3, kosten);
        drv.type(4, dauer);
    }

    test::RecordDriver drv{nullptr};
};

} // namespace

TEST_P(KursWindowTest, OpensOnTheFirstCourseInBrowseModeWithItsValuesFormatted)
{
    threeCourses();
    open();
    EXPECT_EQ(drv.form()->objectName(), "frmKurs");
    EXPECT_EQ(drv.form()->windowTitle(), "Kurs");
    EXPECT_EQ(drv.text(0), "K1    ");
    EXPECT_EQ(drv.text(1).trimmed(), "Excel");
    EXPECT_EQ(drv.text(2).trimmed(), "Meier");
    EXPECT_EQ(drv.text(3), "100,00");
    EXPECT_EQ(drv.text(4), "8,0");
    EXPECT_EQ(drv.comboText("cmbRubrik"), QStringLiteral("IT").leftJustified(40));
    EXPECT_EQ(drv.comboText("cmbArt"), "I");
    EXPECT_TRUE(drv.looksLikeBrowseMode());
    EXPECT_FALSE(drv.field(0)->isEnabled());
    EXPECT_EQ(drv.sort(), "Sortierung: KursNr");
    EXPECT_FALSE(drv.action("mnuKurs")->isEnabled());
    EXPECT_TRUE(drv.action("mnuMitarbeiter")->isEnabled());
    EXPECT_EQ(drv.field(0)->font().family(), "Courier New");
    EXPECT_EQ(drv.form()->size(), QSize(720, 380));
    EXPECT_TRUE(drv.action("Report")->isEnabled());
    EXPECT_TRUE(drv.action("mnuBericht")->isEnabled());
    EXPECT_TRUE(drv.action("Seek")->isEnabled());
}

TEST_P(KursWindowTest, OpensMaximizedWhenTheSettingSaysSo)
{
    app::settings::write(QStringLiteral("Settings"), QStringLiteral("WinMaxOpen"), QStringLiteral("ON"));
    threeCourses();
    open();
    EXPECT_TRUE(drv.form()->isMaximized());
}

TEST_P(KursWindowTest, EmptyTableOpensInAddModeAndUndoClosesTheWindow)
{
    open();
    EXPECT_EQ(drv.status(), "Datensatz hinzufügen");
    EXPECT_TRUE(drv.field(0)->isEnabled());
    EXPECT_EQ(drv.text(3), "0");
    EXPECT_EQ(drv.text(4), "0");
    drv.click("cmdUndo");
    EXPECT_FALSE(drv.isOpen());
    EXPECT_EQ(drv.sort(), "");
}

TEST_P(KursWindowTest, NavigationBeepsAtBothEndsAndTheSwappedMenuNamesGoWhereTheirCaptionsSay)
{
    threeCourses();
    open();
    drv.trigger("Gobot");
    EXPECT_EQ(shown(), "K3");
    drv.trigger("Gonext");
    EXPECT_EQ(shown(), "K3");
    EXPECT_EQ(prompter.beeps(), 1);
    drv.trigger("mnuGoBot");
    EXPECT_EQ(shown(), "K1");
    EXPECT_EQ(drv.action("mnuGoBot")->text(), "&Erster");
    drv.trigger("Goprev");
    EXPECT_EQ(shown(), "K1");
    EXPECT_EQ(prompter.beeps(), 2);
    drv.trigger("mnuGoTop");
    EXPECT_EQ(shown(), "K3");
    drv.trigger("mnuGoPrev");
    EXPECT_EQ(shown(), "K2");
    drv.trigger("Gotop");
    drv.trigger("mnuGoNext");
    EXPECT_EQ(shown(), "K2");
}

TEST_P(KursWindowTest, NavigationKeysMoveInBrowseModeOnlyAndStillReachTheField)
{
    threeCourses();
    open();
    QLineEdit *f = drv.field(1);
    f->setFocus();
    struct Step {
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        const char *expected;
    };
    const Step steps[] = {{Qt::Key_PageDown, Qt::NoModifier, "K2"}, {Qt::Key_Down, Qt::NoModifier, "K3"},
                          {Qt::Key_PageUp, Qt::ControlModifier, "K1"}, {Qt::Key_PageDown, Qt::ShiftModifier, "K2"},
                          {Qt::Key_Up, Qt::NoModifier, "K1"},          {Qt::Key_Down, Qt::ControlModifier, "K3"},
                          {Qt::Key_Home, Qt::NoModifier, "K1"},        {Qt::Key_End, Qt::ShiftModifier, "K3"},
                          {Qt::Key_Up, Qt::ControlModifier, "K1"},     {Qt::Key_PageDown, Qt::ControlModifier, "K3"}};
    for (const Step &s : steps) {
        drv.key(f, s.key, s.mods);
        EXPECT_EQ(shown(), s.expected) << "key " << s.key << " mods " << int(s.mods);
    }
    // The field saw the End key: the caret stands at the end of the text.
    drv.key(f, Qt::Key_End);
    EXPECT_EQ(f->cursorPosition(), f->text().size());

    drv.type(1, QStringLiteral("Neu"));
    drv.key(f, Qt::Key_PageDown);
    drv.key(f, Qt::Key_Home);
    EXPECT_EQ(shown(), "K3");
    EXPECT_EQ(f->text(), "Neu");
    EXPECT_EQ(f->cursorPosition(), 0);
}

TEST_P(KursWindowTest, FieldsShowTheirTextFromTheStart)
{
    const QString rubrik = data::lists::rubrik().value(0);
    ASSERT_EQ(rubrik.size(), 40);
    addKurs(QStringLiteral("K1"), rubrik, QString(80, QLatin1Char('B')), QStringLiteral("I"), QString(30, QLatin1Char('R')));
    addKurs(QStringLiteral("K2"), rubrik, QString(80, QLatin1Char('C')), QStringLiteral("I"));
    open();
    QLineEdit *text = drv.field(1);
    text->setFocus();
    QCoreApplication::processEvents();
    // Focus selects from the caret to the end and keeps the caret, and so the view, at the start.
    EXPECT_EQ(text->selectedText(), text->text());
    EXPECT_EQ(text->cursorPosition(), 0);
    drv.key(text, Qt::Key_Down);
    for (QLineEdit *f : {text, drv.field(2), drv.combo(QStringLiteral("cmbRubrik"))->lineEdit()})
        EXPECT_EQ(f->cursorPosition(), 0) << f->objectName().toStdString();
}

TEST_P(KursWindowTest, OneKeystrokeEntersEditModeAndUndoRestoresTheRow)
{
    threeCourses();
    open();
    drv.trigger("Gonext");
    drv.type(2, QStringLiteral("X"));
    EXPECT_EQ(drv.status(), "Datensatz bearbeiten");
    EXPECT_TRUE(drv.looksLikeEditMode());
    EXPECT_FALSE(drv.field(0)->isEnabled());
    for (const char *name : {"Sort", "Seek", "New", "NewCopy", "Delete", "mnuClose", "mnuSort", "mnuSeek",
                             "mnuNew", "mnuDelete", "Gotop", "Gobot", "Goprev"})
        EXPECT_FALSE(drv.action(QLatin1String(name))->isEnabled()) << name;
    for (const char *name : {"Cut", "Copy", "Paste", "mnuOptionen", "mnuWindowArrange(0)", "mnuExit"})
        EXPECT_TRUE(drv.action(QLatin1String(name))->isEnabled()) << name;

    drv.click("cmdUndo");
    EXPECT_TRUE(drv.looksLikeBrowseMode());
    EXPECT_EQ(drv.status(), "");
    EXPECT_EQ(shown(), "K2");
    EXPECT_EQ(drv.text(2).trimmed(), "Smith");
}

TEST_P(KursWindowTest, PickingARubrikFromTheListEntersEditModeAndWritesItPadded)
{
    threeCourses();
    open();
    drv.pick("cmbRubrik", 4);
    EXPECT_EQ(drv.status(), "Datensatz bearbeiten");
    drv.click("cmdSave");
    EXPECT_TRUE(drv.looksLikeBrowseMode());
    EXPECT_EQ(test::firstText(db(), "SELECT Rubrik FROM Kurs WHERE KursNr = ?", {"K1"}),
              QStringLiteral("Sprachen").leftJustified(40));
}

TEST_P(KursWindowTest, SortCycleKeepsTheShownCourseAndWrapsFromDauerToKursNr)
{
    threeCourses();
    open();
    drv.trigger("Gonext");
    const QStringList expected{"Rubrik", "Beschreibung", "Art", "Referent", "Kosten", "Dauer", "KursNr"};
    for (const QString &col : expected) {
        drv.trigger("Sort");
        EXPECT_EQ(drv.sort(), "Sortierung: " + col);
        EXPECT_EQ(shown(), "K2") << col.toStdString();
    }
    // In "Beschreibung" order Audit, Englisch, Excel: the first is K3.
    drv.trigger("mnuSort");
    drv.trigger("mnuSort");
    EXPECT_EQ(drv.sort(), "Sortierung: Beschreibung");
    drv.trigger("Gotop");
    EXPECT_EQ(shown(), "K3");
    drv.trigger("Gobot");
    EXPECT_EQ(shown(), "K1");
}

TEST_P(KursWindowTest, SavedCourseIsShownWhereTheSortOrderMovedIt)
{
    threeCourses();
    open();
    drv.trigger("Sort");
    drv.trigger("Sort"); // Beschreibung: Audit (K3), Englisch (K2), Excel (K1)
    drv.trigger("Gotop");
    ASSERT_EQ(shown(), "K3");
    drv.type(1, QStringLiteral("Zoll"));
    drv.click("cmdSave");
    EXPECT_EQ(shown(), "K3");
    EXPECT_EQ(drv.text(1).trimmed(), "Zoll");
    EXPECT_EQ(drv.status(), "");
    drv.trigger("Gonext");
    EXPECT_EQ(shown(), "K3");
    EXPECT_EQ(prompter.beeps(), 1);
}

TEST_P(KursWindowTest, NewCourseIsWrittenAndFullStopsBecomeCommas)
{
    threeCourses();
    open();
    typeNewCourse(QStringLiteral("K0"), QStringLiteral(" IT "), QStringLiteral("Word"), QStringLiteral("I"),
                  QStringLiteral("12.5"), QStringLiteral("7.25"));
    EXPECT_EQ(drv.text(3), "12,5");
    drv.type(2, QStringLiteral("O'Neill"));
    drv.click("cmdSave");
    EXPECT_TRUE(drv.looksLikeBrowseMode());
    EXPECT_EQ(shown(), "K0");
    EXPECT_EQ(drv.text(3), "12,50");
    EXPECT_EQ(drv.text(4), "7,3");
    EXPECT_FALSE(drv.field(0)->isEnabled());
    EXPECT_EQ(count("Kurs"), 4);
    EXPECT_EQ(test::firstText(db(), "SELECT Rubrik FROM Kurs WHERE KursNr = ?", {"K0"}),
              QStringLiteral(" IT ").leftJustified(40));
    EXPECT_EQ(test::firstText(db(), "SELECT Referent FROM Kurs WHERE KursNr = ?", {"K0"}).trimmed(), "O'Neill");
}

TEST_P(KursWindowTest, ChecksReportOnlyTheFirstFailureWithFocusOnItsField)
{
    threeCourses();
    open();
    struct Case {
        const char *nr, *rubrik, *text, *art, *kosten, *dauer;
        const char *message;
        const char *focus;
    };
    const Case cases[] = {
        {"", "", "", "", "0", "0", "Die Eingabe einer Kurs-Nr. ist zwingend erforderlich!", "txtFields(0)"},
        {"  ", "IT", "a", "A", "0", "0", "Die Eingabe einer Kurs-Nr. ist zwingend erforderlich!", "txtFields(0)"},
        {"K2", "", "", "", "0", "0", "Die eingegebene Kurs-Nr. ist bereits vorhanden!", "txtFields(0)"},
        {"K9", "", "a", "A", "0", "0", "Die Eingabe einer Rubrik ist zwingend erforderlich!", "cmbRubrik"},
        {"K9", "it", "a", "A", "0", "0", "Die eingegebene Rubrik ist nicht vorhanden!", "cmbRubrik"},
        {"K9", "IT", " ", "A", "0", "0", "Die Eingabe einer Beschreibung ist zwingend erforderlich!", "txtFields(1)"},
        {"K9", "IT", "a", "", "0", "0", "Die Eingabe einer Art ist zwingend erforderlich!", "cmbArt"},
        {"K9", "IT", "a", "a", "0", "0", "Die eingegebene Art ist nicht vorhanden!", "cmbArt"},
        {"K9", "IT", "a", "A", "10000", "0", "Die Kosten müssen zwischen 0 und 9999.99 sein!", "txtFields(3)"},
        {"K9", "IT", "a", "A", "-1", "0", "Die Kosten müssen zwischen 0 und 9999.99 sein!", "txtFields(3)"},
        {"K9", "IT", "a", "A", "abc", "0", "Die Kosten sind ungültig!", "txtFields(3)"},
        {"K9", "IT", "a", "A", "", "0", "Die Kosten sind ungültig!", "txtFields(3)"},
        {"K9", "IT", "a", "A", "nan", "0", "Die Kosten sind ungültig!", "txtFields(3)"},
        {"K9", "IT", "a", "A", "0", "-inf", "Die Dauer ist ungültig!", "txtFields(4)"},
        {"K9", "IT", "a", "A", "9999,99", "1000", "Die Dauer muß zwischen 0 und 999.9 sein!", "txtFields(4)"},
        {"K9", "IT", "a", "A", "0", "x", "Die Dauer ist ungültig!", "txtFields(4)"},
        {"K9", "IT", "a", "A", "0", "", "Die Dauer ist ungültig!", "txtFields(4)"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.message);
        typeNewCourse(QString::fromUtf8(c.nr), QString::fromUtf8(c.rubrik), QString::fromUtf8(c.text),
                      QString::fromUtf8(c.art), QString::fromUtf8(c.kosten), QString::fromUtf8(c.dauer));
        prompter.expectMessage(kInvalid, kCheckTitle, Icon::Exclamation);
        drv.click("cmdSave");
        EXPECT_EQ(drv.status(), QString::fromUtf8(c.message));
        ASSERT_NE(focused(), nullptr);
        EXPECT_EQ(focused()->objectName(), c.focus);
        EXPECT_TRUE(drv.looksLikeEditMode());
        drv.click("cmdUndo");
    }
    EXPECT_EQ(count("Kurs"), 3);
}

TEST_P(KursWindowTest, NumbersAtTheirBoundsAreAccepted)
{
    threeCourses();
    open();
    typeNewCourse(QStringLiteral("K9"), QStringLiteral("Sonstiges"), QStringLiteral("Grenzen"),
                  QStringLiteral("E"), QStringLiteral("9999,99"), QStringLiteral("999,9"));
    drv.click("cmdSave");
    EXPECT_EQ(shown(), "K9");
    EXPECT_EQ(drv.text(3), "9999,99");
    EXPECT_EQ(drv.text(4), "999,9");
    // A new blank course starts with 0 and can be saved without touching them.
    drv.trigger("New");
    drv.type(0, QStringLiteral("K8"));
    drv.type(QStringLiteral("cmbRubrik"), QStringLiteral("IT"));
    drv.type(1, QStringLiteral("Null"));
    drv.type(QStringLiteral("cmbArt"), QStringLiteral("A"));
    drv.click("cmdSave");
    EXPECT_EQ(shown(), "K8");
    EXPECT_EQ(drv.text(3), "0,00");
    EXPECT_EQ(count("Kurs"), 5);
}

TEST_P(KursWindowTest, StoredCourseSavesWithoutTheKeyChecks)
{
    threeCourses();
    open();
    drv.type(4, QStringLiteral("9"));
    drv.click("cmdSave");
    EXPECT_EQ(prompter.shown().size(), 0u);
    EXPECT_EQ(shown(), "K1");
    EXPECT_EQ(drv.text(4), "9,0");
}

TEST_P(KursWindowTest, NewWithCopyKeepsTheValuesAndSavingRefusesTheDuplicate)
{
    threeCourses();
    open();
    drv.trigger("Gonext");
    drv.trigger("NewCopy");
    EXPECT_EQ(drv.status(), "Datensatz hinzufügen");
    EXPECT_EQ(shown(), "K2");
    EXPECT_EQ(drv.text(1).trimmed(), "Englisch");
    EXPECT_TRUE(drv.field(0)->isEnabled());
    prompter.expectMessage(kInvalid, kCheckTitle, Icon::Exclamation);
    drv.click("cmdSave");
    EXPECT_EQ(drv.status(), "Die eingegebene Kurs-Nr. ist bereits vorhanden!");
    drv.type(0, QStringLiteral("K2b"));
    drv.click("cmdSave");
    EXPECT_EQ(shown(), "K2b");
    EXPECT_EQ(test::firstText(db(), "SELECT Beschreibung FROM Kurs WHERE KursNr = ?", {"K2b"}).trimmed(), "Englisch");
}

TEST_P(KursWindowTest, EscClosesOnlyInBrowseMode)
{
    threeCourses();
    open();
    drv.type(1, QStringLiteral("x"));
    drv.key(drv.field(1), Qt::Key_Escape);
    EXPECT_TRUE(drv.isOpen());
    drv.click("cmdUndo");
    drv.key(drv.field(1), Qt::Key_Escape);
    EXPECT_FALSE(drv.isOpen());
}

TEST_P(KursWindowTest, ClosingInEditOrAddModeIsRefused)
{
    threeCourses();
    open();
    for (const char *start : {"edit", "add"}) {
        SCOPED_TRACE(start);
        if (QLatin1String(start) == QLatin1String("edit"))
            drv.type(2, QStringLiteral("x"));
        else
            drv.trigger("New");
        EXPECT_FALSE(drv.action("Close")->isEnabled());
        EXPECT_FALSE(drv.action("mnuClose")->isEnabled());
        prompter.expectMessage(QStringLiteral("Beenden Sie zuerst den Bearbeitungsmodus!"), QStringLiteral("Schließen"),
                               Icon::Exclamation);
        drv.form()->close();
        EXPECT_TRUE(drv.isOpen());
        prompter.expectMessage(QStringLiteral("Beenden Sie zuerst den Bearbeitungsmodus!"), QStringLiteral("Schließen"),
                               Icon::Exclamation);
        EXPECT_FALSE(drv.form()->queryClose()); // the end of the program asks the same way
        drv.click("cmdUndo");
    }
    EXPECT_TRUE(drv.form()->queryClose());
    drv.trigger("mnuClose");
    EXPECT_FALSE(drv.isOpen());
}

TEST_P(KursWindowTest, DeletingACourseRemovesItsTrainingPlanEntriesAndMovesOn)
{
    threeCourses();
    addMitarbeiter(QStringLiteral("Abel, Anna"), QStringLiteral("100"), QStringLiteral("EK"), QStringLiteral("Ets"),
                   QStringLiteral("Einkauf"));
    addPlan(QStringLiteral("K2"), QStringLiteral("Abel, Anna"));
    addPlan(QStringLiteral("K3"), QStringLiteral("Abel, Anna"));
    open();
    drv.trigger("Gonext");
    prompter.expectMessage(kDeleteQuestion, QStringLiteral("Löschen"), Icon::Question, Answer::No);
    drv.trigger("Delete");
    EXPECT_EQ(count("Kurs"), 3);
    EXPECT_EQ(prompter.last().defaultButton, Answer::No);

    prompter.expectMessage(kDeleteQuestion, QStringLiteral("Löschen"), Icon::Question, Answer::Yes);
    drv.trigger("mnuDelete");
    EXPECT_EQ(count("Kurs"), 2);
    EXPECT_EQ(count("Trainingsplan", "KursNr = ?", {"K2"}), 0);
    EXPECT_EQ(count("Trainingsplan"), 1);
    EXPECT_EQ(shown(), "K3");
    EXPECT_EQ(prompter.beeps(), 0);

    // The last in order: a beep, then the new last course.
    prompter.expectMessage(kDeleteQuestion, QStringLiteral("Löschen"), Icon::Question, Answer::Yes);
    drv.trigger("Delete");
    EXPECT_EQ(prompter.beeps(), 1);
    EXPECT_EQ(shown(), "K1");
    EXPECT_EQ(count("Trainingsplan"), 0);

    prompter.expectMessage(kDeleteQuestion, QStringLiteral("Löschen"), Icon::Question, Answer::Yes);
    prompter.expectMessage(QStringLiteral("Der letzte Datensatz wurde gelöscht!"), QStringLiteral("Warnung"),
                           Icon::Exclamation);
    drv.trigger("Delete");
    EXPECT_FALSE(drv.isOpen());
    EXPECT_EQ(count("Kurs"), 0);
}

TEST_P(KursWindowTest, DeleteOfACourseGoneElsewhereKeepsTheEntriesAndShowsTheFirst)
{
    threeCourses();
    addMitarbeiter(QStringLiteral("Abel, Anna"), QStringLiteral("100"), QStringLiteral("EK"), QStringLiteral("Ets"),
                   QStringLiteral("Einkauf"));
    addPlan(QStringLiteral("K2"), QStringLiteral("Abel, Anna"));
    open();
    drv.trigger("Gonext");
    {
        data::Connection other = connect();
        other.exec(QStringLiteral("DELETE FROM Kurs WHERE KursNr = ?"), {QStringLiteral("K2")});
    }
    prompter.expectMessage(kDeleteQuestion, QStringLiteral("Löschen"), Icon::Question, Answer::Yes);
    prompter.expectMessage(kGone, QStringLiteral("Warnung"), Icon::Exclamation);
    drv.trigger("Delete");
    // All or nothing: the entry of the course stays when its course could not be deleted here.
    EXPECT_EQ(count("Trainingsplan", "KursNr = ?", {"K2"}), 1);
    EXPECT_EQ(shown(), "K1");
    EXPECT_TRUE(drv.looksLikeBrowseMode());
    drv.trigger("Gobot");
    EXPECT_EQ(shown(), "K3");
}

TEST_P(KursWindowTest, SavingACourseDeletedElsewhereJumpsToTheFirst)
{
    threeCourses();
    open();
    drv.trigger("Gobot");
    drv.type(1, QStringLiteral("Neu"));
    {
        data::Connection other = connect();
        other.exec(QStringLiteral("DELETE FROM Kurs WHERE KursNr = ?"), {QStringLiteral("K3")});
    }
    prompter.expectMessage(kGone, QStringLiteral("Warnung"), Icon::Exclamation);
    drv.click("cmdSave");
    EXPECT_EQ(shown(), "K1");
    EXPECT_TRUE(drv.looksLikeBrowseMode());
    EXPECT_EQ(drv.status(), "");
    EXPECT_EQ(count("Kurs"), 2);
    drv.trigger("Gobot");
    EXPECT_EQ(shown(), "K2");
}

TEST_P(KursWindowTest, RereadFindingEveryCourseGoneClosesTheWindowAsAfterTheLastDelete)
{
    addKurs(QStringLiteral("K1"), QStringLiteral("IT"), QStringLiteral("Excel"), QStringLiteral("I"));
    open();
    drv.type(1, QStringLiteral("Neu"));
    connect().exec(QStringLiteral("DELETE FROM Kurs"));
    prompter.expectMessage(kGone, QStringLiteral("Warnung"), Icon::Exclamation);
    prompter.expectMessage(QStringLiteral("Der letzte Datensatz wurde gelöscht!"), QStringLiteral("Warnung"),
                           Icon::Exclamation);
    drv.click("cmdSave");
    EXPECT_FALSE(drv.isOpen());
    EXPECT_EQ(count("Kurs"), 0);
}

TEST_P(KursWindowTest, ClipboardKeysInAListFieldDoNothingAsTheMenuCommandsDo)
{
    threeCourses();
    open();
    QComboBox *rubrik = drv.combo(QStringLiteral("cmbRubrik"));
    rubrik->setFocus();
    ASSERT_TRUE(QApplication::focusWidget() == rubrik || QApplication::focusWidget() == rubrik->lineEdit());
    const QString before = rubrik->currentText();
    for (const QKeySequence &keys : {QKeySequence(Qt::CTRL | Qt::Key_X), QKeySequence(Qt::CTRL | Qt::Key_C),
                                     QKeySequence(Qt::CTRL | Qt::Key_V)}) {
        SCOPED_TRACE(keys.toString().toStdString());
        QGuiApplication::clipboard()->setText(QStringLiteral("vorher"));
        rubrik->lineEdit()->selectAll();
        QTest::keySequence(rubrik->lineEdit(), keys);
        EXPECT_EQ(rubrik->currentText(), before);
        EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("vorher"));
        EXPECT_TRUE(drv.looksLikeBrowseMode());
    }
    // In a text field the same key cuts, as "Ausschneiden" does.
    QLineEdit *f = drv.field(2);
    f->setFocus();
    f->selectAll();
    QTest::keySequence(f, QKeySequence(Qt::CTRL | Qt::Key_X));
    EXPECT_EQ(f->text(), "");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("Meier").leftJustified(30));
    EXPECT_TRUE(drv.looksLikeEditMode());
    drv.click("cmdUndo");
}

TEST_P(KursWindowTest, SavingOverACourseReAddedElsewhereWritesByItsNumber)
{
    threeCourses();
    open();
    drv.trigger("Gonext");
    drv.type(1, QStringLiteral("Mein Text"));
    {
        data::Connection other = connect();
        other.exec(QStringLiteral("DELETE FROM Kurs WHERE KursNr = ?"), {QStringLiteral("K2")});
    }
    addKurs(QStringLiteral("K2"), QStringLiteral("Sonstiges"), QStringLiteral("Fremder Text"), QStringLiteral("E"));
    drv.click("cmdSave");
    EXPECT_EQ(shown(), "K2");
    EXPECT_EQ(drv.text(1).trimmed(), "Mein Text");
    EXPECT_EQ(test::firstText(db(), "SELECT Beschreibung FROM Kurs WHERE KursNr = ?", {"K2"}).trimmed(), "Mein Text");
}

namespace {

// Another workstation deletes the course after this one checked it, before it
// writes, and adds it again before this one looks whether it still exists.
class RacedKurs : public records::FrmKurs {
public:
    explicit RacedKurs(data::ConnectionTarget target) : m_target(std::move(target)) {}

protected:
    QString runChecks(QWidget *&focus) override
    {
        const QString message = FrmKurs::runChecks(focus);
        if (!m_deleted) {
            m_deleted = true;
            data::Connection other;
            other.open(m_target);
            other.exec(QStringLiteral("DELETE FROM Kurs WHERE KursNr = ?"), {QStringLiteral("K2")});
            m_readd = true;
        }
        return message;
    }
    QStringList keyOfFields() const override
    {
        if (m_readd) {
            m_readd = false;
            data::Connection other;
            other.open(m_target);
            other.exec(QStringLiteral("INSERT INTO Kurs (KursNr, Rubrik, Beschreibung, Art, Referent, Kosten, Dauer) "
                                      "VALUES (?, ?, ?, ?, ?, ?, ?)"),
                       {QStringLiteral("K2"), QStringLiteral("IT"), QStringLiteral("Fremder Text"), QStringLiteral("I"),
                        QString(), 1.0, 1.0});
        }
        return FrmKurs::keyOfFields();
    }

private:
    data::ConnectionTarget m_target;
    mutable bool m_readd = false;
    bool m_deleted = false;
};

} // namespace

TEST_P(KursWindowTest, SavingACourseChangedElsewhereRereadsIt)
{
    threeCourses();
    auto *form = new RacedKurs(target());
    form->load();
    drv = test::RecordDriver(form);
    drv.trigger("Gonext");
    drv.type(1, QStringLiteral("Mein Text"));
    prompter.expectMessage(kChanged, QStringLiteral("Warnung"), Icon::Exclamation);
    drv.click("cmdSave");
    EXPECT_EQ(shown(), "K2");
    EXPECT_EQ(drv.text(1).trimmed(), "Fremder Text");
    EXPECT_TRUE(drv.looksLikeBrowseMode());
    EXPECT_EQ(drv.status(), "");
}

TEST_P(KursWindowTest, ValueTheColumnRejectsKeepsEditMode)
{
    threeCourses();
    open();
    // More than the column holds, past the box's own limit, as another program's text can be.
    drv.field(1)->setValidator(nullptr);
    drv.field(1)->setMaxLength(200);
    drv.type(1, QString(81, QLatin1Char('x')));
    prompter.expectMessage(kInvalid, kCheckTitle, Icon::Exclamation);
    drv.click("cmdSave");
    EXPECT_TRUE(drv.looksLikeEditMode());
    EXPECT_EQ(test::firstText(db(), "SELECT Beschreibung FROM Kurs WHERE KursNr = ?", {"K1"}).trimmed(), "Excel");
    // U+0000, which PostgreSQL cannot store, in a pasted text: refused alike on both engines.
    drv.field(1)->setText(QStringLiteral("a") + QChar(0) + QStringLiteral("b"));
    prompter.expectMessage(kInvalid, kCheckTitle, Icon::Exclamation);
    drv.click("cmdSave");
    EXPECT_TRUE(drv.looksLikeEditMode());
    EXPECT_EQ(test::firstText(db(), "SELECT Beschreibung FROM Kurs WHERE KursNr = ?", {"K1"}).trimmed(), "Excel");
    drv.type(1, QStringLiteral("kurz"));
    drv.click("cmdSave");
    EXPECT_TRUE(drv.looksLikeBrowseMode());
    EXPECT_EQ(test::firstText(db(), "SELECT Beschreibung FROM Kurs WHERE KursNr = ?", {"K1"}).trimmed(), "kurz");
}

TEST_P(KursWindowTest, CourseNumbersWithApostrophesWork)
{
    addKurs(QStringLiteral("O'1"), QStringLiteral("IT"), QStringLiteral("Quote"), QStringLiteral("I"));
    addMitarbeiter(QStringLiteral("Abel, Anna"), QStringLiteral("100"), QStringLiteral("EK"), QStringLiteral("Ets"),
                   QStringLiteral("Einkauf"));
    addPlan(QStringLiteral("O'1"), QStringLiteral("Abel, Anna"));
    open();
    typeNewCourse(QStringLiteral("O'1"), QStringLiteral("IT"), QStringLiteral("x"), QStringLiteral("I"));
    prompter.expectMessage(kInvalid, kCheckTitle, Icon::Exclamation);
    drv.click("cmdSave");
    EXPECT_EQ(drv.status(), "Die eingegebene Kurs-Nr. ist bereits vorhanden!");
    drv.type(0, QStringLiteral("A'2"));
    drv.click("cmdSave");
    EXPECT_EQ(shown(), "A'2");
    drv.trigger("Gobot");
    prompter.expectMessage(kDeleteQuestion, QStringLiteral("Löschen"), Icon::Question, Answer::Yes);
    drv.trigger("Delete");
    EXPECT_EQ(count("Trainingsplan"), 0);
    EXPECT_EQ(count("Kurs"), 1);
}

TEST_P(KursWindowTest, EmptyColumnsWrittenElsewhereShowEmptyFields)
{
    db().exec(QStringLiteral("INSERT INTO Kurs (KursNr, Beschreibung) VALUES (?, ?)"),
              {QStringLiteral("N1"), QStringLiteral("Lücken")});
    open();
    EXPECT_EQ(shown(), "N1");
    EXPECT_EQ(drv.text(2), "");
    EXPECT_EQ(drv.text(3), "");
    EXPECT_EQ(drv.comboText("cmbRubrik"), "");
    EXPECT_TRUE(drv.looksLikeBrowseMode());
}

TEST_P(KursWindowTest, SeekShowsTheChosenCourse)
{
    threeCourses();
    open();
    prompter.expectModal([](QDialog &d) {
        auto &seek = static_cast<search::FrmSeek &>(d);
        EXPECT_EQ(seek.lstFields->count(), 5);
        EXPECT_EQ(seek.lstFields->currentItem()->text(), "KursNr");
        seek.SeekPosition = 3; // as if the third row of the handed rows was picked
        d.reject();
    });
    drv.trigger("Seek");
    EXPECT_EQ(shown(), "K3");
    EXPECT_TRUE(drv.looksLikeBrowseMode());
}

TEST_P(KursWindowTest, ToolbarAndMenusCarryTheirKeysCaptionsAndShortcuts)
{
    threeCourses();
    open();
    auto *bar = drv.widget<QToolBar>(QStringLiteral("Toolbar1"));
    QStringList keys;
    for (QAction *a : bar->actions())
        keys << (a->isSeparator() ? QStringLiteral("|") : a->objectName() + QLatin1Char('=') + a->toolTip());
    EXPECT_EQ(keys.join(QLatin1Char(' ')),
              "Close=Schließen Save=Sichern Undo=Rückgängig | Gotop=Auf ersten Datensatz springen "
              "Goprev=Auf vorherigen Datensatz springen Gonext=Auf nächsten Datensatz springen "
              "Gobot=Auf letzten Datensatz springen | Sort=Sortieren Seek=Suchen Report=Bericht ausgeben | "
              "Cut=Ausschneiden Copy=Kopieren Paste=Einfügen | New=Neu NewCopy=Neu mit Kopie Delete=Löschen");
    for (QAction *a : bar->actions())
        if (!a->isSeparator()) {
            EXPECT_FALSE(a->icon().pixmap(16, 16).isNull()) << a->objectName().toStdString();
        }

    QStringList menus;
    for (QMenu *m : drv.form()->ownMenus())
        menus << m->objectName() + QLatin1Char('=') + m->title();
    EXPECT_EQ(menus.join(QLatin1Char(' ')), "mnuDatei=&Datei mnuEdit=&Bearbeiten mnuAusgabe=&Ausgabe "
                                            "mnuExtras=E&xtras mnuWindow=&Fenster mnuHelp=&?");
    const std::pair<const char *, const char *> shortcuts[] = {{"mnuCut", "Ctrl+X"}, {"mnuCopy", "Ctrl+C"},
                                                               {"mnuPaste", "Ctrl+V"}, {"mnuSeek", "Ctrl+F"},
                                                               {"mnuNew", "Ctrl+N"}, {"mnuDelete", "Ctrl+L"}};
    for (const auto &[name, keySeq] : shortcuts)
        EXPECT_EQ(drv.action(QLatin1String(name))->shortcut(), QKeySequence(QLatin1String(keySeq))) << name;
    EXPECT_EQ(drv.action("mnuWindowArrange(3)")->text(), "&Symbole anordnen");
}

TEST_P(KursWindowTest, CutAndPasteWorkOnTheFocusedField)
{
    threeCourses();
    open();
    QLineEdit *f = drv.field(2);
    f->setFocus();
    f->selectAll();
    drv.trigger("Cut");
    EXPECT_EQ(f->text(), "");
    EXPECT_EQ(drv.status(), "Datensatz bearbeiten");
    drv.trigger("Paste");
    EXPECT_EQ(f->text(), QStringLiteral("Meier").leftJustified(30));
}

ORV_DB_TEST_SUITE(KursWindowTest);
