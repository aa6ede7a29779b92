#include "platform/controls/widgets/NavPanes.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>
#include <stdexcept>

#include "platform/controls/widgets/LastResort.h"
#include "platform/controls/widgets/NavElidedLabel.h"
#include "platform/controls/widgets/NavPictures.h"
#include "platform/controls/widgets/QtText.h"

namespace kv::nav {

namespace {

constexpr int kDeviceIconSize = 40;

}  // namespace

// --- device pane ---

NavDevInfoPane::NavDevInfoPane(QWidget* parent) : QGroupBox(parent) {
    setObjectName(QStringLiteral("devInfo"));
    setTitle(QStringLiteral("Device"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(8, 2, 8, 2);
    row->setSpacing(8);
    icon_ = new QLabel(this);
    icon_->setFixedSize(kDeviceIconSize, kDeviceIconSize);
    icon_->setAlignment(Qt::AlignCenter);
    SetDeviceIcon({});
    row->addWidget(icon_, 0, Qt::AlignTop);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    tag_ = new NavElidedLabel(this);
    QFont bold = tag_->font();
    bold.setBold(true);
    tag_->setFont(bold);
    serialNumber_ = new NavElidedLabel(this);
    texts->addStretch(1);
    texts->addWidget(tag_);
    texts->addWidget(serialNumber_);
    texts->addStretch(1);
    row->addLayout(texts, 1);
}

std::string NavDevInfoPane::Title() const {
    return title().toStdString();
}

void NavDevInfoPane::SetTitle(const std::string& text) {
    setTitle(ToQString(text));
}

std::string NavDevInfoPane::Tag() const {
    return tag_->text().toStdString();
}

void NavDevInfoPane::SetTag(const std::string& text) {
    tag_->setText(ToQString(text));
}

std::string NavDevInfoPane::TagToolTip() const {
    return tag_->toolTip().toStdString();
}

void NavDevInfoPane::SetTagToolTip(const std::string& text) {
    tag_->setToolTip(ToQString(text));
}

std::string NavDevInfoPane::SerialNumber() const {
    return serialNumber_->text().toStdString();
}

void NavDevInfoPane::SetSerialNumber(const std::string& text) {
    serialNumber_->setText(ToQString(text));
}

std::string NavDevInfoPane::SerialNumberToolTip() const {
    return serialNumber_->toolTip().toStdString();
}

void NavDevInfoPane::SetSerialNumberToolTip(const std::string& text) {
    serialNumber_->setToolTip(ToQString(text));
}

void NavDevInfoPane::SetDeviceIcon(const std::string& path) {
    deviceIcon_ = path;
    QPixmap picture = path.empty() ? QPixmap() : QPixmap(ToQString(path));
    showsDeviceIcon_ = !picture.isNull();
    if (!showsDeviceIcon_)
        picture = Picture(QStringLiteral("device"));
    if (picture.width() > kDeviceIconSize || picture.height() > kDeviceIconSize)
        picture = picture.scaled(kDeviceIconSize, kDeviceIconSize, Qt::KeepAspectRatio,
                                 Qt::SmoothTransformation);
    icon_->setPixmap(picture);
}

// --- DTM pane ---

NavDtmInfoPane::NavDtmInfoPane(QWidget* parent) : QGroupBox(parent) {
    setObjectName(QStringLiteral("dtmInfo"));
    dataStateTexts_ = {"Initial values",      "Changed",    "Stored values",
                       "Device values",       "Indefinite", "Partly stored values",
                       "Partly device values"};
    connectStateTexts_ = {"Disconnected", "Connected"};

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(8, 4, 8, 4);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(3);
    grid->setColumnStretch(1, 1);

    auto pictureLabel = [this] {
        auto* l = new QLabel(this);
        l->setFixedSize(16, 16);
        return l;
    };
    auto pictureAndText = [](QLabel* picture, NavElidedLabel* text) {
        auto* row = new QHBoxLayout;
        row->setSpacing(5);
        row->addWidget(picture);
        row->addWidget(text, 1);
        return row;
    };

    dataStateLabel_ = new QLabel(QStringLiteral("Data set"), this);
    dataStatePicture_ = pictureLabel();
    dataStateText_ = new NavElidedLabel(this);
    grid->addWidget(dataStateLabel_, 0, 0);
    grid->addLayout(pictureAndText(dataStatePicture_, dataStateText_), 0, 1);

    connectPicture_ = pictureLabel();
    connectText_ = new NavElidedLabel(this);
    grid->addLayout(pictureAndText(connectPicture_, connectText_), 1, 1);

    cycleSwitch_ = new QCheckBox(QStringLiteral("Cyclic refresh"), this);
    cycleSwitch_->setObjectName(QStringLiteral("CyclicRefresh"));
    grid->addWidget(cycleSwitch_, 2, 0, 1, 2);
    connect(cycleSwitch_, &QCheckBox::toggled, this, [this](bool checked) {
        CallGuarded("cycle switch", [&] { SetCyclicRefresh(checked ? 1 : 0); });
    });

    intervalLabel_ = new QLabel(QStringLiteral("Interval"), this);
    intervalEditor_ = new QSpinBox(this);
    intervalEditor_->setObjectName(QStringLiteral("Interval"));
    intervalEditor_->setRange(kMinCycleInterval, kMaxCycleInterval);
    intervalEditor_->setSingleStep(100);
    intervalEditor_->setStepType(QAbstractSpinBox::AdaptiveDecimalStepType);
    intervalEditor_->setSuffix(QStringLiteral(" ms"));
    intervalEditor_->setGroupSeparatorShown(false);
    intervalEditor_->setKeyboardTracking(false);
    intervalEditor_->setAlignment(Qt::AlignRight);
    intervalEditor_->setValue(interval_);
    intervalLabel_->setBuddy(intervalEditor_);
    grid->addWidget(intervalLabel_, 3, 0);
    grid->addWidget(intervalEditor_, 3, 1);
    connect(intervalEditor_, &QSpinBox::valueChanged, this,
            [this](int value) { CallGuarded("cycle interval", [&] { SetInterval(value); }); });

    ShowDataState();
    ShowConnectState();
}

void NavDtmInfoPane::SetDataState(int32_t state) {
    if (state < ddsInitial || state > ddsPartlyDevice)
        throw std::out_of_range("data state " + std::to_string(state) + " outside 0 to 6");
    if (state == dataState_)
        return;
    dataState_ = state;
    ShowDataState();
}

std::string NavDtmInfoPane::DataStateLabel() const {
    return dataStateLabel_->text().toStdString();
}

void NavDtmInfoPane::SetDataStateLabel(const std::string& text) {
    dataStateLabel_->setText(ToQString(text));
}

std::string NavDtmInfoPane::DataStateText(int32_t state) const {
    if (state < ddsInitial || state > ddsPartlyDevice)
        throw std::out_of_range("data state " + std::to_string(state) + " outside 0 to 6");
    return dataStateTexts_[static_cast<size_t>(state)];
}

void NavDtmInfoPane::DataStateText(int32_t state, const std::string& text) {
    if (state < ddsInitial || state > ddsPartlyDevice)
        throw std::out_of_range("data state " + std::to_string(state) + " outside 0 to 6");
    dataStateTexts_[static_cast<size_t>(state)] = text;
    ShowDataState();
}

void NavDtmInfoPane::ShowDataState() {
    dataStatePicture_->setPixmap(Picture(QStringLiteral("datastate_%1").arg(dataState_)));
    dataStateText_->setText(ToQString(dataStateTexts_[static_cast<size_t>(dataState_)]));
}

void NavDtmInfoPane::SetConnectState(int32_t state) {
    if (state < dcsUnknown || state > dcsConnected)
        throw std::out_of_range("connection state " + std::to_string(state) + " outside 0 to 2");
    if (state == connectState_)
        return;
    connectState_ = state;
    ShowConnectState();
}

std::string NavDtmInfoPane::ConnectStateText(int32_t state) const {
    if (state != dcsDisconnected && state != dcsConnected)
        throw std::out_of_range("no text for connection state " + std::to_string(state));
    return connectStateTexts_[static_cast<size_t>(state - 1)];
}

void NavDtmInfoPane::ConnectStateText(int32_t state, const std::string& text) {
    if (state != dcsDisconnected && state != dcsConnected)
        throw std::out_of_range("no text for connection state " + std::to_string(state));
    connectStateTexts_[static_cast<size_t>(state - 1)] = text;
    ShowConnectState();
}

void NavDtmInfoPane::ShowConnectState() {
    if (connectState_ == dcsUnknown) {
        connectPicture_->clear();
        connectText_->setText({});
        return;
    }
    connectPicture_->setPixmap(Picture(connectState_ == dcsConnected
                                           ? QStringLiteral("connect_on")
                                           : QStringLiteral("connect_off")));
    connectText_->setText(ToQString(connectStateTexts_[static_cast<size_t>(connectState_ - 1)]));
}

void NavDtmInfoPane::SetCyclicRefreshEnable(bool enable) {
    cyclicRefreshEnable_ = enable;
    cycleSwitch_->setEnabled(enable);
}

void NavDtmInfoPane::SetCyclicRefresh(int16_t value) {
    const int16_t on = value != 0 ? 1 : 0;
    if (on == cyclicRefresh_)
        return;
    cyclicRefresh_ = on;
    {
        const QSignalBlocker block(cycleSwitch_);
        cycleSwitch_->setChecked(on == 1);
    }
    emit CyclicRefreshChanged(on);
}

void NavDtmInfoPane::SetInterval(int32_t milliseconds) {
    if (milliseconds < kMinCycleInterval || milliseconds > kMaxCycleInterval)
        throw std::out_of_range("cycle interval " + std::to_string(milliseconds) + " ms outside " +
                                std::to_string(kMinCycleInterval) + " to " +
                                std::to_string(kMaxCycleInterval) + " ms");
    if (milliseconds == interval_)
        return;
    interval_ = milliseconds;
    {
        const QSignalBlocker block(intervalEditor_);
        intervalEditor_->setValue(milliseconds);
    }
    emit IntervalChanged();
}

std::string NavDtmInfoPane::CyclicRefreshLabel() const {
    return cycleSwitch_->text().toStdString();
}

void NavDtmInfoPane::SetCyclicRefreshLabel(const std::string& text) {
    cycleSwitch_->setText(ToQString(text));
}

std::string NavDtmInfoPane::IntervalLabel() const {
    return intervalLabel_->text().toStdString();
}

void NavDtmInfoPane::SetIntervalLabel(const std::string& text) {
    intervalLabel_->setText(ToQString(text));
}

}  // namespace kv::nav
