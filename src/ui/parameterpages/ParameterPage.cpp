#include "ui/parameterpages/ParameterPage.h"

#include "core/DictionaryLookup.h"
#include "platform/controls/widgets/ctlParamSite.h"
#include "platform/controls/widgets/ctlParameter.h"
#include "platform/runtime/EntryGuard.h"
#include "platform/runtime/IDTMEvents.h"
#include "platform/runtime/IPrivateDataElement.h"
#include "platform/runtime/TransactionGroup.h"

namespace kv {

namespace {

// A row as the page read and write take it: its link commits the pending edit and names the
// element, and a row that is locked now is never written.
class PageRow : public IPageParameterRow {
  public:
    PageRow(IPageParameterRow& link, const ctlParameter& row) : link_(link), row_(row) {}
    void CommitPendingEdit() override { link_.CommitPendingEdit(); }
    clsDataElement* BoundElement() const override { return link_.BoundElement(); }
    bool WriteLocked() const override { return link_.WriteLocked() || row_.Locked(); }

  private:
    IPageParameterRow& link_;
    const ctlParameter& row_;
};

// The page's bound rows as the core's page read and write take them, in designer order.
std::vector<std::unique_ptr<PageRow>> PageRows(const PageBase& page) {
    std::vector<std::unique_ptr<PageRow>> rows;
    if (page.Site() == nullptr)
        return rows;
    for (ctlParameter* row : page.Rows()) {
        if (auto* link = dynamic_cast<IPageParameterRow*>(page.Site()->GetParamLink(*row)))
            rows.push_back(std::make_unique<PageRow>(*link, *row));
    }
    return rows;
}

std::vector<IPageParameterRow*> Pointers(const std::vector<std::unique_ptr<PageRow>>& rows) {
    std::vector<IPageParameterRow*> out;
    for (const auto& r : rows)
        out.push_back(r.get());
    return out;
}

}  // namespace

// What the runtime calls back when a process of the page ends: it reaches the page only while
// the page exists and is initialised.
class ParameterPage::ProcessForward : public IPrivateProcess {
  public:
    explicit ProcessForward(ParameterPage* page) : page_(page) {}
    void OnProcessProgress(const std::string& processId, int32_t percent) override {
        if (page_ && page_->IsInitialised())
            page_->OnProcessProgress(processId, percent);
    }
    void OnProcessFinished(const std::string& processId, bool success) override {
        if (page_ && page_->IsInitialised())
            page_->OnProcessFinished(processId, success);
    }

  private:
    QPointer<ParameterPage> page_;
};

ParameterPage::ParameterPage(const PageDesign& design, QWidget* parent)
    : PageBase(design, parent), process_(std::make_shared<ProcessForward>(this)) {}

ParameterPage::~ParameterPage() = default;

std::weak_ptr<IPrivateProcess> ParameterPage::ProcessCallback() const {
    return process_;
}

int32_t ParameterPage::ReadWriteSaveLoadOption() {
    return Design().readWriteOption;
}

bool ParameterPage::ReadParameter() {
    return Transfer(false);
}

bool ParameterPage::WriteParameter() {
    return Transfer(true);
}

bool ParameterPage::Transfer(bool write) {
    if (!IsInitialised() || !group_ ||
        (ReadWriteSaveLoadOption() & (write ? rwsloWrite : rwsloRead)) == 0)
        return false;
    std::shared_ptr<IDTMContext> context = GetDtmContext();
    return Guarded(Log(), write ? "WriteParameter" : "ReadParameter", false, [&] {
        const auto rows = PageRows(*this);
        if (!write) {
            const bool started = ReadPageParameters(process_, *context, *group_, Pointers(rows));
            if (started)
                transfer_ = false;
            return started;
        }
        for (const auto& row : rows)
            row->CommitPendingEdit();
        // The old value would go to the device.
        if (RefusesForRefusedInput(*context, "error_at_write_status", true))
            return false;
        const bool started = WritePageParameters(process_, *context, *group_, Pointers(rows));
        if (started)
            transfer_ = true;
        return started;
    });
}

void ParameterPage::FinishInitPage() {
    std::shared_ptr<IDTMContext> context = GetDtmContext();
    auto group = std::make_unique<TransactionGroup>(PageReads());
    group->Init(*context);
    group_ = std::move(group);
}

bool ParameterPage::QueryRelease() {
    if (!PageBase::QueryRelease())
        return false;
    if (group_) {
        group_->Close();
        group_.reset();
    }
    return true;
}

void ParameterPage::RollBackInitPage() {
    if (group_) {
        // The group goes with the page: a Close that fails is only recorded.
        Guarded(Log(), "ParameterPage::RollBackInitPage", [&] { group_->Close(); });
        group_.reset();
    }
    PageBase::RollBackInitPage();
}

void ParameterPage::ReportProgress(int32_t percent, bool show) {
    std::shared_ptr<IDTMContext> context = GetDtmContext();
    if (!context)
        return;
    if (IDTMEvents* events = context->DTMEvents())
        events->ReportProgress(context->SystemTag(), TitleText(), percent, show);
}

void ParameterPage::OnProcessProgress(const std::string& /*processId*/, int32_t percent) {
    ReportProgress(percent, true);
}

void ParameterPage::OnProcessFinished(const std::string& processId, bool success) {
    // Every process that calls the page back ends the frame's display of its progress.
    ReportProgress(100, false);
    if (!group_ || !group_->OwnsProcess(processId))
        return;
    std::shared_ptr<IDTMContext> context = GetDtmContext();
    if (deniedWrite_) {
        // The device's write protection is read: the denied write ends now.
        const int32_t failure = *deniedWrite_;
        deniedWrite_.reset();
        EndTransfer(*context, true, false, failure);
        return;
    }
    if (!transfer_)
        return;
    const bool write = *transfer_;
    transfer_.reset();
    const int32_t failure = success ? 0 : FailureOfRows();
    // A write that the device denies: its write protection is read first, so that the end
    // can name the protection that refused it, as before a download. The read shows the
    // device: the project keeps its own write locking.
    if (write && (failure & sfDpv1ErrorMask) == kDpv1AccessDeniedClass) {
        group_->SetReads(GroupReads::Shown);
        const bool started = StartDownloadProtectionCheck(*context, *group_, process_);
        group_->SetReads(PageReads());
        if (started) {
            deniedWrite_ = failure;
            return;
        }
    }
    EndTransfer(*context, write, success, failure);
}

void ParameterPage::EndTransfer(IDTMContext& context, bool write, bool success, int32_t failure) {
    // The page's own read or write failed: the device did not answer, answered an error, or
    // sent data that do not decode. The rows concerned show the error; the user is told.
    // A write stopped by a value that its element refuses names that row.
    if (!success && !(write && RefusesForRefusedInput(context, "error_at_write_status", true)))
        context.DisplayMessage(
            GetDictionaryText(context, write ? "error_at_write_status" : "error_at_read_status"));
    // The frame hears how it ended, after the message, so that its own text comes last.
    if (IDTMEvents* events = context.DTMEvents())
        events->TransferFinished(context.SystemTag(), TitleText(), write, success, failure);
}

int32_t ParameterPage::FailureOfRows() const {
    for (ctlParameter* row : Rows()) {
        IPrivateParamLink* link = Site()->GetParamLink(*row);
        if (link == nullptr || link->DataElement() == nullptr)
            continue;
        if (const int32_t bits = TransferErrorBits(*link->DataElement()))
            return bits;
    }
    return 0;
}

}  // namespace kv
