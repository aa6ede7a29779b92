#pragma once
// A user interface's side of its registration with the instance's GUI list (the main window,
// the About page, the page template): reporting that it is shown or hidden, and leaving the list.

#include <memory>
#include <string>

namespace kv {

class IDTMContext;

// Tells the GUI list that the user interface registered under the call was shown (or hidden).
// Nothing without a context or a call; what fails is recorded in the context's log.
void TellGUIShown(const std::shared_ptr<IDTMContext>& context, const std::string& guiFunctionCall,
                  bool shown) noexcept;

// Takes the user interface registered under the call out of the GUI list. An error goes no
// further than the context's log: the list forgets a user interface that is gone on its own.
void LeaveGUIList(const std::shared_ptr<IDTMContext>& context,
                  const std::string& guiFunctionCall) noexcept;

}  // namespace kv
