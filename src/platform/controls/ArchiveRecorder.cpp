#include "platform/controls/ArchiveRecorder.h"

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <vector>

#include "platform/os/IEventLoop.h"
#include "platform/runtime/ContextRef.h"
#include "platform/runtime/IDTMContext.h"
#include "platform/runtime/IParameters.h"
#include "platform/runtime/IPrivateDataElement.h"
#include "platform/runtime/TransactionGroup.h"
#include "value/Date.h"

namespace kv {

namespace {

std::optional<double> NumberOf(const Variant& v) {
    if (v.isBoolean())
        return v.toBool() ? 1.0 : 0.0;
    if (!v.isNumber())
        return std::nullopt;
    return v.number();
}

// The records read for a curve: those registered for it, else its own element (a member of a
// record is read with its record).
std::vector<std::string> ReadPaths(const IArchiveCurve& curve) {
    std::vector<std::string> paths;
    const IArchiveRecordList& records = curve.RecordElements();
    for (size_t r = 0; r < records.Count(); ++r)
        paths.push_back(records.Item(r));
    if (paths.empty() && !curve.DataElementPath().empty())
        paths.push_back(curve.DataElementPath());
    return paths;
}

}  // namespace

// Every distinct record is read in a transaction group of its own, so that the end of each read
// tells exactly whether that record was read: a curve's sample is valid only when all its
// records were.
struct ArchiveRecorder::State : IPrivateProcess, std::enable_shared_from_this<State> {
    struct RecordRead {
        std::string path;
        std::unique_ptr<TransactionGroup> group;
        std::optional<bool> read;  // the result of the running tick
    };
    struct Pending {
        int64_t timeMs = 0;
        std::vector<size_t> curves;  // indices into 'curves'
        size_t open = 0;             // reads still running
    };

    ContextRef context;
    ArchiveCurves curves;
    std::shared_ptr<IArchive> archive;
    ArchiveUnitSource unitSource;
    std::function<void()> onSamples;
    int32_t cycleTime = kDefaultCycleTimeMs;
    bool configured = false;
    bool released = false;
    bool recording = false;

    std::vector<RecordRead> reads;
    bool readsChanged = false;  // the curves that are on changed: renew 'reads' at the next tick
    std::optional<Pending> pending;
    std::vector<bool> startsRecording;  // per curve: its next sample begins a new line
    IEventLoop* loop = nullptr;
    std::shared_ptr<int32_t> timerId;
    int64_t wallBase = 0;
    int64_t loopBase = 0;

    // The context while it exists.
    IDTMContext* Ctx() const { return context.Get(); }

    bool On(const IArchiveCurve& curve) const {
        if (!archive || !curve.Enabled() || curve.DataElementPath().empty() || curve.Index() < 0 ||
            curve.Index() > 31)
            return false;
        return (static_cast<uint32_t>(archive->CheckCurveEnabled()) >> curve.Index()) & 1u;
    }

    std::vector<size_t> CurvesOn() const {
        std::vector<size_t> on;
        for (size_t i = 0; i < curves.Count(); ++i) {
            if (On(curves.Item(i)))
                on.push_back(i);
        }
        return on;
    }

    int64_t Now() const { return wallBase + (loop->NowMs() - loopBase); }

    // One read per distinct record of the curves that are on; a record that is not in the data
    // set gets none (its curves record gaps).
    void RenewReads(IDTMContext& ctx) {
        std::vector<std::string> wanted;
        for (size_t i : CurvesOn()) {
            for (const std::string& path : ReadPaths(curves.Item(i))) {
                if (std::find(wanted.begin(), wanted.end(), path) == wanted.end())
                    wanted.push_back(path);
            }
        }
        std::vector<RecordRead> renewed;
        for (const std::string& path : wanted) {
            auto kept = std::find_if(reads.begin(), reads.end(),
                                     [&](const RecordRead& r) { return r.path == path; });
            if (kept != reads.end()) {
                renewed.push_back(std::move(*kept));
                reads.erase(kept);
                continue;
            }
            IPrivateDataElement* element = ctx.Parameters().Item(path);
            if (!element)
                continue;
            RecordRead r;
            r.path = path;
            // The recording shows the device: the project keeps its values.
            r.group = std::make_unique<TransactionGroup>(GroupReads::Shown);
            r.group->Init(ctx);
            if (r.group->AddElement(*element, false))
                renewed.push_back(std::move(r));
        }
        for (RecordRead& dropped : reads)
            dropped.group->Close();
        reads = std::move(renewed);
        readsChanged = false;
    }

    void StartTimer() {
        StopTimer();
        timerId = std::make_shared<int32_t>(0);
        std::weak_ptr<State> weak = weak_from_this();
        IEventLoop* l = loop;
        std::shared_ptr<int32_t> id = timerId;
        *timerId = loop->StartTimer(cycleTime, [weak, l, id] {
            auto s = weak.lock();
            if (!s || s->timerId != id) {
                l->StopTimer(*id);  // the recorder is gone or runs another timer
                return;
            }
            s->Tick();
        });
    }

    void StopTimer() {
        if (timerId && loop && Ctx())
            loop->StopTimer(*timerId);
        timerId.reset();
    }

    void Stop() {
        recording = false;
        StopTimer();
        pending.reset();
        if (Ctx()) {
            for (RecordRead& r : reads)
                r.group->Close();
        }
        reads.clear();
    }

    void Tick() {
        if (!recording || released)
            return;
        auto self = shared_from_this();  // the listener of the samples may drop the recorder
        IDTMContext* ctx = Ctx();
        if (!ctx) {
            recording = false;
            timerId.reset();
            return;
        }
        if (pending)
            return;  // the previous tick's reads still run
        if (readsChanged)
            RenewReads(*ctx);
        std::vector<size_t> on = CurvesOn();
        if (on.empty())
            return;
        pending = Pending{Now(), std::move(on), 0};
        for (RecordRead& r : reads) {
            r.read.reset();
            // 0: started; anything else (no connection, ...): this record is not read.
            if (r.group->Execute(weak_from_this(), false, false) == 0)
                ++pending->open;
            else
                r.read = false;
        }
        if (pending->open == 0)
            Finish();
    }

    void OnProcessProgress(const std::string&, int32_t) override {}

    void OnProcessFinished(const std::string& processId, bool success) override {
        if (released || !recording || !pending)
            return;
        auto self = shared_from_this();  // the listener of the samples may drop the recorder
        for (RecordRead& r : reads) {
            if (!r.read && r.group->OwnsProcess(processId)) {
                r.read = success;
                if (--pending->open == 0)
                    Finish();
                return;
            }
        }
    }

    bool WasRead(const std::string& path) const {
        for (const RecordRead& r : reads) {
            if (r.path == path)
                return r.read.value_or(false);
        }
        return false;
    }

    // One sample for each curve of the tick.
    void Finish() {
        const Pending p = std::move(*pending);
        pending.reset();
        IDTMContext* ctx = Ctx();
        if (!ctx || !archive)
            return;
        IParameters& parameters = ctx->Parameters();
        for (size_t i : p.curves) {
            if (i >= curves.Count())
                continue;
            const IArchiveCurve& curve = curves.Item(i);
            ArchiveTrace& trace = archive->Trace(curve.DataElementPath());
            ArchiveSample s;
            s.timeMs = p.timeMs;
            IPrivateDataElement* element = parameters.Item(curve.DataElementPath());
            if (element) {
                const std::vector<std::string> paths = ReadPaths(curve);
                const bool read = std::all_of(paths.begin(), paths.end(),
                                              [&](const std::string& r) { return WasRead(r); });
                const std::optional<double> value = NumberOf(element->DeviceValue());
                if (read && value) {
                    s.value = *value;
                    s.flags |= ArchiveSample::kValid;
                }
                if (unitSource) {
                    const ArchiveUnit unit = unitSource(*element);
                    s.unitCode = unit.code;
                    if (!unit.text.empty())
                        trace.SetUnitText(unit.code, unit.text);
                }
            } else if (!trace.Empty()) {
                s.unitCode = trace.Newest().unitCode;
            }
            if (i < startsRecording.size() && startsRecording[i]) {
                s.flags |= ArchiveSample::kStartsRecording;
                startsRecording[i] = false;
            }
            trace.Append(s);
        }
        if (onSamples) {
            // The listener may release the recorder; nothing of it is used afterwards.
            auto fn = onSamples;
            fn();
        }
    }
};

ArchiveRecorder::ArchiveRecorder() : state_(std::make_shared<State>()) {}

ArchiveRecorder::~ArchiveRecorder() {
    state_->Stop();
}

void ArchiveRecorder::Configure(IDTMContext& context, ArchiveCurves curves,
                                std::shared_ptr<IArchive> archive) {
    State& s = *state_;
    if (s.released)
        return;
    s.Stop();
    s.context.Set(context);
    s.curves = std::move(curves);
    s.archive = std::move(archive);
    s.configured = true;
}

bool ArchiveRecorder::Configured() const {
    return state_->configured && !state_->released;
}

const ArchiveCurves& ArchiveRecorder::Curves() const {
    return state_->curves;
}

IArchive* ArchiveRecorder::Archive() const {
    return state_->archive.get();
}

void ArchiveRecorder::SetUnitSource(ArchiveUnitSource source) {
    if (!state_->released)
        state_->unitSource = std::move(source);
}

int32_t ArchiveRecorder::CycleTime() const {
    return state_->cycleTime;
}

void ArchiveRecorder::SetCycleTime(int32_t ms) {
    State& s = *state_;
    if (s.released)
        return;
    if (ms < 1)
        throw std::invalid_argument("The cycle time must be at least 1 ms, not " +
                                    std::to_string(ms) + ".");
    const bool changed = ms != s.cycleTime;
    s.cycleTime = ms;
    if (changed && s.recording && s.Ctx())
        s.StartTimer();
}

bool ArchiveRecorder::Start() {
    State& s = *state_;
    if (s.released || !s.configured)
        return false;
    if (s.recording)
        return true;
    IDTMContext* ctx = s.Ctx();
    if (!ctx)
        return false;
    s.loop = &ctx->Loop();
    s.wallBase = WallClockMs();
    s.loopBase = s.loop->NowMs();
    s.startsRecording.assign(s.curves.Count(), true);
    s.recording = true;
    s.RenewReads(*ctx);
    s.StartTimer();
    s.Tick();
    return true;
}

void ArchiveRecorder::Stop() {
    if (!state_->released)
        state_->Stop();
}

bool ArchiveRecorder::Recording() const {
    return state_->recording;
}

bool ArchiveRecorder::CurveOn(const IArchiveCurve& curve) const {
    return state_->On(curve);
}

void ArchiveRecorder::SetCurveOn(const IArchiveCurve& curve, bool on) {
    State& s = *state_;
    if (s.released || !s.archive || curve.Index() < 0 || curve.Index() > 31)
        return;
    const uint32_t bit = 1u << curve.Index();
    uint32_t mask = static_cast<uint32_t>(s.archive->CheckCurveEnabled());
    mask = on ? (mask | bit) : (mask & ~bit);
    s.archive->SetCheckCurveEnabled(static_cast<int32_t>(mask));
    for (size_t i = 0; i < s.curves.Count(); ++i) {
        if (&s.curves.Item(i) == &curve && i < s.startsRecording.size() && on)
            s.startsRecording[i] = true;
    }
    s.readsChanged = true;
}

const ArchiveTrace* ArchiveRecorder::TraceOf(const IArchiveCurve& curve) const {
    if (!state_->archive)
        return nullptr;
    return state_->archive->FindTrace(curve.DataElementPath());
}

ArchiveRanges ArchiveRecorder::CurrentRanges(const IArchiveCurve& curve) const {
    IDTMContext* ctx = state_->Ctx();
    auto end = [&](ArchiveRangeEnd which) {
        const std::string& path = curve.RangeElementPath(which);
        if (!path.empty() && ctx) {
            if (const IPrivateDataElement* e = ctx->Parameters().Item(path)) {
                if (std::optional<double> v = NumberOf(DeviceOrDataSetValue(*e)))
                    return *v;
            }
        }
        return curve.FixedRange(which);
    };
    return ArchiveRanges{end(areScaleMax), end(areScaleMin), end(areActMax), end(areActMin)};
}

void ArchiveRecorder::SetOnSamples(std::function<void()> fn) {
    if (!state_->released)
        state_->onSamples = std::move(fn);
}

void ArchiveRecorder::Release() {
    State& s = *state_;
    if (s.released)
        return;
    s.Stop();
    s.released = true;
    s.configured = false;
    s.onSamples = nullptr;
    s.unitSource = nullptr;
    s.curves = ArchiveCurves();
    s.archive.reset();
    s.context.Reset();
}

bool ArchiveRecorder::Released() const {
    return state_->released;
}

}  // namespace kv
