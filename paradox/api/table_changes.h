// Changing tables: create and restructure requests (the complete new field list with what to do
// with each field, validity checks, links, auxiliary passwords, the master password and the
// options LEVEL, BLOCK SIZE, FILL FACTOR, LANGDRIVER, STRICTINTEGRTY), rename, delete, indexes
// added and deleted in place, batch moves, and the auxiliary passwords a table has. Each change
// replaces the table's files in one crash-safe step: a failure or a crash leaves it old or new.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "paradox/api/export.h"
#include "paradox/api/table.h"
#include "paradox/api/table_structure.h"

namespace paradox::api {

// What a request does with one of its entries.
enum class Operation : std::uint32_t { Keep = 0, Add = 1, Copy = 2, Modify = 3, Drop = 4 };

// A request to create or restructure one table. Each list of operations is empty (no operation
// given) or as long as the list of entries it belongs to (9986 otherwise).
struct TableRequest {
    std::string tableName;  // optionally with extension
    std::string driverType = "PARADOX";
    std::string errorTableName, userName;
    bool protect = false;   // set the master password `password`
    std::string password;
    std::uint16_t pack = 0;
    std::vector<Field> fields;
    std::vector<Operation> fieldOps;
    std::vector<Index> indexes;
    std::vector<Operation> indexOps;
    std::vector<SecurityEntry> security;
    std::vector<Operation> securityOps;
    std::vector<Check> checks;
    std::vector<Operation> checkOps;
    std::vector<Link> links;
    std::vector<Operation> linkOps;
    std::vector<std::pair<std::string, std::string>> options;  // engine option name, value
};

struct CreateOptions {
    std::uint16_t keyFields = 0;  // leading key fields (also taken from a primary index entry)
    bool overwrite = false;       // replace an existing table of that name
};
PARADOX_API void CreateTable(const std::string& dir, const TableRequest& request, const CreateOptions& options = {});

struct RestructureOptions {
    std::vector<std::string> passwords;  // candidates for the current master password
    PasswordCallback askPassword;        // optional, asked after the candidates failed
    // Where records whose new key repeats (or that name no master record) are set aside: a
    // table name, or empty for the first free KEYVIOL name. Without one such a restructure
    // fails with 9729 and changes nothing.
    std::optional<std::string> keyViolationTable;
};
struct RestructureResult {
    std::uint32_t records = 0;   // records in the new table
    std::uint32_t setAside = 0;  // records moved to the key-violation table
    std::string keyViolTable;    // its file name, empty when none was needed
};
// Restructures request.tableName in dir. No fields keep the field list (a password or option
// change). Codes: 10012 invalid operation or field number, 10002 a type change the engine does
// not convert, 9985 a value that would not survive, 10009 a repeated field name, 11522 a bad
// option, 10498 an unknown master password, and those of adding links.
PARADOX_API RestructureResult RestructureTable(const std::string& dir, const TableRequest& request,
                                               const RestructureOptions& options = {});

// Renames the table's whole family in one crash-safe step; the tables linked to it name it
// under the new name from the same step on. 10024 when missing.
PARADOX_API void RenameTable(const std::string& dir, const std::string& from, const std::string& to);
// Deletes the table and every companion file. 10024 when missing.
PARADOX_API void DeleteTable(const std::string& dir, const std::string& name);

struct AddIndexResult {
    std::string keyViolTable;  // the table holding records set aside; empty if none
    std::uint32_t keyViolations = 0;
};
// Adds an index (10027 when one of that name exists, 10023 for an invalid one, 9729 when a
// unique secondary index meets repeated keys); a primary index sets records with repeated keys
// aside into a key-violation table.
PARADOX_API AddIndexResult AddIndex(const std::string& dir, const std::string& table, const Index& index,
                                    const OpenOptions& options = {});
// Deletes the index of that name (case ignored; empty: the primary index). 9997 when there is
// none, 9743 when the primary key is the master key of links, 9748 when a link needs the index.
PARADOX_API void DeleteIndex(const std::string& dir, const std::string& table, const std::string& name,
                             const OpenOptions& options = {});

// The table's auxiliary passwords in entry order; 10498 when the master password is not among
// the candidates.
PARADOX_API std::vector<SecurityEntry> ListAuxPasswords(const std::string& dir, const std::string& table,
                                                        const OpenOptions& options = {});

enum class BatchMode : std::uint8_t { Append = 0, Update = 1, AppendUpdate = 2, Delete = 3, Copy = 4 };
struct BatchMoveRequest {
    std::string sourceDir, sourceTable;
    OpenOptions sourceOptions;
    std::string destDir, destTable;
    OpenOptions destOptions;
    BatchMode mode = BatchMode::Append;
    std::vector<std::string> mappings;  // "Destination=Source" or "Name" lines; empty: by position
    bool abortOnKeyViolation = true;
    bool abortOnProblem = true;
};
struct BatchMoveResult {
    std::uint32_t moved = 0;
    std::uint32_t keyViolations = 0;
    std::uint32_t problems = 0;
    std::string keyViolTable;
};
// Records of a source table into a destination table. 10024 for a missing table, 9729 on a key
// violation, 9985/10002 on a value the destination cannot hold, 9986 for a bad mapping line or
// mode, 10766 when update or delete is asked of an unkeyed destination.
PARADOX_API BatchMoveResult BatchMove(const BatchMoveRequest& request);
// Mapping lines of a text file (blank lines skipped, line ends trimmed); 9986 when missing.
PARADOX_API std::vector<std::string> ReadMappingFile(const std::string& path);

}  // namespace paradox::api
