// The log of swallowed errors: it keeps its first entries and only counts the rest.

#include "value/DiagnosticLog.h"

#include <gtest/gtest.h>

#include <string>

namespace kv {
namespace {

TEST(DiagnosticLog, KeepsItsFirstEntriesAndCountsTheRest) {
    DiagnosticLog log;
    for (size_t i = 0; i < DiagnosticLog::kMaxEntries + 5; ++i)
        log.Record("timer", "tick " + std::to_string(i));
    EXPECT_EQ(log.Entries().size(), DiagnosticLog::kMaxEntries);
    EXPECT_EQ(log.Entries().front().what, "tick 0");
    EXPECT_EQ(log.Dropped(), 5u);
    EXPECT_FALSE(log.Empty());
    EXPECT_NE(log.Text().find("(5 more)"), std::string::npos);
}

}  // namespace
}  // namespace kv
