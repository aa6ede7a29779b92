// The sample ring of one curve: its bound of a day at a 1 s cycle, the runs a chart draws, and
// its binary form with every kind of damage it must refuse.

#include "platform/controls/ArchiveTrace.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace kv {
namespace {

ArchiveSample Valid(int64_t t, double v, int16_t unit = 1342, uint8_t extra = 0) {
    ArchiveSample s;
    s.timeMs = t;
    s.value = v;
    s.unitCode = unit;
    s.flags = ArchiveSample::kValid | extra;
    return s;
}

ArchiveSample Gap(int64_t t, int16_t unit = 1342) {
    ArchiveSample s;
    s.timeMs = t;
    s.unitCode = unit;
    return s;
}

constexpr int64_t kT0 = 1'767'225'600'000;  // 2026-01-01 00:00:00 UTC

// --- the ring ---

TEST(ArchiveTraceRing, HoldsADayAtOneSecondAndDropsTheOldestBeyond) {
    static_assert(ArchiveTrace::kCapacity >= 86400);
    ArchiveTrace trace;
    const size_t total = ArchiveTrace::kCapacity + 7;
    for (size_t i = 0; i < total; ++i)
        trace.Append(Valid(kT0 + static_cast<int64_t>(i) * 1000, static_cast<double>(i)));
    ASSERT_EQ(trace.Size(), ArchiveTrace::kCapacity);
    EXPECT_EQ(trace.At(0).value, 7.0);
    EXPECT_EQ(trace.At(0).timeMs, kT0 + 7000);
    EXPECT_EQ(trace.Newest().value, static_cast<double>(total - 1));
    // Still in time order across the wrap, and searchable.
    for (size_t i = 1; i < trace.Size(); ++i)
        ASSERT_LT(trace.At(i - 1).timeMs, trace.At(i).timeMs);
    EXPECT_EQ(trace.LowerBound(kT0 + 7000), 0u);
    EXPECT_EQ(trace.LowerBound(kT0 + 7001), 1u);
    EXPECT_EQ(trace.AtOrBefore(kT0 + 50'500), std::optional<size_t>(50 - 7));
    EXPECT_FALSE(trace.AtOrBefore(kT0 + 6999).has_value());
}

// From a thousand samples on: the array grows in small steps.
TEST(ArchiveTraceRing, MemoryPerSampleStaysWithin32Bytes) {
    static_assert(sizeof(ArchiveSample) <= 32);
    ArchiveTrace trace;
    for (size_t n : {size_t{1000}, size_t{1500}, size_t{40000}, ArchiveTrace::kCapacity}) {
        while (trace.Size() < n)
            trace.Append(Valid(kT0 + static_cast<int64_t>(trace.Size()) * 1000, 1.0));
        EXPECT_LE(static_cast<double>(trace.MemoryBytes()) / static_cast<double>(n), 32.0)
            << n << " samples";
    }
    // A full ring never grows again.
    const size_t full = trace.MemoryBytes();
    trace.Append(Valid(kT0 + 100'000'000, 1.0));
    EXPECT_EQ(trace.MemoryBytes(), full);
}

TEST(ArchiveTraceRing, KeepsTimeOrderAndTakesNoNumberAsNotValid) {
    ArchiveTrace trace;
    trace.Append(Valid(kT0 + 5000, 1.0));
    trace.Append(Valid(kT0 + 1000, 2.0));  // the clock went back
    EXPECT_EQ(trace.Newest().timeMs, kT0 + 5000);
    trace.Append(Valid(kT0 + 6000, std::numeric_limits<double>::quiet_NaN()));
    trace.Append(Valid(kT0 + 7000, std::numeric_limits<double>::infinity()));
    EXPECT_FALSE(trace.At(2).Valid());
    EXPECT_FALSE(trace.At(3).Valid());
    ArchiveSample gap = Gap(kT0 + 8000);
    gap.value = 99;  // a value of a failed read means nothing
    trace.Append(gap);
    EXPECT_EQ(trace.Newest().value, 0.0);
}

TEST(ArchiveTraceRuns, BreakAtGapsUnitChangesAndNewRecordings) {
    ArchiveTrace trace;
    trace.Append(Valid(kT0 + 0, 1, 1342, ArchiveSample::kStartsRecording));      // 0
    trace.Append(Valid(kT0 + 1000, 2));                                          // 1
    trace.Append(Gap(kT0 + 2000));                                               // 2
    trace.Append(Gap(kT0 + 3000));                                               // 3
    trace.Append(Valid(kT0 + 4000, 3));                                          // 4
    trace.Append(Valid(kT0 + 5000, 4, 1001));                                    // 5 unit changed
    trace.Append(Valid(kT0 + 6000, 5, 1001));                                    // 6
    trace.Append(Valid(kT0 + 60000, 6, 1001, ArchiveSample::kStartsRecording));  // 7
    const std::vector<ArchiveRun> runs = trace.Runs(0, trace.Size() - 1);
    ASSERT_EQ(runs.size(), 4u);
    EXPECT_EQ(runs[0].first, 0u);
    EXPECT_EQ(runs[0].last, 1u);
    EXPECT_EQ(runs[1].first, 4u);
    EXPECT_EQ(runs[1].last, 4u);
    EXPECT_EQ(runs[2].first, 5u);
    EXPECT_EQ(runs[2].last, 6u);
    EXPECT_EQ(runs[3].first, 7u);
    EXPECT_EQ(runs[3].last, 7u);
    // A part of the trace.
    const std::vector<ArchiveRun> part = trace.Runs(1, 5);
    ASSERT_EQ(part.size(), 3u);
    EXPECT_EQ(part[0].first, 1u);
    EXPECT_EQ(part[0].last, 1u);
    EXPECT_TRUE(trace.Runs(2, 3).empty());
}

// --- binary form ---

void ExpectSameSamples(const ArchiveTrace& a, const ArchiveTrace& b) {
    ASSERT_EQ(a.Size(), b.Size());
    for (size_t i = 0; i < a.Size(); ++i) {
        EXPECT_EQ(a.At(i).timeMs, b.At(i).timeMs) << i;
        EXPECT_EQ(a.At(i).value, b.At(i).value) << i;
        EXPECT_EQ(a.At(i).unitCode, b.At(i).unitCode) << i;
        EXPECT_EQ(a.At(i).flags, b.At(i).flags) << i;
    }
}

ArchiveTrace Mixed() {
    ArchiveTrace trace;
    trace.Append(Valid(kT0, 12.5f, 1342, ArchiveSample::kStartsRecording));
    trace.Append(Valid(kT0 + 1000, -0.25f));
    trace.Append(Valid(kT0 + 2000, 0.1));  // no single holds it exactly
    trace.Append(Gap(kT0 + 3000));
    trace.Append(Gap(kT0 + 4000, 0));
    trace.Append(Valid(kT0 + 4000, 1e30, 1001));
    trace.Append(Valid(kT0 + 86'400'000, -32768, -5, ArchiveSample::kStartsRecording));
    trace.SetUnitText(1342, "%");
    trace.SetUnitText(1001, "\u00B0C");
    return trace;
}

TEST(ArchiveTraceCodec, RoundTripKeepsEverySampleAndTheUnitTexts) {
    const ArchiveTrace original = Mixed();
    ArchiveTrace loaded;
    std::string error;
    ASSERT_TRUE(loaded.Decode(original.Encode(), error)) << error;
    ExpectSameSamples(original, loaded);
    ASSERT_NE(loaded.UnitText(1001), nullptr);
    EXPECT_EQ(*loaded.UnitText(1001), "\u00B0C");
    EXPECT_EQ(*loaded.UnitText(1342), "%");
    EXPECT_EQ(loaded.UnitText(7), nullptr);

    ArchiveTrace empty, loadedEmpty;
    ASSERT_TRUE(loadedEmpty.Decode(empty.Encode(), error)) << error;
    EXPECT_TRUE(loadedEmpty.Empty());
}

TEST(ArchiveTraceCodec, AFullWrappedRingIsCompactAndReadsBackInOrder) {
    ArchiveTrace trace;
    for (size_t i = 0; i < ArchiveTrace::kCapacity + 100; ++i)
        trace.Append(Valid(kT0 + static_cast<int64_t>(i) * 1000,
                           static_cast<float>(50 + 40 * std::sin(static_cast<double>(i) / 50))));
    const std::vector<uint8_t> bytes = trace.Encode();
    // A flag, two bytes of time step and a single per sample.
    EXPECT_LE(bytes.size(), trace.Size() * 7 + 64);
    ArchiveTrace loaded;
    std::string error;
    ASSERT_TRUE(loaded.Decode(bytes, error)) << error;
    ExpectSameSamples(trace, loaded);
    // Appending goes on after the loaded samples.
    loaded.Append(Valid(kT0 + 1'000'000'000, 1.0));
    EXPECT_EQ(loaded.Newest().value, 1.0);
    EXPECT_EQ(loaded.Size(), ArchiveTrace::kCapacity);
}

TEST(ArchiveTraceCodec, RefusesDamagedFormsAndKeepsItsSamples) {
    const std::vector<uint8_t> good = Mixed().Encode();
    ArchiveTrace kept;
    kept.Append(Valid(kT0, 42));
    auto refused = [&](const std::vector<uint8_t>& bytes) {
        std::string error;
        const bool ok = kept.Decode(bytes, error);
        EXPECT_EQ(kept.Size(), 1u);
        EXPECT_EQ(kept.Newest().value, 42.0);
        return !ok && !error.empty();
    };
    // Every cut-off form.
    for (size_t n = 0; n < good.size(); ++n)
        EXPECT_TRUE(refused(std::vector<uint8_t>(good.begin(), good.begin() + n))) << n;

    std::vector<uint8_t> bytes = good;
    bytes.push_back(0);
    EXPECT_TRUE(refused(bytes)) << "bytes after the end";
    bytes = good;
    bytes[0] = 2;
    EXPECT_TRUE(refused(bytes)) << "another format";
    bytes = good;
    bytes[2] |= 0x40;  // the first sample's flags
    EXPECT_TRUE(refused(bytes)) << "unknown flags";
    // More samples than a trace holds.
    std::vector<uint8_t> many = {1, 0x81, 0xA3, 0x05};  // 86401 as a varint
    EXPECT_TRUE(refused(many));
    // A valid sample whose value is no number.
    ArchiveTrace one;
    one.Append(Valid(kT0, 1.5));
    bytes = one.Encode();
    // format, count, flags, 8 time bytes, unit follows (2 bytes), then the single.
    ASSERT_EQ(bytes[2] & 0x4, 0x4);
    const size_t valueAt = 3 + 8 + 2;
    bytes[valueAt] = 0x00;
    bytes[valueAt + 1] = 0x00;
    bytes[valueAt + 2] = 0xC0;
    bytes[valueAt + 3] = 0x7F;  // a quiet NaN as a little-endian single
    EXPECT_TRUE(refused(bytes));
    // An endless varint.
    EXPECT_TRUE(refused(std::vector<uint8_t>(20, 0xFF)));
}

}  // namespace
}  // namespace kv
