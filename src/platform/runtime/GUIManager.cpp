#include "platform/runtime/GUIManager.h"

#include <algorithm>

#include "platform/runtime/EntryGuard.h"
#include "platform/runtime/IDTMContext.h"
#include "platform/runtime/IParameters.h"
#include "platform/runtime/IPrivateDataElement.h"
#include "platform/runtime/IPrivateDataModel.h"

namespace kv {

DiagnosticLog& GUIManager::Log() {
    if (context_ != nullptr)
        return context_->Diagnostics();
    static DiagnosticLog withoutContext;
    return withoutContext;
}

const GUIManager::Entry* GUIManager::Find(const std::string& guiId) const {
    for (const Entry& e : entries_) {
        if (e.id == guiId)
            return &e;
    }
    return nullptr;
}

bool GUIManager::RegisterGUI(const std::string& guiId, std::shared_ptr<IPrivateGUI> gui,
                             bool topLevel) {
    if (guiId.empty() || !gui)
        return false;
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (it->id != guiId)
            continue;
        if (!it->gui.expired())
            return false;
        entries_.erase(it);  // a user interface that is gone leaves its call free
        break;
    }
    entries_.push_back(Entry{guiId, gui, topLevel, false, nextSerial_++});
    return true;
}

bool GUIManager::UnregisterGUI(const std::string& guiId) {
    auto it = std::find_if(entries_.begin(), entries_.end(),
                           [&](const Entry& e) { return e.id == guiId; });
    if (it == entries_.end())
        return false;
    entries_.erase(it);
    return true;
}

std::vector<std::string> GUIManager::FunctionIds() const {
    std::vector<std::string> ids;
    for (const Entry& e : entries_) {
        if (!e.gui.expired())
            ids.push_back(e.id);
    }
    return ids;
}

std::shared_ptr<IPrivateGUI> GUIManager::GetGUI(const std::string& guiId) const {
    const Entry* e = Find(guiId);
    return e ? e->gui.lock() : nullptr;
}

bool GUIManager::IsTopLevel(const std::string& guiId) const {
    const Entry* e = Find(guiId);
    return e && e->topLevel;
}

bool GUIManager::HasOpenGUIs() const {
    return std::any_of(entries_.begin(), entries_.end(),
                       [](const Entry& e) { return !e.gui.expired(); });
}

std::vector<std::pair<uint64_t, std::shared_ptr<IPrivateGUI>>> GUIManager::Snapshot() const {
    std::vector<std::pair<uint64_t, std::shared_ptr<IPrivateGUI>>> list;
    for (const Entry& e : entries_) {
        if (auto gui = e.gui.lock())
            list.emplace_back(e.serial, std::move(gui));
    }
    return list;
}

bool GUIManager::StillRegistered(uint64_t serial) const {
    return std::any_of(entries_.begin(), entries_.end(),
                       [&](const Entry& e) { return e.serial == serial; });
}

template <class Fn>
void GUIManager::ForEach(Fn fn) {
    for (const auto& [serial, gui] : Snapshot()) {
        if (!StillRegistered(serial))
            continue;
        // One failing user interface does not keep the others uninformed.
        Guarded(Log(), "IPrivateGUI", [&fn, &ui = *gui] { fn(ui); });
    }
}

bool GUIManager::CloseAll() {
    bool ok = true;
    for (bool topLevel : {true, false}) {
        std::vector<std::pair<uint64_t, std::shared_ptr<IPrivateGUI>>> list;
        for (const Entry& e : entries_) {
            if (e.topLevel != topLevel)
                continue;
            if (auto gui = e.gui.lock())
                list.emplace_back(e.serial, std::move(gui));
        }
        for (const auto& [serial, gui] : list) {
            if (!StillRegistered(serial))
                continue;  // closed together with its main window
            const bool closed = Guarded(Log(), "IPrivateGUI::CloseGUI", false,
                                        [&ui = *gui] { return ui.CloseGUI(); });
            if (closed) {
                entries_.erase(
                    std::remove_if(entries_.begin(), entries_.end(),
                                   [&, s = serial](const Entry& e) { return e.serial == s; }),
                    entries_.end());
            } else {
                ok = false;
            }
        }
    }
    // Entries whose user interface is gone count as closed.
    entries_.erase(std::remove_if(entries_.begin(), entries_.end(),
                                  [](const Entry& e) { return e.gui.expired(); }),
                   entries_.end());
    return ok;
}

void GUIManager::HoldNotifications(bool hold) {
    hold_ = hold;
    if (!hold && heldBack_) {
        heldBack_ = false;
        ParameterSetChanged();
    }
}

void GUIManager::ParameterChanged(IPrivateDataElement& element, const std::string& /*guiId*/) {
    if (hold_) {
        heldBack_ = true;
        return;
    }
    ForEach([&](IPrivateGUI& gui) { gui.ParameterChanged(element); });
}

void GUIManager::ParameterSetChanged() {
    ForEach([](IPrivateGUI& gui) { gui.ParameterSetChanged(); });
}

void GUIManager::ValidateAll() {
    ForEach([](IPrivateGUI& gui) { gui.ValidateParameters(); });
}

bool GUIManager::HoldsUncommittedInput() {
    bool holds = false;
    ForEach([&](IPrivateGUI& gui) { holds = holds || gui.HoldsUncommittedInput(); });
    return holds;
}

void GUIManager::SetLocked(bool locked) {
    locked_ = locked;
    ForEach([&](IPrivateGUI& gui) { gui.LockStateChanged(locked); });
}

void GUIManager::GUIShown(const std::string& guiId) {
    for (Entry& e : entries_) {
        if (e.id == guiId)
            e.shown = true;
    }
}

void GUIManager::GUIHidden(const std::string& guiId) {
    for (Entry& e : entries_) {
        if (e.id == guiId)
            e.shown = false;
    }
}

bool GUIManager::IsShown(const std::string& guiId) const {
    const Entry* e = Find(guiId);
    return e && e->shown;
}

void GUIManager::SetLanguage(int32_t languageId) {
    if (languageId <= 0)
        return;
    language_ = languageId;
    if (context_) {
        // A model that fails keeps its texts; the language is taken all the same.
        Guarded(Log(), "IPrivateDataModel::SetLanguage", [&] {
            IParameters& parameters = context_->Parameters();
            IPrivateDataModel* model = parameters.DataModel();
            // The model's texts exist only once it is built.
            if (model && !parameters.Elements().empty())
                model->SetLanguage(*context_, languageId);
        });
    }
    ForEach([&](IPrivateGUI& gui) { gui.SetLanguage(languageId); });
}

}  // namespace kv
