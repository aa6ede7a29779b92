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

#include <cstdint>
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
    // Seconds for a full stroke when neither a travel rate nor a measured stroke time is set.
    double strokeTimeS = 10.0;
};

class SimulatedPositioner {
  public:
    // Command values of the Physical Block's FACTORY_RESET.
    static constexpr uint16_t kResetDefaults = 1;  // cold start: application and identification
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
    // WRITE_LOCKING values.
    static constexpr uint16_t kLocked = 0;
    static constexpr uint16_t kUnlocked = 2457;
    // How long the device shows a restart in DIAGNOSIS and how long a calibration runs.
    static constexpr int64_t kRestartBitMs = 10000;
    static constexpr int64_t kZeroCalibrationMs = 5000;
    static constexpr int64_t kInitialisationMs = 20000;

    explicit SimulatedPositioner(SimOptions options = {});

    // One DP-V1 request: the answer and how it is delivered (faults included).
    SimReply Process(const Dpv1Request& request);
    // The answer alone, for callers without a channel.
    Dpv1Response Handle(const Dpv1Request& request) { return Process(request).response; }
    // Lets device time run: the valve travels, restarts and calibrations end.
    void Advance(int64_t ms);

    // Identity.
    uint16_t IdentNumber() const { return options_.identNumber; }
    void SetIdentNumber(uint16_t identNumber) { options_.identNumber = identNumber; }
    void SetDeviceId(const std::string& text);
    void SetProfileRevision(uint16_t revision);
    void SetHardwareWriteProtection(bool on);
    uint8_t BusAddress() const { return busAddress_; }
    void SetBusAddress(uint8_t address) { busAddress_ = address; }

    // The table, bypassing access rules and faults (tests, the demo program).
    bool Has(uint8_t slot, uint8_t index) const;
    std::vector<uint8_t> Record(uint8_t slot, uint8_t index) const;  // empty when unknown
    bool SetRecord(uint8_t slot, uint8_t index, const std::vector<uint8_t>& bytes);

    // Fault injection.
    void InjectFault(uint8_t slot, uint8_t index, const SimFault& fault);
    void ClearFaults();
    void SetBusy(int32_t requests, uint8_t errorCode = kDpv1ResourceBusy);

    // What reached the device.
    int32_t RequestCount(uint8_t slot, uint8_t index) const;
    const std::vector<Dpv1Request>& Log() const { return log_; }
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

    Dpv1Response Read(const Dpv1Request& request) const;
    Dpv1Response Write(const Dpv1Request& request);
    std::optional<SimFault> TakeFault(uint16_t key);
    bool AcceptsValue(uint16_t key, const std::vector<uint8_t>& data) const;
    void AfterWrite(uint16_t key);
    void FactoryReset(uint16_t command);
    void Calibration(uint8_t command);
    void FinishCalibration();
    void RestoreInitial(bool application, bool identification);
    void FollowModes();
    bool Calibrating() const { return calibration_ != 0; }
    uint8_t AoMode() const;
    double TargetPercent() const;
    double StrokeSeconds(bool opening) const;
    void UpdateProcess();

    SimOptions options_;
    std::map<uint16_t, Entry> table_;
    std::map<uint16_t, SimFault> faults_;
    std::map<uint16_t, int32_t> counts_;
    std::vector<Dpv1Request> log_;
    int32_t busyLeft_ = 0;
    uint8_t busyCode_ = kDpv1ResourceBusy;

    int64_t now_ = 0;
    int64_t warmStartUntil_ = -1;
    int64_t coldStartUntil_ = -1;
    uint8_t calibration_ = 0;  // the running calibration command, 0 when none
    int64_t calibrationEnd_ = 0;
    double position_ = 0.0;
    double totalTravel_ = 0.0;
    uint8_t busAddress_ = 126;
};

}  // namespace kv
