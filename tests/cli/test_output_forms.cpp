// The tool's output forms in isolation: JSON strings and numbers, the writer's commas, base64,
// code-page decoding, CSV quoting, value texts and native validity-check values.
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "cli/base64.h"
#include "cli/check_value.h"
#include "cli/json_writer.h"
#include "cli/value_text.h"
#include "json_check.h"
#include "shared/text/code_pages.h"

namespace vortab::cli {
namespace {

using paradox::api::Value;

TEST(JsonOutput, StringsEscapeWhatJsonRequires) {
    const struct {
        std::string in, out;
    } cases[] = {
        {"plain", "\"plain\""},
        {"a\"b\\c", "\"a\\\"b\\\\c\""},
        {"line\r\nnext\ttab", "\"line\\r\\nnext\\ttab\""},
        {std::string("nul\0x", 5), "\"nul\\u0000x\""},
        {"\x1f\x7f", "\"\\u001f\x7f\""},
        {"\xC3\xA4 \xE2\x82\xAC", "\"\xC3\xA4 \xE2\x82\xAC\""},  // UTF-8 passes through
    };
    for (const auto& c : cases) {
        std::string out;
        AppendJsonString(out, c.in);
        EXPECT_EQ(out, c.out);
        cli_test::JsonParser parser(out);
        auto parsed = parser.parse();
        ASSERT_TRUE(parsed) << parser.error();
        EXPECT_EQ(parsed->text, c.in);
    }
}

TEST(JsonOutput, NumbersAreShortestRoundTrip) {
    const struct {
        double in;
        const char* out;
    } cases[] = {
        {0.0, "0"},       {-0.0, "0"},           {1.0, "1"},           {-40.0, "-40"},
        {0.1, "0.1"},     {1.34, "1.34"},        {13.002, "13.002"},   {1e21, "1e+21"},
        {123456789012345.0, "123456789012345"},  {5e-324, "5e-324"},
        {std::numeric_limits<double>::quiet_NaN(), "null"},
        {std::numeric_limits<double>::infinity(), "null"},
    };
    for (const auto& c : cases) {
        std::string out;
        AppendJsonNumber(out, c.in);
        EXPECT_EQ(out, c.out) << c.in;
    }
    for (double d : {0.1 + 0.2, 1.0 / 3.0, 2.0 / 3.0 * 1e300, 123.456e-200}) {
        std::string out;
        AppendJsonNumber(out, d);
        EXPECT_EQ(std::strtod(out.c_str(), nullptr), d) << out;
    }
}

TEST(JsonOutput, WriterPlacesCommasAndNests) {
    std::string out;
    JsonWriter json(out);
    json.beginObject();
    json.key("a");
    json.beginArray();
    json.integer(1);
    json.null();
    json.boolean(false);
    json.beginObject();
    json.endObject();
    json.beginArray();
    json.endArray();
    json.endArray();
    json.key("b");
    json.string("x");
    json.key("c");
    json.raw("[2]");
    json.endObject();
    EXPECT_EQ(out, "{\"a\":[1,null,false,{},[]],\"b\":\"x\",\"c\":[2]}");
    EXPECT_EQ(json.depth(), 0);
}

TEST(Base64, Rfc4648Vectors) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},         {"f", "Zg=="},         {"fo", "Zm8="},         {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"},
        {std::string("\0\xff\xfe", 3), "AP/+"},
    };
    for (const auto& [in, expected] : cases) {
        std::string out;
        AppendBase64(out, in);
        EXPECT_EQ(out, expected);
    }
}

TEST(CodePage, DecodesEachPageToUtf8) {
    const struct {
        uint16_t page;
        std::string bytes;
        std::string utf8;
    } cases[] = {
        {437, "\x81\x9b\xe1\xc9", "\xC3\xBC\xC2\xA2\xC3\x9F\xE2\x95\x94"},     // ü ¢ ß ╔
        {850, "\x84\x9d\xd1", "\xC3\xA4\xC3\x98\xC3\x90"},                      // ä Ø Ð
        {852, "\xa5\x9f\xe7", "\xC4\x85\xC4\x8D\xC5\xA1"},                      // ą č š
        {866, "\x80\xaf\xe0", "\xD0\x90\xD0\xBF\xD1\x80"},                      // А п р
        {1250, "\xb9\x9a\xe8", "\xC4\x85\xC5\xA1\xC4\x8D"},                     // ą š č
        {1251, "\xc0\xff\xb8", "\xD0\x90\xD1\x8F\xD1\x91"},                     // А я ё
        {1252, "\x80\xe4\x9c", "\xE2\x82\xAC\xC3\xA4\xC5\x93"},                 // € ä œ
        {1252, "\x81", "\xC2\x81"},        // undefined byte keeps its own code point
        {0, "\xe4", "\xC3\xA4"},           // no code page: Windows-1252
        {936, "\xe4", "\xC3\xA4"},         // unsupported page: Windows-1252
        {866, "plain ASCII", "plain ASCII"},
    };
    for (const auto& c : cases) {
        const TextDecoder decoder(c.page);
        EXPECT_EQ(decoder.toUtf8(c.bytes), c.utf8) << "code page " << c.page;
    }
    EXPECT_TRUE(IsKnownCodePage(866));
    EXPECT_FALSE(IsKnownCodePage(936));
    EXPECT_EQ(TextDecoder(936).codePage(), 1252);
}

TEST(CodePage, EveryByteOfEveryPageGivesValidUtf8) {
    std::string all;
    for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
    for (uint16_t page : {437, 737, 850, 852, 857, 861, 862, 865, 866, 1250, 1251, 1252, 1253, 1254, 1257}) {
        ASSERT_TRUE(IsKnownCodePage(page));
        std::string json;
        AppendJsonString(json, TextDecoder(page).toUtf8(all));
        cli_test::JsonParser parser(json);
        ASSERT_TRUE(parser.parse()) << page << ": " << parser.error();
    }
}

TEST(ValueText, CalendarForms) {
    EXPECT_EQ(DateText(paradox::api::DaysFromCivil(1996, 2, 29)), "1996-02-29");
    EXPECT_EQ(DateText(1), "0001-01-01");
    EXPECT_EQ(DateText(0), "0000-12-31");
    EXPECT_EQ(DateText(-366), "-0001-12-31");
    // Every day from before year 1 to past year 9999, against the plain printf form.
    for (std::int32_t days = -800000; days <= 3700000; days += 7) {
        int y = 0;
        unsigned m = 0, d = 0;
        paradox::api::CivilFromDays(days, y, m, d);
        char expected[32];
        std::snprintf(expected, sizeof expected, "%s%04d-%02u-%02u", y < 0 ? "-" : "", y < 0 ? -y : y, m, d);
        ASSERT_EQ(DateText(days), expected) << days;
    }
    EXPECT_EQ(TimeText(0), "00:00:00.000");
    EXPECT_EQ(TimeText(86399999), "23:59:59.999");
    EXPECT_EQ(TimeText(86400000), "");  // beyond a day: not a time
    EXPECT_EQ(TimeText(-1), "");
    const double ms = double(paradox::api::DaysFromCivil(2003, 6, 10)) * 86400000.0 + 11 * 3600000.0 + 11 * 60000 + 11011;
    EXPECT_EQ(TimestampText(ms), "2003-06-10T11:11:11.011");
    EXPECT_EQ(TimestampText(std::numeric_limits<double>::quiet_NaN()), "");
    EXPECT_EQ(TimestampText(-5), "");
    EXPECT_EQ(TimestampText(1e300), "");
}

TEST(ValueText, JsonValuesAndCsvCellsOfEveryKind) {
    const TextDecoder cp1252(1252);
    const struct {
        Value value;
        const char* json;
        const char* csv;
    } cases[] = {
        {Value::null(), "null", ""},
        {Value::integer(-32767), "-32767", "-32767"},
        {Value::number(1.5), "1.5", "1.5"},
        {Value::number(std::numeric_limits<double>::infinity()), "null", ""},
        {Value::boolean(true), "true", "true"},
        {Value::boolean(false), "false", "false"},
        {Value::date(paradox::api::DaysFromCivil(2020, 2, 1)), "\"2020-02-01\"", "2020-02-01"},
        {Value::time(3723004), "\"01:02:03.004\"", "01:02:03.004"},
        {Value::time(-1), "null", ""},
        {Value::bcd("-12.340"), "\"-12.340\"", "-12.340"},
        {Value::text("a,b"), "\"a,b\"", "\"a,b\""},
        {Value::text("say \"hi\""), "\"say \\\"hi\\\"\"", "\"say \"\"hi\"\"\""},
        {Value::text("two\r\nlines"), "\"two\\r\\nlines\"", "\"two\r\nlines\""},
        {Value::text("caf\xe9"), "\"caf\xC3\xA9\"", "caf\xC3\xA9"},
        {Value::text(""), "\"\"", ""},
        {Value::bytes("foo"), "\"Zm9v\"", "Zm9v"},
        {Value::number(-0.0), "0", "0"},
        {Value::date(-366), "\"-0001-12-31\"", "-0001-12-31"},
        {Value::text("plain text"), "\"plain text\"", "plain text"},
        {Value::text("longer text, comma"), "\"longer text, comma\"", "\"longer text, comma\""},
        {Value::text("sixteen, letters"), "\"sixteen, letters\"", "\"sixteen, letters\""},
    };
    std::vector<paradox::api::ValueView> everyKind, plainOnly;
    std::string everyRow, plainRow;
    for (const auto& c : cases) {
        std::string json, csv;
        AppendJsonValue(json, c.value, cp1252);
        AppendCsvCell(csv, c.value, cp1252);
        EXPECT_EQ(json, c.json);
        EXPECT_EQ(csv, c.csv);
        const auto kind = c.value.kind();
        const bool plain = kind == paradox::api::ValueKind::Null || kind == paradox::api::ValueKind::Integer ||
                           kind == paradox::api::ValueKind::Float || kind == paradox::api::ValueKind::Bool ||
                           kind == paradox::api::ValueKind::Date ||
                           (kind == paradox::api::ValueKind::Text && csv == c.value.asString());
        everyRow += (everyKind.empty() ? "" : ",") + csv;
        everyKind.push_back(c.value);
        if (plain) {
            plainRow += (plainOnly.empty() ? "" : ",") + csv;
            plainOnly.push_back(c.value);
        }
    }
    // A row is its cells joined, whether written in one go (all plain) or cell by cell.
    for (const auto& [views, expected] : {std::pair{everyKind, everyRow}, std::pair{plainOnly, plainRow}}) {
        std::string row;
        AppendCsvRow(row, views, cp1252);
        EXPECT_EQ(row, expected + "\r\n");
    }
}

// The word-at-a-time test for plain text against the rule itself: texts of every length up to
// 40 with a special byte (or none) at every place.
TEST(ValueText, CsvCellsOfTextFollowTheQuotingRule) {
    const TextDecoder cp1252(1252);
    for (std::size_t length = 0; length <= 40; ++length)
        for (const char special : {'x', ',', '"', '\r', '\n', '\xe9', '\0'})
            for (std::size_t at = 0; at < std::max<std::size_t>(length, 1); ++at) {
                std::string text(length, 'a');
                if (at < length) text[at] = special;
                std::string expected, csv;
                AppendCsvText(expected, cp1252.toUtf8(text));
                AppendCsvCell(csv, Value::text(text), cp1252);
                ASSERT_EQ(csv, expected) << length << " " << at << " " << int(special);
            }
}

TEST(CheckValue, NativeBuffersByFieldType) {
    auto buffer = [](const void* data, std::size_t n) {
        paradox::api::NativeValue b{};
        std::memcpy(b.data(), data, n);
        return b;
    };
    auto field = [](paradox::api::ParadoxType t, uint8_t size = 0) {
        paradox::api::Field f;
        f.paradoxType = t;
        f.sizeByte = size;
        return f;
    };
    const int16_t s = -5;
    const int32_t l = 70000;
    const double d = 12.25;
    const int16_t yes = 1;
    const struct {
        paradox::api::Field field;
        paradox::api::NativeValue native;
        Value expected;
    } cases[] = {
        {field(paradox::api::ParadoxType::Alpha, 10), buffer("abc", 4), Value::text("abc")},
        {field(paradox::api::ParadoxType::Short), buffer(&s, 2), Value::integer(-5)},
        {field(paradox::api::ParadoxType::Long), buffer(&l, 4), Value::integer(70000)},
        {field(paradox::api::ParadoxType::Date), buffer(&l, 4), Value::date(70000)},
        {field(paradox::api::ParadoxType::Time), buffer(&l, 4), Value::time(70000)},
        {field(paradox::api::ParadoxType::Money), buffer(&d, 8), Value::number(12.25)},
        {field(paradox::api::ParadoxType::Logical), buffer(&yes, 2), Value::boolean(true)},
        {field(paradox::api::ParadoxType::Bytes, 3), buffer("\x01\x02\x03", 3), Value::bytes("\x01\x02\x03")},
    };
    for (const auto& c : cases) EXPECT_EQ(NativeCheckValue(c.field, c.native), c.expected);
}

TEST(CheckValue, BcdDigitsSignAndDecimals) {
    paradox::api::NativeValue raw{};
    raw[0] = 32;
    raw[1] = 0x80 | 2;  // negative, two decimals
    raw[16] = 0x12;     // digits 29,30
    raw[17] = 0x34;     // digits 31,32
    EXPECT_EQ(NativeCheckValue([] { paradox::api::Field f; f.paradoxType = paradox::api::ParadoxType::Bcd; f.sizeByte = 2; return f; }(), raw),
              Value::bcd("-12.34"));
    raw[1] = 0;
    EXPECT_EQ(NativeCheckValue([] { paradox::api::Field f; f.paradoxType = paradox::api::ParadoxType::Bcd; return f; }(), raw),
              Value::bcd("1234"));
    raw[5] = 0xAB;  // not decimal digits: no value
    EXPECT_TRUE(NativeCheckValue([] { paradox::api::Field f; f.paradoxType = paradox::api::ParadoxType::Bcd; return f; }(), raw).isNull());
}

}  // namespace
}  // namespace vortab::cli
