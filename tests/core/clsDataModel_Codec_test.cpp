#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/clsDataElement.h"
#include "core/clsDataModel.h"
#include "platform/runtime/Transaction.h"
#include "support/FakeDataSet.h"
#include "value/Date.h"

namespace kv {
namespace {

using Bytes = std::vector<uint8_t>;
using test_support::TestContext;

constexpr int16_t kSlot = 1;
constexpr int16_t kIndex = 20;

class CodecTest : public ::testing::Test {
  protected:
    clsDataElement& Add(const std::string& name, int32_t type, int32_t length, int16_t position,
                        int32_t mode = emUpload | emDownload) {
        clsDataElement& e = t.Add(name, type, length);
        e.Slot = kSlot;
        e.index = kIndex;
        e.DataPosition = position;
        e.SetElementMode(mode);
        return e;
    }

    // Builds a write request; nullopt when the model refuses it.
    std::optional<Bytes> Write(clsDataElement& e) {
        Transaction job;
        if (!t.Model().BuildTransactionRequest(t.context, job, true, e))
            return std::nullopt;
        return job.Data().bytes;
    }

    // Hands a read response for the element's address to the model.
    bool Respond(clsDataElement& e, Bytes data, Bytes errorInfo = {}, bool isWrite = false) {
        Transaction job;
        EXPECT_TRUE(t.Model().BuildTransactionRequest(t.context, job, false, e));
        job.SetData(ByteArray{std::move(data), 0});
        job.SetErrorInfo(ByteArray{std::move(errorInfo), 0});
        return t.Model().ReadTransactionResponse(t.context, job, isWrite, e);
    }

    TestContext t;
};

// --- values on the wire, one group per value type ---

struct WireCase {
    const char* name;
    int32_t type;
    int32_t length;
    bool rawOrder;
    Bytes wire;
    Variant value;
};

std::vector<WireCase> WireCases() {
    return {
        {"octets reversed", vtOctetString, 3, false, {1, 2, 3}, Variant(Bytes{3, 2, 1})},
        {"octets raw", vtOctetString, 3, true, {1, 2, 3}, Variant(Bytes{1, 2, 3})},
        {"u8", vtUnsigned8, 1, false, {0xA5}, Variant(uint8_t{0xA5})},
        {"u16", vtUnsigned16, 2, false, {0x12, 0x34}, Variant(int32_t{0x1234})},
        {"u16 other order", vtUnsigned16, 2, true, {0x12, 0x34}, Variant(int32_t{0x3412})},
        {"u16 max", vtUnsigned16, 2, false, {0xFF, 0xFF}, Variant(int32_t{65535})},
        {"u24", vtUnsigned24, 3, false, {0x12, 0x34, 0x56}, Variant(int32_t{0x123456})},
        {"u24 other order", vtUnsigned24, 3, true, {0x12, 0x34, 0x56}, Variant(int32_t{0x563412})},
        {"i16", vtInteger16, 2, false, {0xFF, 0xFE}, Variant(int16_t{-2})},
        {"i16 other order", vtInteger16, 2, true, {0xFE, 0xFF}, Variant(int16_t{-2})},
        {"i24 -1", vtInteger24, 3, false, {0xFF, 0xFF, 0xFF}, Variant(int32_t{-1})},
        {"i24 min", vtInteger24, 3, false, {0x80, 0x00, 0x00}, Variant(int32_t{-8388608})},
        {"i24 max", vtInteger24, 3, false, {0x7F, 0xFF, 0xFF}, Variant(int32_t{8388607})},
        {"i32 min", vtInteger32, 4, false, {0x80, 0, 0, 0}, Variant(int32_t{INT32_MIN})},
        {"i32 max", vtInteger32, 4, false, {0x7F, 0xFF, 0xFF, 0xFF}, Variant(int32_t{INT32_MAX})},
        {"i32 other order", vtInteger32, 4, true, {1, 0, 0, 0}, Variant(int32_t{1})},
        {"float", vtFloat, 4, false, {0x3F, 0x80, 0, 0}, Variant(1.0f)},
        {"float negative", vtFloat, 4, false, {0xC0, 0x20, 0, 0}, Variant(-2.5f)},
        {"byte", vtByte, 1, false, {0x01}, Variant(uint8_t{1})},
        {"date",
         vtDateTime,
         7,
         false,
         {0, 0, 0, 0, 0x21, 0x01, 0x18},
         Variant::FromDate(DateSerial(2024, 1, 1))},
        {"text", vtVisibleString, 4, false, {'A', 'B', ' ', ' '}, Variant("AB")},
        {"u32 above 2^31", vtUnsigned32, 4, false, {0x80, 0, 0, 0}, Variant(2147483648.0)},
        {"u32 max", vtUnsigned32, 4, false, {0xFF, 0xFF, 0xFF, 0xFF}, Variant(4294967295.0)},
        {"u32 other order", vtUnsigned32, 4, true, {0, 0, 0, 0x80}, Variant(2147483648.0)},
    };
}

TEST_F(CodecTest, DecodesEveryTypeIntoItsDeviceValue) {
    for (const WireCase& c : WireCases()) {
        SCOPED_TRACE(c.name);
        clsDataElement& e = Add(std::string("D/") + c.name, c.type, c.length, 1);
        e.RawByteOrder = c.rawOrder;
        Bytes data{0xEE};  // the element starts at position 1
        data.insert(data.end(), c.wire.begin(), c.wire.end());
        ASSERT_TRUE(Respond(e, data));
        EXPECT_EQ(e.DeviceValue().type(), c.value.type());
        EXPECT_TRUE(e.DeviceValue() == c.value) << e.DeviceValue().toString();
        EXPECT_TRUE(e.TransientValue() == c.value);
        EXPECT_EQ(e.StatusFlags() & sfDpv1ErrorMask, 0);
    }
}

TEST_F(CodecTest, EncodesEveryTypeAtItsPosition) {
    for (const WireCase& c : WireCases()) {
        SCOPED_TRACE(c.name);
        clsDataElement& e = Add(std::string("E/") + c.name, c.type, c.length, 2);
        e.RawByteOrder = c.rawOrder;
        e.SetTransientValue(c.value);
        Bytes expected{0, 0};
        expected.insert(expected.end(), c.wire.begin(), c.wire.end());
        EXPECT_EQ(Write(e), expected);
    }
}

TEST_F(CodecTest, Type12IsDecodedButNeverEncoded) {
    clsDataElement& e = Add("T12", vtType12, 7, 0);
    ASSERT_TRUE(Respond(e, {0, 0, 0, 0, 0x21, 0x01, 0x18}));
    EXPECT_EQ(e.DeviceValue().toDate(), DateSerial(2024, 1, 1));
    EXPECT_EQ(Write(e), std::nullopt);
}

TEST_F(CodecTest, ValuesOutsideTheirTypeFailTheRequest) {
    // A value that its element refuses as input is marked with that input error; one that only
    // the wire cannot take is refused without a mark.
    struct Case {
        int32_t type;
        int32_t length;
        Variant value;
        int32_t mark;
    };
    const Case cases[] = {
        {vtUnsigned16, 2, Variant(int32_t{65536}), 0x4000},
        {vtUnsigned24, 3, Variant(int32_t{-1}), 0x4000},
        {vtInteger16, 2, Variant(int32_t{32768}), 0x4000},
        {vtInteger24, 3, Variant(int32_t{8388608}), 0x4000},
        {vtInteger24, 3, Variant(int32_t{-8388609}), 0x4000},
        {vtUnsigned32, 4, Variant(4294967296.0), 0x4000},
        {vtUnsigned32, 4, Variant(-1.0), 0x4000},
        {vtUnsigned8, 1, Variant(int32_t{256}), 0x4000},
        {vtInteger32, 4, Variant("abc"), 0x2000},
        {vtFloat, 4, Variant(1e300), 0x4000},
        {vtFloat, 4, Variant(std::numeric_limits<float>::quiet_NaN()), 0x2000},
        {vtFloat, 4, Variant(-std::numeric_limits<float>::infinity()), 0x2000},
        {vtOctetString, 2, Variant(Bytes{1, 2, 3}), 0},
        {vtVisibleString, 3, Variant("ABCD"), 0x5000},
        {vtVisibleString, 4, Variant("A\xCE\xA9"), 0x6000},  // no Windows-1252 code
        {vtDouble, 8, Variant(1.0), 0},  // no codec: nothing may be left out of the data
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(n);
        clsDataElement& e = Add("X" + std::to_string(n++), c.type, c.length, 0);
        e.SetTransientValue(c.value);
        Transaction job;
        EXPECT_FALSE(t.Model().BuildTransactionRequest(t.context, job, true, e));
        EXPECT_TRUE(job.Data().bytes.empty());
        EXPECT_EQ(e.StatusFlags() & sfInputErrorMask, c.mark);
    }
}

TEST_F(CodecTest, ARefusedMemberMarksItselfAndStopsItsRecord) {
    clsDataElement& record = Add("R/", vtRecord, 0, -1);
    clsDataElement& first = Add("R/A", vtUnsigned8, 1, 0);
    clsDataElement& second = Add("R/B", vtVisibleString, 2, 1);
    first.SetTransientValue(Variant(uint8_t{1}));
    second.SetTransientValue(Variant("\xCE\xA9"));
    EXPECT_EQ(Write(record), std::nullopt);
    EXPECT_EQ(first.StatusFlags() & sfInputErrorMask, 0);
    EXPECT_EQ(second.StatusFlags() & sfInputErrorMask, 0x6000);
    EXPECT_FALSE(t.context.Diagnostics().Empty());
}

TEST_F(CodecTest, Signed24And32BitEdgesOnTheWire) {
    clsDataElement& i24 = Add("I24", vtInteger24, 3, 0);
    i24.SetTransientValue(Variant(int32_t{-8388608}));
    EXPECT_EQ(Write(i24), (Bytes{0x80, 0x00, 0x00}));
    ASSERT_TRUE(Respond(i24, {0x80, 0x00, 0x01}));
    EXPECT_EQ(i24.DeviceValue().toLong(), -8388607);
    clsDataElement& u24 = Add("U24", vtUnsigned24, 3, 0);
    ASSERT_TRUE(Respond(u24, {0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(u24.DeviceValue().toLong(), 16777215);
    clsDataElement& i32 = Add("I32", vtInteger32, 4, 0);
    ASSERT_TRUE(Respond(i32, {0xFF, 0xFF, 0xFF, 0xFE}));
    EXPECT_EQ(i32.DeviceValue().toLong(), -2);
}

TEST_F(CodecTest, StringsLoseTrailingBlanksBeforeNulsAreRemoved) {
    clsDataElement& e = Add("S", vtVisibleString, 7, 0);
    ASSERT_TRUE(Respond(e, {'A', 'B', 'C', ' ', ' ', 0, 0}));
    EXPECT_EQ(e.DeviceValue().str(), "ABC  ");
    ASSERT_TRUE(Respond(e, {'A', 0, 'B', ' ', ' ', ' ', ' '}));
    EXPECT_EQ(e.DeviceValue().str(), "AB");
    ASSERT_TRUE(Respond(e, {0xC4, 'r', 'g', 'e', 'r', ' ', ' '}));
    EXPECT_EQ(e.DeviceValue().str(), "\xC3\x84rger");
}

TEST_F(CodecTest, PackedStringsUseThreeQuartersOfTheLength) {
    clsDataElement& e = Add("P", vtVisibleString, 4, 0);
    e.bPackedCoding = true;
    e.SetTransientValue(Variant("abcd"));
    EXPECT_EQ(Write(e), (Bytes{0x86, 0x28, 0xE4}));
    ASSERT_TRUE(Respond(e, {0x86, 0x20, 0x00}));
    EXPECT_EQ(e.DeviceValue().str(), "AB");
}

// Three quarters of the length, rounded half to even, are the bytes; four characters take three
// bytes. Length 6: 4 bytes, 5 characters; 7: 5 bytes, 6 characters; 3: 2 bytes, 2 characters.
TEST_F(CodecTest, PackedStringsAcceptExactlyWhatTheirBytesHold) {
    struct Case {
        int32_t length;
        size_t characters;
    };
    const Case cases[] = {{1, 1}, {2, 2}, {3, 2},   {4, 4},   {5, 5},   {6, 5},
                          {7, 6}, {8, 8}, {11, 10}, {14, 13}, {16, 16}, {32, 32}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        clsDataElement& e = Add("P" + std::to_string(c.length), vtVisibleString, c.length, 0);
        e.bPackedCoding = true;
        const std::string fits(c.characters, 'K');
        EXPECT_EQ(e.CalcParamErrorFlags(t.context, Variant(fits)), 0);
        e.SetTransientValue(Variant(fits));
        EXPECT_TRUE(Write(e).has_value());
        const std::string tooLong = fits + "K";
        EXPECT_EQ(e.CalcParamErrorFlags(t.context, Variant(tooLong)), 0x5000);
        e.SetTransientValue(Variant(tooLong));
        EXPECT_FALSE(Write(e).has_value());
    }
}

TEST_F(CodecTest, PackedStringsAcceptOnlyCharactersWithAPackedForm) {
    clsDataElement& e = Add("P", vtVisibleString, 8, 0);
    e.bPackedCoding = true;
    for (const char* text : {"AZ 09_?", "lower", "[@]^"}) {
        EXPECT_EQ(e.CalcParamErrorFlags(t.context, Variant(text)), 0) << text;
        e.SetTransientValue(Variant(text));
        EXPECT_TRUE(Write(e).has_value()) << text;
    }
    for (const char* text : {"A~", "{}", "\x60", "Ã"}) {
        EXPECT_EQ(e.CalcParamErrorFlags(t.context, Variant(text)), 0x6000) << text;
        e.SetTransientValue(Variant(text));
        EXPECT_FALSE(Write(e).has_value()) << text;
    }
}

// Without RawByteOrder the place is reversed on the wire; a shorter value fills it from its
// first byte and reads back at the same positions, the rest zero.
TEST_F(CodecTest, AShortOctetStringReadsBackAsWritten) {
    clsDataElement& reversed = Add("O", vtOctetString, 4, 0);
    reversed.SetTransientValue(Variant(Bytes{1, 2}));
    const std::optional<Bytes> wire = Write(reversed);
    EXPECT_EQ(wire, (Bytes{0, 0, 2, 1}));
    ASSERT_TRUE(Respond(reversed, *wire));
    EXPECT_EQ(reversed.DeviceValue().bytes().bytes, (Bytes{1, 2, 0, 0}));

    clsDataElement& raw = Add("R", vtOctetString, 4, 0);
    raw.RawByteOrder = true;
    raw.SetTransientValue(Variant(Bytes{1, 2}));
    EXPECT_EQ(Write(raw), (Bytes{1, 2, 0, 0}));
    ASSERT_TRUE(Respond(raw, {1, 2, 0, 0}));
    EXPECT_EQ(raw.DeviceValue().bytes().bytes, (Bytes{1, 2, 0, 0}));
}

TEST_F(CodecTest, BytesTheCodePageLeavesUndefinedGoBackUnchanged) {
    clsDataElement& e = Add("S", vtVisibleString, 8, 0);
    const Bytes wire{'A', 0x81, 0x8D, 0x8F, 0x90, 0x9D, 'B', ' '};
    ASSERT_TRUE(Respond(e, wire));
    EXPECT_EQ(e.DeviceValue(), Variant("A\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D"
                                       "B"));
    EXPECT_EQ(Write(e), wire);
    // Only the text as the device gave it holds such a byte.
    e.SetTransientValue(Variant("\xC2\x81"));
    EXPECT_EQ(Write(e), std::nullopt);
}

// --- records ---

TEST_F(CodecTest, MaskedBitFieldsShareOneByteInEitherOrder) {
    for (bool lowFirst : {true, false}) {
        SCOPED_TRACE(lowFirst);
        const std::string path = lowFirst ? "A/" : "B/";
        t.dataSet->changed.clear();
        clsDataElement& record = Add(path, vtRecord, -1, -1);
        clsDataElement& one = Add(path + "One", vtUnsigned8, 1, 0);
        clsDataElement& two = Add(path + "Two", vtUnsigned8, 1, 0);
        clsDataElement& low = lowFirst ? one : two;
        clsDataElement& high = lowFirst ? two : one;
        low.AccessMask = 0x0F;
        low.SetTransientValue(Variant(uint8_t{3}));
        high.AccessMask = 0xF0;
        high.SetTransientValue(Variant(uint8_t{5}));
        EXPECT_EQ(Write(record), (Bytes{0x53}));

        ASSERT_TRUE(Respond(record, {0xA7}));
        EXPECT_EQ(low.DeviceValue().toLong(), 7);
        EXPECT_EQ(high.DeviceValue().toLong(), 10);
        EXPECT_TRUE(record.DeviceValue().isEmpty());
        EXPECT_EQ(record.StatusFlags(), 0);
        EXPECT_EQ(t.dataSet->changed, (std::vector<std::string>{path + "One", path + "Two"}));
    }
}

TEST_F(CodecTest, BitFieldsWiderThanTheirMaskFailTheRequest) {
    Add("R/", vtRecord, -1, -1);
    clsDataElement& e = Add("R/Top", vtUnsigned8, 1, 0);
    e.AccessMask = 0xC0;
    e.SetTransientValue(Variant(uint8_t{3}));
    EXPECT_EQ(Write(e), (Bytes{0xC0}));
    e.SetTransientValue(Variant(uint8_t{7}));  // 7 << 6 does not fit a byte
    EXPECT_EQ(Write(e), std::nullopt);
    e.AccessMask = 0x0C;
    e.SetTransientValue(Variant(uint8_t{3}));
    EXPECT_EQ(Write(e), (Bytes{0x0C}));
    e.SetTransientValue(Variant(uint8_t{4}));  // 4 << 2 fits a byte but not the mask
    EXPECT_EQ(Write(e), std::nullopt);
}

TEST_F(CodecTest, ARecordWithAnOctetStringOfItsOwnDecodesItAndItsBits) {
    clsDataElement& diag = Add("PHYS/DIAGNOSIS/", vtOctetString, 4, 0);
    diag.RawByteOrder = true;
    diag.bBitEncoding = true;
    clsDataElement& b0 = Add("PHYS/DIAGNOSIS/Bit0", vtUnsigned8, 1, 0);
    b0.AccessMask = 0x01;
    clsDataElement& b9 = Add("PHYS/DIAGNOSIS/Bit9", vtUnsigned8, 1, 1);
    b9.AccessMask = 0x02;
    ASSERT_TRUE(Respond(diag, {0x01, 0x02, 0x00, 0x80}));
    EXPECT_TRUE(diag.DeviceValue() == Variant(Bytes{0x01, 0x02, 0x00, 0x80}));
    EXPECT_EQ(b0.DeviceValue().toLong(), 1);
    EXPECT_EQ(b9.DeviceValue().toLong(), 1);
    EXPECT_EQ(t.dataSet->changed,
              (std::vector<std::string>{"PHYS/DIAGNOSIS/", "PHYS/DIAGNOSIS/Bit0",
                                        "PHYS/DIAGNOSIS/Bit9"}));
    // Written the same way: the record's bytes, then its members' bits over them.
    diag.SetTransientValue(Variant(Bytes{0x00, 0x00, 0x10, 0x00}));
    b0.SetTransientValue(Variant(uint8_t{1}));
    b9.SetTransientValue(Variant(uint8_t{1}));
    EXPECT_EQ(Write(diag), (Bytes{0x01, 0x02, 0x10, 0x00}));
    // A short response fails the record and each member, also those whose byte it holds.
    EXPECT_FALSE(Respond(diag, {0x01}));
    EXPECT_EQ(diag.StatusFlags() & sfDpv1ErrorMask, 0x500000);
    EXPECT_EQ(b0.StatusFlags() & sfDpv1ErrorMask, 0x500000);
    EXPECT_EQ(b9.StatusFlags() & sfDpv1ErrorMask, 0x500000);
}

// A read is taken whole or not at all: data cut short or longer than the record's bytes leave
// every member's values as they were, mark each with the decode error and fail the job.
TEST_F(CodecTest, AReadOfAnyOtherLengthThanTheRecordsIsNotTaken) {
    clsDataElement& record = Add("R/", vtRecord, -1, -1);
    clsDataElement& number = Add("R/N", vtUnsigned16, 2, 0);
    clsDataElement& byte = Add("R/B", vtUnsigned8, 1, 2);
    ASSERT_TRUE(Respond(record, {0x00, 0x07, 0x03}));
    struct Case {
        const char* name;
        Bytes data;
    };
    const Case cases[] = {
        {"empty", {}},
        {"one byte short", {0x00, 0x09}},
        {"one byte long", {0x00, 0x09, 0x04, 0x00}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        t.dataSet->changed.clear();
        EXPECT_FALSE(Respond(record, c.data));
        EXPECT_EQ(number.DeviceValue().toLong(), 7);
        EXPECT_EQ(number.TransientValue().toLong(), 7);
        EXPECT_EQ(byte.DeviceValue().toLong(), 3);
        EXPECT_EQ(number.StatusFlags(), 0x500000);
        EXPECT_EQ(byte.StatusFlags(), 0x500000);
        EXPECT_EQ(t.dataSet->changed, (std::vector<std::string>{"R/N", "R/B"}));
    }
    // The plain element the same way.
    clsDataElement& plain = Add("P", vtUnsigned16, 2, 0);
    ASSERT_TRUE(Respond(plain, {0x00, 0x05}));
    EXPECT_FALSE(Respond(plain, {0x00, 0x06, 0x00}));
    EXPECT_EQ(plain.DeviceValue().toLong(), 5);
    EXPECT_EQ(plain.StatusFlags(), 0x500000);
    // The right length is taken and clears the error.
    ASSERT_TRUE(Respond(record, {0x00, 0x08, 0x05}));
    EXPECT_EQ(number.DeviceValue().toLong(), 8);
    EXPECT_EQ(byte.DeviceValue().toLong(), 5);
    EXPECT_EQ(number.StatusFlags(), 0);
}

TEST_F(CodecTest, MembersTakeTheRecordsErrorText) {
    clsDataElement& record = Add("R/", vtRecord, -1, -1);
    record.CmdErrList = "179:Type conflict";
    clsDataElement& m = Add("R/M", vtUnsigned16, 2, 0);
    m.SetStatusFlag(sfNeeded | 0x400000);
    ASSERT_TRUE(Respond(record, {}, {0x80, 0xB3, 0x00}));
    EXPECT_EQ(record.CmdErr, "Type conflict");
    EXPECT_EQ(m.CmdErr, "Type conflict");
    EXPECT_EQ(m.StatusFlags(), 0x500000);
    EXPECT_EQ(record.StatusFlags(), 0);  // a record of type 0 gets no decode error
}

// --- addresses ---

TEST_F(CodecTest, SlotAndIndexMustBeBytes) {
    struct Case {
        int16_t slot;
        int16_t index;
        bool ok;
    };
    const Case cases[] = {{0, 0, true},   {255, 255, true}, {256, 0, false},
                          {-1, 0, false}, {0, 256, false},  {0, -1, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.slot) + "/" + std::to_string(c.index));
        clsDataElement e;
        e.SetValueType(vtUnsigned8);
        e.Slot = c.slot;
        e.index = c.index;
        Transaction job;
        EXPECT_EQ(t.Model().BuildTransactionRequest(t.context, job, false, e), c.ok);
        if (c.ok) {
            EXPECT_EQ(job.Slot().type(), VarType::Byte);
            EXPECT_EQ(job.Slot().toLong(), c.slot);
            EXPECT_EQ(job.Index().toLong(), c.index);
        } else {
            EXPECT_TRUE(job.Slot().isEmpty());
            EXPECT_TRUE(job.Index().isEmpty());
        }
    }
}

TEST_F(CodecTest, AResponseForAnotherAddressChangesNothing) {
    clsDataElement& e = Add("E", vtUnsigned8, 1, 0);
    e.SetStatusFlag(sfNeeded);
    Transaction job;
    job.SetSlot(Variant(uint8_t{kSlot}));
    job.SetIndex(Variant(uint8_t{kIndex + 1}));
    job.SetData(ByteArray{{7}, 0});
    EXPECT_FALSE(t.Model().ReadTransactionResponse(t.context, job, false, e));
    job.SetSlot(Variant());
    job.SetIndex(Variant(uint8_t{kIndex}));
    EXPECT_FALSE(t.Model().ReadTransactionResponse(t.context, job, false, e));
    EXPECT_TRUE(e.DeviceValue().isEmpty());
    EXPECT_EQ(e.StatusFlags(), sfNeeded);
    EXPECT_TRUE(t.dataSet->changed.empty());
}

// --- status after a response ---

TEST_F(CodecTest, AShortResponseIsADecodeErrorUnlessAClassIsSet) {
    clsDataElement& e = Add("E", vtInteger32, 4, 0);
    e.SetDeviceValue(Variant(int32_t{9}));
    EXPECT_FALSE(Respond(e, {1, 2}));  // the job fails
    EXPECT_EQ(e.StatusFlags(), 0x500000);
    EXPECT_EQ(e.DeviceValue().toLong(), 9);
    ASSERT_TRUE(Respond(e, {1, 2}, {0x80, 0xB0, 0x00}));
    EXPECT_EQ(e.StatusFlags(), 0x800000);
    ASSERT_TRUE(Respond(e, {0, 0, 0, 5}));
    EXPECT_EQ(e.StatusFlags(), 0);
    EXPECT_EQ(e.DeviceValue().toLong(), 5);
}

TEST_F(CodecTest, EveryResponseClearsNeededAndThePreviousClass) {
    clsDataElement& e = Add("E", vtUnsigned8, 1, 0);
    e.SetStatusFlag(sfNeeded | 0x900000 | sfWriteProtected | sfReadPending);
    ASSERT_TRUE(Respond(e, {4}));
    EXPECT_EQ(e.StatusFlags(), sfWriteProtected | sfReadPending);
    EXPECT_TRUE(e.Validity());
}

TEST_F(CodecTest, AnInvalidFloatKeepsEveryValue) {
    for (Bytes wire : {Bytes{0x7F, 0xFF, 0xFF, 0xFF}, Bytes{0xFF, 0xFF, 0xFF, 0xFF}}) {
        clsDataElement& e = Add("F" + std::to_string(wire[0]), vtFloat, 4, 0);
        e.SetDeviceValue(Variant(1.0f));
        e.SetTransientValue(Variant(2.0f));
        e.SetPersistentValue(Variant(3.0f));
        e.SetStatusFlag(0x900000 | sfNeeded);
        ASSERT_TRUE(Respond(e, wire));
        EXPECT_EQ(e.DeviceValue().number(), 1.0);
        EXPECT_EQ(e.TransientValue().number(), 2.0);
        EXPECT_EQ(e.PersistentValue().number(), 3.0);
        EXPECT_EQ(e.StatusFlags(), 0);
    }
    // Other patterns with all-ones are ordinary floats (7F 80 00 00 is +infinity).
    clsDataElement& g = Add("G", vtFloat, 4, 0);
    ASSERT_TRUE(Respond(g, {0x7F, 0xFF, 0xFF, 0xFE}));
    EXPECT_TRUE(std::isnan(g.DeviceValue().number()));
}

TEST_F(CodecTest, AValueEditedOnlineIsKeptUnlessTheOnlineModeIs1) {
    clsDataElement& e = Add("E", vtUnsigned16, 2, 0);
    e.SetTransientValue(Variant(int32_t{7}));
    e.SetPersistentValue(Variant(int32_t{6}));
    e.SetStatusFlag(sfEditedOnline);
    ASSERT_TRUE(Respond(e, {0, 9}));
    EXPECT_EQ(e.DeviceValue().toLong(), 9);
    EXPECT_EQ(e.TransientValue().toLong(), 7);
    EXPECT_TRUE(e.PersistentValue().isEmpty());
    EXPECT_EQ(e.StatusFlags() & sfEditedOnline, sfEditedOnline);
    t.online->mode = 1;  // an upload runs: the device's value replaces the edit, which ends
    ASSERT_TRUE(Respond(e, {0, 10}));
    EXPECT_EQ(e.TransientValue().toLong(), 10);
    EXPECT_EQ(e.StatusFlags() & sfEditedOnline, 0);
}

TEST_F(CodecTest, OnlyASuccessfulWriteClearsEditedOnline) {
    clsDataElement& e = Add("E", vtUnsigned8, 1, 0, emDownload);
    e.SetStatusFlag(sfEditedOnline);
    ASSERT_TRUE(Respond(e, {}, {0x80, 0xB6, 0x00}, true));
    EXPECT_EQ(e.StatusFlags(), sfEditedOnline | 0x300000);
    ASSERT_TRUE(Respond(e, {}, {}, true));
    EXPECT_EQ(e.StatusFlags(), 0);
    EXPECT_EQ(t.dataSet->changed, (std::vector<std::string>{"E", "E"}));
}

// A write the device refused stays on the element, with its text, through reads that only show
// the device: the project's value is still not written. A write taken, or a read that takes the
// device's value, ends it; a watching read that fails shows its own error meanwhile.
TEST_F(CodecTest, ARefusedWriteOutlastsReadsThatOnlyShowTheDevice) {
    clsDataElement& e = Add("E", vtUnsigned8, 1, 0);
    e.CmdErrList = "176:Invalid index|182:Write protected";
    struct Step {
        const char* name;
        bool isWrite;
        bool deviceOnly;
        Bytes errorInfo;
        int32_t flags;
        const char* text;  // nullptr: no error, whose text is not shown
    };
    const Step steps[] = {
        {"refused write", true, false, {0x80, 0xB6, 0x00}, 0x300000, "Write protected"},
        {"watching read", false, true, {}, 0x300000, "Write protected"},
        {"failed watching read", false, true, {0x80, 0xB0, 0x00}, 0x800000, "Invalid index"},
        {"watching read again", false, true, {}, 0x300000, "Write protected"},
        {"read that takes the value", false, false, {}, 0, nullptr},
        {"watching read after it", false, true, {}, 0, nullptr},
        {"refused write again", true, false, {0x80, 0xB6, 0x00}, 0x300000, "Write protected"},
        {"write taken", true, false, {}, 0, nullptr},
        {"watching read after that", false, true, {}, 0, nullptr},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.name);
        t.comm->deviceOnly = s.deviceOnly;
        ASSERT_TRUE(Respond(e, s.isWrite ? Bytes{} : Bytes{4}, s.errorInfo, s.isWrite));
        EXPECT_EQ(e.StatusFlags(), s.flags);
        if (s.text != nullptr) {
            EXPECT_EQ(e.CmdErr, s.text);
        }
    }
}

// --- DP-V1 errors ---

TEST_F(CodecTest, ErrorCodesMapToTheirClass) {
    struct Row {
        uint8_t code;
        int32_t cls;
    };
    const Row rows[] = {
        {0x00, 0},        {0xA0, 0x900000}, {0xA1, 0x900000}, {0xA2, 0x900000}, {0xA8, 0x900000},
        {0xA9, 0x900000}, {0xB0, 0x800000}, {0xB2, 0x800000}, {0xB1, 0x500000}, {0xB3, 0x500000},
        {0xB4, 0x400000}, {0xB7, 0x400000}, {0xB8, 0x400000}, {0xB9, 0x400000}, {0xB5, 0x200000},
        {0xC2, 0x200000}, {0xB6, 0x300000}, {0xC0, 0x600000}, {0xC1, 0x600000}, {0xC3, 0xA00000},
        {0xA3, 0xF00000}, {0xBA, 0xF00000}, {0xFF, 0xF00000},
    };
    clsDataElement& tag = t.Add("~/Tag", vtVisibleString, 32);
    tag.CmdErrList = "176:Invalid index|182:Access denied";
    clsDataElement& e = Add("E", vtUnsigned8, 1, 0);
    e.CmdErrList = "182:Locked by the local operation";
    for (const Row& r : rows) {
        SCOPED_TRACE(static_cast<int>(r.code));
        t.Model().RetryCounter = 0;
        ASSERT_TRUE(Respond(e, {1}, {0x80, r.code, 0x00}));
        EXPECT_EQ(e.StatusFlags() & sfDpv1ErrorMask, r.cls);
    }
    ASSERT_TRUE(Respond(e, {1}, {0x80, 0xB6, 0x00}));
    EXPECT_EQ(e.CmdErr, "Locked by the local operation");
    ASSERT_TRUE(Respond(e, {1}, {0x80, 0xB0, 0x00}));
    EXPECT_EQ(e.CmdErr, "Invalid index");
    ASSERT_TRUE(Respond(e, {1}, {0x80, 0xA0, 0x00}));
    EXPECT_EQ(e.CmdErr, "");
    e.CmdErr = "old";
    ASSERT_TRUE(Respond(e, {1}, {0x80}));  // no code: the text stays
    EXPECT_EQ(e.CmdErr, "old");
    ASSERT_TRUE(Respond(e, {1}, {0x00, 0x00, 0x00}));
    EXPECT_EQ(e.CmdErr, "");
}

TEST_F(CodecTest, ABusyDeviceIsAskedSixTimesThenGivenUp) {
    clsDataElement& e = Add("E", vtUnsigned8, 1, 0);
    for (int i = 1; i <= 7; ++i) {
        ASSERT_TRUE(Respond(e, {}, {0x80, 0xB5, 0x00}));
        EXPECT_EQ(t.comm->repeats.size(), static_cast<size_t>(std::min(i, 6)));
        EXPECT_EQ(t.Model().RetryCounter, i <= 6 ? i : 0);
    }
    ASSERT_TRUE(Respond(e, {}, {0x80, 0xC2, 0x00}));
    EXPECT_EQ(t.comm->repeats.size(), 7u);
    ASSERT_TRUE(Respond(e, {}, {0x80, 0xB6, 0x00}));  // access denied keeps the count
    EXPECT_EQ(t.Model().RetryCounter, 1);
    ASSERT_TRUE(Respond(e, {}, {0x80, 0xC3, 0x00}));
    EXPECT_EQ(t.Model().RetryCounter, 1);
    ASSERT_TRUE(Respond(e, {}, {0x80, 0xB0, 0x00}));  // invalid index resets it
    EXPECT_EQ(t.Model().RetryCounter, 0);
    ASSERT_TRUE(Respond(e, {}, {0x80, 0xB5, 0x00}));
    ASSERT_TRUE(Respond(e, {7}));  // no error information: the count stays
    EXPECT_EQ(t.Model().RetryCounter, 1);
    ASSERT_TRUE(Respond(e, {7}, {0x00, 0x00, 0x00}));  // error code 0 resets it
    EXPECT_EQ(t.Model().RetryCounter, 0);
    EXPECT_TRUE(t.comm->readBacks.empty());
}

TEST_F(CodecTest, AConfirmedWriteOfAReadableElementIsReadBack) {
    struct Case {
        int32_t mode;
        Bytes errorInfo;
        bool readBack;
    };
    const Case cases[] = {
        {emUpload | emDownload, {}, true},
        {emUpload | emDownload, {0x00, 0x00, 0x00}, true},
        {emUpload | emDownload, {0x00, 0x00, 0x00, 0x00}, false},
        {emUpload | emDownload, {0x80, 0xB6, 0x00}, false},
        {emDownload, {}, false},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(n);
        clsDataElement& e = Add("W" + std::to_string(n++), vtUnsigned8, 1, 0, c.mode);
        t.comm->readBacks.clear();
        ASSERT_TRUE(Respond(e, {}, c.errorInfo, true));
        EXPECT_EQ(t.comm->readBacks.size(), c.readBack ? 1u : 0u);
    }
    // A read never asks for a read-back.
    clsDataElement& r = Add("R", vtUnsigned8, 1, 0);
    t.comm->readBacks.clear();
    ASSERT_TRUE(Respond(r, {1}));
    EXPECT_TRUE(t.comm->readBacks.empty());
}

}  // namespace
}  // namespace kv
