#include "sim/SimulatedChannel.h"
#include "platform/fdt/FdtFrameInterfaces.h"
#include "platform/os/IEventLoop.h"

namespace kv {

namespace {

std::string Hex(const std::vector<uint8_t>& bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (uint8_t b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 0x0F];
    }
    return out;
}

std::string Address(const Dpv1Request& r) {
    return "slot=" + std::to_string(r.slot) + " index=" + std::to_string(r.index);
}

}  // namespace

SimulatedChannel::SimulatedChannel(IEventLoop& loop, std::shared_ptr<SimulatedPositioner> device,
                                   int32_t tickMs)
    : loop_(loop), device_(std::move(device)), tickMs_(tickMs > 0 ? tickMs : 100) {}

SimulatedChannel::~SimulatedChannel() {
    if (tickTimer_ != 0)
        loop_.StopTimer(tickTimer_);
    for (int32_t id : delayTimers_)
        loop_.StopTimer(id);
}

void SimulatedChannel::Trace(const std::string& line) const {
    if (trace_)
        trace_(line);
}

// Runs fn on the loop: posted, or after delayMs on a one-shot timer; never after the channel
// is gone.
void SimulatedChannel::Later(int32_t delayMs, std::function<void()> fn) {
    const LifetimeToken::Watcher alive = lifetime_.Watch();
    if (delayMs <= 0) {
        loop_.Post([alive, fn = std::move(fn)] {
            if (alive.Alive())
                fn();
        });
        return;
    }
    auto id = std::make_shared<int32_t>(0);
    *id = loop_.StartTimer(delayMs, [this, alive, id, fn = std::move(fn)] {
        if (!alive.Alive())
            return;
        loop_.StopTimer(*id);
        delayTimers_.erase(*id);
        fn();
    });
    delayTimers_.insert(*id);
}

bool SimulatedChannel::ConnectRequest(std::weak_ptr<IFdtCommunicationEvents> events,
                                      const std::string& invokeId, uint8_t /*address*/) {
    if (connected_)
        return false;
    events_ = std::move(events);
    hasSink_ = true;
    Later(0, [this, invokeId] {
        connected_ = !refuseConnect_;
        if (connected_ && tickTimer_ == 0) {
            device_->FollowClock(loop_.NowMs());
            const LifetimeToken::Watcher alive = lifetime_.Watch();
            tickTimer_ = loop_.StartTimer(tickMs_, [this, alive] {
                if (alive.Alive())
                    device_->FollowClock(loop_.NowMs());
            });
        }
        if (auto sink = events_.lock()) {
            sink->OnConnectResponse(invokeId, connected_, device_->IdentNumber());
        }
    });
    return true;
}

void SimulatedChannel::EndConnection() {
    connected_ = false;
    ++generation_;
    if (tickTimer_ != 0) {
        loop_.StopTimer(tickTimer_);
        tickTimer_ = 0;
    }
}

bool SimulatedChannel::DisconnectRequest(const std::string& invokeId) {
    if (!hasSink_)
        return false;
    Later(0, [this, invokeId] {
        EndConnection();
        if (auto sink = events_.lock())
            sink->OnDisconnectResponse(invokeId, true);
    });
    return true;
}

void SimulatedChannel::Abort() {
    EndConnection();
}

void SimulatedChannel::DropConnection(const std::string& reason) {
    EndConnection();
    Trace("< abort " + reason);
    Later(0, [this, reason] {
        if (auto sink = events_.lock())
            sink->OnAbort(reason);
    });
}

bool SimulatedChannel::TransactionRequest(const std::string& invokeId, const Dpv1Request& request) {
    if (!hasSink_)
        return false;
    Trace(request.write
              ? "> write " + Address(request) + " data=" + Hex(request.data)
              : "> read " + Address(request) + " length=" + std::to_string(request.length));
    const uint32_t generation = generation_;
    if (!connected_) {
        Dpv1Response lost;
        lost.delivered = false;
        Later(0, [this, invokeId, request, lost, generation] {
            Deliver(invokeId, request, lost, generation);
        });
        return true;
    }
    device_->FollowClock(loop_.NowMs());
    SimReply reply = device_->Process(request);
    if (!reply.answered)
        return true;  // lost: the DTM side has to time out
    Later(reply.delayMs, [this, invokeId, request, response = std::move(reply.response),
                          generation] { Deliver(invokeId, request, response, generation); });
    return true;
}

void SimulatedChannel::Deliver(const std::string& invokeId, const Dpv1Request& request,
                               Dpv1Response response, uint32_t generation) {
    if (generation != generation_) {
        // The connection ended while the answer was on its way.
        response = Dpv1Response{};
        response.delivered = false;
    }
    if (!response.delivered) {
        Trace("< " + Address(request) + " not delivered");
    } else if (!response.errorInfo.empty()) {
        Trace("< " + Address(request) + " error=" +
              Hex({response.errorInfo.size() > 1 ? response.errorInfo[1] : response.errorInfo[0]}));
    } else {
        Trace("< " + Address(request) + " data=" + Hex(response.data));
    }
    // Last: the sink may end the connection or release the channel.
    if (auto sink = events_.lock())
        sink->OnTransactionResponse(invokeId, response);
}

}  // namespace kv
