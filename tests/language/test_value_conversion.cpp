// Conversions between value kinds under the "C" locale (pinned before anything reads it):
// what converts, what fails with the variant error, and text forms that read back.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>

#include "library/language/errors.h"
#include "library/language/value.h"

namespace vortab {
namespace {

const bool kPinned = setenv("LC_ALL", "C", 1) == 0;

class ValueConversion : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(kPinned);
        setenv("VORTAB_DATE_ORDER", "MDY", 1);
    }
    void TearDown() override { unsetenv("VORTAB_DATE_ORDER"); }
};

TEST_F(ValueConversion, ToNumberBooleanAndText) {
    using V = Value;
    const struct {
        Value value;
        double number;
        bool boolean;
        const char* text;
    } cases[] = {
        {V(), 0, false, ""},
        {V::Number(2.5), 2.5, true, "2.5"}, {V::Number(-0.5), -0.5, true, "-0.5"},
        {V::Number(0), 0, false, "0"}, {V::Number(1e20), 1e20, true, "1E+20"},
        {V::Number(1.0 / 3), 1.0 / 3, true, "0.333333333333333"},
        {V::Date(1), 1, true, "12/31/1899"}, {V::Date(0), 0, false, "00:00:00"},
        {V::Boolean(true), -1, true, "True"}, {V::Boolean(false), 0, false, "False"},
        {V::Text("12.5"), 12.5, true, "12.5"}, {V::Text(" -7 "), -7, true, " -7 "},
        {V::Text("1E3"), 1000, true, "1E3"}, {V::Text("0"), 0, false, "0"},
        {V::Text("0.001"), 0.001, true, "0.001"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.value.toNumber(), c.number) << c.text;
        EXPECT_EQ(c.value.toBoolean(), c.boolean) << c.text;
        EXPECT_EQ(c.value.toText(), c.text);
        if (c.value.kind() != ValueKind::Text) {
            EXPECT_EQ(c.value.toDate(), c.number) << c.text;
        }
    }
    for (const char* word : {"TRUE", "true", " True "}) EXPECT_TRUE(V::Text(word).toBoolean()) << word;
    EXPECT_FALSE(V::Text("false").toBoolean());
}

TEST_F(ValueConversion, ToTextOfDates) {
    const struct {
        double date;
        const char* text;
    } cases[] = {
        {36525, "12/31/1999"}, {36525.5, "12/31/1999 12:00:00"},
        {0.25, "06:00:00"}, {-0.5, "12:00:00"},  // day part 0: the time alone
        {-1.25, "12/29/1899 06:00:00"},           // before day 0 the time still runs forward
        {-693593, "01/01/0001"}, {2958465.999, "12/31/9999 23:58:33"},
    };
    for (const auto& c : cases) EXPECT_EQ(Value::Date(c.date).toText(), c.text) << c.date;
}

TEST_F(ValueConversion, TextToDate) {
    const struct {
        const char* order;
        const char* text;
        double date;
    } cases[] = {
        {"MDY", "12/31/1999", 36525}, {"DMY", "31.12.1999", 36525}, {"DMY", "31-12-1999", 36525},
        {"YMD", "1999/12/31", 36525},
        {"MDY", "1999-12-31", 36525},  // a four-digit first field is always the year
        {"DMY", "1.1.00", 36526},      // two-digit years: 00..29 -> 2000s
        {"DMY", "1.1.30", 10959},      // 30..99 -> 1900s
        {"DMY", "31.12.1999 12:00", 36525.5}, {"MDY", "12/31/1999 06:00:00 PM", 36525.75},
        {"MDY", "12:00", 0.5}, {"MDY", "12:00 AM", 0}, {"DMY", "29.12.1899 06:00", -1.25},
        {"DMY", "  31.12.1999  ", 36525},
    };
    for (const auto& c : cases) {
        setenv("VORTAB_DATE_ORDER", c.order, 1);
        EXPECT_EQ(Value::Text(c.text).toDate(), c.date) << c.order << " " << c.text;
    }
}

TEST_F(ValueConversion, DateTextsReadBack) {
    for (double d : {36525.0, 36525.5, 0.25, -1.25, 1.0, 45000.125, -693593.0, 2958465.0}) {
        const std::string text = Value::Date(d).toText();
        EXPECT_EQ(Value::Text(text).toDate(), d) << text;
    }
}

// Each of these must fail with the variant error, never with another failure or a value.
TEST_F(ValueConversion, ImpossibleConversionsRaiseTheVariantError) {
    const Value null = Value::Null();
    EXPECT_THROW(null.toNumber(), EVariantError);
    EXPECT_THROW(null.toDate(), EVariantError);
    EXPECT_THROW(null.toBoolean(), EVariantError);
    EXPECT_THROW(null.toText(), EVariantError);

    for (const char* text : {"", "abc", "12abc", "1,5", "yes", "TRUEX"}) {
        EXPECT_THROW(Value::Text(text).toNumber(), EVariantError) << text;
        EXPECT_THROW(Value::Text(text).toBoolean(), EVariantError) << text;
    }
    for (const char* text : {"", "abc", "31.02.2000", "13/31/1999", "12/31/1999 25:00", "12:61",
                             "1/2", "1/2/3/4", "12/31/1999 12:00 XM", "12/31/99999", "12345"}) {
        setenv("VORTAB_DATE_ORDER", "MDY", 1);
        EXPECT_THROW(Value::Text(text).toDate(), EVariantError) << text;
    }
    // Dates outside 1-1-1 .. 31-12-9999 have no text.
    EXPECT_THROW(Value::Date(2958466).toText(), EVariantError);
    EXPECT_THROW(Value::Date(-693594).toText(), EVariantError);
    EXPECT_THROW(Value::Date(1e300).toText(), EVariantError);
}

TEST_F(ValueConversion, NonFiniteNumbersNeverComeOut) {
    for (double bad : {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                       std::numeric_limits<double>::quiet_NaN()}) {
        EXPECT_THROW(Value::Number(bad).toNumber(), EVariantError);
        EXPECT_THROW(Value::Number(bad).toBoolean(), EVariantError);
        EXPECT_THROW(Value::Number(bad).toText(), EVariantError);
        EXPECT_THROW(Value::Date(bad).toDate(), EVariantError);
        EXPECT_THROW(Value::Date(bad).toText(), EVariantError);
    }
    EXPECT_THROW(Value::Text("1e999").toNumber(), EVariantError);
}

// Random texts built from the characters the readers care about: every conversion either gives
// a finite value or raises the variant error, nothing else.
TEST_F(ValueConversion, RandomTextsConvertOrFailCleanly) {
    const std::string alphabet = "0123456789 .,:/-+eEaApPmM\xE4\xFF\x80\t";
    std::uint32_t seed = 12345;
    const auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        const std::size_t length = next() % 24;
        for (std::size_t i = 0; i < length; ++i) text += alphabet[(next() >> 8) % alphabet.size()];
        const Value v = Value::Text(text);
        try {
            EXPECT_TRUE(std::isfinite(v.toNumber())) << text;
        } catch (const EVariantError&) {
        }
        try {
            const double d = v.toDate();
            EXPECT_TRUE(d >= -693594 && d <= 2958466) << text;
        } catch (const EVariantError&) {
        }
        try {
            v.toBoolean();
        } catch (const EVariantError&) {
        }
    }
}

}  // namespace
}  // namespace vortab
