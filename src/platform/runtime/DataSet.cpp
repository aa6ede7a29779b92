#include "platform/runtime/DataSet.h"

#include <algorithm>
#include <functional>
#include <stdexcept>

#include "platform/runtime/Channels.h"
#include "platform/runtime/ElementPath.h"
#include "platform/runtime/EntryGuard.h"
#include "platform/runtime/IChannels.h"
#include "platform/runtime/IDTMContext.h"
#include "platform/runtime/IGUIManager.h"
#include "platform/runtime/IPrivateDataElement.h"
#include "platform/runtime/IPrivateDataModel.h"

namespace kv {

DataSet::DataSet(IDTMContext& context, std::shared_ptr<IPrivateDataModel> model)
    : context_(context),
      model_(std::move(model)),
      channels_(std::make_shared<kv::Channels>(&context)) {}

DataSet::~DataSet() = default;

void DataSet::SetChannels(std::shared_ptr<IChannels> channels) {
    if (!channels)
        throw std::invalid_argument("no channel collection");
    channels_ = std::move(channels);
}

namespace {

size_t PathHash(std::string_view path) {
    return std::hash<std::string_view>{}(path);
}

}  // namespace

IPrivateDataElement* DataSet::Item(const std::string& path) const {
    return byPath_.Find(PathKeys{}, std::string_view(path), PathHash(path)).element;
}

size_t DataSet::PositionOf(const std::string& path) const {
    const IPrivateDataElement* target = Item(path);
    if (!target)
        return elements_.size();
    for (size_t i = 0; i < elements_.size(); ++i) {
        if (elements_[i].get() == target)
            return i;
    }
    return elements_.size();
}

namespace {

// The record an element is a direct member of: its path cut after the last "/" before its end;
// empty for a path without one.
std::string_view RecordOf(std::string_view path) {
    if (path.size() < 2)
        return {};
    const size_t slash = path.rfind('/', path.size() - 2);
    return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash + 1);
}

}  // namespace

std::vector<IPrivateDataElement*> DataSet::RecordMembers(const std::string& recordPath) const {
    if (!IsRecordPath(recordPath))
        return {};
    // The index is built on the first look-up after the elements changed: one walk for all
    // records instead of one for each. A record's members mostly follow one another, so the
    // record of the last member is kept.
    if (!membersIndexed_) {
        members_.clear();
        std::string_view lastRecord;
        std::vector<IPrivateDataElement*>* lastMembers = nullptr;
        for (const auto& e : elements_) {
            const std::string_view record = RecordOf(e->Name());
            if (record.empty())
                continue;
            if (lastMembers == nullptr || record != lastRecord) {
                lastMembers = &members_[std::string(record)];
                lastRecord = record;
            }
            lastMembers->push_back(e.get());
        }
        membersIndexed_ = true;
    }
    auto it = members_.find(recordPath);
    return it == members_.end() ? std::vector<IPrivateDataElement*>() : it->second;
}

void DataSet::AddElement(std::shared_ptr<IPrivateDataElement> element, const std::string& before,
                         const std::string& after) {
    if (!element)
        throw std::invalid_argument("no element to add");
    const std::string& path = element->Name();
    size_t pos = elements_.size();
    if (!before.empty()) {
        pos = PositionOf(before);
    } else if (!after.empty()) {
        pos = PositionOf(after);
        if (pos < elements_.size())
            ++pos;
    }
    const size_t hash = PathHash(path);
    const auto store = [&] {
        const PathRef ref{element.get(), hash};
        elements_.insert(elements_.begin() + static_cast<std::ptrdiff_t>(pos), std::move(element));
        return ref;
    };
    if (!byPath_.Insert(PathKeys{}, std::string_view(path), hash, store).second)
        throw std::invalid_argument("the data set already holds " + path);
    membersIndexed_ = false;
}

void DataSet::Reserve(size_t count) {
    elements_.reserve(count);
    byPath_.Reserve(PathKeys{}, count);
}

void DataSet::Clear() {
    byPath_.Clear();
    members_.clear();
    membersIndexed_ = false;
    elements_.clear();
}

void DataSet::SetBulkUpdateActive(bool active) {
    const bool ended = bulkUpdate_ && !active;
    bulkUpdate_ = active;
    if (ended && model_) {
        // A model that fails evaluates again with the next change.
        Guarded(context_.Diagnostics(), "IPrivateDataModel::BulkUpdateEnded",
                [&] { model_->BulkUpdateEnded(context_); });
    }
}

void DataSet::ElementChanged(IPrivateDataElement& element, const std::string& guiId) {
    // A change outside a bulk update (load, import, walk after an upload) of a value that the
    // data-set state compares is an edit of the data set that the frame must be asked to save.
    if (!bulkUpdate_ && (element.ElementMode() & emCompareStored) != 0)
        modified_ = 1;
    try {
        if (model_)
            model_->DataChanged(element, context_);
    } catch (...) {
        // The element did change: the user interfaces show it even when its rules failed.
        context_.GUIManager().ParameterChanged(element, guiId);
        throw;
    }
    context_.GUIManager().ParameterChanged(element, guiId);
}

void DataSet::OnLockDataSet(const std::string& /*systemTag*/, const std::string& /*invokeId*/) {
    context_.GUIManager().SetLocked(true);
}

void DataSet::OnParameterChanged(const std::string& /*systemTag*/, const std::string& /*xml*/) {
    context_.GUIManager().ParameterSetChanged();
}

bool DataSet::OnUnlockDataSet(const std::string& /*systemTag*/, const std::string& /*invokeId*/) {
    IGUIManager& gui = context_.GUIManager();
    if (!gui.Locked())
        return false;
    gui.SetLocked(false);
    return true;
}

}  // namespace kv
