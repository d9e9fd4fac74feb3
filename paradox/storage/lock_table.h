// TableLock: a table lock honoured between processes, held for the object's lifetime.
// Exclusive locks take an exclusive OFD record lock on every family file of the table and on
// the table's byte in the directory's lock marker (.vortab-locks); shared locks take shared
// ones. OFD locks belong to our own open file descriptions, so closing some other descriptor
// of the same file (by the engine or anyone in this process) never drops them. Exclusive
// locks are refused while the original engine's control files are held (10243).
// Layout on disk: doc/locking.md.
#pragma once
#include <string>
#include <vector>

namespace paradox {

enum class LockMode { Shared, Exclusive };

class TableLock {
public:
    // Takes the lock without waiting. 10245 when another holder conflicts, 10243 when another
    // engine works in the directory, 10500/10763 when the directory or a file is read-only
    // for an exclusive lock, 9219 when the directory cannot be read.
    static TableLock Acquire(const std::string& dir, const std::string& tableName, LockMode mode);

    TableLock() = default;
    ~TableLock();
    TableLock(TableLock&& other) noexcept;
    TableLock& operator=(TableLock&& other) noexcept;
    TableLock(const TableLock&) = delete;
    TableLock& operator=(const TableLock&) = delete;

    // Turns a shared lock into an exclusive one in place (no window without a lock). Same
    // failures as Acquire; a failed upgrade leaves the shared lock held.
    void upgrade();
    // Turns an exclusive lock back into a shared one in place (cannot conflict).
    void downgrade();
    void release();

    bool held() const { return !fds_.empty(); }
    LockMode mode() const { return mode_; }
    const std::string& directory() const { return dir_; }
    const std::string& tableBase() const { return base_; }

    // The marker file's name and the byte offset that stands for a table name.
    static const char* MarkerName() { return ".vortab-locks"; }
    static long long MarkerOffset(const std::string& tableBase);

private:
    std::string dir_;
    std::string base_;
    LockMode mode_ = LockMode::Shared;
    std::vector<int> fds_;  // marker first (when there is one), then the family files
    std::vector<bool> writable_;  // per descriptor: opened read-write
    bool hasMarker_ = false;
};

}  // namespace paradox
