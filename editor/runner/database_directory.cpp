#include "editor/runner/database_directory.h"

#include "paradox/api/session.h"

namespace vortab {

std::string DatabaseDirectory(const std::string& database) {
    if (const auto alias = paradox::api::FindAlias(database); alias && !alias->path.empty()) return alias->directory;
    return database;
}

}  // namespace vortab
