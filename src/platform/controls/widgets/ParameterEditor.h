#pragma once
// The value editor of a parameter row: the one widget that shows the row's value and lets the
// user change it, as the control type asks for it: a text field, a choice from the value list,
// a list of bits to tick or a push button. The editor's widgets are children of the row, which
// watches their events; the editor tells the row what the user did through its signals, never
// while it changes its widgets itself.

#include <QObject>
#include <QString>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "value/ValueList.h"
#include "value/Variant.h"

class QColor;
class QComboBox;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPalette;
class QPushButton;
class QWidget;

namespace kv {

enum class EditorKind { None, Field, Choice, Bits, Button };

class ParameterEditor : public QObject {
    Q_OBJECT

  public:
    // The editor's widgets go into the row, which filters their events.
    explicit ParameterEditor(QWidget* row);
    ~ParameterEditor() override;

    // The editor a control type takes; a locked choice shows its entry's text in a read-only
    // field.
    static EditorKind KindFor(int32_t controlType, bool readOnly);
    EditorKind Kind() const { return kind_; }
    // Replaces the widget by one of the kind. The old one is deleted at once, or later when
    // `deferDelete` (it may be the sender of the event being handled). A bit list without
    // names takes its bits from `value`.
    void Replace(EditorKind kind, const Variant& value, bool deferDelete);

    QWidget* Widget() const { return widget_; }
    QLineEdit* Field() const { return field_; }
    QComboBox* Choice() const { return choice_; }
    // True for the widget and the bit list's viewport: the objects whose events the row handles.
    bool Watches(const QObject* watched) const;

    int32_t MaxLength() const { return maxLength_; }
    // The longest text the field takes; 0 for no limit.
    void SetMaxLength(int32_t length);
    const kv::ValueList& ValueList() const { return valueList_; }
    // False when the list is the one shown already; else the choice or the bits follow it (a
    // bit list without names takes its bits from `value`).
    bool SetValueList(const std::string& list, const Variant& value);
    const std::string& ValueFormat() const { return valueFormat_; }
    // False when the format is the one used already.
    bool SetValueFormat(const std::string& format);
    void SetNumberLocale(const NumberLocale& locale) { locale_ = locale; }
    // A bit list without names gets one entry per bit of the value; True when its entries
    // changed.
    bool FollowBitsOf(const Variant& value);

    // The width the editor needs to show its texts whole: a choice, a bit list, or a field that
    // shows the entries of the value list (listEntries) the longest entry, a button its caption;
    // any other field room for a short value. 0 without a widget.
    int NeededWidth(bool listEntries) const;
    // The height a bit list needs to show its entries, at most `most` of them (it scrolls to the
    // others), without scrolling; 0 for another kind.
    int BitsHeight(int most = std::numeric_limits<int>::max()) const;

    // Shows the value: in a field as its text, or its entry's text of the value list when
    // `listEntry` and the list has one; as the chosen entry; as the ticked bits.
    void Show(const Variant& value, bool listEntry);
    // The text shown for the value: the field's text, the chosen entry's text, the names of the
    // ticked bits joined by ", ", the button's caption.
    QString DisplayText() const;

    void SetReadOnly(bool readOnly);
    // The palette of the row with the value's colour; read only, a field or bit list has the
    // ground of a dialog instead of the white of an input field.
    void SetColors(const QPalette& base, const QColor& valueColor);
    void SetToolTip(const QString& text);

    // The field while the user types: the typed text replaced (the cursor stays where it was).
    void ReplaceFieldText(const QString& text);

  signals:
    // The user typed in the field.
    void edited(const QString& text);
    // The user chose the entry numbered `number` of the value list.
    void chosen(int32_t number);
    // The user ticked or unticked a bit.
    void bitTicked(int32_t bit, bool set);
    // The user pressed the button.
    void clicked();

  private:
    struct BitItem {
        int32_t bit;
        QListWidgetItem* item;
    };

    void DropWidget(bool deferDelete);
    void FillChoice();
    // True when the entries changed.
    bool FillBits(const Variant& value);
    void ApplyReadOnly();
    QString ValueText(const Variant& value) const;
    QString ListEntryText(const Variant& value, bool* found) const;

    void OnFieldEdited(const QString& text);
    void OnChoiceActivated(int index);
    void OnBitChanged(QListWidgetItem* item);

    QWidget* row_;
    int32_t maxLength_ = 0;
    kv::ValueList valueList_;
    std::string valueFormat_;
    NumberLocale locale_;
    bool readOnly_ = false;

    EditorKind kind_ = EditorKind::None;
    QWidget* widget_ = nullptr;
    QLineEdit* field_ = nullptr;
    QComboBox* choice_ = nullptr;
    QListWidget* bits_ = nullptr;
    QPushButton* button_ = nullptr;
    std::vector<BitItem> bitItems_;
    // The value-list entries behind the choice's items (number of each item).
    std::vector<int32_t> choiceNumbers_;
    kv::ValueList filledList_;
    // Set while the editor changes its widgets itself, so that no user action is signalled.
    bool updating_ = false;
};

}  // namespace kv
