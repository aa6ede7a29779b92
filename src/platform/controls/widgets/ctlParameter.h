#pragma once
// One parameter row: status icon, label, value editor and unit side by side (or the label above
// the value with "labelstyle" 2). The editor (ParameterEditor) follows the control type: a text
// field, a choice from the value list, a list of bits to tick or a push button. Locked rows show
// their value read only on a grey ground; the help menu item is reached by the context menu,
// Shift+F1 by the KeyDown event.

#include <QPointer>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "platform/controls/ControlInterfaces.h"
#include "platform/runtime/IPropertyBag.h"
#include "value/ValueList.h"

class QLabel;

namespace kv {

class ParameterEditor;

class ctlParameter : public QWidget, public IParameterRow {
    Q_OBJECT

  public:
    explicit ctlParameter(QWidget* parent = nullptr);
    ~ctlParameter() override;

    // Designer data, by key (case-insensitive): "parametertag", "labeltext", "labelwidth" and
    // "unitwidth" (twips when positive, percent of the row's width when negative, no column
    // when 0; -40 and -10 when missing), "unittext", "controltype", "locked", "iconvisible",
    // "labelstyle" (2: the label stands above the value, else beside it), "statusicon" (an
    // image key), "visible"; "font" is left to the application's font. A value of the wrong
    // kind leaves its property as it was and gives False; the others are read.
    bool ReadProperties(const IPropertyBag& bag);

    std::string ParameterTag() const override { return tag_; }
    void SetParameterTag(const std::string& tag) override { tag_ = tag; }
    int32_t ControlType() const override { return controlType_; }
    void SetControlType(int32_t type) override;
    bool Locked() const override { return locked_; }
    void SetLocked(bool locked) override;
    bool Enabled() const override { return isEnabled(); }
    void SetEnabled(bool enabled) override { setEnabled(enabled); }
    Variant Value() const override { return value_; }
    void SetValue(const Variant& value) override;
    std::string LabelText() const override { return labelText_; }
    void SetLabelText(const std::string& text) override;
    int32_t ForeColor() const override { return foreColor_; }
    void SetForeColor(int32_t color) override;
    int32_t ValueForeColor() const override { return valueForeColor_; }
    void SetValueForeColor(int32_t color) override;
    int32_t ValueMaxLength() const override;
    void SetValueMaxLength(int32_t length) override;
    bool ValueUpperCase() const override { return upperCase_; }
    void SetValueUpperCase(bool upperCase) override { upperCase_ = upperCase; }
    std::string StatusIcon() const override { return statusIcon_; }
    void SetStatusIcon(const std::string& key) override;
    std::string IconToolTip() const override { return iconToolTip_; }
    void SetIconToolTip(const std::string& text) override;

    void AddMenuItem(const std::string& text) override { menuItems_.push_back(text); }
    void RemoveMenuItems() override { menuItems_.clear(); }
    int32_t MenuItemCount() const override { return static_cast<int32_t>(menuItems_.size()); }
    std::string MenuItemText(int32_t index) const override;
    void SetMenuItemText(int32_t index, const std::string& text) override;

    std::string ValueList() const override;
    void SetValueList(const std::string& list) override;
    std::string ValueFormat() const override;
    void SetValueFormat(const std::string& format) override;
    void SetNumberLocale(const NumberLocale& locale) override;
    std::string UnitText() const override { return unitText_; }
    void SetUnitText(const std::string& text) override;
    std::string HelpText() const override { return helpText_; }
    void SetHelpText(const std::string& text) override;
    bool WriteLocked() const override { return writeLocked_; }
    void SetWriteLocked(bool locked) override { writeLocked_ = locked; }
    bool Visible() const override { return visible_ && designVisible_; }
    void SetVisible(bool visible) override;

    void SetEvents(std::weak_ptr<IParameterRowEvents> events) override;
    IParamHelp* ParamHelpCtl() override;
    LifetimeToken::Watcher Lifetime() const override { return lifetime_.Watch(); }

    // The binding site's overlay: False shows the row read only whatever Locked says.
    void SetEditEnabled(bool enabled);
    bool EditEnabled() const { return editEnabled_; }
    // True while the value is shown read only (locked, or editing switched off by the site).
    bool ReadOnly() const { return locked_ || !editEnabled_; }
    // --- geometry ---
    // The label stands beside the value, in a column as wide as the designed label width, the
    // page's label column and the label's text; where the value then lacks room for its texts
    // (a choice's longest entry, a bit list's longest bit), the label stands above the value
    // across the row. A unit column without a text gives its room to a value that needs it.
    //
    // The width the label's whole text takes.
    int LabelTextWidth() const;
    // The least width of the label column beside the value; the page gives its rows one
    // column. 0: the designed width and the label's text decide.
    void SetLabelColumn(int pixels);
    // Whether the label stands beside the value at that width with a label column at least
    // labelColumn wide.
    bool FitsBeside(int width, int labelColumn) const;
    // Whether the label stands above the value now.
    bool Stacked() const;
    // The least size at which every text of the row shows whole.
    QSize minimumSizeHint() const override;
    // The height the row needs at a width: a line, a line more for a label above the value,
    // and a bit list's every bit.
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    // The height at a width with a bit list that shows at most `bits` of its bits and scrolls
    // to the others.
    int HeightShowingBits(int width, int bits) const;

    // The text the row shows for its value (the chosen entry's text of a value list, the names
    // of the ticked bits joined by ", " for a bit list, the caption of a command button).
    QString DisplayText() const;

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    // Sets the two causes of a read-only row: the lock and the site's overlay.
    void SetReadOnlyCauses(bool locked, bool editEnabled);
    void RebuildEditor();
    void ShowValue();
    void ApplyReadOnly();
    void ApplyColors();
    void ApplyToolTips();
    void ApplyVisibility();
    // Where the parts of the row go at a width.
    struct Columns {
        bool stacked = false;  // the label above the value
        int left = 0;          // of the label, right of the icon
        int label = 0;         // the label column beside the value
        int unit = 0;          // the unit column at the right; 0: none
        int editorLeft = 0;
        int editorRight = 0;
    };
    Columns ColumnsAt(int width, int labelColumn) const;
    int LineHeight() const;
    int LabelLineHeight() const;
    int UnitTextWidth() const;
    int EditorWidthNeeded() const;
    void DoLayout();
    // What a change makes the row measure anew.
    enum Needs { kLabelNeeds = 1, kUnitNeeds = 2, kEditorNeeds = 4, kAllNeeds = 7 };
    // The room the row's texts need changed: they are measured anew when next asked for.
    void NeedsChanged(int needs);
    // Lays the row out anew and tells its page when the row's least width or height changed; a
    // row not shown waits until it shows.
    void Relayout();
    QString ElidedLabel() const;
    void ShowContextMenu(QWidget* source, const QPoint& globalPos);

    // User actions, as the editor tells them.
    void OnFieldEdited(const QString& text);
    void OnEntryChosen(int32_t number);
    void OnBitTicked(int32_t bit, bool set);
    void OnButtonClicked();
    void EndFieldEdit(bool commit);
    // KeyDown for a key press on the row; True when the key was consumed or the row is gone.
    bool RaiseKeyDown(QKeyEvent* event, bool& rowGone);

    // Delivers one event to the listener; False when the row was destroyed meanwhile.
    template <typename Fn>
    bool Raise(Fn&& fn);

    std::weak_ptr<IParameterRowEvents> events_;

    std::string tag_;
    int32_t controlType_ = 0;
    bool locked_ = false;
    bool editEnabled_ = true;
    Variant value_;
    std::string labelText_;
    int32_t foreColor_ = static_cast<int32_t>(0x80000012u);       // button text
    int32_t valueForeColor_ = static_cast<int32_t>(0x80000008u);  // window text
    bool upperCase_ = false;
    std::string statusIcon_;
    std::string iconToolTip_;
    std::vector<std::string> menuItems_;
    std::string unitText_;
    std::string helpText_;
    bool writeLocked_ = false;
    bool visible_ = true;
    bool designVisible_ = true;
    bool hiddenByRow_ = false;
    int32_t labelWidth_ = -40;
    int32_t unitWidth_ = -10;
    bool iconVisible_ = true;
    int32_t labelStyle_ = 0;
    int labelColumn_ = 0;
    // What the label, the unit and the value need, measured once after each change; -1 until
    // measured.
    mutable int labelNeeded_ = -1;
    mutable int unitNeeded_ = -1;
    mutable int editorNeeded_ = -1;
    QSize toldNeeds_;  // the least width and the height at the row's width the page knows
    bool layoutPending_ = false;

    // Editing of a plain field: the value Escape goes back to (the one shown before the edit,
    // or set during it).
    bool editing_ = false;
    Variant savedValue_;
    bool destroying_ = false;
    // Depth of events being delivered to the listener (its handler may rebuild the editor).
    int dispatching_ = 0;

    QLabel* icon_ = nullptr;
    QLabel* label_ = nullptr;
    QLabel* unit_ = nullptr;
    std::unique_ptr<ParameterEditor> editor_;
    LifetimeToken lifetime_;
};

}  // namespace kv
