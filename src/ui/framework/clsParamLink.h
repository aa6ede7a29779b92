#pragma once
// The binding of one parameter row of a page to one data element. A page hands its binding site
// one prototype link with the page's block number and online flag; the site makes one link per
// row from it. The link finds the element that the row's tag names, sets the row up from the
// element (control type, lock, label, value list, unit, short help), shows the element's value
// with a status icon, turns the user's edits into new values of the element, runs the device
// command of a command row, and shows the element's help.
//
// A row whose tag names no element stays disabled with its tag as label: it is never committed,
// read or written, and nothing fails. After each question to the user the link checks that it is
// still bound to its row (a handler may release the page meanwhile) before it goes on.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/ProjectHelpers.h"
#include "platform/controls/ControlInterfaces.h"
#include "platform/runtime/ContextRef.h"
#include "platform/runtime/IPrivateProcess.h"
#include "value/LifetimeToken.h"
#include "value/Variant.h"

namespace kv {

class clsDataElement;

class clsParamLink : public IPrivateParamLink,
                     public IPrivateProcess,
                     public IPageParameterRow,
                     public std::enable_shared_from_this<clsParamLink> {
  public:
    // --- fields of the page's prototype, copied into every link made from it ---
    // The page's block number: replaces "%d" in the row's tag.
    int32_t index = 0;
    // Replaces "%ch" in the row's tag.
    std::string channel;
    // Replaces "%blk" in the row's tag.
    std::string Prefix;
    // The label starts with the element's relative index and ": ".
    bool bDisplayDPV1Index = false;
    // An edit marks the element edited online and not yet written (pages set it).
    bool bOnlineMode = false;
    // The row shows the device (a page whose reads only show it sets it): the device's value
    // where a read recorded one, in the unit the device sent it in, unless the user's edit of
    // the row waits to be written.
    bool bShowDevice = false;

    clsParamLink() = default;
    ~clsParamLink() override;
    clsParamLink(const clsParamLink&) = delete;
    clsParamLink& operator=(const clsParamLink&) = delete;

    // --- the binding site's calls ---
    // A new unbound link with the six fields of this one.
    std::shared_ptr<IPrivateParamLink> GetNewParamLink() override;
    // The bound element; nullptr before InitLink, after TerminateLink and for a row whose tag
    // names no element.
    IPrivateDataElement* DataElement() override;
    IParameterRow* ParameterCtl() override { return row_; }
    // Binds the row: the tag with its placeholders replaced names the element. The row must
    // outlive the binding, or be dropped with its link (the site's rule); the context must
    // outlive it unless a shared pointer owns the context.
    void InitLink(IDTMContext& context, IParameterRow& row, const IStatusImages& images,
                  const std::string& text) override;
    void TerminateLink() override;
    // Label, value list, unit, short help and help menu text in the dictionary's current
    // language.
    void InitLanguageDependent(int32_t languageId) override;
    // Shows the element's value, unit, value list, status icon and lock state. While the user
    // types into the row, only the lock follows: the text stays until the edit is committed or
    // left, and the row is shown anew then.
    void UpdateParameter() override;
    // Commits an edit that the user is making in the row.
    void ValidateParameter() override;

    // --- the row's events ---
    void OnChange() override;
    void OnClick() override;
    void OnStartEdit() override;
    void OnEndEdit(bool commit) override;
    void OnMenuClick(int32_t itemIndex) override;
    void OnKeyDown(int32_t& keyCode, int32_t shift) override;

    // --- the device command's end ---
    void OnProcessProgress(const std::string& processId, int32_t percent) override;
    void OnProcessFinished(const std::string& processId, bool success) override;

    // Takes an edit that the user is making in the row over into the element (before a page's
    // read or write). Never starts the command of a command row.
    void HandleParameterChange();

    // --- the page read and write (ReadPageParameters, WritePageParameters) ---
    void CommitPendingEdit() override { HandleParameterChange(); }
    clsDataElement* BoundElement() const override;
    bool WriteLocked() const override;

    // The id of the device command this row runs; "" when none runs.
    const std::string& ProcessId() const { return processId_; }
    // True between the row's StartEdit (of a row that was not locked) and its EndEdit.
    bool Editing() const { return editing_; }

  private:
    // True while the link is bound to an element, its row exists and its context too.
    bool Bound() const;
    IDTMContext& Ctx() const { return *context_.Get(); }
    // Runs an entry point: nothing when unbound; errors are recorded in the instance's log.
    template <typename Fn>
    void Entry(const char* where, Fn&& fn);
    // The dictionary text of a key of the section "keys"; the key itself when missing.
    std::string Text(const std::string& key) const;
    std::string ShortHelp() const;
    void RecomputeLock();
    bool IsCommandRow() const;
    // The row's value as the element's type: from the bit list, or converted; Null when it does
    // not convert.
    Variant RowValue() const;
    // The element's status flags judged for a value shown in the row.
    int32_t RowFlags(const Variant& value) const;
    // Judges the row's text again after clearing the bits of mask.
    void RefreshFlags(int32_t mask);
    // The flags judged for the element's own value again (an edit that was given up).
    void RestoreFlags();
    void EvaluateDataSetState();
    // True when the row shows the element's device value (bShowDevice).
    bool ShowsDeviceValue() const;
    // The value the row shows and its unit.
    const Variant& ShownValue() const;
    std::string ShownUnit() const;
    void ChooseStatusIcon();
    std::string RangeErrorText() const;
    void CommitValue();
    void CommitCommand();
    void ShowHelp();
    void Release();

    ContextRef context_;
    IParameterRow* row_ = nullptr;
    LifetimeToken::Watcher rowAlive_;
    const IStatusImages* images_ = nullptr;
    clsDataElement* element_ = nullptr;
    std::string processId_;
    bool editing_ = false;
    bool updatePending_ = false;
    int32_t changeNesting_ = 0;
    bool flagsTouched_ = false;
    bool lockedAtDesign_ = false;
    // A download writes the element's value (DownloadWrites): a read that only shows the device
    // keeps it.
    bool keptByShownReads_ = false;
    // The row was bound to no element: the link disabled it.
    bool disabledRow_ = false;
    // The help item's number in the row's menu; 0 when none was added.
    int32_t helpItem_ = 0;
    // Counts the bindings, so that a call finds out that the link was unbound or bound anew
    // while it asked the user.
    uint64_t binding_ = 0;
};

// The bit-list text of a value, bit 0 first: 16 entries for an Integer, 32 for a Long or a
// Double (above 2147483647 taken as unsigned 32 bits), 8 for a Byte, 8 per byte of a byte array;
// "" for other values. For an element whose control type is the bit list and whose value list
// names the value with no bit set, a value of zero ticks that entry.
std::string ParamBitListText(const clsDataElement& element, const Variant& value);
// The value of a bit-list text as the element's type: a byte array for an octet string, else
// the set entries' bits (from entry 31 on bit 31) as a 64-bit sum taken as the type's two's
// complement; Null for a value that does not fit (a Byte above 255) or another type. The entry
// of the value with no bit set counts for nothing.
Variant ParamBitListValue(const clsDataElement& element, const std::string& text);

// The rows of a page for its read and write: the binding site's links in the page's control
// order.
std::vector<IPageParameterRow*> PageParameterRows(const IParamSite& site);

}  // namespace kv
