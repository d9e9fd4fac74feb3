// Checks of a keyed table's key order and its primary index (.PX): keys unique and ascending
// along the chain (an order difference is only a warning where the engine's order is not known
// to be the original's), the .PX present, its tree's leaf entries naming the chain's blocks in
// order with their first key and record count, upper entries summing what lies below, and the
// index's own record count.
#pragma once
#include <memory>

#include "paradox/verify/chain_check.h"

namespace paradox::verify {

// A visitor for CheckChain that checks the order and uniqueness of the primary keys.
std::unique_ptr<RecordVisitor> MakeKeyOrderCheck(const CheckedTable& t, FindingSink& out);

void CheckPrimaryIndex(const CheckedTable& t, const ChainWalk& chain, FindingSink& out);

}  // namespace paradox::verify
