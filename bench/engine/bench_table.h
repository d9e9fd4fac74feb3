// The benchmark's table: ten fields of the common Paradox types, and the values of record i,
// shared by the side that uses our engine and the side that uses pxlib.
#pragma once
#include <cstdint>
#include <string>

namespace bench {

inline constexpr int kFieldCount = 10;

struct BenchField {
    const char* name;
    std::uint8_t pxType;  // Paradox type code
    int size;             // alpha length; 0 for fixed-size types
};

inline constexpr BenchField kFields[kFieldCount] = {
    {"Id", 0x04, 0},     {"Name", 0x01, 20}, {"Small", 0x03, 0}, {"Amount", 0x06, 0}, {"Price", 0x05, 0},
    {"Day", 0x02, 0},    {"Flag", 0x09, 0},  {"Code", 0x01, 10}, {"Count", 0x04, 0},  {"Note", 0x01, 30},
};

struct BenchRecord {
    std::int32_t id;
    std::string name;
    std::int16_t small;
    double amount;
    double price;
    std::int32_t day;  // day 1 = 0001-01-01
    bool flag;
    std::string code;
    std::int32_t count;
    std::string note;
};

inline std::string Labelled(const char* label, long number) {
    std::string text(label);
    text += std::to_string(number);
    return text;
}

inline BenchRecord RecordNumber(std::int32_t i) {
    return BenchRecord{i,
                       Labelled("Name ", i),
                       static_cast<std::int16_t>(i % 30000),
                       i * 0.25,
                       (i % 1000) * 1.5,
                       730000 + i % 3650,
                       i % 2 == 0,
                       Labelled("C", i % 100000),
                       i * 3,
                       Labelled("a note for record ", i)};
}

// pxlib side (pxlib_side.cpp): writes `count` records to path, reads every record of path and
// returns the number read (decoding every field); -1 when pxlib fails.
long PxlibWrite(const std::string& path, long count);
long PxlibRead(const std::string& path);

}  // namespace bench
