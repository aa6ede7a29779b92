// The one entry-point guard and the event loop's last-resort catch: the documented fallback,
// what and where of every swallowed error, and a loop that goes on.

#include "platform/runtime/EntryGuard.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/runtime/ManualEventLoop.h"
#include "value/DiagnosticLog.h"

namespace kv {
namespace {

TEST(EntryGuard, GivesTheBodysResultOrTheFallbackAndRecordsWhatAndWhere) {
    DiagnosticLog log;
    EXPECT_TRUE(Guarded(log, "Call", false, [] { return true; }));
    EXPECT_EQ(Guarded<std::string>(log, "Call", "fallback", [] { return std::string("done"); }),
              "done");
    EXPECT_TRUE(log.Empty());

    EXPECT_FALSE(Guarded(log, "DTMMain::Upload", false,
                         []() -> bool { throw std::runtime_error("no data set"); }));
    EXPECT_EQ(
        Guarded<std::string>(log, "DTMMain::GetParameters", {}, []() -> std::string { throw 42; }),
        "");
    bool ran = false;
    Guarded(log, "IPrivateGUI", [&] {
        ran = true;
        throw std::logic_error("window gone");
    });
    EXPECT_TRUE(ran);

    ASSERT_EQ(log.Entries().size(), 3u);
    EXPECT_EQ(log.Entries()[0].where, "DTMMain::Upload");
    EXPECT_EQ(log.Entries()[0].what, "no data set");
    EXPECT_EQ(log.Entries()[1].where, "DTMMain::GetParameters");
    EXPECT_EQ(log.Entries()[1].what, "an error that is no std::exception");
    EXPECT_EQ(log.Entries()[2].what, "window gone");
    EXPECT_EQ(log.Text(),
              "DTMMain::Upload: no data set\n"
              "DTMMain::GetParameters: an error that is no std::exception\n"
              "IPrivateGUI: window gone\n");
    log.Clear();
    EXPECT_TRUE(log.Empty());
}

TEST(EventLoopLastResort, AFailingCallOrTickIsRecordedAndTheLoopGoesOn) {
    ManualEventLoop loop;
    std::vector<std::string> ran;
    loop.Post([&] {
        ran.push_back("first");
        throw std::runtime_error("posted call failed");
    });
    loop.Post([&] { ran.push_back("second"); });
    EXPECT_EQ(loop.RunUntilIdle(), 2);
    EXPECT_EQ(ran, (std::vector<std::string>{"first", "second"}));

    int ticks = 0;
    loop.StartTimer(100, [&] {
        ++ticks;
        throw std::runtime_error("tick failed");
    });
    loop.Advance(350);
    EXPECT_EQ(ticks, 3);  // a failing timer keeps ticking

    const auto& entries = loop.Diagnostics().Entries();
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].where, "posted call");
    EXPECT_EQ(entries[0].what, "posted call failed");
    EXPECT_EQ(entries[1].where, "timer");
    EXPECT_EQ(entries[3].what, "tick failed");
}

}  // namespace
}  // namespace kv
