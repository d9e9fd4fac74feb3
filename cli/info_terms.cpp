// Shared terms of the info renderings.
#include "cli/info_terms.h"

#include "cli/check_value.h"

namespace vortab::cli {

using paradox::api::CheckValueKind;
using paradox::api::LinkKind;
using paradox::api::LinkRule;
using paradox::api::LookupKind;
using paradox::api::ParadoxType;

std::string ParadoxTypeForm(const paradox::api::Field& field) {
    std::string form(1, paradox::api::ParadoxTypeLetter(field.paradoxType));
    if (field.paradoxType == ParadoxType::Alpha || field.paradoxType == ParadoxType::Bytes)
        form += std::to_string(field.sizeByte);
    else if (paradox::api::IsBlobType(field.paradoxType))
        form += std::to_string(field.leader());
    else if (field.paradoxType == ParadoxType::Bcd)
        form += std::to_string(field.sizeByte);
    return form;
}

const char* CheckValueKindName(CheckValueKind kind) {
    switch (kind) {
    case CheckValueKind::None: return "none";
    case CheckValueKind::Value: return "value";
    case CheckValueKind::Today: return "today";
    case CheckValueKind::Now: return "now";
    }
    return "unknown";
}

const char* LookupKindName(LookupKind kind) {
    switch (kind) {
    case LookupKind::None: return "none";
    case LookupKind::Private: return "private";
    case LookupKind::AllCorresponding: return "all corresponding";
    case LookupKind::Help: return "help";
    case LookupKind::AllCorrespondingHelp: return "all corresponding with help";
    }
    return "unknown";
}

const char* LinkRuleName(LinkRule rule) {
    return rule == LinkRule::Restrict ? "restrict" : rule == LinkRule::Cascade ? "cascade" : "unknown";
}
const char* LinkKindName(LinkKind kind) {
    return kind == LinkKind::Master ? "master" : kind == LinkKind::Dependent ? "dependent" : "unknown";
}

CheckValueKind CheckPartKind(const paradox::api::Check& check, CheckPart part) {
    switch (part) {
    case CheckPart::Minimum: return check.minimumKind;
    case CheckPart::Maximum: return check.maximumKind;
    case CheckPart::Default: return check.defaultKind;
    }
    return CheckValueKind::None;
}

paradox::api::Value CheckPartValue(const TableInfo& info, const paradox::api::Check& check, CheckPart part) {
    const int number = check.fieldNumber;
    if (CheckPartKind(check, part) != CheckValueKind::Value || number < 1 || number > static_cast<int>(info.fields.size()))
        return paradox::api::Value::null();
    const paradox::api::Field& field = info.fields[static_cast<std::size_t>(number - 1)];
    switch (part) {
    case CheckPart::Minimum: return NativeCheckValue(field, check.minimum);
    case CheckPart::Maximum: return NativeCheckValue(field, check.maximum);
    case CheckPart::Default: return NativeCheckValue(field, check.defaultValue);
    }
    return paradox::api::Value::null();
}

}  // namespace vortab::cli
