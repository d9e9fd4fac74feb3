// Repairing a table: verify, plan, lock, back up, rebuild, swap.
#include "paradox/verify/repair.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>

#include "paradox/change/key_violation.h"
#include "paradox/storage/engine_error.h"
#include "paradox/storage/family_swap.h"
#include "paradox/storage/disk.h"
#include "paradox/storage/fault_injection.h"
#include "paradox/storage/file_io.h"
#include "paradox/storage/lock_table.h"
#include "paradox/storage/table_family.h"
#include "paradox/verify/family_rebuild.h"
#include "paradox/verify/verify_tables.h"

namespace paradox::verify {
namespace {

std::string Extension(const std::string& file) {
    std::string ext = file.substr(file.find_last_of('.') + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::toupper(c)); });
    return ext;
}

bool Has(const std::vector<Finding>& fs, const std::function<bool(const Finding&)>& pred) {
    return std::any_of(fs.begin(), fs.end(), pred);
}

// What a repair of a table with these findings does; empty when there is nothing to mend.
std::vector<std::string> PlanOf(const std::vector<Finding>& fs, bool& refuse, bool& restampVal) {
    std::vector<std::string> plan;
    auto mends = [](const Finding& f) { return f.severity == Severity::Error; };
    auto about = [&](const std::string& ext) {
        return Has(fs, [&](const Finding& f) { return mends(f) && Extension(f.file) == ext; });
    };
    refuse = Has(fs, [](const Finding& f) {
        return f.code == err::kHeaderCorrupt && Extension(f.file) == "DB" && f.text.rfind("the header cannot be read", 0) == 0;
    }) || Has(fs, [](const Finding& f) { return f.code == err::kNotSufficientTableRights || f.code == err::kFileLocked ||
                                                 f.code == err::kFileBusy || f.code == err::kNoSuchTable; });
    if (refuse) return plan;
    restampVal = about("VAL");
    const bool index = Has(fs, [&](const Finding& f) {
        const std::string e = Extension(f.file);
        return mends(f) && (e[0] == 'X' || e[0] == 'Y' || e == "PX");
    });
    if (!about("DB") && !about("MB") && !index && !restampVal) return plan;
    plan.push_back("copy the table's files to the backup directory");
    plan.push_back("rebuild the data blocks and the record count from every record the .DB still holds");
    plan.push_back("move records that repeat a key to a problems table");
    if (about("MB") || about("DB")) plan.push_back("copy every blob into a fresh .MB; a reference that leads nowhere becomes blank");
    plan.push_back("rebuild the primary index and every secondary index");
    if (restampVal) plan.push_back("give the .VAL the table's stamps, dropping checks that no longer fit");
    plan.push_back("put the new files in place as one crash-safe step");
    return plan;
}

// Makes dir and every missing parent, each new name made durable in its parent's directory.
void MakeDirectories(const std::filesystem::path& dir) {
    if (dir.empty() || std::filesystem::is_directory(dir)) return;
    MakeDirectories(dir.parent_path());
    if (disk::MakeDirectory(dir.string()) != 0 && errno != EEXIST)
        throw EngineError(err::kDirNoAccess, dir.string() + ": cannot create the backup directory: " + std::strerror(errno));
    SyncDirectoryOf(dir.string());
}

// Copies the family into backup and makes the copy durable (each file synced and renamed into
// place, the backup directory and its parent synced) before the repair's swap can begin: a power
// cut after the swap then never finds a repaired table beside a backup that is missing or empty.
void CopyToBackup(const std::string& dir, const std::string& base, const std::string& backup) {
    namespace fs = std::filesystem;
    fs::path to = fs::absolute(backup).lexically_normal();
    if (!to.has_filename()) to = to.parent_path();
    MakeDirectories(to);
    for (const std::string& file : FamilyFiles(dir, base)) {
        const File from = File::openRead(file);
        AtomicFile copy((to / fs::path(file).filename()).string());
        CopyFileContents(from, copy.file());
        copy.commit();  // fsync, rename over an older copy, directory sync
    }
    SyncDirectoryOf(to.string());  // the backup directory's own name, in its parent
    fault::FaultPoint("repair: backed up");
}

}  // namespace

std::string DefaultBackupDir(const std::string& dir) {
    namespace fs = std::filesystem;
    fs::path d = fs::absolute(fs::path(dir)).lexically_normal();
    if (!d.has_filename()) d = d.parent_path();
    char stamp[32];
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    ::localtime_r(&now, &tm);
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &tm);
    return (d.parent_path() / (d.filename().string() + "-repair-" + stamp)).string();
}

RepairReport RepairTable(const std::string& dir, const std::string& name, const RepairOptions& options) {
    const TableLocation loc = LocateTable(dir, name);
    RepairReport report;
    if (!options.dryRun && HasPendingChange(loc.dir, loc.base)) {
        // Finished first, as any open would: the check then sees the family as it stands.
        TableLock settle = TableLock::Acquire(loc.dir, loc.base, LockMode::Exclusive);
        RecoverFamily(loc.dir, loc.base);
        report.notes.push_back("completed a change a killed process had left half done");
    }
    VerifyTable(loc.dir, loc.base, VerifyOptions{options.passwords}, report.findings);
    report.table = report.findings.empty() ? loc.base : report.findings.front().table;
    bool restampVal = false;
    report.plan = PlanOf(report.findings, report.refused, restampVal);
    if (report.refused) {
        report.needed = AnyError(report.findings);
        report.notes.push_back("left alone: its header cannot be read or it cannot be opened; a repair never guesses a header");
        return report;
    }
    report.needed = !report.plan.empty();
    if (!report.needed || options.dryRun) return report;

    TableLock lock = TableLock::Acquire(loc.dir, report.table, LockMode::Exclusive);
    RecoverFamily(loc.dir, report.table);
    std::vector<Finding> reopened;
    FindingSink sink(report.table, reopened);
    std::optional<CheckedTable> t = OpenForCheck(loc.dir, report.table, options.passwords, sink);
    if (!t) throw EngineError(reopened.empty() ? err::kHeaderCorrupt : reopened.front().code,
                              reopened.empty() ? "the table cannot be opened" : reopened.front().text);
    report.backupDir = options.backupDir.empty() ? DefaultBackupDir(loc.dir) : options.backupDir;
    CopyToBackup(loc.dir, t->base, report.backupDir);

    FamilySwap swap(loc.dir, t->base);
    KeyViolationGuard problems(loc.dir, swap);
    RebuildChoices choices;
    choices.resort = options.resort || KeyOrderIsByteOrder(t->header);
    choices.restampVal = restampVal;
    if (t->keyed() && !choices.resort)
        report.notes.push_back("records kept in their stored order: the table's language driver may order keys otherwise");
    StageRebuiltFamily(*t, swap, choices, report);
    if (!report.problemsTable.empty()) problems.watch(report.problemsTable.substr(0, report.problemsTable.size() - 3));
    swap.commit();
    report.repaired = true;
    return report;
}

}  // namespace paradox::verify
