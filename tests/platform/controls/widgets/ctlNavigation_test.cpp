// The navigation control driven through its interfaces with fake pages: pages created by ProgID,
// their release, read and write through the current page, and the cycle switch shared with the
// pages.

#include "platform/controls/widgets/ctlNavigation.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPointer>
#include <QScrollArea>
#include <QSpinBox>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <memory>

#include "NavTestSupport.h"
#include "platform/controls/widgets/LastResort.h"
#include "platform/controls/widgets/NavPanes.h"
#include "platform/controls/widgets/NavToolbar.h"
#include "platform/controls/widgets/NavTree.h"
#include "platform/controls/widgets/PageRegistry.h"
#include "support/WidgetHelpers.h"

namespace kv {
namespace {

using test_support::FlushDeletes;

using test_support::CallLog;
using test_support::FakeCyclePage;
using test_support::FakePage;
using test_support::FakeReadWritePage;
using test_support::Recorder;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr const char* kTree = R"(<?xml version="1.0"?>
<treeview>
  <node key="Node0" caption="Offline" ctl="" functionId="1" showFlag="showAllChilds" enabledFlag="enabledAll" navViewVisibleFlag="1" lockedStatus="Falsch">
    <node key="Node1" caption="Identification" ctl="KV6274PA.ctlId" showFlag="showMe" enabledFlag="enabledMe"/>
    <node key="Node2" caption="Certificate" ctl="KV6274PA.ctlCertificate" showFlag="showMe"/>
    <node key="Node3" caption="Not built yet" ctl="KV6274PA.ctlNotBuilt" showFlag="showMe"/>
  </node>
  <node key="Node4" caption="Measure" ctl="" functionId="7" showFlag="showAllChilds" enabledFlag="enabledMeChilds">
    <node key="Node5" caption="Measured values" ctl="KV6274PA.ctlMeasVal" showFlag="showMe" enabledFlag="enabledMe"/>
    <node key="Node6" caption="Display" ctl="KV6274PA.ctlDisplay" showFlag="showMe"/>
  </node>
  <node key="Node7" caption="Trend" ctl="KV6274PA.ctlArchive" functionId="8" showFlag="showMe" enabledFlag="enabledMe" navViewVisibleFlag="0" lockedStatus="Falsch"/>
</treeview>)";

std::string With(std::string text, const std::string& from, const std::string& to) {
    text.replace(text.find(from), from.size(), to);
    return text;
}

class NavigationTest : public ::testing::Test {
  protected:
    void SetUp() override {
        auto page = [this](auto make) {
            return [this, make]() -> std::unique_ptr<QWidget> { return make(log); };
        };
        registry.Register("KV6274PA.ctlId", page([](auto l) {
                              return std::make_unique<FakeReadWritePage>("ctlId", l, 3);
                          }));
        registry.Register("KV6274PA.ctlCertificate", page([](auto l) {
                              return std::make_unique<FakeReadWritePage>("ctlCertificate", l, 1);
                          }));
        registry.Register("KV6274PA.ctlMeasVal", page([](auto l) {
                              return std::make_unique<FakeCyclePage>("ctlMeasVal", l);
                          }));
        registry.Register("KV6274PA.ctlArchive", page([](auto l) {
                              return std::make_unique<FakeCyclePage>("ctlArchive", l);
                          }));
        registry.Register("KV6274PA.ctlDisplay",
                          page([](auto l) { return std::make_unique<FakePage>("ctlDisplay", l); }));
        nav = std::make_unique<ctlNavigation>(nullptr, &registry);
        nav->SetEvents(recorder);
    }
    void TearDown() override {
        nav.reset();
        FlushDeletes();
    }

    ITreeHolder& Tree() { return nav->NavigationPanes().devParameter().TreeHolder(); }
    ICyclePane& Cycle() { return nav->NavigationPanes().dtmInfo().Cycle(); }
    void Load(const std::string& functionId) {
        Tree().SetProperty("functionId", functionId);
        Tree().SetTreeXml(kTree);
    }
    template <class T = FakePage>
    T* Current() {
        auto pages = nav->Pages();
        return pages.empty() ? nullptr : dynamic_cast<T*>(pages.front());
    }
    QAction* Button(int32_t n) { return nav->ToolbarWidget().Action(n); }

    std::shared_ptr<CallLog> log = std::make_shared<CallLog>();
    std::shared_ptr<Recorder> recorder = std::make_shared<Recorder>(log);
    PageRegistry registry;
    std::unique_ptr<ctlNavigation> nav;
};

// --- pages ---

TEST_F(NavigationTest, SelectedNodeGetsThePageOfItsProgIdHostedInTheControl) {
    Load("1");
    // The start node of function 1 has no page: its first page node is shown.
    EXPECT_EQ(Tree().SelectedNode(), "Node1");
    ASSERT_EQ(nav->Pages().size(), 1u);
    FakePage* page = Current();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->Name(), "ctlId");
    EXPECT_EQ(nav->ShownPageWidget(), page);
    EXPECT_EQ(nav->PageWidget(*page), page);
    EXPECT_EQ(FindNavigationPanesHost(page), static_cast<INavigationPanesHost*>(nav.get()));
    EXPECT_THAT(*log, ElementsAre("PageCreated ctlId"));
}

TEST_F(NavigationTest, NodeWithoutARegisteredPageOrWithoutProgIdShowsAnEmptyPage) {
    Load("1");
    log->clear();
    ASSERT_TRUE(Tree().SelectNode("Node3"));  // a ProgID nobody registered
    EXPECT_THAT(nav->Pages(), IsEmpty());
    ASSERT_NE(nav->ShownPageWidget(), nullptr);
    EXPECT_EQ(nav->ShownPageWidget()->objectName(), "EmptyPage");
    EXPECT_THAT(*log, ElementsAre("PageReleasing ctlId"));
    log->clear();
    ASSERT_TRUE(Tree().SelectNode("Node0"));  // a heading
    EXPECT_THAT(nav->Pages(), IsEmpty());
    EXPECT_EQ(nav->ShownPageWidget()->objectName(), "EmptyPage");
    EXPECT_THAT(*log, IsEmpty());
    EXPECT_FALSE(Button(ntbRead)->isEnabled());
    EXPECT_FALSE(Button(ntbWrite)->isEnabled());
}

TEST_F(NavigationTest, PageIsReleasedUnhostedBeforeTheNextIsCreatedAndDestroyedLater) {
    Load("1");
    QPointer<FakePage> old = Current();
    bool hostedWhileReleasing = true;
    size_t pagesWhileReleasing = 99;
    recorder->onPageReleasing = [&](INavigationPage& page) {
        hostedWhileReleasing = FindNavigationPanesHost(dynamic_cast<QWidget*>(&page)) != nullptr;
        pagesWhileReleasing = nav->Pages().size();
        dynamic_cast<IDtmActiveXControl&>(page).PrepareToRelease();
    };
    log->clear();
    ASSERT_TRUE(Tree().SelectNode("Node2"));
    EXPECT_THAT(*log, ElementsAre("PageReleasing ctlId", "ctlId: PrepareToRelease",
                                  "PageCreated ctlCertificate"));
    EXPECT_FALSE(hostedWhileReleasing);
    EXPECT_EQ(pagesWhileReleasing, 0u);
    ASSERT_TRUE(old);
    EXPECT_FALSE(old->isVisible());
    FlushDeletes();
    EXPECT_FALSE(old);
    EXPECT_EQ(Current()->Name(), "ctlCertificate");
}

TEST_F(NavigationTest, UserPicksANodeInTheTree) {
    Load("1");
    log->clear();
    QTreeWidget* view = nav->TreePane().View();
    const auto items = view->findItems("Certificate", Qt::MatchExactly | Qt::MatchRecursive);
    ASSERT_EQ(items.size(), 1);
    view->setCurrentItem(items.front());
    EXPECT_EQ(Tree().SelectedNode(), "Node2");
    EXPECT_THAT(*log, ElementsAre("PageReleasing ctlId", "PageCreated ctlCertificate"));
}

TEST_F(NavigationTest, ClickOnAHalfVisibleNodeSelectsThatNode) {
    nav->resize(900, 600);
    test_support::ShowActive(*nav);
    Load("1");
    QTreeWidget* view = nav->TreePane().View();
    const auto items = view->findItems("Measured values", Qt::MatchExactly | Qt::MatchRecursive);
    ASSERT_EQ(items.size(), 1);
    QTreeWidgetItem* item = items.front();
    // The view shows the rows above the node whole and the node's upper half.
    const QRect row = view->visualItemRect(item);
    ASSERT_GT(row.height(), 4);
    view->setFixedHeight(view->height() - view->viewport()->height() + row.top() +
                         row.height() / 2);
    QCoreApplication::processEvents();
    ASSERT_EQ(view->visualItemRect(item).top(), row.top());
    ASSERT_GT(row.bottom(), view->viewport()->height());
    log->clear();

    QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                      QPoint(row.center().x(), row.top() + row.height() / 4));
    EXPECT_EQ(Tree().SelectedNode(), "Node5");
    ASSERT_NE(Current(), nullptr);
    EXPECT_EQ(Current()->Name(), "ctlMeasVal");
    // The highlight is the node whose page is shown.
    EXPECT_EQ(view->currentItem(), item);
    EXPECT_THAT(view->selectedItems(), ElementsAre(item));
}

TEST_F(NavigationTest, PageThatCannotBeMadeShowsAnEmptyPage) {
    registry.Register("KV6274PA.ctlId", []() -> std::unique_ptr<QWidget> {
        throw std::runtime_error("no designer data");
    });
    registry.Register("KV6274PA.ctlCertificate", [] { return std::make_unique<QWidget>(); });
    WidgetDiagnostics().Clear();
    Load("1");
    EXPECT_THAT(nav->Pages(), IsEmpty());
    EXPECT_EQ(nav->ShownPageWidget()->objectName(), "EmptyPage");
    // The factory's error stays in the widget log.
    ASSERT_EQ(WidgetDiagnostics().Entries().size(), 1u);
    EXPECT_EQ(WidgetDiagnostics().Entries()[0].what, "no designer data");
    WidgetDiagnostics().Clear();
    ASSERT_TRUE(Tree().SelectNode("Node2"));  // a widget that is no page
    EXPECT_THAT(nav->Pages(), IsEmpty());
    EXPECT_THAT(*log, IsEmpty());
    ASSERT_EQ(WidgetDiagnostics().Entries().size(), 1u);
    EXPECT_EQ(WidgetDiagnostics().Entries()[0].what,
              "the page made for KV6274PA.ctlCertificate is no navigation page");
    WidgetDiagnostics().Clear();
}

TEST_F(NavigationTest, NewTreeKeepsThePageOfANodeItStillOffers) {
    Load("1");
    log->clear();
    Tree().SetTreeXml(kTree);
    EXPECT_THAT(*log, IsEmpty());
    std::string tree = With(kTree, "caption=\"Display\"", "caption=\"Anzeige\"");
    Tree().SetTreeXml(tree);
    EXPECT_EQ(Tree().SelectedNode(), "Node1");
    EXPECT_THAT(*log, IsEmpty());
    // A tree without the node: the view starts anew.
    ASSERT_TRUE(Tree().SelectNode("Node2"));
    log->clear();
    tree = With(tree, "key=\"Node2\"", "key=\"Node9\"");
    Tree().SetTreeXml(tree);
    EXPECT_EQ(Tree().SelectedNode(), "Node1");
    EXPECT_THAT(*log, ElementsAre("PageReleasing ctlCertificate", "PageCreated ctlId"));
    // An empty tree releases the page and shows nothing.
    log->clear();
    Tree().SetTreeXml("");
    EXPECT_EQ(Tree().SelectedNode(), "");
    EXPECT_THAT(nav->Pages(), IsEmpty());
    EXPECT_EQ(nav->ShownPageWidget(), nullptr);
    EXPECT_THAT(*log, ElementsAre("PageReleasing ctlId"));
}

TEST_F(NavigationTest, OwnerMayDestroyTheControlWhenAPageIsCreated) {
    recorder->onPageCreated = [&](INavigationPage&) { nav.reset(); };
    Load("1");
    EXPECT_EQ(nav, nullptr);
    FlushDeletes();
    EXPECT_THAT(*log, ElementsAre("PageCreated ctlId", "ctlId: destroyed"));
}

TEST_F(NavigationTest, OwnerMayDestroyTheControlWhenAPageIsReleased) {
    Load("1");
    recorder->onPageReleasing = [&](INavigationPage&) { nav.reset(); };
    ITreeHolder& tree = Tree();
    tree.SelectNode("Node2");
    EXPECT_EQ(nav, nullptr);
    FlushDeletes();
    EXPECT_THAT(*log, ElementsAre("PageCreated ctlId", "PageReleasing ctlId", "ctlId: destroyed"));
}

TEST_F(NavigationTest, DestroyingTheControlDestroysItsPagesWithoutEvents) {
    Load("8");
    QPointer<FakeCyclePage> page = Current<FakeCyclePage>();
    ASSERT_TRUE(page);
    Cycle().SetCyclicRefresh(1);
    log->clear();
    nav.reset();
    FlushDeletes();
    EXPECT_FALSE(page);
    EXPECT_THAT(*log, ElementsAre("ctlArchive: destroyed"));
}

TEST_F(NavigationTest, ParentMayDestroyTheControlWithItsOtherChildren) {
    // The control goes in its parent's QWidget destructor (the window's focus chain is gone by
    // then), showing a page with the focus or the empty page, with released pages still waiting.
    for (const char* shown : {"Node2", "Node3"}) {
        SCOPED_TRACE(shown);
        if (!nav)
            SetUp();
        auto window = std::make_unique<QWidget>();
        auto* layout = new QVBoxLayout(window.get());
        layout->addWidget(new QLineEdit(window.get()));
        layout->addWidget(nav.get());
        Load("1");
        ASSERT_TRUE(Tree().SelectNode("Node2"));
        ASSERT_TRUE(Tree().SelectNode(shown));
        window->show();
        if (QWidget* page = nav->ShownPageWidget()) {
            page->setFocusPolicy(Qt::StrongFocus);
            page->setFocus();
        }
        log->clear();
        nav.release();  // the window owns it
        window.reset();
        FlushDeletes();
        std::vector<std::string> expected = {"ctlId: destroyed", "ctlCertificate: destroyed"};
        EXPECT_THAT(*log, ::testing::UnorderedElementsAreArray(expected));
    }
}

TEST_F(NavigationTest, ExpiredOwnerGetsNoEvents) {
    recorder.reset();
    Load("1");
    Tree().SelectNode("Node2");
    FlushDeletes();
    EXPECT_THAT(*log, ElementsAre("ctlId: destroyed"));
}

// --- read and write ---

TEST_F(NavigationTest, ReadAndWriteReachTheCurrentPageThatOffersBoth) {
    Load("1");
    EXPECT_TRUE(Button(ntbRead)->isEnabled());
    EXPECT_TRUE(Button(ntbWrite)->isEnabled());
    log->clear();
    Button(ntbRead)->trigger();
    Button(ntbWrite)->trigger();
    EXPECT_THAT(*log, ElementsAre("ctlId: ReadParameter", "ToolbarButtonClick 3",
                                  "ctlId: WriteParameter", "ToolbarButtonClick 4"));
}

TEST_F(NavigationTest, ReadOnlyPageIsNeverWritten) {
    Load("1");
    Tree().SelectNode("Node2");
    EXPECT_TRUE(Button(ntbRead)->isEnabled());
    EXPECT_FALSE(Button(ntbWrite)->isEnabled());
    log->clear();
    // A button left enabled from before still asks the page first.
    Button(ntbWrite)->setEnabled(true);
    Button(ntbWrite)->trigger();
    Button(ntbRead)->trigger();
    EXPECT_THAT(*log, ElementsAre("ToolbarButtonClick 4", "ctlCertificate: ReadParameter",
                                  "ToolbarButtonClick 3"));
    EXPECT_FALSE(Button(ntbWrite)->isEnabled());
}

TEST_F(NavigationTest, PageWithoutReadAndWriteGreysBothButtons) {
    Load("7");
    EXPECT_EQ(Current()->Name(), "ctlMeasVal");
    EXPECT_FALSE(Button(ntbRead)->isEnabled());
    EXPECT_FALSE(Button(ntbWrite)->isEnabled());
    log->clear();
    Button(ntbRead)->setEnabled(true);
    Button(ntbRead)->trigger();
    EXPECT_THAT(*log, ElementsAre("ToolbarButtonClick 3"));
}

// --- cycle ---

TEST_F(NavigationTest, CycleSwitchReachesThePagesAndIsReportedOnlyOnARealChange) {
    Load("7");
    log->clear();
    Cycle().SetCyclicRefresh(1);
    Cycle().SetCyclicRefresh(1);
    Cycle().SetCyclicRefresh(-1);  // any value but 0 is on
    EXPECT_EQ(Cycle().CyclicRefresh(), 1);
    EXPECT_TRUE(nav->DtmInfoPane().CycleSwitch()->isChecked());
    Cycle().SetCyclicRefresh(0);
    EXPECT_THAT(*log, ElementsAre("ctlMeasVal: SetCyclicRefresh 1", "CyclicRefreshChanged 1",
                                  "ctlMeasVal: SetCyclicRefresh 0", "CyclicRefreshChanged 0"));
    // The user's click on the pane's switch is the same change.
    log->clear();
    nav->DtmInfoPane().CycleSwitch()->click();
    EXPECT_THAT(*log, ElementsAre("ctlMeasVal: SetCyclicRefresh 1", "CyclicRefreshChanged 1"));
}

TEST_F(NavigationTest, NewPageFollowsTheIntervalAndTheCurrentSwitch) {
    Cycle().SetInterval(1500);
    Load("1");
    Cycle().SetCyclicRefresh(1);
    log->clear();
    Tree().SelectNode("Node5");
    EXPECT_THAT(*log,
                ElementsAre("PageReleasing ctlId", "PageCreated ctlMeasVal",
                            "ctlMeasVal: SetCycleTime 1500", "ctlMeasVal: SetCyclicRefresh 1"));
    Cycle().SetCyclicRefresh(0);
    log->clear();
    Tree().SelectNode("Node7");
    EXPECT_THAT(*log, ElementsAre("PageReleasing ctlMeasVal", "PageCreated ctlArchive",
                                  "ctlArchive: SetCycleTime 1500"));
}

TEST_F(NavigationTest, PageSwitchMirroredThroughTheMemberChainBecomesTheControlsSwitch) {
    Load("7");
    auto* page = Current<FakeCyclePage>();
    log->clear();
    page->Click(1);
    EXPECT_TRUE(page->mirrored);
    EXPECT_EQ(Cycle().CyclicRefresh(), 1);
    // The page is told again; its switch has the value already and stays quiet.
    EXPECT_THAT(*log, ElementsAre("ctlMeasVal: SetCyclicRefresh 1", "CyclicRefreshChanged 1"));
}

TEST_F(NavigationTest, PageReleasedWhileCyclingDoesNotSwitchTheControlOff) {
    Load("7");
    Cycle().SetCyclicRefresh(1);
    QPointer<FakeCyclePage> old = Current<FakeCyclePage>();
    recorder->onPageReleasing = [](INavigationPage& page) {
        dynamic_cast<IDtmActiveXControl&>(page).PrepareToRelease();
    };
    log->clear();
    Tree().SelectNode("Node7");
    ASSERT_TRUE(old);
    EXPECT_EQ(old->value, 0);
    EXPECT_FALSE(old->mirrored);
    EXPECT_EQ(Cycle().CyclicRefresh(), 1);
    EXPECT_THAT(*log, ElementsAre("PageReleasing ctlMeasVal", "ctlMeasVal: PrepareToRelease",
                                  "PageCreated ctlArchive", "ctlArchive: SetCycleTime 4000",
                                  "ctlArchive: SetCyclicRefresh 1"));
}

TEST_F(NavigationTest, PageThatCannotCycleSwitchesTheControlBackOff) {
    Load("7");
    Current<FakeCyclePage>()->refuseOn = true;
    log->clear();
    Cycle().SetCyclicRefresh(1);
    EXPECT_EQ(Cycle().CyclicRefresh(), 0);
    EXPECT_FALSE(nav->DtmInfoPane().CycleSwitch()->isChecked());
    // The switch back finished the job: no report of the short "on".
    EXPECT_THAT(*log, ElementsAre("ctlMeasVal: SetCyclicRefresh 1",
                                  "ctlMeasVal: SetCyclicRefresh 0", "CyclicRefreshChanged 0"));
}

TEST_F(NavigationTest, OwnerThatTurnsTheSwitchBackIsHeardOnce) {
    Load("1");
    recorder->onCyclicRefreshChanged = [&](int16_t value) {
        if (value == 1)
            Cycle().SetCyclicRefresh(0);
    };
    Cycle().SetCyclicRefresh(1);
    EXPECT_EQ(Cycle().CyclicRefresh(), 0);
    EXPECT_THAT(
        *log, ElementsAre("PageCreated ctlId", "CyclicRefreshChanged 1", "CyclicRefreshChanged 0"));
}

TEST_F(NavigationTest, OwnerErrorOnTheUsersSwitchStaysInTheWidgetLog) {
    Load("1");
    recorder->onCyclicRefreshChanged = [](int16_t) { throw std::runtime_error("owner failed"); };
    WidgetDiagnostics().Clear();
    auto* box = nav->DtmInfoPane().findChild<QCheckBox*>("CyclicRefresh");
    ASSERT_NE(box, nullptr);
    box->click();
    EXPECT_EQ(Cycle().CyclicRefresh(), 1);
    ASSERT_EQ(WidgetDiagnostics().Entries().size(), 1u);
    EXPECT_EQ(WidgetDiagnostics().Entries()[0].what, "owner failed");
    WidgetDiagnostics().Clear();
}

TEST_F(NavigationTest, IntervalReachesThePagesAndIsReportedOnlyOnARealChange) {
    Load("7");
    log->clear();
    Cycle().SetInterval(2000);
    Cycle().SetInterval(2000);
    EXPECT_EQ(nav->DtmInfoPane().IntervalEditor()->value(), 2000);
    EXPECT_THROW(Cycle().SetInterval(kMinCycleInterval - 1), std::out_of_range);
    EXPECT_THROW(Cycle().SetInterval(kMaxCycleInterval + 1), std::out_of_range);
    EXPECT_EQ(Cycle().Interval(), 2000);
    nav->DtmInfoPane().IntervalEditor()->setValue(2500);  // as the user commits an edit
    EXPECT_THAT(*log, ElementsAre("ctlMeasVal: SetCycleTime 2000", "CycleIntervalChanged",
                                  "ctlMeasVal: SetCycleTime 2500", "CycleIntervalChanged"));
    EXPECT_EQ(Cycle().Interval(), 2500);
}

TEST_F(NavigationTest, DisabledSwitchKeepsItsValueAndTheUserOut) {
    Cycle().SetCyclicRefresh(1);
    Cycle().SetCyclicRefreshEnable(false);
    EXPECT_FALSE(nav->DtmInfoPane().CycleSwitch()->isEnabled());
    EXPECT_EQ(Cycle().CyclicRefresh(), 1);
    Cycle().SetCyclicRefreshEnable(true);
    EXPECT_TRUE(nav->DtmInfoPane().CycleSwitch()->isEnabled());
}

// --- the start of a view ---

TEST_F(NavigationTest, FunctionIdPicksTheStartNodeAndItsNavigationViewFlags) {
    Load("8");
    EXPECT_EQ(Tree().SelectedNode(), "Node7");
    EXPECT_EQ(Current()->Name(), "ctlArchive");
    EXPECT_FALSE(nav->NavigationVisible());
    EXPECT_FALSE(Button(ntbNavigationView)->isChecked());
    EXPECT_TRUE(Button(ntbNavigationView)->isEnabled());
    // A tree pushed again with the same start leaves the user's choice alone.
    nav->NavigationPanes().SetNavigationVisible(true);
    Tree().SetTreeXml(With(kTree, "caption=\"Trend\"", "caption=\"Trends\""));
    EXPECT_TRUE(nav->NavigationVisible());
    // Another function id starts anew.
    Tree().SetProperty("functionId", Variant(int32_t{1}));
    EXPECT_EQ(Tree().GetProperty("functionId").toString(), "1");
    EXPECT_EQ(Tree().SelectedNode(), "Node1");
    EXPECT_TRUE(nav->NavigationVisible());
}

TEST_F(NavigationTest, LockedStartNodeKeepsTheNavigationViewAsItIs) {
    Tree().SetProperty("functionId", "8");
    Tree().SetTreeXml(With(kTree, "navViewVisibleFlag=\"0\" lockedStatus=\"Falsch\"",
                           "navViewVisibleFlag=\"0\" lockedStatus=\"1\""));
    EXPECT_FALSE(nav->NavigationVisible());
    EXPECT_FALSE(Button(ntbNavigationView)->isEnabled());
    log->clear();
    Button(ntbNavigationView)->setEnabled(true);
    Button(ntbNavigationView)->trigger();
    EXPECT_FALSE(nav->NavigationVisible());
    EXPECT_FALSE(Button(ntbNavigationView)->isChecked());
    EXPECT_THAT(*log, ElementsAre("ToolbarButtonClick 1"));
}

// A page that needs more than the page area's width takes it from the panes as far as they can
// give it: when it is shown, when it grows and when the control is resized.
TEST_F(NavigationTest, ThePanesGiveTheShownPageTheWidthItNeeds) {
    registry.Register("KV6274PA.ctlDisplay", [this]() -> std::unique_ptr<QWidget> {
        auto page = std::make_unique<FakePage>("ctlDisplay", log);
        page->setMinimumSize(640, 100);
        return page;
    });
    nav->resize(900, 600);
    nav->show();
    Load("7");
    auto* area = nav->findChild<QScrollArea*>("PageArea");
    auto* splitter = nav->findChild<QSplitter*>();
    ASSERT_NE(area, nullptr);
    ASSERT_NE(splitter, nullptr);
    QWidget* panes = nav->findChild<QWidget*>("NavigationPanes");
    ASSERT_TRUE(Tree().SelectNode("Node6"));
    QWidget* page = nav->ShownPageWidget();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->width(), area->viewport()->width());

    page->setMinimumWidth(680);
    QCoreApplication::processEvents();
    EXPECT_EQ(page->width(), area->viewport()->width());

    // The user widens the panes; the next resize of the control gives the page its width again.
    splitter->setSizes({400, 500});
    EXPECT_GT(page->width(), area->viewport()->width());
    nav->resize(1000, 600);
    EXPECT_EQ(page->width(), area->viewport()->width());

    // Too narrow for both: the panes keep their minimum and the page scrolls.
    nav->resize(800, 600);
    EXPECT_EQ(panes->width(), panes->minimumWidth());
    EXPECT_GT(page->width(), area->viewport()->width());

    // A caption wider than the panes: they take from what the page leaves the width it needs.
    Tree().SetTreeXml(With(kTree, "caption=\"Trend\"", "caption=\"" + std::string(25, 'W') + "\""));
    nav->resize(1600, 600);
    QTreeWidget* view = nav->TreePane().View();
    EXPECT_GT(panes->width(), panes->minimumWidth());
    EXPECT_LE(static_cast<QAbstractItemView*>(view)->sizeHintForColumn(0),
              view->viewport()->width());
    EXPECT_EQ(page->width(), area->viewport()->width());
}

TEST_F(NavigationTest, NavigationButtonTogglesTheTreePane) {
    Load("1");
    log->clear();
    Button(ntbNavigationView)->trigger();
    EXPECT_FALSE(nav->NavigationVisible());
    EXPECT_TRUE(nav->TreePane().isHidden());
    Button(ntbNavigationView)->trigger();
    EXPECT_TRUE(nav->NavigationVisible());
    EXPECT_FALSE(nav->TreePane().isHidden());
    for (int32_t b : {ntbManual, ntbHelp, ntbSearch, ntbSpare})
        Button(b)->trigger();
    EXPECT_THAT(
        *log, ElementsAre("ToolbarButtonClick 1", "ToolbarButtonClick 1", "ToolbarButtonClick 6",
                          "ToolbarButtonClick 7", "ToolbarButtonClick 9", "ToolbarButtonClick 10"));
}

}  // namespace
}  // namespace kv
