#include "library/commands/database_context.h"

#include "library/engine/engine_session.h"
#include "paradox/storage/engine_error.h"

namespace vortab {

DatabaseContext& ThreadDatabaseContext() {
    thread_local DatabaseContext context;
    return context;
}

std::string ResolveDatabaseDirectory(const std::string& database) {
    return EngineSession().resolveDatabaseDirectory(database);
}

void CloseDatabase() {
    DatabaseContext& ctx = ThreadDatabaseContext();
    std::unique_ptr<paradox::Database> handle = std::move(ctx.handle);
    ctx = DatabaseContext{};
    if (handle) handle->close();
}

void UseDatabase(const std::string& database, const std::string& driver) {
    DatabaseContext& ctx = ThreadDatabaseContext();
    if (ctx.handle && ctx.database == database && ctx.driver == driver) return;
    try {
        CloseDatabase();
        ctx.database = database;
        ctx.driver = driver;
        ctx.driverKind = DriverKindOf(driver);
        ctx.directory = ResolveDatabaseDirectory(database);
        auto handle = std::make_unique<paradox::Database>(EngineSession());
        handle->setDirectory(ctx.directory);
        ctx.handle = std::move(handle);
    } catch (...) {
        CloseDatabase();
        throw;
    }
}

paradox::Database& ContextDatabase() {
    DatabaseContext& ctx = ThreadDatabaseContext();
    if (!ctx.handle) throw paradox::EngineError(paradox::err::kInvalidParam, "no open database");
    return *ctx.handle;
}

}  // namespace vortab
