// FLD_ADD, FLD_DROP, FLD_CHANGE, FLD_MOVE and EXISTS_FIELD. The four changing commands share one
// frame: read the table's fields, let the command's edit step change the list, then restructure
// the table while the links of the tables that depend on it are suspended.
#pragma once
#include <string>

#include "library/commands/field_edits.h"
#include "library/language/handler.h"

namespace vortab {

// FLD_CHANGE's change, for commands that build on it; failures are thrown.
void ChangeField(const std::string& table, const std::string& field, const std::string& newName,
                 const FieldSpec& spec);

void FieldCommandHandler(const IdentifierEntry&, TExpression&, int, Value&, Value*);
void ExistsFieldHandler(const IdentifierEntry&, TExpression&, int, Value&, Value*);

}  // namespace vortab
