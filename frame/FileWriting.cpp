#include "frame/FileWriting.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>

namespace kv {

namespace {

namespace fs = std::filesystem;

// Links followed at most, as the system does before it reports a loop.
constexpr int kMaxLinks = 40;

fs::path FolderOf(const fs::path& file) {
    return file.has_parent_path() ? file.parent_path() : fs::path(".");
}

bool WriteAll(int fd, std::string_view text) {
    const char* p = text.data();
    size_t left = text.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    return true;
}

// The process's file-creation mask as the system shows it ("Umask:" in /proc/self/status),
// read without changing it: setting the mask to learn it would give a file that another thread
// creates meanwhile the wrong permissions. nullopt where the system does not show it.
std::optional<mode_t> FileCreationMask() {
    std::ifstream status("/proc/self/status");
    const std::string_view key = "Umask:";
    for (std::string line; std::getline(status, line);) {
        if (line.compare(0, key.size(), key) != 0)
            continue;
        std::string_view digits = std::string_view(line).substr(key.size());
        while (!digits.empty() && (digits.front() == ' ' || digits.front() == '\t'))
            digits.remove_prefix(1);
        unsigned mask = 0;
        const auto [end, ec] =
            std::from_chars(digits.data(), digits.data() + digits.size(), mask, 8);
        if (ec != std::errc() || end == digits.data() || mask > 0777)
            return std::nullopt;
        return static_cast<mode_t>(mask);
    }
    return std::nullopt;
}

// The permissions a new file gets: read and write for all, less the file-creation mask; where
// the mask cannot be read, read and write for the owner alone (the temporary file's own).
mode_t NewFileMode() {
    const std::optional<mode_t> mask = FileCreationMask();
    return mask ? static_cast<mode_t>(0666 & ~*mask) : static_cast<mode_t>(0600);
}

}  // namespace

std::string FollowLinks(const std::string& path) {
    fs::path current(path);
    for (int i = 0; i < kMaxLinks; ++i) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(current, ec)))
            return current.string();
        const fs::path target = fs::read_symlink(current, ec);
        if (ec)
            return current.string();
        current = target.is_absolute() ? target : FolderOf(current) / target;
    }
    return path;
}

bool CheckWritable(const std::string& path, FrameFault& reason) {
    const fs::path target(FollowLinks(path));
    const fs::path folder = FolderOf(target);
    const auto fault = [&](FrameFault::Kind kind) {
        reason = {.kind = kind, .path = path, .folder = folder.string()};
        return false;
    };
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return fault(FrameFault::kFolderMissing);
    // A link left after following is one of a circle of links.
    if (::lstat(target.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
        return fault(FrameFault::kNotAFile);
    if (::stat(target.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode))
            return fault(FrameFault::kNotAFile);
        // A file without any write permission counts as read-only also for the superuser.
        if (::access(target.c_str(), W_OK) != 0 || (st.st_mode & 0222) == 0)
            return fault(FrameFault::kReadOnly);
    }
    if (::access(folder.c_str(), W_OK | X_OK) != 0)
        return fault(FrameFault::kFolderNotWritable);
    return true;
}

bool WriteFileInPlace(const std::string& path, const std::string& text, FrameFault& fault) {
    return WriteFileInPlace(
        path, [&](const TextSink& write, FrameFault&) { return write(text); }, fault);
}

bool WriteFileInPlace(const std::string& path,
                      const std::function<bool(const TextSink& write, FrameFault& fault)>& produce,
                      FrameFault& fault) {
    if (!CheckWritable(path, fault))
        return false;
    const fs::path target(FollowLinks(path));
    const fs::path folder = FolderOf(target);
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;

    std::string temp = (folder / (target.filename().string() + ".tmp-XXXXXX")).string();
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        fault = {.kind = FrameFault::kNoTemporaryFile, .path = path, .error = errno};
        return false;
    }
    bool ok = true;
    if (exists) {
        // The owner is kept where the process may set it; elsewhere the file is the user's.
        if (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) {
            if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
                // Not permitted: the new file belongs to the user who writes it.
            }
        }
        ok = ::fchmod(fd, old.st_mode & 07777) == 0;
    } else {
        ok = ::fchmod(fd, NewFileMode()) == 0;
    }
    int err = ok ? 0 : errno;  // the fault of the file
    FrameFault refusal;        // why produce could not make the text
    if (ok) {
        const TextSink write = [&](std::string_view piece) {
            if (err == 0 && !WriteAll(fd, piece))
                err = errno;
            return err == 0;
        };
        try {
            ok = produce(write, refusal) && err == 0;
        } catch (...) {
            ::close(fd);
            ::unlink(temp.c_str());
            throw;
        }
        if (ok && ::fsync(fd) != 0) {
            ok = false;
            err = errno;
        }
    }
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (ok && ::rename(temp.c_str(), target.c_str()) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        if (err != 0)
            fault = {.kind = FrameFault::kWriteFailed, .path = path, .error = err};
        else if (refusal.kind != FrameFault::kNone)
            fault = std::move(refusal);
        else
            fault = {.kind = FrameFault::kNotWritten, .path = path};
        return false;
    }
    // The rename itself reaches the disk with the folder.
    const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

}  // namespace kv
