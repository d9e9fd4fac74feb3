// Table locks from OFD record locks on the family files and a per-directory marker.
#include "paradox/storage/lock_table.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "paradox/storage/disk.h"
#include "paradox/storage/engine_error.h"
#include "paradox/storage/lock_probe.h"
#include "paradox/storage/table_list.h"
#include "shared/text/case_fold.h"

namespace paradox {
namespace {

// Whole-file (len 0 = to infinity) or one-byte lock request on fd; true when granted.
bool SetLock(int fd, short type, long long start, long long len) {
    struct flock fl {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = off_t(start);
    fl.l_len = off_t(len);
    while (true) {
        if (::fcntl(fd, F_OFD_SETLK, &fl) == 0) return true;
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EACCES) return false;
        throw EngineError(err::kOsLockViolation, "lock request failed");
    }
}

void CloseAll(std::vector<int>& fds) {
    for (int fd : fds) disk::Close(fd);
    fds.clear();
}

}  // namespace

long long TableLock::MarkerOffset(const std::string& tableBase) {
    // FNV-1a of the upper-cased table name, whichever way the base is spelled on disk; a rare
    // collision only makes two tables share a lock.
    std::uint64_t h = 1469598103934665603ull;
    for (unsigned char c : vortab::UpperCase1252(NameFromDisk(tableBase))) {
        h ^= c;
        h *= 1099511628211ull;
    }
    return 1 + (long long)(h % 0x7FFFFFF0ull);
}

// Opens path read-write when allowed, else read-only (enough for a shared lock); -1 on failure.
static int OpenForLock(const std::string& path, bool create, bool& writable) {
    const int flags = O_CLOEXEC | (create ? O_CREAT : 0);
    int fd = disk::Open(path, O_RDWR | flags, 0666);
    writable = fd >= 0;
    if (fd < 0 && (errno == EACCES || errno == EROFS)) fd = disk::Open(path, O_RDONLY);
    return fd;
}

TableLock TableLock::Acquire(const std::string& dir, const std::string& tableName, LockMode mode) {
    TableLock lock;
    lock.dir_ = dir;
    lock.base_ = TableBaseName(tableName);
    lock.mode_ = mode;
    const bool exclusive = mode == LockMode::Exclusive;
    const short type = exclusive ? F_WRLCK : F_RDLCK;
    if (exclusive) CheckNoForeignEngine(dir);

    // The marker stands for the table name even while no family file exists (create, rename).
    bool writable = false;
    int mfd = OpenForLock(PathInDir(dir, MarkerName()), true, writable);
    if (mfd >= 0) {
        lock.fds_.push_back(mfd);
        lock.writable_.push_back(writable);
        lock.hasMarker_ = true;
    }
    if (exclusive && (mfd < 0 || !writable))
        throw EngineError(errno == EROFS || errno == EACCES || mfd >= 0 ? err::kReadOnlyDir : err::kDirNoAccess, dir);
    if (mfd >= 0 && !SetLock(mfd, type, MarkerOffset(lock.base_), 1))
        throw EngineError(err::kFileLocked, lock.base_ + " is locked by another user");

    for (const std::string& name : FamilyFileNames(dir, lock.base_)) {
        int fd = OpenForLock(PathInDir(dir, name), false, writable);
        if (fd < 0) {
            if (errno == ENOENT) continue;  // vanished between listing and opening
            throw EngineError(err::kFileNoAccess, name);
        }
        lock.fds_.push_back(fd);
        lock.writable_.push_back(writable);
        if (exclusive && !writable) throw EngineError(err::kTableReadOnly, name);
        if (!SetLock(fd, type, 0, 0)) throw EngineError(err::kFileLocked, name + " is locked by another user");
    }
    return lock;  // on any throw above, lock's destructor closed what was opened
}

void TableLock::upgrade() {
    if (fds_.empty() || mode_ == LockMode::Exclusive) return;
    CheckNoForeignEngine(dir_);
    for (std::size_t i = 0; i < fds_.size(); ++i)
        if (!writable_[i]) throw EngineError(i == 0 && hasMarker_ ? err::kReadOnlyDir : err::kTableReadOnly, base_);
    // Converting an OFD lock on the same descriptor is atomic: there is no moment without one.
    // A conflict part-way turns the converted ones back into shared locks (which cannot fail).
    for (std::size_t i = 0; i < fds_.size(); ++i) {
        const bool marker = i == 0 && hasMarker_;
        const long long start = marker ? MarkerOffset(base_) : 0, len = marker ? 1 : 0;
        if (!SetLock(fds_[i], F_WRLCK, start, len)) {
            for (std::size_t j = 0; j < i; ++j) {
                const bool m = j == 0 && hasMarker_;
                SetLock(fds_[j], F_RDLCK, m ? MarkerOffset(base_) : 0, m ? 1 : 0);
            }
            throw EngineError(err::kFileLocked, base_ + " is in use by another user");
        }
    }
    mode_ = LockMode::Exclusive;
}

void TableLock::downgrade() {
    if (fds_.empty() || mode_ == LockMode::Shared) return;
    for (std::size_t i = 0; i < fds_.size(); ++i) {
        const bool marker = i == 0 && hasMarker_;
        SetLock(fds_[i], F_RDLCK, marker ? MarkerOffset(base_) : 0, marker ? 1 : 0);
    }
    mode_ = LockMode::Shared;
}

void TableLock::release() {
    CloseAll(fds_);
    writable_.clear();
}

TableLock::~TableLock() { release(); }

TableLock::TableLock(TableLock&& other) noexcept
    : dir_(std::move(other.dir_)), base_(std::move(other.base_)), mode_(other.mode_), fds_(std::move(other.fds_)),
      writable_(std::move(other.writable_)), hasMarker_(other.hasMarker_) {
    other.fds_.clear();
    other.writable_.clear();
}

TableLock& TableLock::operator=(TableLock&& other) noexcept {
    if (this != &other) {
        release();
        dir_ = std::move(other.dir_);
        base_ = std::move(other.base_);
        mode_ = other.mode_;
        fds_ = std::move(other.fds_);
        writable_ = std::move(other.writable_);
        hasMarker_ = other.hasMarker_;
        other.fds_.clear();
        other.writable_.clear();
    }
    return *this;
}

}  // namespace paradox
