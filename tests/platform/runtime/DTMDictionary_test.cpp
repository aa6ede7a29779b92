// The language dictionary: merging of part files, language choice, look-ups, broken files; and
// the XML helper.

#include "platform/runtime/DTMDictionary.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <pugixml.hpp>
#include <string>

#include "platform/runtime/DTMContext.h"
#include "platform/runtime/ManualEventLoop.h"
#include "platform/runtime/XMLHelper.h"
#include "support/ModelContext.h"
#include "support/TempFolder.h"

namespace kv {
namespace {

namespace fs = std::filesystem;

using test_support::TempFolder;

std::string Doc(int lang, const std::string& body) {
    return test_support::DictionaryDoc(lang, body);
}

class DictionaryTest : public ::testing::Test {
  protected:
    DictionaryTest() {
        folder.Write("Dict_9.xml", Doc(9, R"~(<keys><entry key="hello" text="Hello"/>
            <entry key="dup" text="main"/><entry key="nolabel"/></keys>)~"));
        folder.Write("Dict_9_units.xml", Doc(9, R"~(<units><entry key="unit_1342" text="%"/></units>
                         <keys><entry key="dup" text="part"/><entry key="more" text="More"/></keys>)~"));
        folder.Write("Dict_7.xml", Doc(7, R"~(<keys><entry key="hello" text="Hallo"/></keys>)~"));
        // A file of language 97 must not be merged into language 9.
        folder.Write("Dict_97.xml", Doc(97, R"~(<keys><entry key="hello" text="wrong"/></keys>)~"));
        folder.Write("Dict_97_x.xml", Doc(97, R"~(<keys><entry key="x" text="wrong"/></keys>)~"));
    }
    std::string Text(const DTMDictionary& d, const std::string& section, const std::string& key,
                     const std::string& attr = "text") {
        Variant v = d.GetText(section, key, attr);
        return v.isEmpty() ? "<Empty>" : v.str();
    }
    TempFolder folder;
};

TEST_F(DictionaryTest, MergesPartFilesOfTheSameLanguage) {
    DTMDictionary d;
    ASSERT_TRUE(d.LoadFrom(folder.path, "Dict"));
    EXPECT_EQ(d.Language(), 9);
    EXPECT_EQ(Text(d, "keys", "hello"), "Hello");
    EXPECT_EQ(Text(d, "keys", "more"), "More");     // section joined across files
    EXPECT_EQ(Text(d, "keys", "dup"), "main");      // the first entry of a key wins
    EXPECT_EQ(Text(d, "units", "unit_1342"), "%");  // section only in the part file
    EXPECT_EQ(Text(d, "keys", "x"), "<Empty>");     // "Dict_97_x" is not a part of language 9
}

TEST_F(DictionaryTest, MissingKeyAttributeOrSectionIsEmpty) {
    DTMDictionary d;
    ASSERT_TRUE(d.LoadFrom(folder.path, "Dict"));
    EXPECT_EQ(Text(d, "keys", "absent"), "<Empty>");
    EXPECT_EQ(Text(d, "keys", "nolabel"), "<Empty>");
    EXPECT_EQ(Text(d, "keys", "hello", "label"), "<Empty>");
    EXPECT_EQ(Text(d, "nosection", "hello"), "<Empty>");
    EXPECT_FALSE(d.GetSection("nosection"));
    EXPECT_FALSE(d.GetSectionEntry(d.GetSection("keys"), "absent"));
    EXPECT_FALSE(d.GetSharedText(d.GetSection("keys"), "nolabel", "text").has_value());
}

TEST_F(DictionaryTest, LanguageFallsBackToPrimaryThenEnglish) {
    DTMDictionary d;
    ASSERT_TRUE(d.LoadFrom(folder.path, "Dict"));
    struct Case {
        int32_t id;
        int32_t language;
        const char* hello;
    } cases[] = {{7, 7, "Hallo"},
                 {0x807, 7, "Hallo"},
                 {0x40C, 9, "Hello"},
                 {0x407, 7, "Hallo"},
                 {9, 9, "Hello"}};
    for (const Case& c : cases) {
        EXPECT_TRUE(d.SetLanguage(c.id, false)) << c.id;
        EXPECT_EQ(d.Language(), c.language) << c.id;
        EXPECT_EQ(Text(d, "keys", "hello"), c.hello) << c.id;
    }
}

TEST_F(DictionaryTest, DocumentsAreSharedBetweenInstances) {
    DTMDictionary a, b;
    ASSERT_TRUE(a.LoadFrom(folder.path, "Dict"));
    ASSERT_TRUE(b.LoadFrom(folder.path, "Dict"));
    EXPECT_EQ(a.GetSection("keys"), b.GetSection("keys"));
    auto ta = a.GetSharedText(a.GetSection("keys"), "hello", "text");
    auto tb = b.GetSharedText(b.GetSection("keys"), "hello", "text");
    ASSERT_TRUE(ta && tb);
    EXPECT_EQ(ta->c_str(), tb->c_str());  // one string, not a copy per instance
    EXPECT_EQ(ta->str(), "Hello");
}

TEST(DictionaryFiles, MissingMainFileFailsWithoutDocument) {
    TempFolder empty;
    DTMDictionary d;
    EXPECT_FALSE(d.LoadFrom(empty.path, "Dict"));
    EXPECT_FALSE(d.HasDocument());
    EXPECT_NE(d.LastError().find("Dict_9.xml"), std::string::npos);
    EXPECT_TRUE(d.GetText("keys", "hello", "text").isEmpty());
    EXPECT_FALSE(d.SetLanguage(7, false));
}

TEST(DictionaryFiles, MalformedMainFileFails) {
    TempFolder f;
    f.Write("Dict_9.xml", "<DTMDictionary><keys><entry key=\"a\" text=\"A\"></keys>");
    DTMDictionary d;
    EXPECT_FALSE(d.LoadFrom(f.path, "Dict"));
    EXPECT_FALSE(d.HasDocument());
    EXPECT_NE(d.LastError().find("Dict_9.xml"), std::string::npos);

    TempFolder g;
    g.Write("Dict_9.xml", "<other/>");
    EXPECT_FALSE(d.LoadFrom(g.path, "Dict"));
    EXPECT_NE(d.LastError().find("DTMDictionary"), std::string::npos);
}

TEST(DictionaryFiles, MalformedPartFileIsReportedAndTheRestServes) {
    TempFolder f;
    f.Write("Dict_9.xml", Doc(9, R"~(<keys><entry key="a" text="A"/></keys>)~"));
    f.Write("Dict_9_bad.xml", "<DTMDictionary><keys>");
    f.Write("Dict_9_good.xml", Doc(9, R"~(<keys><entry key="b" text="B"/></keys>)~"));
    DTMDictionary d;
    EXPECT_FALSE(d.LoadFrom(f.path, "Dict"));
    EXPECT_NE(d.LastError().find("Dict_9_bad.xml"), std::string::npos);
    EXPECT_TRUE(d.HasDocument());
    EXPECT_EQ(d.GetText("keys", "a", "text").str(), "A");
    EXPECT_EQ(d.GetText("keys", "b", "text").str(), "B");
}

TEST_F(DictionaryTest, FolderCheckFindsTheFirstFault) {
    EXPECT_EQ(DTMDictionary::CheckFolder(folder.path, "Dict", {9, 7}), std::nullopt);

    const auto none = DTMDictionary::CheckFolder(folder.path + "/none", "Dict", {9});
    ASSERT_TRUE(none.has_value());
    EXPECT_EQ(none->kind, DictionaryFault::kFolderMissing);
    EXPECT_EQ(none->path, folder.path + "/none");

    const auto noFrench = DTMDictionary::CheckFolder(folder.path, "Dict", {9, 12});
    ASSERT_TRUE(noFrench.has_value());
    EXPECT_EQ(noFrench->kind, DictionaryFault::kFileMissing);
    EXPECT_EQ(fs::path(noFrench->path).filename(), "Dict_12.xml");

    // Every file of the dictionary counts, also one of a language not asked for; the fault
    // names the file and the line.
    folder.Write("Dict_97_x.xml", "<DTMDictionary>\n<keys>\n<entry key=\"x\">\n</keys>");
    const auto damaged = DTMDictionary::CheckFolder(folder.path, "Dict", {9});
    ASSERT_TRUE(damaged.has_value());
    EXPECT_EQ(damaged->kind, DictionaryFault::kFileDamaged);
    EXPECT_EQ(fs::path(damaged->path).filename(), "Dict_97_x.xml");
    EXPECT_NE(damaged->detail.find("line 4"), std::string::npos) << damaged->detail;
    EXPECT_EQ(damaged->line, 4u);
    EXPECT_EQ(damaged->status, pugi::status_end_element_mismatch);
    EXPECT_NE(damaged->message.find("Dict_97_x.xml"), std::string::npos);

    folder.Write("Dict_97_x.xml", "<keys/>");
    const auto foreign = DTMDictionary::CheckFolder(folder.path, "Dict", {9});
    ASSERT_TRUE(foreign.has_value());
    EXPECT_EQ(foreign->kind, DictionaryFault::kFileDamaged);
    EXPECT_NE(foreign->detail.find("DTMDictionary"), std::string::npos);

    // Other files of the folder are not the dictionary's.
    folder.Write("Dict_97_x.xml", Doc(97, ""));
    folder.Write("Manual.html", "<html>");
    folder.Write("Dict_9.xml.bak", "broken");
    EXPECT_EQ(DTMDictionary::CheckFolder(folder.path, "Dict", {9}), std::nullopt);
}

TEST_F(DictionaryTest, GetXmlFillsReferencedTexts) {
    DTMDictionary d;
    ASSERT_TRUE(d.LoadFrom(folder.path, "Dict"));
    DTMContext context(std::make_shared<ManualEventLoop>());
    const std::string xml = R"~(<doc a="$(hello)"><n b="$(absent)" c="x"/></doc>)~";
    EXPECT_EQ(d.GetXml(context, xml, "keys", "text"),
              R"~(<doc a="Hello"><n b="$(absent)" c="x"/></doc>)~");
    EXPECT_EQ(d.GetXml(context, "<doc", "keys", "text"), std::nullopt);
}

TEST(XMLHelperTest, AttributesAsText) {
    pugi::xml_document doc;
    XMLHelper x("/some/folder");
    EXPECT_EQ(x.XMLDataPath(), "/some/folder");
    pugi::xml_node n = x.AddElement("var", doc);
    EXPECT_TRUE(x.GetAttribute("value", n).isEmpty());
    struct Case {
        Variant value;
        const char* text;
    } cases[] = {{Variant(true), "true"},
                 {Variant(false), "false"},
                 {Variant(1.5), "1.5"},
                 {Variant(int16_t{-3}), "-3"},
                 {Variant(std::vector<uint8_t>{0x0A, 0xFF}), "0AFF"},
                 {Variant(), ""},
                 {Variant("text"), "text"}};
    for (const Case& c : cases) {
        x.SetAttribute("value", c.value, n);
        EXPECT_EQ(x.GetAttribute("value", n).str(), c.text);
    }
    EXPECT_EQ(std::string(doc.first_child().name()), "var");
}

}  // namespace
}  // namespace kv
