#pragma once
// Opening a document with the desktop's default program. The program uses xdg-open; tests put a
// recorder in its place.

#include <functional>
#include <string>

namespace kv::os {

using ShellOpener = std::function<bool(const std::string& file)>;

// Replaces the opener; an empty function restores the default.
void SetShellOpener(ShellOpener opener);
// Opens the file with the current opener; true when the opening program could be started.
bool ShellOpen(const std::string& file);
// The default opener: false for a file that does not exist, else starts "xdg-open <file>" without
// a shell (the name is passed as one argument, never interpreted) and does not wait for it.
bool XdgOpen(const std::string& file);

}  // namespace kv::os
