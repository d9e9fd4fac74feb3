// Number <-> text of the language: the general form of conversions ("%.15G"-like), the STR and
// NUM$ formats, and reading a number from a text. Pure functions of the settings passed, so they
// can be checked with pinned separators; texts are Windows-1252.
#pragma once
#include <string>
#include <string_view>

#include "library/language/locale_settings.h"

namespace vortab {

// Up to 15 significant digits, exponent form ("1E+20", "1.5E-07") for large and small values.
std::string FormatGeneral(double value, const LocaleSettings& settings);

// STR: thousands separators, `decimals` digits after the separator, at most `width` significant
// digits (exponent form when the integer part has more), padded on the left with spaces to
// `width` characters. A width below 1 sets no digit limit; decimals are clamped to 0..18. A width
// above kMaxFormatWidth throws EInvalidOp.
std::string FormatStr(double value, int width, int decimals, const LocaleSettings& settings);
inline constexpr int kMaxFormatWidth = 4096;

// NUM$ styles: 0 fixed, 1 exponent, 2 number (thousands separators), 3 money (the locale's
// currency format), 4 percent. Any other style or negative decimals throw EExecution; decimals
// are capped at 18.
std::string FormatNum(int style, int decimals, double value, const LocaleSettings& settings);

// The whole (trimmed) text as a decimal number: optional sign, digits with the locale's
// decimal separator or ".", optional exponent. False when it is not one or does not fit a
// double (a value too small for a double reads as 0).
bool ParseNumber(std::string_view text, const LocaleSettings& settings, double& out);

}  // namespace vortab
