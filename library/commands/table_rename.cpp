#include "library/commands/table_rename.h"

#include "library/commands/change_locks.h"
#include "library/commands/command_table.h"
#include "library/commands/database_context.h"
#include "library/engine/table_engine.h"
#include "library/language/errors.h"
#include "shared/text/case_fold.h"

namespace vortab {

void RenameTable(const std::string& table, const std::string& newName) {
    const std::string& driver = ThreadDatabaseContext().driver;
    const std::string oldFile = WithDefaultExtension(table, driver);
    const std::string newFile = WithDefaultExtension(newName, driver);
    CommandTable(table, false).Close();  // the table opens: its password and driver are in order
    if (SameNameNoCase(oldFile, newFile)) throw EAlreadyUpdated();
    const ChangeLocks locks(oldFile, {newFile});

    // The engine renames the family and makes the .VAL of every table linked to it name the new
    // name, all in one crash-safe step. Dropping the dependents' links first and adding them
    // again afterwards would open a window in which a killed process loses them.
    EngineRenameTable(ContextDatabase().directory(), oldFile, newFile);
}

}  // namespace vortab
