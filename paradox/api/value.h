// Value: one field value as the engine reads and writes it (null, integer, float, logical,
// date, time, timestamp, text, bytes, BCD text), and the calendar of date values. Texts are
// bytes in the table's code page; the caller converts them.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "paradox/api/export.h"

namespace paradox::api {

enum class ValueKind : std::uint8_t {
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

class Value;

// A value seen where it lies: the kinds and accessors of Value, its text a view of bytes owned
// elsewhere (the record under a reader's cursor, or a Value). Reading through views copies
// nothing per field; a view lasts as long as what it looks at.
class ValueView {
public:
    ValueView() = default;  // null
    ValueView(ValueKind k, std::int64_t i, double f, std::string_view s) : kind_(k), int_(i), float_(f), str_(s) {}
    ValueView(const Value& v);  // NOLINT: a Value is read wherever a view is

    ValueKind kind() const { return kind_; }
    bool isNull() const { return kind_ == ValueKind::Null; }
    std::int64_t asInt() const { return int_; }  // Integer, Bool, Date, Time
    double asDouble() const { return float_; }   // Float, Timestamp
    bool asBool() const { return int_ != 0; }
    std::string_view asString() const { return str_; }  // Text, Bytes, Bcd

private:
    ValueKind kind_ = ValueKind::Null;
    std::int64_t int_ = 0;
    double float_ = 0.0;
    std::string_view str_;
};

class Value {
public:
    Value() = default;  // null

    static Value null() { return {}; }
    static Value integer(std::int64_t v) { return Value(ValueKind::Integer, v, 0.0); }
    static Value number(double v) { return Value(ValueKind::Float, 0, v); }
    static Value boolean(bool v) { return Value(ValueKind::Bool, v ? 1 : 0, 0.0); }
    static Value date(std::int32_t days) { return Value(ValueKind::Date, days, 0.0); }
    static Value time(std::int32_t ms) { return Value(ValueKind::Time, ms, 0.0); }
    static Value timestamp(double ms) { return Value(ValueKind::Timestamp, 0, ms); }
    static Value text(std::string_view s) { return Value(ValueKind::Text, s); }
    static Value bytes(std::string_view s) { return Value(ValueKind::Bytes, s); }
    static Value bcd(std::string_view s) { return Value(ValueKind::Bcd, s); }

    ValueKind kind() const { return kind_; }
    bool isNull() const { return kind_ == ValueKind::Null; }
    std::int64_t asInt() const { return int_; }       // Integer, Bool, Date, Time
    double asDouble() const { return float_; }        // Float, Timestamp
    bool asBool() const { return int_ != 0; }
    const std::string& asString() const { return str_; }  // Text, Bytes, Bcd

    bool operator==(const Value& o) const = default;

private:
    Value(ValueKind k, std::int64_t i, double f) : kind_(k), int_(i), float_(f) {}
    Value(ValueKind k, std::string_view s) : kind_(k), str_(s) {}

    ValueKind kind_ = ValueKind::Null;
    std::int64_t int_ = 0;
    double float_ = 0.0;
    std::string str_;
};

inline ValueView::ValueView(const Value& v) : kind_(v.kind()), int_(v.asInt()), float_(v.asDouble()), str_(v.asString()) {}

// Calendar of Date values (day 1 = 0001-01-01).
PARADOX_API std::int32_t DaysFromCivil(int year, unsigned month, unsigned day);
PARADOX_API void CivilFromDays(std::int32_t days, int& year, unsigned& month, unsigned& day);

}  // namespace paradox::api
