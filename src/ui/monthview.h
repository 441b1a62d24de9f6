#pragma once
#include <QCalendarWidget>
#include <QDate>
#include <QString>

namespace orv::ui {

// The month calendar that pops up to pick the date of one date field. It is
// hidden until popUp(); a clicked day (or Return on the selected one) is handed
// out through dateTaken and closes it; Esc and the focus going elsewhere close
// it without a change.
class MonthView : public QCalendarWidget {
    Q_OBJECT
public:
    // Over its window, as part of it; or as a popup of its own, which may reach
    // beyond a small dialog.
    enum class Placement { OverWindow, OwnPopup };

    // `name` is the object name, `parent` the window it belongs to.
    MonthView(const QString &name, QWidget *parent, Placement placement = Placement::OverWindow);

    // Shows the date of `fieldText`, or today when it holds no valid date, with
    // its top left corner at `topLeft` (in the parent's coordinates; global for
    // an own popup), and takes the focus.
    void popUp(const QString &fieldText, QPoint topLeft);
    // Over the window: the left edge under `button`, the bottom edge just above `dateRow`.
    void popUpAbove(const QString &fieldText, QWidget *button, QWidget *dateRow);

signals:
    void dateTaken(const QDate &day);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void focusMoved(QWidget *now);
};

} // namespace orv::ui
