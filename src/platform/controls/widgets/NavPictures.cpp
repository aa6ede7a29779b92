#include "platform/controls/widgets/NavPictures.h"

#include "platform/controls/widgets/ResourcePixmap.h"

// The resources of a static library are registered by hand, outside any namespace.
static void InitNavigationResources() {
    Q_INIT_RESOURCE(ctlNavigation);
}

namespace kv::nav {

namespace {

QPixmap Load(const QString& path) {
    static const bool registered = (InitNavigationResources(), true);
    (void)registered;
    return ResourcePixmap(path);
}

}  // namespace

QPixmap Picture(const QString& key) {
    if (key.isEmpty())
        return {};
    return Load(QStringLiteral(":/kv/navigation/%1.png").arg(key));
}

QPixmap DisabledPicture(const QString& key) {
    if (!IsStatePicture(key))
        return {};
    return Load(QStringLiteral(":/kv/navigation/disabled/%1.png").arg(key));
}

bool IsStatePicture(const QString& key) {
    static const QStringList keys = {"status_none",   "status_ok",    "status_funct",
                                     "status_critic", "status_maint", "status_on"};
    return keys.contains(key);
}

}  // namespace kv::nav
