#pragma once
#include <QString>

namespace orv::services {

// Clipboard commands of the Edit menus and toolbars. They act on the focused
// text box (a line edit or text edit) only; combo boxes, spin boxes, lists
// and buttons are left alone.
void editCut();
void editCopy();
void editPaste();

// The login name of the user running the program; "" when unknown.
QString currentUserName();

} // namespace orv::services
