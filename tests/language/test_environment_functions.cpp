// Environment functions against INI and registry export files the tests write, and the
// environment variables that steer where the directory and registry functions look.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "library/commands/database_context.h"
#include "library/language/registry_files.h"
#include "line_runner.h"

namespace vortab::test {
namespace {

namespace fs = std::filesystem;

class EnvironmentFunctions : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("vortab-env-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override {
        for (const char* v : {"VORTAB_REGISTRY", "VORTAB_WINDIR", "VORTAB_SYSDIR", "TMPDIR", "WINEPREFIX"}) ::unsetenv(v);
        fs::remove_all(dir);
    }
    std::string Write(const std::string& name, const std::string& bytes) {
        const fs::path p = dir / name;
        std::ofstream(p, std::ios::binary) << bytes;
        return p.string();
    }
    std::string Text(const std::string& line) {
        const Outcome o = RunLine(line);
        EXPECT_EQ(o.compileCode, 0) << line;
        EXPECT_EQ(o.status, 0) << line;
        return o.value.isEmpty() ? "" : o.value.toText();
    }
    fs::path dir;
};

struct Case {
    std::string line, expected;
};

TEST_F(EnvironmentFunctions, IniValuesByTheProfileRules) {
    const std::string ini = Write("app.ini",
                                  "[Settings]\nHex=0x1F\nDollar=$ff\nMixed=12abc\nOne=1\nMinus=-1\nZero=0\n"
                                  "Word=true\nFrac=1.5\nName = Upgrade Tool \nShort=0x\n[other]\nHex=7\n");
    const std::string f = "\"" + ini + "\", ";
    const Case cases[] = {
        {"INI_NUM(" + f + "\"settings\", \"HEX\")", "31"},
        {"INI_NUM(" + f + "\"Settings\", \"Dollar\")", "255"},
        {"INI_NUM(" + f + "\"Settings\", \"Mixed\")", "0"},
        {"INI_NUM(" + f + "\"Settings\", \"Frac\")", "0"},
        {"INI_NUM(" + f + "\"Settings\", \"Short\")", "0"},
        {"INI_NUM(" + f + "\"Settings\", \"Missing\")", "0"},
        {"INI_NUM(\"" + (dir / "none.ini").string() + "\", \"Settings\", \"Hex\")", "0"},
        {"INI_BOOL(" + f + "\"Settings\", \"One\")", "True"},
        {"INI_BOOL(" + f + "\"Settings\", \"Minus\")", "True"},
        {"INI_BOOL(" + f + "\"Settings\", \"Zero\")", "False"},
        {"INI_BOOL(" + f + "\"Settings\", \"Word\")", "False"},
        {"INI_BOOL(" + f + "\"Settings\", \"Missing\")", "False"},
        {"INI_STR(" + f + "\"SETTINGS\", \"name\")", "Upgrade Tool"},
        {"INI_STR(" + f + "\"Other\", \"Hex\")", "7"},
        {"INI_STR(\"" + (dir / "none.ini").string() + "\", \"Settings\", \"Name\")", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(Text(c.line), c.expected) << c.line;
    const std::string longValue(2000, 'v');
    Write("long.ini", "[S]\nK=" + longValue + "\n");
    EXPECT_EQ(Text("LEN(INI_STR(\"" + (dir / "long.ini").string() + "\", \"S\", \"K\"))"), "1023");
}

TEST_F(EnvironmentFunctions, RegistryFromExportFiles) {
    std::string v5 = "\xFF\xFE";
    for (char c : std::string("Windows Registry Editor Version 5.00\r\n\r\n"
                              "[HKEY_CURRENT_USER\\Software\\Vortab\\App]\r\n"
                              "\"Path\"=\"C:\\\\Data\"\r\n\"Level\"=dword:0000001f\r\n"
                              "\"Ratio\"=hex:00,00,00,00,00,00,04,40\r\n"
                              "\"Short\"=hex:01,02\r\n\"Flag\"=\"1\"\r\n"
                              "\"Home\"=hex(2):25,00,48,00,4f,00,4d,00,\\\r\n  45,00,25,00,00,00\r\n")) {
        v5 += c;
        v5 += '\0';
    }
    const std::string first = Write("user.reg", v5);
    const std::string second = Write("machine.reg",
                                     "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Vortab]\n\"Edition\"=\"Pro\"\n"
                                     "[HKEY_CURRENT_USER\\Software\\Vortab\\App]\n\"Path\"=\"shadowed\"\n");
    const std::string wine = Write("system.reg",
                                   "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n"
                                   "[Software\\\\Wine\\\\Vortab] 1700000000\n#time=1d9\n\"Dir\"=\"C:\\\\Apps\"\n"
                                   "\"Count\"=dword:00000002\n\"Env\"=str(2):\"%PATH%\"\n");
    ::setenv("VORTAB_REGISTRY", (first + ":" + second + ":" + wine).c_str(), 1);
    const Case cases[] = {
        {"REG_STR(HKEY_CURRENT_USER, \"Software\\Vortab\\App\", \"Path\")", "C:\\Data"},
        {"REG_STR(HKEY_CURRENT_USER, \"/Software/Vortab/App/\", \"path\")", "C:\\Data"},
        {"REG_STR(HKEY_CURRENT_USER, \"\\software\\vortab\\app\", \"Home\")", "%HOME%"},
        {"REG_STR(HKEY_CURRENT_USER, \"Software\\Vortab\\App\", \"Missing\")", ""},
        {"REG_STR(HKEY_CURRENT_USER, \"Software\\Nothing\", \"Path\")", ""},
        {"REG_STR(HKEY_LOCAL_MACHINE, \"Software\\Vortab\", \"Edition\")", "Pro"},
        {"REG_STR(HKEY_LOCAL_MACHINE, \"Software/Wine/Vortab\", \"Dir\")", "C:\\Apps"},
        {"REG_STR(HKEY_LOCAL_MACHINE, \"Software\\Wine\\Vortab\", \"Env\")", "%PATH%"},
        {"REG_NUM(HKEY_CURRENT_USER, \"Software\\Vortab\\App\", \"Ratio\")", "2.5"},
        {"REG_NUM(HKEY_CURRENT_USER, \"Software\\Vortab\\App\", \"Level\")", "0"},
        {"REG_NUM(HKEY_CURRENT_USER, \"Software\\Vortab\\App\", \"Short\")", "0"},
        {"REG_NUM(HKEY_CURRENT_USER, \"Software\\Vortab\\App\", \"Path\")", "0"},
        {"REG_BOOL(HKEY_CURRENT_USER, \"Software\\Vortab\\App\", \"Flag\")", "True"},
        {"REG_BOOL(HKEY_CURRENT_USER, \"Software\\Vortab\\App\", \"Missing\")", "False"},
    };
    for (const Case& c : cases) EXPECT_EQ(Text(c.line), c.expected) << c.line;
    for (const char* line : {"REG_BOOL(HKEY_CURRENT_USER, \"Software\\Vortab\\App\", \"Level\")",
                             "REG_STR(HKEY_LOCAL_MACHINE, \"Software\\Wine\\Vortab\", \"Count\")"})
        EXPECT_EQ(RunLine(line).status, 100) << line;
}

TEST_F(EnvironmentFunctions, WinePrefixIsTheRegistryWithoutTheVariable) {
    Write("user.reg", "WINE REGISTRY Version 2\n;; All keys relative to \\\\User\\\\S-1-5-21\n\n"
                      "[Software\\\\App] 1\n\"Mode\"=\"user\"\n");
    Write("system.reg", "WINE REGISTRY Version 2\n\n[Software\\\\App] 1\n\"Mode\"=\"machine\"\n");
    ::setenv("WINEPREFIX", dir.c_str(), 1);
    EXPECT_EQ(Text("REG_STR(HKEY_CURRENT_USER, \"Software\\App\", \"Mode\")"), "user");
    EXPECT_EQ(Text("REG_STR(HKEY_LOCAL_MACHINE, \"Software\\App\", \"Mode\")"), "machine");
    EXPECT_EQ(Text("REG_STR(HKEY_USERS, \"Software\\App\", \"Mode\")"), "");
}

TEST_F(EnvironmentFunctions, DirectoriesWithAndWithoutTheirSeparator) {
    ::setenv("TMPDIR", (dir.string() + "/").c_str(), 1);
    ::setenv("VORTAB_WINDIR", "/", 1);
    ::setenv("VORTAB_SYSDIR", "/opt/sys", 1);
    UseDatabase(dir.string() + "/", "PARADOX");
    char exe[4096] = {};
    ASSERT_GT(::readlink("/proc/self/exe", exe, sizeof exe - 1), 0);
    const std::string exeDir = fs::path(exe).parent_path().string();
    const Case cases[] = {
        {"DIR_TMP(TRUE)", dir.string() + "/"},
        {"DIR_TMP(FALSE)", dir.string()},
        {"DIR_WIN(TRUE)", "/"},
        {"DIR_WIN(FALSE)", "/"},
        {"DIR_SYS(TRUE)", "/opt/sys/"},
        {"DIR_SYS(FALSE)", "/opt/sys"},
        {"DIR_EXE(TRUE)", exeDir + "/"},
        {"DIR_EXE(FALSE)", exeDir},
        {"DIR_DLL(FALSE)", exeDir},  // linked into this program
        {"DIR_CURRDB(FALSE)", dir.string()},
        {"DIR_CURRDB(TRUE)", dir.string() + "/"},
        {"DIR_DB(FALSE, \"/srv/data/\")", "/srv/data"},
        {"DIR_DB(TRUE, \"/srv/data\")", "/srv/data/"},
        {"DIR_DB(TRUE, \"\")", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(Text(c.line), c.expected) << c.line;
    CloseDatabase();
    ::unsetenv("VORTAB_WINDIR");
    ::setenv("WINEPREFIX", dir.c_str(), 1);
    fs::create_directories(dir / "drive_c/windows/system32");
    EXPECT_EQ(Text("DIR_WIN(FALSE)"), (dir / "drive_c/windows").string());
    ::unsetenv("VORTAB_SYSDIR");
    EXPECT_EQ(Text("DIR_SYS(TRUE)"), (dir / "drive_c/windows/system32").string() + "/");
}

}  // namespace
}  // namespace vortab::test
