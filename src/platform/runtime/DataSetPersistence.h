#pragma once
// Save and load of an instance's data set through the frame's property bag: every element
// writes and reads its own keys, then the registered persistent objects follow.

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/runtime/IDTMContext.h"
#include "platform/runtime/IPrivateDataElement.h"
#include "platform/runtime/IPropertyBag.h"

namespace kv {

using PersistObjectList = std::vector<std::pair<std::string, std::shared_ptr<IPersistObject>>>;
// The elements of a save whose stored value and unit are not the written ones yet.
using UnstoredElements = std::vector<std::shared_ptr<IPrivateDataElement>>;

// Every element writes its keys (WriteToPropBag), then every channel and every persistent
// object saves itself. Nothing counts as stored yet: a save whose bag is not kept (its file
// cannot be written) leaves the data set as it was. The elements that the end of the save has
// to change are added to 'unstored' (found while each is at hand, so that the end of a save of
// many instances need not visit every element again). False when any of them failed; the
// others are still written.
bool SaveDataSet(IDTMContext& context, IPropertyBag& bag, const PersistObjectList& objects = {},
                 UnstoredElements* unstored = nullptr);
// The bag that SaveDataSet wrote is kept: the elements it found unstored take their written
// values and units as their stored ones, and the data set and its channels count as unmodified.
void DataSetSaveCompleted(IParameters& parameters, const UnstoredElements& unstored);

// With BulkUpdateActive set (restored on every path): every element reads its keys
// (ReadFromPropBag), then each one is reported as changed, so that the model's rules see the
// whole loaded data set; then the persistent objects load. Afterwards the data set counts as
// unmodified. False when any element or object failed; the others are still loaded.
bool LoadDataSet(IDTMContext& context, const IPropertyBag& bag,
                 const PersistObjectList& objects = {});

}  // namespace kv
