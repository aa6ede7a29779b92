#include "platform/controls/widgets/QtEventLoop.h"

#include <QMetaObject>
#include <QTimer>
#include <algorithm>
#include <memory>

#include "platform/runtime/EntryGuard.h"

namespace kv {

QtEventLoop::QtEventLoop(QObject* parent) : QObject(parent) {
    clock_.start();
}

QtEventLoop::~QtEventLoop() = default;

void QtEventLoop::Post(std::function<void()> fn) {
    // Queued calls to one receiver are delivered in the order of posting.
    QMetaObject::invokeMethod(
        this, [this, fn = std::move(fn)] { Guarded(Diagnostics(), "posted call", fn); },
        Qt::QueuedConnection);
}

int32_t QtEventLoop::StartTimer(int32_t intervalMs, std::function<void()> fn) {
    const int32_t id = nextTimer_++;
    auto* timer = new QTimer(this);
    timer->setTimerType(Qt::PreciseTimer);
    timer->setInterval(std::max(intervalMs, 1));
    auto shared = std::make_shared<std::function<void()>>(std::move(fn));
    connect(timer, &QTimer::timeout, this, [this, shared] {
        // The call may stop its own timer; the function stays alive while it runs.
        auto keep = shared;
        Guarded(Diagnostics(), "timer", *keep);
    });
    timers_[id] = timer;
    timer->start();
    return id;
}

void QtEventLoop::StopTimer(int32_t id) {
    auto it = timers_.find(id);
    if (it == timers_.end())
        return;
    if (QTimer* timer = it->second) {
        timer->stop();
        // A timer may be stopped from its own timeout: delete it once that has returned.
        timer->deleteLater();
    }
    timers_.erase(it);
}

int64_t QtEventLoop::NowMs() const {
    return clock_.elapsed();
}

}  // namespace kv
