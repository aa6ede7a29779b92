// The DTM object's release and information calls against counting stand-ins of the runtime's
// communication manager and dictionary (the end-to-end behaviour is tested with the frame).

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "dtm/DTMMain.h"
#include "dtm/DtmInstance.h"
#include "platform/fdt/FdtFrameInterfaces.h"
#include "platform/runtime/DTMContext.h"
#include "platform/runtime/IDTMDictionary.h"
#include "platform/runtime/IGUIManager.h"
#include "platform/runtime/IParameters.h"
#include "platform/runtime/ManualEventLoop.h"
#include "support/GuiFakes.h"
#include "support/IdleCommunication.h"

namespace kv {
namespace {

using test_support::FakeGUI;
using test_support::TestContainer;

// A channel that is never used: the communication manager below only holds it.
class IdleChannel : public IFdtCommunication {
  public:
    bool ConnectRequest(std::weak_ptr<IFdtCommunicationEvents>, const std::string&,
                        uint8_t) override {
        return false;
    }
    bool DisconnectRequest(const std::string&) override { return false; }
    bool TransactionRequest(const std::string&, const Dpv1Request&) override { return false; }
    void Abort() override {}
};

// Holds the channel and counts its releases.
class CountingLink : public test_support::IdleCommunication {
  public:
    std::shared_ptr<IFdtCommunication> Communication() const override { return channel; }
    void SetCommunication(std::shared_ptr<IFdtCommunication> c) override {
        if (c)
            owned = true;
        channel = std::move(c);
    }
    bool OwnsCommunication() const override { return owned; }
    bool ReleaseCommunication() override {
        ++releases;
        owned = false;
        return true;
    }
    std::shared_ptr<IFdtCommunication> channel;
    bool owned = false;
    int releases = 0;
};

// A dictionary that has English (9) and German (7) only and counts its loads.
class CountingDictionary : public IDTMDictionary {
  public:
    bool Load(IDTMContext&, const std::string& name) override {
        loads.push_back(name);
        loaded = true;
        return true;
    }
    bool HasDocument() const override { return loaded; }
    bool SetLanguage(int32_t languageId, bool) override {
        languages.push_back(languageId);
        return languageId == 7 || languageId == 9;
    }
    int32_t Language() const override { return languages.empty() ? 9 : languages.back(); }
    pugi::xml_node GetSection(const std::string&) const override { return {}; }
    pugi::xml_node GetSectionEntry(pugi::xml_node, const std::string&) const override { return {}; }
    Variant GetText(const std::string&, const std::string&, const std::string&) const override {
        return {};
    }
    Variant GetText(pugi::xml_node, const std::string&, const std::string&) const override {
        return {};
    }
    std::optional<std::string> GetXml(IDTMContext&, const std::string& xml,
                                      const std::string& section,
                                      const std::string& attribute) const override {
        completions.push_back(section + "/" + attribute);
        return xml;
    }
    bool loaded = false;
    std::vector<std::string> loads;
    std::vector<int32_t> languages;
    mutable std::vector<std::string> completions;
};

// An instance with its environment and device type.
struct Instance : test_support::DtmInstance {
    Instance() { SetUpDeviceType(); }
};

TEST(DTMMainIdentity, OnlyNoRefusesADeviceOfAnotherIdentity) {
    // Before any connection the communication object knows no identity: the device differs
    // from the expected one and the user is asked. The answer decides, whatever the runtime's
    // own verdict was.
    const struct {
        int32_t answer;
        bool runtimeVerdict;
        bool accepted;
    } cases[] = {{6, false, true},  {6, true, true},  {7, true, false},
                 {7, false, false}, {2, false, true}, {1, true, true}};
    for (const auto& c : cases) {
        Instance i;
        i.prompt->answers = {c.answer};
        EXPECT_EQ(i.dtm->ConnectionIsValidated(c.runtimeVerdict), c.accepted)
            << c.answer << " " << c.runtimeVerdict;
        ASSERT_EQ(i.prompt->questions.size(), 1u);
        EXPECT_EQ(i.prompt->questions[0].second, 52);
    }
}

TEST(DTMMainRelease, TheCommunicationIsReleasedOnceWhateverTheOrder) {
    Instance i;
    auto link = std::make_shared<CountingLink>();
    i.Concrete().SetCommunicationManager(link);
    ASSERT_TRUE(i.dtm->SetCommunication(std::make_shared<IdleChannel>()));
    EXPECT_TRUE(i.dtm->ReleaseCommunication());
    EXPECT_TRUE(i.dtm->PrepareToRelease());
    EXPECT_TRUE(i.dtm->ReleaseCommunication());
    EXPECT_EQ(link->releases, 1);
    EXPECT_EQ(link->channel, nullptr);
}

TEST(DTMMainRelease, AUserInterfaceThatStaysOpenStopsTheRelease) {
    for (bool closes : {false, true}) {
        Instance i;
        auto gui = std::make_shared<FakeGUI>();
        gui->closes = closes;
        i.Ctx().GUIManager().RegisterGUI("GUI1", gui, true);
        EXPECT_EQ(i.dtm->PrepareToRelease(), closes);
        EXPECT_EQ(gui->closeCalls, 1);
        EXPECT_EQ(i.prompt->messages,
                  closes ? std::vector<std::string>{}
                         : std::vector<std::string>{"Error closing user interaces."});
        EXPECT_EQ(i.Ctx().Parameters().DataSetState() == 4, closes);
    }
}

TEST(DTMMainGuard, FailuresAnswerTheFallbackAndAreOnRecord) {
    Instance i;
    // An FDT call: the frame's container fails while the environment is set.
    struct BrokenContainer : TestContainer {
        IDtmEventSink* Events() override { throw std::runtime_error("container broken"); }
    };
    EXPECT_FALSE(i.dtm->Environment("PV-102", std::make_shared<BrokenContainer>()));
    // A user interface that fails while it closes counts as staying open; the release stops.
    auto gui = std::make_shared<FakeGUI>();
    gui->onClose = [] { throw std::runtime_error("window refuses"); };
    i.Ctx().GUIManager().RegisterGUI("GUI1", gui, true);
    EXPECT_FALSE(i.dtm->PrepareToRelease());
    EXPECT_EQ(i.prompt->messages, std::vector<std::string>{"Error closing user interaces."});

    const auto& entries = i.Ctx().Diagnostics().Entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].where, "DTMMain::Environment");
    EXPECT_EQ(entries[0].what, "container broken");
    EXPECT_EQ(entries[1].where, "IPrivateGUI::CloseGUI");
    EXPECT_EQ(entries[1].what, "window refuses");
    i.Ctx().Diagnostics().Clear();
}

TEST(DTMMainInformation, DictionaryIsLoadedOnceAndFallsBackToThePrimaryLanguage) {
    struct Case {
        int32_t guiLanguage;
        std::vector<int32_t> tried;
    };
    const Case cases[] = {{7, {7}}, {2055, {2055, 7}}, {1033, {1033, 9}}};
    for (const Case& c : cases) {
        Instance i;
        auto dictionary = std::make_shared<CountingDictionary>();
        i.Concrete().SetDictionary(dictionary);
        i.dtm->SetLanguage(c.guiLanguage);
        dictionary->languages.clear();
        EXPECT_NE(i.dtm->GetInformation().find("<DtmInformation"), std::string::npos);
        EXPECT_FALSE(i.dtm->GetInformation().empty());
        EXPECT_EQ(dictionary->loads, std::vector<std::string>{"DTMDictionary"});
        EXPECT_EQ(dictionary->languages, c.tried) << c.guiLanguage;
        EXPECT_EQ(dictionary->completions, (std::vector<std::string>{"keys/text", "keys/text"}));
    }
}

}  // namespace
}  // namespace kv
