#pragma once
// Save and load of an instance's data set through the frame's property bag: every element
// writes and reads its own keys, then the registered persistent objects follow.

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/runtime/IDTMContext.h"
#include "platform/runtime/IPropertyBag.h"

namespace kv {

using PersistObjectList = std::vector<std::pair<std::string, std::shared_ptr<IPersistObject>>>;

// Every element writes its keys (WriteToPropBag), then every channel and every persistent
// object saves itself. Nothing counts as stored yet: a save whose bag is not kept (its file
// cannot be written) leaves the data set as it was. False when any of them failed; the others
// are still written.
bool SaveDataSet(IDTMContext& context, IPropertyBag& bag, const PersistObjectList& objects = {});
// The bag that SaveDataSet wrote is kept: every element takes its written value and unit as
// its stored ones, and the data set and its channels count as unmodified.
void DataSetSaveCompleted(IParameters& parameters);

// With BulkUpdateActive set (restored on every path): every element reads its keys
// (ReadFromPropBag), then each one is reported as changed, so that the model's rules see the
// whole loaded data set; then the persistent objects load. Afterwards the data set counts as
// unmodified. False when any element or object failed; the others are still loaded.
bool LoadDataSet(IDTMContext& context, const IPropertyBag& bag,
                 const PersistObjectList& objects = {});

}  // namespace kv
