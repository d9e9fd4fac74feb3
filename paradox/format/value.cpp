// Calendar arithmetic for Date values and the readable form of a Value.
#include "paradox/format/value.h"

#include <cmath>
#include <cstdio>

namespace paradox {

namespace {
// Days from 1970-01-01 for a proleptic Gregorian date (H. Hinnant's civil algorithm).
int64_t DaysFromEpoch(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}
// Paradox day 1 is 0001-01-01, which lies 719162 days before 1970-01-01.
constexpr int64_t kEpochOffset = 719163;
}  // namespace

int32_t DaysFromCivil(int year, unsigned month, unsigned day) {
    return static_cast<int32_t>(DaysFromEpoch(year, month, day) + kEpochOffset);
}

void CivilFromDays(int32_t days, int& year, unsigned& month, unsigned& day) {
    int64_t z = static_cast<int64_t>(days) - kEpochOffset + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = doy - (153 * mp + 2) / 5 + 1;
    month = mp < 10 ? mp + 3 : mp - 9;
    year = static_cast<int>(static_cast<int64_t>(yoe) + era * 400 + (month <= 2));
}

namespace {
std::string DateText(int64_t days) {
    int y;
    unsigned m, d;
    CivilFromDays(static_cast<int32_t>(days), y, m, d);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02u-%02u", y, m, d);
    return buf;
}
std::string TimeText(int64_t ms) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02lld:%02lld:%02lld.%03lld", static_cast<long long>(ms / 3600000),
                  static_cast<long long>(ms / 60000 % 60), static_cast<long long>(ms / 1000 % 60),
                  static_cast<long long>(ms % 1000));
    return buf;
}
}  // namespace

std::string ToDisplayString(const Value& v) {
    char buf[64];
    switch (v.kind()) {
    case ValueKind::Null: return "null";
    case ValueKind::Integer: return std::to_string(v.asInt());
    case ValueKind::Float:
        std::snprintf(buf, sizeof buf, "%.15g", v.asDouble());
        return buf;
    case ValueKind::Bool: return v.asBool() ? "true" : "false";
    case ValueKind::Date: return DateText(v.asInt());
    case ValueKind::Time: return TimeText(v.asInt());
    case ValueKind::Timestamp: {
        const double ms = v.asDouble();
        if (!std::isfinite(ms)) return "invalid";
        const int64_t total = static_cast<int64_t>(std::llround(ms));
        return DateText(total / 86400000) + " " + TimeText(total % 86400000);
    }
    case ValueKind::Text:
    case ValueKind::Bcd: return v.asString();
    case ValueKind::Bytes: {
        static const char* hex = "0123456789abcdef";
        std::string out;
        for (unsigned char c : v.asString()) {
            out += hex[c >> 4];
            out += hex[c & 15];
        }
        return out;
    }
    }
    return {};
}

}  // namespace paradox
