// The texts of a table check and a table repair, shared by the command-line tool and the
// editor's upgrade information window so that both say the same. Texts are 8-bit as the engine
// gives them (table and field names in the table's code page); callers convert at their edge.
#pragma once
#include <string>
#include <vector>

#include "paradox/api/verify.h"

namespace vortab {

// "error", "warning", "notice".
const char* SeverityName(paradox::api::FindingSeverity s);

// "TABLE: FILE: error 8965 block 3 record 12: TEXT" (block and record when known).
std::string FindingLine(const paradox::api::VerifyFinding& f);

// "N error(s), M warning(s)".
std::string FindingSummary(const std::vector<paradox::api::VerifyFinding>& findings);

// A repair report as lines: the verdict ("table T: repaired"), what was found, the plan (or what
// was done), the notes, the counts, the problems table and the backup directory.
std::vector<std::string> RepairReportLines(const paradox::api::RepairReport& r, bool dryRun);

}  // namespace vortab
