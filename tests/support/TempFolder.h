#pragma once
// A folder of the test's own under the system's temporary folder, removed with the object.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace kv::test_support {

class TempFolder {
  public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "kvtestXXXXXX").string();
        path = mkdtemp(pattern.data());
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The path of a file in the folder.
    std::string File(const std::string& name) const {
        return (std::filesystem::path(path) / name).string();
    }
    void Write(const std::string& name, const std::string& text) const {
        std::ofstream(std::filesystem::path(path) / name) << text;
    }
    // How many files and folders the folder holds.
    size_t Entries() const {
        return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(path), {}));
    }
    // Copies the product's dictionary files.
    void CopyProductDictionaries() const {
        for (const char* f : {"DTMDictionary_9.xml", "DTMDictionary_7.xml"}) {
            std::filesystem::copy_file(std::filesystem::path(KV_SOURCE_XMLDATA_DIR) / f,
                                       std::filesystem::path(path) / f);
        }
    }

    std::string path;
};

}  // namespace kv::test_support
