// Writing a repaired family: the salvaged records into a fresh .DB (in key order for keyed
// tables), their blobs into a fresh .MB, the .PX and every secondary index built from the new
// chain, a restamped .VAL, and the problems table; everything staged in one FamilySwap that the
// caller's commit puts in place.
#pragma once
#include <string>
#include <vector>

#include "paradox/storage/family_swap.h"
#include "paradox/verify/checked_table.h"
#include "paradox/verify/repair.h"

namespace paradox::verify {

struct RebuildChoices {
    bool resort = true;    // sort a keyed table's records by key (else keep the salvage order)
    bool restampVal = false;
};

// Stages the rebuilt family in swap and fills report's counts, notes and problemsTable. The
// problems table, when one is needed, is created in the table's directory before returning.
void StageRebuiltFamily(const CheckedTable& t, FamilySwap& swap, const RebuildChoices& choices, RepairReport& report);

}  // namespace paradox::verify
