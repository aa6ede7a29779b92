// Values that the wire cannot carry, as a loaded project file may leave them in an element: the
// request is refused, nothing is thrown out of the codec.

#include <gtest/gtest.h>

#include <limits>

#include "core/clsDataElement.h"
#include "core/clsDataModel.h"
#include "platform/runtime/Transaction.h"
#include "support/FakeDataSet.h"

namespace kv {
namespace {

TEST(CodecRobustness, DateBeyondTheDateTypeIsNoWriteRequest) {
    test_support::TestContext t;
    clsDataElement& tag = t.Add("PHYS/TAG_DESC", vtVisibleString, 32);
    tag.Slot = 0;
    tag.index = 18;
    tag.DataPosition = 0;
    tag.SetElementMode(emUpload | emDownload);
    for (double days : {-1.5721e308, std::numeric_limits<double>::infinity()}) {
        tag.SetTransientValue(Variant::FromDate(days));
        Transaction job;
        EXPECT_FALSE(t.Model().BuildTransactionRequest(t.context, job, true, tag)) << days;
    }
}

}  // namespace
}  // namespace kv
