// Recording against the simulated positioner on the manual event loop: the samples match the
// device's values, one read per record and tick, gaps (never zeros) where a read fails or the
// device is gone, a new line where the unit changes, and nothing after Stop or Release.

#include "platform/controls/ArchiveRecorder.h"

#include <gtest/gtest.h>

#include "platform/controls/ArchiveTestBench.h"

namespace kv {
namespace {

using test_support::ArchiveTestBench;
using test_support::CurveSetups;
using test_support::kCheckBack;
using test_support::kDiagnosis;
using test_support::kPvScale;
using test_support::kReadback;
using test_support::kSetpoint;

const char* const kSp = "FUNC/1/AO/SP/Value";
const char* const kRb = "FUNC/1/AO/READBACK/Value";
const char* const kCb = "FUNC/1/AO/CHECK_BACK/CB_CONTR_ERR";
const char* const kZero = "PHYS/DIAGNOSIS/DIA_ZERO_ERR";

struct Recording : ArchiveTestBench {
    ArchiveRecorder recorder;
    int notices = 0;

    explicit Recording(int32_t mask = 15, bool online = true) {
        if (online && !Online())
            throw std::runtime_error("no connection to the simulated positioner");
        TheArchive()->SetCheckCurveEnabled(mask);
        recorder.Configure(Ctx(), CurveSet(), TheArchive());
        recorder.SetUnitSource(test_support::DeviceUnitSource(Ctx()));
        recorder.SetOnSamples([this] { ++notices; });
    }
    const ArchiveTrace& Trace(const char* path) {
        const ArchiveTrace* t = TheArchive()->FindTrace(path);
        if (t == nullptr)
            throw std::runtime_error(std::string("nothing recorded for ") + path);
        return *t;
    }
    size_t Count(const char* path) {
        const ArchiveTrace* t = TheArchive()->FindTrace(path);
        return t ? t->Size() : 0;
    }
};

TEST(ArchiveRecording, SixtySamplesAt100msMatchTheDevice) {
    Recording r;
    r.recorder.SetCycleTime(100);
    r.SetSetpoint(10.0f);
    ASSERT_TRUE(r.recorder.Start());
    r.loop->RunUntilIdle();  // the first read runs at once
    std::vector<float> readbacks{r.DeviceFloat(kReadback)};
    for (int k = 1; k < 60; ++k) {
        r.SetSetpoint(10.0f + static_cast<float>(k));
        r.loop->Advance(100);
        readbacks.push_back(r.DeviceFloat(kReadback));
    }
    const ArchiveTrace& sp = r.Trace(kSp);
    const ArchiveTrace& rb = r.Trace(kRb);
    ASSERT_EQ(sp.Size(), 60u);
    ASSERT_EQ(rb.Size(), 60u);
    EXPECT_EQ(r.notices, 60);
    for (size_t k = 0; k < 60; ++k) {
        EXPECT_TRUE(sp.At(k).Valid()) << k;
        EXPECT_EQ(sp.At(k).value, 10.0 + static_cast<double>(k)) << k;
        EXPECT_EQ(sp.At(k).unitCode, 1342) << k;
        EXPECT_EQ(rb.At(k).value, static_cast<double>(readbacks[k])) << k;
        if (k > 0) {
            EXPECT_EQ(sp.At(k).timeMs - sp.At(k - 1).timeMs, 100) << k;
            EXPECT_FALSE(sp.At(k).StartsRecording()) << k;
        }
    }
    EXPECT_TRUE(sp.At(0).StartsRecording());
    // The valve follows the setpoint: the readback moved.
    EXPECT_NE(readbacks.front(), readbacks.back());
    ASSERT_NE(sp.UnitText(1342), nullptr);
    EXPECT_EQ(*sp.UnitText(1342), "%");
    // The diagnosis bits are clear in the device.
    EXPECT_EQ(r.Trace(kCb).Newest().value, 0.0);
    EXPECT_TRUE(r.Trace(kZero).Newest().Valid());
    // One read per distinct record and sample: PV_SCALE serves two curves.
    EXPECT_EQ(r.Requests(kSetpoint), 60);
    EXPECT_EQ(r.Requests(kPvScale), 60);
    EXPECT_EQ(r.Requests(kReadback), 60);
    EXPECT_EQ(r.Requests(kCheckBack), 60);
    EXPECT_EQ(r.Requests(kDiagnosis), 60);
}

TEST(ArchiveRecording, ASetDiagnosisBitIsRecordedAsOne) {
    Recording r;
    std::vector<uint8_t> diagnosis = r.device->Record(kDiagnosis.slot, kDiagnosis.index);
    diagnosis.at(1) |= 0x01;  // DIA_ZERO_ERR: bit 0 of the second byte
    r.device->SetRecord(kDiagnosis.slot, kDiagnosis.index, diagnosis);
    r.recorder.Start();
    r.loop->RunUntilIdle();
    EXPECT_EQ(r.Trace(kZero).Newest().value, 1.0);
}

TEST(ArchiveRecording, ADroppedConnectionGivesGapsNotZeros) {
    Recording r;
    r.recorder.SetCycleTime(100);
    r.SetSetpoint(42.0f);
    r.recorder.Start();
    r.loop->Advance(250);
    ASSERT_EQ(r.Count(kSp), 3u);
    r.session->Channel().DropConnection();
    r.loop->Advance(300);
    const ArchiveTrace& sp = r.Trace(kSp);
    ASSERT_EQ(sp.Size(), 6u);
    for (size_t k = 3; k < 6; ++k) {
        EXPECT_FALSE(sp.At(k).Valid()) << k;
        EXPECT_FALSE(r.Trace(kRb).At(k).Valid()) << k;
        EXPECT_FALSE(r.Trace(kZero).At(k).Valid()) << k;
    }
    EXPECT_EQ(sp.At(2).value, 42.0);
    // The gap ends the drawn line.
    const std::vector<ArchiveRun> runs = sp.Runs(0, sp.Size() - 1);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].last, 2u);
}

TEST(ArchiveRecording, RecordingWithoutAConnectionRecordsGaps) {
    Recording r(15, false);
    r.recorder.SetCycleTime(100);
    ASSERT_TRUE(r.recorder.Start());
    r.loop->Advance(200);
    const ArchiveTrace& sp = r.Trace(kSp);
    ASSERT_EQ(sp.Size(), 3u);
    for (size_t k = 0; k < 3; ++k)
        EXPECT_FALSE(sp.At(k).Valid());
}

TEST(ArchiveRecording, AFailedRecordReadMarksOnlyItsCurves) {
    Recording r;
    SimFault fault;
    fault.errorCode = kDpv1AccessDenied;
    r.device->InjectFault(kDiagnosis.slot, kDiagnosis.index, fault);
    r.recorder.Start();
    r.loop->RunUntilIdle();
    EXPECT_FALSE(r.Trace(kZero).Newest().Valid());
    EXPECT_TRUE(r.Trace(kSp).Newest().Valid());
    EXPECT_TRUE(r.Trace(kRb).Newest().Valid());
    EXPECT_TRUE(r.Trace(kCb).Newest().Valid());
}

TEST(ArchiveRecording, AUnitChangeStartsANewLine) {
    Recording r;
    r.recorder.SetCycleTime(100);
    r.SetSetpoint(50.0f);
    r.recorder.Start();
    r.loop->Advance(200);
    // The device's PV_SCALE now names degrees Celsius (unit code at byte 8).
    std::vector<uint8_t> scale = r.device->Record(kPvScale.slot, kPvScale.index);
    scale.at(8) = 1001 >> 8;
    scale.at(9) = 1001 & 0xFF;
    r.device->SetRecord(kPvScale.slot, kPvScale.index, scale);
    r.loop->Advance(300);
    const ArchiveTrace& sp = r.Trace(kSp);
    ASSERT_EQ(sp.Size(), 6u);
    EXPECT_EQ(sp.At(2).unitCode, 1342);
    EXPECT_EQ(sp.Newest().unitCode, 1001);
    ASSERT_NE(sp.UnitText(1001), nullptr);
    EXPECT_EQ(*sp.UnitText(1001), "\u00B0C");
    const std::vector<ArchiveRun> runs = sp.Runs(0, sp.Size() - 1);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(sp.At(runs[1].first).unitCode, 1001);
    EXPECT_EQ(runs[0].last + 1, runs[1].first);
}

TEST(ArchiveRecording, OnlyCurvesThatAreOnAreReadAndRecorded) {
    Recording r(0b0101);  // setpoint and control-loop error
    r.recorder.Start();
    r.loop->RunUntilIdle();
    EXPECT_EQ(r.Count(kSp), 1u);
    EXPECT_EQ(r.Count(kCb), 1u);
    EXPECT_EQ(r.Count(kRb), 0u);
    EXPECT_EQ(r.Count(kZero), 0u);
    EXPECT_EQ(r.Requests(kReadback), 0);
    EXPECT_EQ(r.Requests(kDiagnosis), 0);

    // Switching the readback on while recording reads its record from the next tick; its first
    // sample begins a line.
    const IArchiveCurve& readback = r.recorder.Curves().Item(1);
    EXPECT_FALSE(r.recorder.CurveOn(readback));
    r.recorder.SetCurveOn(readback, true);
    EXPECT_EQ(r.TheArchive()->CheckCurveEnabled(), 0b0111);
    r.loop->Advance(ArchiveRecorder::kDefaultCycleTimeMs);
    EXPECT_EQ(r.Count(kRb), 1u);
    EXPECT_TRUE(r.Trace(kRb).Newest().StartsRecording());
    EXPECT_EQ(r.Requests(kReadback), 1);

    r.recorder.SetCurveOn(r.recorder.Curves().Item(0), false);
    r.loop->Advance(ArchiveRecorder::kDefaultCycleTimeMs);
    EXPECT_EQ(r.Count(kSp), 2u);
    EXPECT_EQ(r.TheArchive()->CheckCurveEnabled(), 0b0110);
}

TEST(ArchiveRecording, ACurveThatIsNotEnabledStaysOffWhateverItsBit) {
    Recording r(15);
    auto& curve = const_cast<IArchiveCurve&>(r.recorder.Curves().Item(3));
    curve.SetEnabled(false);
    EXPECT_FALSE(r.recorder.CurveOn(curve));
    r.recorder.Start();
    r.loop->RunUntilIdle();
    EXPECT_EQ(r.Count(kZero), 0u);
}

TEST(ArchiveRecording, ANeverConfiguredArchiveRecordsEveryCurve) {
    Recording r(-1);
    r.recorder.Start();
    r.loop->RunUntilIdle();
    for (const char* path : {kSp, kRb, kCb, kZero})
        EXPECT_EQ(r.Count(path), 1u) << path;
}

TEST(ArchiveRecording, ASlowReadSkipsTicksInsteadOfPilingUp) {
    Recording r;
    r.recorder.SetCycleTime(100);
    SimFault slow;
    slow.delayMs = 250;
    r.device->InjectFault(kSetpoint.slot, kSetpoint.index, slow);
    r.recorder.Start();
    r.loop->Advance(1000);
    // Each read takes a little over 250 ms: the ticks in between find it running.
    const size_t samples = r.Count(kSp);
    EXPECT_GE(samples, 3u);
    EXPECT_LE(samples, 4u);
    // At most the read still on its way beyond the samples.
    EXPECT_GE(r.Requests(kSetpoint), static_cast<int32_t>(samples));
    EXPECT_LE(r.Requests(kSetpoint), static_cast<int32_t>(samples) + 1);
    for (size_t k = 0; k < samples; ++k)
        EXPECT_TRUE(r.Trace(kSp).At(k).Valid());
}

TEST(ArchiveRecording, CycleTimeTakesEffectWhileRecording) {
    Recording r;
    r.recorder.SetCycleTime(100);
    r.recorder.Start();
    r.loop->Advance(200);
    r.recorder.SetCycleTime(500);
    EXPECT_EQ(r.recorder.CycleTime(), 500);
    r.loop->Advance(1000);
    const ArchiveTrace& sp = r.Trace(kSp);
    ASSERT_EQ(sp.Size(), 5u);
    EXPECT_EQ(sp.At(4).timeMs - sp.At(3).timeMs, 500);
    EXPECT_THROW(r.recorder.SetCycleTime(0), std::invalid_argument);
    EXPECT_THROW(r.recorder.SetCycleTime(-100), std::invalid_argument);
    EXPECT_EQ(r.recorder.CycleTime(), 500);
}

TEST(ArchiveRecording, StopEndsTheTicksAndAReadInFlightGivesNoSample) {
    Recording r;
    r.recorder.SetCycleTime(100);
    const size_t timers = r.loop->TimerCount();
    r.recorder.Start();
    EXPECT_TRUE(r.recorder.Recording());
    EXPECT_EQ(r.loop->TimerCount(), timers + 1);
    r.recorder.Stop();  // the first read is still on its way
    EXPECT_FALSE(r.recorder.Recording());
    EXPECT_EQ(r.loop->TimerCount(), timers);
    r.loop->Advance(500);
    EXPECT_EQ(r.Count(kSp), 0u);

    // A new start begins a new line.
    r.recorder.Start();
    r.loop->Advance(100);
    ASSERT_EQ(r.Count(kSp), 2u);
    EXPECT_TRUE(r.Trace(kSp).At(0).StartsRecording());
    EXPECT_FALSE(r.Trace(kSp).At(1).StartsRecording());
    EXPECT_TRUE(r.recorder.Start()) << "already running";
}

TEST(ArchiveRecording, AfterReleaseNothingRunsOrRecords) {
    Recording r;
    r.recorder.SetCycleTime(100);
    const size_t timers = r.loop->TimerCount();
    r.recorder.Start();
    r.recorder.Release();  // with the first read in flight
    EXPECT_TRUE(r.recorder.Released());
    r.loop->Advance(1000);
    EXPECT_EQ(r.Count(kSp), 0u);
    EXPECT_EQ(r.notices, 0);
    EXPECT_EQ(r.loop->TimerCount(), timers);
    EXPECT_FALSE(r.recorder.Start());
    EXPECT_FALSE(ArchiveRecorder().Start()) << "never configured";
    r.recorder.Configure(r.Ctx(), r.CurveSet(), r.TheArchive());
    EXPECT_FALSE(r.recorder.Configured());
    EXPECT_EQ(r.recorder.Curves().Count(), 0u);
    EXPECT_EQ(r.recorder.Archive(), nullptr);
}

TEST(ArchiveRecording, ARecorderDroppedWhileRecordingLeavesNoTimer) {
    ArchiveTestBench b;
    ASSERT_TRUE(b.Online());
    const size_t timers = b.loop->TimerCount();
    {
        ArchiveRecorder recorder;
        recorder.Configure(b.Ctx(), b.CurveSet(), b.TheArchive());
        recorder.Start();
    }
    b.loop->Advance(5000);
    EXPECT_EQ(b.loop->TimerCount(), timers);
    EXPECT_EQ(b.TheArchive()->FindTrace(kSp), nullptr);
}

TEST(ArchiveRecording, AListenerMayReleaseTheRecorder) {
    Recording r;
    r.recorder.SetCycleTime(100);
    r.recorder.SetOnSamples([&] { r.recorder.Release(); });
    r.recorder.Start();
    r.loop->Advance(1000);
    EXPECT_EQ(r.Count(kSp), 1u);
}

TEST(ArchiveRanges, FromTheRangeElementsOrTheFixedNumbers) {
    Recording r(15, false);
    const ArchiveCurves& curves = r.recorder.Curves();
    ArchiveRanges sp = r.recorder.CurrentRanges(curves.Item(0));
    EXPECT_EQ(sp.scaleMax, 100.0);
    EXPECT_EQ(sp.scaleMin, 0.0);
    EXPECT_EQ(sp.actMax, 100.0);
    EXPECT_EQ(sp.actMin, 0.0);
    const ArchiveRanges cb = r.recorder.CurrentRanges(curves.Item(2));
    EXPECT_EQ(cb.scaleMax, CurveSetups()[2].scaleMax);
    EXPECT_EQ(cb.scaleMin, CurveSetups()[2].scaleMin);
    const ArchiveRanges zero = r.recorder.CurrentRanges(curves.Item(3));
    EXPECT_EQ(zero.scaleMax, CurveSetups()[3].scaleMax);
    EXPECT_EQ(zero.actMin, CurveSetups()[3].scaleMin);

    r.Element("FUNC/1/AO/PV_SCALE/Up_Val").SetTransientValue(Variant(80.0f));
    sp = r.recorder.CurrentRanges(curves.Item(0));
    EXPECT_EQ(sp.scaleMax, 80.0);
    EXPECT_EQ(sp.actMax, 80.0);
    // An element that holds no number: the end's fixed number.
    r.Element("FUNC/1/AO/PV_SCALE/Lo_Val").SetTransientValue(Variant("x"));
    EXPECT_EQ(r.recorder.CurrentRanges(curves.Item(0)).scaleMin, 0.0);
}

}  // namespace
}  // namespace kv
