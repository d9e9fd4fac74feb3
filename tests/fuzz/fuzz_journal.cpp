// Fuzz target: the journal of suspended links as a replay reads it after a crash. The input is
// tried as it is and once more with a valid check line appended, so that the parser behind the
// check is reached too. Whatever decodes must encode back to a journal that decodes the same.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "paradox/change/link_journal.h"
#include "paradox/storage/crc32.h"

namespace {

bool SameLink(const paradox::RILinkDescriptor& a, const paradox::RILinkDescriptor& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

bool SameJournal(const paradox::LinkJournal& a, const paradox::LinkJournal& b) {
    if (a.changedTable != b.changedTable || a.tables.size() != b.tables.size()) return false;
    for (std::size_t t = 0; t < a.tables.size(); ++t) {
        const paradox::JournalTable &x = a.tables[t], &y = b.tables[t];
        if (x.table != y.table || x.tag != y.tag || x.links.size() != y.links.size()) return false;
        for (std::size_t l = 0; l < x.links.size(); ++l)
            if (x.links[l].dropped != y.links[l].dropped || !SameLink(x.links[l].link, y.links[l].link)) return false;
    }
    return true;
}

void Check(const std::string& bytes) {
    paradox::LinkJournal journal;
    if (!paradox::DecodeLinkJournal(bytes, journal)) return;
    paradox::LinkJournal again;
    if (!paradox::DecodeLinkJournal(paradox::EncodeLinkJournal(journal), again) || !SameJournal(journal, again)) {
        std::fprintf(stderr, "a decoded journal does not survive encoding\n");
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    Check(bytes);
    char crc[16];
    std::snprintf(crc, sizeof crc, "%08x", paradox::Crc32(bytes.data(), bytes.size()));
    Check(bytes + "CRC " + crc + "\n");
    return 0;
}
