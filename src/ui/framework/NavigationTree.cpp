#include "ui/framework/NavigationTree.h"

namespace kv {

namespace {

constexpr const char* kTree = R"xml(<?xml version="1.0"?>
<treeview>
  <node key="Node0" caption="$(tvOffline)" ctl="" functionId="1" showFlag="showAllChilds" enabledFlag="enabledAll" navViewVisibleFlag="1" lockedStatus="Falsch">
    <node key="Node1" caption="$(tvIdentification)" ctl="" showFlag="showAllChilds" enabledFlag="enabledMeChilds">
      <node key="Node2" caption="$(ctlId_sepTitle)" ctl="KV6274PA.ctlId" showFlag="showMe" enabledFlag="enabledMe"/>
      <node key="Node3" caption="$(tvDevice)" ctl="" showFlag="showAllChilds" enabledFlag="enabledMeChilds">
        <node key="Node4" caption="$(ctlIdPos_sepTitle)" ctl="KV6274PA.ctlIdPos" showFlag="showMe" enabledFlag="enabledMe"/>
        <node key="Node5" caption="$(ctlIdAct_sepTitle)" ctl="KV6274PA.ctlIdAct" showFlag="showMe"/>
        <node key="Node6" caption="$(ctlIdValve_sepTitle)" ctl="KV6274PA.ctlIdValve" showFlag="showMe"/>
        <node key="Node7" caption="$(ctlIdAddGear_sepTitle)" ctl="KV6274PA.ctlIdAddGear" showFlag="showMe"/>
      </node>
      <node key="Node8" caption="$(ctlIdBatch_sepTitle)" ctl="KV6274PA.ctlIdBatch" showFlag="showMe" enabledFlag="enabledMe"/>
    </node>
    <node key="Node9" caption="$(tvInput)" ctl="" showFlag="showAllChilds" enabledFlag="enabledMeChilds">
      <node key="Node10" caption="$(ctlInpVal_sepTitle)" ctl="KV6274PA.ctlInpVal" showFlag="showMe" enabledFlag="enabledMe"/>
      <node key="Node11" caption="$(ctlInpWork_sepTitle)" ctl="KV6274PA.ctlInpWork" showFlag="showMe"/>
      <node key="Node12" caption="$(ctlInpTable_sepTitle)" ctl="KV6274PA.ctlInpTable" showFlag="showMe"/>
    </node>
    <node key="Node13" caption="$(ctlChar_sepTitle)" ctl="KV6274PA.ctlChar" showFlag="showAllChilds">
      <node key="Node14" caption="$(ctlCharPwLoss_sepTitle)" ctl="KV6274PA.ctlCharPwLoss" showFlag="showMe" enabledFlag="enabledMe"/>
      <node key="Node15" caption="$(ctlCharTvlTime_sepTitle)" ctl="KV6274PA.ctlCharTvlTime" showFlag="showMe"/>
      <node key="Node16" caption="$(ctlCharErr_sepTitle)" ctl="KV6274PA.ctlCharErr" showFlag="showMe"/>
    </node>
    <node key="Node17" caption="$(ctlAdjust_sepTitle)" ctl="KV6274PA.ctlAdjust" showFlag="showMe" enabledFlag="enabledMe"/>
    <node key="Node18" caption="$(ctlIf_sepTitle)" ctl="KV6274PA.ctlIf" showFlag="showAllChilds" enabledFlag="enabledMeChilds">
      <node key="Node19" caption="$(ctlIfMaint_sepTitle)" ctl="KV6274PA.ctlIfMaint" showFlag="showMe" enabledFlag="enabledMe"/>
    </node>
    <node key="Node20" caption="$(ctlCertificate_sepTitle)" ctl="KV6274PA.ctlCertificate" showFlag="showMe" enabledFlag="enabledMe"/>
  </node>
  <node key="Node21" caption="$(tvMeasure)" ctl="" functionId="7" showFlag="showAllChilds" enabledFlag="enabledMeChilds">
    <node key="Node22" caption="$(ctlMeasVal_sepTitle)" ctl="KV6274PA.ctlMeasVal" showFlag="showMe" enabledFlag="enabledMe"/>
    <node key="Node23" caption="$(ctlMeasOut_sepTitle)" ctl="KV6274PA.ctlMeasOut" showFlag="showMe" enabledFlag="enabledMe"/>
    <node key="Node24" caption="$(ctlMeasState_sepTitle)" ctl="KV6274PA.ctlMeasState" showFlag="showMe" enabledFlag="enabledMe"/>
    <node key="Node25" caption="$(ctlMeasStatistics_sepTitle)" ctl="KV6274PA.ctlMeasStatistics" showFlag="showMe" enabledFlag="enabledMe"/>
  </node>
  <node key="Node26" caption="$(tvTrend)" ctl="KV6274PA.ctlArchive" functionId="8" showFlag="showMe" enabledFlag="enabledMe" navViewVisibleFlag="0" lockedStatus="Falsch"/>
  <node key="Node27" caption="$(tvDiagnosis)" ctl="" functionId="5" showFlag="showAllChilds" enabledFlag="enabledMeChilds">
    <node key="Node28" caption="$(ctlDiagGen_sepTitle)" ctl="KV6274PA.ctlDiagGen" showFlag="showMe" enabledFlag="enabledMeChilds"/>
    <node key="Node29" caption="$(ctlDiagPhys_sepTitle)" ctl="KV6274PA.ctlDiagPhys" showFlag="showMe"/>
    <node key="Node30" caption="$(ctlDiagTrans_sepTitle)" ctl="KV6274PA.ctlDiagTrans" showFlag="showMe"/>
    <node key="Node31" caption="$(ctlDiagFunc_sepTitle)" ctl="KV6274PA.ctlDiagFunc" showFlag="showMe"/>
  </node>
  <node key="Node32" caption="$(tvOperation)" ctl="" functionId="2" showFlag="showAllChilds" enabledFlag="enabledMeChilds">
    <node key="Node33" caption="$(ctlOpAuto_sepTitle)" ctl="KV6274PA.ctlOpAuto" showFlag="showMe" enabledFlag="enabledMeChilds"/>
    <node key="Node34" caption="$(ctlOpRCAS_sepTitle)" ctl="KV6274PA.ctlOpRCAS" showFlag="showMe"/>
    <node key="Node35" caption="$(ctlOpLocOv_sepTitle)" ctl="KV6274PA.ctlOpLocOv" showFlag="showMe"/>
    <node key="Node36" caption="$(ctlOpTrans_sepTitle)" ctl="KV6274PA.ctlOpTrans" showFlag="showMe"/>
    <node key="Node37" caption="$(ctlSimulate_sepTitle)" ctl="KV6274PA.ctlSimulate" functionId="3" showFlag="showMe" enabledFlag="enabledMe"/>
  </node>
  <node key="Node38" caption="$(tvResets)" ctl="" functionId="10" showFlag="showAllChilds" enabledFlag="enabledMeChilds">
    <node key="Node39" caption="$(ctlResetMaint_sepTitle)" ctl="KV6274PA.ctlResetMaint" showFlag="showMe"/>
    <node key="Node40" caption="$(ctlResetWarm_sepTitle)" ctl="KV6274PA.ctlResetWarm" showFlag="showMe"/>
    <node key="Node41" caption="$(ctlResetFact_sepTitle)" ctl="KV6274PA.ctlResetFact" showFlag="showMe"/>
  </node>
  <node key="Node42" caption="$(ctlSelfCalib_sepTitle)" ctl="KV6274PA.ctlSelfCalib" functionId="11" showFlag="showMe" enabledFlag="enabledMe"/>
  <node key="Node43" caption="$(ctlWriteLock_sepTitle)" ctl="KV6274PA.ctlWriteLock" functionId="12" showFlag="showMe" enabledFlag="enabledMe"/>
  <node key="Node44" caption="$(ctlSelectOpt_sepTitle)" ctl="KV6274PA.ctlSelectOpt" functionId="13" showFlag="showMe" enabledFlag="enabledMe"/>
  <node key="Node45" caption="$(ctlAddress_sepTitle)" ctl="KV6274PA.ctlAddress" functionId="9" showFlag="showMe" enabledFlag="enabledMe"/>
  <node key="Node46" caption="$(ctlChannelAssign_sepTitle)" ctl="KV6274PA.ctlChannelAssign" showFlag="showMe" enabledFlag="enabledMe"/>
  <node key="Node47" caption="$(ctlAbout_sepTitle)" ctl="KV6274PA.ctlAbout" functionId="15" showFlag="showMe" enabledFlag="enabledMe"/>
  <node key="Node48" caption="$(tvBlocks)" ctl="" functionId="14" showFlag="showAllChilds" enabledFlag="enabledMeChilds">
    <node key="Node49" caption="$(ctlProfil_PB_sepTitle)" ctl="KV6274PA.ctlProfil_PB" showFlag="showMe"/>
    <node key="Node50" caption="$(ctlProfil_TB_Act_sepTitle)" ctl="KV6274PA.ctlProfil_TB_Act" showFlag="showMe"/>
    <node key="Node51" caption="$(ctlProfil_FB_AO_sepTitle)" ctl="KV6274PA.ctlProfil_FB_AO" showFlag="showMe"/>
  </node>
</treeview>)xml";

}  // namespace

const char* DesignTimeTreeStructure() {
    return kTree;
}

}  // namespace kv
