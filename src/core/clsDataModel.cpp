// The data model's services for the runtime: model creation, language switch, change reports,
// the data-set state and the DTM's identity texts.

#include "core/clsDataModel.h"

#include <charconv>
#include <exception>
#include <memory>
#include <optional>
#include <pugixml.hpp>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/DataModelHelpers.h"
#include "core/DictionaryLookup.h"
#include "core/DtmElements.h"
#include "core/ProjectHelpers.h"
#include "core/StrFkt.h"
#include "core/clsDataElement.h"
#include "platform/os/VersionInfo.h"
#include "platform/runtime/ElementPath.h"
#include "platform/runtime/ICommunicationManager.h"
#include "platform/runtime/IDTMDictionary.h"
#include "platform/runtime/IDTMEvents.h"
#include "platform/runtime/IDocuments.h"
#include "platform/runtime/IGUIManager.h"
#include "platform/runtime/IOnlineParameterService.h"
#include "platform/runtime/IParameters.h"
#include "platform/runtime/IPrivateDataElement.h"
#include "platform/runtime/IPrivateDataModel.h"
#include "units/clsPROFIBUSProfil3Units.h"
#include "value/Date.h"
#include "value/DiagnosticLog.h"
#include "value/ScopedValue.h"

namespace kv {

namespace {

const char* const kDictionaryName = "DTMDictionary";

}  // namespace

clsDataModel::clsDataModel(const IDeviceDefinition* device)
    : m_Device(device), m_Units(std::make_unique<clsPROFIBUSProfil3Units>()) {}

clsDataModel::~clsDataModel() = default;

clsDataModel* AsDataModel(IPrivateDataModel* model) {
    return dynamic_cast<clsDataModel*>(model);
}

clsDataModel* DataModelOf(IDTMContext& context) {
    return AsDataModel(context.Parameters().DataModel());
}

const IDeviceDefinition* DeviceOf(IDTMContext& context) {
    const clsDataModel* model = DataModelOf(context);
    return model != nullptr ? model->Device() : nullptr;
}

clsPROFIBUSProfil3Units& clsDataModel::PROFIBUSProfil3Units() {
    return *m_Units;
}

void clsDataModel::CreateModel(IDTMContext& context) {
    IDTMDictionary& dictionary = context.Dictionary();
    if (!dictionary.HasDocument())
        dictionary.Load(context, kDictionaryName);
    m_Units = std::make_unique<clsPROFIBUSProfil3Units>();
    BuildDataModel(context);
    context.Parameters().SetDataSetState(dssCreated);
    context.CommunicationManager().SetTransferOption1(1);
    context.CommunicationManager().SetTransferOption2(2);
}

void clsDataModel::SetLanguage(IDTMContext& context, int32_t lcid) {
    const int32_t lang = MakeLcid(PrimaryLangId(lcid), 0, 0);
    if (CurrentLanguage != 0 && CurrentLanguage == lang)
        return;
    try {
        IDTMDictionary& dictionary = context.Dictionary();
        if (!dictionary.SetLanguage(lang, false)) {
            if (!dictionary.Load(context, kDictionaryName) || !dictionary.SetLanguage(lang, false))
                throw std::runtime_error("no dictionary for language " + std::to_string(lang));
        }
        LoadUnitTexts(context);
        ApplyDictionaryTexts(context);
    } catch (const std::exception& e) {
        context.Diagnostics().Record("clsDataModel::SetLanguage", e.what());
        context.DisplayMessage("Error setting LanguageId " + std::to_string(lcid));
        return;
    }
    CurrentLanguage = lang;
    const auto elements = context.Parameters().Elements();
    for (const auto& e : elements) {
        if ((e->ElementMode() & emDeviceCommand) == 0)
            UpdateElementAccess(AsDataElement(*e), context, true, m_Device);
    }
}

namespace {

using UnitTexts = std::vector<std::pair<int32_t, std::string>>;

// The unit texts of a units section: code and text. The first entry of a key wins, as in the
// dictionary's look-up; a key counts only in the form the code gives it ("unit_1001", no sign or
// leading zero).
UnitTexts ReadUnitTexts(pugi::xml_node units) {
    UnitTexts texts;
    constexpr int32_t kCodes = pp3MaxUnitIdx - pp3MinConstUnitIdx + 1;
    std::vector<bool> seen(kCodes, false);
    for (pugi::xml_node entry : units.children()) {
        const std::string_view key = entry.attribute("key").value();
        if (key.size() < 6 || key.compare(0, 5, "unit_") != 0 || key[5] == '0')
            continue;
        int32_t code = 0;
        const char* const last = key.data() + key.size();
        const std::from_chars_result read = std::from_chars(key.data() + 5, last, code);
        if (read.ec != std::errc() || read.ptr != last || code < pp3MinConstUnitIdx ||
            code > pp3MaxUnitIdx || seen[static_cast<size_t>(code - pp3MinConstUnitIdx)])
            continue;
        seen[static_cast<size_t>(code - pp3MinConstUnitIdx)] = true;
        if (const pugi::xml_attribute text = entry.attribute("text"))
            texts.emplace_back(code, text.value());
    }
    return texts;
}

}  // namespace

void clsDataModel::LoadUnitTexts(IDTMContext& context) {
    IDTMDictionary& dictionary = context.Dictionary();
    const pugi::xml_node units = dictionary.GetSection("units");
    if (!units)
        return;
    // A shared document's texts are read once; those of any other are read each time.
    const std::shared_ptr<const void> document = dictionary.DocumentOwner();
    auto read = [&] { return std::make_shared<const UnitTexts>(ReadUnitTexts(units)); };
    const std::shared_ptr<const UnitTexts> texts =
        document ? DocumentData<const UnitTexts>(document, read) : read();
    for (const auto& [code, text] : *texts)
        m_Units->PROFIBUSProfil3UnitString(code, text);
}

void clsDataModel::DataChanged(IPrivateDataElement& element, IDTMContext& context) {
    if (NestDepth == 0)
        KeepTagBeforeChanges(context);
    {
        // The depth comes back down also when a hook fails; the error then reaches the caller
        // and the state is not evaluated.
        const ScopedValue depth(NestDepth, NestDepth + 1);
        OnElementChanged(AsDataElement(element), context, NestDepth, m_Device);
    }
    // Changes that the hooks made meanwhile are evaluated once, by the outermost report; in a
    // bulk update or a device response, once at its end.
    if (NestDepth == 0) {
        if (m_DeferStateEvaluation > 0 || context.Parameters().BulkUpdateActive())
            m_StatePending = true;
        else
            EvaluateDataSetState(context);
    }
}

void clsDataModel::BulkUpdateEnded(IDTMContext& context) {
    if (m_StatePending && m_DeferStateEvaluation == 0 && NestDepth == 0)
        EvaluateDataSetState(context);
}

void clsDataModel::FollowChoice(IPrivateDataElement& element, IDTMContext& context) {
    DispatchParamLinkEvent(AsDataElement(element), context);
}

void clsDataModel::DataSetChanged(IDTMContext& context) {
    KeepTagBeforeChanges(context);
    {
        const ScopedValue validating(m_ProcessingCompleteValidation, true);
        const auto elements = context.Parameters().Elements();
        for (const auto& e : elements) {
            if ((e->ElementMode() & emDeviceCommand) == 0)
                OnElementChanged(AsDataElement(*e), context, 1, m_Device);
        }
    }
    EvaluateDataSetState(context);
}

void clsDataModel::EvaluateDataSetState(IDTMContext& context) {
    m_StatePending = false;
    IParameters& parameters = context.Parameters();
    int32_t errorState = dssValid;
    bool anyChanged = false;
    bool allDevice = true;
    bool allStored = true;
    bool noValues = true;
    bool someDevice = false;
    bool someStored = false;

    // The cycle interval is a setting of the main window that is saved with the instance; it
    // says nothing about the device's data.
    const IPrivateDataElement* const interval = parameters.Item(kCycleIntervalPath);
    for (const auto& e : parameters.Elements()) {
        if (e.get() == interval)
            continue;
        const clsDataElement& element = AsDataElement(*e);
        const std::string& name = element.Name();
        const bool isRecord = element.ValueType() == vtRecord;
        if (errorState == dssValid && (element.StatusFlags() & (sfInputErrorMask | sfNeeded)) != 0)
            errorState = dssInputErrors;

        if (name != kProtectedByChannelAssignmentPath && name != kWholeStringPath &&
            name != kDataStatusPath && !isRecord &&
            (element.CalcParamStatusFlags(context, element.TransientValue()) & sfChanged) != 0)
            anyChanged = true;

        if (name != kDataStatusPath && !isRecord && !IsRecordPath(name) &&
            (element.IsDownloadParam(context) || element.IsUploadParam(context))) {
            if (element.PersistentValue().isEmpty() && !element.DeviceValue().isEmpty()) {
                if (VariantsEqual(element.TransientValue(), element.DeviceValue()))
                    someDevice = true;
                else
                    allDevice = false;
            } else {
                allDevice = false;
            }
        }

        if ((element.ElementMode() & emCompareStored) != 0 && !IsRecordPath(name) &&
            name != kProtectedByChannelAssignmentPath) {
            if (VariantsEqual(element.TransientValue(), element.PersistentValue())) {
                if (!element.PersistentValue().isEmpty())
                    someStored = true;
            } else {
                allStored = false;
            }
        }

        if (!element.PersistentValue().isEmpty() || !element.DeviceValue().isEmpty())
            noValues = false;
    }

    uint8_t state;
    if (anyChanged)
        state = edsChanged;
    else if (allDevice)
        state = edsDevice;
    else if (allStored)
        state = edsDatabase;
    else if (noValues)
        state = edsInitial;
    else if (someDevice && !someStored)
        state = kDataStatusSomeDevice;
    else if (someStored && !someDevice)
        state = kDataStatusSomeStored;
    else
        state = edsIndefinite;

    if (IPrivateDataElement* status = parameters.Item(kDataStatusPath)) {
        // Written as a byte; an Empty value (never evaluated yet) counts as different.
        const Variant value(state);
        if (!(status->TransientValue() == value)) {
            status->SetTransientValue(value);
            context.GUIManager().ParameterChanged(*status, "");
        }
    }
    parameters.SetDataSetState(errorState);
    ReportTag(context);
}

void clsDataModel::KeepTagBeforeChanges(IDTMContext& context) {
    if (m_TagBefore)
        return;
    const IPrivateDataElement* tag = context.Parameters().Item(kTagPath);
    m_TagBefore = tag != nullptr ? tag->TransientValue() : Variant();
}

void clsDataModel::ReportTag(IDTMContext& context) {
    if (!m_TagBefore)
        return;
    const Variant before = std::move(*m_TagBefore);
    m_TagBefore.reset();
    const IPrivateDataElement* tag = context.Parameters().Item(kTagPath);
    if (tag == nullptr || VariantsEqual(tag->TransientValue(), before))
        return;
    // An upload sends the whole document at its end.
    if ((context.OnlineParameterService().OnlineMode() & omUpload) != 0)
        return;
    // The frame shows the instance's tag from its copy of the parameter document.
    if (IDTMEvents* events = context.DTMEvents()) {
        events->ParametersChanged(
            context.SystemTag(),
            context.ParameterXMLConverter().GetParametersXml(context, "", kParameterDocumentFlags));
    }
}

// --- identity, from the component's version information ---

std::string clsDataModel::DTMName() const {
    return os::ComponentVersion().title;
}

std::string clsDataModel::DTMVendor() const {
    return os::ComponentVersion().companyName;
}

std::string clsDataModel::DTMDescriptor() const {
    return os::ComponentVersion().fileDescription;
}

std::string clsDataModel::DTMVersion() const {
    // Major, minor and revision: the revision is the last part of the file version (1.0.0.10
    // gives 1.0.10).
    const auto& v = os::ComponentVersion().fileVersion;
    return std::to_string(v[0]) + "." + std::to_string(v[1]) + "." + std::to_string(v[3]);
}

double clsDataModel::DTMDate() const {
    // The version information is fixed for the process: its date is read once.
    static const std::optional<double> days = [] {
        const std::string& comments = os::ComponentVersion().comments;
        const int32_t pos = InStrRevLike(comments, "####-##-##", 0);
        return pos == 0 ? std::nullopt
                        : ParseIsoDate(comments.substr(static_cast<size_t>(pos - 1), 10));
    }();
    if (!days)
        throw VbError(VbErr::TypeMismatch, "the version information holds no date");
    return *days;
}

}  // namespace kv
