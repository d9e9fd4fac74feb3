// Shared terms of the info renderings.
#include "cli/info_terms.h"

#include <algorithm>
#include <cstring>

#include "cli/check_value.h"

namespace vortab::cli {

std::string ParadoxTypeForm(const paradox::Field& field) {
    std::string form(1, paradox::PxTypeLetter(field.type));
    if (field.type == paradox::PxType::Alpha || field.type == paradox::PxType::Bytes)
        form += std::to_string(field.sizeByte);
    else if (paradox::IsBlobType(field.type))
        form += std::to_string(field.leader());
    else if (field.type == paradox::PxType::Bcd)
        form += std::to_string(field.sizeByte);
    return form;
}

const char* CheckValueKindName(std::uint16_t kind) {
    switch (kind) {
    case 0: return "none";
    case 1: return "value";
    case 2: return "today";
    case 3: return "now";
    default: return "unknown";
    }
}

const char* LookupKindName(std::uint32_t kind) {
    switch (kind) {
    case 0: return "none";
    case 1: return "private";
    case 2: return "all corresponding";
    case 3: return "help";
    case 4: return "all corresponding with help";
    default: return "unknown";
    }
}

const char* LinkRuleName(std::uint32_t rule) { return rule == 0 ? "restrict" : rule == 1 ? "cascade" : "unknown"; }
const char* LinkKindName(std::uint32_t kind) { return kind == 0 ? "master" : kind == 1 ? "dependent" : "unknown"; }

namespace {
std::vector<std::uint16_t> Unpack(const void* packed, int count) {
    std::vector<std::uint16_t> numbers(static_cast<std::size_t>(std::clamp(count, 0, paradox::kMaxKeyFields)));
    std::memcpy(numbers.data(), packed, numbers.size() * sizeof(std::uint16_t));
    return numbers;
}
}  // namespace

std::vector<std::uint16_t> KeyFieldNumbers(const paradox::IndexDescriptor& index) {
    return Unpack(&index.keyFields, index.keyFieldCount);
}

std::vector<std::uint16_t> LinkFieldNumbers(const paradox::RILinkDescriptor& link, bool otherTable) {
    return Unpack(otherTable ? static_cast<const void*>(&link.otherFields) : &link.thisFields, link.fieldCount);
}

std::uint16_t CheckPartKind(const paradox::ValidityCheckDescriptor& check, CheckPart part) {
    switch (part) {
    case CheckPart::Minimum: return check.minimumKind;
    case CheckPart::Maximum: return check.maximumKind;
    case CheckPart::Default: return check.defaultKind;
    }
    return 0;
}

paradox::Value CheckPartValue(const TableInfo& info, const paradox::ValidityCheckDescriptor& check, CheckPart part) {
    const int number = check.fieldNumber;
    if (CheckPartKind(check, part) != 1 || number < 1 || number > static_cast<int>(info.schema.fields.size()))
        return paradox::Value::null();
    const paradox::Field& field = info.schema.fields[static_cast<std::size_t>(number - 1)];
    switch (part) {
    case CheckPart::Minimum: return NativeCheckValue(field, check.minimum);
    case CheckPart::Maximum: return NativeCheckValue(field, check.maximum);
    case CheckPart::Default: return NativeCheckValue(field, check.defaultValue);
    }
    return paradox::Value::null();
}

}  // namespace vortab::cli
