#pragma once
// The options of kv6274pa-frame: what the command line asks for, and the text of --help.

#include <cstdint>
#include <string>

#include "platform/runtime/IDTMDictionary.h"
#include "sim/SimulatedPositioner.h"

namespace kv::program {

const char* const kDefaultProject = "kv6274pa-project.xml";

// The answer to the question whether a device that does not match the DTM is connected
// anyway: --yes, --no, or asked on the terminal.
enum class Answer { Ask, Yes, No };

// What the command line asks for.
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

// The text of --help, with every option that ParseOptions reads.
std::string UsageText();

// Fills the options; false with the reason when they cannot be used.
bool ParseOptions(int argc, char** argv, Options& options, bool& help, std::string& error);

}  // namespace kv::program
