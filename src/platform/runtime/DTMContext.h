#pragma once
// The runtime's context of one DTM instance. It owns the instance's services; each can be
// replaced (the frame plugs in its own prompt, tests plug in fakes).

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/fdt/FdtFrameInterfaces.h"
#include "platform/os/IEventLoop.h"
#include "platform/runtime/ICommunicationManager.h"
#include "platform/runtime/IDTMContext.h"
#include "platform/runtime/IDTMDictionary.h"
#include "platform/runtime/IDTMEvents.h"
#include "platform/runtime/IDeviceTypeInfo.h"
#include "platform/runtime/IDocuments.h"
#include "platform/runtime/IGUIManager.h"
#include "platform/runtime/IOnlineParameterService.h"
#include "platform/runtime/IParameters.h"
#include "platform/runtime/IPrivateDataElement.h"
#include "platform/runtime/IPrivateDataModel.h"
#include "platform/runtime/IPrivateFunctions.h"
#include "platform/runtime/IPrivateProcess.h"
#include "platform/runtime/IPrompt.h"
#include "platform/runtime/IPropertyBag.h"
#include "platform/runtime/IStateObject.h"
#include "platform/runtime/IUserManager.h"
#include "platform/runtime/IXMLHelper.h"
#include "value/DiagnosticLog.h"

namespace kv {

// A prompt that records what it was shown and answers from a script (tests, headless runs).
class RecordingPrompt : public IPrompt {
  public:
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    int32_t Ask(const std::string& prompt, int32_t style) override;
    std::vector<std::string> messages;
    std::vector<std::pair<std::string, int32_t>> questions;
    std::vector<int32_t> answers;  // taken from the front; 6 (Yes) when none is left, 1 for OK
};

class DeviceTypeInfo;

// The context of one instance. Created by the DTM object, which owns it; Init ties it to the DTM
// object (kept weakly: the context never keeps its owner alive), the data model, the
// communication and the function catalogue, and builds the data set, the dictionary, the XML
// helper, the communication manager (with its communication object) and the online service
// unless a part was plugged in before. The GUI list and the user manager exist from construction.
class DTMContext : public IDTMContext, public std::enable_shared_from_this<DTMContext> {
  public:
    explicit DTMContext(std::shared_ptr<IEventLoop> loop);
    ~DTMContext() override;

    // communication: nullptr builds the runtime's communication manager.
    void Init(std::weak_ptr<IPrivateProcess> dtm, std::shared_ptr<IPrivateDataModel> model,
              std::shared_ptr<ICommunicationManager> communication,
              std::shared_ptr<IPrivateFunctions> functions);

    IParameters& Parameters() override;
    IDTMDictionary& Dictionary() override;
    IGUIManager& GUIManager() override;
    ICommunicationManager& CommunicationManager() override;
    IOnlineParameterService& OnlineParameterService() override;
    IUserManager& UserManager() override;
    IXMLHelper& XMLHelper() override;
    IParameterXMLConverter& ParameterXMLConverter() override { return *converter_; }
    IEventLoop& Loop() override { return *loop_; }
    IPrivateFunctions* Functions() override { return functions_.get(); }
    // The events set with SetDTMEvents, else the container's events sink; nullptr when there is
    // neither (no container, a container that the frame dropped, or one without a sink).
    IDTMEvents* DTMEvents() override;
    const NumberLocale& Locale() const override { return locale_; }
    DiagnosticLog& Diagnostics() override { return diagnostics_; }

    const std::string& SystemTag() const override { return systemTag_; }
    void SetSystemTag(const std::string& tag) override { systemTag_ = tag; }
    IFdtContainer* Container() override { return container_.lock().get(); }
    // The frame owns the container; the context keeps it weakly.
    void SetContainer(std::shared_ptr<IFdtContainer> container) override;
    IStateObject* StateObject() override { return state_.get(); }
    void SetStateObject(std::shared_ptr<IStateObject> state) override { state_ = std::move(state); }

    void DisplayMessage(const std::string& text) override;
    int32_t MessageBox(const std::string& prompt, int32_t style) override;
    std::string GetText(const std::string& key) override;

    // Registers an object persisted with the instance; a second object of the same name
    // replaces the first.
    void AddPersistObject(std::shared_ptr<IPersistObject> object, const std::string& name) override;
    // Loads the data set (LoadDataSet: every element's keys, every channel's keys, then the
    // registered objects) with BulkUpdateActive set throughout. The device type is not loaded
    // here (the DTM object loads it before the model is built). False when any part failed; the
    // others are still loaded.
    bool ReadProperties(const IPropertyBag& bag) override;
    // Saves the device type and the data set (SaveDataSet: every element, every channel and the
    // registered objects). False when any part failed; the others are still written. Nothing
    // counts as stored until SaveCompleted.
    bool WriteProperties(IPropertyBag& bag) override;
    // The bag last written is kept: the data set takes what it holds as stored and counts as
    // unmodified.
    void SaveCompleted();

    IDeviceTypeInfo* DeviceType() override;
    void SetDeviceType(const IDeviceTypeInfo& deviceType) override;
    bool PrivateDialogEnabled() const override { return privateDialogs_; }
    void SetPrivateDialogEnabled(bool enabled) override { privateDialogs_ = enabled; }
    std::shared_ptr<IDTMContext> SharedContext() override { return weak_from_this().lock(); }
    std::shared_ptr<IPrivateProcess> DTMObject() override { return dtm_.lock(); }

    // --- set-up of the parts ---
    void SetParameters(std::shared_ptr<IParameters> p) { parameters_ = std::move(p); }
    void SetDictionary(std::shared_ptr<IDTMDictionary> d) { dictionary_ = std::move(d); }
    void SetGUIManager(std::shared_ptr<IGUIManager> g) { gui_ = std::move(g); }
    void SetCommunicationManager(std::shared_ptr<ICommunicationManager> c) {
        comm_ = std::move(c);
        commPlugged_ = true;
    }
    void SetOnlineParameterService(std::shared_ptr<IOnlineParameterService> s) {
        online_ = std::move(s);
        onlinePlugged_ = true;
    }
    void SetUserManager(std::shared_ptr<IUserManager> u) { user_ = std::move(u); }
    void SetXMLHelper(std::shared_ptr<IXMLHelper> x) { xml_ = std::move(x); }
    void SetFunctions(std::shared_ptr<IPrivateFunctions> f) { functions_ = std::move(f); }
    void SetDTMEvents(std::shared_ptr<IDTMEvents> e) { events_ = std::move(e); }
    void SetPrompt(std::shared_ptr<IPrompt> p) { prompt_ = std::move(p); }
    void SetLocale(const NumberLocale& loc) { locale_ = loc; }

    const std::vector<std::pair<std::string, std::shared_ptr<IPersistObject>>>& PersistObjects()
        const {
        return persist_;
    }

  private:
    std::shared_ptr<IEventLoop> loop_;
    std::shared_ptr<IParameters> parameters_;
    std::shared_ptr<IDTMDictionary> dictionary_;
    std::shared_ptr<IGUIManager> gui_;
    std::shared_ptr<ICommunicationManager> comm_;
    std::shared_ptr<IOnlineParameterService> online_;
    std::shared_ptr<IUserManager> user_;
    std::shared_ptr<IXMLHelper> xml_;
    std::unique_ptr<IParameterXMLConverter> converter_;
    std::shared_ptr<IPrivateFunctions> functions_;
    std::shared_ptr<IDTMEvents> events_;
    std::shared_ptr<IPrompt> prompt_;
    std::shared_ptr<IStateObject> state_;
    std::vector<std::pair<std::string, std::shared_ptr<IPersistObject>>> persist_;
    // The elements that the last WriteProperties left for SaveCompleted.
    std::vector<std::shared_ptr<IPrivateDataElement>> unstored_;
    std::weak_ptr<IFdtContainer> container_;
    std::shared_ptr<IDTMEvents> containerEvents_;
    std::shared_ptr<DeviceTypeInfo> deviceType_;
    bool commPlugged_ = false;
    bool onlinePlugged_ = false;
    bool privateDialogs_ = true;
    NumberLocale locale_;
    std::weak_ptr<IPrivateProcess> dtm_;
    std::string systemTag_;
    DiagnosticLog diagnostics_;
};

// A user manager with a fixed user level.
class FixedUserManager : public IUserManager {
  public:
    explicit FixedUserManager(int32_t level = 3) : level_(level) {}
    int32_t UserLevel() const override { return level_; }
    bool Config(const std::string&, IDTMContext&) override { return true; }
    void SetUserLevel(int32_t level) { level_ = level; }

  private:
    int32_t level_;
};

}  // namespace kv
