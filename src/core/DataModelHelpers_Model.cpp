// Filling the data set of one instance: the element factory, the model builder with the
// DTM-level elements, the slot and index rule and the dictionary texts of the elements.

#include <exception>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/ConvStr.h"
#include "core/DataModelHelpers.h"
#include "core/DictionaryLookup.h"
#include "core/DtmElements.h"
#include "core/clsDataModel.h"
#include "platform/runtime/EntryGuard.h"
#include "platform/runtime/IDTMDictionary.h"
#include "platform/runtime/IParameters.h"
#include "value/Text.h"
#include "value/ValueList.h"

namespace kv {

namespace {

// The slave parameter set of configuration 1: length field 41, then the fields of the set.
const char* const kDefaultSlaveParamSet =
    "0029"
    "00"
    "00"
    "000000000000000000000000"
    "000C"
    "00640A0B0B5E00000000"
    "0006"
    "82840805"
    "0002"
    "0005"
    "800000";

int16_t Add16(int16_t a, int32_t b) {
    const int32_t sum = int32_t{a} + b;
    if (sum < std::numeric_limits<int16_t>::min() || sum > std::numeric_limits<int16_t>::max())
        throw VbError(VbErr::Overflow, "slot or index out of range");
    return static_cast<int16_t>(sum);
}

enum { kLabel, kDescription, kHelp, kValueLists, kValueList, kIconList, kCmdErrList };

// The dictionary's entry for an element's key: the section that has it (the parameters first,
// then the manufacturer's parameters; none when neither has it), its texts, which of the first
// three hold references to expand, and its two value lists read.
struct KeyTexts {
    std::string key;
    pugi::xml_node section;
    std::vector<std::optional<SharedText>> texts;
    bool references[kHelp + 1] = {};
    std::optional<ValueList> valueList;
    std::optional<ValueList> cmdErrList;
};

// A text of the entry as the element keeps it: shared with the dictionary unless it holds
// references that had to be expanded.
SharedText ElementText(IDTMContext& context, pugi::xml_node keys, const KeyTexts& entry, int text) {
    const std::optional<SharedText>& found = entry.texts[static_cast<size_t>(text)];
    if (!found)
        return SharedText();
    if (!entry.references[text])
        return *found;
    return SharedText(ExpandTextReferences(found->str(), context, keys));
}

KeyTexts LookUpKeyTexts(const IDTMDictionary& dictionary, pugi::xml_node params,
                        pugi::xml_node manuSpec, const std::string& key) {
    KeyTexts found;
    found.key = key;
    if (dictionary.GetSectionEntry(params, key))
        found.section = params;
    else if (dictionary.GetSectionEntry(manuSpec, key))
        found.section = manuSpec;
    else
        return found;
    // The entry is looked up once for all of its texts.
    found.texts = dictionary.GetSharedTexts(
        found.section, key,
        {"label", "description", "help", "valueLists", "valueList", "iconList", "cmdErrList"});
    for (int text : {kLabel, kDescription, kHelp}) {
        const std::optional<SharedText>& t = found.texts[static_cast<size_t>(text)];
        found.references[text] = t && t->str().find("$(") != std::string::npos;
    }
    if (const auto& v = found.texts[kValueList])
        found.valueList = ValueList(*v);
    if (const auto& v = found.texts[kCmdErrList])
        found.cmdErrList = ValueList(*v);
    return found;
}

// The entries of a shared document for the elements' paths, looked up once for the process as
// the elements ask for them (a path gives its block and so its key); entries once added never
// change, so that a found one is read without the lock.
struct KeyTextsOfDocument {
    std::mutex mutex;
    std::unordered_map<std::string, KeyTexts> byPath;
};

}  // namespace

int32_t DefaultValueTypeLength(int32_t valueType) {
    switch (valueType) {
        case 2:
        case 10:
            return 1;
        case 3:
        case 5:
            return 2;
        case 4:
        case 6:
            return 3;
        case 7:
        case 8:
        case 16:
            return 4;
        case 9:
        case 11:
        case 12:
            return 8;
        case 13:
            return 17;
        case 14:
            return -1;
        default:
            return 0;
    }
}

clsDataElement& AddDataElement(IParameters& model, const std::string& path, const Variant& initial,
                               int32_t valueType, int32_t length, const std::string& before,
                               const std::string& after) {
    auto element = std::make_shared<clsDataElement>();
    element->SetName(path);
    element->InitialValue = initial;
    element->SetValueType(valueType);
    if (length < 0)
        length = DefaultValueTypeLength(valueType);
    element->SetValueTypeLength(length);
    if (valueType != vtOctetString) {
        element->RawByteOrder = false;
    } else {
        if (!initial.isEmpty() && !initial.isByteArray() && length >= 1) {
            element->InitialValue =
                ByteArray{std::vector<uint8_t>(static_cast<size_t>(length), initial.toByte()), 0};
        }
        element->RawByteOrder = true;
    }
    element->SetElementMode(144);
    element->RequiredUserLevel = 1;
    element->SetControlType(1);
    element->ValueFormat = SharedText();
    clsDataElement& result = *element;
    model.AddElement(std::move(element), before, after);
    return result;
}

namespace {

// The elements of a device's data set as its builders leave them, before its channels exist.
using ModelElements = std::vector<clsDataElement>;

// The elements every new data set of the device starts from: the builders depend on nothing but
// the device, so they run once for the process and each further data set copies their result.
struct BuiltModels {
    std::mutex mutex;
    std::unordered_map<const IDeviceDefinition*, std::shared_ptr<const ModelElements>> byDevice;
};

BuiltModels& Built() {
    static BuiltModels models;
    return models;
}

std::shared_ptr<const ModelElements> BuiltModelOf(const IDeviceDefinition* device) {
    BuiltModels& models = Built();
    const std::lock_guard<std::mutex> lock(models.mutex);
    auto it = models.byDevice.find(device);
    return it == models.byDevice.end() ? nullptr : it->second;
}

void KeepBuiltModel(const IDeviceDefinition* device, const IParameters& parameters) {
    auto elements = std::make_shared<ModelElements>();
    elements->reserve(parameters.Elements().size());
    for (const auto& e : parameters.Elements())
        elements->push_back(AsDataElement(*e));
    BuiltModels& models = Built();
    const std::lock_guard<std::mutex> lock(models.mutex);
    models.byDevice.emplace(device, std::move(elements));
}

// The DTM-level elements, then the blocks' elements, each with its slot and index.
void BuildElements(IDTMContext& context, const IDeviceDefinition* device) {
    IParameters& parameters = context.Parameters();

    AddDataElement(parameters, kTagPath, std::string(32, ' '), vtVisibleString, -1);

    clsDataElement& address =
        AddDataElement(parameters, kAddressPath, int16_t{126}, vtUnsigned8, 1);
    address.RequiredUserLevel = 2;
    address.SetRange(0, int16_t{0}, int16_t{126});
    address.SetElementMode(address.ElementMode() | 0x80000);

    clsDataElement& localAddress =
        AddDataElement(parameters, kLocalAddressPath, int16_t{126}, vtUnsigned8, 1);
    localAddress.RequiredUserLevel = 2;
    localAddress.SetRange(0, int16_t{0}, int16_t{126});

    const Variant paramSet = HexStringToBytes(kDefaultSlaveParamSet);
    clsDataElement& busMaster =
        AddDataElement(parameters, kBusMasterConfigurationPartPath, paramSet, vtOctetString,
                       static_cast<int32_t>(paramSet.bytes().bytes.size()));
    busMaster.RequiredUserLevel = 2;
    busMaster.SetElementMode(16);

    clsDataElement& dataStatus =
        AddDataElement(parameters, kDataStatusPath, Variant(), vtUnsigned8, 1);
    dataStatus.SetElementMode(0);
    dataStatus.SetStatusFlags(1);
    dataStatus.SetValidity(false);

    clsDataElement& cycle =
        AddDataElement(parameters, kCycleIntervalPath, int32_t{3000}, vtInteger32, 4);
    cycle.SetElementMode(16);

    clsDataElement& cfgData = AddDataElement(parameters, kCfgDataPath, int16_t{1}, vtUnsigned8, 1);
    cfgData.RequiredUserLevel = 3;
    cfgData.SetElementMode(16);
    cfgData.SetControlType(3);

    clsDataElement& wholeString = AddDataElement(
        parameters, kWholeStringPath, std::string(kDefaultSlaveParamSet), vtVisibleString, -1);
    wholeString.RequiredUserLevel = 3;
    wholeString.SetElementMode(16);
    wholeString.SetStatusFlags(1);

    clsDataElement& protectedBy =
        AddDataElement(parameters, kProtectedByChannelAssignmentPath, int16_t{0}, vtUnsigned8, 1);
    protectedBy.RequiredUserLevel = 3;
    protectedBy.SetElementMode(16);

    if (device != nullptr) {
        for (const BlockDefinition& block : device->Blocks()) {
            if (block.CreateBlockModel)
                block.CreateBlockModel(context, block.blockNumber);
        }
    }

    for (const auto& e : parameters.Elements()) {
        clsDataElement& element = AsDataElement(*e);
        AssignSlotAndIndex(element);
        element.SetStatusFlags(element.StatusFlags() & ~sfDynamic);
    }
}

}  // namespace

void BuildDataModel(IDTMContext& context) {
    IParameters& parameters = context.Parameters();
    parameters.Clear();
    const IDeviceDefinition* device = DeviceOf(context);
    if (const std::shared_ptr<const ModelElements> built = BuiltModelOf(device)) {
        // The copies share one allocation, which lives while any of them is held.
        const auto copies = std::make_shared<ModelElements>(*built);
        parameters.Reserve(copies->size());
        for (clsDataElement& element : *copies)
            parameters.AddElement(std::shared_ptr<clsDataElement>(copies, &element));
    } else {
        BuildElements(context, device);
        KeepBuiltModel(device, parameters);
    }
    if (device != nullptr)
        device->CreateChannels(context);
}

void AssignSlotAndIndex(clsDataElement& element) {
    switch (element.BlockType) {
        case pbfDeviceDirectory:
            element.Slot = 1;
            element.index = element.RelIndex;
            break;
        case pbfPhysicalBlock:
            element.index = Add16(element.RelIndex, 16);
            element.Slot = 0;
            break;
        case pbfTransducerBlock:
            element.index = Add16(element.RelIndex, 100);
            element.Slot = element.BlockNumber;
            break;
        case pbfFunctionAOBlock:
            element.index = Add16(element.RelIndex, 16);
            element.Slot = element.BlockNumber;
            break;
        default:
            break;
    }
}

void ApplyDictionaryTexts(IDTMContext& context) {
    IDTMDictionary& dictionary = context.Dictionary();
    IParameters& parameters = context.Parameters();
    const pugi::xml_node params = dictionary.GetSection("parameters");
    const pugi::xml_node manuSpec = dictionary.GetSection("parameters_manu_spec");
    const pugi::xml_node keys = dictionary.GetSection("keys");
    DiagnosticLog& log = context.Diagnostics();

    // The entries of a shared document are looked up once for the process.
    const std::shared_ptr<const void> document = dictionary.DocumentOwner();
    const std::shared_ptr<KeyTextsOfDocument> known =
        document ? DocumentData<KeyTextsOfDocument>(
                       document, [] { return std::make_shared<KeyTextsOfDocument>(); })
                 : nullptr;

    // The dictionary's key of an element: its path with its block's number given as "i". The
    // block's part of it is made again only where it changes.
    std::string blockPart;
    int16_t blockPartOf = -1;
    auto entryOf = [&](const clsDataElement& element) {
        std::string key = element.Name();
        if (element.BlockType != pbfPhysicalBlock) {
            if (blockPart.empty() || element.BlockNumber != blockPartOf) {
                blockPart = "/" + std::to_string(element.BlockNumber) + "/";
                blockPartOf = element.BlockNumber;
            }
            ReplaceAll(key, blockPart, "/i/");
        }
        return LookUpKeyTexts(dictionary, params, manuSpec, key);
    };
    KeyTexts own;
    for (const auto& e : parameters.Elements()) {
        clsDataElement& element = AsDataElement(*e);

        const KeyTexts* entry = &own;
        if (known) {
            const std::lock_guard<std::mutex> lock(known->mutex);
            auto it = known->byPath.find(element.Name());
            if (it == known->byPath.end())
                it = known->byPath.emplace(element.Name(), entryOf(element)).first;
            entry = &it->second;
        } else {
            own = entryOf(element);
        }
        if (!entry->section)
            continue;
        const std::string& key = entry->key;
        const pugi::xml_node section = entry->section;
        const std::vector<std::optional<SharedText>>& texts = entry->texts;

        // An entry without one of the three texts leaves that text empty; the other elements
        // still get theirs.
        element.Label = ElementText(context, keys, *entry, kLabel);
        element.Description = ElementText(context, keys, *entry, kDescription);
        element.Help = ElementText(context, keys, *entry, kHelp);

        // Each of the following is taken when present; a failure skips only that one.
        const char* const where = "ApplyDictionaryTexts";
        Guarded(log, where, [&] {
            if (const auto& v = texts[kValueLists])
                element.ValueLists = *v;
        });
        Guarded(log, where, [&] {
            if (entry->valueList)
                element.ValueList = *entry->valueList;
            element.ReplaceValueListEntries();
        });
        Guarded(log, where, [&] {
            if (const auto& v = texts[kIconList])
                element.IconList = *v;
        });
        Guarded(log, where, [&] {
            if (entry->cmdErrList)
                element.CmdErrList = *entry->cmdErrList;
        });

        if (parameters.DataSetState() == dssCreated) {
            // The default is written as text; the element keeps it as a value of its own type
            // (bytes for an octet string, a number for a numeric type). A default that does not
            // convert leaves the initial value as it was.
            Guarded(log, where, [&] {
                Variant def = dictionary.GetText(section, key, "default");
                if (def.isString()) {
                    Variant typed = element.GetTypedValue(def, NumberLocale::Invariant());
                    if (!typed.isNull())
                        element.InitialValue = typed;
                }
            });
            element.SetTransientValue(element.InitialValue);
            // The new value is in the element's initial unit (its constant unit where it has one).
            element.InitUnits();
        }
    }
}

}  // namespace kv
