#pragma once
// The runtime's context of one DTM instance. It owns the instance's services; each can be
// replaced (the frame plugs in its own prompt, tests plug in fakes).

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/runtime/IDTMContext.h"

namespace kv {

// Where the user sees messages and answers questions; provided by the frame.
class IPrompt {
public:
    virtual ~IPrompt() = default;
    virtual void ShowMessage(const std::string& text) = 0;
    // Answers 6 for Yes, 7 for No, 1 for OK.
    virtual int32_t Ask(const std::string& prompt, int32_t style) = 0;
};

// A prompt that records what it was shown and answers from a script (tests, headless runs).
class RecordingPrompt : public IPrompt {
public:
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    int32_t Ask(const std::string& prompt, int32_t style) override;
    std::vector<std::string> messages;
    std::vector<std::pair<std::string, int32_t>> questions;
    std::vector<int32_t> answers;  // taken from the front; 6 (Yes) when none is left, 1 for OK
};

class DTMContext : public IDTMContext {
public:
    explicit DTMContext(std::shared_ptr<IEventLoop> loop);
    ~DTMContext() override;

    IParameters& Parameters() override;
    IDTMDictionary& Dictionary() override;
    IGUIManager& GUIManager() override;
    ICommunicationManager& CommunicationManager() override;
    IOnlineParameterService& OnlineParameterService() override;
    IUserManager& UserManager() override;
    IXMLHelper& XMLHelper() override;
    IEventLoop& Loop() override { return *loop_; }
    IPrivateFunctions* Functions() override { return functions_.get(); }
    IDTMEvents* DTMEvents() override { return events_.get(); }
    const NumberLocale& Locale() const override { return locale_; }

    const std::string& SystemTag() const override { return systemTag_; }
    void SetSystemTag(const std::string& tag) override { systemTag_ = tag; }
    IFdtContainer* Container() override { return container_.lock().get(); }
    void SetContainer(std::shared_ptr<IFdtContainer> container) override {
        container_ = container;
    }
    IStateObject* StateObject() override { return state_.get(); }
    void SetStateObject(std::shared_ptr<IStateObject> state) override { state_ = std::move(state); }

    void DisplayMessage(const std::string& text) override;
    int32_t MessageBox(const std::string& prompt, int32_t style) override;
    std::string GetText(const std::string& key) override;

    void AddPersistObject(std::shared_ptr<IPersistObject> object,
                          const std::string& name) override;
    bool ReadProperties(const IPropertyBag& bag) override;
    bool WriteProperties(IPropertyBag& bag) override;

    // --- set-up of the parts ---
    void SetParameters(std::shared_ptr<IParameters> p) { parameters_ = std::move(p); }
    void SetDictionary(std::shared_ptr<IDTMDictionary> d) { dictionary_ = std::move(d); }
    void SetGUIManager(std::shared_ptr<IGUIManager> g) { gui_ = std::move(g); }
    void SetCommunicationManager(std::shared_ptr<ICommunicationManager> c) { comm_ = std::move(c); }
    void SetOnlineParameterService(std::shared_ptr<IOnlineParameterService> s) {
        online_ = std::move(s);
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
    std::shared_ptr<IPrivateFunctions> functions_;
    std::shared_ptr<IDTMEvents> events_;
    std::shared_ptr<IPrompt> prompt_;
    std::shared_ptr<IStateObject> state_;
    std::vector<std::pair<std::string, std::shared_ptr<IPersistObject>>> persist_;
    std::weak_ptr<IFdtContainer> container_;
    std::string systemTag_;
    NumberLocale locale_;
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
