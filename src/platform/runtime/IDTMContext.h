#pragma once
// The runtime's context of one DTM instance and the services reached through it.

#include <functional>
#include <memory>
#include <optional>
#include <pugixml.hpp>
#include <string>
#include <vector>

#include "platform/fdt/FdtFrameInterfaces.h"
#include "platform/runtime/IEventLoop.h"
#include "platform/runtime/IParameters.h"
#include "platform/runtime/IPrivateProcess.h"
#include "platform/runtime/IPropertyBag.h"
#include "platform/runtime/ITransaction.h"
#include "value/SharedText.h"
#include "value/Variant.h"

namespace kv {

class IDTMContext;
class IDeviceTypeInfo;
class IFdtContainer;
class IPrivateGUI;
class IPrivateDataModel;
class IPrivateFunctions;

// The language dictionary: one document per language with sections of keyed entries.
class IDTMDictionary {
  public:
    virtual ~IDTMDictionary() = default;
    // Loads the dictionary documents named 'name' from the XML data folder; False when none.
    virtual bool Load(IDTMContext& context, const std::string& name) = 0;
    // True once a document is loaded.
    virtual bool HasDocument() const = 0;
    // Switches to the language (a language id); a missing language falls back to its primary
    // language and then to English. False when none of them exists (the flag is not used).
    virtual bool SetLanguage(int32_t languageId, bool fallback) = 0;
    virtual int32_t Language() const = 0;
    // The section node of the current language; an empty node when missing.
    virtual pugi::xml_node GetSection(const std::string& section) const = 0;
    // The entry of a section by key; an empty node when missing.
    virtual pugi::xml_node GetSectionEntry(pugi::xml_node section,
                                           const std::string& key) const = 0;
    // The attribute of an entry as text; Empty when the section, the entry or the attribute is
    // missing.
    virtual Variant GetText(const std::string& section, const std::string& key,
                            const std::string& attribute) const = 0;
    virtual Variant GetText(pugi::xml_node section, const std::string& key,
                            const std::string& attribute) const = 0;
    // The same as a text shared with the dictionary (no copy per instance); nullopt when
    // missing.
    virtual std::optional<SharedText> GetSharedText(pugi::xml_node section, const std::string& key,
                                                    const std::string& attribute) const {
        Variant v = GetText(section, key, attribute);
        if (!v.isString())
            return std::nullopt;
        return SharedText(v.str());
    }
    // Completes a document with the texts of a section: every attribute value of the form
    // "$(key)" is replaced by the key's text.
    virtual bool GetXml(IDTMContext& context, std::string& xml, const std::string& section,
                        const std::string& attribute) const = 0;
};

// The frame's user information turned into a user level.
class IUserManager {
  public:
    virtual ~IUserManager() = default;
    virtual int32_t UserLevel() const = 0;
    virtual bool Config(const std::string& userInfo, IDTMContext& context) = 0;
};

// XML access of the element persistence, and the folder of the XML data files.
class IXMLHelper {
  public:
    virtual ~IXMLHelper() = default;
    virtual Variant GetAttribute(const std::string& name, pugi::xml_node node) const = 0;
    virtual void SetAttribute(const std::string& name, const Variant& value,
                              pugi::xml_node node) = 0;
    virtual pugi::xml_node AddElement(const std::string& name, pugi::xml_node parent) = 0;
    virtual const std::string& XMLDataPath() const = 0;
    virtual void SetXMLDataPath(const std::string& path) = 0;
    // Loads a document from text. False, with the reason in errorText, when the text is no
    // well-formed XML document.
    virtual bool LoadXml(pugi::xml_document& doc, const std::string& text,
                         std::string& errorText) const {
        pugi::xml_parse_result result = doc.load_string(text.c_str());
        if (result && doc.document_element()) {
            errorText.clear();
            return true;
        }
        errorText = std::string("The XML document does not load: ") +
                    (result ? "it has no root element" : result.description()) + " (offset " +
                    std::to_string(result ? 0 : result.offset) + ").";
        return false;
    }
};

// The open user interfaces of the instance.
class IGUIManager {
  public:
    virtual ~IGUIManager() = default;
    virtual void ParameterChanged(IPrivateDataElement& element, const std::string& guiId) = 0;
    virtual void ValidateAll() = 0;
    virtual bool HasOpenGUIs() const = 0;
    virtual bool CloseAll() = 0;
    virtual int32_t Language() const = 0;
    virtual void SetLanguage(int32_t languageId) = 0;

    // Registration of the open user interfaces under their GUI function calls (the defaults
    // keep none). A call ending in "$" names a child of a top-level user interface.
    virtual bool RegisterGUI(const std::string& /*guiId*/, std::shared_ptr<IPrivateGUI> /*gui*/,
                             bool /*topLevel*/) {
        return false;
    }
    virtual bool UnregisterGUI(const std::string& /*guiId*/) { return false; }
    // The GUI function calls of the registered user interfaces, in the order of registration.
    virtual std::vector<std::string> FunctionIds() const { return {}; }
    // The registered user interface; nullptr when none is registered under the call.
    virtual std::shared_ptr<IPrivateGUI> GetGUI(const std::string& /*guiId*/) const {
        return nullptr;
    }
    // Tells every open user interface that many elements changed at once.
    virtual void ParameterSetChanged() {}
    // The frame's lock of the data set, as the user interfaces were told it.
    virtual bool Locked() const { return false; }
    virtual void SetLocked(bool /*locked*/) {}
    virtual void GUIShown(const std::string& /*guiId*/) {}
    virtual void GUIHidden(const std::string& /*guiId*/) {}
};

// The instance's online service: uploads and downloads of the frame, and reads of marked
// elements.
class IOnlineParameterService {
  public:
    virtual ~IOnlineParameterService() = default;
    // 1 when every decoded value is taken as the shown value, edits pending or not.
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
    // process id; the end arrives as callback's OnProcessFinished. mode, option1 and option2 are
    // not used.
    virtual bool StartUpload(const std::string& /*processId*/, const std::string& /*parameterPath*/,
                             int32_t /*mode*/, int32_t /*markMask*/, int32_t /*option1*/,
                             int32_t /*option2*/, std::weak_ptr<IPrivateProcess> /*callback*/) {
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

// Notifications to the frame.
class IDTMEvents {
  public:
    virtual ~IDTMEvents() = default;
    virtual void OnFunctionChanged(const std::string& systemTag) = 0;
    virtual void ReportProgress(const std::string& systemTag, const std::string& title,
                                int32_t percent) = 0;
    virtual void OpenGUIRequest(const std::string& systemTag, const std::string& functionCall) = 0;
    virtual void InvokedFunctionFinished(const std::string& invokeId, bool success) = 0;
    virtual void UploadFinished(const std::string& invokeId, bool success) = 0;
    virtual void DownloadFinished(const std::string& invokeId, bool success) = 0;
    virtual void PreparedToRelease(const std::string& systemTag) = 0;
    virtual void PreparedToReleaseCommunication(const std::string& systemTag) = 0;
    virtual void ParametersChanged(const std::string& systemTag) = 0;
};

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
    // The connection is up and the device's identity read. accept comes in with the runtime's
    // own verdict (True when the device matches the expected identity or none is set); the
    // connection is kept when accept is True on return, otherwise it is ended.
    virtual void ConnectionIsValidated(bool& accept) = 0;
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

// One read or write of a data element in a process of the communication manager; a record is
// transferred with its members in one job.
struct TransactionJob {
    std::string path;
    bool isWrite = false;
};

// A read or write process: its jobs run one after the other over the channel. The end is
// delivered once, through the loop: first onEnd, then callback's OnProcessFinished.
struct TransactionProcess {
    std::string processId;
    std::vector<TransactionJob> jobs;
    std::weak_ptr<IPrivateProcess> callback;
    bool reportProgress = false;  // also to the frame (IDTMEvents::ReportProgress)
    std::string title;            // the progress title for the frame
    std::function<void(bool success)> onEnd;
};

// The communication of the instance over the frame's DP-V1 channel.
class ICommunicationManager {
  public:
    virtual ~ICommunicationManager() = default;
    // True while a validated connection exists (also while it is being shut down).
    virtual bool IsConnected() const = 0;
    // True while a validated connection exists and no disconnect is running.
    virtual bool IsOnline() const = 0;
    // Sends the job again (a busy device); the element's response handling runs again.
    virtual void RepeatTransaction(ITransaction& transaction, IPrivateDataElement& element) = 0;
    // Reads the element back after a confirmed write.
    virtual void AddReadBack(IPrivateDataElement& element, int32_t a, bool b, int32_t c) = 0;
    virtual void SetTransferOption1(int32_t v) = 0;
    virtual void SetTransferOption2(int32_t v) = 0;
    // True while the frame's communication channel is set for the instance.
    virtual bool HasCommunication() const { return false; }

    virtual int32_t TransferOption1() const { return 0; }
    virtual int32_t TransferOption2() const { return 0; }
    // The frame's channel; nullptr when none is set. Setting another channel (or none) ends a
    // connection first.
    virtual std::shared_ptr<IFdtCommunication> Communication() const { return nullptr; }
    virtual void SetCommunication(std::shared_ptr<IFdtCommunication> /*communication*/) {}
    // True while the manager holds a channel that it was given (and has to release).
    virtual bool OwnsCommunication() const { return false; }
    // Drops the channel; False while connected.
    virtual bool ReleaseCommunication() { return false; }
    // Who receives the channel's answers and hands them to the manager's On... members (the DTM
    // object); the manager itself when none is set.
    virtual void SetEventSink(std::weak_ptr<IFdtCommunicationEvents> /*sink*/) {}
    // Connects, reads the device's identity and raises ConnectionIsValidated; the end arrives as
    // callback's OnProcessFinished(processId, connected). False when it could not start.
    virtual bool Connect(const std::string& /*processId*/,
                         std::weak_ptr<IPrivateProcess> /*callback*/) {
        return false;
    }
    // Ends the connection at once (running processes end unsuccessfully); False without a
    // channel.
    virtual bool Disconnect() { return false; }
    // Asks the device to end the connection; the end arrives as callback's
    // OnProcessFinished(processId, disconnected). False when it could not start.
    virtual bool StartDisconnect(const std::string& /*processId*/,
                                 std::weak_ptr<IPrivateProcess> /*callback*/) {
        return false;
    }
    // The elements behind a transaction group's Elements key, in the group's order.
    virtual std::vector<IPrivateDataElement*> GetGroupElements(const std::string& /*key*/) const {
        return {};
    }
    // The communication object; nullptr when the manager has none.
    virtual ICommObject* CommObject() { return nullptr; }
    // Starts a process on a validated connection; False when offline or the id runs already.
    virtual bool StartProcess(TransactionProcess /*process*/) { return false; }
    // Ends a process unsuccessfully; False when none runs under the id.
    virtual bool CancelProcess(const std::string& /*processId*/) { return false; }
    virtual bool IsProcessRunning(const std::string& /*processId*/) const { return false; }

    // The frame's communication events (the DTM object forwards them unchanged).
    virtual void OnConnectResponse(const std::string& /*invokeId*/, bool /*connected*/,
                                   uint16_t /*identNumber*/) {}
    virtual void OnDisconnectResponse(const std::string& /*invokeId*/, bool /*disconnected*/) {}
    virtual void OnTransactionResponse(const std::string& /*invokeId*/,
                                       const Dpv1Response& /*response*/) {}
    virtual void OnAbort(const std::string& /*reason*/) {}
};

// A set of read and write requests of data elements, run as one process.
class ITransactionGroup {
  public:
    virtual ~ITransactionGroup() = default;
    // Binds the group to the instance; the context must outlive the group's use.
    virtual void Init(IDTMContext& context) = 0;
    // Adds a read or write request; a member of a record adds its record. False when the
    // group is not bound or the element is not in the data set.
    virtual bool AddElement(IPrivateDataElement& element, bool isWrite) = 0;
    // Forgets the requests (a running process goes on).
    virtual void Clear() = 0;
    // True while a process of the group runs.
    virtual bool Busy() const = 0;
    // 0 when the device is reachable (a validated connection), 1 when not, 2 without Init.
    virtual int32_t ConnectionStatus() const = 0;
    // Starts a process over the requests in the data set's order: 0 started, 1 not connected,
    // 2 not bound, 5 busy, 6 a group that keeps its requests is still busy with the previous
    // run, 7 the process could not start. clearWhenDone: the group forgets its requests when
    // the process ends (else it keeps them for the next run); reportProgress: the frame sees
    // the progress.
    virtual int32_t Execute(std::weak_ptr<IPrivateProcess> callback, bool clearWhenDone,
                            bool reportProgress) = 0;
    // True when processId names the group's running or last process.
    virtual bool OwnsProcess(const std::string& processId) const = 0;
    // The key of the requested elements for ICommunicationManager::GetGroupElements.
    virtual std::string Elements() const = 0;
    // Ends a running process, forgets the requests and unbinds the group.
    virtual void Close() = 0;
};

// The DTM's catalogue of functions (implemented by the core).
class IFunctionCall;
class IOperationPhase;
class IPrivateFunctions {
  public:
    virtual ~IPrivateFunctions() = default;
    // The function call of the documentation being built; nullptr when none.
    virtual IFunctionCall* DocFuncCall() = 0;

    // The runtime's requests (mode 1: open the user interface of the function whose application
    // id is the argument; mode 2: have the instance saved).
    virtual bool OnGUIRequest(IDTMContext& /*context*/, const std::string& /*guiId*/,
                              const Variant& /*argument*/, int32_t /*mode*/) {
        return false;
    }
    // The functions document for an operation phase.
    virtual std::string GetFunctions(IDTMContext& /*context*/,
                                     std::shared_ptr<IOperationPhase> /*operationPhase*/) {
        return {};
    }
    virtual bool InvokeFunctionRequest(IDTMContext& /*context*/, const std::string& /*invokeId*/,
                                       const IFunctionCall& /*functionCall*/) {
        return false;
    }
    // The ProgID of the function's user interface; "" when it has none.
    virtual std::string GetActiveXProgId(IDTMContext& /*context*/,
                                         const IFunctionCall& /*functionCall*/) {
        return {};
    }
    // The documentation document of the function; "" when it cannot be built.
    virtual std::string GetDocumentation(IDTMContext& /*context*/,
                                         const IFunctionCall& /*functionCall*/) {
        return {};
    }
};

// Per-instance holder object that the DTM stores in the context.
class IStateObject {
  public:
    virtual ~IStateObject() = default;
    virtual void Init(IDTMContext& context) = 0;
    virtual void Terminate() = 0;
};

class IDTMContext {
  public:
    virtual ~IDTMContext() = default;

    virtual IParameters& Parameters() = 0;
    virtual IDTMDictionary& Dictionary() = 0;
    virtual IGUIManager& GUIManager() = 0;
    virtual ICommunicationManager& CommunicationManager() = 0;
    virtual IOnlineParameterService& OnlineParameterService() = 0;
    virtual IUserManager& UserManager() = 0;
    virtual IXMLHelper& XMLHelper() = 0;
    virtual IEventLoop& Loop() = 0;
    // The function catalogue; nullptr before Init.
    virtual IPrivateFunctions* Functions() = 0;
    // The frame's events; nullptr without a frame.
    virtual IDTMEvents* DTMEvents() = 0;
    // Number formats of the user's locale (decimal separator of displayed values).
    virtual const NumberLocale& Locale() const = 0;

    virtual const std::string& SystemTag() const = 0;
    virtual void SetSystemTag(const std::string& tag) = 0;
    // The frame's container of the instance; nullptr before the environment is set or once the
    // frame dropped it (the frame owns it).
    virtual IFdtContainer* Container() { return nullptr; }
    virtual void SetContainer(std::shared_ptr<IFdtContainer> /*container*/) {}
    virtual IStateObject* StateObject() = 0;
    virtual void SetStateObject(std::shared_ptr<IStateObject> state) = 0;

    // Shows a message to the user (OK box or status text).
    virtual void DisplayMessage(const std::string& text) = 0;
    // Asks the user; answers 6 for Yes and 7 for No (1 for OK).
    virtual int32_t MessageBox(const std::string& prompt, int32_t style) = 0;
    // The dictionary text of a key of the "keys" section; the key itself when missing.
    virtual std::string GetText(const std::string& key) = 0;

    virtual void AddPersistObject(std::shared_ptr<IPersistObject> object,
                                  const std::string& name) = 0;
    virtual bool ReadProperties(const IPropertyBag& bag) = 0;
    virtual bool WriteProperties(IPropertyBag& bag) = 0;

    // The device type of the instance; nullptr for a context that keeps none.
    virtual IDeviceTypeInfo* DeviceType() { return nullptr; }
    // Takes every value of the given device type into the instance's device type.
    virtual void SetDeviceType(const IDeviceTypeInfo& /*deviceType*/) {}
    // Whether the frame lets the DTM show dialogs of its own.
    virtual bool PrivateDialogEnabled() const { return true; }
    virtual void SetPrivateDialogEnabled(bool /*enabled*/) {}
    // The context as a counted reference, for holders that keep it weakly; nullptr when the
    // context is not owned by a shared pointer.
    virtual std::shared_ptr<IDTMContext> SharedContext() { return nullptr; }
    // The DTM object (its process callback); nullptr before Init or once it is gone.
    virtual std::shared_ptr<IPrivateProcess> DTMObject() { return nullptr; }
};

}  // namespace kv
