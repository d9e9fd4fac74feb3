// Running the checks of a table family in order, and over a database.
#include "paradox/verify/verify_tables.h"

#include <algorithm>
#include <memory>
#include <set>

#include "paradox/storage/engine_error.h"
#include "paradox/storage/lock_table.h"
#include "paradox/storage/table_family.h"
#include "paradox/storage/table_list.h"
#include "paradox/verify/blob_check.h"
#include "paradox/verify/chain_check.h"
#include "paradox/verify/primary_index_check.h"
#include "paradox/verify/secondary_index_check.h"
#include "paradox/verify/val_check.h"

namespace paradox::verify {
namespace {

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

// A shared lock, or the finding that says why there is none. False when another program holds
// the table exclusively: then it is not read at all.
bool LockShared(const std::string& dir, const std::string& base, TableLock& lock, FindingSink& out) {
    try {
        lock = TableLock::Acquire(dir, base, LockMode::Shared);
        return true;
    } catch (const EngineError& e) {
        if (e.code() == err::kFileLocked || e.code() == err::kFileBusy) {
            out.error(base + ".DB", e.code(), std::string("locked by another program, not checked: ") + e.what());
            return false;
        }
        out.notice(base + ".DB", e.code(), std::string("could not be locked, checked without a lock: ") + e.what());
        return true;
    }
}

void CheckFamily(const CheckedTable& t, FindingSink& out) {
    if (!CheckHeader(t, out)) return;
    std::vector<std::unique_ptr<RecordVisitor>> owned;
    if (t.keyed()) owned.push_back(MakeKeyOrderCheck(t, out));
    if (auto blobs = MakeBlobCheck(t, out)) owned.push_back(std::move(blobs));
    SecondaryIndexChecks indexes(t, out);
    std::vector<RecordVisitor*> visitors{&indexes};
    for (auto& v : owned) visitors.push_back(v.get());
    ChainWalk chain = CheckChain(t, out, visitors);
    owned.clear();  // visitors report what they gathered
    if (t.keyed()) CheckPrimaryIndex(t, chain, out);
    indexes.finish(chain);
    CheckValFile(t, out);
}

// Family members of dir whose table (.DB) is not there.
void CheckOrphans(const std::string& dir, std::vector<Finding>& out) {
    std::set<std::string> tables;
    std::vector<std::pair<std::string, std::string>> members;  // base, file
    for (const std::string& name : DirectoryEntries(dir)) {
        const auto dot = name.find_last_of('.');
        if (dot == std::string::npos || dot == 0) continue;
        const std::string ext = name.substr(dot + 1), base = name.substr(0, dot);
        if (Lower(ext) == "db") tables.insert(Lower(base));
        else if (IsFamilyExtension(ext) && Lower(ext) != "tv" && Lower(ext) != "fam") members.emplace_back(base, name);
    }
    for (const auto& [base, file] : members)
        if (!tables.count(Lower(base)))
            FindingSink(base, out).error(file, err::kFamilyMemberNotFound, "a family member whose table (.DB) is missing");
}

// A replacement a killed process left half done: the recovery record of the family swap.
// Until the engine's next open completes it, the family's files do not belong together.
void CheckPendingChange(const std::string& dir, const std::string& base, FindingSink& out) {
    const std::string prefix = Lower("." + base + ".");
    for (const std::string& name : DirectoryEntries(dir)) {
        const std::string lower = Lower(name);
        if (lower.rfind(prefix, 0) == 0 && lower.size() > 4 && lower.compare(lower.size() - 4, 4, ".rec") == 0)
            out.error(name, err::kFileCorrupt, "a change a killed process left half done is pending: the engine's next "
                                               "open of the table, or vortab repair, completes it");
    }
}

}  // namespace

bool HasPendingChange(const std::string& dir, const std::string& base) {
    std::vector<Finding> found;
    FindingSink sink(base, found);
    CheckPendingChange(dir, base, sink);
    return !found.empty();
}

void VerifyTable(const std::string& dir, const std::string& name, const VerifyOptions& options, std::vector<Finding>& out) {
    const TableLocation loc = LocateTable(dir, name);
    std::string base = loc.base;
    if (auto p = FindTableFile(loc.dir, loc.base, "DB")) base = p->substr(p->find_last_of('/') + 1, p->find_last_of('.') - p->find_last_of('/') - 1);
    FindingSink sink(base, out);
    TableLock lock;
    if (!LockShared(loc.dir, base, lock, sink)) return;
    CheckPendingChange(loc.dir, base, sink);
    try {
        std::optional<CheckedTable> t = OpenForCheck(loc.dir, base, options.passwords, sink);
        if (t) CheckFamily(*t, sink);
    } catch (const EngineError& e) {
        sink.error(base + ".DB", e.code(), std::string("the check stopped: ") + e.what());
    }
}

std::vector<Finding> VerifyTables(const std::string& dir, const std::vector<std::string>& tables, const VerifyOptions& options) {
    std::vector<Finding> out;
    std::vector<std::string> names = tables;
    if (names.empty()) {
        names = ListTables(dir, "*.DB");
        CheckOrphans(dir, out);
    }
    for (const std::string& n : names) VerifyTable(dir, n, options, out);
    return out;
}

bool AnyError(const std::vector<Finding>& findings) {
    return std::any_of(findings.begin(), findings.end(), [](const Finding& f) { return f.severity == Severity::Error; });
}

}  // namespace paradox::verify
