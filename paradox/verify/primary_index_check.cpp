// Key order along the chain, and the primary index against the chain.
#include "paradox/verify/primary_index_check.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "paradox/format/byte_order.h"
#include "paradox/format/crypto.h"
#include "paradox/storage/engine_error.h"
#include "paradox/storage/table_family.h"
#include "paradox/table/table_state.h"

namespace paradox::verify {
namespace {

std::string N(uint64_t n) { return std::to_string(n); }
constexpr uint64_t kLargestCount = 32767;  // of an index entry's record count
constexpr int kMaxReported = 5;  // findings of one kind per file; the rest are counted

class KeyOrderCheck : public RecordVisitor {
public:
    KeyOrderCheck(const CheckedTable& t, FindingSink& out)
        : file_(t.dbFile), keySize_(t.header.schema.keySize()), byteOrder_(KeyOrderIsByteOrder(t.header)),
          out_(out), prev_(keySize_) {}
    ~KeyOrderCheck() override {
        if (repeats_ > kMaxReported)
            out_.error(file_, err::kKeyViol, N(repeats_) + " records in all repeat the key of the record before them");
        if (disorder_ > kMaxReported)
            out_.add(byteOrder_ ? Severity::Error : Severity::Warning, file_, err::kIndexCorrupt,
                     N(disorder_) + " records in all come before the record ahead of them in key order");
    }
    void visit(uint64_t recordNo, uint32_t block, uint32_t, const uint8_t* record) override {
        if (recordNo > 1) {
            const int c = std::memcmp(prev_.data(), record, keySize_);
            if (c == 0 && ++repeats_ <= kMaxReported)
                out_.error(file_, err::kKeyViol, "record " + N(recordNo) + " repeats the key of the record before it",
                           block, recordNo);
            if (c > 0 && ++disorder_ <= kMaxReported)
                out_.add(byteOrder_ ? Severity::Error : Severity::Warning, file_, err::kIndexCorrupt,
                         "record " + N(recordNo) + " is out of key order" +
                             (byteOrder_ ? "" : " (by byte order; the table's language driver may order it so)"),
                         block, recordNo);
        }
        std::memcpy(prev_.data(), record, keySize_);
    }

private:
    std::string file_;
    uint16_t keySize_;
    bool byteOrder_;
    FindingSink& out_;
    std::vector<uint8_t> prev_;
    uint64_t repeats_ = 0, disorder_ = 0;
};

int ShortAt(const uint8_t* p) { return int16_t(uint16_t((p[0] ^ 0x80) << 8 | p[1])); }

// Walks the .PX tree from its root, comparing the leaf entries with the chain's blocks in order.
class PxWalk {
public:
    PxWalk(const CheckedTable& t, const ChainWalk& chain, const File& px, const DbHeader& ph, FindingSink& out)
        : chain_(chain), ph_(ph), out_(out), file_(t.member("PX")),
          keySize_(t.header.schema.keySize()), window_(px, ph, px.size(), ph.checksum ? t.checksum : 0),
          seen_(std::size_t(ph.fileBlocks) + 2, false) {}

    // The records below pxBlock, counted in the data blocks; first: its first key (keySize bytes).
    uint64_t walk(uint32_t pxBlock, int level, std::vector<uint8_t>& first) {
        if (failed_) return 0;
        if (pxBlock == 0 || pxBlock >= seen_.size() || seen_[pxBlock]) return fail("index block " + N(pxBlock) + " is outside the index or reached twice", pxBlock);
        seen_[pxBlock] = true;
        std::vector<uint8_t> block(window_.block(pxBlock), window_.block(pxBlock) + ph_.blockSize());
        const int32_t add = GetLE16s(block.data() + 4);
        if (add < 0 || add % ph_.recordSize != 0 || uint32_t(add / ph_.recordSize + 1) > ph_.recordsPerBlock())
            return fail("index block " + N(pxBlock) + " has an impossible used size", pxBlock);
        const uint32_t n = uint32_t(add / ph_.recordSize) + 1;
        entries_ += n;
        uint64_t sum = 0;
        for (uint32_t i = 0; i < n && !failed_; ++i) {
            const uint8_t* e = block.data() + 6 + std::size_t(i) * ph_.recordSize;
            const uint32_t target = uint32_t(ShortAt(e + keySize_)) & 0xFFFF;
            const uint64_t count = uint32_t(ShortAt(e + keySize_ + 2)) & 0xFFFF;
            std::vector<uint8_t> key(e, e + keySize_);
            if (i == 0) first = key;
            if (level <= 1) {
                checkLeaf(pxBlock, target, count, key);
                sum += count;
            } else {
                std::vector<uint8_t> below;
                const uint64_t counted = walk(target, level - 1, below);
                // The count is a Short: a bigger number of records is stored as its largest value.
                if (!failed_ && std::min<uint64_t>(counted, kLargestCount) != count)
                    fail("index block " + N(pxBlock) + " counts " + N(count) + " records below block " + N(target) +
                             ", the blocks below hold " + N(counted), pxBlock);
                if (!failed_ && below != key)
                    fail("index block " + N(pxBlock) + " names another first key for block " + N(target) +
                             " than that block holds", pxBlock);
                sum += counted;
            }
        }
        return sum;
    }

    void finish() {
        if (failed_) return;
        if (leaf_ != chain_.blocks.size())
            fail("the index lists " + N(leaf_) + " data blocks, the chain has " + N(chain_.blocks.size()), -1);
        else if (entries_ != ph_.numRecords)
            fail("the index header counts " + N(ph_.numRecords) + " entries, its blocks hold " + N(entries_), -1);
    }

private:
    void checkLeaf(uint32_t pxBlock, uint32_t target, uint64_t count, const std::vector<uint8_t>& key) {
        if (leaf_ >= chain_.blocks.size()) {
            fail("index block " + N(pxBlock) + " lists data block " + N(target) + " past the end of the chain", pxBlock);
            return;
        }
        const ChainBlock& c = chain_.blocks[leaf_];
        const uint8_t* firstKey = chain_.firstKeys.data() + std::size_t(leaf_) * keySize_;
        if (target != c.number)
            fail("index block " + N(pxBlock) + " lists data block " + N(target) + " where the chain has block " + N(c.number), pxBlock);
        else if (count != c.records)
            fail("index block " + N(pxBlock) + " counts " + N(count) + " records in data block " + N(target) +
                     ", it holds " + N(c.records), pxBlock);
        else if (std::memcmp(firstKey, key.data(), keySize_) != 0)
            fail("index block " + N(pxBlock) + " names another first key for data block " + N(target) + " than it holds", pxBlock);
        ++leaf_;
    }
    uint64_t fail(const std::string& text, int64_t block) {
        out_.error(file_, err::kIndexCorrupt, "the primary index is out of date: " + text, block);
        failed_ = true;
        return 0;
    }

    const ChainWalk& chain_;
    const DbHeader& ph_;
    FindingSink& out_;
    std::string file_;
    uint16_t keySize_;
    BlockWindow window_;
    std::vector<bool> seen_;
    std::size_t leaf_ = 0;
    uint64_t entries_ = 0;
    bool failed_ = false;
};

}  // namespace

std::unique_ptr<RecordVisitor> MakeKeyOrderCheck(const CheckedTable& t, FindingSink& out) {
    return std::make_unique<KeyOrderCheck>(t, out);
}

void CheckPrimaryIndex(const CheckedTable& t, const ChainWalk& chain, FindingSink& out) {
    const auto path = FindTableFile(t.dir, t.base, "PX");
    if (!path) {
        out.error(t.base + ".PX", err::kFamilyMemberNotFound, "the table is keyed but its primary index (.PX) is missing");
        return;
    }
    const std::string file = t.member("PX");
    try {
        File px = File::openRead(*path);
        const DbHeader ph = ReadChainHeader(px);
        if (ph.fileType != 1) {
            out.error(file, err::kHeaderCorrupt, "not a primary index (file type " + N(ph.fileType) + ")");
            return;
        }
        if (GetLE16(ph.raw.data() + hdr::kNumFields) != t.header.schema.keyFields || ph.recordSize != t.header.schema.keySize() + 6) {
            out.error(file, err::kIndexCorrupt, "the primary index was made for other key fields than the table has");
            return;
        }
        if (!chain.sound) return;  // compared against a chain that is itself damaged, it only repeats that
        PxWalk walk(t, chain, px, ph, out);
        std::vector<uint8_t> first;
        if (ph.indexLevels > 0 && ph.numRecords > 0) walk.walk(ph.indexRoot, ph.indexLevels, first);
        walk.finish();
    } catch (const EngineError& e) {
        out.error(file, e.code() == err::kHeaderCorrupt ? err::kHeaderCorrupt : err::kIndexCorrupt,
                  std::string("the primary index cannot be read: ") + e.what());
    }
}

}  // namespace paradox::verify
