// RI_ADD and RI_DROP: add a referential-integrity link from a dependent table's fields to the
// leading fields of an index of its master, or drop a link by name.
#pragma once
#include "library/language/handler.h"

namespace vortab {

void LinkCommandHandler(const IdentifierEntry&, TExpression&, int, Value&, Value*);

}  // namespace vortab
