// Rendering a table's fields, indexes, checks and links as commands.
#include "editor/dbinfo/command_texts.h"

#include <algorithm>
#include <cstring>

#include "editor/dbinfo/keyword_rendering.h"
#include "paradox/api/database.h"

namespace vortab::dbinfo {

namespace {

const IdentifierEntry* Identifiers(const tTbl_Structure& t) { return t.owner->identifiers; }

std::string FieldReference(const tTbl_Structure& t, int number, bool byNumber, bool upper) {
    const std::string name = t.FieldNameByNumber(number);
    if (byNumber) return std::to_string(number);
    return upper ? UpperAscii(name) : name;
}

// The i-th of the field numbers a packed descriptor holds (the array need not be aligned).
int NumberAt(const std::uint16_t* numbers, int i) {
    std::uint16_t n = 0;
    std::memcpy(&n, reinterpret_cast<const unsigned char*>(numbers) + sizeof n * static_cast<std::size_t>(i), sizeof n);
    return n;
}

std::string FieldList(const tTbl_Structure& t, const std::uint16_t* numbers, int count, bool byNumber, bool upper) {
    std::string list;
    for (int i = 0; i < count; ++i) {
        if (i > 0) list += ";";
        list += FieldReference(t, NumberAt(numbers, i), byNumber, upper);
    }
    return list;
}

// The name of the first field among numbers whose name holds the list separator, else empty.
std::string FieldWithSeparator(const tTbl_Structure& t, const std::uint16_t* numbers, int count) {
    for (int i = 0; i < count; ++i) {
        const std::string name = t.FieldNameByNumber(NumberAt(numbers, i));
        if (name.find(';') != std::string::npos) return name;
    }
    return {};
}

int KeyCount(const IndexDescriptor& index) { return std::min<int>(index.keyFieldCount, kMaxKeyFields); }
int LinkFieldCount(const RILinkDescriptor& link) { return std::min<int>(link.fieldCount, kMaxKeyFields); }

}  // namespace

std::string TableArgument(const tTbl_Structure& t) { return QuoteString(UpperAscii(t.name())); }

std::string FldAddText(const tTbl_Structure& t, const FieldDescriptor& field) {
    return RenderCommand("fld_add", Identifiers(t),
                         {TableArgument(t), QuoteString(fixedText(field.name)), FieldTypeKeyword(field.type),
                          FieldSubtypeKeyword(field.subType), std::to_string(field.units1), std::to_string(field.units2)});
}

std::string IndexName(const tTbl_Structure& t, const IndexDescriptor& index) {
    const std::string name = fixedText(index.name);
    return t.owner->DriverKind == DriverKind::Dbase ? paradox::api::FileNamePart(name) : name;
}

std::string IndexLabel(const IndexDescriptor& index) {
    const std::string name = fixedText(index.name);
    return name.empty() ? "Primary index" : "index \"" + name + "\"";
}

std::string IndexAddDescription(const tTbl_Structure& t, const IndexDescriptor& index) {
    const std::string name = IndexName(t, index);
    return name.empty() ? "Add primary index" : "Add index \"" + name + "\"";
}

unsigned IndexOptions(const IndexDescriptor& index) {
    unsigned options = 0;
    if (index.primary) options |= 1;
    if (index.unique) options |= 2;
    if (index.descending) options |= 4;
    if (index.caseInsensitive) options |= 8;
    if (!index.maintained) options |= 16;
    return options;
}

namespace {

std::string DescendingList(const tTbl_Structure& t, const IndexDescriptor& index, bool byNumber) {
    std::string descending;
    for (int i = 0; i < KeyCount(index); ++i) {
        if (!index.fieldDescending[i]) continue;
        if (!descending.empty()) descending += ";";
        descending += FieldReference(t, index.keyFields[i], byNumber, true);
    }
    return descending;
}

}  // namespace

std::string IxAddText(const tTbl_Structure& t, const IndexDescriptor& index, bool byNumber) {
    return RenderCommand("ix_add", Identifiers(t),
                         {TableArgument(t), QuoteString(IndexName(t, index)),
                          QuoteString(FieldList(t, index.keyFields, KeyCount(index), byNumber, true)),
                          QuoteString(DescendingList(t, index, byNumber)), IndexOptionsText(IndexOptions(index))});
}

std::string IndexDefinition(const tTbl_Structure& t, const IndexDescriptor& index, bool byNumber) {
    return IndexOptionsText(IndexOptions(index)) + "|" + FieldList(t, index.keyFields, KeyCount(index), byNumber, true) +
           "|" + DescendingList(t, index, byNumber);
}

std::string IndexNotExpressible(const tTbl_Structure& t, const IndexDescriptor& index) {
    const std::string field = FieldWithSeparator(t, index.keyFields, KeyCount(index));
    if (field.empty()) return {};
    return IndexLabel(index) + " is not written: its field \"" + field + "\" has a \";\" in its name";
}

std::string VchkAddDescription(const tTbl_Structure& t, const ValidityCheckDescriptor& check) {
    return "Add validity check on field \"" + UpperAscii(t.FieldNameByNumber(check.fieldNumber)) + "\"";
}

std::string VchkAddText(const tTbl_Structure& t, const ValidityCheckDescriptor& check, bool byNumber,
                        const std::string& tableArgument) {
    const std::string name = FieldReference(t, check.fieldNumber, byNumber, true);
    const FieldDescriptor& field = t.fields[static_cast<std::size_t>(check.fieldNumber - 1)];
    FixedSeparators separators;
    return RenderCommand("vchk_add", Identifiers(t),
                         {tableArgument.empty() ? TableArgument(t) : tableArgument, QuoteString(name), VchkKindKeyword(check.minimumKind),
                          VchkKindKeyword(check.maximumKind), VchkKindKeyword(check.defaultKind),
                          VchkValueText(check.minimumKind, check.minimum, field),
                          VchkValueText(check.maximumKind, check.maximum, field),
                          VchkValueText(check.defaultKind, check.defaultValue, field),
                          QuoteString(fixedText(check.picture)), BoolKeyword(check.required)});
}

std::string VchkLostParts(const tTbl_Structure& t, const ValidityCheckDescriptor& check) {
    const std::string lookup = fixedText(check.lookupTable);
    if (check.lookupKind == 0 || lookup.empty()) return {};
    return "The table lookup of field \"" + t.FieldNameByNumber(check.fieldNumber) + "\" in table " +
           paradox::api::FileNamePart(lookup) + " is not reproduced by the script";
}

std::string LinkMasterName(const RILinkDescriptor& link) {
    return paradox::api::TableBaseName(fixedText(link.otherTable));
}

namespace {

const tTbl_Structure* LinkMaster(const tTbl_Structure& t, const RILinkDescriptor& link) {
    return t.owner->FindTable(paradox::api::FileNamePart(fixedText(link.otherTable)));
}

std::string MasterFieldList(const tTbl_Structure& t, const RILinkDescriptor& link, bool byNumber) {
    const tTbl_Structure* master = LinkMaster(t, link);
    if (master) return FieldList(*master, link.otherFields, LinkFieldCount(link), byNumber, false);
    std::string list;
    for (int i = 0; i < LinkFieldCount(link); ++i) list += (i ? ";" : "") + std::to_string(link.otherFields[i]);
    return list;
}

}  // namespace

std::string RiDescription(const tTbl_Structure& t, const RILinkDescriptor& link) {
    return "ref.int. \"" + fixedText(link.name) + "\": \"" + LinkMasterName(link) + "\" (field[s] \"" +
           MasterFieldList(t, link, false) + "\")->\"" + t.name() + "\" (field[s] \"" +
           FieldList(t, link.thisFields, LinkFieldCount(link), false, true) + "\")";
}

std::string RiAddText(const tTbl_Structure& t, const RILinkDescriptor& link, bool byNumber,
                      const std::string& tableArgument) {
    return RenderCommand("ri_add", Identifiers(t),
                         {tableArgument.empty() ? TableArgument(t) : tableArgument,
                          QuoteString(FieldList(t, link.thisFields, LinkFieldCount(link), byNumber, true)),
                          QuoteString(LinkMasterName(link)), QuoteString(MasterFieldList(t, link, byNumber)),
                          QuoteString(fixedText(link.name)), RIQualifierKeyword(link.updateRule)});
}

std::string LinkNotExpressible(const tTbl_Structure& t, const RILinkDescriptor& link) {
    const std::string file = paradox::api::FileNamePart(fixedText(link.otherTable));
    const std::string prefix = "ref.int. \"" + fixedText(link.name) + "\" is not written: ";
    const tTbl_Structure* master = LinkMaster(t, link);
    if (!master) return prefix + "its master table " + file + " is not in the database";
    const int count = LinkFieldCount(link);
    std::string field = FieldWithSeparator(t, link.thisFields, count);
    if (field.empty()) field = FieldWithSeparator(*master, link.otherFields, count);
    if (!field.empty()) return prefix + "its field \"" + field + "\" has a \";\" in its name";
    return {};
}

}  // namespace vortab::dbinfo
