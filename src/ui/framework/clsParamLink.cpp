#include "ui/framework/clsParamLink.h"

#include <algorithm>
#include <stdexcept>

#include "core/APIHelpers.h"
#include "core/ConvStr.h"
#include "core/DataModelHelpers.h"
#include "core/DictionaryLookup.h"
#include "core/clsDataElement.h"
#include "core/clsDataModel.h"
#include "platform/controls/BitText.h"
#include "platform/runtime/ElementPath.h"
#include "platform/runtime/EntryGuard.h"
#include "platform/runtime/IDTMContext.h"
#include "platform/runtime/IGUIManager.h"
#include "platform/runtime/IOnlineParameterService.h"
#include "platform/runtime/IParameters.h"
#include "platform/runtime/IPrompt.h"
#include "platform/runtime/IUserManager.h"
#include "value/ScopedValue.h"
#include "value/Text.h"

namespace kv {

namespace {

// Masks of the flags that a look at the row's text clears first.
constexpr int32_t kChangeMask = 0xFF0008;  // needed, communication error, DP-V1 error class
constexpr int32_t kStartEditMask = sfNeeded;
// The flags that the row judges anew for a value: input errors and changed.
constexpr int32_t kJudgedFlags = sfInputErrorMask | sfChanged;
constexpr int32_t kOutOfRange = 0x4000;
// The system's grey-text colour for optional parameters.
constexpr int32_t kGrayText = static_cast<int32_t>(0x80000011u);
// The short help is cut when it is longer than this many characters.
constexpr size_t kShortHelpMax = 70;
constexpr size_t kShortHelpCut = 66;
constexpr int32_t kKeyF1 = 112;
constexpr int32_t kShiftDown = 1;

// The number of the value-list entry that stands for a bit list with no bit set: the bit count
// of the element's type; 0 for types without one.
int32_t NoBitEntry(const clsDataElement& element) {
    switch (element.ValueType()) {
        case vtOctetString:
            return 8 * element.ValueTypeLength();
        case vtUnsigned8:
            return 8;
        case vtUnsigned16:
        case vtInteger16:
            return 16;
        case vtUnsigned24:
        case vtInteger24:
        case vtInteger32:
            return 32;
        default:
            return 0;
    }
}

// True when the element's bit list has an entry for the value with no bit set.
bool HasNoBitEntry(const clsDataElement& element) {
    const int32_t w = NoBitEntry(element);
    if (element.ControlType() != pctBitList || w <= 0)
        return false;
    const std::optional<std::string_view> text = element.ValueList.TextOf(w);
    return text && !text->empty();
}

bool IsZero(const Variant& value) {
    if (value.isByteArray()) {
        const std::vector<uint8_t>& bytes = value.bytes().bytes;
        return std::all_of(bytes.begin(), bytes.end(), [](uint8_t b) { return b == 0; });
    }
    return value.isNumber() && value.number() == 0;
}

// The number of an error for the message of a failed change handler.
int ErrorNumber(const std::exception& e) {
    if (const auto* vb = dynamic_cast<const VbError*>(&e))
        return static_cast<int>(vb->number());
    return static_cast<int>(VbErr::InvalidCall);
}

}  // namespace

// --- bit lists ---

std::string ParamBitListText(const clsDataElement& element, const Variant& value) {
    std::string text = ToBinaryString(value);
    if (text.empty() || !HasNoBitEntry(element) || !IsZero(value))
        return text;
    std::vector<bool> bits = ParseBitText(text);
    const auto w = static_cast<size_t>(NoBitEntry(element));
    if (bits.size() <= w)
        bits.resize(w + 1, false);
    bits[w] = true;
    return JoinBitText(bits);
}

Variant ParamBitListValue(const clsDataElement& element, const std::string& text) {
    std::vector<bool> bits = ParseBitText(text);
    if (HasNoBitEntry(element)) {
        // The entry of "no bit set" stands for nothing; it was appended after the value's bits.
        const auto w = static_cast<size_t>(NoBitEntry(element));
        if (bits.size() > w) {
            bits[w] = false;
            bits.pop_back();
        }
    }
    const int32_t type = element.ValueType();
    if (type == vtOctetString) {
        const size_t length =
            std::max((bits.size() + 7) / 8,
                     static_cast<size_t>(std::max(element.ValueTypeLength(), int32_t{0})));
        ByteArray array;
        array.bytes.assign(length, 0);
        for (size_t i = 0; i < bits.size(); ++i) {
            if (bits[i])
                array.bytes[i / 8] |= static_cast<uint8_t>(1u << (i % 8));
        }
        return Variant(std::move(array));
    }
    // The bits in 64 bits: no sum of a long list overflows; bits from 31 on are bit 31.
    uint64_t sum = 0;
    for (size_t i = 0; i < bits.size(); ++i) {
        if (bits[i])
            sum |= i < 31 ? (uint64_t{1} << i) : uint64_t{0x80000000u};
    }
    const auto low32 = static_cast<uint32_t>(sum);
    switch (type) {
        case vtUnsigned8:
            return sum > 0xFF ? Variant::Null() : Variant(static_cast<uint8_t>(sum));
        case vtUnsigned16:
        case vtUnsigned24:
        case vtInteger24:
        case vtInteger32:
            return Variant(static_cast<int32_t>(low32));
        case vtInteger16:
            return Variant(static_cast<int16_t>(static_cast<uint16_t>(sum)));
        case vtUnsigned32:
            return Variant(static_cast<double>(low32));
        default:
            return Variant::Null();
    }
}

std::vector<IPageParameterRow*> PageParameterRows(const IParamSite& site) {
    std::vector<IPageParameterRow*> rows;
    for (IPrivateParamLink* link : site.Links())
        rows.push_back(dynamic_cast<IPageParameterRow*>(link));
    return rows;
}

// --- binding ---

clsParamLink::~clsParamLink() = default;

std::shared_ptr<IPrivateParamLink> clsParamLink::GetNewParamLink() {
    auto link = std::make_shared<clsParamLink>();
    link->index = index;
    link->channel = channel;
    link->Prefix = Prefix;
    link->bDisplayDPV1Index = bDisplayDPV1Index;
    link->bOnlineMode = bOnlineMode;
    link->bShowDevice = bShowDevice;
    return link;
}

bool clsParamLink::Bound() const {
    return element_ != nullptr && row_ != nullptr && rowAlive_.Alive() && context_.Get() != nullptr;
}

IPrivateDataElement* clsParamLink::DataElement() {
    return Bound() ? element_ : nullptr;
}

clsDataElement* clsParamLink::BoundElement() const {
    return Bound() ? element_ : nullptr;
}

bool clsParamLink::WriteLocked() const {
    return Bound() && row_->WriteLocked();
}

template <typename Fn>
void clsParamLink::Entry(const char* where, Fn&& fn) {
    if (!Bound())
        return;
    // The link lives through the call even when its page drops it meanwhile.
    const std::shared_ptr<clsParamLink> keep = weak_from_this().lock();
    Guarded(Ctx().Diagnostics(), where, std::forward<Fn>(fn));
}

void clsParamLink::InitLink(IDTMContext& context, IParameterRow& row, const IStatusImages& images,
                            const std::string& /*text*/) {
    Guarded(context.Diagnostics(), "clsParamLink.InitLink", [&] {
        if (row_ != nullptr)
            TerminateLink();
        ++binding_;
        context_.Set(context);
        row_ = &row;
        rowAlive_ = row.Lifetime();
        images_ = &images;
        row.SetNumberLocale(LanguageNumberLocale(context));

        std::string tag = WithBlockNumber(row.ParameterTag(), index);
        ReplaceAll(tag, "%ch", channel);
        ReplaceAll(tag, "%blk", Prefix);
        element_ = AsDataElement(context.Parameters().Item(tag));
        if (element_ == nullptr) {
            // Bound to nothing: shown, never used.
            disabledRow_ = true;
            row.SetEnabled(false);
            row.SetLabelText(tag);
            return;
        }
        clsDataElement& e = *element_;

        if (e.ControlType() != 0) {
            if (row.ControlType() != pctCommandButton)
                row.SetControlType(e.ControlType());
        } else if (row.ControlType() == 0) {
            if ((e.ElementMode() & emDeviceCommand) != 0) {
                row.SetControlType(pctCommandButton);
            } else {
                const int32_t type = e.ValueType();
                if (type == vtUnsigned8)
                    row.SetControlType(pctValueList);
                else if (type == vtByte)
                    row.SetControlType(pctByte);
                else if ((type >= vtInteger16 && type <= vtDouble) ||
                         (type >= vtDateTime && type <= vtUnsigned32))
                    row.SetControlType(pctPlainField);
            }
        }
        if (e.ParamOptional()) {
            row.SetForeColor(kGrayText);
            row.SetValueForeColor(kGrayText);
        }
        lockedAtDesign_ = row.Locked();
        keptByShownReads_ = DownloadWrites(e, e.TransferElement(context.Parameters()));
        if (e.ValueType() == vtVisibleString) {
            if (e.ValueTypeLength() > 0)
                row.SetValueMaxLength(e.ValueTypeLength());
            if (e.bPackedCoding)
                row.SetValueUpperCase(true);
        }
        row.AddMenuItem("");
        helpItem_ = row.MenuItemCount();
        editing_ = false;
        // An edit not yet written keeps its edited-online mark: the row shows it as changed.
    });
}

void clsParamLink::TerminateLink() {
    if (row_ == nullptr)
        return;
    if (!Bound()) {
        // Bound to no element, or its row or context is gone.
        if (disabledRow_ && rowAlive_.Alive())
            row_->SetEnabled(true);
        Release();
        return;
    }
    Entry("clsParamLink.TerminateLink", [&] {
        clsDataElement& e = *element_;
        // The element keeps its edited-online mark: the edit stays pending after the page has
        // gone, until it is written or the device's value is read on request.
        ValidateParameter();
        if (!Bound())
            return;
        if (flagsTouched_) {
            const int32_t old = e.StatusFlags();
            e.SetStatusFlags(RowFlags(e.TransientValue()));
            if (e.StatusFlags() != old)
                EvaluateDataSetState();
        }
        if (!processId_.empty()) {
            Ctx().OnlineParameterService().CancelProcess(processId_);
            processId_.clear();
        }
        if (!lockedAtDesign_)
            row_->SetLocked(false);
        row_->RemoveMenuItems();
    });
    Release();
}

void clsParamLink::Release() {
    ++binding_;
    element_ = nullptr;
    row_ = nullptr;
    rowAlive_ = {};
    images_ = nullptr;
    context_.Reset();
    processId_.clear();
    editing_ = false;
    updatePending_ = false;
    flagsTouched_ = false;
    lockedAtDesign_ = false;
    disabledRow_ = false;
    helpItem_ = 0;
}

std::string clsParamLink::Text(const std::string& key) const {
    return Ctx().GetText(key);
}

std::string clsParamLink::ShortHelp() const {
    std::string help = element_->Help.str();
    if (help.empty())
        help = element_->Description.str();
    return Abridged(help, kShortHelpMax, kShortHelpCut) + " (-> " + Text("paramhelp_shortcut") +
           ")";
}

void clsParamLink::InitLanguageDependent(int32_t /*languageId*/) {
    Entry("clsParamLink.InitLanguageDependent", [&] {
        clsDataElement& e = *element_;
        IParameterRow& row = *row_;
        // Values are shown, and typed, in the number form of the new language.
        row.SetNumberLocale(LanguageNumberLocale(Ctx()));
        row.SetHelpText(ShortHelp());
        std::string label = e.Label.str();
        if (bDisplayDPV1Index && e.RelIndex >= 0)
            label = std::to_string(e.RelIndex) + ": " + label;
        row.SetLabelText(label);
        row.SetValueList(e.ValueList.str());
        row.SetUnitText(ShownUnit());
        if (helpItem_ > 0) {
            row.SetMenuItemText(helpItem_,
                                Text("paramhelp_menuitem") + "\t" + Text("paramhelp_shortcut"));
        }
        // A row that shows a status gets its tooltip in the new language.
        if (!row.ParameterTag().empty())
            ChooseStatusIcon();
    });
}

// --- showing the element ---

bool clsParamLink::IsCommandRow() const {
    return row_->ControlType() == pctCommandButton;
}

void clsParamLink::RecomputeLock() {
    if (lockedAtDesign_)
        return;
    // What keeps the user from typing a value keeps a parameter document from setting it too.
    const bool locked =
        !processId_.empty() || element_->InputBarrierOf(Ctx()) != InputBarrier::kNone;
    row_->SetLocked(locked);
}

void clsParamLink::UpdateParameter() {
    Entry("clsParamLink.UpdateParameter", [&] {
        clsDataElement& e = *element_;
        if (editing_ && !row_->Locked()) {
            // The text being typed stays until the edit is committed or left (a refresh goes on
            // for the other rows); a lock that the element asks for now ends the edit.
            RecomputeLock();
            if (!Bound())
                return;
            if (editing_) {
                updatePending_ = true;  // shown when the user's edit ends
                return;
            }
        }
        updatePending_ = false;
        flagsTouched_ = false;
        RecomputeLock();
        if (!Bound())
            return;  // the lock ended an edit whose handler unbound the row
        IParameterRow& row = *row_;
        row.SetValueList(e.ValueList.str());
        row.SetHelpText(ShortHelp());
        const Variant& shown = ShownValue();
        if (row.ControlType() == pctBitList && e.ValueType() != vtVisibleString) {
            row.SetValue(Variant(ParamBitListText(e, shown)));
        } else if (e.ValueType() == vtOctetString) {
            row.SetValue(Variant(BytesToHexString(shown)));
        } else {
            if (!e.ValueFormat.empty())
                row.SetValueFormat(e.ValueFormat);
            row.SetValue(shown);
        }
        row.SetUnitText(ShownUnit());
        row.SetVisible(e.Validity());
        e.SetStatusFlags(RowFlags(e.TransientValue()));
        ChooseStatusIcon();
    });
}

Variant clsParamLink::RowValue() const {
    const clsDataElement& e = *element_;
    const Variant value = row_->Value();
    if (row_->ControlType() == pctBitList && e.ValueType() != vtVisibleString)
        return ParamBitListValue(e, value.isString() ? value.str() : std::string());
    return e.GetTypedInput(value, LanguageNumberLocale(Ctx()));
}

int32_t clsParamLink::RowFlags(const Variant& value) const {
    const clsDataElement& e = *element_;
    int32_t flags = e.StatusFlags() & ~kJudgedFlags;
    if (e.ValueType() != vtRecord) {
        flags |= e.CalcParamErrorFlags(Ctx(), value);
        if (!IsCommandRow())
            flags |= e.CalcParamStatusFlags(Ctx(), value);
    }
    return flags;
}

void clsParamLink::EvaluateDataSetState() {
    if (clsDataModel* model = DataModelOf(Ctx()))
        model->EvaluateDataSetState(Ctx());
}

void clsParamLink::RefreshFlags(int32_t mask) {
    clsDataElement& e = *element_;
    const int32_t old = e.StatusFlags();
    e.SetStatusFlags(old & ~mask);
    if (e.ValueType() != vtRecord)
        e.SetStatusFlags(RowFlags(RowValue()));
    if (e.StatusFlags() != old) {
        EvaluateDataSetState();
        flagsTouched_ = true;
        ChooseStatusIcon();
    }
}

void clsParamLink::RestoreFlags() {
    clsDataElement& e = *element_;
    const int32_t old = e.StatusFlags();
    e.SetStatusFlags(RowFlags(e.TransientValue()));
    if (e.StatusFlags() != old) {
        EvaluateDataSetState();
        ChooseStatusIcon();
    }
}

std::string clsParamLink::RangeErrorText() const {
    IDTMContext& ctx = Ctx();
    std::string text = Text("paramicon_RangeErr");
    const NumberLocale locale = LanguageNumberLocale(ctx);
    const auto shown = [&](const Variant& limit) {
        return limit.tryString(locale).value_or(std::string());
    };
    for (const ValueRange& range : element_->RangesInShownUnit(ctx))
        text += ", " + shown(range.min) + ".." + shown(range.max);
    return text;
}

bool clsParamLink::ShowsDeviceValue() const {
    const clsDataElement& e = *element_;
    // An edit of the row that waits to be written is shown until it is written or read over.
    return bShowDevice && !e.DeviceValue().isEmpty() &&
           ((e.StatusFlags() & sfEditedOnline) == 0 || row_->Locked());
}

const Variant& clsParamLink::ShownValue() const {
    return ShowsDeviceValue() ? element_->DeviceValue() : element_->TransientValue();
}

std::string clsParamLink::ShownUnit() const {
    return ShowsDeviceValue() ? DeviceOrDataSetUnit(Ctx(), *element_) : element_->UnitString(Ctx());
}

void clsParamLink::ChooseStatusIcon() {
    const clsDataElement& e = *element_;
    IParameterRow& row = *row_;
    // The device's value is no input: it has no input error and is not changed. The row shows
    // it changing while any refresh reads it; a row of the project's value only while the
    // value itself changes (reads that only show the device keep a value a download writes).
    const bool device = ShowsDeviceValue() && !editing_;
    const int32_t flags = device ? e.StatusFlags() & ~kJudgedFlags : e.StatusFlags();
    const bool dynamic =
        (flags & sfDynamic) != 0 && (bShowDevice || !keptByShownReads_ || e.ValueDynamic());
    std::string key;
    std::string tip;
    if ((flags & sfCommErrorMask) != 0) {
        key = "CommErr";
        tip = Text("paramicon_CommErr");
    } else if ((flags & sfDpv1ErrorMask) != 0) {
        key = "AnyErr";
        tip = !e.CmdErr.empty() ? e.CmdErr.str() : Text("paramicon_AnyErr");
    } else if ((flags & kOutOfRange) != 0) {
        key = "RangeErr";
        tip = RangeErrorText();
    } else if ((flags & sfInputErrorMask) != 0) {
        key = "InputErr";
        tip = Text("paramicon_InputErr");
    } else if ((flags & sfNeeded) != 0) {
        key = "Needed";
        tip = Text("paramicon_Needed");
    } else if ((flags & sfChanged) != 0) {
        key = "Changed";
        tip = Text("paramicon_Changed");
    } else if (dynamic) {
        // Alternates on every refresh while the value changes cyclically.
        key = row.StatusIcon() == "Dynamic1" ? "Dynamic2" : "Dynamic1";
        tip = Text("paramicon_Dynamic");
    } else if (e.ParamOptional()) {
        key = "OptionalParam";
        tip = Text("paramicon_Optional");
    } else if (e.RequiredUserLevel > Ctx().UserManager().UserLevel()) {
        key = "Locked";
        tip = Text("paramicon_Locked");
    } else if (IsCommandRow()) {
        key = "Blank";
    } else if (e.DeviceValue().isEmpty()) {
        key = e.PersistentValue().isEmpty() ? "Initial" : "SavedValue";
        tip = Text(e.PersistentValue().isEmpty() ? "paramicon_Initial" : "paramicon_Saved");
    } else {
        key = e.PersistentValue().isEmpty() ? "OnlineValue" : "SavedValue";
        tip = Text(e.PersistentValue().isEmpty() ? "paramicon_OnlineValue" : "paramicon_Saved");
    }
    if (images_ == nullptr || !images_->Contains(key))
        key = "Blank";
    row.SetStatusIcon(key);
    row.SetIconToolTip(tip);
}

// --- commits ---

void clsParamLink::CommitValue() {
    if (row_->Locked())
        return;
    clsDataElement& e = *element_;
    IDTMContext& ctx = Ctx();
    const Variant value = RowValue();
    // Input that does not convert or that the element does not accept stays in the row.
    if (value.isNull() || (e.StatusFlags() & sfInputErrorMask) != 0 ||
        e.CalcParamErrorFlags(ctx, value) != 0)
        return;
    if (VariantsEqual(e.TransientValue(), value))
        return;
    if (bOnlineMode)
        e.SetStatusFlag(sfEditedOnline);
    e.SetTransientValue(value);
    {
        const ScopedValue nesting(changeNesting_, changeNesting_ + 1);
        ctx.Parameters().ElementChanged(e, "");
    }
    try {
        DispatchParamLinkEvent(e, ctx);
    } catch (const std::exception& error) {
        // The edit stays; the failure of the block's rules is shown.
        ctx.DisplayMessage("Internal Error at PostEditParameter\r\n#" +
                           std::to_string(ErrorNumber(error)) + ": " + error.what());
    }
}

void clsParamLink::CommitCommand() {
    if (row_->Locked())
        return;
    IDTMContext& ctx = Ctx();
    if (!processId_.empty()) {
        ctx.MessageBox(Text("command_already_active"), mbsOkOnly);
        return;
    }
    processId_ = NewGuidString();
    row_->SetLocked(true);
    const bool started = ctx.OnlineParameterService().StartCommand(
        processId_, *element_, std::weak_ptr<IPrivateProcess>(weak_from_this()));
    if (!started) {
        processId_.clear();
        RecomputeLock();
        ctx.MessageBox(Text("cmderr_not_connected"), mbsOkOnly);
    }
}

void clsParamLink::HandleParameterChange() {
    // Only what the user is typing is taken over; a command is started by the user alone.
    Entry("clsParamLink.HandleParameterChange", [&] {
        if (editing_ && !IsCommandRow())
            CommitValue();
    });
}

void clsParamLink::ValidateParameter() {
    Entry("clsParamLink.ValidateParameter", [&] {
        if (editing_ && changeNesting_ == 0 && !IsCommandRow())
            CommitValue();
    });
}

// --- the row's events ---

void clsParamLink::OnChange() {
    Entry("clsParamLink.Change", [&] { RefreshFlags(kChangeMask); });
}

void clsParamLink::OnClick() {
    Entry("clsParamLink.Click", [&] {
        RefreshFlags(kChangeMask);
        if (!IsCommandRow()) {
            CommitValue();
            return;
        }
        std::string question = Text("exec_this_cmd_now");
        ReplaceAll(question, "%1", row_->LabelText());
        const uint64_t binding = binding_;
        const int32_t answer = Ctx().MessageBox(question, mbsYesNoQuestionDefaultNo);
        if (binding != binding_ || !Bound())
            return;  // the row was released while the user answered
        if (answer == mbaYes)
            CommitCommand();
    });
}

void clsParamLink::OnStartEdit() {
    Entry("clsParamLink.StartEdit", [&] {
        editing_ = !row_->Locked();
        RefreshFlags(kStartEditMask);
    });
}

void clsParamLink::OnEndEdit(bool commit) {
    Entry("clsParamLink.EndEdit", [&] {
        editing_ = false;
        if (commit && !IsCommandRow())
            CommitValue();
        else
            RestoreFlags();  // the given-up edit leaves no input error behind
        if (Bound() && updatePending_)
            UpdateParameter();
    });
}

void clsParamLink::OnMenuClick(int32_t itemIndex) {
    Entry("clsParamLink.MenuClick", [&] {
        if (itemIndex == helpItem_)
            ShowHelp();
    });
}

void clsParamLink::OnKeyDown(int32_t& keyCode, int32_t shift) {
    Entry("clsParamLink.KeyDown", [&] {
        if (keyCode == kKeyF1 && shift == kShiftDown) {
            keyCode = 0;
            ShowHelp();
        }
    });
}

// Runs inside an entry point, whose guard records an error of the help display in the log.
void clsParamLink::ShowHelp() {
    IParamHelp* help = row_->ParamHelpCtl();
    if (help == nullptr)
        return;
    std::string text = element_->Help.str();
    if (text.empty())
        text = element_->Description.str();
    help->SetHelpText(text);
    help->ShowHelp(*row_);
}

// --- the device command's end ---

void clsParamLink::OnProcessProgress(const std::string& /*processId*/, int32_t /*percent*/) {}

void clsParamLink::OnProcessFinished(const std::string& processId, bool /*success*/) {
    Entry("clsParamLink.OnProcessFinished", [&] {
        if (!IsSameText(processId, processId_))
            return;
        processId_.clear();
        RecomputeLock();
    });
}

}  // namespace kv
