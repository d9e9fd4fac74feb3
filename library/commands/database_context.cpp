#include "library/commands/database_context.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "paradox/engine_error.h"

namespace vortab {

DatabaseContext& ThreadDatabaseContext() {
    thread_local DatabaseContext context;
    return context;
}

std::string ResolveDatabaseDirectory(const std::string& database) {
    std::string dir = database;
    std::replace(dir.begin(), dir.end(), '\\', '/');
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    return dir;
}

void CloseDatabase() { ThreadDatabaseContext() = DatabaseContext{}; }

void UseDatabase(const std::string& database, const std::string& driver) {
    DatabaseContext& ctx = ThreadDatabaseContext();
    if (ctx.open && ctx.database == database && ctx.driver == driver) return;
    CloseDatabase();
    const std::string dir = ResolveDatabaseDirectory(database);
    struct stat st {};
    if (dir.empty() || stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) ||
        access(dir.c_str(), R_OK | X_OK) != 0)
        throw paradox::EngineError(paradox::err::kDirNoAccess, dir);
    ctx.driverKind = DriverKindOf(driver);
    ctx.driver = driver;
    ctx.database = database;
    ctx.directory = dir;
    ctx.open = true;
}

}  // namespace vortab
