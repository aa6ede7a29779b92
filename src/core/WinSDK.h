#pragma once
// Opening a document (manual, help file) with the desktop's default program.

#include <string>

#include "platform/os/Shell.h"

namespace kv {

class IEventLoop;

// True when the program that opens the file could be started; `ended` then follows on the loop
// (os::ShellOpen). An opener that fails gives false.
bool ShellOpenDocument(const std::string& file, IEventLoop& loop, os::ShellOpenEnded ended);

}  // namespace kv
