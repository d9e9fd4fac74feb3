// A script run through the runner, with its upgrade log, recorded while it changes a master
// with a dependent (the dependent's link suspended under its journal, the master restructured,
// the link added back) and adds an index. In every disk state a power cut could leave behind,
// the tables open, and the next run of the script, which starts after the step the log shows
// as applied and first restores any suspended link, ends at the tables of an undisturbed run:
// a log that claimed a step the tables lack would make that run skip it.
#include <gtest/gtest.h>

#include "editor/runner/script_runner.h"
#include "editor/runner/upgrade_log.h"
#include "ops_test_support.h"
#include "state_checker.h"

namespace {

const std::vector<std::string> kScript = {
    R"(TBL_CREATE("MASTER", "ascii", 7, "Id", FLDINT32, FLDSTDEFAULT, 0, 0))",
    R"(IX_ADD("MASTER", "", "Id", "", PRI))",
    R"(TBL_CREATE("DETAIL", "ascii", 7, "No", FLDINT32, FLDSTDEFAULT, 0, 0))",
    R"(FLD_ADD("DETAIL", "MasterId", FLDINT32, FLDSTDEFAULT, 0, 0))",
    R"(IX_ADD("DETAIL", "", "No", "", PRI))",
    R"(IX_ADD("DETAIL", "MasterId", "MasterId", "", IXOPTDEFAULT))",
    R"(RI_ADD("DETAIL", "MasterId", "MASTER", "Id", "ToMaster", RESTRICT))",
    R"(FLD_ADD("MASTER", "Name", FLDZSTRING, FLDSTDEFAULT, 10, 0))",
    R"(IX_ADD("MASTER", "ByName", "Name", "", CIS))",
};
constexpr std::size_t kAppliedBefore = 7;

vortab::StatusCode RunSteps(const std::string& dir, std::size_t count, const std::string& logDir = {}) {
    vortab::ScriptRun run;
    run.libraryDirectory = std::string(VORTAB_BUILD_DIR) + "/library";
    run.database = dir;
    run.logPath = (logDir.empty() ? dir : logDir) + "/vortab.log";
    run.lines.assign(kScript.begin(), kScript.begin() + static_cast<std::ptrdiff_t>(count));
    vortab::LibraryBinding binding;
    return vortab::RunScript(binding, run, {});
}

TEST(PowerCutLog, TheLogNeverClaimsAStepTheTablesLack) {
    power_cut::Operation op(
        "script with its upgrade log",
        [](const std::string& d) {
            ASSERT_EQ(RunSteps(d, kAppliedBefore), 0);
            paradox_test::Insert(d, "MASTER", {{paradox::Value::integer(1)}, {paradox::Value::integer(2)}});
            paradox_test::Insert(d, "DETAIL", {{paradox::Value::integer(10), paradox::Value::integer(2)}});
        },
        [](const std::string& d) {
            if (const auto status = RunSteps(d, kScript.size()); status > 0)
                throw std::runtime_error("the run failed with " + std::to_string(status));
        });
    op.nextRunCompletes = true;
    op.alsoCheck = [](const std::string& d, const std::string& where) {
        const int applied = vortab::ReadAppliedStep(d + "/vortab.log");
        EXPECT_GE(applied, int(kAppliedBefore)) << where << ": the log lost steps it had before the run";
    };
    const power_cut::CutCounts counts = power_cut::CheckPowerCuts(op);
    EXPECT_GT(counts.completed, 0u);
}

// A log kept apart from the database: once the run returns, the log it created is on disk with
// every line, whatever the directory syncs of the tables' changes did for it.
TEST(PowerCutLog, ALogTheRunCreatesIsDurableWhenItReturns) {
    paradox_test::ScratchDir database, logs;
    power_cut::Recording recording;
    {
        power_cut::DiskRecorder recorder(logs.str());
        ASSERT_EQ(RunSteps(database.str(), 2, logs.str()), 0);
        recording = recorder.take();
    }
    const power_cut::DiskState durable = power_cut::CrashStates(recording).durableAtEnd();
    ASSERT_EQ(durable.count("vortab.log"), 1u) << "the log's name is not durable";
    const auto bytes = paradox_test::ReadBytes(logs.path() / "vortab.log");
    EXPECT_EQ(durable.at("vortab.log"), std::string(bytes.begin(), bytes.end()));
}

}  // namespace
