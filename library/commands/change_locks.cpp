#include "library/commands/change_locks.h"

#include <algorithm>

#include "library/commands/command_table.h"
#include "library/commands/database_context.h"
#include "library/commands/dependency_map.h"
#include "library/engine/engine.h"
#include "library/engine/table_engine.h"
#include "shared/engine_records.h"
#include "shared/text/case_fold.h"

namespace vortab {
namespace {

// The other tables whose files a change of `table` may rewrite: those named, the tables of its
// dependency map, and the masters its own links name.
std::vector<std::string> OtherTablesOfChange(const std::vector<std::string>& others, const tRintList& dependents) {
    std::vector<std::string> names = others;
    dependents.ForEach([&](const tRintClass& entry) { names.push_back(entry.tableName); });
    for (const RILinkDescriptor& link : dependents.startLinks)
        if (IsDependentLink(link)) names.push_back(link.otherTable);
    return names;
}

}  // namespace

ChangeLocks::ChangeLocks(const std::string& table, const std::vector<std::string>& others) {
    try {
        Lock(table);
        dependents_ = BuildRintList(table);
        for (const std::string& name : OtherTablesOfChange(others, *dependents_)) Lock(name);
    } catch (...) {
        Release();
        throw;
    }
}

ChangeLocks::ChangeLocks(const std::vector<std::string>& tables, Exactly)
    : dependents_(std::make_unique<tRintList>()) {
    LockAll(tables);
}

void ChangeLocks::LockAll(const std::vector<std::string>& tables) {
    try {
        for (const std::string& name : tables) Lock(name);
    } catch (...) {
        Release();
        throw;
    }
}

ChangeLocks::~ChangeLocks() { Release(); }

void ChangeLocks::Release() {
    engine::Database& db = ContextDatabase();
    for (auto it = held_.rbegin(); it != held_.rend(); ++it) {
        try {
            db.unlockTable(*it, engine::LockMode::Exclusive);
        } catch (...) {
            // a lock the handle no longer holds is gone already
        }
    }
    held_.clear();
}

void ChangeLocks::Lock(const std::string& table) {
    const std::string file = WithDefaultExtension(table, ThreadDatabaseContext().driver);
    const auto same = [&](const std::string& held) { return vortab::SameNameNoCase(held, file); };
    if (std::any_of(held_.begin(), held_.end(), same)) return;
    ContextDatabase().lockTable(file, engine::LockMode::Exclusive);
    held_.push_back(file);
}

}  // namespace vortab
