#pragma once
// Opening a document (manual, help file) with the desktop's default program.

#include <string>

#include "platform/os/Shell.h"

namespace kv {

class DiagnosticLog;
class IEventLoop;

// True when the program that opens the file could be started; `ended` then follows on the loop
// (os::ShellOpen). An opener that fails gives false, and its reason goes to the log.
bool ShellOpenDocument(const std::string& file, IEventLoop& loop, os::ShellOpenEnded ended,
                       DiagnosticLog& log);

}  // namespace kv
