// Renaming and deleting a table together with every companion file of its family, each as one
// family swap. A rename is one family swap: each member gets its new name through a staged hard link (a copy where the
// file system has none), the old names are removed, and the .VAL files of the tables linked to
// it (and its own, for links to itself) name it under the new name — all in one step.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

#include "paradox/format/val_file.h"
#include "paradox/format/val_writer.h"
#include "paradox/storage/disk.h"
#include "paradox/storage/engine_error.h"
#include "paradox/storage/family_swap.h"
#include "paradox/storage/file_io.h"
#include "paradox/storage/table_family.h"
#include "paradox/storage/table_list.h"
#include "paradox/table/table_writer.h"
#include "shared/text/case_fold.h"

namespace paradox {

namespace {
std::string Extension(const std::string& path) {
    const std::string f = FileNamePart(path);
    return f.substr(f.find_last_of('.') + 1);
}

// A change of case only: the files keep their place, one rename each. Names are found without
// regard to case, so a stop half-way still leaves one table.
// The directory is synced before returning, so that a caller that records the rename as done
// (the upgrade log) never gets ahead of the disk; when that sync fails the names go back.
void RenameCase(const std::vector<std::string>& files, const TableLocation& to) {
    std::vector<std::pair<std::string, std::string>> done;
    const auto undo = [&] {
        for (auto it = done.rbegin(); it != done.rend(); ++it) disk::Rename(it->second, it->first);
    };
    for (const auto& f : files) {
        const std::string target = JoinPath(to.dir, DiskNameFor(to.base) + "." + Extension(f));
        if (target == f) continue;
        if (disk::Rename(f, target) != 0) {
            const int e = errno;
            undo();
            throw EngineError(e == EACCES || e == EPERM ? err::kOsAccess : err::kWriteErr, f + ": " + std::strerror(e));
        }
        done.emplace_back(f, target);
    }
    try {
        SyncDirectoryOf(JoinPath(to.dir, "x"));
    } catch (const EngineError&) {
        undo();
        throw;
    }
}

// The staged file gets the member's contents: a hard link, else a copy.
void StageMember(FamilySwap& swap, const std::string& member, const std::string& targetName) {
    const std::string staged = swap.reserve(targetName);
    if (disk::Link(member, staged) == 0) return;
    File in = File::openRead(member);
    File out = File::create(staged);
    std::vector<uint8_t> buffer(1 << 16);
    const uint64_t size = in.size();
    for (uint64_t at = 0; at < size;) {
        const std::size_t n = static_cast<std::size_t>(std::min<uint64_t>(buffer.size(), size - at));
        if (!in.readAt(at, buffer.data(), n)) throw EngineError(err::kReadErr, member);
        out.writeAt(at, buffer.data(), n);
        at += n;
    }
    out.close();
}

// The link entries of v that name table `from` (by base name), made to name `toFile`; false
// when none does.
bool RenameLinkTargets(ValContents& v, const std::string& from, const std::string& toFile) {
    bool changed = false;
    for (RILinkDescriptor& link : v.links) {
        const std::string other = fixedText(link.otherTable);
        if (!vortab::SameNameNoCase(TableBaseName(other), from)) continue;
        const std::size_t cut = other.find_last_of("/\\");
        copyFixedText(link.otherTable, (cut == std::string::npos ? std::string() : other.substr(0, cut + 1)) + toFile);
        changed = true;
    }
    return changed;
}

// The tables in dir that the .VAL of `base` links to (either side), itself left out.
std::vector<std::string> LinkedTables(const ValContents& v, const std::string& dir, const std::string& base) {
    std::vector<std::string> out;
    for (const RILinkDescriptor& link : v.links) {
        const std::string other = TableBaseName(fixedText(link.otherTable));
        if (vortab::SameNameNoCase(other, base) || !FindTableFile(dir, other, "DB")) continue;
        if (std::none_of(out.begin(), out.end(), [&](const std::string& o) { return vortab::SameNameNoCase(o, other); }))
            out.push_back(other);
    }
    return out;
}

void StageVal(FamilySwap& swap, const std::string& dir, const std::string& base, const std::string& targetName,
              const ValContents& v) {
    const std::vector<uint8_t> bytes = EncodeValFile(v, ReadValStamps(dir, base));
    swap.stage(targetName).writeAt(0, bytes.data(), bytes.size());
}

}  // namespace

void renameTable(const std::string& dir, const std::string& oldName, const std::string& newName) {
    const TableLocation from = LocateTable(dir, oldName);
    TableLocation to = LocateTable(dir, newName);
    RecoverDirectory(from.dir);
    const auto oldDb = FindTableFile(from.dir, from.base, "DB");
    if (!oldDb) throw EngineError(err::kNoSuchTable, JoinPath(from.dir, from.base + ".DB"));
    if (to.dir != from.dir && newName.find_first_of("/\\") != std::string::npos)
        throw EngineError(err::kInvalidTableName, "a table is renamed within its directory: " + newName);
    to.dir = from.dir;
    const std::string oldBase = TableBaseName(FileNamePart(*oldDb));
    const std::vector<std::string> files = FamilyFiles(from.dir, oldBase);
    if (vortab::SameNameNoCase(from.base, to.base)) return RenameCase(files, to);
    if (FindTableFile(to.dir, to.base, "DB")) throw EngineError(err::kFileExists, newName);
    for (const auto& f : FamilyFiles(to.dir, to.base))  // leftovers of a table that no longer exists
        throw EngineError(err::kFileExists, f);

    const std::string newDbFile = to.base + "." + Extension(*oldDb);
    FamilySwap swap(from.dir, oldBase);
    // The .VAL files that name the table change with it, so each must be understood (else 8968,
    // naming the file): a link they hold must not be left naming a table that is gone.
    std::optional<ValContents> ownVal = ReadValFile(from.dir, oldBase);
    const bool ownValChanges = ownVal && RenameLinkTargets(*ownVal, oldBase, newDbFile);
    for (const auto& f : files) {
        const std::string target = DiskNameFor(to.base) + "." + Extension(f);
        if (ownValChanges && vortab::SameNameNoCase(Extension(f), "VAL")) StageVal(swap, from.dir, oldBase, target, *ownVal);
        else StageMember(swap, f, target);
        swap.remove(FileNamePart(f));
    }
    if (ownVal) {
        for (const std::string& other : LinkedTables(*ownVal, from.dir, oldBase)) {
            std::optional<ValContents> v = ReadValFile(from.dir, other);
            if (!v || !RenameLinkTargets(*v, oldBase, newDbFile)) continue;
            StageVal(swap, from.dir, other, FileNamePart(*FindTableFile(from.dir, other, "VAL")), *v);
        }
    }
    swap.commit();
}

void deleteTable(const std::string& dir, const std::string& name) {
    const TableLocation loc = LocateTable(dir, name);
    RecoverFamily(loc.dir, loc.base);
    if (!FindTableFile(loc.dir, loc.base, "DB")) throw EngineError(err::kNoSuchTable, JoinPath(loc.dir, loc.base + ".DB"));
    // One swap of removals: a stop at any point leaves the whole family or none of it, never a
    // .DB without its .PX or .VAL that Paradox would refuse or read without its checks.
    // The .DB goes first, so that what a reader may meet while the removals run is companion
    // files, which no Paradox program opens as a table.
    FamilySwap swap(loc.dir, loc.base);
    std::vector<std::string> files = FamilyFiles(loc.dir, loc.base);
    std::stable_partition(files.begin(), files.end(), [](const std::string& f) { return vortab::UpperCase1252(Extension(f)) == "DB"; });
    for (const std::string& file : files) swap.remove(FileNamePart(file));
    swap.commit();
}

}  // namespace paradox
