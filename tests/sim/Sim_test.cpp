#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "SimTestSupport.h"
#include "platform/fdt/FdtFrameInterfaces.h"
#include "platform/runtime/ManualEventLoop.h"
#include "sim/SimulatedChannel.h"
#include "sim/SimulatedPositioner.h"

namespace kv {
namespace {

using namespace simtest;

// --- Initial records, byte by byte ---

struct RecordCase {
    uint8_t slot;
    uint8_t index;
    Bytes bytes;
    const char* what;
};

TEST(SimTable, InitialRecords) {
    // Block objects of Profile 3.0: DD reference, DD revision and execution time reserved (0),
    // profile 0x4002 revision 3.0, then the number of parameters, view 1's slot and index and
    // one view.
    const Bytes reserved = {0, 0, 0, 0, 0, 0};
    const Bytes profile = {0x40, 0x02, 0x03, 0x00, 0x00};
    const RecordCase cases[] = {
        {0, 16, Join({{0xFA, 0x01, 0x02, 0xFA}, reserved, profile, {0, 45, 0, 60, 1}}),
         "PB BLK_OBJ"},
        {0, 17, {0x00, 0x00}, "PB ST_REV"},
        {0, 18, Pad("-/-", 32), "PB TAG_DESC"},
        {0, 19, {0x00, 0x00}, "PB STRATEGY"},
        {0, 20, {0x00}, "PB ALERT_KEY"},
        {0, 21, {0x08}, "PB TARGET_MODE"},
        // Actual and normal mode automatic; permitted the target modes of the block's value
        // list: PB and TB automatic and out of service, AO also manual, local override and
        // remote cascade.
        {0, 22, {0x08, 0x88, 0x08}, "PB MODE_BLK"},
        {0, 23, Bytes(8, 0), "PB ALARM_SUM"},
        {0, 26, {0x10, 0x0D}, "DEVICE_MAN_ID 4109"},
        {0, 27, Pad("KV6274", 16), "DEVICE_ID"},
        {0, 29, {0, 0, 0, 0}, "DIAGNOSIS"},
        {0, 30, Bytes(6, 0), "DIAGNOSIS_EXTENSION"},
        // Every message of the diagnosis that the device knows.
        {0, 31, {0xF3, 0xFD, 0x00, 0x80}, "DIAGNOSIS_MASK"},
        {0, 32, {0xC0, 0x01, 0, 0, 0, 0}, "DIAGNOSIS_MASK_EXTENSION"},
        {0, 33, Pad("CE,NE21, Exmarking see plate", 32), "DEVICE_CERTIFICATION"},
        {0, 34, {0x09, 0x99}, "WRITE_LOCKING 2457"},
        {0, 35, {0x00, 0x00}, "FACTORY_RESET"},
        {0, 36, Pad("", 32), "DESCRIPTOR"},
        {0, 38, Pad("01.01.2002", 16), "DEVICE_INSTAL_DATE"},
        {0, 39, {0x01}, "LOCAL_OP_ENA"},
        {0, 40, {0x01}, "IDENT_NUMBER_SELECTOR"},
        {0, 41, {0x00}, "HW_WRITE_PROTECTION"},
        {0, 52, Pad("6274-XXXXXXXX-00", 16), "MFR/DEVICE_PRODUCT_NUM"},
        {0, 57, Pad("-/-", 32), "MFR/TEXT_INPUT_3"},
        {0, 59, {0, 0, 0, 0}, "MFR/DIAGNOSIS_OPT"},
        // ST_REV, MODE_BLK, ALARM_SUM, DIAGNOSIS.
        {0, 60, Join({{0, 0, 0x08, 0x88, 0x08}, Bytes(8, 0), {0, 0, 0, 0}}), "PB VIEW_1"},
        {1,
         0,
         {0x00, 0x00, 0x03, 0x00, 0x00, 0x01, 0x00, 0x06, 0x00, 0x01, 0x00, 0x03},
         "directory header"},
        {1, 100, Join({{0xFA, 0x03, 0x05, 0x02}, reserved, profile, {0, 97, 1, 196, 1}}),
         "TB BLK_OBJ"},
        {1, 106, {0x08, 0x88, 0x08}, "TB MODE_BLK"},
        // Initialised: the stroke times measured, the safety position known, controlling.
        {1, 109, {0x41, 0x20, 0x00, 0x00}, "ACT_STROKE_TIME_DEC 10"},
        {1, 110, {0x41, 0x20, 0x00, 0x00}, "ACT_STROKE_TIME_INC 10"},
        {1, 134, {0x02}, "SELF_CALIBRATION_STATUS initialisation successful"},
        {1, 162, {0x01}, "ACTUATOR_TYPE electro-pneumatic"},
        {1, 163, {0x02}, "ACTUATOR_ACTION closing"},
        {1, 190, {0x02}, "MFR/TRANSDUCER_STATE controlling"},
        {1, 122, {0x3F, 0x00, 0x00, 0x00}, "DEADBAND 0.5"},
        {1, 132, {0x41, 0x70, 0x00, 0x00}, "RATED_TRAVEL 15"},
        {1, 136, {0x3D, 0xF5, 0xC2, 0x8F}, "SERVO_RATE_1 0.12"},
        {1, 139, {0x42, 0xC6, 0x00, 0x00}, "SETP_CUTOFF_INC 99"},
        {1, 146, {0x49, 0x74, 0x24, 0x00}, "TOTAL_VALVE_TRAVEL_LIMIT 1000000"},
        {1, 152, {0x3F, 0x99, 0x99, 0x9A}, "SERVO_GAIN_2 1.2"},
        {1, 157, {0x00, 0x00, 0x00, 0x00, 0x80}, "POSITIONING_VALUE"},
        {1, 164, Pad("-/-", 16), "VALVE_SERIAL_NUMBER"},
        {1, 180, {0x01, 0x80}, "MFR/TRANSM_CODE confirmed"},
        {1, 181, {0x42, 0x28, 0x00, 0x00}, "MFR/TRANSM_LENGTH 42"},
        {1, 185, {0x40, 0xA0, 0x00, 0x00}, "MFR/TOLERANCE_BAND 5"},
        {1, 191, Pad("-/-", 32), "MFR/CHARACT_TYPE"},
        {1, 195, {0x01}, "MFR/MOUNTING_POSITION"},
        // ST_REV, MODE_BLK, ALARM_SUM, POSITIONING_VALUE, FEEDBACK_VALUE.
        {1, 196,
         Join({{0, 0, 0x08, 0x88, 0x08}, Bytes(8, 0), Bytes(4, 0), {0x80}, Bytes(4, 0), {0x80}}),
         "TB VIEW_1"},
        {1, 16, Join({{0xFA, 0x02, 0x02, 0x01}, reserved, profile, {0, 51, 1, 66, 1}}),
         "AO BLK_OBJ"},
        {1, 18, Pad("", 32), "AO TAG_DESC"},
        {1, 22, {0x08, 0xBA, 0x08}, "AO MODE_BLK"},
        {1, 24, Bytes(10, 0), "AO BATCH"},
        {1, 25, {0x00, 0x00, 0x00, 0x00, 0x00}, "AO SP"},
        {1, 27, {0x42, 0xC8, 0, 0, 0, 0, 0, 0, 0x05, 0x3E, 0x02}, "AO PV_SCALE"},
        {1, 28, {0x00, 0x00, 0x00, 0x00, 0x80}, "AO READBACK"},
        {1, 30, {0x00, 0x00, 0x00, 0x00, 0x18}, "AO RCAS_IN"},
        {1, 37, {0x01, 0x3A}, "AO IN_CHANNEL"},
        {1, 38, {0x01, 0x39}, "AO OUT_CHANNEL"},
        {1, 40, {0x02}, "AO FSAFE_TYPE"},
        {1, 47, {0x01, 0x80}, "AO POS_D closed"},
        {1, 49, {0x00, 0x00, 0x00}, "AO CHECK_BACK"},
        {1, 50, {0x8F, 0xEC, 0x03}, "AO CHECK_BACK_MASK"},
        {1, 51, {0x80, 0x00, 0x00, 0x00, 0x00, 0x00}, "AO SIMULATE"},
        {1, 54, {0x42, 0xC8, 0, 0, 0, 0, 0, 0, 0x05, 0x3E, 0x02}, "AO OUT_SCALE"},
        {1, 65, {0x00, 0x00, 0x00}, "AO MFR/CHECK_BACK_OPT"},
        // ST_REV, MODE_BLK, ALARM_SUM, SP, READBACK, POS_D, CHECK_BACK.
        {1, 66,
         Join({{0, 0, 0x08, 0xBA, 0x08},
               Bytes(8, 0),
               Bytes(5, 0),
               Bytes(4, 0),
               {0x80},
               {0x01, 0x80},
               {0, 0, 0}}),
         "AO VIEW_1"},
    };
    SimulatedPositioner d;
    for (const auto& c : cases) {
        const Dpv1Response r = Read(d, c.slot, c.index);
        EXPECT_TRUE(r.errorInfo.empty()) << c.what;
        EXPECT_EQ(r.data, c.bytes) << c.what;
    }
}

TEST(SimTable, ReadReturnsAtMostTheRequestedLength) {
    SimulatedPositioner d;
    EXPECT_EQ(Read(d, 0, 27, 3).data, (Bytes{'K', 'V', '6'}));
    EXPECT_TRUE(Read(d, 0, 27, 0).data.empty());
}

TEST(SimTable, UnknownAddresses) {
    SimulatedPositioner d;
    EXPECT_EQ(Read(d, 0, 42).errorInfo, Err(0xB0));   // relative index 26: no parameter
    EXPECT_EQ(Read(d, 0, 15).errorInfo, Err(0xB0));   // below the Physical Block
    EXPECT_EQ(Read(d, 1, 189).errorInfo, Err(0xB0));  // TB relative index 89: no parameter
    EXPECT_EQ(Read(d, 2, 16).errorInfo, Err(0xB2));
    EXPECT_EQ(Write(d, 1, 26, {0}).errorInfo, Err(0xB0));
    EXPECT_TRUE(Read(d, 0, 42).data.empty());
}

TEST(SimTable, IdentityOptions) {
    SimOptions o;
    o.identNumber = 0x1234;
    o.deviceId = "OTHER";
    o.profileRevision = 0x0301;
    SimulatedPositioner d(o);
    EXPECT_EQ(d.IdentNumber(), 0x1234);
    EXPECT_EQ(Read(d, 0, 27).data, Pad("OTHER", 16));
    EXPECT_EQ(Read(d, 1, 0).data,
              (Bytes{0x00, 0x00, 0x03, 0x01, 0x00, 0x01, 0x00, 0x06, 0x00, 0x01, 0x00, 0x03}));
}

// --- Writes and protection ---

TEST(SimWrite, WritesReplaceTheRecord) {
    SimulatedPositioner d;
    EXPECT_TRUE(Write(d, 1, 122, {0x3F, 0x80, 0x00, 0x00}).errorInfo.empty());
    EXPECT_EQ(Read(d, 1, 122).data, (Bytes{0x3F, 0x80, 0x00, 0x00}));
    EXPECT_TRUE(Write(d, 0, 18, Pad("VALVE 7", 32)).errorInfo.empty());
    EXPECT_EQ(Read(d, 0, 18).data, Pad("VALVE 7", 32));
    // The transmission code's status is the device's: the same code keeps it confirmed, a new
    // one is not yet confirmed, whatever status the write carries.
    EXPECT_TRUE(Write(d, 1, 180, {0x01, 0x00}).errorInfo.empty());
    EXPECT_EQ(Read(d, 1, 180).data, (Bytes{0x01, 0x80}));
    EXPECT_TRUE(Write(d, 1, 180, {0x03, 0x80}).errorInfo.empty());
    EXPECT_EQ(Read(d, 1, 180).data, (Bytes{0x03, 0x20}));
    // A view follows the values it holds.
    EXPECT_TRUE(Write(d, 1, 21, {0x80}).errorInfo.empty());  // AO out of service
    const Bytes view = Read(d, 1, 66).data;
    ASSERT_EQ(view.size(), 28u);
    EXPECT_EQ(view[2], 0x80);                                           // MODE_BLK actual
    EXPECT_EQ(Bytes(view.end() - 3, view.end()), Read(d, 1, 49).data);  // CHECK_BACK
}

TEST(SimWrite, ReadOnlyAndLengthErrors) {
    SimulatedPositioner d;
    EXPECT_EQ(Write(d, 0, 27, Pad("X", 16)).errorInfo, Err(0xB6));        // DEVICE_ID
    EXPECT_EQ(Write(d, 1, 28, {0, 0, 0, 0, 0x80}).errorInfo, Err(0xB6));  // READBACK
    EXPECT_EQ(Read(d, 0, 27).data, Pad("KV6274", 16));
    EXPECT_EQ(Write(d, 0, 34, {0x00}).errorInfo, Err(0xB1));
    EXPECT_EQ(Write(d, 0, 18, Pad("X", 31)).errorInfo, Err(0xB1));
    EXPECT_EQ(Read(d, 0, 18).data, Pad("-/-", 32));
    EXPECT_EQ(Write(d, 0, 34, {0x00, 0x01}).errorInfo, Err(0xB8));  // neither 0 nor 2457
}

// --- Fault injection ---

TEST(SimFaults, EachKind) {
    SimulatedPositioner d;
    SimFault error;
    error.errorCode = 0xA9;
    error.times = 1;
    d.InjectFault(1, 122, error);
    EXPECT_EQ(Write(d, 1, 122, {0x3F, 0x80, 0x00, 0x00}).errorInfo, Err(0xA9));
    EXPECT_EQ(Read(d, 1, 122).data, (Bytes{0x3F, 0x00, 0x00, 0x00}));  // not written, once only

    SimFault invalid;
    invalid.invalidFloatAt = 0;
    d.InjectFault(1, 28, invalid);
    EXPECT_EQ(Read(d, 1, 28).data, (Bytes{0x7F, 0xFF, 0xFF, 0xFF, 0x80}));
    EXPECT_EQ(Read(d, 1, 28).data, (Bytes{0x7F, 0xFF, 0xFF, 0xFF, 0x80}));  // until cleared

    SimFault shortAnswer;
    shortAnswer.shortLength = 2;
    d.InjectFault(0, 34, shortAnswer);
    EXPECT_EQ(Read(d, 0, 34, 240).data, (Bytes{0x09, 0x99}));
    d.InjectFault(0, 27, shortAnswer);
    EXPECT_EQ(Read(d, 0, 27).data, (Bytes{'K', 'V'}));

    SimFault delayed;
    delayed.delayMs = 750;
    d.InjectFault(0, 26, delayed);
    Dpv1Request r;
    r.slot = 0;
    r.index = 26;
    SimReply reply = d.Process(r);
    EXPECT_EQ(reply.delayMs, 750);
    EXPECT_EQ(reply.response.data, (Bytes{0x10, 0x0D}));

    SimFault lost;
    lost.noAnswer = true;
    d.InjectFault(0, 18, lost);
    r.write = true;
    r.index = 18;
    r.data = Pad("LOST", 32);
    EXPECT_FALSE(d.Process(r).answered);
    d.ClearFaults();
    EXPECT_EQ(Read(d, 0, 18).data, Pad("-/-", 32));  // a lost write changes nothing
    EXPECT_EQ(Read(d, 1, 28).data, (Bytes{0x00, 0x00, 0x00, 0x00, 0x80}));
}

TEST(SimFaults, BusyForTheNextRequests) {
    SimulatedPositioner d;
    d.SetBusy(2);
    EXPECT_EQ(Read(d, 0, 34).errorInfo, Err(0xC2));
    EXPECT_EQ(Write(d, 0, 18, Pad("B", 32)).errorInfo, Err(0xC2));
    EXPECT_TRUE(Read(d, 0, 34).errorInfo.empty());
    EXPECT_EQ(Read(d, 0, 18).data, Pad("-/-", 32));
    d.SetBusy(1, 0xB5);
    EXPECT_EQ(Read(d, 1, 28).errorInfo, Err(0xB5));
    EXPECT_TRUE(Read(d, 1, 28).errorInfo.empty());
}

TEST(SimFaults, RequestCountsAndLog) {
    SimulatedPositioner d;
    Read(d, 0, 18);
    Read(d, 0, 18);
    Write(d, 1, 122, {0, 0, 0, 0});
    Read(d, 7, 7);
    EXPECT_EQ(d.RequestCount(0, 18), 2);
    EXPECT_EQ(d.RequestCount(1, 122), 1);
    EXPECT_EQ(d.RequestCount(7, 7), 1);
    EXPECT_EQ(d.RequestCount(0, 19), 0);
    ASSERT_EQ(d.Log().size(), 4u);
    EXPECT_TRUE(d.Log()[2].write);
    d.ClearLog();
    EXPECT_EQ(d.RequestCount(0, 18), 0);
    EXPECT_TRUE(d.Log().empty());

    // A device left cycling keeps only its recent requests; the counts go on.
    const size_t reads = SimulatedPositioner::kLogCapacity + 10;
    for (size_t i = 0; i < reads; ++i)
        Read(d, 0, uint8_t(16 + i % 20));
    Write(d, 1, 122, {0, 0, 0, 0});
    ASSERT_EQ(d.Log().size(), SimulatedPositioner::kLogCapacity);
    EXPECT_EQ(d.Log().front().index, 16 + 11 % 20);  // the eleven oldest are gone
    EXPECT_TRUE(d.Log().back().write);
    EXPECT_EQ(d.RequestCount(0, 18), int32_t((reads + 17) / 20));
}

// --- The channel ---

struct Recorder : IFdtCommunicationEvents {
    std::vector<std::string> calls;
    std::vector<Dpv1Response> responses;
    uint16_t ident = 0;
    void OnConnectResponse(const std::string& id, bool connected, uint16_t identNumber) override {
        calls.push_back("connect " + id + (connected ? " yes" : " no"));
        ident = identNumber;
    }
    void OnDisconnectResponse(const std::string& id, bool done) override {
        calls.push_back("disconnect " + id + (done ? " yes" : " no"));
    }
    void OnTransactionResponse(const std::string& id, const Dpv1Response& r) override {
        calls.push_back("transaction " + id);
        responses.push_back(r);
    }
    void OnAbort(const std::string& reason) override { calls.push_back("abort " + reason); }
};

Dpv1Request ReadReq(uint8_t slot, uint8_t index) {
    Dpv1Request r;
    r.slot = slot;
    r.index = index;
    return r;
}

class SimChannelTest : public ::testing::Test {
  protected:
    void Connect() {
        ASSERT_TRUE(channel->ConnectRequest(sink, "c1", 5));
        EXPECT_TRUE(sink->calls.empty());
        loop.RunUntilIdle();
        ASSERT_EQ(sink->calls, (std::vector<std::string>{"connect c1 yes"}));
        sink->calls.clear();
    }
    ManualEventLoop loop;
    std::shared_ptr<SimulatedPositioner> device = std::make_shared<SimulatedPositioner>();
    std::unique_ptr<SimulatedChannel> channel = std::make_unique<SimulatedChannel>(loop, device);
    std::shared_ptr<Recorder> sink = std::make_shared<Recorder>();
};

TEST_F(SimChannelTest, AnswersArriveThroughTheLoop) {
    EXPECT_FALSE(channel->TransactionRequest("t0", ReadReq(0, 27)));  // never connected
    Connect();
    EXPECT_EQ(sink->ident, 0x0B5E);
    ASSERT_TRUE(channel->TransactionRequest("t1", ReadReq(0, 27)));
    EXPECT_TRUE(sink->calls.empty());
    loop.RunUntilIdle();
    ASSERT_EQ(sink->calls, (std::vector<std::string>{"transaction t1"}));
    EXPECT_TRUE(sink->responses[0].delivered);
    EXPECT_EQ(sink->responses[0].data, Pad("KV6274", 16));
    EXPECT_EQ(device->RequestCount(0, 27), 1);

    ASSERT_TRUE(channel->DisconnectRequest("d1"));
    EXPECT_EQ(sink->calls.size(), 1u);
    loop.RunUntilIdle();
    EXPECT_EQ(sink->calls.back(), "disconnect d1 yes");
    EXPECT_FALSE(channel->IsConnected());
}

TEST_F(SimChannelTest, DelayAndNoAnswer) {
    Connect();
    SimFault delayed;
    delayed.delayMs = 500;
    device->InjectFault(0, 34, delayed);
    SimFault lost;
    lost.noAnswer = true;
    device->InjectFault(0, 35, lost);
    channel->TransactionRequest("slow", ReadReq(0, 34));
    channel->TransactionRequest("lost", ReadReq(0, 35));
    loop.RunUntilIdle();
    loop.Advance(499);
    EXPECT_TRUE(sink->calls.empty());
    loop.Advance(1);
    ASSERT_EQ(sink->calls, (std::vector<std::string>{"transaction slow"}));
    EXPECT_EQ(sink->responses[0].data, (Bytes{0x09, 0x99}));
    loop.Advance(60000);
    EXPECT_EQ(sink->calls.size(), 1u);
}

TEST_F(SimChannelTest, DroppedConnection) {
    Connect();
    SimFault delayed;
    delayed.delayMs = 500;
    device->InjectFault(0, 34, delayed);
    channel->TransactionRequest("pending", ReadReq(0, 34));
    channel->DropConnection("cable");
    EXPECT_TRUE(sink->calls.empty());
    loop.RunUntilIdle();
    ASSERT_EQ(sink->calls, (std::vector<std::string>{"abort cable"}));
    ASSERT_TRUE(channel->TransactionRequest("after", ReadReq(0, 27)));
    loop.Advance(1000);
    ASSERT_EQ(sink->responses.size(), 2u);
    EXPECT_FALSE(sink->responses[0].delivered);  // the answer on its way when the line broke
    EXPECT_FALSE(sink->responses[1].delivered);
    EXPECT_EQ(device->RequestCount(0, 27), 0);  // never reached the device
}

TEST_F(SimChannelTest, DeviceTimeRunsWhileConnected) {
    Connect();
    channel->TransactionRequest("w", [] {
        Dpv1Request r;
        r.write = true;
        r.slot = 1;
        r.index = 25;
        r.data = {0x42, 0xC8, 0x00, 0x00, 0x80};
        return r;
    }());
    loop.Advance(1000);
    EXPECT_EQ(device->Record(1, 158), (Bytes{0x41, 0x20, 0x00, 0x00, 0x80}));
    channel->DisconnectRequest("d");
    loop.RunUntilIdle();
    EXPECT_EQ(loop.TimerCount(), 0u);
}

TEST_F(SimChannelTest, DeviceTimeFollowsTheLoopClock) {
    channel = std::make_unique<SimulatedChannel>(loop, device, 1000);
    Connect();
    Dpv1Request w;
    w.write = true;
    w.slot = 1;
    w.index = 25;
    w.data = {0x42, 0xC8, 0x00, 0x00, 0x80};  // SP 100
    channel->TransactionRequest("w", w);
    loop.RunUntilIdle();
    loop.Advance(500);  // before the first tick
    EXPECT_EQ(device->Position(), 0.0);
    channel->TransactionRequest("r", ReadReq(1, 158));
    loop.RunUntilIdle();
    EXPECT_EQ(sink->responses.back().data, (Bytes{0x40, 0xA0, 0x00, 0x00, 0x80}));  // 5 %
    channel->DisconnectRequest("d");
    loop.RunUntilIdle();
    loop.Advance(3000);
    EXPECT_EQ(device->Position(), 5.0);
    sink->calls.clear();
    Connect();  // catches up the 3 s without a connection
    EXPECT_EQ(device->Position(), 35.0);
}

TEST_F(SimChannelTest, GoneSinkOrChannelIsNeverCalled) {
    Connect();
    channel->TransactionRequest("t", ReadReq(0, 27));
    sink.reset();
    loop.RunUntilIdle();  // the sink is gone: nothing to call

    channel = std::make_unique<SimulatedChannel>(loop, device);
    sink = std::make_shared<Recorder>();
    Connect();
    SimFault delayed;
    delayed.delayMs = 100;
    device->InjectFault(0, 34, delayed);
    channel->TransactionRequest("t2", ReadReq(0, 34));
    channel.reset();
    loop.RunUntilIdle();
    loop.Advance(1000);
    EXPECT_TRUE(sink->calls.empty());
    EXPECT_EQ(loop.TimerCount(), 0u);
}

TEST_F(SimChannelTest, ConnectionRefusedAndOtherIdent) {
    device->SetIdentNumber(0x0B5F);
    channel->SetRefuseConnect(true);
    ASSERT_TRUE(channel->ConnectRequest(sink, "c", 5));
    loop.RunUntilIdle();
    EXPECT_EQ(sink->calls, (std::vector<std::string>{"connect c no"}));
    EXPECT_EQ(sink->ident, 0x0B5F);
}

TEST_F(SimChannelTest, TraceLines) {
    std::vector<std::string> lines;
    channel->SetTrace([&](const std::string& l) { lines.push_back(l); });
    Connect();
    channel->TransactionRequest("r", ReadReq(0, 34));
    Dpv1Request w;
    w.write = true;
    w.slot = 1;
    w.index = 41;
    w.data = {0x3F, 0x80, 0x00, 0x00};
    channel->TransactionRequest("w", w);
    w.index = 28;
    channel->TransactionRequest("w2", w);
    loop.RunUntilIdle();
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "> read slot=0 index=34 length=240",
                         "> write slot=1 index=41 data=3F800000",
                         "> write slot=1 index=28 data=3F800000",
                         "< slot=0 index=34 data=0999",
                         "< slot=1 index=41 data=",
                         "< slot=1 index=28 error=B6",
                     }));
}

}  // namespace
}  // namespace kv
