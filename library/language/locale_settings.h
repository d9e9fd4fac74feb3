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
    // strftime formats of the short date (4-digit year) and of the time of day, and the
    // character between the date's fields; what strftime_l makes of them is in `codeset`.
    std::string dateFormat = "%m/%d/%Y";
    std::string timeFormat = "%H:%M:%S";
    std::string dateSeparator = "/";
    std::string codeset = "ANSI_X3.4-1968";
};

// The settings of one locale object (the handle is kept, not copied).
LocaleSettings SettingsFromLocale(locale_t handle);

// Order of day, month and year in a strftime date format (%D, %F and %x resolved); MDY when
// the format names fewer than all three.
DateOrder DateOrderFromFormat(const std::string& format);

// The "C" locale, for reading and writing numbers independently of every locale.
locale_t PosixLocale();
// The settings' handle, or the "C" locale when the settings carry none (pinned test settings).
locale_t HandleOrC(const LocaleSettings& settings);

// A text the C library produced in the given codeset, as Windows-1252 ("?" when unmappable).
std::string LocaleTextTo1252(const std::string& text, const std::string& codeset);

// Read once on first use and kept for the life of the process.
const LocaleSettings& Locale();

// The order of day, month and year in date literals: VORTAB_DATE_ORDER (DMY, MDY, YMD) when set,
// read on every call so that a caller can pin it, otherwise the locale's.
DateOrder CurrentDateOrder();

// Case-sensitive comparison of two Windows-1252 texts by the locale's collation: <0, 0, >0.
int CollateCompare(const std::string& a, const std::string& b);

}  // namespace vortab
