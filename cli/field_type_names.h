// Names of the engine's field type and subtype codes as the script language spells them
// ("FLDZSTRING", "FLDSTMONEY", ...), so that info and export describe fields in the words an
// upgrade script uses. Unknown codes are written as their number.
#pragma once
#include <cstdint>
#include <string>

namespace vortab::cli {

std::string FieldTypeName(std::int16_t type);
std::string FieldSubtypeName(std::int16_t subType);

}  // namespace vortab::cli
