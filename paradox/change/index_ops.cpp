// Index add/delete. Secondary indexes only add or remove their file pair. The primary index
// changes the data file itself: its records are read along the chain, sorted by the key bytes
// (the same order the writer keeps) in bounded memory and packed into full blocks; blob
// pointers stay valid because the records move unchanged, so the .MB is left alone.
#include "paradox/change/index_ops.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "paradox/change/index_ops_support.h"
#include "paradox/change/key_violation.h"
#include "paradox/change/restructure_writer.h"
#include "paradox/format/byte_order.h"
#include "paradox/format/crypto.h"
#include "paradox/format/field_codec.h"
#include "paradox/format/val_file.h"
#include "paradox/format/val_writer.h"
#include "paradox/storage/engine_error.h"
#include "paradox/storage/external_sort.h"
#include "paradox/storage/family_swap.h"
#include "paradox/storage/table_family.h"
#include "paradox/storage/table_list.h"
#include "paradox/table/index_maintenance.h"
#include "paradox/table/primary_index.h"
#include "paradox/table/secondary_index.h"
#include "paradox/table/secondary_index_writer.h"
#include "paradox/table/table_state.h"
#include "paradox/table/table_writer.h"
#include "shared/text/case_fold.h"

namespace paradox {

namespace {

using namespace detail;


bool LedBy(const IndexDescriptor& d, const RILinkDescriptor& link) {
    if (d.keyFieldCount < link.fieldCount) return false;
    for (int i = 0; i < link.fieldCount; ++i)
        if (d.keyFields[i] != link.thisFields[i]) return false;
    return true;
}

// A link of the table as a dependent needs an index led by its fields: the index `name` (empty:
// the primary index) may go only when another one serves each link it serves (9748 otherwise).
void CheckNoLinkNeeds(const TableState& s, const std::string& name) {
    const auto val = ReadValFile(s.dir, s.base);
    if (!val) return;
    const std::vector<IndexDescriptor> indexes = ReadIndexDescriptors(s.dir, s.base, s.header.schema);
    for (const RILinkDescriptor& link : val->links) {
        if (link.kind != uint32_t(LinkKind::Dependent)) continue;
        bool served = false, servedByOther = false;
        for (const IndexDescriptor& d : indexes) {
            if (!LedBy(d, link)) continue;
            const bool isThis = name.empty() ? d.primary != 0 : d.primary == 0 && vortab::SameNameNoCase(fixedText(d.name), name);
            (isThis ? served : servedByOther) = true;
        }
        if (served && !servedByOther)
            throw EngineError(err::kRintReqIndex, "index " + name + " serves the link " + fixedText(link.name));
    }
}
AddIndexResult AddPrimary(const std::shared_ptr<TableState>& s, const IndexDescriptor& d, const OpenOptions& options) {
    const Schema& sc = s->header.schema;
    if (sc.keyFields > 0) throw EngineError(err::kIndexExists, "the table already has a primary index");
    for (int i = 0; i < d.keyFieldCount; ++i)
        if (d.keyFields[i] != i + 1) throw EngineError(err::kInvalidIndexCreate, "a primary key must be the leading fields in order");
    for (int i = 0; i < d.keyFieldCount; ++i)
        if (IsBlobType(sc.fields[std::size_t(i)].type)) throw EngineError(err::kInvalidIndexDesc, "blob fields cannot be keys");

    const DbHeader& h = s->header;
    const std::size_t rs = h.recordSize;
    uint16_t keySize = 0;
    for (int i = 0; i < d.keyFieldCount; ++i) keySize = static_cast<uint16_t>(keySize + sc.fields[std::size_t(i)].width);
    // The records, each followed by its ordinal, sorted by key in bounded memory; equal keys
    // keep their chain order.
    ExternalSorter sorted(s->dir, s->checksum != 0, rs + 4u, ExternalSorter::ByteKey{keySize});
    std::vector<bool> repeats;
    {
        std::vector<uint8_t> entry(rs + 4u);
        RecordReader reader(s);
        for (uint32_t i = 0; reader.next(); ++i) {
            std::memcpy(entry.data(), reader.record().raw(), rs);
            // Keys compare, and are stored, in their canonical form.
            for (int k = 0; k < d.keyFieldCount; ++k) {
                const Field& f = sc.fields[std::size_t(k)];
                CopyCanonicalField(f, reader.record().raw(), entry.data() + f.offset);
            }
            PutLE32(entry.data() + rs, i);
            sorted.add(entry.data());
            repeats.push_back(false);
        }
    }

    std::vector<uint8_t> raw = h.raw;
    raw[hdr::kFileType] = kTypeKeyed;
    PutLE16(raw.data() + hdr::kKeyFields, d.keyFieldCount);
    PutLE32(raw.data() + hdr::kKeyedMarker, 0x1F0F0001);
    std::vector<SecondaryIndexDef> defs = ReadSecondaryIndexDefs(s->dir, s->base);

    FamilySwap swap(s->dir, s->base);
    KeyViolationGuard keyViolations(s->dir, swap);
    const std::string dbName = FileNamePart(s->dbPath);
    File& db = swap.stage(dbName);
    // The first record of each key stays; later ones with the same key are marked, and set
    // aside from the table as it stands (the originals stay until the swap).
    uint32_t repeated = 0;
    {
        SequentialBlockWriter out(db, h.headerSize, h.blockSize(), h.recordSize, h.recordsPerBlock(), s->checksum);
        std::vector<uint8_t> prev(keySize);
        while (const uint8_t* r = sorted.next()) {
            if (out.records() + repeated > 0 && std::memcmp(prev.data(), r, keySize) == 0) {
                repeats[GetLE32(r + rs)] = true;
                ++repeated;
                continue;
            }
            std::memcpy(prev.data(), r, keySize);
            out.add(r);
        }
        WriteDataFileHeader(db, raw, out.finish());
    }
    AddIndexResult result;
    if (repeated > 0) {
        result.keyViolTable =
            WriteKeyViolations(*s, MatchingPassword(*s, options), [&](TableWriter& w) { InsertMarkedRecords(w, s, repeats); });
        keyViolations.watch(result.keyViolTable);
        result.keyViolations = repeated;
    }
    db.sync();
    {
        File staged = File::openRead(swap.stagedPath(dbName));
        const DbHeader nh = ReadDbHeader(staged, false);
        PrimaryIndexSource src{&staged, &nh, staged.size(), s->checksum, s->base + ".PX"};
        WritePrimaryIndex(src, swap.stage(MemberFile(*s, "PX")));
    }
    StageSecondaryIndexes(swap, *s, swap.stagedPath(dbName), defs);
    StageValKeyChange(swap, *s, d.keyFieldCount);
    swap.commit();
    return result;
}

void DeletePrimary(const std::shared_ptr<TableState>& s) {
    if (auto val = ReadValFile(s->dir, s->base))
        for (const auto& l : val->links)
            if (l.kind == uint32_t(LinkKind::Master)) throw EngineError(err::kDetailTablesExist, s->base);
    std::vector<uint8_t> raw = s->header.raw;
    raw[hdr::kFileType] = kTypeUnkeyed;
    PutLE16(raw.data() + hdr::kKeyFields, 0);
    PutLE32(raw.data() + hdr::kKeyedMarker, 0);
    std::vector<SecondaryIndexDef> defs = ReadSecondaryIndexDefs(s->dir, s->base);
    for (auto& def : defs) def.desc.maintained = 0;  // maintained indexes need a primary key

    FamilySwap swap(s->dir, s->base);
    const std::string dbName = FileNamePart(s->dbPath);
    File& db = swap.stage(dbName);
    CopyFileContents(s->db, db);
    PatchDbHeader(raw, ChainCounts{s->header.numRecords, s->header.usedBlocks, s->header.fileBlocks, s->header.firstBlock,
                                   s->header.lastBlock},
                  false, 0);
    db.writeAt(0, raw.data(), raw.size());
    db.sync();
    if (FindTableFile(s->dir, s->base, "PX")) swap.remove(MemberFile(*s, "PX"));
    StageSecondaryIndexes(swap, *s, swap.stagedPath(dbName), defs);
    StageValKeyChange(swap, *s, 0);
    swap.commit();
}

}  // namespace

std::string FreeKeyViolName(const std::string& dir) { return ChooseKeyViolationName(dir, ""); }

AddIndexResult AddIndex(const std::string& dir, const std::string& table, const IndexDescriptor& d, const OpenOptions& options) {
    auto s = OpenTableState(dir, table, options);
    CheckMayChangeStructure(*s);
    const Schema& sc = s->header.schema;
    if (d.expression) throw EngineError(err::kNotSupported, "expression indexes");
    if (d.keyFieldCount < 1 || d.keyFieldCount > kMaxKeyFields) throw EngineError(err::kInvalidIndexDesc, "key field count");
    for (int i = 0; i < d.keyFieldCount; ++i)
        if (d.keyFields[i] < 1 || d.keyFields[i] > sc.fields.size()) throw EngineError(err::kInvalidIndexDesc, "key field number");
    if (d.primary) return AddPrimary(s, d, options);

    IndexDescriptor desc = d;
    std::string name = fixedText(desc.name);
    const bool single = IsSingleFieldIndex(desc, sc.fields[desc.keyFields[0] - 1u].name);
    if (name.empty()) {
        if (!single) throw EngineError(err::kInvalidIndexName, "a composite index needs a name");
        name = sc.fields[desc.keyFields[0] - 1u].name;
        copyFixedText(desc.name, name);
    }
    for (const IndexDescriptor& e : ReadIndexDescriptors(s->dir, s->base, sc))
        if (!e.primary && vortab::SameNameNoCase(fixedText(e.name), name)) throw EngineError(err::kIndexExists, name);
    if (sc.keyFields == 0) desc.maintained = 0;  // only a keyed table can keep an index up to date

    std::vector<std::string> exts;
    for (const auto& f : SecondaryIndexFiles(s->dir, s->base)) exts.push_back(f.substr(f.rfind('.') + 1));
    const std::string ext = ChooseIndexExtension(desc, sc, exts);

    FamilySwap swap(s->dir, s->base);
    SecondaryIndexSource src{&s->db, &s->header, s->fileSize, s->checksum};
    WriteSecondaryIndex(src, desc, s->base + "." + ext, s->base + "." + YExtension(ext), swap.stage(MemberFile(*s, ext)),
                        swap.stage(MemberFile(*s, YExtension(ext))));
    swap.commit();
    return {};
}

void DeleteIndex(const std::string& dir, const std::string& table, const std::string& name, const OpenOptions& options) {
    auto s = OpenTableState(dir, table, options);
    CheckMayChangeStructure(*s);
    if (name.empty()) {
        if (s->header.schema.keyFields == 0) throw EngineError(err::kNoSuchIndex, "the table has no primary index");
        CheckNoLinkNeeds(*s, name);
        DeletePrimary(s);
        return;
    }
    for (const SecondaryIndexDef& def : ReadSecondaryIndexDefs(s->dir, s->base)) {
        if (!vortab::SameNameNoCase(fixedText(def.desc.name), name)) continue;
        CheckNoLinkNeeds(*s, name);
        FamilySwap swap(s->dir, s->base);
        swap.remove(MemberFile(*s, def.extension));
        swap.remove(MemberFile(*s, YExtension(def.extension)));
        swap.commit();
        return;
    }
    throw EngineError(err::kNoSuchIndex, name);
}

}  // namespace paradox
