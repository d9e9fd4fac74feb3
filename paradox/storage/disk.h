// The engine's one door to the disk: every open, write, truncate, sync, rename, link, unlink and mkdir
// the engine makes passes through these calls, which behave as the POSIX calls they wrap (the
// result, and errno on failure). For tests, an Observer sees every change (the power-cut tests
// record one operation with it), and the sync fault switch (fault::ArmSyncFailure) can make any
// sync fail with EIO, as a failing disk would.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/types.h>

namespace paradox::disk {

// Sees each call after it succeeded. Installed by tests only; the product runs without one.
class Observer {
public:
    virtual ~Observer() = default;
    virtual void opened(int fd, const std::string& path, int flags) = 0;
    virtual void wrote(int fd, uint64_t offset, const void* data, std::size_t n) = 0;
    virtual void truncated(int fd, uint64_t size) = 0;
    virtual void synced(int fd) = 0;  // fsync or fdatasync
    virtual void closed(int fd) = 0;
    virtual void renamed(const std::string& from, const std::string& to) = 0;
    virtual void linked(const std::string& from, const std::string& to) = 0;
    virtual void unlinked(const std::string& path) = 0;
    virtual void syncedDirectory(const std::string& dir) = 0;
    virtual void madeDirectory(const std::string& path) = 0;
};

// Installs the observer (nullptr: none). Not for use while another thread is inside a call.
void Observe(Observer* observer);

int Open(const std::string& path, int flags, mode_t mode = 0644);
int Close(int fd);
// pwrite; a short count is possible, as with pwrite.
ssize_t WriteAt(int fd, const void* data, std::size_t n, uint64_t offset);
// write at the file's current offset (an O_APPEND file: its end).
ssize_t Write(int fd, const void* data, std::size_t n);
int Truncate(int fd, uint64_t size);
int SyncFile(int fd);
int SyncData(int fd);
// fsync of the directory itself, so that the names made, changed or removed in it are durable.
int SyncDirectory(const std::string& dir);
int Rename(const std::string& from, const std::string& to);
int Link(const std::string& from, const std::string& to);
int Unlink(const std::string& path);
int MakeDirectory(const std::string& path, mode_t mode = 0755);
int RemoveDirectory(const std::string& path);

}  // namespace paradox::disk
