// Database: an open database of a session: a working directory in which table names resolve,
// its tables listed by pattern, and the table locks this handle holds (released when it closes).
// Also the names of table files: listing them without regard to case and taking paths apart.
#pragma once
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "paradox/api/export.h"
#include "paradox/api/table.h"

namespace paradox::api {

class Session;

enum class DatabaseAccess { ReadWrite, ReadOnly };
enum class LockMode { Shared, Exclusive };

// A table opened through a database handle, with the hold on its lock (shared for a shared
// open, exclusive for an exclusive one); the hold ends with the object.
struct OpenedTable {
    Table table;
    std::shared_ptr<void> hold;
};

class PARADOX_API Database {
public:
    // 10758 when the session is not started; 10014 for an unknown alias.
    explicit Database(Session& session, std::string_view name = {}, DatabaseAccess access = DatabaseAccess::ReadWrite);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Releases every lock this handle holds; the handle cannot be used afterwards.
    void close();
    // Table names resolve in dir ('\' accepted; empty: the current directory); 10018 when dir is
    // not a directory.
    void setDirectory(std::string_view dir);
    const std::string& directory() const;

    // Table files matching pattern (a table name or "*.DB"-style), names with extension.
    std::vector<std::string> listTables(std::string_view pattern) const;
    // Path of a table's .DB in the working directory, found without regard to case.
    std::string tablePath(std::string_view tableName) const;

    // Counted per table and mode; exclusive locks on a read-only handle fail with 10763,
    // unlocking what is not locked with 10242, a lock another process holds with 10245.
    void lockTable(std::string_view tableName, LockMode mode);
    void unlockTable(std::string_view tableName, LockMode mode);

    // Opens a table of the working directory under a lock of this handle, with the session's
    // passwords (known ones first, then its password event).
    OpenedTable openTable(std::string_view tableName, bool exclusive = false);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Table files of dir matching pattern ('*' and '?'; a pattern without a dot gets ".DB"), sorted
// without regard to case; the engine's control files are never listed. 9219 for a missing or
// unreadable directory.
PARADOX_API std::vector<std::string> ListTables(const std::string& dir, std::string_view pattern);
// Finishes the table changes in dir that a killed process left half done (each table comes out
// wholly old or wholly new), so that no table is listed under two names. Never fails.
PARADOX_API void RecoverDirectory(const std::string& dir) noexcept;

// The file-name part of a path written with '/' or '\' separators (and a drive colon).
PARADOX_API std::string FileNamePart(std::string_view path);
// The file-name part without its extension.
PARADOX_API std::string TableBaseName(std::string_view path);

}  // namespace paradox::api
