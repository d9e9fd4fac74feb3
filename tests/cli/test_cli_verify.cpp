// vortab verify and vortab repair as a user runs them: exit codes 0, 1 and 2, the JSON
// document's keys, a dry run that changes nothing, and a repair after which verify is clean.
#include <fstream>

#include <gtest/gtest.h>

#include "cli_process.h"
#include "cli_tables.h"
#include "json_check.h"

namespace cli_test {
namespace {

// A copy of the CUSTOMER fixture with its record count raised by two.
void DamagedCustomer(const std::string& dir) {
    CopyFamily("paradoxdriver/db", "CUSTOMER", dir);
    const fs::path db = fs::path(dir) / "CUSTOMER.DB";
    std::fstream f(db, std::ios::in | std::ios::out | std::ios::binary);
    unsigned char count = 0;
    f.seekg(6);
    f.read(reinterpret_cast<char*>(&count), 1);
    count = static_cast<unsigned char>(count + 2);
    f.seekp(6);
    f.write(reinterpret_cast<const char*>(&count), 1);
}

Json ParseJson(const std::string& text) {
    JsonParser p(text);
    std::optional<Json> doc = p.parse();
    EXPECT_TRUE(doc.has_value()) << text;
    return doc.value_or(Json{});
}

TEST(CliVerify, ExitCodesJsonDryRunAndRepair) {
    if (!fs::exists(FixturesDir())) GTEST_SKIP() << "fixtures folder absent: " << FixturesDir();
    ScratchDir db, backup;
    CopyFamily("paradoxdriver/db", "CUSTOMER", db.str());
    EXPECT_EQ(RunVortab({"verify", db.str()}).exitCode, 0);
    EXPECT_EQ(RunVortab({"verify"}).exitCode, 2);
    EXPECT_EQ(RunVortab({"verify", db.str(), "--bogus"}).exitCode, 2);

    DamagedCustomer(db.str());
    const RunResult found = RunVortab({"verify", db.str(), "CUSTOMER", "--json"});
    EXPECT_EQ(found.exitCode, 1);
    const Json doc = ParseJson(found.out);
    EXPECT_FALSE(doc["clean"].boolean);
    EXPECT_GE(doc["errors"].number, 1);
    const Json& first = doc["findings"][0];
    for (const char* key : {"table", "file", "severity", "code", "block", "record", "text"}) EXPECT_TRUE(first.has(key)) << key;
    EXPECT_EQ(first["file"].text, "CUSTOMER.DB");
    EXPECT_EQ(first["code"].number, 8962);

    const auto before = Slurp((fs::path(db.str()) / "CUSTOMER.DB").string());
    const RunResult plan = RunVortab({"repair", db.str(), "--dry-run"});
    EXPECT_EQ(plan.exitCode, 0) << plan.err;
    EXPECT_NE(plan.out.find("would repair"), std::string::npos) << plan.out;
    EXPECT_EQ(Slurp((fs::path(db.str()) / "CUSTOMER.DB").string()), before) << "a dry run changes nothing";

    const RunResult repaired = RunVortab({"repair", db.str(), "--backup", backup.str(), "--json"});
    EXPECT_EQ(repaired.exitCode, 0) << repaired.err;
    EXPECT_TRUE(ParseJson(repaired.out)["tables"][0]["repaired"].boolean) << repaired.out;
    EXPECT_EQ(Slurp((fs::path(backup.str()) / "CUSTOMER.DB").string()), before) << "the damaged file is backed up";
    EXPECT_EQ(RunVortab({"verify", db.str()}).exitCode, 0);
}

}  // namespace
}  // namespace cli_test
