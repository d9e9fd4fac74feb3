// The tables the checker's tests damage: a keyed table the tests write (long Alpha key so that
// its .PX has two leaf blocks, a memo field in the .MB, a maintained secondary index, a .VAL),
// and the byte-level damages applied to a copy of a table's files.
#pragma once
#include <string>

#include "ops_test_support.h"
#include "paradox/change/index_ops.h"
#include "paradox/format/byte_order.h"
#include "paradox/format/descriptor_builder.h"
#include "paradox/format/val_writer.h"

namespace paradox_test {

inline constexpr int kOrders = 250;

inline std::string OrderKey(int i) {
    char key[16];
    std::snprintf(key, sizeof key, "K%04d", i);
    return key;
}

// ORDERS: CODE A120 (key), NAME A20 (maintained index), NOTE memo (leader 10, values in the .MB),
// AMOUNT N; a .VAL requiring NAME.
inline void MakeOrders(const std::string& dir) {
    using namespace paradox;
    DescriptorBuilder b("ORDERS");
    b.field("CODE", FLDZSTRING, 0, 120).field("NAME", FLDZSTRING, 0, 20).field("NOTE", FLDBLOB, FLDSTMEMO, 10)
        .field("AMOUNT", FLDFLOAT).option("LEVEL", "7");
    createTable(dir, b.descriptor(), {1, false});
    TableWriter w = TableWriter::open(dir, "ORDERS");
    for (int i = 1; i <= kOrders; ++i)
        w.insert({Value::text(OrderKey(i)), Value::text("name " + std::to_string(i % 37)),
                  Value::text("a note longer than its leader, number " + std::to_string(i)), Value::number(i * 1.5)});
    w.commit();
    AddIndex(dir, "ORDERS", Index("", {2}));
    ValContents val = EmptyValFor(dir, "ORDERS");
    ValidityCheckDescriptor required{};
    required.fieldNumber = 2;
    required.required = 1;
    val.checks.push_back(required);
    WriteValFile(dir, "ORDERS", val);
}

// The facts of a .DB (or index data file) header its damages need.
struct FileGeometry {
    uint16_t recordSize, headerSize;
    uint32_t blockSize;
    uint16_t fileBlocks;
    uint32_t perBlock() const { return (blockSize - 6) / recordSize; }
    std::size_t blockAt(uint32_t n) const { return headerSize + std::size_t(n - 1) * blockSize; }
};

inline FileGeometry GeometryOf(const std::vector<unsigned char>& b) {
    using paradox::GetLE16;
    return {GetLE16(b.data()), GetLE16(b.data() + 2), uint32_t(b[5]) * 1024, GetLE16(b.data() + 0x0C)};
}

// Offset of record n (1-based, chain order) of a table written in one pass (blocks full, in order).
inline std::size_t RecordAt(const std::vector<unsigned char>& b, int n) {
    const FileGeometry g = GeometryOf(b);
    return g.blockAt(uint32_t((n - 1) / g.perBlock()) + 1) + 6 + std::size_t((n - 1) % g.perBlock()) * g.recordSize;
}

// A maintained secondary index's data file (.Xnn) made to miss its last record: the header's
// count and the last block's used size lowered by one entry.
inline void DropLastIndexEntry(const std::string& file) {
    using namespace paradox;
    auto b = ReadBytes(file);
    const FileGeometry g = GeometryOf(b);
    PutLE32(b.data() + 6, GetLE32(b.data() + 6) - 1);
    unsigned char* last = b.data() + g.blockAt(GetLE16(b.data() + 0x10));
    PutLE16(last + 4, uint16_t(int16_t(GetLE16(last + 4)) - g.recordSize));
    WriteBytes(file, b);
}

}  // namespace paradox_test
