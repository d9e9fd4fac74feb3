// A validity-check value of the script in the native form of the field it checks, as the
// engine's ValidityCheckDescriptor carries it: texts zero-terminated, dates as day numbers
// (1 January of year 1 is day 1), times as milliseconds since midnight, timestamps as day
// number times 86 400 000 plus milliseconds, BCD from the value as a currency amount.
#pragma once
#include <cstdint>

#include "library/language/value.h"
#include "shared/engine_records.h"

namespace vortab {

// Fills the zero-filled buffer; 9986 for a field type that takes no check value or a value
// the buffer or the field cannot hold.
void NativeCheckValue(const FieldDescriptor& field, const Value& value,
                      std::uint8_t (&out)[kCheckValueSize]);

}  // namespace vortab
