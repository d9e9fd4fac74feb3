// Plain file calls for programs built on the engine whose own files must outlive a power cut
// as the engine's do (the upgrade log). They pass through the engine's disk door, so that the
// power-cut tests record them in one sequence with the engine's. POSIX results and errno.
#pragma once
#include <cstddef>
#include <string>

#include "paradox/api/export.h"

namespace paradox::api {

PARADOX_API int OpenFile(const std::string& path, int flags, unsigned mode = 0644);
PARADOX_API int CloseFile(int fd);
// write() at the file's offset (an O_APPEND file: its end); a short count is possible.
PARADOX_API long WriteFile(int fd, const void* data, std::size_t n);
PARADOX_API int SyncFileData(int fd);
// fsync of the directory that holds path, so that a file just created there keeps its name.
PARADOX_API int SyncDirectoryOf(const std::string& path);

}  // namespace paradox::api
