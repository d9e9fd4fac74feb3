// Findings as text and JSON.
#include "cli/verify_report.h"

#include "cli/table_access.h"

namespace vortab::cli {

using paradox::api::FindingSeverity;

using vortab::SeverityName;

void WriteFindingJson(const paradox::api::VerifyFinding& f, JsonWriter& json) {
    json.beginObject();
    json.member("table", NameToUtf8(f.table));
    json.member("file", NameToUtf8(f.file));
    json.member("severity", SeverityName(f.severity));
    json.memberInteger("code", f.code);
    json.key("block");
    if (f.block >= 0) json.integer(f.block);
    else json.null();
    json.key("record");
    if (f.record >= 0) json.integer(f.record);
    else json.null();
    json.member("text", TableTextToUtf8(f.text));
    json.endObject();
}

FindingCounts CountFindings(const std::vector<paradox::api::VerifyFinding>& findings) {
    FindingCounts c;
    for (const auto& f : findings) {
        if (f.severity == FindingSeverity::Error) ++c.errors;
        else if (f.severity == FindingSeverity::Warning) ++c.warnings;
        else ++c.notices;
    }
    return c;
}

}  // namespace vortab::cli
