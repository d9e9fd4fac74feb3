// The functions that read the environment: directories (DIR_*), INI files (INI_*) and the
// registry (REG_*), one handler per group. None writes anything; a missing file, key or value
// yields FALSE, 0 or the empty text. Where each looks on Linux is in the README.
#pragma once
#include <optional>
#include <string>

#include "library/language/handler.h"

namespace vortab {

void DirectoryHandler(const IdentifierEntry&, TExpression&, int, Value&, Value*);
void IniHandler(const IdentifierEntry&, TExpression&, int, Value&, Value*);
void RegistryHandler(const IdentifierEntry&, TExpression&, int, Value&, Value*);

// A profile text as a 32-bit integer: decimal with an optional sign, hexadecimal after "$" or
// (when longer than two characters) after "0x"; anything else is 0.
std::int32_t ProfileInteger(const std::string& text);

// A directory with (withSeparator) or without its trailing "/"; the root keeps its "/".
std::string DirectoryText(std::string directory, bool withSeparator);

}  // namespace vortab
