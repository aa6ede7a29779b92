#pragma once
// The parameter page: the page template with read and write. The page reads the elements behind
// its rows from the device, or writes those that may be written, as one process of its own
// transaction group, and reports the progress of that process to the frame under its title.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/ProjectHelpers.h"
#include "platform/runtime/TransactionGroup.h"
#include "ui/parameterpages/PageBase.h"

namespace kv {

class ParameterPage : public PageBase, public IPrivateGUIReadWriteSaveLoad {
    Q_OBJECT

  public:
    explicit ParameterPage(const PageDesign& design, QWidget* parent = nullptr);
    ~ParameterPage() override;

    // --- IPrivateGUIReadWriteSaveLoad ---
    // The table's option: 3 read and write, 1 read only.
    int32_t ReadWriteSaveLoadOption() override;
    // False, starting nothing, while the page is not initialised or its group is busy, and
    // when the process does not start.
    bool ReadParameter() override;
    // As ReadParameter; also False at once on a read-only page, and when a row that would be
    // written holds refused input (the row keeps it, a status text names it).
    bool WriteParameter() override;

    // The page's transaction group; nullptr while the page is not initialised.
    ITransactionGroup* Group() const { return group_.get(); }

    // --- IPrivateProcess, as the page's processes reach the page ---
    // Reported to the frame under the page title; a failed read or write of the page is also
    // told to the user as a status text, and its end reaches the frame with its success and the
    // reason of a failure.
    virtual void OnProcessProgress(const std::string& processId, int32_t percent);
    virtual void OnProcessFinished(const std::string& processId, bool success);

  protected:
    // Makes the page's transaction group bound to the instance.
    void FinishInitPage() override;
    // Releases the site, then closes the group.
    bool QueryRelease() override;
    void RollBackInitPage() override;

    // What the page's processes call back (it reaches the page only while it is initialised).
    std::weak_ptr<IPrivateProcess> ProcessCallback() const;

  private:
    class ProcessForward;

    // The page's read or write.
    bool Transfer(bool write);
    // What the page's own reads are to the project: a page that shows the device only shows
    // it, any other takes the values.
    GroupReads PageReads() const { return ShowsDevice() ? GroupReads::Shown : GroupReads::Taken; }
    // The progress of the page's process to the frame, under the page's title; show False ends
    // its display.
    void ReportProgress(int32_t percent, bool show);
    // The error bits of the first row whose element the last transfer failed for; 0 for none.
    int32_t FailureOfRows() const;
    // The end of the page's read or write: the user's message of a failure, then the frame's
    // TransferFinished.
    void EndTransfer(IDTMContext& context, bool write, bool success, int32_t failure);

    std::unique_ptr<TransactionGroup> group_;
    std::shared_ptr<ProcessForward> process_;
    // The page's own read (false) or write (true) while its process runs.
    std::optional<bool> transfer_;
    // While the write protection is read after a denied write: the write's error bits.
    std::optional<int32_t> deniedWrite_;
};

}  // namespace kv
