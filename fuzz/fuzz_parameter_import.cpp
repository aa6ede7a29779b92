// A parameter document of any content imported into the device's model
// (ParameterXMLConverter::SetParametersXml), under one of the parameter paths a frame uses, then
// exported again.

#include <string>

#include "FuzzSupport.h"
#include "platform/runtime/FdtDocuments.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kv;
    FuzzedDataProvider in(data, size);
    static const char* const kPaths[] = {"", "PHYS/", "TRANS/", "AO/", "~/", "DTM_1/"};
    const uint8_t choice = in.ConsumeIntegral<uint8_t>();
    const std::string path = choice < 6 ? kPaths[choice] : in.ConsumeRandomLengthString(16);
    const int32_t flags = in.ConsumeIntegral<int32_t>();
    const std::string xml = in.ConsumeRemainingBytesAsString();

    fuzz::ModelInstance& m = fuzz::SharedInstance();
    ParameterXMLConverter converter;
    converter.SetParametersXml(path, m.context, xml, flags);
    m.loop->RunUntilIdle();
    converter.GetParametersXml(m.context, path, 0);
    m.RestoreAll();
    return 0;
}
