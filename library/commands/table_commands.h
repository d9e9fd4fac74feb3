// TBL_CREATE, TBL_DROP, TBL_SETATTR, TBL_BMOVE and EXISTS_TABLE: commands on whole tables. The
// master-password attribute runs the password change of password_commands.h; a rename keeps
// the links of the tables that depend on the renamed one.
#pragma once
#include "library/language/handler.h"

namespace vortab {

void CreateTableHandler(const IdentifierEntry&, TExpression&, int, Value&, Value*);
void DropTableHandler(const IdentifierEntry&, TExpression&, int, Value&, Value*);
void SetAttributeHandler(const IdentifierEntry&, TExpression&, int, Value&, Value*);
void BatchMoveHandler(const IdentifierEntry&, TExpression&, int, Value&, Value*);
void ExistsTableHandler(const IdentifierEntry&, TExpression&, int, Value&, Value*);

}  // namespace vortab
