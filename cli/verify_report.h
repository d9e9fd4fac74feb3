// What verify and repair share on the command line: their options (tables, passwords, JSON) and
// the findings written as text lines or as JSON objects.
#pragma once
#include <string>
#include <vector>

#include "cli/cli_command.h"
#include "cli/json_writer.h"
#include "paradox/api/verify.h"

namespace vortab::cli {

// Severity as the output names it: "error", "warning", "notice".
const char* SeverityName(paradox::api::FindingSeverity s);

// "TABLE: FILE: error 8965 block 3 record 12: TEXT" (block and record when known).
std::string FindingLine(const paradox::api::VerifyFinding& f);

// {"table", "file", "severity", "code", "block", "record", "text"}; block and record null when unknown.
void WriteFindingJson(const paradox::api::VerifyFinding& f, JsonWriter& json);

struct FindingCounts {
    std::size_t errors = 0, warnings = 0, notices = 0;
};
FindingCounts CountFindings(const std::vector<paradox::api::VerifyFinding>& findings);

}  // namespace vortab::cli
