// TBL_SETATTR "NAME": renames a table while the links of the tables that depend on it are
// suspended, then adds those links again naming the table under its new name. The rename
// itself is one crash-safe engine step that also renames the table in its masters' records.
#pragma once
#include <string>

namespace vortab {

// EAlreadyUpdated when both names are the same table name (case ignored).
void RenameTable(const std::string& table, const std::string& newName);

}  // namespace vortab
