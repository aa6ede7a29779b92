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
// What a save wrote that its completion is to store: the elements whose stored value and unit
// were not the written ones, with what was written of them, and the data set's modification
// count (IParameters::ModificationCount) when it was written.
struct WrittenDataSet {
    std::vector<std::pair<std::shared_ptr<IPrivateDataElement>, WrittenValue>> unstored;
    uint64_t modifications = 0;
};

// Every element writes its keys (WriteToPropBag), then every channel and every persistent
// object saves itself. Nothing counts as stored yet: a save whose bag is not kept (its file
// cannot be written) leaves the data set as it was. What the end of the save has to store goes
// to 'written' (found while each element is at hand, so that the end of a save of many
// instances need not visit every element again). False when any of them failed; the others are
// still written.
bool SaveDataSet(IDTMContext& context, IPropertyBag& bag, const PersistObjectList& objects = {},
                 WrittenDataSet* written = nullptr);
// The bag that SaveDataSet wrote is kept: the elements it found unstored take their written
// values and units as their stored ones, whatever they hold by now, and the channels count as
// unmodified; so does the data set unless it was changed after it was written.
void DataSetSaveCompleted(IParameters& parameters, const WrittenDataSet& written);

// With BulkUpdateActive set (restored on every path): every element reads its keys
// (ReadFromPropBag), then each one is reported as changed, so that the model's rules see the
// whole loaded data set; then the persistent objects load. Afterwards the data set counts as
// unmodified. False when any element or object failed; the others are still loaded.
bool LoadDataSet(IDTMContext& context, const IPropertyBag& bag,
                 const PersistObjectList& objects = {});

}  // namespace kv
