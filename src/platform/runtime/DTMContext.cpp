#include "platform/runtime/DTMContext.h"

#include <stdexcept>

#include "platform/runtime/DataSetPersistence.h"

namespace kv {

namespace {

// The services a context has before anything better is plugged in: no user interface, no
// communication, no online service.
class NoGUIManager : public IGUIManager {
public:
    void ParameterChanged(IPrivateDataElement&, const std::string&) override {}
    void ValidateAll() override {}
    bool HasOpenGUIs() const override { return false; }
    bool CloseAll() override { return true; }
    int32_t Language() const override { return language_; }
    void SetLanguage(int32_t id) override { language_ = id; }

private:
    int32_t language_ = 9;
};

class NoCommunication : public ICommunicationManager {
public:
    bool IsConnected() const override { return false; }
    bool IsOnline() const override { return false; }
    void RepeatTransaction(ITransaction&, IPrivateDataElement&) override {}
    void AddReadBack(IPrivateDataElement&, int32_t, bool, int32_t) override {}
    void SetTransferOption1(int32_t) override {}
    void SetTransferOption2(int32_t) override {}
    bool HasCommunication() const override { return false; }
};

class OfflineService : public IOnlineParameterService {
public:
    int32_t OnlineMode() const override { return 0; }
};

template <class T>
T& Need(const std::shared_ptr<T>& p, const char* what) {
    if (!p) throw std::logic_error(std::string("the context has no ") + what);
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
    return (style & 0xF) == 0 ? 1 : 6;
}

DTMContext::DTMContext(std::shared_ptr<IEventLoop> loop)
    : loop_(std::move(loop)),
      gui_(std::make_shared<NoGUIManager>()),
      comm_(std::make_shared<NoCommunication>()),
      online_(std::make_shared<OfflineService>()),
      user_(std::make_shared<FixedUserManager>()),
      prompt_(std::make_shared<RecordingPrompt>()) {
    if (!loop_) throw std::invalid_argument("a context needs an event loop");
}

DTMContext::~DTMContext() = default;

IParameters& DTMContext::Parameters() { return Need(parameters_, "data set"); }
IDTMDictionary& DTMContext::Dictionary() { return Need(dictionary_, "dictionary"); }
IGUIManager& DTMContext::GUIManager() { return Need(gui_, "GUI list"); }
ICommunicationManager& DTMContext::CommunicationManager() {
    return Need(comm_, "communication manager");
}
IOnlineParameterService& DTMContext::OnlineParameterService() {
    return Need(online_, "online service");
}
IUserManager& DTMContext::UserManager() { return Need(user_, "user manager"); }
IXMLHelper& DTMContext::XMLHelper() { return Need(xml_, "XML helper"); }

void DTMContext::DisplayMessage(const std::string& text) {
    if (prompt_) prompt_->ShowMessage(text);
}

int32_t DTMContext::MessageBox(const std::string& prompt, int32_t style) {
    return prompt_ ? prompt_->Ask(prompt, style) : 7;
}

std::string DTMContext::GetText(const std::string& key) {
    if (!dictionary_) return key;
    Variant v = dictionary_->GetText("keys", key, "text");
    return v.isString() ? v.str() : key;
}

void DTMContext::AddPersistObject(std::shared_ptr<IPersistObject> object, const std::string& name) {
    persist_.emplace_back(name, std::move(object));
}

bool DTMContext::ReadProperties(const IPropertyBag& bag) {
    return LoadDataSet(*this, bag, persist_);
}

bool DTMContext::WriteProperties(IPropertyBag& bag) { return SaveDataSet(*this, bag, persist_); }

}  // namespace kv
