// The entry a secondary index holds for a table record, built the way the engine's index writer
// lays it out (index fields, then the primary key and the data block for a maintained index on
// a keyed table, else the record's number, block and offset), and the order of entries. The
// checker builds each record's entry while it walks the table and compares the index with them
// through an order-independent fingerprint, so no sort and no second file are needed.
#pragma once
#include <cstdint>
#include <vector>

#include "paradox/format/db_header.h"
#include "paradox/format/index_descriptor.h"
#include "shared/text/key_fold.h"

namespace paradox::verify {

class IndexEntryLayout {
public:
    IndexEntryLayout(const DbHeader& table, const IndexDescriptor& d);

    uint16_t size() const { return size_; }
    // The entry of record `rec` in data block `block`; tuple: 0-based number along the chain,
    // slot: 0-based place in its block.
    void fill(const uint8_t* rec, uint32_t block, uint64_t tuple, uint32_t slot, uint8_t* out) const;
    // <0, 0, >0 as a comes before, with or after b in the index's order.
    int compare(const uint8_t* a, const uint8_t* b) const;
    // Whether the order involves folded or collated Alpha text (a guess of the original's order).
    bool textOrdered() const { return textOrdered_; }

private:
    struct Column {
        uint16_t offset, width;
        const vortab::ByteFold* fold;
        bool descending;
    };
    struct Copy {
        uint16_t from, to, width;
    };
    std::vector<Column> columns_;
    std::vector<Copy> copies_;
    uint16_t size_ = 0;
    bool keyed_ = false;
    bool textOrdered_ = false;
    uint16_t recordSize_ = 0;
};

// A 64-bit fingerprint of an entry; a multiset of entries is fingerprinted by the sum.
uint64_t EntryHash(const uint8_t* p, std::size_t n);

}  // namespace paradox::verify
