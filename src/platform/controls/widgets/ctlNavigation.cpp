#include "platform/controls/widgets/ctlNavigation.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QVBoxLayout>
#include <initializer_list>

#include "platform/controls/widgets/LastResort.h"
#include "platform/controls/widgets/NavHeadline.h"
#include "platform/controls/widgets/NavPanes.h"
#include "platform/controls/widgets/NavToolbar.h"
#include "platform/controls/widgets/NavTree.h"
#include "platform/controls/widgets/PageRegistry.h"
#include "platform/controls/widgets/QtText.h"

namespace kv {

namespace {

constexpr int kPaneWidth = 270;

}  // namespace

template <class Part, class... Args>
void ctlNavigation::Listen(Part* part, void (Part::*signal)(Args...), const char* where,
                           void (ctlNavigation::*handler)(Args...)) {
    // Direct: the report is handled inside the part's call that made it. Nothing may unwind
    // through Qt's delivery.
    connect(
        part, signal, this,
        [this, where, handler](Args... args) {
            CallGuarded(where, [&] { (this->*handler)(args...); });
        },
        Qt::DirectConnection);
}

ctlNavigation::ctlNavigation(QWidget* parent, const PageRegistry* registry)
    : QWidget(parent),
      registry_(registry ? registry : &PageRegistry::Instance()),
      limbo_(std::make_unique<QWidget>()) {
    setObjectName(QStringLiteral("ctlNavigation"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    headline_ = new nav::NavHeadline(this);
    layout->addWidget(headline_);
    auto* rule = new QFrame(this);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    layout->addWidget(rule);
    toolbar_ = new nav::NavToolbar(this);
    layout->addWidget(toolbar_);

    splitter_ = new QSplitter(Qt::Horizontal, this);
    splitter_->setChildrenCollapsible(false);
    layout->addWidget(splitter_, 1);

    auto* panes = new QWidget(splitter_);
    panes->setObjectName(QStringLiteral("NavigationPanes"));
    paneLayout_ = new QVBoxLayout(panes);
    paneLayout_->setContentsMargins(6, 4, 2, 6);
    paneLayout_->setSpacing(6);
    devInfo_ = new nav::NavDevInfoPane(panes);
    tree_ = new nav::NavTreePane(panes);
    dtmInfo_ = new nav::NavDtmInfoPane(panes);
    paneLayout_->addWidget(devInfo_);
    paneLayout_->addWidget(tree_, 1);
    paneLayout_->addWidget(dtmInfo_);
    // Takes the room of the tree pane while that is hidden.
    paneLayout_->addStretch(0);
    panes->setMinimumWidth(200);

    pageArea_ = new QScrollArea(splitter_);
    pageArea_->setObjectName(QStringLiteral("PageArea"));
    pageArea_->setWidgetResizable(true);
    pageArea_->setFrameShape(QFrame::StyledPanel);
    pageArea_->setMinimumWidth(240);
    pageArea_->viewport()->installEventFilter(this);

    emptyPage_ = new QWidget(this);
    emptyPage_->setObjectName(QStringLiteral("EmptyPage"));
    auto* emptyLayout = new QVBoxLayout(emptyPage_);
    emptyLayout->setContentsMargins(8, 6, 8, 6);
    emptyPageTitle_ = new QLabel(emptyPage_);
    QFont titleFont = emptyPageTitle_->font();
    titleFont.setBold(true);
    emptyPageTitle_->setFont(titleFont);
    auto* titleRule = new QFrame(emptyPage_);
    titleRule->setFrameShape(QFrame::HLine);
    titleRule->setFrameShadow(QFrame::Sunken);
    emptyLayout->addWidget(emptyPageTitle_);
    emptyLayout->addWidget(titleRule);
    emptyLayout->addStretch(1);
    emptyPage_->hide();

    splitter_->addWidget(panes);
    splitter_->addWidget(pageArea_);
    splitter_->setStretchFactor(0, 0);
    splitter_->setStretchFactor(1, 1);
    splitter_->setSizes({kPaneWidth, 1024 - kPaneWidth});

    // The parts report to the control at once and in order; a connection ends with the control.
    Listen(toolbar_, &nav::NavToolbar::ButtonClicked, "ctlNavigation toolbar button",
           &ctlNavigation::OnToolbarClick);
    Listen(tree_, &nav::NavTreePane::StartNodeTaken, "ctlNavigation start node",
           &ctlNavigation::FollowStartNode);
    Listen(tree_, &nav::NavTreePane::NodeSelected, "ctlNavigation tree selection",
           &ctlNavigation::ShowNode);
    Listen(tree_, &nav::NavTreePane::WidthNeeded, "ctlNavigation tree width",
           &ctlNavigation::WidenPanes);
    Listen(dtmInfo_, &nav::NavDtmInfoPane::CyclicRefreshChanged, "ctlNavigation cycle switch",
           &ctlNavigation::OnCyclicRefreshChanged);
    Listen(dtmInfo_, &nav::NavDtmInfoPane::IntervalChanged, "ctlNavigation cycle interval",
           &ctlNavigation::OnIntervalChanged);
    UpdateReadWrite();
}

ctlNavigation::~ctlNavigation() {
    // From here on nothing is raised, and the parts report nothing back: their connections would
    // end only after QWidget's destructor, which destroys them, has left this control half gone.
    events_.reset();
    for (QObject* part : std::initializer_list<QObject*>{toolbar_, tree_, dtmInfo_})
        part->disconnect(this);
    pageArea_->viewport()->removeEventFilter(this);
    // The pages leave the control before they are destroyed, so that nothing they do on the
    // way reaches it. Whatever the page area shows, the empty page too, moves out to the limbo:
    // nothing may move into the control now, since its window may be half destroyed (a parent
    // that destroys the control in its QWidget destructor has no focus chain left to join).
    if (QWidget* shown = pageArea_->takeWidget()) {
        shown->hide();
        shown->setParent(limbo_.get());
    }
    for (HostedPage& hosted : pages_) {
        if (hosted.widget)
            hosted.widget->setParent(limbo_.get());
    }
    pages_.clear();
    limbo_.reset();
}

IStateImages& ctlNavigation::StateImages() {
    return *headline_;
}

std::vector<INavigationPage*> ctlNavigation::Pages() const {
    std::vector<INavigationPage*> pages;
    for (const HostedPage& hosted : pages_) {
        if (hosted.widget)
            pages.push_back(hosted.page);
    }
    return pages;
}

IDevInfoPane& ctlNavigation::devInfo() {
    return *devInfo_;
}

IDevParameterPane& ctlNavigation::devParameter() {
    return *tree_;
}

IDtmInfoPane& ctlNavigation::dtmInfo() {
    return *dtmInfo_;
}

IStdHeadline& ctlNavigation::StdHeadline() {
    return *headline_;
}

IStdToolbar& ctlNavigation::StdToolbar() {
    return *toolbar_;
}

void ctlNavigation::FollowStartNode(const nav::NavTreeNode& start) {
    navigationLocked_ = start.navViewLocked;
    if (start.navViewVisible >= 0)
        SetNavigationVisible(start.navViewVisible == 1);
    else
        toolbar_->SetNavigationViewState(navigationVisible_, navigationLocked_);
}

void ctlNavigation::WidenPanes(int treeWidth) {
    treeWidth_ = treeWidth;
    ShareWidth();
}

void ctlNavigation::ShareWidth() {
    const QList<int> sizes = splitter_->sizes();
    if (sizes.size() != 2 || !isVisible())
        return;
    const int total = sizes[0] + sizes[1];
    const int panesLeast = splitter_->widget(0)->minimumWidth();
    // The page area's need: the page's least width, the scroll bar beside a page higher than
    // the area, and the area's frame.
    int areaNeeded = pageArea_->minimumWidth();
    if (QWidget* page = pageArea_->widget()) {
        const QSize room = pageArea_->maximumViewportSize();
        const QSize least = page->minimumSize().expandedTo(page->minimumSizeHint());
        int needed = least.width() + sizes[1] - room.width();
        if (least.height() > room.height())
            needed += pageArea_->verticalScrollBar()->sizeHint().width();
        areaNeeded = std::max(areaNeeded, needed);
    }
    const QMargins margins = paneLayout_->contentsMargins();
    const int panesNeeded = navigationVisible_ ? treeWidth_ + margins.left() + margins.right() : 0;
    const int spare = total - areaNeeded;
    int panes = sizes[0];
    if (panes > spare)
        panes = std::max(spare, panesLeast);
    else if (panes < panesNeeded)
        panes = std::min(panesNeeded, spare);
    if (panes != sizes[0])
        splitter_->setSizes({panes, total - panes});
}

bool ctlNavigation::eventFilter(QObject* watched, QEvent* event) {
    if (watched == pageArea_->viewport() && event->type() == QEvent::LayoutRequest)
        CallGuarded("ctlNavigation page size", [&] { ShareWidth(); });
    return QWidget::eventFilter(watched, event);
}

void ctlNavigation::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    CallGuarded("ctlNavigation resize", [&] { ShareWidth(); });
}

void ctlNavigation::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    CallGuarded("ctlNavigation show", [&] { ShareWidth(); });
}

void ctlNavigation::SetNavigationVisible(bool visible) {
    navigationVisible_ = visible;
    tree_->setVisible(visible);
    // The stretch below the panes takes the tree's room while it is hidden.
    paneLayout_->setStretch(paneLayout_->count() - 1, visible ? 0 : 1);
    toolbar_->SetNavigationViewState(visible, navigationLocked_);
    ShareWidth();
}

QWidget* ctlNavigation::PageWidget(const INavigationPage& page) const {
    for (const HostedPage& hosted : pages_) {
        if (hosted.page == &page)
            return hosted.widget;
    }
    return nullptr;
}

QWidget* ctlNavigation::ShownPageWidget() const {
    return pageArea_->widget();
}

template <class F>
void ctlNavigation::Raise(F&& call) {
    // The listener stays alive for the call even if its owner drops it meanwhile.
    const std::shared_ptr<INavigationEvents> listener = events_.lock();
    if (listener)
        CallGuarded("ctlNavigation event handler", [&] { call(*listener); });
}

bool ctlNavigation::IsHosted(const QWidget* widget) const {
    for (const HostedPage& hosted : pages_) {
        if (widget && hosted.widget == widget)
            return true;
    }
    return false;
}

INavigationPage* ctlNavigation::CurrentPage() const {
    for (const HostedPage& hosted : pages_) {
        if (hosted.widget)
            return hosted.page;
    }
    return nullptr;
}

// --- pages ---

void ctlNavigation::ShowNode(const std::string& key) {
    const nav::NavTreeNode* node = tree_->Node(key);
    const std::string progId = node ? node->progId : std::string();
    const std::string caption = node ? (node->caption.empty() ? node->key : node->caption) : "";
    if (key == shownKey_ && progId == shownProgId_ && ShownPageWidget()) {
        // The same node in a new tree: the page stays; a heading takes its new caption.
        if (ShownPageWidget() == emptyPage_)
            emptyPageTitle_->setText(ToQString(caption));
        return;
    }
    const QPointer<ctlNavigation> self(this);
    const uint64_t run = ++selectionRun_;
    ReleasePages();
    if (!self || run != selectionRun_)
        return;
    shownKey_ = key;
    shownProgId_ = progId;
    TakeShownWidget();

    std::unique_ptr<QWidget> created = key.empty() ? nullptr : CreatePage(progId);
    if (!created) {
        if (!key.empty())
            ShowEmptyPage(caption);
        UpdateReadWrite();
        return;
    }
    INavigationPage* page = dynamic_cast<INavigationPage*>(created.get());
    const QPointer<QWidget> widget = created.release();
    pages_.push_back({widget, page});
    pageArea_->setWidget(widget);
    widget->show();

    Raise([page](INavigationEvents& e) { e.PageCreated(*page); });
    if (!self || run != selectionRun_ || !IsHosted(widget))
        return;
    // The page has its size once it is initialised.
    ShareWidth();
    // The new page follows the control's interval and switch.
    if (auto* cycle = dynamic_cast<IPrivateGUICycle*>(page)) {
        const int32_t interval = dtmInfo_->Interval();
        CallGuarded("ctlNavigation SetCycleTime", [&] { cycle->SetCycleTime(interval); });
        if (!self || run != selectionRun_ || !IsHosted(widget))
            return;
        if (dtmInfo_->CyclicRefresh() == 1) {
            CallGuarded("ctlNavigation SetCyclicRefresh", [&] { cycle->SetCyclicRefresh(1); });
            if (!self || run != selectionRun_ || !IsHosted(widget))
                return;
        }
    }
    UpdateReadWrite();
}

void ctlNavigation::ReleasePages() {
    const QPointer<ctlNavigation> self(this);
    while (!pages_.empty()) {
        const HostedPage hosted = pages_.back();
        pages_.pop_back();
        if (!hosted.widget)
            continue;
        // The page leaves the control before it is asked to release: what it does while it
        // releases (its cycle switching off) no longer reaches the control's switch.
        if (pageArea_->widget() == hosted.widget)
            pageArea_->takeWidget();
        hosted.widget->hide();
        hosted.widget->setParent(limbo_.get());
        UpdateReadWrite();
        INavigationPage* page = hosted.page;
        Raise([page](INavigationEvents& e) { e.PageReleasing(*page); });
        if (hosted.widget)
            hosted.widget->deleteLater();
        if (!self)
            return;
    }
}

std::unique_ptr<QWidget> ctlNavigation::CreatePage(const std::string& progId) const {
    if (progId.empty() || !registry_->Contains(progId))
        return nullptr;
    std::unique_ptr<QWidget> widget;
    const char* const where = "ctlNavigation creating a page";
    CallGuarded(where, [&] { widget = registry_->Create(progId); });
    if (widget && !dynamic_cast<INavigationPage*>(widget.get())) {
        WidgetDiagnostics().Record(where, "the page made for " + progId + " is no navigation page");
        widget.reset();
    }
    return widget;
}

void ctlNavigation::TakeShownWidget() {
    QWidget* shown = pageArea_->takeWidget();
    if (!shown)
        return;
    shown->hide();
    // The empty page stays the control's. A page is always released before; anything else
    // shown goes with the control.
    shown->setParent(shown == emptyPage_ ? this : limbo_.get());
}

void ctlNavigation::ShowEmptyPage(const std::string& caption) {
    emptyPageTitle_->setText(ToQString(caption));
    pageArea_->setWidget(emptyPage_);
    emptyPage_->show();
}

// --- toolbar ---

void ctlNavigation::UpdateReadWrite() {
    int32_t option = 0;
    if (auto* rw = dynamic_cast<IPrivateGUIReadWriteSaveLoad*>(CurrentPage()))
        CallGuarded("ctlNavigation ReadWriteSaveLoadOption",
                    [&] { option = rw->ReadWriteSaveLoadOption(); });
    toolbar_->SetAvailable(ntbRead, (option & rwsloRead) != 0);
    toolbar_->SetAvailable(ntbWrite, (option & rwsloWrite) != 0);
}

void ctlNavigation::ReadOrWrite(bool write) {
    auto* rw = dynamic_cast<IPrivateGUIReadWriteSaveLoad*>(CurrentPage());
    if (!rw)
        return;
    const QPointer<ctlNavigation> self(this);
    CallGuarded(write ? "ctlNavigation WriteParameter" : "ctlNavigation ReadParameter", [&] {
        // The page's answer decides, not the state of the button when it was drawn.
        const int32_t option = rw->ReadWriteSaveLoadOption();
        if (write && (option & rwsloWrite) != 0)
            rw->WriteParameter();
        else if (!write && (option & rwsloRead) != 0)
            rw->ReadParameter();
    });
    if (self)
        UpdateReadWrite();
}

void ctlNavigation::OnToolbarClick(int32_t button) {
    const QPointer<ctlNavigation> self(this);
    switch (button) {
        case ntbNavigationView:
            if (!navigationLocked_)
                SetNavigationVisible(!navigationVisible_);
            else
                toolbar_->SetNavigationViewState(navigationVisible_, navigationLocked_);
            break;
        case ntbRead:
            ReadOrWrite(false);
            break;
        case ntbWrite:
            ReadOrWrite(true);
            break;
        default:
            break;
    }
    if (self)
        Raise([button](INavigationEvents& e) { e.ToolbarButtonClick(button); });
}

// --- cycle ---

bool ctlNavigation::ForEachCyclePage(uint64_t& run, const char* what,
                                     const std::function<void(IPrivateGUICycle&)>& call) {
    const QPointer<ctlNavigation> self(this);
    const uint64_t mine = ++run;
    const std::vector<HostedPage> pages = pages_;
    for (const HostedPage& hosted : pages) {
        if (!IsHosted(hosted.widget))
            continue;
        auto* cycle = dynamic_cast<IPrivateGUICycle*>(hosted.page);
        if (!cycle)
            continue;
        CallGuarded(what, [&] { call(*cycle); });
        // A page that switched again meanwhile started a newer run, which finishes the job.
        if (!self || mine != run)
            return false;
    }
    return true;
}

void ctlNavigation::OnCyclicRefreshChanged(int16_t value) {
    if (ForEachCyclePage(cycleRun_, "ctlNavigation SetCyclicRefresh",
                         [value](IPrivateGUICycle& page) { page.SetCyclicRefresh(value); }))
        Raise([value](INavigationEvents& e) { e.CyclicRefreshChanged(value); });
}

void ctlNavigation::OnIntervalChanged() {
    const int32_t interval = dtmInfo_->Interval();
    if (ForEachCyclePage(intervalRun_, "ctlNavigation SetCycleTime",
                         [interval](IPrivateGUICycle& page) { page.SetCycleTime(interval); }))
        Raise([](INavigationEvents& e) { e.CycleIntervalChanged(); });
}

}  // namespace kv
