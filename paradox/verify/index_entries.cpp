// Index entries as the index writer lays them out.
#include "paradox/verify/index_entries.h"

#include <cstring>

#include "paradox/format/byte_order.h"

namespace paradox::verify {

IndexEntryLayout::IndexEntryLayout(const DbHeader& table, const IndexDescriptor& d) : recordSize_(table.recordSize) {
    const Schema& ts = table.schema;
    const int m = d.keyFieldCount;
    bool anyFieldDescending = false;
    for (int i = 0; i < m; ++i) anyFieldDescending = anyFieldDescending || d.fieldDescending[i] != 0;
    const vortab::ByteFold& fold = vortab::AlphaKeyFold(table.codePage);
    auto add = [&](const Field& f, bool key, bool folded, bool desc) {
        if (key) columns_.push_back({size_, f.width, folded ? &fold : nullptr, desc});
        copies_.push_back({f.offset, size_, f.width});
        size_ = static_cast<uint16_t>(size_ + f.width);
    };
    for (int i = 0; i < m; ++i) {
        const Field& f = ts.fields[d.keyFields[i] - 1u];
        const bool desc = d.fieldDescending[i] != 0 || (d.descending && !anyFieldDescending);
        const bool folded = d.caseInsensitive && f.type == PxType::Alpha;
        textOrdered_ = textOrdered_ || f.type == PxType::Alpha;
        add(f, true, folded, desc);
    }
    keyed_ = ts.keyFields > 0 && d.maintained != 0;
    if (keyed_) {
        for (uint16_t k = 0; k < ts.keyFields; ++k) add(ts.fields[k], true, false, false);
        size_ = static_cast<uint16_t>(size_ + 2);  // Blk Num
    } else {
        columns_.push_back({size_, 4, nullptr, false});      // Tup No
        columns_.push_back({uint16_t(size_ + 4), 2, nullptr, false});  // Blk Num
        size_ = static_cast<uint16_t>(size_ + 8);             // and Tup Offset
    }
}

void IndexEntryLayout::fill(const uint8_t* rec, uint32_t block, uint64_t tuple, uint32_t slot, uint8_t* out) const {
    std::memset(out, 0, size_);
    for (const Copy& c : copies_) std::memcpy(out + c.to, rec + c.from, c.width);
    if (keyed_) {
        PutSortableInt(out + size_ - 2, static_cast<int32_t>(block), 2);
    } else {
        PutSortableInt(out + size_ - 8, static_cast<int32_t>(tuple + 1), 4);
        PutSortableInt(out + size_ - 4, static_cast<int32_t>(block), 2);
        PutSortableInt(out + size_ - 2, static_cast<int32_t>(slot * recordSize_), 2);
    }
}

int IndexEntryLayout::compare(const uint8_t* a, const uint8_t* b) const {
    for (const Column& c : columns_) {
        int r = 0;
        if (c.fold) {
            for (uint16_t i = 0; i < c.width && r == 0; ++i)
                if (a[c.offset + i] != b[c.offset + i]) r = int((*c.fold)[a[c.offset + i]]) - int((*c.fold)[b[c.offset + i]]);
        } else {
            r = std::memcmp(a + c.offset, b + c.offset, c.width);
        }
        if (r != 0) return c.descending ? -r : r;
    }
    return 0;
}

namespace {

uint64_t Mix(uint64_t x) {
    x ^= x >> 30;
    x *= 0xbf58476d1ce4e5b9ull;
    x ^= x >> 27;
    x *= 0x94d049bb133111ebull;
    return x ^ (x >> 31);
}

}  // namespace

// Eight bytes at a time: the check hashes every entry of every index twice, so this is its
// hottest loop.
uint64_t EntryHash(const uint8_t* p, std::size_t n) {
    uint64_t h = 0x9e3779b97f4a7c15ull * (n + 1);
    for (std::size_t i = 0; i + 8 <= n; i += 8) {
        uint64_t w;
        std::memcpy(&w, p + i, 8);
        h = (h ^ w) * 0xbf58476d1ce4e5b9ull;
        h ^= h >> 31;
    }
    // The last bytes: the final eight of the entry (overlapping the words before) when it has
    // that many, which every entry of one index has alike.
    uint64_t tail = 0;
    if (n >= 8) std::memcpy(&tail, p + n - 8, 8);
    else
        for (std::size_t k = 0; k < n; ++k) tail |= uint64_t(p[k]) << (8 * k);
    return Mix((h ^ tail) * 0x94d049bb133111ebull);
}

}  // namespace paradox::verify
