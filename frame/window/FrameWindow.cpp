#include "frame/window/FrameWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QTreeWidget>
#include <utility>
#include <vector>

#include "dtm/DTMMain.h"
#include "frame/FrameWords.h"
#include "frame/ReferenceFrame.h"
#include "frame/window/DeviceLink.h"
#include "frame/window/InstanceModel.h"
#include "frame/window/InstancePane.h"
#include "frame/window/InstanceTabs.h"
#include "frame/window/StatusLine.h"
#include "frame/window/WindowPrompt.h"
#include "frame/window/WindowSettings.h"
#include "platform/controls/widgets/LastResort.h"
#include "platform/controls/widgets/PageRegistry.h"
#include "platform/controls/widgets/QtText.h"
#include "platform/runtime/DTMContext.h"
#include "platform/runtime/IDTMContext.h"
#include "platform/runtime/IFunctionCall.h"
#include "platform/runtime/IGUIManager.h"
#include "platform/runtime/IParameters.h"
#include "value/ScopedValue.h"

namespace kv {

namespace {

// Instances named in a sentence: up to four by name, of more three and the count of the others.
QString NamedList(const FrameWords& words, const std::vector<QString>& names) {
    constexpr size_t kNamed = 4;
    if (names.size() <= 1)
        return names.empty() ? QString() : names.front();
    const size_t named = names.size() <= kNamed ? names.size() - 1 : kNamed - 1;
    QStringList first;
    for (size_t i = 0; i < named; ++i)
        first << names[i];
    const QString last = names.size() <= kNamed
                             ? names.back()
                             : QString::fromUtf8(words.otherInstances)
                                   .arg(static_cast<qsizetype>(names.size() - named));
    return QString::fromUtf8(words.namesAnd).arg(first.join(QStringLiteral(", ")), last);
}

}  // namespace

// What an instance's DTM shows and asks reaches the window with the instance it comes from;
// without the window, the frame's prompt takes it.
class FrameWindow::InstancePrompt : public IPrompt {
  public:
    InstancePrompt(FrameWindow& window, const InstanceEntry& entry, std::shared_ptr<IPrompt> frame)
        : window_(&window), entry_(entry), frame_(std::move(frame)) {}
    void ShowMessage(const std::string& text) override {
        if (!window_) {
            frame_->ShowMessage(text);
            return;
        }
        // Nothing of the window's own handling goes back into the DTM.
        CallGuarded("FrameWindow status text",
                    [&] { window_->status_->ShowDtm(entry_, ToQString(text)); });
    }
    int32_t Ask(const std::string& prompt, int32_t style) override {
        return window_ ? window_->AskFor(entry_, prompt, style) : frame_->Ask(prompt, style);
    }

  private:
    QPointer<FrameWindow> window_;
    const InstanceEntry& entry_;
    std::shared_ptr<IPrompt> frame_;
};

FrameWindow::FrameWindow(ReferenceFrame& frame, std::shared_ptr<IEventLoop> loop,
                         std::shared_ptr<SimulatedPositioner> device,
                         std::shared_ptr<WindowPrompt> prompt, std::string projectPath,
                         const PageRegistry* registry)
    : frame_(frame),
      loop_(std::move(loop)),
      prompt_(std::move(prompt)),
      projectPath_(std::move(projectPath)),
      registry_(registry ? registry : &PageRegistry::Instance()) {
    const auto& instances = frame_.Instances();
    language_ = instances.empty() ? frame_.Language()
                                  : instances.front()->dtm->DTMContext()->GUIManager().Language();
    model_ = new InstanceModel(instances, FrameWordsOf(language_), this);
    BuildUi();
    link_ = std::make_unique<DeviceLink>(loop_, std::move(device), *status_,
                                         [this](const InstanceEntry& entry) {
                                             model_->EntryChanged(entry);
                                             UpdateInstance();
                                             UpdateActions();
                                         });
    const QPointer<FrameWindow> self(this);
    prompt_->SetParent(this);
    // What reaches the frame's prompt itself belongs to no instance.
    prompt_->SetStatusSink([self](const std::string& text) {
        if (self)
            CallGuarded("FrameWindow status text",
                        [&] { self->status_->Show(nullptr, ToQString(text)); });
    });
    for (const auto& owned : model_->Entries()) {
        InstanceEntry* entry = owned.get();
        entry->prompt = std::make_shared<InstancePrompt>(*this, *entry, prompt_);
        if (auto context = std::dynamic_pointer_cast<DTMContext>(entry->instance.dtm->DTMContext()))
            context->SetPrompt(entry->prompt);
        entry->observer =
            entry->instance.container->AddEventObserver([self, entry](const FrameEvent& event) {
                if (self)
                    CallGuarded("FrameWindow DTM event",
                                [&] { self->OnContainerEvent(*entry, event); });
            });
        entry->instance.container->SetSaveHandler([self, entry](const std::string&) {
            return self && CallGuarded("FrameWindow save request", false,
                                       [&] { return self->SaveOnRequest(*entry); });
        });
    }
    ApplyWords();
    if (InstanceEntry* first = model_->EntryAt(0))
        Select(*first);
    SetPaneWidth(pane_->NaturalWidth());
    UpdateActions();
}

FrameWindow::~FrameWindow() {
    for (const auto& entry : model_->Entries()) {
        entry->instance.container->RemoveEventObserver(entry->observer);
        entry->instance.container->SetSaveHandler({});
        if (auto context = std::dynamic_pointer_cast<DTMContext>(entry->instance.dtm->DTMContext()))
            context->SetPrompt(prompt_);
    }
    prompt_->SetStatusSink({});
    prompt_->SetParent(nullptr);
}

bool FrameWindow::IsConnected() const {
    return selected_ != nullptr && selected_->Connected();
}

int FrameWindow::SelectedInstance() const {
    return selected_ != nullptr ? selected_->index : -1;
}

int FrameWindow::ConnectedInstance() const {
    const InstanceEntry* connected = link_->Connected();
    return connected != nullptr ? connected->index : -1;
}

bool FrameWindow::Busy() const {
    return link_->Busy();
}

bool FrameWindow::SelectInstance(int index) {
    InstanceEntry* entry = model_->EntryAt(index);
    if (entry == nullptr)
        return false;
    Select(*entry);
    return true;
}

void FrameWindow::Select(InstanceEntry& entry) {
    if (selected_ == &entry)
        return;
    selected_ = &entry;
    // The list and the tabs follow; their signals find the instance selected already.
    pane_->SetCurrent(entry);
    tabs_->ShowFirstOf(entry);
    LoadFunctions();
    UpdateInstance();
    UpdateActions();
    // The status text names its instance while another one is selected.
    status_->SetSelected(&entry);
}

// --- the window's parts ---

void FrameWindow::BuildUi() {
    auto* bar = addToolBar(QStringLiteral("actions"));
    bar->setObjectName(QStringLiteral("FrameActions"));
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    connect_ = bar->addAction(QString(), this,
                              [this] { CallGuarded("FrameWindow Connect", [&] { Connect(); }); });
    disconnect_ = bar->addAction(
        QString(), this, [this] { CallGuarded("FrameWindow Disconnect", [&] { Disconnect(); }); });
    bar->addSeparator();
    upload_ = bar->addAction(QString(), this,
                             [this] { CallGuarded("FrameWindow Upload", [&] { Upload(); }); });
    download_ = bar->addAction(
        QString(), this, [this] { CallGuarded("FrameWindow Download", [&] { Download(); }); });
    bar->addSeparator();
    save_ = bar->addAction(QString(), this,
                           [this] { CallGuarded("FrameWindow Save", [&] { Save(); }); });
    bar->addSeparator();
    languageLabel_ = new QLabel(bar);
    languageLabel_->setContentsMargins(6, 0, 6, 0);
    bar->addWidget(languageLabel_);
    languageBox_ = new QComboBox(bar);
    languageBox_->addItem(QStringLiteral("English"), int32_t{langEnglish});
    languageBox_->addItem(QStringLiteral("Deutsch"), int32_t{langGerman});
    bar->addWidget(languageBox_);
    connect(languageBox_, &QComboBox::activated, this, [this](int index) {
        CallGuarded("FrameWindow language",
                    [&] { SetLanguage(languageBox_->itemData(index).toInt()); });
    });

    splitter_ = new QSplitter(Qt::Horizontal, this);
    pane_ = new InstancePane(*model_, FrameWordsOf(language_), splitter_);
    connect(pane_, &InstancePane::InstanceChosen, this, [this](int index) {
        CallGuarded("FrameWindow select instance", [&] { SelectInstance(index); });
    });
    connect(pane_, &InstancePane::FunctionChosen, this, [this](int32_t applicationId) {
        CallGuarded("FrameWindow open function", [&] { OpenFunction(applicationId); });
    });

    tabWidget_ = new QTabWidget(splitter_);
    tabWidget_->setTabsClosable(true);
    tabWidget_->setDocumentMode(true);
    tabs_ = std::make_unique<InstanceTabs>(*tabWidget_);
    connect(tabWidget_, &QTabWidget::tabCloseRequested, this,
            [this](int index) { CallGuarded("FrameWindow close tab", [&] { CloseTab(index); }); });
    // The shown tab's instance is the selected one.
    connect(tabWidget_, &QTabWidget::currentChanged, this, [this](int index) {
        CallGuarded("FrameWindow show tab", [&] {
            if (InstanceEntry* entry = tabs_->EntryOf(tabWidget_->widget(index)))
                Select(*entry);
        });
    });
    splitter_->addWidget(pane_);
    splitter_->addWidget(tabWidget_);
    // The pane keeps its width as the window changes; the user sets it with the handle.
    splitter_->setChildrenCollapsible(false);
    splitter_->setStretchFactor(0, 0);
    splitter_->setStretchFactor(1, 1);
    setCentralWidget(splitter_);

    auto* status = new QLabel(this);
    status->setObjectName(QStringLiteral("StatusText"));
    statusBar()->addWidget(status, 1);
    progress_ = new QProgressBar(this);
    progress_->setRange(0, 100);
    progress_->setMaximumWidth(240);
    progress_->hide();
    statusBar()->addPermanentWidget(progress_);
    status_ = std::make_unique<StatusLine>(*status, *progress_, FrameWordsOf(language_));
    resize(1280, 800);
}

void FrameWindow::ApplyWords() {
    const FrameWords& words = FrameWordsOf(language_);
    setWindowTitle(QString::fromUtf8(words.title) + QStringLiteral(" - ") +
                   QFileInfo(ToQString(projectPath_)).fileName());
    prompt_->SetTitle(QString::fromUtf8(words.title));
    prompt_->SetButtonTexts({
        {QMessageBox::Ok, QString::fromUtf8(words.ok)},
        {QMessageBox::Cancel, QString::fromUtf8(words.cancel)},
        {QMessageBox::Yes, QString::fromUtf8(words.yes)},
        {QMessageBox::No, QString::fromUtf8(words.no)},
        {QMessageBox::Abort, QString::fromUtf8(words.abort)},
        {QMessageBox::Retry, QString::fromUtf8(words.retry)},
        {QMessageBox::Ignore, QString::fromUtf8(words.ignore)},
    });
    connect_->setText(QString::fromUtf8(words.connect));
    disconnect_->setText(QString::fromUtf8(words.disconnect));
    upload_->setText(QString::fromUtf8(words.upload));
    download_->setText(QString::fromUtf8(words.download));
    save_->setText(QString::fromUtf8(words.save));
    languageLabel_->setText(QString::fromUtf8(words.language));
    model_->SetWords(words);
    pane_->SetWords(words);
    languageBox_->setCurrentIndex(languageBox_->findData(language_ & 0x3FF));
    // The window's own status text in the new language; a text of the DTM goes.
    status_->SetWords(words);
    UpdateInstance();
}

void FrameWindow::UpdateActions() {
    const bool idle = !link_->Busy() && !released_;
    const bool connected = IsConnected();
    // One positioner: while another instance is connected, this one cannot connect.
    const bool otherConnected = ConnectedInstance() >= 0 && !connected;
    connect_->setEnabled(idle && selected_ != nullptr && !connected && !otherConnected);
    disconnect_->setEnabled(idle && connected);
    upload_->setEnabled(idle && connected);
    download_->setEnabled(idle && connected);
    save_->setEnabled(!released_ && !link_->Transferring());
    languageBox_->setEnabled(!released_);
    pane_->Functions()->setEnabled(!released_);
}

void FrameWindow::SetPaneWidth(int width) {
    const QList<int> sizes = splitter_->sizes();
    const int total = sizes.size() == 2 && sizes[0] + sizes[1] > 0 ? sizes[0] + sizes[1] : 1000;
    splitter_->setSizes({width, std::max(total - width, 1)});
}

int FrameWindow::PaneWidth() const {
    return splitter_->sizes().value(0);
}

void FrameWindow::KeepPaneWidthIn(std::string file) {
    paneWidthFile_ = std::move(file);
    if (const std::optional<int> width = ReadPaneWidth(paneWidthFile_))
        SetPaneWidth(*width);
}

void FrameWindow::UpdateInstance() {
    pane_->ShowInstance(selected_, link_->Connected());
}

void FrameWindow::LoadFunctions() {
    pane_->ShowFunctions(released_ ? nullptr : selected_);
}

QString FrameWindow::TabTitle(const InstanceEntry& entry, int32_t applicationId) const {
    return ToQString(entry.instance.systemTag) + QStringLiteral(": ") +
           FunctionName(entry, applicationId);
}

QTreeView* FrameWindow::InstanceList() const {
    return pane_->List();
}

QTreeWidget* FrameWindow::Functions() const {
    return pane_->Functions();
}

QWidget* FrameWindow::TabWidget(int index) const {
    return tabs_->Page(index);
}

QString FrameWindow::StatusText() const {
    return status_->Text();
}

int32_t FrameWindow::AskFor(const InstanceEntry& entry, const std::string& prompt, int32_t style,
                            const std::map<QMessageBox::StandardButton, QString>& buttonTexts) {
    // The box names the instance that asks.
    const QString title = QString::fromUtf8(FrameWordsOf(language_).title);
    prompt_->SetTitle(title + QStringLiteral(" - ") + ToQString(entry.instance.systemTag));
    const int32_t answer = prompt_->Ask(prompt, style, buttonTexts);
    prompt_->SetTitle(title);
    return answer;
}

// --- actions ---

bool FrameWindow::Connect() {
    return !released_ && selected_ != nullptr && link_->Connect(*selected_);
}

bool FrameWindow::Disconnect() {
    return selected_ != nullptr && link_->Disconnect(*selected_);
}

bool FrameWindow::Upload() {
    return selected_ != nullptr && link_->Upload(*selected_);
}

bool FrameWindow::Download() {
    return selected_ != nullptr && link_->Download(*selected_);
}

bool FrameWindow::Save() {
    if (released_)
        return false;
    // The data sets are not saved half transferred.
    if (link_->Transferring()) {
        status_->Show(nullptr, Word(&FrameWords::saveWhileBusy));
        return false;
    }
    if (!WriteProject())
        return false;
    status_->Show(nullptr, [path = ToQString(projectPath_)](const FrameWords& words) {
        return QString::fromUtf8(words.saved).arg(path);
    });
    return true;
}

bool FrameWindow::WriteProject() {
    FrameFault fault;
    if (frame_.SaveProject(projectPath_, fault))
        return true;
    status_->Show(nullptr, [fault](const FrameWords& words) {
        return QString::fromUtf8(words.saveFailed) + QStringLiteral(": ") +
               ToQString(Describe(fault, words));
    });
    return false;
}

FrameWindow::CloseAnswer FrameWindow::AskBeforeClosing() {
    if (released_)
        return CloseAnswer::Unchanged;
    // Pending input of the open user interfaces counts as a change, and so does input that
    // closing them drops.
    std::vector<QString> changed;
    std::vector<QString> unset;  // whose pages hold input that closing drops
    for (const auto& entry : model_->Entries()) {
        if (entry->released)
            continue;
        IGUIManager& gui = entry->Ctx().GUIManager();
        gui.ValidateAll();
        const bool drops = gui.HoldsUncommittedInput();
        if (drops)
            unset.push_back(ToQString(entry->instance.systemTag));
        if (entry->Ctx().Parameters().ModifiedState() == 1 || drops)
            changed.push_back(ToQString(entry->instance.systemTag));
    }
    if (changed.empty())
        return CloseAnswer::Unchanged;
    const FrameWords& words = FrameWordsOf(language_);
    // The user learns that a save does not set such input.
    const QString question =
        unset.empty() ? QString::fromUtf8(words.closeQuestion).arg(NamedList(words, changed))
                      : QString::fromUtf8(words.closeInputQuestion)
                            .arg(NamedList(words, changed), NamedList(words, unset));
    const int32_t answer = prompt_->Ask(question.toStdString(), mbsYesNoCancelQuestion,
                                        {{QMessageBox::Yes, QString::fromUtf8(words.save)},
                                         {QMessageBox::No, QString::fromUtf8(words.discard)}});
    if (answer == mbaNo)
        return CloseAnswer::Discard;
    // Cancel, or a save that failed (its reason in the status bar): everything stays open.
    if (answer != mbaYes || !WriteProject())
        return CloseAnswer::Stay;
    return CloseAnswer::Saved;
}

bool FrameWindow::SaveOnRequest(const InstanceEntry& entry) {
    // Closing asked before anything closed: what the user interfaces change as they close is
    // not saved over the user's choice.
    if (closing_)
        return *closing_ == CloseAnswer::Saved;
    // A user interface asks because its user chose to save there: the project is saved as
    // Save saves it, without asking again.
    if (!releasing_)
        return Save();
    // Released outside a close, each modified instance asks as it goes: the first answer is
    // the project's.
    const QString question = QString::fromUtf8(FrameWordsOf(language_).saveQuestion)
                                 .arg(ToQString(entry.instance.systemTag));
    const bool saved =
        AskFor(entry, question.toStdString(), mbsYesNoQuestion) == mbaYes && WriteProject();
    closing_ = saved ? CloseAnswer::Saved : CloseAnswer::Discard;
    return saved;
}

void FrameWindow::SetLanguage(int32_t languageId) {
    if (released_ || languageId <= 0)
        return;
    language_ = languageId;
    frame_.SetLanguage(languageId);
    for (const auto& entry : model_->Entries()) {
        if (!entry->released)
            entry->instance.dtm->SetLanguage(languageId);
    }
    ApplyWords();
    LoadFunctions();
    // Names of the new language that the pane would cut widen it; it never narrows.
    if (const int natural = pane_->NaturalWidth(); PaneWidth() < natural)
        SetPaneWidth(natural);
    tabs_->Retitle([this](const InstanceEntry& entry, int32_t applicationId) {
        return TabTitle(entry, applicationId);
    });
}

void FrameWindow::OnContainerEvent(InstanceEntry& entry, const FrameEvent& event) {
    // What belongs to the link's action (and the ends of its transfers) is the link's.
    if (link_->OnEvent(entry, event))
        return;
    const QPointer<FrameWindow> self(this);
    InstanceEntry* const from = &entry;
    switch (event.kind) {
        case FrameEvent::kProgress:
            // Any other process of a DTM (a page's read or write) shows the bar until it
            // reports its end.
            status_->ShowProcess(event.show, event.percent);
            break;
        case FrameEvent::kTransferFinished:
            if (event.success) {
                status_->Show(from, Word(event.write ? &FrameWords::written : &FrameWords::read));
            } else {
                status_->Show(
                    from,
                    status_->TransferFailed(
                        entry, event.write ? &FrameWords::writeFailed : &FrameWords::readFailed,
                        event.failure, ProtectionOfFailure(entry, event.failure)));
            }
            break;
        case FrameEvent::kParametersChanged:
            entry.TakeTag(entry.instance.container->ParameterDocument());
            model_->EntryChanged(entry);
            pane_->FitColumns(entry);
            if (from == selected_)
                UpdateInstance();
            break;
        case FrameEvent::kOpenGUIRequest: {
            const std::string call = event.text;
            loop_->Post([self, from, call] {
                if (self && !self->released_ && !from->released)
                    CallGuarded("FrameWindow OnOpenGUIRequest",
                                [&] { self->OpenCall(*from, call); });
            });
            break;
        }
        case FrameEvent::kRequestSave:
        case FrameEvent::kFunctionChanged:
        case FrameEvent::kInvokedFunctionFinished:
        case FrameEvent::kUploadFinished:
        case FrameEvent::kDownloadFinished:
        case FrameEvent::kPreparedToRelease:
        case FrameEvent::kPreparedToReleaseCommunication:
            break;
    }
}

// --- user interfaces ---

QWidget* FrameWindow::OpenFunction(int32_t applicationId) {
    if (released_ || selected_ == nullptr)
        return nullptr;
    InstanceEntry& entry = *selected_;
    // What the last process ended with goes: this opening ends with the user interface shown
    // (and whatever it says as it opens), or with why it is not.
    status_->Show(nullptr, QString());
    if (const int index = tabs_->IndexOf(entry, applicationId); index >= 0) {
        tabWidget_->setCurrentIndex(index);
        return tabWidget_->widget(index);
    }
    std::shared_ptr<IFunctionCall> call = NewFunctionCall();
    call->SetApplicationId(applicationId);
    const std::string xml = call->ToXml(entry.Ctx());
    const std::string progId = entry.instance.dtm->GetActiveXProgId(xml);
    if (progId.empty()) {
        // An invocable function: the DTM names the user interface to open (OnOpenGUIRequest).
        if (!entry.instance.dtm->InvokeFunctionRequest("invoke-" + std::to_string(++invocations_),
                                                       xml))
            status_->Show(&entry, Word(&FrameWords::noUserInterface));
        return nullptr;
    }
    return OpenCall(entry, xml);
}

QWidget* FrameWindow::OpenCall(InstanceEntry& entry, const std::string& functionCall) {
    std::shared_ptr<IFunctionCall> call = NewFunctionCall();
    if (!call->Parse(functionCall, entry.Ctx()))
        return nullptr;
    const int32_t applicationId = call->ApplicationId();
    if (const int index = tabs_->IndexOf(entry, applicationId); index >= 0) {
        tabWidget_->setCurrentIndex(index);
        return tabWidget_->widget(index);
    }
    // A call whose function has no user interface opens nothing (never a new invocation).
    const std::string progId = entry.instance.dtm->GetActiveXProgId(functionCall);
    std::unique_ptr<QWidget> widget = progId.empty() ? nullptr : registry_->Create(progId);
    if (!widget) {
        status_->Show(&entry, Word(&FrameWords::noUserInterface));
        return nullptr;
    }
    auto* control = dynamic_cast<IDtmActiveXControl*>(widget.get());
    const std::string guiFunctionCall = std::to_string(applicationId);
    if (control == nullptr || !control->Init(guiFunctionCall, functionCall, entry.instance.dtm)) {
        status_->Show(&entry, Word(&FrameWords::cannotOpen));
        return nullptr;
    }
    return tabs_->Add(std::move(widget), entry, applicationId, TabTitle(entry, applicationId));
}

bool FrameWindow::CloseTab(int index) {
    QWidget* page = TabWidget(index);
    if (page == nullptr)
        return false;
    // Input that closing drops is dropped only when the user says so; Cancel keeps the tab.
    if (const InstanceEntry* entry = tabs_->EntryOf(page);
        entry != nullptr && tabs_->DropsInput(*page)) {
        const FrameWords& words = FrameWordsOf(language_);
        const QString question = QString::fromUtf8(words.tabInputQuestion)
                                     .arg(tabWidget_->tabText(tabWidget_->indexOf(page)));
        const int32_t answer = AskFor(*entry, question.toStdString(), mbsYesNoQuestionDefaultNo,
                                      {{QMessageBox::Yes, QString::fromUtf8(words.discard)},
                                       {QMessageBox::No, QString::fromUtf8(words.cancel)}});
        if (answer != mbaYes)
            return false;
    }
    return ReleaseTab(page);
}

bool FrameWindow::ReleaseTab(QWidget* page) {
    if (tabs_->Release(page))
        return true;
    status_->Show(tabs_->EntryOf(page), Word(&FrameWords::refusesToClose));
    return false;
}

bool FrameWindow::ReleaseAll() {
    if (released_)
        return true;
    while (tabs_->Count() > 0) {
        if (!ReleaseTab(tabs_->Page(tabs_->Count() - 1)))
            return false;
    }
    // What the instances' requests to save answer outside a close lasts while they are
    // released.
    const ScopedValue closing(closing_, closing_);
    const ScopedValue releasing(releasing_, true);
    // The connected instance first: its connection ends before the others go.
    std::vector<InstanceEntry*> order;
    InstanceEntry* const holder = link_->Holder();
    if (holder != nullptr)
        order.push_back(holder);
    for (const auto& entry : model_->Entries()) {
        if (entry.get() != holder)
            order.push_back(entry.get());
    }
    for (InstanceEntry* entry : order) {
        if (entry->released)
            continue;
        if (!entry->instance.dtm->PrepareToRelease()) {
            status_->Show(entry, Word(&FrameWords::refusesToClose));
            UpdateInstance();
            UpdateActions();
            return false;
        }
        entry->released = true;
        link_->Released(*entry);
        model_->EntryChanged(*entry);
    }
    released_ = true;
    link_->Stop();
    status_->HideProgress();
    pane_->ShowFunctions(nullptr);
    UpdateInstance();
    UpdateActions();
    return true;
}

void FrameWindow::closeEvent(QCloseEvent* event) {
    bool released = false;
    CallGuarded("FrameWindow close", [&] {
        const CloseAnswer answer = AskBeforeClosing();
        if (answer == CloseAnswer::Stay)
            return;
        const ScopedValue closing(closing_, std::optional<CloseAnswer>(answer));
        released = ReleaseAll();
    });
    if (released) {
        // The next start shows the pane as the user left it; a file that cannot be written
        // costs only that.
        if (!paneWidthFile_.empty())
            WritePaneWidth(paneWidthFile_, PaneWidth());
        event->accept();
    } else {
        event->ignore();
    }
}

}  // namespace kv
