#pragma once
// The two pages that commit DTM-level settings without the device and offer no read or write:
// the channel assignment page (Save: the slave parameter set becomes the bus master
// configuration part, and the frame is asked to save the instance) and the bus address page
// (Set: the edited station address becomes the committed one, and the frame hears of the new
// parameters). Their buttons are enabled while their element may be edited and the data set is
// not locked; a button refuses, with a status text that names the row, while a row holds input
// that its element refused.

#include <string>

#include "ui/parameterpages/PageBase.h"

class QPushButton;

namespace kv {

// A page whose one command button follows the write protection of one element and the page's
// edit switch.
class CommitPage : public PageBase {
    Q_OBJECT

  public:
    // button: the button's name; element: the path whose write protection disables it.
    CommitPage(const PageDesign& design, std::string button, std::string element,
               QWidget* parent = nullptr);

    QPushButton* CommitButton() const;

  protected:
    void OnParameterChanged(IPrivateDataElement& element) override;
    void OnParameterSetChanged() override;
    void EnableEdit(bool enabled) override;
    void OnButtonClick(const std::string& name) override;
    // The button's action, run only while the button is enabled.
    virtual void Commit() = 0;

  private:
    // Enables the button exactly while the element is not write-protected and the page's rows
    // may be edited.
    void ApplyButtonRule();

    std::string button_;
    std::string element_;
    bool editEnabled_ = true;
};

// ctlChannelAssign.
class ChannelAssignPage : public CommitPage {
    Q_OBJECT

  public:
    explicit ChannelAssignPage(const PageDesign& design, QWidget* parent = nullptr);

  protected:
    // cmdSave_Click: takes pending edits over; a whole string that is no hexadecimal text of
    // whole bytes, or no slave parameter set of the device (its length fields, its fixed
    // fields), changes nothing, asks nothing and is reported ("meld_slave_param_set_invalid");
    // else its bytes become "~/BusMasterConfigurationPart" (reported changed) and, on Yes to
    // "alert_SaveParameter", the frame is asked to save the instance.
    void Commit() override;
};

// ctlAddress.
class BusAddressPage : public CommitPage {
    Q_OBJECT

  public:
    explicit BusAddressPage(const PageDesign& design, QWidget* parent = nullptr);

    // An address typed but not set: releasing the page drops it.
    bool HoldsUncommittedInput() override;

  protected:
    // Releasing the page drops an edit of the address that was not set: "~/Address" is reported
    // changed, which copies it back into "~/LocalAddress", but only when the two differ.
    bool QueryRelease() override;
    // cmdSet_Click: takes pending edits over; a working copy that differs from the committed
    // address becomes the committed one, both are reported changed, and the frame hears of the
    // new parameters.
    void Commit() override;
};

}  // namespace kv
