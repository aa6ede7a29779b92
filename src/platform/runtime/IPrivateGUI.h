#pragma once
// What the GUI list calls on a registered user interface (a main window or a page).

#include <cstdint>

namespace kv {

class IPrivateDataElement;

class IPrivateGUI {
  public:
    virtual ~IPrivateGUI() = default;
    // Asks the user interface to close; False when it refuses.
    virtual bool CloseGUI() = 0;
    // The frame locked or unlocked the data set.
    virtual void LockStateChanged(bool locked) = 0;
    virtual void ParameterChanged(IPrivateDataElement& element) = 0;
    // Many elements changed at once: show every element anew.
    virtual void ParameterSetChanged() = 0;
    // Hands pending input to the data set.
    virtual void ValidateParameters() = 0;
    virtual void SetLanguage(int32_t languageId) = 0;
    // Whether the user interface holds input that its release drops: an edit that waits for a
    // commit of its own (the default holds none).
    virtual bool HoldsUncommittedInput() { return false; }
};

}  // namespace kv
