#include "platform/controls/widgets/NavigationHost.h"

#include <QWidget>

namespace kv {

INavigationPanesHost* FindNavigationPanesHost(const QWidget* page) {
    for (QWidget* w = page ? page->parentWidget() : nullptr; w; w = w->parentWidget()) {
        if (auto* host = dynamic_cast<INavigationPanesHost*>(w))
            return host;
    }
    return nullptr;
}

bool SetHostCyclicRefresh(const QWidget* page, int16_t value) {
    INavigationPanesHost* host = FindNavigationPanesHost(page);
    if (!host)
        return false;
    try {
        host->NavigationPanes().dtmInfo().Cycle().SetCyclicRefresh(value);
        return true;
    } catch (...) {
        // The page's switch keeps its value; only the mirroring is lost.
        return false;
    }
}

}  // namespace kv
