#include "ui/framework/widgets/ctlCycle.h"

#include <QCheckBox>
#include <QResizeEvent>
#include <QSignalBlocker>
#include <algorithm>

#include "core/DictionaryLookup.h"
#include "core/clsDataElement.h"
#include "platform/controls/widgets/LastResort.h"
#include "platform/controls/widgets/QtText.h"
#include "platform/controls/widgets/Twips.h"
#include "platform/controls/widgets/WinColor.h"
#include "platform/os/IEventLoop.h"
#include "platform/runtime/EntryGuard.h"
#include "platform/runtime/ICommObject.h"
#include "platform/runtime/ICommunicationManager.h"
#include "platform/runtime/IDTMContext.h"
#include "platform/runtime/IGUIManager.h"
#include "platform/runtime/IParameters.h"
#include "platform/runtime/IPrivateProcess.h"
#include "platform/runtime/IPrompt.h"
#include "platform/runtime/TransactionGroup.h"

namespace kv {

namespace {

// The check box as a captioned control of the dictionary's control texts.
class CheckBoxCaption : public ICaptionedControl {
  public:
    explicit CheckBoxCaption(QCheckBox& box) : box_(box) {}
    Kind ControlKind() const override { return Kind::Captioned; }
    std::string Name() const override { return box_.objectName().toStdString(); }
    std::optional<int32_t> Index() const override { return std::nullopt; }
    std::string Caption() const override { return box_.text().toStdString(); }
    void SetCaption(const std::string& caption) override { box_.setText(ToQString(caption)); }

  private:
    QCheckBox& box_;
};

}  // namespace

// The callback of the group's reads: it lives as long as the control and tells it when a read
// has ended.
class ctlCycle::ProcessCallback : public IPrivateProcess {
  public:
    explicit ProcessCallback(ctlCycle* owner) : owner_(owner) {}
    void OnProcessProgress(const std::string& /*processId*/, int32_t /*percent*/) override {}
    void OnProcessFinished(const std::string& /*processId*/, bool /*success*/) override {
        if (owner_)
            owner_->ReadEnded();
    }

  private:
    QPointer<ctlCycle> owner_;
};

ctlCycle::ctlCycle(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("ctlCycle1"));
    chkCycle_ = new QCheckBox(QStringLiteral("Cyclic refresh"), this);
    chkCycle_->setObjectName(QStringLiteral("chkCycle"));
    // The user's click: Qt has set the box and lets the handlers delete the control.
    connect(chkCycle_, &QCheckBox::clicked, this, [this] { OnCheckToggled(); });
    callback_ = std::make_shared<ProcessCallback>(this);
    // 255 twips high, as the pages place it.
    resize(TwipsToPixels(2535, this), TwipsToPixels(255, this));
    ApplyBackColor();
}

ctlCycle::~ctlCycle() {
    chkCycle_->disconnect(this);
    callback_.reset();  // a read still running reports to nobody
    if (IDTMContext* ctx = Ctx()) {
        StopTimer();
        Guarded(ctx->Diagnostics(), "ctlCycle.Terminate", [&] { UnmarkDynamic(*ctx); });
    }
}

IDTMContext* ctlCycle::Ctx() const {
    return context_.Get();
}

DiagnosticLog& ctlCycle::Log() const {
    IDTMContext* ctx = Ctx();
    return ctx ? ctx->Diagnostics() : WidgetDiagnostics();
}

template <typename Fn>
bool ctlCycle::Raise(IDTMContext& context, Fn&& fn) {
    QPointer<ctlCycle> self(this);
    Guarded(context.Diagnostics(), "ctlCycle event handler", std::forward<Fn>(fn));
    return !self.isNull();
}

// --- properties ---

void ctlCycle::SetBackColor(int32_t color) {
    if (color == backColor_)
        return;
    backColor_ = color;
    ApplyBackColor();
}

void ctlCycle::ApplyBackColor() {
    const QColor color = WinColor(backColor_, palette());
    for (QWidget* w : {static_cast<QWidget*>(this), static_cast<QWidget*>(chkCycle_)}) {
        QPalette p = w->palette();
        p.setColor(QPalette::Window, color);
        w->setPalette(p);
        w->setAutoFillBackground(true);
    }
}

void ctlCycle::SetInterval(int32_t ms) {
    // A shorter cycle would keep the device and the loop busy without pause.
    const int32_t interval = std::max(ms, kMinInterval);
    if (interval == interval_)
        return;
    interval_ = interval;
    if (timerId_ != 0) {
        if (IDTMContext* ctx = Ctx())
            StartTimer(*ctx);
    }
}

void ctlCycle::SetAutomateDynamicIcons(bool on) {
    if (on == automateDynamicIcons_)
        return;
    automateDynamicIcons_ = on;
    emit PropertyChanged(QStringLiteral("AutomateDynamicIcons"));
}

int16_t ctlCycle::Value() const {
    return chkCycle_->isChecked() ? 1 : 0;
}

void ctlCycle::SetValue(int32_t value) {
    const bool on = value != 0;
    if (on == chkCycle_->isChecked())
        return;
    {
        // The box is set quietly and the switch runs here, outside the box's own code: a
        // handler may destroy the control.
        const QSignalBlocker quiet(chkCycle_);
        chkCycle_->setChecked(on);
    }
    OnCheckToggled();
}

ITransactionGroup* ctlCycle::TransGrp() const {
    return group_.get();
}

void ctlCycle::InitProperties() {
    SetBackColor(kDefaultBackColor);
    SetInterval(kDefaultInterval);
    automateDynamicIcons_ = false;
}

bool ctlCycle::ReadProperties(const IPropertyBag& bag) {
    bool ok = ReadProperty<int32_t>(bag, "BackColor", Variant(kDefaultBackColor),
                                    [this](int32_t v) { SetBackColor(v); });
    ok &= ReadProperty<int32_t>(bag, "Interval", Variant(kDefaultInterval),
                                [this](int32_t v) { SetInterval(v); });
    ok &= ReadProperty<bool>(bag, "AutomateDynamicIcons", Variant(false),
                             [this](bool v) { automateDynamicIcons_ = v; });
    return ok;
}

void ctlCycle::WriteProperties(IPropertyBag& bag) const {
    if (backColor_ != kDefaultBackColor)
        bag.Write("BackColor", Variant(backColor_));
    if (interval_ != kDefaultInterval)
        bag.Write("Interval", Variant(interval_));
    if (automateDynamicIcons_)
        bag.Write("AutomateDynamicIcons", Variant(true));
}

void ctlCycle::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Guarded(Log(), "ctlCycle resize", [&] { chkCycle_->setGeometry(0, 0, width(), height()); });
}

// --- binding and language ---

void ctlCycle::Init(IDTMContext& context, startCycleMode mode) {
    if (IDTMContext* old = Ctx()) {
        // Bound anew: the old group's cycling ends without events.
        StopTimer();
        UnmarkDynamic(*old);
        if (group_)
            group_->Close();
    }
    switchOnPending_ = false;
    context_.Set(context);
    group_ = std::make_unique<TransactionGroup>(reads_);
    group_->Init(context);
    QPointer<ctlCycle> self(this);
    if (mode == scmStart ||
        (mode == scmStartIfConnected && context.CommunicationManager().Communication())) {
        SetValue(1);
        if (self.isNull())
            return;
    }
    SetLanguage(context.GUIManager().Language());
}

void ctlCycle::SetLanguage(int32_t /*languageId*/) {
    IDTMContext* ctx = Ctx();
    if (ctx == nullptr)
        return;
    Guarded(ctx->Diagnostics(), "ctlCycle.SetLanguage", [&] {
        CheckBoxCaption caption(*chkCycle_);
        ApplyControlTexts(*ctx, "ctlCycle_", {&caption});
    });
}

// --- switching ---

void ctlCycle::OnCheckToggled() {
    IDTMContext* ctx = Ctx();
    if (ctx == nullptr || !group_)
        return;
    Guarded(ctx->Diagnostics(), "ctlCycle.chkCycle_Click", [&] {
        if (!Raise(*ctx, [this] { emit Click(); }))
            return;
        if (Value() == 1) {
            SwitchOn();
            return;
        }
        switchOnPending_ = false;
        if (!Raise(*ctx, [this] { emit OnRemoveRequests(*group_); }))
            return;
        if (Value() == 1)
            return;  // a handler switched on again: that switch-on holds
        UnmarkDynamic(*ctx);
        group_->Clear();
        StopTimer();
    });
}

void ctlCycle::SwitchOn() {
    IDTMContext* ctx = Ctx();
    if (ctx == nullptr || !group_)
        return;
    if (group_->Busy()) {
        // The previous read still runs: the switch-on completes when it has ended.
        switchOnPending_ = true;
        return;
    }
    switchOnPending_ = false;
    if (!RefuseUnreachable(*ctx))
        StartCycling(*ctx);
}

bool ctlCycle::RefuseUnreachable(IDTMContext& context) {
    if (group_->ConnectionStatus() == 0)
        return false;
    QPointer<ctlCycle> self(this);
    SetValue(0);
    if (!self.isNull())
        context.MessageBox(GetDictionaryText(context, "error_at_connect"), mbsOkOnly);
    return true;
}

void ctlCycle::StartCycling(IDTMContext& context) {
    if (!Raise(context, [this] { emit OnAddRequests(*group_); }))
        return;
    MarkDynamic(context);
    if (Value() == 1) {
        StartTimer(context);
        Tick();
    } else {
        Stop(context);
    }
}

void ctlCycle::Stop(IDTMContext& context) {
    if (!group_)
        return;
    switchOnPending_ = false;
    if (!Raise(context, [this] { emit OnRemoveRequests(*group_); }))
        return;
    UnmarkDynamic(context);
    group_->Clear();
    StopTimer();
}

void ctlCycle::AddRequests() {
    IDTMContext* ctx = Ctx();
    if (ctx == nullptr || !group_ || Value() != 1 || group_->Busy())
        return;
    Guarded(ctx->Diagnostics(), "ctlCycle.AddRequests", [&] {
        if (!RefuseUnreachable(*ctx))
            StartCycling(*ctx);
    });
}

void ctlCycle::RemoveRequests() {
    IDTMContext* ctx = Ctx();
    if (ctx == nullptr || Value() != 1)
        return;
    Guarded(ctx->Diagnostics(), "ctlCycle.RemoveRequests", [&] { Stop(*ctx); });
}

void ctlCycle::Clear() {
    IDTMContext* ctx = Ctx();
    if (ctx == nullptr || !group_)
        return;
    QPointer<ctlCycle> self(this);
    SetValue(0);
    if (self.isNull())
        return;
    Guarded(ctx->Diagnostics(), "ctlCycle.Clear", [&] {
        switchOnPending_ = false;
        StopTimer();
        group_->Close();
        UnmarkDynamic(*ctx);
    });
}

// --- the cycle ---

void ctlCycle::StartTimer(IDTMContext& context) {
    StopTimer();
    loop_ = &context.Loop();
    QPointer<ctlCycle> self(this);
    IEventLoop* loop = loop_;
    auto id = std::make_shared<int32_t>(0);
    *id = loop->StartTimer(interval_, [self, loop, id] {
        if (self.isNull() || self->timerId_ != *id) {
            loop->StopTimer(*id);  // the control is gone or runs another timer
            return;
        }
        self->Tick();
    });
    timerId_ = *id;
}

void ctlCycle::StopTimer() {
    if (timerId_ != 0 && loop_ != nullptr)
        loop_->StopTimer(timerId_);
    timerId_ = 0;
}

void ctlCycle::Tick() {
    IDTMContext* ctx = Ctx();
    if (ctx == nullptr || !group_)
        return;
    Guarded(ctx->Diagnostics(), "ctlCycle.tmrCycle_Timer", [&] {
        ICommunicationManager& comm = ctx->CommunicationManager();
        QPointer<ctlCycle> self(this);
        if (!comm.Communication()) {
            SetValue(0);  // no channel: cycling stops
            return;
        }
        const int32_t status = group_->Execute(callback_, false, false);
        if (status != 0 && status != 6) {
            SetValue(0);
            if (self.isNull())
                return;
            if (comm.Communication())
                ctx->DisplayMessage(GetDictionaryText(*ctx, "error_at_read_status"));
        }
        const ICommObject* object = comm.CommObject();
        if (!self.isNull() && object != nullptr && object->ErrorPending() &&
            object->ErrorCode() == cecConnectionLost)
            Raise(*ctx, [this] { emit CycleError(); });
    });
}

void ctlCycle::ReadEnded() {
    IDTMContext* ctx = Ctx();
    if (ctx == nullptr || !switchOnPending_ || !group_ || group_->Busy())
        return;
    Guarded(ctx->Diagnostics(), "ctlCycle.OnProcessFinished", [&] {
        if (Value() == 1)
            SwitchOn();
        else
            switchOnPending_ = false;
    });
}

// --- dynamic marks ---

std::vector<std::string> ctlCycle::GroupElementPaths(IDTMContext& context) const {
    std::vector<std::string> paths;
    IParameters& parameters = context.Parameters();
    for (IPrivateDataElement* element :
         context.CommunicationManager().GetGroupElements(group_->Elements())) {
        const std::string& name = element->Name();
        if (!name.empty() && name.back() == '/') {
            for (IPrivateDataElement* member : parameters.RecordMembers(name))
                paths.push_back(member->Name());
        } else {
            paths.push_back(name);
        }
    }
    return paths;
}

void ctlCycle::MarkDynamic(IDTMContext& context) {
    if (!automateDynamicIcons_ || !group_ || marked_)
        return;
    marked_ = GroupElementPaths(context);
    marksDeviceOnly_ = reads_ == GroupReads::Shown;
    ChangeDynamicMarks(context, *marked_, true);
}

void ctlCycle::UnmarkDynamic(IDTMContext& context) {
    // Whatever the setting is now: what was marked is unmarked.
    if (!marked_)
        return;
    const std::vector<std::string> paths = std::move(*marked_);
    marked_.reset();
    ChangeDynamicMarks(context, paths, false);
}

void ctlCycle::ChangeDynamicMarks(IDTMContext& context, const std::vector<std::string>& paths,
                                  bool mark) {
    IParameters& parameters = context.Parameters();
    for (const std::string& path : paths) {
        if (clsDataElement* element = AsDataElement(parameters.Item(path))) {
            if (mark)
                element->AddDynamicMark(marksDeviceOnly_);
            else
                element->RemoveDynamicMark(marksDeviceOnly_);
            // Every open page shows the element's rows anew.
            context.GUIManager().ParameterChanged(*element, "");
        }
    }
}

}  // namespace kv
