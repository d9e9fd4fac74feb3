#include "library/commands/suspended_links.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <vector>

#include "library/commands/change_locks.h"
#include "library/commands/command_table.h"
#include "library/commands/database_context.h"
#include "library/commands/dependency_map.h"
#include "library/engine/engine.h"
#include "library/engine/table_engine.h"
#include "shared/text/case_fold.h"

namespace vortab {
namespace {

bool HasDependentLinks(const tRintList& map) {
    bool any = false;
    map.ForEach([&](const tRintClass& entry) {
        for (const RILinkDescriptor& link : entry.links) any = any || IsDependentLink(link);
    });
    return any;
}

std::string LinkKey(const RILinkDescriptor& link) {
    return UpperCase1252(std::string(link.name, strnlen(link.name, sizeof link.name)));
}

bool TableExists(const std::string& name) {
    return !ContextDatabase().listTables(WithDefaultExtension(name, ThreadDatabaseContext().driver)).empty();
}

// The journal of a map: each entry's dependent links, marked dropped when `dropped` says so.
template <typename Dropped>
LinkJournal JournalOf(const std::string& changedTable, const tRintList& map, const Dropped& dropped) {
    LinkJournal journal;
    journal.changedTable = changedTable;
    map.ForEach([&](const tRintClass& entry) {
        JournalTable table{entry.tableName, entry.tag, {}};
        for (std::size_t i = 0; i < entry.links.size(); ++i)
            if (IsDependentLink(entry.links[i])) table.links.push_back({entry.links[i], dropped(entry, i)});
        if (!table.links.empty()) journal.tables.push_back(std::move(table));
    });
    return journal;
}

bool StillSuspended(const tRintClass& entry, std::size_t i) {
    return i < entry.suspended.size() && entry.suspended[i];
}

bool AnyStillSuspended(const tRintList& map) {
    bool any = false;
    map.ForEach([&](const tRintClass& entry) {
        for (std::size_t i = 0; i < entry.links.size(); ++i) any = any || StillSuspended(entry, i);
    });
    return any;
}

// Every table the replay may rewrite: the changed table, each dependent and each link's master.
std::vector<std::string> TablesOf(const LinkJournal& journal) {
    std::vector<std::string> names;
    const auto add = [&](const std::string& name) {
        if (!name.empty() && TableExists(name)) names.push_back(name);
    };
    add(journal.changedTable);
    for (const JournalTable& table : journal.tables) {
        add(table.table);
        for (const JournalLink& link : table.links)
            if (link.dropped) add(link.link.otherTable);
    }
    return names;
}

// The map of links to add back: those the journal marks dropped that their table lacks now.
// A dependent table that no longer exists has nothing to restore, and a link whose master was
// deleted since cannot be added again: both are let go, or they would block every later line.
std::unique_ptr<tRintList> MissingLinks(const LinkJournal& journal) {
    auto map = std::make_unique<tRintList>();
    const auto restorable = [](const JournalLink& l) {
        return l.dropped && TableExists(fixedText(l.link.otherTable));
    };
    for (const JournalTable& table : journal.tables) {
        if (std::none_of(table.links.begin(), table.links.end(), restorable) || !TableExists(table.table)) continue;
        CommandTable opened(table.table, false);
        std::set<std::string> present;
        for (const RILinkDescriptor& link : LinkDescriptors(opened.table()))
            if (IsDependentLink(link)) present.insert(LinkKey(link));
        auto entry = std::make_unique<tRintClass>();
        entry->tableName = table.table;
        entry->tag = opened.tag();
        for (const JournalLink& link : table.links) {
            if (!restorable(link) || present.count(LinkKey(link.link))) continue;
            entry->links.push_back(link.link);
            entry->suspended.push_back(true);
        }
        if (!entry->links.empty()) map->Add(std::move(entry));
    }
    return map;
}

void Replay(LinkJournalOwner& owner, const LinkJournal& journal) {
    const ChangeLocks locks(TablesOf(journal), ChangeLocks::kExactly);
    const std::unique_ptr<tRintList> missing = MissingLinks(journal);
    try {
        RestoreDependentLinks(*missing);
    } catch (...) {
        // Keep what is still missing for the next replay; a link now back or given up is left out.
        if (AnyStillSuspended(*missing)) owner.write(JournalOf(journal.changedTable, *missing, StillSuspended));
        else owner.remove();
        throw;
    }
    owner.remove();
}

}  // namespace

LinkSuspension::LinkSuspension(const std::string& changedTable, const tRintList& map)
    : changedTable_(changedTable), map_(map) {
    if (!HasDependentLinks(map)) return;
    const std::string dir = ThreadDatabaseContext().directory;
    owner_ = LinkJournalOwner::TryAcquire(dir);
    LinkJournal left;
    if (!owner_ || owner_->read(left))
        throw engine::EngineError(engine::err::kDirBusy,
                                   dir + ": another change keeps links of dependent tables suspended");
    Write();
}

LinkSuspension::~LinkSuspension() = default;

void LinkSuspension::Write() {
    owner_->write(JournalOf(changedTable_, map_, [&](const tRintClass& entry, std::size_t i) {
        return StillSuspended(entry, i) || dropping_.count({&entry, i}) > 0;
    }));
}

void LinkSuspension::BeforeDrop(const tRintClass& entry, std::size_t index) {
    if (!owner_) return;
    dropping_.insert({&entry, index});
    Write();
}

void LinkSuspension::Finish() {
    if (!owner_) return;
    dropping_.clear();
    if (AnyStillSuspended(map_)) Write();
    else owner_->remove();
    owner_.reset();
}

void RestoreLeftSuspendedLinks() {
    const std::string dir = ThreadDatabaseContext().directory;
    if (!LinkJournalPresent(dir)) return;
    const std::unique_ptr<LinkJournalOwner> owner = LinkJournalOwner::TryAcquire(dir);
    if (!owner) return;  // a live change: it restores its links itself
    LinkJournal journal;
    if (owner->read(journal)) Replay(*owner, journal);
    else owner->remove();  // an owner file its process left before it wrote a journal
}

}  // namespace vortab
