#pragma once
// A data model and a list of user interfaces that do nothing: a test's fake derives from one and
// overrides only what it watches.

#include <string>

#include "platform/runtime/IGUIManager.h"
#include "platform/runtime/IPrivateDataModel.h"

namespace kv::test_support {

class NullDataModel : public IPrivateDataModel {
  public:
    void CreateModel(IDTMContext&) override {}
    void SetLanguage(IDTMContext&, int32_t) override {}
    void DataChanged(IPrivateDataElement&, IDTMContext&) override {}
    void DataSetChanged(IDTMContext&) override {}
    bool BuildTransactionRequest(IDTMContext&, ITransaction&, bool, IPrivateDataElement&) override {
        return false;
    }
    bool ReadTransactionResponse(IDTMContext&, ITransaction&, bool, IPrivateDataElement&) override {
        return false;
    }
    std::string DTMName() const override { return {}; }
    std::string DTMVendor() const override { return {}; }
    std::string DTMVersion() const override { return {}; }
    std::string DTMDescriptor() const override { return {}; }
    double DTMDate() const override { return 0; }
};

// No user interface is open; every report goes nowhere.
class NullGUIList : public IGUIManager {
  public:
    void ParameterChanged(IPrivateDataElement&, const std::string&) override {}
    void ValidateAll() override {}
    bool HasOpenGUIs() const override { return false; }
    bool CloseAll() override { return true; }
    int32_t Language() const override { return 9; }
    void SetLanguage(int32_t) override {}
};

}  // namespace kv::test_support
