#include "records/recordcommands.h"

#include "records/recordform.h"
#include "services/clipboard.h"
#include "ui/windowhost.h"

#include <QAction>
#include <QIcon>
#include <QKeySequence>
#include <QMenu>
#include <QToolBar>

namespace orv::records {
namespace {

// Commands that only make sense while no row is being changed.
const QStringList &browseCommands()
{
    static const QStringList names{
        QStringLiteral("Close"),   QStringLiteral("Gotop"),    QStringLiteral("Goprev"),
        QStringLiteral("Gonext"),  QStringLiteral("Gobot"),    QStringLiteral("Sort"),
        QStringLiteral("Seek"),    QStringLiteral("Report"),   QStringLiteral("New"),
        QStringLiteral("NewCopy"), QStringLiteral("Delete"),   QStringLiteral("mnuClose"),
        QStringLiteral("mnuGoTo"), QStringLiteral("mnuSort"),  QStringLiteral("mnuSeek"),
        QStringLiteral("mnuNew"),  QStringLiteral("mnuDelete"), QStringLiteral("mnuBericht")};
    return names;
}

bool isSeekCommand(const QString &name) { return name == QLatin1String("Seek") || name == QLatin1String("mnuSeek"); }
bool isReportCommand(const QString &name)
{
    return name == QLatin1String("Report") || name == QLatin1String("mnuBericht");
}

} // namespace

RecordCommands::RecordCommands(RecordForm *form) : QObject(form), m_form(form)
{
    buildToolBar();
    buildMenus();
}

QAction *RecordCommands::addTool(const QString &key, const QString &toolTip, const QString &icon)
{
    auto *a = new QAction(QIcon(QStringLiteral(":/records-icons/%1.svg").arg(icon)), toolTip, m_toolBar);
    a->setObjectName(key);
    a->setToolTip(toolTip);
    m_toolBar->addAction(a);
    m_actions.insert(key, a);
    connect(a, &QAction::triggered, this, [this, key] { dispatchTool(key); });
    return a;
}

void RecordCommands::buildToolBar()
{
    m_toolBar = new QToolBar(m_form);
    m_toolBar->setObjectName(QStringLiteral("Toolbar1"));
    m_toolBar->setMovable(false);
    m_toolBar->setFloatable(false);
    m_toolBar->setIconSize(QSize(16, 16));
    // All eighteen buttons fit the narrow employee window.
    m_toolBar->setStyleSheet(QStringLiteral("QToolBar { spacing: 0px; padding: 0px; } QToolButton { padding: 1px; margin: 0px; }"));
    addTool(QStringLiteral("Close"), QStringLiteral("Schließen"), QStringLiteral("Close"));
    addTool(QStringLiteral("Save"), QStringLiteral("Sichern"), QStringLiteral("Save"));
    addTool(QStringLiteral("Undo"), QStringLiteral("Rückgängig"), QStringLiteral("Undo"));
    m_toolBar->addSeparator();
    addTool(QStringLiteral("Gotop"), QStringLiteral("Auf ersten Datensatz springen"), QStringLiteral("Gotop"));
    addTool(QStringLiteral("Goprev"), QStringLiteral("Auf vorherigen Datensatz springen"), QStringLiteral("Goprev"));
    addTool(QStringLiteral("Gonext"), QStringLiteral("Auf nächsten Datensatz springen"), QStringLiteral("Gonext"));
    addTool(QStringLiteral("Gobot"), QStringLiteral("Auf letzten Datensatz springen"), QStringLiteral("Gobot"));
    m_toolBar->addSeparator();
    addTool(QStringLiteral("Sort"), QStringLiteral("Sortieren"), QStringLiteral("SortAscending"));
    addTool(QStringLiteral("Seek"), QStringLiteral("Suchen"), QStringLiteral("Find"));
    addTool(QStringLiteral("Report"), QStringLiteral("Bericht ausgeben"), QStringLiteral("Report"));
    m_toolBar->addSeparator();
    addTool(QStringLiteral("Cut"), QStringLiteral("Ausschneiden"), QStringLiteral("Cut"));
    addTool(QStringLiteral("Copy"), QStringLiteral("Kopieren"), QStringLiteral("Copy"));
    addTool(QStringLiteral("Paste"), QStringLiteral("Einfügen"), QStringLiteral("Paste"));
    m_toolBar->addSeparator();
    addTool(QStringLiteral("New"), QStringLiteral("Neu"), QStringLiteral("New2"));
    addTool(QStringLiteral("NewCopy"), QStringLiteral("Neu mit Kopie"), QStringLiteral("newcopy1"));
    addTool(QStringLiteral("Delete"), QStringLiteral("Löschen"), QStringLiteral("Delete"));
}

void RecordCommands::dispatchTool(const QString &key)
{
    RecordForm *f = m_form;
    if (key == QLatin1String("Close"))
        f->closeWindow();
    else if (key == QLatin1String("Save"))
        f->saveRecord();
    else if (key == QLatin1String("Undo"))
        f->undoChanges();
    else if (key == QLatin1String("Gotop"))
        f->moveToFirst();
    else if (key == QLatin1String("Goprev"))
        f->moveToPrevious();
    else if (key == QLatin1String("Gonext"))
        f->moveToNext();
    else if (key == QLatin1String("Gobot"))
        f->moveToLast();
    else if (key == QLatin1String("Sort"))
        f->sortRecords();
    else if (key == QLatin1String("Seek"))
        f->seekRecord();
    else if (key == QLatin1String("Report"))
        f->openReport();
    else if (key == QLatin1String("Cut"))
        app::editCut();
    else if (key == QLatin1String("Copy"))
        app::editCopy();
    else if (key == QLatin1String("Paste"))
        app::editPaste();
    else if (key == QLatin1String("New"))
        f->addRecord();
    else if (key == QLatin1String("NewCopy"))
        f->addCopy();
    else if (key == QLatin1String("Delete"))
        f->deleteRecord();
}

QMenu *RecordCommands::addMenu(const QString &name, const QString &caption)
{
    auto *m = new QMenu(caption, m_form);
    m->setObjectName(name);
    m->menuAction()->setObjectName(name);
    m_menus.append(m);
    return m;
}

QAction *RecordCommands::addItem(QMenu *menu, const QString &name, const QString &caption, const char *shortcutKey)
{
    QAction *a = menu->addAction(caption);
    a->setObjectName(name);
    if (shortcutKey) {
        a->setShortcut(QKeySequence(QStringLiteral("Ctrl+") + QLatin1String(shortcutKey)));
        // The window carries the shortcut too, so it works wherever its menus are shown.
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        m_form->addAction(a);
    }
    m_actions.insert(name, a);
    return a;
}

void RecordCommands::openWindow(const QString &name)
{
    if (ui::WindowHost *host = ui::WindowHost::instance())
        host->openWindow(name);
}

void RecordCommands::buildMenus()
{
    RecordForm *f = m_form;

    QMenu *datei = addMenu(QStringLiteral("mnuDatei"), QStringLiteral("&Datei"));
    for (const auto &[name, caption, window] :
         {std::tuple{"mnuMitarbeiter", "&Mitarbeiter", "frmMitarbeiter"}, std::tuple{"mnuKurs", "&Kurs", "frmKurs"},
          std::tuple{"mnuTrainingsplan", "&Trainingsplan", "frmTrainingsplan"}}) {
        QAction *a = addItem(datei, QLatin1String(name), QString::fromUtf8(caption));
        const QString target = QLatin1String(window);
        connect(a, &QAction::triggered, this, [this, target] { openWindow(target); });
    }
    datei->addSeparator()->setObjectName(QStringLiteral("mnuT7"));
    connect(addItem(datei, QStringLiteral("mnuClose"), QStringLiteral("&Schließen")), &QAction::triggered, f,
            &RecordForm::closeWindow);
    datei->addSeparator()->setObjectName(QStringLiteral("mnuT2"));
    connect(addItem(datei, QStringLiteral("mnuExit"), QStringLiteral("&Beenden")), &QAction::triggered, this, [] {
        if (ui::WindowHost *host = ui::WindowHost::instance())
            host->closeProgram();
    });

    QMenu *edit = addMenu(QStringLiteral("mnuEdit"), QStringLiteral("&Bearbeiten"));
    connect(addItem(edit, QStringLiteral("mnuCut"), QStringLiteral("A&usschneiden"), "X"), &QAction::triggered,
            this, [] { app::editCut(); });
    connect(addItem(edit, QStringLiteral("mnuCopy"), QStringLiteral("&Kopieren"), "C"), &QAction::triggered, this,
            [] { app::editCopy(); });
    connect(addItem(edit, QStringLiteral("mnuPaste"), QStringLiteral("E&infügen"), "V"), &QAction::triggered,
            this, [] { app::editPaste(); });
    edit->addSeparator()->setObjectName(QStringLiteral("mnuT4"));
    connect(addItem(edit, QStringLiteral("mnuSort"), QStringLiteral("S&ortieren")), &QAction::triggered, f,
            &RecordForm::sortRecords);
    connect(addItem(edit, QStringLiteral("mnuSeek"), QStringLiteral("&Suchen"), "F"), &QAction::triggered, f,
            &RecordForm::seekRecord);
    auto *goTo = new QMenu(QStringLiteral("&Gehe zu"), edit);
    goTo->setObjectName(QStringLiteral("mnuGoTo"));
    goTo->menuAction()->setObjectName(QStringLiteral("mnuGoTo"));
    edit->addMenu(goTo);
    m_actions.insert(QStringLiteral("mnuGoTo"), goTo->menuAction());
    // The first and last items keep their historical, swapped names.
    connect(addItem(goTo, QStringLiteral("mnuGoBot"), QStringLiteral("&Erster")), &QAction::triggered, f,
            &RecordForm::moveToFirst);
    connect(addItem(goTo, QStringLiteral("mnuGoTop"), QStringLiteral("&Letzter")), &QAction::triggered, f,
            &RecordForm::moveToLast);
    connect(addItem(goTo, QStringLiteral("mnuGoNext"), QStringLiteral("&Nächster")), &QAction::triggered, f,
            &RecordForm::moveToNext);
    connect(addItem(goTo, QStringLiteral("mnuGoPrev"), QStringLiteral("&Vorheriger")), &QAction::triggered, f,
            &RecordForm::moveToPrevious);
    edit->addSeparator()->setObjectName(QStringLiteral("mnuT5"));
    connect(addItem(edit, QStringLiteral("mnuNew"), QStringLiteral("&Neuer Datensatz"), "N"), &QAction::triggered,
            f, &RecordForm::addRecord);
    connect(addItem(edit, QStringLiteral("mnuDelete"), QStringLiteral("&Datensatz löschen"), "L"),
            &QAction::triggered, f, &RecordForm::deleteRecord);

    QMenu *ausgabe = addMenu(QStringLiteral("mnuAusgabe"), QStringLiteral("&Ausgabe"));
    connect(addItem(ausgabe, QStringLiteral("mnuBericht"), QStringLiteral("Bericht")), &QAction::triggered, f,
            &RecordForm::openReport);

    QMenu *extras = addMenu(QStringLiteral("mnuExtras"), QStringLiteral("E&xtras"));
    connect(addItem(extras, QStringLiteral("mnuOptionen"), QStringLiteral("&Optionen")), &QAction::triggered, this,
            [this] { openWindow(QStringLiteral("frmOptions")); });

    m_windowMenu = addMenu(QStringLiteral("mnuWindow"), QStringLiteral("&Fenster"));
    const char *arrangements[] = {"Ü&berlappend", "&Untereinander", "&Nebeneinander", "&Symbole anordnen"};
    for (int i = 0; i < 4; ++i) {
        QAction *a = addItem(m_windowMenu, QStringLiteral("mnuWindowArrange(%1)").arg(i),
                             QString::fromUtf8(arrangements[i]));
        connect(a, &QAction::triggered, this, [this, i] {
            if (ui::WindowHost *host = ui::WindowHost::instance())
                host->arrangeChildren(i, m_form->config().widthTwips, m_form->config().heightTwips);
        });
    }
    connect(m_windowMenu, &QMenu::aboutToShow, this, &RecordCommands::fillWindowMenu);

    QMenu *help = addMenu(QStringLiteral("mnuHelp"), QStringLiteral("&?"));
    connect(addItem(help, QStringLiteral("mnuProdInfo"), QStringLiteral("&Produktinformation")),
            &QAction::triggered, this, [this] { openWindow(QStringLiteral("frmProdinfo")); });
    help->addSeparator()->setObjectName(QStringLiteral("mnuT6"));
    connect(addItem(help, QStringLiteral("mnuInfo"), QStringLiteral("Inf&o")), &QAction::triggered, this,
            [this] { openWindow(QStringLiteral("frmAbout")); });
}

// The list of open child windows under the arrangements, as it is when the menu opens.
void RecordCommands::fillWindowMenu()
{
    qDeleteAll(m_windowList);
    m_windowList.clear();
    ui::WindowHost *host = ui::WindowHost::instance();
    if (!host)
        return;
    const QList<QWidget *> children = host->childWindows();
    if (children.isEmpty())
        return;
    m_windowList.append(m_windowMenu->addSeparator());
    int n = 0;
    for (QWidget *w : children) {
        ++n;
        QAction *a = m_windowMenu->addAction(QStringLiteral("&%1 %2").arg(n).arg(w->windowTitle()));
        a->setCheckable(true);
        a->setChecked(w == m_form || w->isAncestorOf(m_form));
        connect(a, &QAction::triggered, this, [w] {
            if (ui::WindowHost *h = ui::WindowHost::instance())
                h->activateChild(w);
        });
        m_windowList.append(a);
    }
}

void RecordCommands::setBrowseMode(bool browse)
{
    for (const QString &name : browseCommands()) {
        QAction *a = m_actions.value(name);
        if (!a)
            continue;
        bool on = browse;
        if (isSeekCommand(name))
            on = on && m_seekAvailable;
        if (isReportCommand(name))
            on = on && m_reportAvailable;
        a->setEnabled(on);
    }
    m_actions.value(QStringLiteral("Save"))->setEnabled(!browse);
    m_actions.value(QStringLiteral("Undo"))->setEnabled(!browse);
}

void RecordCommands::disableOwnItem(const QString &itemName)
{
    m_ownItem = itemName;
    if (QAction *a = m_actions.value(itemName))
        a->setEnabled(false);
}

} // namespace orv::records
