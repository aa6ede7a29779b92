#pragma once
// Writing the frame's files (the project, the parameter document) in place of their old
// contents:
// - A symbolic link is followed: the file it names is written, the link stays as it is.
// - The text goes to a temporary file in the target's folder, which is flushed to disk and then
//   renamed over the target, so that the file is either the old or the new one.
// - A file that exists keeps its permissions (and, where the process may set it, its owner); a
//   new file gets the permissions that the process's file-creation mask allows.
// - A file that the user may not write, or that has no write permission at all, is refused and
//   left as it is, as is a file whose folder is missing or cannot be written.

#include <functional>
#include <string>
#include <string_view>

#include "frame/FrameFault.h"

namespace kv {

// The file that a path names when its symbolic links are followed; a link to a missing file
// names that file. The path itself when it is no link (or the links run in a circle).
std::string FollowLinks(const std::string& path);

// Whether the file can be written as described above. False, with the reason in 'fault' (a
// fault of a write: kFolderMissing ... kReadOnly), when it cannot.
[[nodiscard]] bool CheckWritable(const std::string& path, FrameFault& fault);

// Writes the text to the file as described above. False, with the reason in 'fault' and the
// file on disk unchanged, when it cannot be written.
[[nodiscard]] bool WriteFileInPlace(const std::string& path, const std::string& text,
                                    FrameFault& fault);

// Takes one piece of a file's text; false when it cannot be written.
using TextSink = std::function<bool(std::string_view piece)>;
// Writes a text that 'produce' makes piece by piece (so that a large one is never held whole),
// as the one above writes a whole text. produce gives each piece to the sink in order and
// returns false, with the reason in its 'fault', when it cannot make the text: the file on disk
// is then left unchanged, and that reason is the fault. An exception of produce leaves the file
// unchanged and reaches the caller.
[[nodiscard]] bool WriteFileInPlace(
    const std::string& path,
    const std::function<bool(const TextSink& write, FrameFault& fault)>& produce,
    FrameFault& fault);

}  // namespace kv
