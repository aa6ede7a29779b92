#pragma once
// Text at the widgets' boundary: the system's UTF-8 strings as the QString that Qt shows.

#include <QString>
#include <string>

namespace kv {

inline QString ToQString(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

}  // namespace kv
