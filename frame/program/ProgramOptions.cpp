#include "frame/program/ProgramOptions.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <optional>
#include <string_view>
#include <vector>

#include "value/Text.h"

namespace kv::program {

namespace {

// The text of --help before and after the options.
const char* const kUsageHead =
    "Usage: kv6274pa-frame [options]\n"
    "\n"
    "Opens the project (or creates it with one KV6274PA instance), connects the instance to a\n"
    "simulated KV6274 positioner, checks the device's identity, uploads every parameter, shows\n"
    "the device's identification and live values, saves the project and writes the instance's\n"
    "FDT parameter document beside it (<project>.parameters.xml).\n"
    "\n"
    "Options (a value may also be given as --option=value):\n";
const char* const kUsageEnd =
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

// Where an option is listed in --help.
enum class Section { Run, Device, Help };

// What parsing fills.
struct Parsed {
    Options& options;
    bool& help;
    std::string& error;
};

// A 16-bit number as the value of the option `name`.
bool ParseWord(Parsed& parsed, const std::string& name, const std::string& text, uint16_t& out) {
    const std::optional<uint32_t> n = ParseNumber(text, 0xFFFF);
    if (!n) {
        parsed.error = "the value \"" + text + "\" of " + name + " is no number from 0 to 65535";
        return false;
    }
    out = static_cast<uint16_t>(*n);
    return true;
}

// A switch that sets its flag of the options.
template <bool Options::*Flag>
bool SetSwitch(Parsed& parsed, const std::string&, const std::string&) {
    parsed.options.*Flag = true;
    return true;
}

// One option: its names, the name of its value (none for a switch), its lines in --help and
// what it does with its value; false with the reason when the value cannot be used.
struct OptionSpec {
    std::vector<std::string> names;
    const char* valueName;
    const char* help;
    Section section;
    bool (*apply)(Parsed& parsed, const std::string& name, const std::string& value);
};

const std::vector<OptionSpec>& OptionTable() {
    static const std::vector<OptionSpec> table = {
        {{"--project"},
         "FILE",
         "project file (default: ./kv6274pa-project.xml)",
         Section::Run,
         [](Parsed& p, const std::string&, const std::string& v) {
             if (v.empty()) {
                 p.error = "the project file name is empty";
                 return false;
             }
             p.options.project = v;
             return true;
         }},
        {{"--language"},
         "CODE",
         "language of the DTM's and the program's texts: en or de\n"
         "(default: en); any other language code runs in English",
         Section::Run,
         [](Parsed& p, const std::string&, const std::string& v) {
             const std::string code = ToLowerAscii(v);
             p.options.missingLanguage.clear();
             if (code == "en") {
                 p.options.language = langEnglish;
             } else if (code == "de") {
                 p.options.language = langGerman;
             } else if (IsLanguageCode(code)) {
                 p.options.language = langEnglish;
                 p.options.missingLanguage = v;
             } else {
                 p.error = "\"" + v + "\" is no language code (such as en or de)";
                 return false;
             }
             return true;
         }},
        {{"--trace"},
         nullptr,
         "print every DP-V1 request (\"> read\", \"> write\") and every\n"
         "response (\"<\") with slot, index and data in hex, and at the\n"
         "end the diagnostic logs: the errors the DTM and its windows\n"
         "caught and swallowed",
         Section::Run,
         SetSwitch<&Options::trace>},
        {{"--yes", "--no"},
         nullptr,
         "answer the question whether a device that does not match the\n"
         "DTM is connected anyway; without either the question is asked on\n"
         "the terminal, and answered No when the input is no terminal",
         Section::Run,
         [](Parsed& p, const std::string& name, const std::string&) {
             const Answer answer = name == "--yes" ? Answer::Yes : Answer::No;
             if (p.options.identityAnswer != Answer::Ask && p.options.identityAnswer != answer) {
                 p.error = "--yes and --no exclude each other";
                 return false;
             }
             p.options.identityAnswer = answer;
             return true;
         }},
        {{"--gui"},
         nullptr,
         "open the frame's window instead: connect, upload and download,\n"
         "open the DTM's functions, change the language, save",
         Section::Run,
         SetSwitch<&Options::gui>},
        {{"--screenshot"},
         "DIR",
         "connect, upload and write a picture of the main window with\n"
         "each page of its navigation tree into DIR (ctlId.png, ...),\n"
         "rendered offscreen; the project is not saved",
         Section::Run,
         [](Parsed& p, const std::string&, const std::string& v) {
             if (v.empty()) {
                 p.error = "the folder of --screenshot is empty";
                 return false;
             }
             p.options.screenshotFolder = v;
             return true;
         }},
        {{"--device-id"},
         "TEXT",
         "its DEVICE_ID (default: KV6274)",
         Section::Device,
         [](Parsed& p, const std::string&, const std::string& v) {
             if (v.size() > 16) {
                 p.error = "the device id \"" + v + "\" is longer than 16 characters";
                 return false;
             }
             p.options.device.deviceId = v;
             return true;
         }},
        {{"--ident-number"},
         "N",
         "its PROFIBUS ident number (default: 0x0B5E)",
         Section::Device,
         [](Parsed& p, const std::string& name, const std::string& v) {
             return ParseWord(p, name, v, p.options.device.identNumber);
         }},
        {{"--profile-revision"},
         "N",
         "its profile revision (default: 0x0300)",
         Section::Device,
         [](Parsed& p, const std::string& name, const std::string& v) {
             return ParseWord(p, name, v, p.options.device.profileRevision);
         }},
        {{"--write-locked"},
         nullptr,
         "its WRITE_LOCKING is set to Locked",
         Section::Device,
         SetSwitch<&Options::writeLocked>},
        {{"--hw-protected"},
         nullptr,
         "its hardware write-protection switch is on",
         Section::Device,
         [](Parsed& p, const std::string&, const std::string&) {
             p.options.device.hardwareWriteProtection = true;
             return true;
         }},
        {{"-h", "--help"},
         nullptr,
         "show this text",
         Section::Help,
         [](Parsed& p, const std::string&, const std::string&) {
             p.help = true;
             return true;
         }},
    };
    return table;
}

const OptionSpec* FindOption(const std::string& name) {
    for (const OptionSpec& spec : OptionTable()) {
        if (std::find(spec.names.begin(), spec.names.end(), name) != spec.names.end())
            return &spec;
    }
    return nullptr;
}

// The value of the option `name` at args[i] from the next argument, which it passes over.
bool TakeValue(const std::vector<std::string>& args, size_t& i, const std::string& name,
               std::string& value, std::string& error) {
    if (i + 1 >= args.size()) {
        error = "the option " + name + " needs a value";
        return false;
    }
    const std::string& next = args[i + 1];
    if (next.size() > 1 && next[0] == '-') {
        error = "the option " + name + " needs a value, but the option " + next +
                " follows it (write " + name + "=" + next + " for a value that begins with -)";
        return false;
    }
    value = args[++i];
    return true;
}

// The lines of the options of one section: the names in a column, the help beside them.
void ListOptions(std::string& out, Section section) {
    constexpr size_t kHelpColumn = 24;
    for (const OptionSpec& spec : OptionTable()) {
        if (spec.section != section)
            continue;
        std::string names;
        for (const std::string& name : spec.names)
            names += (names.empty() ? "" : ", ") + name;
        if (spec.valueName != nullptr)
            names += std::string(" ") + spec.valueName;
        names.resize(std::max(names.size() + 2, kHelpColumn), ' ');
        std::string_view help = spec.help;
        for (bool first = true; !help.empty(); first = false) {
            const size_t end = help.find('\n');
            out += "  " + (first ? names : std::string(kHelpColumn, ' '));
            out += help.substr(0, end);
            out += '\n';
            help = end == std::string_view::npos ? std::string_view() : help.substr(end + 1);
        }
    }
}

}  // namespace

std::string UsageText() {
    std::string out = kUsageHead;
    ListOptions(out, Section::Run);
    out += "\nThe simulated device:\n";
    ListOptions(out, Section::Device);
    out += "\n";
    ListOptions(out, Section::Help);
    out += kUsageEnd;
    return out;
}

bool ParseOptions(int argc, char** argv, Options& options, bool& help, std::string& error) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    Parsed parsed{options, help, error};
    for (size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        if (name.size() < 2 || name[0] != '-') {
            error = "unexpected argument \"" + name + "\" (the options begin with --)";
            return false;
        }
        // "--name=value" gives the value in the same argument.
        std::optional<std::string> inlineValue;
        if (const size_t eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            inlineValue = name.substr(eq + 1);
            name = name.substr(0, eq);
        }
        const OptionSpec* spec = FindOption(name);
        if (spec == nullptr) {
            error = "unknown option \"" + name + "\"";
            return false;
        }
        std::string value;
        if (spec->valueName == nullptr) {
            if (inlineValue) {
                error = "the option " + name + " takes no value";
                return false;
            }
        } else if (inlineValue) {
            value = *inlineValue;
        } else if (!TakeValue(args, i, name, value, error)) {
            return false;
        }
        if (!spec->apply(parsed, name, value))
            return false;
    }
    if (options.gui && !options.screenshotFolder.empty()) {
        error = "--gui and --screenshot exclude each other";
        return false;
    }
    return true;
}

}  // namespace kv::program
