// The titled separator: default title, property bag, fitting the title frame to its text in the
// right order, and the line that follows the control's width.

#include <gtest/gtest.h>

#include <QApplication>
#include <QEvent>
#include <QFrame>
#include <QLabel>

#include "platform/runtime/PropertyBag.h"
#include "ui/framework/widgets/ctlSeparator.h"

namespace kv {
namespace {

// Writes the name of every widget that gets a resize event.
class ResizeLog : public QObject {
  public:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Resize)
            order.push_back(o->objectName().toStdString());
        return false;
    }
    std::vector<std::string> order;
};

class SeparatorTest : public ::testing::Test {
  protected:
    SeparatorTest() {
        page.resize(480, 100);
        sep = new ctlSeparator(&page);
        sep->setGeometry(8, 0, 401, 17);
        page.show();
        QApplication::processEvents();
        sep->TitleLabel()->installEventFilter(&log);
        sep->TitleFrame()->installEventFilter(&log);
    }
    QWidget page;
    ctlSeparator* sep;
    ResizeLog log;
};

TEST_F(SeparatorTest, ASeparatorWithoutStoredPropertiesShowsTitle) {
    EXPECT_EQ(sep->Caption(), "Title");
    PropertyBag empty;
    sep->SetCaption("Other");
    sep->ReadProperties(empty);
    EXPECT_EQ(sep->Caption(), "Title");
    PropertyBag bag;
    bag.Write("Title", Variant::Null());
    sep->ReadProperties(bag);
    EXPECT_EQ(sep->Caption(), "Title");
}

TEST_F(SeparatorTest, TheTitleIsAlwaysWritten) {
    PropertyBag bag;
    sep->WriteProperties(bag);
    EXPECT_EQ(bag.ReadOr("Title", Variant()), Variant("Title"));
    sep->SetCaption("Identification");
    sep->WriteProperties(bag);
    EXPECT_EQ(bag.ReadOr("title", Variant()), Variant("Identification"));
}

TEST_F(SeparatorTest, TheSameCaptionDoesNotRefit) {
    sep->SetCaption("Title");
    EXPECT_TRUE(log.order.empty());
}

TEST_F(SeparatorTest, ALongerCaptionWidensTheFrameFirstAndAShorterNarrowsTheLabelFirst) {
    sep->SetCaption("Identification of the positioner");
    EXPECT_EQ(log.order, (std::vector<std::string>{"frmHlp", "lblTitle"}));
    QLabel* label = sep->TitleLabel();
    EXPECT_EQ(label->width(), sep->TitleFrame()->width());
    EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text()));
    log.order.clear();
    sep->SetCaption("Id");
    EXPECT_EQ(log.order, (std::vector<std::string>{"lblTitle", "frmHlp"}));
    EXPECT_LE(label->width(), sep->TitleFrame()->width());
}

TEST_F(SeparatorTest, TheLineKeepsItsRightMarginWhenTheControlIsResized) {
    QFrame* line = sep->Line();
    const int margin = sep->width() - line->geometry().right() - 1;
    sep->resize(600, 17);
    QApplication::processEvents();
    EXPECT_EQ(sep->width() - line->geometry().right() - 1, margin);
    EXPECT_EQ(line->x(), 0);
    sep->resize(1, 17);  // no width of 0 or below
    QApplication::processEvents();
    EXPECT_GT(line->width(), 0);
}

}  // namespace
}  // namespace kv
