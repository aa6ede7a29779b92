// The local-operation, maintenance-date and certificate pages, the write-lock page and the
// diagnosis-option page.

#include "ui/parameterpages/PageDesignBuilders.h"
#include "ui/parameterpages/PageDesignGroups.h"

namespace kv {

using namespace pagedesign;

std::vector<PageDesign> InterfacePageDesigns() {
    return {
        {.className = "ctlIf",
         .form = PageForm::Single,
         .templ = PageTemplate::Parameter,
         .resize = ResizeForm::Narrow,
         .readWriteOption = 3,
         .children =
             {
                 Title(),
                 Row(0, 360, "PHYS/LOCAL_OP_ENA"),
                 Help(0, 0),
                 Site(),
             }},
        {.className = "ctlIfMaint",
         .form = PageForm::Single,
         .templ = PageTemplate::Parameter,
         .resize = ResizeForm::Narrow,
         .readWriteOption = 3,
         .children =
             {
                 Title(),
                 Row(0, 360, "TRANS/%d/Act/DEVICE_CALIB_DATE"),
                 Row(1, 720, "TRANS/%d/Act/DEVICE_CONFIG_DATE"),
                 Row(2, 1080, "TRANS/%d/Act/VALVE_MAINTENANCE_DATE"),
                 Help(0, 720),
                 Site(),
             }},
        {.className = "ctlCertificate",
         .form = PageForm::Single,
         .templ = PageTemplate::Parameter,
         .resize = ResizeForm::Narrow,
         .readWriteOption = 1,
         .children =
             {
                 Title(),
                 Row(0, 360, "PHYS/DEVICE_CERTIFICATION"),
                 Help(0, 0),
                 Site(),
             }},
        {.className = "ctlWriteLock",
         .form = PageForm::Single,
         .templ = PageTemplate::Parameter,
         .resize = ResizeForm::Narrow,
         .readWriteOption = 3,
         .children =
             {
                 Row(0, 360, "PHYS/WRITE_LOCKING"),
                 Title(),
                 Help(0, 0),
                 Row(1, 720, "PHYS/HW_WRITE_PROTECTION"),
                 Site(),
             }},
        // The top row overlaps the lower 15 twips of the title.
        {.className = "ctlSelectOpt",
         .form = PageForm::Composite,
         .templ = PageTemplate::Parameter,
         .resize = ResizeForm::Wide,
         .readWriteOption = 3,
         .children =
             {
                 Title(),
                 Help(0, 720),
                 Row(0, 240, "PHYS/MFR/DIAGNOSIS_OPT/DIAGNOSIS_OPT_1").Height(3075),
                 Row(1, 3840, "FUNC/%d/AO/MFR/CHECK_BACK_OPT").Height(2835),
                 Row(2, 3360, "PHYS/MFR/DIAGNOSIS_OPT/DIAGNOSIS_OPT_2").Height(375),
                 Site(),
             }},
    };
}

}  // namespace kv
