#pragma once
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

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

    // Commands marked for browse mode are enabled exactly in browse mode,
    // "Save"/"Undo" exactly in edit and add mode.
    void setBrowseMode(bool browse);
    // Disables the window's own "&Datei" item for good.
    void disableOwnItem(const QString &itemName);
    void setSeekAvailable(bool available) { m_seekAvailable = available; }
    void setReportAvailable(bool available) { m_reportAvailable = available; }

private:
    void buildToolBar();
    void buildMenus();
    QAction *addTool(const QString &key, const QString &toolTip, const QString &icon);
    QAction *addItem(QMenu *menu, const QString &name, const QString &caption, const char *shortcutKey = nullptr);
    QMenu *addMenu(const QString &name, const QString &caption);
    void dispatchTool(const QString &key);
    void openWindow(const QString &name);
    void fillWindowMenu();

    RecordForm *m_form;
    QToolBar *m_toolBar = nullptr;
    QList<QMenu *> m_menus;
    QMenu *m_windowMenu = nullptr;
    QHash<QString, QAction *> m_actions;
    QList<QAction *> m_windowList;
    QString m_ownItem;
    bool m_seekAvailable = false;
    bool m_reportAvailable = false;
};

} // namespace orv::records
