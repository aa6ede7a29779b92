// The archive page: the curves it configures on a new and on a configured instance, the
// recording run together with the cycle switch of the navigation control (and refused with it),
// the period of both, the rows of the page's block beside the curves of block 1, the curves'
// captions and units, the edit lock and the release.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <string>
#include <vector>

#include "OnlinePageFixture.h"
#include "core/DictionaryLookup.h"
#include "core/clsDataElement.h"
#include "dtm/DTMState.h"
#include "platform/controls/widgets/QtText.h"
#include "platform/controls/widgets/Trend.h"
#include "platform/controls/widgets/ctlDTMArchive.h"
#include "ui/onlinepages/ArchivePage.h"

namespace kv {
namespace {

using onlinetest::OnlinePage;
using onlinetest::OpenOnlinePage;
using pagetest::AddSecondBlocks;
using pagetest::ElementOf;
using pagetest::PageBench;

const char* const kSp = "FUNC/1/AO/SP/Value";
const char* const kRb = "FUNC/1/AO/READBACK/Value";
const char* const kCb = "FUNC/1/AO/CHECK_BACK/CB_CONTR_ERR";
const char* const kZero = "PHYS/DIAGNOSIS/DIA_ZERO_ERR";

ctlDTMArchive& ArchiveOf(const OnlinePage& p) {
    ctlDTMArchive* archive = dynamic_cast<ArchivePage&>(*p.page).Archive();
    if (archive == nullptr)
        throw std::runtime_error("the archive page has no archive control");
    return *archive;
}

std::shared_ptr<Archive> ArchiveObject(PageBench& b) {
    return b.instance->dtm->State()->Archive();
}

size_t Samples(PageBench& b, const char* path) {
    const ArchiveTrace* trace = ArchiveObject(b)->FindTrace(path);
    return trace ? trace->Size() : 0;
}

std::vector<std::string> Keys(const ArchiveCurves& curves) {
    std::vector<std::string> keys;
    for (size_t i = 0; i < curves.Count(); ++i)
        keys.push_back(curves.Key(i));
    return keys;
}

std::vector<std::string> Records(const IArchiveCurve& curve) {
    std::vector<std::string> paths;
    for (size_t r = 0; r < curve.RecordElements().Count(); ++r)
        paths.push_back(curve.RecordElements().Item(r));
    return paths;
}

QCheckBox& RecordSwitch(const OnlinePage& p) {
    auto* box = ArchiveOf(p).findChild<QCheckBox*>("recordSwitch");
    if (box == nullptr)
        throw std::runtime_error("no record switch");
    return *box;
}

TEST(ArchiveConfiguration, ANewInstanceSwitchesOnAllFourCurves) {
    PageBench b;
    ASSERT_EQ(ArchiveObject(b)->CheckCurveEnabled(), -1);
    OnlinePage p = OpenOnlinePage(b, "ctlArchive");
    EXPECT_EQ(ArchiveObject(b)->CheckCurveEnabled(), 15);
    ctlDTMArchive& archive = ArchiveOf(p);
    const ArchiveCurves& curves = archive.Curves();
    ASSERT_EQ(Keys(curves), (std::vector<std::string>{kSp, kRb, kCb, kZero}));
    const int32_t colours[] = {0xFF0000, 0x008000, 0x800080, 0x0000FF};
    for (int32_t i = 0; i < 4; ++i) {
        const IArchiveCurve& curve = curves.Item(static_cast<size_t>(i));
        EXPECT_EQ(curve.Index(), i);
        EXPECT_EQ(curve.ScaleIndex(), i);
        EXPECT_TRUE(curve.Enabled());
        EXPECT_EQ(curve.ValueFormat(), b.At(curves.Key(static_cast<size_t>(i))).ValueFormat.str());
        EXPECT_EQ(archive.Trend()->CurveColor(i), colours[i]) << i;
        EXPECT_EQ(archive.Trend()->YScForeColor(i), colours[i]) << i;
        EXPECT_EQ(archive.Trend()->CurveSymbol(i), -1) << i;
    }
    // Setpoint and readback span PV_SCALE; the two bits have fixed ranges.
    for (size_t i : {0u, 1u}) {
        const IArchiveCurve& curve = curves.Item(i);
        EXPECT_EQ(curve.RangeElementPath(areScaleMax), "FUNC/1/AO/PV_SCALE/Up_Val");
        EXPECT_EQ(curve.RangeElementPath(areScaleMin), "FUNC/1/AO/PV_SCALE/Lo_Val");
        EXPECT_EQ(curve.RangeElementPath(areActMax), "FUNC/1/AO/PV_SCALE/Up_Val");
        EXPECT_EQ(curve.RangeElementPath(areActMin), "FUNC/1/AO/PV_SCALE/Lo_Val");
    }
    EXPECT_EQ(curves.Item(2).FixedRange(areScaleMax), 7.5);
    EXPECT_EQ(curves.Item(2).FixedRange(areActMin), -1.5);
    EXPECT_EQ(curves.Item(3).FixedRange(areActMax), 9.0);
    EXPECT_EQ(curves.Item(3).FixedRange(areScaleMin), 0.0);
    EXPECT_EQ(curves.Item(2).RangeElementPath(areScaleMax), "");
    EXPECT_EQ(Records(curves.Item(0)),
              (std::vector<std::string>{"FUNC/1/AO/SP/", "FUNC/1/AO/PV_SCALE/"}));
    EXPECT_EQ(Records(curves.Item(1)),
              (std::vector<std::string>{"FUNC/1/AO/READBACK/", "FUNC/1/AO/PV_SCALE/"}));
    EXPECT_EQ(Records(curves.Item(2)), (std::vector<std::string>{"FUNC/1/AO/CHECK_BACK/"}));
    EXPECT_EQ(Records(curves.Item(3)), (std::vector<std::string>{"PHYS/DIAGNOSIS/"}));
    // The chart offers no dialog choices and draws in its fixed font; both display options off.
    for (const char* setting :
         {"DlgScalePositions", "DockingScales", "DlgBackColor", "DlgForeColor", "DlgTrendBackColor",
          "DlgDWBackColor", "DlgOVBackColor", "DlgOVRangeColor"})
        EXPECT_FALSE(archive.Trend()->GetProperty(setting).toBool()) << setting;
    EXPECT_TRUE(archive.Trend()->GetProperty("FixedFont").toBool());
    EXPECT_FALSE(archive.DisplayOptionA());
    EXPECT_FALSE(archive.DisplayOptionB());
    // The designer values of the control, but the period of ctlCycle1 (4000, not 1000).
    EXPECT_EQ(archive.CurveCount(), 4);
    EXPECT_EQ(archive.DesignerProperty("propcolwidth").toDouble(), 2300.0);
    EXPECT_FALSE(archive.DesignerProperty("cycleframevisible").toBool());
    EXPECT_EQ(archive.CycleTime(), 4000);
    EXPECT_TRUE(p->PrepareToRelease());
}

TEST(ArchiveConfiguration, AConfiguredArchiveKeepsItsCurveSwitches) {
    PageBench b;
    ArchiveObject(b)->SetCheckCurveEnabled(5);
    OnlinePage p = OpenOnlinePage(b, "ctlArchive");
    EXPECT_EQ(ArchiveObject(b)->CheckCurveEnabled(), 5);
    EXPECT_EQ(ArchiveOf(p).Curves().Count(), 4u);
    std::vector<int32_t> shown;
    for (const Trend::Curve& c : ArchiveOf(p).Trend()->Curves())
        shown.push_back(c.index);
    EXPECT_EQ(shown, (std::vector<int32_t>{0, 2}));
    // Each opening configures afresh and still keeps the switches.
    ASSERT_TRUE(p->PrepareToRelease());
    OnlinePage again = OpenOnlinePage(b, "ctlArchive");
    EXPECT_EQ(ArchiveObject(b)->CheckCurveEnabled(), 5);
    EXPECT_EQ(ArchiveOf(again).Curves().Count(), 4u);
}

TEST(ArchiveConfiguration, RowsShowThePagesBlockAndCurvesBlockOne) {
    PageBench b;
    AddSecondBlocks(b.Ctx());
    OnlinePage p = OpenOnlinePage(b, "ctlArchive", 2);
    std::vector<std::string> rows;
    for (ctlParameter* row : p->Rows()) {
        clsDataElement* e = ElementOf(*p.page, *row);
        rows.push_back(e ? e->Name() : "<none>");
    }
    EXPECT_EQ(rows, (std::vector<std::string>{"FUNC/2/AO/READBACK/Value", "FUNC/2/AO/SP/Value",
                                              kZero, "FUNC/2/AO/CHECK_BACK/CB_CONTR_ERR"}));
    EXPECT_EQ(Keys(ArchiveOf(p).Curves()), (std::vector<std::string>{kSp, kRb, kCb, kZero}));
    EXPECT_EQ(Records(ArchiveOf(p).Curves().Item(1)),
              (std::vector<std::string>{"FUNC/1/AO/READBACK/", "FUNC/1/AO/PV_SCALE/"}));
}

TEST(ArchiveCycle, TheNavigationControlsSwitchRunsTheCycleAndTheRecording) {
    PageBench b;
    b.Online();
    OnlinePage p = OpenOnlinePage(b, "ctlArchive");
    p.Switch().SetCyclicRefresh(1);
    b.Settle();
    EXPECT_EQ(p.Cycle().Value(), 1);
    EXPECT_TRUE(ArchiveOf(p).Recording());
    EXPECT_EQ(Samples(b, kSp), 1u) << "the first sample at once";
    p.Switch().SetCyclicRefresh(0);
    EXPECT_EQ(p.Cycle().Value(), 0);
    EXPECT_FALSE(ArchiveOf(p).Recording());
    // Any value other than 1 stops the recording, though ctlCycle1 takes it as on.
    p.Switch().SetCyclicRefresh(1);
    p.Switch().SetCyclicRefresh(2);
    EXPECT_EQ(p.Cycle().Value(), 1);
    EXPECT_FALSE(ArchiveOf(p).Recording());
    p.Switch().SetCyclicRefresh(0);
    EXPECT_TRUE(p->PrepareToRelease());
}

TEST(ArchiveCycle, SetCycleTimeReachesTheCycleAndTheRecording) {
    PageBench b;
    b.Online();
    OnlinePage p = OpenOnlinePage(b, "ctlArchive");
    EXPECT_EQ(p.Cycle().Interval(), 4000);
    EXPECT_EQ(ArchiveOf(p).CycleTime(), 4000);
    p.Switch().SetCycleTime(2000);
    EXPECT_EQ(p.Cycle().Interval(), 2000);
    EXPECT_EQ(ArchiveOf(p).CycleTime(), 2000);
    p.host->SetSwitch(1);
    b.Settle();
    b.loop->Advance(4000);
    b.Settle();
    EXPECT_EQ(Samples(b, kSp), 3u);
    // Below what ctlCycle1 takes, both run with ctlCycle1's shortest period.
    p.Switch().SetCycleTime(0);
    EXPECT_EQ(ArchiveOf(p).CycleTime(), p.Cycle().Interval());
    p.host->SetSwitch(0);
}

// A switch-on that ctlCycle1 refuses (no connection) starts no recording, whoever asks.
TEST(ArchiveCycle, NoRecordingWhileTheCycleCannotRun) {
    PageBench b;  // offline
    OnlinePage p = OpenOnlinePage(b, "ctlArchive");
    p.Switch().SetCyclicRefresh(1);
    EXPECT_EQ(p.Cycle().Value(), 0);
    EXPECT_FALSE(ArchiveOf(p).Recording());
    EXPECT_EQ(p.host->Switch(), 0);
    p.host->SetSwitch(1);
    EXPECT_FALSE(ArchiveOf(p).Recording());
    EXPECT_EQ(p.host->Switch(), 0);
    p.Cycle().CheckBox()->click();
    EXPECT_FALSE(ArchiveOf(p).Recording());
    b.loop->Advance(10000);
    EXPECT_EQ(Samples(b, kSp), 0u);
    EXPECT_FALSE(RecordSwitch(p).isChecked());
}

TEST(ArchiveCycle, ACycleThatStopsItselfStopsTheRecording) {
    PageBench b;
    b.Online();
    OnlinePage p = OpenOnlinePage(b, "ctlArchive");
    p.Switch().SetCycleTime(500);
    p.host->SetSwitch(1);
    b.Settle();
    b.loop->Advance(1000);
    b.Settle();
    ASSERT_TRUE(ArchiveOf(p).Recording());
    b.session->Channel().DropConnection();
    b.Settle();
    b.loop->Advance(1000);
    b.Settle();
    EXPECT_EQ(p.Cycle().Value(), 0);
    EXPECT_EQ(p.host->Switch(), 0);
    EXPECT_FALSE(ArchiveOf(p).Recording());
    EXPECT_FALSE(RecordSwitch(p).isChecked());
    const size_t recorded = Samples(b, kSp);
    b.loop->Advance(5000);
    EXPECT_EQ(Samples(b, kSp), recorded);
}

TEST(ArchiveCycle, TheSwitchesOfTheArchiveAndOfTheCycleAreMirroredIntoTheHost) {
    PageBench b;
    b.Online();
    OnlinePage p = OpenOnlinePage(b, "ctlArchive");
    RecordSwitch(p).click();
    b.Settle();
    EXPECT_EQ(p.host->changes, (std::vector<int16_t>{1}));
    EXPECT_EQ(p.Cycle().Value(), 1);
    EXPECT_TRUE(ArchiveOf(p).Recording());
    RecordSwitch(p).click();
    EXPECT_EQ(p.host->changes, (std::vector<int16_t>{1, 0}));
    EXPECT_EQ(p.Cycle().Value(), 0);
    EXPECT_FALSE(ArchiveOf(p).Recording());
    // The user's click on ctlCycle1: the recording starts once the cycle runs.
    p.Cycle().CheckBox()->click();
    EXPECT_EQ(p.host->changes, (std::vector<int16_t>{1, 0, 1}));
    EXPECT_TRUE(ArchiveOf(p).Recording());
    p.Cycle().CheckBox()->click();
    EXPECT_FALSE(ArchiveOf(p).Recording());
    EXPECT_TRUE(p->PrepareToRelease());
}

// Outside a navigation control the archive's switch still records, and nobody passes the cycle
// control's switch-off on but the page itself.
TEST(ArchiveCycle, OutsideTheNavigationControlTheSwitchesStillWork) {
    PageBench b;
    b.Online();
    std::unique_ptr<PageBase> page = CreateOnlinePage("ctlArchive");
    ASSERT_TRUE(page->Init("1.ctlArchive$", "", b.Dtm()));
    auto& archivePage = dynamic_cast<ArchivePage&>(*page);
    ctlDTMArchive& archive = *archivePage.Archive();
    archive.findChild<QCheckBox*>("recordSwitch")->click();
    b.Settle();
    EXPECT_TRUE(archive.Recording());
    EXPECT_EQ(Samples(b, kSp), 1u);
    EXPECT_EQ(archivePage.Cycle()->Value(), 0);

    archivePage.SetCycleTime(500);
    archivePage.SetCyclicRefresh(1);
    b.Settle();
    b.session->Channel().DropConnection();
    b.Settle();
    b.loop->Advance(1000);
    b.Settle();
    EXPECT_EQ(archivePage.Cycle()->Value(), 0);
    EXPECT_FALSE(archive.Recording());
    EXPECT_TRUE(page->PrepareToRelease());
}

TEST(ArchiveTexts, CaptionsFromTheMeasuredValueKeysAndTheLabels) {
    PageBench b;
    OnlinePage p = OpenOnlinePage(b, "ctlArchive");
    const ArchiveCurves& curves = ArchiveOf(p).Curves();
    for (int32_t language : {langEnglish, langGerman}) {
        ASSERT_TRUE(b.Dtm()->SetLanguage(language));
        const std::string setpoint = language == langGerman ? "Sollwert" : "Setpoint";
        const std::string readback =
            language == langGerman ? "Stellung (R\u00FCckmeldung)" : "Position (readback)";
        EXPECT_EQ(curves.Item(0).Caption(), setpoint);
        EXPECT_EQ(curves.Item(1).Caption(), readback);
        EXPECT_EQ(curves.Item(2).Caption(), b.At(kCb).Label.str());
        EXPECT_EQ(curves.Item(3).Caption(), b.At(kZero).Label.str());
        EXPECT_FALSE(curves.Item(3).Caption().empty());
        for (size_t i = 0; i < curves.Count(); ++i)
            EXPECT_EQ(curves.Item(i).UnitText(), b.At(curves.Key(i)).UnitString(b.Ctx())) << i;
        // The chart and its panel show them.
        EXPECT_EQ(ArchiveOf(p).Trend()->Curves()[1].caption, ToQString(readback));
        EXPECT_EQ(ArchiveOf(p).findChild<QLabel*>("curveCaption0")->text(), ToQString(setpoint));
    }
    EXPECT_EQ(curves.Item(0).UnitText(), "%");
}

TEST(ArchiveTexts, AChangeRenewsOnlyItsCurveALanguageChangeAllAndTheScales) {
    PageBench b;
    OnlinePage p = OpenOnlinePage(b, "ctlArchive");
    ctlDTMArchive& archive = ArchiveOf(p);
    const ArchiveCurves& curves = archive.Curves();
    for (size_t i = 0; i < curves.Count(); ++i) {
        curves.Item(i).SetCaption("old");
        curves.Item(i).SetUnitText("old");
    }
    archive.Trend()->YScSetPosition(0, 1, 3, 10, 50, false);
    archive.Trend()->YScSetPosition(1, 1, 2, 50, 90, false);
    clsDataElement& readback = b.At(kRb);
    readback.nTransientUnit = 1001;  // degrees Celsius
    b.Ctx().Parameters().ElementChanged(readback, "");
    EXPECT_EQ(curves.Item(1).Caption(), "Position (readback)");
    EXPECT_EQ(curves.Item(1).UnitText(), "\u00B0C");
    for (size_t i : {0u, 2u, 3u}) {
        EXPECT_EQ(curves.Item(i).Caption(), "old") << i;
        EXPECT_EQ(curves.Item(i).UnitText(), "old") << i;
    }
    EXPECT_FALSE(archive.Trend()->ScaleVisible(0));

    ASSERT_TRUE(b.Dtm()->SetLanguage(langGerman));
    EXPECT_EQ(curves.Item(0).Caption(), "Sollwert");
    EXPECT_EQ(curves.Item(3).UnitText(), b.At(kZero).UnitString(b.Ctx()));
    for (int32_t scale : {0, 1}) {
        const TrendScalePlacement place = archive.Trend()->ScalePlacement(scale);
        EXPECT_EQ(place.side, 0) << scale;
        EXPECT_EQ(place.order, scale);
        EXPECT_EQ(place.fromPercent, 0);
        EXPECT_EQ(place.toPercent, 100);
        EXPECT_TRUE(archive.Trend()->ScaleVisible(scale));
    }
    EXPECT_EQ(archive.findChild<QCheckBox*>("recordSwitch")->text(), "Aufzeichnung");
}

TEST(ArchiveEdit, TheLockReachesTheRowsAndTheCurveSwitches) {
    PageBench b;
    b.Gui().SetLocked(true);
    OnlinePage p = OpenOnlinePage(b, "ctlArchive");
    auto* curveSwitch = ArchiveOf(p).findChild<QCheckBox*>("curveSwitch1");
    ASSERT_NE(curveSwitch, nullptr);
    EXPECT_FALSE(curveSwitch->isEnabled());
    curveSwitch->click();
    EXPECT_EQ(ArchiveObject(b)->CheckCurveEnabled(), 15);
    b.Gui().SetLocked(false);
    EXPECT_TRUE(curveSwitch->isEnabled());
    curveSwitch->click();
    EXPECT_EQ(ArchiveObject(b)->CheckCurveEnabled(), 13);
}

TEST(ArchiveRelease, ReleasesTheArchiveControlAndStopsBothSwitches) {
    PageBench b;
    b.Online();
    OnlinePage p = OpenOnlinePage(b, "ctlArchive");
    p.Switch().SetCycleTime(500);
    p.host->SetSwitch(1);
    b.Settle();
    ASSERT_TRUE(p->PrepareToRelease());
    EXPECT_TRUE(ArchiveOf(p).Released());
    EXPECT_FALSE(ArchiveOf(p).Recording());
    EXPECT_EQ(p.Cycle().Value(), 0);
    EXPECT_EQ(p.host->Switch(), 1) << "the page leaves the navigation control's switch";
    const size_t recorded = Samples(b, kSp);
    b.Clear();
    b.loop->Advance(5000);
    b.Settle();
    EXPECT_EQ(Samples(b, kSp), recorded);
    EXPECT_TRUE(b.device->Log().empty());
    // The archive outlives the page: the next opening hands it to a new control.
    OnlinePage again = OpenOnlinePage(b, "ctlArchive");
    ASSERT_NE(ArchiveOf(again).Trend()->Curves()[0].trace, nullptr);
    EXPECT_EQ(ArchiveOf(again).Trend()->Curves()[0].trace->Size(), recorded);
}

TEST(ArchiveLayout, TheSwitchStandsBetweenTheRowsAndTheArchiveWhichFollowsThePage) {
    PageBench b;
    OnlinePage p = OpenOnlinePage(b, "ctlArchive");
    ctlDTMArchive& archive = ArchiveOf(p);
    const QRect cycle = p.Cycle().geometry();
    for (ctlParameter* row : p->Rows())
        EXPECT_LT(row->geometry().bottom(), cycle.top());
    EXPECT_LT(cycle.bottom(), archive.y());
    const QSize before = archive.size();
    const QRect row = p->Rows().front()->geometry();
    p->resize(p->width() + 200, p->height() + 150);
    // The archive control follows width and height, the rows only the width.
    EXPECT_EQ(archive.width(), before.width() + 200);
    EXPECT_EQ(archive.height(), before.height() + 150);
    EXPECT_EQ(p->Rows().front()->geometry(), row.adjusted(0, 0, 200, 0));
    EXPECT_EQ(p.Cycle().geometry(), cycle);
    EXPECT_LT(cycle.bottom(), archive.y());
    EXPECT_TRUE(archive.PanelBeside());

    // Too narrow for the chart and the panel side by side: the panel goes below the chart, which
    // keeps its useful width; the page's least width holds the two one above the other.
    const QWidget* panel = archive.findChild<QWidget*>(QStringLiteral("archivePanel"));
    ASSERT_NE(panel, nullptr);
    const int panelWidth = panel->width();
    const int least = archive.Trend()->minimumSizeHint().width();
    EXPECT_LT(p->minimumWidth(), archive.x() + least + panelWidth);
    p->resize(p->minimumWidth(), p->height());
    EXPECT_FALSE(archive.PanelBeside());
    EXPECT_GE(archive.Trend()->width(), least);
    EXPECT_GE(panel->y(), archive.Trend()->geometry().bottom());
    p->resize(p->width() + panelWidth, p->height());
    EXPECT_TRUE(archive.PanelBeside());
}

}  // namespace
}  // namespace kv
