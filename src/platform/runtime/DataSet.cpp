#include "platform/runtime/DataSet.h"

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

IPrivateDataElement* DataSet::Item(const std::string& path) const {
    auto it = byPath_.find(path);
    return it == byPath_.end() ? nullptr : it->second;
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

std::vector<IPrivateDataElement*> DataSet::RecordMembers(const std::string& recordPath) const {
    std::vector<IPrivateDataElement*> members;
    if (!IsRecordPath(recordPath))
        return members;
    for (const auto& e : elements_) {
        const std::string& name = e->Name();
        if (name.size() <= recordPath.size() || name.compare(0, recordPath.size(), recordPath) != 0)
            continue;
        // A direct member has no further "/" in its own name, except the one that closes a
        // sub-record.
        size_t slash = name.find('/', recordPath.size());
        if (slash == std::string::npos || slash == name.size() - 1)
            members.push_back(e.get());
    }
    return members;
}

void DataSet::AddElement(std::shared_ptr<IPrivateDataElement> element, const std::string& before,
                         const std::string& after) {
    if (!element)
        throw std::invalid_argument("no element to add");
    const std::string& path = element->Name();
    if (byPath_.count(path))
        throw std::invalid_argument("the data set already holds " + path);
    size_t pos = elements_.size();
    if (!before.empty()) {
        pos = PositionOf(before);
    } else if (!after.empty()) {
        pos = PositionOf(after);
        if (pos < elements_.size())
            ++pos;
    }
    byPath_.emplace(path, element.get());
    elements_.insert(elements_.begin() + static_cast<std::ptrdiff_t>(pos), std::move(element));
}

void DataSet::Clear() {
    byPath_.clear();
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
