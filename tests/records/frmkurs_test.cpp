#include "app/startup.h"
#include "data/valuelists.h"
#include "records/frmkurs.h"
#include "records/recorddriver.h"
#include "records/recordwindows.h"
#include "search/frmseek.h"
#include "services/connectionrecipe.h"
#include "services/settings.h"
#include "support/diskfaults.h"
#include "support/ordinaryuser.h"

#include <QClipboard>
#include <QFile>
#include <QListWidget>
#include <QScopeGuard>
#include <QUrl>
#include <functional>
#include <sqlite3.h>
#include <sys/stat.h>

using namespace orv;
using orv::ui::Answer;
using orv::ui::Icon;
using K = orv::records::FrmKurs;

namespace {

const QString kLastGone = u"Der letzte Datensatz wurde gelöscht!"_s;

class KursWindowTest : public test::WindowTestOf<ui::WindowId::Kurs> {
protected:
    // A new course through the window; costs and duration keep what a new course starts with unless given.
    void typeNewCourse(const QString &nr, const QString &rubrik, const QString &text, const QString &art,
                       const QString &kosten = {}, const QString &dauer = {})
    {
        drv.trigger(u"New"_s);
        drv.type(K::KursNr, nr);
        drv.type(u"cmbRubrik"_s, rubrik);
        drv.type(K::Beschreibung, text);
        drv.type(u"cmbArt"_s, art);
        for (const auto &[field, number] : {std::pair{K::Kosten, kosten}, std::pair{K::Dauer, dauer}})
            if (!number.isNull())
                drv.type(field, number);
    }
    // Number, description, lecturer, costs, duration, Rubrik, Art as shown.
    QStringList course() const
    {
        return drv.texts({K::KursNr, K::Beschreibung, K::Referent, K::Kosten, K::Dauer}, {"cmbRubrik", "cmbArt"});
    }
    void otherDeletes(const QString &nr) { connect().exec(u"DELETE FROM Kurs WHERE KursNr = ?"_s, {nr}); }
    QString beschreibung(const char *nr) { return value(u"SELECT Beschreibung FROM Kurs WHERE KursNr = ?"_s, {nr}); }
};

// A course window whose steps let another workstation act in between.
class HookedKurs : public records::FrmKurs {
public:
    // Each runs once: after the checks, before the key of the fields is next read.
    std::function<void()> beforeChecks;
    mutable std::function<void()> beforeKey;

protected:
    QString runChecks(QWidget *&focus) override
    {
        const QString message = FrmKurs::runChecks(focus);
        if (beforeChecks)
            std::exchange(beforeChecks, nullptr)();
        return message;
    }
    QStringList keyOfFields() const override
    {
        if (beforeKey)
            std::exchange(beforeKey, nullptr)();
        return FrmKurs::keyOfFields();
    }
};
// The window's own mechanics, which never reach what differs between the engines.
class KursFormTest : public KursWindowTest {};
class KursServerTest : public KursWindowTest {};

} // namespace

TEST_P(KursWindowTest, OpensOnTheFirstCourseInBrowseModeWithItsValuesFormatted)
{
    openOnStandardRows();
    EXPECT_EQ(drv.text(K::KursNr), "K1    ");
    EXPECT_EQ(course(), (QStringList{"K1", "Excel", "Meier", "100,00", "8,0", "IT", "I"}));
    EXPECT_EQ(drv.comboText("cmbRubrik"), u"IT"_s.leftJustified(40));
    EXPECT_TRUE(drv.looksLikeBrowseMode());
    EXPECT_FALSE(drv.field(K::KursNr)->isEnabled());
    EXPECT_EQ(drv.sort(), "Sortierung: KursNr");
    EXPECT_FALSE(drv.action("mnuKurs")->isEnabled());
    EXPECT_TRUE(drv.action("mnuMitarbeiter")->isEnabled());
    const std::pair<const char *, const char *> shortcuts[] = {{"mnuCut", "Ctrl+X"},   {"mnuCopy", "Ctrl+C"},
                                                               {"mnuPaste", "Ctrl+V"}, {"mnuSeek", "Ctrl+F"},
                                                               {"mnuNew", "Ctrl+N"},   {"mnuDelete", "Ctrl+L"}};
    for (const auto &[name, keySeq] : shortcuts)
        EXPECT_EQ(drv.action(QLatin1String(name))->shortcut(), QKeySequence(QLatin1String(keySeq))) << name;
    drv.trigger("mnuClose");
    EXPECT_FALSE(drv.isOpen());
}

TEST_P(KursFormTest, NavigationBeepsAtBothEndsAndTheSwappedMenuNamesGoWhereTheirCaptionsSay)
{
    openOnStandardRows();
    const std::pair<const char *, const char *> steps[] = {{"Gobot", "K3"},  {"Gonext", "K3"},   {"mnuGoBot", "K1"},
                                                           {"Goprev", "K1"}, {"mnuGoTop", "K3"}, {"mnuGoPrev", "K2"},
                                                           {"Gotop", "K1"},  {"mnuGoNext", "K2"}};
    for (const auto &[command, row] : steps) {
        drv.trigger(QLatin1String(command));
        EXPECT_EQ(shown(), row) << command;
    }
    EXPECT_EQ(prompter.beeps(), 2);
}

TEST_P(KursFormTest, FieldsShowTheirTextFromTheStart)
{
    const QString rubrik = data::lists::rubrik().value(0);
    ASSERT_EQ(rubrik.size(), 40);
    addKurs(u"K1"_s, rubrik, QString(80, QLatin1Char('B')), u"I"_s, QString(30, QLatin1Char('R')));
    addKurs(u"K2"_s, rubrik, QString(80, QLatin1Char('C')), u"I"_s);
    open();
    QLineEdit *text = drv.field(K::Beschreibung);
    text->setFocus();
    QCoreApplication::processEvents();
    // Focus selects from the caret to the end and keeps the caret, and so the view, at the start.
    EXPECT_EQ(text->selectedText(), text->text());
    EXPECT_EQ(text->cursorPosition(), 0);
    drv.key(text, Qt::Key_Down);
    for (QLineEdit *f : {text, drv.field(K::Referent), drv.combo(u"cmbRubrik"_s)->lineEdit()})
        EXPECT_EQ(f->cursorPosition(), 0) << f->objectName().toStdString();
}

// Reached by Tab or Shift+Tab a field is selected whole, as any text box is: typing replaces the 0
// a new course starts its numbers with, and the text of a shown row.
TEST_P(KursFormTest, FieldTabbedIntoIsTypedOver)
{
    openOnStandardRows();
    auto tabInto = [](QWidget *from, Qt::KeyboardModifiers mods, QLineEdit *to) {
        from->setFocus();
        QCoreApplication::processEvents();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, mods);
        QCoreApplication::processEvents(); // typing waits for what the focus change posted
        ASSERT_EQ(QApplication::focusWidget(), to);
        EXPECT_EQ(to->selectedText(), to->text());
        EXPECT_EQ(to->cursorPosition(), 0);
    };
    drv.trigger(u"New"_s);
    tabInto(drv.field(K::Referent), Qt::NoModifier, drv.field(K::Kosten));
    QTest::keyClicks(QApplication::focusWidget(), u"1234,5"_s);
    EXPECT_EQ(drv.text(K::Kosten), u"1234,5"_s);
    tabInto(drv.field(K::Kosten), Qt::NoModifier, drv.field(K::Dauer));
    QTest::keyClicks(QApplication::focusWidget(), u"8"_s);
    EXPECT_EQ(drv.text(K::Dauer), u"8"_s);
    tabInto(drv.field(K::Dauer), Qt::ShiftModifier, drv.field(K::Kosten));
    QTest::keyClicks(QApplication::focusWidget(), u"99"_s);
    EXPECT_EQ(drv.text(K::Kosten), u"99"_s);
    drv.click("cmdUndo");

    // A shown course: the lecturer tabbed into is typed over.
    tabInto(drv.combo(u"cmbArt"_s), Qt::NoModifier, drv.field(K::Referent));
    QTest::keyClicks(QApplication::focusWidget(), u"Neu"_s);
    EXPECT_EQ(drv.text(K::Referent), u"Neu"_s);
}

TEST_P(KursWindowTest, OneKeystrokeEntersEditModeAndUndoRestoresTheRow)
{
    openOnStandardRows();
    drv.trigger("Gonext");
    drv.type(K::Referent, u"X"_s);
    EXPECT_EQ(drv.status(), "Datensatz bearbeiten");
    // While editing, the navigation keys move the caret, not the row.
    drv.key(drv.field(K::Referent), Qt::Key_PageUp);
    drv.key(drv.field(K::Referent), Qt::Key_Home);
    EXPECT_EQ(drv.field(K::Referent)->cursorPosition(), 0);
    EXPECT_EQ(shown(), "K2");
    EXPECT_TRUE(drv.looksLikeEditMode());
    EXPECT_FALSE(drv.field(K::KursNr)->isEnabled());
    for (const char *name : {"Sort", "Seek", "New", "NewCopy", "Delete", "mnuClose", "Gotop", "Gobot", "Goprev"})
        EXPECT_FALSE(drv.action(QLatin1String(name))->isEnabled()) << name;
    for (const char *name : {"Cut", "Copy", "Paste", "mnuOptionen", "mnuExit"})
        EXPECT_TRUE(drv.action(QLatin1String(name))->isEnabled()) << name;

    drv.click("cmdUndo");
    EXPECT_TRUE(drv.looksLikeBrowseMode());
    EXPECT_EQ(drv.status(), "");
    EXPECT_EQ(course().mid(0, 3), (QStringList{"K2", "Englisch", "Smith"}));
    // "Rückgängig" after "Neu" goes back to the course shown before, not to the
    // first nor to the one edited last.
    drv.trigger("Gonext");
    drv.trigger("New");
    drv.type(K::Beschreibung, u"verworfen"_s);
    drv.click("cmdUndo");
    EXPECT_EQ(course().mid(0, 2), (QStringList{"K3", "Audit"}));
    EXPECT_EQ(count("Kurs"), 3);
}

// A stored course saves without the key checks; a Rubrik picked from the list is written padded.
TEST_P(KursWindowTest, EditedCourseIsSavedWithoutTheKeyChecks)
{
    openOnStandardRows();
    drv.pick("cmbRubrik", 4);
    EXPECT_EQ(drv.status(), "Datensatz bearbeiten");
    drv.type(K::Dauer, u"9"_s);
    drv.click("cmdSave");
    EXPECT_TRUE(drv.looksLikeBrowseMode());
    EXPECT_EQ(shown(), "K1");
    EXPECT_EQ(drv.text(K::Dauer), "9,0");
    EXPECT_EQ(test::firstText(db(), "SELECT Rubrik FROM Kurs WHERE KursNr = ?", {"K1"}),
              u"Sprachen"_s.leftJustified(40));
}

TEST_P(KursWindowTest, SavedCourseIsShownWhereTheSortOrderMovedIt)
{
    openOnStandardRows();
    drv.trigger("Sort");
    drv.trigger("Sort"); // Beschreibung: Audit (K3), Englisch (K2), Excel (K1)
    drv.trigger("Gotop");
    ASSERT_EQ(shown(), "K3");
    drv.type(K::Beschreibung, u"Zoll"_s);
    drv.click("cmdSave");
    EXPECT_EQ(course().mid(0, 2), (QStringList{"K3", "Zoll"}));
    EXPECT_EQ(drv.status(), "");
    drv.trigger("Gonext");
    EXPECT_EQ(shown(), "K3");
    EXPECT_EQ(prompter.beeps(), 1);
}

TEST_P(KursWindowTest, NewCoursesAreWrittenWithCommasAndNumbersAtTheirBounds)
{
    openOnStandardRows();
    typeNewCourse(u"K0"_s, u" IT "_s, u"Word"_s, u"I"_s, u"12.5"_s, u"7.25"_s);
    EXPECT_EQ(drv.text(K::Kosten), "12,5"); // the full stop became a comma as it was typed
    drv.type(K::Referent, u"O'Neill"_s);
    drv.click("cmdSave");
    EXPECT_TRUE(drv.looksLikeBrowseMode());
    EXPECT_EQ(course(), (QStringList{"K0", "Word", "O'Neill", "12,50", "7,3", "IT", "I"}));
    EXPECT_FALSE(drv.field(K::KursNr)->isEnabled());
    EXPECT_EQ(test::firstText(db(), "SELECT Rubrik FROM Kurs WHERE KursNr = ?", {"K0"}), u" IT "_s.leftJustified(40));
    EXPECT_EQ(value("SELECT Referent FROM Kurs WHERE KursNr = ?", {"K0"}), "O'Neill");

    typeNewCourse(u"K9"_s, u"Sonstiges"_s, u"Grenzen"_s, u"E"_s, u"9999,99"_s, u"999,9"_s);
    drv.click("cmdSave");
    EXPECT_EQ(course().mid(3, 2), (QStringList{"9999,99", "999,9"}));
    // A new blank course starts with 0 and can be saved without touching them.
    typeNewCourse(u"K8"_s, u"IT"_s, u"Null"_s, u"A"_s);
    drv.click("cmdSave");
    EXPECT_EQ(course().mid(3, 2), (QStringList{"0,00", "0,0"}));
    EXPECT_EQ(rows("SELECT KursNr FROM Kurs ORDER BY KursNr"), (QStringList{"K0", "K1", "K2", "K3", "K8", "K9"}));
}

TEST_P(KursWindowTest, ChecksReportOnlyTheFirstFailureWithFocusOnItsField)
{
    openOnStandardRows();
    const struct {
        QString nr, rubrik, text, art, kosten, dauer, message, focus;
    } cases[] = {
        {"", "", "", "", "0", "0", "Die Eingabe einer Kurs-Nr. ist zwingend erforderlich!", test::fieldName(K::KursNr)},
        {"  ", "IT", "a", "A", "0", "0", "Die Eingabe einer Kurs-Nr. ist zwingend erforderlich!",
         test::fieldName(K::KursNr)},
        {"K2", "", "", "", "0", "0", "Die eingegebene Kurs-Nr. ist bereits vorhanden!", test::fieldName(K::KursNr)},
        {"K9", "", "a", "A", "0", "0", "Die Eingabe einer Rubrik ist zwingend erforderlich!", "cmbRubrik"},
        {"K9", "it", "a", "A", "0", "0", "Die eingegebene Rubrik ist nicht vorhanden!", "cmbRubrik"},
        {"K9", "IT", " ", "A", "0", "0", "Die Eingabe einer Beschreibung ist zwingend erforderlich!",
         test::fieldName(K::Beschreibung)},
        {"K9", "IT", "a", "", "0", "0", "Die Eingabe einer Art ist zwingend erforderlich!", "cmbArt"},
        {"K9", "IT", "a", "a", "0", "0", "Die eingegebene Art ist nicht vorhanden!", "cmbArt"},
        {"K9", "IT", "a", "A", "10000", "0", "Die Kosten müssen zwischen 0 und 9999.99 sein!",
         test::fieldName(K::Kosten)},
        {"K9", "IT", "a", "A", "-1", "0", "Die Kosten müssen zwischen 0 und 9999.99 sein!", test::fieldName(K::Kosten)},
        {"K9", "IT", "a", "A", "abc", "0", "Die Kosten sind ungültig!", test::fieldName(K::Kosten)},
        {"K9", "IT", "a", "A", "", "0", "Die Kosten sind ungültig!", test::fieldName(K::Kosten)},
        {"K9", "IT", "a", "A", "nan", "0", "Die Kosten sind ungültig!", test::fieldName(K::Kosten)},
        {"K9", "IT", "a", "A", "0", "-inf", "Die Dauer ist ungültig!", test::fieldName(K::Dauer)},
        {"K9", "IT", "a", "A", "9999,99", "1000", "Die Dauer muß zwischen 0 und 999.9 sein!",
         test::fieldName(K::Dauer)},
        {"K9", "IT", "a", "A", "0", "x", "Die Dauer ist ungültig!", test::fieldName(K::Dauer)},
        {"K9", "IT", "a", "A", "0", "", "Die Dauer ist ungültig!", test::fieldName(K::Dauer)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        typeNewCourse(c.nr, c.rubrik, c.text, c.art, c.kosten, c.dauer);
        expectRefused(c.message, c.focus);
    }
    EXPECT_EQ(count("Kurs"), 3);
}

// Neither Esc nor any way of closing ends a window in the middle of an edit or an addition.
TEST_P(KursFormTest, ClosingInEditOrAddModeIsRefused)
{
    openOnStandardRows();
    for (const bool adding : {false, true}) {
        SCOPED_TRACE(adding);
        if (adding)
            drv.trigger("New");
        else
            drv.type(K::Referent, u"x"_s);
        EXPECT_FALSE(drv.action("Close")->isEnabled());
        EXPECT_FALSE(drv.action("mnuClose")->isEnabled());
        drv.key(drv.field(K::Beschreibung), Qt::Key_Escape);
        for (int i = 0; i < 2; ++i)
            prompter.expectMessage(u"Beenden Sie zuerst den Bearbeitungsmodus!"_s, u"Schließen"_s, Icon::Exclamation);
        drv.form()->close();
        EXPECT_FALSE(drv.form()->queryClose()); // the end of the program asks the same way
        EXPECT_TRUE(drv.isOpen());
        drv.click("cmdUndo");
    }
    EXPECT_TRUE(drv.form()->queryClose());
    drv.key(drv.field(K::Beschreibung), Qt::Key_Escape);
    EXPECT_FALSE(drv.isOpen());
}

TEST_P(KursWindowTest, DeletingTheLastInOrderBeepsAndTheLastCourseClosesTheWindow)
{
    addKurs(u"K1"_s, u"IT"_s, u"Excel"_s, u"I"_s);
    addKurs(u"K2"_s, u"IT"_s, u"Word"_s, u"I"_s);
    open();
    drv.trigger("Gobot");
    expectDelete();
    drv.trigger("Delete");
    EXPECT_EQ(prompter.beeps(), 1);
    EXPECT_EQ(shown(), "K1");
    expectDelete();
    expectWarning(kLastGone);
    drv.trigger("mnuDelete");
    EXPECT_FALSE(drv.isOpen());
    EXPECT_EQ(count("Kurs"), 0);
}

// Another workstation deleted the shown course: delete and save both jump to
// the first; the entries of the course stay when it could not be deleted here.
TEST_P(KursWindowTest, CourseDeletedElsewhereSendsDeleteAndSaveToTheFirst)
{
    openOnStandardRows();
    drv.trigger("Gonext");
    otherDeletes(u"K2"_s);
    expectDelete(Answer::Yes, test::deleteWithEntries(u"Kurs"_s, 2));
    expectWarning(test::kGone);
    drv.trigger("Delete");
    EXPECT_EQ(count("Trainingsplan", "KursNr = ?", {"K2"}), 2);
    EXPECT_EQ(shown(), "K1");
    EXPECT_TRUE(drv.looksLikeBrowseMode());

    drv.trigger("Gobot");
    drv.type(K::Beschreibung, u"Neu"_s);
    otherDeletes(u"K3"_s);
    expectWarning(test::kGone);
    drv.click("cmdSave");
    EXPECT_EQ(shown(), "K1");
    EXPECT_TRUE(drv.looksLikeBrowseMode());
    EXPECT_EQ(drv.status(), "");
    drv.trigger("Gobot");
    EXPECT_EQ(shown(), "K1");
    EXPECT_EQ(count("Kurs"), 1);

    // With every course gone the window closes as after the last delete.
    drv.type(K::Beschreibung, u"Neu"_s);
    otherDeletes(u"K1"_s);
    expectWarning(test::kGone);
    expectWarning(kLastGone);
    drv.click("cmdSave");
    EXPECT_FALSE(drv.isOpen());
    EXPECT_EQ(count("Kurs"), 0);
}

TEST_P(KursFormTest, ClipboardKeysInAListFieldDoNothingAsTheMenuCommandsDo)
{
    openOnStandardRows();
    QComboBox *rubrik = drv.combo(u"cmbRubrik"_s);
    const QString before = rubrik->currentText();
    for (const QKeySequence &keys :
         {QKeySequence(Qt::CTRL | Qt::Key_X), QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_V)}) {
        SCOPED_TRACE(keys.toString().toStdString());
        QGuiApplication::clipboard()->setText(u"vorher"_s);
        rubrik->lineEdit()->selectAll();
        // As the keyboard sends them: the combo box sees them before its text box.
        drv.keys(rubrik, keys);
        EXPECT_EQ(rubrik->currentText(), before);
        EXPECT_EQ(QGuiApplication::clipboard()->text(), u"vorher"_s);
        EXPECT_TRUE(drv.looksLikeBrowseMode());
    }
    // In a text field the same key cuts, as "Ausschneiden" does.
    QLineEdit *f = drv.field(K::Referent);
    drv.focus(f);
    f->selectAll();
    drv.keys(f, QKeySequence(Qt::CTRL | Qt::Key_X));
    EXPECT_EQ(f->text(), "");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), u"Meier"_s.leftJustified(30));
    EXPECT_TRUE(drv.looksLikeEditMode());
    drv.click("cmdUndo");
}

// A course deleted and added again elsewhere while this window edits it: before
// the checks the save writes over it by its number; between checks and write it
// is read again.
TEST_P(KursWindowTest, CourseReAddedElsewhereIsWrittenByNumberOrReread)
{
    seed();
    auto *form = new HookedKurs;
    form->load();
    drv = test::RecordDriver(form);
    drv.trigger("Gonext");
    drv.type(K::Beschreibung, u"Mein Text"_s);
    otherDeletes(u"K2"_s);
    addKurs(u"K2"_s, u"Sonstiges"_s, u"Fremder Text"_s, u"E"_s);
    drv.click("cmdSave");
    EXPECT_EQ(course().mid(0, 2), (QStringList{"K2", "Mein Text"}));
    EXPECT_EQ(beschreibung("K2"), "Mein Text");

    drv.type(K::Beschreibung, u"Zweiter Text"_s);
    form->beforeChecks = [&] {
        otherDeletes(u"K2"_s);
        form->beforeKey = [&] { addKurs(u"K2"_s, u"IT"_s, u"Fremder Text"_s, u"I"_s); };
    };
    expectWarning(test::kChanged);
    drv.click("cmdSave");
    EXPECT_EQ(course().mid(0, 2), (QStringList{"K2", "Fremder Text"}));
    EXPECT_TRUE(drv.looksLikeBrowseMode());
    EXPECT_EQ(drv.status(), "");

    // The table goes away between the write and the re-read that follows it.
    drv.type(K::Beschreibung, u"Dritter Text"_s);
    form->beforeKey = [&] { connect().exec(isPostgres() ? u"DROP TABLE Kurs CASCADE"_s : u"DROP TABLE Kurs"_s); };
    expectError(u"RefreshError"_s);
    drv.click("cmdSave");
    EXPECT_TRUE(drv.isOpen());
    EXPECT_TRUE(drv.looksLikeBrowseMode());
}

TEST_P(KursWindowTest, ValueTheColumnRejectsKeepsEditMode)
{
    openOnStandardRows();
    // More than the column holds, past the box's own limit, as another program's text can be;
    // U+0000, which PostgreSQL cannot store, in a pasted text: refused alike on both engines.
    const auto refused = [this] {
        expectInvalid();
        drv.click("cmdSave");
        EXPECT_TRUE(drv.looksLikeEditMode());
        EXPECT_EQ(beschreibung("K1"), "Excel");
    };
    drv.field(K::Beschreibung)->setValidator(nullptr);
    drv.field(K::Beschreibung)->setMaxLength(200);
    drv.type(K::Beschreibung, QString(81, QLatin1Char('x')));
    refused();
    drv.field(K::Beschreibung)->setText(u"a"_s + QChar(0) + u"b"_s);
    refused();
    drv.type(K::Beschreibung, u"kurz"_s);
    drv.click("cmdSave");
    EXPECT_TRUE(drv.looksLikeBrowseMode());
    EXPECT_EQ(beschreibung("K1"), "kurz");
}

TEST_P(KursWindowTest, CourseNumbersWithApostrophesWorkAndEmptyColumnsShowEmpty)
{
    addKurs(u"O'1"_s, u"IT"_s, u"Quote"_s, u"I"_s);
    addMitarbeiter(u"Abel, Anna"_s, u"100"_s, u"EK"_s, u"Ets"_s, u"Einkauf"_s);
    addPlan(u"O'1"_s, u"Abel, Anna"_s);
    db().exec(u"INSERT INTO Kurs (KursNr, Beschreibung) VALUES (?, ?)"_s, {u"N1"_s, u"Lücken"_s});
    open();
    EXPECT_EQ(course(), (QStringList{"N1", "Lücken", "", "", "", "", ""}));
    EXPECT_TRUE(drv.looksLikeBrowseMode());
    typeNewCourse(u"O'1"_s, u"IT"_s, u"x"_s, u"I"_s);
    expectInvalid();
    drv.click("cmdSave");
    EXPECT_EQ(drv.status(), "Die eingegebene Kurs-Nr. ist bereits vorhanden!");
    drv.type(K::KursNr, u"A'2"_s);
    drv.click("cmdSave");
    EXPECT_EQ(shown(), "A'2");
    drv.trigger("Gobot");
    expectDelete(Answer::Yes, test::deleteWithEntries(u"Kurs"_s, 1));
    drv.trigger("Delete");
    EXPECT_EQ(count("Trainingsplan"), 0);
    EXPECT_EQ(rows("SELECT KursNr FROM Kurs ORDER BY KursNr"), (QStringList{"A'2", "N1"}));
}

TEST_P(KursFormTest, SeekShowsTheChosenCourse)
{
    openOnStandardRows();
    prompter.expectModal([](QDialog &d) {
        auto &seek = static_cast<search::FrmSeek &>(d);
        EXPECT_EQ(seek.lstFields->currentItem()->text(), "KursNr");
        seek.SeekPosition = 3; // as if the third row of the handed rows was picked
        d.reject();
    });
    drv.trigger("Seek");
    EXPECT_EQ(shown(), "K3");
    EXPECT_TRUE(drv.looksLikeBrowseMode());
}

// A connection or table that cannot be opened: the failure in its box, then a
// window that offers nothing but closing.
TEST_P(KursWindowTest, WindowWithoutRowsOffersOnlyClosing)
{
    seed();
    for (const bool connection : {true, false}) {
        SCOPED_TRACE(connection);
        if (connection) {
            services::setDataPath(tempPath() + u"/fehlt/"_s);
            services::settings::write(u"Service"_s, u"Datenbank"_s,
                                      isPostgres() ? u"postgresql://127.0.0.1:1/orv"_s : QString());
        } else {
            db().exec(u"ALTER TABLE Kurs RENAME COLUMN KursNr TO Nummer"_s);
        }
        expectError(connection ? u"OpenConnectionError"_s : u"OpenRecordsetError"_s);
        open();
        for (const char *name : {"Gotop", "Gonext", "Sort", "Seek", "Report", "New", "NewCopy", "Delete", "mnuSort"})
            EXPECT_FALSE(drv.action(QLatin1String(name))->isEnabled()) << name;
        for (QWidget *w : drv.form()->findChildren<QWidget *>())
            if (qobject_cast<QLineEdit *>(w) || qobject_cast<QPushButton *>(w)) {
                EXPECT_EQ(w->isEnabled(), w->objectName() == QLatin1String("cmdCancel"))
                    << w->objectName().toStdString();
            }
        drv.click("cmdCancel");
        EXPECT_FALSE(drv.isOpen());
        services::setDataPath(tempPath() + u"/"_s);
        services::settings::write(u"Service"_s, u"Datenbank"_s, isPostgres() ? target().location : QString());
    }
}

// A delete whose entries cannot be removed keeps the course and its entries,
// and the window's connection is clean for the next save.
TEST_P(KursWindowTest, FailedCascadeDeleteKeepsEverythingAndTheWindowWritesOn)
{
    openOnStandardRows();
    drv.trigger("Gonext");
    connect().exec(u"ALTER TABLE Trainingsplan RENAME TO Trainingsplan_alt"_s);
    expectDelete();
    expectError(u"DeleteError"_s);
    drv.trigger("Delete");
    EXPECT_EQ(shown(), "K2");
    EXPECT_TRUE(drv.looksLikeBrowseMode());
    drv.type(K::Beschreibung, u"Englisch II"_s);
    drv.click("cmdSave");
    EXPECT_TRUE(drv.looksLikeBrowseMode());
    EXPECT_EQ(beschreibung("K2"), "Englisch II");
    EXPECT_EQ(count("Trainingsplan_alt", "KursNr = ?", {"K2"}), 2);
}

// The commit fails after the row went into the transaction: the file's disk
// is full, or the server finds at the commit that another course has the
// text already. The window stays in its mode with what was typed, its rows
// stay as stored, and the same save writes once the cause is gone.
TEST_P(KursWindowTest, FailedCommitKeepsWhatWasTypedAndTheSameSaveWritesItLater)
{
    seed();
    test::DiskFaults disk;
    std::function<void()> failNextCommit, removeCause;
    QString refusal;
    if (isPostgres()) {
        db().exec(u"ALTER TABLE Kurs ADD CONSTRAINT kurs_text_einmal UNIQUE (Beschreibung) "
                  "DEFERRABLE INITIALLY DEFERRED"_s);
        failNextCommit = [] {}; // the text typed below is always another course's
        removeCause = [this] {
            connect().exec(u"UPDATE Kurs SET Beschreibung = KursNr WHERE Beschreibung = ?"_s, {u"Audit"_s});
        };
        refusal = u"UpdateError: -2147217873 Ein Datensatz mit diesem Schlüssel ist bereits vorhanden."_s;
    } else {
        failNextCommit = [&disk] { disk.failWrites(1, SQLITE_FULL); };
        removeCause = [] {}; // the space the one failed write lacked is there again
        refusal = u"UpdateError: 13 Der Datenträger ist voll."_s;
    }
    auto saveFails = [&] {
        failNextCommit();
        prompter.expectMessage(refusal, u"ORV"_s, Icon::None);
        drv.click("cmdSave");
    };
    open();

    drv.type(K::Beschreibung, u"Audit"_s);
    saveFails();
    EXPECT_TRUE(drv.looksLikeEditMode());
    EXPECT_EQ(course().mid(0, 2), (QStringList{"K1", "Audit"}));
    EXPECT_EQ(beschreibung("K1"), "Excel");
    removeCause();
    drv.click("cmdSave");
    EXPECT_TRUE(drv.looksLikeBrowseMode());
    EXPECT_EQ(course().mid(0, 2), (QStringList{"K1", "Audit"}));
    EXPECT_EQ(beschreibung("K1"), "Audit");

    // "Rückgängig" after the failure shows what is stored.
    drv.trigger("Gonext");
    drv.type(K::Beschreibung, u"Audit"_s);
    saveFails();
    drv.click("cmdUndo");
    EXPECT_EQ(course().mid(0, 2), (QStringList{"K2", "Englisch"}));

    // A new course stays in add mode and is not among the rows until it is written.
    typeNewCourse(u"K8"_s, u"IT"_s, u"Audit"_s, u"I"_s);
    saveFails();
    EXPECT_TRUE(drv.looksLikeEditMode());
    EXPECT_TRUE(drv.field(K::KursNr)->isEnabled()); // the key is typed in add mode only
    EXPECT_EQ(course().mid(0, 2), (QStringList{"K8", "Audit"}));
    drv.click("cmdUndo");
    EXPECT_EQ(shown(), "K2");
    drv.trigger("Gobot");
    EXPECT_EQ(shown(), "K3");
    typeNewCourse(u"K9"_s, u"IT"_s, u"Audit"_s, u"I"_s);
    saveFails();
    removeCause();
    drv.click("cmdSave");
    EXPECT_EQ(shown(), "K9");
    EXPECT_EQ(beschreibung("K9"), "Audit");
    drv.trigger("Goprev");
    EXPECT_EQ(shown(), "K3");
    EXPECT_EQ(count("Kurs"), 4);
}

// What the user reads when the disk or the file fails under a save; the
// window keeps what was typed.
TEST_P(KursFormTest, DiskAndFileFailuresAreToldInGerman)
{
    seed();
    test::DiskFaults disk;
    open();
    const struct {
        const char *what;
        std::function<void()> cause;
        QString message;
    } cases[] = {
        {"write error", [&] { disk.failWrites(1, SQLITE_IOERR_WRITE); },
         u"UpdateError: 778 Fehler beim Lesen oder Schreiben der Datei."_s},
        // Another copy put in its place, as a restore from a backup does.
        {"file replaced",
         [&] {
             const QString file = tempPath() + u"/orv.mdb"_s, copy = tempPath() + u"/kopie.mdb"_s;
             ASSERT_TRUE(QFile::copy(file, copy));
             ASSERT_EQ(std::rename(QFile::encodeName(copy).constData(), QFile::encodeName(file).constData()), 0);
         },
         u"UpdateError: 1032 Die Datenbankdatei wurde gelöscht oder durch eine andere ersetzt, während ORV sie "
         "geöffnet hatte; die Änderung wurde nicht gespeichert. Schließen Sie das Fenster und öffnen Sie es wieder, "
         "um mit der jetzigen Datei zu arbeiten."_s},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        drv.type(K::Beschreibung, u"Neu"_s);
        c.cause();
        prompter.expectMessage(c.message, u"ORV"_s, Icon::None);
        drv.click("cmdSave");
        EXPECT_TRUE(drv.looksLikeEditMode());
        EXPECT_EQ(drv.text(K::Beschreibung).trimmed(), "Neu");
        drv.click("cmdUndo");
        EXPECT_EQ(drv.text(K::Beschreibung).trimmed(), "Excel");
    }
    EXPECT_EQ(beschreibung("K1"), "Excel");
}

// A database the user may not write opens for browsing; every attempt to
// change it says why, and once the file can be written the same window saves.
TEST_P(KursFormTest, WriteProtectedDatabaseIsBrowsedUntilItCanBeWrittenAgain)
{
    seed();
    test::DiskFaults disk;
    disk.setWriteProtected(true);
    open();
    EXPECT_EQ(shown(), "K1");
    const QString protectedText = u"Die Datenbank ist schreibgeschützt. Sie können die Daten ansehen, aber erst "
                                  "ändern, wenn die Datei wieder beschreibbar ist."_s;
    for (const char *attempt : {"type", "New", "NewCopy", "Delete"}) {
        SCOPED_TRACE(attempt);
        prompter.expectMessage(protectedText, u"Schreibgeschützt"_s, Icon::Exclamation);
        if (attempt == std::string_view("type"))
            drv.type(K::Beschreibung, u"N"_s);
        else
            drv.trigger(QLatin1String(attempt));
        EXPECT_TRUE(drv.looksLikeBrowseMode());
        EXPECT_EQ(course().mid(0, 2), (QStringList{"K1", "Excel"}));
        EXPECT_EQ(drv.status(), "");
    }
    disk.setWriteProtected(false);
    drv.type(K::Beschreibung, u"Neu"_s);
    drv.click("cmdSave");
    EXPECT_TRUE(drv.looksLikeBrowseMode());
    EXPECT_EQ(beschreibung("K1"), "Neu");
}

// As an ordinary user, whom the system itself refuses: a database file, or
// a folder that cannot take the journal, opens for browsing and each change
// says why. A folder protected while a course is being changed refuses the
// save with the reason and keeps the typing; writable again, it saves.
TEST_P(KursFormTest, ProtectedFileOrFolderIsBrowsedAndSavedOnceWritableAsOrdinaryUser)
{
    ORV_AS_ORDINARY_USER();
    seed();
    const QByteArray folder = QFile::encodeName(tempPath()), file = folder + "/orv.mdb";
    const auto restore = qScopeGuard([&] {
        chmod(folder.constData(), 0700);
        chmod(file.constData(), 0600);
    });
    open();
    for (const QByteArray &path : {file, folder}) {
        SCOPED_TRACE(path.constData());
        ASSERT_EQ(chmod(path.constData(), path == file ? 0400 : 0500), 0);
        prompter.expectMessage(u"Die Datenbank ist schreibgeschützt. Sie können die Daten ansehen, aber erst "
                               "ändern, wenn die Datei wieder beschreibbar ist."_s,
                               u"Schreibgeschützt"_s, Icon::Exclamation);
        drv.type(K::Beschreibung, u"N"_s);
        EXPECT_TRUE(drv.looksLikeBrowseMode());
        EXPECT_FALSE(prompter.pending());
        ASSERT_EQ(chmod(path.constData(), path == file ? 0600 : 0700), 0);
    }
    drv.type(K::Beschreibung, u"Neu"_s);
    ASSERT_EQ(chmod(folder.constData(), 0500), 0);
    prompter.expectMessage(u"UpdateError: 1544 Die Datenbank ist schreibgeschützt."_s, u"ORV"_s, Icon::None);
    drv.click("cmdSave");
    EXPECT_EQ(drv.text(K::Beschreibung).trimmed(), "Neu");
    EXPECT_EQ(beschreibung("K1"), "Excel");
    ASSERT_EQ(chmod(folder.constData(), 0700), 0);
    drv.click("cmdSave");
    EXPECT_TRUE(drv.looksLikeBrowseMode());
    EXPECT_EQ(beschreibung("K1"), "Neu");
}

// A server role that may only read: ORV browses as on a write-protected
// file, each change says why, and once the administrator grants the rights
// the same window saves.
TEST_P(KursServerTest, ARoleThatMayOnlyReadBrowsesUntilItMayWrite)
{
    seed();
    const QString role = u"orv_leser_%1"_s.arg(QCoreApplication::applicationPid());
    const QString schema = test::firstText(db(), u"SELECT current_schema()"_s);
    db().exec(u"CREATE ROLE %1 LOGIN"_s.arg(role));
    const auto drop = qScopeGuard([&] {
        drv.dispose();
        db().exec(u"DROP OWNED BY %1"_s.arg(role));
        db().exec(u"DROP ROLE %1"_s.arg(role));
    });
    db().exec(u"GRANT USAGE ON SCHEMA %1 TO %2"_s.arg(schema, role));
    db().exec(u"GRANT SELECT ON ALL TABLES IN SCHEMA %1 TO %2"_s.arg(schema, role));
    QUrl reader(services::settings::read(u"Service"_s, u"Datenbank"_s));
    reader.setUserName(role);
    services::settings::write(u"Service"_s, u"Datenbank"_s, reader.toString());
    // Said once at the start, as for a file that may not be written.
    prompter.expectMessage(u"Ihr Datenbankbenutzer darf die Datenbank nur lesen:\r\n\r\n"_s
                               + services::connectionTarget().displayName()
                               + u"\r\n\r\nSie können die Daten ansehen, aber nicht ändern. Änderungen sind möglich, "
                                 "sobald der Administrator Ihnen Schreibrechte gibt."_s,
                           u"Warnung"_s, Icon::Exclamation);
    app::warnIfDatabaseReadOnly();
    EXPECT_FALSE(prompter.pending());
    open();
    EXPECT_EQ(shown(), "K1");
    for (const char *attempt : {"type", "New", "Delete"}) {
        SCOPED_TRACE(attempt);
        prompter.expectMessage(u"Die Datenbank ist schreibgeschützt. Sie können die Daten ansehen, aber erst "
                               "ändern, wenn die Datei wieder beschreibbar ist."_s,
                               u"Schreibgeschützt"_s, Icon::Exclamation);
        if (attempt == std::string_view("type"))
            drv.type(K::Beschreibung, u"N"_s);
        else
            drv.trigger(QLatin1String(attempt));
        EXPECT_TRUE(drv.looksLikeBrowseMode());
        EXPECT_EQ(drv.status(), "");
    }
    EXPECT_FALSE(prompter.pending());
    db().exec(u"GRANT INSERT, UPDATE, DELETE ON ALL TABLES IN SCHEMA %1 TO %2"_s.arg(schema, role));
    drv.type(K::Beschreibung, u"Neu"_s);
    drv.click("cmdSave");
    EXPECT_TRUE(drv.looksLikeBrowseMode());
    EXPECT_EQ(beschreibung("K1"), "Neu");
}

ORV_DB_TEST_SUITE(KursWindowTest);
ORV_SQLITE_TEST_SUITE(KursFormTest);
ORV_POSTGRES_TEST_SUITE(KursServerTest);
