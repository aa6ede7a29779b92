#pragma once
// The data model of one DTM instance: the value codec between data elements and DP-V1 jobs, the
// data-set state, the change and language services and the DTM's identity texts.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "core/DeviceDefinition.h"
#include "platform/runtime/IDTMContext.h"
#include "platform/runtime/IParameters.h"
#include "platform/runtime/IPrivateDataElement.h"
#include "platform/runtime/IPrivateDataModel.h"
#include "platform/runtime/ITransaction.h"

namespace kv {

class clsDataElement;
class clsPROFIBUSProfil3Units;
class IByteBuffer;

class clsDataModel : public IPrivateDataModel {
  public:
    // device: the blocks, channels and cyclic configuration the model is built of (it must
    // outlive the model); without one the model holds the DTM-level elements only.
    explicit clsDataModel(const IDeviceDefinition* device = nullptr);
    ~clsDataModel() override;

    // The device's definition; nullptr for a model without one.
    const IDeviceDefinition* Device() const { return m_Device; }

    // --- model services ---
    void CreateModel(IDTMContext& context) override;
    void SetLanguage(IDTMContext& context, int32_t lcid) override;
    void DataChanged(IPrivateDataElement& element, IDTMContext& context) override;
    void DataSetChanged(IDTMContext& context) override;
    // Evaluates the data-set state when a change during the bulk update left it undone.
    void BulkUpdateEnded(IDTMContext& context) override;
    void FollowChoice(IPrivateDataElement& element, IDTMContext& context) override;
    // The state of the whole data set into "~/DataStatus" (the open user interfaces told when
    // it changes), after every change; a changed tag goes to the frame as well.
    void EvaluateDataSetState(IDTMContext& context);

    // --- codec ---
    bool BuildTransactionRequest(IDTMContext& context, ITransaction& transaction, bool isWrite,
                                 IPrivateDataElement& element) override;
    bool ReadTransactionResponse(IDTMContext& context, ITransaction& transaction, bool isWrite,
                                 IPrivateDataElement& element) override;

    // --- identity ---
    std::string DTMName() const override;
    std::string DTMVendor() const override;
    std::string DTMVersion() const override;
    std::string DTMDescriptor() const override;
    double DTMDate() const override;

    clsPROFIBUSProfil3Units& PROFIBUSProfil3Units();
    bool ProcessingCompleteValidation() const { return m_ProcessingCompleteValidation; }

    int32_t NestDepth = 0;
    int32_t CurrentLanguage = 0;
    int32_t RetryCounter = 0;

  private:
    // The data of a write; False when a value of the transfer is refused as input (the element
    // is marked with the input error, the refusal logged). A value that cannot be encoded throws.
    bool BuildWriteRequest(IDTMContext& context, ITransaction& transaction,
                           clsDataElement& element);
    bool EncodeValue(IByteBuffer& buffer, ITransaction& transaction, clsDataElement& element,
                     bool isWrite);
    // What a response asks of the communication after it was read.
    struct ResponseOutcome {
        int32_t errorClass = 0;       // status bits of the DP-V1 error class
        bool retry = false;           // the device was busy: send the job again
        bool writeConfirmed = false;  // a write of an element that is read back was accepted
        bool undecodable = false;     // a read without error whose data do not decode whole
    };
    ResponseOutcome ReadResponse(IDTMContext& context, ITransaction& transaction,
                                 clsDataElement& element, bool isWrite);
    ResponseOutcome EvaluateDpv1Error(IDTMContext& context, ITransaction& transaction,
                                      clsDataElement& element, bool isWrite);
    // One element's value as a read response carries it.
    struct DecodedValue {
        bool decoded = false;  // the response holds the element's bytes
        bool keep = false;     // nothing to take: another address, or the device's invalid float
        Variant value;         // the device value read
        int32_t end = 0;       // the position after the element's bytes
    };
    static DecodedValue DecodeValue(IByteBuffer& buffer, const ITransaction& transaction,
                                    const clsDataElement& element);
    // The element takes a decoded device value of the read of `read` (the element itself, or
    // its record); an edit not yet written keeps its transient value unless an upload runs.
    static void TakeDeviceValue(IDTMContext& context, clsDataElement& element,
                                const clsDataElement& read, const Variant& value);
    // The element's status bits after a response (classBits: its error classes), then the
    // change is reported.
    static void EndResponse(IDTMContext& context, clsDataElement& element, int32_t classBits);
    static Variant ReverseBytes(const Variant& value);
    static bool IsValidFloatData(IByteBuffer& buffer);
    void LoadUnitTexts(IDTMContext& context);
    // The frame follows the tag ("~/Tag"): its value before the first change that is not yet
    // evaluated is kept, and when the evaluation finds another one, the frame gets the whole
    // data set's parameter document.
    void KeepTagBeforeChanges(IDTMContext& context);
    void ReportTag(IDTMContext& context);

    bool m_ProcessingCompleteValidation = false;
    const IDeviceDefinition* m_Device;
    std::unique_ptr<clsPROFIBUSProfil3Units> m_Units;
    // The data-set state is evaluated once after a bulk update and once per device response
    // rather than after each element it changes (each evaluation walks the whole data set).
    int32_t m_DeferStateEvaluation = 0;
    bool m_StatePending = false;
    std::optional<Variant> m_TagBefore;
};

// The data model behind the runtime's interface; nullptr when it is none (no model, or another
// one).
clsDataModel* AsDataModel(IPrivateDataModel* model);
// The same for the context's data set.
clsDataModel* DataModelOf(IDTMContext& context);
// The device definition of the context's data model; nullptr when it has none.
const IDeviceDefinition* DeviceOf(IDTMContext& context);

}  // namespace kv
