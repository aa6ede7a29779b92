// The input-value, working-range and characteristic-table pages. Single parameter pages; the
// rows stand in designer order ("order"), which is not their order on screen.

#include "ui/parameterpages/PageDesignBuilders.h"
#include "ui/parameterpages/PageDesignGroups.h"

namespace kv {

using namespace pagedesign;

std::vector<PageDesign> InputPageDesigns() {
    return {
        {.className = "ctlInpVal",
         .form = PageForm::Single,
         .templ = PageTemplate::Parameter,
         .resize = ResizeForm::Narrow,
         .readWriteOption = 3,
         .children =
             {
                 Row(3, 360, "FUNC/%d/AO/INCREASE_CLOSE"),
                 Row(4, 720, "FUNC/%d/AO/PV_SCALE/Lo_Val"),
                 Row(5, 1080, "FUNC/%d/AO/PV_SCALE/Up_Val"),
                 Title(),
                 Row(0, 1440, "FUNC/%d/AO/PV_SCALE/Unit"),
                 Row(1, 1800, "TRANS/%d/Act/SETP_CUTOFF_DEC"),
                 Row(2, 2160, "TRANS/%d/Act/SETP_CUTOFF_INC"),
                 Help(0, 1560),
                 Site(),
             }},
        {.className = "ctlInpWork",
         .form = PageForm::Single,
         .templ = PageTemplate::Parameter,
         .resize = ResizeForm::Narrow,
         .readWriteOption = 3,
         .children =
             {
                 Row(3, 360, "FUNC/%d/AO/OUT_SCALE/Lo_Val"),
                 Row(4, 720, "FUNC/%d/AO/OUT_SCALE/Up_Val"),
                 Row(5, 1080, "FUNC/%d/AO/OUT_SCALE/Unit"),
                 Title(),
                 Row(1, 1440, "TRANS/%d/Act/TRAVEL_LIMIT_LOW"),
                 Row(2, 1800, "TRANS/%d/Act/TRAVEL_LIMIT_UP"),
                 Help(0, 1320),
                 Site(),
             }},
        {.className = "ctlInpTable",
         .form = PageForm::Single,
         .templ = PageTemplate::Parameter,
         .resize = ResizeForm::Narrow,
         .readWriteOption = 3,
         .children =
             {
                 Row(3, 360, "TRANS/%d/Act/LIN_TYPE"),
                 Title(),
                 Help(0, 120),
                 Site(),
             }},
    };
}

}  // namespace kv
