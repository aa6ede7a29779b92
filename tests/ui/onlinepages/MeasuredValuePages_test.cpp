// The measured-value pages and their bars: the colours of the Analog Output block's values, the
// full refresh from the data set (value, tooltip, limits and range), the single change that
// moves only what the element feeds (a PV_SCALE bound moves both bars of ctlMeasVal), the
// notifications of another block or of an element that feeds no bar, and a block number
// without an Analog Output block, whose bars keep what they show.

#include <gtest/gtest.h>

#include <string>

#include "OnlinePageFixture.h"
#include "core/clsDataElement.h"
#include "platform/runtime/IParameters.h"
#include "ui/framework/widgets/ctlBar.h"

namespace kv {
namespace {

using onlinetest::OnlinePage;
using onlinetest::OpenOnlinePage;
using pagetest::AddSecondBlocks;
using pagetest::ElementOf;
using pagetest::PageBench;
using pagetest::RowOf;

ctlBar& BarOf(const OnlinePage& p, const std::string& name) {
    ctlBar* bar = dynamic_cast<CyclicDisplayPage&>(*p.page).Bar(name);
    if (bar == nullptr)
        throw std::runtime_error("no bar " + name);
    return *bar;
}

// A new value of an element, reported to the data set as a page or a read would.
void Change(PageBench& b, const std::string& path, const Variant& value) {
    clsDataElement& e = b.At(path);
    e.SetTransientValue(value);
    b.Ctx().Parameters().ElementChanged(e, "");
}

std::string ToolTipOf(PageBench& b, const std::string& path) {
    clsDataElement& e = b.At(path);
    return e.Description.str() + " [" + e.UnitString(b.Ctx()) + "]";
}

TEST(MeasuredValueBars, CarryTheColoursOfTheAnalogOutputValues) {
    PageBench b;
    OnlinePage val = OpenOnlinePage(b, "ctlMeasVal");
    OnlinePage out = OpenOnlinePage(b, "ctlMeasOut");
    // Setpoint blue, readback green, output &H0040C0; the limit marks in the bar's colour.
    EXPECT_EQ(BarOf(val, "barAOSp").Color(), 0xFF0000);
    EXPECT_EQ(BarOf(val, "barAOSp").LimitColor(), 0xFF0000);
    EXPECT_EQ(BarOf(val, "barAORb").Color(), 0x008000);
    EXPECT_EQ(BarOf(val, "barAORb").LimitColor(), 0x008000);
    EXPECT_EQ(BarOf(out, "barAOOut").Color(), 0x0040C0);
    EXPECT_EQ(BarOf(out, "barAOOut").LimitColor(), 0x0040C0);
    // Each bar stands in its picture box.
    EXPECT_EQ(BarOf(val, "barAORb").parentWidget(), val->Control("Picture1"));
    EXPECT_EQ(BarOf(val, "barAOSp").parentWidget(), val->Control("Picture2"));
    EXPECT_EQ(BarOf(out, "barAOOut").parentWidget(), out->Control("Picture1"));
}

TEST(MeasuredValueBars, ShowTheDataSetFromInitOnOfflineToo) {
    PageBench b;
    b.At("FUNC/1/AO/PV_SCALE/Lo_Val").SetTransientValue(Variant(-20.0f));
    b.At("FUNC/1/AO/PV_SCALE/Up_Val").SetTransientValue(Variant(120.0f));
    b.At("FUNC/1/AO/READBACK/Value").SetTransientValue(Variant(33.5f));
    b.At("FUNC/1/AO/SP/Value").SetTransientValue(Variant(40.0f));
    b.At("FUNC/1/AO/OUT_SCALE/Lo_Val").SetTransientValue(Variant(0.0f));
    b.At("FUNC/1/AO/OUT_SCALE/Up_Val").SetTransientValue(Variant(15.0f));
    b.At("FUNC/1/AO/OUT/Value").SetTransientValue(Variant(7.5f));
    OnlinePage val = OpenOnlinePage(b, "ctlMeasVal");
    OnlinePage out = OpenOnlinePage(b, "ctlMeasOut");
    for (const char* name : {"barAORb", "barAOSp"}) {
        ctlBar& bar = BarOf(val, name);
        EXPECT_DOUBLE_EQ(bar.RangeMin(), -20.0) << name;
        EXPECT_DOUBLE_EQ(bar.RangeMax(), 120.0) << name;
        EXPECT_DOUBLE_EQ(bar.LimitMin().toDouble(), -20.0) << name;
        EXPECT_DOUBLE_EQ(bar.LimitMax().toDouble(), 120.0) << name;
    }
    EXPECT_DOUBLE_EQ(BarOf(val, "barAORb").Value().toDouble(), 33.5);
    EXPECT_DOUBLE_EQ(BarOf(val, "barAOSp").Value().toDouble(), 40.0);
    EXPECT_EQ(BarOf(val, "barAORb").toolTip().toStdString(),
              ToolTipOf(b, "FUNC/1/AO/READBACK/Value"));
    EXPECT_EQ(BarOf(val, "barAOSp").toolTip().toStdString(), ToolTipOf(b, "FUNC/1/AO/SP/Value"));
    EXPECT_NE(ToolTipOf(b, "FUNC/1/AO/SP/Value").find(" [%]"), std::string::npos);
    ctlBar& output = BarOf(out, "barAOOut");
    EXPECT_DOUBLE_EQ(output.Value().toDouble(), 7.5);
    EXPECT_DOUBLE_EQ(output.RangeMin(), 0.0);
    EXPECT_DOUBLE_EQ(output.RangeMax(), 15.0);
    EXPECT_EQ(output.toolTip().toStdString(), ToolTipOf(b, "FUNC/1/AO/OUT/Value"));
}

TEST(MeasuredValueBars, AChangeMovesOnlyWhatItsElementFeeds) {
    PageBench b;
    AddSecondBlocks(b.Ctx());
    OnlinePage val = OpenOnlinePage(b, "ctlMeasVal");
    ctlBar& readback = BarOf(val, "barAORb");
    ctlBar& setpoint = BarOf(val, "barAOSp");

    // An upper PV_SCALE bound moves the scales of both bars, and reaches the row.
    readback.setToolTip("kept");
    Change(b, "FUNC/1/AO/PV_SCALE/Up_Val", Variant(250.0f));
    for (ctlBar* bar : {&readback, &setpoint}) {
        EXPECT_DOUBLE_EQ(bar->RangeMax(), 250.0);
        EXPECT_DOUBLE_EQ(bar->LimitMax().toDouble(), 250.0);
    }
    EXPECT_DOUBLE_EQ(RowOf(*val.page, "FUNC/%d/AO/PV_SCALE/Up_Val").Value().toDouble(), 250.0);
    EXPECT_EQ(readback.toolTip(), "kept");  // the tooltip follows only its value element
    Change(b, "FUNC/1/AO/PV_SCALE/Lo_Val", Variant(-5.0f));
    EXPECT_DOUBLE_EQ(setpoint.RangeMin(), -5.0);
    EXPECT_DOUBLE_EQ(readback.LimitMin().toDouble(), -5.0);

    // The readback's value renews its bar and tooltip; the setpoint bar stays.
    const Variant setpointBefore = setpoint.Value();
    Change(b, "FUNC/1/AO/READBACK/Value", Variant(61.25f));
    EXPECT_DOUBLE_EQ(readback.Value().toDouble(), 61.25);
    EXPECT_EQ(readback.toolTip().toStdString(), ToolTipOf(b, "FUNC/1/AO/READBACK/Value"));
    EXPECT_TRUE(setpoint.Value().looseEquals(setpointBefore));

    // The readback's status feeds no bar; the same elements of block 2 reach only the rows.
    readback.setToolTip("kept");
    Change(b, "FUNC/1/AO/READBACK/Status", Variant(uint8_t{0x80}));
    Change(b, "FUNC/2/AO/PV_SCALE/Up_Val", Variant(999.0f));
    Change(b, "FUNC/2/AO/READBACK/Value", Variant(12.0f));
    EXPECT_DOUBLE_EQ(readback.Value().toDouble(), 61.25);
    EXPECT_DOUBLE_EQ(readback.RangeMax(), 250.0);
    EXPECT_DOUBLE_EQ(setpoint.RangeMax(), 250.0);
    EXPECT_EQ(readback.toolTip(), "kept");
}

TEST(MeasuredValueBars, APageOfBlockTwoFollowsBlockTwoOnly) {
    PageBench b;
    AddSecondBlocks(b.Ctx());
    b.At("FUNC/2/AO/OUT/Value").SetTransientValue(Variant(3.0f));
    OnlinePage out = OpenOnlinePage(b, "ctlMeasOut", 2);
    ctlBar& bar = BarOf(out, "barAOOut");
    EXPECT_DOUBLE_EQ(bar.Value().toDouble(), 3.0);
    EXPECT_EQ(ElementOf(*out.page, RowOf(*out.page, "FUNC/%d/AO/OUT/Value"))->Name(),
              "FUNC/2/AO/OUT/Value");
    Change(b, "FUNC/1/AO/OUT/Value", Variant(9.0f));
    Change(b, "FUNC/1/AO/OUT_SCALE/Up_Val", Variant(50.0f));
    EXPECT_DOUBLE_EQ(bar.Value().toDouble(), 3.0);
    EXPECT_DOUBLE_EQ(bar.RangeMax(),
                     b.At("FUNC/2/AO/OUT_SCALE/Up_Val").TransientValue().toDouble());
    Change(b, "FUNC/2/AO/OUT/Value", Variant(4.5f));
    Change(b, "FUNC/2/AO/OUT_SCALE/Up_Val", Variant(20.0f));
    EXPECT_DOUBLE_EQ(bar.Value().toDouble(), 4.5);
    EXPECT_DOUBLE_EQ(bar.RangeMax(), 20.0);
}

TEST(MeasuredValueBars, ABlockWithoutAnalogOutputLeavesTheBarsAsTheyAre) {
    PageBench b;  // block 1 only
    OnlinePage val = OpenOnlinePage(b, "ctlMeasVal", 2);
    EXPECT_TRUE(val->IsInitialised());
    for (const char* name : {"barAORb", "barAOSp"}) {
        ctlBar& bar = BarOf(val, name);
        EXPECT_TRUE(bar.Value().isEmpty()) << name;
        EXPECT_DOUBLE_EQ(bar.RangeMin(), 0.0) << name;
        EXPECT_DOUBLE_EQ(bar.RangeMax(), 100.0) << name;
        EXPECT_TRUE(bar.toolTip().isEmpty()) << name;
    }
    // Its rows are bound to nothing; cycling has nothing to read.
    EXPECT_EQ(ElementOf(*val.page, RowOf(*val.page, "FUNC/%d/AO/SP/Value")), nullptr);
    b.Online();
    val.Switch().SetCyclicRefresh(1);
    EXPECT_TRUE(val.Requests().empty());
    val->ParameterSetChanged();
    EXPECT_TRUE(BarOf(val, "barAOSp").Value().isEmpty());
}

TEST(MeasuredValueBars, FollowTheDeviceWhileCycling) {
    PageBench b;
    b.Online();
    b.device->SetSetpointCycle(20000);
    // The project's setpoint is its own: the bars show the device's, the project keeps it.
    const Variant projectSetpoint = b.At("FUNC/1/AO/SP/Value").TransientValue();
    OnlinePage val = OpenOnlinePage(b, "ctlMeasVal");
    OnlinePage out = OpenOnlinePage(b, "ctlMeasOut");
    val.Switch().SetCycleTime(1000);
    out.Switch().SetCycleTime(1000);
    val.Switch().SetCyclicRefresh(1);
    out.Switch().SetCyclicRefresh(1);
    std::vector<double> setpoints;
    std::vector<double> outputs;
    for (int tick = 0; tick < 4; ++tick) {
        b.device->FollowClock(b.loop->NowMs());
        b.Settle();
        setpoints.push_back(BarOf(val, "barAOSp").Value().toDouble());
        outputs.push_back(BarOf(out, "barAOOut").Value().toDouble());
        EXPECT_DOUBLE_EQ(setpoints.back(), b.At("FUNC/1/AO/SP/Value").DeviceValue().toDouble());
        EXPECT_EQ(b.At("FUNC/1/AO/SP/Value").TransientValue(), projectSetpoint);
        b.loop->Advance(1000);
    }
    EXPECT_NE(setpoints.front(), setpoints.back());
    EXPECT_NE(outputs.front(), outputs.back());
}

}  // namespace
}  // namespace kv
