#include "core/DTMMain.h"

#include <stdexcept>

#include "core/DTMState.h"
#include "core/DictionaryLookup.h"
#include "core/clsDataModel.h"
#include "core/clsFunctionMan.h"
#include "platform/os/ComponentFolder.h"
#include "platform/runtime/DeviceTypeInfo.h"
#include "platform/runtime/TransactionGroup.h"

namespace kv {

namespace {

const char* const kDataStatus = "~/DataStatus";

}  // namespace

std::shared_ptr<DTMMain> DTMMain::Create(std::shared_ptr<IEventLoop> loop,
                                         std::shared_ptr<IPrompt> prompt) {
    std::shared_ptr<DTMMain> dtm(new DTMMain());
    dtm->Construct(std::move(loop), std::move(prompt));
    return dtm;
}

void DTMMain::Construct(std::shared_ptr<IEventLoop> loop, std::shared_ptr<IPrompt> prompt) {
    m_DataModel = std::make_shared<clsDataModel>();
    m_FunctionMan = std::make_shared<clsFunctionMan>();
    m_Context = std::make_shared<kv::DTMContext>(std::move(loop));
    if (prompt)
        m_Context->SetPrompt(std::move(prompt));
    // The context keeps the DTM object weakly: it never keeps its owner alive. It builds the
    // runtime's communication manager, whose communication object reports to this object.
    m_Context->Init(std::weak_ptr<IPrivateProcess>(shared_from_this()), m_DataModel, nullptr,
                    m_FunctionMan);
    m_CommObj = m_Context->CommunicationManager().CommObject();
    if (m_CommObj)
        m_CommObj->SetEvents(std::weak_ptr<ICommObjectEvents>(shared_from_this()));
    m_Context->XMLHelper().SetXMLDataPath(os::XmlDataFolder());
    auto state = std::make_shared<DTMState>();
    m_Context->SetStateObject(state);
    state->Init(*m_Context);
    // Every connection checks the device's identity; a busy device gets a job repeated at
    // most 10 times.
    if (m_CommObj) {
        m_CommObj->SetOptionFlag(true);
        m_CommObj->SetOptionCount(10);
    }
    // The object's own transaction group; it is bound to the context with the communication.
    m_TransGroup = std::make_shared<TransactionGroup>();
}

DTMMain::~DTMMain() {
    if (!m_Context)
        return;
    try {
        if (IStateObject* state = m_Context->StateObject())
            state->Terminate();
    } catch (...) {
        // Nothing can be reported from the destruction.
    }
}

DTMState* DTMMain::State() const {
    return m_Context ? dynamic_cast<DTMState*>(m_Context->StateObject()) : nullptr;
}

void DTMMain::ShowDeviceTypeNotSupported(const IDeviceTypeInfo& deviceType) {
    Context().DisplayMessage(GetDictionaryText(Context(), "devtype_not_supported",
                                               deviceType.IdentValue1(), deviceType.IdentValue2(),
                                               deviceType.IdentValue3()));
}

void DTMMain::TakeCatalogValues(IDeviceTypeInfo& deviceType) {
    DeviceTypeCatalogEntry entry;
    if (deviceType.FindInCatalog(Context(), entry)) {
        deviceType.SetCatalogValue1(entry.catalogValue1);
        deviceType.SetCatalogValue2(entry.catalogValue2);
        deviceType.SetCatalogValue3(entry.catalogValue3);
        deviceType.SetCatalogValue4(entry.catalogValue4);
    } else {
        ShowDeviceTypeNotSupported(deviceType);
    }
}

void DTMMain::SetDataStatusStored() {
    IPrivateDataElement* status = Context().Parameters().Item(kDataStatus);
    if (!status)
        throw std::runtime_error("the data set has no ~/DataStatus");
    status->SetTransientValue(Variant(uint8_t{1}));
    Context().GUIManager().ParameterChanged(*status, "");
}

// --- persistence ---

bool DTMMain::ReadProperties(const IPropertyBag& bag) {
    try {
        IDeviceTypeInfo* deviceType = Context().DeviceType();
        if (!deviceType || !deviceType->Load(bag))
            return false;
        m_DataModel->CreateModel(Context());
        if (!Context().ReadProperties(bag))
            return false;
        SetDataStatusStored();
        return true;
    } catch (...) {
        return false;
    }
}

bool DTMMain::WriteProperties(IPropertyBag& bag) {
    try {
        Context().GUIManager().ValidateAll();
        if (!Context().WriteProperties(bag))
            return false;
        SetDataStatusStored();
        return true;
    } catch (...) {
        return false;
    }
}

// --- IDtm: set-up ---

bool DTMMain::Environment(const std::string& systemTag, std::shared_ptr<IFdtContainer> container) {
    try {
        if (systemTag.empty() || !container || container->Events() == nullptr)
            return false;
        Context().SetSystemTag(systemTag);
        Context().SetContainer(container);
        IDeviceTypeInfo* deviceType = Context().DeviceType();
        // An instance that was never set up has no identity to look up.
        if (deviceType && !deviceType->IdentValue1().isEmpty() &&
            !deviceType->IdentValue2().isEmpty())
            TakeCatalogValues(*deviceType);
        return true;
    } catch (...) {
        return false;
    }
}

bool DTMMain::InitNew(const std::string& deviceType) {
    try {
        DeviceTypeInfo selected;
        if (!selected.SelectDeviceType(deviceType, Context()))
            return false;
        IDeviceTypeInfo* current = Context().DeviceType();
        if (!current || !current->InitNew())
            return false;
        m_DataModel->CreateModel(Context());
        TakeCatalogValues(selected);
        Context().SetDeviceType(selected);
        DTMState* state = State();
        if (!state || !state->Archive())
            return false;
        state->Archive()->SetCheckCurveEnabled(-1);
        return true;
    } catch (...) {
        return false;
    }
}

bool DTMMain::Config(const std::string& userInfo) {
    try {
        const bool ok = Context().UserManager().Config(userInfo, Context());
        // The functions of the instance may have changed with the user, accepted or not.
        if (IDTMEvents* events = Context().DTMEvents())
            events->OnFunctionChanged(Context().SystemTag());
        return ok;
    } catch (...) {
        return false;
    }
}

bool DTMMain::SetLanguage(int32_t languageId) {
    try {
        IGUIManager& gui = Context().GUIManager();
        gui.SetLanguage(languageId);
        return gui.Language() == languageId;
    } catch (...) {
        return false;
    }
}

bool DTMMain::PrivateDialogEnabled(bool enabled) {
    try {
        Context().SetPrivateDialogEnabled(enabled);
    } catch (...) {
        // The flag is only kept; its loss changes nothing the frame could act on.
    }
    return true;
}

bool DTMMain::PrepareToDelete() {
    try {
        if (Context().CommunicationManager().IsConnected() || Context().GUIManager().HasOpenGUIs())
            return false;
        Context().Parameters().SetDataSetState(4);
        return true;
    } catch (...) {
        return false;
    }
}

// --- IPrivateProcess ---

void DTMMain::OnProcessProgress(const std::string& /*processId*/, int32_t /*percent*/) {}

}  // namespace kv
