// The DTM object's connection, identity check, upload, download and release, and the documents,
// information and channels it hands to the frame. Not built yet: every call gives its failure
// result.

#include "core/DTMMain.h"

namespace kv {

void DTMMain::CreateTransactionGroup() {}

bool DTMMain::SetCommunication(std::shared_ptr<IFdtCommunication> /*communication*/) {
    return false;
}

bool DTMMain::ReleaseCommunication() {
    return false;
}

bool DTMMain::PrepareToReleaseCommunication() {
    return false;
}

bool DTMMain::PrepareToRelease() {
    return false;
}

std::string DTMMain::GetFunctions(const std::string& /*operationPhase*/) {
    return {};
}

bool DTMMain::InvokeFunctionRequest(const std::string& /*invokeId*/,
                                    const std::string& /*functionCall*/) {
    return false;
}

std::string DTMMain::GetActiveXProgId(const std::string& /*functionCall*/) {
    return {};
}

std::string DTMMain::GetActiveXGuid(const std::string& /*functionCall*/) {
    return {};
}

std::vector<std::shared_ptr<IFdtChannel>> DTMMain::GetChannels() {
    return {};
}

std::string DTMMain::GetDocumentation(const std::string& /*functionCall*/) {
    return {};
}

std::string DTMMain::GetInformation() {
    return {};
}

std::string DTMMain::GetParameters(const std::string& /*parameterPath*/) {
    return {};
}

bool DTMMain::SetParameters(const std::string& /*parameterPath*/, const std::string& /*xml*/) {
    return false;
}

bool DTMMain::UploadRequest(const std::string& /*invokeId*/, const std::string& /*parameterPath*/) {
    return false;
}

bool DTMMain::DownloadRequest(const std::string& /*invokeId*/,
                              const std::string& /*parameterPath*/) {
    return false;
}

bool DTMMain::CancelAction(const std::string& /*invokeId*/) {
    return false;
}

void DTMMain::OnChildParameterChanged(const std::string& /*systemTag*/) {}

void DTMMain::OnLockDataSet(const std::string& /*systemTag*/, const std::string& /*invokeId*/) {}

void DTMMain::OnParameterChanged(const std::string& /*systemTag*/, const std::string& /*xml*/) {}

bool DTMMain::OnUnlockDataSet(const std::string& /*systemTag*/, const std::string& /*invokeId*/) {
    return false;
}

void DTMMain::OnConnectResponse(const std::string& /*invokeId*/, bool /*connected*/,
                                uint16_t /*identNumber*/) {}

void DTMMain::OnDisconnectResponse(const std::string& /*invokeId*/, bool /*disconnected*/) {}

void DTMMain::OnTransactionResponse(const std::string& /*invokeId*/,
                                    const Dpv1Response& /*response*/) {}

void DTMMain::OnAbort(const std::string& /*reason*/) {}

void DTMMain::OnProcessFinished(const std::string& /*processId*/, bool /*success*/) {}

void DTMMain::ConnectionIsValidated(bool& /*accept*/) {}

}  // namespace kv
