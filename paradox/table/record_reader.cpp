// The forward record cursor: follows the data-block chain from the header's first block,
// a small window of blocks in memory at a time, with guards against loops and impossible counts.
#include <algorithm>
#include <cstring>
#include <vector>

#include "paradox/format/byte_order.h"
#include "paradox/format/crypto.h"
#include "paradox/format/field_codec.h"
#include "paradox/format/field_view.h"
#include "paradox/storage/engine_error.h"
#include "paradox/table/table.h"
#include "paradox/table/table_state.h"

namespace paradox {

// Blocks are read a few at a time (about 64 KB) because chains written in order are
// mostly consecutive; a block outside the window starts a new read at that block.
struct RecordReader::Impl {
    std::shared_ptr<const TableState> table;
    std::vector<uint8_t> window;
    uint32_t windowFirst = 0;  // block number of the first block in the window, 0 = empty
    uint32_t windowCount = 0;
    uint64_t windowBytes = 0;  // bytes of the window present in the file
    const uint8_t* block = nullptr;
    uint32_t blockNumber = 0;  // 0 = before the first block
    uint32_t inBlock = 0;
    uint32_t index = 0;
    uint32_t visited = 0;
    uint64_t seen = 0;
    bool started = false;
    bool finished = false;
    // values() decodes every field through views() into these, reused from record to record.
    std::vector<int> everyField;
    std::vector<ValueView> views;
    std::vector<std::string> held;

    // Makes block n current; returns the bytes of it present in the file.
    uint32_t fetch(uint32_t n) {
        const TableState& t = *table;
        const DbHeader& h = t.header;
        const uint32_t bs = h.blockSize();
        if (windowFirst == 0 || n < windowFirst || n >= windowFirst + windowCount) {
            const uint32_t capacity = static_cast<uint32_t>(window.size() / bs);
            const uint32_t count = std::min(capacity, t.blocksInFile() - n + 1);
            const uint64_t off = uint64_t(h.headerSize) + uint64_t(n - 1) * bs;
            const uint64_t present = std::min<uint64_t>(uint64_t(count) * bs, t.fileSize - off);
            if (!t.db.readAt(off, window.data(), present))
                throw EngineError(err::kFileCorrupt, t.dbPath + ": block truncated");
            std::memset(window.data() + present, 0, uint64_t(count) * bs - present);
            if (t.checksum)
                for (uint32_t i = 0; i < count; ++i) DecryptDataBlock(window.data() + uint64_t(i) * bs, bs, t.checksum, n + i);
            windowFirst = n;
            windowCount = count;
            windowBytes = present;
        }
        const uint64_t start = uint64_t(n - windowFirst) * bs;
        block = window.data() + start;
        return static_cast<uint32_t>(std::min<uint64_t>(bs, windowBytes > start ? windowBytes - start : 0));
    }

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
            next = GetLE16(block);
        }
        if (next == 0) {
            if (seen != h.numRecords)
                throw EngineError(err::kFileCorrupt, t.dbPath + ": records in the blocks differ from the header count");
            return false;
        }
        if (next > t.blocksInFile() || ++visited > t.blocksInFile())
            throw EngineError(err::kFileCorrupt, t.dbPath + ": broken block chain");
        const uint32_t present = fetch(next);
        if (present < 6) throw EngineError(err::kFileCorrupt, t.dbPath + ": block truncated");
        inBlock = RecordsInBlock(h, block, t.dbPath);
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
    const uint32_t bs = impl_->table->header.blockSize();
    impl_->window.resize(std::max<std::size_t>(1, (64 * 1024) / bs) * bs);
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
    view_.data_ = m.block + 6 + size_t(m.index) * m.table->header.recordSize;
    return true;
}

std::vector<Value> RecordReader::values() const {
    Impl& m = *impl_;
    if (m.everyField.empty())
        for (std::size_t i = 0; i < m.table->header.schema.fields.size(); ++i) m.everyField.push_back(static_cast<int>(i));
    view_.views(m.everyField, m.views, m.held);
    return std::vector<Value>(m.views.begin(), m.views.end());
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

namespace {
// A field the auxiliary password hides reads as blank.
bool IsHidden(const TableState* t, int field) {
    const auto& rights = t->fieldRights;
    return static_cast<std::size_t>(field) < rights.size() && rights[static_cast<std::size_t>(field)] == 0;
}
}  // namespace

Value RecordView::value(int field) const {
    const Field& f = FieldAt(table_, field);
    if (IsHidden(table_, field)) return Value::null();
    if (IsBlobType(f.type)) return table_->blobValue(f, data_);
    return DecodeField(f, data_);
}

void RecordView::viewInto(int field, std::string& held, ValueView& into) const {
    const Field& f = FieldAt(table_, field);
    if (IsHidden(table_, field)) {
        into = {};
    } else if (!IsBlobType(f.type)) {
        ViewField(f, data_, held, into);
    } else {
        const Value blob = table_->blobValue(f, data_);
        held = blob.asString();
        into = {blob.kind(), 0, 0.0, held};
    }
}

ValueView RecordView::view(int field, std::string& held) const {
    ValueView v;
    viewInto(field, held, v);
    return v;
}

void RecordView::views(const std::vector<int>& fields, std::vector<ValueView>& out, std::vector<std::string>& held) const {
    const std::vector<Field>& all = table_->header.schema.fields;
    const bool noneHidden = table_->fieldRights.empty();
    out.resize(fields.size());
    held.resize(all.size());
    std::string outside;  // a field index outside the record fails before it is used
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const auto f = static_cast<std::size_t>(fields[i]);
        if (f < all.size() && noneHidden && !IsBlobType(all[f].type))
            ViewField(all[f], data_, held[f], out[i]);  // the common case, without viewInto's checks
        else
            viewInto(fields[i], f < held.size() ? held[f] : outside, out[i]);
    }
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
