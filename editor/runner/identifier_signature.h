// How the front ends show an identifier of the library's chain: the name of a value type and
// a command's or function's argument list ("TBL_ADD(String, String): Number").
#pragma once
#include <string>

#include "shared/identifier_entry.h"

namespace vortab {

std::string ValueTypeName(std::uint8_t type);
// The name, its argument types in brackets (none for a name without arguments) and the result.
std::string IdentifierSignature(const IdentifierEntry& entry);

}  // namespace vortab
