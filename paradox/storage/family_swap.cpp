// FamilySwap and its recovery. Files of one swap share a token: ".<base>.<token>.own" (held
// under an open-file-description lock for the owner's lifetime, so others can tell a live swap
// from a dead one), ".<base>.<token>.<n>.new" (staged contents), ".<base>.<token>.rec" (the
// recovery record; its presence is the commit point, it appears by rename from ".rec.tmp").
#include "paradox/storage/family_swap.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

#include "paradox/storage/crc32.h"
#include "paradox/storage/disk.h"
#include "paradox/storage/engine_error.h"
#include "paradox/storage/fault_injection.h"
#include "paradox/storage/table_family.h"
#include "paradox/storage/table_list.h"
#include "paradox/storage/work_directory.h"
#include "shared/text/case_fold.h"
#include "shared/text/whole_file.h"

namespace paradox {

namespace {

constexpr const char* kRecordMagic = "VORTAB-FAMILY-SWAP 1";
constexpr std::size_t kMaxRecordBytes = 1 << 16;

bool IsPlainName(const std::string& n) {
    if (n.empty() || n == "." || n == ".." || n.size() > 255) return false;
    for (char c : n)
        if (c == '/' || c == '\0' || c == '\n' || c == '\t') return false;
    return true;
}

[[noreturn]] void ThrowSys(int code, const std::string& what) {
    throw EngineError(code, what + ": " + std::strerror(errno));
}

void SyncDir(const std::string& dir) { SyncDirectoryOf(JoinPath(dir, "x")); }

// Tries to take the owner lock of an .own file; true when nobody else holds it (the owner is gone).
bool OwnerGone(const std::string& path) {
    const int fd = disk::Open(path, O_RDWR);
    if (fd < 0) return errno == ENOENT;
    struct flock fl {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    const bool gone = ::fcntl(fd, F_OFD_SETLK, &fl) == 0;
    disk::Close(fd);
    return gone;
}

// Where ".<8 hex>." follows the base in a name of the form ".<base>.<8 hex>.<rest>" (the first
// such place), else npos.
std::size_t SwapTokenAt(const std::string& name) {
    if (name.size() < 12 || name[0] != '.') return std::string::npos;
    for (std::size_t p = 2; p + 9 < name.size(); ++p) {
        if (name[p] != '.' || name[p + 9] != '.') continue;
        bool hex = true;
        for (std::size_t k = p + 1; k < p + 9; ++k) hex = hex && std::isxdigit(static_cast<unsigned char>(name[k]));
        if (hex) return p;
    }
    return std::string::npos;
}

struct SwapFiles {
    bool hasOwner = false, hasRecord = false;
    std::vector<std::string> names;  // every file of the token, record included
};

// The files of every swap of `base` in dir, grouped by token.
std::map<std::string, SwapFiles> ScanSwaps(const std::string& dir, const std::string& base) {
    std::map<std::string, SwapFiles> out;
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (!d) return out;  // the caller's open reports the directory problem
    while (dirent* e = ::readdir(d)) {
        const std::string name = e->d_name;
        // ".<base>.<8 hex>.<rest>", the base spelled on disk in UTF-8 or 8-bit, and base either
        // way too (a twin family's swap found with it is as well completed now)
        const std::size_t p = SwapTokenAt(name);
        if (p == std::string::npos) continue;
        if (!vortab::SameNameNoCase(NameFromDisk(std::string_view(name).substr(1, p - 1)), NameFromDisk(base))) continue;
        const std::string token = name.substr(p + 1, 8);
        const std::string rest = name.substr(p + 10);
        SwapFiles& s = out[token];
        s.names.push_back(name);
        if (rest == "own") s.hasOwner = true;
        if (rest == "rec") s.hasRecord = true;
    }
    ::closedir(d);
    return out;
}

// Carries out a complete record: every rename whose staged file still exists, every removal.
// The caller syncs the directory before the record may go.
void RollForward(const std::string& dir, const std::vector<FamilySwap::Entry>& entries) {
    for (const auto& e : entries) {
        if (e.staged.empty()) continue;
        const std::string from = JoinPath(dir, e.staged), to = JoinPath(dir, e.target);
        fault::FaultPoint("swap: rename");
        if (disk::Rename(from, to) != 0 && errno != ENOENT) ThrowSys(err::kWriteErr, to);
    }
    for (const auto& e : entries) {
        if (!e.staged.empty()) continue;
        const std::string path = JoinPath(dir, e.target);
        fault::FaultPoint("swap: remove");
        if (disk::Unlink(path) != 0 && errno != ENOENT) ThrowSys(err::kFileDeleteFail, path);
    }
}

std::string RandomToken() {
    std::random_device rd;
    char buf[16];
    std::snprintf(buf, sizeof buf, "%08x", static_cast<unsigned>(rd()));
    return buf;
}

}  // namespace

std::string EncodeSwapRecord(const std::vector<FamilySwap::Entry>& entries) {
    std::string body = std::string(kRecordMagic) + "\n" + std::to_string(entries.size()) + "\n";
    for (const auto& e : entries) {
        if (e.staged.empty()) body += "D\t" + e.target + "\n";
        else body += "R\t" + e.staged + "\t" + e.target + "\n";
    }
    char crc[32];
    std::snprintf(crc, sizeof crc, "CRC %08x\n", Crc32(body.data(), body.size()));
    return body + crc;
}

bool DecodeSwapRecord(const std::string& bytes, std::vector<FamilySwap::Entry>& out) {
    out.clear();
    const auto crcPos = bytes.rfind("CRC ");
    if (crcPos == std::string::npos || bytes.size() != crcPos + 13 || bytes.back() != '\n') return false;
    char expect[16];
    std::snprintf(expect, sizeof expect, "%08x", Crc32(bytes.data(), crcPos));
    if (bytes.compare(crcPos + 4, 8, expect) != 0) return false;
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < crcPos) {
        const auto nl = bytes.find('\n', start);
        if (nl == std::string::npos || nl > crcPos) return false;
        lines.push_back(bytes.substr(start, nl - start));
        start = nl + 1;
    }
    if (lines.size() < 2 || lines[0] != kRecordMagic) return false;
    if (lines[1] != std::to_string(lines.size() - 2)) return false;
    for (std::size_t i = 2; i < lines.size(); ++i) {
        const std::string& l = lines[i];
        FamilySwap::Entry e;
        if (l.rfind("D\t", 0) == 0) {
            e.target = l.substr(2);
        } else if (l.rfind("R\t", 0) == 0) {
            const auto tab = l.find('\t', 2);
            if (tab == std::string::npos) return false;
            e.staged = l.substr(2, tab - 2);
            e.target = l.substr(tab + 1);
            if (!IsPlainName(e.staged) || e.staged[0] != '.') return false;
        } else {
            return false;
        }
        if (!IsPlainName(e.target)) return false;
        out.push_back(std::move(e));
    }
    return true;
}

bool RecoverFamily(const std::string& dir, const std::string& base) {
    bool changed = false;
    for (auto& [token, files] : ScanSwaps(dir, base)) {
        std::string ownPath;
        for (const auto& n : files.names)
            if (n.size() >= 4 && n.compare(n.size() - 4, 4, ".own") == 0) ownPath = JoinPath(dir, n);
        if (files.hasRecord) {
            std::string recName;
            for (const auto& n : files.names)
                if (n.size() >= 4 && n.compare(n.size() - 4, 4, ".rec") == 0) recName = n;
            std::vector<FamilySwap::Entry> entries;
            const std::string recPath = JoinPath(dir, recName);
            const vortab::WholeFile record = vortab::ReadWholeFile(recPath, kMaxRecordBytes);
            if (record.error == vortab::FileReadError::CannotOpen) continue;  // vanished meanwhile: its owner finished
            // An unreadable or oversized record decodes as the empty one: damage.
            if (DecodeSwapRecord(record.bytes, entries)) {
                RollForward(dir, entries);
                SyncDir(dir);
                fault::FaultPoint("swap: drop record");
                if (disk::Unlink(recPath) != 0 && errno != ENOENT) ThrowSys(err::kFileDeleteFail, recPath);
                SyncDir(dir);
                changed = true;
            } else {
                // A record only appears complete (by rename), so a bad one is damage from outside:
                // leave every file for inspection rather than guess.
                throw EngineError(err::kFileCorrupt, recPath + ": unreadable recovery record");
            }
        }
        if (files.hasOwner && !OwnerGone(ownPath)) continue;  // a live swap: not ours to clean
        for (const auto& n : files.names) {
            if (n.size() >= 4 && n.compare(n.size() - 4, 4, ".own") == 0) continue;
            const std::string p = JoinPath(dir, n);
            if (disk::Unlink(p) == 0) changed = true;
        }
        if (!ownPath.empty() && disk::Unlink(ownPath) == 0) changed = true;
    }
    return changed;
}

bool RecoverDirectory(const std::string& dir) {
    std::vector<std::string> bases;
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (!d) return false;
    std::vector<std::string> scratch;
    while (dirent* e = ::readdir(d)) {
        const std::string name = e->d_name;
        if (name.starts_with(kScratchPrefix)) scratch.push_back(name);
        // ".<base>.<8 hex>.<suffix>"
        const std::size_t p = SwapTokenAt(name);
        if (p != std::string::npos) bases.push_back(name.substr(1, p - 1));
    }
    ::closedir(d);
    bool changed = false;
    // A scratch name outlives its instant only when a process died right then.
    for (const auto& n : scratch) changed = disk::Unlink(JoinPath(dir, n)) == 0 || changed;
    for (const auto& b : bases) changed = RecoverFamily(dir, b) || changed;
    changed = RemoveAbandonedWorkDirectories(dir) || changed;
    return changed;
}

void RecoverDirectoryQuietly(const std::string& dir) noexcept {
    try {
        RecoverDirectory(dir);
    } catch (...) {
    }
}

struct FamilySwap::Owner {
    int fd = -1;
    std::string path;
    ~Owner() {
        if (fd >= 0) {
            disk::Unlink(path);
            disk::Close(fd);
        }
    }
};

FamilySwap::FamilySwap(std::string dir, std::string base) : dir_(std::move(dir)), base_(std::move(base)) {
    if (!IsPlainName(base_)) throw EngineError(err::kInvalidTableName, base_);
    RecoverFamily(dir_, base_);
    // Staged and new files carry the base as given, encoded as the family is on disk (a new
    // family in UTF-8).
    const std::vector<std::string> family = FamilyFileNames(dir_, base_);
    if (family.empty() || SpellingOf(TableBaseName(family.front()), base_) == DiskSpelling::Utf8) base_ = DiskNameFor(base_);
    owner_ = std::make_unique<Owner>();
    for (int attempt = 0;; ++attempt) {
        token_ = RandomToken();
        owner_->path = JoinPath(dir_, "." + base_ + "." + token_ + ".own");
        const int fd = disk::Open(owner_->path, O_RDWR | O_CREAT | O_EXCL);
        if (fd < 0) {
            if (errno == EEXIST && attempt < 8) continue;
            ThrowSys(errno == EACCES || errno == EROFS ? err::kReadOnlyDir : err::kWriteErr, owner_->path);
        }
        struct flock fl {};
        fl.l_type = F_WRLCK;
        fl.l_whence = SEEK_SET;
        struct stat a {}, b {};
        // Another process's recovery may have removed the file between create and lock: then
        // the lock guards nothing and a fresh token is taken.
        if (::fcntl(fd, F_OFD_SETLK, &fl) == 0 && ::fstat(fd, &a) == 0 && ::stat(owner_->path.c_str(), &b) == 0 &&
            a.st_ino == b.st_ino && a.st_dev == b.st_dev) {
            owner_->fd = fd;
            return;
        }
        disk::Close(fd);
        if (attempt >= 8) throw EngineError(err::kDirBusy, dir_);
    }
}

FamilySwap::~FamilySwap() {
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (files_[i]) files_[i]->close();
        if (!committed_ && !withdrawn_ && !entries_[i].staged.empty()) disk::Unlink(stagedPaths_[i]);
    }
    if (!committed_) disk::Unlink(JoinPath(dir_, "." + base_ + "." + token_ + ".rec.tmp"));
}

std::string FamilySwap::memberName(const std::string& ext) const {
    if (auto found = FindTableFile(dir_, base_, ext)) return found->substr(found->find_last_of('/') + 1);
    return base_ + "." + ext;
}

File& FamilySwap::stage(const std::string& targetName) {
    if (committed_ || !IsPlainName(targetName)) throw EngineError(err::kInvalidParam, targetName);
    for (const auto& e : entries_)
        if (vortab::SameNameNoCase(e.target, targetName)) throw EngineError(err::kInvalidParam, "staged twice: " + targetName);
    Entry e;
    e.target = targetName;
    e.staged = "." + base_ + "." + token_ + "." + std::to_string(entries_.size()) + ".new";
    const std::string path = JoinPath(dir_, e.staged);
    auto f = std::make_unique<File>(File::create(path));
    entries_.push_back(e);
    stagedPaths_.push_back(path);
    files_.push_back(std::move(f));
    return *files_.back();
}

std::string FamilySwap::reserve(const std::string& targetName) {
    if (committed_ || !IsPlainName(targetName)) throw EngineError(err::kInvalidParam, targetName);
    for (const auto& e : entries_)
        if (vortab::SameNameNoCase(e.target, targetName)) throw EngineError(err::kInvalidParam, "staged twice: " + targetName);
    Entry e;
    e.target = targetName;
    e.staged = "." + base_ + "." + token_ + "." + std::to_string(entries_.size()) + ".new";
    const std::string path = JoinPath(dir_, e.staged);
    entries_.push_back(e);
    stagedPaths_.push_back(path);
    files_.push_back(nullptr);
    return path;
}

void FamilySwap::remove(const std::string& targetName) {
    if (committed_ || !IsPlainName(targetName)) throw EngineError(err::kInvalidParam, targetName);
    for (const auto& e : entries_)
        if (vortab::SameNameNoCase(e.target, targetName)) throw EngineError(err::kInvalidParam, "staged twice: " + targetName);
    entries_.push_back(Entry{targetName, {}});
    stagedPaths_.emplace_back();
    files_.push_back(nullptr);
}

std::string FamilySwap::stagedPath(const std::string& targetName) const {
    for (std::size_t i = 0; i < entries_.size(); ++i)
        if (entries_[i].target == targetName && !entries_[i].staged.empty()) return stagedPaths_[i];
    throw EngineError(err::kInvalidParam, "not staged: " + targetName);
}

void FamilySwap::commit() {
    if (committed_) throw EngineError(err::kInvalidParam, "swap already committed");
    // The disk may write all staged files at once; each is still synced below, one by one.
    for (const auto& f : files_)
        if (f && f->isOpen()) f->startWriteback(0, 0);
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i].staged.empty()) continue;
        fault::FaultPoint("swap: flush staged file");
        if (!files_[i]) {
            // A reserved name: the writer created the file itself.
            if (::access(stagedPaths_[i].c_str(), F_OK) != 0)
                throw EngineError(err::kNoSuchFile, stagedPaths_[i] + ": reserved file was not written");
            files_[i] = std::make_unique<File>(File::openReadWrite(stagedPaths_[i]));
        }
        files_[i]->sync();
        files_[i]->close();
    }
    // The record is written whole under a temporary name and renamed: it exists complete or not at all.
    const std::string recTmp = JoinPath(dir_, "." + base_ + "." + token_ + ".rec.tmp");
    const std::string rec = JoinPath(dir_, "." + base_ + "." + token_ + ".rec");
    {
        const std::string bytes = EncodeSwapRecord(entries_);
        File f = File::create(recTmp);
        fault::FaultPoint("swap: write record");
        f.writeAt(0, bytes.data(), bytes.size());
        f.sync();
    }
    SyncDir(dir_);  // the staged files' names are durable before the record can name them
    fault::FaultPoint("swap: record in place");
    if (disk::Rename(recTmp, rec) != 0) ThrowSys(err::kWriteErr, rec);
    try {
        SyncDir(dir_);
    } catch (const EngineError&) {
        // The record is not known to be durable, so the change is not decided: it is withdrawn
        // and the family stays old. The staged files stay for recovery to delete (their owner
        // is gone by then): a power cut could keep the record yet lose its removal, and it must
        // then still find every file it names.
        if (disk::Unlink(rec) != 0 && errno != ENOENT) committed_ = true;  // it stays: the next open completes it
        else withdrawn_ = true;
        throw;
    }
    committed_ = true;  // from here on the change is decided; recovery completes it
    try {
        RollForward(dir_, entries_);
    } catch (const EngineError&) {
        RollForward(dir_, entries_);  // one more pass (renames are idempotent); then the next open
    }
    // A failed sync is never retried (the kernel may have dropped what it could not write, and
    // a second sync that succeeds proves nothing): the failure is the operation's, the record
    // stays, and the next open renames and syncs again.
    SyncDir(dir_);  // the renames are durable before the record goes
    fault::FaultPoint("swap: drop record");
    if (disk::Unlink(rec) != 0 && errno != ENOENT && disk::Unlink(rec) != 0 && errno != ENOENT)
        ThrowSys(err::kFileDeleteFail, rec);
    SyncDir(dir_);
}

}  // namespace paradox
