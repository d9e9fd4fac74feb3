#include "editor/runner/database_directory.h"

#include "paradox/session/alias_list.h"

namespace vortab {

std::string DatabaseDirectory(const std::string& database) {
    const paradox::AliasList aliases = paradox::AliasList::Load(paradox::AliasList::DefaultFile());
    if (const paradox::Alias* alias = aliases.find(database); alias && !alias->path().empty()) return alias->directory();
    return database;
}

}  // namespace vortab
