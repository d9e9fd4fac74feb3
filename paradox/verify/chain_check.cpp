// The header's counts and the data-block chain of a .DB.
#include "paradox/verify/chain_check.h"

#include <algorithm>
#include <string>

#include "paradox/format/byte_order.h"
#include "paradox/storage/engine_error.h"
#include "paradox/table/table_state.h"

namespace paradox::verify {
namespace {

std::string N(uint64_t n) { return std::to_string(n); }

}  // namespace

int32_t ClaimedRecords(const DbHeader& h, const uint8_t* block) {
    const int32_t add = GetLE16s(block + 4);
    if (add == -int32_t(h.recordSize)) return 0;
    if (add < 0 || add % h.recordSize != 0) return -1;
    const int32_t n = add / h.recordSize + 1;
    return n > h.recordsPerBlock() ? -1 : n;
}

bool CheckHeader(const CheckedTable& t, FindingSink& out) {
    const DbHeader& h = t.header;
    const std::string& f = t.dbFile;
    bool readable = true;
    if (h.version >= 5 && h.blockSizeCode == 3)
        out.warning(f, err::kHeaderCorrupt, "block size 3 KB is only known in Paradox 3.x tables");
    if (h.usedBlocks > h.fileBlocks)
        out.error(f, err::kHeaderCorrupt, "the header counts " + N(h.usedBlocks) + " used blocks but only " +
                                              N(h.fileBlocks) + " blocks in the file");
    if (uint64_t(h.fileBlocks) > t.blocksInFile()) {
        out.error(f, err::kFileCorrupt, "the file is truncated: the header counts " + N(h.fileBlocks) +
                                            " blocks, the file holds " + N(t.blocksInFile()), t.blocksInFile() + 1);
    }
    if (h.numRecords > 0 && h.firstBlock == 0) {
        out.error(f, err::kHeaderCorrupt, "the header counts " + N(h.numRecords) + " records but names no first block");
        readable = false;
    }
    if (h.firstFreeBlock > t.blocksInFile())
        out.error(f, err::kHeaderCorrupt, "the free-block list starts outside the file", h.firstFreeBlock);
    return readable;
}

ChainWalk CheckChain(const CheckedTable& t, FindingSink& out, const std::vector<RecordVisitor*>& visitors) {
    const DbHeader& h = t.header;
    const std::string& f = t.dbFile;
    const uint32_t inFile = t.blocksInFile();
    const uint16_t keySize = h.schema.keySize();
    ChainWalk w;
    std::vector<bool> reached(std::size_t(inFile) + 1, false);
    BlockWindow window(t.db, h, t.fileSize, t.checksum);
    auto fail = [&](const std::string& text, int64_t block, int64_t record = -1) {
        out.error(f, err::kFileCorrupt, text, block, record);
        w.sound = false;
    };
    uint32_t prev = 0;
    uint32_t next = (h.numRecords == 0 && h.usedBlocks == 0) ? 0 : h.firstBlock;
    while (next != 0) {
        if (next > inFile) {
            fail(prev ? "block " + N(prev) + " links to block " + N(next) + ", outside the file"
                      : "the first block " + N(next) + " lies outside the file",
                 prev ? prev : next);
            break;
        }
        if (reached[next]) {
            fail("block " + N(next) + " is reached twice in the chain (from block " + N(prev) + ")", prev);
            break;
        }
        reached[next] = true;
        const uint8_t* b = window.block(next);
        const uint64_t off = uint64_t(h.headerSize) + uint64_t(next - 1) * h.blockSize();
        const uint32_t present = static_cast<uint32_t>(std::min<uint64_t>(h.blockSize(), t.fileSize - off));
        if (GetLE16(b + 2) != prev)
            fail("block " + N(next) + " names block " + N(GetLE16(b + 2)) + " as its previous, the chain comes from " +
                     (prev ? "block " + N(prev) : std::string("the header")),
                 next);
        const int32_t claimed = ClaimedRecords(h, b);
        if (claimed < 0) {
            fail("block " + N(next) + " has a used size that is not a whole number of records inside the block", next);
            break;
        }
        uint32_t count = uint32_t(claimed);
        if (6 + uint64_t(count) * h.recordSize > present) {
            fail("block " + N(next) + " is cut short by the end of the file", next);
            count = present > 6 ? (present - 6) / h.recordSize : 0;
        }
        if (count == 0 && h.schema.keyFields > 0 && h.numRecords > 0)
            out.warning(f, err::kFileCorrupt, "block " + N(next) + " is in the chain but holds no records", next);
        for (uint32_t i = 0; i < count; ++i) {
            const uint8_t* rec = b + 6 + std::size_t(i) * h.recordSize;
            ++w.records;
            if (w.records == uint64_t(h.numRecords) + 1)
                fail("records from number " + N(w.records) + " on lie in the chain beyond the " + N(h.numRecords) +
                         " the header counts",
                     next, int64_t(w.records));
            for (RecordVisitor* v : visitors) v->visit(w.records, next, i, rec);
        }
        w.blocks.push_back({next, count});
        if (keySize > 0) w.firstKeys.insert(w.firstKeys.end(), b + 6, b + 6 + keySize);
        prev = next;
        next = GetLE16(b);
    }
    if (w.sound && prev != h.lastBlock && !(prev == 0 && h.numRecords == 0))
        fail("the chain ends at block " + N(prev) + ", the header names block " + N(h.lastBlock) + " as its last", prev);
    if (w.sound && w.blocks.size() != h.usedBlocks && !(w.blocks.empty() && h.numRecords == 0))
        fail("the chain has " + N(w.blocks.size()) + " blocks, the header counts " + N(h.usedBlocks), -1);
    if (w.records < h.numRecords)
        fail("the header counts " + N(h.numRecords) + " records, the chain holds " + N(w.records), -1);
    // Blocks neither in the chain nor on the free list: lost from the table.
    std::vector<bool> free(reached.size(), false);
    for (uint32_t b = h.firstFreeBlock, steps = 0; b != 0 && b <= inFile && !free[b] && steps <= inFile; ++steps) {
        free[b] = true;
        b = GetLE16(window.block(b));
    }
    const uint32_t limit = std::min<uint32_t>(inFile, h.fileBlocks);
    for (uint32_t b = 1; b <= limit; ++b) {
        if (reached[b] || free[b]) continue;
        const int32_t claimed = ClaimedRecords(h, window.block(b));
        if (claimed > 0) fail("block " + N(b) + " holds " + N(claimed) + " record(s) but the chain does not reach it", b);
    }
    return w;
}

}  // namespace paradox::verify
