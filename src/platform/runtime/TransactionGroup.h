#pragma once
// A set of read and write requests of data elements that runs as one process of the
// communication manager. A group used for one process forgets its requests when the process
// ends; a group that keeps them (the cyclic refresh) reads them again on every Execute.
//
// The group's key (Elements) names the requested elements, one path per line, and ends with a
// line "#<batch>" that tells one batch of requests from every other, also from a later batch of
// the same elements: a batch begins with the first request added to an empty group. When a
// process forgets its requests at its end, the key of that batch stays until the next request
// or Clear, so that whoever is called back at the end still finds it.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/runtime/ICommunicationManager.h"
#include "platform/runtime/IDTMContext.h"
#include "platform/runtime/IPrivateDataElement.h"
#include "platform/runtime/IPrivateProcess.h"
#include "platform/runtime/ITransactionGroup.h"

namespace kv {

class TransactionGroup : public ITransactionGroup {
  public:
    // reads: what the values the group reads are to the project.
    explicit TransactionGroup(GroupReads reads = GroupReads::Taken);
    ~TransactionGroup() override;
    TransactionGroup(const TransactionGroup&) = delete;
    TransactionGroup& operator=(const TransactionGroup&) = delete;

    void Init(IDTMContext& context) override;
    bool AddElement(IPrivateDataElement& element, bool isWrite) override;
    void Clear() override;
    bool Busy() const override;
    int32_t ConnectionStatus() const override;
    int32_t Execute(std::weak_ptr<IPrivateProcess> callback, bool clearWhenDone,
                    bool reportProgress) override;
    bool OwnsProcess(const std::string& processId) const override;
    std::string Elements() const override;
    void Close() override;

    // What the values of the next Execute are to the project (a page's check of the device
    // between its own reads).
    void SetReads(GroupReads reads);

    // The requests in the order of adding (path, write flag).
    std::vector<TransactionJob> Requests() const;

  private:
    // Shared with the end handler of a running process, which may outlive the group.
    struct State {
        IDTMContext* context = nullptr;
        std::vector<TransactionJob> requests;
        std::string processId;  // the running or last process
        uint64_t batch = 0;     // the batch of the requests
        std::string endedKey;   // the key of the batch that the end of its process forgot
        bool busy = false;
        bool clearWhenDone = true;
        GroupReads reads = GroupReads::Taken;
    };
    // The key of the state's requests.
    static std::string KeyOf(const State& state);

    std::shared_ptr<State> state_;
};

}  // namespace kv
