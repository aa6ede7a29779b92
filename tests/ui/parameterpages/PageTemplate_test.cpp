// The page template with a test page: registration and its GUI function call, the composite
// form's child pages, InitPage, language and captions, the forwards of the GUI list, progress
// to the frame, read and write through the page read and write support, release, the property
// bag, resize, show and hide, locale change and destruction; and the faults the template
// mends: a failed Init leaves nothing behind, calls after release reach nothing, read and write
// outside Init start nothing, refused input is never written, a locked data set opens the page
// read only.
//
// The rows are bound by a recording link, so that these tests see what the template hands to
// its site; the pages' own tests bind the real parameter link.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "PageFixture.h"
#include "dtm/DTMMain.h"
#include "platform/controls/widgets/LastResort.h"
#include "platform/controls/widgets/Twips.h"
#include "platform/controls/widgets/ctlParamSite.h"
#include "platform/controls/widgets/ctlParameter.h"
#include "platform/runtime/DTMDictionary.h"
#include "platform/runtime/PropertyBag.h"
#include "ui/framework/widgets/ctlSeparator.h"
#include "ui/parameterpages/PageDesignBuilders.h"
#include "ui/parameterpages/ParameterPage.h"
#include "ui/parameterpages/ParameterPages.h"

namespace kv {
namespace {

using namespace pagedesign;
using pagetest::HostedPage;
using pagetest::PageBench;

// What the links of one page did, in order.
struct LinkLog {
    std::vector<std::string> calls;
    std::vector<ParamLinkFields> prototypes;
    size_t Count(const std::string& call) const {
        return static_cast<size_t>(std::count(calls.begin(), calls.end(), call));
    }
};

// Binds a row to the element its tag names ("%d" replaced by the index) and shows its value.
class RecordingLink : public IPrivateParamLink, public IPageParameterRow {
  public:
    RecordingLink(std::shared_ptr<LinkLog> log, ParamLinkFields fields)
        : log_(std::move(log)), fields_(std::move(fields)) {}

    std::shared_ptr<IPrivateParamLink> GetNewParamLink() override {
        return std::make_shared<RecordingLink>(log_, fields_);
    }
    IPrivateDataElement* DataElement() override { return element_; }
    IParameterRow* ParameterCtl() override { return row_; }
    void InitLink(IDTMContext& context, IParameterRow& row, const IStatusImages&,
                  const std::string&) override {
        row_ = &row;
        tag_ = row.ParameterTag();
        for (size_t p = tag_.find("%d"); p != std::string::npos; p = tag_.find("%d"))
            tag_.replace(p, 2, std::to_string(fields_.index));
        element_ = context.Parameters().Item(tag_);
        row.SetEnabled(element_ != nullptr);
        log_->calls.push_back("bind " + tag_);
    }
    void TerminateLink() override {
        log_->calls.push_back("release " + tag_);
        element_ = nullptr;
        row_ = nullptr;
    }
    void InitLanguageDependent(int32_t) override {
        if (clsDataElement* e = AsDataElement(element_))
            row_->SetLabelText(e->Label.str());
        log_->calls.push_back("language");
    }
    void UpdateParameter() override {
        if (element_)
            row_->SetValue(element_->TransientValue());
        log_->calls.push_back("update " + tag_);
    }
    void ValidateParameter() override { log_->calls.push_back("validate " + tag_); }
    // What the page read and write ask of a row.
    void CommitPendingEdit() override { log_->calls.push_back("commit " + tag_); }
    clsDataElement* BoundElement() const override { return AsDataElement(element_); }
    bool WriteLocked() const override { return row_ && row_->WriteLocked(); }

  private:
    std::shared_ptr<LinkLog> log_;
    ParamLinkFields fields_;
    IPrivateDataElement* element_ = nullptr;
    IParameterRow* row_ = nullptr;
    std::string tag_;
};

// A child control that is a page of its own.
class ChildPage : public QWidget, public IDtmActiveXControl {
  public:
    ChildPage(QWidget* parent, std::vector<std::string>& log) : QWidget(parent), log_(log) {}
    bool Init(const std::string& call, const std::string& document,
              std::shared_ptr<IDtm> dtm) override {
        log_.push_back(objectName().toStdString() + " Init " + call + " " + document +
                       (dtm ? " dtm" : " -"));
        return true;
    }
    bool PrepareToRelease() override {
        log_.push_back(objectName().toStdString() + " PrepareToRelease");
        return releases;
    }
    bool releases = true;

  private:
    std::vector<std::string>& log_;
};

// The test page borrows the class name of the bus address page, so that its title, label and
// button take their captions from the shipped dictionaries; it is built on the parameter page
// template, with picture boxes named "pg..." standing for child pages.
class TestPage : public ParameterPage {
  public:
    explicit TestPage(const PageDesign& design) : ParameterPage(design) {}

    std::shared_ptr<LinkLog> links = std::make_shared<LinkLog>();
    std::vector<std::string> children;
    std::function<void()> failInInitPage;

    ChildPage* Child(const std::string& name) const {
        return dynamic_cast<ChildPage*>(Control(name));
    }
    void Resized() { UserControl_Resize(); }

  protected:
    QWidget* CreateChild(const ChildDesign& child, QWidget* parent) override {
        if (child.kind == ChildKind::PictureBox && child.name.rfind("pg", 0) == 0)
            return new ChildPage(parent, children);
        return ParameterPage::CreateChild(child, parent);
    }
    std::shared_ptr<IPrivateParamLink> NewParamLinkPrototype(
        const ParamLinkFields& fields) override {
        links->prototypes.push_back(fields);
        return std::make_shared<RecordingLink>(links, fields);
    }
    void FinishInitPage() override {
        ParameterPage::FinishInitPage();
        if (failInInitPage)
            failInInitPage();
    }
};

const PageDesign& Design(PageForm form, int32_t option = 3) {
    static std::map<std::pair<PageForm, int32_t>, PageDesign> designs;
    auto [it, added] = designs.try_emplace({form, option});
    if (added) {
        it->second = {
            .className = "ctlAddress",
            .form = form,
            .templ = PageTemplate::Parameter,
            .resize = ResizeForm::Narrow,
            .readWriteOption = option,
            .children =
                {
                    Row(0, 360, "TRANS/%d/Act/DEADBAND"),
                    Title(),
                    Picture("pgFirst", {120, 2880, 600, 300}),
                    Row(2, 720, "FUNC/%d/AO/PV_SCALE/Lo_Val"),
                    Label("lblWarn", {120, 1800, 6135, 735}),
                    Picture("picPlain", {840, 2880, 600, 300}),
                    Row(1, 1080, "FUNC/%d/AO/PV_SCALE/Up_Val"),
                    Picture("pgSecond", {1560, 2880, 600, 300}),
                    Row(3, 1440, "PHYS/TAG_DESC"),
                    Button("cmdSet", {120, 2520, 1095, 315}, "Set"),
                    Picture("pgThird", {2280, 2880, 600, 300}),
                    Help(0, 480),
                    Site(),
                },
        };
    }
    return it->second;
}

std::unique_ptr<TestPage> NewPage(PageForm form = PageForm::Single, int32_t option = 3) {
    auto page = std::make_unique<TestPage>(Design(form, option));
    page->Build();
    return page;
}

std::string Caption(PageBase& page, const std::string& name) {
    QWidget* w = page.Control(name);
    if (auto* s = qobject_cast<ctlSeparator*>(w))
        return s->Caption();
    if (auto* l = qobject_cast<QLabel*>(w))
        return l->text().toStdString();
    if (auto* b = qobject_cast<QPushButton*>(w))
        return b->text().toStdString();
    return "?";
}

ctlParameter* RowOf(PageBase& page, const std::string& tag) {
    for (ctlParameter* row : page.Rows()) {
        if (row->ParameterTag() == tag)
            return row;
    }
    return nullptr;
}

// --- Init, registration and release ---

TEST(PageTemplate, InitWithoutCallOrDtmAnswersFalseAndRegistersNothing) {
    PageBench b;
    auto page = NewPage();
    EXPECT_FALSE(page->Init("", "", b.Dtm()));
    EXPECT_FALSE(page->Init("7.ctlAddress$", "", nullptr));
    EXPECT_FALSE(page->IsInitialised());
    EXPECT_TRUE(b.Gui().FunctionIds().empty());
    EXPECT_TRUE(page->links->calls.empty());
    EXPECT_TRUE(page->CloseGUI());
    EXPECT_TRUE(page->PrepareToRelease());
}

TEST(PageTemplate, RegistersTopLevelUnlessTheCallEndsInDollar) {
    PageBench b;
    auto child = NewPage();
    auto top = NewPage();
    ASSERT_TRUE(child->Init("7.ctlAddress$", "", b.Dtm()));
    ASSERT_TRUE(top->Init("7", "", b.Dtm()));
    EXPECT_FALSE(b.Gui().IsTopLevel("7.ctlAddress$"));
    EXPECT_TRUE(b.Gui().IsTopLevel("7"));
    // A second Init of an initialised page is refused; the page stays as it was.
    EXPECT_FALSE(child->Init("8.ctlAddress$", "", b.Dtm()));
    EXPECT_EQ(b.Gui().FunctionIds(), (std::vector<std::string>{"7.ctlAddress$", "7"}));
    EXPECT_TRUE(child->PrepareToRelease());
    EXPECT_TRUE(top->PrepareToRelease());
    EXPECT_TRUE(b.Gui().FunctionIds().empty());
}

TEST(PageTemplate, InitPageBindsWithTheBlockIndexShowsValuesAndReleasesOnce) {
    PageBench b;
    auto page = NewPage();
    ASSERT_TRUE(page->Init("7.ctlAddress$", "<doc/>", b.Dtm()));
    ASSERT_EQ(page->links->prototypes.size(), 1u);
    EXPECT_EQ(page->links->prototypes[0].index, 1);
    EXPECT_TRUE(page->links->prototypes[0].bOnlineMode);
    EXPECT_FALSE(page->links->prototypes[0].bDisplayDPV1Index);
    // Rows in designer order: bound, language, then every row shown.
    const std::vector<std::string> expected = {
        "bind TRANS/1/Act/DEADBAND",
        "bind FUNC/1/AO/PV_SCALE/Lo_Val",
        "bind FUNC/1/AO/PV_SCALE/Up_Val",
        "bind PHYS/TAG_DESC",
        "language",
        "language",
        "language",
        "language",
        "update TRANS/1/Act/DEADBAND",
        "update FUNC/1/AO/PV_SCALE/Lo_Val",
        "update FUNC/1/AO/PV_SCALE/Up_Val",
        "update PHYS/TAG_DESC",
    };
    EXPECT_EQ(page->links->calls, expected);
    ASSERT_NE(page->Group(), nullptr);

    page->links->calls.clear();
    EXPECT_TRUE(page->PrepareToRelease());
    EXPECT_EQ(page->links->Count("release TRANS/1/Act/DEADBAND"), 1u);
    EXPECT_FALSE(page->IsInitialised());
    EXPECT_EQ(page->Group(), nullptr);
    EXPECT_FALSE(page->isVisible());
    // The second release calls nothing.
    page->links->calls.clear();
    EXPECT_TRUE(page->PrepareToRelease());
    EXPECT_TRUE(page->CloseGUI());
    EXPECT_TRUE(page->links->calls.empty());
}

TEST(PageTemplate, PropertyBagKeepsTheBlockIndex) {
    PageBench b;
    {
        auto page = NewPage();
        PropertyBag empty;
        EXPECT_TRUE(page->ReadProperties(empty));
        EXPECT_EQ(page->BlockIndex(), 1);
        PropertyBag out;
        page->WriteProperties(out);
        EXPECT_FALSE(out.Read("BlockIndex").has_value());  // the default is not written
    }
    {
        auto page = NewPage();
        PropertyBag stored;
        stored.Write("blockindex", Variant(int16_t{2}));
        EXPECT_TRUE(page->ReadProperties(stored));
        EXPECT_EQ(page->BlockIndex(), 2);
        ASSERT_TRUE(page->Init("7.ctlAddress$", "", b.Dtm()));
        EXPECT_EQ(page->links->prototypes.at(0).index, 2);
        // Block 2 is not in the data set: its rows are unbound, the others bind.
        EXPECT_FALSE(RowOf(*page, "TRANS/%d/Act/DEADBAND")->isEnabled());
        EXPECT_TRUE(RowOf(*page, "PHYS/TAG_DESC")->isEnabled());
        PropertyBag out;
        page->WriteProperties(out);
        EXPECT_EQ(out.Read("BlockIndex").value_or(Variant()).toLong(), 2);
        // A stored value that is no integer gives the default.
        PropertyBag bad;
        bad.Write("BlockIndex", Variant("two"));
        EXPECT_FALSE(page->ReadProperties(bad));
        EXPECT_EQ(page->BlockIndex(), 1);
        EXPECT_TRUE(page->PrepareToRelease());
    }
}

// --- composite form ---

TEST(PageTemplate, CompositeInitialisesItsChildPagesInControlOrder) {
    PageBench b;
    auto page = NewPage(PageForm::Composite);
    ASSERT_TRUE(page->Init("7.ctlAddress$", "<doc/>", b.Dtm()));
    const std::vector<std::string> expected = {
        "pgFirst Init 7.ctlAddress$.1$ <doc/> dtm",
        "pgSecond Init 7.ctlAddress$.2$ <doc/> dtm",
        "pgThird Init 7.ctlAddress$.3$ <doc/> dtm",
    };
    EXPECT_EQ(page->children, expected);
    // The children come before the page's own InitPage.
    EXPECT_FALSE(page->links->calls.empty());
    page->children.clear();
    EXPECT_TRUE(page->PrepareToRelease());
    EXPECT_EQ(page->children,
              (std::vector<std::string>{"pgFirst PrepareToRelease", "pgSecond PrepareToRelease",
                                        "pgThird PrepareToRelease"}));
}

TEST(PageTemplate, CompositeWhoseSecondChildRefusesStaysInitialised) {
    PageBench b;
    auto page = NewPage(PageForm::Composite);
    ASSERT_TRUE(page->Init("7.ctlAddress$", "", b.Dtm()));
    page->Child("pgSecond")->releases = false;
    page->children.clear();
    page->links->calls.clear();
    EXPECT_FALSE(page->PrepareToRelease());
    EXPECT_EQ(page->children,
              (std::vector<std::string>{"pgFirst PrepareToRelease", "pgSecond PrepareToRelease"}));
    EXPECT_TRUE(page->IsInitialised());
    EXPECT_NE(page->Group(), nullptr);
    EXPECT_TRUE(page->links->calls.empty());  // the site is not released
    EXPECT_EQ(b.Gui().FunctionIds(), std::vector<std::string>{"7.ctlAddress$"});
    page->Child("pgSecond")->releases = true;
    EXPECT_TRUE(page->CloseGUI());
    EXPECT_TRUE(b.Gui().FunctionIds().empty());
}

TEST(PageTemplate, SinglePageLeavesChildPagesAlone) {
    PageBench b;
    auto page = NewPage(PageForm::Single);
    ASSERT_TRUE(page->Init("7.ctlAddress$", "", b.Dtm()));
    EXPECT_TRUE(page->PrepareToRelease());
    EXPECT_TRUE(page->children.empty());
}

// --- faults mended ---

TEST(PageTemplate, FailedInitLeavesNothingRegisteredOrBound) {
    PageBench b;
    auto page = NewPage(PageForm::Composite);
    page->failInInitPage = [] { throw std::runtime_error("no group today"); };
    EXPECT_FALSE(page->Init("7.ctlAddress$", "", b.Dtm()));
    EXPECT_FALSE(page->IsInitialised());
    EXPECT_TRUE(b.Gui().FunctionIds().empty());
    EXPECT_EQ(page->Group(), nullptr);
    EXPECT_EQ(page->links->Count("release TRANS/1/Act/DEADBAND"), 1u);
    EXPECT_EQ(std::count(page->children.begin(), page->children.end(), "pgThird PrepareToRelease"),
              1);
    // The failure is on record; the page can be opened again.
    EXPECT_FALSE(b.Ctx().Diagnostics().Empty());
    b.Ctx().Diagnostics().Clear();
    page->failInInitPage = nullptr;
    EXPECT_TRUE(page->Init("7.ctlAddress$", "", b.Dtm()));
    EXPECT_TRUE(page->PrepareToRelease());
}

TEST(PageTemplate, ChildrenThatCannotBeMadeAsDesignedAreRecordedAndThePageGoesOn) {
    struct Case {
        ChildDesign child;
        std::string what;
    };
    const Case cases[] = {
        {Row(4, 1800, "PHYS/TAG_DESC").In("picNone"),
         "ctlParameter(4) stands in picNone, which the page does not hold"},
        {Cycle(120, 3240), "ctlCycle1 is of a kind the page makes no control of"},
        {Row(4, 1800, "PHYS/TAG_DESC").Prop("controltype", "many"),
         "ctlParameter(4) has a designer property of the wrong kind"},
    };
    WidgetDiagnostics().Clear();
    for (const Case& c : cases) {
        PageDesign design = Design(PageForm::Single);
        design.children.push_back(c.child);
        TestPage page(design);
        page.Build();
        // Not initialised yet: the page's log is the widgets' log.
        ASSERT_EQ(WidgetDiagnostics().Entries().size(), 1u) << c.what;
        EXPECT_EQ(WidgetDiagnostics().Entries()[0].where, "ctlAddress Build");
        EXPECT_EQ(WidgetDiagnostics().Entries()[0].what, c.what);
        EXPECT_NE(page.Control("sepTitle"), nullptr) << c.what;
        WidgetDiagnostics().Clear();
    }
}

TEST(PageTemplate, CallInUseByAnotherGuiIsRefused) {
    PageBench b;
    auto first = NewPage();
    auto second = NewPage();
    ASSERT_TRUE(first->Init("7.ctlAddress$", "", b.Dtm()));
    EXPECT_FALSE(second->Init("7.ctlAddress$", "", b.Dtm()));
    EXPECT_FALSE(second->IsInitialised());
    EXPECT_TRUE(second->links->calls.empty());
    b.Ctx().Diagnostics().Clear();
    EXPECT_TRUE(first->PrepareToRelease());
}

TEST(PageTemplate, NotificationsAfterReleaseOrDestructionReachNothing) {
    PageBench b;
    auto page = NewPage();
    ASSERT_TRUE(page->Init("7.ctlAddress$", "", b.Dtm()));
    std::shared_ptr<IPrivateGUI> gui = b.Gui().GetGUI("7.ctlAddress$");
    ASSERT_TRUE(gui);
    EXPECT_TRUE(page->PrepareToRelease());
    page->links->calls.clear();
    IPrivateDataElement& e = b.At("PHYS/TAG_DESC");
    gui->ParameterChanged(e);
    gui->ParameterSetChanged();
    gui->SetLanguage(7);
    gui->LockStateChanged(true);
    gui->ValidateParameters();
    EXPECT_TRUE(gui->CloseGUI());
    EXPECT_TRUE(page->links->calls.empty());
    page.reset();
    gui->ParameterSetChanged();  // the page is gone: nothing is reached
    EXPECT_TRUE(gui->CloseGUI());
}

TEST(PageTemplate, ReadAndWriteOutsideInitStartNothing) {
    PageBench b;
    b.Online();
    auto page = NewPage();
    EXPECT_FALSE(page->ReadParameter());
    EXPECT_FALSE(page->WriteParameter());
    ASSERT_TRUE(page->Init("7.ctlAddress$", "", b.Dtm()));
    EXPECT_TRUE(page->PrepareToRelease());
    EXPECT_FALSE(page->ReadParameter());
    EXPECT_FALSE(page->WriteParameter());
    b.Settle();
    EXPECT_TRUE(b.device->Log().empty());
    EXPECT_TRUE(b.Progress().empty());
}

TEST(PageTemplate, ProcessEndAfterReleaseReachesNothing) {
    PageBench b;
    b.Online();
    auto page = NewPage();
    ASSERT_TRUE(page->Init("7.ctlAddress$", "", b.Dtm()));
    ASSERT_TRUE(page->ReadParameter());
    EXPECT_TRUE(page->PrepareToRelease());
    b.Events().Clear();
    b.Settle();
    for (const std::string& p : b.Progress())
        EXPECT_EQ(p.find("Bus address"), std::string::npos) << p;
}

TEST(PageTemplate, WriteWithRefusedInputIsRefusedAndNamesTheRow) {
    PageBench b;
    b.Online();
    auto page = NewPage();
    ASSERT_TRUE(page->Init("7.ctlAddress$", "", b.Dtm()));
    // What the link leaves while its row holds input the element refused.
    clsDataElement& deadband = b.At("TRANS/1/Act/DEADBAND");
    deadband.SetStatusFlag(0x4000);
    ctlParameter* row = RowOf(*page, "TRANS/%d/Act/DEADBAND");
    row->SetIconToolTip("Value out of range, 0.1..10");
    const std::string label = row->LabelText();
    EXPECT_FALSE(page->WriteParameter());
    b.Settle();
    EXPECT_TRUE(b.Logged(true).empty());
    ASSERT_EQ(b.prompt->messages.size(), 1u);
    EXPECT_EQ(b.prompt->messages[0], "The parameters could not be written to the device. " + label +
                                         ": Value out of range, 0.1..10");
    EXPECT_EQ(deadband.StatusFlags() & 0x4000, 0x4000);
    // A read is not affected; with the input taken back the write goes.
    EXPECT_TRUE(page->ReadParameter());
    b.Settle();
    deadband.ClearStatusFlag(0x4000);
    b.Clear();
    EXPECT_TRUE(page->WriteParameter());
    b.Settle();
    EXPECT_FALSE(b.Logged(true).empty());
    EXPECT_TRUE(page->PrepareToRelease());
}

TEST(PageTemplate, WriteStoppedByAValueWithoutAWireFormNamesItsRow) {
    PageBench b;
    b.Online();
    auto page = NewPage();
    ASSERT_TRUE(page->Init("7.ctlAddress$", "", b.Dtm()));
    ASSERT_TRUE(page->ReadParameter());
    b.Settle();
    b.Clear();
    // A value that reached the element past its row: Omega has no Windows-1252 code.
    clsDataElement& tag = b.At("PHYS/TAG_DESC");
    tag.SetTransientValue(Variant("TAG \xCE\xA9"));
    ctlParameter* row = RowOf(*page, "PHYS/TAG_DESC");
    ASSERT_TRUE(page->WriteParameter());
    b.Settle();
    EXPECT_EQ(b.Logged(true).count(b.AddressOf("PHYS/TAG_DESC")), 0u);
    EXPECT_EQ(b.Logged(true).count(b.AddressOf("TRANS/1/Act/DEADBAND")), 1u);
    EXPECT_EQ(tag.StatusFlags() & sfInputErrorMask, 0x6000);
    EXPECT_EQ(b.prompt->messages,
              (std::vector<std::string>{"The parameters could not be written to the device. " +
                                        row->LabelText() + ": Invalid input"}));
    b.expectCleanLogs = false;  // the refused value is logged
    EXPECT_TRUE(page->PrepareToRelease());
}

TEST(PageTemplate, LockedDataSetOpensThePageReadOnly) {
    PageBench b;
    b.Gui().SetLocked(true);
    auto page = NewPage();
    ASSERT_TRUE(page->Init("7.ctlAddress$", "", b.Dtm()));
    for (ctlParameter* row : page->Rows())
        EXPECT_FALSE(row->EditEnabled()) << row->ParameterTag();
    b.Gui().SetLocked(false);
    for (ctlParameter* row : page->Rows())
        EXPECT_TRUE(row->EditEnabled()) << row->ParameterTag();
    EXPECT_TRUE(page->PrepareToRelease());
}

// --- read, write and progress ---

TEST(PageTemplate, ReadAndWriteRunAsOneProcessReportedUnderTheTitle) {
    PageBench b;
    b.Online();
    auto page = NewPage();
    ASSERT_TRUE(page->Init("7.ctlAddress$", "", b.Dtm()));
    ASSERT_TRUE(page->ReadParameter());
    b.Settle();
    // One request per element or record: DEADBAND, PV_SCALE (for both of its rows), TAG_DESC.
    const std::map<pagetest::Address, int> reads = {
        {b.AddressOf("TRANS/1/Act/DEADBAND"), 1},
        {b.AddressOf("FUNC/1/AO/PV_SCALE/"), 1},
        {b.AddressOf("PHYS/TAG_DESC"), 1},
    };
    EXPECT_EQ(b.Logged(false), reads);
    const std::vector<std::string> progress = b.Progress();
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back(), "Bus address 100 end");
    EXPECT_NE(std::find(progress.begin(), progress.end(), "Bus address 33"), progress.end());

    b.Clear();
    ASSERT_TRUE(page->WriteParameter());
    b.Settle();
    EXPECT_EQ(b.Logged(true), reads);
    EXPECT_EQ(b.Progress().back(), "Bus address 100 end");
    EXPECT_TRUE(page->PrepareToRelease());
}

TEST(PageTemplate, AFailedReadOrWriteIsToldAndTheRowsKeepTheirValues) {
    PageBench b;
    b.Online();
    auto page = NewPage();
    ASSERT_TRUE(page->Init("7.ctlAddress$", "", b.Dtm()));
    ASSERT_TRUE(page->ReadParameter());
    b.Settle();
    ASSERT_TRUE(b.prompt->messages.empty());
    // PV_SCALE's answer comes one byte short: the read fails, the members keep their values.
    clsDataElement& upper = b.At("FUNC/1/AO/PV_SCALE/Up_Val");
    const Variant before = upper.DeviceValue();
    std::vector<uint8_t> scale = b.device->Record(1, 27);
    scale[0] ^= 0x01;
    ASSERT_TRUE(b.device->SetRecord(1, 27, scale));
    b.device->InjectFault(1, 27, SimFault{.shortLength = 10, .times = 1});
    ASSERT_TRUE(page->ReadParameter());
    b.Settle();
    EXPECT_EQ(b.prompt->messages,
              (std::vector<std::string>{"The parameters could not be read from the device."}));
    EXPECT_TRUE(upper.DeviceValue() == before);
    EXPECT_EQ(upper.StatusFlags() & sfDpv1ErrorMask, 0x500000);
    EXPECT_EQ(b.At("TRANS/1/Act/DEADBAND").StatusFlags() & sfDpv1ErrorMask, 0);

    // A write that the device refuses is told the same way.
    b.Clear();
    b.device->SetWriteLocked(true);
    ASSERT_TRUE(page->WriteParameter());
    b.Settle();
    EXPECT_EQ(b.prompt->messages,
              (std::vector<std::string>{"The parameters could not be written to the device."}));

    // Without the connection both say so.
    b.Clear();
    ASSERT_TRUE(b.session->Disconnect());
    EXPECT_FALSE(page->ReadParameter());
    EXPECT_FALSE(page->WriteParameter());
    EXPECT_EQ(b.prompt->messages,
              (std::vector<std::string>{
                  "The parameters cannot be read: the device is not connected.",
                  "The parameters cannot be written: the device is not connected."}));
    EXPECT_TRUE(page->PrepareToRelease());
}

TEST(PageTemplate, ProcessEndEndsTheProgressDisplayWhateverItsId) {
    PageBench b;
    auto page = NewPage();
    ASSERT_TRUE(page->Init("7.ctlAddress$", "", b.Dtm()));
    page->OnProcessFinished("", false);
    page->OnProcessFinished("someone else's", true);
    page->OnProcessProgress("x", 40);
    EXPECT_EQ(b.Progress(), (std::vector<std::string>{"Bus address 100 end", "Bus address 100 end",
                                                      "Bus address 40"}));
    EXPECT_TRUE(page->PrepareToRelease());
}

TEST(PageTemplate, ReadOnlyPageRefusesTheWrite) {
    PageBench b;
    b.Online();
    auto page = NewPage(PageForm::Single, 1);
    ASSERT_TRUE(page->Init("7.ctlAddress$", "", b.Dtm()));
    EXPECT_EQ(page->ReadWriteSaveLoadOption(), 1);
    EXPECT_FALSE(page->WriteParameter());
    b.Settle();
    EXPECT_TRUE(b.device->Log().empty());
    EXPECT_TRUE(b.prompt->messages.empty());
    EXPECT_TRUE(page->ReadParameter());
    b.Settle();
    EXPECT_TRUE(page->PrepareToRelease());
}

// --- language, captions, forwards ---

TEST(PageTemplate, LanguageSetsTheCaptionsOfTheCaptionedControls) {
    PageBench b;
    auto page = NewPage();
    EXPECT_EQ(Caption(*page, "sepTitle"), "Title");
    EXPECT_EQ(Caption(*page, "cmdSet"), "Set");
    ASSERT_TRUE(page->Init("7.ctlAddress$", "", b.Dtm()));
    EXPECT_EQ(Caption(*page, "sepTitle"), "Bus address");
    EXPECT_EQ(page->TitleText(), "Bus address");
    EXPECT_EQ(Caption(*page, "lblWarn").rfind("Set changes the address", 0), 0u);
    ASSERT_TRUE(b.Dtm()->SetLanguage(langGerman));
    EXPECT_EQ(Caption(*page, "sepTitle"), "Busadresse");
    EXPECT_EQ(Caption(*page, "cmdSet"), "Übernehmen");
    // The rows take their labels from their elements, in the new language too.
    EXPECT_EQ(RowOf(*page, "PHYS/TAG_DESC")->LabelText(), b.At("PHYS/TAG_DESC").Label.str());
    ASSERT_TRUE(b.Dtm()->SetLanguage(langEnglish));
    EXPECT_EQ(Caption(*page, "sepTitle"), "Bus address");
    EXPECT_TRUE(page->PrepareToRelease());
}

TEST(PageTemplate, LocaleChangeAppliesTheLanguageOnlyWhileInitialised) {
    PageBench b;
    auto page = NewPage();
    page->setLocale(QLocale(QLocale::German));
    EXPECT_EQ(Caption(*page, "sepTitle"), "Title");
    EXPECT_TRUE(page->links->calls.empty());
    ASSERT_TRUE(page->Init("7.ctlAddress$", "", b.Dtm()));
    page->links->calls.clear();
    QEvent other(QEvent::FontChange);
    QCoreApplication::sendEvent(page.get(), &other);
    EXPECT_EQ(page->links->Count("language"), 0u);
    page->setLocale(QLocale(QLocale::English));
    EXPECT_EQ(page->links->Count("language"), 4u);
    EXPECT_TRUE(page->PrepareToRelease());
    page->links->calls.clear();
    page->setLocale(QLocale(QLocale::German));
    EXPECT_TRUE(page->links->calls.empty());
}

TEST(PageTemplate, GuiListNotificationsReachTheRows) {
    PageBench b;
    auto page = NewPage();
    ASSERT_TRUE(page->Init("7.ctlAddress$", "", b.Dtm()));
    page->links->calls.clear();
    clsDataElement& tag = b.At("PHYS/TAG_DESC");
    tag.SetTransientValue(Variant("VALVE-7"));
    b.Ctx().Parameters().ElementChanged(tag, "");
    EXPECT_EQ(page->links->calls, std::vector<std::string>{"update PHYS/TAG_DESC"});
    EXPECT_EQ(RowOf(*page, "PHYS/TAG_DESC")->Value().toString(), "VALVE-7");
    page->links->calls.clear();
    b.Gui().ValidateAll();
    EXPECT_EQ(page->links->Count("validate PHYS/TAG_DESC"), 1u);
    b.Gui().ParameterSetChanged();
    EXPECT_EQ(page->links->Count("update TRANS/1/Act/DEADBAND"), 1u);
    EXPECT_TRUE(page->PrepareToRelease());
}

// --- user-control events ---

TEST(PageTemplate, FirstResizeMovesNothingLaterOnesKeepTheRightMargin) {
    auto page = NewPage();
    ctlParameter* row = RowOf(*page, "PHYS/TAG_DESC");
    QWidget* help = page->Control("ctlParamHelp1");
    QWidget* label = page->Control("lblWarn");
    const QRect designRow = row->geometry();
    EXPECT_EQ(designRow, TwipsRect(120, 1440, 6015, 315, page.get()));
    EXPECT_EQ(page->size(), page->DesignSize());
    const int margin = page->width() - designRow.right() - 1;
    const QRect helpAt = help->geometry();
    const QRect labelAt = label->geometry();
    page->resize(page->width() + 200, page->height() + 50);
    page->Resized();
    EXPECT_EQ(row->geometry(),
              QRect(designRow.topLeft(), QSize(designRow.width() + 200, designRow.height())));
    EXPECT_EQ(page->width() - row->geometry().right() - 1, margin);
    EXPECT_EQ(page->Title()->width(), TwipsToPixels(6015, page.get()) + 200);
    EXPECT_EQ(help->geometry(), helpAt);
    EXPECT_EQ(label->geometry(), labelAt);
}

TEST(PageTemplate, ShowHideAndDestructionReachTheGuiList) {
    PageBench b;
    {
        HostedPage hosted(NewPage());
        PageBase& page = *hosted.page;
        ASSERT_TRUE(page.Init("7.ctlAddress$", "", b.Dtm()));
        page.hide();
        EXPECT_FALSE(b.Gui().IsShown("7.ctlAddress$"));
        page.show();
        EXPECT_TRUE(b.Gui().IsShown("7.ctlAddress$"));
        // Destroyed without release: it leaves the GUI list.
    }
    EXPECT_TRUE(b.Gui().FunctionIds().empty());
}

TEST(PageTemplate, HelpPaneIsTheHelpOfTheRows) {
    auto page = NewPage();
    ctlParameter* row = RowOf(*page, "PHYS/TAG_DESC");
    EXPECT_EQ(row->ParamHelpCtl(), page->GetParamHelpCtl());
    EXPECT_NE(page->GetParamHelpCtl(), nullptr);
}

}  // namespace
}  // namespace kv
