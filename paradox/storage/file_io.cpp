// POSIX implementation of File and AtomicFile; errno is mapped to the engine's error codes.
#include "paradox/storage/file_io.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "paradox/storage/disk.h"
#include "paradox/storage/engine_error.h"

namespace paradox {

namespace {
[[noreturn]] void ThrowErrno(int fallback, const std::string& path) {
    const int e = errno;
    int code = fallback;
    if (e == ENOENT) code = err::kOsNoEnt;
    else if (e == EACCES || e == EPERM || e == EROFS) code = err::kOsAccess;
    else if (e == ENOSPC || e == EDQUOT) code = err::kNoDiskSpace;
    throw EngineError(code, path + ": " + std::strerror(e));
}
}  // namespace

File::~File() { close(); }

File::File(File&& o) noexcept : fd_(o.fd_), path_(std::move(o.path_)) { o.fd_ = -1; }

File& File::operator=(File&& o) noexcept {
    if (this != &o) {
        close();
        fd_ = o.fd_;
        path_ = std::move(o.path_);
        o.fd_ = -1;
    }
    return *this;
}

File File::openWith(const std::string& path, int flags, int fallbackCode) {
    const int fd = disk::Open(path, flags);
    if (fd < 0) ThrowErrno(fallbackCode, path);
    return File(fd, path);
}

File File::openRead(const std::string& path) { return openWith(path, O_RDONLY, err::kFileNoAccess); }
File File::openReadWrite(const std::string& path) { return openWith(path, O_RDWR, err::kFileNoAccess); }
File File::create(const std::string& path) { return openWith(path, O_RDWR | O_CREAT | O_EXCL, err::kWriteErr); }

File File::createAnonymous(const std::string& dir) {
    const std::string where = dir.empty() ? "." : dir;
    int fd = disk::Open(where, O_TMPFILE | O_RDWR, 0600);
    if (fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
        // File systems without unnamed files: a fresh name, removed at once (a name a crash
        // leaves in between goes with the next directory recovery).
        std::string path = where + "/" + kScratchPrefix + "XXXXXX";
        fd = ::mkostemp(path.data(), O_CLOEXEC);
        if (fd >= 0 && disk::Unlink(path) != 0 && errno != ENOENT) {
            const int e = errno;
            ::close(fd);
            errno = e;
            fd = -1;
        }
    }
    if (fd < 0) ThrowErrno(err::kWriteErr, where);
    return File(fd, where + "/(scratch)");
}

uint64_t File::size() const {
    struct stat st;
    if (::fstat(fd_, &st) != 0) ThrowErrno(err::kReadErr, path_);
    return static_cast<uint64_t>(st.st_size);
}

bool File::readAt(uint64_t off, void* buf, std::size_t n) const {
    auto* p = static_cast<char*>(buf);
    while (n > 0) {
        const ssize_t r = ::pread(fd_, p, n, static_cast<off_t>(off));
        if (r < 0) {
            if (errno == EINTR) continue;
            ThrowErrno(err::kReadErr, path_);
        }
        if (r == 0) return false;
        p += r;
        off += static_cast<uint64_t>(r);
        n -= static_cast<std::size_t>(r);
    }
    return true;
}

void File::writeAt(uint64_t off, const void* buf, std::size_t n) {
    const auto* p = static_cast<const char*>(buf);
    while (n > 0) {
        const ssize_t r = disk::WriteAt(fd_, p, n, off);
        if (r < 0) {
            if (errno == EINTR) continue;
            ThrowErrno(err::kWriteErr, path_);
        }
        p += r;
        off += static_cast<uint64_t>(r);
        n -= static_cast<std::size_t>(r);
    }
}

void File::sync() {
    if (disk::SyncFile(fd_) != 0) ThrowErrno(err::kWriteErr, path_);
}

void File::startWriteback(uint64_t off, uint64_t n) {
#ifdef SYNC_FILE_RANGE_WRITE
    if (fd_ >= 0) ::sync_file_range(fd_, static_cast<off_t>(off), static_cast<off_t>(n), SYNC_FILE_RANGE_WRITE);
#else
    (void)off;
    (void)n;
#endif
}

void File::close() {
    if (fd_ >= 0) disk::Close(fd_);
    fd_ = -1;
}

AtomicFile::AtomicFile(std::string target) : target_(std::move(target)) {
    const auto slash = target_.find_last_of('/');
    const std::string dir = slash == std::string::npos ? std::string() : target_.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? target_ : target_.substr(slash + 1);
    std::random_device rd;
    for (int attempt = 0;; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "%08x", static_cast<unsigned>(rd()));
        temp_ = dir + "." + base + "." + suffix + ".tmp";
        const int fd = disk::Open(temp_, O_RDWR | O_CREAT | O_EXCL);
        if (fd >= 0) {
            file_ = File(fd, temp_);
            return;
        }
        if (errno != EEXIST || attempt >= 8) ThrowErrno(err::kWriteErr, temp_);
    }
}

AtomicFile::~AtomicFile() {
    if (!done_) {
        file_.close();
        disk::Unlink(temp_);
    }
}

void AtomicFile::flush() { file_.sync(); }

void AtomicFile::commit() {
    flush();
    file_.close();
    if (disk::Rename(temp_, target_) != 0) ThrowErrno(err::kWriteErr, target_);
    done_ = true;
    SyncDirectoryOf(target_);
}

void CopyFileContents(const File& src, File& dst) {
    std::vector<char> buf(1 << 20);
    const uint64_t total = src.size();
    for (uint64_t off = 0; off < total;) {
        const std::size_t n = static_cast<std::size_t>(std::min<uint64_t>(buf.size(), total - off));
        if (!src.readAt(off, buf.data(), n)) throw EngineError(err::kReadErr, src.path() + ": file shrank while copied");
        dst.writeAt(off, buf.data(), n);
        off += n;
    }
}

void SyncDirectoryOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    const std::string dir = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    // A file system that cannot sync a directory at all (EINVAL) has nothing more to offer.
    if (disk::SyncDirectory(dir) != 0 && errno != EINVAL) ThrowErrno(err::kWriteErr, dir);
}

}  // namespace paradox
