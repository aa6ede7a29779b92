#include "platform/os/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

namespace kv::os {

RegularFile::~RegularFile() {
    if (fd_ >= 0)
        ::close(fd_);
}

bool RegularFile::Open(const std::string& path, FileFault& fault) {
    // A missing file (the settings are often missing) costs one call.
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        fault = {.kind = FileFault::kCannotOpen, .error = errno};
        return false;
    }
    if (!S_ISREG(status.st_mode)) {
        fault = {.kind = FileFault::kNoRegularFile};
        return false;
    }
    // Not blocking, and checked again once open: the path may name another file by now.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        fault = {.kind = FileFault::kCannotOpen, .error = errno};
        return false;
    }
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        fault = {.kind = FileFault::kNoRegularFile};
        return false;
    }
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = fd;
    size_ = static_cast<size_t>(status.st_size);
    return true;
}

bool RegularFile::ReadAt(size_t at, size_t count, std::string& buffer) const {
    buffer.resize(count);
    for (size_t done = 0; done < count;) {
        const ssize_t got =
            ::pread(fd_, buffer.data() + done, count - done, static_cast<off_t>(at + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        done += static_cast<size_t>(got);
    }
    return true;
}

bool RegularFile::ReadAll(std::string& text, FileFault& fault) const {
    // Room for one character more than the file had, so that its end is seen at once; twice the
    // room each time that fills.
    text.resize(size_ + 1);
    size_t done = 0;
    for (;;) {
        if (done == text.size())
            text.resize(2 * text.size());
        const ssize_t got =
            ::pread(fd_, text.data() + done, text.size() - done, static_cast<off_t>(done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            fault = {.kind = FileFault::kCannotRead, .error = errno};
            return false;
        }
        if (got == 0)
            break;
        done += static_cast<size_t>(got);
    }
    text.resize(done);
    return true;
}

}  // namespace kv::os
