// Parameter links on real rows of a page, bound through the binding site to the device's data
// set: the bit list and the value list in their editors, the status picture with its tooltip,
// Shift+F1 and the help menu item, and the read-only look of a protected element.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <memory>
#include <string>

#include "OnlinePageTest.h"
#include "platform/controls/widgets/QtText.h"
#include "support/WidgetHelpers.h"

namespace kv {
namespace {

using test_support::ChooseFromContextMenu;
using test_support::ShowActive;

class LinkRowsTest : public test_support::OnlinePageTest {
  protected:
    LinkRowsTest() {
        checkBackOpt = page->AddRow("FUNC/%d/AO/MFR/CHECK_BACK_OPT", 4);
        selector = page->AddRow("PHYS/IDENT_NUMBER_SELECTOR", 3);
        protection = page->AddRow("PHYS/HW_WRITE_PROTECTION", 3);
        tag = page->AddRow("PHYS/TAG_DESC");
        readback = page->AddRow("FUNC/%d/AO/READBACK/Value");
        Open();
    }

    ctlParameter* checkBackOpt = nullptr;
    ctlParameter* selector = nullptr;
    ctlParameter* protection = nullptr;
    ctlParameter* tag = nullptr;
    ctlParameter* readback = nullptr;
};

TEST_F(LinkRowsTest, ABitListShowsTheElementsBitsAndCommitsATickedOne) {
    QListWidget* bits = checkBackOpt->findChild<QListWidget*>();
    ASSERT_NE(bits, nullptr);
    // One item per entry of the value list, "none" ticked for the value 0.
    ASSERT_EQ(bits->count(), 13);
    EXPECT_EQ(bits->item(12)->text().toStdString(), "none");
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(bits->item(i)->checkState(), Qt::Unchecked) << i;
    EXPECT_EQ(bits->item(12)->checkState(), Qt::Checked);

    bits->item(1)->setCheckState(Qt::Checked);  // "1:Request for local operation"
    clsDataElement& e = Element(checkBackOpt);
    ASSERT_TRUE(e.TransientValue().isByteArray());
    EXPECT_EQ(e.TransientValue().bytes().bytes, (std::vector<uint8_t>{0x02, 0x00, 0x00}));
    EXPECT_NE(e.StatusFlags() & sfEditedOnline, 0);
    // The element's change came back to the row: "none" is no longer ticked.
    EXPECT_EQ(bits->item(12)->checkState(), Qt::Unchecked);
    EXPECT_EQ(checkBackOpt->StatusIcon(), "Changed");
}

TEST_F(LinkRowsTest, AValueListOffersItsTextsAndCommitsTheChosenEntry) {
    QComboBox* choice = selector->findChild<QComboBox*>();
    ASSERT_NE(choice, nullptr);
    ASSERT_EQ(choice->count(), 2);
    EXPECT_EQ(choice->currentIndex(), 1);  // the offline value 1
    ShowActive(*page);
    choice->setFocus();
    QTest::keyClick(choice, Qt::Key_Up);  // the entry before: 0
    clsDataElement& e = Element(selector);
    EXPECT_EQ(e.TransientValue().toLong(), 0);
    EXPECT_EQ(e.TransientValue().type(), VarType::Byte);
    EXPECT_EQ(selector->StatusIcon(), "Changed");
}

TEST_F(LinkRowsTest, TheStatusPictureAndItsTooltipComeFromTheElement) {
    QLabel* icon = tag->findChild<QLabel*>("icon");
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(tag->StatusIcon(), "Initial");
    EXPECT_FALSE(icon->pixmap().isNull());
    EXPECT_EQ(icon->toolTip().toStdString(), in.context.GetText("paramicon_Initial"));
    EXPECT_EQ(tag->LabelText(), Element(tag).Label.str());
    EXPECT_EQ(readback->UnitText(), Element(readback).UnitString(in.context));

    // German: the tooltip follows the language.
    gui->SetLanguage(langGerman);
    EXPECT_EQ(icon->toolTip().toStdString(), in.context.GetText("paramicon_Initial"));
    EXPECT_NE(in.context.GetText("paramicon_Initial"), "paramicon_Initial");
}

TEST_F(LinkRowsTest, ShiftF1AndTheMenuItemOpenTheHelpButF1AloneDoesNot) {
    ShowActive(*page);
    QLineEdit* field = tag->findChild<QLineEdit*>();
    ASSERT_NE(field, nullptr);
    auto* help = static_cast<ctlParamHelp*>(page->help);
    field->setFocus();
    const QString text = field->text();
    QTest::keyClick(field, Qt::Key_F1);
    EXPECT_EQ(help->ShownFor(), nullptr);
    QTest::keyClick(field, Qt::Key_F1, Qt::ShiftModifier);
    EXPECT_EQ(help->ShownFor(), tag);
    EXPECT_EQ(help->HelpText(), Element(tag).Help.str());
    EXPECT_EQ(field->text(), text);

    QMouseEvent close(QEvent::MouseButtonPress, QPointF(1, 1), QPointF(1, 1), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(help, &close);
    EXPECT_EQ(help->ShownFor(), nullptr);
    const std::string item = tag->MenuItemText(1);
    EXPECT_EQ(item, in.context.GetText("paramhelp_menuitem") + "\t" +
                        in.context.GetText("paramhelp_shortcut"));
    ChooseFromContextMenu(field, ToQString(item));
    EXPECT_EQ(help->ShownFor(), tag);
}

TEST_F(LinkRowsTest, AProtectedElementLooksReadOnlyAndTakesNoInput) {
    EXPECT_TRUE(protection->Locked());
    EXPECT_TRUE(protection->ReadOnly());
    EXPECT_EQ(protection->findChild<QComboBox*>(), nullptr);  // a locked list shows its text
    QLineEdit* field = protection->findChild<QLineEdit*>();
    ASSERT_NE(field, nullptr);
    EXPECT_TRUE(field->isReadOnly());
    EXPECT_FALSE(field->text().isEmpty());

    // The site's overlay makes every row read only and gives the lock back afterwards.
    page->site->EnableEdit(false);
    EXPECT_TRUE(tag->ReadOnly());
    page->site->EnableEdit(true);
    EXPECT_FALSE(tag->ReadOnly());
    EXPECT_TRUE(protection->ReadOnly());
}

}  // namespace
}  // namespace kv
