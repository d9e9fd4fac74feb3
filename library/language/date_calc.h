// Calendar arithmetic on date values: days since 30 December 1899, the fraction being the time
// of day (for negative values the fraction still counts forward from midnight of the day).
#pragma once

namespace vortab {

struct CivilDate {
    int year = 0, month = 0, day = 0;
};

// False when the date is impossible (year outside 1..9999, month outside 1..12, day outside
// the month).
bool EncodeDate(int year, int month, int day, double& out);
// False when hour > 23, minute > 59, second > 59 or millisecond > 999 (or any is negative).
bool EncodeTime(int hour, int minute, int second, int millisecond, double& out);
// Year, month and day of a date value; all 0 for a date before the year 1 or out of range.
CivilDate DecodeDate(double date);
// 1 for Sunday through 7 for Saturday (0 for a value that is not finite).
int DayOfWeek(double date);

struct CivilTime {
    int hour = 0, minute = 0, second = 0, millisecond = 0;
};
// Time of day of a date value: its fraction (taken as positive), to the nearest millisecond.
CivilTime DecodeTime(double date);

// Day numbers of the first and the last date the calendar functions accept (1-1-1, 31-12-9999).
inline constexpr double kMinDateDay = -693593;
inline constexpr double kMaxDateDay = 2958465;

// The current local date at midnight.
double Today();

}  // namespace vortab
