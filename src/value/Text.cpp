// Text helpers: UTF-8 code points, Windows-1252, ASCII case folding and the Like operator.

#include <array>
#include <string>
#include <vector>

#include "value/Text.h"

#include "value/ValueDetail.h"

namespace kv {

namespace {

constexpr uint32_t kReplacement = 0xFFFD;

// Windows-1252 bytes 0x80-0x9F. The five bytes the code page leaves undefined stand for the
// control characters of the same number, so that a text read from a device goes back unchanged.
constexpr std::array<uint16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

std::vector<uint32_t> Utf8CodePoints(const std::string& utf8) {
    std::vector<uint32_t> out;
    out.reserve(utf8.size());
    const size_t n = utf8.size();
    size_t i = 0;
    while (i < n) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        size_t len;
        uint32_t cp;
        uint32_t min;
        if (b < 0x80) {
            out.push_back(b);
            ++i;
            continue;
        } else if ((b & 0xE0) == 0xC0) {
            len = 2, cp = b & 0x1Fu, min = 0x80;
        } else if ((b & 0xF0) == 0xE0) {
            len = 3, cp = b & 0x0Fu, min = 0x800;
        } else if ((b & 0xF8) == 0xF0) {
            len = 4, cp = b & 0x07u, min = 0x10000;
        } else {
            out.push_back(kReplacement);
            ++i;
            continue;
        }
        bool valid = i + len <= n;
        for (size_t k = 1; valid && k < len; ++k) {
            const auto c = static_cast<unsigned char>(utf8[i + k]);
            valid = (c & 0xC0) == 0x80;
            cp = (cp << 6) | (c & 0x3Fu);
        }
        valid = valid && cp >= min && cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF);
        if (valid) {
            out.push_back(cp);
            i += len;
        } else {
            // Each byte of a broken sequence becomes one replacement character.
            out.push_back(kReplacement);
            ++i;
        }
    }
    return out;
}

std::string CodePointToUtf8(uint32_t cp) {
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        cp = kReplacement;
    }
    std::string out;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
    return out;
}

int UnicodeToCp1252(uint32_t codepoint) {
    if (codepoint < 0x80 || (codepoint >= 0xA0 && codepoint <= 0xFF)) {
        return static_cast<int>(codepoint);
    }
    for (size_t k = 0; k < kCp1252High.size(); ++k) {
        if (kCp1252High[k] == codepoint) {
            return static_cast<int>(0x80 + k);
        }
    }
    return -1;
}

std::string Utf8ToCp1252(const std::string& utf8, bool* ok) {
    bool allMapped = true;
    std::string out;
    out.reserve(utf8.size());
    for (uint32_t cp : Utf8CodePoints(utf8)) {
        int b = UnicodeToCp1252(cp);
        if (b < 0) {
            allMapped = false;
            out += '?';
        } else {
            out += static_cast<char>(b);
        }
    }
    if (ok != nullptr) {
        *ok = allMapped;
    }
    return out;
}

std::string Cp1252ToUtf8(const std::string& cp1252) {
    std::string out;
    out.reserve(cp1252.size());
    for (char c : cp1252) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x80 && b < 0xA0) {
            out += CodePointToUtf8(kCp1252High[b - 0x80]);
        } else {
            out += CodePointToUtf8(b);
        }
    }
    return out;
}

std::string_view Trim(std::string_view text, std::string_view characters) {
    const size_t first = text.find_first_not_of(characters);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(characters) - first + 1);
}

std::string_view TrimRight(std::string_view text, std::string_view characters) {
    const size_t last = text.find_last_not_of(characters);
    return last == std::string_view::npos ? std::string_view() : text.substr(0, last + 1);
}

std::string Abridged(std::string_view text, size_t longest, size_t kept) {
    // Characters begin at the bytes that do not continue a UTF-8 sequence; only as many are
    // counted as the decision needs.
    size_t count = 0;
    size_t cut = text.size();
    for (size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80)
            continue;
        if (count == kept)
            cut = i;
        if (++count > longest)
            return std::string(text.substr(0, cut)) + " ...";
    }
    return std::string(text);
}

std::string ToUpperAscii(std::string s) {
    for (char& c : s) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return s;
}

std::string ToLowerAscii(std::string s) {
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return s;
}

bool EqualsNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && ToLowerAscii(a) == ToLowerAscii(b);
}

namespace {

struct LikeToken {
    enum Kind { Char, Any, Star, Digit, Set };
    explicit LikeToken(Kind k, uint32_t c = 0) : kind(k), cp(c) {}

    Kind kind;
    uint32_t cp;
    bool negate = false;
    std::vector<std::pair<uint32_t, uint32_t>> ranges;

    bool matches(uint32_t c) const {
        switch (kind) {
            case Char:
                return c == cp;
            case Any:
                return true;
            case Digit:
                return c >= '0' && c <= '9';
            case Set:
                for (const auto& [lo, hi] : ranges) {
                    if (c >= lo && c <= hi) {
                        return !negate;
                    }
                }
                return negate;
            case Star:
                break;
        }
        return false;
    }
};

// Parses the whole pattern first so that a malformed one fails whatever the text.
std::vector<LikeToken> ParseLikePattern(const std::vector<uint32_t>& p) {
    std::vector<LikeToken> tokens;
    for (size_t i = 0; i < p.size(); ++i) {
        const uint32_t c = p[i];
        if (c == '*') {
            if (tokens.empty() || tokens.back().kind != LikeToken::Star) {
                tokens.emplace_back(LikeToken::Star);
            }
        } else if (c == '?') {
            tokens.emplace_back(LikeToken::Any);
        } else if (c == '#') {
            tokens.emplace_back(LikeToken::Digit);
        } else if (c == '[') {
            size_t close = i + 1;
            while (close < p.size() && p[close] != ']') {
                ++close;
            }
            if (close == p.size()) {
                detail::Raise(VbErr::InvalidCall);
            }
            size_t k = i + 1;
            i = close;
            if (k == close) {
                continue;  // "[]" stands for the empty string
            }
            LikeToken set(LikeToken::Set);
            if (p[k] == '!') {
                set.negate = true;
                ++k;
            }
            while (k < close) {
                if (k + 2 < close && p[k + 1] == '-') {
                    if (p[k] > p[k + 2]) {
                        detail::Raise(VbErr::InvalidCall);
                    }
                    set.ranges.emplace_back(p[k], p[k + 2]);
                    k += 3;
                } else {
                    set.ranges.emplace_back(p[k], p[k]);
                    ++k;
                }
            }
            tokens.push_back(std::move(set));
        } else {
            tokens.emplace_back(LikeToken::Char, c);
        }
    }
    return tokens;
}

}  // namespace

bool Like(const std::string& text, const std::string& pattern) {
    const std::vector<LikeToken> tokens = ParseLikePattern(Utf8CodePoints(pattern));
    const std::vector<uint32_t> t = Utf8CodePoints(text);
    // Every token but '*' consumes exactly one character, so backtracking to the last star is
    // enough.
    size_t ti = 0;
    size_t k = 0;
    size_t starK = std::string::npos;
    size_t starT = 0;
    while (ti < t.size()) {
        if (k < tokens.size() && tokens[k].kind == LikeToken::Star) {
            starK = k++;
            starT = ti;
        } else if (k < tokens.size() && tokens[k].matches(t[ti])) {
            ++ti;
            ++k;
        } else if (starK != std::string::npos) {
            k = starK + 1;
            ti = ++starT;
        } else {
            return false;
        }
    }
    while (k < tokens.size() && tokens[k].kind == LikeToken::Star) {
        ++k;
    }
    return k == tokens.size();
}

void ReplaceAll(std::string& text, std::string_view what, std::string_view with) {
    if (what.empty())
        return;
    for (size_t at = text.find(what); at != std::string::npos;
         at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
}

}  // namespace kv
