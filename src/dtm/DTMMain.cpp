#include "dtm/DTMMain.h"

#include <stdexcept>

#include "core/DictionaryLookup.h"
#include "core/DtmElements.h"
#include "core/clsDataModel.h"
#include "core/clsFunctionMan.h"
#include "devicemodel/DeviceModel.h"
#include "dtm/DTMState.h"
#include "platform/fdt/FdtFrameInterfaces.h"
#include "platform/os/ComponentFolder.h"
#include "platform/os/IEventLoop.h"
#include "platform/runtime/DeviceTypeInfo.h"
#include "platform/runtime/EntryGuard.h"
#include "platform/runtime/ICommObject.h"
#include "platform/runtime/ICommunicationManager.h"
#include "platform/runtime/IDTMEvents.h"
#include "platform/runtime/IDeviceTypeInfo.h"
#include "platform/runtime/IGUIManager.h"
#include "platform/runtime/IParameters.h"
#include "platform/runtime/IPrivateDataElement.h"
#include "platform/runtime/IPrivateProcess.h"
#include "platform/runtime/IPrompt.h"
#include "platform/runtime/IPropertyBag.h"
#include "platform/runtime/IStateObject.h"
#include "platform/runtime/IUserManager.h"
#include "platform/runtime/IXMLHelper.h"
#include "platform/runtime/TransactionGroup.h"

namespace kv {

namespace {}  // namespace

std::shared_ptr<DTMMain> DTMMain::Create(std::shared_ptr<IEventLoop> loop,
                                         std::shared_ptr<IPrompt> prompt) {
    std::shared_ptr<DTMMain> dtm(new DTMMain());
    dtm->Construct(std::move(loop), std::move(prompt));
    return dtm;
}

void DTMMain::Construct(std::shared_ptr<IEventLoop> loop, std::shared_ptr<IPrompt> prompt) {
    // The one place where the core meets the device model.
    m_DataModel = std::make_shared<clsDataModel>(DeviceModel());
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
    // Its reads (the start-up reads, the write-protection read before a download) show the
    // device: they leave the modified state and the project's values as they were.
    m_TransGroup = std::make_shared<TransactionGroup>(GroupReads::Shown);
}

DTMMain::~DTMMain() {
    if (!m_Context)
        return;
    // Nothing can be reported from the destruction but the diagnostic log.
    Guarded(Log(), "DTMMain: destruction", [&] {
        if (IStateObject* state = m_Context->StateObject())
            state->Terminate();
    });
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
    if (const std::optional<DeviceTypeCatalogEntry> entry = deviceType.FindInCatalog(Context())) {
        deviceType.SetCatalogValue1(entry->catalogValue1);
        deviceType.SetCatalogValue2(entry->catalogValue2);
        deviceType.SetCatalogValue3(entry->catalogValue3);
        deviceType.SetCatalogValue4(entry->catalogValue4);
    } else {
        ShowDeviceTypeNotSupported(deviceType);
    }
}

void DTMMain::SetDataStatusStored() {
    IPrivateDataElement* status = Context().Parameters().Item(kDataStatusPath);
    if (!status)
        throw std::runtime_error("the data set has no ~/DataStatus");
    status->SetTransientValue(Variant(uint8_t{edsDatabase}));
    Context().GUIManager().ParameterChanged(*status, "");
}

// --- persistence ---

bool DTMMain::ReadProperties(const IPropertyBag& bag) {
    return Guarded<bool>(Log(), "DTMMain::ReadProperties", false, [&]() -> bool {
        IDeviceTypeInfo* deviceType = Context().DeviceType();
        if (!deviceType || !deviceType->Load(bag))
            return false;
        m_DataModel->CreateModel(Context());
        if (!Context().ReadProperties(bag))
            return false;
        SetDataStatusStored();
        return true;
    });
}

bool DTMMain::WriteProperties(IPropertyBag& bag) {
    return Guarded<bool>(Log(), "DTMMain::WriteProperties", false, [&]() -> bool {
        Context().GUIManager().ValidateAll();
        return Context().WriteProperties(bag);
    });
}

void DTMMain::SaveCompleted() {
    Guarded(Log(), "DTMMain::SaveCompleted", [&] {
        const std::vector<std::shared_ptr<IPrivateDataElement>> stored = Context().SaveCompleted();
        // What was written is stored now; a change made after the write still shows. The rows
        // of the stored elements show them so (no longer changed); the state tells of itself.
        m_DataModel->EvaluateDataSetState(Context());
        const IPrivateDataElement* status = Context().Parameters().Item(kDataStatusPath);
        for (const auto& element : stored) {
            if (element.get() != status)
                Context().GUIManager().ParameterChanged(*element, "");
        }
    });
}

// --- IDtm: set-up ---

bool DTMMain::Environment(const std::string& systemTag, std::shared_ptr<IFdtContainer> container) {
    return Guarded<bool>(Log(), "DTMMain::Environment", false, [&]() -> bool {
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
    });
}

bool DTMMain::InitNew(const std::string& deviceType) {
    return Guarded<bool>(Log(), "DTMMain::InitNew", false, [&]() -> bool {
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
    });
}

bool DTMMain::Config(const std::string& userInfo) {
    return Guarded<bool>(Log(), "DTMMain::Config", false, [&]() -> bool {
        const bool ok = Context().UserManager().Config(userInfo, Context());
        // The functions of the instance may have changed with the user, accepted or not.
        if (IDTMEvents* events = Context().DTMEvents())
            events->OnFunctionChanged(Context().SystemTag());
        return ok;
    });
}

bool DTMMain::SetLanguage(int32_t languageId) {
    return Guarded<bool>(Log(), "DTMMain::SetLanguage", false, [&]() -> bool {
        IGUIManager& gui = Context().GUIManager();
        gui.SetLanguage(languageId);
        return gui.Language() == languageId;
    });
}

bool DTMMain::PrivateDialogEnabled(bool enabled) {
    // The flag is only kept; its loss changes nothing the frame could act on.
    Guarded(Log(), "DTMMain::PrivateDialogEnabled",
            [&] { Context().SetPrivateDialogEnabled(enabled); });
    return true;
}

bool DTMMain::PrepareToDelete() {
    return Guarded(Log(), "DTMMain::PrepareToDelete", false, [&] {
        if (Context().CommunicationManager().IsConnected() || Context().GUIManager().HasOpenGUIs())
            return false;
        Context().Parameters().SetDataSetState(dssReleased);
        return true;
    });
}

// --- IPrivateProcess ---

void DTMMain::OnProcessProgress(const std::string& /*processId*/, int32_t /*percent*/) {}

}  // namespace kv
