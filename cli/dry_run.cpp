#include "cli/dry_run.h"

#include <cstdlib>
#include <system_error>

namespace vortab::cli {
namespace fs = std::filesystem;
namespace {

fs::path MakeTemporaryDirectory() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/vortab-dry-run-XXXXXX";
    if (!mkdtemp(pattern.data())) throw std::system_error(errno, std::generic_category(), "cannot create " + pattern);
    return pattern;
}

}  // namespace

std::unique_ptr<ScratchCopy> ScratchCopy::Make(const std::string& databaseDir, const std::string& logPath,
                                               const RetryQuestion& retry) {
    // A shared lock keeps a writing run out while the files are copied.
    std::unique_ptr<LogFile> lock;
    if (!logPath.empty() && fs::exists(logPath)) {
        lock = LogFile::OpenGuarded(logPath, LogFile::Mode::Read, retry);
        if (!lock) return nullptr;
    }
    std::unique_ptr<ScratchCopy> copy(new ScratchCopy(MakeTemporaryDirectory(), !logPath.empty()));
    const fs::path target = copy->database();
    fs::create_directory(target);
    for (const fs::directory_entry& entry : fs::directory_iterator(databaseDir)) {
        if (entry.is_regular_file()) fs::copy_file(entry.path(), target / entry.path().filename());
    }
    if (lock) fs::copy_file(logPath, copy->log());
    return copy;
}

ScratchCopy::~ScratchCopy() {
    std::error_code ec;
    fs::remove_all(root_, ec);
}

}  // namespace vortab::cli
