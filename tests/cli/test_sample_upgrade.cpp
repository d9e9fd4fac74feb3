// The demo's main job: the sample database is created, the sample upgrade script applies to it
// through the library, and applying it again finds every changing step already done.
#include <gtest/gtest.h>

#include "cli_process.h"
#include "paradox/table/table.h"
#include "test_support.h"

namespace {

std::string Example(const std::string& program) { return std::string(VORTAB_BUILD_DIR) + "/examples/" + program; }

TEST(SampleUpgrade, AppliesOnceAndThenFindsItDone) {
    paradox_test::ScratchDir dir;
    const std::string db = (dir.path() / "sample").string();
    const std::string script = std::string(VORTAB_SOURCE_DIR) + "/examples/upgrade.txt";
    ASSERT_EQ(cli_test::RunProgram(Example("make_sample_database"), {db}).exitCode, 0);
    EXPECT_EQ(cli_test::RunProgram(Example("make_sample_database"), {db}).exitCode, 1);  // never over tables

    const auto first = cli_test::RunProgram(Example("apply_steps"), {db, script});
    EXPECT_EQ(first.exitCode, 0) << first.out << first.err;
    EXPECT_NE(first.out.find("20 steps: 20 done, 0 already done before"), std::string::npos) << first.out;
    const auto again = cli_test::RunProgram(Example("apply_steps"), {db, script});
    EXPECT_EQ(again.exitCode, 0) << again.out << again.err;
    EXPECT_NE(again.out.find("20 steps: 5 done, 15 already done before"), std::string::npos) << again.out;

    const paradox::Table orders = paradox::Table::open(db, "ORDERS");
    std::vector<std::string> names;
    for (const auto& f : orders.fieldDescriptors()) names.push_back(f.name);
    EXPECT_EQ(names, (std::vector<std::string>{"OrderNo", "Placed", "CustId", "Amount", "Notes"}));
    EXPECT_EQ(orders.readAll().size(), 3u);
    // The article table, renamed when complete, protected as the site's settings ask.
    EXPECT_TRUE(paradox::Table::open(db, "PRODUCT", {{"Art-Master-7"}, {}}).properties().isProtected);
    EXPECT_EQ(paradox::Table::open(db, "PRODUCT", {{"Art-Master-7"}, {}}).properties().auxPasswords, 1);
}

}  // namespace
