// Names of the engine's field type and subtype codes as the script language spells them
// ("FLDZSTRING", "FLDSTMONEY", ...), so that info and export describe fields in the words an
// upgrade script uses. Unknown codes are written as their number.
#pragma once
#include <string>

#include "paradox/api/table_structure.h"

namespace vortab::cli {

std::string FieldTypeName(paradox::api::FieldType type);
std::string FieldSubtypeName(paradox::api::FieldSubtype subType);

}  // namespace vortab::cli
