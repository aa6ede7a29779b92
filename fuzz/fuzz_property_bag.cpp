// A project file's property bag of any content: the XML form is loaded into a bag, whose XML
// form must load again to the same bag, then the whole data set of the device's model is loaded
// from it (the load walk with the change reports) and saved again.

#include <cstdio>
#include <string_view>

#include "FuzzSupport.h"
#include "platform/runtime/DataSetPersistence.h"
#include "platform/runtime/PropertyBag.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kv;
    PropertyBag bag;
    std::vector<BagProblem> problems;
    if (!bag.LoadXml(std::string_view(reinterpret_cast<const char*>(data), size), &problems))
        return 0;

    // What a bag writes, it reads back unchanged: a saved project loads again.
    const std::string xml = bag.ToXml();
    PropertyBag again;
    std::vector<BagProblem> againProblems;
    if (!again.LoadXml(xml, &againProblems) || !againProblems.empty() || again.ToXml() != xml) {
        std::fprintf(stderr, "the bag's own XML form does not load back unchanged:\n%s\n",
                     xml.c_str());
        std::abort();
    }

    fuzz::ModelInstance& m = fuzz::SharedInstance();
    LoadDataSet(m.context, bag);
    PropertyBag saved;
    SaveDataSet(m.context, saved);
    m.loop->RunUntilIdle();
    m.RestoreAll();
    return 0;
}
