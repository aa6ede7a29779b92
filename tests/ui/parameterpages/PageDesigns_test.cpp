// The parameter page tables against the data set, the dictionaries and the page descriptions:
// row counts, forms, the order of the read requests that the designer order gives, and the
// stacking of the block profile pages.

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "ui/parameterpages/PageDesignChecks.h"
#include "ui/parameterpages/PageDesigns.h"

namespace kv {
namespace {

using pagechecks::Found;
using pagechecks::Prop;
using pagechecks::ReadRequests;
using pagechecks::Rows;

const PageDesign& Page(const std::string& className) {
    return Found(FindParameterPageDesign(className), className);
}

class ParameterPageTest : public ::testing::TestWithParam<std::string> {};

TEST_P(ParameterPageTest, TagsKeysIndicesAndStructure) {
    pagechecks::ExpectSoundPage(*FindParameterPageDesign(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(AllPages, ParameterPageTest,
                         ::testing::ValuesIn(pagechecks::ClassNames(ParameterPageDesigns())),
                         [](const auto& info) { return info.param; });

TEST(ParameterPages, EveryPageOnceWithItsRowCountAndForm) {
    // Rows per page as the page descriptions count them (ctlParameter3 included).
    const std::map<std::string, size_t> rows = {
        {"ctlId", 6},
        {"ctlIdPos", 10},
        {"ctlIdAct", 3},
        {"ctlIdValve", 4},
        {"ctlIdAddGear", 9},
        {"ctlIdBatch", 4},
        {"ctlInpVal", 6},
        {"ctlInpWork", 5},
        {"ctlInpTable", 1},
        {"ctlChar", 5},
        {"ctlCharPwLoss", 4},
        {"ctlCharTvlTime", 4},
        {"ctlCharErr", 4},
        {"ctlAdjust", 16},
        {"ctlIf", 1},
        {"ctlIfMaint", 3},
        {"ctlCertificate", 1},
        {"ctlWriteLock", 2},
        {"ctlSelectOpt", 3},
        {"ctlProfil_PB", 50},
        {"ctlProfil_TB_Act", 76},
        {"ctlProfil_FB_AO", 64},
        {"ctlChannelAssign", 2},
        {"ctlAddress", 1},
    };
    const std::set<std::string> composite = {"ctlChar", "ctlAdjust", "ctlSelectOpt"};
    ASSERT_EQ(ParameterPageDesigns().size(), rows.size());
    for (const auto& [name, count] : rows) {
        const PageDesign* page = FindParameterPageDesign(name);
        EXPECT_NE(page, nullptr) << name;
        if (page == nullptr)
            continue;
        EXPECT_EQ(Rows(*page).size(), count) << name;
        EXPECT_EQ(page->form == PageForm::Composite, composite.count(name) == 1) << name;
        EXPECT_EQ(page->resize, name == "ctlSelectOpt" ? ResizeForm::Wide : ResizeForm::Narrow);
        const int32_t option =
            name == "ctlCertificate" ? 1 : (page->templ == PageTemplate::Parameter ? 3 : 0);
        EXPECT_EQ(page->readWriteOption, option) << name;
    }
    EXPECT_EQ(FindParameterPageDesign("ctlMeasVal"), nullptr);
}

TEST(ParameterPages, DesignerOrderGivesTheReadOrderOfThePages) {
    const std::string ao = "FUNC/1/AO/", tb = "TRANS/1/Act/";
    const std::map<std::string, std::vector<std::string>> reads = {
        {"ctlInpVal",
         {ao + "INCREASE_CLOSE", ao + "PV_SCALE/", tb + "SETP_CUTOFF_DEC", tb + "SETP_CUTOFF_INC"}},
        {"ctlInpWork", {ao + "OUT_SCALE/", tb + "TRAVEL_LIMIT_LOW", tb + "TRAVEL_LIMIT_UP"}},
        {"ctlInpTable", {tb + "LIN_TYPE"}},
        {"ctlChar",
         {tb + "DEADBAND", tb + "SERVO_GAIN_1", tb + "SERVO_GAIN_2", tb + "SERVO_RATE_1",
          tb + "MFR/TOL_OVERSHOOT"}},
        {"ctlCharPwLoss",
         {ao + "FSAFE_TYPE", ao + "FSAFE_TIME", ao + "FSAFE_VALUE", tb + "ACTUATOR_ACTION"}},
        {"ctlCharTvlTime",
         {tb + "ACT_STROKE_TIME_INC", tb + "TRAVEL_RATE_DEC", tb + "TRAVEL_RATE_INC",
          tb + "ACT_STROKE_TIME_DEC"}},
        {"ctlCharErr",
         {tb + "MFR/DELAY_TIME", tb + "TOTAL_VALVE_TRAVEL", tb + "TOTAL_VALVE_TRAVEL_LIMIT",
          tb + "MFR/TOLERANCE_BAND"}},
        {"ctlIdBatch", {ao + "BATCH/"}},
        {"ctlIfMaint",
         {tb + "DEVICE_CALIB_DATE", tb + "DEVICE_CONFIG_DATE", tb + "VALVE_MAINTENANCE_DATE"}},
        {"ctlWriteLock", {"PHYS/WRITE_LOCKING", "PHYS/HW_WRITE_PROTECTION"}},
        {"ctlSelectOpt", {"PHYS/MFR/DIAGNOSIS_OPT/", ao + "MFR/CHECK_BACK_OPT"}},
    };
    for (const auto& [name, expected] : reads) {
        EXPECT_EQ(ReadRequests(Page(name), 1), expected) << name;
    }
    // Block 2 of the positioner page: the first two rows follow the page's block.
    const std::vector<std::string> pos = ReadRequests(Page("ctlIdPos"), 2);
    ASSERT_GE(pos.size(), 2u);
    EXPECT_EQ(pos[0], "FUNC/2/AO/TAG_DESC");
    EXPECT_EQ(pos[1], "TRANS/2/Act/TAG_DESC");
}

TEST(ParameterPages, LockedRowsAreThoseTheDescriptionsLock) {
    std::set<std::string> locked;
    for (const PageDesign& page : ParameterPageDesigns()) {
        for (const ChildDesign* row : Rows(page)) {
            if (const Variant* l = Prop(*row, "locked"); l != nullptr && l->toBool())
                locked.insert(page.className + " " + Prop(*row, "parametertag")->str());
        }
    }
    EXPECT_EQ(locked, (std::set<std::string>{"ctlIdValve TRANS/%d/Act/VALVE_TYPE",
                                             "ctlIdValve TRANS/%d/Act/RATED_TRAVEL",
                                             "ctlIdAddGear PHYS/WRITE_LOCKING"}));
}

// Rows of the profile pages stand 45 twips apart, 165 where a group of record members begins or
// ends; a section separator follows 45 or 165 below the last row and its first row 105 below it.
TEST(ParameterPages, ProfilePagesStackTheirRowsBetweenTheSeparators) {
    const std::map<std::string, std::map<std::string, int32_t>> separators = {
        {"ctlProfil_PB", {{"sepPhysParam", 11040}, {"sepMfrParam", 25200}}},
        {"ctlProfil_TB_Act", {{"sepTransActParam", 10800}, {"sepMfrParam", 24480}}},
        {"ctlProfil_FB_AO", {{"sepFuncAOParam", 16920}, {"sepMfrParam", 37920}}},
    };
    for (const auto& [name, seps] : separators) {
        SCOPED_TRACE(name);
        const PageDesign* page = FindParameterPageDesign(name);
        ASSERT_NE(page, nullptr);
        EXPECT_TRUE(page->relIndexLabels);
        int32_t bottom = -1;  // of the previous row or separator
        bool afterSeparator = false;
        int index = 0;
        for (const ChildDesign& c : page->children) {
            if (c.kind == ChildKind::Separator && c.name != "sepTitle") {
                EXPECT_EQ(c.pos.top, seps.at(c.name)) << c.name;
                EXPECT_TRUE(c.pos.top - bottom == 45 || c.pos.top - bottom == 165) << c.name;
                bottom = c.pos.top + c.pos.height;
                afterSeparator = true;
            } else if (c.kind == ChildKind::Parameter) {
                EXPECT_EQ(c.index, index++);
                const int32_t gap = c.pos.top - bottom;
                if (bottom < 0) {
                    EXPECT_EQ(c.pos.top, 360);
                } else if (afterSeparator) {
                    EXPECT_EQ(gap, 105) << c.index;
                } else {
                    EXPECT_TRUE(gap == 45 || gap == 165) << c.index << " gap " << gap;
                }
                EXPECT_EQ(Prop(c, "unittext"), nullptr);
                bottom = c.pos.top + c.pos.height;
                afterSeparator = false;
            }
        }
    }
}

}  // namespace
}  // namespace kv
