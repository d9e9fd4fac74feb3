// A validity check's minimum, maximum or default value, held by the engine in the native form
// of its field, as a Value that the output formats can show.
#pragma once
#include "paradox/api/table_structure.h"
#include "paradox/api/value.h"

namespace vortab::cli {

// The value of a native check value for this field.
paradox::api::Value NativeCheckValue(const paradox::api::Field& field, const paradox::api::NativeValue& native);

}  // namespace vortab::cli
