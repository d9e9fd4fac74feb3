#include "editor/runner/database_directory.h"

#include "paradox/session/alias_list.h"

namespace vortab {

std::string DatabaseDirectory(const std::string& database) {
    return paradox::AliasList::Load(paradox::AliasList::DefaultFile()).databaseDirectory(database);
}

}  // namespace vortab
