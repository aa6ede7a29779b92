#include "platform/controls/widgets/NavHeadline.h"

#include <QDesktopServices>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QUrl>
#include <algorithm>
#include <stdexcept>

#include "platform/controls/widgets/LastResort.h"
#include "platform/controls/widgets/NavElidedLabel.h"
#include "platform/controls/widgets/NavPictures.h"
#include "platform/controls/widgets/QtText.h"

namespace kv::nav {

namespace {

constexpr int kLogoHeight = 30;
constexpr int kLogoMaxWidth = 180;

void CheckStateKey(const std::string& key) {
    if (!IsStatePicture(ToQString(key)))
        throw std::invalid_argument("no state picture \"" + key + "\"");
}

}  // namespace

NavHeadline::NavHeadline(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("StdHeadline"));
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);

    // Name and figures on the left, the company's logo and link on the right, and below both
    // the four state panels across the whole width.
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(10, 6, 10, 6);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(3);
    grid->setColumnStretch(0, 1);

    deviceTypeName_ = new NavElidedLabel(this);
    QFont big = deviceTypeName_->font();
    big.setPointSizeF(big.pointSizeF() * 1.45);
    big.setBold(true);
    deviceTypeName_->setFont(big);
    grid->addWidget(deviceTypeName_, 0, 0);

    auto* fields = new QHBoxLayout;
    fields->setSpacing(5);
    software_ = AddField(this, QStringLiteral("SW"));
    hardware_ = AddField(this, QStringLiteral("HW"));
    pv_ = AddField(this, QStringLiteral("PV"));
    QFont pvFont = pv_.value->font();
    pvFont.setBold(true);
    pv_.value->setFont(pvFont);
    for (Field* f : {&software_, &hardware_, &pv_}) {
        if (f != &software_)
            fields->addSpacing(18);
        fields->addWidget(f->caption);
        fields->addWidget(f->value);
    }
    fields->addStretch(1);
    grid->addLayout(fields, 1, 0);

    companyIconLabel_ = new QLabel(this);
    companyIconLabel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    companyIconLabel_->installEventFilter(this);
    companyIconLabel_->hide();
    companyLinkLabel_ = new QLabel(this);
    companyLinkLabel_->setAlignment(Qt::AlignRight | Qt::AlignTop);
    companyLinkLabel_->setTextFormat(Qt::RichText);
    companyLinkLabel_->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    companyLinkLabel_->hide();
    connect(companyLinkLabel_, &QLabel::linkActivated, this,
            [this] { CallGuarded("company link", [&] { OpenCompanyLink(); }); });
    grid->addWidget(companyIconLabel_, 0, 1);
    grid->addWidget(companyLinkLabel_, 1, 1);

    auto* panelRow = new QHBoxLayout;
    panelRow->setSpacing(4);
    static const char* const kDefaultTexts[4] = {"Device state", "Maintenance required",
                                                 "Function check", "Failure"};
    static const char* const kImages[4] = {"status_ok", "status_maint", "status_funct",
                                           "status_critic"};
    static const char* const kDisabledImages[4] = {"status_none", "status_maint", "status_funct",
                                                   "status_critic"};
    for (int i = 0; i < 4; ++i) {
        Panel& p = panels_[static_cast<size_t>(i)];
        auto* frame = new QFrame(this);
        frame->setObjectName(QStringLiteral("StatePanel%1").arg(i + 1));
        frame->setFrameShape(QFrame::StyledPanel);
        frame->setFrameShadow(QFrame::Sunken);
        auto* row = new QHBoxLayout(frame);
        row->setContentsMargins(4, 2, 4, 2);
        row->setSpacing(4);
        p.frame = frame;
        p.picture = new QLabel(frame);
        p.picture->setFixedSize(16, 16);
        p.text = new NavElidedLabel(frame);
        p.text->setText(QString::fromUtf8(kDefaultTexts[i]));
        row->addWidget(p.picture);
        row->addWidget(p.text, 1);
        p.image = kImages[i];
        p.disabledImage = kDisabledImages[i];
        panelRow->addWidget(frame, 1);
        ShowPanel(i + 1);
    }
    // The four panels share the row equally, whatever their texts: the row does not ask the
    // texts' sizes, and a text too long for its panel is shortened (its tooltip shows it whole).
    int least = 0;
    for (const Panel& p : panels_)
        least = std::max(least, p.frame->minimumSizeHint().width());
    for (const Panel& p : panels_) {
        p.frame->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        p.frame->setMinimumWidth(least);
    }
    grid->addLayout(panelRow, 2, 0, 1, 2);
}

NavHeadline::Field NavHeadline::AddField(QWidget* parent, const QString& caption) {
    Field f;
    f.caption = new QLabel(caption, parent);
    f.caption->setForegroundRole(QPalette::PlaceholderText);
    f.value = new NavElidedLabel(parent);
    return f;
}

void NavHeadline::SetFieldToolTip(Field& field, const std::string& text) {
    field.caption->setToolTip(ToQString(text));
    field.value->setToolTip(ToQString(text));
}

std::string NavHeadline::DeviceTypeName() const {
    return deviceTypeName_->text().toStdString();
}

void NavHeadline::SetDeviceTypeName(const std::string& text) {
    deviceTypeName_->setText(ToQString(text));
}

std::string NavHeadline::DeviceTypeNameToolTip() const {
    return deviceTypeName_->toolTip().toStdString();
}

void NavHeadline::SetDeviceTypeNameToolTip(const std::string& text) {
    deviceTypeName_->setToolTip(ToQString(text));
}

std::string NavHeadline::SoftwareRevision() const {
    return software_.value->text().toStdString();
}

void NavHeadline::SetSoftwareRevision(const std::string& text) {
    software_.value->setText(ToQString(text));
}

std::string NavHeadline::SoftwareRevisionToolTip() const {
    return software_.value->toolTip().toStdString();
}

void NavHeadline::SetSoftwareRevisionToolTip(const std::string& text) {
    SetFieldToolTip(software_, text);
}

std::string NavHeadline::HardwareRevision() const {
    return hardware_.value->text().toStdString();
}

void NavHeadline::SetHardwareRevision(const std::string& text) {
    hardware_.value->setText(ToQString(text));
}

std::string NavHeadline::HardwareRevisionToolTip() const {
    return hardware_.value->toolTip().toStdString();
}

void NavHeadline::SetHardwareRevisionToolTip(const std::string& text) {
    SetFieldToolTip(hardware_, text);
}

std::string NavHeadline::PV() const {
    return pv_.value->text().toStdString();
}

void NavHeadline::SetPV(const std::string& text) {
    pv_.value->setText(ToQString(text));
}

std::string NavHeadline::PVToolTip() const {
    return pv_.value->toolTip().toStdString();
}

void NavHeadline::SetPVToolTip(const std::string& text) {
    SetFieldToolTip(pv_, text);
}

void NavHeadline::SetCompanyIcon(const std::string& path) {
    companyIcon_ = path;
    ShowCompanyIcon();
}

void NavHeadline::ShowCompanyIcon() {
    QPixmap logo = companyIcon_.empty() ? QPixmap() : QPixmap(ToQString(companyIcon_));
    if (logo.isNull()) {
        companyIconLabel_->clear();
        companyIconLabel_->hide();
        return;
    }
    if (logo.height() > kLogoHeight || logo.width() > kLogoMaxWidth)
        logo =
            logo.scaled(kLogoMaxWidth, kLogoHeight, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    companyIconLabel_->setPixmap(logo);
    companyIconLabel_->show();
}

void NavHeadline::SetCompanyLink(const std::string& url) {
    companyLink_ = url;
    const QString link = ToQString(url);
    if (link.isEmpty()) {
        companyLinkLabel_->clear();
        companyLinkLabel_->hide();
        companyIconLabel_->setToolTip({});
        companyIconLabel_->unsetCursor();
        return;
    }
    QString shown = link;
    for (const char* scheme : {"https://", "http://", "mailto:"}) {
        if (shown.startsWith(QLatin1String(scheme), Qt::CaseInsensitive)) {
            shown = shown.mid(static_cast<int>(qstrlen(scheme)));
            break;
        }
    }
    if (shown.endsWith(QLatin1Char('/')))
        shown.chop(1);
    if (IsOpenableLink(link)) {
        companyLinkLabel_->setText(QStringLiteral("<a href=\"%1\">%2</a>")
                                       .arg(link.toHtmlEscaped(), shown.toHtmlEscaped()));
        companyIconLabel_->setCursor(Qt::PointingHandCursor);
    } else {
        companyLinkLabel_->setText(shown.toHtmlEscaped());
        companyIconLabel_->unsetCursor();
    }
    companyLinkLabel_->setToolTip(link);
    companyIconLabel_->setToolTip(link);
    companyLinkLabel_->show();
}

bool NavHeadline::IsOpenableLink(const QString& url) {
    const QUrl u(url, QUrl::StrictMode);
    if (!u.isValid())
        return false;
    const QString scheme = u.scheme().toLower();
    return ((scheme == QLatin1String("http") || scheme == QLatin1String("https")) &&
            !u.host().isEmpty()) ||
           (scheme == QLatin1String("mailto") && !u.path().isEmpty());
}

void NavHeadline::OpenCompanyLink() const {
    const QString link = ToQString(companyLink_);
    if (IsOpenableLink(link))
        QDesktopServices::openUrl(QUrl(link));
}

bool NavHeadline::eventFilter(QObject* watched, QEvent* event) {
    if (watched == companyIconLabel_ && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        CallGuarded("company icon", [&] { OpenCompanyLink(); });
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void NavHeadline::SetDataState(int32_t flags) {
    if (flags < 0 || flags > 15)
        throw std::out_of_range("device-state flags " + std::to_string(flags) + " outside 0 to 15");
    if (flags == dataState_)
        return;
    dataState_ = flags;
    for (int32_t panel = 1; panel <= 4; ++panel)
        ShowPanel(panel);
}

NavHeadline::Panel& NavHeadline::PanelAt(int32_t panel) {
    if (panel < 1 || panel > 4)
        throw std::out_of_range("no headline panel " + std::to_string(panel));
    return panels_[static_cast<size_t>(panel - 1)];
}

const NavHeadline::Panel& NavHeadline::PanelAt(int32_t panel) const {
    return const_cast<NavHeadline*>(this)->PanelAt(panel);
}

std::string NavHeadline::PanelText(int32_t panel) const {
    return PanelAt(panel).text->text().toStdString();
}

void NavHeadline::PanelText(int32_t panel, const std::string& text) {
    PanelAt(panel).text->setText(ToQString(text));
}

bool NavHeadline::PanelActive(int32_t panel) const {
    return (dataState_ & (1 << (panel - 1))) != 0;
}

QString NavHeadline::ShownPanelPicture(int32_t panel) const {
    const Panel& p = PanelAt(panel);
    return PanelActive(panel) ? ToQString(p.image)
                              : QStringLiteral("disabled/") + ToQString(p.disabledImage);
}

void NavHeadline::ShowPanel(int32_t panel) {
    Panel& p = PanelAt(panel);
    const bool active = PanelActive(panel);
    p.picture->setPixmap(active ? Picture(ToQString(p.image))
                                : DisabledPicture(ToQString(p.disabledImage)));
    QFont f = p.text->font();
    f.setBold(active);
    p.text->setFont(f);
    p.text->setForegroundRole(active ? QPalette::WindowText : QPalette::PlaceholderText);
}

std::string NavHeadline::Image(int32_t state) const {
    return PanelAt(state).image;
}

void NavHeadline::SetImage(int32_t state, const std::string& key) {
    Panel& p = PanelAt(state);
    CheckStateKey(key);
    p.image = key;
    ShowPanel(state);
}

std::string NavHeadline::DisabledImage(int32_t state) const {
    return PanelAt(state).disabledImage;
}

void NavHeadline::SetDisabledImage(int32_t state, const std::string& key) {
    Panel& p = PanelAt(state);
    CheckStateKey(key);
    p.disabledImage = key;
    ShowPanel(state);
}

}  // namespace kv::nav
