#pragma once
// The data set of one DTM instance: its data elements in an order of their own, found by path,
// with the change reporting to the data model and the open user interfaces.

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/runtime/HashIndex.h"
#include "platform/runtime/IChannels.h"
#include "platform/runtime/IParameters.h"
#include "platform/runtime/IPrivateDataElement.h"
#include "platform/runtime/IPrivateDataModel.h"

namespace kv {

class IDTMContext;

class DataSet : public IParameters {
  public:
    // The context owns the data set and so outlives it; the model may be set later.
    explicit DataSet(IDTMContext& context, std::shared_ptr<IPrivateDataModel> model = nullptr);
    ~DataSet() override;

    IPrivateDataElement* Item(const std::string& path) const override;
    const std::vector<std::shared_ptr<IPrivateDataElement>>& Elements() const override {
        return elements_;
    }
    std::vector<IPrivateDataElement*> RecordMembers(const std::string& recordPath) const override;
    void AddElement(std::shared_ptr<IPrivateDataElement> element, const std::string& before = {},
                    const std::string& after = {}) override;
    void Clear() override;
    void Reserve(size_t count) override;
    void ElementChanged(IPrivateDataElement& element, const std::string& guiId) override;

    void Lock() override { ++lockCount_; }
    void Unlock() override {
        if (lockCount_ > 0)
            --lockCount_;
    }
    bool Locked() const override { return lockCount_ > 0; }

    int32_t DataSetState() const override { return dataSetState_; }
    void SetDataSetState(int32_t state) override { dataSetState_ = state; }
    int32_t ModifiedState() const override { return modified_; }
    void SetModifiedState(int32_t state) override;
    uint64_t ModificationCount() const override { return modifications_; }
    void RestoreModifiedState(int32_t state, uint64_t count) override {
        modified_ = state;
        modifications_ = count;
    }
    bool BulkUpdateActive() const override { return bulkUpdate_; }
    // Ending a bulk update tells the data model (BulkUpdateEnded); its failure is not passed
    // on, so that the update's guards can end it on every path.
    void SetBulkUpdateActive(bool active) override;

    IPrivateDataModel* DataModel() const override { return model_.get(); }
    void SetDataModel(std::shared_ptr<IPrivateDataModel> model) { model_ = std::move(model); }
    IChannels& Channels() override { return *channels_; }
    void SetChannels(std::shared_ptr<IChannels> channels);

    // The instance has no children: nothing to do.
    void OnChildParameterChanged(const std::string& /*systemTag*/) override {}
    void OnLockDataSet(const std::string& systemTag, const std::string& invokeId) override;
    void OnParameterChanged(const std::string& systemTag, const std::string& xml) override;
    bool OnUnlockDataSet(const std::string& systemTag, const std::string& invokeId) override;

  private:
    // The elements by path: each slot holds an element and the hash of its path, and a search
    // compares the element's own path, so that the index keeps no text that could outlive it.
    struct PathRef {
        IPrivateDataElement* element = nullptr;
        size_t hash = 0;
        bool operator==(const PathRef&) const = default;
    };
    struct PathKeys {
        static size_t Hash(const PathRef& ref) { return ref.hash; }
        static bool Has(const PathRef& ref, std::string_view path, size_t hash) {
            return ref.hash == hash && ref.element->Name() == path;
        }
    };

    // Position of the element with this path in the order; elements_.size() when missing.
    size_t PositionOf(const std::string& path) const;

    IDTMContext& context_;
    std::shared_ptr<IPrivateDataModel> model_;
    std::shared_ptr<IChannels> channels_;
    std::vector<std::shared_ptr<IPrivateDataElement>> elements_;
    HashIndex<PathRef> byPath_;
    // The direct members of each record in the order of elements_, built when first asked for.
    mutable std::unordered_map<std::string, std::vector<IPrivateDataElement*>> members_;
    mutable bool membersIndexed_ = false;
    bool bulkUpdate_ = false;
    int32_t lockCount_ = 0;
    int32_t dataSetState_ = 0;
    int32_t modified_ = 0;
    uint64_t modifications_ = 0;
};

}  // namespace kv
