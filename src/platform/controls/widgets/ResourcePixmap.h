#pragma once
// Pictures compiled in as resources, loaded at their first use and kept. A picture loaded by its
// path anew (QPixmap(path)) asks for the file's time of change every time, which Qt converts to
// local time: a picture that a refresh shows at every cycle would read the time zone as often.

#include <QPixmap>
#include <QString>

namespace kv {

// The picture at a resource path; a null pixmap when there is none. On the GUI thread only.
QPixmap ResourcePixmap(const QString& path);

}  // namespace kv
