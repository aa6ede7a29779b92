#include "ui/framework/widgets/FrameworkUserInterfaces.h"

#include "platform/controls/widgets/PageRegistry.h"
#include "ui/framework/widgets/ctlAbout.h"
#include "ui/framework/widgets/ctlNavigationMain.h"

namespace kv {

void RegisterFrameworkUserInterfaces(PageRegistry& registry) {
    // The main window's navigation control creates its pages through the same registry.
    registry.Register(ctlNavigationMain::kProgId, [&registry] {
        return std::make_unique<ctlNavigationMain>(nullptr, &registry);
    });
    registry.Register(ctlAbout::kProgId, [] { return std::make_unique<ctlAbout>(); });
}

}  // namespace kv
