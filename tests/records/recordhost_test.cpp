#include "app/frmmain.h"
#include "app/windowfactory.h"
#include "data/backup.h"
#include "data/format.h"
#include "dialogs/frmhandbuch.h"
#include "records/recorddriver.h"
#include "records/recordwindows.h"
#include "reports/frmkursbericht.h"
#include "services/launchers.h"
#include "services/settings.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <QToolButton>
#include <QTreeWidget>
#include <limits>

using namespace orv;
using K = orv::records::FrmKurs;

namespace {

// The record windows inside the real main window, wired as the program wires them.
class RecordHostTest : public test::DbTest {
protected:
    void setUpOnDatabase() override
    {
        for (ui::WindowId w : recordWindows)
            app::windowfactory::add(
                w, {ui::WindowKind::Child, [w]() -> QWidget * { return records::openRecordWindow(w); }});
        seed();
        main = std::make_unique<app::FrmMain>();
        main->show();
        main->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(main.get()));
    }
    void TearDown() override
    {
        main.reset();
        for (ui::WindowId w : recordWindows)
            app::windowfactory::remove(w);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        test::DbTest::TearDown();
    }
    static constexpr ui::WindowId recordWindows[] = {ui::WindowId::Kurs, ui::WindowId::Mitarbeiter,
                                                     ui::WindowId::Trainingsplan};
    records::RecordForm *child(const QString &name) const
    {
        for (QWidget *w : main->childWindows())
            if (w->objectName() == name)
                return qobject_cast<records::RecordForm *>(w);
        return nullptr;
    }
    QString panel(const char *key) const { return main->panelText(QLatin1String(key)); }

    std::unique_ptr<app::FrmMain> main;
};

} // namespace

TEST_P(RecordHostTest, RecordWindowsOpenAsChildrenWithTheirSizeMenusAndSortPanel)
{
    main->openWindow(ui::WindowId::Kurs);
    records::RecordForm *kurs = child(u"frmKurs"_s);
    ASSERT_NE(kurs, nullptr);
    auto *frame = qobject_cast<QMdiSubWindow *>(kurs->parentWidget());
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(panel("Sort"), "Sortierung: KursNr");

    // "&Mitarbeiter" of the course window opens the employee window beside it.
    test::RecordDriver k(kurs);
    k.trigger("mnuMitarbeiter");
    records::RecordForm *ma = child(u"frmMitarbeiter"_s);
    ASSERT_NE(ma, nullptr);
    EXPECT_EQ(panel("Sort"), "Sortierung: Name");
    EXPECT_EQ(main->mdiArea()->activeSubWindow(), ma->parentWidget());

    // The window list of "&Fenster" names both; choosing one activates it.
    auto *window = kurs->findChild<QMenu *>(u"mnuWindow"_s);
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
    EXPECT_EQ(child(u"frmKurs"_s), nullptr);
}

// A window opens with its first field ready for typing: the first field a
// row allows to change, or on an empty table the key field of the new row.
TEST_P(RecordHostTest, OpenedWindowHasTheFocusInItsFirstField)
{
    const struct {
        ui::WindowId window;
        QString focus; // object name of the control, or of the combo box holding it
    } windows[] = {{ui::WindowId::Kurs, u"cmbRubrik"_s},
                   {ui::WindowId::Mitarbeiter, test::fieldName(records::FrmMitarbeiter::Kostenstelle)},
                   {ui::WindowId::Trainingsplan, u"cmbPrioritaet"_s}};
    const auto focusOwner = [] {
        QWidget *f = QApplication::focusWidget();
        if (f && qobject_cast<QComboBox *>(f->parentWidget()))
            f = f->parentWidget();
        return f ? f->objectName() : u"<nothing>"_s;
    };
    for (const auto &w : windows) {
        SCOPED_TRACE(ui::windowName(w.window).objectName);
        main->openWindow(w.window);
        QCoreApplication::processEvents();
        EXPECT_EQ(focusOwner(), w.focus);
    }
    for (const char *name : {"frmTrainingsplan", "frmKurs", "frmMitarbeiter"})
        child(QLatin1String(name))->closeWindow();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    // No course: the window starts a new one, and what is typed is its number.
    db().exec(u"DELETE FROM Trainingsplan"_s);
    db().exec(u"DELETE FROM Kurs"_s);
    main->openWindow(ui::WindowId::Kurs);
    QCoreApplication::processEvents();
    test::RecordDriver k(child(u"frmKurs"_s));
    ASSERT_EQ(QApplication::focusWidget(), k.field(K::KursNr));
    test::typeText(test::RecordDriver::keyboardWindow(), u"K9"_s);
    EXPECT_EQ(k.text(K::KursNr), u"K9"_s);
    k.click("cmdUndo");
}

// "Untereinander" and "Nebeneinander" share the area among the windows but
// never make one smaller than its fields need: the area scrolls instead.
TEST_P(RecordHostTest, TilingNeverCrushesAWindow)
{
    main->resize(900, 600);
    for (ui::WindowId w : recordWindows)
        main->openWindow(w);
    const QList<QMdiSubWindow *> subs = main->mdiArea()->subWindowList(QMdiArea::CreationOrder);
    ASSERT_EQ(subs.size(), 3);
    for (const bool sideBySide : {false, true}) {
        SCOPED_TRACE(sideBySide ? "Nebeneinander" : "Untereinander");
        main->arrangeChildren(sideBySide ? 2 : 1, 0, 0);
        QCoreApplication::processEvents();
        int next = 0;
        for (QMdiSubWindow *sub : subs) {
            SCOPED_TRACE(sub->widget()->objectName().toStdString());
            const QSize least = sub->minimumSizeHint();
            EXPECT_GE(sub->width(), least.width());
            EXPECT_GE(sub->height(), least.height());
            // One after the other, none over another.
            EXPECT_EQ(sideBySide ? sub->x() : sub->y(), next);
            next = sideBySide ? sub->geometry().right() + 1 : sub->geometry().bottom() + 1;
        }
    }
    // Three windows do not fit under each other at this size: the area scrolls.
    main->arrangeChildren(1, 0, 0);
    QCoreApplication::processEvents();
    EXPECT_TRUE(main->mdiArea()->verticalScrollBar()->isVisible());
}

TEST_P(RecordHostTest, EachNavigationKeyMovesOneRowFromATextFieldInEveryWindowOpenedMaximized)
{
    struct Window {
        ui::WindowId window;
        QString field;       // a text field that is enabled in browse mode
        const char *rows[3]; // the key of the rows in sort order
    } windows[] = {{ui::WindowId::Kurs, test::fieldName(K::Beschreibung), {"K1", "K2", "K3"}},
                   {ui::WindowId::Mitarbeiter,
                    test::fieldName(records::FrmMitarbeiter::Kostenstelle),
                    {"Abel, Anna", "Ärger, Udo", "Zorn, Zeno"}},
                   {ui::WindowId::Trainingsplan,
                    test::fieldName(records::FrmTrainingsplan::Bemerkung),
                    {"K1/Abel, Anna", "K2/Ärger, Udo", "K2/Zorn, Zeno"}}};
    struct Step {
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        int row;
    } steps[] = {{Qt::Key_Down, Qt::NoModifier, 1},        {Qt::Key_Down, Qt::NoModifier, 2},
                 {Qt::Key_Up, Qt::NoModifier, 1},          {Qt::Key_PageUp, Qt::NoModifier, 0},
                 {Qt::Key_PageDown, Qt::NoModifier, 1},    {Qt::Key_PageDown, Qt::ShiftModifier, 2},
                 {Qt::Key_PageUp, Qt::ControlModifier, 0}, {Qt::Key_Down, Qt::ControlModifier, 2},
                 {Qt::Key_Home, Qt::NoModifier, 0},        {Qt::Key_End, Qt::NoModifier, 2}};
    test::setSetting(u"WinMaxOpen"_s, u"ON"_s);
    for (const Window &w : windows) {
        SCOPED_TRACE(ui::windowName(w.window).objectName);
        main->openWindow(w.window);
        test::RecordDriver d(child(ui::windowObjectName(w.window)));
        EXPECT_TRUE(d.form()->parentWidget()->isMaximized()); // as switched on
        ASSERT_TRUE(test::activate(main.get()));
        QLineEdit *field = d.widget<QLineEdit>(w.field);
        field->setFocus();
        ASSERT_EQ(QApplication::focusWidget(), field);
        for (const Step &s : steps) {
            d.key(field, s.key, s.mods);
            EXPECT_EQ(d.shown(), QString::fromUtf8(w.rows[s.row])) << "key " << s.key;
        }
        // The field saw the End key too: the caret stands at the end of the text.
        EXPECT_EQ(field->cursorPosition(), field->text().size());
    }
}

// A record window's "&Datei" menu replaces the main window's: the backup is offered there too, and
// under a name of its own, so that accepting the proposal never replaces the day's automatic copy.
TEST_P(RecordHostTest, DatensicherungFromARecordWindowKeepsTheDaysCopy)
{
    const QString database = tempPath() + u"/orv.mdb"_s;
    ASSERT_TRUE(data::makeDailyBackup(database, QDate::currentDate()));
    const QString folder = data::backupFolder(database);
    const QString daily = folder + u"/"_s + data::dailyBackupName(QDate::currentDate());
    const QByteArray morning = test::readFile(daily);
    ASSERT_FALSE(morning.isEmpty());
    db().exec(u"UPDATE Kurs SET Beschreibung = 'nach der Sicherung' WHERE KursNr = 'K1'"_s);

    main->openWindow(ui::WindowId::Kurs);
    records::RecordForm *kurs = child(u"frmKurs"_s);
    ASSERT_NE(kurs, nullptr);
    auto *datei = kurs->findChild<QMenu *>(u"mnuDatei"_s);
    ASSERT_NE(datei, nullptr);
    EXPECT_TRUE(main->menuBar()->actions().contains(datei->menuAction()));
    emit datei->aboutToShow();
    auto *backup = kurs->findChild<QAction *>(u"mnuDatensicherung"_s);
    ASSERT_NE(backup, nullptr);
    EXPECT_TRUE(datei->actions().contains(backup));
    EXPECT_EQ(backup->text(), u"&Datensicherung…"_s);
    ASSERT_TRUE(backup->isEnabled());

    QString proposed;
    prompter.expectModal([&](QDialog &d) {
        auto &fd = dynamic_cast<QFileDialog &>(d);
        proposed = fd.selectedFiles().value(0);
        d.done(QDialog::Accepted); // the proposal as it stands
    });
    const QString day = QDate::currentDate().toString(u"yyyy-MM-dd"_s);
    prompter.expectMessageMatching(u"Die Datenbank wurde gesichert in\r\n"_s
                                       + QRegularExpression::escape(folder + u"/orv-"_s + day) + u"-\\d{6}\\.mdb"_s,
                                   u"Datensicherung"_s, ui::Icon::Information);
    backup->trigger();
    EXPECT_NE(proposed, daily);
    EXPECT_TRUE(QFileInfo(proposed).absolutePath() == folder) << proposed.toStdString();
    EXPECT_EQ(test::readFile(daily), morning);
    EXPECT_NE(test::readFile(proposed), morning);
    EXPECT_TRUE(test::readFile(proposed).contains("nach der Sicherung"));

    // A server database is backed up by the server's tools, from here as from the main window.
    services::settings::write(u"Service"_s, u"Datenbank"_s, u"postgresql://db.example/orv"_s);
    emit datei->aboutToShow();
    EXPECT_FALSE(backup->isEnabled());
}

// The desktop's opener (xdg-open) as the tests put it on PATH: it notes what it
// was to open and ends with the exit code given; none at all for -1.
QString desktopOpener(const QString &folder, int exitCode)
{
    const QString bin = folder + u"/opener%1"_s.arg(exitCode);
    QDir().mkpath(bin);
    if (exitCode >= 0) {
        const QString file = bin + u"/xdg-open"_s;
        test::writeFile(
            file, u"#!/bin/sh\necho \"$1\" >> '%1/geoeffnet'\nexit %2\n"_s.arg(folder).arg(exitCode).toLocal8Bit());
        QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    return bin;
}

dialogs::FrmHandbuch *shownHelp()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *help = qobject_cast<dialogs::FrmHandbuch *>(w); help && help->isVisible())
            return help;
    return nullptr;
}

// "&Handbuch" (F1) and "&Datenordner öffnen" sit in the menus the menu bar shows, the main
// window's and a record window's alike. F1 opens ORV's own help window at the chapter of
// the window, with no browser; where the desktop cannot open the folder the user reads
// why and where the files lie.
TEST_P(RecordHostTest, HandbuchWithF1AndDatenordnerFromEveryMenuBar)
{
    // A build run from its tree shows the handbook of its sources.
    const QString handbook = services::handbookFile();
    ASSERT_TRUE(handbook.endsWith(u"/docs/handbuch/index.html"_s)) << handbook.toStdString();
    const auto shownItem = [this](const char *menu, const char *item) -> QAction * {
        for (QAction *m : main->menuBar()->actions())
            if (m->menu() && m->menu()->objectName() == QLatin1String(menu))
                return m->menu()->findChild<QAction *>(QLatin1String(item));
        return nullptr;
    };
    const QByteArray oldPath = qgetenv("PATH");
    const auto restore = qScopeGuard([&] { qputenv("PATH", oldPath); });
    const QString opened = tempPath() + u"/geoeffnet"_s;
    const auto openedNow = [&] {
        QFile f(opened);
        const QStringList lines = f.open(QIODevice::ReadOnly)
                                      ? QString::fromLocal8Bit(f.readAll()).split(u'\n', Qt::SkipEmptyParts)
                                      : QStringList();
        f.remove();
        return lines;
    };
    const QString folderFails = u"Der Datenordner kann nicht geöffnet werden: Auf diesem Arbeitsplatz ist kein "
                                "Programm zum Öffnen von Ordnern eingerichtet.\r\n\r\n%1\r\n\r\nDie Datenbank orv.mdb "
                                "und ihre Sicherungen (Ordner „Sicherung“) liegen in\r\n"_s;

    for (const char *window : {"frmMain", "frmTrainingsplan"}) {
        SCOPED_TRACE(window);
        const bool record = QLatin1String(window) != QLatin1String("frmMain");
        if (record)
            main->openWindow(ui::WindowId::Trainingsplan);
        main->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(main.get()));
        QAction *open = shownItem("mnuExtras", "mnuDatenordner"), *info = shownItem("mnuHelp", "mnuInfo");
        ASSERT_TRUE(shownItem("mnuHelp", "mnuHandbuch") && open && info);
        EXPECT_EQ(info->text(), record ? u"Inf&o"_s : u"Inf&o "_s);
        EXPECT_EQ(open->text(), u"&Datenordner öffnen"_s);

        // No browser and no opener: the help window needs neither.
        qputenv("PATH", QFile::encodeName(desktopOpener(tempPath(), -1)));
        QTest::keyClick(test::RecordDriver::keyboardWindow(), Qt::Key_F1);
        dialogs::FrmHandbuch *help = shownHelp();
        ASSERT_TRUE(help);
        EXPECT_EQ(help->shownChapter(), record ? u"trainingsplan"_s : u"hauptfenster"_s);
        help->close();
        EXPECT_FALSE(prompter.pending());

        prompter.expectMessage(
            folderFails.arg(u"Das Programm „xdg-open“ ist auf diesem Arbeitsplatz nicht installiert."_s) + tempPath(),
            u"Datenordner"_s, ui::Icon::Exclamation);
        open->trigger();
        EXPECT_FALSE(prompter.pending());
        // An opener that finds no program for folders ends with an error ("no method available").
        const QString failing = desktopOpener(tempPath(), 3);
        qputenv("PATH", QFile::encodeName(failing));
        prompter.expectMessage(
            folderFails.arg(u"Das Programm „%1/xdg-open“ endete mit dem Fehlercode 3."_s.arg(failing)) + tempPath(),
            u"Datenordner"_s, ui::Icon::Exclamation);
        open->trigger();
        EXPECT_TRUE(QTest::qWaitFor([&] { return !prompter.pending(); }, 5000));
        EXPECT_EQ(openedNow(), QStringList{tempPath()});
        // One that opens it says nothing.
        qputenv("PATH", QFile::encodeName(desktopOpener(tempPath(), 0)));
        open->trigger();
        EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(opened); }, 5000));
        QTest::qWait(200);
        EXPECT_EQ(openedNow(), QStringList{tempPath()});
        qputenv("PATH", oldPath);

        // A server database has no folder on this workstation.
        services::settings::write(u"Service"_s, u"Datenbank"_s, u"postgresql://db.example/orv"_s);
        emit qobject_cast<QMenu *>(open->parent())->aboutToShow();
        EXPECT_FALSE(open->isEnabled());
        services::settings::write(u"Service"_s, u"Datenbank"_s, QString());
    }
}

// The help window: its chapters, search, back and forward, the chapter of a
// dialog, and the browser for those who want it.
TEST_P(RecordHostTest, HelpWindowFindsChaptersAndText)
{
    const QByteArray oldPath = qgetenv("PATH");
    const auto restore = qScopeGuard([&] { qputenv("PATH", oldPath); });
    main->openWindow(ui::WindowId::Kurs);
    ASSERT_TRUE(QTest::qWaitForWindowActive(main.get()));
    QTest::keyClick(test::RecordDriver::keyboardWindow(), Qt::Key_F1);
    dialogs::FrmHandbuch *help = shownHelp();
    ASSERT_TRUE(help);
    EXPECT_EQ(help->shownChapter(), u"kurse"_s);
    auto *text = help->findChild<QTextBrowser *>(u"txtHandbuch"_s);
    auto *chapters = help->findChild<QTreeWidget *>(u"lstKapitel"_s);
    ASSERT_TRUE(text && chapters);
    // Scrolled to the chapter's heading, which the list marks.
    EXPECT_EQ(text->cursorForPosition(QPoint(4, 4)).block().text(), u"5. Kurse"_s);
    ASSERT_TRUE(chapters->currentItem());
    EXPECT_EQ(chapters->currentItem()->text(0), u"5. Kurse"_s);
    EXPECT_EQ(chapters->topLevelItemCount(), 17);
    EXPECT_EQ(chapters->topLevelItem(4)->child(0)->text(0),
              u"Schulungen, die wiederholt werden: Reihe und Gültigkeit"_s);

    // A chapter from the list, then back and forward.
    chapters->itemClicked(chapters->topLevelItem(8), 0);
    EXPECT_EQ(help->shownChapter(), u"suchen"_s);
    EXPECT_EQ(text->cursorForPosition(QPoint(4, 4)).block().text(), u"9. Suchen"_s);
    help->findChild<QToolButton *>(u"cmdZurueck"_s)->click();
    EXPECT_EQ(help->shownChapter(), u"kurse"_s);
    help->findChild<QToolButton *>(u"cmdVor"_s)->click();
    EXPECT_EQ(help->shownChapter(), u"suchen"_s);

    // Search: each hit after the last, from the top again at the end; a word that is nowhere is said so.
    auto *find = help->findChild<QLineEdit *>(u"txtSuchen"_s);
    find->setText(u"Fällig bis"_s);
    ASSERT_TRUE(help->findNext());
    const int first = text->textCursor().position();
    EXPECT_EQ(text->textCursor().selectedText(), u"Fällig bis"_s);
    while (help->findNext() && text->textCursor().position() > first)
        ;
    EXPECT_EQ(text->textCursor().position(), first);
    find->setText(u"Quarkstrudel"_s);
    EXPECT_FALSE(help->findNext());
    EXPECT_EQ(help->findChild<QLabel *>(u"lblSuche"_s)->text(), u"„Quarkstrudel“ steht nicht im Handbuch."_s);

    // "Im Browser öffnen" at the chapter shown; without a browser, where the file lies.
    qputenv("PATH", QFile::encodeName(desktopOpener(tempPath(), 0)));
    help->findChild<QPushButton *>(u"cmdBrowser"_s)->click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(tempPath() + u"/geoeffnet"_s); }, 5000));
    QFile::remove(tempPath() + u"/geoeffnet"_s);
    const QString failing = desktopOpener(tempPath(), 3);
    qputenv("PATH", QFile::encodeName(failing));
    prompter.expectMessage(
        u"Das Handbuch kann nicht im Browser angezeigt werden: Auf diesem Arbeitsplatz ist kein "
        "Browser eingerichtet.\r\n\r\nDas Programm „%1/xdg-open“ endete mit dem Fehlercode 3.\r\n\r\n"
        "Sie finden das Handbuch in der Datei\r\n%2\r\n\r\nÖffnen Sie diese Datei mit einem Browser."_s.arg(
            failing, services::handbookFile()),
        u"Handbuch"_s, ui::Icon::Exclamation);
    help->findChild<QPushButton *>(u"cmdBrowser"_s)->click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !prompter.pending(); }, 5000));
    help->close();

    // F1 in a modal dialog: its chapter, in a window that belongs to the dialog and can be used beside it.
    reports::FrmKursBericht dialog(main.get());
    dialog.open();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
    help = shownHelp();
    ASSERT_TRUE(help);
    EXPECT_EQ(help->shownChapter(), u"berichte"_s);
    EXPECT_EQ(help->parentWidget(), &dialog);
    help->close();
    dialog.reject();
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
        data::applyProgramLocale(s.system);
        EXPECT_EQ(data::formatDate(QDate(2026, 12, 6)), QLatin1String(s.date));
        EXPECT_EQ(data::formatNumber(1234.5, 2), QLatin1String(s.number));
        EXPECT_EQ(data::formatUnits(123450, 2), QLatin1String(s.number)); // totals in whole cents
    }

    // The windows as a user on an English system sees them.
    data::applyProgramLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    // Totals digit for digit, beyond what a double holds exactly.
    EXPECT_EQ(data::formatUnits(-5, 2), u"-0,05"_s);
    EXPECT_EQ(data::formatUnits(std::numeric_limits<qint64>::max(), 1), u"922337203685477580,7"_s);
    main = std::make_unique<app::FrmMain>();
    main->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main.get()));
    EXPECT_EQ(main->findChild<QLabel *>(u"Date"_s)->text(), data::formatDate(QDate::currentDate()));
    db().exec(u"UPDATE Kurs SET Kosten = 320, Dauer = 8 WHERE KursNr = 'K1'"_s);
    main->openWindow(ui::WindowId::Kurs);
    test::RecordDriver k(child(u"frmKurs"_s));
    EXPECT_EQ(k.text(K::Kosten).trimmed(), "320,00");
    k.type(K::Dauer, u"12,5"_s);
    k.click("cmdSave");
    EXPECT_EQ(k.text(K::Dauer).trimmed(), "12,5");
    EXPECT_EQ(count("Kurs", "KursNr = 'K1' AND Dauer = 12.5"), 1);

    // A report line carries the decimal comma too.
    reports::FrmKursBericht bericht;
    test::clickButton(bericht, u"cmdAblage"_s);
    EXPECT_TRUE(QGuiApplication::clipboard()->text().contains(u" 320,00   12,5"_s))
        << QGuiApplication::clipboard()->text().toStdString();
}

// Window management and formats: nothing here differs between the engines.
ORV_SQLITE_TEST_SUITE(RecordHostTest);
