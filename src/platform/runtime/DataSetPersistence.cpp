#include "platform/runtime/DataSetPersistence.h"

#include "platform/runtime/Channels.h"
#include "platform/runtime/IParameters.h"
#include "platform/runtime/IPropertyBag.h"
#include "platform/runtime/PropertyBag.h"

namespace kv {

bool SaveDataSet(IDTMContext& context, IPropertyBag& bag, const PersistObjectList& objects) {
    IParameters& parameters = context.Parameters();
    bool ok = true;
    for (const auto& element : parameters.Elements()) {
        try {
            ok = element->WriteToPropBag(bag, context) && ok;
        } catch (...) {
            ok = false;
        }
    }
    try {
        ok = SaveChannels(parameters.Channels(), bag) && ok;
    } catch (...) {
        ok = false;
    }
    for (const auto& [name, object] : objects) {
        try {
            ok = object->Save(bag) && ok;
        } catch (...) {
            ok = false;
        }
    }
    parameters.SetModifiedState(0);
    return ok;
}

bool LoadDataSet(IDTMContext& context, const IPropertyBag& bag, const PersistObjectList& objects) {
    IParameters& parameters = context.Parameters();
    ReadOnlyBagView view(bag);
    bool ok = true;
    const bool wasBulk = parameters.BulkUpdateActive();
    parameters.SetBulkUpdateActive(true);
    try {
        // Elements may be added by the rules while the walk runs: walk a copy.
        auto elements = parameters.Elements();
        for (const auto& element : elements) {
            try {
                ok = element->ReadFromPropBag(view, context) && ok;
            } catch (...) {
                ok = false;
            }
        }
        for (const auto& element : elements) {
            try {
                parameters.ElementChanged(*element, "");
            } catch (...) {
                ok = false;
            }
        }
        // After the change walk: a stored bus master configuration re-sets the channels, and
        // the channels' own stored state wins.
        ok = LoadChannels(parameters.Channels(), view) && ok;
        for (const auto& [name, object] : objects) {
            try {
                ok = object->Load(bag) && ok;
            } catch (...) {
                ok = false;
            }
        }
    } catch (...) {
        ok = false;
    }
    parameters.SetBulkUpdateActive(wasBulk);
    parameters.SetModifiedState(0);
    return ok;
}

}  // namespace kv
