// Walking a damaged .DB for every record it still holds.
#include "paradox/verify/salvage.h"

#include <algorithm>
#include <vector>

#include "paradox/format/byte_order.h"
#include "paradox/table/table_state.h"
#include "paradox/verify/chain_check.h"

namespace paradox::verify {
namespace {

// Hands over the records of one block: its used size, cut where the file ends.
void BlockRecords(const CheckedTable& t, const uint8_t* b, uint32_t number,
                  const std::function<void(const SalvagedRecord&)>& each) {
    const DbHeader& h = t.header;
    const uint64_t off = uint64_t(h.headerSize) + uint64_t(number - 1) * h.blockSize();
    const uint64_t present = std::min<uint64_t>(h.blockSize(), t.fileSize - off);
    const uint32_t fit = present > 6 ? uint32_t((present - 6) / h.recordSize) : 0;
    const int32_t claimed = ClaimedRecords(h, b);
    const uint32_t used = std::min<uint32_t>(claimed < 0 ? 0 : uint32_t(claimed), fit);
    for (uint32_t i = 0; i < used; ++i) each(SalvagedRecord{b + 6 + std::size_t(i) * h.recordSize, number});
}

}  // namespace

void SalvageRecords(const CheckedTable& t, const std::function<void(const SalvagedRecord&)>& each) {
    const DbHeader& h = t.header;
    const uint32_t inFile = t.blocksInFile();
    std::vector<bool> taken(std::size_t(inFile) + 1, false);
    BlockWindow window(t.db, h, t.fileSize, t.checksum);
    std::vector<uint8_t> block(h.blockSize());
    for (uint32_t n = h.firstBlock; n != 0 && n <= inFile && !taken[n];) {
        taken[n] = true;
        std::copy_n(window.block(n), block.size(), block.begin());
        BlockRecords(t, block.data(), n, each);
        n = GetLE16(block.data());
    }
    // Blocks on the free list hold no records; any other block with records was lost from the chain.
    for (uint32_t n = h.firstFreeBlock, steps = 0; n != 0 && n <= inFile && !taken[n] && steps <= inFile; ++steps) {
        taken[n] = true;
        n = GetLE16(window.block(n));
    }
    for (uint32_t n = 1; n <= inFile; ++n) {
        if (taken[n]) continue;
        std::copy_n(window.block(n), block.size(), block.begin());
        if (ClaimedRecords(h, block.data()) > 0) BlockRecords(t, block.data(), n, each);
    }
}

}  // namespace paradox::verify
