// Words and small forms that the text and JSON renderings of `vortab info` share: a field's
// Paradox type form ("A20", "$", "M10"), the kinds of check values and lookups, link rules,
// and the value of a validity check's minimum, maximum or default.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "cli/table_info.h"
#include "paradox/format/value.h"

namespace vortab::cli {

std::string ParadoxTypeForm(const paradox::Field& field);
const char* CheckValueKindName(std::uint16_t kind);  // "none", "value", "today", "now"
const char* LookupKindName(std::uint32_t kind);
const char* LinkRuleName(std::uint32_t rule);        // "restrict", "cascade"
const char* LinkKindName(std::uint32_t kind);        // "master", "dependent"

// The field numbers of an index key or of one side of a link, copied out of the packed record
// (its arrays are not aligned for direct use through a pointer).
std::vector<std::uint16_t> KeyFieldNumbers(const paradox::IndexDescriptor& index);
std::vector<std::uint16_t> LinkFieldNumbers(const paradox::RILinkDescriptor& link, bool otherTable);

enum class CheckPart { Minimum, Maximum, Default };
// The value of one part of a check when its kind is "value"; null otherwise, and null when the
// check names a field the table does not have.
paradox::Value CheckPartValue(const TableInfo& info, const paradox::ValidityCheckDescriptor& check, CheckPart part);
std::uint16_t CheckPartKind(const paradox::ValidityCheckDescriptor& check, CheckPart part);

}  // namespace vortab::cli
