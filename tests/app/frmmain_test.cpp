#include "app/frmmain.h"
#include "app/windowfactory.h"
#include "data/backup.h"
#include "data/schema.h"
#include "data/sqlitebackend.h"
#include "services/connectionrecipe.h"
#include "services/settings.h"
#include "support/testenv.h"
#include "testwindows.h"
#include "ui/format.h"

#include <QApplication>
#include <QDate>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPointer>
#include <QStatusBar>
#include <QTest>
#include <memory>

namespace orv::test {
namespace {

using app::settings::read;
using app::settings::write;

class FrmMainTest : public OrvTest {
protected:
    void TearDown() override
    {
        main.reset();
        for (const QString &name : added)
            app::windowfactory::remove(name);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        OrvTest::TearDown();
    }

    // Registers a window kind for this test; the main window made afterwards offers it.
    void offer(const QString &name, app::WindowKind kind)
    {
        added.append(name);
        app::windowfactory::add(name, {kind, [this, name, kind]() -> QWidget * {
                                           ++created[name];
                                           if (kind == app::WindowKind::Modal) {
                                               auto *d = new QDialog;
                                               d->setObjectName(name);
                                               return d;
                                           }
                                           if (kind == app::WindowKind::Modeless)
                                               return new LoggingWindow(name, &closed);
                                           return new TestChildWindow(name, &closed);
                                       }});
    }

    app::FrmMain &makeMain()
    {
        main = std::make_unique<app::FrmMain>();
        return *main;
    }
    app::FrmMain &showMain()
    {
        makeMain();
        main->show();
        main->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(main.get()));
        return *main;
    }
    void trigger(const char *action)
    {
        auto *a = main->findChild<QAction *>(QString::fromLatin1(action));
        ASSERT_NE(a, nullptr) << action;
        ASSERT_TRUE(a->isEnabled()) << action;
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
        auto *label = main->statusBar()->findChild<QLabel *>(QString::fromLatin1(name));
        return label ? label->text() : u"<kein Feld>"_s;
    }
    QWidget *activeChild() const
    {
        QMdiSubWindow *sub = main->mdiArea()->currentSubWindow();
        return sub ? sub->widget() : nullptr;
    }
    static void setting(const char *key, const QString &value)
    {
        write(u"Settings"_s, QString::fromLatin1(key), value);
    }
    static QString setting(const char *key) { return read(u"Settings"_s, QString::fromLatin1(key)); }
    void storePosition(const QString &l, const QString &t, const QString &w, const QString &h)
    {
        setting("MainLeft", l);
        setting("MainTop", t);
        setting("MainWidth", w);
        setting("MainHeight", h);
    }
    QStringList storedPosition() const
    {
        return {setting("MainLeft"), setting("MainTop"), setting("MainWidth"), setting("MainHeight")};
    }
    void expectEndQuestion(ui::Answer answer)
    {
        prompter.expectMessage(u"Programm wirklich beenden?"_s, u"Beenden"_s, ui::Icon::Question, answer);
    }

    std::unique_ptr<app::FrmMain> main;
    QStringList added;
    QStringList closed; // windows in the order they accepted their close
    QHash<QString, int> created;
};

TEST_F(FrmMainTest, MenusAndPanelsAsTheUserSeesThem)
{
    makeMain();
    EXPECT_EQ(barMenus(), mainMenus());
    QStringList fileMenu;
    for (QAction *a : main->findChild<QMenu *>("mnuFile")->actions())
        fileMenu << (a->isSeparator() ? "-" : a->objectName());
    EXPECT_EQ(fileMenu, (QStringList{"mnuMitarbeiter", "mnuKurs", "mnuTrainingsplan", "-", "mnuDatensicherung", "-",
                                     "mnuBeenden"}));
    EXPECT_EQ(panel("Date"), ui::formatDate(QDate::currentDate()));
    EXPECT_EQ(panel("Date").size(), 10); // four-digit year
    ui::setStatus(u"Datensatz bearbeiten"_s);
    ui::setSort(u"KursNr"_s);
    EXPECT_EQ(panel("Status"), u"Datensatz bearbeiten"_s);
    EXPECT_EQ(panel("Sort"), u"KursNr"_s);

    main.reset();
    // Without the main window the panels fall back to the detached stand-in.
    EXPECT_EQ(ui::WindowHost::instance(), nullptr);
    ui::setStatus(u"danach"_s);
    EXPECT_EQ(ui::StatusPanels::instance().panelText(u"Status"_s), u"danach"_s);
}

TEST_F(FrmMainTest, WindowItemsAreEnabledExactlyForWindowsTheProgramCanMake)
{
    makeMain();
    for (const char *name :
         {"mnuMitarbeiter", "mnuKurs", "mnuTrainingsplan", "mnuNameEdit", "mnuOptionen", "mnuProdInfo", "mnuInfo",
          "Mitarbeiter", "Kurs", "Trainingsplan", "Hilfe", "mnuBeenden", "Exit", "Rechner", "Explorer"})
        EXPECT_TRUE(main->findChild<QAction *>(name)->isEnabled()) << name;

    // A window the program cannot make leaves its item present but disabled.
    const app::WindowEntry saved = *app::windowfactory::find(u"frmMitarbeiter"_s);
    app::windowfactory::remove(u"frmMitarbeiter"_s);
    makeMain();
    EXPECT_FALSE(main->findChild<QAction *>("mnuMitarbeiter")->isEnabled());
    EXPECT_FALSE(main->findChild<QAction *>("Mitarbeiter")->isEnabled());
    EXPECT_TRUE(main->findChild<QAction *>("mnuKurs")->isEnabled());
    app::windowfactory::add(u"frmMitarbeiter"_s, saved);
}

TEST_F(FrmMainTest, OpensAtStoredPositionOrDefault)
{
    struct Case {
        QStringList stored; // left, top, width, height in twips; empty: none stored
        QRect expected;     // pixels
    } cases[] = {
        {{}, QRect(67, 67, 433, 433)},
        {{"3000", "1500", "9000", "7500"}, QRect(200, 100, 600, 500)},
        {{"1500,0", "-150", "12000,4", "9000"}, QRect(100, -10, 800, 600)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.stored.join(' ').toStdString());
        if (!c.stored.isEmpty())
            storePosition(c.stored[0], c.stored[1], c.stored[2], c.stored[3]);
        makeMain();
        EXPECT_EQ(QRect(main->pos(), main->size()), c.expected);
    }
}

TEST_F(FrmMainTest, ClosingStoresPositionUnlessMinimized)
{
    storePosition("3000", "1500", "9000", "7500");
    showMain();
    main->setGeometry(main->geometry().translated(10, 20));
    main->resize(700, 520);
    const QPoint at = main->pos();
    EXPECT_TRUE(main->close());
    EXPECT_EQ(storedPosition(),
              (QStringList{QString::number(at.x() * 15), QString::number(at.y() * 15), "10500", "7800"}));

    // Minimized: the place from before stays stored for the next start.
    storePosition("3000", "1500", "9000", "7500");
    showMain();
    main->resize(650, 480);
    main->showMinimized();
    ASSERT_TRUE(main->isMinimized());
    EXPECT_TRUE(main->close());
    EXPECT_EQ(storedPosition(), (QStringList{"3000", "1500", "9000", "7500"}));
    makeMain();
    EXPECT_EQ(QRect(main->pos(), main->size()), QRect(200, 100, 600, 500));
}

TEST_F(FrmMainTest, OnlyQueryEndOnAsksBeforeClosing)
{
    struct Case {
        const char *value; // nullptr: key absent
        bool asks;
    } cases[] = {{"ON", true}, {"on", false}, {"OFF", false}, {"", false}, {nullptr, false}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.value ? c.value : "(absent)");
        if (c.value)
            setting("QueryEnd", QString::fromLatin1(c.value));
        showMain();
        if (c.asks)
            expectEndQuestion(ui::Answer::Yes);
        const size_t before = prompter.shown().size();
        EXPECT_TRUE(main->close());
        EXPECT_EQ(prompter.shown().size() - before, c.asks ? 1u : 0u);
        EXPECT_FALSE(setting("MainLeft").isEmpty());
        prompter.verify();
        main.reset();
        write(u"Settings"_s, u"MainLeft"_s, QString());
    }
}

TEST_F(FrmMainTest, AnsweringNoKeepsTheProgramOpenWhicheverWayItCloses)
{
    setting("QueryEnd", "ON");
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
    ASSERT_EQ(prompter.shown().size(), 4u);
    EXPECT_EQ(prompter.last().defaultButton, ui::Answer::No);
    EXPECT_EQ(prompter.last().buttons, ui::Buttons::YesNo);

    expectEndQuestion(ui::Answer::Yes);
    trigger("mnuBeenden");
    EXPECT_FALSE(main->isVisible());
}

TEST_F(FrmMainTest, RecordWindowInEditKeepsTheProgramOpen)
{
    showMain();
    auto *a = new TestChildWindow("A", &closed);
    auto *b = new TestChildWindow("B", &closed);
    main->addChild(a);
    main->addChild(b);
    a->refuse = true;
    EXPECT_FALSE(main->close());
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ(main->childWindows(), (QList<QWidget *>{a, b}));
    EXPECT_TRUE(closed.isEmpty());
    EXPECT_EQ(setting("MainLeft"), QString());

    a->refuse = false;
    EXPECT_TRUE(main->close());
    EXPECT_EQ(closed, (QStringList{"B", "A"}));
    EXPECT_FALSE(setting("MainLeft").isEmpty());
}

TEST_F(FrmMainTest, ClosingUnloadsOtherWindowsMostRecentFirst)
{
    offer("frmKurs", app::WindowKind::Child);
    offer("frmMitarbeiter", app::WindowKind::Child);
    offer("frmAbout", app::WindowKind::Modeless);
    showMain();
    trigger("Mitarbeiter");
    trigger("mnuInfo");
    trigger("mnuKurs");
    QPointer<QWidget> about = main->findChild<QWidget *>("frmAbout");
    ASSERT_TRUE(about);
    EXPECT_TRUE(about->isWindow());
    EXPECT_TRUE(main->close());
    EXPECT_EQ(closed, (QStringList{"frmKurs", "frmAbout", "frmMitarbeiter"}));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(about);
    EXPECT_TRUE(main->childWindows().isEmpty());
}

TEST_F(FrmMainTest, OpeningAnOpenWindowOnlyActivatesIt)
{
    offer("frmKurs", app::WindowKind::Child);
    offer("frmMitarbeiter", app::WindowKind::Child);
    offer("frmAbout", app::WindowKind::Modeless);
    showMain();
    trigger("Kurs");
    QWidget *kurs = activeChild();
    ASSERT_NE(kurs, nullptr);
    EXPECT_EQ(kurs->objectName(), u"frmKurs"_s);
    trigger("mnuMitarbeiter");
    EXPECT_EQ(activeChild()->objectName(), u"frmMitarbeiter"_s);

    trigger("Kurs");
    EXPECT_EQ(main->childWindows().size(), 2);
    EXPECT_EQ(created.value("frmKurs"), 1);
    EXPECT_EQ(activeChild(), kurs);

    trigger("Hilfe");
    trigger("mnuInfo");
    EXPECT_EQ(created.value("frmAbout"), 1);

    // Once closed, the next click opens a new one.
    main->mdiArea()->currentSubWindow()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    trigger("mnuKurs");
    EXPECT_EQ(created.value("frmKurs"), 2);
    EXPECT_EQ(main->childWindows().size(), 2);
}

TEST_F(FrmMainTest, ActiveRecordWindowBringsItsOwnMenus)
{
    offer("frmKurs", app::WindowKind::Child);
    showMain();
    EXPECT_EQ(barMenus(), mainMenus());
    trigger("mnuKurs");
    auto *kurs = dynamic_cast<TestChildWindow *>(activeChild());
    ASSERT_NE(kurs, nullptr);
    EXPECT_EQ(barMenus(), (QList<QMenu *>{kurs->menu()}));

    // A child without menus of its own shows the main window's.
    auto *plain = new QWidget;
    main->addChild(plain);
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
    offer("frmTrainingsplan", app::WindowKind::Child);
    for (const QString &value : {u"ON"_s, u"on"_s, u"OFF"_s}) {
        SCOPED_TRACE(value.toStdString());
        setting("TrainingsplanAutoOpen", value);
        created.clear();
        showMain();
        const bool on = value == QLatin1String("ON");
        EXPECT_EQ(created.value("frmTrainingsplan"), on ? 1 : 0);
        EXPECT_EQ(main->childWindows().size(), on ? 1 : 0);
        if (on) {
            ASSERT_NE(activeChild(), nullptr);
            EXPECT_EQ(activeChild()->objectName(), u"frmTrainingsplan"_s);
        }
        main.reset();
    }
}

TEST_F(FrmMainTest, ModalWindowsRunThroughThePrompter)
{
    offer("frmOptions", app::WindowKind::Modal);
    offer("frmProdinfo", app::WindowKind::Modal);
    showMain();
    for (const char *item : {"mnuOptionen", "mnuProdInfo"}) {
        QString seen;
        prompter.expectModal([&seen](QDialog &d) {
            seen = d.objectName();
            d.accept();
        });
        trigger(item);
        prompter.verify();
        EXPECT_TRUE(seen.startsWith("frm")) << item;
    }
    EXPECT_EQ(created.value("frmOptions"), 1);
    EXPECT_EQ(created.value("frmProdinfo"), 1);
    EXPECT_TRUE(main->childWindows().isEmpty());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(main->findChild<QDialog *>(), nullptr);
}

TEST_F(FrmMainTest, DatensicherungCopiesTheDatabaseWhereTheUserSays)
{
    const QString folder = tempPath() + u"/daten/"_s;
    QDir().mkpath(folder);
    app::setDataPath(folder);
    data::createSqliteBackend(folder + u"orv.mdb"_s);
    {
        data::Connection conn;
        conn.open(data::ConnectionTarget::sqliteFile(folder + u"orv.mdb"_s));
        data::schema::create(conn);
    }
    makeMain();
    QAction *item = main->findChild<QAction *>("mnuDatensicherung");
    ASSERT_TRUE(item->isEnabled());
    const QString title = u"Datensicherung"_s;
    auto pick = [&](const QString &file) {
        prompter.expectModal([=](QDialog &d) {
            auto &fd = dynamic_cast<QFileDialog &>(d);
            // The day's name is proposed, beside the database while there is no backup folder.
            EXPECT_EQ(fd.selectedFiles().value(0), folder + data::dailyBackupName(QDate::currentDate()));
            EXPECT_EQ(fd.windowTitle(), title);
            fd.findChild<QLineEdit *>("fileNameEdit")->setText(file); // typed as a person would
            static_cast<QDialog &>(fd).done(QDialog::Accepted);
        });
    };
    const QString copy = tempPath() + u"/stick/vor-dem-umbau"_s;
    QDir().mkpath(tempPath() + u"/stick"_s);
    pick(copy);
    prompter.expectMessage(u"Die Datenbank wurde gesichert in\r\n"_s + copy + u".mdb"_s, title, ui::Icon::Information);
    item->trigger();
    {
        data::Connection conn;
        conn.open(data::ConnectionTarget::sqliteFile(copy + u".mdb"_s));
        EXPECT_TRUE(data::schema::exists(conn));
    }

    pick(tempPath() + u"/fehlt/orv.mdb"_s);
    prompter.expectMessage(QStringLiteral("Die Datensicherung ist fehlgeschlagen.\r\n\r\n"
                                          "Die Datei kann nicht geöffnet oder angelegt werden. (")
                               + tempPath() + u"/fehlt/orv.mdb)"_s,
                           title, ui::Icon::Exclamation);
    item->trigger();

    // On a server database the server's tools back it up.
    write(u"Service"_s, u"Datenbank"_s, u"postgresql://db.example/orv"_s);
    makeMain();
    EXPECT_FALSE(main->findChild<QAction *>("mnuDatensicherung")->isEnabled());
}

TEST_F(FrmMainTest, FailedCheckIsReadableInTheStatusPanelAtTheDefaultSize)
{
    showMain(); // 6500 twips wide
    auto *status = main->findChild<QLabel *>(u"Status"_s);
    auto *sort = main->findChild<QLabel *>(u"Sort"_s);
    auto *date = main->findChild<QLabel *>(u"Date"_s);
    auto shows = [](QLabel *l) {
        QTest::qWait(50); // the status bar lays its panels out again
        return l->contentsRect().width() >= l->fontMetrics().horizontalAdvance(l->text());
    };
    ui::setSort(u"Sortierung: KursNr,Name"_s);
    EXPECT_TRUE(shows(sort));
    EXPECT_TRUE(shows(date));
    for (const QString &check :
         {u"Das Datum ist ungültig!"_s, u"Die Eingabe einer Beschreibung ist zwingend erforderlich!"_s}) {
        SCOPED_TRACE(check.toStdString());
        ui::setStatus(check);
        EXPECT_TRUE(shows(status));
        EXPECT_EQ(status->toolTip(), check);
    }
    // Cleared, the sort order and the clock have their room again.
    ui::setStatus(QString());
    EXPECT_TRUE(shows(sort));
    EXPECT_TRUE(shows(date));
}

TEST_F(FrmMainTest, ArrangesChildWindows)
{
    offer(u"frmAbout"_s, app::WindowKind::Modeless);
    showMain();
    main->resize(900, 700);
    QList<QMdiSubWindow *> subs;
    for (const char *name : {"A", "B", "C"}) {
        main->addChild(new TestChildWindow(QString::fromLatin1(name)));
        subs.append(main->mdiArea()->currentSubWindow());
    }
    const QRect area = main->mdiArea()->viewport()->rect();

    main->arrangeChildren(3, 0, 0);
    for (int i = 0; i < subs.size(); ++i) {
        EXPECT_TRUE(subs[i]->isMinimized());
        EXPECT_EQ(subs[i]->geometry().bottom(), area.bottom());
        if (i > 0) {
            EXPECT_EQ(subs[i]->x(), subs[i - 1]->geometry().right() + 1);
        }
    }
    EXPECT_EQ(subs[0]->x(), 0);

    // Tiling starts by putting every window in normal state, the About window beside the main window too.
    main->openWindow(u"frmAbout"_s);
    QWidget *about = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("frmAbout"))
            about = w;
    ASSERT_NE(about, nullptr);
    about->showMinimized();
    for (int index : {1, 2}) {
        SCOPED_TRACE(index);
        main->arrangeChildren(3, 0, 0);
        ASSERT_TRUE(subs[0]->isMinimized());
        main->arrangeChildren(index, 0, 0);
        for (int i = 0; i < subs.size(); ++i) {
            EXPECT_FALSE(subs[i]->isMinimized());
            const QRect strip =
                index == 1
                    ? QRect(0, area.height() * i / 3, area.width(), area.height() * (i + 1) / 3 - area.height() * i / 3)
                    : QRect(area.width() * i / 3, 0, area.width() * (i + 1) / 3 - area.width() * i / 3, area.height());
            EXPECT_EQ(subs[i]->geometry(), strip);
        }
        EXPECT_FALSE(about->isMinimized());
        about->showMinimized();
    }

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
