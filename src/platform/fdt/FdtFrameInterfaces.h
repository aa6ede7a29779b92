#pragma once
// The FDT 1.2 interfaces of the frame that a DTM calls: the container with its events sink and
// the PROFIBUS DP-V1 communication channel.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kv {

// The frame's events sink for one DTM instance.
class IDtmEventSink {
  public:
    virtual ~IDtmEventSink() = default;
    virtual void OnFunctionChanged(const std::string& systemTag) = 0;
    // show False ends the display of the progress under that title.
    virtual void OnProgress(const std::string& systemTag, const std::string& title, int32_t percent,
                            bool show) = 0;
    virtual void OnOpenGUIRequest(const std::string& systemTag,
                                  const std::string& functionCall) = 0;
    virtual void OnInvokedFunctionFinished(const std::string& invokeId, bool success) = 0;
    virtual void OnUploadFinished(const std::string& invokeId, bool success) = 0;
    virtual void OnDownloadFinished(const std::string& invokeId, bool success) = 0;
    virtual void OnPreparedToRelease(const std::string& systemTag) = 0;
    virtual void OnPreparedToReleaseCommunication(const std::string& systemTag) = 0;
    // The DTM's parameter document of the instance's whole data set, which replaces the
    // frame's copy.
    virtual void OnParametersChanged(const std::string& systemTag,
                                     const std::string& parameterDocument) = 0;
    // The end of a read or write that the user started, under its title; failure: for a failed
    // one, the error bits of the first element that failed (communication error &HF0000,
    // DP-V1 error class &HF00000), 0 when none says why.
    virtual void OnTransferFinished(const std::string& systemTag, const std::string& title,
                                    bool write, bool success, int32_t failure) = 0;
};

// The container of a DTM instance in the frame's project.
class IFdtContainer {
  public:
    virtual ~IFdtContainer() = default;
    // The frame's events sink; nullptr when the container offers none.
    virtual IDtmEventSink* Events() = 0;
    // Asks the frame to save the instance; true when it did.
    virtual bool RequestSave(const std::string& systemTag) = 0;
};

// One DP-V1 acyclic request and its answer.
struct Dpv1Request {
    bool write = false;
    uint8_t slot = 0;
    uint8_t index = 0;
    std::vector<uint8_t> data;  // bytes to write
    uint8_t length = 240;       // maximum number of bytes to read
};

struct Dpv1Response {
    // False when the channel could not deliver the request (no connection, time-out).
    bool delivered = true;
    std::vector<uint8_t> data;
    // Empty after success; else error decode, error code 1, error code 2.
    std::vector<uint8_t> errorInfo;
};

// The answers of the frame's communication channel, delivered to the DTM.
class IFdtCommunicationEvents {
  public:
    virtual ~IFdtCommunicationEvents() = default;
    // identNumber: the PROFIBUS ident number that the device reported when it was connected.
    virtual void OnConnectResponse(const std::string& invokeId, bool connected,
                                   uint16_t identNumber) = 0;
    virtual void OnDisconnectResponse(const std::string& invokeId, bool disconnected) = 0;
    virtual void OnTransactionResponse(const std::string& invokeId,
                                       const Dpv1Response& response) = 0;
    virtual void OnAbort(const std::string& reason) = 0;
};

// The frame's PROFIBUS DP-V1 communication channel. Requests answer at once whether they were
// accepted; their responses arrive later through the events.
class IFdtCommunication {
  public:
    virtual ~IFdtCommunication() = default;
    virtual bool ConnectRequest(std::weak_ptr<IFdtCommunicationEvents> events,
                                const std::string& invokeId, uint8_t address) = 0;
    virtual bool DisconnectRequest(const std::string& invokeId) = 0;
    virtual bool TransactionRequest(const std::string& invokeId, const Dpv1Request& request) = 0;
    virtual void Abort() = 0;
};

}  // namespace kv
