#include "platform/controls/widgets/ctlParameter.h"

#include <QComboBox>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <algorithm>
#include <limits>
#include <optional>

#include "platform/controls/BitText.h"
#include "platform/controls/widgets/LastResort.h"
#include "platform/controls/widgets/ParameterEditor.h"
#include "platform/controls/widgets/QtText.h"
#include "platform/controls/widgets/StatusImages.h"
#include "platform/controls/widgets/Twips.h"
#include "platform/controls/widgets/WinColor.h"

namespace kv {

namespace {

constexpr int kIconSize = 16;
constexpr int kGap = 4;
// Height of a row as the pages place it (315 twips).
constexpr int kRowHeightTwips = 315;

// Windows virtual-key code of a Qt key; 0 for keys without one.
int32_t VirtualKey(int key) {
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return 112 + (key - Qt::Key_F1);
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return key;  // the same codes as ASCII
    switch (key) {
        case Qt::Key_Backspace:
            return 8;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return 9;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return 13;
        case Qt::Key_Shift:
            return 16;
        case Qt::Key_Control:
            return 17;
        case Qt::Key_Alt:
            return 18;
        case Qt::Key_Escape:
            return 27;
        case Qt::Key_Space:
            return 32;
        case Qt::Key_PageUp:
            return 33;
        case Qt::Key_PageDown:
            return 34;
        case Qt::Key_End:
            return 35;
        case Qt::Key_Home:
            return 36;
        case Qt::Key_Left:
            return 37;
        case Qt::Key_Up:
            return 38;
        case Qt::Key_Right:
            return 39;
        case Qt::Key_Down:
            return 40;
        case Qt::Key_Insert:
            return 45;
        case Qt::Key_Delete:
            return 46;
        default:
            return 0;
    }
}

int32_t ShiftState(Qt::KeyboardModifiers modifiers) {
    int32_t shift = 0;
    if (modifiers & Qt::ShiftModifier)
        shift |= 1;
    if (modifiers & Qt::ControlModifier)
        shift |= 2;
    if (modifiers & Qt::AltModifier)
        shift |= 4;
    return shift;
}

// A designer width: twips when positive, percent of the row's width when negative.
int ColumnWidth(int32_t designed, int rowWidth, const QWidget* widget) {
    if (designed < 0)
        return rowWidth * std::min<int32_t>(-designed, 100) / 100;
    return designed > 0 ? TwipsToPixels(designed, widget) : 0;
}

}  // namespace

ctlParameter::ctlParameter(QWidget* parent) : QWidget(parent) {
    icon_ = new QLabel(this);
    icon_->setObjectName(QStringLiteral("icon"));
    icon_->setFixedSize(kIconSize, kIconSize);
    label_ = new QLabel(this);
    label_->setObjectName(QStringLiteral("label"));
    label_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    unit_ = new QLabel(this);
    unit_->setObjectName(QStringLiteral("unit"));
    unit_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    editor_ = std::make_unique<ParameterEditor>(this);
    connect(editor_.get(), &ParameterEditor::edited, this, &ctlParameter::OnFieldEdited);
    connect(editor_.get(), &ParameterEditor::chosen, this, &ctlParameter::OnEntryChosen);
    connect(editor_.get(), &ParameterEditor::bitTicked, this, &ctlParameter::OnBitTicked);
    connect(editor_.get(), &ParameterEditor::clicked, this, &ctlParameter::OnButtonClicked);
    resize(TwipsToPixels(6015, this), TwipsToPixels(kRowHeightTwips, this));
    RebuildEditor();
    ApplyColors();
}

ctlParameter::~ctlParameter() {
    destroying_ = true;
    events_.reset();
}

template <typename Fn>
bool ctlParameter::Raise(Fn&& fn) {
    std::shared_ptr<IParameterRowEvents> listener = events_.lock();
    if (!listener)
        return true;
    QPointer<ctlParameter> self(this);
    ++dispatching_;
    CallGuarded("a parameter row's event", [&] { fn(*listener); });
    if (self.isNull())
        return false;
    --dispatching_;
    return true;
}

// --- designer data ---

bool ctlParameter::ReadProperties(const IPropertyBag& bag) {
    // A key the bag lacks leaves its property alone; a value that does not convert does too,
    // and makes the answer False.
    using Text = std::string;
    bool ok = ReadStoredProperty<Text>(bag, "parametertag",
                                       [this](const Text& s) { SetParameterTag(s); });
    ok &= ReadStoredProperty<Text>(bag, "labeltext", [this](const Text& s) { SetLabelText(s); });
    ok &= ReadStoredProperty<Text>(bag, "unittext", [this](const Text& s) { SetUnitText(s); });
    ok &= ReadStoredProperty<int32_t>(bag, "labelwidth", [this](int32_t n) { labelWidth_ = n; });
    ok &= ReadStoredProperty<int32_t>(bag, "unitwidth", [this](int32_t n) { unitWidth_ = n; });
    ok &= ReadStoredProperty<bool>(bag, "iconvisible", [this](bool b) { iconVisible_ = b; });
    ok &= ReadStoredProperty<int32_t>(bag, "labelstyle", [this](int32_t n) { labelStyle_ = n; });
    ok &= ReadStoredProperty<int32_t>(bag, "controltype", [this](int32_t n) { SetControlType(n); });
    ok &= ReadStoredProperty<bool>(bag, "locked", [this](bool b) { SetLocked(b); });
    ok &= ReadStoredProperty<Text>(bag, "statusicon", [this](const Text& s) { SetStatusIcon(s); });
    ok &= ReadStoredProperty<bool>(bag, "visible", [this](bool b) {
        designVisible_ = b;
        ApplyVisibility();
    });
    NeedsChanged(kAllNeeds);
    return ok;
}

// --- properties ---

void ctlParameter::SetControlType(int32_t type) {
    if (type == controlType_)
        return;
    controlType_ = type;
    RebuildEditor();
}

void ctlParameter::SetLocked(bool locked) {
    SetReadOnlyCauses(locked, editEnabled_);
}

void ctlParameter::SetEditEnabled(bool enabled) {
    SetReadOnlyCauses(locked_, enabled);
}

void ctlParameter::SetReadOnlyCauses(bool locked, bool editEnabled) {
    const bool wasReadOnly = ReadOnly();
    locked_ = locked;
    editEnabled_ = editEnabled;
    if (wasReadOnly == ReadOnly())
        return;
    // A field that becomes read only while the user types drops the edit.
    const bool dropEdit = ReadOnly() && editing_;
    if (dropEdit) {
        editing_ = false;
        value_ = savedValue_;
    }
    RebuildEditor();
    if (dropEdit)
        Raise([](IParameterRowEvents& e) { e.OnEndEdit(false); });
}

void ctlParameter::SetValue(const Variant& value) {
    if (editing_) {
        // The text the user types stays until the edit is committed or left; Escape goes back
        // to this value.
        savedValue_ = value;
        return;
    }
    value_ = value;
    // Without names, the bits follow the value's length.
    if (editor_->FollowBitsOf(value))
        NeedsChanged(kEditorNeeds);
    ShowValue();
}

void ctlParameter::SetLabelText(const std::string& text) {
    if (text == labelText_)
        return;
    labelText_ = text;
    NeedsChanged(kLabelNeeds);
}

void ctlParameter::SetForeColor(int32_t color) {
    foreColor_ = color;
    ApplyColors();
}

void ctlParameter::SetValueForeColor(int32_t color) {
    valueForeColor_ = color;
    ApplyColors();
}

int32_t ctlParameter::ValueMaxLength() const {
    return editor_->MaxLength();
}

void ctlParameter::SetValueMaxLength(int32_t length) {
    editor_->SetMaxLength(length);
}

void ctlParameter::SetStatusIcon(const std::string& key) {
    // A refresh sets the icon at every cycle: only another one is shown anew.
    if (key == statusIcon_)
        return;
    statusIcon_ = key;
    icon_->setPixmap(StatusImages::Pixmap(key));
}

void ctlParameter::SetIconToolTip(const std::string& text) {
    iconToolTip_ = text;
    icon_->setToolTip(ToQString(text));
}

std::string ctlParameter::MenuItemText(int32_t index) const {
    if (index < 1 || index > MenuItemCount())
        return {};
    return menuItems_[static_cast<size_t>(index - 1)];
}

void ctlParameter::SetMenuItemText(int32_t index, const std::string& text) {
    if (index < 1 || index > MenuItemCount())
        return;
    menuItems_[static_cast<size_t>(index - 1)] = text;
}

std::string ctlParameter::ValueList() const {
    return editor_->ValueList().str();
}

void ctlParameter::SetValueList(const std::string& list) {
    if (!editor_->SetValueList(list, value_))
        return;
    ShowValue();
    NeedsChanged(kEditorNeeds);
}

std::string ctlParameter::ValueFormat() const {
    return editor_->ValueFormat();
}

void ctlParameter::SetValueFormat(const std::string& format) {
    if (editor_->SetValueFormat(format))
        ShowValue();
}

void ctlParameter::SetNumberLocale(const NumberLocale& locale) {
    editor_->SetNumberLocale(locale);
    ShowValue();
}

void ctlParameter::SetUnitText(const std::string& text) {
    if (text == unitText_)
        return;
    unitText_ = text;
    unit_->setText(ToQString(text));
    NeedsChanged(kUnitNeeds);
}

void ctlParameter::SetHelpText(const std::string& text) {
    helpText_ = text;
    ApplyToolTips();
}

void ctlParameter::SetVisible(bool visible) {
    visible_ = visible;
    ApplyVisibility();
}

void ctlParameter::ApplyVisibility() {
    const bool want = Visible();
    if (!want && !hiddenByRow_) {
        hiddenByRow_ = true;
        hide();
    } else if (want && hiddenByRow_) {
        hiddenByRow_ = false;
        if (parentWidget() != nullptr)
            show();
    }
}

void ctlParameter::SetEvents(std::weak_ptr<IParameterRowEvents> events) {
    events_ = std::move(events);
}

IParamHelp* ctlParameter::ParamHelpCtl() {
    for (QWidget* w = parentWidget(); w != nullptr; w = w->parentWidget()) {
        if (auto* host = dynamic_cast<IParamHelpHost*>(w))
            return host->GetParamHelpCtl();
    }
    return nullptr;
}

// --- the editor ---

void ctlParameter::RebuildEditor() {
    const EditorKind wanted = ParameterEditor::KindFor(controlType_, ReadOnly());
    const bool replacing = wanted != editor_->Kind();
    // A field replaced while the user types drops the edit.
    const bool dropEdit = editing_ && replacing;
    if (dropEdit)
        value_ = savedValue_;
    if (replacing) {
        editing_ = false;
        editor_->Replace(wanted, value_, dispatching_ > 0);
        NeedsChanged(kEditorNeeds);
        ApplyToolTips();
    }
    ApplyReadOnly();
    ShowValue();
    if (dropEdit)
        Raise([](IParameterRowEvents& e) { e.OnEndEdit(false); });
}

void ctlParameter::ApplyReadOnly() {
    editor_->SetReadOnly(ReadOnly());
    ApplyColors();
}

void ctlParameter::ApplyColors() {
    const QPalette& base = palette();
    QPalette labelPalette = label_->palette();
    labelPalette.setColor(QPalette::WindowText, WinColor(foreColor_, base));
    label_->setPalette(labelPalette);
    unit_->setPalette(labelPalette);
    editor_->SetColors(base, WinColor(valueForeColor_, base));
}

void ctlParameter::ApplyToolTips() {
    const QString help = ToQString(helpText_);
    label_->setToolTip(help);
    editor_->SetToolTip(help);
}

void ctlParameter::ShowValue() {
    editor_->Show(value_, controlType_ == pctValueList);
}

QString ctlParameter::DisplayText() const {
    return editor_->DisplayText();
}

// --- layout ---

int ctlParameter::LabelTextWidth() const {
    // As the label measures itself.
    if (labelNeeded_ < 0)
        labelNeeded_ =
            label_->fontMetrics()
                .boundingRect(QRect(0, 0, QWIDGETSIZE_MAX, QWIDGETSIZE_MAX),
                              static_cast<int>(label_->alignment()), ToQString(labelText_))
                .width();
    return labelNeeded_;
}

int ctlParameter::UnitTextWidth() const {
    if (unitNeeded_ < 0)
        unitNeeded_ = unit_->sizeHint().width();
    return unitNeeded_;
}

int ctlParameter::EditorWidthNeeded() const {
    if (editorNeeded_ < 0)
        editorNeeded_ = editor_->NeededWidth(controlType_ == pctValueList);
    return editorNeeded_;
}

int ctlParameter::LineHeight() const {
    return std::max(fontMetrics().height() + 6, TwipsToPixels(kRowHeightTwips, this));
}

int ctlParameter::LabelLineHeight() const {
    return fontMetrics().height() + 2;
}

ctlParameter::Columns ctlParameter::ColumnsAt(int width, int labelColumn) const {
    Columns c;
    c.left = iconVisible_ ? kIconSize + kGap : 0;
    c.unit = ColumnWidth(unitWidth_, width, this);
    if (c.unit > 0 && !unitText_.empty())
        c.unit = std::max(c.unit, UnitTextWidth());
    const int needed = EditorWidthNeeded();
    // The value's room from its left; an empty unit column gives its room when the value
    // needs it.
    auto placeEditor = [&](int left) {
        c.editorLeft = left;
        c.editorRight = c.unit > 0 ? width - c.unit - kGap : width;
        if (c.unit > 0 && unitText_.empty() && c.editorRight - left < needed)
            c.editorRight = width;
        return c.editorRight - left >= needed;
    };
    const int designed = ColumnWidth(labelWidth_, width, this);
    if (labelStyle_ != 2) {
        // A row designed without a label column keeps the value beside the icon.
        c.label = designed > 0 ? std::max({designed, labelColumn, LabelTextWidth()}) : 0;
        if (placeEditor(c.left + (c.label > 0 ? c.label + kGap : 0)) || c.label == 0)
            return c;
    }
    c.stacked = true;
    c.label = 0;
    placeEditor(c.left);
    return c;
}

void ctlParameter::SetLabelColumn(int pixels) {
    if (pixels == labelColumn_)
        return;
    labelColumn_ = pixels;
    Relayout();
}

bool ctlParameter::FitsBeside(int width, int labelColumn) const {
    return !ColumnsAt(width, labelColumn).stacked;
}

bool ctlParameter::Stacked() const {
    return ColumnsAt(width(), labelColumn_).stacked;
}

QSize ctlParameter::minimumSizeHint() const {
    return CallGuarded("row least size", QWidget::minimumSizeHint(), [&] {
        // The label above the value: the value and its unit side by side, the label across.
        const int left = iconVisible_ ? kIconSize + kGap : 0;
        const int value = EditorWidthNeeded();
        const int label = labelWidth_ != 0 || labelStyle_ == 2 ? LabelTextWidth() : 0;
        int width = left + std::max(label, value);
        if (ColumnWidth(unitWidth_, width, this) > 0 && !unitText_.empty()) {
            const int beforeUnit = left + value + kGap;
            width = std::max(width, beforeUnit + UnitTextWidth());
            // A unit column that is a part of the row's width grows with the row.
            while (width - std::max(ColumnWidth(unitWidth_, width, this), UnitTextWidth()) <
                   beforeUnit)
                ++width;
        }
        return QSize(width, heightForWidth(width));
    });
}

int ctlParameter::heightForWidth(int width) const {
    return HeightShowingBits(width, std::numeric_limits<int>::max());
}

int ctlParameter::HeightShowingBits(int width, int bits) const {
    return CallGuarded("row height", height(), [&] {
        const bool stacked = ColumnsAt(width, labelColumn_).stacked;
        int value = LineHeight();
        if (editor_->Kind() == EditorKind::Bits) {
            const int list = editor_->BitsHeight(bits);
            value = stacked ? list : std::max(value, list);
        }
        return (stacked ? LabelLineHeight() : 0) + value;
    });
}

QString ctlParameter::ElidedLabel() const {
    const QString whole = ToQString(labelText_);
    if (label_->width() >= LabelTextWidth())
        return whole;
    return label_->fontMetrics().elidedText(whole, Qt::ElideRight, std::max(label_->width(), 0));
}

void ctlParameter::NeedsChanged(int needs) {
    if ((needs & kLabelNeeds) != 0)
        labelNeeded_ = -1;
    if ((needs & kUnitNeeds) != 0)
        unitNeeded_ = -1;
    if ((needs & kEditorNeeds) != 0)
        editorNeeded_ = -1;
    Relayout();
}

void ctlParameter::Relayout() {
    if (!isVisible()) {
        layoutPending_ = true;
        return;
    }
    DoLayout();
    const QSize now(minimumSizeHint().width(), heightForWidth(width()));
    if (now != toldNeeds_) {
        toldNeeds_ = now;
        updateGeometry();
    }
}

void ctlParameter::DoLayout() {
    layoutPending_ = false;
    const int w = width();
    const int h = height();
    const int lineH = std::min(h, LineHeight());
    const Columns c = ColumnsAt(w, labelColumn_);

    icon_->setVisible(iconVisible_);
    if (iconVisible_)
        icon_->move(0, std::max(0, (lineH - kIconSize) / 2));
    int editorTop = 0;
    if (c.stacked) {
        // The label above the value, across the row.
        const int labelH = std::min(h, LabelLineHeight());
        label_->setGeometry(c.left, 0, std::max(0, w - c.left), labelH);
        label_->setVisible(true);
        editorTop = labelH;
    } else {
        label_->setGeometry(c.left, 0, c.label, lineH);
        label_->setVisible(c.label > 0);
    }
    unit_->setVisible(c.unit > 0);
    const int lineHeight = c.stacked ? std::max(0, h - editorTop) : lineH;
    unit_->setGeometry(w - c.unit, editorTop, c.unit, std::min(lineHeight, lineH));

    if (QWidget* editor = editor_->Widget(); editor != nullptr) {
        const int editorW = std::max(0, c.editorRight - c.editorLeft);
        const int room = std::max(0, h - editorTop);
        int editorH = room;
        int width = editorW;
        if (editor_->Kind() != EditorKind::Bits)
            editorH = std::min(room, std::max(lineH, editor->sizeHint().height()));
        if (editor_->Kind() == EditorKind::Button)
            width = std::min(editorW, std::max(editor->sizeHint().width(), 2 * lineH));
        editor->setGeometry(c.editorLeft, editorTop, width, editorH);
    }
    label_->setText(ElidedLabel());
}

void ctlParameter::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    CallGuarded("row resize", [&] { DoLayout(); });
}

void ctlParameter::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (layoutPending_)
        CallGuarded("row show", [&] { Relayout(); });
}

void ctlParameter::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    CallGuarded("row change", [&] {
        if (event->type() == QEvent::PaletteChange)
            ApplyColors();
        else if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
            NeedsChanged(kAllNeeds);
    });
}

// --- user actions ---

void ctlParameter::OnFieldEdited(const QString& text) {
    CallGuarded("row field edited", [&] {
        if (ReadOnly())
            return;
        QString typed = text;
        if (upperCase_ && typed != typed.toUpper()) {
            // Typed letters become capitals; the cursor stays where it was.
            typed = typed.toUpper();
            editor_->ReplaceFieldText(typed);
        }
        const bool starting = !editing_;
        if (starting) {
            editing_ = true;
            savedValue_ = value_;
        }
        value_ = Variant(typed.toStdString());
        if (starting && !Raise([](IParameterRowEvents& e) { e.OnStartEdit(); }))
            return;
        if (editing_)  // the StartEdit handler may have locked the row
            Raise([](IParameterRowEvents& e) { e.OnChange(); });
    });
}

void ctlParameter::EndFieldEdit(bool commit) {
    if (!editing_)
        return;
    editing_ = false;
    if (!commit) {
        value_ = savedValue_;
        ShowValue();
    }
    Raise([commit](IParameterRowEvents& e) { e.OnEndEdit(commit); });
}

void ctlParameter::OnEntryChosen(int32_t number) {
    CallGuarded("row choice", [&] {
        if (ReadOnly())
            return;
        value_ = Variant(number);
        Raise([](IParameterRowEvents& e) { e.OnClick(); });
    });
}

void ctlParameter::OnBitTicked(int32_t bit, bool set) {
    CallGuarded("row bit", [&] {
        if (ReadOnly()) {
            ShowValue();
            return;
        }
        std::vector<bool> bits =
            value_.isString() ? ParseBitText(value_.str()) : std::vector<bool>();
        const auto index = static_cast<size_t>(bit);
        if (bits.size() <= index)
            bits.resize(index + 1, false);
        bits[index] = set;
        value_ = Variant(JoinBitText(bits));
        Raise([](IParameterRowEvents& e) { e.OnClick(); });
    });
}

void ctlParameter::OnButtonClicked() {
    CallGuarded("row button", [&] {
        if (ReadOnly())
            return;
        Raise([](IParameterRowEvents& e) { e.OnClick(); });
    });
}

bool ctlParameter::RaiseKeyDown(QKeyEvent* event, bool& rowGone) {
    int32_t code = VirtualKey(event->key());
    if (code == 0)
        return false;
    const int32_t shift = ShiftState(event->modifiers());
    if (!Raise([&code, shift](IParameterRowEvents& e) { e.OnKeyDown(code, shift); })) {
        rowGone = true;
        return true;
    }
    return code == 0;
}

void ctlParameter::ShowContextMenu(QWidget* source, const QPoint& globalPos) {
    QLineEdit* field = editor_->Field();
    QPointer<QMenu> menu =
        source == field && field != nullptr ? field->createStandardContextMenu() : new QMenu;
    if (!menuItems_.empty() && !menu->isEmpty())
        menu->addSeparator();
    for (size_t i = 0; i < menuItems_.size(); ++i) {
        QAction* action = menu->addAction(ToQString(menuItems_[i]));
        action->setData(static_cast<int>(i + 1));
    }
    if (menu->isEmpty()) {
        delete menu;
        return;
    }
    QPointer<ctlParameter> self(this);
    QAction* chosen = menu->exec(globalPos);
    const int index = chosen != nullptr && chosen->data().isValid() ? chosen->data().toInt() : 0;
    delete menu;  // QPointer: nothing when the menu went with its owner
    if (self.isNull() || index <= 0)
        return;
    Raise([index](IParameterRowEvents& e) { e.OnMenuClick(index); });
}

void ctlParameter::contextMenuEvent(QContextMenuEvent* event) {
    CallGuarded("row context menu", [&] { ShowContextMenu(this, event->globalPos()); });
}

bool ctlParameter::eventFilter(QObject* watched, QEvent* event) {
    if (destroying_)
        return false;
    return CallGuarded("row editor event", false, [&]() -> bool {
        if (!editor_->Watches(watched))
            return QWidget::eventFilter(watched, event);
        QWidget* editor = editor_->Widget();
        switch (event->type()) {
            case QEvent::KeyPress: {
                auto* key = static_cast<QKeyEvent*>(event);
                bool gone = false;
                if (RaiseKeyDown(key, gone))
                    return true;
                if (watched == editor_->Field() && editing_) {
                    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                        EndFieldEdit(true);
                        return true;
                    }
                    if (key->key() == Qt::Key_Escape) {
                        EndFieldEdit(false);
                        return true;
                    }
                }
                return false;
            }
            case QEvent::FocusOut: {
                const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
                if (watched == editor_->Field() && editing_ && reason != Qt::PopupFocusReason &&
                    reason != Qt::ActiveWindowFocusReason) {
                    EndFieldEdit(true);
                }
                return false;
            }
            case QEvent::ContextMenu:
                ShowContextMenu(static_cast<QWidget*>(watched == editor ? watched : editor),
                                static_cast<QContextMenuEvent*>(event)->globalPos());
                return true;
            case QEvent::Wheel:
                // A list under the mouse pointer does not change its choice while the page scrolls.
                if (QComboBox* choice = editor_->Choice();
                    choice != nullptr && watched == choice && !choice->hasFocus()) {
                    event->ignore();
                    return true;
                }
                return false;
            default:
                return false;
        }
    });
}

}  // namespace kv
