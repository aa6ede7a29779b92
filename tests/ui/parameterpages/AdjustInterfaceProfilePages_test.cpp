// The adjustment page with its valve-type rules, the local-operation, maintenance-date and
// certificate pages, the write-lock and diagnosis-option pages, and the block profile pages
// with the relative indices in their labels.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "PageFixture.h"
#include "core/DictionaryLookup.h"
#include "platform/controls/widgets/Twips.h"
#include "ui/framework/widgets/ctlSeparator.h"
#include "ui/parameterpages/ParameterPage.h"

namespace kv {
namespace {

using namespace pagetest;

// --- adjustment page ---

struct AdjustPage {
    PageBench b;
    HostedPage page = OpenPage(b, "ctlAdjust");
    ctlParameter& Row(const std::string& name) { return RowOf(*page.page, "TRANS/%d/Act/" + name); }
};

TEST(AdjustPage, RotaryValveLocksAttachmentAndMountingAndWritesNeither) {
    AdjustPage a;
    a.b.Online();
    Choose(a.Row("VALVE_TYPE"), 1);
    EXPECT_FALSE(Usable(a.Row("MFR/ATTACHMENT")));
    EXPECT_FALSE(Usable(a.Row("MFR/MOUNTING_POSITION")));
    EXPECT_TRUE(Usable(a.Row("MFR/TRANSM_CODE/Value")));
    for (int32_t attachment : {0, 1}) {
        a.b.At("TRANS/1/Act/MFR/ATTACHMENT").SetTransientValue(Variant(int32_t{attachment}));
        a.b.Ctx().Parameters().ElementChanged(a.b.At("TRANS/1/Act/MFR/ATTACHMENT"), "");
        EXPECT_TRUE(Usable(a.Row("MFR/TRANSM_CODE/Value"))) << attachment;
    }
    a.b.Clear();
    const std::vector<std::string> writes = Requests(AsParameterPage(a.page), true);
    a.b.Settle();
    EXPECT_FALSE(Contains(writes, "TRANS/1/Act/MFR/ATTACHMENT"));
    EXPECT_FALSE(Contains(writes, "TRANS/1/Act/MFR/MOUNTING_POSITION"));
    EXPECT_TRUE(Contains(writes, "TRANS/1/Act/MFR/TRANSM_CODE/"));
    EXPECT_TRUE(a.page->PrepareToRelease());
}

TEST(AdjustPage, LinearValveAttachmentChoosesTransmissionCodeOrLever) {
    AdjustPage a;
    Choose(a.Row("VALVE_TYPE"), 0);
    Choose(a.Row("MFR/ATTACHMENT"), 1);
    EXPECT_FALSE(Usable(a.Row("MFR/TRANSM_CODE/Value")));
    EXPECT_TRUE(Usable(a.Row("MFR/TRANSM_LENGTH")));
    EXPECT_TRUE(Usable(a.Row("MFR/TRANSM_PIN_POS")));
    EXPECT_TRUE(Usable(a.Row("MFR/ATTACHMENT")));
    EXPECT_TRUE(Usable(a.Row("MFR/MOUNTING_POSITION")));
    Choose(a.Row("MFR/ATTACHMENT"), 0);
    EXPECT_TRUE(Usable(a.Row("MFR/TRANSM_CODE/Value")));
    EXPECT_FALSE(Usable(a.Row("MFR/TRANSM_LENGTH")));
    EXPECT_FALSE(Usable(a.Row("MFR/TRANSM_PIN_POS")));
    EXPECT_TRUE(a.page->PrepareToRelease());
}

TEST(AdjustPage, ValveTypeSetsTheRatedTravel) {
    AdjustPage a;
    ctlParameter& rated = a.Row("RATED_TRAVEL");
    pagetest::Type(rated, "33.3");
    Choose(a.Row("VALVE_TYPE"), 1);
    EXPECT_NEAR(rated.Value().toDouble(), 90.0, 1e-6);
    EXPECT_EQ(rated.UnitText(), "°");
    pagetest::Type(rated, "45");
    Choose(a.Row("VALVE_TYPE"), 0);
    EXPECT_NEAR(rated.Value().toDouble(), 15.0, 1e-6);
    EXPECT_EQ(rated.UnitText(), "mm");
    EXPECT_TRUE(a.page->PrepareToRelease());
}

TEST(AdjustPage, NewInitialisationMethodIsAnnouncedOnce) {
    AdjustPage a;
    ctlParameter& method = a.Row("MFR/INIT_METHOD");
    const int32_t current = ElementOf(*a.page.page, method)->TransientValue().toLong();
    int32_t other = -1;
    for (const auto& e : kv::ValueList(method.ValueList()).Entries()) {
        if (e.number != current) {
            other = e.number;
            break;
        }
    }
    ASSERT_GE(other, 0);
    Choose(method, other);
    const std::string text = GetDictionaryText(a.b.Ctx(), "meld_init_art");
    ASSERT_EQ(a.b.prompt->questions.size(), 1u);
    EXPECT_EQ(a.b.prompt->questions[0].first, text);
    EXPECT_EQ(a.b.prompt->questions[0].second, 0);
    EXPECT_EQ(ElementOf(*a.page.page, method)->TransientValue().toLong(), other);
    Choose(method, other);  // the same method again: no change, no message
    EXPECT_EQ(a.b.prompt->questions.size(), 1u);
    EXPECT_TRUE(a.page->PrepareToRelease());
}

TEST(AdjustPage, ReadOnlyRowsAreLockedAndNeverWritten) {
    AdjustPage a;
    a.b.Online();
    const std::vector<std::string> readOnly = {"MFR/SELF_CALIB_WARNING", "ACTUATOR_ACTION",
                                               "ACT_STROKE_TIME_DEC", "ACT_STROKE_TIME_INC",
                                               "MFR/MAX_HUB"};
    for (const std::string& name : readOnly)
        EXPECT_TRUE(a.Row(name).Locked()) << name;
    const std::vector<std::string> reads = Requests(AsParameterPage(a.page), false);
    a.b.Settle();
    a.b.Clear();
    const std::vector<std::string> writes = Requests(AsParameterPage(a.page), true);
    a.b.Settle();
    for (const std::string& name : readOnly) {
        EXPECT_TRUE(Contains(reads, "TRANS/1/Act/" + name)) << name;
        EXPECT_FALSE(Contains(writes, "TRANS/1/Act/" + name)) << name;
    }
    // The transmission-code row reads its whole record; the channels of the output block too.
    EXPECT_TRUE(Contains(reads, "TRANS/1/Act/MFR/TRANSM_CODE/"));
    EXPECT_TRUE(Contains(reads, "FUNC/1/AO/IN_CHANNEL"));
    EXPECT_TRUE(Contains(writes, "FUNC/1/AO/OUT_CHANNEL"));
    EXPECT_TRUE(a.page->PrepareToRelease());
}

TEST(AdjustPage, BlockIndexTwoBindsTheSecondBlocks) {
    PageBench b;
    AddSecondBlocks(b.Ctx());
    HostedPage page = OpenPage(b, "ctlAdjust", 2);
    for (ctlParameter* row : page->Rows()) {
        clsDataElement* e = ElementOf(*page.page, *row);
        ASSERT_NE(e, nullptr) << row->ParameterTag();
        EXPECT_TRUE(e->Name().rfind("TRANS/2/Act/", 0) == 0 ||
                    e->Name().rfind("FUNC/2/AO/", 0) == 0)
            << e->Name();
    }
    EXPECT_TRUE(page->PrepareToRelease());
}

// --- local operation, maintenance dates, certificate ---

TEST(InterfacePages, MaintenanceDatesTakeSixteenCharacters) {
    PageBench b;
    HostedPage page = OpenPage(b, "ctlIfMaint");
    for (ctlParameter* row : page->Rows()) {
        EXPECT_EQ(row->ValueMaxLength(), 16) << row->ParameterTag();
        EXPECT_EQ(row->Value().toString(), "01.01.2002");
    }
    EXPECT_TRUE(page->PrepareToRelease());
}

TEST(InterfacePages, CertificateIsReadButNeverWritten) {
    PageBench b;
    b.Online();
    HostedPage page = OpenPage(b, "ctlCertificate");
    auto& rw = dynamic_cast<IPrivateGUIReadWriteSaveLoad&>(*page.page);
    EXPECT_EQ(rw.ReadWriteSaveLoadOption(), 1);
    ctlParameter& row = RowOf(*page.page, "PHYS/DEVICE_CERTIFICATION");
    EXPECT_TRUE(row.Locked());
    EXPECT_EQ(row.Value().toString(), "-/-");
    ASSERT_TRUE(rw.ReadParameter());
    b.Settle();
    const std::string fromDevice = b.At("PHYS/DEVICE_CERTIFICATION").DeviceValue().toString();
    EXPECT_NE(fromDevice, "");
    EXPECT_EQ(row.Value().toString(),
              b.At("PHYS/DEVICE_CERTIFICATION").TransientValue().toString());
    // A value that differs from the device's is not written either.
    b.At("PHYS/DEVICE_CERTIFICATION").SetTransientValue(Variant("edited"));
    b.Clear();
    EXPECT_FALSE(rw.WriteParameter());
    b.Settle();
    EXPECT_TRUE(b.device->Log().empty());
    EXPECT_TRUE(b.prompt->messages.empty());
    EXPECT_TRUE(b.Progress().empty());
    EXPECT_TRUE(page->PrepareToRelease());
}

TEST(InterfacePages, BlockIndexTwoMovesOnlyTheTransducerRows) {
    PageBench b;
    AddSecondBlocks(b.Ctx());
    HostedPage maint = OpenPage(b, "ctlIfMaint", 2);
    HostedPage local = OpenPage(b, "ctlIf", 2);
    HostedPage cert = OpenPage(b, "ctlCertificate", 2);
    EXPECT_EQ(ElementOf(*maint.page, *maint->Rows()[0])->Name(), "TRANS/2/Act/DEVICE_CALIB_DATE");
    EXPECT_EQ(ElementOf(*local.page, *local->Rows()[0])->Name(), "PHYS/LOCAL_OP_ENA");
    EXPECT_EQ(ElementOf(*cert.page, *cert->Rows()[0])->Name(), "PHYS/DEVICE_CERTIFICATION");
    for (HostedPage* p : {&maint, &local, &cert})
        EXPECT_TRUE((*p)->PrepareToRelease());
}

// --- write lock and diagnosis options ---

TEST(WriteLockPages, HardwareProtectionIsLockedAndOnlyTheWriteLockIsWritten) {
    PageBench b;
    b.Online();
    HostedPage page = OpenPage(b, "ctlWriteLock");
    EXPECT_TRUE(RowOf(*page.page, "PHYS/HW_WRITE_PROTECTION").Locked());
    EXPECT_FALSE(RowOf(*page.page, "PHYS/WRITE_LOCKING").Locked());
    EXPECT_EQ(Requests(AsParameterPage(page), false),
              (std::vector<std::string>{"PHYS/WRITE_LOCKING", "PHYS/HW_WRITE_PROTECTION"}));
    b.Settle();
    b.Clear();
    EXPECT_EQ(Requests(AsParameterPage(page), true),
              std::vector<std::string>{"PHYS/WRITE_LOCKING"});
    b.Settle();
    EXPECT_EQ(b.Logged(true), (std::map<Address, int>{{b.AddressOf("PHYS/WRITE_LOCKING"), 1}}));
    EXPECT_TRUE(page->PrepareToRelease());
}

TEST(WriteLockPages, OneOptionBitWritesBothOptionWordsAndTheCheckBackOptions) {
    PageBench b;
    b.Online();
    HostedPage page = OpenPage(b, "ctlSelectOpt");
    EXPECT_EQ(dynamic_cast<IPrivateGUICycle*>(page.page), nullptr);
    ctlParameter& second = RowOf(*page.page, "PHYS/MFR/DIAGNOSIS_OPT/DIAGNOSIS_OPT_2");
    const kv::ValueList bits(second.ValueList());
    ASSERT_FALSE(bits.Entries().empty());
    Tick(second, bits.Entries().front().number, true);
    EXPECT_NE(b.At("PHYS/MFR/DIAGNOSIS_OPT/DIAGNOSIS_OPT_2").TransientValue().toLong(), 0);
    EXPECT_EQ(
        Requests(AsParameterPage(page), true),
        (std::vector<std::string>{"PHYS/MFR/DIAGNOSIS_OPT/", "FUNC/1/AO/MFR/CHECK_BACK_OPT"}));
    b.Settle();
    EXPECT_EQ(b.Logged(true), (std::map<Address, int>{
                                  {b.AddressOf("PHYS/MFR/DIAGNOSIS_OPT/"), 1},
                                  {b.AddressOf("FUNC/1/AO/MFR/CHECK_BACK_OPT"), 1},
                              }));
    EXPECT_TRUE(page->PrepareToRelease());
}

TEST(WriteLockPages, EveryBitListShowsAllItsBits) {
    PageBench b;
    HostedPage page = OpenPage(b, "ctlSelectOpt");
    // The second option word is designed one line high; its bit and its "none" entry need two.
    ctlParameter& second = RowOf(*page.page, "PHYS/MFR/DIAGNOSIS_OPT/DIAGNOSIS_OPT_2");
    ctlParameter& checkBack = RowOf(*page.page, "FUNC/%d/AO/MFR/CHECK_BACK_OPT");
    for (ctlParameter* row : page->Rows()) {
        auto* bits = row->findChild<QListWidget*>();
        ASSERT_NE(bits, nullptr) << row->ParameterTag();
        EXPECT_GE(bits->height(), bits->sizeHintForRow(0) * bits->count()) << row->ParameterTag();
    }
    EXPECT_GT(second.height(), TwipsToPixels(375, page.page));
    EXPECT_GT(checkBack.y(), second.geometry().bottom());
    EXPECT_GE(page->minimumHeight(), checkBack.geometry().bottom());
    EXPECT_TRUE(page->PrepareToRelease());
}

TEST(WriteLockPages, BlockIndexTwoMovesOnlyTheCheckBackOptions) {
    PageBench b;
    AddSecondBlocks(b.Ctx());
    HostedPage page = OpenPage(b, "ctlSelectOpt", 2);
    std::vector<std::string> bound;
    for (ctlParameter* row : page->Rows())
        bound.push_back(ElementOf(*page.page, *row)->Name());
    EXPECT_EQ(bound, (std::vector<std::string>{"PHYS/MFR/DIAGNOSIS_OPT/DIAGNOSIS_OPT_1",
                                               "FUNC/2/AO/MFR/CHECK_BACK_OPT",
                                               "PHYS/MFR/DIAGNOSIS_OPT/DIAGNOSIS_OPT_2"}));
    EXPECT_TRUE(page->PrepareToRelease());
}

// --- block profile pages ---

TEST(ProfilePages, LabelsBeginWithTheRelativeIndex) {
    PageBench b;
    HostedPage ao = OpenPage(b, "ctlProfil_FB_AO");
    auto label = [&](const std::string& name) {
        return RowOf(*ao.page, "FUNC/%d/AO/" + name).LabelText();
    };
    auto plain = [&](const std::string& path) { return b.At(path).Label.str(); };
    EXPECT_EQ(label("BLK_OBJ/Block_Object"), "0: " + plain("FUNC/1/AO/BLK_OBJ/Block_Object"));
    EXPECT_EQ(label("BLK_OBJ/Number_of_Views"), "0: " + plain("FUNC/1/AO/BLK_OBJ/Number_of_Views"));
    EXPECT_EQ(label("MODE_BLK/Actual"), "6: " + plain("FUNC/1/AO/MODE_BLK/Actual"));
    EXPECT_EQ(label("MODE_BLK/Normal"), "6: " + plain("FUNC/1/AO/MODE_BLK/Normal"));
    // The block number has no relative index: its label stands alone.
    EXPECT_EQ(label("BlockIndex"), plain("FUNC/1/AO/BlockIndex"));
    EXPECT_TRUE(ao->PrepareToRelease());
}

TEST(ProfilePages, BlockIndexChoosesTheBlockOfTheTransducerAndOutputPages) {
    PageBench b;
    AddSecondBlocks(b.Ctx());
    for (int16_t block : {1, 2}) {
        HostedPage tb = OpenPage(b, "ctlProfil_TB_Act", block);
        HostedPage ao = OpenPage(b, "ctlProfil_FB_AO", block);
        HostedPage pb = OpenPage(b, "ctlProfil_PB", block);
        const std::string n = std::to_string(block);
        for (ctlParameter* row : tb->Rows())
            EXPECT_EQ(ElementOf(*tb.page, *row)->Name().rfind("TRANS/" + n + "/Act/", 0), 0u);
        for (ctlParameter* row : ao->Rows())
            EXPECT_EQ(ElementOf(*ao.page, *row)->Name().rfind("FUNC/" + n + "/AO/", 0), 0u);
        for (ctlParameter* row : pb->Rows())
            EXPECT_EQ(ElementOf(*pb.page, *row)->Name().rfind("PHYS/", 0), 0u);
        EXPECT_EQ(tb->Rows().size(), 76u);
        EXPECT_EQ(ao->Rows().size(), 64u);
        EXPECT_EQ(pb->Rows().size(), 50u);
        for (HostedPage* p : {&tb, &ao, &pb})
            EXPECT_TRUE((*p)->PrepareToRelease());
    }
}

TEST(ProfilePages, TransducerRowsShowTheElementsValueLists) {
    PageBench b;
    HostedPage tb = OpenPage(b, "ctlProfil_TB_Act");
    ctlParameter& valveType = RowOf(*tb.page, "TRANS/%d/Act/VALVE_TYPE");
    EXPECT_EQ(valveType.ControlType(), pctValueList);
    EXPECT_FALSE(valveType.ValueList().empty());
    EXPECT_EQ(RowOf(*tb.page, "TRANS/%d/Act/DEADBAND").ControlType(), pctPlainField);
    EXPECT_EQ(tb->TitleText(), GetDictionaryText(b.Ctx(), "ctlProfil_TB_Act_sepTitle"));
    EXPECT_EQ(dynamic_cast<ctlSeparator*>(tb->Control("sepMfrParam"))->Caption(),
              GetDictionaryText(b.Ctx(), "ctlProfil_TB_Act_sepMfrParam"));
    EXPECT_TRUE(tb->PrepareToRelease());
}

}  // namespace
}  // namespace kv
