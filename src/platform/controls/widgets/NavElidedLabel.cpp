#include "platform/controls/widgets/NavElidedLabel.h"

#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

#include "platform/controls/widgets/LastResort.h"

namespace kv::nav {

NavElidedLabel::NavElidedLabel(QWidget* parent) : QFrame(parent) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void NavElidedLabel::setText(const QString& text) {
    if (text == text_)
        return;
    // A value shown anew at every cycle keeps its width mostly: the layout around the label is
    // asked again only when the width it needs changed.
    const int width = sizeHint().width();
    text_ = text;
    if (sizeHint().width() != width)
        updateGeometry();
    update();
}

void NavElidedLabel::setAlignment(Qt::Alignment alignment) {
    alignment_ = alignment;
    update();
}

QSize NavElidedLabel::sizeHint() const {
    const QFontMetrics fm = fontMetrics();
    const QMargins m = contentsMargins();
    return {fm.horizontalAdvance(text_) + m.left() + m.right() + 2,
            fm.height() + m.top() + m.bottom()};
}

QSize NavElidedLabel::minimumSizeHint() const {
    const QFontMetrics fm = fontMetrics();
    const QMargins m = contentsMargins();
    return {std::min(sizeHint().width(),
                     fm.horizontalAdvance(QStringLiteral("Mm…")) + m.left() + m.right()),
            fm.height() + m.top() + m.bottom()};
}

bool NavElidedLabel::Elided() const {
    return fontMetrics().horizontalAdvance(text_) > contentsRect().width();
}

void NavElidedLabel::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    CallGuarded("elided label paint", [&] {
        QPainter painter(this);
        const QRect r = contentsRect();
        painter.drawText(r, static_cast<int>(alignment_),
                         fontMetrics().elidedText(text_, Qt::ElideRight, r.width()));
    });
}

bool NavElidedLabel::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip && toolTip().isEmpty()) {
        CallGuarded("elided label tooltip", [&] {
            auto* help = static_cast<QHelpEvent*>(event);
            if (Elided())
                QToolTip::showText(help->globalPos(), text_, this);
            else
                QToolTip::hideText();
        });
        return true;
    }
    return QFrame::event(event);
}

}  // namespace kv::nav
