#pragma once
// XML text written without building a document first, byte for byte as pugixml writes it (so
// that files written either way are the same).

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace kv {

// Appends an attribute's value as pugixml escapes it: "&", "<" and '"' as entities, the control
// characters as character references ("&#09;"); the value ends at a NUL character.
inline void AppendXmlAttributeValue(std::string& out, std::string_view value) {
    // The characters that are written otherwise, by their code.
    static constexpr auto kEscaped = [] {
        std::array<bool, 256> escaped{};
        for (size_t c = 0; c < 32; ++c)
            escaped[c] = true;
        escaped['&'] = escaped['<'] = escaped['"'] = true;
        return escaped;
    }();
    size_t plain = 0;  // the start of the characters not yet appended
    for (size_t i = 0;; ++i) {
        while (i < value.size() && !kEscaped[static_cast<unsigned char>(value[i])])
            ++i;
        out.append(value.data() + plain, i - plain);
        if (i == value.size() || value[i] == '\0')
            return;
        plain = i + 1;
        const char c = value[i];
        if (c == '&') {
            out += "&amp;";
        } else if (c == '<') {
            out += "&lt;";
        } else if (c == '"') {
            out += "&quot;";
        } else {
            out += "&#";
            out += static_cast<char>('0' + c / 10);
            out += static_cast<char>('0' + c % 10);
            out += ';';
        }
    }
}

}  // namespace kv
