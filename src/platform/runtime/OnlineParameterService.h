#pragma once
// The instance's online service: the frame's uploads and downloads of the whole data set (or a
// part of it), reads of marked elements and device commands, each run as a process of the
// communication manager.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/runtime/ICommunicationManager.h"
#include "platform/runtime/IDTMContext.h"
#include "platform/runtime/IOnlineParameterService.h"
#include "platform/runtime/IPrivateDataElement.h"
#include "platform/runtime/IPrivateProcess.h"
#include "value/LifetimeToken.h"

namespace kv {

class OnlineParameterService : public IOnlineParameterService {
  public:
    // The context owns the service and so outlives it.
    explicit OnlineParameterService(IDTMContext& context);
    ~OnlineParameterService() override;
    OnlineParameterService(const OnlineParameterService&) = delete;
    OnlineParameterService& operator=(const OnlineParameterService&) = delete;

    // Bit 0 while an upload of the frame runs, bit 1 while a download runs.
    int32_t OnlineMode() const override;

    bool UploadRequest(const std::string& invokeId, const std::string& parameterPath) override;
    bool DownloadRequest(const std::string& invokeId, const std::string& parameterPath) override;
    bool CancelAction(const std::string& invokeId) override;
    bool StartUpload(const std::string& processId, const std::string& parameterPath, int32_t mode,
                     int32_t markMask, int32_t option1, int32_t option2,
                     std::weak_ptr<IPrivateProcess> callback,
                     GroupReads reads = GroupReads::Taken) override;
    bool StartCommand(const std::string& processId, IPrivateDataElement& element,
                      std::weak_ptr<IPrivateProcess> callback) override;
    bool CancelProcess(const std::string& processId) override;

  private:
    // A running upload or download of the frame.
    struct Action {
        std::string processId;
        bool write = false;
    };
    // The running uploads and downloads of the frame by invoke id.
    std::map<std::string, Action> actions_;

    // Starts the frame's upload (write False) or download of the elements under the path that
    // take part in it; end runs with the process's jobs when it has ended. False when the
    // process could not start.
    bool StartTransfer(
        const std::string& invokeId, const std::string& parameterPath, bool write,
        std::function<void(const std::vector<TransactionJob>& jobs, bool success)> end);
    void EndUpload(const std::string& invokeId, const std::vector<TransactionJob>& jobs,
                   bool success);
    void EndDownload(const std::string& invokeId, const std::vector<TransactionJob>& jobs,
                     bool success);
    // After a download that failed with no transfer error: the status text names the first
    // element whose value was refused (it carries an input error).
    void NameRefusedValue(const std::vector<TransactionJob>& jobs);
    // Tells the frame the end of its upload or download with the reason of a failure.
    void TellTransferEnd(bool write, const std::vector<TransactionJob>& jobs, bool success);
    void TellDownloadFailed(const std::string& invokeId);

    IDTMContext& context_;
    // Posted calls and timers find the object gone once it is destroyed.
    LifetimeToken lifetime_;
};

}  // namespace kv
