#pragma once
// The window's link to its one simulated positioner: which instance holds the channel to it (at
// most one at a time), the action that runs for that instance (connect, upload, download,
// disconnect) and how it ends. An action starts the DTM's work and ends when the DTM tells the
// frame (its container's events, the end of the connection process) through the event loop.
// How an action goes is told in the status line; whoever owns the link hears of every start and
// end.

#include <QObject>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/ProjectHelpers.h"
#include "frame/window/StatusLine.h"

namespace kv {

class IEventLoop;
class SimulatedChannel;
class SimulatedPositioner;
struct FrameEvent;
struct InstanceEntry;

class DeviceLink : public QObject {
    Q_OBJECT

  public:
    // The status line must outlive the link. changed: called with the instance after an
    // action of it started or ended.
    DeviceLink(std::shared_ptr<IEventLoop> loop, std::shared_ptr<SimulatedPositioner> device,
               StatusLine& status, std::function<void(const InstanceEntry& entry)> changed);
    ~DeviceLink() override;

    // The instance that holds the channel, connected or not; nullptr for none.
    InstanceEntry* Holder() const { return holder_; }
    // The instance connected; nullptr for none.
    InstanceEntry* Connected() const;
    bool Busy() const { return running_.has_value(); }
    // Whether an upload or a download runs.
    bool Transferring() const;

    // The actions of an instance; False when one cannot start: an action runs, the instance is
    // not connected (already connected, to connect), another instance is connected, or the DTM
    // refused.
    bool Connect(InstanceEntry& entry);
    bool Disconnect(InstanceEntry& entry);
    // Of the whole data set.
    bool Upload(InstanceEntry& entry);
    bool Download(InstanceEntry& entry);

    // An event of the instance's container: True when it belongs to the link (the running
    // action's progress and ends, the ends of transfers and disconnections), False for the
    // window to show.
    bool OnEvent(InstanceEntry& entry, const FrameEvent& event);
    // The instance's DTM was released: it holds the channel no more.
    void Released(const InstanceEntry& entry);
    // No action runs any more: the window has released its instances.
    void Stop() { running_.reset(); }

  private:
    class ProcessWatch;
    enum class Action { Connecting, Uploading, Downloading, Disconnecting };

    bool StartTransfer(InstanceEntry& entry, Action action);
    // The end of the running action of the instance; keepProgress: a failed transfer's bar
    // shows how far it came.
    void End(const InstanceEntry& entry, StatusWords text, bool keepProgress = false);
    void EndConnectFailed();

    std::shared_ptr<IEventLoop> loop_;
    std::shared_ptr<SimulatedPositioner> device_;
    std::shared_ptr<SimulatedChannel> channel_;
    StatusLine& status_;
    std::function<void(const InstanceEntry&)> changed_;
    InstanceEntry* holder_ = nullptr;
    std::optional<Action> running_;  // an action of holder_
    std::shared_ptr<ProcessWatch> watch_;
    std::string invokeId_;  // of the running transfer
    int32_t transfers_ = 0;
    // Why the transfer failed: the error bits, and the protection the device reported when it
    // denied access.
    int32_t transferFailure_ = 0;
    WriteProtection transferProtection_ = WriteProtection::None;
};

}  // namespace kv
