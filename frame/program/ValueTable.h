#pragma once
// The tables of the terminal run: the device's identification and live values, a row a value
// with its label, read from the DTM's data set of the instance.

#include "frame/FrameWords.h"

namespace kv {
class IDTMContext;
}  // namespace kv

namespace kv::program {

// The device's identification and live values, with numbers as the DTM's language writes them.
void PrintDeviceValues(IDTMContext& context, const FrameWords& words);

}  // namespace kv::program
