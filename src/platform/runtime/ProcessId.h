#pragma once
// Ids of the runtime's processes: a new random GUID as upper-case text without braces.

#include <string>

namespace kv {

// A new GUID text such as "1F0C5A2E-3B7D-4C11-9A8E-0123456789AB". Should the system give no
// random GUID, a text unique within the program is returned instead.
std::string NewProcessId();

}  // namespace kv
