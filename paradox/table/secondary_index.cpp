// Builds index descriptors from the table schema and the headers of its secondary index files.
#include "paradox/table/secondary_index.h"

#include <algorithm>
#include <cstdlib>

#include "paradox/format/secondary_index_header.h"
#include "paradox/storage/engine_error.h"
#include "paradox/storage/table_list.h"

namespace paradox {
namespace {

constexpr std::uint8_t kFlagCaseInsensitive = 0x01;
constexpr std::uint8_t kFlagDescending = 0x10;
constexpr std::uint8_t kFlagUnique = 0x20;
constexpr std::uint16_t kFieldDescendingBit = 0x8000;

// The key facts of a table the descriptors need: per field its type, size byte and name.
struct TableFacts {
    std::vector<IndexFileField> fields;
    int keyFields = 0;
};

TableFacts FactsFromSchema(const Schema& s) {
    TableFacts t;
    t.keyFields = s.keyFields;
    for (const Field& f : s.fields) t.fields.push_back({std::uint8_t(f.type), f.sizeByte, f.name});
    return t;
}

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

IndexDescriptor PrimaryDescriptor(const TableFacts& t) {
    if (t.keyFields > kMaxKeyFields || t.keyFields > int(t.fields.size()))
        throw EngineError(err::kHeaderCorrupt, "key field count");
    IndexDescriptor d{};
    d.primary = d.unique = d.maintained = 1;
    d.keyFieldCount = std::uint16_t(t.keyFields);
    for (int i = 0; i < t.keyFields; ++i) {
        d.keyFields[i] = std::uint16_t(i + 1);
        d.keyLength = std::uint16_t(d.keyLength + IndexFieldWidth(t.fields[i].type, t.fields[i].sizeByte));
    }
    return d;
}

IndexDescriptor SecondaryDescriptor(const TableFacts& t, const std::string& fileName, const IndexFileHeader& h) {
    const bool composite = IsComposite(fileName);
    const bool typeOk = composite ? (h.fileType == 6 || h.fileType == 8) : (h.fileType == 3 || h.fileType == 5);
    if (!typeOk) throw EngineError(err::kIndexCorrupt, fileName + ": not a secondary index file");

    // The X record holds the index fields, then the primary key and a block number (keyed
    // tables) or a tuple number, block number and offset (unkeyed tables).
    const int trailing = t.keyFields > 0 ? t.keyFields + 1 : 3;
    const int indexFields = int(h.fields.size()) - trailing;
    if (indexFields < 1 || indexFields > kMaxKeyFields || (!composite && indexFields != 1))
        throw EngineError(err::kIndexCorrupt, fileName + ": index field count");

    IndexDescriptor d{};
    d.indexId = std::uint16_t(ExtensionRank(fileName));
    d.maintained = (h.fileType == 5 || h.fileType == 8) ? 1 : 0;
    d.keyFieldCount = std::uint16_t(indexFields);
    bool anyDescending = false;
    for (int i = 0; i < indexFields; ++i) {
        std::uint16_t number = h.fieldNumbers.empty() ? h.firstIndexField : h.fieldNumbers[std::size_t(i)];
        const bool desc = (number & kFieldDescendingBit) != 0;
        number = std::uint16_t(number & ~kFieldDescendingBit);
        if (number < 1 || number > t.fields.size()) throw EngineError(err::kIndexCorrupt, fileName + ": field number");
        const IndexFileField& tf = t.fields[number - 1u];
        const IndexFileField& xf = h.fields[std::size_t(i)];
        if (tf.type != xf.type || tf.sizeByte != xf.sizeByte)
            throw EngineError(err::kIndexCorrupt, fileName + ": field does not match the table");
        d.keyFields[i] = number;
        d.fieldDescending[i] = desc ? 1 : 0;
        anyDescending = anyDescending || desc;
        d.keyLength = std::uint16_t(d.keyLength + IndexFieldWidth(xf.type, xf.sizeByte));
    }
    if (composite) {
        d.unique = (h.flags & kFlagUnique) ? 1 : 0;
        d.caseInsensitive = (h.flags & kFlagCaseInsensitive) ? 1 : 0;
        d.descending = ((h.flags & kFlagDescending) || anyDescending) ? 1 : 0;
        copyFixedText(d.name, h.indexName);
    } else {
        copyFixedText(d.name, t.fields[d.keyFields[0] - 1u].name);  // Xnn indexes take the field's name
    }
    return d;
}

std::vector<IndexDescriptor> ReadWithFacts(const std::string& dir, const std::string& tableName, const TableFacts& t) {
    std::vector<IndexDescriptor> out;
    if (t.keyFields > 0) out.push_back(PrimaryDescriptor(t));
    for (const std::string& file : SecondaryIndexFiles(dir, tableName))
        out.push_back(SecondaryDescriptor(t, file, ReadIndexFileHeader(PathInDir(dir, file))));
    return out;
}

}  // namespace

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

std::vector<IndexDescriptor> ReadIndexDescriptors(const std::string& dir, const std::string& tableName,
                                                  const Schema& schema) {
    return ReadWithFacts(dir, tableName, FactsFromSchema(schema));
}

std::vector<IndexDescriptor> ReadIndexDescriptors(const std::string& dir, const std::string& tableName) {
    auto dbFile = FindFileNoCase(dir, TableBaseName(tableName) + ".DB");
    if (!dbFile) throw EngineError(err::kNoSuchTable, tableName);
    IndexFileHeader h = ReadIndexFileHeader(PathInDir(dir, *dbFile));
    if (h.fileType != 0 && h.fileType != 2) throw EngineError(err::kHeaderCorrupt, *dbFile + ": not a table");
    TableFacts t;
    t.fields = std::move(h.fields);
    t.keyFields = h.fileType == 0 ? h.keyFields : 0;
    return ReadWithFacts(dir, tableName, t);
}

}  // namespace paradox
