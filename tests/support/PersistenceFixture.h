#pragma once
// A small instance for the persistence tests: a context with a data set, the data model (for its
// unit table) and the XML helper, plus elements built by hand.

#include <memory>
#include <string>
#include <vector>

#include "core/DataModelHelpers.h"
#include "core/clsDataElement.h"
#include "core/clsDataModel.h"
#include "devicemodel/DeviceModel.h"
#include "platform/runtime/DTMContext.h"
#include "platform/runtime/DataSet.h"
#include "platform/runtime/ManualEventLoop.h"
#include "platform/runtime/XMLHelper.h"
#include "units/clsPROFIBUSProfil3Units.h"

namespace kv::test_support {

struct PersistenceInstance {
    std::shared_ptr<ManualEventLoop> loop = std::make_shared<ManualEventLoop>();
    DTMContext context{loop};
    std::shared_ptr<clsDataModel> model = std::make_shared<clsDataModel>(DeviceModel());
    std::shared_ptr<DataSet> data = std::make_shared<DataSet>(context, model);

    PersistenceInstance() {
        context.SetParameters(data);
        context.SetXMLHelper(std::make_shared<XMLHelper>());
    }

    clsDataElement& Add(const std::string& path, int32_t type, const Variant& initial = {}) {
        clsDataElement& e = AddDataElement(*data, path, initial, type, -1);
        e.InitNew();
        return e;
    }
    clsDataElement& At(const std::string& path) { return AsDataElement(*data->Item(path)); }
    clsPROFIBUSProfil3Units& Units() { return model->PROFIBUSProfil3Units(); }
};

}  // namespace kv::test_support
