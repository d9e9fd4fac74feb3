// The text forms of date values. Formatting goes through strftime_l with the locale's own
// formats; reading is our own small parser that accepts what the formatting writes for the
// numeric short-date formats plus the common separators.
#include "library/language/date_text.h"

#include <cmath>
#include <cstdio>
#include <ctime>
#include <vector>

#include "library/language/date_calc.h"
#include "library/language/errors.h"

namespace vortab {

namespace {

std::string Strftime(const std::string& format, const std::tm& tm, const LocaleSettings& s) {
    // %Y always with four digits, so that years below 1000 do not read back as two-digit years.
    std::string expanded;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size()) {
            if (format[i + 1] == 'Y') {
                char year[16];
                std::snprintf(year, sizeof year, "%04d", tm.tm_year + 1900);
                expanded += year;
            } else {
                expanded += format.substr(i, 2);
            }
            ++i;
        } else {
            expanded += format[i];
        }
    }
    char buffer[256];
    const std::size_t n = strftime_l(buffer, sizeof buffer, expanded.c_str(), &tm, HandleOrC(s));
    return LocaleTextTo1252(std::string(buffer, n), s.codeset);
}

std::vector<std::string_view> SplitSpaces(std::string_view text) {
    std::vector<std::string_view> parts;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
        const std::size_t start = i;
        while (i < text.size() && text[i] != ' ' && text[i] != '\t') ++i;
        if (i > start) parts.push_back(text.substr(start, i - start));
    }
    return parts;
}

// Splits on any of the separators; every field must be 1 to `maxDigits` digits.
bool NumericFields(std::string_view text, std::string_view separators, std::size_t maxDigits,
                   std::vector<std::string_view>& fields) {
    fields.clear();
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && separators.find(text[i]) == std::string_view::npos) {
            if (text[i] < '0' || text[i] > '9') return false;
            continue;
        }
        const std::size_t len = i - start;
        if (len == 0 || len > maxDigits) return false;
        fields.push_back(text.substr(start, len));
        start = i + 1;
    }
    return true;
}

int ToInt(std::string_view digits) {
    int v = 0;
    for (char c : digits) v = v * 10 + (c - '0');
    return v;
}

bool ParseDatePart(std::string_view text, const LocaleSettings& s, DateOrder order, double& out) {
    std::string separators = "./-";
    separators += s.dateSeparator;
    std::vector<std::string_view> f;
    if (!NumericFields(text, separators, 4, f) || f.size() != 3) return false;
    std::string_view day, month, year;
    if (f[0].size() > 2 || order == DateOrder::YMD) {
        year = f[0]; month = f[1]; day = f[2];
    } else if (order == DateOrder::DMY) {
        day = f[0]; month = f[1]; year = f[2];
    } else {
        month = f[0]; day = f[1]; year = f[2];
    }
    if (day.size() > 2 || month.size() > 2) return false;
    int y = ToInt(year);
    if (year.size() <= 2) y += y < 30 ? 2000 : 1900;
    return EncodeDate(y, ToInt(month), ToInt(day), out);
}

bool IsMeridian(std::string_view word, const char* which) {
    if (word.size() != 2) return false;
    return (word[0] == which[0] || word[0] == which[0] + 32) && (word[1] == 'M' || word[1] == 'm');
}

bool ParseTimePart(std::string_view text, std::string_view meridian, double& out) {
    std::vector<std::string_view> f;
    if (!NumericFields(text, ":", 2, f) || f.size() < 2 || f.size() > 3) return false;
    int hour = ToInt(f[0]);
    if (!meridian.empty()) {
        const bool pm = IsMeridian(meridian, "P");
        if (!pm && !IsMeridian(meridian, "A")) return false;
        if (hour < 1 || hour > 12) return false;
        hour = hour % 12 + (pm ? 12 : 0);
    }
    return EncodeTime(hour, ToInt(f[1]), f.size() == 3 ? ToInt(f[2]) : 0, 0, out);
}

}  // namespace

std::string FormatDateValue(double date, const LocaleSettings& s) {
    if (!std::isfinite(date)) throw EVariantError();
    const double day = std::trunc(date);
    if (day < kMinDateDay || day > kMaxDateDay) throw EVariantError();
    const CivilDate d = DecodeDate(date);
    const CivilTime t = DecodeTime(date);
    double jan1 = 0;
    EncodeDate(d.year, 1, 1, jan1);
    std::tm tm{};
    tm.tm_year = d.year - 1900;
    tm.tm_mon = d.month - 1;
    tm.tm_mday = d.day;
    tm.tm_wday = DayOfWeek(date) - 1;
    tm.tm_yday = static_cast<int>(day - jan1);
    tm.tm_hour = t.hour;
    tm.tm_min = t.minute;
    tm.tm_sec = t.second;
    if (day == 0) return Strftime(s.timeFormat, tm, s);
    std::string out = Strftime(s.dateFormat, tm, s);
    if (date != day) out += " " + Strftime(s.timeFormat, tm, s);
    return out;
}

bool ParseDateText(std::string_view text, const LocaleSettings& s, DateOrder order,
                   double& out) {
    const std::vector<std::string_view> parts = SplitSpaces(text);
    if (parts.empty() || parts.size() > 3) return false;
    std::size_t next = 0;
    double day = 0, time = 0;
    if (parts[0].find(':') == std::string_view::npos) {
        if (!ParseDatePart(parts[0], s, order, day)) return false;
        next = 1;
    }
    if (next < parts.size()) {
        const std::string_view meridian = next + 1 < parts.size() ? parts[next + 1] : "";
        if (next + 2 < parts.size() || !ParseTimePart(parts[next], meridian, time)) return false;
    }
    // Before day 0 the time still counts forward from midnight, away from zero.
    out = day < 0 ? day - time : day + time;
    return true;
}

}  // namespace vortab
