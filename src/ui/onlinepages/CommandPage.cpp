#include "ui/onlinepages/CommandPage.h"

#include <algorithm>

#include "core/APIHelpers.h"
#include "core/DictionaryLookup.h"
#include "core/ProjectHelpers.h"
#include "core/clsDataElement.h"
#include "platform/runtime/ElementPath.h"
#include "platform/runtime/ICommunicationManager.h"
#include "platform/runtime/IDTMContext.h"
#include "platform/runtime/IParameters.h"
#include "platform/runtime/IPrivateDataElement.h"
#include "platform/runtime/IPrompt.h"
#include "platform/runtime/ITransactionGroup.h"

namespace kv {

namespace {

// How a command ended, the dictionary's text of key: in the status bar, where it replaces what
// an earlier action said, and in an OK box.
void ShowCommandEnd(IDTMContext& context, const std::string& key,
                    const std::optional<Variant>& argument = std::nullopt) {
    const std::string text = GetDictionaryText(context, key, argument);
    context.DisplayMessage(text);
    context.MessageBox(text, mbsOkOnly);
}

}  // namespace

CommandPage::CommandPage(const PageDesign& design, QWidget* parent)
    : CyclicParameterPage(design, parent), buttons_(design.commands.size()) {}

CommandPage::~CommandPage() = default;

QPushButton* CommandPage::Button(const std::string& name) const {
    return qobject_cast<QPushButton*>(Control(name));
}

void CommandPage::ApplyTabOrder() {
    std::vector<const PageControl*> ordered;
    for (const PageControl& c : Controls()) {
        if (c.widget && c.design->tabIndex >= 0)
            ordered.push_back(&c);
    }
    std::stable_sort(ordered.begin(), ordered.end(), [](const auto* a, const auto* b) {
        return a->design->tabIndex < b->design->tabIndex;
    });
    for (size_t i = 1; i < ordered.size(); ++i)
        QWidget::setTabOrder(ordered[i - 1]->widget, ordered[i]->widget);
}

bool CommandPage::StillOpen(const QPointer<CommandPage>& page) {
    return page && page->IsInitialised();
}

std::string CommandPage::CommandPath(const CommandDesign& command) const {
    return WithBlockNumber(command.elementPath, BlockIndex());
}

Variant CommandPage::CommandValue(const CommandDesign& command) {
    if (command.value32)
        return Variant(command.value);
    return Variant(static_cast<int16_t>(command.value));
}

// --- the buttons ---

void CommandPage::OnButtonClick(const std::string& name) {
    if (!IsInitialised())
        return;
    const std::vector<CommandDesign>& commands = Design().commands;
    for (size_t i = 0; i < commands.size(); ++i) {
        if (commands[i].button != name)
            continue;
        // A later click replaces the id: the end of the earlier read then matches nothing.
        buttons_[i].pendingCheckId = NewGuidString(Variant(false));
        StartWriteLockUpload(*GetDtmContext(), buttons_[i].pendingCheckId, ProcessCallback());
        return;
    }
}

void CommandPage::UpdateButtons() {
    std::shared_ptr<IDTMContext> context = GetDtmContext();
    if (!context)
        return;
    const bool enabled = context->CommunicationManager().Communication() != nullptr;
    for (const CommandDesign& command : Design().commands) {
        if (QPushButton* button = Button(command.button))
            button->setEnabled(enabled);
    }
}

void CommandPage::OnParameterChanged(IPrivateDataElement& element) {
    CyclicParameterPage::OnParameterChanged(element);
    UpdateButtons();
    FollowCommands(element);
}

void CommandPage::OnParameterSetChanged() {
    CyclicParameterPage::OnParameterSetChanged();
    UpdateButtons();
}

// --- the command flow ---

void CommandPage::OnProcessFinished(const std::string& processId, bool success) {
    CyclicParameterPage::OnProcessFinished(processId, success);
    if (!IsInitialised())
        return;
    const std::vector<CommandDesign>& commands = Design().commands;
    const QPointer<CommandPage> self(this);
    // The end of a button's write-protection read: check, ask, write.
    for (size_t i = 0; i < commands.size(); ++i) {
        if (!IsSameText(processId, buttons_[i].pendingCheckId))
            continue;
        buttons_[i].pendingCheckId.clear();
        // The check judges the values as the read left them; it has told the user why not.
        if (!CheckWriteProtection(*GetDtmContext()) || !StillOpen(self))
            return;
        if (!commands[i].alertKey.empty() &&
            (!ConfirmCommand(commands[i].alertKey) || !StillOpen(self)))
            return;
        ExecuteCommand(i);
        return;
    }
    // The end of a job of the page's group (a command's write, or the page's own read).
    ITransactionGroup* group = Group();
    if (group == nullptr || !group->OwnsProcess(processId))
        return;
    const std::string key = group->Elements();
    std::optional<size_t> done;
    for (size_t i = 0; i < commands.size(); ++i) {
        // A button whose command was never queued has no job, whatever the key.
        if (!buttons_[i].jobId.empty() && buttons_[i].jobId == key) {
            done = i;
            break;
        }
    }
    // The group is emptied before the user is told, so that nothing is left to do after the
    // message box.
    group->Clear();
    if (!done)
        return;
    if (success) {
        ShowCommandDone(commands[*done].doneKey);
    } else {
        buttons_[*done].watchedFrom.reset();  // a command that was not written does not run
        ShowCommandEnd(*GetDtmContext(), "error_at_write_status");
    }
}

bool CommandPage::ConfirmCommand(const std::string& alertKey) {
    std::shared_ptr<IDTMContext> context = GetDtmContext();
    const std::string text = GetDictionaryText(*context, alertKey);
    return context->MessageBox(text, mbsYesNoQuestionDefaultNo) == mbaYes;
}

void CommandPage::ShowCommandDone(const std::string& textKey) {
    std::shared_ptr<IDTMContext> context = GetDtmContext();
    const std::string buttonText = GetDictionaryText(*context, textKey);
    ShowCommandEnd(*context, "meld_quit_reset", Variant(buttonText));
}

void CommandPage::ExecuteCommand(size_t command) {
    std::shared_ptr<IDTMContext> context = GetDtmContext();
    ITransactionGroup* group = Group();
    if (!context || group == nullptr)
        return;
    if (group->Busy()) {
        // Writes are serialised by the group: the user learns that this one is not sent.
        ShowCommandEnd(*context, "command_already_active");
        return;
    }
    const CommandDesign& design = Design().commands[command];
    if (group->ConnectionStatus() == 0) {
        IPrivateDataElement* element = context->Parameters().Item(CommandPath(design));
        if (element == nullptr) {
            // A block number without the command element: nothing can be written.
            ShowCommandEnd(*context, "error_at_write_status");
            return;
        }
        element->SetTransientValue(CommandValue(design));
        group->AddElement(*element, true);
        // The command values of a page differ from each other: the value names the button.
        buttons_[command].jobId = group->Elements();
    }
    ButtonState& state = buttons_[command];
    state.running = false;
    state.watchedFrom.reset();
    if (!design.progress.statusPath.empty()) {
        if (IPrivateDataElement* status = context->Parameters().Item(
                WithBlockNumber(design.progress.statusPath, BlockIndex())))
            state.watchedFrom = DeviceOrDataSetValue(*status);
    }
    if (group->Execute(ProcessCallback(), true, true) != 0) {
        group->Clear();
        state.watchedFrom.reset();
        ShowCommandEnd(*context, "error_at_write_status");
    }
}

void CommandPage::FollowCommands(IPrivateDataElement& element) {
    std::shared_ptr<IDTMContext> context = GetDtmContext();
    if (!context)
        return;
    const std::vector<CommandDesign>& commands = Design().commands;
    for (size_t i = 0; i < commands.size(); ++i) {
        ButtonState& state = buttons_[i];
        const CommandProgress& progress = commands[i].progress;
        if (!state.watchedFrom ||
            !IsSameText(element.Name(), WithBlockNumber(progress.statusPath, BlockIndex())))
            continue;
        const Variant& shown = DeviceOrDataSetValue(element);
        const std::optional<int32_t> status = shown.tryLong();
        if (!status)
            continue;
        if (*status == progress.running) {
            state.running = true;
            continue;
        }
        const bool failed = std::find(progress.failed.begin(), progress.failed.end(), *status) !=
                            progress.failed.end();
        // An end that the device showed before the command was sent is an earlier one's,
        // unless the command was seen running.
        if ((*status != progress.done && !failed) ||
            (!state.running && VariantsEqual(shown, *state.watchedFrom)))
            continue;
        state.watchedFrom.reset();
        state.running = false;
        const clsDataElement* reporting = AsDataElement(&element);
        std::string statusText =
            reporting != nullptr ? reporting->GetStrValueFromIdxList(*status) : std::string();
        if (statusText.empty())
            statusText = std::to_string(*status);
        context->DisplayMessage(GetDictionaryText(
            *context, failed ? "meld_cmd_failed" : "meld_cmd_done",
            Variant(GetDictionaryText(*context, commands[i].doneKey)), Variant(statusText)));
    }
}

}  // namespace kv
