#pragma once
// A communication manager that is never connected and does nothing; a test's fake derives from it
// and overrides only what it watches.

#include "platform/runtime/ICommunicationManager.h"
#include "platform/runtime/IDTMContext.h"
#include "platform/runtime/IPrivateDataElement.h"
#include "platform/runtime/ITransaction.h"

namespace kv::test_support {

class IdleCommunication : public ICommunicationManager {
  public:
    bool IsConnected() const override { return false; }
    bool IsOnline() const override { return false; }
    void RepeatTransaction(ITransaction&, IPrivateDataElement&) override {}
    void AddReadBack(IPrivateDataElement&, int32_t, bool, int32_t) override {}
    void SetTransferOption1(int32_t) override {}
    void SetTransferOption2(int32_t) override {}
};

}  // namespace kv::test_support
