// Builds index descriptors from the table schema and the headers of its secondary index files.
#include "paradox/table/secondary_index.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

#include "paradox/format/db_header.h"
#include "paradox/format/secondary_index_header.h"
#include "paradox/storage/engine_error.h"
#include "paradox/storage/file_io.h"
#include "paradox/storage/table_list.h"
#include "shared/text/case_fold.h"

namespace paradox {
namespace {

constexpr std::uint8_t kFlagCaseInsensitive = 0x01;
constexpr std::uint8_t kFlagDescending = 0x10;
constexpr std::uint8_t kFlagUnique = 0x20;
constexpr std::uint16_t kFieldDescendingBit = 0x8000;

// Order key of an index file extension: Xnn by nn, then XGn by n.
int ExtensionRank(const std::string& fileName) {
    std::string ext = fileName.substr(fileName.rfind('.') + 1);
    if (ext[1] == 'G' || ext[1] == 'g') return 0x1000 + std::atoi(ext.c_str() + 2);
    return int(std::strtol(ext.c_str() + 1, nullptr, 16));
}

bool IsComposite(const std::string& fileName) {
    char c = fileName[fileName.rfind('.') + 2];
    return c == 'G' || c == 'g';
}

bool SameType(const Field& f, const IndexFileField& x) { return std::uint8_t(f.type) == x.type && f.sizeByte == x.sizeByte; }

// "A20", "I", "#2": a field's type as Paradox shows it.
std::string TypeText(std::uint8_t type, std::uint8_t sizeByte) {
    if (!IsKnownPxType(type)) return "type " + std::to_string(type);
    const PxType t = PxType(type);
    std::string text(1, PxTypeLetter(t));
    if (t == PxType::Alpha || t == PxType::Bytes || t == PxType::Bcd) text += std::to_string(sizeByte);
    else if (IsBlobType(t)) text += std::to_string(sizeByte >= 10 ? sizeByte - 10 : 0);
    return text;
}

// Whether the last `trailing` fields of the X record have the shape of one of its two layouts:
// the table's key fields and a block number (maintained index on a keyed table), or a tuple
// number, a block number and an offset (every other index; Paradox uses it for a non-maintained
// index even on a keyed table).
bool TrailingFits(const Schema& t, const IndexFileHeader& h, std::size_t trailing, bool keyLayout) {
    if (h.fields.size() <= trailing) return false;
    const std::size_t at = h.fields.size() - trailing;
    if (keyLayout) {
        for (std::size_t k = 0; k < t.keyFields; ++k)
            if (!SameType(t.fields[k], h.fields[at + k])) return false;
        return h.fields.back().type == std::uint8_t(PxType::Short);
    }
    return h.fields[at].type == std::uint8_t(PxType::Long) && h.fields[at + 1].type == std::uint8_t(PxType::Short) &&
           h.fields[at + 2].type == std::uint8_t(PxType::Short);
}

// The number of index fields at the front of the X record; 0 when no layout fits. Indexes this
// engine wrote before it knew the tuple layout of non-maintained indexes on keyed tables have the
// key layout, so both are tried, the one the file type calls for first.
int IndexFieldCount(const Schema& t, const IndexFileHeader& h, bool maintained, bool composite) {
    const bool keyed = t.keyFields > 0;
    std::vector<bool> layouts;  // true: key layout
    if (keyed && maintained) layouts = {true, false};
    else if (keyed) layouts = {false, true};
    else layouts = {false};
    for (const bool keyLayout : layouts) {
        const std::size_t trailing = keyLayout ? t.keyFields + 1u : 3u;
        if (!TrailingFits(t, h, trailing, keyLayout)) continue;
        const int m = int(h.fields.size() - trailing);
        if (m >= 1 && m <= kMaxKeyFields && (composite || m == 1)) return m;
    }
    return 0;
}

// The table field that holds index field i by the name and type the index records; -1 if none.
int FieldByRecordedName(const Schema& t, const IndexFileField& x) {
    for (std::size_t f = 0; f < t.fields.size(); ++f)
        if (SameType(t.fields[f], x) && vortab::SameNameNoCase(t.fields[f].name, x.name)) return int(f);
    return -1;
}

// Whether every number names, as a persistent field ID, a table field of the recorded type.
bool NumbersArePersistentIds(const Schema& t, const IndexFileHeader& h, const std::vector<std::uint16_t>& numbers) {
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        const auto it = std::find_if(t.fields.begin(), t.fields.end(), [&](const Field& f) { return f.id == numbers[i]; });
        if (it == t.fields.end() || !SameType(*it, h.fields[i])) return false;
    }
    return true;
}

void Fault(SecondaryIndexReading& r, int code, const std::string& what) {
    r.faultCode = code;
    r.fault = what;
}

// Fills the key fields of r.descriptor from the header's numbers; when they do not fit the
// table, says which do not and reads the index by the names it records where that works.
void ResolveKeyFields(const Schema& t, const IndexFileHeader& h, int m, SecondaryIndexReading& r) {
    IndexDescriptor& d = r.descriptor;
    std::vector<std::uint16_t> numbers;
    std::string mismatches;
    for (int i = 0; i < m; ++i) {
        const std::uint16_t raw = h.fieldNumbers.empty() ? h.firstIndexField : h.fieldNumbers[std::size_t(i)];
        const std::uint16_t n = std::uint16_t(raw & ~kFieldDescendingBit);
        const IndexFileField& x = h.fields[std::size_t(i)];
        numbers.push_back(n);
        d.keyFields[i] = n;
        d.fieldDescending[i] = (raw & kFieldDescendingBit) ? 1 : 0;
        d.keyLength = std::uint16_t(d.keyLength + IndexFieldWidth(x.type, x.sizeByte));
        if (n >= 1 && n <= t.fields.size() && SameType(t.fields[n - 1u], x)) continue;
        mismatches += std::string(mismatches.empty() ? "" : "; ") + "index field " + std::to_string(i + 1) + " (" + x.name +
                      ", " + TypeText(x.type, x.sizeByte) + ") is numbered " + std::to_string(n) + " in its header, but ";
        if (n < 1 || n > t.fields.size()) {
            mismatches += "the table has " + std::to_string(t.fields.size()) + " fields";
        } else {
            const Field& f = t.fields[n - 1u];
            mismatches += "field " + std::to_string(n) + " of the table is " + f.name + " (" + TypeText(std::uint8_t(f.type), f.sizeByte) + ")";
        }
    }
    if (mismatches.empty()) {
        r.usable = true;
        return;
    }
    std::string byName;
    bool found = true;
    for (int i = 0; i < m && found; ++i) {
        const int f = FieldByRecordedName(t, h.fields[std::size_t(i)]);
        found = f >= 0;
        if (found) d.keyFields[i] = std::uint16_t(f + 1);
        if (found) byName += (i ? ", " : "") + t.fields[std::size_t(f)].name + " (field " + std::to_string(f + 1) + ")";
    }
    std::string what = "does not match the table: " + mismatches;
    if (NumbersArePersistentIds(t, h, numbers)) what += "; its numbers are the persistent IDs of fields of those types";
    r.usable = found;
    what += found ? "; read by the names it records: " + byName : "; the table has no fields of its names and types";
    Fault(r, err::kIndexCorrupt, what);
}

SecondaryIndexReading DescribeIndex(const Schema& t, const std::string& fileName, const IndexFileHeader& h) {
    SecondaryIndexReading r;
    r.file = fileName;
    const bool composite = IsComposite(fileName);
    const bool typeOk = composite ? (h.fileType == 6 || h.fileType == 8) : (h.fileType == 3 || h.fileType == 5);
    if (!typeOk) {
        Fault(r, err::kIndexCorrupt, "not a secondary index file (type " + std::to_string(h.fileType) + ")");
        return r;
    }
    const bool maintained = h.fileType == 5 || h.fileType == 8;
    const int m = IndexFieldCount(t, h, maintained, composite);
    if (m == 0) {
        Fault(r, err::kIndexCorrupt, "its " + std::to_string(h.fields.size()) + " fields have no layout of an index of this table");
        return r;
    }
    IndexDescriptor& d = r.descriptor;
    d.indexId = std::uint16_t(ExtensionRank(fileName));
    d.maintained = maintained ? 1 : 0;
    d.keyFieldCount = std::uint16_t(m);
    ResolveKeyFields(t, h, m, r);
    if (!r.usable) return r;
    bool anyDescending = false;
    for (int i = 0; i < m; ++i) anyDescending = anyDescending || d.fieldDescending[i];
    if (composite) {
        d.unique = (h.flags & kFlagUnique) ? 1 : 0;
        d.caseInsensitive = (h.flags & kFlagCaseInsensitive) ? 1 : 0;
        d.descending = ((h.flags & kFlagDescending) || anyDescending) ? 1 : 0;
        copyFixedText(d.name, h.indexName);
    } else {
        copyFixedText(d.name, t.fields[d.keyFields[0] - 1u].name);  // Xnn indexes take the field's name
    }
    return r;
}

SecondaryIndexReading ReadIndexFile(const std::string& dir, const Schema& t, const std::string& file) {
    try {
        return DescribeIndex(t, file, ReadIndexFileHeader(PathInDir(dir, file)));
    } catch (const EngineError& e) {
        SecondaryIndexReading r;
        r.file = file;
        // The header reader names the file itself; keep only what is wrong.
        const std::string prefix = PathInDir(dir, file) + ": ";
        Fault(r, e.code(), e.detail().rfind(prefix, 0) == 0 ? e.detail().substr(prefix.size()) : e.detail());
        return r;
    }
}

}  // namespace

IndexDescriptor PrimaryIndexDescriptor(const Schema& t) {
    if (t.keyFields > kMaxKeyFields || t.keyFields > t.fields.size()) throw EngineError(err::kHeaderCorrupt, "key field count");
    IndexDescriptor d{};
    d.primary = d.unique = d.maintained = 1;
    d.keyFieldCount = t.keyFields;
    for (int i = 0; i < t.keyFields; ++i) {
        d.keyFields[i] = std::uint16_t(i + 1);
        d.keyLength = std::uint16_t(d.keyLength + IndexFieldWidth(std::uint8_t(t.fields[std::size_t(i)].type), t.fields[std::size_t(i)].sizeByte));
    }
    return d;
}

std::vector<std::string> SecondaryIndexFiles(const std::string& dir, const std::string& tableName) {
    std::vector<std::string> out;
    for (const std::string& n : FamilyFileNames(dir, TableBaseName(tableName))) {
        std::string ext = n.substr(n.rfind('.') + 1);
        if (ext.size() == 3 && (ext[0] == 'X' || ext[0] == 'x')) out.push_back(n);
    }
    std::stable_sort(out.begin(), out.end(),
                     [](const std::string& a, const std::string& b) { return ExtensionRank(a) < ExtensionRank(b); });
    return out;
}

std::vector<SecondaryIndexReading> ReadSecondaryIndexes(const std::string& dir, const std::string& tableName,
                                                        const Schema& schema) {
    std::vector<SecondaryIndexReading> out;
    for (const std::string& file : SecondaryIndexFiles(dir, tableName)) out.push_back(ReadIndexFile(dir, schema, file));
    return out;
}

std::vector<IndexDescriptor> ReadIndexDescriptors(const std::string& dir, const std::string& tableName,
                                                  const Schema& schema) {
    std::vector<IndexDescriptor> out;
    if (schema.keyFields > 0) out.push_back(PrimaryIndexDescriptor(schema));
    for (const SecondaryIndexReading& r : ReadSecondaryIndexes(dir, tableName, schema)) {
        if (r.faultCode != 0) throw EngineError(r.faultCode, PathInDir(dir, r.file) + ": " + r.fault);
        out.push_back(r.descriptor);
    }
    return out;
}

std::vector<IndexDescriptor> ReadIndexDescriptors(const std::string& dir, const std::string& tableName) {
    auto dbFile = FindFileNoCase(dir, TableBaseName(tableName) + ".DB");
    if (!dbFile) throw EngineError(err::kNoSuchTable, tableName);
    const File db = File::openRead(PathInDir(dir, *dbFile));
    return ReadIndexDescriptors(dir, tableName, ReadDbHeader(db, false).schema);
}

}  // namespace paradox
