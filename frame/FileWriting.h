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
#include <optional>
#include <string>
#include <string_view>

namespace kv {

// Why a file cannot be written.
struct WriteFault {
    enum Kind {
        kFolderMissing,      // the folder does not exist or is no folder
        kFolderNotWritable,  // no file can be created in the folder
        kNotAFile,           // the path names a folder, a special file or a circle of links
        kReadOnly            // the file may not be written
    };
    Kind kind;
    std::string path;     // the folder or the file concerned
    std::string message;  // the whole fault in one sentence
};

// The file that a path names when its symbolic links are followed; a link to a missing file
// names that file. The path itself when it is no link (or the links run in a circle).
std::string FollowLinks(const std::string& path);

// Whether the file can be written as described above; nullopt when it can.
std::optional<WriteFault> CheckWritable(const std::string& path);

// Writes the text to the file as described above. False, with the reason in 'error' and the
// file on disk unchanged, when it cannot be written.
bool WriteFileInPlace(const std::string& path, const std::string& text, std::string& error);

// Takes one piece of a file's text; false when it cannot be written.
using TextSink = std::function<bool(std::string_view piece)>;
// Writes a text that 'produce' makes piece by piece (so that a large one is never held whole),
// as the one above writes a whole text. produce gives each piece to the sink in order and
// returns false, with the reason in its 'error', when it cannot make the text: the file on disk
// is then left unchanged, and that reason is the error. An exception of produce leaves the file
// unchanged and reaches the caller.
bool WriteFileInPlace(const std::string& path,
                      const std::function<bool(const TextSink& write, std::string& error)>& produce,
                      std::string& error);

}  // namespace kv
