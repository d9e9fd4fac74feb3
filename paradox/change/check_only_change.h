// A restructure that only adds, changes or drops validity checks leaves every record as it is:
// when the descriptor changes nothing but checks and no record breaks a new check, only the
// .VAL is replaced (one crash-safe swap); the .DB, its .PX and the secondary indexes keep their
// bytes. A check whose rules this engine does not evaluate (a picture, a table lookup, a
// minimum or maximum on a field without a byte-ordered encoding, or of kind today/now) counts
// as possibly broken, and the caller then restructures in full as before.
#pragma once
#include <memory>

#include "paradox/change/restructure.h"
#include "paradox/change/restructure_companions.h"
#include "paradox/change/restructure_links.h"
#include "paradox/change/restructure_plan.h"

namespace paradox {

// Whether the descriptor changes nothing of the table but its validity checks: same fields in
// the same order and encodings, same key, level, block size and master password, no link,
// security or option entries.
bool ChangesChecksOnly(const TableState& old, const RestructurePlan& plan, const TableDescriptor& desc,
                       const LinkChanges& links);

// Reads the records once; true when one breaks a check the descriptor adds (or may break it:
// a check this engine does not evaluate). Dropping a check never breaks anything.
bool AnyRecordMayBreakNewChecks(const std::shared_ptr<TableState>& old, const TableDescriptor& desc);

// Puts the planned .VAL in place (or removes the old one when the plan has none), stamped
// with the unchanged .DB's counters. Returns the table's record count.
RestructureResult ReplaceChecksOnly(const TableState& old, const CompanionPlan& companions);

}  // namespace paradox
