#pragma once
// The runtime's byte buffer: the request or response data of one DP-V1 job with a current
// position and typed readers and writers.
//
// Layout of the accessors:
// - Integers are most significant byte first; the order flag (where an accessor takes one)
//   selects least significant byte first. A value outside the accessor's range throws.
// - ReadInt24 sign-extends bit 23; floats are IEEE 754 single precision, sign and exponent in
//   the first byte.
// - Visible strings, mode 1 (plain): the text in Windows-1252, padded with blanks to the given
//   length. A character without a Windows-1252 code, or a text longer than the length, throws.
// - Visible strings, mode 0 (packed): six bits per character, four characters in three bytes.
//   The characters 0x20..0x5F (blank, digits, punctuation, upper-case letters) have the codes
//   0..63 (character - 0x20); lower-case letters are written as upper case. The codes are
//   packed most significant bit first, so "ABCD" gives the bits 100001 100010 100011 100100
//   = 86 28 E4. A length of n bytes holds n * 8 / 6 characters (rounded down); the text is
//   padded with blanks (code 0) and any unused low bits of the last byte are 0.
// - Date, format 1 (seven bytes, the PROFIBUS Date form):
//     bytes 0-1  milliseconds within the minute (0..59999), most significant byte first
//     byte 2     minute (bits 0-5; bits 6-7 written 0, ignored when read)
//     byte 3     hour (bits 0-4; bits 5-7 written 0, ignored when read)
//     byte 4     day of month (bits 0-4), day of week 1 = Monday .. 7 = Sunday (bits 5-7,
//                ignored when read)
//     byte 5     month 1..12 (bits 0-5)
//     byte 6     year within the century 0..99 (bits 0-6): 0..49 are 2000..2049, 50..99 are
//                1950..1999
//   Dates outside 1950-01-01 .. 2049-12-31 and time fractions finer than a millisecond do not
//   fit; a date outside this range throws, the time is rounded to the millisecond. Reading a
//   field outside its range throws.
// Reading past the end throws ByteBufferError; writing past the end extends the data (a gap
// left by Seek is filled with zeros).

#include <cstdint>
#include <string>
#include <vector>

#include "platform/runtime/ITransaction.h"

namespace kv {

class ByteBuffer : public IByteBuffer {
  public:
    ByteBuffer() = default;
    explicit ByteBuffer(const ByteArray& data) { SetData(data); }

    void Seek(int32_t position) override;
    int32_t Position() const override { return pos_; }
    int32_t Length() const override { return static_cast<int32_t>(data_.size()); }
    ByteArray Data() const override { return ByteArray{data_, 0}; }
    void SetData(const ByteArray& data) override;

    void WriteBytes(const ByteArray& bytes, int32_t length) override;
    ByteArray ReadBytes(int32_t length) override;
    void WriteByte(uint8_t v) override;
    uint8_t ReadByte() override;
    void WriteUInt16(int32_t v, bool otherOrder) override;
    int32_t ReadUInt16(bool otherOrder) override;
    void WriteUInt24(int32_t v, bool otherOrder) override;
    int32_t ReadUInt24(bool otherOrder) override;
    void WriteInt16(int16_t v, bool otherOrder) override;
    int16_t ReadInt16(bool otherOrder) override;
    void WriteInt24(int32_t v) override;
    int32_t ReadInt24() override;
    void WriteInt32(int32_t v, bool otherOrder) override;
    int32_t ReadInt32(bool otherOrder) override;
    void WriteUInt32(double v, bool otherOrder) override;
    double ReadUInt32(bool otherOrder) override;
    void WriteFloat(float v) override;
    float ReadFloat() override;
    void WriteDate(double days, int32_t format) override;
    double ReadDate(int32_t format) override;
    void WriteString(const std::string& text, int32_t length, int32_t mode) override;
    std::string ReadString(int32_t length, int32_t mode) override;

    // The number of characters a packed text of 'length' bytes holds.
    static int32_t PackedCapacity(int32_t length);
    // Whether a Windows-1252 character has a packed form (lower-case letters as upper case).
    static bool HasPackedForm(uint8_t c);

  private:
    void Put(uint64_t value, int count, bool lsbFirst);
    uint64_t Take(int count, bool lsbFirst);
    void PutRaw(const uint8_t* p, size_t n);
    void Need(int32_t count) const;

    std::vector<uint8_t> data_;
    int32_t pos_ = 0;
};

}  // namespace kv
