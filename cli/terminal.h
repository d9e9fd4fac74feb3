// The tool's dealings with a user at a terminal: whether there is one, questions answered
// there, passwords read without echo, and Ctrl-C turned into a stop at the next step. Without a
// terminal nothing here asks anything.
#pragma once
#include <optional>
#include <string>

namespace vortab::cli {

// True when stdin and stderr are terminals and the controlling terminal can be opened.
bool IsInteractive();
bool StderrIsTerminal();
// Columns of the terminal on stderr (80 when unknown).
int TerminalColumns();

// Asks a yes/no question on the terminal; true only for an answer that begins with y or Y.
bool AskYesNo(const std::string& question);
// Reads one line from the terminal with echo off (UTF-8 as typed); nullopt at end of input.
std::optional<std::string> ReadSecret(const std::string& prompt);

// After this, the first Ctrl-C, SIGTERM or SIGHUP only sets StopRequested() (a run stops
// before its next step, and a dry run's scratch copy is removed); a second one ends the
// process as usual.
void StopOnInterrupt();
bool StopRequested();

}  // namespace vortab::cli
