#pragma once
// The archive control: the trend chart with a panel beside it that lists the curves (enable
// switch in the curve's colour, caption, newest value with its unit) under the control's own
// recording switch; the panel goes below the chart while the control is too narrow for both
// side by side. While the recording runs (StartCycle to StopCycle) it reads the records of
// the curves that are on every CycleTime milliseconds (ArchiveRecorder) and appends the samples
// to the instance's archive, which the chart shows.
//
// The recording switch starts or stops the recording and raises CyclicRefreshChanged(1 or 0),
// so that the host can switch its own cycle (and the recording through StartCycle / StopCycle)
// to match; the switch then shows whether the recording runs.
// The curve switches set the curves' bits in the archive's CheckCurveEnabled.
//
// DisplayOptionA: the chart's time labels carry their dates. DisplayOptionB: the chart keeps its
// time range when samples arrive instead of following the newest.
//
// Designer properties (SetDesignerProperty): "minheight", "minwidth" (twips), "curvecount",
// "updateactranges" (the value ranges follow changes of their elements; else they are taken at
// Configure), "propcolwidth" (the panel's width in twips), "cycletime" (ms),
// "cycleframevisible" (a line in the panel with the cycle time).
//
// After Release every call does nothing.

#include <QColor>
#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/controls/Archive.h"
#include "platform/controls/ArchiveCurve.h"
#include "platform/controls/ArchiveRecorder.h"
#include "value/Variant.h"

class QBoxLayout;
class QCheckBox;
class QLabel;
class QVBoxLayout;

namespace kv {

class IDTMContext;
class IPrivateDataElement;
class Trend;

class ctlDTMArchive : public QWidget {
    Q_OBJECT

  public:
    explicit ctlDTMArchive(QWidget* parent = nullptr);
    ~ctlDTMArchive() override;

    // The number of curves the host configures (designer "curvecount", 4 until set).
    int32_t CurveCount() const { return curveCount_; }
    // The embedded trend chart.
    kv::Trend* Trend() const { return trend_; }
    // The recording period in ms (designer "cycletime"); throws std::invalid_argument below 1.
    int32_t CycleTime() const;
    void SetCycleTime(int32_t ms);
    // The configured curves, keyed by element path.
    const ArchiveCurves& Curves() const;
    bool DisplayOptionA() const { return displayOptionA_; }
    void SetDisplayOptionA(bool on);
    bool DisplayOptionB() const { return displayOptionB_; }
    void SetDisplayOptionB(bool on);

    // Takes the context, the curves (keyed by element path) and the instance's archive; shows
    // the archive's load problems in the panel. A running recording stops.
    void Configure(IDTMContext& context, const ArchiveCurves& curves,
                   std::shared_ptr<IArchive> archive);
    // The unit of the recorded elements (the runtime's element interface does not carry it);
    // without one every sample is taken in unit 0.
    void SetUnitSource(ArchiveUnitSource source);
    // The control's own texts in the language (German for the primary language 7, else
    // English).
    void SetLanguage(int32_t languageId);
    // The decimal separator of the numbers in the panel and the chart: the host's, the one its
    // rows show (a point until set).
    void SetNumberLocale(const NumberLocale& locale);
    void Release();
    bool Released() const { return released_; }
    // Renews the value ranges of the curves whose range elements changed (with
    // "updateactranges") and the panel's texts.
    void ParameterChanged(IPrivateDataElement& element);
    void ParameterSetChanged();
    // Whether the user may switch curves on and off.
    void EnableEdit(bool enabled);
    void StartCycle();
    void StopCycle();
    bool Recording() const;

    // Whether the panel stands beside the chart (else below it).
    bool PanelBeside() const;
    // As narrow as the chart or the panel with the panel below the chart.
    QSize minimumSizeHint() const override;

    // Designer properties by name (case ignored). False for an unknown name or a value that
    // does not convert.
    bool SetDesignerProperty(const std::string& name, const Variant& value);
    Variant DesignerProperty(const std::string& name) const;

  signals:
    // The user switched the recording: 1 on, 0 off.
    void CyclicRefreshChanged(int16_t state);

  protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    struct Row {
        QLabel* swatch = nullptr;
        QCheckBox* enable = nullptr;
        QLabel* caption = nullptr;
        QLabel* value = nullptr;
        QColor swatchColor;  // the colour the swatch shows
    };
    // The panel's designed width in pixels.
    int PanelWidth() const;
    // Puts the panel beside the chart where the control's width holds both, else below it.
    void PlacePanel();
    void BuildRows();
    void RefreshRanges(const std::string& changedPath);
    void RefreshChart();
    void RefreshPanel();
    void RefreshTexts();
    void OnSamples();
    void OnRecordClicked(bool on);
    void OnCurveClicked(size_t index, bool on);

    std::unique_ptr<ArchiveRecorder> recorder_;
    std::vector<ArchiveRanges> ranges_;  // per configured curve
    kv::Trend* trend_ = nullptr;
    QBoxLayout* layout_ = nullptr;
    QWidget* panel_ = nullptr;
    QVBoxLayout* rowsLayout_ = nullptr;
    QCheckBox* recordSwitch_ = nullptr;
    QLabel* cycleFrame_ = nullptr;
    QLabel* problems_ = nullptr;
    std::vector<Row> rows_;
    NumberLocale locale_;
    int32_t curveCount_ = 4;
    bool displayOptionA_ = false;
    bool displayOptionB_ = false;
    bool updateActRanges_ = true;
    bool cycleFrameVisible_ = true;
    bool editEnabled_ = true;
    bool released_ = false;
    bool german_ = false;
    double minWidthTwips_ = 0;
    double minHeightTwips_ = 0;
    double panelWidthTwips_ = 2300;
};

}  // namespace kv
