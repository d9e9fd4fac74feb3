// Words and small forms that the text and JSON renderings of `vortab info` share: a field's
// Paradox type form ("A20", "$", "M10"), the kinds of check values and lookups, link rules,
// and the value of a validity check's minimum, maximum or default.
#pragma once
#include <cstdint>
#include <string>

#include "cli/table_info.h"
#include "paradox/value.h"

namespace vortab::cli {

std::string ParadoxTypeForm(const paradox::Field& field);
const char* CheckValueKindName(std::uint16_t kind);  // "none", "value", "today", "now"
const char* LookupKindName(std::uint32_t kind);
const char* LinkRuleName(std::uint32_t rule);        // "restrict", "cascade"
const char* LinkKindName(std::uint32_t kind);        // "master", "dependent"

enum class CheckPart { Minimum, Maximum, Default };
// The value of one part of a check when its kind is "value"; null otherwise, and null when the
// check names a field the table does not have.
paradox::Value CheckPartValue(const TableInfo& info, const paradox::ValidityCheckDescriptor& check, CheckPart part);
std::uint16_t CheckPartKind(const paradox::ValidityCheckDescriptor& check, CheckPart part);

}  // namespace vortab::cli
