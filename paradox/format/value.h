// Value: one field value as the engine reads and writes it (null, integer, float, logical,
// date, time, timestamp, text, bytes, BCD text). Conversions between kinds are the caller's
// business; the engine checks that a value's kind fits the field it is written to.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace paradox {

enum class ValueKind : uint8_t {
    Null,
    Integer,    // Short, Long, Autoincrement
    Float,      // Number, Money
    Bool,       // Logical
    Date,       // days, 1 = 0001-01-01 (proleptic Gregorian)
    Time,       // milliseconds since midnight
    Timestamp,  // milliseconds since 0001-01-01 00:00 minus one day, as Paradox stores it
    Text,       // Alpha, Memo, formatted memo: bytes in the table's code page
    Bytes,      // Bytes, BLOB, OLE, Graphic
    Bcd,        // decimal text: optional '-', digits, optional '.' and digits
};

// A value where it lies: the kinds of Value, its text a view of bytes owned elsewhere (a record
// in the reader's buffer). Reading through views copies nothing per field.
struct ValueView {
    ValueKind kind = ValueKind::Null;
    int64_t integer = 0;     // Integer, Bool, Date, Time
    double number = 0.0;     // Float, Timestamp
    std::string_view bytes;  // Text, Bytes, Bcd
};

class Value {
public:
    Value() = default;  // null
    explicit Value(const ValueView& v) : kind_(v.kind), int_(v.integer), float_(v.number), str_(v.bytes) {}

    static Value null() { return {}; }
    static Value integer(int64_t v) { return Value(ValueKind::Integer, v, 0.0); }
    static Value number(double v) { return Value(ValueKind::Float, 0, v); }
    static Value boolean(bool v) { return Value(ValueKind::Bool, v ? 1 : 0, 0.0); }
    static Value date(int32_t days) { return Value(ValueKind::Date, days, 0.0); }
    static Value time(int32_t ms) { return Value(ValueKind::Time, ms, 0.0); }
    static Value timestamp(double ms) { return Value(ValueKind::Timestamp, 0, ms); }
    static Value text(std::string_view s) { return Value(ValueKind::Text, s); }
    static Value bytes(std::string_view s) { return Value(ValueKind::Bytes, s); }
    static Value bcd(std::string_view s) { return Value(ValueKind::Bcd, s); }

    ValueKind kind() const { return kind_; }
    bool isNull() const { return kind_ == ValueKind::Null; }
    int64_t asInt() const { return int_; }            // Integer, Bool, Date, Time
    double asDouble() const { return float_; }        // Float, Timestamp
    bool asBool() const { return int_ != 0; }
    const std::string& asString() const { return str_; }  // Text, Bytes, Bcd
    ValueView view() const { return {kind_, int_, float_, str_}; }

    bool operator==(const Value& o) const = default;

private:
    // Numbers and texts are built in place: values are made per field of every record read.
    Value(ValueKind k, int64_t i, double f) : kind_(k), int_(i), float_(f) {}
    Value(ValueKind k, std::string_view s) : kind_(k), str_(s) {}

    ValueKind kind_ = ValueKind::Null;
    int64_t int_ = 0;
    double float_ = 0.0;
    std::string str_;
};

// Calendar helpers for Date values (day 1 = 0001-01-01).
int32_t DaysFromCivil(int year, unsigned month, unsigned day);
void CivilFromDays(int32_t days, int& year, unsigned& month, unsigned& day);

// Readable form for diagnostics and tests: "null", "42", "1.5", "true", "2020-02-01",
// "01:00:01.000", "2020-02-01 01:00:01.000", the text itself, hex for bytes.
std::string ToDisplayString(const Value& v);

}  // namespace paradox
