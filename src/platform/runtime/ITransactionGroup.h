#pragma once
// A transaction group of the runtime: read and write requests run as one process.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/runtime/IPrivateDataElement.h"
#include "platform/runtime/IPrivateProcess.h"

namespace kv {

class IDTMContext;
class IPrivateDataElement;
class IPrivateProcess;

// A set of read and write requests of data elements, run as one process.
class ITransactionGroup {
  public:
    virtual ~ITransactionGroup() = default;
    // Binds the group to the instance; the context must outlive the group's use.
    virtual void Init(IDTMContext& context) = 0;
    // Adds a read or write request; a member of a record adds its record. False when the
    // group is not bound or the element is not in the data set.
    virtual bool AddElement(IPrivateDataElement& element, bool isWrite) = 0;
    // Forgets the requests (a running process goes on).
    virtual void Clear() = 0;
    // True while a process of the group runs.
    virtual bool Busy() const = 0;
    // 0 when the device is reachable (a validated connection), 1 when not, 2 without Init.
    virtual int32_t ConnectionStatus() const = 0;
    // Starts a process over the requests in the data set's order: 0 started, 1 not connected,
    // 2 not bound, 5 busy, 6 a group that keeps its requests is still busy with the previous
    // run, 7 the process could not start. clearWhenDone: the group forgets its requests when
    // the process ends (else it keeps them for the next run); reportProgress: the frame sees
    // the progress.
    virtual int32_t Execute(std::weak_ptr<IPrivateProcess> callback, bool clearWhenDone,
                            bool reportProgress) = 0;
    // True when processId names the group's running or last process.
    virtual bool OwnsProcess(const std::string& processId) const = 0;
    // The key of the requested elements for ICommunicationManager::GetGroupElements; it tells
    // one batch of requests from every other and stays after the end of a process that forgot
    // them until the next request or Clear.
    virtual std::string Elements() const = 0;
    // Ends a running process, forgets the requests and unbinds the group.
    virtual void Close() = 0;
};

}  // namespace kv
