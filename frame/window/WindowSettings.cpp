#include "frame/window/WindowSettings.h"

#include <QSettings>
#include <cstdlib>

#include "platform/controls/widgets/QtText.h"

namespace kv {

namespace {

const QString kPaneWidth = QStringLiteral("InstancePane/width");

}  // namespace

std::string WindowSettingsFile() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && *xdg != '\0')
        return std::string(xdg) + "/kv6274pa/window.conf";
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0')
        return std::string(home) + "/.config/kv6274pa/window.conf";
    return {};
}

std::optional<int> ReadPaneWidth(const std::string& file) {
    if (file.empty())
        return std::nullopt;
    const QSettings settings(ToQString(file), QSettings::IniFormat);
    bool ok = false;
    const int width = settings.value(kPaneWidth).toInt(&ok);
    return ok && width > 0 ? std::optional<int>(width) : std::nullopt;
}

bool WritePaneWidth(const std::string& file, int width) {
    if (file.empty())
        return false;
    QSettings settings(ToQString(file), QSettings::IniFormat);
    settings.setValue(kPaneWidth, width);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

}  // namespace kv
