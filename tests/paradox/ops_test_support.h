// Helpers for the operation tests: small tables made from a field list, records compared as
// display text, and a pxlib read of a whole table (record count and every record fetched).
#pragma once
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

extern "C" {
#include <paradox.h>
}

#include "paradox/format/descriptors.h"
#include "paradox/format/index_descriptor.h"
#include "paradox/format/link_descriptor.h"
#include "paradox/table/table.h"
#include "paradox/table/table_writer.h"
#include "test_support.h"

namespace paradox_test {

struct FieldSpec {
    const char* name;
    int16_t type;
    int16_t units1 = 0;
};

// Creates dir/name with the given fields, `keys` leading key fields, optional master password.
inline void MakeTable(const std::string& dir, const std::string& name, const std::vector<FieldSpec>& spec, uint16_t keys,
                      const std::string& password = {}) {
    std::vector<paradox::FieldDescriptor> f(spec.size());
    for (std::size_t i = 0; i < spec.size(); ++i) {
        std::strncpy(f[i].name, spec[i].name, sizeof f[i].name - 1);
        f[i].type = spec[i].type;
        f[i].units1 = spec[i].units1;
    }
    paradox::TableDescriptor td{};
    std::strncpy(td.tableName, name.c_str(), sizeof td.tableName - 1);
    td.fieldCount = static_cast<uint16_t>(f.size());
    td.fields = f.data();
    if (!password.empty()) {
        std::strncpy(td.password, password.c_str(), sizeof td.password - 1);
        td.protectedFlag = 1;
    }
    paradox::createTable(dir, td, paradox::CreateOptions{keys, false});
}

inline paradox::OpenOptions Pw(const std::string& p) {
    paradox::OpenOptions o;
    if (!p.empty()) o.passwords.push_back(p);
    return o;
}

inline void Insert(const std::string& dir, const std::string& name, const std::vector<std::vector<paradox::Value>>& rows,
                   const std::string& password = {}) {
    auto w = paradox::TableWriter::open(dir, name, Pw(password));
    for (const auto& r : rows) w.insert(r);
    w.commit();
}

// Every record as one line of display texts, in table order.
inline std::vector<std::string> Lines(const std::string& dir, const std::string& name, const std::string& password = {}) {
    std::vector<std::string> out;
    for (const auto& row : paradox::Table::open(dir, name, Pw(password)).readAll()) {
        std::string line;
        for (const auto& v : row) line += paradox::ToDisplayString(v) + "|";
        out.push_back(line);
    }
    return out;
}

inline std::vector<std::string> Sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
}

// Writes a stray byte after the NUL that ends Alpha value `text` in a table's unencrypted .DB,
// as other writers leave them: the value stays the same for every reader.
inline void LeaveByteAfterText(const fs::path& db, const std::string& text) {
    std::vector<unsigned char> bytes = ReadBytes(db);
    const std::string needle = text + '\0';
    const auto at = std::search(bytes.begin(), bytes.end(), needle.begin(), needle.end());
    ASSERT_NE(at, bytes.end()) << text;
    *(at + static_cast<std::ptrdiff_t>(needle.size())) = 'Z';
    WriteBytes(db, bytes);
}

// A dependent-side link `name` from field `field` to the primary key of `master`.
inline paradox::RILinkDescriptor DependentLink(const char* name, const char* master, uint16_t field) {
    paradox::RILinkDescriptor l{};
    paradox::copyFixedText(l.name, name);
    l.kind = uint32_t(paradox::LinkKind::Dependent);
    paradox::copyFixedText(l.otherTable, master);
    l.fieldCount = 1;
    l.thisFields[0] = field;
    l.otherFields[0] = 1;
    return l;
}

inline paradox::IndexDescriptor Index(const char* name, std::vector<uint16_t> fields, bool caseInsensitive = false,
                                      bool unique = false, std::vector<uint16_t> descending = {}) {
    paradox::IndexDescriptor d{};
    paradox::copyFixedText(d.name, name);
    d.keyFieldCount = static_cast<uint16_t>(fields.size());
    for (std::size_t i = 0; i < fields.size(); ++i) d.keyFields[i] = fields[i];
    for (uint16_t i : descending) {
        d.fieldDescending[i] = 1;
        d.descending = 1;
    }
    d.caseInsensitive = caseInsensitive;
    d.unique = unique;
    d.maintained = 1;
    return d;
}

inline void PxQuiet(pxdoc_t*, int, const char*, void*) {}

// Records pxlib reads from a table file (-1 when it refuses the file).
inline long PxlibRecordCount(const std::string& path) {
    pxdoc_t* doc = PX_new3(PxQuiet, nullptr, nullptr, nullptr, nullptr);
    long n = -1;
    if (PX_open_file(doc, path.c_str()) == 0) {
        n = PX_get_num_records(doc);
        std::vector<char> rec(static_cast<std::size_t>(PX_get_recordsize(doc)) + 16);
        for (long i = 0; i < n; ++i)
            if (!PX_get_record(doc, static_cast<int>(i), rec.data())) n = -2;
        PX_close(doc);
    }
    PX_delete(doc);
    return n;
}

}  // namespace paradox_test
