// The parameter row: value shown and read back, plain fields with their edit events, value
// lists, bit lists, command buttons, locking, help menu and keys, colours, visibility and the
// designer properties.

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <memory>

#include "RowEventLog.h"
#include "platform/controls/widgets/ctlParameter.h"
#include "platform/runtime/PropertyBag.h"
#include "value/NumberText.h"

namespace kv {
namespace {

using test_support::ChooseFromContextMenu;
using test_support::RowEventLog;
using test_support::ShowActive;
using Events = std::vector<std::string>;

class ParameterRowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        page = std::make_unique<QWidget>();
        page->resize(480, 300);
        row = new ctlParameter(page.get());
        row->setGeometry(8, 24, 401, 21);
        log = std::make_shared<RowEventLog>();
        row->SetEvents(log);
    }

    QLineEdit* Field() const { return row->findChild<QLineEdit*>(); }
    QComboBox* Choice() const { return row->findChild<QComboBox*>(); }
    QListWidget* Bits() const { return row->findChild<QListWidget*>(); }
    QPushButton* Button() const { return row->findChild<QPushButton*>(); }

    // Focuses the field and selects its text, as a user about to type over it.
    QLineEdit* FocusField() {
        ShowActive(*page);
        QLineEdit* field = Field();
        field->setFocus();
        field->selectAll();
        QApplication::processEvents();
        return field;
    }

    std::unique_ptr<QWidget> page;
    ctlParameter* row = nullptr;
    std::shared_ptr<RowEventLog> log;
};

// --- value shown and read back ---

TEST_F(ParameterRowTest, ValueReadsBackExactlyWhatWasPut) {
    row->SetValueFormat("0.00");
    const Variant values[] = {Variant(0.5),          Variant(1.1f),    Variant(int16_t{-3}),
                              Variant(uint8_t{200}), Variant("TAG 1"), Variant(),
                              Variant::Null(),       Variant(true)};
    for (const Variant& v : values) {
        row->SetValue(v);
        EXPECT_EQ(row->Value(), v);
        EXPECT_EQ(row->Value().type(), v.type());
    }
    EXPECT_TRUE(log->events.empty());
}

TEST_F(ParameterRowTest, NumbersShowInTheValueFormatAndTheUsersDecimalSeparator) {
    row->SetValue(Variant(12.345));
    EXPECT_EQ(row->DisplayText(), "12.345");
    row->SetValueFormat("0.00");
    EXPECT_EQ(row->DisplayText(), "12.35");
    NumberLocale german;
    german.decimal = ',';
    german.group = '.';
    row->SetNumberLocale(german);
    EXPECT_EQ(row->DisplayText(), "12,35");
    // Texts are shown as they are, whatever the format.
    row->SetValue(Variant("abc"));
    EXPECT_EQ(row->DisplayText(), "abc");
    // Null and Empty show nothing.
    row->SetValue(Variant::Null());
    EXPECT_EQ(row->DisplayText(), "");
}

TEST_F(ParameterRowTest, ByteArraysShowAsHexadecimalBytes) {
    row->SetValue(Variant(std::vector<uint8_t>{0x01, 0xAB}));
    EXPECT_EQ(row->DisplayText(), "01 AB");
}

// --- plain field ---

TEST_F(ParameterRowTest, TypingStartsAnEditAndEnterCommitsIt) {
    row->SetValue(Variant(0.5));
    QLineEdit* field = FocusField();
    QTest::keyClicks(field, "12");
    EXPECT_EQ(log->events,
              (Events{"KeyDown(49,0)", "StartEdit", "Change", "KeyDown(50,0)", "Change"}));
    EXPECT_EQ(row->Value(), Variant("12"));
    log->events.clear();
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(log->events, (Events{"KeyDown(13,0)", "EndEdit(1)"}));
    EXPECT_EQ(row->Value(), Variant("12"));
    // Enter without an edit ends nothing.
    log->events.clear();
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(log->events, (Events{"KeyDown(13,0)"}));
}

TEST_F(ParameterRowTest, EscapeAbandonsTheEditAndShowsTheOldValueAgain) {
    row->SetValueFormat("0.00");
    row->SetValue(Variant(0.5));
    QLineEdit* field = FocusField();
    QTest::keyClicks(field, "7");
    log->events.clear();
    QTest::keyClick(field, Qt::Key_Escape);
    EXPECT_EQ(log->events, (Events{"KeyDown(27,0)", "EndEdit(0)"}));
    EXPECT_EQ(field->text(), "0.50");
    EXPECT_EQ(row->Value(), Variant(0.5));
    EXPECT_EQ(row->Value().type(), VarType::Double);
}

TEST_F(ParameterRowTest, LeavingTheFieldCommitsTheEdit) {
    auto* other = new QLineEdit(page.get());
    other->setGeometry(8, 60, 100, 21);
    QLineEdit* field = FocusField();
    QTest::keyClicks(field, "x");
    log->events.clear();
    other->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    EXPECT_EQ(log->events, (Events{"EndEdit(1)"}));
    EXPECT_EQ(row->Value(), Variant("x"));
}

TEST_F(ParameterRowTest, AValueSetDuringAnEditKeepsTheTypedTextAndIsTheOneEscapeGoesBackTo) {
    row->SetValue(Variant(int32_t{1}));
    QLineEdit* field = FocusField();
    QTest::keyClicks(field, "5");
    // A refresh while the user types: the text and the row's value are what was typed.
    row->SetValue(Variant(int32_t{2}));
    EXPECT_EQ(field->text(), "5");
    EXPECT_EQ(row->Value(), Variant("5"));
    QTest::keyClicks(field, "0");
    EXPECT_EQ(field->text(), "50");
    QTest::keyClick(field, Qt::Key_Escape);
    EXPECT_EQ(row->Value(), Variant(int32_t{2}));
    EXPECT_EQ(field->text(), "2");
    // Committed, the typed text is the row's value until the next value comes.
    field->selectAll();
    QTest::keyClicks(field, "7");
    row->SetValue(Variant(int32_t{3}));
    log->events.clear();
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(log->events, (Events{"KeyDown(13,0)", "EndEdit(1)"}));
    EXPECT_EQ(row->Value(), Variant("7"));
    EXPECT_EQ(field->text(), "7");
}

TEST_F(ParameterRowTest, UpperCaseAndMaximumLengthApplyToTyping) {
    row->SetValueUpperCase(true);
    row->SetValueMaxLength(4);
    QLineEdit* field = FocusField();
    QTest::keyClicks(field, "abcdef");
    EXPECT_EQ(field->text(), "ABCD");
    EXPECT_EQ(row->Value(), Variant("ABCD"));
    // What the row is given is shown as it is.
    QTest::keyClick(field, Qt::Key_Return);
    row->SetValue(Variant("low"));
    EXPECT_EQ(field->text(), "low");
    row->SetValueMaxLength(0);
    row->SetValueUpperCase(false);
    field->selectAll();
    QTest::keyClicks(field, "abcdef");
    EXPECT_EQ(field->text(), "abcdef");
}

TEST_F(ParameterRowTest, ALockedFieldIsReadOnlyOnAGreyGroundAndRaisesNoEditEvents) {
    row->SetValue(Variant("fixed"));
    row->SetLocked(true);
    QLineEdit* field = FocusField();
    ASSERT_NE(field, nullptr);
    EXPECT_TRUE(field->isReadOnly());
    EXPECT_EQ(field->palette().color(QPalette::Base), row->palette().color(QPalette::Window));
    QTest::keyClicks(field, "ab");
    EXPECT_EQ(field->text(), "fixed");
    EXPECT_EQ(log->events, (Events{"KeyDown(65,0)", "KeyDown(66,0)"}));
    EXPECT_EQ(row->Value(), Variant("fixed"));
    row->SetLocked(false);
    EXPECT_FALSE(Field()->isReadOnly());
    EXPECT_EQ(Field()->palette().color(QPalette::Base), row->palette().color(QPalette::Base));
}

TEST_F(ParameterRowTest, LockingDuringAnEditDropsTheEdit) {
    row->SetValue(Variant(int32_t{1}));
    QLineEdit* field = FocusField();
    QTest::keyClicks(field, "9");
    log->events.clear();
    row->SetLocked(true);
    EXPECT_EQ(log->events, (Events{"EndEdit(0)"}));
    EXPECT_EQ(row->Value(), Variant(int32_t{1}));
    EXPECT_EQ(Field()->text(), "1");
}

TEST_F(ParameterRowTest, AStartEditHandlerThatLocksTheRowGetsNoChange) {
    row->SetValue(Variant(int32_t{1}));
    log->after = [this](const std::string& e) {
        if (e == "StartEdit")
            row->SetLocked(true);
    };
    QLineEdit* field = FocusField();
    QTest::keyClicks(field, "9");
    EXPECT_EQ(log->events, (Events{"KeyDown(57,0)", "StartEdit", "EndEdit(0)"}));
    EXPECT_EQ(row->Value(), Variant(int32_t{1}));
}

TEST_F(ParameterRowTest, AnotherControlTypeDuringAnEditDropsTheEdit) {
    row->SetValue(Variant(int32_t{1}));
    QLineEdit* field = FocusField();
    QTest::keyClicks(field, "9");
    log->events.clear();
    row->SetControlType(pctCommandButton);
    EXPECT_EQ(log->events, (Events{"EndEdit(0)"}));
    EXPECT_EQ(row->Value(), Variant(int32_t{1}));
}

// --- keys and help menu ---

TEST_F(ParameterRowTest, ShiftF1ReachesTheRowAsKeyDown112WithShift) {
    QLineEdit* field = FocusField();
    QTest::keyClick(field, Qt::Key_F1, Qt::ShiftModifier);
    QTest::keyClick(field, Qt::Key_F1);
    // Shift goes down first, as on any keyboard.
    EXPECT_EQ(log->events, (Events{"KeyDown(16,1)", "KeyDown(112,1)", "KeyDown(112,0)"}));
}

TEST_F(ParameterRowTest, AConsumedKeyDoesNothingElse) {
    log->consumeKey = 65;  // 'A'
    QLineEdit* field = FocusField();
    QTest::keyClicks(field, "ab");
    EXPECT_EQ(field->text(), "b");
    EXPECT_EQ(log->events, (Events{"KeyDown(65,0)", "KeyDown(66,0)", "StartEdit", "Change"}));
}

TEST_F(ParameterRowTest, TheHelpItemOfTheContextMenuRaisesMenuClick1) {
    row->AddMenuItem("");
    row->SetMenuItemText(1, "Help on this parameter\tShift+F1");
    row->AddMenuItem("Second");
    row->SetMenuItemText(3, "ignored");  // no third item
    EXPECT_EQ(row->MenuItemCount(), 2);
    EXPECT_EQ(row->MenuItemText(1), "Help on this parameter\tShift+F1");
    ShowActive(*page);
    ChooseFromContextMenu(Field(), "Help on this parameter\tShift+F1");
    ChooseFromContextMenu(row, "Second");
    EXPECT_EQ(log->events, (Events{"MenuClick(1)", "MenuClick(2)"}));
    row->RemoveMenuItems();
    EXPECT_EQ(row->MenuItemCount(), 0);
}

TEST_F(ParameterRowTest, ALockedRowStillOffersItsHelp) {
    row->SetControlType(pctCommandButton);
    row->SetLocked(true);
    row->AddMenuItem("Help");
    ShowActive(*page);
    ChooseFromContextMenu(Button(), "Help");
    EXPECT_EQ(log->events, (Events{"MenuClick(1)"}));
}

// --- value lists ---

TEST_F(ParameterRowTest, AValueListRowShowsTheEntryOfTheValueAndReportsAChoiceAsClick) {
    row->SetControlType(pctValueList);
    row->SetValueList("0:Off|1:On|x|2:Auto");
    row->SetValue(Variant(uint8_t{1}));
    QComboBox* choice = Choice();
    ASSERT_NE(choice, nullptr);
    EXPECT_EQ(choice->count(), 3);  // the entry without ":" is skipped
    EXPECT_EQ(row->DisplayText(), "On");
    EXPECT_EQ(row->Value(), Variant(uint8_t{1}));
    ShowActive(*page);
    choice->setFocus();
    QTest::keyClick(choice, Qt::Key_Down);
    EXPECT_EQ(log->events, (Events{"KeyDown(40,0)", "Click"}));
    EXPECT_EQ(row->Value(), Variant(int32_t{2}));
    EXPECT_EQ(row->DisplayText(), "Auto");
}

TEST_F(ParameterRowTest, AValueOutsideTheListIsShownAsItIs) {
    row->SetControlType(pctValueList);
    row->SetValueList("0:Off|1:On");
    row->SetValue(Variant(int32_t{7}));
    EXPECT_EQ(Choice()->currentIndex(), -1);
    EXPECT_EQ(row->DisplayText(), "7");
    row->SetValue(Variant("no number"));
    EXPECT_EQ(row->DisplayText(), "no number");
}

TEST_F(ParameterRowTest, ALockedValueListShowsItsEntryReadOnly) {
    row->SetControlType(pctValueList);
    row->SetValueList("0:Off|1:On");
    row->SetValue(Variant(int32_t{0}));
    row->SetLocked(true);
    EXPECT_EQ(Choice(), nullptr);
    ASSERT_NE(Field(), nullptr);
    EXPECT_TRUE(Field()->isReadOnly());
    EXPECT_EQ(Field()->text(), "Off");
    row->SetLocked(false);
    ASSERT_NE(Choice(), nullptr);
    EXPECT_EQ(row->DisplayText(), "Off");
}

// --- bit lists ---

TEST_F(ParameterRowTest, ABitListTicksTheEntriesWhoseBitsAreSet) {
    row->setGeometry(8, 24, 401, 120);
    row->SetControlType(pctBitList);
    row->SetValueList("0:A|1:B|8:None");
    row->SetValue(Variant("0|0|0|0|0|0|0|0|1"));
    QListWidget* bits = Bits();
    ASSERT_NE(bits, nullptr);
    ASSERT_EQ(bits->count(), 3);
    EXPECT_EQ(bits->item(0)->checkState(), Qt::Unchecked);
    EXPECT_EQ(bits->item(1)->checkState(), Qt::Unchecked);
    EXPECT_EQ(bits->item(2)->checkState(), Qt::Checked);
    EXPECT_EQ(row->DisplayText(), "None");
    row->SetValue(Variant("1|1|0|0|0|0|0|0"));
    EXPECT_EQ(row->DisplayText(), "A, B");
    EXPECT_TRUE(log->events.empty());
}

TEST_F(ParameterRowTest, TickingABitReportsClickWithTheNewBits) {
    row->SetControlType(pctBitList);
    row->SetValueList("0:A|1:B|8:None");
    row->SetValue(Variant("0|0|0|0|0|0|0|0|1"));
    Bits()->item(0)->setCheckState(Qt::Checked);
    EXPECT_EQ(log->events, (Events{"Click"}));
    EXPECT_EQ(row->Value(), Variant("1|0|0|0|0|0|0|0|1"));
    // A bit beyond the value's entries pads the list with "0".
    row->SetValue(Variant("0|1"));
    Bits()->item(2)->setCheckState(Qt::Checked);
    EXPECT_EQ(row->Value(), Variant("0|1|0|0|0|0|0|0|1"));
}

TEST_F(ParameterRowTest, ALockedBitListCannotBeTicked) {
    row->SetControlType(pctBitList);
    row->SetValueList("0:A|1:B");
    row->SetValue(Variant("1|0"));
    row->SetLocked(true);
    QListWidget* bits = Bits();
    EXPECT_FALSE(bits->item(0)->flags() & Qt::ItemIsUserCheckable);
    EXPECT_EQ(bits->palette().color(QPalette::Base), row->palette().color(QPalette::Window));
    bits->item(1)->setCheckState(Qt::Checked);  // a forced change is taken back
    EXPECT_EQ(bits->item(1)->checkState(), Qt::Unchecked);
    EXPECT_TRUE(log->events.empty());
    EXPECT_EQ(row->Value(), Variant("1|0"));
}

TEST_F(ParameterRowTest, BitNumbersOutsideAnyDeviceValueAreLeftOut) {
    row->SetControlType(pctBitList);
    row->SetValueList("0:A|-1:Minus|2000000000:Huge|abc:Bad|3:D");
    ASSERT_EQ(Bits()->count(), 2);
    EXPECT_EQ(Bits()->item(1)->text(), "D");
}

TEST_F(ParameterRowTest, ABitListWithoutNamesShowsOneEntryPerBit) {
    row->SetControlType(pctBitList);
    row->SetValue(Variant("1|0|1"));
    ASSERT_EQ(Bits()->count(), 3);
    EXPECT_EQ(row->DisplayText(), "Bit 0, Bit 2");
}

TEST_F(ParameterRowTest, BitEntriesFitTheirBoxesAndACutEntryShowsItsTextAsTooltip) {
    page->resize(1400, 300);
    ShowActive(*page);
    // Narrower than the row needs for its texts.
    row->setGeometry(8, 24, 200, 120);
    row->SetControlType(pctBitList);
    const QString longText = QStringLiteral("Update event (static parameter changed), long enough");
    row->SetValueList("0:Short|1:" + longText.toStdString());
    row->SetValue(Variant("0|1"));
    row->SetHelpText("Help of the row");
    QListWidget* bits = Bits();
    QApplication::processEvents();
    // Every entry is taller than its check box, and no two entries overlap.
    const int indicator = bits->style()->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, bits);
    const QRect first = bits->visualItemRect(bits->item(0));
    const QRect second = bits->visualItemRect(bits->item(1));
    EXPECT_GE(first.height(), indicator + 2);
    EXPECT_GE(second.height(), indicator + 2);
    EXPECT_GT(second.top(), first.bottom());
    // The tooltip over an entry: its whole text while the list shows it cut, else the row's help.
    auto tipOver = [bits](int entry) {
        const QPoint at = bits->visualItemRect(bits->item(entry)).center();
        QHelpEvent event(QEvent::ToolTip, at, bits->viewport()->mapToGlobal(at));
        QApplication::sendEvent(bits->viewport(), &event);
        const std::string tip = QToolTip::text().toStdString();
        QToolTip::hideText();
        return tip;
    };
    EXPECT_EQ(tipOver(1), longText.toStdString());
    EXPECT_EQ(tipOver(0), "Help of the row");
    // A wider row gives the value column the room: the entry shows whole, without its tooltip.
    row->resize(1300, 120);
    QApplication::processEvents();
    EXPECT_EQ(tipOver(1), "Help of the row");
}

// --- command button ---

TEST_F(ParameterRowTest, TheCommandButtonReportsClickUnlessLocked) {
    row->SetControlType(pctCommandButton);
    ASSERT_NE(Button(), nullptr);
    QTest::mouseClick(Button(), Qt::LeftButton);
    EXPECT_EQ(log->events, (Events{"Click"}));
    row->SetLocked(true);
    EXPECT_FALSE(Button()->isEnabled());
    QTest::mouseClick(Button(), Qt::LeftButton);
    EXPECT_EQ(log->events.size(), 1u);
}

TEST_F(ParameterRowTest, TheSitesOverlayKeepsTheRowReadOnlyWithoutChangingLocked) {
    row->SetEditEnabled(false);
    EXPECT_TRUE(row->ReadOnly());
    EXPECT_FALSE(row->Locked());
    EXPECT_TRUE(Field()->isReadOnly());
    row->SetLocked(true);
    row->SetEditEnabled(true);
    EXPECT_TRUE(Field()->isReadOnly());  // the lock of the row stays
    row->SetLocked(false);
    EXPECT_FALSE(Field()->isReadOnly());
}

// --- handlers that unbind or destroy the row ---

TEST_F(ParameterRowTest, AHandlerMayDestroyTheRow) {
    row->SetControlType(pctCommandButton);
    QPointer<ctlParameter> guard(row);
    log->after = [this](const std::string&) { delete row; };
    QTest::mouseClick(Button(), Qt::LeftButton);
    EXPECT_TRUE(guard.isNull());
    EXPECT_EQ(log->events, (Events{"Click"}));
}

TEST_F(ParameterRowTest, AHandlerMayUnbindTheRowAndDropItsListener) {
    log->after = [this](const std::string&) {
        row->SetEvents({});
        log.reset();  // the listener goes while its handler runs
    };
    std::weak_ptr<RowEventLog> watch = log;
    QLineEdit* field = FocusField();
    QTest::keyClicks(field, "ab");
    EXPECT_TRUE(watch.expired());
    EXPECT_EQ(row->Value(), Variant("ab"));
}

TEST_F(ParameterRowTest, AnErrorInAHandlerDoesNotLeaveTheRow) {
    log->after = [](const std::string&) { throw std::runtime_error("handler failed"); };
    QLineEdit* field = FocusField();
    QTest::keyClicks(field, "a");
    EXPECT_EQ(row->Value(), Variant("a"));
}

// --- colours, icon, visibility ---

TEST_F(ParameterRowTest, ColoursAreWindowsColourValuesOrSystemColours) {
    row->SetForeColor(0x0000FF);  // red in the low byte
    QLabel* label = row->findChild<QLabel*>("label");
    EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    row->SetValueForeColor(static_cast<int32_t>(0x80000011u));  // grey text
    EXPECT_EQ(Field()->palette().color(QPalette::Text),
              row->palette().color(QPalette::Disabled, QPalette::WindowText));
    EXPECT_EQ(row->ValueForeColor(), static_cast<int32_t>(0x80000011u));
}

TEST_F(ParameterRowTest, TheStatusIconShowsThePictureOfItsKey) {
    QLabel* icon = row->findChild<QLabel*>("icon");
    row->SetStatusIcon("RangeErr");
    row->SetIconToolTip("Out of range, 0..10");
    EXPECT_EQ(row->StatusIcon(), "RangeErr");
    EXPECT_EQ(icon->pixmap().size(), QSize(16, 16));
    EXPECT_EQ(icon->toolTip(), "Out of range, 0..10");
    row->SetStatusIcon("NoSuchKey");
    EXPECT_TRUE(icon->pixmap().isNull());
    EXPECT_EQ(row->StatusIcon(), "NoSuchKey");
    // A refresh alternates the icon: each change shows.
    row->SetStatusIcon("Dynamic1");
    const qint64 first = icon->pixmap().cacheKey();
    row->SetStatusIcon("Dynamic2");
    EXPECT_NE(icon->pixmap().cacheKey(), first);
    EXPECT_FALSE(icon->pixmap().isNull());
}

TEST_F(ParameterRowTest, TheRowIsShownWhileBothItsFlagAndTheDesignersAreSet) {
    ShowActive(*page);
    row->SetVisible(false);
    EXPECT_FALSE(row->isVisible());
    EXPECT_FALSE(row->Visible());
    row->SetVisible(true);
    EXPECT_TRUE(row->isVisible());
    PropertyBag bag;
    bag.Write("visible", Variant(false));
    row->ReadProperties(bag);
    EXPECT_FALSE(row->isVisible());
    row->SetVisible(true);
    EXPECT_FALSE(row->Visible());
}

// --- designer properties ---

TEST_F(ParameterRowTest, DesignerPropertiesSetTheRowUp) {
    PropertyBag bag;
    bag.Write("parametertag", Variant("TRANS/%d/Act/LIN_TYPE"));
    bag.Write("LabelText", Variant("TRANS/%d/Act/LIN_TYPE"));
    bag.Write("labelwidth", Variant(int32_t{-40}));
    bag.Write("unittext", Variant("Unit"));
    bag.Write("unitwidth", Variant(int32_t{-10}));
    bag.Write("controltype", Variant(int32_t{3}));
    bag.Write("locked", Variant(true));
    bag.Write("font", Variant("MS Sans Serif"));
    EXPECT_TRUE(row->ReadProperties(bag));
    EXPECT_EQ(row->ParameterTag(), "TRANS/%d/Act/LIN_TYPE");
    EXPECT_EQ(row->LabelText(), "TRANS/%d/Act/LIN_TYPE");
    EXPECT_EQ(row->UnitText(), "Unit");
    EXPECT_EQ(row->ControlType(), 3);
    EXPECT_TRUE(row->Locked());
}

TEST_F(ParameterRowTest, ADesignerValueOfTheWrongKindIsReportedAndTheOthersAreRead) {
    PropertyBag bag;
    bag.Write("controltype", Variant("list"));
    bag.Write("labeltext", Variant("Label"));
    EXPECT_FALSE(row->ReadProperties(bag));
    EXPECT_EQ(row->ControlType(), 0);
    EXPECT_EQ(row->LabelText(), "Label");
}

TEST_F(ParameterRowTest, LabelAndUnitColumnsFollowTheirDesignerWidths) {
    ShowActive(*page);
    row->setGeometry(8, 24, 400, 21);
    QLabel* label = row->findChild<QLabel*>("label");
    QLabel* unit = row->findChild<QLabel*>("unit");
    EXPECT_EQ(label->width(), 160);  // -40: 40 percent
    EXPECT_EQ(unit->width(), 40);    // -10: 10 percent
    EXPECT_EQ(unit->geometry().right(), 399);
    EXPECT_GT(Field()->x(), label->geometry().right());
    EXPECT_LT(Field()->geometry().right(), unit->x());
    // "unitwidth" 0 and "iconvisible" False: no unit column, no icon; "labelstyle" 2 puts the
    // label above the value.
    PropertyBag bag;
    bag.Write("unitwidth", Variant(int32_t{0}));
    bag.Write("iconvisible", Variant(false));
    bag.Write("labelstyle", Variant(int32_t{2}));
    row->ReadProperties(bag);
    row->resize(400, 36);
    EXPECT_FALSE(unit->isVisible());
    EXPECT_FALSE(row->findChild<QLabel*>("icon")->isVisible());
    EXPECT_EQ(Field()->geometry().right(), 399);
    EXPECT_GE(Field()->y(), label->geometry().bottom());
}

TEST_F(ParameterRowTest, ALongLabelIsShortenedButKeptWhole) {
    const std::string text(200, 'W');
    row->SetLabelText(text);
    EXPECT_EQ(row->LabelText(), text);
    QLabel* label = row->findChild<QLabel*>("label");
    EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width());
}

TEST_F(ParameterRowTest, ALabelOrAValueTooLongForItsColumnGetsTheRoomItNeeds) {
    ShowActive(*page);
    row->setGeometry(8, 24, 400, 21);
    QLabel* label = row->findChild<QLabel*>("label");
    const int line = row->height();
    // A label longer than its column widens the column, as far as the value keeps its room.
    const QString longer = QStringLiteral("A label that is longer than forty per cent");
    ASSERT_GT(label->fontMetrics().horizontalAdvance(longer), 160);
    row->SetLabelText(longer.toStdString());
    EXPECT_FALSE(row->Stacked());
    EXPECT_EQ(label->text(), longer);
    EXPECT_GT(Field()->x(), label->geometry().right());
    EXPECT_EQ(row->heightForWidth(400), line);
    // The page's label column, when it is wider.
    row->SetLabelColumn(300 - 20);
    EXPECT_GE(label->width(), 280);
    row->SetLabelColumn(0);
    // A choice whose longest entry the value column does not hold puts the label above it: the
    // row needs a line more, and its least width holds the entry.
    row->SetLabelText("Label");
    row->SetControlType(pctValueList);
    const std::string entry(60, 'W');
    row->SetValueList("0:Short|1:" + entry);
    EXPECT_TRUE(row->Stacked());
    EXPECT_GT(row->heightForWidth(400), line);
    const int least = row->minimumSizeHint().width();
    const int text = Choice()->fontMetrics().horizontalAdvance(QString::fromStdString(entry));
    row->resize(least, row->heightForWidth(least));
    EXPECT_GE(Choice()->y(), label->geometry().bottom());
    EXPECT_GT(Choice()->width(), text);
    // Wide enough, the label goes beside the choice again.
    const int wide = 3 * least;
    row->resize(wide, line);
    EXPECT_FALSE(row->Stacked());
    EXPECT_EQ(row->heightForWidth(wide), line);
    EXPECT_GT(Choice()->x(), label->geometry().right());
}

}  // namespace
}  // namespace kv
