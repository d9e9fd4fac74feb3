// createTable: checks a TableDescriptor the way the engine does (types, sizes, names, options,
// level, key) and writes the empty family (.DB, .PX when keyed, .MB when it has blob fields).
#include <algorithm>
#include <cstring>
#include <ctime>

#include "paradox/format/blob_file.h"
#include "paradox/format/crypto.h"
#include "paradox/format/db_header.h"
#include "paradox/format/field_mapping.h"
#include "paradox/format/index_descriptor.h"
#include "paradox/format/language_driver.h"
#include "paradox/storage/engine_error.h"
#include "paradox/storage/family_swap.h"
#include "paradox/storage/table_family.h"
#include "paradox/storage/table_list.h"
#include "paradox/table/primary_index.h"
#include "paradox/table/security.h"
#include "paradox/table/table_options.h"
#include "paradox/table/table_writer.h"
#include "shared/text/case_fold.h"

namespace paradox {

namespace {

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

}  // namespace

void createTable(const std::string& dir, const TableDescriptor& desc, const CreateOptions& options) {
    const std::string tableName(desc.tableName, strnlen(desc.tableName, sizeof desc.tableName));
    const TableLocation loc = LocateTable(dir, tableName);
    const std::string driver(desc.driverType, strnlen(desc.driverType, sizeof desc.driverType));
    if (!driver.empty() && !vortab::SameNameNoCase(driver, "PARADOX"))
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

    const TableOptions req = ReadTableOptions(desc);
    const uint32_t blockSize = req.blockSize ? req.blockSize : 2048;
    const LanguageDriver langDriver = req.driver.value_or(DefaultLanguageDriver());
    const int level = std::max(req.level ? req.level : 4, minLevel);
    // Below level 7 the header's name area is 79 bytes; the original engine writes longer
    // than 8.3 names there, so only a name that would not fit is refused.
    if (level < 7 && !FamilyNameFits(loc.base, VersionOfLevel(level))) throw EngineError(err::kPdx50NameLimit, "file name too long for level " + std::to_string(level));
    if (offset + 6 > blockSize || offset > 0xFFFF) throw EngineError(err::kRecTooBig, tableName);
    schema.recordSize = static_cast<uint16_t>(offset);
    if (schema.keyFields > 0 && (uint32_t(schema.keySize()) + 6) * 3 + 6 > blockSize)
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
    spec.blockSizeCode = static_cast<uint8_t>(blockSize / 1024);
    spec.sortOrder = langDriver.sortOrder;
    spec.codePage = langDriver.codePage;
    spec.sortOrderName = langDriver.name;
    spec.tableName = loc.base + ".DB";
    spec.checksum = checksum;
    spec.updateStamp = static_cast<uint32_t>(std::time(nullptr));
    const std::vector<uint8_t> dbHeader = BuildDbHeader(spec);

    // The new family replaces an old one (and its companions) in one crash-safe step.
    FamilySwap swap(loc.dir, loc.base);
    std::vector<std::string> written = {swap.memberName("DB")};
    File& db = swap.stage(written.back());
    db.writeAt(0, dbHeader.data(), dbHeader.size());
    if (schema.keyFields > 0) {
        written.push_back(swap.memberName("PX"));
        const DbHeader h = ReadDbHeader(db, false);
        PrimaryIndexSource src{&db, &h, db.size(), checksum, loc.base + ".PX"};
        WritePrimaryIndex(src, swap.stage(written.back()));
    }
    if (schema.hasBlobs()) {
        written.push_back(swap.memberName("MB"));
        std::vector<uint8_t> head = NewBlobFileHeader();
        if (checksum) EncryptBlobBytes(head.data(), head.size(), checksum);
        swap.stage(written.back()).writeAt(0, head.data(), head.size());
    }
    if (req.strictIntegrity.value_or(false)) {
        written.push_back(swap.memberName(kAuxPasswordExtension));
        StageAuxStore(swap, loc.dir, loc.base, StoreBytes(AuxStore{true, {}}, checksum));
    }
    if (existing) {
        for (const auto& path : FamilyFiles(loc.dir, loc.base)) {
            const std::string name = FileNamePart(path);
            if (std::find(written.begin(), written.end(), name) == written.end()) swap.remove(name);
        }
    }
    swap.commit();
}

}  // namespace paradox
