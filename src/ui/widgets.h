#pragma once
#include <QFont>
#include <QPixmap>
#include <QRectF>

class QComboBox;
class QLabel;
class QPainter;
class QSize;
class QWidget;

// Small pieces every window uses the same way.
namespace orv::ui {

// The fixed-pitch font of fields, lists and reports ("Courier New"). On a
// machine without it the font matching still picks a fixed-pitch font, so
// columns of text stay aligned.
QFont fixedPitchFont(double points);
// The proportional heading font ("Arial"), a sans-serif one where it is missing.
QFont headingFont(double points, bool bold = false);
// A font by the family name the layouts give; the two families above keep
// their fallbacks.
QFont fontByName(const QString &family, double points);

// An editable list box keeps what the user types exactly as typed: no
// completion from the list, no new list entries, and leaving the box does
// not replace the text by a list entry that differs in case. Choosing from
// the list still puts in the list value.
void keepTypedText(QComboBox *combo);

// Ties a field to its label: Alt plus the label's key reaches it, and a
// screen reader names it by the label ("Kurs-Nr." for "&Kurs-Nr.:"). An
// editable list box's text box is named too, since that is what has the focus.
void labelField(QLabel *label, QWidget *field);
// Names a field that has no label of its own, for screen readers.
void nameField(QWidget *field, const QString &name);

// The program's one logo, drawn by the program (report heading, display
// window, program icon and the About window's last frame show the same mark).
void paintLogo(QPainter &painter, const QRectF &rect);
QPixmap logoPixmap(int size);

// Opens a dialog at a size where its content can be read (a page of a
// preview, the list of a file dialog): the size wanted, at most nine tenths
// of the screen the dialog's parent is on.
void sizeForReading(QWidget *dialog, const QSize &wanted);

// The handbook's chapter a window or dialog belongs to, as the anchor of its
// section ("kurse"); F1 opens it there. A widget without one takes its parent's.
void setHelpChapter(QWidget *window, const char *anchor);
QString helpChapterOf(const QWidget *widget);

// The hourglass while the program works; restored when the object goes.
class BusyPointer {
public:
    BusyPointer();
    ~BusyPointer();
    void restore();
    BusyPointer(const BusyPointer &) = delete;
    BusyPointer &operator=(const BusyPointer &) = delete;

private:
    bool m_on = true;
};

// The normal pointer while the user is asked something in the middle of a
// busy stretch (a dialog, a question); the busy pointer comes back after.
class NormalPointer {
public:
    NormalPointer();
    ~NormalPointer();
    NormalPointer(const NormalPointer &) = delete;
    NormalPointer &operator=(const NormalPointer &) = delete;

private:
    int m_lifted = 0;
};

} // namespace orv::ui
