// Field conversions of a restructure: which changes of a field's type a restructure accepts, and
// converting one stored value to the new field. A conversion never loses data silently: a value
// that does not fit the new field (text too long, number out of range, fraction or time of day
// that would be cut) fails with 9985; a type change that cannot be made at all fails with 10002
// before any record is read.
#pragma once
#include <string>

#include "paradox/format/schema.h"
#include "paradox/format/value.h"

namespace paradox {

// Whether a field of type `from` may become a field of type `to` (sizes are checked per value).
bool ConversionAllowed(PxType from, PxType to);

// The value `v` (read from a field `from`) as a value for field `to`; null stays null.
// Throws EngineError 9985 with the field name when the value cannot be kept whole.
Value ConvertFieldValue(const Value& v, const Field& from, const Field& to);

// Text forms used between Alpha and the other types (also parsed back): integers in decimal,
// numbers with up to 15 significant digits, dates as MM/DD/YYYY, times as HH:MM:SS[.mmm],
// timestamps as date and time, logicals as "True"/"False".
std::string ValueToText(const Value& v, PxType from);

}  // namespace paradox
