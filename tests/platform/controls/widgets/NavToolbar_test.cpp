// The toolbar of the navigation control: its numbered buttons, their switches and tooltips, and
// the separators between the groups.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAction>

#include "platform/controls/widgets/NavToolbar.h"

namespace kv {
namespace {

using ::testing::ElementsAre;

TEST(NavigationToolbar, ButtonsHaveTheirNumbersAndTheSeparatorsNone) {
    nav::NavToolbar toolbar;
    for (int32_t n : {1, 3, 4, 6, 7, 9, 10})
        EXPECT_NO_THROW(toolbar.Button(n)) << n;
    for (int32_t n : {0, 2, 5, 8, 11, -1})
        EXPECT_THROW(toolbar.Button(n), std::out_of_range) << n;
}

TEST(NavigationToolbar, SwitchedOffButtonsAreHiddenAndTooltipsShown) {
    nav::NavToolbar toolbar;
    std::vector<int32_t> clicks;
    QObject::connect(&toolbar, &nav::NavToolbar::ButtonClicked,
                     [&](int32_t n) { clicks.push_back(n); });
    toolbar.Button(ntbSearch).SetEnabled(false);
    toolbar.Button(ntbSpare).SetEnabled(false);
    toolbar.Button(ntbHelp).SetEnabled(true);
    toolbar.Button(ntbManual).SetToolTipText("Open the operating manual");
    EXPECT_FALSE(toolbar.Button(ntbSearch).Enabled());
    EXPECT_FALSE(toolbar.Action(ntbSearch)->isVisible());
    EXPECT_TRUE(toolbar.Action(ntbHelp)->isVisible());
    EXPECT_EQ(toolbar.Button(ntbManual).ToolTipText(), "Open the operating manual");
    EXPECT_EQ(toolbar.Action(ntbManual)->toolTip(), "Open the operating manual");
    // Greyed for the page's sake, the owner's switch stays as it was.
    toolbar.SetAvailable(ntbWrite, false);
    EXPECT_TRUE(toolbar.Button(ntbWrite).Enabled());
    EXPECT_FALSE(toolbar.Action(ntbWrite)->isEnabled());
    toolbar.Action(ntbHelp)->trigger();
    EXPECT_THAT(clicks, ElementsAre(7));
    // The group of 9 and 10 is gone: no separator is left at the end.
    EXPECT_FALSE(toolbar.actions().back()->isVisible());
    EXPECT_FALSE(toolbar.actions()[toolbar.actions().size() - 3]->isVisible());
    EXPECT_TRUE(toolbar.actions()[toolbar.actions().size() - 3]->isSeparator());
    toolbar.Button(ntbSpare).SetEnabled(true);
    EXPECT_TRUE(toolbar.actions()[toolbar.actions().size() - 3]->isVisible());
}

}  // namespace
}  // namespace kv
