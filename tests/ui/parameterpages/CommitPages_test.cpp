// The channel assignment page (Save) and the bus address page (Set): when their buttons may be
// used, what a commit changes in the data set and tells the frame with Yes and with No, and the
// faults they mend: an invalid slave parameter set changes nothing, pending edits are taken
// over first, refused input in a row refuses the commit, a locked data set disables the
// buttons, and releasing the bus address page reports the committed address only when the
// working copy differs.

#include <gtest/gtest.h>

#include <QPushButton>
#include <cstdlib>
#include <map>
#include <optional>
#include <pugixml.hpp>
#include <set>
#include <string>

#include "PageFixture.h"
#include "core/ConvStr.h"
#include "core/DictionaryLookup.h"
#include "core/DtmElements.h"
#include "platform/runtime/IChannels.h"
#include "platform/runtime/IDTMDictionary.h"
#include "support/GuiFakes.h"
#include "support/TempFolder.h"
#include "ui/parameterpages/CommitPages.h"

namespace kv {
namespace {

using namespace pagetest;

// The machine's settings file for the test: with or without the address enable.
class Settings {
  public:
    explicit Settings(bool addressEnable) {
        folder_.Write("registry.conf", addressEnable ? "DPAddressEnable=1\n" : "# none\n");
        const char* old = std::getenv("KV6274PA_CONFIG");
        old_ = old ? std::optional<std::string>(old) : std::nullopt;
        setenv("KV6274PA_CONFIG", folder_.File("registry.conf").c_str(), 1);
    }
    ~Settings() {
        if (old_)
            setenv("KV6274PA_CONFIG", old_->c_str(), 1);
        else
            unsetenv("KV6274PA_CONFIG");
    }

  private:
    test_support::TempFolder folder_;
    std::optional<std::string> old_;
};

QPushButton& ButtonOf(const HostedPage& page) {
    return *dynamic_cast<CommitPage&>(*page.page).CommitButton();
}

// A user interface beside the page that counts the change reports of the data set.
std::shared_ptr<test_support::FakeGUI> Listen(PageBench& b) {
    auto gui = std::make_shared<test_support::FakeGUI>();
    b.Gui().RegisterGUI("listener", gui, true);
    return gui;
}

void Report(PageBench& b, const std::string& path, const Variant& value) {
    clsDataElement& e = b.At(path);
    e.SetTransientValue(value);
    b.Ctx().Parameters().ElementChanged(e, "");
}

std::set<std::string> ActiveChannels(PageBench& b) {
    std::set<std::string> ids;
    for (const auto& c : b.Ctx().Parameters().Channels().Items()) {
        if (c->Active())
            ids.insert(c->ChannelId());
    }
    return ids;
}

// --- channel assignment ---

struct ChannelPage {
    Settings settings{false};
    PageBench b;
    HostedPage page;
    explicit ChannelPage(std::vector<int32_t> answers = {})
        : b(std::move(answers)), page(Open(b)) {}
    static HostedPage Open(PageBench& b) {
        Report(b, kProtectedByChannelAssignmentPath, Variant(uint8_t{0}));
        return OpenPage(b, "ctlChannelAssign");
    }
    ctlParameter& Configuration() { return RowOf(*page.page, kCfgDataPath); }
    void Save() { ButtonOf(page).click(); }
};

TEST(ChannelAssignPage, SaveFollowsTheProtectionOfTheConfiguration) {
    ChannelPage c;
    QPushButton& save = ButtonOf(c.page);
    EXPECT_TRUE(save.isEnabled());
    Report(c.b, kProtectedByChannelAssignmentPath, Variant(uint8_t{1}));
    EXPECT_NE(c.b.At(kCfgDataPath).StatusFlags() & sfWriteProtected, 0);
    EXPECT_FALSE(save.isEnabled());
    Report(c.b, kProtectedByChannelAssignmentPath, Variant(uint8_t{0}));
    EXPECT_TRUE(save.isEnabled());
    EXPECT_EQ(dynamic_cast<IPrivateGUIReadWriteSaveLoad*>(c.page.page), nullptr);
    EXPECT_EQ(save.text().toStdString(), GetDictionaryText(c.b.Ctx(), "ctlChannelAssign_cmdSave"));
    EXPECT_TRUE(c.page->PrepareToRelease());
}

TEST(ChannelAssignPage, SaveTakesTheSlaveParameterSetOverAndAsksToSave) {
    for (int32_t answer : {mbaNo, mbaYes}) {
        SCOPED_TRACE(answer);
        ChannelPage c({answer, answer});
        Choose(c.Configuration(), 3);
        const std::string whole = c.b.At(kWholeStringPath).TransientValue().toString();
        EXPECT_EQ(whole,
                  "002E0000000000000000000000000000000C00640A0B0B5E00000000000B"
                  "C6848608050805050500020005800000");
        EXPECT_EQ(RowOf(*c.page.page, kWholeStringPath).Value().toString(), whole);
        c.Save();
        const clsDataElement& part = c.b.At(kBusMasterConfigurationPartPath);
        EXPECT_EQ(part.TransientValue(), HexStringToBytes(whole));
        EXPECT_EQ(part.ValueTypeLength(), static_cast<int32_t>(whole.size() / 2));
        EXPECT_EQ(ActiveChannels(c.b),
                  (std::set<std::string>{"SP_Val", "SP_Stat", "READBACK_Val", "READBACK_Stat",
                                         "POS_D_Val", "POS_D_Stat"}));
        ASSERT_EQ(c.b.prompt->questions.size(), 1u);
        EXPECT_EQ(c.b.prompt->questions[0],
                  std::make_pair(GetDictionaryText(c.b.Ctx(), "alert_SaveParameter"), 36));
        EXPECT_EQ(c.b.Events().Count(FrameEvent::kRequestSave), answer == mbaYes ? 1u : 0u);
        // The status text says what the project holds now, before the question.
        const std::vector<std::string> said = {
            "The project holds the cyclic configuration SP, READBACK, POS_D."};
        EXPECT_EQ(c.b.prompt->messages, said);
        // Saved again without a change: the same bytes, reported, said and asked again.
        auto listener = Listen(c.b);
        c.Save();
        EXPECT_EQ(listener->ChangesOf(kBusMasterConfigurationPartPath), 1u);
        EXPECT_EQ(c.b.prompt->messages.size(), 2u);
        EXPECT_EQ(c.b.prompt->questions.size(), 2u);
        EXPECT_EQ(c.b.Events().Count(FrameEvent::kRequestSave), answer == mbaYes ? 2u : 0u);
        EXPECT_TRUE(c.page->PrepareToRelease());
        EXPECT_TRUE(c.b.device->Log().empty());
    }
}

// Configuration 1's slave parameter set with a field replaced (offset in bytes).
std::string Patched(size_t offset, const std::string& hexField) {
    std::string text =
        "00290000000000000000000000000000000C00640A0B0B5E0000000000068284080500020005800000";
    text.replace(offset * 2, hexField.size(), hexField);
    return text;
}

TEST(ChannelAssignPage, InvalidSlaveParameterSetChangesNothing) {
    const std::string tooShort = Patched(0, "0004").substr(0, 8);
    const std::string cutOff = Patched(0, "0029").substr(0, 80);
    for (const std::string& bad :
         {std::string(), std::string("0029000G"), std::string("0029000"), tooShort, cutOff,
          Patched(0, "002A"), Patched(28, "0007"), Patched(28, "0001"), Patched(16, "000D"),
          Patched(22, "0B5F"), Patched(38, "800001")}) {
        SCOPED_TRACE(bad);
        ChannelPage c;
        const Variant before = c.b.At(kBusMasterConfigurationPartPath).TransientValue();
        const std::set<std::string> channels = ActiveChannels(c.b);
        c.b.At(kWholeStringPath).SetTransientValue(Variant(bad));
        auto listener = Listen(c.b);
        c.Save();
        EXPECT_EQ(c.b.At(kBusMasterConfigurationPartPath).TransientValue(), before);
        EXPECT_EQ(ActiveChannels(c.b), channels);
        EXPECT_EQ(listener->ChangesOf(kBusMasterConfigurationPartPath), 0u);
        ASSERT_EQ(c.b.prompt->questions.size(), 1u);
        EXPECT_EQ(c.b.prompt->questions[0],
                  std::make_pair(GetDictionaryText(c.b.Ctx(), "meld_slave_param_set_invalid"), 0));
        EXPECT_EQ(c.b.Events().Count(FrameEvent::kRequestSave), 0u);
        EXPECT_TRUE(c.b.prompt->messages.empty());
        EXPECT_TRUE(c.page->PrepareToRelease());
    }
    // A whole set whose identifiers are no configuration of the device is taken: every channel
    // goes off.
    ChannelPage c({mbaNo});
    const std::string unknown = Patched(30, "C2");
    c.b.At(kWholeStringPath).SetTransientValue(Variant(unknown));
    c.Save();
    EXPECT_EQ(c.b.At(kBusMasterConfigurationPartPath).TransientValue(), HexStringToBytes(unknown));
    EXPECT_TRUE(ActiveChannels(c.b).empty());
    ASSERT_EQ(c.b.prompt->questions.size(), 1u);
    EXPECT_EQ(c.b.prompt->questions[0].second, 36);
    EXPECT_TRUE(c.page->PrepareToRelease());
}

TEST(ChannelAssignPage, SaveIsDisabledWhileTheDataSetIsLocked) {
    ChannelPage c;
    c.b.Gui().SetLocked(true);
    EXPECT_FALSE(ButtonOf(c.page).isEnabled());
    c.Save();
    EXPECT_TRUE(c.b.prompt->questions.empty());
    c.b.Gui().SetLocked(false);
    EXPECT_TRUE(ButtonOf(c.page).isEnabled());
    // A page opened while locked starts with Save disabled.
    c.b.Gui().SetLocked(true);
    HostedPage second = OpenPage(c.b, "ctlChannelAssign");
    EXPECT_FALSE(ButtonOf(second).isEnabled());
    EXPECT_TRUE(second->PrepareToRelease());
    EXPECT_TRUE(c.page->PrepareToRelease());
}

// --- bus address ---

struct AddressPage {
    Settings settings;
    PageBench b;
    HostedPage page;
    explicit AddressPage(bool enabled = true)
        : settings(enabled), page(OpenPage(b, "ctlAddress")) {}
    ctlParameter& Local() { return RowOf(*page.page, kLocalAddressPath); }
    void Set() { ButtonOf(page).click(); }
    int32_t Value(const char* path) { return b.At(path).TransientValue().toLong(); }
};

TEST(BusAddressPage, SetIsDisabledWithoutTheAddressEnable) {
    AddressPage a(false);
    EXPECT_NE(a.b.At(kLocalAddressPath).StatusFlags() & sfWriteProtected, 0);
    EXPECT_FALSE(ButtonOf(a.page).isEnabled());
    EXPECT_TRUE(a.Local().Locked());
    EXPECT_EQ(dynamic_cast<IPrivateGUIReadWriteSaveLoad*>(a.page.page), nullptr);
    EXPECT_TRUE(a.page->PrepareToRelease());
}

TEST(BusAddressPage, ButtonFitsItsCaptionInEveryLanguage) {
    AddressPage a;
    for (int32_t language : {langGerman, langEnglish}) {
        ASSERT_TRUE(a.b.Dtm()->SetLanguage(language));
        QPushButton& set = ButtonOf(a.page);
        EXPECT_EQ(set.text().toStdString(), GetDictionaryText(a.b.Ctx(), "ctlAddress_cmdSet"));
        EXPECT_GE(set.width(), set.sizeHint().width()) << language;
    }
    EXPECT_TRUE(a.page->PrepareToRelease());
}

TEST(BusAddressPage, SetWithTheSameAddressDoesNothing) {
    AddressPage a;
    ASSERT_TRUE(ButtonOf(a.page).isEnabled());
    auto listener = Listen(a.b);
    a.Set();
    EXPECT_TRUE(listener->changed.empty());
    EXPECT_EQ(a.b.Events().Count(FrameEvent::kParametersChanged), 0u);
    EXPECT_TRUE(a.page->PrepareToRelease());
}

TEST(BusAddressPage, SetCommitsTheAddressAndTellsTheFrameOnce) {
    AddressPage a;
    a.b.Online();
    const int32_t committed = a.Value(kAddressPath);
    const int32_t wanted = committed == 42 ? 43 : 42;
    Type(a.Local(), QString::number(wanted));
    EXPECT_EQ(a.Value(kLocalAddressPath), wanted);
    EXPECT_EQ(a.Value(kAddressPath), committed);
    auto listener = Listen(a.b);
    a.Set();
    EXPECT_EQ(a.Value(kAddressPath), wanted);
    EXPECT_EQ(a.Value(kLocalAddressPath), wanted);
    EXPECT_FALSE(a.b.Gui().HoldsUncommittedInput());
    EXPECT_GE(listener->ChangesOf(kLocalAddressPath), 1u);
    EXPECT_EQ(listener->ChangesOf(kAddressPath), 1u);
    EXPECT_EQ(a.b.Events().Count(FrameEvent::kParametersChanged), 1u);
    // The frame's copy is the whole data set's parameter document, with the new address.
    pugi::xml_document document;
    ASSERT_TRUE(document.load_string(a.b.Container().ParameterDocument().c_str()));
    EXPECT_STREQ(
        document.select_node("/FDT/DtmVariables").node().attribute("parameterPath").value(), "");
    EXPECT_GT(document.select_nodes("/FDT/DtmVariables/DtmVariable").size(), 100u);
    for (const char* path : {kAddressPath, kLocalAddressPath}) {
        const std::string query = std::string("/FDT/DtmVariables/DtmVariable[@name='") + path +
                                  "']/fdt:Value/fdt:Display";
        EXPECT_EQ(document.select_node(query.c_str()).node().attribute("string").value(),
                  std::to_string(wanted))
            << path;
    }
    a.b.Settle();
    EXPECT_TRUE(a.b.device->Log().empty());
    // Leaving after Set keeps the new address in both, and reports nothing more.
    listener->changed.clear();
    EXPECT_TRUE(a.page->PrepareToRelease());
    EXPECT_EQ(a.Value(kAddressPath), wanted);
    EXPECT_EQ(a.Value(kLocalAddressPath), wanted);
    EXPECT_EQ(listener->ChangesOf(kAddressPath), 0u);
}

TEST(BusAddressPage, LeavingWithoutSetDropsTheEdit) {
    AddressPage a;
    const int32_t committed = a.Value(kAddressPath);
    Type(a.Local(), QString::number(committed == 42 ? 43 : 42));
    EXPECT_NE(a.Value(kLocalAddressPath), committed);
    EXPECT_TRUE(a.b.Gui().HoldsUncommittedInput());
    auto listener = Listen(a.b);
    EXPECT_TRUE(a.page->PrepareToRelease());
    EXPECT_FALSE(a.b.Gui().HoldsUncommittedInput());
    EXPECT_EQ(a.Value(kLocalAddressPath), committed);
    EXPECT_EQ(listener->ChangesOf(kAddressPath), 1u);
    // The next page shows the committed address.
    HostedPage again = OpenPage(a.b, "ctlAddress");
    EXPECT_EQ(RowOf(*again.page, kLocalAddressPath).Value().toLong(), committed);
    EXPECT_TRUE(again->PrepareToRelease());
}

TEST(BusAddressPage, LeavingWithoutAnEditReportsNothing) {
    AddressPage a;
    auto listener = Listen(a.b);
    EXPECT_TRUE(a.page->PrepareToRelease());
    EXPECT_TRUE(listener->changed.empty());
}

TEST(CommitPages, PendingEditsAreTakenOverBeforeTheCommit) {
    {
        AddressPage a;
        const int32_t committed = a.Value(kAddressPath);
        const int32_t wanted = committed == 42 ? 43 : 42;
        TypePending(a.Local(), QString::number(wanted));
        a.Set();
        EXPECT_EQ(a.Value(kAddressPath), wanted);
        EXPECT_EQ(a.b.Events().Count(FrameEvent::kParametersChanged), 1u);
        EXPECT_TRUE(a.page->PrepareToRelease());
    }
    {
        AddressPage a;
        a.b.Gui().SetLocked(true);
        EXPECT_FALSE(ButtonOf(a.page).isEnabled());
        a.b.Gui().SetLocked(false);
        EXPECT_TRUE(ButtonOf(a.page).isEnabled());
        EXPECT_TRUE(a.page->PrepareToRelease());
    }
}

// A row that holds refused input refuses Set and Save as it refuses the page's write: the typed
// text stays, nothing is committed, and a status text names the row.
TEST(CommitPages, RefusedInputInTheRowRefusesTheCommit) {
    for (const bool pending : {false, true}) {
        SCOPED_TRACE(pending ? "pending" : "entered");
        AddressPage a;
        const int32_t committed = a.Value(kAddressPath);
        Type(a.Local(), "5");
        ASSERT_EQ(a.Value(kLocalAddressPath), 5);
        if (pending)
            TypePending(a.Local(), "127");
        else
            Type(a.Local(), "127");
        EXPECT_EQ(a.Local().StatusIcon(), "RangeErr");
        a.b.Clear();
        auto listener = Listen(a.b);
        a.Set();
        EXPECT_EQ(a.Value(kAddressPath), committed);
        EXPECT_EQ(a.Value(kLocalAddressPath), 5);
        EXPECT_TRUE(listener->changed.empty());
        EXPECT_EQ(a.b.Events().Count(FrameEvent::kParametersChanged), 0u);
        EXPECT_EQ(a.Local().Value().toString(), "127");
        ASSERT_EQ(a.b.prompt->messages.size(), 1u);
        EXPECT_EQ(a.b.prompt->messages[0], "Nothing has been taken over. " + a.Local().LabelText() +
                                               ": " + a.Local().IconToolTip());
        // Corrected input is set: the status text says so in place of the refusal, and the
        // row no longer shows the taken value as changed.
        Type(a.Local(), "7");
        EXPECT_EQ(a.Local().StatusIcon(), "Changed");
        a.Set();
        EXPECT_EQ(a.Value(kAddressPath), 7);
        EXPECT_EQ(a.b.Events().Count(FrameEvent::kParametersChanged), 1u);
        ASSERT_EQ(a.b.prompt->messages.size(), 2u);
        EXPECT_EQ(a.b.prompt->messages[1],
                  GetDictionaryText(a.b.Ctx(), "ctlAddress_set_status", 7));
        EXPECT_NE(a.Local().StatusIcon(), "Changed");
        EXPECT_TRUE(a.page->PrepareToRelease());
    }
    {
        ChannelPage c;
        Choose(c.Configuration(), 3);
        const Variant before = c.b.At(kBusMasterConfigurationPartPath).TransientValue();
        const std::set<std::string> channels = ActiveChannels(c.b);
        // What the link leaves while its row holds input the element refused.
        c.b.At(kCfgDataPath).SetStatusFlag(0x4000);
        c.Configuration().SetIconToolTip("Value out of range, 1..7");
        c.b.Clear();
        c.Save();
        EXPECT_EQ(c.b.At(kBusMasterConfigurationPartPath).TransientValue(), before);
        EXPECT_EQ(ActiveChannels(c.b), channels);
        EXPECT_TRUE(c.b.prompt->questions.empty());
        EXPECT_EQ(c.b.Events().Count(FrameEvent::kRequestSave), 0u);
        ASSERT_EQ(c.b.prompt->messages.size(), 1u);
        EXPECT_EQ(c.b.prompt->messages[0], "Nothing has been taken over. " +
                                               c.Configuration().LabelText() +
                                               ": Value out of range, 1..7");
        c.b.At(kCfgDataPath).ClearStatusFlag(0x4000);
        c.Save();
        EXPECT_NE(c.b.At(kBusMasterConfigurationPartPath).TransientValue(), before);
        EXPECT_EQ(c.b.prompt->questions.size(), 1u);
        EXPECT_TRUE(c.page->PrepareToRelease());
    }
}

}  // namespace
}  // namespace kv
