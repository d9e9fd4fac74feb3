// Locale settings and Windows-1252 text: date order from strftime formats, codeset conversion,
// UTF-8 round trips, the pinned date order, collation, and (where installed) real locales.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "library/language/date_text.h"
#include "library/language/locale_settings.h"
#include "library/language/number_format.h"
#include "shared/text/cp1252.h"

namespace vortab {
namespace {

// The process locale is pinned before anything reads it.
const bool kPinned = setenv("LC_ALL", "C", 1) == 0;

TEST(LocaleSettings, DateOrderFromFormat) {
    const struct {
        const char* format;
        DateOrder order;
    } cases[] = {
        {"%d.%m.%Y", DateOrder::DMY}, {"%m/%d/%y", DateOrder::MDY}, {"%Y-%m-%d", DateOrder::YMD},
        {"%D", DateOrder::MDY},       {"%F", DateOrder::YMD},       {"%e/%m/%Y", DateOrder::DMY},
        {"%d %b %Y", DateOrder::DMY}, {"%Y\xE5\xB9\xB4%m\xE6\x9C\x88%d\xE6\x97\xA5", DateOrder::YMD},
        {"%Od/%Om/%Ey", DateOrder::DMY}, {"%y.%d.%m", DateOrder::YMD}, {"", DateOrder::MDY},
        {"%d.%m.", DateOrder::MDY},   // incomplete formats fall back
    };
    for (const auto& c : cases) EXPECT_EQ(DateOrderFromFormat(c.format), c.order) << c.format;
}

TEST(LocaleSettings, CodesetTextToWindows1252) {
    const struct {
        const char* text;
        const char* codeset;
        const char* expected;
    } cases[] = {
        {"M\xC3\xA4rz", "UTF-8", "M\xE4rz"},
        {"\xE2\x82\xAC", "utf8", "\x80"},
        {"1\xE2\x80\xAF" "000", "UTF-8", "1\xA0" "000"},  // narrow no-break space
        {"\xE4\xB8\x80", "UTF-8", "?"},
        {"M\xE4rz", "ISO-8859-1", "M\xE4rz"},
        {"\x85", "ISO-8859-1", "?"},
        {"\x80", "CP1252", "\x80"},
        {"plain", "ANSI_X3.4-1968", "plain"},
        {"\xE4", "ISO-8859-15", "\xE4"},
        {"\xA4", "ISO-8859-15", "\x80"},  // the euro sign of Latin-9
        {"\xC1", "KOI8-R", "?"},
        {"x\xFFy", "NO-SUCH-CODESET", "x?y"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LocaleTextTo1252(c.text, c.codeset), c.expected) << c.text << " " << c.codeset;
}

TEST(Text1252, EveryByteSurvivesUtf8) {
    std::string all;
    for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
    const std::string utf8 = Cp1252ToUtf8(all);
    EXPECT_EQ(Utf8ToCp1252(utf8), all);
    EXPECT_EQ(Cp1252ToUtf8("\x80\xE4\x9F"), "\xE2\x82\xAC\xC3\xA4\xC5\xB8");
}

TEST(Text1252, MalformedUtf8BecomesQuestionMarks) {
    const struct {
        std::string utf8;
        std::string expected;
    } cases[] = {
        {"a\xC3", "a?"},               // truncated at the end
        {"\xE2\x82", "??"},
        {"\xC3\x28", "?("},            // bad continuation
        {"\xC0\xAF", "??"},            // overlong
        {"\xED\xA0\x80", "???"},       // surrogate
        {"\xF4\x90\x80\x80", "????"},  // beyond U+10FFFF
        {"\xF0\x9F\x98\x80", "?"},     // valid, not in Windows-1252
        {"\xFF", "?"},
    };
    for (const auto& c : cases) EXPECT_EQ(Utf8ToCp1252(c.utf8), c.expected);
}

TEST(LocaleSettings, PinnedDateOrderIsReadOnEveryCall) {
    const struct {
        const char* value;
        DateOrder order;
    } cases[] = {{"DMY", DateOrder::DMY}, {"ymd", DateOrder::YMD}, {"MDY", DateOrder::MDY}};
    for (const auto& c : cases) {
        setenv("VORTAB_DATE_ORDER", c.value, 1);
        EXPECT_EQ(CurrentDateOrder(), c.order) << c.value;
    }
    setenv("VORTAB_DATE_ORDER", "XYZ", 1);
    EXPECT_EQ(CurrentDateOrder(), Locale().dateOrder);
    unsetenv("VORTAB_DATE_ORDER");
    EXPECT_EQ(CurrentDateOrder(), Locale().dateOrder);
}

TEST(LocaleSettings, CLocale) {
    ASSERT_TRUE(kPinned);
    const LocaleSettings& s = Locale();
    EXPECT_NE(s.handle, nullptr);
    EXPECT_EQ(s.dateOrder, DateOrder::MDY);
    EXPECT_EQ(s.decimalSeparator, ".");
    EXPECT_EQ(s.thousandsSeparator, "");
    EXPECT_EQ(s.dateFormat, "%m/%d/%Y");
    EXPECT_EQ(s.dateSeparator, "/");
    EXPECT_EQ(s.monthNames[0], "January");
    EXPECT_EQ(s.monthNames[11], "December");
    EXPECT_EQ(s.dayNames[0], "Sunday");
    EXPECT_EQ(s.dayNames[6], "Saturday");
}

TEST(LocaleSettings, CollationIsCaseSensitiveAndEqualOnlyWhenIdentical) {
    EXPECT_LT(CollateCompare("A", "B"), 0);
    EXPECT_GT(CollateCompare("B", "A"), 0);
    EXPECT_NE(CollateCompare("a", "A"), 0);
    EXPECT_EQ(CollateCompare("ABC", "ABC"), 0);
    EXPECT_EQ(CollateCompare("", ""), 0);
    EXPECT_LT(CollateCompare("", "A"), 0);
    EXPECT_LT(CollateCompare("AB", "ABC"), 0);
    EXPECT_EQ(CollateCompare("\xE4", "\xE4"), 0);
    EXPECT_NE(CollateCompare(std::string("A\0B", 3), std::string("A\0C", 3)), 0);
    EXPECT_EQ(CollateCompare("X", "Y"), -CollateCompare("Y", "X"));
}

// A real locale when the machine has it; the test is skipped otherwise.
struct RealLocale {
    explicit RealLocale(const char* name) : handle(newlocale(LC_ALL_MASK, name, nullptr)) {}
    ~RealLocale() {
        if (handle) freelocale(handle);
    }
    locale_t handle;
};

TEST(LocaleSettings, GermanLocale) {
    RealLocale de("de_DE.UTF-8");
    if (!de.handle) GTEST_SKIP() << "locale de_DE.UTF-8 is not installed";
    const LocaleSettings s = SettingsFromLocale(de.handle);
    EXPECT_EQ(s.dateOrder, DateOrder::DMY);
    EXPECT_EQ(s.decimalSeparator, ",");
    EXPECT_EQ(s.thousandsSeparator, ".");
    EXPECT_EQ(s.dateSeparator, ".");
    EXPECT_EQ(s.monthNames[2], "M\xE4rz");
    EXPECT_EQ(s.dayNames[0], "Sonntag");
    EXPECT_EQ(FormatDateValue(36525, s), "31.12.1999");
    EXPECT_EQ(FormatDateValue(36525.5, s), "31.12.1999 12:00:00");
    EXPECT_EQ(FormatStr(1234.5, 10, 2, s), "  1.234,50");
    double out = 0;
    ASSERT_TRUE(ParseDateText("31.12.1999 12:00", s, s.dateOrder, out));
    EXPECT_EQ(out, 36525.5);
    const std::string money = FormatNum(3, 2, 1234.5, s);
    EXPECT_NE(money.find("1.234,50"), std::string::npos) << money;
    EXPECT_NE(money.find('\x80'), std::string::npos) << money;  // the euro sign in Windows-1252
}

TEST(LocaleSettings, UsLocale) {
    RealLocale us("en_US.UTF-8");
    if (!us.handle) GTEST_SKIP() << "locale en_US.UTF-8 is not installed";
    const LocaleSettings s = SettingsFromLocale(us.handle);
    EXPECT_EQ(s.dateOrder, DateOrder::MDY);
    EXPECT_EQ(s.decimalSeparator, ".");
    EXPECT_EQ(s.thousandsSeparator, ",");
    EXPECT_EQ(FormatDateValue(36525, s), "12/31/1999");
    EXPECT_EQ(FormatNum(3, 2, 1234.5, s), "$1,234.50");
    // What the time of day formats to reads back.
    double out = 0;
    ASSERT_TRUE(ParseDateText(FormatDateValue(36525.75, s), s, s.dateOrder, out));
    EXPECT_EQ(out, 36525.75);
}

}  // namespace
}  // namespace vortab
