#include "platform/runtime/DataSetPersistence.h"

#include "platform/runtime/Channels.h"
#include "platform/runtime/EntryGuard.h"
#include "platform/runtime/IDTMContext.h"
#include "platform/runtime/IParameters.h"
#include "platform/runtime/IPropertyBag.h"
#include "platform/runtime/PropertyBag.h"

namespace kv {

bool SaveDataSet(IDTMContext& context, IPropertyBag& bag, const PersistObjectList& objects,
                 WrittenDataSet* written) {
    IParameters& parameters = context.Parameters();
    DiagnosticLog& log = context.Diagnostics();
    if (written != nullptr)
        written->modifications = parameters.ModificationCount();
    bool ok = true;
    // Each part is written whatever another one does.
    for (const auto& element : parameters.Elements()) {
        ok = Guarded(log, "IPrivateDataElement::WriteToPropBag", false,
                     [&] { return element->WriteToPropBag(bag, context); }) &&
             ok;
        if (written == nullptr)
            continue;
        if (std::optional<WrittenValue> value = element->Unstored())
            written->unstored.emplace_back(element, std::move(*value));
    }
    ok = Guarded(log, "SaveDataSet", false,
                 [&] { return SaveChannels(parameters.Channels(), bag, log); }) &&
         ok;
    for (const auto& named : objects) {
        const auto& object = named.second;
        ok = Guarded(log, "IPersistObject::Save", false, [&] { return object->Save(bag); }) && ok;
    }
    return ok;
}

void DataSetSaveCompleted(IParameters& parameters, const WrittenDataSet& written) {
    for (const auto& [element, value] : written.unstored)
        element->SaveCompleted(value);
    parameters.Channels().SetModified(0);
    if (parameters.ModificationCount() == written.modifications)
        parameters.SetModifiedState(0);
}

bool LoadDataSet(IDTMContext& context, const IPropertyBag& bag, const PersistObjectList& objects) {
    IParameters& parameters = context.Parameters();
    DiagnosticLog& log = context.Diagnostics();
    ReadOnlyBagView view(bag);
    bool ok = true;
    {
        const ScopedBulkUpdate bulk(parameters);
        // Each part is read whatever another one does. Elements may be added by the rules while
        // the walk runs: walk a copy.
        auto elements = parameters.Elements();
        for (const auto& element : elements) {
            ok = Guarded(log, "IPrivateDataElement::ReadFromPropBag", false,
                         [&] { return element->ReadFromPropBag(view, context); }) &&
                 ok;
        }
        for (const auto& element : elements) {
            ok = Guarded(log, "LoadDataSet: change walk", false,
                         [&] {
                             parameters.ElementChanged(*element, "");
                             return true;
                         }) &&
                 ok;
        }
        // After the change walk: a stored bus master configuration re-sets the channels, and
        // the channels' own stored state wins.
        ok = Guarded(log, "LoadDataSet", false,
                     [&] { return LoadChannels(parameters.Channels(), view, log); }) &&
             ok;
        for (const auto& named : objects) {
            const auto& object = named.second;
            ok = Guarded(log, "IPersistObject::Load", false, [&] { return object->Load(bag); }) &&
                 ok;
        }
    }
    parameters.SetModifiedState(0);
    return ok;
}

}  // namespace kv
