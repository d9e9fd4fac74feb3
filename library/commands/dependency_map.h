// The dependency map of a table: every table that depends on it, directly or through other
// tables, with their links, ordered masters first. A restructure that could invalidate those
// links drops them first (SuspendDependentLinks) and adds them again afterwards
// (RestoreDependentLinks). Tables that depend on themselves, directly or in a cycle, are met
// once and never walked again.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "library/language/object_list.h"
#include "shared/engine_records.h"

namespace vortab {

class tRintClass {
public:
    std::string tableName;
    std::vector<RILinkDescriptor> links;  // other-table names made canonical
    std::uint32_t tag = 0;                         // the table's password checksum
    std::vector<tRintClass*> MyMasters;            // not owned
    std::vector<bool> suspended;                   // per link: dropped by SuspendDependentLinks

    // True when other is this table or one of its masters, directly or further up.
    bool HasMaster(const tRintClass* other) const;
};

class tRintList : public tObjectList<tRintClass> {
public:
    tRintClass* GetRintForTbl(const std::string& name) const;

    // The mapped table's own links (other-table names made canonical), read while the map was
    // built: the table itself is no entry of its map.
    std::vector<RILinkDescriptor> startLinks;
};

// True for the link a dependent table holds of its master (not the master's record of it).
inline bool IsDependentLink(const RILinkDescriptor& link) {
    return link.kind == static_cast<std::uint32_t>(LinkKind::Dependent);
}

// The name as the context database lists it (with its extension), else the bare name.
std::string CanonicalTableName(const std::string& name);

std::unique_ptr<tRintList> BuildRintList(const std::string& table);

// Drops (suspend) or adds again (restore) every dependent-side link of the map, masters first.
// Restore adds back exactly the links that were dropped, so a suspend that failed half-way is
// undone by the restore that follows it. A restore that sets records aside fails with 9733; a
// restore goes on through every link after a failure and then reports the first. A link the
// engine refuses for good (its fields no longer fit the master's key, ...) is given up; one that
// failed for a password, a lock or the disk stays marked suspended.
// beforeDrop, when given, runs just before each link is dropped (the journal records it there).
void SuspendDependentLinks(tRintList& map,
                           const std::function<void(const tRintClass&, std::size_t)>& beforeDrop = {});
void RestoreDependentLinks(tRintList& map);

// Runs `change` with the links of the tables that depend on `table` suspended, and restores them
// afterwards also when the change fails; the change's failure is the one reported. The links are
// journaled in the database directory while they are suspended, so that a process killed
// meanwhile leaves them for the next change to restore (suspended_links.h).
void WithDependentLinksSuspended(const std::string& table, const std::function<void()>& change);
// The same with the table's map already built (ChangeLocks::dependents).
void WithDependentLinksSuspended(const std::string& table, tRintList& dependents, const std::function<void()>& change);
// The same for a change that must edit the map before the links are restored (a rename).
void WithDependentMapSuspended(const std::string& table, const std::function<void(tRintList&)>& change);

}  // namespace vortab
