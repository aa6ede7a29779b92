#pragma once
// The reference frame's link of one DTM instance to the simulated positioner: the DP-V1 channel
// that the frame hands to the DTM, the connection it asks the instance's runtime for, and the
// frame's actions (upload, download, release of the communication) whose ends it waits for by
// driving the manual event loop in steps.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "frame/ReferenceFrame.h"
#include "platform/runtime/ManualEventLoop.h"
#include "sim/SimulatedChannel.h"
#include "sim/SimulatedPositioner.h"

namespace kv {

class DeviceSession {
  public:
    // Loop time an action may take before the frame gives up waiting.
    static constexpr int64_t kDefaultWaitMs = 20000;

    // The instance (owned by the frame) and the loop must outlive the session.
    DeviceSession(std::shared_ptr<ManualEventLoop> loop, FrameInstance& instance,
                  std::shared_ptr<SimulatedPositioner> device);
    ~DeviceSession();
    DeviceSession(const DeviceSession&) = delete;
    DeviceSession& operator=(const DeviceSession&) = delete;

    SimulatedChannel& Channel() { return *channel_; }
    SimulatedPositioner& Device() { return *device_; }

    // Hands the channel to the DTM (SetCommunication); the DTM's answer.
    bool SetCommunication();
    // Asks the instance's runtime to connect: it reads the device's identity and the DTM checks
    // it (and starts its reads after a match). Waits until the connection is settled and the
    // loop is idle. True when the connection stands.
    bool Connect();
    bool IsConnected() const;

    // The frame's upload or download of the data set (or the part under parameterPath). Waits
    // for the frame's UploadFinished / DownloadFinished of invokeId. nullopt when the DTM refused
    // the request or no end came in time, else the success the frame heard.
    std::optional<bool> Upload(const std::string& invokeId, const std::string& parameterPath = "");
    std::optional<bool> Download(const std::string& invokeId,
                                 const std::string& parameterPath = "");
    // PrepareToReleaseCommunication, waiting for PreparedToReleaseCommunication, then
    // ReleaseCommunication. True when the communication is released.
    bool Disconnect();

    // Runs posted calls in slices, and lets loop time pass when none is left, until done() holds
    // or maxMs of loop time passed; the step hook runs after every slice. done()'s last answer.
    bool RunUntil(const std::function<bool()>& done, int64_t maxMs = kDefaultWaitMs);
    // Runs every posted call.
    void Settle();
    // Called after every slice of RunUntil (the program draws its progress bar there).
    void SetStepHook(std::function<void()> hook) { stepHook_ = std::move(hook); }

  private:
    class ConnectWatch;
    // The end of an action that the session waits for: its event and what it said.
    struct Awaited {
        FrameEvent::Kind kind;
        std::string id;
        std::optional<bool> success;
    };
    // Makes the request and waits for the event of that kind naming id; nullopt when the
    // request was refused or no such event came in time, else the event's success.
    std::optional<bool> Await(FrameEvent::Kind kind, const std::string& id,
                              const std::function<bool()>& request);

    std::shared_ptr<ManualEventLoop> loop_;
    FrameInstance& instance_;
    std::shared_ptr<SimulatedPositioner> device_;
    std::shared_ptr<SimulatedChannel> channel_;
    std::shared_ptr<ConnectWatch> watch_;
    std::function<void()> stepHook_;
    std::shared_ptr<FrameContainer> container_;  // kept while the session watches it
    size_t observer_ = 0;
    std::optional<Awaited> awaited_;
};

// The process the demonstration finds: a setpoint of 42.5 % that the valve has been travelling
// to for three seconds.
void SetUpDemonstrationProcess(SimulatedPositioner& device);

}  // namespace kv
