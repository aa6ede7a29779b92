// The curve objects the archive page sets up: record registration, the two value ranges from
// elements or fixed numbers, and the collection keyed by element path.

#include "platform/controls/ArchiveCurve.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "core/clsDataElement.h"

namespace kv {
namespace {

std::unique_ptr<clsDataElement> Named(const std::string& path) {
    auto e = std::make_unique<clsDataElement>();
    e->SetName(path);
    return e;
}

TEST(ArchiveRecordList, RegistersEachRecordOnceInOrder) {
    auto sp = Named("FUNC/1/AO/SP/");
    auto scale = Named("FUNC/1/AO/PV_SCALE/");
    ArchiveRecordList list;
    EXPECT_TRUE(list.Add(sp.get(), ""));
    EXPECT_TRUE(list.Add(scale.get(), ""));
    EXPECT_FALSE(list.Add(sp.get(), "")) << "the same record twice";
    EXPECT_FALSE(list.Add(nullptr, "")) << "no element";
    ASSERT_EQ(list.Count(), 2u);
    EXPECT_EQ(list.Item(0), "FUNC/1/AO/SP/");
    EXPECT_EQ(list.Item(1), "FUNC/1/AO/PV_SCALE/");
    EXPECT_THROW(list.Item(2), std::out_of_range);

    auto other = Named("PHYS/DIAGNOSIS/");
    ArchiveRecordList keyed;
    EXPECT_TRUE(keyed.Add(sp.get(), "k"));
    EXPECT_FALSE(keyed.Add(other.get(), "k")) << "a key that is taken";
    EXPECT_TRUE(keyed.Add(other.get(), ""));
}

TEST(ArchiveCurve, RangesComeFromElementsOrFixedNumbers) {
    auto up = Named("FUNC/1/AO/PV_SCALE/Up_Val");
    auto lo = Named("FUNC/1/AO/PV_SCALE/Lo_Val");
    ArchiveCurve curve;
    curve.SetScaleMaxElement(up.get());
    curve.SetScaleMinElement(lo.get());
    curve.SetActMaxElement(up.get());
    curve.SetActMinElement(lo.get());
    EXPECT_EQ(curve.ScaleMaxElement(), up.get());
    EXPECT_EQ(curve.ActMinElement(), lo.get());
    EXPECT_EQ(curve.RangeElementPath(areScaleMax), "FUNC/1/AO/PV_SCALE/Up_Val");
    EXPECT_EQ(curve.RangeElementPath(areActMin), "FUNC/1/AO/PV_SCALE/Lo_Val");

    curve.SetFixedRanges(7.5, -1.5, 6.0, -1.0);
    for (ArchiveRangeEnd end : {areScaleMax, areScaleMin, areActMax, areActMin})
        EXPECT_EQ(curve.RangeElementPath(end), "") << end;
    EXPECT_EQ(curve.ScaleMaxElement(), nullptr);
    EXPECT_EQ(curve.FixedRange(areScaleMax), 7.5);
    EXPECT_EQ(curve.FixedRange(areScaleMin), -1.5);
    EXPECT_EQ(curve.FixedRange(areActMax), 6.0);
    EXPECT_EQ(curve.FixedRange(areActMin), -1.0);
    EXPECT_THROW(curve.FixedRange(static_cast<ArchiveRangeEnd>(4)), std::out_of_range);
}

TEST(ArchiveCurves, KeyedByElementPathInOrderOfAdding) {
    ArchiveCurves curves;
    auto a = std::make_shared<ArchiveCurve>();
    auto b = std::make_shared<ArchiveCurve>();
    curves.Add(a, "FUNC/1/AO/SP/Value");
    curves.Add(b, "FUNC/1/AO/READBACK/Value");
    EXPECT_THROW(curves.Add(std::make_shared<ArchiveCurve>(), "FUNC/1/AO/SP/Value"),
                 std::invalid_argument);
    EXPECT_THROW(curves.Add(nullptr, "X"), std::invalid_argument);
    ASSERT_EQ(curves.Count(), 2u);
    EXPECT_EQ(&curves.Item(0), a.get());
    EXPECT_EQ(curves.Key(1), "FUNC/1/AO/READBACK/Value");
    EXPECT_EQ(curves.Find("FUNC/1/AO/READBACK/Value"), b.get());
    EXPECT_EQ(curves.Find("PHYS/DIAGNOSIS/DIA_ZERO_ERR"), nullptr);
}

}  // namespace
}  // namespace kv
