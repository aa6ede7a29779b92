#pragma once
// What the runtime calls on the DTM's data model.

#include <string>

#include "platform/runtime/IPrivateDataElement.h"
#include "platform/runtime/ITransaction.h"

namespace kv {

class IDTMContext;

class IPrivateDataModel {
  public:
    virtual ~IPrivateDataModel() = default;

    virtual void CreateModel(IDTMContext& context) = 0;
    virtual void SetLanguage(IDTMContext& context, int32_t lcid) = 0;
    virtual void DataChanged(IPrivateDataElement& element, IDTMContext& context) = 0;
    virtual void DataSetChanged(IDTMContext& context) = 0;
    // The data set's bulk update (load, import, the walk after an upload) is over: the model
    // catches up with what it left until then.
    virtual void BulkUpdateEnded(IDTMContext& /*context*/) {}
    // A value that an import took, as the user's choice: the rules that follow a choice in a
    // parameter row follow it too (a unit that follows the choice). Their notices are for the
    // user at the row; an import shows none.
    virtual void FollowChoice(IPrivateDataElement& /*element*/, IDTMContext& /*context*/) {}

    virtual bool BuildTransactionRequest(IDTMContext& context, ITransaction& transaction,
                                         bool isWrite, IPrivateDataElement& element) = 0;
    // Takes a response. False when the model could not take it (another address, or read data
    // that do not decode): the job counts as failed.
    virtual bool ReadTransactionResponse(IDTMContext& context, ITransaction& transaction,
                                         bool isWrite, IPrivateDataElement& element) = 0;

    virtual std::string DTMName() const = 0;
    virtual std::string DTMVendor() const = 0;
    virtual std::string DTMVersion() const = 0;
    virtual std::string DTMDescriptor() const = 0;
    // Days since 1899-12-30.
    virtual double DTMDate() const = 0;
};

}  // namespace kv
