// The scratch copy a dry run works on: the database directory's files and the log, copied into
// a fresh temporary directory that is removed again with the object. The database and its log
// are only read, under a shared lock of the log, so a run in progress is not copied half done;
// no file of the database directory is created, changed or removed.
#pragma once
#include <filesystem>
#include <memory>
#include <string>

#include "editor/runner/log_file.h"

namespace vortab::cli {

class ScratchCopy {
public:
    // Nullopt-like: a null pointer when the log stayed locked. Throws std::filesystem_error
    // when a file cannot be copied.
    static std::unique_ptr<ScratchCopy> Make(const std::string& databaseDir, const std::string& logPath,
                                             const RetryQuestion& retry);
    ~ScratchCopy();
    ScratchCopy(const ScratchCopy&) = delete;
    ScratchCopy& operator=(const ScratchCopy&) = delete;

    std::string database() const { return (root_ / "database").string(); }
    // Empty when the run has no log.
    std::string log() const { return hasLog_ ? (root_ / "upgrade.log").string() : std::string(); }

private:
    explicit ScratchCopy(std::filesystem::path root, bool hasLog) : root_(std::move(root)), hasLog_(hasLog) {}
    std::filesystem::path root_;
    bool hasLog_;
};

}  // namespace vortab::cli
