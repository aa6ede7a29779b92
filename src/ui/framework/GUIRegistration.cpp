#include "ui/framework/GUIRegistration.h"

#include "platform/runtime/EntryGuard.h"
#include "platform/runtime/IDTMContext.h"
#include "platform/runtime/IGUIManager.h"

namespace kv {

void TellGUIShown(const std::shared_ptr<IDTMContext>& context, const std::string& guiFunctionCall,
                  bool shown) noexcept {
    if (!context || guiFunctionCall.empty())
        return;
    Guarded(context->Diagnostics(), shown ? "GUI shown" : "GUI hidden", [&] {
        if (shown)
            context->GUIManager().GUIShown(guiFunctionCall);
        else
            context->GUIManager().GUIHidden(guiFunctionCall);
    });
}

void LeaveGUIList(const std::shared_ptr<IDTMContext>& context,
                  const std::string& guiFunctionCall) noexcept {
    if (!context || guiFunctionCall.empty())
        return;
    // The GUI list forgets a user interface that is gone on its own: a failure is only recorded.
    Guarded(context->Diagnostics(), "GUI left",
            [&] { context->GUIManager().UnregisterGUI(guiFunctionCall); });
}

}  // namespace kv
