// The script that reproduces a database, or chosen tables of it: per table a banner, header
// remarks with its figures, then numbered steps (a ":#n description" line and one command line
// starting with a blank) that create it, set its attributes and add fields, indexes, checks and
// links. Step numbers run on across tables. Lines are Windows-1252 text without line ends.
#pragma once
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "editor/dbinfo/progress.h"
#include "editor/dbinfo/structure_model.h"

namespace vortab::dbinfo {

using ScriptLines = std::vector<std::string>;

// Appends ":#n description" after advancing the counter, then " command". A command that would
// not stay on one line (a name with a control character) becomes a remark instead, so that no
// name can break a script's lines apart.
void WriteStep(int& stepCounter, ScriptLines& lines, const std::string& description, const std::string& command);
void WriteUnwritableStep(ScriptLines& lines, const std::string& command);
bool FitsOnOneLine(const std::string& text);
// Control characters shown as "?" (remarks and step descriptions).
std::string OnOneLine(std::string text);
// Appends ":#n text" with the counter's current number (the extra lines of a step).
void WriteStepNote(int stepCounter, ScriptLines& lines, const std::string& text);
// A remark that says what the script cannot express.
void WriteRemark(ScriptLines& lines, const std::string& text);

// A banner and a remark per table of the model that could not be read, naming the engine's
// code and text; prefix ("Original: ") tells the databases of a comparison apart.
void WriteUnreadTables(const tdatabase_Structure& model, ScriptLines& lines, const std::string& prefix = {});

// The text centred in 78 columns after ":", with optional "=" rules before and after.
void WriteBanner(const std::string& text, ScriptLines& lines, bool ruleBefore, bool ruleAfter);

// "Script created " and the current local date and time.
std::string CreationStamp();

// Whole database with its header (tableNames empty), or the chosen tables without header.
// libraryVersion: the "VORTAB.DLL version: ..." text, empty when unknown.
void WriteCreateScript(const tdatabase_Structure& model, const std::vector<std::string>& tableNames, ScriptLines& lines,
                       Progress& progress, const std::string& libraryVersion = {});

// Links held back because their master is created later in the same script (tables that
// depend on each other in a cycle): they are written after the last table block.
struct LinkDeferral {
    std::set<const tTbl_Structure*> notYetCreated;
    std::vector<std::pair<const tTbl_Structure*, const RILinkDescriptor*>> links;
};

// One table's block.
void WriteTableBlock(const tTbl_Structure& t, int& stepCounter, ScriptLines& lines, bool detailed,
                     const std::string& titleSuffix, LinkDeferral* deferral = nullptr);

// The steps that add t's dependent link (or the remark why it cannot be written).
void WriteLinkAdd(const tTbl_Structure& t, const RILinkDescriptor& link, int& stepCounter, ScriptLines& lines,
                  const std::string& descriptionPrefix);

// The lines joined with CR LF after every line, as script files are stored.
std::string JoinScriptLines(const ScriptLines& lines);

}  // namespace vortab::dbinfo
