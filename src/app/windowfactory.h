#pragma once
#include <QString>
#include <functional>

class QWidget;

namespace orv::app {

// How the main window shows a window it opens by name.
enum class WindowKind {
    Child,    // a child window of the main window (record windows)
    Modeless, // a window of its own beside the main window (rename dialog, About)
    Modal,    // a QDialog run through the prompter; the main window waits (options, product information)
};

struct WindowEntry {
    WindowKind kind = WindowKind::Child;
    // Creates the window; it gets no parent and is owned by the main window
    // (or, for Modal, deleted after its run).
    std::function<QWidget *()> create;
};

// The windows the main window can open by name ("frmKurs", "frmOptions", ...).
// A name without an entry leaves its menu item and toolbar button disabled.
namespace windowfactory {

// The entry for a name, or nullptr.
const WindowEntry *find(const QString &name);
inline bool has(const QString &name) { return find(name) != nullptr; }

// Adds or replaces an entry (tests add their own windows); remove takes it out again.
void add(const QString &name, WindowEntry entry);
void remove(const QString &name);

} // namespace windowfactory
} // namespace orv::app
