// Value formatting shared by export's JSON and CSV writers and by info's validity checks.
#include "cli/value_text.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "cli/append_in_place.h"
#include "cli/base64.h"
#include "cli/json_writer.h"
#include "cli/shortest_number.h"

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

// Plain text goes to a CSV cell unchanged: ASCII (the same in every code page and in UTF-8)
// without the characters that make a cell quoted. Tested a word at a time.
constexpr std::uint64_t kEveryByte = 0x0101010101010101, kEveryTopBit = 0x8080808080808080;

bool HasByte(std::uint64_t word, char c) {
    const std::uint64_t x = word ^ (kEveryByte * static_cast<unsigned char>(c));
    return ((x - kEveryByte) & ~x & kEveryTopBit) != 0;
}

bool IsPlainWord(std::uint64_t word) {
    return !(word & kEveryTopBit) && !HasByte(word, ',') && !HasByte(word, '"') && !HasByte(word, '\r') &&
           !HasByte(word, '\n');
}

// Eight bytes at a time; the last word overlaps the one before it, and a text shorter than a word
// is padded with NULs, which are plain.
bool IsPlainCsvText(std::string_view text) {
    std::uint64_t word = 0;
    if (text.size() < 8) {
        std::memcpy(&word, text.data(), text.size());
        return IsPlainWord(word);
    }
    for (std::size_t i = 0; i + 8 < text.size(); i += 8) {
        std::memcpy(&word, text.data() + i, 8);
        if (!IsPlainWord(word)) return false;
    }
    std::memcpy(&word, text.data() + text.size() - 8, 8);
    return IsPlainWord(word);
}

// Writes n (below 100) as two digits.
char* PutTwoDigits(char* p, unsigned n) {
    p[0] = static_cast<char>('0' + n / 10);
    p[1] = static_cast<char>('0' + n % 10);
    return p + 2;
}

constexpr std::size_t kDateRoom = 16;  // "-YYYYYY-MM-DD" at most

// Writes the date of `days` as "YYYY-MM-DD" (years before 1 as "-YYYY"); returns the end.
char* PutDate(char* p, std::int64_t days) {
    int y = 0;
    unsigned m = 0, d = 0;
    paradox::api::CivilFromDays(static_cast<std::int32_t>(days), y, m, d);
    // Years before 1 are written in the ISO 8601 expanded form ("-0001-12-31").
    if (y < 0) *p++ = '-';
    const long long year = y < 0 ? -static_cast<long long>(y) : y;
    if (year < 10000) {
        p = PutTwoDigits(p, static_cast<unsigned>(year / 100));
        p = PutTwoDigits(p, static_cast<unsigned>(year % 100));
    } else {
        p = PutPadded(p, year, 4);
    }
    *p++ = '-';
    p = PutTwoDigits(p, m);
    *p++ = '-';
    return PutTwoDigits(p, d);
}

// A row whose cells are all plain (null, integers, finite or not numbers, logicals, dates,
// ASCII text without CSV specials) is written in one go straight into the output; kNotPlain
// marks a cell that needs the general path.
constexpr std::size_t kNotPlain = static_cast<std::size_t>(-1);

std::size_t PlainCellRoom(const paradox::api::ValueView& v) {
    using paradox::api::ValueKind;
    switch (v.kind()) {
    case ValueKind::Null: return 0;
    case ValueKind::Integer: return 20;
    case ValueKind::Float: return kShortestNumberRoom;
    case ValueKind::Bool: return 5;
    case ValueKind::Date: return kDateRoom;
    case ValueKind::Text: return IsPlainCsvText(v.asString()) ? v.asString().size() : kNotPlain;
    default: return kNotPlain;
    }
}

// Writes a cell PlainCellRoom found plain, as AppendCsvCell writes it; returns the end.
char* PutPlainCell(char* p, const paradox::api::ValueView& v) {
    using paradox::api::ValueKind;
    switch (v.kind()) {
    case ValueKind::Integer: return std::to_chars(p, p + 20, v.asInt()).ptr;
    case ValueKind::Float: return std::isfinite(v.asDouble()) ? PutNumberText(p, v.asDouble()) : p;
    case ValueKind::Bool: {
        const std::string_view word = v.asBool() ? "true" : "false";
        std::memcpy(p, word.data(), word.size());
        return p + word.size();
    }
    case ValueKind::Date: return PutDate(p, v.asInt());
    case ValueKind::Text:
        std::memcpy(p, v.asString().data(), v.asString().size());
        return p + v.asString().size();
    default: return p;
    }
}

}  // namespace

bool AppendPlainText(std::string& out, const paradox::api::ValueView& v, const TextDecoder& decoder) {
    using paradox::api::ValueKind;
    switch (v.kind()) {
    case ValueKind::Null: return false;
    case ValueKind::Integer:
        AppendInPlace(out, 20, [&v](char* p) { return std::to_chars(p, p + 20, v.asInt()).ptr; });
        return true;
    case ValueKind::Float:
        if (!std::isfinite(v.asDouble())) return false;
        AppendJsonNumber(out, v.asDouble());
        return true;
    case ValueKind::Bool: out += v.asBool() ? "true" : "false"; return true;
    case ValueKind::Date: AppendInPlace(out, kDateRoom, [&v](char* p) { return PutDate(p, v.asInt()); }); return true;
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
    char buf[kDateRoom];
    return std::string(buf, PutDate(buf, days));
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

void AppendJsonValue(std::string& out, const paradox::api::ValueView& v, const TextDecoder& decoder) {
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

void AppendCsvCell(std::string& out, const paradox::api::ValueView& v, const TextDecoder& decoder) {
    using paradox::api::ValueKind;
    if (v.kind() != ValueKind::Text) {
        // Numbers, dates, times, BCD and base64 never hold a comma, a quote or a line end.
        AppendPlainText(out, v, decoder);
        return;
    }
    if (IsPlainCsvText(v.asString())) {
        out += v.asString();
        return;
    }
    thread_local std::string text;  // reused: a cell costs no allocation
    text.clear();
    decoder.appendUtf8(text, v.asString());
    AppendCsvText(out, text);
}

void AppendCsvRow(std::string& out, const std::vector<paradox::api::ValueView>& row, const TextDecoder& decoder) {
    std::size_t room = row.size() + 2;  // commas and CRLF
    for (const paradox::api::ValueView& v : row) {
        const std::size_t cell = PlainCellRoom(v);
        if (cell == kNotPlain) {
            for (std::size_t c = 0; c < row.size(); ++c) {
                if (c > 0) out += ',';
                AppendCsvCell(out, row[c], decoder);
            }
            out += "\r\n";
            return;
        }
        room += cell;
    }
    AppendInPlace(out, room, [&row](char* p) {
        for (std::size_t c = 0; c < row.size(); ++c) {
            if (c > 0) *p++ = ',';
            p = PutPlainCell(p, row[c]);
        }
        *p++ = '\r';
        *p++ = '\n';
        return p;
    });
}

}  // namespace vortab::cli
