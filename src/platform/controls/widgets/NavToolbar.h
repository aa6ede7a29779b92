#pragma once
// The toolbar of the navigation control: 1 navigation view | 3 read, 4 write | 6 manual, 7 help |
// 9 search, 10. A button switched off by its owner is not shown; read and write are also greyed
// while the current page offers no read or write.

#include <QToolBar>
#include <map>
#include <memory>
#include <string>

#include "platform/controls/NavigationInterfaces.h"

class QAction;

namespace kv::nav {

class NavToolbar : public QToolBar, public IStdToolbar {
    Q_OBJECT

  public:
    explicit NavToolbar(QWidget* parent = nullptr);
    ~NavToolbar() override;

    IToolbarButton& Button(int32_t number) override;

    // Whether the current page lets the button be used (read and write); true by default.
    void SetAvailable(int32_t number, bool available);
    // The check mark of button 1 and whether the user may toggle it.
    void SetNavigationViewState(bool shown, bool locked);
    // The action behind a button, for tests and the window's shortcuts.
    QAction* Action(int32_t number);

  signals:
    // The user clicked the button with that number.
    void ButtonClicked(int32_t number);

  private:
    class ToolbarButton;
    void UpdateSeparators();
    std::map<int32_t, std::unique_ptr<ToolbarButton>> buttons_;
};

}  // namespace kv::nav
