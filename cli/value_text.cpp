// Value formatting shared by export's JSON and CSV writers and by info's validity checks.
#include "cli/value_text.h"

#include <charconv>
#include <cmath>

#include "cli/base64.h"
#include "cli/json_writer.h"

namespace vortab::cli {
namespace {

constexpr std::int64_t kMsPerDay = 86400000;

// Writes n (not negative) with at least `digits` digits, zero-padded, as "%0*lld" does.
char* PutPadded(char* p, long long n, int digits) {
    char tmp[24];
    const auto r = std::to_chars(tmp, tmp + sizeof tmp, n);
    for (auto len = r.ptr - tmp; len < digits; ++len) *p++ = '0';
    for (const char* c = tmp; c != r.ptr; ++c) *p++ = *c;
    return p;
}

bool NeedsCsvQuotes(std::string_view text) {
    for (const char c : text)
        if (c == ',' || c == '"' || c == '\r' || c == '\n') return true;
    return false;
}

}  // namespace

bool AppendPlainText(std::string& out, const paradox::api::Value& v, const TextDecoder& decoder) {
    using paradox::api::ValueKind;
    switch (v.kind()) {
    case ValueKind::Null: return false;
    case ValueKind::Integer: {
        char buf[24];
        out.append(buf, std::to_chars(buf, buf + sizeof buf, v.asInt()).ptr);
        return true;
    }
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
    char buf[32];
    char* p = buf;
    if (y < 0) *p++ = '-';
    p = PutPadded(p, y < 0 ? -static_cast<long long>(y) : y, 4);
    *p++ = '-';
    p = PutPadded(p, m, 2);
    *p++ = '-';
    p = PutPadded(p, d, 2);
    return std::string(buf, p);
}

std::string TimeText(std::int64_t ms) {
    if (ms < 0 || ms >= kMsPerDay) return {};
    char buf[48];
    char* p = PutPadded(buf, ms / 3600000, 2);
    *p++ = ':';
    p = PutPadded(p, ms / 60000 % 60, 2);
    *p++ = ':';
    p = PutPadded(p, ms / 1000 % 60, 2);
    *p++ = '.';
    p = PutPadded(p, ms % 1000, 3);
    return std::string(buf, p);
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
    if (!NeedsCsvQuotes(utf8)) {
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
    using paradox::api::ValueKind;
    if (v.kind() != ValueKind::Text) {
        // Numbers, dates, times, BCD and base64 never hold a comma, a quote or a line end.
        AppendPlainText(out, v, decoder);
        return;
    }
    thread_local std::string text;  // reused: a cell costs no allocation
    text.clear();
    decoder.appendUtf8(text, v.asString());
    AppendCsvText(out, text);
}

}  // namespace vortab::cli
