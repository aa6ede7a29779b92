#pragma once
// The DTM object: one per device instance of the frame's project. It owns the data model, the
// function catalogue, the communication object and the context, and implements the FDT
// interfaces the frame calls. Every FDT entry point and runtime callback runs through the
// entry-point guard (platform/runtime/EntryGuard.h): an error is recorded in the context's
// diagnostic log and the call answers with its failure result (False, "" or an empty list).
//
// Set-up, persistence and the small set-up calls are in DTMMain.cpp; connection, upload,
// download, release, documents and channels in DTMMain_Online.cpp.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/fdt/FdtDtmInterfaces.h"
#include "platform/fdt/FdtFrameInterfaces.h"
#include "platform/os/IEventLoop.h"
#include "platform/runtime/DTMContext.h"
#include "platform/runtime/ICommObject.h"
#include "platform/runtime/IDeviceTypeInfo.h"
#include "platform/runtime/IDtmContextHolder.h"
#include "platform/runtime/IPrivateProcess.h"
#include "platform/runtime/IPropertyBag.h"
#include "platform/runtime/ITransactionGroup.h"
#include "platform/runtime/TransactionGroup.h"

namespace kv {

class clsDataModel;
class clsFunctionMan;
class DTMState;
class IDeviceTypeInfo;
class IFunctionCall;

class DTMMain : public IDtm,
                public IDtmActiveXInformation,
                public IDtmChannel,
                public IDtmDocumentation,
                public IDtmInformation,
                public IDtmOnlineParameter,
                public IDtmParameter,
                public IFdtEvents,
                public IFdtCommunicationEvents,
                public IPrivateProcess,
                public ICommObjectEvents,
                public IDtmContextHolder,
                public std::enable_shared_from_this<DTMMain> {
  public:
    // Creates the object and its graph (data model, function catalogue, context with its
    // communication manager and communication object, state holder). loop: the program's event
    // loop; prompt: where messages and questions go (the frame's), a recording prompt when nullptr.
    // Throws when the object cannot be built.
    static std::shared_ptr<DTMMain> Create(std::shared_ptr<IEventLoop> loop,
                                           std::shared_ptr<IPrompt> prompt = nullptr);
    ~DTMMain() override;
    DTMMain(const DTMMain&) = delete;
    DTMMain& operator=(const DTMMain&) = delete;

    // The instance's context: the way of pages and windows to the runtime.
    std::shared_ptr<IDTMContext> DTMContext() const override { return m_Context; }
    // The state holder stored in the context.
    DTMState* State() const;

    // --- the class's own persistence events ---
    // Does nothing: a new instance is set up by InitNew.
    void InitProperties() {}
    // Loads a stored instance: its device type, then the model, then every element, channel
    // and persisted object. False when the bag cannot be loaded.
    bool ReadProperties(const IPropertyBag& bag);
    // Saves the instance into the bag: open pages hand over their pending input, then every
    // element, channel and persisted object writes itself. Nothing counts as stored: the frame
    // calls SaveCompleted once the bag is kept (its project file in place), so that a save
    // that fails leaves the instance modified, with its stored values and data status.
    bool WriteProperties(IPropertyBag& bag);
    // The bag of the last WriteProperties is kept: the values it holds become the stored ones,
    // the data set counts as unmodified unless it was changed after the write, and
    // "~/DataStatus" is evaluated anew (1, stored values, when nothing changed meanwhile); the
    // open user interfaces are told.
    void SaveCompleted();

    // --- IDtm: set-up ---
    bool Environment(const std::string& systemTag,
                     std::shared_ptr<IFdtContainer> container) override;
    bool InitNew(const std::string& deviceType) override;
    bool Config(const std::string& userInfo) override;
    bool SetLanguage(int32_t languageId) override;
    bool PrivateDialogEnabled(bool enabled) override;
    bool PrepareToDelete() override;

    // --- IDtm: communication and release (DTMMain_Online.cpp) ---
    bool SetCommunication(std::shared_ptr<IFdtCommunication> communication) override;
    bool ReleaseCommunication() override;
    bool PrepareToReleaseCommunication() override;
    bool PrepareToRelease() override;
    // --- IDtm: functions (DTMMain_Online.cpp) ---
    std::string GetFunctions(const std::string& operationPhase) override;
    bool InvokeFunctionRequest(const std::string& invokeId,
                               const std::string& functionCall) override;

    // --- documents, information and channels (DTMMain_Online.cpp) ---
    std::string GetActiveXProgId(const std::string& functionCall) override;
    std::string GetActiveXGuid(const std::string& functionCall) override;
    std::vector<std::shared_ptr<IFdtChannel>> GetChannels() override;
    std::string GetDocumentation(const std::string& functionCall) override;
    std::string GetInformation() override;
    std::string GetParameters(const std::string& parameterPath) override;
    bool SetParameters(const std::string& parameterPath, const std::string& xml) override;

    // --- IDtmOnlineParameter (DTMMain_Online.cpp) ---
    bool UploadRequest(const std::string& invokeId, const std::string& parameterPath) override;
    bool DownloadRequest(const std::string& invokeId, const std::string& parameterPath) override;
    bool CancelAction(const std::string& invokeId) override;

    // --- IFdtEvents (DTMMain_Online.cpp) ---
    void OnChildParameterChanged(const std::string& systemTag) override;
    void OnLockDataSet(const std::string& systemTag, const std::string& invokeId) override;
    void OnParameterChanged(const std::string& systemTag, const std::string& xml) override;
    bool OnUnlockDataSet(const std::string& systemTag, const std::string& invokeId) override;

    // --- IFdtCommunicationEvents (DTMMain_Online.cpp) ---
    void OnConnectResponse(const std::string& invokeId, bool connected,
                           uint16_t identNumber) override;
    void OnDisconnectResponse(const std::string& invokeId, bool disconnected) override;
    void OnTransactionResponse(const std::string& invokeId, const Dpv1Response& response) override;
    void OnAbort(const std::string& reason) override;

    // --- IPrivateProcess ---
    void OnProcessProgress(const std::string& processId, int32_t percent) override;
    void OnProcessFinished(const std::string& processId, bool success) override;  // Online

    // --- events of the communication object (DTMMain_Online.cpp) ---
    bool ConnectionIsValidated(bool runtimeVerdict) override;

  private:
    DTMMain() = default;
    // The construction steps; needs the object to be owned by its shared pointer already.
    void Construct(std::shared_ptr<IEventLoop> loop, std::shared_ptr<IPrompt> prompt);
    // Shows "devtype_not_supported" with the device type's three identity values.
    void ShowDeviceTypeNotSupported(const IDeviceTypeInfo& deviceType);
    // Copies the four catalogue values of the device type's catalogue entry, or shows
    // "devtype_not_supported" when the catalogue has none.
    void TakeCatalogValues(IDeviceTypeInfo& deviceType);
    // "~/DataStatus" := 1 (stored values), and the open user interfaces are told.
    void SetDataStatusStored();
    // The open user interfaces are told that "~/DataStatus" may show something new.
    void NotifyDataStatus();
    // The same, for calls that have succeeded already: a failing user interface is ignored.
    void NotifyDataStatusQuietly() noexcept;
    // The end of the running disconnect: the communication is dropped, the frame is told.
    void FinishDisconnect();
    // The end of the write-protection read of a pending download: refused or handed on.
    void FinishDownloadCheck(bool readOk);
    // The question whether to accept a connected device of another identity; "" when the
    // device is the expected one; nullopt when the identity cannot be judged (no device type
    // or communication object).
    std::optional<std::string> OtherDeviceQuestion();
    // The reads after the connection of the expected device (tag, revisions, diagnosis ...).
    void StartStartupReads();
    // The frame's function call for the catalogue; nullptr when the text is no function call or
    // the instance has no catalogue.
    std::shared_ptr<IFunctionCall> ParseFunctionCall(const std::string& functionCall);
    kv::DTMContext& Context() const { return *m_Context; }
    // Where the entry-point guard records what it swallows.
    DiagnosticLog& Log() const { return m_Context->Diagnostics(); }

    std::shared_ptr<clsDataModel> m_DataModel;
    std::shared_ptr<clsFunctionMan> m_FunctionMan;
    std::shared_ptr<kv::DTMContext> m_Context;
    // The runtime's communication object, owned by the context's communication manager (the
    // context outlives every use: this object owns it). Its events arrive here.
    ICommObject* m_CommObj = nullptr;
    std::shared_ptr<TransactionGroup> m_TransGroup;
    std::string m_DisconnectProcessId;
    std::string m_DownloadInvokeId;
    std::string m_DownloadPath;
    // A download waits for its write-protection read; the frame cancelled it meanwhile.
    bool m_DownloadPending = false;
    bool m_DownloadCancelled = false;
    bool m_CommunicationSet = false;
    // PrepareToRelease succeeded: late ends of a disconnect are ignored.
    bool m_Released = false;
};

}  // namespace kv
