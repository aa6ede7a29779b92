// The page registry: the creators of the pages by ProgID.

#include <gtest/gtest.h>

#include <QWidget>

#include "platform/controls/widgets/PageRegistry.h"

namespace kv {
namespace {

TEST(PageRegistry, RegistersReplacesAndForgetsCreators) {
    PageRegistry registry;
    EXPECT_THROW(registry.Register("", [] { return std::make_unique<QWidget>(); }),
                 std::invalid_argument);
    EXPECT_THROW(registry.Register("KV6274PA.ctlId", nullptr), std::invalid_argument);
    EXPECT_EQ(registry.Create("KV6274PA.ctlId"), nullptr);
    registry.Register("KV6274PA.ctlId", [] {
        auto w = std::make_unique<QWidget>();
        w->setObjectName("first");
        return w;
    });
    registry.Register("KV6274PA.ctlId", [] {
        auto w = std::make_unique<QWidget>();
        w->setObjectName("second");
        return w;
    });
    EXPECT_TRUE(registry.Contains("KV6274PA.ctlId"));
    EXPECT_FALSE(registry.Contains("kv6274pa.ctlid"));
    EXPECT_EQ(registry.Create("KV6274PA.ctlId")->objectName(), "second");
    registry.Unregister("KV6274PA.ctlId");
    EXPECT_FALSE(registry.Contains("KV6274PA.ctlId"));
}

}  // namespace
}  // namespace kv
