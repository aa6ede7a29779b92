// The identification pages: device tag and texts, positioner, actuator, valve, additional gear
// and batch information. Single parameter pages; row i stands at 360 x (i + 1).

#include "ui/parameterpages/PageDesignBuilders.h"
#include "ui/parameterpages/PageDesignGroups.h"

namespace kv {

using namespace pagedesign;

std::vector<PageDesign> IdentificationPageDesigns() {
    return {
        {.className = "ctlId",
         .form = PageForm::Single,
         .templ = PageTemplate::Parameter,
         .resize = ResizeForm::Narrow,
         .readWriteOption = 3,
         .children =
             {
                 Title(),
                 Row(0, 360, "PHYS/TAG_DESC"),
                 Row(1, 720, "PHYS/DESCRIPTOR"),
                 Row(2, 1080, "PHYS/DEVICE_MESSAGE"),
                 Row(3, 1440, "PHYS/MFR/TEXT_INPUT_1"),
                 Row(4, 1800, "PHYS/MFR/TEXT_INPUT_2"),
                 Row(5, 2160, "PHYS/MFR/TEXT_INPUT_3"),
                 Help(0, 720),
                 Site(),
             }},
        {.className = "ctlIdPos",
         .form = PageForm::Single,
         .templ = PageTemplate::Parameter,
         .resize = ResizeForm::Narrow,
         .readWriteOption = 3,
         .children =
             {
                 Title(),
                 Row(0, 360, "FUNC/%d/AO/TAG_DESC"),
                 Row(1, 720, "TRANS/%d/Act/TAG_DESC"),
                 Row(2, 1080, "PHYS/DEVICE_MAN_ID"),
                 Row(3, 1440, "PHYS/DEVICE_SER_NUM"),
                 Row(4, 1800, "PHYS/MFR/DEVICE_PRODUCT_NUM"),
                 Row(5, 2160, "PHYS/SOFTWARE_REVISION"),
                 Row(6, 2520, "PHYS/HARDWARE_REVISION"),
                 Row(7, 2880, "PHYS/DEVICE_INSTAL_DATE"),
                 Row(8, 3240, "PHYS/IDENT_NUMBER_SELECTOR"),
                 Row(9, 3600, "PHYS/ST_REV"),
                 Help(0, 3240),
                 Site(),
             }},
        {.className = "ctlIdAct",
         .form = PageForm::Single,
         .templ = PageTemplate::Parameter,
         .resize = ResizeForm::Narrow,
         .readWriteOption = 3,
         .children =
             {
                 Title(),
                 Row(0, 360, "TRANS/%d/Act/ACTUATOR_MAN"),
                 Row(1, 720, "TRANS/%d/Act/ACTUATOR_SERIAL_NUMBER"),
                 Row(2, 1080, "TRANS/%d/Act/ACTUATOR_TYPE"),
                 Help(0, 720),
                 Site(),
             }},
        {.className = "ctlIdValve",
         .form = PageForm::Single,
         .templ = PageTemplate::Parameter,
         .resize = ResizeForm::Narrow,
         .readWriteOption = 3,
         .children =
             {
                 Title(),
                 Row(0, 360, "TRANS/%d/Act/VALVE_MAN"),
                 Row(1, 720, "TRANS/%d/Act/VALVE_SERIAL_NUMBER"),
                 Row(2, 1080, "TRANS/%d/Act/VALVE_TYPE").Locked(),
                 Row(3, 1440, "TRANS/%d/Act/RATED_TRAVEL").Locked(),
                 Help(0, 480),
                 Site(),
             }},
        {.className = "ctlIdAddGear",
         .form = PageForm::Single,
         .templ = PageTemplate::Parameter,
         .resize = ResizeForm::Narrow,
         .readWriteOption = 3,
         .children =
             {
                 Title(),
                 Row(0, 360, "PHYS/MFR/IDENT_BINARY_INPUT"),
                 Row(1, 720, "PHYS/MFR/IDENT_LIMIT_SWITCHES"),
                 Row(2, 1080, "PHYS/MFR/IDENT_FORCED_VENTING"),
                 Row(3, 1440, "TRANS/%d/Act/ADDITIONAL_GEAR_INSTALL_DATE"),
                 Row(4, 1800, "TRANS/%d/Act/ADDITIONAL_GEAR_ID"),
                 Row(5, 2160, "TRANS/%d/Act/ADDITIONAL_GEAR_MAN"),
                 Row(6, 2520, "TRANS/%d/Act/ADDITIONAL_GEAR_SER_NUMBER"),
                 Row(7, 2880, "PHYS/HW_WRITE_PROTECTION"),
                 Row(8, 3240, "PHYS/WRITE_LOCKING").Locked(),
                 Help(0, 1080),
                 Site(),
             }},
        {.className = "ctlIdBatch",
         .form = PageForm::Single,
         .templ = PageTemplate::Parameter,
         .resize = ResizeForm::Narrow,
         .readWriteOption = 3,
         .children =
             {
                 Title(),
                 Row(0, 360, "FUNC/%d/AO/BATCH/BATCH_ID"),
                 Row(1, 720, "FUNC/%d/AO/BATCH/RUP"),
                 Row(2, 1080, "FUNC/%d/AO/BATCH/OPERATION"),
                 Row(3, 1440, "FUNC/%d/AO/BATCH/PHASE"),
                 Help(0, 480),
                 Site(),
             }},
    };
}

}  // namespace kv
