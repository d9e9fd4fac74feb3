// The library-wide state built once when the library is loaded: the identifier chain and the
// information block that hands the chain to callers.
#pragma once
#include "library/language/identifier_table.h"
#include "shared/identifier_entry.h"

namespace vortab {

struct LibraryState {
    const IdentifierChain& chain;
    LibraryInfo info;
};

const LibraryState& Library();

}  // namespace vortab
