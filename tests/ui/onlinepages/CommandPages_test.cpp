// The command pages and their command flow against the simulated positioner: buttons, captions
// and tab order; read only for the navigation control; buttons enabled by the communication
// channel; a click reads the write protection, checks it, asks (style 292) and writes the
// command value, and the end of the write tells the user. The edge cases: two clicks of one
// button, two buttons, a busy group ("command_already_active"), the abort without a question,
// both protection flags, a failed write ("error_at_write_status" in place of the done message),
// a write that cannot start followed by a normal one, a page released while its question is
// open, and the command element of block 2.

#include <gtest/gtest.h>

#include <QPushButton>
#include <map>
#include <string>
#include <vector>

#include "OnlinePageFixture.h"
#include "core/DictionaryLookup.h"
#include "platform/runtime/IParameters.h"
#include "platform/runtime/IPrompt.h"

namespace kv {
namespace {

using onlinetest::ActingPrompt;
using onlinetest::OnlinePage;
using onlinetest::OpenOnlinePage;
using pagetest::Address;
using pagetest::AddSecondBlocks;
using pagetest::ElementOf;
using pagetest::PageBench;
using pagetest::RowOf;

constexpr int32_t kYes = 6;
constexpr int32_t kNo = 7;

std::string Text(PageBench& b, const std::string& key) {
    return GetDictionaryText(b.Ctx(), key);
}

void Click(const OnlinePage& p, const std::string& button) {
    QPushButton* b = p.Commands().Button(button);
    ASSERT_NE(b, nullptr) << button;
    ASSERT_TRUE(b->isEnabled()) << button;
    b->click();
}

// The writes that reached the device: address and data.
std::vector<std::pair<Address, std::vector<uint8_t>>> Writes(const PageBench& b) {
    std::vector<std::pair<Address, std::vector<uint8_t>>> out;
    for (const Dpv1Request& r : b.device->Log()) {
        if (r.write)
            out.push_back({{r.slot, r.index}, r.data});
    }
    return out;
}

int ReadsOf(PageBench& b, const std::string& path) {
    const auto reads = b.Logged(false);
    const auto it = reads.find(b.AddressOf(path));
    return it == reads.end() ? 0 : it->second;
}

// The questions and messages the user saw, as their texts.
std::vector<std::string> Shown(const PageBench& b) {
    std::vector<std::string> texts;
    for (const auto& [text, style] : b.prompt->questions)
        texts.push_back(text);
    return texts;
}

std::string Done(PageBench& b, const std::string& buttonKey) {
    return GetDictionaryText(b.Ctx(), "meld_quit_reset", Variant(Text(b, buttonKey)));
}

TEST(CommandPages, ButtonsCaptionsTabOrderAndNoWriteOfTheirOwn) {
    PageBench b;
    b.Online();
    const std::map<std::string, std::vector<std::string>> tabOrder = {
        {"ctlResetMaint", {"cmdTotalValveTravel", "cmdCtrlLoopFault"}},
        {"ctlResetWarm", {"cmdWarmStart"}},
        {"ctlResetFact",
         {"cmdColdStartAppl", "cmdColdStartIdent", "cmdColdStartApplIdent", "cmdResetBusAdr"}},
        {"ctlSelfCalib", {"cmdCalZeroValve", "cmdInitValve", "cmdAbortAction"}},
    };
    for (const auto& [name, buttons] : tabOrder) {
        OnlinePage p = OpenOnlinePage(b, name);
        auto& rw = dynamic_cast<IPrivateGUIReadWriteSaveLoad&>(*p.page);
        EXPECT_EQ(rw.ReadWriteSaveLoadOption(), 1) << name;
        EXPECT_FALSE(rw.WriteParameter()) << name;
        for (size_t i = 0; i < buttons.size(); ++i) {
            QPushButton* button = p.Commands().Button(buttons[i]);
            ASSERT_NE(button, nullptr) << buttons[i];
            EXPECT_EQ(button->text().toStdString(), Text(b, name + "_" + buttons[i]));
            EXPECT_NE(button->text().toStdString(), buttons[i]);
            EXPECT_TRUE(button->isEnabled());
            if (i > 0) {
                EXPECT_EQ(p.Commands().Button(buttons[i - 1])->nextInFocusChain(), button)
                    << name << " " << buttons[i];
            }
        }
        ASSERT_TRUE(p->PrepareToRelease());
    }
    EXPECT_TRUE(b.device->Log().empty());
}

TEST(CommandPages, ButtonsAreEnabledWhileTheDTMHasACommunicationChannel) {
    PageBench b;  // no channel yet
    OnlinePage p = OpenOnlinePage(b, "ctlResetFact");
    QPushButton* button = p.Commands().Button("cmdResetBusAdr");
    EXPECT_FALSE(button->isEnabled());
    b.Ctx().Parameters().ElementChanged(b.At("PHYS/TAG_DESC"), "");
    EXPECT_FALSE(button->isEnabled());
    // With the channel, the next notification enables them.
    ASSERT_TRUE(b.session->SetCommunication());
    b.Ctx().Parameters().ElementChanged(b.At("PHYS/TAG_DESC"), "");
    EXPECT_TRUE(button->isEnabled());
    // The lock state reaches the rows only.
    p->LockStateChanged(true);
    EXPECT_TRUE(button->isEnabled());
    EXPECT_TRUE(RowOf(*p.page, "PHYS/DIAGNOSIS/").isEnabled());
}

TEST(CommandFlow, AWarmStartIsCheckedConfirmedWrittenAndReported) {
    PageBench b;
    b.Online();
    OnlinePage p = OpenOnlinePage(b, "ctlResetWarm");
    b.prompt->AddAnswer(kYes);
    Click(p, "cmdWarmStart");
    b.Settle();
    // The write protection was read anew under the click's own process.
    EXPECT_EQ(ReadsOf(b, "PHYS/WRITE_LOCKING"), 1);
    EXPECT_EQ(ReadsOf(b, "PHYS/HW_WRITE_PROTECTION"), 1);
    EXPECT_EQ(Writes(b), (decltype(Writes(b)){{b.AddressOf("PHYS/FACTORY_RESET"), {0x09, 0xCA}}}));
    ASSERT_EQ(b.prompt->questions.size(), 2u);
    EXPECT_EQ(b.prompt->questions[0].first, Text(b, "alert_WarmStart"));
    EXPECT_EQ(b.prompt->questions[0].second, mbsYesNoQuestionDefaultNo);
    // The done message quotes the button's caption.
    EXPECT_EQ(b.prompt->questions[1].first, Done(b, "ctlResetWarm_cmdWarmStart"));
    EXPECT_NE(b.prompt->questions[1].first.find(
                  p.Commands().Button("cmdWarmStart")->text().toStdString()),
              std::string::npos);
    EXPECT_EQ(b.prompt->questions[1].second, mbsOkOnly);
    // The status bar says it too.
    EXPECT_EQ(b.prompt->messages, std::vector<std::string>{b.prompt->questions[1].first});
    // The frame heard the progress of the read and of the write under the page's title.
    EXPECT_EQ(b.Progress().back(), p->TitleText() + " 100 end");
}

TEST(CommandFlow, NoWritesNothingAndTwoClicksOfOneButtonAskOnce) {
    PageBench b;
    b.Online();
    OnlinePage p = OpenOnlinePage(b, "ctlResetMaint");
    b.prompt->AddAnswer(kNo);
    Click(p, "cmdTotalValveTravel");
    b.Settle();
    EXPECT_TRUE(Writes(b).empty());
    EXPECT_EQ(Shown(b), (std::vector<std::string>{Text(b, "alert_TotalValveTravel")}));

    // The second click replaces the first one's read: only its end leads to the question.
    b.Clear();
    b.prompt->AddAnswer(kYes);
    Click(p, "cmdCtrlLoopFault");
    Click(p, "cmdCtrlLoopFault");
    b.Settle();
    EXPECT_EQ(ReadsOf(b, "PHYS/WRITE_LOCKING"), 2);
    EXPECT_EQ(Shown(b), (std::vector<std::string>{Text(b, "alert_ctrlLoopFault"),
                                                  Done(b, "ctlResetMaint_cmdCtrlLoopFault")}));
    EXPECT_EQ(Writes(b),
              (decltype(Writes(b)){{b.AddressOf("TRANS/1/Act/SELF_CALIBRATION_CMD"), {10}}}));
}

TEST(CommandFlow, TwoButtonsAskInTurnAndABusyGroupRefusesTheSecondCommand) {
    PageBench b;
    b.Online();
    OnlinePage p = OpenOnlinePage(b, "ctlResetFact");
    b.prompt->AddAnswer(kYes);
    b.prompt->AddAnswer(kYes);
    Click(p, "cmdColdStartAppl");
    Click(p, "cmdColdStartIdent");
    b.Settle();
    // The second Yes comes while the first command is still being written.
    EXPECT_EQ(Shown(b),
              (std::vector<std::string>{
                  Text(b, "alert_ColdStartAppl"), Text(b, "alert_ColdStartIdent"),
                  Text(b, "command_already_active"), Done(b, "ctlResetFact_cmdColdStartAppl")}));
    EXPECT_EQ(Writes(b), (decltype(Writes(b)){{b.AddressOf("PHYS/FACTORY_RESET"), {0x80, 0x01}}}));

    // Once the group is idle the other command goes, and its done message names its button,
    // although both write the same element.
    b.Clear();
    b.prompt->AddAnswer(kYes);
    Click(p, "cmdColdStartIdent");
    b.Settle();
    EXPECT_EQ(Shown(b), (std::vector<std::string>{Text(b, "alert_ColdStartIdent"),
                                                  Done(b, "ctlResetFact_cmdColdStartIdent")}));
    EXPECT_EQ(Writes(b), (decltype(Writes(b)){{b.AddressOf("PHYS/FACTORY_RESET"), {0x80, 0x00}}}));
    // The page's own read ends without a done message.
    b.Clear();
    ASSERT_TRUE(dynamic_cast<IPrivateGUIReadWriteSaveLoad&>(*p.page).ReadParameter());
    b.Settle();
    EXPECT_TRUE(Shown(b).empty());
    EXPECT_FALSE(b.device->Log().empty());
}

TEST(CommandFlow, TheAbortAsksNothingButIsRefusedOnAWriteLockedDevice) {
    PageBench b;
    b.Online();
    OnlinePage p = OpenOnlinePage(b, "ctlSelfCalib");
    Click(p, "cmdAbortAction");
    b.Settle();
    EXPECT_EQ(Shown(b), (std::vector<std::string>{Done(b, "ctlSelfCalib_cmdAbortAction")}));
    EXPECT_EQ(Writes(b),
              (decltype(Writes(b)){{b.AddressOf("TRANS/1/Act/SELF_CALIBRATION_CMD"), {255}}}));

    b.Clear();
    b.device->SetWriteLocked(true);
    Click(p, "cmdAbortAction");
    b.Settle();
    EXPECT_EQ(ReadsOf(b, "PHYS/WRITE_LOCKING"), 1);
    EXPECT_EQ(Shown(b), (std::vector<std::string>{Text(b, "meld_w_locking")}));
    EXPECT_TRUE(Writes(b).empty());
}

TEST(CommandFlow, TheHardwareProtectionIsReportedBeforeTheWriteLocking) {
    PageBench b;
    b.Online();
    b.device->SetWriteLocked(true);
    b.device->SetHardwareWriteProtection(true);
    OnlinePage p = OpenOnlinePage(b, "ctlResetFact");
    Click(p, "cmdColdStartApplIdent");
    b.Settle();
    EXPECT_EQ(Shown(b), (std::vector<std::string>{Text(b, "meld_hw_protec")}));
    EXPECT_TRUE(Writes(b).empty());
}

TEST(CommandFlow, AWriteTheDeviceRefusesIsReportedInsteadOfTheDoneMessage) {
    PageBench b;
    b.Online();
    const Address reset = b.AddressOf("PHYS/FACTORY_RESET");
    b.device->InjectFault(uint8_t(reset.first), uint8_t(reset.second),
                          SimFault{.errorCode = kDpv1AccessDenied, .times = 1});
    OnlinePage p = OpenOnlinePage(b, "ctlResetWarm");
    b.prompt->AddAnswer(kYes);
    Click(p, "cmdWarmStart");
    b.Settle();
    EXPECT_EQ(Shown(b), (std::vector<std::string>{Text(b, "alert_WarmStart"),
                                                  Text(b, "error_at_write_status")}));
    EXPECT_EQ(b.prompt->messages, std::vector<std::string>{Text(b, "error_at_write_status")});
    // The group is empty again: the next command is written and reported as usual.
    b.Clear();
    b.prompt->AddAnswer(kYes);
    Click(p, "cmdWarmStart");
    b.Settle();
    EXPECT_EQ(Shown(b), (std::vector<std::string>{Text(b, "alert_WarmStart"),
                                                  Done(b, "ctlResetWarm_cmdWarmStart")}));
    EXPECT_EQ(Writes(b).size(), 1u);
}

TEST(CommandFlow, AWriteThatCannotStartIsReportedAndTheNextCommandGoes) {
    PageBench b;
    b.Online();
    b.At("PHYS/WRITE_LOCKING").SetTransientValue(Variant(int32_t{2457}));
    OnlinePage p = OpenOnlinePage(b, "ctlSelfCalib");
    b.prompt->AddAnswer(kYes);
    Click(p, "cmdCalZeroValve");
    // The connection breaks before the check's read ends: the check judges the values the
    // data set holds, and the write cannot start.
    b.session->Channel().DropConnection();
    b.Settle();
    EXPECT_EQ(Shown(b), (std::vector<std::string>{Text(b, "alert_CalZeroValve"),
                                                  Text(b, "error_at_write_status")}));
    EXPECT_TRUE(Writes(b).empty());
    ASSERT_NE(dynamic_cast<ParameterPage&>(*p.page).Group(), nullptr);
    EXPECT_EQ(dynamic_cast<ParameterPage&>(*p.page).Group()->Elements(), "");

    ASSERT_TRUE(b.session->Connect());
    b.Clear();
    b.prompt->AddAnswer(kYes);
    Click(p, "cmdCalZeroValve");
    b.Settle();
    EXPECT_EQ(Shown(b), (std::vector<std::string>{Text(b, "alert_CalZeroValve"),
                                                  Done(b, "ctlSelfCalib_cmdCalZeroValve")}));
    EXPECT_EQ(Writes(b),
              (decltype(Writes(b)){{b.AddressOf("TRANS/1/Act/SELF_CALIBRATION_CMD"), {1}}}));
}

TEST(CommandFlow, AnAnswerToAPageReleasedMeanwhileDoesNothing) {
    auto prompt = std::make_shared<ActingPrompt>(std::vector<int32_t>{kYes, kYes});
    PageBench b(prompt);
    b.Online();
    OnlinePage p = OpenOnlinePage(b, "ctlResetWarm");
    // The window closes the page while its question is open; then the user says Yes.
    prompt->onAsk = [&] { ASSERT_TRUE(p->PrepareToRelease()); };
    Click(p, "cmdWarmStart");
    b.Settle();
    EXPECT_EQ(Shown(b), (std::vector<std::string>{Text(b, "alert_WarmStart")}));
    EXPECT_TRUE(Writes(b).empty());
    EXPECT_FALSE(p->IsInitialised());

    // The same with a page destroyed while its question is open.
    OnlinePage q = OpenOnlinePage(b, "ctlResetWarm");
    b.Clear();
    prompt->onAsk = [&] {
        delete q.page;
        q.page = nullptr;
    };
    Click(q, "cmdWarmStart");
    b.Settle();
    EXPECT_EQ(Shown(b), (std::vector<std::string>{Text(b, "alert_WarmStart")}));
    EXPECT_TRUE(Writes(b).empty());
}

TEST(CommandFlow, SelfCalibrationOfBlockTwoWritesTheCommandOfBlockTwo) {
    PageBench b;
    AddSecondBlocks(b.Ctx());
    b.Online();
    OnlinePage p = OpenOnlinePage(b, "ctlSelfCalib", 2);
    EXPECT_EQ(ElementOf(*p.page, RowOf(*p.page, "TRANS/%d/Act/SELF_CALIBRATION_STATUS"))->Name(),
              "TRANS/2/Act/SELF_CALIBRATION_STATUS");
    b.prompt->AddAnswer(kYes);
    Click(p, "cmdInitValve");
    b.Settle();
    // The command goes into block 2's element. The device has no second Transducer Block to
    // write it to: the write fails, and the user is told so in place of the done message.
    EXPECT_EQ(b.At("TRANS/2/Act/SELF_CALIBRATION_CMD").TransientValue().toLong(), 2);
    EXPECT_TRUE(Writes(b).empty());
    EXPECT_EQ(Shown(b), (std::vector<std::string>{Text(b, "alert_InitValve"),
                                                  Text(b, "error_at_write_status")}));

    // A block number without a Transducer Block: no element to write; the user is told so.
    OnlinePage none = OpenOnlinePage(b, "ctlSelfCalib", 3);
    b.Clear();
    b.prompt->AddAnswer(kYes);
    Click(none, "cmdCalZeroValve");
    b.Settle();
    EXPECT_EQ(Shown(b), (std::vector<std::string>{Text(b, "alert_CalZeroValve"),
                                                  Text(b, "error_at_write_status")}));
    EXPECT_TRUE(Writes(b).empty());
}

}  // namespace
}  // namespace kv
