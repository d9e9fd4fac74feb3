#include "editor/runner/log_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "editor/runner/script_lines.h"
#include "paradox/api/disk_file.h"

namespace vortab {
namespace {

[[noreturn]] void Fail(const std::string& what, const std::string& path) {
    throw std::system_error(errno, std::generic_category(), what + " " + path);
}

struct flock WholeFile(short type) {
    struct flock fl {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = 0;
    fl.l_len = 0;  // to the end, however far the file grows
    return fl;
}

// One non-blocking attempt. An open-file-description lock where the kernel has them; the
// process-owned kind otherwise (older kernels, some network file systems answer EINVAL).
bool TryLock(int fd, short type) {
    struct flock fl = WholeFile(type);
    if (::fcntl(fd, F_OFD_SETLK, &fl) == 0) return true;
    if (errno == EINVAL) {
        fl = WholeFile(type);
        if (::fcntl(fd, F_SETLK, &fl) == 0) return true;
    }
    if (errno == EAGAIN || errno == EACCES) return false;
    Fail("cannot lock the log", "");
}

}  // namespace

std::unique_ptr<LogFile> LogFile::OpenGuarded(const std::string& path, Mode mode, const RetryQuestion& retry) {
    const int flags = mode == Mode::Append ? O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC : O_RDONLY | O_CLOEXEC;
    // A log this run creates gets its directory synced: without it a power cut could take the
    // log away while the changes it records stay, and the next run would apply every step again.
    int fd = mode == Mode::Append ? paradox::api::OpenFile(path, flags | O_EXCL) : -1;
    const bool created = fd >= 0;
    if (!created) fd = paradox::api::OpenFile(path, flags);
    if (fd < 0) Fail("cannot open the log", path);
    if (created && paradox::api::SyncDirectoryOf(path) != 0 && errno != EINVAL) {
        const int e = errno;
        paradox::api::CloseFile(fd);
        errno = e;
        Fail("cannot write the log", path);
    }
    std::unique_ptr<LogFile> log(new LogFile(path, fd));
    const short type = mode == Mode::Append ? F_WRLCK : F_RDLCK;
    while (!TryLock(fd, type)) {
        if (!retry || !retry()) return nullptr;
    }
    return log;
}

LogFile::~LogFile() { paradox::api::CloseFile(fd_); }

std::vector<std::string> LogFile::readLines() const {
    std::string text;
    char buffer[65536];
    for (off_t offset = 0;;) {
        const ssize_t n = ::pread(fd_, buffer, sizeof buffer, offset);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) Fail("cannot read the log", path_);
        if (n == 0) break;
        text.append(buffer, static_cast<std::size_t>(n));
        offset += n;
    }
    return SplitLines(text);
}

bool LogFile::endsMidLine() const {
    struct stat st {};
    if (::fstat(fd_, &st) != 0) Fail("cannot read the log", path_);
    if (st.st_size == 0) return false;
    char last = 0;
    if (::pread(fd_, &last, 1, st.st_size - 1) != 1) Fail("cannot read the log", path_);
    return last != '\n' && last != '\r';
}

void LogFile::appendLine(std::string_view line) {
    // Only the first append needs to look: the lock keeps other writers out, and every line
    // written here ends with its CR LF.
    std::string text = !endChecked_ && endsMidLine() ? "\r\n" : "";
    endChecked_ = true;
    text.append(line);
    text += "\r\n";
    for (std::size_t done = 0; done < text.size();) {
        const long n = paradox::api::WriteFile(fd_, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) Fail("cannot write the log", path_);
        done += static_cast<std::size_t>(n);
    }
    // A line marks a step as applied: it must outlive a power loss like the change it records,
    // or the next run would apply the step again.
    if (paradox::api::SyncFileData(fd_) != 0 && errno != EINVAL) Fail("cannot write the log", path_);
}

bool LogIsLocked(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct flock fl = WholeFile(F_WRLCK);
    bool locked = false;
    if (::fcntl(fd, F_OFD_GETLK, &fl) == 0) locked = fl.l_type != F_UNLCK;
    ::close(fd);
    return locked;
}

}  // namespace vortab
