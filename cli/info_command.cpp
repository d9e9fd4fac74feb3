// vortab info DATABASE [TABLE...] [--json] [--password P]... [--password-file FILE]: the structure
// of each named table, or of every table of the directory. A table that cannot be read is reported
// on stderr with its engine code, and in the output in its place (in JSON an entry with "error");
// the others are still shown and the exit code is then 1.
#include <iostream>

#include "cli/cli_command.h"
#include "cli/table_access.h"
#include "cli/table_info.h"
#include "paradox/api/database.h"

namespace vortab::cli {
namespace {

// A table that cannot be read keeps its place in the output: its name and the engine's error.
void WriteUnreadJson(const std::string& name, const paradox::api::EngineError& e, JsonWriter& json) {
    json.beginObject();
    json.key("name"); json.string(NameToUtf8(TableTitle(name)));
    json.key("file"); json.string(NameToUtf8(name));
    json.key("error");
    json.beginObject();
    json.key("code"); json.integer(e.code());
    json.key("message"); json.string(NameToUtf8(e.what()));
    json.endObject();
    json.endObject();
}

void WriteUnreadText(const std::string& name, const paradox::api::EngineError& e, std::string& out) {
    out += "table " + NameToUtf8(TableTitle(name)) + " (" + NameToUtf8(name) + ")\n";
    out += "  cannot be read: " + std::to_string(e.code()) + " " + NameToUtf8(e.what()) + "\n";
}

constexpr const char* kUsage =
    "usage: vortab info DATABASE [TABLE...] [--json] [--code-page N] [--password P]... [--password-file FILE]\n";

void PrintInfoHelp() {
    std::cout << kUsage
              << "\nShows the structure of Paradox tables: fields (type, subtype, size, decimals), indexes,\n"
                 "validity checks, links, level, block size, language driver, record count, protection.\n"
                 "DATABASE is a directory; TABLE names are matched without regard to case, with or\n"
                 "without \".db\". Without TABLE every table of the directory is shown.\n\n"
                 "  --json        one JSON object {\"database\": DIR, \"tables\": [...]} instead of text\n"
                 "  --code-page N read the texts (field names, check values) in code page N; the\n"
                 "                header's page is still shown, with \"text read as N\"\n"
                 "  --password P  a password for protected tables (may be given more than once)\n"
                 "  --password-file FILE  passwords, one a line (keeps them out of process lists)\n"
                 "On a terminal, a protected table that none of them opens asks for its password.\n";
}

}  // namespace

int RunInfo(const Arguments& given) {
    Arguments args = given;
    if (TakeFlag(args, "--help") || TakeFlag(args, "-h")) {
        PrintInfoHelp();
        return 0;
    }
    const bool asJson = TakeFlag(args, "--json");
    if (!TakeTextCodePage(args, "info")) return 2;
    const paradox::api::OpenOptions options = TakeOpenOptions(args);
    if (args.empty() || args[0].rfind("--", 0) == 0) {
        std::cerr << kUsage;
        return 2;
    }
    for (const std::string& a : args) {
        if (a.rfind("--", 0) == 0) {
            std::cerr << "vortab info: unknown option " << a << "\n" << kUsage;
            return 2;
        }
    }
    const std::string dir = args[0];
    std::vector<std::string> names;
    for (std::size_t i = 1; i < args.size(); ++i) names.push_back(TableNameIn(dir, args[i]));
    WarnOfSuspendedLinks("info", dir);
    if (names.empty()) {
        try {
            // A rename or delete a kill left half done is settled first, so that no table is
            // listed under two names (or one that is already gone).
            paradox::api::RecoverDirectory(dir);
            names = paradox::api::ListTables(dir, "*.DB");
        } catch (const paradox::api::EngineError& e) {
            return ReportEngineError("info", e);
        }
    }

    int exitCode = 0;
    std::string out;
    JsonWriter json(out);
    if (asJson) {
        json.beginObject();
        json.key("database");
        json.string(NameToUtf8(dir));
        json.key("tables");
        json.beginArray();
    }
    bool first = true;
    for (const std::string& name : names) {
        try {
            const TableInfo info = ReadTableInfo(dir, name, options);
            if (asJson) {
                WriteInfoJson(info, json);
            } else {
                if (!first) out += "\n";
                WriteInfoText(info, out);
            }
            first = false;
        } catch (const paradox::api::EngineError& e) {
            exitCode = ReportEngineError("info", e, name);
            if (asJson) {
                WriteUnreadJson(name, e, json);
            } else {
                if (!first) out += "\n";
                WriteUnreadText(name, e, out);
            }
            first = false;
        }
        std::cout << out;
        out.clear();
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
