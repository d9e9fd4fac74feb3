// Working out a restructure: field list with operation codes, key, options and password.
#include "paradox/change/restructure_plan.h"

#include <algorithm>
#include <cstring>

#include "paradox/change/field_conversion.h"
#include "paradox/format/crypto.h"
#include "paradox/format/db_header.h"
#include "paradox/format/field_mapping.h"
#include "paradox/storage/engine_error.h"
#include "paradox/table/table_options.h"
#include "paradox/table/table_state.h"
#include "shared/text/case_fold.h"

namespace paradox {

namespace {

// Same type and size: the record bytes carry over unchanged.
bool SameEncoding(const Field& a, const Field& b) { return a.type == b.type && a.sizeByte == b.sizeByte && !IsBlobType(a.type); }

}  // namespace

RestructurePlan PlanRestructure(const TableState& old, const TableDescriptor& desc) {
    const DbHeader& h = old.header;
    const Schema& os = h.schema;
    RestructurePlan p;
    p.newNumberOfOld.assign(os.fields.size(), 0);

    // Fields.
    uint16_t nextId = h.hasExtension() ? std::max<uint16_t>(h.hiFieldId, 1) : 1;
    for (const auto& f : os.fields) nextId = std::max<uint16_t>(nextId, uint16_t(f.id + 1));
    int minLevel = 3;
    uint32_t offset = 0;
    std::vector<bool> used(os.fields.size(), false);
    auto addField = [&](Field f, int src) {
        if (p.schema.fields.size() >= 255) throw EngineError(err::kFieldLimit, old.base);
        if (p.schema.find(f.name) >= 0) throw EngineError(err::kNameNotUnique, "field " + f.name);
        if (src >= 0) {
            const Field& o = os.fields[src];
            if (!ConversionAllowed(o.type, f.type))
                throw EngineError(err::kInvalidFieldXform, "field " + o.name + ": type " + PxTypeLetter(o.type) +
                                                               " cannot become " + PxTypeLetter(f.type));
            f.id = o.id;
        } else {
            f.id = nextId++;
        }
        f.offset = static_cast<uint16_t>(std::min<uint32_t>(offset, 0xFFFF));
        offset += f.width;
        minLevel = std::max(minLevel, MinimumLevel(f.type));
        p.source.push_back(src);
        p.rawCopy.push_back(src >= 0 && SameEncoding(os.fields[src], f));
        if (src >= 0) p.newNumberOfOld[src] = static_cast<uint16_t>(p.schema.fields.size() + 1);
        p.schema.fields.push_back(std::move(f));
    };
    if (desc.fieldCount == 0) {
        for (std::size_t i = 0; i < os.fields.size(); ++i) addField(os.fields[i], static_cast<int>(i));
    } else {
        if (!desc.fields) throw EngineError(err::kInvalidParam, "field list missing");
        for (int i = 0; i < desc.fieldCount; ++i) {
            const FieldDescriptor& d = desc.fields[i];
            const uint32_t op = desc.fieldOps ? static_cast<uint32_t>(desc.fieldOps[i]) : CRNOOP;
            if (op > CRDROP) throw EngineError(err::kInvalidRestructOp, "operation " + std::to_string(op));
            if (op == CRDROP) continue;  // listed for the record; absent from the new table
            if (op == CRADD || d.fieldNumber == 0) {
                addField(FieldFromDescriptor(d), -1);
                continue;
            }
            if (d.fieldNumber > os.fields.size())
                throw EngineError(err::kInvalidRestructOp, "field number " + std::to_string(d.fieldNumber));
            const int src = d.fieldNumber - 1;
            if (used[src]) throw EngineError(err::kInvalidRestructOp, "field " + os.fields[src].name + " listed twice");
            used[src] = true;
            addField(FieldFromDescriptor(d), src);
        }
    }
    if (p.schema.fields.empty()) throw EngineError(err::kInvalidRestructOp, "no fields left");

    // Key: the surviving old key fields must lead the new list; they form the new key.
    uint16_t survivors = 0;
    for (uint16_t k = 0; k < os.keyFields; ++k)
        if (p.newNumberOfOld[k]) ++survivors;
    for (uint16_t k = 0; k < os.keyFields; ++k)
        if (p.newNumberOfOld[k] > survivors)
            throw EngineError(err::kInvalidRestructOp, "key field " + os.fields[k].name + " must stay before the other fields");
    for (uint16_t i = 0; i < survivors; ++i)
        if (IsBlobType(p.schema.fields[i].type))
            throw EngineError(err::kInvalidIndexCreate, "blob field " + p.schema.fields[i].name + " cannot be a key");
    p.schema.keyFields = survivors;
    p.keyOrderKept = survivors == os.keyFields;
    for (uint16_t i = 0; p.keyOrderKept && i < survivors; ++i)
        p.keyOrderKept = p.source[i] == i && SameEncoding(os.fields[i], p.schema.fields[i]);
    if (offset > 0xFFFF) throw EngineError(err::kRecTooBig, old.base);
    p.schema.recordSize = static_cast<uint16_t>(offset);

    // Options; unset ones keep the table's current values.
    const TableOptions o = ReadTableOptions(desc);
    p.level = std::max(o.level ? o.level : LevelOfVersion(h.version), minLevel);
    p.version = VersionOfLevel(p.level);
    // A name too long for the level's name area is refused only when the request sets the level.
    if (o.level && p.level < 7 && !FamilyNameFits(old.base, p.version))
        throw EngineError(err::kPdx50NameLimit, "file name too long for level " + std::to_string(p.level));
    p.blockSize = o.blockSize ? o.blockSize : h.blockSize();
    if (p.schema.recordSize + 6u > p.blockSize) throw EngineError(err::kRecTooBig, old.base);
    if (p.schema.keyFields > 0 && (uint32_t(p.schema.keySize()) + 6) * 3 + 6 > p.blockSize)
        throw EngineError(err::kRecTooBig, "key too large for the block size");
    const uint32_t full = (p.blockSize - 6) / p.schema.recordSize;
    p.recordsPerBlock = p.schema.keyFields > 0 ? std::max<uint32_t>(1, full * o.fillFactor / 100) : full;
    if (o.driver) p.driver = *o.driver;
    else p.driver = IdentifyLanguageDriver(h.sortOrder, h.codePage, h.sortOrderName).value_or(DefaultLanguageDriver());
    p.strictIntegrity = o.strictIntegrity;

    // Master password: the descriptor's when protected, none otherwise.
    if (desc.protectedFlag) {
        const std::string pw(desc.password, strnlen(desc.password, sizeof desc.password));
        if (pw.empty()) throw EngineError(err::kInvalidPassword, old.base);
        p.newChecksum = PasswordChecksum(pw);
    }
    for (const auto& f : p.schema.fields) p.hiFieldId = std::max<uint16_t>(p.hiFieldId, uint16_t(f.id + 1));
    p.hiFieldId = std::max(p.hiFieldId, nextId);
    return p;
}

}  // namespace paradox
