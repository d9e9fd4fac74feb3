// Checks of a table's blob references against its .MB: every reference lands on a block of the
// right kind holding that length (its block header or slot entry says so), no block or slot is
// referenced twice, and blob blocks no record references are listed. The .MB is tiled by its
// block headers first, so a pointer into a free block is named as such. Memory: one word per
// 4 KB of the .MB, whatever the number of records.
#pragma once
#include <memory>

#include "paradox/verify/chain_check.h"

namespace paradox::verify {

// A visitor for CheckChain, or null when the table has no blob fields. Its findings are added
// when it is destroyed, after the walk.
std::unique_ptr<RecordVisitor> MakeBlobCheck(const CheckedTable& t, FindingSink& out);

}  // namespace paradox::verify
