// The parts of the navigation control through their interfaces: the tree document and its
// attributes, the headline with the device state, the state pictures, the toolbar buttons, the
// device and DTM panes, the page registry and the lookup of a page's host.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QImage>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>

#include "NavTestSupport.h"
#include "platform/controls/widgets/NavHeadline.h"
#include "platform/controls/widgets/NavPanes.h"
#include "platform/controls/widgets/NavToolbar.h"
#include "platform/controls/widgets/NavTree.h"
#include "platform/controls/widgets/PageRegistry.h"
#include "platform/controls/widgets/ctlNavigation.h"

namespace kv {
namespace {

using nav::NavTreeNode;
using nav::NavTreePane;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

const NavTreeNode* Find(const std::vector<NavTreeNode>& nodes, const std::string& key) {
    for (const NavTreeNode& n : nodes) {
        if (n.key == key)
            return &n;
        if (const NavTreeNode* found = Find(n.children, key))
            return found;
    }
    return nullptr;
}

std::vector<std::string> Keys(const std::vector<NavTreeNode>& nodes) {
    std::vector<std::string> keys;
    std::function<void(const std::vector<NavTreeNode>&)> walk = [&](const auto& list) {
        for (const NavTreeNode& n : list) {
            keys.push_back(n.key);
            walk(n.children);
        }
    };
    walk(nodes);
    return keys;
}

// --- the tree document ---

TEST(NavigationTree, InvisibleStatusLeavesOutTheNodeWithItsSubTree) {
    const auto nodes = nav::ParseNavigationTree(R"(<treeview>
      <node key="A" invisibleStatus="0"><node key="A1"/></node>
      <node key="B" invisibleStatus="1"><node key="B1"/></node>
      <node key="C" invisibleStatus="Wahr"/>
      <node key="D" invisibleStatus="Falsch"/>
      <node key="E"/>
    </treeview>)");
    EXPECT_THAT(Keys(nodes), ElementsAre("A", "A1", "D", "E"));
}

TEST(NavigationTree, ShowMeShowsTheNodeAloneAndShowAllChildsExpandsIt) {
    const auto nodes = nav::ParseNavigationTree(R"(<treeview>
      <node key="A" showFlag="showAllChilds"><node key="A1" showFlag="showMe"><node key="A11"/></node></node>
      <node key="B"><node key="B1"/></node>
    </treeview>)");
    EXPECT_THAT(Keys(nodes), ElementsAre("A", "A1", "B", "B1"));
    EXPECT_TRUE(Find(nodes, "A")->expanded);
    EXPECT_FALSE(Find(nodes, "A1")->expanded);
    EXPECT_TRUE(Find(nodes, "B")->expanded);
}

TEST(NavigationTree, EnabledFlagsGrantTheNodeItsChildrenOrAllDescendants) {
    const auto nodes = nav::ParseNavigationTree(R"(<treeview>
      <node key="Top">
        <node key="TopChild"/>
      </node>
      <node key="Me" enabledFlag="enabledMe">
        <node key="MeChild"/>
        <node key="MeFlagged" enabledFlag="enabledMe"/>
      </node>
      <node key="MeChilds" enabledFlag="enabledMeChilds">
        <node key="Child"><node key="GrandChild"/></node>
      </node>
      <node key="All" enabledFlag="enabledAll">
        <node key="AllChild" enabledFlag="enabledMe"><node key="AllGrandChild"/></node>
      </node>
      <node key="Odd" enabledFlag="enabledNobody"><node key="OddChild"/></node>
    </treeview>)");
    struct Case {
        const char* key;
        bool enabled;
    };
    for (const Case& c :
         {Case{"Top", true}, Case{"TopChild", false}, Case{"Me", true}, Case{"MeChild", false},
          Case{"MeFlagged", true}, Case{"MeChilds", true}, Case{"Child", true},
          Case{"GrandChild", false}, Case{"All", true}, Case{"AllChild", true},
          Case{"AllGrandChild", true}, Case{"Odd", true}, Case{"OddChild", false}}) {
        ASSERT_NE(Find(nodes, c.key), nullptr) << c.key;
        EXPECT_EQ(Find(nodes, c.key)->enabled, c.enabled) << c.key;
    }
}

TEST(NavigationTree, NavigationViewFlagsAreReadAsTheTreeWritesThem) {
    const auto nodes = nav::ParseNavigationTree(R"(<treeview>
      <node key="A" navViewVisibleFlag="1" lockedStatus="Falsch"/>
      <node key="B" navViewVisibleFlag="0" lockedStatus="True"/>
      <node key="C" navViewVisibleFlag="maybe"/>
    </treeview>)");
    EXPECT_EQ(Find(nodes, "A")->navViewVisible, 1);
    EXPECT_FALSE(Find(nodes, "A")->navViewLocked);
    EXPECT_EQ(Find(nodes, "B")->navViewVisible, 0);
    EXPECT_TRUE(Find(nodes, "B")->navViewLocked);
    EXPECT_EQ(Find(nodes, "C")->navViewVisible, -1);
    EXPECT_FALSE(Find(nodes, "C")->navViewLocked);
}

TEST(NavigationTree, BadDocumentsThrowAndLeaveTheShownTreeAlone) {
    EXPECT_THAT(nav::ParseNavigationTree(""), IsEmpty());
    EXPECT_THROW(nav::ParseNavigationTree("<treeview><node key=\"A\">"), std::invalid_argument);
    EXPECT_THROW(nav::ParseNavigationTree("<tree><node key=\"A\"/></tree>"), std::invalid_argument);
    EXPECT_THROW(nav::ParseNavigationTree("   "), std::invalid_argument);

    NavTreePane pane;
    const std::string good = R"(<treeview><node key="A" caption="Alpha"/></treeview>)";
    pane.SetTreeXml(good);
    EXPECT_THROW(pane.SetTreeXml("<treeview><node"), std::invalid_argument);
    EXPECT_EQ(pane.TreeXml(), good);
    EXPECT_EQ(pane.SelectedNode(), "A");
    EXPECT_EQ(pane.View()->topLevelItemCount(), 1);
}

TEST(NavigationTree, CaptionsAreShownAsTheyArriveAndDisabledNodesCannotBeSelected) {
    NavTreePane pane;
    std::vector<std::string> selections;
    QObject::connect(&pane, &NavTreePane::NodeSelected,
                     [&](const std::string& key) { selections.push_back(key); });
    pane.SetTreeXml(R"(<?xml version="1.0"?><treeview>
      <node key="A" caption="Ein- &amp; Ausgänge &lt;1&gt;" enabledFlag="enabledMe">
        <node key="A1" caption="Off" ctl="KV6274PA.ctlOff"/>
      </node>
      <node key="B" caption="" ctl="KV6274PA.ctlB"/>
    </treeview>)");
    const QTreeWidgetItem* a = pane.View()->topLevelItem(0);
    EXPECT_EQ(a->text(0), QString::fromUtf8("Ein- & Ausgänge <1>"));
    EXPECT_EQ(pane.View()->topLevelItem(1)->text(0), "B");  // no caption: its key
    EXPECT_FALSE(a->child(0)->flags() & Qt::ItemIsEnabled);
    EXPECT_FALSE(pane.SelectNode("A1"));
    EXPECT_FALSE(pane.SelectNode("Nowhere"));
    EXPECT_TRUE(pane.SelectNode("B"));
    // The start node has no enabled page below it: it is selected itself.
    EXPECT_THAT(selections, ElementsAre("A", "B"));
    EXPECT_EQ(pane.View()->currentItem(), pane.View()->topLevelItem(1));
}

TEST(NavigationTree, FunctionIdPropertyTakesTextOrNumberAndNoOtherName) {
    NavTreePane pane;
    pane.SetProperty("functionId", Variant(int16_t{14}));
    EXPECT_EQ(pane.GetProperty("functionId").str(), "14");
    pane.SetProperty("FunctionID", "3");
    EXPECT_EQ(pane.GetProperty("functionId").str(), "3");
    EXPECT_THROW(pane.SetProperty("caption", "x"), std::invalid_argument);
    EXPECT_TRUE(pane.GetProperty("caption").isEmpty());
}

TEST(NavigationTree, UnknownFunctionIdStartsAtTheFirstNode) {
    NavTreePane pane;
    pane.SetProperty("functionId", "4");
    pane.SetTreeXml(R"(<treeview><node key="H" enabledFlag="enabledMeChilds">
                       <node key="P" ctl="KV6274PA.ctlP"/></node>
                       <node key="Q" ctl="KV6274PA.ctlQ" functionId="9"/></treeview>)");
    EXPECT_EQ(pane.SelectedNode(), "P");
}

// --- headline and state pictures ---

TEST(NavigationHeadline, FlagsLightTheirPanels) {
    nav::NavHeadline headline;
    struct Case {
        int32_t flags;
        const char* pictures[4];
    };
    for (const Case& c :
         {Case{0,
               {"disabled/status_none", "disabled/status_maint", "disabled/status_funct",
                "disabled/status_critic"}},
          Case{1,
               {"status_ok", "disabled/status_maint", "disabled/status_funct",
                "disabled/status_critic"}},
          Case{14, {"disabled/status_none", "status_maint", "status_funct", "status_critic"}},
          Case{3, {"status_ok", "status_maint", "disabled/status_funct", "disabled/status_critic"}},
          Case{15, {"status_ok", "status_maint", "status_funct", "status_critic"}}}) {
        headline.SetDataState(c.flags);
        EXPECT_EQ(headline.DataState(), c.flags);
        for (int32_t panel = 1; panel <= 4; ++panel)
            EXPECT_EQ(headline.ShownPanelPicture(panel).toStdString(), c.pictures[panel - 1])
                << "flags " << c.flags << " panel " << panel;
    }
    EXPECT_THROW(headline.SetDataState(16), std::out_of_range);
    EXPECT_THROW(headline.SetDataState(-1), std::out_of_range);
    EXPECT_EQ(headline.DataState(), 15);
}

TEST(NavigationHeadline, PanelsTakeTheirTextsByNumber) {
    nav::NavHeadline headline;
    headline.PanelText(1, "Device state - OK");
    headline.PanelText(4, "Failure (2)");
    EXPECT_EQ(headline.PanelText(1), "Device state - OK");
    EXPECT_EQ(headline.PanelText(4), "Failure (2)");
    EXPECT_THROW(headline.PanelText(0, "x"), std::out_of_range);
    EXPECT_THROW(headline.PanelText(5), std::out_of_range);
}

TEST(NavigationHeadline, PanelsAreOfEqualWidthWhateverTheirTextsAndTheRoom) {
    // Texts of very different lengths, set before the headline was ever laid out.
    QWidget window;
    auto* headline = new nav::NavHeadline(&window);
    (new QVBoxLayout(&window))->addWidget(headline);
    headline->PanelText(1, "Device state - OK");
    headline->PanelText(2, "Maintenance required (12)");
    headline->PanelText(3, "Function check");
    headline->PanelText(4, "Failure (1)");
    window.resize(1000, 200);
    window.show();
    for (const int width : {1000, 640, 360, 1400}) {
        SCOPED_TRACE(testing::Message() << "width " << width);
        window.resize(width, 200);
        QCoreApplication::processEvents();
        std::vector<int> widths;
        for (int panel = 1; panel <= 4; ++panel) {
            const auto* frame =
                headline->findChild<QWidget*>(QStringLiteral("StatePanel%1").arg(panel));
            ASSERT_NE(frame, nullptr);
            widths.push_back(frame->width());
        }
        const auto [narrowest, widest] = std::minmax_element(widths.begin(), widths.end());
        EXPECT_LE(*widest - *narrowest, 1)
            << widths[0] << " " << widths[1] << " " << widths[2] << " " << widths[3];
        EXPECT_GT(*narrowest, 0);
    }
}

TEST(NavigationHeadline, StateImagesNameKnownPicturesForPanelsOneToFour) {
    nav::NavHeadline headline;
    IStateImages& images = headline;
    images.SetImage(2, "status_funct");
    images.SetDisabledImage(3, "status_maint");
    EXPECT_EQ(images.Image(2), "status_funct");
    EXPECT_EQ(images.DisabledImage(3), "status_maint");
    headline.SetDataState(2);
    EXPECT_EQ(headline.ShownPanelPicture(2), "status_funct");
    EXPECT_EQ(headline.ShownPanelPicture(3), "disabled/status_maint");
    EXPECT_THROW(images.SetImage(2, "status_unknown"), std::invalid_argument);
    EXPECT_THROW(images.SetImage(5, "status_ok"), std::out_of_range);
    EXPECT_THROW(images.SetDisabledImage(0, "status_ok"), std::out_of_range);
    EXPECT_EQ(images.Image(2), "status_funct");
}

TEST(NavigationHeadline, OnlyWebAndMailAddressesOpen) {
    EXPECT_TRUE(nav::NavHeadline::IsOpenableLink("https://www.example.com/"));
    EXPECT_TRUE(nav::NavHeadline::IsOpenableLink("http://example.com"));
    EXPECT_TRUE(nav::NavHeadline::IsOpenableLink("mailto:service@example.com"));
    EXPECT_FALSE(nav::NavHeadline::IsOpenableLink("file:///etc/passwd"));
    EXPECT_FALSE(nav::NavHeadline::IsOpenableLink("javascript:alert(1)"));
    EXPECT_FALSE(nav::NavHeadline::IsOpenableLink("www.example.com"));
    EXPECT_FALSE(nav::NavHeadline::IsOpenableLink(""));
}

// --- toolbar ---

TEST(NavigationToolbar, ButtonsHaveTheirNumbersAndTheSeparatorsNone) {
    nav::NavToolbar toolbar;
    for (int32_t n : {1, 3, 4, 6, 7, 9, 10})
        EXPECT_NO_THROW(toolbar.Button(n)) << n;
    for (int32_t n : {0, 2, 5, 8, 11, -1})
        EXPECT_THROW(toolbar.Button(n), std::out_of_range) << n;
}

TEST(NavigationToolbar, SwitchedOffButtonsAreHiddenAndTooltipsShown) {
    nav::NavToolbar toolbar;
    std::vector<int32_t> clicks;
    QObject::connect(&toolbar, &nav::NavToolbar::ButtonClicked,
                     [&](int32_t n) { clicks.push_back(n); });
    toolbar.Button(ntbSearch).SetEnabled(false);
    toolbar.Button(ntbSpare).SetEnabled(false);
    toolbar.Button(ntbHelp).SetEnabled(true);
    toolbar.Button(ntbManual).SetToolTipText("Open the operating manual");
    EXPECT_FALSE(toolbar.Button(ntbSearch).Enabled());
    EXPECT_FALSE(toolbar.Action(ntbSearch)->isVisible());
    EXPECT_TRUE(toolbar.Action(ntbHelp)->isVisible());
    EXPECT_EQ(toolbar.Button(ntbManual).ToolTipText(), "Open the operating manual");
    EXPECT_EQ(toolbar.Action(ntbManual)->toolTip(), "Open the operating manual");
    // Greyed for the page's sake, the owner's switch stays as it was.
    toolbar.SetAvailable(ntbWrite, false);
    EXPECT_TRUE(toolbar.Button(ntbWrite).Enabled());
    EXPECT_FALSE(toolbar.Action(ntbWrite)->isEnabled());
    toolbar.Action(ntbHelp)->trigger();
    EXPECT_THAT(clicks, ElementsAre(7));
    // The group of 9 and 10 is gone: no separator is left at the end.
    EXPECT_FALSE(toolbar.actions().back()->isVisible());
    EXPECT_FALSE(toolbar.actions()[toolbar.actions().size() - 3]->isVisible());
    EXPECT_TRUE(toolbar.actions()[toolbar.actions().size() - 3]->isSeparator());
    toolbar.Button(ntbSpare).SetEnabled(true);
    EXPECT_TRUE(toolbar.actions()[toolbar.actions().size() - 3]->isVisible());
}

// --- panes ---

TEST(NavigationPanes, DataStateAndConnectionStateKeepToTheirRanges) {
    nav::NavDtmInfoPane pane;
    for (int32_t s = 0; s <= 6; ++s) {
        pane.SetDataState(s);
        EXPECT_EQ(pane.DataState(), s);
        EXPECT_FALSE(pane.DataStateText(s).empty());
    }
    EXPECT_THROW(pane.SetDataState(7), std::out_of_range);
    EXPECT_THROW(pane.SetDataState(-1), std::out_of_range);
    EXPECT_EQ(pane.DataState(), 6);
    pane.DataStateText(1, "Geändert");
    EXPECT_EQ(pane.DataStateText(1), "Geändert");

    EXPECT_EQ(pane.ConnectState(), dcsUnknown);
    pane.SetConnectState(dcsConnected);
    pane.ConnectStateText(dcsConnected, "Verbunden");
    EXPECT_EQ(pane.ConnectStateText(dcsConnected), "Verbunden");
    EXPECT_THROW(pane.SetConnectState(3), std::out_of_range);
    EXPECT_THROW(pane.ConnectStateText(0, "x"), std::out_of_range);
    EXPECT_EQ(pane.ConnectState(), dcsConnected);
}

TEST(NavigationPanes, DeviceIconFallsBackToTheControlsPicture) {
    nav::NavDevInfoPane pane;
    pane.SetDeviceIcon("/nonexistent/device.png");
    EXPECT_EQ(pane.DeviceIcon(), "/nonexistent/device.png");
    EXPECT_FALSE(pane.ShowsDeviceIcon());
    QTemporaryDir dir;
    const QString file = dir.filePath("device.png");
    QImage image(64, 32, QImage::Format_ARGB32);
    image.fill(Qt::blue);
    ASSERT_TRUE(image.save(file));
    pane.SetDeviceIcon(file.toStdString());
    EXPECT_TRUE(pane.ShowsDeviceIcon());
    pane.SetDeviceIcon("");
    EXPECT_FALSE(pane.ShowsDeviceIcon());
}

// --- registry and host ---

TEST(PageRegistry, RegistersReplacesAndForgetsCreators) {
    PageRegistry registry;
    EXPECT_THROW(registry.Register("", [] { return std::make_unique<QWidget>(); }),
                 std::invalid_argument);
    EXPECT_THROW(registry.Register("KV6274PA.ctlId", nullptr), std::invalid_argument);
    EXPECT_EQ(registry.Create("KV6274PA.ctlId"), nullptr);
    registry.Register("KV6274PA.ctlId", [] {
        auto w = std::make_unique<QWidget>();
        w->setObjectName("first");
        return w;
    });
    registry.Register("KV6274PA.ctlId", [] {
        auto w = std::make_unique<QWidget>();
        w->setObjectName("second");
        return w;
    });
    EXPECT_TRUE(registry.Contains("KV6274PA.ctlId"));
    EXPECT_FALSE(registry.Contains("kv6274pa.ctlid"));
    EXPECT_EQ(registry.Create("KV6274PA.ctlId")->objectName(), "second");
    registry.Unregister("KV6274PA.ctlId");
    EXPECT_FALSE(registry.Contains("KV6274PA.ctlId"));
}

TEST(NavigationHost, PageOutsideTheControlHasNoHostAndLosesOnlyTheMirroring) {
    QWidget window;
    auto* page = new test_support::FakeCyclePage("ctlMeasVal", nullptr);
    page->setParent(&window);
    EXPECT_EQ(FindNavigationPanesHost(page), nullptr);
    EXPECT_EQ(FindNavigationPanesHost(nullptr), nullptr);
    page->Click(1);
    EXPECT_EQ(page->value, 1);
    EXPECT_FALSE(page->mirrored);
    // Inside the control, below any number of widgets, the control is found.
    PageRegistry registry;
    ctlNavigation control(nullptr, &registry);
    QWidget inner(&control);
    page->setParent(&inner);
    EXPECT_EQ(FindNavigationPanesHost(page), static_cast<INavigationPanesHost*>(&control));
    page->Click(0);
    EXPECT_TRUE(page->mirrored);
    page->Click(1);
    EXPECT_EQ(control.NavigationPanes().dtmInfo().Cycle().CyclicRefresh(), 1);
    page->setParent(nullptr);
    delete page;
}

}  // namespace
}  // namespace kv
