// Reading a whole file into memory: scripts, logs, INI and registry files, password and
// mapping files, the engine's own small records. Never reads more than a limit the caller
// sets, never a directory, and says why when it could not.
#pragma once
#include <cstddef>
#include <limits>
#include <string>

namespace vortab {

enum class FileReadError {
    None,
    CannotOpen,  // errorNumber says why (ENOENT or ENOTDIR: there is no such file)
    NotAFile,    // a directory (EISDIR), or a pipe or device where only regular files are read
    TooLarge,    // more than the limit
    ReadFailed,  // opened, but a read failed (errorNumber)
};

struct WholeFile {
    std::string bytes;  // empty unless error is None
    FileReadError error = FileReadError::None;
    int errorNumber = 0;

    bool ok() const { return error == FileReadError::None; }
    // Nothing is at the path: not an error for files that may be absent.
    bool missing() const;
};

// What may be read: regular files only, or also pipes and devices (a script or password file
// given as a shell's process substitution, /dev/stdin).
enum class FileKinds { RegularOnly, StreamsToo };

inline constexpr std::size_t kNoSizeLimit = std::numeric_limits<std::size_t>::max();

WholeFile ReadWholeFile(const std::string& path, std::size_t maxBytes = kNoSizeLimit,
                        FileKinds kinds = FileKinds::RegularOnly);

}  // namespace vortab
