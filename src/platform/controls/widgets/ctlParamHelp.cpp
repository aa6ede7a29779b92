#include "platform/controls/widgets/ctlParamHelp.h"

#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/controls/widgets/LastResort.h"
#include "platform/controls/widgets/QtText.h"
#include "platform/controls/widgets/Twips.h"

namespace kv {

namespace {
constexpr int kMargin = 6;
constexpr int kGap = 2;
// The pane is never narrower than this, so that a short row still gets readable lines.
constexpr int kMinWidth = 240;
}  // namespace

ctlParamHelp::ctlParamHelp(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("ctlParamHelp1"));
    setFrameShape(QFrame::Box);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::ToolTipBase);
    setForegroundRole(QPalette::ToolTipText);
    text_ = new QLabel(this);
    text_->setWordWrap(true);
    text_->setTextFormat(Qt::PlainText);
    text_->setForegroundRole(QPalette::ToolTipText);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    layout->addWidget(text_);
    resize(TwipsToPixels(495, this), TwipsToPixels(735, this));
    hide();
}

bool ctlParamHelp::ReadProperties(const IPropertyBag& bag) {
    const std::optional<Variant> v = bag.Read("autoposition");
    if (!v)
        return true;
    const std::optional<int32_t> autoPosition = v->tryLong();
    if (!autoPosition)
        return false;
    autoPosition_ = *autoPosition;
    return true;
}

void ctlParamHelp::SetHelpText(const std::string& text) {
    helpText_ = text;
    text_->setText(ToQString(text));
}

void ctlParamHelp::ShowHelp(IParameterRow& row) {
    auto* rowWidget = dynamic_cast<QWidget*>(&row);
    QWidget* page = parentWidget();
    shownFor_ = rowWidget;
    if (autoPosition_ != 0 && rowWidget != nullptr && page != nullptr &&
        page->isAncestorOf(rowWidget)) {
        const QRect r(rowWidget->mapTo(page, QPoint(0, 0)), rowWidget->size());
        const int width = std::min(std::max(r.width(), kMinWidth), page->width());
        const int height = text_->heightForWidth(width - 2 * kMargin - 2 * frameWidth()) +
                           2 * kMargin + 2 * frameWidth();
        const int left = std::clamp(r.left(), 0, std::max(0, page->width() - width));
        int top = r.bottom() + 1 + kGap;
        if (top + height > page->height() && r.top() - kGap - height >= 0)
            top = r.top() - kGap - height;  // no room below the row: above it
        setGeometry(left, std::max(0, std::min(top, page->height() - height)), width, height);
    } else {
        const int width = std::max(this->width(), kMinWidth);
        resize(width, text_->heightForWidth(width - 2 * kMargin - 2 * frameWidth()) + 2 * kMargin +
                          2 * frameWidth());
    }
    raise();
    show();
}

void ctlParamHelp::mousePressEvent(QMouseEvent* event) {
    QFrame::mousePressEvent(event);
    CallGuarded("help pane click", [&] {
        hide();
        shownFor_ = nullptr;
    });
}

}  // namespace kv
