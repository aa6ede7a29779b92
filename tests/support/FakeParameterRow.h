#pragma once
// A parameter row without a window: it keeps what its link sets and raises the row's events as
// the widget does when the user types, chooses, ticks, presses a key or picks a menu item. A
// help pane that records what it was asked to show, and a set of status pictures.

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/controls/ControlInterfaces.h"
#include "value/LifetimeToken.h"

namespace kv::test_support {

class FakeHelpPane : public IParamHelp {
  public:
    void SetHelpText(const std::string& text) override { text_ = text; }
    std::string HelpText() const override { return text_; }
    void ShowHelp(IParameterRow& row) override { shownFor.push_back(&row); }
    std::vector<IParameterRow*> shownFor;

  private:
    std::string text_;
};

// The status pictures of the rows by key; a test may leave some out.
class FakeImages : public IStatusImages {
  public:
    FakeImages()
        : keys{"CommErr", "AnyErr",     "RangeErr",    "InputErr", "Needed",
               "Changed", "Dynamic1",   "Dynamic2",    "Locked",   "OptionalParam",
               "Initial", "SavedValue", "OnlineValue", "Blank"} {}
    bool Contains(const std::string& key) const override { return keys.count(key) != 0; }
    std::set<std::string> keys;
};

class FakeParameterRow : public IParameterRow {
  public:
    explicit FakeParameterRow(std::string tag = {}) : tag_(std::move(tag)) {}

    // --- the user's actions, with the events the widget raises ---
    // Types a text into a plain field: StartEdit when the edit begins, then Change.
    void Type(const std::string& text) {
        if (locked_ || !enabled_)
            return;
        if (!editing_) {
            editing_ = true;
            saved_ = value_;
            value_ = Variant(text);
            Raise([](IParameterRowEvents& e) { e.OnStartEdit(); });
        } else {
            value_ = Variant(text);
        }
        if (editing_)
            Raise([](IParameterRowEvents& e) { e.OnChange(); });
    }
    // Enter (or the field lost the focus): EndEdit(True).
    void Enter() {
        if (!editing_)
            return;
        editing_ = false;
        Raise([](IParameterRowEvents& e) { e.OnEndEdit(true); });
    }
    // Escape: the value from before the edit is back, EndEdit(False).
    void Escape() {
        if (!editing_)
            return;
        editing_ = false;
        value_ = saved_;
        Raise([](IParameterRowEvents& e) { e.OnEndEdit(false); });
    }
    // Chooses a list entry, sets the bits of a bit list or presses the command button.
    void Choose(const Variant& value) {
        if (locked_ || !enabled_)
            return;
        value_ = value;
        Raise([](IParameterRowEvents& e) { e.OnClick(); });
    }
    void Press() {
        if (locked_ || !enabled_)
            return;
        Raise([](IParameterRowEvents& e) { e.OnClick(); });
    }
    // A key press; the key code as the handler left it.
    int32_t Key(int32_t code, int32_t shift) {
        Raise([&](IParameterRowEvents& e) { e.OnKeyDown(code, shift); });
        return code;
    }
    void Menu(int32_t index) {
        Raise([index](IParameterRowEvents& e) { e.OnMenuClick(index); });
    }
    bool Editing() const { return editing_; }

    // --- IParameterRow ---
    std::string ParameterTag() const override { return tag_; }
    void SetParameterTag(const std::string& tag) override { tag_ = tag; }
    int32_t ControlType() const override { return controlType_; }
    void SetControlType(int32_t type) override { controlType_ = type; }
    bool Locked() const override { return locked_; }
    void SetLocked(bool locked) override {
        locked_ = locked;
        if (locked && editing_) {
            // Locking a field while the user types drops the edit.
            editing_ = false;
            value_ = saved_;
            Raise([](IParameterRowEvents& e) { e.OnEndEdit(false); });
        }
    }
    bool Enabled() const override { return enabled_; }
    void SetEnabled(bool enabled) override { enabled_ = enabled; }
    Variant Value() const override { return value_; }
    void SetValue(const Variant& value) override {
        // While the user types the text stays; the value is the one Escape goes back to.
        if (editing_)
            saved_ = value;
        else
            value_ = value;
        ++valueSets;
    }
    std::string LabelText() const override { return label_; }
    void SetLabelText(const std::string& text) override { label_ = text; }
    int32_t ForeColor() const override { return foreColor_; }
    void SetForeColor(int32_t color) override { foreColor_ = color; }
    int32_t ValueForeColor() const override { return valueForeColor_; }
    void SetValueForeColor(int32_t color) override { valueForeColor_ = color; }
    int32_t ValueMaxLength() const override { return maxLength_; }
    void SetValueMaxLength(int32_t length) override { maxLength_ = length; }
    bool ValueUpperCase() const override { return upperCase_; }
    void SetValueUpperCase(bool upperCase) override { upperCase_ = upperCase; }
    std::string StatusIcon() const override { return icon_; }
    void SetStatusIcon(const std::string& key) override { icon_ = key; }
    std::string IconToolTip() const override { return iconTip_; }
    void SetIconToolTip(const std::string& text) override { iconTip_ = text; }
    void AddMenuItem(const std::string& text) override { menu_.push_back(text); }
    void RemoveMenuItems() override { menu_.clear(); }
    int32_t MenuItemCount() const override { return static_cast<int32_t>(menu_.size()); }
    std::string MenuItemText(int32_t index) const override {
        return index >= 1 && index <= MenuItemCount() ? menu_[static_cast<size_t>(index - 1)]
                                                      : std::string();
    }
    void SetMenuItemText(int32_t index, const std::string& text) override {
        if (index >= 1 && index <= MenuItemCount())
            menu_[static_cast<size_t>(index - 1)] = text;
    }
    std::string ValueList() const override { return valueList_; }
    void SetValueList(const std::string& list) override { valueList_ = list; }
    std::string ValueFormat() const override { return format_; }
    void SetValueFormat(const std::string& format) override { format_ = format; }
    void SetNumberLocale(const NumberLocale& loc) override { locale = locale_ = loc; }
    std::string UnitText() const override { return unit_; }
    void SetUnitText(const std::string& text) override { unit_ = text; }
    std::string HelpText() const override { return help_; }
    void SetHelpText(const std::string& text) override { help_ = text; }
    bool WriteLocked() const override { return writeLocked_; }
    void SetWriteLocked(bool locked) override { writeLocked_ = locked; }
    bool Visible() const override { return visible_; }
    void SetVisible(bool visible) override { visible_ = visible; }
    void SetEvents(std::weak_ptr<IParameterRowEvents> events) override {
        events_ = std::move(events);
    }
    IParamHelp* ParamHelpCtl() override { return helpPane; }
    LifetimeToken::Watcher Lifetime() const override { return lifetime_.Watch(); }

    IParamHelp* helpPane = nullptr;
    NumberLocale locale;
    int valueSets = 0;

  private:
    template <typename Fn>
    void Raise(Fn&& fn) {
        if (std::shared_ptr<IParameterRowEvents> listener = events_.lock())
            fn(*listener);
    }

    std::weak_ptr<IParameterRowEvents> events_;
    std::string tag_;
    int32_t controlType_ = 0;
    bool locked_ = false;
    bool enabled_ = true;
    bool editing_ = false;
    Variant value_;
    Variant saved_;
    std::string label_;
    int32_t foreColor_ = 0;
    int32_t valueForeColor_ = 0;
    int32_t maxLength_ = 0;
    bool upperCase_ = false;
    std::string icon_;
    std::string iconTip_;
    std::vector<std::string> menu_;
    std::string valueList_;
    std::string format_;
    NumberLocale locale_;
    std::string unit_;
    std::string help_;
    bool writeLocked_ = false;
    bool visible_ = true;
    LifetimeToken lifetime_;
};

}  // namespace kv::test_support
