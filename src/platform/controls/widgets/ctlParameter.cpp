#include "platform/controls/widgets/ctlParameter.h"
#include "platform/controls/widgets/QtText.h"

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QToolTip>
#include <algorithm>
#include <cmath>
#include <optional>

#include "platform/controls/BitText.h"
#include "platform/controls/widgets/LastResort.h"
#include "platform/controls/widgets/StatusImages.h"
#include "platform/controls/widgets/Twips.h"
#include "platform/controls/widgets/WinColor.h"
#include "value/NumberText.h"

namespace kv {

namespace {

constexpr int kIconSize = 16;
constexpr int kGap = 4;
// Height of a row as the pages place it (315 twips).
constexpr int kRowHeightTwips = 315;
// Bits beyond this number are not shown: a value list naming them is no bit list of a device.
constexpr int32_t kMaxBitNumber = 1023;

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

QString HexText(const ByteArray& array) {
    QString out;
    for (uint8_t b : array.bytes) {
        if (!out.isEmpty())
            out += QLatin1Char(' ');
        out += QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
    }
    return out;
}

// The entries of a bit list. Each is as tall as its check box with a pixel to spare above and
// below: the style draws the box over the indicator's whole height, so the frames of entries
// only that tall would touch, and a line of text lower than the indicator would cut the box.
// The entries take the list's width whatever their texts (the list sizes them all by one
// entry's hint and would scroll sideways after a long one): a text wider than the value column
// is shown shortened, and such an entry gives its whole text as its tooltip; the others leave
// the tooltip to the list (the row's help).
class BitEntryDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return CallGuarded("bit entry size", QSize(), [&] {
            QSize size = QStyledItemDelegate::sizeHint(option, index);
            const int indicator =
                StyleOf(option).pixelMetric(QStyle::PM_IndicatorHeight, &option, option.widget);
            size.setHeight(std::max(size.height(), indicator + 2));
            size.setWidth(0);
            return size;
        });
    }

    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override {
        return CallGuarded("bit entry tooltip", false, [&] {
            if (event == nullptr || view == nullptr || event->type() != QEvent::ToolTip ||
                !index.isValid())
                return QStyledItemDelegate::helpEvent(event, view, option, index);
            QStyleOptionViewItem entry = option;
            initStyleOption(&entry, index);
            if (!Shortened(entry))
                return QStyledItemDelegate::helpEvent(event, view, option, index);
            QToolTip::showText(event->globalPos(), entry.text, view->viewport(), option.rect);
            return true;
        });
    }

  private:
    static const QStyle& StyleOf(const QStyleOptionViewItem& option) {
        return option.widget != nullptr ? *option.widget->style() : *QApplication::style();
    }

    // True when the text does not fit the entry's text area, which the style then elides: the
    // area less the style's text margin on either side.
    static bool Shortened(const QStyleOptionViewItem& entry) {
        const QStyle& style = StyleOf(entry);
        const QRect area = style.subElementRect(QStyle::SE_ItemViewItemText, &entry, entry.widget);
        const int margin =
            style.pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, entry.widget) + 1;
        return entry.fontMetrics.horizontalAdvance(entry.text) > area.width() - 2 * margin;
    }
};

// Keeps a flag set for the time of a scope.
class FlagScope {
  public:
    explicit FlagScope(bool& flag) : flag_(flag), old_(flag) { flag_ = true; }
    ~FlagScope() { flag_ = old_; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

  private:
    bool& flag_;
    bool old_;
};

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
    bool ok = true;
    // Reads one key when the bag holds it. A value that does not convert leaves the property
    // alone and makes the answer False.
    auto read = [&bag, &ok](const char* key, auto convert, auto apply) {
        const std::optional<Variant> v = bag.Read(key);
        if (!v)
            return;
        const auto converted = convert(*v);
        if (converted)
            apply(*converted);
        else
            ok = false;
    };
    const auto text = [](const Variant& v) { return v.tryString(); };
    const auto number = [](const Variant& v) { return v.tryLong(); };
    const auto flag = [](const Variant& v) { return v.tryBool(); };
    read("parametertag", text, [this](const std::string& s) { SetParameterTag(s); });
    read("labeltext", text, [this](const std::string& s) { SetLabelText(s); });
    read("unittext", text, [this](const std::string& s) { SetUnitText(s); });
    read("labelwidth", number, [this](int32_t n) { labelWidth_ = n; });
    read("unitwidth", number, [this](int32_t n) { unitWidth_ = n; });
    read("iconvisible", flag, [this](bool b) { iconVisible_ = b; });
    read("labelstyle", number, [this](int32_t n) { labelStyle_ = n; });
    read("controltype", number, [this](int32_t n) { SetControlType(n); });
    read("locked", flag, [this](bool b) { SetLocked(b); });
    read("statusicon", text, [this](const std::string& s) { SetStatusIcon(s); });
    read("visible", flag, [this](bool b) {
        designVisible_ = b;
        ApplyVisibility();
    });
    DoLayout();
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
    value_ = value;
    if (editing_)
        savedValue_ = value;
    if (kind_ == EditorKind::Bits && valueList_.empty())
        FillBits();  // without names, the bits follow the value's length
    ShowValue();
}

void ctlParameter::SetLabelText(const std::string& text) {
    labelText_ = text;
    label_->setText(ElidedLabel());
}

void ctlParameter::SetForeColor(int32_t color) {
    foreColor_ = color;
    ApplyColors();
}

void ctlParameter::SetValueForeColor(int32_t color) {
    valueForeColor_ = color;
    ApplyColors();
}

void ctlParameter::SetValueMaxLength(int32_t length) {
    maxLength_ = std::max<int32_t>(length, 0);
    if (field_ != nullptr)
        field_->setMaxLength(maxLength_ > 0 ? maxLength_ : 32767);
}

void ctlParameter::SetStatusIcon(const std::string& key) {
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

void ctlParameter::SetValueList(const std::string& list) {
    if (list == valueList_)
        return;
    valueList_ = list;
    if (kind_ == EditorKind::Choice)
        FillChoice();
    else if (kind_ == EditorKind::Bits)
        FillBits();
    ShowValue();
}

void ctlParameter::SetValueFormat(const std::string& format) {
    if (format == valueFormat_)
        return;
    valueFormat_ = format;
    ShowValue();
}

void ctlParameter::SetNumberLocale(const NumberLocale& locale) {
    locale_ = locale;
    ShowValue();
}

void ctlParameter::SetUnitText(const std::string& text) {
    unitText_ = text;
    unit_->setText(ToQString(text));
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

ctlParameter::EditorKind ctlParameter::WantedEditor() const {
    switch (controlType_) {
        case pctValueList:
            // A locked choice shows its entry's text in a read-only field.
            return ReadOnly() ? EditorKind::Field : EditorKind::Choice;
        case pctBitList:
            return EditorKind::Bits;
        case pctCommandButton:
            return EditorKind::Button;
        default:
            return EditorKind::Field;
    }
}

void ctlParameter::RebuildEditor() {
    const EditorKind wanted = WantedEditor();
    // A field replaced while the user types drops the edit.
    const bool dropEdit = editing_ && wanted != kind_;
    if (dropEdit)
        value_ = savedValue_;
    if (wanted != kind_) {
        FlagScope guard(updating_);
        if (editor_ != nullptr) {
            editor_->removeEventFilter(this);
            if (bits_ != nullptr)
                bits_->viewport()->removeEventFilter(this);
            editor_->disconnect(this);
            if (dispatching_ > 0) {
                // The old editor may be the sender of the event being handled: it goes later.
                editor_->hide();
                editor_->setParent(nullptr);
                editor_->deleteLater();
            } else {
                delete editor_;
            }
        }
        editor_ = nullptr;
        field_ = nullptr;
        choice_ = nullptr;
        bits_ = nullptr;
        button_ = nullptr;
        bitItems_.clear();
        choiceNumbers_.clear();
        filledList_ = kv::ValueList();
        editing_ = false;
        kind_ = wanted;
        switch (wanted) {
            case EditorKind::Field: {
                field_ = new QLineEdit(this);
                field_->setMaxLength(maxLength_ > 0 ? maxLength_ : 32767);
                connect(field_, &QLineEdit::textEdited, this, &ctlParameter::OnFieldEdited);
                editor_ = field_;
                break;
            }
            case EditorKind::Choice:
                choice_ = new QComboBox(this);
                choice_->setFocusPolicy(Qt::StrongFocus);
                connect(choice_, &QComboBox::activated, this, &ctlParameter::OnChoiceActivated);
                editor_ = choice_;
                FillChoice();
                break;
            case EditorKind::Bits:
                bits_ = new QListWidget(this);
                bits_->setUniformItemSizes(true);
                bits_->setSelectionMode(QAbstractItemView::NoSelection);
                bits_->setItemDelegate(new BitEntryDelegate(bits_));
                bits_->viewport()->installEventFilter(this);
                connect(bits_, &QListWidget::itemChanged, this, &ctlParameter::OnBitChanged);
                editor_ = bits_;
                FillBits();
                break;
            case EditorKind::Button:
                button_ = new QPushButton(QStringLiteral("..."), this);
                connect(button_, &QPushButton::clicked, this, &ctlParameter::OnButtonClicked);
                editor_ = button_;
                break;
            case EditorKind::None:
                break;
        }
        if (editor_ != nullptr) {
            editor_->installEventFilter(this);
            editor_->show();
        }
        DoLayout();
        ApplyToolTips();
    }
    ApplyReadOnly();
    ShowValue();
    if (dropEdit)
        Raise([](IParameterRowEvents& e) { e.OnEndEdit(false); });
}

void ctlParameter::ApplyReadOnly() {
    const bool ro = ReadOnly();
    if (field_ != nullptr) {
        field_->setReadOnly(ro);
    }
    if (bits_ != nullptr) {
        FlagScope guard(updating_);
        for (const BitItem& b : bitItems_) {
            Qt::ItemFlags flags = Qt::ItemIsEnabled;
            if (!ro)
                flags |= Qt::ItemIsUserCheckable;
            b.item->setFlags(flags);
        }
    }
    if (button_ != nullptr)
        button_->setEnabled(!ro);
    ApplyColors();
}

void ctlParameter::ApplyColors() {
    const QPalette& base = palette();
    QPalette labelPalette = label_->palette();
    labelPalette.setColor(QPalette::WindowText, WinColor(foreColor_, base));
    label_->setPalette(labelPalette);
    unit_->setPalette(labelPalette);
    if (editor_ == nullptr)
        return;
    QPalette editorPalette = base;
    const QColor valueColor = WinColor(valueForeColor_, base);
    editorPalette.setColor(QPalette::Text, valueColor);
    editorPalette.setColor(QPalette::ButtonText, valueColor);
    if (ReadOnly() && (field_ != nullptr || bits_ != nullptr)) {
        // Read only: the ground of a dialog instead of the white of an input field.
        editorPalette.setColor(QPalette::Base, base.color(QPalette::Window));
    }
    editor_->setPalette(editorPalette);
}

void ctlParameter::ApplyToolTips() {
    const QString help = ToQString(helpText_);
    label_->setToolTip(help);
    if (editor_ != nullptr)
        editor_->setToolTip(help);
}

void ctlParameter::FillChoice() {
    if (choice_ == nullptr || (filledList_ == valueList_ && !choiceNumbers_.empty()))
        return;
    FlagScope guard(updating_);
    choice_->clear();
    choiceNumbers_.clear();
    for (const kv::ValueList::Entry& e : valueList_.Entries()) {
        choice_->addItem(ToQString(std::string(e.text)));
        choiceNumbers_.push_back(e.number);
    }
    filledList_ = valueList_;
}

void ctlParameter::FillBits() {
    if (bits_ == nullptr)
        return;
    std::vector<std::pair<int32_t, QString>> entries;
    if (!valueList_.empty()) {
        for (const kv::ValueList::Entry& e : valueList_.Entries()) {
            if (e.number >= 0 && e.number <= kMaxBitNumber)
                entries.emplace_back(e.number, ToQString(std::string(e.text)));
        }
    } else {
        const size_t count = value_.isString() ? ParseBitText(value_.str()).size() : 0;
        for (size_t k = 0; k < count && k <= static_cast<size_t>(kMaxBitNumber); ++k)
            entries.emplace_back(static_cast<int32_t>(k), QStringLiteral("Bit %1").arg(k));
    }
    bool same = entries.size() == bitItems_.size();
    for (size_t i = 0; same && i < entries.size(); ++i) {
        same =
            bitItems_[i].bit == entries[i].first && bitItems_[i].item->text() == entries[i].second;
    }
    if (same)
        return;
    FlagScope guard(updating_);
    bits_->clear();
    bitItems_.clear();
    for (const auto& [bit, text] : entries) {
        auto* item = new QListWidgetItem(text, bits_);
        item->setCheckState(Qt::Unchecked);
        bitItems_.push_back({bit, item});
    }
    ApplyReadOnly();
}

// A value without a text (Null, Empty, a date out of range) shows as an empty field.
QString ctlParameter::ValueText(const Variant& value) const {
    if (value.isEmpty() || value.isNull())
        return {};
    if (value.isByteArray())
        return HexText(value.bytes());
    if (!valueFormat_.empty() && value.isNumber() && !value.isBoolean() &&
        value.type() != VarType::Date && std::isfinite(value.number())) {
        return ToQString(FormatNumber(value.number(), valueFormat_, locale_));
    }
    return ToQString(value.tryString(locale_).value_or(std::string()));
}

QString ctlParameter::ListEntryText(const Variant& value, bool* found) const {
    *found = false;
    if (!value.isNumber() && !value.isString())
        return {};
    const std::optional<int32_t> number = value.tryLong();
    if (!number)
        return {};
    for (const kv::ValueList::Entry& e : valueList_.Entries()) {
        if (e.number == *number) {
            *found = true;
            return ToQString(std::string(e.text));
        }
    }
    return {};
}

void ctlParameter::ShowValue() {
    FlagScope guard(updating_);
    switch (kind_) {
        case EditorKind::Field: {
            QString text;
            bool found = false;
            if (controlType_ == pctValueList)
                text = ListEntryText(value_, &found);
            if (!found)
                text = ValueText(value_);
            if (field_->text() != text) {
                field_->setText(text);
                field_->setCursorPosition(0);
            }
            shownText_ = text;
            break;
        }
        case EditorKind::Choice: {
            int index = -1;
            bool found = false;
            ListEntryText(value_, &found);
            if (found) {
                const int32_t number = value_.toLong();
                const auto it = std::find(choiceNumbers_.begin(), choiceNumbers_.end(), number);
                index = static_cast<int>(it - choiceNumbers_.begin());
            }
            choice_->setCurrentIndex(index);
            choice_->setPlaceholderText(index < 0 ? ValueText(value_) : QString());
            break;
        }
        case EditorKind::Bits: {
            const std::vector<bool> bits =
                value_.isString() ? ParseBitText(value_.str()) : std::vector<bool>();
            for (const BitItem& b : bitItems_) {
                const bool set = static_cast<size_t>(b.bit) < bits.size() && bits[b.bit];
                b.item->setCheckState(set ? Qt::Checked : Qt::Unchecked);
            }
            break;
        }
        case EditorKind::Button:
        case EditorKind::None:
            break;
    }
}

QString ctlParameter::DisplayText() const {
    switch (kind_) {
        case EditorKind::Field:
            return field_->text();
        case EditorKind::Choice:
            return choice_->currentIndex() >= 0 ? choice_->currentText()
                                                : choice_->placeholderText();
        case EditorKind::Bits: {
            QStringList names;
            for (const BitItem& b : bitItems_) {
                if (b.item->checkState() == Qt::Checked)
                    names << b.item->text();
            }
            return names.join(QStringLiteral(", "));
        }
        case EditorKind::Button:
            return button_->text();
        case EditorKind::None:
            break;
    }
    return {};
}

// --- layout ---

QString ctlParameter::ElidedLabel() const {
    return label_->fontMetrics().elidedText(ToQString(labelText_), Qt::ElideRight,
                                            std::max(label_->width(), 0));
}

void ctlParameter::DoLayout() {
    const int w = width();
    const int h = height();
    const int lineH =
        std::min(h, std::max(fontMetrics().height() + 6, TwipsToPixels(kRowHeightTwips, this)));
    const int labelW = ColumnWidth(labelWidth_, w, this);
    const int unitW = ColumnWidth(unitWidth_, w, this);

    int x = 0;
    icon_->setVisible(iconVisible_);
    if (iconVisible_) {
        icon_->move(0, std::max(0, (lineH - kIconSize) / 2));
        x = kIconSize + kGap;
    }
    int editorTop = 0;
    int editorLeft = x;
    if (labelStyle_ == 2) {
        // The label above the value, across the row.
        const int labelH = std::min(h, fontMetrics().height() + 2);
        label_->setGeometry(x, 0, std::max(0, w - x), labelH);
        label_->setVisible(true);
        editorTop = labelH;
    } else {
        label_->setGeometry(x, 0, labelW, lineH);
        label_->setVisible(labelW > 0);
        if (labelW > 0)
            editorLeft = x + labelW + kGap;
    }
    const int editorRight = unitW > 0 ? w - unitW - kGap : w;
    unit_->setVisible(unitW > 0);
    const int lineTop = labelStyle_ == 2 ? editorTop : 0;
    const int lineHeight = labelStyle_ == 2 ? std::max(0, h - editorTop) : lineH;
    unit_->setGeometry(w - unitW, lineTop, unitW, std::min(lineHeight, lineH));

    if (editor_ != nullptr) {
        const int editorW = std::max(0, editorRight - editorLeft);
        const int room = std::max(0, h - editorTop);
        int editorH = room;
        int width = editorW;
        if (kind_ != EditorKind::Bits)
            editorH = std::min(room, std::max(lineH, editor_->sizeHint().height()));
        if (kind_ == EditorKind::Button)
            width = std::min(editorW, std::max(button_->sizeHint().width(), 2 * lineH));
        editor_->setGeometry(editorLeft, editorTop, width, editorH);
    }
    label_->setText(ElidedLabel());
}

void ctlParameter::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    CallGuarded("row resize", [&] { DoLayout(); });
}

void ctlParameter::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    CallGuarded("row change", [&] {
        if (event->type() == QEvent::PaletteChange)
            ApplyColors();
        else if (event->type() == QEvent::FontChange)
            DoLayout();
    });
}

// --- user actions ---

void ctlParameter::OnFieldEdited(const QString& text) {
    CallGuarded("row field edited", [&] {
        if (updating_ || ReadOnly())
            return;
        QString typed = text;
        if (upperCase_ && typed != typed.toUpper()) {
            // Typed letters become capitals; the cursor stays where it was.
            typed = typed.toUpper();
            const int cursor = field_->cursorPosition();
            FlagScope guard(updating_);
            field_->setText(typed);
            field_->setCursorPosition(std::min(cursor, static_cast<int>(typed.size())));
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
    if (commit) {
        shownText_ = field_->text();
    } else {
        value_ = savedValue_;
        FlagScope guard(updating_);
        field_->setText(shownText_);
    }
    Raise([commit](IParameterRowEvents& e) { e.OnEndEdit(commit); });
}

void ctlParameter::OnChoiceActivated(int index) {
    CallGuarded("row choice", [&] {
        if (updating_ || ReadOnly() || index < 0 ||
            static_cast<size_t>(index) >= choiceNumbers_.size())
            return;
        value_ = Variant(choiceNumbers_[static_cast<size_t>(index)]);
        choice_->setPlaceholderText(QString());
        Raise([](IParameterRowEvents& e) { e.OnClick(); });
    });
}

void ctlParameter::OnBitChanged(QListWidgetItem* item) {
    CallGuarded("row bit", [&] {
        if (updating_)
            return;
        const auto it = std::find_if(bitItems_.begin(), bitItems_.end(),
                                     [item](const BitItem& b) { return b.item == item; });
        if (it == bitItems_.end())
            return;
        if (ReadOnly()) {
            ShowValue();
            return;
        }
        std::vector<bool> bits =
            value_.isString() ? ParseBitText(value_.str()) : std::vector<bool>();
        const auto bit = static_cast<size_t>(it->bit);
        if (bits.size() <= bit)
            bits.resize(bit + 1, false);
        bits[bit] = item->checkState() == Qt::Checked;
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
    QPointer<QMenu> menu =
        source == field_ && field_ != nullptr ? field_->createStandardContextMenu() : new QMenu;
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
        const bool onEditor =
            watched == editor_ || (bits_ != nullptr && watched == bits_->viewport());
        if (!onEditor)
            return QWidget::eventFilter(watched, event);
        switch (event->type()) {
            case QEvent::KeyPress: {
                auto* key = static_cast<QKeyEvent*>(event);
                bool gone = false;
                if (RaiseKeyDown(key, gone))
                    return true;
                if (watched == field_ && editing_) {
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
                if (watched == field_ && editing_ && reason != Qt::PopupFocusReason &&
                    reason != Qt::ActiveWindowFocusReason) {
                    EndFieldEdit(true);
                }
                return false;
            }
            case QEvent::ContextMenu:
                ShowContextMenu(static_cast<QWidget*>(watched == editor_ ? watched : editor_),
                                static_cast<QContextMenuEvent*>(event)->globalPos());
                return true;
            case QEvent::Wheel:
                // A list under the mouse pointer does not change its choice while the page scrolls.
                if (watched == choice_ && !choice_->hasFocus()) {
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
