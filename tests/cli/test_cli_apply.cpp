// The upgrade commands through the built tool, as a pipeline would run them: apply, status,
// dry runs, runs that fail, wait for each other or are killed, exec, baseline and check.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <fstream>
#include <map>
#include <thread>

#include "cli_process.h"
#include "cli_tables.h"
#include "editor/runner/upgrade_log.h"
#include "json_check.h"
#include "paradox/table/table.h"

namespace {

namespace fs = std::filesystem;
using cli_test::RunVortab;

const std::string kScript = std::string(VORTAB_SOURCE_DIR) + "/examples/upgrade.txt";

void Write(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

cli_test::Json ParseJson(const std::string& text) {
    cli_test::JsonParser parser(text);
    std::optional<cli_test::Json> json = parser.parse();
    if (!json) throw std::runtime_error(parser.error() + " in " + text);
    return *json;
}

std::vector<int> StepsRun(const cli_test::Json& apply) {
    std::vector<int> steps;
    for (const cli_test::Json& s : apply["steps"].items) steps.push_back(static_cast<int>(s["step"].number));
    return steps;
}

// Every file of a directory with its bytes.
std::map<std::string, std::string> Snapshot(const std::string& dir) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::directory_iterator(dir)) files[e.path().filename().string()] = cli_test::Slurp(e.path());
    return files;
}

// The sample database, with ORDERS as large as asked.
std::string SampleDatabase(const cli_test::ScratchDir& dir, int orders = 3) {
    const std::string db = dir.str() + "/db";
    const auto made = cli_test::RunProgram(std::string(VORTAB_BUILD_DIR) + "/examples/make_sample_database",
                                           {db, "--orders", std::to_string(orders)});
    EXPECT_EQ(made.exitCode, 0) << made.err;
    return db;
}

// Starts the tool without waiting for it; its output goes to files in `dir`.
pid_t Spawn(const std::vector<std::string>& args, const std::string& outputPrefix) {
    std::vector<std::string> argv{cli_test::VortabPath()};
    argv.insert(argv.end(), args.begin(), args.end());
    const pid_t pid = fork();
    if (pid == 0) {
        const int out = open((outputPrefix + ".out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open((outputPrefix + ".err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int none = open("/dev/null", O_RDONLY);
        dup2(none, 0);
        dup2(out, 1);
        dup2(err, 2);
        std::vector<char*> cargs;
        for (std::string& a : argv) cargs.push_back(a.data());
        cargs.push_back(nullptr);
        execv(cargs[0], cargs.data());
        _exit(127);
    }
    return pid;
}

int ExitCodeOf(pid_t pid) {
    int status = 0;
    if (waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

TEST(CliApply, AppliesOnceSkipsAfterwardsRunsAnAppendedStepAloneAndSeesEdits) {
    cli_test::ScratchDir dir;
    const std::string db = SampleDatabase(dir);
    const std::string script = dir.str() + "/upgrade.txt";
    std::string text = cli_test::Slurp(kScript);
    Write(script, text);

    const auto first = RunVortab({"apply", script, db});
    ASSERT_EQ(first.exitCode, 0) << first.out << first.err;
    const std::string log = db + "/vortab.log";
    const std::vector<vortab::LogEntry> entries = vortab::ParseLogEntries(vortab::ReadLogLines(log));
    ASSERT_EQ(entries.size(), 20u);
    for (const auto& e : entries) EXPECT_EQ(e.result, "Success") << e.step;
    const std::string logged = cli_test::Slurp(log);
    EXPECT_EQ(std::count(logged.begin(), logged.end(), '\n'), 40);
    EXPECT_EQ(std::count(logged.begin(), logged.end(), '\r'), 40);

    const auto again = RunVortab({"apply", script, db, "--json"});
    EXPECT_EQ(again.exitCode, 0) << again.err;
    EXPECT_TRUE(StepsRun(ParseJson(again.out)).empty());
    EXPECT_EQ(cli_test::Slurp(log), logged);

    Write(script, text + "IF(EXISTS_FIELD(\"ORDERS\", \"Notes\"), ERROR(-1), ERROR(2005))\r\n");
    const auto appended = RunVortab({"apply", script, db, "--json"});
    EXPECT_EQ(appended.exitCode, 0) << appended.err;
    const cli_test::Json run = ParseJson(appended.out);
    EXPECT_EQ(StepsRun(run), (std::vector<int>{21}));
    EXPECT_EQ(run["steps"][0]["message"].text, "Success - Database already updated");
    EXPECT_EQ(run["total"].number, 21);

    const std::string edited = "IF((PRI OR UNQ) = 3, ERROR(0), ERROR(2099))";
    text.replace(text.find("IF((PRI OR UNQ) = 3, ERROR(0), ERROR(2001))"), edited.size(), edited);
    Write(script, text);
    const auto status = RunVortab({"status", script, db, "--json"});
    ASSERT_EQ(status.exitCode, 0) << status.err;
    const cli_test::Json s = ParseJson(status.out);
    EXPECT_EQ(s["total"].number, 20);
    EXPECT_EQ(s["applied"].number, 21);
    EXPECT_TRUE(s["newer"].boolean);
    ASSERT_EQ(s["edited"].size(), 1u);
    EXPECT_EQ(s["edited"][0]["step"].number, 2);
    EXPECT_EQ(s["edited"][0]["script"].text, edited);
    EXPECT_TRUE(s["interrupted"].isNull());
}

TEST(CliApply, FailingStepStopsWithExitOneAndTheNextRunStartsThere) {
    cli_test::ScratchDir dir;
    const std::string script = dir.str() + "/s.txt";
    Write(script, "ERROR(0)\nERROR(2000)\nERROR(0)\n");
    const auto failed = RunVortab({"apply", script, dir.str()});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_NE(failed.err.find("2000 Error in executing command: Unknown error (2000)"), std::string::npos) << failed.err;
    const auto entries = vortab::ParseLogEntries(vortab::ReadLogLines(dir.str() + "/vortab.log"));
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1].command, "ERROR(2000)");

    Write(script, "ERROR(0)\nERROR(-1)\nERROR(0)\n");
    const auto next = RunVortab({"apply", script, dir.str(), "--json"});
    EXPECT_EQ(next.exitCode, 0) << next.err;
    EXPECT_EQ(StepsRun(ParseJson(next.out)), (std::vector<int>{2, 3}));
}

// A key that duplicates set records aside: the step still answers 9733 with the engine's text,
// and the tool says how many records went where.
TEST(CliApply, SetAsideRecordsAreCountedAndTheirTableNamed) {
    cli_test::ScratchDir dir;
    cli_test::CreateTable(dir.str(), "CODES", {{"Code", paradox::FLDINT32}});
    cli_test::InsertRows(dir.str(), "CODES", {{paradox::Value::integer(1)}, {paradox::Value::integer(1)},
                                              {paradox::Value::integer(2)}, {paradox::Value::integer(2)}});
    const std::string script = dir.str() + "/s.txt";
    Write(script, "IX_ADD(\"CODES\", \"\", \"Code\", \"\", PRI)\n");
    const auto run = RunVortab({"apply", script, dir.str()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("9733 Error in executing command: Master record missing"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("2 records were set aside in KEYVIOL.DB"), std::string::npos) << run.err;
    const auto entries = vortab::ParseLogEntries(vortab::ReadLogLines(dir.str() + "/vortab.log"));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].result, "Error in executing command: Master record missing");
}

TEST(CliApply, ThreeWaitingRunsApplyEveryStepOnce) {
    cli_test::ScratchDir dir;
    const std::string db = SampleDatabase(dir, 200000);
    std::vector<pid_t> runs;
    for (int i = 0; i < 3; ++i)
        runs.push_back(Spawn({"apply", kScript, db, "--wait", "120"}, dir.str() + "/run" + std::to_string(i)));
    for (std::size_t i = 0; i < runs.size(); ++i)
        EXPECT_EQ(ExitCodeOf(runs[i]), 0) << cli_test::Slurp(dir.str() + "/run" + std::to_string(i) + ".err");
    std::map<int, int> headers;
    for (const auto& e : vortab::ParseLogEntries(vortab::ReadLogLines(db + "/vortab.log"))) ++headers[e.step];
    EXPECT_EQ(headers.size(), 20u);
    for (const auto& [step, count] : headers) EXPECT_EQ(count, 1) << "step " << step;
}

TEST(CliApply, KilledRunLeavesAHeaderThatStatusNamesAndTheNextRunRepeats) {
    cli_test::ScratchDir dir;
    constexpr int kOrders = 1000000;
    const std::string db = SampleDatabase(dir, kOrders);
    const std::string log = db + "/vortab.log";
    const pid_t run = Spawn({"apply", kScript, db}, dir.str() + "/killed");
    // Steps 5, 7 and 8 restructure ORDERS: kill the run while one of them is under way.
    int killedAt = 0;
    for (auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
         !killedAt && std::chrono::steady_clock::now() < deadline;) {
        const auto entries = vortab::ParseLogEntries(vortab::ReadLogLines(log));
        if (!entries.empty() && !entries.back().result && entries.back().step >= 5 && entries.back().step != 6) {
            kill(run, SIGKILL);
            killedAt = entries.back().step;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    EXPECT_EQ(ExitCodeOf(run), -SIGKILL);
    ASSERT_NE(killedAt, 0) << "the run ended before it could be killed";

    const auto status = RunVortab({"status", kScript, db, "--json"});
    ASSERT_EQ(status.exitCode, 0) << status.err;
    EXPECT_EQ(ParseJson(status.out)["interrupted"].number, killedAt) << status.out;

    const auto next = RunVortab({"apply", kScript, db, "--json"});
    ASSERT_EQ(next.exitCode, 0) << next.out << next.err;
    EXPECT_EQ(StepsRun(ParseJson(next.out)).front(), killedAt);
    const paradox::Table orders = paradox::Table::open(db, "ORDERS");
    EXPECT_EQ(orders.properties().recordCount, static_cast<uint32_t>(kOrders));
    EXPECT_EQ(orders.fieldDescriptors().size(), 5u);
}

TEST(CliApply, DryRunKeepsEveryByteAndReportsWhatTheRunWillGive) {
    cli_test::ScratchDir dir;
    const std::string db = SampleDatabase(dir);
    const std::string script = dir.str() + "/s.txt";
    Write(script, cli_test::Slurp(kScript) + "FLD_DROP(\"ORDERS\", \"NoSuchField\")\n");
    ASSERT_EQ(RunVortab({"apply", kScript, db}).exitCode, 0);  // steps 1 to 20 are applied
    const auto before = Snapshot(db);

    const auto dry = RunVortab({"apply", script, db, "--dry-run", "--json"});
    EXPECT_EQ(Snapshot(db), before);
    const auto real = RunVortab({"apply", script, db, "--json"});
    EXPECT_EQ(dry.exitCode, real.exitCode) << dry.err << real.err;
    const cli_test::Json d = ParseJson(dry.out), r = ParseJson(real.out);
    ASSERT_EQ(StepsRun(d), (std::vector<int>{21}));
    EXPECT_EQ(StepsRun(r), StepsRun(d));
    EXPECT_EQ(d["steps"][0]["status"].number, r["steps"][0]["status"].number);
    EXPECT_EQ(d["database"].text, db);
}

TEST(CliCommands, ExecBaselineCheckAndExitCodes) {
    cli_test::ScratchDir dir;
    const std::string db = SampleDatabase(dir);

    const auto done = RunVortab({"exec", db, "ERROR(-1)"});
    EXPECT_EQ(done.exitCode, 0);
    EXPECT_EQ(done.out, "-1 Success - Database already updated\n");
    EXPECT_EQ(RunVortab({"exec", db, "ERROR(2000)"}).exitCode, 1);
    const auto missing = RunVortab({"exec", db, "ERROR(0)", "--library", "/no/such/dir"});
    EXPECT_EQ(missing.exitCode, 4);
    EXPECT_EQ(missing.out, "999 Error in executing command: VORTAB.DLL not loaded\n");
    EXPECT_EQ(RunVortab({"apply", kScript, db, "--library-dir", "/no/such/dir"}).exitCode, 4);
    EXPECT_EQ(RunVortab({"apply", kScript}).exitCode, 2);
    EXPECT_EQ(RunVortab({"apply", kScript, db, "--log", "x", "--no-log"}).exitCode, 2);

    const auto baseline = RunVortab({"baseline", kScript, db, "--to", "4"});
    EXPECT_EQ(baseline.exitCode, 0) << baseline.err;
    EXPECT_EQ(RunVortab({"baseline", kScript, db, "--to", "4"}).exitCode, 1);  // the log has entries
    const auto rest = RunVortab({"apply", kScript, db, "--json"});
    EXPECT_EQ(StepsRun(ParseJson(rest.out)), (std::vector<int>{5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20}));
    const auto entries = vortab::ParseLogEntries(vortab::ReadLogLines(db + "/vortab.log"));
    EXPECT_EQ(entries[3].result, "Success - Database already updated");

    const std::string script = dir.str() + "/bad.txt";
    Write(script, ": remark\nERROR(0)\n\nERROR(1\n");
    const auto check = RunVortab({"check", script, "--json"});
    EXPECT_EQ(check.exitCode, 1);
    const cli_test::Json c = ParseJson(check.out);
    EXPECT_EQ(c["lines"].number, 2);
    ASSERT_EQ(c["errors"].size(), 1u);
    EXPECT_EQ(c["errors"][0]["line"].number, 4);
    EXPECT_EQ(c["errors"][0]["text"].text, "ERROR(1");
    EXPECT_EQ(c["errors"][0]["status"].number, 6);
}

}  // namespace
