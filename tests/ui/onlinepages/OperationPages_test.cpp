// The cyclic parameter pages: the operation-mode pages and the simulation page. The requests of
// each page per tick, in the designer order; the block number that serves both blocks of
// ctlOpRCAS; read and write on the page's own group while the cycle control's group reads; the
// release that stops the cycle before the page's group closes; and the simulation page, which
// reads and writes its whole SIMULATE record.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "OnlinePageFixture.h"
#include "platform/runtime/PropertyBag.h"

namespace kv {
namespace {

using onlinetest::HostPage;
using onlinetest::OnlinePage;
using onlinetest::OpenOnlinePage;
using pagetest::Address;
using pagetest::AddSecondBlocks;
using pagetest::Choose;
using pagetest::ElementOf;
using pagetest::PageBench;
using pagetest::RowOf;
using pagetest::TypePending;

IPrivateGUIReadWriteSaveLoad& ReadWrite(const OnlinePage& p) {
    return dynamic_cast<IPrivateGUIReadWriteSaveLoad&>(*p.page);
}

TEST(OperationPages, ReadOneRequestPerElementOrRecordPerTickInDesignerOrder) {
    const std::string ao = "FUNC/1/AO/";
    const std::string tb = "TRANS/1/Act/";
    const std::map<std::string, std::vector<std::string>> expected = {
        {"ctlOpAuto",
         {ao + "TARGET_MODE", ao + "MODE_BLK/", ao + "SP/", ao + "READBACK/", ao + "SETP_DEVIATION",
          ao + "CHECK_BACK/"}},
        {"ctlOpLocOv",
         {ao + "TARGET_MODE", ao + "MODE_BLK/", ao + "OUT/", ao + "READBACK/",
          ao + "SETP_DEVIATION", ao + "CHECK_BACK/"}},
        {"ctlOpRCAS",
         {ao + "TARGET_MODE", ao + "MODE_BLK/", ao + "RCAS_IN/", ao + "RCAS_OUT/",
          ao + "SETP_DEVIATION", ao + "CHECK_BACK/", tb + "POSITIONING_VALUE/",
          tb + "FEEDBACK_VALUE/"}},
        {"ctlOpTrans",
         {tb + "TARGET_MODE", tb + "MODE_BLK/", tb + "POSITIONING_VALUE/", tb + "FEEDBACK_VALUE/"}},
        {"ctlSimulate", {ao + "SIMULATE/"}},
    };
    PageBench b;
    b.Online();
    for (const auto& [name, requests] : expected) {
        OnlinePage p = OpenOnlinePage(b, name);
        EXPECT_EQ(ReadWrite(p).ReadWriteSaveLoadOption(), 3) << name;
        p.Switch().SetCyclicRefresh(1);
        EXPECT_EQ(p.Requests(), requests) << name;
        b.Settle();
        std::map<Address, int> once;
        for (const std::string& path : requests)
            once[b.AddressOf(path)] = 1;
        EXPECT_EQ(b.Logged(false), once) << name << ": the first tick comes at once";
        b.loop->Advance(4000);
        b.Settle();
        for (auto& [address, count] : once)
            count = 2;
        EXPECT_EQ(b.Logged(false), once) << name;
        ASSERT_TRUE(p->PrepareToRelease());
        b.Clear();
    }
}

TEST(OperationPages, TheBlockNumberServesBothBlocksAndAnEmptyBagMeansOne) {
    PageBench b;
    AddSecondBlocks(b.Ctx());
    OnlinePage two = OpenOnlinePage(b, "ctlOpRCAS", 2);
    EXPECT_EQ(ElementOf(*two.page, RowOf(*two.page, "FUNC/%d/AO/RCAS_IN/Value"))->Name(),
              "FUNC/2/AO/RCAS_IN/Value");
    EXPECT_EQ(ElementOf(*two.page, RowOf(*two.page, "TRANS/%d/Act/FEEDBACK_VALUE/Status"))->Name(),
              "TRANS/2/Act/FEEDBACK_VALUE/Status");
    const std::vector<clsDataElement*> requests = CyclicAddOns::RequestElements(*two.page, b.Ctx());
    ASSERT_EQ(requests.size(), 8u);
    EXPECT_EQ(requests.front()->Name(), "FUNC/2/AO/TARGET_MODE");
    EXPECT_EQ(requests.back()->Name(), "TRANS/2/Act/FEEDBACK_VALUE/");

    std::unique_ptr<PageBase> made = CreateOnlinePage("ctlOpAuto");
    made->SetBlockIndex(2);
    ASSERT_TRUE(made->ReadProperties(PropertyBag()));
    EXPECT_EQ(made->BlockIndex(), 1);
    OnlinePage one = HostPage(std::move(made));
    ASSERT_TRUE(one->Init("1.ctlOpAuto$", "", b.Dtm()));
    EXPECT_EQ(ElementOf(*one.page, RowOf(*one.page, "FUNC/%d/AO/TARGET_MODE"))->Name(),
              "FUNC/1/AO/TARGET_MODE");
}

TEST(OperationPages, ReadAndWriteRunOnThePagesOwnGroupWhileTheCycleReads) {
    PageBench b;
    b.Online();
    OnlinePage p = OpenOnlinePage(b, "ctlOpAuto");
    p.Switch().SetCyclicRefresh(1);
    ASSERT_TRUE(p.Cycle().TransGrp()->Busy());
    // The cycle's read is running; the page's own read starts all the same.
    ASSERT_TRUE(ReadWrite(p).ReadParameter());
    b.Settle();
    EXPECT_EQ(b.Logged(false).at(b.AddressOf("FUNC/1/AO/SP/")), 2);
    EXPECT_EQ(b.Progress().back(), p->TitleText() + " 100 end");
    // A new target mode is written with the page.
    b.Clear();
    Choose(RowOf(*p.page, "FUNC/%d/AO/TARGET_MODE"), 16);
    ASSERT_TRUE(ReadWrite(p).WriteParameter());
    b.Settle();
    EXPECT_EQ(b.Logged(true).count(b.AddressOf("FUNC/1/AO/TARGET_MODE")), 1u);
    // The cycle shows the mode that the device follows.
    b.loop->Advance(4000);
    b.Settle();
    EXPECT_EQ(b.At("FUNC/1/AO/MODE_BLK/Actual").TransientValue().toLong(), 16);
}

TEST(OperationPages, TextTypedIntoALiveFieldStaysWhileTheOtherRowsRefresh) {
    PageBench b;
    b.Online();
    b.device->SetSetpointCycle(20000);
    OnlinePage p = OpenOnlinePage(b, "ctlOpAuto");
    p.Switch().SetCycleTime(1000);
    p.Switch().SetCyclicRefresh(1);
    b.Settle();
    ctlParameter& setpoint = RowOf(*p.page, "FUNC/%d/AO/SP/Value");
    ctlParameter& readback = RowOf(*p.page, "FUNC/%d/AO/READBACK/Value");
    QLineEdit& field = TypePending(setpoint, "12");
    const QString before = readback.DisplayText();
    for (int tick = 0; tick < 4; ++tick) {
        b.device->FollowClock(b.loop->NowMs());
        b.loop->Advance(1000);
        b.Settle();
        EXPECT_EQ(field.text(), "12") << tick;
    }
    EXPECT_NE(readback.DisplayText(), before);
    // Committed, it is the project's setpoint, to be written.
    QTest::keyClick(&field, Qt::Key_Return);
    EXPECT_EQ(b.At("FUNC/1/AO/SP/Value").TransientValue().toDouble(), 12.0);
    b.loop->Advance(1000);
    b.Settle();
    EXPECT_EQ(field.text(), "12.00");
}

TEST(OperationPages, ClosingACyclingPageStopsTheCycleAndClosesTheGroup) {
    PageBench b;
    b.Online();
    OnlinePage p = OpenOnlinePage(b, "ctlOpTrans");
    p.Switch().SetCyclicRefresh(1);
    ASSERT_TRUE(ReadWrite(p).ReadParameter());
    ASSERT_TRUE(p->PrepareToRelease());
    EXPECT_EQ(p.Cycle().Value(), 0);
    EXPECT_EQ(dynamic_cast<ParameterPage&>(*p.page).Group(), nullptr);
    // The page's switch-on reached the navigation control; its release leaves it there.
    EXPECT_EQ(p.host->Switch(), 1);
    b.Settle();
    b.Clear();
    b.loop->Advance(12000);
    b.Settle();
    EXPECT_TRUE(b.device->Log().empty());
    EXPECT_FALSE(ReadWrite(p).ReadParameter());
}

TEST(SimulationPage, WritesItsWholeRecordAndTheReadbackShowsTheSimulatedValue) {
    PageBench b;
    b.Online();
    OnlinePage p = OpenOnlinePage(b, "ctlSimulate");
    EXPECT_EQ(p->Design().form, PageForm::Single);
    // Only the value is edited: the whole record goes, with Enabled and the status parts as the
    // data set holds them.
    b.At("FUNC/1/AO/SIMULATE/Enabled").SetTransientValue(Variant(uint8_t{0}));
    TypePending(RowOf(*p.page, "FUNC/%d/AO/SIMULATE/Value"), "55");
    ASSERT_TRUE(ReadWrite(p).WriteParameter());
    b.Settle();
    const Address simulate = b.AddressOf("FUNC/1/AO/SIMULATE/");
    EXPECT_EQ(b.Logged(true), (std::map<Address, int>{{simulate, 1}}));
    const std::vector<uint8_t> written =
        b.device->Record(uint8_t(simulate.first), uint8_t(simulate.second));
    ASSERT_EQ(written.size(), 6u);
    EXPECT_EQ(written[5], 0);  // not enabled
    EXPECT_EQ(written[0], b.At("FUNC/1/AO/SIMULATE/Status").TransientValue().toLong());

    // Simulation on: the cycle reads the one record, and the readback shows the simulated value.
    b.Clear();
    Choose(RowOf(*p.page, "FUNC/%d/AO/SIMULATE/Enabled"), 1);
    ASSERT_TRUE(ReadWrite(p).WriteParameter());
    b.Settle();
    b.Clear();
    p.Switch().SetCyclicRefresh(1);
    b.Settle();
    EXPECT_EQ(b.Logged(false), (std::map<Address, int>{{simulate, 1}}));
    EXPECT_EQ(b.At("FUNC/1/AO/SIMULATE/Enabled").TransientValue().toLong(), 1);
    OnlinePage val = OpenOnlinePage(b, "ctlMeasVal");
    val.Switch().SetCyclicRefresh(1);
    b.Settle();
    EXPECT_FLOAT_EQ(b.At("FUNC/1/AO/READBACK/Value").TransientValue().toDouble(), 55.0f);
}

}  // namespace
}  // namespace kv
