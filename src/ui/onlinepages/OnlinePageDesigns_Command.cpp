// The device command pages: resets, warm start, cold starts, initialisation and calibration.
// Read-only composite pages; each button writes its value into the page's command element after
// the write-protection check and, where it has an alert key, the user's Yes. The calibrations
// are followed in their status element until they end.

#include "ui/onlinepages/OnlinePageDesignGroups.h"
#include "ui/parameterpages/PageDesignBuilders.h"

namespace kv {

using namespace pagedesign;

namespace {

constexpr const char* kCalibrationCommand = "TRANS/%d/Act/SELF_CALIBRATION_CMD";
constexpr const char* kFactoryReset = "PHYS/FACTORY_RESET";
// The calibrations run on in the device, which tells in this element how they go.
constexpr const char* kCalibrationStatus = "TRANS/%d/Act/SELF_CALIBRATION_STATUS";
// Its value at the end of any calibration that was aborted.
constexpr int32_t kCalibrationAborted = 7;

// The children that every command page has before its own rows: the title, the help control,
// the site, the cycle control and the check-back and diagnosis bit lists.
std::vector<ChildDesign> CommandPageHead(int32_t cycleLeft, int32_t cycleTop) {
    std::vector<ChildDesign> head;
    head.push_back(Title());
    head.push_back(Help(0, 0));
    head.push_back(Site());
    head.push_back(Cycle(cycleLeft, cycleTop));
    head.push_back(Row(3, 360, "FUNC/%d/AO/CHECK_BACK/").Type(4).Height(1875));
    head.push_back(Row(0, 2280, "PHYS/DIAGNOSIS/").Type(4).Height(1875));
    return head;
}

// The head followed by the page's own children.
std::vector<ChildDesign> WithHead(std::vector<ChildDesign> head, std::vector<ChildDesign> rest) {
    for (ChildDesign& c : rest)
        head.push_back(std::move(c));
    return head;
}

PageDesign CommandPage(const char* className, std::vector<ChildDesign> children,
                       std::vector<CommandDesign> commands) {
    return {.className = className,
            .form = PageForm::Composite,
            .templ = PageTemplate::Command,
            .resize = ResizeForm::Narrow,
            .readWriteOption = 1,
            .children = std::move(children),
            .commands = std::move(commands)};
}

}  // namespace

std::vector<PageDesign> CommandPageDesigns() {
    return {
        CommandPage(
            "ctlResetMaint",
            WithHead(
                CommandPageHead(2640, 5280),
                {
                    Row(1, 4200, "TRANS/%d/Act/TOTAL_VALVE_TRAVEL"),
                    Row(2, 4560, "TRANS/%d/Act/SELF_CALIBRATION_STATUS").Type(4),
                    Button("cmdTotalValveTravel", {120, 5040, 2535, 315}, "cmdTotalValveTravel")
                        .Tab(0),
                    Button("cmdCtrlLoopFault", {3720, 5040, 2535, 315}, "cmdCtrlLoopFault").Tab(1),
                }),
            {
                {"cmdTotalValveTravel", "alert_TotalValveTravel", kCalibrationCommand, 7, false,
                 "ctlResetMaint_cmdTotalValveTravel"},
                {"cmdCtrlLoopFault", "alert_ctrlLoopFault", kCalibrationCommand, 10, false,
                 "ctlResetMaint_cmdCtrlLoopFault"},
            }),
        CommandPage(
            "ctlResetWarm",
            WithHead(CommandPageHead(5400, 4440),
                     {
                         Button("cmdWarmStart", {1680, 4320, 2535, 315}, "cmdWarmStart").Tab(0),
                     }),
            {
                {"cmdWarmStart", "alert_WarmStart", kFactoryReset, 2506, false,
                 "ctlResetWarm_cmdWarmStart"},
            }),
        CommandPage(
            "ctlResetFact",
            WithHead(
                CommandPageHead(0, 5520),
                {
                    Button("cmdColdStartAppl", {600, 4320, 5055, 315}, "cmdColdStartAppl").Tab(0),
                    Button("cmdColdStartIdent", {600, 4680, 5055, 315}, "cmdColdStartIdent").Tab(1),
                    Button("cmdColdStartApplIdent", {600, 5040, 5055, 315}, "cmdColdStartApplIdent")
                        .Tab(2),
                    Button("cmdResetBusAdr", {600, 5400, 5055, 315}, "cmdResetBusAdr").Tab(3),
                }),
            {
                {"cmdColdStartAppl", "alert_ColdStartAppl", kFactoryReset, 32769, true,
                 "ctlResetFact_cmdColdStartAppl"},
                {"cmdColdStartIdent", "alert_ColdStartIdent", kFactoryReset, 32768, true,
                 "ctlResetFact_cmdColdStartIdent"},
                {"cmdColdStartApplIdent", "alert_ColdStartApplIdent", kFactoryReset, 1, false,
                 "ctlResetFact_cmdColdStartApplIdent"},
                {"cmdResetBusAdr", "alert_ResetBusAdr", kFactoryReset, 2712, false,
                 "ctlResetFact_cmdResetBusAdr"},
            }),
        CommandPage(
            "ctlSelfCalib",
            WithHead(
                CommandPageHead(2640, 5520),
                {
                    Row(2, 4200, "TRANS/%d/Act/SELF_CALIBRATION_STATUS").Type(4),
                    Row(1, 4560, "TRANS/%d/Act/MFR/SELF_CALIB_WARNING").Type(4),
                    Button("cmdInitValve", {120, 5040, 2535, 315}, "cmdInitValve").Tab(1),
                    Button("cmdCalZeroValve", {120, 5400, 2535, 315}, "cmdCalZeroValve").Tab(0),
                    Button("cmdAbortAction", {3720, 5400, 2535, 315}, "cmdAbortAction").Tab(8),
                }),
            {
                {"cmdInitValve",
                 "alert_InitValve",
                 kCalibrationCommand,
                 2,
                 false,
                 "ctlSelfCalib_cmdInitValve",
                 {kCalibrationStatus, 1, 2, {3, kCalibrationAborted}}},
                {"cmdCalZeroValve",
                 "alert_CalZeroValve",
                 kCalibrationCommand,
                 1,
                 false,
                 "ctlSelfCalib_cmdCalZeroValve",
                 {kCalibrationStatus, 4, 5, {6, kCalibrationAborted}}},
                // The abort asks no question.
                {"cmdAbortAction", "", kCalibrationCommand, 255, false,
                 "ctlSelfCalib_cmdAbortAction"},
            }),
    };
}

}  // namespace kv
