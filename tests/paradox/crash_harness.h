// Kill-at-every-step harness: runs an operation in a forked child that the fault-injection
// switch stops (with _exit, like a kill) at step 1, 2, 3, ... until one run completes; after
// every stop the parent checks the directory. Any engine write operation can be proved with it.
#pragma once
#include <functional>
#include <string>

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "paradox/storage/fault_injection.h"
#include "test_support.h"

namespace paradox_test {

struct CrashOutcome {
    uint32_t stops = 0;      // runs stopped at a step
    bool completed = false;  // a run got through every step
};

// setup(dir) makes the starting state in a fresh directory; op(dir) is the operation;
// verify(dir, stoppedAtStep) checks the state after a stop (stoppedAtStep 0 = the run completed).
inline CrashOutcome KillAtEveryStep(const std::function<void(const std::string&)>& setup,
                                    const std::function<void(const std::string&)>& op,
                                    const std::function<void(const std::string&, uint32_t)>& verify,
                                    uint32_t maxSteps = 500) {
    CrashOutcome out;
    for (uint32_t step = 1; step <= maxSteps; ++step) {
        ScratchDir d;
        setup(d.str());
        const pid_t pid = ::fork();
        if (pid < 0) {
            ADD_FAILURE() << "fork failed";
            return out;
        }
        if (pid == 0) {
            paradox::fault::Arm(step, paradox::fault::Mode::Exit);
            try {
                op(d.str());
            } catch (const std::exception& e) {
                std::fprintf(stderr, "step %u: %s\n", step, e.what());
                ::_exit(3);
            }
            ::_exit(0);
        }
        int status = 0;
        if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) {
            ADD_FAILURE() << "child did not exit normally at step " << step;
            return out;
        }
        const int code = WEXITSTATUS(status);
        if (code != 0 && code != paradox::fault::kExitCode) {
            ADD_FAILURE() << "operation failed at step " << step << " (exit " << code << ")";
            return out;
        }
        const bool done = code == 0;
        verify(d.str(), done ? 0 : step);
        if (done) {
            out.completed = true;
            return out;
        }
        ++out.stops;
    }
    ADD_FAILURE() << "operation did not complete within " << maxSteps << " steps";
    return out;
}

}  // namespace paradox_test
