// Whole-number conversions of the language: a number is taken as a 32-bit signed integer by
// truncation toward zero or by rounding to the nearest integer with ties to even. A value outside
// the 32-bit range (or not finite) is an invalid operation (EInvalidOp, status 104).
#pragma once
#include <cmath>
#include <cstdint>

#include "library/language/errors.h"

namespace vortab {

inline std::int32_t CheckedInt32(long double whole) {
    if (!(whole >= -2147483648.0L && whole <= 2147483647.0L)) throw EInvalidOp();
    return static_cast<std::int32_t>(whole);
}

inline std::int32_t TruncToInt32(long double x) { return CheckedInt32(std::trunc(x)); }

// Ties to even, independent of the current floating-point rounding mode.
inline std::int32_t RoundToInt32(long double x) {
    if (!std::isfinite(x)) throw EInvalidOp();
    long double lower = std::floor(x);
    long double diff = x - lower;
    long double whole = lower;
    if (diff > 0.5L || (diff == 0.5L && std::fmod(lower, 2.0L) != 0)) whole = lower + 1;
    return CheckedInt32(whole);
}

}  // namespace vortab
