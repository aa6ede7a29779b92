#include "ui/parameterpages/PageBase.h"

#include <QAbstractButton>
#include <QEvent>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollArea>
#include <algorithm>
#include <optional>
#include <stdexcept>

#include "core/DictionaryLookup.h"
#include "core/clsDataElement.h"
#include "platform/controls/widgets/LastResort.h"
#include "platform/controls/widgets/QtText.h"
#include "platform/controls/widgets/Twips.h"
#include "platform/controls/widgets/ctlParamHelp.h"
#include "platform/controls/widgets/ctlParamSite.h"
#include "platform/controls/widgets/ctlParameter.h"
#include "platform/runtime/EntryGuard.h"
#include "platform/runtime/IDtmContextHolder.h"
#include "platform/runtime/IGUIManager.h"
#include "platform/runtime/IParameters.h"
#include "platform/runtime/IPrivateGUI.h"
#include "platform/runtime/PropertyBag.h"
#include "ui/framework/GUIRegistration.h"
#include "ui/framework/widgets/GUIForward.h"
#include "ui/framework/widgets/clsCtlResize.h"
#include "ui/framework/widgets/ctlSeparator.h"

namespace kv {

namespace {

// Room the page keeps right of and below its children at its design size.
constexpr int kPageMarginTwips = 120;

const char* const kBlockIndexKey = "BlockIndex";
constexpr int16_t kDefaultBlockIndex = 1;

std::optional<Variant> DesignProp(const ChildDesign& child, const std::string& key) {
    for (const DesignProperty& p : child.props) {
        if (p.key == key)
            return p.value;
    }
    return std::nullopt;
}

// The primary language (Windows language id) of a locale; English for languages the DTM has
// no number for.
int32_t PrimaryLanguageOf(const QLocale& locale) {
    switch (locale.language()) {
        case QLocale::German:
            return 7;
        case QLocale::French:
            return 12;
        case QLocale::Italian:
            return 16;
        case QLocale::Spanish:
            return 10;
        case QLocale::Dutch:
            return 19;
        default:
            return 9;
    }
}

// A child as the dictionary look-up sees it: its kind, name, array index and caption.
class ControlCaption : public ICaptionedControl {
  public:
    ControlCaption(const ChildDesign& design, QWidget& widget) : design_(design), widget_(widget) {}

    Kind ControlKind() const override {
        switch (design_.kind) {
            case ChildKind::Parameter:
                return Kind::ParameterRow;
            case ChildKind::Separator:
            case ChildKind::Label:
            case ChildKind::Frame:
            case ChildKind::CommandButton:
                return Kind::Captioned;
            default:
                return Kind::Other;
        }
    }
    std::string Name() const override { return design_.name; }
    std::optional<int32_t> Index() const override {
        if (design_.index < 0)
            return std::nullopt;
        return design_.index;
    }
    std::string Caption() const override {
        if (auto* s = qobject_cast<ctlSeparator*>(&widget_))
            return s->Caption();
        if (auto* l = qobject_cast<QLabel*>(&widget_))
            return l->text().toStdString();
        if (auto* g = qobject_cast<QGroupBox*>(&widget_))
            return g->title().toStdString();
        if (auto* b = qobject_cast<QAbstractButton*>(&widget_))
            return b->text().toStdString();
        return {};
    }
    void SetCaption(const std::string& caption) override {
        const QString text = ToQString(caption);
        if (auto* s = qobject_cast<ctlSeparator*>(&widget_))
            s->SetCaption(caption);
        else if (auto* l = qobject_cast<QLabel*>(&widget_))
            l->setText(text);
        else if (auto* g = qobject_cast<QGroupBox*>(&widget_))
            g->setTitle(text);
        else if (auto* b = qobject_cast<QAbstractButton*>(&widget_))
            b->setText(text);
    }

  private:
    const ChildDesign& design_;
    QWidget& widget_;
};

}  // namespace

PageBase::PageBase(const PageDesign& design, QWidget* parent) : QWidget(parent), design_(design) {
    setObjectName(ToQString(design.className));
    InitProperties();
}

PageBase::~PageBase() {
    // A page destroyed while still initialised leaves the GUI list; its site and group are not
    // touched (they go with the page).
    if (IsInitialised())
        Unregister();
}

// --- building ---

void PageBase::Build() {
    if (built_)
        return;
    built_ = true;
    CreateChildren();
    // The page's design size: its children with a margin right and below. The help pane and
    // the invisible site do not count (the pane places itself beside the row it helps), nor
    // does the cycle control, which goes where it covers nothing once its caption is known. A
    // separator's line spans the page: it widens the page only on a page of separators alone.
    int right = 0;
    int separatorsRight = 0;
    int bottom = 0;
    for (const PageControl& c : controls_) {
        const ChildKind kind = c.design->kind;
        if (!c.widget || !c.design->container.empty() || kind == ChildKind::ParamHelp ||
            kind == ChildKind::ParamSite || kind == ChildKind::Cycle)
            continue;
        const int childRight = c.design->pos.left + c.design->pos.width;
        if (kind == ChildKind::Separator)
            separatorsRight = std::max(separatorsRight, childRight);
        else
            right = std::max(right, childRight);
        bottom = std::max(bottom, c.design->pos.top + c.design->pos.height);
    }
    if (right == 0)
        right = separatorsRight;
    designSize_ = QSize(TwipsToPixels(right + kPageMarginTwips, this),
                        TwipsToPixels(bottom + kPageMarginTwips, this));
    resize(designSize_);
    // A separator that reaches past the other children ends where they do: its line keeps the
    // page's margin at every width.
    const int lineEnd = TwipsToPixels(right, this);
    for (const PageControl& c : controls_) {
        if (c.widget && c.design->kind == ChildKind::Separator && c.design->container.empty() &&
            c.widget->x() + c.widget->width() > lineEnd && lineEnd > c.widget->x())
            c.widget->resize(lineEnd - c.widget->x(), c.widget->height());
    }
    // The first resize comes at the design size: it records the margins and moves nothing.
    UserControl_Resize();
    CoverChildren();
}

void PageBase::CoverChildren() {
    if (!layout_)
        return;
    const int margin = TwipsToPixels(kPageMarginTwips, this);
    QSize needed = designSize_;
    for (const PageControl& c : controls_) {
        QWidget* w = c.widget;
        if (w == nullptr || w->parentWidget() != this || !w->isVisibleTo(this) ||
            c.design->kind == ChildKind::ParamHelp || c.design->kind == ChildKind::ParamSite)
            continue;
        const QRect at = w->geometry();
        // A child that follows the page needs room for its least size and its margin; any other
        // the room it takes.
        const QSize least = w->minimumSize().expandedTo(w->minimumSizeHint());
        const std::optional<int> rightMargin = layout_->RightMargin(*w);
        const std::optional<int> bottomMargin = layout_->BottomMargin(*w);
        const int right = FollowsWidth(*c.design) && rightMargin
                              ? at.x() + least.width() + *rightMargin
                              : at.x() + at.width() + margin;
        const int bottom = FollowsHeight(*c.design) && bottomMargin
                               ? at.y() + least.height() + *bottomMargin
                               : at.y() + at.height() + margin;
        needed = needed.expandedTo(QSize(right, bottom));
    }
    setMinimumSize(needed);
    if (width() < needed.width() || height() < needed.height())
        resize(size().expandedTo(needed));
    // A page that its scroll area fits to its view and that needs less now gives the room back.
    if (const QScrollArea* area = ShowingArea(); area != nullptr && area->widgetResizable()) {
        const int view = area->viewport()->height();
        if (height() > needed.height() && height() > view)
            resize(width(), std::max(needed.height(), view));
    }
}

void PageBase::CreateChildren() {
    for (const ChildDesign& child : design_.children) {
        QWidget* parent = this;
        if (!child.container.empty()) {
            parent = Control(child.container);
            if (parent == nullptr) {
                RecordDesignFault(
                    child, "stands in " + child.container + ", which the page does not hold");
                continue;
            }
        }
        QWidget* widget = CreateChild(child, parent);
        if (widget == nullptr) {
            RecordDesignFault(child, "is of a kind the page makes no control of");
            continue;
        }
        widget->setObjectName(ToQString(child.name));
        if (child.index >= 0)
            widget->setProperty("index", child.index);
        if (child.kind != ChildKind::ParamSite)
            PlaceChild(*widget, child);
        controls_.push_back({&child, widget});
        if (child.kind == ChildKind::ParamSite && site_ == nullptr)
            site_ = qobject_cast<ctlParamSite*>(widget);
        else if (child.kind == ChildKind::ParamHelp && help_ == nullptr)
            help_ = qobject_cast<ctlParamHelp*>(widget);
        else if (child.name == "sepTitle")
            title_ = qobject_cast<ctlSeparator*>(widget);
    }
    if (help_ != nullptr)
        help_->raise();
}

void PageBase::PlaceChild(QWidget& widget, const ChildDesign& child) {
    widget.setGeometry(
        TwipsRect(child.pos.left, child.pos.top, child.pos.width, child.pos.height, this));
}

QWidget* PageBase::CreateChild(const ChildDesign& child, QWidget* parent) {
    const PropertyBag bag = DesignBag(child);
    const QString caption = ToQString(DesignProp(child, "caption").value_or(Variant()).toString());
    switch (child.kind) {
        case ChildKind::Separator: {
            auto* s = new ctlSeparator(parent);
            s->ReadProperties(bag);
            return s;
        }
        case ChildKind::Parameter: {
            auto* row = new ctlParameter(parent);
            if (!row->ReadProperties(bag))
                RecordDesignFault(child, "has a designer property of the wrong kind");
            return row;
        }
        case ChildKind::ParamHelp: {
            auto* help = new ctlParamHelp(parent);
            help->ReadProperties(bag);
            return help;
        }
        case ChildKind::ParamSite:
            // The site binds the rows among the page's children: it belongs to the page itself.
            return new ctlParamSite(this);
        case ChildKind::Label: {
            auto* label = new QLabel(caption, parent);
            label->setWordWrap(true);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            return label;
        }
        case ChildKind::Frame:
            return new QGroupBox(caption, parent);
        case ChildKind::CommandButton: {
            auto* button = new QPushButton(caption, parent);
            button->setEnabled(DesignProp(child, "enabled").value_or(Variant(true)).toBool());
            const std::string name = child.name;
            const QPointer<PageBase> self(this);
            connect(button, &QPushButton::clicked, this, [self, name] {
                if (self)
                    Guarded(self->Log(), "button click", [&] { self->OnButtonClick(name); });
            });
            return button;
        }
        case ChildKind::PictureBox:
            return new QFrame(parent);
        case ChildKind::Cycle:
        case ChildKind::Bar:
        case ChildKind::Archive:
            return nullptr;
    }
    return nullptr;
}

QWidget* PageBase::Control(const std::string& name, int32_t index) const {
    for (const PageControl& c : controls_) {
        if (c.widget && c.design->name == name && c.design->index == index)
            return c.widget;
    }
    return nullptr;
}

std::vector<ctlParameter*> PageBase::Rows() const {
    std::vector<ctlParameter*> rows;
    for (const PageControl& c : controls_) {
        if (auto* row = qobject_cast<ctlParameter*>(c.widget.data()))
            rows.push_back(row);
    }
    return rows;
}

std::string PageBase::TitleText() const {
    return title_ ? title_->Caption() : std::string();
}

IParamHelp* PageBase::GetParamHelpCtl() {
    return help_;
}

DiagnosticLog& PageBase::Log() const {
    if (std::shared_ptr<IDTMContext> ctx = GetDtmContext())
        return ctx->Diagnostics();
    return WidgetDiagnostics();
}

void PageBase::RecordDesignFault(const ChildDesign& child, const std::string& fault) const {
    std::string control = child.name;
    if (child.index >= 0)
        control += "(" + std::to_string(child.index) + ")";
    Log().Record(Name() + " Build", control + " " + fault);
}

std::shared_ptr<IDTMContext> PageBase::GetDtmContext() const {
    return kv::GetDtmContext(dtm_.get());
}

// --- property bag ---

void PageBase::InitProperties() {
    blockIndex_ = kDefaultBlockIndex;
}

bool PageBase::ReadProperties(const IPropertyBag& bag) {
    if (!design_.blockIndex)
        return true;
    const std::optional<int16_t> index =
        bag.ReadOr(kBlockIndexKey, Variant(kDefaultBlockIndex)).tryInteger();
    blockIndex_ = index.value_or(kDefaultBlockIndex);
    return index.has_value();
}

void PageBase::WriteProperties(IPropertyBag& bag) const {
    // Written only when it differs from its default, as a property with a default is.
    if (design_.blockIndex && blockIndex_ != kDefaultBlockIndex)
        bag.Write(kBlockIndexKey, Variant(blockIndex_));
}

// --- Init and release ---

bool PageBase::Init(const std::string& guiFunctionCall, const std::string& functionCall,
                    std::shared_ptr<IDtm> dtm) {
    if (guiFunctionCall.empty() || !dtm || IsInitialised())
        return false;
    std::shared_ptr<IDTMContext> context = kv::GetDtmContext(dtm.get());
    if (!context) {
        WidgetDiagnostics().Record(Name() + " Init", "the DTM object offers no context");
        return false;
    }
    return Guarded(context->Diagnostics(), "page Init", false, [&] {
        dtm_ = dtm;
        guiFunctionCall_ = guiFunctionCall;
        gui_ = std::make_shared<GUIForward<PageBase>>(this);
        const bool topLevel = guiFunctionCall.back() != '$';
        if (!context->GUIManager().RegisterGUI(guiFunctionCall, gui_, topLevel)) {
            // Another user interface holds the call: nothing of this page is registered.
            dtm_.reset();
            guiFunctionCall_.clear();
            throw std::runtime_error("the GUI list refused the call " + guiFunctionCall);
        }
        try {
            InitRegistered(functionCall);
            // The rows hold their texts now.
            FitRows();
            CoverChildren();
        } catch (...) {
            // No half-open page stays in the GUI list: what was made is released again.
            if (design_.form == PageForm::Composite)
                ReleaseChildPages();
            RollBackInitPage();
            Unregister();
            throw;
        }
        return true;
    });
}

void PageBase::InitRegistered(const std::string& functionCall) {
    if (design_.form == PageForm::Composite)
        InitChildPages(functionCall);
    InitPage();
}

void PageBase::InitChildPages(const std::string& functionCall) {
    int counter = 1;
    for (const PageControl& c : controls_) {
        auto* child = dynamic_cast<IDtmActiveXControl*>(c.widget.data());
        if (child == nullptr)
            continue;
        // The child's answer is not examined: a child that fails stays out of the GUI list.
        child->Init(guiFunctionCall_ + "." + std::to_string(counter) + "$", functionCall, dtm_);
        ++counter;
    }
}

bool PageBase::ReleaseChildPages() {
    for (const PageControl& c : controls_) {
        auto* child = dynamic_cast<IDtmActiveXControl*>(c.widget.data());
        if (child != nullptr && !child->PrepareToRelease())
            return false;
    }
    return true;
}

void PageBase::InitPage() {
    std::shared_ptr<IDTMContext> context = GetDtmContext();
    if (!context)
        throw std::logic_error("the page holds no DTM object");
    if (site_ == nullptr)
        throw std::logic_error(Name() + " has no binding site");
    site_->Init(*context, guiFunctionCall_, NewParamLinkPrototype(LinkFields()));
    AfterSiteInit();
    ApplyLanguage(context->GUIManager().Language());
    OnParameterSetChanged();
    if (help_ != nullptr)
        help_->raise();
    FinishInitPage();
    // A page opens read only while the data set is locked.
    EnableEdit(!context->GUIManager().Locked());
}

ParamLinkFields PageBase::LinkFields() const {
    ParamLinkFields fields;
    fields.index = design_.blockIndex ? blockIndex_ : 0;
    fields.bDisplayDPV1Index = design_.relIndexLabels;
    fields.bOnlineMode = true;
    fields.bShowDevice = ShowsDevice();
    return fields;
}

std::shared_ptr<IPrivateParamLink> PageBase::NewParamLinkPrototype(const ParamLinkFields& fields) {
    return kv::NewParamLinkPrototype(fields);
}

bool PageBase::QueryRelease() {
    site_->Release();
    return true;
}

void PageBase::RollBackInitPage() {
    // The bindings are dropped with the page at the latest: a release that fails is only
    // recorded.
    if (site_ != nullptr)
        Guarded(Log(), "PageBase::RollBackInitPage", [&] { site_->Release(); });
}

bool PageBase::PrepareToRelease() {
    if (!IsInitialised())
        return true;
    return Guarded(Log(), "page PrepareToRelease", false, [&] {
        if (design_.form == PageForm::Composite && !ReleaseChildPages())
            return false;
        if (!QueryRelease())
            return false;
        hide();
        Unregister();
        return true;
    });
}

void PageBase::Unregister() noexcept {
    LeaveGUIList(GetDtmContext(), guiFunctionCall_);
    dtm_.reset();
    guiFunctionCall_.clear();
}

// --- IPrivateGUI ---

bool PageBase::CloseGUI() {
    if (!IsInitialised())
        return true;
    return PrepareToRelease();
}

void PageBase::LockStateChanged(bool locked) {
    if (IsInitialised())
        EnableEdit(!locked);
}

void PageBase::ParameterChanged(IPrivateDataElement& element) {
    if (IsInitialised())
        OnParameterChanged(element);
}

void PageBase::ParameterSetChanged() {
    if (IsInitialised())
        OnParameterSetChanged();
}

void PageBase::ValidateParameters() {
    if (IsInitialised())
        ValidatePage();
}

void PageBase::SetLanguage(int32_t languageId) {
    if (IsInitialised())
        ApplyLanguage(languageId);
}

// --- forwards to the site ---

void PageBase::ApplyLanguage(int32_t languageId) {
    std::shared_ptr<IDTMContext> context = GetDtmContext();
    if (!context)
        return;
    site_->SetLanguage(languageId);
    std::vector<std::unique_ptr<ControlCaption>> captions;
    std::vector<ICaptionedControl*> controls;
    for (const PageControl& c : controls_) {
        if (!c.widget)
            continue;
        captions.push_back(std::make_unique<ControlCaption>(*c.design, *c.widget));
        controls.push_back(captions.back().get());
    }
    ApplyControlTexts(*context, Name() + "_", controls);
    FitButtons();
}

void PageBase::FitButtons() {
    for (const PageControl& c : controls_) {
        if (auto* button = qobject_cast<QPushButton*>(c.widget.data())) {
            const int wanted = button->sizeHint().width();
            if (button->width() < wanted)
                button->resize(wanted, button->height());
        }
    }
    CoverChildren();
}

void PageBase::FitRows() {
    // The rows hold their texts once the page is initialised.
    if (!IsInitialised())
        return;
    if (fittingRows_) {
        refitRows_ = true;
        return;
    }
    fittingRows_ = true;
    // A few passes at most: each follows a width that the one before gave the page.
    for (int pass = 0; pass < 3; ++pass) {
        refitRows_ = false;
        FitRowsOnce();
        if (!refitRows_)
            break;
    }
    fittingRows_ = false;
}

void PageBase::FitRowsOnce() {
    std::vector<std::pair<ctlParameter*, const ChildDesign*>> rows;
    for (const PageControl& c : controls_) {
        auto* row = qobject_cast<ctlParameter*>(c.widget.data());
        if (row != nullptr && row->parentWidget() == this && row->isVisibleTo(this))
            rows.emplace_back(row, c.design);
    }
    int column = 0;
    for (const auto& [row, design] : rows) {
        if (row->FitsBeside(row->width(), row->LabelTextWidth()))
            column = std::max(column, row->LabelTextWidth());
    }
    for (const auto& [row, design] : rows)
        row->SetLabelColumn(column);
    // Every row takes its height; what stands below the rows that changed moves at once.
    std::vector<std::pair<int, int>> places;
    for (const auto& [row, design] : rows) {
        const int needed = row->heightForWidth(row->width());
        const int height = row->ControlType() == pctBitList
                               ? needed
                               : std::max(needed, TwipsToPixels(design->pos.height, this));
        if (height == row->height())
            continue;
        places.emplace_back(row->geometry().bottom(), height - row->height());
        row->resize(row->width(), height);
    }
    MakeRoomBelow(*this, places);
    YieldBitLists();
}

void PageBase::YieldBitLists() {
    constexpr int kLeastBits = 3;
    const QScrollArea* area = ShowingArea();
    if (area == nullptr)
        return;
    const int excess = minimumHeight() - area->viewport()->height();
    if (excess <= 0)
        return;
    int lowestButtonTop = -1;
    for (const PageControl& c : controls_) {
        if (c.widget != nullptr && c.design->kind == ChildKind::CommandButton &&
            c.widget->parentWidget() == this && c.widget->isVisibleTo(this))
            lowestButtonTop = std::max(lowestButtonTop, c.widget->y());
    }
    std::vector<std::pair<ctlParameter*, int>> lists;  // each with the height it can give
    int total = 0;
    for (ctlParameter* row : Rows()) {
        if (row->ControlType() != pctBitList || row->parentWidget() != this ||
            !row->isVisibleTo(this) || row->geometry().bottom() >= lowestButtonTop)
            continue;
        const int spare = row->height() - row->HeightShowingBits(row->width(), kLeastBits);
        if (spare > 0) {
            lists.emplace_back(row, spare);
            total += spare;
        }
    }
    if (total == 0)
        return;
    // Each gives its share of the excess, by what it can give.
    std::vector<std::pair<int, int>> places;
    for (const auto& [row, spare] : lists) {
        const int give = std::min(spare, (excess * spare + total - 1) / total);
        places.emplace_back(row->geometry().bottom(), -give);
        row->resize(row->width(), row->height() - give);
    }
    MakeRoomBelow(*this, places);
}

QScrollArea* PageBase::ShowingArea() const {
    QWidget* parent = parentWidget();
    auto* area = parent != nullptr ? qobject_cast<QScrollArea*>(parent->parentWidget()) : nullptr;
    return area != nullptr && area->viewport() == parent ? area : nullptr;
}

void PageBase::WatchView() {
    QScrollArea* area = ShowingArea();
    QWidget* view = area != nullptr ? area->viewport() : nullptr;
    if (view == view_)
        return;
    if (view_ != nullptr)
        view_->removeEventFilter(this);
    view_ = view;
    if (view != nullptr)
        view->installEventFilter(this);
}

void PageBase::MakeRoomBelow(const QWidget& container, int y, int delta) {
    MakeRoomBelow(container, {{y, delta}});
}

void PageBase::MakeRoomBelow(const QWidget& container,
                             const std::vector<std::pair<int, int>>& places) {
    int total = 0;
    bool moves = false;
    for (const auto& [y, delta] : places) {
        total += delta;
        moves = moves || delta != 0;
    }
    if (!moves)
        return;
    for (const PageControl& c : controls_) {
        QWidget* w = c.widget;
        if (w == nullptr || w->parentWidget() != &container ||
            c.design->kind == ChildKind::ParamHelp)
            continue;
        int shift = 0;
        for (const auto& [y, delta] : places) {
            if (w->y() > y)
                shift += delta;
        }
        if (shift != 0)
            w->move(w->x(), w->y() + shift);
    }
    designSize_.setHeight(designSize_.height() + total);
    CoverChildren();
    // What follows the page's height keeps its bottom margin from its new top.
    if (layout_)
        UserControl_Resize();
}

void PageBase::OnParameterChanged(IPrivateDataElement& element) {
    site_->ParameterChanged(element);
}

void PageBase::OnParameterSetChanged() {
    site_->ParameterSetChanged();
}

void PageBase::ValidatePage() {
    site_->Validate();
}

void PageBase::EnableEdit(bool enabled) {
    site_->EnableEdit(enabled);
}

ctlParameter* PageBase::RowWithRefusedInput(IDTMContext& context, bool writtenOnly) const {
    for (ctlParameter* row : Rows()) {
        IPrivateParamLink* link = site_->GetParamLink(*row);
        clsDataElement* element = link ? AsDataElement(link->DataElement()) : nullptr;
        if (element == nullptr || row->Locked() || row->WriteLocked() ||
            (element->StatusFlags() & sfInputErrorMask) == 0)
            continue;
        if (!writtenOnly)
            return row;
        // A member of a record is written with its whole record: the record's access decides.
        if (element->TransferElement(context.Parameters()).IsDownloadParam(context))
            return row;
    }
    return nullptr;
}

bool PageBase::RefusesForRefusedInput(IDTMContext& context, const std::string& key,
                                      bool writtenOnly) {
    ctlParameter* refused = RowWithRefusedInput(context, writtenOnly);
    if (refused == nullptr)
        return false;
    // What the row holds would be lost, or its old value used: the action is refused and the
    // row named.
    std::string reason = refused->IconToolTip();
    if (reason.empty())
        reason = GetDictionaryText(context, "paramicon_InputErr");
    context.DisplayMessage(GetDictionaryText(context, key) + " " + refused->LabelText() + ": " +
                           reason);
    refused->setFocus();
    return true;
}

// --- user-control events ---

bool PageBase::FollowsWidth(const ChildDesign& child) const {
    switch (child.kind) {
        case ChildKind::Separator:
        case ChildKind::Parameter:
            return true;
        case ChildKind::Bar:
            return design_.resize == ResizeForm::Wide;
        case ChildKind::PictureBox:
            return design_.resize != ResizeForm::Narrow;
        case ChildKind::Archive:
            return design_.resize == ResizeForm::Archive;
        default:
            return false;
    }
}

bool PageBase::FollowsHeight(const ChildDesign& child) const {
    return design_.resize == ResizeForm::Archive &&
           (child.kind == ChildKind::Archive || child.kind == ChildKind::PictureBox);
}

void PageBase::UserControl_Resize() {
    const bool first = !layout_;
    if (first)
        layout_ = std::make_unique<clsCtlResize>();
    for (const PageControl& c : controls_) {
        if (!c.widget || !FollowsWidth(*c.design))
            continue;
        if (first)
            layout_->Add(*this, *c.widget);
        else
            layout_->Resize(*this, *c.widget, FollowsHeight(*c.design) ? crmBoth : crmWidth);
    }
}

bool PageBase::event(QEvent* event) {
    // A child's least size changed (a caption, a row's texts, a chart's scales): the page makes
    // room for it.
    if (event->type() == QEvent::LayoutRequest && built_)
        Guarded(Log(), "page layout request", [&] {
            FitRows();
            CoverChildren();
        });
    if (event->type() == QEvent::ParentChange)
        Guarded(Log(), "page parent change", [&] { WatchView(); });
    return QWidget::event(event);
}

bool PageBase::eventFilter(QObject* watched, QEvent* event) {
    // The view that shows the page changed its height: the bit lists take what it gives.
    if (watched == view_ && event->type() == QEvent::Resize && built_)
        Guarded(Log(), "page view resize", [&] { FitRows(); });
    return QWidget::eventFilter(watched, event);
}

void PageBase::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (built_)
        Guarded(Log(), "page resize", [&] {
            UserControl_Resize();
            FitRows();
        });
}

void PageBase::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The rows measure their texts in the style they show with.
    if (built_)
        Guarded(Log(), "page show", [&] {
            FitRows();
            CoverChildren();
        });
    TellShown(true);
}

void PageBase::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    TellShown(false);
}

void PageBase::TellShown(bool shown) {
    if (IsInitialised())
        TellGUIShown(GetDtmContext(), guiFunctionCall_, shown);
}

void PageBase::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // The container's locale changed: the page takes the language of the new locale.
    if (event->type() != QEvent::LocaleChange || !IsInitialised())
        return;
    Guarded(Log(), "page locale change",
            [&] { ApplyLanguage(PrimaryLangId(PrimaryLanguageOf(locale()))); });
}

}  // namespace kv
