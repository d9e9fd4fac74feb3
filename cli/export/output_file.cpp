// The export's output file: written under a temporary name beside it, synced, then renamed, so
// that an interrupted export never leaves a half-written FILE (nor replaces a good one).
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>

#include "cli/export/sql_target.h"

namespace vortab::cli::sqlexport {

std::string TemporaryPathFor(const std::string& path) {
    return path + ".partial-" + std::to_string(::getpid());
}

void PutInPlace(const std::string& temporary, const std::string& path) {
    const int fd = ::open(temporary.c_str(), O_RDONLY);
    const bool synced = fd >= 0 && ::fsync(fd) == 0;
    if (fd >= 0) ::close(fd);
    if (!synced || std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        throw std::runtime_error("cannot put " + path + " in place");
    }
}

}  // namespace vortab::cli::sqlexport
