#pragma once
// The GUI list of an instance: the open user interfaces under their GUI function calls, and the
// notifications the runtime sends to them. The list does not keep a user interface alive: the
// window system owns it, and one that is gone is skipped and counts as closed.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/runtime/IDTMContext.h"
#include "platform/runtime/IDTMDictionary.h"
#include "platform/runtime/IGUIManager.h"
#include "platform/runtime/IPrivateDataElement.h"
#include "platform/runtime/IPrivateGUI.h"
#include "value/DiagnosticLog.h"

namespace kv {

class GUIManager : public IGUIManager {
  public:
    // context: the instance whose data model follows the language (may be nullptr); it owns
    // the list and so outlives it.
    explicit GUIManager(IDTMContext* context = nullptr) : context_(context) {}

    // False for an empty call, no user interface, or a call under which a live user interface
    // is registered already.
    bool RegisterGUI(const std::string& guiId, std::shared_ptr<IPrivateGUI> gui,
                     bool topLevel) override;
    bool UnregisterGUI(const std::string& guiId) override;
    std::vector<std::string> FunctionIds() const override;
    std::shared_ptr<IPrivateGUI> GetGUI(const std::string& guiId) const override;
    bool IsTopLevel(const std::string& guiId) const;

    bool HasOpenGUIs() const override;
    // Asks every user interface to close, the top-level ones first; those that closed leave the
    // list. False when any refused or failed.
    bool CloseAll() override;

    // The notifications go to the user interfaces registered when the call began and still
    // registered when their turn comes, so that one may unregister (itself or another) while it
    // is told. A user interface that fails does not stop the others.
    void ParameterChanged(IPrivateDataElement& element, const std::string& guiId) override;
    void ParameterSetChanged() override;
    void ValidateAll() override;
    bool HoldsUncommittedInput() override;
    bool Locked() const override { return locked_; }
    void SetLocked(bool locked) override;

    // While held, element changes are not passed on (a property-bag load reports every element);
    // releasing the hold tells every user interface ParameterSetChanged once when any change
    // was held back.
    void HoldNotifications(bool hold);

    void GUIShown(const std::string& guiId) override;
    void GUIHidden(const std::string& guiId) override;
    bool IsShown(const std::string& guiId) const;

    int32_t Language() const override { return language_; }
    // Takes a language id greater than 0 (others are ignored); the data model and every open
    // user interface follow it.
    void SetLanguage(int32_t languageId) override;

  private:
    struct Entry {
        std::string id;
        std::weak_ptr<IPrivateGUI> gui;
        bool topLevel = false;
        bool shown = false;
        uint64_t serial = 0;
    };
    const Entry* Find(const std::string& guiId) const;
    // The live user interfaces registered now, with their registration serials.
    std::vector<std::pair<uint64_t, std::shared_ptr<IPrivateGUI>>> Snapshot() const;
    bool StillRegistered(uint64_t serial) const;
    template <class Fn>
    void ForEach(Fn fn);
    // Where the entry-point guard records what a user interface let escape: the context's log,
    // or, for a list that belongs to no context, one log of all such lists.
    DiagnosticLog& Log();

    IDTMContext* context_;
    std::vector<Entry> entries_;
    uint64_t nextSerial_ = 1;
    int32_t language_ = langEnglish;
    bool locked_ = false;
    bool hold_ = false;
    bool heldBack_ = false;
};

}  // namespace kv
