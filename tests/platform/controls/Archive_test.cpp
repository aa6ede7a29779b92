// The archive object of an instance: its curve switches (with the Boolean of older projects),
// its traces through the property bag, and loads of damaged values that lose nothing else.

#include "platform/controls/Archive.h"

#include <gtest/gtest.h>

#include <fstream>
#include <limits>
#include <sstream>

#include "dtm/DTMMain.h"
#include "dtm/DTMState.h"
#include "frame/ReferenceFrame.h"
#include "frame/ScriptedPrompt.h"
#include "platform/runtime/ManualEventLoop.h"
#include "platform/runtime/PropertyBag.h"
#include "support/TempFolder.h"

namespace kv {
namespace {

constexpr int64_t kT0 = 1'767'225'600'000;

void Record(ArchiveTrace& trace, int count, double base, int16_t unit = 1342) {
    for (int i = 0; i < count; ++i) {
        ArchiveSample s;
        s.timeMs = kT0 + (trace.Empty() ? 0 : trace.Newest().timeMs - kT0 + 1000);
        s.value = base + i;
        s.unitCode = unit;
        s.flags = ArchiveSample::kValid | (i == 0 ? ArchiveSample::kStartsRecording : 0);
        trace.Append(s);
    }
}

void ExpectSameTrace(const ArchiveTrace* a, const ArchiveTrace* b) {
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    ASSERT_EQ(a->Size(), b->Size());
    for (size_t i = 0; i < a->Size(); ++i) {
        EXPECT_EQ(a->At(i).timeMs, b->At(i).timeMs);
        EXPECT_EQ(a->At(i).value, b->At(i).value);
        EXPECT_EQ(a->At(i).unitCode, b->At(i).unitCode);
        EXPECT_EQ(a->At(i).flags, b->At(i).flags);
    }
}

TEST(Archive, NewArchiveIsUnconfiguredAndEmpty) {
    Archive a;
    EXPECT_EQ(a.CheckCurveEnabled(), -1);
    a.SetCheckCurveEnabled(5);
    ArchiveTrace& sp = a.Trace("FUNC/1/AO/SP/Value");
    Record(sp, 3, 1);
    ASSERT_TRUE(a.InitNew());
    EXPECT_EQ(a.CheckCurveEnabled(), -1);
    EXPECT_EQ(a.FindTrace("FUNC/1/AO/SP/Value"), &sp) << "emptied, not dropped";
    EXPECT_TRUE(sp.Empty());
    EXPECT_TRUE(a.LoadProblems().empty());
}

TEST(Archive, TraceIsCreatedOnceAndFoundByPath) {
    Archive a;
    ArchiveTrace& sp = a.Trace("FUNC/1/AO/SP/Value");
    EXPECT_EQ(&a.Trace("FUNC/1/AO/SP/Value"), &sp);
    EXPECT_EQ(a.FindTrace("FUNC/1/AO/SP/Value"), &sp);
    EXPECT_EQ(a.FindTrace("FUNC/1/AO/READBACK/Value"), nullptr);
}

TEST(ArchivePersistence, RoundTripThroughTheBagAndItsXml) {
    Archive a;
    a.SetCheckCurveEnabled(5);
    Record(a.Trace("FUNC/1/AO/SP/Value"), 100, 10);
    Record(a.Trace("PHYS/DIAGNOSIS/DIA_ZERO_ERR"), 50, 0, 0);
    a.Trace("FUNC/1/AO/READBACK/Value");  // nothing recorded: not stored
    PropertyBag bag;
    ASSERT_TRUE(a.Save(bag));
    EXPECT_EQ(bag.Read("Archive.CheckCurveEnabled"), Variant(int32_t{5}));
    EXPECT_EQ(bag.Read("Archive.TraceCount"), Variant(int32_t{2}));
    EXPECT_EQ(bag.Read("Archive.Trace1.Element"), Variant("FUNC/1/AO/SP/Value"));

    // Through the project file's form of the bag.
    PropertyBag reread;
    ASSERT_TRUE(reread.LoadXml(bag.ToXml()));
    Archive b;
    ASSERT_TRUE(b.Load(reread));
    EXPECT_TRUE(b.LoadProblems().empty());
    EXPECT_EQ(b.CheckCurveEnabled(), 5);
    ExpectSameTrace(a.FindTrace("FUNC/1/AO/SP/Value"), b.FindTrace("FUNC/1/AO/SP/Value"));
    ExpectSameTrace(a.FindTrace("PHYS/DIAGNOSIS/DIA_ZERO_ERR"),
                    b.FindTrace("PHYS/DIAGNOSIS/DIA_ZERO_ERR"));
    EXPECT_EQ(b.FindTrace("FUNC/1/AO/READBACK/Value"), nullptr);

    // A load replaces what the archive held; the trace objects stay where they are.
    Archive c;
    ArchiveTrace& other = c.Trace("OTHER");
    ArchiveTrace& sp = c.Trace("FUNC/1/AO/SP/Value");
    Record(other, 3, 1);
    ASSERT_TRUE(c.Load(reread));
    EXPECT_EQ(c.FindTrace("OTHER"), &other);
    EXPECT_TRUE(other.Empty());
    EXPECT_EQ(c.FindTrace("FUNC/1/AO/SP/Value"), &sp);
    ExpectSameTrace(a.FindTrace("FUNC/1/AO/SP/Value"), &sp);
    PropertyBag saved;
    c.Save(saved);
    EXPECT_EQ(saved.Read("Archive.TraceCount"), Variant(int32_t{2})) << "the empty one is left out";
}

TEST(ArchivePersistence, CurveSwitchesOfOlderProjectsAndOddValues) {
    struct Case {
        const char* name;
        std::optional<Variant> stored;
        int32_t expected;
        bool problem;
    };
    const Case cases[] = {
        {"missing", std::nullopt, -1, false},
        {"Boolean True", Variant(true), -1, false},
        {"Boolean False", Variant(false), 0, false},
        {"Long", Variant(int32_t{15}), 15, false},
        {"Integer", Variant(int16_t{5}), 5, false},
        {"Byte", Variant(uint8_t{3}), 3, false},
        {"whole Double", Variant(6.0), 6, false},
        {"Long -1", Variant(int32_t{-1}), -1, false},
        {"fraction", Variant(2.5), -1, true},
        {"text", Variant("abc"), -1, true},
        {"Null", Variant::Null(), -1, true},
        {"too large", Variant(1e12), -1, true},
        {"numeric text", Variant("7"), -1, true},
        {"Date", Variant::FromDate(7.0), -1, true},
        {"Empty", Variant(), -1, true},
        {"infinite", Variant(std::numeric_limits<double>::infinity()), -1, true},
    };
    for (const Case& c : cases) {
        PropertyBag bag;
        if (c.stored)
            bag.Write("Archive.CheckCurveEnabled", *c.stored);
        Archive a;
        a.SetCheckCurveEnabled(99);
        EXPECT_TRUE(a.Load(bag)) << c.name;
        EXPECT_EQ(a.CheckCurveEnabled(), c.expected) << c.name;
        EXPECT_EQ(a.LoadProblems().size(), c.problem ? 1u : 0u) << c.name;
        if (c.problem && !a.LoadProblems().empty()) {
            EXPECT_NE(a.LoadProblems()[0].find("Archive.CheckCurveEnabled"), std::string::npos);
        }
        // From now on the integer is written.
        PropertyBag out;
        a.Save(out);
        EXPECT_EQ(out.Read("Archive.CheckCurveEnabled"), Variant(c.expected)) << c.name;
    }
}

TEST(ArchivePersistence, ADamagedTraceLosesNothingElse) {
    Archive a;
    a.SetCheckCurveEnabled(3);
    Record(a.Trace("FUNC/1/AO/SP/Value"), 20, 10);
    Record(a.Trace("FUNC/1/AO/READBACK/Value"), 20, 30);
    PropertyBag bag;
    a.Save(bag);
    Variant damaged = *bag.Read("Archive.Trace1.Samples");
    damaged.bytes().bytes.resize(damaged.bytes().bytes.size() - 3);
    bag.Write("Archive.Trace1.Samples", damaged);

    Archive b;
    ASSERT_TRUE(b.Load(bag));
    EXPECT_EQ(b.CheckCurveEnabled(), 3);
    ASSERT_EQ(b.LoadProblems().size(), 1u);
    EXPECT_NE(b.LoadProblems()[0].find("FUNC/1/AO/SP/Value"), std::string::npos);
    EXPECT_NE(b.LoadProblems()[0].find("damaged"), std::string::npos);
    ASSERT_NE(b.FindTrace("FUNC/1/AO/SP/Value"), nullptr);
    EXPECT_TRUE(b.FindTrace("FUNC/1/AO/SP/Value")->Empty());
    ExpectSameTrace(a.FindTrace("FUNC/1/AO/READBACK/Value"),
                    b.FindTrace("FUNC/1/AO/READBACK/Value"));

    // Saved again, the damaged value goes back unchanged...
    PropertyBag again;
    b.Save(again);
    EXPECT_EQ(again.Read("Archive.TraceCount"), Variant(int32_t{2}));
    EXPECT_EQ(again.Read("Archive.Trace1.Element"), Variant("FUNC/1/AO/SP/Value"));
    EXPECT_EQ(again.Read("Archive.Trace1.Samples"), damaged);
    // ...until the curve records again.
    Record(b.Trace("FUNC/1/AO/SP/Value"), 2, 7);
    PropertyBag recorded;
    b.Save(recorded);
    Archive c;
    ASSERT_TRUE(c.Load(recorded));
    EXPECT_TRUE(c.LoadProblems().empty());
    EXPECT_EQ(c.FindTrace("FUNC/1/AO/SP/Value")->Size(), 2u);
}

TEST(ArchivePersistence, DamagedTraceKeysAreReportedOneByOne) {
    Archive a;
    Record(a.Trace("A"), 2, 1);
    Record(a.Trace("B"), 2, 1);
    PropertyBag base;
    a.Save(base);

    struct Case {
        const char* name;
        const char* key;
        std::optional<Variant> value;
        size_t tracesLoaded;
    };
    const Case cases[] = {
        {"count is text", "Archive.TraceCount", Variant("two"), 0},
        {"count negative", "Archive.TraceCount", Variant(int32_t{-1}), 0},
        {"count huge", "Archive.TraceCount", Variant(int32_t{1'000'000}), 0},
        {"count beyond the traces", "Archive.TraceCount", Variant(int32_t{3}), 2},
        {"count a date beyond the calendar", "Archive.TraceCount", Variant::FromDate(1e9), 0},
        {"element no text", "Archive.Trace1.Element", Variant(int32_t{1}), 1},
        {"element empty", "Archive.Trace1.Element", Variant(""), 1},
        {"element twice", "Archive.Trace2.Element", Variant("A"), 1},
        {"samples no bytes", "Archive.Trace2.Samples", Variant("01AB"), 1},
    };
    for (const Case& c : cases) {
        PropertyBag bag;
        ASSERT_TRUE(bag.LoadXml(base.ToXml()));
        bag.Write(c.key, *c.value);
        Archive b;
        EXPECT_TRUE(b.Load(bag)) << c.name;
        EXPECT_EQ(b.LoadProblems().size(), 1u) << c.name;
        size_t loaded = 0;
        for (const char* path : {"A", "B"})
            loaded += b.FindTrace(path) && !b.FindTrace(path)->Empty() ? 1 : 0;
        EXPECT_EQ(loaded, c.tracesLoaded) << c.name;
    }
    // A missing samples value.
    PropertyBag bag;
    ASSERT_TRUE(bag.LoadXml(base.ToXml()));
    bag.Remove("Archive.Trace1.Samples");
    Archive b;
    EXPECT_TRUE(b.Load(bag));
    EXPECT_EQ(b.LoadProblems().size(), 1u);
    EXPECT_NE(b.FindTrace("B"), nullptr);
}

// --- with the instance ---

struct Frame {
    std::shared_ptr<ManualEventLoop> loop = std::make_shared<ManualEventLoop>();
    ReferenceFrame frame{loop, std::make_shared<ScriptedPrompt>()};
    Frame() { frame.SetUserInformation(R"(<FDT><UserInformation role="Maintenance"/></FDT>)"); }
    Archive& ArchiveOf(const std::string& tag) { return *frame.Find(tag)->dtm->State()->Archive(); }
    Variant Value(const std::string& tag, const std::string& path) {
        return frame.Find(tag)->dtm->DTMContext()->Parameters().Item(path)->TransientValue();
    }
};

TEST(ArchiveInstance, ANewInstanceIsUnconfiguredAndTheTrendSurvivesTheProject) {
    test_support::TempFolder folder;
    const std::string path = folder.File("plant.kvproj");
    FrameFault error;
    {
        Frame f;
        ASSERT_NE(f.frame.AddInstance("PV-101", "KV6274PA", error), nullptr) << error;
        EXPECT_EQ(f.ArchiveOf("PV-101").CheckCurveEnabled(), -1);
        f.ArchiveOf("PV-101").SetCheckCurveEnabled(15);
        Record(f.ArchiveOf("PV-101").Trace("FUNC/1/AO/SP/Value"), 500, 3);
        ASSERT_TRUE(f.frame.SaveProject(path, error)) << error;
    }
    Frame g;
    ASSERT_TRUE(g.frame.LoadProject(path, error)) << error;
    EXPECT_EQ(g.ArchiveOf("PV-101").CheckCurveEnabled(), 15);
    const ArchiveTrace* trace = g.ArchiveOf("PV-101").FindTrace("FUNC/1/AO/SP/Value");
    ASSERT_NE(trace, nullptr);
    ASSERT_EQ(trace->Size(), 500u);
    EXPECT_EQ(trace->At(499).value, 502.0);
}

TEST(ArchiveInstance, ADamagedStoredTrendStillLoadsTheInstance) {
    test_support::TempFolder folder;
    const std::string path = folder.File("plant.kvproj");
    FrameFault error;
    {
        Frame f;
        FrameInstance* i = f.frame.AddInstance("PV-101", "KV6274PA", error);
        ASSERT_NE(i, nullptr) << error;
        IPrivateDataElement* tag = i->dtm->DTMContext()->Parameters().Item("PHYS/TAG_DESC");
        tag->SetTransientValue(Variant("Feed valve"));
        Record(f.ArchiveOf("PV-101").Trace("FUNC/1/AO/SP/Value"), 10, 3);
        ASSERT_TRUE(f.frame.SaveProject(path, error)) << error;
    }
    // Damage the stored samples in the project file: a hex value of the wrong length.
    std::stringstream text;
    text << std::ifstream(path).rdbuf();
    std::string project = text.str();
    const size_t key = project.find("Archive.Trace1.Samples");
    ASSERT_NE(key, std::string::npos);
    const size_t value = project.find("value=\"", key) + 7;
    project.replace(value, 4, "FFFF");  // the format byte and the count
    std::ofstream(path, std::ios::trunc) << project;

    Frame g;
    ASSERT_TRUE(g.frame.LoadProject(path, error)) << error;
    EXPECT_EQ(g.Value("PV-101", "PHYS/TAG_DESC"), Variant("Feed valve"));
    ASSERT_EQ(g.ArchiveOf("PV-101").LoadProblems().size(), 1u);
    EXPECT_NE(g.ArchiveOf("PV-101").LoadProblems()[0].find("unknown format 255"),
              std::string::npos);
}

}  // namespace
}  // namespace kv
