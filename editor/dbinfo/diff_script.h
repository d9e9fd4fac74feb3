// The differential script: the steps that turn the structure of an original database (or one
// table of it) into that of the current one. Links are dropped first and added last, tables the
// current database lacks are dropped at the end (the last in model order first). Commands name
// tables by their name in the current database.
#pragma once
#include <string>

#include "editor/dbinfo/create_script.h"
#include "editor/dbinfo/structure_model.h"

namespace vortab::dbinfo {

struct DiffSettings {
    bool invariant = true;    // fields are matched by number, lists compared by field numbers
    bool ignoreCase = false;  // names and rendered definitions compared without regard to case
};

// original null: the script that creates the current model (with currentTable as the only chosen
// table when given). currentTable given: only that table against originalTable.
void WriteDiffScript(tdatabase_Structure& current, const DiffSettings& settings, ScriptLines& lines,
                     const std::string& currentTable, const std::string& originalTable, tdatabase_Structure* original,
                     Progress& progress);

// One table's changes (original null: its whole block, "not found in source database").
void WriteTableChanges(tTbl_Structure& current, tTbl_Structure* original, const DiffSettings& settings, int& stepCounter,
                       ScriptLines& lines);

}  // namespace vortab::dbinfo
