#pragma once
#include "ui/windownames.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>

class QAction;
class QMenu;
class QToolBar;
class QWidget;

namespace orv::records {

class RecordForm;

// The toolbar and the menu bar of a record window, and their enabling by mode.
// Toolbar actions carry the button key as object name ("Gotop"); menu items
// carry their item name ("mnuGoBot").
class RecordCommands : public QObject {
    Q_OBJECT
public:
    explicit RecordCommands(RecordForm *form);

    QToolBar *toolBar() const { return m_toolBar; }
    QList<QMenu *> menus() const { return m_menus; }
    QAction *action(const QString &name) const { return m_actions.value(name); }

    // What a command needs to be offered; the state below decides it.
    enum Need : unsigned {
        Always = 0,
        Browsing = 1,   // no row being changed
        Changing = 2,   // a row being changed or added
        Rows = 4,       // the window's rows could be read
        SeekLayout = 8, // the window has a search layout
        Report = 16,    // the window has a report
    };

    void setBrowseMode(bool browse) { set(m_browsing, browse); }
    void setRowsOpen(bool open) { set(m_rowsOpen, open); }
    void setSeekAvailable(bool available) { set(m_seekAvailable, available); }
    void setReportAvailable(bool available) { set(m_reportAvailable, available); }
    // Disables the window's own "&Datei" item, except while the rows could
    // not be read: then it asks for the window again.
    void disableOwnItem(const QString &itemName);
    // A command of one window beyond the shared ones, offered while browsing
    // the rows: an item at the end of "&Bearbeiten" with Ctrl+`shortcutKey`,
    // and a toolbar button `toolKey` before "Neu" when `icon` is given.
    QAction *addWindowCommand(const char *itemName, const QString &caption, const char *shortcutKey,
                              const char *toolKey, const char *icon, std::function<void()> run);

private:
    using Run = std::function<void()>;
    void buildToolBar();
    void buildMenus();
    void buildEditMenu();
    void buildWindowMenu();
    QAction *addTool(const char *key, const QString &toolTip, const char *icon, unsigned need, Run run);
    QAction *addItem(QMenu *menu, const char *name, const QString &caption, unsigned need, Run run)
    {
        return addItem(menu, name, caption, need, nullptr, std::move(run));
    }
    // The command last, so that every clang-format lays the lambda out alike.
    QAction *addItem(QMenu *menu, const char *name, const QString &caption, unsigned need, const char *shortcutKey,
                     Run run);
    QMenu *addMenu(const QString &name, const QString &caption);
    // The item that opens one of the program's windows through the main window.
    QAction *addWindowItem(QMenu *menu, ui::WindowId window);
    void fillWindowMenu();
    void applyState();
    void set(bool &state, bool value)
    {
        state = value;
        applyState();
    }

    RecordForm *m_form;
    QToolBar *m_toolBar = nullptr;
    QList<QMenu *> m_menus;
    QMenu *m_windowMenu = nullptr;
    QMenu *m_editMenu = nullptr;
    bool m_editMenuExtended = false;
    QHash<QString, QAction *> m_actions;
    QHash<QAction *, unsigned> m_needs;
    QList<QAction *> m_windowList;
    QString m_ownItem;
    bool m_browsing = true;
    bool m_rowsOpen = true;
    bool m_seekAvailable = false;
    bool m_reportAvailable = false;
};

} // namespace orv::records
