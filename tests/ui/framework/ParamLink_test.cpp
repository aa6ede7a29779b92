// The parameter link with rows that have no window: binding with placeholders, the control type,
// an unbound row, the lock, the language texts and short help, the status icons with their range
// texts, bit lists both ways, commits of edits and of device commands, the row's events, help,
// validation and unbinding.

#include "ui/framework/clsParamLink.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/DataModelHelpers.h"
#include "core/clsDataElement.h"
#include "platform/runtime/DTMContext.h"
#include "platform/runtime/IOnlineParameterService.h"
#include "support/FakeParameterRow.h"
#include "support/ModelContext.h"
#include "value/NumberText.h"

namespace kv {
namespace {

using test_support::DictionaryDoc;
using test_support::FakeHelpPane;
using test_support::FakeImages;
using test_support::FakeParameterRow;
using test_support::ModelContext;
using test_support::TempFolder;

constexpr int32_t kGrayText = static_cast<int32_t>(0x80000011u);

// The online service as far as a command row uses it.
class FakeOnline : public IOnlineParameterService {
  public:
    int32_t OnlineMode() const override { return mode; }
    bool StartCommand(const std::string& processId, IPrivateDataElement& element,
                      std::weak_ptr<IPrivateProcess> callback) override {
        started.emplace_back(processId, element.Name());
        this->callback = callback;
        return accept;
    }
    bool CancelProcess(const std::string& processId) override {
        cancelled.push_back(processId);
        return true;
    }
    int32_t mode = 0;
    bool accept = true;
    std::vector<std::pair<std::string, std::string>> started;
    std::vector<std::string> cancelled;
    std::weak_ptr<IPrivateProcess> callback;
};

class LinkTest : public ::testing::Test {
  protected:
    LinkTest() : ctx((WriteDictionary(), folder.path)) {
        ctx.dictionary->Load(ctx.context, "DTMDictionary");
        // Rows show and read numbers in the language's form: German writes "1,5".
        ctx.dictionary->SetLanguage(langGerman, false);
        ctx.context.SetUserManager(user);
        ctx.context.SetOnlineParameterService(online);
        prototype->bOnlineMode = true;
    }
    ~LinkTest() override {
        for (auto& link : links)
            link->TerminateLink();
        EXPECT_TRUE(ctx.context.Diagnostics().Empty()) << ctx.context.Diagnostics().Text();
    }
    void WriteDictionary() {
        for (int language : {7, 9})
            folder.Write("DTMDictionary_" + std::to_string(language) + ".xml",
                         DictionaryDoc(language, Keys()));
    }
    static std::string Keys() {
        return R"~(<keys>
            <entry key="paramhelp_menuitem" text="Help"/>
            <entry key="paramhelp_shortcut" text="F1"/>
            <entry key="paramicon_CommErr" text="tip CommErr"/>
            <entry key="paramicon_AnyErr" text="tip AnyErr"/>
            <entry key="paramicon_RangeErr" text="Out of range"/>
            <entry key="paramicon_InputErr" text="tip InputErr"/>
            <entry key="paramicon_Needed" text="tip Needed"/>
            <entry key="paramicon_Changed" text="tip Changed"/>
            <entry key="paramicon_Dynamic" text="tip Dynamic"/>
            <entry key="paramicon_Optional" text="tip Optional"/>
            <entry key="paramicon_Locked" text="tip Locked"/>
            <entry key="paramicon_Initial" text="tip Initial"/>
            <entry key="paramicon_Saved" text="tip Saved"/>
            <entry key="paramicon_OnlineValue" text="tip OnlineValue"/>
            <entry key="exec_this_cmd_now" text="Run &quot;%1&quot; now? (%1)"/>
            <entry key="command_already_active" text="already running"/>
            <entry key="cmderr_not_connected" text="not connected"/>
          </keys>)~";
    }
    clsDataElement& Add(const std::string& path, int32_t type, const Variant& initial,
                        int32_t length = -1) {
        clsDataElement& e = AddDataElement(*ctx.data, path, initial, type, length);
        e.SetControlType(0);  // the row's type is derived unless a test gives one
        e.InitNew();
        return e;
    }
    std::shared_ptr<clsParamLink> Bind(FakeParameterRow& row) {
        auto link = std::static_pointer_cast<clsParamLink>(prototype->GetNewParamLink());
        row.SetEvents(link);
        link->InitLink(ctx.context, row, images, "");
        links.push_back(link);
        return link;
    }
    // An element that is a device command.
    clsDataElement& AddCommand(const std::string& path) {
        clsDataElement& e = Add(path, vtUnsigned8, Variant(uint8_t{1}), 1);
        e.SetElementMode(emUpload | emDownload | emDeviceCommand);
        return e;
    }
    // Binds and shows the row as the site does after its set-up.
    std::shared_ptr<clsParamLink> Show(FakeParameterRow& row) {
        auto link = Bind(row);
        link->InitLanguageDependent(9);
        link->UpdateParameter();
        return link;
    }
    size_t Changes(const std::string& path) const {
        return static_cast<size_t>(
            std::count(ctx.gui->changed.begin(), ctx.gui->changed.end(), path));
    }

    TempFolder folder;
    ModelContext ctx;
    std::shared_ptr<FixedUserManager> user = std::make_shared<FixedUserManager>(3);
    std::shared_ptr<FakeOnline> online = std::make_shared<FakeOnline>();
    FakeImages images;
    std::shared_ptr<clsParamLink> prototype = std::make_shared<clsParamLink>();
    std::vector<std::shared_ptr<clsParamLink>> links;
};

// --- binding ---

TEST_F(LinkTest, PlaceholdersAreReplacedEverywhereAndCopiedFromThePrototype) {
    Add("TRANS/2/Act/LIN_TYPE", vtUnsigned8, Variant(uint8_t{0}), 1);
    Add("C7/2/2/x/xB", vtUnsigned8, Variant(uint8_t{0}), 1);
    prototype->index = 2;
    prototype->channel = "C7";
    prototype->Prefix = "xB";
    prototype->bDisplayDPV1Index = true;
    FakeParameterRow row("TRANS/%d/Act/LIN_TYPE");
    auto link = Bind(row);
    ASSERT_NE(link->DataElement(), nullptr);
    EXPECT_EQ(link->DataElement()->Name(), "TRANS/2/Act/LIN_TYPE");
    EXPECT_TRUE(link->bOnlineMode);
    EXPECT_TRUE(link->bDisplayDPV1Index);
    EXPECT_EQ(link->ParameterCtl(), &row);

    FakeParameterRow all("%ch/%d/%d/x/%blk");
    EXPECT_EQ(Bind(all)->DataElement()->Name(), "C7/2/2/x/xB");
}

TEST_F(LinkTest, ARowBoundToNoElementIsDisabledShowsItsTagAndIsNeverUsed) {
    prototype->index = 3;
    FakeParameterRow row("TRANS/%d/Act/LIN_TYPE");
    row.SetValue(Variant("typed"));
    auto link = Show(row);
    EXPECT_EQ(link->DataElement(), nullptr);
    EXPECT_EQ(link->BoundElement(), nullptr);
    EXPECT_FALSE(row.Enabled());
    EXPECT_EQ(row.LabelText(), "TRANS/3/Act/LIN_TYPE");
    EXPECT_EQ(row.MenuItemCount(), 0);
    // Nothing that reaches it does anything, and nothing fails.
    link->OnStartEdit();
    link->OnChange();
    link->OnEndEdit(true);
    link->OnClick();
    link->HandleParameterChange();
    link->ValidateParameter();
    link->OnProcessFinished("x", true);
    EXPECT_EQ(row.LabelText(), "TRANS/3/Act/LIN_TYPE");
    EXPECT_TRUE(ctx.gui->changed.empty());
    EXPECT_TRUE(ctx.prompt->questions.empty());
    link->TerminateLink();
    EXPECT_TRUE(row.Enabled());
}

TEST_F(LinkTest, TheControlTypeComesFromTheElementOrItsType) {
    struct Case {
        int32_t elementType;  // ControlType of the element
        int32_t rowType;      // the designer's
        int32_t valueType;
        int32_t mode;
        int32_t expected;
    };
    const std::vector<Case> cases = {
        {4, 1, vtUnsigned16, 0x3, 4},  // the element's type replaces the designer's
        {3, 5, vtUnsigned16, 0x7, 5},  // but never a command button
        {0, 0, vtUnsigned16, 0x7, 5},  // a device command
        {0, 0, vtUnsigned8, 0x3, 3},  {0, 0, vtByte, 0x3, 2},
        {0, 0, vtInteger16, 0x3, 1},  {0, 0, vtDouble, 0x3, 1},
        {0, 0, vtDateTime, 0x3, 1},   {0, 0, vtVisibleString, 0x3, 1},
        {0, 0, vtUnsigned32, 0x3, 1}, {0, 0, vtUnsigned16, 0x3, 0},
        {0, 0, vtUnsigned24, 0x3, 0}, {0, 0, vtOctetString, 0x3, 0},
        {0, 4, vtUnsigned8, 0x3, 4},  // the designer's type stays
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string path = "E" + std::to_string(n++);
        clsDataElement& e = Add(path, c.valueType, Variant(int16_t{0}));
        e.SetControlType(c.elementType);
        e.SetElementMode(c.mode);
        FakeParameterRow row(path);
        row.SetControlType(c.rowType);
        Bind(row);
        EXPECT_EQ(row.ControlType(), c.expected) << path;
    }
}

TEST_F(LinkTest, BindingSetsUpTheRowFromTheElement) {
    clsDataElement& text = Add("TAG", vtVisibleString, Variant("AB"), 8);
    text.bPackedCoding = true;
    text.SetParamOptional(true);
    text.SetStatusFlag(sfEditedOnline);
    FakeParameterRow row("TAG");
    Bind(row);
    EXPECT_EQ(row.ValueMaxLength(), 8);
    EXPECT_TRUE(row.ValueUpperCase());
    EXPECT_EQ(row.ForeColor(), kGrayText);
    EXPECT_EQ(row.ValueForeColor(), kGrayText);
    EXPECT_EQ(row.MenuItemCount(), 1);
    EXPECT_EQ(row.locale.decimal, ',');
    // An edit not yet written stays marked when a page shows it again.
    EXPECT_NE(text.StatusFlags() & sfEditedOnline, 0);

    Add("PLAIN", vtVisibleString, Variant("AB"), -1);
    FakeParameterRow plain("PLAIN");
    Bind(plain);
    EXPECT_EQ(plain.ValueMaxLength(), 0);
    EXPECT_FALSE(plain.ValueUpperCase());
    EXPECT_EQ(plain.ForeColor(), 0);
}

// --- lock ---

TEST_F(LinkTest, TheLockFollowsProtectionAndUserLevelButNeverADesignedLock) {
    clsDataElement& e = Add("V", vtInteger16, Variant(int16_t{1}));
    FakeParameterRow row("V");
    auto link = Show(row);
    EXPECT_FALSE(row.Locked());
    e.SetStatusFlag(sfWriteProtected);
    link->UpdateParameter();
    EXPECT_TRUE(row.Locked());
    e.ClearStatusFlag(sfWriteProtected);
    e.RequiredUserLevel = 4;
    link->UpdateParameter();
    EXPECT_TRUE(row.Locked());
    EXPECT_EQ(row.StatusIcon(), "Locked");
    EXPECT_EQ(row.IconToolTip(), "tip Locked");
    e.RequiredUserLevel = 1;
    link->UpdateParameter();
    EXPECT_FALSE(row.Locked());
    // Nor does a value that the device only reports take a typed value.
    e.SetElementMode(emUpload);
    link->UpdateParameter();
    EXPECT_TRUE(row.Locked());
    e.SetElementMode(emUpload | emDownload);
    link->UpdateParameter();
    EXPECT_FALSE(row.Locked());

    FakeParameterRow display("V");
    display.SetLocked(true);
    auto shown = Show(display);
    shown->UpdateParameter();
    EXPECT_TRUE(display.Locked());
    shown->TerminateLink();
    EXPECT_TRUE(display.Locked());  // a display row stays locked
    link->TerminateLink();
    e.SetStatusFlag(sfWriteProtected);
    EXPECT_FALSE(row.Locked());
}

// --- language ---

TEST_F(LinkTest, LanguageTextsAndShortHelp) {
    clsDataElement& e = Add("V", vtFloat, Variant(1.5f));
    e.Label = "Stroke";
    e.RelIndex = 12;
    e.ValueList = "0:Off|1:On";
    e.nTransientUnit = 1013;
    e.Help = std::string(80, 'h');
    FakeParameterRow row("V");
    prototype->bDisplayDPV1Index = true;
    Show(row);
    EXPECT_EQ(row.LabelText(), "12: Stroke");
    EXPECT_EQ(row.ValueList(), "0:Off|1:On");
    EXPECT_EQ(row.UnitText(), "mm");
    EXPECT_EQ(row.MenuItemText(1), "Help\tF1");
    EXPECT_EQ(row.HelpText(), std::string(66, 'h') + " ... (-> F1)");

    // 70 characters stay whole; the description stands in for a missing help.
    e.Help = std::string(70, 'h');
    auto link = links.back();
    link->InitLanguageDependent(9);
    EXPECT_EQ(row.HelpText(), std::string(70, 'h') + " (-> F1)");
    e.Help = "";
    e.Description = "Travel";
    link->InitLanguageDependent(9);
    EXPECT_EQ(row.HelpText(), "Travel (-> F1)");

    // Characters are counted, not the bytes of their UTF-8 form.
    std::string umlauts;
    for (int i = 0; i < 71; ++i)
        umlauts += "\xC3\xA4";  // U+00E4
    e.Help = umlauts;
    link->InitLanguageDependent(9);
    EXPECT_EQ(row.HelpText(), umlauts.substr(0, 132) + " ... (-> F1)");

    FakeParameterRow noIndex("V");
    prototype->bDisplayDPV1Index = true;
    e.RelIndex = -1;
    Show(noIndex);
    EXPECT_EQ(noIndex.LabelText(), "Stroke");

    // The number form follows the language.
    EXPECT_EQ(row.locale.decimal, ',');
    ctx.dictionary->SetLanguage(langEnglish, false);
    link->InitLanguageDependent(9);
    EXPECT_EQ(row.locale.decimal, '.');
}

// --- status icons ---

TEST_F(LinkTest, TheFirstMatchingLineOfTheIconTableWins) {
    struct Case {
        int32_t flags;
        bool device;
        bool saved;
        std::string icon;
        std::string tip;
    };
    const std::vector<Case> cases = {
        {0x30000 | 0x4004, false, false, "CommErr", "tip CommErr"},
        {0x200000 | 0x8, true, false, "AnyErr", "tip AnyErr"},
        {0x4000 | 0x4, false, false, "RangeErr", "Out of range"},
        {0x2000 | 0x8, false, false, "InputErr", "tip InputErr"},
        {0x8 | 0x4, false, false, "Needed", "tip Needed"},
        {0x4 | 0x2, false, false, "Changed", "tip Changed"},
        {0, false, false, "Initial", "tip Initial"},
        {0, false, true, "SavedValue", "tip Saved"},
        {0, true, false, "OnlineValue", "tip OnlineValue"},
        {0, true, true, "SavedValue", "tip Saved"},
    };
    clsDataElement& e = Add("V", vtVisibleString, Variant(""));
    FakeParameterRow row("V");
    auto link = Bind(row);
    for (const Case& c : cases) {
        e.SetDeviceValue(c.device ? Variant("") : Variant());
        e.SetPersistentValue(c.saved ? Variant("") : Variant());
        e.SetStatusFlags(c.flags);
        // The language refresh chooses the icon from the flags as they are.
        link->InitLanguageDependent(9);
        EXPECT_EQ(row.StatusIcon(), c.icon) << std::hex << c.flags;
        EXPECT_EQ(row.IconToolTip(), c.tip) << std::hex << c.flags;
    }
    e.SetStatusFlags(0x100000);
    e.CmdErr = "Access denied";
    link->InitLanguageDependent(9);
    EXPECT_EQ(row.IconToolTip(), "Access denied");

    // Optional before the user level, both after every flag.
    e.SetStatusFlags(0);
    e.SetParamOptional(true);
    e.RequiredUserLevel = 9;
    link->InitLanguageDependent(9);
    EXPECT_EQ(row.StatusIcon(), "OptionalParam");
    e.SetParamOptional(false);
    link->InitLanguageDependent(9);
    EXPECT_EQ(row.StatusIcon(), "Locked");

    // A picture the site lacks shows the blank one.
    e.RequiredUserLevel = 1;
    e.SetDeviceValue(Variant());
    e.SetPersistentValue(Variant());
    images.keys.erase("Initial");
    link->InitLanguageDependent(9);
    EXPECT_EQ(row.StatusIcon(), "Blank");
}

TEST_F(LinkTest, UpdateShowsTheValueAndJudgesItsFlags) {
    clsDataElement& e = Add("V", vtInteger16, Variant(int16_t{5}));
    e.SetRange(0, Variant(int16_t{0}), Variant(int16_t{10}));
    e.ValueFormat = "0.0";
    FakeParameterRow row("V");
    Show(row);
    EXPECT_EQ(row.Value().toLong(), 5);
    EXPECT_EQ(row.ValueFormat(), "0.0");
    EXPECT_EQ(row.StatusIcon(), "Initial");
    EXPECT_TRUE(row.Visible());

    // Changed and out of range: the range error shows.
    e.SetTransientValue(Variant(int16_t{11}));
    links.back()->UpdateParameter();
    EXPECT_EQ(e.StatusFlags() & 0xF004, 0x4004);
    EXPECT_EQ(row.StatusIcon(), "RangeErr");
    EXPECT_EQ(row.IconToolTip(), "Out of range, 0..10");

    e.SetValidity(false);
    links.back()->UpdateParameter();
    EXPECT_FALSE(row.Visible());

    // A float that is no finite number (a damaged project's "nan") is not a number.
    clsDataElement& f = Add("F", vtFloat, Variant(std::numeric_limits<float>::quiet_NaN()));
    FakeParameterRow nan("F");
    Show(nan);
    EXPECT_EQ(f.StatusFlags() & sfInputErrorMask, 0x2000);
    EXPECT_EQ(nan.StatusIcon(), "InputErr");

    // A command row shows no icon of its own.
    clsDataElement& cmd = AddCommand("CMD");
    FakeParameterRow command("CMD");
    Show(command);
    EXPECT_EQ(command.ControlType(), 5);
    EXPECT_EQ(command.StatusIcon(), "Blank");
    EXPECT_EQ(cmd.StatusFlags() & sfChanged, 0);

    // An octet string is shown as hex digits.
    Add("OCT", vtOctetString, Variant(std::vector<uint8_t>{0x0A, 0xFF}), 2);
    FakeParameterRow octets("OCT");
    Show(octets);
    EXPECT_EQ(octets.Value().str(), "0AFF");
}

TEST_F(LinkTest, RangeTextsAreInTheUnitTheRowShows) {
    clsDataElement& e = Add("LEN", vtFloat, Variant(0.5f));
    e.nInitUnit = 1010;  // m
    e.SetRange(0, Variant(0.0), Variant(1.0));
    e.SetRange(1, Variant(2.0), Variant());
    e.InitNew();
    e.nTransientUnit = 1013;  // mm
    e.SetTransientValue(Variant(1500.0f));
    FakeParameterRow row("LEN");
    Show(row);
    EXPECT_EQ(row.StatusIcon(), "RangeErr");
    EXPECT_EQ(row.IconToolTip(), "Out of range, 0..1000, 2000..");

    // An unknown unit (1998) shows the limits as they are, with the language's separator.
    e.SetRange(0, Variant(0.0), Variant(1.5));
    e.nTransientUnit = 1998;
    e.SetTransientValue(Variant(1.8f));
    links.back()->UpdateParameter();
    EXPECT_EQ(row.IconToolTip(), "Out of range, 0..1,5, 2..");

    // A limit that is no number is shown as it is.
    e.SetRange(0, Variant("low"), Variant(1.0));
    e.nTransientUnit = 1013;
    links.back()->UpdateParameter();
    EXPECT_EQ(row.IconToolTip(), "Out of range, low..1000, 2000..");
}

TEST_F(LinkTest, DynamicIconsAlternateOnEveryRefresh) {
    clsDataElement& e = Add("V", vtFloat, Variant(1.0f));
    e.SetParamDynamic(true);
    FakeParameterRow row("V");
    auto link = Bind(row);
    link->UpdateParameter();
    EXPECT_EQ(row.StatusIcon(), "Dynamic1");
    EXPECT_EQ(row.IconToolTip(), "tip Dynamic");
    link->UpdateParameter();
    EXPECT_EQ(row.StatusIcon(), "Dynamic2");
    link->UpdateParameter();
    EXPECT_EQ(row.StatusIcon(), "Dynamic1");
}

TEST_F(LinkTest, ARowThatShowsTheDeviceShowsItsValueInItsUnitBesideTheProjects) {
    // The project's tag and scale end, written by a download, and the device's beside them.
    clsDataElement& tag = Add("TAG", vtVisibleString, Variant(""), 32);
    tag.SetElementMode(emUpload | emDownload);
    tag.SetTransientValue(Variant("FV-200"));
    tag.SetPersistentValue(Variant("FV-200"));
    tag.SetDeviceValue(Variant("-/-"));
    clsDataElement& up = Add("UP", vtFloat, Variant(100.0f));
    up.SetElementMode(emUpload | emDownload);
    up.nTransientUnit = 1342;  // %
    up.SetDeviceValue(Variant(15.0f));
    up.nDeviceUnit = 1013;  // mm
    // A value only read from the device: reads take it, whoever reads.
    clsDataElement& readback = Add("RB", vtFloat, Variant(0.0f));
    readback.SetElementMode(emUpload);
    FakeParameterRow projectTag("TAG"), projectUp("UP"), projectReadback("RB");
    auto projectTagLink = Show(projectTag);
    auto projectUpLink = Show(projectUp);
    auto projectReadbackLink = Show(projectReadback);
    prototype->bShowDevice = true;
    FakeParameterRow deviceTag("TAG"), deviceUp("UP");
    deviceTag.SetLocked(true);
    auto deviceTagLink = Show(deviceTag);
    auto deviceUpLink = Show(deviceUp);

    EXPECT_EQ(projectTag.Value().str(), "FV-200");
    EXPECT_EQ(projectTag.StatusIcon(), "SavedValue");
    // The device's value is no edit of the project: not changed.
    EXPECT_EQ(deviceTag.Value().str(), "-/-");
    EXPECT_EQ(deviceTag.StatusIcon(), "SavedValue");
    EXPECT_EQ(projectUp.Value().toDouble(), 100.0);
    EXPECT_EQ(projectUp.UnitText(), "%");
    EXPECT_EQ(deviceUp.Value().toDouble(), 15.0);
    EXPECT_EQ(deviceUp.UnitText(), "mm");
    deviceUpLink->InitLanguageDependent(9);
    EXPECT_EQ(deviceUp.UnitText(), "mm");

    // Refreshes that only show the device: their rows show the values changing, the
    // project's rows only where the reads take the value.
    for (clsDataElement* e : {&tag, &readback})
        e->AddDynamicMark(true);
    for (auto* link : {projectTagLink.get(), deviceTagLink.get(), projectReadbackLink.get()})
        link->UpdateParameter();
    EXPECT_EQ(projectTag.StatusIcon(), "SavedValue");
    EXPECT_EQ(deviceTag.StatusIcon(), "Dynamic1");
    EXPECT_EQ(projectReadback.StatusIcon(), "Dynamic1");
    // A refresh that takes the values (a cyclic parameter page's) changes the project's tag.
    tag.AddDynamicMark(false);
    projectTagLink->UpdateParameter();
    EXPECT_EQ(projectTag.StatusIcon(), "Dynamic1");
    tag.RemoveDynamicMark(false);
    tag.RemoveDynamicMark(true);
    readback.RemoveDynamicMark(true);
    EXPECT_FALSE(tag.ParamDynamic());
    projectTagLink->UpdateParameter();
    deviceTagLink->UpdateParameter();
    EXPECT_EQ(projectTag.StatusIcon(), "SavedValue");
    EXPECT_EQ(deviceTag.StatusIcon(), "SavedValue");

    // An edit of the row waits to be written: the row shows it until then; a locked row goes
    // on showing the device.
    deviceUp.Type("20");
    deviceUp.Enter();
    deviceUpLink->UpdateParameter();  // as the change reaches the page's rows
    EXPECT_EQ(up.TransientValue().toDouble(), 20.0);
    EXPECT_EQ(deviceUp.Value().toDouble(), 20.0);
    EXPECT_EQ(deviceUp.UnitText(), "%");
    EXPECT_EQ(deviceUp.StatusIcon(), "Changed");
    tag.SetStatusFlag(sfEditedOnline);
    deviceTagLink->UpdateParameter();
    EXPECT_EQ(deviceTag.Value().str(), "-/-");
    // Nothing read from the device yet: the row shows the data set's value.
    tag.SetDeviceValue(Variant());
    deviceTagLink->UpdateParameter();
    EXPECT_EQ(deviceTag.Value().str(), "FV-200");
}

// --- bit lists ---

TEST_F(LinkTest, BitListsBothWays) {
    clsDataElement& u8 = Add("U8", vtUnsigned8, Variant(uint8_t{0}), 1);
    u8.SetControlType(4);
    u8.ValueList = "0:A|1:B|8:None";
    EXPECT_EQ(ParamBitListText(u8, Variant(uint8_t{0})), "0|0|0|0|0|0|0|0|1");
    EXPECT_EQ(ParamBitListText(u8, Variant(uint8_t{5})), "1|0|1|0|0|0|0|0");
    EXPECT_EQ(ParamBitListValue(u8, "0|0|0|0|0|0|0|0|1").toLong(), 0);
    EXPECT_EQ(ParamBitListValue(u8, "1|1|0|0|0|0|0|0|0").toLong(), 3);
    EXPECT_EQ(ParamBitListValue(u8, "1|1|0|0|0|0|0|0|0").type(), VarType::Byte);
    // Without its control type the element has no entry for "no bit set".
    u8.SetControlType(0);
    EXPECT_EQ(ParamBitListText(u8, Variant(uint8_t{0})), "0|0|0|0|0|0|0|0");
    EXPECT_TRUE(ParamBitListValue(u8, "0|0|0|0|0|0|0|0|1").isNull());  // 256 is no byte

    const std::string ones = "1|1|1|1|1|1|1|1|1|1|1|1|1|1|1|1|1|1|1|1|1|1|1|1|1|1|1|1|1|1|1|1";
    clsDataElement& i32 = Add("I32", vtInteger32, Variant(int32_t{0}), 4);
    clsDataElement& u32 = Add("U32", vtUnsigned32, Variant(0.0), 4);
    EXPECT_EQ(ParamBitListValue(i32, ones).toLong(), -1);
    EXPECT_EQ(ParamBitListValue(u32, ones).toDouble(), 4294967295.0);
    EXPECT_EQ(ParamBitListText(i32, Variant(int32_t{-1})), ones);
    EXPECT_EQ(ParamBitListText(u32, Variant(4294967295.0)), ones);
    // Entries from 31 on stand for bit 31; a long list does not overflow.
    EXPECT_EQ(ParamBitListValue(i32, ones + "|1|1").toLong(), -1);

    clsDataElement& i16 = Add("I16", vtInteger16, Variant(int16_t{0}), 2);
    const Variant top = ParamBitListValue(i16, "0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|1");
    EXPECT_EQ(top.type(), VarType::Integer);
    EXPECT_EQ(top.toLong(), -32768);
    EXPECT_EQ(ParamBitListText(i16, Variant(int16_t{-1})).size(), 31u);

    clsDataElement& oct = Add("OCT/", vtOctetString, Variant(std::vector<uint8_t>{0, 0, 0}), 3);
    oct.SetControlType(4);
    oct.ValueList = "0:A|9:B|24:none";
    const std::string none = ParamBitListText(oct, Variant(std::vector<uint8_t>{0, 0, 0}));
    EXPECT_EQ(none, "0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|1");
    const Variant back = ParamBitListValue(oct, none);
    ASSERT_TRUE(back.isByteArray());
    EXPECT_EQ(back.bytes().bytes, (std::vector<uint8_t>{0, 0, 0}));
    const Variant bits = ParamBitListValue(oct, "1|0|0|0|0|0|0|0|0|1");
    EXPECT_EQ(bits.bytes().bytes, (std::vector<uint8_t>{0x01, 0x02, 0x00}));

    EXPECT_TRUE(ParamBitListValue(Add("F", vtFloat, Variant(0.0f)), "1").isNull());
    EXPECT_EQ(ParamBitListText(u32, Variant(1e12)), "");
}

TEST_F(LinkTest, ABitListRowShowsAndCommitsItsBits) {
    clsDataElement& e = Add("U8", vtUnsigned8, Variant(uint8_t{0}), 1);
    e.SetControlType(4);
    e.ValueList = "0:A|1:B|8:None";
    FakeParameterRow row("U8");
    Show(row);
    EXPECT_EQ(row.Value().str(), "0|0|0|0|0|0|0|0|1");
    row.Choose(Variant("0|1|0|0|0|0|0|0|1"));
    EXPECT_EQ(e.TransientValue().toLong(), 2);
    EXPECT_EQ(Changes("U8"), 1u);
    EXPECT_NE(e.StatusFlags() & sfEditedOnline, 0);
}

// --- edits ---

TEST_F(LinkTest, TypingCommitsAtTheEndOfTheEditOnlyWhatIsNewAndValid) {
    clsDataElement& e = Add("V", vtInteger16, Variant(int16_t{5}));
    e.SetRange(0, Variant(int16_t{0}), Variant(int16_t{10}));
    FakeParameterRow row("V");
    auto link = Show(row);

    row.Type("abc");
    EXPECT_TRUE(link->Editing());
    EXPECT_EQ(e.StatusFlags() & sfInputErrorMask, 0x2000);
    EXPECT_EQ(row.StatusIcon(), "InputErr");
    row.Type("12");
    EXPECT_EQ(row.StatusIcon(), "RangeErr");
    row.Enter();
    EXPECT_FALSE(link->Editing());
    EXPECT_EQ(e.TransientValue().toLong(), 5);  // not committed: the input stays in the row
    EXPECT_EQ(row.Value().str(), "12");
    EXPECT_EQ(Changes("V"), 0u);

    row.Type("7");
    EXPECT_EQ(row.StatusIcon(), "Changed");
    row.Enter();
    EXPECT_EQ(e.TransientValue().type(), VarType::Integer);
    EXPECT_EQ(e.TransientValue().toLong(), 7);
    EXPECT_NE(e.StatusFlags() & sfEditedOnline, 0);
    EXPECT_EQ(Changes("V"), 1u);

    // The same value again commits nothing and reports nothing.
    row.Type("7");
    row.Enter();
    EXPECT_EQ(Changes("V"), 1u);
}

TEST_F(LinkTest, BothEndsOfASinglesRangeAreTakenWhenTyped) {
    clsDataElement& e = Add("TRAVEL_LIMIT_LOW", vtFloat, Variant(0.0f));
    e.SetRange(0, Variant(-20.0), Variant(99.9));
    FakeParameterRow row("TRAVEL_LIMIT_LOW");
    auto link = Show(row);
    for (const char* end : {"99.9", "-20"}) {
        SCOPED_TRACE(end);
        row.Type(end);
        EXPECT_EQ(row.StatusIcon(), "Changed");
        row.Enter();
        EXPECT_EQ(e.TransientValue(), Variant(static_cast<float>(Val(end))));
    }
    // So are the ends of the type in their shortest texts, which read as numbers just beyond
    // them; a number nearer to infinity is none.
    clsDataElement& top = Add("PV_SCALE/Up_Val", vtFloat, Variant(0.0f));
    FakeParameterRow topRow("PV_SCALE/Up_Val");
    auto topLink = Show(topRow);
    for (const char* end : {"3.4028235E+38", "-3.4028235e38"}) {
        SCOPED_TRACE(end);
        topRow.Type(end);
        topRow.Enter();
        EXPECT_EQ(top.TransientValue(), Variant(end[0] == '-' ? -FLT_MAX : FLT_MAX));
    }
    topRow.Type("3.5e38");
    EXPECT_EQ(topRow.StatusIcon(), "InputErr");
    topRow.Enter();
    EXPECT_EQ(top.TransientValue(), Variant(-FLT_MAX));
}

TEST_F(LinkTest, AGivenUpEditLeavesNoInputErrorBehind) {
    clsDataElement& e = Add("V", vtInteger16, Variant(int16_t{5}));
    FakeParameterRow row("V");
    FakeParameterRow other("V");  // another page shows the same element
    Show(row);
    Show(other);
    row.Type("abc");
    ASSERT_EQ(e.StatusFlags() & sfInputErrorMask, 0x2000);
    row.Escape();
    EXPECT_EQ(e.StatusFlags() & sfInputErrorMask, 0);
    EXPECT_EQ(row.StatusIcon(), "Initial");
    EXPECT_EQ(ctx.data->DataSetState(), dssValid);
    EXPECT_EQ(e.TransientValue().toLong(), 5);
}

TEST_F(LinkTest, AChoiceCommitsAtOnceButALockedRowNever) {
    clsDataElement& e = Add("L", vtUnsigned8, Variant(uint8_t{0}), 1);
    e.ValueList = "0:Off|1:On";
    FakeParameterRow row("L");
    Show(row);
    EXPECT_EQ(row.ControlType(), 3);
    row.Choose(Variant(int32_t{1}));
    EXPECT_EQ(e.TransientValue().toLong(), 1);
    EXPECT_EQ(e.TransientValue().type(), VarType::Byte);

    clsDataElement& locked = Add("P", vtUnsigned8, Variant(uint8_t{0}), 1);
    FakeParameterRow display("P");
    display.SetLocked(true);
    auto link = Show(display);
    display.SetValue(Variant(int32_t{1}));
    link->OnClick();
    EXPECT_EQ(locked.TransientValue().toLong(), 0);
}

TEST_F(LinkTest, AnUpdateWhileTheUserTypesWaitsForTheEndOfTheEdit) {
    clsDataElement& e = Add("V", vtInteger16, Variant(int16_t{5}));
    e.SetRange(0, Variant(int16_t{0}), Variant(int16_t{10}));
    FakeParameterRow row("V");
    auto link = Show(row);
    clsDataElement& other = Add("W", vtInteger16, Variant(int16_t{1}));
    FakeParameterRow otherRow("W");
    auto otherLink = Show(otherRow);
    // A cyclic refresh and a bulk update alike: the user's text and its input error stay, the
    // other rows show their new values.
    for (const bool bulk : {false, true}) {
        SCOPED_TRACE(bulk ? "bulk update" : "cyclic refresh");
        row.Type("12");
        ASSERT_EQ(row.StatusIcon(), "RangeErr");
        e.SetTransientValue(Variant(int16_t{9}));
        other.SetTransientValue(Variant(int16_t{bulk ? int16_t{3} : int16_t{2}}));
        ctx.data->SetBulkUpdateActive(bulk);
        link->UpdateParameter();
        otherLink->UpdateParameter();
        ctx.data->SetBulkUpdateActive(false);
        EXPECT_EQ(row.Value().str(), "12");
        EXPECT_EQ(row.StatusIcon(), "RangeErr");
        EXPECT_EQ(otherRow.Value().toLong(), bulk ? 3 : 2);
        row.Escape();
        EXPECT_EQ(row.Value().toLong(), 9);  // shown at the end of the edit
        EXPECT_EQ(row.StatusIcon(), "Changed");
    }
    // Committed, the typed value is the element's.
    row.Type("7");
    link->UpdateParameter();
    row.Enter();
    EXPECT_EQ(e.TransientValue().toLong(), 7);
    EXPECT_EQ(row.Value().toLong(), 7);
    // A protection that comes meanwhile ends the edit: nothing is committed.
    row.Type("8");
    e.SetStatusFlag(sfWriteProtected);
    link->UpdateParameter();
    EXPECT_TRUE(row.Locked());
    EXPECT_EQ(row.Value().toLong(), 7);
    row.Enter();
    EXPECT_EQ(e.TransientValue().toLong(), 7);
    e.ClearStatusFlag(sfWriteProtected);
    link->UpdateParameter();

    // So during the frame's upload: the uploaded value is shown when the edit ends.
    online->mode = 1;
    row.Type("6");
    e.SetTransientValue(Variant(int16_t{4}));
    ctx.data->SetBulkUpdateActive(true);
    link->UpdateParameter();
    ctx.data->SetBulkUpdateActive(false);
    EXPECT_EQ(row.Value().str(), "6");
    row.Escape();
    EXPECT_EQ(row.Value().toLong(), 4);
}

TEST_F(LinkTest, ValidationAndThePagesTransferTakeOverOnlyAPendingEdit) {
    clsDataElement& e = Add("V", vtInteger16, Variant(int16_t{5}));
    FakeParameterRow row("V");
    auto link = Show(row);
    link->ValidateParameter();
    link->HandleParameterChange();
    EXPECT_EQ(Changes("V"), 0u);

    row.Type("8");
    link->HandleParameterChange();
    EXPECT_EQ(e.TransientValue().toLong(), 8);
    EXPECT_EQ(Changes("V"), 1u);
    row.Type("9");
    link->ValidateParameter();
    EXPECT_EQ(e.TransientValue().toLong(), 9);

    // The page read and write reach the link through the core's row interface.
    IPageParameterRow& pageRow = *link;
    EXPECT_EQ(pageRow.BoundElement(), &e);
    EXPECT_FALSE(pageRow.WriteLocked());
    row.SetWriteLocked(true);
    EXPECT_TRUE(pageRow.WriteLocked());
}

TEST_F(LinkTest, AChangeNotificationInProgressIsNotCommittedAgain) {
    clsDataElement& e = Add("V", vtInteger16, Variant(int16_t{5}));
    FakeParameterRow row("V");
    auto link = Show(row);
    // The page validates while the element's change is reported.
    struct Validating : test_support::NullGUIList {
        std::shared_ptr<clsParamLink> link;
        int calls = 0;
        void ParameterChanged(IPrivateDataElement&, const std::string&) override {
            ++calls;
            link->ValidateParameter();
            link->UpdateParameter();
        }
    };
    auto validating = std::make_shared<Validating>();
    validating->link = link;
    ctx.context.SetGUIManager(validating);
    row.Type("6");
    link->ValidateParameter();
    EXPECT_EQ(validating->calls, 1);
    EXPECT_EQ(e.TransientValue().toLong(), 6);
    validating->link.reset();
}

TEST_F(LinkTest, TheBlocksRulesFollowACommitAndTheirErrorsAreShown) {
    ctx.model->CreateModel(ctx.context);
    for (const auto& e : ctx.data->Elements())
        e->InitNew();
    prototype->index = 1;
    FakeParameterRow row("TRANS/%d/Act/MFR/INIT_METHOD");
    Show(row);
    clsDataElement& e = ctx.Element("TRANS/1/Act/MFR/INIT_METHOD");
    ctx.prompt->answers = {mbaOk};
    row.Choose(Variant(int32_t{1}));
    EXPECT_EQ(e.TransientValue().toLong(), 1);
    // The Transducer Block's rule tells the user about the new initialisation method.
    ASSERT_EQ(ctx.prompt->questions.size(), 1u);
    EXPECT_EQ(ctx.prompt->questions[0].first, "meld_init_art");

    // A rule that fails does not undo the edit; its error is shown.
    struct Failing : RecordingPrompt {
        int32_t Ask(const std::string&, int32_t) override {
            throw VbError(VbErr::Overflow, "full");
        }
    };
    auto failing = std::make_shared<Failing>();
    ctx.context.SetPrompt(failing);
    row.Choose(Variant(int32_t{0}));
    EXPECT_EQ(e.TransientValue().toLong(), 0);
    EXPECT_EQ(failing->messages,
              std::vector<std::string>{"Internal Error at PostEditParameter\r\n#6: full"});
}

// --- device commands ---

TEST_F(LinkTest, ACommandRowAsksRunsAndUnlocks) {
    clsDataElement& e = Add("PHYS/FACTORY_RESET", vtUnsigned16, Variant(int16_t{2506}), 2);
    e.SetElementMode(0x7);
    FakeParameterRow row("PHYS/FACTORY_RESET");
    auto link = Show(row);
    row.SetLabelText("Warm start");

    ctx.prompt->answers = {mbaNo};
    row.Press();
    ASSERT_EQ(ctx.prompt->questions.size(), 1u);
    EXPECT_EQ(ctx.prompt->questions[0].first, "Run \"Warm start\" now? (Warm start)");
    EXPECT_EQ(ctx.prompt->questions[0].second, mbsYesNoQuestionDefaultNo);
    EXPECT_TRUE(online->started.empty());

    ctx.prompt->answers = {mbaYes};
    row.Press();
    ASSERT_EQ(online->started.size(), 1u);
    EXPECT_EQ(online->started[0].second, "PHYS/FACTORY_RESET");
    EXPECT_EQ(online->started[0].first, link->ProcessId());
    EXPECT_FALSE(link->ProcessId().empty());
    EXPECT_TRUE(row.Locked());
    EXPECT_EQ(online->callback.lock().get(), static_cast<IPrivateProcess*>(link.get()));

    // The page's transfer never starts a command.
    link->HandleParameterChange();
    link->ValidateParameter();
    EXPECT_EQ(online->started.size(), 1u);

    // An update keeps the row locked while the command runs; another process's end is not
    // its end.
    link->UpdateParameter();
    EXPECT_TRUE(row.Locked());
    link->OnProcessFinished("other", true);
    EXPECT_TRUE(row.Locked());
    std::string id = link->ProcessId();
    for (char& c : id)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    link->OnProcessFinished(id, true);
    EXPECT_FALSE(row.Locked());
    EXPECT_TRUE(link->ProcessId().empty());
}

TEST_F(LinkTest, ACommandThatCannotStartIsReportedAndUnlocked) {
    AddCommand("CMD");
    FakeParameterRow row("CMD");
    auto link = Show(row);
    online->accept = false;
    ctx.prompt->answers = {mbaYes, mbaOk};
    row.Press();
    ASSERT_EQ(ctx.prompt->questions.size(), 2u);
    EXPECT_EQ(ctx.prompt->questions[1].first, "not connected");
    EXPECT_EQ(ctx.prompt->questions[1].second, mbsOkOnly);
    EXPECT_FALSE(row.Locked());
    EXPECT_TRUE(link->ProcessId().empty());
}

TEST_F(LinkTest, ARowReleasedWhileTheUserIsAskedStartsNothing) {
    AddCommand("CMD");
    FakeParameterRow row("CMD");
    auto link = Show(row);
    struct Releasing : RecordingPrompt {
        std::function<void()> during;
        int32_t Ask(const std::string& prompt, int32_t style) override {
            if (during)
                during();
            return RecordingPrompt::Ask(prompt, style);
        }
    };
    auto prompt = std::make_shared<Releasing>();
    prompt->during = [&link] { link->TerminateLink(); };
    prompt->answers = {mbaYes};
    ctx.context.SetPrompt(prompt);
    row.Press();
    EXPECT_TRUE(online->started.empty());
    EXPECT_FALSE(row.Locked());

    // A row destroyed while the user answers: the same.
    auto doomed = std::make_unique<FakeParameterRow>("CMD");
    auto other = Show(*doomed);
    prompt->during = [&doomed] { doomed.reset(); };
    prompt->answers = {mbaYes};
    other->OnClick();
    EXPECT_TRUE(online->started.empty());
    EXPECT_EQ(other->DataElement(), nullptr);
    links.pop_back();  // its row is gone: the site drops such a link unused
}

TEST_F(LinkTest, UnbindingCancelsARunningCommand) {
    AddCommand("CMD");
    FakeParameterRow row("CMD");
    auto link = Show(row);
    ctx.prompt->answers = {mbaYes};
    row.Press();
    const std::string id = link->ProcessId();
    link->TerminateLink();
    EXPECT_EQ(online->cancelled, std::vector<std::string>{id});
    EXPECT_FALSE(row.Locked());
    EXPECT_EQ(row.MenuItemCount(), 0);
    EXPECT_EQ(link->DataElement(), nullptr);
    link->OnProcessFinished(id, false);  // the end of the cancelled command changes nothing
    EXPECT_FALSE(row.Locked());
}

// --- help ---

TEST_F(LinkTest, ShiftF1AndTheMenuItemShowTheHelp) {
    clsDataElement& e = Add("V", vtInteger16, Variant(int16_t{5}));
    e.Help = "Long help";
    e.Description = "Short";
    FakeParameterRow row("V");
    FakeHelpPane pane;
    row.helpPane = &pane;
    Show(row);
    EXPECT_EQ(row.Key(112, 0), 112);  // F1 alone is not consumed
    EXPECT_TRUE(pane.shownFor.empty());
    EXPECT_EQ(row.Key(112, 1), 0);
    ASSERT_EQ(pane.shownFor.size(), 1u);
    EXPECT_EQ(pane.shownFor[0], &row);
    EXPECT_EQ(pane.HelpText(), "Long help");
    e.Help = "";
    row.Menu(1);
    EXPECT_EQ(pane.shownFor.size(), 2u);
    EXPECT_EQ(pane.HelpText(), "Short");
    row.Menu(2);
    EXPECT_EQ(pane.shownFor.size(), 2u);
    // Without a help pane nothing happens.
    row.helpPane = nullptr;
    EXPECT_EQ(row.Key(112, 1), 0);
    // A help display that fails is recorded in the log; nothing escapes to the row.
    struct FailingPane : FakeHelpPane {
        void ShowHelp(IParameterRow&) override { throw std::runtime_error("no room for help"); }
    } failing;
    row.helpPane = &failing;
    EXPECT_EQ(row.Key(112, 1), 0);
    ASSERT_EQ(ctx.context.Diagnostics().Entries().size(), 1u);
    EXPECT_EQ(ctx.context.Diagnostics().Entries()[0].what, "no room for help");
    ctx.context.Diagnostics().Clear();
}

// --- unbinding ---

TEST_F(LinkTest, UnbindingCommitsTheEditAndLeavesTheElementClean) {
    clsDataElement& e = Add("V", vtInteger16, Variant(int16_t{5}));
    FakeParameterRow row("V");
    auto link = Show(row);
    row.Type("6");
    link->TerminateLink();
    EXPECT_EQ(e.TransientValue().toLong(), 6);  // the pending edit was taken over
    EXPECT_EQ(row.MenuItemCount(), 0);

    // An input error that could not be committed is judged anew from the element's value.
    FakeParameterRow again("V");
    auto second = Show(again);
    EXPECT_NE(e.StatusFlags() & sfEditedOnline, 0);  // taken over, not yet written
    again.Type("x");
    ASSERT_NE(e.StatusFlags() & sfInputErrorMask, 0);
    second->TerminateLink();
    EXPECT_EQ(e.StatusFlags() & sfInputErrorMask, 0);
    EXPECT_EQ(e.TransientValue().toLong(), 6);
}

}  // namespace
}  // namespace kv
