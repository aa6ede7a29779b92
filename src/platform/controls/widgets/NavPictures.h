#pragma once
// The navigation control's own pictures, compiled in as resources and named by key.

#include <QPixmap>
#include <QString>

namespace kv::nav {

// The picture of a key ("status_ok", "datastate_3", "connect_on", "tb_read", "device"); a null
// pixmap for a key the control does not have.
QPixmap Picture(const QString& key);
// The greyed picture of a state key ("status_*"); a null pixmap for another key.
QPixmap DisabledPicture(const QString& key);
// Whether key names one of the state pictures that the headline panels can show.
bool IsStatePicture(const QString& key);

}  // namespace kv::nav
