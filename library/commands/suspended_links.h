// Suspended dependent links made durable: a master's change journals the links it drops before
// the first drop and removes the journal when all are back; a journal a dead process left is
// replayed before the next change or script line runs (format: doc/crash-safety.md).
#pragma once
#include <cstddef>
#include <memory>
#include <set>
#include <string>
#include <utility>

#include "library/engine/link_journal.h"

namespace vortab {

class tRintClass;
class tRintList;

class LinkSuspension {
public:
    // Writes the journal of the map's dependent links (nothing for a map without any). Fails
    // with 10244 while another live change of the same database keeps a journal.
    LinkSuspension(const std::string& changedTable, const tRintList& map);
    ~LinkSuspension();
    LinkSuspension(const LinkSuspension&) = delete;
    LinkSuspension& operator=(const LinkSuspension&) = delete;

    // Records durably that link `index` of `entry` is about to be dropped.
    void BeforeDrop(const tRintClass& entry, std::size_t index);
    // Removes the journal when every dropped link is back; otherwise keeps it (naming only the
    // links still missing) for a later replay.
    void Finish();

private:
    void Write();

    std::string changedTable_;
    const tRintList& map_;
    std::unique_ptr<LinkJournalOwner> owner_;
    std::set<std::pair<const tRintClass*, std::size_t>> dropping_;
};

// Adds back the links that a journal of a dead process lists and the dependent tables lack, in
// the calling thread's database, under the change locks of every table concerned. Two stats when
// there is nothing to do; nothing when a live change owns the journal. A link that cannot be
// added yet keeps the journal and fails with its code (10498: the dependent's password is not
// known); a damaged journal fails with 8962 and stays as it is.
void RestoreLeftSuspendedLinks();

}  // namespace vortab
