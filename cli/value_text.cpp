// Value formatting shared by export's JSON and CSV writers and by info's validity checks.
#include "cli/value_text.h"

#include <cmath>

#include "cli/base64.h"
#include "cli/json_writer.h"

namespace vortab::cli {
namespace {

constexpr std::int64_t kMsPerDay = 86400000;

// Appends value in decimal with at least `width` digits (leading zeros). Written out by hand:
// dates and times are formatted once per value of every exported record.
void AppendPadded(std::string& out, std::uint64_t value, int width) {
    char digits[24];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (n < width) digits[n++] = '0';
    while (n > 0) out += digits[--n];
}

}  // namespace

bool AppendPlainText(std::string& out, const paradox::api::Value& v, const TextDecoder& decoder) {
    using paradox::api::ValueKind;
    switch (v.kind()) {
    case ValueKind::Null: return false;
    case ValueKind::Integer: out += std::to_string(v.asInt()); return true;
    case ValueKind::Float:
        if (!std::isfinite(v.asDouble())) return false;
        AppendJsonNumber(out, v.asDouble());
        return true;
    case ValueKind::Bool: out += v.asBool() ? "true" : "false"; return true;
    case ValueKind::Date: out += DateText(v.asInt()); return true;
    case ValueKind::Time: {
        const std::string text = TimeText(v.asInt());
        out += text;
        return !text.empty();
    }
    case ValueKind::Timestamp: {
        const std::string text = TimestampText(v.asDouble());
        out += text;
        return !text.empty();
    }
    case ValueKind::Text: decoder.appendUtf8(out, v.asString()); return true;
    case ValueKind::Bytes: AppendBase64(out, v.asString()); return true;
    case ValueKind::Bcd: out += v.asString(); return true;
    }
    return false;
}

std::string DateText(std::int64_t days) {
    int y = 0;
    unsigned m = 0, d = 0;
    paradox::api::CivilFromDays(static_cast<std::int32_t>(days), y, m, d);
    // Years before 1 are written in the ISO 8601 expanded form ("-0001-12-31").
    std::string out;
    if (y < 0) out += '-';
    AppendPadded(out, static_cast<std::uint64_t>(y < 0 ? -static_cast<std::int64_t>(y) : y), 4);
    out += '-';
    AppendPadded(out, m, 2);
    out += '-';
    AppendPadded(out, d, 2);
    return out;
}

std::string TimeText(std::int64_t ms) {
    if (ms < 0 || ms >= kMsPerDay) return {};
    std::string out;
    AppendPadded(out, static_cast<std::uint64_t>(ms / 3600000), 2);
    out += ':';
    AppendPadded(out, static_cast<std::uint64_t>(ms / 60000 % 60), 2);
    out += ':';
    AppendPadded(out, static_cast<std::uint64_t>(ms / 1000 % 60), 2);
    out += '.';
    AppendPadded(out, static_cast<std::uint64_t>(ms % 1000), 3);
    return out;
}

std::string TimestampText(double ms) {
    // A finite, non-negative instant below year 10000 (about 3.2e14 ms); anything else is damage.
    if (!std::isfinite(ms) || ms < 0 || ms > 3.2e14) return {};
    const auto total = static_cast<std::int64_t>(std::llround(ms));
    return DateText(total / kMsPerDay) + "T" + TimeText(total % kMsPerDay);
}

void AppendJsonValue(std::string& out, const paradox::api::Value& v, const TextDecoder& decoder) {
    using paradox::api::ValueKind;
    switch (v.kind()) {
    case ValueKind::Integer:
    case ValueKind::Float:
    case ValueKind::Bool:
        if (!AppendPlainText(out, v, decoder)) out += "null";
        return;
    case ValueKind::Null: out += "null"; return;
    default: break;
    }
    std::string text;
    if (!AppendPlainText(text, v, decoder)) {
        out += "null";
        return;
    }
    AppendJsonString(out, text);
}

void AppendCsvText(std::string& out, std::string_view utf8) {
    if (utf8.find_first_of(",\"\r\n") == std::string_view::npos) {
        out += utf8;
        return;
    }
    out += '"';
    for (char c : utf8) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

void AppendCsvCell(std::string& out, const paradox::api::Value& v, const TextDecoder& decoder) {
    std::string text;
    if (AppendPlainText(text, v, decoder)) AppendCsvText(out, text);
}

}  // namespace vortab::cli
