// The locale settings the language uses for texts that depend on the user's locale: date order,
// separators, month and day names, collation and the currency format. They are read from the
// environment (LC_ALL, LC_TIME, LC_NUMERIC, LC_MONETARY, LC_COLLATE, LANG) through newlocale(),
// without touching the host's global locale. Texts are Windows-1252, like every text of the
// language.
#pragma once
#include <array>
#include <locale.h>
#include <string>

namespace vortab {

enum class DateOrder { DMY, MDY, YMD };

struct LocaleSettings {
    locale_t handle = nullptr;          // for collation, strftime_l, strfmon_l
    DateOrder dateOrder = DateOrder::MDY;
    std::string decimalSeparator = ".";
    std::string thousandsSeparator;
    std::array<std::string, 12> monthNames;  // January first, Windows-1252
    std::array<std::string, 7> dayNames;     // Sunday first, Windows-1252
};

// Read once on first use and kept for the life of the process.
const LocaleSettings& Locale();

// The order of day, month and year in date literals: VORTAB_DATE_ORDER (DMY, MDY, YMD) when set,
// read on every call so that a caller can pin it, otherwise the locale's.
DateOrder CurrentDateOrder();

// Case-sensitive comparison of two Windows-1252 texts by the locale's collation: <0, 0, >0.
int CollateCompare(const std::string& a, const std::string& b);

}  // namespace vortab
