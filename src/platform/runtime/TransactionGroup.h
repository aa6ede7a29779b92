#pragma once
// A set of read and write requests of data elements that runs as one process of the
// communication manager. A group used for one process forgets its requests when the process
// ends; a group that keeps them (the cyclic refresh) reads them again on every Execute.

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
    TransactionGroup();
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

    // The requests in the order of adding (path, write flag).
    std::vector<TransactionJob> Requests() const;

  private:
    // Shared with the end handler of a running process, which may outlive the group.
    struct State {
        IDTMContext* context = nullptr;
        std::vector<TransactionJob> requests;
        std::string processId;  // the running or last process
        bool busy = false;
        bool clearWhenDone = true;
    };
    std::shared_ptr<State> state_;
};

}  // namespace kv
