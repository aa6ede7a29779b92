#include "core/WinSDK.h"

namespace kv {

bool ShellOpenDocument(const std::string& file, IEventLoop& loop, os::ShellOpenEnded ended) {
    try {
        return os::ShellOpen(file, loop, std::move(ended));
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace kv
