#include "platform/controls/widgets/ResourcePixmap.h"

#include <QFile>
#include <QHash>

namespace kv {

QPixmap ResourcePixmap(const QString& path) {
    // Only pictures that exist are kept: the paths are the resources', a bounded set.
    static QHash<QString, QPixmap> loaded;
    if (const auto it = loaded.constFind(path); it != loaded.constEnd())
        return *it;
    if (!QFile::exists(path))
        return {};
    const QPixmap picture(path);
    if (!picture.isNull())
        loaded.insert(path, picture);
    return picture;
}

}  // namespace kv
