#include "platform/runtime/ByteBuffer.h"
#include "value/Date.h"
#include "value/NumberText.h"
#include "value/Text.h"

#include <cmath>
#include <cstring>

namespace kv {

namespace {

constexpr int64_t kMsPerDay = 86400000;

[[noreturn]] void DoesNotFit(const std::string& what) {
    throw ByteBufferError(what + " does not fit its place in the data");
}

void CheckRange(int64_t v, int64_t lo, int64_t hi, const char* what) {
    if (v < lo || v > hi) {
        DoesNotFit(std::string(what) + " value " + std::to_string(v));
    }
}

}  // namespace

void ByteBuffer::Seek(int32_t position) {
    if (position < 0) {
        throw ByteBufferError("negative position " + std::to_string(position));
    }
    pos_ = position;
}

void ByteBuffer::SetData(const ByteArray& data) {
    data_ = data.bytes;
    pos_ = 0;
}

void ByteBuffer::Need(int32_t count) const {
    if (count < 0 || static_cast<int64_t>(pos_) + count > static_cast<int64_t>(data_.size())) {
        throw ByteBufferError("the data end before position " + std::to_string(pos_ + count) +
                              " (length " + std::to_string(data_.size()) + ")");
    }
}

void ByteBuffer::PutRaw(const uint8_t* p, size_t n) {
    const size_t end = static_cast<size_t>(pos_) + n;
    if (data_.size() < end) {
        data_.resize(end, 0);
    }
    if (n > 0) {
        std::memcpy(data_.data() + pos_, p, n);
    }
    pos_ = static_cast<int32_t>(end);
}

void ByteBuffer::Put(uint64_t value, int count, bool lsbFirst) {
    uint8_t b[8];
    for (int i = 0; i < count; ++i) {
        const int shift = lsbFirst ? 8 * i : 8 * (count - 1 - i);
        b[i] = static_cast<uint8_t>(value >> shift);
    }
    PutRaw(b, static_cast<size_t>(count));
}

uint64_t ByteBuffer::Take(int count, bool lsbFirst) {
    Need(count);
    uint64_t v = 0;
    for (int i = 0; i < count; ++i) {
        const uint64_t b = data_[static_cast<size_t>(pos_) + i];
        const int shift = lsbFirst ? 8 * i : 8 * (count - 1 - i);
        v |= b << shift;
    }
    pos_ += count;
    return v;
}

void ByteBuffer::WriteBytes(const ByteArray& bytes, int32_t length) {
    if (length < 0) {
        PutRaw(bytes.bytes.data(), bytes.bytes.size());
        return;
    }
    if (bytes.bytes.size() > static_cast<size_t>(length)) {
        DoesNotFit("octet string of " + std::to_string(bytes.bytes.size()) + " bytes");
    }
    std::vector<uint8_t> out(static_cast<size_t>(length), 0);
    std::copy(bytes.bytes.begin(), bytes.bytes.end(), out.begin());
    PutRaw(out.data(), out.size());
}

ByteArray ByteBuffer::ReadBytes(int32_t length) {
    Need(length);
    ByteArray a;
    a.bytes.assign(data_.begin() + pos_, data_.begin() + pos_ + length);
    pos_ += length;
    return a;
}

void ByteBuffer::WriteByte(uint8_t v) {
    Put(v, 1, false);
}
uint8_t ByteBuffer::ReadByte() {
    return static_cast<uint8_t>(Take(1, false));
}

void ByteBuffer::WriteUInt16(int32_t v, bool otherOrder) {
    CheckRange(v, 0, 0xFFFF, "unsigned 16-bit");
    Put(static_cast<uint64_t>(v), 2, otherOrder);
}
int32_t ByteBuffer::ReadUInt16(bool otherOrder) {
    return static_cast<int32_t>(Take(2, otherOrder));
}

void ByteBuffer::WriteUInt24(int32_t v, bool otherOrder) {
    CheckRange(v, 0, 0xFFFFFF, "unsigned 24-bit");
    Put(static_cast<uint64_t>(v), 3, otherOrder);
}
int32_t ByteBuffer::ReadUInt24(bool otherOrder) {
    return static_cast<int32_t>(Take(3, otherOrder));
}

void ByteBuffer::WriteInt16(int16_t v, bool otherOrder) {
    Put(static_cast<uint16_t>(v), 2, otherOrder);
}
int16_t ByteBuffer::ReadInt16(bool otherOrder) {
    return static_cast<int16_t>(static_cast<uint16_t>(Take(2, otherOrder)));
}

void ByteBuffer::WriteInt24(int32_t v) {
    CheckRange(v, -0x800000, 0x7FFFFF, "signed 24-bit");
    Put(static_cast<uint32_t>(v) & 0xFFFFFFu, 3, false);
}
int32_t ByteBuffer::ReadInt24() {
    auto raw = static_cast<int32_t>(Take(3, false));
    return (raw & 0x800000) != 0 ? raw - 0x1000000 : raw;
}

void ByteBuffer::WriteInt32(int32_t v, bool otherOrder) {
    Put(static_cast<uint32_t>(v), 4, otherOrder);
}
int32_t ByteBuffer::ReadInt32(bool otherOrder) {
    return static_cast<int32_t>(static_cast<uint32_t>(Take(4, otherOrder)));
}

void ByteBuffer::WriteUInt32(double v, bool otherOrder) {
    if (!std::isfinite(v)) {
        DoesNotFit("unsigned 32-bit value");
    }
    const double r = RoundHalfEven(v);
    if (r < 0 || r > 4294967295.0) {
        DoesNotFit("unsigned 32-bit value " + std::to_string(r));
    }
    Put(static_cast<uint64_t>(r), 4, otherOrder);
}
double ByteBuffer::ReadUInt32(bool otherOrder) {
    return static_cast<double>(Take(4, otherOrder));
}

void ByteBuffer::WriteFloat(float v) {
    uint32_t bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    Put(bits, 4, false);
}
float ByteBuffer::ReadFloat() {
    const auto bits = static_cast<uint32_t>(Take(4, false));
    float v = 0;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

void ByteBuffer::WriteDate(double days, int32_t format) {
    if (format != 1) {
        throw ByteBufferError("unknown date format " + std::to_string(format));
    }
    if (!std::isfinite(days) || days < DateSerial(1950, 1, 1) || days >= DateSerial(2050, 1, 1)) {
        DoesNotFit("date");
    }
    auto whole = static_cast<int64_t>(std::floor(days));
    auto ms = static_cast<int64_t>(std::llround((days - static_cast<double>(whole)) * kMsPerDay));
    if (ms >= kMsPerDay) {
        ms -= kMsPerDay;
        ++whole;
        if (static_cast<double>(whole) >= DateSerial(2050, 1, 1)) {
            DoesNotFit("date");
        }
    }
    const DateParts p = SplitDate(static_cast<double>(whole));
    // Day 0 (1899-12-30) was a Saturday; 1 = Monday .. 7 = Sunday.
    const int weekday = static_cast<int>(((whole % 7) + 7 + 5) % 7) + 1;
    const auto minuteOfDay = static_cast<int>(ms / 60000);
    const auto msInMinute = static_cast<int>(ms % 60000);
    Put(static_cast<uint64_t>(msInMinute), 2, false);
    WriteByte(static_cast<uint8_t>(minuteOfDay % 60));
    WriteByte(static_cast<uint8_t>(minuteOfDay / 60));
    WriteByte(static_cast<uint8_t>(p.day | (weekday << 5)));
    WriteByte(static_cast<uint8_t>(p.month));
    WriteByte(static_cast<uint8_t>(p.year % 100));
}

double ByteBuffer::ReadDate(int32_t format) {
    if (format != 1) {
        throw ByteBufferError("unknown date format " + std::to_string(format));
    }
    Need(7);
    const auto ms = static_cast<int32_t>(Take(2, false));
    const int minute = ReadByte() & 0x3F;
    const int hour = ReadByte() & 0x1F;
    const int day = ReadByte() & 0x1F;
    const int month = ReadByte() & 0x3F;
    const int year = ReadByte() & 0x7F;
    if (ms > 59999 || minute > 59 || hour > 23 || day < 1 || month < 1 || month > 12 || year > 99) {
        throw ByteBufferError("the data hold no valid date");
    }
    const int fullYear = year < 50 ? 2000 + year : 1900 + year;
    const double date = DateSerial(fullYear, month, day);
    if (SplitDate(date).month != month) {
        throw ByteBufferError("the data hold no valid date");
    }
    const int64_t msOfDay = (static_cast<int64_t>(hour) * 60 + minute) * 60000 + ms;
    return date + static_cast<double>(msOfDay) / static_cast<double>(kMsPerDay);
}

void ByteBuffer::WriteString(const std::string& text, int32_t length, int32_t mode) {
    bool ok = true;
    std::string ansi = Utf8ToCp1252(text, &ok);
    if (!ok) {
        throw ByteBufferError("the text holds a character without a Windows-1252 code");
    }
    if (mode != 0) {
        if (length >= 0) {
            if (ansi.size() > static_cast<size_t>(length)) {
                DoesNotFit("text of " + std::to_string(ansi.size()) + " characters");
            }
            ansi.resize(static_cast<size_t>(length), ' ');
        }
        PutRaw(reinterpret_cast<const uint8_t*>(ansi.data()), ansi.size());
        return;
    }
    if (length < 0) {
        throw ByteBufferError("a packed text needs a length");
    }
    if (ansi.size() > static_cast<size_t>(PackedCapacity(length))) {
        DoesNotFit("packed text of " + std::to_string(ansi.size()) + " characters");
    }
    std::vector<uint8_t> out(static_cast<size_t>(length), 0);
    for (size_t i = 0; i < ansi.size(); ++i) {
        int c = static_cast<unsigned char>(ansi[i]);
        if (!HasPackedForm(static_cast<uint8_t>(c))) {
            throw ByteBufferError("the character code " + std::to_string(c) +
                                  " has no packed form");
        }
        if (c >= 'a' && c <= 'z') {
            c -= 'a' - 'A';
        }
        const unsigned code = static_cast<unsigned>(c - 0x20);
        for (int bit = 0; bit < 6; ++bit) {
            if ((code >> (5 - bit)) & 1u) {
                const size_t at = i * 6 + static_cast<size_t>(bit);
                out[at / 8] = static_cast<uint8_t>(out[at / 8] | (0x80u >> (at % 8)));
            }
        }
    }
    PutRaw(out.data(), out.size());
}

int32_t ByteBuffer::PackedCapacity(int32_t length) {
    return length > 0 ? static_cast<int32_t>(static_cast<int64_t>(length) * 8 / 6) : 0;
}

bool ByteBuffer::HasPackedForm(uint8_t c) {
    return (c >= 0x20 && c <= 0x5F) || (c >= 'a' && c <= 'z');
}

std::string ByteBuffer::ReadString(int32_t length, int32_t mode) {
    if (length < 0) {
        length = Length() - pos_;
    }
    const ByteArray raw = ReadBytes(length);
    if (mode != 0) {
        return Cp1252ToUtf8(std::string(raw.bytes.begin(), raw.bytes.end()));
    }
    const size_t count = raw.bytes.size() * 8 / 6;
    std::string text;
    text.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        unsigned code = 0;
        for (int bit = 0; bit < 6; ++bit) {
            const size_t at = i * 6 + static_cast<size_t>(bit);
            code = (code << 1) | ((raw.bytes[at / 8] >> (7 - at % 8)) & 1u);
        }
        text.push_back(static_cast<char>(0x20 + code));
    }
    return text;
}

}  // namespace kv
