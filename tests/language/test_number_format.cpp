// Number <-> text with pinned separators: the general form of conversions, STR and NUM$, and
// reading numbers. The settings carry no locale handle, so the money style uses "C".
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "library/language/errors.h"
#include "library/language/number_format.h"

namespace vortab {
namespace {

LocaleSettings Pinned(const char* decimal, const char* thousands) {
    LocaleSettings s;
    s.decimalSeparator = decimal;
    s.thousandsSeparator = thousands;
    return s;
}

const LocaleSettings kUs = Pinned(".", ",");
const LocaleSettings kDe = Pinned(",", ".");

TEST(NumberFormat, GeneralForm) {
    const struct {
        double value;
        const char* us;
        const char* de;
    } cases[] = {
        {0, "0", "0"},
        {-0.0, "0", "0"},
        {1.5, "1.5", "1,5"},
        {-1.5, "-1.5", "-1,5"},
        {100, "100", "100"},
        {0.1 + 0.2, "0.3", "0,3"},
        {1.0 / 3, "0.333333333333333", "0,333333333333333"},
        {123456789012345, "123456789012345", "123456789012345"},
        {1e15, "1E+15", "1E+15"},
        {1e20, "1E+20", "1E+20"},
        {-2.5e-7, "-2.5E-07", "-2,5E-07"},
        {0.0001, "0.0001", "0,0001"},
        {1.7976931348623157e308, "1.79769313486232E+308", "1,79769313486232E+308"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatGeneral(c.value, kUs), c.us) << c.value;
        EXPECT_EQ(FormatGeneral(c.value, kDe), c.de) << c.value;
    }
}

TEST(NumberFormat, StrPadsGroupsAndLimitsDigits) {
    const struct {
        double value;
        int width, decimals;
        const char* us;
    } cases[] = {
        {1234.5, 10, 2, "  1,234.50"},
        {1234.5678, 6, 3, "1,234.570"},   // six significant digits, then zeros
        {123.7, 3, 2, "124.00"},
        {0.123456, 3, 5, "0.12300"},
        {123.456, 2, 0, "1.2E+02"},       // more integer digits than the width
        {1234567, 3, 0, "1.23E+06"},
        {999.99, 3, 1, "1E+03"},          // rounding adds an integer digit
        {-1234.5, 0, 1, "-1,234.5"},      // width 0: no digit limit, no padding
        {1e6, 10, 0, " 1,000,000"},
        {-0.001, 5, 2, " 0.00"},          // no sign on a zero
        {0.006, 5, 2, " 0.01"},
        {5, 1, 0, "5"},
        {-5, 4, 0, "  -5"},
        {12.5, 8, -3, "      12"},        // negative decimals count as 0; exact ties to even
        {13.5, 3, 0, " 14"},
        {0.5, 3, 40, "0.500000000000000000"},  // decimals capped at 18
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatStr(c.value, c.width, c.decimals, kUs), c.us)
            << c.value << " " << c.width << " " << c.decimals;
    EXPECT_EQ(FormatStr(1234.5, 10, 2, kDe), "  1.234,50");
    EXPECT_EQ(FormatStr(1234.5, 10, 2, Pinned(".", "")), "   1234.50");
}

TEST(NumberFormat, StrRefusesAHugeWidth) {
    EXPECT_EQ(FormatStr(1, kMaxFormatWidth, 0, kUs).size(), static_cast<std::size_t>(kMaxFormatWidth));
    EXPECT_THROW(FormatStr(1, kMaxFormatWidth + 1, 0, kUs), EInvalidOp);
    EXPECT_THROW(FormatStr(1, 2147483647, 0, kUs), EInvalidOp);
}

TEST(NumberFormat, NumStyles) {
    const struct {
        int style, decimals;
        double value;
        const char* us;
        const char* de;
    } cases[] = {
        {4, 1, 0.125, "12.5%", "12,5%"},
        {4, 0, -0.5, "-50%", "-50%"},
        {0, 2, 1234.567, "1234.57", "1234,57"},
        {0, 0, -3.7, "-4", "-4"},
        {2, 2, 1234.567, "1,234.57", "1.234,57"},
        {2, 0, -1234567, "-1,234,567", "-1.234.567"},
        {1, 2, 1234.567, "1.23E+03", "1,23E+03"},
        {1, 0, 0, "0E+00", "0E+00"},
        {1, 3, -0.000125, "-1.250E-04", "-1,250E-04"},
        {0, 40, 1, "1.000000000000000000", "1,000000000000000000"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatNum(c.style, c.decimals, c.value, kUs), c.us) << c.style << " " << c.value;
        EXPECT_EQ(FormatNum(c.style, c.decimals, c.value, kDe), c.de) << c.style << " " << c.value;
    }
    EXPECT_EQ(FormatNum(3, 2, 1234.5, kUs), "1234.50");  // "C" has no currency symbol
}

TEST(NumberFormat, NumRejectsInvalidFormats) {
    for (int style : {5, -1, 100}) EXPECT_THROW(FormatNum(style, 1, 1, kUs), EExecution) << style;
    EXPECT_THROW(FormatNum(0, -1, 1, kUs), EExecution);
}

TEST(NumberFormat, ParseAcceptsNumbers) {
    const struct {
        const char* text;
        const LocaleSettings* settings;
        double value;
    } cases[] = {
        {"1.5", &kUs, 1.5},   {" -2 ", &kUs, -2},   {"+3", &kUs, 3},
        {"1e3", &kUs, 1000},  {"1E-2", &kUs, 0.01}, {".5", &kUs, 0.5},
        {"5.", &kUs, 5},      {"1,5", &kDe, 1.5},   {"1.5", &kDe, 1.5},
        {"-0", &kUs, 0},      {"1e-400", &kUs, 0},  {"\t42\t", &kUs, 42},
        {"00012", &kUs, 12},  {"1.7976931348623157e308", &kUs, 1.7976931348623157e308},
    };
    for (const auto& c : cases) {
        double out = -99;
        ASSERT_TRUE(ParseNumber(c.text, *c.settings, out)) << c.text;
        EXPECT_EQ(out, c.value) << c.text;
        EXPECT_FALSE(std::signbit(out) && out == 0) << c.text;
    }
}

TEST(NumberFormat, ParseRejectsOtherTexts) {
    const char* cases[] = {"",    " ",    "abc", "1.2.3", "1e",  "e5",   "--1", "1 2",
                           "1e999", "inf", "nan", "0x10", "1,5", "$12",  "+",   ".",
                           "1e+", "12abc", "1,234"};
    for (const char* text : cases) {
        double out = 7;
        EXPECT_FALSE(ParseNumber(text, kUs, out)) << text;
        EXPECT_EQ(out, 7) << text;
    }
    double out = 0;
    EXPECT_FALSE(ParseNumber("1,2,3", kDe, out));
}

TEST(NumberFormat, GeneralFormReadsBack) {
    const double values[] = {1.5, -1234.25, 1e20, 2.5e-7, 0.1, 123456789012345, 3.14159265358979};
    for (const LocaleSettings* s : {&kUs, &kDe}) {
        for (double v : values) {
            double back = 0;
            ASSERT_TRUE(ParseNumber(FormatGeneral(v, *s), *s, back)) << v;
            EXPECT_DOUBLE_EQ(back, v);
        }
    }
}

}  // namespace
}  // namespace vortab
