#pragma once
// The frame's prompt for headless runs: it records every message and question and answers the
// questions from a script.

#include <cstdint>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "platform/runtime/DTMContext.h"
#include "platform/runtime/IPrompt.h"

namespace kv {

class ScriptedPrompt : public IPrompt {
  public:
    // answers: taken from the front, one per question. When the script is used up, a question
    // with an OK button only (style 0) gets 1 (OK), any other the fallback.
    explicit ScriptedPrompt(std::vector<int32_t> answers = {}, int32_t fallback = mbaNo)
        : answers_(answers.begin(), answers.end()), fallback_(fallback) {}

    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    int32_t Ask(const std::string& prompt, int32_t style) override;

    void AddAnswer(int32_t answer) { answers_.push_back(answer); }
    size_t AnswersLeft() const { return answers_.size(); }

    std::vector<std::string> messages;
    std::vector<std::pair<std::string, int32_t>> questions;

  private:
    std::deque<int32_t> answers_;
    int32_t fallback_;
};

}  // namespace kv
