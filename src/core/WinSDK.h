#pragma once
// Opening a document (manual, help file) with the desktop's default program.

#include <string>

namespace kv {

bool ShellOpenDocument(const std::string& file);

}  // namespace kv
