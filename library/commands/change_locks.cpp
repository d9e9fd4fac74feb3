#include "library/commands/change_locks.h"

#include <algorithm>

#include "library/commands/command_table.h"
#include "library/commands/database_context.h"
#include "library/commands/dependency_map.h"
#include "library/commands/suspended_links.h"
#include "library/engine/engine.h"
#include "library/engine/table_engine.h"
#include "paradox/storage/text_case.h"
#include "shared/engine_records.h"

namespace vortab {
namespace {

// The tables whose files a change of `table` may rewrite, the table itself first.
std::vector<std::string> TablesOfChange(const std::string& table, const std::vector<std::string>& others) {
    std::vector<std::string> names{table};
    names.insert(names.end(), others.begin(), others.end());
    const std::unique_ptr<tRintList> map = BuildRintList(table);
    map->ForEach([&](const tRintClass& entry) { names.push_back(entry.tableName); });
    try {
        CommandTable opened(table, false);
        for (const RILinkDescriptor& link : LinkDescriptors(opened.table()))
            if (link.kind == static_cast<std::uint32_t>(LinkKind::Dependent)) names.push_back(link.otherTable);
    } catch (...) {
        // a table that does not open has no links to follow; its command reports why
    }
    return names;
}

}  // namespace

ChangeLocks::ChangeLocks(const std::string& table, const std::vector<std::string>& others) {
    RestoreLeftSuspendedLinks();
    LockAll(TablesOfChange(table, others));
}

ChangeLocks::ChangeLocks(const std::vector<std::string>& tables, Exactly) { LockAll(tables); }

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
    const auto same = [&](const std::string& held) { return paradox::EqualsIgnoreCase1252(held, file); };
    if (std::any_of(held_.begin(), held_.end(), same)) return;
    ContextDatabase().lockTable(file, engine::LockMode::Exclusive);
    held_.push_back(file);
}

}  // namespace vortab
