#pragma once
// Why an operation of the frame failed: what happened and what it happened to, without words,
// so that the frame tells it in the user's language (Describe in FrameWords.h). Every call of
// the frame that can fail so returns whether it succeeded ([[nodiscard]]) and, where it did not,
// sets a FrameFault that the caller passes in.

#include <cstddef>
#include <iosfwd>
#include <string>

#include "platform/runtime/PropertyBag.h"

namespace kv {

struct FrameFault {
    enum Kind {
        kNone,
        // A file that cannot be written (path: the file as it was named).
        kFolderMissing,      // folder: the folder that does not exist or is no folder
        kFolderNotWritable,  // folder: the folder in which no file can be created
        kNotAFile,           // the path names a folder, a special file or a circle of links
        kReadOnly,           // the file may not be written
        kNoTemporaryFile,    // error: why no temporary file can be made beside it
        kWriteFailed,        // error: why a write, the flush or the rename failed
        kNotWritten,         // its text was not made, for no reason given
        // A project file that cannot be read (path: its file).
        kNoRegularFile,  // a folder, a pipe or a device
        kCannotOpen,     // error
        kCannotRead,     // error
        // A damaged project file.
        kNotWellFormed,      // error: the parser's status; position, column: its line and column
        kNoProject,          // name: the root element's name
        kWrongVersion,       // name: the version the file has
        kForeignElement,     // position: the element's place among the root's; name: its name
        kNoSystemTag,        // position: the instance's place among the root's elements
        kTagTwice,           // tag
        kNoDeviceType,       // tag
        kUnknownDeviceType,  // tag; name: the device type
        kWrongChild,         // tag; name: the child element's name
        kNoBag,              // tag
        kBagFault,           // tag; bag: the bag's first problem; more: how many others it has
        kStoredDataRefused,  // tag
        // An instance that cannot be set up (tag: its system tag).
        kNoTagGiven,
        kTagTaken,
        kNoDtm,          // name: the device type
        kDtmNotCreated,  // name: what the creation threw
        kEnvironmentRefused,
        kDeviceTypeRefused,  // name: the device type
        // A project that cannot be saved (path: its file).
        kInstanceNotSaved,  // tag: the instance whose DTM cannot save its data
        kNotSaved           // name: what making its text threw
    };
    Kind kind = kNone;
    // The file concerned. A damaged project's fault, and an instance's that arose while the
    // project was loaded, are told as the damage of the project file 'path' when it is named.
    std::string path{};
    std::string folder{};
    std::string tag{};
    std::string name{};
    size_t position = 0;
    size_t column = 0;
    int error = 0;  // the system's error number (errno), or the parser's status
    BagProblem bag{};
    size_t more = 0;
    bool operator==(const FrameFault&) const = default;
};

// The fault as an English sentence, for logs and tests (FrameWords.cpp).
std::ostream& operator<<(std::ostream& out, const FrameFault& fault);

}  // namespace kv
