#pragma once
// A limit on the size of the files the process writes, lifted with the object: a write past it
// fails (EFBIG, the signal it would raise ignored), as a write to a full disk does.

#include <signal.h>
#include <sys/resource.h>

#include <cstddef>

namespace kv::test_support {

class FileSizeLimit {
  public:
    explicit FileSizeLimit(size_t bytes) {
        getrlimit(RLIMIT_FSIZE, &before_);
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigaction(SIGXFSZ, &ignore, &handler_);
        rlimit limit = before_;
        limit.rlim_cur = static_cast<rlim_t>(bytes);
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &before_);
        sigaction(SIGXFSZ, &handler_, nullptr);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    rlimit before_{};
    struct sigaction handler_ {};
};

}  // namespace kv::test_support
