#include "library/commands/table_rename.h"

#include <cstring>

#include "library/commands/change_locks.h"
#include "library/commands/command_table.h"
#include "library/commands/database_context.h"
#include "library/commands/dependency_map.h"
#include "library/engine/table_engine.h"
#include "library/language/errors.h"
#include "library/language/text_1252.h"

namespace vortab {
namespace {

std::string WithoutDirectory(const std::string& name) {
    const std::size_t start = name.find_last_of("\\/:");
    return start == std::string::npos ? name : name.substr(start + 1);
}

bool SameName(const std::string& a, const std::string& b) {
    return UpperCase1252(a) == UpperCase1252(b);
}

// Every mention of the old name in the map, as a table of an entry or as the other table of a
// link, becomes the new name.
void RenameInMap(tRintList& map, const std::string& oldName, const std::string& newName) {
    map.ForEach([&](tRintClass& entry) {
        if (SameName(entry.tableName, oldName)) entry.tableName = newName;
        for (paradox::RILinkDescriptor& link : entry.links) {
            if (!SameName(link.otherTable, oldName)) continue;
            std::memset(link.otherTable, 0, sizeof link.otherTable);
            std::strncpy(link.otherTable, newName.c_str(), sizeof link.otherTable - 1);
        }
    });
}

}  // namespace

void RenameTable(const std::string& table, const std::string& newName) {
    const std::string& driver = ThreadDatabaseContext().driver;
    const std::string oldFile = WithDefaultExtension(table, driver);
    const std::string newFile = WithDefaultExtension(newName, driver);
    CommandTable(table, false).Close();  // the table opens: its password and driver are in order
    if (SameName(oldFile, newFile)) throw EAlreadyUpdated();
    const ChangeLocks locks(oldFile, {newFile});

    WithDependentMapSuspended(table, [&](tRintList& dependents) {
        EngineRenameTable(ContextDatabase().directory(), oldFile, newFile);
        RenameInMap(dependents, CanonicalTableName(WithoutDirectory(oldFile)),
                    CanonicalTableName(newFile));
    });
}

}  // namespace vortab
