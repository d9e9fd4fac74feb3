// The journal of the dependent tables' links a master's change suspends: written durably before
// the first link is dropped, removed once every one is back, owned by one live process under an
// open-file-description lock; one per database directory. Layout on disk: doc/crash-safety.md.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "paradox/format/link_descriptor.h"

namespace paradox {

inline constexpr char kLinkJournalName[] = ".vortab-links";
inline constexpr char kLinkJournalOwnerName[] = ".vortab-links.own";

struct JournalLink {
    RILinkDescriptor link{};  // as the dependent table holds it, other table named canonically
    bool dropped = false;     // the change has dropped it (and it is not back yet)
};

struct JournalTable {
    std::string table;       // the dependent table, as the change named it
    std::uint32_t tag = 0;   // its password checksum (the value its own header stores)
    std::vector<JournalLink> links;
};

struct LinkJournal {
    std::string changedTable;          // the master whose change suspended the links
    std::vector<JournalTable> tables;  // masters first
};

// The journal as bytes (versioned text with a CRC), and its parser (false when torn or damaged).
std::string EncodeLinkJournal(const LinkJournal& journal);
bool DecodeLinkJournal(const std::string& bytes, LinkJournal& out);

enum class LinkJournalState {
    None,     // no journal: every link is in place
    Live,     // a journal whose change is still running in a live process
    Left,     // a journal of a process that is gone: its links wait to be restored
    Damaged,  // a journal that fails its checks; never acted on
};

// Whether dir holds a journal or its owner file, without reading or changing anything (two stats).
bool LinkJournalPresent(const std::string& dir);
// What the journal in dir is; reads only (the owner lock is queried, not taken).
LinkJournalState InspectLinkJournal(const std::string& dir);
// The journal in dir as it stands, read-only: false when there is none or it is damaged.
bool PeekLinkJournal(const std::string& dir, LinkJournal& out);
// A one-line message for readers about a journal in that state ("" for None and Live).
std::string LinkJournalWarning(const std::string& dir, LinkJournalState state);

// The owner of dir's journal: holds the owner lock for its lifetime. A change takes it before
// it writes a journal; a replay takes it before it acts on a journal left behind.
class LinkJournalOwner {
public:
    // Null when another live process owns the journal.
    static std::unique_ptr<LinkJournalOwner> TryAcquire(const std::string& dir);
    ~LinkJournalOwner();  // gives the lock up; the files stay unless remove() ran
    LinkJournalOwner(const LinkJournalOwner&) = delete;
    LinkJournalOwner& operator=(const LinkJournalOwner&) = delete;

    // The journal on disk: false when there is none; fails with 8962 when it is damaged.
    bool read(LinkJournal& out) const;
    // Replaces the journal durably (temporary file, fsync, rename, directory fsync).
    void write(const LinkJournal& journal);
    // Removes the journal and the owner file (every link is back).
    void remove();

private:
    LinkJournalOwner(std::string dir, int fd) : dir_(std::move(dir)), fd_(fd) {}
    std::string dir_;
    int fd_;
};

}  // namespace paradox
