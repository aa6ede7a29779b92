#pragma once
// An instance of the reference frame as the program sets it up: the user information of a
// maintenance user, then the new instance "PV-101".

#include <stdexcept>
#include <string>

#include "frame/ReferenceFrame.h"

namespace kv::test_support {

inline FrameInstance& AddFrameInstance(ReferenceFrame& frame) {
    frame.SetUserInformation(R"(<FDT><UserInformation role="Maintenance"/></FDT>)");
    std::string error;
    FrameInstance* instance = frame.AddInstance("PV-101", "KV6274PA", error);
    if (instance == nullptr)
        throw std::runtime_error(error);
    return *instance;
}

}  // namespace kv::test_support
