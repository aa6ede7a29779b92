#pragma once
// The reference frame's window: the project's instance with its tag, connect and disconnect to
// the simulated positioner, upload and download with a progress bar, the DTM's function list
// from which each function opens its user interface in a tab, the DTM's status texts in the
// status bar, its questions as message boxes, the language and save.
//
// Every action is asynchronous: it starts the DTM's work and ends when the DTM tells the frame
// (its container's events, the end of the connection process) through the event loop. The loop
// is the program's (the Qt-backed loop in the program, a manual loop in tests).

#include <QMainWindow>
#include <QPointer>
#include <cstdint>
#include <functional>
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
class QTreeWidget;
class QTreeWidgetItem;

namespace kv {

class DTMMain;
class IDTMContext;
class PageRegistry;
class ReferenceFrame;
class SimulatedChannel;
class SimulatedPositioner;
class WindowPrompt;
struct FrameInstance;
struct FrameWords;

class FrameWindow : public QMainWindow {
    Q_OBJECT

  public:
    // The frame, its instance, the loop and the prompt (the frame's) must outlive the window.
    // projectPath: where Save writes the project. registry: where user interfaces are created
    // by their ProgID; nullptr for the program's.
    FrameWindow(ReferenceFrame& frame, FrameInstance& instance, std::shared_ptr<IEventLoop> loop,
                std::shared_ptr<SimulatedPositioner> device, std::shared_ptr<WindowPrompt> prompt,
                std::string projectPath, const PageRegistry* registry = nullptr);
    ~FrameWindow() override;

    // --- what the buttons do ---
    // False when the action cannot start (busy, already in that state, refused by the DTM).
    bool Connect();
    bool Disconnect();
    bool Upload();
    bool Download();
    bool Save();
    // 9 English, 7 German: the DTM and the window's own texts.
    void SetLanguage(int32_t languageId);
    int32_t Language() const { return language_; }

    // Opens the user interface of a function of the DTM's list (application id) in a tab, or
    // shows the tab that has it already; the invocable function asks the DTM, which names the
    // user interface to open. The tab's widget, or nullptr.
    QWidget* OpenFunction(int32_t applicationId);
    // Asks the tab's user interface to release; False (the tab stays) when it refuses.
    bool CloseTab(int index);
    // Closes every tab, ends the connection, releases the DTM; False when a user interface
    // refused (nothing else happened then).
    bool ReleaseAll();

    bool Busy() const { return busy_.has_value(); }
    bool IsConnected() const;
    QTabWidget* Tabs() const { return tabs_; }
    QTreeWidget* Functions() const { return functions_; }
    QProgressBar* Progress() const { return progress_; }
    // The last status text shown.
    QString StatusText() const;
    // The user interface of a tab (its widget), nullptr for another index.
    QWidget* TabWidget(int index) const;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    class ProcessWatch;
    enum class Action { Connecting, Uploading, Downloading, Disconnecting };

    IDTMContext& Ctx() const;
    void BuildUi();
    void ApplyWords();
    void UpdateActions();
    void UpdateInstance();
    // The tag that a parameter document of the DTM holds; a document without it changes none.
    void TakeTag(const std::string& parameterDocument);
    void LoadFunctions();
    void OnContainerEvent(const FrameEvent& event);
    // Starts an upload or a download of the whole data set.
    bool StartTransfer(Action action);
    // A status text in the window's words: shown again in the language that the user
    // chooses later.
    using StatusWords = std::function<QString(const FrameWords& words)>;
    void Finish(StatusWords text);
    void FinishConnectFailed();
    // A text in no words of the window's (the DTM's, a file error): a language change drops it.
    void ShowStatus(const QString& text);
    void ShowStatus(StatusWords text);
    // Opens the user interface a function call names; the tab's widget or nullptr.
    QWidget* OpenCall(const std::string& functionCall);
    QString FunctionName(int32_t applicationId) const;
    int TabOf(int32_t applicationId) const;
    // The DTM's request to save: a question; while the window closes, the answer the user gave
    // before anything closed (saved or not), without asking again.
    bool SaveOnRequest();
    // Writes the project file; its error in the status bar.
    bool WriteProject();
    enum class CloseAnswer { Unchanged, Saved, Discard, Stay };
    // Before anything closes: a modified project, or input that closing drops, asks Save,
    // Discard or Cancel; Stay for Cancel and for a save that failed.
    CloseAnswer AskBeforeClosing();

    ReferenceFrame& frame_;
    FrameInstance& instance_;
    std::shared_ptr<IEventLoop> loop_;
    std::shared_ptr<SimulatedPositioner> device_;
    std::shared_ptr<SimulatedChannel> channel_;
    std::shared_ptr<WindowPrompt> prompt_;
    std::string projectPath_;
    const PageRegistry* registry_;
    std::shared_ptr<ProcessWatch> watch_;
    std::optional<Action> busy_;
    std::string invokeId_;
    std::string tag_;              // the instance's tag, as the DTM's parameter documents give it
    int32_t transferFailure_ = 0;  // why the window's upload or download failed (error bits)
    StatusWords statusWords_;      // the status text when it is one of the window's
    // The DTM's status text since the window last showed one of its own: at the end of a
    // process that failed, what the DTM said of the failure.
    QString dtmStatus_;
    int32_t invokeCount_ = 0;
    int32_t language_ = 0;
    bool released_ = false;
    std::optional<CloseAnswer> closing_;  // while the window closes: the user's answer

    QAction* connect_ = nullptr;
    QAction* disconnect_ = nullptr;
    QAction* upload_ = nullptr;
    QAction* download_ = nullptr;
    QAction* save_ = nullptr;
    QLabel* languageLabel_ = nullptr;
    QComboBox* languageBox_ = nullptr;
    QLabel* instanceTitle_ = nullptr;
    QLabel* instanceTag_ = nullptr;
    QLabel* instanceState_ = nullptr;
    QLabel* functionsTitle_ = nullptr;
    QTreeWidget* functions_ = nullptr;
    QSplitter* splitter_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    QLabel* status_ = nullptr;
    QProgressBar* progress_ = nullptr;
};

}  // namespace kv
