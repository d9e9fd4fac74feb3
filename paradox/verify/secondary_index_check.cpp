// Secondary indexes against the table they index.
#include "paradox/verify/secondary_index_check.h"

#include <string>
#include <vector>

#include "paradox/format/byte_order.h"
#include "paradox/storage/engine_error.h"
#include "paradox/storage/table_family.h"
#include "paradox/table/secondary_index.h"
#include "paradox/table/table_state.h"
#include "paradox/verify/index_entries.h"

namespace paradox::verify {
namespace {

std::string N(uint64_t n) { return std::to_string(n); }

// Streams the entries of an index data file along its chain.
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

}  // namespace

struct SecondaryIndexChecks::Index {
    std::string file;
    bool maintained;
    IndexEntryLayout layout;
    uint64_t sum = 0;  // fingerprint of the entries the table's records call for
};

SecondaryIndexChecks::SecondaryIndexChecks(const CheckedTable& t, FindingSink& out) : t_(t), out_(out) {
    for (const SecondaryIndexReading& r : ReadSecondaryIndexes(t.dir, t.base, t.header.schema)) {
        const std::string ext = r.file.substr(r.file.find_last_of('.') + 1);
        if (r.faultCode != 0 || !r.usable) {
            out.error(r.file, r.faultCode ? r.faultCode : err::kIndexCorrupt, "the index does not fit the table: " + r.fault);
            continue;
        }
        std::string yExt = ext;
        yExt[0] = ext[0] == 'x' ? 'y' : 'Y';
        if (!FindTableFile(t.dir, t.base, yExt))
            out.error(t.base + "." + yExt, err::kFamilyMemberNotFound, "the B-tree of index " + r.file + " is missing");
        indexes_.push_back(std::make_unique<Index>(Index{r.file, r.descriptor.maintained != 0, IndexEntryLayout(t.header, r.descriptor)}));
    }
}

SecondaryIndexChecks::~SecondaryIndexChecks() = default;

void SecondaryIndexChecks::visit(uint64_t recordNo, uint32_t block, uint32_t slot, const uint8_t* record) {
    for (auto& ix : indexes_) {
        entry_.resize(ix->layout.size());
        ix->layout.fill(record, block, recordNo - 1, slot, entry_.data());
        ix->sum += EntryHash(entry_.data(), entry_.size());
    }
}

void SecondaryIndexChecks::finish(const ChainWalk& chain) {
    for (auto& ix : indexes_) {
        if (!chain.sound) {
            out_.notice(ix->file, 0, "not compared with the table: its data blocks are damaged");
            continue;
        }
        // Where the order is the engine's guess of a collation, a difference is no proof of damage.
        const bool ordersByBytes = KeyOrderIsByteOrder(t_.header) || !ix->layout.textOrdered();
        const Severity s = ix->maintained ? Severity::Error : Severity::Warning;
        const std::string what = (ix->maintained ? "the maintained index " : "the non-maintained index ") + ix->file;
        try {
            const File f = File::openRead(*FindTableFile(t_.dir, t_.base, ix->file.substr(ix->file.find_last_of('.') + 1)));
            IndexRecords entries(f, t_.checksum);
            if (entries.header().recordSize != ix->layout.size()) {
                out_.add(s, ix->file, err::kIndexCorrupt, what + " has entries of another size than the table's fields give");
                continue;
            }
            uint64_t count = 0, sum = 0, disorder = 0;
            std::vector<uint8_t> prev(ix->layout.size());
            while (const uint8_t* e = entries.next()) {
                if (count > 0 && ix->layout.compare(prev.data(), e) >= 0 && disorder++ == 0)
                    out_.add(ordersByBytes ? s : Severity::Warning, ix->file, err::kIndexCorrupt,
                             what + ": entry " + N(count + 1) + " is out of order" +
                                 (ordersByBytes ? "" : " (by the engine's order; the language driver may order it so)"));
                std::copy(e, e + prev.size(), prev.begin());
                sum += EntryHash(e, prev.size());
                ++count;
            }
            if (count != chain.records)
                out_.add(s, ix->file, err::kIndexCorrupt, what + " is out of date: it holds " + N(count) +
                                                             " entries, the table " + N(chain.records) + " records");
            else if (sum != ix->sum)
                out_.add(s, ix->file, err::kIndexCorrupt, what + " is out of date: its entries differ from the table's records");
            else if (entries.header().numRecords != count)
                out_.add(s, ix->file, err::kIndexCorrupt, what + ": its header counts " + N(entries.header().numRecords) +
                                                             " entries, its blocks hold " + N(count));
        } catch (const EngineError& e) {
            out_.error(ix->file, e.code(), std::string("the index cannot be read: ") + e.what());
        }
    }
}

}  // namespace paradox::verify
