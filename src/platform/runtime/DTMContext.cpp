#include "platform/runtime/DTMContext.h"

#include <stdexcept>

#include "platform/fdt/FdtFrameInterfaces.h"
#include "platform/os/IEventLoop.h"
#include "platform/runtime/CommunicationManager.h"
#include "platform/runtime/DTMDictionary.h"
#include "platform/runtime/DataSet.h"
#include "platform/runtime/DataSetPersistence.h"
#include "platform/runtime/DeviceTypeInfo.h"
#include "platform/runtime/EntryGuard.h"
#include "platform/runtime/FdtDocuments.h"
#include "platform/runtime/GUIManager.h"
#include "platform/runtime/ICommunicationManager.h"
#include "platform/runtime/IDTMDictionary.h"
#include "platform/runtime/IDTMEvents.h"
#include "platform/runtime/IDeviceTypeInfo.h"
#include "platform/runtime/IGUIManager.h"
#include "platform/runtime/IOnlineParameterService.h"
#include "platform/runtime/IParameters.h"
#include "platform/runtime/IPrivateDataModel.h"
#include "platform/runtime/IPrivateFunctions.h"
#include "platform/runtime/IPrivateProcess.h"
#include "platform/runtime/IPropertyBag.h"
#include "platform/runtime/IUserManager.h"
#include "platform/runtime/IXMLHelper.h"
#include "platform/runtime/OnlineParameterService.h"
#include "platform/runtime/UserManager.h"
#include "platform/runtime/XMLHelper.h"

namespace kv {

namespace {

// The frame's events sink of a container, seen as the runtime's events. Every call finds the
// sink anew: a container that the frame dropped is not called.
class ContainerEvents : public IDTMEvents {
  public:
    explicit ContainerEvents(std::weak_ptr<IFdtContainer> container)
        : container_(std::move(container)) {}
    IDtmEventSink* Sink() const {
        auto container = container_.lock();
        return container ? container->Events() : nullptr;
    }
    void OnFunctionChanged(const std::string& systemTag) override {
        if (auto* s = Sink())
            s->OnFunctionChanged(systemTag);
    }
    void ReportProgress(const std::string& systemTag, const std::string& title, int32_t percent,
                        bool show) override {
        if (auto* s = Sink())
            s->OnProgress(systemTag, title, percent, show);
    }
    void OpenGUIRequest(const std::string& systemTag, const std::string& functionCall) override {
        if (auto* s = Sink())
            s->OnOpenGUIRequest(systemTag, functionCall);
    }
    void InvokedFunctionFinished(const std::string& invokeId, bool success) override {
        if (auto* s = Sink())
            s->OnInvokedFunctionFinished(invokeId, success);
    }
    void UploadFinished(const std::string& invokeId, bool success) override {
        if (auto* s = Sink())
            s->OnUploadFinished(invokeId, success);
    }
    void DownloadFinished(const std::string& invokeId, bool success) override {
        if (auto* s = Sink())
            s->OnDownloadFinished(invokeId, success);
    }
    void PreparedToRelease(const std::string& systemTag) override {
        if (auto* s = Sink())
            s->OnPreparedToRelease(systemTag);
    }
    void PreparedToReleaseCommunication(const std::string& systemTag) override {
        if (auto* s = Sink())
            s->OnPreparedToReleaseCommunication(systemTag);
    }
    void ParametersChanged(const std::string& systemTag,
                           const std::string& parameterDocument) override {
        if (auto* s = Sink())
            s->OnParametersChanged(systemTag, parameterDocument);
    }
    void TransferFinished(const std::string& systemTag, const std::string& title, bool write,
                          bool success, int32_t failure) override {
        if (auto* s = Sink())
            s->OnTransferFinished(systemTag, title, write, success, failure);
    }

  private:
    std::weak_ptr<IFdtContainer> container_;
};

template <class T>
T& Need(const std::shared_ptr<T>& p, const char* what) {
    if (!p)
        throw std::logic_error(std::string("the context has no ") + what);
    return *p;
}

}  // namespace

int32_t RecordingPrompt::Ask(const std::string& prompt, int32_t style) {
    questions.emplace_back(prompt, style);
    if (!answers.empty()) {
        int32_t a = answers.front();
        answers.erase(answers.begin());
        return a;
    }
    return (style & 0xF) == mbsOkOnly ? mbaOk : mbaYes;
}

DTMContext::DTMContext(std::shared_ptr<IEventLoop> loop)
    : loop_(std::move(loop)),
      gui_(std::make_shared<kv::GUIManager>(this)),
      comm_(std::make_shared<kv::CommunicationManager>(*this)),
      online_(std::make_shared<kv::OnlineParameterService>(*this)),
      user_(std::make_shared<kv::UserManager>()),
      converter_(std::make_unique<kv::ParameterXMLConverter>()),
      prompt_(std::make_shared<RecordingPrompt>()),
      deviceType_(std::make_shared<DeviceTypeInfo>()) {
    if (!loop_)
        throw std::invalid_argument("a context needs an event loop");
}

void DTMContext::Init(std::weak_ptr<IPrivateProcess> dtm, std::shared_ptr<IPrivateDataModel> model,
                      std::shared_ptr<ICommunicationManager> communication,
                      std::shared_ptr<IPrivateFunctions> functions) {
    dtm_ = std::move(dtm);
    functions_ = std::move(functions);
    if (communication) {
        comm_ = std::move(communication);
        commPlugged_ = true;
    } else if (!commPlugged_) {
        comm_ = std::make_shared<kv::CommunicationManager>(*this);
        commPlugged_ = true;
    }
    if (!onlinePlugged_) {
        online_ = std::make_shared<kv::OnlineParameterService>(*this);
        onlinePlugged_ = true;
    }
    if (!parameters_) {
        parameters_ = std::make_shared<DataSet>(*this, std::move(model));
    } else if (auto* set = dynamic_cast<DataSet*>(parameters_.get()); set && model) {
        set->SetDataModel(std::move(model));
    }
    if (!dictionary_)
        dictionary_ = std::make_shared<DTMDictionary>();
    if (!xml_)
        xml_ = std::make_shared<kv::XMLHelper>();
}

IDTMEvents* DTMContext::DTMEvents() {
    if (events_)
        return events_.get();
    auto* adapter = static_cast<ContainerEvents*>(containerEvents_.get());
    return adapter && adapter->Sink() ? adapter : nullptr;
}

void DTMContext::SetContainer(std::shared_ptr<IFdtContainer> container) {
    container_ = container;
    containerEvents_ = container ? std::make_shared<ContainerEvents>(container) : nullptr;
}

IDeviceTypeInfo* DTMContext::DeviceType() {
    return deviceType_.get();
}

void DTMContext::SetDeviceType(const IDeviceTypeInfo& deviceType) {
    if (&deviceType != deviceType_.get())
        deviceType_->CopyFrom(deviceType);
}

DTMContext::~DTMContext() = default;

IParameters& DTMContext::Parameters() {
    return Need(parameters_, "data set");
}
IDTMDictionary& DTMContext::Dictionary() {
    return Need(dictionary_, "dictionary");
}
IGUIManager& DTMContext::GUIManager() {
    return Need(gui_, "GUI list");
}
ICommunicationManager& DTMContext::CommunicationManager() {
    return Need(comm_, "communication manager");
}
IOnlineParameterService& DTMContext::OnlineParameterService() {
    return Need(online_, "online service");
}
IUserManager& DTMContext::UserManager() {
    return Need(user_, "user manager");
}
IXMLHelper& DTMContext::XMLHelper() {
    return Need(xml_, "XML helper");
}

void DTMContext::DisplayMessage(const std::string& text) {
    if (prompt_)
        prompt_->ShowMessage(text);
}

int32_t DTMContext::MessageBox(const std::string& prompt, int32_t style) {
    return prompt_ ? prompt_->Ask(prompt, style) : mbaNo;
}

std::string DTMContext::GetText(const std::string& key) {
    if (!dictionary_)
        return key;
    Variant v = dictionary_->GetText("keys", key, "text");
    return v.isString() ? v.str() : key;
}

void DTMContext::AddPersistObject(std::shared_ptr<IPersistObject> object, const std::string& name) {
    if (!object)
        throw std::invalid_argument("no object to persist");
    for (auto& entry : persist_) {
        if (entry.first == name) {
            entry.second = std::move(object);
            return;
        }
    }
    persist_.emplace_back(name, std::move(object));
}

bool DTMContext::ReadProperties(const IPropertyBag& bag) {
    IParameters& parameters = Parameters();
    // The open user interfaces see the loaded data set once, not every element of it (nor the
    // data status that the end of the bulk update brings).
    auto* list = dynamic_cast<kv::GUIManager*>(gui_.get());
    if (list)
        list->HoldNotifications(true);
    bool ok = true;
    {
        const ScopedBulkUpdate bulk(parameters);
        ok = Guarded(diagnostics_, "DTMContext::ReadProperties", false,
                     [&] { return LoadDataSet(*this, bag, persist_); });
    }
    if (list)
        list->HoldNotifications(false);
    return ok;
}

bool DTMContext::WriteProperties(IPropertyBag& bag) {
    const char* const where = "DTMContext::WriteProperties";
    bool ok = Guarded(diagnostics_, where, false, [&] { return deviceType_->Save(bag); });
    unstored_.clear();
    ok = Guarded(diagnostics_, where, false,
                 [&] { return SaveDataSet(*this, bag, persist_, &unstored_); }) &&
         ok;
    return ok;
}

void DTMContext::SaveCompleted() {
    DataSetSaveCompleted(Parameters(), unstored_);
    UnstoredElements().swap(unstored_);
}

}  // namespace kv
