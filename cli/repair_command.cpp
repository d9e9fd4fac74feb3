// vortab repair DATABASE [TABLE...] [--dry-run] [--backup DIR] [--resort] [--json]
// [--password P]... [--password-file FILE]: rebuilds what verify finds broken, one table at a
// time, each in its own crash-safe step after a backup of its files. Without TABLE every table
// verify flags is repaired. Exit 0 when every table needing it was repaired (or would be, with
// --dry-run), 1 when one was left alone or failed, 2 for usage.
#include <iostream>
#include <set>

#include "cli/cli_command.h"
#include "cli/run_options.h"
#include "cli/table_access.h"
#include "cli/verify_report.h"

namespace vortab::cli {
namespace {

constexpr const char* kUsage =
    "usage: vortab repair DATABASE [TABLE...] [--dry-run] [--backup DIR] [--resort] [--json] [--code-page N] "
    "[--password P]... [--password-file FILE]\n";

void PrintRepairHelp() {
    std::cout << kUsage
              << "\nRepairs Paradox tables that vortab verify finds damaged: the data blocks and record count,\n"
                 "the primary and secondary indexes, blob references (one that leads nowhere becomes blank),\n"
                 "a stale .VAL. Records that cannot be kept go to a PROBLEMS table beside the table. Each table\n"
                 "is taken exclusively, its files are copied to the backup directory, and the new files are\n"
                 "put in place as one crash-safe step. A table whose header cannot be read is left alone.\n\n"
                 "  --dry-run     print the plan, change nothing\n"
                 "  --backup DIR  where the table's files are copied first (default: beside the database,\n"
                 "                DATABASE-repair-YYYYMMDD-HHMMSS)\n"
                 "  --resort      also re-sort keyed tables whose language driver may order keys otherwise\n"
                 "  --json        one JSON object {\"database\", \"dryRun\", \"tables\": [{\"table\", \"needed\",\n"
                 "                \"refused\", \"repaired\", \"plan\", \"notes\", \"backup\", \"problemsTable\",\n"
                 "                \"recordsKept\", \"recordsSetAside\", \"findings\", \"error\"}]}\n"
                 "  --password P  a password for protected tables; --password-file FILE, one a line\n";
}

void WriteStrings(const char* name, const std::vector<std::string>& items, JsonWriter& json) {
    json.key(name);
    json.beginArray();
    for (const auto& s : items) json.string(NameToUtf8(s));
    json.endArray();
}

void WriteReportJson(const paradox::api::RepairReport& r, JsonWriter& json) {
    json.member("table", NameToUtf8(r.table));
    json.key("needed"); json.boolean(r.needed);
    json.key("refused"); json.boolean(r.refused);
    json.key("repaired"); json.boolean(r.repaired);
    WriteStrings("plan", r.plan, json);
    WriteStrings("notes", r.notes, json);
    json.member("backup", NameToUtf8(r.backupDir));
    json.member("problemsTable", NameToUtf8(r.problemsTable));
    json.memberInteger("recordsKept", static_cast<int64_t>(r.recordsKept));
    json.memberInteger("recordsSetAside", static_cast<int64_t>(r.recordsSetAside));
    json.key("findings");
    json.beginArray();
    for (const auto& f : r.findings) WriteFindingJson(f, json);
    json.endArray();
}

// The tables verify flags with an error, in the order it found them.
std::vector<std::string> FlaggedTables(const std::string& dir, const std::vector<std::string>& passwords) {
    std::vector<std::string> names;
    std::set<std::string> seen;
    for (const auto& f : paradox::api::VerifyTables(dir, {}, {passwords}))
        if (f.severity == paradox::api::FindingSeverity::Error && seen.insert(f.table).second) names.push_back(f.table);
    return names;
}

}  // namespace

int RunRepair(const Arguments& given) {
    Arguments args = given;
    if (TakeFlag(args, "--help") || TakeFlag(args, "-h")) {
        PrintRepairHelp();
        return 0;
    }
    paradox::api::RepairOptions options;
    const bool asJson = TakeFlag(args, "--json");
    options.dryRun = TakeFlag(args, "--dry-run");
    options.resort = TakeFlag(args, "--resort");
    TakeOption(args, "--backup", options.backupDir);
    if (!TakeTextCodePage(args, "repair")) return 2;
    options.passwords = TakeOpenOptions(args).passwords;
    if (args.empty() || !FirstOption(args).empty()) {
        if (!FirstOption(args).empty()) std::cerr << "vortab repair: unknown option " << FirstOption(args) << "\n";
        std::cerr << kUsage;
        return 2;
    }
    const std::string dir = args[0];
    std::vector<std::string> tables;
    for (std::size_t i = 1; i < args.size(); ++i) tables.push_back(TableNameIn(dir, args[i]));
    try {
        if (tables.empty()) tables = FlaggedTables(dir, options.passwords);
    } catch (const paradox::api::EngineError& e) {
        return ReportEngineError("repair", e);
    }
    int exitCode = 0;
    std::string out;
    JsonWriter json(out);
    if (asJson) {
        json.beginObject();
        json.member("database", NameToUtf8(dir));
        json.key("dryRun"); json.boolean(options.dryRun);
        json.key("tables");
        json.beginArray();
    }
    for (const std::string& table : tables) {
        if (asJson) json.beginObject();
        try {
            const paradox::api::RepairReport r = paradox::api::RepairTable(dir, table, options);
            if (r.refused) exitCode = 1;
            if (asJson) WriteReportJson(r, json);
            else
                for (const std::string& line : vortab::RepairReportLines(r, options.dryRun)) out += TableTextToUtf8(line) + "\n";
        } catch (const paradox::api::EngineError& e) {
            exitCode = ReportEngineError("repair", e, table);
            if (asJson) {
                json.member("table", NameToUtf8(table));
                json.key("error");
                json.beginObject();
                json.memberInteger("code", e.code());
                json.member("message", NameToUtf8(e.what()));
                json.endObject();
            } else {
                out += "table " + NameToUtf8(table) + ": not repaired: " + std::to_string(e.code()) + " " + NameToUtf8(e.what()) + "\n";
            }
        }
        if (asJson) json.endObject();
        if (!asJson) {
            std::cout << out << std::flush;
            out.clear();
        }
    }
    if (asJson) {
        json.endArray();
        json.endObject();
        out += "\n";
    }
    std::cout << out << std::flush;
    return exitCode;
}

}  // namespace vortab::cli
