// The forward record cursor: follows the data-block chain from the header's first block,
// one block in memory at a time, with guards against loops and impossible counts.
#include <cstring>
#include <vector>

#include "paradox/byte_order.h"
#include "paradox/engine_error.h"
#include "paradox/field_codec.h"
#include "paradox/table.h"
#include "paradox/table_state.h"

namespace paradox {

struct RecordReader::Impl {
    std::shared_ptr<const TableState> table;
    std::vector<uint8_t> block;
    uint32_t blockNumber = 0;  // 0 = before the first block
    uint32_t inBlock = 0;
    uint32_t index = 0;
    uint32_t visited = 0;
    uint64_t seen = 0;
    bool started = false;
    bool finished = false;

    // Moves to the next block of the chain; false at its end.
    bool nextBlock() {
        const TableState& t = *table;
        const DbHeader& h = t.header;
        uint32_t next;
        if (!started) {
            started = true;
            next = h.firstBlock;
            if (h.numRecords == 0 && (next == 0 || h.usedBlocks == 0)) next = 0;
        } else {
            next = GetLE16(block.data());
        }
        if (next == 0) {
            if (seen != h.numRecords)
                throw EngineError(err::kFileCorrupt, t.dbPath + ": records in the blocks differ from the header count");
            return false;
        }
        if (next > t.blocksInFile() || ++visited > t.blocksInFile())
            throw EngineError(err::kFileCorrupt, t.dbPath + ": broken block chain");
        const uint32_t present = ReadDataBlock(t.db, h, t.fileSize, t.checksum, next, block.data());
        inBlock = RecordsInBlock(h, block.data(), t.dbPath);
        if (6 + uint64_t(inBlock) * h.recordSize > present)
            throw EngineError(err::kFileCorrupt, t.dbPath + ": block truncated");
        seen += inBlock;
        if (seen > h.numRecords)
            throw EngineError(err::kFileCorrupt, t.dbPath + ": more records in the blocks than the header counts");
        blockNumber = next;
        index = 0;
        return true;
    }
};

RecordReader::RecordReader(std::shared_ptr<const TableState> table) : impl_(std::make_unique<Impl>()) {
    impl_->table = std::move(table);
    impl_->block.resize(impl_->table->header.blockSize());
    view_.table_ = impl_->table.get();
}

RecordReader::~RecordReader() = default;
RecordReader::RecordReader(RecordReader&&) noexcept = default;
RecordReader& RecordReader::operator=(RecordReader&&) noexcept = default;

bool RecordReader::next() {
    Impl& m = *impl_;
    if (m.finished) return false;
    if (m.blockNumber != 0 && m.index + 1 < m.inBlock) {
        ++m.index;
    } else {
        do {
            if (!m.nextBlock()) {
                m.finished = true;
                view_.data_ = nullptr;
                return false;
            }
        } while (m.inBlock == 0);
    }
    view_.data_ = m.block.data() + 6 + size_t(m.index) * m.table->header.recordSize;
    return true;
}

std::vector<Value> RecordReader::values() const {
    const auto n = impl_->table->header.schema.fields.size();
    std::vector<Value> out;
    out.reserve(n);
    for (std::size_t i = 0; i < n; ++i) out.push_back(view_.value(static_cast<int>(i)));
    return out;
}

namespace {
const Field& FieldAt(const TableState* t, int i) {
    const auto& fields = t->header.schema.fields;
    if (i < 0 || static_cast<std::size_t>(i) >= fields.size())
        throw EngineError(err::kOutOfRange, "field index " + std::to_string(i));
    return fields[static_cast<std::size_t>(i)];
}
}  // namespace

bool RecordView::isNull(int field) const { return IsBlankField(FieldAt(table_, field), data_); }

Value RecordView::value(int field) const {
    const Field& f = FieldAt(table_, field);
    if (IsBlobType(f.type)) return table_->blobValue(f, data_);
    return DecodeField(f, data_);
}

int64_t RecordView::getInt(int field) const {
    const Field& f = FieldAt(table_, field);
    const uint8_t* p = data_ + f.offset;
    switch (f.type) {
    case PxType::Short: return (p[0] | p[1]) ? GetSortableInt(p, 2) : 0;
    case PxType::Long:
    case PxType::AutoInc:
    case PxType::Date:
    case PxType::Time: return (p[0] | p[1] | p[2] | p[3]) ? GetSortableInt(p, 4) : 0;
    case PxType::Logical: return p[0] == 0x81;
    default: throw EngineError(err::kInvalidParam, "field " + f.name + " is not an integer field");
    }
}

double RecordView::getDouble(int field) const {
    const Field& f = FieldAt(table_, field);
    const uint8_t* p = data_ + f.offset;
    switch (f.type) {
    case PxType::Number:
    case PxType::Money:
    case PxType::Timestamp: return IsBlankField(f, data_) ? 0.0 : GetSortableDouble(p);
    default: return static_cast<double>(getInt(field));
    }
}

std::string_view RecordView::getText(int field) const {
    const Field& f = FieldAt(table_, field);
    const char* p = reinterpret_cast<const char*>(data_ + f.offset);
    if (f.type == PxType::Bytes) return std::string_view(p, f.width);
    if (f.type != PxType::Alpha) throw EngineError(err::kInvalidParam, "field " + f.name + " is not a text field");
    const void* nul = std::memchr(p, 0, f.width);
    return std::string_view(p, nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - p) : f.width);
}

}  // namespace paradox
