// The shipped language dictionaries against the device model: unit texts and unit help for the
// unit table, and label, description, help and well-formed lists for every block element.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "core/clsDataElement.h"
#include "core/clsDataModel.h"
#include "devicemodel/DeviceModel.h"
#include "platform/runtime/DTMContext.h"
#include "platform/runtime/DTMDictionary.h"
#include "platform/runtime/DataSet.h"
#include "platform/runtime/IPrivateDataElement.h"
#include "platform/runtime/IXMLHelper.h"
#include "platform/runtime/ManualEventLoop.h"
#include "platform/runtime/XMLHelper.h"
#include "units/clsPROFIBUSProfil3Units.h"
#include "value/Text.h"

namespace kv {
namespace {

using Entries = std::vector<std::pair<int64_t, std::string>>;

// Splits a value list "n:text|n:text"; nullopt when an entry lacks its number, its ":" or its
// text.
std::optional<Entries> ParseValueList(const std::string& list) {
    Entries entries;
    size_t start = 0;
    while (start <= list.size()) {
        size_t bar = list.find('|', start);
        if (bar == std::string::npos)
            bar = list.size();
        const std::string item = list.substr(start, bar - start);
        const size_t colon = item.find(':');
        if (colon == std::string::npos || colon == 0 || colon + 1 == item.size())
            return std::nullopt;
        size_t digits = item[0] == '-' ? 1 : 0;
        if (digits == colon)
            return std::nullopt;
        for (size_t i = digits; i < colon; ++i) {
            if (!std::isdigit(static_cast<unsigned char>(item[i])))
                return std::nullopt;
        }
        entries.emplace_back(std::stoll(item.substr(0, colon)), item.substr(colon + 1));
        start = bar + 1;
    }
    return entries;
}

bool IsBlockElement(const std::string& name) {
    for (const char* prefix : {"PHYS/", "TRANS/", "FUNC/"}) {
        if (name.rfind(prefix, 0) == 0)
            return true;
    }
    return false;
}

std::string XmlDataFolder() {
    return XMLHelper().XMLDataPath();
}

// The dictionary of one language, loaded once per test.
std::unique_ptr<DTMDictionary> LoadDictionary(int32_t language) {
    auto dictionary = std::make_unique<DTMDictionary>();
    EXPECT_TRUE(dictionary->LoadFrom(XmlDataFolder(), "DTMDictionary")) << dictionary->LastError();
    if (language != 9) {
        EXPECT_TRUE(dictionary->SetLanguage(language, false)) << dictionary->LastError();
    }
    EXPECT_EQ(dictionary->Language(), language);
    EXPECT_EQ(dictionary->LastError(), "");
    return dictionary;
}

class DictionaryTest : public ::testing::TestWithParam<int32_t> {};

INSTANTIATE_TEST_SUITE_P(Languages, DictionaryTest, ::testing::Values(9, 7),
                         [](const auto& info) { return info.param == 9 ? "English" : "German"; });

TEST_P(DictionaryTest, EveryDefinedUnitHasItsTableTextAndAHelpText) {
    const auto dictionary = LoadDictionary(GetParam());
    const pugi::xml_node units = dictionary->GetSection("units");
    ASSERT_TRUE(units);
    const clsPROFIBUSProfil3Units table;
    int defined = 0;
    for (int32_t code = pp3MinUnitIdx; code < pp3MaxUnitIdx; ++code) {
        const clsPROFIBUSProfil3Units::UnitInfo info = table.PROFIBUSProfil3UnitInfo(code);
        const std::string key = "unit_" + std::to_string(code);
        if (!info.available) {
            EXPECT_FALSE(dictionary->GetSectionEntry(units, key)) << key << " is not a unit";
            continue;
        }
        ++defined;
        // Symbols equal the table's, trailing blanks included: texts are looked up by their
        // exact spelling when a stored unit text is read back. Only the four words of the
        // special codes are translated.
        const Variant text = dictionary->GetText(units, key, "text");
        ASSERT_TRUE(text.isString()) << key;
        if (GetParam() == 9 || code < 1996) {
            EXPECT_EQ(text.str(), info.strUnit) << key;
        }

        const Variant help = dictionary->GetText(units, key + "_help", "text");
        if (code >= 1995) {
            EXPECT_EQ(info.strHelpKey, "");
            EXPECT_TRUE(help.isEmpty()) << key << " has no help";
        } else {
            EXPECT_EQ(info.strHelpKey, key + "_help");
            ASSERT_TRUE(help.isString()) << key;
            EXPECT_FALSE(help.str().empty()) << key;
        }
    }
    EXPECT_EQ(defined, 541);
}

TEST(DictionaryUnits, NamesOfCommonUnits) {
    struct Row {
        int32_t code;
        const char* text;
        const char* english;
        const char* german;
    };
    const Row rows[] = {
        {1342, "%", "percent", "Prozent"},
        {1013, "mm", "millimetre", "Millimeter"},
        {1001, "°C", "degree Celsius", "Grad Celsius"},
        {1005, "°", "degree", "Grad"},
        {1054, "s", "second", "Sekunde"},
        {1137, "bar", "bar", "Bar"},
        {1052, "bbl (liq) ", "barrel (liquid, 31.5 US gallons)",
         "Barrel (Flüssigkeit, 31,5 US-Gallonen)"},
        {1156, "inHg (0°C) ", "inch of mercury at 0 °C", "Zoll Quecksilbersäule bei 0 °C"},
        {1499, "µm³/min ", "cubic micrometre per minute", "Kubikmikrometer pro Minute"},
        {1006, "'", "minute of arc", "Winkelminute"},
    };
    const auto english = LoadDictionary(9);
    const auto german = LoadDictionary(7);
    for (const Row& row : rows) {
        const std::string key = "unit_" + std::to_string(row.code);
        EXPECT_EQ(english->GetText("units", key, "text").str(), row.text) << key;
        EXPECT_EQ(german->GetText("units", key, "text").str(), row.text) << key;
        EXPECT_EQ(english->GetText("units", key + "_help", "text").str(), row.english) << key;
        EXPECT_EQ(german->GetText("units", key + "_help", "text").str(), row.german) << key;
    }
    // The special codes carry no help; their words are translated.
    EXPECT_EQ(german->GetText("units", "unit_1995", "text").str(), "");
    EXPECT_EQ(english->GetText("units", "unit_1997", "text").str(), "None");
    EXPECT_EQ(german->GetText("units", "unit_1997", "text").str(), "keine");
    EXPECT_TRUE(german->GetText("units", "unit_1997_help", "text").isEmpty());
}

TEST_P(DictionaryTest, InitialisationNoticeHasAText) {
    const auto dictionary = LoadDictionary(GetParam());
    const Variant text = dictionary->GetText("keys", "meld_init_art", "text");
    ASSERT_TRUE(text.isString());
    EXPECT_FALSE(text.str().empty());
}

// A model built and set to the language, as a new instance has it.
struct LanguageModel {
    explicit LanguageModel(int32_t language)
        : context(std::make_shared<ManualEventLoop>()),
          model(std::make_shared<clsDataModel>(DeviceModel())),
          prompt(std::make_shared<RecordingPrompt>()) {
        data = std::make_shared<DataSet>(context, model);
        context.SetParameters(data);
        context.SetDictionary(std::make_shared<DTMDictionary>());
        context.SetXMLHelper(std::make_shared<XMLHelper>(XmlDataFolder()));
        context.SetPrompt(prompt);
        model->CreateModel(context);
        model->SetLanguage(context, language == 9 ? 0x409 : 0x407);
    }
    clsDataElement& At(const std::string& path) {
        IPrivateDataElement* e = data->Item(path);
        if (e == nullptr)
            throw std::runtime_error("no element " + path);
        return AsDataElement(*e);
    }
    std::vector<clsDataElement*> BlockElements() const {
        std::vector<clsDataElement*> elements;
        for (const auto& e : data->Elements()) {
            if (IsBlockElement(e->Name()))
                elements.push_back(&AsDataElement(*e));
        }
        return elements;
    }

    DTMContext context;
    std::shared_ptr<clsDataModel> model;
    std::shared_ptr<RecordingPrompt> prompt;
    std::shared_ptr<DataSet> data;
};

// Number of bits a bit list of the element can name; its "no bit set" entry carries this number.
int64_t BitWidth(const clsDataElement& e) {
    switch (e.ValueType()) {
        case 1:
            return 8LL * e.ValueTypeLength();
        case 2:
            return 8;
        case 3:
        case 5:
            return 16;
        default:
            return 32;
    }
}

TEST_P(DictionaryTest, EveryBlockElementHasItsTexts) {
    LanguageModel m(GetParam());
    EXPECT_TRUE(m.prompt->messages.empty()) << m.prompt->messages.front();
    const auto elements = m.BlockElements();
    EXPECT_EQ(elements.size(), 246u);  // 72 Physical Block, 83 Transducer Block, 91 AO block
    for (const clsDataElement* e : elements) {
        EXPECT_FALSE(e->Label.empty()) << e->Name();
        EXPECT_FALSE(e->Description.empty()) << e->Name();
        EXPECT_FALSE(e->Help.empty()) << e->Name();
    }
}

// One name for each thing: the write-lock function is named as its page, and every list that
// names the mode LO, as a mode or as a cascade status, names it as the page of that mode does.
TEST_P(DictionaryTest, WriteLockAndLocalOverrideHaveOneNameEach) {
    const auto dictionary = LoadDictionary(GetParam());
    auto text = [&dictionary](const char* section, const char* key, const char* attribute) {
        const Variant v = dictionary->GetText(section, key, attribute);
        return v.isString() ? v.str() : std::string();
    };
    EXPECT_EQ(text("DTMFunctions", "func_12", "label"),
              text("keys", "ctlWriteLock_sepTitle", "text"));
    const std::string localOverride = ToLowerAscii(text("keys", "ctlOpLocOv_sepTitle", "text"));
    LanguageModel m(GetParam());
    size_t modes = 0;
    size_t statuses = 0;
    for (const clsDataElement* e : m.BlockElements()) {
        const std::optional<Entries> entries = ParseValueList(e->ValueList.str());
        if (!entries)
            continue;
        const bool cascadeStatus = std::any_of(entries->begin(), entries->end(),
                                               [](const auto& entry) { return entry.first == 48; });
        for (const auto& [number, entry] : *entries) {
            if (entry.find("(LO)") != std::string::npos) {
                ++modes;
                EXPECT_EQ(ToLowerAscii(entry), localOverride + " (lo)") << e->Name();
            } else if (cascadeStatus && number == 54) {
                ++statuses;
                EXPECT_EQ(ToLowerAscii(entry.substr(entry.find(": ") + 2)), localOverride)
                    << e->Name();
            }
        }
    }
    EXPECT_EQ(modes, 8u);
    EXPECT_GT(statuses, 0u);
}

TEST_P(DictionaryTest, EveryListOfABlockElementParses) {
    LanguageModel m(GetParam());
    for (const clsDataElement* e : m.BlockElements()) {
        const std::string& name = e->Name();
        if (!e->ValueList.empty()) {
            const auto entries = ParseValueList(e->ValueList.str());
            ASSERT_TRUE(entries) << name << ": " << e->ValueList.str();
            std::set<int64_t> numbers;
            for (const auto& [number, text] : *entries) {
                EXPECT_TRUE(numbers.insert(number).second) << name << " repeats " << number;
                if (e->bBitEncoding) {
                    EXPECT_GE(number, 0) << name;
                    EXPECT_LE(number, BitWidth(*e)) << name;
                }
            }
            if (e->bBitEncoding) {
                EXPECT_TRUE(numbers.count(BitWidth(*e))) << name << " has no entry for no bit set";
            }
        }
        if (!e->CmdErrList.empty()) {
            EXPECT_TRUE(ParseValueList(e->CmdErrList.str())) << name << ": " << e->CmdErrList.str();
        }
        if (!e->ValueLists.empty()) {
            for (const char* key : {"0", "1"}) {
                const std::string list = e->GetValueLists(key);
                EXPECT_TRUE(ParseValueList(list)) << name << " list " << key << ": " << list;
            }
        }
    }
}

TEST_P(DictionaryTest, ChoiceAndBitListElementsOfferTheirOfflineValues) {
    LanguageModel m(GetParam());
    for (const clsDataElement* e : m.BlockElements()) {
        const int32_t control = e->ControlType();
        if (control != 3 && control != 4)
            continue;
        EXPECT_FALSE(e->ValueList.empty()) << e->Name() << " shows a list without entries";
        const Variant& value = e->TransientValue();
        if (control == 3 && !e->bBitEncoding && value.isNumber()) {
            EXPECT_NE(e->GetStrValueFromIdxList(value.toLong()), "")
                << e->Name() << " has no text for its value " << value.toLong();
        }
    }
}

TEST_P(DictionaryTest, CommandElementsExplainTheirErrors) {
    LanguageModel m(GetParam());
    for (const char* path : {"PHYS/FACTORY_RESET", "TRANS/1/Act/SELF_CALIBRATION_CMD"}) {
        const clsDataElement& e = m.At(path);
        EXPECT_NE(e.GetStrCommandErrorFromIndex(0xB6), "") << path << ": access denied";
        EXPECT_NE(e.GetStrCommandErrorFromIndex(0xB5), "") << path << ": state conflict";
    }
    // The commands the pages send have a text.
    EXPECT_NE(m.At("PHYS/FACTORY_RESET").GetStrValueFromIdxList(2506), "");
    EXPECT_NE(m.At("PHYS/FACTORY_RESET").GetStrValueFromIdxList(32769), "");
    EXPECT_NE(m.At("TRANS/1/Act/SELF_CALIBRATION_CMD").GetStrValueFromIdxList(255), "");
}

// The rules of the valve type choose lists by number 0 (linear) and 1 (rotary), and the help of
// the transmission code from its description read as a value list.
TEST_P(DictionaryTest, ValveTypeListsServeBothValveTypes) {
    LanguageModel m(GetParam());
    clsDataElement& code = m.At("TRANS/1/Act/MFR/TRANSM_CODE/Value");
    const std::string linear = code.GetValueLists("0");
    const std::string rotary = code.GetValueLists("1");
    ASSERT_NE(linear, "");
    ASSERT_NE(rotary, "");
    EXPECT_NE(linear, rotary);
    const auto helps = ParseValueList(code.Description.str());
    ASSERT_TRUE(helps) << code.Description.str();
    ASSERT_EQ(helps->size(), 2u);
    EXPECT_EQ((*helps)[0].first, 0);
    EXPECT_EQ((*helps)[1].first, 1);
    // A new instance is a linear valve: the list and help of valve type 0 apply.
    EXPECT_EQ(code.ValueList.str(), linear);
    EXPECT_EQ(code.Help.str(), (*helps)[0].second);
    EXPECT_NE(code.GetStrValueFromIdxList(code.TransientValue().toLong()), "");

    clsDataElement& unit = m.At("FUNC/1/AO/OUT_SCALE/Unit");
    EXPECT_NE(unit.GetValueLists("0"), unit.GetValueLists("1"));
    EXPECT_EQ(unit.ValueList.str(), unit.GetValueLists("0"));
}

// Unit lists name unit codes by their unit symbols.
TEST_P(DictionaryTest, UnitListsShowTheUnitSymbols) {
    LanguageModel m(GetParam());
    const clsPROFIBUSProfil3Units table;
    std::map<std::string, std::string> lists{
        {"PV_SCALE/Unit", m.At("FUNC/1/AO/PV_SCALE/Unit").ValueList.str()},
        {"OUT_SCALE/Unit 0", m.At("FUNC/1/AO/OUT_SCALE/Unit").GetValueLists("0")},
        {"OUT_SCALE/Unit 1", m.At("FUNC/1/AO/OUT_SCALE/Unit").GetValueLists("1")},
    };
    for (const auto& [name, list] : lists) {
        const auto entries = ParseValueList(list);
        ASSERT_TRUE(entries) << name;
        std::set<int64_t> codes;
        for (const auto& [code, text] : *entries) {
            codes.insert(code);
            EXPECT_EQ(text, table.PROFIBUSProfil3UnitString(static_cast<int32_t>(code))) << name;
        }
        EXPECT_TRUE(codes.count(1342)) << name << " offers no percent";
    }
    // The travel units the valve-type rule forces must be offered by the matching list.
    EXPECT_NE(m.At("FUNC/1/AO/OUT_SCALE/Unit").GetValueLists("0").find("1013:mm"),
              std::string::npos);
    EXPECT_NE(m.At("FUNC/1/AO/OUT_SCALE/Unit").GetValueLists("1").find("1005:°"),
              std::string::npos);
}

}  // namespace
}  // namespace kv
