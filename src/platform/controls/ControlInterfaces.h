#pragma once
// The contract of the control libraries that the pages and the main window use: the parameter
// row with its binding site and help pane, and the navigation control with its panes. The
// widgets implement these interfaces; the framework and the pages reach them only through them.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "value/LifetimeToken.h"
#include "value/Variant.h"

namespace kv {

class IDTMContext;
class IPrivateDataElement;

// --- parameter row ---

// Control types of a row.
enum ParameterControlType : int32_t {
    pctPlainField = 1,
    pctByte = 2,
    pctValueList = 3,
    pctBitList = 4,
    pctCommandButton = 5,
};

// What a row tells the link bound to it. Every event is delivered synchronously, while the
// user acts; the row keeps its listener alive for the call, and a handler may unbind or
// destroy the row (the row then does nothing more). An exception that leaves a handler is
// reported and goes no further.
class IParameterRowEvents {
  public:
    virtual ~IParameterRowEvents() = default;
    // The text of a plain field changed while the user typed.
    virtual void OnChange() {}
    // The user chose a list entry, ticked a bit or pressed the command button.
    virtual void OnClick() {}
    // The user began to change the text of a plain field.
    virtual void OnStartEdit() {}
    // The edit ended: commit True on Enter or when the field lost the focus, False on Escape
    // (the row then shows and holds its value from before the edit again).
    virtual void OnEndEdit(bool /*commit*/) {}
    // A context-menu item was chosen; itemIndex counts from 1, and 1 is the help item.
    virtual void OnMenuClick(int32_t /*itemIndex*/) {}
    // A key went down on the row: keyCode is the Windows virtual-key code (112 F1, 13 Enter,
    // 27 Escape, 65 'A', ...), shift the state bits (1 Shift, 2 Ctrl, 4 Alt). A handler that
    // sets keyCode to 0 consumes the key: the row then does nothing with it.
    virtual void OnKeyDown(int32_t& /*keyCode*/, int32_t /*shift*/) {}
};

// The status pictures of the rows, by image key ("CommErr", "Changed", "Blank", ...).
class IStatusImages {
  public:
    virtual ~IStatusImages() = default;
    virtual bool Contains(const std::string& key) const = 0;
};

class IParamHelp;

// One parameter row (ctlParameter): label, value editor, unit, status icon and help menu.
//
// The editor follows the control type: a text field for 0, 1 and 2, a choice from the value
// list for 3, a list of bits to tick for 4, a push button for 5. "Value" reads back exactly what
// was set until the user changes it; then it is the field's text (String), the chosen entry's
// number (Long), or the bits as "|"-joined "1"/"0" entries, bit 0 first (String).
class IParameterRow {
  public:
    virtual ~IParameterRow() = default;

    virtual std::string ParameterTag() const = 0;
    virtual void SetParameterTag(const std::string& tag) = 0;
    // pctPlainField .. pctCommandButton; 0 when not set.
    virtual int32_t ControlType() const = 0;
    virtual void SetControlType(int32_t type) = 0;
    // A locked row shows its value read only and raises no Change, Click, StartEdit or EndEdit
    // (KeyDown and MenuClick still come, so that its help can be shown). Locking a field while
    // the user types drops the edit: EndEdit(False), and the value from before it is back.
    virtual bool Locked() const = 0;
    virtual void SetLocked(bool locked) = 0;
    // A disabled row is greyed and takes no input at all.
    virtual bool Enabled() const = 0;
    virtual void SetEnabled(bool enabled) = 0;
    virtual Variant Value() const = 0;
    // Shows a value: numbers in the value format and the number locale; a value-list row
    // shows the entry whose number equals the value; a bit-list row ticks entry k of the list
    // when the k-th "|"-separated entry of the value is "1". Raises no event. While the user
    // types into the row the text stays: the value is the one Escape goes back to.
    virtual void SetValue(const Variant& value) = 0;
    virtual std::string LabelText() const = 0;
    virtual void SetLabelText(const std::string& text) = 0;
    // Windows colour values (red in the low byte; system colours with the high bit set).
    virtual int32_t ForeColor() const = 0;
    virtual void SetForeColor(int32_t color) = 0;
    virtual int32_t ValueForeColor() const = 0;
    virtual void SetValueForeColor(int32_t color) = 0;
    // Maximum number of characters of a plain field; 0 for no limit.
    virtual int32_t ValueMaxLength() const = 0;
    virtual void SetValueMaxLength(int32_t length) = 0;
    // Typed letters become capitals.
    virtual bool ValueUpperCase() const = 0;
    virtual void SetValueUpperCase(bool upperCase) = 0;
    // The status picture by image key ("" shows none) and its tooltip.
    virtual std::string StatusIcon() const = 0;
    virtual void SetStatusIcon(const std::string& key) = 0;
    virtual std::string IconToolTip() const = 0;
    virtual void SetIconToolTip(const std::string& text) = 0;

    // The context menu: items numbered from 1 in the order of adding. A text may hold a tab
    // character; what follows it is shown as the item's shortcut. An index without an item is
    // ignored.
    virtual void AddMenuItem(const std::string& text) = 0;
    virtual void RemoveMenuItems() = 0;
    virtual int32_t MenuItemCount() const = 0;
    virtual std::string MenuItemText(int32_t index) const = 0;
    virtual void SetMenuItemText(int32_t index, const std::string& text) = 0;

    // Value list "value:text|value:text" (entries without ":" are skipped); for a bit list the
    // value is the bit number.
    virtual std::string ValueList() const = 0;
    virtual void SetValueList(const std::string& list) = 0;
    // Display format of numbers ("0.00", "0.0##", ...); "" shows them in their general form.
    virtual std::string ValueFormat() const = 0;
    virtual void SetValueFormat(const std::string& format) = 0;
    // Decimal separator of displayed numbers (the user's locale).
    virtual void SetNumberLocale(const NumberLocale& locale) = 0;
    virtual std::string UnitText() const = 0;
    virtual void SetUnitText(const std::string& text) = 0;
    // The short help, shown as the tooltip of label and value.
    virtual std::string HelpText() const = 0;
    virtual void SetHelpText(const std::string& text) = 0;
    // The row's value is never written to the device.
    virtual bool WriteLocked() const = 0;
    virtual void SetWriteLocked(bool locked) = 0;
    // Shown while both this flag and the designer's "visible" are True.
    virtual bool Visible() const = 0;
    virtual void SetVisible(bool visible) = 0;

    // The row's events go to this listener while it lives; an empty pointer stops them.
    virtual void SetEvents(std::weak_ptr<IParameterRowEvents> events) = 0;
    // The help pane of the page that holds the row (the nearest IParamHelpHost among its
    // parents); nullptr when there is none.
    virtual IParamHelp* ParamHelpCtl() = 0;
    // Tells whether the row still exists: a listener that asked the user something finds out
    // whether a handler destroyed the row meanwhile.
    virtual LifetimeToken::Watcher Lifetime() const = 0;
};

// The binding of one row to its data element (clsParamLink), made by the binding site from
// the page's prototype. The site connects the row's events to the link before InitLink and
// disconnects them after TerminateLink. The site holds the links; when a row is destroyed its
// link is dropped without TerminateLink, so a link never reaches its row from its destructor.
class IPrivateParamLink : public IParameterRowEvents {
  public:
    virtual std::shared_ptr<IPrivateParamLink> GetNewParamLink() = 0;
    // The bound element; nullptr before InitLink, after TerminateLink and for a row whose tag
    // names no element.
    virtual IPrivateDataElement* DataElement() = 0;
    virtual IParameterRow* ParameterCtl() = 0;
    // text: the site's GUI function call (not used by the links of this system).
    virtual void InitLink(IDTMContext& context, IParameterRow& row, const IStatusImages& images,
                          const std::string& text) = 0;
    virtual void TerminateLink() = 0;
    virtual void InitLanguageDependent(int32_t languageId) = 0;
    virtual void UpdateParameter() = 0;
    virtual void ValidateParameter() = 0;
};

// The binding site of a page (ctlParamSite): one link per row, made from the prototype.
class IParamSite {
  public:
    virtual ~IParamSite() = default;
    // Binds every row of the page, in designer order, through its own copy of the prototype
    // (GetNewParamLink, then InitLink). A site that is bound already is released first.
    // Throws std::invalid_argument without a prototype.
    virtual void Init(IDTMContext& context, const std::string& guiFunctionCall,
                      std::shared_ptr<IPrivateParamLink> prototype) = 0;
    virtual void SetLanguage(int32_t languageId) = 0;
    // Ends every binding (TerminateLink), in designer order.
    virtual void Release() = 0;
    // UpdateParameter of the links bound to that element.
    virtual void ParameterChanged(IPrivateDataElement& element) = 0;
    // UpdateParameter of every link.
    virtual void ParameterSetChanged() = 0;
    // ValidateParameter of every link.
    virtual void Validate() = 0;
    // False shows every row read only; True gives back the lock state that the links and the
    // designer set (a row they locked stays locked).
    virtual void EnableEdit(bool enabled) = 0;
    // The link bound to the row; nullptr for a row the site does not bind.
    virtual IPrivateParamLink* GetParamLink(const IParameterRow& row) = 0;
    // The links of the rows in binding order, which is the page's control order (rows
    // destroyed meanwhile are left out).
    virtual std::vector<IPrivateParamLink*> Links() const = 0;
    // The status pictures handed to every link; they live as long as the program.
    virtual const IStatusImages& Images() const = 0;
};

// The help pane of a page (ctlParamHelp).
class IParamHelp {
  public:
    virtual ~IParamHelp() = default;
    virtual void SetHelpText(const std::string& text) = 0;
    virtual std::string HelpText() const = 0;
    // Shows the help text beside the row (in place when the row is no widget of the page).
    virtual void ShowHelp(IParameterRow& row) = 0;
};

// A page that holds rows offers its help pane to them (GetParamHelpCtl).
class IParamHelpHost {
  public:
    virtual ~IParamHelpHost() = default;
    virtual IParamHelp* GetParamHelpCtl() = 0;
};

// --- navigation control ---

// The navigation control with its panes and the interfaces it defines for the pages it hosts:
// NavigationInterfaces.h.

}  // namespace kv
