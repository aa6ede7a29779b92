// kv6274pa-frame: the reference frame as a terminal program. It opens (or creates) a project
// with one KV6274PA instance, connects it to the simulated positioner, lets the DTM check the
// device's identity, uploads every parameter, shows the device's identification and live
// values, saves the project and writes the instance's FDT parameter document beside it.

#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "core/clsDataElement.h"
#include "core/dtm/DTMMain.h"
#include "frame/DeviceSession.h"
#include "frame/FileWriting.h"
#include "frame/FrameWords.h"
#include "frame/ReferenceFrame.h"
#ifdef KV_FRAME_WINDOW
#include "frame/window/FrameWindowProgram.h"
#include "platform/controls/widgets/LastResort.h"
#endif
#include "platform/fdt/FdtFrameInterfaces.h"
#include "platform/os/ComponentFolder.h"
#include "platform/runtime/DTMDictionary.h"
#include "platform/runtime/ICommObject.h"
#include "platform/runtime/ICommunicationManager.h"
#include "platform/runtime/IDTMContext.h"
#include "platform/runtime/IDTMDictionary.h"
#include "platform/runtime/IParameters.h"
#include "platform/runtime/IPrivateDataElement.h"
#include "platform/runtime/IPrompt.h"
#include "platform/runtime/ManualEventLoop.h"
#include "sim/SimulatedPositioner.h"
#include "value/DiagnosticLog.h"
#include "value/NumberText.h"
#include "value/Text.h"

namespace kv {
namespace {

namespace fs = std::filesystem;

const char* const kDefaultProject = "kv6274pa-project.xml";
// The name of the DTM's dictionary files (<name>_<language>[_<part>].xml).
const char* const kDictionaryName = "DTMDictionary";
const char* const kSystemTag = "PV-101";
const char* const kDeviceType = "KV6274PA";
// Width of the first column of the program's own lines.
constexpr size_t kColumn = 20;
const char* const kUserInformation = R"(<FDT><UserInformation role="Maintenance"/></FDT>)";

enum ExitCode {
    kOk = 0,
    kUsage = 1,
    kProjectError = 2,
    kNotConnected = 3,
    kTransferFailed = 4,
    kSaveFailed = 5,
    kUnexpected = 6
};

enum class Answer { Ask, Yes, No };

struct Options {
    std::string project = kDefaultProject;
    int32_t language = langEnglish;
    // A language asked for that the DTM has no texts in; it then runs in English.
    std::string missingLanguage;
    bool trace = false;
    Answer identityAnswer = Answer::Ask;
    SimOptions device;
    bool writeLocked = false;
    // --gui: the frame's window; --screenshot: the main window's pictures into this folder.
    bool gui = false;
    std::string screenshotFolder;
};

const char* const kUsageText =
    "Usage: kv6274pa-frame [options]\n"
    "\n"
    "Opens the project (or creates it with one KV6274PA instance), connects the instance to a\n"
    "simulated KV6274 positioner, checks the device's identity, uploads every parameter, shows\n"
    "the device's identification and live values, saves the project and writes the instance's\n"
    "FDT parameter document beside it (<project>.parameters.xml).\n"
    "\n"
    "Options (a value may also be given as --option=value):\n"
    "  --project FILE          project file (default: ./kv6274pa-project.xml)\n"
    "  --language CODE         language of the DTM's and the program's texts: en or de\n"
    "                          (default: en); any other language code runs in English\n"
    "  --trace                 print every DP-V1 request (\"> read\", \"> write\") and every\n"
    "                          response (\"<\") with slot, index and data in hex, and at the\n"
    "                          end the diagnostic logs: the errors the DTM and its windows\n"
    "                          caught and swallowed\n"
    "  --yes, --no             answer the question whether a device that does not match the\n"
    "                          DTM is connected anyway; without either the question is asked on\n"
    "                          the terminal, and answered No when the input is no terminal\n"
    "  --gui                   open the frame's window instead: connect, upload and download,\n"
    "                          open the DTM's functions, change the language, save\n"
    "  --screenshot DIR        connect, upload and write a picture of the main window with\n"
    "                          each page of its navigation tree into DIR (ctlId.png, ...),\n"
    "                          rendered offscreen; the project is not saved\n"
    "\n"
    "The simulated device:\n"
    "  --device-id TEXT        its DEVICE_ID (default: KV6274)\n"
    "  --ident-number N        its PROFIBUS ident number (default: 0x0B5E)\n"
    "  --profile-revision N    its profile revision (default: 0x0300)\n"
    "  --write-locked          its WRITE_LOCKING is set to Locked\n"
    "  --hw-protected          its hardware write-protection switch is on\n"
    "\n"
    "  -h, --help              show this text\n"
    "\n"
    "Numbers may be given in decimal or, with 0x, in hexadecimal.\n"
    "Exit status: 0 done, 1 bad options, 2 dictionaries missing or damaged, or project cannot\n"
    "be read, created or written (checked before connecting), 3 device not connected, 4 upload\n"
    "failed, 5 project or document cannot be written, 6 unexpected error.\n";

// A whole number in 0..max, decimal or 0x-hexadecimal.
std::optional<uint32_t> ParseNumber(const std::string& text, uint32_t max) {
    if (text.empty() || text[0] == '-' || text[0] == '+')
        return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const unsigned long value = std::strtoul(text.c_str(), &end, 0);
    if (errno != 0 || end == nullptr || *end != '\0' || value > max)
        return std::nullopt;
    return static_cast<uint32_t>(value);
}

// A language code as ISO 639 writes it: two or three letters.
bool IsLanguageCode(const std::string& code) {
    if (code.size() < 2 || code.size() > 3)
        return false;
    for (char c : code) {
        if (!std::isalpha(static_cast<unsigned char>(c)))
            return false;
    }
    return true;
}

// Fills the options; false with the reason when they cannot be used.
bool ParseOptions(int argc, char** argv, Options& options, bool& help, std::string& error) {
    std::vector<std::string> args(argv + 1, argv + argc);
    for (size_t i = 0; i < args.size(); ++i) {
        std::string a = args[i];
        if (a.size() < 2 || a[0] != '-') {
            error = "unexpected argument \"" + a + "\" (the options begin with --)";
            return false;
        }
        // "--name=value" gives the value in the same argument.
        std::optional<std::string> inlineValue;
        if (const size_t eq = a.find('='); a.rfind("--", 0) == 0 && eq != std::string::npos) {
            inlineValue = a.substr(eq + 1);
            a = a.substr(0, eq);
        }
        auto value = [&](std::string& out) {
            if (inlineValue) {
                out = *inlineValue;
                return true;
            }
            if (i + 1 >= args.size()) {
                error = "the option " + a + " needs a value";
                return false;
            }
            const std::string& next = args[i + 1];
            if (next.size() > 1 && next[0] == '-') {
                error = "the option " + a + " needs a value, but the option " + next +
                        " follows it (write " + a + "=" + next + " for a value that begins with -)";
                return false;
            }
            out = args[++i];
            return true;
        };
        auto flag = [&] {
            if (inlineValue)
                error = "the option " + a + " takes no value";
            return !inlineValue;
        };
        std::string v;
        if (a == "-h" || a == "--help") {
            if (!flag())
                return false;
            help = true;
        } else if (a == "--project") {
            if (!value(options.project))
                return false;
            if (options.project.empty()) {
                error = "the project file name is empty";
                return false;
            }
        } else if (a == "--language") {
            if (!value(v))
                return false;
            const std::string code = ToLowerAscii(v);
            options.missingLanguage.clear();
            if (code == "en") {
                options.language = langEnglish;
            } else if (code == "de") {
                options.language = langGerman;
            } else if (IsLanguageCode(code)) {
                options.language = langEnglish;
                options.missingLanguage = v;
            } else {
                error = "\"" + v + "\" is no language code (such as en or de)";
                return false;
            }
        } else if (a == "--gui") {
            if (!flag())
                return false;
            options.gui = true;
        } else if (a == "--screenshot") {
            if (!value(options.screenshotFolder))
                return false;
            if (options.screenshotFolder.empty()) {
                error = "the folder of --screenshot is empty";
                return false;
            }
        } else if (a == "--trace") {
            if (!flag())
                return false;
            options.trace = true;
        } else if (a == "--yes" || a == "--no") {
            if (!flag())
                return false;
            const Answer answer = a == "--yes" ? Answer::Yes : Answer::No;
            if (options.identityAnswer != Answer::Ask && options.identityAnswer != answer) {
                error = "--yes and --no exclude each other";
                return false;
            }
            options.identityAnswer = answer;
        } else if (a == "--device-id") {
            if (!value(v))
                return false;
            if (v.size() > 16) {
                error = "the device id \"" + v + "\" is longer than 16 characters";
                return false;
            }
            options.device.deviceId = v;
        } else if (a == "--ident-number" || a == "--profile-revision") {
            if (!value(v))
                return false;
            const std::optional<uint32_t> n = ParseNumber(v, 0xFFFF);
            if (!n) {
                error = "the value \"" + v + "\" of " + a + " is no number from 0 to 65535";
                return false;
            }
            if (a == "--ident-number")
                options.device.identNumber = static_cast<uint16_t>(*n);
            else
                options.device.profileRevision = static_cast<uint16_t>(*n);
        } else if (a == "--write-locked") {
            if (!flag())
                return false;
            options.writeLocked = true;
        } else if (a == "--hw-protected") {
            if (!flag())
                return false;
            options.device.hardwareWriteProtection = true;
        } else {
            error = "unknown option \"" + a + "\"";
            return false;
        }
    }
    if (options.gui && !options.screenshotFolder.empty()) {
        error = "--gui and --screenshot exclude each other";
        return false;
    }
    return true;
}

// The message with %1 and %2 replaced.
std::string Format(const char* message, const std::string& a1, const std::string& a2 = "") {
    std::string text;
    for (const char* p = message; *p != '\0'; ++p) {
        if (p[0] == '%' && (p[1] == '1' || p[1] == '2')) {
            text += p[1] == '1' ? a1 : a2;
            ++p;
        } else {
            text += *p;
        }
    }
    return text;
}

void Fail(const std::string& message) {
    std::cerr << "kv6274pa-frame: " << message << "\n";
}

// The dictionary fault in the user's words.
std::string Describe(const DictionaryFault& fault, const FrameWords& words) {
    switch (fault.kind) {
        case DictionaryFault::kFolderMissing:
            return Format(words.dictionaryFolderMissing, fault.path);
        case DictionaryFault::kFileMissing:
            return Format(words.dictionaryFileMissing, fault.path);
        case DictionaryFault::kFileUnreadable:
            return Format(words.dictionaryFileUnreadable, fault.path, fault.detail);
        case DictionaryFault::kFileDamaged:
            return Format(words.dictionaryFileDamaged, fault.path, fault.detail);
    }
    return fault.message;
}

// Why a file cannot be written, in the user's words.
std::string Describe(const WriteFault& fault, const std::string& file, const FrameWords& words) {
    switch (fault.kind) {
        case WriteFault::kFolderMissing:
            return Format(words.folderMissing, fault.path, file);
        case WriteFault::kFolderNotWritable:
            return Format(words.folderNotWritable, fault.path, file);
        case WriteFault::kNotAFile:
            return Format(words.notAFile, file);
        case WriteFault::kReadOnly:
            return Format(words.readOnly, file);
    }
    return fault.message;
}

bool IsTerminal(int fd) {
    return ::isatty(fd) == 1;
}

// Messages and questions of the DTM on the terminal.
class TerminalPrompt : public IPrompt {
  public:
    TerminalPrompt(Answer answer, const FrameWords& words) : answer_(answer), words_(words) {}
    void ShowMessage(const std::string& text) override {
        ++shown;
        Print(text);
    }
    // How many questions and messages were shown.
    int shown = 0;

    int32_t Ask(const std::string& prompt, int32_t style) override {
        ++shown;
        if ((style & 0xF) == mbsOkOnly) {
            Print(prompt);
            return mbaOk;
        }
        std::cout << "\n" << Indented(prompt) << " " << words_.question << " " << std::flush;
        if (answer_ != Answer::Ask || !IsTerminal(STDIN_FILENO)) {
            const bool yes = answer_ == Answer::Yes;
            std::cout << (yes ? words_.answerYes : words_.answerNo)
                      << (answer_ == Answer::Ask ? std::string(" ") + words_.noTerminal : "")
                      << "\n";
            return yes ? mbaYes : mbaNo;
        }
        std::string line;
        if (!std::getline(std::cin, line)) {
            std::cout << "\n";
            return mbaNo;
        }
        // Yes is the default button of the question boxes that go on unless refused.
        const bool noDefault = (style & 0x300) != 0;
        if (line.empty())
            return noDefault ? mbaNo : mbaYes;
        const char c = line[0];
        return (c == 'y' || c == 'Y' || c == 'j' || c == 'J') ? mbaYes : mbaNo;
    }

  private:
    static std::string Indented(const std::string& text) {
        std::string out = "  ";
        for (char c : text) {
            out.push_back(c);
            if (c == '\n')
                out += "  ";
        }
        return out;
    }
    static void Print(const std::string& text) { std::cout << "\n" << Indented(text) << "\n"; }

    Answer answer_;
    const FrameWords& words_;
};

// Columns are counted in characters, not bytes.
size_t Width(const std::string& text) {
    size_t n = 0;
    for (unsigned char c : text)
        n += (c & 0xC0) != 0x80 ? 1 : 0;
    return n;
}

std::string Pad(const std::string& text, size_t width) {
    const size_t w = Width(text);
    return w >= width ? text + " " : text + std::string(width - w, ' ');
}

struct Row {
    std::string label;
    std::string value;
};

// The width of the label column of the tables.
size_t LabelWidth(const std::vector<std::vector<Row>>& tables) {
    size_t width = kColumn - 4;
    for (const auto& rows : tables) {
        for (const Row& r : rows)
            width = std::max(width, Width(r.label));
    }
    return width;
}

void PrintRows(const std::string& heading, const std::vector<Row>& rows, size_t width) {
    std::cout << "\n" << heading << "\n";
    for (const Row& r : rows)
        std::cout << "  " << Pad(r.label, width + 2) << r.value << "\n";
}

// Reads the values the DTM holds for the instance.
class Values {
  public:
    Values(IDTMContext& context, const NumberLocale& locale) : context_(context), locale_(locale) {}

    clsDataElement* Find(const std::string& path) const {
        IPrivateDataElement* e = context_.Parameters().Item(path);
        return e != nullptr ? &AsDataElement(*e) : nullptr;
    }
    std::string Label(const std::string& path, const std::string& fallback) const {
        clsDataElement* e = Find(path);
        return e != nullptr && !e->Label.str().empty() ? e->Label.str() : fallback;
    }
    Row Text(const std::string& path, const std::string& fallback) const {
        clsDataElement* e = Find(path);
        std::string value = "-";
        if (e != nullptr) {
            value = std::string(TrimRight(e->TransientValue().toString()));
        }
        return {Label(path, fallback), value};
    }
    // A number with its unit, and the status of the record when it has one.
    Row Number(const std::string& path, const std::string& statusPath,
               const std::string& fallback) const {
        clsDataElement* e = Find(path);
        std::string value = "-";
        if (e != nullptr) {
            try {
                const double v = e->TransientValue().toDouble();
                value = std::isfinite(v) ? FormatNumber(v, "0.00", locale_) : "invalid";
                const std::string unit = e->UnitString(context_);
                if (!unit.empty())
                    value += " " + unit;
            } catch (const std::exception&) {
                value = "-";  // a value that is no number
            }
        }
        if (!statusPath.empty()) {
            const std::string status = Listed(statusPath);
            if (!status.empty() && status != "-")
                value = Pad(value, 12) + "(" + status + ")";
        }
        return {Label(path, fallback), value};
    }
    // The text of a value from the element's value list; the number when the list has none.
    std::string Listed(const std::string& path) const {
        clsDataElement* e = Find(path);
        if (e == nullptr)
            return "-";
        try {
            const int32_t v = e->TransientValue().toLong();
            const std::string text = e->GetStrValueFromIdxList(v);
            return text.empty() ? std::to_string(v) : text;
        } catch (const std::exception&) {
            return "-";  // a value that is no number
        }
    }
    Row Choice(const std::string& path, const std::string& fallback) const {
        return {Label(path, fallback), Listed(path)};
    }
    // The labels of the members of a bit record that are set.
    Row Active(const std::string& record, const std::string& fallback,
               const std::string& none) const {
        std::string value;
        for (IPrivateDataElement* m : context_.Parameters().RecordMembers(record)) {
            try {
                if (m->TransientValue().toLong() != 0) {
                    const clsDataElement& e = AsDataElement(*m);
                    value += (value.empty() ? "" : ", ") + e.Label.str();
                }
            } catch (const std::exception&) {
                // A member whose value is no number counts as not set.
            }
        }
        return {Label(record, fallback), value.empty() ? none : value};
    }

  private:
    IDTMContext& context_;
    NumberLocale locale_;
};

// The document's name: the project's name with ".parameters.xml" in place of its extension.
std::string DocumentPath(const std::string& project) {
    fs::path p(project);
    p.replace_extension();
    return p.string() + ".parameters.xml";
}

// Draws the upload's progress on the terminal.
class ProgressBar {
  public:
    ProgressBar(const std::string& title, bool live) : title_(title), live_(live) {}
    void Show(int32_t percent) {
        percent = std::clamp(percent, 0, 100);
        if (percent == shown_)
            return;
        shown_ = percent;
        if (live_)
            std::cout << "\r" << Line() << std::flush;
    }
    void Finish(const std::string& tail) {
        if (live_)
            std::cout << "\r";
        std::cout << Line() << "  " << tail << "\n";
    }

  private:
    std::string Line() const {
        constexpr int kWidth = 40;
        const int filled = std::max(shown_, 0) * kWidth / 100;
        char percent[16];
        std::snprintf(percent, sizeof percent, "%3d %%", std::max(shown_, 0));
        return Pad(title_, kColumn) + "[" + std::string(filled, '#') +
               std::string(kWidth - filled, '.') + "] " + percent;
    }
    std::string title_;
    bool live_;
    int32_t shown_ = -1;
};

std::string Hex4(uint32_t v) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%04X", v);
    return buffer;
}

// Prints a diagnostic log, one line per entry; false when it is empty.
bool PrintDiagnostics(const std::string& owner, const DiagnosticLog& log) {
    if (log.Empty())
        return false;
    for (const DiagnosticLog::Entry& e : log.Entries())
        std::cout << "diagnostic log (" << owner << "): " << e.where << ": " << e.what << "\n";
    if (log.Dropped() > 0)
        std::cout << "diagnostic log (" << owner << "): " << log.Dropped() << " more\n";
    return true;
}

// Prints the log of the widgets (of a build with the window); false when it is empty.
bool PrintWidgetDiagnostics() {
#ifdef KV_FRAME_WINDOW
    return PrintDiagnostics("widgets", WidgetDiagnostics());
#else
    return false;
#endif
}

// The diagnostic logs of the instances, of the loop and of the widgets (--trace).
void PrintDiagnosticLogs(const ReferenceFrame& frame, const IEventLoop& loop) {
    bool any = false;
    for (const auto& instance : frame.Instances()) {
        if (const auto context = instance->dtm->DTMContext())
            any = PrintDiagnostics(instance->systemTag, context->Diagnostics()) || any;
    }
    any = PrintDiagnostics("event loop", loop.Diagnostics()) || any;
    any = PrintWidgetDiagnostics() || any;
    if (!any)
        std::cout << "diagnostic log: empty\n";
}

// With --trace: the diagnostic logs, printed when the run ends whichever way it ends.
class DiagnosticsReport {
  public:
    DiagnosticsReport(bool enabled, const ReferenceFrame& frame, const IEventLoop& loop)
        : enabled_(enabled), frame_(frame), loop_(loop) {}
    ~DiagnosticsReport() {
        if (enabled_)
            PrintDiagnosticLogs(frame_, loop_);
    }
    DiagnosticsReport(const DiagnosticsReport&) = delete;
    DiagnosticsReport& operator=(const DiagnosticsReport&) = delete;

  private:
    bool enabled_;
    const ReferenceFrame& frame_;
    const IEventLoop& loop_;
};

// What the program writes besides the pictures of --screenshot.
enum class Writes { ProjectAndDocument, Project, Nothing };

// What keeps the program from starting its work, checked before it connects: the dictionaries
// of the languages in use, and the files it will write. False after the message.
bool CanStart(const Options& options, const FrameWords& words, Writes writes) {
    if (!options.missingLanguage.empty()) {
        std::cerr << "kv6274pa-frame: the DTM has no texts in \"" << options.missingLanguage
                  << "\"; it runs in English.\n";
    }
    std::vector<int32_t> languages{langEnglish};
    if (options.language != langEnglish)
        languages.push_back(options.language);
    if (const std::optional<DictionaryFault> fault =
            DTMDictionary::CheckFolder(os::XmlDataFolder(), kDictionaryName, languages)) {
        Fail(Describe(*fault, words));
        std::cerr << words.dictionaryHint << "\n";
        return false;
    }
    std::vector<std::string> files;
    if (writes != Writes::Nothing)
        files.push_back(options.project);
    if (writes == Writes::ProjectAndDocument)
        files.push_back(DocumentPath(options.project));
    for (const std::string& file : files) {
        if (const std::optional<WriteFault> fault = CheckWritable(file)) {
            Fail(Describe(*fault, file, words));
            return false;
        }
    }
    return true;
}

// The project: opened when it exists, else created with one instance. nullptr after the
// message.
FrameInstance* OpenProject(const Options& options, ReferenceFrame& frame, bool& existed) {
    std::string error;
    existed = fs::exists(options.project);
    if (existed && !frame.LoadProject(options.project, error)) {
        Fail(error);
        return nullptr;
    }
    FrameInstance* instance = frame.Instances().empty() ? nullptr : frame.Instances().front().get();
    if (instance == nullptr) {
        instance = frame.AddInstance(kSystemTag, kDeviceType, error);
        if (instance == nullptr)
            Fail(error);
    }
    return instance;
}

int Run(const Options& options) {
    const FrameWords& words = FrameWordsOf(options.language);
    if (!CanStart(options, words, Writes::ProjectAndDocument))
        return kProjectError;
    auto loop = std::make_shared<ManualEventLoop>();
    auto prompt = std::make_shared<TerminalPrompt>(options.identityAnswer, words);
    ReferenceFrame frame(loop, prompt);
    const DiagnosticsReport report(options.trace, frame, *loop);
    frame.SetUserInformation(kUserInformation);
    frame.SetLanguage(options.language);

    bool exists = false;
    FrameInstance* instance = OpenProject(options, frame, exists);
    if (instance == nullptr)
        return kProjectError;
    std::cout << Pad(words.project, kColumn) << options.project << " ("
              << (exists ? words.opened : words.created) << ", " << instance->systemTag << ")\n";

    auto device = std::make_shared<SimulatedPositioner>(options.device);
    if (options.writeLocked)
        device->SetRecord(0, 34, {0x00, 0x00});
    std::cout << Pad(words.device, kColumn) << words.simulated << " " << options.device.deviceId
              << ", " << words.identNumber << " " << Hex4(options.device.identNumber) << ", "
              << words.profileRevision << " " << Hex4(options.device.profileRevision) << "\n";
    SetUpDemonstrationProcess(*device);

    DeviceSession session(loop, *instance, device);
    if (options.trace)
        session.Channel().SetTrace([](const std::string& line) { std::cout << line << "\n"; });

    DTMMain& dtm = *instance->dtm;
    IDTMContext& context = *dtm.DTMContext();
    if (!session.SetCommunication()) {
        Fail(words.channelRefusedMessage);
        return kNotConnected;
    }
    std::cout << Pad(words.connectingTitle, kColumn) << "..." << (options.trace ? "\n" : "")
              << std::flush;
    if (!session.Connect()) {
        const int32_t code = context.CommunicationManager().CommObject()->ErrorCode();
        std::cout << "\n";
        Fail(code == cecRefused ? words.deviceRefusedMessage : words.deviceUnreachable);
        dtm.ReleaseCommunication();
        dtm.PrepareToRelease();
        return kNotConnected;
    }
    if (prompt->shown == 0 && !options.trace)
        std::cout << " " << words.identityChecked << "\n";
    else if (prompt->shown == 0)
        std::cout << Pad("", kColumn) << words.identityChecked << "\n";
    else
        std::cout << Pad("", kColumn) << words.accepted << "\n";

    // Upload of the whole data set, with its progress.
    FrameContainer& container = *instance->container;
    ProgressBar bar(words.upload, IsTerminal(STDOUT_FILENO) && !options.trace);
    session.SetStepHook([&] {
        const auto& events = container.Recorded();
        for (auto it = events.rbegin(); it != events.rend(); ++it) {
            if (it->kind == "OnProgress") {
                bar.Show(it->percent);
                break;
            }
        }
    });
    device->ClearLog();
    container.ClearRecorded();
    const std::optional<bool> uploaded = session.Upload("upload-1");
    session.SetStepHook(nullptr);
    size_t reads = 0;
    for (const Dpv1Request& r : device->Log())
        reads += r.write ? 0 : 1;
    if (uploaded != std::optional<bool>(true)) {
        bar.Finish("");
        Fail(uploaded ? words.uploadFailedMessage : words.uploadNotStarted);
        session.Disconnect();
        dtm.PrepareToRelease();
        return kTransferFailed;
    }
    bar.Show(100);
    bar.Finish(std::to_string(reads) + " " + words.parametersRead);

    // Numbers as the user's language writes them: a decimal comma in German.
    const Values values(context, options.language == langGerman ? NumberLocale{',', '.'}
                                                                : NumberLocale::Invariant());
    const std::vector<Row> identification = {
        values.Text("PHYS/TAG_DESC", "Tag"), values.Text("PHYS/DEVICE_ID", "Device ID"),
        values.Text("PHYS/DEVICE_SER_NUM", "Serial number"),
        values.Text("PHYS/SOFTWARE_REVISION", "Software revision"),
        values.Text("PHYS/HARDWARE_REVISION", "Hardware revision")};
    const std::vector<Row> live = {
        values.Number("FUNC/1/AO/SP/Value", "FUNC/1/AO/SP/Status", "Setpoint"),
        values.Number("FUNC/1/AO/READBACK/Value", "FUNC/1/AO/READBACK/Status", "Actual position"),
        values.Number("TRANS/1/Act/FEEDBACK_VALUE/Value", "TRANS/1/Act/FEEDBACK_VALUE/Status",
                      "Feedback value"),
        values.Choice("FUNC/1/AO/POS_D/Value", "Discrete position"),
        values.Choice("FUNC/1/AO/TARGET_MODE", "Target mode"),
        values.Choice("FUNC/1/AO/MODE_BLK/Actual", "Actual mode"),
        values.Active("PHYS/DIAGNOSIS/", "Diagnosis", words.noDiagnosis),
        values.Choice("PHYS/WRITE_LOCKING", "Write locking"),
        values.Choice("PHYS/HW_WRITE_PROTECTION", "Hardware write protection")};
    const size_t width = LabelWidth({identification, live});
    PrintRows(words.identification, identification, width);
    PrintRows(words.liveValues, live, width);

    // The project and the parameter document.
    std::string error;
    int result = kOk;
    std::cout << "\n";
    if (frame.SaveProject(options.project, error)) {
        std::cout << Pad(words.savedTitle, kColumn) << options.project << "\n";
    } else {
        Fail(error);
        result = kSaveFailed;
    }
    const std::string document = dtm.GetParameters("");
    const std::string documentPath = DocumentPath(options.project);
    if (document.empty()) {
        Fail(words.noDocument);
        result = kSaveFailed;
    } else if (WriteFileInPlace(documentPath, document, error)) {
        std::cout << Pad(words.document, kColumn) << documentPath << "\n";
    } else {
        Fail(error);
        result = kSaveFailed;
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
        return kProjectError;
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

}  // namespace
}  // namespace kv

int main(int argc, char** argv) {
    kv::Options options;
    bool help = false;
    std::string error;
    if (!kv::ParseOptions(argc, argv, options, help, error)) {
        std::cerr << "kv6274pa-frame: " << error << "\n"
                  << "Try 'kv6274pa-frame --help'.\n";
        return kv::kUsage;
    }
    if (help) {
        std::cout << kv::kUsageText;
        return kv::kOk;
    }
    const kv::FrameWords& words = kv::FrameWordsOf(options.language);
    try {
        if (options.gui || !options.screenshotFolder.empty()) {
#ifdef KV_FRAME_WINDOW
            return kv::RunWindowed(argc, argv, options);
#else
            kv::Fail("this build has no window (it was built without the user interface).");
            return kv::kUsage;
#endif
        }
        return kv::Run(options);
    } catch (const std::exception& e) {
        kv::Fail(std::string(words.unexpected) + ": " + e.what());
    } catch (...) {
        kv::Fail(std::string(words.unexpected) + ".");
    }
    return kv::kUnexpected;
}
