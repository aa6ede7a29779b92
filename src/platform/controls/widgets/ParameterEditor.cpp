#include "platform/controls/widgets/ParameterEditor.h"

#include <QApplication>
#include <QComboBox>
#include <QHelpEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPalette>
#include <QPushButton>
#include <QStyleOption>
#include <QStyledItemDelegate>
#include <QToolTip>
#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

#include "platform/controls/BitText.h"
#include "platform/controls/ControlInterfaces.h"
#include "platform/controls/widgets/LastResort.h"
#include "platform/controls/widgets/QtText.h"
#include "value/NumberText.h"

namespace kv {

namespace {

// Bits beyond this number are not shown: a value list naming them is no bit list of a device.
constexpr int32_t kMaxBitNumber = 1023;
// A field that shows no list entry has room for this many average characters at least.
constexpr int kLeastFieldCharacters = 16;
// The room a field keeps either side of its text.
constexpr int kFieldTextMargin = 2;

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

    // The width an entry needs to show its check box and its whole text.
    static int WholeWidth(const QListWidget& list, const QModelIndex& index) {
        QStyleOptionViewItem option;
        option.initFrom(&list);
        option.widget = &list;
        option.font = list.font();
        option.fontMetrics = list.fontMetrics();
        const QStyledItemDelegate plain;
        return plain.sizeHint(option, index).width();
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

ParameterEditor::ParameterEditor(QWidget* row) : row_(row) {}

// The widgets are the row's children and go with it.
ParameterEditor::~ParameterEditor() = default;

EditorKind ParameterEditor::KindFor(int32_t controlType, bool readOnly) {
    switch (controlType) {
        case pctValueList:
            return readOnly ? EditorKind::Field : EditorKind::Choice;
        case pctBitList:
            return EditorKind::Bits;
        case pctCommandButton:
            return EditorKind::Button;
        default:
            return EditorKind::Field;
    }
}

bool ParameterEditor::Watches(const QObject* watched) const {
    return watched != nullptr &&
           (watched == widget_ || (bits_ != nullptr && watched == bits_->viewport()));
}

// --- the widget ---

void ParameterEditor::DropWidget(bool deferDelete) {
    if (widget_ != nullptr) {
        widget_->removeEventFilter(row_);
        if (bits_ != nullptr)
            bits_->viewport()->removeEventFilter(row_);
        widget_->disconnect(this);
        if (deferDelete) {
            widget_->hide();
            widget_->setParent(nullptr);
            widget_->deleteLater();
        } else {
            delete widget_;
        }
    }
    widget_ = nullptr;
    field_ = nullptr;
    choice_ = nullptr;
    bits_ = nullptr;
    button_ = nullptr;
    bitItems_.clear();
    choiceNumbers_.clear();
    filledList_ = kv::ValueList();
}

void ParameterEditor::Replace(EditorKind kind, const Variant& value, bool deferDelete) {
    FlagScope guard(updating_);
    DropWidget(deferDelete);
    kind_ = kind;
    switch (kind) {
        case EditorKind::Field:
            field_ = new QLineEdit(row_);
            field_->setMaxLength(maxLength_ > 0 ? maxLength_ : 32767);
            connect(field_, &QLineEdit::textEdited, this, &ParameterEditor::OnFieldEdited);
            widget_ = field_;
            break;
        case EditorKind::Choice:
            choice_ = new QComboBox(row_);
            choice_->setFocusPolicy(Qt::StrongFocus);
            connect(choice_, &QComboBox::activated, this, &ParameterEditor::OnChoiceActivated);
            widget_ = choice_;
            FillChoice();
            break;
        case EditorKind::Bits:
            bits_ = new QListWidget(row_);
            bits_->setUniformItemSizes(true);
            bits_->setSelectionMode(QAbstractItemView::NoSelection);
            bits_->setItemDelegate(new BitEntryDelegate(bits_));
            bits_->viewport()->installEventFilter(row_);
            connect(bits_, &QListWidget::itemChanged, this, &ParameterEditor::OnBitChanged);
            widget_ = bits_;
            FillBits(value);
            break;
        case EditorKind::Button:
            button_ = new QPushButton(QStringLiteral("..."), row_);
            connect(button_, &QPushButton::clicked, this, &ParameterEditor::clicked);
            widget_ = button_;
            break;
        case EditorKind::None:
            break;
    }
    if (widget_ != nullptr) {
        widget_->installEventFilter(row_);
        widget_->show();
    }
}

void ParameterEditor::SetMaxLength(int32_t length) {
    maxLength_ = std::max<int32_t>(length, 0);
    if (field_ != nullptr)
        field_->setMaxLength(maxLength_ > 0 ? maxLength_ : 32767);
}

bool ParameterEditor::SetValueList(const std::string& list, const Variant& value) {
    if (list == valueList_)
        return false;
    valueList_ = list;
    if (kind_ == EditorKind::Choice)
        FillChoice();
    else if (kind_ == EditorKind::Bits)
        FillBits(value);
    return true;
}

bool ParameterEditor::SetValueFormat(const std::string& format) {
    if (format == valueFormat_)
        return false;
    valueFormat_ = format;
    return true;
}

bool ParameterEditor::FollowBitsOf(const Variant& value) {
    return kind_ == EditorKind::Bits && valueList_.empty() && FillBits(value);
}

void ParameterEditor::FillChoice() {
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

bool ParameterEditor::FillBits(const Variant& value) {
    if (bits_ == nullptr)
        return false;
    std::vector<std::pair<int32_t, QString>> entries;
    if (!valueList_.empty()) {
        for (const kv::ValueList::Entry& e : valueList_.Entries()) {
            if (e.number >= 0 && e.number <= kMaxBitNumber)
                entries.emplace_back(e.number, ToQString(std::string(e.text)));
        }
    } else {
        const size_t count = value.isString() ? ParseBitText(value.str()).size() : 0;
        for (size_t k = 0; k < count && k <= static_cast<size_t>(kMaxBitNumber); ++k)
            entries.emplace_back(static_cast<int32_t>(k), QStringLiteral("Bit %1").arg(k));
    }
    bool same = entries.size() == bitItems_.size();
    for (size_t i = 0; same && i < entries.size(); ++i) {
        same =
            bitItems_[i].bit == entries[i].first && bitItems_[i].item->text() == entries[i].second;
    }
    if (same)
        return false;
    FlagScope guard(updating_);
    bits_->clear();
    bitItems_.clear();
    for (const auto& [bit, text] : entries) {
        auto* item = new QListWidgetItem(text, bits_);
        item->setCheckState(Qt::Unchecked);
        bitItems_.push_back({bit, item});
    }
    ApplyReadOnly();
    return true;
}

// --- the room the editor needs ---

int ParameterEditor::NeededWidth(bool listEntries) const {
    switch (kind_) {
        case EditorKind::Field: {
            const QFontMetrics fm = field_->fontMetrics();
            int text = fm.averageCharWidth() * kLeastFieldCharacters;
            if (listEntries) {
                for (const kv::ValueList::Entry& e : valueList_.Entries())
                    text = std::max(text, fm.horizontalAdvance(ToQString(std::string(e.text))));
            }
            // The text, its margins and the frame around them; a pixel to spare keeps the
            // cursor from scrolling a text that just fits.
            const QMargins margins = field_->textMargins();
            const int frame =
                field_->hasFrame()
                    ? field_->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, field_)
                    : 0;
            return text + 2 * kFieldTextMargin + margins.left() + margins.right() + 2 * frame + 1;
        }
        case EditorKind::Choice: {
            // The longest entry with the choice's frame and arrow, as the style sizes them.
            const QFontMetrics fm = choice_->fontMetrics();
            int text = 0;
            for (int i = 0; i < choice_->count(); ++i)
                text = std::max(text, fm.horizontalAdvance(choice_->itemText(i)));
            QStyleOptionComboBox option;
            option.initFrom(choice_);
            option.frame = choice_->hasFrame();
            return choice_->style()
                ->sizeFromContents(QStyle::CT_ComboBox, &option, QSize(text, fm.height()), choice_)
                .width();
        }
        case EditorKind::Bits: {
            int widest = 0;
            for (int i = 0; i < bits_->count(); ++i)
                widest = std::max(widest, BitEntryDelegate::WholeWidth(
                                              *bits_, bits_->indexFromItem(bits_->item(i))));
            return widest + 2 * bits_->frameWidth();
        }
        case EditorKind::Button:
            return button_->sizeHint().width();
        case EditorKind::None:
            break;
    }
    return 0;
}

int ParameterEditor::BitsHeight(int most) const {
    if (bits_ == nullptr)
        return 0;
    const int shown = std::min(bits_->count(), std::max(most, 0));
    const int entries = shown > 0 ? bits_->sizeHintForRow(0) * shown : 0;
    return entries + 2 * bits_->frameWidth();
}

// --- read only, colours, tooltip ---

void ParameterEditor::SetReadOnly(bool readOnly) {
    readOnly_ = readOnly;
    ApplyReadOnly();
}

void ParameterEditor::ApplyReadOnly() {
    if (field_ != nullptr)
        field_->setReadOnly(readOnly_);
    if (bits_ != nullptr) {
        FlagScope guard(updating_);
        for (const BitItem& b : bitItems_) {
            Qt::ItemFlags flags = Qt::ItemIsEnabled;
            if (!readOnly_)
                flags |= Qt::ItemIsUserCheckable;
            b.item->setFlags(flags);
        }
    }
    if (button_ != nullptr)
        button_->setEnabled(!readOnly_);
}

void ParameterEditor::SetColors(const QPalette& base, const QColor& valueColor) {
    if (widget_ == nullptr)
        return;
    QPalette palette = base;
    palette.setColor(QPalette::Text, valueColor);
    palette.setColor(QPalette::ButtonText, valueColor);
    if (readOnly_ && (field_ != nullptr || bits_ != nullptr))
        palette.setColor(QPalette::Base, base.color(QPalette::Window));
    widget_->setPalette(palette);
}

void ParameterEditor::SetToolTip(const QString& text) {
    if (widget_ != nullptr)
        widget_->setToolTip(text);
}

// --- the value ---

// A value without a text (Null, Empty, a date out of range) shows as an empty field.
QString ParameterEditor::ValueText(const Variant& value) const {
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

QString ParameterEditor::ListEntryText(const Variant& value, bool* found) const {
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

void ParameterEditor::Show(const Variant& value, bool listEntry) {
    FlagScope guard(updating_);
    switch (kind_) {
        case EditorKind::Field: {
            QString text;
            bool found = false;
            if (listEntry)
                text = ListEntryText(value, &found);
            if (!found)
                text = ValueText(value);
            if (field_->text() != text) {
                field_->setText(text);
                field_->setCursorPosition(0);
            }
            break;
        }
        case EditorKind::Choice: {
            int index = -1;
            bool found = false;
            ListEntryText(value, &found);
            if (found) {
                const int32_t number = value.toLong();
                const auto it = std::find(choiceNumbers_.begin(), choiceNumbers_.end(), number);
                index = static_cast<int>(it - choiceNumbers_.begin());
            }
            choice_->setCurrentIndex(index);
            choice_->setPlaceholderText(index < 0 ? ValueText(value) : QString());
            break;
        }
        case EditorKind::Bits: {
            const std::vector<bool> bits =
                value.isString() ? ParseBitText(value.str()) : std::vector<bool>();
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

QString ParameterEditor::DisplayText() const {
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

// --- the field during an edit ---

void ParameterEditor::ReplaceFieldText(const QString& text) {
    if (field_ == nullptr)
        return;
    const int cursor = field_->cursorPosition();
    FlagScope guard(updating_);
    field_->setText(text);
    field_->setCursorPosition(std::min(cursor, static_cast<int>(text.size())));
}

// --- user actions ---

void ParameterEditor::OnFieldEdited(const QString& text) {
    if (!updating_)
        emit edited(text);
}

void ParameterEditor::OnChoiceActivated(int index) {
    if (updating_ || index < 0 || static_cast<size_t>(index) >= choiceNumbers_.size())
        return;
    choice_->setPlaceholderText(QString());
    emit chosen(choiceNumbers_[static_cast<size_t>(index)]);
}

void ParameterEditor::OnBitChanged(QListWidgetItem* item) {
    if (updating_)
        return;
    const auto it = std::find_if(bitItems_.begin(), bitItems_.end(),
                                 [item](const BitItem& b) { return b.item == item; });
    if (it != bitItems_.end())
        emit bitTicked(it->bit, item->checkState() == Qt::Checked);
}

}  // namespace kv
