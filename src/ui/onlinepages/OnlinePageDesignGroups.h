#pragma once
// The online page tables by group; OnlinePageDesigns() lists them all.

#include <vector>

#include "ui/parameterpages/PageDesign.h"

namespace kv {

std::vector<PageDesign> DisplayPageDesigns();    // state, statistics, diagnosis, measured values
std::vector<PageDesign> ArchivePageDesigns();    // ctlArchive
std::vector<PageDesign> OperationPageDesigns();  // operation modes and simulation
std::vector<PageDesign> CommandPageDesigns();    // resets, initialisation and calibration

}  // namespace kv
