// The device pane and the DTM pane of the navigation control: their states and texts, and the
// device's picture.

#include <gtest/gtest.h>

#include <QImage>
#include <QTemporaryDir>

#include "platform/controls/widgets/NavPanes.h"

namespace kv {
namespace {

TEST(NavigationPanes, DataStateAndConnectionStateKeepToTheirRanges) {
    nav::NavDtmInfoPane pane;
    for (int32_t s = 0; s <= 6; ++s) {
        pane.SetDataState(s);
        EXPECT_EQ(pane.DataState(), s);
        EXPECT_FALSE(pane.DataStateText(s).empty());
    }
    EXPECT_THROW(pane.SetDataState(7), std::out_of_range);
    EXPECT_THROW(pane.SetDataState(-1), std::out_of_range);
    EXPECT_EQ(pane.DataState(), 6);
    pane.DataStateText(1, "Geändert");
    EXPECT_EQ(pane.DataStateText(1), "Geändert");

    EXPECT_EQ(pane.ConnectState(), dcsUnknown);
    pane.SetConnectState(dcsConnected);
    pane.ConnectStateText(dcsConnected, "Verbunden");
    EXPECT_EQ(pane.ConnectStateText(dcsConnected), "Verbunden");
    EXPECT_THROW(pane.SetConnectState(3), std::out_of_range);
    EXPECT_THROW(pane.ConnectStateText(0, "x"), std::out_of_range);
    EXPECT_EQ(pane.ConnectState(), dcsConnected);
}

TEST(NavigationPanes, DeviceIconFallsBackToTheControlsPicture) {
    nav::NavDevInfoPane pane;
    pane.SetDeviceIcon("/nonexistent/device.png");
    EXPECT_EQ(pane.DeviceIcon(), "/nonexistent/device.png");
    EXPECT_FALSE(pane.ShowsDeviceIcon());
    QTemporaryDir dir;
    const QString file = dir.filePath("device.png");
    QImage image(64, 32, QImage::Format_ARGB32);
    image.fill(Qt::blue);
    ASSERT_TRUE(image.save(file));
    pane.SetDeviceIcon(file.toStdString());
    EXPECT_TRUE(pane.ShowsDeviceIcon());
    pane.SetDeviceIcon("");
    EXPECT_FALSE(pane.ShowsDeviceIcon());
}

}  // namespace
}  // namespace kv
