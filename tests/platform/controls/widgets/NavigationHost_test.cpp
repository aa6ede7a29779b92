// The lookup of a page's host: a page finds the navigation control it sits in, at any depth, and
// mirrors its cycle switch there.

#include <gtest/gtest.h>

#include <QWidget>

#include "NavTestSupport.h"
#include "platform/controls/widgets/NavigationHost.h"
#include "platform/controls/widgets/PageRegistry.h"
#include "platform/controls/widgets/ctlNavigation.h"

namespace kv {
namespace {

TEST(NavigationHost, PageOutsideTheControlHasNoHostAndLosesOnlyTheMirroring) {
    QWidget window;
    auto* page = new test_support::FakeCyclePage("ctlMeasVal", nullptr);
    page->setParent(&window);
    EXPECT_EQ(FindNavigationPanesHost(page), nullptr);
    EXPECT_EQ(FindNavigationPanesHost(nullptr), nullptr);
    page->Click(1);
    EXPECT_EQ(page->value, 1);
    EXPECT_FALSE(page->mirrored);
    // Inside the control, below any number of widgets, the control is found.
    PageRegistry registry;
    ctlNavigation control(nullptr, &registry);
    QWidget inner(&control);
    page->setParent(&inner);
    EXPECT_EQ(FindNavigationPanesHost(page), static_cast<INavigationPanesHost*>(&control));
    page->Click(0);
    EXPECT_TRUE(page->mirrored);
    page->Click(1);
    EXPECT_EQ(control.NavigationPanes().dtmInfo().Cycle().CyclicRefresh(), 1);
    page->setParent(nullptr);
    delete page;
}

}  // namespace
}  // namespace kv
