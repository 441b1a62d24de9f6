#pragma once

namespace orv::ui {

// Lets screen readers read the line view as the read-only text box it looks
// like: its text, the caret and the selection. Called by every line view;
// registers the accessibility factory once.
void installLineViewAccessible();

} // namespace orv::ui
