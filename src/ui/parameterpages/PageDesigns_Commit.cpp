// The channel assignment page and the bus address page: they commit DTM-level settings without
// the device and offer no read or write of their own.

#include "ui/parameterpages/PageDesignBuilders.h"
#include "ui/parameterpages/PageDesignGroups.h"

namespace kv {

using namespace pagedesign;

std::vector<PageDesign> CommitPageDesigns() {
    return {
        {.className = "ctlChannelAssign",
         .form = PageForm::Single,
         .templ = PageTemplate::ChannelAssign,
         .resize = ResizeForm::Narrow,
         .readWriteOption = 0,
         .children =
             {
                 Title(),
                 Row(1, 360, "SlaveBusParamSet_CfgData").Type(3),
                 // A single row outside the control array, without its own label width.
                 Child(ChildKind::Parameter, "ctlParameter3", -1, {120, 720, 6015, 540})
                     .Prop("parametertag", "SlaveBusParamSet_WholeString")
                     .Prop("labelstyle", 2)
                     .Prop("labeltext", "Label")
                     .Prop("unitwidth", 0)
                     .Prop("iconvisible", false)
                     .Prop("controltype", 1),
                 Button("cmdSave", {120, 1440, 1455, 315}, "Save"),
                 Help(5880, 960, 495, 855),
                 Site(),
             }},
        {.className = "ctlAddress",
         .form = PageForm::Single,
         .templ = PageTemplate::BusAddress,
         .resize = ResizeForm::Narrow,
         .readWriteOption = 0,
         .children =
             {
                 Title(),
                 Row(3, 360, "~/LocalAddress"),
                 Label("lblWarn", {120, 840, 6135, 735}),
                 Button("cmdSet", {120, 1680, 1095, 315}, "Set"),
                 Help(5400, 360),
                 Site(),
             },
         .blockIndex = false},
    };
}

}  // namespace kv
