#include "frame/window/FrameWindowProgram.h"

#include <QApplication>
#include <QPixmap>
#include <cerrno>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <pugixml.hpp>

#include "dtm/DTMMain.h"
#include "frame/DeviceSession.h"
#include "frame/ExitStatus.h"
#include "frame/FrameWords.h"
#include "frame/ReferenceFrame.h"
#include "frame/ScriptedPrompt.h"
#include "frame/window/FrameWindow.h"
#include "frame/window/WindowPrompt.h"
#include "frame/window/WindowSettings.h"
#include "platform/controls/widgets/PageRegistry.h"
#include "platform/controls/widgets/QtEventLoop.h"
#include "platform/controls/widgets/QtText.h"
#include "platform/controls/widgets/ctlNavigation.h"
#include "platform/runtime/IFunctionCall.h"
#include "platform/runtime/ManualEventLoop.h"
#include "ui/framework/widgets/FrameworkUserInterfaces.h"
#include "ui/framework/widgets/ctlNavigationMain.h"
#include "ui/onlinepages/OnlinePages.h"
#include "ui/parameterpages/ParameterPages.h"

namespace kv {

namespace {

namespace fs = std::filesystem;

// The simulated control system moves the setpoint up and down once a minute, so that the valve
// travels while one watches.
constexpr int64_t kSetpointCycleMs = 60000;
// The main window as the pictures show it.
constexpr int kPictureWidth = 1180;
constexpr int kPictureHeight = 760;

std::shared_ptr<SimulatedPositioner> NewDevice(const WindowRun& run) {
    auto device = std::make_shared<SimulatedPositioner>(run.device);
    if (run.writeLocked)
        device->SetWriteLocked(true);
    return device;
}

// The frame with the program's user and language, and its project opened.
FrameInstance* OpenFrame(ReferenceFrame& frame, const WindowRun& run, const ProjectOpener& open) {
    frame.SetUserInformation(run.userInformation);
    frame.SetLanguage(run.language);
    return open(frame);
}

// Lets Qt run what it has queued, deferred deletions included.
void ProcessQtEvents() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
}

// The page nodes of a tree document in document order: key and the page's class.
std::vector<std::pair<std::string, std::string>> PageNodes(const std::string& tree) {
    std::vector<std::pair<std::string, std::string>> nodes;
    pugi::xml_document doc;
    if (!doc.load_string(tree.c_str()))
        return nodes;
    for (const pugi::xpath_node& found : doc.select_nodes("//node[@ctl != '']")) {
        const std::string progId = found.node().attribute("ctl").value();
        const size_t dot = progId.rfind('.');
        nodes.emplace_back(found.node().attribute("key").value(),
                           dot == std::string::npos ? progId : progId.substr(dot + 1));
    }
    return nodes;
}

// The trend that the archive page's picture shows: cycling every 500 ms for a minute of loop
// time while the simulated control system sweeps the setpoint faster than the valve can follow.
// Afterwards cycling, the interval and the setpoint stay as they were, so that the later
// pictures are not cycling.
class DemonstrationTrend {
  public:
    static constexpr int32_t kIntervalMs = 500;
    static constexpr int64_t kSetpointCycleMs = 12000;
    static constexpr int64_t kRecordMs = 60000;

    DemonstrationTrend(ctlNavigationMain& window, DeviceSession& session,
                       SimulatedPositioner& device)
        : cycle_(window.NavigationControl().dtmInfo().Cycle()),
          session_(session),
          device_(device),
          interval_(cycle_.Interval()) {}
    ~DemonstrationTrend() {
        cycle_.SetCyclicRefresh(0);
        cycle_.SetInterval(interval_);
        device_.SetSetpointCycle(0);
        session_.Settle();
        ProcessQtEvents();
    }
    DemonstrationTrend(const DemonstrationTrend&) = delete;
    DemonstrationTrend& operator=(const DemonstrationTrend&) = delete;

    void Record() {
        cycle_.SetInterval(kIntervalMs);
        device_.SetSetpointCycle(kSetpointCycleMs);
        cycle_.SetCyclicRefresh(1);
        session_.RunUntil([] { return false; }, kRecordMs);
        ProcessQtEvents();
    }

  private:
    ICyclePane& cycle_;
    DeviceSession& session_;
    SimulatedPositioner& device_;
    int32_t interval_;
};

}  // namespace

int RunFrameWindow(int& argc, char** argv, const WindowRun& run, const ProjectOpener& open) {
    QApplication app(argc, argv);
    RegisterFrameworkUserInterfaces(PageRegistry::Instance());
    RegisterParameterPages(PageRegistry::Instance());
    RegisterOnlinePages(PageRegistry::Instance());
    auto loop = std::make_shared<QtEventLoop>();
    auto prompt = std::make_shared<WindowPrompt>();
    ReferenceFrame frame(loop, prompt);
    FrameInstance* instance = OpenFrame(frame, run, open);
    if (instance == nullptr)
        return kExitProjectError;
    auto device = NewDevice(run);
    device->SetSetpointCycle(kSetpointCycleMs);
    int status = kExitDone;
    {
        FrameWindow window(frame, loop, device, prompt, run.project);
        window.KeepPaneWidthIn(WindowSettingsFile());
        window.show();
        status = app.exec();
        // A window closed by the system rather than by the user is released here.
        window.ReleaseAll();
    }
    ProcessQtEvents();
    if (run.atEnd)
        run.atEnd(frame, *loop);
    return status;
}

int RenderScreenshots(int& argc, char** argv, const WindowRun& run, const ProjectOpener& open,
                      const std::string& folder) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const FrameWords& words = FrameWordsOf(run.language);
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec || !fs::is_directory(folder)) {
        std::cerr << "kv6274pa-frame: "
                  << WithArguments(words.folderNotMade, folder,
                                   DescribeSystemError(ec ? ec.value() : ENOTDIR, words))
                  << "\n";
        return kExitCannotWrite;
    }
    RegisterFrameworkUserInterfaces(PageRegistry::Instance());
    RegisterParameterPages(PageRegistry::Instance());
    RegisterOnlinePages(PageRegistry::Instance());
    auto loop = std::make_shared<ManualEventLoop>();
    // Nobody answers questions: the device is the expected one and nothing is written.
    auto prompt = std::make_shared<ScriptedPrompt>(std::vector<int32_t>{}, mbaYes);
    ReferenceFrame frame(loop, prompt);
    FrameInstance* instance = OpenFrame(frame, run, open);
    if (instance == nullptr)
        return kExitProjectError;
    const std::shared_ptr<SimulatedPositioner> device = NewDevice(run);
    SetUpDemonstrationProcess(*device);
    DeviceSession session(loop, *instance, device);
    if (!session.SetCommunication() || !session.Connect()) {
        std::cerr << "kv6274pa-frame: " << words.deviceUnreachable << "\n";
        instance->dtm->PrepareToRelease();
        return kExitNotConnected;
    }
    if (session.Upload("upload-1") != std::optional<bool>(true)) {
        std::cerr << "kv6274pa-frame: " << words.uploadFailedMessage << "\n";
        session.Disconnect();
        instance->dtm->PrepareToRelease();
        return kExitTransferFailed;
    }

    int status = kExitDone;
    size_t written = 0;
    {
        ctlNavigationMain window(nullptr, &PageRegistry::Instance());
        std::shared_ptr<IFunctionCall> call = NewFunctionCall();
        call->SetApplicationId(1);
        const std::string document = call->ToXml(*instance->dtm->DTMContext());
        window.resize(kPictureWidth, kPictureHeight);
        if (!window.Init("1", document, instance->dtm)) {
            std::cerr << "kv6274pa-frame: " << words.mainWindowNotOpen << "\n";
            status = kExitProjectError;
        } else {
            window.show();
            ProcessQtEvents();
            ITreeHolder& tree = window.NavigationControl().devParameter().TreeHolder();
            for (const auto& [key, name] : PageNodes(tree.TreeXml())) {
                tree.SelectNode(key);
                session.Settle();
                ProcessQtEvents();
                std::optional<DemonstrationTrend> trend;
                if (name == "ctlArchive") {
                    trend.emplace(window, session, *device);
                    trend->Record();
                }
                const std::string file = (fs::path(folder) / (name + ".png")).string();
                if (!window.grab().save(ToQString(file), "PNG")) {
                    std::cerr << "kv6274pa-frame: " << WithArguments(words.pictureNotWritten, file)
                              << "\n";
                    status = kExitCannotWrite;
                    break;
                }
                ++written;
            }
            window.PrepareToRelease();
        }
    }
    ProcessQtEvents();
    session.Disconnect();
    instance->dtm->PrepareToRelease();
    std::cout << WithArguments(words.picturesWritten, std::to_string(written), folder) << "\n";
    if (run.atEnd)
        run.atEnd(frame, *loop);
    return status;
}

}  // namespace kv
