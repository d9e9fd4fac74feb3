// Calendar arithmetic on date values: known serial numbers, impossible dates, the limits of
// the accepted range, weekdays and the time of day of negative values.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "library/language/date_calc.h"

namespace vortab {
namespace {

struct KnownDate {
    int year, month, day;
    double serial;
};

TEST(DateCalc, KnownDatesEncodeAndDecode) {
    const KnownDate cases[] = {
        {1899, 12, 30, 0},      {1899, 12, 31, 1},        {1900, 1, 1, 2},
        {1900, 3, 1, 61},       {1999, 12, 31, 36525},    {2000, 1, 1, 36526},
        {2000, 2, 29, 36585},   {2000, 3, 1, 36586},      {1, 1, 1, kMinDateDay},
        {9999, 12, 31, kMaxDateDay}, {1600, 2, 29, -109512}, {1800, 3, 1, -36463},
    };
    for (const KnownDate& c : cases) {
        double serial = -1e9;
        ASSERT_TRUE(EncodeDate(c.year, c.month, c.day, serial)) << c.year << "-" << c.month;
        EXPECT_EQ(serial, c.serial) << c.year << "-" << c.month << "-" << c.day;
        const CivilDate back = DecodeDate(c.serial);
        EXPECT_EQ(back.year, c.year);
        EXPECT_EQ(back.month, c.month);
        EXPECT_EQ(back.day, c.day);
    }
}

TEST(DateCalc, ImpossibleDatesAreRejected) {
    const int cases[][3] = {{2000, 2, 30}, {1900, 2, 29}, {2001, 2, 29}, {0, 1, 1},
                            {10000, 1, 1}, {2000, 13, 1}, {2000, 0, 1},  {2000, 1, 0},
                            {2000, 4, 31}, {-5, 1, 1},    {2000, 1, 32}, {2000, -1, 1}};
    for (const auto& c : cases) {
        double out = 123;
        EXPECT_FALSE(EncodeDate(c[0], c[1], c[2], out)) << c[0] << "-" << c[1] << "-" << c[2];
        EXPECT_EQ(out, 123) << "output touched on failure";
    }
}

TEST(DateCalc, EveryDayOfTheRangeRoundTrips) {
    // Also checks that consecutive days decode to consecutive calendar days.
    CivilDate previous = DecodeDate(kMinDateDay);
    for (double d = kMinDateDay + 1; d <= kMaxDateDay; ++d) {
        const CivilDate c = DecodeDate(d);
        double back = 0;
        ASSERT_TRUE(EncodeDate(c.year, c.month, c.day, back)) << d;
        ASSERT_EQ(back, d);
        const bool nextDay = c.year == previous.year && c.month == previous.month && c.day == previous.day + 1;
        const bool nextMonth = c.day == 1 && ((c.month == previous.month + 1 && c.year == previous.year) ||
                                              (c.month == 1 && previous.month == 12 && c.year == previous.year + 1));
        ASSERT_TRUE(nextDay || nextMonth) << d;
        previous = c;
    }
}

TEST(DateCalc, OutOfRangeDecodesToZero) {
    const double cases[] = {kMinDateDay - 1, kMaxDateDay + 1, 1e300, -1e300,
                            std::numeric_limits<double>::infinity(),
                            std::numeric_limits<double>::quiet_NaN()};
    for (double d : cases) {
        const CivilDate c = DecodeDate(d);
        EXPECT_EQ(c.year, 0) << d;
        EXPECT_EQ(c.month, 0) << d;
        EXPECT_EQ(c.day, 0) << d;
    }
    // The fraction does not move a date across the limits.
    EXPECT_EQ(DecodeDate(kMaxDateDay + 0.99).year, 9999);
    EXPECT_EQ(DecodeDate(kMinDateDay - 0.99).year, 1);
}

TEST(DateCalc, DayPartTruncatesTowardZero) {
    EXPECT_EQ(DecodeDate(-0.5).day, 30);   // still 30 December 1899
    EXPECT_EQ(DecodeDate(-1.25).day, 29);  // 29 December 1899, 06:00
    EXPECT_EQ(DecodeDate(36525.99).day, 31);
}

TEST(DateCalc, DayOfWeek) {
    const struct {
        double date;
        int weekday;
    } cases[] = {
        {0, 7},        // Saturday 30 December 1899
        {1, 1},        // Sunday
        {-1, 6},       // Friday
        {-7, 7},       {-8, 6},
        {36526, 7},    // Saturday 1 January 2000
        {36527, 1},    // Sunday 2 January 2000
        {36527.9, 1},  {kMinDateDay, 2},  // Monday 1 January 1
        {kMaxDateDay, 6},                 // Friday 31 December 9999
    };
    for (const auto& c : cases) EXPECT_EQ(DayOfWeek(c.date), c.weekday) << c.date;
    EXPECT_EQ(DayOfWeek(std::numeric_limits<double>::quiet_NaN()), 0);
}

TEST(DateCalc, EncodeTime) {
    double t = 0;
    ASSERT_TRUE(EncodeTime(12, 0, 0, 0, t));
    EXPECT_EQ(t, 0.5);
    ASSERT_TRUE(EncodeTime(6, 0, 0, 0, t));
    EXPECT_EQ(t, 0.25);
    ASSERT_TRUE(EncodeTime(23, 59, 59, 999, t));
    EXPECT_LT(t, 1.0);
    const int bad[][4] = {{24, 0, 0, 0}, {-1, 0, 0, 0}, {0, 60, 0, 0}, {0, 0, 60, 0},
                          {0, 0, 0, 1000}, {0, -1, 0, 0}, {0, 0, 0, -1}};
    for (const auto& b : bad) EXPECT_FALSE(EncodeTime(b[0], b[1], b[2], b[3], t)) << b[0] << ":" << b[1];
}

TEST(DateCalc, DecodeTime) {
    const struct {
        double date;
        int h, m, s, ms;
    } cases[] = {
        {36525.5, 12, 0, 0, 0}, {-1.25, 6, 0, 0, 0}, {0.75, 18, 0, 0, 0},
        {1 - 0.5 / 86400000.0 / 4, 23, 59, 59, 999},  // rounds up to midnight: kept in the day
        {(3600 + 2 * 60 + 3 + 0.004) / 86400.0, 1, 2, 3, 4},
    };
    for (const auto& c : cases) {
        const CivilTime t = DecodeTime(c.date);
        EXPECT_EQ(t.hour, c.h) << c.date;
        EXPECT_EQ(t.minute, c.m) << c.date;
        EXPECT_EQ(t.second, c.s) << c.date;
        EXPECT_EQ(t.millisecond, c.ms) << c.date;
    }
}

TEST(DateCalc, TodayIsAWholeDayInRange) {
    const double today = Today();
    EXPECT_EQ(today, std::trunc(today));
    EXPECT_GT(today, 45000);  // after 2023
    EXPECT_LE(today, kMaxDateDay);
}

}  // namespace
}  // namespace vortab
