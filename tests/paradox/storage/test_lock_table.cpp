// Table locks between processes (fork): exclusive and shared modes, name matching, the
// per-process pitfall of classic record locks, upgrades, and refusal while another engine's
// control files are held.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

#include "meta_fixtures.h"
#include "paradox/storage/engine_error.h"
#include "paradox/storage/lock_probe.h"
#include "paradox/storage/lock_table.h"

using namespace paradox;

namespace {

// Exit codes a child reports its attempt with.
constexpr int kGranted = 0;
constexpr int kBusy = 10;     // 10243
constexpr int kLocked = 11;   // 10245
constexpr int kOther = 12;

int Outcome(const std::function<void()>& attempt) {
    try {
        attempt();
        return kGranted;
    } catch (const EngineError& e) {
        if (e.code() == err::kFileBusy) return kBusy;
        if (e.code() == err::kFileLocked) return kLocked;
        return kOther;
    } catch (...) {
        return kOther;
    }
}

// Runs attempt in a forked child and returns its outcome code.
int InChild(const std::function<void()>& attempt) {
    pid_t pid = ::fork();
    if (pid == 0) ::_exit(Outcome(attempt));
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A child that runs setup (taking some lock), signals, and holds until destroyed.
class HoldingChild {
public:
    explicit HoldingChild(const std::function<void()>& setup) {
        int up[2], down[2];
        EXPECT_EQ(::pipe(up), 0);
        EXPECT_EQ(::pipe(down), 0);
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(up[0]);
            ::close(down[1]);
            char c = char(Outcome(setup));
            if (::write(up[1], &c, 1) != 1) ::_exit(kOther);
            ssize_t r = ::read(down[0], &c, 1);  // hold until the parent closes its end
            (void)r;
            ::_exit(0);
        }
        ::close(up[1]);
        ::close(down[0]);
        release_ = down[1];
        char c = char(kOther);
        if (::read(up[0], &c, 1) != 1) c = char(kOther);
        ::close(up[0]);
        setupOutcome_ = c;
    }
    ~HoldingChild() {
        ::close(release_);
        int status = 0;
        ::waitpid(pid_, &status, 0);
    }
    int setupOutcome() const { return setupOutcome_; }

private:
    pid_t pid_ = -1;
    int release_ = -1;
    int setupOutcome_ = kOther;
};

class TableLockTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* n : {"ORDERS.DB", "orders.px", "ORDERS.X02", "Orders.VAL", "other.db"})
            meta_test::WriteText(dir.file(n), "data");
    }
    TableLock Take(const char* name, LockMode mode) { return TableLock::Acquire(dir.str(), name, mode); }
    meta_test::ScratchDir dir;
};

struct ModeCase {
    LockMode held, wanted;
    int outcome;
};

TEST_F(TableLockTest, ModesAcrossProcesses) {
    const ModeCase cases[] = {
        {LockMode::Exclusive, LockMode::Exclusive, kLocked},
        {LockMode::Exclusive, LockMode::Shared, kLocked},
        {LockMode::Shared, LockMode::Exclusive, kLocked},
        {LockMode::Shared, LockMode::Shared, kGranted},
    };
    for (const auto& c : cases) {
        TableLock held = Take("orders", c.held);
        EXPECT_EQ(InChild([&] { Take("ORDERS.DB", c.wanted); }), c.outcome)
            << int(c.held) << " then " << int(c.wanted);
        EXPECT_EQ(InChild([&] { Take("OTHER", LockMode::Exclusive); }), kGranted);
    }
    // Every lock above was released by its destructor.
    EXPECT_EQ(InChild([&] { Take("Orders", LockMode::Exclusive); }), kGranted);
}

TEST(TableLockSpelling, ALockUnderOneSpellingOfTheNameIsTheLockUnderTheOther) {
    const std::string name1252 = "B\xFC" "cher", nameUtf8 = "B\xC3\xBC" "cher";
    for (const bool withFiles : {true, false}) {
        meta_test::ScratchDir dir;
        if (withFiles)
            for (const char* ext : {".DB", ".PX"}) meta_test::WriteText(dir.file(nameUtf8 + ext), "data");
        TableLock held = TableLock::Acquire(dir.str(), nameUtf8, LockMode::Exclusive);
        EXPECT_EQ(InChild([&] { TableLock::Acquire(dir.str(), "B\xDC" "CHER.DB", LockMode::Shared); }), kLocked) << withFiles;
        held.release();
        held = TableLock::Acquire(dir.str(), name1252, LockMode::Shared);
        EXPECT_EQ(InChild([&] { TableLock::Acquire(dir.str(), nameUtf8, LockMode::Exclusive); }), kLocked) << withFiles;
    }
}

TEST_F(TableLockTest, ExplicitReleaseFreesTheTable) {
    TableLock held = Take("ORDERS", LockMode::Exclusive);
    EXPECT_TRUE(held.held());
    held.release();
    EXPECT_FALSE(held.held());
    EXPECT_EQ(InChild([&] { Take("ORDERS", LockMode::Exclusive); }), kGranted);
}

TEST_F(TableLockTest, SecondExclusiveLockInTheSameProcessConflicts) {
    TableLock held = Take("ORDERS", LockMode::Exclusive);
    EXPECT_EQ(Outcome([&] { Take("orders.db", LockMode::Exclusive); }), kLocked);
}

TEST_F(TableLockTest, ClosingAnotherDescriptorOfTheFileKeepsTheLock) {
    TableLock held = Take("ORDERS", LockMode::Exclusive);
    for (const char* n : {"ORDERS.DB", "orders.px", ".vortab-locks"}) {
        int fd = ::open(dir.file(n).c_str(), O_RDONLY);
        ASSERT_GE(fd, 0);
        ::close(fd);  // with classic record locks this would drop the process's lock
    }
    EXPECT_EQ(InChild([&] { Take("ORDERS", LockMode::Shared); }), kLocked);
}

TEST_F(TableLockTest, TableWithoutFilesIsLockedThroughTheMarker) {
    TableLock held = Take("NEWTABLE.DB", LockMode::Exclusive);
    EXPECT_EQ(InChild([&] { Take("newtable", LockMode::Exclusive); }), kLocked);
}

TEST_F(TableLockTest, EveryFamilyFileIsLocked) {
    TableLock held = Take("ORDERS", LockMode::Exclusive);
    for (const char* n : {"ORDERS.DB", "orders.px", "ORDERS.X02", "Orders.VAL"}) {
        EXPECT_EQ(InChild([&] {
                      int fd = ::open(dir.file(n).c_str(), O_RDWR);
                      struct flock fl {};
                      fl.l_type = F_RDLCK;
                      fl.l_whence = SEEK_SET;
                      if (::fcntl(fd, F_SETLK, &fl) != 0) throw EngineError(err::kFileLocked);
                  }),
                  kLocked)
            << n;
    }
}

TEST_F(TableLockTest, UpgradeInPlace) {
    TableLock lock = Take("ORDERS", LockMode::Shared);
    lock.upgrade();
    EXPECT_EQ(lock.mode(), LockMode::Exclusive);
    EXPECT_EQ(InChild([&] { Take("ORDERS", LockMode::Shared); }), kLocked);
}

TEST_F(TableLockTest, FailedUpgradeKeepsTheSharedLock) {
    TableLock lock = Take("ORDERS", LockMode::Shared);
    {
        HoldingChild reader([&] {
            static TableLock kept;
            kept = Take("ORDERS", LockMode::Shared);
        });
        ASSERT_EQ(reader.setupOutcome(), kGranted);
        EXPECT_EQ(Outcome([&] { lock.upgrade(); }), kLocked);
        EXPECT_EQ(lock.mode(), LockMode::Shared);
    }
    EXPECT_EQ(InChild([&] { Take("ORDERS", LockMode::Exclusive); }), kLocked);  // still shared-held
    lock.upgrade();  // the reader is gone
    EXPECT_EQ(lock.mode(), LockMode::Exclusive);
}

TEST_F(TableLockTest, ReadOnlyFileRefusesExclusiveButAllowsShared) {
    if (::geteuid() == 0) GTEST_SKIP() << "root ignores file permissions";
    ::chmod(dir.file("ORDERS.X02").c_str(), 0444);
    try {
        Take("ORDERS", LockMode::Exclusive);
        FAIL();
    } catch (const EngineError& e) {
        EXPECT_EQ(e.code(), err::kTableReadOnly);
    }
    EXPECT_NO_THROW(Take("ORDERS", LockMode::Shared));
}

// Another engine keeps its control file locked (a classic record lock on some byte, as a
// Windows program under Wine or over Samba would): exclusive locks are refused.
TEST_F(TableLockTest, HeldControlFileRefusesExclusiveLocks) {
    for (const char* control : {"PDOXUSRS.LCK", "paradox.lck", "PDOXUSRS.NET"}) {
        SCOPED_TRACE(control);
        meta_test::ScratchDir d;
        meta_test::WriteText(d.file("ORDERS.DB"), "x");
        meta_test::WriteText(d.file(control), "");
        EXPECT_FALSE(IsFileLockedByOther(d.file(control)));
        EXPECT_EQ(Outcome([&] { TableLock::Acquire(d.str(), "ORDERS", LockMode::Exclusive); }), kGranted);
        HoldingChild engine([&] {
            int fd = ::open(d.file(control).c_str(), O_RDWR);
            struct flock fl {};
            fl.l_type = F_WRLCK;
            fl.l_whence = SEEK_SET;
            fl.l_start = 0x40000000;  // far beyond the end of the empty file
            fl.l_len = 1;
            if (fd < 0 || ::fcntl(fd, F_SETLK, &fl) != 0) throw EngineError(err::kOsLockViolation);
        });
        ASSERT_EQ(engine.setupOutcome(), kGranted);
        EXPECT_TRUE(IsFileLockedByOther(d.file(control)));
        EXPECT_EQ(Outcome([&] { TableLock::Acquire(d.str(), "ORDERS", LockMode::Exclusive); }), kBusy);
        EXPECT_EQ(Outcome([&] { TableLock::Acquire(d.str(), "ORDERS", LockMode::Shared); }), kGranted);
    }
}

TEST_F(TableLockTest, MissingDirectory) {
    EXPECT_EQ(Outcome([&] { TableLock::Acquire("/nonexistent/vortab", "ORDERS", LockMode::Exclusive); }), kOther);
}

}  // namespace
