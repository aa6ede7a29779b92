#pragma once
// The communication of one DTM instance over the frame's PROFIBUS DP-V1 channel: the connection
// with the check of the device's identity, and the read and write processes whose jobs go to
// the device one after the other, each encoded and decoded by the data model's codec.
//
// Everything runs on the loop's thread. The channel's answers are handled on the loop, never
// inside the call that caused them; the end of every process is delivered exactly once,
// through the loop.

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/fdt/FdtFrameInterfaces.h"
#include "platform/runtime/ICommObject.h"
#include "platform/runtime/ICommunicationManager.h"
#include "platform/runtime/IDTMContext.h"
#include "platform/runtime/IParameters.h"
#include "platform/runtime/IPrivateDataElement.h"
#include "platform/runtime/IPrivateProcess.h"
#include "platform/runtime/ITransaction.h"
#include "platform/runtime/Transaction.h"
#include "value/LifetimeToken.h"

namespace kv {

class CommunicationManager : public ICommunicationManager, public ICommObject {
  public:
    // The time a request, a connection or a disconnect may take before it counts as failed.
    static constexpr int32_t kDefaultTimeoutMs = 3000;
    // The most repeats of one job, whatever the codec asks for, until OptionCount is set.
    static constexpr int32_t kDefaultMaxRepeats = 16;

    // The context owns the manager and so outlives it.
    explicit CommunicationManager(IDTMContext& context);
    ~CommunicationManager() override;
    CommunicationManager(const CommunicationManager&) = delete;
    CommunicationManager& operator=(const CommunicationManager&) = delete;

    void SetTimeoutMs(int32_t ms) { timeoutMs_ = ms > 0 ? ms : kDefaultTimeoutMs; }
    int32_t TimeoutMs() const { return timeoutMs_; }

    // --- ICommunicationManager ---
    bool IsConnected() const override;
    bool IsOnline() const override;
    void RepeatTransaction(ITransaction& transaction, IPrivateDataElement& element) override;
    void AddReadBack(IPrivateDataElement& element, int32_t a, bool b, int32_t c) override;
    void SetTransferOption1(int32_t v) override { option1_ = v; }
    void SetTransferOption2(int32_t v) override { option2_ = v; }
    int32_t TransferOption1() const override { return option1_; }
    int32_t TransferOption2() const override { return option2_; }
    bool HasCommunication() const override { return communication_ != nullptr; }
    std::shared_ptr<IFdtCommunication> Communication() const override { return communication_; }
    void SetCommunication(std::shared_ptr<IFdtCommunication> communication) override;
    bool OwnsCommunication() const override { return communication_ != nullptr; }
    bool ReleaseCommunication() override;
    void SetEventSink(std::weak_ptr<IFdtCommunicationEvents> sink) override;
    bool Connect(const std::string& processId, std::weak_ptr<IPrivateProcess> callback) override;
    bool Disconnect() override;
    bool StartDisconnect(const std::string& processId,
                         std::weak_ptr<IPrivateProcess> callback) override;
    std::vector<IPrivateDataElement*> GetGroupElements(const std::string& key) const override;
    bool ReadingDeviceOnly() const override { return readingDeviceOnly_; }
    ICommObject* CommObject() override { return this; }
    bool StartProcess(TransactionProcess process) override;
    bool CancelProcess(const std::string& processId) override;
    bool IsProcessRunning(const std::string& processId) const override;
    void OnConnectResponse(const std::string& invokeId, bool connected,
                           uint16_t identNumber) override;
    void OnDisconnectResponse(const std::string& invokeId, bool disconnected) override;
    void OnTransactionResponse(const std::string& invokeId, const Dpv1Response& response) override;
    void OnAbort(const std::string& reason) override;

    // --- ICommObject ---
    Variant TypeIdent() const override { return typeIdent_; }
    const std::string& DeviceId() const override { return deviceId_; }
    int32_t ProfileRevision() const override { return profileRevision_; }
    bool ErrorPending() const override { return errorPending_; }
    int32_t ErrorCode() const override { return errorCode_; }
    bool OptionFlag() const override { return validateIdentity_; }
    void SetOptionFlag(bool validateIdentity) override { validateIdentity_ = validateIdentity; }
    int32_t OptionCount() const override { return maxRepeats_; }
    void SetOptionCount(int32_t maxRepeats) override {
        maxRepeats_ = maxRepeats > 0 ? maxRepeats : 0;
    }
    void SetEvents(std::weak_ptr<ICommObjectEvents> events) override { events_ = events; }
    void SetExpectedIdentity(std::optional<uint16_t> identNumber,
                             std::optional<std::string> deviceId,
                             std::optional<int32_t> profileRevision) override;

  private:
    enum class State { Offline, Connecting, Identifying, Online, Disconnecting };
    enum class Kind { Job, DeviceId, ProfileRevision };

    struct Process {
        TransactionProcess request;  // what the caller asked for
        size_t next = 0;             // the next job to send
        size_t done = 0;
        bool success = true;
        bool cancelled = false;  // ends at the next turn of the loop
    };
    // The one request that waits for its answer.
    struct Outstanding {
        std::string invokeId;
        Kind kind = Kind::Job;
        std::string processId;
        std::string path;
        bool isWrite = false;
        bool readBack = false;
        Dpv1Request request;
        std::shared_ptr<Transaction> transaction;
        int32_t repeats = 0;
    };
    // A connect or disconnect waiting for its end.
    struct PendingEnd {
        std::string processId;
        std::weak_ptr<IPrivateProcess> callback;
        std::string invokeId;
    };

    class EventAdapter;

    // Runs fn on the loop, never after the manager is gone.
    void Later(std::function<void()> fn);
    std::string NextInvokeId();
    void StartTimeout(std::function<void()> onTimeout);
    void StopTimeout();
    void SetError(int32_t code);

    void HandleConnect(const std::string& invokeId, bool connected, uint16_t identNumber);
    void HandleDisconnect(const std::string& invokeId, bool disconnected);
    void HandleResponse(const std::string& invokeId, const Dpv1Response& response);
    void HandleTimeout();
    void HandleAbort();
    void SendIdentityRead(Kind kind);
    void HandleIdentity(const Outstanding& request, const Dpv1Response& response);
    void IdentityFailed();
    void Validate();
    bool Verdict() const;

    void Pump();
    bool SendJob(Process& process);
    bool Send(Outstanding request);
    void JobDone(Process& process, bool success);
    void FinishFront();
    void Finish(Process process, bool success);
    void FailAll(int32_t markCode);
    void MarkCommError(const std::string& path, int32_t code);
    void ClearCommError(IPrivateDataElement& element);
    Process* FindProcess(const std::string& processId);
    void EndPending(std::optional<PendingEnd>& pending, bool success);
    void GoOffline();

    IDTMContext& context_;
    std::shared_ptr<IFdtCommunication> communication_;
    std::shared_ptr<EventAdapter> adapter_;
    std::weak_ptr<IFdtCommunicationEvents> sink_;
    bool hasSink_ = false;
    std::weak_ptr<ICommObjectEvents> events_;
    State state_ = State::Offline;
    int32_t timeoutMs_ = kDefaultTimeoutMs;
    int32_t timer_ = 0;
    uint64_t invokeCounter_ = 0;

    std::deque<Process> processes_;
    std::optional<Outstanding> outstanding_;
    // The job whose answer the codec is reading (RepeatTransaction and AddReadBack refer to it).
    Outstanding* reading_ = nullptr;
    bool readingDeviceOnly_ = false;  // reading_ belongs to a process of GroupReads::Shown
    bool repeatRequested_ = false;
    std::optional<PendingEnd> connect_;
    std::optional<PendingEnd> disconnect_;

    Variant typeIdent_;
    std::string deviceId_;
    int32_t profileRevision_ = 0;
    bool errorPending_ = false;
    int32_t errorCode_ = cecNone;
    int32_t option1_ = 0;
    int32_t option2_ = 0;
    bool validateIdentity_ = true;
    int32_t maxRepeats_ = kDefaultMaxRepeats;
    std::optional<uint16_t> expectedIdent_;
    std::optional<std::string> expectedDeviceId_;
    std::optional<int32_t> expectedRevision_;

    // Posted calls and timers find the object gone once it is destroyed.
    LifetimeToken lifetime_;
};

}  // namespace kv
