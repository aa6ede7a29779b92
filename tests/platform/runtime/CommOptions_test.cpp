// The communication object's two options: whether a connection reads and checks the device's
// identity, and how often one job is sent again to a busy device.

#include <gtest/gtest.h>

#include "platform/runtime/ICommunicationManager.h"
#include "support/OnlineFixture.h"

namespace kv {

using namespace test_support;
using Instance = OnlineInstance;

namespace {

TEST(CommunicationOptions, WithoutIdentityCheckTheConnectionStandsAtOnce) {
    for (bool validate : {true, false}) {
        SCOPED_TRACE(validate);
        SimOptions other;
        other.deviceId = "KV9999";
        Instance in(other);
        in.comm->SetExpectedIdentity(0x0B5E, std::string("KV6274"), 0x0300);
        in.comm->SetOptionFlag(validate);
        EXPECT_EQ(in.comm->OptionFlag(), validate);
        ASSERT_TRUE(in.comm->Connect("C1", in.process));
        in.loop->RunUntilIdle();
        // Checked, the other device is refused; unchecked, nothing is read and no one is asked.
        EXPECT_EQ(in.comm->IsConnected(), !validate);
        EXPECT_EQ(in.subscriber->incoming.size(), validate ? 1u : 0u);
        EXPECT_EQ(in.device->RequestCount(0, 27), validate ? 1 : 0);
        EXPECT_EQ(in.device->RequestCount(1, 0), validate ? 1 : 0);
        ASSERT_EQ(in.process->finished.size(), 1u);
        EXPECT_EQ(in.process->finished[0].second, !validate);
    }
}

TEST(CommunicationOptions, OptionCountCapsTheRepeatsOfABusyJob) {
    struct Case {
        int32_t optionCount;
        int32_t busyAnswers;
        int32_t requests;
        bool success;
    };
    // The codec itself asks for at most 6 repeats.
    const Case cases[] = {
        {16, 2, 3, true}, {2, 2, 3, true}, {1, 2, 2, false}, {0, 1, 1, false}, {-3, 1, 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.optionCount);
        Instance in;
        in.comm->SetOptionCount(c.optionCount);
        EXPECT_EQ(in.comm->OptionCount(), std::max(c.optionCount, 0));
        ASSERT_TRUE(in.Connect());
        in.device->SetBusy(c.busyAnswers);
        TransactionProcess p;
        p.processId = "P1";
        p.jobs = {{"PHYS/DEVICE_SER_NUM", false}};
        p.callback = in.process;
        ASSERT_TRUE(in.comm->StartProcess(std::move(p)));
        in.loop->RunUntilIdle();
        EXPECT_EQ(in.device->RequestCount(0, 28), c.requests);
        ASSERT_EQ(in.process->finished.size(), 1u);
        EXPECT_EQ(in.process->finished[0].second, c.success);
    }
}

}  // namespace
}  // namespace kv
