// The control-characteristic, fail-safe, travel-time and error-limit pages and the adjustment
// page. `ctlChar` and `ctlAdjust` are composite pages; the rows stand in designer order, which is
// the order of the page's read and write requests.

#include "ui/parameterpages/PageDesignBuilders.h"
#include "ui/parameterpages/PageDesignGroups.h"

namespace kv {

using namespace pagedesign;

std::vector<PageDesign> CharacteristicPageDesigns() {
    return {
        {.className = "ctlChar",
         .form = PageForm::Composite,
         .templ = PageTemplate::Parameter,
         .resize = ResizeForm::Narrow,
         .readWriteOption = 3,
         .children =
             {
                 Row(0, 360, "TRANS/%d/Act/DEADBAND"),
                 Row(1, 720, "TRANS/%d/Act/SERVO_GAIN_1"),
                 Row(2, 1080, "TRANS/%d/Act/SERVO_GAIN_2"),
                 Title(),
                 Help(0, 480),
                 Row(3, 1440, "TRANS/%d/Act/SERVO_RATE_1"),
                 Row(4, 1800, "TRANS/%d/Act/MFR/TOL_OVERSHOOT"),
                 Site(),
             }},
        {.className = "ctlCharPwLoss",
         .form = PageForm::Single,
         .templ = PageTemplate::Parameter,
         .resize = ResizeForm::Narrow,
         .readWriteOption = 3,
         .children =
             {
                 Row(4, 720, "FUNC/%d/AO/FSAFE_TYPE"),
                 Row(5, 1080, "FUNC/%d/AO/FSAFE_TIME"),
                 Title(),
                 Row(0, 1440, "FUNC/%d/AO/FSAFE_VALUE"),
                 Row(1, 360, "TRANS/%d/Act/ACTUATOR_ACTION"),
                 Help(0, 840),
                 Site(),
             }},
        {.className = "ctlCharTvlTime",
         .form = PageForm::Single,
         .templ = PageTemplate::Parameter,
         .resize = ResizeForm::Narrow,
         .readWriteOption = 3,
         .children =
             {
                 Row(1, 720, "TRANS/%d/Act/ACT_STROKE_TIME_INC"),
                 Row(2, 1080, "TRANS/%d/Act/TRAVEL_RATE_DEC"),
                 Title(),
                 Row(3, 1440, "TRANS/%d/Act/TRAVEL_RATE_INC"),
                 Row(0, 360, "TRANS/%d/Act/ACT_STROKE_TIME_DEC"),
                 Help(0, 840),
                 Site(),
             }},
        {.className = "ctlCharErr",
         .form = PageForm::Single,
         .templ = PageTemplate::Parameter,
         .resize = ResizeForm::Narrow,
         .readWriteOption = 3,
         .children =
             {
                 Row(1, 720, "TRANS/%d/Act/MFR/DELAY_TIME"),
                 Row(2, 1080, "TRANS/%d/Act/TOTAL_VALVE_TRAVEL"),
                 Title(),
                 Row(3, 1440, "TRANS/%d/Act/TOTAL_VALVE_TRAVEL_LIMIT"),
                 Row(0, 360, "TRANS/%d/Act/MFR/TOLERANCE_BAND"),
                 Help(0, 840),
                 Site(),
             }},
        // On screen the rows 14 and 15 stand between the rows 4 and 5.
        {.className = "ctlAdjust",
         .form = PageForm::Composite,
         .templ = PageTemplate::Parameter,
         .resize = ResizeForm::Narrow,
         .readWriteOption = 3,
         .children =
             {
                 Row(0, 360, "TRANS/%d/Act/VALVE_TYPE"),
                 Row(1, 720, "TRANS/%d/Act/MFR/ATTACHMENT"),
                 Row(2, 1080, "TRANS/%d/Act/MFR/ACTUATOR_VERSION"),
                 Title(),
                 Help(0, 480),
                 Row(3, 1440, "TRANS/%d/Act/RATED_TRAVEL"),
                 Row(4, 1800, "TRANS/%d/Act/MFR/TRANSM_CODE/Value"),
                 Row(5, 2880, "TRANS/%d/Act/MFR/INIT_METHOD"),
                 Row(6, 3240, "TRANS/%d/Act/MFR/MOUNTING_POSITION"),
                 Row(7, 3600, "TRANS/%d/Act/MFR/SELF_CALIB_WARNING"),
                 Row(8, 3960, "TRANS/%d/Act/ACTUATOR_ACTION"),
                 Row(9, 4320, "TRANS/%d/Act/ACT_STROKE_TIME_DEC"),
                 Row(10, 4680, "TRANS/%d/Act/ACT_STROKE_TIME_INC"),
                 Row(11, 5040, "TRANS/%d/Act/MFR/MAX_HUB"),
                 Row(12, 5400, "FUNC/%d/AO/IN_CHANNEL"),
                 Row(13, 5760, "FUNC/%d/AO/OUT_CHANNEL"),
                 Row(14, 2160, "TRANS/%d/Act/MFR/TRANSM_LENGTH"),
                 Row(15, 2520, "TRANS/%d/Act/MFR/TRANSM_PIN_POS"),
                 Site(),
             }},
    };
}

}  // namespace kv
