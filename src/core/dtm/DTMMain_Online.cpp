// The DTM object's connection, identity check, upload, download and release, and the documents,
// information and channels it hands to the frame.

#include <cstdio>
#include <exception>

#include "core/APIHelpers.h"
#include "core/DictionaryLookup.h"
#include "core/ProjectHelpers.h"
#include "core/dtm/DTMMain.h"
#include "platform/runtime/FdtDocuments.h"
#include "platform/runtime/IChannels.h"
#include "platform/runtime/IDeviceTypeInfo.h"

namespace kv {

namespace {

const char* const kDataStatus = "~/DataStatus";
// Every document of the data set is built and imported with this flag.
constexpr int32_t kDocumentFlags = 64;
// Message box: Yes and No, exclamation icon, Yes as default.
constexpr int32_t kYesNoExclamation = 52;
constexpr int32_t kAnswerNo = 7;
constexpr int32_t kOkOnly = 0;

// Leading and trailing blanks removed.
std::string TrimBlanks(const std::string& text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// Upper-case hexadecimal digits without leading zeros (negative values in 32-bit two's
// complement).
std::string HexText(int32_t value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%X", static_cast<uint32_t>(value));
    return buffer;
}

// A Variant comparison; values that cannot be compared differ.
bool SameValue(const Variant& a, const Variant& b) {
    try {
        return a.looseEquals(b);
    } catch (...) {
        return false;
    }
}

}  // namespace

void DTMMain::NotifyDataStatus() {
    if (IPrivateDataElement* status = Context().Parameters().Item(kDataStatus))
        Context().GUIManager().ParameterChanged(*status, "");
}

void DTMMain::NotifyDataStatusQuietly() noexcept {
    try {
        NotifyDataStatus();
    } catch (...) {
        // The call itself succeeded; the user interfaces catch up with the next change.
    }
}

// --- communication ---

bool DTMMain::SetCommunication(std::shared_ptr<IFdtCommunication> communication) {
    try {
        ICommunicationManager& comm = Context().CommunicationManager();
        if (!communication || comm.IsConnected())
            return false;
        comm.SetCommunication(std::move(communication));
        m_DisconnectProcessId.clear();
        m_CommunicationSet = comm.OwnsCommunication();
        // The channel's answers reach this object, which hands them to the manager.
        comm.SetEventSink(std::weak_ptr<IFdtCommunicationEvents>(shared_from_this()));
        m_TransGroup->Init(Context());
    } catch (...) {
        return false;
    }
    NotifyDataStatusQuietly();
    return true;
}

bool DTMMain::ReleaseCommunication() {
    try {
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
    } catch (...) {
        return false;
    }
    NotifyDataStatusQuietly();
    return true;
}

bool DTMMain::PrepareToReleaseCommunication() {
    try {
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
            m_DisconnectProcessId.clear();
            Context().DisplayMessage("Cannot shut down communication.");
            return false;
        }
        return true;
    } catch (...) {
        m_DisconnectProcessId.clear();
        return false;
    }
}

bool DTMMain::PrepareToRelease() {
    try {
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
        if (parameters.ModifiedState() == 1 && parameters.DataSetState() != 4) {
            if (IFdtContainer* container = Context().Container())
                container->RequestSave(Context().SystemTag());
        }
        parameters.SetDataSetState(4);
        m_Released = true;
        if (IDTMEvents* events = Context().DTMEvents())
            events->PreparedToRelease(Context().SystemTag());
        return true;
    } catch (...) {
        return false;
    }
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
    bool started = false;
    try {
        m_TransGroup->Clear();
        if (cancelled) {
            // The frame cancelled the download while the protection was read.
        } else if (!readOk) {
            // Unread, the protection cannot be judged: nothing is written.
            if (!m_Released)
                Context().MessageBox(GetDictionaryText(Context(), "error_at_read_status"), kOkOnly);
        } else if (CheckWriteProtection(Context())) {
            // The online service tells the frame the end of the download itself, also when it
            // cannot start it.
            Context().OnlineParameterService().DownloadRequest(invokeId, path);
            started = true;
        }
    } catch (...) {
        started = false;
    }
    if (!started) {
        if (IDTMEvents* events = Context().DTMEvents())
            events->DownloadFinished(invokeId, false);
    }
}

void DTMMain::OnProcessFinished(const std::string& processId, bool success) {
    try {
        if (IsSameText(processId, m_DisconnectProcessId)) {
            m_DisconnectProcessId.clear();
            if (!m_Released)
                FinishDisconnect();
            return;
        }
        if (m_DownloadPending && m_TransGroup && m_TransGroup->OwnsProcess(processId))
            FinishDownloadCheck(success);
    } catch (...) {
        // Nothing can be reported back into the event loop.
    }
}

// --- upload and download ---

bool DTMMain::UploadRequest(const std::string& invokeId, const std::string& parameterPath) {
    try {
        Context().GUIManager().ValidateAll();
        return Context().OnlineParameterService().UploadRequest(invokeId, parameterPath);
    } catch (...) {
        return false;
    }
}

bool DTMMain::DownloadRequest(const std::string& invokeId, const std::string& parameterPath) {
    try {
        Context().GUIManager().ValidateAll();
        // One download at a time waits for its protection read; the waiting one keeps its id.
        if (m_DownloadPending)
            return false;
        m_DownloadInvokeId = invokeId;
        m_DownloadPath = parameterPath;
        m_DownloadCancelled = false;
        m_DownloadPending = StartDownloadProtectionCheck(
            Context(), *m_TransGroup, std::weak_ptr<IPrivateProcess>(shared_from_this()));
        if (!m_DownloadPending) {
            m_DownloadInvokeId.clear();
            m_DownloadPath.clear();
        }
        return m_DownloadPending;
    } catch (...) {
        m_DownloadPending = false;
        return false;
    }
}

bool DTMMain::CancelAction(const std::string& invokeId) {
    try {
        if (m_DownloadPending && invokeId == m_DownloadInvokeId) {
            // Not handed to the online service yet: it ends unwritten when the read ends.
            m_DownloadCancelled = true;
            return true;
        }
        return Context().OnlineParameterService().CancelAction(invokeId);
    } catch (...) {
        return false;
    }
}

// --- identity check ---

void DTMMain::ConnectionIsValidated(bool& accept) {
    try {
        NotifyDataStatus();
        IDeviceTypeInfo* deviceType = Context().DeviceType();
        if (deviceType == nullptr || m_CommObj == nullptr)
            return;
        const std::string expectedId = GetDictionaryText(Context(), "check_deviceId");
        const std::string expectedRev = GetDictionaryText(Context(), "check_profilRev");
        const Variant typeIdent = m_CommObj->TypeIdent();
        const std::string deviceId = TrimBlanks(m_CommObj->DeviceId());
        const std::string revision = HexText(m_CommObj->ProfileRevision());
        const bool identDiffers = !SameValue(typeIdent, deviceType->IdentValue1());
        const bool idDiffers = deviceId != expectedId;
        const bool revisionDiffers = revision != expectedRev;

        if (identDiffers || idDiffers || revisionDiffers) {
            const std::string text =
                GetDictionaryText(Context(), "devicetype_not_supported", typeIdent,
                                  Variant(deviceId), Variant(revision)) +
                GetDictionaryText(Context(), "devicetype_expected", deviceType->IdentValue1(),
                                  Variant(expectedId), Variant(expectedRev));
            // Connected only when the user accepts the device; No refuses it whatever the
            // runtime's own verdict was.
            accept = Context().MessageBox(text, kYesNoExclamation) != kAnswerNo;
            return;
        }

        accept = true;
        if (m_TransGroup->Busy())
            return;
        if (m_TransGroup->ConnectionStatus() == 0)
            AddStartupRequests(Context(), *m_TransGroup, false);
        if (m_TransGroup->Execute(std::weak_ptr<IPrivateProcess>(), true, true) != 0) {
            m_TransGroup->Clear();
            Context().DisplayMessage(GetDictionaryText(Context(), "error_at_read_status"));
        }
    } catch (...) {
        // The runtime's own verdict stands.
    }
}

// --- forwarded frame events ---

void DTMMain::OnConnectResponse(const std::string& invokeId, bool connected, uint16_t identNumber) {
    try {
        Context().CommunicationManager().OnConnectResponse(invokeId, connected, identNumber);
    } catch (...) {
    }
}

void DTMMain::OnDisconnectResponse(const std::string& invokeId, bool disconnected) {
    try {
        Context().CommunicationManager().OnDisconnectResponse(invokeId, disconnected);
    } catch (...) {
    }
}

void DTMMain::OnTransactionResponse(const std::string& invokeId, const Dpv1Response& response) {
    try {
        Context().CommunicationManager().OnTransactionResponse(invokeId, response);
    } catch (...) {
    }
}

void DTMMain::OnAbort(const std::string& reason) {
    try {
        Context().CommunicationManager().OnAbort(reason);
    } catch (...) {
    }
}

void DTMMain::OnChildParameterChanged(const std::string& systemTag) {
    try {
        Context().Parameters().OnChildParameterChanged(systemTag);
    } catch (...) {
    }
}

void DTMMain::OnLockDataSet(const std::string& systemTag, const std::string& invokeId) {
    try {
        Context().Parameters().OnLockDataSet(systemTag, invokeId);
    } catch (...) {
    }
}

void DTMMain::OnParameterChanged(const std::string& systemTag, const std::string& xml) {
    try {
        Context().Parameters().OnParameterChanged(systemTag, xml);
    } catch (...) {
    }
}

bool DTMMain::OnUnlockDataSet(const std::string& systemTag, const std::string& invokeId) {
    try {
        return Context().Parameters().OnUnlockDataSet(systemTag, invokeId);
    } catch (...) {
        return false;
    }
}

// --- parameters, documents, information, functions, channels ---

std::string DTMMain::GetParameters(const std::string& parameterPath) {
    try {
        Context().GUIManager().ValidateAll();
        ParameterXMLConverter converter;
        return converter.GetParametersXml(Context(), parameterPath, kDocumentFlags);
    } catch (...) {
        return {};
    }
}

bool DTMMain::SetParameters(const std::string& parameterPath, const std::string& xml) {
    try {
        IParameters& parameters = Context().Parameters();
        parameters.Lock();
        bool ok = false;
        try {
            ParameterXMLConverter converter;
            ok = converter.SetParametersXml(parameterPath, Context(), xml, kDocumentFlags);
        } catch (...) {
            ok = false;
        }
        parameters.Unlock();
        return ok;
    } catch (...) {
        return false;
    }
}

std::string DTMMain::GetInformation() {
    try {
        IDTMDictionary& dictionary = Context().Dictionary();
        if (!dictionary.HasDocument()) {
            dictionary.Load(Context(), "DTMDictionary");
            const int32_t language = Context().GUIManager().Language();
            if (!dictionary.SetLanguage(language, true))
                dictionary.SetLanguage(MakeLcid(PrimaryLangId(language), 0, 0), true);
        }
        std::string xml;
        DtmInfoBuilder builder;
        if (!builder.BuildInformation(Context(), xml))
            return {};
        dictionary.GetXml(Context(), xml, "keys", "text");
        return xml;
    } catch (...) {
        return {};
    }
}

std::string DTMMain::GetDocumentation(const std::string& functionCall) {
    try {
        Context().GUIManager().ValidateAll();
        std::shared_ptr<IFunctionCall> call = NewFunctionCall();
        IPrivateFunctions* functions = Context().Functions();
        if (!call->Parse(functionCall, Context()) || functions == nullptr)
            return {};
        return functions->GetDocumentation(Context(), *call);
    } catch (...) {
        return {};
    }
}

std::string DTMMain::GetFunctions(const std::string& operationPhase) {
    try {
        std::shared_ptr<IOperationPhase> phase = NewOperationPhase();
        IPrivateFunctions* functions = Context().Functions();
        if (!phase->Parse(operationPhase, Context()) || functions == nullptr)
            return {};
        return functions->GetFunctions(Context(), phase);
    } catch (...) {
        return {};
    }
}

bool DTMMain::InvokeFunctionRequest(const std::string& invokeId, const std::string& functionCall) {
    try {
        std::shared_ptr<IFunctionCall> call = NewFunctionCall();
        IPrivateFunctions* functions = Context().Functions();
        if (!call->Parse(functionCall, Context()) || functions == nullptr)
            return false;
        return functions->InvokeFunctionRequest(Context(), invokeId, *call);
    } catch (...) {
        return false;
    }
}

std::string DTMMain::GetActiveXProgId(const std::string& functionCall) {
    try {
        std::shared_ptr<IFunctionCall> call = NewFunctionCall();
        IPrivateFunctions* functions = Context().Functions();
        if (!call->Parse(functionCall, Context()) || functions == nullptr)
            return {};
        return functions->GetActiveXProgId(Context(), *call);
    } catch (...) {
        return {};
    }
}

std::string DTMMain::GetActiveXGuid(const std::string& functionCall) {
    try {
        const std::string progId = GetActiveXProgId(functionCall);
        if (progId.empty())
            return {};
        GUID clsid{};
        if (!ProgIdToClsid(progId, clsid))
            return {};
        return GuidToString(clsid, Variant(true));
    } catch (...) {
        return {};
    }
}

std::vector<std::shared_ptr<IFdtChannel>> DTMMain::GetChannels() {
    try {
        return Context().Parameters().Channels().FdtChannels();
    } catch (...) {
        return {};
    }
}

}  // namespace kv
