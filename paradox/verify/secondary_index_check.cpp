// Secondary indexes against the table they index.
#include "paradox/verify/secondary_index_check.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "paradox/format/byte_order.h"
#include "paradox/storage/engine_error.h"
#include "paradox/storage/table_family.h"
#include "paradox/table/secondary_index.h"
#include "paradox/table/secondary_index_writer.h"
#include "paradox/table/table_state.h"

namespace paradox::verify {
namespace {

std::string N(uint64_t n) { return std::to_string(n); }

std::string ScratchDirectory() {
    const char* tmp = std::getenv("TMPDIR");
    return tmp && *tmp ? tmp : "/tmp";
}

// Streams the records of an index data file along its chain.
class IndexRecords {
public:
    IndexRecords(const File& f, uint32_t checksum)
        : h_(ReadChainHeader(f)), window_(f, h_, f.size(), h_.checksum ? checksum : 0), path_(f.path()),
          limit_(f.size() / h_.blockSize() + 1), next_(h_.numRecords ? h_.firstBlock : 0) {}
    const uint8_t* next() {
        while (index_ >= inBlock_) {
            if (next_ == 0) return nullptr;
            if (++visited_ > limit_) throw EngineError(err::kIndexCorrupt, path_ + ": its block chain loops");
            block_ = window_.block(next_);
            const int32_t add = GetLE16s(block_ + 4);
            inBlock_ = add < 0 ? 0 : uint32_t(add / h_.recordSize) + 1;
            if (add >= 0 && (add % h_.recordSize != 0 || inBlock_ > h_.recordsPerBlock()))
                throw EngineError(err::kIndexCorrupt, path_ + ": block " + N(next_) + " has an impossible used size");
            index_ = 0;
            next_ = GetLE16(block_);
        }
        return block_ + 6 + std::size_t(index_++) * h_.recordSize;
    }
    const DbHeader& header() const { return h_; }

private:
    DbHeader h_;
    BlockWindow window_;
    std::string path_;
    uint64_t limit_;
    uint32_t next_;
    const uint8_t* block_ = nullptr;
    uint32_t inBlock_ = 0, index_ = 0, visited_ = 0;
};

bool HasAlphaField(const CheckedTable& t, const IndexDescriptor& d) {
    for (uint16_t i = 0; i < d.keyFieldCount && i < kMaxKeyFields; ++i)
        if (d.keyFields[i] >= 1 && d.keyFields[i] <= t.header.schema.fields.size() &&
            t.header.schema.fields[d.keyFields[i] - 1].type == PxType::Alpha)
            return true;
    return false;
}

// Compares the index file with one built afresh from the table; the first difference, or "".
std::string CompareWithRebuilt(const CheckedTable& t, const SecondaryIndexReading& r, const File& existing) {
    File x = File::createAnonymous(ScratchDirectory());
    File y = File::createAnonymous(ScratchDirectory());
    SecondaryIndexSource src{&t.db, &t.header, t.fileSize, t.checksum};
    WriteSecondaryIndex(src, r.descriptor, r.file, "Y", x, y);
    IndexRecords have(existing, t.checksum), want(x, t.checksum);
    if (have.header().recordSize != want.header().recordSize) return "its entries have another size than the table's fields give";
    uint64_t n = 0;
    for (;;) {
        const uint8_t* a = have.next();
        const uint8_t* b = want.next();
        ++n;
        if (!a && !b) return "";
        if (!a) return "it lacks entries from number " + N(n) + " on (" + N(want.header().numRecords) + " records in the table)";
        if (!b) return "it holds more entries than the table has records (" + N(want.header().numRecords) + ")";
        if (std::memcmp(a, b, have.header().recordSize) != 0) return "entry " + N(n) + " differs from the table's records";
    }
}

void CheckOne(const CheckedTable& t, const SecondaryIndexReading& r, FindingSink& out) {
    const std::string ext = r.file.substr(r.file.find_last_of('.') + 1);
    if (r.faultCode != 0 || !r.usable) {
        out.error(r.file, r.faultCode ? r.faultCode : err::kIndexCorrupt, "the index does not fit the table: " + r.fault);
        return;
    }
    std::string yExt = ext;
    yExt[0] = (ext[0] == 'x') ? 'y' : 'Y';
    if (!FindTableFile(t.dir, t.base, yExt))
        out.error(t.base + "." + yExt, err::kFamilyMemberNotFound, "the B-tree of index " + r.file + " is missing");
    const bool maintained = r.descriptor.maintained != 0;
    const Severity s = maintained && (KeyOrderIsByteOrder(t.header) || !HasAlphaField(t, r.descriptor))
                           ? Severity::Error : Severity::Warning;
    const std::string what = maintained ? "the maintained index " : "the non-maintained index ";
    const auto path = FindTableFile(t.dir, t.base, ext);
    File existing = File::openRead(*path);
    const DbHeader xh = ReadChainHeader(existing);
    if (xh.numRecords != t.header.numRecords) {
        out.add(maintained ? Severity::Error : Severity::Warning, r.file, err::kIndexCorrupt,
                what + r.file + " is out of date: it holds " + N(xh.numRecords) + " entries, the table " +
                    N(t.header.numRecords) + " records");
        return;
    }
    const std::string diff = CompareWithRebuilt(t, r, existing);
    if (!diff.empty()) out.add(s, r.file, err::kIndexCorrupt, what + r.file + " is out of date: " + diff);
}

}  // namespace

void CheckSecondaryIndexes(const CheckedTable& t, const ChainWalk& chain, FindingSink& out) {
    for (const SecondaryIndexReading& r : ReadSecondaryIndexes(t.dir, t.base, t.header.schema)) {
        try {
            if (!chain.sound && (r.faultCode == 0 && r.usable)) {
                out.notice(r.file, 0, "not compared with the table: its data blocks are damaged");
                continue;
            }
            CheckOne(t, r, out);
        } catch (const EngineError& e) {
            out.error(r.file, e.code(), std::string("the index cannot be read: ") + e.what());
        }
    }
}

}  // namespace paradox::verify
