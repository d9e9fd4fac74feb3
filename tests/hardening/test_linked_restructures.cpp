// Two processes restructuring a master and its dependent at once, over and over: each change
// either goes through or is refused with a lock code (and is tried again), neither process
// waits forever, and both tables end with their records, fields and link as they began.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "database_fingerprint.h"
#include "shared/vortab_api.h"
#include "test_support.h"

namespace {

constexpr const char* kLink = "RI_ADD(\"ORDERS\", \"CustId\", \"CUSTOMER\", \"Id\", \"OrderCustomer\", RESTRICT)";

bool IsLockCode(int code) { return (code >= 10241 && code <= 10249) || code == 11059; }

// Runs line, trying again while it is refused for a lock; exits the child on any other failure.
void Change(const std::string& dir, const std::string& line, int& lockRetries) {
    for (int attempt = 0; attempt < 2000; ++attempt) {
        const int code = vortabExecLine(dir.c_str(), "PARADOX", line.c_str());
        if (code == 0) return;
        if (!IsLockCode(code)) {
            std::fprintf(stderr, "%s: status %d\n", line.c_str(), code);
            _exit(10);
        }
        ++lockRetries;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    _exit(11);
}

pid_t StartChanging(const std::string& dir, const std::string& table, int rounds) {
    const pid_t pid = fork();
    if (pid != 0) return pid;
    int lockRetries = 0;
    for (int i = 0; i < rounds; ++i) {
        Change(dir, "FLD_ADD(\"" + table + "\", \"Extra\", FLDZSTRING, FLDSTDEFAULT, 10, 0)", lockRetries);
        Change(dir, "FLD_DROP(\"" + table + "\", \"Extra\")", lockRetries);
    }
    _exit(0);
}

// Waits for pid up to the deadline; kills it when it does not end by then.
bool EndsInTime(pid_t pid, std::chrono::steady_clock::time_point deadline, int& status) {
    while (std::chrono::steady_clock::now() < deadline) {
        if (waitpid(pid, &status, WNOHANG) == pid) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return false;
}

TEST(LinkedRestructures, MasterAndDependentChangeAtOnceWithoutLossOrDeadlock) {
    paradox_test::ScratchDir root;
    const std::string dir = (root.path() / "db").string();
    ASSERT_EQ(cli_test::RunProgram(std::string(VORTAB_BUILD_DIR) + "/examples/make_sample_database", {dir}).exitCode, 0);
    ASSERT_EQ(vortabExecLine(dir.c_str(), "PARADOX", kLink), 0);
    const std::string before = hardening_test::Fingerprint(dir);

    const pid_t master = StartChanging(dir, "CUSTOMER", 15);
    const pid_t dependent = StartChanging(dir, "ORDERS", 15);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(3);
    int masterStatus = 0, dependentStatus = 0;
    EXPECT_TRUE(EndsInTime(master, deadline, masterStatus)) << "the master's restructures never ended";
    EXPECT_TRUE(EndsInTime(dependent, deadline, dependentStatus)) << "the dependent's restructures never ended";
    EXPECT_TRUE(WIFEXITED(masterStatus) && WEXITSTATUS(masterStatus) == 0) << masterStatus;
    EXPECT_TRUE(WIFEXITED(dependentStatus) && WEXITSTATUS(dependentStatus) == 0) << dependentStatus;
    EXPECT_EQ(hardening_test::Fingerprint(dir), before);
    EXPECT_EQ(vortabExecLine(dir.c_str(), "PARADOX", kLink), -1) << "the link is gone";
}

}  // namespace
