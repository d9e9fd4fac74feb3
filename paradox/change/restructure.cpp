// restructureTable: plans, then writes the new family into one FamilySwap. Records stream from
// the old table in chain order. When the new key keeps the old key's fields and encodings the
// chain order is the new key order and records go straight into new blocks. Otherwise the
// records are sorted by the new key, each with its ordinal, and repeats found on the way out go
// to the key-violation table; when building a record writes blobs or draws autoincrement
// numbers, a first pass finds the repeats from the keys alone so that only kept records are
// built. Memory stays bounded either way (external sorts).
#include "paradox/change/restructure.h"

#include <algorithm>
#include <cstring>
#include <ctime>

#include "paradox/change/check_only_change.h"
#include "paradox/change/field_conversion.h"
#include "paradox/change/index_ops_support.h"
#include "paradox/change/key_violation.h"
#include "paradox/change/link_ops.h"
#include "paradox/change/restructure_companions.h"
#include "paradox/change/restructure_links.h"
#include "paradox/change/restructure_plan.h"
#include "paradox/change/restructure_writer.h"
#include "paradox/format/blob_file.h"
#include "paradox/format/byte_order.h"
#include "paradox/format/crypto.h"
#include "paradox/format/field_codec.h"
#include "paradox/storage/engine_error.h"
#include "paradox/storage/external_sort.h"
#include "paradox/storage/family_swap.h"
#include "paradox/storage/fault_injection.h"
#include "paradox/storage/table_family.h"
#include "paradox/table/primary_index.h"
#include "paradox/table/security.h"
#include "paradox/table/table_state.h"
#include "shared/text/case_fold.h"

namespace paradox {

namespace {

// Builds records of the new layout from records of the old one.
class RecordBuilder {
public:
    RecordBuilder(const TableState& old, const RestructurePlan& p, BlobWriter* blobs)
        : old_(old), p_(p), blobs_(blobs), autoField_(p.schema.autoIncField()) {
        if (autoField_ >= 0) {
            const int src = p.source[autoField_];
            // The counter continues from the old table's when the field was its '+' field.
            if (src >= 0 && old.header.schema.fields[src].type == PxType::AutoInc) autoInc_ = old.header.autoInc;
            // A field converted to '+' keeps its numbers; a blank one could only get a number
            // that a later record may already hold, so it is refused.
            convertedAuto_ = src >= 0 && old.header.schema.fields[src].type != PxType::AutoInc;
        }
        planCopies();
    }

    // Fills out (recordSize bytes) for fields [0, count); blob values go to the new .MB.
    // withBlobs false leaves blob fields blank (records set aside keep their blobs as values).
    void build(const RecordView& in, uint8_t* out, std::size_t count, uint64_t recordNo, bool withBlobs = true) {
        std::memset(out, 0, p_.schema.recordSize);
        if (count == p_.schema.fields.size()) {
            for (const Copy& c : copies_) std::memcpy(out + c.to, in.raw() + c.from, c.size);
            for (const uint16_t i : others_) buildField(in, out, i, recordNo, withBlobs);
        } else {
            for (std::size_t i = 0; i < count; ++i) {
                if (p_.source[i] < 0) continue;
                if (p_.rawCopy[i] && i >= p_.schema.keyFields) {
                    const Field& nf = p_.schema.fields[i];
                    std::memcpy(out + nf.offset, in.raw() + old_.header.schema.fields[p_.source[i]].offset, nf.width);
                } else {
                    buildField(in, out, i, recordNo, withBlobs);
                }
            }
        }
        if (autoField_ >= 0 && static_cast<std::size_t>(autoField_) < count) numberAutoInc(out);
    }

    // The values of a built record (blobs read back from the old record) for a key-violation table.
    std::vector<Value> values(const RecordView& in, const uint8_t* built) const {
        std::vector<Value> out;
        for (std::size_t i = 0; i < p_.schema.fields.size(); ++i) {
            const Field& nf = p_.schema.fields[i];
            const int src = p_.source[i];
            if (IsBlobType(nf.type)) {
                out.push_back(src < 0 ? Value::null()
                                      : ConvertFieldValue(in.value(src), old_.header.schema.fields[src], nf));
            } else {
                out.push_back(DecodeField(nf, built));
            }
        }
        return out;
    }

    uint32_t autoInc() const { return autoInc_; }

private:
    // Bytes copied unchanged from the old record, adjacent fields joined into one copy.
    struct Copy {
        uint16_t from, to, size;
    };

    // A field of an old one that is not a plain copy: a key field copied in canonical form (keys
    // compare byte by byte), or a value converted to the new field.
    void buildField(const RecordView& in, uint8_t* out, std::size_t i, uint64_t recordNo, bool withBlobs) {
        const Field& nf = p_.schema.fields[i];
        const int src = p_.source[i];
        const Field& of = old_.header.schema.fields[src];
        if (!withBlobs && IsBlobType(nf.type)) return;
        if (p_.rawCopy[i]) {
            CopyCanonicalField(of, in.raw(), out + nf.offset);
            return;
        }
        try {
            const Value v = ConvertFieldValue(in.value(src), of, nf);
            if (IsBlobType(nf.type)) storeBlob(nf, v, out);
            else EncodeField(nf, v, out);
        } catch (const EngineError& e) {
            if (e.code() != err::kOutOfRange && e.code() != err::kInvalidParam) throw;
            throw EngineError(err::kOutOfRange, "record " + std::to_string(recordNo) + ", field " + nf.name +
                                                    ": value does not fit the new field");
        }
    }

    // Splits the fields of a whole record into joined plain copies and the others.
    void planCopies() {
        const auto& fields = p_.schema.fields;
        for (std::size_t i = 0; i < fields.size(); ++i) {
            if (p_.source[i] < 0) continue;
            if (!p_.rawCopy[i] || i < p_.schema.keyFields) {
                others_.push_back(static_cast<uint16_t>(i));
                continue;
            }
            const Field& of = old_.header.schema.fields[p_.source[i]];
            const Field& nf = fields[i];
            if (!copies_.empty() && copies_.back().from + copies_.back().size == of.offset &&
                copies_.back().to + copies_.back().size == nf.offset)
                copies_.back().size = static_cast<uint16_t>(copies_.back().size + nf.width);
            else
                copies_.push_back({of.offset, nf.offset, nf.width});
        }
    }

    void storeBlob(const Field& f, const Value& v, uint8_t* rec) {
        std::memset(rec + f.offset, 0, f.width);
        if (v.isNull()) return;
        const std::string stored = AddBlobPrefix(f.type, v.asString());
        if (stored.empty()) return;
        std::memcpy(rec + f.offset, stored.data(), std::min<std::size_t>(stored.size(), f.leader()));
        BlobRef ref;
        ref.length = static_cast<uint32_t>(stored.size());
        if (stored.size() > f.leader()) ref = blobs_->write(stored);
        EncodeBlobRef(f, ref, rec);
    }

    void numberAutoInc(uint8_t* out) {
        const Field& f = p_.schema.fields[autoField_];
        const Value v = DecodeField(f, out);
        if (v.isNull()) {
            if (convertedAuto_)
                throw EngineError(err::kOutOfRange, "field " + f.name + ": a blank value cannot become an autoincrement number");
            if (autoInc_ >= 0x7FFFFFFF) throw EngineError(err::kOutOfRange, "autoincrement exhausted");
            EncodeField(f, Value::integer(++autoInc_), out);
        } else if (v.asInt() > int64_t(autoInc_)) {
            autoInc_ = static_cast<uint32_t>(v.asInt());
        }
    }

    const TableState& old_;
    const RestructurePlan& p_;
    BlobWriter* blobs_;
    int autoField_;
    uint32_t autoInc_ = 0;
    bool convertedAuto_ = false;
    std::vector<Copy> copies_;
    std::vector<uint16_t> others_;  // fields of a whole record built one by one, in field order
};

// Records set aside (whose new key repeats an earlier record's, or that name no record of a new
// link's master): marked by old ordinal, left out of the new table, stored later.
struct SetAside {
    std::vector<bool> marks;  // empty while nothing is marked
    uint32_t count = 0;

    bool marked(std::size_t i) const { return i < marks.size() && marks[i]; }
};

// Whether the old or the new table is protected: then its records are secret on any disk.
bool Secret(const TableState& old, const RestructurePlan& p) { return old.checksum != 0 || p.newChecksum != 0; }

// Keyed tables whose key order changed, when building a record has no side effect (no blob is
// written, no autoincrement number drawn): one pass builds every record, sorts it by key with its
// ordinal, and on the way out marks each record whose key repeats an earlier record's, as the
// two-pass form below does, but reading and converting the table once.
void WriteResortedOnce(std::shared_ptr<TableState> old, const RestructurePlan& p, RecordBuilder& b,
                       SequentialBlockWriter& out, SetAside& aside) {
    const uint16_t keySize = p.schema.keySize();
    const uint16_t rs = p.schema.recordSize;
    ExternalSorter sorted(old->dir, Secret(*old, p), rs + 4u, ExternalSorter::ByteKey{keySize});
    std::vector<uint8_t> entry(rs + 4u);
    RecordReader r(old);
    uint32_t i = 0;
    while (r.next()) {
        b.build(r.record(), entry.data(), p.schema.fields.size(), i + 1);
        PutLE32(entry.data() + rs, i++);
        sorted.add(entry.data());
        if ((i & 0xFFFF) == 0) fault::FaultPoint("restructure: records sorted");
    }
    if (!aside.marks.empty() && aside.marks.size() != i)
        throw EngineError(err::kFileCorrupt, old->dbPath + ": records changed while restructuring");
    std::vector<uint8_t> prev(keySize);
    bool first = true;
    while (const uint8_t* e = sorted.next()) {
        const uint32_t ordinal = GetLE32(e + rs);
        if (ordinal >= i) throw EngineError(err::kFileCorrupt, old->dbPath + ": records changed while restructuring");
        const bool repeat = !first && std::memcmp(prev.data(), e, keySize) == 0;
        std::memcpy(prev.data(), e, keySize);
        first = false;
        // A repeat of a key stays out of the table, also where the record it repeats is set aside
        // for another reason. The marks (a bit per record) exist only once something is marked.
        if (repeat && !aside.marked(ordinal)) {
            if (aside.marks.empty()) aside.marks.resize(i, false);
            aside.marks[ordinal] = true;
            ++aside.count;
        }
        if (!aside.marked(ordinal)) out.add(e);
    }
}

// Keyed tables whose key order changed. A first pass sorts (new key, ordinal) pairs and marks
// every record whose key repeats an earlier record's; the second pass builds the kept records,
// sorts them by key and writes them out. Both sorts run in bounded memory; what grows with the
// table is one bit per record.
void WriteResorted(std::shared_ptr<TableState> old, const RestructurePlan& p, RecordBuilder& b,
                   SequentialBlockWriter& out, SetAside& aside) {
    const uint16_t keySize = p.schema.keySize();
    const uint16_t rs = p.schema.recordSize;
    const ExternalSorter::ByteKey byKey{keySize};
    std::vector<uint8_t> rec(rs);
    std::vector<bool> repeat;
    {
        ExternalSorter keys(old->dir, Secret(*old, p), keySize + 4u, byKey);
        std::vector<uint8_t> entry(keySize + 4u);
        RecordReader r(old);
        uint32_t i = 0;
        while (r.next()) {
            b.build(r.record(), rec.data(), p.schema.keyFields, i + 1);
            std::memcpy(entry.data(), rec.data(), keySize);
            PutLE32(entry.data() + keySize, i++);
            keys.add(entry.data());
        }
        repeat = RepeatedKeyOrdinals(keys, keySize, i);
    }
    // A repeat of a key stays out of the table, also where the record it repeats is set aside
    // for another reason (as if the links were added after the key changed).
    if (!aside.marks.empty() && aside.marks.size() != repeat.size())
        throw EngineError(err::kFileCorrupt, old->dbPath + ": records changed while restructuring");
    aside.marks.resize(repeat.size(), false);
    for (std::size_t k = 0; k < repeat.size(); ++k)
        if (repeat[k] && !aside.marks[k]) {
            aside.marks[k] = true;
            ++aside.count;
        }
    ExternalSorter kept(old->dir, Secret(*old, p), rs, byKey);
    RecordReader r(old);
    uint32_t i = 0;
    while (r.next()) {
        if (i >= repeat.size()) throw EngineError(err::kFileCorrupt, old->dbPath + ": records changed while restructuring");
        if (!aside.marks[i++]) {
            b.build(r.record(), rec.data(), p.schema.fields.size(), i);
            kept.add(rec.data());
        }
        if ((i & 0xFFFF) == 0) fault::FaultPoint("restructure: records sorted");
    }
    while (const uint8_t* k = kept.next()) out.add(k);
}

// Inserts the records marked in aside into w, converted to the new fields (blobs included).
void WriteSetAside(const std::shared_ptr<TableState>& old, const RestructurePlan& p, RecordBuilder& b, const SetAside& aside,
                   TableWriter& w) {
    std::vector<uint8_t> rec(p.schema.recordSize);
    detail::ForEachPlannedRecord(RecordReader(old), aside.marks.size(), old->dbPath, [&](std::size_t i, const RecordReader& r) {
        if (!aside.marks[i]) return;
        b.build(r.record(), rec.data(), p.schema.fields.size(), i + 1, false);
        w.insert(b.values(r.record(), rec.data()));
    });
}

// Records already in new key order (or an unkeyed table): one streaming pass.
void WriteStreaming(std::shared_ptr<TableState> old, const RestructurePlan& p, RecordBuilder& b, SequentialBlockWriter& out,
                    const SetAside& aside) {
    const uint16_t keySize = p.schema.keySize();
    std::vector<uint8_t> rec(p.schema.recordSize), prev(keySize);
    RecordReader r(old);
    uint64_t i = 0;
    while (r.next()) {
        if (aside.marked(i++)) continue;
        b.build(r.record(), rec.data(), p.schema.fields.size(), i);
        if (keySize > 0) {
            if (out.records() > 0 && std::memcmp(prev.data(), rec.data(), keySize) >= 0)
                throw EngineError(err::kFileCorrupt, old->dbPath + ": records out of key order");
            std::memcpy(prev.data(), rec.data(), keySize);
        }
        out.add(rec.data());
        if ((i & 0xFFFF) == 0) fault::FaultPoint("restructure: records written");
    }
    if (!aside.marks.empty() && i != aside.marks.size())
        throw EngineError(err::kFileCorrupt, old->dbPath + ": records changed while restructuring");
}

// What becomes of the auxiliary password store: its field rights follow their fields, the
// security entries and the STRICTINTEGRTY option apply, and it is keyed by the new master
// password. nullopt when the table has no store and gets none.
struct AuxStorePlan {
    std::optional<std::vector<uint8_t>> bytes;  // nullopt: the store is removed
};

std::optional<AuxStorePlan> PlanAuxStore(const TableState& old, const RestructurePlan& plan, const TableDescriptor& desc) {
    const bool hasStore = FindTableFile(old.dir, old.base, kAuxPasswordExtension).has_value();
    if (!hasStore && desc.securityCount == 0 && !plan.strictIntegrity) return std::nullopt;
    // Only the master password changes who may open the table.
    if (old.openedWithAuxPassword && (desc.securityCount > 0 || plan.newChecksum != old.checksum))
        throw EngineError(err::kNotSufficientTableRights, old.base);
    AuxStore store = ReadAuxStore(old.dir, old.base, old.checksum);
    RemapFieldRights(store, plan.newNumberOfOld, plan.schema.fields.size());
    ApplyEntriesToStore(store, desc.security, desc.securityOps, desc.securityCount, plan.schema.fields.size(),
                        plan.newChecksum != 0);
    if (plan.strictIntegrity) store.strictIntegrity = *plan.strictIntegrity;
    return AuxStorePlan{StoreBytes(std::move(store), plan.newChecksum)};
}

// Copies the key-violation table's name into the caller's buffer, when there is one of each.
void ReportKeyViolationTable(const RestructureResult& result, char* keyViolationName) {
    if (!keyViolationName || result.keyViolTable.empty()) return;
    std::memset(keyViolationName, 0, kKeyViolNameSize);
    std::memcpy(keyViolationName, result.keyViolTable.data(), std::min(result.keyViolTable.size(), kKeyViolNameSize - 1));
}

// The name records set aside will be stored under: the caller's (without a ".DB"), else the
// first free KEYVIOL name; empty without a buffer (then nothing may be set aside).
std::string KeyViolationTableName(const std::string& dir, const char* keyViolationName) {
    if (!keyViolationName) return {};
    std::string requested(keyViolationName, strnlen(keyViolationName, kKeyViolNameSize));
    if (requested.size() > 3 && vortab::SameNameNoCase(requested.substr(requested.size() - 3), ".DB"))
        requested.resize(requested.size() - 3);
    return ChooseKeyViolationName(dir, requested);
}

// Records a table's dependents may name cannot leave it: 9743 when the table is a master.
void RefuseIfDependentsMayLoseRecords(const CompanionPlan& c, const std::string& table) {
    if (!c.val) return;
    for (const RILinkDescriptor& l : c.val->links)
        if (l.kind == uint32_t(LinkKind::Master))
            throw EngineError(err::kDetailTablesExist, table + ": records would leave a table other tables depend on");
}

// Links dropped without any other change: the data files stay as they are, and the table's
// .VAL and its masters' change in one step.
RestructureResult DropLinksOnly(std::shared_ptr<TableState> old, const LinkChanges& links, const OpenOptions& oo) {
    const std::string dir = old->dir, base = old->base;
    old.reset();
    std::vector<std::string> dropped;
    for (const RILinkDescriptor& l : links.drops) dropped.push_back(fixedText(l.name));
    DropLinks(dir, base, dropped, oo);
    return {};
}

// The links a restructure adds, as the table's .VAL will hold them, with their masters (which
// must be in the table's directory: their .VAL changes in the same step).
struct NewLinks {
    std::vector<RILinkDescriptor> entries;
    std::vector<std::shared_ptr<TableState>> masters;
};

// Checks the links to add against the new field list and the links the table keeps.
NewLinks CheckNewLinks(const TableState& old, const RestructurePlan& plan, const CompanionPlan& companions,
                       const std::vector<RILinkDescriptor>& adds, const OpenOptions& oo) {
    std::vector<std::shared_ptr<TableState>> masters = CheckLinkRequests(
        old.dir, old.base, plan.schema, companions.val ? companions.val->links : std::vector<RILinkDescriptor>{}, adds, oo);
    NewLinks n;
    for (std::size_t k = 0; k < adds.size(); ++k) {
        const RILinkDescriptor& l = adds[k];
        std::shared_ptr<TableState>& mas = masters[k];
        if (!vortab::SameNameNoCase(mas->dir, old.dir))
            throw EngineError(err::kInvalidParam, "the master of link " + fixedText(l.name) + " must be in the table's directory");
        for (int i = 0; i < l.fieldCount; ++i) {
            const std::size_t f = l.thisFields[i] - 1u;
            // Its numbers are only known once the records are written.
            if (plan.source[f] < 0 && plan.schema.fields[f].type == PxType::AutoInc)
                throw EngineError(err::kInvalidParam, "a link cannot use an autoincrement field the request adds");
        }
        n.entries.push_back(DependentLinkEntry(l, *mas));
        n.masters.push_back(std::move(mas));
    }
    return n;
}

// Marks (by old ordinal) the records whose link values, as the new table will hold them, name
// no record of a new link's master; returns how many.
uint32_t MarkOrphans(const std::shared_ptr<TableState>& old, const RestructurePlan& p, const NewLinks& links, SetAside& aside) {
    uint32_t count = 0;
    for (std::size_t k = 0; k < links.entries.size(); ++k) {
        const RILinkDescriptor& link = links.entries[k];
        RecordBuilder b(*old, p, nullptr);
        const std::vector<bool> orphaned =
            FindOrphanRecords(links.masters[k], link.fieldCount, Secret(*old, p), [&](const LinkProbeSink& emit) {
                std::vector<uint8_t> rec(p.schema.recordSize), value(p.schema.recordSize);
                RecordReader r(old);
                for (uint64_t i = 1; r.next(); ++i) {
                    b.build(r.record(), rec.data(), p.schema.fields.size(), i, false);
                    bool blank = true;
                    std::size_t at = 0;
                    for (int f = 0; f < link.fieldCount; ++f) {
                        const Field& field = p.schema.fields[link.thisFields[f] - 1u];
                        CopyCanonicalField(field, rec.data(), value.data() + at);
                        blank = blank && IsBlankField(field, rec.data());
                        at += field.width;
                    }
                    emit(value.data(), blank);
                }
            });
        if (aside.marks.empty()) aside.marks.assign(orphaned.size(), false);
        if (orphaned.size() != aside.marks.size()) throw EngineError(err::kFileCorrupt, old->dbPath + ": records changed while restructuring");
        for (std::size_t i = 0; i < orphaned.size(); ++i)
            if (orphaned[i] && !aside.marks[i]) {
                aside.marks[i] = true;
                ++count;
            }
    }
    aside.count += count;
    return count;
}

std::string PasswordOf(const TableDescriptor& d) {
    return d.protectedFlag ? std::string(d.password, strnlen(d.password, sizeof d.password)) : std::string();
}

}  // namespace

RestructureResult restructureTable(const std::string& dir, const TableDescriptor& desc, char* keyViolationName,
                                   const RestructureOptions& options) {
    const std::string tableName(desc.tableName, strnlen(desc.tableName, sizeof desc.tableName));
    const std::string driver(desc.driverType, strnlen(desc.driverType, sizeof desc.driverType));
    if (!driver.empty() && driver != "PARADOX" && driver != "Paradox")
        throw EngineError(err::kNotSupported, "driver " + driver);
    if (desc.indexCount > 0)
        for (int i = 0; i < desc.indexCount; ++i)
            if (!desc.indexOps || desc.indexOps[i] != CRNOOP)
                throw EngineError(err::kNotSupported, "indexes change through add index and delete index");

    OpenOptions oo{options.passwords, options.askPassword};
    const std::string newPassword = PasswordOf(desc);
    if (!newPassword.empty()) oo.passwords.push_back(newPassword);
    // A link step a crash interrupted may name this table's masters too: finish it first.
    RecoverDirectory(LocateTable(dir, tableName).dir);
    std::shared_ptr<TableState> old = OpenTableState(dir, tableName, oo);
    const uint32_t askedChecksum = newPassword.empty() ? 0 : PasswordChecksum(newPassword);
    detail::CheckMayChangeStructure(*old);
    const LinkChanges links = SortLinkEntries(*old, desc);
    if (ChangesLinksOnly(desc) && askedChecksum == old->header.checksum && links.adds.empty())
        return DropLinksOnly(std::move(old), links, oo);

    const RestructurePlan plan = PlanRestructure(*old, desc);
    CompanionPlan companions = PlanCompanions(*old, plan, desc, links.drops);
    // Checks that every record already meets change the .VAL alone.
    if (ChangesChecksOnly(*old, plan, desc, links) && !AnyRecordMayBreakNewChecks(old, desc))
        return ReplaceChecksOnly(*old, companions);
    const std::optional<AuxStorePlan> auxStore = PlanAuxStore(*old, plan, desc);
    NewLinks added;
    if (!links.adds.empty()) {
        added = CheckNewLinks(*old, plan, companions, links.adds, oo);
        AddLinksToPlan(companions, plan, added.entries);
    }
    // Records a new link finds no master record for leave the table with the restructure.
    SetAside aside;
    if (const uint32_t orphans = MarkOrphans(old, plan, added, aside); orphans > 0) {
        if (!keyViolationName)
            throw EngineError(err::kKeyViol, std::to_string(orphans) + " records of " + old->base + " name no master record");
        RefuseIfDependentsMayLoseRecords(companions, old->base);
    }
    const bool maySetAside = (plan.schema.keyFields > 0 && !plan.keyOrderKept) || !links.adds.empty();
    const std::string kvName = maySetAside ? KeyViolationTableName(old->dir, keyViolationName) : "";

    FamilySwap swap(old->dir, old->base);
    KeyViolationGuard keyViolations(old->dir, swap);
    const std::string dbName = swap.memberName("DB");
    File& db = swap.stage(dbName);

    NewHeaderSpec spec;
    spec.schema = plan.schema;
    spec.version = plan.version;
    spec.blockSizeCode = static_cast<uint8_t>(plan.blockSize / 1024);
    spec.sortOrder = plan.driver.sortOrder;
    spec.codePage = plan.driver.codePage;
    spec.sortOrderName = plan.driver.name ? plan.driver.name : "";
    spec.tableName = old->base + ".DB";
    spec.checksum = plan.newChecksum;
    spec.updateStamp = static_cast<uint32_t>(std::time(nullptr));
    std::vector<uint8_t> header = BuildDbHeader(spec);
    db.writeAt(0, header.data(), header.size());

    // Blob file.
    File* mb = nullptr;
    std::unique_ptr<BlobWriter> blobs;
    if (plan.schema.hasBlobs()) {
        mb = &swap.stage(swap.memberName("MB"));
        std::vector<uint8_t> head = NewBlobFileHeader();
        if (plan.newChecksum) EncryptBlobBytes(head.data(), head.size(), plan.newChecksum);
        mb->writeAt(0, head.data(), head.size());
        blobs = std::make_unique<BlobWriter>(*mb, plan.newChecksum);
    } else if (FindTableFile(old->dir, old->base, "MB")) {
        swap.remove(swap.memberName("MB"));
    }

    // Records.
    fault::FaultPoint("restructure: start records");
    RecordBuilder builder(*old, plan, blobs.get());
    SequentialBlockWriter out(db, static_cast<uint32_t>(header.size()), plan.blockSize, plan.schema.recordSize,
                              plan.recordsPerBlock, plan.newChecksum);
    const bool buildHasSideEffects = plan.schema.hasBlobs() || plan.schema.autoIncField() >= 0;
    if (plan.schema.keyFields > 0 && !plan.keyOrderKept && !buildHasSideEffects) WriteResortedOnce(old, plan, builder, out, aside);
    else if (plan.schema.keyFields > 0 && !plan.keyOrderKept) WriteResorted(old, plan, builder, out, aside);
    else WriteStreaming(old, plan, builder, out, aside);
    if (aside.count > 0 && !keyViolationName)
        throw EngineError(err::kKeyViol, std::to_string(aside.count) + " records repeat a key of " + old->base);
    if (aside.count > 0) RefuseIfDependentsMayLoseRecords(companions, old->base);
    const ChainCounts counts = out.finish();
    if (blobs) blobs->finish();

    // Header: counts, autoincrement, the restructure counter and the next field ID.
    PatchDbHeader(header, counts, plan.schema.autoIncField() >= 0, builder.autoInc());
    header[hdr::kChangeCount2] = static_cast<uint8_t>(old->header.changeCount2 + 1);
    if (plan.version >= 5) PutLE16(header.data() + hdr::kHiFieldId, plan.hiFieldId);
    db.writeAt(0, header.data(), header.size());
    fault::FaultPoint("restructure: data written");

    // Primary index.
    if (plan.schema.keyFields > 0) {
        File& px = swap.stage(swap.memberName("PX"));
        const DbHeader fresh = ReadDbHeader(db, false);
        PrimaryIndexSource src{&db, &fresh, db.size(), plan.newChecksum, old->base + ".PX"};
        WritePrimaryIndex(src, px);
    } else if (FindTableFile(old->dir, old->base, "PX")) {
        swap.remove(swap.memberName("PX"));
    }
    fault::FaultPoint("restructure: primary index written");

    ValStamps stamps{header[hdr::kChangeCount2], GetLE32(header.data() + hdr::kUpdateStamp), plan.hiFieldId, plan.version};
    StageCompanions(swap, *old, companions, swap.stagedPath(dbName), plan.newChecksum, stamps);
    if (auxStore) StageAuxStore(swap, old->dir, old->base, auxStore->bytes);
    StageMasterSides(swap, old->dir, old->base, links.drops, companions.renumberedLinks, added.entries, oo);

    RestructureResult result;
    result.records = counts.numRecords;
    result.setAside = aside.count;
    if (aside.count > 0) {
        // The set-aside records are stored before the table changes: a crash in between leaves
        // them twice (old table and key-violation table), never nowhere.
        KeyViolationTableSpec kv{plan.schema, plan.level, plan.blockSize, plan.driver.name ? plan.driver.name : "", newPassword};
        kv.schema.keyFields = 0;
        WriteKeyViolationTable(old->dir, kvName, kv, [&](TableWriter& w) { WriteSetAside(old, plan, builder, aside, w); });
        keyViolations.watch(kvName);
        result.keyViolTable = kvName + ".DB";
        // Numbers the set-aside records drew stay taken in the new table too.
        if (plan.schema.autoIncField() >= 0) {
            PutLE32(header.data() + hdr::kAutoInc, builder.autoInc());
            db.writeAt(hdr::kAutoInc, header.data() + hdr::kAutoInc, 4);
        }
        fault::FaultPoint("restructure: key violations written");
    }
    swap.commit();
    ReportKeyViolationTable(result, keyViolationName);
    return result;
}

}  // namespace paradox
