#pragma once
// The program kv6274pa-frame with a window (--gui) and its offscreen pictures (--screenshot):
// the Qt application, the loop, the prompt and the frame are made here; the program hands over
// how it opens its project.

#include <cstdint>
#include <functional>
#include <string>

#include "sim/SimulatedPositioner.h"

namespace kv {

class IEventLoop;
class ReferenceFrame;
struct FrameInstance;

struct WindowRun {
    std::string project;  // the project file that Save writes
    int32_t language = 9;
    std::string userInformation;
    SimOptions device;
    bool writeLocked = false;
    // Called once the run is over, while its frame and loop still exist (--trace prints their
    // diagnostic logs there); may be empty.
    std::function<void(const ReferenceFrame& frame, const IEventLoop& loop)> atEnd;
};

// Loads the project into the frame (or creates its instance) as the program does, with the
// program's messages; nullptr when it cannot.
using ProjectOpener = std::function<FrameInstance*(ReferenceFrame& frame)>;

// Shows the frame's window until the user closes it.
int RunFrameWindow(int& argc, char** argv, const WindowRun& run, const ProjectOpener& open);

// Connects to the simulated positioner, uploads, opens the main window for function 1 and
// writes one picture per page node of its tree into folder, named after the page's class
// ("ctlId.png"); the archive page records a short trend of a moving setpoint first. Renders
// offscreen unless QT_QPA_PLATFORM names another platform.
int RenderScreenshots(int& argc, char** argv, const WindowRun& run, const ProjectOpener& open,
                      const std::string& folder);

}  // namespace kv
