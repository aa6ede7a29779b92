#include "ui/framework/widgets/ctlAbout.h"

#include <QDate>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPixmap>
#include <QTime>
#include <cmath>

#include "core/DictionaryLookup.h"
#include "platform/controls/widgets/QtText.h"
#include "platform/controls/widgets/ctlParamHelp.h"
#include "platform/controls/widgets/ctlParamSite.h"
#include "platform/runtime/EntryGuard.h"
#include "platform/runtime/IDTMContext.h"
#include "platform/runtime/IDTMDictionary.h"
#include "platform/runtime/IDtmContextHolder.h"
#include "platform/runtime/IGUIManager.h"
#include "platform/runtime/IParameters.h"
#include "platform/runtime/IPrivateDataModel.h"
#include "platform/runtime/IPrivateGUI.h"
#include "ui/framework/GUIRegistration.h"
#include "ui/framework/ParamLinkPrototype.h"
#include "ui/framework/widgets/GUIForward.h"

// The resources of a static library are registered by hand, outside any namespace.
static void InitFrameworkPictures() {
    Q_INIT_RESOURCE(framework_pictures);
}

namespace kv {

namespace {

// The caption labels and the value labels, in designer order.
const char* const kLabelNames[] = {"lblProduct",      "lblDTMVersion", "lblCopyright",
                                   "lblContact",      "lblProductTxt", "lblDTMVersionTxt",
                                   "lblCopyrightTxt", "lblContactTxt"};

// A date value (days since 1899-12-30) in the short form of a locale; the time only when the
// value has one.
QString ShortDateText(double days, const QLocale& locale) {
    const double whole = std::floor(days);
    QString text = locale.toString(QDate(1899, 12, 30).addDays(static_cast<qint64>(whole)),
                                   QLocale::ShortFormat);
    const int seconds = static_cast<int>(std::lround((days - whole) * 86400.0));
    if (seconds > 0 && seconds < 86400)
        text +=
            QLatin1Char(' ') + locale.toString(QTime(0, 0).addSecs(seconds), QLocale::ShortFormat);
    return text;
}

// The user's locale; where the user has none (the C locale, whose words are English), a German
// page takes the German one, so that a date with words shows them in the page's language.
QLocale DateLocale(int32_t languageId) {
    const QLocale user;
    if (user.language() == QLocale::C && PrimaryLangId(languageId) == langGerman)
        return QLocale(QLocale::German, QLocale::Germany);
    return user;
}

}  // namespace

ctlAbout::ctlAbout(QWidget* parent)
    : QWidget(parent), gui_(std::make_shared<GUIForward<ctlAbout>>(this)) {
    setObjectName(QStringLiteral("ctlAbout"));
    InitFrameworkPictures();

    Picture1_ = new QLabel(this);
    Picture1_->setObjectName(QStringLiteral("Picture1"));
    Picture1_->setPixmap(QPixmap(QStringLiteral(":/framework/product.png")));
    Picture1_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    for (const char* name : kLabelNames) {
        auto* label = new QLabel(this);
        label->setObjectName(QString::fromLatin1(name));
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        labels_.push_back(label);
        captions_.emplace_back(label);
    }
    for (size_t i = 4; i < labels_.size(); ++i)
        labels_[i]->setWordWrap(true);
    QFont bold = labels_[4]->font();
    bold.setBold(true);
    labels_[4]->setFont(bold);

    // Picture on the left, the captions and their values beside it.
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->setSpacing(24);
    layout->addWidget(Picture1_, 0, Qt::AlignTop);
    auto* grid = new QGridLayout();
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(10);
    for (int row = 0; row < 4; ++row) {
        grid->addWidget(labels_[row], row, 0, Qt::AlignTop | Qt::AlignLeft);
        // The values take the rest of the row and wrap when it is narrow.
        grid->addWidget(labels_[row + 4], row, 1);
    }
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(4, 1);
    layout->addLayout(grid, 1);

    ctlParamHelp1_ = new ctlParamHelp(this);
    ctlParamHelp1_->setObjectName(QStringLiteral("ctlParamHelp1"));
    ctlParamHelp1_->hide();
    ctlParamSite1_ = new ctlParamSite(this);
    ctlParamSite1_->setObjectName(QStringLiteral("ctlParamSite1"));
}

ctlAbout::~ctlAbout() {
    Terminate();
}

QLabel* ctlAbout::Label(const std::string& name) const {
    for (QLabel* label : labels_) {
        if (label->objectName().toStdString() == name)
            return label;
    }
    return nullptr;
}

std::shared_ptr<IDTMContext> ctlAbout::GetDtmContext() const {
    return kv::GetDtmContext(dtm_.get());
}

bool ctlAbout::Init(const std::string& guiFunctionCall, const std::string& /*functionCall*/,
                    std::shared_ptr<IDtm> dtm) {
    if (guiFunctionCall.empty() || !dtm || IsInitialised())
        return false;
    const std::shared_ptr<IDTMContext> context = kv::GetDtmContext(dtm.get());
    if (!context)
        return false;
    const bool done = Guarded(context->Diagnostics(), "ctlAbout::Init", false, [&] {
        const bool topLevel = guiFunctionCall.back() != '$';
        // A page the GUI list does not take would never hear of a change: it refuses.
        if (!context->GUIManager().RegisterGUI(guiFunctionCall, gui_, topLevel))
            return false;
        dtm_ = dtm;
        guiFunctionCall_ = guiFunctionCall;
        InitPage(*context);
        return true;
    });
    if (!done)
        Terminate();
    else if (isVisible())
        TellGUIShown(context, guiFunctionCall_, true);
    return done;
}

void ctlAbout::InitPage(IDTMContext& context) {
    ctlParamSite1_->Init(context, guiFunctionCall_, NewParamLinkPrototype(true));
    ApplyLanguage(context.GUIManager().Language());
    ctlParamSite1_->ParameterSetChanged();
    ctlParamHelp1_->raise();
    IPrivateDataModel* model = context.Parameters().DataModel();
    if (model == nullptr)
        return;
    Label("lblProductTxt")->setText(ToQString(model->DTMName()));
    version_ = model->DTMVersion();
    // A version information without a date shows the version alone.
    Guarded(context.Diagnostics(), "ctlAbout DTMDate", [&] { date_ = model->DTMDate(); });
    ShowVersion(context.GUIManager().Language());
}

void ctlAbout::ShowVersion(int32_t languageId) {
    QString version = ToQString(version_);
    if (date_)
        version += QStringLiteral(" / ") + ShortDateText(*date_, DateLocale(languageId));
    Label("lblDTMVersionTxt")->setText(version);
}

void ctlAbout::ApplyLanguage(int32_t languageId) {
    const std::shared_ptr<IDTMContext> context = GetDtmContext();
    if (!context)
        return;
    ctlParamSite1_->SetLanguage(languageId);
    std::vector<ICaptionedControl*> controls;
    for (CaptionedLabel& caption : captions_)
        controls.push_back(&caption);
    ApplyControlTexts(*context, "ctlAbout_", controls);
    ShowVersion(languageId);
}

bool ctlAbout::PrepareToRelease() {
    if (!IsInitialised())
        return true;
    if (const std::shared_ptr<IDTMContext> context = GetDtmContext())
        Guarded(context->Diagnostics(), "ctlAbout::PrepareToRelease",
                [&] { ctlParamSite1_->Release(); });
    hide();
    Terminate();
    return true;
}

void ctlAbout::Terminate() noexcept {
    if (!IsInitialised())
        return;
    LeaveGUIList(GetDtmContext(), guiFunctionCall_);
    dtm_.reset();
    guiFunctionCall_.clear();
}

IParamHelp* ctlAbout::GetParamHelpCtl() {
    return ctlParamHelp1_;
}

bool ctlAbout::CloseGUI() {
    return IsInitialised() ? PrepareToRelease() : true;
}

void ctlAbout::LockStateChanged(bool locked) {
    ctlParamSite1_->EnableEdit(!locked);
}

void ctlAbout::ParameterChanged(IPrivateDataElement& element) {
    ctlParamSite1_->ParameterChanged(element);
}

void ctlAbout::ParameterSetChanged() {
    ctlParamSite1_->ParameterSetChanged();
}

void ctlAbout::ValidateParameters() {
    ctlParamSite1_->Validate();
}

void ctlAbout::SetLanguage(int32_t languageId) {
    ApplyLanguage(languageId);
}

void ctlAbout::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    TellGUIShown(GetDtmContext(), guiFunctionCall_, true);
}

void ctlAbout::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    TellGUIShown(GetDtmContext(), guiFunctionCall_, false);
}

}  // namespace kv
