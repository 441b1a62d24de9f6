#pragma once

// Cut, copy and paste on the focused text box of the program.
namespace orv::app {
void editCut();
void editCopy();
void editPaste();
} // namespace orv::app
