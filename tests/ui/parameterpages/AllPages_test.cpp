// Every parameter page, one by one, in a main window against the simulated positioner: the
// navigation control creates it by its ProgID for its tree node and the window initialises it
// with BlockIndex 1; it is titled from the dictionary and every row is bound to an element; a
// read asks the device once for every element or record behind the rows that is read from the
// device, a write sends once each that may be written from an unlocked row; then the window
// releases it with nothing left registered or bound.

#include <gtest/gtest.h>

#include <QPointer>
#include <map>
#include <memory>
#include <pugixml.hpp>
#include <string>

#include "PageFixture.h"
#include "core/DictionaryLookup.h"
#include "core/clsDataModel.h"
#include "platform/controls/widgets/PageRegistry.h"
#include "platform/controls/widgets/ctlNavigation.h"
#include "platform/runtime/IFunctionCall.h"
#include "ui/framework/widgets/FrameworkUserInterfaces.h"
#include "ui/framework/widgets/ctlNavigationMain.h"
#include "ui/parameterpages/PageDesigns.h"

namespace kv {
namespace {

using namespace pagetest;

std::vector<std::string> ParameterPageNames() {
    std::vector<std::string> names;
    for (const PageDesign& d : ParameterPageDesigns())
        names.push_back(d.className);
    return names;
}

TEST(ParameterPageFactory, RegistersEveryPageUnderItsProgId) {
    PageRegistry registry;
    RegisterParameterPages(registry);
    for (const std::string& name : ParameterPageNames()) {
        std::unique_ptr<QWidget> page = registry.Create("KV6274PA." + name);
        ASSERT_NE(page, nullptr) << name;
        auto* nav = dynamic_cast<INavigationPage*>(page.get());
        ASSERT_NE(nav, nullptr) << name;
        EXPECT_EQ(nav->Name(), name);
    }
    EXPECT_EQ(ParameterPageNames().size(), 24u);
    EXPECT_EQ(CreateParameterPage("ctlNoSuchPage"), nullptr);
    EXPECT_THROW(CreateParameterPage(
                     PageDesign{.className = "ctlMeasVal", .templ = PageTemplate::CyclicDisplay}),
                 std::invalid_argument);
}

// The key of the tree node that opens the page with this ProgID; "" when none does.
std::string NodeOf(const std::string& tree, const std::string& progId) {
    pugi::xml_document doc;
    if (!doc.load_string(tree.c_str()))
        return {};
    const pugi::xml_node node =
        doc.find_node([&](pugi::xml_node n) { return progId == n.attribute("ctl").value(); });
    return node.attribute("key").value();
}

std::string FunctionCallOf(IDTMContext& context, int32_t functionId) {
    std::shared_ptr<IFunctionCall> call = NewFunctionCall();
    call->SetApplicationId(functionId);
    return call->ToXml(context);
}

class EveryParameterPage : public testing::TestWithParam<std::string> {};

TEST_P(EveryParameterPage, OpensInTheMainWindowBindsReadsWritesAndReleases) {
    const std::string name = GetParam();
    PageBench b;
    b.Online();
    PageRegistry registry;
    RegisterFrameworkUserInterfaces(registry);
    RegisterParameterPages(registry);
    ctlNavigationMain window(nullptr, &registry);
    window.resize(1000, 700);
    window.show();
    ASSERT_TRUE(window.Init("1", FunctionCallOf(b.Ctx(), 1), b.Dtm()));
    ITreeHolder& tree = window.NavigationControl().devParameter().TreeHolder();
    const std::string key = NodeOf(tree.TreeXml(), "KV6274PA." + name);
    ASSERT_FALSE(key.empty());
    ASSERT_TRUE(tree.SelectNode(key));
    const std::vector<INavigationPage*> pages = window.NavigationControl().Pages();
    ASSERT_EQ(pages.size(), 1u);
    auto* opened = dynamic_cast<PageBase*>(pages[0]);
    ASSERT_NE(opened, nullptr);
    const QPointer<PageBase> alive(opened);
    PageBase& page = *opened;
    EXPECT_EQ(page.Name(), name);
    EXPECT_TRUE(page.IsInitialised());
    EXPECT_EQ(page.GUIFunctionCall(), "1." + name + "$");
    EXPECT_EQ(b.Gui().FunctionIds(), (std::vector<std::string>{"1", "1." + name + "$"}));
    EXPECT_EQ(page.TitleText(), GetDictionaryText(b.Ctx(), name + "_sepTitle"));
    EXPECT_NE(page.TitleText(), name + "_sepTitle");

    // Every row bound. What a read or a write has to send, as the rows and elements stand:
    // once per element or record.
    ASSERT_FALSE(page.Rows().empty());
    for (ctlParameter* row : page.Rows()) {
        ASSERT_NE(ElementOf(page, *row), nullptr) << row->ParameterTag();
        EXPECT_TRUE(row->isEnabled()) << row->ParameterTag();
    }
    auto expected = [&](bool write) {
        std::map<Address, int> requests;
        for (ctlParameter* row : page.Rows()) {
            clsDataElement* element = ElementOf(page, *row);
            clsDataElement* parent = element->GetParentParameter(b.Ctx().Parameters());
            clsDataElement& target = parent ? *parent : *element;
            if (write ? target.IsDownloadParam(b.Ctx()) && !row->Locked()
                      : target.IsUploadParam(b.Ctx()))
                requests[{target.Slot, target.index}] = 1;
            // A value whose unit the device has not told yet is read with its scale.
            const clsDataElement* unit =
                DeviceOf(b.Ctx())->UnitElementOf(b.Ctx().Parameters(), *element);
            if (!write && unit != nullptr && unit->DeviceValue().isEmpty()) {
                const clsDataElement& scale = *unit->GetParentParameter(b.Ctx().Parameters());
                requests[{scale.Slot, scale.index}] = 1;
            }
        }
        return requests;
    };
    const std::map<Address, int> reads = expected(false);

    auto* rw = dynamic_cast<IPrivateGUIReadWriteSaveLoad*>(&page);
    const PageTemplate templ = page.Design().templ;
    if (templ == PageTemplate::ChannelAssign || templ == PageTemplate::BusAddress) {
        // No read or write of their own.
        EXPECT_EQ(rw, nullptr);
        EXPECT_TRUE(reads.empty());
    } else {
        ASSERT_NE(rw, nullptr);
        ASSERT_TRUE(rw->ReadParameter());
        b.Settle();
        EXPECT_EQ(b.Logged(false), reads);
        EXPECT_FALSE(reads.empty());
        EXPECT_EQ(b.Progress().back(), page.TitleText() + " 100 end");
        b.Clear();
        if (rw->ReadWriteSaveLoadOption() == 3) {
            const std::map<Address, int> writes = expected(true);
            ASSERT_TRUE(rw->WriteParameter());
            b.Settle();
            EXPECT_EQ(b.Logged(true), writes);
            EXPECT_FALSE(writes.empty());
        } else {
            EXPECT_FALSE(rw->WriteParameter());
            b.Settle();
            EXPECT_TRUE(b.device->Log().empty());
        }
    }

    EXPECT_TRUE(window.PrepareToRelease());
    ASSERT_TRUE(alive);  // released; it goes with the window
    EXPECT_FALSE(page.IsInitialised());
    EXPECT_TRUE(page.Site()->Rows().empty());
    EXPECT_TRUE(b.Gui().FunctionIds().empty());
}

INSTANTIATE_TEST_SUITE_P(AllPages, EveryParameterPage, testing::ValuesIn(ParameterPageNames()),
                         [](const testing::TestParamInfo<std::string>& info) {
                             return info.param;
                         });

}  // namespace
}  // namespace kv
