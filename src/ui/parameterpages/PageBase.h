#pragma once
// The page template: a page of the DTM's user interface built from its designer table. It
// creates the page's children in designer order, registers the page with the instance's GUI
// list when the main window initialises it, binds its rows through its binding site, keeps its
// texts in the current language, passes the GUI list's notifications to the site and releases
// all of it again. A single page initialises and releases only itself; a composite page also
// the children that are pages of their own (IDtmActiveXControl).
//
// PageBase is the template without read and write; ParameterPage adds them. The templates built
// on these override the virtual steps below (the child factory, the binding prototype, the steps
// of InitPage and QueryRelease, the forwards to the site, the edit switch and the button clicks)
// and call the base step where they only add to it.
//
// A page is created in two steps: construct, then Build() (the factory does both), so that the
// child factory of a derived template is the one that runs.

#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/controls/ControlInterfaces.h"
#include "platform/controls/NavigationInterfaces.h"
#include "platform/fdt/FdtDtmInterfaces.h"
#include "platform/runtime/IDTMContext.h"
#include "platform/runtime/IPropertyBag.h"
#include "ui/framework/ParamLinkPrototype.h"
#include "ui/parameterpages/PageDesign.h"

class QScrollArea;

namespace kv {

class DiagnosticLog;
class IPrivateDataElement;
class IPrivateGUI;
class clsCtlResize;
class ctlParamHelp;
class ctlParamSite;
class ctlParameter;
class ctlSeparator;

// One child of a page, in designer order: its table line and its widget.
struct PageControl {
    const ChildDesign* design = nullptr;
    QPointer<QWidget> widget;
};

class PageBase : public QWidget,
                 public INavigationPage,
                 public IDtmActiveXControl,
                 public IParamHelpHost {
    Q_OBJECT

  public:
    // design: the page's table; it must outlive the page (the tables are static).
    explicit PageBase(const PageDesign& design, QWidget* parent = nullptr);
    ~PageBase() override;
    PageBase(const PageBase&) = delete;
    PageBase& operator=(const PageBase&) = delete;

    // Creates the children from the table, places them at the page's design size and records
    // the layout of the children that follow the page's width (the page's first resize).
    // Called once, right after construction.
    void Build();
    // Records a child of the table that the page cannot make as designed in the page's log
    // ("<page> Build": "<child> <fault>"); the page goes on without what the fault concerns.
    void RecordDesignFault(const ChildDesign& child, const std::string& fault) const;

    // --- INavigationPage: the class name, which is also the prefix of its dictionary keys ---
    std::string Name() const override { return design_.className; }
    std::string ProgId() const { return "KV6274PA." + design_.className; }
    const PageDesign& Design() const { return design_; }

    // --- IDtmActiveXControl ---
    // Registers the page under the GUI function call (top level unless the call ends in "$"),
    // initialises the children that are pages (composite form) and the page itself. False,
    // with nothing left registered or bound, when the call is empty, the DTM object is missing
    // or offers no context, the GUI list refuses the call, or a step fails.
    bool Init(const std::string& guiFunctionCall, const std::string& functionCall,
              std::shared_ptr<IDtm> dtm) override;
    // Releases the page (composite form: after every child page agreed); False when a child
    // page or QueryRelease refuses, and the page then stays as it was. True at once on a page
    // that is not initialised.
    bool PrepareToRelease() override;

    // --- IParamHelpHost ---
    IParamHelp* GetParamHelpCtl() override;

    // --- default interface ---
    // The block number that stands for "%d" in the rows' tags; a plain stored value (a change
    // after Init binds nothing anew).
    int16_t BlockIndex() const { return blockIndex_; }
    void SetBlockIndex(int16_t index) { blockIndex_ = index; }

    // --- property bag ("BlockIndex", default 1; nothing on a page without BlockIndex) ---
    void InitProperties();
    // False when the stored value is no 16-bit integer; BlockIndex is then 1.
    bool ReadProperties(const IPropertyBag& bag);
    void WriteProperties(IPropertyBag& bag) const;

    // True while the page holds a DTM object and its GUI function call.
    bool IsInitialised() const { return !guiFunctionCall_.empty(); }
    const std::string& GUIFunctionCall() const { return guiFunctionCall_; }
    // The instance's context; nullptr while the page holds no DTM object.
    std::shared_ptr<IDTMContext> GetDtmContext() const;

    // The children in designer order, and look-ups by name (and array index).
    const std::vector<PageControl>& Controls() const { return controls_; }
    QWidget* Control(const std::string& name, int32_t index = -1) const;
    // The parameter rows in designer order.
    std::vector<ctlParameter*> Rows() const;
    ctlParamSite* Site() const { return site_; }
    ctlParamHelp* Help() const { return help_; }
    ctlSeparator* Title() const { return title_; }
    // The page title: the caption of sepTitle ("" on a page without one).
    std::string TitleText() const;
    // The page's size at its design (pixels of this screen), from which the children that
    // follow the page keep their margins.
    QSize DesignSize() const { return designSize_; }
    // Makes the page's minimum size, and the page where it is smaller, cover every child as it
    // stands, with the page's margin (a child that follows the page: its least size and its
    // margin), and never less than the design size; the help pane does not count. Whoever moves
    // or widens a child calls it; a change of a child's least size reaches it by itself.
    void CoverChildren();

    // --- IPrivateGUI, as the GUI list reaches the page ---
    bool CloseGUI();
    void LockStateChanged(bool locked);
    void ParameterChanged(IPrivateDataElement& element);
    void ParameterSetChanged();
    void ValidateParameters();
    void SetLanguage(int32_t languageId);
    // Input that releasing the page drops (the template holds none).
    virtual bool HoldsUncommittedInput() { return false; }
    // True on a page that only shows the device (the online pages but the cyclic parameter
    // pages, whose reads are the user's): its reads leave the project's values as they are
    // (GroupReads::Shown), and its rows show the device's values.
    virtual bool ShowsDevice() const { return false; }

  protected:
    // --- the child factory ---
    // Makes the widget of one table line inside parent (the page or a picture box); nullptr
    // for a kind the template does not make (the child is then left out, with a warning).
    // Derived templates add their kinds and pass the others on.
    virtual QWidget* CreateChild(const ChildDesign& child, QWidget* parent);

    // --- the steps of Init and release ---
    // What Init does once the page is registered: the children that are pages (composite
    // form), then InitPage. A template that orders them otherwise overrides it.
    virtual void InitRegistered(const std::string& functionCall);
    // Init of every child that is a page (IDtmActiveXControl), numbered from 1 in control order
    // with the page's GUI function call, "." and the number and "$"; their answers are not
    // examined.
    void InitChildPages(const std::string& functionCall);
    // PrepareToRelease of every child that is a page, in control order; False at the first
    // that refuses (the others are not asked).
    bool ReleaseChildPages();
    // The binding prototype that the site copies for every row.
    virtual ParamLinkFields LinkFields() const;
    virtual std::shared_ptr<IPrivateParamLink> NewParamLinkPrototype(const ParamLinkFields& fields);
    // Binds the rows, applies the language, shows the values, brings the help pane to the front
    // and ends with FinishInitPage and the edit switch of the GUI list's lock.
    virtual void InitPage();
    // Right after the site bound the rows (the online pages initialise their cycle there).
    virtual void AfterSiteInit() {}
    // At the end of InitPage (ParameterPage makes its transaction group there).
    virtual void FinishInitPage() {}
    // Releases the site; False refuses the release.
    virtual bool QueryRelease();
    // Undoes what a failed Init made (the site's bindings, the page's own objects); must not
    // throw. Derived templates release their own objects and call the base.
    virtual void RollBackInitPage();

    // --- the forwards to the site ---
    virtual void ApplyLanguage(int32_t languageId);
    virtual void OnParameterChanged(IPrivateDataElement& element);
    virtual void OnParameterSetChanged();
    virtual void ValidatePage();
    virtual void EnableEdit(bool enabled);

    // --- user-control events ---
    // The first call records the layout of the children that follow the page's width; every
    // later call restores their right margins.
    virtual void UserControl_Resize();
    // Whether a child follows the page's width (by the table's resize form).
    virtual bool FollowsWidth(const ChildDesign& child) const;
    // Whether a child follows the page's height too (the archive control).
    virtual bool FollowsHeight(const ChildDesign& child) const;

    // Moves every child of container (the page or a picture box) that stands below y (pixels)
    // down by delta (up when it is negative), except the help pane, and grows or shrinks the
    // page's design size by as much (the page itself where it is then lower). The children
    // that follow the page are laid out anew.
    void MakeRoomBelow(const QWidget& container, int y, int delta);
    // The same for several places at once (y and delta each): a child moves by the deltas of
    // all the places above it.
    void MakeRoomBelow(const QWidget& container, const std::vector<std::pair<int, int>>& places);

    // Refuses an action of the page while one of its rows holds input that the row's element
    // refused: the first such row that is not locked (writtenOnly: of those whose element the
    // page's write sends, for a member of a record its record) is named in a status text,
    // "<text of key> <label>: <reason>", and takes the focus. True when the action is refused.
    bool RefusesForRefusedInput(IDTMContext& context, const std::string& key, bool writtenOnly);

    // A command button of the page was clicked (guarded; the page may be released inside).
    virtual void OnButtonClick(const std::string& /*name*/) {}

    // The DTM object (nullptr while not initialised).
    IDtm* Dtm() const { return dtm_.get(); }
    // Where errors of this page's entry points are kept: the instance's log while the page is
    // initialised, else the widgets' log.
    DiagnosticLog& Log() const;

    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    // Tells the GUI list that the initialised page is shown or hidden.
    void TellShown(bool shown);
    // Unregisters and drops the DTM object and the GUI function call; errors are ignored.
    void Unregister() noexcept;
    void CreateChildren();
    void PlaceChild(QWidget& widget, const ChildDesign& child);
    // Fits the rows to their texts at the page's width: one label column for the rows whose
    // labels stand beside their values, and each row as high as it needs (a bit list as high as
    // its bits, any other row at least as designed); what stands below a row that grows or
    // shrinks moves by as much. Again while a resize it made itself asks for it.
    void FitRows();
    void FitRowsOnce();
    // In a view lower than the page, the bit lists above a command button give up rows (each
    // keeps a few and scrolls to the others), as many as the page is too high and they have, so
    // that the page's commands show without scrolling.
    void YieldBitLists();
    // The scroll area whose view shows the page; nullptr where none does.
    QScrollArea* ShowingArea() const;
    // Follows the height of the view that shows the page.
    void WatchView();
    // Widens every command button to its caption.
    void FitButtons();
    // The first row of RefusesForRefusedInput; nullptr when there is none.
    ctlParameter* RowWithRefusedInput(IDTMContext& context, bool writtenOnly) const;

    const PageDesign& design_;
    std::vector<PageControl> controls_;
    ctlParamSite* site_ = nullptr;
    ctlParamHelp* help_ = nullptr;
    ctlSeparator* title_ = nullptr;
    QSize designSize_;

    int16_t blockIndex_ = 1;
    std::shared_ptr<IDtm> dtm_;
    std::string guiFunctionCall_;
    std::unique_ptr<clsCtlResize> layout_;
    // What the GUI list holds (weakly) while the page is registered.
    std::shared_ptr<IPrivateGUI> gui_;
    bool built_ = false;
    bool fittingRows_ = false;
    bool refitRows_ = false;
    // The view of the scroll area that shows the page, watched for its height.
    QPointer<QWidget> view_;
};

}  // namespace kv
