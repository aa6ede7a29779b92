#pragma once
// The simulated PROFIBUS PA positioner KV6274 behind the frame's DP-V1 channel. It keeps its own
// parameter table, one record of bytes per DP-V1 address (slot, index), written from the blocks'
// parameter lists with the device's own encoding: numbers most significant byte first, IEEE 754
// single floats, visible strings in Windows-1252 padded with blanks. It never uses the DTM's
// codec, so a fault there shows up against it.
//
// Addresses: Physical Block slot 0, index = relative index + 16; Transducer Block 1 slot 1,
// index = relative index + 100; Analog Output block 1 slot 1, index = relative index + 16; the
// device directory header slot 1, index 0.
//
// It starts as an initialised, calibrated electro-pneumatic positioner that controls the valve:
// stroke times measured, safety position (closed) known, transmission code confirmed. An
// application cold start forgets all that until the next initialisation.
//
// What it does as a device: the actual modes follow the target modes; the valve travels towards
// the Analog Output block's setpoint (its output in manual and local override, its cascade input
// in remote cascade) with its stroke time and goes to its safety position (closed) while a block
// is out of service or the device is not initialised; simulation replaces the read-back; the
// commands of FACTORY_RESET and SELF_CALIBRATION_CMD restart, reset and calibrate; the write
// protection refuses writes. The positioner's state, the check-back and the diagnosis follow
// all of this, and each block's view 1 object holds its current values. Device time runs only
// when told (Advance, FollowClock).

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/fdt/FdtFrameInterfaces.h"

namespace kv {

// DP-V1 error codes (error code 1) that the device answers.
enum SimDpv1Error : uint8_t {
    kDpv1InvalidIndex = 0xB0,
    kDpv1WriteLengthError = 0xB1,
    kDpv1InvalidSlot = 0xB2,
    kDpv1StateConflict = 0xB5,
    kDpv1AccessDenied = 0xB6,
    kDpv1InvalidParameter = 0xB8,
    kDpv1ResourceBusy = 0xC2,
};

// A fault answered for one address. The fields combine: a delay with an error, an invalid float
// with a short answer.
struct SimFault {
    uint8_t errorCode = 0;        // answer with this error code, nothing read or written (0: none)
    int32_t invalidFloatAt = -1;  // a read answer carries 7F FF FF FF at this byte offset
    int32_t shortLength = -1;     // a read answer carries only this many bytes
    int32_t delayMs = 0;          // the answer comes this much later
    bool noAnswer = false;        // the request is lost: no answer ever comes, nothing is written
    int32_t times = 0;            // the number of requests it applies to; 0: until cleared
};

// The device's answer to one request, with how the channel delivers it.
struct SimReply {
    Dpv1Response response;
    int32_t delayMs = 0;
    bool answered = true;
};

struct SimOptions {
    uint16_t identNumber = 0x0B5E;
    std::string deviceId = "KV6274";
    uint16_t profileRevision = 0x0300;
    bool hardwareWriteProtection = false;
    bool writeLocked = false;  // WRITE_LOCKING 0 from the start
    // Seconds for a full stroke when neither a travel rate nor a measured stroke time is set.
    double strokeTimeS = 10.0;
    // A simulated control system sends the setpoint cyclically: from 10 % to 90 % of PV_SCALE and
    // back within this many milliseconds of device time. 0: none, the setpoint changes only when
    // it is written.
    int64_t setpointCycleMs = 0;
};

class SimulatedPositioner {
  public:
    // Command values of the Physical Block's FACTORY_RESET.
    static constexpr uint16_t kColdStartApplIdent = 1;  // application and identification data
    static constexpr uint16_t kWarmStart = 2506;
    static constexpr uint16_t kResetBusAddress = 2712;
    static constexpr uint16_t kColdStartIdent = 32768;
    static constexpr uint16_t kColdStartAppl = 32769;
    // Command values of the Transducer Block's SELF_CALIBRATION_CMD.
    static constexpr uint8_t kCalZero = 1;
    static constexpr uint8_t kCalInit = 2;
    static constexpr uint8_t kResetTotalTravel = 7;
    static constexpr uint8_t kResetControlLoopFault = 10;
    static constexpr uint8_t kCalAbort = 255;
    // SELF_CALIBRATION_STATUS.
    static constexpr uint8_t kCalStatusNone = 0;
    static constexpr uint8_t kInitRunning = 1;
    static constexpr uint8_t kInitDone = 2;
    static constexpr uint8_t kZeroRunning = 4;
    static constexpr uint8_t kZeroDone = 5;
    static constexpr uint8_t kCalAborted = 7;
    // WRITE_LOCKING values.
    static constexpr uint16_t kLocked = 0;
    static constexpr uint16_t kUnlocked = 2457;
    // Block modes (TARGET_MODE, MODE_BLK).
    static constexpr uint8_t kModeOutOfService = 0x80;
    static constexpr uint8_t kModeLocalOverride = 0x20;
    static constexpr uint8_t kModeManual = 0x10;
    static constexpr uint8_t kModeAuto = 0x08;
    static constexpr uint8_t kModeRemoteCascade = 0x02;
    // How long the device shows a restart in DIAGNOSIS and how long a calibration runs.
    static constexpr int64_t kRestartBitMs = 10000;
    static constexpr int64_t kZeroCalibrationMs = 5000;
    static constexpr int64_t kInitialisationMs = 20000;
    // Device time runs in steps of at most this length.
    static constexpr int64_t kStepMs = 100;
    // FollowClock catches up at most this much device time at once (a suspended program).
    static constexpr int64_t kMaxCatchUpMs = 600000;

    explicit SimulatedPositioner(SimOptions options = {});

    // One DP-V1 request: the answer and how it is delivered (faults included).
    SimReply Process(const Dpv1Request& request);
    // The answer alone, for callers without a channel.
    Dpv1Response Handle(const Dpv1Request& request) { return Process(request).response; }

    // Device time. Advance lets ms pass: the valve travels, restarts and calibrations end.
    void Advance(int64_t ms);
    // Lets device time follow an outside clock in milliseconds (the event loop's NowMs): the
    // first call takes the instant, every later call advances by the time since the previous
    // one. A clock that went back advances nothing; a longer gap than kMaxCatchUpMs counts as
    // kMaxCatchUpMs. Callers that share one clock may all call it: nothing is counted twice.
    void FollowClock(int64_t nowMs);
    int64_t Now() const { return now_; }

    // Identity.
    uint16_t IdentNumber() const { return options_.identNumber; }
    void SetIdentNumber(uint16_t identNumber) { options_.identNumber = identNumber; }
    void SetDeviceId(const std::string& text);
    void SetProfileRevision(uint16_t revision);
    uint8_t BusAddress() const { return busAddress_; }
    void SetBusAddress(uint8_t address) { busAddress_ = address; }

    // Write protection: the hardware switch (HW_WRITE_PROTECTION 1) refuses every write; the
    // write locking (WRITE_LOCKING 0) every write but the one that unlocks it.
    void SetHardwareWriteProtection(bool on);
    void SetWriteLocked(bool locked);

    // The simulated control system's setpoint cycle (0: none).
    void SetSetpointCycle(int64_t periodMs);

    // The table, bypassing access rules and faults (tests, the demo program). Records that the
    // device computes are computed anew at the next step of device time.
    bool Has(uint8_t slot, uint8_t index) const;
    std::vector<uint8_t> Record(uint8_t slot, uint8_t index) const;  // empty when unknown
    bool SetRecord(uint8_t slot, uint8_t index, const std::vector<uint8_t>& bytes);

    // Fault injection.
    void InjectFault(uint8_t slot, uint8_t index, const SimFault& fault);
    void ClearFaults();
    void SetBusy(int32_t requests, uint8_t errorCode = kDpv1ResourceBusy);

    // What reached the device: the number of requests per address since ClearLog, and the most
    // recent requests, oldest first, at most kLogCapacity of them (a device left cycling keeps
    // no more).
    static constexpr size_t kLogCapacity = 1024;
    int32_t RequestCount(uint8_t slot, uint8_t index) const;
    const std::deque<Dpv1Request>& Log() const { return log_; }
    void ClearLog();

    // The valve position in percent of the stroke.
    double Position() const { return position_; }

  private:
    struct Entry {
        std::vector<uint8_t> bytes;
        std::vector<uint8_t> initial;
        bool writable = false;
        bool ident = false;  // an identification text: reset by the identification cold start
    };
    enum class Calibration : uint8_t { None, Zero, Init };

    static uint16_t Key(uint8_t slot, uint8_t index) { return uint16_t(slot << 8 | index); }
    void Add(uint8_t slot, uint8_t index, bool writable, std::vector<uint8_t> bytes);
    void AddText(uint8_t slot, uint8_t index, bool writable, const std::string& text,
                 size_t length);
    void AddBlockHead(uint8_t slot, uint8_t base, std::vector<uint8_t> blockObject,
                      const std::string& tag, uint8_t permitted);
    void BuildTable();

    std::vector<uint8_t>& Bytes(uint16_t key) { return table_.at(key).bytes; }
    const std::vector<uint8_t>& Bytes(uint16_t key) const { return table_.at(key).bytes; }
    float GetFloat(uint16_t key, size_t at = 0) const;
    void PutFloat(uint16_t key, size_t at, double value);
    uint16_t GetU16(uint16_t key, size_t at = 0) const;
    void Restore(uint16_t key);

    Dpv1Response Read(const Dpv1Request& request) const;
    // The record as a read answers it.
    std::vector<uint8_t> Current(uint16_t key) const;
    Dpv1Response Write(const Dpv1Request& request);
    std::optional<SimFault> TakeFault(uint16_t key);
    uint8_t Refusal(uint16_t key, const std::vector<uint8_t>& data) const;
    void AfterWrite(uint16_t key);

    // Commands.
    void FactoryReset(uint16_t command);
    void ColdStart(bool application, bool identification);
    void Calibrate(uint8_t command);
    void FinishCalibration();
    void AbortCalibration();
    void SetCalibrationStatus(uint8_t status);
    bool Calibrating() const { return calibration_ != Calibration::None; }

    // The blocks at work.
    void Step(int64_t ms);
    void DriveSetpoint();
    void FollowModes();
    bool Controlling() const;
    double SetpointPercent() const;
    double TargetPercent() const;
    double ReadbackPercent() const;
    double StrokeSeconds(bool opening) const;
    void Move(int64_t ms);
    void WatchControlLoop(int64_t ms);
    void UpdateProcess();
    // MFR/TRANSDUCER_STATE, from whether it controls and the Analog Output block's mode.
    uint8_t TransducerState(bool controlling, uint8_t aoMode) const;

    SimOptions options_;
    std::map<uint16_t, Entry> table_;
    std::map<uint16_t, SimFault> faults_;
    std::map<uint16_t, int32_t> counts_;
    std::deque<Dpv1Request> log_;
    int32_t busyLeft_ = 0;
    uint8_t busyCode_ = kDpv1ResourceBusy;

    int64_t now_ = 0;
    std::optional<int64_t> clockMs_;  // the outside clock's last instant
    int64_t warmStartUntil_ = -1;
    int64_t coldStartUntil_ = -1;
    Calibration calibration_ = Calibration::None;
    int64_t calibrationStart_ = 0;
    int64_t calibrationEnd_ = 0;
    bool initialised_ = true;        // cleared by an application cold start
    bool controlLoopFault_ = false;  // latched until reset by command
    int64_t deviationSince_ = -1;    // since when the valve misses its target by the band
    double position_ = 0.0;
    double travelPercent_ = 0.0;  // the total valve travel, in percent of a stroke
    uint8_t busAddress_ = 126;
};

}  // namespace kv
