// The cyclic add-ons of the online pages and the cyclic display pages: the requests of a page
// (one per distinct element or record read from the device, rows bound to nothing skipped), the
// switch that the page and the navigation control keep in step (on, off, refused while not
// connected, unchanged value, outside any control, released page), the interval, the release
// that stops the cycle, the block number of the diagnosis pages and the two resize forms.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QTest>
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "OnlinePageFixture.h"
#include "core/DictionaryLookup.h"
#include "dtm/DTMMain.h"
#include "platform/runtime/IDTMDictionary.h"
#include "platform/runtime/IParameters.h"
#include "ui/onlinepages/OnlinePageDesigns.h"
#include "ui/parameterpages/PageDesignBuilders.h"
#include "ui/parameterpages/ParameterPages.h"

namespace kv {
namespace {

using namespace pagedesign;
using onlinetest::HostPage;
using onlinetest::OnlinePage;
using onlinetest::OpenOnlinePage;
using pagetest::Address;
using pagetest::AddSecondBlocks;
using pagetest::ElementOf;
using pagetest::PageBench;
using pagetest::RowOf;

// A cyclic display page of the given rows, with the children every such page has.
PageDesign DisplayPage(const char* className, std::vector<ChildDesign> rows) {
    PageDesign design{.className = className,
                      .form = PageForm::Composite,
                      .templ = PageTemplate::CyclicDisplay,
                      .resize = ResizeForm::Narrow,
                      .readWriteOption = 0};
    design.children.push_back(Title());
    for (ChildDesign& row : rows)
        design.children.push_back(std::move(row));
    design.children.push_back(Help(0, 3000));
    design.children.push_back(Site());
    design.children.push_back(Cycle(5400, 3600));
    return design;
}

OnlinePage OpenDesign(PageBench& b, const PageDesign& design, int16_t blockIndex = 1) {
    OnlinePage hosted = HostPage(CreateOnlinePage(design), blockIndex);
    EXPECT_TRUE(hosted->Init("1." + design.className + "$", "", b.Dtm()));
    return hosted;
}

// Counts the events of a cycle control.
struct CycleEvents {
    explicit CycleEvents(ctlCycle& cycle) {
        QObject::connect(&cycle, &ctlCycle::Click, &cycle, [this] { ++clicks; });
        QObject::connect(&cycle, &ctlCycle::OnAddRequests, &cycle,
                         [this](ITransactionGroup&) { ++adds; });
    }
    int clicks = 0;
    int adds = 0;
};

// The DP-V1 reads of the device per address.
int ReadsOf(PageBench& b, const std::string& path) {
    const auto reads = b.Logged(false);
    const auto it = reads.find(b.AddressOf(path));
    return it == reads.end() ? 0 : it->second;
}

TEST(CyclicRequests, ARecordAndItsMembersAreReadOnceThroughTheRecord) {
    static const PageDesign design =
        DisplayPage("ctlTestRecord",
                    {Row(0, 360, "PHYS/BLK_OBJ/Block_Object"), Row(1, 720, "PHYS/BLK_OBJ/"),
                     Row(2, 1080, "PHYS/BLK_OBJ/Class"), Row(3, 1440, "PHYS/BLK_OBJ/Profile")});
    PageBench b;
    b.Online();
    OnlinePage p = OpenDesign(b, design);
    p.Switch().SetCyclicRefresh(1);
    EXPECT_EQ(p.Requests(), (std::vector<std::string>{"PHYS/BLK_OBJ/"}));
    b.Settle();
    EXPECT_EQ(b.Logged(false), (std::map<Address, int>{{b.AddressOf("PHYS/BLK_OBJ/"), 1}}));
}

TEST(CyclicRequests, RowsNotReadFromTheDeviceOrBoundToNothingAddNothing) {
    // DTM-level items are never read from the device; a tag without an element binds nothing.
    static const PageDesign design = DisplayPage(
        "ctlTestLocal", {Row(0, 360, "~/Address"), Row(1, 720, "SlaveBusParamSet_CfgData"),
                         Row(2, 1080, "PHYS/NO_SUCH_PARAMETER")});
    PageBench b;
    b.Online();
    ASSERT_FALSE(b.At("~/Address").IsUploadParam(b.Ctx()));
    ASSERT_FALSE(b.At("SlaveBusParamSet_CfgData").IsUploadParam(b.Ctx()));
    OnlinePage p = OpenDesign(b, design);
    p.Switch().SetCyclicRefresh(1);
    EXPECT_EQ(p.Cycle().Value(), 1);
    EXPECT_TRUE(p.Requests().empty());
    b.loop->Advance(8000);
    EXPECT_TRUE(b.device->Log().empty());
}

TEST(CyclicRequests, BlockDiagnosisPagesReadTheBlockObjectRevisionAndModeRecords) {
    PageBench b;
    b.Online();
    const std::vector<std::pair<std::string, std::string>> pages = {
        {"ctlDiagPhys", "PHYS/"}, {"ctlDiagTrans", "TRANS/1/Act/"}, {"ctlDiagFunc", "FUNC/1/AO/"}};
    for (const auto& [name, prefix] : pages) {
        OnlinePage p = OpenOnlinePage(b, name);
        p.Switch().SetCyclicRefresh(1);
        EXPECT_EQ(p.Requests(), (std::vector<std::string>{prefix + "BLK_OBJ/", prefix + "ST_REV",
                                                          prefix + "MODE_BLK/"}))
            << name;
        b.Settle();
        EXPECT_EQ(b.device->Log().size(), 3u) << name;
        ASSERT_TRUE(p->PrepareToRelease());
        b.Clear();
    }
}

TEST(CyclicRequests, MeasuredValuePagesReadTheRecordsOfTheirRows) {
    PageBench b;
    b.Online();
    OnlinePage val = OpenOnlinePage(b, "ctlMeasVal");
    val.Switch().SetCyclicRefresh(1);
    const std::vector<std::string> expected = {"FUNC/1/AO/READBACK/", "FUNC/1/AO/SETP_DEVIATION",
                                               "FUNC/1/AO/POS_D/",    "FUNC/1/AO/SP/",
                                               "FUNC/1/AO/PV_SCALE/", "FUNC/1/AO/CHECK_BACK/"};
    std::vector<std::string> requests = val.Requests();
    EXPECT_EQ(requests, expected);
    OnlinePage out = OpenOnlinePage(b, "ctlMeasOut");
    out.Switch().SetCyclicRefresh(1);
    EXPECT_EQ(out.Requests(), (std::vector<std::string>{"FUNC/1/AO/OUT/", "FUNC/1/AO/OUT_SCALE/",
                                                        "FUNC/1/AO/CHECK_BACK/"}));
}

TEST(CycleSwitch, TheHostsSwitchAndThePagesFollowEachOther) {
    PageBench b;
    b.Online();
    OnlinePage p = OpenOnlinePage(b, "ctlMeasState");
    CycleEvents events(p.Cycle());
    // The navigation control's switch reaches the page; the page's click mirrors it back, which
    // changes nothing more.
    p.host->SetSwitch(1);
    EXPECT_EQ(p.Cycle().Value(), 1);
    EXPECT_TRUE(p.Cycle().TimerRunning());
    EXPECT_EQ(events.clicks, 1);
    EXPECT_EQ(events.adds, 1);
    EXPECT_EQ(p.host->changes, (std::vector<int16_t>{1}));
    // On again: no events, no second set of requests.
    const std::vector<std::string> requests = p.Requests();
    p.Switch().SetCyclicRefresh(1);
    p.Switch().SetCyclicRefresh(7);  // any value but 0 means on
    EXPECT_EQ(events.clicks, 1);
    EXPECT_EQ(events.adds, 1);
    EXPECT_EQ(p.Requests(), requests);
    // Off from the page: the control's switch follows through the page's click.
    p.Switch().SetCyclicRefresh(0);
    EXPECT_EQ(p.Cycle().Value(), 0);
    EXPECT_FALSE(p.Cycle().TimerRunning());
    EXPECT_EQ(p.host->Switch(), 0);
    EXPECT_EQ(p.host->changes, (std::vector<int16_t>{1, 0}));
    // The user's click on the page's check box switches the control, and with it every page.
    OnlinePage other = OpenOnlinePage(b, "ctlMeasStatistics");
    p.page->setParent(other.host.get());
    p.page->show();
    QTest::mouseClick(other.Cycle().CheckBox(), Qt::LeftButton);
    EXPECT_EQ(other.host->Switch(), 1);
    EXPECT_EQ(p.Cycle().Value(), 1);
    // Switched off and on again (once the last read has ended): the requests are built anew
    // from the rows.
    other.host->SetSwitch(0);
    EXPECT_TRUE(p.Requests().empty());
    b.Settle();
    other.host->SetSwitch(1);
    EXPECT_EQ(p.Requests(), requests);
    other.host->SetSwitch(0);
}

TEST(CycleSwitch, SwitchedOnWhileTheLastReadRunsItStaysOnAndStartsWhenTheReadEnds) {
    PageBench b;
    b.Online();
    OnlinePage p = OpenOnlinePage(b, "ctlDiagTrans");
    CycleEvents events(p.Cycle());
    p.host->SetSwitch(1);
    p.host->SetSwitch(0);
    ASSERT_TRUE(p.Cycle().TransGrp()->Busy());  // the first tick's read still runs
    p.host->SetSwitch(1);
    EXPECT_EQ(p.Cycle().Value(), 1);
    EXPECT_EQ(events.clicks, 3);
    EXPECT_EQ(events.adds, 1);  // not yet
    EXPECT_EQ(p.host->changes, (std::vector<int16_t>{1, 0, 1}));
    b.Settle();
    EXPECT_EQ(events.adds, 2);
    EXPECT_EQ(p.Requests().size(), 3u);
    EXPECT_TRUE(p.Cycle().TimerRunning());
}

TEST(CycleSwitch, SwitchingOnWhileNotConnectedLeavesBothSwitchesOff) {
    PageBench b;  // offline
    OnlinePage p = OpenOnlinePage(b, "ctlDiagPhys");
    p.Switch().SetCyclicRefresh(1);
    EXPECT_EQ(p.Cycle().Value(), 0);
    EXPECT_EQ(p.host->Switch(), 0);
    ASSERT_FALSE(b.prompt->questions.empty());
    EXPECT_EQ(b.prompt->questions.back().first, GetDictionaryText(b.Ctx(), "error_at_connect"));
    EXPECT_TRUE(b.device->Log().empty());
}

TEST(CycleSwitch, APageOutsideTheNavigationControlStillCycles) {
    PageBench b;
    b.Online();
    std::unique_ptr<PageBase> page = CreateOnlinePage("ctlMeasStatistics");
    ASSERT_TRUE(page->Init("1.ctlMeasStatistics$", "", b.Dtm()));
    auto& cycling = dynamic_cast<IPrivateGUICycle&>(*page);
    cycling.SetCycleTime(1000);
    cycling.SetCyclicRefresh(1);
    b.Settle();
    b.loop->Advance(1000);
    b.Settle();
    EXPECT_EQ(ReadsOf(b, "TRANS/1/Act/TOTAL_VALVE_TRAVEL"), 2);
    EXPECT_TRUE(page->PrepareToRelease());
}

TEST(CycleSwitch, TheIntervalOfTheNavigationControlOrTheDesignerHolds) {
    PageBench b;
    b.Online();
    OnlinePage fast = OpenOnlinePage(b, "ctlMeasStatistics");
    fast.Switch().SetCycleTime(1000);
    fast.Switch().SetCyclicRefresh(1);
    b.Settle();  // the first read comes at once
    EXPECT_EQ(ReadsOf(b, "TRANS/1/Act/TOTAL_VALVE_TRAVEL"), 1);
    b.loop->Advance(3000);
    b.Settle();
    EXPECT_EQ(ReadsOf(b, "TRANS/1/Act/TOTAL_VALVE_TRAVEL"), 4);
    ASSERT_TRUE(fast->PrepareToRelease());
    b.Clear();

    OnlinePage designed = OpenOnlinePage(b, "ctlMeasStatistics");
    EXPECT_EQ(designed.Cycle().Interval(), 4000);
    EXPECT_TRUE(designed.Cycle().AutomateDynamicIcons());
    designed.Switch().SetCyclicRefresh(1);
    b.loop->Advance(3900);
    b.Settle();
    EXPECT_EQ(ReadsOf(b, "TRANS/1/Act/TOTAL_VALVE_TRAVEL"), 1);
    b.loop->Advance(100);
    b.Settle();
    EXPECT_EQ(ReadsOf(b, "TRANS/1/Act/TOTAL_VALVE_TRAVEL"), 2);
}

TEST(CycleSwitch, AReleasedPageStopsCyclingAndMirrorsNothing) {
    PageBench b;
    b.Online();
    OnlinePage p = OpenOnlinePage(b, "ctlMeasState");
    p.host->SetSwitch(1);
    b.Settle();
    const QPointer<ctlCycle> cycle(&p.Cycle());
    ASSERT_TRUE(p->PrepareToRelease());
    EXPECT_FALSE(p->IsInitialised());
    EXPECT_EQ(cycle->Value(), 0);
    EXPECT_FALSE(cycle->TimerRunning());
    EXPECT_EQ(cycle->TransGrp()->ConnectionStatus(), 2);  // closed
    // The navigation control keeps its switch: the page left it.
    EXPECT_EQ(p.host->Switch(), 1);
    EXPECT_EQ(p.host->changes, (std::vector<int16_t>{1}));
    b.Clear();
    b.loop->Advance(20000);
    b.Settle();
    EXPECT_TRUE(b.device->Log().empty());
    // A switch that still reaches the released page changes nothing and tells nobody.
    p.Switch().SetCyclicRefresh(1);
    EXPECT_EQ(cycle->Value(), 0);
    EXPECT_EQ(p.host->changes, (std::vector<int16_t>{1}));
    EXPECT_TRUE(b.prompt->questions.empty());
}

TEST(CycleSwitch, ALostConnectionSwitchesThePageAndTheControlOff) {
    PageBench b;
    b.Online();
    OnlinePage p = OpenOnlinePage(b, "ctlDiagFunc");
    p.host->SetSwitch(1);
    b.Settle();
    b.session->Channel().DropConnection();
    b.Settle();
    b.loop->Advance(4000);
    b.Settle();
    EXPECT_EQ(p.Cycle().Value(), 0);
    EXPECT_EQ(p.host->Switch(), 0);
}

TEST(DiagnosisPages, BindTheBlockOfTheirBlockNumber) {
    PageBench b;
    AddSecondBlocks(b.Ctx());
    for (int16_t block : {1, 2}) {
        const std::string n = std::to_string(block);
        OnlinePage trans = OpenOnlinePage(b, "ctlDiagTrans", block);
        OnlinePage func = OpenOnlinePage(b, "ctlDiagFunc", block);
        OnlinePage phys = OpenOnlinePage(b, "ctlDiagPhys", block);
        EXPECT_EQ(ElementOf(*trans.page, RowOf(*trans.page, "TRANS/%d/Act/ST_REV"))->Name(),
                  "TRANS/" + n + "/Act/ST_REV");
        EXPECT_EQ(ElementOf(*func.page, RowOf(*func.page, "FUNC/%d/AO/MODE_BLK/Actual"))->Name(),
                  "FUNC/" + n + "/AO/MODE_BLK/Actual");
        EXPECT_EQ(ElementOf(*phys.page, RowOf(*phys.page, "PHYS/ST_REV"))->Name(), "PHYS/ST_REV");
    }
}

TEST(DisplayPages, OfferNoReadOrWriteAndLockTheRowsTheDesignerLocked) {
    PageBench b;
    OnlinePage stats = OpenOnlinePage(b, "ctlMeasStatistics");
    EXPECT_EQ(dynamic_cast<IPrivateGUIReadWriteSaveLoad*>(stats.page), nullptr);
    EXPECT_EQ(dynamic_cast<IPrivateProcess*>(stats.page), nullptr);
    EXPECT_TRUE(RowOf(*stats.page, "TRANS/%d/Act/TOTAL_VALVE_TRAVEL_LIMIT").Locked());
    OnlinePage gen = OpenOnlinePage(b, "ctlDiagGen");
    EXPECT_TRUE(RowOf(*gen.page, "PHYS/TAG_DESC").Locked());
    EXPECT_TRUE(RowOf(*gen.page, "PHYS/DEVICE_INSTAL_DATE").Locked());
    EXPECT_EQ(gen->TitleText(), GetDictionaryText(b.Ctx(), "ctlDiagGen_sepTitle"));
    EXPECT_EQ(gen.Cycle().CheckBox()->text().toStdString(),
              GetDictionaryText(b.Ctx(), "ctlCycle_chkCycle"));
}

TEST(DisplayPages, WideningMovesOnlyWhatTheirFormLetsFollow) {
    PageBench b;
    // Wide form: separators, rows, picture boxes and bars follow the width.
    OnlinePage val = OpenOnlinePage(b, "ctlMeasVal");
    auto widths = [&](const OnlinePage& p) {
        std::map<std::string, int> w;
        for (const PageControl& c : p->Controls()) {
            if (c.widget)
                w[c.design->name + std::to_string(c.design->index)] = c.widget->width();
        }
        return w;
    };
    auto rowsHeight = [&](const OnlinePage& p) {
        int height = 0;
        for (const ctlParameter* row : p->Rows())
            height += row->height();
        return height;
    };
    const std::map<std::string, int> before = widths(val);
    const int rowsBefore = rowsHeight(val);
    const QRect cycle = val.Cycle().geometry();
    const QRect help = val->Control("ctlParamHelp1")->geometry();
    val->resize(val->width() + 100, val->height());
    std::map<std::string, int> after = widths(val);
    for (const char* grows : {"sepTitle-1", "sepReadback-1", "Picture1-1", "barAORb-1", "barAOSp-1",
                              "ctlParameter0", "ctlParameter5"})
        EXPECT_EQ(after[grows], before.at(grows) + 100) << grows;
    // The switch keeps its place across; rows whose bits now fit beside their labels give back
    // the line of their labels, and what stands below them moves up by as much.
    EXPECT_EQ(val.Cycle().geometry(), cycle.translated(0, rowsHeight(val) - rowsBefore));
    EXPECT_EQ(val->Control("ctlParamHelp1")->geometry(), help);

    // Narrow form: the separator and the rows only.
    OnlinePage state = OpenOnlinePage(b, "ctlMeasState");
    const QRect stateCycle = state.Cycle().geometry();
    const int row = RowOf(*state.page, "PHYS/DIAGNOSIS/").width();
    state->resize(state->width() + 60, state->height());
    EXPECT_EQ(RowOf(*state.page, "PHYS/DIAGNOSIS/").width(), row + 60);
    EXPECT_EQ(state.Cycle().geometry(), stateCycle);
}

// The cycle switch of every online page, in English and in German: its caption follows the
// language and shows whole, it
// stays inside the page's design width, and it covers no other child of the page (rows grown to
// show all their bits, buttons widened to their captions).
TEST(CycleSwitchPlace, ShowsItsWholeCaptionAndCoversNothingOnEveryPage) {
    PageBench b;
    for (const PageDesign& design : OnlinePageDesigns()) {
        if (!IsOnlineTemplate(design.templ))
            continue;
        OnlinePage p = OpenOnlinePage(b, design.className);
        for (int32_t language : {langGerman, langEnglish}) {
            ASSERT_TRUE(b.Dtm()->SetLanguage(language));
            const ctlCycle& cycle = p.Cycle();
            EXPECT_EQ(cycle.CheckBox()->text().toStdString(),
                      GetDictionaryText(b.Ctx(), "ctlCycle_chkCycle"));
            const QRect place = cycle.geometry();
            EXPECT_GE(place.width(), cycle.CheckBox()->sizeHint().width()) << design.className;
            EXPECT_LE(place.right(), p->DesignSize().width()) << design.className;
            EXPECT_LE(place.bottom(), p->minimumHeight()) << design.className;
            for (const PageControl& c : p->Controls()) {
                if (c.widget == nullptr || c.widget == &cycle ||
                    c.widget->parentWidget() != p.page || !c.widget->isVisibleTo(p.page) ||
                    c.design->kind == ChildKind::ParamHelp)
                    continue;
                EXPECT_FALSE(c.widget->geometry().intersects(place))
                    << design.className << " " << c.design->name << " " << c.design->index;
            }
        }
    }
}

}  // namespace
}  // namespace kv
