// Checking and mending tables. VerifyTables reads every file of each table family under shared
// locks, writes no byte of them, and reports what is damaged; RepairTable rebuilds what verify
// found broken as one crash-safe step, after copying the family's files to a backup directory.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "paradox/api/export.h"

namespace paradox::api {

enum class FindingSeverity { Error, Warning, Notice };

struct VerifyFinding {
    std::string table;    // table name as on disk, without extension
    std::string file;     // the file it is about ("ORDERS.PX")
    int code = 0;         // engine error code, 0 when none fits
    int64_t block = -1;   // 1-based block number, -1 when none
    int64_t record = -1;  // 1-based record number in chain order, -1 when none
    std::string text;
    FindingSeverity severity = FindingSeverity::Error;
};

struct VerifyOptions {
    std::vector<std::string> passwords;  // candidates for protected tables
};

// Checks the named tables of dir (names with or without ".DB"), or every table and the family
// members that have no table when `tables` is empty. 9219 when dir cannot be read.
PARADOX_API std::vector<VerifyFinding> VerifyTables(const std::string& dir, const std::vector<std::string>& tables,
                                                    const VerifyOptions& options = {});

struct RepairOptions {
    std::vector<std::string> passwords;
    bool dryRun = false;    // the plan only
    std::string backupDir;  // empty: beside the database, named with the date and time
    bool resort = false;    // re-sort keyed tables whose language driver may order keys otherwise
};

struct RepairReport {
    std::string table;
    std::vector<VerifyFinding> findings;  // what verify found first
    std::vector<std::string> plan;
    std::vector<std::string> notes;       // records set aside, blobs blanked, checks dropped
    bool needed = false;
    bool refused = false;                 // left alone: header unreadable, no password, locked
    bool repaired = false;
    std::string backupDir;
    std::string problemsTable;            // file name, empty when none was needed
    uint64_t recordsKept = 0;
    uint64_t recordsSetAside = 0;
};

// Repairs one table of dir. A failure of the repair itself leaves the table as it was.
PARADOX_API RepairReport RepairTable(const std::string& dir, const std::string& table, const RepairOptions& options = {});

}  // namespace paradox::api
