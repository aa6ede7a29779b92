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
#include "core/dtm/DTMMain.h"
#include "frame/ReferenceFrame.h"
#include "frame/window/WindowPrompt.h"
#include "platform/controls/widgets/LastResort.h"
#include "platform/controls/widgets/PageRegistry.h"
#include "platform/runtime/ICommunicationManager.h"
#include "platform/runtime/IDTMContext.h"
#include "platform/runtime/IDTMDictionary.h"
#include "platform/runtime/IFunctionCall.h"
#include "platform/runtime/IGUIManager.h"
#include "platform/runtime/IParameters.h"
#include "platform/runtime/IPrivateProcess.h"
#include "platform/runtime/ProcessId.h"
#include "sim/SimulatedChannel.h"
#include "value/ScopedValue.h"
#include "value/Text.h"

namespace kv {

// The window's own words, in the two languages of the DTM.
struct FrameWords {
    const char* title;
    const char* connect;
    const char* disconnect;
    const char* upload;
    const char* download;
    const char* save;
    const char* language;
    const char* functions;
    const char* tag;
    const char* connected;
    const char* disconnected;
    const char* connecting;
    const char* connectFailed;
    const char* disconnecting;
    const char* channelRefused;
    const char* uploading;
    const char* uploaded;
    const char* uploadFailed;
    const char* downloading;
    const char* downloaded;
    const char* downloadFailed;
    const char* notStarted;
    const char* saved;
    const char* noUserInterface;
    const char* cannotOpen;
    const char* refusesToClose;
    const char* saveQuestion;
    // Closing the window with changed data: Save, Discard or Cancel.
    const char* closeQuestion;
    const char* discard;
    const char* cancel;
    // The DTM's function groups "Trend", "Measure", "Diagnosis", "Simulation", "Operation".
    const char* groups[5];
};

namespace {

const FrameWords kEnglish = {
    "KV6274PA reference frame",
    "Connect",
    "Disconnect",
    "Upload",
    "Download",
    "Save",
    "Language:",
    "Functions",
    "Tag:",
    "Connected",
    "Disconnected",
    "Connecting to the simulated positioner ...",
    "The connection failed.",
    "Disconnecting ...",
    "The DTM does not take the communication channel.",
    "Uploading the parameters ...",
    "Upload finished.",
    "The upload failed.",
    "Downloading the parameters ...",
    "Download finished.",
    "The download failed.",
    "The DTM did not start the action.",
    "Project saved: %1",
    "This function has no user interface.",
    "The user interface of this function cannot be opened.",
    "The user interface does not close now.",
    "The data of %1 have changed. Save the project?",
    "The data of %1 have changed. Save the project before closing?",
    "Discard",
    "Cancel",
    {"Trend", "Measured values", "Diagnosis", "Simulation", "Operation"},
};

const FrameWords kGerman = {
    "KV6274PA Referenz-Rahmenapplikation",
    "Verbinden",
    "Trennen",
    "Upload",
    "Download",
    "Speichern",
    "Sprache:",
    "Funktionen",
    "Tag:",
    "Verbunden",
    "Getrennt",
    "Verbindung zum simulierten Stellungsregler ...",
    "Die Verbindung ist fehlgeschlagen.",
    "Verbindung wird getrennt ...",
    "Der DTM nimmt den Kommunikationskanal nicht an.",
    "Parameter werden gelesen ...",
    "Upload beendet.",
    "Der Upload ist fehlgeschlagen.",
    "Parameter werden geschrieben ...",
    "Download beendet.",
    "Der Download ist fehlgeschlagen.",
    "Der DTM hat die Aktion nicht gestartet.",
    "Projekt gespeichert: %1",
    "Diese Funktion hat keine Bedienoberfläche.",
    "Die Bedienoberfläche dieser Funktion kann nicht geöffnet werden.",
    "Die Bedienoberfläche lässt sich jetzt nicht schließen.",
    "Die Daten von %1 wurden geändert. Projekt speichern?",
    "Die Daten von %1 wurden geändert. Projekt vor dem Schließen speichern?",
    "Verwerfen",
    "Abbrechen",
    {"Trend", "Messwerte", "Diagnose", "Simulation", "Bedienung"},
};

const char* const kGroupNames[5] = {"Trend", "Measure", "Diagnosis", "Simulation", "Operation"};

const char* const kOperationPhase =
    R"(<FDT xmlns:fdt="x-schema:FDTDataTypesSchema.xml"><OperationPhase phase="engineering"/></FDT>)";

constexpr int kApplicationIdRole = Qt::UserRole;

const FrameWords& WordsOf(int32_t language) {
    return (language & 0x3FF) == langGerman ? kGerman : kEnglish;
}

QString Q(const std::string& text) {
    return QString::fromStdString(text);
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
            CallGuarded("FrameWindow status text", [&] { self->ShowStatus(Q(text)); });
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
    const FrameWords& words = WordsOf(language_);
    setWindowTitle(QString::fromUtf8(words.title) + QStringLiteral(" - ") +
                   QFileInfo(Q(projectPath_)).fileName());
    prompt_->SetTitle(QString::fromUtf8(words.title));
    connect_->setText(QString::fromUtf8(words.connect));
    disconnect_->setText(QString::fromUtf8(words.disconnect));
    upload_->setText(QString::fromUtf8(words.upload));
    download_->setText(QString::fromUtf8(words.download));
    save_->setText(QString::fromUtf8(words.save));
    languageLabel_->setText(QString::fromUtf8(words.language));
    functionsTitle_->setText(QString::fromUtf8(words.functions));
    languageBox_->setCurrentIndex(languageBox_->findData(language_ & 0x3FF));
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
    const FrameWords& words = WordsOf(language_);
    instanceTitle_->setText(Q(instance_.systemTag + " (" + instance_.deviceType + ")"));
    const std::string tag = released_ ? std::string() : tag_;
    instanceTag_->setText(QString::fromUtf8(words.tag) + QLatin1Char(' ') + Q(tag));
    instanceState_->setText(
        QString::fromUtf8(IsConnected() ? words.connected : words.disconnected));
}

void FrameWindow::LoadFunctions() {
    functions_->clear();
    if (released_)
        return;
    const FrameWords& words = WordsOf(language_);
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
    status_->setText(text);
    status_->setToolTip(text);
}

// --- actions ---

bool FrameWindow::Connect() {
    if (busy_ || released_ || IsConnected())
        return false;
    const FrameWords& words = WordsOf(language_);
    ICommunicationManager& comm = Ctx().CommunicationManager();
    if (!comm.HasCommunication() && !instance_.dtm->SetCommunication(channel_)) {
        ShowStatus(QString::fromUtf8(words.channelRefused));
        return false;
    }
    const QPointer<FrameWindow> self(this);
    watch_ = std::make_shared<ProcessWatch>([self](bool connected) {
        if (self)
            self->Finish(QString::fromUtf8(connected && self->IsConnected()
                                               ? WordsOf(self->language_).connected
                                               : WordsOf(self->language_).connectFailed));
    });
    watch_->id = NewProcessId();
    busy_ = Action::Connecting;
    UpdateActions();
    ShowStatus(QString::fromUtf8(words.connecting));
    if (!comm.Connect(watch_->id, watch_)) {
        Finish(QString::fromUtf8(words.connectFailed));
        return false;
    }
    return true;
}

bool FrameWindow::Disconnect() {
    if (busy_ || !IsConnected())
        return false;
    busy_ = Action::Disconnecting;
    UpdateActions();
    ShowStatus(QString::fromUtf8(WordsOf(language_).disconnecting));
    if (!instance_.dtm->PrepareToReleaseCommunication()) {
        Finish(QString::fromUtf8(WordsOf(language_).notStarted));
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
    const FrameWords& words = WordsOf(language_);
    const bool upload = action == Action::Uploading;
    invokeId_ = (upload ? "upload-" : "download-") + std::to_string(++invokeCount_);
    busy_ = action;
    progress_->setValue(0);
    progress_->show();
    UpdateActions();
    ShowStatus(QString::fromUtf8(upload ? words.uploading : words.downloading));
    const bool started = upload ? instance_.dtm->UploadRequest(invokeId_, "")
                                : instance_.dtm->DownloadRequest(invokeId_, "");
    if (!started)
        Finish(QString::fromUtf8(words.notStarted));
    return started;
}

bool FrameWindow::Save() {
    if (busy_ || released_ || !WriteProject())
        return false;
    ShowStatus(QString::fromUtf8(WordsOf(language_).saved).arg(Q(projectPath_)));
    return true;
}

bool FrameWindow::WriteProject() {
    std::string error;
    if (frame_.SaveProject(projectPath_, error))
        return true;
    ShowStatus(Q(error));
    return false;
}

FrameWindow::CloseAnswer FrameWindow::AskBeforeClosing() {
    if (released_)
        return CloseAnswer::Close;
    // Pending input of the open user interfaces counts as a change.
    Ctx().GUIManager().ValidateAll();
    if (Ctx().Parameters().ModifiedState() != 1)
        return CloseAnswer::Close;
    const FrameWords& words = WordsOf(language_);
    const QString question = QString::fromUtf8(words.closeQuestion).arg(Q(instance_.systemTag));
    const int32_t answer = prompt_->Ask(question.toStdString(), mbsYesNoCancelQuestion,
                                        {{QMessageBox::Yes, QString::fromUtf8(words.save)},
                                         {QMessageBox::No, QString::fromUtf8(words.discard)},
                                         {QMessageBox::Cancel, QString::fromUtf8(words.cancel)}});
    if (answer == mbaNo)
        return CloseAnswer::Discard;
    // Cancel, or a save that failed (its reason in the status bar): everything stays open.
    if (answer != mbaYes || !WriteProject())
        return CloseAnswer::Stay;
    return CloseAnswer::Close;
}

bool FrameWindow::SaveOnRequest() {
    // The user has just chosen to close without saving.
    if (discarding_)
        return false;
    const QString question =
        QString::fromUtf8(WordsOf(language_).saveQuestion).arg(Q(instance_.systemTag));
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

void FrameWindow::Finish(const QString& text) {
    busy_.reset();
    progress_->hide();
    ShowStatus(text);
    UpdateInstance();
    UpdateActions();
}

void FrameWindow::OnContainerEvent(const FrameEvent& event) {
    const FrameWords& words = WordsOf(language_);
    const QPointer<FrameWindow> self(this);
    if (event.kind == "OnProgress") {
        // The window's own upload or download keeps the bar until its end comes; any other
        // process of the DTM (a page's read or write) shows it until it reports its end.
        const bool transfer = busy_ == Action::Uploading || busy_ == Action::Downloading;
        if (event.show)
            progress_->setValue(std::clamp(event.percent, 0, 100));
        if (!transfer)
            progress_->setVisible(event.show);
    } else if (event.kind == "OnUploadFinished") {
        if (busy_ == Action::Uploading && event.id == invokeId_)
            Finish(QString::fromUtf8(event.success ? words.uploaded : words.uploadFailed));
    } else if (event.kind == "OnDownloadFinished") {
        if (busy_ == Action::Downloading && event.id == invokeId_)
            Finish(QString::fromUtf8(event.success ? words.downloaded : words.downloadFailed));
    } else if (event.kind == "OnPreparedToReleaseCommunication") {
        // The communication is released outside the DTM's own call.
        loop_->Post([self] {
            if (!self || self->released_ || self->busy_ != Action::Disconnecting)
                return;
            CallGuarded("FrameWindow disconnected", [&] {
                self->instance_.dtm->ReleaseCommunication();
                self->Finish(QString::fromUtf8(WordsOf(self->language_).disconnected));
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
            ShowStatus(QString::fromUtf8(WordsOf(language_).noUserInterface));
        return nullptr;
    }
    return OpenCall(xml);
}

QWidget* FrameWindow::OpenCall(const std::string& functionCall) {
    const FrameWords& words = WordsOf(language_);
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
        ShowStatus(QString::fromUtf8(words.noUserInterface));
        return nullptr;
    }
    auto* control = dynamic_cast<IDtmActiveXControl*>(widget.get());
    const std::string guiFunctionCall = std::to_string(applicationId);
    if (control == nullptr || !control->Init(guiFunctionCall, functionCall, instance_.dtm)) {
        ShowStatus(QString::fromUtf8(words.cannotOpen));
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
        ShowStatus(QString::fromUtf8(WordsOf(language_).refusesToClose));
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
        ShowStatus(QString::fromUtf8(WordsOf(language_).refusesToClose));
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
        const ScopedValue discarding(discarding_, answer == CloseAnswer::Discard);
        released = ReleaseAll();
    });
    if (released)
        event->accept();
    else
        event->ignore();
}

}  // namespace kv
