#pragma once
// What the tree model needs of an open main window: the tree it shows.

#include <string>

namespace kv {

class IMainWindow {
  public:
    virtual ~IMainWindow() = default;
    // The whole current tree; the window cuts it to its own function.
    virtual void SetGUITreeStructure(const std::string& text) = 0;
    virtual std::string GUITreeStructure() const = 0;
};

}  // namespace kv
