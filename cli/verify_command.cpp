// vortab verify DATABASE [TABLE...] [--json] [--password P]... [--password-file FILE]
// [--code-page N]: checks every file of each table family, reading only, and lists what is
// damaged. Exit 0 when no finding is an error, 1 when one is, 2 for usage.
#include <iostream>

#include "cli/cli_command.h"
#include "cli/run_options.h"
#include "cli/table_access.h"
#include "cli/verify_report.h"

namespace vortab::cli {
namespace {

constexpr const char* kUsage =
    "usage: vortab verify DATABASE [TABLE...] [--json] [--code-page N] [--password P]... [--password-file FILE]\n";

void PrintVerifyHelp() {
    std::cout << kUsage
              << "\nChecks Paradox tables without changing them: the header, the data-block chain and the\n"
                 "record count, the primary and secondary indexes, the blob references into the .MB, the\n"
                 ".VAL and its links, and family members without a table. Each finding names the table,\n"
                 "the file, the engine code, the block or record, and what is wrong. Without TABLE every\n"
                 "table of the directory is checked.\n\n"
                 "  --json        one JSON object {\"database\", \"clean\", \"errors\", \"warnings\",\n"
                 "                \"notices\", \"findings\": [{\"table\", \"file\", \"severity\", \"code\",\n"
                 "                \"block\", \"record\", \"text\"}]}\n"
                 "  --code-page N read field names in the texts in code page N (else Windows-1252)\n"
                 "  --password P  a password for protected tables (may be given more than once)\n"
                 "  --password-file FILE  passwords, one a line\n"
                 "Exit code: 0 when nothing is an error (warnings allowed), 1 when something is, 2 usage.\n";
}

}  // namespace

int RunVerify(const Arguments& given) {
    Arguments args = given;
    if (TakeFlag(args, "--help") || TakeFlag(args, "-h")) {
        PrintVerifyHelp();
        return 0;
    }
    const bool asJson = TakeFlag(args, "--json");
    if (!TakeTextCodePage(args, "verify")) return 2;
    paradox::api::VerifyOptions options;
    options.passwords = TakeOpenOptions(args).passwords;
    if (args.empty() || !FirstOption(args).empty()) {
        if (!FirstOption(args).empty()) std::cerr << "vortab verify: unknown option " << FirstOption(args) << "\n";
        std::cerr << kUsage;
        return 2;
    }
    const std::string dir = args[0];
    std::vector<std::string> tables;
    for (std::size_t i = 1; i < args.size(); ++i) tables.push_back(TableNameIn(dir, args[i]));
    std::vector<paradox::api::VerifyFinding> findings;
    try {
        findings = paradox::api::VerifyTables(dir, tables, options);
    } catch (const paradox::api::EngineError& e) {
        return ReportEngineError("verify", e);
    }
    const FindingCounts n = CountFindings(findings);
    std::string out;
    if (asJson) {
        JsonWriter json(out);
        json.beginObject();
        json.member("database", NameToUtf8(dir));
        json.key("clean");
        json.boolean(n.errors == 0);
        json.memberInteger("errors", static_cast<int64_t>(n.errors));
        json.memberInteger("warnings", static_cast<int64_t>(n.warnings));
        json.memberInteger("notices", static_cast<int64_t>(n.notices));
        json.key("findings");
        json.beginArray();
        for (const auto& f : findings) WriteFindingJson(f, json);
        json.endArray();
        json.endObject();
        out += "\n";
    } else {
        for (const auto& f : findings) out += TableTextToUtf8(vortab::FindingLine(f)) + "\n";
        out += vortab::FindingSummary(findings) + "\n";
    }
    std::cout << out << std::flush;
    return n.errors ? 1 : 0;
}

}  // namespace vortab::cli
