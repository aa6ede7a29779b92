#pragma once
// A project file read in parts on several threads, so that a plant's project is never held
// whole, nor its whole parsed tree (FrameProject::Load).

#include <cstddef>
#include <pugixml.hpp>
#include <vector>

#include "frame/ProjectElements.h"

namespace kv {

class DiagnosticLog;

namespace os {
class RegularFile;
}

// A project file is read, and searched, in pieces of this many characters.
constexpr size_t kProjectReadPiece = 64 * 1024;

// Parses the project file in parts where it can be cut into them safely, so that it reads as its
// whole text does: 'frame' is the document of the text around the instances (the root), and
// 'elements' are the root's elements in the file's order, converted. False for a file that
// cannot be read so, does not cut so or whose parts do not all parse: such a file is read whole.
// Throws std::bad_alloc where a part does not fit. 'log', when given, records that fewer threads
// could be started than were asked for.
bool ParseInParts(const os::RegularFile& file, pugi::xml_document& frame,
                  std::vector<RootElement>& elements, DiagnosticLog* log);

}  // namespace kv
