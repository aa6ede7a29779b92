// The tree pane of the navigation control: the tree document read into nodes with its
// attributes, and the pane that shows them and selects a node.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QTreeWidget>
#include <functional>

#include "platform/controls/widgets/NavTree.h"

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

}  // namespace
}  // namespace kv
