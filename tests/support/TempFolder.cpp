#include "support/TempFolder.h"

#include <stdlib.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <system_error>

namespace kv::test_support {

namespace fs = std::filesystem;

namespace {

std::string MadeFolder() {
    std::string pattern = (fs::temp_directory_path() / "kv6274paXXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::system_error(errno, std::generic_category(), "no temporary folder");
    return pattern;
}

// Gives the owner every right on a folder and the folders below it, so that they can be removed.
void OpenUp(const fs::path& folder) {
    std::error_code ec;
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, ec);
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->is_directory(ec) && !it->is_symlink(ec))
            OpenUp(it->path());
    }
}

}  // namespace

TempFolder::TempFolder() : path(MadeFolder()) {}

TempFolder::~TempFolder() {
    OpenUp(path);
    std::error_code ec;
    fs::remove_all(path, ec);
}

std::string TempFolder::File(const std::string& name) const {
    return (fs::path(path) / name).string();
}

void TempFolder::Write(const std::string& name, std::string_view bytes) const {
    std::ofstream file(fs::path(path) / name, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!file.flush())
        throw std::runtime_error(File(name) + " cannot be written");
}

size_t TempFolder::Entries() const {
    return static_cast<size_t>(std::distance(fs::directory_iterator(path), {}));
}

void TempFolder::CopyProductDictionaries() const {
    for (const char* f : {"DTMDictionary_9.xml", "DTMDictionary_7.xml"})
        fs::copy_file(fs::path(KV_SOURCE_XMLDATA_DIR) / f, fs::path(path) / f);
}

}  // namespace kv::test_support
