#include "ui/framework/widgets/ctlNavigationMain.h"

#include <QPointer>
#include <QVBoxLayout>

#include "platform/controls/widgets/LastResort.h"
#include "platform/controls/widgets/ctlNavigation.h"
#include "platform/controls/widgets/ctlParamHelp.h"
#include "platform/controls/widgets/ctlParamSite.h"
#include "platform/runtime/EntryGuard.h"
#include "platform/runtime/IDTMContext.h"
#include "platform/runtime/IDtmContextHolder.h"
#include "ui/framework/widgets/ctlCycle.h"

namespace kv {

namespace {

// Designer values of the window's cyclic-refresh control.
constexpr int32_t kDesignInterval = 4000;

}  // namespace

template <class Body>
void ctlNavigationMain::Guard(const char* where, Body&& body,
                              std::shared_ptr<IDTMContext> context) {
    // The context stays alive while the body runs, whatever the body releases.
    if (!context)
        context = logic_->GetDtmContext();
    Guarded(context ? context->Diagnostics() : WidgetDiagnostics(), where,
            std::forward<Body>(body));
}

ctlNavigationMain::ctlNavigationMain(QWidget* parent, const PageRegistry* registry)
    : QWidget(parent) {
    setObjectName(QStringLiteral("ctlNavigationMain"));
    ctlParamHelp1_ = new ctlParamHelp(this);
    ctlParamHelp1_->setObjectName(QStringLiteral("ctlParamHelp1"));
    ctlParamHelp1_->hide();
    ctlNavigation1_ = new ctlNavigation(this, registry);
    ctlNavigation1_->setObjectName(QStringLiteral("ctlNavigation1"));
    // The navigation control's own switch is the one the user sees.
    ctlCycle1_ = new ctlCycle(this);
    ctlCycle1_->setObjectName(QStringLiteral("ctlCycle1"));
    ctlCycle1_->SetInterval(kDesignInterval);
    ctlCycle1_->SetAutomateDynamicIcons(true);
    // It reads the elements of the headline, as the connection's start-up reads do: a writable
    // one (the tag, the scale) keeps the project's value and records the device's beside it.
    ctlCycle1_->SetReads(GroupReads::Shown);
    ctlCycle1_->hide();
    ctlParamSite1_ = new ctlParamSite(this);
    ctlParamSite1_->setObjectName(QStringLiteral("ctlParamSite1"));

    // The navigation control fills the window.
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(ctlNavigation1_);

    logic_ = std::make_shared<NavigationMainLogic>(static_cast<INavigationMainHost&>(*this));
    ctlNavigation1_->SetEvents(logic_);
    const std::weak_ptr<NavigationMainLogic> logic = logic_;
    connect(ctlCycle1_, &ctlCycle::OnAddRequests, this, [this, logic](ITransactionGroup& group) {
        Guard("ctlNavigationMain ctlCycle1_OnAddRequests", [&] {
            if (auto l = logic.lock())
                l->CycleAddRequests(group);
        });
    });
    connect(ctlCycle1_, &ctlCycle::Click, this, [this, logic] {
        Guard("ctlNavigationMain ctlCycle1_Click", [&] {
            if (auto l = logic.lock())
                l->CycleClick();
        });
    });
    connect(ctlCycle1_, &ctlCycle::CycleError, this, [this, logic] {
        Guard("ctlNavigationMain ctlCycle1_CycleError", [&] {
            if (auto l = logic.lock())
                l->CycleError();
        });
    });
}

ctlNavigationMain::~ctlNavigationMain() {
    // From here on nothing reaches the window's parts: the control and the cycle stop telling
    // the logic, and the logic (which a GUI list may hold a moment longer) lets go of them.
    ctlNavigation1_->SetEvents({});
    disconnect(ctlCycle1_, nullptr, this, nullptr);
    logic_->DetachHost();
}

bool ctlNavigationMain::Init(const std::string& guiFunctionCall, const std::string& functionCall,
                             std::shared_ptr<IDtm> dtm) {
    bool done = false;
    std::shared_ptr<IDTMContext> context = kv::GetDtmContext(dtm.get());
    Guard(
        "ctlNavigationMain::Init",
        [&] { done = logic_->Init(guiFunctionCall, functionCall, std::move(dtm)); },
        std::move(context));
    if (done && isVisible())
        logic_->Shown();
    return done;
}

bool ctlNavigationMain::PrepareToRelease() {
    bool done = false;
    Guard("ctlNavigationMain::PrepareToRelease", [&] { done = logic_->PrepareToRelease(); });
    return done;
}

IParamHelp* ctlNavigationMain::GetParamHelpCtl() {
    return ctlParamHelp1_;
}

void ctlNavigationMain::SetGUITreeStructure(const std::string& text) {
    Guard("ctlNavigationMain::GUITreeStructure", [&] { logic_->SetGUITreeStructure(text); });
}

std::string ctlNavigationMain::GUITreeStructure() const {
    return logic_->GUITreeStructure();
}

void ctlNavigationMain::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    Guard("ctlNavigationMain::Show", [&] { logic_->Shown(); });
}

void ctlNavigationMain::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    Guard("ctlNavigationMain::Hide", [&] { logic_->Hidden(); });
}

// --- the parts the logic drives ---

INavigationControl& ctlNavigationMain::Navigation() {
    return *ctlNavigation1_;
}

IParamSite& ctlNavigationMain::ParamSite() {
    return *ctlParamSite1_;
}

void ctlNavigationMain::InitCycle(IDTMContext& context) {
    ctlCycle1_->Init(context, scmDoNotStart);
}

int16_t ctlNavigationMain::CycleValue() const {
    return ctlCycle1_->Value();
}

void ctlNavigationMain::SetCycleValue(int16_t value) {
    ctlCycle1_->SetValue(value);
}

void ctlNavigationMain::ClearCycle() {
    ctlCycle1_->Clear();
}

std::vector<IDtmActiveXControl*> ctlNavigationMain::ChildUserInterfaces() {
    std::vector<IDtmActiveXControl*> children;
    for (QObject* child : this->children()) {
        if (auto* control = dynamic_cast<IDtmActiveXControl*>(child))
            children.push_back(control);
    }
    return children;
}

std::vector<ICaptionedControl*> ctlNavigationMain::CaptionedControls() {
    // The window's own controls carry no captions of the dictionary.
    return {};
}

void ctlNavigationMain::HideWindow() {
    hide();
}

}  // namespace kv
