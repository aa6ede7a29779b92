#pragma once
// What the runtime calls on the DTM's catalogue of functions.

#include <cstdint>
#include <memory>
#include <string>

#include "value/Variant.h"

namespace kv {

class IDTMContext;
class IFunctionCall;
class IOperationPhase;

// The DTM's catalogue of functions (implemented by the core).
class IPrivateFunctions {
  public:
    virtual ~IPrivateFunctions() = default;
    // The function call of the documentation being built; nullptr when none.
    virtual IFunctionCall* DocFuncCall() = 0;

    // The runtime's requests (mode 1: open the user interface of the function whose application
    // id is the argument; mode 2: have the instance saved).
    virtual bool OnGUIRequest(IDTMContext& /*context*/, const std::string& /*guiId*/,
                              const Variant& /*argument*/, int32_t /*mode*/) {
        return false;
    }
    // The functions document for an operation phase.
    virtual std::string GetFunctions(IDTMContext& /*context*/,
                                     std::shared_ptr<IOperationPhase> /*operationPhase*/) {
        return {};
    }
    virtual bool InvokeFunctionRequest(IDTMContext& /*context*/, const std::string& /*invokeId*/,
                                       const IFunctionCall& /*functionCall*/) {
        return false;
    }
    // The ProgID of the function's user interface; "" when it has none.
    virtual std::string GetActiveXProgId(IDTMContext& /*context*/,
                                         const IFunctionCall& /*functionCall*/) {
        return {};
    }
    // The documentation document of the function; "" when it cannot be built.
    virtual std::string GetDocumentation(IDTMContext& /*context*/,
                                         const IFunctionCall& /*functionCall*/) {
        return {};
    }
};

}  // namespace kv
