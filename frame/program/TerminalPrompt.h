#pragma once
// The DTM's messages and questions on the terminal: a question is answered by --yes or --no,
// else typed in, and answered No when the input is no terminal.

#include <cstdint>
#include <string>

#include "frame/FrameWords.h"
#include "frame/program/ProgramOptions.h"
#include "platform/runtime/IPrompt.h"

namespace kv::program {

class TerminalPrompt : public IPrompt {
  public:
    TerminalPrompt(Answer answer, const FrameWords& words) : answer_(answer), words_(words) {}
    void ShowMessage(const std::string& text) override;
    // How many questions and messages were shown.
    int shown = 0;

    int32_t Ask(const std::string& prompt, int32_t style) override;

  private:
    Answer answer_;
    const FrameWords& words_;
};

}  // namespace kv::program
