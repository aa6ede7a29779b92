// The scale: round tick values on the displayed range, positions (mirrored too), labels in the
// user's language, the change signal.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/controls/widgets/Scale.h"

namespace kv {
namespace {

TEST(ScaleTest, TicksStandAtRoundValuesAtLeastOneLabelApart) {
    Scale scale;
    EXPECT_EQ(scale.TickValues(400, 40),
              (std::vector<double>{0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100}));
    EXPECT_EQ(scale.TickValues(400, 100), (std::vector<double>{0, 50, 100}));
    EXPECT_EQ(scale.TickValues(400, 75), (std::vector<double>{0, 20, 40, 60, 80, 100}));
    scale.SetViewMin(-50);
    scale.SetViewMax(50);
    EXPECT_EQ(scale.TickValues(100, 40), (std::vector<double>{-50, 0, 50}));
    scale.SetViewMin(0.1);
    scale.SetViewMax(0.35);
    const std::vector<double> ticks = scale.TickValues(400, 40);
    ASSERT_EQ(ticks.size(), 6u);
    EXPECT_NEAR(ticks.front(), 0.1, 1e-12);
    EXPECT_NEAR(ticks.back(), 0.35, 1e-12);
}

TEST(ScaleTest, AnEmptyOrInvalidRangeHasNoTicks) {
    Scale scale;
    scale.SetViewMin(5);
    scale.SetViewMax(5);
    EXPECT_TRUE(scale.TickValues(400, 40).empty());
    scale.SetViewMax(std::numeric_limits<double>::quiet_NaN());
    EXPECT_TRUE(scale.TickValues(400, 40).empty());
    scale.SetViewMax(std::numeric_limits<double>::infinity());
    EXPECT_TRUE(scale.TickValues(400, 40).empty());
}

TEST(ScaleTest, AReversedRangeTicksTheSameValues) {
    Scale scale;
    scale.SetViewMin(100);
    scale.SetViewMax(0);
    EXPECT_EQ(scale.TickValues(400, 75), (std::vector<double>{0, 20, 40, 60, 80, 100}));
    EXPECT_DOUBLE_EQ(scale.PositionOf(100, 400), 0);
}

TEST(ScaleTest, MirroredPutsTheMaximumOnTheLeft) {
    Scale scale;
    EXPECT_DOUBLE_EQ(scale.PositionOf(25, 400), 100);
    scale.SetMirrored(true);
    EXPECT_DOUBLE_EQ(scale.PositionOf(25, 400), 300);
    EXPECT_DOUBLE_EQ(scale.PositionOf(100, 400), 0);
}

TEST(ScaleTest, LabelsUseTheDecimalsOfTheStepAndTheLanguagesSeparator) {
    Scale scale;
    EXPECT_EQ(scale.LabelText(20, 10), "20");
    EXPECT_EQ(scale.LabelText(0.5, 0.5), "0.5");
    EXPECT_EQ(scale.LabelText(0.25, 0.05), "0.25");
    scale.SetUserLanguage(0x0407);  // German
    EXPECT_EQ(scale.LabelText(0.5, 0.5), "0,5");
    scale.SetUserLanguage(0x0409);  // English
    EXPECT_EQ(scale.LabelText(0.5, 0.5), "0.5");
}

}  // namespace
}  // namespace kv
