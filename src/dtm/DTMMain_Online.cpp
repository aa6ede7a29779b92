// The DTM object's connection, identity check, upload, download and release, and the documents,
// information and channels it hands to the frame.

#include <cstdio>

#include "core/APIHelpers.h"
#include "core/DictionaryLookup.h"
#include "core/DtmElements.h"
#include "core/ProjectHelpers.h"
#include "dtm/DTMMain.h"
#include "platform/fdt/FdtFrameInterfaces.h"
#include "platform/runtime/EntryGuard.h"
#include "platform/runtime/FdtDocuments.h"
#include "platform/runtime/IChannels.h"
#include "platform/runtime/ICommunicationManager.h"
#include "platform/runtime/IDTMDictionary.h"
#include "platform/runtime/IDTMEvents.h"
#include "platform/runtime/IDeviceTypeInfo.h"
#include "platform/runtime/IGUIManager.h"
#include "platform/runtime/IOnlineParameterService.h"
#include "platform/runtime/IParameters.h"
#include "platform/runtime/IPrivateDataElement.h"
#include "platform/runtime/IPrivateFunctions.h"
#include "platform/runtime/IPrivateProcess.h"
#include "platform/runtime/IPrompt.h"
#include "value/Text.h"

namespace kv {

namespace {

// Upper-case hexadecimal digits without leading zeros (negative values in 32-bit two's
// complement).
std::string HexText(int32_t value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%X", static_cast<uint32_t>(value));
    return buffer;
}

}  // namespace

void DTMMain::NotifyDataStatus() {
    if (IPrivateDataElement* status = Context().Parameters().Item(kDataStatusPath))
        Context().GUIManager().ParameterChanged(*status, "");
}

void DTMMain::NotifyDataStatusQuietly() noexcept {
    // The call itself succeeded; the user interfaces catch up with the next change.
    Guarded(Log(), "DTMMain: data status notice", [&] { NotifyDataStatus(); });
}

// --- communication ---

bool DTMMain::SetCommunication(std::shared_ptr<IFdtCommunication> communication) {
    const bool set = Guarded(Log(), "DTMMain::SetCommunication", false, [&] {
        ICommunicationManager& comm = Context().CommunicationManager();
        if (!communication || comm.IsConnected())
            return false;
        comm.SetCommunication(std::move(communication));
        m_DisconnectProcessId.clear();
        m_CommunicationSet = comm.OwnsCommunication();
        // The channel's answers reach this object, which hands them to the manager.
        comm.SetEventSink(std::weak_ptr<IFdtCommunicationEvents>(shared_from_this()));
        m_TransGroup->Init(Context());
        return true;
    });
    if (set)
        NotifyDataStatusQuietly();
    return set;
}

bool DTMMain::ReleaseCommunication() {
    const bool released = Guarded(Log(), "DTMMain::ReleaseCommunication", false, [&] {
        ICommunicationManager& comm = Context().CommunicationManager();
        if (comm.IsConnected())
            return false;
        m_TransGroup->Close();
        // Released once: a second release (PrepareToRelease after ReleaseCommunication) finds
        // nothing left to release.
        if (m_CommunicationSet) {
            comm.ReleaseCommunication();
            m_CommunicationSet = false;
        }
        comm.SetCommunication(nullptr);
        m_DisconnectProcessId.clear();
        return true;
    });
    if (released)
        NotifyDataStatusQuietly();
    return released;
}

bool DTMMain::PrepareToReleaseCommunication() {
    const bool prepared = Guarded(Log(), "DTMMain::PrepareToReleaseCommunication", false, [&] {
        ICommunicationManager& comm = Context().CommunicationManager();
        if (!comm.IsConnected()) {
            m_DisconnectProcessId.clear();
            comm.SetCommunication(nullptr);
            if (IDTMEvents* events = Context().DTMEvents())
                events->PreparedToReleaseCommunication(Context().SystemTag());
            return true;
        }
        // A disconnect already runs: the frame is told when it ends.
        if (!m_DisconnectProcessId.empty())
            return true;
        m_DisconnectProcessId = NewGuidString(Variant(false));
        if (!comm.StartDisconnect(m_DisconnectProcessId,
                                  std::weak_ptr<IPrivateProcess>(shared_from_this()))) {
            Context().DisplayMessage("Cannot shut down communication.");
            return false;
        }
        return true;
    });
    // A refused or failed disconnect leaves none running.
    if (!prepared)
        m_DisconnectProcessId.clear();
    return prepared;
}

bool DTMMain::PrepareToRelease() {
    return Guarded(Log(), "DTMMain::PrepareToRelease", false, [&] {
        IGUIManager& gui = Context().GUIManager();
        if (gui.HasOpenGUIs() && !gui.CloseAll()) {
            Context().DisplayMessage("Error closing user interaces.");
            return false;
        }
        ICommunicationManager& comm = Context().CommunicationManager();
        if (comm.IsConnected() && !comm.Disconnect()) {
            Context().DisplayMessage("Error terminating communication.");
            return false;
        }
        if (!ReleaseCommunication())
            return false;
        IParameters& parameters = Context().Parameters();
        if (parameters.ModifiedState() == 1 && parameters.DataSetState() != dssReleased) {
            if (IFdtContainer* container = Context().Container())
                container->RequestSave(Context().SystemTag());
        }
        parameters.SetDataSetState(dssReleased);
        m_Released = true;
        if (IDTMEvents* events = Context().DTMEvents())
            events->PreparedToRelease(Context().SystemTag());
        return true;
    });
}

// --- processes ---

void DTMMain::FinishDisconnect() {
    ICommunicationManager& comm = Context().CommunicationManager();
    if (comm.IsConnected()) {
        Context().DisplayMessage("Error shutting down communication");
        if (!comm.Disconnect())
            Context().DisplayMessage("Error terminating communication.");
    }
    comm.SetCommunication(nullptr);
    NotifyDataStatus();
    if (IDTMEvents* events = Context().DTMEvents())
        events->PreparedToReleaseCommunication(Context().SystemTag());
}

void DTMMain::FinishDownloadCheck(bool readOk) {
    const std::string invokeId = m_DownloadInvokeId;
    const std::string path = m_DownloadPath;
    const bool cancelled = m_DownloadCancelled;
    m_DownloadPending = false;
    m_DownloadCancelled = false;
    m_DownloadInvokeId.clear();
    m_DownloadPath.clear();
    int32_t failure = 0;  // why the download did not start, as the error bits of a transfer
    const bool started = Guarded(Log(), "DTMMain: end of the download check", false, [&] {
        m_TransGroup->Clear();
        if (cancelled) {
            // The frame cancelled the download while the protection was read.
            return false;
        }
        if (!readOk) {
            // Unread, the protection cannot be judged: nothing is written.
            failure = WriteProtectionReadFailure(Context());
            if (!m_Released)
                Context().MessageBox(GetDictionaryText(Context(), "error_at_read_status"),
                                     mbsOkOnly);
            return false;
        }
        if (!CheckWriteProtection(Context())) {
            failure = kDpv1AccessDeniedClass;
            return false;
        }
        // The online service tells the frame the end of the download itself, also when it
        // cannot start it.
        Context().OnlineParameterService().DownloadRequest(invokeId, path);
        return true;
    });
    if (!started) {
        if (IDTMEvents* events = Context().DTMEvents()) {
            // The frame hears why, as of a download that the device refused.
            if (!cancelled)
                events->TransferFinished(Context().SystemTag(), kDownloadTitle, true, false,
                                         failure);
            events->DownloadFinished(invokeId, false);
        }
    }
}

void DTMMain::OnProcessFinished(const std::string& processId, bool success) {
    Guarded(Log(), "DTMMain::OnProcessFinished", [&] {
        if (IsSameText(processId, m_DisconnectProcessId)) {
            m_DisconnectProcessId.clear();
            if (!m_Released)
                FinishDisconnect();
            return;
        }
        if (m_DownloadPending && m_TransGroup && m_TransGroup->OwnsProcess(processId))
            FinishDownloadCheck(success);
    });
}

// --- upload and download ---

bool DTMMain::UploadRequest(const std::string& invokeId, const std::string& parameterPath) {
    return Guarded(Log(), "DTMMain::UploadRequest", false, [&] {
        Context().GUIManager().ValidateAll();
        return Context().OnlineParameterService().UploadRequest(invokeId, parameterPath);
    });
}

bool DTMMain::DownloadRequest(const std::string& invokeId, const std::string& parameterPath) {
    return Guarded(Log(), "DTMMain::DownloadRequest", false, [&] {
        Context().GUIManager().ValidateAll();
        // One download at a time waits for its protection read; the waiting one keeps its id.
        if (m_DownloadPending)
            return false;
        m_DownloadInvokeId = invokeId;
        m_DownloadPath = parameterPath;
        m_DownloadCancelled = false;
        // The protection is judged on the device's values (the group's reads show the device);
        // the project's stay to be downloaded.
        m_DownloadPending = StartDownloadProtectionCheck(
            Context(), *m_TransGroup, std::weak_ptr<IPrivateProcess>(shared_from_this()));
        if (!m_DownloadPending) {
            m_DownloadInvokeId.clear();
            m_DownloadPath.clear();
        }
        return m_DownloadPending;
    });
}

bool DTMMain::CancelAction(const std::string& invokeId) {
    return Guarded(Log(), "DTMMain::CancelAction", false, [&] {
        if (m_DownloadPending && invokeId == m_DownloadInvokeId) {
            // Not handed to the online service yet: it ends unwritten when the read ends.
            m_DownloadCancelled = true;
            return true;
        }
        return Context().OnlineParameterService().CancelAction(invokeId);
    });
}

// --- identity check ---

bool DTMMain::ConnectionIsValidated(bool runtimeVerdict) {
    const std::optional<std::string> question =
        Guarded(Log(), "DTMMain::ConnectionIsValidated", std::optional<std::string>(), [&] {
            NotifyDataStatus();
            return OtherDeviceQuestion();
        });
    if (!question)
        return runtimeVerdict;
    if (!question->empty()) {
        // Connected only when the user accepts the device: No refuses it whatever the runtime's
        // own verdict was; any other answer accepts it.
        return Guarded(Log(), "DTMMain::ConnectionIsValidated", runtimeVerdict, [&] {
            return Context().MessageBox(*question, mbsYesNoExclamation) != mbaNo;
        });
    }
    // The expected device: the start-up reads follow; their failure keeps the connection.
    Guarded(Log(), "DTMMain: start-up reads", [&] { StartStartupReads(); });
    return true;
}

std::optional<std::string> DTMMain::OtherDeviceQuestion() {
    IDeviceTypeInfo* deviceType = Context().DeviceType();
    if (deviceType == nullptr || m_CommObj == nullptr)
        return std::nullopt;
    const std::string expectedId = GetDictionaryText(Context(), "check_deviceId");
    const std::string expectedRev = GetDictionaryText(Context(), "check_profilRev");
    const Variant typeIdent = m_CommObj->TypeIdent();
    const std::string deviceId(Trim(m_CommObj->DeviceId()));
    const std::string revision = HexText(m_CommObj->ProfileRevision());
    const bool identDiffers = !typeIdent.looseEquals(deviceType->IdentValue1());
    const bool idDiffers = deviceId != expectedId;
    const bool revisionDiffers = revision != expectedRev;
    if (!identDiffers && !idDiffers && !revisionDiffers)
        return std::string();
    return GetDictionaryText(Context(), "devicetype_not_supported", typeIdent, Variant(deviceId),
                             Variant(revision)) +
           GetDictionaryText(Context(), "devicetype_expected", deviceType->IdentValue1(),
                             Variant(expectedId), Variant(expectedRev));
}

void DTMMain::StartStartupReads() {
    if (m_TransGroup->Busy())
        return;
    // The scale is read with the read-back: a value is shown in the unit the device sent it in,
    // which the device behind a new connection may hold otherwise than before.
    if (m_TransGroup->ConnectionStatus() == 0)
        AddStartupRequests(Context(), *m_TransGroup, true);
    // A connection alone changes no writable value of the data set (the group's reads show the
    // device): the tag read here is the device's beside the project's until an upload or a
    // parameter page's read takes it.
    const int32_t status = m_TransGroup->Execute(std::weak_ptr<IPrivateProcess>(), true, true);
    if (status != 0) {
        m_TransGroup->Clear();
        Context().DisplayMessage(GetDictionaryText(Context(), "error_at_read_status"));
    }
}

// --- forwarded frame events ---

void DTMMain::OnConnectResponse(const std::string& invokeId, bool connected, uint16_t identNumber) {
    Guarded(Log(), "DTMMain::OnConnectResponse", [&] {
        Context().CommunicationManager().OnConnectResponse(invokeId, connected, identNumber);
    });
}

void DTMMain::OnDisconnectResponse(const std::string& invokeId, bool disconnected) {
    Guarded(Log(), "DTMMain::OnDisconnectResponse",
            [&] { Context().CommunicationManager().OnDisconnectResponse(invokeId, disconnected); });
}

void DTMMain::OnTransactionResponse(const std::string& invokeId, const Dpv1Response& response) {
    Guarded(Log(), "DTMMain::OnTransactionResponse",
            [&] { Context().CommunicationManager().OnTransactionResponse(invokeId, response); });
}

void DTMMain::OnAbort(const std::string& reason) {
    Guarded(Log(), "DTMMain::OnAbort", [&] { Context().CommunicationManager().OnAbort(reason); });
}

void DTMMain::OnChildParameterChanged(const std::string& systemTag) {
    Guarded(Log(), "DTMMain::OnChildParameterChanged",
            [&] { Context().Parameters().OnChildParameterChanged(systemTag); });
}

void DTMMain::OnLockDataSet(const std::string& systemTag, const std::string& invokeId) {
    Guarded(Log(), "DTMMain::OnLockDataSet",
            [&] { Context().Parameters().OnLockDataSet(systemTag, invokeId); });
}

void DTMMain::OnParameterChanged(const std::string& systemTag, const std::string& xml) {
    Guarded(Log(), "DTMMain::OnParameterChanged",
            [&] { Context().Parameters().OnParameterChanged(systemTag, xml); });
}

bool DTMMain::OnUnlockDataSet(const std::string& systemTag, const std::string& invokeId) {
    return Guarded<bool>(Log(), "DTMMain::OnUnlockDataSet", false, [&]() -> bool {
        return Context().Parameters().OnUnlockDataSet(systemTag, invokeId);
    });
}

// --- parameters, documents, information, functions, channels ---

std::string DTMMain::GetParameters(const std::string& parameterPath) {
    return Guarded<std::string>(Log(), "DTMMain::GetParameters", std::string(),
                                [&]() -> std::string {
                                    Context().GUIManager().ValidateAll();
                                    return Context().ParameterXMLConverter().GetParametersXml(
                                        Context(), parameterPath, kParameterDocumentFlags);
                                });
}

bool DTMMain::SetParameters(const std::string& parameterPath, const std::string& xml) {
    return Guarded<bool>(Log(), "DTMMain::SetParameters", false, [&]() -> bool {
        IParameters& parameters = Context().Parameters();
        parameters.Lock();
        // The lock is given back also when the import fails.
        const bool ok = Guarded(Log(), "DTMMain::SetParameters", false, [&] {
            return Context().ParameterXMLConverter().SetParametersXml(parameterPath, Context(), xml,
                                                                      kParameterDocumentFlags);
        });
        parameters.Unlock();
        return ok;
    });
}

std::string DTMMain::GetInformation() {
    return Guarded<std::string>(
        Log(), "DTMMain::GetInformation", std::string(), [&]() -> std::string {
            IDTMDictionary& dictionary = Context().Dictionary();
            if (!dictionary.HasDocument()) {
                dictionary.Load(Context(), "DTMDictionary");
                const int32_t language = Context().GUIManager().Language();
                if (!dictionary.SetLanguage(language, true))
                    dictionary.SetLanguage(MakeLcid(PrimaryLangId(language), 0, 0), true);
            }
            DtmInfoBuilder builder;
            const std::optional<std::string> xml = builder.BuildInformation(Context());
            if (!xml)
                return {};
            return dictionary.GetXml(Context(), *xml, "keys", "text").value_or(*xml);
        });
}

std::shared_ptr<IFunctionCall> DTMMain::ParseFunctionCall(const std::string& functionCall) {
    std::shared_ptr<IFunctionCall> call = NewFunctionCall();
    if (Context().Functions() == nullptr || !call->Parse(functionCall, Context()))
        return nullptr;
    return call;
}

std::string DTMMain::GetDocumentation(const std::string& functionCall) {
    return Guarded<std::string>(
        Log(), "DTMMain::GetDocumentation", std::string(), [&]() -> std::string {
            Context().GUIManager().ValidateAll();
            const std::shared_ptr<IFunctionCall> call = ParseFunctionCall(functionCall);
            return call ? Context().Functions()->GetDocumentation(Context(), *call) : "";
        });
}

std::string DTMMain::GetFunctions(const std::string& operationPhase) {
    return Guarded<std::string>(
        Log(), "DTMMain::GetFunctions", std::string(), [&]() -> std::string {
            std::shared_ptr<IOperationPhase> phase = NewOperationPhase();
            IPrivateFunctions* functions = Context().Functions();
            if (!phase->Parse(operationPhase, Context()) || functions == nullptr)
                return {};
            return functions->GetFunctions(Context(), phase);
        });
}

bool DTMMain::InvokeFunctionRequest(const std::string& invokeId, const std::string& functionCall) {
    return Guarded<bool>(Log(), "DTMMain::InvokeFunctionRequest", false, [&]() -> bool {
        const std::shared_ptr<IFunctionCall> call = ParseFunctionCall(functionCall);
        return call && Context().Functions()->InvokeFunctionRequest(Context(), invokeId, *call);
    });
}

std::string DTMMain::GetActiveXProgId(const std::string& functionCall) {
    return Guarded<std::string>(
        Log(), "DTMMain::GetActiveXProgId", std::string(), [&]() -> std::string {
            const std::shared_ptr<IFunctionCall> call = ParseFunctionCall(functionCall);
            return call ? Context().Functions()->GetActiveXProgId(Context(), *call) : "";
        });
}

std::string DTMMain::GetActiveXGuid(const std::string& functionCall) {
    return Guarded<std::string>(
        Log(), "DTMMain::GetActiveXGuid", std::string(), [&]() -> std::string {
            const std::string progId = GetActiveXProgId(functionCall);
            if (progId.empty())
                return {};
            const std::optional<GUID> clsid = ProgIdToClsid(progId);
            return clsid ? GuidToString(*clsid, Variant(true)) : std::string();
        });
}

std::vector<std::shared_ptr<IFdtChannel>> DTMMain::GetChannels() {
    return Guarded<std::vector<std::shared_ptr<IFdtChannel>>>(
        Log(), "DTMMain::GetChannels", std::vector<std::shared_ptr<IFdtChannel>>(),
        [&]() -> std::vector<std::shared_ptr<IFdtChannel>> {
            return Context().Parameters().Channels().FdtChannels();
        });
}

}  // namespace kv
