// The one interface through which the evaluator calls every operator, function and command:
// the entry it was called for, the owning expression, the argument count, the result (empty on
// entry) and the arguments 1..n (args[0] is argument 1). A handler serving several names tells
// them apart by entry.name.
#pragma once
#include "library/language/value.h"
#include "shared/identifier_entry.h"

namespace vortab {

class TExpression;

using Handler = void (*)(const IdentifierEntry& entry, TExpression& owner, int argCount,
                         Value& result, Value* args);

inline VortabOpaqueHandler ToOpaque(Handler h) { return reinterpret_cast<VortabOpaqueHandler>(h); }
inline Handler FromOpaque(VortabOpaqueHandler h) { return reinterpret_cast<Handler>(h); }

}  // namespace vortab
