// Counted table locks of a database handle.
#include "paradox/table/database_locks.h"

#include "paradox/session/alias_list.h"
#include "paradox/storage/engine_error.h"
#include "paradox/storage/table_list.h"
#include "shared/text/case_fold.h"

namespace paradox {

std::string DatabaseLocks::Key(std::string_view tableName) {
    return vortab::UpperCase1252(TableBaseName(SlashPath(tableName)));
}

void DatabaseLocks::lock(const std::string& dir, std::string_view tableName, LockMode mode) {
    const std::string key = Key(tableName);
    std::lock_guard<std::mutex> g(mutex_);
    auto it = held_.find(key);
    if (it == held_.end()) {
        Held h{TableLock::Acquire(dir, TableBaseName(SlashPath(tableName)), mode)};
        (mode == LockMode::Exclusive ? h.exclusive : h.shared) = 1;
        held_.emplace(key, std::move(h));
        return;
    }
    Held& h = it->second;
    if (mode == LockMode::Exclusive && h.lock.mode() == LockMode::Shared) h.lock.upgrade();
    ++(mode == LockMode::Exclusive ? h.exclusive : h.shared);
}

void DatabaseLocks::unlock(std::string_view tableName, LockMode mode) {
    std::lock_guard<std::mutex> g(mutex_);
    auto it = held_.find(Key(tableName));
    int* count = nullptr;
    if (it != held_.end()) count = mode == LockMode::Exclusive ? &it->second.exclusive : &it->second.shared;
    if (!count || *count == 0) throw EngineError(err::kUnlockFailed, std::string(tableName) + " is not locked");
    --*count;
    Held& h = it->second;
    if (h.exclusive == 0 && h.shared == 0)
        held_.erase(it);
    else if (h.exclusive == 0)
        h.lock.downgrade();  // in place: no moment in which the table is unlocked
}

void DatabaseLocks::unlockIfCurrent(std::string_view tableName, LockMode mode, unsigned generation) {
    {
        std::lock_guard<std::mutex> g(mutex_);
        if (generation != generation_) return;
    }
    unlock(tableName, mode);
}

bool DatabaseLocks::isLocked(std::string_view tableName) const {
    std::lock_guard<std::mutex> g(mutex_);
    return held_.count(Key(tableName)) > 0;
}

unsigned DatabaseLocks::generation() const {
    std::lock_guard<std::mutex> g(mutex_);
    return generation_;
}

void DatabaseLocks::releaseAll() {
    std::lock_guard<std::mutex> g(mutex_);
    held_.clear();
    ++generation_;
}

}  // namespace paradox
