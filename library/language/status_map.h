// The two fixed tables that turn failures into status codes: the full table used by the entry
// points, the opening of the database and every command, and the evaluation loop's shorter one.
#pragma once
#include <exception>

#include "shared/status_code.h"

namespace vortab {

// engine error -> its code, EAlreadyUpdated -> -1, EDriverMismatch -> 201/202/203,
// ENotSupportedByDriver -> 11, conversion 101, overflow 102, division by zero 103,
// invalid operation or out of memory 104, the table layer's Unsupported 888, other 100.
StatusCode FailureStatus(std::exception_ptr failure) noexcept;

// engine error -> its code (a function that reads the database failed), conversion 101,
// overflow 102, division by zero 103, invalid operation or out of memory 104, anything else 100.
StatusCode EvaluationStatus(std::exception_ptr failure) noexcept;

}  // namespace vortab
