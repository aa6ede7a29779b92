#pragma once
// What the benchmark programs of the frame share: a failed step's end, and the temporary folder
// that holds the files they make.

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>

#include "frame/FrameFault.h"
#include "frame/FrameWords.h"
#include "platform/runtime/IDTMDictionary.h"

namespace kv::bench {

// Ends the benchmark program when a step it needs fails.
inline void Require(bool ok, const std::string& what) {
    if (!ok)
        throw std::runtime_error(what);
}
inline void Require(bool ok, const FrameFault& fault) {
    if (!ok)
        Require(false, Describe(fault, FrameWordsOf(langEnglish)));
}

// A folder of the program's own, removed at its end.
class Folder {
  public:
    Folder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "kvbenchXXXXXX").string();
        Require(mkdtemp(pattern.data()) != nullptr, "no temporary folder");
        path_ = pattern;
    }
    ~Folder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    std::string File(const std::string& name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

// The program's folder, made at its first use.
inline const Folder& Temp() {
    static Folder folder;
    return folder;
}

}  // namespace kv::bench
