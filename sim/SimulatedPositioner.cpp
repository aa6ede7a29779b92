#include "sim/SimulatedPositioner.h"
#include "platform/fdt/FdtFrameInterfaces.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <initializer_list>

namespace kv {

namespace {

using ByteVec = std::vector<uint8_t>;

constexpr uint8_t kErrorDecodeDpv1 = 0x80;

// Status bytes of process values.
constexpr uint8_t kStatusGood = 0x80;
constexpr uint8_t kStatusOutOfService = 0x1C;

constexpr uint16_t Addr(uint8_t slot, uint8_t index) {
    return uint16_t(slot << 8 | index);
}

// Physical Block (slot 0, relative index + 16).
constexpr uint16_t kPbStRev = Addr(0, 17);
constexpr uint16_t kPbTargetMode = Addr(0, 21);
constexpr uint16_t kPbModeBlk = Addr(0, 22);
constexpr uint16_t kPbAlarmSum = Addr(0, 23);
constexpr uint16_t kPbDeviceId = Addr(0, 27);
constexpr uint16_t kPbDiagnosis = Addr(0, 29);
constexpr uint16_t kPbDiagnosisExtension = Addr(0, 30);
constexpr uint16_t kPbWriteLocking = Addr(0, 34);
constexpr uint16_t kPbFactoryReset = Addr(0, 35);
constexpr uint16_t kPbHwWriteProtection = Addr(0, 41);
constexpr uint16_t kPbView1 = Addr(0, 60);
// Device directory header.
constexpr uint16_t kDirectoryHeader = Addr(1, 0);
// Transducer Block 1 (slot 1, relative index + 100).
constexpr uint16_t kTbStRev = Addr(1, 101);
constexpr uint16_t kTbTargetMode = Addr(1, 105);
constexpr uint16_t kTbModeBlk = Addr(1, 106);
constexpr uint16_t kTbAlarmSum = Addr(1, 107);
constexpr uint16_t kTbStrokeTimeDec = Addr(1, 109);
constexpr uint16_t kTbStrokeTimeInc = Addr(1, 110);
constexpr uint16_t kTbSelfCalibrationCmd = Addr(1, 133);
constexpr uint16_t kTbSelfCalibrationStatus = Addr(1, 134);
constexpr uint16_t kTbTotalValveTravel = Addr(1, 145);
constexpr uint16_t kTbTotalValveTravelLimit = Addr(1, 146);
constexpr uint16_t kTbTravelLimitLow = Addr(1, 147);
constexpr uint16_t kTbTravelLimitUp = Addr(1, 148);
constexpr uint16_t kTbTravelRateDec = Addr(1, 149);
constexpr uint16_t kTbTravelRateInc = Addr(1, 150);
constexpr uint16_t kTbPositioningValue = Addr(1, 157);
constexpr uint16_t kTbFeedbackValue = Addr(1, 158);
constexpr uint16_t kTbActuatorAction = Addr(1, 163);
constexpr uint16_t kTbTransmCode = Addr(1, 180);
constexpr uint16_t kTbDelayTime = Addr(1, 184);
constexpr uint16_t kTbToleranceBand = Addr(1, 185);
constexpr uint16_t kTbSelfCalibWarning = Addr(1, 186);
constexpr uint16_t kTbTransducerState = Addr(1, 190);
constexpr uint16_t kTbView1 = Addr(1, 196);
// Analog Output block 1 (slot 1, relative index + 16).
constexpr uint16_t kAoStRev = Addr(1, 17);
constexpr uint16_t kAoTargetMode = Addr(1, 21);
constexpr uint16_t kAoModeBlk = Addr(1, 22);
constexpr uint16_t kAoAlarmSum = Addr(1, 23);
constexpr uint16_t kAoSp = Addr(1, 25);
constexpr uint16_t kAoPvScale = Addr(1, 27);
constexpr uint16_t kAoReadback = Addr(1, 28);
constexpr uint16_t kAoRcasIn = Addr(1, 30);
constexpr uint16_t kAoRcasOut = Addr(1, 43);
constexpr uint16_t kAoPosD = Addr(1, 47);
constexpr uint16_t kAoSetpDeviation = Addr(1, 48);
constexpr uint16_t kAoCheckBack = Addr(1, 49);
constexpr uint16_t kAoSimulate = Addr(1, 51);
constexpr uint16_t kAoOut = Addr(1, 53);
constexpr uint16_t kAoOutScale = Addr(1, 54);
constexpr uint16_t kAoView1 = Addr(1, 66);

// What each block's view 1 object holds: its standard head and its dynamic values.
struct View {
    uint16_t view;
    std::array<uint16_t, 7> parts;  // 0: unused
};
constexpr View kViews[] = {
    {kPbView1, {kPbStRev, kPbModeBlk, kPbAlarmSum, kPbDiagnosis}},
    {kTbView1, {kTbStRev, kTbModeBlk, kTbAlarmSum, kTbPositioningValue, kTbFeedbackValue}},
    {kAoView1, {kAoStRev, kAoModeBlk, kAoAlarmSum, kAoSp, kAoReadback, kAoPosD, kAoCheckBack}},
};

// MFR/TRANSDUCER_STATE.
constexpr uint8_t kStateNotInitialised = 0;
constexpr uint8_t kStateInitialising = 1;
constexpr uint8_t kStateControlling = 2;
constexpr uint8_t kStateFailSafe = 3;
constexpr uint8_t kStateManual = 4;
constexpr uint8_t kStateZeroCalibration = 5;
constexpr uint8_t kStateFault = 6;
// ACTUATOR_ACTION: what the valve does without auxiliary power, learnt by the initialisation.
constexpr uint8_t kActionUnknown = 0;
constexpr uint8_t kActionClosing = 2;
// The status of MFR/TRANSM_CODE: confirmed by an initialisation, or not yet.
constexpr uint8_t kTransmConfirmed = 0x80;
constexpr uint8_t kTransmNotConfirmed = 0x20;

ByteVec U8(uint8_t v) {
    return {v};
}
ByteVec U16(uint16_t v) {
    return {uint8_t(v >> 8), uint8_t(v)};
}
ByteVec U32(uint32_t v) {
    return {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
}
ByteVec F32(float v) {
    return U32(std::bit_cast<uint32_t>(v));
}
ByteVec Zeros(size_t n) {
    return ByteVec(n, 0);
}

ByteVec Cat(std::initializer_list<ByteVec> parts) {
    ByteVec out;
    for (const auto& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

// A visible string: the text's bytes (Windows-1252) cut or padded with blanks to the length.
ByteVec Text(const std::string& text, size_t length) {
    ByteVec out(length, ' ');
    std::copy_n(text.begin(), std::min(length, text.size()), out.begin());
    return out;
}

// A value record: a float followed by its status byte.
ByteVec ValueStatus(float value, uint8_t status) {
    return Cat({F32(value), U8(status)});
}

// The block object record as a Profile 3.0 device reports it: reserved (250), block object,
// parent class, class, DD reference and DD revision (reserved: 0), profile &H4002, profile
// revision &H0300, execution time (reserved: 0), number of parameters (relative indices up to
// and with view 1), address of view 1 (slot, index), number of views (1).
ByteVec BlockObject(uint8_t blockObject, uint8_t parentClass, uint8_t cls, uint8_t base,
                    uint16_t view1) {
    const auto parameters = uint16_t(uint8_t(view1) - base + 1);
    return Cat({U8(250), U8(blockObject), U8(parentClass), U8(cls), U32(0), U16(0), U16(0x4002),
                U16(0x0300), U8(0), U16(parameters), U16(view1), U8(1)});
}

ByteVec ErrorInfo(uint8_t code) {
    return {kErrorDecodeDpv1, code, 0x00};
}

Dpv1Response ErrorResponse(uint8_t code) {
    Dpv1Response r;
    r.errorInfo = ErrorInfo(code);
    return r;
}

void SetBit(ByteVec& bytes, size_t at, uint8_t mask, bool on) {
    if (on) {
        bytes[at] |= mask;
    } else {
        bytes[at] &= uint8_t(~mask);
    }
}

}  // namespace

SimulatedPositioner::SimulatedPositioner(SimOptions options) : options_(std::move(options)) {
    BuildTable();
    SetDeviceId(options_.deviceId);
    SetProfileRevision(options_.profileRevision);
    SetHardwareWriteProtection(options_.hardwareWriteProtection);
    SetWriteLocked(options_.writeLocked);
    SetSetpointCycle(options_.setpointCycleMs);
}

void SimulatedPositioner::Add(uint8_t slot, uint8_t index, bool writable, ByteVec bytes) {
    Entry e;
    e.initial = bytes;
    e.bytes = std::move(bytes);
    e.writable = writable;
    table_[Key(slot, index)] = std::move(e);
}

void SimulatedPositioner::AddText(uint8_t slot, uint8_t index, bool writable,
                                  const std::string& text, size_t length) {
    Add(slot, index, writable, Text(text, length));
    table_[Key(slot, index)].ident = writable;
}

// The standard parameters at relative indices 0 to 7 of every block.
void SimulatedPositioner::AddBlockHead(uint8_t slot, uint8_t base, ByteVec blockObject,
                                       const std::string& tag, uint8_t permitted) {
    constexpr bool R = false, RW = true;
    Add(slot, base + 0, R, std::move(blockObject));  // BLK_OBJ
    Add(slot, base + 1, R, U16(0));                  // ST_REV
    AddText(slot, base + 2, RW, tag, 32);            // TAG_DESC
    Add(slot, base + 3, RW, U16(0));                 // STRATEGY
    Add(slot, base + 4, RW, U8(0));                  // ALERT_KEY
    Add(slot, base + 5, RW, U8(kModeAuto));          // TARGET_MODE
    // MODE_BLK: actual, permitted, normal.
    Add(slot, base + 6, R, {kModeAuto, permitted, kModeAuto});
    Add(slot, base + 7, R, Zeros(8));  // ALARM_SUM: current, unacknowledged, unreported, disabled
}

void SimulatedPositioner::BuildTable() {
    constexpr bool R = false, RW = true;

    // Physical Block.
    // Permitted modes: those of the blocks' target mode value lists.
    AddBlockHead(0, 16, BlockObject(1, 2, 250, 16, kPbView1), "-/-", kModeOutOfService | kModeAuto);
    AddText(0, 24, R, "1.10", 16);                          // SOFTWARE_REVISION
    AddText(0, 25, R, "1.00", 16);                          // HARDWARE_REVISION
    Add(0, 26, R, U16(4109));                               // DEVICE_MAN_ID
    AddText(0, 27, R, "", 16);                              // DEVICE_ID, set from the options
    AddText(0, 28, R, "62740001", 16);                      // DEVICE_SER_NUM
    Add(0, 29, R, Zeros(4));                                // DIAGNOSIS
    Add(0, 30, R, Zeros(6));                                // DIAGNOSIS_EXTENSION
    Add(0, 31, R, {0xF3, 0xFD, 0x00, 0x80});                // DIAGNOSIS_MASK: what it reports
    Add(0, 32, R, {0xC0, 0x01, 0, 0, 0, 0});                // DIAGNOSIS_MASK_EXTENSION
    AddText(0, 33, R, "CE,NE21, Exmarking see plate", 32);  // DEVICE_CERTIFICATION
    Add(0, 34, RW, U16(kUnlocked));                         // WRITE_LOCKING
    Add(0, 35, RW, U16(0));                                 // FACTORY_RESET
    AddText(0, 36, RW, "", 32);                             // DESCRIPTOR
    AddText(0, 37, RW, "-/-", 32);                          // DEVICE_MESSAGE
    AddText(0, 38, RW, "01.01.2002", 16);                   // DEVICE_INSTAL_DATE
    Add(0, 39, RW, U8(1));                                  // LOCAL_OP_ENA
    Add(0, 40, RW, U8(1));                                  // IDENT_NUMBER_SELECTOR
    Add(0, 41, R, U8(0));                                   // HW_WRITE_PROTECTION
    Add(0, 49, R, U8(0));                                   // MFR/IDENT_FORCED_VENTING
    Add(0, 50, RW, U8(0));                                  // MFR/IDENT_BINARY_INPUT
    Add(0, 51, RW, U8(0));                                  // MFR/IDENT_LIMIT_SWITCHES
    AddText(0, 52, R, "6274-XXXXXXXX-00", 16);              // MFR/DEVICE_PRODUCT_NUM
    AddText(0, 55, RW, "-/-", 32);                          // MFR/TEXT_INPUT_1
    AddText(0, 56, RW, "-/-", 32);                          // MFR/TEXT_INPUT_2
    AddText(0, 57, RW, "-/-", 32);                          // MFR/TEXT_INPUT_3
    Add(0, 59, RW, Zeros(4));                               // MFR/DIAGNOSIS_OPT

    // Device directory header: Dir_ID, Rev_Number, Num_Dir_Obj, Num_Dir_Entry,
    // First_Comp_List_Dir_Entry, Num_Comp_List_Dir_Entry.
    Add(1, 0, R, Cat({U16(0), U16(0x0300), U16(1), U16(6), U16(1), U16(3)}));

    // Transducer Block 1: an initialised electro-pneumatic positioner whose safety position is
    // closed, with the stroke times its initialisation measured.
    AddBlockHead(1, 100, BlockObject(3, 5, 2, 100, kTbView1), "", kModeOutOfService | kModeAuto);
    const float strokeTime = float(options_.strokeTimeS);
    Add(1, 109, R, F32(strokeTime));        // ACT_STROKE_TIME_DEC
    Add(1, 110, R, F32(strokeTime));        // ACT_STROKE_TIME_INC
    Add(1, 122, RW, F32(0.5f));             // DEADBAND
    AddText(1, 123, RW, "01.01.2002", 16);  // DEVICE_CALIB_DATE
    AddText(1, 124, RW, "01.01.2002", 16);  // DEVICE_CONFIG_DATE
    Add(1, 125, RW, U8(0));                 // LIN_TYPE
    Add(1, 132, RW, F32(15));               // RATED_TRAVEL
    Add(1, 133, RW, U8(0));                 // SELF_CALIBRATION_CMD
    Add(1, 134, R, U8(kInitDone));          // SELF_CALIBRATION_STATUS
    Add(1, 135, RW, F32(0.5f));             // SERVO_GAIN_1
    Add(1, 136, RW, F32(0.12f));            // SERVO_RATE_1
    Add(1, 138, RW, F32(1));                // SETP_CUTOFF_DEC
    Add(1, 139, RW, F32(99));               // SETP_CUTOFF_INC
    Add(1, 145, R, F32(0));                 // TOTAL_VALVE_TRAVEL
    Add(1, 146, RW, F32(1000000));          // TOTAL_VALVE_TRAVEL_LIMIT
    Add(1, 147, RW, F32(0));                // TRAVEL_LIMIT_LOW
    Add(1, 148, RW, F32(100));              // TRAVEL_LIMIT_UP
    Add(1, 149, RW, F32(0));                // TRAVEL_RATE_DEC
    Add(1, 150, RW, F32(0));                // TRAVEL_RATE_INC
    AddText(1, 151, RW, "01.01.2002", 16);  // VALVE_MAINTENANCE_DATE
    Add(1, 152, RW, F32(1.2f));             // SERVO_GAIN_2
    Add(1, 157, R, ValueStatus(0, 0));      // POSITIONING_VALUE
    Add(1, 158, R, ValueStatus(0, 0));      // FEEDBACK_VALUE
    AddText(1, 159, RW, "", 16);            // VALVE_MAN
    AddText(1, 160, RW, "", 16);            // ACTUATOR_MAN
    Add(1, 161, RW, U8(0));                 // VALVE_TYPE
    Add(1, 162, R, U8(1));                  // ACTUATOR_TYPE: electro-pneumatic
    Add(1, 163, R, U8(kActionClosing));     // ACTUATOR_ACTION
    AddText(1, 164, RW, "-/-", 16);         // VALVE_SERIAL_NUMBER
    AddText(1, 165, RW, "-/-", 16);         // ACTUATOR_SERIAL_NUMBER
    AddText(1, 166, RW, "-/-", 16);         // ADDITIONAL_GEAR_SER_NUMBER
    AddText(1, 167, RW, "-/-", 16);         // ADDITIONAL_GEAR_MAN
    AddText(1, 168, RW, "-/-", 16);         // ADDITIONAL_GEAR_ID
    AddText(1, 169, RW, "01.01.2002", 16);  // ADDITIONAL_GEAR_INSTALL_DATE
    Add(1, 180, RW, {1, 0x80});             // MFR/TRANSM_CODE: value, status (confirmed)
    Add(1, 181, RW, F32(42));               // MFR/TRANSM_LENGTH
    Add(1, 182, RW, U8(0));                 // MFR/TRANSM_PIN_POS
    Add(1, 183, RW, U8(0));                 // MFR/INIT_METHOD
    Add(1, 184, RW, F32(10));               // MFR/DELAY_TIME
    Add(1, 185, RW, F32(5));                // MFR/TOLERANCE_BAND
    Add(1, 186, R, U8(0));                  // MFR/SELF_CALIB_WARNING
    Add(1, 187, R, U8(0));                  // MFR/BINARY_INPUT
    Add(1, 188, R, F32(100));               // MFR/MAX_HUB
    Add(1, 190, R, U8(kStateControlling));  // MFR/TRANSDUCER_STATE
    AddText(1, 191, RW, "-/-", 32);         // MFR/CHARACT_TYPE
    Add(1, 192, RW, F32(0.5f));             // MFR/TOL_OVERSHOOT
    Add(1, 193, RW, U8(0));                 // MFR/ATTACHMENT
    Add(1, 194, RW, U8(0));                 // MFR/ACTUATOR_VERSION
    Add(1, 195, RW, U8(1));                 // MFR/MOUNTING_POSITION

    // Analog Output block 1.
    AddBlockHead(
        1, 16, BlockObject(2, 2, 1, 16, kAoView1), "",
        kModeOutOfService | kModeLocalOverride | kModeManual | kModeAuto | kModeRemoteCascade);
    Add(1, 24, RW, Cat({U32(0), U16(0), U16(0), U16(0)}));      // BATCH
    Add(1, 25, RW, ValueStatus(0, 0));                          // SP
    Add(1, 27, RW, Cat({F32(100), F32(0), U16(1342), U8(2)}));  // PV_SCALE
    Add(1, 28, R, ValueStatus(0, 0));                           // READBACK
    Add(1, 30, RW, ValueStatus(0, 0x18));                       // RCAS_IN
    Add(1, 37, RW, U16(314));                                   // IN_CHANNEL
    Add(1, 38, RW, U16(313));                                   // OUT_CHANNEL
    Add(1, 39, RW, F32(0));                                     // FSAFE_TIME
    Add(1, 40, RW, U8(2));                                      // FSAFE_TYPE
    Add(1, 41, RW, F32(0));                                     // FSAFE_VALUE
    Add(1, 43, R, ValueStatus(0, 0));                           // RCAS_OUT
    Add(1, 47, R, {0, 0});                                      // POS_D: value, status
    Add(1, 48, R, F32(0));                                      // SETP_DEVIATION
    Add(1, 49, R, Zeros(3));                                    // CHECK_BACK
    Add(1, 50, R, {0x8F, 0xEC, 0x03});                          // CHECK_BACK_MASK
    Add(1, 51, RW, Cat({U8(0x80), F32(0), U8(0)}));             // SIMULATE: status, value, enabled
    Add(1, 52, RW, U8(0));                                      // INCREASE_CLOSE
    Add(1, 53, RW, ValueStatus(0, 0));                          // OUT
    Add(1, 54, RW, Cat({F32(100), F32(0), U16(1342), U8(2)}));  // OUT_SCALE
    Add(1, 65, RW, Zeros(3));                                   // MFR/CHECK_BACK_OPT

    // The view 1 objects, at the address each block object gives; put together when read.
    for (const View& v : kViews)
        Add(uint8_t(v.view >> 8), uint8_t(v.view), R, {});
}

void SimulatedPositioner::SetDeviceId(const std::string& text) {
    options_.deviceId = text;
    auto& e = table_.at(kPbDeviceId);
    e.bytes = e.initial = Text(text, 16);
}

void SimulatedPositioner::SetProfileRevision(uint16_t revision) {
    options_.profileRevision = revision;
    auto& e = table_.at(kDirectoryHeader);
    e.bytes[2] = e.initial[2] = uint8_t(revision >> 8);
    e.bytes[3] = e.initial[3] = uint8_t(revision);
}

void SimulatedPositioner::SetHardwareWriteProtection(bool on) {
    options_.hardwareWriteProtection = on;
    Bytes(kPbHwWriteProtection)[0] = on ? 1 : 0;
}

void SimulatedPositioner::SetWriteLocked(bool locked) {
    options_.writeLocked = locked;
    Bytes(kPbWriteLocking) = U16(locked ? kLocked : kUnlocked);
}

void SimulatedPositioner::SetSetpointCycle(int64_t periodMs) {
    options_.setpointCycleMs = std::max<int64_t>(periodMs, 0);
    DriveSetpoint();
    FollowModes();
    UpdateProcess();
}

bool SimulatedPositioner::Has(uint8_t slot, uint8_t index) const {
    return table_.count(Key(slot, index)) != 0;
}

std::vector<uint8_t> SimulatedPositioner::Record(uint8_t slot, uint8_t index) const {
    const uint16_t key = Key(slot, index);
    return table_.count(key) != 0 ? Current(key) : ByteVec{};
}

bool SimulatedPositioner::SetRecord(uint8_t slot, uint8_t index, const ByteVec& bytes) {
    auto it = table_.find(Key(slot, index));
    if (it == table_.end() || it->second.bytes.size() != bytes.size())
        return false;
    it->second.bytes = bytes;
    return true;
}

void SimulatedPositioner::InjectFault(uint8_t slot, uint8_t index, const SimFault& fault) {
    faults_[Key(slot, index)] = fault;
}

void SimulatedPositioner::ClearFaults() {
    faults_.clear();
    busyLeft_ = 0;
}

void SimulatedPositioner::SetBusy(int32_t requests, uint8_t errorCode) {
    busyLeft_ = std::max(requests, 0);
    busyCode_ = errorCode;
}

int32_t SimulatedPositioner::RequestCount(uint8_t slot, uint8_t index) const {
    auto it = counts_.find(Key(slot, index));
    return it == counts_.end() ? 0 : it->second;
}

void SimulatedPositioner::ClearLog() {
    log_.clear();
    counts_.clear();
}

float SimulatedPositioner::GetFloat(uint16_t key, size_t at) const {
    const auto& b = Bytes(key);
    const uint32_t v = uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 |
                       uint32_t(b[at + 2]) << 8 | uint32_t(b[at + 3]);
    return std::bit_cast<float>(v);
}

void SimulatedPositioner::PutFloat(uint16_t key, size_t at, double value) {
    const ByteVec f = F32(float(value));
    std::copy(f.begin(), f.end(), Bytes(key).begin() + long(at));
}

uint16_t SimulatedPositioner::GetU16(uint16_t key, size_t at) const {
    const auto& b = Bytes(key);
    return uint16_t(b[at] << 8 | b[at + 1]);
}

void SimulatedPositioner::Restore(uint16_t key) {
    Entry& e = table_.at(key);
    e.bytes = e.initial;
}

std::optional<SimFault> SimulatedPositioner::TakeFault(uint16_t key) {
    auto it = faults_.find(key);
    if (it == faults_.end())
        return std::nullopt;
    SimFault fault = it->second;
    if (it->second.times > 0 && --it->second.times == 0)
        faults_.erase(it);
    return fault;
}

SimReply SimulatedPositioner::Process(const Dpv1Request& request) {
    const uint16_t key = Key(request.slot, request.index);
    if (log_.size() == kLogCapacity)
        log_.pop_front();
    log_.push_back(request);
    ++counts_[key];

    SimReply reply;
    if (busyLeft_ > 0) {
        --busyLeft_;
        reply.response = ErrorResponse(busyCode_);
        return reply;
    }
    const std::optional<SimFault> fault = TakeFault(key);
    if (fault) {
        reply.delayMs = std::max(fault->delayMs, 0);
        if (fault->noAnswer) {
            reply.answered = false;
            return reply;
        }
        if (fault->errorCode != 0) {
            reply.response = ErrorResponse(fault->errorCode);
            return reply;
        }
    }
    reply.response = request.write ? Write(request) : Read(request);
    if (fault && !request.write && reply.response.errorInfo.empty()) {
        ByteVec& d = reply.response.data;
        const size_t at = size_t(fault->invalidFloatAt);
        if (fault->invalidFloatAt >= 0 && at + 4 <= d.size()) {
            d[at] = 0x7F;
            d[at + 1] = d[at + 2] = d[at + 3] = 0xFF;
        }
        if (fault->shortLength >= 0 && size_t(fault->shortLength) < d.size()) {
            d.resize(size_t(fault->shortLength));
        }
    }
    return reply;
}

Dpv1Response SimulatedPositioner::Read(const Dpv1Request& request) const {
    auto it = table_.find(Key(request.slot, request.index));
    if (it == table_.end()) {
        return ErrorResponse(request.slot > 1 ? kDpv1InvalidSlot : kDpv1InvalidIndex);
    }
    Dpv1Response r;
    r.data = Current(it->first);
    if (r.data.size() > request.length)
        r.data.resize(request.length);
    return r;
}

// The record as read: a view 1 object is put together from its parts, the others are stored.
ByteVec SimulatedPositioner::Current(uint16_t key) const {
    for (const View& v : kViews) {
        if (v.view != key)
            continue;
        ByteVec bytes;
        for (uint16_t part : v.parts) {
            if (part != 0) {
                const ByteVec& b = Bytes(part);
                bytes.insert(bytes.end(), b.begin(), b.end());
            }
        }
        return bytes;
    }
    return Bytes(key);
}

Dpv1Response SimulatedPositioner::Write(const Dpv1Request& request) {
    const uint16_t key = Key(request.slot, request.index);
    auto it = table_.find(key);
    if (it == table_.end()) {
        return ErrorResponse(request.slot > 1 ? kDpv1InvalidSlot : kDpv1InvalidIndex);
    }
    Entry& e = it->second;
    const bool hardwareProtected = Bytes(kPbHwWriteProtection)[0] == 1;
    const bool locked = GetU16(kPbWriteLocking) == kLocked && key != kPbWriteLocking;
    if (!e.writable || hardwareProtected || locked)
        return ErrorResponse(kDpv1AccessDenied);
    if (request.data.size() != e.bytes.size())
        return ErrorResponse(kDpv1WriteLengthError);
    if (const uint8_t code = Refusal(key, request.data))
        return ErrorResponse(code);
    if (key == kTbTransmCode) {
        // The status is the device's own: a new code stays unconfirmed until an initialisation.
        const uint8_t status = request.data[0] == e.bytes[0] ? e.bytes[1] : kTransmNotConfirmed;
        e.bytes = {request.data[0], status};
    } else {
        e.bytes = request.data;
    }
    AfterWrite(key);
    return {};
}

// The error code with which the device refuses a value of the right length (0: accepted).
uint8_t SimulatedPositioner::Refusal(uint16_t key, const ByteVec& data) const {
    if (key == kPbWriteLocking) {
        const uint16_t v = uint16_t(data[0] << 8 | data[1]);
        return v == kLocked || v == kUnlocked ? 0 : kDpv1InvalidParameter;
    }
    if (key == kPbFactoryReset) {
        const uint16_t v = uint16_t(data[0] << 8 | data[1]);
        const bool known = v == 0 || v == kColdStartApplIdent || v == kWarmStart ||
                           v == kResetBusAddress || v == kColdStartIdent || v == kColdStartAppl;
        return known ? 0 : kDpv1InvalidParameter;
    }
    if (key == kTbSelfCalibrationCmd) {
        const uint8_t v = data[0];
        if (v != 0 && v != kCalZero && v != kCalInit && v != kResetTotalTravel &&
            v != kResetControlLoopFault && v != kCalAbort)
            return kDpv1InvalidParameter;
        if ((v == kCalZero || v == kCalInit) && Calibrating())
            return kDpv1ResourceBusy;  // one calibration at a time
        if (v == kCalZero && !initialised_)
            return kDpv1StateConflict;  // the zero point needs an initialised valve
        return 0;
    }
    static constexpr std::array<std::pair<uint16_t, uint16_t>, 3> kModes = {
        {{kPbTargetMode, kPbModeBlk}, {kTbTargetMode, kTbModeBlk}, {kAoTargetMode, kAoModeBlk}}};
    for (const auto& [target, modes] : kModes) {
        if (key == target) {
            // One mode, and one that the block permits.
            const uint8_t v = data[0], permitted = Bytes(modes)[1];
            return std::has_single_bit(v) && (v & permitted) == v ? 0 : kDpv1InvalidParameter;
        }
    }
    return 0;
}

void SimulatedPositioner::AfterWrite(uint16_t key) {
    if (key == kPbFactoryReset) {
        const uint16_t command = GetU16(key);
        Bytes(key) = U16(0);  // a command reads back as done
        FactoryReset(command);
    } else if (key == kTbSelfCalibrationCmd) {
        const uint8_t command = Bytes(key)[0];
        Bytes(key) = U8(0);
        Calibrate(command);
    }
    FollowModes();
    UpdateProcess();
}

// --- Commands ---

void SimulatedPositioner::FactoryReset(uint16_t command) {
    switch (command) {
        case kWarmStart:  // a restart keeps every parameter; a running calibration is lost
            warmStartUntil_ = now_ + kRestartBitMs;
            AbortCalibration();
            break;
        case kColdStartApplIdent:
            ColdStart(true, true);
            break;
        case kColdStartAppl:
            ColdStart(true, false);
            break;
        case kColdStartIdent:
            ColdStart(false, true);
            break;
        case kResetBusAddress:
            busAddress_ = 126;
            break;
        default:
            break;
    }
}

// Writable parameters back to their factory values: the identification texts, the application
// parameters or both. After the application's reset the valve has to be initialised again.
void SimulatedPositioner::ColdStart(bool application, bool identification) {
    for (auto& [key, e] : table_) {
        if (e.writable && (e.ident ? identification : application))
            e.bytes = e.initial;
    }
    if (application) {
        // Forgets what the initialisation learnt: stroke times, safety position, the confirmed
        // transmission code.
        calibration_ = Calibration::None;
        initialised_ = false;
        controlLoopFault_ = false;
        deviationSince_ = -1;
        PutFloat(kTbStrokeTimeDec, 0, 0.0);
        PutFloat(kTbStrokeTimeInc, 0, 0.0);
        SetCalibrationStatus(kCalStatusNone);
        Restore(kTbSelfCalibWarning);
        Bytes(kTbActuatorAction)[0] = kActionUnknown;
        Bytes(kTbTransmCode)[1] = kTransmNotConfirmed;
    }
    coldStartUntil_ = now_ + kRestartBitMs;
}

void SimulatedPositioner::Calibrate(uint8_t command) {
    switch (command) {
        case kCalZero:
        case kCalInit:
            calibration_ = command == kCalInit ? Calibration::Init : Calibration::Zero;
            calibrationStart_ = now_;
            calibrationEnd_ = now_ + (command == kCalInit ? kInitialisationMs : kZeroCalibrationMs);
            SetCalibrationStatus(command == kCalInit ? kInitRunning : kZeroRunning);
            break;
        case kCalAbort:
            AbortCalibration();
            break;
        case kResetTotalTravel:
            travelPercent_ = 0.0;
            break;
        case kResetControlLoopFault:
            controlLoopFault_ = false;
            deviationSince_ = -1;
            break;
        default:
            break;
    }
}

// The initialisation learns the stroke times and the safety position, confirms the
// transmission code and makes the device initialised.
void SimulatedPositioner::FinishCalibration() {
    if (calibration_ == Calibration::Init) {
        PutFloat(kTbStrokeTimeDec, 0, options_.strokeTimeS);
        PutFloat(kTbStrokeTimeInc, 0, options_.strokeTimeS);
        Bytes(kTbSelfCalibWarning)[0] = 0;
        Bytes(kTbActuatorAction)[0] = kActionClosing;
        Bytes(kTbTransmCode)[1] = kTransmConfirmed;
        initialised_ = true;
        SetCalibrationStatus(kInitDone);
    } else {
        SetCalibrationStatus(kZeroDone);
    }
    calibration_ = Calibration::None;
}

// Ends a running calibration without its result; nothing when none runs.
void SimulatedPositioner::AbortCalibration() {
    if (!Calibrating())
        return;
    calibration_ = Calibration::None;
    SetCalibrationStatus(kCalAborted);
}

void SimulatedPositioner::SetCalibrationStatus(uint8_t status) {
    Bytes(kTbSelfCalibrationStatus)[0] = status;
}

// --- Device time ---

void SimulatedPositioner::Advance(int64_t ms) {
    while (ms > 0) {
        const int64_t step = std::min(ms, kStepMs);
        Step(step);
        ms -= step;
    }
}

void SimulatedPositioner::FollowClock(int64_t nowMs) {
    if (clockMs_ && nowMs > *clockMs_)
        Advance(std::min(nowMs - *clockMs_, kMaxCatchUpMs));
    if (!clockMs_ || nowMs > *clockMs_)
        clockMs_ = nowMs;
}

void SimulatedPositioner::Step(int64_t ms) {
    now_ += ms;
    if (Calibrating() && now_ >= calibrationEnd_)
        FinishCalibration();
    DriveSetpoint();
    FollowModes();
    Move(ms);
    WatchControlLoop(ms);
    UpdateProcess();
}

// The simulated control system's setpoint: a triangle from 10 % to 90 % of PV_SCALE and back,
// with a good status.
void SimulatedPositioner::DriveSetpoint() {
    const int64_t period = options_.setpointCycleMs;
    if (period <= 0)
        return;
    const double phase = double(now_ % period) / double(period);
    const double pct = phase < 0.5 ? 10.0 + 160.0 * phase : 170.0 - 160.0 * phase;
    const double up = GetFloat(kAoPvScale, 0), lo = GetFloat(kAoPvScale, 4);
    Bytes(kAoSp) = ValueStatus(float(lo + pct / 100.0 * (up - lo)), kStatusGood);
}

// The actual mode of each block follows its target mode. The Physical Block out of service takes
// the other blocks with it; remote cascade needs a cascade input with a good status, else the
// block stays in automatic. In remote cascade the cascade input is the setpoint.
void SimulatedPositioner::FollowModes() {
    const uint8_t pb = Bytes(kPbTargetMode)[0];
    const bool deviceOut = pb == kModeOutOfService;
    uint8_t ao = deviceOut ? kModeOutOfService : Bytes(kAoTargetMode)[0];
    const ByteVec& rcasIn = Bytes(kAoRcasIn);
    if (ao == kModeRemoteCascade && rcasIn[4] < kStatusGood)
        ao = kModeAuto;
    Bytes(kPbModeBlk)[0] = pb;
    Bytes(kTbModeBlk)[0] = deviceOut ? kModeOutOfService : Bytes(kTbTargetMode)[0];
    Bytes(kAoModeBlk)[0] = ao;
    if (ao == kModeRemoteCascade)
        Bytes(kAoSp) = rcasIn;
}

// The positioner controls the valve while no block is out of service, the valve is initialised
// and no calibration runs.
bool SimulatedPositioner::Controlling() const {
    for (uint16_t modes : {kPbModeBlk, kTbModeBlk, kAoModeBlk}) {
        if (Bytes(modes)[0] == kModeOutOfService)
            return false;
    }
    return initialised_ && !Calibrating();
}

// The setpoint the Analog Output block works to, in percent of the stroke: SP scaled through
// PV_SCALE, in manual and local override OUT through OUT_SCALE; not a number when its scale
// gives none.
double SimulatedPositioner::SetpointPercent() const {
    const uint8_t mode = Bytes(kAoModeBlk)[0];
    const bool output = mode == kModeManual || mode == kModeLocalOverride;
    const uint16_t value = output ? kAoOut : kAoSp, scale = output ? kAoOutScale : kAoPvScale;
    const double up = GetFloat(scale, 0), lo = GetFloat(scale, 4);
    return (double(GetFloat(value)) - lo) / (up - lo) * 100.0;
}

// Where the valve is told to go, in percent of the stroke: the setpoint held within the travel
// limits. Without control it is the safety position, closed. A scale that gives no number keeps
// the valve where it is.
double SimulatedPositioner::TargetPercent() const {
    if (!Controlling())
        return 0.0;
    double pct = SetpointPercent();
    if (!std::isfinite(pct))
        return position_;
    const double limLo = GetFloat(kTbTravelLimitLow), limUp = GetFloat(kTbTravelLimitUp);
    if (std::isfinite(limLo) && std::isfinite(limUp) && limLo <= limUp) {
        pct = std::clamp(pct, limLo, limUp);
    }
    return pct;
}

// The read-back in percent of PV_SCALE: the valve's position, or the simulated value while
// simulation is on.
double SimulatedPositioner::ReadbackPercent() const {
    const ByteVec& sim = Bytes(kAoSimulate);
    if (sim[5] == 0)
        return position_;
    const double up = GetFloat(kAoPvScale, 0), lo = GetFloat(kAoPvScale, 4);
    return (double(GetFloat(kAoSimulate, 1)) - lo) / (up - lo) * 100.0;
}

// Seconds for a full stroke: the travel rate when set, else the stroke time measured by the
// initialisation, else the default of the options.
double SimulatedPositioner::StrokeSeconds(bool opening) const {
    for (uint16_t key : {opening ? kTbTravelRateInc : kTbTravelRateDec,
                         opening ? kTbStrokeTimeInc : kTbStrokeTimeDec}) {
        const double s = GetFloat(key);
        if (std::isfinite(s) && s > 0)
            return s;
    }
    return options_.strokeTimeS;
}

// The valve travels: during an initialisation it opens fully and closes again, during a zero
// calibration it closes, otherwise it heads for its target at its stroke speed.
void SimulatedPositioner::Move(int64_t ms) {
    const double before = position_;
    if (calibration_ == Calibration::Init) {
        const int64_t elapsed = now_ - calibrationStart_;
        const int64_t duration = std::max<int64_t>(calibrationEnd_ - calibrationStart_, 1);
        position_ = 200.0 * double(std::min(elapsed, duration - elapsed)) / double(duration);
    } else {
        const double goal = calibration_ == Calibration::Zero ? 0.0 : TargetPercent();
        const double diff = goal - position_;
        const double stroke = StrokeSeconds(diff > 0);
        const double step = stroke > 0 ? 100.0 * double(ms) / (stroke * 1000.0) : std::abs(diff);
        const double moved = std::min(std::abs(diff), step);
        position_ += diff > 0 ? moved : -moved;
    }
    travelPercent_ += std::abs(position_ - before);
}

// A control-loop fault: while controlling, the valve missed its target by more than the
// tolerance band for longer than the delay time. It stays until reset by command.
void SimulatedPositioner::WatchControlLoop(int64_t ms) {
    const double band = GetFloat(kTbToleranceBand);
    if (!Controlling() || !(std::abs(TargetPercent() - position_) > band)) {
        deviationSince_ = -1;
        return;
    }
    if (deviationSince_ < 0)
        deviationSince_ = now_ - ms;
    if (double(now_ - deviationSince_) > double(GetFloat(kTbDelayTime)) * 1000.0)
        controlLoopFault_ = true;
}

// Writes the process values, status bytes and state bits that follow from the device's state.
void SimulatedPositioner::UpdateProcess() {
    const uint8_t mode = Bytes(kAoModeBlk)[0];
    const bool controlling = Controlling();
    const uint8_t status = controlling ? kStatusGood : kStatusOutOfService;
    const double target = TargetPercent();

    Bytes(kTbPositioningValue) = ValueStatus(float(target), status);
    Bytes(kTbFeedbackValue) = ValueStatus(float(position_), status);

    const ByteVec& sim = Bytes(kAoSimulate);
    const bool simulating = sim[5] != 0;
    const double pvUp = GetFloat(kAoPvScale, 0), pvLo = GetFloat(kAoPvScale, 4);
    if (simulating) {
        // Simulation replaces the read-back by the simulated value and status.
        Bytes(kAoReadback) = ByteVec{sim[1], sim[2], sim[3], sim[4], sim[0]};
    } else {
        Bytes(kAoReadback) = ValueStatus(float(pvLo + position_ / 100.0 * (pvUp - pvLo)), status);
    }
    const ByteVec& sp = Bytes(kAoSp);
    Bytes(kAoRcasOut) = ByteVec{sp[0], sp[1], sp[2], sp[3], status};
    if (mode == kModeOutOfService) {
        Bytes(kAoOut)[4] = kStatusOutOfService;  // the output holds its value
    } else if (mode != kModeManual && mode != kModeLocalOverride) {
        const double up = GetFloat(kAoOutScale, 0), lo = GetFloat(kAoOutScale, 4);
        Bytes(kAoOut) = ValueStatus(float(lo + target / 100.0 * (up - lo)), status);
    }
    // POS_D: 0 not initialised, 1 closed, 2 opened, 3 intermediate.
    const double readback = ReadbackPercent();
    const uint8_t discrete = !initialised_ || Calibrating() ? 0
                             : readback <= 0.5              ? 1
                             : readback >= 99.5             ? 2
                                                            : 3;
    Bytes(kAoPosD) = ByteVec{discrete, status};
    // The setpoint's distance from the position, whatever keeps the valve from the setpoint
    // (the travel limits, the safety position).
    const double deviation = SetpointPercent() - readback;
    PutFloat(kAoSetpDeviation, 0, std::isfinite(deviation) ? deviation : 0.0);
    const double strokes = travelPercent_ / 100.0;
    PutFloat(kTbTotalValveTravel, 0, strokes);

    const bool travelOverLimit = strokes > GetFloat(kTbTotalValveTravelLimit);
    ByteVec& cb = Bytes(kAoCheckBack);
    SetBit(cb, 0, 0x01, !controlling && !Calibrating());  // CB_FAIL_SAFE
    SetBit(cb, 0, 0x04, mode == kModeLocalOverride);      // CB_LOCAL_OP
    SetBit(cb, 1, 0x08, simulating);                      // CB_SIMULATE
    SetBit(cb, 1, 0x20, controlLoopFault_);               // CB_CONTR_ERR
    SetBit(cb, 1, 0x40, !controlling);                    // CB_NOT_CONTROLLING
    SetBit(cb, 1, 0x80, Calibrating());                   // CB_SELFTEST
    SetBit(cb, 2, 0x01, travelOverLimit);                 // CB_TOT_VALVE_TRAV

    ByteVec& dia = Bytes(kPbDiagnosis);
    SetBit(dia, 0, 0x40, !initialised_);                         // DIA_NOT_INIT
    SetBit(dia, 1, 0x08, now_ < warmStartUntil_);                // DIA_WARMSTART
    SetBit(dia, 1, 0x10, now_ < coldStartUntil_);                // DIA_COLDSTART
    SetBit(dia, 1, 0x20, travelOverLimit || controlLoopFault_);  // DIA_MAINTAINANCE
    const ByteVec& ext = Bytes(kPbDiagnosisExtension);
    SetBit(dia, 3, 0x80, std::any_of(ext.begin(), ext.end(), [](uint8_t b) { return b != 0; }));

    Bytes(kTbTransducerState)[0] = TransducerState(controlling, mode);
}

// MFR/TRANSDUCER_STATE: what the positioner is doing.
uint8_t SimulatedPositioner::TransducerState(bool controlling, uint8_t aoMode) const {
    if (calibration_ == Calibration::Init)
        return kStateInitialising;
    if (calibration_ == Calibration::Zero)
        return kStateZeroCalibration;
    if (!initialised_)
        return kStateNotInitialised;
    if (!controlling)
        return kStateFailSafe;
    if (controlLoopFault_)
        return kStateFault;
    return aoMode == kModeManual || aoMode == kModeLocalOverride ? kStateManual : kStateControlling;
}

}  // namespace kv
