// Day counts outside the range of the Date type have no calendar date: their text form is an
// overflow, as in CDate, never a wrapped or undefined conversion.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "value/Date.h"
#include "value/Variant.h"

namespace kv {
namespace {

TEST(DateRange, CountsBeyondTheDateTypeOverflow) {
    for (double days :
         {-1.5721e308, -657435.0, 2958466.0, 1e19, -1e19, std::numeric_limits<double>::infinity(),
          -std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()}) {
        SCOPED_TRACE(days);
        try {
            (void)Variant::FromDate(days).toString();
            ADD_FAILURE() << "no error";
        } catch (const VbError& e) {
            EXPECT_EQ(e.number(), VbErr::Overflow);
        }
        EXPECT_THROW(SplitDate(days), VbError);
    }
}

TEST(DateRange, FirstAndLastDayStillHaveTheirText) {
    EXPECT_EQ(Variant::FromDate(-657434.0).toString(), "0100-01-01");
    EXPECT_EQ(Variant::FromDate(2958465.5).toString(), "9999-12-31 12:00:00");
}

}  // namespace
}  // namespace kv
