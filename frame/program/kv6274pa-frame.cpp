// kv6274pa-frame: the reference frame as a terminal program. It opens (or creates) a project
// with one KV6274PA instance, connects it to the simulated positioner, lets the DTM check the
// device's identity, uploads every parameter, shows the device's identification and live
// values, saves the project and writes the instance's FDT parameter document beside it.

#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "dtm/DTMMain.h"
#include "frame/DeviceSession.h"
#include "frame/ExitStatus.h"
#include "frame/FileWriting.h"
#include "frame/FrameWords.h"
#include "frame/ReferenceFrame.h"
#include "frame/program/DiagnosticsReport.h"
#include "frame/program/ProgramOptions.h"
#include "frame/program/ProgressBar.h"
#include "frame/program/StartCheck.h"
#include "frame/program/Terminal.h"
#include "frame/program/TerminalPrompt.h"
#include "frame/program/ValueTable.h"
#ifdef KV_FRAME_WINDOW
#include "frame/window/FrameWindowProgram.h"
#endif
#include "platform/fdt/FdtFrameInterfaces.h"
#include "platform/runtime/ICommObject.h"
#include "platform/runtime/ICommunicationManager.h"
#include "platform/runtime/IDTMContext.h"
#include "platform/runtime/ManualEventLoop.h"
#include "sim/SimulatedPositioner.h"

namespace kv::program {
namespace {

namespace fs = std::filesystem;

const char* const kSystemTag = "PV-101";
const char* const kDeviceType = "KV6274PA";
const char* const kUserInformation = R"(<FDT><UserInformation role="Maintenance"/></FDT>)";

std::string Hex4(uint32_t v) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%04X", v);
    return buffer;
}

// The project: opened when it exists, else created with one instance. nullptr after the
// message.
FrameInstance* OpenProject(const Options& options, ReferenceFrame& frame, bool& existed) {
    const FrameWords& words = FrameWordsOf(options.language);
    FrameFault fault;
    existed = fs::exists(options.project);
    if (existed && !frame.LoadProject(options.project, fault)) {
        Fail(Describe(fault, words));
        return nullptr;
    }
    FrameInstance* instance = frame.Instances().empty() ? nullptr : frame.Instances().front().get();
    if (instance == nullptr) {
        instance = frame.AddInstance(kSystemTag, kDeviceType, fault);
        if (instance == nullptr)
            Fail(Describe(fault, words));
    }
    return instance;
}

// The project opened or created, told on the terminal; nullptr after the message.
FrameInstance* ShowProject(const Options& options, const FrameWords& words, ReferenceFrame& frame) {
    bool exists = false;
    FrameInstance* instance = OpenProject(options, frame, exists);
    if (instance != nullptr) {
        std::cout << Pad(words.project, kColumn) << options.project << " ("
                  << (exists ? words.opened : words.created) << ", " << instance->systemTag
                  << ")\n";
    }
    return instance;
}

// The simulated device as the options set it up, told on the terminal.
std::shared_ptr<SimulatedPositioner> ShowDevice(const Options& options, const FrameWords& words) {
    auto device = std::make_shared<SimulatedPositioner>(options.device);
    if (options.writeLocked)
        device->SetRecord(0, 34, {0x00, 0x00});
    std::cout << Pad(words.device, kColumn) << words.simulated << " " << options.device.deviceId
              << ", " << words.identNumber << " " << Hex4(options.device.identNumber) << ", "
              << words.profileRevision << " " << Hex4(options.device.profileRevision) << "\n";
    SetUpDemonstrationProcess(*device);
    return device;
}

// Connects the instance to the device and tells how its identity was checked. False after the
// message; the DTM is then released when the device did not answer or refused.
bool Connect(DeviceSession& session, DTMMain& dtm, const TerminalPrompt& prompt,
             const Options& options, const FrameWords& words) {
    if (!session.SetCommunication()) {
        Fail(words.channelRefusedMessage);
        return false;
    }
    std::cout << Pad(words.connectingTitle, kColumn) << "..." << (options.trace ? "\n" : "")
              << std::flush;
    if (!session.Connect()) {
        const int32_t code = dtm.DTMContext()->CommunicationManager().CommObject()->ErrorCode();
        std::cout << "\n";
        Fail(code == cecRefused ? words.deviceRefusedMessage : words.deviceUnreachable);
        dtm.ReleaseCommunication();
        dtm.PrepareToRelease();
        return false;
    }
    if (prompt.shown == 0 && !options.trace)
        std::cout << " " << words.identityChecked << "\n";
    else if (prompt.shown == 0)
        std::cout << Pad("", kColumn) << words.identityChecked << "\n";
    else
        std::cout << Pad("", kColumn) << words.accepted << "\n";
    return true;
}

// Uploads the whole data set with its progress and the number of parameters read; false after
// the message.
bool Upload(DeviceSession& session, FrameInstance& instance, SimulatedPositioner& device,
            const Options& options, const FrameWords& words) {
    FrameContainer& container = *instance.container;
    ProgressBar bar(words.upload, IsTerminal(STDOUT_FILENO) && !options.trace);
    // The bar shows the last progress reported, once per slice of the loop.
    std::optional<int32_t> percent;
    const size_t observer = container.AddEventObserver([&percent](const FrameEvent& event) {
        if (event.kind == FrameEvent::kProgress)
            percent = event.percent;
    });
    session.SetStepHook([&] {
        if (percent)
            bar.Show(*percent);
    });
    device.ClearLog();
    const std::optional<bool> uploaded = session.Upload("upload-1");
    session.SetStepHook(nullptr);
    container.RemoveEventObserver(observer);
    size_t reads = 0;
    for (const Dpv1Request& r : device.Log())
        reads += r.write ? 0 : 1;
    if (uploaded != std::optional<bool>(true)) {
        bar.Finish("");
        Fail(uploaded ? words.uploadFailedMessage : words.uploadNotStarted);
        return false;
    }
    bar.Show(100);
    bar.Finish(std::to_string(reads) + " " + words.parametersRead);
    return true;
}

// Saves the project and writes the parameter document beside it; the exit status.
int SaveProjectAndDocument(ReferenceFrame& frame, DTMMain& dtm, const Options& options,
                           const FrameWords& words) {
    FrameFault fault;
    int result = kExitDone;
    std::cout << "\n";
    if (frame.SaveProject(options.project, fault)) {
        std::cout << Pad(words.savedTitle, kColumn) << options.project << "\n";
    } else {
        Fail(Describe(fault, words));
        result = kExitCannotWrite;
    }
    const std::string document = dtm.GetParameters("");
    const std::string documentPath = DocumentPath(options.project);
    if (document.empty()) {
        Fail(words.noDocument);
        result = kExitCannotWrite;
    } else if (WriteFileInPlace(documentPath, document, fault)) {
        std::cout << Pad(words.document, kColumn) << documentPath << "\n";
    } else {
        Fail(Describe(fault, words));
        result = kExitCannotWrite;
    }
    return result;
}

// The terminal run: connect, upload, show the values, save; the exit status.
int Run(const Options& options) {
    const FrameWords& words = FrameWordsOf(options.language);
    if (!CanStart(options, words, Writes::ProjectAndDocument))
        return kExitProjectError;
    auto loop = std::make_shared<ManualEventLoop>();
    auto prompt = std::make_shared<TerminalPrompt>(options.identityAnswer, words);
    ReferenceFrame frame(loop, prompt);
    const DiagnosticsReport report(options.trace, frame, *loop);
    frame.SetUserInformation(kUserInformation);
    frame.SetLanguage(options.language);

    FrameInstance* instance = ShowProject(options, words, frame);
    if (instance == nullptr)
        return kExitProjectError;
    const std::shared_ptr<SimulatedPositioner> device = ShowDevice(options, words);
    DeviceSession session(loop, *instance, device);
    if (options.trace)
        session.Channel().SetTrace([](const std::string& line) { std::cout << line << "\n"; });
    DTMMain& dtm = *instance->dtm;
    if (!Connect(session, dtm, *prompt, options, words))
        return kExitNotConnected;

    int result = kExitTransferFailed;
    if (Upload(session, *instance, *device, options, words)) {
        PrintDeviceValues(*dtm.DTMContext(), words);
        result = SaveProjectAndDocument(frame, dtm, options, words);
    }
    session.Disconnect();
    dtm.PrepareToRelease();
    return result;
}

#ifdef KV_FRAME_WINDOW
// --gui and --screenshot: the project opened as the terminal run opens it.
int RunWindowed(int& argc, char** argv, const Options& options) {
    const bool pictures = !options.screenshotFolder.empty();
    if (!CanStart(options, FrameWordsOf(options.language),
                  pictures ? Writes::Nothing : Writes::Project))
        return kExitProjectError;
    WindowRun run{options.project, options.language,    kUserInformation,
                  options.device,  options.writeLocked, {}};
    if (options.trace)
        run.atEnd = PrintDiagnosticLogs;
    const ProjectOpener open = [&](ReferenceFrame& frame) {
        bool existed = false;
        return OpenProject(options, frame, existed);
    };
    const int status = pictures ? RenderScreenshots(argc, argv, run, open, options.screenshotFolder)
                                : RunFrameWindow(argc, argv, run, open);
    return status;
}
#endif

// The options, then the run they ask for; an exception that ends it is told in the user's words.
int Main(int& argc, char** argv) {
    Options options;
    bool help = false;
    std::string error;
    if (!ParseOptions(argc, argv, options, help, error)) {
        std::cerr << "kv6274pa-frame: " << error << "\n"
                  << "Try 'kv6274pa-frame --help'.\n";
        return kExitUsage;
    }
    if (help) {
        std::cout << UsageText();
        return kExitDone;
    }
    const FrameWords& words = FrameWordsOf(options.language);
    try {
        if (options.gui || !options.screenshotFolder.empty()) {
#ifdef KV_FRAME_WINDOW
            return RunWindowed(argc, argv, options);
#else
            Fail(words.noWindow);
            return kExitUsage;
#endif
        }
        return Run(options);
    } catch (const std::exception& e) {
        Fail(AsSentence(std::string(words.unexpected) + ": " + e.what()));
    } catch (...) {
        Fail(std::string(words.unexpected) + ".");
    }
    return kExitUnexpected;
}

}  // namespace
}  // namespace kv::program

int main(int argc, char** argv) {
    // A write past the file size limit fails (EFBIG) and its save is refused and told, instead
    // of the signal ending the program with the user's edits.
    std::signal(SIGXFSZ, SIG_IGN);
    return kv::program::Main(argc, argv);
}
