#pragma once
// Where the user sees the messages of an instance and answers its questions; the frame provides
// it (a message box in the window, a scripted prompt in tests and headless runs).

#include <cstdint>
#include <string>

namespace kv {

// Styles of the message boxes the DTM shows (buttons, icon and default button).
enum MessageBoxStyle : int32_t {
    mbsOkOnly = 0,                    // OK
    mbsYesNoCancelQuestion = 35,      // Yes, No and Cancel, question icon, Yes the default
    mbsYesNoQuestion = 36,            // Yes and No, question icon, Yes the default
    mbsYesNoExclamation = 52,         // Yes and No, exclamation icon, Yes the default
    mbsYesNoQuestionDefaultNo = 292,  // Yes and No, question icon, No the default
};

// The answers of a message box.
enum MessageBoxAnswer : int32_t {
    mbaOk = 1,
    mbaCancel = 2,
    mbaYes = 6,
    mbaNo = 7,
};

class IPrompt {
  public:
    virtual ~IPrompt() = default;
    virtual void ShowMessage(const std::string& text) = 0;
    // style: a MessageBoxStyle. Answers a MessageBoxAnswer (mbaYes, mbaNo, mbaOk, mbaCancel).
    virtual int32_t Ask(const std::string& prompt, int32_t style) = 0;
};

}  // namespace kv
