#include "platform/controls/widgets/NavToolbar.h"

#include <QAction>
#include <QIcon>
#include <stdexcept>

#include "platform/controls/widgets/LastResort.h"
#include "platform/controls/widgets/NavPictures.h"
#include "platform/controls/widgets/QtText.h"

namespace kv::nav {

class NavToolbar::ToolbarButton : public IToolbarButton {
  public:
    ToolbarButton(NavToolbar& owner, QAction* action) : owner_(owner), action_(action) {}

    bool Enabled() const override { return enabled_; }
    void SetEnabled(bool enabled) override {
        enabled_ = enabled;
        action_->setVisible(enabled);
        owner_.UpdateSeparators();
    }
    std::string ToolTipText() const override { return toolTip_; }
    void SetToolTipText(const std::string& text) override {
        toolTip_ = text;
        action_->setToolTip(ToQString(text));
    }
    void SetAvailable(bool available) { action_->setEnabled(available); }
    QAction* Action() const { return action_; }

  private:
    NavToolbar& owner_;
    QAction* action_;
    bool enabled_ = true;
    std::string toolTip_;
};

NavToolbar::NavToolbar(QWidget* parent) : QToolBar(parent) {
    setObjectName(QStringLiteral("StdToolbar"));
    setMovable(false);
    setFloatable(false);
    setIconSize(QSize(24, 24));
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    static const struct {
        int32_t number;
        const char* picture;
    } kButtons[] = {{ntbNavigationView, "tb_navigation"},
                    {ntbRead, "tb_read"},
                    {ntbWrite, "tb_write"},
                    {ntbManual, "tb_manual"},
                    {ntbHelp, "tb_help"},
                    {ntbSearch, "tb_search"},
                    {ntbSpare, "tb_spare"}};
    int32_t last = 0;
    for (const auto& b : kButtons) {
        // The numbers left out between the groups are the separators.
        if (last != 0 && b.number > last + 1)
            addSeparator();
        last = b.number;
        QAction* action = addAction(QIcon(Picture(QString::fromLatin1(b.picture))), QString());
        action->setObjectName(QStringLiteral("ToolbarButton%1").arg(b.number));
        const int32_t number = b.number;
        connect(action, &QAction::triggered, this, [this, number] {
            CallGuarded("toolbar button", [&] { emit ButtonClicked(number); });
        });
        buttons_.emplace(b.number, std::make_unique<ToolbarButton>(*this, action));
    }
    QAction* navigation = Action(ntbNavigationView);
    navigation->setCheckable(true);
    navigation->setChecked(true);
}

NavToolbar::~NavToolbar() = default;

IToolbarButton& NavToolbar::Button(int32_t number) {
    auto it = buttons_.find(number);
    if (it == buttons_.end())
        throw std::out_of_range("no toolbar button " + std::to_string(number));
    return *it->second;
}

void NavToolbar::SetAvailable(int32_t number, bool available) {
    static_cast<ToolbarButton&>(Button(number)).SetAvailable(available);
}

void NavToolbar::SetNavigationViewState(bool shown, bool locked) {
    QAction* navigation = Action(ntbNavigationView);
    navigation->setChecked(shown);
    navigation->setEnabled(!locked);
}

void NavToolbar::UpdateSeparators() {
    // A separator shows only between two groups that both show a button.
    QAction* pending = nullptr;
    bool shownBefore = false;
    for (QAction* action : actions()) {
        if (action->isSeparator()) {
            action->setVisible(false);
            pending = action;
        } else if (action->isVisible()) {
            if (pending && shownBefore)
                pending->setVisible(true);
            pending = nullptr;
            shownBefore = true;
        }
    }
}

QAction* NavToolbar::Action(int32_t number) {
    return static_cast<ToolbarButton&>(Button(number)).Action();
}

}  // namespace kv::nav
