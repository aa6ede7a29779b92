#include "frame/window/FrameWindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <pugixml.hpp>

#include "core/DtmElements.h"
#include "dtm/DTMMain.h"
#include "frame/FileWriting.h"
#include "frame/FrameWords.h"
#include "frame/ReferenceFrame.h"
#include "frame/window/WindowPrompt.h"
#include "platform/controls/widgets/LastResort.h"
#include "platform/controls/widgets/PageRegistry.h"
#include "platform/controls/widgets/QtText.h"
#include "platform/runtime/ICommObject.h"
#include "platform/runtime/ICommunicationManager.h"
#include "platform/runtime/IDTMContext.h"
#include "platform/runtime/IDTMDictionary.h"
#include "platform/runtime/IFunctionCall.h"
#include "platform/runtime/IGUIManager.h"
#include "platform/runtime/IParameters.h"
#include "platform/runtime/IPrivateDataElement.h"
#include "platform/runtime/IPrivateProcess.h"
#include "platform/runtime/ProcessId.h"
#include "sim/SimulatedChannel.h"
#include "value/ScopedValue.h"
#include "value/Text.h"

namespace kv {

namespace {

const char* const kGroupNames[5] = {"Trend", "Measure", "Diagnosis", "Simulation", "Operation"};

const char* const kOperationPhase =
    R"(<FDT xmlns:fdt="x-schema:FDTDataTypesSchema.xml"><OperationPhase phase="engineering"/></FDT>)";

constexpr int kApplicationIdRole = Qt::UserRole;

// The DP-V1 error class of the device's answer "access denied" (the write lock or the hardware
// write protection refuses a write).
constexpr int32_t kAccessDeniedClass = 0x300000;

// Why a transfer failed, from the error bits of the element that failed; nullptr when they do
// not say.
const char* ReasonOfTransfer(const FrameWords& words, int32_t failure) {
    switch ((failure & sfCommErrorMask) >> 16) {
        case cecNone:
            break;
        case cecTimeout:
            return words.noAnswer;
        case cecConnectionLost:
            return words.connectionLost;
        default:
            return words.notReachable;
    }
    const int32_t dpv1 = failure & sfDpv1ErrorMask;
    if (dpv1 == kAccessDeniedClass)
        return words.accessDenied;
    return dpv1 != 0 ? words.deviceError : nullptr;
}

// Why a connection failed, from the communication's error code.
const char* ReasonOfConnection(const FrameWords& words, int32_t errorCode) {
    switch (errorCode) {
        case cecTimeout:
            return words.noAnswer;
        case cecRefused:
            return words.deviceRefused;
        case cecIdentityUnreadable:
            return words.deviceError;
        default:
            return words.notReachable;
    }
}

// A failure and, when known, its reason, as one sentence.
QString Failed(const char* failure, const char* reason) {
    return reason != nullptr ? QStringLiteral("%1: %2.").arg(QString::fromUtf8(failure),
                                                             QString::fromUtf8(reason))
                             : QString::fromUtf8(failure) + QLatin1Char('.');
}

// The end of a failed transfer: why, from the error bits; without them, the DTM's own status
// text of the failure when it gave one, while the words are of the language that text is in (a
// language change drops the DTM's texts).
std::function<QString(const FrameWords&)> TransferFailed(const char* FrameWords::*failure,
                                                         int32_t bits, QString dtmText,
                                                         const FrameWords& dtmWords) {
    return [failure, bits, dtmText = std::move(dtmText),
            dtmWords = &dtmWords](const FrameWords& words) {
        const char* reason = ReasonOfTransfer(words, bits);
        if (reason == nullptr && !dtmText.isEmpty() && &words == dtmWords)
            return Failed(words.*failure, nullptr) + QLatin1Char(' ') + dtmText;
        return Failed(words.*failure, reason);
    };
}

// A text that ends as a sentence.
QString AsSentence(QString text) {
    if (!text.isEmpty() && !text.endsWith(QLatin1Char('.')))
        text += QLatin1Char('.');
    return text;
}

// A status text that is one of the window's words.
std::function<QString(const FrameWords&)> Word(const char* FrameWords::*word) {
    return [word](const FrameWords& words) { return QString::fromUtf8(words.*word); };
}

}  // namespace

// The end of the connection process.
class FrameWindow::ProcessWatch : public IPrivateProcess {
  public:
    explicit ProcessWatch(std::function<void(bool)> done) : done_(std::move(done)) {}
    void OnProcessProgress(const std::string&, int32_t) override {}
    void OnProcessFinished(const std::string& processId, bool success) override {
        if (processId == id && done_) {
            auto done = std::move(done_);
            CallGuarded("FrameWindow connection end", [&] { done(success); });
        }
    }
    std::string id;

  private:
    std::function<void(bool)> done_;
};

FrameWindow::FrameWindow(ReferenceFrame& frame, FrameInstance& instance,
                         std::shared_ptr<IEventLoop> loop,
                         std::shared_ptr<SimulatedPositioner> device,
                         std::shared_ptr<WindowPrompt> prompt, std::string projectPath,
                         const PageRegistry* registry)
    : frame_(frame),
      instance_(instance),
      loop_(std::move(loop)),
      device_(std::move(device)),
      channel_(std::make_shared<SimulatedChannel>(*loop_, device_)),
      prompt_(std::move(prompt)),
      projectPath_(std::move(projectPath)),
      registry_(registry ? registry : &PageRegistry::Instance()) {
    language_ = Ctx().GUIManager().Language();
    BuildUi();
    const QPointer<FrameWindow> self(this);
    prompt_->SetParent(this);
    // What the DTM tells the frame reaches the window guarded: nothing of the window's own
    // handling goes back into the DTM.
    prompt_->SetStatusSink([self](const std::string& text) {
        if (self)
            CallGuarded("FrameWindow status text", [&] {
                self->ShowStatus(ToQString(text));
                self->dtmStatus_ = ToQString(text);
            });
    });
    instance_.container->SetEventObserver([self](const FrameEvent& event) {
        if (self)
            CallGuarded("FrameWindow DTM event", [&] { self->OnContainerEvent(event); });
    });
    instance_.container->SetSaveHandler([self](const std::string&) {
        return self && CallGuarded("FrameWindow save request", false,
                                   [&] { return self->SaveOnRequest(); });
    });
    // The tag as the DTM's parameters give it; later documents of the DTM keep it current.
    TakeTag(instance_.dtm->GetParameters(kTagPath));
    ApplyWords();
    LoadFunctions();
    UpdateInstance();
    UpdateActions();
}

FrameWindow::~FrameWindow() {
    instance_.container->SetEventObserver({});
    instance_.container->SetSaveHandler({});
    prompt_->SetStatusSink({});
    prompt_->SetParent(nullptr);
}

IDTMContext& FrameWindow::Ctx() const {
    return *instance_.dtm->DTMContext();
}

bool FrameWindow::IsConnected() const {
    return !released_ && Ctx().CommunicationManager().IsConnected();
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
    QSplitter* splitter = splitter_;
    auto* side = new QWidget(splitter);
    auto* sideLayout = new QVBoxLayout(side);
    sideLayout->setContentsMargins(6, 6, 2, 6);
    instanceTitle_ = new QLabel(side);
    QFont bold = instanceTitle_->font();
    bold.setBold(true);
    instanceTitle_->setFont(bold);
    instanceTag_ = new QLabel(side);
    instanceTag_->setObjectName(QStringLiteral("InstanceTag"));
    instanceState_ = new QLabel(side);
    functionsTitle_ = new QLabel(side);
    functionsTitle_->setFont(bold);
    functions_ = new QTreeWidget(side);
    functions_->setHeaderHidden(true);
    functions_->setObjectName(QStringLiteral("FunctionList"));
    sideLayout->addWidget(instanceTitle_);
    sideLayout->addWidget(instanceTag_);
    sideLayout->addWidget(instanceState_);
    sideLayout->addSpacing(8);
    sideLayout->addWidget(functionsTitle_);
    sideLayout->addWidget(functions_, 1);
    connect(functions_, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item, int) {
        CallGuarded("FrameWindow open function", [&] {
            const int32_t id = item->data(0, kApplicationIdRole).toInt();
            if (id > 0)
                OpenFunction(id);
        });
    });

    tabs_ = new QTabWidget(splitter);
    tabs_->setTabsClosable(true);
    tabs_->setDocumentMode(true);
    connect(tabs_, &QTabWidget::tabCloseRequested, this,
            [this](int index) { CallGuarded("FrameWindow close tab", [&] { CloseTab(index); }); });
    splitter->addWidget(side);
    splitter->addWidget(tabs_);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({220, 1000});
    setCentralWidget(splitter);

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("StatusText"));
    statusBar()->addWidget(status_, 1);
    progress_ = new QProgressBar(this);
    progress_->setRange(0, 100);
    progress_->setMaximumWidth(240);
    progress_->hide();
    statusBar()->addPermanentWidget(progress_);
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
    functionsTitle_->setText(QString::fromUtf8(words.functions));
    languageBox_->setCurrentIndex(languageBox_->findData(language_ & 0x3FF));
    // The window's own status text in the new language; a text of the DTM goes.
    if (statusWords_)
        ShowStatus(statusWords_);
    else
        ShowStatus(QString());
    UpdateInstance();
}

void FrameWindow::UpdateActions() {
    const bool idle = !busy_ && !released_;
    const bool connected = IsConnected();
    connect_->setEnabled(idle && !connected);
    disconnect_->setEnabled(idle && connected);
    upload_->setEnabled(idle && connected);
    download_->setEnabled(idle && connected);
    save_->setEnabled(idle);
    languageBox_->setEnabled(!released_);
    functions_->setEnabled(!released_);
}

void FrameWindow::TakeTag(const std::string& parameterDocument) {
    if (const std::optional<std::string> tag = ParameterDisplayText(parameterDocument, kTagPath))
        tag_ = std::string(TrimRight(*tag));
}

void FrameWindow::UpdateInstance() {
    const FrameWords& words = FrameWordsOf(language_);
    instanceTitle_->setText(ToQString(instance_.systemTag + " (" + instance_.deviceType + ")"));
    const std::string tag = released_ ? std::string() : tag_;
    instanceTag_->setText(QString::fromUtf8(words.tag) + QStringLiteral(": ") + ToQString(tag));
    instanceState_->setText(
        QString::fromUtf8(IsConnected() ? words.connected : words.disconnected));
}

void FrameWindow::LoadFunctions() {
    functions_->clear();
    if (released_)
        return;
    const FrameWords& words = FrameWordsOf(language_);
    const std::string xml = instance_.dtm->GetFunctions(kOperationPhase);
    pugi::xml_document doc;
    if (!doc.load_string(xml.c_str()))
        return;
    auto addFunction = [&](pugi::xml_node node, QTreeWidgetItem* parent) {
        const int32_t id = node.attribute("functionId").as_int();
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(functions_);
        item->setText(0, QString::fromUtf8(node.attribute("name").value()));
        item->setData(0, kApplicationIdRole, id);
    };
    for (pugi::xml_node node : doc.child("FDT").child("Functions").children()) {
        const std::string name = node.name();
        if (name == "StandardFunction") {
            addFunction(node, nullptr);
        } else if (name == "FunctionGroup") {
            QString title = QString::fromUtf8(node.attribute("name").value());
            for (int i = 0; i < 5; ++i) {
                if (title == QLatin1String(kGroupNames[i]))
                    title = QString::fromUtf8(words.groups[i]);
            }
            auto* group = new QTreeWidgetItem(functions_);
            group->setText(0, title);
            group->setData(0, kApplicationIdRole, 0);
            QFont font = group->font(0);
            font.setBold(true);
            group->setFont(0, font);
            group->setFlags(Qt::ItemIsEnabled);
            for (pugi::xml_node f : node.children("Function"))
                addFunction(f, group);
        }
    }
    functions_->expandAll();
    // The side widens so that every function's name shows uncut.
    const int content = static_cast<QAbstractItemView*>(functions_)->sizeHintForColumn(0) +
                        2 * functions_->frameWidth() +
                        functions_->verticalScrollBar()->sizeHint().width() + 16;
    QList<int> sizes = splitter_->sizes();
    if (sizes.size() == 2 && sizes[0] < content) {
        const int total = sizes[0] + sizes[1];
        splitter_->setSizes({content, std::max(total - content, 400)});
    }
}

QString FrameWindow::FunctionName(int32_t applicationId) const {
    for (QTreeWidgetItemIterator it(functions_); *it; ++it) {
        if ((*it)->data(0, kApplicationIdRole).toInt() == applicationId)
            return (*it)->text(0);
    }
    return QString::number(applicationId);
}

int FrameWindow::TabOf(int32_t applicationId) const {
    for (int i = 0; i < tabs_->count(); ++i) {
        if (tabs_->widget(i)->property("applicationId").toInt() == applicationId)
            return i;
    }
    return -1;
}

QWidget* FrameWindow::TabWidget(int index) const {
    return index >= 0 && index < tabs_->count() ? tabs_->widget(index) : nullptr;
}

QString FrameWindow::StatusText() const {
    return status_->text();
}

void FrameWindow::ShowStatus(const QString& text) {
    statusWords_ = nullptr;
    dtmStatus_.clear();
    status_->setText(text);
    status_->setToolTip(text);
}

void FrameWindow::ShowStatus(StatusWords words) {
    ShowStatus(words(FrameWordsOf(language_)));
    statusWords_ = std::move(words);  // kept, for a language change to show it anew
}

// --- actions ---

bool FrameWindow::Connect() {
    if (busy_ || released_ || IsConnected())
        return false;
    ICommunicationManager& comm = Ctx().CommunicationManager();
    if (!comm.HasCommunication() && !instance_.dtm->SetCommunication(channel_)) {
        ShowStatus(Word(&FrameWords::channelRefused));
        return false;
    }
    const QPointer<FrameWindow> self(this);
    watch_ = std::make_shared<ProcessWatch>([self](bool connected) {
        if (!self)
            return;
        if (connected && self->IsConnected())
            self->Finish(Word(&FrameWords::connectDone));
        else
            self->FinishConnectFailed();
    });
    watch_->id = NewProcessId();
    busy_ = Action::Connecting;
    UpdateActions();
    ShowStatus(Word(&FrameWords::connecting));
    if (!comm.Connect(watch_->id, watch_)) {
        FinishConnectFailed();
        return false;
    }
    return true;
}

void FrameWindow::FinishConnectFailed() {
    const ICommObject* comm = Ctx().CommunicationManager().CommObject();
    const int32_t code = comm != nullptr ? comm->ErrorCode() : cecNone;
    Finish([code](const FrameWords& words) {
        return Failed(words.connectFailed, ReasonOfConnection(words, code));
    });
}

bool FrameWindow::Disconnect() {
    if (busy_ || !IsConnected())
        return false;
    busy_ = Action::Disconnecting;
    UpdateActions();
    ShowStatus(Word(&FrameWords::disconnecting));
    if (!instance_.dtm->PrepareToReleaseCommunication()) {
        Finish(Word(&FrameWords::notStarted));
        return false;
    }
    return true;
}

bool FrameWindow::Upload() {
    return StartTransfer(Action::Uploading);
}

bool FrameWindow::Download() {
    return StartTransfer(Action::Downloading);
}

bool FrameWindow::StartTransfer(Action action) {
    if (busy_ || !IsConnected())
        return false;
    const bool upload = action == Action::Uploading;
    invokeId_ = (upload ? "upload-" : "download-") + std::to_string(++invokeCount_);
    busy_ = action;
    transferFailure_ = 0;
    progress_->setValue(0);
    progress_->show();
    UpdateActions();
    ShowStatus(Word(upload ? &FrameWords::uploading : &FrameWords::downloading));
    const bool started = upload ? instance_.dtm->UploadRequest(invokeId_, "")
                                : instance_.dtm->DownloadRequest(invokeId_, "");
    if (!started)
        Finish(Word(&FrameWords::notStarted));
    return started;
}

bool FrameWindow::Save() {
    if (busy_ || released_ || !WriteProject())
        return false;
    ShowStatus([path = ToQString(projectPath_)](const FrameWords& words) {
        return QString::fromUtf8(words.saved).arg(path);
    });
    return true;
}

bool FrameWindow::WriteProject() {
    // A file that cannot be written is told in the user's words; any other failure with the
    // reason the frame gives.
    std::string error;
    std::optional<WriteFault> fault = CheckWritable(projectPath_);
    if (!fault && frame_.SaveProject(projectPath_, error))
        return true;
    ShowStatus([fault, error, path = projectPath_](const FrameWords& words) {
        const std::string reason = fault ? DescribeWriteFault(*fault, path, words) : error;
        return QString::fromUtf8(words.saveFailed) + QStringLiteral(": ") +
               AsSentence(ToQString(reason));
    });
    return false;
}

FrameWindow::CloseAnswer FrameWindow::AskBeforeClosing() {
    if (released_)
        return CloseAnswer::Unchanged;
    // Pending input of the open user interfaces counts as a change, and so does input that
    // closing them drops.
    IGUIManager& gui = Ctx().GUIManager();
    gui.ValidateAll();
    if (Ctx().Parameters().ModifiedState() != 1 && !gui.HoldsUncommittedInput())
        return CloseAnswer::Unchanged;
    const FrameWords& words = FrameWordsOf(language_);
    const QString question =
        QString::fromUtf8(words.closeQuestion).arg(ToQString(instance_.systemTag));
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

bool FrameWindow::SaveOnRequest() {
    // Closing asked before anything closed: what the user interfaces change as they close is
    // not saved over the user's choice.
    if (closing_)
        return *closing_ == CloseAnswer::Saved;
    const QString question =
        QString::fromUtf8(FrameWordsOf(language_).saveQuestion).arg(ToQString(instance_.systemTag));
    return prompt_->Ask(question.toStdString(), mbsYesNoQuestion) == mbaYes && WriteProject();
}

void FrameWindow::SetLanguage(int32_t languageId) {
    if (released_ || languageId <= 0)
        return;
    language_ = languageId;
    frame_.SetLanguage(languageId);
    instance_.dtm->SetLanguage(languageId);
    ApplyWords();
    LoadFunctions();
    for (int i = 0; i < tabs_->count(); ++i)
        tabs_->setTabText(i, FunctionName(tabs_->widget(i)->property("applicationId").toInt()));
}

void FrameWindow::Finish(StatusWords text) {
    busy_.reset();
    progress_->hide();
    ShowStatus(std::move(text));
    UpdateInstance();
    UpdateActions();
}

void FrameWindow::OnContainerEvent(const FrameEvent& event) {
    const QPointer<FrameWindow> self(this);
    if (event.kind == "OnProgress") {
        // The window's own upload or download keeps the bar until its end comes; any other
        // process of the DTM (a page's read or write) shows it until it reports its end.
        const bool transfer = busy_ == Action::Uploading || busy_ == Action::Downloading;
        if (event.show)
            progress_->setValue(std::clamp(event.percent, 0, 100));
        if (!transfer)
            progress_->setVisible(event.show);
    } else if (event.kind == "OnTransferFinished") {
        if (busy_) {
            // The window's own upload or download: its end follows with the reason kept.
            transferFailure_ = event.failure;
        } else if (event.success) {
            ShowStatus(Word(event.write ? &FrameWords::written : &FrameWords::read));
        } else {
            ShowStatus(
                TransferFailed(event.write ? &FrameWords::writeFailed : &FrameWords::readFailed,
                               event.failure, dtmStatus_, FrameWordsOf(language_)));
        }
    } else if (event.kind == "OnUploadFinished" || event.kind == "OnDownloadFinished") {
        const bool upload = event.kind == "OnUploadFinished";
        if (busy_ != (upload ? Action::Uploading : Action::Downloading) || event.id != invokeId_)
            return;
        if (event.success) {
            Finish(Word(upload ? &FrameWords::uploaded : &FrameWords::downloaded));
        } else {
            Finish(TransferFailed(upload ? &FrameWords::uploadFailed : &FrameWords::downloadFailed,
                                  transferFailure_, dtmStatus_, FrameWordsOf(language_)));
        }
    } else if (event.kind == "OnPreparedToReleaseCommunication") {
        // The communication is released outside the DTM's own call.
        loop_->Post([self] {
            if (!self || self->released_ || self->busy_ != Action::Disconnecting)
                return;
            CallGuarded("FrameWindow disconnected", [&] {
                self->instance_.dtm->ReleaseCommunication();
                self->Finish(Word(&FrameWords::disconnectDone));
            });
        });
    } else if (event.kind == "OnParametersChanged") {
        TakeTag(instance_.container->ParameterDocument());
        UpdateInstance();
    } else if (event.kind == "OnOpenGUIRequest") {
        const std::string call = event.text;
        loop_->Post([self, call] {
            if (self && !self->released_)
                CallGuarded("FrameWindow OnOpenGUIRequest", [&] { self->OpenCall(call); });
        });
    }
}

// --- user interfaces ---

QWidget* FrameWindow::OpenFunction(int32_t applicationId) {
    if (released_)
        return nullptr;
    if (const int index = TabOf(applicationId); index >= 0) {
        tabs_->setCurrentIndex(index);
        return tabs_->widget(index);
    }
    std::shared_ptr<IFunctionCall> call = NewFunctionCall();
    call->SetApplicationId(applicationId);
    const std::string xml = call->ToXml(Ctx());
    const std::string progId = instance_.dtm->GetActiveXProgId(xml);
    if (progId.empty()) {
        // An invocable function: the DTM names the user interface to open (OnOpenGUIRequest).
        if (!instance_.dtm->InvokeFunctionRequest("invoke-" + std::to_string(++invokeCount_), xml))
            ShowStatus(Word(&FrameWords::noUserInterface));
        return nullptr;
    }
    return OpenCall(xml);
}

QWidget* FrameWindow::OpenCall(const std::string& functionCall) {
    std::shared_ptr<IFunctionCall> call = NewFunctionCall();
    if (!call->Parse(functionCall, Ctx()))
        return nullptr;
    const int32_t applicationId = call->ApplicationId();
    if (const int index = TabOf(applicationId); index >= 0) {
        tabs_->setCurrentIndex(index);
        return tabs_->widget(index);
    }
    // A call whose function has no user interface opens nothing (never a new invocation).
    const std::string progId = instance_.dtm->GetActiveXProgId(functionCall);
    std::unique_ptr<QWidget> widget = progId.empty() ? nullptr : registry_->Create(progId);
    if (!widget) {
        ShowStatus(Word(&FrameWords::noUserInterface));
        return nullptr;
    }
    auto* control = dynamic_cast<IDtmActiveXControl*>(widget.get());
    const std::string guiFunctionCall = std::to_string(applicationId);
    if (control == nullptr || !control->Init(guiFunctionCall, functionCall, instance_.dtm)) {
        ShowStatus(Word(&FrameWords::cannotOpen));
        return nullptr;
    }
    QWidget* page = widget.release();
    page->setProperty("applicationId", applicationId);
    const int index = tabs_->addTab(page, FunctionName(applicationId));
    tabs_->setCurrentIndex(index);
    return page;
}

bool FrameWindow::CloseTab(int index) {
    QWidget* page = TabWidget(index);
    if (page == nullptr)
        return false;
    auto* control = dynamic_cast<IDtmActiveXControl*>(page);
    if (control != nullptr && !control->PrepareToRelease()) {
        ShowStatus(Word(&FrameWords::refusesToClose));
        return false;
    }
    tabs_->removeTab(tabs_->indexOf(page));
    page->hide();
    page->deleteLater();
    return true;
}

bool FrameWindow::ReleaseAll() {
    if (released_)
        return true;
    while (tabs_->count() > 0) {
        if (!CloseTab(tabs_->count() - 1))
            return false;
    }
    if (!instance_.dtm->PrepareToRelease()) {
        ShowStatus(Word(&FrameWords::refusesToClose));
        return false;
    }
    released_ = true;
    busy_.reset();
    progress_->hide();
    functions_->clear();
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
    if (released)
        event->accept();
    else
        event->ignore();
}

}  // namespace kv
