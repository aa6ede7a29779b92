#pragma once
// Callback of a running read or write process of the runtime.

#include <string>

namespace kv {

class IPrivateProcess {
  public:
    virtual ~IPrivateProcess() = default;
    // percent 0..100 of the process's work done.
    virtual void OnProcessProgress(const std::string& processId, int32_t percent) = 0;
    // Called exactly once per started process, always from the event loop.
    virtual void OnProcessFinished(const std::string& processId, bool success) = 0;
};

}  // namespace kv
