#pragma once
// The reference frame's window: the project's instances in a list (system tag, tag and device
// type, in the project's order), and for the instance selected there: connect and disconnect
// to the simulated positioner, upload and download with a progress bar, and the DTM's function
// list from which each function opens its user interface in a tab. The DTMs' status texts go to
// the status bar and their questions to message boxes; the language and save are the
// project's.
//
// One simulated positioner stands behind the window, so at most one instance is connected at a
// time; the list marks it. Tabs of every instance stay open side by side, each titled with its
// instance's system tag; showing a tab selects its instance.
//
// Every action is asynchronous: it starts the DTM's work and ends when the DTM tells the frame
// (its container's events, the end of the connection process) through the event loop. The loop
// is the program's (the Qt-backed loop in the program, a manual loop in tests).
//
// The window's parts: the model of the instances and the pane that shows it (InstanceModel,
// InstancePane), the record of the tabs (InstanceTabs), the link to the positioner with the
// state of the connection (DeviceLink) and the status bar (StatusLine). The window joins them
// and holds the language, the save and the close.

#include <QMainWindow>
#include <QMessageBox>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "frame/FrameContainer.h"
#include "platform/os/IEventLoop.h"

class QAction;
class QComboBox;
class QLabel;
class QProgressBar;
class QSplitter;
class QTabWidget;
class QTreeView;
class QTreeWidget;

namespace kv {

class DeviceLink;
class InstanceModel;
class InstancePane;
class InstanceTabs;
class PageRegistry;
class ReferenceFrame;
class SimulatedPositioner;
class StatusLine;
class WindowPrompt;
struct InstanceEntry;

class FrameWindow : public QMainWindow {
    Q_OBJECT

  public:
    // The frame with its instances, the loop and the prompt (the frame's) must outlive the
    // window; the window works on the instances the frame holds when it is made, and selects
    // the first. projectPath: where Save writes the project. registry: where user interfaces
    // are created by their ProgID; nullptr for the program's.
    FrameWindow(ReferenceFrame& frame, std::shared_ptr<IEventLoop> loop,
                std::shared_ptr<SimulatedPositioner> device, std::shared_ptr<WindowPrompt> prompt,
                std::string projectPath, const PageRegistry* registry = nullptr);
    ~FrameWindow() override;

    // --- the instances ---
    // The list of the instances: one row per instance, in the project's order (InstanceModel).
    QTreeView* InstanceList() const;
    // Makes the instance at that place of the project the one the actions work on; False for
    // a place the project does not have.
    bool SelectInstance(int index);
    // The place of the selected instance, and of the connected one (-1 for none).
    int SelectedInstance() const;
    int ConnectedInstance() const;

    // --- what the buttons do, for the selected instance ---
    // False when the action cannot start (busy, already in that state, another instance
    // connected, refused by the DTM).
    bool Connect();
    bool Disconnect();
    bool Upload();
    bool Download();
    // Saves the project with every instance; not while an upload or a download runs.
    bool Save();
    // 9 English, 7 German: the DTMs' and the window's own texts.
    void SetLanguage(int32_t languageId);
    int32_t Language() const { return language_; }

    // Opens the user interface of a function of the selected instance's list (application id)
    // in a tab, or shows the tab that has it already; the invocable function asks the DTM,
    // which names the user interface to open. The tab's widget, or nullptr.
    QWidget* OpenFunction(int32_t applicationId);
    // Asks the tab's user interface to release, after asking the user when it holds input
    // that closing drops; False (the tab and the input stay) on Cancel or when it refuses.
    bool CloseTab(int index);
    // Closes every tab, ends the connection, releases every instance's DTM (the connected one
    // first); False when a user interface or a DTM refused: the tabs and instances before it
    // are closed and released, nothing after it.
    bool ReleaseAll();

    bool Busy() const;
    // Whether the selected instance is connected.
    bool IsConnected() const;
    QTabWidget* Tabs() const { return tabWidget_; }
    QTreeWidget* Functions() const;
    QProgressBar* Progress() const { return progress_; }
    // The last status text shown.
    QString StatusText() const;
    // The width of the instance pane (beside the tabs).
    int PaneWidth() const;
    // Keeps the pane's width in that settings file (WindowSettings.h): takes the width stored
    // there, and stores it when the window closes. Without a call nothing is kept.
    void KeepPaneWidthIn(std::string file);
    // The user interface of a tab (its widget), nullptr for another index.
    QWidget* TabWidget(int index) const;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    class InstancePrompt;

    void BuildUi();
    void ApplyWords();
    void UpdateActions();
    // The selected instance's title, tag and state beside its functions.
    void UpdateInstance();
    // The pane at that width, the tabs taking the rest.
    void SetPaneWidth(int width);
    void Select(InstanceEntry& entry);
    // The selected instance's functions; none once the window released the instances.
    void LoadFunctions();
    void OnContainerEvent(InstanceEntry& entry, const FrameEvent& event);
    // What an instance's DTM asks.
    int32_t AskFor(const InstanceEntry& entry, const std::string& prompt, int32_t style,
                   const std::map<QMessageBox::StandardButton, QString>& buttonTexts = {});
    // Opens the user interface a function call of the instance names; the tab's widget or
    // nullptr.
    QWidget* OpenCall(InstanceEntry& entry, const std::string& functionCall);
    // The title of the tab of a function of the instance.
    QString TabTitle(const InstanceEntry& entry, int32_t applicationId) const;
    // Releases the tab's user interface and closes the tab; False, and why in the status bar,
    // when it refuses.
    bool ReleaseTab(QWidget* page);
    // The DTM's request to save: a user interface's saves as Save does; while the window
    // closes, the answer the user gave before anything closed (saved or not); while the
    // instances are released otherwise, one question for the project.
    bool SaveOnRequest(const InstanceEntry& entry);
    // Writes the project file; its error in the status bar.
    bool WriteProject();
    enum class CloseAnswer { Unchanged, Saved, Discard, Stay };
    // Before anything closes: modified instances, or input that closing drops, ask Save,
    // Discard or Cancel; Stay for Cancel and for a save that failed.
    CloseAnswer AskBeforeClosing();

    ReferenceFrame& frame_;
    std::shared_ptr<IEventLoop> loop_;
    std::shared_ptr<WindowPrompt> prompt_;
    std::string projectPath_;
    const PageRegistry* registry_;
    std::string paneWidthFile_;  // where the pane's width is kept; empty: nowhere
    // The instances in the project's order; the tabs refer to them.
    InstanceModel* model_ = nullptr;
    InstanceEntry* selected_ = nullptr;
    // The instance that holds the channel to the simulated positioner, and its action.
    std::unique_ptr<DeviceLink> link_;
    int32_t invocations_ = 0;  // of the DTMs' invocable functions
    int32_t language_ = 0;
    bool released_ = false;
    std::optional<CloseAnswer> closing_;  // while the window closes: the user's answer
    bool releasing_ = false;              // while ReleaseAll releases the instances

    QAction* connect_ = nullptr;
    QAction* disconnect_ = nullptr;
    QAction* upload_ = nullptr;
    QAction* download_ = nullptr;
    QAction* save_ = nullptr;
    QLabel* languageLabel_ = nullptr;
    QComboBox* languageBox_ = nullptr;
    QSplitter* splitter_ = nullptr;  // the pane beside the tabs
    InstancePane* pane_ = nullptr;
    QTabWidget* tabWidget_ = nullptr;
    std::unique_ptr<InstanceTabs> tabs_;  // which instance's function each tab shows
    QProgressBar* progress_ = nullptr;
    std::unique_ptr<StatusLine> status_;
};

}  // namespace kv
