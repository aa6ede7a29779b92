#include "ui/framework/widgets/ctlSeparator.h"

#include <QFrame>
#include <QLabel>

#include "platform/controls/widgets/LastResort.h"
#include "platform/controls/widgets/QtText.h"
#include "platform/controls/widgets/Twips.h"

namespace kv {

namespace {
// Room beside the title text inside its frame.
constexpr int kTitlePaddingTwips = 60;
constexpr int kDesignWidthTwips = 6015;
constexpr int kDesignHeightTwips = 255;
}  // namespace

ctlSeparator::ctlSeparator(QWidget* parent) : QWidget(parent) {
    const int w = TwipsToPixels(kDesignWidthTwips, this);
    const int h = TwipsToPixels(kDesignHeightTwips, this);
    resize(w, h);
    frmSeparator_ = new QFrame(this);
    frmSeparator_->setObjectName(QStringLiteral("frmSeparator"));
    frmSeparator_->setFrameShape(QFrame::HLine);
    frmSeparator_->setFrameShadow(QFrame::Sunken);
    frmSeparator_->setGeometry(0, h / 2 - 1, w, 3);
    // The title's frame hides the line behind the text.
    frmHlp_ = new QFrame(this);
    frmHlp_->setObjectName(QStringLiteral("frmHlp"));
    frmHlp_->setAutoFillBackground(true);
    frmHlp_->setGeometry(0, 0, 0, h);
    lblTitle_ = new QLabel(frmHlp_);
    lblTitle_->setObjectName(QStringLiteral("lblTitle"));
    lblTitle_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    QFont bold = lblTitle_->font();
    bold.setBold(true);
    lblTitle_->setFont(bold);
    lblTitle_->setGeometry(0, 0, 0, h);
    // The control's first resize comes at its design size: it registers the line.
    UserControlResize();
    InitProperties();
}

std::string ctlSeparator::Caption() const {
    return lblTitle_->text().toStdString();
}

void ctlSeparator::SetCaption(const std::string& caption) {
    const QString text = ToQString(caption);
    if (text == lblTitle_->text())
        return;
    lblTitle_->setText(text);
    FitTitle();
}

void ctlSeparator::FitTitle() {
    const int w = lblTitle_->fontMetrics().horizontalAdvance(lblTitle_->text()) +
                  TwipsToPixels(kTitlePaddingTwips, this);
    const int h = height();
    // The label always fits into its frame: a narrower title narrows the label first, a wider
    // one widens the frame first.
    if (w <= lblTitle_->width()) {
        lblTitle_->resize(w, h);
        frmHlp_->resize(w, h);
    } else {
        frmHlp_->resize(w, h);
        lblTitle_->resize(w, h);
    }
    UserControlResize();
}

void ctlSeparator::UserControlResize() {
    if (!resize_) {
        resize_ = std::make_unique<clsCtlResize>();
        resize_->Add(*this, *frmSeparator_);
        return;
    }
    resize_->Resize(*this, *frmSeparator_, crmWidth);
}

void ctlSeparator::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    CallGuarded("separator resize", [&] { UserControlResize(); });
}

void ctlSeparator::InitProperties() {
    SetCaption("Title");
}

void ctlSeparator::ReadProperties(const IPropertyBag& bag) {
    const Variant title = bag.ReadOr("Title", Variant("Title"));
    // Every value has a text form but Null and arrays: those keep the default.
    std::string text = "Title";
    if (!title.isNull() && !title.isByteArray())
        text = title.toString();
    SetCaption(text);
}

void ctlSeparator::WriteProperties(IPropertyBag& bag) const {
    bag.Write("Title", Variant(Caption()));
}

}  // namespace kv
