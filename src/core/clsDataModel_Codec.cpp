// The DP-V1 value codec of the data model: data elements to read and write requests addressed by
// slot and index, and responses back to device values and status bits.

#include <algorithm>
#include <bit>
#include <cstdlib>

#include "core/ConvStr.h"
#include "core/DataModelHelpers.h"
#include "core/DtmElements.h"
#include "core/clsDataElement.h"
#include "core/clsDataModel.h"
#include "platform/runtime/ByteBuffer.h"
#include "platform/runtime/ElementPath.h"
#include "platform/runtime/EntryGuard.h"
#include "platform/runtime/ICommunicationManager.h"
#include "platform/runtime/IOnlineParameterService.h"
#include "platform/runtime/IParameters.h"
#include "platform/runtime/IPrivateDataElement.h"
#include "platform/runtime/ITransaction.h"
#include "value/DiagnosticLog.h"
#include "value/NumberText.h"
#include "value/ScopedValue.h"
#include "value/Text.h"

namespace kv {

namespace {

constexpr int32_t kDecodeErrorClass = 0x500000;
constexpr int32_t kBusyClass = 0x200000;
constexpr int32_t kMaxRetries = 6;
constexpr int32_t kDpv1ClassAndNeeded = sfDpv1ErrorMask | sfNeeded;
// The input error of a number held in another unit than its scale's.
constexpr int32_t kNotInUnitOfScale = 0x3000;

// True when the job is addressed to the element's slot and index.
bool SameAddress(const ITransaction& transaction, const clsDataElement& element) {
    const Variant& slot = transaction.Slot();
    const Variant& index = transaction.Index();
    if (!slot.isNumber() || !index.isNumber()) {
        return false;
    }
    const std::optional<int32_t> slotNumber = slot.tryLong();
    if (!slotNumber || *slotNumber != element.Slot) {
        return false;
    }
    const std::optional<int32_t> indexNumber = index.tryLong();
    return indexNumber && *indexNumber == element.index;
}

bool HasEncoder(int32_t valueType) {
    return (valueType >= vtOctetString && valueType <= vtFloat) || valueType == vtByte ||
           valueType == vtDateTime || valueType == vtVisibleString || valueType == vtUnsigned32;
}

bool HasDecoder(int32_t valueType) {
    return HasEncoder(valueType) || valueType == vtType12;
}

// Mode of a visible string: plain (1) or packed (0).
int32_t StringMode(const clsDataElement& element) {
    return element.bPackedCoding ? 0 : 1;
}

// Error class bits of a DP-V1 error code.
int32_t ErrorClassOf(int32_t code) {
    switch (code) {
        case 0x00:
            return 0;
        case 0xA0:  // read error
        case 0xA1:  // write error
        case 0xA2:  // module failure
        case 0xA8:  // version conflict
        case 0xA9:  // feature not supported
            return 0x900000;
        case 0xB0:  // invalid index
        case 0xB2:  // invalid slot
            return 0x800000;
        case 0xB1:  // write length error
        case 0xB3:  // type conflict
            return 0x500000;
        case 0xB4:  // invalid area
        case 0xB7:  // invalid range
        case 0xB8:  // invalid parameter
        case 0xB9:  // invalid type
            return 0x400000;
        case 0xB5:  // state conflict
        case 0xC2:  // resource busy
            return kBusyClass;
        case 0xB6:  // access denied
            return 0x300000;
        case 0xC0:  // read constraint conflict
        case 0xC1:  // write constraint conflict
            return 0x600000;
        case 0xC3:  // resource unavailable
            return 0xA00000;
        default:
            return 0xF00000;
    }
}

// True when the read of `read` only shows the device's value of the element, and does not take
// it: a read of GroupReads::Shown of a value that a download writes.
bool ShowsOnly(IDTMContext& context, const clsDataElement& element, const clsDataElement& read) {
    return DownloadWrites(element, read) && context.CommunicationManager().ReadingDeviceOnly();
}

// The text of a DP-V1 error code of the element's transfer: the element's own, else the general
// one of "~/Tag".
SharedText CommandErrorText(IDTMContext& context, const clsDataElement& element, int32_t code) {
    SharedText text(element.GetStrCommandErrorFromIndex(code));
    if (text.empty()) {
        if (const clsDataElement* tag = AsDataElement(context.Parameters().Item(kTagPath)))
            text = SharedText(tag->GetStrCommandErrorFromIndex(code));
    }
    return text;
}

// A unit code as a unit element's value holds it; none for no value or no 16-bit number.
std::optional<int16_t> UnitCode(const Variant& value) {
    return value.isEmpty() ? std::nullopt : value.tryInteger();
}

// The element whose value is the unit of the element's values; nullptr when its unit is its own.
clsDataElement* UnitElementOf(IDTMContext& context, const clsDataElement& element) {
    const IDeviceDefinition* device = DeviceOf(context);
    return device != nullptr ? device->UnitElementOf(context.Parameters(), element) : nullptr;
}

// True unless the element is a number in another unit than the one its unit element holds, in
// which a write of the element's scale writes the numbers that follow it.
bool InUnitOfScale(IDTMContext& context, const clsDataElement& element) {
    const clsDataElement* unitElement = UnitElementOf(context, element);
    if (unitElement == nullptr || !element.TransientValue().isNumber())
        return true;
    const std::optional<int16_t> unit = UnitCode(unitElement->TransientValue());
    return !unit || *unit == element.nTransientUnit;
}

// The elements that share a record's data block: the record's own element when it has a value
// on the wire, then its members in the data set's order.
std::vector<clsDataElement*> RecordParts(IParameters& parameters, clsDataElement& record,
                                         bool withOwnValue) {
    std::vector<clsDataElement*> parts;
    if (withOwnValue) {
        parts.push_back(&record);
    }
    for (IPrivateDataElement* member : parameters.RecordMembers(record.Name())) {
        clsDataElement* e = AsDataElement(member);
        if (e == nullptr) {
            throw std::logic_error("the record member '" + member->Name() + "' is no data element");
        }
        parts.push_back(e);
    }
    return parts;
}

// The elements one transfer of the element carries: itself, or a record's own value (when it
// has one on the wire in that direction) and its members.
std::vector<clsDataElement*> TransferParts(IParameters& parameters, clsDataElement& element,
                                           bool isWrite) {
    if (!IsRecordPath(element.Name()))
        return {&element};
    const bool ownValue =
        (isWrite ? HasEncoder(element.ValueType()) : HasDecoder(element.ValueType())) &&
        element.DataPosition >= 0;
    return RecordParts(parameters, element, ownValue);
}

}  // namespace

bool clsDataModel::BuildTransactionRequest(IDTMContext& context, ITransaction& transaction,
                                           bool isWrite, IPrivateDataElement& element) {
    clsDataElement* e = AsDataElement(&element);
    if (e == nullptr) {
        return false;
    }
    if (e->Slot < 0 || e->Slot > 255 || e->index < 0 || e->index > 255) {
        return false;
    }
    transaction.SetSlot(Variant(static_cast<uint8_t>(e->Slot)));
    transaction.SetIndex(Variant(static_cast<uint8_t>(e->index)));
    if (!isWrite) {
        return true;
    }
    try {
        return BuildWriteRequest(context, transaction, *e);
    } catch (const std::exception& error) {
        // A value that does not fit its type or its place: the job is not sent.
        context.Diagnostics().Record("clsDataModel::BuildTransactionRequest", error.what());
        return false;
    }
}

bool clsDataModel::BuildWriteRequest(IDTMContext& context, ITransaction& transaction,
                                     clsDataElement& element) {
    IParameters& parameters = context.Parameters();
    ByteBuffer buffer;
    for (clsDataElement* part : TransferParts(parameters, element, true)) {
        // A value that its element refuses as input is not sent: the element carries the input
        // error on its row, as typed input does. Nor is a number held in another unit than the
        // one its scale is written in (a value of the device's in a unit that does not convert
        // into the project's). The refusal is why this write fails: the error of an earlier
        // transfer no longer stands for the element or its record.
        int32_t errors = part->CalcParamErrorFlags(context, part->TransientValue());
        const bool inScaleUnit = InUnitOfScale(context, *part);
        if (errors == 0 && !inScaleUnit)
            errors = kNotInUnitOfScale;
        if (errors != 0) {
            DiagnosticLog& log = context.Diagnostics();
            log.Record("clsDataModel::BuildWriteRequest",
                       "the value of '" + part->Name() + "' is refused as input" +
                           (inScaleUnit ? "" : ": it is not in the unit of its scale"));
            const KeepModifiedState kept(parameters);
            constexpr int32_t kTransferErrors = sfCommErrorMask | sfDpv1ErrorMask;
            element.SetStatusFlags(element.StatusFlags() & ~kTransferErrors);
            part->SetStatusFlags((part->StatusFlags() & ~(sfInputErrorMask | kTransferErrors)) |
                                 errors);
            Guarded(log, "clsDataModel::BuildWriteRequest",
                    [&] { parameters.ElementChanged(*part, ""); });
            return false;
        }
        if (!EncodeValue(buffer, transaction, *part, true)) {
            // Sending the request with a hole where this value belongs would write garbage.
            throw std::runtime_error("the value of '" + part->Name() + "' has no wire form");
        }
    }
    transaction.SetData(buffer.Data());
    return true;
}

bool clsDataModel::EncodeValue(IByteBuffer& buffer, ITransaction& transaction,
                               clsDataElement& element, bool isWrite) {
    if (!SameAddress(transaction, element) || !isWrite || element.DataPosition < 0) {
        return true;
    }
    buffer.Seek(element.DataPosition);
    const Variant& value = element.TransientValue();
    const bool order = element.RawByteOrder;
    switch (element.ValueType()) {
        case vtOctetString: {
            if (!value.isByteArray()) {
                throw VbError(VbErr::TypeMismatch,
                              "the value of '" + element.Name() + "' is no byte array");
            }
            if (order) {
                buffer.WriteBytes(value.bytes(), element.ValueTypeLength());
                break;
            }
            // Padded with zeros at its end before the bytes are reversed, so that the read, which
            // reverses the whole place, gives the value back at the same positions.
            ByteArray padded = value.bytes();
            if (static_cast<int32_t>(padded.bytes.size()) < element.ValueTypeLength())
                padded.bytes.resize(static_cast<size_t>(element.ValueTypeLength()), 0);
            buffer.WriteBytes(ReverseBytes(Variant(padded)).bytes(), element.ValueTypeLength());
            break;
        }
        case vtUnsigned8: {
            int32_t v = value.toByte();
            const uint8_t mask = element.AccessMask;
            if (mask == 0xFF) {
                buffer.WriteByte(static_cast<uint8_t>(v));
                break;
            }
            if (mask != 0) {
                v <<= std::countr_zero(mask);
            }
            // A value wider than its bit field would be cut silently: reject it like an
            // overflow of the byte.
            if (v > 0xFF || (v & ~mask) != 0) {
                throw VbError(VbErr::Overflow,
                              "the value of '" + element.Name() + "' does not fit its bits");
            }
            if (buffer.Position() >= buffer.Length()) {
                buffer.WriteByte(static_cast<uint8_t>(v & mask));
            } else {
                const uint8_t old = buffer.ReadByte();
                buffer.Seek(buffer.Position() - 1);
                buffer.WriteByte(static_cast<uint8_t>((old & ~mask) | (mask & v)));
            }
            break;
        }
        case vtUnsigned16:
            buffer.WriteUInt16(value.toLong(), order);
            break;
        case vtUnsigned24:
            buffer.WriteUInt24(value.toLong(), order);
            break;
        case vtInteger16:
            buffer.WriteInt16(value.toInteger(), order);
            break;
        case vtInteger24:
            buffer.WriteInt24(value.toLong());
            break;
        case vtInteger32:
            buffer.WriteInt32(value.toLong(), order);
            break;
        case vtFloat:
            buffer.WriteFloat(value.toSingle());
            break;
        case vtByte:
            buffer.WriteByte(value.toByte());
            break;
        case vtDateTime:
            buffer.WriteDate(value.toDate(), 1);
            break;
        case vtVisibleString:
            buffer.WriteString(value.toString(), element.StringWireLength(), StringMode(element));
            break;
        case vtUnsigned32:
            buffer.WriteUInt32(value.toDouble(), order);
            break;
        default:
            return false;
    }
    return true;
}

bool clsDataModel::ReadTransactionResponse(IDTMContext& context, ITransaction& transaction,
                                           bool isWrite, IPrivateDataElement& element) {
    try {
        clsDataElement* e = AsDataElement(&element);
        if (e == nullptr || !SameAddress(transaction, *e)) {
            return false;
        }
        ResponseOutcome outcome;
        {
            // The elements of one response change together: the data-set state is evaluated
            // once, after the last of them (not after a failure, like any change).
            const ScopedValue defer(m_DeferStateEvaluation, m_DeferStateEvaluation + 1);
            outcome = ReadResponse(context, transaction, *e, isWrite);
        }
        if (m_StatePending && m_DeferStateEvaluation == 0 && NestDepth == 0 &&
            !context.Parameters().BulkUpdateActive())
            EvaluateDataSetState(context);
        if (outcome.retry) {
            context.CommunicationManager().RepeatTransaction(transaction, element);
        } else if ((e->ElementMode() & emUpload) != 0 && isWrite && outcome.writeConfirmed) {
            context.CommunicationManager().AddReadBack(element, 0, true, 0);
        }
        // Data that do not decode fail the job, as an error of the device does.
        return !outcome.undecodable;
    } catch (const std::exception& error) {
        // The job fails; why is kept for the diagnostics.
        context.Diagnostics().Record("clsDataModel::ReadTransactionResponse", error.what());
        return false;
    }
}

clsDataModel::ResponseOutcome clsDataModel::ReadResponse(IDTMContext& context,
                                                         ITransaction& transaction,
                                                         clsDataElement& element, bool isWrite) {
    ResponseOutcome outcome = EvaluateDpv1Error(context, transaction, element, isWrite);
    const int32_t errorClass = outcome.errorClass;
    const std::vector<clsDataElement*> parts =
        TransferParts(context.Parameters(), element, isWrite);
    if (isWrite) {
        for (clsDataElement* part : parts) {
            part->CmdErr = element.CmdErr;
            part->SetWriteRefusal(errorClass != 0 ? outcome.errorCode : 0);
            // Only a write that the device accepted leaves nothing pending.
            if (errorClass == 0)
                part->ClearStatusFlag(sfEditedOnline);
            EndResponse(context, *part, errorClass);
        }
        return outcome;
    }
    // A read is taken whole or not at all: the data must hold every part's bytes and nothing
    // beyond them. Otherwise the response is not this element's data as the model knows it (cut
    // short, or laid out otherwise): every part keeps its values and carries the decode error.
    ByteBuffer buffer;
    buffer.SetData(transaction.Data());
    std::vector<DecodedValue> decoded;
    decoded.reserve(parts.size());
    bool whole = true;
    int32_t end = 0;
    for (clsDataElement* part : parts) {
        decoded.push_back(DecodeValue(buffer, transaction, *part));
        whole = whole && decoded.back().decoded;
        end = std::max(end, decoded.back().end);
    }
    whole = whole && end == buffer.Length();
    outcome.undecodable = !whole && errorClass == 0;
    const int32_t classBits = outcome.undecodable ? kDecodeErrorClass : errorClass;
    if (whole) {
        // Every part's device value first, then what the project takes of each: a part's unit
        // element may be one of them, and its unit comes before the values that follow it.
        std::vector<clsDataElement*> units(parts.size(), nullptr);
        for (size_t i = 0; i < parts.size(); ++i) {
            if (decoded[i].keep)
                continue;
            TakeDeviceValue(context, *parts[i], element, decoded[i].value);
            units[i] = UnitElementOf(context, *parts[i]);
        }
        for (const bool followers : {false, true}) {
            for (size_t i = 0; i < parts.size(); ++i) {
                if (!decoded[i].keep && (units[i] != nullptr) == followers)
                    TakeIntoProject(context, *parts[i], element, units[i]);
            }
        }
    }
    for (size_t i = 0; i < parts.size(); ++i) {
        clsDataElement& part = *parts[i];
        // A read that only shows the device does not take the value its last write was refused
        // for: the element keeps the refusal and its text.
        if (classBits == 0 && part.WriteRefusal() != 0 && ShowsOnly(context, part, element)) {
            part.CmdErr = CommandErrorText(context, element, part.WriteRefusal());
            EndResponse(context, part, ErrorClassOf(part.WriteRefusal()));
            continue;
        }
        if (&part != &element)
            part.CmdErr = element.CmdErr;
        EndResponse(context, part, classBits);
    }
    return outcome;
}

void clsDataModel::EndResponse(IDTMContext& context, clsDataElement& element, int32_t classBits) {
    element.SetStatusFlags((element.StatusFlags() & ~kDpv1ClassAndNeeded) | classBits);
    context.Parameters().ElementChanged(element, "");
}

clsDataModel::ResponseOutcome clsDataModel::EvaluateDpv1Error(IDTMContext& context,
                                                              ITransaction& transaction,
                                                              clsDataElement& element,
                                                              bool isWrite) {
    ResponseOutcome outcome;
    int32_t& errorClass = outcome.errorClass;
    const ByteArray& info = transaction.ErrorInfo();
    if (1 >= info.lbound && 1 <= info.ubound()) {
        const int32_t code = info.bytes[static_cast<size_t>(1 - info.lbound)];
        errorClass = ErrorClassOf(code);
        if (errorClass == kBusyClass) {
            if (RetryCounter < kMaxRetries) {
                ++RetryCounter;
                outcome.retry = true;
            } else {
                RetryCounter = 0;
            }
        }
        if ((errorClass & kBusyClass) == 0) {
            RetryCounter = 0;
        }
        outcome.errorCode = code;
        element.CmdErr = errorClass != 0 ? CommandErrorText(context, element, code) : SharedText();
    }
    if (isWrite && (element.ElementMode() & emUpload) != 0) {
        const std::string hex = BytesToHexString(Variant(info));
        outcome.writeConfirmed =
            hex.empty() || (hex.size() <= 6 && std::strtol(hex.c_str(), nullptr, 16) == 0);
    }
    return outcome;
}

clsDataModel::DecodedValue clsDataModel::DecodeValue(IByteBuffer& buffer,
                                                     const ITransaction& transaction,
                                                     const clsDataElement& element) {
    DecodedValue out;
    if (!SameAddress(transaction, element)) {
        out.decoded = true;
        out.keep = true;
        return out;
    }
    if (element.DataPosition < 0) {
        return out;
    }
    const bool order = element.RawByteOrder;
    try {
        buffer.Seek(element.DataPosition);
        switch (element.ValueType()) {
            case vtOctetString: {
                Variant bytes(buffer.ReadBytes(element.ValueTypeLength()));
                out.value = order ? bytes : ReverseBytes(bytes);
                break;
            }
            case vtUnsigned8: {
                uint8_t b = buffer.ReadByte();
                const uint8_t mask = element.AccessMask;
                if (mask < 0xFF) {
                    b &= mask;
                }
                if (mask != 0) {
                    b = static_cast<uint8_t>(b >> std::countr_zero(mask));
                }
                out.value = Variant(b);
                break;
            }
            case vtUnsigned16:
                out.value = Variant(buffer.ReadUInt16(order));
                break;
            case vtUnsigned24:
                out.value = Variant(buffer.ReadUInt24(order));
                break;
            case vtInteger16:
                out.value = Variant(buffer.ReadInt16(order));
                break;
            case vtInteger24:
                out.value = Variant(buffer.ReadInt24());
                break;
            case vtInteger32:
                out.value = Variant(buffer.ReadInt32(order));
                break;
            case vtFloat:
                if (!IsValidFloatData(buffer)) {
                    // The device has no valid value: every value of the element stays as it
                    // was; the response as such was fine.
                    out.keep = true;
                    buffer.Seek(buffer.Position() + 4);
                    break;
                }
                out.value = Variant(buffer.ReadFloat());
                break;
            case vtByte:
                out.value = Variant(buffer.ReadByte());
                break;
            case vtDateTime:
            case vtType12:
                out.value = Variant::FromDate(buffer.ReadDate(1));
                break;
            case vtVisibleString: {
                std::string text(
                    TrimRight(buffer.ReadString(element.StringWireLength(), StringMode(element))));
                std::erase(text, '\0');
                out.value = Variant(std::move(text));
                break;
            }
            case vtUnsigned32:
                out.value = Variant(buffer.ReadUInt32(order));
                break;
            default:
                return out;
        }
    } catch (const std::exception&) {
        return out;
    }
    out.decoded = true;
    out.end = buffer.Position();
    return out;
}

void clsDataModel::TakeDeviceValue(IDTMContext& context, clsDataElement& element,
                                   const clsDataElement& read, const Variant& value) {
    // A read that only shows the device changes no value that the project saves and a download
    // sends, nor the device value the project compares it with: the element shows the device
    // beside the project until the device's values are taken (an upload, a parameter page's
    // read).
    if (ShowsOnly(context, element, read))
        element.KeepTakenDeviceValue();
    else
        element.DropTakenDeviceValue();
    element.SetDeviceValue(value);
    element.SetDeviceValue(GetElementDeviceValue(element));
}

void clsDataModel::TakeIntoProject(IDTMContext& context, clsDataElement& element,
                                   const clsDataElement& read, const clsDataElement* unitElement) {
    // The device sends a value in the unit it holds at that moment: the one its unit element's
    // device value names, which this read may just have brought (0 while it is not known). A
    // value without a unit element is in its own unit.
    const int16_t unit = unitElement != nullptr ? UnitCode(unitElement->DeviceValue()).value_or(0)
                                                : element.nTransientUnit;
    element.nDeviceUnit = unit;
    if (ShowsOnly(context, element, read))
        return;
    element.SetWriteRefusal(0);
    element.SetPersistentValue(Variant());
    if ((element.StatusFlags() & sfEditedOnline) != 0 &&
        (context.OnlineParameterService().OnlineMode() & omUpload) == 0)
        return;
    // The project holds the value in its unit, the one its unit element holds: converted where
    // it differs from the device's; in the device's unit where it does not convert into it, or
    // where the device's is not known yet.
    const std::optional<int16_t> projectUnit =
        unitElement != nullptr ? UnitCode(unitElement->TransientValue()) : std::nullopt;
    element.nTransientUnit = projectUnit.value_or(element.nTransientUnit);
    Variant value = element.DeviceValue();
    if (unit != 0 && unit != element.nTransientUnit) {
        value = element.ValueInUnit(context, value, unit);
        if (value.isNull()) {
            value = element.DeviceValue();
            element.nTransientUnit = unit;
        }
    } else if (unit == 0) {
        element.nTransientUnit = 0;
    }
    element.SetTransientValue(value);
    // The upload asked for the device's value: the edit it replaced is no longer pending.
    element.ClearStatusFlag(sfEditedOnline);
}

Variant clsDataModel::ReverseBytes(const Variant& value) {
    if (!value.isByteArray()) {
        return Variant();
    }
    ByteArray reversed = value.bytes();
    std::reverse(reversed.bytes.begin(), reversed.bytes.end());
    return Variant(std::move(reversed));
}

bool clsDataModel::IsValidFloatData(IByteBuffer& buffer) {
    const int32_t start = buffer.Position();
    if (buffer.Length() - start < 4) {
        // Too short to hold the invalid pattern; reading the float reports the shortage.
        return true;
    }
    const ByteArray b = buffer.ReadBytes(4);
    buffer.Seek(start);
    const bool invalid = (b.bytes[0] == 0x7F || b.bytes[0] == 0xFF) && b.bytes[1] == 0xFF &&
                         b.bytes[2] == 0xFF && b.bytes[3] == 0xFF;
    return !invalid;
}

}  // namespace kv
