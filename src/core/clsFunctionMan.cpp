#include "core/clsFunctionMan.h"

#include <optional>

#include "platform/fdt/FdtFrameInterfaces.h"
#include "platform/runtime/EntryGuard.h"
#include "platform/runtime/FdtDocuments.h"
#include "platform/runtime/ICommunicationManager.h"
#include "platform/runtime/IDTMContext.h"
#include "platform/runtime/IDTMEvents.h"
#include "platform/runtime/IStateObject.h"
#include "value/NumberText.h"
#include "value/ScopedValue.h"

namespace kv {

std::string clsFunctionMan::ProgIdOf(int32_t applicationId) {
    switch (applicationId) {
        case 1:
        case 2:
        case 3:
        case 5:
        case 7:
        case 8:
        case 9:
        case 10:
        case 11:
        case 12:
        case 13:
        case 14:
            return "KV6274PA.ctlNavigationMain";
        case 15:
            return "KV6274PA.ctlAbout";
        default:
            return {};
    }
}

int32_t clsFunctionMan::DocumentationMask(int32_t applicationId) {
    switch (applicationId) {
        case 1:
        case 9:
            return 0x2000000;
        case 2:
        case 3:
            return 0x200000;
        case 4:
        case 7:
        case 8:
        case 10:
        case 11:
        case 12:
        case 13:
            return 0x800000;
        case 5:
            return 0x100000;
        case 14:
            return 0x2AF0000;
        default:
            return 0;
    }
}

bool clsFunctionMan::OnGUIRequest(IDTMContext& context, const std::string& /*guiId*/,
                                  const Variant& argument, int32_t mode) {
    if (mode == 1) {
        IDTMEvents* events = context.DTMEvents();
        if (!events)
            return false;
        const std::optional<int32_t> applicationId = argument.tryLong();
        if (!applicationId)
            return false;
        auto call = NewFunctionCall();
        call->SetApplicationId(*applicationId);
        events->OpenGUIRequest(context.SystemTag(), call->ToXml(context));
        return true;
    }
    if (mode == 2) {
        IFdtContainer* container = context.Container();
        return container && container->RequestSave(context.SystemTag());
    }
    return false;
}

std::string clsFunctionMan::GetFunctions(IDTMContext& context,
                                         std::shared_ptr<IOperationPhase> operationPhase) {
    // The state object keeps the phase when it is one that holds phases.
    if (auto* holder = dynamic_cast<IOperationPhaseHolder*>(context.StateObject()))
        holder->SetLastOpPhase(operationPhase);
    const int32_t online = context.CommunicationManager().HasCommunication() ? 4 : 0;
    FunctionListBuilder builder;
    for (const char* group : {"Trend", "Measure", "Diagnosis", "Simulation", "Operation"})
        builder.AddFunctionGroup(group, online, 0);
    return builder.BuildFunctions(context, "DTMFunctions").value_or(std::string());
}

bool clsFunctionMan::InvokeFunctionRequest(IDTMContext& context, const std::string& invokeId,
                                           const IFunctionCall& functionCall) {
    if (!m_InvokeId.empty())
        return false;
    if (functionCall.ApplicationId() != kInvocableFunction)
        return false;
    // The guard is freed on every path, so that a refused request does not block later ones.
    const ScopedValue running(m_InvokeId, invokeId);
    IDTMEvents* events = context.DTMEvents();
    if (!events)
        return false;
    DiagnosticLog& log = context.Diagnostics();
    const bool opened = Guarded(log, "IDTMEvents::OpenGUIRequest", false, [&] {
        events->OpenGUIRequest(context.SystemTag(), functionCall.ToXml(context));
        return true;
    });
    if (!opened) {
        // The frame refused both when this fails too; the request simply failed.
        Guarded(log, "IDTMEvents::InvokedFunctionFinished",
                [&] { events->InvokedFunctionFinished(m_InvokeId, false); });
        return false;
    }
    events->InvokedFunctionFinished(m_InvokeId, true);
    return true;
}

std::string clsFunctionMan::GetActiveXProgId(IDTMContext& /*context*/,
                                             const IFunctionCall& functionCall) {
    return ProgIdOf(functionCall.ApplicationId());
}

std::string clsFunctionMan::GetDocumentation(IDTMContext& context,
                                             const IFunctionCall& functionCall) {
    int32_t mask = 0;
    const Variant& arg = functionCall.FunctionArgument();
    if (!arg.isEmpty() && IsNumeric(arg)) {
        const std::optional<int32_t> n = arg.tryLong();
        if (n && *n >= 0 && *n <= 11)
            mask = 0x10000 << *n;
    } else {
        mask = DocumentationMask(functionCall.ApplicationId());
    }
    if (!m_DocFuncCall)
        m_DocFuncCall = NewFunctionCall();
    m_DocFuncCall->SetFunctionArgument(functionCall.FunctionArgument());
    m_DocFuncCall->SetApplicationId(functionCall.ApplicationId());
    m_DocFuncCall->SetFunctionId(functionCall.FunctionId());
    DocumentBuilder builder;
    return builder.BuildDocument(context, "DTMDoc", mask, "").value_or(std::string());
}

}  // namespace kv
