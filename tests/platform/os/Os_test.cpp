#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/os/ComponentFolder.h"
#include "platform/os/ConfigFile.h"
#include "platform/os/Guid.h"
#include "platform/os/IEventLoop.h"
#include "platform/os/Shell.h"
#include "platform/os/Threads.h"
#include "platform/os/VersionInfo.h"
#include "value/Text.h"
#include "value/Variant.h"

namespace kv::os {
namespace {

constexpr int32_t kHklm = static_cast<int32_t>(0x80000002u);
const char kKey[] = "Software\\KARVEL AG\\DAZ6274_IVU12\\";

// Sets an environment variable for one test and restores the previous value.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        const char* old = std::getenv(name);
        hadOld_ = old != nullptr;
        old_ = hadOld_ ? old : "";
        if (value != nullptr) {
            ::setenv(name, value, 1);
        } else {
            ::unsetenv(name);
        }
    }
    ~ScopedEnv() {
        if (hadOld_) {
            ::setenv(name_.c_str(), old_.c_str(), 1);
        } else {
            ::unsetenv(name_.c_str());
        }
    }

  private:
    std::string name_;
    std::string old_;
    bool hadOld_ = false;
};

TEST(OsGuid, RandomGuidsAreVersion4AndDiffer) {
    const std::optional<GuidBytes> a = NewRandomGuid();
    const std::optional<GuidBytes> b = NewRandomGuid();
    ASSERT_TRUE(a && b);
    EXPECT_NE(*a, *b);
    for (const GuidBytes& g : {*a, *b}) {
        EXPECT_EQ(g[7] >> 4, 4);       // high nibble of Data3
        EXPECT_EQ(g[8] & 0xC0, 0x80);  // RFC 4122 variant
    }
}

TEST(OsGuid, ClassIdsOfTheComponentsProgIds) {
    const std::optional<GuidBytes> main1 = ClassIdFromProgId("KV6274PA.DTMMain");
    const std::optional<GuidBytes> main2 = ClassIdFromProgId("KV6274PA.DTMMain");
    const std::optional<GuidBytes> mainLower = ClassIdFromProgId("kv6274pa.dtmmain");
    const std::optional<GuidBytes> about = ClassIdFromProgId("KV6274PA.ctlAbout");
    ASSERT_TRUE(main1 && main2 && mainLower && about);
    EXPECT_EQ(*main1, *main2);
    EXPECT_EQ(*main1, *mainLower);
    EXPECT_NE(*main1, *about);
    EXPECT_EQ((*main1)[7] >> 4, 5);

    EXPECT_EQ(ClassIdFromProgId("Excel.Application"), std::nullopt);
    EXPECT_EQ(ClassIdFromProgId("KV6274PA."), std::nullopt);
    EXPECT_EQ(ClassIdFromProgId(""), std::nullopt);
    EXPECT_EQ(ClassIdFromProgId("XKV6274PA.DTMMain"), std::nullopt);
}

std::string Dword(uint32_t v) {
    std::string s;
    for (int k = 0; k < 4; ++k) {
        s.push_back(static_cast<char>((v >> (8 * k)) & 0xFF));
    }
    return s;
}

TEST(OsConfigFile, ParsesPlainValuesInOrder) {
    const std::string text =
        "# settings of the machine\n"
        "; another comment\n"
        "DPAddressEnable=1\n"
        "[HKEY_LOCAL_MACHINE\\Software\\KARVEL AG\\DAZ6274_IVU12]\r\n"
        "  Spaced = some text  \r\n"
        "Quoted=\"some \"quoted\" text\"\n"
        "\"Quoted Name\"=dword:FFFFFFFF\n"
        "Dword = DWORD:00000001\n"
        "Empty=\n"
        "no equals sign\n"
        "=nameless\n"
        "BadHex=dword:12G4\n"
        "TooLong=dword:123456789\n"
        "Half=\"open\n";
    const auto values = ParseConfigKey(text, kHklm, kKey);
    ASSERT_TRUE(values.has_value());
    struct Expected {
        const char* name;
        uint32_t type;
        std::string data;
    };
    const std::vector<Expected> expected = {
        {"DPAddressEnable", kRegSz, "1"},
        {"Spaced", kRegSz, "some text"},
        {"Quoted", kRegSz, "some \"quoted\" text"},
        {"Quoted Name", kRegDword, Dword(0xFFFFFFFFu)},
        {"Dword", kRegDword, Dword(1)},
        {"Empty", kRegSz, ""},
        {"Half", kRegSz, "\"open"},
    };
    ASSERT_EQ(values->size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ((*values)[i].name, expected[i].name);
        EXPECT_EQ((*values)[i].type, expected[i].type);
        EXPECT_EQ((*values)[i].data, expected[i].data);
    }
}

TEST(OsConfigFile, TheFileHoldsTheSettingsKeyOnly) {
    const std::string text = "DPAddressEnable=1\n";
    EXPECT_EQ(ParseConfigKey(text, kHklm, "software\\karvel ag\\daz6274_ivu12")->size(), 1u);
    EXPECT_FALSE(ParseConfigKey(text, kHklm, "Software\\KARVEL AG\\").has_value());
    EXPECT_FALSE(ParseConfigKey(text, kHklm, "Software\\KARVEL AG\\Other").has_value());
    EXPECT_FALSE(ParseConfigKey(text, static_cast<int32_t>(0x80000001u), kKey).has_value());
    EXPECT_FALSE(ParseConfigKey(text, 12345, kKey).has_value());
    const auto empty = ParseConfigKey("", kHklm, kKey);
    ASSERT_TRUE(empty.has_value());
    EXPECT_TRUE(empty->empty());
    EXPECT_TRUE(ParseConfigKey(std::string("\0\xff[\nx\n", 6), kHklm, kKey)->empty());
}

TEST(OsConfigFile, FileLocation) {
    {
        ScopedEnv file("KV6274PA_CONFIG", "/tmp/a.conf");
        ScopedEnv xdg("XDG_CONFIG_HOME", "/tmp/xdg");
        EXPECT_EQ(ConfigFilePath(), "/tmp/a.conf");
    }
    {
        ScopedEnv file("KV6274PA_CONFIG", nullptr);
        ScopedEnv xdg("XDG_CONFIG_HOME", "/tmp/xdg");
        EXPECT_EQ(ConfigFilePath(), "/tmp/xdg/kv6274pa/registry.conf");
    }
    {
        ScopedEnv file("KV6274PA_CONFIG", "");
        ScopedEnv xdg("XDG_CONFIG_HOME", nullptr);
        ScopedEnv home("HOME", "/home/op");
        EXPECT_EQ(ConfigFilePath(), "/home/op/.config/kv6274pa/registry.conf");
    }
}

TEST(OsConfigFile, ReadsTheFileNamedByTheEnvironment) {
    const std::filesystem::path dir = std::filesystem::path(testing::TempDir()) / "kv_os_config";
    std::filesystem::create_directories(dir);
    const std::filesystem::path file = dir / "registry.conf";
    {
        std::ofstream out(file);
        out << "# machine settings of the DTM\n"
               "DPAddressEnable = 1\n";
    }
    {
        ScopedEnv env("KV6274PA_CONFIG", file.c_str());
        const auto values = ReadConfigKey(kHklm, kKey);
        ASSERT_TRUE(values.has_value());
        ASSERT_EQ(values->size(), 1u);
        EXPECT_EQ((*values)[0].data, "1");
        // Every read follows the file, even a change of the same size at once.
        std::ofstream(file) << "# machine settings of the DTM\n"
                               "DPAddressEnable = 2\n";
        const auto changed = ReadConfigKey(kHklm, kKey);
        ASSERT_TRUE(changed.has_value());
        ASSERT_EQ(changed->size(), 1u);
        EXPECT_EQ((*changed)[0].data, "2");
    }
    {
        ScopedEnv env("KV6274PA_CONFIG", (dir / "missing.conf").c_str());
        EXPECT_FALSE(ReadConfigKey(kHklm, kKey).has_value());
    }
    {
        ScopedEnv env("KV6274PA_CONFIG", dir.c_str());  // a folder, not a file
        EXPECT_FALSE(ReadConfigKey(kHklm, kKey).has_value());
    }
    {
        // A pipe without a writer is refused, not waited for.
        const std::filesystem::path pipe = dir / "pipe.conf";
        ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
        ScopedEnv env("KV6274PA_CONFIG", pipe.c_str());
        EXPECT_FALSE(ReadConfigKey(kHklm, kKey).has_value());
    }
    std::filesystem::remove_all(dir);
}

// A loop whose timers run when the test ticks them.
class TickLoop : public IEventLoop {
  public:
    void Post(std::function<void()> fn) override { fn(); }
    int32_t StartTimer(int32_t, std::function<void()> fn) override {
        timers_[++last_] = std::move(fn);
        return last_;
    }
    void StopTimer(int32_t id) override { timers_.erase(id); }
    int64_t NowMs() const override { return 0; }
    void Tick() {
        const auto timers = timers_;
        for (const auto& [id, fn] : timers)
            fn();
    }
    size_t Timers() const { return timers_.size(); }

  private:
    std::map<int32_t, std::function<void()>> timers_;
    int32_t last_ = 0;
};

TEST(OsShell, InjectedOpenerReceivesTheFile) {
    TickLoop loop;
    std::vector<std::string> opened;
    SetShellOpener([&opened](const std::string& file, IEventLoop&, ShellOpenEnded) {
        opened.push_back(file);
        return file != "refused.pdf";
    });
    EXPECT_TRUE(ShellOpen("/opt/kv/manual;rm -rf.pdf", loop, {}));
    EXPECT_FALSE(ShellOpen("refused.pdf", loop, {}));
    EXPECT_EQ(opened, (std::vector<std::string>{"/opt/kv/manual;rm -rf.pdf", "refused.pdf"}));
    SetShellOpener(nullptr);
    // The default opener refuses a missing file without starting anything.
    EXPECT_FALSE(ShellOpen("/nonexistent/kv6274pa/manual.pdf", loop, {}));
    EXPECT_FALSE(ShellOpen("", loop, {}));
    EXPECT_EQ(opened.size(), 2u);
    EXPECT_EQ(loop.Timers(), 0u);
}

TEST(OsShell, XdgOpenTellsHowTheProgramEndedAndPrintsNothingOfItsOwn) {
    // An "xdg-open" of the test's own on the PATH: it ends with the given status, after a
    // line on each of its outputs, which the program's own outputs never show.
    struct Case {
        const char* name;
        std::optional<int> exitStatus;  // nullopt: no xdg-open on the PATH
        bool started;
        bool opened;
    };
    const Case cases[] = {
        {"opens the file", 0, true, true},
        {"finds no viewer", 3, true, false},
        {"missing", std::nullopt, false, false},
    };
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("kv6274pa-xdg-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::filesystem::path file = dir / "manual.html";
    std::ofstream(file) << "<html/>";
    const std::filesystem::path script = dir / "xdg-open";
    for (const Case& c : cases) {
        std::filesystem::remove(script);
        if (c.exitStatus) {
            std::ofstream(script) << "#!/bin/sh\necho out\necho error >&2\nexit " << *c.exitStatus
                                  << "\n";
            std::filesystem::permissions(script, std::filesystem::perms::owner_all);
        }
        ScopedEnv path("PATH", dir.c_str());
        TickLoop loop;
        std::vector<bool> ended;
        // The program's outputs go to a file while the opener runs.
        const std::filesystem::path printed = dir / "printed";
        const int sink = ::open(printed.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ASSERT_GE(sink, 0);
        std::fflush(stdout);
        std::fflush(stderr);
        const int saved[2] = {::dup(1), ::dup(2)};
        ::dup2(sink, 1);
        ::dup2(sink, 2);
        const bool started =
            XdgOpen(file.string(), loop, [&](bool opened) { ended.push_back(opened); });
        siginfo_t info{};
        const int waited = started ? ::waitid(P_ALL, 0, &info, WEXITED | WNOWAIT) : 0;
        ::dup2(saved[0], 1);
        ::dup2(saved[1], 2);
        for (const int fd : {saved[0], saved[1], sink})
            ::close(fd);
        ASSERT_EQ(started, c.started) << c.name;
        EXPECT_EQ(std::filesystem::file_size(printed), 0U) << c.name;
        if (c.started) {
            // Nothing is told before the program has ended; then once, on the loop.
            ASSERT_EQ(waited, 0) << c.name;
            EXPECT_TRUE(ended.empty()) << c.name;
            loop.Tick();
            loop.Tick();
        }
        EXPECT_EQ(ended, c.started ? std::vector<bool>{c.opened} : std::vector<bool>{}) << c.name;
        EXPECT_EQ(loop.Timers(), 0u) << c.name;
    }
    std::filesystem::remove_all(dir);
}

// Every item is worked on once, each thread keeping its state; a throw reaches the caller once
// every thread has ended.
TEST(OsThreads, EveryItemRunsOnceAndAThrowReachesTheCaller) {
    EXPECT_GE(UsableCpus(), 1u);
    std::vector<std::atomic<int>> runs(1000);
    std::atomic<size_t> states{0};
    RunOnThreads<std::vector<size_t>>(runs.size(), 4, [&](size_t i, std::vector<size_t>& mine) {
        ++runs[i];
        mine.push_back(i);
        if (mine.size() == 1)
            ++states;
    });
    for (const std::atomic<int>& n : runs)
        EXPECT_EQ(n.load(), 1);
    EXPECT_GE(states.load(), 1u);
    EXPECT_LE(states.load(), 4u);
    EXPECT_THROW(RunOnThreads(runs.size(), 4,
                              [](size_t i) {
                                  if (i == 10)
                                      throw std::runtime_error("item 10");
                              }),
                 std::runtime_error);
}

TEST(OsVersion, ComponentVersion) {
    const VersionInfo& v = ComponentVersion();
    EXPECT_EQ(v.title, "KV6274PA");
    EXPECT_EQ(v.companyName, "KARVEL AG");
    EXPECT_FALSE(v.fileDescription.empty());
    EXPECT_EQ(v.fileVersion[3], 10);
    EXPECT_EQ(v.FileVersionText(), std::string(KV_VERSION_STRING) + ".10");
    EXPECT_TRUE(Like(v.comments, "*Build ####-##-##*")) << v.comments;
}

TEST(OsComponentFolder, EnvironmentFirstThenAnExistingFolder) {
    {
        ScopedEnv env("KV6274PA_XMLDATA", "/somewhere/XMLData");
        EXPECT_EQ(XmlDataFolder(), "/somewhere/XMLData");
    }
    ScopedEnv env("KV6274PA_XMLDATA", nullptr);
    const std::string folder = XmlDataFolder();
    EXPECT_EQ(std::filesystem::path(folder).filename(), "XMLData");
    EXPECT_TRUE(std::filesystem::is_directory(folder)) << folder;
}

}  // namespace
}  // namespace kv::os
