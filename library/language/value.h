// Value: the run-time value of the script language, a tagged variant that is empty, null, a
// number, an 8-bit text, a date (days since 30 December 1899, time of day as the fraction) or
// a boolean. Conversions between kinds are written once here; a conversion that cannot be made
// throws EVariantError (status 101).
#pragma once
#include <string>
#include <utility>

namespace vortab {

enum class ValueKind : unsigned char { Empty, Null, Number, Text, Date, Boolean };

class Value {
public:
    Value() = default;
    static Value Null() { return Value(ValueKind::Null); }
    static Value Number(double n) { Value v(ValueKind::Number); v.number_ = n; return v; }
    static Value Date(double d) { Value v(ValueKind::Date); v.number_ = d; return v; }
    static Value Boolean(bool b) { Value v(ValueKind::Boolean); v.boolean_ = b; return v; }
    static Value Text(std::string s) {
        Value v(ValueKind::Text);
        v.text_ = std::move(s);
        return v;
    }

    ValueKind kind() const { return kind_; }
    bool isEmpty() const { return kind_ == ValueKind::Empty; }

    // Raw access for a value already known to be of that kind.
    double rawNumber() const { return number_; }
    bool rawBoolean() const { return boolean_; }
    const std::string& rawText() const { return text_; }

    // Conversions (value_conversion.cpp); each throws EVariantError when impossible.
    double toNumber() const;
    double toDate() const;
    bool toBoolean() const;
    std::string toText() const;

    bool operator==(const Value& other) const = default;

private:
    explicit Value(ValueKind kind) : kind_(kind) {}
    ValueKind kind_ = ValueKind::Empty;
    double number_ = 0;
    bool boolean_ = false;
    std::string text_;
};

}  // namespace vortab
