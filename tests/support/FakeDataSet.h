#pragma once
// A small data set and communication manager for tests of the data element and the codec: it
// keeps elements in insertion order, records change reports and communication requests.

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/clsDataElement.h"
#include "core/clsDataModel.h"
#include "platform/runtime/DTMContext.h"
#include "platform/runtime/IChannels.h"
#include "platform/runtime/ICommunicationManager.h"
#include "platform/runtime/IOnlineParameterService.h"
#include "platform/runtime/IParameters.h"
#include "platform/runtime/IPrivateDataElement.h"
#include "platform/runtime/IPrivateDataModel.h"
#include "platform/runtime/ITransaction.h"
#include "platform/runtime/ManualEventLoop.h"

namespace kv::test_support {

class NoChannels : public IChannels {
  public:
    void Add(std::shared_ptr<IPrivateChannel>) override {}
    int32_t Count() const override { return 0; }
    IPrivateChannel* Item(const std::string&) const override { return nullptr; }
    const std::vector<std::shared_ptr<IPrivateChannel>>& Items() const override { return none_; }
    void Clear() override {}
    IDTMContext* Context() const override { return nullptr; }
    void SetModified(int32_t) override {}

  private:
    std::vector<std::shared_ptr<IPrivateChannel>> none_;
};

class FakeDataSet : public IParameters {
  public:
    IPrivateDataElement* Item(const std::string& path) const override {
        for (const auto& e : elements_) {
            if (e->Name() == path)
                return e.get();
        }
        return nullptr;
    }
    const std::vector<std::shared_ptr<IPrivateDataElement>>& Elements() const override {
        return elements_;
    }
    std::vector<IPrivateDataElement*> RecordMembers(const std::string& recordPath) const override {
        std::vector<IPrivateDataElement*> members;
        for (const auto& e : elements_) {
            const std::string& n = e->Name();
            if (n.size() > recordPath.size() && n.compare(0, recordPath.size(), recordPath) == 0) {
                const std::string rest = n.substr(recordPath.size());
                const size_t slash = rest.find('/');
                if (slash == std::string::npos || slash + 1 == rest.size())
                    members.push_back(e.get());
            }
        }
        return members;
    }
    void AddElement(std::shared_ptr<IPrivateDataElement> element, const std::string& = {},
                    const std::string& = {}) override {
        elements_.push_back(std::move(element));
    }
    void Clear() override { elements_.clear(); }
    void ElementChanged(IPrivateDataElement& element, const std::string&) override {
        changed.push_back(element.Name());
    }
    void Lock() override {}
    void Unlock() override {}
    bool Locked() const override { return false; }
    int32_t DataSetState() const override { return 0; }
    void SetDataSetState(int32_t) override {}
    int32_t ModifiedState() const override { return 0; }
    void SetModifiedState(int32_t) override {}
    uint64_t ModificationCount() const override { return 0; }
    void RestoreModifiedState(int32_t, uint64_t) override {}
    bool BulkUpdateActive() const override { return false; }
    void SetBulkUpdateActive(bool) override {}
    IPrivateDataModel* DataModel() const override { return model.get(); }
    IChannels& Channels() override { return channels_; }

    std::shared_ptr<clsDataModel> model;
    std::vector<std::string> changed;

  private:
    std::vector<std::shared_ptr<IPrivateDataElement>> elements_;
    NoChannels channels_;
};

class RecordingCommunication : public ICommunicationManager {
  public:
    bool IsConnected() const override { return true; }
    bool IsOnline() const override { return true; }
    void RepeatTransaction(ITransaction&, IPrivateDataElement& element) override {
        repeats.push_back(element.Name());
    }
    void AddReadBack(IPrivateDataElement& element, int32_t, bool, int32_t) override {
        readBacks.push_back(element.Name());
    }
    void SetTransferOption1(int32_t) override {}
    void SetTransferOption2(int32_t) override {}
    bool ReadingDeviceOnly() const override { return deviceOnly; }
    std::vector<std::string> repeats;
    std::vector<std::string> readBacks;
    bool deviceOnly = false;  // the responses belong to a read of GroupReads::Shown
};

class FixedOnlineService : public IOnlineParameterService {
  public:
    int32_t OnlineMode() const override { return mode; }
    int32_t mode = 0;
};

// A context with the fakes above plugged in and a data model of its own.
struct TestContext {
    TestContext()
        : context(std::make_shared<ManualEventLoop>()),
          dataSet(std::make_shared<FakeDataSet>()),
          comm(std::make_shared<RecordingCommunication>()),
          online(std::make_shared<FixedOnlineService>()),
          users(std::make_shared<FixedUserManager>(2)) {
        dataSet->model = std::make_shared<clsDataModel>();
        context.SetParameters(dataSet);
        context.SetCommunicationManager(comm);
        context.SetOnlineParameterService(online);
        context.SetUserManager(users);
    }

    clsDataElement& Add(const std::string& name, int32_t type, int32_t length = -1) {
        auto e = std::make_shared<clsDataElement>();
        e->SetName(name);
        e->SetValueType(type);
        e->SetValueTypeLength(length);
        dataSet->AddElement(e);
        return *e;
    }
    clsDataModel& Model() { return *dataSet->model; }

    DTMContext context;
    std::shared_ptr<FakeDataSet> dataSet;
    std::shared_ptr<RecordingCommunication> comm;
    std::shared_ptr<FixedOnlineService> online;
    std::shared_ptr<FixedUserManager> users;
};

}  // namespace kv::test_support
