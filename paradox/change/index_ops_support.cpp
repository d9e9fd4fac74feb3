// Shared steps of the index, link and batch operations (see index_ops_support.h).
#include "paradox/change/index_ops_support.h"

#include <algorithm>
#include <cstring>
#include <functional>

#include "paradox/change/index_ops.h"
#include "paradox/change/restructure_writer.h"
#include "paradox/format/byte_order.h"
#include "paradox/format/crypto.h"
#include "paradox/format/descriptor_builder.h"
#include "paradox/format/field_codec.h"
#include "paradox/format/security_descriptor.h"
#include "paradox/format/val_file.h"
#include "paradox/format/val_writer.h"
#include "paradox/storage/engine_error.h"
#include "paradox/storage/table_family.h"
#include "paradox/storage/table_list.h"
#include "paradox/table/secondary_index_writer.h"
#include "paradox/table/table_companions.h"
#include "paradox/table/table_writer.h"

namespace paradox::detail {


void CheckMayChangeStructure(const TableState& s) {
    if (s.header.writeProtected) throw EngineError(err::kTableReadOnly, s.base);
    if (s.openedWithAuxPassword && s.tableRights != rights::kFull) throw EngineError(err::kNotSufficientTableRights, s.base);
    RequireUnderstoodCompanions(s.dir, s.base, s.header.schema);
}

// The password (from the candidates) that opened a protected table; empty when unprotected.
std::string MatchingPassword(const TableState& s, const OpenOptions& options) {
    if (s.checksum == 0) return {};
    for (const auto& p : options.passwords)
        if (PasswordChecksum(p) == s.checksum) return p;
    if (options.askPassword)
        if (auto p = options.askPassword(s.base); p && PasswordChecksum(*p) == s.checksum) return *p;
    throw EngineError(err::kNotSufficientTableRights, s.base);
}

// Raw records of a data file in chain order (decrypted).
void WriteDataFileHeader(File& out, std::vector<uint8_t> raw, const ChainCounts& counts) {
    PatchDbHeader(raw, counts, false, 0);
    PutLE16(raw.data() + hdr::kFirstFree, 0);
    out.writeAt(0, raw.data(), raw.size());
}

void ForEachPlannedRecord(RecordReader reader, std::size_t expected, const std::string& path,
                          const std::function<void(std::size_t, const RecordReader&)>& visit) {
    std::size_t i = 0;
    bool more = false;
    for (; reader.next(); ++i) {
        if ((more = i == expected)) break;
        visit(i, reader);
    }
    if (more || i != expected) throw EngineError(err::kFileCorrupt, path + " changed while its records were rewritten");
}

void WriteDataFileWithout(File& out, const std::shared_ptr<TableState>& s, const std::vector<bool>& drop) {
    const DbHeader& h = s->header;
    SequentialBlockWriter writer(out, h.headerSize, h.blockSize(), h.recordSize, h.recordsPerBlock(), s->checksum);
    ForEachPlannedRecord(RecordReader(s), drop.size(), s->dbPath, [&](std::size_t i, const RecordReader& r) {
        if (!drop[i]) writer.add(r.record().raw());
    });
    WriteDataFileHeader(out, h.raw, writer.finish());
}

void InsertMarkedRecords(TableWriter& w, const std::shared_ptr<TableState>& s, const std::vector<bool>& marked) {
    ForEachPlannedRecord(RecordReader(s), marked.size(), s->dbPath, [&](std::size_t i, const RecordReader& r) {
        if (marked[i]) w.insert(DecodeRecord(*s, r.record().raw()));
    });
}

// Stages X/Y files for every definition, built from the staged data file at dbPath.
void StageSecondaryIndexes(FamilySwap& swap, const TableState& s, const std::string& dbPath,
                           const std::vector<SecondaryIndexDef>& defs) {
    const uint32_t checksum = s.checksum;
    const std::string& base = s.base;
    File db = File::openRead(dbPath);
    const DbHeader h = ReadDbHeader(db, false);
    for (const SecondaryIndexDef& def : defs) {
        const std::string xName = MemberFile(s, def.extension);
        const std::string yName = MemberFile(s, YExtension(def.extension));
        SecondaryIndexSource src{&db, &h, db.size(), checksum};
        WriteSecondaryIndex(src, def.desc, base + "." + def.extension, base + "." + YExtension(def.extension),
                            swap.stage(xName), swap.stage(yName));
    }
}

// Stages a .VAL whose footer reflects a new key-field count (no-op without a .VAL).
void StageValKeyChange(FamilySwap& swap, const TableState& s, uint16_t keyFields) {
    auto val = ReadValFile(s.dir, s.base);
    if (!val) return;
    val->keyFields = keyFields;
    const std::vector<uint8_t> bytes = EncodeValFile(*val, ReadValStamps(s.dir, s.base));
    swap.stage(MemberFile(s, "VAL")).writeAt(0, bytes.data(), bytes.size());
}

void CreateTableLike(const std::string& dir, const std::string& name, const Table& like, const std::string& password) {
    const TableProperties& p = like.properties();
    DescriptorBuilder b(name);
    for (FieldDescriptor f : like.fieldDescriptors()) {
        f.validityCheck = 0;
        b.field(f);
    }
    b.option("LEVEL", std::to_string(p.level)).option("BLOCK SIZE", std::to_string(uint32_t(p.blockSizeKb) * 1024));
    if (!p.languageDriver.empty()) b.option("LANGDRIVER", p.languageDriver);
    b.password(password);
    createTable(dir, b.descriptor(), CreateOptions{p.keyFields, false});
}

std::string WriteKeyViolations(const TableState& s, const std::string& password, const KeyViolationFill& fill) {
    // Records set aside may repeat each other's keys: the table gets no key.
    KeyViolationTableSpec spec{s.header.schema, s.props.level, uint32_t(s.props.blockSizeKb) * 1024, s.props.languageDriver,
                               password};
    spec.schema.keyFields = 0;
    const std::string name = FreeKeyViolName(s.dir);
    WriteKeyViolationTable(s.dir, name, spec, fill);
    return name;
}

std::vector<Value> DecodeRecord(const TableState& s, const uint8_t* record) {
    std::vector<Value> row;
    for (const Field& f : s.header.schema.fields) row.push_back(IsBlobType(f.type) ? s.blobValue(f, record) : DecodeField(f, record));
    return row;
}

}  // namespace paradox::detail
