// What dump and diff share: the library binding that supplies the identifier chain (exit 4 when
// the library cannot be loaded), the table passwords, the progress bar on a terminal and the
// script written as Windows-1252 with CR LF to a file or stdout.
#pragma once
#include <functional>
#include <memory>
#include <string>

#include "cli/cli_command.h"
#include "editor/dbinfo/create_script.h"
#include "editor/dbinfo/progress.h"
#include "editor/runner/library_binding.h"

namespace vortab::cli {

struct GenerationSetup {
    std::string libraryDir;
    LibraryBinding binding;
    const LibraryInfo* info = nullptr;
    std::string outputFile;  // empty: stdout
    std::unique_ptr<dbinfo::Progress> progress;
};

// Takes --library, -o and every --password (and --password-file) from args.
void TakeGenerationOptions(Arguments& args, GenerationSetup& setup);
// Binds the library; 0, or 4 after saying why on stderr.
int BindForGeneration(const std::string& command, GenerationSetup& setup);

// Writes the script; returns 0, or 1 after reporting a write failure.
int WriteScript(const std::string& command, const dbinfo::ScriptLines& lines, const std::string& outputFile);

// Names from the command line (UTF-8) as the engine spells them (Windows-1252).
std::string TableNameArgument(const std::string& utf8);

// Names each table the model could not read on stderr ("vortab COMMAND: DATABASE: FILE: CODE
// TEXT"); returns whether there was one (the command then exits with 1).
bool ReportUnreadTables(const std::string& command, const dbinfo::tdatabase_Structure& model);

// Runs a generation body, turning its failures into messages and exit codes.
int RunGeneration(const std::string& command, const std::function<int()>& body);

}  // namespace vortab::cli
