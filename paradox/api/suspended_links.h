// Suspended links: the links of dependent tables that a change of their master drops for its
// length, kept in a journal of the database directory until every one is back. Readers ask which
// links a database has suspended; a change owns the journal while it runs (one live owner per
// directory, under an open-file-description lock) and removes it once its links are back.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "paradox/api/export.h"
#include "paradox/api/table_structure.h"

namespace paradox::api {

struct JournalLink {
    Link link;             // as the dependent table holds it, the other table named canonically
    bool dropped = false;  // the change has dropped it (and it is not back yet)
};
struct JournalTable {
    std::string table;       // the dependent table, as the change named it
    std::uint32_t tag = 0;   // its password checksum
    std::vector<JournalLink> links;
};
struct LinkJournal {
    std::string changedTable;          // the master whose change suspended the links
    std::vector<JournalTable> tables;  // masters first
};

enum class SuspendedLinksState {
    None,     // every link is in place
    Live,     // a change still running in a live process keeps links suspended
    Left,     // a process that is gone left links suspended: they wait to be restored
    Damaged,  // a journal that fails its checks; never acted on
};

struct SuspendedLinks {
    SuspendedLinksState state = SuspendedLinksState::None;
    LinkJournal journal;  // what the journal lists (Live and Left; empty when unreadable)
};

// Which links of the database in dir are suspended. Reads only (the owner lock is queried, not
// taken); costs two stats when there are none.
PARADOX_API SuspendedLinks QuerySuspendedLinks(const std::string& dir);
// Whether dir holds a journal or its owner file at all (two stats).
PARADOX_API bool SuspendedLinksPresent(const std::string& dir);
// A one-line message for readers about links in that state ("" for None and Live).
PARADOX_API std::string SuspendedLinksWarning(const std::string& dir, SuspendedLinksState state);

// The owner of dir's journal: holds the owner lock for its lifetime. A change takes it before it
// writes a journal; a restore takes it before it acts on a journal left behind.
class PARADOX_API LinkJournalOwner {
public:
    // Null when another live process owns the journal.
    static std::unique_ptr<LinkJournalOwner> TryAcquire(const std::string& dir);
    ~LinkJournalOwner();  // gives the lock up; the files stay unless remove() ran
    LinkJournalOwner(const LinkJournalOwner&) = delete;
    LinkJournalOwner& operator=(const LinkJournalOwner&) = delete;

    // The journal on disk: false when there is none; 8962 when it is damaged.
    bool read(LinkJournal& out) const;
    // Replaces the journal durably.
    void write(const LinkJournal& journal);
    // Removes the journal and the owner file (every link is back).
    void remove();

private:
    struct Impl;
    explicit LinkJournalOwner(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace paradox::api
