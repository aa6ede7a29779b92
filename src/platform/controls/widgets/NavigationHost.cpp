#include "platform/controls/widgets/NavigationHost.h"

#include <QWidget>

#include "platform/controls/widgets/LastResort.h"

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
    // The page's switch keeps its value; only the mirroring is lost, and recorded.
    return CallGuarded("mirroring a page's cyclic refresh", false, [&] {
        host->NavigationPanes().dtmInfo().Cycle().SetCyclicRefresh(value);
        return true;
    });
}

}  // namespace kv
