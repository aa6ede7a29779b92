#pragma once
// The parameter page tables by group; ParameterPageDesigns() lists them all.

#include <vector>

#include "ui/parameterpages/PageDesign.h"

namespace kv {

std::vector<PageDesign> IdentificationPageDesigns();  // ctlId ... ctlIdBatch
std::vector<PageDesign> InputPageDesigns();           // ctlInpVal, ctlInpWork, ctlInpTable
std::vector<PageDesign> CharacteristicPageDesigns();  // ctlChar ... ctlCharErr, ctlAdjust
std::vector<PageDesign> InterfacePageDesigns();       // ctlIf, ctlIfMaint, ctlCertificate,
                                                      // ctlWriteLock, ctlSelectOpt
std::vector<PageDesign> ProfilePageDesigns();  // ctlProfil_PB, ctlProfil_TB_Act, ctlProfil_FB_AO
std::vector<PageDesign> CommitPageDesigns();   // ctlChannelAssign, ctlAddress

}  // namespace kv
