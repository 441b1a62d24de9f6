#include "data/dberror.h"
#include "data/valuelists.h"
#include "records/frmkurs.h"
#include "records/recorddriver.h"
#include "records/recordwindows.h"
#include "search/frmseek.h"
#include "services/connectionrecipe.h"
#include "services/settings.h"

#include <QClipboard>
#include <QListWidget>

using namespace orv;
using orv::ui::Answer;
using orv::ui::Icon;

namespace {

const QString kDeleteQuestion = u"Datensatz mit zugeordneten Kursen wirklich löschen?"_s;

class KursWindowTest : public test::RecordWindowTest {
protected:
    void open() { RecordWindowTest::open(u"frmKurs"_s); }
    // A new course through the window, every field typed.
    void typeNewCourse(const QString &nr, const QString &rubrik, const QString &text, const QString &art,
                       const QString &kosten = u"0"_s, const QString &dauer = u"0"_s)
    {
        drv.trigger(u"New"_s);
        drv.type(0, nr);
        drv.type(u"cmbRubrik"_s, rubrik);
        drv.type(1, text);
        drv.type(u"cmbArt"_s, art);
        drv.type(3, kosten);
        drv.type(4, dauer);
    }
};

} // namespace

TEST_P(KursWindowTest, OpensOnTheFirstCourseInBrowseModeWithItsValuesFormatted)
{
    seed();
    open();
    EXPECT_EQ(drv.text(0), "K1    ");
    EXPECT_EQ(drv.text(2).trimmed(), "Meier");
    EXPECT_EQ(drv.text(3), "100,00");
    EXPECT_EQ(drv.text(4), "8,0");
    EXPECT_EQ(drv.comboText("cmbRubrik"), u"IT"_s.leftJustified(40));
    EXPECT_EQ(drv.comboText("cmbArt"), "I");
    EXPECT_TRUE(drv.looksLikeBrowseMode());
    EXPECT_FALSE(drv.field(0)->isEnabled());
    EXPECT_EQ(drv.sort(), "Sortierung: KursNr");
    EXPECT_FALSE(drv.action("mnuKurs")->isEnabled());
    EXPECT_TRUE(drv.action("mnuMitarbeiter")->isEnabled());
}

TEST_P(KursWindowTest, NavigationBeepsAtBothEndsAndTheSwappedMenuNamesGoWhereTheirCaptionsSay)
{
    seed();
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
    seed();
    open();
    QLineEdit *f = drv.field(1);
    f->setFocus();
    drv.key(f, Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(shown(), "K3");
    drv.key(f, Qt::Key_Home);
    EXPECT_EQ(shown(), "K1");
    // The field saw the End key: the caret stands at the end of the text.
    drv.key(f, Qt::Key_End);
    EXPECT_EQ(shown(), "K3");
    EXPECT_EQ(f->cursorPosition(), f->text().size());

    drv.type(1, u"Neu"_s);
    drv.key(f, Qt::Key_PageUp);
    drv.key(f, Qt::Key_Home);
    EXPECT_EQ(shown(), "K3");
    EXPECT_EQ(f->text(), "Neu");
    EXPECT_EQ(f->cursorPosition(), 0);
}

TEST_P(KursWindowTest, FieldsShowTheirTextFromTheStart)
{
    const QString rubrik = data::lists::rubrik().value(0);
    ASSERT_EQ(rubrik.size(), 40);
    addKurs(u"K1"_s, rubrik, QString(80, QLatin1Char('B')), u"I"_s, QString(30, QLatin1Char('R')));
    addKurs(u"K2"_s, rubrik, QString(80, QLatin1Char('C')), u"I"_s);
    open();
    QLineEdit *text = drv.field(1);
    text->setFocus();
    QCoreApplication::processEvents();
    // Focus selects from the caret to the end and keeps the caret, and so the view, at the start.
    EXPECT_EQ(text->selectedText(), text->text());
    EXPECT_EQ(text->cursorPosition(), 0);
    drv.key(text, Qt::Key_Down);
    for (QLineEdit *f : {text, drv.field(2), drv.combo(u"cmbRubrik"_s)->lineEdit()})
        EXPECT_EQ(f->cursorPosition(), 0) << f->objectName().toStdString();
}

TEST_P(KursWindowTest, OneKeystrokeEntersEditModeAndUndoRestoresTheRow)
{
    seed();
    open();
    drv.trigger("Gonext");
    drv.type(2, u"X"_s);
    EXPECT_EQ(drv.status(), "Datensatz bearbeiten");
    EXPECT_TRUE(drv.looksLikeEditMode());
    EXPECT_FALSE(drv.field(0)->isEnabled());
    for (const char *name : {"Sort", "Seek", "New", "NewCopy", "Delete", "mnuClose", "Gotop", "Gobot", "Goprev"})
        EXPECT_FALSE(drv.action(QLatin1String(name))->isEnabled()) << name;
    for (const char *name : {"Cut", "Copy", "Paste", "mnuOptionen", "mnuExit"})
        EXPECT_TRUE(drv.action(QLatin1String(name))->isEnabled()) << name;

    drv.click("cmdUndo");
    EXPECT_TRUE(drv.looksLikeBrowseMode());
    EXPECT_EQ(drv.status(), "");
    EXPECT_EQ(shown(), "K2");
    EXPECT_EQ(drv.text(2).trimmed(), "Smith");
    // "Rückgängig" after "Neu" goes back to the course shown before, not to the first.
    drv.trigger("New");
    drv.type(1, u"verworfen"_s);
    drv.click("cmdUndo");
    EXPECT_EQ(shown(), "K2");
    EXPECT_EQ(drv.text(1).trimmed(), "Englisch");
    EXPECT_EQ(count("Kurs"), 3);
}

TEST_P(KursWindowTest, PickingARubrikFromTheListEntersEditModeAndWritesItPadded)
{
    seed();
    open();
    drv.pick("cmbRubrik", 4);
    EXPECT_EQ(drv.status(), "Datensatz bearbeiten");
    drv.click("cmdSave");
    EXPECT_TRUE(drv.looksLikeBrowseMode());
    EXPECT_EQ(test::firstText(db(), "SELECT Rubrik FROM Kurs WHERE KursNr = ?", {"K1"}),
              u"Sprachen"_s.leftJustified(40));
}

TEST_P(KursWindowTest, SavedCourseIsShownWhereTheSortOrderMovedIt)
{
    seed();
    open();
    drv.trigger("Sort");
    drv.trigger("Sort"); // Beschreibung: Audit (K3), Englisch (K2), Excel (K1)
    drv.trigger("Gotop");
    ASSERT_EQ(shown(), "K3");
    drv.type(1, u"Zoll"_s);
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
    seed();
    open();
    typeNewCourse(u"K0"_s, u" IT "_s, u"Word"_s, u"I"_s, u"12.5"_s, u"7.25"_s);
    EXPECT_EQ(drv.text(3), "12,5");
    drv.type(2, u"O'Neill"_s);
    drv.click("cmdSave");
    EXPECT_TRUE(drv.looksLikeBrowseMode());
    EXPECT_EQ(shown(), "K0");
    EXPECT_EQ(drv.text(3), "12,50");
    EXPECT_EQ(drv.text(4), "7,3");
    EXPECT_FALSE(drv.field(0)->isEnabled());
    EXPECT_EQ(count("Kurs"), 4);
    EXPECT_EQ(test::firstText(db(), "SELECT Rubrik FROM Kurs WHERE KursNr = ?", {"K0"}), u" IT "_s.leftJustified(40));
    EXPECT_EQ(test::firstText(db(), "SELECT Referent FROM Kurs WHERE KursNr = ?", {"K0"}).trimmed(), "O'Neill");
}

TEST_P(KursWindowTest, ChecksReportOnlyTheFirstFailureWithFocusOnItsField)
{
    seed();
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
        expectInvalid();
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
    seed();
    open();
    typeNewCourse(u"K9"_s, u"Sonstiges"_s, u"Grenzen"_s, u"E"_s, u"9999,99"_s, u"999,9"_s);
    drv.click("cmdSave");
    EXPECT_EQ(shown(), "K9");
    EXPECT_EQ(drv.text(3), "9999,99");
    EXPECT_EQ(drv.text(4), "999,9");
    // A new blank course starts with 0 and can be saved without touching them.
    drv.trigger("New");
    drv.type(0, u"K8"_s);
    drv.type(u"cmbRubrik"_s, u"IT"_s);
    drv.type(1, u"Null"_s);
    drv.type(u"cmbArt"_s, u"A"_s);
    drv.click("cmdSave");
    EXPECT_EQ(shown(), "K8");
    EXPECT_EQ(drv.text(3), "0,00");
    EXPECT_EQ(count("Kurs"), 5);
}

TEST_P(KursWindowTest, StoredCourseSavesWithoutTheKeyChecks)
{
    seed();
    open();
    drv.type(4, u"9"_s);
    drv.click("cmdSave");
    EXPECT_EQ(prompter.shown().size(), 0u);
    EXPECT_EQ(shown(), "K1");
    EXPECT_EQ(drv.text(4), "9,0");
}

TEST_P(KursWindowTest, EscClosesOnlyInBrowseMode)
{
    seed();
    open();
    drv.type(1, u"x"_s);
    drv.key(drv.field(1), Qt::Key_Escape);
    EXPECT_TRUE(drv.isOpen());
    drv.click("cmdUndo");
    drv.key(drv.field(1), Qt::Key_Escape);
    EXPECT_FALSE(drv.isOpen());
}

TEST_P(KursWindowTest, ClosingInEditOrAddModeIsRefused)
{
    seed();
    open();
    for (const char *start : {"edit", "add"}) {
        SCOPED_TRACE(start);
        if (QLatin1String(start) == QLatin1String("edit"))
            drv.type(2, u"x"_s);
        else
            drv.trigger("New");
        EXPECT_FALSE(drv.action("Close")->isEnabled());
        EXPECT_FALSE(drv.action("mnuClose")->isEnabled());
        prompter.expectMessage(u"Beenden Sie zuerst den Bearbeitungsmodus!"_s, u"Schließen"_s, Icon::Exclamation);
        drv.form()->close();
        EXPECT_TRUE(drv.isOpen());
        prompter.expectMessage(u"Beenden Sie zuerst den Bearbeitungsmodus!"_s, u"Schließen"_s, Icon::Exclamation);
        EXPECT_FALSE(drv.form()->queryClose()); // the end of the program asks the same way
        drv.click("cmdUndo");
    }
    EXPECT_TRUE(drv.form()->queryClose());
    drv.trigger("mnuClose");
    EXPECT_FALSE(drv.isOpen());
}

TEST_P(KursWindowTest, DeletingTheLastInOrderBeepsAndTheLastCourseClosesTheWindow)
{
    addKurs(u"K1"_s, u"IT"_s, u"Excel"_s, u"I"_s);
    addKurs(u"K2"_s, u"IT"_s, u"Word"_s, u"I"_s);
    open();
    drv.trigger("Gobot");
    prompter.expectMessage(kDeleteQuestion, u"Löschen"_s, Icon::Question, Answer::Yes);
    drv.trigger("Delete");
    EXPECT_EQ(prompter.beeps(), 1);
    EXPECT_EQ(shown(), "K1");
    prompter.expectMessage(kDeleteQuestion, u"Löschen"_s, Icon::Question, Answer::Yes);
    prompter.expectMessage(u"Der letzte Datensatz wurde gelöscht!"_s, u"Warnung"_s, Icon::Exclamation);
    drv.trigger("Delete");
    EXPECT_FALSE(drv.isOpen());
    EXPECT_EQ(count("Kurs"), 0);
}

TEST_P(KursWindowTest, DeleteOfACourseGoneElsewhereKeepsTheEntriesAndShowsTheFirst)
{
    seed();
    open();
    drv.trigger("Gonext");
    connect().exec(u"DELETE FROM Kurs WHERE KursNr = ?"_s, {u"K2"_s});
    prompter.expectMessage(kDeleteQuestion, u"Löschen"_s, Icon::Question, Answer::Yes);
    prompter.expectMessage(test::kGone, u"Warnung"_s, Icon::Exclamation);
    drv.trigger("Delete");
    // All or nothing: the entries of the course stay when its course could not be deleted here.
    EXPECT_EQ(count("Trainingsplan", "KursNr = ?", {"K2"}), 2);
    EXPECT_EQ(shown(), "K1");
    EXPECT_TRUE(drv.looksLikeBrowseMode());
    drv.trigger("Gobot");
    EXPECT_EQ(shown(), "K3");
}

TEST_P(KursWindowTest, SavingACourseDeletedElsewhereJumpsToTheFirst)
{
    seed();
    open();
    drv.trigger("Gobot");
    drv.type(1, u"Neu"_s);
    {
        data::Connection other = connect();
        other.exec(u"DELETE FROM Kurs WHERE KursNr = ?"_s, {u"K3"_s});
    }
    prompter.expectMessage(test::kGone, u"Warnung"_s, Icon::Exclamation);
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
    addKurs(u"K1"_s, u"IT"_s, u"Excel"_s, u"I"_s);
    open();
    drv.type(1, u"Neu"_s);
    connect().exec(u"DELETE FROM Kurs"_s);
    prompter.expectMessage(test::kGone, u"Warnung"_s, Icon::Exclamation);
    prompter.expectMessage(u"Der letzte Datensatz wurde gelöscht!"_s, u"Warnung"_s, Icon::Exclamation);
    drv.click("cmdSave");
    EXPECT_FALSE(drv.isOpen());
    EXPECT_EQ(count("Kurs"), 0);
}

TEST_P(KursWindowTest, ClipboardKeysInAListFieldDoNothingAsTheMenuCommandsDo)
{
    seed();
    open();
    QComboBox *rubrik = drv.combo(u"cmbRubrik"_s);
    rubrik->setFocus();
    ASSERT_TRUE(QApplication::focusWidget() == rubrik || QApplication::focusWidget() == rubrik->lineEdit());
    const QString before = rubrik->currentText();
    for (const QKeySequence &keys :
         {QKeySequence(Qt::CTRL | Qt::Key_X), QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_V)}) {
        SCOPED_TRACE(keys.toString().toStdString());
        QGuiApplication::clipboard()->setText(u"vorher"_s);
        rubrik->lineEdit()->selectAll();
        QTest::keySequence(rubrik->lineEdit(), keys);
        EXPECT_EQ(rubrik->currentText(), before);
        EXPECT_EQ(QGuiApplication::clipboard()->text(), u"vorher"_s);
        EXPECT_TRUE(drv.looksLikeBrowseMode());
    }
    // In a text field the same key cuts, as "Ausschneiden" does.
    QLineEdit *f = drv.field(2);
    f->setFocus();
    f->selectAll();
    QTest::keySequence(f, QKeySequence(Qt::CTRL | Qt::Key_X));
    EXPECT_EQ(f->text(), "");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), u"Meier"_s.leftJustified(30));
    EXPECT_TRUE(drv.looksLikeEditMode());
    drv.click("cmdUndo");
}

TEST_P(KursWindowTest, SavingOverACourseReAddedElsewhereWritesByItsNumber)
{
    seed();
    open();
    drv.trigger("Gonext");
    drv.type(1, u"Mein Text"_s);
    {
        data::Connection other = connect();
        other.exec(u"DELETE FROM Kurs WHERE KursNr = ?"_s, {u"K2"_s});
    }
    addKurs(u"K2"_s, u"Sonstiges"_s, u"Fremder Text"_s, u"E"_s);
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
            other.exec(u"DELETE FROM Kurs WHERE KursNr = ?"_s, {u"K2"_s});
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
                       {u"K2"_s, u"IT"_s, u"Fremder Text"_s, u"I"_s, QString(), 1.0, 1.0});
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
    seed();
    auto *form = new RacedKurs(target());
    form->load();
    drv = test::RecordDriver(form);
    drv.trigger("Gonext");
    drv.type(1, u"Mein Text"_s);
    prompter.expectMessage(test::kChanged, u"Warnung"_s, Icon::Exclamation);
    drv.click("cmdSave");
    EXPECT_EQ(shown(), "K2");
    EXPECT_EQ(drv.text(1).trimmed(), "Fremder Text");
    EXPECT_TRUE(drv.looksLikeBrowseMode());
    EXPECT_EQ(drv.status(), "");
}

TEST_P(KursWindowTest, ValueTheColumnRejectsKeepsEditMode)
{
    seed();
    open();
    // More than the column holds, past the box's own limit, as another program's text can be.
    drv.field(1)->setValidator(nullptr);
    drv.field(1)->setMaxLength(200);
    drv.type(1, QString(81, QLatin1Char('x')));
    expectInvalid();
    drv.click("cmdSave");
    EXPECT_TRUE(drv.looksLikeEditMode());
    EXPECT_EQ(test::firstText(db(), "SELECT Beschreibung FROM Kurs WHERE KursNr = ?", {"K1"}).trimmed(), "Excel");
    // U+0000, which PostgreSQL cannot store, in a pasted text: refused alike on both engines.
    drv.field(1)->setText(u"a"_s + QChar(0) + u"b"_s);
    expectInvalid();
    drv.click("cmdSave");
    EXPECT_TRUE(drv.looksLikeEditMode());
    EXPECT_EQ(test::firstText(db(), "SELECT Beschreibung FROM Kurs WHERE KursNr = ?", {"K1"}).trimmed(), "Excel");
    drv.type(1, u"kurz"_s);
    drv.click("cmdSave");
    EXPECT_TRUE(drv.looksLikeBrowseMode());
    EXPECT_EQ(test::firstText(db(), "SELECT Beschreibung FROM Kurs WHERE KursNr = ?", {"K1"}).trimmed(), "kurz");
}

TEST_P(KursWindowTest, CourseNumbersWithApostrophesWork)
{
    addKurs(u"O'1"_s, u"IT"_s, u"Quote"_s, u"I"_s);
    addMitarbeiter(u"Abel, Anna"_s, u"100"_s, u"EK"_s, u"Ets"_s, u"Einkauf"_s);
    addPlan(u"O'1"_s, u"Abel, Anna"_s);
    open();
    typeNewCourse(u"O'1"_s, u"IT"_s, u"x"_s, u"I"_s);
    expectInvalid();
    drv.click("cmdSave");
    EXPECT_EQ(drv.status(), "Die eingegebene Kurs-Nr. ist bereits vorhanden!");
    drv.type(0, u"A'2"_s);
    drv.click("cmdSave");
    EXPECT_EQ(shown(), "A'2");
    drv.trigger("Gobot");
    prompter.expectMessage(kDeleteQuestion, u"Löschen"_s, Icon::Question, Answer::Yes);
    drv.trigger("Delete");
    EXPECT_EQ(count("Trainingsplan"), 0);
    EXPECT_EQ(count("Kurs"), 1);
}

TEST_P(KursWindowTest, EmptyColumnsWrittenElsewhereShowEmptyFields)
{
    db().exec(u"INSERT INTO Kurs (KursNr, Beschreibung) VALUES (?, ?)"_s, {u"N1"_s, u"Lücken"_s});
    open();
    EXPECT_EQ(shown(), "N1");
    EXPECT_EQ(drv.text(2), "");
    EXPECT_EQ(drv.text(3), "");
    EXPECT_EQ(drv.comboText("cmbRubrik"), "");
    EXPECT_TRUE(drv.looksLikeBrowseMode());
}

TEST_P(KursWindowTest, SeekShowsTheChosenCourse)
{
    seed();
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

TEST_P(KursWindowTest, MenuCommandsCarryTheirShortcuts)
{
    seed();
    open();
    const std::pair<const char *, const char *> shortcuts[] = {{"mnuCut", "Ctrl+X"},   {"mnuCopy", "Ctrl+C"},
                                                               {"mnuPaste", "Ctrl+V"}, {"mnuSeek", "Ctrl+F"},
                                                               {"mnuNew", "Ctrl+N"},   {"mnuDelete", "Ctrl+L"}};
    for (const auto &[name, keySeq] : shortcuts)
        EXPECT_EQ(drv.action(QLatin1String(name))->shortcut(), QKeySequence(QLatin1String(keySeq))) << name;
}

ORV_DB_TEST_SUITE(KursWindowTest);

// A connection or table that cannot be opened: the failure in its box, then a
// window that offers nothing but closing.
TEST_P(KursWindowTest, WindowWithoutRowsOffersOnlyClosing)
{
    seed();
    for (const char *failing : {"connection", "rows"}) {
        SCOPED_TRACE(failing);
        const bool connection = QLatin1String(failing) == QLatin1String("connection");
        if (connection) {
            app::setDataPath(tempPath() + u"/fehlt/"_s);
            app::settings::write(u"Service"_s, u"Datenbank"_s,
                                 isPostgres() ? u"postgresql://127.0.0.1:1/orv"_s : QString());
        } else {
            db().exec(u"ALTER TABLE Kurs RENAME COLUMN KursNr TO Nummer"_s);
        }
        prompter.expectMessageMatching(connection ? u"^OpenConnectionError: -?\\d+ .+"_s
                                                  : u"^OpenRecordsetError: -?\\d+ .+"_s,
                                       u"ORV"_s, Icon::None);
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
        app::setDataPath(tempPath() + u"/"_s);
        app::settings::write(u"Service"_s, u"Datenbank"_s, isPostgres() ? target().location : QString());
    }
}

// A delete whose entries cannot be removed keeps the course and its entries,
// and the window's connection is clean for the next save.
TEST_P(KursWindowTest, FailedCascadeDeleteKeepsEverythingAndTheWindowWritesOn)
{
    seed();
    open();
    drv.trigger("Gonext");
    connect().exec(u"ALTER TABLE Trainingsplan RENAME TO Trainingsplan_alt"_s);
    prompter.expectMessage(kDeleteQuestion, u"Löschen"_s, Icon::Question, Answer::Yes);
    prompter.expectMessageMatching(u"^DeleteError: -?\\d+ .+"_s, u"ORV"_s, Icon::None);
    drv.trigger("Delete");
    EXPECT_EQ(count("Kurs", "KursNr = ?", {"K2"}), 1);
    EXPECT_EQ(shown(), "K2");
    EXPECT_TRUE(drv.looksLikeBrowseMode());
    drv.type(1, u"Englisch II"_s);
    drv.click("cmdSave");
    EXPECT_TRUE(drv.looksLikeBrowseMode());
    EXPECT_EQ(test::firstText(db(), "SELECT Beschreibung FROM Kurs WHERE KursNr = 'K2'").trimmed(), "Englisch II");
    EXPECT_EQ(count("Trainingsplan_alt", "KursNr = ?", {"K2"}), 2);
}

namespace {

// The table goes away between the write and the re-read that follows it.
class VanishingKurs : public records::FrmKurs {
public:
    explicit VanishingKurs(data::ConnectionTarget target) : m_target(std::move(target)) {}

protected:
    QStringList keyOfFields() const override
    {
        data::Connection other;
        other.open(m_target);
        other.exec(u"DROP TABLE Kurs"_s);
        return FrmKurs::keyOfFields();
    }

private:
    data::ConnectionTarget m_target;
};

} // namespace

TEST_P(KursWindowTest, FailedRereadAfterASaveIsShownAsRefreshError)
{
    seed();
    auto *form = new VanishingKurs(target());
    form->load();
    drv = test::RecordDriver(form);
    drv.type(1, u"Excel II"_s);
    prompter.expectMessageMatching(u"^RefreshError: -?\\d+ .+"_s, u"ORV"_s, Icon::None);
    drv.click("cmdSave");
    EXPECT_TRUE(drv.isOpen());
    EXPECT_TRUE(drv.looksLikeBrowseMode());
}
