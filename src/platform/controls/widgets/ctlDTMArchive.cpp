#include "platform/controls/widgets/ctlDTMArchive.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/controls/widgets/LastResort.h"
#include "platform/controls/widgets/QtText.h"
#include "platform/controls/widgets/Trend.h"
#include "platform/controls/widgets/Twips.h"
#include "platform/runtime/IDTMContext.h"
#include "platform/runtime/IPrivateDataElement.h"
#include "value/Text.h"

namespace kv {

namespace {

// The span the chart follows: this many recording periods.
constexpr int64_t kFollowPeriods = 120;

}  // namespace

ctlDTMArchive::ctlDTMArchive(QWidget* parent)
    : QWidget(parent), recorder_(std::make_unique<ArchiveRecorder>()) {
    layout_ = new QBoxLayout(QBoxLayout::LeftToRight, this);
    layout_->setContentsMargins(0, 0, 0, 0);
    layout_->setSpacing(6);
    trend_ = new kv::Trend(this);
    trend_->setObjectName(QStringLiteral("trend"));
    layout_->addWidget(trend_, 1);

    panel_ = new QWidget(this);
    panel_->setObjectName(QStringLiteral("archivePanel"));
    auto* panelLayout = new QVBoxLayout(panel_);
    panelLayout->setContentsMargins(0, 4, 4, 4);
    recordSwitch_ = new QCheckBox(panel_);
    recordSwitch_->setObjectName(QStringLiteral("recordSwitch"));
    panelLayout->addWidget(recordSwitch_);
    cycleFrame_ = new QLabel(panel_);
    cycleFrame_->setObjectName(QStringLiteral("cycleFrame"));
    panelLayout->addWidget(cycleFrame_);
    rowsLayout_ = new QVBoxLayout();
    rowsLayout_->setSpacing(6);
    panelLayout->addLayout(rowsLayout_);
    panelLayout->addStretch(1);
    problems_ = new QLabel(panel_);
    problems_->setObjectName(QStringLiteral("problemText"));
    problems_->setWordWrap(true);
    QPalette warning = problems_->palette();
    warning.setColor(QPalette::WindowText, QColor(0xC0, 0, 0));
    problems_->setPalette(warning);
    problems_->hide();
    panelLayout->addWidget(problems_);
    layout_->addWidget(panel_);
    panel_->setFixedWidth(PanelWidth());

    connect(recordSwitch_, &QCheckBox::clicked, this, [this](bool on) { OnRecordClicked(on); });
    QPointer<ctlDTMArchive> self(this);
    recorder_->SetOnSamples([self] {
        if (self)
            self->OnSamples();
    });
    RefreshTexts();
}

ctlDTMArchive::~ctlDTMArchive() = default;

int32_t ctlDTMArchive::CycleTime() const {
    return recorder_->CycleTime();
}

void ctlDTMArchive::SetCycleTime(int32_t ms) {
    if (released_)
        return;
    recorder_->SetCycleTime(ms);
    trend_->SetFollowSpan(kFollowPeriods * ms);
    RefreshTexts();
}

const ArchiveCurves& ctlDTMArchive::Curves() const {
    return recorder_->Curves();
}

void ctlDTMArchive::SetDisplayOptionA(bool on) {
    if (released_)
        return;
    displayOptionA_ = on;
    trend_->SetShowDates(on);
}

void ctlDTMArchive::SetDisplayOptionB(bool on) {
    if (released_)
        return;
    displayOptionB_ = on;
    trend_->SetKeepRange(on);
}

void ctlDTMArchive::Configure(IDTMContext& context, const ArchiveCurves& curves,
                              std::shared_ptr<IArchive> archive) {
    if (released_)
        return;
    std::vector<std::string> problems;
    if (archive)
        problems = archive->LoadProblems();
    recorder_->Configure(context, curves, std::move(archive));
    ranges_.assign(Curves().Count(), ArchiveRanges{});
    RefreshRanges("");
    BuildRows();
    QString text;
    for (const std::string& p : problems)
        text += (text.isEmpty() ? QString() : QStringLiteral("\n")) + ToQString(p);
    problems_->setText(text);
    problems_->setVisible(!text.isEmpty());
    RefreshChart();
    trend_->FollowNewest();
    RefreshPanel();
    recordSwitch_->setChecked(Recording());
}

void ctlDTMArchive::SetUnitSource(ArchiveUnitSource source) {
    if (!released_)
        recorder_->SetUnitSource(std::move(source));
}

void ctlDTMArchive::SetLanguage(int32_t languageId) {
    if (released_)
        return;
    german_ = (languageId & 0x3FF) == 7;
    RefreshTexts();
    // The curves' captions and units may have been renewed for the language.
    RefreshChart();
}

void ctlDTMArchive::SetNumberLocale(const NumberLocale& locale) {
    if (released_)
        return;
    locale_ = locale;
    trend_->SetNumberLocale(locale);
    RefreshPanel();
}

void ctlDTMArchive::Release() {
    if (released_)
        return;
    recorder_->Release();
    released_ = true;
    ranges_.clear();
    trend_->SetCurves({});
    recordSwitch_->setChecked(false);
    recordSwitch_->setEnabled(false);
    for (const Row& row : rows_)
        row.enable->setEnabled(false);
}

void ctlDTMArchive::ParameterChanged(IPrivateDataElement& element) {
    if (released_)
        return;
    if (updateActRanges_)
        RefreshRanges(element.Name());
    RefreshChart();
    RefreshPanel();
}

void ctlDTMArchive::ParameterSetChanged() {
    if (released_)
        return;
    if (updateActRanges_)
        RefreshRanges("");
    RefreshChart();
    RefreshPanel();
}

void ctlDTMArchive::EnableEdit(bool enabled) {
    if (released_)
        return;
    editEnabled_ = enabled;
    RefreshPanel();
}

void ctlDTMArchive::StartCycle() {
    if (released_)
        return;
    recorder_->Start();
    recordSwitch_->setChecked(Recording());
}

void ctlDTMArchive::StopCycle() {
    if (released_)
        return;
    recorder_->Stop();
    recordSwitch_->setChecked(false);
}

bool ctlDTMArchive::Recording() const {
    return recorder_->Recording();
}

bool ctlDTMArchive::SetDesignerProperty(const std::string& name, const Variant& value) {
    if (released_)
        return false;
    const std::string key = ToLowerAscii(name);
    if (key == "minheight" || key == "minwidth") {
        const std::optional<double> twips = value.tryDouble();
        if (!twips || !(*twips >= 0))
            return false;
        if (key == "minheight") {
            minHeightTwips_ = *twips;
            setMinimumHeight(TwipsToPixels(*twips, this));
        } else {
            minWidthTwips_ = *twips;
            setMinimumWidth(TwipsToPixels(*twips, this));
        }
    } else if (key == "curvecount") {
        const std::optional<int32_t> count = value.tryLong();
        if (!count || *count < 0)
            return false;
        curveCount_ = *count;
    } else if (key == "updateactranges") {
        const std::optional<bool> on = value.tryBool();
        if (!on)
            return false;
        updateActRanges_ = *on;
    } else if (key == "propcolwidth") {
        const std::optional<double> twips = value.tryDouble();
        if (!twips || !(*twips >= 0))
            return false;
        panelWidthTwips_ = *twips;
        PlacePanel();
    } else if (key == "cycletime") {
        const std::optional<int32_t> ms = value.tryLong();
        if (!ms || *ms < 1)
            return false;
        SetCycleTime(*ms);
    } else if (key == "cycleframevisible") {
        const std::optional<bool> visible = value.tryBool();
        if (!visible)
            return false;
        cycleFrameVisible_ = *visible;
        cycleFrame_->setVisible(cycleFrameVisible_);
    } else {
        return false;
    }
    return true;
}

Variant ctlDTMArchive::DesignerProperty(const std::string& name) const {
    const std::string key = ToLowerAscii(name);
    if (key == "minheight")
        return Variant(minHeightTwips_);
    if (key == "minwidth")
        return Variant(minWidthTwips_);
    if (key == "curvecount")
        return Variant(curveCount_);
    if (key == "updateactranges")
        return Variant(updateActRanges_);
    if (key == "propcolwidth")
        return Variant(panelWidthTwips_);
    if (key == "cycletime")
        return Variant(CycleTime());
    if (key == "cycleframevisible")
        return Variant(cycleFrameVisible_);
    return Variant();
}

// --- geometry ---

int ctlDTMArchive::PanelWidth() const {
    return TwipsToPixels(panelWidthTwips_, this);
}

bool ctlDTMArchive::PanelBeside() const {
    return layout_->direction() == QBoxLayout::LeftToRight;
}

QSize ctlDTMArchive::minimumSizeHint() const {
    // The height the layout needs in the form it has now.
    const QSize layout = QWidget::minimumSizeHint();
    return {std::max(trend_->minimumSizeHint().width(), PanelWidth()), layout.height()};
}

void ctlDTMArchive::PlacePanel() {
    const bool beside =
        width() >= trend_->minimumSizeHint().width() + layout_->spacing() + PanelWidth();
    if (beside) {
        panel_->setFixedWidth(PanelWidth());
    } else {
        panel_->setMinimumWidth(0);
        panel_->setMaximumWidth(QWIDGETSIZE_MAX);
    }
    if (beside != PanelBeside()) {
        layout_->setDirection(beside ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom);
        layout_->activate();
        updateGeometry();
    }
}

bool ctlDTMArchive::event(QEvent* event) {
    // The chart's least size changed (its scales): the panel may have to move.
    if (event->type() == QEvent::LayoutRequest)
        CallGuarded("archive layout", [&] { PlacePanel(); });
    return QWidget::event(event);
}

void ctlDTMArchive::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    CallGuarded("archive resize", [&] { PlacePanel(); });
}

// --- inner working ---

void ctlDTMArchive::BuildRows() {
    for (Row& row : rows_) {
        if (row.enable)
            delete row.enable->parentWidget();
    }
    rows_.clear();
    const ArchiveCurves& curves = Curves();
    for (size_t i = 0; i < curves.Count(); ++i) {
        auto* box = new QWidget(panel_);
        auto* grid = new QGridLayout(box);
        grid->setContentsMargins(0, 0, 0, 0);
        grid->setHorizontalSpacing(4);
        grid->setVerticalSpacing(1);
        Row row;
        row.swatch = new QLabel(box);
        row.swatch->setFixedSize(10, 10);
        row.swatch->setAutoFillBackground(true);
        row.enable = new QCheckBox(box);
        row.enable->setObjectName(QStringLiteral("curveSwitch%1").arg(i));
        row.caption = new QLabel(box);
        row.caption->setObjectName(QStringLiteral("curveCaption%1").arg(i));
        row.caption->setWordWrap(true);
        row.caption->setBuddy(row.enable);
        row.value = new QLabel(box);
        row.value->setObjectName(QStringLiteral("curveValue%1").arg(i));
        grid->addWidget(row.swatch, 0, 0, Qt::AlignVCenter);
        grid->addWidget(row.enable, 0, 1, Qt::AlignVCenter);
        grid->addWidget(row.caption, 0, 2);
        grid->addWidget(row.value, 1, 2);
        grid->setColumnStretch(2, 1);
        rowsLayout_->addWidget(box);
        connect(row.enable, &QCheckBox::clicked, this,
                [this, i](bool on) { OnCurveClicked(i, on); });
        rows_.push_back(row);
    }
}

void ctlDTMArchive::RefreshRanges(const std::string& changedPath) {
    const ArchiveCurves& curves = Curves();
    for (size_t i = 0; i < curves.Count() && i < ranges_.size(); ++i) {
        const IArchiveCurve& curve = curves.Item(i);
        bool affected = changedPath.empty();
        for (ArchiveRangeEnd end : {areScaleMax, areScaleMin, areActMax, areActMin})
            affected = affected || curve.RangeElementPath(end) == changedPath;
        if (affected)
            ranges_[i] = recorder_->CurrentRanges(curve);
    }
}

void ctlDTMArchive::RefreshChart() {
    std::vector<kv::Trend::Curve> shown;
    const ArchiveCurves& curves = Curves();
    for (size_t i = 0; i < curves.Count(); ++i) {
        const IArchiveCurve& curve = curves.Item(i);
        if (!recorder_->CurveOn(curve))
            continue;
        kv::Trend::Curve c;
        c.index = curve.ScaleIndex();
        c.trace = recorder_->TraceOf(curve);
        c.caption = ToQString(curve.Caption());
        c.unitText = ToQString(curve.UnitText());
        if (c.trace && !c.trace->Empty()) {
            c.unitCode = c.trace->Newest().unitCode;
            if (const std::string* text = c.trace->UnitText(c.unitCode))
                c.unitText = ToQString(*text);
        }
        c.valueFormat = curve.ValueFormat();
        if (i < ranges_.size()) {
            const ArchiveRanges& r = ranges_[i];
            c.scaleMax = r.scaleMax;
            c.scaleMin = r.scaleMin;
            c.actMax = r.actMax;
            c.actMin = r.actMin;
        }
        shown.push_back(c);
    }
    trend_->SetCurves(std::move(shown));
}

void ctlDTMArchive::RefreshPanel() {
    const ArchiveCurves& curves = Curves();
    const QString noValue = german_ ? QStringLiteral("kein Wert") : QStringLiteral("no value");
    for (size_t i = 0; i < rows_.size() && i < curves.Count(); ++i) {
        const IArchiveCurve& curve = curves.Item(i);
        Row& row = rows_[i];
        // The panel is refreshed at every change of a value: a palette is set only when the
        // curve's colour changed (setting one resolves the palette anew).
        const QColor color =
            kv::Trend::WindowsColor(trend_->CurveColor(curve.ScaleIndex()), palette());
        if (color != row.swatchColor) {
            row.swatchColor = color;
            QPalette swatch = row.swatch->palette();
            swatch.setColor(QPalette::Window, color);
            row.swatch->setPalette(swatch);
        }
        row.enable->setChecked(recorder_->CurveOn(curve));
        row.enable->setEnabled(editEnabled_ && curve.Enabled() && !released_);
        const std::string& caption =
            curve.Caption().empty() ? curve.DataElementPath() : curve.Caption();
        row.caption->setText(ToQString(caption));
        QString value = QStringLiteral("\u2013");
        const ArchiveTrace* trace = recorder_->TraceOf(curve);
        if (trace && !trace->Empty()) {
            const ArchiveSample& s = trace->Newest();
            if (s.Valid()) {
                value = kv::Trend::FormatValue(s.value, curve.ValueFormat(), locale_);
                const std::string* unit = trace->UnitText(s.unitCode);
                const std::string& unitText = unit ? *unit : curve.UnitText();
                if (!unitText.empty())
                    value += QLatin1Char(' ') + ToQString(unitText);
            } else {
                value = noValue;
            }
        }
        row.value->setText(value);
    }
}

void ctlDTMArchive::RefreshTexts() {
    recordSwitch_->setText(german_ ? QStringLiteral("Aufzeichnung") : QStringLiteral("Recording"));
    cycleFrame_->setText(
        (german_ ? QStringLiteral("Zykluszeit: %1 ms") : QStringLiteral("Cycle time: %1 ms"))
            .arg(CycleTime()));
    trend_->SetNoValueText(german_ ? QStringLiteral("kein Wert") : QStringLiteral("no value"));
    RefreshPanel();
}

void ctlDTMArchive::OnSamples() {
    if (released_)
        return;
    RefreshChart();
    trend_->SamplesAdded();
    RefreshPanel();
}

void ctlDTMArchive::OnRecordClicked(bool on) {
    if (released_)
        return;
    // The switch runs the recording itself, so that it records also where no host follows.
    CallGuarded("ctlDTMArchive.recordSwitch_Click", [&] {
        if (on)
            recorder_->Start();
        else
            recorder_->Stop();
    });
    QPointer<ctlDTMArchive> self(this);
    emit CyclicRefreshChanged(static_cast<int16_t>(on ? 1 : 0));
    // The host may have released or dropped the control meanwhile.
    if (self && !self->released_)
        self->recordSwitch_->setChecked(self->Recording());
}

void ctlDTMArchive::OnCurveClicked(size_t index, bool on) {
    if (released_ || !editEnabled_ || index >= Curves().Count())
        return;
    CallGuarded("ctlDTMArchive.curveSwitch_Click", [&] {
        recorder_->SetCurveOn(Curves().Item(index), on);
        RefreshChart();
        RefreshPanel();
    });
}

}  // namespace kv
