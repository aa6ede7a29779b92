// The archive page: four rows above the archive control that records and shows their curves.

#include "ui/onlinepages/OnlinePageDesignGroups.h"
#include "ui/parameterpages/PageDesignBuilders.h"

namespace kv {

using namespace pagedesign;

std::vector<PageDesign> ArchivePageDesigns() {
    return {
        {.className = "ctlArchive",
         .form = PageForm::Composite,
         .templ = PageTemplate::Archive,
         .resize = ResizeForm::Archive,
         .readWriteOption = 0,
         .children =
             {
                 // The title spans the width of the archive control's page.
                 Child(ChildKind::Separator, "sepTitle", -1, {120, 0, 9135, 255})
                     .Prop("title", "Title"),
                 Row(0, 360, "FUNC/%d/AO/READBACK/Value"),
                 Row(1, 720, "FUNC/%d/AO/SP/Value").Locked(),
                 Row(2, 1080, "PHYS/DIAGNOSIS/DIA_ZERO_ERR"),
                 Row(3, 1440, "FUNC/%d/AO/CHECK_BACK/CB_CONTR_ERR"),
                 Help(0, 1200, 615, 840),
                 Cycle(1560, 1680),
                 Child(ChildKind::Archive, "ctlDTMArchive", -1, {120, 1920, 6240, 4755})
                     .Prop("minheight", 4755.0)
                     .Prop("minwidth", 6000.0)
                     .Prop("curvecount", 4)
                     .Prop("updateactranges", true)
                     .Prop("propcolwidth", 2300)
                     .Prop("cycletime", 1000)
                     .Prop("cycleframevisible", false),
                 Site(),
             }},
    };
}

}  // namespace kv
