// The table checker: reads every file of a table family under a shared lock, writes no byte of
// any of them, and reports what is damaged as findings (finding.h). A table it cannot open or
// lock is a finding of its own, and the check goes on with the next table.
#pragma once
#include <string>
#include <vector>

#include "paradox/verify/finding.h"

namespace paradox::verify {

struct VerifyOptions {
    std::vector<std::string> passwords;  // candidates for protected tables
};

// Checks one table of dir (name with or without ".DB"), adding its findings to out.
void VerifyTable(const std::string& dir, const std::string& name, const VerifyOptions& options, std::vector<Finding>& out);

// Checks the named tables of dir, or every table and the family members that have no table
// when `tables` is empty. 9219 when dir cannot be read.
std::vector<Finding> VerifyTables(const std::string& dir, const std::vector<std::string>& tables,
                                  const VerifyOptions& options);

// Whether a family swap of the table was interrupted and waits for recovery.
bool HasPendingChange(const std::string& dir, const std::string& base);

// Whether any finding is an error.
bool AnyError(const std::vector<Finding>& findings);

}  // namespace paradox::verify
