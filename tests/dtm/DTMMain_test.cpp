// The DTM object's creation, set-up and persistence as the frame drives them.

#include "dtm/DTMMain.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/DtmElements.h"
#include "dtm/DTMState.h"
#include "dtm/DtmInstance.h"
#include "platform/fdt/FdtFrameInterfaces.h"
#include "platform/runtime/DTMContext.h"
#include "platform/runtime/IChannels.h"
#include "platform/runtime/IDTMEvents.h"
#include "platform/runtime/IDeviceTypeInfo.h"
#include "platform/runtime/IGUIManager.h"
#include "platform/runtime/IParameters.h"
#include "platform/runtime/IPrivateDataElement.h"
#include "platform/runtime/IPrivateProcess.h"
#include "platform/runtime/IPropertyBag.h"
#include "platform/runtime/IUserManager.h"
#include "platform/runtime/ManualEventLoop.h"
#include "platform/runtime/PropertyBag.h"
#include "support/GuiFakes.h"
#include "support/IdleCommunication.h"

namespace kv {
namespace {

using test_support::FakeGUI;
using test_support::TestContainer;
using Instance = test_support::DtmInstance;

class ConnectedLink : public test_support::IdleCommunication {
  public:
    bool IsConnected() const override { return true; }
    bool IsOnline() const override { return true; }
};

TEST(DTMMainEnvironment, UnusableEnvironmentsAreRefused) {
    struct Case {
        const char* name;
        std::string tag;
        std::shared_ptr<IFdtContainer> container;
    };
    const Case cases[] = {
        {"empty tag", "", std::make_shared<TestContainer>()},
        {"no container", "PV-101", nullptr},
        {"container without events", "PV-101", std::make_shared<TestContainer>(false)},
    };
    for (const Case& c : cases) {
        Instance i;
        EXPECT_FALSE(i.dtm->Environment(c.tag, c.container)) << c.name;
        EXPECT_EQ(i.Ctx().SystemTag(), "") << c.name;
        EXPECT_EQ(i.Ctx().Container(), nullptr) << c.name;
        EXPECT_TRUE(i.prompt->messages.empty()) << c.name;
    }
}

TEST(DTMMainEnvironment, FreshObjectTakesTheEnvironmentWithoutCatalogueLookUp) {
    Instance i;
    EXPECT_TRUE(i.dtm->Environment("PV-101", i.container));
    EXPECT_EQ(i.Ctx().SystemTag(), "PV-101");
    EXPECT_EQ(i.Ctx().Container(), i.container.get());
    ASSERT_NE(i.Ctx().DTMEvents(), nullptr);
    EXPECT_TRUE(i.prompt->messages.empty());
    EXPECT_TRUE(i.Ctx().DeviceType()->CatalogValue1().isEmpty());
}

TEST(DTMMainInitNew, SelectsTheDeviceTypeBuildsTheModelAndEnablesTheCurveCheck) {
    Instance i;
    ASSERT_TRUE(i.dtm->Environment("PV-101", i.container));
    EXPECT_TRUE(i.dtm->InitNew("KV6274PA"));
    const IDeviceTypeInfo& dt = *i.Ctx().DeviceType();
    EXPECT_EQ(dt.DeviceType(), "KV6274PA");
    EXPECT_EQ(dt.IdentValue1(), Variant(int32_t{0x0B5E}));
    EXPECT_EQ(dt.IdentValue2(), Variant(int32_t{4109}));
    EXPECT_EQ(dt.IdentValue3(), Variant("KV6274"));
    EXPECT_EQ(dt.CatalogValue1(), Variant("KV6274PA"));
    EXPECT_EQ(dt.CatalogValue2(), Variant("KARVEL AG"));
    EXPECT_EQ(dt.CatalogValue3(), Variant("PROFIBUS PA Profile 3.0"));
    EXPECT_EQ(dt.CatalogValue4(), Variant("Profibus DP/V1"));
    EXPECT_NE(i.Ctx().Parameters().Item("~/DataStatus"), nullptr);
    EXPECT_NE(i.Ctx().Parameters().Item("PHYS/TAG_DESC"), nullptr);
    EXPECT_TRUE(i.dtm->State()->Archive()->CheckCurveEnabled());
    EXPECT_TRUE(i.prompt->messages.empty());
}

TEST(DTMMainInitNew, UnknownDeviceTypeIsRefusedSilently) {
    for (const char* type : {"", "KV6274", "KV6274PA2", "XY1234"}) {
        Instance i;
        EXPECT_FALSE(i.dtm->InitNew(type)) << type;
        EXPECT_TRUE(i.Ctx().Parameters().Elements().empty()) << type;
        EXPECT_TRUE(i.Ctx().DeviceType()->DeviceType().empty()) << type;
        EXPECT_TRUE(i.prompt->messages.empty()) << type;
    }
}

TEST(DTMMainConfig, FrameIsToldTheFunctionsMayHaveChangedWhateverTheAnswer) {
    struct Case {
        const char* userInfo;
        bool accepted;
        int32_t level;
    };
    const Case cases[] = {
        {R"(<FDT><UserInformation role="Operator"/></FDT>)", true, 2},
        {R"(<FDT><UserInformation role="Administrator"/></FDT>)", true, 4},
        {R"(<FDT><UserInformation role="Guest"/></FDT>)", false, 3},
        {"<FDT><UserInformation", false, 3},
    };
    for (const Case& c : cases) {
        Instance i;
        ASSERT_TRUE(i.dtm->Environment("PV-101", i.container));
        EXPECT_EQ(i.dtm->Config(c.userInfo), c.accepted) << c.userInfo;
        EXPECT_EQ(i.Ctx().UserManager().UserLevel(), c.level) << c.userInfo;
        ASSERT_EQ(i.container->events.size(), 1u) << c.userInfo;
        EXPECT_EQ(i.container->events[0], "OnFunctionChanged:PV-101");
    }
}

TEST(DTMMainSetUp, LanguageAndPrivateDialogs) {
    Instance i;
    i.SetUpNew();
    auto gui = i.OpenGUI();
    EXPECT_TRUE(i.dtm->SetLanguage(7));
    EXPECT_EQ(i.Ctx().GUIManager().Language(), 7);
    EXPECT_EQ(gui->languages, std::vector<int32_t>{7});
    // A language id the GUI list does not take.
    EXPECT_FALSE(i.dtm->SetLanguage(0));
    EXPECT_EQ(i.Ctx().GUIManager().Language(), 7);

    EXPECT_TRUE(i.dtm->PrivateDialogEnabled(false));
    EXPECT_FALSE(i.Ctx().PrivateDialogEnabled());
    EXPECT_TRUE(i.dtm->PrivateDialogEnabled(true));
    EXPECT_TRUE(i.Ctx().PrivateDialogEnabled());
}

TEST(DTMMainPrepareToDelete, RefusedWhileConnectedOrWithOpenUserInterfaces) {
    {
        Instance i;
        i.SetUpNew();
        const int32_t state = i.Ctx().Parameters().DataSetState();
        i.Concrete().SetCommunicationManager(std::make_shared<ConnectedLink>());
        EXPECT_FALSE(i.dtm->PrepareToDelete());
        EXPECT_EQ(i.Ctx().Parameters().DataSetState(), state);
    }
    {
        Instance i;
        i.SetUpNew();
        const int32_t state = i.Ctx().Parameters().DataSetState();
        auto gui = i.OpenGUI();
        EXPECT_FALSE(i.dtm->PrepareToDelete());
        EXPECT_EQ(i.Ctx().Parameters().DataSetState(), state);
        // Once the user interface is gone the instance may be deleted.
        gui.reset();
        EXPECT_TRUE(i.dtm->PrepareToDelete());
        EXPECT_EQ(i.Ctx().Parameters().DataSetState(), 4);
    }
}

// A turn of the event loop may fall between the write of the bag and its completion: what was
// written becomes stored, and a change made meanwhile stays a change that closing asks about.
TEST(DTMMainPersistence, AChangeBetweenTheWriteAndItsCompletionStaysUnsaved) {
    PropertyBag bag;
    Instance a;
    a.SetUpNew();
    ASSERT_TRUE(a.dtm->SetLanguage(9));
    IPrivateDataElement& tag = a.Element("PHYS/TAG_DESC");
    tag.SetTransientValue(Variant("Valve PV-101"));
    a.Ctx().Parameters().ElementChanged(tag, "");
    ASSERT_TRUE(a.dtm->WriteProperties(bag));
    tag.SetTransientValue(Variant("Valve PV-102"));
    a.Ctx().Parameters().ElementChanged(tag, "");
    a.dtm->SaveCompleted();
    EXPECT_EQ(tag.PersistentValue(), Variant("Valve PV-101"));
    EXPECT_EQ(a.Ctx().Parameters().ModifiedState(), 1);
    EXPECT_EQ(a.Element("~/DataStatus").TransientValue().toLong(), edsChanged);

    // Changes that only watch the device meanwhile leave the save complete.
    ASSERT_TRUE(a.dtm->WriteProperties(bag));
    {
        const KeepModifiedState kept(a.Ctx().Parameters());
        a.Ctx().Parameters().ElementChanged(tag, "");
    }
    a.dtm->SaveCompleted();
    EXPECT_EQ(tag.PersistentValue(), Variant("Valve PV-102"));
    EXPECT_EQ(a.Ctx().Parameters().ModifiedState(), 0);
    EXPECT_EQ(a.Element("~/DataStatus").TransientValue().toLong(), edsDatabase);
}

TEST(DTMMainPersistence, SavedInstanceLoadsIntoFreshObjectsWithTheSameData) {
    PropertyBag bag;
    Instance a;
    a.SetUpNew();
    ASSERT_TRUE(a.dtm->SetLanguage(7));
    a.Element("PHYS/TAG_DESC").SetTransientValue(Variant("Valve PV-101"));
    a.Ctx().Parameters().ElementChanged(a.Element("PHYS/TAG_DESC"), "");
    a.dtm->State()->Archive()->SetCheckCurveEnabled(false);
    auto guiA = a.OpenGUI();
    guiA->changed.clear();

    const Variant status = a.Element("~/DataStatus").TransientValue();
    ASSERT_TRUE(a.dtm->WriteProperties(bag));
    // The instance counts as saved once the frame has kept the bag.
    EXPECT_EQ(a.Element("~/DataStatus").TransientValue(), status);
    EXPECT_EQ(guiA->ChangesOf("~/DataStatus"), 0u);
    EXPECT_EQ(a.Ctx().Parameters().ModifiedState(), 1);
    EXPECT_TRUE(a.Element("PHYS/TAG_DESC").PersistentValue().isEmpty());
    a.dtm->SaveCompleted();
    EXPECT_EQ(a.Element("~/DataStatus").TransientValue().toLong(), 1);
    EXPECT_EQ(guiA->ChangesOf("~/DataStatus"), 1u);
    EXPECT_EQ(a.Ctx().Parameters().ModifiedState(), 0);
    EXPECT_EQ(a.Element("PHYS/TAG_DESC").PersistentValue(), Variant("Valve PV-101"));
    EXPECT_EQ(guiA->validations, 1);
    EXPECT_TRUE(bag.Contains("Archive.CheckCurveEnabled"));
    EXPECT_TRUE(bag.Contains("DeviceType.Name"));

    Instance b;
    auto guiB = b.OpenGUI();
    ASSERT_TRUE(b.dtm->ReadProperties(bag));
    ASSERT_TRUE(b.dtm->Environment("PV-101", b.container));
    EXPECT_TRUE(b.prompt->messages.empty());
    EXPECT_EQ(b.Element("~/DataStatus").TransientValue().toLong(), 1);
    EXPECT_EQ(guiB->ChangesOf("~/DataStatus"), 1u);
    EXPECT_FALSE(b.dtm->State()->Archive()->CheckCurveEnabled());
    EXPECT_EQ(b.Element("PHYS/TAG_DESC").TransientValue(), Variant("Valve PV-101"));
    EXPECT_EQ(b.Ctx().DeviceType()->DeviceType(), "KV6274PA");
    EXPECT_EQ(b.Ctx().DeviceType()->IdentValue1(), Variant(int32_t{0x0B5E}));
    EXPECT_EQ(b.Ctx().DeviceType()->CatalogValue2(), Variant("KARVEL AG"));
    EXPECT_EQ(b.Ctx().Parameters().ModifiedState(), 0);

    // Every element of the data set carries the saved value (~/DataStatus was set after it).
    const auto& saved = a.Ctx().Parameters().Elements();
    ASSERT_EQ(b.Ctx().Parameters().Elements().size(), saved.size());
    for (const auto& element : saved) {
        IPrivateDataElement* loaded = b.Ctx().Parameters().Item(element->Name());
        ASSERT_NE(loaded, nullptr) << element->Name();
        EXPECT_TRUE(loaded->TransientValue().looseEquals(element->TransientValue()))
            << element->Name();
    }
    // The process channels come back with their state.
    IChannels& channelsA = a.Ctx().Parameters().Channels();
    IChannels& channelsB = b.Ctx().Parameters().Channels();
    ASSERT_EQ(channelsA.Count(), channelsB.Count());
    for (const auto& channel : channelsA.Items())
        EXPECT_EQ(channelsB.Item(channel->ChannelId())->Active(), channel->Active());
}

TEST(DTMMainPersistence, StoredDeviceTypeNoLongerInTheCatalogueLoadsAndIsReported) {
    PropertyBag bag;
    {
        Instance a;
        a.SetUpNew();
        ASSERT_TRUE(a.dtm->WriteProperties(bag));
    }
    bag.Write("DeviceType.IdentValue1", Variant(int32_t{1234}));
    Instance b;
    ASSERT_TRUE(b.dtm->ReadProperties(bag));
    EXPECT_TRUE(b.dtm->Environment("PV-101", b.container));
    ASSERT_EQ(b.prompt->messages.size(), 1u);
    EXPECT_EQ(b.prompt->messages[0],
              "The device type 1234 / 4109 / KV6274 is not supported by this DTM.");
}

TEST(DTMMainPersistence, DamagedDeviceTypeIsRefused) {
    PropertyBag bag;
    bag.Write("DeviceType.Name", Variant(int32_t{5}));
    Instance i;
    EXPECT_FALSE(i.dtm->ReadProperties(bag));
    EXPECT_TRUE(i.Ctx().DeviceType()->DeviceType().empty());
}

TEST(DTMMainLifetime, NothingKeepsTheObjectGraphAliveAfterTheFrameDropsIt) {
    Instance i;
    i.SetUpNew();
    std::weak_ptr<IDTMContext> context = i.dtm->DTMContext();
    std::weak_ptr<DTMMain> dtm = i.dtm;
    EXPECT_EQ(i.Ctx().DTMObject().get(), static_cast<IPrivateProcess*>(i.dtm.get()));
    EXPECT_EQ(i.dtm->State()->Navigation()->DTMContext().get(), &i.Ctx());
    std::shared_ptr<clsNavigation> navigation = i.dtm->State()->Navigation();
    i.dtm.reset();
    EXPECT_TRUE(dtm.expired());
    EXPECT_TRUE(context.expired());
    // The tree model outliving its context reaches nothing.
    EXPECT_EQ(navigation->DTMContext(), nullptr);
    EXPECT_EQ(navigation->CurTreeStructure(), "");
}

TEST(DTMState, InitRegistersTheArchiveAndKeepsTheOperationPhase) {
    Instance i;
    DTMState* state = i.dtm->State();
    ASSERT_NE(state, nullptr);
    ASSERT_NE(state->LastOpPhase(), nullptr);
    // The tree model is wired to the instance's own context.
    ASSERT_NE(state->Navigation(), nullptr);
    EXPECT_EQ(state->Navigation()->DTMContext().get(), &i.Ctx());
    const auto& objects = i.Concrete().PersistObjects();
    ASSERT_EQ(objects.size(), 1u);
    EXPECT_EQ(objects[0].first, "Archive");
    EXPECT_EQ(objects[0].second.get(), static_cast<IPersistObject*>(state->Archive().get()));
    auto phase = NewOperationPhase();
    state->SetLastOpPhase(phase);
    EXPECT_EQ(state->LastOpPhase(), phase);
}

}  // namespace
}  // namespace kv
