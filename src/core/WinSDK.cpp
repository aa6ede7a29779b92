#include "core/WinSDK.h"

#include "value/DiagnosticLog.h"

namespace kv {

bool ShellOpenDocument(const std::string& file, IEventLoop& loop, os::ShellOpenEnded ended,
                       DiagnosticLog& log) {
    try {
        return os::ShellOpen(file, loop, std::move(ended));
    } catch (const std::exception& e) {
        log.Record("ShellOpenDocument", e.what());
        return false;
    }
}

}  // namespace kv
