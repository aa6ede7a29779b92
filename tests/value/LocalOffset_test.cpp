// Local time of an instant: the time zone's rules apply to each instant, summer time included,
// although the zone is read once.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <ctime>
#include <optional>
#include <string>

#include "value/Date.h"

namespace kv {
namespace {

// Sets TZ for the scope and reads it; the one before comes back at its end.
class ZoneScope {
  public:
    explicit ZoneScope(const char* zone) {
        if (const char* old = getenv("TZ"))
            old_ = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ZoneScope() {
        if (old_)
            setenv("TZ", old_->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    ZoneScope(const ZoneScope&) = delete;
    ZoneScope& operator=(const ZoneScope&) = delete;

  private:
    std::optional<std::string> old_;
};

TEST(LocalOffset, EachInstantTakesTheOffsetOfItsSeason) {
    const ZoneScope zone("CET-1CEST,M3.5.0,M10.5.0/3");
    constexpr int64_t kHour = 3'600'000;
    struct Case {
        int64_t utcMs;
        int64_t offset;
    };
    for (const Case& c : {
             Case{1'768'478'400'000, kHour},          // 2026-01-15 12:00 UTC
             Case{1'784'116'800'000, 2 * kHour},      // 2026-07-15 12:00 UTC
             Case{1'774'745'999'000, kHour},          // 2026-03-29 00:59:59 UTC
             Case{1'774'746'000'000, 2 * kHour},      // 2026-03-29 01:00:00 UTC
             Case{1'792'890'000'000 - 1, 2 * kHour},  // 2026-10-25 00:59:59.999 UTC
             Case{1'792'890'000'000, kHour},          // 2026-10-25 01:00:00 UTC
             Case{-1, kHour},                         // 1969-12-31 23:59:59.999 UTC
         }) {
        EXPECT_EQ(LocalOffsetMs(c.utcMs), c.offset) << c.utcMs;
    }
}

}  // namespace
}  // namespace kv
