// Conversions between the face's plain types and packed interface records laid out as the
// original engine's (field, index, validity-check, link and security descriptors, the table
// descriptor): any struct with those members converts, whoever defines it, so the callers that
// keep such records convert them here, once, at their edge. Texts are cut to their fixed members;
// arrays inside packed records are copied bytewise (they may lie at odd addresses).
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "paradox/api/table_changes.h"
#include "paradox/api/table_structure.h"

namespace paradox::api::records {

// A fixed zero-terminated member as text, up to its first NUL (or its whole width).
template <std::size_t N>
std::string FixedText(const char (&src)[N]) {
    std::size_t n = 0;
    while (n < N && src[n] != '\0') ++n;
    return std::string(src, n);
}

// Text into a fixed member, cut to fit, the rest zero-filled.
template <std::size_t N>
void SetFixedText(char (&dst)[N], std::string_view text) {
    std::memset(dst, 0, N);
    std::memcpy(dst, text.data(), std::min(text.size(), N - 1));
}

// The first `count` elements of an array member of a packed record, which holds `bytes` bytes
// (passed by address: no reference may bind to a packed member).
template <typename T>
std::vector<T> Unpack(const void* packed, std::size_t bytes, std::size_t count) {
    std::vector<T> values(std::min(count, bytes / sizeof(T)));
    if (!values.empty()) std::memcpy(values.data(), packed, values.size() * sizeof(T));
    return values;
}

// values into an array member of a packed record of `bytes` bytes (the rest zero).
template <typename T, typename V>
void Pack(void* packed, std::size_t bytes, const std::vector<V>& values) {
    std::vector<T> plain(bytes / sizeof(T));
    for (std::size_t i = 0; i < plain.size() && i < values.size(); ++i) plain[i] = static_cast<T>(values[i]);
    std::memcpy(packed, plain.data(), bytes);
}

template <class R>
Field FieldOf(const R& r) {
    Field f;
    f.number = r.fieldNumber;
    f.name = FixedText(r.name);
    f.type = static_cast<FieldType>(r.type);
    f.subType = static_cast<FieldSubtype>(r.subType);
    f.units1 = r.units1;
    f.units2 = r.units2;
    f.offset = r.offset;
    f.length = r.length;
    f.nullOffset = r.nullOffset;
    f.validityCheck = r.validityCheck;
    f.rights = r.rights;
    f.calcField = r.calcField;
    return f;
}

template <class R>
R FieldRecord(const Field& f) {
    R r{};
    r.fieldNumber = f.number;
    SetFixedText(r.name, f.name);
    r.type = static_cast<std::int16_t>(f.type);
    r.subType = static_cast<std::int16_t>(f.subType);
    r.units1 = f.units1;
    r.units2 = f.units2;
    r.offset = f.offset;
    r.length = f.length;
    r.nullOffset = f.nullOffset;
    r.validityCheck = f.validityCheck;
    r.rights = f.rights;
    r.calcField = f.calcField;
    return r;
}

template <class R>
Index IndexOf(const R& r) {
    Index x;
    x.name = FixedText(r.name);
    x.indexId = r.indexId;
    x.tagName = FixedText(r.tagName);
    x.format = FixedText(r.format);
    x.primary = r.primary != 0;
    x.unique = r.unique != 0;
    x.descending = r.descending != 0;
    x.maintained = r.maintained != 0;
    x.subset = r.subset != 0;
    x.expression = r.expression != 0;
    x.cost = r.cost;
    x.keyFields = Unpack<std::uint16_t>(&r.keyFields, sizeof r.keyFields, r.keyFieldCount);
    for (const std::uint16_t flag : Unpack<std::uint16_t>(&r.fieldDescending, sizeof r.fieldDescending, r.keyFieldCount)) x.keyDescending.push_back(flag != 0);
    x.keyLength = r.keyLength;
    x.outOfDate = r.outOfDate;
    x.keyExpressionType = r.keyExpressionType;
    x.keyExpression = FixedText(r.keyExpression);
    x.keyCondition = FixedText(r.keyCondition);
    x.caseInsensitive = r.caseInsensitive != 0;
    x.blockSize = r.blockSize;
    x.restructureNumber = r.restructureNumber;
    return x;
}

// More key fields than the record holds keep their count, so that the engine refuses the index.
template <class R>
R IndexRecord(const Index& x) {
    R r{};
    SetFixedText(r.name, x.name);
    r.indexId = x.indexId;
    SetFixedText(r.tagName, x.tagName);
    SetFixedText(r.format, x.format);
    r.primary = x.primary;
    r.unique = x.unique;
    r.descending = x.descending;
    r.maintained = x.maintained;
    r.subset = x.subset;
    r.expression = x.expression;
    r.cost = x.cost;
    r.keyFieldCount = static_cast<std::uint16_t>(x.keyFields.size());
    Pack<std::uint16_t>(&r.keyFields, sizeof r.keyFields, x.keyFields);
    Pack<std::uint16_t>(&r.fieldDescending, sizeof r.fieldDescending, x.keyDescending);
    r.keyLength = x.keyLength;
    r.outOfDate = x.outOfDate;
    r.keyExpressionType = x.keyExpressionType;
    SetFixedText(r.keyExpression, x.keyExpression);
    SetFixedText(r.keyCondition, x.keyCondition);
    r.caseInsensitive = x.caseInsensitive;
    r.blockSize = x.blockSize;
    r.restructureNumber = x.restructureNumber;
    return r;
}

template <class R>
Check CheckOf(const R& r) {
    static_assert(sizeof r.minimum == kCheckValueSize);
    Check c;
    c.fieldNumber = r.fieldNumber;
    c.required = r.required != 0;
    c.minimumKind = static_cast<CheckValueKind>(r.minimumKind);
    c.maximumKind = static_cast<CheckValueKind>(r.maximumKind);
    c.defaultKind = static_cast<CheckValueKind>(r.defaultKind);
    std::memcpy(c.minimum.data(), r.minimum, kCheckValueSize);
    std::memcpy(c.maximum.data(), r.maximum, kCheckValueSize);
    std::memcpy(c.defaultValue.data(), r.defaultValue, kCheckValueSize);
    c.picture = FixedText(r.picture);
    c.lookupKind = static_cast<LookupKind>(r.lookupKind);
    c.lookupTable = FixedText(r.lookupTable);
    return c;
}

template <class R>
R CheckRecord(const Check& c) {
    static_assert(sizeof R::minimum == kCheckValueSize);
    R r{};
    r.fieldNumber = c.fieldNumber;
    r.required = c.required;
    r.minimumKind = static_cast<std::uint16_t>(c.minimumKind);
    r.maximumKind = static_cast<std::uint16_t>(c.maximumKind);
    r.defaultKind = static_cast<std::uint16_t>(c.defaultKind);
    std::memcpy(r.minimum, c.minimum.data(), kCheckValueSize);
    std::memcpy(r.maximum, c.maximum.data(), kCheckValueSize);
    std::memcpy(r.defaultValue, c.defaultValue.data(), kCheckValueSize);
    SetFixedText(r.picture, c.picture);
    r.lookupKind = static_cast<std::uint32_t>(c.lookupKind);
    SetFixedText(r.lookupTable, c.lookupTable);
    return r;
}

template <class R>
Link LinkOf(const R& r) {
    Link l;
    l.number = r.linkNumber;
    l.name = FixedText(r.name);
    l.kind = static_cast<LinkKind>(r.kind);
    l.otherTable = FixedText(r.otherTable);
    l.updateRule = static_cast<LinkRule>(r.updateRule);
    l.deleteRule = static_cast<LinkRule>(r.deleteRule);
    l.thisFields = Unpack<std::uint16_t>(&r.thisFields, sizeof r.thisFields, r.fieldCount);
    l.otherFields = Unpack<std::uint16_t>(&r.otherFields, sizeof r.otherFields, r.fieldCount);
    return l;
}

template <class R>
R LinkRecord(const Link& l) {
    R r{};
    r.linkNumber = l.number;
    SetFixedText(r.name, l.name);
    r.kind = static_cast<std::uint32_t>(l.kind);
    SetFixedText(r.otherTable, l.otherTable);
    r.updateRule = static_cast<std::uint32_t>(l.updateRule);
    r.deleteRule = static_cast<std::uint32_t>(l.deleteRule);
    r.fieldCount = static_cast<std::uint16_t>(std::max(l.thisFields.size(), l.otherFields.size()));
    Pack<std::uint16_t>(&r.thisFields, sizeof r.thisFields, l.thisFields);
    Pack<std::uint16_t>(&r.otherFields, sizeof r.otherFields, l.otherFields);
    return r;
}

template <class R>
SecurityEntry SecurityOf(const R& r) {
    SecurityEntry s;
    s.entryNumber = r.entryNumber;
    s.tableRights = r.tableRights;
    s.familyRights = r.familyRights;
    s.password = FixedText(r.password);
    s.fieldRights = Unpack<std::uint32_t>(&r.fieldRights, sizeof r.fieldRights, kMaxFieldRights);
    return s;
}

template <class R>
R SecurityRecord(const SecurityEntry& s) {
    R r{};
    r.entryNumber = s.entryNumber;
    r.tableRights = s.tableRights;
    r.familyRights = s.familyRights;
    SetFixedText(r.password, s.password);
    Pack<std::uint32_t>(&r.fieldRights, sizeof r.fieldRights, s.fieldRights);
    return r;
}

// The entries of one array of a table descriptor, converted, with their operation codes (none
// when the descriptor has no code array).
template <class R, typename Op, typename Convert, typename T>
void ReadEntries(const R* records, const Op* ops, std::uint16_t count, Convert convert, std::vector<T>& entries,
                 std::vector<Operation>& operations) {
    for (std::uint16_t i = 0; records && i < count; ++i) entries.push_back(convert(records[i]));
    for (std::uint16_t i = 0; records && ops && i < count; ++i)
        operations.push_back(static_cast<Operation>(static_cast<std::uint32_t>(ops[i])));
}

// A create or restructure request from a table descriptor; its option values are read from
// the descriptor's value area.
template <class D>
TableRequest RequestOf(const D& d) {
    TableRequest q;
    q.tableName = FixedText(d.tableName);
    q.driverType = FixedText(d.driverType);
    q.errorTableName = FixedText(d.errorTableName);
    q.userName = FixedText(d.userName);
    q.protect = d.protectedFlag != 0;
    q.password = FixedText(d.password);
    q.pack = d.pack;
    ReadEntries(d.fields, d.fieldOps, d.fieldCount, [](const auto& r) { return FieldOf(r); }, q.fields, q.fieldOps);
    ReadEntries(d.indexes, d.indexOps, d.indexCount, [](const auto& r) { return IndexOf(r); }, q.indexes, q.indexOps);
    ReadEntries(d.security, d.securityOps, d.securityCount, [](const auto& r) { return SecurityOf(r); }, q.security,
                q.securityOps);
    ReadEntries(d.checks, d.checkOps, d.checkCount, [](const auto& r) { return CheckOf(r); }, q.checks, q.checkOps);
    ReadEntries(d.links, d.linkOps, d.linkCount, [](const auto& r) { return LinkOf(r); }, q.links, q.linkOps);
    for (std::uint16_t i = 0; d.options && i < d.optionCount; ++i) {
        const auto& o = d.options[i];
        const char* value = d.optionData ? d.optionData + o.offset : "";
        q.options.emplace_back(FixedText(o.name), std::string(value, o.length ? strnlen(value, o.length) : 0));
    }
    return q;
}

// A journal of suspended links with each link converted, between journal types that share the
// members of the face's LinkJournal (changedTable; tables of table, tag and links of link and
// dropped).
template <class ToJournal, class FromJournal, typename ConvertLink>
ToJournal ConvertJournal(const FromJournal& from, ConvertLink convertLink) {
    ToJournal to;
    to.changedTable = from.changedTable;
    for (const auto& fromTable : from.tables) {
        auto& table = to.tables.emplace_back();
        table.table = fromTable.table;
        table.tag = fromTable.tag;
        for (const auto& fromLink : fromTable.links) {
            auto& link = table.links.emplace_back();
            link.link = convertLink(fromLink.link);
            link.dropped = fromLink.dropped;
        }
    }
    return to;
}

}  // namespace paradox::api::records
