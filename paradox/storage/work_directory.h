// WorkDirectory: a hidden directory inside a database directory, for whole tables an operation
// builds before it copies them into place (same file system as the table, and never listed as
// a table of the database). Its owner file carries a lock for the object's lifetime; the
// directory and everything in it go when the object does. RemoveAbandonedWorkDirectories
// removes those whose owner died (the lock is free), so a killed operation leaves nothing.
#pragma once
#include <string>

namespace paradox {

inline constexpr char kWorkDirectoryPrefix[] = ".vortab-work-";

class WorkDirectory {
public:
    explicit WorkDirectory(const std::string& parent);  // 9218/10500 when it cannot be made
    ~WorkDirectory();
    WorkDirectory(const WorkDirectory&) = delete;
    WorkDirectory& operator=(const WorkDirectory&) = delete;

    const std::string& path() const { return path_; }

private:
    std::string path_;
    int ownerFd_ = -1;
};

// Removes the work directories of dir whose owner no longer runs; true when one went.
bool RemoveAbandonedWorkDirectories(const std::string& dir);

}  // namespace paradox
