#include "ui/onlinepages/ArchivePage.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "core/DictionaryLookup.h"
#include "core/ProjectHelpers.h"
#include "core/clsDataElement.h"
#include "platform/controls/Archive.h"
#include "platform/controls/ArchiveCurve.h"
#include "platform/controls/widgets/Trend.h"
#include "platform/controls/widgets/Twips.h"
#include "platform/controls/widgets/ctlParamHelp.h"
#include "platform/controls/widgets/ctlParamSite.h"
#include "platform/controls/widgets/ctlParameter.h"
#include "platform/runtime/ElementPath.h"
#include "platform/runtime/EntryGuard.h"
#include "platform/runtime/IDTMContext.h"
#include "platform/runtime/IDTMDictionary.h"
#include "platform/runtime/IGUIManager.h"
#include "platform/runtime/IParameters.h"
#include "platform/runtime/IStateObject.h"
#include "ui/framework/widgets/ctlCycle.h"
#include "value/Variant.h"

namespace kv {

namespace {

// Room between the rows, the cycle switch and the archive control.
constexpr int kCycleGapTwips = 60;
// The curves always show block 1, whatever the page's block number ("%d").
constexpr int16_t kCurveBlock = 1;
// The Analog Output block's prefix.
const char* const kAoPrefix = "FUNC/%d/AO/";
const char* const kScaleUpper = "FUNC/%d/AO/PV_SCALE/Up_Val";
const char* const kScaleLower = "FUNC/%d/AO/PV_SCALE/Lo_Val";

// One curve of the page: its element, its colour (curve and Y scale, a Windows colour value),
// its value ranges (the PV_SCALE elements, or fixed numbers) and the records read for it.
struct CurveDesign {
    const char* element;
    int32_t color;
    bool pvScale;
    double max, min;
    std::vector<const char*> records;
};

const std::vector<CurveDesign>& Curves() {
    static const std::vector<CurveDesign> curves = {
        {"FUNC/%d/AO/SP/Value", 0xFF0000, true, 0, 0, {"FUNC/%d/AO/SP/", "FUNC/%d/AO/PV_SCALE/"}},
        {"FUNC/%d/AO/READBACK/Value",
         0x008000,
         true,
         0,
         0,
         {"FUNC/%d/AO/READBACK/", "FUNC/%d/AO/PV_SCALE/"}},
        {"FUNC/%d/AO/CHECK_BACK/CB_CONTR_ERR",
         0x800080,
         false,
         7.5,
         -1.5,
         {"FUNC/%d/AO/CHECK_BACK/"}},
        {"PHYS/DIAGNOSIS/DIA_ZERO_ERR", 0x0000FF, false, 9.0, 0.0, {"PHYS/DIAGNOSIS/"}},
    };
    return curves;
}

// The chart's settings that its dialog would offer: no scale positions, docking or colour
// choices, and a fixed font.
const char* const kChartDialogSettings[] = {
    "DlgScalePositions", "DockingScales",  "DlgBackColor",   "DlgForeColor",
    "DlgTrendBackColor", "DlgDWBackColor", "DlgOVBackColor", "DlgOVRangeColor",
};

std::string CurvePath(const char* path) {
    return WithBlockNumber(path, kCurveBlock);
}

// The dictionary's text of a key as it stands, without falling back to the key.
std::string DictionaryText(IDTMContext& context, const std::string& key) {
    const Variant text = context.Dictionary().GetText("keys", key, "text");
    return text.isString() ? text.str() : std::string();
}

// The unit an element's device value is in (the unit the device sent it in), with the text of
// the unit table ("#" and the code where the table has none).
ArchiveUnitSource DeviceUnitSource(std::weak_ptr<IDTMContext> weak) {
    return [weak](const IPrivateDataElement& element) {
        ArchiveUnit unit;
        const auto* data = dynamic_cast<const clsDataElement*>(&element);
        if (data == nullptr)
            return unit;
        unit.code = data->nDeviceUnit;
        if (unit.code == 0)
            return unit;
        if (std::shared_ptr<IDTMContext> context = weak.lock())
            unit.text = UnitText(*context, unit.code);
        else
            unit.text = "#" + std::to_string(unit.code);
        return unit;
    };
}

}  // namespace

ArchivePage::ArchivePage(const PageDesign& design, QWidget* parent)
    : CyclicDisplayPage(design, parent) {}

ArchivePage::~ArchivePage() = default;

QWidget* ArchivePage::CreateChild(const ChildDesign& child, QWidget* parent) {
    const QPointer<ArchivePage> self(this);
    switch (child.kind) {
        case ChildKind::Archive: {
            auto* archive = new ctlDTMArchive(parent);
            for (const DesignProperty& p : child.props) {
                if (!archive->SetDesignerProperty(p.key, p.value))
                    RecordDesignFault(child, "takes no designer property " + p.key);
            }
            if (archive_.isNull())
                archive_ = archive;
            connect(archive, &ctlDTMArchive::CyclicRefreshChanged, this, [self](int16_t state) {
                if (self)
                    self->OnArchiveSwitched(state);
            });
            return archive;
        }
        case ChildKind::Cycle: {
            QWidget* made = CyclicDisplayPage::CreateChild(child, parent);
            // Connected after the cycle add-ons' handlers, so that these run after them.
            if (auto* cycle = qobject_cast<ctlCycle*>(made)) {
                connect(cycle, &ctlCycle::Click, this, [self] {
                    if (self)
                        self->OnCycleClick();
                });
                connect(cycle, &ctlCycle::OnAddRequests, this, [self](ITransactionGroup&) {
                    if (self)
                        self->OnCycleStarted();
                });
            }
            return made;
        }
        default:
            return CyclicDisplayPage::CreateChild(child, parent);
    }
}

void ArchivePage::PlaceCycleAboveArchive() {
    ctlCycle* cycle = Cycle();
    if (cycle == nullptr || archive_.isNull())
        return;
    int rowsBottom = -1;
    for (ctlParameter* row : Rows()) {
        if (row->parentWidget() == this)
            rowsBottom = std::max(rowsBottom, row->geometry().bottom());
    }
    const int gap = TwipsToPixels(kCycleGapTwips, this);
    cycle->move(cycle->x(), rowsBottom + 1 + gap);
    MakeRoomBelow(*this, cycle->y(), cycle->geometry().bottom() + 1 + gap - archive_->y());
}

// --- Init and release ---

void ArchivePage::InitRegistered(const std::string& functionCall) {
    InitPage();
    if (Design().form == PageForm::Composite)
        InitChildPages(functionCall);
}

void ArchivePage::InitPage() {
    std::shared_ptr<IDTMContext> context = GetDtmContext();
    if (!context)
        throw std::logic_error("the page holds no DTM object");
    if (Site() == nullptr || archive_.isNull() || Cycle() == nullptr)
        throw std::logic_error(Name() + " lacks its binding site, archive or cycle control");
    ConfigureArchive(*context);
    Site()->Init(*context, GUIFunctionCall(), NewParamLinkPrototype(LinkFields()));
    AfterSiteInit();
    EnableEdit(!context->GUIManager().Locked());
    ApplyLanguage(context->GUIManager().Language());
    OnParameterSetChanged();
    if (Help() != nullptr)
        Help()->raise();
}

void ArchivePage::ConfigureArchive(IDTMContext& context) {
    auto* holder = dynamic_cast<IArchiveHolder*>(context.StateObject());
    std::shared_ptr<IArchive> archive = holder != nullptr ? holder->ArchiveObject() : nullptr;
    if (!archive)
        throw std::runtime_error("the instance holds no archive object");
    const bool first = archive->CheckCurveEnabled() == -1;
    if (first)
        archive->SetCheckCurveEnabled(0);

    IParameters& parameters = context.Parameters();
    kv::Trend& trend = *archive_->Trend();
    ArchiveCurves curves;
    const int16_t count = Variant(archive_->CurveCount()).toInteger();
    for (int16_t i = 1; i <= count; ++i) {
        auto curve = std::make_shared<ArchiveCurve>();
        if (static_cast<size_t>(i) <= Curves().size()) {
            const CurveDesign& design = Curves()[static_cast<size_t>(i - 1)];
            const int32_t index = i - 1;
            curve->SetDataElement(parameters.Item(CurvePath(design.element)));
            curve->SetScaleIndex(index);
            curve->SetEnabled(true);
            trend.SetCurveColor(index, design.color);
            trend.SetYScForeColor(index, design.color);
            trend.SetCurveSymbol(index, -1);
            if (design.pvScale) {
                IPrivateDataElement* upper = parameters.Item(CurvePath(kScaleUpper));
                IPrivateDataElement* lower = parameters.Item(CurvePath(kScaleLower));
                curve->SetScaleMaxElement(upper);
                curve->SetScaleMinElement(lower);
                curve->SetActMaxElement(upper);
                curve->SetActMinElement(lower);
            } else {
                curve->SetFixedRanges(design.max, design.min, design.max, design.min);
            }
            // A record the data set lacks is not registered.
            for (const char* record : design.records)
                curve->RecordElements().Add(parameters.Item(CurvePath(record)), "");
        }
        if (curve->DataElement() == nullptr)
            continue;  // a curve without an element is left out
        const std::string path = curve->DataElement()->Name();
        if (const clsDataElement* element = AsDataElement(parameters.Item(path)))
            curve->SetValueFormat(element->ValueFormat);
        curve->SetIndex(static_cast<int16_t>(i - 1));
        if (first && curve->Enabled())
            archive->SetCheckCurveEnabled(archive->CheckCurveEnabled() | (1 << (i - 1)));
        curves.Add(curve, path);
    }
    for (const char* setting : kChartDialogSettings)
        trend.SetProperty(setting, Variant(false));
    trend.SetProperty("FixedFont", Variant(true));
    archive_->SetDisplayOptionA(false);
    archive_->SetDisplayOptionB(false);
    archive_->SetUnitSource(DeviceUnitSource(GetDtmContext()));
    archive_->Configure(context, curves, archive);
    // ctlCycle1's designer interval until the navigation control sets another.
    archive_->SetCycleTime(Cycle()->Interval());
}

bool ArchivePage::QueryRelease() {
    startWithCycle_ = false;
    if (archive_)
        archive_->Release();
    return CyclicDisplayPage::QueryRelease();
}

void ArchivePage::RollBackInitPage() {
    startWithCycle_ = false;
    // The archive control goes with the page: a release that fails is only recorded.
    if (archive_)
        Guarded(Log(), "ArchivePage::RollBackInitPage", [&] { archive_->Release(); });
    CyclicDisplayPage::RollBackInitPage();
}

// --- forwards ---

void ArchivePage::ApplyLanguage(int32_t languageId) {
    CyclicDisplayPage::ApplyLanguage(languageId);
    ApplyArchiveTexts(nullptr);
    // The chart and the panel show numbers as the rows do, in the language's form.
    if (const std::shared_ptr<IDTMContext> context = GetDtmContext())
        archive_->SetNumberLocale(LanguageNumberLocale(*context));
    archive_->SetLanguage(languageId);
}

void ArchivePage::OnParameterChanged(IPrivateDataElement& element) {
    CyclicDisplayPage::OnParameterChanged(element);
    ApplyArchiveTexts(&element);
    archive_->ParameterChanged(element);
}

void ArchivePage::OnParameterSetChanged() {
    CyclicDisplayPage::OnParameterSetChanged();
    ApplyArchiveTexts(nullptr);
    archive_->ParameterSetChanged();
}

void ArchivePage::EnableEdit(bool enabled) {
    CyclicDisplayPage::EnableEdit(enabled);
    archive_->EnableEdit(enabled);
}

void ArchivePage::ApplyArchiveTexts(IPrivateDataElement* element) {
    std::shared_ptr<IDTMContext> context = GetDtmContext();
    if (!context)
        return;
    IParameters& parameters = context->Parameters();
    const std::string setpoint = CurvePath(kAoPrefix) + "SP/Value";
    const std::string readback = CurvePath(kAoPrefix) + "READBACK/Value";
    const ArchiveCurves& curves = archive_->Curves();
    for (size_t i = 0; i < curves.Count(); ++i) {
        IArchiveCurve& curve = curves.Item(i);
        const std::string& path = curve.DataElementPath();
        clsDataElement* current = AsDataElement(parameters.Item(path));
        if (current == nullptr || (element != nullptr && element != current))
            continue;
        if (path == setpoint)
            curve.SetCaption(DictionaryText(*context, "ctlMeasVal_sepSetpoint"));
        else if (path == readback)
            curve.SetCaption(DictionaryText(*context, "ctlMeasVal_sepReadback"));
        else
            curve.SetCaption(current->Label.str());
        // The unit of the samples: the device's.
        curve.SetUnitText(DeviceOrDataSetUnit(*context, *current));
        if (element == nullptr && curve.ScaleIndex() < 2) {
            const int32_t scale = curve.ScaleIndex();
            archive_->Trend()->YScSetPosition(scale, 0, scale, 0, 100, true);
        }
    }
}

// --- the cycle coupling ---

void ArchivePage::SetCyclicRefresh(int16_t value) {
    CyclicDisplayPage::SetCyclicRefresh(value);
    ctlCycle* cycle = Cycle();
    if (archive_.isNull() || cycle == nullptr)
        return;
    if (value == 1 && cycle->Value() == 1) {
        if (cycle->TimerRunning()) {
            startWithCycle_ = false;
            archive_->StartCycle();
        } else {
            // The switch-on is still on its way (this call came from inside it, or a read of
            // the previous cycle still runs): the recording starts when ctlCycle1 does.
            startWithCycle_ = true;
        }
    } else {
        startWithCycle_ = false;
        archive_->StopCycle();
    }
}

void ArchivePage::SetCycleTime(int32_t milliseconds) {
    CyclicDisplayPage::SetCycleTime(milliseconds);
    // The recording runs with ctlCycle1's period (the same value, unless it was below what
    // ctlCycle1 takes).
    if (archive_ && Cycle() != nullptr)
        archive_->SetCycleTime(Cycle()->Interval());
}

void ArchivePage::OnCycleClick() {
    ctlCycle* cycle = Cycle();
    if (archive_.isNull() || cycle == nullptr || cycle->Value() != 0)
        return;
    // ctlCycle1 went off, also by itself (no connection, a read that could not start).
    startWithCycle_ = false;
    Guarded(Log(), "ctlArchive.ctlCycle1_Click", [&] { archive_->StopCycle(); });
}

void ArchivePage::OnCycleStarted() {
    if (!startWithCycle_ || archive_.isNull())
        return;
    startWithCycle_ = false;
    Guarded(Log(), "ctlArchive.ctlCycle1_OnAddRequests", [&] { archive_->StartCycle(); });
}

void ArchivePage::OnArchiveSwitched(int16_t state) {
    // Every failure is ignored: only the navigation control's switch does not follow.
    Guarded(Log(), "ctlArchive.ctlDTMArchive_CyclicRefreshChanged",
            [&] { MirrorCycleSwitch(state); });
}

}  // namespace kv
