#include "app/frmmain.h"
#include "ui/widgets.h"

#include <QScrollBar>
#include <QTimer>

#include "app/windowfactory.h"
#include "data/backup.h"
#include "data/dberror.h"
#include "data/format.h"
#include "dialogs/frmhandbuch.h"
#include "services/connectionrecipe.h"
#include "services/lockwaitnotice.h"
#include "services/settings.h"
#include "ui/prompter.h"
#include "ui/savefiledialog.h"
#include "ui/twips.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDate>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QKeySequence>
#include <QLabel>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTime>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>
#include <memory>
#include <optional>

namespace orv::app {

namespace settings = services::settings;

namespace {

int storedPixels(settings::MainPlace place) { return ui::twipsToPixels(settings::mainWindowTwips(place)); }

struct ToolButton {
    const char *key;
    const char *toolTip;
    const char *icon;
    std::optional<ui::WindowId> window; // the window the button opens
};

} // namespace

FrmMain::FrmMain(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmMain"));
    ui::setHelpChapter(this, "hauptfenster");
    setWindowTitle(QStringLiteral("ORV"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/orv.svg")));

    m_area = new QMdiArea(this);
    m_area->setObjectName(QStringLiteral("mdiArea"));
    m_area->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_area->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_area);
    connect(m_area, &QMdiArea::subWindowActivated, this, [this] { showActiveMenus(); });

    buildMenus();
    buildToolBar();
    buildStatusBar();

    ui::WindowHost::setInstance(this);
    ui::StatusPanels::setInstance(this);
    dialogs::installHelpKey();
    services::showLockWaits();
    ui::setFileDialogSizeStore(
        {[] {
             const QStringList wh =
                 settings::read(QStringLiteral("Dialoge"), QStringLiteral("Dateidialog")).split(QLatin1Char('x'));
             return wh.size() == 2 ? QSize(wh[0].toInt(), wh[1].toInt()) : QSize();
         },
         [](const QSize &s) {
             settings::write(QStringLiteral("Dialoge"), QStringLiteral("Dateidialog"),
                             QStringLiteral("%1x%2").arg(s.width()).arg(s.height()));
         }});

    readPosition();
    if (settings::isOn(settings::Switch::TrainingsplanAutoOpen))
        openWindow(ui::WindowId::Trainingsplan);
}

FrmMain::~FrmMain()
{
    // Windows still alive go down with the main window; they then write to
    // the detached panels and find no host.
    disconnect(m_area, nullptr, this, nullptr);
    if (ui::WindowHost::instance() == this)
        ui::WindowHost::setInstance(nullptr);
    if (&ui::StatusPanels::instance() == this)
        ui::StatusPanels::setInstance(nullptr);
}

// ---- menus, toolbar, status bar -------------------------------------------

QAction *FrmMain::windowAction(QMenu *menu, ui::WindowId window)
{
    QAction *a = menu->addAction(ui::windowCaption(window));
    a->setObjectName(ui::windowMenuItem(window));
    // A window that is not part of the program yet leaves its item disabled.
    a->setEnabled(windowfactory::has(window));
    connect(a, &QAction::triggered, this, [this, window] { openWindow(window); });
    return a;
}

void FrmMain::buildMenus()
{
    auto addMenu = [this](const char *name, const QString &caption) {
        auto *menu = new QMenu(caption, this);
        menu->setObjectName(QString::fromLatin1(name));
        m_menus.append(menu);
        return menu;
    };
    auto separator = [](QMenu *menu, const char *name) {
        menu->addSeparator()->setObjectName(QString::fromLatin1(name));
    };

    QMenu *file = addMenu("mnuFile", QStringLiteral("&Datei"));
    windowAction(file, ui::WindowId::Mitarbeiter);
    windowAction(file, ui::WindowId::Kurs);
    windowAction(file, ui::WindowId::Trainingsplan);
    separator(file, "mnuT5");
    QAction *backup = file->addAction(QStringLiteral("&Datensicherung…"));
    backup->setObjectName(QStringLiteral("mnuDatensicherung"));
    connect(backup, &QAction::triggered, this, &FrmMain::mnuDatensicherung_Click);
    auto onSqlite = [this, backup] { backup->setEnabled(canBackUp()); };
    onSqlite();
    connect(file, &QMenu::aboutToShow, backup, onSqlite);
    windowAction(file, ui::WindowId::Import);
    separator(file, "mnuT4");
    QAction *quit = file->addAction(QStringLiteral("&Beenden      Alt+F4"));
    quit->setObjectName(QStringLiteral("mnuBeenden"));
    connect(quit, &QAction::triggered, this, &QWidget::close);

    QMenu *extras = addMenu("mnuExtras", QStringLiteral("E&xtras"));
    windowAction(extras, ui::WindowId::NameEdit);
    windowAction(extras, ui::WindowId::Options);
    windowAction(extras, ui::WindowId::Faellig);
    windowAction(extras, ui::WindowId::Matrix);
    separator(extras, "mnuT9");
    QAction *folder = extras->addAction(QStringLiteral("&Datenordner öffnen"));
    folder->setObjectName(QStringLiteral("mnuDatenordner"));
    connect(folder, &QAction::triggered, this, [this] { services::showDatabaseFolder(this); });
    // A database on a server has no folder on this workstation.
    auto hasFolder = [folder] { folder->setEnabled(!services::databaseFolder().isEmpty()); };
    hasFolder();
    connect(extras, &QMenu::aboutToShow, folder, hasFolder);

    QMenu *help = addMenu("mnuHelp", QStringLiteral("&?"));
    QAction *handbook = help->addAction(QStringLiteral("&Handbuch"));
    handbook->setObjectName(QStringLiteral("mnuHandbuch"));
    handbook->setShortcut(QKeySequence(Qt::Key_F1));
    connect(handbook, &QAction::triggered, this, [this] {
        QWidget *focus = QApplication::focusWidget();
        dialogs::showHelp(focus && focus->window() == this ? focus : this);
    });
    separator(help, "mnuT10");
    windowAction(help, ui::WindowId::Prodinfo);
    separator(help, "mnuT3");
    windowAction(help, ui::WindowId::About);

    for (QMenu *m : std::as_const(m_menus))
        menuBar()->addMenu(m);
}

void FrmMain::buildToolBar()
{
    m_toolBar = addToolBar(QStringLiteral("tbToolBar"));
    m_toolBar->setObjectName(QStringLiteral("tbToolBar"));
    m_toolBar->setMovable(false);
    m_toolBar->setFloatable(false);
    m_toolBar->setIconSize(QSize(24, 24));
    m_toolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    // The main window's own menu lists no toolbar to hide.
    m_toolBar->toggleViewAction()->setVisible(false);
    setContextMenuPolicy(Qt::NoContextMenu);

    static const ToolButton buttons[] = {
        {"Exit", "Programm beenden", "exit", {}},
        {nullptr, nullptr, nullptr, {}},
        {"Mitarbeiter", "Mitarbeiter bearbeiten", "mitarbeiter", ui::WindowId::Mitarbeiter},
        {"Kurs", "Kurse bearbeiten", "kurs", ui::WindowId::Kurs},
        {"Trainingsplan", "Trainingsplan bearbeiten", "trainingsplan", ui::WindowId::Trainingsplan},
        {nullptr, nullptr, nullptr, {}},
        {"Rechner", "Rechner aufrufen", "rechner", {}},
        {"Explorer", "Explorer aufrufen", "explorer", {}},
        {nullptr, nullptr, nullptr, {}},
        {"Hilfe", "Hilfe", "hilfe", ui::WindowId::About},
    };
    for (const ToolButton &b : buttons) {
        if (!b.key) {
            m_toolBar->addSeparator();
            continue;
        }
        const QString key = QString::fromLatin1(b.key);
        QAction *a = m_toolBar->addAction(QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(b.icon))),
                                          QString::fromUtf8(b.toolTip));
        a->setObjectName(key);
        a->setToolTip(QString::fromUtf8(b.toolTip));
        if (const std::optional<ui::WindowId> window = b.window) {
            // Buttons that open a window share its availability.
            a->setEnabled(windowfactory::has(*window));
            connect(a, &QAction::triggered, this, [this, window] { openWindow(*window); });
        } else {
            connect(a, &QAction::triggered, this, [this, key] { onToolButton(key); });
        }
    }
}

void FrmMain::onToolButton(const QString &key)
{
    // Only the key counts; the buttons that open a window go straight to it.
    if (key == QLatin1String("Exit"))
        close();
    else if (key == QLatin1String("Rechner"))
        bringUpCalculator();
    else if (key == QLatin1String("Explorer"))
        bringUpFileManager();
}

void FrmMain::bringUpCalculator()
{
    const auto cannot = [this](const QString &why) {
        ui::inform(this, QStringLiteral("Der Rechner kann nicht gestartet werden.\r\n\r\n") + why,
                   QStringLiteral("Rechner"), ui::Icon::Exclamation);
    };
    if (m_calculator.bringUp(this, cannot))
        return;
    cannot(QStringLiteral("Keines dieser Rechnerprogramme ist installiert: ")
           + services::CalculatorLauncher::candidates().join(QStringLiteral(", ")) + QLatin1Char('.'));
}

void FrmMain::bringUpFileManager() { services::showFileManager(this); }

void FrmMain::buildStatusBar()
{
    QStatusBar *bar = statusBar();
    bar->setObjectName(QStringLiteral("sbStatusBar"));
    bar->setSizeGripEnabled(true);
    auto panel = [bar](const QString &name, int stretch) {
        auto *label = new QLabel(bar);
        label->setObjectName(name);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setContentsMargins(4, 0, 4, 0);
        label->setMinimumWidth(stretch ? 120 : 90);
        if (!stretch)
            label->setAlignment(Qt::AlignCenter);
        bar->addPermanentWidget(label, stretch);
        return label;
    };
    m_panels.insert(QStringLiteral("Status"), panel(QStringLiteral("Status"), 1));
    m_panels.insert(QStringLiteral("Sort"), panel(QStringLiteral("Sort"), 0));
    m_date = panel(QStringLiteral("Date"), 0);
    m_time = panel(QStringLiteral("Time"), 0);
    // The panels' widths are shared out by fitPanels(); the status panel takes what is left.
    m_panels.value(QStringLiteral("Status"))->setMinimumWidth(0);
    // Its text's own width would otherwise count as its least: the sort
    // panel and the clock beside it would be pushed over each other.
    m_panels.value(QStringLiteral("Status"))->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    // A sort panel that gives way keeps the beginning of its text in sight.
    m_panels.value(QStringLiteral("Sort"))->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    for (QLabel *l : {m_panels.value(QStringLiteral("Sort")), m_date, m_time})
        l->setMinimumWidth(0);
    bar->installEventFilter(this);

    showClock();
    m_clock.setInterval(1000);
    connect(&m_clock, &QTimer::timeout, this, &FrmMain::showClock);
    m_clock.start();
}

void FrmMain::showClock()
{
    m_date->setText(data::formatDate(QDate::currentDate()));
    m_time->setText(QLocale().toString(QTime::currentTime(), QLocale::ShortFormat));
}

void FrmMain::setPanelText(const QString &key, const QString &text)
{
    if (QLabel *label = m_panels.value(key)) {
        label->setText(text);
        // A text cut off at the panel's edge can still be read in full.
        label->setToolTip(text);
        fitPanels();
    }
}

// The width a panel needs to show its text whole.
static int panelWidthFor(const QLabel *label, const QString &text)
{
    if (text.isEmpty())
        return 0;
    const QMargins m = label->contentsMargins();
    return label->fontMetrics().horizontalAdvance(text) + m.left() + m.right() + 2 * label->frameWidth() + 2;
}

// The four panels share the status bar. The status panel comes first: a
// failed check must be readable. The sort panel gives way first, then date
// and time; they come back as soon as there is room again.
void FrmMain::fitPanels()
{
    QLabel *status = m_panels.value(QStringLiteral("Status"));
    QLabel *sort = m_panels.value(QStringLiteral("Sort"));
    if (!status || !sort || !m_date || !m_time)
        return;
    QStatusBar *bar = statusBar();
    // The size grip and the gaps between the panels take the rest of the bar.
    const int room = bar->width() - 16 - 6 * 4 - bar->contentsMargins().left() - bar->contentsMargins().right();
    const int dateWidth = panelWidthFor(m_date, QStringLiteral("00.00.00000"));
    const int timeWidth = panelWidthFor(m_time, QStringLiteral("00:000"));
    const int needed = panelWidthFor(status, status->text()) + 10; // the gaps are not measured exactly
    const bool clockShown = needed + dateWidth + timeWidth <= room;
    m_date->setFixedWidth(clockShown ? dateWidth : 0);
    m_time->setFixedWidth(clockShown ? timeWidth : 0);
    // The status panel keeps what its text needs; the sort panel shrinks instead.
    const int left = room - needed - (clockShown ? dateWidth + timeWidth : 0);
    sort->setFixedWidth(std::clamp(left, 0, panelWidthFor(sort, sort->text())));
}

bool FrmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == statusBar() && event->type() == QEvent::Resize)
        QTimer::singleShot(0, this, &FrmMain::fitPanels);
    return QMainWindow::eventFilter(watched, event);
}

QString FrmMain::panelText(const QString &key) const
{
    const QLabel *label = m_panels.value(key);
    return label ? label->text() : QString();
}

// While a record window is active its menus stand in the menu bar.
void FrmMain::showActiveMenus()
{
    QList<QMenu *> menus = m_menus;
    if (QMdiSubWindow *sub = m_area->currentSubWindow()) {
        if (auto *child = dynamic_cast<ui::ChildWindow *>(sub->widget()))
            menus = child->ownMenus();
    }
    QMenuBar *bar = menuBar();
    QList<QAction *> wanted;
    for (QMenu *m : std::as_const(menus))
        wanted.append(m->menuAction());
    if (bar->actions() == wanted)
        return;
    // Only taken out, never deleted: the menus belong to their windows.
    const QList<QAction *> shown = bar->actions();
    for (QAction *a : shown)
        bar->removeAction(a);
    bar->addActions(wanted);
}

// ---- position -------------------------------------------------------------

void FrmMain::readPosition()
{
    using settings::MainPlace;
    move(storedPixels(MainPlace::Left), storedPixels(MainPlace::Top));
    resize(storedPixels(MainPlace::Width), storedPixels(MainPlace::Height));
}

void FrmMain::writePosition()
{
    // A minimized window keeps the place it had before.
    if (isMinimized())
        return;
    using settings::MainPlace;
    settings::setMainWindowTwips(MainPlace::Left, ui::pixelsToTwips(pos().x()));
    settings::setMainWindowTwips(MainPlace::Top, ui::pixelsToTwips(pos().y()));
    settings::setMainWindowTwips(MainPlace::Width, ui::pixelsToTwips(width()));
    settings::setMainWindowTwips(MainPlace::Height, ui::pixelsToTwips(height()));
}

// ---- closing --------------------------------------------------------------

void FrmMain::closeProgram() { close(); }

bool FrmMain::queryUnload()
{
    if (settings::isOn(settings::Switch::QueryEnd)
        && ui::ask(this, QStringLiteral("Programm wirklich beenden?"), QStringLiteral("Beenden")) != ui::Answer::Yes)
        return false;
    // One record window in the middle of an edit keeps the whole program open.
    const QList<QMdiSubWindow *> subs = m_area->subWindowList(QMdiArea::CreationOrder);
    for (QMdiSubWindow *sub : subs) {
        if (auto *child = dynamic_cast<ui::ChildWindow *>(sub->widget()); child && !child->queryClose())
            return false;
    }
    return true;
}

void FrmMain::unloadOthers()
{
    // Most recently loaded first.
    for (qsizetype i = m_loaded.size() - 1; i >= 0; --i) {
        QWidget *w = m_loaded.at(i);
        if (!w)
            continue;
        if (QMdiSubWindow *sub = subWindowOf(w))
            sub->close();
        else
            w->close();
    }
    m_loaded.clear();
    // Children that came in some other way, then stray top-level windows.
    m_area->closeAllSubWindows();
    const QList<QWidget *> tops = QApplication::topLevelWidgets();
    for (QWidget *w : tops) {
        if (w != this && w->isVisible() && !(w->windowType() == Qt::Popup || w->windowType() == Qt::ToolTip))
            w->close();
    }
}

void FrmMain::closeEvent(QCloseEvent *event)
{
    if (m_closed) {
        event->accept();
        return;
    }
    if (!queryUnload()) {
        event->ignore();
        return;
    }
    unloadOthers();
    writePosition();
    m_closed = true;
    m_clock.stop();
    event->accept();
}

// ---- windows --------------------------------------------------------------

void FrmMain::openWindow(ui::WindowId window)
{
    if (QWidget *open = m_named.value(window)) {
        bringToFront(open);
        if (auto *child = dynamic_cast<ui::ChildWindow *>(open))
            child->openAgain();
        return;
    }
    const WindowEntry *found = windowfactory::find(window);
    if (!found || !found->create)
        return;
    const WindowEntry entry = *found;
    switch (entry.kind) {
    case ui::WindowKind::Modal: {
        std::unique_ptr<QWidget> w(entry.create());
        auto *dialog = qobject_cast<QDialog *>(w.get());
        if (!dialog)
            return;
        // Deleted here after its run, never by itself.
        dialog->setAttribute(Qt::WA_DeleteOnClose, false);
        dialog->setParent(this, dialog->windowFlags() | Qt::Dialog);
        ui::Prompter::instance().runModal(*dialog);
        return;
    }
    case ui::WindowKind::Child: {
        QWidget *w = entry.create();
        if (!w)
            return;
        m_named.insert(window, w);
        addChild(w);
        return;
    }
    case ui::WindowKind::Modeless: {
        QWidget *w = entry.create();
        if (!w)
            return;
        w->setAttribute(Qt::WA_DeleteOnClose);
        if (!w->parentWidget())
            w->setParent(this, w->windowFlags() | Qt::Window);
        m_named.insert(window, w);
        m_loaded.append(w);
        w->show();
        bringToFront(w);
        return;
    }
    }
}

// Gives a child window the focus as a click on its frame would: to the field
// it focused itself (the key field of a new row), else to its first field in
// tab order, as a Tab would; never to the window's own frame, where typing
// would go nowhere.
static void focusInto(QWidget *w)
{
    QWidget *f = w->focusWidget();
    const auto takes = [w](QWidget *c) {
        return c && c != w && w->isAncestorOf(c) && c->isEnabled() && c->isVisibleTo(w)
               && (c->focusPolicy() & Qt::TabFocus) && !qobject_cast<QPushButton *>(c)
               && !qobject_cast<QToolButton *>(c);
    };
    if (!takes(f)) {
        f = nullptr;
        for (QWidget *c = w->nextInFocusChain(); c && c != w && !f; c = c->nextInFocusChain())
            if (takes(c))
                f = c;
    }
    (f ? f : w)->setFocus(Qt::TabFocusReason);
}

void FrmMain::addChild(QWidget *w)
{
    QMdiSubWindow *sub = m_area->addSubWindow(w);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    m_loaded.append(w);
    sub->show();
    m_area->setActiveSubWindow(sub);
    focusInto(w);
    showActiveMenus();
    // A child larger than the area opens at its top left corner, labels first,
    // not scrolled to wherever its focused field happens to be.
    QTimer::singleShot(0, m_area, [area = m_area, sub] {
        if (area->activeSubWindow() == sub) {
            area->horizontalScrollBar()->setValue(area->horizontalScrollBar()->minimum());
            area->verticalScrollBar()->setValue(area->verticalScrollBar()->minimum());
        }
    });
}

QList<QWidget *> FrmMain::childWindows() const
{
    QList<QWidget *> list;
    const QList<QMdiSubWindow *> subs = m_area->subWindowList(QMdiArea::CreationOrder);
    for (QMdiSubWindow *sub : subs)
        if (sub->widget())
            list.append(sub->widget());
    return list;
}

QMdiSubWindow *FrmMain::subWindowOf(QWidget *w) const
{
    const QList<QMdiSubWindow *> subs = m_area->subWindowList();
    for (QMdiSubWindow *sub : subs)
        if (sub->widget() == w)
            return sub;
    return nullptr;
}

void FrmMain::bringToFront(QWidget *w)
{
    if (QMdiSubWindow *sub = subWindowOf(w)) {
        m_area->setActiveSubWindow(sub);
        focusInto(w);
        showActiveMenus();
        return;
    }
    w->raise();
    w->activateWindow();
}

void FrmMain::activateChild(QWidget *w)
{
    if (w)
        bringToFront(w);
}

void FrmMain::arrangeChildren(int index, int widthTwips, int heightTwips)
{
    switch (index) {
    case 0: {
        showAllNormal();
        const QList<QMdiSubWindow *> subs = m_area->subWindowList(QMdiArea::CreationOrder);
        m_area->cascadeSubWindows();
        for (QMdiSubWindow *sub : subs)
            sub->resize(ui::twipsToPixels(widthTwips), ui::twipsToPixels(heightTwips));
        break;
    }
    case 1:
        showAllNormal();
        tile(false);
        break;
    case 2:
        showAllNormal();
        tile(true);
        break;
    case 3: {
        const QList<QMdiSubWindow *> subs = m_area->subWindowList(QMdiArea::CreationOrder);
        for (QMdiSubWindow *sub : subs)
            if (!sub->isMinimized())
                sub->showMinimized();
        arrangeIcons();
        break;
    }
    default: break;
    }
}

// Every window of the program in normal state, the main window, its
// children and the windows beside it (About, rename) alike.
void FrmMain::showAllNormal()
{
    if (isMinimized() || isMaximized())
        showNormal();
    const QList<QMdiSubWindow *> subs = m_area->subWindowList(QMdiArea::CreationOrder);
    for (QMdiSubWindow *sub : subs)
        if (sub->isMinimized() || sub->isMaximized())
            sub->showNormal();
    for (const QPointer<QWidget> &w : std::as_const(m_loaded))
        if (w && w->isWindow() && w->isVisible() && (w->isMinimized() || w->isMaximized()))
            w->showNormal();
}

// Each window that is not minimized gets a strip of the whole area: one
// below another, or side by side.
void FrmMain::tile(bool sideBySide)
{
    QList<QMdiSubWindow *> subs;
    const QList<QMdiSubWindow *> all = m_area->subWindowList(QMdiArea::CreationOrder);
    for (QMdiSubWindow *sub : all) {
        if (sub->isMinimized() || sub->isHidden())
            continue;
        if (sub->isMaximized())
            sub->showNormal();
        subs.append(sub);
    }
    if (subs.isEmpty())
        return;
    // Each child gets its share of the area, but never less than its layout
    // needs: what does not fit lies beyond the area, which then scrolls.
    const QRect area = m_area->viewport()->rect();
    const int n = int(subs.size());
    int at = 0;
    for (int i = 0; i < n; ++i) {
        const QSize least = subs[i]->minimumSizeHint().expandedTo(subs[i]->minimumSize());
        QRect r;
        if (sideBySide) {
            const int share = area.width() * (i + 1) / n - area.width() * i / n;
            r = QRect(at, 0, std::max(share, least.width()), std::max(area.height(), least.height()));
            at = r.right() + 1;
        } else {
            const int share = area.height() * (i + 1) / n - area.height() * i / n;
            r = QRect(0, at, std::max(area.width(), least.width()), std::max(share, least.height()));
            at = r.bottom() + 1;
        }
        subs[i]->setGeometry(r);
    }
    arrangeIcons();
}

// Minimized windows in a row along the bottom of the area, further rows above.
void FrmMain::arrangeIcons()
{
    const QRect area = m_area->viewport()->rect();
    int x = 0;
    int top = -1;
    const QList<QMdiSubWindow *> subs = m_area->subWindowList(QMdiArea::CreationOrder);
    for (QMdiSubWindow *sub : subs) {
        if (!sub->isMinimized())
            continue;
        const QSize s = sub->size();
        if (top < 0)
            top = area.height() - s.height();
        if (x > 0 && x + s.width() > area.width()) {
            x = 0;
            top -= s.height();
        }
        sub->move(x, top);
        x += s.width();
    }
}

// ---- backup ----------------------------------------------------------------

// A server database is backed up by the server's own tools.
bool FrmMain::canBackUp() const { return services::connectionTarget().kind == data::BackendKind::Sqlite; }

void FrmMain::mnuDatensicherung_Click()
{
    const data::ConnectionTarget target = services::connectionTarget();
    if (target.kind != data::BackendKind::Sqlite)
        return;
    const QString title = QStringLiteral("Datensicherung");
    const QString folder = data::backupFolder(target.location);
    // A name of its own, never the day's automatic copy: one "Ja" would replace the day's restore point.
    const QString proposed = (QFileInfo(folder).isDir() ? folder : QFileInfo(target.location).absolutePath())
                             + QLatin1Char('/') + data::manualBackupName(QDateTime::currentDateTime());
    const std::optional<QString> file =
        ui::askSaveFileName(this, title, proposed, {QStringLiteral("ORV-Datenbank (*.mdb)")});
    if (!file)
        return;
    try {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        data::backupDatabase(target.location, *file);
        QApplication::restoreOverrideCursor();
    } catch (const data::DbError &e) {
        QApplication::restoreOverrideCursor();
        ui::inform(this, QStringLiteral("Die Datensicherung ist fehlgeschlagen.\r\n\r\n") + e.description(), title,
                   ui::Icon::Exclamation);
        return;
    }
    ui::inform(this, QStringLiteral("Die Datenbank wurde gesichert in\r\n") + QDir::toNativeSeparators(*file), title,
               ui::Icon::Information);
}

} // namespace orv::app
