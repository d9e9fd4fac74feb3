// Database handles: working directory, table listing and counted table locks.
#include "paradox/table/database.h"

#include <sys/stat.h>
#include <unistd.h>

#include "paradox/session/alias_list.h"
#include "paradox/session/session.h"
#include "paradox/storage/engine_error.h"
#include "paradox/storage/family_swap.h"
#include "paradox/storage/table_list.h"

namespace paradox {
namespace {

std::string CurrentDirectory() {
    std::string buf(4096, '\0');
    if (!::getcwd(buf.data(), buf.size())) return ".";
    buf.resize(std::char_traits<char>::length(buf.c_str()));
    return buf;
}

}  // namespace

Database::Database(Session& session, std::string_view name, DatabaseAccess access)
    : session_(session), access_(access) {
    session.requireStarted();
    if (name.empty()) {
        dir_ = CurrentDirectory();
        return;
    }
    setDirectory(session.aliasDirectory(name));  // 10014 when unknown
}

Database::~Database() { close(); }

void Database::close() {
    locks_->releaseAll();
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
    RecoverDirectoryQuietly(dir_);  // a table a crash left half renamed is listed under one name
    return ListTables(dir_, SlashPath(pattern));
}

std::string Database::tablePath(std::string_view tableName) const {
    const std::string file = TableBaseName(SlashPath(tableName)) + ".DB";
    auto found = FindFileNoCase(dir_, file);
    return PathInDir(dir_, found ? *found : file);
}

void Database::lockTable(std::string_view tableName, LockMode mode) {
    requireOpen();
    if (mode == LockMode::Exclusive && access_ == DatabaseAccess::ReadOnly)
        throw EngineError(err::kTableReadOnly, std::string(tableName));
    locks_->lock(dir_, tableName, mode);
}

void Database::unlockTable(std::string_view tableName, LockMode mode) {
    requireOpen();
    locks_->unlock(tableName, mode);
}

bool Database::isLocked(std::string_view tableName) const { return locks_->isLocked(tableName); }

}  // namespace paradox
