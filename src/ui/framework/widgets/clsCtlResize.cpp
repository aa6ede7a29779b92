#include "ui/framework/widgets/clsCtlResize.h"

#include <QVariant>
#include <QWidget>

namespace kv {

std::string clsCtlResize::KeyOf(const QWidget& ctl) {
    std::string key = ctl.objectName().toStdString();
    const QVariant index = ctl.property("index");
    bool ok = false;
    const int i = index.toInt(&ok);
    if (index.isValid() && ok)
        key += "_" + std::to_string(i);
    return key;
}

void clsCtlResize::Add(const QWidget& userCtl, const QWidget& ctl) {
    const std::string key = KeyOf(ctl);
    rightMargins_[key] = userCtl.width() - (ctl.x() + ctl.width());
    bottomMargins_[key] = userCtl.height() - (ctl.y() + ctl.height());
}

void clsCtlResize::Resize(const QWidget& userCtl, QWidget& ctl, ControlResizeMode mode) const {
    const std::string key = KeyOf(ctl);
    const auto right = rightMargins_.find(key);
    const auto bottom = bottomMargins_.find(key);
    if (right == rightMargins_.end() || bottom == bottomMargins_.end())
        return;
    int width = ctl.width();
    int height = ctl.height();
    if (mode == crmWidth || mode == crmBoth) {
        const int w = userCtl.width() - right->second - ctl.x();
        if (w > 0)
            width = w;
    }
    if (mode == crmHeight || mode == crmBoth) {
        const int h = userCtl.height() - bottom->second - ctl.y();
        if (h > 0)
            height = h;
    }
    ctl.resize(width, height);
}

std::optional<int> clsCtlResize::RightMargin(const QWidget& ctl) const {
    const auto right = rightMargins_.find(KeyOf(ctl));
    if (right == rightMargins_.end())
        return std::nullopt;
    return right->second;
}

std::optional<int> clsCtlResize::BottomMargin(const QWidget& ctl) const {
    const auto bottom = bottomMargins_.find(KeyOf(ctl));
    if (bottom == bottomMargins_.end())
        return std::nullopt;
    return bottom->second;
}

}  // namespace kv
