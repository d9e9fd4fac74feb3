// Digits come from std::to_chars and strtod_l on the "C" locale, so neither the host's global
// locale nor its LC_NUMERIC can change them; separators come from the settings.
#include "library/language/number_format.h"

#include <monetary.h>
#include <stdlib.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "library/language/errors.h"

namespace vortab {

namespace {

constexpr int kMaxDecimals = 18;
constexpr int kMaxSignificant = 15;

template <typename T>
std::string ToChars(T value, std::chars_format format, int precision) {
    char buffer[512];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, format, precision);
    if (ec != std::errc()) return "0";
    return std::string(buffer, end);
}

// Splits "d.ddde+XX" into its mantissa digits (no point) and its decimal exponent.
void SplitScientific(const std::string& text, std::string& digits, int& exponent) {
    const std::size_t e = text.find('e');
    digits.clear();
    for (std::size_t i = 0; i < e; ++i)
        if (text[i] != '.') digits += text[i];
    exponent = std::atoi(text.c_str() + e + 1);
}

std::string ExponentSuffix(int exponent) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "E%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
    return buffer;
}

// "1234567" -> "1,234,567" with the given separator.
std::string Grouped(const std::string& integer, const std::string& separator) {
    if (separator.empty() || integer.size() <= 3) return integer;
    std::string out;
    const std::size_t first = integer.size() % 3 == 0 ? 3 : integer.size() % 3;
    out += integer.substr(0, first);
    for (std::size_t i = first; i < integer.size(); i += 3) out += separator + integer.substr(i, 3);
    return out;
}

bool AllZero(const std::string& digits) {
    return std::all_of(digits.begin(), digits.end(), [](char c) { return c < '1' || c > '9'; });
}

// A non-negative fixed text "iii.fff" (as to_chars writes it) with the settings' separators.
std::string LocalizeFixed(const std::string& fixed, bool group, const LocaleSettings& s) {
    const std::size_t point = fixed.find('.');
    std::string integer = fixed.substr(0, point);
    std::string out = group ? Grouped(integer, s.thousandsSeparator) : integer;
    if (point != std::string::npos) out += s.decimalSeparator + fixed.substr(point + 1);
    return out;
}

std::string WithSign(bool negative, const std::string& body) {
    return negative && !AllZero(body) ? "-" + body : body;
}

// Mantissa digits and exponent as "d.ddd" (trailing zeros dropped) and "E+XX".
std::string ExponentForm(std::string digits, int exponent, bool trimZeros, const LocaleSettings& s) {
    if (trimZeros)
        while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    std::string out(1, digits[0]);
    if (digits.size() > 1) out += s.decimalSeparator + digits.substr(1);
    return out + ExponentSuffix(exponent);
}

std::string Trimmed(std::string_view text) {
    const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && space(text.front())) text.remove_prefix(1);
    while (!text.empty() && space(text.back())) text.remove_suffix(1);
    return std::string(text);
}

}  // namespace

std::string FormatGeneral(double value, const LocaleSettings& s) {
    if (value == 0 || !std::isfinite(value)) return "0";
    const std::string text = ToChars(value, std::chars_format::general, kMaxSignificant);
    std::string out;
    for (char c : text) {
        if (c == '.') out += s.decimalSeparator;
        else out += c == 'e' ? 'E' : c;
    }
    return out;
}

std::string FormatStr(double value, int width, int decimals, const LocaleSettings& s) {
    if (width > kMaxFormatWidth) throw EInvalidOp();
    const int precision = width < 1 ? kMaxSignificant : std::min(width, kMaxSignificant);
    decimals = std::clamp(decimals, 0, kMaxDecimals);
    if (!std::isfinite(value)) value = 0;
    const bool negative = std::signbit(value);
    const double magnitude = std::fabs(value);

    // Rounded once to the decimals; when that keeps more significant digits than the
    // precision allows, rounded once to the precision instead and the rest filled with zeros.
    std::string body;
    const std::string fixed = ToChars(magnitude, std::chars_format::fixed, decimals);
    std::size_t significant = 0;
    bool leading = true;
    for (char c : fixed) {
        if (c == '.') continue;
        if (leading && c == '0') continue;
        leading = false;
        ++significant;
    }
    if (significant <= static_cast<std::size_t>(precision)) {
        body = LocalizeFixed(fixed, true, s);
    } else {
        std::string digits;
        int exponent = 0;
        SplitScientific(ToChars(magnitude, std::chars_format::scientific, precision - 1), digits,
                        exponent);
        if (exponent + 1 > precision) {
            body = ExponentForm(digits, exponent, true, s);
        } else {
            // exponent + 1 <= precision < significant, so the value is at least 10^-decimals
            // and the kept digits all lie before the last decimal.
            std::string plain;
            if (exponent < 0) plain = "0." + std::string(-exponent - 1, '0') + digits;
            else if (exponent + 1 >= static_cast<int>(digits.size()))
                plain = digits + std::string(exponent + 1 - digits.size(), '0');
            else plain = digits.substr(0, exponent + 1) + "." + digits.substr(exponent + 1);
            std::size_t point = plain.find('.');
            if (point == std::string::npos) {
                if (decimals > 0) plain += '.';
                point = plain.size() - (decimals > 0 ? 1 : 0);
            }
            const std::size_t have = plain.size() - point - 1;
            if (decimals > 0 && have < static_cast<std::size_t>(decimals))
                plain += std::string(decimals - have, '0');
            body = LocalizeFixed(plain, true, s);
        }
    }
    std::string out = WithSign(negative, body);
    if (static_cast<int>(out.size()) < width) out.insert(0, width - out.size(), ' ');
    return out;
}

std::string FormatNum(int style, int decimals, double value, const LocaleSettings& s) {
    if (decimals < 0) throw EExecution("Invalid NUM$ format");
    decimals = std::min(decimals, kMaxDecimals);
    if (!std::isfinite(value)) value = 0;
    const bool negative = std::signbit(value);
    switch (style) {
        case 0:
        case 2:
            return WithSign(negative, LocalizeFixed(ToChars(std::fabs(value), std::chars_format::fixed,
                                                             decimals),
                                                     style == 2, s));
        case 1: {
            std::string digits;
            int exponent = 0;
            SplitScientific(ToChars(std::fabs(value), std::chars_format::scientific,
                                    std::min(decimals, kMaxDecimals - 1)),
                            digits, exponent);
            if (AllZero(digits)) exponent = 0;
            return WithSign(negative, ExponentForm(digits, exponent, false, s));
        }
        case 3: {
            char buffer[1024];
            const std::string format = "%." + std::to_string(decimals) + "n";
            const ssize_t n = strfmon_l(buffer, sizeof buffer, HandleOrC(s), format.c_str(), value);
            if (n >= 0) return LocaleTextTo1252(std::string(buffer, n), s.codeset);
            return FormatNum(2, decimals, value, s);
        }
        case 4: {
            const long double percent = static_cast<long double>(value) * 100.0L;
            if (!std::isfinite(percent)) throw EOverflow();
            return WithSign(percent < 0,
                            LocalizeFixed(ToChars(std::fabs(percent), std::chars_format::fixed,
                                                  decimals),
                                          false, s)) +
                   "%";
        }
        default:
            throw EExecution("Invalid NUM$ format");
    }
}

bool ParseNumber(std::string_view input, const LocaleSettings& s, double& out) {
    const std::string text = Trimmed(input);
    std::string plain;  // the number with "." as its separator
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) plain += text[i++];
    bool digits = false, point = false;
    while (i < text.size()) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            plain += c;
            digits = true;
            ++i;
        } else if (!point && !s.decimalSeparator.empty() &&
                   text.compare(i, s.decimalSeparator.size(), s.decimalSeparator) == 0) {
            plain += '.';
            point = true;
            i += s.decimalSeparator.size();
        } else if (!point && c == '.') {
            plain += '.';
            point = true;
            ++i;
        } else {
            break;
        }
    }
    if (!digits) return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        plain += 'e';
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) plain += text[i++];
        bool exponentDigits = false;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            plain += text[i++];
            exponentDigits = true;
        }
        if (!exponentDigits) return false;
    }
    if (i != text.size()) return false;
    char* end = nullptr;
    const double value = strtod_l(plain.c_str(), &end, PosixLocale());
    if (end != plain.c_str() + plain.size() || !std::isfinite(value)) return false;
    out = value == 0 ? 0.0 : value;
    return true;
}

}  // namespace vortab
