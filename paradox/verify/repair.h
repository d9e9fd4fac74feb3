// Repairing a table: what verify found broken is rebuilt from the records the .DB still holds
// (salvage.h) and put in place as one crash-safe family swap, under an exclusive lock and after
// the family's files were copied to a backup directory. The data blocks and record count, the
// .PX and every secondary index are rebuilt; blob values are copied into a fresh .MB (a reference
// that leads nowhere becomes blank, a blob two records share is copied for each); a stale .VAL
// gets the table's stamps, dropping the checks that no longer fit. Records that cannot be kept
// (a repeated key) go to a problems table beside the table.
// A header that cannot be read is never guessed: such a table is reported and left alone.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "paradox/verify/finding.h"

namespace paradox::verify {

struct RepairOptions {
    std::vector<std::string> passwords;
    bool dryRun = false;     // report the plan, change nothing
    std::string backupDir;   // where the family's files are copied first; empty: beside the database
    bool resort = false;     // re-sort a keyed table whose language driver may order keys otherwise
};

struct RepairReport {
    std::string table;
    std::vector<Finding> findings;  // what verify found before the repair
    std::vector<std::string> plan;  // what the repair does (or would do)
    std::vector<std::string> notes; // records and fields set aside or blanked, checks dropped
    bool needed = false;            // verify found something repair mends
    bool refused = false;           // left alone (header unreadable, password missing)
    bool repaired = false;          // the new family is in place
    std::string backupDir;
    std::string problemsTable;      // file name of the problems table, empty when none
    uint64_t recordsKept = 0;
    uint64_t recordsSetAside = 0;
};

// Repairs table `name` of dir. Failures of the repair itself (a lock another program holds, a
// full disk) are EngineErrors and leave the table as it was.
RepairReport RepairTable(const std::string& dir, const std::string& name, const RepairOptions& options);

// The backup directory a repair uses by default: beside the database directory, named after it
// with the date and time ("orders-repair-20261208-210500").
std::string DefaultBackupDir(const std::string& dir);

}  // namespace paradox::verify
