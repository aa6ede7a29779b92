#include "frame/program/ProgramOptions.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <optional>
#include <vector>

#include "value/Text.h"

namespace kv::program {

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

namespace {

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

}  // namespace

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

}  // namespace kv::program
