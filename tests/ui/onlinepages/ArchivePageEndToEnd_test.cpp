// The archive page against the simulated positioner, switched by the navigation control: sixty
// samples at 100 ms while the simulated control system moves the setpoint match the device's
// values and come back, the same, after the project was saved and reopened; a failed record
// read and a lost device give gaps in the trend, never zeros; a unit changed in the device
// starts a new line in the new unit; the numbers shown take the rows' form in either language.

#include <gtest/gtest.h>

#include <unistd.h>

#include <QLabel>
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "OnlinePageFixture.h"
#include "dtm/DTMState.h"
#include "platform/controls/ArchiveTestBench.h"
#include "platform/controls/widgets/Trend.h"
#include "platform/controls/widgets/ctlDTMArchive.h"
#include "ui/onlinepages/ArchivePage.h"

namespace kv {
namespace {

using onlinetest::OnlinePage;
using onlinetest::OpenOnlinePage;
using pagetest::PageBench;
using test_support::FloatAt;
using test_support::kDiagnosis;
using test_support::kPvScale;
using test_support::kReadback;
using test_support::kSetpoint;
using test_support::RecordAddress;
using test_support::ValueRecord;

const char* const kSp = "FUNC/1/AO/SP/Value";
const char* const kRb = "FUNC/1/AO/READBACK/Value";
const char* const kZero = "PHYS/DIAGNOSIS/DIA_ZERO_ERR";
constexpr int16_t kPercent = 1342;

ctlDTMArchive& ArchiveOf(const OnlinePage& p) {
    return *dynamic_cast<ArchivePage&>(*p.page).Archive();
}

// The chart's curve of the element; throws when the chart does not show it.
const Trend::Curve& Shown(const OnlinePage& p, const char* path) {
    const ArchiveCurves& curves = ArchiveOf(p).Curves();
    for (size_t i = 0; i < curves.Count(); ++i) {
        if (curves.Key(i) != path)
            continue;
        for (const Trend::Curve& c : ArchiveOf(p).Trend()->Curves()) {
            if (c.index == curves.Item(i).ScaleIndex() && c.trace != nullptr)
                return c;
        }
    }
    throw std::runtime_error(std::string("the chart shows no samples of ") + path);
}

// The archive page of an online bench, recording every 100 ms through the navigation
// control's switch.
struct Recording {
    PageBench b;
    OnlinePage p;

    explicit Recording(int64_t setpointCycleMs = 0, float setpoint = 42.0f) {
        b.device->SetRecord(kSetpoint.slot, kSetpoint.index, ValueRecord(setpoint));
        b.device->SetSetpointCycle(setpointCycleMs);
        b.Online();
        p = OpenOnlinePage(b, "ctlArchive");
        p.Switch().SetCycleTime(100);
        p.host->SetSwitch(1);
        b.Settle();  // the first sample at once
    }
    void Tick() {
        b.loop->Advance(100);
        b.Settle();
    }
    float DeviceFloat(RecordAddress a) { return FloatAt(b.device->Record(a.slot, a.index)); }
    const ArchiveTrace& Trace(const char* path) {
        const ArchiveTrace* t = b.instance->dtm->State()->Archive()->FindTrace(path);
        if (t == nullptr)
            throw std::runtime_error(std::string("nothing recorded for ") + path);
        return *t;
    }
};

TEST(ArchiveEndToEnd, SixtySamplesMatchTheDeviceAndComeBackWithTheProject) {
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("kvarchivepage-" + std::to_string(getpid()) + ".kvproj"))
                                 .string();
    std::vector<ArchiveSample> setpoints;
    {
        // The control system sweeps the setpoint from 10 % to 90 % and back in 6 s.
        Recording r(6000);
        std::vector<float> sp{r.DeviceFloat(kSetpoint)};
        std::vector<float> rb{r.DeviceFloat(kReadback)};
        for (int k = 1; k < 60; ++k) {
            r.Tick();
            sp.push_back(r.DeviceFloat(kSetpoint));
            rb.push_back(r.DeviceFloat(kReadback));
        }
        r.p.host->SetSwitch(0);
        ASSERT_FALSE(ArchiveOf(r.p).Recording());
        const ArchiveTrace& spTrace = r.Trace(kSp);
        const ArchiveTrace& rbTrace = r.Trace(kRb);
        ASSERT_EQ(spTrace.Size(), 60u);
        ASSERT_EQ(rbTrace.Size(), 60u);
        for (size_t k = 0; k < 60; ++k) {
            EXPECT_TRUE(spTrace.At(k).Valid()) << k;
            EXPECT_EQ(spTrace.At(k).value, static_cast<double>(sp[k])) << k;
            EXPECT_EQ(spTrace.At(k).unitCode, kPercent) << k;
            EXPECT_EQ(rbTrace.At(k).value, static_cast<double>(rb[k])) << k;
            if (k > 0) {
                EXPECT_EQ(spTrace.At(k).timeMs - spTrace.At(k - 1).timeMs, 100) << k;
            }
        }
        // The setpoint moved over the whole sweep, and the valve followed.
        EXPECT_LT(*std::min_element(sp.begin(), sp.end()), 20.0f);
        EXPECT_GT(*std::max_element(sp.begin(), sp.end()), 80.0f);
        EXPECT_NE(rb.front(), rb.back());
        // The chart shows them in one line, the panel the newest value.
        EXPECT_EQ(Shown(r.p, kSp).trace->Runs(0, 59).size(), 1u);
        EXPECT_EQ(Shown(r.p, kSp).unitText, "%");
        for (size_t k = 0; k < 60; ++k)
            setpoints.push_back(spTrace.At(k));
        FrameFault error;
        ASSERT_TRUE(r.b.frame.SaveProject(path, error)) << error;
        EXPECT_TRUE(r.p->PrepareToRelease());
    }

    PageBench reopened;
    reopened.session.reset();  // it would outlive the instance the load replaces
    FrameFault error;
    ASSERT_TRUE(reopened.frame.LoadProject(path, error)) << error;
    std::filesystem::remove(path);
    reopened.instance = reopened.frame.Find("PV-101");
    ASSERT_NE(reopened.instance, nullptr);
    OnlinePage p = OpenOnlinePage(reopened, "ctlArchive");
    EXPECT_EQ(reopened.instance->dtm->State()->Archive()->CheckCurveEnabled(), 15);
    const ArchiveTrace& shown = *Shown(p, kSp).trace;
    ASSERT_EQ(shown.Size(), setpoints.size());
    for (size_t k = 0; k < shown.Size(); ++k) {
        EXPECT_EQ(shown.At(k).timeMs, setpoints[k].timeMs) << k;
        EXPECT_EQ(shown.At(k).value, setpoints[k].value) << k;
        EXPECT_EQ(shown.At(k).unitCode, setpoints[k].unitCode) << k;
        EXPECT_EQ(shown.At(k).flags, setpoints[k].flags) << k;
    }
    EXPECT_EQ(Shown(p, kRb).trace->Size(), 60u);
    EXPECT_EQ(ArchiveOf(p).Trend()->VisibleRange().to, setpoints.back().timeMs);
    EXPECT_TRUE(p->PrepareToRelease());
}

// The chart's readout and the panel's newest value take the number form of the rows, and a
// language change gives them the other form at once.
TEST(ArchiveEndToEnd, NumbersTakeTheRowsFormInEitherLanguage) {
    Recording r(0, 83.54f);
    const int64_t newest = r.Trace(kSp).Newest().timeMs;
    Trend& chart = *ArchiveOf(r.p).Trend();
    const auto* panel = ArchiveOf(r.p).findChild<QLabel*>("curveValue0");
    ASSERT_NE(panel, nullptr);
    for (const auto& [language, number] :
         {std::pair{langGerman, "83,54"}, std::pair{langEnglish, "83.54"}}) {
        SCOPED_TRACE(language);
        ASSERT_TRUE(r.b.Dtm()->SetLanguage(language));
        ASSERT_FALSE(chart.Readout(newest).empty());
        EXPECT_TRUE(chart.Readout(newest)[0].text.startsWith(QString::fromLatin1(number)))
            << chart.Readout(newest)[0].text.toStdString();
        EXPECT_TRUE(panel->text().startsWith(QString::fromLatin1(number)))
            << panel->text().toStdString();
    }
}

TEST(ArchiveEndToEnd, AFailedReadGivesAGapInItsCurveOnly) {
    // The Physical Block's diagnosis cannot be read for a while: the device refuses it, or its
    // answer comes cut short.
    const SimFault faults[] = {SimFault{.errorCode = kDpv1AccessDenied},
                               SimFault{.shortLength = 2}};
    for (const SimFault& fault : faults) {
        SCOPED_TRACE(fault.errorCode != 0 ? "refused" : "cut short");
        Recording r;
        r.Tick();
        r.b.device->InjectFault(kDiagnosis.slot, kDiagnosis.index, fault);
        r.Tick();
        r.Tick();
        r.b.device->ClearFaults();
        r.Tick();
        ASSERT_TRUE(ArchiveOf(r.p).Recording()) << "a failed read does not stop the recording";
        const ArchiveTrace& zero = r.Trace(kZero);
        ASSERT_EQ(zero.Size(), 5u);
        EXPECT_TRUE(zero.At(1).Valid());
        EXPECT_FALSE(zero.At(2).Valid());
        EXPECT_FALSE(zero.At(3).Valid());
        EXPECT_TRUE(zero.At(4).Valid());
        EXPECT_EQ(zero.Runs(0, 4).size(), 2u);
        for (size_t k = 0; k < 5; ++k)
            EXPECT_TRUE(r.Trace(kSp).At(k).Valid()) << k;
        // The chart's cursor finds no value in the gap.
        Trend& chart = *ArchiveOf(r.p).Trend();
        for (const Trend::ReadoutLine& line : chart.Readout(zero.At(2).timeMs)) {
            EXPECT_EQ(line.valid, line.index != 3) << line.index;
        }
    }
}

TEST(ArchiveEndToEnd, ALostDeviceEndsTheLineWithoutZerosAndANewRecordingStartsAnother) {
    Recording r(0, 63.0f);
    r.Tick();
    r.Tick();
    r.b.session->Channel().DropConnection();
    for (int k = 0; k < 10; ++k)
        r.Tick();
    EXPECT_FALSE(ArchiveOf(r.p).Recording());
    EXPECT_EQ(r.p.host->Switch(), 0);
    const ArchiveTrace& sp = r.Trace(kSp);
    const size_t before = sp.Size();
    for (size_t k = 0; k < before; ++k) {
        if (sp.At(k).Valid()) {
            EXPECT_EQ(sp.At(k).value, 63.0) << k;
        }
    }

    // Connected again, the recording goes on in a line of its own.
    ASSERT_TRUE(r.b.session->Connect());
    r.p.host->SetSwitch(1);
    r.b.Settle();
    r.Tick();
    ASSERT_TRUE(ArchiveOf(r.p).Recording());
    ASSERT_EQ(sp.Size(), before + 2);
    EXPECT_TRUE(sp.At(before).StartsRecording());
    EXPECT_EQ(sp.At(before).value, 63.0);
    const std::vector<ArchiveRun> runs = sp.Runs(0, sp.Size() - 1);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[1].first, before);
    EXPECT_EQ(Shown(r.p, kSp).trace->Runs(0, sp.Size() - 1).size(), 2u);
    r.p.host->SetSwitch(0);
}

TEST(ArchiveEndToEnd, AUnitChangedInTheDeviceStartsANewLineInThatUnit) {
    Recording r;
    r.Tick();
    // The device's PV_SCALE now names degrees Celsius (the unit code follows the two floats).
    std::vector<uint8_t> bytes = r.b.device->Record(kPvScale.slot, kPvScale.index);
    bytes.at(8) = 1001 >> 8;
    bytes.at(9) = 1001 & 0xFF;
    r.b.device->SetRecord(kPvScale.slot, kPvScale.index, bytes);
    r.Tick();
    r.Tick();
    const ArchiveTrace& sp = r.Trace(kSp);
    ASSERT_EQ(sp.Size(), 4u);
    EXPECT_EQ(sp.At(1).unitCode, kPercent);
    EXPECT_EQ(sp.Newest().unitCode, 1001);
    const std::vector<ArchiveRun> runs = sp.Runs(0, sp.Size() - 1);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(sp.At(runs[1].first).unitCode, 1001);
    // The chart's scale takes the new unit; the earlier samples keep theirs.
    EXPECT_EQ(Shown(r.p, kSp).unitText, "\u00B0C");
    EXPECT_EQ(ArchiveOf(r.p).Curves().Item(0).UnitText(), "\u00B0C");
    ASSERT_NE(sp.UnitText(kPercent), nullptr);
    EXPECT_EQ(*sp.UnitText(kPercent), "%");
    r.p.host->SetSwitch(0);
}

}  // namespace
}  // namespace kv
