// Renaming and deleting a table together with every companion file of its family.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

#include "paradox/storage/engine_error.h"
#include "paradox/storage/table_family.h"
#include "paradox/storage/text_case.h"
#include "paradox/table/table_writer.h"

namespace paradox {

namespace {
std::string FileName(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }
std::string Extension(const std::string& path) {
    const std::string f = FileName(path);
    return f.substr(f.find_last_of('.') + 1);
}
}  // namespace

void renameTable(const std::string& dir, const std::string& oldName, const std::string& newName) {
    const TableLocation from = LocateTable(dir, oldName);
    TableLocation to = LocateTable(dir, newName);
    if (!FindTableFile(from.dir, from.base, "DB")) throw EngineError(err::kNoSuchTable, JoinPath(from.dir, from.base + ".DB"));
    if (to.dir != from.dir && newName.find_first_of("/\\") != std::string::npos)
        throw EngineError(err::kInvalidTableName, "a table is renamed within its directory: " + newName);
    to.dir = from.dir;
    const bool sameTable = EqualsIgnoreCase1252(from.base, to.base);
    if (!sameTable && FindTableFile(to.dir, to.base, "DB")) throw EngineError(err::kFileExists, newName);

    const std::vector<std::string> files = FamilyFiles(from.dir, from.base);
    if (!sameTable)
        for (const auto& f : FamilyFiles(to.dir, to.base))  // leftovers of a table that no longer exists
            throw EngineError(err::kFileExists, f);
    // Rename member by member; undo what was done when one fails.
    std::vector<std::pair<std::string, std::string>> done;
    for (const auto& f : files) {
        const std::string target = JoinPath(to.dir, to.base + "." + Extension(f));
        if (target == f) continue;
        if (::rename(f.c_str(), target.c_str()) != 0) {
            const int e = errno;
            for (auto it = done.rbegin(); it != done.rend(); ++it) ::rename(it->second.c_str(), it->first.c_str());
            throw EngineError(e == EACCES || e == EPERM ? err::kOsAccess : err::kWriteErr, f + ": " + std::strerror(e));
        }
        done.emplace_back(f, target);
    }
}

void deleteTable(const std::string& dir, const std::string& name) {
    const TableLocation loc = LocateTable(dir, name);
    const auto db = FindTableFile(loc.dir, loc.base, "DB");
    if (!db) throw EngineError(err::kNoSuchTable, JoinPath(loc.dir, loc.base + ".DB"));
    // The .DB goes last, so that a failure leaves a table that still opens.
    std::vector<std::string> files = FamilyFiles(loc.dir, loc.base);
    std::stable_partition(files.begin(), files.end(), [&](const std::string& f) { return f != *db; });
    for (const auto& f : files) {
        if (::unlink(f.c_str()) != 0 && errno != ENOENT)
            throw EngineError(err::kFileDeleteFail, f + ": " + std::strerror(errno));
    }
}

}  // namespace paradox
