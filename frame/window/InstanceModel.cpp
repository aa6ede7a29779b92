#include "frame/window/InstanceModel.h"

#include <QFont>
#include <QPainter>
#include <QPixmap>

#include "core/DtmElements.h"
#include "dtm/DTMMain.h"
#include "frame/FrameContainer.h"
#include "frame/FrameWords.h"
#include "frame/ReferenceFrame.h"
#include "platform/controls/widgets/QtText.h"
#include "platform/runtime/ICommunicationManager.h"
#include "platform/runtime/IDTMContext.h"
#include "value/Text.h"

namespace kv {

namespace {

// A green dot.
QIcon ConnectedMark() {
    QPixmap dot(12, 12);
    dot.fill(Qt::transparent);
    QPainter painter(&dot);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QColor(0x1B, 0x5E, 0x20));
    painter.setBrush(QColor(0x43, 0xA0, 0x47));
    painter.drawEllipse(QRectF(1.5, 1.5, 9, 9));
    painter.end();
    return QIcon(dot);
}

}  // namespace

IDTMContext& InstanceEntry::Ctx() const {
    return *instance.dtm->DTMContext();
}

bool InstanceEntry::Connected() const {
    return !released && Ctx().CommunicationManager().IsConnected();
}

std::string InstanceEntry::ShownTag() const {
    return released ? std::string() : tag;
}

void InstanceEntry::TakeTag(const std::string& parameterDocument) {
    if (const std::optional<std::string> found = ParameterDisplayText(parameterDocument, kTagPath))
        tag = std::string(TrimRight(*found));
}

InstanceModel::InstanceModel(const std::vector<std::unique_ptr<FrameInstance>>& instances,
                             const FrameWords& words, QObject* parent)
    : QAbstractTableModel(parent), words_(&words), connectedIcon_(ConnectedMark()) {
    entries_.reserve(instances.size());
    for (const auto& instance : instances) {
        entries_.push_back(
            std::make_unique<InstanceEntry>(*instance, static_cast<int>(entries_.size())));
        // Later documents of the DTM keep it current.
        entries_.back()->TakeTag(instance->dtm->GetParameters(kTagPath));
    }
}

InstanceModel::~InstanceModel() = default;

InstanceEntry* InstanceModel::EntryAt(int row) const {
    return row >= 0 && row < static_cast<int>(entries_.size())
               ? entries_[static_cast<size_t>(row)].get()
               : nullptr;
}

int InstanceModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(entries_.size());
}

int InstanceModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant InstanceModel::data(const QModelIndex& index, int role) const {
    const InstanceEntry* entry = index.isValid() ? EntryAt(index.row()) : nullptr;
    if (entry == nullptr)
        return {};
    const auto column = static_cast<Column>(index.column());
    switch (role) {
        case Qt::DisplayRole:
            switch (column) {
                case kSystemTagColumn:
                    return ToQString(entry->instance.systemTag);
                case kTagColumn:
                    return ToQString(entry->ShownTag());
                case kDeviceTypeColumn:
                    return ToQString(entry->instance.deviceType);
                case kColumnCount:
                    break;
            }
            return {};
        case Qt::ToolTipRole:
            // A tag that the column cuts shows whole.
            if (column == kTagColumn)
                return ToQString(entry->ShownTag());
            if (column == kSystemTagColumn && entry->Connected())
                return QString::fromUtf8(words_->connected);
            return {};
        case Qt::DecorationRole:
            return column == kSystemTagColumn && entry->Connected() ? QVariant(connectedIcon_)
                                                                    : QVariant();
        case Qt::FontRole:
            if (entry->Connected()) {
                QFont bold;
                bold.setBold(true);
                return bold;
            }
            return {};
        default:
            return {};
    }
}

QVariant InstanceModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::DisplayRole) {
        switch (section) {
            case kSystemTagColumn:
                return QString::fromUtf8(words_->instance);
            case kTagColumn:
                return QString::fromUtf8(words_->tagColumn);
            case kDeviceTypeColumn:
                return QString::fromUtf8(words_->deviceType);
            default:
                return {};
        }
    }
    if (role == Qt::ToolTipRole && section == kTagColumn)
        return QString::fromUtf8(words_->tag);
    return {};
}

void InstanceModel::SetWords(const FrameWords& words) {
    words_ = &words;
    emit headerDataChanged(Qt::Horizontal, 0, kColumnCount - 1);
    if (!entries_.empty())
        emit dataChanged(index(0, kSystemTagColumn),
                         index(static_cast<int>(entries_.size()) - 1, kSystemTagColumn),
                         {Qt::ToolTipRole});
}

void InstanceModel::EntryChanged(const InstanceEntry& entry) {
    emit dataChanged(index(entry.index, 0), index(entry.index, kColumnCount - 1));
}

}  // namespace kv
