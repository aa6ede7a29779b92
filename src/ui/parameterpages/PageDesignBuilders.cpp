#include "ui/parameterpages/PageDesignBuilders.h"

namespace kv::pagedesign {

Child Child::Prop(const std::string& key, Variant value) && {
    for (DesignProperty& p : c_.props) {
        if (p.key == key) {
            p.value = std::move(value);
            return std::move(*this);
        }
    }
    c_.props.push_back({key, std::move(value)});
    return std::move(*this);
}

Child Title() {
    return Separator("sepTitle", 0);
}

Child Separator(std::string name, int32_t top, const std::string& title) {
    return Child(ChildKind::Separator, std::move(name), -1, {kLeft, top, kWidth, kSeparatorHeight})
        .Prop("title", title);
}

Child Row(int32_t index, int32_t top, const std::string& tag) {
    return Child(ChildKind::Parameter, "ctlParameter", index, {kLeft, top, kWidth, kRowHeight})
        .Prop("parametertag", tag)
        .Prop("labeltext", tag)
        .Prop("labelwidth", -40)
        .Prop("unittext", "Unit")
        .Prop("unitwidth", -10)
        .Prop("controltype", 1);
}

Child ProfileRow(int32_t index, int32_t top, const std::string& tag) {
    return Child(ChildKind::Parameter, "ctlParameter", index, {kLeft, top, kWidth, kRowHeight})
        .Prop("parametertag", tag)
        .Prop("labeltext", tag)
        .Prop("labelwidth", -40)
        .Prop("unitwidth", -10)
        .Prop("controltype", 1);
}

Child Help(int32_t left, int32_t top, int32_t width, int32_t height) {
    return Child(ChildKind::ParamHelp, "ctlParamHelp1", -1, {left, top, width, height})
        .Prop("autoposition", 15);
}

Child Site() {
    return Child(ChildKind::ParamSite, "ctlParamSite1", -1, {});
}

Child Cycle(int32_t left, int32_t top, int32_t width) {
    return Child(ChildKind::Cycle, "ctlCycle1", -1, {left, top, width, 255})
        .Prop("interval", 4000)
        .Prop("automatedynamicicons", true);
}

Child Button(std::string name, TwipRect pos, const std::string& caption) {
    return Child(ChildKind::CommandButton, std::move(name), -1, pos)
        .Prop("caption", caption)
        .Prop("enabled", true);
}

Child Label(std::string name, TwipRect pos) {
    return Child(ChildKind::Label, std::move(name), -1, pos);
}

Child Picture(std::string name, TwipRect pos) {
    return Child(ChildKind::PictureBox, std::move(name), -1, pos);
}

Child Bar(std::string name, std::string pictureBox, TwipRect pos, int32_t color) {
    return Child(ChildKind::Bar, std::move(name), -1, pos)
        .In(std::move(pictureBox))
        .Prop("color", color)
        .Prop("limitcolor", color);
}

}  // namespace kv::pagedesign
