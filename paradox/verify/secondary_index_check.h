// Checks of every secondary index (.Xnn/.Ynn, .XGn/.YGn): its header describes fields the table
// has with the types it records, its B-tree file is present, and a maintained index holds every
// record exactly once, in order. While the table's chain is walked, the entry each record should
// have is built (index_entries.h) and fingerprinted; the index file is then read once: its
// entries in order, their count, and their fingerprint against the records'. A non-maintained
// index that is out of date is a warning (the original engine rebuilds it when it is used).
#pragma once
#include <memory>

#include "paradox/verify/chain_check.h"

namespace paradox::verify {

class SecondaryIndexChecks : public RecordVisitor {
public:
    // Reads the index headers; an index that does not fit the table is reported here.
    SecondaryIndexChecks(const CheckedTable& t, FindingSink& out);
    ~SecondaryIndexChecks() override;
    void visit(uint64_t recordNo, uint32_t block, uint32_t slot, const uint8_t* record) override;
    // Compares each index file with what the walk gathered.
    void finish(const ChainWalk& chain);

private:
    struct Index;
    const CheckedTable& t_;
    FindingSink& out_;
    std::vector<std::unique_ptr<Index>> indexes_;
    std::vector<uint8_t> entry_;
};

}  // namespace paradox::verify
