// The runtime's data set: order and placement, record members, change reports.

#include "platform/runtime/DataSet.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/clsDataElement.h"
#include "platform/runtime/DTMContext.h"
#include "platform/runtime/IGUIManager.h"
#include "platform/runtime/IParameters.h"
#include "platform/runtime/IPrivateDataElement.h"
#include "platform/runtime/IPrivateDataModel.h"
#include "platform/runtime/ITransaction.h"
#include "platform/runtime/ManualEventLoop.h"
#include "support/NullFakes.h"

namespace kv {
namespace {

std::vector<std::string> Events;

class RecordingGUI : public test_support::NullGUIList {
  public:
    void ParameterChanged(IPrivateDataElement& e, const std::string& guiId) override {
        Events.push_back("gui " + e.Name() + " " + guiId);
    }
};

// A model whose change of "A" changes "B" from inside, as the change hooks do.
class ChainingModel : public test_support::NullDataModel {
  public:
    void DataChanged(IPrivateDataElement& element, IDTMContext& context) override {
        Events.push_back("model " + element.Name());
        if (element.Name() == "FAIL")
            throw std::runtime_error("rule failed");
        if (element.Name() == "A")
            context.Parameters().ElementChanged(*context.Parameters().Item("B"), "");
    }
};

class DataSetTest : public ::testing::Test {
  protected:
    DataSetTest() : context(std::make_shared<ManualEventLoop>()) {
        Events.clear();
        auto set = std::make_shared<DataSet>(context, std::make_shared<ChainingModel>());
        data = set.get();
        context.SetParameters(set);
        context.SetGUIManager(std::make_shared<RecordingGUI>());
    }
    // An element that the data-set state compares (as the model builds most of them).
    void Add(const std::string& path, const std::string& before = {},
             const std::string& after = {}) {
        auto e = std::make_shared<clsDataElement>();
        e->SetName(path);
        e->SetElementMode(emCompareStored);
        data->AddElement(e, before, after);
    }
    std::vector<std::string> Order() const {
        std::vector<std::string> names;
        for (const auto& e : data->Elements())
            names.push_back(e->Name());
        return names;
    }
    static std::vector<std::string> Names(const std::vector<IPrivateDataElement*>& list) {
        std::vector<std::string> names;
        for (auto* e : list)
            names.push_back(e->Name());
        return names;
    }

    DTMContext context;
    DataSet* data = nullptr;
};

TEST_F(DataSetTest, PlacesBeforeAndAfterNamedElementsElseAppends) {
    Add("A");
    Add("C");
    Add("B", "C");        // before C
    Add("D", {}, "C");    // after the last one
    Add("A2", {}, "A");   // after A, in the middle
    Add("X", "missing");  // unknown name: appended
    Add("Y", {}, "missing");
    EXPECT_EQ(Order(), (std::vector<std::string>{"A", "A2", "B", "C", "D", "X", "Y"}));
    EXPECT_EQ(data->Item("B")->Name(), "B");
    EXPECT_EQ(data->Item("b"), nullptr);  // paths are case-sensitive
    EXPECT_THROW(Add("B"), std::invalid_argument);
    EXPECT_EQ(data->Elements().size(), 7u);
    data->Clear();
    EXPECT_TRUE(data->Elements().empty());
    EXPECT_EQ(data->Item("A"), nullptr);
}

TEST_F(DataSetTest, ALargeSetFindsEveryElement) {
    // Far more elements than the path index has room for at first; every second one is placed
    // before the one added last.
    std::vector<std::string> paths;
    for (int i = 0; i < 100; ++i) {
        paths.push_back("TRANS/1/Act/P" + std::to_string(i));
        Add(paths.back(), i % 2 == 0 ? std::string() : paths[paths.size() - 2]);
    }
    for (const std::string& path : paths) {
        ASSERT_NE(data->Item(path), nullptr) << path;
        EXPECT_EQ(data->Item(path)->Name(), path);
    }
    EXPECT_EQ(Order()[0], "TRANS/1/Act/P1");
    EXPECT_EQ(Order()[1], "TRANS/1/Act/P0");
    EXPECT_THROW(Add(paths[50]), std::invalid_argument);
    EXPECT_EQ(data->Elements().size(), 100u);
}

TEST_F(DataSetTest, RecordMembersAreDirectMembersInDataSetOrder) {
    Add("PHYS/DIAGNOSIS/");
    Add("PHYS/DIAGNOSIS/Bit1");
    Add("PHYS/DIAGNOSIS/EXT/");
    Add("PHYS/DIAGNOSIS/EXT/Bit0");  // member of the sub-record only
    Add("PHYS/DIAGNOSISX");
    Add("PHYS/TAG_DESC");
    Add("PHYS/DIAGNOSIS/Bit0", "PHYS/DIAGNOSIS/Bit1");
    EXPECT_EQ(Names(data->RecordMembers("PHYS/DIAGNOSIS/")),
              (std::vector<std::string>{"PHYS/DIAGNOSIS/Bit0", "PHYS/DIAGNOSIS/Bit1",
                                        "PHYS/DIAGNOSIS/EXT/"}));
    EXPECT_EQ(Names(data->RecordMembers("PHYS/DIAGNOSIS/EXT/")),
              (std::vector<std::string>{"PHYS/DIAGNOSIS/EXT/Bit0"}));
    EXPECT_TRUE(data->RecordMembers("PHYS/TAG_DESC").empty());
    EXPECT_TRUE(data->RecordMembers("NONE/").empty());
}

TEST_F(DataSetTest, ChangeRunsTheModelAtOnceThenTellsTheUserInterfaces) {
    Add("A");
    Add("B");
    data->ElementChanged(*data->Item("A"), "page1$");
    // The nested report of B runs inside the model's handling of A.
    EXPECT_EQ(Events, (std::vector<std::string>{"model A", "model B", "gui B ", "gui A page1$"}));
    EXPECT_EQ(data->ModifiedState(), 1);
}

TEST_F(DataSetTest, BulkUpdateDoesNotMarkModified) {
    Add("B");
    data->SetBulkUpdateActive(true);
    data->ElementChanged(*data->Item("B"), "");
    EXPECT_EQ(data->ModifiedState(), 0);
    data->SetBulkUpdateActive(false);
    data->ElementChanged(*data->Item("B"), "");
    EXPECT_EQ(data->ModifiedState(), 1);
}

TEST_F(DataSetTest, OnlyComparedValuesMarkModifiedAndTheGuardKeepsTheState) {
    Add("B");
    auto record = std::make_shared<clsDataElement>();
    record->SetName("R/");
    record->SetElementMode(emUpload);
    data->AddElement(record);
    // A record root without the compare bit is no change of what the project stores.
    data->ElementChanged(*record, "");
    EXPECT_EQ(data->ModifiedState(), 0);
    const uint64_t count = data->ModificationCount();
    {
        const KeepModifiedState kept(*data);
        data->ElementChanged(*data->Item("B"), "");
        EXPECT_EQ(data->ModifiedState(), 1);
    }
    EXPECT_EQ(data->ModifiedState(), 0);
    EXPECT_EQ(data->ModificationCount(), count);
    // Every change counts, also one of a data set that is modified already.
    data->ElementChanged(*data->Item("B"), "");
    data->ElementChanged(*data->Item("B"), "");
    EXPECT_EQ(data->ModifiedState(), 1);
    EXPECT_EQ(data->ModificationCount(), count + 2);
}

TEST_F(DataSetTest, FailingRulesStillReachTheUserInterfacesAndTheCaller) {
    Add("FAIL");
    EXPECT_THROW(data->ElementChanged(*data->Item("FAIL"), "g$"), std::runtime_error);
    EXPECT_EQ(Events, (std::vector<std::string>{"model FAIL", "gui FAIL g$"}));
}

TEST_F(DataSetTest, LockIsCounted) {
    data->Lock();
    data->Lock();
    data->Unlock();
    EXPECT_TRUE(data->Locked());
    data->Unlock();
    EXPECT_FALSE(data->Locked());
    data->Unlock();  // one too many does not go below zero
    data->Lock();
    EXPECT_TRUE(data->Locked());
}

}  // namespace
}  // namespace kv
