// Checks of a table's .VAL: it can be read, its stamp follows the table's (byte 0 against the
// .DB's byte 0x2E; otherwise it is stale), each check names a field the table still has with
// the type the check's values were written for, and each lookup and link names a table that
// exists; a link's other table names this one back in its own .VAL.
#pragma once
#include "paradox/verify/checked_table.h"

namespace paradox::verify {

void CheckValFile(const CheckedTable& t, FindingSink& out);

}  // namespace paradox::verify
