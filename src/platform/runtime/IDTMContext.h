#pragma once
// The runtime's context of one DTM instance: the services of the instance, the frame's
// environment and the messages to the user. Each service has a header of its own.

#include <cstdint>
#include <memory>
#include <string>

namespace kv {

class DiagnosticLog;
class IChannels;
class ICommunicationManager;
class IDeviceTypeInfo;
class IDTMDictionary;
class IDTMEvents;
class IEventLoop;
class IFdtContainer;
class IGUIManager;
class IOnlineParameterService;
class IParameterXMLConverter;
class IParameters;
class IPersistObject;
class IPrivateFunctions;
class IPrivateProcess;
class IPropertyBag;
class IStateObject;
class IUserManager;
class IXMLHelper;
struct NumberLocale;

class IDTMContext {
  public:
    virtual ~IDTMContext() = default;

    virtual IParameters& Parameters() = 0;
    virtual IDTMDictionary& Dictionary() = 0;
    virtual IGUIManager& GUIManager() = 0;
    virtual ICommunicationManager& CommunicationManager() = 0;
    virtual IOnlineParameterService& OnlineParameterService() = 0;
    virtual IUserManager& UserManager() = 0;
    virtual IXMLHelper& XMLHelper() = 0;
    // The data set's parameter document: export and import.
    virtual IParameterXMLConverter& ParameterXMLConverter() = 0;
    virtual IEventLoop& Loop() = 0;
    // The function catalogue; nullptr before Init.
    virtual IPrivateFunctions* Functions() = 0;
    // The frame's events; nullptr without a frame.
    virtual IDTMEvents* DTMEvents() = 0;
    // Number formats of the user's locale, in which message arguments and documents write their
    // numbers (parameter rows show and read numbers in the form of the dictionary's language).
    virtual const NumberLocale& Locale() const = 0;
    // What the entry-point guard swallowed in this instance (EntryGuard.h); empty in a run
    // without faults.
    virtual DiagnosticLog& Diagnostics() = 0;

    virtual const std::string& SystemTag() const = 0;
    virtual void SetSystemTag(const std::string& tag) = 0;
    // The frame's container of the instance; nullptr before the environment is set or once the
    // frame dropped it (the frame owns it).
    virtual IFdtContainer* Container() { return nullptr; }
    virtual void SetContainer(std::shared_ptr<IFdtContainer> /*container*/) {}
    virtual IStateObject* StateObject() = 0;
    virtual void SetStateObject(std::shared_ptr<IStateObject> state) = 0;

    // Shows a message to the user (OK box or status text).
    virtual void DisplayMessage(const std::string& text) = 0;
    // Asks the user; answers 6 for Yes and 7 for No (1 for OK).
    virtual int32_t MessageBox(const std::string& prompt, int32_t style) = 0;
    // The dictionary text of a key of the "keys" section; the key itself when missing.
    virtual std::string GetText(const std::string& key) = 0;

    virtual void AddPersistObject(std::shared_ptr<IPersistObject> object,
                                  const std::string& name) = 0;
    virtual bool ReadProperties(const IPropertyBag& bag) = 0;
    virtual bool WriteProperties(IPropertyBag& bag) = 0;

    // The device type of the instance; nullptr for a context that keeps none.
    virtual IDeviceTypeInfo* DeviceType() { return nullptr; }
    // Takes every value of the given device type into the instance's device type.
    virtual void SetDeviceType(const IDeviceTypeInfo& /*deviceType*/) {}
    // Whether the frame lets the DTM show dialogs of its own.
    virtual bool PrivateDialogEnabled() const { return true; }
    virtual void SetPrivateDialogEnabled(bool /*enabled*/) {}
    // The context as a counted reference, for holders that keep it weakly; nullptr when the
    // context is not owned by a shared pointer.
    virtual std::shared_ptr<IDTMContext> SharedContext() { return nullptr; }
    // The DTM object (its process callback); nullptr before Init or once it is gone.
    virtual std::shared_ptr<IPrivateProcess> DTMObject() { return nullptr; }
};

}  // namespace kv
