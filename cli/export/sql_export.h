// vortab export DATABASE --format sqlite|postgres -o FILE [TABLE...]: the tables (none named:
// every table of the directory) as one SQLite database or one PostgreSQL script.
#pragma once
#include <string>

#include "cli/cli_command.h"
#include "paradox/api/table.h"

namespace vortab::cli {

// args: what is left of the command line after --format, --code-page and the passwords.
int RunSqlExport(const std::string& format, Arguments args, const paradox::api::OpenOptions& options);

}  // namespace vortab::cli
