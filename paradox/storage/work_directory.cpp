#include "paradox/storage/work_directory.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <vector>

#include "paradox/storage/disk.h"
#include "paradox/storage/engine_error.h"
#include "paradox/storage/table_family.h"

namespace paradox {
namespace {

constexpr char kOwnerFile[] = "owner";
// A directory whose owner file was never made is left this long to the process making it.
constexpr time_t kUnownedGraceSeconds = 60;

bool LockOwner(int fd) {
    struct flock fl {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    return ::fcntl(fd, F_OFD_SETLK, &fl) == 0;
}

void RemoveTree(const std::string& path) {
    if (DIR* d = ::opendir(path.c_str())) {
        std::vector<std::string> names;
        while (dirent* e = ::readdir(d)) {
            const std::string n = e->d_name;
            if (n != "." && n != "..") names.push_back(n);
        }
        ::closedir(d);
        for (const auto& n : names) disk::Unlink(JoinPath(path, n));
    }
    disk::RemoveDirectory(path);
}

// True when nobody owns the work directory at path any longer.
bool Abandoned(const std::string& path) {
    const int fd = disk::Open(JoinPath(path, kOwnerFile), O_RDWR);
    if (fd < 0) {
        struct stat st {};
        return ::stat(path.c_str(), &st) == 0 && std::time(nullptr) - st.st_mtime > kUnownedGraceSeconds;
    }
    const bool free = LockOwner(fd);
    disk::Close(fd);
    return free;
}

}  // namespace

WorkDirectory::WorkDirectory(const std::string& parent) {
    std::string pattern = JoinPath(parent, std::string(kWorkDirectoryPrefix) + "XXXXXX");
    if (!::mkdtemp(pattern.data()))
        throw EngineError(errno == EACCES || errno == EROFS ? err::kReadOnlyDir : err::kWriteErr, pattern);
    path_ = pattern;
    ownerFd_ = disk::Open(JoinPath(path_, kOwnerFile), O_RDWR | O_CREAT | O_EXCL);
    if (ownerFd_ < 0 || !LockOwner(ownerFd_)) {
        if (ownerFd_ >= 0) disk::Close(ownerFd_);
        ownerFd_ = -1;
        RemoveTree(path_);
        throw EngineError(err::kWriteErr, path_);
    }
}

WorkDirectory::~WorkDirectory() {
    RemoveTree(path_);
    if (ownerFd_ >= 0) disk::Close(ownerFd_);
}

bool RemoveAbandonedWorkDirectories(const std::string& dir) {
    std::vector<std::string> found;
    if (DIR* d = ::opendir(dir.empty() ? "." : dir.c_str())) {
        while (dirent* e = ::readdir(d)) {
            const std::string n = e->d_name;
            if (n.starts_with(kWorkDirectoryPrefix)) found.push_back(JoinPath(dir, n));
        }
        ::closedir(d);
    }
    bool removed = false;
    for (const auto& path : found) {
        if (!Abandoned(path)) continue;
        RemoveTree(path);
        removed = true;
    }
    return removed;
}

}  // namespace paradox
