#pragma once
// The runtime's communication object: the state of the connection, the connected device's
// identity, and the event that lets the DTM object judge it.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "value/Variant.h"

namespace kv {

// Error codes of the communication object. Codes 1 to 3 and 8 also mark the data elements of a
// failed job: the code times &H10000 in their status bits &HF0000.
enum CommErrorCode : int32_t {
    cecNone = 0,
    cecNotConnected = 1,        // no validated connection when the job was due
    cecNotDelivered = 2,        // the channel refused or could not deliver the request
    cecTimeout = 3,             // no answer within the time-out
    cecConnectFailed = 4,       // the device did not accept the connection
    cecIdentityUnreadable = 5,  // the device's identity could not be read
    cecRefused = 6,             // the connected device was not accepted
    cecConnectionLost = 8,      // the connection broke
};

// Raised by the communication object.
class ICommObjectEvents {
  public:
    virtual ~ICommObjectEvents() = default;
    // The connection is up and the device's identity read. runtimeVerdict is the runtime's own
    // verdict (True when the device matches the expected identity or none is set); the
    // connection is kept when the answer is True, otherwise it is ended.
    virtual bool ConnectionIsValidated(bool runtimeVerdict) = 0;
};

// The state of the connection: the connected device's identity and the last error.
class ICommObject {
  public:
    virtual ~ICommObject() = default;
    // The PROFIBUS ident number the device reported at connection (a Long); Empty before.
    virtual Variant TypeIdent() const = 0;
    // The Physical Block's DEVICE_ID as read, NUL characters removed.
    virtual const std::string& DeviceId() const = 0;
    // The profile revision of the device directory (0x0300 for profile 3.0).
    virtual int32_t ProfileRevision() const = 0;
    // True after a communication error until the next answer that arrives or the next
    // connection; ErrorCode is a CommErrorCode.
    virtual bool ErrorPending() const = 0;
    virtual int32_t ErrorCode() const = 0;
    // True (the default): at every connection the device's identity (DEVICE_ID and the
    // profile revision) is read and ConnectionIsValidated is raised before the connection
    // counts as up. False: the connection is taken as the device accepted it, without reading
    // the identity and without the event.
    virtual bool OptionFlag() const = 0;
    virtual void SetOptionFlag(bool validateIdentity) = 0;
    // The most times one job is sent again when the codec asks for it (a busy device); 0 sends
    // every job once. Negative values count as 0.
    virtual int32_t OptionCount() const = 0;
    virtual void SetOptionCount(int32_t maxRepeats) = 0;
    // The subscriber of ConnectionIsValidated (the DTM object).
    virtual void SetEvents(std::weak_ptr<ICommObjectEvents> events) = 0;
    // The identity the runtime expects; unset fields are not compared.
    virtual void SetExpectedIdentity(std::optional<uint16_t> identNumber,
                                     std::optional<std::string> deviceId,
                                     std::optional<int32_t> profileRevision) = 0;
};

}  // namespace kv
