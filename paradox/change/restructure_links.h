// The link entries of a restructure's TableDescriptor, sorted into the dependent links it drops
// (CRDROP, and CRMODIFY's first half) and those it adds (CRADD, CRMODIFY's second half). Both
// change with the table's own files, in the same step. Master-side entries (kind Master), CRNOOP
// and CRCOPY keep their link: the master side changes with its dependent.
#pragma once
#include <vector>

#include "paradox/format/descriptors.h"
#include "paradox/format/link_descriptor.h"

namespace paradox {

class TableState;

struct LinkChanges {
    std::vector<RILinkDescriptor> drops;  // as the table's .VAL holds them
    std::vector<RILinkDescriptor> adds;   // as the descriptor asks for them

    bool empty() const { return drops.empty() && adds.empty(); }
};

// 10012 for an unknown operation, 9986 for a drop of a link the table does not have.
LinkChanges SortLinkEntries(const TableState& old, const TableDescriptor& desc);

// Whether the descriptor asks for link changes and no fields, checks, auxiliary passwords or
// options: with the master password unchanged and only drops among them, such a change leaves
// the table's data alone.
bool ChangesLinksOnly(const TableDescriptor& desc);

}  // namespace paradox
