#pragma once
// Keeps child controls glued to the right and bottom edges of their user control: a child is
// registered once with its margins, and every resize restores them.
//
// A child is known by its key: its object name, followed by "_" and its array index when it is
// a member of a control array (the dynamic property "index" holds the index).

#include <optional>
#include <string>
#include <unordered_map>

class QWidget;

namespace kv {

enum ControlResizeMode {
    crmWidth = 0,
    crmHeight = 1,
    crmBoth = 2,
};

class clsCtlResize {
  public:
    // Keeps the child's right and bottom margins inside the user control; moves nothing.
    // Adding a child again replaces its margins.
    void Add(const QWidget& userCtl, const QWidget& ctl);
    // Restores the margins of a registered child by changing its width, its height or both;
    // a size that would not be above 0 is not set. Children never added stay as they are.
    void Resize(const QWidget& userCtl, QWidget& ctl, ControlResizeMode mode) const;
    // The margins a child keeps; nullopt for a child never added.
    std::optional<int> RightMargin(const QWidget& ctl) const;
    std::optional<int> BottomMargin(const QWidget& ctl) const;

    static std::string KeyOf(const QWidget& ctl);

  private:
    std::unordered_map<std::string, int> rightMargins_;
    std::unordered_map<std::string, int> bottomMargins_;
};

}  // namespace kv
