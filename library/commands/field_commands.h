// FLD_ADD, FLD_DROP, FLD_CHANGE, FLD_MOVE and EXISTS_FIELD. The four changing commands share one
// frame: read the table's fields, let the command's edit step change the list, then restructure
// the table while the links of the tables that depend on it are suspended.
#pragma once
#include "library/language/handler.h"

namespace vortab {

void FieldCommandHandler(const IdentifierEntry&, TExpression&, int, Value&, Value*);
void ExistsFieldHandler(const IdentifierEntry&, TExpression&, int, Value&, Value*);

}  // namespace vortab
