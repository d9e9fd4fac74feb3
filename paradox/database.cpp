// Database handles: working directory, table listing and counted table locks.
#include "paradox/database.h"

#include <sys/stat.h>
#include <unistd.h>

#include "paradox/alias_list.h"
#include "paradox/engine_error.h"
#include "paradox/session.h"
#include "paradox/table_list.h"

namespace paradox {
namespace {

std::string CurrentDirectory() {
    std::string buf(4096, '\0');
    if (!::getcwd(buf.data(), buf.size())) return ".";
    buf.resize(std::char_traits<char>::length(buf.c_str()));
    return buf;
}

std::string UpperAscii(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return s;
}

}  // namespace

Database::Database(Session& session, std::string_view name, DatabaseAccess access)
    : session_(session), access_(access) {
    session.requireStarted();
    if (name.empty()) {
        dir_ = CurrentDirectory();
        return;
    }
    for (const auto& [key, value] : session.aliasParams(name))  // 10014 when unknown
        if (SameNameNoCase(key, "PATH")) dir_ = value;
    setDirectory(dir_);
}

Database::~Database() { close(); }

void Database::close() {
    locks_.clear();
    open_ = false;
}

void Database::requireOpen() const {
    if (!open_) throw EngineError(err::kInvalidParam, "database handle is closed");
}

void Database::setDirectory(std::string_view dir) {
    requireOpen();
    std::string path = SlashPath(dir);
    if (path.empty()) path = CurrentDirectory();
    while (path.size() > 1 && path.back() == '/') path.pop_back();  // the root keeps its slash
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        throw EngineError(session_err::kInvalidDirectory, "Invalid directory: " + path);
    dir_ = std::move(path);
}

std::vector<std::string> Database::listTables(std::string_view pattern) const {
    requireOpen();
    return ListTables(dir_, SlashPath(pattern));
}

std::string Database::tablePath(std::string_view tableName) const {
    const std::string file = TableBaseName(SlashPath(tableName)) + ".DB";
    auto found = FindFileNoCase(dir_, file);
    return PathInDir(dir_, found ? *found : file);
}

std::string Database::lockKey(std::string_view tableName) const {
    return UpperAscii(TableBaseName(SlashPath(tableName)));
}

void Database::lockTable(std::string_view tableName, LockMode mode) {
    requireOpen();
    if (mode == LockMode::Exclusive && access_ == DatabaseAccess::ReadOnly)
        throw EngineError(err::kTableReadOnly, std::string(tableName));
    const std::string key = lockKey(tableName);
    auto it = locks_.find(key);
    if (it == locks_.end()) {
        HeldLock held{TableLock::Acquire(dir_, TableBaseName(SlashPath(tableName)), mode)};
        (mode == LockMode::Exclusive ? held.exclusive : held.shared) = 1;
        locks_.emplace(key, std::move(held));
        return;
    }
    HeldLock& held = it->second;
    if (mode == LockMode::Exclusive && held.lock.mode() == LockMode::Shared) held.lock.upgrade();
    ++(mode == LockMode::Exclusive ? held.exclusive : held.shared);
}

void Database::unlockTable(std::string_view tableName, LockMode mode) {
    requireOpen();
    auto it = locks_.find(lockKey(tableName));
    int* count = nullptr;
    if (it != locks_.end()) count = mode == LockMode::Exclusive ? &it->second.exclusive : &it->second.shared;
    if (!count || *count == 0) throw EngineError(err::kUnlockFailed, std::string(tableName) + " is not locked");
    --*count;
    HeldLock& held = it->second;
    if (held.exclusive == 0 && held.shared == 0)
        locks_.erase(it);
    else if (held.exclusive == 0)
        held.lock.downgrade();  // in place: no moment in which the table is unlocked
}

bool Database::isLocked(std::string_view tableName) const { return locks_.count(lockKey(tableName)) > 0; }

}  // namespace paradox
