// Database: an open database handle of a session: a working directory in which table names
// resolve, the tables listed by pattern, and the table locks this handle holds (released when
// the handle closes). Opened with no name (the current directory) or an alias name. A handle
// belongs to one thread at a time.
#pragma once
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "paradox/storage/lock_table.h"
#include "paradox/table/database_locks.h"
#include "paradox/table/table.h"

namespace paradox {

class Session;

enum class DatabaseAccess { ReadWrite, ReadOnly };

// A table opened through a database handle, with the hold on its lock: shared for a shared
// open (no other process may change it), exclusive for an exclusive open (no other process
// may open it through us). The hold ends with the object.
struct OpenedTable {
    Table table;
    std::shared_ptr<void> hold;
};

class Database {
public:
    // 10758 when the session is not started; 10014 for an unknown alias; the directory is
    // checked as by setDirectory.
    Database(Session& session, std::string_view name = {}, DatabaseAccess access = DatabaseAccess::ReadWrite);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Releases every lock this handle holds; the handle cannot be used afterwards.
    void close();
    bool isOpen() const { return open_; }

    // Table names resolve in dir ('\' accepted; an empty text means the current directory).
    // 10018 when dir is not a directory.
    void setDirectory(std::string_view dir);
    const std::string& directory() const { return dir_; }
    DatabaseAccess access() const { return access_; }
    Session& session() const { return session_; }

    // Table files matching pattern (a table name or "*.DB"-style), names with extension.
    std::vector<std::string> listTables(std::string_view pattern) const;
    // Path of a table's .DB file in the working directory; the extension given is replaced
    // by ".DB", the file found without regard to case (the name as given when absent).
    std::string tablePath(std::string_view tableName) const;

    // Lock and unlock a table by name; locks are counted per table and mode. Exclusive locks
    // on a read-only handle fail with 10763; unlocking what is not locked fails with 10242.
    void lockTable(std::string_view tableName, LockMode mode);
    void unlockTable(std::string_view tableName, LockMode mode);
    bool isLocked(std::string_view tableName) const;

    // Opens a table of the working directory under a lock of this handle (counted with
    // lockTable's, so a table this handle locked can still be opened). Passwords come from
    // the session: known ones first, then its password event; 10498 when none fits, 10024
    // when the table is missing, 10245 when another process holds a conflicting lock.
    OpenedTable openTable(std::string_view tableName, bool exclusive = false);

private:
    void requireOpen() const;

    Session& session_;
    DatabaseAccess access_;
    std::string dir_;
    bool open_ = true;
    std::shared_ptr<DatabaseLocks> locks_ = std::make_shared<DatabaseLocks>();
};

}  // namespace paradox
