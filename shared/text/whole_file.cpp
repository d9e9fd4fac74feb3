// One read(2) loop: a regular file's size from fstat sizes the buffer, and reading goes on to
// end of file, so a file that grows or shrinks meanwhile is read as it ends up.
#include "shared/text/whole_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace vortab {
namespace {

WholeFile Failed(FileReadError error, int errorNumber = 0) {
    WholeFile f;
    f.error = error;
    f.errorNumber = errorNumber;
    return f;
}

// Closes the descriptor on every way out.
struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
};

}  // namespace

bool WholeFile::missing() const {
    return error == FileReadError::CannotOpen && (errorNumber == ENOENT || errorNumber == ENOTDIR);
}


WholeFile ReadWholeFile(const std::string& path, std::size_t maxBytes, FileKinds kinds) {
    const Descriptor file{::open(path.c_str(), O_RDONLY | O_CLOEXEC)};
    if (file.fd < 0) return Failed(FileReadError::CannotOpen, errno);
    struct stat st {};
    if (::fstat(file.fd, &st) != 0) return Failed(FileReadError::ReadFailed, errno);
    if (S_ISDIR(st.st_mode)) return Failed(FileReadError::NotAFile, EISDIR);
    if (!S_ISREG(st.st_mode) && kinds == FileKinds::RegularOnly) return Failed(FileReadError::NotAFile, EINVAL);
    const std::size_t expected = S_ISREG(st.st_mode) ? static_cast<std::size_t>(st.st_size) : 0;
    if (expected > maxBytes) return Failed(FileReadError::TooLarge, EFBIG);
    WholeFile result;
    std::string& bytes = result.bytes;
    bytes.resize(expected + 1);  // one spare byte shows a file that grew
    std::size_t got = 0;
    for (;;) {
        if (got == bytes.size()) {
            if (got > maxBytes) return Failed(FileReadError::TooLarge, EFBIG);
            bytes.resize(got + std::min(std::max<std::size_t>(got, 4096), maxBytes - got) + 1);
        }
        const ssize_t n = ::read(file.fd, bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return Failed(FileReadError::ReadFailed, errno);
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    if (got > maxBytes) return Failed(FileReadError::TooLarge, EFBIG);
    bytes.resize(got);
    return result;
}

}  // namespace vortab
