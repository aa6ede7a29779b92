// The cyclic refresh against the simulated positioner on the manual loop: the events of a switch
// in their order, the ticks, the refusals and stops, a switch-on while the previous read still
// runs, the dynamic marks with their counters, the edited-online marks, Clear, the property bag
// and a control that a handler destroys.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPointer>
#include <QTest>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/runtime/DTMContext.h"
#include "platform/runtime/ITransactionGroup.h"
#include "platform/runtime/PropertyBag.h"
#include "support/DeviceLog.h"
#include "support/OnlineFixture.h"
#include "ui/framework/widgets/ctlCycle.h"

namespace kv {
namespace {

using test_support::Address;
using test_support::OnlineInstance;

const char* const kReadback = "FUNC/1/AO/READBACK/";
const char* const kReadbackValue = "FUNC/1/AO/READBACK/Value";
const char* const kReadbackStatus = "FUNC/1/AO/READBACK/Status";
const char* const kTagDesc = "PHYS/TAG_DESC";

// Every element reported to the open user interfaces.
class ChangeLog : public test_support::NullGUIList {
  public:
    void ParameterChanged(IPrivateDataElement& e, const std::string&) override {
        changed.push_back(e.Name());
    }
    int Count(const std::string& path) const {
        return static_cast<int>(std::count(changed.begin(), changed.end(), path));
    }
    std::vector<std::string> changed;
};

// A page's side of a cycle control: logs its events and adds its paths when asked.
struct Owner {
    explicit Owner(OnlineInstance& in, ctlCycle& cycle) : in(in) {
        QObject::connect(&cycle, &ctlCycle::Click, [this] { Log("Click"); });
        QObject::connect(&cycle, &ctlCycle::OnAddRequests, [this](ITransactionGroup& group) {
            Log("OnAddRequests");
            for (const std::string& path : paths)
                group.AddElement(*this->in.data->Item(path), false);
        });
        QObject::connect(&cycle, &ctlCycle::OnRemoveRequests,
                         [this](ITransactionGroup&) { Log("OnRemoveRequests"); });
        QObject::connect(&cycle, &ctlCycle::CycleError, [this] { Log("CycleError"); });
    }
    void Log(const std::string& e) {
        events.push_back(e);
        if (after)
            after(e);
    }
    std::vector<std::string> Take() { return std::exchange(events, {}); }

    OnlineInstance& in;
    std::vector<std::string> paths{kReadback, kTagDesc};
    std::vector<std::string> events;
    std::function<void(const std::string&)> after;
};

class CycleTest : public ::testing::Test {
  protected:
    CycleTest() {
        in.context.SetPrompt(prompt);
        in.context.SetGUIManager(gui);
    }
    // Binds the control and connects the device.
    void Ready(bool automate = false) {
        cycle->SetAutomateDynamicIcons(automate);
        cycle->Init(in.context, scmDoNotStart);
        ASSERT_TRUE(in.Connect());
    }
    int Reads(const std::string& path) { return in.Logged(false)[in.AddressOf(path)]; }

    OnlineInstance in;
    std::shared_ptr<RecordingPrompt> prompt = std::make_shared<RecordingPrompt>();
    std::shared_ptr<ChangeLog> gui = std::make_shared<ChangeLog>();
    std::unique_ptr<ctlCycle> cycle = std::make_unique<ctlCycle>();
    Owner owner{in, *cycle};
};

TEST_F(CycleTest, PlacedWithoutPropertiesItCyclesEvery4000MsAndMarksNothing) {
    EXPECT_EQ(cycle->Interval(), 4000);
    EXPECT_FALSE(cycle->AutomateDynamicIcons());
    EXPECT_EQ(cycle->BackColor(), static_cast<int32_t>(0x8000000F));
    Ready();
    cycle->SetValue(1);
    in.loop->RunUntilIdle();
    EXPECT_EQ(owner.Take(), (std::vector<std::string>{"Click", "OnAddRequests"}));
    EXPECT_EQ(Reads(kReadback), 1);  // one tick at once
    EXPECT_EQ(Reads(kTagDesc), 1);
    in.loop->Advance(3999);
    EXPECT_EQ(Reads(kReadback), 1);
    in.loop->Advance(1);
    EXPECT_EQ(Reads(kReadback), 2);
    in.loop->Advance(8000);
    EXPECT_EQ(Reads(kReadback), 4);
    EXPECT_EQ(in.At(kReadbackValue).DynamicCounter, 0);
    EXPECT_EQ(in.At(kReadbackValue).StatusFlags() & sfDynamic, 0);

    cycle->SetValue(0);
    EXPECT_EQ(owner.Take(), (std::vector<std::string>{"Click", "OnRemoveRequests"}));
    EXPECT_FALSE(cycle->TimerRunning());
    in.loop->Advance(20000);
    EXPECT_EQ(Reads(kReadback), 4);
    EXPECT_TRUE(prompt->messages.empty());
    EXPECT_TRUE(prompt->questions.empty());
}

TEST_F(CycleTest, TheUsersClickSwitchesAndMayDestroyTheControl) {
    Ready();
    cycle->show();
    QTest::mouseClick(cycle->CheckBox(), Qt::LeftButton);
    EXPECT_EQ(cycle->Value(), 1);
    EXPECT_EQ(owner.Take(), (std::vector<std::string>{"Click", "OnAddRequests"}));
    in.loop->RunUntilIdle();
    owner.after = [this](const std::string& e) {
        if (e == "Click")
            cycle.reset();
    };
    QTest::mouseClick(cycle->CheckBox(), Qt::LeftButton);
    owner.after = nullptr;
    EXPECT_EQ(cycle, nullptr);
    EXPECT_EQ(owner.Take(), (std::vector<std::string>{"Click"}));
    EXPECT_EQ(in.At(kReadbackValue).DynamicCounter, 0);
}

TEST_F(CycleTest, InitStartsOnlyAsItsModeSays) {
    cycle->Init(in.context, scmDoNotStart);
    EXPECT_EQ(cycle->Value(), 0);
    ASSERT_NE(cycle->TransGrp(), nullptr);

    // Without a channel "start if connected" stays off and says nothing.
    in.comm->SetCommunication(nullptr);
    ctlCycle ifConnected;
    ifConnected.Init(in.context, scmStartIfConnected);
    EXPECT_EQ(ifConnected.Value(), 0);
    EXPECT_TRUE(prompt->questions.empty());

    // "Start" without a reachable device is refused with an OK box.
    ctlCycle start;
    start.Init(in.context, scmStart);
    EXPECT_EQ(start.Value(), 0);
    ASSERT_EQ(prompt->questions.size(), 1u);
    EXPECT_EQ(prompt->questions[0].first, in.context.GetText("error_at_connect"));
    EXPECT_EQ(prompt->questions[0].second, 0);
}

TEST_F(CycleTest, StartIfConnectedStartsOnAConnectedChannel) {
    ASSERT_TRUE(in.Connect());
    ctlCycle c;
    c.Init(in.context, scmStartIfConnected);
    EXPECT_EQ(c.Value(), 1);
    EXPECT_TRUE(c.TimerRunning());
}

TEST_F(CycleTest, ValueBeforeInitOnlyTakesTheValueAndAnEqualValueRaisesNothing) {
    cycle->SetValue(1);
    EXPECT_EQ(cycle->Value(), 1);
    EXPECT_TRUE(owner.Take().empty());
    cycle->SetValue(0);
    Ready();
    cycle->SetValue(0);
    EXPECT_TRUE(owner.Take().empty());
    cycle->SetValue(-1);  // any value but 0 switches on
    EXPECT_EQ(cycle->Value(), 1);
    EXPECT_EQ(owner.Take(), (std::vector<std::string>{"Click", "OnAddRequests"}));
    cycle->SetValue(5);
    EXPECT_TRUE(owner.Take().empty());
}

TEST_F(CycleTest, SwitchingOnWithoutAReachableDeviceUnchecksAndSays) {
    cycle->Init(in.context, scmDoNotStart);  // not connected
    cycle->SetValue(1);
    EXPECT_EQ(cycle->Value(), 0);
    EXPECT_EQ(owner.Take(), (std::vector<std::string>{"Click", "Click", "OnRemoveRequests"}));
    ASSERT_EQ(prompt->questions.size(), 1u);
    EXPECT_EQ(prompt->questions[0].first, in.context.GetText("error_at_connect"));
    EXPECT_FALSE(cycle->TimerRunning());
}

TEST_F(CycleTest, CheckingWhileTheGroupReadsCompletesWhenTheReadHasEnded) {
    Ready();
    const Address rb = in.AddressOf(kReadback);
    in.device->InjectFault(static_cast<uint8_t>(rb.first), static_cast<uint8_t>(rb.second),
                           SimFault{.delayMs = 1000});
    cycle->SetValue(1);
    in.loop->RunUntilIdle();
    ASSERT_TRUE(cycle->TransGrp()->Busy());
    cycle->SetValue(0);
    owner.Take();
    cycle->SetValue(1);
    // Only Click while the read runs; the box stays checked.
    EXPECT_EQ(owner.Take(), (std::vector<std::string>{"Click"}));
    EXPECT_EQ(cycle->Value(), 1);
    EXPECT_FALSE(cycle->TimerRunning());
    in.device->ClearFaults();
    in.device->ClearLog();
    in.loop->Advance(1000);  // the read ends
    EXPECT_EQ(owner.Take(), (std::vector<std::string>{"OnAddRequests"}));
    EXPECT_TRUE(cycle->TimerRunning());
    EXPECT_EQ(Reads(kReadback), 1);  // the first tick
    in.loop->Advance(4000);
    EXPECT_EQ(Reads(kReadback), 2);
}

TEST_F(CycleTest, APendingSwitchOnEndsWhenTheBoxIsUncheckedMeanwhile) {
    Ready();
    const Address rb = in.AddressOf(kReadback);
    in.device->InjectFault(static_cast<uint8_t>(rb.first), static_cast<uint8_t>(rb.second),
                           SimFault{.delayMs = 1000, .times = 1});
    cycle->SetValue(1);
    in.loop->RunUntilIdle();
    cycle->SetValue(0);
    cycle->SetValue(1);
    cycle->SetValue(0);
    owner.Take();
    in.device->ClearLog();
    in.loop->Advance(10000);
    EXPECT_TRUE(owner.Take().empty());
    EXPECT_FALSE(cycle->TimerRunning());
    EXPECT_EQ(Reads(kReadback), 0);
}

TEST_F(CycleTest, ABusyGroupAtATickCountsAsSuccess) {
    Ready();
    cycle->SetInterval(1000);
    const Address rb = in.AddressOf(kReadback);
    in.device->InjectFault(static_cast<uint8_t>(rb.first), static_cast<uint8_t>(rb.second),
                           SimFault{.delayMs = 1500, .times = 1});
    cycle->SetValue(1);
    in.loop->Advance(1000);  // the read still runs: status 6
    EXPECT_EQ(cycle->Value(), 1);
    EXPECT_TRUE(prompt->messages.empty());
    in.loop->Advance(2000);  // the read ended at 1500: ticks at 2000 and 3000 read again
    EXPECT_EQ(cycle->Value(), 1);
    EXPECT_EQ(Reads(kReadback), 3);
}

TEST_F(CycleTest, IntervalIsClampedAndTakenAtOnce) {
    cycle->SetInterval(0);
    EXPECT_EQ(cycle->Interval(), 100);
    cycle->SetInterval(-5);
    EXPECT_EQ(cycle->Interval(), 100);
    Ready();
    cycle->SetValue(1);
    in.loop->RunUntilIdle();
    in.device->ClearLog();
    in.loop->Advance(1000);
    EXPECT_EQ(Reads(kReadback), 10);
    cycle->SetInterval(1000);
    in.device->ClearLog();
    in.loop->Advance(3000);
    EXPECT_EQ(Reads(kReadback), 3);
}

TEST_F(CycleTest, ATickWithoutAChannelStopsQuietly) {
    Ready();
    cycle->SetValue(1);
    in.loop->RunUntilIdle();
    owner.Take();
    in.comm->Disconnect();
    in.comm->SetCommunication(nullptr);
    in.loop->Advance(4000);
    EXPECT_EQ(cycle->Value(), 0);
    EXPECT_EQ(owner.Take(), (std::vector<std::string>{"Click", "OnRemoveRequests"}));
    EXPECT_TRUE(prompt->messages.empty());
    EXPECT_TRUE(prompt->questions.empty());
}

TEST_F(CycleTest, AnAnswerCutShortKeepsTheRecordsValuesWithTheErrorForOneTick) {
    owner.paths = {"FUNC/1/AO/PV_SCALE/"};
    Ready();
    cycle->SetValue(1);
    in.loop->RunUntilIdle();
    clsDataElement& upper = in.At("FUNC/1/AO/PV_SCALE/Up_Val");
    clsDataElement& decimals = in.At("FUNC/1/AO/PV_SCALE/DecPoint");
    ASSERT_EQ(upper.DeviceValue().toDouble(), 100.0);
    // The scale changes in the device (Up_Val 200); its answer comes one byte short.
    std::vector<uint8_t> scale = in.device->Record(1, 27);
    ASSERT_EQ(scale.size(), 11u);
    scale[0] = 0x43;
    scale[1] = 0x48;
    ASSERT_TRUE(in.device->SetRecord(1, 27, scale));
    in.device->InjectFault(1, 27, SimFault{.shortLength = 10, .times = 1});
    in.loop->Advance(4000);
    EXPECT_EQ(upper.DeviceValue().toDouble(), 100.0);
    EXPECT_EQ(upper.TransientValue().toDouble(), 100.0);
    EXPECT_EQ(upper.StatusFlags() & sfDpv1ErrorMask, 0x500000);
    EXPECT_EQ(decimals.StatusFlags() & sfDpv1ErrorMask, 0x500000);
    // As on a refused read the cycling goes on, and the next answer is taken.
    EXPECT_EQ(cycle->Value(), 1);
    in.loop->Advance(4000);
    EXPECT_EQ(upper.DeviceValue().toDouble(), 200.0);
    EXPECT_EQ(upper.StatusFlags() & sfDpv1ErrorMask, 0);
    EXPECT_TRUE(prompt->messages.empty());
}

TEST_F(CycleTest, AReadThatCannotStartStopsWithAStatusText) {
    Ready();
    cycle->SetValue(1);
    in.loop->RunUntilIdle();
    owner.Take();
    in.comm->Disconnect();  // the channel stays set, the device is not reachable
    in.loop->RunUntilIdle();
    in.loop->Advance(4000);
    EXPECT_EQ(cycle->Value(), 0);
    ASSERT_EQ(prompt->messages.size(), 1u);
    EXPECT_EQ(prompt->messages[0], in.context.GetText("error_at_read_status"));
}

TEST_F(CycleTest, ALostConnectionRaisesCycleError) {
    Ready();
    cycle->SetValue(1);
    in.loop->RunUntilIdle();
    owner.Take();
    in.channel->DropConnection();
    in.loop->RunUntilIdle();
    in.loop->Advance(4000);
    const std::vector<std::string> events = owner.Take();
    EXPECT_NE(std::find(events.begin(), events.end(), "CycleError"), events.end());
    EXPECT_EQ(cycle->Value(), 0);
}

TEST_F(CycleTest, RecordsAreMarkedByTheirMembersWithSharedCounters) {
    Ready(true);
    clsDataElement& record = in.At(kReadback);
    clsDataElement& value = in.At(kReadbackValue);
    clsDataElement& status = in.At(kReadbackStatus);
    cycle->SetValue(1);
    EXPECT_EQ(value.DynamicCounter, 1);
    EXPECT_EQ(status.DynamicCounter, 1);
    EXPECT_NE(value.StatusFlags() & sfDynamic, 0);
    EXPECT_EQ(record.DynamicCounter, 0);  // the record itself is not marked
    EXPECT_EQ(record.StatusFlags() & sfDynamic, 0);
    EXPECT_GE(gui->Count(kReadbackValue), 1);

    // A second control reading the same record (through a member): the counters hold the
    // marks until both stop.
    ctlCycle other;
    Owner otherOwner(in, other);
    otherOwner.paths = {kReadbackValue};
    other.SetAutomateDynamicIcons(true);
    other.Init(in.context, scmDoNotStart);
    other.SetValue(1);
    EXPECT_EQ(value.DynamicCounter, 2);
    EXPECT_EQ(status.DynamicCounter, 2);
    EXPECT_EQ(in.At(kTagDesc).DynamicCounter, 1);

    // Asking again for the requests marks nothing twice.
    in.loop->RunUntilIdle();
    cycle->AddRequests();
    EXPECT_EQ(owner.Take().back(), "OnAddRequests");
    EXPECT_EQ(value.DynamicCounter, 2);

    cycle->SetValue(0);
    EXPECT_EQ(value.DynamicCounter, 1);
    EXPECT_NE(value.StatusFlags() & sfDynamic, 0);
    EXPECT_EQ(in.At(kTagDesc).DynamicCounter, 0);
    EXPECT_EQ(in.At(kTagDesc).StatusFlags() & sfDynamic, 0);
    other.SetValue(0);
    EXPECT_EQ(value.DynamicCounter, 0);
    EXPECT_EQ(status.DynamicCounter, 0);
    EXPECT_EQ(value.StatusFlags() & sfDynamic, 0);
}

TEST_F(CycleTest, MarkingKeepsTheElementsOwnDynamicFlag) {
    Ready(true);
    clsDataElement& tag = in.At(kTagDesc);
    tag.SetParamDynamic(true);
    cycle->SetValue(1);
    EXPECT_EQ(tag.DynamicCounter, 1);
    cycle->SetValue(0);
    EXPECT_EQ(tag.DynamicCounter, 0);
    EXPECT_TRUE(tag.ParamDynamic());
}

TEST_F(CycleTest, SwitchingAutomationOffWhileCyclingStillUnmarks) {
    Ready(true);
    cycle->SetValue(1);
    ASSERT_EQ(in.At(kReadbackValue).DynamicCounter, 1);
    cycle->SetAutomateDynamicIcons(false);
    cycle->SetValue(0);
    EXPECT_EQ(in.At(kReadbackValue).DynamicCounter, 0);
    EXPECT_FALSE(in.At(kReadbackValue).ParamDynamic());
}

TEST_F(CycleTest, NoSwitchOrTickEndsAnEditThatIsNotYetWritten) {
    Ready();
    clsDataElement& tag = in.At(kTagDesc);
    tag.SetTransientValue(Variant("VALVE 7"));
    tag.SetStatusFlag(sfEditedOnline);
    in.At(kReadbackValue).SetStatusFlag(sfEditedOnline);
    cycle->SetValue(1);
    in.loop->RunUntilIdle();
    EXPECT_NE(in.At(kReadbackValue).StatusFlags() & sfEditedOnline, 0);
    EXPECT_NE(tag.StatusFlags() & sfEditedOnline, 0);
    in.loop->Advance(4000);
    cycle->AddRequests();
    in.loop->RunUntilIdle();
    cycle->SetValue(0);
    cycle->SetValue(1);
    in.loop->RunUntilIdle();
    EXPECT_GE(Reads(kTagDesc), 3);
    EXPECT_EQ(tag.TransientValue().str(), "VALVE 7");
    EXPECT_NE(tag.StatusFlags() & sfEditedOnline, 0);
    EXPECT_FALSE(tag.DeviceValue().isEmpty());
}

TEST_F(CycleTest, AHandlerThatUnchecksDuringOnAddRequestsStopsTheCycle) {
    Ready(true);
    owner.after = [this](const std::string& e) {
        if (e == "OnAddRequests")
            cycle->SetValue(0);
    };
    cycle->SetValue(1);
    owner.after = nullptr;
    EXPECT_EQ(cycle->Value(), 0);
    EXPECT_FALSE(cycle->TimerRunning());
    EXPECT_EQ(in.At(kReadbackValue).DynamicCounter, 0);
    in.loop->Advance(8000);
    EXPECT_EQ(Reads(kReadback), 0);
}

TEST_F(CycleTest, RemoveRequestsStopsWithoutTouchingTheBox) {
    Ready();
    cycle->SetValue(1);
    owner.Take();
    cycle->RemoveRequests();
    EXPECT_EQ(owner.Take(), (std::vector<std::string>{"OnRemoveRequests"}));
    EXPECT_EQ(cycle->Value(), 1);
    EXPECT_FALSE(cycle->TimerRunning());
    in.loop->RunUntilIdle();  // the first read ends
    cycle->AddRequests();
    EXPECT_EQ(owner.Take(), (std::vector<std::string>{"OnAddRequests"}));
    EXPECT_TRUE(cycle->TimerRunning());
}

TEST_F(CycleTest, ClearSwitchesOffAndKeepsTheGroup) {
    Ready(true);
    cycle->SetValue(1);
    in.loop->RunUntilIdle();
    owner.Take();
    ITransactionGroup* group = cycle->TransGrp();
    cycle->Clear();
    EXPECT_EQ(cycle->Value(), 0);
    EXPECT_EQ(owner.Take(), (std::vector<std::string>{"Click", "OnRemoveRequests"}));
    EXPECT_EQ(cycle->TransGrp(), group);
    EXPECT_EQ(group->ConnectionStatus(), 2);  // closed: bound to no instance
    EXPECT_EQ(in.At(kReadbackValue).DynamicCounter, 0);
    in.loop->Advance(8000);
    EXPECT_EQ(Reads(kReadback), 1);
}

TEST_F(CycleTest, AControlDestroyedByAHandlerOrWhileCyclingIsLeftAlone) {
    Ready(true);
    cycle->SetValue(1);
    in.loop->RunUntilIdle();
    // Destroyed while cycling: its marks go, its timer and read callbacks find it gone.
    cycle.reset();
    EXPECT_EQ(in.At(kReadbackValue).DynamicCounter, 0);
    in.device->ClearLog();
    in.loop->Advance(10000);
    EXPECT_EQ(Reads(kReadback), 0);

    auto doomed = std::make_unique<ctlCycle>();
    QPointer<ctlCycle> watch(doomed.get());
    QObject::connect(doomed.get(), &ctlCycle::Click, [&doomed] { doomed.reset(); });
    doomed->Init(in.context, scmDoNotStart);
    watch->SetValue(1);
    EXPECT_TRUE(watch.isNull());
    in.loop->Advance(10000);
    EXPECT_EQ(Reads(kReadback), 0);
}

TEST_F(CycleTest, PropertyBagKeepsWhatDiffersFromTheDefaults) {
    PropertyBag bag;
    cycle->WriteProperties(bag);
    EXPECT_FALSE(bag.Read("Interval"));
    EXPECT_FALSE(bag.Read("AutomateDynamicIcons"));
    EXPECT_FALSE(bag.Read("BackColor"));

    PropertyBag designer;
    designer.Write("interval", Variant(int32_t{1000}));
    designer.Write("automatedynamicicons", Variant(true));
    designer.Write("BackColor", Variant(int32_t{0x00FF00}));
    EXPECT_TRUE(cycle->ReadProperties(designer));
    EXPECT_EQ(cycle->Interval(), 1000);
    EXPECT_TRUE(cycle->AutomateDynamicIcons());
    EXPECT_EQ(cycle->BackColor(), 0x00FF00);
    EXPECT_EQ(cycle->CheckBox()->palette().color(QPalette::Window), QColor(0, 0xFF, 0));

    PropertyBag out;
    cycle->WriteProperties(out);
    EXPECT_EQ(out.ReadOr("Interval", Variant()).toLong(), 1000);
    EXPECT_TRUE(out.ReadOr("AutomateDynamicIcons", Variant()).toBool());

    PropertyBag bad;
    bad.Write("Interval", Variant("soon"));
    EXPECT_FALSE(cycle->ReadProperties(bad));
    EXPECT_EQ(cycle->Interval(), 1000);
    cycle->InitProperties();
    EXPECT_EQ(cycle->Interval(), 4000);
    EXPECT_FALSE(cycle->AutomateDynamicIcons());
}

TEST_F(CycleTest, TheCaptionFollowsTheLanguage) {
    in.context.SetDictionary(std::make_shared<DTMDictionary>());
    in.context.Dictionary().Load(in.context, "DTMDictionary");
    in.context.Dictionary().SetLanguage(langGerman, true);
    cycle->Init(in.context, scmDoNotStart);
    EXPECT_EQ(cycle->CheckBox()->text().toStdString(), "Zyklisch aktualisieren");
    in.context.Dictionary().SetLanguage(langEnglish, true);
    cycle->SetLanguage(langEnglish);
    EXPECT_EQ(cycle->CheckBox()->text().toStdString(), "Cyclic refresh");
}

}  // namespace
}  // namespace kv
