// The help pane: hidden until a row asks, then beside that row inside the page, found by the
// row through the page.

#include <gtest/gtest.h>

#include <QFrame>
#include <QLabel>
#include <QTest>

#include "RowEventLog.h"
#include "platform/controls/widgets/ctlParamHelp.h"
#include "platform/controls/widgets/ctlParameter.h"
#include "platform/runtime/PropertyBag.h"

namespace kv {
namespace {

using test_support::ShowActive;

// A page that offers its help pane to its rows.
class HelpPage : public QWidget, public IParamHelpHost {
  public:
    HelpPage() {
        resize(480, 300);
        help = new ctlParamHelp(this);
    }
    IParamHelp* GetParamHelpCtl() override { return help; }
    ctlParamHelp* help;
};

TEST(ParamHelpTest, ARowFindsTheHelpPaneOfItsPageThroughItsParents) {
    HelpPage page;
    auto* frame = new QFrame(&page);
    auto* row = new ctlParameter(frame);
    EXPECT_EQ(row->ParamHelpCtl(), page.help);
    ctlParameter orphan;
    EXPECT_EQ(orphan.ParamHelpCtl(), nullptr);
}

TEST(ParamHelpTest, ThePaneShowsTheHelpBelowTheRowAndAboveItAtTheBottomOfThePage) {
    HelpPage page;
    auto* row = new ctlParameter(&page);
    row->setGeometry(8, 24, 401, 21);
    ShowActive(page);
    EXPECT_FALSE(page.help->isVisible());

    page.help->SetHelpText("Travel time of the valve when it opens.");
    EXPECT_EQ(page.help->HelpText(), "Travel time of the valve when it opens.");
    page.help->ShowHelp(*row);
    EXPECT_TRUE(page.help->isVisible());
    EXPECT_EQ(page.help->ShownFor(), row);
    EXPECT_GT(page.help->y(), row->geometry().bottom());
    EXPECT_EQ(page.help->x(), row->x());
    EXPECT_EQ(page.help->findChild<QLabel*>()->text(), "Travel time of the valve when it opens.");
    EXPECT_TRUE(page.rect().contains(page.help->geometry()));

    row->move(8, 275);
    page.help->ShowHelp(*row);
    EXPECT_LT(page.help->geometry().bottom(), row->y());
    EXPECT_TRUE(page.rect().contains(page.help->geometry()));

    QTest::mouseClick(page.help, Qt::LeftButton);
    EXPECT_FALSE(page.help->isVisible());
    EXPECT_EQ(page.help->ShownFor(), nullptr);
}

TEST(ParamHelpTest, WithoutAutoPositionThePaneStaysInItsPlace) {
    HelpPage page;
    auto* row = new ctlParameter(&page);
    row->setGeometry(8, 24, 401, 21);
    PropertyBag bag;
    bag.Write("autoposition", Variant(int32_t{0}));
    EXPECT_TRUE(page.help->ReadProperties(bag));
    page.help->move(300, 200);
    page.help->ShowHelp(*row);
    EXPECT_EQ(page.help->pos(), QPoint(300, 200));
    bag.Write("autoposition", Variant("left"));
    EXPECT_FALSE(page.help->ReadProperties(bag));
    EXPECT_EQ(page.help->AutoPosition(), 0);
}

}  // namespace
}  // namespace kv
