// Test helpers for engine calls: the code a call fails with, and a table lock taken by another
// process (locks are per process, so only a child can show that one conflicts).
#pragma once
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>

#include "paradox/storage/engine_error.h"
#include "paradox/storage/lock_table.h"

namespace meta_test {

// The engine code f fails with, 0 when it succeeds.
inline int CodeOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const paradox::EngineError& e) {
        return e.code();
    }
    return 0;
}

// The engine code a child process gets for a lock of the table (0 when granted, -1 for another failure).
inline int ChildLock(const std::string& dir, const std::string& table, paradox::LockMode mode) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int code = CodeOf([&] { paradox::TableLock::Acquire(dir, table, mode); });
        ::_exit(code == 0 ? 0 : code == paradox::err::kFileLocked ? 1 : 2);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    const int rc = WIFEXITED(status) ? WEXITSTATUS(status) : 3;
    return rc == 0 ? 0 : rc == 1 ? paradox::err::kFileLocked : -1;
}

}  // namespace meta_test
