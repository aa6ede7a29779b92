#pragma once
// Where the component finds the files it loads at run time.

#include <string>

namespace kv::os {

// The XMLData folder: $KV6274PA_XMLDATA when set; else the folder "XMLData" beside the program when
// it exists; else the source tree's XMLData folder.
std::string XmlDataFolder();

}  // namespace kv::os
