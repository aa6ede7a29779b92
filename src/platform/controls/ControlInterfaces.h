#pragma once
// The contract of the control libraries that the pages and the main window use: the parameter
// row with its binding site and help pane, and the navigation control with its panes. The
// widgets implement these interfaces; the framework and the pages reach them only through them.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

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

// What a row tells its host.
class IParameterRowEvents {
  public:
    virtual ~IParameterRowEvents() = default;
    virtual void OnChange() {}
    virtual void OnClick() {}
    virtual void OnStartEdit() {}
    virtual void OnEndEdit(bool /*commit*/) {}
    // itemIndex 1 is the help item.
    virtual void OnMenuClick(int32_t /*itemIndex*/) {}
    // keyCode is set to 0 when the key was consumed.
    virtual void OnKeyDown(int32_t& /*keyCode*/, int32_t /*shift*/) {}
};

// One parameter row (ctlParameter).
class IParameterRow {
  public:
    virtual ~IParameterRow() = default;
    // Properties by name: "ParameterTag", "ControlType", "Locked", "Value", "LabelText",
    // "ForeColor", "ValueForeColor", "ValueMaxLength", "ValueUpperCase", "StatusIcon",
    // "IconToolTip". Reading an unknown name gives Empty; setting one throws.
    virtual Variant GetProperty(const std::string& name) const = 0;
    virtual void SetProperty(const std::string& name, const Variant& value) = 0;
    virtual void AddMenuItem(const std::string& text) = 0;
    virtual void RemoveMenuItems() = 0;

    // Value list "value:text|value:text"; display format of the value; unit and help texts.
    virtual void SetValueList(const std::string& list) = 0;
    virtual void SetValueFormat(const std::string& format) = 0;
    virtual void SetUnitText(const std::string& text) = 0;
    virtual void SetHelpText(const std::string& text) = 0;
    virtual void SetMenuItemText(int32_t index, const std::string& text) = 0;
    virtual void SetWriteLocked(bool locked) = 0;
    virtual void SetVisible(bool visible) = 0;
    virtual bool Visible() const = 0;
    virtual void SetEvents(std::weak_ptr<IParameterRowEvents> events) = 0;
};

// The binding of one row to its data element, made by the binding site from a prototype.
class IPrivateParamLink {
  public:
    virtual ~IPrivateParamLink() = default;
    virtual std::shared_ptr<IPrivateParamLink> GetNewParamLink() = 0;
    virtual IPrivateDataElement* DataElement() = 0;
    virtual IParameterRow* ParameterCtl() = 0;
    virtual bool InitLink(IDTMContext& context, const std::string& guiFunctionCall,
                          IParameterRow& row) = 0;
    virtual void TerminateLink() = 0;
    virtual void InitLanguageDependent() = 0;
    virtual void UpdateParameter() = 0;
    virtual bool ValidateParameter() = 0;
};

// The binding site of a page (ctlParamSite): one link per row, made from the prototype.
class IParamSite {
  public:
    virtual ~IParamSite() = default;
    virtual bool Init(IDTMContext& context, const std::string& guiFunctionCall,
                      std::shared_ptr<IPrivateParamLink> prototype) = 0;
    virtual void SetLanguage(int32_t languageId) = 0;
    virtual void Release() = 0;
    virtual void ParameterChanged(IPrivateDataElement& element) = 0;
    virtual void ParameterSetChanged() = 0;
    virtual bool Validate() = 0;
    virtual void EnableEdit(bool enabled) = 0;
    virtual IPrivateParamLink* GetParamLink(IParameterRow& row) = 0;
};

// The help pane of a page (ctlParamHelp).
class IParamHelp {
  public:
    virtual ~IParamHelp() = default;
    virtual void SetHelpText(const std::string& text) = 0;
    virtual const std::string& HelpText() const = 0;
    // Shows the help beside the row that asked for it.
    virtual void ShowHelp(IParameterRow* row) = 0;
};

// --- navigation control ---

// The navigation control with its panes and the interfaces it defines for the pages it hosts:
// NavigationInterfaces.h.

}  // namespace kv
