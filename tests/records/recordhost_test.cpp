#include "app/frmmain.h"
#include "app/windowfactory.h"
#include "records/recorddriver.h"
#include "records/recordwindows.h"
#include "services/settings.h"

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

ORV_DB_TEST_SUITE(RecordHostTest);
