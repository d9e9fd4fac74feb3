// Date values <-> text: the locale's short date (4-digit year) and time of day, and reading a
// date/time text in a given order of day, month and year. Pure functions of the settings.
#pragma once
#include <string>
#include <string_view>

#include "library/language/locale_settings.h"

namespace vortab {

// The short date, plus " " and the time when the value has a time of day; the time alone when
// the day part is 0. Throws EVariantError for a value outside 1-1-1 .. 31-12-9999.
std::string FormatDateValue(double date, const LocaleSettings& settings);

// "d m y" in `order` (year first when the first field has more than two digits), the fields
// separated by the locale's date separator, ".", "/" or "-"; a year of one or two digits is
// 1930..2029. Optionally followed by, or alone: "hh:mm[:ss]" with an optional AM/PM. False when
// the text is no such date or an impossible one.
bool ParseDateText(std::string_view text, const LocaleSettings& settings, DateOrder order,
                   double& out);

}  // namespace vortab
