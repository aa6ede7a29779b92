// The navigation tree model: the design-time tree, the tree for the offered functions, the push
// into open main windows, and the sub-tree and parse-error helpers.

#include <gtest/gtest.h>

#include <memory>
#include <pugixml.hpp>
#include <string>
#include <vector>

#include "core/clsFunctionMan.h"
#include "platform/runtime/DTMContext.h"
#include "platform/runtime/IGUIManager.h"
#include "platform/runtime/IPrivateFunctions.h"
#include "platform/runtime/IStateObject.h"
#include "platform/runtime/ManualEventLoop.h"
#include "support/GuiFakes.h"
#include "ui/framework/NavHelpers.h"
#include "ui/framework/NavigationTree.h"
#include "ui/framework/clsNavigation.h"

namespace kv {
namespace {

using test_support::FakeGUI;
using test_support::FakeMainWindow;

// A catalogue whose functions document is given by the test.
class ScriptedFunctions : public IPrivateFunctions {
  public:
    IFunctionCall* DocFuncCall() override { return nullptr; }
    std::string GetFunctions(IDTMContext&, std::shared_ptr<IOperationPhase> phase) override {
        ++calls;
        lastPhase = phase;
        return document;
    }
    std::string document;
    int calls = 0;
    std::shared_ptr<IOperationPhase> lastPhase;
};

std::string FunctionsDoc(const std::vector<std::string>& ids) {
    std::string doc = "<FDT><Functions>";
    for (size_t i = 0; i < ids.size(); ++i) {
        // Standard functions and grouped functions both count.
        doc += i % 2 == 0 ? "<StandardFunction functionId=\"" + ids[i] + "\"/>"
                          : "<FunctionGroup name=\"G\"><Function functionId=\"" + ids[i] +
                                "\"/></FunctionGroup>";
    }
    return doc + "</Functions></FDT>";
}

// The state object as the tree model finds it: the holder of the last operation phase.
class PhaseHolder : public IStateObject, public IOperationPhaseHolder {
  public:
    void Init(IDTMContext&) override {}
    void Terminate() override {}
    std::shared_ptr<IOperationPhase> LastOpPhase() const override { return phase; }
    void SetLastOpPhase(std::shared_ptr<IOperationPhase> p) override { phase = std::move(p); }
    std::shared_ptr<IOperationPhase> phase = NewOperationPhase();
};

struct Fixture {
    std::shared_ptr<DTMContext> context =
        std::make_shared<DTMContext>(std::make_shared<ManualEventLoop>());
    std::shared_ptr<RecordingPrompt> prompt = std::make_shared<RecordingPrompt>();
    std::shared_ptr<ScriptedFunctions> functions = std::make_shared<ScriptedFunctions>();
    std::shared_ptr<PhaseHolder> state = std::make_shared<PhaseHolder>();
    std::shared_ptr<clsNavigation> navigation = std::make_shared<clsNavigation>();

    Fixture() {
        context->SetPrompt(prompt);
        context->Init({}, nullptr, nullptr, functions);
        context->SetStateObject(state);
        navigation->AttachDTMContext(context);
    }
    clsNavigation& Navigation() { return *navigation; }
};

// Keys of the nodes carrying invisibleStatus, and the value it has.
std::vector<std::string> MarkedNodes(const std::string& tree, std::string* badValue = nullptr) {
    pugi::xml_document doc;
    EXPECT_TRUE(doc.load_string(tree.c_str()));
    std::vector<std::string> keys;
    for (const pugi::xpath_node& n : doc.select_nodes("//*[@invisibleStatus]")) {
        keys.push_back(n.node().attribute("key").value());
        if (badValue && std::string(n.node().attribute("invisibleStatus").value()) != "0")
            *badValue = n.node().attribute("invisibleStatus").value();
    }
    return keys;
}

std::vector<std::string> KeysOf(const std::string& tree) {
    pugi::xml_document doc;
    EXPECT_TRUE(doc.load_string(tree.c_str()));
    std::vector<std::string> keys;
    for (const pugi::xpath_node& n : doc.select_nodes("//node"))
        keys.push_back(n.node().attribute("key").value());
    return keys;
}

TEST(DesignTimeTree, FiftyTwoNodesInDocumentOrderWithTheirAttributes) {
    const std::string tree = DesignTimeTreeStructure();
    EXPECT_EQ(tree.rfind("<?xml version=\"1.0\"?>", 0), 0u);
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(tree.c_str()));
    EXPECT_STREQ(doc.document_element().name(), "treeview");
    const std::vector<std::string> keys = KeysOf(tree);
    ASSERT_EQ(keys.size(), 52u);
    for (size_t i = 0; i < keys.size(); ++i)
        EXPECT_EQ(keys[i], "Node" + std::to_string(i));

    struct Row {
        const char* key;
        const char* parent;  // "" for a top node
        const char* caption;
        const char* ctl;
        const char* functionId;  // nullptr: absent
        const char* showFlag;
        const char* enabledFlag;  // nullptr: absent
    };
    const Row rows[] = {
        {"Node0", "", "$(tvOffline)", "", "1", "showAllChilds", "enabledAll"},
        {"Node4", "Node3", "$(ctlIdPos_sepTitle)", "KV6274PA.ctlIdPos", nullptr, "showMe",
         "enabledMe"},
        {"Node7", "Node3", "$(ctlIdAddGear_sepTitle)", "KV6274PA.ctlIdAddGear", nullptr, "showMe",
         nullptr},
        {"Node13", "Node0", "$(ctlChar_sepTitle)", "KV6274PA.ctlChar", nullptr, "showAllChilds",
         nullptr},
        {"Node21", "", "$(tvMeasure)", "", "7", "showAllChilds", "enabledMeChilds"},
        {"Node26", "", "$(tvTrend)", "KV6274PA.ctlArchive", "8", "showMe", "enabledMe"},
        {"Node28", "Node27", "$(ctlDiagGen_sepTitle)", "KV6274PA.ctlDiagGen", nullptr, "showMe",
         "enabledMeChilds"},
        {"Node37", "Node32", "$(ctlSimulate_sepTitle)", "KV6274PA.ctlSimulate", "3", "showMe",
         "enabledMe"},
        {"Node45", "", "$(ctlAddress_sepTitle)", "KV6274PA.ctlAddress", "9", "showMe", "enabledMe"},
        {"Node51", "Node48", "$(ctlProfil_FB_AO_sepTitle)", "KV6274PA.ctlProfil_FB_AO", nullptr,
         "showMe", nullptr},
    };
    for (const Row& r : rows) {
        pugi::xml_node n = doc.find_node(
            [&](pugi::xml_node x) { return std::string(x.attribute("key").value()) == r.key; });
        ASSERT_TRUE(n) << r.key;
        EXPECT_STREQ(n.parent().attribute("key").value(), r.parent) << r.key;
        EXPECT_STREQ(n.attribute("caption").value(), r.caption) << r.key;
        EXPECT_STREQ(n.attribute("ctl").value(), r.ctl) << r.key;
        EXPECT_EQ(static_cast<bool>(n.attribute("functionId")), r.functionId != nullptr) << r.key;
        if (r.functionId) {
            EXPECT_STREQ(n.attribute("functionId").value(), r.functionId) << r.key;
        }
        EXPECT_STREQ(n.attribute("showFlag").value(), r.showFlag) << r.key;
        EXPECT_EQ(static_cast<bool>(n.attribute("enabledFlag")), r.enabledFlag != nullptr) << r.key;
        if (r.enabledFlag) {
            EXPECT_STREQ(n.attribute("enabledFlag").value(), r.enabledFlag) << r.key;
        }
    }
    // Only Node0 and Node26 carry the view and lock flags.
    EXPECT_EQ(doc.select_nodes("//node[@navViewVisibleFlag]").size(), 2u);
    EXPECT_STREQ(
        doc.select_node("//node[@key='Node0']").node().attribute("navViewVisibleFlag").value(),
        "1");
    EXPECT_STREQ(doc.select_node("//node[@key='Node26']").node().attribute("lockedStatus").value(),
                 "Falsch");
    EXPECT_EQ(doc.select_nodes("//node[@functionId]").size(), 13u);
    EXPECT_EQ(doc.select_nodes("//node[@invisibleStatus]").size(), 0u);
    // Four levels: Node4 lies below Node3, Node1 and Node0.
    EXPECT_EQ(doc.select_nodes("/treeview/node/node/node/node").size(), 4u);
}

TEST(NavigationModel, OfferedFunctionsMarkTheirNodesOnly) {
    Fixture f;
    EXPECT_EQ(f.Navigation().InitialTreeStructure(), DesignTimeTreeStructure());
    f.functions->document = FunctionsDoc({"1", "5", "15"});
    const std::string tree = f.Navigation().CurTreeStructure();
    std::string bad;
    EXPECT_EQ(MarkedNodes(tree, &bad), (std::vector<std::string>{"Node0", "Node27", "Node47"}));
    EXPECT_EQ(bad, "");
    EXPECT_EQ(f.functions->lastPhase, f.state->LastOpPhase());
    // The stored text is not changed by the derivation.
    EXPECT_EQ(f.Navigation().StoredTreeStructure(), DesignTimeTreeStructure());
    EXPECT_EQ(KeysOf(tree).size(), 52u);
}

TEST(NavigationModel, FunctionListOfTheCatalogue) {
    Fixture f;
    f.context->SetFunctions(std::make_shared<clsFunctionMan>());
    // No communication: the template's functions 1, 9, 14, 15, 501, 8, 7, 5, 3, 2, 10 to 13.
    EXPECT_EQ(MarkedNodes(f.Navigation().CurTreeStructure()),
              (std::vector<std::string>{"Node0", "Node21", "Node26", "Node27", "Node32", "Node37",
                                        "Node38", "Node42", "Node43", "Node44", "Node45", "Node47",
                                        "Node48"}));
}

TEST(NavigationModel, FunctionsWithoutIdMarkNothing) {
    Fixture f;
    f.functions->document =
        R"(<FDT><Functions><StandardFunction/><Function functionId=""/><StandardFunction functionId="4"/></Functions></FDT>)";
    const std::string tree = f.Navigation().CurTreeStructure();
    ASSERT_FALSE(tree.empty());
    EXPECT_TRUE(MarkedNodes(tree).empty());
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(tree.c_str()));
    EXPECT_FALSE(doc.document_element().attribute("invisibleStatus"));
}

TEST(NavigationModel, FunctionListThatDoesNotLoadGivesEmptyAndPushesNothing) {
    for (const char* document : {"", "<FDT><Functions>", "no xml"}) {
        Fixture f;
        f.functions->document = document;
        auto window = std::make_shared<FakeMainWindow>();
        f.context->GUIManager().RegisterGUI("MAIN", window, true);
        EXPECT_EQ(f.Navigation().CurTreeStructure(), "") << document;
        ASSERT_EQ(f.prompt->messages.size(), 1u) << document;
        EXPECT_NE(f.prompt->messages[0].find("does not load"), std::string::npos);
        f.Navigation().UpdatecurTreeStructure();
        EXPECT_TRUE(window->pushed.empty()) << document;
    }
}

TEST(NavigationModel, StoredTextThatDoesNotParseGivesAnOkBox) {
    Fixture f;
    f.functions->document = FunctionsDoc({"1"});
    auto window = std::make_shared<FakeMainWindow>();
    f.context->GUIManager().RegisterGUI("MAIN", window, true);
    f.Navigation().SetCurTreeStructure("<treeview><node key=\"Node0\">");
    ASSERT_EQ(f.prompt->questions.size(), 1u);
    EXPECT_EQ(f.prompt->questions[0].second, 0);
    EXPECT_EQ(f.prompt->questions[0].first.rfind(
                  "Your XML Document failed to loaddue the following error.\r\nError #: ", 0),
              0u);
    EXPECT_TRUE(window->pushed.empty());
    EXPECT_EQ(f.functions->calls, 0);
}

TEST(NavigationModel, ChangedTextIsPushedToMainWindowsOnly) {
    Fixture f;
    f.functions->document = FunctionsDoc({"10"});
    auto window = std::make_shared<FakeMainWindow>();
    auto page = std::make_shared<FakeGUI>();
    auto second = std::make_shared<FakeMainWindow>();
    f.context->GUIManager().RegisterGUI("MAIN", window, true);
    f.context->GUIManager().RegisterGUI("MAIN.ctlId$", page, false);
    f.context->GUIManager().RegisterGUI("MAIN2", second, true);

    // The same text pushes nothing.
    f.Navigation().SetCurTreeStructure(DesignTimeTreeStructure());
    EXPECT_TRUE(window->pushed.empty());
    EXPECT_EQ(f.functions->calls, 0);

    const std::string smaller = GetSubTreeXml(DesignTimeTreeStructure(), "functionId", "10");
    f.Navigation().SetCurTreeStructure(smaller);
    ASSERT_EQ(window->pushed.size(), 1u);
    ASSERT_EQ(second->pushed.size(), 1u);
    EXPECT_EQ(f.functions->calls, 1);  // derived once for all windows
    EXPECT_EQ(KeysOf(window->pushed[0]),
              (std::vector<std::string>{"Node38", "Node39", "Node40", "Node41"}));
    EXPECT_EQ(MarkedNodes(window->pushed[0]), std::vector<std::string>{"Node38"});
    EXPECT_EQ(second->pushed[0], window->pushed[0]);
    EXPECT_EQ(f.Navigation().StoredTreeStructure(), smaller);
}

TEST(NavHelpers, SubTreesByFunctionId) {
    const std::string tree = DesignTimeTreeStructure();
    const std::string resets = GetSubTreeXml(tree, "functionId", "10");
    EXPECT_EQ(resets.rfind("<?xml version=\"1.0\"?><treeview><node key=\"Node38\"", 0), 0u);
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(resets.c_str()));
    EXPECT_EQ(doc.select_nodes("/treeview/node").size(), 1u);
    EXPECT_EQ(KeysOf(resets), (std::vector<std::string>{"Node38", "Node39", "Node40", "Node41"}));

    EXPECT_EQ(GetSubTreeXml(tree, "functionId", "4"), "");
    // An empty id selects nothing (the search would otherwise match the root).
    EXPECT_EQ(GetSubTreeXml(tree, "functionId", ""), "");

    std::vector<std::string> offline;
    for (int i = 0; i <= 20; ++i)
        offline.push_back("Node" + std::to_string(i));
    EXPECT_EQ(KeysOf(GetSubTreeXml(tree, "functionId", "1")), offline);
}

TEST(NavHelpers, SearchIsExactCaseSensitiveAndDepthFirst) {
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(DesignTimeTreeStructure()));
    const auto roots = ElementsByTagName(doc, "treeview");
    ASSERT_EQ(roots.size(), 1u);
    EXPECT_STREQ(FindNodeByAttribute(roots, "caption", "$(tvOffline)").attribute("key").value(),
                 "Node0");
    EXPECT_FALSE(FindNodeByAttribute(roots, "caption", "$(TVOFFLINE)"));
    EXPECT_FALSE(FindNodeByAttribute(roots, "caption", "$(tvOffline"));
    // Several nodes share "showMe": the first in document order wins.
    EXPECT_STREQ(FindNodeByAttribute(roots, "showFlag", "showMe").attribute("key").value(),
                 "Node2");
    EXPECT_FALSE(FindNodeByAttribute(roots, "ctl", ""));
    EXPECT_FALSE(FindNodeByAttribute({}, "key", "Node0"));
}

TEST(NavHelpers, WrapAndParseErrorTexts) {
    EXPECT_EQ(WrapTreeXml("<node key=\"A\"/>"),
              "<?xml version=\"1.0\"?><treeview><node key=\"A\"/></treeview>");
    EXPECT_EQ(GetXmlParseErrorText(nullptr, "<x/>"), "");

    pugi::xml_document doc;
    const std::string empty;
    pugi::xml_parse_result result = doc.load_string(empty.c_str());
    EXPECT_EQ(GetXmlParseErrorText(&result, empty, "tree.xml"),
              "Your XML Document failed to loaddue the following error.\r\n"
              "Error #: 16: No document element found\r\n"
              "Line #: 1\r\n"
              "Line Position: 1\r\n"
              "Position In File: 1\r\n"
              "Source Text: \r\n"
              "Document URL: tree.xml");

    const std::string text = "<treeview>\n  <node key=a/>\n</treeview>";
    result = doc.load_string(text.c_str());
    EXPECT_EQ(GetXmlParseErrorText(&result, text),
              "Your XML Document failed to loaddue the following error.\r\n"
              "Error #: 12: Error parsing element attribute\r\n"
              "Line #: 2\r\n"
              "Line Position: 13\r\n"
              "Position In File: 24\r\n"
              "Source Text:   <node key=a/>\r\n"
              "Document URL: ");
}

TEST(clsHiddenRef, GivesTheObjectWhileItLivesAndNothingAfter) {
    clsHiddenRef<int> ref;
    EXPECT_EQ(ref.Item(), nullptr);
    auto value = std::make_shared<int>(5);
    ref.SetItem(value);
    EXPECT_EQ(value.use_count(), 1);  // no counted reference taken
    ASSERT_NE(ref.Item(), nullptr);
    EXPECT_EQ(*ref.Item(), 5);
    value.reset();
    EXPECT_EQ(ref.Item(), nullptr);
}

}  // namespace
}  // namespace kv
