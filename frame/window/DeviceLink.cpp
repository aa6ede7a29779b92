#include "frame/window/DeviceLink.h"

#include <QPointer>
#include <utility>

#include "dtm/DTMMain.h"
#include "frame/FrameContainer.h"
#include "frame/FrameWords.h"
#include "frame/ReferenceFrame.h"
#include "frame/window/InstanceModel.h"
#include "platform/controls/widgets/LastResort.h"
#include "platform/runtime/ICommObject.h"
#include "platform/runtime/ICommunicationManager.h"
#include "platform/runtime/IDTMContext.h"
#include "platform/runtime/IOnlineParameterService.h"
#include "platform/runtime/IPrivateProcess.h"
#include "platform/runtime/ProcessId.h"
#include "sim/SimulatedChannel.h"

namespace kv {

// The end of the connection process.
class DeviceLink::ProcessWatch : public IPrivateProcess {
  public:
    explicit ProcessWatch(std::function<void(bool)> done) : done_(std::move(done)) {}
    void OnProcessProgress(const std::string&, int32_t) override {}
    void OnProcessFinished(const std::string& processId, bool success) override {
        if (processId == id && done_) {
            auto done = std::move(done_);
            CallGuarded("FrameWindow connection end", [&] { done(success); });
        }
    }
    std::string id;

  private:
    std::function<void(bool)> done_;
};

DeviceLink::DeviceLink(std::shared_ptr<IEventLoop> loop,
                       std::shared_ptr<SimulatedPositioner> device, StatusLine& status,
                       std::function<void(const InstanceEntry&)> changed)
    : loop_(std::move(loop)),
      device_(std::move(device)),
      channel_(std::make_shared<SimulatedChannel>(*loop_, device_)),
      status_(status),
      changed_(std::move(changed)) {}

DeviceLink::~DeviceLink() = default;

InstanceEntry* DeviceLink::Connected() const {
    return holder_ != nullptr && holder_->Connected() ? holder_ : nullptr;
}

bool DeviceLink::Transferring() const {
    return running_ == Action::Uploading || running_ == Action::Downloading;
}

bool DeviceLink::Connect(InstanceEntry& entry) {
    if (running_ || entry.Connected())
        return false;
    if (holder_ != nullptr && holder_ != &entry) {
        // One positioner: the instance that holds the channel gives it back first, unless it
        // is connected.
        if (holder_->Connected() || !holder_->instance.dtm->ReleaseCommunication())
            return false;
        holder_ = nullptr;
    }
    ICommunicationManager& comm = entry.Ctx().CommunicationManager();
    if (!comm.HasCommunication() && !entry.instance.dtm->SetCommunication(channel_)) {
        status_.Show(&entry, Word(&FrameWords::channelRefused));
        return false;
    }
    holder_ = &entry;
    const QPointer<DeviceLink> self(this);
    watch_ = std::make_shared<ProcessWatch>([self, &entry](bool connected) {
        if (!self)
            return;
        if (connected && entry.Connected())
            self->End(entry, Word(&FrameWords::connectDone));
        else
            self->EndConnectFailed();
    });
    watch_->id = NewProcessId();
    running_ = Action::Connecting;
    changed_(entry);
    status_.Show(&entry, Word(&FrameWords::connecting));
    if (!comm.Connect(watch_->id, watch_)) {
        EndConnectFailed();
        return false;
    }
    return true;
}

void DeviceLink::EndConnectFailed() {
    const ICommObject* comm = holder_->Ctx().CommunicationManager().CommObject();
    const int32_t code = comm != nullptr ? comm->ErrorCode() : cecNone;
    End(*holder_, [code](const FrameWords& words) {
        return Failed(words.connectFailed, ReasonOfConnection(words, code));
    });
}

bool DeviceLink::Disconnect(InstanceEntry& entry) {
    if (running_ || holder_ != &entry || !entry.Connected())
        return false;
    running_ = Action::Disconnecting;
    changed_(entry);
    status_.Show(&entry, Word(&FrameWords::disconnecting));
    if (!entry.instance.dtm->PrepareToReleaseCommunication()) {
        End(entry, Word(&FrameWords::notStarted));
        return false;
    }
    return true;
}

bool DeviceLink::Upload(InstanceEntry& entry) {
    return StartTransfer(entry, Action::Uploading);
}

bool DeviceLink::Download(InstanceEntry& entry) {
    return StartTransfer(entry, Action::Downloading);
}

bool DeviceLink::StartTransfer(InstanceEntry& entry, Action action) {
    if (running_ || holder_ != &entry || !entry.Connected())
        return false;
    const bool upload = action == Action::Uploading;
    invokeId_ = (upload ? "upload-" : "download-") + std::to_string(++transfers_);
    running_ = action;
    transferFailure_ = 0;
    transferProtection_ = WriteProtection::None;
    changed_(entry);
    status_.Show(&entry, Word(upload ? &FrameWords::uploading : &FrameWords::downloading));
    status_.StartProgress();
    const bool started = upload ? entry.instance.dtm->UploadRequest(invokeId_, "")
                                : entry.instance.dtm->DownloadRequest(invokeId_, "");
    if (!started)
        End(entry, Word(&FrameWords::notStarted));
    return started;
}

void DeviceLink::End(const InstanceEntry& entry, StatusWords text, bool keepProgress) {
    running_.reset();
    status_.End(entry, std::move(text), keepProgress);
    changed_(entry);
}

bool DeviceLink::OnEvent(InstanceEntry& entry, const FrameEvent& event) {
    // An action of the link runs for the instance that holds the channel.
    const bool ownAction = &entry == holder_ && running_.has_value();
    switch (event.kind) {
        case FrameEvent::kProgress:
            // The link's own upload or download keeps the bar until its end comes; only the
            // transfer's own progress counts: the reads before a download are no part of how
            // far it came.
            if (!ownAction || !Transferring())
                return false;
            if (event.show &&
                event.text == (running_ == Action::Uploading ? kUploadTitle : kDownloadTitle))
                status_.SetProgress(event.percent);
            return true;
        case FrameEvent::kTransferFinished:
            if (!ownAction)
                return false;
            // The end follows, with the reason kept.
            transferFailure_ = event.failure;
            transferProtection_ = ProtectionOfFailure(entry, event.failure);
            return true;
        case FrameEvent::kUploadFinished:
        case FrameEvent::kDownloadFinished: {
            const bool upload = event.kind == FrameEvent::kUploadFinished;
            if (!ownAction || running_ != (upload ? Action::Uploading : Action::Downloading) ||
                event.id != invokeId_)
                return true;
            if (event.success) {
                End(entry, Word(upload ? &FrameWords::uploaded : &FrameWords::downloaded));
            } else {
                // The bar keeps showing how far the transfer came.
                End(entry,
                    status_.TransferFailed(
                        entry, upload ? &FrameWords::uploadFailed : &FrameWords::downloadFailed,
                        transferFailure_, transferProtection_),
                    true);
            }
            return true;
        }
        case FrameEvent::kPreparedToReleaseCommunication: {
            // The communication is released outside the DTM's own call.
            const QPointer<DeviceLink> self(this);
            InstanceEntry* const from = &entry;
            loop_->Post([self, from] {
                if (!self || self->holder_ != from || self->running_ != Action::Disconnecting)
                    return;
                CallGuarded("FrameWindow disconnected", [&] {
                    from->instance.dtm->ReleaseCommunication();
                    self->holder_ = nullptr;
                    self->End(*from, Word(&FrameWords::disconnectDone));
                });
            });
            return true;
        }
        case FrameEvent::kRequestSave:
        case FrameEvent::kFunctionChanged:
        case FrameEvent::kOpenGUIRequest:
        case FrameEvent::kInvokedFunctionFinished:
        case FrameEvent::kPreparedToRelease:
        case FrameEvent::kParametersChanged:
            return false;
    }
    return false;
}

void DeviceLink::Released(const InstanceEntry& entry) {
    if (holder_ == &entry)
        holder_ = nullptr;
}

}  // namespace kv
