// The performance figures of the user interface and their targets: binding the rows of a page
// to a DTM instance's elements, an element change reaching a page, one tick of a page's cyclic
// refresh against the simulated positioner (a test page and the online page ctlOpRCAS), opening
// a profile page, a read of one, opening the main window and one tick of its header group. The
// widgets are real, on the offscreen platform. After the benchmarks ran, a table sets every
// figure beside its target.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdio>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "core/clsDataElement.h"
#include "dtm/DTMMain.h"
#include "frame/DeviceSession.h"
#include "frame/FrameWords.h"
#include "frame/ReferenceFrame.h"
#include "frame/ScriptedPrompt.h"
#include "platform/controls/widgets/PageRegistry.h"
#include "platform/controls/widgets/ctlNavigation.h"
#include "platform/runtime/IFunctionCall.h"
#include "platform/runtime/IGUIManager.h"
#include "platform/runtime/IParameters.h"
#include "platform/runtime/ManualEventLoop.h"
#include "tests/support/TestPage.h"
#include "ui/framework/clsParamLink.h"
#include "ui/framework/widgets/ctlCycle.h"
#include "ui/framework/widgets/ctlNavigationMain.h"
#include "ui/onlinepages/CyclicParameterPage.h"
#include "ui/onlinepages/OnlinePages.h"
#include "ui/parameterpages/ParameterPage.h"
#include "ui/parameterpages/ParameterPages.h"

#include "BenchSummary.h"

namespace kv::bench {
namespace {

using test_support::TestPage;

// One instance of the reference frame, connected to the simulated positioner.
struct ConnectedInstance {
    std::shared_ptr<ManualEventLoop> loop = std::make_shared<ManualEventLoop>();
    ReferenceFrame frame{loop, std::make_shared<ScriptedPrompt>()};
    FrameInstance* instance = nullptr;
    std::unique_ptr<DeviceSession> session;

    ConnectedInstance() {
        FrameFault error;
        instance = frame.AddInstance("PV-101", "KV6274PA", error);
        if (instance == nullptr)
            throw std::runtime_error(Describe(error, FrameWordsOf(langEnglish)));
        session = std::make_unique<DeviceSession>(loop, *instance,
                                                  std::make_shared<SimulatedPositioner>());
        if (!session->SetCommunication() || !session->Connect())
            throw std::runtime_error("the instance did not connect");
    }
    IDTMContext& Ctx() { return *instance->dtm->DTMContext(); }
};

ConnectedInstance& Instance() {
    static ConnectedInstance instance;
    return instance;
}

// The paths of the first n elements of the device's blocks that have a value of their own.
std::vector<std::string> BlockElements(IDTMContext& ctx, size_t n) {
    std::vector<std::string> paths;
    for (const auto& p : ctx.Parameters().Elements()) {
        const clsDataElement& e = AsDataElement(*p);
        if (e.BlockType >= pbfPhysicalBlock && e.ValueType() != vtRecord && paths.size() < n)
            paths.push_back(e.Name());
    }
    return paths;
}

// Four members each of the first records that are read from the device and have four.
std::vector<std::string> RecordMembers(IDTMContext& ctx, size_t records) {
    std::vector<std::string> paths;
    IParameters& data = ctx.Parameters();
    for (const auto& p : data.Elements()) {
        const clsDataElement& e = AsDataElement(*p);
        if (records == 0)
            break;
        if (e.Name().back() != '/' || !e.IsUploadParam(ctx))
            continue;
        const std::vector<IPrivateDataElement*> members = data.RecordMembers(e.Name());
        if (members.size() < 4)
            continue;
        for (size_t i = 0; i < 4; ++i)
            paths.push_back(members[i]->Name());
        --records;
    }
    return paths;
}

std::unique_ptr<TestPage> PageOf(const std::vector<std::string>& paths) {
    auto page = std::make_unique<TestPage>();
    for (const std::string& path : paths)
        page->AddRow(path);
    return page;
}

std::shared_ptr<clsParamLink> Prototype() {
    auto prototype = std::make_shared<clsParamLink>();
    prototype->index = 1;
    prototype->bOnlineMode = true;
    return prototype;
}

// Binding a page of 100 new rows: the site's Init, the language, the first update.
void BM_BindPage100(benchmark::State& state) {
    IDTMContext& ctx = Instance().Ctx();
    const std::vector<std::string> paths = BlockElements(ctx, 100);
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<TestPage> page = PageOf(paths);
        state.ResumeTiming();
        page->site->Init(ctx, "page.bench$", Prototype());
        page->site->SetLanguage(9);
        page->site->ParameterSetChanged();
        state.PauseTiming();
        page->site->Release();
        page.reset();
        state.ResumeTiming();
    }
    state.counters["rows"] = static_cast<double>(paths.size());
}
BENCHMARK(BM_BindPage100)->Unit(benchmark::kMillisecond);

// One element change told to the open user interfaces, reaching a page of 100 rows.
void BM_ParameterChangedPage100(benchmark::State& state) {
    IDTMContext& ctx = Instance().Ctx();
    std::vector<std::string> paths = BlockElements(ctx, 99);
    const std::string changed = "FUNC/1/AO/READBACK/Value";
    paths.push_back(changed);
    std::unique_ptr<TestPage> page = PageOf(paths);
    page->Init(ctx);
    // The GUI list keeps the page weakly.
    const std::shared_ptr<IPrivateGUI> gui = page->MakeGui();
    if (!ctx.GUIManager().RegisterGUI("page.bench$", gui, false))
        throw std::runtime_error("the page was not registered");
    clsDataElement& element = ElementAt(ctx.Parameters(), changed);
    float value = 0;
    for (auto _ : state) {
        element.SetTransientValue(Variant(value += 0.5f));
        ctx.GUIManager().ParameterChanged(element, "");
    }
    if (!page->rows.back()->Value().looseEquals(Variant(value)))
        state.SkipWithError("the change did not reach the page");
    ctx.GUIManager().UnregisterGUI("page.bench$");
    page->Release();
}
BENCHMARK(BM_ParameterChangedPage100)->Unit(benchmark::kMicrosecond);

// One tick of a page's cyclic refresh: 20 rows showing members of 5 records, each record read
// and decoded, the rows shown anew with their dynamic icons.
void BM_CycleTick20Rows5Records(benchmark::State& state) {
    ConnectedInstance& in = Instance();
    IDTMContext& ctx = in.Ctx();
    const std::vector<std::string> paths = RecordMembers(ctx, 5);
    if (paths.size() != 20)
        throw std::runtime_error("fewer than five records of four members");
    std::unique_ptr<TestPage> page = PageOf(paths);
    page->Init(ctx);
    // The GUI list keeps the page weakly.
    const std::shared_ptr<IPrivateGUI> gui = page->MakeGui();
    if (!ctx.GUIManager().RegisterGUI("page.bench$", gui, false))
        throw std::runtime_error("the page was not registered");
    page->cycle->SetInterval(ctlCycle::kMinInterval);
    page->cycle->SetValue(1);
    in.loop->RunUntilIdle();
    for (auto _ : state)
        in.loop->Advance(ctlCycle::kMinInterval);
    const std::string icon = page->rows.front()->StatusIcon();
    if (page->cycle->Value() != 1 || (icon != "Dynamic1" && icon != "Dynamic2"))
        state.SkipWithError("the rows are not refreshed cyclically");
    ctx.GUIManager().UnregisterGUI("page.bench$");
    page->Release();
}
BENCHMARK(BM_CycleTick20Rows5Records)->Unit(benchmark::kMicrosecond);

// Opening the profile page of the Transducer Block (76 rows): the page made from its table, its
// Init with the registration, the binding of every row, the language and the first update.
void BM_OpenProfilTbAct(benchmark::State& state) {
    ConnectedInstance& in = Instance();
    size_t rows = 0;
    for (auto _ : state) {
        std::unique_ptr<PageBase> page = CreateParameterPage("ctlProfil_TB_Act");
        if (!page->Init("1.ctlProfil_TB_Act$", "", in.instance->dtm))
            throw std::runtime_error("ctlProfil_TB_Act did not open");
        state.PauseTiming();
        rows = page->Rows().size();
        page->PrepareToRelease();
        page.reset();
        state.ResumeTiming();
    }
    state.counters["rows"] = static_cast<double>(rows);
}
BENCHMARK(BM_OpenProfilTbAct)->Unit(benchmark::kMillisecond);

// A read of the profile page of the Analog Output block: the requests that reach the device
// per read, against the distinct elements and records behind the page's rows.
void BM_ReadProfilFbAo(benchmark::State& state) {
    ConnectedInstance& in = Instance();
    IDTMContext& ctx = in.Ctx();
    std::unique_ptr<PageBase> made = CreateParameterPage("ctlProfil_FB_AO");
    auto& page = dynamic_cast<ParameterPage&>(*made);
    if (!page.Init("1.ctlProfil_FB_AO$", "", in.instance->dtm))
        throw std::runtime_error("ctlProfil_FB_AO did not open");
    std::set<std::string> distinct;
    for (ctlParameter* row : page.Rows()) {
        IPrivateParamLink* link = page.Site()->GetParamLink(*row);
        clsDataElement* element = link ? AsDataElement(link->DataElement()) : nullptr;
        if (element == nullptr)
            continue;
        clsDataElement* parent = element->GetParentParameter(ctx.Parameters());
        clsDataElement& target = parent ? *parent : *element;
        if (target.IsUploadParam(ctx))
            distinct.insert(target.Name());
    }
    SimulatedPositioner& device = in.session->Device();
    size_t requests = 0;
    for (auto _ : state) {
        device.ClearLog();
        if (!page.ReadParameter())
            throw std::runtime_error("the read of ctlProfil_FB_AO did not start");
        in.loop->RunUntilIdle();
        requests = device.Log().size();
    }
    state.counters["requests"] = static_cast<double>(requests);
    state.counters["distinct"] = static_cast<double>(distinct.size());
    page.PrepareToRelease();
}
BENCHMARK(BM_ReadProfilFbAo)->Unit(benchmark::kMillisecond);
// One tick of ctlOpRCAS's cyclic refresh: its thirteen rows read as eight requests (records and
// elements of the Analog Output and Transducer Blocks), decoded, and the rows shown anew.
void BM_CycleTickOpRCAS(benchmark::State& state) {
    ConnectedInstance& in = Instance();
    std::unique_ptr<PageBase> page = CreateOnlinePage("ctlOpRCAS");
    if (!page->Init("1.ctlOpRCAS$", "", in.instance->dtm))
        throw std::runtime_error("ctlOpRCAS did not open");
    auto& cycling = dynamic_cast<CyclicParameterPage&>(*page);
    cycling.SetCycleTime(ctlCycle::kMinInterval);
    cycling.SetCyclicRefresh(1);
    in.loop->RunUntilIdle();
    SimulatedPositioner& device = in.session->Device();
    size_t requests = 0;
    for (auto _ : state) {
        state.PauseTiming();
        device.ClearLog();
        state.ResumeTiming();
        in.loop->Advance(ctlCycle::kMinInterval);
        state.PauseTiming();
        requests = device.Log().size();
        state.ResumeTiming();
    }
    state.counters["requests"] = static_cast<double>(requests);
    const std::string icon = page->Rows().front()->StatusIcon();
    if (cycling.Cycle()->Value() != 1 || (icon != "Dynamic1" && icon != "Dynamic2"))
        state.SkipWithError("ctlOpRCAS is not refreshed cyclically");
    page->PrepareToRelease();
}
BENCHMARK(BM_CycleTickOpRCAS)->Unit(benchmark::kMicrosecond);

// The frame's function call of a function.
std::string FunctionCallOf(IDTMContext& ctx, int32_t applicationId) {
    std::shared_ptr<IFunctionCall> call = NewFunctionCall();
    call->SetApplicationId(applicationId);
    return call->ToXml(ctx);
}

// Opening the main window for function 1: the window made and initialised (binding site, cycle,
// state pictures, headline, panes, the tree of the functions on offer with its texts, the first
// node selected). The registry holds no pages: their cost is their own.
void BM_OpenMainWindow(benchmark::State& state) {
    ConnectedInstance& in = Instance();
    const PageRegistry registry;
    const std::string call = FunctionCallOf(in.Ctx(), 1);
    for (auto _ : state) {
        auto window = std::make_unique<ctlNavigationMain>(nullptr, &registry);
        if (!window->Init("1", call, in.instance->dtm))
            state.SkipWithError("the main window did not open");
        state.PauseTiming();
        window->PrepareToRelease();
        window.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenMainWindow)->Unit(benchmark::kMillisecond);

// One tick of the main window's own cycle: the header and state elements read and decoded, the
// headline, the device state and the panes shown anew.
void BM_MainWindowCycleTick(benchmark::State& state) {
    ConnectedInstance& in = Instance();
    const PageRegistry registry;
    ctlNavigationMain window(nullptr, &registry);
    if (!window.Init("1", FunctionCallOf(in.Ctx(), 1), in.instance->dtm))
        throw std::runtime_error("the main window did not open");
    window.CycleControl().SetInterval(ctlCycle::kMinInterval);
    ICyclePane& cycle = window.NavigationControl().dtmInfo().Cycle();
    cycle.SetCyclicRefresh(1);
    in.loop->RunUntilIdle();
    window.NavigationControl().Headline().StdHeadline().SetPV("");
    for (auto _ : state)
        in.loop->Advance(ctlCycle::kMinInterval);
    if (window.CycleControl().Value() != 1 ||
        window.NavigationControl().Headline().StdHeadline().PV().empty())
        state.SkipWithError("the main window is not refreshed cyclically");
    cycle.SetCyclicRefresh(0);
    window.PrepareToRelease();
}
BENCHMARK(BM_MainWindowCycleTick)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kv::bench

int main(int argc, char** argv) {
    using namespace kv::bench;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return BenchMain(argc, argv, [](Summary& summary) {
        summary.Time("BM_BindPage100", "bind 100 rows (site Init, language, first update)", 10, Ms)
            .Time("BM_ParameterChangedPage100", "one ParameterChanged reaching a page of 100 rows",
                  50, Us)
            .Time("BM_CycleTick20Rows5Records",
                  "one cycle tick, 20 rows of 5 records, decode included", 1000, Us)
            .Time("BM_OpenProfilTbAct",
                  "open ctlProfil_TB_Act, 76 rows: create, Init, bind, language", 30, Ms)
            .Time("BM_OpenMainWindow", "open the main window for function 1 (view, tree, headline)",
                  30, Ms)
            .Time("BM_MainWindowCycleTick",
                  "main window's header tick, decode and headline included", 1000, Us)
            .Time("BM_CycleTickOpRCAS", "one cycle tick of ctlOpRCAS: 8 requests, decode, rows",
                  1000, Us);
        if (const Result* tick = summary.Find("BM_CycleTickOpRCAS"))
            summary.Add("  its DP-V1 requests per tick", tick->counters.at("requests"), "", 8);
        if (const Result* read = summary.Find("BM_ReadProfilFbAo")) {
            const double distinct = read->counters.at("distinct");
            summary
                .Time("BM_ReadProfilFbAo", "read of ctlProfil_FB_AO, the device included", -1, Ms)
                .Add("  its DP-V1 requests (at most one per element or record)",
                     read->counters.at("requests"), "", distinct)
                .Add("  distinct elements and records behind its rows", distinct, "", -1);
        }
        return ReportMisses(summary);
    });
}
