// The online page tables against the data set, the dictionaries and the page descriptions: row
// counts, forms and the commands (the cycle requests of the pages: their own tests).

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "ui/onlinepages/OnlinePageDesigns.h"
#include "ui/parameterpages/PageDesignChecks.h"

namespace kv {
namespace {

using pagechecks::Found;
using pagechecks::Prop;
using pagechecks::Rows;

class OnlinePageTest : public ::testing::TestWithParam<std::string> {};

TEST_P(OnlinePageTest, TagsKeysIndicesAndStructure) {
    const PageDesign& page = *FindOnlinePageDesign(GetParam());
    pagechecks::ExpectSoundPage(page);
    int cycles = 0;
    for (const ChildDesign& c : page.children) {
        if (c.kind != ChildKind::Cycle)
            continue;
        ++cycles;
        EXPECT_EQ(c.name, "ctlCycle1");
        EXPECT_EQ(c.pos.height, 255);
        EXPECT_EQ(Prop(c, "interval")->toLong(), 4000);
        EXPECT_TRUE(Prop(c, "automatedynamicicons")->toBool());
    }
    EXPECT_EQ(cycles, 1);
}

INSTANTIATE_TEST_SUITE_P(AllPages, OnlinePageTest,
                         ::testing::ValuesIn(pagechecks::ClassNames(OnlinePageDesigns())),
                         [](const auto& info) { return info.param; });

TEST(OnlinePages, EveryPageOnceWithItsRowCountTemplateAndForm) {
    struct Expected {
        size_t rows;
        PageTemplate templ;
        ResizeForm resize;
        int32_t option;
    };
    using T = PageTemplate;
    using R = ResizeForm;
    const std::map<std::string, Expected> pages = {
        {"ctlMeasState", {6, T::CyclicDisplay, R::Narrow, 0}},
        {"ctlMeasStatistics", {2, T::CyclicDisplay, R::Narrow, 0}},
        {"ctlDiagGen", {13, T::CyclicDisplay, R::Wide, 0}},
        {"ctlDiagPhys", {9, T::CyclicDisplay, R::Wide, 0}},
        {"ctlDiagTrans", {9, T::CyclicDisplay, R::Wide, 0}},
        {"ctlDiagFunc", {9, T::CyclicDisplay, R::Wide, 0}},
        {"ctlMeasVal", {9, T::CyclicDisplay, R::Wide, 0}},
        {"ctlMeasOut", {6, T::CyclicDisplay, R::Wide, 0}},
        {"ctlArchive", {4, T::Archive, R::Archive, 0}},
        {"ctlResetMaint", {4, T::Command, R::Narrow, 1}},
        {"ctlResetWarm", {2, T::Command, R::Narrow, 1}},
        {"ctlResetFact", {2, T::Command, R::Narrow, 1}},
        {"ctlSelfCalib", {4, T::Command, R::Narrow, 1}},
        {"ctlOpAuto", {8, T::CyclicParameter, R::Wide, 3}},
        {"ctlOpLocOv", {8, T::CyclicParameter, R::Wide, 3}},
        {"ctlOpRCAS", {13, T::CyclicParameter, R::Wide, 3}},
        {"ctlOpTrans", {6, T::CyclicParameter, R::Wide, 3}},
        {"ctlSimulate", {4, T::CyclicParameter, R::Narrow, 3}},
    };
    ASSERT_EQ(OnlinePageDesigns().size(), pages.size());
    for (const auto& [name, expected] : pages) {
        const PageDesign* page = FindOnlinePageDesign(name);
        EXPECT_NE(page, nullptr) << name;
        if (page == nullptr)
            continue;
        EXPECT_EQ(Rows(*page).size(), expected.rows) << name;
        EXPECT_EQ(page->templ, expected.templ) << name;
        EXPECT_EQ(page->resize, expected.resize) << name;
        EXPECT_EQ(page->readWriteOption, expected.option) << name;
        // Every online page but the simulation page is composite.
        EXPECT_EQ(page->form, name == "ctlSimulate" ? PageForm::Single : PageForm::Composite);
    }
    EXPECT_EQ(FindOnlinePageDesign("ctlId"), nullptr);
}

TEST(OnlinePages, CommandsAskExceptTheAbortAndTheDoneTextQuotesTheButton) {
    for (const PageDesign& page : OnlinePageDesigns()) {
        for (const CommandDesign& cmd : page.commands) {
            EXPECT_EQ(cmd.alertKey.empty(), cmd.button == "cmdAbortAction") << cmd.button;
        }
    }
    for (int32_t language : {9, 7}) {
        const Variant text = pagechecks::ThePageModel().KeyText(language, "meld_quit_reset");
        ASSERT_TRUE(text.isString());
        EXPECT_NE(text.str().find("%1"), std::string::npos) << language;
    }
}

}  // namespace
}  // namespace kv
