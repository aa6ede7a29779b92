// A small online page against the simulated positioner: its rows bound to the instance's data
// set, its cyclic refresh reading the rows' records on every tick with the alternating dynamic
// icons, an edit that is committed and marked edited online and then written by the page, and a
// device command row that asks, runs and unlocks.

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "OnlinePageTest.h"
#include "core/DtmElements.h"
#include "core/ProjectHelpers.h"
#include "platform/runtime/TransactionGroup.h"
#include "support/WidgetHelpers.h"

namespace kv {
namespace {

using test_support::RecordingProcess;
using test_support::ShowActive;

const char* const kReadback = "FUNC/1/AO/READBACK/";
const char* const kReadbackValue = "FUNC/1/AO/READBACK/Value";
const char* const kDiagnosis = "PHYS/DIAGNOSIS/";
const char* const kTagDesc = "PHYS/TAG_DESC";
const char* const kFactoryReset = "PHYS/FACTORY_RESET";

class PageEndToEnd : public test_support::OnlinePageTest {
  protected:
    PageEndToEnd() {
        value = page->AddRow("FUNC/%d/AO/READBACK/Value", 1, true);
        status = page->AddRow("FUNC/%d/AO/READBACK/Status", 1, true);
        diagnosis = page->AddRow(kDiagnosis, 4, true);
        tag = page->AddRow(kTagDesc);
        command = page->AddRow(kFactoryReset, pctCommandButton);
        unbound = page->AddRow("FUNC/%d/AO/NOT_THERE");
        Open();
        EXPECT_TRUE(in.Connect());
        group.Init(in.context);
    }
    int Reads(const std::string& path) { return in.Logged(false)[in.AddressOf(path)]; }
    int Writes(const std::string& path) { return in.Logged(true)[in.AddressOf(path)]; }
    QLineEdit* Field(ctlParameter* row) { return row->findChild<QLineEdit*>(); }
    // The user types the text into the row's field and presses Enter.
    QLineEdit* Enter(ctlParameter* row, const char* text) {
        QLineEdit* field = Field(row);
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, text);
        QTest::keyClick(field, Qt::Key_Return);
        return field;
    }

    std::shared_ptr<RecordingProcess> pageProcess = std::make_shared<RecordingProcess>();
    TransactionGroup group;  // the page's own group for its read and write
    ctlParameter* value = nullptr;
    ctlParameter* status = nullptr;
    ctlParameter* diagnosis = nullptr;
    ctlParameter* tag = nullptr;
    ctlParameter* command = nullptr;
    ctlParameter* unbound = nullptr;
};

TEST_F(PageEndToEnd, CyclingReadsTheRowsRecordsEachTickWithAlternatingDynamicIcons) {
    EXPECT_EQ(value->StatusIcon(), "Initial");
    page->cycle->SetValue(1);
    in.loop->RunUntilIdle();
    // One read per record: the two members of the read-back share theirs.
    EXPECT_EQ(Reads(kReadback), 1);
    EXPECT_EQ(Reads(kDiagnosis), 1);
    EXPECT_EQ(Reads(kTagDesc), 1);
    EXPECT_EQ(in.At(kReadbackValue).DynamicCounter, 1);
    EXPECT_EQ(in.At(kReadback).DynamicCounter, 0);

    std::vector<std::string> icons{value->StatusIcon()};
    for (int tick = 1; tick <= 3; ++tick) {
        in.loop->Advance(4000);
        EXPECT_EQ(Reads(kReadback), 1 + tick);
        EXPECT_EQ(Reads(kDiagnosis), 1 + tick);
        icons.push_back(value->StatusIcon());
    }
    for (size_t i = 0; i < icons.size(); ++i) {
        EXPECT_TRUE(icons[i] == "Dynamic1" || icons[i] == "Dynamic2") << icons[i];
        if (i > 0) {
            EXPECT_NE(icons[i], icons[i - 1]) << "tick " << i;
        }
    }
    // The rows show the device's values.
    EXPECT_FALSE(in.At(kReadbackValue).DeviceValue().isEmpty());
    EXPECT_FALSE(Field(value)->text().isEmpty());
    EXPECT_TRUE(Field(value)->isReadOnly());

    // Switched off: the marks go, the rows show the value's state again, no more reads.
    page->cycle->SetValue(0);
    EXPECT_EQ(in.At(kReadbackValue).DynamicCounter, 0);
    EXPECT_EQ(value->StatusIcon(), "OnlineValue");
    in.loop->Advance(12000);
    EXPECT_EQ(Reads(kReadback), 4);
    EXPECT_TRUE(prompt->messages.empty());
    EXPECT_TRUE(prompt->questions.empty());
}

TEST_F(PageEndToEnd, AnEditIsCommittedMarkedEditedOnlineKeptByTheCycleAndWritten) {
    page->cycle->SetValue(1);
    in.loop->RunUntilIdle();
    ShowActive(*page);
    QLineEdit* field = Enter(tag, "VALVE 7");
    clsDataElement& e = in.At(kTagDesc);
    EXPECT_EQ(e.TransientValue().str(), "VALVE 7");
    EXPECT_NE(e.StatusFlags() & sfEditedOnline, 0);
    EXPECT_EQ(tag->StatusIcon(), "Changed");
    EXPECT_EQ(in.data->ModifiedState(), 1);

    // The next tick reads the tag again but keeps the edit that is not yet written.
    in.loop->Advance(4000);
    EXPECT_EQ(e.TransientValue().str(), "VALVE 7");
    EXPECT_EQ(field->text().toStdString(), "VALVE 7");

    // The page's write takes an edit still being typed over first, then writes the tag.
    page->cycle->SetValue(0);
    in.loop->RunUntilIdle();
    field->selectAll();
    QTest::keyClicks(field, "VALVE 8");
    ASSERT_TRUE(
        WritePageParameters(pageProcess, in.context, group, PageParameterRows(*page->site)));
    EXPECT_EQ(e.TransientValue().str(), "VALVE 8");
    in.loop->RunUntilIdle();
    ASSERT_EQ(pageProcess->finished.size(), 1u);
    EXPECT_TRUE(pageProcess->finished[0].second);
    EXPECT_EQ(Writes(kTagDesc), 1);
    EXPECT_EQ(Writes(kFactoryReset), 0);  // the command row's element is never written by it
    const std::vector<uint8_t> stored = in.device->Record(0, 18);
    EXPECT_EQ(std::string(stored.begin(), stored.begin() + 7), "VALVE 8");
    EXPECT_EQ(e.StatusFlags() & sfEditedOnline, 0);
}

TEST_F(PageEndToEnd, AnUnwrittenEditOutlivesThePageWhileCyclingUntilAPageReadReplacesIt) {
    // Another page cycles over the tag.
    test_support::TestPage other;
    ctlParameter* otherTag = other.AddRow(kTagDesc);
    other.Init(in.context);
    const std::shared_ptr<IPrivateGUI> otherGui = other.MakeGui();
    gui->RegisterGUI("other.test$", otherGui, false);
    other.cycle->SetValue(1);
    in.loop->RunUntilIdle();
    ShowActive(*page);
    Enter(tag, "VALVE 7");
    clsDataElement& e = in.At(kTagDesc);
    ASSERT_EQ(e.TransientValue().str(), "VALVE 7");
    const std::string device = e.DeviceValue().str();
    ASSERT_NE(device, "VALVE 7");
    auto dataStatus = [this] { return in.At(kDataStatusPath).TransientValue().toLong(); };

    // The page goes; the other page reads the tag on, and the edit stays, shown as changed.
    gui->UnregisterGUI("page.test$");
    page->Release();
    in.device->ClearLog();
    in.loop->Advance(8000);
    EXPECT_EQ(Reads(kTagDesc), 2);
    EXPECT_EQ(e.TransientValue().str(), "VALVE 7");
    EXPECT_NE(e.StatusFlags() & sfEditedOnline, 0);
    EXPECT_EQ(otherTag->StatusIcon(), "Changed");
    EXPECT_EQ(dataStatus(), edsChanged);
    EXPECT_EQ(in.data->ModifiedState(), 1);

    // Back on the page, which cycles too: the row shows the edit still.
    page = std::make_unique<test_support::TestPage>();
    tag = page->AddRow(kTagDesc);
    pageGui = page->MakeGui();
    Open();
    EXPECT_EQ(Field(tag)->text().toStdString(), "VALVE 7");
    page->cycle->SetValue(1);
    in.loop->Advance(4000);
    EXPECT_EQ(Field(tag)->text().toStdString(), "VALVE 7");
    EXPECT_EQ(tag->StatusIcon(), "Changed");

    // A page read asks for the device's value: it replaces the edit.
    ASSERT_TRUE(ReadPageParameters(pageProcess, in.context, group, PageParameterRows(*page->site)));
    in.loop->RunUntilIdle();
    EXPECT_EQ(e.TransientValue().str(), device);
    EXPECT_EQ(e.StatusFlags() & sfEditedOnline, 0);
    EXPECT_EQ(Field(tag)->text().toStdString(), device);
    EXPECT_NE(tag->StatusIcon(), "Changed");
    EXPECT_NE(dataStatus(), edsChanged);
    gui->UnregisterGUI("other.test$");
    other.Release();
}

TEST_F(PageEndToEnd, ADeviceCommandRowAsksRunsAndUnlocks) {
    clsDataElement& reset = in.At(kFactoryReset);
    reset.SetTransientValue(Variant(int32_t{SimulatedPositioner::kWarmStart}));
    in.data->ElementChanged(reset, "");
    ShowActive(*page);
    QPushButton* button = command->findChild<QPushButton*>();
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(command->StatusIcon(), "Blank");

    prompt->answers = {mbaNo};
    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_EQ(prompt->questions.size(), 1u);
    EXPECT_EQ(prompt->questions[0].second, mbsYesNoQuestionDefaultNo);
    EXPECT_NE(prompt->questions[0].first.find(command->LabelText()), std::string::npos);
    in.loop->RunUntilIdle();
    EXPECT_EQ(Writes(kFactoryReset), 0);

    prompt->answers = {mbaYes};
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_TRUE(command->Locked());
    EXPECT_FALSE(button->isEnabled());
    in.loop->RunUntilIdle();
    EXPECT_EQ(Writes(kFactoryReset), 1);
    EXPECT_FALSE(command->Locked());
    EXPECT_TRUE(button->isEnabled());
    EXPECT_TRUE(prompt->messages.empty());
}

TEST_F(PageEndToEnd, AnUnboundRowIsNeitherReadNorWritten) {
    EXPECT_FALSE(unbound->isEnabled());
    page->cycle->SetValue(1);
    in.loop->RunUntilIdle();
    ASSERT_TRUE(ReadPageParameters(pageProcess, in.context, group, PageParameterRows(*page->site)));
    in.loop->RunUntilIdle();
    ASSERT_EQ(pageProcess->finished.size(), 1u);
    EXPECT_TRUE(pageProcess->finished[0].second);
    EXPECT_TRUE(in.context.Diagnostics().Empty());
}

TEST_F(PageEndToEnd, ReleasingACyclingPageStopsEverything) {
    page->cycle->SetValue(1);
    in.loop->RunUntilIdle();
    gui->UnregisterGUI("page.test$");
    page->Release();
    EXPECT_EQ(page->cycle->Value(), 0);
    EXPECT_EQ(in.At(kReadbackValue).DynamicCounter, 0);
    in.device->ClearLog();
    in.loop->Advance(12000);
    EXPECT_EQ(Reads(kReadback), 0);
    page.reset();
    in.loop->Advance(12000);
    EXPECT_EQ(Reads(kReadback), 0);
}

}  // namespace
}  // namespace kv
