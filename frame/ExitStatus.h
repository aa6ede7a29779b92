#pragma once
// Exit statuses of the program kv6274pa-frame, in its terminal run and its window alike.

namespace kv {

enum ExitStatus : int {
    kExitDone = 0,
    kExitUsage = 1,         // bad options
    kExitProjectError = 2,  // dictionaries, project or folder unusable
    kExitNotConnected = 3,  // the device cannot be reached
    kExitTransferFailed = 4,
    kExitCannotWrite = 5,  // the project, the document or a picture cannot be written
    kExitUnexpected = 6,
};

}  // namespace kv
