// DatabaseContext: the calling thread's open database. A call that names the same database
// text and driver text (compared exactly) reuses it; any other closes it and opens the new one.
// Opening resolves the text to a directory and checks that the directory can be used.
#pragma once
#include <string>

#include "shared/driver_kind.h"

namespace vortab {

struct DatabaseContext {
    DriverKind driverKind = DriverKind::Paradox;
    std::string driver;      // as given
    std::string database;    // as given
    std::string directory;   // what the database text resolved to
    bool open = false;
};

// The calling thread's context.
DatabaseContext& ThreadDatabaseContext();

// Opens (or reuses) the database for the calling thread; on failure the context is cleared and
// the failure (an engine error) is thrown.
void UseDatabase(const std::string& database, const std::string& driver);
void CloseDatabase();

// The directory a database text names: the text itself, with "\" read as "/".
std::string ResolveDatabaseDirectory(const std::string& database);

}  // namespace vortab
