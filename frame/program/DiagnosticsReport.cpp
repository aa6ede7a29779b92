#include "frame/program/DiagnosticsReport.h"

#include <iostream>
#include <string>

#include "dtm/DTMMain.h"
#include "frame/ReferenceFrame.h"
#ifdef KV_FRAME_WINDOW
#include "platform/controls/widgets/LastResort.h"
#endif
#include "platform/os/IEventLoop.h"
#include "platform/runtime/IDTMContext.h"
#include "value/DiagnosticLog.h"

namespace kv::program {

namespace {

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

}  // namespace

void PrintDiagnosticLogs(const ReferenceFrame& frame, const IEventLoop& loop) {
    bool any = PrintDiagnostics("frame", frame.Diagnostics());
    for (const auto& instance : frame.Instances()) {
        if (const auto context = instance->dtm->DTMContext())
            any = PrintDiagnostics(instance->systemTag, context->Diagnostics()) || any;
    }
    any = PrintDiagnostics("event loop", loop.Diagnostics()) || any;
    any = PrintWidgetDiagnostics() || any;
    if (!any)
        std::cout << "diagnostic log: empty\n";
}

DiagnosticsReport::~DiagnosticsReport() {
    if (enabled_)
        PrintDiagnosticLogs(frame_, loop_);
}

}  // namespace kv::program
