#pragma once
// Opening a document with the desktop's default program. The program uses xdg-open; tests put a
// recorder in its place.

#include <functional>
#include <string>

namespace kv {
class IEventLoop;
}

namespace kv::os {

// The end of an opening that started, called once through the event loop: true when the
// program opened the file, false when it ended with a failure (xdg-open found no viewer).
using ShellOpenEnded = std::function<void(bool opened)>;
// Starts opening the file; true when the opening program could be started, and then `ended`
// follows on the loop. False: nothing follows.
using ShellOpener =
    std::function<bool(const std::string& file, IEventLoop& loop, ShellOpenEnded ended)>;

// Replaces the opener; an empty function restores the default.
void SetShellOpener(ShellOpener opener);
// Opens the file with the current opener.
bool ShellOpen(const std::string& file, IEventLoop& loop, ShellOpenEnded ended);
// The default opener: false for a file that does not exist or when "xdg-open" cannot be started;
// else it starts "xdg-open <file>" without a shell (the name is passed as one argument, never
// interpreted) and does not wait for it: a timer of the loop collects its exit status (0: the
// file was opened) and tells `ended`. What it and the viewer print goes nowhere: the program's
// own output and error output stay clean.
bool XdgOpen(const std::string& file, IEventLoop& loop, ShellOpenEnded ended);

}  // namespace kv::os
