// The communication manager against the simulated positioner: connection with the identity
// check, disconnects, busy answers, lost connections and answers that never come.

#include <gtest/gtest.h>

#include "platform/fdt/FdtFrameInterfaces.h"
#include "platform/runtime/ICommObject.h"
#include "platform/runtime/IPrivateDataElement.h"
#include "support/OnlineFixture.h"

namespace kv {

using namespace test_support;
using Instance = OnlineInstance;

namespace {

constexpr int32_t kCommErrorBits = 0xF0000;

TEST(Communication, ConnectReadsTheIdentityAndRaisesTheEventOnTheLoop) {
    Instance in;
    in.device->SetDeviceId("KV6274");
    ASSERT_TRUE(in.comm->Connect("C1", in.process));
    // Nothing is delivered inside the call.
    EXPECT_FALSE(in.comm->IsConnected());
    EXPECT_TRUE(in.subscriber->incoming.empty());
    EXPECT_TRUE(in.process->finished.empty());
    EXPECT_FALSE(in.comm->Connect("C2", in.process));  // one connection at a time

    in.loop->RunUntilIdle();
    ASSERT_EQ(in.subscriber->incoming.size(), 1u);
    EXPECT_TRUE(in.subscriber->incoming[0]);  // no expected identity set: the runtime accepts
    EXPECT_TRUE(in.comm->IsConnected());
    EXPECT_TRUE(in.comm->IsOnline());
    EXPECT_EQ(in.comm->TypeIdent().toLong(), 0x0B5E);
    EXPECT_EQ(in.comm->DeviceId().substr(0, 6), "KV6274");
    EXPECT_EQ(in.comm->ProfileRevision(), 0x0300);
    EXPECT_EQ(in.device->RequestCount(0, 27), 1);  // DEVICE_ID
    EXPECT_EQ(in.device->RequestCount(1, 0), 1);   // directory header
    ASSERT_EQ(in.process->finished.size(), 1u);
    EXPECT_EQ(in.process->finished[0], std::make_pair(std::string("C1"), true));
}

struct IdentityCase {
    const char* name;
    uint16_t deviceIdent;
    const char* deviceId;
    uint16_t deviceRevision;
    std::optional<bool> answer;  // what the subscriber sets; nullopt: leaves accept alone
    bool incoming;               // the runtime's verdict handed to the subscriber
    bool connected;
};

TEST(Communication, IdentityCheckKeepsOrRefusesTheConnection) {
    // Expected: ident 0x0B5E, device id "KV6274", revision 0x0300.
    const IdentityCase cases[] = {
        {"match", 0x0B5E, "KV6274", 0x0300, std::nullopt, true, true},
        {"match with blanks", 0x0B5E, "KV6274    ", 0x0300, std::nullopt, true, true},
        {"other device id, left alone", 0x0B5E, "KV9999", 0x0300, std::nullopt, false, false},
        {"other device id, user accepts", 0x0B5E, "KV9999", 0x0300, true, false, true},
        {"other ident number", 0x1234, "KV6274", 0x0300, std::nullopt, false, false},
        {"other revision", 0x0B5E, "KV6274", 0x0200, std::nullopt, false, false},
        {"match, subscriber refuses", 0x0B5E, "KV6274", 0x0300, false, true, false},
    };
    for (const IdentityCase& c : cases) {
        SCOPED_TRACE(c.name);
        SimOptions options;
        options.identNumber = c.deviceIdent;
        options.deviceId = c.deviceId;
        options.profileRevision = c.deviceRevision;
        Instance in(options);
        in.comm->SetExpectedIdentity(0x0B5E, std::string("KV6274"), 0x0300);
        in.subscriber->answer = c.answer;
        ASSERT_TRUE(in.comm->Connect("C", in.process));
        in.loop->RunUntilIdle();
        ASSERT_EQ(in.subscriber->incoming.size(), 1u);
        EXPECT_EQ(in.subscriber->incoming[0], c.incoming);
        EXPECT_EQ(in.comm->IsConnected(), c.connected);
        EXPECT_EQ(in.channel->IsConnected(), c.connected);
        ASSERT_EQ(in.process->finished.size(), 1u);
        EXPECT_EQ(in.process->finished[0].second, c.connected);
        EXPECT_EQ(in.comm->ErrorPending(), !c.connected);
        if (!c.connected) {
            EXPECT_EQ(in.comm->ErrorCode(), cecRefused);
        }
    }
}

TEST(Communication, ConnectionFailuresEndTheConnectProcessUnsuccessfully) {
    {
        SCOPED_TRACE("device refuses the connection");
        Instance in;
        in.channel->SetRefuseConnect(true);
        ASSERT_TRUE(in.comm->Connect("C", in.process));
        in.loop->RunUntilIdle();
        EXPECT_FALSE(in.comm->IsConnected());
        EXPECT_TRUE(in.subscriber->incoming.empty());
        EXPECT_EQ(in.comm->ErrorCode(), cecConnectFailed);
        ASSERT_EQ(in.process->finished.size(), 1u);
        EXPECT_FALSE(in.process->finished[0].second);
    }
    {
        SCOPED_TRACE("identity cannot be read");
        Instance in;
        in.device->InjectFault(0, 27, SimFault{.errorCode = kDpv1InvalidIndex});
        ASSERT_TRUE(in.comm->Connect("C", in.process));
        in.loop->RunUntilIdle();
        EXPECT_FALSE(in.comm->IsConnected());
        EXPECT_TRUE(in.subscriber->incoming.empty());
        EXPECT_EQ(in.comm->ErrorCode(), cecIdentityUnreadable);
        ASSERT_EQ(in.process->finished.size(), 1u);
        EXPECT_FALSE(in.process->finished[0].second);
    }
    {
        SCOPED_TRACE("short directory header");
        Instance in;
        in.device->InjectFault(1, 0, SimFault{.shortLength = 3});
        ASSERT_TRUE(in.comm->Connect("C", in.process));
        in.loop->RunUntilIdle();
        EXPECT_FALSE(in.comm->IsConnected());
        EXPECT_EQ(in.comm->ErrorCode(), cecIdentityUnreadable);
    }
    {
        SCOPED_TRACE("no channel");
        Instance in;
        in.comm->SetCommunication(nullptr);
        EXPECT_FALSE(in.comm->Connect("C", in.process));
        EXPECT_FALSE(in.comm->Disconnect());
    }
}

TEST(Communication, StartDisconnectEndsThroughTheLoop) {
    Instance in;
    ASSERT_TRUE(in.Connect());
    ASSERT_TRUE(in.comm->StartDisconnect("D1", in.process));
    EXPECT_FALSE(in.comm->StartDisconnect("D2", in.process));
    EXPECT_TRUE(in.comm->IsConnected());  // still connected until the device answers
    EXPECT_FALSE(in.comm->IsOnline());
    EXPECT_TRUE(in.process->finished.empty());
    in.loop->RunUntilIdle();
    EXPECT_FALSE(in.comm->IsConnected());
    ASSERT_EQ(in.process->finished.size(), 1u);
    EXPECT_EQ(in.process->finished[0], std::make_pair(std::string("D1"), true));
    // Not connected any more: nothing to start; the channel can be released.
    EXPECT_FALSE(in.comm->StartDisconnect("D3", in.process));
    EXPECT_TRUE(in.comm->ReleaseCommunication());
    EXPECT_FALSE(in.comm->HasCommunication());
}

TEST(Communication, SynchronousDisconnectEndsRunningProcessesOnce) {
    Instance in;
    ASSERT_TRUE(in.Connect());
    EXPECT_FALSE(in.comm->ReleaseCommunication());  // connected
    TransactionGroup group;
    group.Init(in.context);
    ASSERT_TRUE(group.AddElement(in.At("PHYS/TAG_DESC"), false));
    ASSERT_EQ(group.Execute(in.process, true, true), 0);
    EXPECT_TRUE(in.comm->Disconnect());
    EXPECT_FALSE(in.comm->IsConnected());  // at once
    EXPECT_TRUE(in.process->finished.empty());
    in.loop->RunUntilIdle();
    ASSERT_EQ(in.process->finished.size(), 1u);
    EXPECT_FALSE(in.process->finished[0].second);
    EXPECT_FALSE(group.Busy());
    EXPECT_EQ(group.ConnectionStatus(), 1);
    EXPECT_EQ(group.Execute(in.process, true, true), 1);
}

TEST(Communication, BusyAnswersAreRepeatedAtMostSixTimes) {
    struct Case {
        int32_t busy;
        int expectedRequests;
        bool success;
        int32_t errorClass;
    };
    // A busy device answers &HC2; the codec asks for up to six repeats.
    const Case cases[] = {{3, 4, true, 0}, {6, 7, true, 0}, {7, 7, false, 0x200000}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.busy);
        Instance in;
        in.device->SetDeviceId("KV6274");
        ASSERT_TRUE(in.Connect());
        in.device->SetBusy(c.busy);
        TransactionGroup group;
        group.Init(in.context);
        ASSERT_TRUE(group.AddElement(in.At("PHYS/DEVICE_ID"), false));
        ASSERT_EQ(group.Execute(in.process, true, false), 0);
        in.loop->RunUntilIdle();
        EXPECT_EQ(in.device->RequestCount(0, 27), c.expectedRequests);
        ASSERT_EQ(in.process->finished.size(), 1u);
        EXPECT_EQ(in.process->finished[0].second, c.success);
        clsDataElement& e = in.At("PHYS/DEVICE_ID");
        EXPECT_EQ(e.StatusFlags() & 0xF00000, c.errorClass);
        if (c.success) {
            EXPECT_EQ(e.TransientValue().toString(), "KV6274");
        }
    }
}

TEST(Communication, DroppedConnectionMarksTheElementsAndEndsTheProcess) {
    Instance in;
    ASSERT_TRUE(in.Connect());
    clsDataElement& tag = in.At("PHYS/TAG_DESC");
    clsDataElement& diag = in.At("PHYS/DIAGNOSIS/");
    tag.SetStatusFlags(tag.StatusFlags() | sfNeeded);
    TransactionGroup group;
    group.Init(in.context);
    group.AddElement(tag, false);
    group.AddElement(diag, false);
    ASSERT_EQ(group.Execute(in.process, true, true), 0);
    in.channel->DropConnection();
    in.loop->RunUntilIdle();
    ASSERT_EQ(in.process->finished.size(), 1u);
    EXPECT_FALSE(in.process->finished[0].second);
    EXPECT_FALSE(in.comm->IsConnected());
    EXPECT_TRUE(in.comm->ErrorPending());
    EXPECT_EQ(in.comm->ErrorCode(), cecConnectionLost);
    // The element whose request was lost and the one that never went both carry the error;
    // the needed mark stays and no device value was decoded.
    EXPECT_NE(tag.StatusFlags() & kCommErrorBits, 0);
    EXPECT_NE(tag.StatusFlags() & sfNeeded, 0);
    EXPECT_TRUE(tag.DeviceValue().isEmpty());
    EXPECT_EQ(diag.StatusFlags() & kCommErrorBits, cecConnectionLost << 16);
    for (IPrivateDataElement* m : in.data->RecordMembers("PHYS/DIAGNOSIS/"))
        EXPECT_EQ(m->StatusFlags() & kCommErrorBits, cecConnectionLost << 16) << m->Name();
}

TEST(Communication, OnlyReadsTakenMarkTheProjectModifiedAndShownOnesKeepItsValues) {
    struct Case {
        const char* name;
        GroupReads reads;
        bool write;
        bool drop;  // the connection breaks before the answers: only error marks
        int32_t modified;
        const char* tag;  // the project's tag afterwards
    };
    const Case cases[] = {
        {"a read", GroupReads::Taken, false, false, 1, "FEED VALVE 7"},
        {"a watching read", GroupReads::Watched, false, false, 0, "FEED VALVE 7"},
        // The writable tag keeps the project's value; the read-only revision is the device's.
        {"a read that shows the device", GroupReads::Shown, false, false, 0, "FV-200"},
        {"a write and its read-back", GroupReads::Taken, true, false, 0, "FV-200"},
        {"a read that only marks errors", GroupReads::Taken, false, true, 0, "FV-200"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Instance in;
        std::vector<uint8_t> deviceTag{'F', 'E', 'E', 'D', ' ', 'V', 'A', 'L', 'V', 'E', ' ', '7'};
        deviceTag.resize(32, ' ');
        ASSERT_TRUE(in.device->SetRecord(0, 18, deviceTag));
        ASSERT_TRUE(in.Connect());
        clsDataElement& tag = in.At("PHYS/TAG_DESC");
        clsDataElement& revision = in.At("PHYS/SOFTWARE_REVISION");
        tag.SetTransientValue(Variant("FV-200"));
        tag.SetPersistentValue(Variant("FV-200"));
        in.data->SetModifiedState(0);
        TransactionGroup group(c.reads);
        group.Init(in.context);
        group.AddElement(tag, c.write);
        if (!c.write)
            group.AddElement(revision, false);
        ASSERT_EQ(group.Execute(in.process, true, false), 0);
        if (c.drop)
            in.channel->DropConnection();
        in.loop->RunUntilIdle();
        if (c.write) {
            // The write was confirmed by reading the element back.
            EXPECT_EQ(in.device->RequestCount(0, 18), 2);
        }
        ASSERT_EQ(in.process->finished.size(), 1u);
        EXPECT_EQ(in.process->finished[0].second, !c.drop);
        EXPECT_EQ(in.data->ModifiedState(), c.modified);
        EXPECT_EQ(tag.TransientValue().toString(), c.tag);
        if (!c.write && !c.drop) {
            EXPECT_EQ(tag.DeviceValue().toString(), "FEED VALVE 7");
            EXPECT_FALSE(revision.DeviceValue().isEmpty());
            EXPECT_TRUE(revision.TransientValue() == revision.DeviceValue());
        }
    }
}

TEST(Communication, UnansweredRequestTimesOutAndTheProcessGoesOn) {
    Instance in;
    in.device->SetDeviceId("KV6274");
    ASSERT_TRUE(in.Connect());
    clsDataElement& tag = in.At("PHYS/TAG_DESC");
    clsDataElement& id = in.At("PHYS/DEVICE_ID");
    tag.SetStatusFlags(tag.StatusFlags() | sfNeeded);
    const Address a = in.AddressOf("PHYS/TAG_DESC");
    in.device->InjectFault(uint8_t(a.first), uint8_t(a.second),
                           SimFault{.noAnswer = true, .times = 1});
    TransactionGroup group;
    group.Init(in.context);
    group.AddElement(tag, false);
    group.AddElement(id, false);
    ASSERT_EQ(group.Execute(in.process, true, false), 0);
    in.loop->RunUntilIdle();
    in.loop->Advance(CommunicationManager::kDefaultTimeoutMs - 1);
    EXPECT_TRUE(in.process->finished.empty());
    EXPECT_EQ(tag.StatusFlags() & kCommErrorBits, 0);
    in.loop->Advance(1);
    ASSERT_EQ(in.process->finished.size(), 1u);
    EXPECT_FALSE(in.process->finished[0].second);
    EXPECT_EQ(tag.StatusFlags() & kCommErrorBits, cecTimeout << 16);
    EXPECT_NE(tag.StatusFlags() & sfNeeded, 0);
    EXPECT_TRUE(tag.DeviceValue().isEmpty());
    // The next request was still sent and read; its answer ends the pending error.
    EXPECT_EQ(id.TransientValue().toString(), "KV6274");
    EXPECT_FALSE(in.comm->ErrorPending());
    EXPECT_TRUE(in.comm->IsConnected());
}

TEST(Communication, ConnectTimesOutWithoutAnAnswer) {
    // A channel that accepts the connection request and never answers.
    struct Silent : IFdtCommunication {
        bool ConnectRequest(std::weak_ptr<IFdtCommunicationEvents>, const std::string&,
                            uint8_t) override {
            return true;
        }
        bool DisconnectRequest(const std::string&) override { return true; }
        bool TransactionRequest(const std::string&, const Dpv1Request&) override { return true; }
        void Abort() override { ++aborts; }
        int aborts = 0;
    };
    Instance in;
    auto silent = std::make_shared<Silent>();
    in.comm->SetCommunication(silent);
    in.comm->SetTimeoutMs(500);
    ASSERT_TRUE(in.comm->Connect("C", in.process));
    in.loop->Advance(499);
    EXPECT_TRUE(in.process->finished.empty());
    in.loop->Advance(1);
    ASSERT_EQ(in.process->finished.size(), 1u);
    EXPECT_FALSE(in.process->finished[0].second);
    EXPECT_EQ(silent->aborts, 1);
    EXPECT_EQ(in.comm->ErrorCode(), cecTimeout);
}

}  // namespace
}  // namespace kv
