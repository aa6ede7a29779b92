#pragma once
// Text rules of the system: UTF-8 code points, the Windows-1252 code page, ASCII case folding and
// the Like operator, replacing every occurrence of a text.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

// Like: '?' one character, '*' any run, '#' a digit, "[a-z]" and "[!a-z]" character lists.
// Case-sensitive (binary comparison).
bool Like(const std::string& text, const std::string& pattern);

// Windows-1252: the system's ANSI code page. Utf8ToCp1252 reports characters that do not map
// through 'ok' (they become '?'); Cp1252ToUtf8 maps every byte. The undefined bytes 0x81, 0x8D,
// 0x8F, 0x90 and 0x9D map to the control characters U+0081 etc. and back.
std::string Utf8ToCp1252(const std::string& utf8, bool* ok = nullptr);
std::string Cp1252ToUtf8(const std::string& cp1252);
// Code in Windows-1252 of one Unicode code point; -1 when it has none.
int UnicodeToCp1252(uint32_t codepoint);
// Splits UTF-8 text into code points (invalid bytes map to U+FFFD).
std::vector<uint32_t> Utf8CodePoints(const std::string& utf8);
std::string CodePointToUtf8(uint32_t cp);

// The text without the given characters at both ends (Trim) or at its end (TrimRight); blanks
// by default. The view points into the text.
std::string_view Trim(std::string_view text, std::string_view characters = " ");
std::string_view TrimRight(std::string_view text, std::string_view characters = " ");

// The text when it has at most `longest` characters (code points), else its first `kept`
// characters followed by " ...": a text shown to the user at a readable length.
std::string Abridged(std::string_view text, size_t longest, size_t kept);

// Case-insensitive comparison of ASCII letters (the keys and names the system compares).
bool EqualsNoCase(const std::string& a, const std::string& b);
std::string ToUpperAscii(std::string s);
std::string ToLowerAscii(std::string s);

// Replaces every occurrence of 'what' in the text, left to right; an empty 'what' changes nothing.
void ReplaceAll(std::string& text, std::string_view what, std::string_view with);

}  // namespace kv
