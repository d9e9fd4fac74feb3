#include "library/commands/database_context.h"

#include "library/engine/engine.h"
#include "library/engine/engine_session.h"

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
    std::unique_ptr<engine::Database> handle = std::move(ctx.handle);
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
        auto handle = std::make_unique<engine::Database>(EngineSession());
        handle->setDirectory(ctx.directory);
        ctx.handle = std::move(handle);
    } catch (...) {
        CloseDatabase();
        throw;
    }
}

engine::Database& ContextDatabase() {
    DatabaseContext& ctx = ThreadDatabaseContext();
    if (!ctx.handle) throw engine::EngineError(engine::err::kInvalidParam, "no open database");
    return *ctx.handle;
}

}  // namespace vortab
