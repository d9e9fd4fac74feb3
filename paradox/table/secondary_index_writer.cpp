// Secondary index construction: collect one entry per record while walking the data-block
// chain, sort the entries by the index key, pack them into full blocks of the index data file,
// then build the B-tree file over those blocks the way the primary index is built.
#include "paradox/table/secondary_index_writer.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "paradox/format/byte_order.h"
#include "paradox/format/crypto.h"
#include "paradox/storage/engine_error.h"
#include "paradox/storage/external_sort.h"
#include "paradox/storage/table_family.h"
#include "paradox/table/primary_index.h"
#include "paradox/table/table_state.h"
#include "shared/text/key_fold.h"

namespace paradox {

namespace {

constexpr uint8_t kXMaintained = 5, kXPlain = 3, kXgMaintained = 8, kXgPlain = 6;
constexpr uint8_t kYSingle = 4, kYComposite = 7;
constexpr uint8_t kFlagCaseInsensitive = 0x01, kFlagDescending = 0x10, kFlagUnique = 0x20;
constexpr uint16_t kDescendingBit = 0x8000;

// One key column of the index record and how it compares.
struct KeyColumn {
    uint16_t offset = 0;
    uint16_t width = 0;
    const vortab::ByteFold* fold = nullptr;  // Alpha keys of a case-insensitive index
    bool descending = false;
    bool indexField = false;  // part of the index fields proper (unique check)
};

Field MakeField(const std::string& name, PxType type, uint8_t sizeByte) {
    Field f;
    f.name = name;
    f.type = type;
    f.sizeByte = sizeByte;
    f.width = FieldWidth(type, sizeByte);
    return f;
}

void PutShort(uint8_t* p, int32_t v) { PutSortableInt(p, v, 2); }

int CompareColumn(const KeyColumn& c, const uint8_t* a, const uint8_t* b) {
    const uint8_t* pa = a + c.offset;
    const uint8_t* pb = b + c.offset;
    int r = 0;
    if (c.fold) {
        const vortab::ByteFold& fold = *c.fold;
        for (uint16_t i = 0; i < c.width && r == 0; ++i)
            if (pa[i] != pb[i]) r = int(fold[pa[i]]) - int(fold[pb[i]]);
    } else {
        r = std::memcmp(pa, pb, c.width);
    }
    return c.descending ? -r : r;
}

// How index entries sort with plain byte comparisons (ExternalSorter::ByteKey): when the key
// columns are the entry's first bytes and neither fold case nor run descending, by those bytes;
// otherwise each entry is led by a normalized copy of its key (folded bytes, and the complement
// of a descending column's bytes), which compares byte by byte as CompareColumn compares.
struct SortForm {
    std::size_t prefix = 0;  // bytes of the normalized key before the entry (0: none)
    std::size_t key = 0;     // bytes compared
};

SortForm SortFormOf(const std::vector<KeyColumn>& cols) {
    SortForm f;
    bool plain = true;
    for (const KeyColumn& c : cols) {
        plain = plain && !c.fold && !c.descending && c.offset == f.key;
        f.key += c.width;
    }
    if (!plain) f.prefix = f.key;
    return f;
}

void NormalizeKey(const std::vector<KeyColumn>& cols, const uint8_t* entry, uint8_t* out) {
    for (const KeyColumn& c : cols) {
        const uint8_t* p = entry + c.offset;
        const uint8_t flip = c.descending ? 0xFF : 0x00;
        for (uint16_t i = 0; i < c.width; ++i) *out++ = uint8_t((c.fold ? (*c.fold)[p[i]] : p[i]) ^ flip);
    }
}

// Whether two index entries hold the same values in the index's own fields.
bool SameIndexKey(const std::vector<KeyColumn>& cols, const uint8_t* a, const uint8_t* b) {
    for (const KeyColumn& c : cols)
        if (c.indexField && CompareColumn(c, a, b) != 0) return false;
    return true;
}

// The header of the index data file: a data-file header with the index's own marks.
std::vector<uint8_t> BuildIndexDataHeader(const DbHeader& table, const Schema& xs, const IndexDescriptor& d,
                                          bool composite, bool maintained, const std::string& xName,
                                          uint32_t checksum, uint8_t fileTypeForChain) {
    NewHeaderSpec spec;
    spec.schema = xs;
    spec.version = table.version;
    spec.blockSizeCode = table.blockSizeCode;
    spec.sortOrder = table.sortOrder;
    spec.codePage = table.codePage;
    spec.sortOrderName = table.sortOrderName;
    spec.tableName = xName;
    spec.checksum = checksum;
    if (table.hasExtension()) spec.updateStamp = GetLE32(table.raw.data() + hdr::kUpdateStamp);
    std::vector<uint8_t> raw = BuildDbHeader(spec);
    const bool ext = table.version >= 5;
    const std::string name = composite ? fixedText(d.name) : std::string();
    if (ext && composite) {
        // The index name follows the language-driver name.
        const uint16_t used = GetLE16(raw.data() + hdr::kRealHeaderSize);
        const std::size_t need = std::size_t(used) + name.size() + 1;
        if (need > raw.size()) {
            const std::size_t grown = (need + 0x7FF) / 0x800 * 0x800;
            if (grown > 0xF800) throw EngineError(err::kInvalidIndexDesc, "index header too large");
            raw.resize(grown, 0);
            PutLE16(raw.data() + hdr::kHeaderSize, static_cast<uint16_t>(grown));
        }
        std::memcpy(raw.data() + used, name.data(), name.size());
        PutLE16(raw.data() + 0x68, static_cast<uint16_t>(used - hdr::kFixedEnd));
        PutLE16(raw.data() + hdr::kRealHeaderSize, static_cast<uint16_t>(need));
    }
    uint8_t* p = raw.data();
    p[hdr::kFileType] = fileTypeForChain;
    p[0x15] = static_cast<uint8_t>(d.keyFields[0]);
    p[hdr::kSyncStamp] = 0xFF;
    p[hdr::kChangeCount2] = table.raw[hdr::kChangeCount2];
    p[0x2F] = table.raw[hdr::kChangeCount1];  // the data file's write counter when the index was built
    if (ext) {
        // Next free field ID: one above the highest entry of the field-number list.
        uint16_t hi = 0;
        for (const Field& f : xs.fields) hi = std::max<uint16_t>(hi, f.id & 0x7FFF);
        PutLE16(p + hdr::kHiFieldId, static_cast<uint16_t>(hi + 1));
        p[0x6C] = 1;
        p[0x6D] = 1;
    }
    uint8_t flags = 0;
    if (composite) {
        if (d.caseInsensitive) flags |= kFlagCaseInsensitive;
        if (d.descending) flags |= kFlagDescending;
        if (d.unique) flags |= kFlagUnique;
    }
    p[hdr::kFlags] = flags;
    (void)maintained;
    return raw;
}

// True when any of the first m fields is marked descending (read one by one: the packed
// descriptor's array need not be aligned).
bool AnyFieldDescending(const IndexDescriptor& d, int m) {
    for (int k = 0; k < m; ++k)
        if (d.fieldDescending[k] != 0) return true;
    return false;
}

}  // namespace

bool IsSingleFieldIndex(const IndexDescriptor& d, const std::string& fieldName) {
    if (d.keyFieldCount != 1 || d.caseInsensitive || d.unique || d.descending || d.fieldDescending[0]) return false;
    const std::string name = fixedText(d.name);
    return name.empty() || name == fieldName;
}

void WriteSecondaryIndex(const SecondaryIndexSource& src, const IndexDescriptor& d, const std::string& xName,
                         const std::string& yName, File& x, File& y) {
    const DbHeader& h = *src.header;
    const Schema& ts = h.schema;
    const int m = d.keyFieldCount;
    if (m < 1 || m > kMaxKeyFields) throw EngineError(err::kInvalidIndexDesc, "index key field count");
    for (int i = 0; i < m; ++i) {
        const uint16_t n = d.keyFields[i];
        if (n < 1 || n > ts.fields.size()) throw EngineError(err::kInvalidIndexDesc, "index key field number");
        if (IsBlobType(ts.fields[n - 1u].type)) throw EngineError(err::kInvalidIndexDesc, "blob fields cannot be indexed");
    }
    const bool composite = !IsSingleFieldIndex(d, ts.fields[d.keyFields[0] - 1u].name);
    if (composite && h.version < 5) throw EngineError(err::kInvalidIndexType, "composite indexes need table level 4");
    const bool maintained = d.maintained != 0;
    // A maintained index finds its records by the table's key; any other one by their place in
    // the chain, as Paradox writes it even for a non-maintained index on a keyed table.
    const bool keyed = ts.keyFields > 0 && maintained;

    // Layout of the index record.
    Schema xs;
    std::vector<KeyColumn> cols;
    std::vector<uint16_t> srcOffsets;  // record offset in the table of each copied field
    const vortab::ByteFold& keyFold = vortab::AlphaKeyFold(h.codePage);
    auto add = [&](Field f, bool key, bool fold, bool desc, bool indexField, int srcOffset) {
        f.offset = xs.recordSize;
        xs.recordSize = static_cast<uint16_t>(xs.recordSize + f.width);
        if (key) cols.push_back({f.offset, f.width, fold ? &keyFold : nullptr, desc, indexField});
        srcOffsets.push_back(static_cast<uint16_t>(srcOffset < 0 ? 0xFFFF : srcOffset));
        xs.fields.push_back(std::move(f));
    };
    for (int i = 0; i < m; ++i) {
        const Field& tf = ts.fields[d.keyFields[i] - 1u];
        const bool desc = d.fieldDescending[i] != 0 || (d.descending && !AnyFieldDescending(d, m));
        Field f = MakeField(tf.name, tf.type, tf.sizeByte);
        f.id = static_cast<uint16_t>(d.keyFields[i] | (desc ? kDescendingBit : 0));
        add(f, true, d.caseInsensitive && tf.type == PxType::Alpha, desc, true, tf.offset);
    }
    if (keyed) {
        for (uint16_t k = 0; k < ts.keyFields; ++k) {
            const Field& tf = ts.fields[k];
            add(MakeField(tf.name, tf.type, tf.sizeByte), true, false, false, false, tf.offset);
        }
        add(MakeField("Blk Num", PxType::Short, 2), false, false, false, false, -1);
    } else {
        add(MakeField("Tup No", PxType::Long, 4), true, false, false, false, -1);
        add(MakeField("Blk Num", PxType::Short, 2), true, false, false, false, -1);
        add(MakeField("Tup Offset", PxType::Short, 2), false, false, false, false, -1);
    }
    for (std::size_t i = static_cast<std::size_t>(m); i < xs.fields.size(); ++i) xs.fields[i].id = static_cast<uint16_t>(i + 1);
    xs.keyFields = static_cast<uint16_t>(cols.size());
    const uint16_t xrs = xs.recordSize;
    const uint32_t bs = h.blockSize();
    if (uint32_t(xrs) + 6 > bs) throw EngineError(err::kRecTooBig, "index record too large for a block");

    // One entry per record along the chain, sorted by the index key in bounded memory.
    const SortForm form = SortFormOf(cols);
    ExternalSorter entries(DirectoryPart(src.db->path()), src.checksum != 0, form.prefix + xrs, ExternalSorter::ByteKey{form.key});
    std::vector<uint8_t> sortEntry(form.prefix + xrs);
    BlockWindow chain(*src.db, h, src.fileSize, src.checksum);
    const uint64_t maxBlocks = (src.fileSize - std::min<uint64_t>(src.fileSize, h.headerSize) + bs - 1) / bs;
    uint32_t next = h.numRecords ? h.firstBlock : 0, visited = 0, tuple = 0;
    uint64_t seen = 0;
    std::vector<uint8_t> e(xrs);
    while (next != 0) {
        if (next > maxBlocks || ++visited > maxBlocks) throw EngineError(err::kFileCorrupt, src.db->path() + ": broken block chain");
        const uint8_t* block = chain.block(next);
        const uint32_t n = RecordsInBlock(h, block, src.db->path());
        for (uint32_t r = 0; r < n; ++r) {
            const uint8_t* rec = block + 6 + std::size_t(r) * h.recordSize;
            std::fill(e.begin(), e.end(), 0);
            std::size_t fi = 0;
            for (; fi < xs.fields.size(); ++fi) {
                const Field& f = xs.fields[fi];
                if (srcOffsets[fi] != 0xFFFF) std::memcpy(e.data() + f.offset, rec + srcOffsets[fi], f.width);
            }
            const std::size_t last = xs.fields.size();
            if (keyed) {
                PutShort(e.data() + xs.fields[last - 1].offset, static_cast<int32_t>(next));
            } else {
                // As Paradox writes them: the record's 1-based number along the chain, its block,
                // and its byte offset among the block's records.
                PutSortableInt(e.data() + xs.fields[last - 3].offset, static_cast<int32_t>(tuple + 1), 4);
                PutShort(e.data() + xs.fields[last - 2].offset, static_cast<int32_t>(next));
                PutShort(e.data() + xs.fields[last - 1].offset, static_cast<int32_t>(r * h.recordSize));
            }
            ++tuple;
            if (form.prefix == 0) {
                entries.add(e.data());
                continue;
            }
            NormalizeKey(cols, e.data(), sortEntry.data());
            std::memcpy(sortEntry.data() + form.prefix, e.data(), xrs);
            entries.add(sortEntry.data());
        }
        seen += n;
        next = GetLE16(block);
    }
    if (seen != h.numRecords) throw EngineError(err::kFileCorrupt, src.db->path() + ": records in the blocks differ from the header count");

    entries.finish();
    const std::size_t count = entries.size();
    // Index data file: written first as a keyed data file so the B-tree builder can read it.
    const uint8_t finalType = composite ? (maintained ? kXgMaintained : kXgPlain) : (maintained ? kXMaintained : kXPlain);
    std::vector<uint8_t> raw = BuildIndexDataHeader(h, xs, d, composite, maintained, xName, src.checksum, 0);
    const uint32_t headerSize = GetLE16(raw.data() + hdr::kHeaderSize);
    const uint32_t perBlock = (bs - 6) / xrs;
    const uint32_t blocks = static_cast<uint32_t>((count + perBlock - 1) / perBlock);
    if (blocks > 0xFFFF) throw EngineError(err::kTableFull, xName);
    std::vector<uint8_t> prev(xrs);
    // Blocks go out in batches of kBatchBlocks, written with one call each.
    constexpr uint32_t kBatchBlocks = 64;
    std::vector<uint8_t> batch(std::size_t(std::min<uint32_t>(std::max<uint32_t>(blocks, 1), kBatchBlocks)) * bs);
    for (uint32_t b = 0; b < blocks; ++b) {
        uint8_t* block = batch.data() + std::size_t(b % kBatchBlocks) * bs;
        std::fill(block, block + bs, 0);
        const std::size_t first = std::size_t(b) * perBlock;
        const uint32_t n = static_cast<uint32_t>(std::min<std::size_t>(perBlock, count - first));
        PutLE16(block, static_cast<uint16_t>(b + 1 < blocks ? b + 2 : 0));
        PutLE16(block + 2, static_cast<uint16_t>(b));
        PutLE16(block + 4, static_cast<uint16_t>((n - 1) * xrs));
        for (uint32_t r = 0; r < n; ++r) {
            uint8_t* slot = block + 6 + std::size_t(r) * xrs;
            std::memcpy(slot, entries.next() + form.prefix, xrs);
            if ((d.unique || d.primary) && (first + r > 0) && SameIndexKey(cols, prev.data(), slot))
                throw EngineError(err::kKeyViol, "duplicate key in unique index " + fixedText(d.name));
            std::memcpy(prev.data(), slot, xrs);
        }
        if (src.checksum) EncryptDataBlock(block, bs, src.checksum, b + 1);
        if (b % kBatchBlocks == kBatchBlocks - 1 || b + 1 == blocks) {
            const uint32_t firstInBatch = b - b % kBatchBlocks;
            x.writeAt(uint64_t(headerSize) + uint64_t(firstInBatch) * bs, batch.data(), std::size_t(b - firstInBatch + 1) * bs);
        }
    }
    ChainCounts c;
    c.numRecords = static_cast<uint32_t>(count);
    c.usedBlocks = c.fileBlocks = static_cast<uint16_t>(blocks);
    c.firstBlock = blocks ? 1 : 0;
    c.lastBlock = static_cast<uint16_t>(blocks);
    PatchDbHeader(raw, c, false, 0);
    PutLE32(raw.data() + hdr::kAutoInc, GetLE32(h.raw.data() + hdr::kAutoInc));
    x.writeAt(0, raw.data(), raw.size());

    const DbHeader xh = ReadDbHeader(x, false);
    PrimaryIndexSource ysrc{&x, &xh, x.size(), src.checksum, yName};
    WritePrimaryIndex(ysrc, y);
    const uint8_t yType = composite ? kYComposite : kYSingle;
    y.writeAt(hdr::kFileType, &yType, 1);
    x.writeAt(hdr::kFileType, &finalType, 1);
}

}  // namespace paradox
