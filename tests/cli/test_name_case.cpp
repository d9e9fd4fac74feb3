// Names written with the Windows-1252 letters whose capitals sit in 0x80..0x9F (š œ ž ÿ) are one
// name in either case for every part of the system: the engine opens the table, the language
// finds it, and the tool reports it, whichever case the table was created in. A table whose files
// carry its name in UTF-8 (as Samba, archives and git keep them) is the same table to a script
// naming it in Windows-1252, and the tool's scripts name it in Windows-1252.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "cli_process.h"
#include "paradox/storage/table_list.h"
#include "shared/text/cp1252.h"
#include "tests/commands/library_fixture.h"

namespace vortab::test {
namespace {

class NameCase : public LibraryTest {};

TEST_F(NameCase, TableNamedWithLettersCapitalisedBelowA0IsFoundInTheOtherCase) {
    const struct {
        const char* lower;  // Windows-1252 bytes
        const char* upper;
    } names[] = {
        {"\x9A" "ablon", "\x8A" "ABLON"},  // šablon
        {"c\x9C" "ur", "C\x8C" "UR"},      // cœur
        {"\x9E" "ena", "\x8E" "ENA"},      // žena
        {"\xFF" "ork", "\x9F" "ORK"},      // ÿork
    };
    for (const auto& name : names) {
        for (const bool createdLower : {true, false}) {
            const std::string created = createdLower ? name.lower : name.upper;
            const std::string asked = createdLower ? name.upper : name.lower;
            SCOPED_TRACE(Cp1252ToUtf8(created) + " asked as " + Cp1252ToUtf8(asked));
            CreateTable(dir, created, {{"Id", paradox::FLDINT32, 0, 0}});

            EXPECT_NO_THROW(paradox::Table::open(dir.string(), asked));
            EXPECT_EQ(Exec("IF(EXISTS_TABLE(\"" + asked + "\"), ERROR(0), ERROR(1))"), 0);
            const cli_test::RunResult info = cli_test::RunVortab({"info", dir.string(), Cp1252ToUtf8(asked)});
            EXPECT_EQ(info.exitCode, 0) << info.err;
            EXPECT_NE(info.out.find(Cp1252ToUtf8(created)), std::string::npos) << info.out;

            for (const std::string& file : paradox::FamilyFileNames(dir.string(), created)) fs::remove(dir / file);
        }
    }
}

std::string FileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST_F(NameCase, TableWhoseFilesAreNamedInUtf8IsFoundByItsWindows1252Name) {
    const fs::path fixture = fs::path(VORTAB_FIXTURES_DIR) / "pxlib";
    if (!fs::exists(fixture)) GTEST_SKIP() << "no fixtures";
    for (const auto& entry : fs::directory_iterator(fixture))  // Bücher.DB, .PX, .MB, .VAL, .X02...
        fs::copy_file(entry.path(), dir / ("B\xC3\xBC" "cher" + entry.path().extension().string()));
    fs::copy_file(fs::path(VORTAB_FIXTURES_DIR) / "rparadox" / "country.db", dir / "\xD0\x9A\xD0\xBD\xD0\xB8\xD0\xB3\xD0\xB8.db");

    for (const std::string& asked : {std::string("B\xFC" "cher"), std::string("b\xDC" "CHER")}) {
        SCOPED_TRACE(Cp1252ToUtf8(asked));
        EXPECT_EQ(paradox::Table::open(dir.string(), asked).properties().name, "B\xFC" "cher.DB");
        EXPECT_EQ(Exec("IF(EXISTS_TABLE(\"" + asked + "\"), ERROR(0), ERROR(1))"), 0);
        const cli_test::RunResult info = cli_test::RunVortab({"info", dir.string(), Cp1252ToUtf8(asked)});
        EXPECT_EQ(info.exitCode, 0) << info.err;
        EXPECT_NE(info.out.find("table B\xC3\xBC" "cher"), std::string::npos) << info.out;
    }
    EXPECT_EQ(Exec("FLD_ADD(\"B\xDC" "CHER\",\"Neu\",FLDINT16,FLDSTDEFAULT,0,0)"), 0);
    EXPECT_EQ(paradox::Table::open(dir.string(), "B\xFC" "cher").properties().fieldCount, 15u);  // 14 and the new one

    // The script names the table in Windows-1252; a name the page cannot hold is a remark.
    const fs::path script = dir / "dump.sc";
    const cli_test::RunResult dump =
        cli_test::RunVortab({"dump", dir.string(), "-o", script.string(), "--library", std::string(VORTAB_BUILD_DIR) + "/library"});
    ASSERT_EQ(dump.exitCode, 0) << dump.err;
    const std::string text = FileBytes(script);
    EXPECT_NE(text.find("TBL_CREATE(\"B\xFC" "cher\""), std::string::npos) << text;
    EXPECT_EQ(text.find("B\xC3\xBC" "cher"), std::string::npos);
    EXPECT_NE(text.find(": Table \xD0\x9A\xD0\xBD\xD0\xB8\xD0\xB3\xD0\xB8 is not written"), std::string::npos) << text;
    EXPECT_EQ(text.find("(\"\xD0\x9A"), std::string::npos) << "a step names the table 1252 cannot hold";
    EXPECT_EQ(text.find("(\"?"), std::string::npos);
}

}  // namespace
}  // namespace vortab::test
