// A project file of any content, opened from its file: FrameProject::Load, which reads a file
// in parts where it can, takes exactly what FromXml takes from the same text (the same
// instances with the same bags), or refuses it, naming the file, for the fault FromXml names.

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "frame/FrameProject.h"
#include "support/TempFolder.h"

namespace {

std::string Text(const kv::FrameFault& fault) {
    std::ostringstream text;
    text << fault;
    return text.str();
}

[[noreturn]] void Fail(const std::string& what, const std::string& text) {
    std::fprintf(stderr, "%s\n--- text (%zu characters) ---\n%s\n", what.c_str(), text.size(),
                 text.c_str());
    std::abort();
}

// The file every input is written to, in a folder of the run's own that goes with it.
const std::string& ProjectPath() {
    static const kv::test_support::TempFolder folder;
    static const std::string path = folder.File("project.kvproj");
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kv;
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string& path = ProjectPath();
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        if (!out)
            Fail("the input cannot be written to " + path, text);
    }
    FrameProject whole;
    FrameFault wholeFault;
    const bool parsed = whole.FromXml(text, wholeFault);
    FrameProject read;
    FrameFault fault;
    const bool loaded = read.Load(path, fault);
    if (loaded != parsed) {
        Fail(std::string(loaded ? "the file loads, its text does not parse: "
                                : "the text parses, the file does not load: ") +
                 Text(loaded ? wholeFault : fault),
             text);
    }
    if (!loaded) {
        // The file's damage is the text's, in the file named.
        FrameFault ofTheFile = wholeFault;
        ofTheFile.path = path;
        if (!(fault == ofTheFile))
            Fail("the refusal \"" + Text(fault) + "\" is not that of the text: " + Text(ofTheFile),
                 text);
        if (!read.instances.empty())
            Fail("a refused file left instances behind", text);
        return 0;
    }
    if (read.instances.size() != whole.instances.size())
        Fail("the file gives " + std::to_string(read.instances.size()) + " instances, its text " +
                 std::to_string(whole.instances.size()),
             text);
    for (size_t i = 0; i < whole.instances.size(); ++i) {
        const ProjectInstance& a = read.instances[i];
        const ProjectInstance& b = whole.instances[i];
        if (a.systemTag != b.systemTag || a.deviceType != b.deviceType ||
            a.bag.ToXml() != b.bag.ToXml())
            Fail("instance " + std::to_string(i + 1) + " of the file differs from its text's",
                 text);
    }
    return 0;
}
