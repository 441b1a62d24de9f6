#include "app/frmmain.h"
#include "app/windowfactory.h"
#include "data/backup.h"
#include "data/format.h"
#include "data/schema.h"
#include "services/connectionrecipe.h"
#include "services/settings.h"
#include "support/testenv.h"
#include "ui/windowhost.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDate>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QRegularExpression>
#include <QTest>
#include <memory>

namespace orv::test {
namespace {

using services::settings::write;

// A child window with its own menu that may refuse to close, as a record
// window in the middle of an edit does. Closes it accepted are noted in `log`.
class TestChildWindow : public QWidget, public ui::ChildWindow {
public:
    explicit TestChildWindow(const QString &name, QStringList *log = nullptr) : m_log(log)
    {
        setObjectName(name);
        m_menu = new QMenu(u"&Bearbeiten"_s, this);
    }
    QList<QMenu *> ownMenus() const override { return {m_menu}; }
    bool queryClose() override { return !refuse; }
    QMenu *menu() const { return m_menu; }
    bool refuse = false;

protected:
    void closeEvent(QCloseEvent *e) override
    {
        e->setAccepted(queryClose());
        if (e->isAccepted() && m_log)
            m_log->append(objectName());
    }

private:
    QMenu *m_menu = nullptr;
    QStringList *m_log = nullptr;
};

class FrmMainTest : public OrvTest {
protected:
    void TearDown() override
    {
        main.reset();
        // The program's own windows come back for the tests that follow in this run.
        for (ui::WindowId window : added)
            replaced.contains(window) ? app::windowfactory::add(window, replaced.value(window))
                                      : app::windowfactory::remove(window);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        OrvTest::TearDown();
    }

    // Registers a window kind for this test; the main window made afterwards offers it.
    void offer(ui::WindowId window, ui::WindowKind kind)
    {
        const app::WindowEntry *own = added.contains(window) ? nullptr : app::windowfactory::find(window);
        if (own)
            replaced.insert(window, *own);
        added.append(window);
        const QString name = ui::windowObjectName(window);
        app::windowfactory::add(window, {kind, [this, name, kind]() -> QWidget * {
                                             ++created[name];
                                             if (kind != ui::WindowKind::Modal)
                                                 return new TestChildWindow(name, &closed);
                                             auto *d = new QDialog;
                                             d->setObjectName(name);
                                             return d;
                                         }});
    }

    void makeMain(bool show = false)
    {
        main.reset();
        main = std::make_unique<app::FrmMain>();
        if (show) {
            main->show();
            main->activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowExposed(main.get()));
        }
    }
    void showMain() { makeMain(true); }
    QAction *action(const char *name) const { return main->findChild<QAction *>(QString::fromLatin1(name)); }
    void trigger(const char *name)
    {
        QAction *a = action(name);
        ASSERT_TRUE(a && a->isEnabled()) << name;
        a->trigger();
    }
    QList<QMenu *> barMenus() const
    {
        QList<QMenu *> menus;
        for (QAction *a : main->menuBar()->actions())
            menus.append(a->menu());
        return menus;
    }
    QList<QMenu *> mainMenus() const
    {
        return {main->findChild<QMenu *>("mnuFile"), main->findChild<QMenu *>("mnuExtras"),
                main->findChild<QMenu *>("mnuHelp")};
    }
    QString panel(const char *name) const
    {
        auto *label = main->findChild<QLabel *>(QString::fromLatin1(name));
        return label ? label->text() : u"<kein Feld>"_s;
    }
    QWidget *activeChild() const
    {
        QMdiSubWindow *sub = main->mdiArea()->currentSubWindow();
        return sub ? sub->widget() : nullptr;
    }
    // Left, top, width, height in twips.
    static void storePosition(const QStringList &ltwh)
    {
        for (int i = 0; i < 4; ++i)
            setSetting(kPosition[i], ltwh[i]);
    }
    static QStringList storedPosition()
    {
        QStringList s;
        for (const char *key : kPosition)
            s << setting(key);
        return s;
    }
    void expectEndQuestion(ui::Answer answer)
    {
        prompter.expectMessage(u"Programm wirklich beenden?"_s, u"Beenden"_s, ui::Icon::Question, answer);
    }

    static constexpr const char *kPosition[] = {"MainLeft", "MainTop", "MainWidth", "MainHeight"};
    std::unique_ptr<app::FrmMain> main;
    QList<ui::WindowId> added;
    QMap<ui::WindowId, app::WindowEntry> replaced;
    QStringList closed; // windows in the order they accepted their close
    QHash<QString, int> created;
};

TEST_F(FrmMainTest, PanelsShowTheDateAndWhatTheWindowsReport)
{
    makeMain();
    EXPECT_EQ(barMenus(), mainMenus());
    EXPECT_EQ(panel("Date"), data::formatDate(QDate::currentDate()));
    ui::setStatus(u"Datensatz bearbeiten"_s);
    ui::setSort(u"KursNr"_s);
    EXPECT_EQ(QStringList({panel("Status"), panel("Sort")}), QStringList({"Datensatz bearbeiten", "KursNr"}));

    main.reset();
    // Without the main window the panels fall back to the detached stand-in.
    EXPECT_EQ(ui::WindowHost::instance(), nullptr);
    ui::setStatus(u"danach"_s);
    EXPECT_EQ(ui::StatusPanels::instance().panelText(u"Status"_s), u"danach"_s);
}

TEST_F(FrmMainTest, WindowItemsAreEnabledExactlyForWindowsTheProgramCanMake)
{
    makeMain();
    for (const char *name : {"mnuMitarbeiter", "Mitarbeiter", "mnuNameEdit", "mnuOptionen", "mnuProdInfo", "mnuInfo"})
        EXPECT_TRUE(action(name)->isEnabled()) << name;

    // A window the program cannot make leaves its item present but disabled.
    const app::WindowEntry saved = *app::windowfactory::find(ui::WindowId::Mitarbeiter);
    app::windowfactory::remove(ui::WindowId::Mitarbeiter);
    makeMain();
    app::windowfactory::add(ui::WindowId::Mitarbeiter, saved);
    EXPECT_FALSE(action("mnuMitarbeiter")->isEnabled());
    EXPECT_FALSE(action("Mitarbeiter")->isEnabled());
    EXPECT_TRUE(action("mnuKurs")->isEnabled());
}

TEST_F(FrmMainTest, OpensAtStoredPositionAndStoresItOnCloseUnlessMinimized)
{
    const struct {
        QStringList stored; // left, top, width, height in twips; empty: none stored
        QRect expected;     // pixels
    } cases[] = {
        {{}, QRect(67, 67, 433, 433)},
        {{"3000", "1500", "9000", "7500"}, QRect(200, 100, 600, 500)},
        {{"1500,0", "-150", "12000,4", "9000"}, QRect(100, -10, 800, 600)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.stored.join(' ').toStdString());
        if (!c.stored.isEmpty())
            storePosition(c.stored);
        makeMain();
        EXPECT_EQ(QRect(main->pos(), main->size()), c.expected);
    }

    showMain();
    main->setGeometry(main->geometry().translated(10, 20));
    main->resize(700, 520);
    const QPoint at = main->pos();
    EXPECT_TRUE(main->close());
    EXPECT_EQ(storedPosition(),
              (QStringList{QString::number(at.x() * 15), QString::number(at.y() * 15), "10500", "7800"}));

    // Minimized: the place from before stays stored for the next start.
    storePosition({"3000", "1500", "9000", "7500"});
    showMain();
    main->resize(650, 480);
    main->showMinimized();
    ASSERT_TRUE(main->isMinimized());
    EXPECT_TRUE(main->close());
    EXPECT_EQ(storedPosition(), (QStringList{"3000", "1500", "9000", "7500"}));
}

TEST_F(FrmMainTest, OnlyQueryEndOnAsksBeforeClosing)
{
    const struct {
        const char *value; // nullptr: key absent
        bool asks;
    } cases[] = {{"ON", true}, {"on", false}, {"OFF", false}, {"", false}, {nullptr, false}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.value ? c.value : "(absent)");
        if (c.value)
            setSetting("QueryEnd", QString::fromLatin1(c.value));
        showMain();
        if (c.asks)
            expectEndQuestion(ui::Answer::Yes);
        EXPECT_TRUE(main->close()); // a question where none is expected fails as unexpected
        EXPECT_FALSE(setting("MainLeft").isEmpty());
        prompter.verify();
        setSetting("MainLeft", QString());
    }
}

TEST_F(FrmMainTest, AnsweringNoKeepsTheProgramOpenWhicheverWayItCloses)
{
    setSetting("QueryEnd", "ON");
    showMain();
    const std::function<void()> ways[] = {
        [this] { trigger("mnuBeenden"); },
        [this] { trigger("Exit"); },
        [this] { main->closeProgram(); },
        [this] { main->close(); },
    };
    for (const auto &way : ways) {
        expectEndQuestion(ui::Answer::No);
        way();
        prompter.verify();
        EXPECT_TRUE(main->isVisible());
    }
    EXPECT_EQ(setting("MainLeft"), QString());
    EXPECT_EQ(prompter.last().defaultButton, ui::Answer::No);
    EXPECT_EQ(prompter.last().buttons, ui::Buttons::YesNo);

    expectEndQuestion(ui::Answer::Yes);
    trigger("mnuBeenden");
    EXPECT_FALSE(main->isVisible());
}

// Closing unloads the other windows, most recent first; one window in the
// middle of an edit keeps the whole program open.
TEST_F(FrmMainTest, ClosingUnloadsOtherWindowsMostRecentFirst)
{
    offer(ui::WindowId::Kurs, ui::WindowKind::Child);
    offer(ui::WindowId::Mitarbeiter, ui::WindowKind::Child);
    offer(ui::WindowId::About, ui::WindowKind::Modeless);
    showMain();
    trigger("Mitarbeiter");
    trigger("mnuInfo");
    trigger("mnuKurs");
    QPointer<QWidget> about = main->findChild<QWidget *>("frmAbout");
    ASSERT_TRUE(about);
    EXPECT_TRUE(about->isWindow());
    auto *mitarbeiter = static_cast<TestChildWindow *>(main->childWindows().value(0));
    mitarbeiter->refuse = true;
    EXPECT_FALSE(main->close());
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ(main->childWindows().size(), 2);
    EXPECT_EQ(setting("MainLeft"), QString());

    EXPECT_TRUE(closed.isEmpty());
    mitarbeiter->refuse = false;
    EXPECT_TRUE(main->close());
    EXPECT_EQ(closed, (QStringList{"frmKurs", "frmAbout", "frmMitarbeiter"}));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(about);
    EXPECT_TRUE(main->childWindows().isEmpty());
    EXPECT_FALSE(setting("MainLeft").isEmpty());
}

TEST_F(FrmMainTest, OpeningAnOpenWindowOnlyActivatesIt)
{
    offer(ui::WindowId::Kurs, ui::WindowKind::Child);
    offer(ui::WindowId::Mitarbeiter, ui::WindowKind::Child);
    offer(ui::WindowId::About, ui::WindowKind::Modeless);
    showMain();
    trigger("Kurs");
    QWidget *kurs = activeChild();
    ASSERT_TRUE(kurs && kurs->objectName() == u"frmKurs"_s);
    trigger("mnuMitarbeiter");
    EXPECT_EQ(activeChild()->objectName(), u"frmMitarbeiter"_s);
    trigger("Kurs");
    EXPECT_EQ(activeChild(), kurs);
    trigger("Hilfe");
    trigger("mnuInfo");
    EXPECT_EQ(created, (QHash<QString, int>{{"frmKurs", 1}, {"frmMitarbeiter", 1}, {"frmAbout", 1}}));

    // Once closed, the next click opens a new one.
    main->mdiArea()->currentSubWindow()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    trigger("mnuKurs");
    EXPECT_EQ(created.value("frmKurs"), 2);
    EXPECT_EQ(main->childWindows().size(), 2);
}

TEST_F(FrmMainTest, ActiveRecordWindowBringsItsOwnMenus)
{
    offer(ui::WindowId::Kurs, ui::WindowKind::Child);
    showMain();
    trigger("mnuKurs");
    auto *kurs = dynamic_cast<TestChildWindow *>(activeChild());
    ASSERT_NE(kurs, nullptr);
    EXPECT_EQ(barMenus(), (QList<QMenu *>{kurs->menu()}));

    // A child without menus of its own shows the main window's.
    main->addChild(new QWidget);
    EXPECT_EQ(barMenus(), mainMenus());
    main->activateChild(kurs);
    EXPECT_EQ(barMenus(), (QList<QMenu *>{kurs->menu()}));

    main->mdiArea()->closeAllSubWindows();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(barMenus(), mainMenus());
    // The main window's menus survive the swapping.
    trigger("mnuBeenden");
    EXPECT_FALSE(main->isVisible());
}

TEST_F(FrmMainTest, TrainingsplanOpensWithTheMainWindowWhenSwitchedOn)
{
    offer(ui::WindowId::Trainingsplan, ui::WindowKind::Child);
    for (const QString &value : {u"ON"_s, u"on"_s, u"OFF"_s}) {
        SCOPED_TRACE(value.toStdString());
        setSetting("TrainingsplanAutoOpen", value);
        created.clear();
        showMain();
        const bool on = value == QLatin1String("ON");
        EXPECT_EQ(created.value("frmTrainingsplan"), on ? 1 : 0);
        EXPECT_EQ(activeChild() ? activeChild()->objectName() : QString(), on ? u"frmTrainingsplan"_s : QString());
    }
}

TEST_F(FrmMainTest, ModalWindowsRunThroughThePrompter)
{
    offer(ui::WindowId::Options, ui::WindowKind::Modal);
    offer(ui::WindowId::Prodinfo, ui::WindowKind::Modal);
    showMain();
    QStringList seen;
    for (const char *item : {"mnuOptionen", "mnuProdInfo"}) {
        prompter.expectModal([&seen](QDialog &d) {
            seen << d.objectName();
            d.accept();
        });
        trigger(item);
    }
    EXPECT_EQ(seen, QStringList({"frmOptions", "frmProdinfo"}));
    EXPECT_TRUE(main->childWindows().isEmpty());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(main->findChild<QDialog *>(), nullptr);
}

TEST_F(FrmMainTest, DatensicherungCopiesTheDatabaseWhereTheUserSays)
{
    const QString folder = tempPath() + u"/daten/"_s;
    QDir().mkpath(folder);
    services::setDataPath(folder);
    newDatabase(folder + u"orv.mdb"_s).close();
    // (The copy's mode is the database's: BackupTest.CopiesKeepTheModeOfTheDatabase.)
    makeMain();
    const QString title = u"Datensicherung"_s;
    auto backUp = [&](const QString &file, const QString &message, ui::Icon icon) {
        const QString backups = data::backupFolder(folder + u"orv.mdb"_s);
        const QString proposedIn = QFileInfo(backups).isDir() ? backups + u"/"_s : folder;
        prompter.expectModal([=](QDialog &d) {
            auto &fd = dynamic_cast<QFileDialog &>(d);
            // A name with the day and the time, in the backup folder once there is one, beside the database before.
            const QString proposed = fd.selectedFiles().value(0), day = QDate::currentDate().toString(u"yyyy-MM-dd"_s);
            EXPECT_TRUE(QRegularExpression(u"^"_s + QRegularExpression::escape(proposedIn + u"orv-"_s + day)
                                           + u"-\\d{6}\\.mdb$"_s)
                            .match(proposed)
                            .hasMatch())
                << proposed.toStdString();
            EXPECT_EQ(fd.windowTitle(), title);
            fd.findChild<QLineEdit *>("fileNameEdit")->setText(file); // typed as a person would
            static_cast<QDialog &>(fd).done(QDialog::Accepted);
        });
        prompter.expectMessage(message, title, icon);
        trigger("mnuDatensicherung");
    };
    const QString copy = tempPath() + u"/stick/vor-dem-umbau"_s;
    QDir().mkpath(tempPath() + u"/stick"_s);
    backUp(copy, u"Die Datenbank wurde gesichert in\r\n"_s + copy + u".mdb"_s, ui::Icon::Information);
    data::Connection conn;
    conn.open(data::ConnectionTarget::sqliteFile(copy + u".mdb"_s));
    EXPECT_TRUE(data::schema::exists(conn));

    QDir().mkpath(data::backupFolder(folder + u"orv.mdb"_s));
    backUp(tempPath() + u"/fehlt/orv.mdb"_s,
           u"Die Datensicherung ist fehlgeschlagen.\r\n\r\nDie Datei kann nicht geöffnet oder angelegt werden. ("_s
               + tempPath() + u"/fehlt/orv.mdb)"_s,
           ui::Icon::Exclamation);

    // An address of blanks is none: the file stays the database.
    write(u"Service"_s, u"Datenbank"_s, u"  "_s);
    makeMain();
    EXPECT_TRUE(action("mnuDatensicherung")->isEnabled());
    // On a server database the server's tools back it up.
    write(u"Service"_s, u"Datenbank"_s, u"postgresql://db.example/orv"_s);
    makeMain();
    EXPECT_FALSE(action("mnuDatensicherung")->isEnabled());
}

// With nothing to start on PATH the user hears why nothing opens.
TEST_F(FrmMainTest, RechnerAndExplorerSayWhenNothingCanBeStarted)
{
    QDir().mkpath(tempPath() + u"/leer"_s);
    const ScopedEnv path("PATH", QFile::encodeName(tempPath() + u"/leer"_s));
    showMain();
    prompter.expectMessage(u"Der Rechner kann nicht gestartet werden.\r\n\r\nKeines dieser Rechnerprogramme ist "
                           "installiert: gnome-calculator, kcalc, galculator, mate-calc, xcalc, qalculate-gtk."_s,
                           u"Rechner"_s, ui::Icon::Exclamation);
    trigger("Rechner");
    prompter.expectMessage(u"Der Dateimanager kann nicht gestartet werden: Auf diesem Arbeitsplatz ist kein Programm "
                           "zum Öffnen von Ordnern eingerichtet.\r\n\r\nDas Programm „xdg-open“ ist auf diesem "
                           "Arbeitsplatz nicht installiert.\r\n\r\nGeöffnet werden sollte der Ordner\r\n"_s
                               + QDir::currentPath(),
                           u"Explorer"_s, ui::Icon::Exclamation);
    trigger("Explorer");
    EXPECT_FALSE(prompter.pending());
    // A calculator that is there but ends at once with an error ("cannot open display").
    const QString xcalc = tempPath() + u"/leer/xcalc"_s;
    writeFile(xcalc, "#!/bin/sh\nexit 1\n");
    QFile::setPermissions(xcalc, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    prompter.expectMessage(u"Der Rechner kann nicht gestartet werden.\r\n\r\nDas Programm „%1“ endete mit dem "
                           "Fehlercode 1."_s.arg(xcalc),
                           u"Rechner"_s, ui::Icon::Exclamation);
    trigger("Rechner");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !prompter.pending(); }, 5000));
}

TEST_F(FrmMainTest, FailedCheckIsReadableInTheStatusPanelAtTheDefaultSize)
{
    showMain(); // 6500 twips wide
    auto shows = [this](const char *name) {
        auto *l = main->findChild<QLabel *>(QString::fromLatin1(name));
        QTest::qWait(50); // the status bar lays its panels out again
        return l->contentsRect().width() >= l->fontMetrics().horizontalAdvance(l->text());
    };
    // Each panel within the bar, none over the next, whatever the sort order says.
    const auto apart = [this] {
        QTest::qWait(50);
        QRect before;
        for (const char *name : {"Status", "Sort", "Date", "Time"}) {
            const QRect r = main->findChild<QLabel *>(QString::fromLatin1(name))->geometry();
            if (r.width() == 0)
                continue;
            if (!before.isNull() && r.left() <= before.right())
                return false;
            before = r;
        }
        return before.right() < main->statusBar()->width();
    };
    for (const QString &sort :
         {u"Sortierung: Beschreibung"_s, u"Sortierung: Referent"_s, u"Sortierung: KursNr,Name"_s}) {
        ui::setSort(sort);
        EXPECT_TRUE(apart()) << sort.toStdString();
        EXPECT_TRUE(shows("Sort")) << sort.toStdString();
    }
    for (const QString &check :
         {u"Das Datum ist ungültig!"_s, u"Die Eingabe einer Beschreibung ist zwingend erforderlich!"_s, QString()}) {
        SCOPED_TRACE(check.toStdString());
        ui::setStatus(check);
        EXPECT_TRUE(shows("Status"));
        EXPECT_TRUE(apart());
        // Cleared, the sort order and the clock have their room again.
        if (check.isEmpty()) {
            EXPECT_TRUE(shows("Sort"));
            EXPECT_TRUE(shows("Date"));
        }
    }
}

TEST_F(FrmMainTest, ArrangesChildWindows)
{
    offer(ui::WindowId::About, ui::WindowKind::Modeless);
    showMain();
    main->resize(900, 700);
    QList<QMdiSubWindow *> subs;
    for (const char *name : {"A", "B", "C"}) {
        main->addChild(new TestChildWindow(QString::fromLatin1(name)));
        subs.append(main->mdiArea()->currentSubWindow());
    }
    const QRect area = main->mdiArea()->viewport()->rect();

    // Icons side by side along the bottom.
    main->arrangeChildren(3, 0, 0);
    for (int i = 0; i < subs.size(); ++i) {
        EXPECT_TRUE(subs[i]->isMinimized());
        EXPECT_EQ(subs[i]->geometry().bottom(), area.bottom());
        EXPECT_EQ(subs[i]->x(), i ? subs[i - 1]->geometry().right() + 1 : 0);
    }
    // A row takes the icons that fit exactly; the next one starts a row above.
    const int w = subs[0]->width(), y = subs[0]->y();
    main->resize(main->width() + 2 * w - area.width(), main->height());
    QCoreApplication::processEvents();
    main->arrangeChildren(3, 0, 0);
    ASSERT_EQ(main->mdiArea()->viewport()->width(), 2 * w);
    EXPECT_EQ(QList<QPoint>({subs[1]->pos(), subs[2]->pos()}), QList<QPoint>({{w, y}, {0, y - subs[2]->height()}}));
    main->resize(900, 700);
    QCoreApplication::processEvents();

    // Tiling starts by putting every window in normal state, the About window beside the main window too.
    main->openWindow(ui::WindowId::About);
    QWidget *about = main->findChild<QWidget *>(u"frmAbout"_s);
    ASSERT_NE(about, nullptr);
    for (int index : {1, 2}) {
        SCOPED_TRACE(index);
        about->showMinimized();
        main->arrangeChildren(3, 0, 0);
        main->arrangeChildren(index, 0, 0);
        for (int i = 0; i < subs.size(); ++i) {
            const QRect strip =
                index == 1
                    ? QRect(0, area.height() * i / 3, area.width(), area.height() * (i + 1) / 3 - area.height() * i / 3)
                    : QRect(area.width() * i / 3, 0, area.width() * (i + 1) / 3 - area.width() * i / 3, area.height());
            EXPECT_EQ(subs[i]->geometry(), strip);
            EXPECT_FALSE(subs[i]->isMinimized());
        }
        EXPECT_FALSE(about->isMinimized());
    }

    // Cascading gives each window the size asked for, each below and right of the one before.
    main->arrangeChildren(3, 0, 0);
    main->showMaximized();
    main->arrangeChildren(0, 4500, 3000);
    EXPECT_FALSE(main->isMaximized());
    for (QMdiSubWindow *s : subs) {
        EXPECT_FALSE(s->isMinimized());
        EXPECT_EQ(s->size(), QSize(300, 200));
    }
    EXPECT_LT(subs[0]->x(), subs[1]->x());
    EXPECT_LT(subs[0]->y(), subs[1]->y());
}

} // namespace
} // namespace orv::test
