#include "platform/controls/widgets/StatusImages.h"

#include <QFile>

#include "platform/controls/widgets/QtText.h"
#include "platform/controls/widgets/ResourcePixmap.h"

// Resources of a static library are registered by hand, outside any namespace.
static void InitStatusIconResources() {
    Q_INIT_RESOURCE(status_icons);
}

namespace kv {

namespace {

QString ResourcePath(const std::string& key) {
    return QStringLiteral(":/kv/status/") + ToQString(key) + QStringLiteral(".png");
}

bool ValidKey(const std::string& key) {
    // A key is a plain name: no path separators or dots reach the resource lookup.
    if (key.empty())
        return false;
    for (char c : key) {
        const bool alnum =
            (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
        if (!alnum)
            return false;
    }
    return true;
}

}  // namespace

StatusImages::StatusImages() {
    static const bool registered = [] {
        InitStatusIconResources();
        return true;
    }();
    (void)registered;
}

const StatusImages& StatusImages::Shared() {
    static const StatusImages images;
    return images;
}

bool StatusImages::Contains(const std::string& key) const {
    return ValidKey(key) && QFile::exists(ResourcePath(key));
}

QPixmap StatusImages::Pixmap(const std::string& key) {
    Shared();  // the pictures' resources registered
    return ValidKey(key) ? ResourcePixmap(ResourcePath(key)) : QPixmap();
}

}  // namespace kv
