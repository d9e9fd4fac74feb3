// A value that is a whole number m of 10^-k (k small, m well below 2^53) has one shortest
// decimal that reads back as it: m's digits with the point k places from the right. Such values
// are written from m here; anything else goes to std::to_chars, whose output this matches.
#include "cli/shortest_number.h"

#include <charconv>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace vortab::cli {
namespace {

constexpr int kMostDecimals = 9;
constexpr double kPowersOfTen[kMostDecimals + 1] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
// Below this the gap between neighbouring doubles of value*10^k is under 1/4, so no second
// multiple of 10^-k can read back as the same value, nor any decimal of fewer digits.
constexpr double kScaledLimit = 0x1p50;

// The digits of m (no trailing zero unless m is 0) with the point `decimals` places from the
// right, or with `trailingZeros` zeros after them: fixed or scientific, whichever is shorter.
char* PutDecimal(char* p, std::uint64_t m, int decimals, int trailingZeros) {
    char text[24];
    char* const end = std::to_chars(text, text + sizeof text, m).ptr;
    const int digits = static_cast<int>(end - text);
    const int exponent = digits - 1 - decimals + trailingZeros;
    int fixedLength;
    if (decimals == 0) fixedLength = digits + trailingZeros;
    else if (exponent >= 0) fixedLength = digits + 1;
    else fixedLength = 1 - exponent + digits;
    const int exponentDigits = std::abs(exponent) >= 100 ? 3 : 2;
    const int scientificLength = digits + (digits > 1 ? 1 : 0) + 2 + exponentDigits;
    if (scientificLength < fixedLength) {
        *p++ = text[0];
        if (digits > 1) {
            *p++ = '.';
            p = std::copy(text + 1, end, p);
        }
        *p++ = 'e';
        *p++ = exponent < 0 ? '-' : '+';
        const int e = std::abs(exponent);
        if (e < 10) *p++ = '0';
        return std::to_chars(p, p + 3, e).ptr;
    }
    if (decimals == 0) {
        p = std::copy(text, end, p);
        std::memset(p, '0', static_cast<std::size_t>(trailingZeros));
        return p + trailingZeros;
    }
    if (exponent < 0) {
        *p++ = '0';
        *p++ = '.';
        std::memset(p, '0', static_cast<std::size_t>(-exponent - 1));
        p += -exponent - 1;
        return std::copy(text, end, p);
    }
    p = std::copy(text, end - decimals, p);
    *p++ = '.';
    return std::copy(end - decimals, end, p);
}

// Writes the magnitude when it is a small number of 10^-k; nullptr when it is not.
char* PutFewDecimals(char* p, double magnitude) {
    for (int k = 0; k <= kMostDecimals; ++k) {
        const double scaled = magnitude * kPowersOfTen[k];
        if (!(scaled < kScaledLimit)) return nullptr;
        const auto m = static_cast<std::uint64_t>(scaled + 0.5);  // exact: scaled's gap is at most 1/4
        if (static_cast<double>(m) / kPowersOfTen[k] != magnitude) continue;
        if (k == 0) {
            int zeros = 0;
            std::uint64_t digits = m;
            while (digits != 0 && digits % 10 == 0) {
                digits /= 10;
                ++zeros;
            }
            return PutDecimal(p, digits, 0, zeros);
        }
        // A trailing zero means a shorter k read back too and was missed: leave it to to_chars.
        return m % 10 == 0 ? nullptr : PutDecimal(p, m, k, 0);
    }
    return nullptr;
}

}  // namespace

char* PutShortestNumber(char* p, double value) {
    if (std::isfinite(value)) {
        char* q = p;
        if (std::signbit(value)) *q++ = '-';
        if (char* end = PutFewDecimals(q, std::fabs(value))) return end;
    }
    return std::to_chars(p, p + kShortestNumberRoom, value).ptr;
}

}  // namespace vortab::cli
