#include <gtest/gtest.h>

#include <optional>

#include "value/Date.h"
#include "value/Text.h"
#include "value/Variant.h"

namespace kv {
namespace {

TEST(Text, LikeMatchesVbPatterns) {
    struct Case {
        const char* text;
        const char* pattern;
        bool match;
    };
    for (const Case& c : {Case{"aBBBa", "a*a", true},
                          {"F", "[A-Z]", true},
                          {"F", "[!A-Z]", false},
                          {"a2a", "a#a", true},
                          {"aaa", "a#a", false},
                          {"aM5b", "a[L-P]#[!c-e]", true},
                          {"BAT123khg", "B?T*", true},
                          {"CAT123khg", "B?T*", false},
                          {"ab", "a", false},
                          {"a", "ab", false},
                          {"", "*", true},
                          {"", "?", false},
                          {"abc", "a[]bc", true},
                          {"a-b", "a[-]b", true},
                          {"a*b", "a[*]b", true},
                          {"axb", "a[*]b", false},
                          {"A", "a", false},
                          {"\xC3\xA4", "?", true},
                          {"xyz.dtm", "*.dtm", true},
                          {"abcbcd", "*bc?", true},
                          {"mississippi", "*sip*", true},
                          {"ab", "[ab][!a]", true}}) {
        EXPECT_EQ(Like(c.text, c.pattern), c.match) << c.text << " Like " << c.pattern;
    }
    for (const char* bad : {"[", "a[bc", "[a-"}) {
        EXPECT_THROW(Like("zzz", bad), VbError) << bad;
        try {
            Like("", bad);
        } catch (const VbError& e) {
            EXPECT_EQ(e.number(), VbErr::InvalidCall);
        }
    }
}

TEST(Text, Windows1252) {
    // The undefined bytes 0x81, 0x8D, 0x8F, 0x90 and 0x9D stand for the control characters of
    // the same number.
    const uint32_t high[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                               0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                               0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                               0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    for (int b = 1; b < 256; ++b) {
        const uint32_t cp = b >= 0x80 && b < 0xA0 ? high[b - 0x80] : static_cast<uint32_t>(b);
        const std::string decoded = Cp1252ToUtf8(std::string(1, static_cast<char>(b)));
        EXPECT_EQ(decoded, CodePointToUtf8(cp)) << b;
        EXPECT_EQ(UnicodeToCp1252(cp), b) << b;
    }
    // The other control characters of 0x80-0x9F name no byte.
    for (uint32_t undefined : {0x80u, 0x82u, 0x8Eu, 0x9Fu, 0xFFFDu, 0x2192u}) {
        EXPECT_EQ(UnicodeToCp1252(undefined), -1);
    }

    bool ok = false;
    EXPECT_EQ(Utf8ToCp1252("\xE2\x82\xAC \xC3\xA4\xC3\xBF", &ok), "\x80 \xE4\xFF");
    EXPECT_TRUE(ok);
    EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8("a\x81\x8D\x8F\x90\x9D"), &ok), "a\x81\x8D\x8F\x90\x9D");
    EXPECT_TRUE(ok);
    EXPECT_EQ(Utf8ToCp1252("a\xE2\x86\x92"
                           "b",
                           &ok),
              "a?b");  // U+2192 has no code
    EXPECT_FALSE(ok);
    EXPECT_EQ(Utf8ToCp1252("\xC3", &ok), "?");
    EXPECT_FALSE(ok);
}

TEST(Text, Utf8CodePoints) {
    EXPECT_EQ(Utf8CodePoints("a\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80"),
              (std::vector<uint32_t>{'a', 0xE4, 0x20AC, 0x1F600}));
    EXPECT_EQ(Utf8CodePoints("\xC3"), (std::vector<uint32_t>{0xFFFD}));
    EXPECT_EQ(Utf8CodePoints("\xC0\x80"), (std::vector<uint32_t>{0xFFFD, 0xFFFD}));  // overlong
    EXPECT_EQ(Utf8CodePoints("\xED\xA0\x80").front(), 0xFFFDu);                      // surrogate
    EXPECT_EQ(Utf8CodePoints("\xFF"
                             "a"),
              (std::vector<uint32_t>{0xFFFD, 'a'}));
    EXPECT_EQ(CodePointToUtf8(0x1F600), "\xF0\x9F\x98\x80");
    EXPECT_EQ(CodePointToUtf8(0xD800), "\xEF\xBF\xBD");
}

TEST(Text, AsciiCaseFolding) {
    EXPECT_TRUE(EqualsNoCase("Abc", "aBC"));
    EXPECT_FALSE(EqualsNoCase("abc", "abcd"));
    EXPECT_FALSE(EqualsNoCase("\xC3\xA4", "\xC3\x84"));  // ä and Ä stay distinct
    EXPECT_EQ(ToUpperAscii("abc\xC3\xA4z"), "ABC\xC3\xA4Z");
    EXPECT_EQ(ToLowerAscii("PHYS/Diag"), "phys/diag");
}

TEST(Dates, SerialNumbersFrom1899_12_30) {
    struct Case {
        int y, m, d;
        double days;
    };
    for (const Case& c : {Case{1899, 12, 30, 0},
                          {1899, 12, 31, 1},
                          {1900, 1, 1, 2},
                          {1899, 12, 29, -1},
                          {1900, 3, 1, 61},
                          {2000, 1, 1, 36526},
                          {2024, 1, 1, 45292},
                          {2024, 2, 29, 45351},
                          {2024, 13, 1, 45658},
                          {2024, 3, 0, 45351},
                          {2025, 0, 1, 45627},
                          {100, 1, 1, -657434},
                          {9999, 12, 31, 2958465}}) {
        EXPECT_DOUBLE_EQ(DateSerial(c.y, c.m, c.d), c.days) << c.y << "-" << c.m << "-" << c.d;
    }
    EXPECT_DOUBLE_EQ(TimeSerial(6, 0, 0), 0.25);
    EXPECT_DOUBLE_EQ(TimeSerial(18, 0, 0), 0.75);
}

TEST(Dates, SplitAndIsoText) {
    const double t = 45351 + TimeSerial(13, 45, 10);
    const DateParts p = SplitDate(t);
    EXPECT_EQ((std::vector<int>{p.year, p.month, p.day, p.hour, p.minute, p.second}),
              (std::vector<int>{2024, 2, 29, 13, 45, 10}));
    EXPECT_EQ(DateToIsoText(t), "2024-02-29 13:45:10");
    EXPECT_EQ(DateToIsoText(36526), "2000-01-01");
    EXPECT_EQ(DateToIsoText(0.5), "1899-12-30 12:00:00");
    EXPECT_EQ(DateToIsoText(-1.25), "1899-12-29 06:00:00");  // time counts away from zero
    EXPECT_EQ(DateToIsoText(-657434), "0100-01-01");
    EXPECT_EQ(DateToIsoText(45351 + 0.9999999), "2024-03-01");  // rounds to the second

    std::optional<double> days = ParseIsoDate("2024-02-29 13:45:10");
    ASSERT_TRUE(days);
    EXPECT_NEAR(*days, t, 1e-9);
    days = ParseIsoDate("1900-02-28");
    ASSERT_TRUE(days);
    EXPECT_DOUBLE_EQ(*days, 60);
    days = ParseIsoDate("1899-12-29 06:00:00");
    ASSERT_TRUE(days);
    EXPECT_DOUBLE_EQ(*days, -1.25);
    for (const char* bad : {"2023-02-29", "1900-02-29", "2024-13-01", "2024-00-10", "2024-04-31",
                            "2024-02-28 24:00:00", "2024-02-28 12:60:00", "2024-2-29",
                            "2024-02-29 13:45", "0099-01-01", "abcd-ef-gh", ""}) {
        EXPECT_EQ(ParseIsoDate(bad), std::nullopt) << bad;
    }
}

}  // namespace
}  // namespace kv
