// Databases and the names of table files through the face.
#include "paradox/api/database.h"

#include "paradox/api/engine_call_internal.h"
#include "paradox/api/session_internal.h"
#include "paradox/api/table_internal.h"
#include "paradox/storage/family_swap.h"
#include "paradox/storage/table_list.h"
#include "paradox/table/database.h"

namespace paradox::api {
namespace {

paradox::LockMode EngineLockMode(LockMode mode) {
    return mode == LockMode::Exclusive ? paradox::LockMode::Exclusive : paradox::LockMode::Shared;
}

}  // namespace

struct PARADOX_HIDDEN Database::Impl {
    Impl(paradox::Session& session, std::string_view name, paradox::DatabaseAccess access)
        : database(session, name, access) {}
    paradox::Database database;
};

Database::Database(Session& session, std::string_view name, DatabaseAccess access) {
    const auto engineAccess =
        access == DatabaseAccess::ReadOnly ? paradox::DatabaseAccess::ReadOnly : paradox::DatabaseAccess::ReadWrite;
    detail::Call([&] { impl_ = std::make_unique<Impl>(session.impl_->engine, name, engineAccess); });
}

Database::~Database() = default;

void Database::close() {
    detail::Call([&] { impl_->database.close(); });
}
void Database::setDirectory(std::string_view dir) {
    detail::Call([&] { impl_->database.setDirectory(dir); });
}
const std::string& Database::directory() const { return impl_->database.directory(); }

std::vector<std::string> Database::listTables(std::string_view pattern) const {
    return detail::Call([&] { return impl_->database.listTables(pattern); });
}
std::string Database::tablePath(std::string_view tableName) const {
    return detail::Call([&] { return impl_->database.tablePath(tableName); });
}
void Database::lockTable(std::string_view tableName, LockMode mode) {
    detail::Call([&] { impl_->database.lockTable(tableName, EngineLockMode(mode)); });
}
void Database::unlockTable(std::string_view tableName, LockMode mode) {
    detail::Call([&] { impl_->database.unlockTable(tableName, EngineLockMode(mode)); });
}

OpenedTable Database::openTable(std::string_view tableName, bool exclusive) {
    return detail::Call([&] {
        paradox::OpenedTable opened = impl_->database.openTable(tableName, exclusive);
        return OpenedTable{Table(std::make_shared<Table::Impl>(std::move(opened.table))), std::move(opened.hold)};
    });
}

std::vector<std::string> ListTables(const std::string& dir, std::string_view pattern) {
    return detail::Call([&] { return paradox::ListTables(dir, pattern); });
}
void RecoverDirectory(const std::string& dir) noexcept { paradox::RecoverDirectoryQuietly(dir); }

std::string FileNamePart(std::string_view path) { return paradox::FileNamePart(path); }
std::string TableBaseName(std::string_view path) { return paradox::TableBaseName(path); }

}  // namespace paradox::api
