#pragma once
// The device pane and the DTM pane of the navigation control.

#include <QGroupBox>
#include <array>
#include <string>

#include "platform/controls/NavigationInterfaces.h"

class QCheckBox;
class QLabel;
class QSpinBox;

namespace kv::nav {

class NavElidedLabel;

// Tag and serial number of the device beside its picture.
class NavDevInfoPane : public QGroupBox, public IDevInfoPane {
  public:
    explicit NavDevInfoPane(QWidget* parent = nullptr);

    std::string Title() const override;
    void SetTitle(const std::string& text) override;
    std::string Tag() const override;
    void SetTag(const std::string& text) override;
    std::string TagToolTip() const override;
    void SetTagToolTip(const std::string& text) override;
    std::string SerialNumber() const override;
    void SetSerialNumber(const std::string& text) override;
    std::string SerialNumberToolTip() const override;
    void SetSerialNumberToolTip(const std::string& text) override;
    std::string DeviceIcon() const override { return deviceIcon_; }
    void SetDeviceIcon(const std::string& path) override;

    // Whether the picture shown is the one of DeviceIcon (false: the control's own).
    bool ShowsDeviceIcon() const { return showsDeviceIcon_; }

  private:
    QLabel* icon_ = nullptr;
    NavElidedLabel* tag_ = nullptr;
    NavElidedLabel* serialNumber_ = nullptr;
    std::string deviceIcon_;
    bool showsDeviceIcon_ = false;
};

// Data state, connection state, the cycle switch and the cycle interval.
class NavDtmInfoPane : public QGroupBox, public IDtmInfoPane, public ICyclePane {
    Q_OBJECT

  public:
    explicit NavDtmInfoPane(QWidget* parent = nullptr);

    // IDtmInfoPane
    ICyclePane& Cycle() override { return *this; }
    int32_t DataState() const override { return dataState_; }
    void SetDataState(int32_t state) override;
    std::string DataStateLabel() const override;
    void SetDataStateLabel(const std::string& text) override;
    std::string DataStateText(int32_t state) const override;
    void DataStateText(int32_t state, const std::string& text) override;
    int32_t ConnectState() const override { return connectState_; }
    void SetConnectState(int32_t state) override;
    std::string ConnectStateText(int32_t state) const override;
    void ConnectStateText(int32_t state, const std::string& text) override;

    // ICyclePane
    bool CyclicRefreshEnable() const override { return cyclicRefreshEnable_; }
    void SetCyclicRefreshEnable(bool enable) override;
    int16_t CyclicRefresh() const override { return cyclicRefresh_; }
    void SetCyclicRefresh(int16_t value) override;
    int32_t Interval() const override { return interval_; }
    void SetInterval(int32_t milliseconds) override;
    std::string CyclicRefreshLabel() const override;
    void SetCyclicRefreshLabel(const std::string& text) override;
    std::string IntervalLabel() const override;
    void SetIntervalLabel(const std::string& text) override;

    // The editors, for tests that act as the user.
    QCheckBox* CycleSwitch() const { return cycleSwitch_; }
    QSpinBox* IntervalEditor() const { return intervalEditor_; }

  signals:
    // After every real change of the switch (1 on, 0 off) or the interval, whoever made it.
    void CyclicRefreshChanged(int16_t value);
    void IntervalChanged();

  private:
    void ShowDataState();
    void ShowConnectState();

    QLabel* connectPicture_ = nullptr;
    NavElidedLabel* connectText_ = nullptr;
    QLabel* dataStateLabel_ = nullptr;
    QLabel* dataStatePicture_ = nullptr;
    NavElidedLabel* dataStateText_ = nullptr;
    QCheckBox* cycleSwitch_ = nullptr;
    QLabel* intervalLabel_ = nullptr;
    QSpinBox* intervalEditor_ = nullptr;

    int32_t dataState_ = ddsInitial;
    std::array<std::string, 7> dataStateTexts_;
    int32_t connectState_ = dcsUnknown;
    std::array<std::string, 2> connectStateTexts_;
    bool cyclicRefreshEnable_ = true;
    int16_t cyclicRefresh_ = 0;
    int32_t interval_ = 4000;
};

}  // namespace kv::nav
