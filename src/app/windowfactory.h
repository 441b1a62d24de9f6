#pragma once
#include "ui/windownames.h"

#include <functional>

class QWidget;

namespace orv::app {

struct WindowEntry {
    ui::WindowKind kind = ui::WindowKind::Child;
    // Creates the window; it gets no parent and is owned by the main window
    // (or, for Modal, deleted after its run).
    std::function<QWidget *()> create;
};

// How the main window makes each window of ui::windowNames. A window without
// an entry leaves its menu item and toolbar button disabled.
namespace windowfactory {

// The entry of a window, or nullptr.
const WindowEntry *find(ui::WindowId window);
inline bool has(ui::WindowId window) { return find(window) != nullptr; }

// Adds or replaces an entry (tests add their own windows); remove takes it out again.
void add(ui::WindowId window, WindowEntry entry);
void remove(ui::WindowId window);

} // namespace windowfactory
} // namespace orv::app
