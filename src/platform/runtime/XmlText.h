#pragma once
// XML text written without building a document first, byte for byte as pugixml writes it (so
// that files written either way are the same).

#include <string>
#include <string_view>

namespace kv {

// Appends an attribute's value as pugixml escapes it: "&", "<" and '"' as entities, the control
// characters as character references ("&#09;"); the value ends at a NUL character.
inline void AppendXmlAttributeValue(std::string& out, std::string_view value) {
    value = value.substr(0, value.find('\0'));
    size_t plain = 0;  // the start of the characters not yet appended
    for (size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        const bool control = static_cast<unsigned char>(c) < 32;
        if (!control && c != '&' && c != '<' && c != '"')
            continue;
        out.append(value.data() + plain, i - plain);
        plain = i + 1;
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
    out.append(value.data() + plain, value.size() - plain);
}

}  // namespace kv
