// Validity-check values as literals of the script language: texts quoted, numbers with "." as
// the decimal separator and as many decimals as they need to read back unchanged, dates and
// times with the fixed separators in the user's order of day, month and year.
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <langinfo.h>
#include <locale.h>

#include "editor/dbinfo/keyword_rendering.h"
#include "paradox/api/table_structure.h"
#include "paradox/api/value.h"

namespace vortab::dbinfo {

namespace {

enum class DateOrder { DMY, MDY, YMD };

// The order the script library reads date literals in: VORTAB_DATE_ORDER when set, else the
// order of the environment locale's short date format (month first when it names fewer than
// all three).
DateOrder CurrentDateOrder() {
    if (const char* pinned = std::getenv("VORTAB_DATE_ORDER")) {
        const std::string order = UpperAscii(pinned);
        if (order == "DMY") return DateOrder::DMY;
        if (order == "YMD") return DateOrder::YMD;
        if (order == "MDY") return DateOrder::MDY;
    }
    static const DateOrder fromLocale = [] {
        const locale_t handle = newlocale(LC_ALL_MASK, "", nullptr);
        std::string format = handle ? nl_langinfo_l(D_FMT, handle) : "%m/%d/%y";
        if (handle) freelocale(handle);
        if (format.find("%F") != std::string::npos) return DateOrder::YMD;
        if (format.find("%D") != std::string::npos) return DateOrder::MDY;
        const auto at = [&](const char* letters) {
            std::size_t best = std::string::npos;
            for (const char* l = letters; *l; ++l) best = std::min(best, format.find(std::string("%") + *l));
            return best;
        };
        const std::size_t d = at("de"), m = at("mbBh"), y = at("yYCG");
        if (d == std::string::npos || m == std::string::npos || y == std::string::npos) return DateOrder::MDY;
        if (y < m && y < d) return DateOrder::YMD;
        return d < m ? DateOrder::DMY : DateOrder::MDY;
    }();
    return fromLocale;
}

template <typename T>
T Read(const std::uint8_t* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

std::string DateText(std::int32_t days) {
    int year = 0;
    unsigned month = 0, day = 0;
    paradox::api::CivilFromDays(days, year, month, day);
    const char s = CurrentSeparators().date;
    char buffer[48];
    switch (CurrentDateOrder()) {
    case DateOrder::DMY: std::snprintf(buffer, sizeof buffer, "%02u%c%02u%c%04d", day, s, month, s, year); break;
    case DateOrder::MDY: std::snprintf(buffer, sizeof buffer, "%02u%c%02u%c%04d", month, s, day, s, year); break;
    case DateOrder::YMD: std::snprintf(buffer, sizeof buffer, "%04d%c%02u%c%02u", year, s, month, s, day); break;
    }
    return buffer;
}

std::string TimeText(long long milliseconds) {
    const long long seconds = milliseconds / 1000;
    const char s = CurrentSeparators().time;
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%02lld%c%02lld%c%02lld", seconds / 3600, s, seconds / 60 % 60, s, seconds % 60);
    return buffer;
}

// Fixed-point text of v with at least `decimals` decimals and as many more as it takes to
// read back the same double (a number check of 0.5 on a field without stated decimals must not
// become 1).
std::string FixedText(double v, int decimals) {
    char buffer[400];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::fixed);
    std::string text = result.ec == std::errc{} ? std::string(buffer, result.ptr) : std::to_string(v);
    std::size_t point = text.find('.');
    const int have = point == std::string::npos ? 0 : static_cast<int>(text.size() - point - 1);
    if (decimals > have) {
        if (point == std::string::npos) text += '.';
        text.append(static_cast<std::size_t>(decimals - have), '0');
        point = text.find('.');
    }
    if (point != std::string::npos) text[point] = CurrentSeparators().decimal;
    return text;
}

// The engine's BCD record (precision, sign|decimals, 32 packed digits) as exact decimal text.
std::string BcdText(const std::uint8_t* native) {
    paradox::api::NativeValue value{};
    std::memcpy(value.data(), native, value.size());
    std::optional<std::string> text = paradox::api::NativeBcdText(value);
    if (!text) throw GenerationError("Unable to convert BCD");
    if (const std::size_t point = text->find('.'); point != std::string::npos) (*text)[point] = CurrentSeparators().decimal;
    return *text;
}

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string NativeValueText(const std::uint8_t* value, const FieldDescriptor& field) {
    switch (field.type) {
    case FLDZSTRING: {
        const auto* text = reinterpret_cast<const char*>(value);
        return QuoteString(std::string(text, strnlen(text, kCheckValueSize)));
    }
    case FLDDATE: return DateText(Read<std::int32_t>(value));
    case FLDBOOL: return BoolKeyword(Read<std::int16_t>(value));
    case FLDINT16: return std::to_string(Read<std::int16_t>(value));
    case FLDINT32:
    case FLDUINT32: return std::to_string(Read<std::int32_t>(value));
    case FLDFLOAT: return FixedText(Read<double>(value), field.units2);
    case FLDBCD: return BcdText(value);
    case FLDTIME: return TimeText(Read<std::int32_t>(value));
    case FLDTIMESTAMP: {
        const long long ms = std::llround(Read<double>(value));
        return DateText(static_cast<std::int32_t>(ms / 86400000)) + " " + TimeText(ms % 86400000);
    }
    case FLDUINT16: return std::to_string(Read<std::uint16_t>(value));
    default: throw GenerationError("Unknown field type");
    }
}

}  // namespace

std::string VchkValueText(int kind, const std::uint8_t* value, const FieldDescriptor& field) {
    if (kind != 1) return "0";
    return Trimmed(NativeValueText(value, field));
}

}  // namespace vortab::dbinfo
