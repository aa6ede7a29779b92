// The main window's logic against a navigation control without widgets: registration and
// release, the pages it initialises, the cycle switch, manual and help, the device state, the
// data and connection states, the views per function and the tree texts.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "core/DtmElements.h"
#include "core/clsDataElement.h"
#include "dtm/DTMMain.h"
#include "frame/DeviceSession.h"
#include "frame/ReferenceFrame.h"
#include "frame/ScriptedPrompt.h"
#include "platform/os/Shell.h"
#include "platform/runtime/GUIManager.h"
#include "platform/runtime/IDTMDictionary.h"
#include "platform/runtime/IFunctionCall.h"
#include "platform/runtime/IGUIManager.h"
#include "platform/runtime/IParameters.h"
#include "platform/runtime/IPrivateDataModel.h"
#include "platform/runtime/IXMLHelper.h"
#include "platform/runtime/ManualEventLoop.h"
#include "support/FrameInstanceFixture.h"
#include "support/GuiFakes.h"
#include "support/TempFolder.h"
#include "ui/framework/FakeNavigationControl.h"
#include "ui/framework/NavHelpers.h"
#include "ui/framework/NavigationMainLogic.h"
#include "ui/framework/NavigationTree.h"

namespace kv {
namespace {

namespace fs = std::filesystem;
using test_support::Calls;
using test_support::FakeChildUI;
using test_support::FakeMainHost;
using test_support::FakeNavPage;

bool Contains(const Calls& calls, const std::string& call) {
    return std::find(calls.begin(), calls.end(), call) != calls.end();
}

// A frame with one instance, the main window's logic around a fake control, and, on request,
// the simulated positioner connected.
struct MainWindow : test_support::FrameBench {
    std::shared_ptr<Calls> calls = std::make_shared<Calls>();
    FakeMainHost host{calls};
    std::shared_ptr<NavigationMainLogic> window = std::make_shared<NavigationMainLogic>(host);

    MainWindow() { host.nav.SetEvents(window); }
    ~MainWindow() {
        window->Terminate();
        os::SetShellOpener({});
    }
    clsDataElement& Element(const std::string& path) {
        IPrivateDataElement* e = Ctx().Parameters().Item(path);
        if (!e)
            throw std::runtime_error("no element " + path);
        return AsDataElement(*e);
    }
    std::string CallOf(int32_t applicationId) {
        std::shared_ptr<IFunctionCall> call = NewFunctionCall();
        call->SetApplicationId(applicationId);
        return call->ToXml(Ctx());
    }
    bool Open(int32_t applicationId, const std::string& gui = "1") {
        return window->Init(gui, CallOf(applicationId), instance->dtm);
    }
    void Connect() {
        ASSERT_TRUE(session->SetCommunication());
        ASSERT_TRUE(session->Connect());
    }
    test_support::FakeNavigationControl& Nav() { return host.nav; }
    std::vector<std::string> Registered() { return Ctx().GUIManager().FunctionIds(); }
};

// A copy of the product's XML data with one dictionary file changed by 'edit'.
struct EditedXmlData {
    test_support::TempFolder temp;
    std::string folder;
    EditedXmlData(const std::string& file, const std::string& from, const std::string& to) {
        folder = (fs::path(temp.path) / "XMLData").string();
        fs::copy(KV_SOURCE_XMLDATA_DIR, folder, fs::copy_options::recursive);
        const fs::path path = fs::path(folder) / file;
        std::ifstream in(path);
        std::string text((std::istreambuf_iterator<char>(in)), {});
        const size_t at = text.find(from);
        if (at == std::string::npos)
            throw std::runtime_error("no \"" + from + "\" in " + file);
        text.replace(at, from.size(), to);
        std::ofstream(path, std::ios::trunc) << text;
    }
    // The instance takes its dictionaries from the copy.
    void Use(IDTMContext& context) const {
        context.XMLHelper().SetXMLDataPath(folder);
        ASSERT_TRUE(context.Dictionary().Load(context, "DTMDictionary"));
    }
};

// --- registration, children, pages and release ---

TEST(MainWindowInit, RefusesWhatItCannotOpenAndRegistersNothing) {
    MainWindow w;
    EXPECT_FALSE(w.window->Init("", w.CallOf(1), w.instance->dtm));
    EXPECT_FALSE(w.window->Init("1", w.CallOf(1), nullptr));
    EXPECT_FALSE(w.window->Init("1", "<FDT><NoCall/></FDT>", w.instance->dtm));
    EXPECT_FALSE(w.window->Init("1", "not xml", w.instance->dtm));
    EXPECT_FALSE(w.window->Initialised());
    EXPECT_TRUE(w.Registered().empty());
    EXPECT_TRUE(w.calls->empty());
    // A call under which another user interface is open cannot be taken.
    auto other = std::make_shared<test_support::FakeGUI>();
    w.Ctx().GUIManager().RegisterGUI("1", other, true);
    EXPECT_FALSE(w.Open(1, "1"));
    EXPECT_FALSE(w.window->Initialised());
    EXPECT_EQ(w.Ctx().GUIManager().GetGUI("1"), other);
}

TEST(MainWindowInit, RegistersTopLevelOrAsChildAndNumbersItsChildren) {
    MainWindow w;
    FakeChildUI first("first", w.calls), second("second", w.calls);
    w.host.children = {&first, &second};
    ASSERT_TRUE(w.Open(1, "7"));
    EXPECT_EQ(w.Registered(), std::vector<std::string>{"7"});
    EXPECT_TRUE(dynamic_cast<GUIManager&>(w.Ctx().GUIManager()).IsTopLevel("7"));
    EXPECT_TRUE(Contains(*w.calls, "first.Init 7.1$"));
    EXPECT_TRUE(Contains(*w.calls, "second.Init 7.2$"));
    // A second Init of a window that is open changes nothing.
    EXPECT_FALSE(w.Open(2, "8"));
    EXPECT_EQ(w.window->FunctionId(), 1);

    MainWindow child;
    ASSERT_TRUE(child.Open(1, "1.ctlNavigationMain$"));
    EXPECT_FALSE(
        dynamic_cast<GUIManager&>(child.Ctx().GUIManager()).IsTopLevel("1.ctlNavigationMain$"));
}

TEST(MainWindowInit, SetsUpSiteCycleViewAndLanguageInThatOrder) {
    MainWindow w;
    ASSERT_TRUE(w.Open(1, "1"));
    const Calls& c = *w.calls;
    auto at = [&](const std::string& call) {
        return std::find(c.begin(), c.end(), call) - c.begin();
    };
    ASSERT_TRUE(Contains(c, "site.Init 1"));
    EXPECT_LT(at("site.Init 1"), at("cycle.Init"));
    EXPECT_LT(at("cycle.Init"), at("site.SetLanguage 9"));
    EXPECT_LT(at("site.SetLanguage 9"), at("site.ParameterSetChanged"));
    // The view: pictures, toolbar, icons from the XML data folder, interval and function id.
    EXPECT_EQ(w.Nav().images.images.at(2), "status_maint");
    EXPECT_EQ(w.Nav().images.disabled.at(3), "status_funct");
    EXPECT_EQ(w.Nav().headline.deviceTypeName, "KV6274PA");
    EXPECT_FALSE(w.Nav().toolbar.buttons.at(9).enabled);
    EXPECT_FALSE(w.Nav().toolbar.buttons.at(10).enabled);
    EXPECT_TRUE(w.Nav().toolbar.buttons.at(7).enabled);
    const std::string xmlData = w.Ctx().XMLHelper().XMLDataPath();
    EXPECT_EQ(w.Nav().headline.companyIcon, (fs::path(xmlData) / "company.png").string());
    EXPECT_EQ(w.Nav().device.deviceIcon, (fs::path(xmlData) / "device.png").string());
    EXPECT_TRUE(fs::exists(w.Nav().headline.companyIcon));
    EXPECT_TRUE(fs::exists(w.Nav().device.deviceIcon));
    EXPECT_EQ(w.Nav().tree.functionId, "1");
    EXPECT_EQ(w.Nav().dtm.interval, w.Element(kCycleIntervalPath).TransientValue().toLong());
    EXPECT_EQ(w.Nav().device.title, "Device");
    EXPECT_EQ(w.Nav().tree.title, "Parameter");
    EXPECT_EQ(w.Nav().toolbar.buttons.at(6).toolTip, "Open the operating manual");
}

TEST(MainWindowPages, PageGetsTheWindowsCallWithItsNameAndTheFunctionCall) {
    MainWindow w;
    ASSERT_TRUE(w.Open(7, "7"));
    FakeNavPage page("ctlId", w.calls);
    w.Nav().pages = {&page};
    w.window->PageCreated(page);
    EXPECT_TRUE(Contains(*w.calls, "ctlId.Init 7.ctlId$"));
    EXPECT_EQ(page.initDtm, w.instance->dtm);
    std::shared_ptr<IFunctionCall> call = NewFunctionCall();
    ASSERT_TRUE(call->Parse(page.initDocument, w.Ctx()));
    EXPECT_EQ(call->ApplicationId(), 7);
    // The window never switches a new page's cycling itself: the navigation control hands it
    // its current switch.
    EXPECT_FALSE(Contains(*w.calls, "ctlId.SetCyclicRefresh 1"));
    w.Nav().dtm.SetCyclicRefresh(1);
    w.window->PageReleasing(page);
    EXPECT_TRUE(Contains(*w.calls, "ctlId.PrepareToRelease"));
    w.Nav().dtm.SetCyclicRefresh(0);
    FakeNavPage next("ctlIdPos", w.calls);
    w.window->PageCreated(next);
    EXPECT_FALSE(Contains(*w.calls, "ctlIdPos.SetCyclicRefresh 1"));
}

TEST(MainWindowRelease, RefusingPageKeepsTheWindowWholeAndRegistered) {
    MainWindow w;
    FakeChildUI child("child", w.calls);
    w.host.children = {&child};
    ASSERT_TRUE(w.Open(1, "1"));
    FakeNavPage page("ctlId", w.calls);
    page.agrees = false;
    w.Nav().pages = {&page};
    w.calls->clear();

    EXPECT_FALSE(w.window->PrepareToRelease());
    EXPECT_EQ(*w.calls, (Calls{"child.PrepareToRelease", "ctlId.PrepareToRelease"}));
    EXPECT_TRUE(w.window->Initialised());
    EXPECT_EQ(w.Registered(), std::vector<std::string>{"1"});
    EXPECT_FALSE(w.host.hidden);
    // The window still works: element changes reach its binding site.
    w.window->ParameterChanged(*w.Ctx().Parameters().Item(kTagDescPath));
    EXPECT_TRUE(Contains(*w.calls, "site.ParameterChanged PHYS/TAG_DESC"));

    page.agrees = true;
    w.calls->clear();
    EXPECT_TRUE(w.window->PrepareToRelease());
    EXPECT_EQ(*w.calls, (Calls{"child.PrepareToRelease", "ctlId.PrepareToRelease", "site.Release",
                               "cycle.Clear", "hide"}));
    EXPECT_FALSE(w.window->Initialised());
    EXPECT_TRUE(w.Registered().empty());
    // Released windows agree at once.
    EXPECT_TRUE(w.window->PrepareToRelease());
}

TEST(MainWindowRelease, RefusingChildEndsBeforeThePagesAreAsked) {
    MainWindow w;
    FakeChildUI child("child", w.calls);
    child.agrees = false;
    w.host.children = {&child};
    ASSERT_TRUE(w.Open(1, "1"));
    FakeNavPage page("ctlId", w.calls);
    w.Nav().pages = {&page};
    w.calls->clear();
    EXPECT_FALSE(w.window->PrepareToRelease());
    EXPECT_EQ(*w.calls, (Calls{"child.PrepareToRelease"}));
    // The GUI list closes the window through CloseGUI, which answers the same.
    EXPECT_FALSE(w.Ctx().GUIManager().CloseAll());
    child.agrees = true;
    EXPECT_TRUE(w.Ctx().GUIManager().CloseAll());
    EXPECT_TRUE(w.Registered().empty());
}

TEST(MainWindowRelease, TerminateUnregistersAndNeverInitialisedWindowGivesTheDesignTree) {
    MainWindow w;
    EXPECT_EQ(w.window->GUITreeStructure(), DesignTimeTreeStructure());
    ASSERT_TRUE(w.Open(1));
    EXPECT_NE(w.window->GUITreeStructure(), DesignTimeTreeStructure());
    w.window->Terminate();
    EXPECT_TRUE(w.Registered().empty());
    EXPECT_FALSE(w.window->Initialised());
}

// --- cycle ---

TEST(MainWindowCycle, SwitchAndIntervalFollowEachOther) {
    MainWindow w;
    ASSERT_TRUE(w.Open(1));
    w.Nav().dtm.SetCyclicRefresh(1);
    EXPECT_EQ(w.host.cycleValue, 1);
    // The control switched itself off (not connected): the pane follows.
    w.host.cycleValue = 0;
    w.window->CycleClick();
    EXPECT_EQ(w.Nav().dtm.cyclicRefresh, 0);

    // A cycle error other than a lost connection shows nothing.
    w.window->CycleError();
    EXPECT_TRUE(w.prompt->messages.empty());
}

TEST(MainWindowCycle, LostConnectionAtATickShowsTheTimeoutAndSwitchesCyclingOff) {
    MainWindow w;
    w.Connect();
    ASSERT_TRUE(w.Open(1));
    w.Nav().dtm.SetCyclicRefresh(1);
    w.session->Channel().DropConnection();
    w.loop->RunUntilIdle();
    w.window->CycleError();
    EXPECT_EQ(w.prompt->messages.back(), w.Ctx().GetText("error_cycle_timeout"));
    EXPECT_EQ(w.Nav().dtm.cyclicRefresh, 0);
    EXPECT_EQ(w.host.cycleValue, 0);
}

TEST(MainWindowCycle, SwitchFollowsTheConnectionAndOnlyTheFunctionStartsCycling) {
    // Function 7 asks for cycling, function 1 leaves the switch as it is.
    for (const int32_t function : {7, 1}) {
        SCOPED_TRACE(testing::Message() << "function " << function);
        const int16_t asked = function == 7 ? 1 : 0;
        MainWindow w;
        ASSERT_TRUE(w.Open(function));
        EXPECT_FALSE(w.Nav().dtm.enable);
        EXPECT_EQ(w.Nav().dtm.cyclicRefresh, 0);
        w.Connect();
        EXPECT_TRUE(w.Nav().dtm.enable);
        EXPECT_EQ(w.Nav().dtm.cyclicRefresh, asked);

        // Cycling off, the tree pushed at the disconnect does not switch it on.
        w.Nav().dtm.SetCyclicRefresh(0);
        ASSERT_TRUE(w.session->Disconnect());
        EXPECT_EQ(w.Nav().dtm.connectState, dcsDisconnected);
        EXPECT_FALSE(w.Nav().dtm.enable);
        EXPECT_EQ(w.Nav().dtm.cyclicRefresh, 0);
        EXPECT_EQ(w.host.cycleValue, 0);
        w.Connect();
        EXPECT_TRUE(w.Nav().dtm.enable);
        EXPECT_EQ(w.Nav().dtm.cyclicRefresh, asked);

        // Cycling on, the disconnect switches it off, the window's cycle with it.
        w.Nav().dtm.SetCyclicRefresh(1);
        ASSERT_EQ(w.host.cycleValue, 1);
        ASSERT_TRUE(w.session->Disconnect());
        EXPECT_FALSE(w.Nav().dtm.enable);
        EXPECT_EQ(w.Nav().dtm.cyclicRefresh, 0);
        EXPECT_EQ(w.host.cycleValue, 0);
    }
}

TEST(MainWindowCycle, LockOfTheDataSetReachesTheBindingSite) {
    MainWindow w;
    w.Ctx().GUIManager().SetLocked(true);
    ASSERT_TRUE(w.Open(1));
    EXPECT_TRUE(Contains(*w.calls, "site.EnableEdit 0"));
    w.Ctx().GUIManager().SetLocked(false);
    EXPECT_EQ(w.calls->back(), "site.EnableEdit 1");
}

TEST(MainWindowCycle, ChangedIntervalIsWrittenWithoutChangingTheDataSetsState) {
    MainWindow w;
    ASSERT_TRUE(w.Open(1));
    auto gui = std::make_shared<test_support::FakeGUI>();
    w.Ctx().GUIManager().RegisterGUI("other", gui, true);
    IParameters& parameters = w.Ctx().Parameters();
    parameters.SetModifiedState(0);
    const int32_t before = w.Element(kCycleIntervalPath).TransientValue().toLong();
    // The pane already shows the stored interval: setting it again changes nothing.
    w.Nav().dtm.SetInterval(before);
    w.window->CycleIntervalChanged();
    EXPECT_EQ(parameters.ModifiedState(), 0);
    EXPECT_EQ(gui->ChangesOf(kCycleIntervalPath), 0U);

    // The same number in another subtype is the same interval.
    w.Element(kCycleIntervalPath).SetTransientValue(Variant(int16_t(before)));
    w.window->CycleIntervalChanged();
    EXPECT_EQ(parameters.ModifiedState(), 0);

    IPrivateDataModel& model = *parameters.DataModel();
    model.DataSetChanged(w.Ctx());
    parameters.SetModifiedState(0);
    const Variant status = w.Element(kDataStatusPath).TransientValue();
    w.Nav().dtm.SetInterval(1500);
    EXPECT_EQ(w.Element(kCycleIntervalPath).TransientValue(), Variant(int32_t{1500}));
    // The window's setting: the instance is not modified, the data set's state stays and
    // nobody else is told.
    EXPECT_EQ(parameters.ModifiedState(), 0);
    EXPECT_EQ(gui->ChangesOf(kCycleIntervalPath), 0U);
    model.DataSetChanged(w.Ctx());
    EXPECT_EQ(w.Element(kDataStatusPath).TransientValue(), status);
}

TEST(MainWindowCycle, StoredIntervalThePaneCannotTakeLeavesThePanesOwn) {
    for (const Variant& stored : {Variant(), Variant(int32_t{50}), Variant("fast")}) {
        MainWindow w;
        w.Element(kCycleIntervalPath).SetTransientValue(stored);
        ASSERT_TRUE(w.Open(1));
        EXPECT_EQ(w.Nav().dtm.interval, 4000);
    }
}

// --- manual and help ---

TEST(MainWindowDocuments, ManualAndHelpOpenTheirFilesInTheLanguage) {
    MainWindow w;
    std::vector<std::string> opened;
    os::SetShellOpener([&](const std::string& file, IEventLoop& loop, os::ShellOpenEnded ended) {
        opened.push_back(file);
        loop.Post([ended] { ended(true); });
        return true;
    });
    ASSERT_TRUE(w.Open(1));
    const fs::path root = fs::path(KV_SOURCE_XMLDATA_DIR).parent_path();
    w.window->ToolbarButtonClick(ntbManual);
    w.window->ToolbarButtonClick(ntbHelp);
    w.window->ToolbarButtonClick(ntbRead);
    ASSERT_EQ(opened.size(), 2U);
    EXPECT_EQ(fs::path(opened[0]), root / "XMLData/KV6274PA_manual_en.html");
    EXPECT_EQ(fs::path(opened[1]), root / "XMLData/KV6274PA_help_en.html");
    EXPECT_TRUE(fs::exists(opened[0]));
    w.Ctx().GUIManager().SetLanguage(langGerman);
    w.window->ToolbarButtonClick(ntbManual);
    EXPECT_EQ(fs::path(opened.back()), root / "XMLData/KV6274PA_manual_de.html");
    w.loop->RunUntilIdle();
    EXPECT_TRUE(w.prompt->messages.empty());
}

TEST(MainWindowDocuments, AMissingDocumentAndAMissingProgramAreToldApart) {
    MainWindow w;
    std::vector<std::string> opened;
    bool starts = true;
    os::ShellOpenEnded end;  // the end of the last opening that started
    os::SetShellOpener([&](const std::string& file, IEventLoop&, os::ShellOpenEnded ended) {
        opened.push_back(file);
        end = std::move(ended);
        return starts;
    });
    EditedXmlData data("DTMDictionary_9_functions.xml", R"(path="XMLData/KV6274PA_manual_en.html")",
                       "");
    data.Use(w.Ctx());
    ASSERT_TRUE(w.Open(1));
    w.window->ToolbarButtonClick(ntbManual);
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(w.prompt->messages, std::vector<std::string>{"The document is not available."});

    // The help file is there, but no program can be started to open it (xdg-open is missing),
    // or the one started ends without opening it (xdg-open finds no viewer): both messages
    // name the file. An opening that succeeds says nothing.
    const fs::path help = fs::path(data.folder) / "KV6274PA_help_en.html";
    const std::string noProgram = "No program could be started to open the document " +
                                  help.string() + ". Open the file with a program of your choice.";
    starts = false;
    w.window->ToolbarButtonClick(ntbHelp);
    ASSERT_EQ(opened.size(), 1U);
    EXPECT_EQ(fs::path(opened[0]), help);
    ASSERT_EQ(w.prompt->messages.size(), 2U);
    EXPECT_EQ(w.prompt->messages[1], noProgram);
    starts = true;
    w.window->ToolbarButtonClick(ntbHelp);
    EXPECT_EQ(w.prompt->messages.size(), 2U);  // not before the opener has ended
    end(false);
    ASSERT_EQ(w.prompt->messages.size(), 3U);
    EXPECT_EQ(w.prompt->messages[2], noProgram);
    w.window->ToolbarButtonClick(ntbHelp);
    end(true);
    EXPECT_EQ(w.prompt->messages.size(), 3U);
    // The end of an opening that reaches a released window or one that is gone does nothing.
    w.window->ToolbarButtonClick(ntbHelp);
    ASSERT_TRUE(w.window->PrepareToRelease());
    end(false);
    ASSERT_TRUE(w.Open(1));
    w.window->ToolbarButtonClick(ntbHelp);
    w.window->Terminate();
    w.window.reset();
    end(false);
    EXPECT_EQ(w.prompt->messages.size(), 3U);
    w.window = std::make_shared<NavigationMainLogic>(w.host);
    w.host.nav.SetEvents(w.window);

    // A document whose file is gone is not handed to any program.
    ASSERT_TRUE(w.Open(1));
    fs::remove(help);
    w.window->ToolbarButtonClick(ntbHelp);
    EXPECT_EQ(opened.size(), 5U);
    ASSERT_EQ(w.prompt->messages.size(), 4U);
    EXPECT_EQ(w.prompt->messages[3], "The document is not available.");
}

// --- device state ---

struct DeviceStateCase {
    std::vector<uint8_t> diagnosis;
    bool diagnosisRead;
    std::vector<uint8_t> checkBack;
    int32_t flags;
    std::vector<std::string> panels;
};

TEST(MainWindowDeviceState, FlagsAndPanelsFromDiagnosisAndCheckBack) {
    const std::vector<DeviceStateCase> cases = {
        // DIAGNOSIS entries 0 and 7, CHECK_BACK entry 2.
        {{0x81, 0, 0, 0},
         true,
         {0x04, 0, 0},
         14,
         {"Device state", "Maintenance required (1)", "Function check (1)", "Failure (1)"}},
        // No bit set, a device value read.
        {{0, 0, 0, 0},
         true,
         {0, 0, 0},
         1,
         {"Device state - OK", "Maintenance required", "Function check", "Failure"}},
        // DIAGNOSIS without bits but read, CHECK_BACK entry 1.
        {{0, 0, 0, 0},
         true,
         {0x02, 0, 0},
         3,
         {"Device state", "Maintenance required (1)", "Function check", "Failure"}},
        // Entries beyond 15 (DIAGNOSIS) and 17 (CHECK_BACK) are never counted.
        {{0, 0, 0x01, 0x80},
         true,
         {0, 0, 0x04},
         1,
         {"Device state - OK", "Maintenance required", "Function check", "Failure"}},
        // Several maintenance entries count each; entry 16 of CHECK_BACK counts.
        {{0x01, 0x61, 0, 0},
         true,
         {0, 0, 0x01},
         10,
         {"Device state", "Maintenance required (4)", "Function check", "Failure (1)"}},
        // Nothing read yet: no flag at all.
        {{0, 0, 0, 0},
         false,
         {0, 0, 0},
         0,
         {"Device state", "Maintenance required", "Function check", "Failure"}},
    };
    MainWindow w;
    w.Connect();
    ASSERT_TRUE(w.Open(1));
    clsDataElement& diagnosis = w.Element(kDiagnosisPath);
    clsDataElement& checkBack = w.Element(kCheckBackPath);
    for (const DeviceStateCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "flags " << c.flags);
        diagnosis.SetTransientValue(Variant(c.diagnosis));
        diagnosis.SetDeviceValue(c.diagnosisRead ? Variant(c.diagnosis) : Variant());
        checkBack.SetTransientValue(Variant(c.checkBack));
        checkBack.SetDeviceValue(Variant());
        w.window->ParameterChanged(checkBack);
        EXPECT_EQ(w.Nav().headline.flags, c.flags);
        for (int p = 0; p < 4; ++p)
            EXPECT_EQ(w.Nav().headline.panels[p], c.panels[p]) << "panel " << p + 1;
    }
    ASSERT_TRUE(w.session->Disconnect());
}

TEST(MainWindowDeviceState, WithoutAConnectionTheHeadlineGivesNoVerdict) {
    MainWindow w;
    w.Connect();
    ASSERT_TRUE(w.Open(1));
    // The start-up reads brought the device's state and its position.
    w.loop->RunUntilIdle();
    ASSERT_NE(w.Nav().headline.flags, 0);
    ASSERT_NE(w.Nav().headline.pv, "-/-");
    const std::vector<std::string> plain = {"Device state", "Maintenance required",
                                            "Function check", "Failure"};
    ASSERT_TRUE(w.session->Disconnect());
    EXPECT_EQ(w.Nav().headline.flags, 0);
    EXPECT_EQ(
        std::vector<std::string>(w.Nav().headline.panels.begin(), w.Nav().headline.panels.end()),
        plain);
    EXPECT_EQ(w.Nav().headline.pv, "-/-");
    // The values kept from the last read give no verdict either.
    w.window->ParameterChanged(w.Element(kDiagnosisPath));
    EXPECT_EQ(w.Nav().headline.flags, 0);
    EXPECT_EQ(w.Nav().headline.panels[0], plain[0]);
}

TEST(MainWindowDeviceState, ElementsThatAreNoBitListsContributeNoBits) {
    MainWindow w;
    clsDataElement& diagnosis = w.Element(kDiagnosisPath);
    diagnosis.SetTransientValue(Variant(std::vector<uint8_t>{0x01, 0, 0, 0}));
    diagnosis.SetDeviceValue(Variant(std::vector<uint8_t>{0x01, 0, 0, 0}));
    EXPECT_EQ(ComputeDeviceState(&diagnosis, nullptr).flags, dsfFailure);
    // Another control type, an empty value list or a value that is no array: only "read".
    diagnosis.SetControlType(pctValueList);
    EXPECT_EQ(ComputeDeviceState(&diagnosis, nullptr).flags, dsfOk);
    diagnosis.SetControlType(pctBitList);
    diagnosis.SetTransientValue(Variant(int32_t{1}));
    EXPECT_EQ(ComputeDeviceState(&diagnosis, nullptr).flags, dsfOk);
    EXPECT_EQ(ComputeDeviceState(nullptr, nullptr).flags, 0);
}

// --- data state, connection, headline ---

TEST(MainWindowStates, DataStateMapping) {
    const std::vector<std::pair<int32_t, int32_t>> table = {{0, 0}, {1, 2}, {2, 3}, {3, 1},
                                                            {4, 4}, {5, 5}, {6, 6}};
    for (const auto& [v, pane] : table)
        EXPECT_EQ(PaneDataState(Variant(uint8_t(v))), pane) << v;
    EXPECT_EQ(PaneDataState(Variant(int32_t{7})), std::nullopt);
    EXPECT_EQ(PaneDataState(Variant(int32_t{-1})), std::nullopt);
    EXPECT_EQ(PaneDataState(Variant()), std::nullopt);

    MainWindow w;
    ASSERT_TRUE(w.Open(1));
    clsDataElement& status = w.Element(kDataStatusPath);
    status.SetTransientValue(Variant(uint8_t{3}));
    w.window->ParameterSetChanged();
    EXPECT_EQ(w.Nav().dtm.dataState, ddsChanged);
    // A value outside 0 to 6 leaves the pane as it is.
    status.SetTransientValue(Variant(uint8_t{9}));
    w.window->ParameterSetChanged();
    EXPECT_EQ(w.Nav().dtm.dataState, ddsChanged);
    // The pane's texts are those of the data set's states in the language.
    EXPECT_EQ(w.Nav().dtm.dataStateTexts[ddsStored], "Stored values");
    EXPECT_EQ(w.Nav().dtm.dataStateTexts[ddsChanged], "Changed");
}

TEST(MainWindowStates, ConnectionStatePushesTheTreeToEveryOpenMainWindow) {
    MainWindow w;
    ASSERT_TRUE(w.Open(1));
    EXPECT_EQ(w.Nav().dtm.connectState, dcsDisconnected);
    auto other = std::make_shared<test_support::FakeMainWindow>();
    w.Ctx().GUIManager().RegisterGUI("9", other, true);
    w.Connect();
    EXPECT_EQ(w.Nav().dtm.connectState, dcsConnected);
    ASSERT_FALSE(other->pushed.empty());
    // The tree marks the nodes of the functions on offer.
    EXPECT_NE(other->pushed.back().find(R"(invisibleStatus="0")"), std::string::npos);
    // Nothing changes without a change of the connection.
    const size_t pushes = other->pushed.size();
    w.window->ParameterSetChanged();
    EXPECT_EQ(other->pushed.size(), pushes);
    ASSERT_TRUE(w.session->Disconnect());
    w.window->ParameterSetChanged();
    EXPECT_EQ(w.Nav().dtm.connectState, dcsDisconnected);
    EXPECT_GT(other->pushed.size(), pushes);
}

TEST(MainWindowStates, ProcessValueNeedsACommunicationAndAValue) {
    MainWindow w;
    ASSERT_TRUE(w.Open(1));
    clsDataElement& readback = w.Element(kReadbackValuePath);
    clsDataElement& unit = w.Element(kPvScaleUnitPath);
    readback.SetTransientValue(Variant(42.5f));
    w.window->ParameterChanged(readback);
    EXPECT_EQ(w.Nav().headline.pv, "-/-");

    w.Connect();
    unit.SetTransientValue(Variant(int32_t{1342}));
    readback.SetDeviceValue(Variant());
    readback.SetTransientValue(Variant());
    w.window->ParameterChanged(readback);
    EXPECT_EQ(w.Nav().headline.pv, "-/-");
    readback.SetTransientValue(Variant::Null());
    w.window->ParameterChanged(readback);
    EXPECT_EQ(w.Nav().headline.pv, "-/-");
    // The device's value, in the unit it was read in: not the scale's unit of the project.
    readback.SetDeviceValue(Variant(42.5f));
    readback.nDeviceUnit = 1342;
    w.window->ParameterChanged(readback);
    EXPECT_EQ(w.Nav().headline.pv, "42.50 %");
    readback.SetDeviceValue(Variant(7.0));
    readback.nDeviceUnit = 1013;
    w.window->ParameterChanged(readback);
    EXPECT_EQ(w.Nav().headline.pv, "7.00 mm");
    readback.nDeviceUnit = 0;  // read while the device's unit was not known
    w.window->ParameterChanged(unit);
    EXPECT_EQ(w.Nav().headline.pv, "7.00");
    readback.nDeviceUnit = 1013;
    // In the number form of the language the user sees, as the rows show numbers.
    w.Ctx().GUIManager().SetLanguage(langGerman);
    w.window->ParameterChanged(readback);
    EXPECT_EQ(w.Nav().headline.pv, "7,00 mm");
    ASSERT_TRUE(w.session->Disconnect());
}

TEST(MainWindowStates, HeadlineAndPanesShowTheDeviceValuesAndTheirTexts) {
    MainWindow w;
    w.Connect();
    ASSERT_TRUE(w.Open(1));
    EXPECT_EQ(w.Nav().dtm.connectState, dcsConnected);
    // The start-up reads brought the identification.
    EXPECT_FALSE(w.Nav().device.tag.empty());
    EXPECT_FALSE(w.Nav().headline.softwareRevision.empty());
    EXPECT_NE(w.Nav().headline.pv, "-/-");
    EXPECT_EQ(w.Nav().device.tagToolTip, FirstSentence(w.Element(kTagDescPath).Description.str()));
    EXPECT_EQ(w.Nav().headline.pvToolTip, w.Element(kReadbackValuePath).Label.str() + ": " +
                                              w.Element(kReadbackValuePath).Description.str());
    EXPECT_EQ(w.Nav().headline.companyLink, "https://www.karvel.example");
    EXPECT_EQ(w.Nav().dtm.connectTexts[dcsConnected], "Connected");
    ASSERT_TRUE(w.session->Disconnect());
}

TEST(MainWindowStates, FirstSentence) {
    EXPECT_EQ(FirstSentence("Tag of the device. Up to 32 characters."), "Tag of the device.");
    EXPECT_EQ(FirstSentence("No full stop"), "");
    EXPECT_EQ(FirstSentence(""), "");
}

TEST(MainWindowLanguage, GermanTextsReachHeadlinePanesAndTree) {
    MainWindow w;
    ASSERT_TRUE(w.Open(1));
    w.Ctx().GUIManager().SetLanguage(langGerman);
    EXPECT_TRUE(Contains(*w.calls, "site.SetLanguage 7"));
    EXPECT_EQ(w.Nav().headline.panels[0].rfind("Gerätezustand", 0), 0U);
    EXPECT_EQ(w.Nav().dtm.dataStateLabel, "Datensatz");
    EXPECT_EQ(w.Nav().dtm.dataStateTexts[ddsStored], "Gespeicherte Werte");
    EXPECT_EQ(w.Nav().toolbar.buttons.at(7).toolTip,
              w.Ctx().GetText("ctlNavigation_HelpBtn_ToolTip"));
    EXPECT_NE(w.Nav().tree.xml.find(w.Ctx().GetText("tvOffline")), std::string::npos);
    w.Ctx().GUIManager().SetLanguage(langEnglish);
    EXPECT_NE(w.Nav().tree.xml.find(R"(caption="Parameters")"), std::string::npos);
}

// --- views and tree texts ---

int CountNodes(const std::string& tree) {
    const std::regex node("<node ");
    return static_cast<int>(std::distance(std::sregex_iterator(tree.begin(), tree.end(), node),
                                          std::sregex_iterator()));
}

TEST(MainWindowViews, EachFunctionOpensItsView) {
    {
        MainWindow w;
        ASSERT_TRUE(w.Open(1));
        EXPECT_TRUE(w.Nav().navigationVisible);
        EXPECT_EQ(CountNodes(w.Nav().tree.xml), 52);
        EXPECT_EQ(w.Nav().dtm.cyclicRefresh, 0);
    }
    {
        MainWindow w;
        ASSERT_TRUE(w.Open(9));
        EXPECT_FALSE(w.Nav().navigationVisible);
        EXPECT_EQ(CountNodes(w.Nav().tree.xml), 52);
        EXPECT_EQ(w.Nav().dtm.cyclicRefresh, 0);
    }
    {
        // The simulation page alone, cycling on.
        MainWindow w;
        w.Connect();
        ASSERT_TRUE(w.Open(3));
        EXPECT_FALSE(w.Nav().navigationVisible);
        EXPECT_EQ(CountNodes(w.Nav().tree.xml), 1);
        EXPECT_NE(w.Nav().tree.xml.find(R"(key="Node37")"), std::string::npos);
        EXPECT_TRUE(Contains(*w.calls, "cycle.Value 1"));
        ASSERT_TRUE(w.session->Disconnect());
    }
    {
        // Not connected, the pane does not allow cycling.
        MainWindow w;
        ASSERT_TRUE(w.Open(3));
        EXPECT_FALSE(w.Nav().dtm.enable);
        EXPECT_EQ(w.Nav().dtm.cyclicRefresh, 0);
        EXPECT_FALSE(Contains(*w.calls, "cycle.Value 1"));
    }
    {
        MainWindow w;
        ASSERT_TRUE(w.Open(10));
        EXPECT_TRUE(w.Nav().navigationVisible);
        EXPECT_EQ(CountNodes(w.Nav().tree.xml), 4);
    }
    {
        // A function that no node carries and no view for: whole tree, pane as it was.
        MainWindow w;
        w.Nav().navigationVisible = false;
        ASSERT_TRUE(w.Open(15));
        EXPECT_FALSE(w.Nav().navigationVisible);
        EXPECT_EQ(CountNodes(w.Nav().tree.xml), 52);
    }
    const FunctionView view = ViewOfFunction(14);
    EXPECT_EQ(view.navigationVisible, true);
    EXPECT_TRUE(view.subTree);
    EXPECT_FALSE(view.enableCyclicRefresh);
    EXPECT_FALSE(ViewOfFunction(8).navigationVisible.value());
    EXPECT_TRUE(ViewOfFunction(11).enableCyclicRefresh);
}

TEST(MainWindowViews, TreeTextsAreEscapedAndTheStoredTreeKeepsItsReferences) {
    MainWindow w;
    EditedXmlData data("DTMDictionary_9_pages.xml", R"(key="tvOffline" text="Parameters")",
                       R"(key="tvOffline" text="Parameters &amp; &lt;Settings&gt; &quot;A&quot;")");
    data.Use(w.Ctx());
    ASSERT_TRUE(w.Open(1));
    pugi::xml_document shown;
    ASSERT_TRUE(shown.load_string(w.Nav().tree.xml.c_str()));
    EXPECT_STREQ(shown
                     .find_node([](pugi::xml_node n) {
                         return std::string(n.attribute("key").value()) == "Node0";
                     })
                     .attribute("caption")
                     .value(),
                 "Parameters & <Settings> \"A\"");
    EXPECT_NE(w.window->StoredTreeStructure().find("$(tvOffline)"), std::string::npos);

    // A reference to a function's label, and one without an entry that stays.
    const std::string tree =
        WrapTreeXml(R"x(<node key="N" caption="$(func_1) / $(no_such_key)"/>)x");
    pugi::xml_document expanded;
    ASSERT_TRUE(expanded.load_string(ExpandTreeTexts(tree, w.Ctx()).c_str()));
    EXPECT_STREQ(expanded.child("treeview").child("node").attribute("caption").value(),
                 "Parameters / $(no_such_key)");
    EXPECT_EQ(ExpandTreeTexts("", w.Ctx()), "");
}

}  // namespace
}  // namespace kv
