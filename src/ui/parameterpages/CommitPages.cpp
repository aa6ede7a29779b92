#include "ui/parameterpages/CommitPages.h"

#include <QPushButton>
#include <cctype>
#include <stdexcept>

#include "core/ConvStr.h"
#include "core/DeviceDefinition.h"
#include "core/DictionaryLookup.h"
#include "core/DtmElements.h"
#include "core/ProjectHelpers.h"
#include "core/clsDataElement.h"
#include "core/clsDataModel.h"
#include "platform/fdt/FdtFrameInterfaces.h"
#include "platform/runtime/IDTMEvents.h"
#include "platform/runtime/IDocuments.h"
#include "platform/runtime/IParameters.h"
#include "platform/runtime/IPrivateDataElement.h"
#include "platform/runtime/IPrompt.h"

namespace kv {

namespace {

IPrivateDataElement& Need(IDTMContext& context, const char* path) {
    IPrivateDataElement* e = context.Parameters().Item(path);
    if (e == nullptr)
        throw std::runtime_error(std::string("the data set has no element ") + path);
    return *e;
}

// Hexadecimal text of whole bytes: two hex digits per byte, at least one byte.
bool IsWholeHexBytes(const std::string& text) {
    if (text.empty() || text.size() % 2 != 0)
        return false;
    for (const char c : text) {
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return false;
    }
    return true;
}

}  // namespace

// --- CommitPage ---

CommitPage::CommitPage(const PageDesign& design, std::string button, std::string element,
                       QWidget* parent)
    : PageBase(design, parent), button_(std::move(button)), element_(std::move(element)) {}

QPushButton* CommitPage::CommitButton() const {
    return qobject_cast<QPushButton*>(Control(button_));
}

void CommitPage::ApplyButtonRule() {
    QPushButton* button = CommitButton();
    std::shared_ptr<IDTMContext> context = GetDtmContext();
    if (button == nullptr || !context)
        return;
    IPrivateDataElement* element = context->Parameters().Item(element_);
    const bool writable = element != nullptr && (element->StatusFlags() & sfWriteProtected) == 0;
    button->setEnabled(writable && editEnabled_);
}

void CommitPage::OnParameterChanged(IPrivateDataElement& element) {
    PageBase::OnParameterChanged(element);
    if (element.Name() == element_)
        ApplyButtonRule();
}

void CommitPage::OnParameterSetChanged() {
    PageBase::OnParameterSetChanged();
    ApplyButtonRule();
}

void CommitPage::EnableEdit(bool enabled) {
    PageBase::EnableEdit(enabled);
    editEnabled_ = enabled;
    ApplyButtonRule();
}

void CommitPage::OnButtonClick(const std::string& name) {
    if (name != button_ || !IsInitialised())
        return;
    // Pending input of the rows counts: it may change what is committed and whether it may be.
    const QPointer<CommitPage> self(this);
    ValidatePage();
    if (!self || !IsInitialised())
        return;
    QPushButton* button = CommitButton();
    if (button == nullptr || !button->isEnabled())
        return;
    // Input that the row refused would be lost, and the value before it committed.
    if (RefusesForRefusedInput(*GetDtmContext(), "error_at_commit_status", false))
        return;
    Commit();
}

// --- ChannelAssignPage ---

ChannelAssignPage::ChannelAssignPage(const PageDesign& design, QWidget* parent)
    : CommitPage(design, "cmdSave", kCfgDataPath, parent) {}

void ChannelAssignPage::Commit() {
    std::shared_ptr<IDTMContext> context = GetDtmContext();
    IPrivateDataElement& whole = Need(*context, kWholeStringPath);
    clsDataElement* part = AsDataElement(&Need(*context, kBusMasterConfigurationPartPath));
    if (part == nullptr)
        throw std::runtime_error("the bus master configuration part is no data element");
    // The whole set is checked before anything changes: a damaged one changes nothing, asks
    // nothing and is reported.
    const Variant& shown = whole.TransientValue();
    const std::string text = shown.isString() ? shown.str() : std::string();
    const Variant bytes = IsWholeHexBytes(text) ? HexStringToBytes(text) : Variant();
    const IDeviceDefinition* device = DeviceOf(*context);
    if (!bytes.isByteArray() || device == nullptr ||
        device->CheckSlaveBusParamSet(bytes.bytes().bytes)) {
        context->MessageBox(GetDictionaryText(*context, "meld_slave_param_set_invalid"), mbsOkOnly);
        return;
    }
    part->SetTransientValue(bytes);
    part->SetValueTypeLength(static_cast<int32_t>(bytes.bytes().bytes.size()));
    const QPointer<ChannelAssignPage> self(this);
    context->Parameters().ElementChanged(*part, "");
    if (!self || !IsInitialised())
        return;
    // Save ends with a status text, also when the set was taken over already: it replaces what
    // an earlier action said. The frame's save that the user may ask for next says its own.
    const clsDataElement& configuration = AsDataElement(Need(*context, kCfgDataPath));
    const Variant& number = configuration.TransientValue();
    const std::optional<int32_t> chosen = number.tryLong();
    context->DisplayMessage(GetDictionaryText(
        *context, "ctlChannelAssign_save_status",
        chosen ? Variant(configuration.GetStrValueFromIdxList(*chosen)) : number));
    if (context->MessageBox(GetDictionaryText(*context, "alert_SaveParameter"), mbsYesNoQuestion) !=
        mbaYes)
        return;
    if (IFdtContainer* container = context->Container())
        container->RequestSave(context->SystemTag());
}

// --- BusAddressPage ---

BusAddressPage::BusAddressPage(const PageDesign& design, QWidget* parent)
    : CommitPage(design, "cmdSet", kLocalAddressPath, parent) {}

bool BusAddressPage::HoldsUncommittedInput() {
    std::shared_ptr<IDTMContext> context = GetDtmContext();
    return context && !VariantsEqual(Need(*context, kLocalAddressPath).TransientValue(),
                                     Need(*context, kAddressPath).TransientValue());
}

bool BusAddressPage::QueryRelease() {
    if (!PageBase::QueryRelease())
        return false;
    if (HoldsUncommittedInput()) {
        std::shared_ptr<IDTMContext> context = GetDtmContext();
        context->Parameters().ElementChanged(Need(*context, kAddressPath), "");
    }
    return true;
}

void BusAddressPage::Commit() {
    std::shared_ptr<IDTMContext> context = GetDtmContext();
    IPrivateDataElement& local = Need(*context, kLocalAddressPath);
    IPrivateDataElement& address = Need(*context, kAddressPath);
    if (!VariantsEqual(local.TransientValue(), address.TransientValue())) {
        // The taken value is the one both hold as set (no longer shown as changed): the data
        // model copies the committed address back into the working copy, its persistent value
        // included.
        local.SetPersistentValue(local.TransientValue());
        address.SetPersistentValue(local.TransientValue());
        address.SetTransientValue(local.TransientValue());
        const QPointer<BusAddressPage> self(this);
        context->Parameters().ElementChanged(local, "");
        context->Parameters().ElementChanged(address, "");
        if (!self || !IsInitialised())
            return;
        // The frame takes the whole data set's parameter document with the new address.
        if (IDTMEvents* events = context->DTMEvents()) {
            events->ParametersChanged(context->SystemTag(),
                                      context->ParameterXMLConverter().GetParametersXml(
                                          *context, "", kParameterDocumentFlags));
        }
    }
    // Set ends with a status text, also when the address was set already: it replaces what an
    // earlier action said.
    context->DisplayMessage(
        GetDictionaryText(*context, "ctlAddress_set_status", address.TransientValue()));
}

}  // namespace kv
