#pragma once
// What keeps the program from starting its work, checked before it connects: the dictionaries
// of the languages in use, and the files it will write.

#include <string>

#include "frame/FrameWords.h"
#include "frame/program/ProgramOptions.h"

namespace kv::program {

// The document's name: the project's name with ".parameters.xml" in place of its extension.
std::string DocumentPath(const std::string& project);

// What the program writes besides the pictures of --screenshot.
enum class Writes { ProjectAndDocument, Project, Nothing };

// False after the message, in the user's words, that names the file or folder.
bool CanStart(const Options& options, const FrameWords& words, Writes writes);

}  // namespace kv::program
