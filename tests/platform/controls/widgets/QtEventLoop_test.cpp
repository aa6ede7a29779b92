// The Qt-backed event loop: posted calls in posting order, timers, the guard around each call,
// the clock.

#include <gtest/gtest.h>

#include <QTest>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/controls/widgets/QtEventLoop.h"

namespace kv {
namespace {

TEST(QtEventLoopTest, PostedCallsRunLaterInTheOrderOfPosting) {
    QtEventLoop loop;
    std::vector<std::string> ran;
    loop.Post([&] {
        ran.push_back("a");
        loop.Post([&] { ran.push_back("d"); });
    });
    loop.Post([&] { ran.push_back("b"); });
    loop.Post([&] { ran.push_back("c"); });
    EXPECT_TRUE(ran.empty());  // never inside the call that posts
    EXPECT_TRUE(QTest::qWaitFor([&] { return ran.size() == 4; }, 2000));
    EXPECT_EQ(ran, (std::vector<std::string>{"a", "b", "c", "d"}));
}

TEST(QtEventLoopTest, AnErrorInACallGoesNoFurther) {
    QtEventLoop loop;
    bool after = false;
    loop.Post([] { throw std::runtime_error("failed call"); });
    loop.Post([] { throw 42; });
    loop.Post([&] { after = true; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return after; }, 2000));
    ASSERT_EQ(loop.Diagnostics().Entries().size(), 2u);
    EXPECT_EQ(loop.Diagnostics().Entries()[0].where, "posted call");
    EXPECT_EQ(loop.Diagnostics().Entries()[0].what, "failed call");
}

TEST(QtEventLoopTest, ATimerTicksUntilItIsStoppedEvenFromItsOwnTick) {
    QtEventLoop loop;
    int ticks = 0;
    int32_t id = 0;
    id = loop.StartTimer(1, [&] {
        if (++ticks == 3)
            loop.StopTimer(id);
    });
    EXPECT_GT(id, 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return ticks >= 3; }, 5000));
    QTest::qWait(30);
    EXPECT_EQ(ticks, 3);
    EXPECT_EQ(loop.TimerCount(), 0u);
    loop.StopTimer(id);  // stopping twice, or an unknown id, does nothing
    loop.StopTimer(9999);
}

TEST(QtEventLoopTest, TimersHaveTheirOwnIdsAnIntervalBelowOneRunsAtOneAndTheClockMoves) {
    QtEventLoop loop;
    int a = 0;
    int b = 0;
    const int64_t t0 = loop.NowMs();
    const int32_t first = loop.StartTimer(0, [&] { ++a; });
    const int32_t second = loop.StartTimer(-5, [&] { ++b; });
    EXPECT_NE(first, second);
    EXPECT_TRUE(QTest::qWaitFor([&] { return a > 0 && b > 0; }, 5000));
    loop.StopTimer(first);
    const int before = a;
    QTest::qWait(20);
    EXPECT_EQ(a, before);
    EXPECT_GT(b, 0);
    EXPECT_GE(loop.NowMs(), t0 + 20);  // the clock moves on and never back
}

}  // namespace
}  // namespace kv
