// Checks of every secondary index (.Xnn/.Ynn, .XGn/.YGn): its header describes fields the table
// has with the types it records, its B-tree file is present, and a maintained index holds every
// record exactly once, in order: the index is built again from the table into an unnamed scratch
// file and compared entry by entry, so "out of date" names the index and the first entry that
// differs. A non-maintained index that is out of date is a warning (the original engine rebuilds
// it when it is used).
#pragma once
#include "paradox/verify/chain_check.h"

namespace paradox::verify {

void CheckSecondaryIndexes(const CheckedTable& t, const ChainWalk& chain, FindingSink& out);

}  // namespace paradox::verify
