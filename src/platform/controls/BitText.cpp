#include "platform/controls/BitText.h"

#include "value/NumberText.h"

namespace kv {

namespace {

// Calls fn(field) for every "|"-separated field of the text, empty ones included.
template <typename Fn>
void ForEachField(const std::string& text, Fn fn) {
    size_t start = 0;
    for (;;) {
        const size_t bar = text.find('|', start);
        fn(text.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
        if (bar == std::string::npos)
            return;
        start = bar + 1;
    }
}

}  // namespace

std::vector<bool> ParseBitText(const std::string& bits) {
    std::vector<bool> out;
    if (bits.empty())
        return out;
    ForEachField(bits, [&out](const std::string& field) {
        const std::optional<double> v = ParseNumber(field, NumberLocale::Invariant());
        out.push_back(v.has_value() && *v != 0);
    });
    return out;
}

std::string JoinBitText(const std::vector<bool>& bits) {
    std::string out;
    for (size_t i = 0; i < bits.size(); ++i) {
        if (i > 0)
            out += '|';
        out += bits[i] ? '1' : '0';
    }
    return out;
}

}  // namespace kv
