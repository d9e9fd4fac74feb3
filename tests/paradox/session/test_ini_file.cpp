// INI reading with the profile functions' rules: case, trimming, quotes, remarks, duplicates,
// the 1023-byte value limit, and files that are missing or unreadable.
#include <gtest/gtest.h>

#include "meta_fixtures.h"
#include "paradox/session/ini_file.h"
#include "paradox/storage/engine_error.h"

using paradox::IniFile;

namespace {

const char* kText =
    "\xEF\xBB\xBF"
    "orphan=ignored\r\n"
    "[Main]\r\n"
    "  Path  =   C:\\data\\db   \r\n"
    "; Path=remark\r\n"
    "quoted = \"  spaced  \"\r\n"
    "single='x'\r\n"
    "half=\"open\r\n"
    "empty=\r\n"
    "novalue\r\n"
    "eq=a=b\r\n"
    "path=second wins not\r\n"
    "[ other ]\n"
    "key=1\n"
    "[MAIN]\n"
    "extra=from duplicate section\n"
    "[unclosed\n"
    "k=v\n";

struct Lookup {
    const char* section;
    const char* key;
    std::optional<std::string> value;
};

TEST(IniFile, LookupsFollowProfileRules) {
    IniFile ini = IniFile::Parse(kText);
    const Lookup cases[] = {
        {"main", "PATH", "C:\\data\\db"},
        {"MAIN", "path", "C:\\data\\db"},  // the first of duplicate keys wins
        {"Main", "quoted", "  spaced  "},
        {"Main", "single", "x"},
        {"Main", "half", "\"open"},
        {"Main", "empty", ""},
        {"Main", "novalue", ""},
        {"Main", "eq", "a=b"},
        {"Main", "; Path", std::nullopt},
        {"Main", "extra", std::nullopt},   // a repeated section is not read
        {"Main", "orphan", std::nullopt},
        {"other", "key", "1"},
        {"unclosed", "k", "v"},
        {"missing", "key", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(ini.value(c.section, c.key), c.value) << c.section << "/" << c.key;
    EXPECT_EQ(ini.sections(), (std::vector<std::string>{"Main", "other", "unclosed"}));
    EXPECT_EQ(ini.keys("main"), (std::vector<std::string>{"Path", "quoted", "single", "half", "empty", "novalue", "eq"}));
    EXPECT_TRUE(ini.hasSection("OTHER"));
    EXPECT_FALSE(ini.hasSection("orphan"));
}

TEST(IniFile, LongValuesAreCutTo1023Bytes) {
    std::string big(5000, 'v');
    IniFile ini = IniFile::Parse("[s]\nk=" + big + "\nk2=\"" + big + "\"\n");
    EXPECT_EQ(ini.value("s", "k")->size(), 1023u);
    EXPECT_EQ(*ini.value("s", "k2"), std::string(1023, 'v'));
}

TEST(IniFile, MissingFileIsEmptyAndDirectoryIsRefused) {
    meta_test::ScratchDir dir;
    IniFile none = IniFile::Load(dir.file("none.ini"));
    EXPECT_FALSE(none.exists());
    EXPECT_TRUE(none.sections().empty());
    try {
        IniFile::Load(dir.str());
        FAIL();
    } catch (const paradox::EngineError& e) {
        EXPECT_EQ(e.code(), paradox::err::kFileNoAccess);
    }
    meta_test::WriteText(dir.file("a.ini"), "[A]\nx = 1\n");
    IniFile a = IniFile::Load(dir.file("a.ini"));
    EXPECT_TRUE(a.exists());
    EXPECT_EQ(a.value("a", "X"), std::optional<std::string>("1"));
}

TEST(IniFile, BinaryGarbageDoesNotConfuseTheParser) {
    std::string junk;
    for (int i = 0; i < 4096; ++i) junk.push_back(char((i * 7919) & 0xFF));
    IniFile ini = IniFile::Parse(junk);
    for (const auto& s : ini.sections())
        for (const auto& k : ini.keys(s)) EXPECT_LE(ini.value(s, k)->size(), IniFile::kMaxValue);
}

}  // namespace
