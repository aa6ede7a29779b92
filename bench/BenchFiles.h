#pragma once
// What the benchmark programs of the frame share: a failed step's end, and the temporary folder
// that holds the files they make.

#include <stdexcept>
#include <string>

#include "frame/FrameFault.h"
#include "frame/FrameWords.h"
#include "platform/runtime/IDTMDictionary.h"
#include "support/TempFolder.h"

namespace kv::bench {

// Ends the benchmark program when a step it needs fails.
inline void Require(bool ok, const std::string& what) {
    if (!ok)
        throw std::runtime_error(what);
}
inline void Require(bool ok, const FrameFault& fault) {
    if (!ok)
        Require(false, Describe(fault, FrameWordsOf(langEnglish)));
}

// The program's folder, made at its first use.
inline const test_support::TempFolder& Temp() {
    static test_support::TempFolder folder;
    return folder;
}

}  // namespace kv::bench
