#include "app/frmmain.h"
#include "app/windowfactory.h"
#include "records/recorddriver.h"
#include "records/recordwindows.h"
#include "reports/frmkursbericht.h"
#include "services/settings.h"
#include "ui/format.h"

#include <QClipboard>
#include <QLabel>
#include <QRegularExpression>

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>

using namespace orv;
using orv::ui::Icon;

namespace {

// The record windows inside the real main window, wired as the program wires them.
class RecordHostTest : public test::DbTest {
protected:
    void SetUp() override
    {
        test::DbTest::SetUp();
        for (const char *name : {"frmKurs", "frmMitarbeiter", "frmTrainingsplan"}) {
            const QString n = QLatin1String(name);
            app::windowfactory::add(n, {app::WindowKind::Child, [n]() -> QWidget * {
                                            return records::openRecordWindow(n);
                                        }});
        }
        addKurs(QStringLiteral("K1"), QStringLiteral("IT"), QStringLiteral("Excel"), QStringLiteral("I"));
        addMitarbeiter(QStringLiteral("Abel, Anna"), QStringLiteral("100"), QStringLiteral("EK"),
                       QStringLiteral("Ets"), QStringLiteral("Einkauf"));
        main = std::make_unique<app::FrmMain>();
        main->show();
        main->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(main.get()));
    }
    void TearDown() override
    {
        main.reset();
        for (const char *name : {"frmKurs", "frmMitarbeiter", "frmTrainingsplan"})
            app::windowfactory::remove(QLatin1String(name));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        test::DbTest::TearDown();
    }
    records::RecordForm *child(const QString &name) const
    {
        for (QWidget *w : main->childWindows())
            if (w->objectName() == name)
                return qobject_cast<records::RecordForm *>(w);
        return nullptr;
    }
    QStringList menuBar() const
    {
        QStringList names;
        for (QAction *a : main->menuBar()->actions())
            names << a->objectName();
        return names;
    }
    QString panel(const char *key) const { return main->panelText(QLatin1String(key)); }

    std::unique_ptr<app::FrmMain> main;
};

} // namespace

TEST_P(RecordHostTest, RecordWindowsOpenAsChildrenWithTheirSizeMenusAndSortPanel)
{
    main->openWindow(QStringLiteral("frmKurs"));
    records::RecordForm *kurs = child(QStringLiteral("frmKurs"));
    ASSERT_NE(kurs, nullptr);
    auto *frame = qobject_cast<QMdiSubWindow *>(kurs->parentWidget());
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->size(), QSize(720, 380));
    EXPECT_EQ(menuBar(), QStringList({"mnuDatei", "mnuEdit", "mnuAusgabe", "mnuExtras", "mnuWindow", "mnuHelp"}));
    EXPECT_EQ(panel("Sort"), "Sortierung: KursNr");

    // "&Mitarbeiter" of the course window opens the employee window beside it.
    test::RecordDriver k(kurs);
    k.trigger("mnuMitarbeiter");
    records::RecordForm *ma = child(QStringLiteral("frmMitarbeiter"));
    ASSERT_NE(ma, nullptr);
    EXPECT_EQ(ma->parentWidget()->size(), QSize(413, 327));
    EXPECT_EQ(panel("Sort"), "Sortierung: Name");
    EXPECT_EQ(main->mdiArea()->activeSubWindow(), ma->parentWidget());

    // The window list of "&Fenster" names both; choosing one activates it.
    auto *window = kurs->findChild<QMenu *>(QStringLiteral("mnuWindow"));
    emit window->aboutToShow();
    QStringList entries;
    QAction *kursEntry = nullptr;
    for (QAction *a : window->actions())
        if (!a->isSeparator() && a->objectName().isEmpty()) {
            entries << a->text();
            if (a->text().contains(QLatin1String("Kurs")))
                kursEntry = a;
        }
    EXPECT_EQ(entries, QStringList({"&1 Kurs", "&2 Mitarbeiter"}));
    ASSERT_NE(kursEntry, nullptr);
    kursEntry->trigger();
    EXPECT_EQ(main->mdiArea()->activeSubWindow(), frame);
    EXPECT_EQ(panel("Sort"), "Sortierung: KursNr");

    // "Ü&berlappend" from the course window gives every child the course window's size.
    k.trigger("mnuWindowArrange(0)");
    EXPECT_EQ(ma->parentWidget()->size(), QSize(720, 380));

    k.click("cmdCancel");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(child(QStringLiteral("frmKurs")), nullptr);
}

TEST_P(RecordHostTest, TheProgramDoesNotEndWhileARecordWindowEdits)
{
    main->openWindow(QStringLiteral("frmKurs"));
    test::RecordDriver k(child(QStringLiteral("frmKurs")));
    k.type(1, QStringLiteral("x"));
    EXPECT_EQ(panel("Status"), "Datensatz bearbeiten");
    prompter.expectMessage(QStringLiteral("Beenden Sie zuerst den Bearbeitungsmodus!"), QStringLiteral("Schließen"),
                           Icon::Exclamation);
    k.trigger("mnuExit");
    EXPECT_TRUE(main->isVisible());
    prompter.expectMessage(QStringLiteral("Beenden Sie zuerst den Bearbeitungsmodus!"), QStringLiteral("Schließen"),
                           Icon::Exclamation);
    k.form()->parentWidget()->close(); // the frame's close box
    EXPECT_NE(child(QStringLiteral("frmKurs")), nullptr);
    k.click("cmdUndo");
    k.trigger("mnuExit");
    EXPECT_FALSE(main->isVisible());
}

TEST_P(RecordHostTest, OpensMaximizedWhenSwitchedOn)
{
    app::settings::write(QStringLiteral("Settings"), QStringLiteral("WinMaxOpen"), QStringLiteral("ON"));
    main->openWindow(QStringLiteral("frmTrainingsplan"));
    records::RecordForm *tp = child(QStringLiteral("frmTrainingsplan"));
    ASSERT_NE(tp, nullptr);
    EXPECT_TRUE(tp->parentWidget()->isMaximized());
    EXPECT_EQ(panel("Sort"), "Sortierung: KursNr,Name");
    EXPECT_EQ(panel("Status"), "Datensatz hinzufügen"); // no entries yet
}

TEST_P(RecordHostTest, EachNavigationKeyMovesOneRowFromATextFieldInEveryWindow)
{
    addKurs(QStringLiteral("K2"), QStringLiteral("IT"), QStringLiteral("Word"), QStringLiteral("I"));
    addKurs(QStringLiteral("K3"), QStringLiteral("IT"), QStringLiteral("Access"), QStringLiteral("I"));
    addMitarbeiter(QStringLiteral("Berg, Bea"), QStringLiteral("200"), QStringLiteral("VK"), QStringLiteral("Ets"),
                   QStringLiteral("Einkauf"));
    addMitarbeiter(QStringLiteral("Cramer, Carl"), QStringLiteral("300"), QStringLiteral("VK"),
                   QStringLiteral("Ets"), QStringLiteral("Einkauf"));
    for (const char *k : {"K1", "K2", "K3"})
        addPlan(QLatin1String(k), QStringLiteral("Abel, Anna"));
    struct Window {
        const char *name;
        int field;            // a text field that is enabled in browse mode
        const char *rows[3];  // the key field's text of the rows in sort order
    } windows[] = {{"frmKurs", 1, {"K1", "K2", "K3"}},
                   {"frmMitarbeiter", 1, {"Abel, Anna", "Berg, Bea", "Cramer, Carl"}},
                   {"frmTrainingsplan", 10, {"K1", "K2", "K3"}}};
    struct Step {
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        int row;
    } steps[] = {{Qt::Key_Down, Qt::NoModifier, 1},      {Qt::Key_Down, Qt::NoModifier, 2},
                 {Qt::Key_Up, Qt::NoModifier, 1},        {Qt::Key_PageUp, Qt::NoModifier, 0},
                 {Qt::Key_PageDown, Qt::NoModifier, 1},  {Qt::Key_PageDown, Qt::ShiftModifier, 2},
                 {Qt::Key_PageUp, Qt::ControlModifier, 0}, {Qt::Key_End, Qt::NoModifier, 2}};
    for (const Window &w : windows) {
        SCOPED_TRACE(w.name);
        main->openWindow(QLatin1String(w.name));
        test::RecordDriver d(child(QLatin1String(w.name)));
        QApplication::setActiveWindow(main.get());
        QLineEdit *field = d.field(w.field);
        field->setFocus();
        ASSERT_EQ(QApplication::focusWidget(), field);
        for (const Step &s : steps) {
            d.key(field, s.key, s.mods);
            EXPECT_EQ(d.text(0).trimmed(), QLatin1String(w.rows[s.row])) << "key " << s.key;
        }
    }
}

// A system that runs in English still gets German dates and numbers.
TEST_P(RecordHostTest, GermanFormatsOnASystemWithAnotherLanguage)
{
    struct Restore {
        ~Restore() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }
    } restore;
    const struct {
        QLocale system;
        const char *date;
        const char *number;
    } systems[] = {{QLocale(QLocale::English, QLocale::UnitedStates), "06.12.2026", "1234,50"},
                   {QLocale::c(), "06.12.2026", "1234,50"},
                   {QLocale(QLocale::French, QLocale::France), "06.12.2026", "1234,50"},
                   {QLocale(QLocale::German, QLocale::Austria), "06.12.2026", "1234,50"},
                   {QLocale(QLocale::German, QLocale::Switzerland), "06.12.2026", "1234.50"}};
    for (const auto &s : systems) {
        SCOPED_TRACE(s.system.name().toStdString());
        QLocale::setDefault(s.system);
        ui::applyProgramLocale(s.system);
        EXPECT_EQ(ui::formatDate(QDate(2026, 12, 6)), QLatin1String(s.date));
        EXPECT_EQ(ui::formatNumber(1234.5, 2), QLatin1String(s.number));
    }

    // The windows as a user on an English system sees them.
    ui::applyProgramLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    main = std::make_unique<app::FrmMain>();
    main->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main.get()));
    EXPECT_EQ(main->findChild<QLabel *>(QStringLiteral("Date"))->text(), ui::formatDate(QDate::currentDate()));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d\\d\\.\\d\\d\\.\\d{4}$"))
                    .match(main->findChild<QLabel *>(QStringLiteral("Date"))->text())
                    .hasMatch());
    db().exec(QStringLiteral("UPDATE Kurs SET Kosten = 320, Dauer = 8"));
    main->openWindow(QStringLiteral("frmKurs"));
    test::RecordDriver k(child(QStringLiteral("frmKurs")));
    EXPECT_EQ(k.text(3).trimmed(), "320,00");
    k.type(4, QStringLiteral("12,5"));
    k.click("cmdSave");
    EXPECT_EQ(k.text(4).trimmed(), "12,5");
    auto cur = db().query(QStringLiteral("SELECT Dauer FROM Kurs"));
    ASSERT_TRUE(cur->next());
    EXPECT_DOUBLE_EQ(cur->real(0), 12.5);

    // A report line carries the decimal comma too.
    reports::FrmKursBericht bericht;
    QTest::mouseClick(bericht.findChild<QPushButton *>(QStringLiteral("cmdAblage")), Qt::LeftButton);
    EXPECT_TRUE(QGuiApplication::clipboard()->text().contains(QStringLiteral(" 320,00   12,5")))
        << QGuiApplication::clipboard()->text().toStdString();
}

ORV_DB_TEST_SUITE(RecordHostTest);
