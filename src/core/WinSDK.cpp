#include "core/WinSDK.h"

#include "platform/os/Shell.h"

namespace kv {

bool ShellOpenDocument(const std::string& file) {
    try {
        return os::ShellOpen(file);
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace kv
