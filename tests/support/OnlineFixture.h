#pragma once
// An instance with the device's whole data model, the runtime's communication manager and
// online service, connected through the simulated channel to the simulated positioner, on a
// manual event loop.

#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "core/clsDataElement.h"
#include "core/clsDataModel.h"
#include "devicemodel/DeviceModel.h"
#include "platform/fdt/FdtFrameInterfaces.h"
#include "platform/runtime/CommunicationManager.h"
#include "platform/runtime/DTMContext.h"
#include "platform/runtime/DTMDictionary.h"
#include "platform/runtime/DataSet.h"
#include "platform/runtime/ICommObject.h"
#include "platform/runtime/IDTMEvents.h"
#include "platform/runtime/IGUIManager.h"
#include "platform/runtime/IParameters.h"
#include "platform/runtime/IPrivateDataElement.h"
#include "platform/runtime/IPrivateProcess.h"
#include "platform/runtime/ManualEventLoop.h"
#include "platform/runtime/OnlineParameterService.h"
#include "platform/runtime/TransactionGroup.h"
#include "platform/runtime/XMLHelper.h"
#include "sim/SimulatedChannel.h"
#include "sim/SimulatedPositioner.h"
#include "support/DeviceLog.h"
#include "support/NullFakes.h"

namespace kv::test_support {

struct RecordingProcess : IPrivateProcess {
    void OnProcessProgress(const std::string&, int32_t percent) override {
        progress.push_back(percent);
    }
    void OnProcessFinished(const std::string& id, bool success) override {
        finished.emplace_back(id, success);
    }
    std::vector<int32_t> progress;
    std::vector<std::pair<std::string, bool>> finished;
};

struct RecordingEvents : NullDTMEvents {
    void ReportProgress(const std::string&, const std::string&, int32_t percent,
                        bool show) override {
        progress.push_back(percent);
        shown.push_back(show);
    }
    void UploadFinished(const std::string& id, bool ok) override { uploads.emplace_back(id, ok); }
    void DownloadFinished(const std::string& id, bool ok) override {
        downloads.emplace_back(id, ok);
    }
    void ParametersChanged(const std::string&, const std::string& document) override {
        ++parametersChanged;
        parameterDocument = document;
    }
    std::vector<int32_t> progress;
    std::vector<bool> shown;  // the show flag of each progress report
    std::string parameterDocument;
    std::vector<std::pair<std::string, bool>> uploads;
    std::vector<std::pair<std::string, bool>> downloads;
    int parametersChanged = 0;
};

// The DTM object's side of ConnectionIsValidated: records what came in, answers as scripted.
struct Subscriber : ICommObjectEvents {
    bool ConnectionIsValidated(bool runtimeVerdict) override {
        incoming.push_back(runtimeVerdict);
        return answer.value_or(runtimeVerdict);
    }
    std::optional<bool> answer;
    std::vector<bool> incoming;
};

// Records whether the data set was in a bulk update at each report to the user interfaces.
struct BulkProbe : NullGUIList {
    explicit BulkProbe(IParameters*& data) : data_(data) {}
    void ParameterChanged(IPrivateDataElement&, const std::string&) override {
        (data_ && data_->BulkUpdateActive() ? bulk : plain)++;
    }
    int bulk = 0;
    int plain = 0;

  private:
    IParameters*& data_;
};

struct OnlineInstance {
    std::shared_ptr<ManualEventLoop> loop = std::make_shared<ManualEventLoop>();
    DTMContext context{loop};
    std::shared_ptr<clsDataModel> model = std::make_shared<clsDataModel>(DeviceModel());
    std::shared_ptr<DataSet> data = std::make_shared<DataSet>(context, model);
    IParameters* dataView = data.get();
    std::shared_ptr<BulkProbe> gui = std::make_shared<BulkProbe>(dataView);
    std::shared_ptr<RecordingEvents> events = std::make_shared<RecordingEvents>();
    std::shared_ptr<Subscriber> subscriber = std::make_shared<Subscriber>();
    std::shared_ptr<RecordingProcess> process = std::make_shared<RecordingProcess>();
    std::shared_ptr<SimulatedPositioner> device;
    std::shared_ptr<SimulatedChannel> channel;
    CommunicationManager* comm = nullptr;

    explicit OnlineInstance(SimOptions options = {})
        : device(std::make_shared<SimulatedPositioner>(options)),
          channel(std::make_shared<SimulatedChannel>(*loop, device)) {
        context.SetParameters(data);
        context.SetDictionary(std::make_shared<DTMDictionary>());
        context.SetXMLHelper(std::make_shared<XMLHelper>());
        context.SetGUIManager(gui);
        context.SetDTMEvents(events);
        model->CreateModel(context);
        for (const auto& e : data->Elements())
            e->InitNew();
        comm = dynamic_cast<CommunicationManager*>(&context.CommunicationManager());
        comm->SetEvents(subscriber);
        comm->SetCommunication(channel);
    }

    // A run without faults leaves the diagnostic logs empty.
    ~OnlineInstance() {
        EXPECT_TRUE(context.Diagnostics().Empty()) << context.Diagnostics().Text();
        EXPECT_TRUE(loop->Diagnostics().Empty()) << loop->Diagnostics().Text();
    }

    // Connects and runs the loop until the connection is settled.
    bool Connect() {
        if (!comm->Connect("connect", process))
            return false;
        loop->RunUntilIdle();
        process->finished.clear();
        process->progress.clear();
        device->ClearLog();
        return comm->IsConnected();
    }

    clsDataElement& At(const std::string& path) { return ElementAt(*data, path); }
    Address AddressOf(const std::string& path) {
        clsDataElement& e = At(path);
        return {e.Slot, e.index};
    }
    // The addresses of the elements that the predicate picks.
    template <class Pred>
    std::set<Address> Addresses(Pred pred) {
        return AddressesOf(*data, pred);
    }
    // Requests that reached the device, per address and direction.
    std::map<Address, int> Logged(bool writes) const { return RequestsAt(*device, writes); }
};

}  // namespace kv::test_support
