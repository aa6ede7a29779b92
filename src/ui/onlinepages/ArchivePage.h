#pragma once
// The archive page (ctlArchive): the setpoint, the readback and two diagnosis bits as rows of
// the page's block, above the archive control that records the same four signals of block 1 as
// trend curves into the instance's archive and shows them. The page configures the control and
// the archive when it opens (before its rows are bound and before its child pages), names the
// curves and gives them their units, and passes its notifications, language and edit switch on
// to the control after its own rows.
//
// Its two switches run together: the navigation control's switch sets ctlCycle1 and the
// recording, and the control's own recording switch is mirrored into the navigation control.
// The recording runs only while ctlCycle1 runs: a switch-on that the cycle control refuses (no
// connection) records nothing, and a cycle control that stops itself stops the recording.

#include <QPointer>
#include <cstdint>
#include <string>

#include "platform/controls/widgets/ctlDTMArchive.h"
#include "ui/onlinepages/CyclicDisplayPage.h"

namespace kv {

class IDTMContext;
class IPrivateDataElement;

class ArchivePage : public CyclicDisplayPage {
    Q_OBJECT

  public:
    explicit ArchivePage(const PageDesign& design, QWidget* parent = nullptr);
    ~ArchivePage() override;

    // --- IPrivateGUICycle ---
    // ctlCycle1 takes the value; then the recording starts (1, once ctlCycle1 runs) or stops
    // (any other value).
    void SetCyclicRefresh(int16_t value) override;
    // ctlCycle1 takes the period, and the recording the period ctlCycle1 runs with.
    void SetCycleTime(int32_t milliseconds) override;

    // Part of building the page (after Build): ctlCycle1 goes between the rows and the archive
    // control, right below the lowest row; the archive control moves down as far as the switch
    // needs, so that the switch covers neither and the archive control can follow the page's
    // height without covering it.
    void PlaceCycleAboveArchive();

    // The embedded archive control; nullptr when the table has none.
    ctlDTMArchive* Archive() const { return archive_; }

  protected:
    // The archive control from its table line; ctlCycle1 as every online page's, with the
    // recording following it.
    QWidget* CreateChild(const ChildDesign& child, QWidget* parent) override;
    // InitPage before the child pages.
    void InitRegistered(const std::string& functionCall) override;
    // The archive first, then the rows, the cycle control, the edit switch, the language and
    // the values.
    void InitPage() override;
    // The archive control first, then the rows and the cycle control.
    bool QueryRelease() override;
    void RollBackInitPage() override;
    // Each: the rows (and texts), the curves' captions and units, then the archive control.
    void ApplyLanguage(int32_t languageId) override;
    void OnParameterChanged(IPrivateDataElement& element) override;
    void OnParameterSetChanged() override;
    void EnableEdit(bool enabled) override;

  private:
    // Sets up the four curves on the instance's archive (switching all of them on when the
    // archive was never configured) and hands them to the archive control.
    void ConfigureArchive(IDTMContext& context);
    // Caption and unit of the curve of the element, or of every curve (nullptr), and then the
    // Y-scale places of the setpoint and readback curves.
    void ApplyArchiveTexts(IPrivateDataElement* element);
    void OnCycleClick();
    void OnCycleStarted();
    void OnArchiveSwitched(int16_t state);

    QPointer<ctlDTMArchive> archive_;
    // ctlCycle1 was switched on for the recording but does not run yet: the recording starts
    // when it does.
    bool startWithCycle_ = false;
};

}  // namespace kv
