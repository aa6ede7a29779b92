#pragma once
// The device model as the core sees it: the definition of the KV6274 with its Physical Block,
// actuator Transducer Block and Analog Output block, its process channels and its cyclic
// configuration. The DTM object hands it to the data model.

#include "core/DeviceDefinition.h"

namespace kv {

// One definition for the process (it holds no state), alive as long as the process.
const IDeviceDefinition* DeviceModel();

}  // namespace kv
