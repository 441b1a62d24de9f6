#include "data/lockwait.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

namespace orv::data::lockwait {

namespace {

// Short waits happen all the time between two workstations; only a longer one is shown.
constexpr long long kShownAfterMs = 300;

Observer &observer()
{
    static Observer o;
    return o;
}

struct Wait {
    QElapsedTimer since;
    bool told = false;
};
thread_local Wait current;

bool onMainThread()
{
    const QCoreApplication *app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

} // namespace

void setObserver(Observer o) { observer() = std::move(o); }

void waiting()
{
    if (!current.since.isValid())
        current.since.start();
    if (current.since.elapsed() < kShownAfterMs || !observer() || !onMainThread())
        return;
    current.told = true;
    observer()(true);
}

void over()
{
    if (!current.since.isValid())
        return;
    current.since.invalidate();
    if (std::exchange(current.told, false) && observer() && onMainThread())
        observer()(false);
}

long long waitedMs() { return current.since.isValid() ? current.since.elapsed() : 0; }

} // namespace orv::data::lockwait
