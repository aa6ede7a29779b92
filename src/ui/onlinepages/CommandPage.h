#pragma once
// The device command page: a read-only cyclic parameter page whose buttons each write one fixed
// value into the page's command element. A click reads the two write-protection parameters
// under a process id of its own; when that read ends the page checks them, asks the user (where
// the button has a question) and queues the write in its transaction group. When the write's
// job ends the page tells the user: the done message naming the button, or
// "error_at_write_status" when the write failed. A command that runs on in the device (its
// design names the element that reports it) is followed in what the page's reads show of that
// element: once it has ended, the status text says how ("meld_cmd_done" or "meld_cmd_failed",
// with the button and the element's text). The buttons are enabled while the DTM has a
// communication channel.
//
// Each button has its pending check id (the id of the read its last click started) and its job
// id (the group's key when its command was last queued). Writes are serialised by the page's
// group: a command confirmed while the group is busy is refused with "command_already_active".
// Every step after a message box first makes sure that the page is still open.

#include <QPushButton>
#include <optional>
#include <string>
#include <vector>

#include "ui/onlinepages/CyclicParameterPage.h"

namespace kv {

class CommandPage : public CyclicParameterPage {
    Q_OBJECT

  public:
    explicit CommandPage(const PageDesign& design, QWidget* parent = nullptr);
    ~CommandPage() override;

    // The button of a command by its name ("cmdWarmStart"); nullptr when the page has none.
    QPushButton* Button(const std::string& name) const;
    // Sets the tab order of the buttons by their designer tab indices.
    void ApplyTabOrder();
    // Its rows show the device's state; its reads (the refresh, Read, the write-protection
    // check) leave the project's values.
    bool ShowsDevice() const override { return true; }

    // --- IPrivateProcess ---
    // The progress report, then the command flow: the end of a button's write-protection read
    // leads to the check, the question and the write; the end of a job of the page's group to
    // the done message (or the write error) and an empty group.
    void OnProcessFinished(const std::string& processId, bool success) override;

  protected:
    void OnButtonClick(const std::string& name) override;
    void OnParameterChanged(IPrivateDataElement& element) override;
    void OnParameterSetChanged() override;

  private:
    struct ButtonState {
        std::string pendingCheckId;
        std::string jobId;
        // A command that runs on in the device, from its write on: the status it had before
        // (an end the device shows already is not this command's), and whether a read has
        // shown it running since.
        std::optional<Variant> watchedFrom;
        bool running = false;
    };

    // The buttons are enabled exactly while the DTM has a communication channel.
    void UpdateButtons();
    bool ConfirmCommand(const std::string& alertKey);
    void ShowCommandDone(const std::string& textKey);
    // Queues the command of the button with this index and starts the group.
    void ExecuteCommand(size_t command);
    // The command's element path and value as the page writes them.
    std::string CommandPath(const CommandDesign& command) const;
    static Variant CommandValue(const CommandDesign& command);
    // The device's report of the running commands in a value the page has read: the end of a
    // command is told once.
    void FollowCommands(IPrivateDataElement& element);
    // The page is still open after a message box.
    static bool StillOpen(const QPointer<CommandPage>& page);

    std::vector<ButtonState> buttons_;  // in the order of the table's commands
};

}  // namespace kv
