#pragma once
// The DTM's catalogue of FDT functions: the function list, the user interface of each function,
// the documentation of a function, the one invocable function and the runtime's requests to open
// a user interface or to have the instance saved.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/runtime/IDTMContext.h"
#include "platform/runtime/IFunctionCall.h"
#include "platform/runtime/IPrivateFunctions.h"

namespace kv {

class clsFunctionMan : public IPrivateFunctions {
  public:
    // The application id of the function that opens the main window.
    static constexpr int32_t kInvocableFunction = 501;

    // The ProgID of the function's user interface; "" when it has none.
    static std::string ProgIdOf(int32_t applicationId);
    // The function bits (ElementMode) that the function's documentation selects.
    static int32_t DocumentationMask(int32_t applicationId);

    // The function call of the documentation being built; created by the first documentation.
    IFunctionCall* DocFuncCall() override { return m_DocFuncCall.get(); }
    void SetDocFuncCall(std::shared_ptr<IFunctionCall> call) { m_DocFuncCall = std::move(call); }

    bool OnGUIRequest(IDTMContext& context, const std::string& guiId, const Variant& argument,
                      int32_t mode) override;
    std::string GetFunctions(IDTMContext& context,
                             std::shared_ptr<IOperationPhase> operationPhase) override;
    bool InvokeFunctionRequest(IDTMContext& context, const std::string& invokeId,
                               const IFunctionCall& functionCall) override;
    std::string GetActiveXProgId(IDTMContext& context, const IFunctionCall& functionCall) override;
    std::string GetDocumentation(IDTMContext& context, const IFunctionCall& functionCall) override;

  private:
    std::shared_ptr<IFunctionCall> m_DocFuncCall;
    std::string m_InvokeId;
};

}  // namespace kv
