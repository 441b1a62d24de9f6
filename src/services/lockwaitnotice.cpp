#include "services/lockwaitnotice.h"

#include "data/lockwait.h"
#include "ui/statuspanels.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>

namespace orv::services {

namespace {

const QString kWaiting = QStringLiteral("Wartet auf einen anderen Arbeitsplatz …");

// Keeps every window open while a statement of it waits.
class KeepOpen : public QObject {
protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() != QEvent::Close)
            return false;
        event->ignore();
        return true;
    }
};

struct Notice {
    bool shown = false;
    bool repainting = false;
    QString before; // the status text the wait covers
    KeepOpen keepOpen;

    void waiting()
    {
        if (!shown) {
            shown = true;
            before = ui::StatusPanels::instance().panelText(QStringLiteral("Status"));
            ui::setStatus(kWaiting);
            QApplication::setOverrideCursor(Qt::WaitCursor);
            qApp->installEventFilter(&keepOpen);
        }
        if (repainting)
            return;
        // Paint and window events only: input, sockets and the program's own
        // reactions wait until the statement is through.
        repainting = true;
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::ExcludeSocketNotifiers);
        repainting = false;
    }
    void over()
    {
        if (!shown)
            return;
        shown = false;
        qApp->removeEventFilter(&keepOpen);
        QApplication::restoreOverrideCursor();
        if (ui::StatusPanels::instance().panelText(QStringLiteral("Status")) == kWaiting)
            ui::setStatus(before);
    }
};

} // namespace

void showLockWaits()
{
    static Notice notice;
    data::lockwait::setObserver([](bool waiting) {
        if (waiting)
            notice.waiting();
        else
            notice.over();
    });
}

} // namespace orv::services
