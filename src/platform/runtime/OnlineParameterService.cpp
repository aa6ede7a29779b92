#include "platform/runtime/OnlineParameterService.h"

#include <functional>
#include <set>

#include "platform/os/IEventLoop.h"
#include "platform/runtime/CommunicationManager.h"
#include "platform/runtime/ElementPath.h"
#include "platform/runtime/EntryGuard.h"
#include "platform/runtime/ICommunicationManager.h"
#include "platform/runtime/IDTMEvents.h"
#include "platform/runtime/IDocuments.h"
#include "platform/runtime/IParameters.h"
#include "platform/runtime/IPrivateDataElement.h"
#include "platform/runtime/IPrivateDataModel.h"
#include "platform/runtime/IPrivateProcess.h"
#include "platform/runtime/ProcessId.h"

namespace kv {

namespace {

// One job per transferred element in the data set's order: the wanted elements, each replaced
// by its record when it is a member of one.
std::vector<TransactionJob> CollectJobs(IDTMContext& context, const std::string& parameterPath,
                                        bool isWrite,
                                        const std::function<bool(IPrivateDataElement&)>& wanted) {
    IParameters& parameters = context.Parameters();
    std::vector<TransactionJob> jobs;
    std::set<std::string> added;
    const auto elements = parameters.Elements();
    for (const auto& e : elements) {
        if (!IsUnderPath(e->Name(), parameterPath) || !wanted(*e))
            continue;
        std::string path = TransferPath(parameters, e->Name());
        if (added.insert(path).second)
            jobs.push_back(TransactionJob{std::move(path), isWrite});
    }
    return jobs;
}

// The elements one job transfers: its element and, for a record, the record's members.
std::vector<IPrivateDataElement*> TransferredElements(IParameters& parameters,
                                                      const TransactionJob& job) {
    IPrivateDataElement* e = parameters.Item(job.path);
    if (e == nullptr)
        return {};
    std::vector<IPrivateDataElement*> all{e};
    if (IsRecordPath(job.path)) {
        for (IPrivateDataElement* m : parameters.RecordMembers(job.path))
            all.push_back(m);
    }
    return all;
}

}  // namespace

OnlineParameterService::OnlineParameterService(IDTMContext& context) : context_(context) {}

OnlineParameterService::~OnlineParameterService() = default;

int32_t OnlineParameterService::OnlineMode() const {
    int32_t mode = 0;
    for (const auto& [invokeId, action] : actions_)
        mode |= action.write ? omDownload : omUpload;
    return mode;
}

bool OnlineParameterService::UploadRequest(const std::string& invokeId,
                                           const std::string& parameterPath) {
    if (actions_.count(invokeId) != 0)
        return false;
    return Guarded(context_.Diagnostics(), "OnlineParameterService::UploadRequest", false, [&] {
        return StartTransfer(
            invokeId, parameterPath, false,
            [this, invokeId](const std::vector<TransactionJob>& jobs, bool success) {
                EndUpload(invokeId, jobs, success);
            });
    });
}

bool OnlineParameterService::StartTransfer(
    const std::string& invokeId, const std::string& parameterPath, bool write,
    std::function<void(const std::vector<TransactionJob>& jobs, bool success)> end) {
    TransactionProcess process;
    process.processId = NewProcessId();
    process.jobs =
        CollectJobs(context_, parameterPath, write, [this, write](IPrivateDataElement& e) {
            return write ? e.IsDownloadParam(context_) : e.IsUploadParam(context_);
        });
    process.reportProgress = true;
    process.title = write ? kDownloadTitle : kUploadTitle;
    process.onEnd = [alive = lifetime_.Watch(), jobs = process.jobs,
                     end = std::move(end)](bool success) {
        if (alive.Alive())
            end(jobs, success);
    };
    const std::string id = process.processId;
    if (!context_.CommunicationManager().StartProcess(std::move(process)))
        return false;
    actions_[invokeId] = Action{id, write};
    return true;
}

void OnlineParameterService::EndUpload(const std::string& invokeId,
                                       const std::vector<TransactionJob>& jobs, bool success) {
    DiagnosticLog& log = context_.Diagnostics();
    // The walk is still the upload's: the online mode says so until the frame hears the end.
    const bool walked = Guarded(log, "OnlineParameterService: walk after the upload", false, [&] {
        bool allReported = true;
        IParameters& parameters = context_.Parameters();
        {
            // The read values are reported once more as one bulk update.
            const ScopedBulkUpdate bulk(parameters);
            for (const TransactionJob& job : jobs) {
                for (IPrivateDataElement* x : TransferredElements(parameters, job)) {
                    allReported =
                        Guarded(log, "OnlineParameterService: walk after the upload", false,
                                [&] {
                                    parameters.ElementChanged(*x, "");
                                    return true;
                                }) &&
                        allReported;
                }
            }
        }
        if (IPrivateDataModel* model = parameters.DataModel())
            model->DataSetChanged(context_);
        return allReported;
    });
    success = success && walked;
    actions_.erase(invokeId);
    // The frame hears the end whatever its own handling of the change does.
    Guarded(log, "IDTMEvents::ParametersChanged", [&] {
        if (IDTMEvents* events = context_.DTMEvents())
            events->ParametersChanged(context_.SystemTag(),
                                      context_.ParameterXMLConverter().GetParametersXml(
                                          context_, "", kParameterDocumentFlags));
    });
    TellTransferEnd(false, jobs, success);
    Guarded(log, "IDTMEvents::UploadFinished", [&] {
        if (IDTMEvents* events = context_.DTMEvents())
            events->UploadFinished(invokeId, success);
    });
}

bool OnlineParameterService::DownloadRequest(const std::string& invokeId,
                                             const std::string& parameterPath) {
    if (actions_.count(invokeId) != 0) {
        // The running download of that id reports its own end.
        return false;
    }
    const bool started =
        Guarded(context_.Diagnostics(), "OnlineParameterService::DownloadRequest", false, [&] {
            return StartTransfer(
                invokeId, parameterPath, true,
                [this, invokeId](const std::vector<TransactionJob>& jobs, bool success) {
                    EndDownload(invokeId, jobs, success);
                });
        });
    if (!started)
        TellDownloadFailed(invokeId);
    return started;
}

void OnlineParameterService::TellDownloadFailed(const std::string& invokeId) {
    // The frame waits for the end of its download: it hears it, later, through the loop.
    const LifetimeToken::Watcher alive = lifetime_.Watch();
    context_.Loop().Post([this, alive, invokeId] {
        if (alive.Alive())
            EndDownload(invokeId, {}, false);
    });
}

void OnlineParameterService::EndDownload(const std::string& invokeId,
                                         const std::vector<TransactionJob>& jobs, bool success) {
    actions_.erase(invokeId);
    if (!success)
        NameRefusedValue(jobs);
    TellTransferEnd(true, jobs, success);
    Guarded(context_.Diagnostics(), "IDTMEvents::DownloadFinished", [&] {
        if (IDTMEvents* events = context_.DTMEvents())
            events->DownloadFinished(invokeId, success);
    });
}

void OnlineParameterService::NameRefusedValue(const std::vector<TransactionJob>& jobs) {
    Guarded(context_.Diagnostics(), "OnlineParameterService: refused value", [&] {
        IParameters& parameters = context_.Parameters();
        IPrivateDataElement* refused = nullptr;
        for (const TransactionJob& job : jobs) {
            for (IPrivateDataElement* e : TransferredElements(parameters, job)) {
                // A failed transfer says why itself.
                if (TransferErrorBits(*e) != 0)
                    return;
                if (refused == nullptr && (e->StatusFlags() & sfInputErrorMask) != 0)
                    refused = e;
            }
        }
        if (refused != nullptr)
            context_.DisplayMessage(context_.GetText("error_at_write_status") + " " +
                                    refused->Name() + ": " +
                                    context_.GetText("paramicon_InputErr"));
    });
}

void OnlineParameterService::TellTransferEnd(bool write, const std::vector<TransactionJob>& jobs,
                                             bool success) {
    Guarded(context_.Diagnostics(), "IDTMEvents::TransferFinished", [&] {
        IDTMEvents* events = context_.DTMEvents();
        if (events == nullptr)
            return;
        int32_t failure = 0;
        IParameters& parameters = context_.Parameters();
        for (size_t i = 0; !success && failure == 0 && i < jobs.size(); ++i) {
            IPrivateDataElement* e = parameters.Item(jobs[i].path);
            if (e != nullptr)
                failure = TransferErrorBits(*e);
        }
        events->TransferFinished(context_.SystemTag(), write ? kDownloadTitle : kUploadTitle, write,
                                 success, failure);
    });
}

bool OnlineParameterService::CancelAction(const std::string& invokeId) {
    auto it = actions_.find(invokeId);
    if (it == actions_.end())
        return false;
    return Guarded(context_.Diagnostics(), "OnlineParameterService::CancelAction", false,
                   [&]() -> bool {
                       return context_.CommunicationManager().CancelProcess(it->second.processId);
                   });
}

bool OnlineParameterService::StartUpload(const std::string& processId,
                                         const std::string& parameterPath, int32_t /*mode*/,
                                         int32_t markMask, int32_t /*option1*/, int32_t /*option2*/,
                                         std::weak_ptr<IPrivateProcess> callback,
                                         GroupReads reads) {
    if (processId.empty() || markMask == 0)
        return false;
    return Guarded(
        context_.Diagnostics(), "OnlineParameterService::StartUpload", false, [&]() -> bool {
            TransactionProcess process;
            process.processId = processId;
            process.jobs = CollectJobs(
                context_, parameterPath, false,
                [markMask](IPrivateDataElement& e) { return (e.StatusFlags() & markMask) != 0; });
            process.callback = std::move(callback);
            process.title = "Reading parameters";
            process.reads = reads;
            return context_.CommunicationManager().StartProcess(std::move(process));
        });
}

bool OnlineParameterService::StartCommand(const std::string& processId,
                                          IPrivateDataElement& element,
                                          std::weak_ptr<IPrivateProcess> callback) {
    if (processId.empty())
        return false;
    return Guarded(
        context_.Diagnostics(), "OnlineParameterService::StartCommand", false, [&]() -> bool {
            if (context_.Parameters().Item(element.Name()) != &element ||
                !element.IsDeviceCommand(context_))
                return false;
            TransactionProcess process;
            process.processId = processId;
            process.jobs.push_back(
                TransactionJob{TransferPath(context_.Parameters(), element.Name()), true});
            process.callback = std::move(callback);
            process.title = "Device command";
            return context_.CommunicationManager().StartProcess(std::move(process));
        });
}

bool OnlineParameterService::CancelProcess(const std::string& processId) {
    return Guarded(
        context_.Diagnostics(), "OnlineParameterService::CancelProcess", false,
        [&]() -> bool { return context_.CommunicationManager().CancelProcess(processId); });
}

}  // namespace kv
