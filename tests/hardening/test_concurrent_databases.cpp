// Eight threads, each applying the sample script to a database of its own through the
// library's entry point at once: every line answers as in a run alone, and every database
// ends exactly as the run alone left its own.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <thread>

#include "database_fingerprint.h"
#include "editor/runner/script_lines.h"
#include "shared/vortab_api.h"
#include "test_support.h"

namespace {

std::vector<std::string> SampleSteps() {
    std::ifstream in(std::string(VORTAB_SOURCE_DIR) + "/examples/upgrade.txt", std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    std::vector<std::string> lines;
    for (const auto& step : vortab::ScriptSteps(vortab::SplitLines(text.str()))) lines.push_back(step.command);
    return lines;
}

std::string MakeSampleDatabase(const paradox_test::ScratchDir& root, const std::string& name) {
    const std::string dir = (root.path() / name).string();
    const auto made = cli_test::RunProgram(std::string(VORTAB_BUILD_DIR) + "/examples/make_sample_database", {dir});
    EXPECT_EQ(made.exitCode, 0) << made.err;
    return dir;
}

std::vector<int> Apply(const std::string& dir, const std::vector<std::string>& steps) {
    std::vector<int> codes;
    for (const auto& line : steps) {
        codes.push_back(vortabExecLine(dir.c_str(), "PARADOX", line.c_str()));
        if (codes.back() > 0) break;
    }
    return codes;
}

TEST(ConcurrentDatabases, EightThreadsEndAsOneAloneDoes) {
    const auto steps = SampleSteps();
    ASSERT_FALSE(steps.empty());
    paradox_test::ScratchDir root;
    const std::string alone = MakeSampleDatabase(root, "alone");
    const std::vector<int> aloneCodes = Apply(alone, steps);
    ASSERT_EQ(aloneCodes.size(), steps.size());
    const std::string expected = hardening_test::Fingerprint(alone);

    constexpr int kThreads = 8;
    std::vector<std::string> dirs;
    for (int i = 0; i < kThreads; ++i) dirs.push_back(MakeSampleDatabase(root, "db" + std::to_string(i)));
    std::vector<std::vector<int>> codes(kThreads);
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i) threads.emplace_back([&, i] { codes[i] = Apply(dirs[i], steps); });
    for (auto& t : threads) t.join();

    for (int i = 0; i < kThreads; ++i) {
        EXPECT_EQ(codes[i], aloneCodes) << "thread " << i;
        EXPECT_EQ(hardening_test::Fingerprint(dirs[i]), expected) << "database " << i;
    }
}

}  // namespace
