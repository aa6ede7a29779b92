#include "platform/controls/widgets/ValueListText.h"

#include "value/Variant.h"

namespace kv {

namespace {

// Calls fn(piece) for every "|"-separated piece of the text, empty ones included.
template <typename Fn>
void ForEachPiece(const std::string& text, Fn fn) {
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

std::vector<ValueListEntry> ParseValueListText(const std::string& list) {
    std::vector<ValueListEntry> entries;
    ForEachPiece(list, [&entries](const std::string& piece) {
        const size_t colon = piece.find(':');
        if (colon == std::string::npos)
            return;
        int32_t number = -1;
        try {
            number = Variant(piece.substr(0, colon)).toLong();
        } catch (const std::exception&) {
            number = -1;
        }
        entries.push_back({number, piece.substr(colon + 1)});
    });
    return entries;
}

std::vector<bool> ParseBitText(const std::string& bits) {
    std::vector<bool> out;
    if (bits.empty())
        return out;
    ForEachPiece(bits, [&out](const std::string& piece) {
        double v = 0;
        out.push_back(ParseNumber(piece, NumberLocale::Invariant(), v) && v != 0);
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
