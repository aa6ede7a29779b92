// The context's parts for the DTM object: GUI list, user manager, device-type catalogue, the
// frame's events and the load of a property bag.

#include "platform/runtime/DTMContext.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/fdt/FdtFrameInterfaces.h"
#include "platform/runtime/DataSet.h"
#include "platform/runtime/DeviceTypeInfo.h"
#include "platform/runtime/GUIManager.h"
#include "platform/runtime/IChannels.h"
#include "platform/runtime/IDTMEvents.h"
#include "platform/runtime/IDeviceTypeInfo.h"
#include "platform/runtime/IGUIManager.h"
#include "platform/runtime/IParameters.h"
#include "platform/runtime/IPrivateDataElement.h"
#include "platform/runtime/IPropertyBag.h"
#include "platform/runtime/ManualEventLoop.h"
#include "platform/runtime/PropertyBag.h"
#include "platform/runtime/UserManager.h"
#include "support/GuiFakes.h"
#include "support/NullFakes.h"

namespace kv {
namespace {

using test_support::FakeGUI;
using test_support::NamedElement;
using test_support::TestContainer;

// A persisted object that notes whether the data set was in a bulk update while it loaded.
class BulkProbe : public IPersistObject {
  public:
    explicit BulkProbe(IParameters& parameters) : parameters_(parameters) {}
    bool InitNew() override { return true; }
    bool Load(const IPropertyBag&) override {
        bulkDuringLoad = parameters_.BulkUpdateActive();
        return true;
    }
    bool Save(IPropertyBag& bag) override {
        bag.Write("Probe", Variant(true));
        return true;
    }
    bool bulkDuringLoad = false;

  private:
    IParameters& parameters_;
};

// A process channel that counts how often it is read from a bag and written to one.
class CountingChannel : public IPrivateChannel {
  public:
    Variant Assigned() const override { return Variant::Null(); }
    bool ReadFromPropBag(const IPropertyBag&, IDTMContext*) override { return ++reads > 0; }
    bool WriteToPropBag(IPropertyBag&, IDTMContext*) override { return ++writes > 0; }
    int reads = 0;
    int writes = 0;
};

TEST(GUIManager, RegistrationByGuiFunctionCall) {
    GUIManager list;
    auto main = std::make_shared<FakeGUI>();
    auto page = std::make_shared<FakeGUI>();
    EXPECT_TRUE(list.RegisterGUI("M", main, true));
    EXPECT_TRUE(list.RegisterGUI("M.ctlId$", page, false));
    EXPECT_FALSE(list.RegisterGUI("M", std::make_shared<FakeGUI>(), true));  // taken
    EXPECT_FALSE(list.RegisterGUI("", std::make_shared<FakeGUI>(), true));
    EXPECT_FALSE(list.RegisterGUI("X", nullptr, true));
    EXPECT_EQ(list.FunctionIds(), (std::vector<std::string>{"M", "M.ctlId$"}));
    EXPECT_EQ(list.GetGUI("M.ctlId$"), page);
    EXPECT_TRUE(list.IsTopLevel("M"));
    EXPECT_FALSE(list.IsTopLevel("M.ctlId$"));
    list.GUIShown("M");
    EXPECT_TRUE(list.IsShown("M"));
    list.GUIHidden("M");
    EXPECT_FALSE(list.IsShown("M"));

    // A user interface that is gone is not reached and frees its call.
    page.reset();
    EXPECT_EQ(list.GetGUI("M.ctlId$"), nullptr);
    EXPECT_EQ(list.FunctionIds(), std::vector<std::string>{"M"});
    auto again = std::make_shared<FakeGUI>();
    EXPECT_TRUE(list.RegisterGUI("M.ctlId$", again, false));
    EXPECT_EQ(list.GetGUI("M.ctlId$"), again);
    EXPECT_TRUE(list.UnregisterGUI("M"));
    EXPECT_FALSE(list.UnregisterGUI("M"));
}

TEST(GUIManager, NotificationsSurviveUnregisteringAndFailingUserInterfaces) {
    GUIManager list;
    NamedElement element("PHYS/TAG_DESC");
    auto a = std::make_shared<FakeGUI>();
    auto b = std::make_shared<FakeGUI>();
    auto c = std::make_shared<FakeGUI>();
    list.RegisterGUI("A", a, true);
    list.RegisterGUI("B", b, true);
    list.RegisterGUI("C", c, true);
    // A closes B while it is told; B then hears nothing more. C fails but is told.
    a->onChanged = [&](IPrivateDataElement&) { list.UnregisterGUI("B"); };
    c->onChanged = [](IPrivateDataElement&) { throw std::runtime_error("page failed"); };
    list.ParameterChanged(element, "");
    EXPECT_EQ(a->changed.size(), 1u);
    EXPECT_TRUE(b->changed.empty());
    EXPECT_EQ(c->changed.size(), 1u);
    // A user interface may unregister itself while it is told.
    a->onChanged = [&](IPrivateDataElement&) { list.UnregisterGUI("A"); };
    list.ParameterChanged(element, "");
    EXPECT_EQ(a->changed.size(), 2u);
    EXPECT_EQ(c->changed.size(), 2u);
    EXPECT_EQ(list.FunctionIds(), std::vector<std::string>{"C"});

    list.ValidateAll();
    list.ParameterSetChanged();
    list.SetLocked(true);
    EXPECT_EQ(c->validations, 1);
    EXPECT_EQ(c->setChanged, 1);
    EXPECT_EQ(c->lockStates, std::vector<bool>{true});
    EXPECT_TRUE(list.Locked());
}

TEST(GUIManager, CloseAllClosesMainWindowsFirstAndReportsRefusals) {
    GUIManager list;
    std::vector<std::string> order;
    auto main = std::make_shared<FakeGUI>();
    auto child = std::make_shared<FakeGUI>();
    auto stubborn = std::make_shared<FakeGUI>();
    stubborn->closes = false;
    list.RegisterGUI("M.1$", child, false);
    list.RegisterGUI("M", main, true);
    list.RegisterGUI("S", stubborn, true);
    // The main window releases its child page itself.
    main->onClose = [&] {
        order.push_back("M");
        list.UnregisterGUI("M.1$");
    };
    child->onClose = [&] { order.push_back("M.1$"); };
    EXPECT_FALSE(list.CloseAll());
    EXPECT_EQ(order, std::vector<std::string>{"M"});
    EXPECT_EQ(child->closeCalls, 0);
    EXPECT_TRUE(list.HasOpenGUIs());
    EXPECT_EQ(list.FunctionIds(), std::vector<std::string>{"S"});
    stubborn->closes = true;
    EXPECT_TRUE(list.CloseAll());
    EXPECT_FALSE(list.HasOpenGUIs());
}

TEST(GUIManager, LanguageIdsAboveZeroAreTaken) {
    GUIManager list;
    auto gui = std::make_shared<FakeGUI>();
    list.RegisterGUI("M", gui, true);
    EXPECT_EQ(list.Language(), 9);
    list.SetLanguage(1031);
    list.SetLanguage(0);
    list.SetLanguage(-7);
    EXPECT_EQ(list.Language(), 1031);
    EXPECT_EQ(gui->languages, std::vector<int32_t>{1031});
}

TEST(UserManager, RolesGiveUserLevels) {
    struct Case {
        const char* role;
        int32_t level;
    };
    const Case cases[] = {{"Observer", 1},          {"Operator", 2},      {"Maintenance", 3},
                          {"Planning Engineer", 3}, {"Administrator", 4}, {"OEM Service", 4},
                          {"administrator", 4}};
    DTMContext context(std::make_shared<ManualEventLoop>());
    for (const Case& c : cases) {
        UserManager users;
        const std::string doc =
            std::string("<FDT><UserInformation userName=\"U\" role=\"") + c.role + "\"/></FDT>";
        EXPECT_TRUE(users.Config(doc, context)) << c.role;
        EXPECT_EQ(users.UserLevel(), c.level) << c.role;
        EXPECT_EQ(users.UserName(), "U");
    }
}

TEST(UserManager, UnusableUserInformationLeavesTheUser) {
    DTMContext context(std::make_shared<ManualEventLoop>());
    UserManager users;
    ASSERT_TRUE(users.Config(R"(<FDT><UserInformation role="Operator"/></FDT>)", context));
    for (const char* doc : {"", "<FDT>", "<FDT/>", R"(<FDT><UserInformation/></FDT>)",
                            R"(<FDT><UserInformation role="Guest"/></FDT>)",
                            R"(<Other><UserInformation role="Observer"/></Other>)"}) {
        EXPECT_FALSE(users.Config(doc, context)) << doc;
        EXPECT_EQ(users.UserLevel(), 2) << doc;
        EXPECT_EQ(users.Role(), "Operator") << doc;
    }
}

TEST(DeviceTypeInfo, SelectionCatalogueAndPersistence) {
    DTMContext context(std::make_shared<ManualEventLoop>());
    DeviceTypeInfo dt;
    EXPECT_EQ(dt.FindInCatalog(context), std::nullopt);  // never selected
    EXPECT_FALSE(dt.SelectDeviceType("KV6274", context));
    ASSERT_TRUE(dt.SelectDeviceType("kv6274pa", context));
    EXPECT_EQ(dt.DeviceType(), "KV6274PA");
    EXPECT_TRUE(dt.CatalogValue1().isEmpty());  // the DTM object copies those
    const std::optional<DeviceTypeCatalogEntry> found = dt.FindInCatalog(context);
    ASSERT_TRUE(found);
    const DeviceTypeCatalogEntry& entry = *found;
    EXPECT_EQ(entry.identValue1, Variant(int32_t{2910}));
    EXPECT_EQ(entry.catalogValue4, Variant("Profibus DP/V1"));

    dt.SetCatalogValue3(entry.catalogValue3);
    PropertyBag bag;
    ASSERT_TRUE(dt.Save(bag));
    DeviceTypeInfo loaded;
    ASSERT_TRUE(loaded.Load(bag));
    EXPECT_EQ(loaded.DeviceType(), "KV6274PA");
    EXPECT_EQ(loaded.IdentValue2(), Variant(int32_t{4109}));
    EXPECT_EQ(loaded.IdentValue3(), Variant("KV6274"));
    EXPECT_EQ(loaded.CatalogValue3(), Variant("PROFIBUS PA Profile 3.0"));
    EXPECT_TRUE(loaded.CatalogValue1().isEmpty());

    // An identity of another ident number is not in the catalogue; a text "2910" is no number.
    DeviceTypeInfo other;
    other.SetIdentity("KV6274PA", Variant(int32_t{2911}), Variant(int32_t{4109}), Variant("X"));
    EXPECT_EQ(other.FindInCatalog(context), std::nullopt);
    other.SetIdentity("KV6274PA", Variant("2910"), Variant(int32_t{4109}), Variant("X"));
    EXPECT_EQ(other.FindInCatalog(context), std::nullopt);

    // A damaged value loads nothing; a bag without a device type loads "never selected".
    PropertyBag damaged = bag;
    damaged.Write("DeviceType.IdentValue1", Variant(std::vector<uint8_t>{1, 2}));
    EXPECT_FALSE(loaded.Load(damaged));
    EXPECT_EQ(loaded.IdentValue1(), Variant(int32_t{2910}));
    EXPECT_TRUE(loaded.Load(PropertyBag()));
    EXPECT_TRUE(loaded.IdentValue1().isEmpty());
    EXPECT_EQ(loaded.DeviceType(), "");
}

TEST(DTMContextEvents, TheContainersSinkIsReachedWhileTheFrameKeepsIt) {
    DTMContext context(std::make_shared<ManualEventLoop>());
    EXPECT_EQ(context.DTMEvents(), nullptr);
    auto container = std::make_shared<TestContainer>();
    context.SetContainer(container);
    ASSERT_NE(context.DTMEvents(), nullptr);
    context.DTMEvents()->OnFunctionChanged("T1");
    context.DTMEvents()->PreparedToRelease("T1");
    EXPECT_EQ(container->events,
              (std::vector<std::string>{"OnFunctionChanged:T1", "OnPreparedToRelease:T1"}));
    container.reset();
    EXPECT_EQ(context.Container(), nullptr);
    EXPECT_EQ(context.DTMEvents(), nullptr);
    context.SetContainer(std::make_shared<TestContainer>(false));
    EXPECT_EQ(context.DTMEvents(), nullptr);
}

// A load is one bulk update that the user interfaces hear of once; a load and a save take every
// part of the instance once.
TEST(DTMContextPersistence, LoadRunsAsOneBulkUpdateAndTellsUserInterfacesOnce) {
    auto context = std::make_shared<DTMContext>(std::make_shared<ManualEventLoop>());
    auto set = std::make_shared<DataSet>(*context);
    context->SetParameters(set);
    set->AddElement(std::make_shared<NamedElement>("A"));
    set->AddElement(std::make_shared<NamedElement>("B"));
    auto channel = std::make_shared<CountingChannel>();
    set->Channels().Add(channel);
    auto probe = std::make_shared<BulkProbe>(*set);
    context->AddPersistObject(probe, "Probe");
    auto gui = std::make_shared<FakeGUI>();
    context->GUIManager().RegisterGUI("M", gui, true);

    PropertyBag bag;
    bag.Write("A", Variant(int32_t{5}));
    bag.Write("B", Variant("x"));
    EXPECT_TRUE(context->ReadProperties(bag));
    EXPECT_EQ(channel->reads, 1);
    EXPECT_TRUE(probe->bulkDuringLoad);
    EXPECT_FALSE(set->BulkUpdateActive());
    EXPECT_EQ(set->Item("A")->TransientValue(), Variant(int32_t{5}));
    EXPECT_TRUE(gui->changed.empty());
    EXPECT_EQ(gui->setChanged, 1);
    EXPECT_EQ(set->ModifiedState(), 0);

    // Later changes reach the user interfaces again.
    set->ElementChanged(*set->Item("B"), "");
    EXPECT_EQ(gui->changed, std::vector<std::string>{"B"});

    PropertyBag saved;
    EXPECT_TRUE(context->WriteProperties(saved));
    EXPECT_EQ(channel->writes, 1);
    EXPECT_TRUE(saved.Contains("A"));
    EXPECT_TRUE(saved.Contains("Probe"));
    EXPECT_TRUE(saved.Contains("DeviceType.Name"));

    // A second object under the same name replaces the first.
    auto replacement = std::make_shared<BulkProbe>(*set);
    context->AddPersistObject(replacement, "Probe");
    EXPECT_EQ(context->PersistObjects().size(), 1u);
}

}  // namespace
}  // namespace kv
