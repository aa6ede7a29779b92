// The reference frame's project: instances created, saved into one project file and loaded by a
// new frame; damaged project files refused whole, a damaged slave parameter set reported.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "core/ConvStr.h"
#include "core/DictionaryLookup.h"
#include "core/clsDataElement.h"
#include "dtm/DTMMain.h"
#include "dtm/DTMState.h"
#include "frame/FileWriting.h"
#include "frame/FrameProject.h"
#include "frame/FrameWords.h"
#include "frame/ReferenceFrame.h"
#include "frame/ScriptedPrompt.h"
#include "platform/runtime/IChannels.h"
#include "platform/runtime/IDeviceTypeInfo.h"
#include "platform/runtime/IGUIManager.h"
#include "platform/runtime/IParameters.h"
#include "platform/runtime/IPrivateDataElement.h"
#include "platform/runtime/IPrivateDataModel.h"
#include "platform/runtime/IUserManager.h"
#include "platform/runtime/ManualEventLoop.h"
#include "support/EventRecord.h"
#include "support/FileSizeLimit.h"
#include "support/TempFolder.h"
#include "value/DiagnosticLog.h"

namespace kv {
namespace {

namespace fs = std::filesystem;
using test_support::FileSizeLimit;
using test_support::TempFolder;

// A fault as the English words tell it.
std::string English(const FrameFault& fault) {
    return Describe(fault, FrameWordsOf(langEnglish));
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

struct Frame {
    std::shared_ptr<ManualEventLoop> loop = std::make_shared<ManualEventLoop>();
    std::shared_ptr<ScriptedPrompt> prompt = std::make_shared<ScriptedPrompt>();
    ReferenceFrame frame{loop, prompt};
    Frame() {
        frame.SetUserInformation(R"(<FDT><UserInformation role="Maintenance"/></FDT>)");
        frame.SetLanguage(7);
    }
    // A run without faults leaves the diagnostic logs empty (damaged projects included: they
    // are refused, not swallowed).
    ~Frame() {
        for (const auto& instance : frame.Instances()) {
            DiagnosticLog& log = instance->dtm->DTMContext()->Diagnostics();
            EXPECT_TRUE(log.Empty()) << instance->systemTag << ": " << log.Text();
        }
        EXPECT_TRUE(loop->Diagnostics().Empty()) << loop->Diagnostics().Text();
        EXPECT_TRUE(frame.Diagnostics().Empty()) << frame.Diagnostics().Text();
    }
    IDTMContext& Ctx(const std::string& tag) { return *frame.Find(tag)->dtm->DTMContext(); }
    Variant Value(const std::string& tag, const std::string& path) {
        return Ctx(tag).Parameters().Item(path)->TransientValue();
    }
    void SetValue(const std::string& tag, const std::string& path, const Variant& v) {
        IPrivateDataElement* e = Ctx(tag).Parameters().Item(path);
        e->SetTransientValue(v);
        Ctx(tag).Parameters().ElementChanged(*e, "");
    }
};

// A project with two instances as a frame writes it.
std::string SavedProject(const TempFolder& folder) {
    Frame f;
    FrameFault error;
    EXPECT_NE(f.frame.AddInstance("PV-101", "KV6274PA", error), nullptr) << error;
    EXPECT_NE(f.frame.AddInstance("PV-102", "KV6274PA", error), nullptr) << error;
    const std::string path = folder.File("plant.kvproj");
    EXPECT_TRUE(f.frame.SaveProject(path, error)) << error;
    return path;
}

TEST(FrameProject, InstancesSurviveSaveAndLoadInANewFrame) {
    TempFolder folder;
    const std::string path = folder.File("plant.kvproj");
    FrameFault error;
    {
        Frame f;
        FrameInstance* a = f.frame.AddInstance("PV-101", "KV6274PA", error);
        ASSERT_NE(a, nullptr) << error;
        ASSERT_NE(f.frame.AddInstance("PV-102", "KV6274PA", error), nullptr) << error;
        EXPECT_EQ(f.Ctx("PV-101").GUIManager().Language(), 7);
        f.SetValue("PV-101", "PHYS/TAG_DESC", Variant("Feed valve"));
        f.SetValue("PV-102", "PHYS/TAG_DESC", Variant("Drain valve"));
        f.SetValue("PV-102", "~/CycleInterval", Variant(int32_t{1500}));
        f.frame.Find("PV-102")->dtm->State()->Archive()->SetCheckCurveEnabled(false);
        ASSERT_TRUE(f.frame.SaveProject(path, error)) << error;
        EXPECT_EQ(folder.Entries(), 1u);  // no temporary file left behind
        EXPECT_EQ(f.Value("PV-101", "~/DataStatus").toLong(), 1);
    }
    Frame g;
    ASSERT_TRUE(g.frame.LoadProject(path, error)) << error;
    ASSERT_EQ(g.frame.Instances().size(), 2u);
    EXPECT_EQ(g.frame.Instances()[0]->systemTag, "PV-101");
    EXPECT_EQ(g.frame.Instances()[1]->systemTag, "PV-102");
    EXPECT_EQ(g.frame.Instances()[1]->deviceType, "KV6274PA");
    EXPECT_EQ(g.Value("PV-101", "PHYS/TAG_DESC"), Variant("Feed valve"));
    EXPECT_EQ(g.Value("PV-102", "PHYS/TAG_DESC"), Variant("Drain valve"));
    EXPECT_EQ(g.Value("PV-102", "~/CycleInterval").toLong(), 1500);
    EXPECT_EQ(g.Value("PV-102", "~/DataStatus").toLong(), 1);
    EXPECT_TRUE(g.frame.Find("PV-101")->dtm->State()->Archive()->CheckCurveEnabled());
    EXPECT_FALSE(g.frame.Find("PV-102")->dtm->State()->Archive()->CheckCurveEnabled());
    const IDeviceTypeInfo& dt = *g.Ctx("PV-102").DeviceType();
    EXPECT_EQ(dt.DeviceType(), "KV6274PA");
    EXPECT_EQ(dt.IdentValue1(), Variant(int32_t{0x0B5E}));
    EXPECT_EQ(dt.CatalogValue1(), Variant("KV6274PA"));
    EXPECT_EQ(g.Ctx("PV-102").SystemTag(), "PV-102");
    EXPECT_EQ(g.Ctx("PV-102").UserManager().UserLevel(), 3);
    EXPECT_EQ(g.Ctx("PV-102").GUIManager().Language(), 7);
    EXPECT_TRUE(g.prompt->messages.empty());

    // The frame's user information reaches a new instance.
    Frame h;
    h.frame.SetUserInformation(R"(<FDT><UserInformation role="Operator"/></FDT>)");
    ASSERT_NE(h.frame.AddInstance("PV-103", "KV6274PA", error), nullptr) << error;
    EXPECT_EQ(h.Ctx("PV-103").UserManager().UserLevel(), 2);
}

// A property of the stored instance that the DTM does not write (one of a later version, say)
// goes back into the project with every save, beside what the DTM writes.
TEST(FrameProject, UnknownPropertiesOfAnInstanceAreKept) {
    TempFolder folder;
    const std::string path = SavedProject(folder);
    std::string text = ReadFile(path);
    const std::string unknown =
        R"(<Property name="MFR/FUTURE_SETTING" type="Long" value="4711" />)";
    const size_t bag = text.find("<PropertyBag>");
    ASSERT_NE(bag, std::string::npos);
    text.insert(bag + std::string("<PropertyBag>").size(), unknown);
    WriteFile(path, text);

    FrameFault error;
    for (int save = 0; save < 2; ++save) {
        SCOPED_TRACE(save);
        Frame f;
        ASSERT_TRUE(f.frame.LoadProject(path, error)) << error;
        f.SetValue("PV-101", "PHYS/TAG_DESC", Variant("Saved " + std::to_string(save)));
        ASSERT_TRUE(f.frame.SaveProject(path, error)) << error;
        FrameProject project;
        ASSERT_TRUE(project.Load(path, error)) << error;
        ASSERT_EQ(project.instances.size(), 2u);
        const Variant* kept = project.instances[0].bag.Find("MFR/FUTURE_SETTING");
        ASSERT_NE(kept, nullptr);
        EXPECT_EQ(kept->toLong(), 4711);
        EXPECT_FALSE(project.instances[1].bag.Contains("MFR/FUTURE_SETTING"));
        // What the DTM writes wins over the stored value.
        EXPECT_EQ(project.instances[0].bag.Find("PHYS/TAG_DESC")->str().rfind("Saved ", 0), 0u);
    }
}

TEST(FrameProject, ReadOnlyProjectFilesAreNeverReplaced) {
    TempFolder folder;
    const std::string path = SavedProject(folder);
    const std::string before = ReadFile(path);
    fs::permissions(path, fs::perms::owner_read);
    Frame f;
    FrameFault error;
    ASSERT_NE(f.frame.AddInstance("PV-200", "KV6274PA", error), nullptr);
    const Variant status = f.Value("PV-200", "~/DataStatus");
    EXPECT_FALSE(f.frame.SaveProject(path, error));
    EXPECT_NE(English(error).find("read-only"), std::string::npos) << error;
    EXPECT_EQ(ReadFile(path), before);
    // The refused save did not have the instance store its data.
    EXPECT_EQ(f.Value("PV-200", "~/DataStatus"), status);
    EXPECT_EQ(folder.Entries(), 1u);
    FrameFault fault;
    EXPECT_FALSE(CheckWritable(path, fault));
    EXPECT_EQ(fault.kind, FrameFault::kReadOnly);
}

// A persisted object of an instance that makes the project's save fail while the instance
// writes its data.
class FailingStep : public IPersistObject {
  public:
    enum Kind { kNone, kRefuse, kThrow, kLoseTheTemporaryFile };
    Kind kind = kNone;
    std::string folder;
    bool InitNew() override { return true; }
    bool Load(const IPropertyBag&) override { return true; }
    bool Save(IPropertyBag&) override {
        if (kind == kThrow)
            throw std::runtime_error("no room for the text");
        if (kind == kLoseTheTemporaryFile) {
            // The rename of the written file over the project then finds nothing.
            for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
                if (entry.path().filename().string().find(".tmp-") != std::string::npos)
                    fs::remove(entry.path());
            }
        }
        return kind != kRefuse;
    }
};

// A save is whole or not at all: whichever step fails (the file's writes, as on a full disk; an
// instance that refuses or throws; the rename of the written file), the file stays as it was and
// so does every instance: modified, with its stored values and units and its data status. The
// next save writes the edits.
TEST(FrameProject, ASaveThatFailsAtAnyStepLeavesEveryInstanceAsItWas) {
    struct Case {
        const char* name;
        FailingStep::Kind kind;
        size_t instance;   // whose save holds the failing step
        size_t sizeLimit;  // of the files written; 0 for none
        const char* reason;
    };
    const Case cases[] = {
        {"the file's writes fail", FailingStep::kNone, 0, 4096, "File too large"},
        {"the second instance refuses", FailingStep::kRefuse, 1, 0, "\"PV-102\" cannot save"},
        {"the second instance throws", FailingStep::kThrow, 1, 0, "\"PV-102\" cannot save"},
        {"the rename fails", FailingStep::kLoseTheTemporaryFile, 2, 0, "No such file"},
    };
    const std::string tags[] = {"PV-101", "PV-102", "PV-103"};
    const std::string travel = "TRANS/1/Act/RATED_TRAVEL";
    struct Kept {
        int32_t modified;
        Variant status;
        Variant storedTag;
        Variant storedTravel;
        int16_t storedUnit;
        bool operator==(const Kept&) const = default;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        const std::string path = folder.File("plant.kvproj");
        Frame f;
        FrameFault error;
        for (const std::string& tag : tags)
            ASSERT_NE(f.frame.AddInstance(tag, "KV6274PA", error), nullptr) << error;
        const auto kept = [&](const std::string& tag) {
            IParameters& parameters = f.Ctx(tag).Parameters();
            const clsDataElement& t = AsDataElement(*parameters.Item(travel));
            return Kept{parameters.ModifiedState(), f.Value(tag, "~/DataStatus"),
                        parameters.Item("PHYS/TAG_DESC")->PersistentValue(), t.PersistentValue(),
                        t.nPersistentUnit};
        };
        auto step = std::make_shared<FailingStep>();
        step->folder = folder.path;
        f.Ctx(tags[c.instance]).AddPersistObject(step, "FailingStep");
        ASSERT_TRUE(f.frame.SaveProject(path, error)) << error;
        const std::string before = ReadFile(path);
        std::vector<Kept> edited;
        for (const std::string& tag : tags) {
            clsDataElement& t = AsDataElement(*f.Ctx(tag).Parameters().Item(travel));
            t.SetTransientValue(Variant(25.0));
            t.nTransientUnit = 1012;
            f.SetValue(tag, "PHYS/TAG_DESC", Variant("Edited " + tag));
            edited.push_back(kept(tag));
            EXPECT_EQ(edited.back().modified, 1) << tag;
        }

        step->kind = c.kind;
        {
            std::optional<FileSizeLimit> limit;
            if (c.sizeLimit > 0)
                limit.emplace(c.sizeLimit);
            EXPECT_FALSE(f.frame.SaveProject(path, error));
        }
        EXPECT_NE(English(error).find(path), std::string::npos) << error;
        EXPECT_NE(English(error).find(c.reason), std::string::npos) << error;
        EXPECT_EQ(ReadFile(path), before);
        EXPECT_EQ(folder.Entries(), 1u);
        for (size_t i = 0; i < std::size(tags); ++i)
            EXPECT_TRUE(kept(tags[i]) == edited[i]) << tags[i];
        f.Ctx(tags[c.instance]).Diagnostics().Clear();  // where the throw is recorded

        step->kind = FailingStep::kNone;
        ASSERT_TRUE(f.frame.SaveProject(path, error)) << error;
        FrameProject saved;
        ASSERT_TRUE(saved.Load(path, error)) << error;
        ASSERT_EQ(saved.instances.size(), std::size(tags));
        for (size_t i = 0; i < std::size(tags); ++i) {
            SCOPED_TRACE(tags[i]);
            const Variant edit("Edited " + tags[i]);
            EXPECT_EQ(*saved.instances[i].bag.Find("PHYS/TAG_DESC"), edit);
            EXPECT_EQ(saved.instances[i].bag.Find(travel + ".Unit")->toLong(), 1012);
            EXPECT_TRUE(kept(tags[i]) == (Kept{0, Variant(uint8_t{1}), edit, Variant(25.0), 1012}));
        }
    }
}

TEST(FileWriting, LinksFoldersAndOtherFiles) {
    TempFolder folder;
    fs::create_directory(folder.File("sub"));
    fs::create_symlink("sub/target.xml", folder.File("link.xml"));
    fs::create_symlink(folder.File("link.xml"), folder.File("second.xml"));
    EXPECT_EQ(FollowLinks(folder.File("second.xml")), folder.File("sub/target.xml"));
    EXPECT_EQ(FollowLinks(folder.File("plain.xml")), folder.File("plain.xml"));
    fs::create_symlink("loop-b", folder.File("loop-a"));
    fs::create_symlink("loop-a", folder.File("loop-b"));
    EXPECT_EQ(FollowLinks(folder.File("loop-a")), folder.File("loop-a"));

    FrameFault error;
    ASSERT_TRUE(WriteFileInPlace(folder.File("second.xml"), "text", error)) << error;
    EXPECT_EQ(ReadFile(folder.File("sub/target.xml")), "text");
    EXPECT_TRUE(fs::is_symlink(folder.File("second.xml")));

    FrameFault notAFile;
    EXPECT_FALSE(CheckWritable(folder.File("sub"), notAFile));
    EXPECT_EQ(notAFile.kind, FrameFault::kNotAFile);
    FrameFault noFolder;
    EXPECT_FALSE(CheckWritable(folder.File("none/file.xml"), noFolder));
    EXPECT_EQ(noFolder.kind, FrameFault::kFolderMissing);
    EXPECT_EQ(noFolder.folder, folder.File("none"));
    FrameFault fileAsFolder;
    EXPECT_FALSE(CheckWritable(folder.File("sub/target.xml/x"), fileAsFolder));
    EXPECT_EQ(fileAsFolder.kind, FrameFault::kFolderMissing);
    EXPECT_FALSE(WriteFileInPlace(folder.File("loop-a"), "text", error));
}

TEST(FileWriting, ANewFileGetsWhatTheCreationMaskAllows) {
    TempFolder folder;
    const mode_t before = ::umask(0);
    for (const mode_t mask : {0000, 0027, 0077, 0277}) {
        ::umask(mask);
        const std::string path = folder.File("new-" + std::to_string(mask) + ".xml");
        FrameFault error;
        ASSERT_TRUE(WriteFileInPlace(path, "text", error)) << error;
        struct stat st {};
        ASSERT_EQ(::stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0666u & ~mask) << std::oct << mask;
        EXPECT_EQ(::umask(mask), mask);  // the write left the mask as it was
    }
    ::umask(before);
}

// A text made piece by piece reaches the file whole, or, when its making fails or throws, the
// file stays as it was and no temporary file is left.
TEST(FileWriting, ATextMadeInPiecesIsWrittenWholeOrNotAtAll) {
    TempFolder folder;
    const std::string path = folder.File("plant.kvproj");
    FrameFault error;
    const auto pieces = [](const TextSink& write, FrameFault&) {
        return write("first ") && write("") && write("second");
    };
    ASSERT_TRUE(WriteFileInPlace(path, pieces, error)) << error;
    EXPECT_EQ(ReadFile(path), "first second");
    const FrameFault refusal{.kind = FrameFault::kInstanceNotSaved, .path = path, .tag = "PV-102"};
    const auto refused = [&](const TextSink& write, FrameFault& reason) {
        write("half");
        reason = refusal;
        return false;
    };
    EXPECT_FALSE(WriteFileInPlace(path, refused, error));
    EXPECT_EQ(error, refusal);
    const auto thrown = [](const TextSink& write, FrameFault&) -> bool {
        write("half");
        throw std::runtime_error("no room");
    };
    EXPECT_THROW(static_cast<void>(WriteFileInPlace(path, thrown, error)), std::runtime_error);
    EXPECT_EQ(ReadFile(path), "first second");
    EXPECT_EQ(folder.Entries(), 1u);
}

TEST(FrameProject, InstancesAreRefusedWithAReason) {
    Frame f;
    FrameFault error;
    ASSERT_NE(f.frame.AddInstance("PV-101", "KV6274PA", error), nullptr);
    EXPECT_EQ(f.frame.AddInstance("PV-101", "KV6274PA", error), nullptr);
    EXPECT_NE(English(error).find("already holds"), std::string::npos) << error;
    EXPECT_EQ(f.frame.AddInstance("", "KV6274PA", error), nullptr);
    EXPECT_EQ(f.frame.AddInstance("PV-102", "KV9999", error), nullptr);
    EXPECT_NE(English(error).find("KV9999"), std::string::npos) << error;
    EXPECT_EQ(f.frame.Instances().size(), 1u);
}

TEST(FrameProject, SavingOverAnOldProjectReplacesItWhole) {
    TempFolder folder;
    const std::string path = SavedProject(folder);
    Frame f;
    FrameFault error;
    ASSERT_NE(f.frame.AddInstance("PV-200", "KV6274PA", error), nullptr);
    ASSERT_TRUE(f.frame.SaveProject(path, error)) << error;
    EXPECT_EQ(folder.Entries(), 1u);
    FrameProject project;
    ASSERT_TRUE(project.Load(path, error)) << error;
    ASSERT_EQ(project.instances.size(), 1u);
    EXPECT_EQ(project.instances[0].systemTag, "PV-200");
}

TEST(FrameProject, UnwritableProjectFileIsReportedAndLeavesNothing) {
    TempFolder folder;
    Frame f;
    FrameFault error;
    ASSERT_NE(f.frame.AddInstance("PV-101", "KV6274PA", error), nullptr);
    const std::string path = folder.File("missing/plant.kvproj");
    EXPECT_FALSE(f.frame.SaveProject(path, error));
    EXPECT_NE(English(error).find(path), std::string::npos) << error;
    EXPECT_EQ(folder.Entries(), 0u);
}

TEST(FrameProject, DamagedProjectFilesAreRefusedWholeAndLeftAsTheyAre) {
    TempFolder folder;
    const std::string good = ReadFile(SavedProject(folder));
    ASSERT_NE(good.find("name=\"PHYS/TAG_DESC\""), std::string::npos);
    auto replace = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        const size_t at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return text.replace(at, from.size(), to);
    };
    // The Long property "~/CycleInterval" in its written form.
    const size_t cycle = good.find("name=\"~/CycleInterval\"");
    ASSERT_NE(cycle, std::string::npos);
    const std::string cycleLine = good.substr(cycle, good.find("/>", cycle) - cycle);
    std::string badCycle = cycleLine;
    badCycle.replace(badCycle.find("value=\""), std::string("value=\"").size(), "value=\"x");

    // A project large enough for its bags to be converted on several threads, with faults in the
    // bags of its 5th and 9th instances and an element no project holds as its 11th.
    const std::string faultyPlant = [&] {
        const std::string end = "</Instance>\n";
        const size_t from = good.find("  <Instance ");
        const std::string instance = good.substr(from, good.find(end, from) + end.size() - from);
        std::string text = good.substr(0, from);
        for (int n = 1; n <= 12; ++n) {
            std::string one = instance;
            one.replace(one.find("PV-101"), 6, "PV-" + std::to_string(200 + n));
            if (n == 5)
                one.replace(one.find(cycleLine), cycleLine.size(), badCycle);
            if (n == 9)
                one.replace(one.find("type=\"String\""), 13, "type=\"Text\"");
            text += n == 11 ? "  <Comment/>\n" : one;
        }
        return text + "</FrameProject>\n";
    }();

    struct Case {
        const char* name;
        std::string text;
        const char* fault;  // words of the message that name the fault
    };
    const Case cases[] = {
        {"truncated", good.substr(0, good.size() / 2), "not well-formed XML"},
        {"malformed", replace("<Instance ", "<Instance <"), "not well-formed XML"},
        {"empty", "", "not well-formed XML"},
        {"other root", "<?xml version=\"1.0\"?><Project version=\"1\"/>", "no frame project"},
        {"version", replace("version=\"1\"", "version=\"7\""), "version \"7\""},
        {"unknown element", replace("<Instance ", "<Comment/><Instance "), "<Comment>"},
        {"no tag", replace("systemTag=\"PV-102\"", "systemTag=\"\""), "without a system tag"},
        {"tag twice", replace("systemTag=\"PV-102\"", "systemTag=\"PV-101\""),
         "\"PV-101\" appears twice"},
        {"unknown instance type", replace("deviceType=\"KV6274PA\"", "deviceType=\"ZZ1\""),
         "\"ZZ1\""},
        {"wrong type", replace(cycleLine, badCycle), "~/CycleInterval"},
        {"unknown value type", replace("type=\"String\"", "type=\"Text\""), "PV-101"},
        {"no bag",
         "<FrameProject version=\"1\"><Instance systemTag=\"A\" deviceType=\"KV6274PA\"/>"
         "</FrameProject>",
         "no property bag"},
        {"two bags",
         "<FrameProject version=\"1\"><Instance systemTag=\"A\" deviceType=\"KV6274PA\">"
         "<PropertyBag/><PropertyBag/></Instance></FrameProject>",
         "one <PropertyBag>"},
        {"stored data refused",
         replace("name=\"DeviceType.Name\" type=\"String\" value=\"KV6274PA\"",
                 "name=\"DeviceType.Name\" type=\"Long\" value=\"5\""),
         "refuses its stored data"},
        {"first of several faults", faultyPlant, "instance \"PV-205\": property"},
    };
    for (const Case& c : cases) {
        const std::string path = folder.File("damaged.kvproj");
        WriteFile(path, c.text);
        Frame f;
        FrameFault error;
        ASSERT_NE(f.frame.AddInstance("KEEP", "KV6274PA", error), nullptr);
        EXPECT_FALSE(f.frame.LoadProject(path, error)) << c.name;
        EXPECT_NE(English(error).find(path), std::string::npos) << c.name << ": " << error;
        EXPECT_NE(English(error).find(c.fault), std::string::npos) << c.name << ": " << error;
        ASSERT_EQ(f.frame.Instances().size(), 1u) << c.name;
        EXPECT_EQ(f.frame.Instances()[0]->systemTag, "KEEP") << c.name;
        EXPECT_EQ(ReadFile(path), c.text) << c.name;
    }
}

// A project file is read in parts where that is safe; any file reads as its whole text does, laid
// out as the frame writes it or otherwise, also where markup or an attribute's text only looks
// like the start of an instance.
TEST(FrameProject, AFileReadsAsItsWholeText) {
    TempFolder folder;
    const std::string good = ReadFile(SavedProject(folder));
    const size_t second = good.find("\n  <Instance systemTag=\"PV-102\"");
    ASSERT_NE(second, std::string::npos);
    auto insert = [&](size_t at, const std::string& what) {
        return std::string(good).insert(at, what);
    };
    const size_t tag = good.find("value=\"", good.find("name=\"PHYS/TAG_DESC\"")) + 7;
    // Each line's indentation and end as 'indent' and 'end' give them (as an XML tool or a merge
    // leaves a file); an empty end joins the lines.
    auto relaid = [&](const std::function<std::string(size_t spaces)>& indent,
                      const std::string& end) {
        std::string text;
        std::istringstream lines(good);
        for (std::string line; std::getline(lines, line);) {
            const size_t spaces = line.find_first_not_of(' ');
            text += indent(spaces) + line.substr(spaces) + end;
        }
        return text;
    };
    const std::string texts[] = {
        good,
        relaid([](size_t spaces) { return std::string(2 * spaces, ' '); }, "\n"),
        relaid([](size_t spaces) { return std::string(spaces / 2, '\t'); }, "\r\n"),
        relaid([](size_t) { return std::string(); }, ""),
        insert(second, "\n  <!-- a comment -->"),
        insert(second, "\n  <?note?>"),
        // A raw line break and "<" in an attribute's text, then a line like an instance's.
        insert(tag, "\n  <Instance systemTag=\"X\" deviceType=\"KV6274PA\">"),
        insert(good.rfind("</FrameProject>"), "  <Instance systemTag=\"PV-103\"/>\n"),
        // Instances' lines where the parser sees none: in a processing instruction before the
        // root, in an attribute's text of the root, in a second root.
        "<?note " + good.substr(good.find('\n', good.find("<FrameProject"))) +
            "?><FrameProject version=\"1\"/>",
        "<FrameProject version=\"1\" note='" + good.substr(good.find('\n', good.find("<FrameP"))) +
            "' />",
        "<FrameProject version=\"1\"/>" + good.substr(good.find("<FrameProject")),
        // Faults at the text's end: its last tag cut, a NUL (where the text ends for the parser).
        good.substr(0, good.find("<Property") + 2),
        good.substr(0, good.find("<Property") + 2) + '\0' + good,
        good.substr(0, good.find("name=\"~/Tag\"") + 7),
    };
    for (const std::string& text : texts) {
        SCOPED_TRACE(text.substr(0, 60));
        FrameProject whole;
        FrameFault wholeError;
        const bool wholeOk = whole.FromXml(text, wholeError);
        const std::string path = folder.File("parts.kvproj");
        WriteFile(path, text);
        FrameProject read;
        FrameFault error;
        EXPECT_EQ(read.Load(path, error), wholeOk) << text.substr(0, 300) << error;
        // The file's damage is the text's, in the file named.
        FrameFault ofTheFile = wholeError;
        if (!wholeOk)
            ofTheFile.path = path;
        EXPECT_EQ(error, ofTheFile);
        ASSERT_EQ(read.instances.size(), whole.instances.size());
        for (size_t i = 0; i < whole.instances.size(); ++i) {
            EXPECT_EQ(read.instances[i].systemTag, whole.instances[i].systemTag);
            EXPECT_EQ(read.instances[i].bag.ToXml(), whole.instances[i].bag.ToXml());
        }
    }
}

// A project that is no regular file is refused, naming it, at once: the open never waits, also
// not for a pipe's writer with a sound or a damaged project.
TEST(FrameProject, AFileThatIsNoRegularFileIsRefusedAtOnce) {
    TempFolder folder;
    const std::string good = ReadFile(SavedProject(folder));
    FrameFault error;
    for (const std::string& text : {good, good.substr(0, good.size() / 2)}) {
        const std::string path = folder.File("pipe.kvproj");
        ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
        // The writer waits for a reader, then writes the project whole.
        std::thread writer([&] {
            const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
            for (size_t done = 0; fd >= 0 && done < text.size();) {
                const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
                if (n <= 0)
                    break;
                done += static_cast<size_t>(n);
            }
            ::close(fd);
        });
        FrameProject project;
        EXPECT_FALSE(project.Load(path, error));
        EXPECT_NE(English(error).find(path + ": it is no regular file"), std::string::npos)
            << error;
        EXPECT_TRUE(project.instances.empty());
        // The writer is let go.
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        char buffer[4096];
        while (fd >= 0 && ::read(fd, buffer, sizeof buffer) > 0) {
        }
        ::close(fd);
        writer.join();
        fs::remove(path);
    }
    FrameProject project;
    EXPECT_FALSE(project.Load(folder.path, error));
    EXPECT_NE(English(error).find(folder.path + ": it is no regular file"), std::string::npos)
        << error;
}

// A damaged slave parameter set that a project or a parameter document brings changes no
// process channel and is reported (in the diagnostic log; to the user once the instance has its
// language); the project loads and keeps what it holds.
TEST(FrameProject, DamagedSlaveParameterSetChangesNoChannelAndIsReported) {
    const std::string stored =
        "00290000000000000000000000000000000C00640A0B0B5E0000000000068284080500020005800000";
    const std::string damaged = stored.substr(0, 40);  // hexadecimal, shorter than it says
    // The text after the first `after` that follows `key`, `stored` in it replaced by `damaged`.
    auto damage = [&](std::string text, const std::string& key, const std::string& after) {
        const size_t at = text.find(after, text.find(key));
        EXPECT_NE(at, std::string::npos) << key;
        EXPECT_EQ(text.compare(at + after.size(), stored.size(), stored), 0) << key;
        return text.replace(at + after.size(), stored.size(), damaged);
    };
    auto activeChannels = [](IDTMContext& context) {
        std::vector<std::string> ids;
        for (const auto& channel : context.Parameters().Channels().Items()) {
            if (channel->Active())
                ids.push_back(channel->ChannelId());
        }
        return ids;
    };
    const std::vector<std::string> setpoint{"SP_Val", "SP_Stat"};
    const std::string part = "~/BusMasterConfigurationPart";
    TempFolder folder;
    const std::string path = SavedProject(folder);
    WriteFile(path, damage(ReadFile(path), "name=\"" + part + "\"", "value=\""));
    Frame f;
    FrameFault error;
    ASSERT_TRUE(f.frame.LoadProject(path, error)) << error;
    const std::string reported = GetDictionaryText(f.Ctx("PV-101"), "meld_slave_param_set_invalid");
    for (const char* tag : {"PV-101", "PV-102"}) {
        SCOPED_TRACE(tag);
        EXPECT_EQ(activeChannels(f.Ctx(tag)), setpoint);
        EXPECT_EQ(f.Value(tag, "SlaveBusParamSet_WholeString"), Variant(stored));
    }
    EXPECT_EQ(f.Value("PV-101", part), HexStringToBytes(damaged));
    // The instance has no language while it loads: the log keeps the reason.
    EXPECT_TRUE(f.prompt->messages.empty());
    DiagnosticLog& log = f.Ctx("PV-101").Diagnostics();
    ASSERT_EQ(log.Entries().size(), 1u);
    EXPECT_EQ(log.Entries()[0].where, part);
    // The walk of the whole data set (after an upload) tells the user.
    f.Ctx("PV-101").Parameters().DataModel()->DataSetChanged(f.Ctx("PV-101"));
    EXPECT_EQ(f.prompt->messages, std::vector<std::string>{reported});
    EXPECT_EQ(activeChannels(f.Ctx("PV-101")), setpoint);
    log.Clear();

    // The same set in a parameter document.
    FrameInstance& second = *f.frame.Find("PV-102");
    const std::string document =
        damage(second.dtm->GetParameters(""), "name=\"" + part + "\"", "string=\"");
    f.prompt->messages.clear();
    second.dtm->SetParameters("", document);
    EXPECT_EQ(activeChannels(f.Ctx("PV-102")), setpoint);
    EXPECT_EQ(f.Value("PV-102", "SlaveBusParamSet_WholeString"), Variant(stored));
    EXPECT_EQ(f.prompt->messages, std::vector<std::string>{reported});
    f.Ctx("PV-102").Diagnostics().Clear();
}

TEST(FrameProject, MissingFileIsReported) {
    TempFolder folder;
    Frame f;
    FrameFault error;
    const std::string path = folder.File("none.kvproj");
    EXPECT_FALSE(f.frame.LoadProject(path, error));
    EXPECT_NE(English(error).find(path), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(path));
}

TEST(FrameContainer, TellsEventsToItsObserversAndAnswersSaveRequests) {
    const auto held = std::make_shared<FrameContainer>();
    FrameContainer& container = *held;
    ASSERT_EQ(container.Events(), &container);
    test_support::EventRecord record(held);
    container.OnProgress("T", "Upload", 40, true);
    EXPECT_TRUE(container.RequestSave("T"));
    container.saveAnswer = false;
    EXPECT_FALSE(container.RequestSave("T"));
    container.SetSaveHandler([](const std::string& tag) { return tag == "T"; });
    EXPECT_TRUE(container.RequestSave("T"));
    container.OnProgress("T", "Upload", 100, false);
    const std::vector<FrameEvent>& events = record.All();
    ASSERT_EQ(events.size(), 5u);
    EXPECT_EQ(events[0].kind, FrameEvent::kProgress);
    EXPECT_EQ(events[0].percent, 40);
    EXPECT_TRUE(events[0].show);
    EXPECT_FALSE(events[4].show);
    EXPECT_EQ(record.Count(FrameEvent::kRequestSave), 3u);
    EXPECT_FALSE(events[2].success);  // with its answer
    EXPECT_TRUE(events[3].success);
    // Each parameter document of the DTM replaces the frame's copy.
    EXPECT_EQ(container.ParameterDocument(), "");
    container.OnParametersChanged("T", "<FDT>1</FDT>");
    container.OnParametersChanged("T", "<FDT>2</FDT>");
    EXPECT_EQ(container.ParameterDocument(), "<FDT>2</FDT>");
    EXPECT_EQ(record.Count(FrameEvent::kParametersChanged), 2u);
    EXPECT_EQ(FrameContainer(false).Events(), nullptr);
}

// Observers that come and go while an event is told: one added hears the next event, one
// removed is not called again, the others hear every event once.
TEST(FrameContainer, ObserversMayComeAndGoWhileAnEventIsTold) {
    FrameContainer container;
    std::vector<std::string> heard;
    size_t second = 0;
    size_t added = 0;
    const size_t first = container.AddEventObserver([&](const FrameEvent& e) {
        heard.push_back("first " + e.id);
        if (e.id == "a") {
            container.RemoveEventObserver(second);
            added = container.AddEventObserver(
                [&](const FrameEvent& later) { heard.push_back("added " + later.id); });
        }
    });
    second =
        container.AddEventObserver([&](const FrameEvent& e) { heard.push_back("second " + e.id); });
    const size_t last = container.AddEventObserver([&](const FrameEvent& e) {
        heard.push_back("last " + e.id);
        container.RemoveEventObserver(last);
    });
    container.OnFunctionChanged("a");
    container.OnFunctionChanged("b");
    container.RemoveEventObserver(first);
    container.RemoveEventObserver(added);
    container.OnFunctionChanged("c");
    EXPECT_EQ(heard, (std::vector<std::string>{"first a", "last a", "first b", "added b"}));
}

TEST(ScriptedPrompt, AnswersFromTheScriptThenOkOrTheFallback) {
    ScriptedPrompt prompt({6, 7});
    EXPECT_EQ(prompt.Ask("a", 52), 6);
    EXPECT_EQ(prompt.Ask("b", 292), 7);
    EXPECT_EQ(prompt.Ask("c", 0), 1);
    EXPECT_EQ(prompt.Ask("d", 36), 7);
    EXPECT_EQ(prompt.questions.size(), 4u);
    EXPECT_EQ(prompt.questions[1].second, 292);
}

}  // namespace
}  // namespace kv
