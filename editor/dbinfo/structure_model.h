// The structure model of a database: tdatabase_Structure, an owning list of tTbl_Structure in
// dependency order (masters before the tables that depend on them), each holding a table's
// properties and its field, index, validity-check and link descriptors as the engine reports them,
// kept in the original engine's packed records (filled from the engine's face as each table is
// read). Tables are read read-only, shared; engine failures propagate as paradox::api::EngineError,
// model lookups fail with GenerationError.
#pragma once
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "editor/dbinfo/progress.h"
#include "paradox/api/table_structure.h"
#include "shared/driver_kind.h"
#include "shared/engine_records.h"
#include "shared/identifier_entry.h"

namespace vortab::dbinfo {

// A failure of the reader or a generator, with the message the user sees.
class GenerationError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class tdatabase_Structure;

// What the reader does when the engine cannot read a table: end the load with the engine's
// error (the editor, whose error box names the table), or note the table and read the rest
// (the command-line tool, which writes everything else and names the failures).
enum class UnreadTables { EndLoad, Collect };

// A table left out of a model read with UnreadTables::Collect: its file name as listed (or as
// a link names it) and the engine's code and text.
struct UnreadTable {
    std::string fileName;
    int code = 0;
    std::string message;
};

// The 1-based position a field had when its table was read (kept in the descriptor's spare slot).
inline std::uint16_t OriginalPosition(const FieldDescriptor& f) { return f.unused[0]; }

// The figures of a table shown in its script header.
struct TableFigures {
    int physicalRecordSize = 0;
    int logicalRecordSize = 0;
    int recordsPerBlock = 0;
    int wastedBytes = 0;
    double wastedPercent = 0.0;
};

class tTbl_Structure {
public:
    // Reads the table at once (ReadTable).
    tTbl_Structure(tdatabase_Structure& owner, const std::string& directory, const std::string& fileName);
    // An empty table, filled by the caller (tests and tools that build models by hand).
    explicit tTbl_Structure(tdatabase_Structure& owner) : owner(&owner) {}

    // Discards the descriptors and reads them again from directory/fileName.
    void ReadTable(const std::string& directory, const std::string& fileName);

    // Name of field n (1-based); GenerationError "Invalid field number" outside 1..field count.
    std::string FieldNameByNumber(int n) const;
    // 1-based position of the first field of that name (case ignored); -1 if none.
    int FieldPosition(const std::string& name) const;
    // The check on the field of that name; null when there is none (or only a table lookup).
    const ValidityCheckDescriptor* VchkForField(const std::string& name) const;
    // True when this table is other, or depends on it directly or through its masters.
    bool DependsOn(const tTbl_Structure& other) const;
    // Links in which this table is the dependent (kind 1) or the master (kind 0).
    std::vector<const RILinkDescriptor*> LinksOfKind(LinkKind kind) const;
    TableFigures Figures() const;

    tdatabase_Structure* owner;
    std::string fileName;                 // the .DB file as found on disk
    paradox::api::TableProperties properties;  // properties.name: the table's name without ".DB"
    std::vector<FieldDescriptor> fields;
    std::vector<IndexDescriptor> indexes;
    std::vector<ValidityCheckDescriptor> checks;
    std::vector<RILinkDescriptor> links;
    // Index files or a .VAL read in part or left out, one line each (the generators write them
    // as remarks).
    std::vector<std::string> warnings;
    std::vector<tTbl_Structure*> DependsOnList;
    // Masters named by links that are not in the database (file-name parts, upper case).
    std::vector<std::string> missingMasters;
    // Field renames found by the differential comparison: upper-cased old name -> field.
    std::map<std::string, const FieldDescriptor*> RenameMap;

    const std::string& name() const { return properties.name; }
};

class tdatabase_Structure {
public:
    // identifiers: the head of the library's identifier chain (null: no library loaded).
    tdatabase_Structure(const IdentifierEntry* identifiers, const std::string& driver = "PARADOX");

    // The first table whose name equals name with both extensions made the default one, case
    // ignored; null if none.
    tTbl_Structure* FindTable(const std::string& name) const;
    // Appends the masters of t's links (reading those not yet in the model) to its DependsOnList.
    void ResolveDependencies(tTbl_Structure& t);
    // Orders the tables so that masters come before the tables that depend on them.
    void SortByDependencies();
    // A table's name with the default extension in place of its own (upper case), for comparisons.
    std::string NormalizedName(const std::string& name) const;

    std::vector<std::unique_ptr<tTbl_Structure>> tables;
    const IdentifierEntry* identifiers;
    std::string driver;  // the driver setting ("PARADOX", "DBASE", "ASCIIDRV")
    vortab::DriverKind DriverKind;
    std::string DefaultExtension;  // ".DB", ".DBF" or ".TXT"
    std::string databaseName;      // as the user named it: an alias or a directory
    std::string directory;         // where the tables are
    UnreadTables onUnread = UnreadTables::EndLoad;
    std::vector<UnreadTable> unread;  // in the order met (only with UnreadTables::Collect)

    // The unread table of that name (compared as FindTable does); null if none.
    const UnreadTable* FindUnread(const std::string& name) const;
    // Reads a table into the model; null when it cannot be read and failures are collected.
    tTbl_Structure* ReadInto(const std::string& fileName);
};

// Reads a database (an alias or a directory) into a model: every table, or the chosen ones with
// their masters. Passwords come from the engine session's known passwords. Without a library
// (identifiers null) the model is empty.
std::unique_ptr<tdatabase_Structure> LoadDatabase(const std::string& databaseName, const std::vector<std::string>& tableNames,
                                                  const IdentifierEntry* identifiers, Progress& progress,
                                                  const std::string& driver = "PARADOX",
                                                  UnreadTables onUnread = UnreadTables::EndLoad);

// One line when an interrupted change left links of dependent tables suspended in the database
// (or their journal is damaged), else empty. Reads only: the next apply restores the links.
std::string SuspendedLinksWarning(const std::string& databaseName);

// Whether a check holds anything a script can state (required, a value, a picture). A check that
// is only a table lookup does not: the generators leave it to a remark and the comparison skips it.
bool HasScriptableParts(const ValidityCheckDescriptor& check);

// ASCII letters upper-cased; other bytes kept, so that names with accented letters still match
// whatever case rule the reader of the script applies.
std::string UpperAscii(std::string text);

}  // namespace vortab::dbinfo
