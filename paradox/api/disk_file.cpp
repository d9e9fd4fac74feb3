// The face's file calls: the disk door's, unchanged.
#include "paradox/api/disk_file.h"

#include "paradox/storage/disk.h"

namespace paradox::api {

int OpenFile(const std::string& path, int flags, unsigned mode) { return disk::Open(path, flags, mode); }

int CloseFile(int fd) { return disk::Close(fd); }

long WriteFile(int fd, const void* data, std::size_t n) { return disk::Write(fd, data, n); }

int SyncFileData(int fd) { return disk::SyncData(fd); }

int SyncDirectoryOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return disk::SyncDirectory(slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash));
}

}  // namespace paradox::api
