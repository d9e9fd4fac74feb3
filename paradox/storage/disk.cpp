// The disk door: thin wrappers over the POSIX calls, each telling the observer (when a test
// installed one) what it changed, and each sync asking the fault switch first.
#include "paradox/storage/disk.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "paradox/storage/fault_injection.h"

namespace paradox::disk {

namespace {
std::atomic<Observer*> g_observer{nullptr};

Observer* Watcher() { return g_observer.load(std::memory_order_acquire); }

// True (errno EIO) when the fault switch fails this sync.
bool SyncFails() {
    if (!fault::SyncShouldFail()) return false;
    errno = EIO;
    return true;
}
}  // namespace

void Observe(Observer* observer) { g_observer.store(observer, std::memory_order_release); }

int Open(const std::string& path, int flags, mode_t mode) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC, mode);
    if (fd >= 0)
        if (Observer* o = Watcher()) o->opened(fd, path, flags);
    return fd;
}

int Close(int fd) {
    if (Observer* o = Watcher()) o->closed(fd);
    return ::close(fd);
}

ssize_t WriteAt(int fd, const void* data, std::size_t n, uint64_t offset) {
    const ssize_t r = ::pwrite(fd, data, n, static_cast<off_t>(offset));
    if (r > 0)
        if (Observer* o = Watcher()) o->wrote(fd, offset, data, static_cast<std::size_t>(r));
    return r;
}

ssize_t Write(int fd, const void* data, std::size_t n) {
    const ssize_t r = ::write(fd, data, n);
    if (r > 0)
        if (Observer* o = Watcher()) {
            const off_t end = ::lseek(fd, 0, SEEK_CUR);
            o->wrote(fd, static_cast<uint64_t>(end - r), data, static_cast<std::size_t>(r));
        }
    return r;
}

int Truncate(int fd, uint64_t size) {
    const int r = ::ftruncate(fd, static_cast<off_t>(size));
    if (r == 0)
        if (Observer* o = Watcher()) o->truncated(fd, size);
    return r;
}

int SyncFile(int fd) {
    if (SyncFails()) return -1;
    const int r = ::fsync(fd);
    if (r == 0)
        if (Observer* o = Watcher()) o->synced(fd);
    return r;
}

int SyncData(int fd) {
    if (SyncFails()) return -1;
    const int r = ::fdatasync(fd);
    if (r == 0)
        if (Observer* o = Watcher()) o->synced(fd);
    return r;
}

int SyncDirectory(const std::string& dir) {
    const std::string where = dir.empty() ? "." : dir;
    if (SyncFails()) return -1;
    const int fd = ::open(where.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return -1;
    const int r = ::fsync(fd);
    const int e = errno;
    ::close(fd);
    errno = e;
    if (r == 0)
        if (Observer* o = Watcher()) o->syncedDirectory(where);
    return r;
}

int Rename(const std::string& from, const std::string& to) {
    const int r = ::rename(from.c_str(), to.c_str());
    if (r == 0)
        if (Observer* o = Watcher()) o->renamed(from, to);
    return r;
}

int Link(const std::string& from, const std::string& to) {
    const int r = ::link(from.c_str(), to.c_str());
    if (r == 0)
        if (Observer* o = Watcher()) o->linked(from, to);
    return r;
}

int Unlink(const std::string& path) {
    const int r = ::unlink(path.c_str());
    if (r == 0)
        if (Observer* o = Watcher()) o->unlinked(path);
    return r;
}

int MakeDirectory(const std::string& path, mode_t mode) {
    const int r = ::mkdir(path.c_str(), mode);
    if (r == 0)
        if (Observer* o = Watcher()) o->madeDirectory(path);
    return r;
}

int RemoveDirectory(const std::string& path) { return ::rmdir(path.c_str()); }

}  // namespace paradox::disk
