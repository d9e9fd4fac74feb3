// Words and small forms that the text and JSON renderings of `vortab info` share: a field's
// Paradox type form ("A20", "$", "M10"), the kinds of check values and lookups, link rules,
// and the value of a validity check's minimum, maximum or default.
#pragma once
#include <string>

#include "cli/table_info.h"
#include "paradox/api/table_structure.h"
#include "paradox/api/value.h"

namespace vortab::cli {

std::string ParadoxTypeForm(const paradox::api::Field& field);
const char* CheckValueKindName(paradox::api::CheckValueKind kind);  // "none", "value", "today", "now"
const char* LookupKindName(paradox::api::LookupKind kind);
const char* LinkRuleName(paradox::api::LinkRule rule);  // "restrict", "cascade"
const char* LinkKindName(paradox::api::LinkKind kind);  // "master", "dependent"

enum class CheckPart { Minimum, Maximum, Default };
// The value of one part of a check when its kind is "value"; null otherwise, and null when the
// check names a field the table does not have.
paradox::api::Value CheckPartValue(const TableInfo& info, const paradox::api::Check& check, CheckPart part);
paradox::api::CheckValueKind CheckPartKind(const paradox::api::Check& check, CheckPart part);

}  // namespace vortab::cli
