#pragma once
// The tree pane of the navigation control: the tree document read into nodes, with the node
// attributes interpreted as NavigationInterfaces.h describes, shown in a tree view that selects
// the node whose page the page area shows.

#include <QGroupBox>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/controls/NavigationInterfaces.h"

class QTreeWidget;
class QTreeWidgetItem;

namespace kv::nav {

// One node of the tree as the pane shows it.
struct NavTreeNode {
    std::string key;
    std::string caption;
    std::string progId;  // the node's page; empty for a heading
    std::string functionId;
    bool enabled = true;
    bool expanded = true;               // showFlag: children shown, expanded
    int navViewVisible = -1;            // navViewVisibleFlag: -1 none, 0 hide, 1 show the tree pane
    bool navViewLocked = false;         // lockedStatus
    std::vector<NavTreeNode> children;  // the children shown
};

// Reads a tree document: the top-level nodes shown, with the attributes applied. "" gives no
// nodes. Throws std::invalid_argument for a text that does not parse or whose root is not
// "treeview".
std::vector<NavTreeNode> ParseNavigationTree(const std::string& xml);

class NavTreePane : public QGroupBox, public IDevParameterPane, public ITreeHolder {
    Q_OBJECT

  public:
    explicit NavTreePane(QWidget* parent = nullptr);
    ~NavTreePane() override;

    // IDevParameterPane
    std::string Title() const override;
    void SetTitle(const std::string& text) override;
    ITreeHolder& TreeHolder() override { return *this; }

    // ITreeHolder
    std::string TreeXml() const override { return treeXml_; }
    void SetTreeXml(const std::string& xml) override;
    Variant GetProperty(const std::string& name) const override;
    void SetProperty(const std::string& name, const Variant& value) override;
    std::string SelectedNode() const override { return selectedKey_; }
    bool SelectNode(const std::string& key) override;

    // The node with the key among those shown; nullptr when none is.
    const NavTreeNode* Node(const std::string& key) const;
    // The width the pane needs to show every caption of the tree uncut (bounded).
    int ContentWidth() const;
    QTreeWidget* View() const { return view_; }

  signals:
    // A new start node takes effect (a new tree or function id), before the selection follows it.
    void StartNodeTaken(const kv::nav::NavTreeNode& start);
    // The selection was made anew, by the user, by SelectNode or after a new tree: the selected
    // node's key ("" for none). The pane does nothing after it.
    void NodeSelected(const std::string& key);
    // ContentWidth, after every new tree.
    void WidthNeeded(int width);

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    struct Entry {
        const NavTreeNode* node;
        QTreeWidgetItem* item;
    };
    void Rebuild();
    void AddItems(const std::vector<NavTreeNode>& nodes, QTreeWidgetItem* parent);
    const NavTreeNode* StartNode() const;
    void FollowStart();
    // Makes the node (nullptr: none) the selected one and says so (NodeSelected); scroll: bring
    // it into view.
    void Select(const NavTreeNode* node, bool scroll = true);

    QTreeWidget* view_ = nullptr;
    std::string treeXml_;
    std::vector<NavTreeNode> nodes_;
    std::map<std::string, Entry> byKey_;
    std::string functionId_;
    std::optional<std::string> startKey_;  // the start node in effect; none before a tree
    std::string selectedKey_;
    bool rebuilding_ = false;
};

}  // namespace kv::nav
