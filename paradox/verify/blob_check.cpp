// Blob references against the .MB.
#include "paradox/verify/blob_check.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "paradox/format/blob_file.h"
#include "paradox/format/byte_order.h"
#include "paradox/format/crypto.h"
#include "paradox/format/field_codec.h"
#include "paradox/storage/engine_error.h"
#include "paradox/storage/table_family.h"

namespace paradox::verify {
namespace {

std::string N(uint64_t n) { return std::to_string(n); }
constexpr int kMaxReported = 5;
constexpr uint8_t kNoBlock = 0xEE;  // a unit inside a block, not its start

class BlobCheck : public RecordVisitor {
public:
    BlobCheck(const CheckedTable& t, FindingSink& out) : t_(t), out_(out), file_(t.member("MB")) {
        for (std::size_t i = 0; i < t.header.schema.fields.size(); ++i)
            if (IsBlobType(t.header.schema.fields[i].type)) fields_.push_back(i);
        if (auto path = FindTableFile(t.dir, t.base, "MB")) {
            try {
                mb_ = File::openRead(*path);
                tile();
                haveMb_ = true;
            } catch (const EngineError& e) {
                out_.error(file_, err::kMemoCorrupt, std::string("the blob file cannot be read: ") + e.what());
                broken_ = true;
            }
        }
    }

    ~BlobCheck() override {
        if (missingRefs_ > 0)
            out_.error(file_, err::kBlobFileMissing, N(missingRefs_) + " blob reference(s) point into the .MB, which is missing");
        if (bad_ > kMaxReported) out_.error(file_, err::kMemoCorrupt, N(bad_) + " blob references in all are broken");
        if (twice_ > kMaxReported) out_.error(file_, err::kMemoCorrupt, N(twice_) + " blob references in all share a blob");
        if (haveMb_) listUnreferenced();
    }

    void visit(uint64_t recordNo, uint32_t block, uint32_t, const uint8_t* record) override {
        for (std::size_t i : fields_) {
            const Field& f = t_.header.schema.fields[i];
            const BlobRef ref = DecodeBlobRef(f, record);
            if (ref.length == 0) continue;
            if (ref.ref == 0) {
                if (ref.length > f.leader()) report(recordNo, block, f, "is longer than its leader but has no .MB pointer");
                continue;
            }
            if (!haveMb_) {
                if (!broken_) ++missingRefs_;
                continue;
            }
            checkRef(recordNo, block, f, ref);
        }
    }

private:
    void tile() {
        const uint64_t size = mb_.size();
        if (size < kMbBlock || size % kMbBlock != 0) throw EngineError(err::kMemoCorrupt, "its size is not a multiple of 4 KB");
        kind_.assign(size / kMbBlock, kNoBlock);
        used_.assign(kind_.size(), 0);
        for (uint64_t unit = 0; unit < kind_.size();) {
            uint8_t head[256];
            if (!mb_.readAt(unit * kMbBlock, head, sizeof head)) throw EngineError(err::kMemoCorrupt, "block header truncated");
            if (t_.checksum) DecryptBlobBytes(head, sizeof head, t_.checksum);
            const uint16_t units = GetLE16(head + 1);
            if (head[0] > 4 || units == 0 || unit + units > kind_.size())
                throw EngineError(err::kMemoCorrupt, "the block at offset " + N(unit * kMbBlock) + " has an impossible header");
            kind_[unit] = head[0];
            unit += units;
        }
    }

    static const char* KindName(uint8_t k) {
        switch (k) {
            case 0: return "the header block";
            case 2: return "a single-blob block";
            case 3: return "a shared blob block";
            case 4: return "a free block";
            default: return "the middle of a block";
        }
    }

    void checkRef(uint64_t recordNo, uint32_t block, const Field& f, const BlobRef& ref) {
        const uint64_t unit = ref.offset() / kMbBlock;
        if (ref.offset() % kMbBlock != 0 || unit >= kind_.size()) {
            report(recordNo, block, f, "points outside the .MB (offset " + N(ref.offset()) + ")");
            return;
        }
        const uint8_t want = ref.slot() == 0xFF ? 2 : 3;
        if (kind_[unit] != want) {
            report(recordNo, block, f, std::string("points into ") + KindName(kind_[unit]) + " at offset " + N(ref.offset()));
            return;
        }
        if (const char* fault = want == 2 ? checkSingle(ref) : checkSlot(ref)) {
            report(recordNo, block, f, std::string("does not hold its value: ") + fault);
            return;
        }
        const uint64_t bit = want == 2 ? 1 : uint64_t(1) << ref.slot();
        if (used_[unit] & bit) {
            if (++twice_ <= kMaxReported)
                out_.error(file_, err::kMemoCorrupt, "record " + N(recordNo) + ", field " + f.name +
                                                        ": its blob at offset " + N(ref.offset()) + " is referenced by another record too",
                           block, recordNo);
            return;
        }
        used_[unit] |= bit;
    }

    // The first bytes of the block at unit, deciphered; kept while references stay in one block
    // (records written in order reference their blobs in order).
    const uint8_t* head(uint64_t unit) {
        if (unit != headUnit_) {
            const uint64_t n = std::min<uint64_t>(sizeof head_, mb_.size() - unit * kMbBlock);
            std::fill(std::begin(head_), std::end(head_), 0);
            (void)mb_.readAt(unit * kMbBlock, head_, n);  // n stops at the end of the file
            if (t_.checksum) DecryptBlobBytes(head_, sizeof head_, t_.checksum);
            headUnit_ = unit;
        }
        return head_;
    }

    const char* checkSingle(const BlobRef& ref) {
        const uint64_t unit = ref.offset() / kMbBlock;
        const uint8_t* h = head(unit);
        const uint64_t units = GetLE16(h + 1);
        if (GetLE32(h + 3) != ref.length) return "the block holds another length";
        if (9 + uint64_t(ref.length) > units * kMbBlock || ref.offset() + 9 + uint64_t(ref.length) > mb_.size())
            return "the value runs past its block";
        return nullptr;
    }

    const char* checkSlot(const BlobRef& ref) {
        const uint8_t* e = head(ref.offset() / kMbBlock) + 12 + 5 * ref.slot();
        const uint32_t dataOff = e[0] * 16u, chunks = e[1], last = e[4];
        if (chunks == 0 || last == 0 || last > 16) return "the slot is free";
        if ((chunks - 1) * 16 + last != ref.length) return "the slot holds another length";
        if (dataOff < 0x150 || dataOff + ref.length > kMbBlock) return "the slot's data lies outside its block";
        return nullptr;
    }

    void report(uint64_t recordNo, uint32_t block, const Field& f, const std::string& what) {
        if (++bad_ <= kMaxReported)
            out_.error(file_, err::kMemoCorrupt, "record " + N(recordNo) + ", field " + f.name + ": the blob reference " + what,
                       block, recordNo);
    }

    void listUnreferenced() {
        uint64_t count = 0;
        std::string first;
        for (uint64_t unit = 1; unit < kind_.size(); ++unit) {
            uint64_t slots = 0;
            if (kind_[unit] == 2) {
                slots = used_[unit] ? 0 : 1;
            } else if (kind_[unit] == 3) {
                uint8_t head[512];  // the slot table ends at 12 + 5 * 64, inside two cipher chunks
                if (!mb_.readAt(unit * kMbBlock, head, sizeof head)) continue;
                if (t_.checksum) DecryptBlobBytes(head, sizeof head, t_.checksum);
                for (int s = 0; s < 64; ++s)
                    if (head[12 + 5 * s + 4] != 0 && !(used_[unit] & (uint64_t(1) << s))) ++slots;
            }
            if (slots && first.empty()) first = N(unit * kMbBlock);
            count += slots;
        }
        if (count > 0)
            out_.warning(file_, err::kMemoCorrupt, N(count) + " blob(s) in the .MB are referenced by no record (the first at offset " +
                                                       first + ")");
    }

    const CheckedTable& t_;
    FindingSink& out_;
    std::string file_;
    std::vector<std::size_t> fields_;
    File mb_;
    bool haveMb_ = false;  // opened and tiled
    uint8_t head_[512];  // slot table of a shared block: 12 + 5 * 64 bytes, two cipher chunks
    uint64_t headUnit_ = ~uint64_t(0);
    std::vector<uint8_t> kind_;   // per 4 KB unit: the type of the block starting there
    std::vector<uint64_t> used_;  // per unit: referenced slots (bit 0 for a single-blob block)
    bool broken_ = false;
    uint64_t missingRefs_ = 0, bad_ = 0, twice_ = 0;
};

}  // namespace

std::unique_ptr<RecordVisitor> MakeBlobCheck(const CheckedTable& t, FindingSink& out) {
    if (!t.header.schema.hasBlobs()) return nullptr;
    return std::make_unique<BlobCheck>(t, out);
}

}  // namespace paradox::verify
