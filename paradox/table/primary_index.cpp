// Primary-index construction. Index records are the key bytes followed by three short fields
// (block number, record count, 0), encoded like Short values. Blocks are numbered in the order
// written (leaves first, root last) and chained in that order.
#include "paradox/table/primary_index.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "paradox/format/byte_order.h"
#include "paradox/format/crypto.h"
#include "paradox/storage/engine_error.h"
#include "paradox/table/table_state.h"

namespace paradox {

namespace {

// A block number: all 16 bits of it (a table has up to 65,535 blocks), stored as a Short's
// bytes, so that a number above 32767 reads back as itself when taken as unsigned, as the
// secondary indexes store theirs.
void PutBlockField(uint8_t* p, uint32_t block) { PutSortableInt(p, static_cast<int32_t>(block & 0xFFFF), 2); }

// A record count: a statistic, stored as at most the largest Short.
void PutCountField(uint8_t* p, uint32_t count) { PutSortableInt(p, static_cast<int32_t>(std::min<uint32_t>(count, 0x7FFF)), 2); }

// Appends index entries level by level, writing full blocks as they fill.
class IndexBlockWriter {
public:
    IndexBlockWriter(File& out, uint32_t headerSize, uint32_t blockSize, uint16_t entrySize, uint32_t checksum)
        : out_(out), headerSize_(headerSize), blockSize_(blockSize), entrySize_(entrySize), checksum_(checksum),
          perBlock_((blockSize - 6) / entrySize), current_(blockSize, 0), pending_(blockSize, 0) {}

    // Starts a new level: later entries go to fresh blocks.
    void startLevel() {
        closeCurrent();
        summaries_.clear();
    }
    void add(const uint8_t* key, uint32_t block, uint32_t count) {
        if (inCurrent_ == perBlock_) closeCurrent();
        if (inCurrent_ == 0) {
            if (written_ + (havePending_ ? 1 : 0) + 1 > 0xFFFF) throw EngineError(err::kTableFull, out_.path());
            currentNumber_ = written_ + (havePending_ ? 1 : 0) + 1;
            std::fill(current_.begin(), current_.end(), 0);
            summaries_.insert(summaries_.end(), key, key + keySize());
            summaryCounts_.push_back(0);
        }
        uint8_t* e = current_.data() + 6 + inCurrent_ * entrySize_;
        std::memcpy(e, key, keySize());
        PutBlockField(e + keySize(), block);
        PutCountField(e + keySize() + 2, count);
        PutCountField(e + keySize() + 4, 0);
        ++inCurrent_;
        levelEntries_++;
        summaryCounts_.back() += count;
        totalEntries_++;
    }
    // Entries of the level just finished: first key, block, summed count per block.
    std::size_t levelBlocks() const { return summaryCounts_.size(); }
    const uint8_t* summaryKey(std::size_t i) const { return summaries_.data() + i * keySize(); }
    uint32_t summaryBlock(std::size_t i) const { return firstOfLevel_ + static_cast<uint32_t>(i); }
    uint32_t summaryCount(std::size_t i) const { return summaryCounts_[i]; }

    void beginLevelNumbering() { firstOfLevel_ = written_ + (havePending_ ? 1 : 0) + 1; summaryCounts_.clear(); summaries_.clear(); }
    void finish() {
        closeCurrent();
        flushPending(0);
    }
    uint32_t blocks() const { return written_; }
    uint32_t entries() const { return totalEntries_; }

private:
    uint16_t keySize() const { return static_cast<uint16_t>(entrySize_ - 6); }

    void closeCurrent() {
        if (inCurrent_ == 0) return;
        PutLE16(current_.data() + 4, static_cast<uint16_t>((inCurrent_ - 1) * entrySize_));
        flushPending(currentNumber_);
        std::swap(current_, pending_);
        pendingNumber_ = currentNumber_;
        havePending_ = true;
        inCurrent_ = 0;
    }
    void flushPending(uint32_t nextNumber) {
        if (!havePending_) return;
        PutLE16(pending_.data(), static_cast<uint16_t>(nextNumber));
        PutLE16(pending_.data() + 2, static_cast<uint16_t>(pendingNumber_ > 1 ? pendingNumber_ - 1 : 0));
        std::vector<uint8_t> buf = pending_;
        if (checksum_) EncryptDataBlock(buf.data(), buf.size(), checksum_, pendingNumber_);
        out_.writeAt(uint64_t(headerSize_) + uint64_t(pendingNumber_ - 1) * blockSize_, buf.data(), buf.size());
        written_ = pendingNumber_;
        havePending_ = false;
    }

    File& out_;
    uint32_t headerSize_, blockSize_;
    uint16_t entrySize_;
    uint32_t checksum_;
    uint32_t perBlock_;
    std::vector<uint8_t> current_, pending_;
    uint32_t inCurrent_ = 0, currentNumber_ = 0, pendingNumber_ = 0, written_ = 0;
    bool havePending_ = false;
    uint32_t levelEntries_ = 0, totalEntries_ = 0, firstOfLevel_ = 1;
    std::vector<uint8_t> summaries_;
    std::vector<uint32_t> summaryCounts_;
};

}  // namespace

void WritePrimaryIndex(const PrimaryIndexSource& src, File& out) {
    const DbHeader& h = *src.header;
    PxHeaderSpec spec;
    spec.keySchema.fields.assign(h.schema.fields.begin(), h.schema.fields.begin() + h.schema.keyFields);
    spec.keySchema.recordSize = h.schema.keySize();
    spec.version = h.version;
    spec.blockSizeCode = h.blockSizeCode;
    spec.sortOrder = h.sortOrder;
    spec.syncStamp = h.raw[hdr::kChangeCount1];
    spec.checksum = src.checksum;
    spec.tableName = src.tableName;
    const uint16_t keySize = spec.keySchema.recordSize;
    const uint16_t entrySize = static_cast<uint16_t>(keySize + 6);
    if (uint32_t(entrySize) + 6 > h.blockSize()) throw EngineError(err::kRecTooBig, "key too large for the index block");

    std::vector<uint8_t> header = BuildPxHeader(spec);  // sizes fixed; counts patched below
    const uint32_t headerSize = static_cast<uint32_t>(header.size());
    IndexBlockWriter w(out, headerSize, h.blockSize(), entrySize, src.checksum);

    // Leaf level: one entry per data block of the chain.
    BlockWindow chain(*src.db, h, src.fileSize, src.checksum);
    const uint64_t maxBlocks = (src.fileSize - std::min<uint64_t>(src.fileSize, h.headerSize) + h.blockSize() - 1) / h.blockSize();
    uint32_t next = h.numRecords ? h.firstBlock : 0, visited = 0;
    w.beginLevelNumbering();
    while (next != 0) {
        if (next > maxBlocks || ++visited > maxBlocks) throw EngineError(err::kFileCorrupt, src.db->path() + ": broken block chain");
        const uint8_t* block = chain.block(next);
        const uint32_t n = RecordsInBlock(h, block, src.db->path());
        if (n > 0) w.add(block + 6, next, n);
        next = GetLE16(block);
    }
    uint8_t levels = w.levelBlocks() > 0 ? 1 : 0;
    // Upper levels until one block holds them all.
    while (w.levelBlocks() > 1) {
        const std::size_t count = w.levelBlocks();
        std::vector<uint8_t> keys(w.summaryKey(0), w.summaryKey(0) + count * keySize);
        std::vector<uint32_t> blocks(count), sums(count);
        for (std::size_t i = 0; i < count; ++i) {
            blocks[i] = w.summaryBlock(i);
            sums[i] = w.summaryCount(i);
        }
        w.startLevel();
        w.beginLevelNumbering();
        for (std::size_t i = 0; i < count; ++i) w.add(keys.data() + i * keySize, blocks[i], sums[i]);
        ++levels;
        if (levels > 16) throw EngineError(err::kIndexCorrupt, "index too deep");
    }
    w.finish();

    PxHeaderSpec done = spec;
    done.counts.numRecords = w.entries();
    done.counts.usedBlocks = static_cast<uint16_t>(w.blocks());
    done.counts.fileBlocks = static_cast<uint16_t>(w.blocks());
    done.counts.firstBlock = w.blocks() ? 1 : 0;
    done.counts.lastBlock = static_cast<uint16_t>(w.blocks());
    done.root = static_cast<uint16_t>(w.blocks() ? w.blocks() : 1);
    done.levels = levels;
    header = BuildPxHeader(done);
    out.writeAt(0, header.data(), header.size());
}

}  // namespace paradox
