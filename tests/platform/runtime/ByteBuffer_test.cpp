#include "platform/runtime/ByteBuffer.h"
#include "value/Date.h"

#include <gtest/gtest.h>

#include <functional>

namespace kv {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Written(const std::function<void(ByteBuffer&)>& write) {
    ByteBuffer b;
    write(b);
    return b.Data().bytes;
}

ByteBuffer Holding(Bytes bytes) {
    return ByteBuffer(ByteArray{std::move(bytes), 0});
}

struct IntegerCase {
    const char* name;
    std::function<void(ByteBuffer&)> write;
    std::function<double(ByteBuffer&)> read;
    Bytes bytes;
    double value;
};

TEST(ByteBufferTest, IntegersAndFloatsHaveTheirWireForm) {
    const std::vector<IntegerCase> cases = {
        {"u16",
         [](ByteBuffer& b) { b.WriteUInt16(0x1234, false); },
         [](ByteBuffer& b) { return b.ReadUInt16(false); },
         {0x12, 0x34},
         0x1234},
        {"u16 other order",
         [](ByteBuffer& b) { b.WriteUInt16(0x1234, true); },
         [](ByteBuffer& b) { return b.ReadUInt16(true); },
         {0x34, 0x12},
         0x1234},
        {"u24",
         [](ByteBuffer& b) { b.WriteUInt24(0x123456, false); },
         [](ByteBuffer& b) { return b.ReadUInt24(false); },
         {0x12, 0x34, 0x56},
         0x123456},
        {"u24 other order",
         [](ByteBuffer& b) { b.WriteUInt24(0x123456, true); },
         [](ByteBuffer& b) { return b.ReadUInt24(true); },
         {0x56, 0x34, 0x12},
         0x123456},
        {"i16",
         [](ByteBuffer& b) { b.WriteInt16(-2, false); },
         [](ByteBuffer& b) { return b.ReadInt16(false); },
         {0xFF, 0xFE},
         -2},
        {"i16 other order",
         [](ByteBuffer& b) { b.WriteInt16(-32768, true); },
         [](ByteBuffer& b) { return b.ReadInt16(true); },
         {0x00, 0x80},
         -32768},
        {"i24 min",
         [](ByteBuffer& b) { b.WriteInt24(-8388608); },
         [](ByteBuffer& b) { return b.ReadInt24(); },
         {0x80, 0x00, 0x00},
         -8388608},
        {"i32 other order",
         [](ByteBuffer& b) { b.WriteInt32(0x01020304, true); },
         [](ByteBuffer& b) { return b.ReadInt32(true); },
         {4, 3, 2, 1},
         0x01020304},
        {"u32 above 2^31",
         [](ByteBuffer& b) { b.WriteUInt32(3000000000.0, false); },
         [](ByteBuffer& b) { return b.ReadUInt32(false); },
         {0xB2, 0xD0, 0x5E, 0x00},
         3000000000.0},
        {"float -2.5",
         [](ByteBuffer& b) { b.WriteFloat(-2.5f); },
         [](ByteBuffer& b) { return b.ReadFloat(); },
         {0xC0, 0x20, 0x00, 0x00},
         -2.5},
    };
    for (const IntegerCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Written(c.write), c.bytes);
        ByteBuffer b = Holding(c.bytes);
        EXPECT_EQ(c.read(b), c.value);
        EXPECT_EQ(b.Position(), static_cast<int32_t>(c.bytes.size()));
    }
}

TEST(ByteBufferTest, ValuesOutsideTheirTypeDoNotFit) {
    ByteBuffer b;
    EXPECT_THROW(b.WriteUInt16(65536, false), ByteBufferError);
    EXPECT_THROW(b.WriteUInt16(-1, false), ByteBufferError);
    EXPECT_THROW(b.WriteUInt24(16777216, false), ByteBufferError);
    EXPECT_THROW(b.WriteInt24(8388608), ByteBufferError);
    EXPECT_THROW(b.WriteInt24(-8388609), ByteBufferError);
    EXPECT_THROW(b.WriteUInt32(4294967296.0, false), ByteBufferError);
    EXPECT_THROW(b.WriteUInt32(-1.0, false), ByteBufferError);
    EXPECT_EQ(b.Length(), 0);
}

TEST(ByteBufferTest, ReadingPastTheEndThrowsAndWritingExtends) {
    ByteBuffer b = Holding({1, 2, 3});
    b.Seek(2);
    EXPECT_THROW(b.ReadUInt16(false), ByteBufferError);
    EXPECT_THROW(b.ReadBytes(2), ByteBufferError);
    b.Seek(5);
    EXPECT_THROW(b.ReadByte(), ByteBufferError);
    b.WriteByte(9);
    EXPECT_EQ(b.Data().bytes, (Bytes{1, 2, 3, 0, 0, 9}));
    b.Seek(1);
    b.WriteUInt16(0xABCD, false);
    EXPECT_EQ(b.Data().bytes, (Bytes{1, 0xAB, 0xCD, 0, 0, 9}));
    EXPECT_THROW(b.Seek(-1), ByteBufferError);
}

TEST(ByteBufferTest, OctetStringsArePaddedButNeverCut) {
    EXPECT_EQ(Written([](ByteBuffer& b) {
                  b.WriteBytes(ByteArray{{1, 2}, 0}, 4);
              }),
              (Bytes{1, 2, 0, 0}));
    ByteBuffer b;
    EXPECT_THROW(b.WriteBytes(ByteArray{{1, 2, 3}, 0}, 2), ByteBufferError);
}

TEST(ByteBufferTest, PlainStringsAreWindows1252PaddedWithBlanks) {
    EXPECT_EQ(Written([](ByteBuffer& b) { b.WriteString("AB", 4, 1); }),
              (Bytes{'A', 'B', ' ', ' '}));
    EXPECT_EQ(Written([](ByteBuffer& b) { b.WriteString("\xC3\xA9\xE2\x82\xAC", 2, 1); }),
              (Bytes{0xE9, 0x80}));  // é €
    ByteBuffer b;
    EXPECT_THROW(b.WriteString("ABCDE", 4, 1), ByteBufferError);
    EXPECT_THROW(b.WriteString("\xCE\xA9", 4, 1), ByteBufferError);  // Ω has no code
    ByteBuffer r = Holding({'A', 0xE9, ' ', 0});
    EXPECT_EQ(r.ReadString(4, 1), std::string("A\xC3\xA9 \0", 5));
}

TEST(ByteBufferTest, PackedStringsHoldFourCharactersInThreeBytes) {
    EXPECT_EQ(Written([](ByteBuffer& b) { b.WriteString("ABCD", 3, 0); }),
              (Bytes{0x86, 0x28, 0xE4}));
    EXPECT_EQ(Written([](ByteBuffer& b) { b.WriteString("abcd", 3, 0); }),
              (Bytes{0x86, 0x28, 0xE4}));
    EXPECT_EQ(Written([](ByteBuffer& b) { b.WriteString("AB", 3, 0); }), (Bytes{0x86, 0x20, 0x00}));
    // "0?" = codes 16 and 31: 010000 011111, padding.
    EXPECT_EQ(Written([](ByteBuffer& b) { b.WriteString("0?", 2, 0); }), (Bytes{0x41, 0xF0}));
    ByteBuffer b;
    EXPECT_THROW(b.WriteString("ABCDE", 3, 0), ByteBufferError);
    EXPECT_THROW(b.WriteString("A~", 3, 0), ByteBufferError);
    ByteBuffer r = Holding({0x86, 0x28, 0xE4, 0x86, 0x20, 0x00});
    EXPECT_EQ(r.ReadString(6, 0), "ABCDAB  ");
    ByteBuffer r2 = Holding({0x41, 0xF0});
    EXPECT_EQ(r2.ReadString(2, 0), "0?");
}

TEST(ByteBufferTest, DateFormat1IsTheSevenBytePROFIBUSDate) {
    const double newYear = DateSerial(2024, 1, 1);  // a Monday
    EXPECT_EQ(Written([&](ByteBuffer& b) { b.WriteDate(newYear, 1); }),
              (Bytes{0x00, 0x00, 0x00, 0x00, 0x21, 0x01, 0x18}));
    // 1999-12-31 (a Friday) 23:59:59.5
    const double lastSecond = DateSerial(1999, 12, 31) + (86399.5 / 86400.0);
    const Bytes wire{0xE8, 0x6C, 0x3B, 0x17, 0xBF, 0x0C, 0x63};
    EXPECT_EQ(Written([&](ByteBuffer& b) { b.WriteDate(lastSecond, 1); }), wire);
    ByteBuffer r = Holding(wire);
    EXPECT_NEAR(r.ReadDate(1), lastSecond, 1e-9);
    // Flag bits of minute and hour and the weekday do not change the date.
    ByteBuffer flagged = Holding({0x00, 0x00, 0x80, 0x80, 0x01, 0x01, 0x18});
    EXPECT_EQ(flagged.ReadDate(1), newYear);
}

TEST(ByteBufferTest, DatesOutsideTheCenturyWindowOrFieldsOutOfRangeAreRejected) {
    ByteBuffer b;
    EXPECT_THROW(b.WriteDate(DateSerial(1949, 12, 31), 1), ByteBufferError);
    EXPECT_THROW(b.WriteDate(DateSerial(2050, 1, 1), 1), ByteBufferError);
    EXPECT_NO_THROW(b.WriteDate(DateSerial(1950, 1, 1), 1));
    ByteBuffer month13 = Holding({0, 0, 0, 0, 1, 13, 24});
    EXPECT_THROW(month13.ReadDate(1), ByteBufferError);
    ByteBuffer feb30 = Holding({0, 0, 0, 0, 30, 2, 24});
    EXPECT_THROW(feb30.ReadDate(1), ByteBufferError);
    ByteBuffer ms60000 = Holding({0xEA, 0x60, 0, 0, 1, 1, 24});
    EXPECT_THROW(ms60000.ReadDate(1), ByteBufferError);
    ByteBuffer shortDate = Holding({0, 0, 0, 0, 1, 1});
    EXPECT_THROW(shortDate.ReadDate(1), ByteBufferError);
}

}  // namespace
}  // namespace kv
