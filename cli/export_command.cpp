// vortab export DATABASE TABLE [--format csv|json] [--password P]... [--password-file FILE]: every
// record of a table on stdout, streamed one record at a time through a bounded buffer, so memory
// stays flat however big the table is. CSV (RFC 4180, CRLF line ends) leaves binary blobs out; JSON
// keeps them as base64. Text is decoded from the table's code page (or --code-page N) to UTF-8.
// --format sqlite and --format postgres write whole databases to a file (cli/export/).
#include <iostream>

#include "cli/cli_command.h"
#include "cli/export/sql_export.h"
#include "cli/field_type_names.h"
#include "cli/json_writer.h"
#include "cli/table_access.h"
#include "cli/value_text.h"
#include "paradox/api/engine_error.h"
#include "paradox/api/table.h"
#include "shared/text/code_pages.h"

namespace vortab::cli {
namespace {

constexpr const char* kUsage =
    "usage: vortab export DATABASE TABLE [--format csv|json] [--code-page N] [--password P]... [--password-file FILE]\n"
    "       vortab export DATABASE --format sqlite|postgres -o FILE [TABLE...] [--force] [--code-page N] [--password P]...\n";
constexpr std::size_t kFlushAt = 1 << 16;

void PrintExportHelp() {
    std::cout << kUsage
              << "\nWrites every record of a Paradox table to stdout (UTF-8), or whole tables to a SQLite\n"
                 "database or a PostgreSQL script (see the manual page for the type mapping).\n\n"
                 "  --format csv   (default) a header row of field names, then one row per record;\n"
                 "                 memos as text, bytes fields as base64, binary, OLE and\n"
                 "                 graphic blobs left out (RFC 4180 quoting, CRLF line ends)\n"
                 "  --format json  {\"table\": NAME, \"fields\": [...], \"records\": [[...], ...]};\n"
                 "                 blanks are null, dates \"YYYY-MM-DD\", times \"HH:MM:SS.mmm\",\n"
                 "                 timestamps \"YYYY-MM-DDTHH:MM:SS.mmm\", BCD as a decimal string,\n"
                 "                 bytes and blobs as base64\n"
                 "  --format sqlite    -o FILE: a SQLite database, one table per Paradox table (none\n"
                 "                 named: every table), with keys, indexes, checks and links\n"
                 "  --format postgres  -o FILE: a script that psql loads into an empty database\n"
                 "  --force        replace an existing FILE\n"
                 "  --code-page N  read the texts in code page N whatever the table's header names\n"
                 "  --password P   a password for a protected table (may be given more than once)\n"
                 "  --password-file FILE  passwords, one a line; on a terminal a protected table asks\n";
}

void Flush(std::string& out, bool force) {
    if (!force && out.size() < kFlushAt) return;
    std::cout.write(out.data(), static_cast<std::streamsize>(out.size()));
    out.clear();
}

// Blobs other than memos have no text form; CSV leaves their columns out.
bool InCsv(const paradox::api::Field& f) {
    using paradox::api::ParadoxType;
    return f.paradoxType != ParadoxType::Blob && f.paradoxType != ParadoxType::Ole && f.paradoxType != ParadoxType::Graphic;
}

void ExportCsv(const paradox::api::Table& table, std::string& out) {
    const TextDecoder decoder(TextCodePage(table.properties()));
    const auto& fields = table.fields();
    std::vector<int> columns;
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (InCsv(fields[i])) columns.push_back(static_cast<int>(i));
    for (std::size_t c = 0; c < columns.size(); ++c) {
        if (c > 0) out += ',';
        AppendCsvText(out, decoder.toUtf8(fields[static_cast<std::size_t>(columns[c])].name));
    }
    out += "\r\n";
    paradox::api::RecordReader reader = table.records();
    std::vector<paradox::api::ValueView> row;
    while (reader.next()) {
        reader.views(columns, row);
        AppendCsvRow(out, row, decoder);
        Flush(out, false);
    }
}

void ExportJson(const paradox::api::Table& table, std::string& out) {
    const TextDecoder decoder(TextCodePage(table.properties()));
    const std::vector<paradox::api::Field>& fields = table.fields();
    JsonWriter json(out);
    json.beginObject();
    json.key("table");
    json.string(NameToUtf8(TableTitle(table.properties().name)));
    json.key("fields");
    json.beginArray();
    for (const paradox::api::Field& f : fields) {
        json.beginObject();
        json.key("name");
        json.string(decoder.toUtf8(f.name));
        json.key("type");
        json.string(FieldTypeName(f.type));
        json.key("subtype");
        json.string(FieldSubtypeName(f.subType));
        json.key("size");
        json.integer(f.units1);
        json.key("decimals");
        json.integer(f.units2);
        json.endObject();
    }
    json.endArray();
    json.key("records");
    json.beginArray();
    const int fieldCount = static_cast<int>(fields.size());
    paradox::api::RecordReader reader = table.records();
    std::string row;
    while (reader.next()) {
        row = "\n[";
        for (int i = 0; i < fieldCount; ++i) {
            if (i > 0) row += ',';
            AppendJsonValue(row, reader.view(i), decoder);
        }
        row += ']';
        json.raw(row);
        Flush(out, false);
    }
    json.endArray();
    json.endObject();
    out += "\n";
}

}  // namespace

int RunExport(const Arguments& given) {
    Arguments args = given;
    if (TakeFlag(args, "--help") || TakeFlag(args, "-h")) {
        PrintExportHelp();
        return 0;
    }
    std::string format = "csv";
    TakeOption(args, "--format", format);
    if (!TakeTextCodePage(args, "export")) return 2;
    const paradox::api::OpenOptions options = TakeOpenOptions(args);
    if (format == "sqlite" || format == "postgres") return RunSqlExport(format, args, options);
    if (format != "csv" && format != "json") {
        std::cerr << "vortab export: unknown format '" << format << "'\n" << kUsage;
        return 2;
    }
    if (args.size() != 2 || args[0].rfind("--", 0) == 0 || args[1].rfind("--", 0) == 0) {
        std::cerr << kUsage;
        return 2;
    }
    std::string out;
    try {
        const paradox::api::Table table = paradox::api::Table::Open(args[0], TableNameIn(args[0], args[1]), options);
        if (format == "csv")
            ExportCsv(table, out);
        else
            ExportJson(table, out);
    } catch (const paradox::api::EngineError& e) {
        Flush(out, true);
        std::cout.flush();
        return ReportEngineError("export", e, args[1]);
    }
    Flush(out, true);
    std::cout.flush();
    if (!std::cout) {
        std::cerr << "vortab export: cannot write to stdout\n";
        return 1;
    }
    return 0;
}

}  // namespace vortab::cli
