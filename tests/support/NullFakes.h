#pragma once
// A data model and a list of user interfaces that do nothing: a test's fake derives from one and
// overrides only what it watches; likewise the frame's events. An element with a name and a
// value and nothing else.

#include <pugixml.hpp>
#include <string>
#include <utility>

#include "platform/runtime/IDTMEvents.h"
#include "platform/runtime/IGUIManager.h"
#include "platform/runtime/IPrivateDataElement.h"
#include "platform/runtime/IPrivateDataModel.h"
#include "platform/runtime/IPropertyBag.h"
#include "value/Variant.h"

namespace kv::test_support {

// An element that only has a name and a value, kept in a property bag under its name; for
// lists that pass elements on and compare them by identity.
class NamedElement : public IPrivateDataElement {
  public:
    explicit NamedElement(std::string name = {}) : name_(std::move(name)) {}
    const std::string& Name() const override { return name_; }
    void SetName(const std::string& name) override { name_ = name; }
    int32_t ValueType() const override { return 2; }
    int32_t ValueTypeLength() const override { return 1; }
    int32_t StatusFlags() const override { return 0; }
    void SetStatusFlags(int32_t) override {}
    int32_t ElementMode() const override { return 0; }
    const Variant& TransientValue() const override { return value_; }
    void SetTransientValue(const Variant& v) override { value_ = v; }
    const Variant& PersistentValue() const override { return value_; }
    void SetPersistentValue(const Variant&) override {}
    const Variant& DeviceValue() const override { return value_; }
    void SetDeviceValue(const Variant&) override {}
    bool InitNew() override { return true; }
    bool ReadFromPropBag(IPropertyBag& bag, IDTMContext&) override {
        value_ = bag.ReadOr(name_, Variant());
        return true;
    }
    bool WriteToPropBag(IPropertyBag& bag, IDTMContext&) override {
        bag.Write(name_, value_);
        return true;
    }
    std::optional<WrittenValue> Unstored() const override { return std::nullopt; }
    void SaveCompleted(const WrittenValue&) override {}
    VariableReading ReadFromDtmVariable(pugi::xml_node, IDTMContext&, bool) override {
        return {VariableReading::kTaken, {}};
    }
    bool WriteToDtmVariable(pugi::xml_node, IDTMContext&) override { return true; }
    bool WriteToDocVariable(pugi::xml_node, IDTMContext&) override { return true; }
    bool IsUploadParam(IDTMContext&) const override { return false; }
    bool IsDownloadParam(IDTMContext&) const override { return false; }
    bool IsDeviceCommand(IDTMContext&) const override { return false; }
    int32_t NestProcessLevel() const override { return 0; }
    void SetNestProcessLevel(int32_t) override {}

  private:
    std::string name_;
    Variant value_;
};

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

// A frame that hears nothing: every event of the instance goes nowhere.
class NullDTMEvents : public IDTMEvents {
  public:
    void OnFunctionChanged(const std::string&) override {}
    void ReportProgress(const std::string&, const std::string&, int32_t, bool) override {}
    void OpenGUIRequest(const std::string&, const std::string&) override {}
    void InvokedFunctionFinished(const std::string&, bool) override {}
    void UploadFinished(const std::string&, bool) override {}
    void DownloadFinished(const std::string&, bool) override {}
    void PreparedToRelease(const std::string&) override {}
    void PreparedToReleaseCommunication(const std::string&) override {}
    void ParametersChanged(const std::string&, const std::string&) override {}
    void TransferFinished(const std::string&, const std::string&, bool, bool, int32_t) override {}
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
