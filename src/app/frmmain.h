#pragma once
#include "services/launchers.h"
#include "ui/statuspanels.h"
#include "ui/windowhost.h"

#include <QHash>
#include <QList>
#include <QMainWindow>
#include <QMap>
#include <QPointer>
#include <QTimer>

class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;

namespace orv::app {

// The program's main window: hosts the record windows, carries the menus,
// the toolbar and the status bar, remembers its place and ends the program.
class FrmMain : public QMainWindow, public ui::WindowHost, public ui::StatusPanels {
    Q_OBJECT
public:
    explicit FrmMain(QWidget *parent = nullptr);
    ~FrmMain() override;

    // ui::WindowHost
    void openWindow(ui::WindowId window) override;
    void addChild(QWidget *w) override;
    QList<QWidget *> childWindows() const override;
    void arrangeChildren(int index, int widthTwips, int heightTwips) override;
    void activateChild(QWidget *w) override;
    void closeProgram() override;
    QWidget *widget() override { return this; }

    // ui::StatusPanels
    void setPanelText(const QString &key, const QString &text) override;
    QString panelText(const QString &key) const override;

    QMdiArea *mdiArea() const { return m_area; }

    // "&Datensicherung…": a copy of the SQLite database to a file the user picks.
    void mnuDatensicherung_Click();
    bool canBackUp() const override;
    void backUp() override { mnuDatensicherung_Click(); }
    // Shares the status bar's width out among its panels (also after each text change).
    void fitPanels();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildMenus();
    void buildToolBar();
    void buildStatusBar();
    QAction *windowAction(QMenu *menu, ui::WindowId window);
    void onToolButton(const QString &key);
    // "Rechner" and "Explorer": the program started, or the user told why not.
    void bringUpCalculator();
    void bringUpFileManager();

    void readPosition();
    void writePosition();
    bool queryUnload();
    void unloadOthers();

    void showActiveMenus();
    void showClock();
    QMdiSubWindow *subWindowOf(QWidget *w) const;
    void bringToFront(QWidget *w);
    void showAllNormal();
    void tile(bool sideBySide);
    void arrangeIcons();

    QMdiArea *m_area = nullptr;
    QToolBar *m_toolBar = nullptr;
    QList<QMenu *> m_menus;
    QHash<QString, QLabel *> m_panels;
    QLabel *m_date = nullptr;
    QLabel *m_time = nullptr;
    QTimer m_clock;
    QMap<ui::WindowId, QPointer<QWidget>> m_named; // windows that exist at most once
    QList<QPointer<QWidget>> m_loaded;             // other windows in the order they were loaded
    services::CalculatorLauncher m_calculator;
    bool m_closed = false;
};

} // namespace orv::app
