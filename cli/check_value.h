// A validity check's minimum, maximum or default value, held by the engine in the native form
// of its field (ValidityCheckDescriptor buffers), as a Value that the output formats can show.
#pragma once
#include <cstddef>
#include <cstdint>

#include "paradox/format/check_descriptor.h"
#include "paradox/format/schema.h"
#include "paradox/format/value.h"

namespace vortab::cli {

// The value of a native buffer of kCheckValueSize bytes for this field.
paradox::Value NativeCheckValue(const paradox::Field& field, const std::uint8_t (&native)[paradox::kCheckValueSize]);

}  // namespace vortab::cli
