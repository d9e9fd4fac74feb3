// The directory a database name stands for: the PATH of the engine alias of that name (its
// directory part when it names a file), else the name itself (a directory).
#pragma once
#include <string>

namespace vortab {

std::string DatabaseDirectory(const std::string& database);

}  // namespace vortab
