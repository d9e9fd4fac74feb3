// RunScript against the built library in scratch directories: where a run starts and stops,
// what it leaves in the log, the lock between runs, passwords asked back, and libraries the
// binding must refuse.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "../commands/library_fixture.h"
#include "editor/runner/script_runner.h"
#include "editor/runner/upgrade_log.h"

namespace vortab {
namespace {

namespace fs = std::filesystem;

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void Write(const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

class ScriptRunnerTest : public ::testing::Test {
protected:
    void SetUp() override { dir = test::MakeScratchDir("runner"); }
    void TearDown() override { fs::remove_all(dir); }

    ScriptRun Run(std::vector<std::string> lines) const {
        ScriptRun run;
        run.libraryDirectory = std::string(VORTAB_BUILD_DIR) + "/library";
        run.database = dir.string();
        run.logPath = log().string();
        run.lines = std::move(lines);
        return run;
    }
    fs::path log() const { return dir / "vortab.log"; }
    // The steps the progress callback saw run.
    RunHooks Recording() {
        RunHooks hooks;
        hooks.progress = [this](ProgressRecord& r) {
            if (!r.Before) ran.push_back(r.LineNo);
            return true;
        };
        return hooks;
    }

    fs::path dir;
    LibraryBinding binding;
    std::vector<int> ran;
};

TEST_F(ScriptRunnerTest, RemarksAndBlanksTouchNothing) {
    ScriptRun run = Run({": a remark", "", "   ", "\t"});
    run.libraryDirectory = "/no/such/directory";  // binding would fail with 999
    EXPECT_EQ(RunScript(binding, run, {}), 0);
    EXPECT_FALSE(fs::exists(log()));
}

TEST_F(ScriptRunnerTest, MissingLibraryStopsBeforeTheLogExists) {
    ScriptRun run = Run({"ERROR(0)"});
    run.libraryDirectory = "/no/such/directory";
    EXPECT_EQ(RunScript(binding, run, {}), status::kLibraryNotLoaded);
    EXPECT_FALSE(fs::exists(log()));
}

TEST_F(ScriptRunnerTest, FailingLineStopsTheRunAndTheNextRunStartsThere) {
    EXPECT_EQ(RunScript(binding, Run({"ERROR(0)", ": step 2 follows", " ERROR(2000) ", "ERROR(0)"}), Recording()), 2000);
    EXPECT_EQ(ran, (std::vector<int>{1, 2}));
    const std::vector<std::string> logged = ReadLogLines(log().string());
    ASSERT_EQ(logged.size(), 4u);
    EXPECT_NE(logged[2].find(": ERROR(2000)"), std::string::npos) << logged[2];
    EXPECT_EQ(logged[3], "Error in executing command: Unknown error (2000)");
    EXPECT_NE(Slurp(log()).find("Success\r\n#2 - "), std::string::npos);
    EXPECT_FALSE(binding.loaded());

    ran.clear();
    EXPECT_EQ(RunScript(binding, Run({"ERROR(0)", "ERROR(-1)", "ERROR(0)"}), Recording()), 0);
    EXPECT_EQ(ran, (std::vector<int>{2, 3}));
    EXPECT_EQ(ReadAppliedStep(log().string()), 3);

    const std::string before = Slurp(log());
    ran.clear();
    EXPECT_EQ(RunScript(binding, Run({"ERROR(0)", "ERROR(-1)", "ERROR(0)"}), Recording()), 0);
    EXPECT_TRUE(ran.empty());
    EXPECT_EQ(Slurp(log()), before);
}

TEST_F(ScriptRunnerTest, CallbackStopsBeforeOrAfterALine) {
    RunHooks hooks;
    hooks.progress = [](ProgressRecord& r) { return !(r.Before && r.LineNo == 2); };
    EXPECT_EQ(RunScript(binding, Run({"ERROR(0)", "ERROR(0)"}), hooks), status::kStoppedByUser);
    EXPECT_EQ(ReadLogLines(log().string()).size(), 2u);  // no header for the line not run

    hooks.progress = [](ProgressRecord& r) { return r.Before; };
    EXPECT_EQ(RunScript(binding, Run({"ERROR(0)", "ERROR(0)", "ERROR(0)"}), hooks), status::kStoppedByUser);
    EXPECT_EQ(ReadAppliedStep(log().string()), 2);  // the line's entry is complete

    // Stopping does not turn a failure into 1001.
    EXPECT_EQ(RunScript(binding, Run({"ERROR(0)", "ERROR(0)", "ERROR(7)"}), hooks), 7);
}

TEST_F(ScriptRunnerTest, LockedLogAsksUntilReleasedOrRefused) {
    auto holder = LogFile::OpenGuarded(log().string(), LogFile::Mode::Append, {});
    ASSERT_TRUE(holder);
    RunHooks hooks;
    int asked = 0;
    hooks.retryLockedLog = [&] { return ++asked < 3; };
    EXPECT_EQ(RunScript(binding, Run({"ERROR(0)"}), hooks), status::kStoppedByUser);
    EXPECT_EQ(asked, 3);
    EXPECT_EQ(Slurp(log()), "");
    EXPECT_FALSE(binding.loaded());

    // The holder's run ends (it logged step 1) while the second one waits: the second starts
    // at step 2 instead of running step 1 again.
    holder->appendLine("#1 - d t: ERROR(0)");
    holder->appendLine("Success");
    hooks.retryLockedLog = [&] {
        holder.reset();
        return true;
    };
    hooks.progress = Recording().progress;
    EXPECT_EQ(RunScript(binding, Run({"ERROR(0)", "ERROR(0)"}), hooks), 0);
    EXPECT_EQ(ran, (std::vector<int>{2}));
}

TEST_F(ScriptRunnerTest, HigherVersionWarnsAndRunsNothing) {
    Write(log(), "#5 - d t: ERROR(0)\r\nSuccess\r\n");
    RunHooks hooks = Recording();
    std::string warning;
    hooks.warning = [&](const std::string& text) { warning = text; };
    EXPECT_EQ(RunScript(binding, Run({"ERROR(0)", "ERROR(0)"}), hooks), 0);
    EXPECT_EQ(warning, kHigherVersionWarning);
    EXPECT_TRUE(ran.empty());
}

TEST_F(ScriptRunnerTest, WithoutALogEveryLineRuns) {
    ScriptRun run = Run({"ERROR(0)", "ERROR(-1)"});
    run.logPath.clear();
    RunHooks hooks = Recording();
    EXPECT_EQ(RunScript(binding, run, hooks), -1);
    EXPECT_EQ(ran, (std::vector<int>{1, 2}));
    EXPECT_TRUE(fs::is_empty(dir));
}

TEST_F(ScriptRunnerTest, LineCutOffByAKillIsEndedBeforeTheNextHeader) {
    Write(log(), "#1 - d t: ERROR(0)\r\nSucc");
    EXPECT_EQ(RunScript(binding, Run({"ERROR(0)"}), {}), 0);
    EXPECT_NE(Slurp(log()).find("Succ\r\n#1 - "), std::string::npos) << Slurp(log());
    EXPECT_EQ(ReadAppliedStep(log().string()), 1);
}

TEST_F(ScriptRunnerTest, PasswordsAreAskedBackAndMaskedInTheLog) {
    test::CreateTable(dir, "SECRET", {{"Id", paradox::FLDINT32, 0, 0}}, 0, "master");
    const std::string line = R"(FLD_ADD("SECRET", "Notes", FLDZSTRING, FLDSTDEFAULT, 20, 0))";

    EXPECT_EQ(RunScript(binding, Run({line}), {}), 10498);  // no prompt, no known password

    RunHooks hooks;
    std::string askedFor;
    hooks.passwordPrompt = [&](const std::string& table) -> std::optional<std::string> {
        askedFor = table;
        return "master";
    };
    // The second line fails (it never sets the password), but its header is logged first.
    const std::string secret = R"(IF(FALSE, TBL_SETATTR("SECRET", PASSWORD, "newer"), ERROR(3000)))";
    EXPECT_GT(RunScript(binding, Run({line, secret}), hooks), 0);
    EXPECT_EQ(ReadAppliedStep(log().string()), 1);
    EXPECT_NE(askedFor.find("SECRET"), std::string::npos) << askedFor;
    const std::string logged = Slurp(log());
    EXPECT_EQ(logged.find("newer"), std::string::npos) << logged;
    EXPECT_NE(logged.find(R"(PASSWORD, "***"))"), std::string::npos) << logged;
}

TEST(LibraryBindingRefusal, PartialOrOldLibraries) {
    LibraryBinding binding;
    EXPECT_EQ(binding.BindLibrary(std::string(FAKE_LIBRARIES_DIR) + "/fake-partial"), 999);
    EXPECT_FALSE(binding.loaded());
    try {
        binding.OpenLibraryInfo(std::string(FAKE_LIBRARIES_DIR) + "/fake-old");
        ADD_FAILURE() << "an interface version 5 library was accepted";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), kLibraryTooOldText);
    }
    EXPECT_FALSE(binding.RequireLibrary());
    EXPECT_EQ(LibraryPath(""), kLibraryFileName);
    EXPECT_EQ(LibraryPath("/opt/lib/"), std::string("/opt/lib/") + kLibraryFileName);
}

}  // namespace
}  // namespace vortab
