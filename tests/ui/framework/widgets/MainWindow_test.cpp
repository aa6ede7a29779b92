// The main window and the About page as widgets, with the real navigation control, the
// registry of user interfaces and pages that record what they are told, on an instance
// connected to the simulated positioner.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDate>
#include <QLabel>
#include <QLocale>
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "dtm/DTMMain.h"
#include "frame/DeviceSession.h"
#include "frame/ReferenceFrame.h"
#include "frame/ScriptedPrompt.h"
#include "platform/controls/widgets/NavTestSupport.h"
#include "platform/controls/widgets/PageRegistry.h"
#include "platform/controls/widgets/ctlNavigation.h"
#include "platform/controls/widgets/ctlParamHelp.h"
#include "platform/runtime/GUIManager.h"
#include "platform/runtime/IFunctionCall.h"
#include "platform/runtime/IPrivateDataModel.h"
#include "platform/runtime/ManualEventLoop.h"
#include "support/FrameInstanceFixture.h"
#include "support/WidgetHelpers.h"
#include "ui/framework/widgets/FrameworkUserInterfaces.h"
#include "ui/framework/widgets/ctlAbout.h"
#include "ui/framework/widgets/ctlCycle.h"
#include "ui/framework/widgets/ctlNavigationMain.h"
#include "value/Date.h"

namespace kv {
namespace {

using test_support::FlushDeletes;

using test_support::CallLog;
using test_support::FakeCyclePage;

// Page classes of the first nodes of the tree under "Parameters".
const char* const kPages[] = {"ctlId", "ctlIdPos", "ctlIdAct", "ctlIdValve"};

bool Has(const CallLog& log, const std::string& entry) {
    return std::find(log.begin(), log.end(), entry) != log.end();
}

// A cycle page that refuses its release while told to (and then keeps its cycle).
class StubbornPage : public FakeCyclePage {
  public:
    using FakeCyclePage::FakeCyclePage;
    bool PrepareToRelease() override {
        if (refuse) {
            Log("PrepareToRelease refused");
            return false;
        }
        return FakeCyclePage::PrepareToRelease();
    }
    bool refuse = true;
};

// An instance connected to the simulated positioner, a registry with recording pages and the
// framework's user interfaces.
struct Fixture : test_support::FrameBench {
    PageRegistry registry;
    std::shared_ptr<CallLog> log = std::make_shared<CallLog>();
    StubbornPage* stubborn = nullptr;
    bool connected;

    explicit Fixture(bool connect = true) : connected(connect) {
        RegisterFrameworkUserInterfaces(registry);
        for (const char* name : kPages) {
            const std::string page = name;
            registry.Register("KV6274PA." + page,
                              [this, page] { return std::make_unique<FakeCyclePage>(page, log); });
        }
        if (connect && (!session->SetCommunication() || !session->Connect()))
            throw std::runtime_error("not connected");
    }
    ~Fixture() {
        FlushDeletes();
        if (connected)
            session->Disconnect();
    }
    GUIManager& GUIs() { return dynamic_cast<GUIManager&>(Ctx().GUIManager()); }
    std::string CallOf(int32_t applicationId) {
        std::shared_ptr<IFunctionCall> call = NewFunctionCall();
        call->SetApplicationId(applicationId);
        return call->ToXml(Ctx());
    }
    // The first page refuses its release.
    void MakeFirstPageStubborn() {
        registry.Register("KV6274PA.ctlId", [this] {
            auto page = std::make_unique<StubbornPage>("ctlId", log);
            stubborn = page.get();
            return page;
        });
    }
};

TEST(MainWindowWidget, OpensItsFunctionWithTreeHeadlineAndFirstPage) {
    Fixture f;
    ctlNavigationMain window(nullptr, &f.registry);
    window.resize(1000, 700);
    window.show();
    ASSERT_TRUE(window.Init("1", f.CallOf(1), f.instance->dtm));
    EXPECT_EQ(f.GUIs().FunctionIds(), std::vector<std::string>{"1"});
    EXPECT_TRUE(f.GUIs().IsTopLevel("1"));
    EXPECT_TRUE(f.GUIs().IsShown("1"));
    ctlNavigation& nav = window.NavigationControl();
    EXPECT_EQ(nav.devParameter().TreeHolder().SelectedNode(), "Node2");
    EXPECT_TRUE(Has(*f.log, "ctlId: Init 1.ctlId$"));
    EXPECT_EQ(nav.Headline().StdHeadline().DeviceTypeName(), "KV6274PA");
    EXPECT_EQ(nav.dtmInfo().ConnectState(), dcsConnected);
    EXPECT_EQ(window.GetParamHelpCtl(), &window.HelpPane());
    window.hide();
    EXPECT_FALSE(f.GUIs().IsShown("1"));
    EXPECT_TRUE(window.PrepareToRelease());
    EXPECT_TRUE(f.GUIs().FunctionIds().empty());
}

TEST(MainWindowWidget, NewPagesFollowTheCurrentCycleSwitch) {
    Fixture f;
    ctlNavigationMain window(nullptr, &f.registry);
    ASSERT_TRUE(window.Init("1", f.CallOf(1), f.instance->dtm));
    ctlNavigation& nav = window.NavigationControl();
    ITreeHolder& tree = nav.devParameter().TreeHolder();
    ICyclePane& cycle = nav.dtmInfo().Cycle();

    cycle.SetCyclicRefresh(1);
    EXPECT_EQ(window.CycleControl().Value(), 1);
    EXPECT_TRUE(Has(*f.log, "ctlId: SetCyclicRefresh 1"));
    // Cycling on at the page switch: the next page starts cycling.
    ASSERT_TRUE(tree.SelectNode("Node4"));
    EXPECT_TRUE(Has(*f.log, "ctlIdPos: SetCyclicRefresh 1"));
    // The user switches cycling off; a later page does not start cycling.
    cycle.SetCyclicRefresh(0);
    EXPECT_EQ(window.CycleControl().Value(), 0);
    ASSERT_TRUE(tree.SelectNode("Node5"));
    EXPECT_TRUE(Has(*f.log, "ctlIdAct: Init 1.ctlIdAct$"));
    EXPECT_FALSE(Has(*f.log, "ctlIdAct: SetCyclicRefresh 1"));
    EXPECT_TRUE(window.PrepareToRelease());
}

TEST(MainWindowWidget, RefusingPageLeavesTheWindowWholeUntilItAgrees) {
    Fixture f;
    f.MakeFirstPageStubborn();
    ctlNavigationMain window(nullptr, &f.registry);
    window.show();
    ASSERT_TRUE(window.Init("1", f.CallOf(1), f.instance->dtm));
    ASSERT_NE(f.stubborn, nullptr);
    window.NavigationControl().dtmInfo().Cycle().SetCyclicRefresh(1);
    ASSERT_EQ(window.CycleControl().Value(), 1);

    EXPECT_FALSE(window.PrepareToRelease());
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(f.GUIs().FunctionIds(), std::vector<std::string>{"1"});
    // The window's own cycle still runs: nothing of the window was released.
    EXPECT_EQ(window.CycleControl().Value(), 1);
    EXPECT_EQ(window.NavigationControl().dtmInfo().Cycle().CyclicRefresh(), 1);

    f.stubborn->refuse = false;
    EXPECT_TRUE(window.PrepareToRelease());
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(f.GUIs().FunctionIds().empty());
    EXPECT_EQ(window.CycleControl().Value(), 0);
}

TEST(MainWindowWidget, AWindowThatGoesAwayUnregisters) {
    Fixture f(false);
    {
        ctlNavigationMain window(nullptr, &f.registry);
        ASSERT_TRUE(window.Init("7", f.CallOf(7), f.instance->dtm));
        EXPECT_EQ(f.GUIs().FunctionIds().front(), "7");
    }
    EXPECT_TRUE(f.GUIs().FunctionIds().empty());
}

TEST(MainWindowWidget, TheAboutNodeShowsTheAboutPageAsAChild) {
    Fixture f(false);
    ctlNavigationMain window(nullptr, &f.registry);
    ASSERT_TRUE(window.Init("1", f.CallOf(1), f.instance->dtm));
    ASSERT_TRUE(window.NavigationControl().devParameter().TreeHolder().SelectNode("Node47"));
    auto* about = dynamic_cast<ctlAbout*>(window.NavigationControl().ShownPageWidget());
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->GUIFunctionCall(), "1.ctlAbout$");
    EXPECT_FALSE(f.GUIs().IsTopLevel("1.ctlAbout$"));
    // Leaving the node releases the page.
    ASSERT_TRUE(window.NavigationControl().devParameter().TreeHolder().SelectNode("Node2"));
    FlushDeletes();
    EXPECT_EQ(f.GUIs().FunctionIds(), std::vector<std::string>{"1"});
    EXPECT_TRUE(window.PrepareToRelease());
}

TEST(FrameworkUserInterfaces, BothProgIdsCreateTheirUserInterfaces) {
    PageRegistry registry;
    RegisterFrameworkUserInterfaces(registry);
    std::unique_ptr<QWidget> main = registry.Create("KV6274PA.ctlNavigationMain");
    std::unique_ptr<QWidget> about = registry.Create("KV6274PA.ctlAbout");
    ASSERT_NE(dynamic_cast<ctlNavigationMain*>(main.get()), nullptr);
    ASSERT_NE(dynamic_cast<ctlAbout*>(about.get()), nullptr);
    EXPECT_NE(dynamic_cast<IDtmActiveXControl*>(main.get()), nullptr);
    EXPECT_NE(dynamic_cast<INavigationPage*>(about.get()), nullptr);
}

TEST(AboutPage, ShowsNameVersionAndDateAndFollowsTheLanguage) {
    Fixture f(false);
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    ctlAbout page;
    EXPECT_FALSE(page.Init("", f.CallOf(15), f.instance->dtm));
    EXPECT_FALSE(page.Init("15", f.CallOf(15), nullptr));
    EXPECT_TRUE(f.GUIs().FunctionIds().empty());

    ASSERT_TRUE(page.Init("15", "not looked at", f.instance->dtm));
    EXPECT_TRUE(f.GUIs().IsTopLevel("15"));
    IPrivateDataModel& model = *f.Ctx().Parameters().DataModel();
    EXPECT_EQ(page.Label("lblProductTxt")->text().toStdString(), model.DTMName());
    // The short date of the German locale, day.month.year of two digits; no time.
    const DateParts d = SplitDate(model.DTMDate());
    char date[16];
    std::snprintf(date, sizeof date, "%02d.%02d.%02d", d.day, d.month, d.year % 100);
    EXPECT_EQ(page.Label("lblDTMVersionTxt")->text().toStdString(),
              model.DTMVersion() + " / " + date);
    EXPECT_EQ(page.Label("lblProduct")->text(), QStringLiteral("Product:"));
    EXPECT_EQ(page.Label("lblCopyrightTxt")->text(),
              QString::fromUtf8("© KARVEL AG. All rights reserved."));
    f.Ctx().GUIManager().SetLanguage(langGerman);
    EXPECT_EQ(page.Label("lblProduct")->text(), QStringLiteral("Produkt:"));
    // The version is not filled again.
    EXPECT_EQ(page.Label("lblProductTxt")->text().toStdString(), model.DTMName());
    // A user without a locale of their own (C, with English words): the German page shows the
    // German date, the English one the C locale's.
    QLocale::setDefault(QLocale::c());
    f.Ctx().GUIManager().SetLanguage(langEnglish);
    const QString english =
        QLocale::c().toString(QDate(d.year, d.month, d.day), QLocale::ShortFormat);
    EXPECT_EQ(page.Label("lblDTMVersionTxt")->text().toStdString(),
              model.DTMVersion() + " / " + english.toStdString());
    f.Ctx().GUIManager().SetLanguage(langGerman);
    EXPECT_EQ(page.Label("lblDTMVersionTxt")->text().toStdString(),
              model.DTMVersion() + " / " + date);
    QLocale::setDefault(before);

    page.show();
    EXPECT_TRUE(page.PrepareToRelease());
    EXPECT_FALSE(page.isVisible());
    EXPECT_TRUE(f.GUIs().FunctionIds().empty());
    EXPECT_TRUE(page.PrepareToRelease());
}

}  // namespace
}  // namespace kv
