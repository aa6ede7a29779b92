#pragma once
// The runtime's context of one DTM instance and the services reached through it.

#include <memory>
#include <optional>
#include <pugixml.hpp>
#include <string>
#include <vector>

#include "platform/runtime/IEventLoop.h"
#include "platform/runtime/IParameters.h"
#include "platform/runtime/IPrivateProcess.h"
#include "platform/runtime/IPropertyBag.h"
#include "platform/runtime/ITransaction.h"
#include "value/SharedText.h"
#include "value/Variant.h"

namespace kv {

class IDTMContext;
class IFdtContainer;
class IPrivateDataModel;
class IPrivateFunctions;

// The language dictionary: one document per language with sections of keyed entries.
class IDTMDictionary {
  public:
    virtual ~IDTMDictionary() = default;
    // Loads the dictionary documents named 'name' from the XML data folder; False when none.
    virtual bool Load(IDTMContext& context, const std::string& name) = 0;
    // True once a document is loaded.
    virtual bool HasDocument() const = 0;
    // Switches to the language (a language id); a missing language falls back to its primary
    // language and then to English. False when none of them exists (the flag is not used).
    virtual bool SetLanguage(int32_t languageId, bool fallback) = 0;
    virtual int32_t Language() const = 0;
    // The section node of the current language; an empty node when missing.
    virtual pugi::xml_node GetSection(const std::string& section) const = 0;
    // The entry of a section by key; an empty node when missing.
    virtual pugi::xml_node GetSectionEntry(pugi::xml_node section,
                                           const std::string& key) const = 0;
    // The attribute of an entry as text; Empty when the section, the entry or the attribute is
    // missing.
    virtual Variant GetText(const std::string& section, const std::string& key,
                            const std::string& attribute) const = 0;
    virtual Variant GetText(pugi::xml_node section, const std::string& key,
                            const std::string& attribute) const = 0;
    // The same as a text shared with the dictionary (no copy per instance); nullopt when
    // missing.
    virtual std::optional<SharedText> GetSharedText(pugi::xml_node section, const std::string& key,
                                                    const std::string& attribute) const {
        Variant v = GetText(section, key, attribute);
        if (!v.isString())
            return std::nullopt;
        return SharedText(v.str());
    }
    // Completes a document with the texts of a section: every attribute value of the form
    // "$(key)" is replaced by the key's text.
    virtual bool GetXml(IDTMContext& context, std::string& xml, const std::string& section,
                        const std::string& attribute) const = 0;
};

// The frame's user information turned into a user level.
class IUserManager {
  public:
    virtual ~IUserManager() = default;
    virtual int32_t UserLevel() const = 0;
    virtual bool Config(const std::string& userInfo, IDTMContext& context) = 0;
};

// XML access of the element persistence, and the folder of the XML data files.
class IXMLHelper {
  public:
    virtual ~IXMLHelper() = default;
    virtual Variant GetAttribute(const std::string& name, pugi::xml_node node) const = 0;
    virtual void SetAttribute(const std::string& name, const Variant& value,
                              pugi::xml_node node) = 0;
    virtual pugi::xml_node AddElement(const std::string& name, pugi::xml_node parent) = 0;
    virtual const std::string& XMLDataPath() const = 0;
    virtual void SetXMLDataPath(const std::string& path) = 0;
};

// The open user interfaces of the instance.
class IGUIManager {
  public:
    virtual ~IGUIManager() = default;
    virtual void ParameterChanged(IPrivateDataElement& element, const std::string& guiId) = 0;
    virtual void ValidateAll() = 0;
    virtual bool HasOpenGUIs() const = 0;
    virtual bool CloseAll() = 0;
    virtual int32_t Language() const = 0;
    virtual void SetLanguage(int32_t languageId) = 0;
};

// The instance's online service: uploads and downloads of the frame, and reads of marked
// elements.
class IOnlineParameterService {
  public:
    virtual ~IOnlineParameterService() = default;
    // 1 when every decoded value is taken as the shown value, edits pending or not.
    virtual int32_t OnlineMode() const = 0;
};

// Notifications to the frame.
class IDTMEvents {
  public:
    virtual ~IDTMEvents() = default;
    virtual void OnFunctionChanged(const std::string& systemTag) = 0;
    virtual void ReportProgress(const std::string& systemTag, const std::string& title,
                                int32_t percent) = 0;
    virtual void OpenGUIRequest(const std::string& systemTag, const std::string& functionCall) = 0;
    virtual void InvokedFunctionFinished(const std::string& invokeId, bool success) = 0;
    virtual void UploadFinished(const std::string& invokeId, bool success) = 0;
    virtual void DownloadFinished(const std::string& invokeId, bool success) = 0;
    virtual void PreparedToRelease(const std::string& systemTag) = 0;
    virtual void PreparedToReleaseCommunication(const std::string& systemTag) = 0;
    virtual void ParametersChanged(const std::string& systemTag) = 0;
};

// The communication of the instance over the frame's DP-V1 channel.
class ICommunicationManager {
  public:
    virtual ~ICommunicationManager() = default;
    virtual bool IsConnected() const = 0;
    virtual bool IsOnline() const = 0;
    // Sends the job again (a busy device); the element's response handling runs again.
    virtual void RepeatTransaction(ITransaction& transaction, IPrivateDataElement& element) = 0;
    // Reads the element back after a confirmed write.
    virtual void AddReadBack(IPrivateDataElement& element, int32_t a, bool b, int32_t c) = 0;
    virtual void SetTransferOption1(int32_t v) = 0;
    virtual void SetTransferOption2(int32_t v) = 0;
    // True while the frame's communication channel is set for the instance.
    virtual bool HasCommunication() const { return false; }
};

// The DTM's catalogue of functions (implemented by the core).
class IFunctionCall;
class IOperationPhase;
class IPrivateFunctions {
  public:
    virtual ~IPrivateFunctions() = default;
    // The function call of the documentation being built; nullptr when none.
    virtual IFunctionCall* DocFuncCall() = 0;

    // The runtime's requests (mode 1: open the user interface of the function whose application
    // id is the argument; mode 2: have the instance saved).
    virtual bool OnGUIRequest(IDTMContext& /*context*/, const std::string& /*guiId*/,
                              const Variant& /*argument*/, int32_t /*mode*/) {
        return false;
    }
    // The functions document for an operation phase.
    virtual std::string GetFunctions(IDTMContext& /*context*/,
                                     std::shared_ptr<IOperationPhase> /*operationPhase*/) {
        return {};
    }
    virtual bool InvokeFunctionRequest(IDTMContext& /*context*/, const std::string& /*invokeId*/,
                                       const IFunctionCall& /*functionCall*/) {
        return false;
    }
    // The ProgID of the function's user interface; "" when it has none.
    virtual std::string GetActiveXProgId(IDTMContext& /*context*/,
                                         const IFunctionCall& /*functionCall*/) {
        return {};
    }
    // The documentation document of the function; "" when it cannot be built.
    virtual std::string GetDocumentation(IDTMContext& /*context*/,
                                         const IFunctionCall& /*functionCall*/) {
        return {};
    }
};

// Per-instance holder object that the DTM stores in the context.
class IStateObject {
  public:
    virtual ~IStateObject() = default;
    virtual void Init(IDTMContext& context) = 0;
    virtual void Terminate() = 0;
};

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
    virtual IEventLoop& Loop() = 0;
    // The function catalogue; nullptr before Init.
    virtual IPrivateFunctions* Functions() = 0;
    // The frame's events; nullptr without a frame.
    virtual IDTMEvents* DTMEvents() = 0;
    // Number formats of the user's locale (decimal separator of displayed values).
    virtual const NumberLocale& Locale() const = 0;

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
};

}  // namespace kv
