#pragma once
// The runtime's DP-V1 job: slot, index, request or response data and error information.

#include <utility>

#include "platform/runtime/ITransaction.h"

namespace kv {

class Transaction : public ITransaction {
  public:
    Transaction() = default;

    const Variant& Slot() const override { return slot_; }
    void SetSlot(const Variant& v) override { slot_ = v; }
    const Variant& Index() const override { return index_; }
    void SetIndex(const Variant& v) override { index_ = v; }
    const ByteArray& Data() const override { return data_; }
    void SetData(ByteArray data) override { data_ = std::move(data); }
    const ByteArray& ErrorInfo() const override { return errorInfo_; }
    void SetErrorInfo(ByteArray info) override { errorInfo_ = std::move(info); }

  private:
    Variant slot_;
    Variant index_;
    ByteArray data_;
    ByteArray errorInfo_;
};

}  // namespace kv
