#pragma once
#include "ui/windownames.h"

#include <QList>
#include <QString>

class QMenu;
class QWidget;

namespace orv::ui {

// A child window of the main window that brings its own menu bar (the
// record windows) and may refuse to close.
class ChildWindow {
public:
    virtual ~ChildWindow() = default;
    // The menus that replace the main window's while this child is active.
    virtual QList<QMenu *> ownMenus() const = 0;
    // Asked before the window or the program closes; false refuses (and has told the user why).
    virtual bool queryClose() = 0;
    // The user asked for the window while it is open: one that could not
    // reach its database when it opened tries again.
    virtual void openAgain() {}
};

// The main window as the other windows see it.
class WindowHost {
public:
    virtual ~WindowHost() = default;
    // Opens one of the program's windows, or activates it when it is already open.
    virtual void openWindow(WindowId window) = 0;
    // Shows w as a child window and activates it (w is usually a ChildWindow).
    virtual void addChild(QWidget *w) = 0;
    // The open child windows, first loaded first.
    virtual QList<QWidget *> childWindows() const = 0;
    // The four arrangements of the "&Fenster" menu (index 0..3); for 0 the
    // children then get the size given in twips.
    virtual void arrangeChildren(int index, int widthTwips, int heightTwips) = 0;
    // Activates a child window (from the window list of the "&Fenster" menu).
    virtual void activateChild(QWidget *w) = 0;
    // "&Datensicherung…": a copy of the database file where the user says,
    // offered in every window's "&Datei" menu; only a file database has one.
    virtual bool canBackUp() const = 0;
    virtual void backUp() = 0;
    // Closes the main window, which ends the program after its checks.
    virtual void closeProgram() = 0;
    virtual QWidget *widget() = 0;

    static WindowHost *instance(); // nullptr without a main window
    static void setInstance(WindowHost *host);
};

} // namespace orv::ui
