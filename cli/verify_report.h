// What verify and repair share on the command line: their options (tables, passwords, JSON) and
// the findings written as text lines or as JSON objects.
#pragma once
#include <string>
#include <vector>

#include "cli/cli_command.h"
#include "cli/json_writer.h"
#include "editor/runner/table_check_texts.h"
#include "paradox/api/verify.h"

namespace vortab::cli {

// {"table", "file", "severity", "code", "block", "record", "text"}; block and record null when unknown.
void WriteFindingJson(const paradox::api::VerifyFinding& f, JsonWriter& json);

struct FindingCounts {
    std::size_t errors = 0, warnings = 0, notices = 0;
};
FindingCounts CountFindings(const std::vector<paradox::api::VerifyFinding>& findings);

}  // namespace vortab::cli
