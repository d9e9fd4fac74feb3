// .VAL serialisation: header, validity-check entries, the referential-integrity section
// (dependent entries, then the master block) and the footer with the field list. Pointer words
// of a check entry only say "present" on disk; they are written as 1.
#include "paradox/format/val_writer.h"

#include <algorithm>
#include <cstring>

#include <unistd.h>

#include "paradox/format/byte_order.h"
#include "paradox/format/db_header.h"
#include "paradox/format/secondary_index_header.h"
#include "paradox/storage/disk.h"
#include "paradox/storage/engine_error.h"
#include "paradox/storage/file_io.h"
#include "paradox/storage/table_family.h"
#include "paradox/storage/table_list.h"

namespace paradox {

namespace {

constexpr std::size_t kChecksStart = 0x35;
constexpr std::size_t kCheckFixedSize = 28;
constexpr std::size_t kLookupSize = 80;
constexpr std::size_t kLookupNameSize = 26;
constexpr std::size_t kDependentEntrySize = 0x1E0;
constexpr std::size_t kMasterEntrySize = 0x12A;
constexpr std::size_t kMasterHeadSize = 0xBA;
constexpr uint32_t kPresent = 1;

class Out {
public:
    std::vector<uint8_t> b;
    std::size_t pos() const { return b.size(); }
    uint8_t* grow(std::size_t n) {
        b.resize(b.size() + n, 0);
        return b.data() + b.size() - n;
    }
    void text(uint8_t* at, std::size_t width, const std::string& s) {
        std::memcpy(at, s.data(), std::min(s.size(), width - 1));
    }
};

void PutSortable(uint8_t* out, std::size_t width, int64_t v) {
    uint64_t u = static_cast<uint64_t>(v);
    for (std::size_t i = 0; i < width; ++i) out[width - 1 - i] = static_cast<uint8_t>(u >> (8 * i));
    out[0] ^= 0x80;
}

template <typename T>
T Native(const uint8_t* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

const ValField& FieldOf(const ValContents& v, uint16_t number, int code) {
    if (number < 1 || number > v.fields.size()) throw EngineError(code, "field number " + std::to_string(number));
    return v.fields[number - 1u];
}

void WriteCheck(Out& o, const ValContents& v, const ValidityCheckDescriptor& d) {
    const ValField& f = FieldOf(v, d.fieldNumber, err::kInvalidParam);
    const std::size_t width = IndexFieldWidth(f.type, f.sizeByte);
    if (width == 0) throw EngineError(err::kInvalidParam, "check on a field of unknown type");
    for (uint16_t kind : {d.minimumKind, d.maximumKind, d.defaultKind})
        if (kind > uint16_t(CheckValueKind::Now)) throw EngineError(err::kInvalidParam, "check value kind");
    const std::string picture = fixedText(d.picture);
    const std::string lookup = fixedText(d.lookupTable);
    const bool hasLookup = d.lookupKind != uint32_t(LookupKind::None) && !lookup.empty();
    if (hasLookup && lookup.size() >= kLookupNameSize) throw EngineError(err::kInvalidParam, "lookup table name too long");

    uint8_t* e = o.grow(kCheckFixedSize);
    e[0] = static_cast<uint8_t>(d.fieldNumber - 1);
    e[1] = picture.empty() ? 0 : static_cast<uint8_t>(picture.size() + 1);
    e[2] = d.required ? 1 : 0;
    if (hasLookup) {
        const uint32_t k = d.lookupKind - 1;  // Private 0, AllCorresponding 1, Help 2, both 3
        e[3] = static_cast<uint8_t>(k & 3);
        PutLE32(e + 4, kPresent);
    }
    // "Today" and "now" carry no value of their own: the word says which, the value is blank,
    // which a reader that does not know the marker takes as no value at all.
    auto word = [](uint16_t kind) -> uint32_t {
        if (kind == uint16_t(CheckValueKind::Today)) return 2;
        if (kind == uint16_t(CheckValueKind::Now)) return 3;
        return kind ? kPresent : 0;
    };
    PutLE32(e + 12, word(d.minimumKind));
    PutLE32(e + 16, word(d.maximumKind));
    PutLE32(e + 20, word(d.defaultKind));
    if (!picture.empty()) PutLE32(e + 24, kPresent);
    if (hasLookup) o.text(o.grow(kLookupSize), kLookupNameSize, lookup);
    auto value = [&](uint16_t kind, const uint8_t* native) {
        if (kind == 0) return;
        uint8_t* p = o.grow(width);
        if (kind == uint16_t(CheckValueKind::Value)) EncodeCheckValue(f.type, f.sizeByte, native, p, width);
    };
    value(d.minimumKind, d.minimum);
    value(d.maximumKind, d.maximum);
    value(d.defaultKind, d.defaultValue);
    if (!picture.empty()) std::memcpy(o.grow(picture.size() + 1), picture.data(), picture.size());
}

void CheckLinkFields(const RILinkDescriptor& d, std::size_t fieldLimit) {
    if (d.fieldCount < 1 || d.fieldCount > kMaxKeyFields) throw EngineError(err::kInvalidParam, "link field count");
    for (int i = 0; i < d.fieldCount; ++i) {
        if (d.thisFields[i] < 1 || d.thisFields[i] > fieldLimit) throw EngineError(err::kInvalidParam, "link field number");
        if (d.otherFields[i] < 1) throw EngineError(err::kInvalidParam, "link field number");
    }
}

void WriteDependent(Out& o, const ValContents& v, const RILinkDescriptor& d) {
    CheckLinkFields(d, v.fields.size());
    uint8_t* e = o.grow(kDependentEntrySize);
    const std::string name = fixedText(d.name);
    o.text(e, 64, name);
    if (d.fieldCount == 1) {
        o.text(e + 0x40, 64, v.fields[d.thisFields[0] - 1u].name);
        e[0xB2] = static_cast<uint8_t>(d.thisFields[0]);
    } else {
        o.text(e + 0x40, 64, name);
    }
    o.text(e + 0xD4, 114, fixedText(d.otherTable));
    PutLE32(e + 0x19A, d.updateRule == uint32_t(LinkRule::Cascade) ? 1 : 0);
    PutLE16(e + 0x19E, d.fieldCount);
    for (int i = 0; i < d.fieldCount; ++i) {
        PutLE16(e + 0x1A0 + 2 * i, d.thisFields[i]);
        PutLE16(e + 0x1C0 + 2 * i, d.otherFields[i]);
    }
}

void WriteMasterBlock(Out& o, const ValContents& v, const std::vector<const RILinkDescriptor*>& links) {
    std::vector<uint16_t> keys = v.masterKeyFields;
    if (keys.empty())
        for (uint16_t k = 1; k <= v.keyFields; ++k) keys.push_back(k);
    if (keys.empty() || keys.size() > kMaxKeyFields) throw EngineError(err::kInvalidParam, "master key fields");
    uint8_t* h = o.grow(kMasterHeadSize);
    PutLE16(h, 1);
    PutLE16(h + 0x96, static_cast<uint16_t>(keys.size()));
    for (std::size_t i = 0; i < keys.size(); ++i) PutLE16(h + 0x98 + 2 * i, keys[i]);
    PutLE16(h + 0xB8, static_cast<uint16_t>(links.size()));
    for (const RILinkDescriptor* d : links) {
        if (d->fieldCount < 1 || d->fieldCount > keys.size()) throw EngineError(err::kInvalidParam, "dependent field count");
        uint8_t* e = o.grow(kMasterEntrySize);
        const std::string name = fixedText(d->name);
        o.text(e, 64, name);
        o.text(e + 0x40, 82, fixedText(d->otherTable));
        o.text(e + 0x92, 114, name);
        if (d->fieldCount == 1) {
            PutLE16(e + 0x104, d->otherFields[0]);
            PutLE16(e + 0x106, d->updateRule == uint32_t(LinkRule::Cascade) ? 1 : 0);
        }
        for (int i = 0; i < d->fieldCount; ++i) PutLE16(e + 0x10A + 2 * i, d->otherFields[i]);
    }
}

void WriteFooter(Out& o, const ValContents& v, uint8_t version, const std::string& pathArea) {
    const std::size_t n = v.fields.size();
    const std::size_t pathSize = ValFooterPathSize(version);
    std::size_t rest = pathSize;
    for (const auto& f : v.fields) rest += f.name.size() + 1;
    uint8_t* h = o.grow(6 + 4 * n);
    PutLE16(h, static_cast<uint16_t>(n));
    PutLE16(h + 2, v.keyFields);
    PutLE16(h + 4, static_cast<uint16_t>(rest));
    for (std::size_t i = 0; i < n; ++i) {
        PutLE16(h + 6 + 2 * i, v.fields[i].id);
        h[6 + 2 * n + 2 * i] = v.fields[i].type;
        h[6 + 2 * n + 2 * i + 1] = v.fields[i].sizeByte;
    }
    o.text(o.grow(pathSize), pathSize, pathArea);
    for (const auto& f : v.fields) std::memcpy(o.grow(f.name.size() + 1), f.name.data(), f.name.size());
}

}  // namespace

void EncodeCheckValue(uint8_t type, uint8_t sizeByte, const uint8_t* native, uint8_t* out, std::size_t width) {
    std::memset(out, 0, width);
    switch (type) {
    case 0x01: {
        std::size_t n = 0;
        while (n < kCheckValueSize && native[n] != 0) ++n;
        if (n > width) throw EngineError(err::kInvalidParam, "check text longer than the field");
        std::memcpy(out, native, n);
        return;
    }
    case 0x03:
        if (width >= 2) PutSortable(out, 2, Native<int16_t>(native));
        return;
    case 0x02: case 0x04: case 0x14: case 0x16:
        if (width >= 4) PutSortable(out, 4, Native<int32_t>(native));
        return;
    case 0x05: case 0x06: case 0x15:
        if (width >= 8) PutSortableDouble(out, Native<double>(native));
        return;
    case 0x09:
        if (width >= 1) out[0] = Native<int16_t>(native) ? 0x81 : 0x80;
        return;
    case 0x17: {
        if (width < 17) return;
        const bool negative = (native[1] & 0x80) != 0;
        out[0] = static_cast<uint8_t>((negative ? 0 : 0x80) | 0x40 | (sizeByte & 0x3F));
        for (int i = 0; i < 16; ++i) out[1 + i] = negative ? static_cast<uint8_t>(~native[2 + i]) : native[2 + i];
        return;
    }
    default:
        std::memcpy(out, native, std::min(width, kCheckValueSize));
        return;
    }
}

bool ValIsEmpty(const ValContents& v) { return v.checks.empty() && v.links.empty(); }

std::vector<uint8_t> EncodeValFile(const ValContents& v, const ValStamps& stamps) {
    if (v.fields.empty() || v.fields.size() > 255) throw EngineError(err::kInvalidParam, ".VAL field list");
    if (v.checks.size() > 255) throw EngineError(err::kInvalidParam, "too many validity checks");
    const uint8_t version = v.version ? v.version : ValVersionForTable(stamps.dbVersion);
    Out o;
    uint8_t* h = o.grow(kChecksStart);
    h[0] = stamps.changeStamp;
    h[1] = version;
    h[2] = static_cast<uint8_t>(v.checks.size());
    PutLE32(h + 3, stamps.updateStamp);
    PutLE16(h + 7, stamps.hiFieldId);
    std::vector<const ValidityCheckDescriptor*> checks;
    for (const auto& c : v.checks) checks.push_back(&c);
    std::stable_sort(checks.begin(), checks.end(), [](auto* a, auto* b) { return a->fieldNumber < b->fieldNumber; });
    for (const auto* c : checks) WriteCheck(o, v, *c);

    std::vector<const RILinkDescriptor*> dependents, masters;
    for (const auto& l : v.links) (l.kind == uint32_t(LinkKind::Dependent) ? dependents : masters).push_back(&l);
    uint32_t riOffset = 0;
    if (!dependents.empty() || !masters.empty()) {
        riOffset = static_cast<uint32_t>(o.pos());
        PutLE16(o.grow(2), static_cast<uint16_t>(dependents.size()));
        for (const auto* d : dependents) WriteDependent(o, v, *d);
        if (!masters.empty()) WriteMasterBlock(o, v, masters);
        else o.grow(2);  // a zero word: no master block follows
    }
    const uint32_t footer = static_cast<uint32_t>(o.pos());
    WriteFooter(o, v, version, "");
    PutLE32(o.b.data() + 0x09, footer);
    PutLE32(o.b.data() + 0x0D, riOffset);
    return o.b;
}

ValStamps ReadValStamps(const std::string& dir, const std::string& table) {
    auto db = FindTableFile(dir, TableBaseName(table), "DB");
    if (!db) throw EngineError(err::kNoSuchTable, table);
    File f = File::openRead(*db);
    const DbHeader h = ReadDbHeader(f, false);
    ValStamps s;
    s.changeStamp = h.changeCount2;
    s.dbVersion = h.version;
    if (h.hasExtension()) {
        s.updateStamp = GetLE32(h.raw.data() + hdr::kUpdateStamp);
        s.hiFieldId = h.hiFieldId;
    }
    return s;
}

ValContents EmptyValFor(const std::string& dir, const std::string& table) {
    auto db = FindTableFile(dir, TableBaseName(table), "DB");
    if (!db) throw EngineError(err::kNoSuchTable, table);
    File f = File::openRead(*db);
    const DbHeader h = ReadDbHeader(f, false);
    ValContents v;
    v.version = ValVersionForTable(h.version);
    v.keyFields = h.schema.keyFields;
    for (const Field& fl : h.schema.fields) v.fields.push_back({fl.id, static_cast<uint8_t>(fl.type), fl.sizeByte, fl.name});
    return v;
}

void WriteValFile(const std::string& dir, const std::string& table, const ValContents& v) {
    const std::string base = TableBaseName(table);
    auto existing = FindTableFile(dir, base, "VAL");
    if (ValIsEmpty(v)) {
        if (existing && disk::Unlink(*existing) != 0) throw EngineError(err::kFileDeleteFail, *existing);
        if (existing) SyncDirectoryOf(*existing);
        return;
    }
    const std::vector<uint8_t> bytes = EncodeValFile(v, ReadValStamps(dir, table));
    AtomicFile out(existing.value_or(JoinPath(dir, NewMemberName(dir, base, "VAL"))));
    out.file().writeAt(0, bytes.data(), bytes.size());
    out.commit();
    SyncDirectoryOf(out.target());
}

}  // namespace paradox
