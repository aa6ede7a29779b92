#pragma once
// The cyclic refresh of a page or of the main window: a check box (chkCycle) that switches it
// on and off, and a timer on the runtime's event loop. While the box is checked, every tick reads
// the control's own transaction group, which its owner fills when asked (OnAddRequests). The
// control stops itself when the device cannot be reached or a read fails to start, and can mark
// the elements it reads as dynamic, so that their rows show the alternating dynamic icons.
//
// Events, delivered synchronously through direct connections, in this order of a switch-on:
// Click, OnAddRequests(group); of a switch-off: Click, OnRemoveRequests(group); CycleError when
// the communication reports a lost connection (code 8) at a tick. A handler may delete the
// control; the control then does nothing more. Handlers keep their own errors.

#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/runtime/ContextRef.h"
#include "platform/runtime/IPropertyBag.h"
#include "platform/runtime/TransactionGroup.h"

class QCheckBox;

namespace kv {

class DiagnosticLog;
class IDTMContext;
class IEventLoop;
class ITransactionGroup;

// How Init starts the cycling.
enum startCycleMode : int32_t {
    scmStart = 0,             // switch on
    scmStartIfConnected = 1,  // switch on when the instance has a communication channel
    scmDoNotStart = 2,        // leave it off
};

class ctlCycle : public QWidget {
    Q_OBJECT

  public:
    // Defaults of the property bag.
    static constexpr int32_t kDefaultBackColor = static_cast<int32_t>(0x8000000Fu);
    static constexpr int32_t kDefaultInterval = 4000;
    // Shorter intervals are taken as this many milliseconds.
    static constexpr int32_t kMinInterval = 100;

    explicit ctlCycle(QWidget* parent = nullptr);
    ~ctlCycle() override;

    // Windows colour value of the control and its check box.
    int32_t BackColor() const { return backColor_; }
    void SetBackColor(int32_t color);
    // The cycle time in milliseconds, at least kMinInterval; a running cycle takes a new one at
    // once.
    int32_t Interval() const { return interval_; }
    void SetInterval(int32_t ms);
    // Mark the elements read as dynamic while cycling.
    bool AutomateDynamicIcons() const { return automateDynamicIcons_; }
    void SetAutomateDynamicIcons(bool on);

    // Binds the control to the instance with a transaction group of its own, switches on as the
    // mode says and takes the instance's language. The context must outlive the control unless
    // a shared pointer owns it.
    void Init(IDTMContext& context, startCycleMode mode);
    // What the reads are to the project: by default the user's read repeated (the values
    // taken, the instance not modified). Takes effect at the next Init.
    void SetReads(GroupReads reads) { reads_ = reads; }
    // The check box's caption in the dictionary's current language (key "ctlCycle_chkCycle").
    void SetLanguage(int32_t languageId);

    // 1 while switched on, else 0. Setting a value that differs switches as the user's click
    // does; any value other than 0 switches on.
    int16_t Value() const;
    void SetValue(int32_t value);

    // Switches off and closes the group (a running read ends); the group object stays.
    void Clear();
    // The owner changed what it reads: asks it again for its requests (while switched on).
    void AddRequests();
    // The owner's requests go (while switched on); the check box stays as it is.
    void RemoveRequests();

    // Property bag: "BackColor", "Interval", "AutomateDynamicIcons" with their defaults.
    void InitProperties();
    // False when a value was of the wrong kind (its property keeps its value).
    bool ReadProperties(const IPropertyBag& bag);
    // Writes the values that differ from their defaults.
    void WriteProperties(IPropertyBag& bag) const;

    // The control's transaction group; nullptr before Init.
    ITransactionGroup* TransGrp() const;
    QCheckBox* CheckBox() const { return chkCycle_; }
    // True while the timer runs.
    bool TimerRunning() const { return timerId_ != 0; }

  signals:
    void OnAddRequests(kv::ITransactionGroup& group);
    void OnRemoveRequests(kv::ITransactionGroup& group);
    void Click();
    void CycleError();
    // A property that the property bag keeps was changed.
    void PropertyChanged(const QString& name);

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    class ProcessCallback;

    // The context while it exists; nullptr before Init and once a shared context is gone.
    IDTMContext* Ctx() const;
    // Where a guarded call records its error: the context's log, else the widget log.
    DiagnosticLog& Log() const;
    void OnCheckToggled();
    // Switches on with the box checked: the group's read must have ended and the device be
    // reachable.
    void SwitchOn();
    // The device cannot be reached: the box is unchecked and the user told. True when refused;
    // the control may be gone then.
    bool RefuseUnreachable(IDTMContext& context);
    // Asks for the requests, marks the elements and starts the ticks (or stops when the box was
    // unchecked meanwhile). The reads never replace an edit that is not yet written.
    void StartCycling(IDTMContext& context);
    void Stop(IDTMContext& context);
    void Tick();
    void ReadEnded();
    void StartTimer(IDTMContext& context);
    void StopTimer();
    void MarkDynamic(IDTMContext& context);
    void UnmarkDynamic(IDTMContext& context);
    void ChangeDynamicMarks(IDTMContext& context, const std::vector<std::string>& paths, bool mark);
    // The elements the group reads, each record as its members.
    std::vector<std::string> GroupElementPaths(IDTMContext& context) const;
    // Raises a signal; False when the control was destroyed by a handler.
    template <typename Fn>
    bool Raise(IDTMContext& context, Fn&& fn);
    void ApplyBackColor();

    QCheckBox* chkCycle_;
    int32_t backColor_ = kDefaultBackColor;
    int32_t interval_ = kDefaultInterval;
    bool automateDynamicIcons_ = false;
    GroupReads reads_ = GroupReads::Watched;

    ContextRef context_;
    std::unique_ptr<TransactionGroup> group_;
    std::shared_ptr<ProcessCallback> callback_;
    IEventLoop* loop_ = nullptr;
    int32_t timerId_ = 0;
    // The elements marked dynamic (paths), until they are unmarked, and whether the marks are
    // those of reads that only show the device.
    std::optional<std::vector<std::string>> marked_;
    bool marksDeviceOnly_ = false;
    // Checked while the group's read ran: the switch-on completes when the read ends.
    bool switchOnPending_ = false;
};

}  // namespace kv
