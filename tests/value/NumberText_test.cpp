#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <string>

#include "value/NumberText.h"
#include "value/Variant.h"

namespace kv {
namespace {

const NumberLocale kComma{',', '.'};

TEST(NumberText, ValReadsTheLeadingNumberOnly) {
    struct Case {
        const char* text;
        double value;
    };
    for (const Case& c : {Case{"2457", 2457},
                          {" 2 45 7", 2457},
                          {"24 and 57", 24},
                          {" 1 2", 12},
                          {"  -3.5e2xyz", -350},
                          {"1.2.3", 1.2},
                          {".5", 0.5},
                          {"- 5", -5},
                          {"+7", 7},
                          {"2D3", 2000},
                          {"1e", 1},
                          {"1e+", 1},
                          {"1,5", 1},
                          {"\t4\n2", 42},
                          {"&H1F", 31},
                          {"&hff", 255},
                          {"&HFFFF", -1},
                          {"&H10000", 65536},
                          {"&O17", 15},
                          {"&H1Fz", 31},
                          {"abc", 0},
                          {"", 0},
                          {"-", 0},
                          {"&H", 0},
                          {"$5", 0}}) {
        EXPECT_DOUBLE_EQ(Val(c.text), c.value) << c.text;
        EXPECT_EQ(TryVal(c.text), std::optional<double>(Val(c.text))) << c.text;
    }
    // A number beyond a double raises; the try form answers none.
    EXPECT_THROW(Val("1e999"), std::exception);
    EXPECT_EQ(TryVal("1e999"), std::nullopt);
    EXPECT_EQ(TryVal("&H1FFFFFFFF"), std::nullopt);
}

TEST(NumberText, StrWritesLeadingBlankAndNoZeroBeforeThePoint) {
    EXPECT_EQ(Str(0.5), " .5");
    EXPECT_EQ(Str(-0.25), "-.25");
    EXPECT_EQ(Str(12), " 12");
    EXPECT_EQ(Str(-3), "-3");
    EXPECT_EQ(Str(0), " 0");
    EXPECT_EQ(Str(1e20), " 1E+20");
    EXPECT_EQ(Str(1.0 / 3), " .333333333333333");
    EXPECT_EQ(Str(0.1f, true), " .1");
    EXPECT_EQ(Str(1.0f / 3, true), " .3333333");
    EXPECT_EQ(InvariantNumberText(0.5), ".5");
    EXPECT_EQ(InvariantNumberText(1234.5), "1234.5");
    EXPECT_EQ(InvariantNumberText(-1.5e-7), "-1.5E-07");
}

// A single is written with the fewest digits that read back as that single.
TEST(NumberText, InvariantSingleTextReadsBackAsTheSameSingle) {
    struct Case {
        float value;
        const char* text;
    };
    for (const Case& c : {Case{0.1f, ".1"},
                          {-0.25f, "-.25"},
                          {12.5f, "12.5"},
                          {0, "0"},
                          {1000000, "1000000"},
                          {1234567.875f, "1234567.9"},
                          {12345678, "1.2345678E+07"},
                          {16777218, "1.6777218E+07"},
                          {99.9f, "99.9"},
                          {static_cast<float>(3.402823E+38), "3.402823E+38"},
                          {-FLT_MAX, "-3.4028235E+38"},
                          {FLT_MIN, "1.1754944E-38"},
                          {std::numeric_limits<float>::denorm_min(), "1E-45"}}) {
        EXPECT_EQ(InvariantNumberText(c.value, true), c.text);
    }
    // The limits and a spread over the whole range of the type: every finite single that the
    // import's reader takes back comes back unchanged.
    uint32_t bits = 12345;
    for (int i = -2; i < 20000; ++i) {
        bits = bits * 1664525u + 1013904223u;
        float f = i < 0 ? (i == -2 ? FLT_MAX : -FLT_MAX) : 0;
        if (i >= 0)
            std::memcpy(&f, &bits, sizeof f);
        if (!std::isfinite(f))
            continue;
        const std::string text = InvariantNumberText(f, true);
        const std::optional<double> back = ParseInputNumber(text, NumberLocale::Invariant());
        ASSERT_TRUE(back.has_value()) << text;
        EXPECT_EQ(NearestSingle(*back), f) << text;
    }
}

TEST(NumberText, ParseNumberReadsWholeLocaleTexts) {
    struct Case {
        const char* text;
        bool comma;
        bool ok;
        double value;
    };
    for (const Case& c : {Case{" 1,234.5 ", false, true, 1234.5},
                          {"-2e3", false, true, -2000},
                          {"+.5", false, true, 0.5},
                          {"5.", false, true, 5},
                          {"1.5D2", false, true, 150},
                          {"1,5", true, true, 1.5},
                          {"1.234.567,25", true, true, 1234567.25},
                          {"1.5", true, true, 15},  // the point groups digits here
                          {"abc", false, false, 0},
                          {"", false, false, 0},
                          {".", false, false, 0},
                          {"1 2", false, false, 0},
                          {"1e", false, false, 0},
                          {",5", false, false, 0},
                          {"--1", false, false, 0},
                          {"&H10", false, false, 0}}) {
        const std::optional<double> v =
            ParseNumber(c.text, c.comma ? kComma : NumberLocale::Invariant());
        EXPECT_EQ(v.has_value(), c.ok) << c.text;
        if (c.ok && v) {
            EXPECT_DOUBLE_EQ(*v, c.value) << c.text;
        }
    }
}

// Typed numbers: the language's decimal separator, the other one where it can only be a decimal
// mark; no grouping, nothing around the number, nothing that is not finite.
TEST(NumberText, ParseInputNumberReadsOnlyWholeDecimalNumbers) {
    struct Case {
        const char* text;
        bool comma;
        std::optional<double> value;
    };
    const std::optional<double> refused;
    for (const Case& c : {Case{"3,5", true, 3.5},
                          {"3.5", true, 3.5},
                          {"3.5", false, 3.5},
                          {"3,5", false, 3.5},
                          {"1,2345", true, 1.2345},
                          {"1,234", true, 1.234},
                          {"1.234", false, 1.234},
                          {"1.2345", true, 1.2345},
                          {"0.125", true, 0.125},
                          {"0,125", false, 0.125},
                          {"1234.567", true, 1234.567},
                          {".5", true, 0.5},
                          {" -2,5e2 ", true, -250},
                          {"+7", false, 7},
                          {"5.", false, 5},
                          {"1e-400", false, 0},
                          {"1.234,5", true, refused},
                          {"1.234", true, refused},
                          {"-1.234", true, refused},
                          {"12.345", true, refused},
                          {"1,234.5", false, refused},
                          {"1,234", false, refused},
                          {"1.234.567", true, refused},
                          {"1,5,0", false, refused},
                          {"1 234", false, refused},
                          {"abc", false, refused},
                          {"nan", false, refused},
                          {"inf", false, refused},
                          {"-Inf", true, refused},
                          {"--1", false, refused},
                          {"0x10", false, refused},
                          {"&H10", false, refused},
                          {"12abc", false, refused},
                          {"12.5abc", false, refused},
                          {"1.5D2", false, refused},
                          {"1e400", false, refused},
                          {"1e", false, refused},
                          {"", false, refused},
                          {".", false, refused}}) {
        EXPECT_EQ(ParseInputNumber(c.text, c.comma ? kComma : NumberLocale::Invariant()), c.value)
            << c.text << (c.comma ? " (comma)" : " (point)");
    }
    EXPECT_EQ(ParseInputNumber("1e39", NumberLocale::Invariant()), 1e39);
}

TEST(NumberText, FormatPatterns) {
    struct Case {
        double value;
        const char* pattern;
        const char* text;
    };
    for (const Case& c : {Case{3.14159, "0.0##", "3.142"},
                          {3.1, "0.0##", "3.1"},
                          {2.5, "0", "3"},
                          {3.5, "0", "4"},
                          {-2.5, "0", "-3"},
                          {7, "00", "07"},
                          {42, "0000", "0042"},
                          {123456, "00", "123456"},
                          {3, "0.0", "3.0"},
                          {3, "0.##", "3."},
                          {1.5, "0.00", "1.50"},
                          {0.5, "#.##", ".5"},
                          {0.5, "0.##", "0.5"},
                          {0, "#", ""},
                          {0, "0", "0"},
                          {12345.678, "#,##0.00", "12,345.68"},
                          {-0.04, "0.0", "-0.0"},
                          {1.005, "0.00", "1.01"},
                          {2.675, "0.00", "2.68"},
                          {9.999, "0.00", "10.00"},
                          {0.125, "0.00", "0.13"},
                          {1e20, "0", "100000000000000000000"},
                          {0.000123, "0.0000", "0.0001"},
                          {5, "0 %", "5 %"}}) {
        EXPECT_EQ(FormatNumber(c.value, c.pattern), c.text) << c.value << " " << c.pattern;
    }
    EXPECT_EQ(FormatNumber(1.5, "0.0", kComma), "1,5");
    EXPECT_EQ(FormatNumber(1234.5, "#,##0.0", kComma), "1.234,5");
}

TEST(NumberText, RoundHalfEven) {
    struct Case {
        double in, out;
    };
    for (const Case& c : {Case{2.5, 2},
                          {3.5, 4},
                          {-2.5, -2},
                          {-3.5, -4},
                          {0.5, 0},
                          {2.4999, 2},
                          {2.5001, 3},
                          {-0.6, -1},
                          {1e300, 1e300}}) {
        EXPECT_DOUBLE_EQ(RoundHalfEven(c.in), c.out) << c.in;
    }
}

}  // namespace
}  // namespace kv
