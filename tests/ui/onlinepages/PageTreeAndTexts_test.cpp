// The navigation tree against the page tables, and the dictionaries against what the pages and
// the tree ask of them: every page node has its table and every table its node, every text key
// exists in English and German, and no dictionary defines a key twice.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "platform/runtime/XMLHelper.h"
#include "ui/framework/NavigationTree.h"
#include "ui/onlinepages/OnlinePageDesigns.h"
#include "ui/parameterpages/PageDesignChecks.h"
#include "ui/parameterpages/PageDesigns.h"

namespace kv {
namespace {

constexpr const char* kProgIdPrefix = "KV6274PA.";

const PageDesign* FindAnyPageDesign(const std::string& className) {
    const PageDesign* page = FindParameterPageDesign(className);
    return page != nullptr ? page : FindOnlinePageDesign(className);
}

// The key of a caption written "$(key)"; empty for any other caption.
std::string CaptionKey(const std::string& caption) {
    if (caption.size() < 4 || caption.compare(0, 2, "$(") != 0 || caption.back() != ')')
        return {};
    return caption.substr(2, caption.size() - 3);
}

TEST(PageTree, EveryPageNodeHasItsTableAndEveryTableItsNode) {
    pugi::xml_document tree;
    ASSERT_TRUE(tree.load_string(DesignTimeTreeStructure()));
    std::map<std::string, int> nodes;  // page class -> number of nodes that open it
    std::vector<std::string> captionKeys;
    for (pugi::xpath_node x : tree.select_nodes("//node")) {
        const pugi::xml_node node = x.node();
        const std::string key = node.attribute("key").value();
        const std::string caption = node.attribute("caption").value();
        EXPECT_FALSE(CaptionKey(caption).empty()) << key << " " << caption;
        captionKeys.push_back(CaptionKey(caption));
        const std::string ctl = node.attribute("ctl").value();
        if (ctl.empty())
            continue;
        ASSERT_EQ(ctl.rfind(kProgIdPrefix, 0), 0u) << key << " " << ctl;
        const std::string className = ctl.substr(std::string(kProgIdPrefix).size());
        ++nodes[className];
        if (className == "ctlAbout")
            continue;  // built without a table
        EXPECT_NE(FindAnyPageDesign(className), nullptr) << key << " opens " << className;
        // The page of the archive node takes its caption from the trend heading.
        if (className != "ctlArchive") {
            EXPECT_EQ(caption, "$(" + className + "_sepTitle)") << key;
        }
    }
    for (const std::vector<PageDesign>* designs : {&ParameterPageDesigns(), &OnlinePageDesigns()}) {
        for (const PageDesign& page : *designs)
            EXPECT_EQ(nodes[page.className], 1) << page.className;
    }
    pagechecks::ExpectKeysInBothLanguages(captionKeys);
}

TEST(PageTexts, MessagesOfThePagesExistInBothLanguages) {
    pagechecks::ExpectKeysInBothLanguages({
        "error_at_read_status",
        "error_at_write_status",
        "error_read_not_connected",
        "error_write_not_connected",
        "error_at_connect",
        "cannot_start_param_upload",
        "meld_hw_protec",
        "meld_w_locking",
        "meld_init_art",
        "meld_quit_reset",
        "command_already_active",
        "alert_SaveParameter",
        "meld_slave_param_set_invalid",
        "deviceTypeNameToolTip",
        "companyURL",
    });
}

// The files of one language's dictionary: its main file and its part files.
std::vector<std::filesystem::path> DictionaryFiles(int32_t language) {
    const std::string stem = "DTMDictionary_" + std::to_string(language);
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(XMLHelper().XMLDataPath())) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() == ".xml" &&
            (name == stem + ".xml" || name.rfind(stem + "_", 0) == 0))
            files.push_back(entry.path());
    }
    return files;
}

// Section and key of every entry of one language, counted over all its files.
std::map<std::pair<std::string, std::string>, int> DictionaryEntries(int32_t language) {
    std::map<std::pair<std::string, std::string>, int> entries;
    for (const auto& file : DictionaryFiles(language)) {
        pugi::xml_document doc;
        EXPECT_TRUE(doc.load_file(file.c_str())) << file;
        for (pugi::xml_node section : doc.document_element().children()) {
            for (pugi::xml_node entry : section.children("entry"))
                ++entries[{section.name(), entry.attribute("key").value()}];
        }
    }
    return entries;
}

TEST(PageTexts, NoKeyTwiceAndTheSameKeysInEnglishAndGerman) {
    const auto english = DictionaryEntries(9);
    const auto german = DictionaryEntries(7);
    EXPECT_GT(english.size(), 1000u);
    for (const auto* entries : {&english, &german}) {
        for (const auto& [entry, count] : *entries)
            EXPECT_EQ(count, 1) << entry.first << " " << entry.second;
    }
    std::set<std::pair<std::string, std::string>> onlyOne;
    for (const auto& [entry, count] : english) {
        if (!german.count(entry))
            onlyOne.insert(entry);
    }
    for (const auto& [entry, count] : german) {
        if (!english.count(entry))
            onlyOne.insert(entry);
    }
    EXPECT_TRUE(onlyOne.empty()) << onlyOne.begin()->first << " " << onlyOne.begin()->second;
}

}  // namespace
}  // namespace kv
