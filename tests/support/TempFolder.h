#pragma once
// A folder of its own below the system's temporary folder, removed with the object: for the
// tests, the benchmarks and the fuzz targets.

#include <cstddef>
#include <string>
#include <string_view>

namespace kv::test_support {

class TempFolder {
  public:
    // Makes the folder; throws std::system_error where it cannot be made.
    TempFolder();
    // Removes the folder with everything in it, also what was made read-only there.
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The path of a file in the folder.
    std::string File(const std::string& name) const;
    // Writes a file of the folder, its bytes as they are; throws std::runtime_error where it
    // cannot be written.
    void Write(const std::string& name, std::string_view bytes) const;
    // How many files and folders the folder holds.
    size_t Entries() const;
    // Copies the product's dictionary files into the folder.
    void CopyProductDictionaries() const;

    const std::string path;
};

}  // namespace kv::test_support
