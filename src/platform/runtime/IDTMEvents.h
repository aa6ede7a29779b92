#pragma once
// What the runtime tells the frame about an instance.

#include <cstdint>
#include <string>

namespace kv {

// Notifications to the frame.
class IDTMEvents {
  public:
    virtual ~IDTMEvents() = default;
    virtual void OnFunctionChanged(const std::string& systemTag) = 0;
    // The progress of a process of the instance under its title; show False ends its display.
    virtual void ReportProgress(const std::string& systemTag, const std::string& title,
                                int32_t percent, bool show) = 0;
    virtual void OpenGUIRequest(const std::string& systemTag, const std::string& functionCall) = 0;
    virtual void InvokedFunctionFinished(const std::string& invokeId, bool success) = 0;
    virtual void UploadFinished(const std::string& invokeId, bool success) = 0;
    virtual void DownloadFinished(const std::string& invokeId, bool success) = 0;
    virtual void PreparedToRelease(const std::string& systemTag) = 0;
    virtual void PreparedToReleaseCommunication(const std::string& systemTag) = 0;
    // The instance's data set changed; parameterDocument: its parameter document as a whole.
    virtual void ParametersChanged(const std::string& systemTag,
                                   const std::string& parameterDocument) = 0;
    // The end of a read or write that the user started (a page's, an upload, a download),
    // under its title: whether it succeeded and, for a failure, why: the error bits
    // (TransferErrorBits) of the first element that failed, 0 when none says.
    virtual void TransferFinished(const std::string& systemTag, const std::string& title,
                                  bool write, bool success, int32_t failure) = 0;
};

}  // namespace kv
