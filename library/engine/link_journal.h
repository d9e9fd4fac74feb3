// The journal of suspended links as the library writes and reads it: the engine's journal
// (paradox/api/suspended_links.h) with each link in the library's packed record. One per database
// directory, owned by one live process at a time.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "library/engine/engine.h"
#include "paradox/api/suspended_links.h"
#include "shared/engine_records.h"

namespace vortab {

struct JournalLink {
    RILinkDescriptor link{};  // as the dependent table holds it, other table named canonically
    bool dropped = false;     // the change has dropped it (and it is not back yet)
};

struct JournalTable {
    std::string table;      // the dependent table, as the change named it
    std::uint32_t tag = 0;  // its password checksum
    std::vector<JournalLink> links;
};

struct LinkJournal {
    std::string changedTable;          // the master whose change suspended the links
    std::vector<JournalTable> tables;  // masters first
};

// Whether dir holds a journal or its owner file, without reading or changing anything.
bool LinkJournalPresent(const std::string& dir);

// The owner of dir's journal: holds the owner lock for its lifetime.
class LinkJournalOwner {
public:
    // Null when another live process owns the journal.
    static std::unique_ptr<LinkJournalOwner> TryAcquire(const std::string& dir);

    // The journal on disk: false when there is none; fails with 8962 when it is damaged.
    bool read(LinkJournal& out) const;
    // Replaces the journal durably.
    void write(const LinkJournal& journal);
    // Removes the journal and the owner file (every link is back).
    void remove();

private:
    explicit LinkJournalOwner(std::unique_ptr<engine::LinkJournalOwner> owner) : owner_(std::move(owner)) {}
    std::unique_ptr<engine::LinkJournalOwner> owner_;
};

}  // namespace vortab
