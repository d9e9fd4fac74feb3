// Texts of table checks and repairs.
#include "editor/runner/table_check_texts.h"

#include <algorithm>

namespace vortab {

using paradox::api::FindingSeverity;

const char* SeverityName(FindingSeverity s) {
    switch (s) {
        case FindingSeverity::Error: return "error";
        case FindingSeverity::Warning: return "warning";
        default: return "notice";
    }
}

std::string FindingLine(const paradox::api::VerifyFinding& f) {
    std::string line = f.table + ": " + f.file + ": " + SeverityName(f.severity);
    if (f.code) line += " " + std::to_string(f.code);
    if (f.block >= 0) line += " block " + std::to_string(f.block);
    if (f.record >= 0) line += " record " + std::to_string(f.record);
    return line + ": " + f.text;
}

std::string FindingSummary(const std::vector<paradox::api::VerifyFinding>& findings) {
    const auto count = [&](FindingSeverity s) {
        return std::count_if(findings.begin(), findings.end(), [s](const auto& f) { return f.severity == s; });
    };
    return std::to_string(count(FindingSeverity::Error)) + " error(s), " + std::to_string(count(FindingSeverity::Warning)) +
           " warning(s)";
}

std::vector<std::string> RepairReportLines(const paradox::api::RepairReport& r, bool dryRun) {
    std::vector<std::string> out;
    out.push_back("table " + r.table + ": " +
                  (r.refused ? "left alone" : !r.needed ? "nothing to repair" : dryRun ? "would repair" : "repaired"));
    for (const auto& f : r.findings)
        if (f.severity != FindingSeverity::Notice) out.push_back("  found: " + FindingLine(f));
    for (const auto& p : r.plan) out.push_back((dryRun ? "  plan: " : "  done: ") + p);
    for (const auto& n : r.notes) out.push_back("  note: " + n);
    if (r.repaired) {
        out.push_back("  records kept: " + std::to_string(r.recordsKept) + ", set aside: " + std::to_string(r.recordsSetAside));
        if (!r.problemsTable.empty()) out.push_back("  problems table: " + r.problemsTable);
        out.push_back("  backup: " + r.backupDir);
    }
    return out;
}

}  // namespace vortab
