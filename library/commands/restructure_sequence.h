// The restructure sequence every command uses to change an existing table: lock the table by
// name, restructure it, unlock it — the unlock also when the restructure failed, and a failing
// unlock is itself a failure of the command.
#pragma once
#include <functional>
#include <string>

#include "library/commands/table_descriptor.h"

namespace vortab {

// Runs body with the table's name locked exclusively in the context database; the unlock runs
// also when body fails, and its own failure counts only when body succeeded.
void WithTableLocked(const std::string& tableName, const std::function<void()>& body);

// keyViolationName: a zero-filled 261-byte buffer when the caller wants to know whether records
// were set aside, else null.
void RunRestructureSequence(TableRestructure& restructure, char* keyViolationName = nullptr);

}  // namespace vortab
