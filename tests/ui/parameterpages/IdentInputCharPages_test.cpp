// The identification, input-value, working-range, characteristic-table and characteristic
// pages: their locked rows, their block numbers, the order and the sets of their reads and
// writes, the unit conversions their rows show at once, and what their rows take of typed
// numbers.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "PageFixture.h"
#include "platform/runtime/IDTMDictionary.h"
#include "support/GuiFakes.h"
#include "ui/parameterpages/ParameterPage.h"

namespace kv {
namespace {

using namespace pagetest;

// --- identification ---

TEST(IdentificationPages, ValveTypeRatedTravelAndWriteLockingStayLocked) {
    PageBench b;
    HostedPage valve = OpenPage(b, "ctlIdValve");
    EXPECT_FALSE(RowOf(*valve.page, "TRANS/%d/Act/VALVE_MAN").Locked());
    EXPECT_TRUE(RowOf(*valve.page, "TRANS/%d/Act/VALVE_TYPE").Locked());
    EXPECT_TRUE(RowOf(*valve.page, "TRANS/%d/Act/RATED_TRAVEL").Locked());
    // Still locked after every element was shown anew and with the data set unlocked.
    b.Gui().ParameterSetChanged();
    b.Gui().SetLocked(false);
    EXPECT_TRUE(RowOf(*valve.page, "TRANS/%d/Act/VALVE_TYPE").Locked());
    HostedPage gear = OpenPage(b, "ctlIdAddGear");
    EXPECT_TRUE(RowOf(*gear.page, "PHYS/WRITE_LOCKING").Locked());
    EXPECT_TRUE(valve->PrepareToRelease());
    EXPECT_TRUE(gear->PrepareToRelease());
}

TEST(IdentificationPages, WritesLeaveTheLockedRowsOut) {
    PageBench b;
    b.Online();
    HostedPage gear = OpenPage(b, "ctlIdAddGear");
    const std::vector<std::string> writes = Requests(AsParameterPage(gear), true);
    b.Settle();
    EXPECT_EQ(std::count(writes.begin(), writes.end(), "PHYS/WRITE_LOCKING"), 0);
    EXPECT_EQ(b.Logged(true).count(b.AddressOf("PHYS/WRITE_LOCKING")), 0u);
    HostedPage valve = OpenPage(b, "ctlIdValve");
    b.Clear();
    const std::vector<std::string> valveWrites = Requests(AsParameterPage(valve), true);
    b.Settle();
    EXPECT_EQ(std::count(valveWrites.begin(), valveWrites.end(), "TRANS/1/Act/VALVE_TYPE"), 0);
    EXPECT_EQ(std::count(valveWrites.begin(), valveWrites.end(), "TRANS/1/Act/RATED_TRAVEL"), 0);
    EXPECT_TRUE(gear->PrepareToRelease());
    EXPECT_TRUE(valve->PrepareToRelease());
}

TEST(IdentificationPages, PositionerPageFollowsTheBlockIndex) {
    PageBench b;
    AddSecondBlocks(b.Ctx());
    HostedPage one = OpenPage(b, "ctlIdPos");
    HostedPage two = OpenPage(b, "ctlIdPos", 2);
    const std::vector<std::string> first = BoundPaths(*one.page);
    const std::vector<std::string> second = BoundPaths(*two.page);
    ASSERT_EQ(first.size(), 10u);
    EXPECT_EQ(first[0], "FUNC/1/AO/TAG_DESC");
    EXPECT_EQ(first[1], "TRANS/1/Act/TAG_DESC");
    EXPECT_EQ(second[0], "FUNC/2/AO/TAG_DESC");
    EXPECT_EQ(second[1], "TRANS/2/Act/TAG_DESC");
    EXPECT_EQ(std::vector<std::string>(first.begin() + 2, first.end()),
              std::vector<std::string>(second.begin() + 2, second.end()));
    EXPECT_TRUE(one->PrepareToRelease());
    EXPECT_TRUE(two->PrepareToRelease());
}

TEST(IdentificationPages, PositionerPageNamesTheBlockOfEachBlockTag) {
    PageBench b;
    HostedPage positioner = OpenPage(b, "ctlIdPos");
    auto labels = [&] {
        return std::vector<std::string>{
            RowOf(*positioner.page, "FUNC/%d/AO/TAG_DESC").LabelText(),
            RowOf(*positioner.page, "TRANS/%d/Act/TAG_DESC").LabelText(),
        };
    };
    EXPECT_EQ(labels(),
              (std::vector<std::string>{"Analog Output block tag", "Transducer Block tag"}));
    ASSERT_TRUE(b.Dtm()->SetLanguage(langGerman));
    EXPECT_EQ(labels(), (std::vector<std::string>{"Blockbezeichnung (Analog-Output-Block)",
                                                  "Blockbezeichnung (Transducer Block)"}));
    EXPECT_TRUE(positioner->PrepareToRelease());
}

TEST(IdentificationPages, RowsOfABlockTheModelLacksAreDisabledAndSkipped) {
    PageBench b;
    b.Online();
    HostedPage page = OpenPage(b, "ctlIdPos", 2);  // no block 2 in the data set
    EXPECT_EQ(ElementOf(*page.page, RowOf(*page.page, "FUNC/%d/AO/TAG_DESC")), nullptr);
    EXPECT_FALSE(RowOf(*page.page, "FUNC/%d/AO/TAG_DESC").isEnabled());
    EXPECT_FALSE(RowOf(*page.page, "TRANS/%d/Act/TAG_DESC").isEnabled());
    EXPECT_TRUE(RowOf(*page.page, "PHYS/DEVICE_SER_NUM").isEnabled());
    const std::vector<std::string> reads = Requests(AsParameterPage(page), false);
    b.Settle();
    EXPECT_EQ(reads.size(), 8u);
    EXPECT_FALSE(Contains(reads, "FUNC/1/AO/TAG_DESC"));
    EXPECT_EQ(b.Logged(false).size(), 8u);
    b.Clear();
    EXPECT_TRUE(AsParameterPage(page).WriteParameter());
    b.Settle();
    EXPECT_TRUE(page->PrepareToRelease());
}

TEST(IdentificationPages, BatchPageWritesItsRecordOnce) {
    PageBench b;
    b.Online();
    HostedPage batch = OpenPage(b, "ctlIdBatch");
    EXPECT_EQ(Requests(AsParameterPage(batch), true), std::vector<std::string>{"FUNC/1/AO/BATCH/"});
    b.Settle();
    EXPECT_EQ(b.Logged(true), (std::map<Address, int>{{b.AddressOf("FUNC/1/AO/BATCH/"), 1}}));
    EXPECT_TRUE(batch->PrepareToRelease());
}

// --- input value, working range, characteristic table ---

TEST(InputPages, ReadsInDesignerOrderEachRecordOnce) {
    PageBench b;
    b.Online();
    struct Case {
        const char* page;
        std::vector<std::string> reads;
    };
    const Case cases[] = {
        {"ctlInpVal",
         {"FUNC/1/AO/INCREASE_CLOSE", "FUNC/1/AO/PV_SCALE/", "TRANS/1/Act/SETP_CUTOFF_DEC",
          "TRANS/1/Act/SETP_CUTOFF_INC"}},
        {"ctlInpWork",
         {"FUNC/1/AO/OUT_SCALE/", "TRANS/1/Act/TRAVEL_LIMIT_LOW", "TRANS/1/Act/TRAVEL_LIMIT_UP"}},
        {"ctlInpTable", {"TRANS/1/Act/LIN_TYPE"}},
    };
    for (const Case& c : cases) {
        HostedPage page = OpenPage(b, c.page);
        EXPECT_EQ(Requests(AsParameterPage(page), false), c.reads) << c.page;
        b.Settle();
        EXPECT_EQ(b.Logged(false).size(), c.reads.size()) << c.page;
        // No row is locked: the write sends the same.
        b.Clear();
        EXPECT_EQ(Requests(AsParameterPage(page), true), c.reads) << c.page;
        b.Settle();
        b.Clear();
        EXPECT_TRUE(page->PrepareToRelease());
    }
}

TEST(InputPages, InputValuePageBindsBlockOneEverywhere) {
    PageBench b;
    HostedPage page = OpenPage(b, "ctlInpVal");
    EXPECT_EQ(
        BoundPaths(*page.page),
        (std::vector<std::string>{"FUNC/1/AO/INCREASE_CLOSE", "FUNC/1/AO/PV_SCALE/Lo_Val",
                                  "FUNC/1/AO/PV_SCALE/Up_Val", "FUNC/1/AO/PV_SCALE/Unit",
                                  "TRANS/1/Act/SETP_CUTOFF_DEC", "TRANS/1/Act/SETP_CUTOFF_INC"}));
    for (ctlParameter* row : page->Rows())
        EXPECT_FALSE(row->Locked()) << row->ParameterTag();
    EXPECT_TRUE(page->PrepareToRelease());
}

TEST(InputPages, ScaleUnitChangeShowsTheConvertedValuesAtOnce) {
    PageBench b;
    HostedPage page = OpenPage(b, "ctlInpVal");
    ctlParameter& unit = RowOf(*page.page, "FUNC/%d/AO/PV_SCALE/Unit");
    ctlParameter& lo = RowOf(*page.page, "FUNC/%d/AO/PV_SCALE/Lo_Val");
    ctlParameter& up = RowOf(*page.page, "FUNC/%d/AO/PV_SCALE/Up_Val");
    Choose(unit, 1013);  // percent to millimetres: no conversion between the kinds
    EXPECT_DOUBLE_EQ(up.Value().toDouble(), 100.0);
    Type(lo, "20");
    Choose(unit, 1012);  // millimetres to centimetres
    EXPECT_EQ(b.At("FUNC/1/AO/PV_SCALE/Unit").TransientValue().toLong(), 1012);
    EXPECT_NEAR(up.Value().toDouble(), 10.0, 1e-4);
    EXPECT_NEAR(lo.Value().toDouble(), 2.0, 1e-4);
    for (const char* tag : {"TRANS/%d/Act/SETP_CUTOFF_DEC", "TRANS/%d/Act/SETP_CUTOFF_INC"}) {
        ctlParameter& row = RowOf(*page.page, tag);
        EXPECT_NEAR(row.Value().toDouble(), ElementOf(*page.page, row)->TransientValue().toDouble(),
                    1e-6)
            << tag;
    }
    EXPECT_TRUE(page->PrepareToRelease());
}

TEST(InputPages, OutputScaleUnitChangeLeavesTheTravelLimits) {
    PageBench b;
    HostedPage page = OpenPage(b, "ctlInpWork");
    ctlParameter& low = RowOf(*page.page, "TRANS/%d/Act/TRAVEL_LIMIT_LOW");
    ctlParameter& high = RowOf(*page.page, "TRANS/%d/Act/TRAVEL_LIMIT_UP");
    const Variant lowBefore = low.Value();
    const Variant highBefore = high.Value();
    const std::string unitBefore = high.UnitText();
    Choose(RowOf(*page.page, "FUNC/%d/AO/OUT_SCALE/Unit"), 1013);
    Choose(RowOf(*page.page, "FUNC/%d/AO/OUT_SCALE/Unit"), 1012);
    EXPECT_EQ(low.Value(), lowBefore);
    EXPECT_EQ(high.Value(), highBefore);
    EXPECT_EQ(high.UnitText(), unitBefore);
    EXPECT_TRUE(page->PrepareToRelease());
}

// --- characteristic pages ---

TEST(CharacteristicPages, ReadAndWriteSetsFollowTheLockedRows) {
    PageBench b;
    b.Online();
    struct Case {
        const char* page;
        std::vector<std::string> reads;
        std::vector<std::string> writes;
        std::vector<std::string> locked;
    };
    const std::string tb = "TRANS/1/Act/";
    const std::string ao = "FUNC/1/AO/";
    const Case cases[] = {
        {"ctlChar",
         {tb + "DEADBAND", tb + "SERVO_GAIN_1", tb + "SERVO_GAIN_2", tb + "SERVO_RATE_1",
          tb + "MFR/TOL_OVERSHOOT"},
         {tb + "DEADBAND", tb + "SERVO_GAIN_1", tb + "SERVO_GAIN_2", tb + "SERVO_RATE_1",
          tb + "MFR/TOL_OVERSHOOT"},
         {}},
        {"ctlCharPwLoss",
         {ao + "FSAFE_TYPE", ao + "FSAFE_TIME", ao + "FSAFE_VALUE", tb + "ACTUATOR_ACTION"},
         {ao + "FSAFE_TYPE", ao + "FSAFE_TIME", ao + "FSAFE_VALUE"},
         {"TRANS/%d/Act/ACTUATOR_ACTION"}},
        {"ctlCharTvlTime",
         {tb + "ACT_STROKE_TIME_INC", tb + "TRAVEL_RATE_DEC", tb + "TRAVEL_RATE_INC",
          tb + "ACT_STROKE_TIME_DEC"},
         {tb + "TRAVEL_RATE_DEC", tb + "TRAVEL_RATE_INC"},
         {"TRANS/%d/Act/ACT_STROKE_TIME_INC", "TRANS/%d/Act/ACT_STROKE_TIME_DEC"}},
        {"ctlCharErr",
         {tb + "MFR/DELAY_TIME", tb + "TOTAL_VALVE_TRAVEL", tb + "TOTAL_VALVE_TRAVEL_LIMIT",
          tb + "MFR/TOLERANCE_BAND"},
         {tb + "MFR/DELAY_TIME", tb + "TOTAL_VALVE_TRAVEL_LIMIT", tb + "MFR/TOLERANCE_BAND"},
         {"TRANS/%d/Act/TOTAL_VALVE_TRAVEL"}},
    };
    for (const Case& c : cases) {
        HostedPage page = OpenPage(b, c.page);
        for (ctlParameter* row : page->Rows()) {
            const bool locked =
                std::find(c.locked.begin(), c.locked.end(), row->ParameterTag()) != c.locked.end();
            EXPECT_EQ(row->Locked(), locked) << c.page << " " << row->ParameterTag();
        }
        EXPECT_EQ(Requests(AsParameterPage(page), false), c.reads) << c.page;
        b.Settle();
        b.Clear();
        EXPECT_EQ(Requests(AsParameterPage(page), true), c.writes) << c.page;
        b.Settle();
        EXPECT_EQ(b.Logged(true).size(), c.writes.size()) << c.page;
        b.Clear();
        EXPECT_TRUE(page->PrepareToRelease());
    }
}

// Whatever is typed that is no finite number in range stays in the row as an input error and
// refuses the page's write; a plain row and the members of records (each written as its whole
// record) alike.
TEST(ParameterPages, RefusedInputStopsTheWriteAndStaysInTheRow) {
    struct Case {
        const char* page;
        const char* tag;
        const char* element;
        const char* written;  // what the write sends
        const char* valid;
    };
    const Case cases[] = {
        {"ctlChar", "TRANS/%d/Act/DEADBAND", "TRANS/1/Act/DEADBAND", "TRANS/1/Act/DEADBAND", "1"},
        {"ctlInpVal", "FUNC/%d/AO/PV_SCALE/Up_Val", "FUNC/1/AO/PV_SCALE/Up_Val",
         "FUNC/1/AO/PV_SCALE/", "90"},
        {"ctlInpWork", "FUNC/%d/AO/OUT_SCALE/Lo_Val", "FUNC/1/AO/OUT_SCALE/Lo_Val",
         "FUNC/1/AO/OUT_SCALE/", "10"},
        {"ctlIdBatch", "FUNC/%d/AO/BATCH/BATCH_ID", "FUNC/1/AO/BATCH/BATCH_ID", "FUNC/1/AO/BATCH/",
         "7"},
        {"ctlIdBatch", "FUNC/%d/AO/BATCH/RUP", "FUNC/1/AO/BATCH/RUP", "FUNC/1/AO/BATCH/", "3"},
    };
    const char* const bad[] = {"abc",   "nan",     "inf",   "1e39", "--1",    "0x10",
                               "12abc", "12.5abc", "1.2.3", "&H10", "1,234.5"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tag);
        PageBench b;
        b.Online();
        HostedPage page = OpenPage(b, c.page);
        ctlParameter& row = RowOf(*page.page, c.tag);
        const Variant before = b.At(c.element).TransientValue();
        for (const char* text : bad) {
            SCOPED_TRACE(text);
            b.Clear();
            Type(row, text);
            EXPECT_EQ(row.Value().toString(), text);
            EXPECT_TRUE(row.StatusIcon() == "InputErr" || row.StatusIcon() == "RangeErr")
                << row.StatusIcon();
            EXPECT_FALSE(AsParameterPage(page).WriteParameter());
            b.Settle();
            EXPECT_TRUE(b.device->Log().empty());
            ASSERT_EQ(b.prompt->messages.size(), 1u);
            EXPECT_EQ(b.prompt->messages[0], "The parameters could not be written to the device. " +
                                                 row.LabelText() + ": " + row.IconToolTip());
            EXPECT_EQ(row.Value().toString(), text);
            EXPECT_EQ(b.At(c.element).TransientValue(), before);
        }
        // Corrected input is written.
        Type(row, c.valid);
        EXPECT_EQ(b.At(c.element).TransientValue().toDouble(), std::stod(c.valid));
        b.Clear();
        EXPECT_TRUE(AsParameterPage(page).WriteParameter());
        b.Settle();
        EXPECT_EQ(b.Logged(true).count(b.AddressOf(c.written)), 1u);
        EXPECT_TRUE(page->PrepareToRelease());
    }
}

// Numbers are typed with the decimal separator of the language the user sees, or with the
// other one where it can only be a decimal mark, and shown in the language's form.
TEST(ParameterPages, TypedNumbersFollowTheLanguage) {
    struct Case {
        int32_t language;
        const char* text;
        const char* shown;  // nullptr: refused
    };
    const Case cases[] = {
        {langGerman, "3,5", "3,5"},        {langGerman, "3.5", "3,5"},
        {langEnglish, "3.5", "3.5"},       {langEnglish, "3,5", "3.5"},
        {langGerman, "1.234,5", nullptr},  {langGerman, "1.234", nullptr},
        {langEnglish, "1,234.5", nullptr}, {langEnglish, "1,234", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.language) + " " + c.text);
        PageBench b;
        ASSERT_TRUE(b.Dtm()->SetLanguage(c.language));
        HostedPage page = OpenPage(b, "ctlChar");
        ctlParameter& row = RowOf(*page.page, "TRANS/%d/Act/DEADBAND");
        clsDataElement& deadband = b.At("TRANS/1/Act/DEADBAND");
        auto listener = std::make_shared<test_support::FakeGUI>();
        b.Gui().RegisterGUI("listener", listener, true);
        const Variant before = deadband.TransientValue();
        Type(row, c.text);
        auto* field = row.findChild<QLineEdit*>();
        ASSERT_NE(field, nullptr);
        if (c.shown == nullptr) {
            EXPECT_EQ(row.StatusIcon(), "InputErr");
            EXPECT_EQ(field->text().toStdString(), c.text);
            EXPECT_EQ(deadband.TransientValue(), before);
            EXPECT_EQ(listener->ChangesOf(deadband.Name()), 0u);
        } else {
            EXPECT_EQ(deadband.TransientValue(), Variant(3.5f));
            EXPECT_EQ(field->text().toStdString(), c.shown);
            EXPECT_EQ(listener->ChangesOf(deadband.Name()), 1u);
            // The shown text, taken again unchanged, commits nothing.
            Type(row, field->text());
            EXPECT_EQ(deadband.TransientValue(), Variant(3.5f));
            EXPECT_EQ(listener->ChangesOf(deadband.Name()), 1u);
        }
        b.Gui().UnregisterGUI("listener");
        EXPECT_TRUE(page->PrepareToRelease());
    }
}

TEST(CharacteristicPages, RowsOfANewInstanceShowTheirUnits) {
    PageBench b;
    HostedPage times = OpenPage(b, "ctlCharTvlTime");
    for (ctlParameter* row : times->Rows())
        EXPECT_EQ(row->UnitText(), "s") << row->ParameterTag();
    HostedPage valve = OpenPage(b, "ctlIdValve");
    ctlParameter& rated = RowOf(*valve.page, "TRANS/%d/Act/RATED_TRAVEL");
    EXPECT_EQ(rated.UnitText(), "mm");
    // The initial value in its initial unit is no change.
    EXPECT_NE(rated.StatusIcon(), "Changed");
    EXPECT_TRUE(times->PrepareToRelease());
    EXPECT_TRUE(valve->PrepareToRelease());
}

TEST(CharacteristicPages, ControlCharacteristicIsACompositePageWithoutChildPages) {
    PageBench b;
    HostedPage page = OpenPage(b, "ctlChar");
    EXPECT_EQ(page->Design().form, PageForm::Composite);
    EXPECT_EQ(b.Gui().FunctionIds(), std::vector<std::string>{"7.ctlChar$"});
    EXPECT_TRUE(page->PrepareToRelease());
    EXPECT_TRUE(b.Gui().FunctionIds().empty());
}

}  // namespace
}  // namespace kv
