// Page read and write, write-protection checks, start-up reads and the binary text of values.

#include "core/ProjectHelpers.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/runtime/IPrivateDataElement.h"
#include "platform/runtime/IPrivateProcess.h"
#include "platform/runtime/ITransactionGroup.h"
#include "support/OnlineFixture.h"

namespace kv {
namespace {

using test_support::Address;
using test_support::RecordingProcess;
using Instance = test_support::OnlineInstance;

constexpr int32_t kEditedOnline = 0x20;
constexpr int32_t kReadPending = 0x10;

const std::string kScale = "FUNC/1/AO/PV_SCALE/";
const std::string kUpVal = "FUNC/1/AO/PV_SCALE/Up_Val";
const std::string kLoVal = "FUNC/1/AO/PV_SCALE/Lo_Val";

// A group that records what it is given and answers Execute as scripted.
struct FakeGroup : ITransactionGroup {
    void Init(IDTMContext&) override {}
    bool AddElement(IPrivateDataElement& e, bool isWrite) override {
        added.emplace_back(e.Name(), isWrite);
        return true;
    }
    void Clear() override { ++clears; }
    bool Busy() const override { return busy; }
    int32_t ConnectionStatus() const override { return connection; }
    int32_t Execute(std::weak_ptr<IPrivateProcess> callback, bool clearWhenDone,
                    bool reportProgress) override {
        ++executes;
        executedWith = callback.lock();
        EXPECT_TRUE(clearWhenDone);
        EXPECT_TRUE(reportProgress);
        if (onExecute)
            onExecute();
        return status;
    }
    bool OwnsProcess(const std::string&) const override { return false; }
    std::string Elements() const override { return {}; }
    void Close() override {}

    std::vector<std::pair<std::string, bool>> added;
    int clears = 0;
    int executes = 0;
    bool busy = false;
    int32_t connection = 0;
    int32_t status = 0;
    std::shared_ptr<IPrivateProcess> executedWith;
    std::function<void()> onExecute;
};

// A parameter row bound to an element; its pending edit, when given, is committed the way an
// online row commits (value taken, edited-online mark set).
struct PlainRow : IPageParameterRow {
    explicit PlainRow(clsDataElement* e, bool locked = false) : element(e), writeLocked(locked) {}
    void CommitPendingEdit() override {
        ++commits;
        if (pending && element != nullptr) {
            element->SetTransientValue(*pending);
            element->SetStatusFlag(kEditedOnline);
            pending.reset();
        }
    }
    clsDataElement* BoundElement() const override { return element; }
    bool WriteLocked() const override { return writeLocked; }

    clsDataElement* element;
    bool writeLocked;
    std::optional<Variant> pending;
    int commits = 0;
};

class PageTransferTest : public ::testing::Test {
  protected:
    PageTransferTest() { inst.context.SetPrompt(prompt); }
    clsDataElement* E(const std::string& path) { return &inst.At(path); }
    // The message of a key as the dictionary has it.
    std::string Text(const std::string& key) {
        std::string text = inst.context.GetText(key);
        EXPECT_NE(text, key);
        return text;
    }

    Instance inst;
    std::shared_ptr<RecordingPrompt> prompt = std::make_shared<RecordingPrompt>();
    std::shared_ptr<RecordingProcess> page = std::make_shared<RecordingProcess>();
    FakeGroup group;
};

using Added = std::vector<std::pair<std::string, bool>>;

TEST_F(PageTransferTest, MembersOfOneRecordAddTheRecordOnceAndOthersAreSkipped) {
    PlainRow up(E(kUpVal)), lo(E(kLoVal)), tag(E("PHYS/TAG_DESC")), unbound(nullptr);
    std::vector<IPageParameterRow*> controls{&up, nullptr, &lo, &unbound, &tag};

    ASSERT_TRUE(ReadPageParameters(page, inst.context, group, controls));
    EXPECT_EQ(group.added, (Added{{kScale, false}, {"PHYS/TAG_DESC", false}}));
    EXPECT_EQ(group.executes, 1);
    EXPECT_EQ(group.executedWith, page);
    EXPECT_EQ(group.clears, 0);
    EXPECT_TRUE(prompt->messages.empty());

    group.added.clear();
    ASSERT_TRUE(WritePageParameters(page, inst.context, group, controls));
    EXPECT_EQ(group.added, (Added{{kScale, true}, {"PHYS/TAG_DESC", true}}));
    EXPECT_EQ(up.commits, 2);
    EXPECT_EQ(unbound.commits, 2);
}

TEST_F(PageTransferTest, RowWithoutDeviceTransferAddsNothingButTheGroupRuns) {
    PlainRow tag(E("~/Tag"));
    ASSERT_FALSE(E("~/Tag")->IsUploadParam(inst.context));
    ASSERT_FALSE(E("~/Tag")->IsDownloadParam(inst.context));
    std::vector<IPageParameterRow*> controls{&tag};

    EXPECT_TRUE(ReadPageParameters(page, inst.context, group, controls));
    EXPECT_TRUE(WritePageParameters(page, inst.context, group, controls));
    EXPECT_TRUE(group.added.empty());
    EXPECT_EQ(group.executes, 2);
}

TEST_F(PageTransferTest, WriteSkipsWriteLockedRowsAndReadOnlyElements) {
    PlainRow locked(E("PHYS/DESCRIPTOR"), true), readOnly(E("FUNC/1/AO/READBACK/Value")),
        free(E("PHYS/TAG_DESC"));
    std::vector<IPageParameterRow*> controls{&locked, &readOnly, &free};

    ASSERT_TRUE(WritePageParameters(page, inst.context, group, controls));
    EXPECT_EQ(group.added, (Added{{"PHYS/TAG_DESC", true}}));

    // The lock concerns writing only. The read-back, whose unit the device has not told yet,
    // is read with its scale.
    group.added.clear();
    ASSERT_TRUE(ReadPageParameters(page, inst.context, group, controls));
    EXPECT_EQ(group.added, (Added{{"PHYS/DESCRIPTOR", false},
                                  {"FUNC/1/AO/READBACK/", false},
                                  {"FUNC/1/AO/PV_SCALE/", false},
                                  {"PHYS/TAG_DESC", false}}));
    // Once the device told it, the scale is no longer read with it.
    E("FUNC/1/AO/PV_SCALE/Unit")->SetDeviceValue(Variant(int16_t{1342}));
    group.added.clear();
    ASSERT_TRUE(ReadPageParameters(page, inst.context, group, controls));
    EXPECT_EQ(group.added, (Added{{"PHYS/DESCRIPTOR", false},
                                  {"FUNC/1/AO/READBACK/", false},
                                  {"PHYS/TAG_DESC", false}}));
}

TEST_F(PageTransferTest, ReadClearsPendingMarksOfTheWholeRecordOnlyOnceStarted) {
    // One member edited online through the row, one marked earlier; the record's other members
    // are not on the page.
    PlainRow up(E(kUpVal));
    up.pending = Variant(55.0);
    E(kLoVal)->SetStatusFlag(kEditedOnline | kReadPending);
    E("FUNC/1/AO/PV_SCALE/DecPoint")->SetStatusFlag(kEditedOnline);
    E("PHYS/DESCRIPTOR")->SetStatusFlag(kEditedOnline);  // not on the page: keeps its mark
    std::vector<IPageParameterRow*> controls{&up};

    std::vector<int32_t> flagsAtStart;
    group.onExecute = [&] {
        for (const auto& p : {kUpVal, kLoVal, std::string("FUNC/1/AO/PV_SCALE/DecPoint")})
            flagsAtStart.push_back(E(p)->StatusFlags() & 0x30);
    };
    ASSERT_TRUE(ReadPageParameters(page, inst.context, group, controls));

    EXPECT_EQ(flagsAtStart, (std::vector<int32_t>{0x20, 0x30, 0x20}));
    EXPECT_TRUE(E(kUpVal)->TransientValue().looseEquals(Variant(55.0)));
    for (const std::string& p : {kUpVal, kLoVal, std::string("FUNC/1/AO/PV_SCALE/Unit"),
                                 std::string("FUNC/1/AO/PV_SCALE/DecPoint")})
        EXPECT_EQ(E(p)->StatusFlags() & 0x30, 0) << p;
    EXPECT_EQ(E("PHYS/DESCRIPTOR")->StatusFlags() & 0x30, kEditedOnline);
}

TEST_F(PageTransferTest, FailedStartClearsTheGroupShowsTheErrorAndKeepsPendingEdits) {
    PlainRow up(E(kUpVal));
    up.pending = Variant(55.0);
    std::vector<IPageParameterRow*> controls{&up};
    group.status = 7;

    EXPECT_FALSE(ReadPageParameters(page, inst.context, group, controls));
    EXPECT_EQ(group.clears, 1);
    EXPECT_EQ(prompt->messages, (std::vector<std::string>{Text("error_at_read_status")}));
    EXPECT_EQ(E(kUpVal)->StatusFlags() & kEditedOnline, kEditedOnline);

    EXPECT_FALSE(WritePageParameters(page, inst.context, group, controls));
    EXPECT_EQ(group.clears, 2);
    EXPECT_EQ(prompt->messages.back(), Text("error_at_write_status"));
    EXPECT_TRUE(prompt->questions.empty());
}

TEST_F(PageTransferTest, BusyGroupDoesNothingAndOfflineGroupRunsWithWhatItHolds) {
    PlainRow up(E(kUpVal));
    up.pending = Variant(55.0);
    std::vector<IPageParameterRow*> controls{&up};

    group.busy = true;
    EXPECT_FALSE(ReadPageParameters(page, inst.context, group, controls));
    EXPECT_FALSE(WritePageParameters(page, inst.context, group, controls));
    EXPECT_FALSE(StartDownloadProtectionCheck(inst.context, group, page));
    EXPECT_EQ(group.executes, 0);
    EXPECT_EQ(up.commits, 0);
    EXPECT_TRUE(prompt->messages.empty());
    EXPECT_TRUE(prompt->questions.empty());

    group.busy = false;
    group.connection = 1;
    group.status = 1;
    EXPECT_FALSE(ReadPageParameters(page, inst.context, group, controls));
    EXPECT_EQ(group.executes, 1);
    EXPECT_EQ(up.commits, 0);
    EXPECT_TRUE(group.added.empty());
    EXPECT_FALSE(WritePageParameters(page, inst.context, group, controls));
    // The user is told that the device is not connected.
    EXPECT_EQ(prompt->messages, (std::vector<std::string>{Text("error_read_not_connected"),
                                                          Text("error_write_not_connected")}));
}

TEST_F(PageTransferTest, CommitThatThrowsEndsAsAFailedStart) {
    struct ThrowingRow : PlainRow {
        using PlainRow::PlainRow;
        void CommitPendingEdit() override { throw std::runtime_error("row failed"); }
    } row(E(kUpVal));
    std::vector<IPageParameterRow*> controls{&row};
    EXPECT_FALSE(WritePageParameters(page, inst.context, group, controls));
    EXPECT_EQ(group.executes, 0);
    EXPECT_EQ(group.clears, 1);
    EXPECT_EQ(prompt->messages, (std::vector<std::string>{Text("error_at_write_status")}));
    // The swallowed error is on record, with where it was caught.
    ASSERT_EQ(inst.context.Diagnostics().Entries().size(), 1u);
    EXPECT_EQ(inst.context.Diagnostics().Entries()[0].where, "WritePageParameters");
    EXPECT_EQ(inst.context.Diagnostics().Entries()[0].what, "row failed");
    inst.context.Diagnostics().Clear();
}

// --- write protection ---

TEST_F(PageTransferTest, CheckWriteProtectionJudgesBothParameters) {
    struct Case {
        Variant locking;
        Variant hardware;
        bool allowed;
        std::vector<std::string> boxes;
        WriteProtection protection;
    };
    using enum WriteProtection;
    const std::vector<Case> cases = {
        {Variant(int32_t{0}), Variant(int16_t{1}), false, {Text("meld_hw_protec")}, HardwareSwitch},
        {Variant(int32_t{2457}),
         Variant(int16_t{1}),
         false,
         {Text("meld_hw_protec")},
         HardwareSwitch},
        {Variant(int32_t{0}), Variant(int16_t{0}), false, {Text("meld_w_locking")}, WriteLocking},
        {Variant(int32_t{2457}), Variant(int16_t{0}), true, {}, None},
        {Variant(int32_t{1}), Variant(int16_t{0}), true, {}, None},
        {Variant(int32_t{2457}), Variant(int16_t{2}), true, {}, None},
    };
    for (const Case& c : cases) {
        prompt->questions.clear();
        E("PHYS/WRITE_LOCKING")->SetDeviceValue(c.locking);
        E("PHYS/HW_WRITE_PROTECTION")->SetDeviceValue(c.hardware);
        E("PHYS/WRITE_LOCKING")->SetStatusFlag(kReadPending);
        E("PHYS/HW_WRITE_PROTECTION")->SetStatusFlag(kReadPending);
        EXPECT_EQ(DeviceWriteProtection(inst.context), c.protection);
        EXPECT_EQ(CheckWriteProtection(inst.context), c.allowed)
            << c.locking.toString() << " " << c.hardware.toString();
        std::vector<std::string> boxes;
        for (const auto& [text, style] : prompt->questions) {
            boxes.push_back(text);
            EXPECT_EQ(style, 0);
        }
        EXPECT_EQ(boxes, c.boxes);
        EXPECT_EQ(E("PHYS/WRITE_LOCKING")->StatusFlags() & kReadPending, 0);
        EXPECT_EQ(E("PHYS/HW_WRITE_PROTECTION")->StatusFlags() & kReadPending, 0);
    }
}

TEST_F(PageTransferTest, DownloadProtectionCheckReadsBothParameters) {
    EXPECT_TRUE(StartDownloadProtectionCheck(inst.context, group, page));
    EXPECT_EQ(group.added,
              (Added{{"PHYS/WRITE_LOCKING", false}, {"PHYS/HW_WRITE_PROTECTION", false}}));
    EXPECT_EQ(group.executedWith, page);

    group.added.clear();
    group.connection = 1;
    group.status = 1;
    EXPECT_FALSE(StartDownloadProtectionCheck(inst.context, group, page));
    EXPECT_TRUE(group.added.empty());
    EXPECT_EQ(group.clears, 1);
    ASSERT_EQ(prompt->questions.size(), 1u);
    EXPECT_EQ(prompt->questions[0],
              (std::pair<std::string, int32_t>{Text("error_at_read_status"), 0}));
}

TEST_F(PageTransferTest, WriteLockUploadThatCannotStartTakesItsMarksBack) {
    // Not connected: the upload cannot start.
    StartWriteLockUpload(inst.context, "cmd-1", page);
    ASSERT_EQ(prompt->questions.size(), 1u);
    EXPECT_EQ(prompt->questions[0],
              (std::pair<std::string, int32_t>{Text("cannot_start_param_upload"), 0}));
    EXPECT_EQ(E("PHYS/WRITE_LOCKING")->StatusFlags() & kReadPending, 0);
    EXPECT_EQ(E("PHYS/HW_WRITE_PROTECTION")->StatusFlags() & kReadPending, 0);
}

TEST_F(PageTransferTest, StartupRequestsInTheirOrder) {
    const Added base = {{"PHYS/TAG_DESC", false},          {"PHYS/SOFTWARE_REVISION", false},
                        {"PHYS/HARDWARE_REVISION", false}, {"PHYS/DEVICE_SER_NUM", false},
                        {"FUNC/1/AO/READBACK/", false},    {"PHYS/DIAGNOSIS/", false},
                        {"FUNC/1/AO/CHECK_BACK/", false}};
    AddStartupRequests(inst.context, group, false);
    EXPECT_EQ(group.added, base);

    group.added.clear();
    AddStartupRequests(inst.context, group, true);
    Added withScale = base;
    withScale.insert(withScale.begin() + 5, {kScale, false});
    EXPECT_EQ(group.added, withScale);
}

// --- against the simulated positioner ---

TEST(PageTransferOnline, PageReadBringsTheDeviceValuesOverPendingEdits) {
    Instance inst;
    auto prompt = std::make_shared<RecordingPrompt>();
    inst.context.SetPrompt(prompt);
    ASSERT_TRUE(inst.Connect());
    // PV_SCALE: upper 80.0, lower 20.0 (IEEE 754, most significant byte first), unit %, 2
    // decimals.
    const Address scale = inst.AddressOf(kScale);
    ASSERT_TRUE(
        inst.device->SetRecord(uint8_t(scale.first), uint8_t(scale.second),
                               {0x42, 0xA0, 0x00, 0x00, 0x41, 0xA0, 0x00, 0x00, 0x05, 0x3E, 0x02}));
    TransactionGroup group;
    group.Init(inst.context);
    auto page = std::make_shared<RecordingProcess>();
    PlainRow up(&inst.At(kUpVal)), lo(&inst.At(kLoVal));
    up.pending = Variant(55.0);
    std::vector<IPageParameterRow*> controls{&up, &lo};

    ASSERT_TRUE(ReadPageParameters(page, inst.context, group, controls));
    EXPECT_TRUE(group.Busy());
    inst.loop->RunUntilIdle();

    ASSERT_EQ(page->finished.size(), 1u);
    EXPECT_TRUE(page->finished[0].second);
    EXPECT_TRUE(inst.At(kUpVal).TransientValue().looseEquals(Variant(80.0)));
    EXPECT_TRUE(inst.At(kLoVal).TransientValue().looseEquals(Variant(20.0)));
    EXPECT_EQ(inst.At(kUpVal).StatusFlags() & kEditedOnline, 0);
    EXPECT_EQ(inst.Logged(false), (std::map<Address, int>{{scale, 1}}));
    EXPECT_FALSE(group.Busy());
    EXPECT_TRUE(group.Requests().empty());
    EXPECT_TRUE(prompt->messages.empty());
}

TEST(PageTransferOnline, WriteLockUploadThenCheckSeesTheDeviceLockAndLeavesTheProjects) {
    Instance inst;
    auto prompt = std::make_shared<RecordingPrompt>();
    inst.context.SetPrompt(prompt);
    ASSERT_TRUE(inst.Connect());
    const Address locking = inst.AddressOf("PHYS/WRITE_LOCKING");
    ASSERT_TRUE(
        inst.device->SetRecord(uint8_t(locking.first), uint8_t(locking.second), {0x00, 0x00}));
    clsDataElement& projectLocking = inst.At("PHYS/WRITE_LOCKING");
    const Variant projectValue = projectLocking.TransientValue();
    ASSERT_FALSE(projectValue.looseEquals(Variant(int32_t{0})));
    inst.data->SetModifiedState(0);
    auto page = std::make_shared<RecordingProcess>();

    StartWriteLockUpload(inst.context, "cmd-1", page);
    inst.loop->RunUntilIdle();

    ASSERT_EQ(page->finished.size(), 1u);
    EXPECT_EQ(page->finished[0], (std::pair<std::string, bool>{"cmd-1", true}));
    // The check of a command only shows the device: the project keeps its write locking.
    EXPECT_EQ(projectLocking.TransientValue(), projectValue);
    EXPECT_EQ(inst.data->ModifiedState(), 0);
    EXPECT_FALSE(CheckWriteProtection(inst.context));
    ASSERT_EQ(prompt->questions.size(), 1u);
    EXPECT_EQ(prompt->questions[0].first, inst.context.GetText("meld_w_locking"));
}

// --- binary text ---

std::string Bits(const std::string& digits) {
    std::string out;
    for (char c : digits) {
        if (!out.empty())
            out.push_back('|');
        out.push_back(c);
    }
    return out;
}

TEST(ToBinaryString, DigitsLeastSignificantFirst) {
    const std::vector<std::pair<Variant, std::string>> cases = {
        {Variant(uint8_t{5}), Bits("10100000")},
        {Variant(int16_t{-1}), Bits(std::string(16, '1'))},
        {Variant(int32_t{-2}), Bits("0" + std::string(31, '1'))},
        {Variant(int32_t{0x40000001}), Bits("1" + std::string(29, '0') + "10")},
        {Variant(4294967295.0), Bits(std::string(32, '1'))},
        {Variant(2147483648.0), Bits(std::string(31, '0') + "1")},
        {Variant(-1.0), Bits(std::string(32, '1'))},
        {Variant(std::vector<uint8_t>{0x01, 0x80}), Bits("1000000000000001")},
        {Variant(ByteArray{{0x03}, 1}), Bits("11000000")},
        {Variant(4294967296.0), ""},
        {Variant(1e12), ""},
        {Variant(-2147483650.0), ""},
        {Variant(1.5f), ""},
        {Variant("101"), ""},
        {Variant::Null(), ""},
    };
    for (const auto& [value, expected] : cases)
        EXPECT_EQ(ToBinaryString(value), expected) << value.toString();
}

}  // namespace
}  // namespace kv
