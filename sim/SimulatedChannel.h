#pragma once
// The frame's DP-V1 communication channel to the simulated positioner. Every answer comes later
// through the event loop, never inside the request call; an injected delay becomes a timer, a
// lost request never answers. Device time follows the loop's clock (NowMs) from the first
// connection on: brought up to date before each request and on a timer while connected, and
// caught up at the next request after a disconnection. With a loop whose clock is the wall
// clock the valve travels and calibrations end in real time.

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>

#include "platform/fdt/FdtFrameInterfaces.h"
#include "platform/os/IEventLoop.h"
#include "sim/SimulatedPositioner.h"
#include "value/LifetimeToken.h"

namespace kv {

class SimulatedChannel : public IFdtCommunication {
  public:
    // The loop must outlive the channel. tickMs: the interval of the device-time timer.
    SimulatedChannel(IEventLoop& loop, std::shared_ptr<SimulatedPositioner> device,
                     int32_t tickMs = 100);
    ~SimulatedChannel() override;
    SimulatedChannel(const SimulatedChannel&) = delete;
    SimulatedChannel& operator=(const SimulatedChannel&) = delete;

    bool ConnectRequest(std::weak_ptr<IFdtCommunicationEvents> events, const std::string& invokeId,
                        uint8_t address) override;
    bool DisconnectRequest(const std::string& invokeId) override;
    bool TransactionRequest(const std::string& invokeId, const Dpv1Request& request) override;
    // The DTM ends the connection: no event follows; answers still on their way arrive as not
    // delivered.
    void Abort() override;

    // The connection breaks: the DTM is told by OnAbort; later requests are not delivered.
    void DropConnection(const std::string& reason = "connection lost");
    // The device does not answer the connection request (connected False).
    void SetRefuseConnect(bool refuse) { refuseConnect_ = refuse; }
    // One line per request ("> read ...", "> write ...") and per answer ("< ...").
    void SetTrace(std::function<void(const std::string&)> trace) { trace_ = std::move(trace); }

    bool IsConnected() const { return connected_; }
    SimulatedPositioner& Device() { return *device_; }

  private:
    void Later(int32_t delayMs, std::function<void()> fn);
    void Deliver(const std::string& invokeId, const Dpv1Request& request, Dpv1Response response,
                 uint32_t generation);
    void EndConnection();
    void Trace(const std::string& line) const;

    IEventLoop& loop_;
    std::shared_ptr<SimulatedPositioner> device_;
    std::weak_ptr<IFdtCommunicationEvents> events_;
    bool hasSink_ = false;
    bool connected_ = false;
    bool refuseConnect_ = false;
    uint32_t generation_ = 0;  // counts ended connections; older answers are not delivered
    int32_t tickMs_;
    int32_t tickTimer_ = 0;
    std::set<int32_t> delayTimers_;
    std::function<void(const std::string&)> trace_;
    // Posted calls and timers check it, so that none reaches a channel that is gone.
    LifetimeToken lifetime_;
};

}  // namespace kv
