#pragma once
// Reading a regular file with plain system calls, which cost a small part of a stream's setting
// up. A pipe or a device is never opened (that could wait, for a writer or for input, or act on
// the device); one that takes the file's place between the check and the open is refused, not
// waited for. The file is opened once, so that every read is of the same file, and several
// threads may read it at once.

#include <cstddef>
#include <string>

namespace kv::os {

// Why a file cannot be read.
struct FileFault {
    enum Kind {
        kNoRegularFile,  // a folder, a pipe or a device
        kCannotOpen,     // error
        kCannotRead      // error
    };
    Kind kind = kCannotOpen;
    int error = 0;  // the system's error number (errno)
};

class RegularFile {
  public:
    RegularFile() = default;
    ~RegularFile();
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;

    // Opens the file for reading. False, with the reason in 'fault', when it is missing, cannot
    // be opened or is no regular file.
    [[nodiscard]] bool Open(const std::string& path, FileFault& fault);
    // The size the file had when it was opened.
    size_t Size() const { return size_; }
    // The 'count' characters from 'at' in 'buffer'; false when the file does not give them all
    // (it was shortened, or a read failed).
    [[nodiscard]] bool ReadAt(size_t at, size_t count, std::string& buffer) const;
    // The whole file as it is now in 'text', also where it grew since it was opened. False, with
    // the reason in 'fault', when a read fails.
    [[nodiscard]] bool ReadAll(std::string& text, FileFault& fault) const;

  private:
    int fd_ = -1;
    size_t size_ = 0;
};

}  // namespace kv::os
