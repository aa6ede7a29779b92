#include "frame/DeviceSession.h"

#include <cstring>

#include "dtm/DTMMain.h"
#include "platform/runtime/ICommunicationManager.h"
#include "platform/runtime/IPrivateProcess.h"
#include "platform/runtime/ProcessId.h"

namespace kv {

namespace {

// Posted calls run per slice, so that progress shows between slices.
constexpr int32_t kSliceCalls = 16;
// Loop time that passes when no posted call is left.
constexpr int64_t kIdleStepMs = 10;

}  // namespace

// Receives the end of the connection process.
class DeviceSession::ConnectWatch : public IPrivateProcess {
  public:
    void OnProcessProgress(const std::string& /*processId*/, int32_t /*percent*/) override {}
    void OnProcessFinished(const std::string& processId, bool success) override {
        if (processId == id) {
            ended = true;
            connected = success;
        }
    }
    std::string id;
    bool ended = false;
    bool connected = false;
};

DeviceSession::DeviceSession(std::shared_ptr<ManualEventLoop> loop, FrameInstance& instance,
                             std::shared_ptr<SimulatedPositioner> device)
    : loop_(std::move(loop)),
      instance_(instance),
      device_(std::move(device)),
      channel_(std::make_shared<SimulatedChannel>(*loop_, device_)),
      watch_(std::make_shared<ConnectWatch>()),
      container_(instance.container) {
    observer_ = container_->AddEventObserver([this](const FrameEvent& event) {
        if (awaited_ && !awaited_->success && event.kind == awaited_->kind &&
            event.id == awaited_->id)
            awaited_->success = event.success;
    });
}

DeviceSession::~DeviceSession() {
    container_->RemoveEventObserver(observer_);
}

bool DeviceSession::SetCommunication() {
    return instance_.dtm->SetCommunication(channel_);
}

bool DeviceSession::IsConnected() const {
    return instance_.dtm->DTMContext()->CommunicationManager().IsConnected();
}

bool DeviceSession::Connect() {
    watch_->id = NewProcessId();
    watch_->ended = false;
    watch_->connected = false;
    ICommunicationManager& comm = instance_.dtm->DTMContext()->CommunicationManager();
    if (!comm.Connect(watch_->id, watch_))
        return false;
    RunUntil([this] { return watch_->ended; });
    Settle();
    return watch_->ended && watch_->connected && IsConnected();
}

void DeviceSession::Settle() {
    while (loop_->HasPending()) {
        loop_->RunUntilIdle(kSliceCalls);
        if (stepHook_)
            stepHook_();
    }
}

bool DeviceSession::RunUntil(const std::function<bool()>& done, int64_t maxMs) {
    const int64_t end = loop_->NowMs() + maxMs;
    while (!done()) {
        if (loop_->HasPending())
            loop_->RunUntilIdle(kSliceCalls);
        else if (loop_->NowMs() < end)
            loop_->Advance(kIdleStepMs);
        else
            break;
        if (stepHook_)
            stepHook_();
    }
    return done();
}

std::optional<bool> DeviceSession::Await(FrameEvent::Kind kind, const std::string& id,
                                         const std::function<bool()>& request) {
    // The end may come within the request itself.
    awaited_ = Awaited{kind, id, std::nullopt};
    if (request())
        RunUntil([this] { return awaited_->success.has_value(); });
    const std::optional<bool> success = awaited_->success;
    awaited_.reset();
    return success;
}

std::optional<bool> DeviceSession::Upload(const std::string& invokeId,
                                          const std::string& parameterPath) {
    return Await(FrameEvent::kUploadFinished, invokeId,
                 [&] { return instance_.dtm->UploadRequest(invokeId, parameterPath); });
}

std::optional<bool> DeviceSession::Download(const std::string& invokeId,
                                            const std::string& parameterPath) {
    return Await(FrameEvent::kDownloadFinished, invokeId,
                 [&] { return instance_.dtm->DownloadRequest(invokeId, parameterPath); });
}

bool DeviceSession::Disconnect() {
    const std::optional<bool> prepared =
        Await(FrameEvent::kPreparedToReleaseCommunication, instance_.systemTag,
              [this] { return instance_.dtm->PrepareToReleaseCommunication(); });
    return prepared.has_value() && instance_.dtm->ReleaseCommunication();
}

void SetUpDemonstrationProcess(SimulatedPositioner& device) {
    const float setpoint = 42.5f;
    uint32_t bits = 0;
    std::memcpy(&bits, &setpoint, sizeof bits);
    // The Analog Output block's setpoint record: the value and a good status.
    device.SetRecord(
        1, 25, {uint8_t(bits >> 24), uint8_t(bits >> 16), uint8_t(bits >> 8), uint8_t(bits), 0x80});
    device.Advance(3000);
}

}  // namespace kv
