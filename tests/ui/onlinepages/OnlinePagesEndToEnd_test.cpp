// The online pages in the main window against the simulated positioner: every page opens for
// its tree node, titled, bound, cycling with the navigation control's switch and released with
// nothing left; live values change while cycling; a warm start, a counter reset and an
// initialisation run with Yes, the end of a calibration is told once it has ended in the device,
// and a factory reset is refused while the device is write-locked;
// manual mode lets the output be written and the read-back follows; the simulation page
// switches simulation on and the read-back shows the simulated value. And the DP-V1 trace of a
// cycling page: one read per distinct record per tick.

#include <gtest/gtest.h>

#include <QPointer>
#include <cmath>
#include <map>
#include <memory>
#include <pugixml.hpp>
#include <set>
#include <string>
#include <vector>

#include "OnlinePageFixture.h"
#include "core/DictionaryLookup.h"
#include "core/ProjectHelpers.h"
#include "core/clsDataElement.h"
#include "platform/controls/widgets/PageRegistry.h"
#include "platform/controls/widgets/ctlNavigation.h"
#include "platform/runtime/IFunctionCall.h"
#include "platform/runtime/IPrivateDataElement.h"
#include "support/TempFolder.h"
#include "ui/framework/widgets/FrameworkUserInterfaces.h"
#include "ui/framework/widgets/ctlBar.h"
#include "ui/framework/widgets/ctlNavigationMain.h"
#include "ui/onlinepages/OnlinePageDesigns.h"
#include "ui/parameterpages/ParameterPages.h"

namespace kv {
namespace {

using onlinetest::OnlinePage;
using onlinetest::OpenOnlinePage;
using pagetest::Address;
using pagetest::Choose;
using pagetest::ElementOf;
using pagetest::PageBench;
using pagetest::RowOf;
using pagetest::Type;

constexpr int32_t kYes = 6;

std::vector<std::string> OnlinePageNames() {
    std::vector<std::string> names;
    for (const PageDesign& d : OnlinePageDesigns()) {
        if (IsOnlineTemplate(d.templ))
            names.push_back(d.className);
    }
    return names;
}

// The main window for a function (1 unless given) with the program's pages, against the
// bench's instance.
struct MainWindow {
    PageRegistry registry;
    std::unique_ptr<ctlNavigationMain> window;

    explicit MainWindow(PageBench& b, int32_t function = 1) {
        RegisterFrameworkUserInterfaces(registry);
        RegisterParameterPages(registry);
        RegisterOnlinePages(registry);
        window = std::make_unique<ctlNavigationMain>(nullptr, &registry);
        window->resize(1100, 800);
        window->show();
        std::shared_ptr<IFunctionCall> call = NewFunctionCall();
        call->SetApplicationId(function);
        if (!window->Init(std::to_string(function), call->ToXml(b.Ctx()), b.Dtm()))
            throw std::runtime_error("the main window did not open");
    }
    ~MainWindow() {
        if (window)
            window->PrepareToRelease();
    }
    ICyclePane& Cycle() { return window->NavigationControl().dtmInfo().Cycle(); }
    // The classes of the pages of the window's tree, in tree order.
    std::vector<std::string> PageClasses() {
        pugi::xml_document doc;
        doc.load_string(window->NavigationControl().devParameter().TreeHolder().TreeXml().c_str());
        std::vector<std::string> classes;
        for (const pugi::xpath_node& n : doc.select_nodes("//node[@ctl != '']")) {
            const std::string ctl = n.node().attribute("ctl").value();
            classes.push_back(ctl.substr(ctl.find('.') + 1));
        }
        return classes;
    }
    // Selects the tree node of the page's ProgID; the page the control then hosts.
    PageBase& Open(const std::string& className) {
        ITreeHolder& tree = window->NavigationControl().devParameter().TreeHolder();
        pugi::xml_document doc;
        doc.load_string(tree.TreeXml().c_str());
        const std::string progId = "KV6274PA." + className;
        const pugi::xml_node node =
            doc.find_node([&](pugi::xml_node n) { return progId == n.attribute("ctl").value(); });
        if (!node || !tree.SelectNode(node.attribute("key").value()))
            throw std::runtime_error("no node for " + progId);
        const std::vector<INavigationPage*> pages = window->NavigationControl().Pages();
        auto* page = pages.size() == 1 ? dynamic_cast<PageBase*>(pages[0]) : nullptr;
        if (page == nullptr || page->Name() != className)
            throw std::runtime_error(className + " is not shown");
        return *page;
    }
};

double ValueOf(PageBench& b, const std::string& path) {
    return b.At(path).TransientValue().toDouble();
}

// Lets device and loop time pass in cycle ticks.
void RunFor(PageBench& b, int64_t ms) {
    for (int64_t t = 0; t < ms; t += 500) {
        b.loop->Advance(500);
        b.Settle();
    }
}

class EveryOnlinePage : public testing::TestWithParam<std::string> {};

TEST_P(EveryOnlinePage, OpensInTheMainWindowCyclesAndReleases) {
    const std::string name = GetParam();
    PageBench b;
    b.Online();
    MainWindow w(b);
    PageBase& page = w.Open(name);
    const QPointer<PageBase> alive(&page);
    EXPECT_TRUE(page.IsInitialised());
    EXPECT_EQ(page.GUIFunctionCall(), "1." + name + "$");
    EXPECT_EQ(page.TitleText(), GetDictionaryText(b.Ctx(), name + "_sepTitle"));
    EXPECT_NE(page.TitleText(), name + "_sepTitle");
    for (ctlParameter* row : page.Rows())
        ASSERT_NE(ElementOf(page, *row), nullptr) << row->ParameterTag();

    // The navigation control's switch: the page reads its records once per tick.
    std::map<Address, int> reads;
    for (clsDataElement* e : CyclicAddOns::RequestElements(page, b.Ctx()))
        reads[{e->Slot, e->index}] = 1;
    ASSERT_FALSE(reads.empty());
    b.Clear();
    w.Cycle().SetCyclicRefresh(1);
    b.Settle();
    for (const auto& [address, count] : reads)
        EXPECT_GE(b.Logged(false)[address], 1) << name;
    w.Cycle().SetCyclicRefresh(0);

    EXPECT_TRUE(w.window->PrepareToRelease());
    ASSERT_TRUE(alive);
    EXPECT_FALSE(page.IsInitialised());
    EXPECT_TRUE(page.Site()->Rows().empty());
    EXPECT_TRUE(b.Gui().FunctionIds().empty());
    w.window.reset();
}

INSTANTIATE_TEST_SUITE_P(AllPages, EveryOnlinePage, testing::ValuesIn(OnlinePageNames()),
                         [](const testing::TestParamInfo<std::string>& info) {
                             return info.param;
                         });

TEST(OnlinePagesEndToEnd, CyclingShowsLiveValuesAndAPageOpenedMeanwhileReadsAtOnce) {
    PageBench b;
    b.Online();
    b.device->SetSetpointCycle(30000);
    MainWindow w(b);
    w.Cycle().SetInterval(1000);
    w.Cycle().SetCyclicRefresh(1);
    b.Clear();
    // A page opened while cycling is on reads at once, before its first interval.
    PageBase& page = w.Open("ctlOpAuto");
    b.Settle();
    EXPECT_EQ(b.Logged(false)[b.AddressOf("FUNC/1/AO/SP/")], 1);
    ctlParameter& setpoint = RowOf(page, "FUNC/%d/AO/SP/Value");
    std::vector<std::string> shown;
    for (int tick = 0; tick < 4; ++tick) {
        shown.push_back(setpoint.Value().toString());
        RunFor(b, 2000);
    }
    EXPECT_NE(shown.front(), shown.back());
    EXPECT_EQ(dynamic_cast<CyclicParameterPage&>(page).Cycle()->Value(), 1);
}

TEST(OnlinePagesEndToEnd, DeviceCommandsRunWithYesAndAFactoryResetIsRefusedWhileLocked) {
    PageBench b;
    b.Online();
    b.device->SetSetpointCycle(20000);
    MainWindow w(b);
    w.Cycle().SetInterval(1000);
    w.Cycle().SetCyclicRefresh(1);

    // A warm start: the device shows its restart in the diagnosis.
    PageBase& warm = w.Open("ctlResetWarm");
    b.prompt->AddAnswer(kYes);
    dynamic_cast<CommandPage&>(warm).Button("cmdWarmStart")->click();
    RunFor(b, 1000);
    EXPECT_EQ(b.At("PHYS/DIAGNOSIS/DIA_WARMSTART").TransientValue().toLong(), 1);
    EXPECT_EQ(b.prompt->questions.back().first,
              GetDictionaryText(b.Ctx(), "meld_quit_reset",
                                Variant(GetDictionaryText(b.Ctx(), "ctlResetWarm_cmdWarmStart"))));

    // A counter reset: the travel counted so far goes back to zero.
    PageBase& maint = w.Open("ctlResetMaint");
    RunFor(b, 15000);
    ASSERT_GT(ValueOf(b, "TRANS/1/Act/TOTAL_VALVE_TRAVEL"), 0.0);
    b.device->SetSetpointCycle(0);
    b.prompt->AddAnswer(kYes);
    dynamic_cast<CommandPage&>(maint).Button("cmdTotalValveTravel")->click();
    RunFor(b, 1500);
    EXPECT_EQ(ValueOf(b, "TRANS/1/Act/TOTAL_VALVE_TRAVEL"), 0.0);

    // An initialisation: its status runs and ends on the page, and its end is told once, also
    // when the device showed the same end before it began.
    PageBase& calib = w.Open("ctlSelfCalib");
    auto& commands = dynamic_cast<CommandPage&>(calib);
    const std::string status = "TRANS/1/Act/SELF_CALIBRATION_STATUS";
    const auto ended = [&](const char* key, const char* button, int32_t value) {
        return GetDictionaryText(
            b.Ctx(), key, Variant(GetDictionaryText(b.Ctx(), button)),
            Variant(AsDataElement(b.At(status)).GetStrValueFromIdxList(value)));
    };
    ASSERT_EQ(ValueOf(b, status), SimulatedPositioner::kInitDone);
    b.prompt->AddAnswer(kYes);
    commands.Button("cmdInitValve")->click();
    RunFor(b, 2000);
    EXPECT_EQ(ValueOf(b, status), SimulatedPositioner::kInitRunning);
    b.prompt->messages.clear();
    RunFor(b, SimulatedPositioner::kInitialisationMs);
    EXPECT_EQ(ValueOf(b, status), SimulatedPositioner::kInitDone);
    EXPECT_EQ(RowOf(calib, "TRANS/%d/Act/SELF_CALIBRATION_STATUS").Value().toString(),
              b.At(status).TransientValue().toString());
    EXPECT_EQ(b.prompt->messages,
              std::vector<std::string>{ended("meld_cmd_done", "ctlSelfCalib_cmdInitValve",
                                             SimulatedPositioner::kInitDone)});
    // A zero calibration that the user aborts has failed; the abort itself ends at its write.
    b.prompt->AddAnswer(kYes);
    commands.Button("cmdCalZeroValve")->click();
    RunFor(b, 1000);
    b.prompt->messages.clear();
    commands.Button("cmdAbortAction")->click();
    RunFor(b, 2000);
    EXPECT_EQ(ValueOf(b, status), SimulatedPositioner::kCalAborted);
    EXPECT_EQ(
        b.prompt->messages,
        (std::vector<std::string>{
            GetDictionaryText(b.Ctx(), "meld_quit_reset",
                              Variant(GetDictionaryText(b.Ctx(), "ctlSelfCalib_cmdAbortAction"))),
            ended("meld_cmd_failed", "ctlSelfCalib_cmdCalZeroValve",
                  SimulatedPositioner::kCalAborted)}));
    RunFor(b, SimulatedPositioner::kZeroCalibrationMs);
    EXPECT_EQ(b.prompt->messages.size(), 2U);

    // A factory reset on a write-locked device is refused.
    b.device->SetWriteLocked(true);
    PageBase& fact = w.Open("ctlResetFact");
    b.Clear();
    dynamic_cast<CommandPage&>(fact).Button("cmdColdStartApplIdent")->click();
    RunFor(b, 1000);
    ASSERT_EQ(b.prompt->questions.size(), 1u);
    EXPECT_EQ(b.prompt->questions[0].first, GetDictionaryText(b.Ctx(), "meld_w_locking"));
    EXPECT_TRUE(b.Logged(true).empty());
}

TEST(OnlinePagesEndToEnd, ManualModeLetsTheOutputBeWrittenAndTheReadbackFollows) {
    PageBench b;
    b.Online();
    MainWindow w(b);
    PageBase& page = w.Open("ctlOpLocOv");
    auto& rw = dynamic_cast<IPrivateGUIReadWriteSaveLoad&>(page);
    ASSERT_TRUE(rw.ReadParameter());
    b.Settle();
    ctlParameter& out = RowOf(page, "FUNC/%d/AO/OUT/Value");
    EXPECT_TRUE(out.Locked());  // automatic mode: the device sets the output

    Choose(RowOf(page, "FUNC/%d/AO/TARGET_MODE"), 16);
    EXPECT_FALSE(out.Locked());
    ASSERT_TRUE(rw.WriteParameter());
    b.Settle();
    EXPECT_EQ(b.Logged(true).count(b.AddressOf("FUNC/1/AO/TARGET_MODE")), 1u);

    const double lo = ValueOf(b, "FUNC/1/AO/OUT_SCALE/Lo_Val");
    const double up = ValueOf(b, "FUNC/1/AO/OUT_SCALE/Up_Val");
    const double target = lo + 0.7 * (up - lo);
    Type(out, QString::number(target));
    b.Clear();
    ASSERT_TRUE(rw.WriteParameter());
    b.Settle();
    EXPECT_EQ(b.Logged(true).count(b.AddressOf("FUNC/1/AO/OUT/")), 1u);
    w.Cycle().SetInterval(1000);
    w.Cycle().SetCyclicRefresh(1);
    RunFor(b, 20000);
    EXPECT_EQ(b.At("FUNC/1/AO/MODE_BLK/Actual").TransientValue().toLong(), 16);
    const double pvLo = ValueOf(b, "FUNC/1/AO/PV_SCALE/Lo_Val");
    const double pvUp = ValueOf(b, "FUNC/1/AO/PV_SCALE/Up_Val");
    EXPECT_NEAR(ValueOf(b, "FUNC/1/AO/READBACK/Value"), pvLo + 0.7 * (pvUp - pvLo),
                0.01 * (pvUp - pvLo));
}

TEST(OnlinePagesEndToEnd, TheSimulationPageSwitchesSimulationOnAndTheReadbackShowsIt) {
    PageBench b;
    b.Online();
    MainWindow w(b);
    PageBase& sim = w.Open("ctlSimulate");
    Choose(RowOf(sim, "FUNC/%d/AO/SIMULATE/Enabled"), 1);
    Type(RowOf(sim, "FUNC/%d/AO/SIMULATE/Value"), "37.5");
    ASSERT_TRUE(dynamic_cast<IPrivateGUIReadWriteSaveLoad&>(sim).WriteParameter());
    b.Settle();
    w.Cycle().SetCyclicRefresh(1);
    PageBase& val = w.Open("ctlMeasVal");
    b.Settle();
    EXPECT_DOUBLE_EQ(ValueOf(b, "FUNC/1/AO/READBACK/Value"), 37.5);
    EXPECT_DOUBLE_EQ(dynamic_cast<CyclicDisplayPage&>(val).Bar("barAORb")->Value().toDouble(),
                     37.5);
}

// The values of the project that a download writes: each element's value and stored value.
std::map<std::string, std::pair<Variant, Variant>> DownloadedValues(PageBench& b) {
    std::map<std::string, std::pair<Variant, Variant>> values;
    IParameters& parameters = b.Ctx().Parameters();
    for (const auto& e : parameters.Elements()) {
        clsDataElement* element = AsDataElement(e.get());
        if (element != nullptr && DownloadWrites(*element, element->TransferElement(parameters)))
            values[element->Name()] = {element->TransientValue(), element->PersistentValue()};
    }
    return values;
}

TEST(OnlinePagesEndToEnd, WatchingTheDeviceLeavesTheProjectsValuesThroughASave) {
    // The functions that cycle; the Diagnosis function's first page shows the tag.
    for (const int32_t function : {5, 2, 3, 7, 8}) {
        SCOPED_TRACE("function " + std::to_string(function));
        PageBench b;
        test_support::TempFolder temp;
        // The project as engineered and opened again: its own tag, installation date and scale.
        IParameters& parameters = b.Ctx().Parameters();
        for (const auto& [path, value] : std::vector<std::pair<std::string, Variant>>{
                 {"PHYS/TAG_DESC", Variant("FV-200")},
                 {"PHYS/DEVICE_INSTAL_DATE", Variant("15.03.2024")},
                 {"FUNC/1/AO/PV_SCALE/Up_Val", Variant(80.0f)}}) {
            clsDataElement& e = b.At(path);
            e.SetTransientValue(value);
            e.SetPersistentValue(value);
            parameters.ElementChanged(e, "");
        }
        ASSERT_EQ(b.At("~/Tag").TransientValue().toString(), "FV-200");
        b.Online();
        b.device->SetSetpointCycle(20000);
        parameters.SetModifiedState(0);
        const auto before = DownloadedValues(b);

        // The Parameters tab beside the online function.
        MainWindow tab(b);
        PageBase& identification = tab.Open("ctlId");
        ctlParameter& tagRow = RowOf(identification, "PHYS/TAG_DESC");
        const std::string icon = tagRow.StatusIcon();
        EXPECT_EQ(icon, "SavedValue");

        MainWindow w(b, function);
        ASSERT_EQ(w.Cycle().CyclicRefresh(), 1);
        w.Cycle().SetInterval(1000);
        // What the cyclic parameter pages' own refresh reads: the user's read repeated.
        std::set<std::string> taken;
        for (const std::string& name : w.PageClasses()) {
            if (name == "ctlAbout")
                continue;  // no page of the device
            SCOPED_TRACE(name);
            PageBase& page = w.Open(name);
            for (int tick = 0; tick < 3; ++tick) {
                RunFor(b, 1000);
                EXPECT_EQ(tagRow.StatusIcon(), icon);
                EXPECT_EQ(tagRow.Value().str(), "FV-200");
            }
            if (name == "ctlDiagGen") {
                EXPECT_EQ(RowOf(page, "PHYS/TAG_DESC").Value().str(), "-/-");
            }
            if (dynamic_cast<CyclicParameterPage*>(&page) != nullptr && !page.ShowsDevice()) {
                for (clsDataElement* e : CyclicAddOns::RequestElements(page, b.Ctx())) {
                    taken.insert(e->Name());
                    for (IPrivateDataElement* m : parameters.RecordMembers(e->Name()))
                        taken.insert(m->Name());
                }
            }
        }
        w.Cycle().SetCyclicRefresh(0);
        for (const auto& [path, values] : DownloadedValues(b)) {
            if (taken.count(path) != 0)
                continue;
            EXPECT_TRUE(VariantsEqual(values.first, before.at(path).first)) << path;
            EXPECT_TRUE(VariantsEqual(values.second, before.at(path).second)) << path;
        }
        EXPECT_EQ(parameters.ModifiedState(), 0);

        FrameFault error;
        ASSERT_TRUE(b.frame.SaveProject(temp.File("project.xml"), error)) << error;
        ReferenceFrame loaded(b.loop, b.prompt);
        ASSERT_TRUE(loaded.LoadProject(temp.File("project.xml"), error)) << error;
        IParameters& saved = loaded.Instances().front()->dtm->DTMContext()->Parameters();
        EXPECT_EQ(saved.Item("PHYS/TAG_DESC")->TransientValue().toString(), "FV-200");
        EXPECT_EQ(saved.Item("~/Tag")->TransientValue().toString(), "FV-200");
        EXPECT_EQ(saved.Item("PHYS/DEVICE_INSTAL_DATE")->TransientValue().toString(), "15.03.2024");
        loaded.Instances().front()->dtm->PrepareToRelease();

        // A parameter page's read takes the device's tag.
        ASSERT_TRUE(dynamic_cast<IPrivateGUIReadWriteSaveLoad&>(identification).ReadParameter());
        b.Settle();
        EXPECT_EQ(b.At("PHYS/TAG_DESC").TransientValue().toString(), "-/-");
        EXPECT_EQ(tagRow.Value().str(), "-/-");
    }
}

TEST(OnlinePagesTrace, ACyclingPageReadsEachOfItsRecordsOncePerTick) {
    PageBench b;
    b.Online();
    std::vector<std::string> trace;
    b.session->Channel().SetTrace([&](const std::string& line) {
        if (line.rfind("> ", 0) == 0)
            trace.push_back(line);
    });
    OnlinePage p = OpenOnlinePage(b, "ctlOpRCAS");
    p.Switch().SetCycleTime(1000);
    p.Switch().SetCyclicRefresh(1);
    for (int tick = 0; tick < 3; ++tick) {
        b.Settle();
        // Eight records and elements, each read once, nothing written.
        std::map<std::string, int> lines;
        for (const std::string& line : trace)
            ++lines[line];
        EXPECT_EQ(lines.size(), 8u) << "tick " << tick;
        for (const auto& [line, count] : lines) {
            EXPECT_EQ(line.rfind("> read ", 0), 0u) << line;
            EXPECT_EQ(count, 1) << line;
        }
        trace.clear();
        b.loop->Advance(1000);
    }
    b.session->Channel().SetTrace(nullptr);
}

}  // namespace
}  // namespace kv
