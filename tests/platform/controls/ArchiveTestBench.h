#pragma once
// A DTM instance of the reference frame connected to the simulated positioner, with four curves
// to record (the setpoint and the readback on the range of the PV_SCALE elements, a control-loop
// and a zero-point error bit on fixed ranges), for the recording tests of the archive library
// and its control.

#include <cstdint>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/clsDataElement.h"
#include "core/clsDataModel.h"
#include "dtm/DTMMain.h"
#include "dtm/DTMState.h"
#include "frame/DeviceSession.h"
#include "frame/ScriptedPrompt.h"
#include "platform/controls/ArchiveCurve.h"
#include "platform/controls/ArchiveRecorder.h"
#include "platform/runtime/ElementPath.h"
#include "platform/runtime/ManualEventLoop.h"
#include "support/FrameInstanceFixture.h"
#include "units/clsPROFIBUSProfil3Units.h"

namespace kv::test_support {

// Device addresses (slot, index) of the records the curves read.
struct RecordAddress {
    uint8_t slot, index;
};
constexpr RecordAddress kSetpoint{1, 25};
constexpr RecordAddress kPvScale{1, 27};
constexpr RecordAddress kReadback{1, 28};
constexpr RecordAddress kCheckBack{1, 49};
constexpr RecordAddress kDiagnosis{0, 29};

constexpr const char* kScaleUpper = "FUNC/1/AO/PV_SCALE/Up_Val";
constexpr const char* kScaleLower = "FUNC/1/AO/PV_SCALE/Lo_Val";

// The element of each curve and its range: fixed numbers, or the PV_SCALE elements.
struct CurveSetup {
    const char* element;
    bool fixed;
    double scaleMax, scaleMin;
};
inline const std::vector<CurveSetup>& CurveSetups() {
    static const std::vector<CurveSetup> setups = {
        {"FUNC/1/AO/SP/Value", false, 0, 0},
        {"FUNC/1/AO/READBACK/Value", false, 0, 0},
        {"FUNC/1/AO/CHECK_BACK/CB_CONTR_ERR", true, 7.5, -1.5},
        {"PHYS/DIAGNOSIS/DIA_ZERO_ERR", true, 9.0, 0.0},
    };
    return setups;
}

// Big-endian single with a status byte, as the device holds a value record.
inline std::vector<uint8_t> ValueRecord(float value, uint8_t status = 0x80) {
    uint32_t bits = 0;
    static_assert(sizeof bits == sizeof value);
    std::memcpy(&bits, &value, sizeof bits);
    return {uint8_t(bits >> 24), uint8_t(bits >> 16), uint8_t(bits >> 8), uint8_t(bits), status};
}

inline float FloatAt(const std::vector<uint8_t>& bytes, size_t at = 0) {
    const uint32_t bits = uint32_t(bytes.at(at)) << 24 | uint32_t(bytes.at(at + 1)) << 16 |
                          uint32_t(bytes.at(at + 2)) << 8 | uint32_t(bytes.at(at + 3));
    float v = 0;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

// The unit of an element's device value, with its text from the unit table.
inline ArchiveUnitSource DeviceUnitSource(IDTMContext& context) {
    return [&context](const IPrivateDataElement& e) {
        ArchiveUnit unit;
        const clsDataElement& d = AsDataElement(const_cast<IPrivateDataElement&>(e));
        unit.code = d.nDeviceUnit;
        if (auto* model = dynamic_cast<clsDataModel*>(context.Parameters().DataModel()))
            unit.text = model->PROFIBUSProfil3Units().PROFIBUSProfil3UnitString(unit.code);
        return unit;
    };
}

struct ArchiveTestBench : FrameBench {
    std::shared_ptr<Archive> TheArchive() { return instance->dtm->State()->Archive(); }
    IPrivateDataElement& Element(const std::string& path) {
        IPrivateDataElement* e = Ctx().Parameters().Item(path);
        if (e == nullptr)
            throw std::runtime_error("no element " + path);
        return *e;
    }
    void SetSetpoint(float value) {
        device->SetRecord(kSetpoint.slot, kSetpoint.index, ValueRecord(value));
    }
    float DeviceFloat(RecordAddress a) { return FloatAt(device->Record(a.slot, a.index)); }
    int32_t Requests(RecordAddress a) const { return device->RequestCount(a.slot, a.index); }
    // The record that a read of the element transfers.
    std::string RecordOf(const std::string& path) { return TransferPath(Ctx().Parameters(), path); }

    // The curves of CurveSetups(), keyed by element path; curve i has index and scale index i,
    // is enabled and reads the records that carry its element and its range elements.
    ArchiveCurves CurveSet() {
        ArchiveCurves curves;
        const auto& setups = CurveSetups();
        for (size_t i = 0; i < setups.size(); ++i) {
            auto curve = std::make_shared<ArchiveCurve>();
            curve->SetDataElement(&Element(setups[i].element));
            curve->SetIndex(static_cast<int16_t>(i));
            curve->SetScaleIndex(static_cast<int32_t>(i));
            curve->SetEnabled(true);
            curve->RecordElements().Add(&Element(RecordOf(setups[i].element)), "");
            if (setups[i].fixed) {
                curve->SetFixedRanges(setups[i].scaleMax, setups[i].scaleMin, setups[i].scaleMax,
                                      setups[i].scaleMin);
            } else {
                curve->SetScaleMaxElement(&Element(kScaleUpper));
                curve->SetScaleMinElement(&Element(kScaleLower));
                curve->SetActMaxElement(&Element(kScaleUpper));
                curve->SetActMinElement(&Element(kScaleLower));
                curve->RecordElements().Add(&Element(RecordOf(kScaleUpper)), "");  // of both ends
            }
            curves.Add(curve, setups[i].element);
        }
        return curves;
    }
};

}  // namespace kv::test_support
