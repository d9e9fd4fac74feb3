// The repaired family, staged.
#include "paradox/verify/family_rebuild.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>

#include "paradox/change/key_violation.h"
#include "paradox/change/restructure_writer.h"
#include "paradox/format/blob_file.h"
#include "paradox/format/byte_order.h"
#include "paradox/format/crypto.h"
#include "paradox/format/field_codec.h"
#include "paradox/format/val_writer.h"
#include "paradox/storage/engine_error.h"
#include "paradox/storage/external_sort.h"
#include "paradox/storage/fault_injection.h"
#include "paradox/storage/table_family.h"
#include "paradox/table/index_maintenance.h"
#include "paradox/table/primary_index.h"
#include "paradox/verify/salvage.h"

namespace paradox::verify {
namespace {

std::string N(uint64_t n) { return std::to_string(n); }

// Salvage ordinals whose key repeats an earlier record's (byte-equal keys are equal under
// every collation). Sorted in bounded memory; one bit per record is what grows.
std::vector<bool> RepeatedKeys(const CheckedTable& t) {
    const uint16_t keySize = t.header.schema.keySize();
    ExternalSorter keys(t.dir, t.checksum != 0, keySize + 4u, ExternalSorter::ByteKey{keySize});
    std::vector<uint8_t> entry(keySize + 4u);
    uint32_t i = 0;
    SalvageRecords(t, [&](const SalvagedRecord& r) {
        std::memcpy(entry.data(), r.bytes, keySize);
        PutLE32(entry.data() + keySize, i++);
        keys.add(entry.data());
    });
    return RepeatedKeyOrdinals(keys, keySize, i);
}

// Copies the blobs of kept records into the new .MB; a reference that leads nowhere becomes blank.
class BlobCopier {
public:
    BlobCopier(const CheckedTable& t, FamilySwap& swap) : t_(t) {
        if (!t.header.schema.hasBlobs()) return;
        if (auto path = FindTableFile(t.dir, t.base, "MB")) {
            try {
                old_.emplace(File::openRead(*path), t.checksum);
            } catch (const EngineError&) {
                // An .MB that cannot be opened leaves every reference into it without a value.
            }
        }
        File& mb = swap.stage(swap.memberName("MB"));
        std::vector<uint8_t> head = NewBlobFileHeader();
        if (t.checksum) EncryptBlobBytes(head.data(), head.size(), t.checksum);
        mb.writeAt(0, head.data(), head.size());
        writer_ = std::make_unique<BlobWriter>(mb, t.checksum);
    }

    // Rewrites the blob references of rec for the new .MB; a note for each value lost.
    void copy(uint8_t* rec, uint64_t recordNo, std::vector<std::string>& notes) {
        if (!writer_) return;
        for (const Field& f : t_.header.schema.fields) {
            if (!IsBlobType(f.type)) continue;
            const BlobRef ref = DecodeBlobRef(f, rec);
            if (ref.length == 0 || (ref.ref == 0 && ref.length <= f.leader())) continue;
            std::optional<std::string> stored = read(ref);
            if (!stored) {
                std::memset(rec + f.offset, 0, f.width);
                notes.push_back("record " + N(recordNo) + ", field " + f.name + ": its blob could not be found and is now blank");
                continue;
            }
            BlobRef fresh = writer_->write(*stored);
            fresh.length = static_cast<uint32_t>(stored->size());
            EncodeBlobRef(f, fresh, rec);
        }
    }

    // The value of a blob field of an old record, null when it cannot be read.
    Value value(const Field& f, const uint8_t* rec) const {
        const BlobRef ref = DecodeBlobRef(f, rec);
        if (ref.length == 0) return Value::null();
        std::optional<std::string> stored;
        if (ref.ref == 0) {
            if (ref.length <= f.leader()) stored.emplace(reinterpret_cast<const char*>(rec + f.offset), ref.length);
        } else {
            stored = read(ref);
        }
        if (!stored) return Value::null();
        std::string v = StripBlobPrefix(f.type, std::move(*stored));
        return f.type == PxType::Memo || f.type == PxType::FmtMemo ? Value::text(v) : Value::bytes(v);
    }

    void finish() {
        if (writer_) writer_->finish();
    }

private:
    std::optional<std::string> read(const BlobRef& ref) const {
        if (!old_ || ref.ref == 0) return std::nullopt;
        try {
            return old_->read(ref);
        } catch (const EngineError&) {
            return std::nullopt;
        }
    }

    const CheckedTable& t_;
    std::optional<BlobReader> old_;
    std::unique_ptr<BlobWriter> writer_;
};

// A record's values as far as they decode; a field that does not decode is null.
std::vector<Value> RecordValues(const CheckedTable& t, const BlobCopier& blobs, const uint8_t* rec) {
    std::vector<Value> out;
    for (const Field& f : t.header.schema.fields) {
        try {
            out.push_back(IsBlobType(f.type) ? blobs.value(f, rec) : DecodeField(f, rec));
        } catch (const EngineError&) {
            out.push_back(Value::null());
        }
    }
    return out;
}

std::string ChooseProblemsName(const std::string& dir) {
    for (int n = 0; n < 1000; ++n) {
        const std::string name = n == 0 ? "PROBLEMS" : "PROBLM" + N(n);
        if (!FindTableFile(dir, name, "DB")) return name;
    }
    throw EngineError(err::kNameNotUnique, "no PROBLEMS table name is free in " + dir);
}

// The table's .VAL with its checks mapped to the current fields; checks that no longer fit
// are dropped with a note. nullopt when the .VAL cannot be read.
std::optional<ValContents> RestampedVal(const CheckedTable& t, std::vector<std::string>& notes) {
    std::optional<ValContents> old;
    try {
        old = ReadValFile(t.dir, t.base);
    } catch (const EngineError& e) {
        notes.push_back(std::string(".VAL left as it is: ") + e.what());
        return std::nullopt;
    }
    if (!old) return std::nullopt;
    ValContents v = EmptyValFor(t.dir, t.base);
    v.version = old->version;
    v.links = old->links;
    v.masterKeyFields = old->masterKeyFields;
    const auto& fields = t.header.schema.fields;
    for (ValidityCheckDescriptor c : old->checks) {
        const ValField* vf = c.fieldNumber >= 1 && c.fieldNumber <= old->fields.size() ? &old->fields[c.fieldNumber - 1] : nullptr;
        const auto it = vf ? std::find_if(fields.begin(), fields.end(),
                                          [&](const Field& f) { return f.id == vf->id && uint8_t(f.type) == vf->type && f.sizeByte == vf->sizeByte; })
                           : fields.end();
        if (it == fields.end()) {
            notes.push_back("the validity check of field " + (vf ? vf->name : "number " + N(c.fieldNumber)) +
                            " no longer fits the table and was dropped");
            continue;
        }
        c.fieldNumber = static_cast<uint16_t>(it - fields.begin() + 1);
        v.checks.push_back(c);
    }
    return v;
}

}  // namespace

void StageRebuiltFamily(const CheckedTable& t, FamilySwap& swap, const RebuildChoices& choices, RepairReport& report) {
    const DbHeader& h = t.header;
    const Schema& schema = h.schema;
    const bool keyed = schema.keyFields > 0;
    const bool sortByKey = keyed && choices.resort;
    // Kept in stored order, a keyed table needs its repeated keys found first; sorted, they
    // meet each other in the sort.
    const std::vector<bool> repeat = keyed && !sortByKey ? RepeatedKeys(t) : std::vector<bool>{};
    fault::FaultPoint("repair: keys sorted");

    const std::string dbName = swap.memberName("DB");
    File& db = swap.stage(dbName);
    std::vector<uint8_t> header = h.raw;
    db.writeAt(0, header.data(), header.size());
    BlobCopier blobs(t, swap);
    SequentialBlockWriter out(db, h.headerSize, h.blockSize(), h.recordSize, h.recordsPerBlock(), t.checksum);

    std::vector<std::vector<Value>> problems;
    const int autoField = schema.autoIncField();
    uint32_t autoInc = h.autoInc;
    auto setAside = [&](const uint8_t* bytes, uint64_t recordNo) {
        problems.push_back(RecordValues(t, blobs, bytes));
        report.notes.push_back("record " + N(recordNo) + " repeats the key of another record: moved to the problems table");
    };
    std::vector<uint8_t> rec(h.recordSize);
    auto keep = [&](const uint8_t* bytes, uint64_t recordNo) {
        std::memcpy(rec.data(), bytes, h.recordSize);
        blobs.copy(rec.data(), recordNo, report.notes);
        if (autoField >= 0 && !IsBlankField(schema.fields[autoField], rec.data()))
            autoInc = std::max<uint32_t>(autoInc, static_cast<uint32_t>(DecodeField(schema.fields[autoField], rec.data()).asInt()));
        out.add(rec.data());
    };
    uint32_t ordinal = 0;
    if (sortByKey) {
        // Records with their salvage number, sorted by key (equal keys keep their order, so the
        // first of a repeated key stays); blobs are copied as records leave the sort, in key order.
        const uint16_t keySize = schema.keySize();
        ExternalSorter sorted(t.dir, t.checksum != 0, h.recordSize + 4u, ExternalSorter::ByteKey{keySize});
        std::vector<uint8_t> entry(h.recordSize + 4u);
        SalvageRecords(t, [&](const SalvagedRecord& r) {
            std::memcpy(entry.data(), r.bytes, h.recordSize);
            PutLE32(entry.data() + h.recordSize, ++ordinal);
            sorted.add(entry.data());
        });
        sorted.finish();
        std::vector<uint8_t> prev(keySize);
        bool first = true;
        while (const uint8_t* e = sorted.next()) {
            const uint32_t recordNo = GetLE32(e + h.recordSize);
            if (!first && std::memcmp(prev.data(), e, keySize) == 0) {
                setAside(e, recordNo);
                continue;
            }
            std::memcpy(prev.data(), e, keySize);
            first = false;
            keep(e, recordNo);
        }
    } else {
        SalvageRecords(t, [&](const SalvagedRecord& r) {
            const uint32_t i = ordinal++;
            if (keyed && repeat[i]) setAside(r.bytes, i + 1);
            else keep(r.bytes, i + 1);
        });
    }
    const ChainCounts counts = out.finish();
    blobs.finish();
    PatchDbHeader(header, counts, autoField >= 0, autoInc);
    PutLE16(header.data() + hdr::kFirstFree, 0);
    db.writeAt(0, header.data(), header.size());
    report.recordsKept = counts.numRecords;
    report.recordsSetAside = problems.size();
    fault::FaultPoint("repair: data written");

    if (keyed) {
        File& px = swap.stage(swap.memberName("PX"));
        const DbHeader fresh = ReadDbHeader(db, false);
        WritePrimaryIndex(PrimaryIndexSource{&db, &fresh, db.size(), t.checksum, t.base + ".PX"}, px);
    }
    for (const SecondaryIndexDef& def : ReadSecondaryIndexDefs(t.dir, t.base)) {
        const std::string x = IndexFileName(dbName, def.extension), y = IndexFileName(dbName, YExtension(def.extension));
        BuildIndexFiles(swap.stagedPath(dbName), t.checksum, def, t.base, swap.reserve(x), swap.reserve(y));
    }
    fault::FaultPoint("repair: indexes written");

    if (choices.restampVal)
        if (std::optional<ValContents> val = RestampedVal(t, report.notes)) {
            const std::vector<uint8_t> bytes = EncodeValFile(*val, ReadValStamps(t.dir, t.base));
            swap.stage(swap.memberName("VAL")).writeAt(0, bytes.data(), bytes.size());
        }

    if (!problems.empty()) {
        const std::string name = ChooseProblemsName(t.dir);
        KeyViolationTableSpec problemTable{schema, LevelOfVersion(h.version), h.blockSize(), h.sortOrderName, t.password};
        problemTable.schema.keyFields = 0;
        WriteKeyViolationTable(t.dir, name, problemTable, [&](TableWriter& w) {
            for (const auto& row : problems) w.insert(row);
        });
        report.problemsTable = name + ".DB";
        fault::FaultPoint("repair: problems written");
    }
}

}  // namespace paradox::verify
