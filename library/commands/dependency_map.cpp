#include "library/commands/dependency_map.h"

#include <cstring>
#include <exception>
#include <set>

#include "library/commands/command_table.h"
#include "library/commands/database_context.h"
#include "library/commands/passwords.h"
#include "library/commands/restructure_sequence.h"
#include "library/commands/suspended_links.h"
#include "library/engine/engine.h"
#include "library/engine/table_engine.h"
#include "shared/text/case_fold.h"

namespace vortab {
namespace {

// Names compare without regard to case and with the driver's extension, so that "ORDERS" and
// "orders.db" are one table.
std::string Key(const std::string& name) {
    const std::size_t start = name.find_last_of("\\/:");
    const std::string part = start == std::string::npos ? name : name.substr(start + 1);
    return UpperCase1252(WithDefaultExtension(part, ThreadDatabaseContext().driver));
}

bool HasMasterVisiting(const tRintClass* entry, const tRintClass* other,
                       std::set<const tRintClass*>& visited) {
    if (entry == other) return true;
    if (!visited.insert(entry).second) return false;
    for (const tRintClass* master : entry->MyMasters)
        if (master == other || HasMasterVisiting(master, other, visited)) return true;
    return false;
}

// The table's links with canonical other-table names; none for a table without links.
std::unique_ptr<tRintClass> ReadLinks(const std::string& name) {
    CommandTable table(name, false);
    auto entry = std::make_unique<tRintClass>();
    entry->tableName = name;
    entry->tag = table.tag();
    entry->links = LinkDescriptors(table.table());
    for (RILinkDescriptor& link : entry->links) {
        const std::string canonical = CanonicalTableName(link.otherTable);
        std::memset(link.otherTable, 0, sizeof link.otherTable);
        std::strncpy(link.otherTable, canonical.c_str(), sizeof link.otherTable - 1);
    }
    return entry;
}

class MapBuilder {
public:
    MapBuilder(tRintList& list, const std::string& start) : list_(list), start_(Key(start)) {}

    void Walk(const std::string& name) {
        if (!walked_.insert(Key(name)).second) return;
        std::unique_ptr<tRintClass> entry = ReadLinks(name);
        if (Key(name) == start_) list_.startLinks = entry->links;
        if (entry->links.empty()) return;
        std::vector<std::string> dependents;
        for (const RILinkDescriptor& link : entry->links)
            if (link.kind == static_cast<std::uint32_t>(LinkKind::Master))
                dependents.emplace_back(link.otherTable);
        if (Key(name) != start_) list_.Add(std::move(entry));
        for (const std::string& dependent : dependents) Walk(dependent);
    }

private:
    tRintList& list_;
    std::string start_;
    std::set<std::string> walked_;
};

void LinkMasters(tRintList& list) {
    list.ForEach([&](tRintClass& entry) {
        for (const RILinkDescriptor& link : entry.links) {
            if (!IsDependentLink(link)) continue;
            if (tRintClass* master = list.GetRintForTbl(link.otherTable))
                if (master != &entry) entry.MyMasters.push_back(master);
        }
    });
}

void SortMastersFirst(tRintList& list) {
    const std::size_t n = list.Count();
    for (std::size_t i = 0; i + 1 < n; ++i)
        for (std::size_t j = n - 1; j > i; --j)
            if (list.At(i).HasMaster(&list.At(j))) list.Exchange(i, j);
}

// The engine's refusals of a link itself (its fields no longer fit the master's key, no index
// leads them, a table is gone), as against a password, a lock or the disk, which may be
// mended before the next try.
bool RefusedForGood(int code) {
    namespace err = engine::err;
    for (const int refusal : {err::kRintReqIndex, err::kKeyFieldTypeMismatch, err::kInvalidParam, err::kNoSuchTable,
                              err::kNoSuchIndex, err::kInvalidRestructOp, err::kInvalidFieldDesc})
        if (code == refusal) return true;
    return false;
}

void ApplyToLink(tRintClass& entry, const RILinkDescriptor& link,
                 OperationCode op) {
    TableRestructure restructure(entry.tableName, ThreadDatabaseContext().driver);
    restructure.links.push_back(link);
    restructure.linkOps.push_back(op);
    MasterPasswordFor(entry.tag, restructure.descriptor());
    char keyViolation[261] = {};
    RunRestructureSequence(restructure, keyViolation);
    if (keyViolation[0] != '\0')
        throw engine::EngineError(engine::err::kMasterMissing, keyViolation);
}

}  // namespace

bool tRintClass::HasMaster(const tRintClass* other) const {
    std::set<const tRintClass*> visited;
    return HasMasterVisiting(this, other, visited);
}

tRintClass* tRintList::GetRintForTbl(const std::string& name) const {
    const std::string key = Key(name);
    return FirstThat([&](const tRintClass& entry) { return Key(entry.tableName) == key; });
}

std::string CanonicalTableName(const std::string& name) {
    const std::size_t start = name.find_last_of("\\/:");
    const std::string part = start == std::string::npos ? name : name.substr(start + 1);
    const std::vector<std::string> listed =
        ContextDatabase().listTables(WithDefaultExtension(part, ThreadDatabaseContext().driver));
    return listed.empty() ? part : listed.front();
}

std::unique_ptr<tRintList> BuildRintList(const std::string& table) {
    auto list = std::make_unique<tRintList>();
    MapBuilder(*list, table).Walk(table);
    LinkMasters(*list);
    SortMastersFirst(*list);
    return list;
}

void SuspendDependentLinks(tRintList& map, const std::function<void(const tRintClass&, std::size_t)>& beforeDrop) {
    map.ForEach([&](tRintClass& entry) {
        entry.suspended.resize(entry.links.size(), false);
        for (std::size_t i = 0; i < entry.links.size(); ++i) {
            if (!IsDependentLink(entry.links[i]) || entry.suspended[i]) continue;
            if (beforeDrop) beforeDrop(entry, i);
            ApplyToLink(entry, entry.links[i], CRDROP);
            entry.suspended[i] = true;
        }
    });
}

void RestoreDependentLinks(tRintList& map) {
    // Every suspended link is tried: one that fails must not cost the others theirs.
    std::exception_ptr firstFailure;
    map.ForEach([&](tRintClass& entry) {
        entry.suspended.resize(entry.links.size(), false);
        for (std::size_t i = 0; i < entry.links.size(); ++i) {
            if (!entry.suspended[i]) continue;
            try {
                ApplyToLink(entry, entry.links[i], CRADD);
                entry.suspended[i] = false;
            } catch (const engine::EngineError& e) {
                // 9733: the link is back, with its orphans set aside. A link the tables as they
                // now stand refuse is given up: no later try could add it.
                if (e.code() == engine::err::kMasterMissing || RefusedForGood(e.code())) entry.suspended[i] = false;
                if (!firstFailure) firstFailure = std::current_exception();
            } catch (...) {
                if (!firstFailure) firstFailure = std::current_exception();
            }
        }
    });
    if (firstFailure) std::rethrow_exception(firstFailure);
}

void WithDependentLinksSuspended(const std::string& table, const std::function<void()>& change) {
    WithDependentMapSuspended(table, [&](tRintList&) { change(); });
}

void WithDependentMapSuspended(const std::string& table, const std::function<void(tRintList&)>& change) {
    const std::unique_ptr<tRintList> dependents = BuildRintList(table);
    WithDependentLinksSuspended(table, *dependents, [&] { change(*dependents); });
}

void WithDependentLinksSuspended(const std::string& table, tRintList& dependents, const std::function<void()>& change) {
    LinkSuspension journal(table, dependents);
    std::exception_ptr failure;
    try {
        SuspendDependentLinks(dependents, [&](const tRintClass& entry, std::size_t i) { journal.BeforeDrop(entry, i); });
        engine::FaultPoint("links: suspended");
        change();
        engine::FaultPoint("links: master changed");
    } catch (...) {
        failure = std::current_exception();
    }
    const auto keepFirst = [&] {
        if (!failure) failure = std::current_exception();
    };
    try {
        RestoreDependentLinks(dependents);
    } catch (...) {
        keepFirst();
    }
    try {
        journal.Finish();
    } catch (...) {
        keepFirst();
    }
    if (failure) std::rethrow_exception(failure);
}

}  // namespace vortab
