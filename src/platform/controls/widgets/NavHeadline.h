#pragma once
// The headline of the navigation control: device type name, revisions and process value, the
// company icon and link, and the device state as four panels with their state pictures.

#include <QWidget>
#include <array>
#include <string>

#include "platform/controls/NavigationInterfaces.h"

class QLabel;

namespace kv::nav {

class NavElidedLabel;

class NavHeadline : public QWidget, public IStdHeadline, public IStateImages {
  public:
    explicit NavHeadline(QWidget* parent = nullptr);

    // IStdHeadline
    std::string DeviceTypeName() const override;
    void SetDeviceTypeName(const std::string& text) override;
    std::string DeviceTypeNameToolTip() const override;
    void SetDeviceTypeNameToolTip(const std::string& text) override;
    std::string SoftwareRevision() const override;
    void SetSoftwareRevision(const std::string& text) override;
    std::string SoftwareRevisionToolTip() const override;
    void SetSoftwareRevisionToolTip(const std::string& text) override;
    std::string HardwareRevision() const override;
    void SetHardwareRevision(const std::string& text) override;
    std::string HardwareRevisionToolTip() const override;
    void SetHardwareRevisionToolTip(const std::string& text) override;
    std::string PV() const override;
    void SetPV(const std::string& text) override;
    std::string PVToolTip() const override;
    void SetPVToolTip(const std::string& text) override;
    std::string CompanyIcon() const override { return companyIcon_; }
    void SetCompanyIcon(const std::string& path) override;
    std::string CompanyLink() const override { return companyLink_; }
    void SetCompanyLink(const std::string& url) override;
    int32_t DataState() const override { return dataState_; }
    void SetDataState(int32_t flags) override;
    std::string PanelText(int32_t panel) const override;
    void PanelText(int32_t panel, const std::string& text) override;

    // IStateImages
    std::string Image(int32_t state) const override;
    void SetImage(int32_t state, const std::string& key) override;
    std::string DisabledImage(int32_t state) const override;
    void SetDisabledImage(int32_t state, const std::string& key) override;

    // The picture a panel shows now: its image key, or "disabled/" and its disabled image key.
    QString ShownPanelPicture(int32_t panel) const;
    // Whether the company link opens on a click: http, https and mailto addresses only.
    static bool IsOpenableLink(const QString& url);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct Panel {
        QWidget* frame = nullptr;
        QLabel* picture = nullptr;
        NavElidedLabel* text = nullptr;
        std::string image;
        std::string disabledImage;
    };
    struct Field {
        QLabel* caption = nullptr;
        NavElidedLabel* value = nullptr;
    };

    Field AddField(QWidget* parent, const QString& caption);
    static void SetFieldToolTip(Field& field, const std::string& text);
    Panel& PanelAt(int32_t panel);
    const Panel& PanelAt(int32_t panel) const;
    bool PanelActive(int32_t panel) const;
    void ShowPanel(int32_t panel);
    void ShowCompanyIcon();
    void OpenCompanyLink() const;

    NavElidedLabel* deviceTypeName_ = nullptr;
    Field software_;
    Field hardware_;
    Field pv_;
    QLabel* companyIconLabel_ = nullptr;
    QLabel* companyLinkLabel_ = nullptr;
    std::string companyIcon_;
    std::string companyLink_;
    int32_t dataState_ = 0;
    std::array<Panel, 4> panels_;
};

}  // namespace kv::nav
