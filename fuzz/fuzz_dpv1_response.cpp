// DP-V1 responses of any content for any element of the device's model: the read or write
// response is decoded (ReadTransactionResponse), then a request is encoded from a value of any
// subtype (BuildTransactionRequest). Neither may crash or let an exception escape.

#include <algorithm>

#include "FuzzSupport.h"
#include "platform/runtime/IPrivateDataElement.h"
#include "platform/runtime/Transaction.h"

namespace {

using namespace kv;

Variant SlotOrIndex(FuzzedDataProvider& in, int16_t own) {
    switch (in.ConsumeIntegralInRange<int>(0, 3)) {
        case 0:
            return Variant(own);
        case 1:
            return Variant(static_cast<uint8_t>(own));
        case 2:
            return Variant(in.ConsumeIntegral<int16_t>());
        default:
            return fuzz::AnyVariant(in);
    }
}

}  // namespace

// Input: element position (2 bytes, most significant first) in the data set, flags (bit 0 a
// write response, bit 1 another slot and index than the element's, bit 2 a write request), the
// length of the error information (0 to 4) and its bytes, the length of the response data and
// its bytes; what follows gives the other slot and index and the value of the request.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4)
        return 0;
    fuzz::ModelInstance& m = fuzz::SharedInstance();
    const auto& elements = m.data->Elements();
    clsDataElement& element = AsDataElement(*elements[(data[0] << 8 | data[1]) % elements.size()]);
    const uint8_t flags = data[2];
    size_t at = 3;
    auto take = [&](size_t n) {
        n = std::min(n, size - at);
        ByteArray bytes{std::vector<uint8_t>(data + at, data + at + n), 0};
        at += n;
        return bytes;
    };
    const ByteArray errorInfo = take(data[at++] % 5);
    const ByteArray response = at < size ? take(data[at++]) : ByteArray{};
    FuzzedDataProvider in(data + at, size - at);

    m.Touch(element);
    for (IPrivateDataElement* member : m.data->RecordMembers(element.Name()))
        m.Touch(*member);

    Transaction job;
    job.SetSlot(flags & 2 ? SlotOrIndex(in, element.Slot) : Variant(element.Slot));
    job.SetIndex(flags & 2 ? SlotOrIndex(in, element.index) : Variant(element.index));
    job.SetErrorInfo(errorInfo);
    job.SetData(response);
    m.model->ReadTransactionResponse(m.context, job, (flags & 1) != 0, element);

    element.SetTransientValue(fuzz::AnyVariant(in));
    Transaction request;
    m.model->BuildTransactionRequest(m.context, request, (flags & 4) != 0, element);
    m.loop->RunUntilIdle();
    m.Restore();
    return 0;
}
