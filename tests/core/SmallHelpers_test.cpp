#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include <unistd.h>

#include "core/APIHelpers.h"
#include "core/ConvStr.h"
#include "core/DataModelHelpers.h"
#include "core/ProjectHelpers.h"
#include "core/Registry.h"
#include "core/StrFkt.h"
#include "core/WinSDK.h"
#include "platform/os/Shell.h"
#include "platform/runtime/ManualEventLoop.h"
#include "value/DiagnosticLog.h"

namespace kv {
namespace {

// --- GUIDs ---

TEST(SmallHelpersGuid, ProcessIdForm) {
    const std::string id = NewGuidString(Variant(false));
    ASSERT_EQ(id.size(), 36u) << id;
    for (size_t i = 0; i < id.size(); ++i) {
        if (i == 8 || i == 13 || i == 18 || i == 23) {
            EXPECT_EQ(id[i], '-') << id;
        } else {
            EXPECT_TRUE(std::isxdigit(static_cast<unsigned char>(id[i])) &&
                        !std::islower(static_cast<unsigned char>(id[i])))
                << id;
        }
    }
    EXPECT_EQ(id[14], '4') << id;  // a random (version 4) GUID
    EXPECT_NE(id, NewGuidString(Variant(false)));
    EXPECT_EQ(NewGuidString().size(), 36u);
    const std::string braced = NewGuidString(Variant(true));
    ASSERT_EQ(braced.size(), 38u);
    EXPECT_EQ(braced.front(), '{');
    EXPECT_EQ(braced.back(), '}');
}

TEST(SmallHelpersGuid, TextFormOfTheComStructure) {
    // Data1 0x00112233, Data2 0x4455, Data3 0x6677 little-endian, then Data4.
    const GUID g = {0x33, 0x22, 0x11, 0x00, 0x55, 0x44, 0x77, 0x66,
                    0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF};
    EXPECT_EQ(GuidToString(g, Variant(true)), "{00112233-4455-6677-8899-AABBCCDDEEFF}");
    EXPECT_EQ(GuidToString(g, Variant(false)), "00112233-4455-6677-8899-AABBCCDDEEFF");
}

TEST(SmallHelpersGuid, ClassIdOfProgId) {
    const std::optional<GUID> a = ProgIdToClsid("KV6274PA.DTMMain");
    const std::optional<GUID> b = ProgIdToClsid("KV6274PA.DTMMain");
    const std::optional<GUID> c = ProgIdToClsid("KV6274PA.ctlNavigationMain");
    ASSERT_TRUE(a && b && c);
    EXPECT_EQ(GuidToString(*a, Variant(true)), GuidToString(*b, Variant(true)));
    EXPECT_NE(*a, *c);
    EXPECT_EQ(ProgIdToClsid("Some.Other"), std::nullopt);
}

TEST(SmallHelpersGuid, IsSameText) {
    struct Case {
        const char* a;
        const char* b;
        bool same;
    };
    const Case cases[] = {
        {"", "", false},
        {"", "x", false},
        {"abc", "ABC", true},
        {"ABC", "abc", true},
        {"abc", "abd", false},
        {"abc", "abc ", false},
        {"1A2B-3C", "1a2b-3c", true},
        {"x", "", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsSameText(c.a, c.b), c.same) << '"' << c.a << "\" \"" << c.b << '"';
    }
}

// --- hex text ---

TEST(SmallHelpersHex, HexStringToBytes) {
    struct Case {
        const char* text;
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {
        {"01AB", {0x01, 0xAB}}, {"ABC", {0xAB, 0xC0}}, {"A", {0xA0}},
        {"ff0a", {0xFF, 0x0A}}, {"00", {0x00}},
    };
    for (const Case& c : cases) {
        const Variant v = HexStringToBytes(c.text);
        ASSERT_TRUE(v.isByteArray()) << c.text;
        EXPECT_EQ(v.bytes().lbound, 0);
        EXPECT_EQ(v.bytes().bytes, c.bytes) << c.text;
        EXPECT_EQ(TryHexStringToBytes(c.text), v) << c.text;
    }
    EXPECT_TRUE(HexStringToBytes("").isEmpty());
    EXPECT_EQ(TryHexStringToBytes(""), Variant());
    for (const char* bad : {"0G", "G0", "1 2", "-1", "ABZ", "0x"}) {
        EXPECT_EQ(TryHexStringToBytes(bad), std::nullopt) << bad;
        try {
            HexStringToBytes(bad);
            ADD_FAILURE() << "no error for " << bad;
        } catch (const VbError& e) {
            EXPECT_EQ(e.number(), VbErr::TypeMismatch) << bad;
        }
    }
}

TEST(SmallHelpersHex, BytesToHexString) {
    EXPECT_EQ(BytesToHexString(Variant(std::vector<uint8_t>{0x0A, 0xFF})), "0AFF");
    EXPECT_EQ(BytesToHexString(Variant(ByteArray{{0x00, 0x10, 0x09}, 3})), "001009");
    EXPECT_EQ(BytesToHexString(Variant(std::vector<uint8_t>{})), "");
    EXPECT_EQ(BytesToHexString(Variant("0AFF")), "");
    EXPECT_EQ(BytesToHexString(Variant(int32_t{10})), "");
    EXPECT_EQ(BytesToHexString(Variant()), "");
    EXPECT_EQ(BytesToHexString(Variant::Null()), "");
}

// --- last match with a wildcard pattern ---

TEST(SmallHelpersText, InStrRevLike) {
    struct Case {
        const char* text;
        const char* pattern;
        int32_t mode;
        int32_t pos;
    };
    const Case cases[] = {
        {"build 2005-07-20 x", "####-##-##", 0, 7},
        {"build without a date", "####-##-##", 0, 0},
        {"2001-01-01 and 2005-07-20", "####-##-##", 0, 16},
        {"2005-07-20", "####-##-##", 0, 1},
        {"abcabc", "abc", 0, 4},
        {"abcABC", "abc", 0, 1},
        {"abcABC", "abc", 1, 4},
        {"ABCabc", "ABC", 1, 4},
        {"Build", "build", 0, 0},
        {"Build", "build", 1, 1},
        {"xay", "[a-c]", 0, 2},
        {"xayb", "?", 0, 4},
        {"text", "", 0, 0},
        {"", "a", 0, 0},
        {"", "", 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(InStrRevLike(c.text, c.pattern, c.mode), c.pos)
            << '"' << c.text << "\" \"" << c.pattern << "\" " << c.mode;
    }
}

// --- shell ---

TEST(SmallHelpersShell, AnOpenerThatFailsReportsFalseAndLogsWhy) {
    ManualEventLoop loop;
    DiagnosticLog log;
    os::SetShellOpener([](const std::string&, IEventLoop&, os::ShellOpenEnded) -> bool {
        throw std::runtime_error("broken");
    });
    EXPECT_FALSE(ShellOpenDocument("x.pdf", loop, {}, log));
    ASSERT_EQ(log.Entries().size(), 1u);
    EXPECT_EQ(log.Entries()[0].what, "broken");
    os::SetShellOpener(nullptr);
    EXPECT_FALSE(ShellOpenDocument("/nonexistent/kv6274pa/manual.pdf", loop, {}, log));
    EXPECT_EQ(log.Entries().size(), 1u);
}

// --- registry value ---

class SmallHelpersRegistry : public testing::Test {
  protected:
    void SetUp() override {
        dir_ = std::filesystem::path(testing::TempDir()) /
               ("kv_registry_" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir_);
        file_ = dir_ / "registry.conf";
        const char* old = std::getenv("KV6274PA_CONFIG");
        hadOld_ = old != nullptr;
        old_ = hadOld_ ? old : "";
        ::setenv("KV6274PA_CONFIG", file_.c_str(), 1);
    }
    void TearDown() override {
        if (hadOld_) {
            ::setenv("KV6274PA_CONFIG", old_.c_str(), 1);
        } else {
            ::unsetenv("KV6274PA_CONFIG");
        }
        std::filesystem::remove_all(dir_);
    }
    void Write(const std::string& body) {
        std::ofstream out(file_);
        out << "[HKEY_LOCAL_MACHINE\\Software\\KARVEL AG\\DAZ6274_IVU12\\]\n" << body;
    }
    Variant Read(const std::string& name) {
        return QueryRegValue(HKEY_LOCAL_MACHINE_ID, "Software\\KARVEL AG\\DAZ6274_IVU12", "", name,
                             "0", log_);
    }

    std::filesystem::path dir_;
    std::filesystem::path file_;
    std::string old_;
    bool hadOld_ = false;
    DiagnosticLog log_;
};

TEST_F(SmallHelpersRegistry, DwordTextAndCase) {
    Write("DPAddressEnable=dword:00000001\nAsText=\"1\"\nNegative=dword:FFFFFFFE\n");
    const Variant dword = Read("DPAddressEnable");
    EXPECT_EQ(dword.type(), VarType::Long);
    EXPECT_EQ(dword.toLong(), 1);
    const Variant text = Read("AsText");
    EXPECT_EQ(text.type(), VarType::String);
    EXPECT_EQ(text.str(), "1");
    EXPECT_EQ(Read("Negative").toLong(), -2);
    EXPECT_EQ(Read("dpaddressenable").str(), "0");  // value names are case-sensitive
    EXPECT_EQ(GetRegValue("Software\\KARVEL AG\\DAZ6274_IVU12", "", "DPAddressEnable", "0",
                          HKEY_LOCAL_MACHINE_ID, log_),
              "1");
    EXPECT_EQ(GetRegValue("Software\\KARVEL AG\\DAZ6274_IVU12", "", "Missing", "dflt",
                          HKEY_LOCAL_MACHINE_ID, log_),
              "dflt");
    EXPECT_EQ(GetRegValue("Software\\KARVEL AG\\Other", "", "DPAddressEnable", "0",
                          HKEY_LOCAL_MACHINE_ID, log_),
              "0");
    EXPECT_EQ(GetRegValue("Software\\KARVEL AG\\DAZ6274_IVU12", "", "DPAddressEnable", "0",
                          static_cast<int32_t>(0x80000001u), log_),
              "0");
}

TEST_F(SmallHelpersRegistry, MissingFileGivesTheDefault) {
    const Variant v = Read("DPAddressEnable");
    EXPECT_EQ(v.type(), VarType::String);
    EXPECT_EQ(v.str(), "0");
}

TEST_F(SmallHelpersRegistry, ValuesTooLargeForTheBuffersEndTheEnumeration) {
    const std::string text254(254, 'x');
    const std::string text255(255, 'y');
    const std::string name255(255, 'n');
    Write("Fits=\"" + text254 + "\"\nAfterFits=\"a\"\n");
    EXPECT_EQ(Read("Fits").str(), text254);
    EXPECT_EQ(Read("AfterFits").str(), "a");
    Write("Before=\"b\"\nBig=\"" + text255 + "\"\nAfterBig=\"a\"\n");
    EXPECT_EQ(Read("Before").str(), "b");
    EXPECT_EQ(Read("Big").str(), "0");
    EXPECT_EQ(Read("AfterBig").str(), "0");
    Write(name255 + "=\"v\"\nAfterLongName=dword:00000001\n");
    EXPECT_EQ(Read(name255).str(), "0");
    EXPECT_EQ(Read("AfterLongName").str(), "0");
}

TEST(SmallHelpersRegistryText, TrimAtNulAndCVL) {
    EXPECT_EQ(TrimAtNul(std::string("abc\0def", 7)), "abc");
    EXPECT_EQ(TrimAtNul("abc"), "abc");
    EXPECT_EQ(TrimAtNul(std::string("\0x", 2)), "");
    EXPECT_EQ(CVL(std::string("\x01\x00\x00\x00", 4)), 1);
    EXPECT_EQ(CVL(std::string("\x78\x56\x34\x12", 4)), 0x12345678);
    EXPECT_EQ(CVL("\xFF\xFF\xFF\xFF"), -1);
    for (const std::string bad : {"", "abc", "abcde"}) {
        try {
            CVL(bad);
            ADD_FAILURE() << "no error for " << bad.size() << " characters";
        } catch (const VbError& e) {
            EXPECT_EQ(static_cast<int>(e.number()), 1000);
        }
    }
}

// --- values ---

ByteArray Bytes(std::vector<uint8_t> b, int32_t lbound) {
    return ByteArray{std::move(b), lbound};
}

TEST(SmallHelpersValues, VariantsEqual) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        const char* what;
        Variant a;
        Variant b;
        bool equal;
    };
    const Case cases[] = {
        {"Null, Empty", Variant::Null(), Variant(), false},
        {"Empty, Empty", Variant(), Variant(), true},
        {"Null, Null", Variant::Null(), Variant::Null(), true},
        {"Empty, 0", Variant(), Variant(int32_t{0}), false},
        {"Empty, text", Variant(), Variant(""), false},
        {"bytes same bounds", Bytes({1, 2}, 0), Bytes({1, 2}, 0), true},
        {"bytes other bounds", Bytes({1, 2}, 0), Bytes({1, 2}, 1), false},
        {"bytes other content", Bytes({1, 2}, 0), Bytes({1, 3}, 0), false},
        {"bytes other length", Bytes({1, 2}, 0), Bytes({1, 2, 3}, 0), false},
        {"bytes, text", Bytes({0x31}, 0), Variant("1"), false},
        {"1, 1.0", Variant(int16_t{1}), Variant(1.0), true},
        {"text 10, 10", Variant("10"), Variant(int32_t{10}), true},
        {"Single 0.1, Double 0.1", Variant(0.1f), Variant(0.1), true},
        {"Byte 255, Long 255", Variant(uint8_t{255}), Variant(int32_t{255}), true},
        {"1, 2", Variant(int32_t{1}), Variant(int32_t{2}), false},
        {"text 10.0, text 10", Variant("10.0"), Variant("10"), false},
        {"abc, abc", Variant("abc"), Variant("abc"), true},
        {"abc, ABC", Variant("abc"), Variant("ABC"), false},
        {"abc, 5", Variant("abc"), Variant(int32_t{5}), false},
        {"NaN, NaN", Variant(nan), Variant(nan), true},
        {"NaN Single, NaN Double", Variant(std::numeric_limits<float>::quiet_NaN()), Variant(nan),
         true},
        {"NaN, 1", Variant(nan), Variant(1.0), false},
        {"text, NaN", Variant("NaN"), Variant(nan), false},
        {"+Inf, +Inf", Variant(inf), Variant(inf), true},
        {"+Inf, -Inf", Variant(inf), Variant(-inf), false},
        {"+Inf, NaN", Variant(inf), Variant(nan), false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(VariantsEqual(c.a, c.b), c.equal) << c.what;
        EXPECT_EQ(VariantsEqual(c.b, c.a), c.equal) << c.what << " (swapped)";
    }
}

TEST(SmallHelpersValues, ToByteArray) {
    const Variant v =
        ToByteArray({Variant(int32_t{1}), Variant(255.0), Variant("16"), Variant(2.5)}, 1);
    ASSERT_TRUE(v.isByteArray());
    EXPECT_EQ(v.bytes().lbound, 1);
    EXPECT_EQ(v.bytes().ubound(), 4);
    EXPECT_EQ(v.bytes().bytes, (std::vector<uint8_t>{1, 255, 16, 2}));
    EXPECT_TRUE(ToByteArray({}).bytes().bytes.empty());
    EXPECT_THROW(ToByteArray({Variant(int32_t{256})}), VbError);
    EXPECT_THROW(ToByteArray({Variant(int32_t{-1})}), VbError);
}

TEST(SmallHelpersValues, IsInvalidFloat) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        const char* what;
        Variant v;
        bool invalid;
    };
    const Case cases[] = {
        {"text", Variant("NaN"), false},
        {"integer", Variant(int16_t{7}), false},
        {"long", Variant(int32_t{-7}), false},
        {"empty", Variant(), false},
        {"null", Variant::Null(), false},
        {"single", Variant(1.5f), false},
        {"double", Variant(-1e300), false},
        {"largest single", Variant(std::numeric_limits<float>::max()), false},
        {"decimal", Variant::FromDecimal(3.0), false},
        {"double NaN", Variant(nan), true},
        {"double +Inf", Variant(inf), true},
        {"double -Inf", Variant(-inf), true},
        {"single NaN", Variant(std::numeric_limits<float>::quiet_NaN()), true},
        {"single Inf", Variant(std::numeric_limits<float>::infinity()), true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsInvalidFloat(c.v), c.invalid) << c.what;
    }
}

}  // namespace
}  // namespace kv
