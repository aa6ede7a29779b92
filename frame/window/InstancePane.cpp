#include "frame/window/InstancePane.h"

#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>
#include <QStyle>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <iterator>
#include <pugixml.hpp>
#include <string>
#include <utility>

#include "dtm/DTMMain.h"
#include "frame/FrameWords.h"
#include "frame/ReferenceFrame.h"
#include "frame/window/InstanceModel.h"
#include "platform/controls/widgets/QtText.h"

namespace kv {

namespace {

const char* const kOperationPhase =
    R"(<FDT xmlns:fdt="x-schema:FDTDataTypesSchema.xml"><OperationPhase phase="engineering"/></FDT>)";

// Of a function's item: its application id (0 for a group).
constexpr int kApplicationIdRole = Qt::UserRole;
// The room the pane's layouts leave beside its lists.
constexpr int kPaneMargins = 8;

}  // namespace

QString FunctionName(const InstanceEntry& entry, int32_t applicationId) {
    pugi::xml_document doc;
    if (doc.load_string(entry.instance.dtm->GetFunctions(kOperationPhase).c_str())) {
        for (const pugi::xpath_node& found : doc.select_nodes("//*[@functionId]")) {
            if (found.node().attribute("functionId").as_int() == applicationId)
                return QString::fromUtf8(found.node().attribute("name").value());
        }
    }
    return QString::number(applicationId);
}

InstancePane::InstancePane(InstanceModel& model, const FrameWords& words, QWidget* parent)
    : QSplitter(Qt::Vertical, parent), model_(model), words_(&words) {
    setChildrenCollapsible(false);
    auto* listPane = new QWidget(this);
    auto* listLayout = new QVBoxLayout(listPane);
    listLayout->setContentsMargins(6, 6, 2, 2);
    listTitle_ = new QLabel(listPane);
    QFont bold = listTitle_->font();
    bold.setBold(true);
    listTitle_->setFont(bold);
    // A view of the model: a large project's rows are of one height and cost nothing until
    // they are shown.
    list_ = new QTreeView(listPane);
    list_->setObjectName(QStringLiteral("InstanceList"));
    list_->setModel(&model_);
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setAllColumnsShowFocus(true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    // The system tag and the device type fit their texts; the tag takes the room they leave,
    // and a tag cut there shows whole in its tool tip.
    list_->header()->setStretchLastSection(false);
    list_->header()->setSectionResizeMode(InstanceModel::kTagColumn, QHeaderView::Stretch);
    listLayout->addWidget(listTitle_);
    listLayout->addWidget(list_, 1);
    connect(list_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid())
                    emit InstanceChosen(current.row());
            });

    auto* instancePane = new QWidget(this);
    auto* sideLayout = new QVBoxLayout(instancePane);
    sideLayout->setContentsMargins(6, 6, 2, 6);
    title_ = new QLabel(instancePane);
    title_->setFont(bold);
    tag_ = new QLabel(instancePane);
    tag_->setObjectName(QStringLiteral("InstanceTag"));
    tag_->setWordWrap(true);  // a long tag does not widen the pane
    state_ = new QLabel(instancePane);
    state_->setObjectName(QStringLiteral("InstanceState"));
    state_->setWordWrap(true);
    functionsTitle_ = new QLabel(instancePane);
    functionsTitle_->setFont(bold);
    functions_ = new QTreeWidget(instancePane);
    functions_->setHeaderHidden(true);
    functions_->setObjectName(QStringLiteral("FunctionList"));
    sideLayout->addWidget(title_);
    sideLayout->addWidget(tag_);
    sideLayout->addWidget(state_);
    sideLayout->addSpacing(8);
    sideLayout->addWidget(functionsTitle_);
    sideLayout->addWidget(functions_, 1);
    connect(functions_, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item, int) {
        const int32_t id = item->data(0, kApplicationIdRole).toInt();
        if (id > 0)
            emit FunctionChosen(id);
    });
    setStretchFactor(0, 2);
    setStretchFactor(1, 3);
}

void InstancePane::SetWords(const FrameWords& words) {
    words_ = &words;
    listTitle_->setText(QString::fromUtf8(words.instances));
    for (const int column : {InstanceModel::kSystemTagColumn, InstanceModel::kDeviceTypeColumn})
        list_->setColumnWidth(column, 0);
    for (const auto& entry : model_.Entries())
        FitColumns(*entry);
    functionsTitle_->setText(QString::fromUtf8(words.functions));
}

void InstancePane::SetCurrent(const InstanceEntry& entry) {
    if (list_->currentIndex().row() != entry.index)
        list_->setCurrentIndex(model_.index(entry.index, 0));
}

void InstancePane::ShowInstance(const InstanceEntry* entry, const InstanceEntry* connected) {
    if (entry == nullptr) {
        title_->clear();
        tag_->clear();
        state_->clear();
        return;
    }
    const FrameWords& words = *words_;
    title_->setText(ToQString(entry->instance.systemTag + " (" + entry->instance.deviceType + ")"));
    tag_->setText(QString::fromUtf8(words.tag) + QStringLiteral(": ") +
                  ToQString(entry->ShownTag()));
    QString state = QString::fromUtf8(entry->Connected() ? words.connected : words.disconnected);
    if (connected != nullptr && connected != entry) {
        state +=
            QStringLiteral(" (") +
            QString::fromUtf8(words.otherConnected).arg(ToQString(connected->instance.systemTag)) +
            QLatin1Char(')');
    }
    state_->setText(state);
}

void InstancePane::ShowFunctions(const InstanceEntry* entry) {
    functions_->clear();
    if (entry == nullptr || entry->released)
        return;
    const FrameWords& words = *words_;
    const std::string xml = entry->instance.dtm->GetFunctions(kOperationPhase);
    pugi::xml_document doc;
    if (!doc.load_string(xml.c_str()))
        return;
    auto addFunction = [&](pugi::xml_node node, QTreeWidgetItem* parent) {
        const int32_t id = node.attribute("functionId").as_int();
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(functions_);
        item->setText(0, QString::fromUtf8(node.attribute("name").value()));
        item->setToolTip(0, item->text(0));  // whole where the pane cuts it
        item->setData(0, kApplicationIdRole, id);
    };
    for (pugi::xml_node node : doc.child("FDT").child("Functions").children()) {
        const std::string name = node.name();
        if (name == "StandardFunction") {
            addFunction(node, nullptr);
        } else if (name == "FunctionGroup") {
            QString title = QString::fromUtf8(node.attribute("name").value());
            for (size_t i = 0; i < std::size(kFunctionGroups); ++i) {
                if (title == QLatin1String(kFunctionGroups[i]))
                    title = QString::fromUtf8(words.groups[i]);
            }
            auto* group = new QTreeWidgetItem(functions_);
            group->setText(0, title);
            group->setData(0, kApplicationIdRole, 0);
            QFont font = group->font(0);
            font.setBold(true);
            group->setFont(0, font);
            group->setFlags(Qt::ItemIsEnabled);
            for (pugi::xml_node f : node.children("Function"))
                addFunction(f, group);
        }
    }
    functions_->expandAll();
}

void InstancePane::FitColumns(const InstanceEntry& entry) {
    // Wide enough for the row as the connected one shows: in bold, with its mark.
    QFont bold = list_->font();
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    const int padding = 16;
    const std::pair<int, int> widths[] = {
        {InstanceModel::kSystemTagColumn,
         metrics.horizontalAdvance(ToQString(entry.instance.systemTag)) +
             list_->style()->pixelMetric(QStyle::PM_SmallIconSize) + 4},
        {InstanceModel::kDeviceTypeColumn,
         metrics.horizontalAdvance(ToQString(entry.instance.deviceType))}};
    for (const auto& [column, text] : widths) {
        const int width = std::max(text + padding, list_->header()->sectionSizeHint(column));
        if (width > list_->columnWidth(column))
            list_->setColumnWidth(column, width);
    }
}

int InstancePane::NaturalWidth() const {
    // The functions' names whole, and the instances' system tags and device types with a few
    // characters of their tags beside.
    const int scrollBar = functions_->verticalScrollBar()->sizeHint().width();
    const int chrome = scrollBar + 2 * functions_->frameWidth() + kPaneMargins;
    const int functions =
        static_cast<const QAbstractItemView*>(functions_)->sizeHintForColumn(0) + chrome;
    const int tag = std::max(list_->header()->sectionSizeHint(InstanceModel::kTagColumn),
                             8 * list_->fontMetrics().averageCharWidth());
    const int instances = list_->columnWidth(InstanceModel::kSystemTagColumn) + tag +
                          list_->columnWidth(InstanceModel::kDeviceTypeColumn) + chrome;
    return std::max(functions, instances);
}

}  // namespace kv
