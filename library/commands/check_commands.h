// VCHK_ADD and VCHK_DROP: a field's validity check (required flag, minimum, maximum, default,
// picture) set or removed by a restructure that carries one check entry, while the links of
// the tables that depend on the table are suspended. A check is only added to a field without
// one and only dropped from a field with one.
#pragma once
#include "library/language/handler.h"

namespace vortab {

void CheckCommandHandler(const IdentifierEntry&, TExpression&, int, Value&, Value*);

}  // namespace vortab
