#pragma once
// Helpers shared by the pages, the main window and the DTM object: the array copy and deep
// comparison of values, the read and write of a page's parameters as one process, the
// write-protection check before a device command or a download, the start-up reads after a
// connection and the binary text of a value.

#include <memory>
#include <string>
#include <vector>

#include "platform/runtime/IDTMContext.h"
#include "platform/runtime/IPrivateProcess.h"
#include "platform/runtime/ITransactionGroup.h"
#include "value/Variant.h"

namespace kv {

class clsDataElement;
class IPrivateDataElement;

// A byte array with the source's bounds; each element converted to a byte.
Variant ToByteArray(const std::vector<Variant>& source, int32_t lbound = 0);
// Deep comparison of two values: arrays element by element, Null and Empty only with their own
// kind, invalid floats with each other, numbers (and numeric texts) by their text form.
bool VariantsEqual(const Variant& a, const Variant& b);

// What the page read and write need of a parameter row of a page (implemented by the row's
// parameter link; a page passes its rows in its control order, and a list entry may be null).
class IPageParameterRow {
  public:
    virtual ~IPageParameterRow() = default;
    // Commits an edit still pending in the row to its data element (the change handling of the
    // row's parameter link).
    virtual void CommitPendingEdit() = 0;
    // The data element the row shows; nullptr when the row is bound to none.
    virtual clsDataElement* BoundElement() const = 0;
    // True when the row's value is never written to the device.
    virtual bool WriteLocked() const = 0;
};

// Reads the parameters of the page's rows from the device as one process of the page's group
// (a member of a record is read as its whole record, each record once; a value whose unit the
// device has not told yet with its scale). The end reaches the page through its
// OnProcessFinished. Edits of the read elements that were made online and not yet written lose
// their mark once the read has started, so that the read values are shown.
// False when the group is busy or the process did not start ("error_at_read_status" is shown,
// or "error_read_not_connected" when the device is not connected).
bool ReadPageParameters(std::weak_ptr<IPrivateProcess> page, IDTMContext& context,
                        ITransactionGroup& group, const std::vector<IPageParameterRow*>& controls);
// Writes the parameters of the page's rows that are written to the device and not write-locked,
// the same way. False when the group is busy or the process did not start
// ("error_at_write_status" is shown, or "error_write_not_connected" when the device is not
// connected).
bool WritePageParameters(std::weak_ptr<IPrivateProcess> page, IDTMContext& context,
                         ITransactionGroup& group, const std::vector<IPageParameterRow*>& controls);

// Reads "PHYS/WRITE_LOCKING" and "PHYS/HW_WRITE_PROTECTION" under the caller's process id (a
// command page, before a device command) as a read that shows the device: the project keeps
// its write locking. "cannot_start_param_upload" when the read does not start.
void StartWriteLockUpload(IDTMContext& context, const std::string& processId,
                          std::weak_ptr<IPrivateProcess> callback);
// The write protection the device has as far as the instance knows (DeviceOrDataSetValue of
// the two write-protection parameters): the hardware switch in preference to the write
// locking.
enum class WriteProtection { None, WriteLocking, HardwareSwitch };
WriteProtection DeviceWriteProtection(IDTMContext& context);
// Why the last read of the two write-protection parameters failed: the error bits
// (TransferErrorBits) of the first that failed; 0 when neither did.
int32_t WriteProtectionReadFailure(IDTMContext& context);
// Judges the two write-protection parameters as read: True when writing is allowed. The
// hardware protection is reported ("meld_hw_protec") in preference to the write locking
// ("meld_w_locking"); one message at most.
bool CheckWriteProtection(IDTMContext& context);
// Reads the two write-protection parameters through the group (the DTM object before a
// download, a page after a denied write). True when the read started; "error_at_read_status"
// when it did not.
bool StartDownloadProtectionCheck(IDTMContext& context, ITransactionGroup& group,
                                  std::weak_ptr<IPrivateProcess> callback);
// Adds the reads after a connection to the group: tag, revisions, serial number, read-back,
// optionally the scale, diagnosis and check-back.
void AddStartupRequests(IDTMContext& context, ITransactionGroup& group, bool withScale);

// The unit of the device's value of an element (DeviceOrDataSetValue): the unit the device sent
// it in where a read recorded the value (none, 0, while that unit is not known), else the
// element's own; as its code and as its text.
int16_t DeviceOrDataSetUnitCode(const clsDataElement& element);
std::string DeviceOrDataSetUnit(IDTMContext& context, const clsDataElement& element);
// The device's value of an element (DeviceOrDataSetValue) in another unit: converted where it
// is in another unit, Null where it does not convert into it (its unit not known, or of
// another kind).
Variant DeviceOrDataSetValueIn(IDTMContext& context, const clsDataElement& element, int16_t unit);

// The bits of a value, least significant first, as "0" and "1" separated by "|": 16 for an
// Integer, 32 for a Long or a Double (up to 4294967295, read as unsigned 32 bits), 8 for a Byte,
// 8 per byte of a byte array; "" for a Double beyond 32 bits and for any other value.
std::string ToBinaryString(const Variant& value);

}  // namespace kv
