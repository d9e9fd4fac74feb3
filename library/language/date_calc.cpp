// Proleptic Gregorian calendar on date values (day 0 = 30 December 1899, the OLE date): the
// day part is the value truncated toward zero, the time of day its fraction taken as positive.
#include "library/language/date_calc.h"

#include <cmath>
#include <ctime>

namespace vortab {

namespace {

// Days between 1970-01-01 and 1899-12-30.
constexpr long kUnixToDate = 25569;

// Days since 1970-01-01 of a civil date (H. Hinnant's algorithm).
long DaysFromCivil(long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long>(doe) - 719468;
}

CivilDate CivilFromDays(long z) {
    z += 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    CivilDate c;
    c.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    c.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    c.year = static_cast<int>(static_cast<long>(yoe) + era * 400 + (c.month <= 2));
    return c;
}

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

}  // namespace

bool EncodeDate(int year, int month, int day, double& out) {
    if (year < 1 || year > 9999 || month < 1 || month > 12) return false;
    if (day < 1 || day > DaysInMonth(year, month)) return false;
    out = static_cast<double>(DaysFromCivil(year, static_cast<unsigned>(month),
                                            static_cast<unsigned>(day)) + kUnixToDate);
    return true;
}

bool EncodeTime(int hour, int minute, int second, int millisecond, double& out) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 ||
        millisecond < 0 || millisecond > 999)
        return false;
    out = ((hour * 60.0 + minute) * 60.0 + second + millisecond / 1000.0) / 86400.0;
    return true;
}

CivilDate DecodeDate(double date) {
    if (!std::isfinite(date)) return {};
    const double day = std::trunc(date);
    if (day < kMinDateDay || day > kMaxDateDay) return {};
    return CivilFromDays(static_cast<long>(day) - kUnixToDate);
}

int DayOfWeek(double date) {
    if (!std::isfinite(date)) return 0;
    double r = std::fmod(std::trunc(date), 7.0);
    if (r < 0) r += 7;
    // Day 0 was a Saturday.
    return (static_cast<int>(r) + 6) % 7 + 1;
}

CivilTime DecodeTime(double date) {
    if (!std::isfinite(date)) return {};
    const double fraction = std::fabs(date - std::trunc(date));
    long long ms = std::llround(fraction * 86400000.0);
    if (ms >= 86400000) ms = 86399999;
    CivilTime t;
    t.hour = static_cast<int>(ms / 3600000);
    t.minute = static_cast<int>(ms / 60000 % 60);
    t.second = static_cast<int>(ms / 1000 % 60);
    t.millisecond = static_cast<int>(ms % 1000);
    return t;
}

double Today() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    double out = 0;
    EncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, out);
    return out;
}

}  // namespace vortab
