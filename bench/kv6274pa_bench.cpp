// The performance figures of the DTM and their targets: setting up a new instance, loading and
// saving a stored one, the parameter document's export and import, the DTM's own CPU time per
// DP-V1 transaction of a full upload, and the memory each further instance takes. After the
// benchmarks ran, a table sets every figure beside its target.

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "core/clsDataElement.h"
#include "core/clsDataModel.h"
#include "devicemodel/DeviceModel.h"
#include "dtm/DTMMain.h"
#include "frame/FrameContainer.h"
#include "platform/fdt/FdtFrameInterfaces.h"
#include "platform/os/IEventLoop.h"
#include "platform/runtime/CommunicationManager.h"
#include "platform/runtime/DTMContext.h"
#include "platform/runtime/DTMDictionary.h"
#include "platform/runtime/DataSet.h"
#include "platform/runtime/FdtDocuments.h"
#include "platform/runtime/IDTMEvents.h"
#include "platform/runtime/IOnlineParameterService.h"
#include "platform/runtime/IParameters.h"
#include "platform/runtime/IPrivateDataElement.h"
#include "platform/runtime/IPrivateProcess.h"
#include "platform/runtime/ManualEventLoop.h"
#include "platform/runtime/OnlineParameterService.h"
#include "platform/runtime/PropertyBag.h"
#include "platform/runtime/XMLHelper.h"
#include "sim/SimulatedChannel.h"
#include "sim/SimulatedPositioner.h"
#include "tests/support/NullFakes.h"

#include "BenchMemory.h"
#include "BenchSummary.h"

namespace kv::bench {
namespace {

void Require(bool ok, const char* what) {
    if (!ok)
        throw std::runtime_error(what);
}

// --- instances as the frame sets them up ---

struct DtmInstance {
    std::shared_ptr<DTMMain> dtm;
    std::shared_ptr<FrameContainer> container;
};

DtmInstance NewInstance(const std::shared_ptr<ManualEventLoop>& loop) {
    DtmInstance i{DTMMain::Create(loop), std::make_shared<FrameContainer>()};
    Require(i.dtm->Environment("PV-101", i.container), "Environment refused");
    Require(i.dtm->InitNew("KV6274PA"), "InitNew failed");
    Require(i.dtm->SetLanguage(9), "SetLanguage failed");
    return i;
}

DtmInstance LoadInstance(const std::shared_ptr<ManualEventLoop>& loop, const PropertyBag& bag) {
    DtmInstance i{DTMMain::Create(loop), std::make_shared<FrameContainer>()};
    Require(i.dtm->ReadProperties(bag), "ReadProperties failed");
    Require(i.dtm->Environment("PV-101", i.container), "Environment refused");
    Require(i.dtm->SetLanguage(9), "SetLanguage failed");
    return i;
}

// A stored instance with values of its own in a few elements.
PropertyBag StoredInstance(const std::shared_ptr<ManualEventLoop>& loop) {
    DtmInstance i = NewInstance(loop);
    IParameters& data = i.dtm->DTMContext()->Parameters();
    if (IPrivateDataElement* tag = data.Item("PHYS/TAG_DESC"))
        tag->SetTransientValue(Variant("Valve 17"));
    PropertyBag bag;
    Require(i.dtm->WriteProperties(bag), "WriteProperties failed");
    return bag;
}

// a. create, environment, InitNew with the device type, language with the dictionary texts.
void BM_NewInstance(benchmark::State& state) {
    auto loop = std::make_shared<ManualEventLoop>();
    NewInstance(loop);  // the dictionary is loaded once per process
    for (auto _ : state) {
        DtmInstance i = NewInstance(loop);
        benchmark::DoNotOptimize(i.dtm.get());
        state.PauseTiming();
        i = {};
        loop->RunUntilIdle();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_NewInstance)->Unit(benchmark::kMicrosecond);

// b. a new object loads the stored instance's property bag.
void BM_LoadInstance(benchmark::State& state) {
    auto loop = std::make_shared<ManualEventLoop>();
    const PropertyBag bag = StoredInstance(loop);
    state.counters["properties"] = static_cast<double>(bag.Count());
    for (auto _ : state) {
        DtmInstance i = LoadInstance(loop, bag);
        benchmark::DoNotOptimize(i.dtm.get());
        state.PauseTiming();
        i = {};
        loop->RunUntilIdle();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_LoadInstance)->Unit(benchmark::kMicrosecond);

void BM_SaveInstance(benchmark::State& state) {
    auto loop = std::make_shared<ManualEventLoop>();
    DtmInstance i = LoadInstance(loop, StoredInstance(loop));
    for (auto _ : state) {
        PropertyBag bag;
        Require(i.dtm->WriteProperties(bag), "WriteProperties failed");
        benchmark::DoNotOptimize(bag.Count());
    }
}
BENCHMARK(BM_SaveInstance)->Unit(benchmark::kMicrosecond);

// c. the whole data set as parameter document, and back.
void BM_ExportParameters(benchmark::State& state) {
    auto loop = std::make_shared<ManualEventLoop>();
    DtmInstance i = NewInstance(loop);
    IDTMContext& context = *i.dtm->DTMContext();
    ParameterXMLConverter converter;
    for (auto _ : state) {
        std::string xml = converter.GetParametersXml(context, "", 64);
        benchmark::DoNotOptimize(xml.data());
    }
}
BENCHMARK(BM_ExportParameters)->Unit(benchmark::kMicrosecond);

void BM_ImportParameters(benchmark::State& state) {
    auto loop = std::make_shared<ManualEventLoop>();
    DtmInstance source = NewInstance(loop);
    ParameterXMLConverter converter;
    const std::string xml = converter.GetParametersXml(*source.dtm->DTMContext(), "", 64);
    DtmInstance target = NewInstance(loop);
    IDTMContext& context = *target.dtm->DTMContext();
    for (auto _ : state) {
        converter.SetParametersXml("", context, xml, 64);
        benchmark::DoNotOptimize(converter.Taken());
    }
    state.counters["taken"] = converter.Taken();
}
BENCHMARK(BM_ImportParameters)->Unit(benchmark::kMicrosecond);

// --- d. full upload ---

// The channel of the CPU measurement: the first request of an address goes to the simulated
// positioner, every later one is answered with the response kept from then, through the loop.
// The device's own work is so left out of the timed uploads.
class PrecomputedChannel : public IFdtCommunication {
  public:
    PrecomputedChannel(IEventLoop& loop, std::shared_ptr<SimulatedPositioner> device)
        : loop_(loop), device_(std::move(device)) {}

    bool ConnectRequest(std::weak_ptr<IFdtCommunicationEvents> events, const std::string& invokeId,
                        uint8_t) override {
        events_ = std::move(events);
        loop_.Post([this, invokeId] {
            if (auto sink = events_.lock())
                sink->OnConnectResponse(invokeId, true, device_->IdentNumber());
        });
        return true;
    }
    bool DisconnectRequest(const std::string& invokeId) override {
        loop_.Post([this, invokeId] {
            if (auto sink = events_.lock())
                sink->OnDisconnectResponse(invokeId, true);
        });
        return true;
    }
    bool TransactionRequest(const std::string& invokeId, const Dpv1Request& request) override {
        ++requests;
        const Dpv1Response* response = nullptr;
        if (request.write) {
            written_ = device_->Handle(request);
            response = &written_;
        } else {
            auto key = std::make_pair(request.slot, request.index);
            auto it = reads_.find(key);
            if (it == reads_.end())
                it = reads_.emplace(key, device_->Handle(request)).first;
            response = &it->second;
        }
        loop_.Post([this, invokeId, response] {
            if (auto sink = events_.lock())
                sink->OnTransactionResponse(invokeId, *response);
        });
        return true;
    }
    void Abort() override {}

    int64_t requests = 0;

  private:
    IEventLoop& loop_;
    std::shared_ptr<SimulatedPositioner> device_;
    std::weak_ptr<IFdtCommunicationEvents> events_;
    std::map<std::pair<uint8_t, uint8_t>, Dpv1Response> reads_;
    Dpv1Response written_;
};

struct NoProcess : IPrivateProcess {
    void OnProcessProgress(const std::string&, int32_t) override {}
    void OnProcessFinished(const std::string&, bool) override {}
};

struct UploadEvents : test_support::NullDTMEvents {
    void UploadFinished(const std::string&, bool ok) override {
        ++finished;
        succeeded += ok ? 1 : 0;
    }
    int finished = 0;
    int succeeded = 0;
};

// The runtime's parts of one instance with the device's whole data model and the online service,
// on an immediate (manual) event loop.
struct OnlineInstance {
    std::shared_ptr<ManualEventLoop> loop = std::make_shared<ManualEventLoop>();
    DTMContext context{loop};
    std::shared_ptr<clsDataModel> model = std::make_shared<clsDataModel>(DeviceModel());
    std::shared_ptr<DataSet> data = std::make_shared<DataSet>(context, model);
    std::shared_ptr<UploadEvents> events = std::make_shared<UploadEvents>();
    std::shared_ptr<NoProcess> process = std::make_shared<NoProcess>();
    std::shared_ptr<SimulatedPositioner> device = std::make_shared<SimulatedPositioner>();
    CommunicationManager* comm = nullptr;
    int uploads = 0;

    OnlineInstance() {
        context.SetParameters(data);
        context.SetDictionary(std::make_shared<DTMDictionary>());
        context.SetXMLHelper(std::make_shared<XMLHelper>());
        context.SetDTMEvents(events);
        model->CreateModel(context);
        for (const auto& e : data->Elements())
            e->InitNew();
        model->SetLanguage(context, 9);
        comm = dynamic_cast<CommunicationManager*>(&context.CommunicationManager());
        Require(comm != nullptr, "no communication manager");
    }
    void Connect(std::shared_ptr<IFdtCommunication> channel) {
        comm->SetCommunication(std::move(channel));
        Require(comm->Connect("connect", process), "connect refused");
        loop->RunUntilIdle();
        Require(comm->IsConnected(), "not connected");
    }
    void Upload() {
        const int before = events->succeeded;
        Require(context.OnlineParameterService().UploadRequest("U" + std::to_string(++uploads), ""),
                "upload refused");
        loop->RunUntilIdle();
        Require(events->succeeded == before + 1, "upload failed");
    }
    // The addresses of the elements that an upload reads.
    std::set<std::pair<int32_t, int32_t>> UploadAddresses() const {
        std::set<std::pair<int32_t, int32_t>> out;
        for (const auto& p : data->Elements()) {
            clsDataElement& e = AsDataElement(*p);
            if ((e.ElementMode() & emUpload) != 0)
                out.insert({e.Slot, e.index});
        }
        return out;
    }
};

// The DTM's CPU time of full uploads, answered from the kept responses.
void BM_UploadPerTransaction(benchmark::State& state) {
    OnlineInstance in;
    auto channel = std::make_shared<PrecomputedChannel>(*in.loop, in.device);
    in.Connect(channel);
    in.Upload();  // fills the kept responses
    const int64_t before = channel->requests;
    for (auto _ : state)
        in.Upload();
    const double transactions = static_cast<double>(channel->requests - before);
    state.counters["transactions"] = transactions / static_cast<double>(state.iterations());
    state.counters["cpu_per_transaction"] =
        benchmark::Counter(transactions, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_UploadPerTransaction)->Unit(benchmark::kMicrosecond);

// The same against the simulated channel: the whole upload's CPU time less the positioner's,
// which is measured by replaying the requests that reached it on a second positioner.
void BM_UploadSimulatedLessDevice(benchmark::State& state) {
    OnlineInstance in;
    in.Connect(std::make_shared<SimulatedChannel>(*in.loop, in.device));
    in.device->ClearLog();
    in.Upload();
    const std::vector<Dpv1Request> requests(in.device->Log().begin(), in.device->Log().end());
    SimulatedPositioner replica;
    for (auto _ : state)
        in.Upload();
    // The device's share, per upload.
    const int rounds = 200;
    const auto t0 = std::chrono::steady_clock::now();
    for (int r = 0; r < rounds; ++r) {
        for (const Dpv1Request& q : requests)
            benchmark::DoNotOptimize(replica.Handle(q));
    }
    const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - t0;
    const double deviceSecondsPerUpload = spent.count() / rounds;
    state.counters["transactions"] = static_cast<double>(requests.size());
    state.counters["device_us_per_upload"] = deviceSecondsPerUpload * 1e6;
}
BENCHMARK(BM_UploadSimulatedLessDevice)->Unit(benchmark::kMicrosecond);

// --- e. memory of 1000 instances ---

struct MemoryFigures {
    double heapPerInstance = 0;
    double rssPerInstance = 0;
};

MemoryFigures MeasureInstances(int count) {
    auto loop = std::make_shared<ManualEventLoop>();
    NewInstance(loop);  // dictionaries and other per-process data are loaded
    loop->RunUntilIdle();
    malloc_trim(0);
    const size_t heap0 = HeapInUse();
    const size_t rss0 = ResidentBytes();
    std::vector<DtmInstance> instances;
    instances.reserve(static_cast<size_t>(count));
    for (int n = 0; n < count; ++n)
        instances.push_back(NewInstance(loop));
    loop->RunUntilIdle();
    MemoryFigures m;
    m.heapPerInstance = (static_cast<double>(HeapInUse()) - static_cast<double>(heap0)) / count;
    m.rssPerInstance = (static_cast<double>(ResidentBytes()) - static_cast<double>(rss0)) / count;
    return m;
}

}  // namespace
}  // namespace kv::bench

int main(int argc, char** argv) {
    using namespace kv::bench;
    return BenchMain(argc, argv, [](Summary& summary) {
        summary.Time("BM_NewInstance", "a. new instance (create, InitNew, texts)", 1000)
            .Time("BM_LoadInstance", "b. load of a stored instance (bag -> new)", 1000)
            .Time("BM_SaveInstance", "b. save of an instance (-> bag)", 1000)
            .Time("BM_ExportParameters", "c. parameter document export", -1)
            .Time("BM_ImportParameters", "c. parameter document import", -1);
        if (const Result* r = summary.Find("BM_UploadPerTransaction")) {
            const double n = r->counters.at("transactions");
            summary.Add("d. DTM CPU per DP-V1 transaction (kept responses)",
                        r->cpuSeconds * 1e6 / n, "us", 20);
        }
        if (const Result* r = summary.Find("BM_UploadSimulatedLessDevice")) {
            const double n = r->counters.at("transactions");
            summary.Add("d. DTM CPU per transaction (simulator, its time less)",
                        (r->cpuSeconds * 1e6 - r->counters.at("device_us_per_upload")) / n, "us",
                        20);
        }

        // d. one request per address that a full upload reads.
        {
            OnlineInstance in;
            in.Connect(std::make_shared<kv::SimulatedChannel>(*in.loop, in.device));
            in.device->ClearLog();
            in.Upload();
            std::map<std::pair<int32_t, int32_t>, int> reads;
            int writes = 0;
            for (const kv::Dpv1Request& r : in.device->Log()) {
                if (r.write)
                    ++writes;
                else
                    ++reads[{r.slot, r.index}];
            }
            std::set<std::pair<int32_t, int32_t>> read;
            int most = 0;
            for (const auto& [address, count] : reads) {
                read.insert(address);
                most = std::max(most, count);
            }
            const bool sameAddresses = read == in.UploadAddresses();
            std::printf(
                "\nfull upload: %zu addresses read, %zu requests, %d writes, %s\n", reads.size(),
                in.device->Log().size(), writes,
                sameAddresses ? "exactly the upload addresses" : "NOT the upload addresses");
            summary.Add("d. requests per address read in a full upload (most)",
                        static_cast<double>(most), "", 1);
            summary.Add("d. addresses read other than the upload's, writes",
                        static_cast<double>((sameAddresses ? 0 : 1) + writes), "", 0);
        }

        // e. memory.
        const int count = 1000;
        MemoryFigures m = MeasureInstances(count);
        summary.Add("e. heap per further instance (1000 held)", m.heapPerInstance / 1024.0, "KB",
                    200);
        summary.Add("e. RSS per further instance (1000 held)", m.rssPerInstance / 1024.0, "KB",
                    200);

        return ReportMisses(summary);
    });
}
