// The cyclic parameter pages: the operation-mode pages (composite) and the simulation page
// (single). Live values with read and write; the cycle requests follow the designer order.

#include "ui/onlinepages/OnlinePageDesignGroups.h"
#include "ui/parameterpages/PageDesignBuilders.h"

namespace kv {

using namespace pagedesign;

namespace {

PageDesign OperationPage(const char* className, std::vector<ChildDesign> children) {
    return {.className = className,
            .form = PageForm::Composite,
            .templ = PageTemplate::CyclicParameter,
            .resize = ResizeForm::Wide,
            .readWriteOption = 3,
            .children = std::move(children)};
}

// The automatic and the local-override page: the same rows but for the value and status that
// the mode acts on (rows 2 and 3).
PageDesign AnalogOutputModePage(const char* className, const std::string& valueTag,
                                const std::string& statusTag) {
    return OperationPage(className, {
                                        Cycle(5400, 5880),
                                        Title(),
                                        Row(0, 360, "FUNC/%d/AO/TARGET_MODE"),
                                        Row(1, 720, "FUNC/%d/AO/MODE_BLK/Actual"),
                                        Row(2, 1080, valueTag),
                                        Row(3, 1440, statusTag),
                                        Row(4, 1800, "FUNC/%d/AO/READBACK/Value"),
                                        Row(5, 2160, "FUNC/%d/AO/READBACK/Status"),
                                        Help(0, 5160),
                                        Row(6, 2520, "FUNC/%d/AO/SETP_DEVIATION"),
                                        Row(7, 2880, "FUNC/%d/AO/CHECK_BACK/").Height(3075),
                                        Site(),
                                    });
}

}  // namespace

std::vector<PageDesign> OperationPageDesigns() {
    return {
        AnalogOutputModePage("ctlOpAuto", "FUNC/%d/AO/SP/Value", "FUNC/%d/AO/SP/Status"),
        OperationPage("ctlOpRCAS",
                      {
                          Cycle(5400, 7680),
                          Title(),
                          Row(0, 360, "FUNC/%d/AO/TARGET_MODE"),
                          Row(1, 720, "FUNC/%d/AO/MODE_BLK/Actual"),
                          Row(2, 1080, "FUNC/%d/AO/RCAS_IN/Value"),
                          Row(3, 1440, "FUNC/%d/AO/RCAS_IN/Status"),
                          Row(4, 1800, "FUNC/%d/AO/RCAS_OUT/Value"),
                          Row(5, 2160, "FUNC/%d/AO/RCAS_OUT/StatusQuality"),
                          Help(0, 6960),
                          Row(11, 4320, "FUNC/%d/AO/SETP_DEVIATION"),
                          Row(12, 4680, "FUNC/%d/AO/CHECK_BACK/").Height(3075),
                          Row(6, 2520, "FUNC/%d/AO/RCAS_OUT/StatusLimit"),
                          Row(7, 2880, "TRANS/%d/Act/POSITIONING_VALUE/Value"),
                          Row(8, 3240, "TRANS/%d/Act/POSITIONING_VALUE/Status"),
                          Row(9, 3600, "TRANS/%d/Act/FEEDBACK_VALUE/Value"),
                          Row(10, 3960, "TRANS/%d/Act/FEEDBACK_VALUE/Status"),
                          Site(),
                      }),
        AnalogOutputModePage("ctlOpLocOv", "FUNC/%d/AO/OUT/Value", "FUNC/%d/AO/OUT/StatusQuality"),
        OperationPage("ctlOpTrans",
                      {
                          Cycle(5400, 2280),
                          Title(),
                          Row(0, 360, "TRANS/%d/Act/TARGET_MODE"),
                          Row(1, 720, "TRANS/%d/Act/MODE_BLK/Actual"),
                          Help(0, 720),
                          Row(2, 1080, "TRANS/%d/Act/POSITIONING_VALUE/Value"),
                          Row(3, 1440, "TRANS/%d/Act/POSITIONING_VALUE/Status"),
                          Row(4, 1800, "TRANS/%d/Act/FEEDBACK_VALUE/Value"),
                          Row(5, 2160, "TRANS/%d/Act/FEEDBACK_VALUE/Status"),
                          Site(),
                      }),
        // Four members of the SIMULATE record; array index 2 is not used.
        {.className = "ctlSimulate",
         .form = PageForm::Single,
         .templ = PageTemplate::CyclicParameter,
         .resize = ResizeForm::Narrow,
         .readWriteOption = 3,
         .children =
             {
                 Cycle(5520, 1560),
                 Row(3, 360, "FUNC/%d/AO/SIMULATE/Enabled"),
                 Row(4, 720, "FUNC/%d/AO/SIMULATE/Value"),
                 Title(),
                 Help(0, 840),
                 Row(0, 1080, "FUNC/%d/AO/SIMULATE/StatusQuality"),
                 Row(1, 1440, "FUNC/%d/AO/SIMULATE/StatusLimit"),
                 Site(),
             }},
    };
}

}  // namespace kv
