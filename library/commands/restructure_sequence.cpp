#include "library/commands/restructure_sequence.h"

#include <exception>

#include "library/commands/command_table.h"
#include "library/commands/database_context.h"
#include "library/engine/table_engine.h"

namespace vortab {

void WithTableLocked(const std::string& tableName, const std::function<void()>& body) {
    engine::Database& db = ContextDatabase();
    const std::string lockName = WithDefaultExtension(tableName, ThreadDatabaseContext().driver);
    db.lockTable(lockName, engine::LockMode::Exclusive);
    std::exception_ptr failure;
    try {
        body();
    } catch (...) {
        failure = std::current_exception();
    }
    try {
        db.unlockTable(lockName, engine::LockMode::Exclusive);
    } catch (...) {
        if (!failure) throw;
    }
    if (failure) std::rethrow_exception(failure);
}

void RunRestructureSequence(TableRestructure& restructure, char* keyViolationName) {
    WithTableLocked(restructure.tableName(), [&] {
        EngineRestructure(ContextDatabase().directory(), restructure.descriptor(), keyViolationName);
    });
}

}  // namespace vortab
