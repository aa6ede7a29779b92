#pragma once
// The runtime's list of the open user interfaces of an instance.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/runtime/IPrivateDataElement.h"

namespace kv {

class IPrivateDataElement;
class IPrivateGUI;

// The open user interfaces of the instance.
class IGUIManager {
  public:
    virtual ~IGUIManager() = default;
    virtual void ParameterChanged(IPrivateDataElement& element, const std::string& guiId) = 0;
    virtual void ValidateAll() = 0;
    virtual bool HasOpenGUIs() const = 0;
    virtual bool CloseAll() = 0;
    virtual int32_t Language() const = 0;
    virtual void SetLanguage(int32_t languageId) = 0;

    // Registration of the open user interfaces under their GUI function calls (the defaults
    // keep none). A call ending in "$" names a child of a top-level user interface.
    virtual bool RegisterGUI(const std::string& /*guiId*/, std::shared_ptr<IPrivateGUI> /*gui*/,
                             bool /*topLevel*/) {
        return false;
    }
    virtual bool UnregisterGUI(const std::string& /*guiId*/) { return false; }
    // The GUI function calls of the registered user interfaces, in the order of registration.
    virtual std::vector<std::string> FunctionIds() const { return {}; }
    // The registered user interface; nullptr when none is registered under the call.
    virtual std::shared_ptr<IPrivateGUI> GetGUI(const std::string& /*guiId*/) const {
        return nullptr;
    }
    // Tells every open user interface that many elements changed at once.
    virtual void ParameterSetChanged() {}
    // The frame's lock of the data set, as the user interfaces were told it.
    virtual bool Locked() const { return false; }
    virtual void SetLocked(bool /*locked*/) {}
    virtual void GUIShown(const std::string& /*guiId*/) {}
    virtual void GUIHidden(const std::string& /*guiId*/) {}
    // Whether an open user interface holds input that closing it drops.
    virtual bool HoldsUncommittedInput() { return false; }
};

}  // namespace kv
