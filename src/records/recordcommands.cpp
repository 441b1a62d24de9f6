#include "records/recordcommands.h"

#include "dialogs/frmhandbuch.h"
#include "records/recordform.h"
#include "services/clipboard.h"
#include "services/launchers.h"
#include "ui/windowhost.h"

#include <QAction>
#include <QIcon>
#include <QKeySequence>
#include <QMenu>
#include <QToolBar>

namespace orv::records {

RecordCommands::RecordCommands(RecordForm *form) : QObject(form), m_form(form)
{
    buildToolBar();
    buildMenus();
}

QAction *RecordCommands::addTool(const char *key, const QString &toolTip, const char *icon, unsigned need, Run run)
{
    auto *a = new QAction(QIcon(QStringLiteral(":/records-icons/%1.svg").arg(QLatin1String(icon))), toolTip, m_toolBar);
    a->setObjectName(QLatin1String(key));
    a->setToolTip(toolTip);
    m_toolBar->addAction(a);
    m_actions.insert(a->objectName(), a);
    m_needs.insert(a, need);
    connect(a, &QAction::triggered, this, std::move(run));
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
    m_toolBar->setStyleSheet(
        QStringLiteral("QToolBar { spacing: 0px; padding: 0px; } QToolButton { padding: 1px; margin: 0px; }"));
    RecordForm *f = m_form;
    const unsigned rows = Browsing | Rows;
    struct Tool {
        const char *key;
        const char *toolTip;
        const char *icon;
        unsigned need;
        Run run;
        bool groupEnds = false;
    };
    const Tool tools[] = {
        {"Close", "Schließen", "Close", Browsing, [f] { f->closeWindow(); }},
        {"Save", "Sichern", "Save", Changing, [f] { f->saveRecord(); }},
        {"Undo", "Rückgängig", "Undo", Changing, [f] { f->undoChanges(); }, true},
        {"Gotop", "Auf ersten Datensatz springen", "Gotop", rows, [f] { f->moveToFirst(); }},
        {"Goprev", "Auf vorherigen Datensatz springen", "Goprev", rows, [f] { f->moveToPrevious(); }},
        {"Gonext", "Auf nächsten Datensatz springen", "Gonext", rows, [f] { f->moveToNext(); }},
        {"Gobot", "Auf letzten Datensatz springen", "Gobot", rows, [f] { f->moveToLast(); }, true},
        {"Sort", "Sortieren", "SortAscending", rows, [f] { f->sortRecords(); }},
        {"Seek", "Suchen", "Find", rows | SeekLayout, [f] { f->seekRecord(); }},
        {"Report", "Bericht ausgeben", "Report", rows | Report, [f] { f->openReport(); }, true},
        {"Cut", "Ausschneiden", "Cut", Always, [] { services::editCut(); }},
        {"Copy", "Kopieren", "Copy", Always, [] { services::editCopy(); }},
        {"Paste", "Einfügen", "Paste", Always, [] { services::editPaste(); }, true},
        {"New", "Neu", "New2", rows, [f] { f->addRecord(); }},
        {"NewCopy", "Neu mit Kopie", "newcopy1", rows, [f] { f->addCopy(); }},
        {"Delete", "Löschen", "Delete", rows, [f] { f->deleteRecord(); }},
    };
    for (const Tool &t : tools) {
        addTool(t.key, QString::fromUtf8(t.toolTip), t.icon, t.need, t.run);
        if (t.groupEnds)
            m_toolBar->addSeparator();
    }
}

QMenu *RecordCommands::addMenu(const QString &name, const QString &caption)
{
    auto *m = new QMenu(caption, m_form);
    m->setObjectName(name);
    m->menuAction()->setObjectName(name);
    m_menus.append(m);
    return m;
}

QAction *RecordCommands::addItem(QMenu *menu, const char *name, const QString &caption, unsigned need,
                                 const char *shortcutKey, Run run)
{
    QAction *a = menu->addAction(caption);
    a->setObjectName(QLatin1String(name));
    if (shortcutKey) {
        a->setShortcut(QKeySequence(QStringLiteral("Ctrl+") + QLatin1String(shortcutKey)));
        // The window carries the shortcut too, so it works wherever its menus are shown.
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        m_form->addAction(a);
    }
    m_actions.insert(a->objectName(), a);
    m_needs.insert(a, need);
    connect(a, &QAction::triggered, this, std::move(run));
    return a;
}

QAction *RecordCommands::addWindowItem(QMenu *menu, ui::WindowId window)
{
    // The record windows' items carry no trailing blank ("Inf&o").
    return addItem(menu, ui::windowName(window).menuItem, ui::windowCaption(window).trimmed(), Always, [window] {
        if (ui::WindowHost *host = ui::WindowHost::instance())
            host->openWindow(window);
    });
}

void RecordCommands::buildMenus()
{
    RecordForm *f = m_form;
    QMenu *datei = addMenu(QStringLiteral("mnuDatei"), QStringLiteral("&Datei"));
    for (ui::WindowId window : {ui::WindowId::Mitarbeiter, ui::WindowId::Kurs, ui::WindowId::Trainingsplan})
        addWindowItem(datei, window);
    datei->addSeparator()->setObjectName(QStringLiteral("mnuT7"));
    // The main window's own "&Datei" menu is out of reach while this one shows.
    QAction *backup = datei->addAction(QStringLiteral("&Datensicherung…"));
    backup->setObjectName(QStringLiteral("mnuDatensicherung"));
    connect(backup, &QAction::triggered, this, [] {
        if (ui::WindowHost *host = ui::WindowHost::instance())
            host->backUp();
    });
    connect(datei, &QMenu::aboutToShow, backup, [backup] {
        ui::WindowHost *host = ui::WindowHost::instance();
        backup->setEnabled(host && host->canBackUp());
    });
    addWindowItem(datei, ui::WindowId::Import);
    datei->addSeparator()->setObjectName(QStringLiteral("mnuT8"));
    addItem(datei, "mnuClose", QStringLiteral("&Schließen"), Browsing, [f] { f->closeWindow(); });
    datei->addSeparator()->setObjectName(QStringLiteral("mnuT2"));
    addItem(datei, "mnuExit", QStringLiteral("&Beenden"), Always, [] {
        if (ui::WindowHost *host = ui::WindowHost::instance())
            host->closeProgram();
    });

    buildEditMenu();

    QMenu *ausgabe = addMenu(QStringLiteral("mnuAusgabe"), QStringLiteral("&Ausgabe"));
    addItem(ausgabe, "mnuBericht", QStringLiteral("Bericht"), Browsing | Rows | Report, [f] { f->openReport(); });
    addWindowItem(ausgabe, ui::WindowId::Faellig);
    addWindowItem(ausgabe, ui::WindowId::Matrix);

    QMenu *extras = addMenu(QStringLiteral("mnuExtras"), QStringLiteral("E&xtras"));
    addWindowItem(extras, ui::WindowId::Options);
    extras->addSeparator()->setObjectName(QStringLiteral("mnuT9"));
    // Not by mode: a database on a server has no folder on this workstation.
    QAction *folder = extras->addAction(QStringLiteral("&Datenordner öffnen"));
    folder->setObjectName(QStringLiteral("mnuDatenordner"));
    m_actions.insert(folder->objectName(), folder);
    connect(folder, &QAction::triggered, this, [f] { services::showDatabaseFolder(f); });
    auto hasFolder = [folder] { folder->setEnabled(!services::databaseFolder().isEmpty()); };
    hasFolder();
    connect(extras, &QMenu::aboutToShow, folder, hasFolder);

    buildWindowMenu();

    QMenu *help = addMenu(QStringLiteral("mnuHelp"), QStringLiteral("&?"));
    QAction *handbook =
        addItem(help, "mnuHandbuch", QStringLiteral("&Handbuch"), Always, [f] { dialogs::showHelp(f); });
    handbook->setShortcut(QKeySequence(Qt::Key_F1));
    // As the Ctrl shortcuts: the window carries it, wherever its menus are shown.
    handbook->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    m_form->addAction(handbook);
    help->addSeparator()->setObjectName(QStringLiteral("mnuT10"));
    addWindowItem(help, ui::WindowId::Prodinfo);
    help->addSeparator()->setObjectName(QStringLiteral("mnuT6"));
    addWindowItem(help, ui::WindowId::About);
}

void RecordCommands::buildEditMenu()
{
    RecordForm *f = m_form;
    const unsigned rows = Browsing | Rows;
    QMenu *edit = addMenu(QStringLiteral("mnuEdit"), QStringLiteral("&Bearbeiten"));
    m_editMenu = edit;
    addItem(edit, "mnuCut", QStringLiteral("A&usschneiden"), Always, "X", [] { services::editCut(); });
    addItem(edit, "mnuCopy", QStringLiteral("&Kopieren"), Always, "C", [] { services::editCopy(); });
    addItem(edit, "mnuPaste", QStringLiteral("E&infügen"), Always, "V", [] { services::editPaste(); });
    edit->addSeparator()->setObjectName(QStringLiteral("mnuT4"));
    addItem(edit, "mnuSort", QStringLiteral("S&ortieren"), rows, [f] { f->sortRecords(); });
    addItem(edit, "mnuSeek", QStringLiteral("&Suchen"), rows | SeekLayout, "F", [f] { f->seekRecord(); });
    auto *goTo = new QMenu(QStringLiteral("&Gehe zu"), edit);
    goTo->setObjectName(QStringLiteral("mnuGoTo"));
    goTo->menuAction()->setObjectName(QStringLiteral("mnuGoTo"));
    edit->addMenu(goTo);
    m_actions.insert(QStringLiteral("mnuGoTo"), goTo->menuAction());
    m_needs.insert(goTo->menuAction(), rows);
    // The first and last items keep their historical, swapped names.
    addItem(goTo, "mnuGoBot", QStringLiteral("&Erster"), Always, [f] { f->moveToFirst(); });
    addItem(goTo, "mnuGoTop", QStringLiteral("&Letzter"), Always, [f] { f->moveToLast(); });
    addItem(goTo, "mnuGoNext", QStringLiteral("&Nächster"), Always, [f] { f->moveToNext(); });
    addItem(goTo, "mnuGoPrev", QStringLiteral("&Vorheriger"), Always, [f] { f->moveToPrevious(); });
    edit->addSeparator()->setObjectName(QStringLiteral("mnuT5"));
    addItem(edit, "mnuNew", QStringLiteral("&Neuer Datensatz"), rows, "N", [f] { f->addRecord(); });
    addItem(edit, "mnuDelete", QStringLiteral("&Datensatz löschen"), rows, "L", [f] { f->deleteRecord(); });
}

void RecordCommands::buildWindowMenu()
{
    m_windowMenu = addMenu(QStringLiteral("mnuWindow"), QStringLiteral("&Fenster"));
    const char *arrangements[] = {"Ü&berlappend", "&Untereinander", "&Nebeneinander", "&Symbole anordnen"};
    for (int i = 0; i < 4; ++i) {
        const QByteArray name = QStringLiteral("mnuWindowArrange(%1)").arg(i).toLatin1();
        addItem(m_windowMenu, name.constData(), QString::fromUtf8(arrangements[i]), Always, [this, i] {
            if (ui::WindowHost *host = ui::WindowHost::instance())
                host->arrangeChildren(i, m_form->config().widthTwips, m_form->config().heightTwips);
        });
    }
    connect(m_windowMenu, &QMenu::aboutToShow, this, &RecordCommands::fillWindowMenu);
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

QAction *RecordCommands::addWindowCommand(const char *itemName, const QString &caption, const char *shortcutKey,
                                          const char *toolKey, const char *icon, std::function<void()> run)
{
    const unsigned rows = Browsing | Rows;
    if (!m_editMenuExtended) {
        m_editMenu->addSeparator()->setObjectName(QStringLiteral("mnuT11"));
        m_editMenuExtended = true;
    }
    QAction *item = addItem(m_editMenu, itemName, caption, rows, shortcutKey, run);
    if (icon) {
        // Beside the buttons that add entries.
        QAction *tool = addTool(toolKey, QString(caption).remove(QLatin1Char('&')), icon, rows, std::move(run));
        m_toolBar->removeAction(tool);
        m_toolBar->insertAction(action(QStringLiteral("New")), tool);
    }
    applyState();
    return item;
}

void RecordCommands::disableOwnItem(const QString &itemName)
{
    m_ownItem = itemName;
    applyState();
}

void RecordCommands::applyState()
{
    for (auto it = m_needs.cbegin(); it != m_needs.cend(); ++it) {
        const unsigned need = it.value();
        const bool on = (!(need & Browsing) || m_browsing) && (!(need & Changing) || !m_browsing)
                        && (!(need & Rows) || m_rowsOpen) && (!(need & SeekLayout) || m_seekAvailable)
                        && (!(need & Report) || m_reportAvailable)
                        // The window's own item asks for it again while it could not read its rows.
                        && (it.key()->objectName() != m_ownItem || !m_rowsOpen);
        it.key()->setEnabled(on);
    }
}

} // namespace orv::records
