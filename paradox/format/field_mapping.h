// Mapping between Paradox physical fields and the engine's FieldDescriptor (logical type,
// subtype, size attributes): the view a reader reports, and the checks a create request passes.
#pragma once
#include "paradox/format/descriptors.h"
#include "paradox/format/schema.h"

namespace paradox {

// Fills type, subtype, units1, units2, offset and length for a field of a table.
void DescribeField(const Field& f, int position, FieldDescriptor& out);

// The Paradox field a create request asks for. 10000 for a type/subtype the Paradox driver
// does not have, 10001 for sizes out of range, 10038 for a missing or too long name.
Field FieldFromDescriptor(const FieldDescriptor& d);

// The lowest table level that can hold a field of this type (3, 4 or 5).
int MinimumLevel(PxType t);

}  // namespace paradox
