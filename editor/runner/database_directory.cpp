#include "editor/runner/database_directory.h"

#include "paradox/api/session.h"

namespace vortab {

std::string DatabaseDirectory(const std::string& database) {
    return paradox::api::DatabaseDirectory(database);
}

}  // namespace vortab
