// The layout helper: right and bottom margins kept, never a size of 0 or below, keys of control
// array members, a child added twice.

#include <gtest/gtest.h>

#include <QWidget>

#include "ui/framework/widgets/clsCtlResize.h"

namespace kv {
namespace {

class CtlResizeTest : public ::testing::Test {
  protected:
    CtlResizeTest() {
        user.resize(400, 300);
        child = new QWidget(&user);
        child->setObjectName("ctlParameter");
        child->setGeometry(8, 24, 372, 21);  // right margin 20, bottom margin 255
    }
    QWidget user;
    QWidget* child;
    clsCtlResize helper;
};

TEST_F(CtlResizeTest, AddMovesNothingAndResizeKeepsTheMargins) {
    helper.Add(user, *child);
    EXPECT_EQ(child->geometry(), QRect(8, 24, 372, 21));
    user.resize(600, 400);
    helper.Resize(user, *child, crmWidth);
    EXPECT_EQ(child->geometry(), QRect(8, 24, 572, 21));
    helper.Resize(user, *child, crmHeight);
    EXPECT_EQ(child->geometry(), QRect(8, 24, 572, 121));
    user.resize(300, 290);
    helper.Resize(user, *child, crmBoth);
    EXPECT_EQ(child->geometry(), QRect(8, 24, 272, 11));
}

TEST_F(CtlResizeTest, ANarrowUserControlLeavesTheChildsSizeAlone) {
    helper.Add(user, *child);
    user.resize(28, 279);  // 28 - 20 - 8 = 0, 279 - 255 - 24 = 0
    helper.Resize(user, *child, crmBoth);
    EXPECT_EQ(child->size(), QSize(372, 21));
    user.resize(10, 10);
    helper.Resize(user, *child, crmBoth);
    EXPECT_EQ(child->size(), QSize(372, 21));
}

TEST_F(CtlResizeTest, AChildNeverAddedIsNotResized) {
    auto* other = new QWidget(&user);
    other->setObjectName("sepTitle");
    other->setGeometry(8, 0, 100, 17);
    helper.Add(user, *child);
    user.resize(600, 400);
    helper.Resize(user, *other, crmBoth);
    EXPECT_EQ(other->geometry(), QRect(8, 0, 100, 17));
}

TEST_F(CtlResizeTest, MembersOfAControlArrayKeepSeparateMargins) {
    child->setProperty("index", 0);
    auto* second = new QWidget(&user);
    second->setObjectName("ctlParameter");
    second->setProperty("index", 1);
    second->setGeometry(8, 48, 292, 21);  // right margin 100
    EXPECT_EQ(clsCtlResize::KeyOf(*child), "ctlParameter_0");
    EXPECT_EQ(clsCtlResize::KeyOf(*second), "ctlParameter_1");
    helper.Add(user, *child);
    helper.Add(user, *second);
    user.resize(500, 300);
    helper.Resize(user, *child, crmWidth);
    helper.Resize(user, *second, crmWidth);
    EXPECT_EQ(child->width(), 472);
    EXPECT_EQ(second->width(), 392);
}

TEST_F(CtlResizeTest, AnIndexThatIsNoNumberLeavesTheKeyAtTheName) {
    child->setProperty("index", "first");
    EXPECT_EQ(clsCtlResize::KeyOf(*child), "ctlParameter");
}

TEST_F(CtlResizeTest, AddingAChildAgainReplacesItsMargins) {
    helper.Add(user, *child);
    child->resize(340, 21);  // right margin now 52
    helper.Add(user, *child);
    user.resize(500, 300);
    helper.Resize(user, *child, crmWidth);
    EXPECT_EQ(child->width(), 440);
}

}  // namespace
}  // namespace kv
