// The journal of suspended links through the face.
#include "paradox/api/suspended_links.h"

#include "paradox/api/engine_call_internal.h"
#include "paradox/api/interface_records.h"
#include "paradox/change/link_journal.h"

namespace paradox::api {
namespace {

LinkJournal JournalOf(const paradox::LinkJournal& journal) {
    return records::ConvertJournal<LinkJournal>(journal, [](const auto& l) { return records::LinkOf(l); });
}

paradox::LinkJournal EngineJournal(const LinkJournal& journal) {
    return records::ConvertJournal<paradox::LinkJournal>(
        journal, [](const Link& l) { return records::LinkRecord<paradox::RILinkDescriptor>(l); });
}

SuspendedLinksState StateOf(paradox::LinkJournalState state) {
    switch (state) {
    case paradox::LinkJournalState::None: return SuspendedLinksState::None;
    case paradox::LinkJournalState::Live: return SuspendedLinksState::Live;
    case paradox::LinkJournalState::Left: return SuspendedLinksState::Left;
    case paradox::LinkJournalState::Damaged: return SuspendedLinksState::Damaged;
    }
    return SuspendedLinksState::Damaged;
}

paradox::LinkJournalState EngineState(SuspendedLinksState state) {
    switch (state) {
    case SuspendedLinksState::None: return paradox::LinkJournalState::None;
    case SuspendedLinksState::Live: return paradox::LinkJournalState::Live;
    case SuspendedLinksState::Left: return paradox::LinkJournalState::Left;
    case SuspendedLinksState::Damaged: return paradox::LinkJournalState::Damaged;
    }
    return paradox::LinkJournalState::Damaged;
}

}  // namespace

SuspendedLinks QuerySuspendedLinks(const std::string& dir) {
    return detail::Call([&] {
        SuspendedLinks links;
        links.state = StateOf(paradox::InspectLinkJournal(dir));
        paradox::LinkJournal journal;
        if ((links.state == SuspendedLinksState::Live || links.state == SuspendedLinksState::Left) &&
            paradox::PeekLinkJournal(dir, journal))
            links.journal = JournalOf(journal);
        return links;
    });
}

bool SuspendedLinksPresent(const std::string& dir) {
    return detail::Call([&] { return paradox::LinkJournalPresent(dir); });
}

std::string SuspendedLinksWarning(const std::string& dir, SuspendedLinksState state) {
    return detail::Call([&] { return paradox::LinkJournalWarning(dir, EngineState(state)); });
}

struct PARADOX_HIDDEN LinkJournalOwner::Impl {
    std::unique_ptr<paradox::LinkJournalOwner> owner;
};

LinkJournalOwner::LinkJournalOwner(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
LinkJournalOwner::~LinkJournalOwner() = default;

std::unique_ptr<LinkJournalOwner> LinkJournalOwner::TryAcquire(const std::string& dir) {
    return detail::Call([&]() -> std::unique_ptr<LinkJournalOwner> {
        std::unique_ptr<paradox::LinkJournalOwner> owner = paradox::LinkJournalOwner::TryAcquire(dir);
        if (!owner) return nullptr;
        return std::unique_ptr<LinkJournalOwner>(new LinkJournalOwner(std::make_unique<Impl>(Impl{std::move(owner)})));
    });
}

bool LinkJournalOwner::read(LinkJournal& out) const {
    return detail::Call([&] {
        paradox::LinkJournal journal;
        if (!impl_->owner->read(journal)) return false;
        out = JournalOf(journal);
        return true;
    });
}

void LinkJournalOwner::write(const LinkJournal& journal) {
    detail::Call([&] { impl_->owner->write(EngineJournal(journal)); });
}

void LinkJournalOwner::remove() {
    detail::Call([&] { impl_->owner->remove(); });
}

}  // namespace paradox::api
