// createTable: checks a TableDescriptor the way the engine does (types, sizes, names, options,
// level, key) and writes the empty family (.DB, .PX when keyed, .MB when it has blob fields).
#include <algorithm>
#include <cstring>
#include <ctime>
#include <unistd.h>

#include "paradox/blob_file.h"
#include "paradox/crypto.h"
#include "paradox/db_header.h"
#include "paradox/engine_error.h"
#include "paradox/field_mapping.h"
#include "paradox/index_descriptor.h"
#include "paradox/language_driver.h"
#include "paradox/primary_index.h"
#include "paradox/table_family.h"
#include "paradox/table_writer.h"
#include "paradox/text_case.h"

namespace paradox {

namespace {

struct CreateRequest {
    int level = 0;  // 0 = not given
    LanguageDriver driver = DefaultLanguageDriver();
    uint32_t blockSize = 2048;
};

std::string OptionValue(const TableDescriptor& d, int i) {
    const OptionalParameter& o = d.options[i];
    if (!d.optionData || o.length == 0) throw EngineError(err::kInvalidOptParam, "option without a value");
    const char* v = d.optionData + o.offset;
    return std::string(v, strnlen(v, o.length));
}

CreateRequest ReadOptions(const TableDescriptor& d) {
    CreateRequest r;
    if (d.optionCount > 0 && !d.options) throw EngineError(err::kInvalidParam, "option list missing");
    for (int i = 0; i < d.optionCount; ++i) {
        const std::string name(d.options[i].name, strnlen(d.options[i].name, sizeof d.options[i].name));
        const std::string value = OptionValue(d, i);
        if (EqualsIgnoreCase1252(name, "LEVEL")) {
            if (value == "3" || value == "4" || value == "5" || value == "7") r.level = value[0] - '0';
            else throw EngineError(err::kInvalidOptParam, "LEVEL " + value);
        } else if (EqualsIgnoreCase1252(name, "LANGDRIVER")) {
            auto drv = FindLanguageDriver(value);
            if (!drv) throw EngineError(err::kInvalidLangDriver, value);
            r.driver = *drv;
        } else if (EqualsIgnoreCase1252(name, "BLOCK SIZE")) {
            const std::string digits = value;
            const long v = digits.empty() || digits.size() > 6 || digits.find_first_not_of("0123456789") != std::string::npos
                               ? -1 : std::stol(digits);
            if (v != 1024 && v != 2048 && v != 4096 && v != 8192 && v != 16384 && v != 32768)
                throw EngineError(err::kInvalidOptParam, "BLOCK SIZE " + value);
            r.blockSize = static_cast<uint32_t>(v);
        } else if (EqualsIgnoreCase1252(name, "STRICTINTEGRTY")) {
            // Accepted; where the flag lives in the files is not established, so nothing is written.
        } else {
            throw EngineError(err::kInvalidOptParam, name);
        }
    }
    return r;
}

// Key fields from the descriptor's index list: only a primary index on leading fields can be
// created with the table here; secondary indexes are added to an existing table.
uint16_t KeyFieldsFromIndexes(const TableDescriptor& d) {
    if (d.indexCount == 0) return 0;
    if (!d.indexes) throw EngineError(err::kInvalidParam, "index list missing");
    uint16_t keys = 0;
    for (int i = 0; i < d.indexCount; ++i) {
        const IndexDescriptor& x = d.indexes[i];
        if (!x.primary) throw EngineError(err::kNotSupported, "secondary index in a create request");
        if (keys) throw EngineError(err::kInvalidIndexDesc, "two primary indexes");
        if (x.keyFieldCount == 0 || x.keyFieldCount > kMaxKeyFields) throw EngineError(err::kInvalidIndexDesc, "key field count");
        for (int k = 0; k < x.keyFieldCount; ++k)
            if (x.keyFields[k] != k + 1)
                throw EngineError(err::kInvalidIndexDesc, "the primary key must be made of the leading fields");
        keys = x.keyFieldCount;
    }
    return keys;
}

void WriteNewFile(AtomicFile& f, const std::vector<uint8_t>& bytes) { f.file().writeAt(0, bytes.data(), bytes.size()); }

}  // namespace

void createTable(const std::string& dir, const TableDescriptor& desc, const CreateOptions& options) {
    const std::string tableName(desc.tableName, strnlen(desc.tableName, sizeof desc.tableName));
    const TableLocation loc = LocateTable(dir, tableName);
    const std::string driver(desc.driverType, strnlen(desc.driverType, sizeof desc.driverType));
    if (!driver.empty() && !EqualsIgnoreCase1252(driver, "PARADOX"))
        throw EngineError(err::kNotSupported, "driver " + driver);

    // Fields.
    if (desc.fieldCount == 0) throw EngineError(err::kInvalidTableCreate, "no fields");
    if (desc.fieldCount > 255) throw EngineError(err::kFieldLimit, tableName);
    if (!desc.fields) throw EngineError(err::kInvalidParam, "field list missing");
    Schema schema;
    int minLevel = 3;
    uint32_t offset = 0;
    for (int i = 0; i < desc.fieldCount; ++i) {
        Field f = FieldFromDescriptor(desc.fields[i]);
        if (schema.find(f.name) >= 0) throw EngineError(err::kNameNotUnique, "field " + f.name);
        f.offset = static_cast<uint16_t>(std::min<uint32_t>(offset, 0xFFFF));
        f.id = static_cast<uint16_t>(i + 1);
        offset += f.width;
        minLevel = std::max(minLevel, MinimumLevel(f.type));
        schema.fields.push_back(std::move(f));
    }

    // Key: from the index list or from the options (both must agree when both are given).
    uint16_t keyFields = KeyFieldsFromIndexes(desc);
    if (keyFields && options.keyFields && keyFields != options.keyFields)
        throw EngineError(err::kInvalidIndexDesc, "key field counts disagree");
    if (!keyFields) keyFields = options.keyFields;
    if (keyFields > desc.fieldCount || keyFields > 16)
        throw EngineError(err::kInvalidIndexCreate, "too many key fields");
    for (int i = 0; i < keyFields; ++i)
        if (IsBlobType(schema.fields[i].type))
            throw EngineError(err::kInvalidIndexCreate, "blob field " + schema.fields[i].name + " cannot be a key");
    schema.keyFields = keyFields;

    const CreateRequest req = ReadOptions(desc);
    const int level = std::max(req.level ? req.level : 4, minLevel);
    if (level < 7 && loc.base.size() > 8) throw EngineError(err::kPdx50NameLimit, "file name too long for level " + std::to_string(level));
    if (offset + 6 > req.blockSize || offset > 0xFFFF) throw EngineError(err::kRecTooBig, tableName);
    schema.recordSize = static_cast<uint16_t>(offset);
    if (schema.keyFields > 0 && (uint32_t(schema.keySize()) + 6) * 3 + 6 > req.blockSize)
        throw EngineError(err::kRecTooBig, "key too large for the block size");

    // Password.
    uint32_t checksum = 0;
    if (desc.protectedFlag) {
        const std::string pw(desc.password, strnlen(desc.password, sizeof desc.password));
        if (pw.empty()) throw EngineError(err::kInvalidPassword, tableName);
        checksum = PasswordChecksum(pw);
    }

    // Existing table.
    const auto existing = FindTableFile(loc.dir, loc.base, "DB");
    if (existing && !options.overwrite) throw EngineError(err::kFileExists, *existing);

    NewHeaderSpec spec;
    spec.schema = schema;
    spec.version = VersionOfLevel(level);
    spec.blockSizeCode = static_cast<uint8_t>(req.blockSize / 1024);
    spec.sortOrder = req.driver.sortOrder;
    spec.codePage = req.driver.codePage;
    spec.sortOrderName = req.driver.name;
    spec.tableName = loc.base + ".DB";
    spec.checksum = checksum;
    spec.updateStamp = static_cast<uint32_t>(std::time(nullptr));
    const std::vector<uint8_t> dbHeader = BuildDbHeader(spec);

    AtomicFile db(existing ? *existing : JoinPath(loc.dir, loc.base + ".DB"));
    WriteNewFile(db, dbHeader);
    std::unique_ptr<AtomicFile> px, mb;
    if (schema.keyFields > 0) {
        px = std::make_unique<AtomicFile>(FindTableFile(loc.dir, loc.base, "PX").value_or(JoinPath(loc.dir, loc.base + ".PX")));
        db.flush();
        File dbRead = File::openRead(db.tempPath());
        const DbHeader h = ReadDbHeader(dbRead, false);
        PrimaryIndexSource src{&dbRead, &h, dbRead.size(), checksum, loc.base + ".PX"};
        WritePrimaryIndex(src, px->file());
    }
    if (schema.hasBlobs()) {
        mb = std::make_unique<AtomicFile>(FindTableFile(loc.dir, loc.base, "MB").value_or(JoinPath(loc.dir, loc.base + ".MB")));
        std::vector<uint8_t> head = NewBlobFileHeader();
        if (checksum) EncryptBlobBytes(head.data(), head.size(), checksum);
        WriteNewFile(*mb, head);
    }
    // A replaced table loses the companions that described the old one.
    std::vector<std::string> stale;
    if (existing) {
        for (const auto& f : FamilyFiles(loc.dir, loc.base)) {
            if (f == db.target() || (px && f == px->target()) || (mb && f == mb->target())) continue;
            stale.push_back(f);
        }
    }
    if (mb) mb->commit();
    if (px) px->commit();
    db.commit();
    for (const auto& f : stale) ::unlink(f.c_str());
}

}  // namespace paradox
