// The log's reading rules, on which every run's starting step depends, and the status read
// from a log against a script.
#include <gtest/gtest.h>

#include "editor/runner/upgrade_log.h"
#include "editor/runner/upgrade_status.h"

namespace vortab {
namespace {

struct AppliedCase {
    const char* name;
    std::vector<std::string> log;
    int applied;
};

TEST(UpgradeLog, AppliedStepRules) {
    const AppliedCase cases[] = {
        {"empty", {}, 0},
        {"one pair", {"#1 - d t: A", "Success"}, 1},
        {"already updated counts", {"#12 - d t: A", "Success - Database already updated"}, 12},
        {"failure does not count", {"#1 - d t: A", "Success", "#2 - d t: B", "Error in executing command: X"}, 1},
        {"interrupted pair", {"#1 - d t: A", "Success", "#5 - d t: B"}, 1},
        {"header after header", {"#3 - d t: A", "#4 - d t: B", "Success"}, 0},
        {"highest, not last", {"#7 - d t: A", "Success", "#2 - d t: B", "Success"}, 7},
        {"no space after the number", {"#9", "Success"}, 0},
        {"number not an integer", {"#9x - d t: A", "Success"}, 0},
        {"empty number", {"# - d t: A", "Success"}, 0},
        {"too large a number", {"#99999999999 - d t: A", "Success"}, 0},
        {"step 0 pairs with nothing", {"#0 - d t: A", "#2 - d t: B", "Success"}, 2},
        {"negative step consumes its line", {"#-3 - d t: A", "#2 - d t: B", "Success"}, 0},
        {"result must begin with Success", {"#4 - d t: A", " Success"}, 0},
        {"blank line after a header is its result", {"#4 - d t: A", "", "Success"}, 0},
    };
    for (const AppliedCase& c : cases) EXPECT_EQ(AppliedStepOf(c.log), c.applied) << c.name;
}

TEST(UpgradeLog, HeaderRoundTrip) {
    const std::string header = FormatHeader(52, "TBL_SETATTR(\"ORDERS\",BLOCK_SIZE,2048)", 0);
    ASSERT_EQ(header.rfind("#52 - ", 0), 0u) << header;
    const std::vector<LogEntry> entries = ParseLogEntries({header, "Success"});
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].step, 52);
    EXPECT_EQ(entries[0].command, "TBL_SETATTR(\"ORDERS\",BLOCK_SIZE,2048)");
    EXPECT_EQ(entries[0].result, "Success");
}

TEST(UpgradeStatus, PendingEditedInterruptedNewer) {
    const std::vector<std::string> script = {": remark", "ERROR(0)", "", "ERROR(-1)", "  ERROR(5)  ",
                                             "TBL_SETATTR(\"T\", PASSWORD, \"new\")"};
    const std::vector<std::string> log = {
        "#1 - d t: ERROR(0)", "Success",
        "#2 - d t: ERROR(1)", "Success",              // edited since
        "#2 - d t: ERROR(-1)", "Success",             // the last header of a step counts
        "#4 - d t: TBL_SETATTR(\"T\", PASSWORD, \"***\")", "Success",  // masked on both sides
        "#3 - d t: ERROR(5)"};                         // cut off
    const UpgradeStatus s = ReadUpgradeStatus(script, log);
    EXPECT_EQ(s.total, 4);
    EXPECT_EQ(s.applied, 4);
    EXPECT_TRUE(s.pending.empty());
    EXPECT_TRUE(s.edited.empty());
    EXPECT_EQ(s.interrupted, 3);
    EXPECT_FALSE(s.newer);

    const UpgradeStatus edited = ReadUpgradeStatus(script, {"#1 - d t: ERROR(7)", "Success"});
    ASSERT_EQ(edited.edited.size(), 1u);
    EXPECT_EQ(edited.edited[0].logged, "ERROR(7)");
    EXPECT_EQ(edited.edited[0].script, "ERROR(0)");
    EXPECT_EQ(edited.pending, (std::vector<int>{2, 3, 4}));
    EXPECT_FALSE(edited.interrupted);

    EXPECT_TRUE(ReadUpgradeStatus(script, {"#9 - d t: X", "Success"}).newer);
}

}  // namespace
}  // namespace vortab
