// The face of the table checker and repair: converting the engine's findings and reports.
#include "paradox/api/verify.h"

#include "paradox/api/engine_call_internal.h"
#include "paradox/verify/repair.h"
#include "paradox/verify/verify_tables.h"

namespace paradox::api {
namespace {

std::vector<VerifyFinding> FindingsOf(const std::vector<paradox::verify::Finding>& in) {
    std::vector<VerifyFinding> out;
    out.reserve(in.size());
    for (const auto& f : in)
        out.push_back(VerifyFinding{f.table, f.file, f.code, f.block, f.record, f.text, static_cast<FindingSeverity>(f.severity)});
    return out;
}

}  // namespace

std::vector<VerifyFinding> VerifyTables(const std::string& dir, const std::vector<std::string>& tables,
                                        const VerifyOptions& options) {
    return detail::Call([&] { return FindingsOf(paradox::verify::VerifyTables(dir, tables, {options.passwords})); });
}

RepairReport RepairTable(const std::string& dir, const std::string& table, const RepairOptions& options) {
    return detail::Call([&] {
        const paradox::verify::RepairReport r = paradox::verify::RepairTable(
            dir, table, {options.passwords, options.dryRun, options.backupDir, options.resort});
        RepairReport out;
        out.table = r.table;
        out.findings = FindingsOf(r.findings);
        out.plan = r.plan;
        out.notes = r.notes;
        out.needed = r.needed;
        out.refused = r.refused;
        out.repaired = r.repaired;
        out.backupDir = r.backupDir;
        out.problemsTable = r.problemsTable;
        out.recordsKept = r.recordsKept;
        out.recordsSetAside = r.recordsSetAside;
        return out;
    });
}

}  // namespace paradox::api
