#pragma once
// The navigation control that fills the main window: the headline with the device state, the
// toolbar, the device pane, the tree pane, the DTM pane with the cycle switch, and the page area
// that shows the page of the selected tree node. Pages are created by their ProgID through a
// PageRegistry; every page the control hosts follows its cycle switch and interval.

#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/controls/NavigationInterfaces.h"

class QLabel;
class QScrollArea;
class QSplitter;
class QVBoxLayout;

namespace kv {

class PageRegistry;

namespace nav {
struct NavTreeNode;
class NavDevInfoPane;
class NavDtmInfoPane;
class NavHeadline;
class NavToolbar;
class NavTreePane;
}  // namespace nav

class ctlNavigation : public QWidget,
                      public INavigationControl,
                      public INavigationPanes,
                      public IHeadline {
  public:
    // registry: where pages are created; nullptr for PageRegistry::Instance(). It must outlive
    // the control.
    explicit ctlNavigation(QWidget* parent = nullptr, const PageRegistry* registry = nullptr);
    ~ctlNavigation() override;

    // INavigationControl
    INavigationPanes& NavigationPanes() override { return *this; }
    IHeadline& Headline() override { return *this; }
    IStateImages& StateImages() override;
    std::vector<INavigationPage*> Pages() const override;
    void SetEvents(std::weak_ptr<INavigationEvents> events) override { events_ = events; }

    // INavigationPanes
    IDevInfoPane& devInfo() override;
    IDevParameterPane& devParameter() override;
    IDtmInfoPane& dtmInfo() override;
    bool NavigationVisible() const override { return navigationVisible_; }
    void SetNavigationVisible(bool visible) override;

    // IHeadline
    IStdHeadline& StdHeadline() override;
    IStdToolbar& StdToolbar() override;

    // The parts as widgets, for the window and for tests that act as the user.
    nav::NavHeadline& HeadlineWidget() const { return *headline_; }
    nav::NavToolbar& ToolbarWidget() const { return *toolbar_; }
    nav::NavTreePane& TreePane() const { return *tree_; }
    nav::NavDtmInfoPane& DtmInfoPane() const { return *dtmInfo_; }
    // The widget of a hosted page; nullptr for a page the control does not host.
    QWidget* PageWidget(const INavigationPage& page) const;
    // The widget the page area shows: a page, or the empty page of a node without one.
    QWidget* ShownPageWidget() const;

  protected:
    // A new least size of the shown page (posted to the page area) gives it its width.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    struct HostedPage {
        QPointer<QWidget> widget;
        INavigationPage* page = nullptr;
    };

    template <class F>
    void Raise(F&& call);
    // Connects a part's signal directly to a handler of the control, run through the guard.
    template <class Part, class... Args>
    void Listen(Part* part, void (Part::*signal)(Args...), const char* where,
                void (ctlNavigation::*handler)(Args...));
    // A new start node shows or hides the tree pane and locks the choice as its flags say.
    void FollowStartNode(const nav::NavTreeNode& start);
    // The width the tree's captions need to show uncut.
    void WidenPanes(int treeWidth);
    // Shares the width between the panes and the page area: the page area takes from the panes,
    // as far as their minimum width lets, the width that the shown page needs (and the vertical
    // scroll bar of a page higher than the area), so that the page is not scrolled sideways
    // while the control has room for it; the panes take from what the page leaves the width
    // that the tree's captions need while the tree shows. Any other width the user gave them
    // stays.
    void ShareWidth();
    void ShowNode(const std::string& key);
    void ReleasePages();
    std::unique_ptr<QWidget> CreatePage(const std::string& progId) const;
    void ShowEmptyPage(const std::string& caption);
    void TakeShownWidget();
    bool IsHosted(const QWidget* widget) const;
    INavigationPage* CurrentPage() const;
    void UpdateReadWrite();
    void ReadOrWrite(bool write);
    void OnToolbarClick(int32_t button);
    // Calls every hosted page that has a cycle switch; false when the control went away or a
    // nested change started a newer run of the same counter meanwhile.
    bool ForEachCyclePage(uint64_t& run, const char* what,
                          const std::function<void(IPrivateGUICycle&)>& call);
    void OnCyclicRefreshChanged(int16_t value);
    void OnIntervalChanged();

    const PageRegistry* registry_;
    nav::NavHeadline* headline_ = nullptr;
    nav::NavToolbar* toolbar_ = nullptr;
    QSplitter* splitter_ = nullptr;
    QVBoxLayout* paneLayout_ = nullptr;
    int treeWidth_ = 0;  // what the tree's captions need
    nav::NavDevInfoPane* devInfo_ = nullptr;
    nav::NavTreePane* tree_ = nullptr;
    nav::NavDtmInfoPane* dtmInfo_ = nullptr;
    QScrollArea* pageArea_ = nullptr;
    QWidget* emptyPage_ = nullptr;
    QLabel* emptyPageTitle_ = nullptr;
    // Released pages wait here, outside the control, until the event loop destroys them.
    std::unique_ptr<QWidget> limbo_;

    std::weak_ptr<INavigationEvents> events_;
    std::vector<HostedPage> pages_;
    std::string shownKey_;
    std::string shownProgId_;
    bool navigationVisible_ = true;
    bool navigationLocked_ = false;
    // Counters that tell a running sequence that a nested call started a newer one.
    uint64_t selectionRun_ = 0;
    uint64_t cycleRun_ = 0;
    uint64_t intervalRun_ = 0;
};

}  // namespace kv
