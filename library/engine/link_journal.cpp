#include "library/engine/link_journal.h"

#include "paradox/api/interface_records.h"

namespace vortab {
namespace {

namespace records = paradox::api::records;

LinkJournal JournalOf(const engine::LinkJournal& journal) {
    return records::ConvertJournal<LinkJournal>(
        journal, [](const engine::Link& l) { return records::LinkRecord<RILinkDescriptor>(l); });
}

engine::LinkJournal EngineJournal(const LinkJournal& journal) {
    return records::ConvertJournal<engine::LinkJournal>(journal, [](const auto& l) { return records::LinkOf(l); });
}

}  // namespace

bool LinkJournalPresent(const std::string& dir) { return engine::SuspendedLinksPresent(dir); }

std::unique_ptr<LinkJournalOwner> LinkJournalOwner::TryAcquire(const std::string& dir) {
    std::unique_ptr<engine::LinkJournalOwner> owner = engine::LinkJournalOwner::TryAcquire(dir);
    if (!owner) return nullptr;
    return std::unique_ptr<LinkJournalOwner>(new LinkJournalOwner(std::move(owner)));
}

bool LinkJournalOwner::read(LinkJournal& out) const {
    engine::LinkJournal journal;
    if (!owner_->read(journal)) return false;
    out = JournalOf(journal);
    return true;
}

void LinkJournalOwner::write(const LinkJournal& journal) { owner_->write(EngineJournal(journal)); }

void LinkJournalOwner::remove() { owner_->remove(); }

}  // namespace vortab
