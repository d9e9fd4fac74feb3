// Conversions between the face's plain types and the layers' own.
#include "paradox/api/engine_call_internal.h"

#include "paradox/api/interface_records.h"

namespace paradox::api::detail {

TableProperties PropertiesOf(const paradox::TableProperties& p) {
    TableProperties t;
    t.name = p.name;
    t.driverType = p.driverType;
    t.fieldCount = p.fieldCount;
    t.keyFields = p.keyFields;
    t.indexCount = p.indexCount;
    t.recordCount = p.recordCount;
    t.recordSize = p.recordSize;
    t.recordBufferSize = p.recordBufferSize;
    t.level = p.level;
    t.fileVersion = p.fileVersion;
    t.blockSizeKb = p.blockSizeKb;
    t.codePage = p.codePage;
    t.sortOrder = p.sortOrder;
    t.languageDriver = p.languageDriver;
    t.strictIntegrity = p.strictIntegrity;
    t.isProtected = p.isProtected;
    t.auxPasswords = p.auxPasswords;
    t.restructureVersion = p.restructureVersion;
    t.autoIncValue = p.autoIncValue;
    t.usedBlocks = p.usedBlocks;
    t.fileBlocks = p.fileBlocks;
    t.writeProtected = p.writeProtected;
    return t;
}

Value ValueOf(const paradox::Value& v) {
    switch (v.kind()) {
    case paradox::ValueKind::Null: return Value::null();
    case paradox::ValueKind::Integer: return Value::integer(v.asInt());
    case paradox::ValueKind::Float: return Value::number(v.asDouble());
    case paradox::ValueKind::Bool: return Value::boolean(v.asBool());
    case paradox::ValueKind::Date: return Value::date(static_cast<std::int32_t>(v.asInt()));
    case paradox::ValueKind::Time: return Value::time(static_cast<std::int32_t>(v.asInt()));
    case paradox::ValueKind::Timestamp: return Value::timestamp(v.asDouble());
    case paradox::ValueKind::Text: return Value::text(v.asString());
    case paradox::ValueKind::Bytes: return Value::bytes(v.asString());
    case paradox::ValueKind::Bcd: return Value::bcd(v.asString());
    }
    return Value::null();
}

paradox::Value EngineValue(const Value& v) {
    switch (v.kind()) {
    case ValueKind::Null: return paradox::Value::null();
    case ValueKind::Integer: return paradox::Value::integer(v.asInt());
    case ValueKind::Float: return paradox::Value::number(v.asDouble());
    case ValueKind::Bool: return paradox::Value::boolean(v.asBool());
    case ValueKind::Date: return paradox::Value::date(static_cast<std::int32_t>(v.asInt()));
    case ValueKind::Time: return paradox::Value::time(static_cast<std::int32_t>(v.asInt()));
    case ValueKind::Timestamp: return paradox::Value::timestamp(v.asDouble());
    case ValueKind::Text: return paradox::Value::text(v.asString());
    case ValueKind::Bytes: return paradox::Value::bytes(v.asString());
    case ValueKind::Bcd: return paradox::Value::bcd(v.asString());
    }
    return paradox::Value::null();
}

std::vector<Field> FieldsOf(const paradox::Table& table) {
    const std::vector<paradox::FieldDescriptor> descriptors = table.fieldDescriptors();
    const std::vector<paradox::Field>& stored = table.schema().fields;
    std::vector<Field> fields;
    for (std::size_t i = 0; i < descriptors.size(); ++i) {
        Field f = records::FieldOf(descriptors[i]);
        if (i < stored.size()) {
            f.name = stored[i].name;
            f.paradoxType = static_cast<ParadoxType>(stored[i].type);
            f.sizeByte = stored[i].sizeByte;
            f.width = stored[i].width;
        }
        fields.push_back(std::move(f));
    }
    return fields;
}

}  // namespace paradox::api::detail
