#pragma once
#include <QString>
#include <QStringList>

namespace orv::data {
class RecordSet;
}

class QComboBox;
class QFont;
class QLabel;
class QLineEdit;
class QToolButton;
class QWidget;

// The entry controls of the record windows, built the same way everywhere.
namespace orv::records::fields {

// Fixed pitch for every field that shows column text.
QFont fieldFont();
// `txtFields(index)` with its input limit; widthChars 0 lets it stretch.
QLineEdit *makeField(QWidget *parent, int index, int maxLength, int widthChars = 0, bool rightAligned = false);
// An editable list box that keeps typed text as typed (no completion, no insertion).
QComboBox *makeCombo(QWidget *parent, const QString &name, const QStringList &items, int widthChars);
QLabel *makeLabel(QWidget *parent, const QString &text, QWidget *buddy = nullptr);
// Shows the beginning of a filled field (fixed-width texts end in blanks).
void showFromStart(QWidget *field);
// A stored number as a field shows it; nothing for an empty column.
QString numberText(const data::RecordSet &rows, const char *column, int decimals);
// A small picture button beside a field (pickers).
QToolButton *makePictureButton(QWidget *parent, const QString &name, const QString &icon, const QString &toolTip);

} // namespace orv::records::fields
