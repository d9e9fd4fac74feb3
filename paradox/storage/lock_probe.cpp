// Lock-file probes with open-file-description lock queries.
#include "paradox/storage/lock_probe.h"

#include <fcntl.h>
#include <unistd.h>

#include "paradox/storage/engine_error.h"
#include "paradox/storage/disk.h"
#include "paradox/storage/table_list.h"

namespace paradox {

bool IsFileLockedByOther(const std::string& path) {
    int fd = disk::Open(path, O_RDONLY | O_NONBLOCK);
    if (fd < 0) return true;
    struct flock fl {};
    fl.l_type = F_WRLCK;  // a write lock conflicts with any lock, read or write
    fl.l_whence = SEEK_SET;
    fl.l_start = 0;
    fl.l_len = 0;  // to the end of any possible range, also beyond the file's size
    // The query also reports classic per-process record locks, which is how other engines
    // (and Windows programs under Wine or over Samba) lock byte ranges.
    const bool queried = ::fcntl(fd, F_OFD_GETLK, &fl) == 0;
    disk::Close(fd);
    return !queried || fl.l_type != F_UNLCK;
}

std::vector<std::string> EngineControlFiles(const std::string& dir) {
    std::vector<std::string> out;
    for (const char* name : {"PDOXUSRS.LCK", "PARADOX.LCK", "PDOXUSRS.NET"})
        if (auto found = FindFileNoCase(dir, name)) out.push_back(*found);
    return out;
}

void CheckNoForeignEngine(const std::string& dir) {
    for (const std::string& name : EngineControlFiles(dir))
        if (IsFileLockedByOther(PathInDir(dir, name)))
            throw EngineError(err::kFileBusy, name + " is held by another program");
}

}  // namespace paradox
