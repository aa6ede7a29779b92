#include <gtest/gtest.h>

#include <cfloat>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "value/NumberText.h"
#include "value/Variant.h"

namespace kv {
namespace {

VbErr ErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const VbError& e) {
        return e.number();
    }
    ADD_FAILURE() << "no error raised";
    return VbErr::InvalidCall;
}

// What a throwing conversion gives: its value, or nothing when it raises an error.
template <typename Convert>
auto Outcome(Convert convert) -> std::optional<decltype(convert())> {
    try {
        return convert();
    } catch (const VbError&) {
        return std::nullopt;
    }
}

// Every try form answers what its throwing form gives, and no value where that raises.
void ExpectTryFormsAgree(const Variant& v, const NumberLocale& loc = NumberLocale::Invariant()) {
    const std::string what = Outcome([&] { return v.toString(); }).value_or("(no text)");
    EXPECT_EQ(v.tryByte(), Outcome([&] { return v.toByte(); })) << what;
    EXPECT_EQ(v.tryInteger(), Outcome([&] { return v.toInteger(); })) << what;
    EXPECT_EQ(v.tryLong(), Outcome([&] { return v.toLong(); })) << what;
    EXPECT_EQ(v.trySingle(loc), Outcome([&] { return v.toSingle(loc); })) << what;
    EXPECT_EQ(v.tryDouble(loc), Outcome([&] { return v.toDouble(loc); })) << what;
    EXPECT_EQ(v.tryBool(), Outcome([&] { return v.toBool(); })) << what;
    EXPECT_EQ(v.tryDate(), Outcome([&] { return v.toDate(); })) << what;
    EXPECT_EQ(v.tryString(loc), Outcome([&] { return v.toString(loc); })) << what;
    for (VarType t : {VarType::Empty, VarType::Null, VarType::Integer, VarType::Long,
                      VarType::Single, VarType::Double, VarType::Date, VarType::String,
                      VarType::Boolean, VarType::Decimal, VarType::Byte, VarType::ByteArray}) {
        const std::optional<Variant> converted = v.tryConvertTo(t, loc);
        const std::optional<Variant> expected = Outcome([&] { return v.convertTo(t, loc); });
        EXPECT_EQ(converted.has_value(), expected.has_value())
            << what << " to " << static_cast<int>(t);
        if (converted && expected) {
            EXPECT_EQ(converted->type(), expected->type());
            EXPECT_TRUE(*converted == *expected) << what << " to " << static_cast<int>(t);
        }
    }
}

TEST(VariantConversion, IntegerConversionsRoundHalfToEvenAndCheckRange) {
    struct Case {
        double in;
        int32_t cint;
    };
    for (const Case& c : {Case{2.5, 2},
                          {3.5, 4},
                          {-2.5, -2},
                          {-3.5, -4},
                          {0.5, 0},
                          {1.5, 2},
                          {2.5001, 3},
                          {-0.4, 0},
                          {32767.4, 32767},
                          {-32768.5, -32768}}) {
        EXPECT_EQ(Variant(c.in).toInteger(), c.cint) << c.in;
        EXPECT_EQ(Variant(c.in).toLong(), c.cint) << c.in;
        EXPECT_EQ(Variant(c.in).tryInteger(), c.cint) << c.in;
        EXPECT_EQ(Variant(c.in).tryLong(), c.cint) << c.in;
        ExpectTryFormsAgree(Variant(c.in));
    }
    EXPECT_EQ(Variant(255.4).toByte(), 255);
    EXPECT_EQ(Variant(-0.5).toByte(), 0);
    EXPECT_EQ(Variant(-2147483648.5).toLong(), INT32_MIN);
    EXPECT_EQ(Variant(int32_t{300}).toInteger(), 300);

    EXPECT_EQ(ErrorOf([] { Variant(255.5).toByte(); }), VbErr::Overflow);
    EXPECT_EQ(ErrorOf([] { Variant(-1.0).toByte(); }), VbErr::Overflow);
    EXPECT_EQ(ErrorOf([] { Variant(32767.5).toInteger(); }), VbErr::Overflow);
    EXPECT_EQ(ErrorOf([] { Variant(int32_t{40000}).toInteger(); }), VbErr::Overflow);
    EXPECT_EQ(ErrorOf([] { Variant(2147483647.5).toLong(); }), VbErr::Overflow);
    EXPECT_EQ(ErrorOf([] { Variant(1e39).toSingle(); }), VbErr::Overflow);
    EXPECT_FLOAT_EQ(Variant(3.4e38).toSingle(), 3.4e38f);
    // FLT_MAX's shortest text reads as a double above it; its nearest single is FLT_MAX.
    EXPECT_EQ(Variant(3.4028235e38).toSingle(), FLT_MAX);
    EXPECT_EQ(Variant("-3.4028235E+38").toSingle(), -FLT_MAX);
    EXPECT_EQ(ErrorOf([] { Variant(3.5e38).toSingle(); }), VbErr::Overflow);

    // Where the throwing forms overflow, the try forms answer with no value.
    EXPECT_EQ(Variant(255.5).tryByte(), std::nullopt);
    EXPECT_EQ(Variant(-1.0).tryByte(), std::nullopt);
    EXPECT_EQ(Variant(32767.5).tryInteger(), std::nullopt);
    EXPECT_EQ(Variant(int32_t{40000}).tryInteger(), std::nullopt);
    EXPECT_EQ(Variant(2147483647.5).tryLong(), std::nullopt);
    EXPECT_EQ(Variant(1e39).trySingle(), std::nullopt);
    EXPECT_EQ(Variant(-2147483648.5).tryLong(), INT32_MIN);
    for (const Variant& v :
         {Variant(255.5), Variant(-1.0), Variant(32767.5), Variant(int32_t{40000}),
          Variant(2147483647.5), Variant(1e39), Variant(3.4e38), Variant(3.4028235e38),
          Variant(3.5e38), Variant(255.4), Variant(uint8_t{200}), Variant(int16_t{-5}),
          Variant(-2147483648.5)}) {
        ExpectTryFormsAgree(v);
    }
}

TEST(VariantConversion, TextsReadAsNumbers) {
    EXPECT_EQ(Variant("12").toInteger(), 12);
    EXPECT_EQ(Variant(" 7 ").toLong(), 7);
    EXPECT_EQ(Variant("2.5").toInteger(), 2);
    EXPECT_EQ(Variant("1,000").toLong(), 1000);
    EXPECT_EQ(Variant("-1e3").toLong(), -1000);
    EXPECT_EQ(Variant("&HFF").toByte(), 255);
    EXPECT_EQ(Variant("&HFFFF").toInteger(), -1);
    EXPECT_EQ(Variant("&H10000").toLong(), 65536);
    EXPECT_EQ(Variant("&HFFFFFFFF").toLong(), -1);
    EXPECT_EQ(Variant("&O17").toInteger(), 15);
    EXPECT_DOUBLE_EQ(Variant("1.234,5").toDouble(NumberLocale{',', '.'}), 1234.5);
    EXPECT_DOUBLE_EQ(Variant("0,25").toDouble(NumberLocale{',', '.'}), 0.25);

    for (const char* bad : {"abc", "", "1 2", "12abc", "&H", "&HG1", "1e"}) {
        EXPECT_EQ(ErrorOf([&] { Variant(bad).toLong(); }), VbErr::TypeMismatch) << bad;
        EXPECT_EQ(Variant(bad).tryLong(), std::nullopt) << bad;
        ExpectTryFormsAgree(Variant(bad));
    }
    for (const char* text :
         {"12", " 7 ", "2.5", "1,000", "-1e3", "&HFF", "&HFFFF", "&HFFFFFFFF", "&H1FFFFFFFF",
          "1E400", "1E-400", "True", "false", "2024-02-29", "2024-02-29 12:30:00"}) {
        ExpectTryFormsAgree(Variant(text));
    }
    ExpectTryFormsAgree(Variant("1.234,5"), NumberLocale{',', '.'});
    EXPECT_EQ(Variant("12").tryInteger(), 12);
    EXPECT_EQ(Variant("&HFFFF").tryByte(), std::nullopt);
    EXPECT_EQ(Variant("1E400").tryDouble(), std::nullopt);
    EXPECT_EQ(Variant("0,25").tryDouble(NumberLocale{',', '.'}), 0.25);
    EXPECT_EQ(ErrorOf([] { Variant("&HFFFF").toByte(); }), VbErr::Overflow);
    EXPECT_EQ(ErrorOf([] { Variant("&H1FFFFFFFF").toDouble(); }), VbErr::Overflow);
    EXPECT_EQ(ErrorOf([] { Variant("1E400").toDouble(); }), VbErr::Overflow);
    EXPECT_DOUBLE_EQ(Variant("1E-400").toDouble(), 0.0);
}

TEST(VariantConversion, EmptyNullBooleanDateAndArrays) {
    const Variant empty;
    EXPECT_EQ(empty.toInteger(), 0);
    EXPECT_EQ(empty.toString(), "");
    EXPECT_FALSE(empty.toBool());

    const Variant null = Variant::Null();
    EXPECT_EQ(ErrorOf([&] { null.toInteger(); }), VbErr::InvalidNull);
    EXPECT_EQ(ErrorOf([&] { null.toDouble(); }), VbErr::InvalidNull);
    EXPECT_EQ(ErrorOf([&] { null.toString(); }), VbErr::InvalidNull);
    EXPECT_EQ(ErrorOf([&] { null.convertTo(VarType::Long); }), VbErr::InvalidNull);

    EXPECT_EQ(Variant(true).toInteger(), -1);
    EXPECT_EQ(Variant(false).toLong(), 0);
    EXPECT_EQ(Variant(true).toByte(), 255);  // True is all bits set
    EXPECT_EQ(Variant(true).toString(), "True");
    EXPECT_TRUE(Variant("true").toBool());
    EXPECT_FALSE(Variant("False").toBool());
    EXPECT_TRUE(Variant("-2").toBool());
    EXPECT_EQ(ErrorOf([] { Variant("yes").toBool(); }), VbErr::TypeMismatch);

    EXPECT_EQ(Variant::FromDate(45000.5).toLong(), 45000);
    EXPECT_DOUBLE_EQ(Variant::FromDate(45000.25).toDouble(), 45000.25);
    EXPECT_EQ(Variant::FromDate(45351.5).toString(), "2024-02-29 12:00:00");
    EXPECT_DOUBLE_EQ(Variant("2024-02-29").toDate(), 45351.0);

    const Variant arr(std::vector<uint8_t>{1, 2});
    EXPECT_EQ(ErrorOf([&] { arr.toLong(); }), VbErr::TypeMismatch);
    EXPECT_EQ(ErrorOf([&] { arr.toString(); }), VbErr::TypeMismatch);
    EXPECT_EQ(ErrorOf([&] { Variant(1.0).str(); }), VbErr::TypeMismatch);
    EXPECT_EQ(ErrorOf([&] { Variant("x").bytes(); }), VbErr::TypeMismatch);

    EXPECT_EQ(Variant(2.6).convertTo(VarType::Integer), Variant(int16_t{3}));
    EXPECT_EQ(Variant("7").convertTo(VarType::Byte), Variant(uint8_t{7}));
    EXPECT_EQ(Variant(int16_t{5}).convertTo(VarType::String), Variant("5"));
    EXPECT_EQ(Variant(1.5).convertTo(VarType::Decimal).type(), VarType::Decimal);

    EXPECT_EQ(empty.tryInteger(), 0);
    EXPECT_EQ(empty.tryString(), "");
    EXPECT_EQ(null.tryInteger(), std::nullopt);
    EXPECT_EQ(null.tryString(), std::nullopt);
    EXPECT_EQ(null.tryConvertTo(VarType::Long), std::nullopt);
    EXPECT_EQ(null.tryConvertTo(VarType::Null), Variant::Null());
    EXPECT_EQ(Variant(true).tryByte(), 255);
    EXPECT_EQ(Variant("yes").tryBool(), std::nullopt);
    EXPECT_EQ(Variant("False").tryBool(), false);
    EXPECT_EQ(arr.tryString(), std::nullopt);
    EXPECT_EQ(arr.tryConvertTo(VarType::ByteArray), arr);
    EXPECT_EQ(Variant("2024-02-30").tryDate(), std::nullopt);
    EXPECT_EQ(Variant(1e7).tryDate(), std::nullopt);  // beyond 9999-12-31
    EXPECT_EQ(Variant::FromDate(1e7).tryString(), std::nullopt);
    EXPECT_EQ(Variant(2.6).tryConvertTo(VarType::Integer), Variant(int16_t{3}));
    for (const Variant& v :
         {empty, null, Variant(true), Variant(false), Variant::FromDate(45000.5),
          Variant::FromDate(1e7), Variant::FromDate(-1e6), Variant(1e7), arr, Variant(2.6),
          Variant::FromDecimal(1.5), Variant(0.1f), Variant("7"), Variant("yes")}) {
        ExpectTryFormsAgree(v);
    }
}

TEST(VariantConversion, CStrUsesSevenOrFifteenSignificantDigits) {
    struct Case {
        double in;
        const char* text;
    };
    for (const Case& c : {Case{0.5, "0.5"},
                          {-2.5, "-2.5"},
                          {100, "100"},
                          {0, "0"},
                          {1.0 / 3, "0.333333333333333"},
                          {2.0 / 3, "0.666666666666667"},
                          {123456789012345.0, "123456789012345"},
                          {1e15, "1E+15"},
                          {1e20, "1E+20"},
                          {1.5e-7, "1.5E-07"},
                          {-1.5e-7, "-1.5E-07"},
                          {0.0001, "0.0001"},
                          {0.00001, "1E-05"},
                          {1e100, "1E+100"},
                          {0.1 + 0.2, "0.3"}}) {
        EXPECT_EQ(Variant(c.in).toString(), c.text) << c.in;
    }
    for (const Case& c : {Case{0.1f, "0.1"},
                          {1234567.0f, "1234567"},
                          {1e7f, "1E+07"},
                          {3.14159274f, "3.141593"},
                          {1.0f / 3, "0.3333333"},
                          {-0.75f, "-0.75"}}) {
        EXPECT_EQ(Variant(static_cast<float>(c.in)).toString(), c.text) << c.in;
    }
    EXPECT_EQ(Variant(2.5).toString(NumberLocale{',', '.'}), "2,5");
    EXPECT_EQ(Variant(uint8_t{200}).toString(), "200");
    EXPECT_EQ(Variant(int32_t{-70000}).toString(), "-70000");
}

TEST(VariantCompare, LooseEqualityFollowsTheEqualsOperator) {
    const Variant empty;
    const Variant null = Variant::Null();
    struct Case {
        Variant a, b;
        bool equal;
    };
    const Case cases[] = {
        {empty, Variant(int16_t{0}), true},
        {empty, Variant(""), true},
        {empty, empty, true},
        {empty, Variant(false), true},
        {empty, Variant(0.5), false},
        {empty, Variant("0"), false},
        {null, null, false},
        {null, Variant(int16_t{0}), false},
        {null, empty, false},
        {Variant(int16_t{2}), Variant(2.0), true},
        {Variant(uint8_t{2}), Variant(int32_t{2}), true},
        {Variant(int32_t{5}), Variant("5"), true},
        {Variant(" 1.5 "), Variant(1.5), true},
        {Variant("5"), Variant("5.0"), false},
        {Variant(int16_t{1}), Variant("abc"), false},
        {Variant(true), Variant(int16_t{-1}), true},
        {Variant(true), Variant("True"), true},
        {Variant(0.1f), Variant("0.1"), true},
        {Variant(0.1f), Variant(0.1), false},
        {Variant::FromDate(2.0), Variant(2.0), true},
        {Variant(std::vector<uint8_t>{1, 2}), Variant(ByteArray{{1, 2}, 1}), true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.a.looseEquals(c.b), c.equal) << c.a.toString() << " = " << c.b.toString();
        EXPECT_EQ(c.b.looseEquals(c.a), c.equal);
    }
}

TEST(VariantCompare, StructuralEqualityAndNumber) {
    EXPECT_NE(Variant(int16_t{1}), Variant(int32_t{1}));
    EXPECT_NE(Variant(1.0), Variant::FromDate(1.0));
    EXPECT_EQ(Variant(2.0), Variant(2.0));
    EXPECT_EQ(Variant(ByteArray{{1, 2}, 0}), Variant(ByteArray{{1, 2}, 5}));
    EXPECT_NE(Variant(std::vector<uint8_t>{1}), Variant(std::vector<uint8_t>{1, 0}));
    EXPECT_EQ(Variant::Null(), Variant::Null());
    EXPECT_NE(Variant(), Variant::Null());

    EXPECT_DOUBLE_EQ(Variant(true).number(), -1.0);
    EXPECT_DOUBLE_EQ(Variant("5").number(), 0.0);
}

TEST(VariantCompare, CopiesAreIndependentValues) {
    Variant a(ByteArray{{1, 2, 3}, 2});
    Variant b = a;
    a.bytes().bytes[0] = 9;
    a.bytes().lbound = 0;
    EXPECT_EQ(b.bytes().bytes, (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(b.bytes().lbound, 2);
    EXPECT_EQ(a.bytes().bytes, (std::vector<uint8_t>{9, 2, 3}));

    Variant text("Valve 1");
    Variant other = text;
    text = Variant(int32_t{7});
    EXPECT_EQ(other.str(), "Valve 1");
    EXPECT_EQ(text.toLong(), 7);
    EXPECT_EQ(Variant("").str(), "");
    EXPECT_EQ(Variant(""), Variant(std::string()));
    EXPECT_NE(Variant(""), Variant());
}

TEST(VariantCompare, IsNumeric) {
    for (const Variant& v :
         {Variant(), Variant(true), Variant(2.5), Variant(uint8_t{0}), Variant("12"),
          Variant(" -1.5e3 "), Variant("&H1F"), Variant("1,000")}) {
        EXPECT_TRUE(IsNumeric(v)) << v.toString();
    }
    for (const Variant& v : {Variant::Null(), Variant::FromDate(1.0), Variant("abc"), Variant(""),
                             Variant("1E400"), Variant(std::vector<uint8_t>{1})}) {
        EXPECT_FALSE(IsNumeric(v));
    }
    EXPECT_TRUE(IsNumeric(Variant("1,5"), NumberLocale{',', '.'}));
}

}  // namespace
}  // namespace kv
