// The directory a database name stands for, by the engine's rule (AliasList::databaseDirectory):
// the PATH of the alias of that name (its directory part when it names a file), else the name.
#pragma once
#include <string>

namespace vortab {

std::string DatabaseDirectory(const std::string& database);

}  // namespace vortab
