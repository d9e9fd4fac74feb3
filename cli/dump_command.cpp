// vortab dump DATABASE [TABLE...]: the script that reproduces the database or the chosen tables.
// A table that cannot be read is a remark in the script and a line on stderr; the others are
// still written, and the exit code is then 1.
#include <iostream>

#include "cli/run_options.h"
#include "cli/script_generation.h"
#include "cli/table_access.h"
#include "editor/dbinfo/create_script.h"

namespace vortab::cli {

int RunDump(const Arguments& given) {
    Arguments args = given;
    GenerationSetup setup;
    TakeGenerationOptions(args, setup);
    if (!TakeTextCodePage(args, "dump")) return 2;
    if (args.empty() || !FirstOption(args).empty()) {
        std::cerr << "usage: vortab dump DATABASE [TABLE...] [-o FILE] [--code-page N] [--password P]... [--library DIR]\n";
        return 2;
    }
    if (int code = BindForGeneration("dump", setup); code != 0) return code;
    return RunGeneration("dump", [&] {
        std::vector<std::string> tables;
        for (std::size_t i = 1; i < args.size(); ++i) tables.push_back(TableNameArgument(args[i]));
        WarnOfSuspendedLinks("dump", args[0]);
        const auto model = dbinfo::LoadDatabase(args[0], tables, setup.info->chain, *setup.progress, "PARADOX",
                                                dbinfo::UnreadTables::Collect);
        dbinfo::ScriptLines lines;
        dbinfo::WriteCreateScript(*model, tables, lines, *setup.progress);
        if (int code = WriteScript("dump", lines, setup.outputFile); code != 0) return code;
        return ReportUnreadTables("dump", *model) ? 1 : 0;
    });
}

}  // namespace vortab::cli
