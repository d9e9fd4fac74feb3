// The JSON rendering of a table's structure for `vortab info --json`.
#include "cli/field_type_names.h"
#include "cli/info_terms.h"
#include "cli/table_access.h"
#include "cli/table_info.h"
#include "cli/value_text.h"
#include "shared/text/code_pages.h"

namespace vortab::cli {
namespace {

void FieldNames(const TableInfo& info, const std::vector<std::uint16_t>& numbers, JsonWriter& json) {
    json.beginArray();
    for (std::uint16_t number : numbers) json.string(FieldNameByNumber(info, number));
    json.endArray();
}

void Fields(const TableInfo& info, const TextDecoder& decoder, JsonWriter& json) {
    json.key("fields");
    json.beginArray();
    for (std::size_t i = 0; i < info.fields.size(); ++i) {
        const paradox::api::Field& f = info.fields[i];
        json.beginObject();
        json.key("number"); json.integer(f.number);
        json.key("name"); json.string(decoder.toUtf8(f.name));
        json.key("type"); json.string(FieldTypeName(f.type));
        json.key("subtype"); json.string(FieldSubtypeName(f.subType));
        json.key("size"); json.integer(f.units1);
        json.key("decimals"); json.integer(f.units2);
        json.key("paradoxType"); json.string(ParadoxTypeForm(f));
        json.key("key"); json.boolean(i < info.properties.keyFields);
        json.endObject();
    }
    json.endArray();
}

void Indexes(const TableInfo& info, const TextDecoder& decoder, JsonWriter& json) {
    json.key("indexes");
    json.beginArray();
    for (const paradox::api::Index& x : info.indexes) {
        json.beginObject();
        json.key("name"); json.string(decoder.toUtf8(x.name));
        json.key("primary"); json.boolean(x.primary);
        json.key("unique"); json.boolean(x.unique);
        json.key("descending"); json.boolean(x.descending);
        json.key("caseInsensitive"); json.boolean(x.caseInsensitive);
        json.key("maintained"); json.boolean(x.maintained);
        json.key("fields"); FieldNames(info, x.keyFields, json);
        json.endObject();
    }
    json.endArray();
}

void CheckPartJson(const TableInfo& info, const TextDecoder& decoder, const paradox::api::Check& c,
                   CheckPart part, const char* name, JsonWriter& json) {
    json.key(std::string(name) + "Kind"); json.string(CheckValueKindName(CheckPartKind(c, part)));
    std::string value;
    AppendJsonValue(value, CheckPartValue(info, c, part), decoder);
    json.key(name); json.raw(value);
}

void Checks(const TableInfo& info, const TextDecoder& decoder, JsonWriter& json) {
    json.key("checksStale"); json.boolean(info.checksStale);
    json.key("checks");
    json.beginArray();
    for (const paradox::api::Check& c : info.checks) {
        json.beginObject();
        json.key("field"); json.string(FieldNameByNumber(info, c.fieldNumber));
        json.key("required"); json.boolean(c.required);
        CheckPartJson(info, decoder, c, CheckPart::Minimum, "minimum", json);
        CheckPartJson(info, decoder, c, CheckPart::Maximum, "maximum", json);
        CheckPartJson(info, decoder, c, CheckPart::Default, "default", json);
        json.key("picture"); json.string(decoder.toUtf8(c.picture));
        json.key("lookupTable"); json.string(NameToUtf8(c.lookupTable));
        json.key("lookupKind"); json.string(LookupKindName(c.lookupKind));
        json.endObject();
    }
    json.endArray();
}

void Links(const TableInfo& info, const TextDecoder& decoder, JsonWriter& json) {
    json.key("links");
    json.beginArray();
    for (std::size_t n = 0; n < info.links.size(); ++n) {
        const paradox::api::Link& l = info.links[n];
        json.beginObject();
        json.key("name"); json.string(decoder.toUtf8(l.name));
        json.key("kind"); json.string(LinkKindName(l.kind));
        json.key("otherTable"); json.string(NameToUtf8(l.otherTable));
        json.key("fields"); FieldNames(info, l.thisFields, json);
        json.key("otherFields");
        json.beginArray();
        for (std::uint16_t number : l.otherFields) json.integer(number);
        json.endArray();
        json.key("otherFieldNames");  // null when the other table could not be read
        const std::vector<std::string>& otherNames = OtherFieldNamesOf(info, n);
        if (otherNames.empty()) {
            json.null();
        } else {
            json.beginArray();
            for (const std::string& name : otherNames) json.string(name);
            json.endArray();
        }
        json.key("updateRule"); json.string(LinkRuleName(l.updateRule));
        json.key("deleteRule"); json.string(LinkRuleName(l.deleteRule));
        json.endObject();
    }
    json.endArray();
}

}  // namespace

void WriteInfoJson(const TableInfo& info, JsonWriter& json) {
    const paradox::api::TableProperties& p = info.properties;
    const TextDecoder decoder(TextCodePage(p));
    json.beginObject();
    json.key("name"); json.string(NameToUtf8(TableTitle(p.name)));
    json.key("file"); json.string(NameToUtf8(p.name));
    json.key("driver"); json.string(p.driverType);
    json.key("level"); json.integer(p.level);
    json.key("fileVersion"); json.integer(p.fileVersion);
    json.key("blockSize"); json.integer(p.blockSizeKb * 1024);
    json.key("languageDriver"); json.string(NameToUtf8(p.languageDriver));
    json.key("codePage"); json.integer(p.codePage);
    json.key("textCodePage"); json.integer(decoder.codePage());
    json.key("sortOrder"); json.integer(p.sortOrder);
    json.key("recordCount"); json.integer(p.recordCount);
    json.key("recordSize"); json.integer(p.recordSize);
    json.key("keyFields"); json.integer(p.keyFields);
    json.key("autoIncValue"); json.integer(p.autoIncValue);
    json.key("protected"); json.boolean(p.isProtected);
    json.key("auxiliaryPasswords"); json.integer(p.auxPasswords);
    json.key("writeProtected"); json.boolean(p.writeProtected);
    json.key("strictIntegrity"); json.boolean(p.strictIntegrity);
    json.key("restructureVersion"); json.integer(p.restructureVersion);
    Fields(info, decoder, json);
    Indexes(info, decoder, json);
    Checks(info, decoder, json);
    Links(info, decoder, json);
    json.key("warnings");
    json.beginArray();
    for (const std::string& warning : info.warnings) json.string(warning);
    json.endArray();
    json.endObject();
}

}  // namespace vortab::cli
