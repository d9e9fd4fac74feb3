// What info, export and the other reading commands share: the table options of the command
// line (--password, given any number of times) and the report of an engine failure on stderr
// (status code and its text).
#pragma once
#include <cstdint>
#include <string>

#include "cli/cli_command.h"
#include "paradox/api/engine_error.h"
#include "paradox/api/table.h"

namespace vortab::cli {

// Removes every "--password P" and "--password-file FILE" (one password a line) from args;
// the passwords (UTF-8) are handed to the engine in Windows-1252, as tables store them. On a
// terminal, a protected table none of them opens asks for its password (empty gives up).
// Throws std::runtime_error when a password file cannot be read.
paradox::api::OpenOptions TakeOpenOptions(Arguments& args);
// A password from the command line, a file or the terminal, in Windows-1252.
std::string PasswordTo1252(const std::string& text);

// Writes "vortab COMMAND: [SUBJECT: ]CODE TEXT" to stderr and returns the failure exit code 1.
int ReportEngineError(const std::string& command, const paradox::api::EngineError& error, const std::string& subject = {});

// Text from the outside world (file names) as valid UTF-8: kept when it already is,
// otherwise read as Windows-1252.
std::string NameToUtf8(const std::string& name);
// The table a command-line argument names in dir. Arguments are UTF-8 and table names
// Windows-1252, so it is the argument's Windows-1252 form, unless only the bytes as given name
// a table there (a file name written in UTF-8, which NameToUtf8 lists unchanged).
std::string TableNameIn(const std::string& dir, const std::string& argument);

// The code page of a table's texts: the one "--code-page N" named, else the header's, else that
// of its language driver (level 3 headers carry none), else 0, which the decoder reads as
// Windows-1252.
std::uint16_t TextCodePage(const paradox::api::TableProperties& properties);

// Text that mixes file names with a table's own bytes (a finding of verify): kept when it is
// valid UTF-8, otherwise read in the page "--code-page N" named, else as Windows-1252.
std::string TableTextToUtf8(const std::string& text);

// Removes "--code-page N" from args; from then on TextCodePage answers N for every table (texts
// written in the machine's page through a driver whose header names another). False, after
// naming the known pages on stderr, when N is not one of them: a usage error.
bool TakeTextCodePage(Arguments& args, const std::string& command);

// Writes "vortab COMMAND: ..." to stderr when an interrupted change left links of dependent
// tables suspended in the database (a directory or an alias), or their journal is damaged.
// Returns whether it did.
bool WarnOfSuspendedLinks(const std::string& command, const std::string& database);

// The table name without directory and extension ("orders.db" -> "orders").
std::string TableTitle(const std::string& fileName);

}  // namespace vortab::cli
