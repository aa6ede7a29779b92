#include "platform/runtime/CommunicationManager.h"

#include <algorithm>
#include <optional>

#include "platform/fdt/FdtFrameInterfaces.h"
#include "platform/os/IEventLoop.h"
#include "platform/runtime/ElementPath.h"
#include "platform/runtime/EntryGuard.h"
#include "platform/runtime/ICommObject.h"
#include "platform/runtime/ICommunicationManager.h"
#include "platform/runtime/IDTMEvents.h"
#include "platform/runtime/IParameters.h"
#include "platform/runtime/IPrivateDataElement.h"
#include "platform/runtime/IPrivateDataModel.h"
#include "platform/runtime/IPrivateProcess.h"
#include "platform/runtime/ITransaction.h"
#include "value/Text.h"

namespace kv {

namespace {

// Where the device's identity is read: DEVICE_ID of the Physical Block (slot 0, relative index
// 11 after the block's start index 16), and the device directory header (slot 1, index 0) whose
// bytes 2 and 3 hold the profile revision.
constexpr uint8_t kDeviceIdSlot = 0;
constexpr uint8_t kDeviceIdIndex = 27;
constexpr uint8_t kDeviceIdLength = 16;
constexpr uint8_t kDirectorySlot = 1;
constexpr uint8_t kDirectoryIndex = 0;
constexpr uint8_t kDirectoryLength = 12;
constexpr uint8_t kMaxReadLength = 240;

// True when the answer carries a DP-V1 error.
bool HasDpv1Error(const std::vector<uint8_t>& errorInfo) {
    return std::any_of(errorInfo.begin(), errorInfo.end(), [](uint8_t b) { return b != 0; });
}

// The element and, for a record, its members.
std::vector<IPrivateDataElement*> WithMembers(IParameters& parameters,
                                              IPrivateDataElement& element) {
    std::vector<IPrivateDataElement*> all{&element};
    if (IsRecordPath(element.Name())) {
        for (IPrivateDataElement* m : parameters.RecordMembers(element.Name()))
            all.push_back(m);
    }
    return all;
}

// Where a posted call records what a callback let escape: the instance's log while the manager
// (whose watcher is alive) and so its context live, else the loop's.
DiagnosticLog& LogAfter(const LifetimeToken::Watcher& alive, IDTMContext* context,
                        IEventLoop& loop) {
    return alive.Alive() ? context->Diagnostics() : loop.Diagnostics();
}

}  // namespace

// Receives the channel's answers for the manager (when no other sink is set) and hands them on.
class CommunicationManager::EventAdapter : public IFdtCommunicationEvents {
  public:
    explicit EventAdapter(CommunicationManager& owner) : owner_(owner) {}
    void OnConnectResponse(const std::string& invokeId, bool connected,
                           uint16_t identNumber) override {
        owner_.OnConnectResponse(invokeId, connected, identNumber);
    }
    void OnDisconnectResponse(const std::string& invokeId, bool disconnected) override {
        owner_.OnDisconnectResponse(invokeId, disconnected);
    }
    void OnTransactionResponse(const std::string& invokeId, const Dpv1Response& response) override {
        owner_.OnTransactionResponse(invokeId, response);
    }
    void OnAbort(const std::string& reason) override { owner_.OnAbort(reason); }

  private:
    CommunicationManager& owner_;  // owns the adapter
};

CommunicationManager::CommunicationManager(IDTMContext& context)
    : context_(context), adapter_(std::make_shared<EventAdapter>(*this)) {}

CommunicationManager::~CommunicationManager() {
    StopTimeout();
    outstanding_.reset();
    // Every started process still hears its end.
    while (!processes_.empty()) {
        Process p = std::move(processes_.front());
        processes_.pop_front();
        Finish(std::move(p), false);
    }
    EndPending(connect_, false);
    EndPending(disconnect_, false);
}

// --- helpers ---

void CommunicationManager::Later(std::function<void()> fn) {
    const LifetimeToken::Watcher alive = lifetime_.Watch();
    context_.Loop().Post([alive, fn = std::move(fn)] {
        if (alive.Alive())
            fn();
    });
}

std::string CommunicationManager::NextInvokeId() {
    return "KV-" + std::to_string(++invokeCounter_);
}

void CommunicationManager::StartTimeout(std::function<void()> onTimeout) {
    StopTimeout();
    const LifetimeToken::Watcher alive = lifetime_.Watch();
    timer_ = context_.Loop().StartTimer(timeoutMs_, [this, alive, onTimeout] {
        if (!alive.Alive())
            return;
        auto fn = onTimeout;  // the timer and its captures go with StopTimeout
        StopTimeout();
        fn();
    });
}

void CommunicationManager::StopTimeout() {
    if (timer_ != 0) {
        context_.Loop().StopTimer(timer_);
        timer_ = 0;
    }
}

void CommunicationManager::SetError(int32_t code) {
    errorPending_ = true;
    errorCode_ = code;
}

void CommunicationManager::EndPending(std::optional<PendingEnd>& pending, bool success) {
    if (!pending)
        return;
    PendingEnd end = std::move(*pending);
    pending.reset();
    IEventLoop& loop = context_.Loop();
    loop.Post([context = &context_, alive = lifetime_.Watch(), &loop, end, success] {
        if (auto cb = end.callback.lock()) {
            Guarded(LogAfter(alive, context, loop), "IPrivateProcess::OnProcessFinished",
                    [&] { cb->OnProcessFinished(end.processId, success); });
        }
    });
}

void CommunicationManager::GoOffline() {
    state_ = State::Offline;
}

// --- state ---

bool CommunicationManager::IsConnected() const {
    return state_ == State::Online || state_ == State::Disconnecting;
}

bool CommunicationManager::IsOnline() const {
    return state_ == State::Online;
}

void CommunicationManager::SetExpectedIdentity(std::optional<uint16_t> identNumber,
                                               std::optional<std::string> deviceId,
                                               std::optional<int32_t> profileRevision) {
    expectedIdent_ = identNumber;
    expectedDeviceId_ = std::move(deviceId);
    expectedRevision_ = profileRevision;
}

void CommunicationManager::SetCommunication(std::shared_ptr<IFdtCommunication> communication) {
    if (communication == communication_)
        return;
    if (state_ != State::Offline)
        Disconnect();
    communication_ = std::move(communication);
}

bool CommunicationManager::ReleaseCommunication() {
    if (state_ != State::Offline)
        return false;
    communication_.reset();
    return true;
}

void CommunicationManager::SetEventSink(std::weak_ptr<IFdtCommunicationEvents> sink) {
    sink_ = std::move(sink);
    hasSink_ = !sink_.expired();
}

std::vector<IPrivateDataElement*> CommunicationManager::GetGroupElements(
    const std::string& key) const {
    using Elements = std::vector<IPrivateDataElement*>;
    return Guarded(
        context_.Diagnostics(), "CommunicationManager::GetGroupElements", Elements(), [&] {
            Elements out;
            IParameters& parameters = context_.Parameters();
            size_t start = 0;
            while (start < key.size()) {
                size_t end = key.find('\n', start);
                if (end == std::string::npos)
                    end = key.size();
                if (IPrivateDataElement* e = parameters.Item(key.substr(start, end - start)))
                    out.push_back(e);
                start = end + 1;
            }
            return out;
        });
}

// --- connection ---

bool CommunicationManager::Connect(const std::string& processId,
                                   std::weak_ptr<IPrivateProcess> callback) {
    if (!communication_ || state_ != State::Offline)
        return false;
    // No data set or no usable address: the channel's own address (0) counts.
    const uint8_t address =
        Guarded(context_.Diagnostics(), "CommunicationManager::Connect", uint8_t{0}, [&] {
            IPrivateDataElement* a = context_.Parameters().Item("~/Address");
            const int32_t v = a != nullptr ? a->TransientValue().toLong() : 0;
            return v >= 0 && v <= 126 ? static_cast<uint8_t>(v) : uint8_t{0};
        });
    const std::string invokeId = NextInvokeId();
    std::weak_ptr<IFdtCommunicationEvents> sink = adapter_;
    if (hasSink_ && !sink_.expired())
        sink = sink_;
    state_ = State::Connecting;
    if (!communication_->ConnectRequest(sink, invokeId, address)) {
        GoOffline();
        return false;
    }
    connect_ = PendingEnd{processId, std::move(callback), invokeId};
    StartTimeout([this] {
        // The device never answered: give the connection up.
        SetError(cecTimeout);
        if (communication_)
            communication_->Abort();
        GoOffline();
        EndPending(connect_, false);
    });
    return true;
}

void CommunicationManager::OnConnectResponse(const std::string& invokeId, bool connected,
                                             uint16_t identNumber) {
    Later([this, invokeId, connected, identNumber] {
        HandleConnect(invokeId, connected, identNumber);
    });
}

void CommunicationManager::HandleConnect(const std::string& invokeId, bool connected,
                                         uint16_t identNumber) {
    if (state_ != State::Connecting || !connect_ || connect_->invokeId != invokeId)
        return;
    StopTimeout();
    if (!connected) {
        SetError(cecConnectFailed);
        GoOffline();
        EndPending(connect_, false);
        return;
    }
    typeIdent_ = Variant(static_cast<int32_t>(identNumber));
    deviceId_.clear();
    profileRevision_ = 0;
    if (!validateIdentity_) {
        // The connection counts as the device accepted it.
        state_ = State::Online;
        errorPending_ = false;
        errorCode_ = cecNone;
        EndPending(connect_, true);
        Later([this] { Pump(); });
        return;
    }
    state_ = State::Identifying;
    SendIdentityRead(Kind::DeviceId);
}

void CommunicationManager::SendIdentityRead(Kind kind) {
    Outstanding o;
    o.kind = kind;
    o.request.write = false;
    if (kind == Kind::DeviceId) {
        o.request.slot = kDeviceIdSlot;
        o.request.index = kDeviceIdIndex;
        o.request.length = kDeviceIdLength;
    } else {
        o.request.slot = kDirectorySlot;
        o.request.index = kDirectoryIndex;
        o.request.length = kDirectoryLength;
    }
    if (!Send(std::move(o)))
        IdentityFailed();
}

void CommunicationManager::HandleIdentity(const Outstanding& request,
                                          const Dpv1Response& response) {
    if (state_ != State::Identifying)
        return;
    if (!response.delivered || HasDpv1Error(response.errorInfo)) {
        IdentityFailed();
        return;
    }
    if (request.kind == Kind::DeviceId) {
        std::string text(response.data.begin(),
                         response.data.begin() + static_cast<long>(std::min<size_t>(
                                                     response.data.size(), kDeviceIdLength)));
        text.erase(std::remove(text.begin(), text.end(), '\0'), text.end());
        deviceId_ = Cp1252ToUtf8(text);
        SendIdentityRead(Kind::ProfileRevision);
        return;
    }
    if (response.data.size() < 4) {
        IdentityFailed();
        return;
    }
    profileRevision_ = response.data[2] << 8 | response.data[3];
    Validate();
}

void CommunicationManager::IdentityFailed() {
    SetError(cecIdentityUnreadable);
    StopTimeout();
    outstanding_.reset();
    if (communication_ && !communication_->DisconnectRequest(NextInvokeId()))
        communication_->Abort();
    GoOffline();
    EndPending(connect_, false);
}

bool CommunicationManager::Verdict() const {
    if (expectedIdent_ && (!typeIdent_.isNumber() || typeIdent_.toLong() != *expectedIdent_))
        return false;
    if (expectedDeviceId_ && Trim(deviceId_) != Trim(*expectedDeviceId_))
        return false;
    if (expectedRevision_ && profileRevision_ != *expectedRevision_)
        return false;
    return true;
}

void CommunicationManager::Validate() {
    state_ = State::Online;
    errorPending_ = false;
    errorCode_ = cecNone;
    bool accept = Verdict();
    if (auto events = events_.lock()) {
        // A subscriber that fails leaves the runtime's own verdict.
        accept = Guarded(context_.Diagnostics(), "ICommObjectEvents::ConnectionIsValidated", accept,
                         [&] { return events->ConnectionIsValidated(accept); });
    }
    if (state_ != State::Online) {
        // The subscriber ended the connection itself.
        EndPending(connect_, false);
        return;
    }
    if (!accept) {
        Disconnect();
        SetError(cecRefused);
        return;
    }
    EndPending(connect_, true);
    Later([this] { Pump(); });
}

bool CommunicationManager::Disconnect() {
    if (!communication_)
        return false;
    if (state_ == State::Offline)
        return true;
    const State old = state_;
    FailAll(cecNone);
    StopTimeout();
    if (old == State::Connecting) {
        communication_->Abort();
    } else if (!communication_->DisconnectRequest(NextInvokeId())) {
        communication_->Abort();
    }
    GoOffline();
    EndPending(connect_, false);
    EndPending(disconnect_, true);
    return true;
}

bool CommunicationManager::StartDisconnect(const std::string& processId,
                                           std::weak_ptr<IPrivateProcess> callback) {
    if (!communication_ || state_ != State::Online || disconnect_)
        return false;
    const std::string invokeId = NextInvokeId();
    if (!communication_->DisconnectRequest(invokeId))
        return false;
    FailAll(cecNone);
    state_ = State::Disconnecting;
    disconnect_ = PendingEnd{processId, std::move(callback), invokeId};
    StartTimeout([this] {
        // No answer: the connection is still up; the caller decides what follows.
        SetError(cecTimeout);
        state_ = State::Online;
        EndPending(disconnect_, false);
    });
    return true;
}

void CommunicationManager::OnDisconnectResponse(const std::string& invokeId, bool disconnected) {
    Later([this, invokeId, disconnected] { HandleDisconnect(invokeId, disconnected); });
}

void CommunicationManager::HandleDisconnect(const std::string& invokeId, bool disconnected) {
    if (state_ != State::Disconnecting || !disconnect_ || disconnect_->invokeId != invokeId)
        return;
    StopTimeout();
    if (disconnected) {
        GoOffline();
    } else {
        state_ = State::Online;
    }
    EndPending(disconnect_, disconnected);
}

void CommunicationManager::OnAbort(const std::string& /*reason*/) {
    Later([this] { HandleAbort(); });
}

void CommunicationManager::HandleAbort() {
    if (state_ == State::Offline)
        return;
    SetError(cecConnectionLost);
    FailAll(cecConnectionLost);
    StopTimeout();
    GoOffline();
    EndPending(connect_, false);
    EndPending(disconnect_, true);
}

// --- processes ---

CommunicationManager::Process* CommunicationManager::FindProcess(const std::string& processId) {
    for (Process& p : processes_) {
        if (!p.cancelled && p.request.processId == processId)
            return &p;
    }
    return nullptr;
}

bool CommunicationManager::IsProcessRunning(const std::string& processId) const {
    return std::any_of(processes_.begin(), processes_.end(), [&](const Process& p) {
        return !p.cancelled && p.request.processId == processId;
    });
}

bool CommunicationManager::StartProcess(TransactionProcess process) {
    if (state_ != State::Online || process.processId.empty() || IsProcessRunning(process.processId))
        return false;
    Process p;
    p.request = std::move(process);
    processes_.push_back(std::move(p));
    Later([this] { Pump(); });
    return true;
}

bool CommunicationManager::CancelProcess(const std::string& processId) {
    Process* p = FindProcess(processId);
    if (p == nullptr)
        return false;
    if (outstanding_ && outstanding_->kind == Kind::Job && outstanding_->processId == processId) {
        // Its answer, should it still come, is ignored.
        outstanding_.reset();
        StopTimeout();
    }
    p->cancelled = true;
    Later([this] { Pump(); });
    return true;
}

void CommunicationManager::Finish(Process process, bool success) {
    TransactionProcess ended = std::move(process.request);
    IEventLoop& loop = context_.Loop();
    loop.Post([context = &context_, alive = lifetime_.Watch(), &loop, ended, success] {
        // The frame's display of the progress ends before anyone hears the end.
        if (ended.reportProgress && alive.Alive()) {
            Guarded(context->Diagnostics(), "IDTMEvents::ReportProgress", [&] {
                if (IDTMEvents* events = context->DTMEvents())
                    events->ReportProgress(context->SystemTag(), ended.title, 100, false);
            });
        }
        // The caller hears the end even when the process's own end handling fails.
        if (ended.onEnd) {
            Guarded(LogAfter(alive, context, loop), "TransactionProcess::onEnd",
                    [&] { ended.onEnd(success); });
        }
        if (auto cb = ended.callback.lock()) {
            Guarded(LogAfter(alive, context, loop), "IPrivateProcess::OnProcessFinished",
                    [&] { cb->OnProcessFinished(ended.processId, success); });
        }
    });
}

void CommunicationManager::FailAll(int32_t markCode) {
    if (outstanding_ && outstanding_->kind == Kind::Job) {
        if (markCode != cecNone)
            MarkCommError(outstanding_->path, markCode);
        outstanding_.reset();
        StopTimeout();
    }
    std::deque<Process> failed;
    failed.swap(processes_);
    for (Process& p : failed) {
        if (markCode != cecNone && !p.cancelled) {
            for (size_t i = p.next; i < p.request.jobs.size(); ++i)
                MarkCommError(p.request.jobs[i].path, markCode);
        }
        Finish(std::move(p), false);
    }
}

void CommunicationManager::MarkCommError(const std::string& path, int32_t code) {
    DiagnosticLog& log = context_.Diagnostics();
    Guarded(log, "CommunicationManager: communication error marks", [&] {
        IParameters& parameters = context_.Parameters();
        IPrivateDataElement* element = parameters.Item(path);
        if (element == nullptr)
            return;
        // The marks change no value the project stores.
        const KeepModifiedState kept(parameters);
        const std::vector<IPrivateDataElement*> all = WithMembers(parameters, *element);
        for (IPrivateDataElement* e : all)
            e->SetStatusFlags((e->StatusFlags() & ~sfCommErrorMask) | ((code & 0xF) << 16));
        // Each marked element is reported, whatever the report of another one does.
        for (IPrivateDataElement* e : all) {
            Guarded(log, "CommunicationManager: communication error marks",
                    [&] { parameters.ElementChanged(*e, ""); });
        }
    });
}

void CommunicationManager::ClearCommError(IPrivateDataElement& element) {
    for (IPrivateDataElement* e : WithMembers(context_.Parameters(), element))
        e->SetStatusFlags(e->StatusFlags() & ~sfCommErrorMask);
}

void CommunicationManager::JobDone(Process& process, bool success) {
    ++process.done;
    if (!success)
        process.success = false;
    const size_t total = std::max<size_t>(process.request.jobs.size(), 1);
    const int32_t percent =
        static_cast<int32_t>(std::min<size_t>(process.done, total) * 100 / total);
    std::weak_ptr<IPrivateProcess> callback = process.request.callback;
    const std::string id = process.request.processId;
    const bool report = process.request.reportProgress;
    const std::string title = process.request.title;
    Later([this, callback, id, percent, report, title] {
        DiagnosticLog& log = context_.Diagnostics();
        if (auto cb = callback.lock()) {
            Guarded(log, "IPrivateProcess::OnProcessProgress",
                    [&] { cb->OnProcessProgress(id, percent); });
        }
        if (report) {
            Guarded(log, "IDTMEvents::ReportProgress", [&] {
                if (IDTMEvents* events = context_.DTMEvents())
                    events->ReportProgress(context_.SystemTag(), title, percent, true);
            });
        }
    });
}

bool CommunicationManager::Send(Outstanding request) {
    if (!communication_)
        return false;
    if (request.invokeId.empty())
        request.invokeId = NextInvokeId();
    const std::string invokeId = request.invokeId;
    const Dpv1Request dpv1 = request.request;
    outstanding_ = std::move(request);
    if (!communication_->TransactionRequest(invokeId, dpv1)) {
        outstanding_.reset();
        return false;
    }
    if (outstanding_ && outstanding_->invokeId == invokeId)
        StartTimeout([this] { HandleTimeout(); });
    return true;
}

bool CommunicationManager::SendJob(Process& process) {
    const TransactionJob job = process.request.jobs[process.next++];
    Outstanding o;
    o.kind = Kind::Job;
    o.processId = process.request.processId;
    o.path = job.path;
    o.isWrite = job.isWrite;
    o.readBack = job.readBack;
    o.transaction = std::make_shared<Transaction>();
    const bool built =
        Guarded(context_.Diagnostics(), "IPrivateDataModel::BuildTransactionRequest", false, [&] {
            IParameters& parameters = context_.Parameters();
            IPrivateDataElement* element = parameters.Item(job.path);
            IPrivateDataModel* model = parameters.DataModel();
            if (element != nullptr && model != nullptr &&
                model->BuildTransactionRequest(context_, *o.transaction, job.isWrite, *element)) {
                const int32_t slot = o.transaction->Slot().toLong();
                const int32_t index = o.transaction->Index().toLong();
                if (slot >= 0 && slot <= 255 && index >= 0 && index <= 255) {
                    o.request.write = job.isWrite;
                    o.request.slot = static_cast<uint8_t>(slot);
                    o.request.index = static_cast<uint8_t>(index);
                    o.request.length = kMaxReadLength;
                    if (job.isWrite)
                        o.request.data = o.transaction->Data().bytes;
                    return true;
                }
            }
            return false;
        });
    if (!built) {
        // The codec cannot address or encode the element: it is skipped, the process fails.
        JobDone(process, false);
        return false;
    }
    if (Send(std::move(o)))
        return true;
    MarkCommError(job.path, cecNotDelivered);
    SetError(cecNotDelivered);
    JobDone(process, false);
    return false;
}

void CommunicationManager::Pump() {
    for (auto it = processes_.begin(); it != processes_.end();) {
        if (it->cancelled) {
            Process p = std::move(*it);
            it = processes_.erase(it);
            Finish(std::move(p), false);
        } else {
            ++it;
        }
    }
    while (!processes_.empty()) {
        if (outstanding_ || state_ != State::Online)
            return;
        Process& front = processes_.front();
        if (front.next < front.request.jobs.size()) {
            if (SendJob(front))
                return;
            continue;
        }
        Process p = std::move(front);
        processes_.pop_front();
        const bool success = p.success;
        Finish(std::move(p), success);
    }
}

void CommunicationManager::OnTransactionResponse(const std::string& invokeId,
                                                 const Dpv1Response& response) {
    Later([this, invokeId, response] { HandleResponse(invokeId, response); });
}

void CommunicationManager::HandleResponse(const std::string& invokeId,
                                          const Dpv1Response& response) {
    if (!outstanding_ || outstanding_->invokeId != invokeId)
        return;  // a late answer of a request given up or cancelled
    StopTimeout();
    Outstanding out = std::move(*outstanding_);
    outstanding_.reset();
    if (out.kind != Kind::Job) {
        HandleIdentity(out, response);
        return;
    }
    Process* process = FindProcess(out.processId);
    if (process == nullptr) {
        Pump();
        return;
    }
    if (!response.delivered) {
        MarkCommError(out.path, cecNotDelivered);
        SetError(cecNotDelivered);
        JobDone(*process, false);
        Pump();
        return;
    }
    errorPending_ = false;
    errorCode_ = cecNone;
    repeatRequested_ = false;
    // What only watches the device, the answer to a write and the read that confirms it bring
    // nothing the user has not changed already: the instance's modified state stays.
    const bool kept = process->request.Watching() || out.isWrite || out.readBack;
    const bool read =
        Guarded(context_.Diagnostics(), "IPrivateDataModel::ReadTransactionResponse", false, [&] {
            IParameters& parameters = context_.Parameters();
            IPrivateDataElement* element = parameters.Item(out.path);
            IPrivateDataModel* model = parameters.DataModel();
            if (element == nullptr || model == nullptr)
                return false;
            std::optional<KeepModifiedState> modified;
            if (kept)
                modified.emplace(parameters);
            ClearCommError(*element);
            out.transaction->SetData(ByteArray{response.data, 0});
            out.transaction->SetErrorInfo(ByteArray{response.errorInfo, 0});
            reading_ = &out;
            readingDeviceOnly_ = process->request.DeviceOnly();
            return model->ReadTransactionResponse(context_, *out.transaction, out.isWrite,
                                                  *element);
        });
    reading_ = nullptr;
    readingDeviceOnly_ = false;
    process = FindProcess(out.processId);  // the change reports may have cancelled it
    if (process == nullptr) {
        Pump();
        return;
    }
    if (repeatRequested_ && out.repeats < maxRepeats_ && state_ == State::Online) {
        repeatRequested_ = false;
        ++out.repeats;
        out.invokeId.clear();
        const std::string path = out.path;
        if (Send(std::move(out)))
            return;
        MarkCommError(path, cecNotDelivered);
        SetError(cecNotDelivered);
        JobDone(*process, false);
        Pump();
        return;
    }
    repeatRequested_ = false;
    // A job fails when the device answers an error, and also when the data model cannot take
    // the answer (another address, data cut short or laid out otherwise): its elements then
    // keep their values and carry the error.
    JobDone(*process, read && !HasDpv1Error(response.errorInfo));
    Pump();
}

void CommunicationManager::HandleTimeout() {
    if (!outstanding_)
        return;
    Outstanding out = std::move(*outstanding_);
    outstanding_.reset();
    if (out.kind != Kind::Job) {
        IdentityFailed();
        return;
    }
    MarkCommError(out.path, cecTimeout);
    SetError(cecTimeout);
    if (Process* process = FindProcess(out.processId))
        JobDone(*process, false);
    Pump();
}

void CommunicationManager::RepeatTransaction(ITransaction& transaction,
                                             IPrivateDataElement& /*element*/) {
    if (reading_ != nullptr && reading_->transaction.get() == &transaction)
        repeatRequested_ = true;
}

void CommunicationManager::AddReadBack(IPrivateDataElement& element, int32_t /*a*/, bool /*b*/,
                                       int32_t /*c*/) {
    if (reading_ == nullptr)
        return;
    Process* process = FindProcess(reading_->processId);
    if (process == nullptr)
        return;
    const std::string& path = element.Name();
    std::vector<TransactionJob>& jobs = process->request.jobs;
    for (size_t i = process->next; i < jobs.size(); ++i) {
        if (!jobs[i].isWrite && jobs[i].path == path)
            return;  // already queued
    }
    jobs.push_back(TransactionJob{path, false, true});
}

}  // namespace kv
