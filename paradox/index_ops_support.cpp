// Shared steps of the index, link and batch operations (see index_ops_support.h).
#include "paradox/index_ops_support.h"

#include <algorithm>
#include <cstring>

#include "paradox/byte_order.h"
#include "paradox/crypto.h"
#include "paradox/engine_error.h"
#include "paradox/field_codec.h"
#include "paradox/index_ops.h"
#include "paradox/secondary_index_writer.h"
#include "paradox/table_family.h"
#include "paradox/table_list.h"
#include "paradox/table_writer.h"
#include "paradox/val_file.h"
#include "paradox/val_writer.h"

namespace paradox::detail {


std::string YExtension(std::string ext) {
    ext[0] = 'Y';
    return ext;
}

// The on-disk name of family member ext: the existing file's spelling, else one that follows
// the letter case of the table's .DB extension.
std::string MemberFile(const TableState& s, const std::string& ext) {
    if (auto f = FindTableFile(s.dir, s.base, ext)) return FileNamePart(*f);
    return IndexFileName(FileNamePart(s.dbPath), s.base, ext);
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
std::vector<uint8_t> ReadAllRecords(const File& db, const DbHeader& h, uint64_t fileSize, uint32_t checksum) {
    std::vector<uint8_t> out;
    out.reserve(std::size_t(h.numRecords) * h.recordSize);
    std::vector<uint8_t> block(h.blockSize());
    const uint64_t maxBlocks = (fileSize - std::min<uint64_t>(fileSize, h.headerSize) + h.blockSize() - 1) / h.blockSize();
    uint32_t next = h.numRecords ? h.firstBlock : 0, visited = 0;
    while (next != 0) {
        if (next > maxBlocks || ++visited > maxBlocks) throw EngineError(err::kFileCorrupt, db.path() + ": broken block chain");
        ReadDataBlock(db, h, fileSize, checksum, next, block.data());
        const uint32_t n = RecordsInBlock(h, block.data(), db.path());
        out.insert(out.end(), block.data() + 6, block.data() + 6 + std::size_t(n) * h.recordSize);
        next = GetLE16(block.data());
    }
    if (out.size() != std::size_t(h.numRecords) * h.recordSize)
        throw EngineError(err::kFileCorrupt, db.path() + ": records in the blocks differ from the header count");
    return out;
}

// Writes a data file with `records` packed into full blocks, header `raw` patched to match.
void WritePackedDataFile(File& out, std::vector<uint8_t> raw, const DbHeader& h, const uint8_t* records, std::size_t count,
                         uint32_t checksum) {
    const uint32_t bs = h.blockSize();
    const uint32_t per = h.recordsPerBlock();
    const uint32_t blocks = static_cast<uint32_t>((count + per - 1) / per);
    if (blocks > 0xFFFF) throw EngineError(err::kTableFull, out.path());
    std::vector<uint8_t> block(bs);
    for (uint32_t b = 0; b < blocks; ++b) {
        std::fill(block.begin(), block.end(), 0);
        const std::size_t first = std::size_t(b) * per;
        const uint32_t n = static_cast<uint32_t>(std::min<std::size_t>(per, count - first));
        PutLE16(block.data(), static_cast<uint16_t>(b + 1 < blocks ? b + 2 : 0));
        PutLE16(block.data() + 2, static_cast<uint16_t>(b));
        PutLE16(block.data() + 4, static_cast<uint16_t>((n - 1) * h.recordSize));
        std::memcpy(block.data() + 6, records + first * h.recordSize, std::size_t(n) * h.recordSize);
        if (checksum) EncryptDataBlock(block.data(), bs, checksum, b + 1);
        out.writeAt(uint64_t(h.headerSize) + uint64_t(b) * bs, block.data(), bs);
    }
    ChainCounts c;
    c.numRecords = static_cast<uint32_t>(count);
    c.usedBlocks = c.fileBlocks = static_cast<uint16_t>(blocks);
    c.firstBlock = blocks ? 1 : 0;
    c.lastBlock = static_cast<uint16_t>(blocks);
    PatchDbHeader(raw, c, false, 0);
    PutLE16(raw.data() + hdr::kFirstFree, 0);
    out.writeAt(0, raw.data(), raw.size());
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

// Creates a key-violation table shaped like the source and copies the given records into it.
std::string WriteKeyViolations(const TableState& s, const std::string& password, const std::vector<std::vector<Value>>& rows) {
    const Table source = Table::open(s.dir, s.base, OpenOptions{password.empty() ? std::vector<std::string>{} : std::vector<std::string>{password}, {}});
    std::vector<FieldDescriptor> fields = source.fieldDescriptors();
    for (auto& f : fields) f.validityCheck = 0;
    const std::string name = FreeKeyViolName(s.dir);
    TableDescriptor td{};
    copyFixedText(td.tableName, name);
    copyFixedText(td.driverType, "PARADOX");
    td.fieldCount = static_cast<uint16_t>(fields.size());
    td.fields = fields.data();
    if (!password.empty()) {
        copyFixedText(td.password, password);
        td.protectedFlag = 1;
    }
    const std::string level = std::to_string(source.properties().level);
    const std::string block = std::to_string(uint32_t(source.properties().blockSizeKb) * 1024);
    const std::string driver = source.properties().languageDriver;
    std::string data = level + '\0' + block + '\0' + driver + '\0';
    OptionalParameter opts[3]{};
    const char* names[3] = {"LEVEL", "BLOCK SIZE", "LANGDRIVER"};
    uint16_t off = 0;
    const std::string values[3] = {level, block, driver};
    const int optCount = driver.empty() ? 2 : 3;
    for (int i = 0; i < optCount; ++i) {
        copyFixedText(opts[i].name, names[i]);
        opts[i].offset = off;
        opts[i].length = static_cast<uint16_t>(values[i].size() + 1);
        off = static_cast<uint16_t>(off + values[i].size() + 1);
    }
    td.optionCount = static_cast<uint16_t>(optCount);
    td.options = opts;
    td.optionData = data.data();
    createTable(s.dir, td, CreateOptions{0, false});
    TableWriter w = TableWriter::open(s.dir, name, OpenOptions{password.empty() ? std::vector<std::string>{} : std::vector<std::string>{password}, {}});
    for (const auto& r : rows) w.insert(r);
    w.commit();
    return name;
}


std::vector<Value> DecodeRecord(const TableState& s, const uint8_t* record) {
    std::vector<Value> row;
    for (const Field& f : s.header.schema.fields) row.push_back(IsBlobType(f.type) ? s.blobValue(f, record) : DecodeField(f, record));
    return row;
}

}  // namespace paradox::detail
