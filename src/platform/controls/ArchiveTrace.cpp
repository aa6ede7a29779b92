#include "platform/controls/ArchiveTrace.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

namespace kv {

namespace {

constexpr uint8_t kFormat = 1;
// Flag bits of the binary form beyond those of the sample.
constexpr uint8_t kUnitFollows = 0x4;
constexpr uint8_t kDoubleValue = 0x8;
constexpr uint8_t kKnownFlags =
    ArchiveSample::kValid | ArchiveSample::kStartsRecording | kUnitFollows | kDoubleValue;
// The smallest step the sample array grows by, and the share of its size it grows by at least.
constexpr size_t kMinGrowth = 256;
constexpr size_t kGrowthDivisor = 8;

void PutVarint(std::vector<uint8_t>& out, uint64_t v) {
    while (v >= 0x80) {
        out.push_back(static_cast<uint8_t>(v | 0x80));
        v >>= 7;
    }
    out.push_back(static_cast<uint8_t>(v));
}

uint64_t ZigZag(int64_t v) {
    return (static_cast<uint64_t>(v) << 1) ^ static_cast<uint64_t>(v >> 63);
}

int64_t UnZigZag(uint64_t v) {
    return static_cast<int64_t>(v >> 1) ^ -static_cast<int64_t>(v & 1);
}

template <class T>
void PutLittleEndian(std::vector<uint8_t>& out, T value) {
    const auto bits = std::bit_cast<std::conditional_t<sizeof(T) == 4, uint32_t, uint64_t>>(value);
    for (size_t i = 0; i < sizeof(T); ++i)
        out.push_back(static_cast<uint8_t>(bits >> (8 * i)));
}

// Reads the binary form; every read checks the bounds and names what is wrong.
class Reader {
  public:
    explicit Reader(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}

    bool AtEnd() const { return pos_ == bytes_.size(); }
    size_t Position() const { return pos_; }
    size_t Left() const { return bytes_.size() - pos_; }

    bool Byte(uint8_t& v) {
        if (pos_ >= bytes_.size())
            return false;
        v = bytes_[pos_++];
        return true;
    }
    bool Varint(uint64_t& v) {
        v = 0;
        for (int shift = 0; shift < 64; shift += 7) {
            uint8_t b = 0;
            if (!Byte(b))
                return false;
            if (shift == 63 && b > 1)
                return false;  // more than 64 bits
            v |= static_cast<uint64_t>(b & 0x7F) << shift;
            if ((b & 0x80) == 0)
                return true;
        }
        return false;
    }
    template <class T>
    bool LittleEndian(T& v) {
        using Bits = std::conditional_t<sizeof(T) == 4, uint32_t, uint64_t>;
        if (Left() < sizeof(T))
            return false;
        Bits bits = 0;
        for (size_t i = 0; i < sizeof(T); ++i)
            bits |= static_cast<Bits>(bytes_[pos_ + i]) << (8 * i);
        pos_ += sizeof(T);
        v = std::bit_cast<T>(bits);
        return true;
    }
    bool Text(size_t length, std::string& text) {
        if (Left() < length)
            return false;
        text.assign(reinterpret_cast<const char*>(bytes_.data() + pos_), length);
        pos_ += length;
        return true;
    }

  private:
    const std::vector<uint8_t>& bytes_;
    size_t pos_ = 0;
};

bool FitsInt16(int64_t v) {
    return v >= std::numeric_limits<int16_t>::min() && v <= std::numeric_limits<int16_t>::max();
}

}  // namespace

void ArchiveTrace::Append(ArchiveSample sample) {
    if (!std::isfinite(sample.value))
        sample.flags &= static_cast<uint8_t>(~ArchiveSample::kValid);
    if (!sample.Valid())
        sample.value = 0.0;
    sample.flags &= ArchiveSample::kValid | ArchiveSample::kStartsRecording;
    if (!samples_.empty())
        sample.timeMs = std::max(sample.timeMs, Newest().timeMs);
    if (samples_.size() < kCapacity) {
        if (samples_.size() == samples_.capacity())
            Grow();
        samples_.push_back(sample);
        return;
    }
    samples_[head_] = sample;
    head_ = (head_ + 1) % samples_.size();
}

void ArchiveTrace::Grow() {
    // Small steps keep the unused part of the array below an eighth of the samples.
    const size_t size = samples_.size();
    samples_.reserve(std::min(kCapacity, size + std::max(kMinGrowth, size / kGrowthDivisor)));
}

void ArchiveTrace::Clear() {
    samples_.clear();
    samples_.shrink_to_fit();
    head_ = 0;
    unitTexts_.clear();
}

size_t ArchiveTrace::LowerBound(int64_t t) const {
    size_t lo = 0, hi = samples_.size();
    while (lo < hi) {
        const size_t mid = lo + (hi - lo) / 2;
        if (At(mid).timeMs < t)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

std::optional<size_t> ArchiveTrace::AtOrBefore(int64_t t) const {
    if (t == std::numeric_limits<int64_t>::max())
        return samples_.empty() ? std::nullopt : std::optional<size_t>(samples_.size() - 1);
    const size_t after = LowerBound(t + 1);
    if (after == 0)
        return std::nullopt;
    return after - 1;
}

std::vector<ArchiveRun> ArchiveTrace::Runs(size_t first, size_t last) const {
    std::vector<ArchiveRun> runs;
    if (samples_.empty() || first > last)
        return runs;
    last = std::min(last, samples_.size() - 1);
    bool open = false;
    for (size_t i = first; i <= last; ++i) {
        const ArchiveSample& s = At(i);
        if (!s.Valid()) {
            open = false;
            continue;
        }
        if (open && (s.StartsRecording() || s.unitCode != At(runs.back().last).unitCode))
            open = false;
        if (open) {
            runs.back().last = i;
        } else {
            runs.push_back({i, i});
            open = true;
        }
    }
    return runs;
}

const std::string* ArchiveTrace::UnitText(int16_t code) const {
    for (const auto& [c, text] : unitTexts_) {
        if (c == code)
            return &text;
    }
    return nullptr;
}

void ArchiveTrace::SetUnitText(int16_t code, const std::string& text) {
    for (auto& [c, t] : unitTexts_) {
        if (c == code) {
            t = text;
            return;
        }
    }
    unitTexts_.emplace_back(code, text);
}

std::vector<uint8_t> ArchiveTrace::Encode() const {
    std::vector<uint8_t> out;
    out.reserve(16 + samples_.size() * 7);
    out.push_back(kFormat);
    PutVarint(out, samples_.size());
    int16_t unit = 0;
    int64_t time = 0;
    for (size_t i = 0; i < samples_.size(); ++i) {
        const ArchiveSample& s = At(i);
        uint8_t flags = s.flags & (ArchiveSample::kValid | ArchiveSample::kStartsRecording);
        if (s.unitCode != unit)
            flags |= kUnitFollows;
        const bool asSingle =
            static_cast<double>(static_cast<float>(s.value)) == s.value || !s.Valid();
        if (s.Valid() && !asSingle)
            flags |= kDoubleValue;
        out.push_back(flags);
        if (i == 0)
            PutLittleEndian(out, s.timeMs);
        else
            PutVarint(out, static_cast<uint64_t>(s.timeMs - time));
        time = s.timeMs;
        if (flags & kUnitFollows) {
            PutVarint(out, ZigZag(s.unitCode));
            unit = s.unitCode;
        }
        if (s.Valid()) {
            if (asSingle)
                PutLittleEndian(out, static_cast<float>(s.value));
            else
                PutLittleEndian(out, s.value);
        }
    }
    PutVarint(out, unitTexts_.size());
    for (const auto& [code, text] : unitTexts_) {
        PutVarint(out, ZigZag(code));
        PutVarint(out, text.size());
        out.insert(out.end(), text.begin(), text.end());
    }
    return out;
}

bool ArchiveTrace::Decode(const std::vector<uint8_t>& bytes, std::string& error) {
    Reader in(bytes);
    auto fail = [&](const std::string& what) {
        error = what + " (at byte " + std::to_string(in.Position()) + " of " +
                std::to_string(bytes.size()) + ")";
        return false;
    };
    uint8_t format = 0;
    if (!in.Byte(format))
        return fail("no data");
    if (format != kFormat)
        return fail("unknown format " + std::to_string(format));
    uint64_t count = 0;
    if (!in.Varint(count))
        return fail("the sample count is cut off");
    if (count > kCapacity)
        return fail(std::to_string(count) + " samples, more than a trace holds (" +
                    std::to_string(kCapacity) + ")");
    // Every sample takes at least its flag byte and a time byte.
    if (count > in.Left())
        return fail("the samples are cut off");

    std::vector<ArchiveSample> samples;
    samples.reserve(static_cast<size_t>(count));
    int16_t unit = 0;
    int64_t time = 0;
    for (uint64_t i = 0; i < count; ++i) {
        const std::string which = "sample " + std::to_string(i + 1);
        uint8_t flags = 0;
        if (!in.Byte(flags))
            return fail(which + " is cut off");
        if ((flags & ~kKnownFlags) != 0 ||
            ((flags & kDoubleValue) && !(flags & ArchiveSample::kValid)))
            return fail(which + " has unknown flags");
        if (i == 0) {
            if (!in.LittleEndian(time))
                return fail(which + " has no time stamp");
        } else {
            uint64_t delta = 0;
            if (!in.Varint(delta))
                return fail(which + " has no time stamp");
            if (delta > static_cast<uint64_t>(std::numeric_limits<int64_t>::max() - time))
                return fail(which + " has a time stamp out of range");
            time += static_cast<int64_t>(delta);
        }
        if (flags & kUnitFollows) {
            uint64_t code = 0;
            if (!in.Varint(code) || !FitsInt16(UnZigZag(code)))
                return fail(which + " has no valid unit code");
            unit = static_cast<int16_t>(UnZigZag(code));
        }
        ArchiveSample s;
        s.timeMs = time;
        s.unitCode = unit;
        s.flags = flags & (ArchiveSample::kValid | ArchiveSample::kStartsRecording);
        if (s.Valid()) {
            bool read = false;
            if (flags & kDoubleValue) {
                read = in.LittleEndian(s.value);
            } else {
                float f = 0;
                read = in.LittleEndian(f);
                s.value = f;
            }
            if (!read)
                return fail(which + " has no value");
            if (!std::isfinite(s.value))
                return fail(which + " has a value that is no number");
        }
        samples.push_back(s);
    }
    uint64_t textCount = 0;
    if (!in.Varint(textCount))
        return fail("the unit texts are missing");
    if (textCount > in.Left())
        return fail("the unit texts are cut off");
    std::vector<std::pair<int16_t, std::string>> texts;
    for (uint64_t i = 0; i < textCount; ++i) {
        uint64_t code = 0, length = 0;
        std::string text;
        if (!in.Varint(code) || !FitsInt16(UnZigZag(code)) || !in.Varint(length) ||
            !in.Text(static_cast<size_t>(std::min<uint64_t>(length, in.Left() + 1)), text))
            return fail("unit text " + std::to_string(i + 1) + " is damaged");
        texts.emplace_back(static_cast<int16_t>(UnZigZag(code)), std::move(text));
    }
    if (!in.AtEnd())
        return fail("unexpected bytes after the unit texts");

    samples_ = std::move(samples);
    head_ = 0;
    unitTexts_ = std::move(texts);
    error.clear();
    return true;
}

}  // namespace kv
