#include "core/clsDataElement.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <vector>

#include "platform/runtime/IParameters.h"
#include "support/FakeDataSet.h"

namespace kv {
namespace {

using test_support::TestContext;

// --- status bits ---

TEST(DataElementStatusTest, ProtectedBitsChangeOnlyThroughTheirOwnProperties) {
    clsDataElement e;
    EXPECT_EQ(e.StatusFlags(), 0);
    EXPECT_TRUE(e.Validity());
    e.SetStatusFlags(static_cast<int32_t>(0xFFFFFFFFu));
    EXPECT_EQ(static_cast<uint32_t>(e.StatusFlags()), 0xF0FFFFFFu);
    EXPECT_TRUE(e.Validity());
    EXPECT_FALSE(e.ParamOptional());
    e.ClearStatusFlag(sfValid);
    EXPECT_TRUE(e.Validity());
    e.SetStatusFlag(sfOptional);
    EXPECT_FALSE(e.ParamOptional());
    e.SetValidity(false);
    EXPECT_FALSE(e.Validity());
    e.SetStatusFlags(0);
    EXPECT_FALSE(e.Validity());
    e.SetParamOptional(true);
    EXPECT_TRUE(e.ParamOptional());
    EXPECT_EQ(e.StatusFlags(), 0);
    EXPECT_EQ(e.RawStatusWord(), sfOptional);
}

TEST(DataElementStatusTest, DynamicIsTheVisibleBit2) {
    clsDataElement e;
    e.SetParamDynamic(true);
    EXPECT_EQ(e.StatusFlags(), sfDynamic);
    e.ClearStatusFlag(sfDynamic);
    EXPECT_FALSE(e.ParamDynamic());
}

// --- value lists ---

TEST(DataElementValueListTest, PlainListsGiveTheTextOfTheNumber) {
    clsDataElement e;
    e.ValueList = "0:Off|1:On";
    EXPECT_EQ(e.GetStrValueFromIdxList(1), "On");
    EXPECT_EQ(e.GetStrValueFromIdxList(2), "");
    e.ValueList = "junk|x:Unreadable|  3 :Three|3:Again";
    EXPECT_EQ(e.GetStrValueFromIdxList(-1), "Unreadable");
    EXPECT_EQ(e.GetStrValueFromIdxList(3), "Three");
}

TEST(DataElementValueListTest, BitListsMarkEverySetBitAndTheNoBitEntry) {
    clsDataElement e;
    e.SetValueTypeLength(1);
    e.bBitEncoding = true;
    e.ValueList = "0:A|1:B|8:None";
    EXPECT_EQ(e.GetStrValueFromIdxList(0), "[ ] A, [ ] B, [x] None");
    EXPECT_EQ(e.GetStrValueFromIdxList(3), "[x] A, [x] B, [ ] None");
    e.SetValueTypeLength(4);
    e.ValueList = "0:Low|31:Top|40:Skipped";
    EXPECT_EQ(e.GetStrValueFromIdxList(-1), "[x] Low, [x] Top");
    EXPECT_EQ(e.GetStrValueFromIdxList(0x7FFFFFFF), "[x] Low, [ ] Top");
}

TEST(DataElementValueListTest, GivenListsAndCommandErrorsAreNeverBitLists) {
    clsDataElement e;
    e.bBitEncoding = true;
    e.CmdErrList = "182:Access denied|181:Busy";
    EXPECT_EQ(e.GetStrValueFromGivenValueList("0:a|2:b", Variant("2")), "b");
    EXPECT_EQ(e.GetStrValueFromGivenValueList("0:a|2:b", Variant("x")), "");
    EXPECT_EQ(e.GetStrCommandErrorFromIndex(0xB5), "Busy");
    EXPECT_EQ(e.GetStrCommandErrorFromIndex(0xB0), "");
}

TEST(DataElementValueListTest, ByteArrayLookupUsesByteKDiv8) {
    clsDataElement e;
    e.bBitEncoding = true;
    e.ValueList = "0:First|9:Tenth|15:Last|16:Beyond";
    EXPECT_EQ(e.GetStrValueFromIdxListEx(Variant(std::vector<uint8_t>{0x01, 0x80})),
              "[x] First, [ ] Tenth, [x] Last");
    // Indexed as the array is: an array from 1 has no byte 0.
    EXPECT_EQ(e.GetStrValueFromIdxListEx(Variant(ByteArray{{0xFF}, 1})), "[x] Tenth, [x] Last");
    EXPECT_EQ(e.GetStrValueFromIdxListEx(Variant(int32_t{1})), "");
    e.bBitEncoding = false;
    e.ValueList = "1:One|2:Two";
    EXPECT_EQ(e.GetStrValueFromIdxListEx(Variant(std::vector<uint8_t>{0x02})), "Two");
    EXPECT_EQ(e.GetStrValueFromIdxListEx(Variant(std::vector<uint8_t>{0x01})), "One");
    EXPECT_EQ(e.GetStrValueFromIdxListEx(Variant(std::vector<uint8_t>{0x05})), "");
}

TEST(DataElementValueListTest, SetStrValueFromIdxListChangesOnlyTheNumberedEntry) {
    clsDataElement e;
    e.ValueList = "11:Eleven|1:One";
    e.SetStrValueFromIdxList(1, "Uno");
    EXPECT_EQ(e.ValueList.str(), "11:Eleven|1:Uno");
    e.ValueList = "1:On|2:On";
    e.SetStrValueFromIdxList(2, "Off");
    EXPECT_EQ(e.ValueList.str(), "1:On|2:Off");
    e.SetStrValueFromIdxList(7, "Seven");
    EXPECT_EQ(e.ValueList.str(), "1:On|2:Off");
}

TEST(DataElementValueListTest, ReplaceValueListEntriesGivesTheNoBitNumber) {
    struct Case {
        int32_t type;
        int32_t length;
        const char* list;
        const char* expected;
    };
    const Case cases[] = {
        {vtOctetString, 2, "0:A|none:None", "0:A|16:None"},
        {vtUnsigned8, 1, "0:A|none:None", "0:A|8:None"},
        {vtUnsigned16, 2, "none:none", "16:16"},
        {vtInteger16, 2, "none:X", "16:X"},
        {vtUnsigned24, 3, "none:X", "32:X"},
        {vtInteger24, 3, "none:X", "32:X"},
        {vtInteger32, 4, "none:X", "32:X"},
        {vtFloat, 4, "none:X", "none:X"},
        {vtUnsigned8, 1, "0:none", "0:none"},
        {vtUnsigned8, 1, "None:X", "None:X"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.list);
        clsDataElement e;
        e.SetValueType(c.type);
        e.SetValueTypeLength(c.length);
        e.ValueList = c.list;
        e.ReplaceValueListEntries();
        EXPECT_EQ(e.ValueList.str(), c.expected);
    }
}

TEST(DataElementValueListTest, GetValueListsFindsTheListOfAKey) {
    clsDataElement e;
    e.ValueLists = "1:{0:Linear|1:Equal}2:{0:Off}10:{5:Five}";
    EXPECT_EQ(e.GetValueLists("1"), "0:Linear|1:Equal");
    EXPECT_EQ(e.GetValueLists("2"), "0:Off");
    EXPECT_EQ(e.GetValueLists("10"), "5:Five");
    EXPECT_EQ(e.GetValueLists("3"), "");
    clsDataElement none;
    EXPECT_EQ(none.GetValueLists(""), "");
}

// --- parents ---

TEST(DataElementParentTest, TheParentIsTheRecordAboveThePath) {
    TestContext t;
    clsDataElement& record = t.Add("PHYS/DIAGNOSIS/", vtOctetString, 4);
    record.bBitEncoding = true;
    clsDataElement& bit = t.Add("PHYS/DIAGNOSIS/Bit0", vtUnsigned8, 1);
    clsDataElement& plain = t.Add("PHYS/TAG_DESC", vtVisibleString, 32);
    clsDataElement& top = t.Add("/Odd", vtUnsigned8, 1);
    EXPECT_EQ(bit.GetParentParameter(t.context.Parameters()), &record);
    EXPECT_TRUE(bit.IsBitListEntry(t.context));
    EXPECT_EQ(record.GetParentParameter(t.context.Parameters()), nullptr);  // no "PHYS/"
    EXPECT_FALSE(plain.IsBitListEntry(t.context));
    EXPECT_EQ(top.GetParentParameter(t.context.Parameters()), nullptr);
    t.Add("PHYS/", vtRecord);
    EXPECT_NE(record.GetParentParameter(t.context.Parameters()), nullptr);
}

// --- ranges and print orders ---

TEST(DataElementRangeTest, RangesGrowOnDemandAndShiftWhenRemoved) {
    clsDataElement e;
    EXPECT_FALSE(e.GetRange(0));
    e.SetRange(2, Variant(int32_t{0}), Variant(int32_t{10}));
    EXPECT_FALSE(e.GetRange(0));
    EXPECT_FALSE(e.GetRange(1));
    ASSERT_TRUE(e.GetRange(2));
    EXPECT_EQ(e.GetRange(2)->max.toLong(), 10);
    e.SetRange(0, Variant(), Variant(int32_t{5}));
    ASSERT_TRUE(e.GetRange(0));
    EXPECT_TRUE(e.GetRange(0)->min.isEmpty());
    e.SetRange(0, Variant(), Variant());  // removes range 0: range 2 moves to 1
    ASSERT_TRUE(e.GetRange(1));
    EXPECT_EQ(e.GetRange(1)->max.toLong(), 10);
    EXPECT_FALSE(e.GetRange(2));
    e.SetRange(-1, Variant(int32_t{1}), Variant(int32_t{2}));
    EXPECT_FALSE(e.GetRange(3));
}

TEST(DataElementRangeTest, PrintOrdersBehaveLikeRanges) {
    clsDataElement e;
    e.SetPrintOrder(1, Variant(int32_t{7}));
    EXPECT_TRUE(e.GetPrintOrder(0).isEmpty());
    EXPECT_EQ(e.GetPrintOrder(1).toLong(), 7);
    e.SetPrintOrder(0, Variant());  // removes order 0: order 1 moves to 0
    EXPECT_EQ(e.GetPrintOrder(0).toLong(), 7);
    EXPECT_TRUE(e.GetPrintOrder(5).isEmpty());
}

// --- typed values ---

TEST(DataElementTypedValueTest, ConvertsToTheTypeOrGivesNull) {
    struct Case {
        int32_t type;
        Variant in;
        VarType outType;
        double number;
    };
    const Case cases[] = {
        {vtUnsigned8, Variant("200"), VarType::Byte, 200},
        {vtUnsigned8, Variant("300"), VarType::Null, 0},
        {vtUnsigned16, Variant("65535"), VarType::Long, 65535},
        {vtInteger16, Variant("-12"), VarType::Integer, -12},
        {vtInteger16, Variant("40000"), VarType::Null, 0},
        {vtInteger32, Variant("abc"), VarType::Null, 0},
        {vtFloat, Variant("2.25"), VarType::Single, 2.25},
        {vtDouble, Variant(int32_t{3}), VarType::Double, 3},
        {vtByte, Variant("True"), VarType::Boolean, -1},
        {vtUnsigned32, Variant("4294967295"), VarType::Double, 4294967295.0},
        {vtRecord, Variant(int32_t{1}), VarType::Empty, 0},
        {99, Variant(int32_t{1}), VarType::Null, 0},
        {vtUnsigned8, Variant::Null(), VarType::Null, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        clsDataElement e;
        e.SetValueType(c.type);
        const Variant v = e.GetTypedValue(c.in);
        EXPECT_EQ(v.type(), c.outType);
        if (v.isNumber()) {
            EXPECT_EQ(v.number(), c.number);
        }
    }
    clsDataElement e;
    e.SetValueType(vtUnsigned8);
    EXPECT_TRUE(e.GetTypedValue(Variant()).isEmpty());
}

// A decimal holds -7.92281625142643E+28 .. 7.92281625142643E+28; beyond, as for every failed
// conversion, the result is Null.
TEST(DataElementTypedValueTest, DecimalsBeyondTheirRangeGiveNull) {
    clsDataElement e;
    e.SetValueType(vtDecimal);
    const Variant max = e.GetTypedValue(Variant(7.92281625142643E+28));
    EXPECT_EQ(max.type(), VarType::Decimal);
    EXPECT_EQ(max.number(), 7.92281625142643E+28);
    EXPECT_EQ(e.GetTypedValue(Variant(-7.92281625142643E+28)).type(), VarType::Decimal);
    EXPECT_EQ(e.GetTypedValue(Variant("12.5")).number(), 12.5);
    const std::vector<Variant> beyond = {Variant(7.9228162514265E+28),
                                         Variant(-7.9228162514265E+28),
                                         Variant(1e29),
                                         Variant(-1e300),
                                         Variant("8E+28"),
                                         Variant(std::numeric_limits<double>::infinity()),
                                         Variant(std::numeric_limits<double>::quiet_NaN())};
    for (size_t i = 0; i < beyond.size(); ++i)
        EXPECT_TRUE(e.GetTypedValue(beyond[i]).isNull()) << "case " << i;
}

TEST(DataElementTypedValueTest, FloatTextsWithAPointIgnoreTheLocale) {
    NumberLocale comma;
    comma.decimal = ',';
    comma.group = '.';
    clsDataElement e;
    e.SetValueType(vtFloat);
    EXPECT_EQ(e.GetTypedValue(Variant("1.5"), comma).number(), 1.5);
    EXPECT_EQ(e.GetTypedValue(Variant("1,5"), comma).number(), 1.5);
    EXPECT_EQ(e.GetTypedValue(Variant("1.5"), NumberLocale::Invariant()).number(), 1.5);
}

// What a row takes of a typed text: a whole, finite number that the type holds, or Null.
TEST(DataElementTypedValueTest, TypedInputIsWhollyAFiniteNumberOfTheType) {
    struct Case {
        int32_t type;
        const char* text;
        VarType outType;  // Null: refused
        double number;
    };
    const Case cases[] = {
        {vtFloat, "3,5", VarType::Single, 3.5},
        {vtFloat, "3.5", VarType::Single, 3.5},
        {vtFloat, "-1e3", VarType::Single, -1000},
        {vtFloat, "3.4e38", VarType::Single, 3.4e38f},
        // A number whose nearest single is finite is that single: the limits in their texts.
        {vtFloat, "3,4028235e38", VarType::Single, FLT_MAX},
        {vtFloat, "-3,4028235E+38", VarType::Single, -FLT_MAX},
        {vtFloat, "3,5e38", VarType::Null, 0},
        {vtFloat, "1e39", VarType::Null, 0},
        {vtFloat, "12.5abc", VarType::Null, 0},
        {vtFloat, "1.234", VarType::Null, 0},
        {vtFloat, "nan", VarType::Null, 0},
        {vtFloat, "inf", VarType::Null, 0},
        {vtDouble, "1e39", VarType::Double, 1e39},
        {vtDouble, "1e400", VarType::Null, 0},
        {vtDecimal, "8E+28", VarType::Null, 0},
        {vtUnsigned8, "255", VarType::Byte, 255},
        {vtUnsigned8, "256", VarType::Null, 0},
        {vtUnsigned8, "1,5", VarType::Null, 0},
        {vtUnsigned16, "5,0", VarType::Long, 5},
        {vtUnsigned16, "3.5", VarType::Null, 0},
        {vtUnsigned16, "1.000", VarType::Null, 0},
        {vtInteger16, "-12", VarType::Integer, -12},
        {vtInteger32, "&H10", VarType::Null, 0},
        {vtInteger32, "0x10", VarType::Null, 0},
        {vtInteger32, "--1", VarType::Null, 0},
        {vtUnsigned32, "4294967295", VarType::Double, 4294967295.0},
        {vtUnsigned32, "0,5", VarType::Null, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.type) + " " + c.text);
        clsDataElement e;
        e.SetValueType(c.type);
        const Variant v = e.GetTypedInput(Variant(c.text), NumberLocale{',', '.'});
        EXPECT_EQ(v.type(), c.outType);
        if (v.isNumber()) {
            EXPECT_EQ(v.number(), c.number);
        }
    }
    // Values that are no text, and types that are no numbers, convert as GetTypedValue does.
    clsDataElement e;
    e.SetValueType(vtFloat);
    EXPECT_EQ(e.GetTypedInput(Variant(2.5f), NumberLocale::Invariant()), Variant(2.5f));
    EXPECT_TRUE(e.GetTypedInput(Variant(), NumberLocale::Invariant()).isEmpty());
    e.SetValueType(vtVisibleString);
    EXPECT_EQ(e.GetTypedInput(Variant("1.234"), NumberLocale::Invariant()), Variant("1.234"));
    // An empty text is a text's value only: a number or a device's bytes get none from it.
    EXPECT_EQ(e.GetTypedInput(Variant(""), NumberLocale::Invariant()), Variant(""));
    for (const int32_t type : {vtOctetString, vtUnsigned8, vtFloat, vtByte, vtDateTime}) {
        e.SetValueType(type);
        EXPECT_TRUE(e.GetTypedInput(Variant(""), NumberLocale::Invariant()).isNull()) << type;
    }
}

TEST(DataElementTypedValueTest, OctetStringsTakeBytesOrHexText) {
    clsDataElement e;
    e.SetValueType(vtOctetString);
    const Variant bytes = e.GetTypedValue(Variant("01AB"));
    ASSERT_TRUE(bytes.isByteArray());
    EXPECT_EQ(bytes.bytes().bytes, (std::vector<uint8_t>{0x01, 0xAB}));
    EXPECT_TRUE(e.GetTypedValue(Variant("XY")).isNull());
    EXPECT_TRUE(e.GetTypedValue(Variant(std::vector<uint8_t>{5})).isByteArray());
}

// --- input check ---

TEST(DataElementInputCheckTest, FullRangesOfTheTypes) {
    struct Case {
        int32_t type;
        double value;
        int32_t flags;
    };
    const Case cases[] = {
        {vtUnsigned8, 255, 0},
        {vtUnsigned8, 300, 0x4000},
        {vtUnsigned8, -1, 0x4000},
        {vtUnsigned16, 65536, 0x4000},
        {vtUnsigned24, 16777215, 0},
        {vtUnsigned24, 16777216, 0x4000},
        {vtInteger16, -32768, 0},
        {vtInteger16, 32768, 0x4000},
        {vtInteger24, -8388608, 0},
        {vtInteger24, -8388609, 0x4000},
        {vtInteger32, 2147483647, 0},
        {vtInteger32, 2147483648.0, 0x4000},
        {vtFloat, 3.4e38, 0},
        {vtFloat, 3.5e38, 0x4000},
        // Every finite single, and every number that rounds to one, is within the type.
        {vtFloat, static_cast<float>(3.402823E+38), 0},
        {vtFloat, FLT_MAX, 0},
        {vtFloat, -FLT_MAX, 0},
        {vtFloat, 3.4028235e38, 0},
        {vtFloat, 3.40282357e38, 0x4000},
        {vtUnsigned32, 4294967295.0, 0},
        {vtUnsigned32, 4294967296.0, 0x4000},
        {vtByte, 1000, 0},
    };
    TestContext t;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.type) + " " + std::to_string(c.value));
        clsDataElement& e = t.Add("E" + std::to_string(c.type), c.type);
        EXPECT_EQ(e.CalcParamErrorFlags(t.context, Variant(c.value)), c.flags);
    }
}

// A typed bound becomes the single nearest to it (99.9 is 99.9000015): it lies within the range.
TEST(DataElementInputCheckTest, TheEndsOfASinglesRangeCanBeTyped) {
    struct Case {
        int32_t type;
        double min;
        double max;
        const char* typed;
        int32_t flags;
    };
    const Case cases[] = {
        {vtFloat, -20, 99.9, "99.9", 0},          {vtFloat, -20, 99.9, "-20", 0},
        {vtFloat, -20, 99.9, "99.90001", 0x4000}, {vtFloat, -20, 99.9, "-20.00001", 0x4000},
        {vtFloat, 0.01, 10, "0.01", 0},           {vtFloat, 0.01, 10, "0.00999", 0x4000},
        {vtDouble, 0.01, 10, "0.01", 0},          {vtDouble, 0.01, 10, "0.0099999999", 0x4000},
    };
    TestContext t;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.typed) + " in " + std::to_string(c.min) + ".." +
                     std::to_string(c.max));
        clsDataElement& e = t.Add("E" + std::to_string(c.type), c.type);
        e.SetRange(0, Variant(c.min), Variant(c.max));
        const Variant typed = e.GetTypedInput(Variant(c.typed), NumberLocale::Invariant());
        EXPECT_EQ(e.CalcParamErrorFlags(t.context, typed), c.flags);
    }
}

TEST(DataElementInputCheckTest, NullTextAndRecordRules) {
    TestContext t;
    clsDataElement& number = t.Add("N", vtUnsigned16);
    EXPECT_EQ(number.CalcParamErrorFlags(t.context, Variant::Null()), 0x2000);
    EXPECT_EQ(number.CalcParamErrorFlags(t.context, Variant("abc")), 0x2000);
    clsDataElement& record = t.Add("R/", vtRecord);
    EXPECT_EQ(record.CalcParamErrorFlags(t.context, Variant::Null()), 0);
    clsDataElement& octets = t.Add("O", vtOctetString, 2);
    EXPECT_EQ(octets.CalcParamErrorFlags(t.context, Variant("zz")), 0);
    clsDataElement& single = t.Add("F", vtFloat);
    single.SetRange(0, Variant(int32_t{0}), Variant(int32_t{1}));
    // A float that is no finite number is never sent: not a number, with or without ranges.
    EXPECT_EQ(
        single.CalcParamErrorFlags(t.context, Variant(std::numeric_limits<float>::quiet_NaN())),
        0x2000);
    EXPECT_EQ(t.Add("D", vtDouble)
                  .CalcParamErrorFlags(t.context, Variant(std::numeric_limits<double>::infinity())),
              0x2000);
}

TEST(DataElementInputCheckTest, RangesAreTriedUntilTheFirstMissingOne) {
    TestContext t;
    clsDataElement& e = t.Add("E", vtInteger16);
    e.SetRange(0, Variant(int32_t{0}), Variant(int32_t{10}));
    EXPECT_EQ(e.CalcParamErrorFlags(t.context, Variant(int32_t{11})), 0x4000);
    EXPECT_EQ(e.CalcParamErrorFlags(t.context, Variant(int32_t{10})), 0);
    e.SetRange(1, Variant(int32_t{20}), Variant());
    EXPECT_EQ(e.CalcParamErrorFlags(t.context, Variant(int32_t{25})), 0);
    EXPECT_EQ(e.CalcParamErrorFlags(t.context, Variant(int32_t{15})), 0x4000);
    clsDataElement& gap = t.Add("G", vtInteger16);
    gap.SetRange(2, Variant(int32_t{0}), Variant(int32_t{10}));
    EXPECT_EQ(gap.CalcParamErrorFlags(t.context, Variant(int32_t{11})), 0);
}

TEST(DataElementInputCheckTest, VisibleStringsCheckLengthAndCharacters) {
    TestContext t;
    clsDataElement& e = t.Add("T", vtVisibleString, 4);
    EXPECT_EQ(e.CalcParamErrorFlags(t.context, Variant("ABCD")), 0);
    EXPECT_EQ(e.CalcParamErrorFlags(t.context, Variant("ABCDE")), 0x5000);
    EXPECT_EQ(e.CalcParamErrorFlags(t.context, Variant("\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F")), 0);
    // A character without a Windows-1252 code cannot go on the wire.
    EXPECT_EQ(e.CalcParamErrorFlags(t.context, Variant("A\xCE\xA9")), 0x6000);
    // Control characters (U+0081 also stands for the undefined byte 0x81) go back only in the
    // text the device gave or the project stored.
    for (const char* control : {"A\xC2\x81", "A\tB", "\x01", "A\x7F", "A\n"}) {
        SCOPED_TRACE(control);
        const Variant read(control);
        e.SetDeviceValue(Variant());
        e.SetPersistentValue(Variant());
        EXPECT_EQ(e.CalcParamErrorFlags(t.context, read), 0x6000);
        e.SetDeviceValue(read);
        EXPECT_EQ(e.CalcParamErrorFlags(t.context, read), 0);
        EXPECT_EQ(e.CalcParamErrorFlags(t.context, Variant(std::string("B") + control)), 0x6000);
        e.SetDeviceValue(Variant());
        e.SetPersistentValue(read);
        EXPECT_EQ(e.CalcParamErrorFlags(t.context, read), 0);
    }
    e.SetRange(0, Variant(int32_t{0x41}), Variant(int32_t{0x5A}));
    e.SetRange(1, Variant(int32_t{0x30}), Variant(int32_t{0x39}));
    EXPECT_EQ(e.CalcParamErrorFlags(t.context, Variant("AZ09")), 0);
    EXPECT_EQ(e.CalcParamErrorFlags(t.context, Variant("Ab")), 0x6000);
}

TEST(DataElementInputCheckTest, ASingleRangeOfCharactersLimitsTheText) {
    // One range is as binding as several: every character must lie in it.
    TestContext t;
    clsDataElement& e = t.Add("T", vtVisibleString, 8);
    e.SetRange(0, Variant(int32_t{0x30}), Variant(int32_t{0x39}));  // digits only
    EXPECT_EQ(e.CalcParamErrorFlags(t.context, Variant("0129")), 0);
    EXPECT_EQ(e.CalcParamErrorFlags(t.context, Variant("12A")), 0x6000);
    EXPECT_EQ(e.CalcParamErrorFlags(t.context, Variant("/")), 0x6000);  // just below
    EXPECT_EQ(e.CalcParamErrorFlags(t.context, Variant(":")), 0x6000);  // just above
    EXPECT_EQ(e.CalcParamErrorFlags(t.context, Variant("")), 0);
    // An open bound limits one side only.
    e.SetRange(0, Variant(), Variant(int32_t{0x5A}));
    EXPECT_EQ(e.CalcParamErrorFlags(t.context, Variant("Z ")), 0);
    EXPECT_EQ(e.CalcParamErrorFlags(t.context, Variant("z")), 0x6000);
}

TEST(DataElementInputCheckTest, ValuesAreConvertedIntoTheUnitOfTheRanges) {
    TestContext t;
    clsDataElement& e = t.Add("Travel", vtFloat);
    e.nInitUnit = 1013;       // mm
    e.nTransientUnit = 1010;  // m
    e.SetRange(0, Variant(int32_t{0}), Variant(int32_t{100}));
    EXPECT_EQ(e.CalcParamErrorFlags(t.context, Variant(0.05)), 0);
    EXPECT_EQ(e.CalcParamErrorFlags(t.context, Variant(0.2)), 0x4000);
    e.nTransientUnit = 1998;  // unknown: unconverted
    EXPECT_EQ(e.CalcParamErrorFlags(t.context, Variant(0.2)), 0);
    EXPECT_EQ(e.CalcParamErrorFlags(t.context, Variant(200.0)), 0x4000);
    // Temperature with an offset: 0..100 °C as K.
    clsDataElement& temp = t.Add("Temp", vtFloat);
    temp.nInitUnit = 1001;
    temp.nTransientUnit = 1000;
    temp.SetRange(0, Variant(int32_t{0}), Variant(int32_t{100}));
    EXPECT_EQ(temp.CalcParamErrorFlags(t.context, Variant(300.0)), 0);
    EXPECT_EQ(temp.CalcParamErrorFlags(t.context, Variant(373.5)), 0x4000);
    // The full range of the type applies to the value as entered.
    clsDataElement& small = t.Add("Small", vtUnsigned8);
    small.nInitUnit = 1010;       // m
    small.nTransientUnit = 1013;  // mm
    EXPECT_EQ(small.CalcParamErrorFlags(t.context, Variant(int32_t{250})), 0);
    EXPECT_EQ(small.CalcParamErrorFlags(t.context, Variant(int32_t{256})), 0x4000);
}

// --- change check ---

TEST(DataElementChangeCheckTest, ComparesWithTheReferenceValueAndUnit) {
    TestContext t;
    clsDataElement& e = t.Add("E", vtFloat);
    e.InitialValue = Variant(1.0f);
    e.nInitUnit = 1342;
    e.nTransientUnit = 1342;
    EXPECT_EQ(e.CalcParamStatusFlags(t.context, Variant(int32_t{1})), 0);
    EXPECT_EQ(e.CalcParamStatusFlags(t.context, Variant(2.0f)), sfChanged);
    e.nTransientUnit = 1001;
    EXPECT_EQ(e.CalcParamStatusFlags(t.context, Variant(1.0f)), sfChanged);

    e.SetDeviceValue(Variant(5.0f));
    e.nDeviceUnit = 0;  // outside 1000..2000: any transient unit agrees
    EXPECT_EQ(e.CalcParamStatusFlags(t.context, Variant(5.0f)), 0);
    e.nDeviceUnit = 1342;
    EXPECT_EQ(e.CalcParamStatusFlags(t.context, Variant(5.0f)), sfChanged);
    e.nDeviceUnit = 1001;
    EXPECT_EQ(e.CalcParamStatusFlags(t.context, Variant(5.0f)), 0);
    // The unit codes run from 1000 to 2000, both bounds included: only a code in them has to
    // agree with the unit shown.
    const struct {
        int16_t deviceUnit;
        int32_t flags;
    } bounds[] = {{999, 0}, {1000, sfChanged}, {2000, sfChanged}, {2001, 0}};
    for (const auto& b : bounds) {
        e.nDeviceUnit = b.deviceUnit;
        EXPECT_EQ(e.CalcParamStatusFlags(t.context, Variant(5.0f)), b.flags) << b.deviceUnit;
    }
    e.nDeviceUnit = 1001;

    e.SetPersistentValue(Variant(7.0f));
    e.nPersistentUnit = 1001;
    EXPECT_EQ(e.CalcParamStatusFlags(t.context, Variant(7.0f)), 0);
    EXPECT_EQ(e.CalcParamStatusFlags(t.context, Variant(5.0f)), sfChanged);
    clsDataElement& record = t.Add("R/", vtRecord);
    EXPECT_EQ(record.CalcParamStatusFlags(t.context, Variant(int32_t{1})), 0);
}

// --- units ---

TEST(DataElementUnitTest, UnitTextsComeFromTheUnitTable) {
    TestContext t;
    clsDataElement& e = t.Add("E", vtFloat);
    EXPECT_EQ(e.UnitString(t.context), "");
    e.nTransientUnit = 1013;
    EXPECT_EQ(e.UnitString(t.context), "mm");
    e.nTransientUnit = 1380;
    EXPECT_EQ(e.UnitString(t.context), "#1380");
    e.nTransientUnit = 0;
    e.SetUnitString(t.context, "#1380");
    EXPECT_EQ(e.nTransientUnit, 1380);
    e.SetUnitString(t.context, "%");
    EXPECT_EQ(e.nTransientUnit, 1342);
    e.SetUnitString(t.context, "no such unit");
    EXPECT_EQ(e.nTransientUnit, 0);

    // A "#" number beyond 16 bits names no code: the try form answers none, the unit stays.
    EXPECT_EQ(e.TryUnitCode(t.context, "#1380"), std::optional<int16_t>(1380));
    EXPECT_EQ(e.TryUnitCode(t.context, "no such unit"), std::optional<int16_t>(0));
    for (const char* text : {"#40000", "#1e999"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(e.TryUnitCode(t.context, text), std::nullopt);
        EXPECT_THROW(e.SetUnitString(t.context, text), std::exception);
        EXPECT_EQ(e.nTransientUnit, 0);
    }
}

// --- life cycle and access ---

TEST(DataElementLifeTest, InitNewStartsFromTheInitialValue) {
    clsDataElement e;
    e.InitialValue = Variant(int32_t{4});
    e.SetDeviceValue(Variant(int32_t{1}));
    e.SetPersistentValue(Variant(int32_t{2}));
    e.nInitUnit = 1013;
    e.nConstantUnit = 1342;
    EXPECT_TRUE(e.InitNew());
    EXPECT_EQ(e.TransientValue().toLong(), 4);
    EXPECT_TRUE(e.DeviceValue().isEmpty());
    EXPECT_TRUE(e.PersistentValue().isEmpty());
    EXPECT_EQ(e.nInitUnit, 1342);
    EXPECT_EQ(e.nTransientUnit, 1342);
}

TEST(DataElementLifeTest, AccessFollowsModeValidityAndUserLevel) {
    TestContext t;  // user level 2
    clsDataElement& e = t.Add("E", vtUnsigned8);
    e.SetElementMode(emUpload | emDownload);
    e.RequiredUserLevel = 2;
    EXPECT_TRUE(e.IsUploadParam(t.context));
    EXPECT_TRUE(e.IsDownloadParam(t.context));
    EXPECT_FALSE(e.IsDeviceCommand(t.context));
    e.RequiredUserLevel = 3;
    EXPECT_FALSE(e.IsDownloadParam(t.context));
    e.RequiredUserLevel = 1;
    e.SetValidity(false);
    EXPECT_FALSE(e.IsDownloadParam(t.context));
    e.SetValidity(true);
    e.SetElementMode(emDownload | emDeviceCommand);
    EXPECT_FALSE(e.IsDownloadParam(t.context));
    EXPECT_TRUE(e.IsDeviceCommand(t.context));
    EXPECT_FALSE(e.IsUploadParam(t.context));
    e.RequiredUserLevel = 4;
    EXPECT_FALSE(e.IsDeviceCommand(t.context));
}

}  // namespace
}  // namespace kv
