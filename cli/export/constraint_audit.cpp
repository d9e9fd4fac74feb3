// Counting the records that break a table's constraints, with the comparison SQL makes: numbers
// and dates by value, texts by their UTF-8 bytes (SQLite's BINARY collation, PostgreSQL's "C").
#include "cli/export/constraint_audit.h"

#include <algorithm>
#include <cstdlib>

#include "cli/value_text.h"
#include "shared/text/code_pages.h"

namespace vortab::cli::sqlexport {
namespace {

using paradox::api::Value;
using paradox::api::ValueKind;

// <0, 0, >0 as a is below, at or above b; both of one field's kind and not null.
int Compare(const Value& a, const Value& b, const TextDecoder& decoder) {
    switch (a.kind()) {
    case ValueKind::Float:
    case ValueKind::Timestamp: return a.asDouble() < b.asDouble() ? -1 : a.asDouble() > b.asDouble() ? 1 : 0;
    case ValueKind::Text: return decoder.toUtf8(a.asString()).compare(decoder.toUtf8(b.asString()));
    case ValueKind::Bcd: {
        const long double x = std::strtold(a.asString().c_str(), nullptr);
        const long double y = std::strtold(b.asString().c_str(), nullptr);
        return x < y ? -1 : x > y ? 1 : 0;
    }
    default: return a.asInt() < b.asInt() ? -1 : a.asInt() > b.asInt() ? 1 : 0;
    }
}

bool Breaks(const SqlRule& rule, const Value& v, const TextDecoder& decoder) {
    if (rule.kind == RuleKind::Required) return v.isNull();
    if (v.isNull() || v.kind() != rule.bound.kind()) return false;
    const int order = Compare(v, rule.bound, decoder);
    return rule.kind == RuleKind::Minimum ? order < 0 : order > 0;
}

// The values of columns as one key; false when one of them is blank (SQL's foreign keys let a
// record with a blank field through).
bool EncodeKey(const paradox::api::RecordReader& reader, const std::vector<int>& columns, const TextDecoder& decoder,
               std::string& key) {
    key.clear();
    for (const int column : columns) {
        const Value v = reader.value(column);
        if (v.isNull()) return false;
        if (!AppendPlainText(key, v, decoder)) return false;
        key += '\x1f';
    }
    return true;
}

}  // namespace

KeySet ReadKeys(const paradox::api::Table& table, const std::vector<int>& columns, std::uint16_t codePage) {
    const TextDecoder decoder(codePage);
    KeySet keys;
    paradox::api::RecordReader reader = table.records();
    std::string key;
    while (reader.next())
        if (EncodeKey(reader, columns, decoder, key)) keys.insert(key);
    return keys;
}

long CountBlankKeys(const paradox::api::Table& source, const SqlTable& table) {
    long blank = 0;
    paradox::api::RecordReader reader = source.records();
    while (reader.next())
        blank += std::any_of(table.primaryKey.begin(), table.primaryKey.end(),
                             [&](int column) { return reader.value(column).isNull(); });
    return blank;
}

bool NeedsAudit(const SqlTable& table, bool checkKey) {
    if (!table.rules.empty() || (checkKey && !table.primaryKey.empty())) return true;
    for (const SqlLink& link : table.links)
        if (link.unavailable.empty()) return true;
    return false;
}

void AuditRecords(const paradox::api::Table& source, SqlTable& table, const std::vector<const KeySet*>& masters,
                  bool checkKey) {
    const TextDecoder decoder(table.codePage);
    paradox::api::RecordReader reader = source.records();
    std::string key;
    while (reader.next()) {
        for (SqlRule& rule : table.rules)
            if (Breaks(rule, reader.value(rule.column), decoder)) ++rule.broken;
        for (std::size_t i = 0; i < table.links.size() && i < masters.size(); ++i)
            if (masters[i] && EncodeKey(reader, table.links[i].columns, decoder, key) && !masters[i]->count(key))
                ++table.links[i].broken;
        if (checkKey) {
            for (const int column : table.primaryKey) {
                const Value v = reader.value(column);
                if (v.isNull()) {
                    ++table.primaryKeyBroken;
                    break;
                }
                if (table.autoIncKey() && v.asInt() > table.autoIncSeen) table.autoIncSeen = v.asInt();
            }
        }
    }
}

}  // namespace vortab::cli::sqlexport
