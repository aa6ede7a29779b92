#pragma once
// Short forms for writing page tables: one call per child, carrying the designer properties
// that the page template gives every child of its kind, so that a table line shows only what
// the page sets itself. Rows also carry a status-icon picture and a font in the designer; those
// are left to the row control.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "ui/parameterpages/PageDesign.h"

namespace kv::pagedesign {

inline constexpr int32_t kLeft = 120;    // separators and rows
inline constexpr int32_t kWidth = 6015;  // separators and rows
inline constexpr int32_t kRowHeight = 315;
inline constexpr int32_t kSeparatorHeight = 255;

// A child under construction; the modifiers return the changed child.
class Child {
  public:
    Child(ChildKind kind, std::string name, int32_t index, TwipRect pos) {
        c_.kind = kind;
        c_.name = std::move(name);
        c_.index = index;
        c_.pos = pos;
    }
    // Adds a property, or replaces the value of one the child already has.
    Child Prop(const std::string& key, Variant value) &&;
    Child Height(int32_t height) && {
        c_.pos.height = height;
        return std::move(*this);
    }
    Child Type(int32_t controlType) && { return std::move(*this).Prop("controltype", controlType); }
    Child Locked() && { return std::move(*this).Prop("locked", true); }
    Child Label(const std::string& text) && { return std::move(*this).Prop("labeltext", text); }
    Child Tab(int32_t tabIndex) && {
        c_.tabIndex = tabIndex;
        return std::move(*this);
    }
    Child In(std::string pictureBox) && {
        c_.container = std::move(pictureBox);
        return std::move(*this);
    }
    operator ChildDesign() && { return std::move(c_); }

  private:
    ChildDesign c_;
};

// `sepTitle` at 120, 0, 6015, 255 with "title" "Title".
Child Title();
// A further separator at left 120, width 6015, height 255.
Child Separator(std::string name, int32_t top, const std::string& title = "Title");
// A row of the control array `ctlParameter` at left 120, width 6015, height 315: "parametertag"
// and "labeltext" the tag, "labelwidth" -40, "unittext" "Unit", "unitwidth" -10,
// "controltype" 1.
Child Row(int32_t index, int32_t top, const std::string& tag);
// A row of a block profile page: as Row, without "unittext".
Child ProfileRow(int32_t index, int32_t top, const std::string& tag);
// `ctlParamHelp1` with "autoposition" 15, 495 x 735 unless given.
Child Help(int32_t left, int32_t top, int32_t width = 495, int32_t height = 735);
// The invisible `ctlParamSite1`.
Child Site();
// `ctlCycle1`, 255 high, with "interval" 4000 and "automatedynamicicons" True.
Child Cycle(int32_t left, int32_t top, int32_t width = 975);
// A push button with its designer caption, enabled.
Child Button(std::string name, TwipRect pos, const std::string& caption);
// A label without a caption of its own.
Child Label(std::string name, TwipRect pos);
// A picture box.
Child Picture(std::string name, TwipRect pos);
// A bar graph inside a picture box; "color" and "limitcolor" both the given colour.
Child Bar(std::string name, std::string pictureBox, TwipRect pos, int32_t color);

}  // namespace kv::pagedesign
