// DatabaseLocks: the table locks one database handle holds, counted per table and mode, over
// one OS lock per table (upgraded and downgraded in place). Shared between the handle and the
// tables it opened, so a table may outlive its handle safely. Thread-safe.
#pragma once
#include <map>
#include <mutex>
#include <string>
#include <string_view>

#include "paradox/storage/lock_table.h"

namespace paradox {

class DatabaseLocks {
public:
    // Takes or counts a lock of tableName (base name, any case) in dir.
    void lock(const std::string& dir, std::string_view tableName, LockMode mode);
    // 10242 when this mode of the table is not held.
    void unlock(std::string_view tableName, LockMode mode);
    bool isLocked(std::string_view tableName) const;
    // Releases everything and starts a new generation.
    void releaseAll();
    unsigned generation() const;
    // unlock, unless releaseAll ran since generation was read (the hold is gone already).
    void unlockIfCurrent(std::string_view tableName, LockMode mode, unsigned generation);

private:
    struct Held {
        TableLock lock;
        int shared = 0;
        int exclusive = 0;
    };
    static std::string Key(std::string_view tableName);

    mutable std::mutex mutex_;
    std::map<std::string, Held> held_;  // by upper-case base name
    unsigned generation_ = 0;           // bumped by releaseAll
};

}  // namespace paradox
