#pragma once
// A listener of a parameter row's events that writes each event into a log.

#include <QApplication>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "platform/controls/ControlInterfaces.h"
#include "support/WidgetHelpers.h"

namespace kv::test_support {

class RowEventLog : public IParameterRowEvents {
  public:
    void OnChange() override { Log("Change"); }
    void OnClick() override { Log("Click"); }
    void OnStartEdit() override { Log("StartEdit"); }
    void OnEndEdit(bool commit) override { Log(commit ? "EndEdit(1)" : "EndEdit(0)"); }
    void OnMenuClick(int32_t index) override { Log("MenuClick(" + std::to_string(index) + ")"); }
    void OnKeyDown(int32_t& keyCode, int32_t shift) override {
        Log("KeyDown(" + std::to_string(keyCode) + "," + std::to_string(shift) + ")");
        if (consumeKey != 0 && keyCode == consumeKey)
            keyCode = 0;
    }

    std::vector<std::string> events;
    // A key code that the handler consumes (sets to 0).
    int32_t consumeKey = 0;
    // Runs after an event was logged (a handler that unbinds or destroys the row).
    std::function<void(const std::string&)> after;

  private:
    void Log(const std::string& e) {
        events.push_back(e);
        if (after)
            after(e);
    }
};

}  // namespace kv::test_support
