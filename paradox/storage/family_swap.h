// FamilySwap: replaces any set of files of one table family as a single crash-safe step.
// New contents are staged under temporary names in the table's directory and flushed; commit()
// then writes a recovery record (atomically, by rename), renames every staged file over its
// target, removes the files to drop, and deletes the record. After a crash at any point the
// next RecoverFamily() (run by every table open) finds the family entirely old (no record:
// stray staged files are deleted) or completes it to entirely new (record present).
// Layout on disk: doc/crash-safety.md.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "paradox/storage/file_io.h"

namespace paradox {

class FamilySwap {
public:
    // dir: the table's directory; base: the table name as on disk (no extension).
    FamilySwap(std::string dir, std::string base);
    ~FamilySwap();  // without commit(): every staged file is deleted, the family is untouched
    FamilySwap(const FamilySwap&) = delete;
    FamilySwap& operator=(const FamilySwap&) = delete;

    // A fresh, empty file that replaces (or creates) dir/targetName on commit. targetName is a
    // plain file name ("ORDERS.PX"); staging the same target twice fails with 9986. The File stays
    // valid until commit() or destruction.
    File& stage(const std::string& targetName);
    // Like stage(), for a writer that creates the file itself: returns the path it must create
    // (absent now); commit() flushes it and fails with 9988 when it was not created.
    std::string reserve(const std::string& targetName);
    // Removes dir/targetName on commit (no error when it is absent then). Not combinable with stage().
    void remove(const std::string& targetName);
    // Name of the staged file for a target (for callers that reopen it to read back).
    std::string stagedPath(const std::string& targetName) const;
    // The name a family member with extension ext has on disk (case-insensitive match), else
    // base + "." + ext: the name to pass to stage() and remove().
    std::string memberName(const std::string& ext) const;

    // Flushes the staged files, makes the change durable and puts it in place. After a failure
    // inside commit() (a failed sync included) the change is either not started (old family) or
    // completed by recovery; it returns only once every step is durable.
    void commit();
    // Whether the change is decided: false after a failed commit() means the family stays old.
    bool committed() const { return committed_; }

    struct Entry {
        std::string target;  // file name in dir
        std::string staged;  // file name in dir; empty for a removal
    };

private:
    struct Owner;
    std::string dir_, base_, token_;
    std::unique_ptr<Owner> owner_;
    std::vector<Entry> entries_;
    std::vector<std::unique_ptr<File>> files_;  // parallel to entries_ (null for removals)
    std::vector<std::string> stagedPaths_;
    bool committed_ = false;
    bool withdrawn_ = false;  // the record was renamed into place, then withdrawn
};

// Completes or cleans up interrupted swaps of table `base` in dir: a complete recovery record
// is carried out; staged files of a swap whose owner process has gone are deleted; a swap still
// in progress in a live process is left alone. Returns true when anything was changed.
// Cheap when there is nothing to do (one directory scan).
bool RecoverFamily(const std::string& dir, const std::string& base);

// The same for every table of a directory.
bool RecoverDirectory(const std::string& dir);
// RecoverDirectory for callers to whom another table's damaged record is no failure of their own.
void RecoverDirectoryQuietly(const std::string& dir) noexcept;

// The recovery record as bytes, and its parser (false when torn or corrupt). Exposed for tests.
std::string EncodeSwapRecord(const std::vector<FamilySwap::Entry>& entries);
bool DecodeSwapRecord(const std::string& bytes, std::vector<FamilySwap::Entry>& out);

}  // namespace paradox
