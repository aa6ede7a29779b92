#pragma once
// The runtime's communication of an instance over the frame's DP-V1 channel, and the
// read and write processes it runs.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/fdt/FdtFrameInterfaces.h"
#include "platform/runtime/ICommObject.h"
#include "platform/runtime/IPrivateDataElement.h"
#include "platform/runtime/IPrivateProcess.h"
#include "platform/runtime/ITransaction.h"

namespace kv {

class ICommObject;
class IFdtCommunication;
class IFdtCommunicationEvents;
class IPrivateDataElement;
class IPrivateProcess;
class ITransaction;

// One read or write of a data element in a process of the communication manager; a record is
// transferred with its members in one job.
struct TransactionJob {
    std::string path;
    bool isWrite = false;
    bool readBack = false;  // the read that confirms a write
};

// What the values a process reads are to the project.
enum class GroupReads {
    // Taken into the data set (an upload, a parameter page's read): they make the instance
    // modified.
    Taken,
    // Taken, as the user's read repeated (the refresh of a cyclic parameter page): they leave
    // the instance's modified state as it was.
    Watched,
    // The device shown beside the project (the connection's start-up reads, the headline, the
    // online pages, the checks before a download or a device command, the archive): watched,
    // and a value that a download writes keeps the project's; what was read is its device value
    // only, until an upload or a parameter page's read takes the device's values.
    Shown,
};

// A read or write process: its jobs run one after the other over the channel. The end is
// delivered once, through the loop: first onEnd, then callback's OnProcessFinished.
struct TransactionProcess {
    std::string processId;
    std::vector<TransactionJob> jobs;
    std::weak_ptr<IPrivateProcess> callback;
    bool reportProgress = false;           // also to the frame (IDTMEvents::ReportProgress)
    std::string title;                     // the progress title for the frame
    GroupReads reads = GroupReads::Taken;  // what the values read are to the project
    std::function<void(bool success)> onEnd;

    // The values read leave the data set's modified state as it was.
    bool Watching() const { return reads != GroupReads::Taken; }
    // Watching, and a value that a download writes keeps the project's: what the device sent
    // becomes its device value only.
    bool DeviceOnly() const { return reads == GroupReads::Shown; }
};

// The communication of the instance over the frame's DP-V1 channel.
class ICommunicationManager {
  public:
    virtual ~ICommunicationManager() = default;
    // True while a validated connection exists (also while it is being shut down).
    virtual bool IsConnected() const = 0;
    // True while a validated connection exists and no disconnect is running.
    virtual bool IsOnline() const = 0;
    // Sends the job again (a busy device); the element's response handling runs again.
    virtual void RepeatTransaction(ITransaction& transaction, IPrivateDataElement& element) = 0;
    // Reads the element back after a confirmed write.
    virtual void AddReadBack(IPrivateDataElement& element, int32_t a, bool b, int32_t c) = 0;
    virtual void SetTransferOption1(int32_t v) = 0;
    virtual void SetTransferOption2(int32_t v) = 0;
    // True while the frame's communication channel is set for the instance.
    virtual bool HasCommunication() const { return false; }

    virtual int32_t TransferOption1() const { return 0; }
    virtual int32_t TransferOption2() const { return 0; }
    // The frame's channel; nullptr when none is set. Setting another channel (or none) ends a
    // connection first.
    virtual std::shared_ptr<IFdtCommunication> Communication() const { return nullptr; }
    virtual void SetCommunication(std::shared_ptr<IFdtCommunication> /*communication*/) {}
    // True while the manager holds a channel that it was given (and has to release).
    virtual bool OwnsCommunication() const { return false; }
    // Drops the channel; False while connected.
    virtual bool ReleaseCommunication() { return false; }
    // Who receives the channel's answers and hands them to the manager's On... members (the DTM
    // object); the manager itself when none is set.
    virtual void SetEventSink(std::weak_ptr<IFdtCommunicationEvents> /*sink*/) {}
    // Connects, reads the device's identity and raises ConnectionIsValidated; the end arrives as
    // callback's OnProcessFinished(processId, connected). False when it could not start.
    virtual bool Connect(const std::string& /*processId*/,
                         std::weak_ptr<IPrivateProcess> /*callback*/) {
        return false;
    }
    // Ends the connection at once (running processes end unsuccessfully); False without a
    // channel.
    virtual bool Disconnect() { return false; }
    // Asks the device to end the connection; the end arrives as callback's
    // OnProcessFinished(processId, disconnected). False when it could not start.
    virtual bool StartDisconnect(const std::string& /*processId*/,
                                 std::weak_ptr<IPrivateProcess> /*callback*/) {
        return false;
    }
    // The elements behind a transaction group's Elements key, in the group's order.
    virtual std::vector<IPrivateDataElement*> GetGroupElements(const std::string& /*key*/) const {
        return {};
    }
    // True while the answer of a process that reads for its device values only is being taken
    // into the data set (TransactionProcess::DeviceOnly).
    virtual bool ReadingDeviceOnly() const { return false; }
    // The communication object; nullptr when the manager has none.
    virtual ICommObject* CommObject() { return nullptr; }
    // Starts a process on a validated connection; False when offline or the id runs already.
    virtual bool StartProcess(TransactionProcess /*process*/) { return false; }
    // Ends a process unsuccessfully; False when none runs under the id.
    virtual bool CancelProcess(const std::string& /*processId*/) { return false; }
    virtual bool IsProcessRunning(const std::string& /*processId*/) const { return false; }

    // The frame's communication events (the DTM object forwards them unchanged).
    virtual void OnConnectResponse(const std::string& /*invokeId*/, bool /*connected*/,
                                   uint16_t /*identNumber*/) {}
    virtual void OnDisconnectResponse(const std::string& /*invokeId*/, bool /*disconnected*/) {}
    virtual void OnTransactionResponse(const std::string& /*invokeId*/,
                                       const Dpv1Response& /*response*/) {}
    virtual void OnAbort(const std::string& /*reason*/) {}
};

}  // namespace kv
