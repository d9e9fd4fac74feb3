// vortab diff ORIGINAL CURRENT: the script that turns ORIGINAL's structure into CURRENT's.
// --exit-code: 1 when the script has a step, 0 when every table is unchanged. A table that either
// side cannot read is a remark (never a create or a drop) and a line on stderr; the exit code is
// then 1, with or without --exit-code.
#include <iostream>

#include "cli/run_options.h"
#include "cli/script_generation.h"
#include "cli/table_access.h"
#include "editor/dbinfo/diff_script.h"
#include "paradox/api/engine_error.h"

namespace vortab::cli {

namespace {

bool HasStep(const dbinfo::ScriptLines& lines) {
    for (const std::string& line : lines)
        if (!line.empty() && line[0] == ' ') return true;
    return false;
}

}  // namespace

int RunDiff(const Arguments& given) {
    Arguments args = given;
    GenerationSetup setup;
    TakeGenerationOptions(args, setup);
    if (!TakeTextCodePage(args, "diff")) return 2;
    std::string currentTable, originalTable;
    const bool hasTable = TakeOption(args, "--table", currentTable);
    const bool hasOriginalTable = TakeOption(args, "--original-table", originalTable);
    dbinfo::DiffSettings settings;
    if (TakeFlag(args, "--no-invariant")) settings.invariant = false;
    if (TakeFlag(args, "--invariant")) settings.invariant = true;
    settings.ignoreCase = TakeFlag(args, "--ignore-case");
    const bool exitCode = TakeFlag(args, "--exit-code");
    if (args.size() != 2 || (hasOriginalTable && !hasTable) || !FirstOption(args).empty()) {
        std::cerr << "usage: vortab diff ORIGINAL CURRENT [--table NAME [--original-table NAME]] [--invariant | "
                     "--no-invariant] [--ignore-case] [-o FILE] [--exit-code] [--code-page N] [--password P]... [--library DIR]\n";
        return 2;
    }
    if (int code = BindForGeneration("diff", setup); code != 0) return code;
    return RunGeneration("diff", [&] {
        currentTable = TableNameArgument(currentTable);
        originalTable = hasOriginalTable ? TableNameArgument(originalTable) : currentTable;
        std::vector<std::string> currentTables, originalTables;
        if (hasTable) {
            currentTables.push_back(currentTable);
            originalTables.push_back(originalTable);
        }
        WarnOfSuspendedLinks("diff", args[0]);
        WarnOfSuspendedLinks("diff", args[1]);
        std::unique_ptr<dbinfo::tdatabase_Structure> original;
        try {
            original = dbinfo::LoadDatabase(args[0], originalTables, setup.info->chain, *setup.progress, "PARADOX",
                                            dbinfo::UnreadTables::Collect);
        } catch (const paradox::api::EngineError& e) {
            // A table the original database lacks is written whole, as one new to it.
            if (!hasTable || e.code() != paradox::api::err::kNoSuchTable) throw;
            original = dbinfo::LoadDatabase(args[0], {}, nullptr, *setup.progress);
        }
        const auto current = dbinfo::LoadDatabase(args[1], currentTables, setup.info->chain, *setup.progress, "PARADOX",
                                                  dbinfo::UnreadTables::Collect);
        dbinfo::ScriptLines lines;
        dbinfo::WriteDiffScript(*current, settings, lines, currentTable, originalTable, original.get(), *setup.progress);
        if (int code = WriteScript("diff", lines, setup.outputFile); code != 0) return code;
        const bool originalUnread = ReportUnreadTables("diff", *original);
        if (ReportUnreadTables("diff", *current) || originalUnread) return 1;
        return exitCode && HasStep(lines) ? 1 : 0;
    });
}

}  // namespace vortab::cli
