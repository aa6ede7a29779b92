#pragma once
// The recorded samples of one curve: a ring of a fixed number of samples (a day at a 1 s cycle),
// oldest first, with the texts of the unit codes the samples were taken in, and its compact
// binary form for the instance's property bag.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kv {

struct ArchiveSample {
    enum Flags : uint8_t {
        kValid = 0x1,           // the read succeeded and gave a number
        kStartsRecording = 0x2  // the first sample after the recording was switched on
    };

    int64_t timeMs = 0;  // milliseconds since 1970-01-01 UTC
    double value = 0.0;  // meaningless when not valid
    int16_t unitCode = 0;
    uint8_t flags = 0;

    bool Valid() const { return (flags & kValid) != 0; }
    bool StartsRecording() const { return (flags & kStartsRecording) != 0; }
};

// One run of samples that is drawn as one line: [first, last] (indices into the trace), all valid,
// in one unit and without a new recording inside.
struct ArchiveRun {
    size_t first = 0;
    size_t last = 0;
};

class ArchiveTrace {
  public:
    // Samples kept per curve: 24 hours at a 1 s cycle.
    static constexpr size_t kCapacity = 86400;

    size_t Size() const { return samples_.size(); }
    bool Empty() const { return samples_.empty(); }
    // i from 0 (oldest) to Size() - 1 (newest).
    const ArchiveSample& At(size_t i) const { return samples_[(head_ + i) % samples_.size()]; }
    const ArchiveSample& Newest() const { return At(samples_.size() - 1); }

    // Appends a sample; the oldest one goes when the ring is full. A time stamp before the newest
    // one (a clock set back) is taken as the newest one's, so that the trace stays in time order.
    void Append(ArchiveSample sample);
    void Clear();

    // Index of the first sample at or after t (Size() when none).
    size_t LowerBound(int64_t t) const;
    // Index of the last sample at or before t.
    std::optional<size_t> AtOrBefore(int64_t t) const;
    // The runs of drawable samples among the indices [first, last]: a sample that is not valid
    // ends a run, a change of the unit code or the start of a recording begins a new one.
    std::vector<ArchiveRun> Runs(size_t first, size_t last) const;

    // The text of a unit code as it was when samples were taken in it; nullptr when unknown.
    const std::string* UnitText(int16_t code) const;
    void SetUnitText(int16_t code, const std::string& text);

    // Heap bytes the trace holds for its samples.
    size_t MemoryBytes() const { return samples_.capacity() * sizeof(ArchiveSample); }

    // The binary form (format 1): a version byte, the sample count, per sample a flag byte, the
    // time (the first one as 8 bytes, then the distance to the previous one), the unit code when
    // it differs from the previous sample's and the value of a valid sample as a single or a
    // double; then the unit texts.
    std::vector<uint8_t> Encode() const;
    // Replaces the contents by a binary form. False, with the reason in 'error' and the trace
    // unchanged, when the bytes are no trace of this format.
    bool Decode(const std::vector<uint8_t>& bytes, std::string& error);

  private:
    void Grow();

    std::vector<ArchiveSample> samples_;
    size_t head_ = 0;  // index of the oldest sample once the ring is full
    std::vector<std::pair<int16_t, std::string>> unitTexts_;
};

}  // namespace kv
