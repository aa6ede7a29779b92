// The frame's own words in English and German: what stands alone as a sentence ends as one, and
// a term the frame shares with the DTM is the DTM's.

#include <gtest/gtest.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <pugixml.hpp>
#include <set>
#include <string>
#include <vector>

#include "frame/FrameWords.h"
#include "platform/os/ComponentFolder.h"
#include "platform/runtime/IDTMDictionary.h"
#include "support/FrameInstanceFixture.h"

namespace kv {
namespace {

TEST(FrameWords, WhatStandsAloneEndsAsASentenceInBothLanguages) {
    // The status texts, messages and questions; the others are titles, captions, or a part of
    // a sentence that a reason completes.
    const std::vector<const char* FrameWords::*> sentences = {
        &FrameWords::connecting,
        &FrameWords::connectDone,
        &FrameWords::disconnecting,
        &FrameWords::disconnectDone,
        &FrameWords::channelRefused,
        &FrameWords::uploading,
        &FrameWords::uploaded,
        &FrameWords::downloading,
        &FrameWords::downloaded,
        &FrameWords::notStarted,
        &FrameWords::read,
        &FrameWords::written,
        &FrameWords::saved,
        &FrameWords::saveWhileBusy,
        &FrameWords::noUserInterface,
        &FrameWords::cannotOpen,
        &FrameWords::refusesToClose,
        &FrameWords::saveQuestion,
        &FrameWords::closeQuestion,
        &FrameWords::closeInputQuestion,
        &FrameWords::tabInputQuestion,
        &FrameWords::dictionaryHint,
        &FrameWords::folderMissing,
        &FrameWords::folderNotWritable,
        &FrameWords::notAFile,
        &FrameWords::readOnly,
        &FrameWords::channelRefusedMessage,
        &FrameWords::deviceRefusedMessage,
        &FrameWords::deviceUnreachable,
        &FrameWords::uploadFailedMessage,
        &FrameWords::uploadNotStarted,
        &FrameWords::noDocument,
        &FrameWords::noWindow,
        &FrameWords::folderNotMade,
        &FrameWords::mainWindowNotOpen,
        &FrameWords::pictureNotWritten,
        &FrameWords::picturesWritten,
        &FrameWords::noTemporaryFile,
        &FrameWords::cannotWrite,
        &FrameWords::notWritten,
        &FrameWords::noRegularFile,
        &FrameWords::cannotOpenProject,
        &FrameWords::cannotReadProject,
        &FrameWords::projectDamaged,
        &FrameWords::instanceNotSaved,
    };
    for (const int32_t language : {langEnglish, langGerman}) {
        const FrameWords& words = FrameWordsOf(language);
        for (size_t i = 0; i < sentences.size(); ++i) {
            const char* text = words.*sentences[i];
            ASSERT_NE(text, nullptr) << language << " " << i;
            const std::string sentence(text);
            ASSERT_FALSE(sentence.empty()) << language << " " << i;
            EXPECT_TRUE(sentence.back() == '.' || sentence.back() == '?')
                << language << ": " << sentence;
        }
    }
}

// Every fault the frame reports, in both languages: one sentence (or more), naming what it is
// about; a damage names the project file and says that nothing was loaded, and stands as a
// sentence of its own where no file is named.
TEST(FrameWords, EveryFaultIsToldAsSentencesThatNameWhatItIsAbout) {
    using F = FrameFault;
    const std::string file = "/plant/p.xml";
    const BagProblem bag{BagProblem::kUnknownType, 4, "PHYS/X", "Currency"};
    struct Case {
        FrameFault fault;
        std::vector<std::string> named;
    };
    const Case cases[] = {
        {{.kind = F::kFolderMissing, .path = file, .folder = "/plant"}, {file, "/plant"}},
        {{.kind = F::kFolderNotWritable, .path = file, .folder = "/plant"}, {file, "/plant"}},
        {{.kind = F::kNotAFile, .path = file}, {file}},
        {{.kind = F::kReadOnly, .path = file}, {file}},
        {{.kind = F::kNoTemporaryFile, .path = file, .error = EIO}, {file, std::strerror(EIO)}},
        {{.kind = F::kWriteFailed, .path = file, .error = EIO}, {file, std::strerror(EIO)}},
        {{.kind = F::kNotWritten, .path = file}, {file}},
        {{.kind = F::kNoRegularFile, .path = file}, {file}},
        {{.kind = F::kCannotOpen, .path = file, .error = EIO}, {file, std::strerror(EIO)}},
        {{.kind = F::kCannotRead, .path = file, .error = EIO}, {file, std::strerror(EIO)}},
        {{.kind = F::kNotWellFormed, .path = file, .position = 12, .column = 7, .error = 11},
         {file, "12", "7"}},
        {{.kind = F::kNoProject, .path = file, .name = "Project"}, {file, "<Project>"}},
        {{.kind = F::kWrongVersion, .path = file, .name = "7"}, {file, "7"}},
        {{.kind = F::kForeignElement, .path = file, .name = "Comment", .position = 3},
         {file, "3", "<Comment>"}},
        {{.kind = F::kNoSystemTag, .path = file, .position = 3}, {file, "3"}},
        {{.kind = F::kTagTwice, .path = file, .tag = "PV-7"}, {file, "PV-7"}},
        {{.kind = F::kNoDeviceType, .path = file, .tag = "PV-7"}, {file, "PV-7"}},
        {{.kind = F::kUnknownDeviceType, .path = file, .tag = "PV-7", .name = "ZZ1"},
         {file, "PV-7", "ZZ1"}},
        {{.kind = F::kWrongChild, .path = file, .tag = "PV-7", .name = "Note"},
         {file, "PV-7", "<Note>"}},
        {{.kind = F::kNoBag, .path = file, .tag = "PV-7"}, {file, "PV-7"}},
        {{.kind = F::kBagFault, .path = file, .tag = "PV-7", .bag = bag, .more = 2},
         {file, "PV-7", " 4 ", "PHYS/X", "Currency", " 2 "}},
        {{.kind = F::kStoredDataRefused, .path = file, .tag = "PV-7"}, {file, "PV-7"}},
        {{.kind = F::kDtmNotCreated, .path = file, .tag = "PV-7", .name = "no memory."},
         {file, "PV-7", "no memory"}},
        {{.kind = F::kEnvironmentRefused, .path = file, .tag = "PV-7"}, {file, "PV-7"}},
        {{.kind = F::kNoTagGiven}, {}},
        {{.kind = F::kTagTaken, .tag = "PV-7"}, {"PV-7"}},
        {{.kind = F::kNoDtm, .tag = "PV-7", .name = "ZZ1"}, {"ZZ1"}},
        {{.kind = F::kDtmNotCreated, .tag = "PV-7", .name = "no memory"}, {"PV-7", "no memory"}},
        {{.kind = F::kEnvironmentRefused, .tag = "PV-7"}, {"PV-7"}},
        {{.kind = F::kDeviceTypeRefused, .tag = "PV-7", .name = "ZZ1"}, {"PV-7", "ZZ1"}},
        {{.kind = F::kNotWellFormed, .position = 12, .column = 7, .error = 14}, {"12", "7"}},
        {{.kind = F::kBagFault, .tag = "PV-7", .bag = bag}, {"PV-7", "PHYS/X"}},
        {{.kind = F::kInstanceNotSaved, .path = file, .tag = "PV-7"}, {file, "PV-7"}},
        {{.kind = F::kNotSaved, .path = file, .name = "std::bad_alloc"}, {file, "std::bad_alloc"}},
    };
    const FrameWords& english = FrameWordsOf(langEnglish);
    const FrameWords& german = FrameWordsOf(langGerman);
    for (const Case& c : cases) {
        const std::string en = Describe(c.fault, english);
        SCOPED_TRACE(en);
        const std::string de = Describe(c.fault, german);
        const std::pair<std::string, const char*> texts[] = {{en, "is damaged"},
                                                             {de, "ist beschädigt"}};
        for (const auto& [text, damaged] : texts) {
            ASSERT_FALSE(text.empty());
            EXPECT_EQ(text.back(), '.') << text;
            EXPECT_EQ(text.find(".."), std::string::npos) << text;
            EXPECT_EQ(text.find('%'), std::string::npos) << text;
            for (const std::string& named : c.named)
                EXPECT_NE(text.find(named), std::string::npos) << named << " in " << text;
            const bool damage = c.fault.kind >= F::kNotWellFormed && c.fault.kind <= F::kNotSaved &&
                                c.fault.kind != F::kInstanceNotSaved &&
                                c.fault.kind != F::kNotSaved;
            EXPECT_EQ(text.find(damaged) != std::string::npos, damage && !c.fault.path.empty())
                << text;
            if (damage && c.fault.path.empty()) {
                EXPECT_TRUE(std::isupper(static_cast<unsigned char>(text[0]))) << text;
            }
        }
        EXPECT_NE(de, en);
    }
    // Every problem of a stored property bag, as the English words have always told it.
    const std::pair<BagProblem, const char*> problems[] = {
        {{.kind = BagProblem::kNotXml, .position = 17, .status = 7},
         "not an XML document: Error parsing comment at offset 17"},
        {{.kind = BagProblem::kNoBag}, "no PropertyBag element"},
        {{BagProblem::kUnknownElement, 2, "x", "Unknown"},
         "property 2 \"x\": unknown element Unknown"},
        {{BagProblem::kNoName, 3}, "property 3: no name"},
        {{BagProblem::kUnknownType, 4, "A", "Currency"},
         "property 4 \"A\": unknown type \"Currency\""},
        {{BagProblem::kNoValue, 5, "A"}, "property 5 \"A\": no value"},
        {{BagProblem::kBadLowerBound, 6, "A"}, "property 6 \"A\": bad lbound"},
        {{BagProblem::kNoHexText, 7, "A"}, "property 7 \"A\": value is no hex text"},
        {{BagProblem::kNotOfItsType, 8, "A"}, "property 8 \"A\": value does not read as its type"},
        {{BagProblem::kRepeatedName, 9, "A"},
         "property 9 \"A\": repeated name, the first one is kept"},
    };
    for (const auto& [problem, text] : problems) {
        const FrameFault fault{.kind = F::kBagFault, .tag = "T", .bag = problem};
        EXPECT_EQ(Describe(fault, english), "Instance \"T\": " + std::string(text) + ".");
        EXPECT_NE(Describe(fault, german), Describe(fault, english));
    }
}

// The system's reasons that a user meets and the parser's reasons are told in German words of
// their own; in English, and for the system's other reasons, the system and the parser tell them.
TEST(FrameWords, TheReasonsOfTheSystemAndTheParserAreToldInBothLanguages) {
    const FrameWords& english = FrameWordsOf(langEnglish);
    const FrameWords& german = FrameWordsOf(langGerman);
    for (const int error : {ENOSPC, EFBIG, EACCES, EROFS, ENOENT, ENOTDIR}) {
        EXPECT_EQ(DescribeSystemError(error, english), std::strerror(error));
        EXPECT_NE(DescribeSystemError(error, german), std::strerror(error));
    }
    EXPECT_EQ(DescribeSystemError(EIO, german), std::strerror(EIO));
    for (int status = pugi::status_ok; status <= pugi::status_no_document_element; ++status) {
        pugi::xml_parse_result parsed;
        parsed.status = static_cast<pugi::xml_parse_status>(status);
        EXPECT_EQ(DescribeParseFault(status, english), parsed.description());
        EXPECT_NE(DescribeParseFault(status, german), parsed.description());
    }
}

// What the window asks and shows quotes in one style a language: straight quotes in English,
// German quotes in German; the frame's questions and the DTM's dictionaries alike.
TEST(FrameWords, QuotesAreOfOneStyleALanguage) {
    struct Language {
        int32_t id;
        std::vector<std::string> foreign;  // quote marks of the other style
    };
    const Language languages[] = {{langEnglish, {"\u201C", "\u201D", "\u201E"}},
                                  {langGerman, {"\"", "\u201D"}}};
    const std::vector<const char* FrameWords::*> questions = {
        &FrameWords::saveQuestion, &FrameWords::closeQuestion, &FrameWords::closeInputQuestion,
        &FrameWords::tabInputQuestion};
    for (const Language& language : languages) {
        std::vector<std::string> texts;
        for (const auto question : questions)
            texts.emplace_back(FrameWordsOf(language.id).*question);
        const std::string prefix = "DTMDictionary_" + std::to_string(language.id);
        for (const auto& file : std::filesystem::directory_iterator(os::XmlDataFolder())) {
            if (!file.path().filename().string().starts_with(prefix))
                continue;
            pugi::xml_document doc;
            ASSERT_TRUE(doc.load_file(file.path().c_str())) << file.path();
            for (const pugi::xpath_node& entry : doc.select_nodes("//entry")) {
                for (const pugi::xml_attribute attribute : entry.node().attributes())
                    texts.emplace_back(attribute.value());
            }
        }
        ASSERT_GT(texts.size(), 100U);
        for (const std::string& text : texts) {
            for (const std::string& mark : language.foreign)
                EXPECT_EQ(text.find(mark), std::string::npos) << language.id << ": " << text;
        }
    }
}

TEST(FrameWords, TheTagIsNamedWithTheDTMsTerm) {
    test_support::FrameBench bench;
    for (const int32_t language : {langEnglish, langGerman}) {
        bench.instance->dtm->SetLanguage(language);
        const Variant label = bench.Ctx().Dictionary().GetText("parameters", "~/Tag", "label");
        EXPECT_EQ(FrameWordsOf(language).tag, label.toString()) << language;
    }
}

}  // namespace
}  // namespace kv

namespace kv {
namespace {

// What an import did not take, in both languages: the variable by its name or its place, and
// what the refusal names; nothing is left of the words' placeholders.
TEST(FrameWords, EveryImportRefusalNamesItsVariableAndWhatItIsAbout) {
    using K = ImportRefusal;
    const std::vector<K::Limits> ranges = {{Variant(0.0), Variant(255.9)},
                                           {Variant(300.0), Variant()}};
    struct Case {
        ImportRefusal refusal;
        std::vector<std::string> named;
    };
    const Case cases[] = {
        {{.kind = K::kNoDocument}, {}},
        {{.kind = K::kTransferRuns}, {}},
        {{.kind = K::kNoSuchElement, .position = 3, .path = "PHYS/NO_SUCH"}, {"PHYS/NO_SUCH"}},
        {{.kind = K::kNoSuchElement, .position = 3}, {" 3: "}},
        {{.kind = K::kNotTaken, .position = 1, .path = "P"}, {"P: "}},
        {{.kind = K::kUnknownUnit, .position = 1, .path = "P", .value = "2.5", .unit = "furlongs"},
         {"P: ", "furlongs"}},
        {{.kind = K::kNotConvertible,
          .position = 1,
          .path = "P",
          .value = "2.5",
          .unit = "s",
          .elementUnit = "mm"},
         {"P: ", "2.5", "\"s\"", "mm"}},
        {{.kind = K::kNotConvertible, .position = 1, .path = "P", .value = "2.5", .unit = "s"},
         {"P: ", "2.5", "\"s\""}},
        {{.kind = K::kNoValue, .position = 1, .path = "P"}, {"P: "}},
        {{.kind = K::kNotAValue, .position = 1, .path = "P", .value = "lots"}, {"P: ", "lots"}},
        {{.kind = K::kOutOfRange,
          .position = 1,
          .path = "P",
          .value = "300",
          .unit = "cm",
          .elementUnit = "mm",
          .limits = ranges},
         {"P: ", "\"300 cm\"", "0 mm", "300 mm"}},
        {{.kind = K::kTooLong,
          .position = 1,
          .path = "P",
          .value = "DDD",
          .limits = {{Variant(), Variant(int32_t{32})}}},
         {"P: ", "DDD", "32"}},
        {{.kind = K::kBadCharacter, .position = 1, .path = "P", .value = "A B"}, {"P: ", "A B"}},
        {{.kind = K::kNotInList, .position = 1, .path = "P", .value = "7"}, {"P: ", "7"}},
        {{.kind = K::kUserLevel, .position = 1, .path = "P", .requiredLevel = 2, .userLevel = 1},
         {"P: ", "2", "1"}},
        {{.kind = K::kDeviceCommand, .position = 1, .path = "P"}, {"P: "}},
        {{.kind = K::kDeviceOnly, .position = 1, .path = "P"}, {"P: "}},
        {{.kind = K::kWriteProtected, .position = 1, .path = "P"}, {"P: "}},
        {{.kind = K::kNotValid, .position = 1, .path = "P"}, {"P: "}},
    };
    std::set<K::Kind> told;
    const FrameWords& english = FrameWordsOf(langEnglish);
    const FrameWords& german = FrameWordsOf(langGerman);
    for (const Case& c : cases) {
        told.insert(c.refusal.kind);
        const std::string en = Describe(c.refusal, english);
        SCOPED_TRACE(en);
        const std::string de = Describe(c.refusal, german);
        for (const std::string* text : {&en, &de}) {
            ASSERT_FALSE(text->empty());
            EXPECT_EQ(text->find('%'), std::string::npos) << *text;
            for (std::string named : c.named) {
                // German quotes as German writes them.
                if (text == &de && named.front() == '"')
                    named = "„" + named.substr(1, named.size() - 2) + "“";
                EXPECT_NE(text->find(named), std::string::npos) << named << " in " << *text;
            }
        }
        EXPECT_NE(de, en);
    }
    EXPECT_EQ(told.size(), size_t{K::kNotValid} + 1);
    // The limits in each language's numbers.
    const ImportRefusal range = cases[10].refusal;
    EXPECT_EQ(Describe(range, english),
              "P: the value \"300 cm\" is out of range (0 mm to 255.9 mm or at least 300 mm)");
    EXPECT_NE(Describe(range, german).find("255,9 mm"), std::string::npos);
}

}  // namespace
}  // namespace kv
