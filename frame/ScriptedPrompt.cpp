#include "frame/ScriptedPrompt.h"

namespace kv {

int32_t ScriptedPrompt::Ask(const std::string& prompt, int32_t style) {
    questions.emplace_back(prompt, style);
    if (!answers_.empty()) {
        const int32_t answer = answers_.front();
        answers_.pop_front();
        return answer;
    }
    return (style & 0xF) == mbsOkOnly ? mbaOk : fallback_;
}

}  // namespace kv
