#include "platform/controls/widgets/NavTree.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <pugixml.hpp>
#include <stdexcept>
#include <string_view>

#include "platform/controls/widgets/LastResort.h"
#include "platform/controls/widgets/QtText.h"
#include "value/Text.h"

namespace kv::nav {

namespace {

// The width the pane asks for to show every caption uncut is at most this.
constexpr int kMaxTreeWidth = 440;
// A level of the tree is indented by this much: deep captions keep the pane narrow.
constexpr int kIndentation = 14;

// A Boolean attribute as the tree documents write it ("1", "0", "True", "Falsch", ...); none
// for an absent attribute or another word.
std::optional<bool> Truth(const pugi::xml_node& node, const char* attribute) {
    const pugi::xml_attribute a = node.attribute(attribute);
    if (!a)
        return std::nullopt;
    // Every word is ASCII: other letters, German ones too, stay as they are and match none.
    const std::string lower = ToLowerAscii(a.value());
    const std::string_view word = Trim(lower, " \t");
    if (word == "1" || word == "-1" || word == "true" || word == "wahr")
        return true;
    if (word == "0" || word == "false" || word == "falsch")
        return false;
    return std::nullopt;
}

// Reads the "node" children of an element. grantChildren: the parent's enabledFlag enables
// children without a flag of their own; grantAll: an ancestor's "enabledAll" enables every
// descendant.
void ReadNodes(const pugi::xml_node& parent, bool grantChildren, bool grantAll,
               std::vector<NavTreeNode>& out) {
    for (const pugi::xml_node& e : parent.children("node")) {
        if (Truth(e, "invisibleStatus").value_or(false))
            continue;
        NavTreeNode n;
        n.key = e.attribute("key").value();
        n.caption = e.attribute("caption").value();
        n.progId = e.attribute("ctl").value();
        n.functionId = e.attribute("functionId").value();
        const std::string flag = e.attribute("enabledFlag").value();
        const bool all = flag == "enabledAll";
        const bool meChilds = flag == "enabledMeChilds";
        n.enabled = all || meChilds || flag == "enabledMe" || grantChildren || grantAll;
        n.expanded = std::string(e.attribute("showFlag").value()) != "showMe";
        if (const std::optional<bool> visible = Truth(e, "navViewVisibleFlag"))
            n.navViewVisible = *visible ? 1 : 0;
        n.navViewLocked = Truth(e, "lockedStatus").value_or(false);
        if (n.expanded)
            ReadNodes(e, all || meChilds, grantAll || all, n.children);
        out.push_back(std::move(n));
    }
}

const NavTreeNode* FindByFunctionId(const std::vector<NavTreeNode>& nodes, const std::string& id) {
    for (const NavTreeNode& n : nodes) {
        if (n.functionId == id)
            return &n;
        if (const NavTreeNode* found = FindByFunctionId(n.children, id))
            return found;
    }
    return nullptr;
}

// The first enabled node with a page in the node's sub-tree, the node itself first.
const NavTreeNode* FirstPage(const NavTreeNode& node) {
    if (node.enabled && !node.progId.empty())
        return &node;
    for (const NavTreeNode& child : node.children) {
        if (const NavTreeNode* found = FirstPage(child))
            return found;
    }
    return nullptr;
}

}  // namespace

std::vector<NavTreeNode> ParseNavigationTree(const std::string& xml) {
    std::vector<NavTreeNode> nodes;
    if (xml.empty())
        return nodes;
    pugi::xml_document doc;
    const pugi::xml_parse_result r =
        doc.load_buffer(xml.data(), xml.size(), pugi::parse_default, pugi::encoding_utf8);
    if (!r)
        throw std::invalid_argument(std::string("the navigation tree does not parse: ") +
                                    r.description() + " at offset " + std::to_string(r.offset));
    const pugi::xml_node root = doc.document_element();
    if (std::string(root.name()) != "treeview")
        throw std::invalid_argument("the navigation tree's root element is \"" +
                                    std::string(root.name()) + "\", not \"treeview\"");
    ReadNodes(root, true, false, nodes);
    return nodes;
}

NavTreePane::NavTreePane(QWidget* parent) : QGroupBox(parent) {
    setObjectName(QStringLiteral("devParameter"));
    setTitle(QStringLiteral("Parameter"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    view_ = new QTreeWidget(this);
    view_->setObjectName(QStringLiteral("TreeHolder"));
    view_->setColumnCount(1);
    view_->setHeaderHidden(true);
    view_->setIndentation(kIndentation);
    view_->setUniformRowHeights(true);
    view_->setSelectionMode(QAbstractItemView::SingleSelection);
    view_->setExpandsOnDoubleClick(true);
    view_->header()->setStretchLastSection(true);
    view_->setMinimumHeight(90);
    layout->addWidget(view_);
    connect(view_, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current, QTreeWidgetItem*) {
                if (rebuilding_ || !current)
                    return;
                CallGuarded("tree selection", [&] {
                    const std::string key = current->data(0, Qt::UserRole).toString().toStdString();
                    const NavTreeNode* node = Node(key);
                    // The view shows the user's pick itself. Scrolling here, inside a mouse
                    // press, would move another row under the pointer, and the press would
                    // go on to highlight that row.
                    if (node && node->enabled)
                        Select(node, false);
                });
            });
}

NavTreePane::~NavTreePane() {
    // The view outlives this pane's members while its parent is destroyed: it reports nothing more.
    disconnect(view_, nullptr, this, nullptr);
}

std::string NavTreePane::Title() const {
    return title().toStdString();
}

void NavTreePane::SetTitle(const std::string& text) {
    setTitle(ToQString(text));
}

void NavTreePane::SetTreeXml(const std::string& xml) {
    if (xml == treeXml_)
        return;
    std::vector<NavTreeNode> nodes = ParseNavigationTree(xml);
    treeXml_ = xml;
    nodes_ = std::move(nodes);
    Rebuild();
    FollowStart();
}

Variant NavTreePane::GetProperty(const std::string& name) const {
    if (EqualsNoCase(name, "functionId"))
        return Variant(functionId_);
    return Variant();
}

void NavTreePane::SetProperty(const std::string& name, const Variant& value) {
    if (!EqualsNoCase(name, "functionId"))
        throw std::invalid_argument("the tree holder has no property \"" + name + "\"");
    const std::string id = value.isEmpty() || value.isNull() ? std::string() : value.toString();
    if (id == functionId_)
        return;
    functionId_ = id;
    if (!nodes_.empty())
        FollowStart();
}

int NavTreePane::ContentWidth() const {
    // The widest item with its indentation, the view's frame, room for the scroll bar, and the
    // pane's own margins and frame.
    const int view = static_cast<QAbstractItemView*>(view_)->sizeHintForColumn(0) +
                     2 * view_->frameWidth() + view_->verticalScrollBar()->sizeHint().width();
    const QMargins margins = layout()->contentsMargins();
    const QMargins frame = contentsMargins();
    return std::min(view + margins.left() + margins.right() + frame.left() + frame.right(),
                    kMaxTreeWidth);
}

bool NavTreePane::SelectNode(const std::string& key) {
    const NavTreeNode* node = Node(key);
    if (!node || !node->enabled)
        return false;
    Select(node);
    return true;
}

void NavTreePane::showEvent(QShowEvent* event) {
    QGroupBox::showEvent(event);
    CallGuarded("tree show", [&] {
        if (QTreeWidgetItem* item = view_->currentItem())
            view_->scrollToItem(item);
    });
}

const NavTreeNode* NavTreePane::Node(const std::string& key) const {
    auto it = byKey_.find(key);
    return it == byKey_.end() ? nullptr : it->second.node;
}

void NavTreePane::Rebuild() {
    rebuilding_ = true;
    view_->clear();
    byKey_.clear();
    AddItems(nodes_, nullptr);
    view_->scrollToTop();
    rebuilding_ = false;
    emit WidthNeeded(ContentWidth());
}

void NavTreePane::AddItems(const std::vector<NavTreeNode>& nodes, QTreeWidgetItem* parent) {
    for (const NavTreeNode& n : nodes) {
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(view_);
        const QString caption = ToQString(n.caption.empty() ? n.key : n.caption);
        item->setText(0, caption);
        item->setToolTip(0, caption);
        item->setData(0, Qt::UserRole, ToQString(n.key));
        item->setFlags(n.enabled ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags);
        if (n.progId.empty()) {
            QFont heading = item->font(0);
            heading.setBold(true);
            item->setFont(0, heading);
        }
        byKey_.emplace(n.key, Entry{&n, item});
        AddItems(n.children, item);
        item->setExpanded(n.expanded && !n.children.empty());
    }
}

const NavTreeNode* NavTreePane::StartNode() const {
    if (!functionId_.empty()) {
        if (const NavTreeNode* found = FindByFunctionId(nodes_, functionId_))
            return found;
    }
    return nodes_.empty() ? nullptr : &nodes_.front();
}

void NavTreePane::FollowStart() {
    const NavTreeNode* start = StartNode();
    const std::string startKey = start ? start->key : std::string();
    const NavTreeNode* target = nullptr;
    if (!startKey_ || *startKey_ != startKey) {
        startKey_ = startKey;
        if (start) {
            emit StartNodeTaken(*start);
            target = FirstPage(*start);
        }
        if (!target && start && start->enabled)
            target = start;
    } else {
        const NavTreeNode* current = Node(selectedKey_);
        if (current && current->enabled)
            target = current;
        else if (start)
            target = FirstPage(*start);
    }
    Select(target);
}

void NavTreePane::Select(const NavTreeNode* node, bool scroll) {
    selectedKey_ = node ? node->key : std::string();
    {
        const QSignalBlocker block(view_);
        QTreeWidgetItem* item = node ? byKey_.at(node->key).item : nullptr;
        view_->setCurrentItem(item);
        // A hidden view has no size to scroll by: it shows the node when it is shown.
        if (scroll && item && view_->isVisible())
            view_->scrollToItem(item);
    }
    // A copy: the receiver may destroy the pane.
    const std::string key = selectedKey_;
    emit NodeSelected(key);
}

}  // namespace kv::nav
