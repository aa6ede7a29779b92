// The cyclic display pages: device state, travel statistics, diagnosis, and the measured values
// with their bar graphs. Composite pages without read or write of their own.

#include "ui/onlinepages/OnlinePageDesignGroups.h"
#include "ui/parameterpages/PageDesignBuilders.h"

namespace kv {

using namespace pagedesign;

namespace {

// A block diagnosis page: the block object member by member, the static revision and the
// actual mode of the block with this prefix; row i at 360 x (i + 1).
PageDesign BlockDiagnosisPage(const char* className, const std::string& prefix) {
    return {.className = className,
            .form = PageForm::Composite,
            .templ = PageTemplate::CyclicDisplay,
            .resize = ResizeForm::Wide,
            .readWriteOption = 0,
            .children = {
                Title(),
                Row(0, 360, prefix + "BLK_OBJ/Block_Object"),
                Row(1, 720, prefix + "BLK_OBJ/Parent_Class"),
                Row(2, 1080, prefix + "BLK_OBJ/Class"),
                Row(3, 1440, prefix + "BLK_OBJ/DD_Reference"),
                Row(4, 1800, prefix + "BLK_OBJ/DD_Revision"),
                Row(5, 2160, prefix + "BLK_OBJ/Profile"),
                Row(6, 2520, prefix + "BLK_OBJ/Profile_Revision"),
                Row(7, 2880, prefix + "ST_REV"),
                Row(8, 3240, prefix + "MODE_BLK/Actual"),
                Help(0, 720),
                Site(),
                Cycle(5400, 3360),
            }};
}

}  // namespace

std::vector<PageDesign> DisplayPageDesigns() {
    return {
        {.className = "ctlMeasVal",
         .form = PageForm::Composite,
         .templ = PageTemplate::CyclicDisplay,
         .resize = ResizeForm::Wide,
         .readWriteOption = 0,
         .children =
             {
                 Title(),
                 Separator("sepReadback", 360, "Titel Readback"),
                 Picture("Picture1", {120, 600, 6015, 630}),
                 Bar("barAORb", "Picture1", {30, 60, 5895, 420}, 32768),
                 Row(0, 1320, "FUNC/%d/AO/READBACK/Value"),
                 Row(4, 1680, "FUNC/%d/AO/READBACK/Status"),
                 Row(3, 2040, "FUNC/%d/AO/SETP_DEVIATION"),
                 Row(6, 2400, "FUNC/%d/AO/POS_D/Value"),
                 Separator("sepSetpoint", 2880, "Title Setpoint"),
                 Picture("Picture2", {120, 3120, 6015, 630}),
                 Bar("barAOSp", "Picture2", {30, 60, 5895, 420}, 16711680),
                 Row(7, 3840, "FUNC/%d/AO/SP/Value").Locked(),
                 Row(10, 4200, "FUNC/%d/AO/SP/Status").Locked(),
                 Row(9, 4560, "FUNC/%d/AO/PV_SCALE/Lo_Val").Locked(),
                 Row(8, 4920, "FUNC/%d/AO/PV_SCALE/Up_Val").Locked(),
                 Row(5, 5280, "FUNC/%d/AO/CHECK_BACK/").Height(3075),
                 Help(120, 7560),
                 Cycle(5400, 8280),
                 Site(),
             },
         .bars =
             {
                 {"barAORb", "FUNC/%d/AO/READBACK/Value", "FUNC/%d/AO/PV_SCALE/Lo_Val",
                  "FUNC/%d/AO/PV_SCALE/Up_Val"},
                 {"barAOSp", "FUNC/%d/AO/SP/Value", "FUNC/%d/AO/PV_SCALE/Lo_Val",
                  "FUNC/%d/AO/PV_SCALE/Up_Val"},
             }},
        {.className = "ctlMeasOut",
         .form = PageForm::Composite,
         .templ = PageTemplate::CyclicDisplay,
         .resize = ResizeForm::Wide,
         .readWriteOption = 0,
         .children =
             {
                 Title(),
                 Picture("Picture1", {120, 360, 6015, 630}),
                 Bar("barAOOut", "Picture1", {30, 60, 5895, 420}, 16576),
                 Row(0, 1080, "FUNC/%d/AO/OUT/Value").Locked(),
                 Row(4, 1440, "FUNC/%d/AO/OUT/StatusQuality").Locked(),
                 Row(3, 1800, "FUNC/%d/AO/OUT/StatusLimit").Locked(),
                 Row(1, 2160, "FUNC/%d/AO/OUT_SCALE/Lo_Val").Locked(),
                 Row(2, 2520, "FUNC/%d/AO/OUT_SCALE/Up_Val").Locked(),
                 Row(5, 2880, "FUNC/%d/AO/CHECK_BACK/").Height(3075),
                 Help(0, 5160),
                 Cycle(5400, 5880),
                 Site(),
             },
         .bars =
             {
                 {"barAOOut", "FUNC/%d/AO/OUT/Value", "FUNC/%d/AO/OUT_SCALE/Lo_Val",
                  "FUNC/%d/AO/OUT_SCALE/Up_Val"},
             }},
        {.className = "ctlMeasState",
         .form = PageForm::Composite,
         .templ = PageTemplate::CyclicDisplay,
         .resize = ResizeForm::Narrow,
         .readWriteOption = 0,
         .children =
             {
                 Title(),
                 Row(0, 360, "TRANS/%d/Act/MFR/BINARY_INPUT"),
                 Row(1, 720, "FUNC/%d/AO/CHECK_BACK/").Height(3075),
                 Row(2, 3840, "PHYS/DIAGNOSIS/").Height(3435),
                 Row(3, 7320, "PHYS/DIAGNOSIS_EXTENSION/").Height(1035),
                 Row(4, 8400, "FUNC/%d/AO/MODE_BLK/Actual"),
                 Row(5, 8760, "TRANS/%d/Act/MFR/TRANSDUCER_STATE"),
                 Help(0, 8160),
                 Site(),
                 Cycle(5760, 8880, 615),
             }},
        {.className = "ctlMeasStatistics",
         .form = PageForm::Composite,
         .templ = PageTemplate::CyclicDisplay,
         .resize = ResizeForm::Narrow,
         .readWriteOption = 0,
         .children =
             {
                 Title(),
                 Row(0, 360, "TRANS/%d/Act/TOTAL_VALVE_TRAVEL"),
                 Row(1, 720, "TRANS/%d/Act/TOTAL_VALVE_TRAVEL_LIMIT").Locked(),
                 Help(0, 360),
                 Site(),
                 Cycle(5640, 840, 735),
             }},
        // On screen: rows 0 to 6, then 9, 11, 12, 8, 7, 10.
        {.className = "ctlDiagGen",
         .form = PageForm::Composite,
         .templ = PageTemplate::CyclicDisplay,
         .resize = ResizeForm::Wide,
         .readWriteOption = 0,
         .children =
             {
                 Title(),
                 Row(0, 360, "PHYS/TAG_DESC").Locked(),
                 Row(1, 720, "PHYS/DEVICE_MAN_ID"),
                 Row(2, 1080, "PHYS/DEVICE_ID"),
                 Row(3, 1440, "PHYS/DEVICE_SER_NUM"),
                 Row(4, 1800, "PHYS/SOFTWARE_REVISION"),
                 Row(5, 2160, "PHYS/HARDWARE_REVISION"),
                 Row(6, 2520, "PHYS/DEVICE_INSTAL_DATE").Locked(),
                 Row(7, 7080, "PHYS/DIAGNOSIS/").Height(3435),
                 Row(8, 3960, "FUNC/%d/AO/CHECK_BACK/").Height(3075),
                 Row(9, 2880, "TRANS/%d/Act/MFR/BINARY_INPUT"),
                 Row(10, 10560, "PHYS/DIAGNOSIS_EXTENSION/").Height(1035),
                 Row(11, 3240, "FUNC/%d/AO/MODE_BLK/Actual"),
                 Row(12, 3600, "TRANS/%d/Act/MFR/TRANSDUCER_STATE"),
                 Help(0, 10680),
                 Site(),
                 Cycle(5880, 11400),
             }},
        BlockDiagnosisPage("ctlDiagPhys", "PHYS/"),
        BlockDiagnosisPage("ctlDiagTrans", "TRANS/%d/Act/"),
        BlockDiagnosisPage("ctlDiagFunc", "FUNC/%d/AO/"),
    };
}

}  // namespace kv
