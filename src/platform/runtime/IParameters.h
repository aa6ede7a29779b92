#pragma once
// The data set of one DTM instance: every data element by its path, in an order of its own.

#include <memory>
#include <string>
#include <vector>

#include "platform/runtime/IPrivateDataElement.h"

namespace kv {

class IPrivateDataModel;
class IChannels;

// The data set's error state (IParameters::DataSetState).
enum DataSetErrorState : int32_t {
    dssCreated = 0,      // the model was just created: nothing loaded or read yet
    dssValid = 1,        // no element carries an input error or needs a value
    dssInputErrors = 2,  // an element carries an input error or needs a value
    dssReleased = 4,     // the instance is being released or deleted
};

class IParameters {
  public:
    virtual ~IParameters() = default;

    // The element with this path (exact, case-sensitive), nullptr when there is none.
    virtual IPrivateDataElement* Item(const std::string& path) const = 0;
    // Every element in the data set's order.
    virtual const std::vector<std::shared_ptr<IPrivateDataElement>>& Elements() const = 0;
    // The direct members of a record (path ending in "/") in data-set order, without the record's
    // own element.
    virtual std::vector<IPrivateDataElement*> RecordMembers(
        const std::string& recordPath) const = 0;
    // Places the element in front of 'before' or behind 'after' (paths; empty = not given), else
    // last. Throws when an element of the same path exists.
    virtual void AddElement(std::shared_ptr<IPrivateDataElement> element,
                            const std::string& before = {}, const std::string& after = {}) = 0;
    virtual void Clear() = 0;
    // Makes room for this many elements in all (a hint: nothing is required of it).
    virtual void Reserve(size_t /*count*/) {}
    // Reports a changed element: the data model's DataChanged runs at once (re-entrantly), then
    // the open user interfaces are told. guiId names the user interface that made the change.
    virtual void ElementChanged(IPrivateDataElement& element, const std::string& guiId) = 0;

    virtual void Lock() = 0;
    virtual void Unlock() = 0;
    virtual bool Locked() const = 0;

    // The error state, a DataSetErrorState.
    virtual int32_t DataSetState() const = 0;
    virtual void SetDataSetState(int32_t state) = 0;
    // 1 when the data set was changed since it was last saved or loaded: a reported change of
    // an element that the data-set state compares (emCompareStored) outside a bulk update.
    virtual int32_t ModifiedState() const = 0;
    // Setting 1 counts as a change (ModificationCount).
    virtual void SetModifiedState(int32_t state) = 0;
    // How many changes marked the data set modified: a save that wrote the data set at one count
    // leaves it modified when the count moved on before the save completed.
    virtual uint64_t ModificationCount() const = 0;
    // The state and the count as they were before (KeepModifiedState).
    virtual void RestoreModifiedState(int32_t state, uint64_t count) = 0;
    // True while the runtime replaces many values at once (load, import, after an upload).
    virtual bool BulkUpdateActive() const = 0;
    virtual void SetBulkUpdateActive(bool active) = 0;

    virtual IPrivateDataModel* DataModel() const = 0;
    virtual IChannels& Channels() = 0;

    // The frame's events about the instance's data set (the DTM object hands them on). The
    // frame's lock is kept by the open user interfaces' list (IGUIManager::Locked); a data set
    // changed by the frame is reported to them as a whole.
    virtual void OnChildParameterChanged(const std::string& /*systemTag*/) {}
    virtual void OnLockDataSet(const std::string& /*systemTag*/, const std::string& /*invokeId*/) {}
    virtual void OnParameterChanged(const std::string& /*systemTag*/, const std::string& /*xml*/) {}
    // False when the frame had not locked the data set.
    virtual bool OnUnlockDataSet(const std::string& /*systemTag*/,
                                 const std::string& /*invokeId*/) {
        return false;
    }
};

// The data set's bulk update for the life of the guard: BulkUpdateActive is set, and the earlier
// state comes back on every way out of the scope (the end of the outermost bulk update lets the
// model catch up). The bulk-update form of ScopedValue (value/ScopedValue.h).
class [[nodiscard]] ScopedBulkUpdate {
  public:
    explicit ScopedBulkUpdate(IParameters& parameters)
        : parameters_(parameters), previous_(parameters.BulkUpdateActive()) {
        parameters_.SetBulkUpdateActive(true);
    }
    ~ScopedBulkUpdate() { parameters_.SetBulkUpdateActive(previous_); }
    ScopedBulkUpdate(const ScopedBulkUpdate&) = delete;
    ScopedBulkUpdate& operator=(const ScopedBulkUpdate&) = delete;

  private:
    IParameters& parameters_;
    bool previous_;
};

// Changes reported during the life of the guard leave the data set's modified state as it was:
// what only watches the device or marks a failed transfer is not taken into the project. The
// earlier state comes back on every way out of the scope.
class [[nodiscard]] KeepModifiedState {
  public:
    explicit KeepModifiedState(IParameters& parameters)
        : parameters_(parameters),
          previous_(parameters.ModifiedState()),
          count_(parameters.ModificationCount()) {}
    ~KeepModifiedState() { parameters_.RestoreModifiedState(previous_, count_); }
    KeepModifiedState(const KeepModifiedState&) = delete;
    KeepModifiedState& operator=(const KeepModifiedState&) = delete;

  private:
    IParameters& parameters_;
    int32_t previous_;
    uint64_t count_;
};

}  // namespace kv
