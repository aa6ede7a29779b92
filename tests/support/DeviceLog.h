#pragma once
// What reached the simulated positioner, and where the data set's elements live on it: the two
// views the online tests (runtime and frame) compare.

#include <map>
#include <set>
#include <utility>

#include "core/clsDataElement.h"
#include "platform/runtime/IParameters.h"
#include "sim/SimulatedPositioner.h"

namespace kv::test_support {

// Slot and index of a DP-V1 request.
using Address = std::pair<int32_t, int32_t>;

// The requests that reached the device, per address: its reads or its writes.
inline std::map<Address, int> RequestsAt(const SimulatedPositioner& device, bool writes) {
    std::map<Address, int> out;
    for (const Dpv1Request& r : device.Log()) {
        if (r.write == writes)
            ++out[{r.slot, r.index}];
    }
    return out;
}

// The addresses of the elements that the predicate picks (the members of a record share its
// address).
template <class Pred>
std::set<Address> AddressesOf(const IParameters& parameters, Pred pred) {
    std::set<Address> out;
    for (const auto& p : parameters.Elements()) {
        clsDataElement& e = AsDataElement(*p);
        if (pred(e))
            out.insert({e.Slot, e.index});
    }
    return out;
}

// The same addresses, each requested once.
template <class Pred>
std::map<Address, int> OnceEach(const IParameters& parameters, Pred pred) {
    std::map<Address, int> out;
    for (const Address& a : AddressesOf(parameters, pred))
        out[a] = 1;
    return out;
}

}  // namespace kv::test_support
