// Checks of the .DB's header counts and its data-block chain: next and previous links, no loop,
// no block twice, every used block reached, each block's used size, the header's record count
// against the chain. The walk hands every record to the visitors (key order, blob references),
// so the file is read once.
#pragma once
#include <cstdint>
#include <vector>

#include "paradox/verify/checked_table.h"

namespace paradox::verify {

class RecordVisitor {
public:
    virtual ~RecordVisitor() = default;
    // recordNo: 1-based in chain order; block: the data block holding it; slot: 0-based in the block.
    virtual void visit(uint64_t recordNo, uint32_t block, uint32_t slot, const uint8_t* record) = 0;
};

struct ChainBlock {
    uint32_t number = 0;
    uint32_t records = 0;
};

struct ChainWalk {
    std::vector<ChainBlock> blocks;  // in chain order
    std::vector<uint8_t> firstKeys;  // keySize bytes per block of `blocks` (keyed tables)
    uint64_t records = 0;            // records in the chain's blocks
    bool sound = true;               // false when the chain itself is damaged
};

// Checks the header's own facts (counts against the file and against each other, the block
// size against the version); false when they make the chain unreadable.
bool CheckHeader(const CheckedTable& t, FindingSink& out);

ChainWalk CheckChain(const CheckedTable& t, FindingSink& out, const std::vector<RecordVisitor*>& visitors);

// Records a block header claims, or -1 when its used size is not a whole number of records
// inside the block.
int32_t ClaimedRecords(const DbHeader& h, const uint8_t* block);

}  // namespace paradox::verify
