// The headline of the navigation control: the device state's panels, their texts and pictures,
// and the links it opens.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/controls/widgets/NavElidedLabel.h"
#include "platform/controls/widgets/NavHeadline.h"

namespace kv {
namespace {

TEST(NavigationHeadline, FlagsLightTheirPanels) {
    nav::NavHeadline headline;
    struct Case {
        int32_t flags;
        const char* pictures[4];
    };
    for (const Case& c :
         {Case{0,
               {"disabled/status_none", "disabled/status_maint", "disabled/status_funct",
                "disabled/status_critic"}},
          Case{1,
               {"status_ok", "disabled/status_maint", "disabled/status_funct",
                "disabled/status_critic"}},
          Case{14, {"disabled/status_none", "status_maint", "status_funct", "status_critic"}},
          Case{3, {"status_ok", "status_maint", "disabled/status_funct", "disabled/status_critic"}},
          Case{15, {"status_ok", "status_maint", "status_funct", "status_critic"}}}) {
        headline.SetDataState(c.flags);
        EXPECT_EQ(headline.DataState(), c.flags);
        for (int32_t panel = 1; panel <= 4; ++panel)
            EXPECT_EQ(headline.ShownPanelPicture(panel).toStdString(), c.pictures[panel - 1])
                << "flags " << c.flags << " panel " << panel;
    }
    EXPECT_THROW(headline.SetDataState(16), std::out_of_range);
    EXPECT_THROW(headline.SetDataState(-1), std::out_of_range);
    EXPECT_EQ(headline.DataState(), 15);
}

TEST(NavigationHeadline, PanelsTakeTheirTextsByNumber) {
    nav::NavHeadline headline;
    headline.PanelText(1, "Device state - OK");
    headline.PanelText(4, "Failure (2)");
    EXPECT_EQ(headline.PanelText(1), "Device state - OK");
    EXPECT_EQ(headline.PanelText(4), "Failure (2)");
    EXPECT_THROW(headline.PanelText(0, "x"), std::out_of_range);
    EXPECT_THROW(headline.PanelText(5), std::out_of_range);
}

TEST(NavigationHeadline, PanelsAreOfEqualWidthWhateverTheirTextsAndTheRoom) {
    // Texts of very different lengths, set before the headline was ever laid out.
    QWidget window;
    auto* headline = new nav::NavHeadline(&window);
    (new QVBoxLayout(&window))->addWidget(headline);
    headline->PanelText(1, "Device state - OK");
    headline->PanelText(2, "Maintenance required (12)");
    headline->PanelText(3, "Function check");
    headline->PanelText(4, "Failure (1)");
    window.resize(1000, 200);
    window.show();
    for (const int width : {1000, 640, 360, 1400}) {
        SCOPED_TRACE(testing::Message() << "width " << width);
        window.resize(width, 200);
        QCoreApplication::processEvents();
        std::vector<int> widths;
        for (int panel = 1; panel <= 4; ++panel) {
            const auto* frame =
                headline->findChild<QWidget*>(QStringLiteral("StatePanel%1").arg(panel));
            ASSERT_NE(frame, nullptr);
            widths.push_back(frame->width());
        }
        const auto [narrowest, widest] = std::minmax_element(widths.begin(), widths.end());
        EXPECT_LE(*widest - *narrowest, 1)
            << widths[0] << " " << widths[1] << " " << widths[2] << " " << widths[3];
        EXPECT_GT(*narrowest, 0);
    }
}

// A value shown anew at every cycle, in a row that gives it the room of its text.
TEST(NavigationHeadline, AValueLabelTakesTheRoomOfEachText) {
    QWidget window;
    auto* row = new QHBoxLayout(&window);
    auto* label = new nav::NavElidedLabel(&window);
    row->addWidget(label);
    row->addStretch(1);
    window.resize(600, 40);
    window.show();
    for (const char* text : {"1.00 %", "100.00 % of the stroke", "2.00 %"}) {
        label->setText(QString::fromUtf8(text));
        QCoreApplication::processEvents();
        EXPECT_EQ(label->width(), label->sizeHint().width()) << text;
    }
}

TEST(NavigationHeadline, StateImagesNameKnownPicturesForPanelsOneToFour) {
    nav::NavHeadline headline;
    IStateImages& images = headline;
    images.SetImage(2, "status_funct");
    images.SetDisabledImage(3, "status_maint");
    EXPECT_EQ(images.Image(2), "status_funct");
    EXPECT_EQ(images.DisabledImage(3), "status_maint");
    headline.SetDataState(2);
    EXPECT_EQ(headline.ShownPanelPicture(2), "status_funct");
    EXPECT_EQ(headline.ShownPanelPicture(3), "disabled/status_maint");
    EXPECT_THROW(images.SetImage(2, "status_unknown"), std::invalid_argument);
    EXPECT_THROW(images.SetImage(5, "status_ok"), std::out_of_range);
    EXPECT_THROW(images.SetDisabledImage(0, "status_ok"), std::out_of_range);
    EXPECT_EQ(images.Image(2), "status_funct");
}

TEST(NavigationHeadline, OnlyWebAndMailAddressesOpen) {
    EXPECT_TRUE(nav::NavHeadline::IsOpenableLink("https://www.example.com/"));
    EXPECT_TRUE(nav::NavHeadline::IsOpenableLink("http://example.com"));
    EXPECT_TRUE(nav::NavHeadline::IsOpenableLink("mailto:service@example.com"));
    EXPECT_FALSE(nav::NavHeadline::IsOpenableLink("file:///etc/passwd"));
    EXPECT_FALSE(nav::NavHeadline::IsOpenableLink("javascript:alert(1)"));
    EXPECT_FALSE(nav::NavHeadline::IsOpenableLink("www.example.com"));
    EXPECT_FALSE(nav::NavHeadline::IsOpenableLink(""));
}

}  // namespace
}  // namespace kv
