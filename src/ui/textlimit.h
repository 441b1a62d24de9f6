#pragma once

class QLineEdit;

namespace orv::ui {

// Limits a text box to `chars` characters as the database counts them (code
// points, so an emoji is one). Like a length limit, what does not fit of a
// typed, pasted or set text is left out, and a character is never cut in half.
void limitLength(QLineEdit *box, int chars);
// The limit set by limitLength; 0 when there is none.
int lengthLimit(const QLineEdit *box);

} // namespace orv::ui
