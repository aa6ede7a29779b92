#pragma once
// The frame's function calls and operation phases, parsed from their FDT documents (shapes in
// platform/runtime/FdtDocuments.h).

#include <cstdint>
#include <memory>
#include <string>

#include "value/Variant.h"

namespace kv {

class IDTMContext;

class IFunctionCall {
  public:
    virtual ~IFunctionCall() = default;
    // Takes over a function call document; False (the call unchanged) when the text is not one.
    virtual bool Parse(const std::string& text, IDTMContext& context) = 0;
    // The DTM's own number of the function (the catalogue's application id).
    virtual int32_t ApplicationId() const = 0;
    virtual void SetApplicationId(int32_t id) = 0;
    // The frame's identifier of the function; empty when the call gives none.
    virtual const std::string& FunctionId() const = 0;
    virtual void SetFunctionId(const std::string& id) = 0;
    // The argument of the call; Empty when it has none.
    virtual const Variant& FunctionArgument() const = 0;
    virtual void SetFunctionArgument(const Variant& argument) = 0;
    // The call as a function call document.
    virtual std::string ToXml(IDTMContext& context) const = 0;
};

class IOperationPhase {
  public:
    virtual ~IOperationPhase() = default;
    // Takes over an operation phase document; False (the phase unchanged) when the text is not
    // one.
    virtual bool Parse(const std::string& text, IDTMContext& context) = 0;
    // The phase's name; empty for a phase that was never parsed.
    virtual const std::string& Phase() const = 0;
    virtual std::string ToXml(IDTMContext& context) const = 0;
};

// A holder of the last operation phase the frame asked for (the DTM's state object).
class IOperationPhaseHolder {
  public:
    virtual ~IOperationPhaseHolder() = default;
    virtual void SetLastOpPhase(std::shared_ptr<IOperationPhase> phase) = 0;
    // The phase kept last; nullptr when none.
    virtual std::shared_ptr<IOperationPhase> LastOpPhase() const { return nullptr; }
};

std::shared_ptr<IFunctionCall> NewFunctionCall();
std::shared_ptr<IOperationPhase> NewOperationPhase();

}  // namespace kv
