// The program kv6274pa-frame as a user runs it: what it refuses before it sends the device any
// request (dictionaries, project file and folder, options), how it writes the project (through
// a link, keeping its permissions), and its language.

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "support/ChildProcess.h"
#include "support/TempFolder.h"

namespace kv {
namespace {

namespace fs = std::filesystem;

#ifndef KV_FRAME_PROGRAM
#error "KV_FRAME_PROGRAM names the built program"
#endif

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteFile(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

mode_t ModeOf(const fs::path& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
}

struct Result {
    int status = -1;
    std::string out;
    std::string err;
    // The DP-V1 requests that the program's trace shows.
    bool AnyRequest() const {
        return out.find("> read") != std::string::npos || out.find("> write") != std::string::npos;
    }
};

// A temporary folder that the program runs in, with the dictionaries it uses.
class ProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* xmlData = std::getenv("KV6274PA_XMLDATA");
        xmlData_ = xmlData != nullptr ? xmlData : KV_SOURCE_XMLDATA_DIR;
    }

    // Runs the program in the folder with the arguments; the dictionaries come from 'xmlData'.
    // A file size limit (in bytes; 0 for none) holds for the files the program writes.
    Result Run(const std::vector<std::string>& args, const std::string& xmlData = {},
               size_t fileSizeLimit = 0) {
        const test_support::ProgramRun run = test_support::RunProgram(
            KV_FRAME_PROGRAM, args,
            {.folder = dir_.string(),
             .environment = {{"KV6274PA_XMLDATA", xmlData.empty() ? xmlData_ : xmlData}},
             .fileSizeLimit = fileSizeLimit});
        return {run.status, run.out, run.err};
    }

    // A copy of the dictionaries that a test may damage.
    fs::path CopyOfDictionaries() {
        const fs::path copy = dir_ / "dictionaries";
        fs::copy(xmlData_, copy, fs::copy_options::recursive);
        return copy;
    }

    fs::path Project() const { return dir_ / "kv6274pa-project.xml"; }

    // A project as a first run of the program saves it.
    void CreateProject() {
        const Result r = Run({});
        ASSERT_EQ(r.status, 0) << r.err;
        ASSERT_TRUE(fs::exists(Project()));
    }

    test_support::TempFolder temp_;
    const fs::path dir_ = temp_.path;
    std::string xmlData_;
};

// --- refused before any request ---

TEST_F(ProgramTest, MissingOrDamagedDictionariesStopTheProgramBeforeItConnects) {
    const fs::path copy = CopyOfDictionaries();
    struct Case {
        const char* name;
        std::string folder;
        std::vector<std::string> args;
        std::string damage;  // a file of the copy to overwrite; empty: none
        std::string text;    // what the file then holds
        std::string named;   // what the message names
    };
    const std::vector<Case> cases = {
        {"no folder", (dir_ / "none").string(), {}, "", "", (dir_ / "none").string()},
        {"not well-formed",
         copy.string(),
         {},
         "DTMDictionary_9_units.xml",
         "<DTMDictionary><units>",
         "DTMDictionary_9_units.xml"},
        {"not a dictionary",
         copy.string(),
         {},
         "DTMDictionary_9.xml",
         "<html/>",
         "DTMDictionary_9.xml"},
        {"not well-formed, told in German",
         copy.string(),
         {"--language", "de"},
         "DTMDictionary_9_units.xml",
         "<DTMDictionary>\n<units>",
         "DTMDictionary_9_units.xml ist beschädigt: Start- und End-Tag passen nicht zusammen in "
         "Zeile 2."},
        {"damaged file of the other language",
         copy.string(),
         {},
         "DTMDictionary_7_blocks.xml",
         "",
         "DTMDictionary_7_blocks.xml"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (!c.damage.empty())
            WriteFile(copy / c.damage, c.text);
        std::vector<std::string> args{"--trace"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const Result r = Run(args, c.folder);
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find(c.named), std::string::npos) << r.err;
        EXPECT_FALSE(r.AnyRequest()) << r.out;
        EXPECT_FALSE(fs::exists(Project()));
        if (!c.damage.empty())
            fs::copy_file(fs::path(xmlData_) / c.damage, copy / c.damage,
                          fs::copy_options::overwrite_existing);
    }
}

TEST_F(ProgramTest, MissingMainFileOfTheChosenLanguageStopsTheProgram) {
    const fs::path copy = CopyOfDictionaries();
    fs::remove(copy / "DTMDictionary_7.xml");
    const Result r = Run({"--trace", "--language", "de"}, copy.string());
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("DTMDictionary_7.xml"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("fehlt"), std::string::npos) << r.err;
    EXPECT_FALSE(r.AnyRequest());
    // English needs only its own files.
    const Result english = Run({}, copy.string());
    EXPECT_EQ(english.status, 0) << english.err;
}

TEST_F(ProgramTest, ReadOnlyProjectIsRefusedAndLeftAsItIs) {
    CreateProject();
    const std::string before = ReadFile(Project());
    fs::permissions(Project(),
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const Result r = Run({"--trace"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("read-only"), std::string::npos) << r.err;
    EXPECT_FALSE(r.AnyRequest());
    EXPECT_EQ(ReadFile(Project()), before);
    EXPECT_EQ(ModeOf(Project()), 0444u);
}

TEST_F(ProgramTest, ProjectInAFolderThatDoesNotExistIsRefused) {
    const fs::path project = dir_ / "missing" / "plant.xml";
    const Result r = Run({"--trace", "--project", project.string()});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find((dir_ / "missing").string()), std::string::npos) << r.err;
    EXPECT_FALSE(r.AnyRequest());
    EXPECT_FALSE(fs::exists(dir_ / "missing"));
}

// --- writing the project ---

TEST_F(ProgramTest, SavedProjectKeepsItsPermissions) {
    CreateProject();
    fs::permissions(Project(), static_cast<fs::perms>(0664));
    const Result r = Run({});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ModeOf(Project()), 0664u);
    fs::permissions(Project(), static_cast<fs::perms>(0640));
    ASSERT_EQ(Run({}).status, 0);
    EXPECT_EQ(ModeOf(Project()), 0640u);
}

// A save past the file size limit is refused and told; the program does not die of it.
TEST_F(ProgramTest, ASaveBeyondTheFileSizeLimitIsRefusedAndTold) {
    const Result r = Run({}, {}, 16 * 1024);
    EXPECT_EQ(r.status, 5) << r.err;
    EXPECT_NE(r.err.find("Cannot write kv6274pa-project.xml: File too large"), std::string::npos)
        << r.err;
    EXPECT_FALSE(fs::exists(Project()));
}

TEST_F(ProgramTest, NewProjectGetsThePermissionsTheCreationMaskAllows) {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    CreateProject();
    EXPECT_EQ(ModeOf(Project()), 0666u & ~mask);
}

TEST_F(ProgramTest, ProjectBehindALinkIsWrittenThroughIt) {
    fs::create_directory(dir_ / "store");
    const fs::path target = dir_ / "store" / "plant.xml";
    fs::create_symlink("store/plant.xml", Project());  // the target does not exist yet
    CreateProject();
    EXPECT_TRUE(fs::is_symlink(Project()));
    ASSERT_TRUE(fs::is_regular_file(target));
    EXPECT_NE(ReadFile(target).find("<FrameProject"), std::string::npos);

    fs::permissions(target, static_cast<fs::perms>(0664));
    const Result again = Run({});
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_NE(again.out.find("(opened"), std::string::npos) << again.out;
    EXPECT_TRUE(fs::is_symlink(Project()));
    EXPECT_EQ(ModeOf(target), 0664u);
    // The target's folder holds the project alone: no temporary file is left behind.
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_ / "store"))
        names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"plant.xml"});
}

// --- language ---

TEST_F(ProgramTest, ALanguageWithoutTextsRunsInEnglish) {
    const Result r = Run({"--language", "fr"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("\"fr\""), std::string::npos) << r.err;
    EXPECT_NE(r.out.find("Project saved"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Identification"), std::string::npos);
    EXPECT_EQ(r.out.find("Projekt"), std::string::npos);

    const Result german = Run({"--language=DE"});
    ASSERT_EQ(german.status, 0) << german.err;
    EXPECT_NE(german.out.find("Projekt gespeichert"), std::string::npos) << german.out;
    EXPECT_EQ(german.err, "");
}

TEST_F(ProgramTest, MessagesFollowTheChosenLanguage) {
    const Result r = Run({"--language", "de", "--project", (dir_ / "x" / "p.xml").string()});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("existiert nicht"), std::string::npos) << r.err;
    const Result refused = Run({"--language", "de", "--no", "--device-id", "KV9999"});
    EXPECT_EQ(refused.status, 3);
    EXPECT_NE(refused.err.find("nicht angenommen"), std::string::npos) << refused.err;
    // A save past the file size limit and a damaged project, in German.
    const Result full = Run({"--language", "de"}, {}, 16 * 1024);
    EXPECT_EQ(full.status, 5);
    EXPECT_NE(full.err.find(
                  "kv6274pa-project.xml kann nicht geschrieben werden: Die Datei ist zu groß.\n"),
              std::string::npos)
        << full.err;
    CreateProject();
    WriteFile(Project(), ReadFile(Project()).substr(0, 300));
    const Result damaged = Run({"--language", "de"});
    EXPECT_EQ(damaged.status, 2);
    EXPECT_NE(damaged.err.find("Das Projekt kv6274pa-project.xml ist beschädigt: Die Datei ist "
                               "kein wohlgeformtes XML ("),
              std::string::npos)
        << damaged.err;
    EXPECT_NE(damaged.err.find("). Es wurde nichts geladen.\n"), std::string::npos) << damaged.err;
}

// --- options ---

TEST_F(ProgramTest, OptionErrorsHaveTheirOwnMessages) {
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const std::vector<Case> cases = {
        {{"--project", "--trace"}, "the option --project needs a value, but the option --trace"},
        {{"--project"}, "the option --project needs a value"},
        {{"stray"}, "unexpected argument \"stray\""},
        {{"--trace", "plant.xml"}, "unexpected argument \"plant.xml\""},
        {{"--trace=yes"}, "the option --trace takes no value"},
        {{"--colour"}, "unknown option \"--colour\""},
        {{"--language", "english"}, "\"english\" is no language code"},
        {{"--ident-number=0x10000"}, "is no number from 0 to 65535"},
        {{"--yes", "--no"}, "--yes and --no exclude each other"},
        {{"--gui", "--screenshot", "pictures"}, "--gui and --screenshot exclude each other"},
        {{"--screenshot="}, "the folder of --screenshot is empty"},
        {{"--gui=yes"}, "the option --gui takes no value"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[0]);
        const Result r = Run(c.args);
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_FALSE(fs::exists(Project()));
    }
}

TEST_F(ProgramTest, TheHelpListsEveryOptionAndDoesNothingElse) {
    for (const char* help : {"--help", "-h"}) {
        SCOPED_TRACE(help);
        const Result r = Run({help});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, "");
        for (const char* option :
             {"-h, --help ", "--project FILE ", "--language CODE ", "--trace ", "--yes, --no ",
              "--gui ", "--screenshot DIR ", "--device-id TEXT ", "--ident-number N ",
              "--profile-revision N ", "--write-locked ", "--hw-protected "}) {
            EXPECT_NE(r.out.find(std::string("\n  ") + option), std::string::npos) << option;
        }
        EXPECT_FALSE(fs::exists(Project()));
    }
}

TEST_F(ProgramTest, OptionValuesMayFollowAnEqualsSign) {
    const Result r = Run({"--project=plant.xml", "--device-id=KV6274", "--ident-number=0x0B5E"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::exists(dir_ / "plant.xml"));
    EXPECT_TRUE(fs::exists(dir_ / "plant.parameters.xml"));
    // A value that begins with "-" is given with "=".
    const Result dash = Run({"--project=-dash.xml"});
    ASSERT_EQ(dash.status, 0) << dash.err;
    EXPECT_TRUE(fs::exists(dir_ / "-dash.xml"));
}

}  // namespace
}  // namespace kv
