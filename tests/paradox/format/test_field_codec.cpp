// Record encodings of single fields, checked against byte patterns of real Paradox files.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "paradox/format/field_codec.h"
#include "paradox/storage/engine_error.h"

using namespace paradox;

namespace {
// size: the header's size byte (length, or decimals for BCD); -1 for the type's fixed size.
Field MakeField(PxType t, int size = -1) {
    Field f;
    f.name = "F";
    f.type = t;
    f.sizeByte = static_cast<uint8_t>(size >= 0 ? size : FieldWidth(t, 0));
    f.width = FieldWidth(t, f.sizeByte);
    return f;
}
std::vector<uint8_t> Encode(const Field& f, const Value& v) {
    std::vector<uint8_t> rec(f.width, 0xEE);
    EncodeField(f, v, rec.data());
    return rec;
}
}  // namespace

TEST(FieldCodec, EncodesLikeParadox) {
    struct Case {
        const char* what;
        Field field;
        Value value;
        std::vector<uint8_t> bytes;
    };
    const std::vector<Case> cases = {
        {"short 1", MakeField(PxType::Short), Value::integer(1), {0x80, 0x01}},
        {"short -1", MakeField(PxType::Short), Value::integer(-1), {0x7F, 0xFF}},
        {"short 0", MakeField(PxType::Short), Value::integer(0), {0x80, 0x00}},
        {"long 1", MakeField(PxType::Long), Value::integer(1), {0x80, 0x00, 0x00, 0x01}},
        {"autoinc 5", MakeField(PxType::AutoInc), Value::integer(5), {0x80, 0x00, 0x00, 0x05}},
        {"number 1.0", MakeField(PxType::Number), Value::number(1.0), {0xBF, 0xF0, 0, 0, 0, 0, 0, 0}},
        {"number 2.0", MakeField(PxType::Number), Value::number(2.0), {0xC0, 0, 0, 0, 0, 0, 0, 0}},
        {"number 0.0", MakeField(PxType::Number), Value::number(0.0), {0x80, 0, 0, 0, 0, 0, 0, 0}},
        {"number -1.0", MakeField(PxType::Number), Value::number(-1.0), {0x40, 0x0F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
        {"date 2018-01-01", MakeField(PxType::Date), Value::date(736695), {0x80, 0x0B, 0x3D, 0xB7}},
        {"logical true", MakeField(PxType::Logical), Value::boolean(true), {0x81}},
        {"logical false", MakeField(PxType::Logical), Value::boolean(false), {0x80}},
        {"null long", MakeField(PxType::Long), Value::null(), {0, 0, 0, 0}},
        {"alpha", MakeField(PxType::Alpha, 4), Value::text("ab"), {'a', 'b', 0, 0}},
        {"bcd 1.23", MakeField(PxType::Bcd, 2), Value::bcd("1.23"),
         {0xC2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x01, 0x23}},
        {"bcd -1.23", MakeField(PxType::Bcd, 2), Value::bcd("-1.23"),
         {0x42, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0xDC}},
        {"bcd -1", MakeField(PxType::Bcd, 0), Value::bcd("-1"),
         {0x40, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Encode(c.field, c.value), c.bytes) << c.what;
        EXPECT_EQ(DecodeField(c.field, c.bytes.data()), c.value) << c.what;
    }
}

TEST(FieldCodec, RoundTripsAndOrdersNumbers) {
    const Field n = MakeField(PxType::Number);
    const double values[] = {-1e300, -2.5, -1e-300, 0.0, 1e-300, 3.25, 1e300};
    std::vector<uint8_t> prev;
    for (double d : values) {
        auto b = Encode(n, Value::number(d));
        EXPECT_EQ(DecodeField(n, b.data()).asDouble(), d);
        if (!prev.empty()) {
            EXPECT_LT(std::memcmp(prev.data(), b.data(), 8), 0) << d;
        }
        prev = b;
    }
    const Field s = MakeField(PxType::Long);
    EXPECT_LT(Encode(s, Value::integer(-5)), Encode(s, Value::integer(3)));
}

TEST(FieldCodec, RejectsValuesThatDoNotFit) {
    struct Case {
        Field field;
        Value value;
        int code;
    };
    const std::vector<Case> cases = {
        {MakeField(PxType::Short), Value::integer(32768), 9985},
        {MakeField(PxType::Short), Value::integer(-32768), 9985},  // would read as blank
        {MakeField(PxType::Long), Value::integer(int64_t(1) << 31), 9985},
        {MakeField(PxType::Alpha, 3), Value::text("abcd"), 9985},
        {MakeField(PxType::Date), Value::integer(5), 9986},
        {MakeField(PxType::Logical), Value::text("yes"), 9986},
        {MakeField(PxType::Time), Value::time(86400000), 9985},
        {MakeField(PxType::Bcd, 2), Value::bcd("12x"), 9986},
        {MakeField(PxType::Bcd, 30), Value::bcd("1234"), 9985},
        {MakeField(PxType::Number), Value::number(std::numeric_limits<double>::infinity()), 9985},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> rec(c.field.width);
        try {
            EncodeField(c.field, c.value, rec.data());
            ADD_FAILURE() << "accepted " << ToDisplayString(c.value);
        } catch (const EngineError& e) {
            EXPECT_EQ(e.code(), c.code) << ToDisplayString(c.value);
        }
    }
}

TEST(FieldCodec, BcdTextForms) {
    struct Case {
        const char* in;
        int decimals;
        const char* out;
    };
    const Case cases[] = {
        {"0", 2, "0.00"},   {"-0.001", 2, "0.00"},  {"1.005", 2, "1.01"}, {"-1.005", 2, "-1.01"},
        {"99.999", 2, "100.00"}, {"+7", 0, "7"}, {"12,5", 1, "12.5"}, {"0.5", 32, "0.50000000000000000000000000000000"},
    };
    for (const auto& c : cases) {
        uint8_t b[17];
        EncodeBcd(c.in, c.decimals, b);
        EXPECT_EQ(DecodeBcd(b), c.out) << c.in;
    }
    // Nibbles that are no decimal digit end the significant digits.
    uint8_t odd[17] = {0xC4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x01, 0x2B};
    EXPECT_EQ(DecodeBcd(odd), "0.0120");
}

TEST(Dates, CivilConversionMatchesParadoxDayNumbers) {
    EXPECT_EQ(DaysFromCivil(1, 1, 1), 1);
    EXPECT_EQ(DaysFromCivil(2018, 1, 1), 736695);
    EXPECT_EQ(DaysFromCivil(1899, 12, 30), 693594);
    int y;
    unsigned m, d;
    for (int32_t days : {1, 59, 60, 693594, 736695, 3652059}) {
        CivilFromDays(days, y, m, d);
        EXPECT_EQ(DaysFromCivil(y, m, d), days);
    }
}
