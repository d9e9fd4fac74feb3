// ChangeLocks: exclusive locks, held for the object's lifetime, on a table about to change and
// on every table its change rewrites: the tables of its dependency map (whose links are
// suspended and restored), the masters its own links name (their .VAL records of it follow
// the change) and any others the caller names (a new link's master). Taken before the table's
// structure is read, so that no other process changes one of them between the read and the
// write; a lock another process holds fails at once with its lock code, before anything changed.
// (Links that an interrupted change left suspended are back by then: the entry points restore
// them whenever they open the database.)
#pragma once
#include <memory>
#include <string>
#include <vector>

namespace vortab {

class tRintList;

class ChangeLocks {
public:
    explicit ChangeLocks(const std::string& table, const std::vector<std::string>& others = {});
    // Exactly the named tables, without a dependency map (the lock that the restore of
    // suspended links itself takes).
    enum Exactly { kExactly };
    ChangeLocks(const std::vector<std::string>& tables, Exactly);
    ~ChangeLocks();
    ChangeLocks(const ChangeLocks&) = delete;
    ChangeLocks& operator=(const ChangeLocks&) = delete;

    // The table's dependency map, built once, after the table itself is locked (no link to it
    // can come or go from then on); the change suspends and restores its links. Empty for the
    // exact form.
    tRintList& dependents() { return *dependents_; }

private:
    void LockAll(const std::vector<std::string>& tables);
    void Lock(const std::string& table);
    void Release();

    std::vector<std::string> held_;  // file names, in the order locked
    std::unique_ptr<tRintList> dependents_;
};

}  // namespace vortab
