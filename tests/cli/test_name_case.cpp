// Names written with the Windows-1252 letters whose capitals sit in 0x80..0x9F (š œ ž ÿ) are one
// name in either case for every part of the system: the engine opens the table, the language
// finds it, and the tool reports it, whichever case the table was created in.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace vortab::test
