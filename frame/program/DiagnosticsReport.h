#pragma once
// --trace: the errors that the DTM, the event loop and the widgets caught and swallowed, from
// their diagnostic logs, a line an entry.

namespace kv {
class IEventLoop;
class ReferenceFrame;
}  // namespace kv

namespace kv::program {

// The diagnostic logs of the instances, of the loop and of the widgets.
void PrintDiagnosticLogs(const ReferenceFrame& frame, const IEventLoop& loop);

// With --trace: the diagnostic logs, printed when the run ends whichever way it ends.
class DiagnosticsReport {
  public:
    DiagnosticsReport(bool enabled, const ReferenceFrame& frame, const IEventLoop& loop)
        : enabled_(enabled), frame_(frame), loop_(loop) {}
    ~DiagnosticsReport();
    DiagnosticsReport(const DiagnosticsReport&) = delete;
    DiagnosticsReport& operator=(const DiagnosticsReport&) = delete;

  private:
    bool enabled_;
    const ReferenceFrame& frame_;
    const IEventLoop& loop_;
};

}  // namespace kv::program
