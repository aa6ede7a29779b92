#pragma once
// The recording of the archive control, without any window: while it runs, it reads the records
// registered for the curves that are on (each distinct record once, in a transaction group of
// the instance, as reads that show the device), once at the start and then every cycle time on
// the runtime's event loop, and appends one sample per curve (its device value) when the reads
// end. A curve whose record read failed, or a tick
// without a connection, gives a sample that is not valid (a gap). A tick that finds the
// previous reads still running is skipped.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/controls/Archive.h"
#include "platform/controls/ArchiveCurve.h"

namespace kv {

class IDTMContext;
class IPrivateDataElement;

// The unit an element's device value is in, with its text ("" when the text is unknown).
struct ArchiveUnit {
    int16_t code = 0;
    std::string text;
};
// Tells the unit of an element; the runtime's element interface does not carry it.
using ArchiveUnitSource = std::function<ArchiveUnit(const IPrivateDataElement&)>;

// A curve's two value ranges at the moment.
struct ArchiveRanges {
    double scaleMax = 0, scaleMin = 0, actMax = 0, actMin = 0;
};

class ArchiveRecorder {
  public:
    // The recording period until SetCycleTime.
    static constexpr int32_t kDefaultCycleTimeMs = 1000;

    ArchiveRecorder();
    ~ArchiveRecorder();
    ArchiveRecorder(const ArchiveRecorder&) = delete;
    ArchiveRecorder& operator=(const ArchiveRecorder&) = delete;

    // Takes the context (it must outlive the recorder unless a shared pointer owns it), the
    // curves and the instance's archive. A running recording stops first.
    void Configure(IDTMContext& context, ArchiveCurves curves, std::shared_ptr<IArchive> archive);
    bool Configured() const;
    const ArchiveCurves& Curves() const;
    // nullptr before Configure and after Release.
    IArchive* Archive() const;
    // Without a source every sample is taken in unit 0.
    void SetUnitSource(ArchiveUnitSource source);

    int32_t CycleTime() const;
    // Milliseconds from 1; a running recording takes the new period at once. Throws
    // std::invalid_argument for less than 1.
    void SetCycleTime(int32_t ms);

    // Switches the recording on; True when it runs (also when it ran already). False when not
    // configured, released, or the context is gone.
    bool Start();
    // Switches it off; a read still running gives no sample.
    void Stop();
    bool Recording() const;

    // A curve is recorded and shown while it is enabled and its bit in the archive's
    // CheckCurveEnabled is set.
    bool CurveOn(const IArchiveCurve& curve) const;
    // Sets or clears the curve's bit (curve indices 0 to 31); a running recording reads the
    // records of the curves that are on from the next tick.
    void SetCurveOn(const IArchiveCurve& curve, bool on);

    // The samples of a curve; nullptr when none were recorded or no archive is set.
    const ArchiveTrace* TraceOf(const IArchiveCurve& curve) const;
    // The curve's ranges from its range elements' values as the device has them (where a read
    // recorded them, else the data set's); an end without an element, or whose element is gone
    // or holds no number, takes its fixed number.
    ArchiveRanges CurrentRanges(const IArchiveCurve& curve) const;

    // Called after every tick that appended samples.
    void SetOnSamples(std::function<void()> fn);

    // Stops and forgets the context, the curves and the archive; every later call does nothing.
    void Release();
    bool Released() const;

  private:
    struct State;
    std::shared_ptr<State> state_;
};

}  // namespace kv
