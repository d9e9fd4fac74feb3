// vortab dump DATABASE [TABLE...]: the script that reproduces the database or the chosen tables.
#include <iostream>

#include "cli/script_generation.h"
#include "editor/dbinfo/create_script.h"

namespace vortab::cli {

int RunDump(const Arguments& given) {
    Arguments args = given;
    GenerationSetup setup;
    if (int code = PrepareGeneration("dump", args, setup); code != 0) return code;
    if (args.empty() || args[0].rfind("-", 0) == 0) {
        std::cerr << "usage: vortab dump DATABASE [TABLE...] [-o FILE] [--password P]... [--library DIR]\n";
        return 2;
    }
    return RunGeneration("dump", [&] {
        std::vector<std::string> tables;
        for (std::size_t i = 1; i < args.size(); ++i) tables.push_back(TableNameArgument(args[i]));
        const auto model = dbinfo::LoadDatabase(args[0], tables, setup.info->chain, *setup.progress);
        dbinfo::ScriptLines lines;
        dbinfo::WriteCreateScript(*model, tables, lines, *setup.progress);
        return WriteScript("dump", lines, setup.outputFile);
    });
}

}  // namespace vortab::cli
