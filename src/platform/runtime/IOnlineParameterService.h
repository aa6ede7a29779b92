#pragma once
// The runtime's online service of an instance.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/runtime/ICommunicationManager.h"
#include "platform/runtime/IPrivateDataElement.h"
#include "platform/runtime/IPrivateProcess.h"

namespace kv {

class IPrivateDataElement;
class IPrivateProcess;

// The bits of the online mode.
enum OnlineModeBits : int32_t {
    omUpload = 0x1,    // the frame's upload runs
    omDownload = 0x2,  // the frame's download runs
};

// The titles under which the frame's upload and download report their progress and end.
inline constexpr const char* kUploadTitle = "Upload";
inline constexpr const char* kDownloadTitle = "Download";

// The instance's online service: uploads and downloads of the frame, and reads of marked
// elements.
class IOnlineParameterService {
  public:
    virtual ~IOnlineParameterService() = default;
    // Bit 0 while the frame's upload runs: every decoded value is then taken as the shown
    // value, edits pending or not. Bit 1 while the frame's download runs.
    virtual int32_t OnlineMode() const = 0;

    // The frame's upload: reads every element that is read from the device (parameterPath
    // empty: the whole data set, else the elements whose path starts with it). The frame hears
    // UploadFinished(invokeId, success) later. False when it could not start.
    virtual bool UploadRequest(const std::string& /*invokeId*/,
                               const std::string& /*parameterPath*/) {
        return false;
    }
    // The frame's download: writes every element that is written to the device, then reads back
    // what the codec asks for. The frame hears DownloadFinished(invokeId, success) later, also
    // when the download could not start (the answer is then False).
    virtual bool DownloadRequest(const std::string& /*invokeId*/,
                                 const std::string& /*parameterPath*/) {
        return false;
    }
    // Ends a running upload or download of the frame; False when none runs under the id.
    virtual bool CancelAction(const std::string& /*invokeId*/) { return false; }
    // Reads every element whose status flags carry a bit of markMask under the caller's
    // process id, the values being to the project what reads says; the end arrives as
    // callback's OnProcessFinished. mode, option1 and option2 are not used.
    virtual bool StartUpload(const std::string& /*processId*/, const std::string& /*parameterPath*/,
                             int32_t /*mode*/, int32_t /*markMask*/, int32_t /*option1*/,
                             int32_t /*option2*/, std::weak_ptr<IPrivateProcess> /*callback*/,
                             GroupReads /*reads*/ = GroupReads::Taken) {
        return false;
    }
    // Writes one device command element under the caller's process id.
    virtual bool StartCommand(const std::string& /*processId*/, IPrivateDataElement& /*element*/,
                              std::weak_ptr<IPrivateProcess> /*callback*/) {
        return false;
    }
    // Ends a process started by StartUpload or StartCommand; False when none runs under the id.
    virtual bool CancelProcess(const std::string& /*processId*/) { return false; }
};

}  // namespace kv
