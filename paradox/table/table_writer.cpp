// TableWriter: inserts records into a working copy of the .DB (and .MB), block by block.
// Keyed tables keep key order: a record goes into the block whose first key is the greatest
// not above its own; a full block is split in two, except at the end of the chain where a new
// block is started (so that loads in key order fill blocks completely). The .PX is rebuilt
// from the finished chain on commit.
#include "paradox/table/table_writer.h"

#include <algorithm>
#include <cstring>

#include "paradox/format/blob_file.h"
#include "paradox/format/byte_order.h"
#include "paradox/format/crypto.h"
#include "paradox/format/field_codec.h"
#include "paradox/storage/engine_error.h"
#include "paradox/storage/family_swap.h"
#include "paradox/storage/table_family.h"
#include "paradox/table/index_maintenance.h"
#include "paradox/table/primary_index.h"
#include "paradox/table/secondary_index_writer.h"
#include "paradox/table/table_companions.h"
#include "paradox/table/table_state.h"

namespace paradox {

class WriterState {
public:
    std::shared_ptr<TableState> table;
    DbHeader h;
    std::unique_ptr<FamilySwap> swap;  // every changed file is staged here and swapped in on commit
    File* db = nullptr;                // staged copy of the .DB
    File* mb = nullptr;                // staged copy of the .MB, once a blob is written
    std::unique_ptr<BlobWriter> blobs;
    std::vector<SecondaryIndexDef> secondary;
    uint32_t checksum = 0;
    uint32_t bs = 0;
    uint16_t rs = 0;
    uint32_t perBlock = 0;
    uint16_t keySize = 0;
    uint64_t fileSize = 0;

    std::vector<uint16_t> chain;   // block numbers in chain order
    std::vector<uint16_t> counts;  // records per chain block
    std::vector<uint8_t> firstKeys;  // keySize bytes per chain block
    uint32_t fileBlocks = 0;
    uint16_t freeHead = 0;
    uint64_t numRecords = 0;
    uint32_t autoInc = 0;
    int autoField = -1;

    std::vector<uint8_t> cur;  // cached block
    uint32_t curBlock = 0;
    bool dirty = false;
    std::vector<uint8_t> other;     // scratch block
    std::vector<uint8_t> combined;  // scratch for a split
    std::vector<uint8_t> rec;
    bool closed = false;

    // Block I/O on the working copy.
    void readBlock(uint32_t n, uint8_t* buf) { ReadDataBlock(*db, h, fileSize, checksum, n, buf); }
    void writeBlock(uint32_t n, const uint8_t* buf) {
        const uint64_t off = uint64_t(h.headerSize) + uint64_t(n - 1) * bs;
        if (checksum) {
            std::vector<uint8_t>& tmp = combined;
            tmp.assign(buf, buf + bs);
            EncryptDataBlock(tmp.data(), bs, checksum, n);
            db->writeAt(off, tmp.data(), bs);
        } else {
            db->writeAt(off, buf, bs);
        }
        fileSize = std::max(fileSize, off + bs);
    }
    void flush() {
        if (dirty) writeBlock(curBlock, cur.data());
        dirty = false;
    }
    void load(uint32_t n) {
        if (curBlock == n) return;
        flush();
        readBlock(n, cur.data());
        curBlock = n;
    }
    uint32_t allocate() {
        if (fileBlocks >= 0xFFFF) throw EngineError(err::kTableFull, table->dbPath);
        return ++fileBlocks;
    }
    static void setLinks(uint8_t* b, uint32_t next, uint32_t prev) {
        PutLE16(b, static_cast<uint16_t>(next));
        PutLE16(b + 2, static_cast<uint16_t>(prev));
    }
    void setCount(uint8_t* b, uint32_t n) const {
        PutLE16(b + 4, static_cast<uint16_t>(static_cast<int32_t>(n) * rs - rs));
    }
    uint8_t* recordAt(uint8_t* b, uint32_t i) const { return b + 6 + size_t(i) * rs; }

    void scanChain();
    void appendBlockAfterLast(const uint8_t* record);
    struct Placement {
        std::size_t block = 0;  // index into chain
        uint32_t pos = 0;       // record position inside the block
    };
    Placement locateKeyed(const uint8_t* record);
    void insertKeyed(const uint8_t* record, const Placement& at);
    void insertUnkeyed(const uint8_t* record);
    void writeBlobFields(const std::vector<Value>& values);
    void openBlobFile();
};

void WriterState::scanChain() {
    std::vector<uint16_t> empty;
    std::vector<uint8_t> lastKey;
    const uint32_t maxBlocks = std::max<uint32_t>(table->blocksInFile(), h.fileBlocks);
    uint32_t next = h.firstBlock, visited = 0;
    if (h.numRecords == 0 && h.usedBlocks == 0) next = 0;
    uint64_t seen = 0;
    while (next != 0) {
        if (next > maxBlocks || ++visited > maxBlocks) throw EngineError(err::kFileCorrupt, table->dbPath + ": broken block chain");
        readBlock(next, other.data());
        const uint32_t n = RecordsInBlock(h, other.data(), table->dbPath);
        if (n == 0) {
            empty.push_back(static_cast<uint16_t>(next));
        } else {
            // Inserts place records by comparing encoded key bytes; a table whose records are
            // in another order (a collating language driver) cannot be extended safely.
            if (keySize > 0) {
                const uint8_t* first = other.data() + 6;
                if (!lastKey.empty() && std::memcmp(lastKey.data(), first, keySize) >= 0)
                    throw EngineError(err::kNotSupported, table->dbPath + ": key order differs from byte order");
                for (uint32_t r = 1; r < n; ++r)
                    if (std::memcmp(first + size_t(r - 1) * rs, first + size_t(r) * rs, keySize) >= 0)
                        throw EngineError(err::kNotSupported, table->dbPath + ": key order differs from byte order");
                lastKey.assign(first + size_t(n - 1) * rs, first + size_t(n - 1) * rs + keySize);
            }
            chain.push_back(static_cast<uint16_t>(next));
            counts.push_back(static_cast<uint16_t>(n));
            firstKeys.insert(firstKeys.end(), other.data() + 6, other.data() + 6 + keySize);
        }
        seen += n;
        next = GetLE16(other.data());
    }
    if (seen != h.numRecords) throw EngineError(err::kFileCorrupt, table->dbPath + ": records in the blocks differ from the header count");
    fileBlocks = h.fileBlocks;
    for (uint16_t b : chain) fileBlocks = std::max<uint32_t>(fileBlocks, b);
    for (uint16_t b : empty) fileBlocks = std::max<uint32_t>(fileBlocks, b);
    if (empty.empty()) return;
    // Empty blocks leave the chain for the free list; their neighbours are relinked.
    for (uint16_t b : empty) {
        readBlock(b, other.data());
        setLinks(other.data(), freeHead, 0);
        setCount(other.data(), 0);
        writeBlock(b, other.data());
        freeHead = b;
    }
    for (std::size_t i = 0; i < chain.size(); ++i) {
        readBlock(chain[i], other.data());
        setLinks(other.data(), i + 1 < chain.size() ? chain[i + 1] : 0, i > 0 ? chain[i - 1] : 0);
        writeBlock(chain[i], other.data());
    }
}

void WriterState::appendBlockAfterLast(const uint8_t* record) {
    const uint32_t n = allocate();
    const uint32_t prev = chain.empty() ? 0 : chain.back();
    if (prev) {
        load(prev);
        PutLE16(cur.data(), static_cast<uint16_t>(n));
        dirty = true;
    }
    flush();
    std::fill(cur.begin(), cur.end(), 0);
    curBlock = n;
    setLinks(cur.data(), 0, prev);
    std::memcpy(recordAt(cur.data(), 0), record, rs);
    setCount(cur.data(), 1);
    dirty = true;
    chain.push_back(static_cast<uint16_t>(n));
    counts.push_back(1);
    firstKeys.insert(firstKeys.end(), record, record + keySize);
}

void WriterState::insertUnkeyed(const uint8_t* record) {
    if (chain.empty() || counts.back() >= perBlock) {
        appendBlockAfterLast(record);
        return;
    }
    load(chain.back());
    std::memcpy(recordAt(cur.data(), counts.back()), record, rs);
    ++counts.back();
    setCount(cur.data(), counts.back());
    dirty = true;
}

WriterState::Placement WriterState::locateKeyed(const uint8_t* record) {
    Placement at;
    if (chain.empty()) return at;
    // The last block whose first key is not above the new key (or the first block).
    std::size_t lo = 0, hi = chain.size();
    while (lo < hi) {
        const std::size_t mid = (lo + hi) / 2;
        if (std::memcmp(&firstKeys[mid * keySize], record, keySize) <= 0) lo = mid + 1;
        else hi = mid;
    }
    at.block = lo == 0 ? 0 : lo - 1;
    load(chain[at.block]);
    const uint32_t n = counts[at.block];
    uint32_t a = 0, b = n;
    while (a < b) {
        const uint32_t mid = (a + b) / 2;
        if (std::memcmp(recordAt(cur.data(), mid), record, keySize) < 0) a = mid + 1;
        else b = mid;
    }
    at.pos = a;
    if (a < n && std::memcmp(recordAt(cur.data(), a), record, keySize) == 0)
        throw EngineError(err::kKeyViol, table->base);
    return at;
}

void WriterState::insertKeyed(const uint8_t* record, const Placement& at) {
    if (chain.empty()) {
        appendBlockAfterLast(record);
        return;
    }
    const std::size_t i = at.block;
    const uint32_t pos = at.pos;
    load(chain[i]);
    const uint32_t n = counts[i];
    if (n < perBlock) {
        std::memmove(recordAt(cur.data(), pos + 1), recordAt(cur.data(), pos), size_t(n - pos) * rs);
        std::memcpy(recordAt(cur.data(), pos), record, rs);
        counts[i] = static_cast<uint16_t>(n + 1);
        setCount(cur.data(), n + 1);
        if (pos == 0) std::memcpy(&firstKeys[i * keySize], record, keySize);
        dirty = true;
        return;
    }
    if (i + 1 == chain.size() && pos == n) {
        appendBlockAfterLast(record);
        return;
    }
    // Split: the n + 1 records are shared between this block and a new one after it.
    combined.resize(size_t(n + 1) * rs);
    std::memcpy(combined.data(), recordAt(cur.data(), 0), size_t(pos) * rs);
    std::memcpy(combined.data() + size_t(pos) * rs, record, rs);
    std::memcpy(combined.data() + size_t(pos + 1) * rs, recordAt(cur.data(), pos), size_t(n - pos) * rs);
    const uint32_t keep = (n + 1) / 2, moved = n + 1 - keep;
    const uint32_t nb = allocate();
    const uint32_t oldNext = GetLE16(cur.data());
    std::fill(other.begin(), other.end(), 0);
    setLinks(other.data(), oldNext, chain[i]);
    std::memcpy(recordAt(other.data(), 0), combined.data() + size_t(keep) * rs, size_t(moved) * rs);
    setCount(other.data(), moved);
    std::vector<uint8_t> newFirst(other.data() + 6, other.data() + 6 + keySize);
    std::memcpy(recordAt(cur.data(), 0), combined.data(), size_t(keep) * rs);
    std::memset(recordAt(cur.data(), keep), 0, size_t(perBlock - keep) * rs);
    PutLE16(cur.data(), static_cast<uint16_t>(nb));
    setCount(cur.data(), keep);
    std::memcpy(&firstKeys[i * keySize], recordAt(cur.data(), 0), keySize);
    dirty = true;
    writeBlock(nb, other.data());
    if (oldNext) {
        readBlock(oldNext, other.data());
        PutLE16(other.data() + 2, static_cast<uint16_t>(nb));
        writeBlock(oldNext, other.data());
    }
    counts[i] = static_cast<uint16_t>(keep);
    chain.insert(chain.begin() + static_cast<std::ptrdiff_t>(i + 1), static_cast<uint16_t>(nb));
    counts.insert(counts.begin() + static_cast<std::ptrdiff_t>(i + 1), static_cast<uint16_t>(moved));
    firstKeys.insert(firstKeys.begin() + static_cast<std::ptrdiff_t>((i + 1) * keySize), newFirst.begin(), newFirst.end());
}

void WriterState::openBlobFile() {
    auto existing = FindTableFile(table->dir, table->base, "MB");
    mb = &swap->stage(swap->memberName("MB"));
    if (existing) {
        File src = File::openRead(*existing);
        CopyFileContents(src, *mb);
    } else {
        std::vector<uint8_t> head = NewBlobFileHeader();
        if (checksum) EncryptBlobBytes(head.data(), head.size(), checksum);
        mb->writeAt(0, head.data(), head.size());
    }
    blobs = std::make_unique<BlobWriter>(*mb, checksum);
}

void WriterState::writeBlobFields(const std::vector<Value>& values) {
    const auto& fields = h.schema.fields;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const Field& f = fields[i];
        if (!IsBlobType(f.type)) continue;
        const Value& v = values[i];
        std::memset(rec.data() + f.offset, 0, f.width);
        if (v.isNull()) continue;
        const std::string stored = AddBlobPrefix(f.type, v.asString());
        if (stored.empty()) continue;
        std::memcpy(rec.data() + f.offset, stored.data(), std::min<std::size_t>(stored.size(), f.leader()));
        BlobRef ref;
        ref.length = static_cast<uint32_t>(stored.size());
        if (stored.size() > f.leader()) {
            if (!blobs) openBlobFile();
            ref = blobs->write(stored);
        }
        EncodeBlobRef(f, ref, rec.data());
    }
}

TableWriter::TableWriter(std::unique_ptr<WriterState> s) : state_(std::move(s)) {}
TableWriter::~TableWriter() = default;
TableWriter::TableWriter(TableWriter&&) noexcept = default;
TableWriter& TableWriter::operator=(TableWriter&&) noexcept = default;

TableWriter TableWriter::open(const std::string& dir, const std::string& name, const OpenOptions& options) {
    auto s = std::make_unique<WriterState>();
    s->table = OpenTableState(dir, name, options);
    RequireUnderstoodCompanions(s->table->dir, s->table->base, s->table->header.schema);
    // Secondary indexes hold block numbers: they are rebuilt from the new data on commit.
    s->secondary = ReadSecondaryIndexDefs(s->table->dir, s->table->base);
    if (s->table->header.writeProtected) throw EngineError(err::kTableReadOnly, s->table->base);
    // An auxiliary password must grant at least the right to insert.
    if ((s->table->tableRights & 7) != 7) throw EngineError(err::kNotSufficientTableRights, s->table->base);
    s->h = s->table->header;
    s->checksum = s->table->checksum;
    s->bs = s->h.blockSize();
    s->rs = s->h.recordSize;
    s->perBlock = s->h.recordsPerBlock();
    s->keySize = s->h.schema.keySize();
    s->numRecords = s->h.numRecords;
    s->autoField = s->h.schema.autoIncField();
    s->autoInc = s->autoField >= 0 ? s->h.autoInc : 0;
    s->freeHead = s->h.firstFreeBlock;
    s->cur.assign(s->bs, 0);
    s->other.assign(s->bs, 0);
    s->rec.assign(s->rs, 0);
    s->swap = std::make_unique<FamilySwap>(s->table->dir, s->table->base);
    s->db = &s->swap->stage(s->swap->memberName("DB"));
    CopyFileContents(s->table->db, *s->db);
    s->fileSize = s->db->size();
    s->scanChain();
    return TableWriter(std::move(s));
}

const Schema& TableWriter::schema() const { return state_->h.schema; }

void TableWriter::insert(const std::vector<Value>& values) {
    WriterState& s = *state_;
    if (s.closed) throw EngineError(err::kInvalidParam, "writer already committed");
    const auto& fields = s.h.schema.fields;
    if (values.size() != fields.size())
        throw EngineError(err::kInvalidParam, "record has " + std::to_string(values.size()) + " values for " +
                                                  std::to_string(fields.size()) + " fields");
    if (s.numRecords >= 0xFFFFFFFFull) throw EngineError(err::kTableFull, s.table->base);
    uint32_t nextAuto = s.autoInc;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const Field& f = fields[i];
        if (IsBlobType(f.type)) {
            const Value& v = values[i];
            if (!v.isNull() && v.kind() != ValueKind::Text && v.kind() != ValueKind::Bytes)
                throw EngineError(err::kInvalidParam, "value does not suit blob field " + f.name);
            continue;
        }
        if (static_cast<int>(i) == s.autoField && values[i].isNull()) {
            if (nextAuto >= 0x7FFFFFFF) throw EngineError(err::kOutOfRange, "autoincrement exhausted");
            EncodeField(f, Value::integer(++nextAuto), s.rec.data());
            continue;
        }
        EncodeField(f, values[i], s.rec.data());
        if (static_cast<int>(i) == s.autoField && values[i].asInt() > int64_t(nextAuto))
            nextAuto = static_cast<uint32_t>(values[i].asInt());
    }
    if (s.h.schema.keyFields > 0) {
        // A key violation is found before anything is written to the blob file.
        const WriterState::Placement at = s.locateKeyed(s.rec.data());
        s.writeBlobFields(values);
        s.insertKeyed(s.rec.data(), at);
    } else {
        s.writeBlobFields(values);
        s.insertUnkeyed(s.rec.data());
    }
    s.autoInc = nextAuto;
    ++s.numRecords;
}

void TableWriter::commit() {
    WriterState& s = *state_;
    if (s.closed) throw EngineError(err::kInvalidParam, "writer already committed");
    s.flush();
    ChainCounts c;
    c.numRecords = static_cast<uint32_t>(s.numRecords);
    c.usedBlocks = static_cast<uint16_t>(s.chain.size());
    c.fileBlocks = static_cast<uint16_t>(s.fileBlocks);
    c.firstBlock = s.chain.empty() ? 0 : s.chain.front();
    c.lastBlock = s.chain.empty() ? 0 : s.chain.back();
    PatchDbHeader(s.h.raw, c, s.autoField >= 0, s.autoInc);
    PutLE16(s.h.raw.data() + hdr::kFirstFree, s.freeHead);
    s.db->writeAt(0, s.h.raw.data(), s.h.raw.size());
    if (s.blobs) s.blobs->finish();

    // Indexes are built from the staged data file, then everything is swapped in as one step.
    const DbHeader fresh = ReadDbHeader(*s.db, false);
    if (s.h.schema.keyFields > 0) {
        File& px = s.swap->stage(s.swap->memberName("PX"));
        PrimaryIndexSource src{s.db, &fresh, s.db->size(), s.checksum, s.table->base + ".PX"};
        WritePrimaryIndex(src, px);
    }
    for (const SecondaryIndexDef& def : s.secondary) {
        const std::string yExt = YExtension(def.extension);
        const std::string xName = s.swap->memberName(def.extension), yName = s.swap->memberName(yExt);
        SecondaryIndexSource src{s.db, &fresh, s.db->size(), s.checksum};
        WriteSecondaryIndex(src, def.desc, xName, yName, s.swap->stage(xName), s.swap->stage(yName));
    }
    s.swap->commit();
    s.closed = true;
}

}  // namespace paradox
