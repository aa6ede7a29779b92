#pragma once
// What the window keeps of its user's layout from one run to the next: the width of the
// instance pane. It lives in a settings file of its own, apart from the machine's settings
// (registry.conf): $XDG_CONFIG_HOME/kv6274pa/window.conf, else ~/.config/kv6274pa/window.conf,
// in the form
//
//   [InstancePane]
//   width=250

#include <optional>
#include <string>

namespace kv {

// The file named above; empty when no folder can be determined.
std::string WindowSettingsFile();

// The width stored in the file; nullopt without the file or a width (a value that is no
// positive number counts as none).
std::optional<int> ReadPaneWidth(const std::string& file);
// Stores the width, making the file's folder where it is missing; False when it cannot.
bool WritePaneWidth(const std::string& file, int width);

}  // namespace kv
