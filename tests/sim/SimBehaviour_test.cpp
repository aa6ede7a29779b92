// What the simulated positioner does as a device: the command values that the command pages
// write, the write protection, the block modes, the simulation of the Analog Output block, the
// travelling valve and its device time.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "SimTestSupport.h"
#include "sim/SimulatedPositioner.h"

namespace kv {
namespace {

using namespace simtest;

struct Addr {
    uint8_t slot;
    uint8_t index;
};

// Physical Block: slot 0, index = relative index + 16.
constexpr Addr kPbTag{0, 18}, kPbTargetMode{0, 21}, kPbModeBlk{0, 22}, kDiagnosis{0, 29},
    kWriteLocking{0, 34}, kFactoryReset{0, 35}, kHwWriteProtection{0, 41};
// Transducer Block 1: slot 1, index = relative index + 100.
constexpr Addr kTbTargetMode{1, 105}, kTbModeBlk{1, 106}, kStrokeTimeDec{1, 109},
    kStrokeTimeInc{1, 110}, kDeadband{1, 122}, kCalCmd{1, 133}, kCalStatus{1, 134},
    kTotalTravel{1, 145}, kTotalTravelLimit{1, 146}, kTravelLimitUp{1, 148}, kTravelRateInc{1, 150},
    kPositioningValue{1, 157}, kFeedbackValue{1, 158}, kActuatorAction{1, 163}, kTransmCode{1, 180},
    kTransducerState{1, 190};
// Analog Output block 1: slot 1, index = relative index + 16.
constexpr Addr kAoTargetMode{1, 21}, kAoModeBlk{1, 22}, kSp{1, 25}, kPvScale{1, 27},
    kReadback{1, 28}, kRcasIn{1, 30}, kRcasOut{1, 43}, kPosD{1, 47}, kSetpDeviation{1, 48},
    kCheckBack{1, 49}, kSimulate{1, 51}, kOut{1, 53}, kOutScale{1, 54};

constexpr uint8_t kGood = 0x80, kBadOutOfService = 0x1C, kBadNoCommunication = 0x18;

Bytes R(SimulatedPositioner& d, Addr a) {
    const Dpv1Response r = Read(d, a.slot, a.index);
    EXPECT_TRUE(r.errorInfo.empty());
    return r.data;
}

Bytes W(SimulatedPositioner& d, Addr a, const Bytes& data) {
    return Write(d, a.slot, a.index, data).errorInfo;
}

bool Bit(const Bytes& b, size_t at, uint8_t mask) {
    return (b.at(at) & mask) != 0;
}

// A scale record: upper value, lower value, unit (1342 %), decimal point.
Bytes Scale(float up, float lo) {
    return Join({F32(up), F32(lo), {0x05, 0x3E, 0x03}});
}

// Bits of the records the tests look at.
bool ControlLoopFault(SimulatedPositioner& d) {
    return Bit(R(d, kCheckBack), 1, 0x20);  // CB_CONTR_ERR
}
bool SelfTest(SimulatedPositioner& d) {
    return Bit(R(d, kCheckBack), 1, 0x80);  // CB_SELFTEST
}
bool FailSafe(SimulatedPositioner& d) {
    return Bit(R(d, kCheckBack), 0, 0x01);  // CB_FAIL_SAFE
}
bool NotControlling(SimulatedPositioner& d) {
    return Bit(R(d, kCheckBack), 1, 0x40);  // CB_NOT_CONTROLLING
}

// --- The command values of the command pages ---

struct CommandCase {
    const char* button;
    Addr element;
    Bytes value;  // the command value as the element's type encodes it
    std::function<void(SimulatedPositioner&)> before;
    std::function<void(SimulatedPositioner&)> check;
};

TEST(SimCommands, EachButtonsValueHasItsEffect) {
    auto travelFullStroke = [](SimulatedPositioner& d) {
        ASSERT_TRUE(W(d, kSp, ValueStatus(100, kGood)).empty());
        d.Advance(10000);
        ASSERT_EQ(R(d, kTotalTravel), F32(1));
    };
    auto changeParameters = [](SimulatedPositioner& d) {
        ASSERT_TRUE(W(d, kPbTag, Pad("FV-7", 32)).empty());
        ASSERT_TRUE(W(d, kDeadband, F32(2)).empty());
    };
    auto startInitialisation = [](SimulatedPositioner& d) {
        ASSERT_TRUE(W(d, kCalCmd, {2}).empty());
    };
    const CommandCase cases[] = {
        {"cmdTotalValveTravel",
         kCalCmd,
         {7},
         travelFullStroke,
         [](SimulatedPositioner& d) { EXPECT_EQ(R(d, kTotalTravel), F32(0)); }},
        {"cmdCtrlLoopFault",
         kCalCmd,
         {10},
         [](SimulatedPositioner& d) {
             ASSERT_TRUE(W(d, kTravelRateInc, F32(30)).empty());  // too slow for the delay time
             ASSERT_TRUE(W(d, kSp, ValueStatus(100, kGood)).empty());
             d.Advance(12000);
             ASSERT_TRUE(ControlLoopFault(d));
         },
         [](SimulatedPositioner& d) { EXPECT_FALSE(ControlLoopFault(d)); }},
        {"cmdWarmStart",
         kFactoryReset,
         {0x09, 0xCA},  // 2506
         [&](SimulatedPositioner& d) {
             changeParameters(d);
             startInitialisation(d);
         },
         [](SimulatedPositioner& d) {
             EXPECT_EQ(R(d, kDiagnosis), (Bytes{0x00, 0x08, 0x00, 0x00}));  // DIA_WARMSTART
             EXPECT_EQ(R(d, kPbTag), Pad("FV-7", 32));
             EXPECT_EQ(R(d, kDeadband), F32(2));
             EXPECT_EQ(R(d, kCalStatus), Bytes{7});  // the running initialisation is lost
         }},
        {"cmdColdStartAppl",
         kFactoryReset,
         {0x80, 0x01},
         changeParameters,  // 32769
         [](SimulatedPositioner& d) {
             EXPECT_EQ(R(d, kPbTag), Pad("FV-7", 32));
             EXPECT_EQ(R(d, kDeadband), F32(0.5f));
             // DIA_NOT_INIT and DIA_COLDSTART: the valve has to be initialised again.
             EXPECT_EQ(R(d, kDiagnosis), (Bytes{0x40, 0x10, 0x00, 0x00}));
         }},
        {"cmdColdStartIdent",
         kFactoryReset,
         {0x80, 0x00},
         changeParameters,  // 32768
         [](SimulatedPositioner& d) {
             EXPECT_EQ(R(d, kPbTag), Pad("-/-", 32));
             EXPECT_EQ(R(d, kDeadband), F32(2));
             EXPECT_EQ(R(d, kDiagnosis), (Bytes{0x00, 0x10, 0x00, 0x00}));
         }},
        {"cmdColdStartApplIdent",
         kFactoryReset,
         {0x00, 0x01},
         changeParameters,
         [](SimulatedPositioner& d) {
             EXPECT_EQ(R(d, kPbTag), Pad("-/-", 32));
             EXPECT_EQ(R(d, kDeadband), F32(0.5f));
             EXPECT_EQ(R(d, kDiagnosis), (Bytes{0x40, 0x10, 0x00, 0x00}));
         }},
        {"cmdResetBusAdr",
         kFactoryReset,
         {0x0A, 0x98},  // 2712
         [](SimulatedPositioner& d) { d.SetBusAddress(5); },
         [](SimulatedPositioner& d) {
             EXPECT_EQ(d.BusAddress(), 126);
             EXPECT_EQ(R(d, kDiagnosis), (Bytes{0x00, 0x00, 0x00, 0x00}));
         }},
        {"cmdInitValve",
         kCalCmd,
         {2},
         nullptr,
         [](SimulatedPositioner& d) {
             EXPECT_EQ(R(d, kCalStatus), Bytes{1});  // initialisation running
             EXPECT_TRUE(SelfTest(d));
         }},
        {"cmdCalZeroValve",
         kCalCmd,
         {1},
         nullptr,
         [](SimulatedPositioner& d) {
             EXPECT_EQ(R(d, kCalStatus), Bytes{4});  // zero calibration running
             EXPECT_TRUE(SelfTest(d));
         }},
        {"cmdAbortAction",
         kCalCmd,
         {255},
         startInitialisation,
         [](SimulatedPositioner& d) {
             EXPECT_EQ(R(d, kCalStatus), Bytes{7});  // aborted
             EXPECT_FALSE(SelfTest(d));
         }},
    };
    for (const CommandCase& c : cases) {
        SCOPED_TRACE(c.button);
        SimulatedPositioner d;
        if (c.before)
            c.before(d);
        EXPECT_TRUE(W(d, c.element, c.value).empty());
        EXPECT_EQ(R(d, c.element), Bytes(c.value.size(), 0));  // reads back as done
        c.check(d);
    }
}

TEST(SimCommands, UnknownValuesAreRefusedAndChangeNothing) {
    SimulatedPositioner d;
    EXPECT_EQ(W(d, kFactoryReset, {0x00, 0x05}), Err(0xB8));
    EXPECT_EQ(W(d, kFactoryReset, {0x09, 0xCB}), Err(0xB8));
    EXPECT_EQ(W(d, kCalCmd, {3}), Err(0xB8));
    EXPECT_EQ(W(d, kCalCmd, {0xFE}), Err(0xB8));
    EXPECT_EQ(W(d, kCalCmd, {0x00, 0x02}), Err(0xB1));  // one byte
    EXPECT_EQ(R(d, kDiagnosis), (Bytes{0, 0, 0, 0}));
    EXPECT_EQ(R(d, kCalStatus), Bytes{SimulatedPositioner::kInitDone});
    EXPECT_TRUE(W(d, kFactoryReset, {0x00, 0x00}).empty());  // no action
    EXPECT_TRUE(W(d, kCalCmd, {0}).empty());
    EXPECT_EQ(R(d, kDiagnosis), (Bytes{0, 0, 0, 0}));
}

TEST(SimCommands, RestartBitsShowForTenSeconds) {
    SimulatedPositioner d;
    ASSERT_TRUE(W(d, kFactoryReset, {0x09, 0xCA}).empty());
    d.Advance(9900);
    EXPECT_EQ(R(d, kDiagnosis), (Bytes{0x00, 0x08, 0x00, 0x00}));
    d.Advance(100);
    EXPECT_EQ(R(d, kDiagnosis), (Bytes{0x00, 0x00, 0x00, 0x00}));

    ASSERT_TRUE(W(d, kAoTargetMode, {0x10}).empty());
    ASSERT_TRUE(W(d, kFactoryReset, {0x80, 0x00}).empty());  // identification only
    EXPECT_EQ(R(d, kAoModeBlk)[0], 0x10);
    ASSERT_TRUE(W(d, kFactoryReset, {0x80, 0x01}).empty());  // application: modes too
    EXPECT_EQ(R(d, kAoModeBlk)[0], 0x08);
    d.Advance(10000);
    EXPECT_EQ(R(d, kDiagnosis), (Bytes{0x40, 0x00, 0x00, 0x00}));  // still not initialised
}

// --- Write protection ---

TEST(SimProtection, LockingAndSwitchRefuseWrites) {
    struct Case {
        const char* name;
        bool locked;
        bool hardware;
        Bytes writeLocking;    // WRITE_LOCKING as read
        Bytes hardwareSwitch;  // HW_WRITE_PROTECTION as read
        bool writable;         // parameters and commands
        bool unlockable;       // WRITE_LOCKING itself
    };
    const Case cases[] = {
        {"unprotected", false, false, {0x09, 0x99}, {0}, true, true},
        {"write locked", true, false, {0x00, 0x00}, {0}, false, true},
        {"hardware switch", false, true, {0x09, 0x99}, {1}, false, false},
        {"both", true, true, {0x00, 0x00}, {1}, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimOptions o;
        o.writeLocked = c.locked;
        o.hardwareWriteProtection = c.hardware;
        SimulatedPositioner d(o);
        EXPECT_EQ(R(d, kWriteLocking), c.writeLocking);
        EXPECT_EQ(R(d, kHwWriteProtection), c.hardwareSwitch);
        const Bytes refused = c.writable ? Bytes{} : Err(0xB6);
        EXPECT_EQ(W(d, kFactoryReset, {0x09, 0xCA}), refused);
        EXPECT_EQ(W(d, kCalCmd, {2}), refused);
        EXPECT_EQ(W(d, kAoTargetMode, {0x10}), refused);
        EXPECT_EQ(W(d, kPbTag, Pad("X", 32)), refused);
        if (!c.writable) {
            EXPECT_EQ(R(d, kDiagnosis), (Bytes{0, 0, 0, 0}));
            EXPECT_EQ(R(d, kCalStatus), Bytes{SimulatedPositioner::kInitDone});
            EXPECT_EQ(R(d, kAoModeBlk)[0], 0x08);
            EXPECT_EQ(R(d, kPbTag), Pad("-/-", 32));
        }
        EXPECT_EQ(W(d, kWriteLocking, {0x09, 0x99}), c.unlockable ? Bytes{} : Err(0xB6));
        EXPECT_EQ(W(d, kWriteLocking, {0x00, 0x01}), c.unlockable ? Err(0xB8) : Err(0xB6));
    }
}

TEST(SimProtection, SwitchedAtRunTimeOrOverTheBus) {
    SimulatedPositioner d;
    d.SetWriteLocked(true);
    EXPECT_EQ(R(d, kWriteLocking), (Bytes{0x00, 0x00}));
    EXPECT_EQ(W(d, kFactoryReset, {0x80, 0x01}), Err(0xB6));
    d.SetWriteLocked(false);
    EXPECT_TRUE(W(d, kWriteLocking, {0x00, 0x00}).empty());
    EXPECT_EQ(W(d, kSp, ValueStatus(50, kGood)), Err(0xB6));
}

// --- Calibrations ---

TEST(SimCalibration, InitialisationSweepsTheValveAndEnds) {
    SimulatedPositioner d;  // full stroke in 10 s, valve closed
    ASSERT_TRUE(W(d, kCalCmd, {2}).empty());
    EXPECT_EQ(R(d, kPosD)[0], 0);  // not initialised while it runs
    d.Advance(5000);
    EXPECT_EQ(R(d, kFeedbackValue), ValueStatus(50, kBadOutOfService));
    d.Advance(5000);
    EXPECT_EQ(R(d, kFeedbackValue), ValueStatus(100, kBadOutOfService));
    d.Advance(9900);
    EXPECT_EQ(R(d, kCalStatus), Bytes{1});
    d.Advance(100);
    EXPECT_EQ(R(d, kCalStatus), Bytes{2});  // initialisation successful
    EXPECT_FALSE(SelfTest(d));
    EXPECT_EQ(R(d, kStrokeTimeDec), F32(10));
    EXPECT_EQ(R(d, kStrokeTimeInc), F32(10));
    EXPECT_EQ(R(d, kFeedbackValue), ValueStatus(0, kGood));
    EXPECT_EQ(R(d, kPosD), (Bytes{1, kGood}));  // closed
    EXPECT_NEAR(FloatAt(R(d, kTotalTravel)), 2.0, 0.02);
}

TEST(SimCalibration, ZeroCalibrationClosesTheValveAndEnds) {
    SimulatedPositioner d;
    ASSERT_TRUE(W(d, kSp, ValueStatus(50, kGood)).empty());
    d.Advance(5000);
    ASSERT_TRUE(W(d, kCalCmd, {1}).empty());
    d.Advance(2500);
    EXPECT_EQ(R(d, kFeedbackValue), ValueStatus(25, kBadOutOfService));
    EXPECT_EQ(R(d, kCalStatus), Bytes{4});
    EXPECT_EQ(R(d, kTransducerState), Bytes{5});  // zero calibration running
    d.Advance(2500);
    EXPECT_EQ(R(d, kCalStatus), Bytes{5});  // zero calibration successful
    d.Advance(5000);
    EXPECT_EQ(R(d, kFeedbackValue), ValueStatus(50, kGood));  // back under control
}

TEST(SimCalibration, OneAtATimeAndAbort) {
    SimulatedPositioner d;
    ASSERT_TRUE(W(d, kSp, ValueStatus(30, kGood)).empty());
    ASSERT_TRUE(W(d, kCalCmd, {2}).empty());
    EXPECT_EQ(W(d, kCalCmd, {1}), Err(0xC2));
    EXPECT_EQ(W(d, kCalCmd, {2}), Err(0xC2));
    EXPECT_TRUE(W(d, kCalCmd, {7}).empty());  // counters may be reset meanwhile
    EXPECT_EQ(R(d, kCalStatus), Bytes{1});
    d.Advance(5000);
    ASSERT_TRUE(W(d, kCalCmd, {255}).empty());
    EXPECT_EQ(R(d, kCalStatus), Bytes{7});
    EXPECT_EQ(R(d, kStrokeTimeInc), F32(10));  // nothing learnt: the earlier result stays
    d.Advance(5000);
    EXPECT_EQ(R(d, kFeedbackValue), ValueStatus(30, kGood));  // from 50 back to the setpoint
    ASSERT_TRUE(W(d, kCalCmd, {255}).empty());                // nothing runs: nothing to abort
    EXPECT_EQ(R(d, kCalStatus), Bytes{7});
    EXPECT_TRUE(W(d, kCalCmd, {1}).empty());
}

TEST(SimCalibration, AfterAnApplicationColdStartOnlyTheInitialisationHelps) {
    SimulatedPositioner d;
    ASSERT_TRUE(W(d, kFactoryReset, {0x80, 0x01}).empty());
    ASSERT_TRUE(W(d, kSp, ValueStatus(50, kGood)).empty());
    EXPECT_EQ(W(d, kCalCmd, {1}), Err(0xB5));  // no zero point without an initialisation
    d.Advance(5000);
    EXPECT_EQ(R(d, kFeedbackValue), ValueStatus(0, kBadOutOfService));  // safety position
    EXPECT_EQ(R(d, kReadback), ValueStatus(0, kBadOutOfService));
    EXPECT_EQ(R(d, kPosD), (Bytes{0, kBadOutOfService}));
    EXPECT_TRUE(FailSafe(d));
    EXPECT_TRUE(NotControlling(d));
    // What the initialisation had learnt is forgotten.
    EXPECT_EQ(R(d, kTransducerState), Bytes{0});  // not initialised
    EXPECT_EQ(R(d, kActuatorAction), Bytes{0});
    EXPECT_EQ(R(d, kStrokeTimeDec), F32(0));
    EXPECT_EQ(R(d, kStrokeTimeInc), F32(0));
    EXPECT_EQ(R(d, kCalStatus), Bytes{SimulatedPositioner::kCalStatusNone});
    EXPECT_EQ(R(d, kTransmCode), (Bytes{1, 0x20}));  // not yet confirmed

    ASSERT_TRUE(W(d, kCalCmd, {2}).empty());
    EXPECT_EQ(R(d, kTransducerState), Bytes{1});  // initialisation running
    d.Advance(20000);
    EXPECT_EQ(R(d, kCalStatus), Bytes{2});
    EXPECT_EQ(R(d, kDiagnosis)[0], 0x00);  // DIA_NOT_INIT cleared
    EXPECT_FALSE(FailSafe(d));
    EXPECT_FALSE(NotControlling(d));
    EXPECT_EQ(R(d, kTransducerState), Bytes{2});  // controlling
    EXPECT_EQ(R(d, kActuatorAction), Bytes{2});   // closing
    EXPECT_EQ(R(d, kStrokeTimeInc), F32(10));
    EXPECT_EQ(R(d, kTransmCode), (Bytes{1, 0x80}));
    d.Advance(5000);
    EXPECT_EQ(R(d, kReadback), ValueStatus(50, kGood));
}

// --- Counters and monitoring ---

TEST(SimMonitoring, ControlLoopFaultAfterTheDelayTime) {
    SimulatedPositioner quick;  // a full stroke in 10 s stays within the delay time of 10 s
    ASSERT_TRUE(W(quick, kSp, ValueStatus(100, kGood)).empty());
    quick.Advance(20000);
    EXPECT_FALSE(ControlLoopFault(quick));

    SimulatedPositioner d;
    ASSERT_TRUE(W(d, kTravelRateInc, F32(30)).empty());
    ASSERT_TRUE(W(d, kSp, ValueStatus(100, kGood)).empty());
    d.Advance(10000);
    EXPECT_FALSE(ControlLoopFault(d));  // off by more than the band of 5 % for 10 s
    d.Advance(100);
    EXPECT_TRUE(ControlLoopFault(d));
    EXPECT_EQ(R(d, kTransducerState), Bytes{6});  // fault
    EXPECT_TRUE(Bit(R(d, kDiagnosis), 1, 0x20));  // DIA_MAINTAINANCE
    d.Advance(30000);
    EXPECT_EQ(R(d, kReadback), ValueStatus(100, kGood));
    EXPECT_TRUE(ControlLoopFault(d));  // stays until reset
    ASSERT_TRUE(W(d, kCalCmd, {10}).empty());
    EXPECT_FALSE(ControlLoopFault(d));
    EXPECT_EQ(R(d, kTransducerState), Bytes{2});
    EXPECT_FALSE(Bit(R(d, kDiagnosis), 1, 0x20));
}

TEST(SimMonitoring, TotalValveTravelAgainstItsLimit) {
    SimulatedPositioner d;
    ASSERT_TRUE(W(d, kTotalTravelLimit, F32(1)).empty());
    ASSERT_TRUE(W(d, kSp, ValueStatus(100, kGood)).empty());
    d.Advance(10000);
    EXPECT_FALSE(Bit(R(d, kCheckBack), 2, 0x01));  // one stroke: at the limit
    ASSERT_TRUE(W(d, kSp, ValueStatus(0, kGood)).empty());
    d.Advance(1000);
    EXPECT_EQ(R(d, kTotalTravel), F32(1.1f));
    EXPECT_TRUE(Bit(R(d, kCheckBack), 2, 0x01));  // CB_TOT_VALVE_TRAV
    ASSERT_TRUE(W(d, kCalCmd, {7}).empty());
    EXPECT_EQ(R(d, kTotalTravel), F32(0));
    EXPECT_FALSE(Bit(R(d, kCheckBack), 2, 0x01));
}

// --- Modes ---

TEST(SimModes, ActualModeFollowsAndChoosesWhatDrivesTheValve) {
    struct Case {
        const char* name;
        uint8_t target;
        uint8_t cascadeStatus;
        uint8_t actual;
        float position;  // SP 20, OUT 40, RCAS_IN 60
        uint8_t state;   // MFR/TRANSDUCER_STATE: 2 controlling, 3 fail-safe, 4 manual
    };
    const Case cases[] = {
        {"automatic", 0x08, kGood, 0x08, 20, 2},
        {"manual", 0x10, kGood, 0x10, 40, 4},
        {"local override", 0x20, kGood, 0x20, 40, 4},
        {"remote cascade", 0x02, kGood, 0x02, 60, 2},
        {"remote cascade, cascade input bad", 0x02, kBadNoCommunication, 0x08, 20, 2},
        {"out of service", 0x80, kGood, 0x80, 0, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimulatedPositioner d;
        ASSERT_TRUE(W(d, kAoTargetMode, {c.target}).empty());
        ASSERT_TRUE(W(d, kSp, ValueStatus(20, kGood)).empty());
        ASSERT_TRUE(W(d, kRcasIn, ValueStatus(60, c.cascadeStatus)).empty());
        ASSERT_TRUE(W(d, kOut, ValueStatus(40, kGood)).empty());
        EXPECT_EQ(R(d, kAoTargetMode), Bytes{c.target});
        EXPECT_EQ(R(d, kAoModeBlk)[0], c.actual);
        d.Advance(10000);
        EXPECT_EQ(FloatAt(R(d, kFeedbackValue)), c.position);
        EXPECT_EQ(FloatAt(R(d, kReadback)), c.position);
        EXPECT_EQ(R(d, kTransducerState), Bytes{c.state});
        EXPECT_EQ(NotControlling(d), c.actual == 0x80);
        const Bytes out = R(d, kOut);
        switch (c.actual) {
            case 0x10:
            case 0x20:
                EXPECT_EQ(out, ValueStatus(40, kGood));  // as written
                break;
            case 0x80:
                EXPECT_EQ(out, ValueStatus(40, kBadOutOfService));  // held
                EXPECT_TRUE(FailSafe(d));
                break;
            default:
                EXPECT_EQ(out, ValueStatus(c.position, kGood));  // the block's own output
                EXPECT_EQ(R(d, kRcasOut), ValueStatus(c.position, kGood));
                break;
        }
        if (c.actual == 0x02) {
            EXPECT_EQ(R(d, kSp), ValueStatus(60, kGood));  // the cascade input is the setpoint
        }
        EXPECT_EQ(Bit(R(d, kCheckBack), 0, 0x04), c.actual == 0x20);  // CB_LOCAL_OP
    }
}

TEST(SimModes, OnlyPermittedSingleModesAreTaken) {
    SimulatedPositioner d;
    for (uint8_t mode : {0x00, 0x01, 0x04, 0x40, 0x18}) {
        EXPECT_EQ(W(d, kAoTargetMode, {mode}), Err(0xB8)) << int(mode);
    }
    EXPECT_EQ(W(d, kPbTargetMode, {0x10}), Err(0xB8));
    EXPECT_EQ(W(d, kTbTargetMode, {0x02}), Err(0xB8));
    EXPECT_EQ(R(d, kAoTargetMode), Bytes{0x08});
    EXPECT_EQ(R(d, kAoModeBlk), (Bytes{0x08, 0xBA, 0x08}));
}

TEST(SimModes, OutOfServiceUpstreamStopsControl) {
    SimulatedPositioner d;
    ASSERT_TRUE(W(d, kSp, ValueStatus(50, kGood)).empty());
    d.Advance(5000);
    ASSERT_TRUE(W(d, kTbTargetMode, {0x80}).empty());
    EXPECT_EQ(R(d, kTbModeBlk)[0], 0x80);
    EXPECT_EQ(R(d, kAoModeBlk)[0], 0x08);
    d.Advance(5000);
    EXPECT_EQ(R(d, kFeedbackValue), ValueStatus(0, kBadOutOfService));
    ASSERT_TRUE(W(d, kTbTargetMode, {0x08}).empty());
    ASSERT_TRUE(W(d, kPbTargetMode, {0x80}).empty());
    EXPECT_EQ(R(d, kPbModeBlk)[0], 0x80);
    EXPECT_EQ(R(d, kTbModeBlk)[0], 0x80);
    EXPECT_EQ(R(d, kAoModeBlk)[0], 0x80);
    ASSERT_TRUE(W(d, kPbTargetMode, {0x08}).empty());
    EXPECT_EQ(R(d, kAoModeBlk)[0], 0x08);
    d.Advance(5000);
    EXPECT_EQ(R(d, kReadback), ValueStatus(50, kGood));
}

// --- Setpoint, read-back and output ---

TEST(SimProcess, SetpointDrivesOutputAndReadbackThroughTheScales) {
    SimulatedPositioner d;  // full stroke in 10 s
    ASSERT_TRUE(W(d, kPvScale, Scale(200, 0)).empty());
    ASSERT_TRUE(W(d, kOutScale, Scale(10, 0)).empty());
    ASSERT_TRUE(W(d, kSp, ValueStatus(50, kGood)).empty());  // 25 % of the stroke
    EXPECT_EQ(R(d, kPositioningValue), ValueStatus(25, kGood));
    EXPECT_EQ(R(d, kOut), ValueStatus(2.5f, kGood));
    d.Advance(1000);
    EXPECT_EQ(R(d, kFeedbackValue), ValueStatus(10, kGood));
    EXPECT_EQ(R(d, kReadback), ValueStatus(20, kGood));
    EXPECT_EQ(R(d, kSetpDeviation), F32(15));
    EXPECT_EQ(R(d, kPosD), (Bytes{3, kGood}));  // intermediate
    d.Advance(60000);
    EXPECT_EQ(R(d, kReadback), ValueStatus(50, kGood));  // no overshoot
    EXPECT_EQ(R(d, kSetpDeviation), F32(0));
    EXPECT_EQ(R(d, kTotalTravel), F32(0.25f));
}

TEST(SimProcess, TravelRateAndTravelLimit) {
    SimulatedPositioner d;
    ASSERT_TRUE(W(d, kTravelRateInc, F32(20)).empty());
    ASSERT_TRUE(W(d, kTravelLimitUp, F32(80)).empty());
    ASSERT_TRUE(W(d, kSp, ValueStatus(100, kGood)).empty());
    EXPECT_EQ(R(d, kPositioningValue), ValueStatus(80, kGood));
    d.Advance(10000);
    EXPECT_EQ(R(d, kFeedbackValue), ValueStatus(50, kGood));  // 5 % per second
    d.Advance(10000);
    EXPECT_EQ(R(d, kFeedbackValue), ValueStatus(80, kGood));
    EXPECT_EQ(R(d, kPosD)[0], 3);
    // The deviation is the setpoint's, also where a limit holds the valve from it.
    EXPECT_EQ(R(d, kSetpDeviation), F32(20));
    ASSERT_TRUE(W(d, kSp, ValueStatus(95, kGood)).empty());
    d.Advance(100);
    EXPECT_EQ(R(d, kSetpDeviation), F32(15));
}

TEST(SimProcess, SetpointCycleKeepsTheValuesMoving) {
    SimOptions o;
    o.setpointCycleMs = 60000;  // 10 % to 90 % and back in a minute
    SimulatedPositioner d(o);
    EXPECT_EQ(R(d, kSp), ValueStatus(10, kGood));
    d.Advance(15000);
    EXPECT_EQ(R(d, kSp), ValueStatus(50, kGood));
    const Bytes readback = R(d, kReadback);
    d.Advance(1000);
    EXPECT_NE(R(d, kReadback), readback);
    d.Advance(14000);
    EXPECT_EQ(R(d, kSp), ValueStatus(90, kGood));
    EXPECT_NEAR(FloatAt(R(d, kReadback)), 90, 1.0);  // the valve keeps up
    ASSERT_TRUE(W(d, kSp, ValueStatus(20, kGood)).empty());
    d.Advance(15000);
    EXPECT_EQ(R(d, kSp), ValueStatus(50, kGood));  // the control system's setpoint wins
    d.SetSetpointCycle(0);
    d.Advance(15000);
    EXPECT_EQ(R(d, kSp), ValueStatus(50, kGood));
}

// --- Simulation of the Analog Output block ---

// SIMULATE: status byte, value (float), enabled.
Bytes Simulate(uint8_t status, float value, uint8_t enabled) {
    return Join({{status}, F32(value), {enabled}});
}

TEST(SimSimulation, ReplacesTheReadbackWhileEnabled) {
    SimulatedPositioner d;
    ASSERT_TRUE(W(d, kSimulate, Simulate(kGood, 75, 1)).empty());
    EXPECT_EQ(R(d, kSimulate), Simulate(kGood, 75, 1));
    EXPECT_EQ(R(d, kReadback), ValueStatus(75, kGood));
    EXPECT_EQ(R(d, kCheckBack), (Bytes{0x00, 0x08, 0x00}));  // CB_SIMULATE
    EXPECT_EQ(R(d, kPosD)[0], 3);
    EXPECT_EQ(R(d, kSetpDeviation), F32(-75));
    d.Advance(5000);
    EXPECT_EQ(R(d, kFeedbackValue), ValueStatus(0, kGood));  // the valve itself stays

    // Quality uncertain (&H40), limit low (&H01).
    ASSERT_TRUE(W(d, kSimulate, Simulate(0x41, 100, 1)).empty());
    EXPECT_EQ(R(d, kReadback), ValueStatus(100, 0x41));
    EXPECT_EQ(R(d, kPosD)[0], 2);  // open

    ASSERT_TRUE(W(d, kSimulate, Simulate(0x41, 100, 0)).empty());
    EXPECT_EQ(R(d, kReadback), ValueStatus(0, kGood));
    EXPECT_EQ(R(d, kCheckBack), (Bytes{0x00, 0x00, 0x00}));
}

// --- Device time ---

TEST(SimTime, LongAdvanceRunsAsItsSteps) {
    SimulatedPositioner once, stepped;
    for (SimulatedPositioner* d : {&once, &stepped}) {
        ASSERT_TRUE(W(*d, kSp, ValueStatus(50, kGood)).empty());
        ASSERT_TRUE(W(*d, kCalCmd, {2}).empty());
    }
    once.Advance(25000);
    for (int i = 0; i < 250; ++i)
        stepped.Advance(100);
    for (Addr a : {kFeedbackValue, kCalStatus, kTotalTravel, kCheckBack}) {
        EXPECT_EQ(R(once, a), R(stepped, a));
    }
    EXPECT_EQ(R(once, kCalStatus), Bytes{2});  // ended inside the advance, then travelled
    EXPECT_EQ(R(once, kFeedbackValue), ValueStatus(50, kGood));
}

TEST(SimTime, FollowsAnOutsideClock) {
    SimulatedPositioner d;
    d.FollowClock(5000);
    EXPECT_EQ(d.Now(), 0);  // the first instant only starts it
    d.FollowClock(6000);
    EXPECT_EQ(d.Now(), 1000);
    d.FollowClock(6000);
    d.FollowClock(5500);  // a clock that went back
    EXPECT_EQ(d.Now(), 1000);
    d.FollowClock(6500);
    EXPECT_EQ(d.Now(), 1500);
    d.FollowClock(6500 + 3600000);  // an hour asleep
    EXPECT_EQ(d.Now(), 1500 + SimulatedPositioner::kMaxCatchUpMs);
    d.Advance(0);
    d.Advance(-5);
    EXPECT_EQ(d.Now(), 1500 + SimulatedPositioner::kMaxCatchUpMs);
}

}  // namespace
}  // namespace kv
