// The function catalogue and the documentation nodes of the data elements.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <pugixml.hpp>
#include <sstream>
#include <stdexcept>

#include "core/clsFunctionMan.h"
#include "platform/fdt/FdtFrameInterfaces.h"
#include "platform/runtime/DTMDictionary.h"
#include "platform/runtime/FdtDocuments.h"
#include "platform/runtime/IDTMEvents.h"
#include "platform/runtime/IStateObject.h"
#include "support/IdleCommunication.h"
#include "support/NullFakes.h"
#include "support/PersistenceFixture.h"

namespace kv {
namespace {

using Instance = test_support::PersistenceInstance;

struct RecordingEvents : test_support::NullDTMEvents {
    void OpenGUIRequest(const std::string& tag, const std::string& call) override {
        if (refuse)
            throw std::runtime_error("refused");
        opened.emplace_back(tag, call);
    }
    void InvokedFunctionFinished(const std::string& id, bool ok) override {
        finished.emplace_back(id, ok);
    }
    bool refuse = false;
    std::vector<std::pair<std::string, std::string>> opened;
    std::vector<std::pair<std::string, bool>> finished;
};

struct Communication : test_support::IdleCommunication {
    bool HasCommunication() const override { return true; }
};

struct PhaseHolder : IStateObject, IOperationPhaseHolder {
    void Init(IDTMContext&) override {}
    void Terminate() override {}
    void SetLastOpPhase(std::shared_ptr<IOperationPhase> p) override { phase = std::move(p); }
    std::shared_ptr<IOperationPhase> phase;
};

struct Container : IFdtContainer {
    IDtmEventSink* Events() override { return nullptr; }
    bool RequestSave(const std::string& tag) override {
        saved.push_back(tag);
        return answer;
    }
    bool answer = true;
    std::vector<std::string> saved;
};

struct Catalogue : Instance {
    std::shared_ptr<clsFunctionMan> functions = std::make_shared<clsFunctionMan>();
    std::shared_ptr<RecordingEvents> events = std::make_shared<RecordingEvents>();
    Catalogue() {
        context.SetFunctions(functions);
        context.SetDTMEvents(events);
        context.SetSystemTag("Tag1");
    }
    std::shared_ptr<IFunctionCall> Call(int32_t applicationId, Variant argument = {}) {
        auto call = NewFunctionCall();
        call->SetApplicationId(applicationId);
        call->SetFunctionArgument(argument);
        return call;
    }
    // The documentation's variables as (node id, name) in document order.
    std::vector<std::pair<std::string, std::string>> Document(int32_t id, Variant arg = {}) {
        std::string xml = functions->GetDocumentation(context, *Call(id, arg));
        pugi::xml_document doc;
        EXPECT_TRUE(doc.load_string(xml.c_str())) << xml;
        std::vector<std::pair<std::string, std::string>> out;
        for (auto v : doc.child("FDT").child("DocumentVariables").children("DocumentVariable"))
            out.emplace_back(v.attribute("fdt:nodeId").value(), v.attribute("fdt:name").value());
        return out;
    }
};

using Vars = std::vector<std::pair<std::string, std::string>>;

TEST(FunctionCatalogue, ProgIdsAndMasks) {
    Catalogue c;
    struct Row {
        int32_t id;
        const char* progId;
        int32_t mask;
    };
    const Row rows[] = {
        {1, "KV6274PA.ctlNavigationMain", 0x2000000},
        {2, "KV6274PA.ctlNavigationMain", 0x200000},
        {3, "KV6274PA.ctlNavigationMain", 0x200000},
        {4, "", 0x800000},
        {5, "KV6274PA.ctlNavigationMain", 0x100000},
        {6, "", 0},
        {7, "KV6274PA.ctlNavigationMain", 0x800000},
        {8, "KV6274PA.ctlNavigationMain", 0x800000},
        {9, "KV6274PA.ctlNavigationMain", 0x2000000},
        {10, "KV6274PA.ctlNavigationMain", 0x800000},
        {13, "KV6274PA.ctlNavigationMain", 0x800000},
        {14, "KV6274PA.ctlNavigationMain", 0x2AF0000},
        {15, "KV6274PA.ctlAbout", 0},
        {501, "", 0},
        {16, "", 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.id);
        EXPECT_EQ(c.functions->GetActiveXProgId(c.context, *c.Call(r.id)), r.progId);
        EXPECT_EQ(clsFunctionMan::DocumentationMask(r.id), r.mask);
    }
}

TEST(FunctionCatalogue, FunctionListWithAndWithoutCommunication) {
    for (bool withComm : {false, true}) {
        SCOPED_TRACE(withComm);
        Catalogue c;
        auto holder = std::make_shared<PhaseHolder>();
        c.context.SetStateObject(holder);
        if (withComm)
            c.context.SetCommunicationManager(std::make_shared<Communication>());
        auto phase = NewOperationPhase();
        std::string xml = c.functions->GetFunctions(c.context, phase);
        EXPECT_EQ(holder->phase, phase);
        pugi::xml_document doc;
        ASSERT_TRUE(doc.load_string(xml.c_str())) << xml;
        std::vector<std::string> names;
        for (auto g : doc.child("FDT").child("Functions").children("FunctionGroup")) {
            names.push_back(g.attribute("name").value());
            EXPECT_EQ(g.attribute("flags").as_int(-1), withComm ? 4 : 0);
            EXPECT_EQ(g.attribute("options").as_int(-1), 0);
        }
        EXPECT_EQ(names, (std::vector<std::string>{"Trend", "Measure", "Diagnosis", "Simulation",
                                                   "Operation"}));
        EXPECT_TRUE(
            doc.select_node("/FDT/Functions/FunctionGroup[@name='Trend']/"
                            "Function[@functionId='8']"));
    }
}

// The functions document names each function from the dictionary's section "DTMFunctions" in the
// instance's language; the manual and the help that the section names lie beside the program.
TEST(FunctionCatalogue, FunctionNamesAndDocumentsInBothLanguages) {
    struct Language {
        int32_t id;
        const char* htmlLang;
        std::map<std::string, std::string> names;  // function id -> name
    };
    const Language languages[] = {
        {9,
         "en",
         {{"1", "Parameters"},
          {"2", "Operation"},
          {"3", "Simulation"},
          {"5", "Diagnosis"},
          {"7", "Measured values"},
          {"8", "Trend"},
          {"9", "Bus address"},
          {"10", "Resets"},
          {"11", "Initialisation and calibration"},
          {"12", "Write lock"},
          {"13", "Diagnosis options"},
          {"14", "Block parameters"},
          {"15", "About"},
          {"501", "Open the DTM"}}},
        {7,
         "de",
         {{"1", "Parameter"},
          {"2", "Betrieb"},
          {"3", "Simulation"},
          {"5", "Diagnose"},
          {"7", "Messwerte"},
          {"8", "Trend"},
          {"9", "Busadresse"},
          {"10", "Rücksetzen"},
          {"11", "Initialisierung und Kalibrierung"},
          {"12", "Schreibsperre"},
          {"13", "Diagnoseoptionen"},
          {"14", "Blockparameter"},
          {"15", "Info"},
          {"501", "DTM öffnen"}}},
    };
    for (const Language& language : languages) {
        SCOPED_TRACE(language.id);
        Catalogue c;
        c.context.SetDictionary(std::make_shared<DTMDictionary>());
        IDTMDictionary& dictionary = c.context.Dictionary();
        ASSERT_TRUE(dictionary.Load(c.context, "DTMDictionary"));
        ASSERT_TRUE(dictionary.SetLanguage(language.id, false));
        const std::string xml = c.functions->GetFunctions(c.context, NewOperationPhase());
        pugi::xml_document doc;
        ASSERT_TRUE(doc.load_string(xml.c_str())) << xml;
        std::map<std::string, std::string> names;
        for (const pugi::xpath_node& n : doc.select_nodes("//*[@functionId]"))
            names[n.node().attribute("functionId").value()] = n.node().attribute("name").value();
        EXPECT_EQ(names, language.names);

        // Functions 4 and 6 have no user interface and are not offered; they have labels all
        // the same.
        for (const char* key : {"func_4", "func_6"})
            EXPECT_TRUE(dictionary.GetText("DTMFunctions", key, "label").isString()) << key;
        const std::filesystem::path folder =
            std::filesystem::path(c.context.XMLHelper().XMLDataPath()).parent_path();
        for (const char* key : {"func_doc", "func_help"}) {
            SCOPED_TRACE(key);
            const Variant path = dictionary.GetText("DTMFunctions", key, "path");
            ASSERT_TRUE(path.isString());
            std::ifstream file(folder / path.str());
            ASSERT_TRUE(file) << (folder / path.str());
            std::stringstream text;
            text << file.rdbuf();
            EXPECT_NE(text.str().find(std::string("<html lang=\"") + language.htmlLang + "\">"),
                      std::string::npos);
        }
    }
}

TEST(FunctionCatalogue, InvokeOpensTheMainWindowOnlyForItsFunction) {
    Catalogue c;
    EXPECT_FALSE(c.functions->InvokeFunctionRequest(c.context, "I1", *c.Call(1)));
    EXPECT_TRUE(c.events->opened.empty());
    EXPECT_TRUE(c.events->finished.empty());

    auto call = c.Call(501);
    EXPECT_TRUE(c.functions->InvokeFunctionRequest(c.context, "I2", *call));
    ASSERT_EQ(c.events->opened.size(), 1u);
    EXPECT_EQ(c.events->opened[0].first, "Tag1");
    auto parsed = NewFunctionCall();
    ASSERT_TRUE(parsed->Parse(c.events->opened[0].second, c.context));
    EXPECT_EQ(parsed->ApplicationId(), 501);
    EXPECT_EQ(c.events->finished, (std::vector<std::pair<std::string, bool>>{{"I2", true}}));

    // A frame that refuses the user interface gets a failed finish, and the next request runs.
    c.events->refuse = true;
    EXPECT_FALSE(c.functions->InvokeFunctionRequest(c.context, "I3", *call));
    EXPECT_EQ(c.events->finished.back(), (std::pair<std::string, bool>{"I3", false}));
    c.events->refuse = false;
    EXPECT_TRUE(c.functions->InvokeFunctionRequest(c.context, "I4", *call));
    EXPECT_EQ(c.events->finished.back(), (std::pair<std::string, bool>{"I4", true}));
}

TEST(FunctionCatalogue, GUIRequests) {
    Catalogue c;
    EXPECT_TRUE(c.functions->OnGUIRequest(c.context, "", Variant(int32_t{15}), 1));
    ASSERT_EQ(c.events->opened.size(), 1u);
    auto parsed = NewFunctionCall();
    ASSERT_TRUE(parsed->Parse(c.events->opened[0].second, c.context));
    EXPECT_EQ(parsed->ApplicationId(), 15);

    EXPECT_FALSE(c.functions->OnGUIRequest(c.context, "", {}, 2));  // no container yet
    auto container = std::make_shared<Container>();
    c.context.SetContainer(container);
    EXPECT_TRUE(c.functions->OnGUIRequest(c.context, "", {}, 2));
    container->answer = false;
    EXPECT_FALSE(c.functions->OnGUIRequest(c.context, "", {}, 2));
    EXPECT_EQ(container->saved, (std::vector<std::string>{"Tag1", "Tag1"}));
    EXPECT_FALSE(c.functions->OnGUIRequest(c.context, "", {}, 3));
}

// --- documentation ---

clsDataElement& Doc(Catalogue& c, const std::string& path, int32_t block, int16_t relIndex,
                    int32_t groups) {
    clsDataElement& e = c.Add(path, vtUnsigned8, Variant(uint8_t{1}));
    e.BlockType = block;
    e.RelIndex = relIndex;
    e.Label = path;
    e.SetElementMode(e.ElementMode() | groups);
    return e;
}

TEST(FunctionCatalogue, BlockDocumentationNumbersByBlockAndRelativeIndex) {
    Catalogue c;
    Doc(c, "TRANS/1/Act/A", pbfTransducerBlock, 8, 0x10000);
    Doc(c, "PHYS/B", pbfPhysicalBlock, 8, 0x20000);
    Doc(c, "FUNC/1/AO/C", pbfFunctionAOBlock, 8, 0x2000000);
    Doc(c, "PHYS/D", pbfPhysicalBlock, 7, 0x10000);
    Doc(c, "PHYS/R/", pbfPhysicalBlock, 8, 0x10000).SetValueType(vtRecord);
    Doc(c, "PHYS/R/M1", pbfPhysicalBlock, 8, 0x10000);
    Doc(c, "PHYS/R/M2", pbfPhysicalBlock, 8, 0x10000);
    auto& bits = Doc(c, "PHYS/BITS/", pbfPhysicalBlock, 9, 0x10000);
    bits.bBitEncoding = true;
    Doc(c, "PHYS/BITS/B0", pbfPhysicalBlock, 9, 0x10000);
    Doc(c, "DEV/X", pbfNoneBlock, 3, 0x10000);
    Doc(c, "PHYS/NOT_SELECTED", pbfPhysicalBlock, 1, 0x1000000);

    EXPECT_EQ(c.Document(14), (Vars{{"N7", "7: PHYS/D"},
                                    {"N8", "8: PHYS/B"},
                                    {"N8.1", "8: PHYS/R/"},
                                    {"N8.2", "8: PHYS/R/M1"},
                                    {"N8.3", "8: PHYS/R/M2"},
                                    {"N9", "9: PHYS/BITS/"},
                                    {"N108", "8: TRANS/1/Act/A"},
                                    {"N208", "8: FUNC/1/AO/C"}}));
    ASSERT_NE(c.functions->DocFuncCall(), nullptr);
    EXPECT_EQ(c.functions->DocFuncCall()->ApplicationId(), 14);
}

TEST(FunctionCatalogue, DocumentationSelectionAndPrintOrders) {
    Catalogue c;
    auto& a = Doc(c, "A", pbfPhysicalBlock, 1, 0x80000);    // group 3
    auto& b = Doc(c, "B", pbfPhysicalBlock, 2, 0x2000000);  // group 9
    auto& d = Doc(c, "D", pbfPhysicalBlock, 3, 0x2000000);
    a.SetPrintOrder(0, Variant(int16_t{5}));
    b.SetPrintOrder(0, Variant(int16_t{2}));
    (void)d;  // no print order for list 0: left out of function 1
    // The numeric argument 3 selects group 3 whatever the function.
    EXPECT_EQ(c.Document(1, "3"), (Vars{{"N5", "A"}}));
    EXPECT_EQ(c.Document(1, "12"), Vars{});
    EXPECT_EQ(c.Document(1), (Vars{{"N2", "B"}}));
    // A function without print orders keeps every node without an id, in data-set order.
    EXPECT_EQ(c.Document(9), (Vars{{"", "B"}, {"", "D"}}));
    EXPECT_EQ(c.Document(6), Vars{});
}

TEST(FunctionCatalogue, DocumentationDisplayTexts) {
    Catalogue c;
    auto& f = c.Add("F", vtFloat, Variant(3.14159f));
    f.SetElementMode(0x10000);
    auto& g = c.Add("G", vtDouble, Variant(12.5));
    g.nTransientUnit = 1342;
    g.SetElementMode(0x10000);
    auto& l = c.Add("L", vtUnsigned8, Variant(uint8_t{1}));
    l.ValueList = "0:Off|1:On";
    l.SetElementMode(0x10000);
    auto& u = c.Add("U", vtUnsigned32, Variant(4294967295.0));
    u.ValueList = "-1:All|0:None";
    u.SetElementMode(0x10000);
    auto& o = c.Add("O", vtOctetString, ByteArray{{0x01, 0xAB}, 0});
    o.SetElementMode(0x10000);
    auto& bad = c.Add("X", vtUnsigned8, Variant("abc"));
    bad.ValueList = "0:Off";
    bad.SetElementMode(0x10000);
    bad.SetValidity(false);

    auto displays = [&]() {
        std::string xml = c.functions->GetDocumentation(c.context, *c.Call(6, "0"));
        pugi::xml_document doc;
        EXPECT_TRUE(doc.load_string(xml.c_str()));
        std::vector<std::string> out;
        for (auto v : doc.child("FDT").child("DocumentVariables").children("DocumentVariable"))
            out.push_back(std::string(v.attribute("fdt:display").value()) + "|" +
                          v.attribute("fdt:statusFlag").value());
        return out;
    };
    EXPECT_EQ(displays(), (std::vector<std::string>{"3.142|ok", "12.5 [%]|ok", "On|ok", "All|ok",
                                                    "01AB|ok", "abc|invalid"}));
    c.context.SetLocale(NumberLocale{',', '.'});
    EXPECT_EQ(displays()[0], "3,142|ok");
}

TEST(FunctionCatalogue, DocumentNodeIdsStayUnique) {
    Catalogue c;
    auto& e = c.Add("E", vtUnsigned8, Variant(uint8_t{0}));
    pugi::xml_document doc;
    pugi::xml_node list = doc.append_child("FDT").append_child("DocumentVariables");
    for (const char* id : {"N7", "N7.1", "N7.2"})
        list.append_child("DocumentVariable").append_attribute("fdt:nodeId").set_value(id);
    auto place = [&](int16_t order) {
        pugi::xml_node node = list.append_child("DocumentVariable");
        return std::string(
            e.CreateDocumentVariableNode(c.context, node, order).attribute("fdt:nodeId").value());
    };
    EXPECT_EQ(place(8), "N8");  // a new order starts with its plain id
    EXPECT_EQ(place(8), "N8.1");
    EXPECT_EQ(place(7), "N7.3");  // never a second N7.2
    std::vector<std::string> ids;
    for (auto v : list.children("DocumentVariable"))
        ids.push_back(v.attribute("fdt:nodeId").value());
    EXPECT_EQ(ids, (std::vector<std::string>{"N7", "N7.1", "N7.2", "N7.3", "N8", "N8.1"}));

    // A node outside the list (no variable without an id to stop at) goes last.
    pugi::xml_node stray = doc.child("FDT").append_child("Elsewhere");
    pugi::xml_node placed = e.CreateDocumentVariableNode(c.context, stray, 9);
    EXPECT_EQ(placed.parent(), list);
    EXPECT_EQ(list.last_child(), placed);
    EXPECT_FALSE(doc.child("FDT").child("Elsewhere"));
}

}  // namespace
}  // namespace kv
