// The fast shortest form of doubles against std::to_chars, whose text it must equal byte for byte
// (the export's numbers must never change): money and other few-decimal values, whole numbers
// with trailing zeros (where the scientific form can win), the edges of the fast path, and
// random doubles of every magnitude.
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/shortest_number.h"

namespace vortab::cli {
namespace {

// Counts the values whose text differs from std::to_chars's (and reports the first few).
int Mismatches(const std::vector<double>& values) {
    int bad = 0;
    for (const double v : values) {
        char ours[kShortestNumberRoom], theirs[kShortestNumberRoom];
        const std::string a(ours, PutShortestNumber(ours, v));
        const std::string b(theirs, std::to_chars(theirs, theirs + sizeof theirs, v).ptr);
        if (a != b && ++bad <= 5) ADD_FAILURE() << "value " << b << " written as " << a;
    }
    return bad;
}

void AddSigned(std::vector<double>& values, double v) {
    values.push_back(v);
    values.push_back(-v);
}

TEST(ShortestNumber, FewDecimalsAsToChars) {
    std::vector<double> values;
    for (long k = 0; k <= 300000; ++k) {
        AddSigned(values, k / 100.0);
        AddSigned(values, k * 0.25);
        AddSigned(values, k * 1.5);
    }
    std::mt19937_64 random(7);
    for (int decimals = 0; decimals <= 12; ++decimals)
        for (int i = 0; i < 20000; ++i) {
            const std::uint64_t m = random() >> (random() % 64);
            AddSigned(values, static_cast<double>(m) / std::pow(10.0, decimals));
        }
    EXPECT_EQ(Mismatches(values), 0);
}

TEST(ShortestNumber, WholeNumbersAndEdgesAsToChars) {
    std::vector<double> values = {0.0,
                                  -0.0,
                                  std::numeric_limits<double>::min(),
                                  std::numeric_limits<double>::denorm_min(),
                                  std::numeric_limits<double>::max(),
                                  std::numeric_limits<double>::infinity(),
                                  -std::numeric_limits<double>::infinity(),
                                  std::numeric_limits<double>::quiet_NaN()};
    for (int e = 0; e <= 22; ++e)
        for (int d = 1; d <= 999; ++d) AddSigned(values, d * std::pow(10.0, e));
    for (int e = -30; e <= 30; ++e) {
        const double p = std::pow(10.0, e);
        for (double v = std::nextafter(p, 0.0), n = 0; n < 3; v = std::nextafter(v, 2 * p), ++n) AddSigned(values, v);
    }
    // Around the largest scaled value the fast path takes, and the end of exact integers.
    for (const double edge : {0x1p50, 0x1p52, 0x1p53})
        for (int k = 0; k <= 9; ++k) {
            double v = edge / std::pow(10.0, k);
            for (int n = 0; n < 4; ++n) v = std::nextafter(v, 0.0);
            for (int n = 0; n < 8; ++n, v = std::nextafter(v, 2 * edge)) AddSigned(values, v);
        }
    EXPECT_EQ(Mismatches(values), 0);
}

TEST(ShortestNumber, RandomDoublesAsToChars) {
    std::vector<double> values;
    std::mt19937_64 random(11);
    for (int i = 0; i < 200000; ++i) {
        const std::uint64_t bits = random();
        double v;
        std::memcpy(&v, &bits, sizeof v);
        values.push_back(v);
        values.push_back(std::ldexp(static_cast<double>(random() >> 11), -static_cast<int>(random() % 40)));
    }
    EXPECT_EQ(Mismatches(values), 0);
}

}  // namespace
}  // namespace vortab::cli
