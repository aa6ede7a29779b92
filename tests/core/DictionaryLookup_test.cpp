// Message texts, text references, control captions and language ids.

#include "core/DictionaryLookup.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "support/ModelContext.h"

namespace kv {
namespace {

using test_support::DictionaryDoc;
using test_support::ModelContext;
using test_support::TempFolder;

class LookupTest : public ::testing::Test {
  protected:
    LookupTest() : ctx((Folder(), folder.path)) {
        ctx.dictionary->Load(ctx.context, "DTMDictionary");
    }
    void Folder() {
        folder.Write("DTMDictionary_9.xml", DictionaryDoc(9, R"~(<keys>
            <entry key="twice" text="%1 and %1, then %2"/>
            <entry key="three" text="%3-%2-%1"/>
            <entry key="defined" text="X"/>
            <entry key="refs" text="A $(defined) B $(undefined) C"/>
            <entry key="inner" text="has $(defined)"/>
            <entry key="nested" text="[$(inner)]"/>
            <entry key="" text="E"/>
            <entry key="emptyref" text="[$()]"/>
            <entry key="open" text="a $(defined b"/>
            <entry key="withref" text="%1 in $(defined)"/>
            <entry key="pg_lbl" text="Label $(defined)"/>
            <entry key="pg_cmd_2" text="Second"/>
            <entry key="pg_cmd" text="Single"/>
            <entry key="pg_tabs.1" text="T1"/>
            <entry key="pg_tabs.3" text="T3"/>
            <entry key="pg_row" text="never"/>
          </keys>)~"));
    }
    std::string Text(const std::string& key, std::optional<Variant> a1 = std::nullopt,
                     std::optional<Variant> a2 = std::nullopt,
                     std::optional<Variant> a3 = std::nullopt) {
        return GetDictionaryText(ctx.context, key, a1, a2, a3);
    }

    TempFolder folder;
    ModelContext ctx;
};

TEST_F(LookupTest, MessageTexts) {
    EXPECT_EQ(Text("absent", Variant(5)), "absent");  // the key, "%1" not looked at
    EXPECT_EQ(Text("twice", Variant(int16_t{5})), "5 and 5, then %2");
    EXPECT_EQ(Text("three", Variant("a"), Variant("b"), Variant("c")), "c-b-a");
    EXPECT_EQ(Text("three", Variant(1.5), std::nullopt, Variant(true)), "True-%2-1.5");
    EXPECT_EQ(Text("refs"), "A X B $(undefined) C");
    EXPECT_EQ(Text("withref", Variant(7)), "7 in X");
    ctx.context.SetLocale(NumberLocale{',', '.'});
    EXPECT_EQ(Text("twice", Variant(1.5)), "1,5 and 1,5, then %2");
}

TEST_F(LookupTest, ArgumentsAreInsertedAsTheyAre) {
    // Text coming from the device is neither a reference nor a placeholder.
    EXPECT_EQ(Text("twice", Variant("$(defined)"), Variant("%1")),
              "$(defined) and $(defined), then %1");
    EXPECT_EQ(Text("three", Variant("%2"), Variant("%3"), Variant("z")), "z-%3-%2");
    EXPECT_EQ(Text("twice", Variant::Null(), Variant("b")), " and , then b");
}

TEST_F(LookupTest, TextReferences) {
    pugi::xml_node keys = ctx.dictionary->GetSection("keys");
    auto expand = [&](const std::string& t) { return ExpandTextReferences(t, ctx.context, keys); };
    EXPECT_EQ(expand("$(defined)$(defined)"), "XX");
    EXPECT_EQ(expand("$(nested)"), "[$(inner)]");  // an inserted text is not expanded again
    EXPECT_EQ(expand("<$()>"), "<E>");             // the empty key
    EXPECT_EQ(expand("a $(defined b $(defined)"), "a $(defined b $(defined)");
    EXPECT_EQ(expand("$(defined) $("), "X $(");
    EXPECT_EQ(expand("no refs"), "no refs");
    EXPECT_EQ(ExpandTextReferencesEx("$(defined)", ctx.context, keys, "label"), "$(defined)");
    EXPECT_EQ(Text("open"), "a $(defined b");
}

class FakeControl : public ICaptionedControl {
  public:
    FakeControl(Kind k, std::string n, std::optional<int32_t> i = std::nullopt, int32_t tabs = 0)
        : kind(k), name(std::move(n)), index(i), tabCount(tabs) {}
    Kind ControlKind() const override { return kind; }
    std::string Name() const override { return name; }
    std::optional<int32_t> Index() const override { return index; }
    std::string Caption() const override { return caption; }
    void SetCaption(const std::string& c) override { caption = c; }
    int32_t TabCount() const override { return tabCount; }
    void SetTabCaption(int32_t n, const std::string& c) override { tabs[n] = c; }

    Kind kind;
    std::string name;
    std::optional<int32_t> index;
    int32_t tabCount;
    std::string caption = "old";
    std::map<int32_t, std::string> tabs;
};

TEST_F(LookupTest, ControlCaptionsByNamingRule) {
    using K = ICaptionedControl::Kind;
    FakeControl label(K::Captioned, "lbl"), arrayed(K::Captioned, "cmd", 2),
        single(K::Captioned, "cmd"), tabs(K::TabStrip, "tabs", std::nullopt, 3),
        row(K::ParameterRow, "row"), other(K::Other, "lbl"), nameless(K::Captioned, ""),
        unknown(K::Captioned, "nothing");
    ApplyControlTexts(ctx.context, "pg_",
                      {&label, &arrayed, &single, &tabs, &row, &other, &nameless, &unknown});
    EXPECT_EQ(label.caption, "Label X");
    EXPECT_EQ(arrayed.caption, "Second");
    EXPECT_EQ(single.caption, "Single");
    EXPECT_EQ(tabs.tabs, (std::map<int32_t, std::string>{{1, "T1"}, {3, "T3"}}));
    EXPECT_EQ(row.caption, "old");
    EXPECT_EQ(other.caption, "old");
    EXPECT_EQ(nameless.caption, "old");
    EXPECT_EQ(unknown.caption, "old");
}

TEST(LanguageIds, PrimaryAndNeutralIds) {
    EXPECT_EQ(PrimaryLangId(0x807), 7);
    EXPECT_EQ(PrimaryLangId(0x409), 9);
    EXPECT_EQ(PrimaryLangId(0x1040C), 12);
    EXPECT_EQ(MakeLcid(PrimaryLangId(2055), 0, 0), 7);
    EXPECT_EQ(MakeLcid(7, 2, 0), 2055);
    EXPECT_EQ(MakeLcid(7, 1, 1), 0x10407);
    EXPECT_EQ(MakeLcid(32767, 32767, 32767 - 512), 32767 * 1024 + 32767 + (32767 - 512) * 65536);
    try {
        MakeLcid(32767, 32767, 32767);
        FAIL() << "no overflow";
    } catch (const VbError& e) {
        EXPECT_EQ(e.number(), VbErr::Overflow);
    }
}

}  // namespace
}  // namespace kv
