#pragma once
// The runtime's event loop on Qt's: posted calls run from Qt's event queue in the order of
// posting, timers are QTimers, the clock is monotonic. Every call it runs goes through the
// loop's last-resort catch (Guarded with Diagnostics()).

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <map>

#include "platform/os/IEventLoop.h"

class QTimer;

namespace kv {

class QtEventLoop : public QObject, public IEventLoop {
    Q_OBJECT

  public:
    explicit QtEventLoop(QObject* parent = nullptr);
    ~QtEventLoop() override;

    void Post(std::function<void()> fn) override;
    // An interval below 1 ms runs as 1 ms.
    int32_t StartTimer(int32_t intervalMs, std::function<void()> fn) override;
    // Stopping an unknown or stopped timer does nothing.
    void StopTimer(int32_t id) override;
    int64_t NowMs() const override;

    size_t TimerCount() const { return timers_.size(); }

  private:
    QElapsedTimer clock_;
    std::map<int32_t, QPointer<QTimer>> timers_;
    int32_t nextTimer_ = 1;
};

}  // namespace kv
