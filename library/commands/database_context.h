// DatabaseContext: the calling thread's open database. A call naming the same database text and
// driver text (compared exactly) reuses it; any other closes it and opens the new one. A failure
// while opening leaves the thread with an empty context.
#pragma once
#include <memory>
#include <string>

#include "library/engine/engine.h"
#include "shared/driver_kind.h"

namespace vortab {

struct DatabaseContext {
    DriverKind driverKind = DriverKind::Paradox;
    std::string driver;     // as given
    std::string database;   // as given
    std::string directory;  // what the database text resolved to
    std::unique_ptr<engine::Database> handle;
};

DatabaseContext& ThreadDatabaseContext();

// Opens (or reuses) the database for the calling thread; failures are thrown.
void UseDatabase(const std::string& database, const std::string& driver);
// Clears the context and closes its database handle.
void CloseDatabase();
// The open database of the calling thread (9986 when there is none).
engine::Database& ContextDatabase();

// An alias's "PATH" (the directory part when it names a file), otherwise the text itself.
std::string ResolveDatabaseDirectory(const std::string& database);

}  // namespace vortab
