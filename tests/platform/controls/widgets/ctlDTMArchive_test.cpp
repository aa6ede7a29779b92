// The archive control against the simulated positioner on the offscreen platform: its panel of
// curves and switches, the recording switch's event, recording with gaps, value ranges, designer
// properties, languages and release.

#include "platform/controls/widgets/ctlDTMArchive.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <QCheckBox>
#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <cmath>
#include <filesystem>

#include "platform/controls/ArchiveTestBench.h"
#include "platform/controls/widgets/Trend.h"
#include "platform/runtime/PropertyBag.h"

namespace kv {
namespace {

using test_support::ArchiveTestBench;
using test_support::CurveSetups;

const char* const kSp = "FUNC/1/AO/SP/Value";

struct Control : ArchiveTestBench {
    ctlDTMArchive control;
    std::vector<int16_t> events;

    explicit Control(int32_t mask = 15, bool online = true) {
        if (online && !Online())
            throw std::runtime_error("no connection to the simulated positioner");
        TheArchive()->SetCheckCurveEnabled(mask);
        control.resize(800, 400);
        QObject::connect(&control, &ctlDTMArchive::CyclicRefreshChanged,
                         [this](int16_t state) { events.push_back(state); });
        Configure();
    }
    void Configure() {
        ArchiveCurves curves = CurveSet();
        const char* captions[] = {"Setpoint", "Readback", "Control-loop error", "Zero error"};
        for (size_t i = 0; i < curves.Count(); ++i) {
            curves.Item(i).SetCaption(captions[i]);
            curves.Item(i).SetUnitText(i < 2 ? "%" : "");
            curves.Item(i).SetValueFormat(i < 2 ? "0.0" : "");
        }
        control.SetUnitSource(test_support::DeviceUnitSource(Ctx()));
        control.Configure(Ctx(), curves, TheArchive());
    }
    QCheckBox* Switch(const QString& name) { return control.findChild<QCheckBox*>(name); }
    QString Text(const QString& name) {
        QLabel* label = control.findChild<QLabel*>(name);
        return label ? label->text() : QStringLiteral("<missing>");
    }
    std::vector<int32_t> ShownIndices() {
        std::vector<int32_t> out;
        for (const Trend::Curve& c : control.Trend()->Curves())
            out.push_back(c.index);
        return out;
    }
    size_t Samples(const char* path) {
        const ArchiveTrace* t = TheArchive()->FindTrace(path);
        return t ? t->Size() : 0;
    }
};

TEST(ctlDTMArchivePanel, ListsEveryCurveWithItsSwitchCaptionAndValue) {
    Control c(0b0101);
    EXPECT_EQ(c.control.CurveCount(), 4);
    ASSERT_EQ(c.control.Curves().Count(), 4u);
    for (int i = 0; i < 4; ++i)
        ASSERT_NE(c.Switch(QStringLiteral("curveSwitch%1").arg(i)), nullptr) << i;
    EXPECT_TRUE(c.Switch("curveSwitch0")->isChecked());
    EXPECT_FALSE(c.Switch("curveSwitch1")->isChecked());
    EXPECT_TRUE(c.Switch("curveSwitch2")->isChecked());
    EXPECT_FALSE(c.Switch("curveSwitch3")->isChecked());
    EXPECT_EQ(c.Text("curveCaption2"), "Control-loop error");
    EXPECT_EQ(c.Text("curveValue0"), QStringLiteral("\u2013")) << "nothing recorded yet";
    EXPECT_EQ(c.ShownIndices(), (std::vector<int32_t>{0, 2}));
    EXPECT_TRUE(c.control.findChild<QLabel*>("problemText")->isHidden());
    EXPECT_FALSE(c.control.findChild<QCheckBox*>("recordSwitch")->isChecked());
}

TEST(ctlDTMArchivePanel, CurveSwitchesSetTheArchiveBitsUnlessEditingIsOff) {
    Control c(0b0101);
    c.Switch("curveSwitch1")->click();
    EXPECT_EQ(c.TheArchive()->CheckCurveEnabled(), 0b0111);
    EXPECT_EQ(c.ShownIndices(), (std::vector<int32_t>{0, 1, 2}));
    c.Switch("curveSwitch0")->click();
    EXPECT_EQ(c.TheArchive()->CheckCurveEnabled(), 0b0110);

    c.control.EnableEdit(false);
    EXPECT_FALSE(c.Switch("curveSwitch3")->isEnabled());
    c.Switch("curveSwitch3")->click();
    EXPECT_EQ(c.TheArchive()->CheckCurveEnabled(), 0b0110);
    c.control.EnableEdit(true);
    EXPECT_TRUE(c.Switch("curveSwitch3")->isEnabled());
}

TEST(ctlDTMArchiveRecordSwitch, SwitchesTheRecordingRaisesTheEventAndShowsWhetherItRuns) {
    Control c;
    QCheckBox* record = c.Switch("recordSwitch");
    ASSERT_NE(record, nullptr);
    // Without a host that follows, the recording still runs.
    record->click();
    EXPECT_EQ(c.events, (std::vector<int16_t>{1}));
    EXPECT_TRUE(c.control.Recording());
    EXPECT_TRUE(record->isChecked());
    record->click();
    EXPECT_EQ(c.events, (std::vector<int16_t>{1, 0}));
    EXPECT_FALSE(c.control.Recording());
    EXPECT_FALSE(record->isChecked());

    // A host whose cycle cannot run stops the recording again: the switch shows it.
    const auto refuse = QObject::connect(&c.control, &ctlDTMArchive::CyclicRefreshChanged,
                                         [&](int16_t) { c.control.StopCycle(); });
    record->click();
    EXPECT_FALSE(c.control.Recording());
    EXPECT_FALSE(record->isChecked());
    QObject::disconnect(refuse);
    c.events.clear();

    // A host that couples it to its cycle.
    QObject::connect(&c.control, &ctlDTMArchive::CyclicRefreshChanged, [&](int16_t state) {
        if (state == 1)
            c.control.StartCycle();
        else
            c.control.StopCycle();
    });
    record->click();
    EXPECT_TRUE(c.control.Recording());
    EXPECT_TRUE(record->isChecked());
    record->click();
    EXPECT_EQ(c.events, (std::vector<int16_t>{1, 0}));
    EXPECT_FALSE(c.control.Recording());
    // StartCycle and StopCycle raise no event.
    c.control.StartCycle();
    EXPECT_TRUE(record->isChecked());
    c.control.StopCycle();
    EXPECT_EQ(c.events.size(), 2u);
}

TEST(ctlDTMArchiveRecordSwitch, AHostMayReleaseOrDropTheControlInTheEvent) {
    ArchiveTestBench b;
    ASSERT_TRUE(b.Online());
    auto* control = new ctlDTMArchive();
    control->Configure(b.Ctx(), b.CurveSet(), b.TheArchive());
    QObject::connect(control, &ctlDTMArchive::CyclicRefreshChanged, [&](int16_t) {
        control->Release();
        control->deleteLater();
    });
    QPointer<ctlDTMArchive> watch(control);
    control->findChild<QCheckBox*>("recordSwitch")->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(watch.isNull());
}

TEST(ctlDTMArchiveRecording, ValuesGapsAndTheChartFollow) {
    Control c;
    c.control.SetCycleTime(100);
    c.SetSetpoint(37.5f);
    c.control.StartCycle();
    c.loop->Advance(400);
    EXPECT_EQ(c.Samples(kSp), 5u);
    EXPECT_EQ(c.Text("curveValue0"), "37.5 %");
    const std::vector<Trend::Curve>& shown = c.control.Trend()->Curves();
    ASSERT_EQ(shown.size(), 4u);
    ASSERT_NE(shown[0].trace, nullptr);
    EXPECT_EQ(shown[0].trace->Size(), 5u);
    EXPECT_EQ(shown[0].unitText, "%");
    EXPECT_EQ(c.control.Trend()->VisibleRange().to, shown[0].trace->Newest().timeMs);

    c.session->Channel().DropConnection();
    c.loop->Advance(100);
    EXPECT_EQ(c.Text("curveValue0"), "no value");
    c.control.SetLanguage(7);
    EXPECT_EQ(c.Text("curveValue0"), "kein Wert");

    c.control.StopCycle();
    c.loop->Advance(1000);
    EXPECT_EQ(c.Samples(kSp), 6u);
}

TEST(ctlDTMArchiveRecording, TheTrendSurvivesSavingAndReopeningTheProject) {
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("kvarchive-" + std::to_string(getpid()) + ".kvproj"))
                                 .string();
    std::vector<double> recorded;
    {
        Control c;
        c.control.SetCycleTime(100);
        c.control.StartCycle();
        for (int k = 0; k < 60; ++k) {
            c.SetSetpoint(static_cast<float>(k) * 1.5f);
            c.loop->Advance(100);
        }
        c.control.StopCycle();
        const ArchiveTrace* sp = c.TheArchive()->FindTrace(kSp);
        ASSERT_NE(sp, nullptr);
        for (size_t i = 0; i < sp->Size(); ++i)
            recorded.push_back(sp->At(i).value);
        FrameFault error;
        ASSERT_TRUE(c.frame.SaveProject(path, error)) << error;
    }
    ArchiveTestBench reopened;
    reopened.session.reset();  // it would outlive the instance the load replaces
    FrameFault error;
    ASSERT_TRUE(reopened.frame.LoadProject(path, error)) << error;
    std::filesystem::remove(path);
    reopened.instance = reopened.frame.Find("PV-101");
    ASSERT_NE(reopened.instance, nullptr);
    ctlDTMArchive control;
    control.Configure(reopened.Ctx(), reopened.CurveSet(), reopened.TheArchive());
    const std::vector<Trend::Curve>& shown = control.Trend()->Curves();
    ASSERT_EQ(shown.size(), 4u);
    ASSERT_NE(shown[0].trace, nullptr);
    ASSERT_EQ(shown[0].trace->Size(), recorded.size());
    for (size_t i = 0; i < recorded.size(); ++i)
        EXPECT_EQ(shown[0].trace->At(i).value, recorded[i]) << i;
}

TEST(ctlDTMArchiveRanges, FollowTheirElementsWhenUpdateActRangesIsOn) {
    Control c(15, false);
    ASSERT_EQ(c.control.Trend()->Curves()[0].scaleMax, 100.0);
    EXPECT_EQ(c.control.Trend()->Curves()[2].scaleMin, CurveSetups()[2].scaleMin);
    EXPECT_EQ(c.control.Trend()->Curves()[3].scaleMax, CurveSetups()[3].scaleMax);
    IPrivateDataElement& up = c.Element("FUNC/1/AO/PV_SCALE/Up_Val");
    up.SetTransientValue(Variant(80.0f));
    c.control.ParameterChanged(up);
    EXPECT_EQ(c.control.Trend()->Curves()[0].scaleMax, 80.0);
    EXPECT_EQ(c.control.Trend()->Curves()[1].actMax, 80.0);

    ASSERT_TRUE(c.control.SetDesignerProperty("updateactranges", Variant(false)));
    up.SetTransientValue(Variant(60.0f));
    c.control.ParameterChanged(up);
    c.control.ParameterSetChanged();
    EXPECT_EQ(c.control.Trend()->Curves()[0].scaleMax, 80.0);
}

TEST(ctlDTMArchiveDesigner, ThePagesDesignerValues) {
    ctlDTMArchive control;
    const double dpi = control.logicalDpiX();
    EXPECT_TRUE(control.SetDesignerProperty("minheight", Variant(4755.0)));
    EXPECT_TRUE(control.SetDesignerProperty("minwidth", Variant(6000.0)));
    EXPECT_TRUE(control.SetDesignerProperty("curvecount", Variant(int16_t{4})));
    EXPECT_TRUE(control.SetDesignerProperty("updateactranges", Variant(true)));
    EXPECT_TRUE(control.SetDesignerProperty("propcolwidth", Variant(int32_t{2300})));
    EXPECT_TRUE(control.SetDesignerProperty("cycletime", Variant(int32_t{1000})));
    EXPECT_TRUE(control.SetDesignerProperty("CycleFrameVisible", Variant(false)));
    EXPECT_EQ(control.minimumHeight(), std::lround(4755 * dpi / 1440));
    EXPECT_EQ(control.minimumWidth(), std::lround(6000 * dpi / 1440));
    EXPECT_EQ(control.findChild<QWidget*>("archivePanel")->width(), std::lround(2300 * dpi / 1440));
    EXPECT_EQ(control.CurveCount(), 4);
    EXPECT_EQ(control.CycleTime(), 1000);
    EXPECT_TRUE(control.findChild<QLabel*>("cycleFrame")->isHidden());
    EXPECT_EQ(control.DesignerProperty("minheight"), Variant(4755.0));
    EXPECT_EQ(control.DesignerProperty("cycleframevisible"), Variant(false));

    EXPECT_FALSE(control.SetDesignerProperty("nosuchproperty", Variant(1)));
    EXPECT_FALSE(control.SetDesignerProperty("cycletime", Variant(int32_t{0})));
    EXPECT_FALSE(control.SetDesignerProperty("curvecount", Variant("many")));
    EXPECT_FALSE(control.SetDesignerProperty("minwidth", Variant(-1.0)));
    EXPECT_EQ(control.CycleTime(), 1000);
    EXPECT_EQ(control.DesignerProperty("nosuchproperty"), Variant());
    EXPECT_THROW(control.SetCycleTime(0), std::invalid_argument);
}

TEST(ctlDTMArchiveTexts, LanguageAndDisplayOptions) {
    Control c(15, false);
    EXPECT_EQ(c.Switch("recordSwitch")->text(), "Recording");
    c.control.SetCycleTime(2000);
    EXPECT_EQ(c.Text("cycleFrame"), "Cycle time: 2000 ms");
    c.control.SetLanguage(0x0407);
    EXPECT_EQ(c.Switch("recordSwitch")->text(), "Aufzeichnung");
    EXPECT_EQ(c.Text("cycleFrame"), "Zykluszeit: 2000 ms");
    c.control.SetLanguage(9);
    EXPECT_EQ(c.Switch("recordSwitch")->text(), "Recording");

    c.control.SetDisplayOptionA(true);
    c.control.SetDisplayOptionB(true);
    EXPECT_TRUE(c.control.DisplayOptionA());
    EXPECT_TRUE(c.control.DisplayOptionB());
    const TimeRange before = c.control.Trend()->VisibleRange();
    c.control.StartCycle();
    c.loop->Advance(5000);
    EXPECT_EQ(c.control.Trend()->VisibleRange(), before) << "option B keeps the range";
}

TEST(ctlDTMArchiveProblems, TheArchivesLoadProblemsAreShown) {
    ArchiveTestBench b;
    PropertyBag bag;
    bag.Write("Archive.CheckCurveEnabled", Variant("all"));
    ASSERT_TRUE(b.TheArchive()->Load(bag));
    ctlDTMArchive control;
    control.Configure(b.Ctx(), b.CurveSet(), b.TheArchive());
    QLabel* problems = control.findChild<QLabel*>("problemText");
    EXPECT_FALSE(problems->isHidden());
    EXPECT_TRUE(problems->text().contains("Archive.CheckCurveEnabled"));
}

TEST(ctlDTMArchiveRelease, AfterReleaseNothingHappens) {
    Control c;
    c.control.SetCycleTime(100);
    c.control.StartCycle();  // a read is on its way
    const size_t timers = c.loop->TimerCount();
    c.control.Release();
    EXPECT_TRUE(c.control.Released());
    EXPECT_EQ(c.loop->TimerCount(), timers - 1);
    c.loop->Advance(1000);
    EXPECT_EQ(c.Samples(kSp), 0u);

    c.control.StartCycle();
    c.control.SetCycleTime(0);  // ignored, no error
    c.control.SetLanguage(7);
    c.control.ParameterSetChanged();
    c.control.ParameterChanged(c.Element(kSp));
    c.control.EnableEdit(true);
    c.Configure();
    c.loop->Advance(1000);
    EXPECT_FALSE(c.control.Recording());
    EXPECT_EQ(c.Samples(kSp), 0u);
    EXPECT_EQ(c.control.Curves().Count(), 0u);
    EXPECT_TRUE(c.control.Trend()->Curves().empty());
    EXPECT_FALSE(c.Switch("recordSwitch")->isEnabled());
    EXPECT_EQ(c.Switch("recordSwitch")->text(), "Recording");
    c.Switch("recordSwitch")->click();
    EXPECT_TRUE(c.events.empty());
}

}  // namespace
}  // namespace kv
