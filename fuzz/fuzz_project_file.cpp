// A frame project file of any content: it is taken whole or refused whole, and what the project
// writes reads back unchanged.

#include <cstdlib>
#include <iostream>
#include <string>

#include "frame/FrameProject.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kv;
    const std::string text(reinterpret_cast<const char*>(data), size);
    FrameProject project;
    FrameFault error;
    if (!project.FromXml(text, error)) {
        if (!project.instances.empty()) {
            std::cerr << "a refused project left instances behind: " << error << "\n";
            std::abort();
        }
        // The device types known are one check more.
        FrameProject known;
        if (known.FromXml(text, error, {"KV6274PA"})) {
            std::cerr << "a refused project loads where its device types are known\n";
            std::abort();
        }
        return 0;
    }
    const std::string xml = project.ToXml();
    FrameProject again;
    if (!again.FromXml(xml, error) || again.ToXml() != xml) {
        std::cerr << "the project's own XML form does not load back unchanged (" << error << "):\n"
                  << xml << "\n";
        std::abort();
    }
    return 0;
}
