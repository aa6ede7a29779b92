// The property bag: keys, typed values and the project-file form, damaged files included.

#include "platform/runtime/PropertyBag.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <pugixml.hpp>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace kv {
namespace {

TEST(PropertyBag, KeysIgnoreCaseAndMissingDiffersFromEmpty) {
    PropertyBag bag;
    bag.Write("PHYS/Tag_Desc", "A");
    bag.Write("phys/TAG_DESC", "B");
    bag.Write("E", Variant());
    EXPECT_EQ(bag.Count(), 2u);
    EXPECT_EQ(*bag.Read("Phys/Tag_desc"), Variant("B"));
    EXPECT_EQ(bag.Keys(), (std::vector<std::string>{"PHYS/Tag_Desc", "E"}));
    ASSERT_TRUE(bag.Read("e").has_value());
    EXPECT_TRUE(bag.Read("e")->isEmpty());
    EXPECT_FALSE(bag.Read("missing").has_value());
    EXPECT_EQ(bag.ReadOr("missing", int16_t{3}), Variant(int16_t{3}));
    EXPECT_TRUE(bag.ReadOr("E", int16_t{3}).isEmpty());
    EXPECT_TRUE(bag.Remove("PHYS/TAG_DESC"));
    EXPECT_EQ(bag.Keys(), (std::vector<std::string>{"E"}));
}

TEST(PropertyBag, EverySubtypeSurvivesTheXmlForm) {
    const std::vector<std::pair<std::string, Variant>> values = {
        {"empty", Variant()},
        {"null", Variant::Null()},
        {"bool", Variant(true)},
        {"byte", Variant(uint8_t{255})},
        {"int", Variant(int16_t{-32768})},
        {"long", Variant(int32_t{2147483647})},
        {"single", Variant(0.1f)},
        {"single max", Variant(std::numeric_limits<float>::max())},
        {"double", Variant(1.0 / 3.0)},
        {"double tiny", Variant(4.9e-324)},
        {"double inf", Variant(-std::numeric_limits<double>::infinity())},
        {"decimal", Variant::FromDecimal(12345.678)},
        {"date", Variant::FromDate(46000.5)},
        {"text", Variant("a <b> & \"c\" 'd' \xC3\xA4\n\tend ")},
        {"empty text", Variant("")},
        {"bytes", Variant(ByteArray{{0x00, 0x01, 0xAB, 0xFF}, 1})},
        {"no bytes", Variant(ByteArray{{}, 0})},
    };
    PropertyBag bag;
    for (const auto& [k, v] : values)
        bag.Write(k, v);
    std::string every;
    for (int c = 1; c < 256; ++c)
        every += static_cast<char>(c);
    bag.Write("every character " + every, Variant(every));
    // The text is byte for byte what pugixml writes for the same document.
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(bag.ToXml().c_str()));
    std::ostringstream pugiText;
    doc.save(pugiText, "  ", pugi::format_default, pugi::encoding_utf8);
    EXPECT_EQ(bag.ToXml(), pugiText.str());
    PropertyBag back;
    std::vector<BagProblem> problems;
    ASSERT_TRUE(back.LoadXml(bag.ToXml(), &problems));
    EXPECT_TRUE(problems.empty());
    EXPECT_EQ(back.Keys(), bag.Keys());
    for (const auto& [k, v] : values) {
        SCOPED_TRACE(k);
        auto r = back.Read(k);
        ASSERT_TRUE(r.has_value());
        EXPECT_EQ(r->type(), v.type());
        EXPECT_EQ(*r, v);
        if (v.isByteArray()) {
            EXPECT_EQ(r->bytes().lbound, v.bytes().lbound);
        }
        if (v.isFloat()) {
            EXPECT_EQ(std::signbit(r->number()), std::signbit(v.number()));
        }
    }
    Variant nan = *([&] {
        PropertyBag b;
        b.Write("n", Variant(std::numeric_limits<double>::quiet_NaN()));
        PropertyBag c;
        c.LoadXml(b.ToXml());
        return c.Read("n");
    }());
    EXPECT_TRUE(std::isnan(nan.number()));
}

TEST(PropertyBag, DamagedDocumentLoadsWhatItCanAndReportsTheRest) {
    const char* xml = R"(<?xml version="1.0"?>
<PropertyBag>
  <Property name="good" type="Long" value="42"/>
  <Property name="text for number" type="Long" value="forty"/>
  <Property name="byte too big" type="Byte" value="256"/>
  <Property name="malformed" type="Double" value="1.5.3"/>
  <Property name="comma" type="Single" value="1,5"/>
  <Property name="odd hex" type="ByteArray" value="ABC"/>
  <Property name="bad hex" type="ByteArray" value="0G"/>
  <Property name="bad lbound" type="ByteArray" lbound="x" value="00"/>
  <Property name="unknown type" type="Currency" value="1"/>
  <Property name="no value" type="Integer"/>
  <Property type="String" value="no name"/>
  <Unknown name="x"/>
  <Property name="GOOD" type="Long" value="7"/>
  <Property name="case" type="boolean" value="TRUE"/>
  <Property name="text" type="String" value=""/>
</PropertyBag>)";
    PropertyBag bag;
    std::vector<BagProblem> problems;
    ASSERT_TRUE(bag.LoadXml(xml, &problems));
    EXPECT_EQ(bag.Keys(), (std::vector<std::string>{"good", "case", "text"}));
    EXPECT_EQ(*bag.Read("good"), Variant(int32_t{42}));
    EXPECT_EQ(*bag.Read("case"), Variant(true));
    EXPECT_EQ(*bag.Read("text"), Variant(""));
    const std::vector<BagProblem> expected = {
        {BagProblem::kNotOfItsType, 2, "text for number"},
        {BagProblem::kNotOfItsType, 3, "byte too big"},
        {BagProblem::kNotOfItsType, 4, "malformed"},
        {BagProblem::kNotOfItsType, 5, "comma"},
        {BagProblem::kNotOfItsType, 6, "odd hex"},
        {BagProblem::kNoHexText, 7, "bad hex"},
        {BagProblem::kBadLowerBound, 8, "bad lbound"},
        {BagProblem::kUnknownType, 9, "unknown type", "Currency"},
        {BagProblem::kNoValue, 10, "no value"},
        {BagProblem::kNoName, 11, ""},
        {BagProblem::kUnknownElement, 12, "x", "Unknown"},
        {BagProblem::kRepeatedName, 13, "GOOD"},
    };
    ASSERT_EQ(problems.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_TRUE(problems[i] == expected[i]) << i;
}

TEST(PropertyBag, TextThatIsNoBagLeavesTheBagAsItWas) {
    PropertyBag bag;
    bag.Write("keep", int32_t{1});
    for (const char* bad : {"", "<PropertyBag><Property", "<Other/>", "plain text"}) {
        SCOPED_TRACE(bad);
        std::vector<BagProblem> problems;
        EXPECT_FALSE(bag.LoadXml(bad, &problems));
        ASSERT_EQ(problems.size(), 1u);
        EXPECT_EQ(problems[0].kind, std::string_view(bad).starts_with("<Other")
                                        ? BagProblem::kNoBag
                                        : BagProblem::kNotXml);
        EXPECT_EQ(*bag.Read("keep"), Variant(int32_t{1}));
    }
}

TEST(PropertyBag, LargeBagRoundTrips) {
    PropertyBag bag;
    for (int i = 0; i < 500; ++i) {
        std::string key = "TRANS/1/Act/PARAMETER_" + std::to_string(i);
        bag.Write(key, Variant(static_cast<float>(i) / 7.0f));
        bag.Write(key + ".Unit", Variant(int16_t{1342}));
        bag.Write(key + ".Flags", Variant(int32_t{0x1000008}));
    }
    PropertyBag back;
    ASSERT_TRUE(back.LoadXml(bag.ToXml()));
    EXPECT_EQ(back.Count(), 1500u);
    EXPECT_EQ(*back.Read("trans/1/act/parameter_499"), Variant(499.0f / 7.0f));
    // Removing keys leaves every other one found, in its order.
    for (int i = 0; i < 500; i += 3)
        EXPECT_TRUE(back.Remove("Trans/1/ACT/parameter_" + std::to_string(i) + ".unit"));
    EXPECT_EQ(back.Count(), 1500u - 167u);
    for (int i = 0; i < 500; ++i) {
        const std::string key = "trans/1/act/PARAMETER_" + std::to_string(i);
        EXPECT_TRUE(back.Contains(key)) << key;
        EXPECT_EQ(back.Contains(key + ".UNIT"), i % 3 != 0) << key;
        EXPECT_EQ(back.Find(key + ".flags")->toLong(), 0x1000008) << key;
    }
    const std::vector<std::string> keys = back.Keys();
    EXPECT_EQ(keys[0], "TRANS/1/Act/PARAMETER_0");
    EXPECT_EQ(keys[1], "TRANS/1/Act/PARAMETER_0.Flags");
    EXPECT_EQ(keys[2], "TRANS/1/Act/PARAMETER_1");
}

TEST(PropertyBag, ACopyOutlivesItsOriginalAndKeepsTheOrder) {
    auto original = std::make_unique<PropertyBag>();
    original->Write("b", Variant(int32_t{2}));
    original->Write("A", Variant("one"));
    PropertyBag copy(*original);
    PropertyBag assigned;
    assigned.Write("old", Variant(int32_t{0}));
    assigned = *original;
    original.reset();
    for (const PropertyBag* bag : {&copy, &assigned}) {
        EXPECT_EQ(bag->Keys(), (std::vector<std::string>{"b", "A"}));
        EXPECT_EQ(bag->Find("a")->str(), "one");
        EXPECT_NE(bag->ToXml().find("name=\"b\""), std::string::npos);
    }
    copy.Write("c", Variant(int32_t{3}));
    EXPECT_FALSE(assigned.Contains("c"));
    EXPECT_FALSE(assigned.Contains("old"));
}

TEST(PropertyBag, ReadOnlyViewRefusesWrites) {
    PropertyBag bag;
    bag.Write("a", int32_t{1});
    ReadOnlyBagView view(bag);
    EXPECT_EQ(*view.Read("A"), Variant(int32_t{1}));
    EXPECT_THROW(view.Write("a", int32_t{2}), std::logic_error);
}

}  // namespace
}  // namespace kv
