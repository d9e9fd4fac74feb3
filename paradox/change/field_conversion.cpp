// Conversion table and value conversions between Paradox field types for a restructure.
// Numeric types convert among each other when the value fits exactly; Alpha converts to and
// from the scalar types through one fixed text form; memo-like blobs take Alpha text; binary
// blobs take Bytes; graphics, OLE and formatted memos keep their type.
#include "paradox/change/field_conversion.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "paradox/storage/engine_error.h"
#include "shared/text/case_fold.h"

namespace paradox {

namespace {

enum class Family { Text, Integer, Float, Bcd, Date, Time, Timestamp, Logical, Bytes, Memo, Binary, Other };

Family FamilyOf(PxType t) {
    switch (t) {
    case PxType::Alpha: return Family::Text;
    case PxType::Short:
    case PxType::Long:
    case PxType::AutoInc: return Family::Integer;
    case PxType::Number:
    case PxType::Money: return Family::Float;
    case PxType::Bcd: return Family::Bcd;
    case PxType::Date: return Family::Date;
    case PxType::Time: return Family::Time;
    case PxType::Timestamp: return Family::Timestamp;
    case PxType::Logical: return Family::Logical;
    case PxType::Bytes: return Family::Bytes;
    case PxType::Memo: return Family::Memo;
    case PxType::Blob: return Family::Binary;
    default: return Family::Other;
    }
}

bool IsNumeric(Family f) { return f == Family::Integer || f == Family::Float || f == Family::Bcd; }

constexpr int64_t kMsPerDay = 86400000;

[[noreturn]] void Loses(const Field& to, const std::string& why) {
    throw EngineError(err::kOutOfRange, "field " + to.name + ": " + why);
}

std::string Trim(const std::string& s) {
    const auto a = s.find_first_not_of(' ');
    if (a == std::string::npos) return {};
    return s.substr(a, s.find_last_not_of(' ') - a + 1);
}

// Whole-text parses; false when the text is not entirely one value.
bool ParseInteger(const std::string& s, int64_t& out) {
    if (s.empty() || s.size() > 20) return false;
    char* end = nullptr;
    errno = 0;
    const long long v = std::strtoll(s.c_str(), &end, 10);
    if (errno != 0 || *end != '\0') return false;
    out = v;
    return true;
}

bool ParseDouble(const std::string& s, double& out) {
    if (s.empty() || s.size() > 64 || s.find_first_of("xXpPnNiI") != std::string::npos) return false;
    char* end = nullptr;
    errno = 0;
    const double v = std::strtod(s.c_str(), &end);
    if (errno != 0 || *end != '\0' || !std::isfinite(v)) return false;
    out = v;
    return true;
}

bool ValidDate(int y, int m, int d) {
    if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1) return false;
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return d <= kDays[m - 1] + (m == 2 && leap ? 1 : 0);
}

bool ParseDate(const std::string& s, int32_t& days) {
    int y = 0, m = 0, d = 0, n = 0;
    if (std::sscanf(s.c_str(), "%2d/%2d/%4d%n", &m, &d, &y, &n) == 3 && n == int(s.size()) && ValidDate(y, m, d)) {
    } else if (std::sscanf(s.c_str(), "%4d-%2d-%2d%n", &y, &m, &d, &n) == 3 && n == int(s.size()) && ValidDate(y, m, d)) {
    } else {
        return false;
    }
    days = DaysFromCivil(y, static_cast<unsigned>(m), static_cast<unsigned>(d));
    return true;
}

bool ParseTime(const std::string& s, int32_t& ms) {
    int h = 0, mi = 0, sec = 0, milli = 0, n = 0;
    if (std::sscanf(s.c_str(), "%2d:%2d:%2d.%3d%n", &h, &mi, &sec, &milli, &n) == 4 && n == int(s.size())) {
    } else if (n = 0, std::sscanf(s.c_str(), "%2d:%2d:%2d%n", &h, &mi, &sec, &n) == 3 && n == int(s.size())) {
        milli = 0;
    } else {
        return false;
    }
    if (h < 0 || h > 23 || mi < 0 || mi > 59 || sec < 0 || sec > 59 || milli < 0) return false;
    ms = ((h * 60 + mi) * 60 + sec) * 1000 + milli;
    return true;
}

std::string DateText(int32_t days) {
    int y;
    unsigned m, d;
    CivilFromDays(days, y, m, d);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02u/%02u/%04d", m, d, y);
    return buf;
}

std::string TimeText(int64_t ms) {
    char buf[32];
    const int64_t s = ms / 1000, milli = ms % 1000;
    if (milli) std::snprintf(buf, sizeof buf, "%02d:%02d:%02d.%03d", int(s / 3600), int(s / 60 % 60), int(s % 60), int(milli));
    else std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", int(s / 3600), int(s / 60 % 60), int(s % 60));
    return buf;
}

std::string DoubleText(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", v);
    double back = 0;
    if (!ParseDouble(buf, back) || back != v) std::snprintf(buf, sizeof buf, "%.17g", v);
    return buf;
}

// Exact decimal text of a BCD value: digits with '.', trailing zeros of the fraction removed.
std::string CanonicalDecimal(const std::string& s) {
    std::string t = s;
    if (t.find('.') != std::string::npos) {
        while (!t.empty() && t.back() == '0') t.pop_back();
        if (!t.empty() && t.back() == '.') t.pop_back();
    }
    if (t == "-0" || t.empty()) t = "0";
    return t;
}

int FractionDigits(const std::string& s) {
    const auto dot = s.find('.');
    return dot == std::string::npos ? 0 : static_cast<int>(s.size() - dot - 1);
}

bool IsDecimalText(const std::string& s) {
    std::size_t i = (!s.empty() && s[0] == '-') ? 1 : 0;
    bool digits = false, dot = false;
    for (; i < s.size(); ++i) {
        if (s[i] == '.' && !dot) dot = true;
        else if (s[i] >= '0' && s[i] <= '9') digits = true;
        else return false;
    }
    return digits;
}

// An integer-valued number, or a failure naming the field.
int64_t WholeNumber(double d, const Field& to) {
    if (!(std::fabs(d) < 9.2e18) || std::trunc(d) != d) Loses(to, "value " + DoubleText(d) + " is not a whole number in range");
    return static_cast<int64_t>(d);
}

Value NumericTo(const Value& v, Family src, const Field& to) {
    const Family dst = FamilyOf(to.type);
    // Exact decimal text of the value.
    std::string dec;
    if (src == Family::Integer) dec = std::to_string(v.asInt());
    else if (src == Family::Float) dec = DoubleText(v.asDouble());
    else dec = CanonicalDecimal(v.asString());
    if (dst == Family::Integer) {
        int64_t i = 0;
        if (src == Family::Integer) i = v.asInt();
        else if (src == Family::Float) i = WholeNumber(v.asDouble(), to);
        else if (!ParseInteger(dec, i)) Loses(to, "value " + dec + " is not a whole number in range");
        const int64_t lo = to.type == PxType::Short ? -32767 : (to.type == PxType::AutoInc ? 1 : -2147483647);
        const int64_t hi = to.type == PxType::Short ? 32767 : 2147483647;
        if (i < lo || i > hi) Loses(to, "value " + std::to_string(i) + " out of range");
        return Value::integer(i);
    }
    if (dst == Family::Float) {
        if (src == Family::Float) return v;
        double d = 0;
        if (src == Family::Integer) d = static_cast<double>(v.asInt());
        else if (!ParseDouble(dec, d)) Loses(to, "value " + dec + " is no number");
        // A decimal that a double cannot hold exactly to 15 digits would change.
        if (src == Family::Bcd && CanonicalDecimal(DoubleText(d)) != dec) {
            char buf[64];
            std::snprintf(buf, sizeof buf, "%.15g", d);
            if (CanonicalDecimal(buf) != dec) Loses(to, "value " + dec + " has more digits than a number holds");
        }
        if (src == Family::Integer && static_cast<int64_t>(d) != v.asInt()) Loses(to, "value out of range");
        return Value::number(d);
    }
    // BCD: the new field's decimals must hold every fraction digit.
    if (src == Family::Float) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.15g", v.asDouble());
        if (std::strchr(buf, 'e')) {
            std::snprintf(buf, sizeof buf, "%.*f", to.sizeByte, v.asDouble());
            double back = 0;
            if (!ParseDouble(buf, back) || back != v.asDouble()) Loses(to, "value " + DoubleText(v.asDouble()) + " does not fit");
        }
        dec = CanonicalDecimal(buf);
    }
    if (FractionDigits(dec) > to.sizeByte) Loses(to, "value " + dec + " has more decimals than the field keeps");
    const std::size_t intDigits = dec.find('.') == std::string::npos ? dec.size() : dec.find('.');
    if (intDigits - (dec[0] == '-' ? 1 : 0) + to.sizeByte > 32) Loses(to, "value " + dec + " out of range");
    return Value::bcd(dec);
}

Value FromText(const std::string& raw, const Field& to) {
    const std::string s = Trim(raw);
    if (s.empty()) return Value::null();
    const Family dst = FamilyOf(to.type);
    const auto fail = [&] { Loses(to, "text \"" + s.substr(0, 40) + "\" is no value of the new type"); };
    switch (dst) {
    case Family::Integer: {
        int64_t i = 0;
        if (!ParseInteger(s, i)) fail();
        return NumericTo(Value::integer(i), Family::Integer, to);
    }
    case Family::Float: {
        double d = 0;
        if (!ParseDouble(s, d)) fail();
        return Value::number(d);
    }
    case Family::Bcd:
        if (!IsDecimalText(s)) fail();
        return NumericTo(Value::bcd(s), Family::Bcd, to);
    case Family::Date: {
        int32_t days = 0;
        if (!ParseDate(s, days)) fail();
        return Value::date(days);
    }
    case Family::Time: {
        int32_t ms = 0;
        if (!ParseTime(s, ms)) fail();
        return Value::time(ms);
    }
    case Family::Timestamp: {
        const auto sp = s.find(' ');
        int32_t days = 0, ms = 0;
        if (sp == std::string::npos ? !ParseDate(s, days) : (!ParseDate(s.substr(0, sp), days) || !ParseTime(Trim(s.substr(sp + 1)), ms)))
            fail();
        return Value::timestamp(static_cast<double>(days) * kMsPerDay + ms);
    }
    case Family::Logical:
        if (vortab::SameNameNoCase(s, "True") || vortab::SameNameNoCase(s, "T") || vortab::SameNameNoCase(s, "Yes"))
            return Value::boolean(true);
        if (vortab::SameNameNoCase(s, "False") || vortab::SameNameNoCase(s, "F") || vortab::SameNameNoCase(s, "No"))
            return Value::boolean(false);
        fail();
        return {};
    default: fail();
    }
    return {};
}

}  // namespace

bool ConversionAllowed(PxType from, PxType to) {
    if (from == to) return true;
    const Family a = FamilyOf(from), b = FamilyOf(to);
    if (a == Family::Other || b == Family::Other) return false;
    if (IsNumeric(a) && IsNumeric(b)) return true;
    if (a == Family::Text) return b != Family::Bytes && b != Family::Binary;
    if (b == Family::Text) return a != Family::Bytes && a != Family::Binary;
    if (a == Family::Memo) return b == Family::Binary;
    if (a == Family::Bytes) return b == Family::Binary;
    if (a == Family::Binary) return b == Family::Bytes;
    if (a == Family::Date) return b == Family::Timestamp;
    if (a == Family::Timestamp) return b == Family::Date;
    return false;
}

std::string ValueToText(const Value& v, PxType from) {
    if (v.isNull()) return {};
    switch (FamilyOf(from)) {
    case Family::Integer: return std::to_string(v.asInt());
    case Family::Float: return DoubleText(v.asDouble());
    case Family::Bcd: return CanonicalDecimal(v.asString());
    case Family::Date: return DateText(static_cast<int32_t>(v.asInt()));
    case Family::Time: return TimeText(v.asInt());
    case Family::Timestamp: {
        const double ms = v.asDouble();
        const int64_t days = static_cast<int64_t>(std::floor(ms / kMsPerDay));
        return DateText(static_cast<int32_t>(days)) + " " + TimeText(static_cast<int64_t>(ms) - days * kMsPerDay);
    }
    case Family::Logical: return v.asBool() ? "True" : "False";
    default: return v.asString();
    }
}

Value ConvertFieldValue(const Value& v, const Field& from, const Field& to) {
    if (v.isNull()) return v;
    if (!ConversionAllowed(from.type, to.type))
        throw EngineError(err::kInvalidFieldXform, "field " + from.name + " cannot change from type " +
                                                       PxTypeLetter(from.type) + " to " + PxTypeLetter(to.type));
    const Family a = FamilyOf(from.type), b = FamilyOf(to.type);
    if (b == Family::Text || b == Family::Bytes) {
        const std::string s = a == Family::Text || a == Family::Memo || a == Family::Bytes || a == Family::Binary
                                  ? v.asString() : ValueToText(v, from.type);
        if (s.size() > to.width) Loses(to, "a value of " + std::to_string(s.size()) + " bytes exceeds the size " + std::to_string(to.width));
        return b == Family::Text ? Value::text(s) : Value::bytes(s);
    }
    if (a == Family::Text) {
        if (b == Family::Memo || b == Family::Other) return Value::text(v.asString());
        return FromText(v.asString(), to);
    }
    if (IsNumeric(a) && IsNumeric(b)) {
        if (a == b && a != Family::Integer && a != Family::Bcd) return v;
        return NumericTo(v, a, to);
    }
    switch (b) {
    case Family::Memo: return Value::text(v.asString());
    case Family::Binary: return Value::bytes(v.asString());
    case Family::Timestamp:
        if (a == Family::Date) return Value::timestamp(static_cast<double>(v.asInt()) * kMsPerDay);
        return v;
    case Family::Date: {
        if (a == Family::Date) return v;
        const double ms = v.asDouble();
        const double days = std::floor(ms / kMsPerDay);
        if (ms - days * kMsPerDay != 0) Loses(to, "timestamp " + ValueToText(v, from.type) + " has a time of day");
        return Value::date(static_cast<int32_t>(days));
    }
    default: return v;  // same type (Logical, Graphic, OLE, formatted memo)
    }
}

}  // namespace paradox
